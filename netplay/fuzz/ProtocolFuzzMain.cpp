// libFuzzer entry over the protocol's message handlers.
#include <cstddef>
#include <cstdint>

#include "netplay/fuzz/ProtocolFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return zv::net::FuzzProtocolMessage(data, size);
}
