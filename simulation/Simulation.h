#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <thread>
#include <vector>

#include "framework/RandomStreams.h"
#include "rules/context/GameContext.h"
#include "rules/context/GameEvents.h"
#include "rules/context/TableDirectory.h"
#include "rules/search/RouteSearch.h"
#include "rules/search/SupplyNetwork.h"
#include "simulation/CommandRecords.h"
#include "simulation/SessionPort.h"

namespace zv::sim {

// BusyMask bits.
inline constexpr int kBusyDialog = 0;          // a modal dialog or menu command of the player
inline constexpr int kBusyExecuting = 1;       // a journal is being executed
inline constexpr int kBusyNotStarted = 3;      // play has not begun
inline constexpr int kBusyTranslating = 5;     // orders translated or commands executed
inline constexpr int kBusyFight = 6;           // a fight is on screen
inline constexpr int kBusySelecting = 7;       // troops are selected for an order
inline constexpr int kBusyAwaitingOrders = 8;  // the participants' orders of the next step
// Bits 0, 6 and 7: the player-busy bits reported to the other participants.
inline constexpr std::uint32_t kPlayerBusyBits = 0xC1;
inline constexpr std::uint32_t kInitialBusyMask = 1u << kBusyNotStarted;

// The slot of ReceiveOrderPart that discards the step's parts.
inline constexpr std::uint32_t kResetOrderPart = 0xFFFF;
// ZVCMSG_GAME_FROM_SERVER carries journals with this value, ZVCMSG_GAME_FROM_CLIENT orders
// with kOrderPartValue.
inline constexpr std::int32_t kJournalValue = 100;
inline constexpr std::int32_t kOrderPartValue = 1;

struct SimulationEnv {
    rules::GameEvents* events = nullptr;  // null: nothing reaches any window
    SessionPort* session = nullptr;       // null: no session manager
    // Receives one line per dropped order, part, journal or command; empty: standard error.
    std::function<void(std::string_view)> log;
    // Handed to every rules object the simulation builds (see GameContextEnv).
    int (*recomputeAllSupplyNetworks)(rules::GameContext&) = &rules::RecomputeAllSupplyNetworks;
    // The world's terrain stamp, shared with the route searches of the other threads.
    rules::RouteTerrainEpoch* routeEpoch = nullptr;
};

// The state of one world's lock-step game besides its tables: the command journal (local
// orders, incoming order parts, outgoing commands, the execution buffer), the BusyMask and the
// participant waits, the random streams, the route flood's work grid and the route searches
// of whichever thread runs the step or executes a journal (never two at once).
//
// Threads: the clock step runs ProcessIncomingOrders ... FlushCommandJournal on one thread
// while the GUI thread appends orders, receives parts and journals and sets busy bits. Orders
// appended from any thread are kept whole. A command appended from another thread while a
// step runs waits in the gate and joins the outgoing buffer when the step's journal has been
// executed, so it goes out with the next step instead of being cleared with this one.
class Simulation : public OrderSink, public CommandSink {
  public:
    explicit Simulation(rules::TableDirectory& tables, SimulationEnv env = {});
    ~Simulation() override;
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // The world.
    rules::TableDirectory& Tables() { return *tables_; }
    rules::GameEvents& Events() { return *events_; }
    SessionPort* Session() { return session_; }
    // The network pages install the session when a network game starts (null: none).
    void SetSession(SessionPort* session) { session_ = session; }
    fw::RandomStreams& Random() { return random_; }
    std::uint8_t GetPlayerCountry() const { return playerCountry_.load(); }
    void SetPlayerCountry(std::uint8_t country) { playerCountry_.store(country); }
    // What every rules object of this world is built with.
    rules::GameContextEnv ContextEnv();
    void Log(std::string_view line);

    // The journal.
    // Both return 1, or 0 when the record does not fit into the buffer's 1 MB (nothing is
    // appended then).
    int AppendOrder(const std::uint8_t* record, std::uint32_t size) override;
    int AppendCommand(const std::uint8_t* record, std::uint32_t size) override;
    void ResetCommandJournal();
    int ResetIncomingOrders();
    void ProcessIncomingOrders();
    void SendGatheredOrders();
    void FlushCommandJournal();
    // A journal received from the host. The send result of the think-end answer; -1 when the
    // journal is larger than the execution buffer (it is dropped and nothing is answered).
    int ExecuteReceivedCommands(const std::uint8_t* data, std::uint32_t size);
    // One participant's order part (slot 0-5), or kResetOrderPart. A part for a slot outside
    // 0-5, a second part of a slot in one step, a part after the step's last one, a part or
    // reset arriving while the step translates, or a part that would overflow the buffer is
    // dropped. True when the part (or the reset) was taken.
    bool ReceiveOrderPart(std::uint32_t slot, const std::uint8_t* data, std::uint32_t size);
    // A participant left: when every remaining participant's part of this step is in, the step's
    // parts are complete (the one that left never sends its part).
    void RecheckOrderParts();
    int RunPendingCommands();
    void ExecuteAndClearJournal();
    // Called after every executed journal, on the thread that executed it (the host's clock
    // step or a client's receive hand-over): every participant's tables are then at the same
    // step. Null: nothing. Set it while no game plays.
    void SetJournalObserver(std::function<void()> observer) { journalObserver_ = std::move(observer); }
    int NotifyExecuteThinkEnd();

    // The session.
    int IsSinglePlay();
    int IsJournalHost();
    // 0xFF in single play, for a slot outside 0-5 and for an empty slot.
    std::uint8_t GetPlayerSlotCountry(int slot);

    // Busy state.
    void ResetBusyState();
    void SetBusyBit(int bit, int on);
    void SetPlayerWait(int slot, int bit, int on);
    int IsPlayerWaiting(int slot);
    std::uint16_t GetPlayerWaitWord(int n);
    int IsBusy();
    void ReportWaitState();
    int SendBusyChange(int bit, int on);
    std::uint32_t GetBusyMask() const { return busyMask_.load(); }
    std::uint32_t GetCombinedWaitWord() const { return combinedWait_.load(); }

    // The buffers, for the clock step and tests. Spans are valid until the buffer changes.
    std::span<const std::uint8_t> OutgoingCommands() const;
    std::span<const std::uint8_t> LocalOrders() const;
    // The whole buffer: leading 32-bit length, then the data.
    std::span<const std::uint8_t> IncomingOrderBuffer() const;
    std::span<const std::uint8_t> ExecutionBuffer() const;
    std::uint32_t GetIncomingLength() const;
    int IsOrderPartReceived(int slot) const;
    // Commands waiting in the gate for the next step.
    std::uint32_t GetGatedCommandBytes() const;

  private:
    struct Report {
        bool panel = false;
        bool toAll = false;
        std::uint16_t mask = 0;
        int waitState = -1;  // 0 or 1: SendWaitState (0, waitState)
    };
    std::uint16_t BuildWaitMaskLocked() const;
    void Deliver(const Report& report);
    void SetIncomingLength(std::uint32_t length);
    void ClearIncomingLocked();
    bool NetworkPlay() { return IsSinglePlay() == 0; }

    rules::TableDirectory* tables_;
    rules::GameEvents* events_;
    SessionPort* session_;
    std::function<void(std::string_view)> log_;
    int (*recomputeAllSupplyNetworks_)(rules::GameContext&);
    std::atomic<std::uint8_t> playerCountry_{rules::kNoCountry};
    std::function<void()> journalObserver_;
    fw::RandomStreams random_;
    std::unique_ptr<rules::HexWorkGrid> workGrid_;
    std::unique_ptr<rules::RouteSearchSet> routeSearches_;

    // Outgoing commands and the gate.
    mutable std::mutex commandMutex_;
    std::unique_ptr<std::uint8_t[]> outgoing_;
    std::uint32_t outgoingCount_ = 0;
    std::vector<std::uint8_t> gated_;
    bool stepRunning_ = false;
    std::thread::id stepThread_;

    // Execution buffer: length word and up to 1 MB.
    std::unique_ptr<std::uint8_t[]> execution_;

    // Local orders.
    mutable std::mutex orderMutex_;
    std::unique_ptr<std::uint8_t[]> localOrders_;
    std::uint32_t localOrderCount_ = 0;
    std::vector<std::uint8_t> sending_;

    // Incoming order parts: length word and up to 1 MB.
    mutable std::mutex incomingMutex_;
    std::unique_ptr<std::uint8_t[]> incoming_;
    std::array<std::uint8_t, kParticipantSlots> received_{};
    bool incomingComplete_ = false;
    bool translating_ = false;  // the step reads the buffer without the lock

    // Busy state. The masks are read without the lock by IsBusy and the clock.
    mutable std::mutex busyMutex_;
    std::atomic<std::uint32_t> busyMask_{kInitialBusyMask};
    std::atomic<std::uint32_t> combinedWait_{0};
    std::array<std::uint32_t, kParticipantSlots> waitWords_{};
};

}  // namespace zv::sim
