#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "rules/records/ForceCursor.h"
#include "rules/records/MapRecords.h"
#include "simulation/ClockStep.h"
#include "simulation/ClockStepThread.h"
#include "simulation/Judgement.h"
#include "simulation/tests/StepFixture.h"

namespace zv::sim::steptest {
namespace {

class ClockStepTest : public StepWorld {
  protected:
    void SetUp() override {
        map.AddTroop(0, 3, 3, {kHeadquarters});
        map.AddTroop(1, 12, 12, {kHeadquarters});
        map.Clock(1, 8, 0);
        Ready();
    }
    // Paced calls until one makes a step; the count of calls.
    int CallsUntilStep(int limit = 200) {
        const int before = StepsMade();
        for (int n = 1; n <= limit; ++n) {
            clock->RealTimeTick(1);
            if (StepsMade() != before) return n;
        }
        return -1;
    }
    int StepsMade() {
        rules::ScenarioHeaderCursor header(tables);
        return header.GetDay() * 1440 + header.GetHour() * 60 + header.GetMinute();
    }
};

struct PacingCase {
    int speed;
    int callsPerStep;
};

class PacingTest : public ClockStepTest, public ::testing::WithParamInterface<PacingCase> {};

TEST_P(PacingTest, StepComesEveryFiftyTwoMinusTenTimesSpeedCalls) {
    host.speed = GetParam().speed;
    // The first step after the start; then the spacing between steps.
    ASSERT_GT(CallsUntilStep(), 0);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(CallsUntilStep(), GetParam().callsPerStep);
    EXPECT_EQ(PacedCallsPerStep(GetParam().speed), GetParam().callsPerStep);
}

INSTANTIATE_TEST_SUITE_P(Speeds, PacingTest,
                         ::testing::Values(PacingCase{0, 52}, PacingCase{1, 42}, PacingCase{2, 32},
                                           PacingCase{3, 22}, PacingCase{4, 12}, PacingCase{5, 2},
                                           // Out-of-range speeds are held to 0-5: a step comes.
                                           PacingCase{9, 2}, PacingCase{255, 2},
                                           PacingCase{-3, 52}));

TEST_F(ClockStepTest, WithoutSpeedWindowEveryPacedCallSteps) {
    for (int k = 0; k < 4; ++k) EXPECT_EQ(CallsUntilStep(), 1);
}

TEST_F(ClockStepTest, BusyHoldsPacedCallsButNotUnpacedOnes) {
    sim->SetBusyBit(kBusyNotStarted, 1);
    const int before = StepsMade();
    EXPECT_EQ(clock->RealTimeTick(1), 0);
    EXPECT_EQ(StepsMade(), before);
    EXPECT_TRUE(sim->OutgoingCommands().empty());
    clock->RealTimeTick(0);
    EXPECT_EQ(StepsMade(), before + 1);
}

TEST_F(ClockStepTest, FirstStepOfDayZeroWritesDayOneThenTheNextMinute) {
    rules::ScenarioHeaderCursor shadowHeader(tables, rules::TableId::ShadowScenarioHeader);
    shadowHeader.SetDay(0);
    shadowHeader.SetHour(7);
    shadowHeader.SetMinute(30);
    std::vector<CommandView> journal;
    clock->SetJournalTap([&](std::span<const std::uint8_t> j) { journal = SplitCommands(j); });
    clock->RealTimeTick(0);
    ASSERT_GE(journal.size(), 3u);
    EXPECT_EQ(journal[0].opcode, kCmdClock);
    EXPECT_EQ(journal[0].U8(ClockRecord::kDay), 1);
    EXPECT_EQ(journal[0].U8(ClockRecord::kMinute), 30);
    EXPECT_EQ(journal[1].opcode, kCmdRefresh);
    int clocks = 0;
    for (const CommandView& c : journal) {
        if (c.opcode != kCmdClock) continue;
        if (++clocks == 2) {
            EXPECT_EQ(c.U8(ClockRecord::kDay), 1);
            EXPECT_EQ(c.U8(ClockRecord::kMinute), 31);
        }
    }
    EXPECT_EQ(clocks, 2);
    rules::ScenarioHeaderCursor live(tables);
    EXPECT_EQ(live.GetDay(), 1);
    EXPECT_EQ(live.GetMinute(), 31);
}

TEST_F(ClockStepTest, MidnightBringsTheNewDayIncomeAndTheProductionRound) {
    // Country 1 is computer-led, holds a capital and has a reusable corps troop.
    rules::ScenarioHeaderCursor header(tables);
    header.SetDay(3);
    header.SetHour(23);
    header.SetMinute(59);
    header.SetOptionWord(rules::kOptionProductionInGame);
    rules::CountryCursor countries(tables);
    countries.Select(1);
    countries.SetParticipation(kPlayedByComputer);
    map.AddSite(0, 1, 14, 14);
    const std::uint16_t corpsTroop = map.AddForceTroop(1, {kInfantry});
    rules::ForceCursor force(tables);
    force.SelectSlot(1);
    force.SelectTroop(corpsTroop);
    force.SetStateFlags(static_cast<std::uint16_t>(force.GetStateFlags() | 0x8000));
    Ready();
    const std::int32_t funds = rules::ReadS32(Country(1), rules::CountryRecord::kFunds);

    std::vector<CommandView> journal;
    clock->SetJournalTap([&](std::span<const std::uint8_t> j) { journal = SplitCommands(j); });
    clock->RealTimeTick(0);

    ASSERT_FALSE(journal.empty());
    bool newDay = false;
    for (const CommandView& c : journal) {
        if (c.opcode == kCmdClock && c.U8(ClockRecord::kHour) == 0) {
            newDay = c.U16(ClockRecord::kNewDay) == 1;
            EXPECT_EQ(c.U8(ClockRecord::kDay), 4);
        }
    }
    EXPECT_TRUE(newDay);
    // The production round's requests close the journal.
    ASSERT_EQ(journal.back().opcode, kOpPlace);
    EXPECT_EQ(journal.back().U16(ForceTroopRecord::kForceTroop), corpsTroop);
    EXPECT_EQ(journal.back().U8(ForceTroopRecord::kCountry), 1);
    // Every participant pays the day's income on command 16.
    EXPECT_GT(rules::ReadS32(Country(1, rules::TableId::Country), rules::CountryRecord::kFunds),
              funds);
    EXPECT_EQ(rules::ReadS32(Country(1, rules::TableId::Country), rules::CountryRecord::kFunds),
              rules::ReadS32(Country(1), rules::CountryRecord::kFunds));

    // The next step places the requested troop on its cell.
    clock->RealTimeTick(0);
    bool produced = false;
    for (const CommandView& c : journal) produced |= c.opcode == kCmdProduction;
    EXPECT_TRUE(produced);
}

// Two troops of different countries, each one hex from the same free hex and due to step into
// it in the same minute: the countries take turns at moving first, minute by minute, so neither
// always wins such a race.
class ClockStepOrderTest : public StepWorld, public ::testing::WithParamInterface<int> {};

TEST_P(ClockStepOrderTest, CountriesTakeTurnsAtMovingFirst) {
    map.AddTroop(0, 3, 3, {kHeadquarters});
    map.AddTroop(1, 12, 12, {kHeadquarters});
    const std::uint16_t west = map.AddTroop(0, 5, 6, {kInfantry});
    const std::uint16_t east = map.AddTroop(1, 7, 6, {kInfantry});
    map.Clock(1, 8, static_cast<std::uint8_t>(GetParam()));
    Ready();
    Order(west, Hex(6, 6), rules::kOrderMove, 0);
    Order(east, Hex(6, 6), rules::kOrderMove, 0);
    int minute = -1;
    for (int step = 0; step < 10 && HexTroop(6, 6) == rules::kNoTroopIndex; ++step) {
        minute = rules::ScenarioHeaderCursor(tables).GetMinute();
        clock->RealTimeTick(0);
    }
    ASSERT_GE(minute, 0);
    EXPECT_EQ(HexTroop(6, 6), minute % 2 == 0 ? west : east) << "minute " << minute;
}

INSTANTIATE_TEST_SUITE_P(Minutes, ClockStepOrderTest, ::testing::Values(0, 1, 2, 3));

TEST_F(ClockStepTest, AfterTheGameEndNoStepRuns) {
    // Country 1 loses its headquarters: the judgement ends the game in this step.
    rules::TroopCursor troops(tables, rules::TableId::ShadowTroop);
    for (std::uint16_t t = 40; t < 80; ++t) {
        if (troops.Select(t) && troops.GetRecord()->IsUsed()) troops.ResetCurrentTroop();
    }
    std::vector<CommandView> journal;
    clock->SetJournalTap([&](std::span<const std::uint8_t> j) { journal = SplitCommands(j); });
    EXPECT_NE(clock->RealTimeTick(0), -1);
    bool ended = false;
    for (const CommandView& c : journal) {
        if (c.opcode == kCmdGameEnd) {
            ended = true;
            EXPECT_EQ(c.U16(GameEndRecord::kWinners), 0b01);
            EXPECT_EQ(c.U16(GameEndRecord::kLosers), 0b10);
        }
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(clock->GetGameOverFlag(), 1);
    journal.clear();
    const int before = StepsMade();
    EXPECT_EQ(clock->RealTimeTick(0), 0);
    EXPECT_EQ(clock->RealTimeTick(1), 0);
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(StepsMade(), before);
    clock->SetGameOverFlag(0);
    clock->RealTimeTick(0);
    EXPECT_EQ(StepsMade(), before + 1);
}

TEST_F(ClockStepTest, PendingNetActionBecomesANotice) {
    host.netAction = kNoticeReturnToTitle;
    std::vector<CommandView> journal;
    clock->SetJournalTap([&](std::span<const std::uint8_t> j) { journal = SplitCommands(j); });
    clock->RealTimeTick(0);
    bool notice = false;
    for (const CommandView& c : journal) {
        if (c.opcode == kCmdNotice) {
            notice = true;
            EXPECT_EQ(c.U16(NoticeRecord::kKind), kNoticeReturnToTitle);
            EXPECT_EQ(c.U16(NoticeRecord::kCountry), 0);
        }
    }
    EXPECT_TRUE(notice);
}

TEST(StepSeedTest, ProductOfTwoReadingsDividedWithTruncation) {
    EXPECT_EQ(MakeStepSeed(100, 100), 10000 / 65534);
    EXPECT_EQ(
        MakeStepSeed(1000000, 1000000),
        static_cast<std::uint16_t>(
            static_cast<std::int32_t>(static_cast<std::uint32_t>(1000000) * 1000000u) / 65534));
    // A negative wrapped product truncates toward zero.
    const auto product = static_cast<std::int32_t>(0x9000'0000u);
    EXPECT_EQ(MakeStepSeed(0x9000'0000ll, 1), static_cast<std::uint16_t>(product / 65534));
}

// The clock thread: the step is one unit of work, so suspending waits for a step under way.
TEST(ClockStepThreadTest, SuspendReturnsOnlyBetweenSteps) {
    std::atomic<bool> inStep{false};
    std::atomic<int> started{0};
    std::atomic<bool> overlapped{false};
    ClockStepThread thread(
        [&] {
            inStep = true;
            ++started;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            inStep = false;
        },
        1);
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(thread.WaitUntilParked(5000));
    EXPECT_EQ(started.load(), 0) << "created suspended";
    thread.ResumeClock();
    thread.ResumeClock();  // a second resume changes nothing
    for (int k = 0; k < 5; ++k) {
        while (!inStep) std::this_thread::yield();
        thread.SuspendClock();
        if (inStep) overlapped = true;
        const int parked = started.load();
        ASSERT_TRUE(thread.WaitUntilParked(5000));
        EXPECT_EQ(started.load(), parked) << "no step while suspended";
        thread.ResumeClock();
    }
    EXPECT_FALSE(overlapped.load());
    thread.Stop();
    EXPECT_FALSE(thread.IsStarted());
}

TEST(ClockStepThreadTest, StopEndsAThreadThatNeverRan) {
    std::atomic<int> steps{0};
    ClockStepThread thread([&] { ++steps; }, 200);
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Start());
    thread.Stop();
    EXPECT_FALSE(thread.IsStarted());
    EXPECT_EQ(steps.load(), 0);
}

}  // namespace
}  // namespace zv::sim::steptest
