#include "netplay/NetConnection.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/core/Sjis.h"

namespace zv::net {

namespace {

const std::string& Text(std::string_view utf8) {
    // A few fixed texts, converted once each.
    static thread_local std::vector<std::pair<std::string, std::string>> cache;
    for (auto& [key, value] : cache) {
        if (key == utf8) return value;
    }
    cache.emplace_back(std::string(utf8), core::Utf8ToSjis(utf8));
    return cache.back().second;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

bool ParsePort(const std::string& text, std::uint16_t& port) {
    if (text.empty() || text.size() > 5) return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

std::string FormatSessionRow(const std::string& name, int players, int maxPlayers) {
    const std::string format = core::Utf8ToSjis("%s (%d人/%d人中)");
    char counts[64];
    std::snprintf(counts, sizeof counts, format.c_str() + 2, players, maxPlayers);
    // The name is cut so that the whole row fits its node.
    const std::size_t room = kSessionNodeTextBytes - 1 - std::string_view(counts).size();
    return name.substr(0, core::SjisCutLength(name, room)) + counts;
}

// ---- NetPlay / NetPlayer ----------------------------------------------------------------------

std::int32_t NetPlay::CreatePlayer(PlayerId& id, std::uint32_t flags) {
    if (!transport_) return transport::kErrFail;
    id = transport_->LocalPlayer();
    if (id == 0) return transport::kErrCantCreatePlayer;
    if (flags != 0 && !transport_->IsHost()) return transport::kErrCantCreatePlayer;
    return transport::kOk;
}

std::int32_t NetPlay::DestroyPlayer() {
    if (!transport_) return transport::kErrFail;
    transport_->Close();
    return transport::kOk;
}

std::int32_t NetPlay::Receive(PlayerId& from, PlayerId& to, std::uint8_t* buffer,
                              std::uint32_t& size) {
    if (!transport_) return transport::kErrFail;
    return transport_->Receive(from, to, buffer, size);
}

std::int32_t NetPlay::Send(PlayerId to, const std::uint8_t* data, std::size_t size) {
    if (!transport_) return transport::kErrFail;
    return transport_->Send(to, data, size);
}

std::int32_t NetPlay::GetSessionDesc(transport::SessionDesc& desc) {
    if (!transport_) return transport::kErrFail;
    return transport_->GetSessionDesc(desc);
}

std::int32_t NetPlay::SetSessionDesc(int maxPlayers, bool joinsDisabled) {
    if (!transport_) return transport::kErrFail;
    return transport_->SetSessionDesc(maxPlayers, joinsDisabled);
}

std::int32_t NetPlay::SetPlayerData(PlayerId id, const std::uint8_t* data, std::size_t size) {
    if (!transport_) return transport::kErrFail;
    return transport_->SetPlayerData(id, data, size);
}

std::int32_t NetPlay::AdmitPlayer(PlayerId id) {
    if (!transport_) return transport::kErrFail;
    return transport_->AdmitPlayer(id);
}

PlayerId NetPlay::ServerPlayer() {
    if (!transport_) return 0;
    for (const transport::PlayerInfo& p : transport_->Players()) {
        if (p.flags & transport::kServerPlayerFlag) return p.id;
    }
    return 0;
}

bool NetPlayer::Create(std::uint32_t flags) {
    if (!play_) {
        lastResult_ = transport::kErrFail;
        return false;
    }
    lastResult_ = play_->CreatePlayer(id_, flags);
    return lastResult_ == transport::kOk;
}

void NetPlayer::Destroy() {
    if (play_ && id_ != 0) lastResult_ = play_->DestroyPlayer();
    id_ = 0;
}

int NetPlayer::Send(PlayerId to, const std::uint8_t* data, std::size_t size) {
    lastResult_ = play_ ? play_->Send(to, data, size) : transport::kErrFail;
    return lastResult_ == transport::kOk ? 1 : 0;
}

// ---- NetLobby ---------------------------------------------------------------------------------

bool NetLobby::ReadSettings(bool& valid) {
    valid = false;
    const char* value = std::getenv("ZV6_LOBBY");
    if (!value || !*value) return false;
    const std::vector<std::string> parts = Split(value, ';');
    if (parts.size() == 3 && parts[0] == "host" && ParsePort(parts[1], port_)) {
        host_ = true;
        playerName_ = parts[2];
        valid = true;
    } else if (parts.size() == 4 && parts[0] == "join" && !parts[1].empty() &&
               ParsePort(parts[2], port_)) {
        host_ = false;
        address_ = parts[1];
        playerName_ = parts[3];
        valid = true;
    }
    return true;
}

// ---- NetConnection ----------------------------------------------------------------------------

NetConnection::NetConnection(transport::TransportOptions options)
    : baseOptions_(std::move(options)) {
    ResetSessionList();
}

NetConnection::~NetConnection() {
    CancelLobbyJoin();
    if (player_) player_->Destroy();
    player_.reset();
    play_.reset();
    transport_.reset();
}

void NetConnection::OnStatus(int, const std::string&) {}

std::vector<ConnectionRow> NetConnection::EnumConnections() {
    return {{Text("ＴＣＰ／ＩＰ接続"), kConnectionTcpIp}, {Text("ＬＡＮ接続"), kConnectionLan}};
}

void NetConnection::MakeTransport() {
    transport::TransportOptions options = baseOptions_;
    if (!address_.empty()) options.searchAddresses = {address_};
    if (port_ != 0) options.port = port_;
    player_.reset();
    play_.reset();
    transport_ = std::make_unique<transport::Transport>(options);
}

int NetConnection::InitializeChosenConnection(int row, int& kind, AddressPrompt* prompt) {
    const std::vector<ConnectionRow> rows = EnumConnections();
    if (row < 0 || row >= static_cast<int>(rows.size())) return 0;
    lastConnectionName_ = rows[static_cast<std::size_t>(row)].text;
    kind = rows[static_cast<std::size_t>(row)].kind;
    address_.clear();
    port_ = 0;
    if (kind == kConnectionTcpIp && prompt) {
        std::string address;
        std::uint16_t port = 0;
        if (!prompt->AskAddress(address, port)) return 0;
        address_ = address;
        port_ = port;
    }
    MakeTransport();
    return 1;
}

int NetConnection::PreferredConnectionRow() {
    const std::vector<ConnectionRow> rows = EnumConnections();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].text == lastConnectionName_) return static_cast<int>(i);
    }
    return 0;
}

void NetConnection::ResetSessionList() {
    nodes_.clear();
    rows_.assign(
        1, searching_ ? Text("ゲームを検索中...") : Text("検索を押すとゲーム一覧が表示されます。"));
    selected_ = 0;
    if (searching_) {
        OnStatus(3, Text("検索中..."));
    } else {
        OnStatus(2, Text("検索"));
    }
    OnStatus(4, Text("参加"));
}

void NetConnection::ToggleSearch(bool& searching) {
    searching_ = !searching_;
    searching = searching_;
    if (searching_) {
        if (!transport_) MakeTransport();
        OnStatus(3, Text("検索中..."));
        transport_->StartSearch(application_);
        RefreshSessions();
    } else {
        if (transport_) transport_->StopSearch();
        OnStatus(2, Text("検索"));
        ResetSessionList();
    }
}

int NetConnection::RefreshSessions() {
    transport::Guid previous;
    bool hadPrevious = false;
    if (const SessionNode* node = RowNode(selected_)) {
        previous = node->instance;
        hadPrevious = true;
    }
    if (!transport_) {
        ResetSessionList();
        return 0;
    }
    std::vector<transport::SessionInfo> found = transport_->Sessions(true);
    // A host given by address and port is offered even when its discovery answer cannot reach
    // us (a network between that lets only its TCP port through).
    if (!address_.empty() && port_ != 0) {
        bool listed = false;
        for (const transport::SessionInfo& s : found) listed |= s.port == port_;
        if (!listed) {
            transport::SessionInfo direct;
            direct.name = address_ + ":" + std::to_string(port_);
            direct.address = address_;
            direct.port = port_;
            direct.maxPlayers = -1;
            found.push_back(direct);
        }
    }
    if (found.empty()) {
        ResetSessionList();
        return 1;
    }
    nodes_.clear();
    rows_.clear();
    selected_ = 0;
    for (const transport::SessionInfo& s : found) {
        SessionNode node{
            s.instance,
            s.maxPlayers < 0 ? s.name : FormatSessionRow(s.name, s.players, s.maxPlayers),
            s.address, s.port};
        if (hadPrevious && s.instance == previous) selected_ = static_cast<int>(nodes_.size());
        rows_.push_back(node.text);
        nodes_.push_back(std::move(node));
    }
    OnStatus(5, Text("参加"));
    return 1;
}

const SessionNode* NetConnection::RowNode(int row) const {
    if (row < 0 || row >= static_cast<int>(nodes_.size())) return nullptr;
    return &nodes_[static_cast<std::size_t>(row)];
}

void NetConnection::StopBrowsing() {
    if (transport_) transport_->StopSearch();
    searching_ = false;
    nodes_.clear();
}

int NetConnection::MakePlayer(std::uint32_t flags) {
    play_ = std::make_unique<NetPlay>(transport_.get());
    player_ = std::make_unique<NetPlayer>();
    player_->Attach(play_.get());
    return player_->Create(flags) ? 1 : 0;
}

int NetConnection::HostSession(int maxPlayers, const char* name) {
    if (!transport_) MakeTransport();
    sessionName_ = name ? name : "ZV6";
    PlayerId id = 0;
    if (transport_->Host(application_, sessionName_, maxPlayers, playerName_, receiveEvent_, id) !=
        transport::kOk) {
        return 0;
    }
    host_ = true;
    return MakePlayer(transport::kServerPlayerFlag);
}

int NetConnection::JoinSession(bool& joined) {
    joined = false;
    lastJoinResult_ = transport::kOk;
    const SessionNode* node = RowNode(selected_);
    if (!node) return 1;  // the placeholder row joins nothing
    if (!transport_) MakeTransport();
    PlayerId id = 0;
    const SessionNode target = *node;
    lastJoinResult_ = transport_->Join(target.address, target.port, application_, playerName_,
                                       receiveEvent_, id);
    if (lastJoinResult_ != transport::kOk) return 0;
    host_ = false;
    joined = MakePlayer(0) != 0;
    return 1;
}

int NetConnection::SetSessionJoinable(bool joinable, int maxPlayers) {
    if (!host_ || !play_) return 0;
    return play_->SetSessionDesc(maxPlayers, !joinable) == transport::kOk ? 1 : 0;
}

void NetConnection::SetPlayerName(const std::string& name) {
    playerName_ = name.substr(0, core::SjisCutLength(name, transport::kMaxPlayerNameBytes));
}

std::int32_t NetConnection::CheckLobbyLaunch(const LobbyWait& wait, const std::function<bool()>& cancelled,
                                             std::uint32_t pollMs) {
    lobby_ = std::make_unique<NetLobby>();
    bool valid = false;
    if (!lobby_->ReadSettings(valid)) {
        lobby_.reset();
        return 1;
    }
    if (!valid) return transport::kErrFail;
    const std::string name = lobby_->PlayerName();
    // At most 16 bytes, never half a character.
    playerName_ = name.substr(0, core::SjisCutLength(name, 16));
    address_ = lobby_->IsHost() ? std::string() : lobby_->Address();
    port_ = lobby_->Port();
    MakeTransport();
    PlayerId id = 0;
    if (lobby_->IsHost()) {
        if (transport_->Host(application_, playerName_, transport::kMaxSessionPlayers, playerName_,
                             receiveEvent_, id) != transport::kOk) {
            return transport::kErrFail;
        }
        host_ = true;
        return 0;
    }
    (void)id;
    // The wait: the session may not be open yet.
    std::int32_t r = transport::kErrConnecting;
    if (wait) {
        r = wait([this] { return PollLobbyJoin(); });
    } else {
        for (int poll = 0; poll < 120 && r == transport::kErrConnecting; ++poll) {
            if (cancelled && cancelled()) break;
            core::SleepMs(pollMs);
            r = PollLobbyJoin();
        }
    }
    if (r == transport::kOk) {
        host_ = false;
        return 0;
    }
    CancelLobbyJoin();
    return transport::kErrFail;
}

std::int32_t NetConnection::PollLobbyJoin() {
    if (!lobby_ || !transport_) return transport::kErrFail;
    if (joinAttempt_) {
        if (!joinAttempt_->done.load()) return transport::kErrConnecting;
        joinAttempt_->thread.join();
        const std::int32_t r = joinAttempt_->result;
        joinAttempt_.reset();
        if (r == transport::kOk) return transport::kOk;
        if (r == transport::kErrJoinRefused) return r;
    }
    // No session yet (or none asked): the next attempt.
    joinAttempt_ = std::make_unique<JoinAttempt>();
    JoinAttempt* attempt = joinAttempt_.get();
    attempt->thread = std::thread([this, attempt, address = lobby_->Address(), port = lobby_->Port()] {
        PlayerId id = 0;
        attempt->result = transport_->Join(address, port, application_, playerName_, receiveEvent_, id);
        attempt->done.store(true);
    });
    return transport::kErrConnecting;
}

void NetConnection::CancelLobbyJoin() {
    if (!joinAttempt_) return;
    // Closing the transport ends a join that waits for its answer; it is closed again until the
    // attempt is over, in case the attempt had not begun waiting yet.
    while (!joinAttempt_->done.load()) {
        if (transport_) transport_->Close();
        core::SleepMs(10);
    }
    joinAttempt_->thread.join();
    joinAttempt_.reset();
    if (transport_) transport_->Close();
}

std::int32_t NetConnection::StartLobbySession() {
    if (!transport_ || !transport_->IsOpen()) return transport::kErrFail;
    return MakePlayer(host_ ? transport::kServerPlayerFlag : 0) ? 0 : transport::kErrFail;
}

}  // namespace zv::net
