#include <gtest/gtest.h>

#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"
#include "rules/troops/TroopOrders.h"
#include "simulation/OrderExecution.h"
#include "simulation/tests/StepFixture.h"

namespace zv::sim::steptest {
namespace {

class OrderExecutionTest : public StepWorld {
  protected:
    bool Tick(std::uint16_t troop) { return ExecuteTroopOrder(Step(), troop); }
    std::vector<CommandView> Of(std::uint16_t opcode) {
        std::vector<CommandView> out;
        for (const CommandView& c : Journal()) {
            if (c.opcode == opcode) out.push_back(c);
        }
        return out;
    }
    // Ticks until the troop's order has ended (at most `limit`); the ticks taken.
    int RunUntilIdle(std::uint16_t troop, int limit = 60) {
        for (int n = 1; n <= limit; ++n) {
            Tick(troop);
            if (Troop(troop).bytes[rules::TroopRecord::kOrderKind] == rules::kOrderNone) return n;
        }
        return -1;
    }
};

TEST_F(OrderExecutionTest, MoveDelayOfThreeStepsOnTheThirdTick) {
    const std::uint16_t troop = map.AddTroop(0, 3, 4, {kInfantry});
    Ready();
    Order(troop, Hex(8, 4), rules::kOrderMove, 0);
    Troop(troop).bytes[rules::TroopRecord::kMoveDelay] = 3;
    EXPECT_FALSE(Tick(troop));
    EXPECT_EQ(Troop(troop).bytes[rules::TroopRecord::kMoveDelay], 2);
    EXPECT_FALSE(Tick(troop));
    EXPECT_EQ(Troop(troop).bytes[rules::TroopRecord::kMoveDelay], 1);
    EXPECT_TRUE(Of(kCmdMove).empty());
    EXPECT_TRUE(Tick(troop));
    ASSERT_EQ(Of(kCmdMove).size(), 1u);
    EXPECT_EQ(Of(kCmdMove)[0].U16(MoveRecord::kHex), Hex(4, 4));
    EXPECT_EQ(Of(kCmdMove)[0].U8(MoveRecord::kDirection), 3) << "east";
    // Land costs 2 for ground troops: the new hex sets the delay again.
    EXPECT_EQ(Troop(troop).bytes[rules::TroopRecord::kMoveDelay], 2);
    Flush();
    EXPECT_EQ(Troop(troop, rules::TableId::Troop).Hex(), Hex(4, 4));
}

TEST_F(OrderExecutionTest, MoveOntoAnEnemyEndsOneHexShort) {
    const std::uint16_t troop = map.AddTroop(0, 3, 4, {kInfantry});
    map.AddTroop(1, 7, 4, {kInfantry});
    Ready();
    Order(troop, Hex(7, 4), rules::kOrderMove, 0);
    ASSERT_GT(RunUntilIdle(troop), 0);
    EXPECT_EQ(Troop(troop).Hex(), Hex(6, 4));
    EXPECT_FALSE(Of(kCmdStatus).empty());
    Flush();
    EXPECT_EQ(Troop(troop, rules::TableId::Troop).Hex(), Hex(6, 4));
}

TEST_F(OrderExecutionTest, BomberStopsOneHexShortOfAnEmptyDestination) {
    const std::uint16_t bomber = map.AddTroop(0, 3, 4, {kBomber});
    map.AddSite(2, 1, 8, 4);
    Ready();
    Order(bomber, Hex(8, 4), rules::kOrderMove, rules::kActionBomb);
    for (int n = 0;
         n < 20 && Troop(bomber).bytes[rules::TroopRecord::kOrderKind] == rules::kOrderMove; ++n) {
        Tick(bomber);
    }
    EXPECT_EQ(Troop(bomber).Hex(), Hex(7, 4));
}

TEST_F(OrderExecutionTest, IdleFriendInTheWayStepsAsideToTheFirstFreeNeighbour) {
    const std::uint16_t troop = map.AddTroop(0, 4, 3, {kInfantry});
    const std::uint16_t friendly = map.AddTroop(0, 5, 3, {kInfantry});
    Ready();
    Order(troop, Hex(5, 3), rules::kOrderMove, 0);
    Troop(troop).bytes[rules::TroopRecord::kMoveDelay] = 1;
    EXPECT_EQ(ExecuteMoveStep(Step(), *Shadow(), troop), 0) << "it waits while the friend moves";
    EXPECT_TRUE(Of(kCmdMove).empty());
    std::vector<CommandView> orders = Of(kCmdTroopOrder);
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(orders[0].U16(TroopOrderRecord::kTroop), friendly);
    // Row 3 is odd: W (4, 3) is taken, SW is (5, 4).
    EXPECT_EQ(orders[0].U16(TroopOrderRecord::kDestination), Hex(5, 4));
    EXPECT_EQ(orders[0].U16(TroopOrderRecord::kOrderKind), rules::kOrderMove);
    EXPECT_EQ(Opcodes(Journal()), (std::vector<std::uint16_t>{kOpClearOrders, kCmdTroopOrder}));
}

TEST_F(OrderExecutionTest, BusyFriendIsReroutedOnceThenWaitedFor) {
    const std::uint16_t troop = map.AddTroop(0, 4, 3, {kInfantry});
    const std::uint16_t friendly = map.AddTroop(0, 5, 3, {kInfantry});
    Ready();
    Order(friendly, Hex(12, 12), rules::kOrderMove, 0);
    auto shadow = Shadow();
    EXPECT_TRUE(AskTroopToGiveWay(Step(), *shadow, troop, friendly, Hex(5, 3)));
    EXPECT_EQ(Of(kCmdTroopOrder).size(), 1u);
    EXPECT_EQ(Of(kCmdTroopOrder)[0].U16(TroopOrderRecord::kDestination), Hex(12, 12));
    EXPECT_EQ(Troop(friendly).bytes[rules::TroopRecord::kGiveWay], 1);
    ClearJournal();
    EXPECT_TRUE(AskTroopToGiveWay(Step(), *shadow, troop, friendly, Hex(5, 3)));
    EXPECT_TRUE(Journal().empty()) << "rerouted once, then simply waited for";
    // Its move delay has run out and it still stands there: it is held up itself.
    Troop(friendly).bytes[rules::TroopRecord::kMoveDelay] = 1;
    EXPECT_FALSE(AskTroopToGiveWay(Step(), *shadow, troop, friendly, Hex(5, 3)));
}

// Two friends each heading for the other's hex: asking each other to give way and waiting would
// hold both for good. Their orders end instead, and asked again the idle one steps aside.
TEST_F(OrderExecutionTest, FriendsHeadingForEachOthersHexGetPast) {
    const std::uint16_t a = map.AddTroop(0, 4, 3, {kInfantry});
    const std::uint16_t b = map.AddTroop(0, 5, 3, {kInfantry});
    Ready();
    Order(a, Hex(5, 3), rules::kOrderMove, 0);
    Order(b, Hex(4, 3), rules::kOrderMove, 0);
    auto busy = [&](std::uint16_t t) {
        return Troop(t).bytes[rules::TroopRecord::kOrderKind] != rules::kOrderNone;
    };
    for (int n = 0; n < 80 && (busy(a) || busy(b)); ++n) {
        Tick(a);
        Tick(b);
    }
    EXPECT_FALSE(busy(a));
    EXPECT_FALSE(busy(b));
    // Asked again, as the computer's next decision would: the idle friend now steps aside.
    if (Troop(b).Hex() == Hex(5, 3)) {
        Order(b, Hex(4, 3), rules::kOrderMove, 0);
        for (int n = 0; n < 40 && busy(b); ++n) {
            Tick(a);
            Tick(b);
        }
        EXPECT_EQ(Troop(b).Hex(), Hex(4, 3));
    }
}

struct CannotMoveCase {
    const char* name;
    int fuel;
    bool onSea;
};

class CannotMoveTest : public OrderExecutionTest,
                       public ::testing::WithParamInterface<CannotMoveCase> {};

TEST_P(CannotMoveTest, FinishesInsteadOfMoving) {
    const CannotMoveCase& c = GetParam();
    const std::uint16_t troop = map.AddTroop(0, 3, 4, {kInfantry});
    Ready();
    Order(troop, Hex(8, 4), rules::kOrderMove, 0);
    Troop(troop).Member(0).SetFuel(static_cast<std::uint16_t>(c.fuel));
    if (c.onSea) {
        // Standing where a ground troop cannot be: its cost there is 255.
        rules::TroopCursor troops(tables, rules::TableId::ShadowTroop);
        troops.Select(troop);
        troops.SetHex(Hex(30, 4));
    }
    Troop(troop).bytes[rules::TroopRecord::kMoveDelay] = 1;
    Tick(troop);
    EXPECT_TRUE(Of(kCmdMove).empty());
    EXPECT_EQ(Opcodes(Journal()), (std::vector<std::uint16_t>{kCmdStatus}));
}

INSTANTIATE_TEST_SUITE_P(Reasons, CannotMoveTest,
                         ::testing::Values(CannotMoveCase{"NoFuel", 0, false},
                                           CannotMoveCase{"LessFuelThanTheCost", 1, false},
                                           CannotMoveCase{"CellItCannotCross", 40, true}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(OrderExecutionTest, UnreachableDestinationIsApproachedByWayOfTheNearestReachedCell) {
    const std::uint16_t troop = map.AddTroop(0, 16, 4, {kInfantry});
    Ready();
    Order(troop, Hex(28, 4), rules::kOrderMove, 0);
    std::vector<CommandView> targets;
    for (int n = 0; n < 12 && targets.empty(); ++n) {
        Tick(troop);
        targets = Of(kOpTarget);
    }
    ASSERT_EQ(targets.size(), 1u);
    // The cell becomes the last waypoint: destination and target stay, so whatever re-checks
    // the order (following a target, heading for supply) does not undo the detour.
    EXPECT_EQ(targets[0].U8(TargetRecord::kSlot), 3);
    const std::uint16_t cell = targets[0].U16(TargetRecord::kHex);
    EXPECT_EQ(cell & 0xFF, 20) << "the coast nearest the target";
    EXPECT_EQ(rules::HexDistance(28, 4, cell & 0xFF, cell >> 8), 8);
    EXPECT_EQ(Troop(troop).Destination(), Hex(28, 4));
    EXPECT_EQ(Troop(troop).U16(rules::TroopRecord::kWaypoints + 6), cell);
    EXPECT_EQ(Troop(troop).bytes[rules::TroopRecord::kOrderPhase], 3);
    Flush();
    EXPECT_EQ(Troop(troop, rules::TableId::Troop).U16(rules::TroopRecord::kWaypoints + 6), cell);
}

// A troop that cannot reach its goal walks to the nearest free cell it can stand on and its
// order ends there: it is never sent onto a hex another troop holds.
TEST_F(OrderExecutionTest, DetourEndsOnAFreeCellNearTheGoal) {
    const std::uint16_t troop = map.AddTroop(0, 16, 4, {kInfantry});
    const std::uint16_t friendOnTheCoast = map.AddTroop(0, 20, 4, {kInfantry});
    Ready();
    Order(troop, Hex(28, 4), rules::kOrderMove, 0);
    const int ticks = RunUntilIdle(troop, 200);
    ASSERT_GT(ticks, 0) << "the order never ended";
    const std::uint16_t at = Troop(troop).Hex();
    EXPECT_NE(at, Troop(friendOnTheCoast).Hex());
    EXPECT_EQ(at & 0xFF, 20) << "on the coast, " << (at & 0xFF) << "," << (at >> 8);
    for (const CommandView& c : Of(kOpTarget)) {
        EXPECT_NE(c.U16(TargetRecord::kHex), Hex(20, 4)) << "sent onto the friend's hex";
    }
    EXPECT_LE(Of(kOpTarget).size(), 2u);
    EXPECT_LE(Of(kCmdTroopOrder).size(), 1u) << "re-issued orders restart the move delay";
}

TEST_F(OrderExecutionTest, FriendOnAWaypointIsPassedByInsteadOfWaitedFor) {
    const std::uint16_t troop = map.AddTroop(0, 4, 4, {kInfantry});
    const std::uint16_t busy = map.AddTroop(0, 5, 4, {kInfantry});
    Ready();
    Order(troop, Hex(10, 4), rules::kOrderMove, 0);
    // The friend is taking a site (it never gives way) and stands on the troop's waypoint.
    Troop(busy).bytes[rules::TroopRecord::kOrderKind] = rules::kOrderOccupy;
    for (int k = 0; k < 4; ++k) {
        Troop(troop).SetU16(rules::TroopRecord::kWaypoints + 2 * k, k == 0 ? Hex(5, 4) : 0xFFFF);
    }
    Troop(troop).bytes[rules::TroopRecord::kOrderPhase] = 0;
    Troop(troop).bytes[rules::TroopRecord::kMoveDelay] = 1;
    Tick(troop);
    EXPECT_EQ(Troop(troop).bytes[rules::TroopRecord::kOrderPhase], 1) << "on to the next leg";
    for (int n = 0; n < 30 && Troop(troop).Hex() == Hex(4, 4); ++n) Tick(troop);
    EXPECT_NE(Troop(troop).Hex(), Hex(4, 4)) << "it walks around the friend";
}

TEST_F(OrderExecutionTest, FollowerKeepsUpWithATargetThatKeepsMoving) {
    const std::uint16_t follower = map.AddTroop(0, 3, 8, {kInfantry});
    const std::uint16_t leader = map.AddTroop(0, 6, 8, {kInfantry});
    Ready();
    Order(leader, Hex(18, 8), rules::kOrderMove, 0);
    Order(follower, Hex(6, 8), rules::kOrderMove, 0, leader);
    for (int tick = 0; tick < 16; ++tick) {
        Tick(follower);
        Tick(leader);
    }
    // Both move a hex every second tick; the follower's new orders do not hold it back.
    EXPECT_GE(Troop(leader).Hex() & 0xFF, 12);
    EXPECT_GE(Troop(follower).Hex() & 0xFF, 8);
    const std::uint16_t d = Troop(follower).Destination(), l = Troop(leader).Hex();
    EXPECT_LE(rules::HexDistance(d & 0xFF, d >> 8, l & 0xFF, l >> 8), 1);
    Flush();
    EXPECT_EQ(Troop(follower, rules::TableId::Troop).Hex(), Troop(follower).Hex());
}

// A ground troop chasing an enemy that puts out to sea gives up the chase instead of taking a
// new order toward it every time it moves (each new order would start its move delay again).
TEST_F(OrderExecutionTest, ChaseEndsWhenTheTargetGoesWhereTheTroopCannotFollow) {
    map.TerrainRect(12, 0, 63, 63, kSea);
    const std::uint16_t chaser = map.AddTroop(0, 3, 8, {kInfantry});
    const std::uint16_t boat = map.AddTroop(1, 12, 8, {kBoat});
    Ready();
    Troop(boat).bytes[rules::TroopRecord::kVisibility] |= 0x11;  // seen by country 0
    Order(boat, Hex(62, 8), rules::kOrderMove, 0);
    Order(chaser, Hex(12, 8), rules::kOrderMove, 0, boat);
    int ticks = 0;
    while (ticks < 30 && Troop(chaser).bytes[rules::TroopRecord::kOrderKind] != 0) {
        Tick(boat);
        Tick(chaser);
        ++ticks;
    }
    EXPECT_EQ(Troop(chaser).bytes[rules::TroopRecord::kOrderKind], rules::kOrderNone);
    EXPECT_LT(Troop(chaser).Hex() & 0xFF, 12);
    EXPECT_NE(Troop(boat).bytes[rules::TroopRecord::kOrderKind], rules::kOrderNone)
        << "the boat is still on its way";
}

TEST_F(OrderExecutionTest, NeighbourDirections) {
    // Row 4 is even, row 3 odd: the same direction has different x steps.
    EXPECT_EQ(GetNeighbourDirection(Hex(4, 4), Hex(3, 4)), 1);  // W
    EXPECT_EQ(GetNeighbourDirection(Hex(4, 4), Hex(3, 5)), 2);  // SW
    EXPECT_EQ(GetNeighbourDirection(Hex(4, 3), Hex(4, 4)), 2);  // SW
    EXPECT_EQ(GetNeighbourDirection(Hex(4, 3), Hex(5, 2)), 5);  // NE
    EXPECT_EQ(GetNeighbourDirection(Hex(4, 4), Hex(6, 4)), 0);
    EXPECT_EQ(GetNeighbourDirection(Hex(4, 4), Hex(4, 4)), 0);
}

}  // namespace
}  // namespace zv::sim::steptest
