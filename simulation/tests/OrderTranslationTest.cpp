#include <gtest/gtest.h>

#include <functional>

#include "rules/context/ShadowGameContext.h"
#include "rules/records/ForceRecord.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/Visibility.h"
#include "rules/troops/Supply.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "simulation/OrderTranslation.h"
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

Bytes Outgoing(Simulation& sim) {
    const auto out = sim.OutgoingCommands();
    return Bytes(out.begin(), out.end());
}

using testing::LiveHash;
using testing::ShadowHash;

void PrepareShadow(Simulation& sim) {
    rules::ShadowGameContext shadow(sim.Tables(), sim.ContextEnv());
    shadow.RebuildTroopOccupancy();
    rules::RecomputeVisibility(shadow);
}

// The troop has a running order in both copies.
void GiveOrder(World& w) {
    rules::GameContext live(w.tables);
    rules::SetTroopOrder(live, w.troopA, rules::MakeHexPosition(8, 3), 0xFFFF, 1, 0x0010, 0, 3,
                         rules::MakeHexPosition(3, 4), 4, 9);
    rules::SnapshotGameBlocks(w.tables);
}

// Packs 1 for both members, row settings, formation 1 with its settings, TroopMode 2.
std::vector<std::uint8_t> SettingsBlock() {
    std::vector<std::uint8_t> block(MemberSettingsBlock::kSize, 0);
    for (int slot = 0; slot < 6; ++slot) {
        std::uint8_t* e = block.data() + MemberSettingsBlock::kSlotEntrySize * slot;
        e[0] = 1;
        e[1] = static_cast<std::uint8_t>(10 + slot);
        e[2] = static_cast<std::uint8_t>(20 + slot);
        e[3] = static_cast<std::uint8_t>(30 + slot);
        e[4] = static_cast<std::uint8_t>(40 + slot);
    }
    for (int i = 0; i < 5; ++i) block[MemberSettingsBlock::kFormationSettings + i] = 60 + i;
    block[MemberSettingsBlock::kFormation] = 1;
    block[MemberSettingsBlock::kTroopMode] = 2;
    return block;
}

struct OrderCase {
    const char* name;
    std::function<void(World&, RecordSink&)> build;
    std::uint16_t command;  // opcode of the command it becomes
};

// For every order: one command with the order's bytes under the command's opcode, a changed
// shadow, and the same change in the live tables once the command has been executed.
TEST(OrderTranslationTest, EachOrderChangesTheShadowAndWritesACommandWithItsValues) {
    const OrderCase cases[] = {
        {"15 target",
         [](World& w, RecordSink& s) {
             BuildOrder<TargetOrder>(s, {w.troopA, rules::MakeHexPosition(6, 3), 5});
         },
         kOpTarget},
        {"26 clear",
         [](World& w, RecordSink& s) {
             GiveOrder(w);
             BuildOrder<ClearOrdersOrder>(s, {w.troopA});
         },
         kOpClearOrders},
        {"27 order with a home hex",
         [](World& w, RecordSink& s) {
             BuildOrder<TroopOrderOrder>(
                 s, {{w.troopA, rules::MakeHexPosition(7, 3), 0xFFFF, 1, 0x0010, 0, 0x12,
                      rules::MakeHexPosition(3, 4), 2, 7}});
         },
         kCmdTroopOrder},
        {"27 order without a home hex after a clear",
         [](World& w, RecordSink& s) {
             GiveOrder(w);
             rules::GameContext live(w.tables);
             rules::ClearTroopOrders(live, w.troopA);
             rules::SnapshotGameBlocks(w.tables);
             BuildOrder<TroopOrderOrder>(s, {{w.troopA, rules::MakeHexPosition(3, 6), 0xFFFF, 1, 0,
                                              0, 0xFF, 0xFFFF, 0, 0xFF}});
         },
         kCmdTroopOrder},
        {"27 cancel",
         [](World& w, RecordSink& s) {
             GiveOrder(w);
             BuildOrder<TroopOrderOrder>(s,
                                         {{w.troopA, 0xFFFF, 0xFFFF, 0, 0, 0, 0, 0xFFFF, 0, 0xFF}});
         },
         kCmdTroopOrder},
        {"35 settings and supply",
         [](World& w, RecordSink& s) {
             w.Troop(w.troopA).Member(0).SetFuel(1);
             rules::SnapshotGameBlocks(w.tables);
             BuildOrder<MemberSettingsOrder>(s, {w.troopA, 1, SettingsBlock().data()});
         },
         kCmdMemberSettings},
        {"37 formation",
         [](World& w, RecordSink& s) {
             BuildOrder<FormationOrder>(s, {w.troopA, 2});
         },
         kCmdFormation},
        {"39 withdraw",
         [](World& w, RecordSink& s) {
             // The troop is requested first, so that the withdrawal changes something.
             auto* force = reinterpret_cast<rules::ForceRecord*>(
                 w.tables.GetTableBase(TableId::Force) + 2 * rules::kForceRecordSize);
             force->Troop(w.forceTroop).SetFlags(rules::kTroopReinforcement);
             force->Troop(w.forceTroop).SetHex(0x0403);
             rules::SnapshotGameBlocks(w.tables);
             BuildOrder<WithdrawOrder>(s, {w.forceTroop, 1});
         },
         kCmdWithdraw},
        {"42 proposal",
         [](World&, RecordSink& s) {
             BuildOrder<AllianceProposalOrder>(s, {1, 0, 0});
         },
         kCmdAllianceProposal},
        {"44 accepted", [](World&, RecordSink& s) { BuildAllianceAnswerOrder(s, 0, 1, 0, 1); },
         kCmdAllianceChange},
        {"46 place",
         [](World& w, RecordSink& s) {
             BuildOrder<PlaceOrder>(s, {w.forceTroop, 0x0504, 1});
         },
         kOpPlace},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.name);
        World w(Role::Single, 3);
        RecordSink sink;
        c.build(w, sink);
        const Bytes order = sink.records.at(0);
        // As the clock step does before it translates; the live tables get the same before the
        // journal runs.
        PrepareShadow(*w.sim);
        const std::uint64_t before = ShadowHash(w.tables);

        EXPECT_EQ(TranslateOrders(*w.sim, Journal({order})), 1);
        Bytes expected = order;
        expected[0] = static_cast<std::uint8_t>(c.command);
        EXPECT_EQ(Outgoing(*w.sim), expected);
        if (c.command != kCmdAllianceProposal) {
            EXPECT_NE(ShadowHash(w.tables), before);
        }

        w.sim->FlushCommandJournal();
        EXPECT_EQ(LiveHash(w.tables), ShadowHash(w.tables));
        EXPECT_TRUE(w.log.empty());
    }
}

TEST(OrderTranslationTest, AnOrderTheShadowCannotTakeStillBecomesItsCommand) {
    World w;
    for (std::uint16_t troop : {std::uint16_t{255}, std::uint16_t{0xFFFF}, std::uint16_t{39}}) {
        SCOPED_TRACE(troop);
        w.sim->ResetCommandJournal();
        const std::uint64_t before = ShadowHash(w.tables);
        const Bytes order = Record([&](RecordSink& s) {
            BuildOrder<TroopOrderOrder>(
                s, {{troop, rules::MakeHexPosition(5, 5), 0xFFFF, 1, 0, 0, 0, 0xFFFF, 0, 0xFF}});
        });
        TranslateOrders(*w.sim, Journal({order}));
        EXPECT_EQ(ShadowHash(w.tables), before);
        Bytes expected = order;
        expected[0] = kCmdTroopOrder;
        EXPECT_EQ(Outgoing(*w.sim), expected);
    }
}

TEST(OrderTranslationTest, SettingsWithSupplyUseTheSiteUnderTheTroopOrNone) {
    // The same settings through the order and by hand, with the site the troop stands on.
    struct Case {
        const char* name;
        bool onSite;
    };
    for (const Case& c : {Case{"on its capital", true}, Case{"in the open", false}}) {
        SCOPED_TRACE(c.name);
        World translated;
        World byHand;
        std::uint16_t site = rules::kNoSiteIndex;
        for (World* w : {&translated, &byHand}) {
            if (c.onSite) {
                site = rules::SiteCursor(w->tables).AddSite(0, 0, rules::MakeHexPosition(3, 3));
            }
            // Capitals sell units to every class, so the site buys back the lost machines.
            std::uint8_t* capitalClass =
                w->tables.GetTableBase(TableId::LandKind) + rules::LandKindRecord::kSize * (15 + 0);
            rules::WriteU16(capitalClass, rules::LandKindRecord::kSupplyFlag, 0x3FFF);
            w->Troop(w->troopA).Member(0).SetFuel(1);
            w->Troop(w->troopA).Member(1).SetStrength(2);
            w->Troop(w->troopA).Member(1).SetDurability(2);
            rules::GameContext(w->tables).RebuildHexOccupancy();
            rules::SnapshotGameBlocks(w->tables);
            PrepareShadow(*w->sim);
        }
        auto block = SettingsBlock();
        block[MemberSettingsBlock::kFormation] = 0;  // the formation the members stand in
        TranslateOrders(*translated.sim, Journal({Record([&](RecordSink& s) {
            BuildOrder<MemberSettingsOrder>(s, {translated.troopA, 1, block.data()});
        })}));
        rules::ShadowGameContext shadow(byHand.tables, byHand.sim->ContextEnv());
        rules::ApplyMemberSettings(shadow, byHand.troopA, block.data());
        ASSERT_TRUE(shadow.Troops().Select(byHand.troopA));
        rules::ClampSuppliesToPack(shadow.Troops(), 0);
        rules::ExecSupply(shadow, byHand.troopA, 0xFFFF, site);
        EXPECT_EQ(ShadowHash(translated.tables), ShadowHash(byHand.tables));
        const auto& member = translated.Troop(translated.troopA, TableId::ShadowTroop).Member(1);
        EXPECT_EQ(member.Strength() > 2, c.onSite);
    }
}

TEST(OrderTranslationTest, AnEmptyStepWritesNothing) {
    World w;
    EXPECT_EQ(TranslateOrders(*w.sim, Journal({})), 1);
    EXPECT_EQ(TranslateOrders(*w.sim, Bytes{0, 0, 0, 0}), 1);
    EXPECT_EQ(TranslateOrders(*w.sim, Bytes{}), 1);
    EXPECT_TRUE(w.sim->OutgoingCommands().empty());
}

TEST(OrderTranslationTest, ADeclinedAnswerIsWrittenButChangesNoAlliance) {
    World w;
    const std::uint64_t before = ShadowHash(w.tables);
    const Bytes order = Record([](RecordSink& s) { BuildAllianceAnswerOrder(s, 2, 0, 0, 0); });
    TranslateOrders(*w.sim, Journal({order}));
    EXPECT_EQ(ShadowHash(w.tables), before);
    Bytes expected = order;
    expected[0] = kCmdAllianceChange;
    EXPECT_EQ(Outgoing(*w.sim), expected);

    // Accepted: both masks of the shadow change, the live ones wait for the command.
    TranslateOrders(
        *w.sim, Journal({Record([](RecordSink& s) { BuildAllianceAnswerOrder(s, 2, 0, 0, 1); })}));
    EXPECT_EQ(w.Country(0, TableId::ShadowCountry)[CountryRecord::kAllianceMask], 0x05);
    EXPECT_EQ(w.Country(2, TableId::ShadowCountry)[CountryRecord::kAllianceMask], 0x05);
    EXPECT_EQ(w.Country(0)[CountryRecord::kAllianceMask], 0x01);
}

TEST(OrderTranslationTest, PartsAreTranslatedInBufferOrderSkippingStrayWords) {
    World w;
    const Bytes first = Record([](RecordSink& s) {
        BuildOrder<AllianceProposalOrder>(s, {0, 1, 0});
    });
    const Bytes second = Record([](RecordSink& s) {
        BuildOrder<AllianceProposalOrder>(s, {2, 3, 1});
    });
    // A stray word between the parts whose next bytes would be another order if misread.
    TranslateOrders(*w.sim, Journal({first, Bytes{22, 0}, second, Bytes{0xFF, 0xFF}}));
    Bytes expected = Record([](RecordSink& s) {
        WriteCommand(s, AllianceProposalCommand{0, 1, 0});
    });
    const Bytes then = Record([](RecordSink& s) {
        WriteCommand(s, AllianceProposalCommand{2, 3, 1});
    });
    expected.insert(expected.end(), then.begin(), then.end());
    EXPECT_EQ(Outgoing(*w.sim), expected);
}

TEST(OrderTranslationTest, OrdersNamingNothingOrCutShortAreDroppedWithALogLine) {
    World w;
    const std::uint64_t before = ShadowHash(w.tables);
    const Bytes bad[] = {
        Record([&](RecordSink& s) {
            BuildOrder<FormationOrder>(s, {w.troopA, 4});
        }),
        Record([&](RecordSink& s) {
            BuildOrder<FormationOrder>(s, {w.troopA, 0x00FF});
        }),
        Record([&](RecordSink& s) {
            BuildOrder<WithdrawOrder>(s, {w.forceTroop, 4});
        }),
        Record([&](RecordSink& s) {
            BuildOrder<PlaceOrder>(s, {w.forceTroop, 0x0101, 0xFE});
        }),
        Record([](RecordSink& s) {
            BuildOrder<AllianceProposalOrder>(s, {7, 1, 0});
        }),
        Record([](RecordSink& s) {
            BuildOrder<AllianceProposalOrder>(s, {1, 9, 0});
        }),
        Record([](RecordSink& s) { BuildAllianceAnswerOrder(s, 0, 0xFF, 0, 1); }),
        Record([](RecordSink& s) { BuildAllianceAnswerOrder(s, 200, 1, 0, 1); }),
    };
    for (const Bytes& order : bad) TranslateOrders(*w.sim, Journal({order}));
    EXPECT_EQ(w.log.size(), std::size(bad));

    // An order whose fields run past the length, and a length beyond the buffer.
    Bytes cut = Journal({Record([](RecordSink& s) { BuildAllianceAnswerOrder(s, 0, 1, 0, 1); })});
    rules::WriteU32(cut.data(), 0, 10);
    TranslateOrders(*w.sim, cut);
    rules::WriteU32(cut.data(), 0, 15);
    TranslateOrders(*w.sim, cut);
    EXPECT_EQ(w.log.size(), std::size(bad) + 2);

    EXPECT_TRUE(w.sim->OutgoingCommands().empty());
    EXPECT_EQ(ShadowHash(w.tables), before);
}


// Where no game runs an order applies at once, and the live tables end as a game's step and its
// journal leave them; a refused order or a record of the wrong size changes nothing.
TEST(OrderTranslationTest, AnOrderAppliedAtOnceChangesTheLiveTablesAsAGameDoes) {
    const OrderCase cases[] = {
        {"26 clear",
         [](World& w, RecordSink& s) {
             GiveOrder(w);
             BuildOrder<ClearOrdersOrder>(s, {w.troopA});
         },
         kOpClearOrders},
        {"35 settings and supply",
         [](World& w, RecordSink& s) {
             w.Troop(w.troopA).Member(0).SetFuel(1);
             rules::SnapshotGameBlocks(w.tables);
             BuildOrder<MemberSettingsOrder>(s, {w.troopA, 1, SettingsBlock().data()});
         },
         kCmdMemberSettings},
        {"37 formation", [](World& w, RecordSink& s) { BuildOrder<FormationOrder>(s, {w.troopA, 2}); },
         kCmdFormation},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.name);
        World inGame;
        RecordSink gameSink;
        c.build(inGame, gameSink);
        PrepareShadow(*inGame.sim);
        TranslateOrders(*inGame.sim, Journal({gameSink.records.at(0)}));
        inGame.sim->FlushCommandJournal();

        World noGame;
        RecordSink sink;
        c.build(noGame, sink);
        rules::GameContext ctx(noGame.tables, noGame.sim->ContextEnv());
        // As a game's journal run does to the live tables before it executes the commands.
        ctx.RebuildTroopOccupancy();
        rules::RecomputeVisibility(ctx);
        const std::uint64_t before = LiveHash(noGame.tables);
        ImmediateOrders orders(ctx);
        const Bytes& order = sink.records.at(0);
        EXPECT_EQ(orders.AppendOrder(order.data(), std::uint32_t(order.size() - 1)), 0);
        EXPECT_EQ(LiveHash(noGame.tables), before);
        EXPECT_EQ(orders.AppendOrder(order.data(), std::uint32_t(order.size())), 1);
        EXPECT_NE(LiveHash(noGame.tables), before);
        EXPECT_EQ(LiveHash(noGame.tables), LiveHash(inGame.tables));
    }

    World w;
    rules::GameContext ctx(w.tables, w.sim->ContextEnv());
    ImmediateOrders orders(ctx);
    const std::uint64_t before = LiveHash(w.tables);
    auto refused = SettingsBlock();
    refused[MemberSettingsBlock::kFormation] = 4;
    EXPECT_EQ(BuildOrder<MemberSettingsOrder>(orders, {w.troopA, 0, refused.data()}), 0);
    EXPECT_EQ(BuildOrder<FormationOrder>(orders, {w.troopA, 4}), 0);
    EXPECT_EQ(LiveHash(w.tables), before);
}

}  // namespace
}  // namespace zv::sim
