#pragma once

#include <cstddef>
#include <cstdint>

namespace zv::net {

// One fuzz input through the protocol's message handlers: the first byte picks the receiver
// (host or client) and the sender, the rest is the message. Never crashes, never reads out of
// bounds; bad input is dropped.
int FuzzProtocolMessage(const std::uint8_t* data, std::size_t size);

}  // namespace zv::net
