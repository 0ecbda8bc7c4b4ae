// LAN discovery datagrams, which anyone on the network may send: any bytes as a query and as
// an answer; an answer that reads is written again and must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/net/Wire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv::transport;
    Guid application;
    for (std::size_t i = 0; i < application.bytes.size(); ++i)
        application.bytes[i] = static_cast<std::uint8_t>(i + 1);
    std::uint32_t nonce = 0;
    if (ParseDiscoveryQuery(data, size, application, nonce)) {
        const auto again = BuildDiscoveryQuery(application, nonce);
        std::uint32_t nonce2 = 0;
        if (!ParseDiscoveryQuery(again.data(), again.size(), application, nonce2) ||
            nonce2 != nonce)
            std::abort();
    }
    DiscoveryAnswer answer;
    if (ParseDiscoveryAnswer(data, size, answer)) {
        const std::string again = BuildDiscoveryAnswer(answer);
        if (again.size() > kDiscoveryDatagramBytes) std::abort();
        DiscoveryAnswer back;
        if (!ParseDiscoveryAnswer(reinterpret_cast<const std::uint8_t*>(again.data()), again.size(),
                                  back) ||
            back.name != CutSjis(answer.name, kMaxSessionNameBytes) || back.port != answer.port ||
            back.nonce != answer.nonce || back.players != answer.players ||
            back.maxPlayers != answer.maxPlayers || back.joinsDisabled != answer.joinsDisabled ||
            !(back.instance == answer.instance))
            std::abort();
    }
    return 0;
}
