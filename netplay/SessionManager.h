#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "netplay/MessageRows.h"
#include "netplay/NetConnection.h"
#include "netplay/NetworkGui.h"
#include "netplay/NetworkEvents.h"
#include "netplay/Protocol.h"
#include "platform/core/Threads.h"
#include "simulation/SessionPort.h"

namespace zv::rules {
class TableDirectory;
}
namespace zv::sim {
class Simulation;
}

namespace zv::net {

// A NetConnection with the two status controls of the session-browser page.
class SessionBrowserControls {
  public:
    virtual ~SessionBrowserControls() = default;
    virtual void SetSearchText(const std::string& text) = 0;
    virtual void SetJoinText(const std::string& text, bool enabled) = 0;
};

class SessionConnection : public NetConnection {
  public:
    using NetConnection::NetConnection;
    void SetControls(SessionBrowserControls* controls) { controls_ = controls; }
    void OnStatus(int code, const std::string& text) override;

  private:
    SessionBrowserControls* controls_ = nullptr;
};

// Session states.
enum SessionState : std::int32_t {
    kStateIdle = 0,
    kStateConnected = 1,
    kStateChoosingMap = 2,
    kStateSettingsDone = 3,
    kStateStarted = 4,
    kStateEnded = 5,
};

// The receive side's record of a transfer in progress.
struct TransferRecord {
    std::array<std::uint8_t, 62> header{};
    std::int32_t senderSlot = kNoSlot;
    std::uint16_t kind = 0;
    std::uint32_t totalSize = 0;
    std::uint32_t blockLength = 0;
    std::uint32_t blockCount = 0;
    std::uint32_t nextBlock = 0;
    std::vector<std::uint8_t> buffer;
};

// Image sizes of the transfer kinds.
std::uint32_t TransferImageSize(int kind);

struct SessionManagerOptions {
    transport::TransportOptions transport;
    transport::Guid application;
    std::string version = "1.0.0.0";
    // One line per dropped message; empty: standard error.
    std::function<void(std::string_view)> log;
    // The pause between transfer blocks and before ZVCMSG_NEXTGAMESETTING.
    std::uint32_t blockPauseMs = 10;
    std::uint32_t nextGameSettingWaitMs = 3000;
    // The receive thread's stop: how long to wait, serving hand-overs meanwhile.
    std::uint32_t stopWaitMs = 5000;
    // How long a joined client has to send its version before the host drops it (the
    // transport's admissionMs); only a client that did takes a slot.
    std::uint32_t versionWaitMs = 5000;
};

// The one multiplayer session object: the connection, the six participant slots, the game
// settings block, every ZVCMSG sender, the receive thread and the GUI-thread reactions. It is
// the simulation's SessionPort.
class SessionManager : public sim::SessionPort {
  public:
    explicit SessionManager(SessionManagerOptions options = {});
    ~SessionManager() override;
    SessionManager(const SessionManager&) = delete;
    SessionManager& operator=(const SessionManager&) = delete;

    // Where events go (null: nowhere) and who reacts on the GUI thread.
    void SetNotifyTarget(NetworkEventTarget* target) { target_.store(target); }
    void SetGui(NetworkGui* gui) { gui_ = gui; }
    // The world the journal and the transfers work on (null: none).
    void AttachGame(sim::Simulation* sim, rules::TableDirectory* tables);

    // Lifecycle.
    void Reset();
    int OpenTransport();
    // A joining lobby start waits through `wait` when given (the shell's wait dialog), see
    // NetConnection::CheckLobbyLaunch.
    int ConnectFromLobby(const LobbyWait& wait = nullptr, const std::function<bool()>& cancelled = nullptr,
                         std::uint32_t pollMs = 250);
    int IsLobbyLaunched() const { return launchedByLobby_; }
    int Host(int maxPlayers, const char* sessionName);
    int Join(bool& joined);
    void Close();
    std::int32_t Leave();
    SessionConnection* Connection() { return connection_.get(); }

    // Queries.
    int CountOccupiedSlots() const;
    bool IsHost() override;
    std::int32_t CheckAllConnected(std::string& text) const;
    int OwnSlot() const { return ownSlot_; }
    int State() const { return state_.load(); }
    int Role() const { return role_; }
    const std::uint8_t* SettingBlock() const { return settings_.data(); }
    std::uint8_t* MutableSettingBlock() { return settings_.data(); }
    std::string SlotName(int slot) const;
    std::string SlotLabel(int slot) const;
    bool IsSlotOccupied(int slot) const;
    int SlotLeft(int slot) const { return slot >= 0 && slot < kSlotCount ? slotLeft_[slot] : 0; }
    int AcceptingJoins() const { return acceptingJoins_; }
    void SetCountriesAvailable(int n) { countriesAvailable_ = n; }
    const std::int32_t* RoleResult() const { return roleResult_.data(); }
    bool MapDeliveredFlag() const { return mapDelivered_; }

    // Slots (host).
    void AssignSlot(PlayerId id, const std::string& name,
                    const std::string& label = kLabelConnecting);
    void FreeSlot(int slot);
    int SendSlotData();
    int SendVersion();
    void ClearSlotCountry(int slot);

    // Senders; 0 when sent.
    int SendNextMapSelect();
    // Waits the pause before ZVCMSG_NEXTGAMESETTING, then sends it. A caller that must keep its
    // window alive meanwhile waits the pause on a timer of its own and sends with
    // SendNextGameSettingNow.
    int SendNextGameSetting();
    int SendNextGameSettingNow();
    std::uint32_t NextGameSettingWaitMs() const { return options_.nextGameSettingWaitMs; }
    int SendGameSettingGame(const std::uint8_t* conditions, const std::uint8_t* ownSetting);
    int SendGameSettingDone(const std::uint8_t* setting);
    int SendGameSettingNext(const std::uint8_t* block);
    int SendGameStart();
    int SendGameEnd();
    int SendArrangeEnd();
    int SendChat(std::uint16_t recipients, const std::string& text, bool withName);
    int SendYourTurn(int slot, std::int32_t a, std::int32_t b);
    int SendGameFromServer(std::int32_t code, std::uint32_t n, const std::uint8_t* data) override;
    int SendGameFromClient(std::int32_t code, std::uint32_t n, const std::uint8_t* data) override;
    int SendExecuteThinkEnd() override;
    int SendRoleRequest(int choice);
    int SendWaitState(int bit, int on) override;
    int SendWaitMask(std::uint16_t mask) override;
    int SendEchoRequest(std::int32_t a, std::int32_t b);
    int SendEchoReply(std::int32_t a, std::int32_t b);
    int SendFile(PlayerId to, const std::uint8_t* data, std::uint32_t size, std::uint16_t kind,
                 std::uint32_t blockLength, bool stored);

    // SessionPort.
    bool HasConnection() override { return connection_ != nullptr; }
    std::uint32_t GetSlotValue(int slot) override;
    std::string GetLobbyPlayerName(int slot) override { return SlotName(slot); }

    // GUI thread.
    std::intptr_t OnNetworkEvent(std::uint32_t wParam, const void* lParam);
    void SendRequestSendOrder(int slot);
    void OnRoleRequest(int slot, int choice);
    void OnSessionDisconnected(int slot, int serverLeft);

    // Transfers (GUI thread).
    int SendMapData(const std::string& programDir, const std::string& name);
    int SendSaveGameData(const std::string& programDir, const std::string& name);
    int SendImageFromTables(std::uint16_t kind);
    int SendAllTroopData();
    int SendOwnTroopData();
    void OnTransferEvent(int phase, const TransferRecord* record);
    int SendYourTurnToNextPlayer();
    void MarkPlayerDelivered(int slot);
    void ClearReadyFlags();
    int GetNetFromSave() const { return netFromSave_; }
    void SetNetFromSave(int fromSave);
    bool IsDelivered(int slot) const { return slot >= 0 && slot < kSlotCount && delivered_[slot]; }

    // The receive side, also for tests and the fuzzer: one message as the receive thread
    // handles it.
    void HandleMessage(PlayerId from, const std::uint8_t* data, std::size_t size);
    // Drains the connection now (tests without a thread).
    void DrainMessages();
    // The last measured message rate and the quality it reports.
    static int LinkQualityOf(float rate);
    void Log(const std::string& line);

    // For tests: pretend a session exists with these ids (0 for none).
    void SetIdsForTest(bool host, int ownSlot, PlayerId serverId);
    void SetSlotForTest(int slot, PlayerId id, const std::string& name);

  private:
    void AfterOpen();
    void StartReceiveThread();
    void StopReceiveThread();
    void ReceiveThreadProc();
    void OnSystemMessage(const std::uint8_t* data, std::size_t size);
    void OnAppMessage(PlayerId from, const std::uint8_t* data, std::size_t size);
    // The receive side of each row: read, sender checked, then handed to its handler.
    template <typename... Rows>
    void ReceiveAs(MessageRowList<Rows...>, std::int32_t type, PlayerId from,
                   const std::uint8_t* data, std::size_t size);
    template <typename Row>
    void Receive(PlayerId from, const std::uint8_t* data, std::size_t size);
    // The handlers, one per row.
    void OnMessage(PlayerId from, const SetSlotIdMessage& m);
    void OnMessage(PlayerId from, const SlotDataMessage& m);
    void OnMessage(PlayerId from, const RejectPlayerMessage& m);
    void OnMessage(PlayerId from, const NextMapSelectMessage& m);
    void OnMessage(PlayerId from, const NextGameSettingMessage& m);
    void OnMessage(PlayerId from, const GameSettingGameMessage& m);
    void OnMessage(PlayerId from, const GameSettingDoneMessage& m);
    void OnMessage(PlayerId from, const GameSettingNextMessage& m);
    void OnMessage(PlayerId from, const ArrangeEndMessage& m);
    void OnMessage(PlayerId from, const GameStartMessage& m);
    void OnMessage(PlayerId from, const ChatMessage& m);
    void OnMessage(PlayerId from, const TransferHeaderMessage& m);
    void OnMessage(PlayerId from, const TransferDataMessage& m);
    void OnMessage(PlayerId from, const ReceiveOkMessage& m);
    void OnMessage(PlayerId from, const DisconnectMessage& m);
    void OnMessage(PlayerId from, const GameFromServerMessage& m);
    void OnMessage(PlayerId from, const GameFromClientMessage& m);
    void OnMessage(PlayerId from, const YourTurnMessage& m);
    void OnMessage(PlayerId from, const ItsMineMessage& m);
    void OnMessage(PlayerId from, const RequestSendOrderMessage& m);
    void OnMessage(PlayerId from, const ExecuteThinkEndMessage& m);
    void OnMessage(PlayerId from, const RoleRequestMessage& m);
    void OnMessage(PlayerId from, const RoleResultMessage& m);
    void OnMessage(PlayerId from, const WaitStateMessage& m);
    void OnMessage(PlayerId from, const WaitMaskMessage& m);
    void OnMessage(PlayerId from, const GameEndMessage& m);
    void OnMessage(PlayerId from, const VersionMessage& m);
    void OnMessage(PlayerId from, const EchoRequestMessage& m);
    void OnMessage(PlayerId from, const EchoReplyMessage& m);
    void OnSettings(std::int32_t type, const std::uint8_t* block);
    // Sends a row's message; 0 when sent.
    template <typename Row>
    int SendRow(PlayerId to, const Row& row) {
        return Send(to, Encode(row));
    }
    void Notify(std::uint32_t w, const void* l);
    int Send(PlayerId to, const std::vector<std::uint8_t>& message);
    int SlotOfPlayer(PlayerId id) const;
    bool FromServer(PlayerId from, std::int32_t type);
    bool FromSlot(PlayerId from, std::int32_t slot, std::int32_t type);
    int NextTurn(int current) const;
    bool UnpackImage(const TransferRecord& record, std::vector<std::uint8_t>& image);
    void ReceiveImage(const TransferRecord& record);
    void OnOrderPart(int slot, const std::uint8_t* data, std::uint32_t n);
    static std::uint32_t W15(int phase);

    SessionManagerOptions options_;
    std::atomic<NetworkEventTarget*> target_{nullptr};
    NetworkGui defaultGui_;
    NetworkGui* gui_ = &defaultGui_;
    sim::Simulation* sim_ = nullptr;
    rules::TableDirectory* tables_ = nullptr;

    // The fields of the session.
    int acknowledgeEach_ = 0;
    int countriesAvailable_ = 4;
    int participantLeft_ = 0;
    int sessionOpen_ = 0;
    int hostFlag_ = 0;
    std::array<int, kSlotCount> slotLeft_{};
    int launchedByLobby_ = 0;
    int versionSent_ = 0;
    int acceptingJoins_ = 0;
    std::atomic<int> sending_{0};
    std::unique_ptr<TransferRecord> transfer_;
    int role_ = 0;
    std::unique_ptr<SessionConnection> connection_;
    std::array<std::int32_t, kSlotCount> slotStates_{};
    std::array<std::string, kSlotCount> names_;
    std::array<std::int64_t, kSlotCount> playerIds_{};
    std::array<std::int32_t, kSlotCount> ackCounters_{};
    std::array<std::int32_t, kSlotCount> lastAcks_{};
    std::array<std::int32_t, kSlotCount> thinkEnd_{};
    std::array<std::int32_t, kSlotCount> roleChoices_{};
    std::array<std::string, kSlotCount> labels_;
    std::array<std::int32_t, kSlotCount> roleResult_{};
    // Host: clients that joined and have not sent their version yet; they take a slot only with
    // it (the transport drops those that never do).
    std::map<PlayerId, std::string> waitingNames_;
    // The name a freed slot had: a participant's departure is told with it.
    std::array<std::string, kSlotCount> departedNames_;
    std::array<std::int32_t, kSlotCount> echo_{};
    std::array<std::uint8_t, GameSettingBlock::kSize> settings_{};
    int maxPlayers_ = 0;
    int ownSlot_ = kNoSlot;
    std::atomic<int> state_{kStateIdle};
    PlayerId serverId_ = 0;
    std::unique_ptr<core::AutoResetEvent> receiveEvent_;
    std::unique_ptr<core::AutoResetEvent> quitEvent_;
    std::unique_ptr<core::Thread> thread_;
    std::atomic<bool> stop_{false};
    // Set once a hosted or joined session is set up; the receive thread drains only then.
    std::atomic<bool> ready_{false};
    std::mutex logMutex_;
    int eventDepth_ = 0;  // GUI thread: inside OnNetworkEvent

    // The receive side's rate meter.
    std::uint32_t rateCounter_ = 0;
    std::uint32_t rateDeadline_ = 0;
    float lastRate_ = 0;

    // Transfer bookkeeping (host).
    std::array<std::uint8_t, kSlotCount> delivered_{};
    std::array<std::uint8_t, kSlotCount> arranged_{};
    int receivingCountry_ = 6;
    int sendingSlot_ = kNoSlot;
    bool mapDelivered_ = false;
    int startFlag_ = 0;
    int netFromSave_ = 0;
    // What transfer a participant may send now: the host expects kind 3 from the slot it
    // asked; a client expects kinds 1, 2 and 4 from the host.
    int expectedOwnTroopsSlot_ = kNoSlot;
};

}  // namespace zv::net
