#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/Threads.h"
#include "platform/net/Transport.h"

// The wrappers through which the session subsystem reaches the transport: NetConnection chooses
// a connection kind, browses, hosts and joins sessions and performs the lobby start; NetPlay is
// the session interface; NetPlayer the local player through which every message is sent;
// NetLobby the lobby start.
namespace zv::net {

using transport::PlayerId;

// Connection kinds of the connection page.
inline constexpr int kConnectionLan = 1;    // sessions found on the local network
inline constexpr int kConnectionTcpIp = 2;  // a host by address and port

struct ConnectionRow {
    std::string text;  // Shift-JIS
    int kind = 0;
};

// What the TCP/IP connection asks when it is initialised: the host's address (blank: search the
// local network) and the port of a session to host or join (0: any / found by discovery).
class AddressPrompt {
  public:
    virtual ~AddressPrompt() = default;
    virtual bool AskAddress(std::string& address, std::uint16_t& port) = 0;
};

// One session found by the last search; its list text is "%s (%d人/%d人中)" within 256 bytes.
struct SessionNode {
    transport::Guid instance;
    std::string text;
    std::string address;
    std::uint16_t port = 0;
};
inline constexpr std::size_t kSessionNodeTextBytes = 256;
std::string FormatSessionRow(const std::string& name, int players, int maxPlayers);

class NetPlay {
  public:
    explicit NetPlay(transport::Transport* transport) : transport_(transport) {}
    // The local player exists once the session is open; this records its data and event.
    std::int32_t CreatePlayer(PlayerId& id, std::uint32_t flags);
    std::int32_t DestroyPlayer();
    std::int32_t Receive(PlayerId& from, PlayerId& to, std::uint8_t* buffer, std::uint32_t& size);
    std::int32_t Send(PlayerId to, const std::uint8_t* data, std::size_t size);
    std::int32_t GetSessionDesc(transport::SessionDesc& desc);
    std::int32_t SetSessionDesc(int maxPlayers, bool joinsDisabled);
    std::int32_t SetPlayerData(PlayerId id, const std::uint8_t* data, std::size_t size);
    // Host: lets a joined client in (see TransportOptions::admissionMs).
    std::int32_t AdmitPlayer(PlayerId id);
    // The id of the host's player (flag 0x100), 0 when unknown.
    PlayerId ServerPlayer();
    transport::Transport* Transport() { return transport_; }

  private:
    transport::Transport* transport_;
};

class NetPlayer {
  public:
    void Attach(NetPlay* play) { play_ = play; }
    bool Create(std::uint32_t flags);
    void Destroy();
    // to: 0 all players, 1 the server player, else a player id. 1 when sent.
    int Send(PlayerId to, const std::uint8_t* data, std::size_t size);
    PlayerId Id() const { return id_; }
    std::int32_t LastResult() const { return lastResult_; }

  private:
    NetPlay* play_ = nullptr;
    PlayerId id_ = 0;
    std::int32_t lastResult_ = -1;
};

// The lobby start: a program launched by a lobby finds its instructions in the environment
// variable ZV6_LOBBY, "host;PORT;NAME" (create the session on PORT as NAME) or
// "join;ADDRESS;PORT;NAME" (join the session there, waiting for it to open).
class NetLobby {
  public:
    // False when the variable is missing; `valid` tells whether it could be read.
    bool ReadSettings(bool& valid);
    bool IsHost() const { return host_; }
    const std::string& Address() const { return address_; }
    std::uint16_t Port() const { return port_; }
    const std::string& PlayerName() const { return playerName_; }

  private:
    bool host_ = false;
    std::string address_;
    std::uint16_t port_ = 0;
    std::string playerName_;
};

// What waits for a joining lobby start's session: calls the poll it is handed until that answers
// other than kErrConnecting (see NetConnection::CheckLobbyLaunch).
using LobbyWait = std::function<std::int32_t(const std::function<std::int32_t()>& poll)>;

class NetConnection {
  public:
    // `options` are the transport's base options (addresses and ports); the chosen connection
    // kind adjusts them.
    explicit NetConnection(transport::TransportOptions options = {});
    virtual ~NetConnection();
    NetConnection(const NetConnection&) = delete;
    NetConnection& operator=(const NetConnection&) = delete;

    // Status notifications 1-5 for the session-browser page (nothing here).
    virtual void OnStatus(int code, const std::string& text);

    std::vector<ConnectionRow> EnumConnections();
    // The row to preselect: the one chosen last, else 0.
    int PreferredConnectionRow();
    // Chosen row of EnumConnections. kind := the row's kind; 0 when it cannot be initialised.
    int InitializeChosenConnection(int row, int& kind, AddressPrompt* prompt = nullptr);
    void SetApplication(const transport::Guid& app) { application_ = app; }
    void SetReceiveEvent(core::AutoResetEvent* event) { receiveEvent_ = event; }

    // Session browsing. The rows: the sessions found, or one placeholder row without a node.
    void ResetSessionList();
    void ToggleSearch(bool& searching);
    int RefreshSessions();
    void StopBrowsing();
    bool IsSearching() const { return searching_; }
    const std::vector<std::string>& Rows() const { return rows_; }
    const SessionNode* RowNode(int row) const;
    void SelectRow(int row) { selected_ = row; }
    int SelectedRow() const { return selected_; }

    int HostSession(int maxPlayers, const char* name);
    int JoinSession(bool& joined);
    // The transport's answer to the last join (kErrJoinRefused, kErrTimeout, ...; kOk after a
    // join that went through), so the page can say why a join failed.
    std::int32_t LastJoinResult() const { return lastJoinResult_; }
    int SetSessionJoinable(bool joinable, int maxPlayers);
    void SetPlayerName(const std::string& name);
    const std::string& PlayerName() const { return playerName_; }
    // 0 on success, E_FAIL otherwise.
    std::int32_t StartLobbySession();
    // 1 not started by a lobby, 0 lobby connection made, E_FAIL failure. A joining lobby start
    // waits for its session: through `wait` when given (it calls the poll it is handed until the
    // poll answers other than kErrConnecting, and returns that answer, or another code when it
    // gave up or the user cancelled), else up to 120 polls pollMs apart while `cancelled` says no.
    std::int32_t CheckLobbyLaunch(const LobbyWait& wait, const std::function<bool()>& cancelled = nullptr,
                                  std::uint32_t pollMs = 250);
    // One poll of the lobby's join, never blocking: a join attempt runs on a thread of its own;
    // kErrConnecting while it runs or after one that found no session yet (the next poll tries
    // again), 0 once joined, kErrJoinRefused when the session refused us.
    std::int32_t PollLobbyJoin();
    // Ends an attempt in progress (it is waited for) and forgets it.
    void CancelLobbyJoin();

    bool IsHost() const { return host_; }
    NetPlay* Play() { return play_.get(); }
    NetPlayer* Player() { return player_.get(); }
    transport::Transport* Transport() { return transport_.get(); }

  private:
    void MakeTransport();
    int MakePlayer(std::uint32_t flags);

    transport::TransportOptions baseOptions_;
    std::string playerName_ = "NONE";
    std::string sessionName_;
    std::string lastConnectionName_;
    std::string address_;  // TCP/IP: the host's address; blank: the local network
    std::uint16_t port_ = 0;
    transport::Guid application_;
    bool searching_ = false;
    std::unique_ptr<NetLobby> lobby_;
    std::unique_ptr<transport::Transport> transport_;
    std::unique_ptr<NetPlay> play_;
    std::unique_ptr<NetPlayer> player_;
    core::AutoResetEvent* receiveEvent_ = nullptr;
    std::vector<SessionNode> nodes_;
    std::vector<std::string> rows_;
    int selected_ = -1;
    bool host_ = false;
    std::int32_t lastJoinResult_ = 0;
    // The lobby's join attempt in progress.
    struct JoinAttempt {
        std::thread thread;
        std::atomic<bool> done{false};
        std::int32_t result = transport::kErrConnecting;
    };
    std::unique_ptr<JoinAttempt> joinAttempt_;
};

}  // namespace zv::net
