#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Threads.h"
#include "platform/net/Wire.h"

// The session transport: one host and up to five clients, each client on one TCP connection to
// the host, which relays. Sessions of an application are found by UDP discovery: a host listens
// on the first free port of a small range of discovery ports and answers queries of its
// application; a searcher sends one query to every port of that range at each search address
// (the local network's broadcast address and 127.0.0.1 by default), so several hosts on one
// machine are all found. Messages arrive whole and in order, never looped back to the sender.
// A peer that sends garbage, too much, or too slowly is dropped and logged; nothing it does can
// hold the others up. Keep-alives make a dead peer known within deadPeerMs.
namespace zv::transport {

inline constexpr std::uint16_t kDefaultDiscoveryPort = 47630;

// What a slow, lossy or stalling network would do, for tests and the soak runner only (the game
// never sets it). Every frame this end sends waits delayMs plus up to jitterMs; frames to one peer
// keep their order, as the stream guarantees, while frames to different peers overtake each
// other. Discovery datagrams this end sends are lost at the given rate. The last stallMs of every
// stallEveryMs the end sends nothing at all (keep-alives included); the seed shifts the periods.
struct NetFaults {
    std::uint32_t delayMs = 0;
    std::uint32_t jitterMs = 0;
    int discoveryDropPercent = 0;
    std::uint32_t stallEveryMs = 0;
    std::uint32_t stallMs = 0;
    std::uint32_t seed = 1;
    bool Any() const {
        return delayMs != 0 || jitterMs != 0 || discoveryDropPercent != 0 ||
               (stallEveryMs != 0 && stallMs != 0);
    }
};
// Reads "delay=MS,jitter=MS,drop=PERCENT,stall=EVERY/FOR,seed=N" (any subset, any order);
// false with a reason for anything else.
bool ParseNetFaults(std::string_view text, NetFaults& faults, std::string& error);

struct TransportOptions {
    // Address the host's TCP and discovery sockets bind to.
    std::string bindAddress = "0.0.0.0";
    // TCP port of a hosted session; 0 takes any free port (see Transport::Port).
    std::uint16_t port = 0;
    std::uint16_t discoveryBase = kDefaultDiscoveryPort;
    int discoveryPorts = 8;
    std::vector<std::string> searchAddresses{"255.255.255.255", "127.0.0.1"};
    std::uint32_t keepAliveMs = 500;
    std::uint32_t deadPeerMs = 3000;
    std::uint32_t handshakeMs = 3000;
    // 0: a client is a player of the session as soon as its hello is accepted. Otherwise it is
    // only admitted when the host's application calls AdmitPlayer within this time, and is
    // dropped when it is not: until then it holds no place in the session, is announced to
    // nobody but the host's application and may send to the host only.
    std::uint32_t admissionMs = 0;
    // Connections not (yet) admitted that the host keeps at once; beyond it the oldest of the
    // address holding the most goes, so a flood from one address cannot keep others out.
    int maxUnadmitted = 12;
    // Bytes waiting to go to one peer before it counts as not reading.
    std::size_t maxQueuedBytes = 32u << 20;
    // One line per dropped peer or frame; empty: standard error.
    std::function<void(std::string_view)> log;
    NetFaults faults;
};

struct SessionInfo {
    Guid instance;
    std::string name;
    std::string address;
    std::uint16_t port = 0;
    int players = 0;
    int maxPlayers = 0;
    bool joinsDisabled = false;
};

struct SessionDesc {
    Guid application;
    Guid instance;
    std::string name;
    int maxPlayers = 0;
    int players = 0;
    bool joinsDisabled = false;
};

struct PlayerInfo {
    PlayerId id = 0;
    std::uint32_t flags = 0;
    std::string name;
};

class Transport {
  public:
    explicit Transport(TransportOptions options = {});
    ~Transport();
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    // Discovery: keeps querying every 250 ms until StopSearch; answers gathered meanwhile are
    // read with Sessions (those heard from within the last two seconds).
    void StartSearch(const Guid& application);
    void StopSearch();
    std::vector<SessionInfo> Sessions(bool availableOnly) const;
    // Searches for at most waitMs and returns once a session named `name` (any, when empty)
    // was heard from, or the time is up.
    std::vector<SessionInfo> FindSessions(const Guid& application, std::uint32_t waitMs,
                                          std::string_view name = {});

    // Opens a new session and creates its server player. kOk, or an error when the address or
    // port cannot be bound.
    std::int32_t Host(const Guid& application, std::string_view sessionName, int maxPlayers,
                      std::string_view playerName, core::AutoResetEvent* receiveEvent,
                      PlayerId& id);
    // Joins the session at address:port (numeric IPv4 or IPv6) and creates the local player.
    // kErrJoinRefused when the session is full, refuses joins or belongs to another
    // application; kErrTimeout or kErrNoConnection when nobody answers in time.
    std::int32_t Join(const std::string& address, std::uint16_t port, const Guid& application,
                      std::string_view playerName, core::AutoResetEvent* receiveEvent,
                      PlayerId& id);
    // Leaves or ends the session: the others see the local player destroyed (clients also the
    // session lost). What was sent before still goes out first (a goodbye reaches the peer as
    // such); a peer that does not take it holds the call up for a second at most. Messages not
    // received yet are dropped.
    void Close();

    // Guaranteed, ordered delivery to kAllPlayers (everybody but the sender), kServerPlayer or
    // one player's id. A message to oneself goes nowhere.
    std::int32_t Send(PlayerId to, const std::uint8_t* data, std::size_t size);
    // The next message: kErrNoMessages when none waits; kErrBufferTooSmall with `size` set to
    // the message's size when it does not fit (the message stays first).
    std::int32_t Receive(PlayerId& from, PlayerId& to, std::uint8_t* buffer, std::uint32_t& size);

    std::int32_t GetSessionDesc(SessionDesc& desc) const;
    // Host only: the maximum number of players (1-6) and whether joins are refused.
    std::int32_t SetSessionDesc(int maxPlayers, bool joinsDisabled);
    // Host only, with admissionMs set: lets a joined client in. kErrJoinRefused when the session
    // is full or refuses joins (the client stays out and is dropped at its deadline),
    // kErrInvalidPlayer when no such client waits.
    std::int32_t AdmitPlayer(PlayerId id);
    // Host only: bytes kept with a player and handed back in its destroy message.
    std::int32_t SetPlayerData(PlayerId id, const std::uint8_t* data, std::size_t size);

    bool IsOpen() const;
    bool IsHost() const;
    PlayerId LocalPlayer() const;
    std::vector<PlayerInfo> Players() const;
    // The hosted session's TCP port and discovery port (0 when none).
    std::uint16_t Port() const;
    std::uint16_t DiscoveryPort() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A random instance or application identifier.
Guid MakeRandomGuid();

}  // namespace zv::transport
