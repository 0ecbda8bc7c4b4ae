// Every command operation run through a shadow context on the shadow tables and through a live
// context on an identical copy must leave both copies with the same bytes: the simulation
// decides on the shadow what the journal later does to the live tables.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>
#include <string>

#include "rules/countries/Income.h"
#include "rules/tests/TroopOrdersFixture.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/Movement.h"
#include "rules/troops/Occupation.h"
#include "rules/troops/Supply.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "rules/troops/TroopRemoval.h"

namespace zv::rules::orderstest {
namespace {

constexpr std::uint16_t Hex(int x, int y) {
    return MakeHexPosition(x, y);
}

// Troops of the world; the indexes are those MapBuilder gives in this order.
struct Cast {
    std::uint16_t walker;     // country 0 infantry on its capital (5, 5)
    std::uint16_t convoy;     // country 0 infantry and supply truck (6, 5)
    std::uint16_t carrier;    // country 0 carrier at sea (21, 10) carrying `passenger`
    std::uint16_t passenger;  // country 0 infantry aboard the carrier
    std::uint16_t fighter;    // country 0 fighter (10, 10), 1 fuel left
    std::uint16_t raider;     // country 0 infantry on country 1's city (12, 6)
    std::uint16_t assault;    // country 0 assault ship (22, 14)
    std::uint16_t boat;       // country 0 boat (23, 4)
    std::uint16_t enemy;      // country 1 infantry (14, 8)
};

class TroopOrdersAgreement : public OrdersWorld {
  protected:
    TroopOrdersAgreement() {
        map.AddSite(0, 0, 5, 5);
        map.AddSite(2, 1, 12, 6);
        map.AddSite(0, 1, 16, 2);
        map.Road(5, 5, 0x09).Road(4, 5, 0x08).Road(6, 5, 0x01);
        cast.walker = map.AddTroop(0, 5, 5, {kInfantry});
        cast.convoy = map.AddTroop(0, 6, 5, {kInfantry, kSupplyTruck});
        cast.carrier = map.AddTroop(0, 21, 10, {kCarrier});
        cast.passenger = map.AddTroop(0, 21, 10, {kInfantry});
        cast.fighter = map.AddTroop(0, 10, 10, {kFighter});
        cast.raider = map.AddTroop(0, 12, 6, {kInfantry});
        cast.assault = map.AddTroop(0, 22, 14, {kAssaultShip});
        cast.boat = map.AddTroop(0, 23, 4, {kBoat});
        cast.enemy = map.AddTroop(1, 14, 8, {kInfantry});
        {
            GameContext ctx(tables, env);
            LoadTroop(ctx.Troops(), cast.carrier, cast.passenger);
            TroopCursor& troops = ctx.Troops();
            troops.Select(cast.walker);
            troops.GetMemberRecord(0)->SetStrength(4);
            troops.GetMemberRecord(0)->SetFuel(3);
            troops.GetMemberRecord(0)->SetAmmo(0, 1);
            troops.Select(cast.fighter);
            troops.GetMemberRecord(0)->SetFuel(1);
            troops.GetMemberRecord(0)->SetAmmo(0, 0);
            troops.Select(cast.enemy);
            troops.SetMask28(0x0011);
        }
        Ready();
    }

    Cast cast;
};

struct CommandCase {
    const char* name;
    std::function<int(GameContext&, const Cast&)> run;
    int expected;
    // Waypoints are a plan, not a position: the live context plans on its own route search
    // without troops, the shadow on the simulation's, which avoids enemy zones.
    bool plansRoute = false;
};

bool IsWaypointByte(TableId table, std::uint32_t recordOffset) {
    return table == TableId::Troop && recordOffset >= TroopRecord::kWaypoints &&
           recordOffset < TroopRecord::kWaypoints + 8;
}

std::string FirstDifference(const TableDirectory& tables, TableId live, TableId shadow,
                            bool skipWaypoints) {
    const std::uint8_t* a = tables.GetTableBase(live);
    const std::uint8_t* b = tables.GetTableBase(shadow);
    const std::uint32_t size = tables.GetTableTotalBytes(live);
    const std::uint32_t recordSize = tables.GetTableRecordSize(live);
    for (std::uint32_t i = 0; i < size; ++i) {
        if (a[i] == b[i]) continue;
        if (skipWaypoints && IsWaypointByte(live, i % recordSize)) continue;
        std::ostringstream out;
        out << "table " << ToIndex(live) << " record " << i / recordSize << " offset "
            << i % recordSize << ": live " << int(a[i]) << ", shadow " << int(b[i]);
        return out.str();
    }
    return {};
}

const std::uint8_t kSettings[kMemberSettingsBlockSize] = {
    0, 1, 2, 3, 4,  // formation slot 0
    0, 5, 6, 7, 8,  // slot 1 (empty on the walker)
    0, 0, 0, 0, 0, 0, 0, 0, 0,  0,  0,  0,  0,
    0, 0, 0, 0, 0, 0, 0, 1, 20, 30, 40, 50,  // formation settings
    0,                                       // formation 0
    2,                                       // TroopMode
    0};

const CommandCase kCommands[] = {
    {"move", [](GameContext& c, const Cast& t) { return ExecMove(c, t.walker, Hex(6, 6), 2, 1); },
     1},
    {"fire",
     [](GameContext& c, const Cast& t) {
         return ExecFire(c, t.carrier, Hex(22, 10), 0x0008, t.enemy, Hex(14, 8), kLaunchCruise);
     },
     1},
    {"occupy", [](GameContext& c, const Cast& t) { return ExecOccupy(c, t.raider); }, 1},
    {"supply at site",
     [](GameContext& c, const Cast& t) { return ExecSupply(c, t.walker, kNoTroop, 0); }, 1},
    {"supply from troop",
     [](GameContext& c, const Cast& t) { return ExecSupply(c, t.walker, t.convoy, kNoSiteIndex); },
     1},
    {"board",
     [](GameContext& c, const Cast& t) { return ExecBoard(c, t.carrier, t.convoy, Hex(6, 5)); }, 1},
    {"launch",
     [](GameContext& c, const Cast& t) {
         return ExecLaunch(c, t.carrier, t.passenger, Hex(20, 10), kOrderMove, Hex(15, 10),
                           kNoTroop);
     },
     1},
    {"transform", [](GameContext& c, const Cast& t) { return ExecTransform(c, t.boat); }, 1},
    {"disperse",
     [](GameContext& c, const Cast& t) {
         return ExecDisperse(c, t.assault, Hex(21, 14), kActionOccupy, kNoTroop, Hex(19, 14),
                             kLaunchLandingCraft);
     },
     1},
    {"disband", [](GameContext& c, const Cast& t) { return ExecDisband(c, t.convoy); }, 1},
    {"support",
     [](GameContext& c, const Cast& t) {
         return ExecSupport(c, t.assault, Hex(21, 15), 0, kNoTroop, Hex(20, 14), kLaunchSupplies,
                            kLaunchSupplies);
     },
     1},
    {"return",
     [](GameContext& c, const Cast& t) {
         const int sent = ExecDisperse(c, t.carrier, Hex(22, 10), 0, kNoTroop, Hex(30, 10),
                                       kLaunchAswHelicopter);
         return sent + ExecReturn(c, t.carrier, 160);
     },
     2},
    {"target",
     [](GameContext& c, const Cast& t) { return SetTroopTarget(c, t.walker, Hex(9, 9), 2); }, 1},
    {"clock and income",
     [](GameContext& c, const Cast&) {
         AddSiteIncome(c);
         return SetClock(c, 3, 4, 5, 1);
     },
     1},
    {"order",
     [](GameContext& c, const Cast& t) {
         return SetTroopOrder(c, t.walker, Hex(15, 5), kNoTroop, kOrderMove, kActionOccupy, 0, 0,
                              kNoHex, 0, 0xFF);
     },
     1, true},
    {"burn fuel", [](GameContext& c, const Cast& t) { return BurnTroopFuel(c, t.fighter, 0, 0); },
     0},
    {"clear orders",
     [](GameContext& c, const Cast& t) {
         SetTroopOrder(c, t.convoy, Hex(2, 2), kNoTroop, kOrderMove, 0, 0, 0, Hex(6, 5), 4, 7);
         return ClearTroopOrders(c, t.convoy);
     },
     1, true},
    {"status",
     [](GameContext& c, const Cast& t) {
         SetTroopOrder(c, t.walker, Hex(9, 5), kNoTroop, kOrderMove, kActionSupply, 0, 0, Hex(5, 5),
                       5, 3);
         return UpdateTroopStatusFromFlags(c, t.walker, 1) +
                UpdateTroopStatusFromFlags(c, t.walker, 1) +
                UpdateTroopStatusFromFlags(c, t.walker, 1);
     },
     3, true},
    {"country falls",
     [](GameContext& c, const Cast&) {
         return RemoveCountryTroops(c, 1) + ReleaseCountrySites(c, 1);
     },
     2},
    {"remove carrier", [](GameContext& c, const Cast& t) { return RemoveTroop(c, t.carrier); }, 1},
    {"member settings",
     [](GameContext& c, const Cast& t) { return ApplyMemberSettings(c, t.walker, kSettings); }, 1},
};

class CommandAgreementTest : public TroopOrdersAgreement,
                             public ::testing::WithParamInterface<int> {};

TEST_P(CommandAgreementTest, ShadowAndLiveEndAlike) {
    const CommandCase& command = kCommands[GetParam()];
    const std::uint64_t before = tables.HashLiveTables();

    const int shadowResult = command.run(*Shadow(), cast);
    EXPECT_EQ(tables.HashLiveTables(), before) << "the shadow run touched the live tables";
    const int liveResult = command.run(*Live(), cast);
    EXPECT_EQ(shadowResult, command.expected);
    EXPECT_EQ(liveResult, command.expected);
    EXPECT_NE(tables.HashLiveTables(), before) << "the command changed nothing";

    for (TableId live : {TableId::Site, TableId::Troop, TableId::HexInfo, TableId::Country,
                         TableId::ScenarioHeader, TableId::Force}) {
        EXPECT_EQ(FirstDifference(tables, live, ShadowOf(live), command.plansRoute), "");
    }
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, CommandAgreementTest,
                         ::testing::Range(0, static_cast<int>(std::size(kCommands))),
                         [](const ::testing::TestParamInfo<int>& testCase) {
                             std::string name = kCommands[testCase.param].name;
                             for (char& ch : name) {
                                 if (ch == ' ') ch = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace zv::rules::orderstest
