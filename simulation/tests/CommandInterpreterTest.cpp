#include <gtest/gtest.h>

#include "rules/CountryStatistics.h"
#include "rules/ForceRecord.h"
#include "rules/RuleHelpers.h"
#include "simulation/CommandInterpreter.h"
#include "simulation/tests/SimTestSupport.h"

namespace zv::sim {
namespace {

using rules::CountryRecord;
using rules::TableId;
using testing::Bytes;
using testing::Journal;
using testing::Record;
using testing::RecordSink;
using testing::Role;
using testing::World;

using Strings = std::vector<std::string>;

class CommandInterpreterTest : public ::testing::Test {
  protected:
    void Execute(const Bytes& journal) { ExecuteCommandList(*w.sim, journal); }
    template <typename Fn>
    void ExecuteOne(Fn write) {
        Execute(Journal({Record(write)}));
    }
    std::uint8_t Alliance(int c) { return w.Country(c)[CountryRecord::kAllianceMask]; }
    std::uint8_t State(int c) { return w.Country(c)[CountryRecord::kState]; }
    rules::TroopRecord& ForceTroop(int country, std::uint16_t t) {
        auto* force = reinterpret_cast<rules::ForceRecord*>(
            w.tables.GetTableBase(TableId::Force) + (country + 1) * rules::kForceRecordSize);
        return force->Troop(t);
    }

    World w{Role::Single, 0};
};

TEST_F(CommandInterpreterTest, EmptyJournalsAndCommandsWithoutEffectChangeNothing) {
    const std::uint64_t before = w.tables.HashLiveTables();
    Execute(Journal({}));
    Execute(Bytes{0, 0, 0, 0});
    Execute(Bytes{3, 0, 0, 0, 17, 0});
    Execute(Journal({Record([](RecordSink& s) { WriteCommand28(s); }),
                     Record([](RecordSink& s) { WriteCommand29(s); })}));
    EXPECT_EQ(w.tables.HashLiveTables(), before);
    EXPECT_TRUE(w.events.events.empty());
    EXPECT_TRUE(w.log.empty());
}

TEST_F(CommandInterpreterTest, OpcodesWithoutMeaningAreSteppedOverAsTwoBytes) {
    // Each unknown opcode is followed by bytes that would be a refresh two bytes further on.
    for (int op : {0, 10, 18, 19, 21, 23, 24, 27, 35, 37, 39, 42, 44, 47, 0xFFFF}) {
        SCOPED_TRACE(op);
        w.events.events.clear();
        Execute(Journal({Bytes{static_cast<std::uint8_t>(op), static_cast<std::uint8_t>(op >> 8)},
                         Bytes{17, 0, 0, 0}}));
        EXPECT_EQ(w.events.events, (Strings{"MapRedraw", "GraspRebuild"}));
    }
}

TEST_F(CommandInterpreterTest, ARecordCutShortByTheLengthIsNeverRead) {
    // A game-end command whose last field lies beyond the length; the bytes behind the length
    // are there and would complete it.
    Bytes journal = Journal(
        {Bytes{17, 0, 0, 0}, Record([](RecordSink& s) { WriteGameEndCommand(s, 1, 2, 0); })});
    rules::WriteU32(journal.data(), 0, static_cast<std::uint32_t>(journal.size() - 2));
    Execute(journal);
    EXPECT_EQ(w.events.events, (Strings{"MapRedraw", "GraspRebuild"}));
    EXPECT_EQ(w.log.size(), 1u);

    // A length that claims more than the buffer holds: nothing is executed.
    w.events.events.clear();
    Bytes longer = Journal({Bytes{17, 0, 0, 0}});
    rules::WriteU32(longer.data(), 0, 100);
    Execute(longer);
    EXPECT_TRUE(w.events.events.empty());
    EXPECT_EQ(w.log.size(), 2u);

    // An odd trailing byte.
    Bytes odd = Journal({Bytes{17, 0, 0, 0}, Bytes{17}});
    Execute(odd);
    EXPECT_EQ(w.events.events, (Strings{"MapRedraw", "GraspRebuild"}));
    EXPECT_EQ(w.log.size(), 3u);
}

TEST_F(CommandInterpreterTest, GameEndGoesToTheFrameWithBothMasks) {
    ExecuteOne([](RecordSink& s) { WriteGameEndCommand(s, 0x05, 0x0A, 1); });
    EXPECT_EQ(w.events.events, Strings{"DelayedGameOver(5,10,1)"});
}

TEST_F(CommandInterpreterTest, ClearActionClearsOnlyTheNamedFields) {
    struct Case {
        std::uint8_t counter, flags;
        std::uint8_t expectCounter;
        std::uint16_t expectFlags;
    };
    const Case cases[] = {{0, 0, 7, 0x0104}, {1, 0, 0, 0x0104}, {0, 9, 7, 0}, {2, 1, 0, 0}};
    for (const Case& c : cases) {
        rules::TroopRecord& t = w.Troop(w.troopA);
        t.SetU8(rules::TroopRecord::kActionCounter, 7);
        t.SetU16(rules::TroopRecord::kActionFlags, 0x0104);
        ExecuteOne([&](RecordSink& s) { WriteCommand32(s, w.troopA, c.counter, c.flags); });
        EXPECT_EQ(t.U8(rules::TroopRecord::kActionCounter), c.expectCounter);
        EXPECT_EQ(t.U16(rules::TroopRecord::kActionFlags), c.expectFlags);
    }
    const std::uint64_t before = w.tables.HashLiveTables();
    ExecuteOne([](RecordSink& s) { WriteCommand32(s, 255, 1, 1); });
    ExecuteOne([](RecordSink& s) { WriteCommand32(s, 0xFFFF, 1, 1); });
    EXPECT_EQ(w.tables.HashLiveTables(), before);
}

TEST_F(CommandInterpreterTest, SeedCommandReseedsTheGameStream) {
    w.sim->Random().NextRandom1();
    ExecuteOne([](RecordSink& s) { WriteSeedCommand(s, 0x1234); });
    fw::RandomStreams expected;
    rules::SeedGameRandom(expected, 0x1234);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(w.sim->Random().NextRandom1(), expected.NextRandom1());
}

TEST_F(CommandInterpreterTest, FormationChangeShowsOnlyTheLocalPlayersTroop) {
    ExecuteOne([&](RecordSink& s) { WriteCommand38(s, w.troopA, 2); });
    EXPECT_EQ(w.Troop(w.troopA).CurrentFormation(), 2);
    ExecuteOne([&](RecordSink& s) { WriteCommand38(s, w.troopB, 0x0103); });  // low byte read
    EXPECT_EQ(w.Troop(w.troopB).CurrentFormation(), 3);
    EXPECT_EQ(w.events.events, Strings{"PanelShowTroop(" + std::to_string(w.troopA) + ")"});

    ExecuteOne([&](RecordSink& s) { WriteCommand38(s, w.troopA, 4); });
    EXPECT_EQ(w.Troop(w.troopA).CurrentFormation(), 2);
    EXPECT_EQ(w.log.size(), 1u);
}

TEST_F(CommandInterpreterTest, ReinforcementRequestsArePlacedAndWithdrawn) {
    const std::uint16_t t = w.forceTroop;
    ExecuteOne([&](RecordSink& s) { WriteCommand46(s, t, 0x0605, 1); });
    EXPECT_NE(ForceTroop(1, t).Flags() & rules::kTroopReinforcement, 0);
    EXPECT_EQ(ForceTroop(1, t).Hex(), 0x0605);

    ExecuteOne([&](RecordSink& s) { WriteCommand40(s, t, 1); });
    EXPECT_EQ(ForceTroop(1, t).Flags() & rules::kTroopReinforcement, 0);
    EXPECT_EQ(ForceTroop(1, t).Hex(), 0xFFFF);
    EXPECT_EQ(w.events.events, Strings{"RefreshTroopList"});

    // A country outside 0-3 would name the organisation screens' working corps.
    const std::uint64_t before = w.tables.HashLiveTables();
    ExecuteOne([&](RecordSink& s) { WriteCommand46(s, t, 0x0605, 4); });
    ExecuteOne([&](RecordSink& s) { WriteCommand40(s, t, 0xFE); });
    EXPECT_EQ(w.tables.HashLiveTables(), before);
    EXPECT_EQ(w.log.size(), 2u);
}

TEST_F(CommandInterpreterTest, NoticesActOnTheProgramTheyConcern) {
    struct Case {
        const char* name;
        Role role;
        std::uint16_t kind;
        std::uint8_t writer;  // country of the program that wrote the journal
        Strings expected;
    };
    const Case cases[] = {
        {"save, single", Role::Single, 1, 2, {"SaveGameCommand"}},
        {"save, host", Role::Host, 1, 2, {"SaveGameCommand"}},
        {"save, client", Role::Client, 1, 2, {}},
        {"return, own", Role::Client, 2, 0, {"DelayedReturnToTitle"}},
        {"return, other", Role::Client, 2, 2, {}},
        {"quit, own", Role::Host, 3, 0, {"ExitGame"}},
        {"quit, other", Role::Host, 3, 1, {}},
        {"other kind", Role::Single, 4, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World world(c.role, 0);
        ExecuteCommandList(
            *world.sim,
            Journal({Record([&](RecordSink& s) { WriteNoticeCommand(s, c.kind, c.writer); })}));
        EXPECT_EQ(world.events.events, c.expected);
    }
}

TEST_F(CommandInterpreterTest, CountryFallRetiresTheCountryAndTellsTheWindows) {
    ExecuteOne([](RecordSink& s) { WriteCountryFallCommand(s, 0, 0); });
    EXPECT_EQ(w.events.events, (Strings{"DelayedDefeatDialog(0)", "RefreshCampInfo", "NewsShow"}));
    EXPECT_EQ(State(0), 3);

    w.events.events.clear();
    ExecuteOne([](RecordSink& s) { WriteCountryFallCommand(s, 1, 0); });
    EXPECT_EQ(w.events.events, (Strings{"DelayedDefeatDialog(1)", "RefreshCampInfo"}));
    EXPECT_EQ(State(1), 3);
}

TEST_F(CommandInterpreterTest, CountryLeavingWithItsStateKeptSendsNoMessages) {
    const std::uint8_t state = State(1);
    ExecuteOne([](RecordSink& s) { WriteCountryFallCommand(s, 1, 1); });
    EXPECT_EQ(State(1), state);
    EXPECT_TRUE(w.events.events.empty());

    const std::uint64_t before = w.tables.HashLiveTables();
    ExecuteOne([](RecordSink& s) { WriteCountryFallCommand(s, 6, 0); });
    ExecuteOne([](RecordSink& s) { WriteCountryFallCommand(s, 0xFE, 1); });
    EXPECT_EQ(w.tables.HashLiveTables(), before);
    EXPECT_TRUE(w.events.events.empty());
    EXPECT_EQ(w.log.size(), 2u);
}

TEST_F(CommandInterpreterTest, AllianceProposalAsksOnlyTheAddressedPlayer) {
    World host(Role::Host, 1);
    host.session.slotValues[0] = 1;
    host.session.slotValues[3] = 3;
    host.session.slotValues[5] = 3;
    host.session.names[3] = "first";
    host.session.names[5] = "last";
    auto run = [&](std::uint16_t proposer, std::uint16_t addressee, std::uint16_t kind) {
        ExecuteCommandList(*host.sim, Journal({Record([&](RecordSink& s) {
            WriteCommand43(s, proposer, addressee, kind);
        })}));
    };
    run(2, 1, 1);
    run(2, 0, 0);     // someone else's question
    run(2, 0xFF, 0);  // nobody's
    run(3, 1, 0);     // no participant plays country 3: no name
    EXPECT_EQ(host.events.events, (Strings{"AllianceProposal(2,1,1)", "AllianceProposal(3,1,0)"}));
    EXPECT_EQ(host.events.proposerNames, (Strings{"last", ""}));

    run(9, 1, 0);
    EXPECT_EQ(host.events.events.size(), 2u);
    EXPECT_EQ(host.log.size(), 1u);
}

TEST_F(CommandInterpreterTest, AllianceChangeAndItsNoticeForTheProposer) {
    struct Case {
        std::uint16_t kind, accepted;
        std::uint8_t mask0, mask2;
        int notice;
    };
    const Case cases[] = {
        {0, 1, 0x05, 0x05, 1},
        {0, 0, 0x01, 0x04, 2},
        {1, 1, 0x01, 0x04, 3},
        {1, 0, 0x05, 0x05, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " accepted " << c.accepted);
        World world(Role::Single, 0);
        world.Country(0)[CountryRecord::kAllianceMask] = c.kind == 0 ? 0x01 : 0x05;
        world.Country(2)[CountryRecord::kAllianceMask] = c.kind == 0 ? 0x04 : 0x05;
        // Country 2 answers country 0's proposal, followed by a refresh read 10 bytes later.
        ExecuteCommandList(
            *world.sim,
            Journal({Record([&](RecordSink& s) { WriteCommand45(s, 2, 0, c.kind, c.accepted); }),
                     Bytes{17, 0, 0, 0}}));
        EXPECT_EQ(world.Country(0)[CountryRecord::kAllianceMask], c.mask0);
        EXPECT_EQ(world.Country(2)[CountryRecord::kAllianceMask], c.mask2);
        EXPECT_EQ(world.events.events,
                  (Strings{"AllianceAnswerNotice(" + std::to_string(c.notice) + ")",
                           "RefreshCampInfo", "MapRedraw", "GraspRebuild"}));
    }

    // The answering player's program shows no notice.
    World answerer(Role::Single, 2);
    ExecuteCommandList(*answerer.sim,
                       Journal({Record([](RecordSink& s) { WriteCommand45(s, 2, 0, 0, 1); })}));
    EXPECT_EQ(answerer.events.events, Strings{"RefreshCampInfo"});
}

TEST_F(CommandInterpreterTest, AllianceChangeNamingNoCountryIsDroppedWithoutShifting) {
    const std::uint64_t before = w.tables.HashLiveTables();
    ExecuteOne([](RecordSink& s) { WriteCommand45(s, 0, 0xFF, 0, 1); });  // nobody: silent
    EXPECT_TRUE(w.log.empty());
    for (std::uint16_t bad : {4, 8, 31, 200, 0xFE, 0x100}) {
        ExecuteOne([&](RecordSink& s) { WriteCommand45(s, bad, 0, 0, 1); });
        ExecuteOne([&](RecordSink& s) { WriteCommand45(s, 0, bad, 0, 1); });
    }
    EXPECT_EQ(w.tables.HashLiveTables(), before);
    EXPECT_TRUE(w.events.events.empty());
    EXPECT_EQ(w.log.size(), 12u);
}

}  // namespace
}  // namespace zv::sim
