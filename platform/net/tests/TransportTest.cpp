#include <gtest/gtest.h>
#include <unistd.h>

#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "platform/net/Transport.h"

namespace zv::transport {
namespace {

using Clock = std::chrono::steady_clock;

// Every test has discovery ports of its own, so parallel test runs never meet.
std::uint16_t TestDiscoveryBase() {
    static std::atomic<int> next{0};
    return static_cast<std::uint16_t>(20000 + (getpid() % 1500) * 24 + 8 * (next++ % 3));
}

Guid TestApp() {
    Guid g;
    for (std::size_t i = 0; i < g.bytes.size(); ++i) g.bytes[i] = static_cast<std::uint8_t>(i + 1);
    return g;
}

struct Logged {
    std::mutex mutex;
    std::vector<std::string> lines;
    bool Contains(const std::string& part) {
        std::lock_guard lock(mutex);
        for (const auto& l : lines) {
            if (l.find(part) != std::string::npos) return true;
        }
        return false;
    }
};

TransportOptions LoopbackOptions(std::uint16_t base, Logged* log, std::uint32_t deadMs = 1500) {
    TransportOptions o;
    o.bindAddress = "127.0.0.1";
    o.discoveryBase = base;
    o.discoveryPorts = 4;
    o.searchAddresses = {"127.0.0.1"};
    o.keepAliveMs = 100;
    o.deadPeerMs = deadMs;
    o.handshakeMs = 1000;
    if (log) {
        o.log = [log](std::string_view line) {
            std::lock_guard lock(log->mutex);
            log->lines.emplace_back(line);
        };
    }
    return o;
}

struct Received {
    PlayerId from = 0;
    PlayerId to = 0;
    std::vector<std::uint8_t> data;
    std::uint32_t Type() const { return data.size() >= 4 ? GetU32(data.data()) : 0xFFFFFFFF; }
};

// One endpoint of a session with its receive event.
struct Node {
    explicit Node(TransportOptions o) : transport(std::move(o)) {}
    Transport transport;
    core::AutoResetEvent event;
    PlayerId id = 0;

    // Waits (bounded) for the next message that `match` accepts; others are kept aside.
    std::optional<Received> WaitFor(const std::function<bool(const Received&)>& match,
                                    std::uint32_t ms = 3000) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            for (auto it = aside.begin(); it != aside.end(); ++it) {
                if (match(*it)) {
                    Received r = *it;
                    aside.erase(it);
                    return r;
                }
            }
            Received r;
            std::uint32_t size = 0;
            std::int32_t result = transport.Receive(r.from, r.to, nullptr, size);
            if (result == kErrBufferTooSmall) {
                r.data.resize(size);
                result = transport.Receive(r.from, r.to, r.data.data(), size);
                EXPECT_EQ(result, kOk);
                aside.push_back(std::move(r));
                continue;
            }
            if (Clock::now() >= deadline) return std::nullopt;
            event.Wait(20);
        }
    }
    std::optional<Received> WaitApp(std::uint32_t ms = 3000) {
        return WaitFor([](const Received& r) { return r.from != kSystemPlayer; }, ms);
    }
    std::optional<Received> WaitSystem(std::uint32_t type, std::uint32_t ms = 3000) {
        return WaitFor(
            [type](const Received& r) { return r.from == kSystemPlayer && r.Type() == type; }, ms);
    }
    std::vector<Received> aside;
};

std::vector<std::uint8_t> Bytes(std::uint32_t type, std::uint32_t value) {
    std::vector<std::uint8_t> b(8);
    PutU32(b.data(), type);
    PutU32(b.data() + 4, value);
    return b;
}

class TransportTest : public ::testing::Test {
  protected:
    void SetUp() override { base = TestDiscoveryBase(); }
    std::unique_ptr<Node> MakeHost(const std::string& name, int maxPlayers = 6) {
        auto host = std::make_unique<Node>(LoopbackOptions(base, &log));
        EXPECT_EQ(host->transport.Host(TestApp(), name, maxPlayers, "host", &host->event, host->id),
                  kOk);
        return host;
    }
    std::unique_ptr<Node> MakeClient(Node& host, const std::string& name,
                                     std::int32_t expect = kOk) {
        auto client = std::make_unique<Node>(LoopbackOptions(base, &log));
        EXPECT_EQ(client->transport.Join("127.0.0.1", host.transport.Port(), TestApp(), name,
                                         &client->event, client->id),
                  expect);
        return client;
    }
    std::uint16_t base = 0;
    Logged log;
};

TEST_F(TransportTest, SeveralHostsOnOneMachineAreAllFoundAndDescribed) {
    auto a = MakeHost("alpha", 6);
    auto b = MakeHost("beta", 3);
    EXPECT_NE(a->transport.DiscoveryPort(), b->transport.DiscoveryPort());
    Transport searcher(LoopbackOptions(base, &log));
    std::vector<SessionInfo> found;
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    searcher.StartSearch(TestApp());
    while (Clock::now() < deadline && found.size() < 2) {
        found = searcher.Sessions(false);
        core::SleepMs(10);
    }
    ASSERT_EQ(found.size(), 2u);
    for (const SessionInfo& s : found) {
        EXPECT_EQ(s.address, "127.0.0.1");
        if (s.name == "alpha") {
            EXPECT_EQ(s.port, a->transport.Port());
            EXPECT_EQ(s.maxPlayers, 6);
        } else {
            EXPECT_EQ(s.name, "beta");
            EXPECT_EQ(s.port, b->transport.Port());
            EXPECT_EQ(s.maxPlayers, 3);
        }
        EXPECT_EQ(s.players, 1);
    }
    // Joins disabled at run time: the session is no longer available.
    ASSERT_EQ(b->transport.SetSessionDesc(3, true), kOk);
    core::SleepMs(400);
    bool betaAvailable = false;
    for (const SessionInfo& s : searcher.Sessions(true)) betaAvailable |= s.name == "beta";
    EXPECT_FALSE(betaAvailable);
    searcher.StopSearch();
}

TEST_F(TransportTest, AnotherApplicationFindsNothing) {
    auto a = MakeHost("alpha");
    Transport searcher(LoopbackOptions(base, &log));
    Guid other = TestApp();
    other.bytes[0] ^= 0xFF;
    EXPECT_TRUE(searcher.FindSessions(other, 400).empty());
    EXPECT_EQ(searcher.FindSessions(TestApp(), 2000, "alpha").size(), 1u);
}

TEST_F(TransportTest, PlayersJoinWithNamesAndTheServerFlag) {
    auto host = MakeHost("s");
    auto c1 = MakeClient(*host, "one");
    auto created = host->WaitSystem(kSysCreatePlayer);
    ASSERT_TRUE(created);
    EXPECT_EQ(GetU32(created->data.data() + 4), c1->id);
    EXPECT_EQ(created->data[12], 3);
    EXPECT_EQ(std::string(created->data.begin() + 13, created->data.end()), "one");

    auto c2 = MakeClient(*host, "two");
    // The first client hears of the second; the second knows the host as server player.
    auto heard = c1->WaitSystem(kSysCreatePlayer);
    ASSERT_TRUE(heard);
    EXPECT_EQ(GetU32(heard->data.data() + 4), c2->id);
    // The server player is known as soon as the join returns; its name follows.
    bool flagged = false;
    for (const PlayerInfo& p : c2->transport.Players())
        flagged |= p.id == host->id && p.flags == kServerPlayerFlag;
    EXPECT_TRUE(flagged);
    bool named = false;
    for (int i = 0; i < 200 && !named; ++i) {
        for (const PlayerInfo& p : c2->transport.Players())
            named |= p.id == host->id && p.name == "host";
        core::SleepMs(10);
    }
    EXPECT_TRUE(named);
    EXPECT_TRUE(host->transport.IsHost());
    EXPECT_FALSE(c2->transport.IsHost());
    SessionDesc desc;
    ASSERT_EQ(host->transport.GetSessionDesc(desc), kOk);
    EXPECT_EQ(desc.players, 3);
}

TEST_F(TransportTest, NamesAreCutToSeventeenBytesWithoutSplittingACharacter) {
    auto host = MakeHost("s");
    // Sixteen ASCII bytes and a double-byte character: the character would end at byte 18.
    const std::string name = std::string(16, 'a') + "\x82\xA0";
    auto c = MakeClient(*host, name);
    auto created = host->WaitSystem(kSysCreatePlayer);
    ASSERT_TRUE(created);
    EXPECT_EQ(std::string(created->data.begin() + 13, created->data.end()), std::string(16, 'a'));
}

TEST_F(TransportTest, DeliveryToAllServerAndOnePlayerInOrderAndNeverBack) {
    auto host = MakeHost("s");
    auto c1 = MakeClient(*host, "one");
    auto c2 = MakeClient(*host, "two");
    ASSERT_TRUE(c1->WaitSystem(kSysCreatePlayer));

    // A client to all: the host and the other client, not the sender.
    ASSERT_EQ(c1->transport.Send(kAllPlayers, Bytes(40, 1).data(), 8), kOk);
    auto atHost = host->WaitApp();
    auto atC2 = c2->WaitApp();
    ASSERT_TRUE(atHost && atC2);
    EXPECT_EQ(atHost->from, c1->id);
    EXPECT_EQ(atC2->from, c1->id);
    EXPECT_EQ(GetU32(atC2->data.data() + 4), 1u);
    EXPECT_FALSE(c1->WaitApp(200));

    // A client to the server player only.
    ASSERT_EQ(c2->transport.Send(kServerPlayer, Bytes(41, 2).data(), 8), kOk);
    auto toServer = host->WaitApp();
    ASSERT_TRUE(toServer);
    EXPECT_EQ(toServer->Type(), 41u);
    EXPECT_FALSE(c1->WaitApp(200));

    // The host to one player; a client to another client by id (relayed).
    ASSERT_EQ(host->transport.Send(c2->id, Bytes(42, 3).data(), 8), kOk);
    ASSERT_EQ(c1->transport.Send(c2->id, Bytes(43, 4).data(), 8), kOk);
    auto first = c2->WaitApp();
    auto second = c2->WaitApp();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Type() + second->Type(), 85u);
    EXPECT_FALSE(c1->WaitApp(200));

    // Sending to oneself goes nowhere; to an unknown id is refused.
    EXPECT_EQ(host->transport.Send(host->id, Bytes(44, 0).data(), 8), kOk);
    EXPECT_FALSE(host->WaitApp(200));
    EXPECT_EQ(c1->transport.Send(0x7777, Bytes(44, 0).data(), 8), kErrInvalidPlayer);

    // Order is kept over many messages of mixed sizes, up to the largest allowed.
    constexpr int kCount = 120;
    for (int i = 0; i < kCount; ++i) {
        std::vector<std::uint8_t> m(8 + (i % 7) * 1000);
        PutU32(m.data(), 50);
        PutU32(m.data() + 4, static_cast<std::uint32_t>(i));
        ASSERT_EQ(c2->transport.Send(kAllPlayers, m.data(), m.size()), kOk);
    }
    std::vector<std::uint8_t> big(kMaxMessageBytes, 0x5A);
    PutU32(big.data(), 51);
    ASSERT_EQ(c2->transport.Send(kAllPlayers, big.data(), big.size()), kOk);
    std::vector<std::uint8_t> tooBig(kMaxMessageBytes + 1);
    EXPECT_EQ(c2->transport.Send(kAllPlayers, tooBig.data(), tooBig.size()), kErrSendTooBig);
    for (int i = 0; i < kCount; ++i) {
        auto m = c1->WaitApp();
        ASSERT_TRUE(m);
        ASSERT_EQ(GetU32(m->data.data() + 4), static_cast<std::uint32_t>(i));
    }
    auto last = c1->WaitApp(5000);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->data.size(), kMaxMessageBytes);
    EXPECT_EQ(last->data.back(), 0x5A);
}

TEST_F(TransportTest, JoinsAreRefusedWhenFullOrDisabledOrForAnotherApplication) {
    auto host = MakeHost("s", 2);
    auto c1 = MakeClient(*host, "one");
    auto c2 = MakeClient(*host, "two", kErrJoinRefused);
    EXPECT_FALSE(c2->transport.IsOpen());
    ASSERT_EQ(host->transport.SetSessionDesc(6, true), kOk);
    auto c3 = MakeClient(*host, "three", kErrJoinRefused);
    ASSERT_EQ(host->transport.SetSessionDesc(6, false), kOk);
    auto c4 = MakeClient(*host, "four");
    Node wrong(LoopbackOptions(base, &log));
    Guid other = TestApp();
    other.bytes[3] ^= 1;
    EXPECT_EQ(wrong.transport.Join("127.0.0.1", host->transport.Port(), other, "x", &wrong.event,
                                   wrong.id),
              kErrJoinRefused);
    // Nobody listening.
    Node lost(LoopbackOptions(base, &log));
    EXPECT_NE(lost.transport.Join("127.0.0.1", 1, TestApp(), "x", &lost.event, lost.id), kOk);
}

TEST_F(TransportTest, ALeavingOrKilledPeerIsNoticedWithItsDataAndTheHostsLossEndsTheSession) {
    auto host = MakeHost("s");
    auto c1 = MakeClient(*host, "one");
    auto c2 = MakeClient(*host, "two");
    const std::uint8_t slot[4] = {2, 0, 0, 0};
    ASSERT_EQ(host->transport.SetPlayerData(c1->id, slot, 4), kOk);
    ASSERT_TRUE(c2->WaitSystem(kSysCreatePlayer, 3000) || true);
    const PlayerId gone = c1->id;
    c1.reset();  // the process ends
    auto destroyed = host->WaitSystem(kSysDestroyPlayer);
    ASSERT_TRUE(destroyed);
    EXPECT_EQ(GetU32(destroyed->data.data() + 4), gone);
    ASSERT_EQ(destroyed->data.size(), 20u);
    EXPECT_EQ(destroyed->data[16], 2);
    auto heard = c2->WaitSystem(kSysDestroyPlayer);
    ASSERT_TRUE(heard);
    EXPECT_EQ(GetU32(heard->data.data() + 4), gone);

    host.reset();
    auto server = c2->WaitSystem(kSysDestroyPlayer);
    ASSERT_TRUE(server);
    EXPECT_EQ(GetU32(server->data.data() + 8), kServerPlayerFlag);
    EXPECT_TRUE(c2->WaitSystem(kSysSessionLost));
    EXPECT_FALSE(c2->transport.IsOpen());
}

// A leave hands its last message over before the connection goes, though the host still has
// much on its way to the leaver that it will never read.
TEST_F(TransportTest, ALeavingClientsLastMessageArrivesBeforeItIsDestroyed) {
    auto host = MakeHost("s");
    // A slow link: what the client sends is still held back when it leaves.
    TransportOptions slow = LoopbackOptions(base, &log);
    slow.faults.delayMs = 300;
    auto client = std::make_unique<Node>(slow);
    ASSERT_EQ(client->transport.Join("127.0.0.1", host->transport.Port(), TestApp(), "one",
                                     &client->event, client->id),
              kOk);
    ASSERT_TRUE(host->WaitSystem(kSysCreatePlayer));
    const PlayerId gone = client->id;
    const std::vector<std::uint8_t> flood(256 * 1024, 0x5A);
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(host->transport.Send(gone, flood.data(), flood.size()), kOk);
    // Large enough to be still on its way when the client closes.
    std::vector<std::uint8_t> goodbye(1 << 20);
    for (std::size_t i = 0; i < goodbye.size(); ++i) goodbye[i] = static_cast<std::uint8_t>(i * 7);
    PutU32(goodbye.data(), 0x4259);
    ASSERT_EQ(client->transport.Send(kServerPlayer, goodbye.data(), goodbye.size()), kOk);
    client->transport.Close();
    EXPECT_FALSE(client->transport.IsOpen());

    // In order: the goodbye, whole, then the player's end.
    auto received = host->WaitFor(
        [&](const Received& r) { return r.from == gone && r.Type() == 0x4259; }, 5000);
    ASSERT_TRUE(received) << "the goodbye was lost";
    EXPECT_EQ(received->data, goodbye);
    for (const Received& r : host->aside)
        EXPECT_FALSE(r.from == kSystemPlayer && r.Type() == kSysDestroyPlayer) << "destroyed first";
    auto destroyed = host->WaitSystem(kSysDestroyPlayer);
    ASSERT_TRUE(destroyed);
    EXPECT_EQ(GetU32(destroyed->data.data() + 4), gone);
    EXPECT_TRUE(log.Contains("it closed the connection")) << "an orderly close, not a failure";
}

// Raw peers that misbehave.
class HostilePeerTest : public TransportTest {
  protected:
    asio::io_context io;
    asio::ip::tcp::socket Connect(Node& host) {
        asio::ip::tcp::socket s(io);
        s.connect({asio::ip::make_address("127.0.0.1"), host.transport.Port()});
        return s;
    }
    static std::vector<std::uint8_t> Frame(std::uint32_t length, std::uint8_t kind,
                                           std::vector<std::uint8_t> body = {}) {
        std::vector<std::uint8_t> f(8);
        PutU32(f.data(), length);
        f[4] = kind;
        f.insert(f.end(), body.begin(), body.end());
        return f;
    }
    static std::vector<std::uint8_t> Hello(const Guid& app, const std::string& name) {
        std::vector<std::uint8_t> b(25 + name.size());
        std::memcpy(b.data(), kHelloMagic.data(), 4);
        PutU16(b.data() + 4, kProtocolVersion);
        std::memcpy(b.data() + 8, app.bytes.data(), 16);
        b[24] = static_cast<std::uint8_t>(name.size());
        std::memcpy(b.data() + 25, name.data(), name.size());
        return Frame(static_cast<std::uint32_t>(b.size()), 1, b);
    }
    // True when the host closed the socket within ms.
    static bool ClosedWithin(asio::ip::tcp::socket& s, std::uint32_t ms) {
        s.non_blocking(true);
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        std::array<std::uint8_t, 4096> sink;
        while (Clock::now() < deadline) {
            std::error_code ec;
            s.read_some(asio::buffer(sink), ec);
            if (ec && ec != asio::error::would_block) return true;
            core::SleepMs(10);
        }
        return false;
    }
};

TEST_F(HostilePeerTest, GarbageOversizeAndSilentPeersAreDroppedAndLoggedWhileOthersGoOn) {
    auto host = MakeHost("s");
    auto good = MakeClient(*host, "good");
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"unknown kind", Frame(0, 99), "unknown kind"},
        {"huge length", Frame(0xFFFFFFF0u, 4), "more than kind"},
        {"data before hello", Frame(4, 4, {0, 0, 0, 0}), "before saying hello"},
        {"bad name length", Frame(25, 1, std::vector<std::uint8_t>(25, 0)), "malformed"},
        {"keep-alive with a body", Frame(3, 7, {1, 2, 3}), "more than kind"},
        {"reserved byte set", {0, 0, 0, 0, 7, 1, 0, 0}, "kind 7 has reserved bytes 01 00 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto s = Connect(*host);
        asio::write(s, asio::buffer(c.bytes));
        EXPECT_TRUE(ClosedWithin(s, 2000));
        EXPECT_TRUE(log.Contains(c.logged));
    }
    // Silent after connecting, and a frame cut off in the middle: both end within the limits.
    auto silent = Connect(*host);
    auto partial = Connect(*host);
    auto hello = Hello(TestApp(), "slow");
    asio::write(partial, asio::buffer(hello.data(), 10));
    // Meanwhile a welcomed peer sends a huge frame header: dropped, nothing allocated.
    auto rogue = Connect(*host);
    asio::write(rogue, asio::buffer(Hello(TestApp(), "rogue")));
    auto rogueJoined = host->WaitSystem(kSysCreatePlayer);
    ASSERT_TRUE(rogueJoined);
    asio::write(rogue, asio::buffer(Frame(static_cast<std::uint32_t>(kMaxMessageBytes + 9), 4)));
    EXPECT_TRUE(ClosedWithin(rogue, 2000));
    EXPECT_TRUE(host->WaitSystem(kSysDestroyPlayer));

    // The good client is never held up.
    ASSERT_EQ(good->transport.Send(kServerPlayer, Bytes(60, 7).data(), 8), kOk);
    auto m = host->WaitApp(1000);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->Type(), 60u);

    EXPECT_TRUE(ClosedWithin(silent, 3000));
    EXPECT_TRUE(ClosedWithin(partial, 3000));
    EXPECT_TRUE(log.Contains("handshake"));
    // The good client keeps its connection through keep-alives.
    ASSERT_EQ(host->transport.Send(good->id, Bytes(61, 8).data(), 8), kOk);
    auto back = good->WaitApp(1000);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Type(), 61u);
}

TEST_F(HostilePeerTest, APeerThatStopsReadingIsDroppedWithoutStallingTheOthers) {
    TransportOptions o = LoopbackOptions(base, &log, 60000);
    o.maxQueuedBytes = 1 << 20;
    Node host(o);
    ASSERT_EQ(host.transport.Host(TestApp(), "s", 6, "host", &host.event, host.id), kOk);
    auto stuck = Connect(host);
    asio::write(stuck, asio::buffer(Hello(TestApp(), "stuck")));
    ASSERT_TRUE(host.WaitSystem(kSysCreatePlayer));
    auto good = MakeClient(host, "good");
    std::vector<std::uint8_t> block(200000, 1);
    PutU32(block.data(), 70);
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(host.transport.Send(kAllPlayers, block.data(), block.size()), kOk);
        auto m = good->WaitApp(2000);
        ASSERT_TRUE(m) << i;
    }
    EXPECT_TRUE(host.WaitSystem(kSysDestroyPlayer, 2000));
    EXPECT_TRUE(log.Contains("does not read"));
}

// A peer that takes nothing and never closes holds a closing session up only briefly; the
// connection then goes all the same.
TEST_F(HostilePeerTest, AClosingSessionWaitsOnlyBrieflyForAPeerThatNeverReads) {
    Node host(LoopbackOptions(base, &log, 60000));
    ASSERT_EQ(host.transport.Host(TestApp(), "s", 6, "host", &host.event, host.id), kOk);
    auto stuck = Connect(host);
    asio::write(stuck, asio::buffer(Hello(TestApp(), "stuck")));
    ASSERT_TRUE(host.WaitSystem(kSysCreatePlayer));
    std::vector<std::uint8_t> block(1 << 20, 3);
    PutU32(block.data(), 71);
    for (int i = 0; i < 8; ++i) ASSERT_EQ(host.transport.Send(kAllPlayers, block.data(), block.size()), kOk);
    const auto start = Clock::now();
    host.transport.Close();
    // Far above the wait a close allows itself; without a bound it would never return.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(host.transport.IsOpen());
    // What the host's side had taken on still arrives, then the end of the stream.
    std::vector<std::uint8_t> sink(1 << 16);
    std::error_code ec;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    stuck.non_blocking(true);
    do {
        ec.clear();
        stuck.read_some(asio::buffer(sink), ec);
        if (ec == asio::error::would_block) core::SleepMs(5);
    } while ((!ec || ec == asio::error::would_block) && Clock::now() < deadline);
    EXPECT_TRUE(ec == asio::error::eof || ec == asio::error::connection_reset) << ec.message();
}

// A host that lets clients in only when its application says so.
class AdmissionTest : public HostilePeerTest {
  protected:
    std::unique_ptr<Node> MakeAdmittingHost(std::uint32_t admissionMs, int maxPlayers = 6) {
        TransportOptions o = LoopbackOptions(base, &log, 60000);
        o.admissionMs = admissionMs;
        o.handshakeMs = 60000;
        o.maxUnadmitted = 6;
        auto host = std::make_unique<Node>(o);
        EXPECT_EQ(host->transport.Host(TestApp(), "s", maxPlayers, "host", &host->event, host->id),
                  kOk);
        return host;
    }
    // A raw peer from a given loopback address that says hello.
    asio::ip::tcp::socket HelloFrom(Node& host, const std::string& from, const std::string& name) {
        asio::ip::tcp::socket s(io);
        s.open(asio::ip::tcp::v4());
        s.bind({asio::ip::make_address(from), 0});
        s.connect({asio::ip::make_address("127.0.0.1"), host.transport.Port()});
        asio::write(s, asio::buffer(Hello(TestApp(), name)));
        return s;
    }
};

TEST_F(AdmissionTest, AJoinedClientIsNoPlayerUntilAdmittedAndIsDroppedWhenNeverAdmitted) {
    auto host = MakeAdmittingHost(800, 3);
    auto member = MakeClient(*host, "member");
    auto joined = host->WaitSystem(kSysCreatePlayer);
    ASSERT_TRUE(joined);
    ASSERT_EQ(host->transport.AdmitPlayer(member->id), kOk);
    // Two waiting clients: neither counts, so the session of three still has room for both.
    auto waiting = MakeClient(*host, "waiting");
    auto idle = MakeClient(*host, "idle");
    ASSERT_TRUE(host->WaitSystem(kSysCreatePlayer));
    ASSERT_TRUE(host->WaitSystem(kSysCreatePlayer));
    SessionDesc desc;
    ASSERT_EQ(host->transport.GetSessionDesc(desc), kOk);
    EXPECT_EQ(desc.players, 2);
    EXPECT_EQ(host->transport.Players().size(), 2u);
    // The member hears of nobody; a waiting client reaches the host only.
    EXPECT_FALSE(member->WaitSystem(kSysCreatePlayer, 200));
    ASSERT_EQ(waiting->transport.Send(kAllPlayers, Bytes(80, 1).data(), 8), kOk);
    ASSERT_EQ(waiting->transport.Send(kServerPlayer, Bytes(81, 1).data(), 8), kOk);
    auto atHost = host->WaitApp();
    ASSERT_TRUE(atHost);
    EXPECT_EQ(atHost->Type(), 81u);
    EXPECT_FALSE(member->WaitApp(200));
    EXPECT_TRUE(log.Contains("not let in yet"));
    // Admitted, it is announced and counted; the third place is then taken.
    ASSERT_EQ(host->transport.AdmitPlayer(waiting->id), kOk);
    auto heard = member->WaitSystem(kSysCreatePlayer);
    ASSERT_TRUE(heard);
    EXPECT_EQ(GetU32(heard->data.data() + 4), waiting->id);
    EXPECT_EQ(host->transport.AdmitPlayer(idle->id), kErrJoinRefused);
    // The one never admitted goes at its deadline; only the host's application hears of it.
    auto gone = host->WaitSystem(kSysDestroyPlayer, 3000);
    ASSERT_TRUE(gone);
    EXPECT_EQ(GetU32(gone->data.data() + 4), idle->id);
    EXPECT_TRUE(log.Contains("did not introduce itself within 800 ms"));
    EXPECT_FALSE(member->WaitSystem(kSysDestroyPlayer, 200));
    EXPECT_TRUE(idle->WaitSystem(kSysSessionLost));
}

TEST_F(AdmissionTest, AFloodOfJoinsFromOneAddressCannotKeepAnotherOut) {
    auto host = MakeAdmittingHost(60000);
    // Twenty connections from 127.0.0.1, some silent, some with a hello; the host keeps six.
    std::vector<asio::ip::tcp::socket> flood;
    for (int i = 0; i < 20; ++i) {
        if (i % 2 == 0) {
            flood.push_back(Connect(*host));
        } else {
            flood.push_back(HelloFrom(*host, "127.0.0.1", "f" + std::to_string(i)));
        }
    }
    auto honest = HelloFrom(*host, "127.0.0.2", "honest");
    std::optional<Received> created;
    PlayerId honestId = 0;
    for (int i = 0; i < 30 && honestId == 0; ++i) {
        created = host->WaitSystem(kSysCreatePlayer, 1000);
        if (created && created->data.size() == 19 &&
            std::string(created->data.begin() + 13, created->data.end()) == "honest")
            honestId = GetU32(created->data.data() + 4);
    }
    ASSERT_NE(honestId, 0u);
    // Flood connections went, oldest first; the newcomer from the other address stays.
    for (int i = 0; i < 30 && !log.Contains("too many joins from 127.0.0.1"); ++i)
        core::SleepMs(20);
    EXPECT_TRUE(log.Contains("too many joins from 127.0.0.1"));
    EXPECT_FALSE(log.Contains("too many joins from 127.0.0.2"));
    EXPECT_TRUE(ClosedWithin(flood.front(), 1000));
    EXPECT_EQ(host->transport.AdmitPlayer(honestId), kOk);
    EXPECT_FALSE(ClosedWithin(honest, 300));
}

TEST(NetFaultsTest, TheFaultListIsReadOrRefused) {
    struct Case {
        const char* text;
        bool ok;
        NetFaults expect;
    };
    const std::vector<Case> cases = {
        {"", true, {}},
        {"delay=40,jitter=25", true, {40, 25, 0, 0, 0, 1}},
        {"drop=30,stall=3000/800,seed=9", true, {0, 0, 30, 3000, 800, 9}},
        {"drop=101", false, {}},
        {"stall=800/3000", false, {}},
        {"delay=-1", false, {}},
        {"lag=5", false, {}},
        {"delay", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        NetFaults f;
        std::string error;
        ASSERT_EQ(ParseNetFaults(c.text, f, error), c.ok) << error;
        if (!c.ok) {
            EXPECT_NE(error.find("bad fault"), std::string::npos);
            continue;
        }
        EXPECT_EQ(f.delayMs, c.expect.delayMs);
        EXPECT_EQ(f.jitterMs, c.expect.jitterMs);
        EXPECT_EQ(f.discoveryDropPercent, c.expect.discoveryDropPercent);
        EXPECT_EQ(f.stallEveryMs, c.expect.stallEveryMs);
        EXPECT_EQ(f.stallMs, c.expect.stallMs);
        EXPECT_EQ(f.seed, c.expect.seed);
    }
}

TEST_F(TransportTest, InjectedDelayAndJitterKeepEachStreamInOrder) {
    TransportOptions o = LoopbackOptions(base, &log);
    o.faults.delayMs = 120;
    o.faults.jitterMs = 80;
    Node host(o);
    ASSERT_EQ(host.transport.Host(TestApp(), "s", 6, "host", &host.event, host.id), kOk);
    auto c1 = MakeClient(host, "one");
    auto c2 = MakeClient(host, "two");
    const auto sent = Clock::now();
    for (std::uint32_t i = 0; i < 40; ++i)
        ASSERT_EQ(host.transport.Send(kAllPlayers, Bytes(90, i).data(), 8), kOk);
    for (Node* c : {c1.get(), c2.get()}) {
        for (std::uint32_t i = 0; i < 40; ++i) {
            auto m = c->WaitApp(3000);
            ASSERT_TRUE(m);
            ASSERT_EQ(GetU32(m->data.data() + 4), i);
            if (i == 0) {
                EXPECT_GE(Clock::now() - sent, std::chrono::milliseconds(120));
            }
        }
    }
}

TEST_F(TransportTest, InjectedStallsSilenceKeepAlivesAndLostDatagramsHideSessions) {
    // A host that stalls longer than its clients wait is dropped by them.
    TransportOptions o = LoopbackOptions(base, &log);
    o.faults.stallEveryMs = 2000;
    o.faults.stallMs = 1500;
    Node host(o);
    ASSERT_EQ(host.transport.Host(TestApp(), "s", 6, "host", &host.event, host.id), kOk);
    Node c(LoopbackOptions(base, &log, 600));
    ASSERT_EQ(
        c.transport.Join("127.0.0.1", host.transport.Port(), TestApp(), "one", &c.event, c.id),
        kOk);
    EXPECT_TRUE(c.WaitSystem(kSysSessionLost, 4000));
    EXPECT_TRUE(log.Contains("nothing whole arrived"));

    TransportOptions lossy = LoopbackOptions(base, &log);
    lossy.faults.discoveryDropPercent = 100;
    Node searcher(lossy);
    EXPECT_TRUE(searcher.transport.FindSessions(TestApp(), 800).empty());
    Node clear(LoopbackOptions(base, &log));
    EXPECT_FALSE(clear.transport.FindSessions(TestApp(), 2000).empty());
}

TEST(DiscoveryTest, AnswersAreNoLargerThanQueriesAndMalformedQueriesGetNone) {
    Logged log;
    const std::uint16_t base = TestDiscoveryBase();
    Node host(LoopbackOptions(base, &log));
    ASSERT_EQ(host.transport.Host(TestApp(), std::string(300, 'n'), 6, "h", &host.event, host.id),
              kOk);
    asio::io_context io;
    asio::ip::udp::socket s(io, asio::ip::udp::endpoint(asio::ip::udp::v4(), 0));
    s.non_blocking(true);
    const asio::ip::udp::endpoint to(asio::ip::make_address("127.0.0.1"),
                                     host.transport.DiscoveryPort());
    auto receive = [&](std::uint32_t ms) -> std::size_t {
        std::array<std::uint8_t, 2048> buffer;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < deadline) {
            std::error_code ec;
            asio::ip::udp::endpoint from;
            const std::size_t n = s.receive_from(asio::buffer(buffer), from, 0, ec);
            if (!ec) return n;
            core::SleepMs(5);
        }
        return 0;
    };
    auto query = BuildDiscoveryQuery(TestApp(), 9);
    s.send_to(asio::buffer(query), to);
    const std::size_t answer = receive(1000);
    EXPECT_GT(answer, 0u);
    EXPECT_LE(answer, kDiscoveryDatagramBytes);
    // A short query, a long one and one of another application stay unanswered.
    s.send_to(asio::buffer(query.data(), 40), to);
    std::vector<std::uint8_t> longer(query.begin(), query.end());
    longer.resize(1000);
    s.send_to(asio::buffer(longer), to);
    auto other = query;
    other[10] ^= 1;
    s.send_to(asio::buffer(other), to);
    EXPECT_EQ(receive(300), 0u);
}

}  // namespace
}  // namespace zv::transport
