#include "platform/net/Transport.h"

#include <algorithm>
#include <asio.hpp>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace zv::transport {

namespace {

using Clock = std::chrono::steady_clock;
using asio::ip::tcp;
using asio::ip::udp;
using Buffer = std::shared_ptr<const std::vector<std::uint8_t>>;

constexpr std::uint32_t kSearchIntervalMs = 250;
constexpr std::uint32_t kSessionForgetMs = 2000;
constexpr std::size_t kMaxSessionsHeard = 64;
// How long a closing session waits at most for its last frames to reach the peers.
constexpr std::uint32_t kLeaveLingerMs = 1000;

std::chrono::milliseconds Ms(std::uint32_t ms) {
    return std::chrono::milliseconds(ms);
}

Buffer MakeFrame(FrameKind kind, std::initializer_list<std::uint32_t> words,
                 const std::uint8_t* data = nullptr, std::size_t size = 0) {
    auto frame =
        std::make_shared<std::vector<std::uint8_t>>(kFrameHeaderBytes + 4 * words.size() + size);
    std::uint8_t* p = frame->data();
    PutU32(p, static_cast<std::uint32_t>(frame->size() - kFrameHeaderBytes));
    p[4] = static_cast<std::uint8_t>(kind);
    std::size_t at = kFrameHeaderBytes;
    for (std::uint32_t w : words) {
        PutU32(p + at, w);
        at += 4;
    }
    if (size != 0) std::memcpy(p + at, data, size);
    return frame;
}

}  // namespace

bool ParseNetFaults(std::string_view text, NetFaults& faults, std::string& error) {
    NetFaults out;
    auto number = [](std::string_view v, std::uint32_t high, std::uint32_t& n) {
        if (v.empty() || v.size() > 9) return false;
        n = 0;
        for (char c : v) {
            if (c < '0' || c > '9') return false;
            n = n * 10 + static_cast<std::uint32_t>(c - '0');
        }
        return n <= high;
    };
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        const std::size_t eq = item.find('=');
        const std::string_view key = item.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view{} : item.substr(eq + 1);
        std::uint32_t n = 0, m = 0;
        bool ok = false;
        if (key == "delay") {
            ok = number(value, 10000, n);
            out.delayMs = n;
        } else if (key == "jitter") {
            ok = number(value, 10000, n);
            out.jitterMs = n;
        } else if (key == "drop") {
            ok = number(value, 100, n);
            out.discoveryDropPercent = static_cast<int>(n);
        } else if (key == "seed") {
            ok = number(value, 999999999, n);
            out.seed = n;
        } else if (key == "stall") {
            const std::size_t slash = value.find('/');
            ok = slash != std::string_view::npos && number(value.substr(0, slash), 600000, n) &&
                 number(value.substr(slash + 1), 600000, m) && m < n;
            out.stallEveryMs = n;
            out.stallMs = m;
        }
        if (!ok) {
            error = "bad fault '" + std::string(item) +
                    "' (delay=MS, jitter=MS, drop=PERCENT, stall=EVERY/FOR, seed=N)";
            return false;
        }
    }
    faults = out;
    return true;
}

Guid MakeRandomGuid() {
    std::random_device device;
    Guid g;
    for (std::size_t i = 0; i < g.bytes.size(); i += 4) {
        const std::uint32_t v = device();
        PutU32(g.bytes.data() + i, v);
    }
    return g;
}

struct Message {
    PlayerId from = 0;
    PlayerId to = 0;
    std::vector<std::uint8_t> data;
};

struct Peer : std::enable_shared_from_this<Peer> {
    explicit Peer(asio::io_context& io) : socket(io), holdTimer(io) {}
    tcp::socket socket;
    PlayerId id = 0;
    std::uint32_t flags = 0;
    std::string name;
    std::string localData;
    bool welcomed = false;
    // Host side: a welcomed client counts as a player only once admitted.
    bool admitted = false;
    bool closed = false;
    std::string address;
    Clock::time_point welcomedAt;
    // Frames held back by the fault injector, in order, each with the time it may go.
    std::deque<std::pair<Clock::time_point, Buffer>> held;
    Clock::time_point lastDue;
    asio::steady_timer holdTimer;
    std::array<std::uint8_t, kFrameHeaderBytes> header{};
    std::vector<std::uint8_t> body;
    std::deque<Buffer> queue;
    std::size_t queued = 0;
    bool writing = false;
    bool closeAfterWrite = false;
    // Closing our side: what is queued still goes, then the sending side is shut and whatever
    // arrives is read and thrown away until the peer closes, so nothing resets the connection.
    bool leaving = false;
    bool sendShut = false;
    Clock::time_point opened = Clock::now();
    Clock::time_point lastFrame = Clock::now();
    Clock::time_point lastSend = Clock::now();
    std::string label;  // for log lines
};

struct Transport::Impl {
    explicit Impl(TransportOptions o)
        : options(std::move(o)), tick(io), searchTimer(io), faultRandom(options.faults.seed) {
        // Each seed shifts the stall windows, so participants do not all stall at once.
        const std::uint32_t every = std::max<std::uint32_t>(1, options.faults.stallEveryMs);
        faultEpoch =
            Clock::now() -
            Ms(static_cast<std::uint32_t>((options.faults.seed - 1) * 2654435761ull % every));
        worker = std::thread([this] { io.run(); });
    }

    ~Impl() {
        CloseSession();
        asio::post(io, [this] {
            CloseSearch();
            guard.reset();
        });
        worker.join();
    }

    void Log(const std::string& line) {
        if (options.log) {
            options.log(line);
        } else {
            std::fprintf(stderr, "net: %s\n", line.c_str());
        }
    }

    // Runs fn on the io thread and waits for it.
    template <typename Fn>
    auto RunOnIo(Fn fn) -> decltype(fn()) {
        if (std::this_thread::get_id() == worker.get_id()) return fn();
        std::packaged_task<decltype(fn())()> task(std::move(fn));
        auto future = task.get_future();
        asio::post(io, [&task] { task(); });
        return future.get();
    }

    // ---- delivery to the local player -------------------------------------------------------

    void Deliver(PlayerId from, PlayerId to, std::vector<std::uint8_t> data) {
        core::AutoResetEvent* event = nullptr;
        {
            std::lock_guard lock(mutex);
            if (localId == 0) return;
            inbox.push_back(Message{from, to, std::move(data)});
            event = receiveEvent;
        }
        if (event) event->Set();
    }

    void DeliverSystem(const std::string& message) {
        Deliver(kSystemPlayer, localId, std::vector<std::uint8_t>(message.begin(), message.end()));
    }

    // ---- peers ------------------------------------------------------------------------------

    void Enqueue(const std::shared_ptr<Peer>& peer, Buffer frame) {
        if (peer->closed) return;
        if (peer->queued + frame->size() > options.maxQueuedBytes) {
            Drop(peer, "it does not read what it is sent");
            return;
        }
        peer->queued += frame->size();
        peer->lastSend = Clock::now();
        if (faulty) {
            Hold(peer, std::move(frame));
            return;
        }
        peer->queue.push_back(std::move(frame));
        if (!peer->writing) WriteNext(peer);
    }

    // ---- the fault injector (tests only) -----------------------------------------------------

    // The time a frame enqueued now may go: after the delay and its jitter, after the stall
    // window it falls in, and never before the frame ahead of it.
    Clock::time_point DueTime(const std::shared_ptr<Peer>& peer) {
        const NetFaults& f = options.faults;
        const auto now = Clock::now();
        std::uint32_t wait = f.delayMs;
        if (f.jitterMs != 0) wait += static_cast<std::uint32_t>(faultRandom() % (f.jitterMs + 1));
        auto due = now + Ms(wait);
        if (f.stallEveryMs != 0 && f.stallMs != 0) {
            const auto every = Ms(f.stallEveryMs);
            // The last stallMs of every period.
            const auto phase = (now - faultEpoch) % every;
            const auto quiet = Ms(f.stallEveryMs - f.stallMs);
            if (phase >= quiet) due = std::max(due, now - phase + every);
        }
        return std::max(due, peer->lastDue);
    }

    void Hold(const std::shared_ptr<Peer>& peer, Buffer frame) {
        const auto due = DueTime(peer);
        peer->lastDue = due;
        peer->held.emplace_back(due, std::move(frame));
        if (peer->held.size() == 1) ArmHold(peer);
    }

    void ArmHold(const std::shared_ptr<Peer>& peer) {
        peer->holdTimer.expires_at(peer->held.front().first);
        peer->holdTimer.async_wait([this, peer](std::error_code ec) {
            if (ec || peer->closed) return;
            const auto now = Clock::now();
            while (!peer->held.empty() && peer->held.front().first <= now) {
                peer->queue.push_back(std::move(peer->held.front().second));
                peer->held.pop_front();
            }
            if (!peer->held.empty()) ArmHold(peer);
            if (!peer->writing) WriteNext(peer);
        });
    }

    bool DropDatagram() {
        const int percent = options.faults.discoveryDropPercent;
        return percent > 0 && static_cast<int>(faultRandom() % 100) < percent;
    }

    void WriteNext(const std::shared_ptr<Peer>& peer) {
        if (peer->queue.empty() || peer->closed) {
            peer->writing = false;
            if (peer->closed) return;
            if (peer->leaving) {
                if (!peer->sendShut) {
                    peer->sendShut = true;
                    std::error_code ignored;
                    peer->socket.shutdown(tcp::socket::shutdown_send, ignored);
                }
                return;
            }
            if (peer->closeAfterWrite && peer->held.empty()) Drop(peer, {});
            return;
        }
        peer->writing = true;
        Buffer frame = peer->queue.front();
        asio::async_write(peer->socket, asio::buffer(*frame),
                          [this, peer, frame](std::error_code ec, std::size_t) {
                              if (peer->closed) return;
                              if (ec) {
                                  Drop(peer, "the connection failed (" + ec.message() + ")");
                                  return;
                              }
                              peer->queued -= frame->size();
                              peer->queue.pop_front();
                              WriteNext(peer);
                          });
    }

    void ReadHeader(const std::shared_ptr<Peer>& peer) {
        asio::async_read(
            peer->socket, asio::buffer(peer->header),
            [this, peer](std::error_code ec, std::size_t) {
                if (peer->closed) return;
                if (peer->leaving) {
                    DrainOrFinish(peer, ec);
                    return;
                }
                if (ec) {
                    Drop(peer, ec == asio::error::eof ? "it closed the connection"
                                                      : "the connection failed");
                    return;
                }
                const std::uint32_t length = GetU32(peer->header.data());
                const std::uint8_t kind = peer->header[4];
                // Checked before anything is allocated.
                if (kind < 1 || kind > 7) {
                    Drop(peer, "it sent a frame of unknown kind " + std::to_string(kind));
                    return;
                }
                if (peer->header[5] != 0 || peer->header[6] != 0 || peer->header[7] != 0) {
                    char reserved[16];
                    std::snprintf(reserved, sizeof reserved, "%02x %02x %02x", peer->header[5],
                                  peer->header[6], peer->header[7]);
                    Drop(peer, "its frame header of kind " + std::to_string(kind) +
                                   " has reserved bytes " + reserved +
                                   " where zeros belong (another protocol or a corrupt stream)");
                    return;
                }
                if (length > MaxFramePayload(kind)) {
                    Drop(peer, "it sent a frame of " + std::to_string(length) +
                                   " bytes, more than kind " + std::to_string(kind) + " may hold");
                    return;
                }
                peer->body.resize(length);
                if (length == 0) {
                    OnFrame(peer);
                    return;
                }
                asio::async_read(peer->socket, asio::buffer(peer->body),
                                 [this, peer](std::error_code ec2, std::size_t) {
                                     if (peer->closed) return;
                                     if (peer->leaving) {
                                         DrainOrFinish(peer, ec2);
                                         return;
                                     }
                                     if (ec2) {
                                         Drop(peer, "the connection failed");
                                         return;
                                     }
                                     OnFrame(peer);
                                 });
            });
    }

    void OnFrame(const std::shared_ptr<Peer>& peer) {
        peer->lastFrame = Clock::now();
        const auto kind = static_cast<FrameKind>(peer->header[4]);
        std::vector<std::uint8_t> body = std::move(peer->body);
        peer->body = {};
        const bool ok = hosting ? OnHostFrame(peer, kind, body) : OnClientFrame(peer, kind, body);
        if (!ok || peer->closed) return;
        ReadHeader(peer);
    }

    // Peers to iterate over while sends may drop some of them.
    std::vector<std::shared_ptr<Peer>> PeerList() {
        std::vector<std::shared_ptr<Peer>> out;
        for (auto& [key, p] : peers) out.push_back(p);
        return out;
    }

    void Drop(const std::shared_ptr<Peer>& ref, const std::string& why) {
        const std::shared_ptr<Peer> peer = ref;  // the map's copy may go below
        if (peer->closed) return;
        if (peer->leaving) {
            FinishLeaving(peer);
            return;
        }
        peer->closed = true;
        std::error_code ignored;
        peer->socket.shutdown(tcp::socket::shutdown_both, ignored);
        peer->socket.close(ignored);
        peer->queue.clear();
        peer->held.clear();
        peer->holdTimer.cancel();
        peer->queued = 0;
        if (!why.empty()) Log("peer " + peer->label + " dropped: " + why);
        if (hosting) {
            peers.erase(peer.get());
            if (!peer->welcomed) return;
            {
                std::lock_guard lock(mutex);
                players.erase(peer->id);
                pending.erase(peer->id);
            }
            DeliverSystem(BuildDestroyPlayerMessage(peer->id, peer->flags, peer->localData));
            // Nobody else ever heard of a client that was not admitted.
            if (!peer->admitted) return;
            for (auto& other : PeerList()) {
                if (other->welcomed) {
                    Enqueue(other, MakeFrame(FrameKind::PlayerDestroyed, {peer->id, peer->flags}));
                }
            }
        } else if (peer == hostPeer) {
            LoseSession();
        }
    }

    // ---- host -------------------------------------------------------------------------------

    void Accept() {
        auto peer = std::make_shared<Peer>(io);
        acceptor->async_accept(peer->socket, [this, peer](std::error_code ec) {
            if (!hosting || !acceptor) return;
            if (!ec) {
                std::error_code ignored;
                const auto remote = peer->socket.remote_endpoint(ignored);
                peer->address = remote.address().to_string();
                peer->label = peer->address + ":" + std::to_string(remote.port());
                peer->socket.set_option(tcp::no_delay(true), ignored);
                peers[peer.get()] = peer;
                ReadHeader(peer);
                LimitUnadmitted();
            }
            Accept();
        });
    }

    // Too many connections that are not players yet: the oldest of the address that holds the
    // most of them goes. A newcomer from another address is never the one dropped, and even
    // from the same address it has the time the flood needs to open maxUnadmitted more.
    void LimitUnadmitted() {
        for (;;) {
            std::map<std::string, std::vector<std::shared_ptr<Peer>>> byAddress;
            int count = 0;
            for (auto& [key, p] : peers) {
                if (p->admitted || p->closed) continue;
                byAddress[p->address].push_back(p);
                ++count;
            }
            if (count <= std::max(1, options.maxUnadmitted)) return;
            const std::vector<std::shared_ptr<Peer>>* most = nullptr;
            for (auto& [address, list] : byAddress) {
                if (!most || list.size() > most->size()) most = &list;
            }
            std::shared_ptr<Peer> oldest = most->front();
            for (auto& p : *most) {
                if (p->opened < oldest->opened) oldest = p;
            }
            Drop(oldest, "too many joins from " + oldest->address + " wait to be let in");
        }
    }

    int WelcomedCount() const {
        int n = 1;  // the host's own player
        for (const auto& [key, p] : peers) n += p->welcomed && p->admitted ? 1 : 0;
        return n;
    }

    bool OnHostFrame(const std::shared_ptr<Peer>& peer, FrameKind kind,
                     const std::vector<std::uint8_t>& body) {
        if (!peer->welcomed) {
            if (kind != FrameKind::Hello) {
                Drop(peer, "it spoke before saying hello");
                return false;
            }
            return OnHello(peer, body);
        }
        switch (kind) {
            case FrameKind::KeepAlive:
                return true;
            case FrameKind::Data: {
                if (body.size() < 4) {
                    Drop(peer, "it sent a data frame without destination");
                    return false;
                }
                const PlayerId to = GetU32(body.data());
                if (!peer->admitted && to != kServerPlayer && to != localId) {
                    Log("message of player " + std::to_string(peer->id) +
                        " dropped: it is not let in yet and may speak to the host only");
                    return true;
                }
                RouteFromClient(peer, to, body.data() + 4, body.size() - 4);
                return true;
            }
            default:
                Drop(peer, "it sent a frame only a host sends");
                return false;
        }
    }

    bool OnHello(const std::shared_ptr<Peer>& peer, const std::vector<std::uint8_t>& body) {
        if (body.size() < 25 || std::memcmp(body.data(), kHelloMagic.data(), 4) != 0 ||
            GetU16(body.data() + 4) != kProtocolVersion) {
            Drop(peer, "its hello is malformed");
            return false;
        }
        const std::size_t nameLength = body[24];
        if (nameLength > kMaxPlayerNameBytes || body.size() != 25 + nameLength) {
            Drop(peer, "its hello carries a bad name length");
            return false;
        }
        Guid app;
        std::memcpy(app.bytes.data(), body.data() + 8, 16);
        const SessionDesc now = CurrentDesc();
        std::uint32_t reason = 0;
        if (!(app == now.application)) {
            reason = kRefuseWrongApplication;
        } else if (now.joinsDisabled) {
            reason = kRefuseJoinsDisabled;
        } else if (WelcomedCount() >= now.maxPlayers) {
            reason = kRefuseFull;
        }
        if (reason != 0) {
            Log("peer " + peer->label + " refused (reason " + std::to_string(reason) + ")");
            Enqueue(peer, MakeFrame(FrameKind::Refuse, {reason}));
            peer->closeAfterWrite = true;
            return false;
        }
        peer->id = nextId++;
        peer->name =
            CutSjis(std::string_view(reinterpret_cast<const char*>(body.data() + 25), nameLength),
                    kMaxPlayerNameBytes);
        peer->welcomed = true;
        peer->welcomedAt = Clock::now();
        peer->admitted = options.admissionMs == 0;
        peer->label += " (player " + std::to_string(peer->id) + ")";
        {
            std::lock_guard lock(mutex);
            players[peer->id] = PlayerInfo{peer->id, 0, peer->name};
            if (!peer->admitted) pending.insert(peer->id);
        }
        const std::string sessionName = CutSjis(now.name, kMaxSessionNameBytes);
        std::vector<std::uint8_t> tail;
        tail.push_back(static_cast<std::uint8_t>(sessionName.size()));
        tail.insert(tail.end(), sessionName.begin(), sessionName.end());
        Enqueue(peer, MakeFrame(FrameKind::Welcome,
                                {peer->id, localId, static_cast<std::uint32_t>(now.maxPlayers)},
                                tail.data(), tail.size()));
        // The newcomer learns who is there; the others learn of the newcomer.
        std::vector<PlayerInfo> known = SnapshotPlayers();
        for (const PlayerInfo& p : known) {
            if (p.id == peer->id) continue;
            Enqueue(peer, PlayerFrame(p, false));
        }
        if (peer->admitted) Announce(peer);
        DeliverSystem(BuildCreatePlayerMessage(peer->id, 0, peer->name));
        return true;
    }

    void Announce(const std::shared_ptr<Peer>& peer) {
        const PlayerInfo created{peer->id, 0, peer->name};
        for (auto& other : PeerList()) {
            if (other != peer && other->welcomed) Enqueue(other, PlayerFrame(created, true));
        }
    }

    std::int32_t Admit(PlayerId id) {
        if (!hosting) return kErrFail;
        std::shared_ptr<Peer> peer = PeerOf(id);
        if (!peer) return kErrInvalidPlayer;
        if (peer->admitted) return kOk;
        const SessionDesc now = CurrentDesc();
        if (now.joinsDisabled || WelcomedCount() >= now.maxPlayers) return kErrJoinRefused;
        peer->admitted = true;
        {
            std::lock_guard lock(mutex);
            pending.erase(id);
        }
        Announce(peer);
        return kOk;
    }

    Buffer PlayerFrame(const PlayerInfo& p, bool announce) {
        std::vector<std::uint8_t> tail;
        tail.push_back(announce ? 1 : 0);
        tail.push_back(static_cast<std::uint8_t>(p.name.size()));
        tail.insert(tail.end(), p.name.begin(), p.name.end());
        return MakeFrame(FrameKind::PlayerCreated, {p.id, p.flags}, tail.data(), tail.size());
    }

    std::shared_ptr<Peer> PeerOf(PlayerId id) {
        for (auto& [key, p] : peers) {
            if (p->welcomed && p->id == id) return p;
        }
        return nullptr;
    }

    void RouteFromClient(const std::shared_ptr<Peer>& sender, PlayerId to, const std::uint8_t* data,
                         std::size_t size) {
        if (to == sender->id) return;  // no loop-back
        if (to == kAllPlayers) {
            Deliver(sender->id, kAllPlayers, std::vector<std::uint8_t>(data, data + size));
            Buffer frame = MakeFrame(FrameKind::Data, {sender->id, kAllPlayers}, data, size);
            for (auto& p : PeerList()) {
                if (p != sender && p->welcomed && p->admitted) Enqueue(p, frame);
            }
            return;
        }
        if (to == kServerPlayer || to == localId) {
            Deliver(sender->id, localId, std::vector<std::uint8_t>(data, data + size));
            return;
        }
        if (auto target = PeerOf(to)) {
            Enqueue(target, MakeFrame(FrameKind::Data, {sender->id, to}, data, size));
            return;
        }
        Log("message of player " + std::to_string(sender->id) + " to unknown player " +
            std::to_string(to) + " dropped");
    }

    void StartDiscoveryResponder() {
        std::error_code ec;
        const auto address = asio::ip::make_address(options.bindAddress, ec);
        if (ec) return;
        for (int i = 0; i < options.discoveryPorts; ++i) {
            auto socket = std::make_unique<udp::socket>(io);
            const auto port = static_cast<std::uint16_t>(options.discoveryBase + i);
            const udp::endpoint endpoint(address, port);
            socket->open(endpoint.protocol(), ec);
            if (ec) continue;
            socket->bind(endpoint, ec);
            if (ec) continue;
            responder = std::move(socket);
            discoveryPort = port;
            ReceiveQuery();
            return;
        }
        Log("no free discovery port from " + std::to_string(options.discoveryBase) +
            ": the session can be joined by address and port only");
    }

    void ReceiveQuery() {
        responder->async_receive_from(
            asio::buffer(queryBuffer), queryFrom, [this](std::error_code ec, std::size_t size) {
                if (!responder || !hosting) return;
                std::uint32_t nonce = 0;
                const SessionDesc current = CurrentDesc();
                if (!ec &&
                    ParseDiscoveryQuery(queryBuffer.data(), size, current.application, nonce)) {
                    DiscoveryAnswer answer;
                    answer.instance = current.instance;
                    answer.port = tcpPort;
                    answer.nonce = nonce;
                    answer.players = WelcomedCount();
                    answer.maxPlayers = current.maxPlayers;
                    answer.joinsDisabled = current.joinsDisabled;
                    answer.name = current.name;
                    auto datagram = std::make_shared<std::string>(BuildDiscoveryAnswer(answer));
                    if (!DropDatagram())
                        responder->async_send_to(asio::buffer(*datagram), queryFrom,
                                                 [datagram](std::error_code, std::size_t) {});
                }
                ReceiveQuery();
            });
    }

    // ---- client -----------------------------------------------------------------------------

    bool OnClientFrame(const std::shared_ptr<Peer>& peer, FrameKind kind,
                       const std::vector<std::uint8_t>& body) {
        if (!peer->welcomed) {
            if (kind == FrameKind::Welcome && body.size() >= 13 && body.size() == 13u + body[12] &&
                body[12] <= kMaxSessionNameBytes) {
                peer->welcomed = true;
                peer->id = GetU32(body.data() + 4);
                {
                    std::lock_guard lock(mutex);
                    localId = GetU32(body.data());
                    serverId = peer->id;
                    desc.maxPlayers = static_cast<int>(GetU32(body.data() + 8));
                    desc.name.assign(reinterpret_cast<const char*>(body.data() + 13), body[12]);
                    players[localId] = PlayerInfo{localId, 0, localName};
                    // Known as the server player at once; its name follows with the others.
                    players[serverId] = PlayerInfo{serverId, kServerPlayerFlag, {}};
                }
                FinishJoin(kOk);
                return true;
            }
            if (kind == FrameKind::Refuse) {
                Log("the host refused to let us join");
                FinishJoin(kErrJoinRefused);
            } else {
                Log("the host answered the hello with nonsense");
                FinishJoin(kErrFail);
            }
            Drop(peer, {});
            return false;
        }
        switch (kind) {
            case FrameKind::KeepAlive:
                return true;
            case FrameKind::Data: {
                if (body.size() < 8) break;
                const PlayerId from = GetU32(body.data());
                const PlayerId to = GetU32(body.data() + 4);
                Deliver(from, to, std::vector<std::uint8_t>(body.begin() + 8, body.end()));
                return true;
            }
            case FrameKind::PlayerCreated: {
                if (body.size() < 10 || body[9] > kMaxPlayerNameBytes ||
                    body.size() != 10u + body[9]) {
                    break;
                }
                PlayerInfo p{GetU32(body.data()), GetU32(body.data() + 4),
                             std::string(reinterpret_cast<const char*>(body.data() + 10), body[9])};
                {
                    std::lock_guard lock(mutex);
                    players[p.id] = p;
                }
                if (body[8] != 0) DeliverSystem(BuildCreatePlayerMessage(p.id, p.flags, p.name));
                return true;
            }
            case FrameKind::PlayerDestroyed: {
                if (body.size() != 8) break;
                const PlayerId id = GetU32(body.data());
                bool known = false;
                {
                    std::lock_guard lock(mutex);
                    known = players.erase(id) != 0;
                }
                if (known)
                    DeliverSystem(BuildDestroyPlayerMessage(id, GetU32(body.data() + 4), {}));
                return true;
            }
            default:
                break;
        }
        Drop(peer, "the host sent a malformed frame");
        return false;
    }

    void FinishJoin(std::int32_t result) {
        if (joinPromise) {
            joinPromise->set_value(result);
            joinPromise.reset();
        }
    }

    // The host's connection ended: every other player is gone, then the session.
    void LoseSession() {
        FinishJoin(kErrNoConnection);
        std::vector<PlayerInfo> gone;
        {
            std::lock_guard lock(mutex);
            for (auto& [id, p] : players) {
                if (id != localId) gone.push_back(p);
            }
            players.clear();
            if (localId != 0) players[localId] = PlayerInfo{localId, 0, localName};
            open = false;
        }
        if (localId == 0) return;
        for (const PlayerInfo& p : gone)
            DeliverSystem(BuildDestroyPlayerMessage(p.id, p.flags, {}));
        DeliverSystem(BuildSessionLostMessage());
    }

    // ---- keep-alive -------------------------------------------------------------------------

    void ArmTick() {
        const std::uint32_t every = std::max<std::uint32_t>(20, options.keepAliveMs / 2);
        tick.expires_after(Ms(every));
        tick.async_wait([this](std::error_code ec) {
            if (ec || !open) return;
            const auto now = Clock::now();
            std::vector<std::shared_ptr<Peer>> all;
            if (hosting) {
                for (auto& [key, p] : peers) all.push_back(p);
            } else if (hostPeer) {
                all.push_back(hostPeer);
            }
            for (auto& p : all) {
                if (p->closed) continue;
                if (!p->welcomed && now - p->opened > Ms(options.handshakeMs)) {
                    Drop(p, "it did not finish the handshake in time");
                } else if (hosting && p->welcomed && !p->admitted &&
                           now - p->welcomedAt > Ms(options.admissionMs)) {
                    Drop(p, "it did not introduce itself within " +
                                std::to_string(options.admissionMs) + " ms of joining");
                } else if (now - p->lastFrame > Ms(options.deadPeerMs)) {
                    Drop(p,
                         "nothing whole arrived for " + std::to_string(options.deadPeerMs) + " ms");
                } else if (p->welcomed && now - p->lastSend >= Ms(options.keepAliveMs)) {
                    Enqueue(p, MakeFrame(FrameKind::KeepAlive, {}));
                }
            }
            if (open) ArmTick();
        });
    }

    // ---- search -----------------------------------------------------------------------------

    void OpenSearch(const Guid& application) {
        CloseSearch();
        searchApp = application;
        searchSocket = std::make_unique<udp::socket>(io);
        std::error_code ec;
        searchSocket->open(udp::v4(), ec);
        if (ec) {
            searchSocket.reset();
            Log("discovery socket: " + ec.message());
            return;
        }
        searchSocket->set_option(asio::socket_base::broadcast(true), ec);
        searchSocket->bind(udp::endpoint(udp::v4(), 0), ec);
        searchNonce = static_cast<std::uint32_t>(std::random_device{}());
        ReceiveAnswer();
        SendQueries();
    }

    void SendQueries() {
        if (!searchSocket) return;
        const auto query = std::make_shared<std::array<std::uint8_t, kDiscoveryDatagramBytes>>(
            BuildDiscoveryQuery(searchApp, searchNonce));
        for (const std::string& text : options.searchAddresses) {
            std::error_code ec;
            const auto address = asio::ip::make_address_v4(text, ec);
            if (ec) continue;
            for (int i = 0; i < options.discoveryPorts; ++i) {
                const udp::endpoint to(address,
                                       static_cast<std::uint16_t>(options.discoveryBase + i));
                if (DropDatagram()) continue;
                searchSocket->async_send_to(asio::buffer(*query), to,
                                            [query](std::error_code, std::size_t) {});
            }
        }
        searchTimer.expires_after(Ms(kSearchIntervalMs));
        searchTimer.async_wait([this](std::error_code ec) {
            if (!ec) SendQueries();
        });
    }

    void ReceiveAnswer() {
        searchSocket->async_receive_from(
            asio::buffer(answerBuffer), answerFrom, [this](std::error_code ec, std::size_t size) {
                if (!searchSocket) return;
                DiscoveryAnswer answer;
                if (!ec && ParseDiscoveryAnswer(answerBuffer.data(), size, answer) &&
                    answer.nonce == searchNonce && answer.port != 0) {
                    std::lock_guard lock(mutex);
                    Heard& h = heard[answer.instance.bytes];
                    if (heard.size() <= kMaxSessionsHeard) {
                        h.info = SessionInfo{
                            answer.instance,     answer.name,    answerFrom.address().to_string(),
                            answer.port,         answer.players, answer.maxPlayers,
                            answer.joinsDisabled};
                        h.when = Clock::now();
                    } else {
                        heard.erase(answer.instance.bytes);
                    }
                }
                if (ec == asio::error::operation_aborted) return;
                ReceiveAnswer();
            });
    }

    void CloseSearch() {
        searchTimer.cancel();
        if (searchSocket) {
            std::error_code ignored;
            searchSocket->close(ignored);
            searchSocket.reset();
        }
    }

    // ---- closing ----------------------------------------------------------------------------

    // Lets what is queued for an established peer (a goodbye among it) go out before the
    // connection ends; see Peer::leaving. The peer no longer belongs to the session.
    void StartLeaving(const std::shared_ptr<Peer>& peer) {
        peer->leaving = true;
        peer->holdTimer.cancel();
        while (!peer->held.empty()) {
            peer->queue.push_back(std::move(peer->held.front().second));
            peer->held.pop_front();
        }
        {
            std::lock_guard lock(mutex);
            ++lingering;
        }
        lingeringPeers.push_back(peer);
        if (!peer->writing) WriteNext(peer);
    }

    void DrainOrFinish(const std::shared_ptr<Peer>& peer, std::error_code ec) {
        if (ec) {
            FinishLeaving(peer);
            return;
        }
        peer->body.resize(4096);
        peer->socket.async_read_some(asio::buffer(peer->body),
                                     [this, peer](std::error_code ec2, std::size_t) {
                                         if (peer->closed) return;
                                         DrainOrFinish(peer, ec2);
                                     });
    }

    void FinishLeaving(const std::shared_ptr<Peer>& peer) {
        if (peer->closed) return;
        peer->closed = true;
        std::error_code ignored;
        peer->socket.close(ignored);
        peer->queue.clear();
        peer->queued = 0;
        std::erase(lingeringPeers, peer);
        {
            std::lock_guard lock(mutex);
            --lingering;
        }
        lingerDone.notify_all();
    }

    void CloseSession() {
        RunOnIo([this] {
            FinishJoin(kErrNoConnection);
            tick.cancel();
            std::error_code ignored;
            if (acceptor) {
                acceptor->close(ignored);
                acceptor.reset();
            }
            if (responder) {
                responder->close(ignored);
                responder.reset();
            }
            const bool wasHosting = hosting;
            hosting = false;
            // Established connections are closed gracefully; half-open ones at once.
            auto end = [this, &ignored](const std::shared_ptr<Peer>& p) {
                if (p->closed || p->leaving) return;
                if (p->welcomed) {
                    StartLeaving(p);
                    return;
                }
                p->closed = true;
                p->holdTimer.cancel();
                p->socket.close(ignored);
            };
            for (auto& [key, p] : peers) end(p);
            peers.clear();
            if (hostPeer) {
                end(hostPeer);
                hostPeer.reset();
            }
            (void)wasHosting;
            std::lock_guard lock(mutex);
            open = false;
            localId = 0;
            serverId = 0;
            players.clear();
            pending.clear();
            inbox.clear();
            receiveEvent = nullptr;
            tcpPort = 0;
            discoveryPort = 0;
            desc = SessionDesc{};
            return 0;
        });
        // Bounded: a peer that is gone or never reads cannot hold a leave up for long.
        if (std::this_thread::get_id() != worker.get_id()) {
            std::unique_lock lock(mutex);
            lingerDone.wait_for(lock, Ms(kLeaveLingerMs), [this] { return lingering == 0; });
        }
        RunOnIo([this] {
            const std::vector<std::shared_ptr<Peer>> left = lingeringPeers;
            for (const auto& p : left) FinishLeaving(p);
            return 0;
        });
    }

    SessionDesc CurrentDesc() {
        std::lock_guard lock(mutex);
        return desc;
    }

    std::vector<PlayerInfo> SnapshotPlayers() {
        std::lock_guard lock(mutex);
        std::vector<PlayerInfo> out;
        for (auto& [id, p] : players) {
            if (!pending.count(id)) out.push_back(p);
        }
        return out;
    }

    TransportOptions options;
    asio::io_context io;
    asio::executor_work_guard<asio::io_context::executor_type> guard{io.get_executor()};
    asio::steady_timer tick;
    asio::steady_timer searchTimer;
    std::thread worker;

    // io thread only.
    std::unique_ptr<tcp::acceptor> acceptor;
    std::unique_ptr<udp::socket> responder;
    std::array<std::uint8_t, 512> queryBuffer{};
    udp::endpoint queryFrom;
    std::map<Peer*, std::shared_ptr<Peer>> peers;
    std::shared_ptr<Peer> hostPeer;
    // Connections of a closed session still handing over their last frames.
    std::vector<std::shared_ptr<Peer>> lingeringPeers;
    std::unique_ptr<std::promise<std::int32_t>> joinPromise;
    std::unique_ptr<udp::socket> searchSocket;
    Guid searchApp;
    std::uint32_t searchNonce = 0;
    std::array<std::uint8_t, 512> answerBuffer{};
    udp::endpoint answerFrom;
    PlayerId nextId = kFirstPlayerId;
    bool hosting = false;
    const bool faulty = options.faults.Any();
    std::mt19937 faultRandom;
    Clock::time_point faultEpoch;

    // Shared with the callers' threads.
    mutable std::mutex mutex;
    int lingering = 0;
    std::condition_variable lingerDone;
    bool open = false;
    PlayerId localId = 0;
    PlayerId serverId = 0;
    std::string localName;
    std::map<PlayerId, PlayerInfo> players;
    // Host: joined clients not admitted yet (in players, but not counted or listed).
    std::set<PlayerId> pending;
    std::deque<Message> inbox;
    core::AutoResetEvent* receiveEvent = nullptr;
    SessionDesc desc;
    std::uint16_t tcpPort = 0;
    std::uint16_t discoveryPort = 0;
    struct Heard {
        SessionInfo info;
        Clock::time_point when;
    };
    std::map<std::array<std::uint8_t, 16>, Heard> heard;
};

Transport::Transport(TransportOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

Transport::~Transport() = default;

void Transport::StartSearch(const Guid& application) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->heard.clear();
    }
    impl_->RunOnIo([&] {
        impl_->OpenSearch(application);
        return 0;
    });
}

void Transport::StopSearch() {
    impl_->RunOnIo([&] {
        impl_->CloseSearch();
        return 0;
    });
}

std::vector<SessionInfo> Transport::Sessions(bool availableOnly) const {
    std::lock_guard lock(impl_->mutex);
    std::vector<SessionInfo> out;
    const auto now = Clock::now();
    for (auto& [key, h] : impl_->heard) {
        if (now - h.when > Ms(kSessionForgetMs)) continue;
        if (availableOnly && (h.info.joinsDisabled || h.info.players >= h.info.maxPlayers))
            continue;
        out.push_back(h.info);
    }
    return out;
}

std::vector<SessionInfo> Transport::FindSessions(const Guid& application, std::uint32_t waitMs,
                                                 std::string_view name) {
    StartSearch(application);
    const auto deadline = Clock::now() + Ms(waitMs);
    std::vector<SessionInfo> found;
    while (Clock::now() < deadline) {
        found = Sessions(false);
        bool hit = false;
        for (const SessionInfo& s : found) hit = hit || name.empty() || s.name == name;
        if (hit) break;
        core::SleepMs(10);
    }
    StopSearch();
    return found;
}

std::int32_t Transport::Host(const Guid& application, std::string_view sessionName, int maxPlayers,
                             std::string_view playerName, core::AutoResetEvent* receiveEvent,
                             PlayerId& id) {
    Close();
    return impl_->RunOnIo([&]() -> std::int32_t {
        Impl& m = *impl_;
        std::error_code ec;
        const auto address = asio::ip::make_address(m.options.bindAddress, ec);
        if (ec) {
            m.Log("host: bad bind address " + m.options.bindAddress);
            return kErrFail;
        }
        auto acceptor = std::make_unique<tcp::acceptor>(m.io);
        const tcp::endpoint endpoint(address, m.options.port);
        acceptor->open(endpoint.protocol(), ec);
        if (!ec) acceptor->set_option(tcp::acceptor::reuse_address(true), ec);
        if (!ec) acceptor->bind(endpoint, ec);
        if (!ec) acceptor->listen(asio::socket_base::max_listen_connections, ec);
        if (ec) {
            m.Log("host: cannot listen on " + m.options.bindAddress + ":" +
                  std::to_string(m.options.port) + " (" + ec.message() + ")");
            return kErrFail;
        }
        m.acceptor = std::move(acceptor);
        m.hosting = true;
        {
            std::lock_guard lock(m.mutex);
            m.tcpPort = m.acceptor->local_endpoint().port();
            m.desc = SessionDesc{application,
                                 MakeRandomGuid(),
                                 std::string(sessionName),
                                 std::clamp(maxPlayers, 1, kMaxSessionPlayers),
                                 1,
                                 false};
            m.localId = m.nextId++;
            m.serverId = m.localId;
            m.localName = CutSjis(playerName, kMaxPlayerNameBytes);
            m.players[m.localId] = PlayerInfo{m.localId, kServerPlayerFlag, m.localName};
            m.receiveEvent = receiveEvent;
            m.open = true;
            id = m.localId;
        }
        m.StartDiscoveryResponder();
        m.Accept();
        m.ArmTick();
        return kOk;
    });
}

std::int32_t Transport::Join(const std::string& address, std::uint16_t port,
                             const Guid& application, std::string_view playerName,
                             core::AutoResetEvent* receiveEvent, PlayerId& id) {
    Close();
    std::error_code ec;
    const auto ip = asio::ip::make_address(address, ec);
    if (ec || port == 0) return kErrNoSessions;
    auto promise = std::make_unique<std::promise<std::int32_t>>();
    std::future<std::int32_t> result = promise->get_future();
    const std::string name = CutSjis(playerName, kMaxPlayerNameBytes);
    impl_->RunOnIo([&] {
        Impl& m = *impl_;
        m.joinPromise = std::move(promise);
        {
            std::lock_guard lock(m.mutex);
            m.localName = name;
            m.receiveEvent = receiveEvent;
            m.open = true;
        }
        auto peer = std::make_shared<Peer>(m.io);
        peer->label = address + ":" + std::to_string(port) + " (host)";
        m.hostPeer = peer;
        peer->socket.async_connect(
            tcp::endpoint(ip, port), [this, peer, application, name](std::error_code ec2) {
                Impl& mm = *impl_;
                if (peer->closed) return;
                if (ec2) {
                    mm.Log("join: cannot reach " + peer->label + " (" + ec2.message() + ")");
                    mm.FinishJoin(kErrNoConnection);
                    peer->closed = true;
                    return;
                }
                std::error_code ignored;
                peer->socket.set_option(tcp::no_delay(true), ignored);
                std::vector<std::uint8_t> hello(25 + name.size());
                std::memcpy(hello.data(), kHelloMagic.data(), 4);
                PutU16(hello.data() + 4, kProtocolVersion);
                std::memcpy(hello.data() + 8, application.bytes.data(), 16);
                hello[24] = static_cast<std::uint8_t>(name.size());
                std::memcpy(hello.data() + 25, name.data(), name.size());
                peer->opened = peer->lastFrame = Clock::now();
                mm.Enqueue(peer, MakeFrame(FrameKind::Hello, {}, hello.data(), hello.size()));
                mm.ReadHeader(peer);
            });
        m.ArmTick();
        return 0;
    });
    std::int32_t r = kErrTimeout;
    if (result.wait_for(Ms(impl_->options.handshakeMs + 1000)) == std::future_status::ready) {
        r = result.get();
    }
    if (r != kOk) {
        Close();
        return r;
    }
    std::lock_guard lock(impl_->mutex);
    id = impl_->localId;
    return kOk;
}

void Transport::Close() {
    impl_->CloseSession();
}

std::int32_t Transport::Send(PlayerId to, const std::uint8_t* data, std::size_t size) {
    if (size > kMaxMessageBytes) return kErrSendTooBig;
    if (!data && size != 0) return kErrFail;
    PlayerId self = 0;
    {
        std::lock_guard lock(impl_->mutex);
        if (!impl_->open || impl_->localId == 0) return kErrNoConnection;
        self = impl_->localId;
        if (to != kAllPlayers && to != kServerPlayer && !impl_->players.count(to)) {
            return kErrInvalidPlayer;
        }
    }
    if (to == self) return kOk;  // never looped back
    auto copy = std::make_shared<std::vector<std::uint8_t>>(data, data + size);
    asio::post(impl_->io, [this, to, self, copy] {
        Impl& m = *impl_;
        if (m.hosting) {
            if (to == kServerPlayer) return;  // that is us
            Buffer frame = MakeFrame(FrameKind::Data, {self, to}, copy->data(), copy->size());
            for (auto& p : m.PeerList()) {
                if (p->welcomed && ((to == kAllPlayers && p->admitted) || p->id == to))
                    m.Enqueue(p, frame);
            }
        } else if (m.hostPeer && !m.hostPeer->closed && m.hostPeer->welcomed) {
            m.Enqueue(m.hostPeer, MakeFrame(FrameKind::Data, {to}, copy->data(), copy->size()));
        }
    });
    return kOk;
}

std::int32_t Transport::Receive(PlayerId& from, PlayerId& to, std::uint8_t* buffer,
                                std::uint32_t& size) {
    std::lock_guard lock(impl_->mutex);
    if (impl_->inbox.empty()) return kErrNoMessages;
    Message& m = impl_->inbox.front();
    if (!buffer || size < m.data.size()) {
        size = static_cast<std::uint32_t>(m.data.size());
        return kErrBufferTooSmall;
    }
    from = m.from;
    to = m.to;
    size = static_cast<std::uint32_t>(m.data.size());
    if (!m.data.empty()) std::memcpy(buffer, m.data.data(), m.data.size());
    impl_->inbox.pop_front();
    return kOk;
}

std::int32_t Transport::GetSessionDesc(SessionDesc& desc) const {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->open) return kErrNoConnection;
    desc = impl_->desc;
    desc.players = static_cast<int>(impl_->players.size() - impl_->pending.size());
    return kOk;
}

std::int32_t Transport::AdmitPlayer(PlayerId id) {
    return impl_->RunOnIo([&] { return impl_->Admit(id); });
}

std::int32_t Transport::SetSessionDesc(int maxPlayers, bool joinsDisabled) {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->open || !impl_->hosting) return kErrFail;
    impl_->desc.maxPlayers = std::clamp(maxPlayers, 1, kMaxSessionPlayers);
    impl_->desc.joinsDisabled = joinsDisabled;
    return kOk;
}

std::int32_t Transport::SetPlayerData(PlayerId id, const std::uint8_t* data, std::size_t size) {
    if (size > 256 || (!data && size != 0)) return kErrFail;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    return impl_->RunOnIo([&]() -> std::int32_t {
        if (!impl_->hosting) return kErrFail;
        if (auto p = impl_->PeerOf(id)) {
            p->localData = bytes;
            return kOk;
        }
        return kErrInvalidPlayer;
    });
}

bool Transport::IsOpen() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->open;
}

bool Transport::IsHost() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->open && impl_->serverId != 0 && impl_->serverId == impl_->localId;
}

PlayerId Transport::LocalPlayer() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->localId;
}

std::vector<PlayerInfo> Transport::Players() const {
    return impl_->SnapshotPlayers();
}

std::uint16_t Transport::Port() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->tcpPort;
}

std::uint16_t Transport::DiscoveryPort() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->discoveryPort;
}

}  // namespace zv::transport
