#pragma once

#include <cstddef>
#include <cstdint>

namespace zv::net {

// One fuzz input through the protocol's message handlers. The first byte picks the receiver (bit
// 0: host, else client), the sender (bits 1-2: the player of slot 0-3; bit 7: the system) and
// whether the rest is one message or (bit 6) a sequence of messages each preceded by its u16
// length. Bad input is dropped; nothing may crash or read out of bounds.
int FuzzProtocolMessage(const std::uint8_t* data, std::size_t size);

}  // namespace zv::net
