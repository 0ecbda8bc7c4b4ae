#include <gtest/gtest.h>

#include "rules/tests/TroopOrdersFixture.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules::orderstest {
namespace {

constexpr std::uint16_t Hex(int x, int y) {
    return MakeHexPosition(x, y);
}

class TroopOrdersTest : public OrdersWorld {
  protected:
    TroopOrdersTest() {
        map.Clock(2, 3, 4);
        troop = map.AddTroop(0, 5, 5, {kInfantry});
        Ready();
    }

    TroopRecord& Record() { return TroopAtIndex(troop); }
    std::uint16_t Waypoint(int i) { return Record().U16(TroopRecord::kWaypoints + 2 * i); }

    std::uint16_t troop = 0;
};

TEST_F(TroopOrdersTest, ClearingLeavesAnIdleTroopWithHomeTroopZero) {
    auto ctx = Live();
    ASSERT_EQ(SetTroopOrder(*ctx, troop, Hex(15, 5), 44, kOrderAttack, kActionAttack, 0x0008, 9,
                            Hex(5, 5), 6, 12),
              1);
    TroopRecord& r = Record();
    r.SetU16(TroopRecord::kOrderValue, 77);
    r.SetU8(TroopRecord::kActionCounter, 5);

    EXPECT_EQ(ClearTroopOrders(*ctx, troop), 1);
    EXPECT_EQ(r.U8(TroopRecord::kOrderKind), kOrderNone);
    EXPECT_EQ(r.ActionFlags(), 0);
    EXPECT_EQ(r.U16(TroopRecord::kTarget), kNoTroop);
    EXPECT_EQ(r.Destination(), kNoHex);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Waypoint(i), kNoHex);
    EXPECT_EQ(r.U8(TroopRecord::kOrderPhase), 0);
    EXPECT_EQ(r.U16(TroopRecord::kOrderValue), 0);
    EXPECT_EQ(r.U8(TroopRecord::kActionCounter), 0);
    EXPECT_EQ(r.U8(TroopRecord::kMoveDelay), 0);
    EXPECT_EQ(r.U8(TroopRecord::kHomeAction), 0);
    EXPECT_EQ(r.U16(TroopRecord::kOrderHex), kNoHex);
    EXPECT_EQ(r.U8(TroopRecord::kRelatedTroop), 0);
    // The weapon selection and the order parameter byte are not part of a clear.
    EXPECT_EQ(r.U16(TroopRecord::kWeaponSelection), 0x0008);
    EXPECT_EQ(ClearTroopOrders(*ctx, 255), 0);
}

TEST_F(TroopOrdersTest, AnOrderPlansItsRouteAndStampsTheTime) {
    auto ctx = Live();
    ASSERT_EQ(SetTroopOrder(*ctx, troop, Hex(15, 5), kNoTroop, kOrderMove, kActionOccupy, 0x0100, 9,
                            kNoHex, 3, 12),
              1);
    TroopRecord& r = Record();
    EXPECT_EQ(r.U8(TroopRecord::kOrderKind), kOrderMove);
    EXPECT_EQ(r.ActionFlags(), kActionOccupy);
    EXPECT_EQ(r.Destination(), Hex(15, 5));
    EXPECT_EQ(r.U8(TroopRecord::kOrderPhase), 1);
    EXPECT_EQ(r.U8(TroopRecord::kOrderParameter), 9);
    EXPECT_EQ(r.U16(TroopRecord::kWeaponSelection), 0x0100);
    EXPECT_EQ(r.U8(TroopRecord::kRelatedTroop), 12);
    EXPECT_EQ(r.S32(TroopRecord::kOrderTime), 2 * 1440 + 3 * 60 + 4);
    // Land kind 0 costs the infantry 2 (the troop moves on the ground: terrain mode 1).
    EXPECT_EQ(r.U8(TroopRecord::kMoveDelay), 2);
    // Ten steps east: waypoints a quarter, a half and three quarters of the way.
    EXPECT_EQ(Waypoint(0), Hex(5, 5));
    for (int i = 1; i < 4; ++i) {
        EXPECT_NE(Waypoint(i), kNoHex);
        EXPECT_EQ(Waypoint(i) & 0xFF, 5 + (10 / 4) * i) << i;
    }
}

struct HomeCase {
    const char* name;
    std::uint8_t orderKind;
    std::uint16_t homeHex;
    std::uint8_t homeActionBit;
    std::uint16_t storedHomeHex;  // before the call the record holds Hex(1, 1) and bit 9
    std::uint8_t storedActionBit;
};

class HomeFieldsTest : public TroopOrdersTest, public ::testing::WithParamInterface<HomeCase> {};

TEST_P(HomeFieldsTest, SetTroopOrderStoresTheWayHome) {
    const HomeCase& c = GetParam();
    Record().SetU16(TroopRecord::kOrderHex, Hex(1, 1));
    Record().SetU8(TroopRecord::kHomeAction, 9);
    auto ctx = Live();
    ASSERT_EQ(SetTroopOrder(*ctx, troop, Hex(8, 5), kNoTroop, c.orderKind, 0, 0, 0, c.homeHex,
                            c.homeActionBit, 33),
              1);
    EXPECT_EQ(Record().U16(TroopRecord::kOrderHex), c.storedHomeHex);
    EXPECT_EQ(Record().U8(TroopRecord::kHomeAction), c.storedActionBit);
    EXPECT_EQ(Record().U8(TroopRecord::kRelatedTroop), 33);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HomeFieldsTest,
    ::testing::Values(HomeCase{"launch_without_home", kOrderLaunch, kNoHex, 4, Hex(1, 1), 1},
                      HomeCase{"attack_without_home", kOrderAttack, kNoHex, 4, kNoHex, 0},
                      HomeCase{"home_given", kOrderAttack, Hex(3, 4), 6, Hex(3, 4), 6},
                      HomeCase{"home_x_none", kOrderMove, 0x04FF, 6, kNoHex, 0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(TroopOrdersTest, CancelAndRefusal) {
    auto ctx = Live();
    SetTroopOrder(*ctx, troop, Hex(8, 5), 3, kOrderAttack, kActionAttack, 0x10, 0, Hex(1, 1), 2, 7);
    ASSERT_EQ(SetTroopOrder(*ctx, troop, Hex(9, 9), 4, kOrderNone, 0x20, 0x40, 1, Hex(2, 2), 3, 8),
              1);
    TroopRecord& r = Record();
    EXPECT_EQ(r.U8(TroopRecord::kOrderKind), 0);
    EXPECT_EQ(r.ActionFlags(), 0);
    EXPECT_EQ(r.Destination(), kNoHex);
    EXPECT_EQ(r.U16(TroopRecord::kWeaponSelection), 0);
    EXPECT_EQ(r.U16(TroopRecord::kOrderHex), kNoHex);
    EXPECT_EQ(r.U8(TroopRecord::kRelatedTroop), 0xFF);

    // A troop off the map takes no order at all.
    r.SetHex(kNoHex);
    const std::uint64_t before = tables.HashLiveTables();
    EXPECT_EQ(SetTroopOrder(*ctx, troop, Hex(9, 9), kNoTroop, kOrderMove, 0, 0, 0, kNoHex, 0, 0),
              0);
    EXPECT_EQ(tables.HashLiveTables(), before);
}

TEST_F(TroopOrdersTest, PrepareDiffersInCancelAndHomeTroop) {
    auto ctx = Live();
    TroopRecord& r = Record();
    r.SetU8(TroopRecord::kRelatedTroop, 21);
    ASSERT_EQ(
        PrepareTroopOrder(*ctx, troop, Hex(8, 5), kNoTroop, kOrderMove, 0, 0, 0, kNoHex, 0, 40), 1);
    EXPECT_EQ(r.U8(TroopRecord::kRelatedTroop), 21) << "no home hex: the home troop stays";
    EXPECT_EQ(r.S32(TroopRecord::kOrderTime), 2 * 1440 + 3 * 60 + 4);
    ASSERT_EQ(
        PrepareTroopOrder(*ctx, troop, Hex(8, 5), kNoTroop, kOrderMove, 0, 0, 0, Hex(3, 3), 5, 40),
        1);
    EXPECT_EQ(r.U8(TroopRecord::kRelatedTroop), 40);
    EXPECT_EQ(r.U16(TroopRecord::kOrderHex), Hex(3, 3));

    ASSERT_EQ(PrepareTroopOrder(*ctx, troop, kNoHex, kNoTroop, kOrderNone, 0, 0, 0, kNoHex, 0, 0),
              1);
    EXPECT_EQ(r.S32(TroopRecord::kOrderTime), 0);
    EXPECT_EQ(r.U8(TroopRecord::kRelatedTroop), 40) << "a prepared cancel keeps the home troop";
}

TEST_F(TroopOrdersTest, TargetSlotsSetAWaypointOrTheDestination) {
    auto ctx = Live();
    for (std::uint8_t slot : {0, 3}) {
        ASSERT_EQ(SetTroopTarget(*ctx, troop, Hex(7, slot), slot), 1);
        EXPECT_EQ(Waypoint(slot), Hex(7, slot));
        EXPECT_EQ(Record().U8(TroopRecord::kOrderPhase), slot);
    }
    ASSERT_EQ(SetTroopTarget(*ctx, troop, Hex(9, 9), 4), 1);
    EXPECT_EQ(Record().Destination(), Hex(9, 9));
    EXPECT_EQ(Record().U8(TroopRecord::kOrderPhase), 4);
    EXPECT_EQ(SetTroopTarget(*ctx, kNoTroop, Hex(9, 9), 4), 0);
}

// UpdateTroopStatusFromFlags: pending actions in priority order.
struct StatusCase {
    const char* name;
    std::uint16_t flags;
    std::uint8_t orderKind;
    bool destinationHere;  // destination the troop's own hex, else (9, 9)
    std::uint8_t expectedKind;
    std::uint16_t expectedFlags;
};

class StatusRulesTest : public TroopOrdersTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(StatusRulesTest, PicksTheNextActivity) {
    const StatusCase& c = GetParam();
    TroopRecord& r = Record();
    const std::uint16_t destination = c.destinationHere ? Hex(5, 5) : Hex(9, 9);
    r.SetU16(TroopRecord::kActionFlags, c.flags);
    r.SetU8(TroopRecord::kOrderKind, c.orderKind);
    r.SetU16(TroopRecord::kDestination, destination);
    r.SetU16(TroopRecord::kTarget, 17);
    r.SetU16(TroopRecord::kOrderHex, kNoHex);
    for (int i = 0; i < 4; ++i) r.SetU16(TroopRecord::kWaypoints + 2 * i, Hex(6, i));
    r.SetU8(TroopRecord::kOrderPhase, 2);
    r.SetU16(TroopRecord::kOrderValue, 5);
    r.SetU8(TroopRecord::kActionCounter, 6);
    r.SetU8(TroopRecord::kMoveDelay, 7);

    auto ctx = Live();
    EXPECT_EQ(UpdateTroopStatusFromFlags(*ctx, troop, 0), 1);
    EXPECT_EQ(r.U8(TroopRecord::kOrderKind), c.expectedKind);
    EXPECT_EQ(r.ActionFlags(), c.expectedFlags);
    const bool routeKept = c.expectedFlags != 0;
    EXPECT_EQ(r.Destination(), routeKept ? destination : kNoHex);
    EXPECT_EQ(r.U16(TroopRecord::kWaypoints + 2), routeKept ? Hex(6, 1) : kNoHex);
    const bool ended = c.expectedKind == kOrderNone && c.expectedFlags == 0;
    EXPECT_EQ(r.U16(TroopRecord::kTarget), ended ? kNoTroop : 17);
    EXPECT_EQ(r.U8(TroopRecord::kOrderPhase), 0);
    EXPECT_EQ(r.U16(TroopRecord::kOrderValue), 0);
    EXPECT_EQ(r.U8(TroopRecord::kActionCounter), 0);
    EXPECT_EQ(r.U8(TroopRecord::kMoveDelay), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Priorities, StatusRulesTest,
    ::testing::Values(
        StatusCase{"board_arrives", kActionBoard, kOrderMove, false, kOrderBoard, kActionBoard},
        StatusCase{"board_done", kActionBoard, kOrderBoard, false, kOrderBoard, 0},
        StatusCase{"support_before_return", kActionSupport | kActionReturn, kOrderMove, false,
                   kOrderSupport, kActionSupport | kActionReturn},
        StatusCase{"return_before_attack", kActionReturn | kActionAttack, kOrderMove, false,
                   kOrderReturn, kActionReturn | kActionAttack},
        StatusCase{"attack_before_fire", kActionAttack | kActionFire, kOrderMove, false,
                   kOrderAttack, kActionAttack | kActionFire},
        StatusCase{"fire_before_bomb", kActionFire | kActionBomb, kOrderMove, false, kOrderFire,
                   kActionFire | kActionBomb},
        StatusCase{"bomb_before_occupy", kActionBomb | kActionOccupy, kOrderMove, false, kOrderBomb,
                   kActionBomb | kActionOccupy},
        StatusCase{"occupy_before_supply", kActionOccupy | kActionSupply, kOrderMove, false,
                   kOrderOccupy, kActionOccupy | kActionSupply},
        StatusCase{"supply_done_clears_all", kActionSupply | kActionBoard, kOrderSupply, false,
                   kOrderSupply, 0},
        StatusCase{"launch_never_finishes", kActionLaunch, kOrderLaunch, false, kOrderLaunch,
                   kActionLaunch},
        StatusCase{"transform_here", kActionTransform, kOrderMove, true, kOrderTransform,
                   kActionTransform},
        StatusCase{"transform_elsewhere_ends", kActionTransform | kActionArm, kOrderMove, false,
                   kOrderNone, 0},
        StatusCase{"arm", kActionArm | kActionSeparate, kOrderMove, false, kOrderArm,
                   kActionArm | kActionSeparate},
        StatusCase{"disperse", kActionSeparate, kOrderMove, false, kOrderDisperse, kActionSeparate},
        StatusCase{"disband_done", kActionDisband, kOrderDisband, false, kOrderDisband, 0},
        StatusCase{"hold_only_changes_nothing", kActionHold, kOrderMove, false, kOrderMove,
                   kActionHold},
        StatusCase{"no_flags_ends", 0, kOrderAttack, false, kOrderNone, 0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(TroopOrdersTest, WithNothingLeftATroopHeadsHome) {
    TroopRecord& r = Record();
    r.SetU16(TroopRecord::kOrderHex, Hex(2, 3));
    r.SetU8(TroopRecord::kRelatedTroop, 0xFF);
    r.SetU16(TroopRecord::kWaypoints, Hex(6, 6));
    r.SetU8(TroopRecord::kMoveDelay, 3);
    auto ctx = Live();
    ASSERT_EQ(UpdateTroopStatusFromFlags(*ctx, troop, 0), 1);
    EXPECT_EQ(r.Destination(), Hex(2, 3));
    EXPECT_EQ(r.U8(TroopRecord::kOrderKind), kOrderMove);
    EXPECT_EQ(r.ActionFlags(), kActionReturn);
    EXPECT_EQ(r.U16(TroopRecord::kTarget), 0x00FF);
    EXPECT_EQ(r.U16(TroopRecord::kWaypoints), Hex(6, 6)) << "the route stays for the way home";
    EXPECT_EQ(r.U8(TroopRecord::kMoveDelay), 0);
}

TEST_F(TroopOrdersTest, LaunchedPartsWaitOrVanish) {
    auto ctx = Live();
    TroopRecord& r = Record();
    r.SetFlags(kTroopOnMap | kTroopLaunchedPart);
    r.SetU16(TroopRecord::kOrderHex, kNoHex);
    r.SetU8(TroopRecord::kOrderKind, kOrderAttack);
    r.SetU8(TroopRecord::kMoveDelay, 4);
    std::uint64_t before = tables.HashLiveTables();
    EXPECT_EQ(UpdateTroopStatusFromFlags(*ctx, troop, 0), 1);
    EXPECT_EQ(tables.HashLiveTables(), before) << "a part without 0x0800 waits unchanged";

    r.SetFlags(kTroopOnMap | kTroopLaunchedPart | kTroopPartKindB);
    EXPECT_EQ(UpdateTroopStatusFromFlags(*ctx, troop, 0), 1);
    EXPECT_FALSE(r.IsUsed()) << "a fired part with nothing to do is disbanded";
    EXPECT_EQ(HexTroop(5, 5), kNoTroop);
}

TEST_F(TroopOrdersTest, MemberSettingsApplyOrRefuseWhole) {
    const std::uint16_t pair = map.AddTroop(0, 7, 7, {kInfantry, kSupplyTruck});
    auto ctx = Live();
    std::uint8_t block[kMemberSettingsBlockSize] = {};
    const std::uint8_t slot0[] = {0, 11, 12, 13, 14};
    const std::uint8_t slot1[] = {0, 21, 22, 23, 24};
    std::copy(std::begin(slot0), std::end(slot0), block);
    std::copy(std::begin(slot1), std::end(slot1), block + 5);
    block[30] = 1;
    block[31] = 2;
    block[32] = 3;
    block[33] = 4;
    block[34] = 5;
    block[35] = 0;
    block[36] = 3;

    ASSERT_EQ(ApplyMemberSettings(*ctx, pair, block), 1);
    TroopRecord& r = TroopAtIndex(pair);
    EXPECT_EQ(r.Member(0).Attack(0), 11);
    EXPECT_EQ(r.Member(0).Attack(1), 12);
    EXPECT_EQ(r.Member(0).Defence(0), 13);
    EXPECT_EQ(r.Member(0).Defence(1), 14);
    EXPECT_EQ(r.Member(1).Attack(1), 22);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(r.Formation(0).Setting(i), i + 1);
    EXPECT_EQ(r.CurrentFormation(), 0);
    EXPECT_EQ(r.SlotByte(), 3);

    // A formation or pack out of range comes from a damaged message: nothing changes.
    const std::uint64_t before = tables.HashLiveTables();
    block[35] = 4;
    EXPECT_EQ(ApplyMemberSettings(*ctx, pair, block), 0);
    block[35] = 1;
    block[5] = 4;
    EXPECT_EQ(ApplyMemberSettings(*ctx, pair, block), 0);
    EXPECT_EQ(ApplyMemberSettings(*ctx, kNoTroop, block), 0);
    EXPECT_EQ(tables.HashLiveTables(), before);
}

struct WaypointCase {
    const char* name;
    std::uint16_t hex;
    std::uint16_t destination;
    std::uint8_t waypointIndex;
    std::uint16_t limit;
    int expected;
};

class CanAddWaypointTest : public TroopOrdersTest,
                           public ::testing::WithParamInterface<WaypointCase> {};

TEST_P(CanAddWaypointTest, Answers) {
    const WaypointCase& c = GetParam();
    TroopRecord& r = Record();
    r.SetU16(TroopRecord::kDestination, c.destination);
    r.SetU8(TroopRecord::kOrderPhase, c.waypointIndex);
    r.SetU16(TroopRecord::kWaypoints + 2, Hex(6, 6));
    auto ctx = Live();
    EXPECT_EQ(CanAddWaypoint(*ctx, troop, c.hex, c.limit), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CanAddWaypointTest,
    ::testing::Values(WaypointCase{"free_land", Hex(7, 7), Hex(9, 9), 1, 0xFFFF, 1},
                      WaypointCase{"own_hex", Hex(5, 5), Hex(9, 9), 1, 0xFFFF, 0},
                      WaypointCase{"sea_is_impassable", Hex(30, 7), Hex(9, 9), 1, 0xFFFF, 0},
                      WaypointCase{"no_destination", Hex(7, 7), kNoHex, 1, 0xFFFF, 0},
                      WaypointCase{"the_destination", Hex(9, 9), Hex(9, 9), 1, 0xFFFF, 0},
                      WaypointCase{"already_a_waypoint", Hex(6, 6), Hex(9, 9), 1, 0xFFFF, 0},
                      WaypointCase{"heading_for_destination", Hex(7, 7), Hex(9, 9), 4, 0xFFFF, 0},
                      WaypointCase{"above_the_limit", Hex(7, 7), Hex(9, 9), 3, 2, 0},
                      WaypointCase{"at_the_limit", Hex(7, 7), Hex(9, 9), 2, 2, 1},
                      WaypointCase{"off_the_map", Hex(70, 7), Hex(9, 9), 1, 0xFFFF, 0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace zv::rules::orderstest
