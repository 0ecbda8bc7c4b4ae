// The TCP frame parser of a hosted session, as anyone who connects reaches it: the input is
// sent by a raw peer over the loopback; the peer then stops sending and reads until the host
// closes the connection. Messages the host accepted are taken from its queue.
#include <unistd.h>

#include <asio.hpp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "platform/core/Threads.h"
#include "platform/net/Transport.h"

namespace {

using namespace zv::transport;

struct Host {
    Host() : transport(Options()) {
        Guid application;
        for (std::size_t i = 0; i < application.bytes.size(); ++i)
            application.bytes[i] = static_cast<std::uint8_t>(i + 1);
        if (transport.Host(application, "fuzz", 6, "host", &event, id) != kOk) std::abort();
    }
    static TransportOptions Options() {
        TransportOptions o;
        o.bindAddress = "127.0.0.1";
        // Ports of this process alone, away from the game's own.
        o.discoveryBase = static_cast<std::uint16_t>(30000 + (::getpid() % 1000) * 8);
        o.discoveryPorts = 4;
        o.searchAddresses = {"127.0.0.1"};
        o.log = [](std::string_view) {};
        return o;
    }
    zv::core::AutoResetEvent event;
    Transport transport;
    PlayerId id = 0;
    asio::io_context io;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Host* host = new Host;
    asio::ip::tcp::socket peer(host->io);
    std::error_code ec;
    peer.connect({asio::ip::make_address("127.0.0.1"), host->transport.Port()}, ec);
    if (ec) std::abort();
    asio::write(peer, asio::buffer(data, size), ec);
    peer.shutdown(asio::ip::tcp::socket::shutdown_send, ec);
    std::vector<std::uint8_t> sink(4096);
    for (;;) {
        peer.read_some(asio::buffer(sink), ec);
        if (ec) break;
    }
    peer.close(ec);
    static std::vector<std::uint8_t> message(kMaxMessageBytes);
    for (;;) {
        PlayerId from = 0, to = 0;
        std::uint32_t length = static_cast<std::uint32_t>(message.size());
        if (host->transport.Receive(from, to, message.data(), length) != kOk) break;
    }
    return 0;
}
