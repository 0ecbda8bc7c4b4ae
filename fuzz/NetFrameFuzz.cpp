// The TCP frame parsers of the session transport over the loopback. The first input byte
// chooses the side: even, the rest is what a raw peer sends to a hosted session (anyone who
// connects reaches it); odd, it is what a host answers to a joining client after its hello.
// The sender then stops sending and reads until the other side closes; messages the transport
// accepted are taken from its queue.
#include <unistd.h>

#include <asio.hpp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/core/Threads.h"
#include "platform/net/Transport.h"

namespace {

using namespace zv::transport;

Guid Application() {
    Guid application;
    for (std::size_t i = 0; i < application.bytes.size(); ++i)
        application.bytes[i] = static_cast<std::uint8_t>(i + 1);
    return application;
}

TransportOptions Options(int ports) {
    TransportOptions o;
    o.bindAddress = "127.0.0.1";
    // Ports of this process alone, away from the game's own.
    o.discoveryBase = static_cast<std::uint16_t>(30000 + (::getpid() % 1000) * 8 + ports);
    o.discoveryPorts = 4;
    o.searchAddresses = {"127.0.0.1"};
    o.handshakeMs = 500;
    o.log = [](std::string_view) {};
    return o;
}

struct Sides {
    Sides() : host(Options(0)), client(Options(4)), acceptor(io) {
        if (host.Host(Application(), "fuzz", 6, "host", &hostEvent, hostId) != kOk) std::abort();
        acceptor.open(asio::ip::tcp::v4());
        acceptor.bind({asio::ip::make_address("127.0.0.1"), 0});
        acceptor.listen();
    }
    zv::core::AutoResetEvent hostEvent, clientEvent;
    Transport host, client;
    PlayerId hostId = 0;
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor;
};

void Drain(Transport& transport) {
    static std::vector<std::uint8_t> message(kMaxMessageBytes);
    for (;;) {
        PlayerId from = 0, to = 0;
        std::uint32_t length = static_cast<std::uint32_t>(message.size());
        if (transport.Receive(from, to, message.data(), length) != kOk) break;
    }
}

// Sends the bytes, stops sending and reads until the other side closes.
void SendAndWait(asio::ip::tcp::socket& socket, const std::uint8_t* data, std::size_t size) {
    std::error_code ec;
    asio::write(socket, asio::buffer(data, size), ec);
    socket.shutdown(asio::ip::tcp::socket::shutdown_send, ec);
    std::vector<std::uint8_t> sink(4096);
    while (!ec) socket.read_some(asio::buffer(sink), ec);
    socket.close(ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Sides* sides = new Sides;
    if (size == 0) return 0;
    std::error_code ec;
    if (data[0] % 2 == 0) {
        asio::ip::tcp::socket peer(sides->io);
        peer.connect({asio::ip::make_address("127.0.0.1"), sides->host.Port()}, ec);
        if (ec) std::abort();
        SendAndWait(peer, data + 1, size - 1);
        Drain(sides->host);
        return 0;
    }
    // A host that takes the client's hello and answers with the input.
    std::thread fakeHost([&] {
        asio::ip::tcp::socket socket(sides->io);
        std::error_code error;
        sides->acceptor.accept(socket, error);
        if (error) std::abort();
        std::uint8_t header[kFrameHeaderBytes];
        asio::read(socket, asio::buffer(header), error);
        std::vector<std::uint8_t> hello(GetU32(header));
        if (!error && hello.size() <= 64) asio::read(socket, asio::buffer(hello), error);
        SendAndWait(socket, data + 1, size - 1);
    });
    PlayerId id = 0;
    sides->client.Join("127.0.0.1", sides->acceptor.local_endpoint().port(), Application(), "fuzz",
                       &sides->clientEvent, id);
    // Whatever followed the welcome has been read once the host's side is closed.
    for (int i = 0; i < 200 && sides->client.IsOpen(); ++i) {
        Drain(sides->client);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Drain(sides->client);
    sides->client.Close();
    fakeHost.join();
    return 0;
}
