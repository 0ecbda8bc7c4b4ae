#include "netplay/SessionManager.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "netplay/OrderBinding.h"
#include "platform/core/Sjis.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/context/TableDirectory.h"
#include "simulation/CommandRecords.h"
#include "simulation/Judgement.h"
#include "simulation/Simulation.h"

namespace zv::net {

namespace {

std::intptr_t AsParam(std::int64_t v) {
    return static_cast<std::intptr_t>(v);
}
const void* AsLParam(std::int64_t v) {
    return reinterpret_cast<const void*>(AsParam(v));
}
std::uint32_t W(int type, int parameter) {
    return (static_cast<std::uint32_t>(parameter) << 16) |
           static_cast<std::uint32_t>(type & 0xFFFF);
}

bool ValidPlayerSetting(const std::uint8_t* p) {
    const std::int32_t country = rules::ReadS32(p, PlayerSetting::kCountry);
    const std::int32_t slot = rules::ReadS32(p, PlayerSetting::kSlot);
    return country >= 0 && country <= kLastCountryWord && slot >= 0 && slot < kSlotCount;
}

bool ValidSettingBlock(const std::uint8_t* block) {
    const std::uint16_t turn = rules::ReadU16(block, GameSettingBlock::kTurn);
    if (turn != kTurnDone && turn >= kSlotCount) return false;
    for (int s = 0; s < kSlotCount; ++s) {
        const std::uint8_t* p = block + GameSettingBlock::Player(s);
        const std::int32_t country = rules::ReadS32(p, PlayerSetting::kCountry);
        if (country < 0 || country > kLastCountryWord) return false;
    }
    return true;
}

}  // namespace

void SessionConnection::OnStatus(int code, const std::string& text) {
    if (!controls_) return;
    if (code >= 1 && code <= 3) controls_->SetSearchText(text);
    if (code == 4) controls_->SetJoinText(text, false);
    if (code == 5) controls_->SetJoinText(text, true);
}

SessionManager::SessionManager(SessionManagerOptions options) : options_(std::move(options)) {
    options_.transport.admissionMs = std::max<std::uint32_t>(1, options_.versionWaitMs);
    rateDeadline_ = core::GetTickMs();
    Reset();
}

SessionManager::~SessionManager() {
    StopReceiveThread();
    connection_.reset();
    receiveEvent_.reset();
    state_ = kStateIdle;
    Reset();
}

void SessionManager::AttachGame(sim::Simulation* sim, rules::TableDirectory* tables) {
    sim_ = sim;
    tables_ = tables;
}

void SessionManager::Log(const std::string& line) {
    std::lock_guard lock(logMutex_);
    if (options_.log) {
        options_.log(line);
    } else {
        std::fprintf(stderr, "netplay: %s\n", line.c_str());
    }
}

void SessionManager::Reset() {
    acknowledgeEach_ = 0;
    countriesAvailable_ = 4;
    participantLeft_ = 0;
    sessionOpen_ = 0;
    hostFlag_ = 0;
    slotLeft_.fill(0);
    launchedByLobby_ = 0;
    versionSent_ = 0;
    acceptingJoins_ = 0;
    sending_ = 0;
    transfer_.reset();
    role_ = 0;
    slotStates_.fill(0);
    for (auto& n : names_) n.clear();
    playerIds_.fill(0);
    ackCounters_.fill(0);
    lastAcks_.fill(0);
    thinkEnd_.fill(0);
    roleChoices_.fill(0);
    for (auto& l : labels_) l.clear();
    roleResult_.fill(0);
    waitingNames_.clear();
    for (auto& n : departedNames_) n.clear();
    echo_.fill(0);
    settings_.fill(0);
    maxPlayers_ = 0;
    ownSlot_ = kNoSlot;
    serverId_ = 0;
    state_ = kStateIdle;
    expectedOwnTroopsSlot_ = kNoSlot;
    ready_ = false;
    mapDelivered_ = false;
}

// ---- lifecycle ------------------------------------------------------------------------------

int SessionManager::OpenTransport() {
    if (!connection_) connection_ = std::make_unique<SessionConnection>(options_.transport);
    connection_->SetApplication(options_.application);
    if (!receiveEvent_) receiveEvent_ = std::make_unique<core::AutoResetEvent>();
    connection_->SetReceiveEvent(receiveEvent_.get());
    StartReceiveThread();
    return 1;
}

int SessionManager::ConnectFromLobby(const LobbyWait& wait, const std::function<bool()>& cancelled,
                                     std::uint32_t pollMs) {
    if (!connection_) connection_ = std::make_unique<SessionConnection>(options_.transport);
    connection_->SetApplication(options_.application);
    if (!receiveEvent_) receiveEvent_ = std::make_unique<core::AutoResetEvent>();
    connection_->SetReceiveEvent(receiveEvent_.get());
    const std::int32_t r = connection_->CheckLobbyLaunch(wait, cancelled, pollMs);
    if (r == 1) return 1;
    if (r != 0) return 0;
    launchedByLobby_ = 1;
    StartReceiveThread();
    if (connection_->StartLobbySession() != 0) return 0;
    AfterOpen();
    acceptingJoins_ = hostFlag_;
    state_ = kStateConnected;
    return 1;
}

int SessionManager::Host(int maxPlayers, const char* sessionName) {
    if (!connection_) OpenTransport();
    if (!connection_->HostSession(maxPlayers, sessionName)) return 0;
    AfterOpen();
    acceptingJoins_ = 1;
    state_ = kStateConnected;
    return 1;
}

int SessionManager::Join(bool& joined) {
    joined = false;
    if (!connection_) OpenTransport();
    if (!connection_->JoinSession(joined)) return 0;
    if (!joined) return 0;
    AfterOpen();
    acceptingJoins_ = 0;
    state_ = kStateConnected;
    return 1;
}

void SessionManager::AfterOpen() {
    sessionOpen_ = 1;
    hostFlag_ = connection_->IsHost() ? 1 : 0;
    NetPlay* play = connection_->Play();
    serverId_ = play ? play->ServerPlayer() : 0;
    if (hostFlag_) {
        ownSlot_ = 0;
        role_ = 1;
        maxPlayers_ = kSlotCount;
        for (int s = 0; s < kSlotCount; ++s) {
            slotStates_[s] = 0;
            playerIds_[s] = -1;
        }
        slotStates_[0] = 1;
        playerIds_[0] = connection_->Player() ? connection_->Player()->Id() : 0;
        names_[0] = connection_->PlayerName();
        labels_[0] = kLabelConnecting;
        SendVersion();
    } else {
        role_ = 2;
        ownSlot_ = kNoSlot;
        // The host gives a slot only to a participant that said which version it runs.
        SendVersion();
    }
    // Messages that arrived meanwhile wait in the transport until the session is set up here.
    ready_ = true;
    if (receiveEvent_) receiveEvent_->Set();
}

void SessionManager::Close() {
    // A transfer that was under way ends with the session: its progress windows go.
    gui_->TransferProgress(true, NetworkGui::Progress::Hide, 0);
    gui_->TransferProgress(false, NetworkGui::Progress::Hide, 0);
    if (eventDepth_ > 0) {
        // Called from a hand-over the receive thread waits on: it cannot be joined here. It is
        // told to stop and ends once the hand-over returns; the rest is done by the next Close.
        stop_ = true;
        if (quitEvent_) quitEvent_->Set();
        state_ = kStateIdle;
        return;
    }
    StopReceiveThread();
    connection_.reset();
    receiveEvent_.reset();
    state_ = kStateIdle;
    Reset();
}

std::int32_t SessionManager::Leave() {
    if (!connection_) return 0;
    if (connection_->Player()) {
        const std::vector<std::uint8_t> m = Encode(DisconnectMessage{{.slot = ownSlot_}});
        const PlayerId to = (!hostFlag_ && state_ == kStateConnected) ? transport::kServerPlayer
                                                                      : transport::kAllPlayers;
        if (!connection_->Player()->Send(to, m.data(), m.size())) {
            return connection_->Player()->LastResult();
        }
    }
    Close();
    return 0;
}

void SessionManager::StartReceiveThread() {
    if (thread_ && thread_->IsRunning()) return;
    quitEvent_ = std::make_unique<core::AutoResetEvent>();
    stop_ = false;
    thread_ = std::make_unique<core::Thread>();
    thread_->Start([this] { ReceiveThreadProc(); });
}

void SessionManager::StopReceiveThread() {
    if (!thread_) return;
    if (quitEvent_) quitEvent_->Set();
    stop_ = true;
    // The thread may be waiting in a hand-over to this (GUI) thread: serve while waiting.
    const std::uint32_t start = core::GetTickMs();
    bool ended = false;
    while (!(ended = thread_->Join(10))) {
        if (NetworkEventTarget* target = target_.load()) target->ServePendingSends();
        if (core::GetTickMs() - start > options_.stopWaitMs) break;
    }
    if (!ended) {
        Log("the receive thread did not end in time; waiting for it");
        thread_->Join();
    }
    thread_.reset();
    quitEvent_.reset();
}

void SessionManager::ReceiveThreadProc() {
    while (!stop_) {
        const int which = core::WaitAny({receiveEvent_.get(), quitEvent_.get()});
        if (which != 0 || stop_) return;
        DrainMessages();
    }
}

int SessionManager::LinkQualityOf(float rate) {
    if (rate > 8) return 1;
    if (rate > 3) return 2;
    return 3;
}

void SessionManager::DrainMessages() {
    if (!ready_ || !connection_ || !connection_->Play()) return;
    NetPlay* play = connection_->Play();
    std::vector<std::uint8_t> buffer(1024);
    for (int guard = 0; guard < 100000 && !stop_; ++guard) {
        PlayerId from = 0, to = 0;
        auto size = static_cast<std::uint32_t>(buffer.size());
        std::int32_t r = play->Receive(from, to, buffer.data(), size);
        if (r == transport::kErrBufferTooSmall) {
            if (size > transport::kMaxMessageBytes) break;
            buffer.assign(size, 0);
            r = play->Receive(from, to, buffer.data(), size);
        }
        const std::uint32_t now = core::GetTickMs();
        if (static_cast<std::int32_t>(now - rateDeadline_) >= 0) {
            lastRate_ = static_cast<float>(rateCounter_) * 0.5f;
            rateDeadline_ = now + 2000;
            rateCounter_ = 1;
        } else if (rateCounter_ < 999) {
            ++rateCounter_;
        }
        if (NetworkEventTarget* target = target_.load())
            target->SendLinkQuality(LinkQualityOf(lastRate_));
        if (r != transport::kOk) break;
        if (size < 4) continue;
        HandleMessage(from, buffer.data(), size);
    }
}

void SessionManager::HandleMessage(PlayerId from, const std::uint8_t* data, std::size_t size) {
    if (size < 4 || !data) return;
    if (from == transport::kSystemPlayer) {
        OnSystemMessage(data, size);
    } else {
        OnAppMessage(from, data, size);
    }
}

void SessionManager::OnSystemMessage(const std::uint8_t* data, std::size_t size) {
    const std::uint32_t type = rules::ReadU32(data, 0);
    if (type == transport::kSysCreatePlayer) {
        if (size < 13 || size != 13u + data[12] || data[12] > transport::kMaxPlayerNameBytes)
            return;
        if (hostFlag_) {
            waitingNames_[rules::ReadU32(data, 4)] =
                std::string(reinterpret_cast<const char*>(data + 13), data[12]);
        }
    } else if (type == transport::kSysDestroyPlayer) {
        if (size < 16) return;
        const PlayerId id = rules::ReadU32(data, 4);
        const std::uint32_t flags = rules::ReadU32(data, 8);
        const std::uint32_t dataSize = rules::ReadU32(data, 12);
        if (hostFlag_) waitingNames_.erase(id);
        if (hostFlag_) {
            if (dataSize == 4 && size >= 20) {
                const std::int32_t slot = rules::ReadS32(data, 16);
                if (slot >= 1 && slot < kSlotCount && playerIds_[slot] == id) {
                    FreeSlot(slot);
                    if (!slotLeft_[slot]) Notify(W(ZVCMSG_DISCCONECT, slot), nullptr);
                }
            }
        } else if ((flags & transport::kServerPlayerFlag) && !slotLeft_[0]) {
            Notify(W(ZVCMSG_DISCCONECT, 0), AsLParam(1));
        }
    } else if (type == transport::kSysSessionLost) {
        Notify(ZVCMSG_SESSION_LOST, nullptr);
    }
}

void SessionManager::Notify(std::uint32_t w, const void* l) {
    if (NetworkEventTarget* target = target_.load()) target->SendNetworkEvent(w, l);
}

int SessionManager::Send(PlayerId to, const std::vector<std::uint8_t>& message) {
    if (!connection_ || !connection_->Player()) return transport::kErrFail;
    if (!connection_->Player()->Send(to, message.data(), message.size())) {
        return connection_->Player()->LastResult();
    }
    return 0;
}

int SessionManager::SlotOfPlayer(PlayerId id) const {
    for (int s = 0; s < kSlotCount; ++s) {
        if (slotStates_[s] == 1 && playerIds_[s] == static_cast<std::int64_t>(id)) return s;
    }
    return kNoSlot;
}

bool SessionManager::FromServer(PlayerId from, std::int32_t type) {
    if (hostFlag_) {
        Log("message " + std::to_string(type) + " dropped: only the host sends it");
        return false;
    }
    if (serverId_ == 0 && connection_ && connection_->Play())
        serverId_ = connection_->Play()->ServerPlayer();
    if (from != serverId_ || serverId_ == 0) {
        Log("message " + std::to_string(type) + " of player " + std::to_string(from) +
            " dropped: only the host sends it");
        return false;
    }
    return true;
}

bool SessionManager::FromSlot(PlayerId from, std::int32_t slot, std::int32_t type) {
    if (!hostFlag_) {
        Log("message " + std::to_string(type) + " dropped: it is for the host");
        return false;
    }
    if (slot < 1 || slot >= kSlotCount || SlotOfPlayer(from) != slot) {
        Log("message " + std::to_string(type) + " of player " + std::to_string(from) +
            " dropped: it claims slot " + std::to_string(slot) + ", not its own");
        return false;
    }
    return true;
}

// ---- the receive side of the protocol -------------------------------------------------------

void SessionManager::OnAppMessage(PlayerId from, const std::uint8_t* data, std::size_t size) {
    const std::int32_t type = rules::ReadS32(data, 0);
    if (MessageRowSize(type) == 0) {
        Log("message of unknown type " + std::to_string(type) + " dropped");
        return;
    }
    ReceiveAs(MessageRows{}, type, from, data, size);
}

template <typename... Rows>
void SessionManager::ReceiveAs(MessageRowList<Rows...>, std::int32_t type, PlayerId from,
                               const std::uint8_t* data, std::size_t size) {
    (void)((type == Rows::kType && (Receive<Rows>(from, data, size), true)) || ...);
}

template <typename Row>
void SessionManager::Receive(PlayerId from, const std::uint8_t* data, std::size_t size) {
    Row m;
    std::string error;
    if (!Decode(data, size, m, error)) {
        Log("message " + std::to_string(Row::kType) + " of " + std::to_string(size) +
            " bytes dropped: " + error);
        return;
    }
    if constexpr (Row::kFrom == From::Host) {
        if (!FromServer(from, Row::kType)) return;
    } else if constexpr (Row::kFrom == From::Client) {
        if (!FromSlot(from, m.slot, Row::kType)) return;
    } else if constexpr (Row::kFrom == From::Peer) {
        if (hostFlag_ ? !FromSlot(from, m.slot, Row::kType) : !FromServer(from, Row::kType)) return;
    }
    OnMessage(from, m);
}

void SessionManager::OnMessage(PlayerId, const SetSlotIdMessage& m) {
    if (m.slot < 1 || m.slot >= kSlotCount) {
        Log("slot id " + std::to_string(m.slot) + " dropped: no such client slot");
        return;
    }
    ownSlot_ = m.slot;
    const std::string name = connection_ ? connection_->PlayerName() : std::string();
    Notify(ZVCMSG_SETSLOTID, name.c_str());
    SendVersion();
}

void SessionManager::OnMessage(PlayerId, const SlotDataMessage& received) {
    SlotDataMessage m = received;
    // A table of another length is taken as far as it goes; its labels are unknown.
    if (!m.complete) m.labels.fill(kLabelUnknown);
    for (int s = 0; s < kSlotCount; ++s) {
        slotStates_[s] = m.states[s] & 0xF;
        names_[s] = m.names[s];
        labels_[s] = m.labels[s];
    }
    Notify(ZVCMSG_SETSLOTDATA, Encode(m).data());
}

void SessionManager::OnMessage(PlayerId, const RejectPlayerMessage&) {
    Notify(ZVCMSG_REJECTPLAYER, nullptr);
}

void SessionManager::OnMessage(PlayerId, const NextMapSelectMessage&) {
    state_ = kStateChoosingMap;
    Notify(ZVCMSG_NEXTMAPSELECT, nullptr);
}

void SessionManager::OnMessage(PlayerId, const NextGameSettingMessage&) {
    Notify(ZVCMSG_NEXTGAMESETTING, nullptr);
}

void SessionManager::OnMessage(PlayerId, const GameStartMessage&) {
    state_ = kStateStarted;
    Notify(ZVCMSG_GAME_START, nullptr);
}

void SessionManager::OnMessage(PlayerId, const GameEndMessage&) {
    state_ = kStateEnded;
    Notify(ZVCMSG_GAME_END, nullptr);
}

void SessionManager::OnMessage(PlayerId, const RequestSendOrderMessage&) {
    Notify(ZVCMSG_REQUEST_SEND_ORDER, nullptr);
}

void SessionManager::OnMessage(PlayerId, const GameSettingGameMessage& m) {
    OnSettings(ZVCMSG_GAMESETTING_GAME, m.block);
}

void SessionManager::OnMessage(PlayerId, const GameSettingNextMessage& m) {
    OnSettings(ZVCMSG_GAMESETTING_NEXT, m.block);
}

void SessionManager::OnSettings(std::int32_t type, const std::uint8_t* block) {
    if (!ValidSettingBlock(block)) {
        Log("game settings of message " + std::to_string(type) +
            " dropped: a turn or country out of range");
        return;
    }
    const std::uint16_t turn = rules::ReadU16(block, GameSettingBlock::kTurn);
    if (type == ZVCMSG_GAMESETTING_GAME) {
        // The players and the conditions; the turn field stays.
        std::memcpy(settings_.data() + GameSettingBlock::kPlayers,
                    block + GameSettingBlock::kPlayers,
                    GameSettingBlock::kSize - GameSettingBlock::kPlayers);
    } else {
        state_ = kStateSettingsDone;
        std::memcpy(settings_.data(), block, GameSettingBlock::kSize);
    }
    Notify(W(type, type == ZVCMSG_GAMESETTING_GAME ? turn : 0), settings_.data());
}

void SessionManager::OnMessage(PlayerId, const GameSettingDoneMessage& m) {
    if (!ValidPlayerSetting(m.setting)) {
        Log("player setting of slot " + std::to_string(m.slot) + " dropped: out of range");
        return;
    }
    if (rules::ReadU16(settings_.data(), GameSettingBlock::kTurn) != m.slot) {
        Log("player setting of slot " + std::to_string(m.slot) + " dropped: not its turn");
        return;
    }
    std::memcpy(settings_.data() + GameSettingBlock::Player(m.slot), m.setting,
                PlayerSetting::kSize);
    const int turn = NextTurn(m.slot);
    rules::WriteU16(settings_.data(), GameSettingBlock::kTurn, static_cast<std::uint16_t>(turn));
    SendRow(transport::kAllPlayers, GameSettingGameMessage{.block = settings_.data()});
    Notify(W(ZVCMSG_GAMESETTING_DONE, turn), settings_.data());
}

void SessionManager::OnMessage(PlayerId, const ArrangeEndMessage& m) {
    Notify(W(ZVCMSG_ARRANGE_END, m.slot), nullptr);
}

void SessionManager::OnMessage(PlayerId, const ExecuteThinkEndMessage& m) {
    Notify(W(ZVCMSG_EXECUTE_THINK_END, m.slot), nullptr);
}

void SessionManager::OnMessage(PlayerId from, const ChatMessage& m) {
    if (m.sender >= kSlotCount || (hostFlag_ && SlotOfPlayer(from) != m.sender)) {
        Log("chat line dropped: it claims slot " + std::to_string(m.sender));
        return;
    }
    Notify(ZVCMSG_CHATDATA, Encode(m).data());
}

void SessionManager::OnMessage(PlayerId from, const DisconnectMessage& m) {
    const std::int32_t slot = m.slot;
    if (slot < 0 || slot >= kSlotCount ||
        (hostFlag_ && (slot == 0 || SlotOfPlayer(from) != slot)) ||
        (!hostFlag_ && slot == 0 && !FromServer(from, ZVCMSG_DISCCONECT))) {
        Log("goodbye dropped: it claims slot " + std::to_string(slot));
        return;
    }
    slotLeft_[slot] = 1;
    if (hostFlag_ && acceptingJoins_) return;
    participantLeft_ = 1;
    if (hostFlag_) FreeSlot(slot);
    Notify(W(ZVCMSG_DISCCONECT, slot), nullptr);
}

void SessionManager::OnMessage(PlayerId, const GameFromServerMessage& m) {
    // A journal comes only from the host, and a host executes none.
    Notify(ZVCMSG_GAME_FROM_SERVER, Encode(m).data());
}

void SessionManager::OnMessage(PlayerId, const GameFromClientMessage& m) {
    Notify(W(ZVCMSG_GAME_FROM_CLIENT, m.slot), Encode(m).data());
}

void SessionManager::OnMessage(PlayerId, const YourTurnMessage& m) {
    if (m.slot != ownSlot_ || ownSlot_ == kNoSlot) return;
    Notify(ZVCMSG_YOUR_TURN, Encode(m).data());
}

void SessionManager::OnMessage(PlayerId, const ItsMineMessage& m) {
    Notify(W(ZVCMSG_ITS_MINE, m.slot), Encode(m).data());
}

void SessionManager::OnMessage(PlayerId, const RoleRequestMessage& m) {
    Notify(W(ZVCMSG_ROLE_REQUEST, m.slot), AsLParam(m.choice != 0 ? 1 : 0));
}

void SessionManager::OnMessage(PlayerId, const RoleResultMessage& m) {
    for (std::int32_t r : m.roles) {
        if ((m.result != 1 && m.result != 2) || r < 0 || r > 3) {
            Log("role result dropped: a value out of range");
            return;
        }
    }
    Notify(W(ZVCMSG_ROLE_RESULT, m.result), m.roles.data());
}

void SessionManager::OnMessage(PlayerId, const WaitStateMessage& m) {
    if (m.a < 0 || m.a > 31) {
        Log("wait state dropped: no bit " + std::to_string(m.a));
        return;
    }
    Notify(W(ZVCMSG_WAIT_STATE, m.slot), Encode(m).data());
}

void SessionManager::OnMessage(PlayerId, const WaitMaskMessage& m) {
    if (NetworkEventTarget* target = target_.load()) {
        target->SendWaitMask(static_cast<std::uint16_t>(m.mask & 0xFFFF));
    }
}

void SessionManager::OnMessage(PlayerId, const EchoRequestMessage& m) {
    SendEchoReply(m.a, m.b);
}

void SessionManager::OnMessage(PlayerId, const EchoReplyMessage& m) {
    if (m.slot >= 0 && m.slot < kSlotCount) echo_[m.slot] = m.b;
}

void SessionManager::OnMessage(PlayerId from, const VersionMessage& m) {
    if (!hostFlag_) {
        Log("message 32 dropped: it is for the host");
        return;
    }
    std::string label = std::string(kLabelPrefix) + m.text;
    label = label.substr(0, core::SjisCutLength(label, SlotDataMsg::kLabelWidth - 1));
    const auto waiting = waitingNames_.find(from);
    if (waiting != waitingNames_.end()) {
        // A newcomer's first word: now it may take a slot.
        const std::string name = waiting->second;
        waitingNames_.erase(waiting);
        bool freeSlot = false;
        for (int s = 0; s < kSlotCount; ++s) freeSlot = freeSlot || slotStates_[s] != 1;
        NetPlay* play = connection_ ? connection_->Play() : nullptr;
        if (!play || !acceptingJoins_ || !freeSlot || play->AdmitPlayer(from) != transport::kOk) {
            Log("player " + std::to_string(from) + " refused: no slot for it");
            SendRow(from, RejectPlayerMessage{});
            return;
        }
        AssignSlot(from, name, label);
        return;
    }
    if (!FromSlot(from, m.slot, ZVCMSG_VERSION)) return;
    labels_[m.slot] = label;
    SendSlotData();
}

int SessionManager::NextTurn(int current) const {
    for (int s = current + 1; s < kSlotCount; ++s) {
        if (slotStates_[s] == 1) return s;
    }
    return kTurnDone;
}

// ---- slots ----------------------------------------------------------------------------------

void SessionManager::AssignSlot(PlayerId id, const std::string& name, const std::string& label) {
    if (!connection_ || !connection_->Play() || !hostFlag_) return;
    if (!acceptingJoins_) return;
    for (int s = 0; s < kSlotCount; ++s) {
        if (slotStates_[s] == 1) continue;
        slotStates_[s] = 1;
        names_[s] = name.substr(0, core::SjisCutLength(name, transport::kMaxPlayerNameBytes));
        labels_[s] = label;
        playerIds_[s] = id;
        // A reused slot starts without the goodbye of its last holder.
        slotLeft_[s] = 0;
        thinkEnd_[s] = 0;
        ackCounters_[s] = 0;
        roleChoices_[s] = 0;
        SendRow(id, SetSlotIdMessage{{.slot = s}});
        std::uint8_t data[4];
        rules::WriteS32(data, 0, s);
        connection_->Play()->SetPlayerData(id, data, 4);
        SendSlotData();
        return;
    }
    SendRow(id, RejectPlayerMessage{});
}

void SessionManager::FreeSlot(int slot) {
    if (slot < 0 || slot >= kSlotCount || slotStates_[slot] != 1) return;
    slotStates_[slot] = 0;
    playerIds_[slot] = -1;
    departedNames_[slot] = names_[slot];
    names_[slot].clear();
    SendSlotData();
}

int SessionManager::SendSlotData() {
    SlotDataMessage table;
    for (int s = 0; s < kSlotCount; ++s) {
        table.states[s] = slotStates_[s];
        table.names[s] = names_[s];
        table.labels[s] = slotStates_[s] == 1 ? labels_[s] : std::string();
    }
    const std::vector<std::uint8_t> m = Encode(table);
    const int r = Send(transport::kAllPlayers, m);
    Notify(ZVCMSG_SETSLOTDATA, m.data());
    return r;
}

int SessionManager::SendVersion() {
    if (versionSent_) return 0;
    versionSent_ = 1;
    if (hostFlag_) {
        labels_[0] = std::string(kLabelPrefix) + options_.version;
        return 0;
    }
    return SendRow(transport::kServerPlayer,
                   VersionMessage{.slot = ownSlot_, .text = options_.version});
}

void SessionManager::ClearSlotCountry(int slot) {
    if (slot < 0 || slot >= kSlotCount) return;
    rules::WriteS32(settings_.data() + GameSettingBlock::Player(slot), PlayerSetting::kCountry, 0);
}

int SessionManager::CountOccupiedSlots() const {
    int n = 0;
    for (int s = 0; s < kSlotCount; ++s) n += slotStates_[s] == 1 ? 1 : 0;
    return n;
}

bool SessionManager::IsHost() {
    return connection_ && connection_->IsHost();
}

bool SessionManager::IsSlotOccupied(int slot) const {
    return slot >= 0 && slot < kSlotCount && slotStates_[slot] == 1;
}

std::string SessionManager::SlotName(int slot) const {
    return slot >= 0 && slot < kSlotCount ? names_[slot] : std::string();
}

std::string SessionManager::SlotLabel(int slot) const {
    return slot >= 0 && slot < kSlotCount ? labels_[slot] : std::string();
}

std::int32_t SessionManager::CheckAllConnected(std::string& text) const {
    for (int s = 0; s < kSlotCount; ++s) {
        // A participant still connecting, or one whose program is of another version than the
        // host's (its label differs from the host's own), cannot play this game.
        const bool otherVersion = s != 0 && slotStates_[0] == 1 && labels_[s] != labels_[0];
        if (slotStates_[s] == 1 && (labels_[s] == kLabelConnecting || otherVersion)) {
            text = core::Utf8ToSjis(
                "接続途中もしくは未接続、異なるバージョンで接続中のプレーヤーがいます。");
            return transport::kErrFail;
        }
    }
    return 0;
}

std::uint32_t SessionManager::GetSlotValue(int slot) {
    if (slot < 0 || slot >= kSlotCount || slotStates_[slot] != 1) return 0;
    const std::int32_t word =
        rules::ReadS32(settings_.data() + GameSettingBlock::Player(slot), PlayerSetting::kCountry);
    return word >= 0 && word <= kLastCountryWord ? static_cast<std::uint32_t>(word) : 0;
}

// ---- senders --------------------------------------------------------------------------------

int SessionManager::SendNextMapSelect() {
    if (!connection_ || !connection_->Player() || !hostFlag_) return transport::kErrFail;
    acceptingJoins_ = 0;
    connection_->SetSessionJoinable(false, kSlotCount);
    state_ = kStateChoosingMap;
    return SendRow(transport::kAllPlayers, NextMapSelectMessage{});
}

int SessionManager::SendNextGameSetting() {
    if (!connection_ || !connection_->Player() || !hostFlag_) return transport::kErrFail;
    core::SleepMs(options_.nextGameSettingWaitMs);
    return SendNextGameSettingNow();
}

int SessionManager::SendNextGameSettingNow() {
    if (!connection_ || !connection_->Player() || !hostFlag_) return transport::kErrFail;
    const int r = SendRow(transport::kAllPlayers, NextGameSettingMessage{});
    acceptingJoins_ = 0;
    settings_.fill(0);
    return r;
}

int SessionManager::SendGameSettingGame(const std::uint8_t* conditions,
                                        const std::uint8_t* ownSetting) {
    if (!connection_ || !connection_->Player() || !hostFlag_) return transport::kErrFail;
    if (ownSetting)
        std::memcpy(settings_.data() + GameSettingBlock::Player(0), ownSetting,
                    PlayerSetting::kSize);
    if (conditions) {
        std::memcpy(settings_.data() + GameSettingBlock::kConditions, conditions,
                    GameSettingBlock::kConditionsSize);
    }
    const int current = rules::ReadU16(settings_.data(), GameSettingBlock::kTurn);
    rules::WriteU16(settings_.data(), GameSettingBlock::kTurn,
                    static_cast<std::uint16_t>(NextTurn(current >= kSlotCount ? 0 : current)));
    return SendRow(transport::kAllPlayers, GameSettingGameMessage{.block = settings_.data()});
}

int SessionManager::SendGameSettingDone(const std::uint8_t* setting) {
    if (!connection_ || !connection_->Player() || hostFlag_) return transport::kErrFail;
    return SendRow(transport::kServerPlayer,
                   GameSettingDoneMessage{.setting = setting, .slot = ownSlot_});
}

int SessionManager::SendGameSettingNext(const std::uint8_t* block) {
    if (!connection_ || !connection_->Player() || !hostFlag_) return transport::kErrFail;
    if (block) std::memcpy(settings_.data(), block, GameSettingBlock::kSize);
    state_ = kStateSettingsDone;
    return SendRow(transport::kAllPlayers, GameSettingNextMessage{.block = settings_.data()});
}

int SessionManager::SendGameStart() {
    if (!connection_ || !connection_->Player() || !hostFlag_) return transport::kErrFail;
    state_ = kStateStarted;
    return SendRow(transport::kAllPlayers, GameStartMessage{});
}

int SessionManager::SendGameEnd() {
    if (!connection_ || !connection_->Player() || !hostFlag_) return transport::kErrFail;
    state_ = kStateEnded;
    return SendRow(transport::kAllPlayers, GameEndMessage{});
}

int SessionManager::SendArrangeEnd() {
    if (!connection_ || !connection_->Player() || hostFlag_) return transport::kErrFail;
    return SendRow(transport::kServerPlayer, ArrangeEndMessage{{.slot = ownSlot_}});
}

int SessionManager::SendChat(std::uint16_t recipients, const std::string& text, bool withName) {
    if (!connection_ || !connection_->Player()) return transport::kErrFail;
    const std::string line = withName ? connection_->PlayerName() + ">" + text : text;
    const std::vector<std::uint8_t> m =
        Encode(ChatMessage{.recipients = recipients,
                           .sender = static_cast<std::uint16_t>(ownSlot_ < 0 ? 0 : ownSlot_),
                           .text = line});
    const int r = Send(transport::kAllPlayers, m);
    Notify(ZVCMSG_CHATDATA, m.data());
    return r;
}

int SessionManager::SendYourTurn(int slot, std::int32_t a, std::int32_t b) {
    if (!connection_ || !connection_->Player() || !hostFlag_) return transport::kErrFail;
    return SendRow(transport::kAllPlayers, YourTurnMessage{{.slot = slot, .a = a, .b = b}});
}

int SessionManager::SendGameFromServer(std::int32_t code, std::uint32_t n,
                                       const std::uint8_t* data) {
    if (!connection_ || !connection_->Player() || !hostFlag_) return transport::kErrFail;
    if (n > transport::kMaxMessageBytes - FromServerMsg::kHeader) return transport::kErrSendTooBig;
    // Each participant owes one think-end for this journal.
    for (int s = 0; s < kSlotCount; ++s) thinkEnd_[s] = slotStates_[s] == 1 ? -1 : 0;
    return SendRow(transport::kAllPlayers,
                   GameFromServerMessage{.code = code, .payload = {data, n}});
}

int SessionManager::SendGameFromClient(std::int32_t code, std::uint32_t n,
                                       const std::uint8_t* data) {
    if (!connection_ || !connection_->Player() || hostFlag_) return transport::kErrFail;
    if (n > transport::kMaxMessageBytes - FromClientMsg::kHeader) return transport::kErrSendTooBig;
    return SendRow(transport::kServerPlayer,
                   GameFromClientMessage{.slot = ownSlot_, .code = code, .payload = {data, n}});
}

int SessionManager::SendExecuteThinkEnd() {
    if (!connection_ || !connection_->Player()) return transport::kErrFail;
    if (hostFlag_) {
        Notify(W(ZVCMSG_EXECUTE_THINK_END, ownSlot_), nullptr);
        return 0;
    }
    return SendRow(transport::kServerPlayer, ExecuteThinkEndMessage{{.slot = ownSlot_}});
}

int SessionManager::SendRoleRequest(int choice) {
    if (!connection_ || !connection_->Player()) return transport::kErrFail;
    if (hostFlag_) {
        Notify(W(ZVCMSG_ROLE_REQUEST, ownSlot_), AsLParam(choice != 0 ? 1 : 0));
        return 0;
    }
    return SendRow(transport::kServerPlayer,
                   RoleRequestMessage{.slot = ownSlot_, .choice = choice});
}

int SessionManager::SendWaitState(int bit, int on) {
    if (!connection_ || !connection_->Player() || hostFlag_) return transport::kErrFail;
    return SendRow(transport::kServerPlayer,
                   WaitStateMessage{{.slot = ownSlot_, .a = bit, .b = on}});
}

int SessionManager::SendWaitMask(std::uint16_t mask) {
    if (!connection_ || !connection_->Player()) return transport::kErrFail;
    return SendRow(transport::kAllPlayers, WaitMaskMessage{.mask = mask});
}

int SessionManager::SendEchoRequest(std::int32_t a, std::int32_t b) {
    if (!connection_ || !connection_->Player()) return transport::kErrFail;
    return SendRow(hostFlag_ ? transport::kAllPlayers : transport::kServerPlayer,
                   EchoRequestMessage{{.slot = ownSlot_, .a = a, .b = b}});
}

int SessionManager::SendEchoReply(std::int32_t a, std::int32_t b) {
    if (!connection_ || !connection_->Player()) return transport::kErrFail;
    return SendRow(hostFlag_ ? transport::kAllPlayers : transport::kServerPlayer,
                   EchoReplyMessage{{.slot = ownSlot_, .a = a, .b = b}});
}

// ---- GUI thread -----------------------------------------------------------------------------

std::intptr_t SessionManager::OnNetworkEvent(std::uint32_t wParam, const void* lParam) {
    ++eventDepth_;
    struct Depth {
        int& d;
        ~Depth() { --d; }
    } depth{eventDepth_};
    const int type = static_cast<int>(wParam & 0xFFFF);
    const int parameter = static_cast<int>(wParam >> 16);
    const auto* bytes = static_cast<const std::uint8_t*>(lParam);
    switch (type) {
        case ZVCMSG_SETSLOTID:
            gui_->ShowJoinedStatus();
            break;
        case ZVCMSG_SETSLOTDATA:
            gui_->ShowSlotList(bytes);
            break;
        case ZVCMSG_REJECTPLAYER:
            Close();
            gui_->ShowRejected();
            break;
        case ZVCMSG_NEXTMAPSELECT:
            gui_->ShowHostChoosingMapStatus();
            break;
        case ZVCMSG_NEXTGAMESETTING:
            gui_->StartAutoNextTimer();
            break;
        case ZVCMSG_GAMESETTING_GAME:
        case ZVCMSG_GAMESETTING_DONE:
        case ZVCMSG_GAMESETTING_NEXT:
            gui_->OnGameSetting(type, parameter, bytes);
            break;
        case ZVCMSG_ARRANGE_END:
            MarkPlayerDelivered(parameter);
            break;
        case ZVCMSG_GAME_START:
            gui_->BeginPlay();
            break;
        case ZVCMSG_CHATDATA:
            if (bytes) {
                const auto chat = ReadAccepted<ChatMessage>(bytes);
                gui_->AddChatLine(chat.text, chat.recipients);
            }
            break;
        case ZVCMSG_APP_FILETRANSFER:
            OnTransferEvent(parameter, static_cast<const TransferRecord*>(lParam));
            break;
        case ZVCMSG_RECEIVE_OK:
            if (parameter == 0xFFFF) {
                const auto kind = static_cast<int>(reinterpret_cast<std::intptr_t>(lParam));
                if (kind == kTransferMap || kind == kTransferSaveGame) {
                    mapDelivered_ = true;
                    gui_->MapDelivered();
                } else if (kind == kTransferAllTroops) {
                    SendGameStart();
                    startFlag_ = 0;
                    gui_->AllTroopsDelivered();
                    gui_->BeginPlay();
                }
            }
            break;
        case ZVCMSG_DISCCONECT:
            OnSessionDisconnected(parameter,
                                  static_cast<int>(reinterpret_cast<std::intptr_t>(lParam)));
            break;
        case ZVCMSG_GAME_FROM_SERVER:
            if (bytes && sim_ && !hostFlag_) {
                const auto journal = ReadAccepted<GameFromServerMessage>(bytes);
                if (journal.code == kContentJournal) {
                    sim_->ExecuteReceivedCommands(
                        journal.payload.data(), static_cast<std::uint32_t>(journal.payload.size()));
                }
            }
            break;
        case ZVCMSG_GAME_FROM_CLIENT:
            if (bytes) {
                const auto part = ReadAccepted<GameFromClientMessage>(bytes);
                if (part.code == kContentOrders) {
                    OnOrderPart(parameter, part.payload.data(),
                                static_cast<std::uint32_t>(part.payload.size()));
                }
            }
            break;
        case ZVCMSG_YOUR_TURN:
            SendOwnTroopData();
            break;
        case ZVCMSG_REQUEST_SEND_ORDER:
            if (sim_) sim_->SendGatheredOrders();
            break;
        case ZVCMSG_EXECUTE_THINK_END:
            SendRequestSendOrder(parameter);
            break;
        case ZVCMSG_ROLE_REQUEST:
            OnRoleRequest(parameter, static_cast<int>(reinterpret_cast<std::intptr_t>(lParam)));
            break;
        case ZVCMSG_ROLE_RESULT:
            if (parameter == 1 && bytes)
                std::memcpy(roleResult_.data(), bytes, sizeof(std::int32_t) * kSlotCount);
            gui_->OnRoleResult(parameter, static_cast<const std::int32_t*>(lParam));
            break;
        case ZVCMSG_WAIT_STATE:
            if (bytes && sim_) {
                const auto wait = ReadAccepted<WaitStateMessage>(bytes);
                sim_->SetPlayerWait(parameter, wait.a, wait.b);
            }
            break;
        default:
            break;
    }
    return 0;
}

void SessionManager::OnOrderPart(int slot, const std::uint8_t* data, std::uint32_t n) {
    if (!sim_ || !tables_ || !hostFlag_ || slot < 1 || slot >= kSlotCount) return;
    // Every order is bound to the slot that sent it: nobody acts for a country it does not lead.
    const std::uint32_t word = GetSlotValue(slot);
    const std::uint8_t country =
        word >= 1 && word <= 4 ? static_cast<std::uint8_t>(word - 1) : 0xFF;
    const std::vector<std::uint8_t> kept =
        FilterOrderPart(*tables_, country, data, n, [this, slot](std::string_view line) {
            Log("slot " + std::to_string(slot) + ": " + std::string(line));
        });
    sim_->ReceiveOrderPart(static_cast<std::uint32_t>(slot), kept.data(),
                           static_cast<std::uint32_t>(kept.size()));
}

void SessionManager::SendRequestSendOrder(int slot) {
    if (!hostFlag_) return;
    if (slot >= 0 && slot < kSlotCount) {
        // One think-end per participant and journal: a repeated or unowed one counts for nothing.
        if (slotStates_[slot] != 1 || thinkEnd_[slot] != -1) {
            Log("think-end of slot " + std::to_string(slot) + " ignored: none is owed");
            return;
        }
        thinkEnd_[slot] = 1;
        for (int s = 0; s < kSlotCount; ++s) {
            if (slotStates_[s] == 1 && thinkEnd_[s] != 1) return;
        }
    } else if (slot != 0xFFFF && slot != 0xFFFE) {
        return;
    } else if (slot == 0xFFFE) {
        // A participant was removed: the others may already all be done.
        for (int s = 0; s < kSlotCount; ++s) {
            if (slotStates_[s] == 1 && thinkEnd_[s] == -1) return;
        }
    }
    SendRow(transport::kAllPlayers, RequestSendOrderMessage{});
    thinkEnd_.fill(0);
    Notify(ZVCMSG_REQUEST_SEND_ORDER, nullptr);
}

void SessionManager::OnRoleRequest(int slot, int choice) {
    if (slot < 0 || slot >= kSlotCount) return;
    roleChoices_[slot] = choice != 0 ? 1 : 3;
    int spectators = 0, players = 0;
    for (int s = 0; s < kSlotCount; ++s) {
        if (slotStates_[s] != 1) continue;
        if (roleChoices_[s] == 0) return;
        spectators += roleChoices_[s] == 1 ? 1 : 0;
        players += roleChoices_[s] == 3 ? 1 : 0;
    }
    std::int32_t result = 1;
    if (spectators > 2 || players < 2 || players > countriesAvailable_) {
        roleChoices_.fill(0);
        result = 2;
    } else {
        bool first = true;
        for (int s = 0; s < kSlotCount; ++s) {
            if (roleChoices_[s] != 1) continue;
            if (!first) roleChoices_[s] = 2;
            first = false;
        }
    }
    RoleResultMessage m{.result = result};
    for (int s = 0; s < kSlotCount; ++s) m.roles[s] = result == 1 ? roleChoices_[s] : 0;
    OnNetworkEvent(W(ZVCMSG_ROLE_RESULT, result), m.roles.data());
    SendRow(transport::kAllPlayers, m);
}

void SessionManager::OnSessionDisconnected(int slot, int serverLeft) {
    const bool unknown = slot == 0xFFFF;
    const std::string gone = core::Utf8ToSjis("ネットワークから切断されました。終了します。");
    std::string text = gone;
    if (serverLeft != 1 && !unknown) {
        // The slot is usually freed by now: the name it had tells who left.
        std::string name = SlotName(slot);
        if (name.empty() && slot >= 0 && slot < kSlotCount) name = departedNames_[slot];
        char buffer[128];
        std::snprintf(buffer, sizeof buffer,
                      core::Utf8ToSjis("%sさんが終了または切断しました。").c_str(), name.c_str());
        text = buffer;
    }
    auto closeAfter = [this] { Close(); };
    switch (state_.load()) {
        case kStateIdle:
            return;
        case kStateConnected:
        case kStateChoosingMap:
            gui_->ShowNotice(text, closeAfter);
            gui_->ReturnToTitle(NetworkGui::Return::SetupPages);
            return;
        case kStateSettingsDone: {
            const bool dialog = gui_->PressOrganizeReturnToTitle();
            gui_->SuspendClock();
            gui_->ShowNotice(text, closeAfter);
            if (!dialog) gui_->ReturnToTitle(NetworkGui::Return::Command);
            return;
        }
        case kStateStarted:
            if (serverLeft == 1 || unknown) {
                gui_->ShowNotice(gone, closeAfter);
                gui_->ReturnToTitle(NetworkGui::Return::Delayed);
            } else if (slot != 0 && hostFlag_) {
                gui_->ShowNotice(text, nullptr);
                if (sim_ && tables_ && slot > 0 && slot < kSlotCount) {
                    // Read from the settings block: the slot itself is already free.
                    const std::int32_t word = rules::ReadS32(
                        settings_.data() + GameSettingBlock::Player(slot), PlayerSetting::kCountry);
                    const auto country =
                        static_cast<std::uint8_t>(word >= 1 && word <= 4 ? word - 1 : 0xFF);
                    if (country < 4) {
                        rules::ShadowGameContext shadow(*tables_, sim_->ContextEnv());
                        sim::RetireCountry(shadow, country, 1);
                        sim::WriteCommand(
                            *sim_, sim::CountryFallCommand{.country = country, .keepState = 1});
                    }
                    sim_->SetPlayerWait(slot, 0, 0);
                }
                ClearSlotCountry(slot);
                if (sim_) sim_->RecheckOrderParts();
                SendRequestSendOrder(0xFFFE);
                participantLeft_ = 0;
            } else if (slot != 0) {
                gui_->ShowNotice(text, nullptr);
            } else {
                gui_->SuspendClock();
                gui_->ShowNotice(text, closeAfter);
                gui_->ReturnToTitle(NetworkGui::Return::Delayed);
            }
            return;
        case kStateEnded:
            gui_->SuspendClock();
            return;
        default:
            return;
    }
}

void SessionManager::SetIdsForTest(bool host, int ownSlot, PlayerId serverId) {
    hostFlag_ = host ? 1 : 0;
    role_ = host ? 1 : 2;
    ownSlot_ = ownSlot;
    serverId_ = serverId;
    sessionOpen_ = 1;
    state_ = kStateConnected;
}

void SessionManager::SetSlotForTest(int slot, PlayerId id, const std::string& name) {
    if (slot < 0 || slot >= kSlotCount) return;
    slotStates_[slot] = 1;
    playerIds_[slot] = id;
    names_[slot] = name;
}

}  // namespace zv::net
