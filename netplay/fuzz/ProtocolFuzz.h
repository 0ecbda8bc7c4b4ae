#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zv::net {

// One fuzz input through the protocol's message handlers. The first byte picks the receiver (bit
// 0: host, else client), the sender (bits 1-2: the player of slot 0-3; bit 7: the system) and
// whether the rest is one message or (bit 6) a sequence of messages each preceded by its u16
// length. Bad input is dropped; nothing may crash or read out of bounds.
int FuzzProtocolMessage(const std::uint8_t* data, std::size_t size);

// One input per message row: a well-formed message of that type with the first byte that makes
// a receiver take it (a host's message to a client; anything else from the client of slot 1 to
// the host, naming slot 1), so the fuzzer starts from every handler.
std::vector<std::vector<std::uint8_t>> ProtocolFuzzSeeds();

}  // namespace zv::net
