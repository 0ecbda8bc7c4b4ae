#include <gtest/gtest.h>

#include <functional>

#include "rules/combat/Attack.h"
#include "rules/context/RuleHelpers.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/countries/CountryStatistics.h"
#include "rules/countries/Income.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/ForceRecord.h"
#include "rules/search/Visibility.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/Movement.h"
#include "rules/troops/Supply.h"
#include "rules/troops/TroopOrders.h"
#include "simulation/CommandInterpreter.h"
#include "simulation/Production.h"
#include "simulation/SiteUpkeep.h"
#include "simulation/tests/PlayTableHashes.h"
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
    Execute(Journal({Record([](RecordSink& s) { WriteCommand(s, Nothing28Command{}); }),
                     Record([](RecordSink& s) { WriteCommand(s, Nothing29Command{}); })}));
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
    Bytes journal = Journal({Bytes{17, 0, 0, 0}, Record([](RecordSink& s) {
                                 WriteCommand(s, GameEndCommand{1, 2, 0});
                             })});
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
    ExecuteOne([](RecordSink& s) { WriteCommand(s, GameEndCommand{0x05, 0x0A, 1}); });
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
        ExecuteOne([&](RecordSink& s) {
            WriteCommand(s, ClearActionCommand{w.troopA, c.counter, c.flags});
        });
        EXPECT_EQ(t.U8(rules::TroopRecord::kActionCounter), c.expectCounter);
        EXPECT_EQ(t.U16(rules::TroopRecord::kActionFlags), c.expectFlags);
    }
    const std::uint64_t before = w.tables.HashLiveTables();
    ExecuteOne([](RecordSink& s) { WriteCommand(s, ClearActionCommand{255, 1, 1}); });
    ExecuteOne([](RecordSink& s) { WriteCommand(s, ClearActionCommand{0xFFFF, 1, 1}); });
    EXPECT_EQ(w.tables.HashLiveTables(), before);
}

TEST_F(CommandInterpreterTest, SeedCommandReseedsTheGameStream) {
    w.sim->Random().NextRandom1();
    ExecuteOne([](RecordSink& s) { WriteCommand(s, SeedCommand{0x1234}); });
    fw::RandomStreams expected;
    rules::SeedGameRandom(expected, 0x1234);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(w.sim->Random().NextRandom1(), expected.NextRandom1());
}

TEST_F(CommandInterpreterTest, FormationChangeShowsOnlyTheLocalPlayersTroop) {
    ExecuteOne([&](RecordSink& s) { WriteCommand(s, FormationCommand{w.troopA, 2}); });
    EXPECT_EQ(w.Troop(w.troopA).CurrentFormation(), 2);
    ExecuteOne([&](RecordSink& s) {
        WriteCommand(s, FormationCommand{w.troopB, 0x0103});
    });  // low byte read
    EXPECT_EQ(w.Troop(w.troopB).CurrentFormation(), 3);
    EXPECT_EQ(w.events.events, Strings{"PanelShowTroop(" + std::to_string(w.troopA) + ")"});

    ExecuteOne([&](RecordSink& s) { WriteCommand(s, FormationCommand{w.troopA, 4}); });
    EXPECT_EQ(w.Troop(w.troopA).CurrentFormation(), 2);
    EXPECT_EQ(w.log.size(), 1u);
}

TEST_F(CommandInterpreterTest, ReinforcementRequestsArePlacedAndWithdrawn) {
    const std::uint16_t t = w.forceTroop;
    ExecuteOne([&](RecordSink& s) { WriteCommand(s, PlaceCommand{t, 0x0605, 1}); });
    EXPECT_NE(ForceTroop(1, t).Flags() & rules::kTroopReinforcement, 0);
    EXPECT_EQ(ForceTroop(1, t).Hex(), 0x0605);

    ExecuteOne([&](RecordSink& s) { WriteCommand(s, WithdrawCommand{t, 1}); });
    EXPECT_EQ(ForceTroop(1, t).Flags() & rules::kTroopReinforcement, 0);
    EXPECT_EQ(ForceTroop(1, t).Hex(), 0xFFFF);
    EXPECT_EQ(w.events.events, Strings{"RefreshTroopList"});

    // A country outside 0-3 would name the organisation screens' working corps.
    const std::uint64_t before = w.tables.HashLiveTables();
    ExecuteOne([&](RecordSink& s) { WriteCommand(s, PlaceCommand{t, 0x0605, 4}); });
    ExecuteOne([&](RecordSink& s) { WriteCommand(s, WithdrawCommand{t, 0xFE}); });
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
        ExecuteCommandList(*world.sim, Journal({Record([&](RecordSink& s) {
            WriteCommand(s, NoticeCommand{c.kind, c.writer});
        })}));
        EXPECT_EQ(world.events.events, c.expected);
    }
}

// What the interpreter itself tells the windows about a country's fall, in order; the removal
// of the troops reports on its own.
Strings FallMessages(const Strings& events) {
    Strings out;
    for (const std::string& e : events) {
        if (e.rfind("DelayedDefeatDialog", 0) == 0 || e == "RefreshCampInfo" || e == "NewsShow") {
            out.push_back(e);
        }
    }
    return out;
}

TEST_F(CommandInterpreterTest, CountryFallRetiresTheCountryAndTellsTheWindows) {
    const std::uint8_t* capital =
        w.tables.GetTableBase(TableId::Site) + rules::SiteRecord::kSize * w.capitalB;
    ExecuteOne([](RecordSink& s) { WriteCommand(s, CountryFallCommand{0, 0}); });
    EXPECT_EQ(FallMessages(w.events.events),
              (Strings{"DelayedDefeatDialog(0)", "RefreshCampInfo", "NewsShow"}));
    EXPECT_EQ(State(0), 3);
    EXPECT_FALSE(w.Troop(w.troopA).IsUsed());
    EXPECT_TRUE(w.Troop(w.troopB).IsUsed());
    EXPECT_EQ(capital[rules::SiteRecord::kOwner], 1);

    w.events.events.clear();
    ExecuteOne([](RecordSink& s) { WriteCommand(s, CountryFallCommand{1, 0}); });
    EXPECT_EQ(FallMessages(w.events.events),
              (Strings{"DelayedDefeatDialog(1)", "RefreshCampInfo"}));
    EXPECT_EQ(State(1), 3);
    EXPECT_FALSE(w.Troop(w.troopB).IsUsed());
    EXPECT_EQ(capital[rules::SiteRecord::kOwner], 4);  // neutral
    EXPECT_EQ(capital[rules::SiteRecord::kKind], 1);   // and a large city
}

TEST_F(CommandInterpreterTest, CountryLeavingWithItsStateKeptSendsNoMessages) {
    const std::uint8_t state = State(1);
    ExecuteOne([](RecordSink& s) { WriteCommand(s, CountryFallCommand{1, 1}); });
    EXPECT_EQ(State(1), state);
    EXPECT_TRUE(FallMessages(w.events.events).empty());
    EXPECT_FALSE(w.Troop(w.troopB).IsUsed());
    EXPECT_TRUE(w.Troop(w.troopA).IsUsed());
    EXPECT_EQ(w.tables.GetTableBase(
                  TableId::Site)[rules::SiteRecord::kSize * w.capitalB + rules::SiteRecord::kOwner],
              4);

    w.events.events.clear();
    const std::uint64_t before = w.tables.HashLiveTables();
    ExecuteOne([](RecordSink& s) { WriteCommand(s, CountryFallCommand{6, 0}); });
    ExecuteOne([](RecordSink& s) { WriteCommand(s, CountryFallCommand{0xFE, 1}); });
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
            WriteCommand(s, AllianceProposalCommand{proposer, addressee, kind});
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
            Journal({Record([&](RecordSink& s) {
                         WriteCommand(s, AllianceChangeCommand{2, 0, c.kind, c.accepted});
                     }),
                     Bytes{17, 0, 0, 0}}));
        EXPECT_EQ(world.Country(0)[CountryRecord::kAllianceMask], c.mask0);
        EXPECT_EQ(world.Country(2)[CountryRecord::kAllianceMask], c.mask2);
        EXPECT_EQ(world.events.events,
                  (Strings{"AllianceAnswerNotice(" + std::to_string(c.notice) + ")",
                           "RefreshCampInfo", "MapRedraw", "GraspRebuild"}));
    }

    // The answering player's program shows no notice.
    World answerer(Role::Single, 2);
    ExecuteCommandList(*answerer.sim, Journal({Record([](RecordSink& s) {
        WriteCommand(s, AllianceChangeCommand{2, 0, 0, 1});
    })}));
    EXPECT_EQ(answerer.events.events, Strings{"RefreshCampInfo"});
}

TEST_F(CommandInterpreterTest, AllianceChangeNamingNoCountryIsDroppedWithoutShifting) {
    const std::uint64_t before = w.tables.HashLiveTables();
    ExecuteOne([](RecordSink& s) {
        WriteCommand(s, AllianceChangeCommand{0, 0xFF, 0, 1});
    });  // nobody: silent
    EXPECT_TRUE(w.log.empty());
    for (std::uint16_t bad : {4, 8, 31, 200, 0xFE, 0x100}) {
        ExecuteOne([&](RecordSink& s) { WriteCommand(s, AllianceChangeCommand{bad, 0, 0, 1}); });
        ExecuteOne([&](RecordSink& s) { WriteCommand(s, AllianceChangeCommand{0, bad, 0, 1}); });
    }
    EXPECT_EQ(w.tables.HashLiveTables(), before);
    EXPECT_TRUE(w.events.events.empty());
    EXPECT_EQ(w.log.size(), 12u);

    // The shared alliance change refuses such numbers itself: 1 << 5 would fit the mask.
    rules::CountryCursor countries(w.tables);
    for (std::uint8_t bad : {4, 5, 7, 31, 200, 0xFE}) {
        for (std::uint16_t kind : {kAllianceConclude, kAllianceBreak}) {
            ChangeAlliance(countries, 0, bad, kind);
            ChangeAlliance(countries, bad, 1, kind);
        }
    }
    EXPECT_EQ(w.tables.HashLiveTables(), before);
    ChangeAlliance(countries, 0, 1, kAllianceConclude);
    EXPECT_EQ(w.Country(0)[CountryRecord::kAllianceMask] & 0x02, 0x02);
    EXPECT_EQ(w.Country(1)[CountryRecord::kAllianceMask] & 0x01, 0x01);
}

}  // namespace
}  // namespace zv::sim

namespace zv::sim {
namespace {

using rules::MakeHexPosition;
using rules::TableId;
using testing::Bytes;
using testing::Journal;
using testing::Record;
using testing::RecordSink;
using testing::World;

using testing::LiveHash;
using testing::ShadowHash;

struct RuleCase {
    const char* name;
    // The rule operation as the simulation applies it to the shadow tables...
    std::function<void(World&, rules::GameContext&, fw::RandomStreams&)> apply;
    // ...and the command it writes for everyone's live tables, with the same values.
    std::function<void(World&, RecordSink&)> write;
};

// Every command that calls a rule operation must hand it its fields in the operation's order:
// the same operation on the shadow with the same values then leaves the shadow equal to the
// live tables.
TEST(CommandInterpreterRulesTest, EachRuleCommandDoesToTheLiveTablesWhatItsOperationDoes) {
    const std::uint16_t far = MakeHexPosition(7, 3);
    const std::uint16_t home = MakeHexPosition(3, 5);
    const RuleCase cases[] = {
        {"1 move",
         [](World& w, rules::GameContext& c, fw::RandomStreams&) {
             rules::ExecMove(c, w.troopA, MakeHexPosition(4, 3), 3, 2);
         },
         [](World& w, RecordSink& s) {
             WriteCommand(s, MoveCommand{w.troopA, MakeHexPosition(4, 3), 3, 2});
         }},
        {"2 attack",
         [](World& w, rules::GameContext& c, fw::RandomStreams& r) {
             rules::ExecAttack(c, w.troopA, w.troopC, r);
         },
         [](World& w, RecordSink& s) {
             WriteCommand(s, AttackCommand{w.troopA, w.troopC});
         }},
        {"5 supply",
         [](World& w, rules::GameContext& c, fw::RandomStreams&) {
             rules::ExecSupply(c, w.troopA, 0xFFFF, 0xFFFF);
         },
         [](World& w, RecordSink& s) {
             WriteCommand(s, SupplyCommand{w.troopA, 0xFFFF, 0xFFFF});
         }},
        {"12 disband",
         [](World& w, rules::GameContext& c, fw::RandomStreams&) {
             rules::ExecDisband(c, w.troopB);
         },
         [](World& w, RecordSink& s) { WriteCommand(s, DisbandCommand{w.troopB}); }},
        {"15 waypoint",
         [](World& w, rules::GameContext& c, fw::RandomStreams&) {
             rules::SetTroopTarget(c, w.troopA, MakeHexPosition(5, 2), 2);
         },
         [](World& w, RecordSink& s) {
             WriteCommand(s, TargetCommand{w.troopA, MakeHexPosition(5, 2), 2});
         }},
        {"16 clock of a new day",
         [](World&, rules::GameContext& c, fw::RandomStreams&) {
             rules::SetClock(c, 2, 0, 0, 1);
             rules::AddSiteIncome(c);
         },
         [](World&, RecordSink& s) {
             WriteCommand(s, ClockCommand{2, 0, 0, 1, 1});
         }},
        {"20 production",
         [](World& w, rules::GameContext& c, fw::RandomStreams&) {
             ExecuteProduction(c, w.forceTroop, MakeHexPosition(10, 9), 1);
         },
         [](World& w, RecordSink& s) {
             WriteCommand(s, ProductionCommand{w.forceTroop, MakeHexPosition(10, 9), 1});
         }},
        {"22 order",
         [=](World& w, rules::GameContext& c, fw::RandomStreams&) {
             rules::SetTroopOrder(c, w.troopA, far, 0xFFFF, 1, 0x0010, 0x0003, 0x44, home, 5, 9);
         },
         [=](World& w, RecordSink& s) {
             WriteCommand(s, TroopOrderCommand{
                                 {w.troopA, far, 0xFFFF, 1, 0x0010, 0x0003, 0x44, home, 5, 9}});
         }},
        {"25 fuel",
         [](World& w, rules::GameContext& c, fw::RandomStreams&) {
             rules::BurnTroopFuel(c, w.troopA, 0, 7);
         },
         [](World& w, RecordSink& s) {
             WriteCommand(s, BurnFuelCommand{w.troopA, 0, 7});
         }},
        {"26 clear",
         [](World& w, rules::GameContext& c, fw::RandomStreams&) {
             rules::ClearTroopOrders(c, w.troopA);
         },
         [](World& w, RecordSink& s) { WriteCommand(s, ClearOrdersCommand{w.troopA}); }},
        {"31 status",
         [](World& w, rules::GameContext& c, fw::RandomStreams&) {
             rules::UpdateTroopStatusFromFlags(c, w.troopA, 1);
         },
         [](World& w, RecordSink& s) {
             WriteCommand(s, StatusCommand{w.troopA, 1});
         }},
        {"33 seed and site round",
         [](World&, rules::GameContext& c, fw::RandomStreams& r) {
             rules::SeedGameRandom(r, 0x4321);
             RunSiteRound(c);
         },
         [](World&, RecordSink& s) { WriteCommand(s, SeedCommand{0x4321}); }},
        {"36 settings",
         [](World& w, rules::GameContext& c, fw::RandomStreams&) {
             std::uint8_t block[MemberSettingsBlock::kSize] = {2, 1, 2, 3, 4, 1, 5, 6, 7, 8};
             block[MemberSettingsBlock::kFormation] = 0;
             block[MemberSettingsBlock::kTroopMode] = 3;
             ApplyMemberSettingsAndSupply(c, w.troopA, 1, block);
         },
         [](World& w, RecordSink& s) {
             std::uint8_t block[MemberSettingsBlock::kSize] = {2, 1, 2, 3, 4, 1, 5, 6, 7, 8};
             block[MemberSettingsBlock::kFormation] = 0;
             block[MemberSettingsBlock::kTroopMode] = 3;
             WriteCommand(s, MemberSettingsCommand{w.troopA, 1, block});
         }},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        // A running order, lowered fuel, and the clock step's preparation on the shadow, as the
        // live tables get it before a journal.
        {
            rules::GameContext live(w.tables);
            rules::SetTroopOrder(live, w.troopA, far, 0xFFFF, 1, 0x0040, 0, 0, 0xFFFF, 0, 0xFF);
            w.Troop(w.troopA).Member(0).SetFuel(3);
            // A damaged capital for the site round, and a requested corps troop.
            rules::SiteCursor sites(w.tables);
            sites.Select(w.capitalB);
            sites.SetCaptureDurability(20);
            rules::ForceCursor(w.tables).PlaceTroopAt(w.forceTroop, MakeHexPosition(10, 9), 1);
            rules::CountryCursor countries(w.tables);
            countries.Select(1);
            countries.SetState(1);
            countries.SetValue42(5);  // the production limit
            rules::SnapshotGameBlocks(w.tables);
            rules::ShadowGameContext shadow(w.tables, w.sim->ContextEnv());
            shadow.RebuildTroopOccupancy();
            rules::RecomputeVisibility(shadow);
        }
        const std::uint64_t before = ShadowHash(w.tables);
        fw::RandomStreams shadowRandom;
        rules::SeedGameRandom(shadowRandom, 77);
        rules::SeedGameRandom(w.sim->Random(), 77);
        {
            rules::ShadowGameContext shadow(w.tables, w.sim->ContextEnv());
            c.apply(w, shadow, shadowRandom);
        }
        EXPECT_NE(ShadowHash(w.tables), before);

        RecordSink sink;
        c.write(w, sink);
        const Bytes journal = Journal({sink.records.at(0)});
        w.sim->ExecuteReceivedCommands(journal.data() + 4,
                                       static_cast<std::uint32_t>(journal.size() - 4));
        EXPECT_EQ(LiveHash(w.tables), ShadowHash(w.tables));
        EXPECT_TRUE(w.log.empty());
    }
}

TEST(CommandInterpreterRulesTest, TroopOrderFieldsLandWhereTheRecordLayoutPutsThem) {
    World w;
    const std::uint16_t home = MakeHexPosition(2, 6);
    ExecuteCommandList(*w.sim, Journal({Record([&](RecordSink& s) {
        WriteCommand(s, TroopOrderCommand{{w.troopA, MakeHexPosition(9, 3), 0xFFFF, 2, 0x0004,
                                           0x0102, 0x33, home, 6, 0x27}});
    })}));
    const rules::TroopRecord& t = w.Troop(w.troopA);
    EXPECT_EQ(t.U8(rules::TroopRecord::kOrderParameter), 0x33);
    EXPECT_EQ(t.U16(rules::TroopRecord::kOrderHex), home);
    EXPECT_EQ(t.U8(rules::TroopRecord::kHomeAction), 6);
    EXPECT_EQ(t.U8(rules::TroopRecord::kRelatedTroop), 0x27);
    EXPECT_EQ(t.U16(rules::TroopRecord::kWeaponSelection), 0x0102);
    EXPECT_EQ(t.U8(rules::TroopRecord::kOrderKind), 2);
}

TEST(CommandInterpreterRulesTest, RecordsAfterAnAllianceChangeAreReadWhereTheyStart) {
    World w;
    {
        rules::GameContext live(w.tables);
        rules::SetTroopOrder(live, w.troopA, MakeHexPosition(7, 3), 0xFFFF, 1, 0, 0, 0, 0xFFFF, 0,
                             0xFF);
    }
    ASSERT_NE(w.Troop(w.troopA).Destination(), 0xFFFF);
    ExecuteCommandList(
        *w.sim,
        Journal({Record([](RecordSink& s) {
                     WriteCommand(s, AllianceChangeCommand{2, 1, 0, 1});
                 }),
                 Record([&](RecordSink& s) { WriteCommand(s, ClearOrdersCommand{w.troopA}); })}));
    EXPECT_EQ(w.Troop(w.troopA).Destination(), 0xFFFF);
    EXPECT_EQ(w.Country(1)[rules::CountryRecord::kAllianceMask], 0x06);
}

TEST(CommandInterpreterRulesTest, ClockCommandSetsTheClockAndPaysOnlyOnANewDay) {
    for (std::uint8_t newDay : {0, 1}) {
        SCOPED_TRACE(int(newDay));
        World w;
        const std::int32_t funds = rules::ReadS32(w.Country(1), rules::CountryRecord::kFunds);
        const ClockCommand clock{3, 12, 30, 0, newDay};
        ExecuteCommandList(*w.sim,
                           Journal({Record([&](RecordSink& s) { WriteCommand(s, clock); })}));
        rules::ScenarioHeaderCursor header(w.tables);
        EXPECT_EQ(header.GetDay(), 3);
        EXPECT_EQ(header.GetHour(), 12);
        EXPECT_EQ(header.GetMinute(), 30);
        EXPECT_EQ(header.GetDaytime(), 0);
        const std::int32_t after = rules::ReadS32(w.Country(1), rules::CountryRecord::kFunds);
        EXPECT_EQ(after > funds, newDay == 1);  // country 1 owns a capital
        EXPECT_EQ(w.events.events.back(), "PanelClock");
    }
}

}  // namespace
}  // namespace zv::sim
