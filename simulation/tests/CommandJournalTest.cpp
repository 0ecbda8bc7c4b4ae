#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "simulation/CommandRecords.h"
#include "simulation/Simulation.h"
#include "simulation/tests/SimTestSupport.h"

namespace zv::sim {
namespace {

using rules::CountryRecord;
using testing::Bytes;
using testing::Record;
using testing::RecordSink;
using testing::Role;
using testing::World;

constexpr std::uint32_t kBit8 = 1u << kBusyAwaitingOrders;

// Orders that need no troops: an alliance proposal (translated into command 43).
Bytes Proposal(std::uint8_t proposer) {
    return Record([&](RecordSink& s) {
        BuildOrder<AllianceProposalOrder>(s, {proposer, 1, kAllianceConclude});
    });
}

int CountOpcodes(std::span<const std::uint8_t> records, std::uint16_t opcode) {
    int n = 0;
    std::uint32_t pos = 0;
    while (pos + 2 <= records.size()) {
        const std::uint16_t op = rules::ReadU16(records.data(), pos);
        const std::uint32_t size = CommandRecordSize(op);
        if (op == opcode) ++n;
        pos += size ? size : 2;
    }
    return n;
}

int Count(const std::vector<std::string>& events, const std::string& name) {
    return static_cast<int>(std::count(events.begin(), events.end(), name));
}

TEST(CommandJournalTest, SinglePlayTranslatesTheLocalOrdersOfTheStepAndExecutesThem) {
    World w(Role::Single, 1);
    Simulation& sim = *w.sim;
    sim.ResetBusyState();
    sim.SetBusyBit(kBusyNotStarted, 0);

    BuildOrder<AllianceProposalOrder>(sim, {0, 1, kAllianceConclude});
    sim.SendGatheredOrders();  // single play keeps the orders for the step
    ASSERT_EQ(sim.LocalOrders().size(), 8u);

    sim.ProcessIncomingOrders();
    EXPECT_TRUE(sim.LocalOrders().empty());
    EXPECT_EQ(sim.GetIncomingLength(), 0u);
    EXPECT_EQ(sim.GetBusyMask(), kBit8);
    const Bytes expected = Record([](RecordSink& s) {
        WriteCommand(s, AllianceProposalCommand{0, 1, 0});
    });
    ASSERT_EQ(sim.OutgoingCommands().size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), sim.OutgoingCommands().begin()));

    WriteCommand(sim, RefreshCommand{});
    sim.FlushCommandJournal();
    EXPECT_EQ(sim.GetBusyMask(), 0u);
    EXPECT_TRUE(sim.OutgoingCommands().empty());
    EXPECT_EQ(rules::ReadU32(sim.ExecutionBuffer().data(), 0), 0u);
    // Player 1 is asked, then the refresh redraws.
    EXPECT_EQ(w.events.events,
              (std::vector<std::string>{"AllianceProposal(0,1,0)", "MapRedraw", "GraspRebuild"}));
    EXPECT_TRUE(w.session.sent.empty());
}

TEST(CommandJournalTest, AppendsThatWouldOverflowABufferAreRefusedWhole) {
    World w;
    Simulation& sim = *w.sim;
    const Bytes big(kJournalBytes - 6, 0);
    ASSERT_EQ(sim.AppendOrder(big.data(), static_cast<std::uint32_t>(big.size())), 1);
    EXPECT_EQ(BuildOrder<ClearOrdersOrder>(sim, {1}), 1);  // 4 bytes: 2 left
    EXPECT_EQ(BuildOrder<ClearOrdersOrder>(sim, {2}), 0);
    EXPECT_EQ(sim.LocalOrders().size(), kJournalBytes - 2);
    EXPECT_EQ(sim.LocalOrders()[kJournalBytes - 3], 0);  // the last accepted order's troop

    ASSERT_EQ(sim.AppendCommand(big.data(), static_cast<std::uint32_t>(big.size())), 1);
    EXPECT_EQ(WriteCommand(sim, AttackCommand{1, 2}), 1);  // 6 bytes: exactly full
    EXPECT_EQ(WriteCommand(sim, Nothing28Command{}), 0);
    EXPECT_EQ(sim.OutgoingCommands().size(), kJournalBytes);
    EXPECT_EQ(w.log.size(), 2u);
}

TEST(CommandJournalTest, HostGathersOnePartPerOccupiedSlotBeforeTheNextStep) {
    World w(Role::Host, 0);
    Simulation& sim = *w.sim;
    sim.SetBusyBit(kBusyAwaitingOrders, 1);
    const Bytes a = Proposal(0);
    Bytes b = Proposal(1);
    const Bytes c = Proposal(2);
    b.insert(b.end(), c.begin(), c.end());

    sim.ReceiveOrderPart(1, b.data(), static_cast<std::uint32_t>(b.size()));
    EXPECT_NE(sim.GetBusyMask() & kBit8, 0u);
    EXPECT_EQ(sim.GetIncomingLength(), b.size());
    EXPECT_TRUE(sim.IsOrderPartReceived(1));

    sim.ReceiveOrderPart(0, a.data(), static_cast<std::uint32_t>(a.size()));
    EXPECT_EQ(sim.GetBusyMask() & kBit8, 0u);
    EXPECT_EQ(sim.GetIncomingLength(), a.size() + b.size() + 4);
    const auto buffer = sim.IncomingOrderBuffer();
    EXPECT_TRUE(std::equal(b.begin(), b.end(), buffer.begin() + 4));
    EXPECT_TRUE(std::equal(a.begin(), a.end(), buffer.begin() + 4 + b.size()));

    // The step translates both parts in arrival order.
    sim.ProcessIncomingOrders();
    const auto out = sim.OutgoingCommands();
    ASSERT_EQ(out.size(), 24u);
    EXPECT_EQ(rules::ReadU16(out.data(), 2), 1);  // slot 1's part first
    EXPECT_EQ(rules::ReadU16(out.data(), 10), 2);
    EXPECT_EQ(rules::ReadU16(out.data(), 18), 0);  // then the host's
    EXPECT_EQ(sim.GetIncomingLength(), 0u);
    EXPECT_FALSE(sim.IsOrderPartReceived(0));
    EXPECT_NE(sim.GetBusyMask() & kBit8, 0u);
}

// A participant that leaves before sending its part: the step's parts are complete with the
// others', so the host's clock does not wait for ever; with nothing received yet, nothing is.
TEST(CommandJournalTest, AParticipantLeavingCompletesTheStepsOrderParts) {
    World w(Role::Host, 0);
    Simulation& sim = *w.sim;
    const Bytes part = Proposal(0);
    const auto n = static_cast<std::uint32_t>(part.size());
    sim.SetBusyBit(kBusyAwaitingOrders, 1);
    w.session.slotValues[1] = 0;  // slot 1 has left
    sim.RecheckOrderParts();
    EXPECT_EQ(sim.GetIncomingLength(), 0u);
    EXPECT_NE(sim.GetBusyMask() & kBit8, 0u);

    w.session.slotValues[1] = 2;
    sim.ReceiveOrderPart(0, part.data(), n);
    sim.RecheckOrderParts();  // slot 1 is still there
    EXPECT_EQ(sim.GetIncomingLength(), n);
    EXPECT_NE(sim.GetBusyMask() & kBit8, 0u);
    w.session.slotValues[1] = 0;
    sim.RecheckOrderParts();
    EXPECT_EQ(sim.GetIncomingLength(), n + 4);
    EXPECT_EQ(sim.GetBusyMask() & kBit8, 0u);
    // A late part changes nothing more.
    sim.ReceiveOrderPart(1, part.data(), n);
    EXPECT_EQ(sim.GetIncomingLength(), n + 4);
}

// The host's orders of a step whose parts are already complete (a participant left) stay in its
// order buffer and go with the next step's part.
TEST(CommandJournalTest, TheHostsOrdersForACompleteStepWaitForTheNext) {
    World w(Role::Host, 0);
    Simulation& sim = *w.sim;
    const Bytes first = Proposal(0);
    const Bytes late = Proposal(1);
    sim.SetBusyBit(kBusyAwaitingOrders, 1);
    w.session.slotValues[1] = 0;
    ASSERT_TRUE(sim.ReceiveOrderPart(0, first.data(), static_cast<std::uint32_t>(first.size())));
    ASSERT_EQ(sim.GetBusyMask() & kBit8, 0u) << "the step's parts are complete";

    sim.AppendOrder(late.data(), static_cast<std::uint32_t>(late.size()));
    sim.SendGatheredOrders();
    EXPECT_EQ(sim.GetIncomingLength(), first.size() + 4) << "the complete step takes nothing more";
    const auto kept = sim.LocalOrders();
    ASSERT_EQ(kept.size(), late.size());
    EXPECT_TRUE(std::equal(late.begin(), late.end(), kept.begin()));

    // The next step's part carries them.
    sim.ProcessIncomingOrders();
    sim.SendGatheredOrders();
    EXPECT_EQ(sim.GetIncomingLength(), late.size() + 4);
    EXPECT_TRUE(sim.LocalOrders().empty());
}

TEST(CommandJournalTest, BadOrderPartsAreDroppedAndChangeNothing) {
    World w(Role::Host, 0);
    Simulation& sim = *w.sim;
    const Bytes part = Proposal(0);
    const auto n = static_cast<std::uint32_t>(part.size());
    sim.SetBusyBit(kBusyAwaitingOrders, 1);

    struct Case {
        const char* name;
        std::uint32_t slot;
        const std::uint8_t* data;
        std::uint32_t size;
    };
    const Bytes huge(kJournalBytes + 1, 0);
    const Case bad[] = {
        {"slot 6", 6, part.data(), n},
        {"slot 0xFFFE", 0xFFFE, part.data(), n},
        {"slot 0x10000", 0x10000, part.data(), n},
        {"larger than the buffer", 0, huge.data(), static_cast<std::uint32_t>(huge.size())},
        {"no data", 0, nullptr, 8},
    };
    for (const Case& c : bad) {
        SCOPED_TRACE(c.name);
        const std::size_t logged = w.log.size();
        sim.ReceiveOrderPart(c.slot, c.data, c.size);
        EXPECT_EQ(sim.GetIncomingLength(), 0u);
        for (int s = 0; s < kParticipantSlots; ++s) EXPECT_FALSE(sim.IsOrderPartReceived(s));
        EXPECT_NE(sim.GetBusyMask() & kBit8, 0u);
        EXPECT_EQ(w.log.size(), logged + 1);
    }

    // A second part of one slot in the same step, and a part after the last one.
    sim.ReceiveOrderPart(0, part.data(), n);
    sim.ReceiveOrderPart(0, part.data(), n);
    EXPECT_EQ(sim.GetIncomingLength(), n);
    sim.ReceiveOrderPart(1, part.data(), n);
    EXPECT_EQ(sim.GetIncomingLength(), 2 * n + 4);
    sim.ReceiveOrderPart(2, part.data(), n);
    EXPECT_EQ(sim.GetIncomingLength(), 2 * n + 4);
    EXPECT_EQ(w.log.size(), std::size(bad) + 2);

    // A part that fills the buffer to the byte is kept.
    sim.ReceiveOrderPart(kResetOrderPart, nullptr, 0);
    EXPECT_EQ(sim.GetIncomingLength(), 0u);
    const Bytes full(kJournalBytes - n, 0);
    sim.ReceiveOrderPart(0, part.data(), n);
    sim.ReceiveOrderPart(1, full.data(), static_cast<std::uint32_t>(full.size()));
    EXPECT_EQ(sim.GetIncomingLength(), kJournalBytes + 4);
}

TEST(CommandJournalTest, AResetPartDiscardsTheGatheredPartsAndReleasesTheStep) {
    World w(Role::Host, 0);
    Simulation& sim = *w.sim;
    sim.SetBusyBit(kBusyAwaitingOrders, 1);
    const Bytes part = Proposal(0);
    sim.ReceiveOrderPart(0, part.data(), static_cast<std::uint32_t>(part.size()));
    sim.ReceiveOrderPart(kResetOrderPart, nullptr, 0);
    EXPECT_EQ(sim.GetIncomingLength(), 0u);
    EXPECT_FALSE(sim.IsOrderPartReceived(0));
    EXPECT_EQ(sim.GetBusyMask() & kBit8, 0u);
    EXPECT_EQ(sim.IncomingOrderBuffer()[4], 0);
}

TEST(CommandJournalTest, SendGatheredOrdersFilesTheHostsOwnPartAndSendsAClientsToTheHost) {
    {
        World w(Role::Host, 0);
        BuildOrder<ClearOrdersOrder>(*w.sim, {3});
        w.sim->SendGatheredOrders();
        EXPECT_TRUE(w.sim->LocalOrders().empty());
        EXPECT_TRUE(w.sim->IsOrderPartReceived(0));
        EXPECT_EQ(w.sim->GetIncomingLength(), 4u);
        EXPECT_TRUE(w.session.sent.empty());
    }
    {
        World w(Role::Client, 1);
        BuildOrder<ClearOrdersOrder>(*w.sim, {3});
        w.sim->SendGatheredOrders();
        EXPECT_TRUE(w.sim->LocalOrders().empty());
        EXPECT_EQ(w.session.sent, (std::vector<std::string>{"GameFromClient(1,4)"}));
        EXPECT_EQ(w.session.payloads.at(0), (Bytes{26, 0, 3, 0}));
    }
    {
        World w(Role::Client, 1);
        w.sim->SetSession(nullptr);  // network play without a session manager
        BuildOrder<ClearOrdersOrder>(*w.sim, {3});
        w.sim->SendGatheredOrders();
        EXPECT_TRUE(w.sim->LocalOrders().empty());
    }
}

TEST(CommandJournalTest, HostFlushSendsTheJournalExecutesItAndReportsTheEnd) {
    World w(Role::Host, 0);
    Simulation& sim = *w.sim;
    sim.SetBusyBit(kBusyNotStarted, 0);
    sim.ProcessIncomingOrders();
    WriteCommand(sim, RefreshCommand{});
    WriteCommand(sim, Nothing28Command{});
    w.session.sent.clear();
    w.events.events.clear();

    sim.FlushCommandJournal();
    ASSERT_GE(w.session.sent.size(), 2u);
    EXPECT_EQ(w.session.sent.front(), "GameFromServer(100,8)");
    EXPECT_EQ(w.session.payloads.front(), (Bytes{17, 0, 0, 0, 28, 0, 0, 0}));
    EXPECT_EQ(w.session.sent.back(), "ExecuteThinkEnd");
    EXPECT_EQ(Count(w.events.events, "MapRedraw"), 1);
    // The host keeps waiting for the participants' orders.
    EXPECT_NE(sim.GetBusyMask() & kBit8, 0u);
    EXPECT_TRUE(sim.OutgoingCommands().empty());
}

TEST(CommandJournalTest, ClientExecutesAReceivedJournalAndAnswers) {
    World w(Role::Client, 1);
    Simulation& sim = *w.sim;
    const Bytes journal = Record([](RecordSink& s) { WriteCommand(s, RefreshCommand{}); });
    w.session.sendResult = 0;
    EXPECT_EQ(sim.ExecuteReceivedCommands(journal.data(), 4), 0);
    EXPECT_EQ(Count(w.events.events, "MapRedraw"), 1);
    EXPECT_EQ(w.session.sent.back(), "ExecuteThinkEnd");
    EXPECT_EQ(rules::ReadU32(sim.ExecutionBuffer().data(), 0), 0u);

    w.session.sendResult = 5;
    EXPECT_EQ(sim.ExecuteReceivedCommands(journal.data(), 4), 5);

    // A journal larger than the execution buffer is dropped unexecuted and unanswered.
    const Bytes huge(kJournalBytes + 2, 0);
    w.session.sent.clear();
    w.events.events.clear();
    EXPECT_EQ(sim.ExecuteReceivedCommands(huge.data(), static_cast<std::uint32_t>(huge.size())),
              -1);
    EXPECT_TRUE(w.session.sent.empty());
    EXPECT_TRUE(w.events.events.empty());
    EXPECT_EQ(w.log.size(), 1u);
}

TEST(CommandJournalTest, NotifyExecuteThinkEndReportsWhetherItWasSent) {
    World w(Role::Client, 1);
    w.session.sendResult = 0;
    EXPECT_EQ(w.sim->NotifyExecuteThinkEnd(), 1);
    w.session.sendResult = -1;
    EXPECT_EQ(w.sim->NotifyExecuteThinkEnd(), 0);
    w.sim->SetSession(nullptr);
    EXPECT_EQ(w.sim->NotifyExecuteThinkEnd(), 0);
}

TEST(CommandJournalTest, ResetCommandJournalEmptiesEveryBuffer) {
    World w(Role::Host, 0);
    Simulation& sim = *w.sim;
    BuildOrder<ClearOrdersOrder>(sim, {1});
    WriteCommand(sim, Nothing28Command{});
    const Bytes part = Proposal(0);
    sim.ReceiveOrderPart(0, part.data(), static_cast<std::uint32_t>(part.size()));
    sim.ResetCommandJournal();
    EXPECT_TRUE(sim.LocalOrders().empty());
    EXPECT_TRUE(sim.OutgoingCommands().empty());
    EXPECT_EQ(sim.GetIncomingLength(), 0u);
    EXPECT_FALSE(sim.IsOrderPartReceived(0));
    EXPECT_EQ(sim.IncomingOrderBuffer()[4], 0);
    EXPECT_EQ(sim.ResetIncomingOrders(), 0);
}

TEST(CommandJournalTest, ACommandFromAnotherThreadDuringAStepGoesOutWithTheNextStep) {
    World w(Role::Single, 0);
    Simulation& sim = *w.sim;
    sim.SetBusyBit(kBusyNotStarted, 0);

    sim.ProcessIncomingOrders();
    WriteCommand(sim, Nothing28Command{});
    std::thread gui([&] { WriteCommand(sim, RefreshCommand{}); });
    gui.join();
    EXPECT_EQ(sim.GetGatedCommandBytes(), 4u);
    EXPECT_EQ(sim.OutgoingCommands().size(), 4u);  // the step's own command only

    sim.FlushCommandJournal();
    EXPECT_EQ(Count(w.events.events, "MapRedraw"), 0);
    const Bytes refresh{17, 0, 0, 0};
    ASSERT_EQ(sim.OutgoingCommands().size(), 4u);
    EXPECT_TRUE(std::equal(refresh.begin(), refresh.end(), sim.OutgoingCommands().begin()));
    EXPECT_EQ(sim.GetGatedCommandBytes(), 0u);

    // Outside a step, another thread appends straight into the journal.
    std::thread other([&] { WriteCommand(sim, Nothing29Command{}); });
    other.join();
    EXPECT_EQ(sim.OutgoingCommands().size(), 8u);

    sim.ProcessIncomingOrders();
    sim.FlushCommandJournal();
    EXPECT_EQ(Count(w.events.events, "MapRedraw"), 1);
}

TEST(CommandJournalTest, OrdersAppendedWhileStepsRunAreAllTranslatedOnce) {
    World w(Role::Single, 3);
    Simulation& sim = *w.sim;
    sim.SetBusyBit(kBusyNotStarted, 0);
    constexpr int kOrders = 3000;
    std::atomic<bool> done{false};
    std::thread gui([&] {
        for (int i = 0; i < kOrders; ++i)
            BuildOrder<AllianceProposalOrder>(sim, {0, 1, kAllianceConclude});
        done = true;
    });
    int translated = 0;
    auto step = [&] {
        sim.ProcessIncomingOrders();
        translated += CountOpcodes(sim.OutgoingCommands(), kCmdAllianceProposal);
        sim.FlushCommandJournal();
    };
    while (!done) step();
    gui.join();
    step();
    EXPECT_EQ(translated, kOrders);
}

TEST(CommandJournalTest, APartArrivingWhileTheStepTranslatesIsDroppedWithoutWaiting) {
    World w(Role::Host, 0);
    // A log sink that, like one writing to a window, waits for the GUI thread, which just then
    // receives a late order part.
    std::mutex linesMutex;
    std::vector<std::string> lines;
    std::promise<void> partDone;
    std::future<void> partReturned = partDone.get_future();
    std::thread gui;
    bool answeredInTime = false;
    const Bytes late = Proposal(1);
    SimulationEnv env;
    env.events = &w.events;
    env.session = &w.session;
    env.log = [&](std::string_view line) {
        bool first = false;
        {
            std::lock_guard lock(linesMutex);
            first = lines.empty();
            lines.emplace_back(line);
        }
        if (!first) return;
        gui = std::thread([&] {
            w.sim->ReceiveOrderPart(1, late.data(), static_cast<std::uint32_t>(late.size()));
            partDone.set_value();
        });
        answeredInTime =
            partReturned.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    };
    w.sim = std::make_unique<Simulation>(w.tables, std::move(env));
    w.sim->SetPlayerCountry(0);

    // Slot 0's part holds an order that the translation drops with a log line.
    const Bytes bad = Record([](RecordSink& s) { BuildOrder<WithdrawOrder>(s, {0, 9}); });
    w.sim->ReceiveOrderPart(0, bad.data(), static_cast<std::uint32_t>(bad.size()));
    w.sim->ReceiveOrderPart(1, nullptr, 0);
    ASSERT_EQ(w.sim->GetIncomingLength(), bad.size() + 4);

    w.sim->ProcessIncomingOrders();
    partReturned.wait();
    gui.join();
    EXPECT_TRUE(answeredInTime);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("being translated"), std::string::npos) << lines[1];
    // The late part did not slip into the next step's buffer.
    EXPECT_EQ(w.sim->GetIncomingLength(), 0u);
    EXPECT_FALSE(w.sim->IsOrderPartReceived(1));
    EXPECT_TRUE(w.sim->OutgoingCommands().empty());
}

// The whole way of an alliance: the host's player proposes, the client's player is asked on
// its own program and answers with an order, and both programs end with the same alliance.
TEST(CommandJournalTest, AnAllianceAnswerTravelsBackAsAnOrderAndReachesEveryProgram) {
    World host(Role::Host, 0);
    World client(Role::Client, 1);
    auto hostStep = [&](const Bytes& clientPart) {
        host.sim->SendGatheredOrders();  // the host's own part as slot 0
        host.sim->ReceiveOrderPart(1, clientPart.data(),
                                   static_cast<std::uint32_t>(clientPart.size()));
        EXPECT_EQ(host.sim->GetBusyMask() & kBit8, 0u);
        host.sim->ProcessIncomingOrders();
        host.session.payloads.clear();
        host.sim->FlushCommandJournal();
        const Bytes journal = host.session.payloads.at(0);
        client.sim->ExecuteReceivedCommands(journal.data(),
                                            static_cast<std::uint32_t>(journal.size()));
    };
    for (World* w : {&host, &client}) w->sim->SetBusyBit(kBusyNotStarted, 0);

    BuildOrder<AllianceProposalOrder>(*host.sim, {0, 1, kAllianceConclude});
    hostStep({});
    EXPECT_EQ(Count(host.events.events, "AllianceProposal(0,1,0)"), 0);
    ASSERT_EQ(Count(client.events.events, "AllianceProposal(0,1,0)"), 1);
    EXPECT_EQ(client.Country(0)[CountryRecord::kAllianceMask] & 0x02, 0);

    // The client's player approves; the answer goes out with the client's next part.
    BuildAllianceAnswerOrder(*client.sim, 1, 0, kAllianceConclude, 1);
    client.session.payloads.clear();
    client.sim->SendGatheredOrders();
    ASSERT_EQ(client.session.payloads.size(), 1u);
    host.events.events.clear();
    client.events.events.clear();
    hostStep(client.session.payloads.at(0));

    for (World* w : {&host, &client}) {
        EXPECT_EQ(w->Country(0)[CountryRecord::kAllianceMask] & 0x02, 0x02);
        EXPECT_EQ(w->Country(1)[CountryRecord::kAllianceMask] & 0x01, 0x01);
    }
    EXPECT_EQ(host.Country(0, rules::TableId::ShadowCountry)[CountryRecord::kAllianceMask] & 0x02,
              0x02);
    EXPECT_EQ(Count(host.events.events, "AllianceAnswerNotice(1)"), 1);  // the proposer's
    EXPECT_EQ(Count(client.events.events, "AllianceAnswerNotice(1)"), 0);
    EXPECT_EQ(Count(client.events.events, "RefreshCampInfo"), 1);
}

// A session whose slot query, like one that takes its own lock and waits for the thread that
// delivers messages, needs the simulation's buffers free while it answers.
class QueryingSession : public testing::FakeSession {
  public:
    std::uint32_t GetSlotValue(int slot) override {
        if (sim) {
            // Kept past the call: a query stuck behind the lock finishes once it is released.
            pending.push_back(std::async(std::launch::async, [this] { sim->GetIncomingLength(); }));
            if (pending.back().wait_for(std::chrono::seconds(2)) != std::future_status::ready) {
                ++blocked;
            }
        }
        return FakeSession::GetSlotValue(slot);
    }
    Simulation* sim = nullptr;
    int blocked = 0;
    std::vector<std::future<void>> pending;
};

TEST(CommandJournalTest, TheSessionIsAskedForItsSlotsWithoutTheBuffersHeld) {
    World w(Role::Host, 0);
    QueryingSession session;
    session.slotValues[0] = 1;
    session.slotValues[1] = 2;
    SimulationEnv env;
    env.events = &w.events;
    env.session = &session;
    env.log = [&](std::string_view line) { w.log.emplace_back(line); };
    w.sim = std::make_unique<Simulation>(w.tables, std::move(env));
    session.sim = w.sim.get();

    const Bytes part = Proposal(0);
    w.sim->ReceiveOrderPart(0, part.data(), static_cast<std::uint32_t>(part.size()));
    w.sim->ReceiveOrderPart(1, part.data(), static_cast<std::uint32_t>(part.size()));
    EXPECT_EQ(session.blocked, 0);
    EXPECT_EQ(w.sim->GetIncomingLength(), 2 * part.size() + 4);
}

}  // namespace
}  // namespace zv::sim
