#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/tests/TroopMembersFixture.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules {
namespace {

using namespace membertest;

class TroopQueriesTest : public MemberTablesTest {
  protected:
    // Troop 0 made of the units, selected.
    TroopCursor& With(const std::vector<int>& units) {
        std::int16_t ids[6] = {-1, -1, -1, -1, -1, -1};
        for (std::size_t j = 0; j < units.size(); ++j) ids[j] = static_cast<std::int16_t>(units[j]);
        troop.Select(0);
        troop.ResetCurrentTroop();
        CreateTroopFromUnits(troop, ids, 0, 0, 0xFFFF, "");
        return troop;
    }
    std::uint64_t RecordHash() {
        std::uint64_t h = 1469598103934665603ull;
        for (std::uint8_t b : troop.GetRecord()->bytes) h = (h ^ b) * 1099511628211ull;
        return h;
    }
};

TEST(WeaponClassBit, CoversTypes20To33And35) {
    const std::pair<int, std::uint16_t> cases[] = {
        {0, 0},       {19, 0}, {20, 0x0001}, {27, 0x0080}, {28, 0x0100},
        {33, 0x2000}, {34, 0}, {35, 0x4000}, {36, 0},      {255, 0},
    };
    for (auto [type, bit] : cases) EXPECT_EQ(WeaponClassBit(type), bit) << type;
}

TEST_F(TroopQueriesTest, CapabilityFlagsAreAndedExceptTheFourAnyMemberBits) {
    struct Case {
        std::vector<int> units;
        std::uint16_t capability, kindClasses, supply;
    };
    // Tank 0x00A, truck 0x081, launcher 0x142, gunship 0x024 on their own.
    const Case cases[] = {
        {{}, 0xFFFF, 0x0002, 0x0002},
        {{kTank}, 0x000A, 0x000A, 0x0002},
        {{kTruck}, 0x0081, 0x0008, 0x0004},
        {{kLauncher}, 0x0142, 0x0002, 0x0000},
        {{kGunship}, 0x0024, 0x0001, 0x0000},
        {{kTank, kTank}, 0x000A, 0x000A, 0x0002},
        {{kTank, kLauncher}, 0x0142, 0x000A, 0x0000},
        {{kTank, kTruck}, 0x0081, 0x0008, 0x0004},
        {{kGunship, kTank}, 0x0000, 0x0009, 0x0000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "units " << c.units.size() << " first "
                                          << (c.units.empty() ? -1 : c.units[0]));
        With(c.units);
        EXPECT_EQ(GetCapabilityFlags(troop), c.capability);
        EXPECT_EQ(GetUnitKindClassBits(troop), c.kindClasses);
        EXPECT_EQ(GetSupplyCapabilityBits(troop), c.supply);
    }
}

TEST_F(TroopQueriesTest, SupplyShortageByGroups) {
    struct Case {
        const char* what;
        std::vector<int> units;
        std::vector<std::vector<int>> ammo;  // per member, per weapon slot
        int threshold;
        int result, supplies;
    };
    const Case cases[] = {
        {.what = "supplies below",
         .units = {kTruck},
         .ammo = {{14}},
         .threshold = 50,
         .result = 1,
         .supplies = 1},
        {.what = "supplies at the threshold",
         .units = {kTruck},
         .ammo = {{15}},
         .threshold = 50,
         .result = 0,
         .supplies = 0},
        {.what = "other ammunition below",
         .units = {kTank},
         .ammo = {{20, 14}},
         .threshold = 50,
         .result = 1,
         .supplies = 0},
        {.what = "other ammunition at",
         .units = {kTank},
         .ammo = {{20, 15}},
         .threshold = 50,
         .result = 0,
         .supplies = 0},
        {.what = "type 12 below",
         .units = {kMortar},
         .ammo = {{19}},
         .threshold = 50,
         .result = 1,
         .supplies = 0},
        {.what = "type 12 at",
         .units = {kMortar},
         .ammo = {{20}},
         .threshold = 50,
         .result = 0,
         .supplies = 0},
        {.what = "combined, weighted below",
         .units = {kArtillery},
         .ammo = {{39, 0}},
         .threshold = 50,
         .result = 1,
         .supplies = 0},
        {.what = "combined, weighted at",
         .units = {kArtillery},
         .ammo = {{40, 0}},
         .threshold = 50,
         .result = 0,
         .supplies = 0},
        {.what = "empty cannon weighs a quarter",
         .units = {kArtillery},
         .ammo = {{0, 10}},
         .threshold = 50,
         .result = 0,
         .supplies = 0},
        {.what = "threshold 0 turns the test off",
         .units = {kTruck},
         .ammo = {{0}},
         .threshold = 0,
         .result = 0,
         .supplies = 0},
        {.what = "full is never short",
         .units = {kTank},
         .ammo = {{20, 50}},
         .threshold = 100,
         .result = 0,
         .supplies = 0},
        {.what = "second member short",
         .units = {kTank, kTruck},
         .ammo = {{20, 50}, {14}},
         .threshold = 50,
         .result = 1,
         .supplies = 1},
        {.what = "first short member decides",
         .units = {kMortar, kTruck},
         .ammo = {{19}, {14}},
         .threshold = 50,
         .result = 1,
         .supplies = 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        With(c.units);
        troop.SetFormationByte238(0, static_cast<std::uint8_t>(c.threshold));
        for (std::size_t m = 0; m < c.ammo.size(); ++m) {
            for (std::size_t w = 0; w < c.ammo[m].size(); ++w) {
                troop.SetMemberAmmo(static_cast<int>(m), static_cast<int>(w),
                                    static_cast<std::uint8_t>(c.ammo[m][w]));
            }
        }
        int supplies = 7;
        EXPECT_EQ(IsSupplyShort(troop, &supplies), c.result);
        EXPECT_EQ(supplies, c.supplies);
    }
}

TEST_F(TroopQueriesTest, UnderStrengthStopsAtAMemberWithoutMachines) {
    struct Case {
        const char* what;
        std::vector<int> units;
        std::vector<int> strength;
        int threshold;
        int expected;
    };
    const Case cases[] = {
        {"full", {kTank}, {4}, 50, 0},
        {"a quarter", {kTank}, {1}, 50, 1},
        {"half", {kTank}, {2}, 50, 0},
        {"later member below", {kTank, kTruck}, {4, 1}, 50, 1},
        {"earlier member empty", {kTank, kTruck}, {0, 1}, 50, 0},
        {"headquarters left out", {kHq, kTank}, {0, 1}, 50, 1},
        {"threshold 0", {kTank}, {1}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        With(c.units);
        troop.SetFormationByte239(0, static_cast<std::uint8_t>(c.threshold));
        for (std::size_t m = 0; m < c.strength.size(); ++m) {
            troop.SetMemberStrength(static_cast<int>(m), static_cast<std::uint8_t>(c.strength[m]));
        }
        EXPECT_EQ(IsUnderStrength(troop), c.expected);
    }
}

TEST_F(TroopQueriesTest, ClassMoveCostTableComesFromTheOptionUnit) {
    struct Case {
        const char* what;
        std::uint16_t mask;
        std::uint16_t word358;
        int rocketAmmo;
        int rocketCounter;
        int untouchedOnly;
        bool filled;
    };
    const Case cases[] = {
        {.what = "rocket class",
         .mask = 0x0001,
         .word358 = 0,
         .rocketAmmo = 4,
         .rocketCounter = 0,
         .untouchedOnly = 0,
         .filled = true},
        {.what = "decoy's option unit has no kind",
         .mask = 0x0002,
         .word358 = 0,
         .rocketAmmo = 4,
         .rocketCounter = 0,
         .untouchedOnly = 0,
         .filled = false},
        {.what = "class nobody has",
         .mask = 0x0004,
         .word358 = 0,
         .rocketAmmo = 4,
         .rocketCounter = 0,
         .untouchedOnly = 0,
         .filled = false},
        {.what = "mask from the order",
         .mask = 0,
         .word358 = 0x0001,
         .rocketAmmo = 4,
         .rocketCounter = 0,
         .untouchedOnly = 0,
         .filled = true},
        {.what = "no mask at all",
         .mask = 0,
         .word358 = 0,
         .rocketAmmo = 4,
         .rocketCounter = 0,
         .untouchedOnly = 0,
         .filled = false},
        {.what = "no rockets left",
         .mask = 0x0001,
         .word358 = 0,
         .rocketAmmo = 0,
         .rocketCounter = 0,
         .untouchedOnly = 0,
         .filled = false},
        {.what = "fired rockets count",
         .mask = 0x0001,
         .word358 = 0,
         .rocketAmmo = 4,
         .rocketCounter = 3,
         .untouchedOnly = 0,
         .filled = true},
        {.what = "fired rockets skipped",
         .mask = 0x0001,
         .word358 = 0,
         .rocketAmmo = 4,
         .rocketCounter = 3,
         .untouchedOnly = 1,
         .filled = false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        With({kTank, kLauncher});
        SetWord358(troop, c.word358);
        troop.SetMemberAmmo(1, 0, static_cast<std::uint8_t>(c.rocketAmmo));
        troop.SetMemberWeaponByte16(1, 0, static_cast<std::uint8_t>(c.rocketCounter));
        std::uint8_t out[29];
        std::memset(out, 0xEE, sizeof out);
        EXPECT_EQ(BuildClassMoveCostTable(troop, out, c.untouchedOnly, c.mask), 0);
        for (int t = 0; t < 29; ++t) {
            // The rocket body flies: 1 everywhere, 0 and 255 (terrain 9, 10) become 0.
            const std::uint8_t expected = !c.filled ? 0xEE : (t == 9 || t == 10 ? 0 : 1);
            ASSERT_EQ(out[t], expected) << "terrain " << t;
        }
    }
}

TEST_F(TroopQueriesTest, TargetScoreIsTheMeanOfEachMembersBestWeapon) {
    struct Case {
        const char* what;
        std::vector<int> units;
        int targetClass, minimumRange, special;
        std::function<void(TroopCursor&)> prepare;
        std::uint16_t expected;
    };
    auto nothing = [](TroopCursor&) {};
    const Case cases[] = {
        {"cannon: 60 x 5 x 3 x 4", {kTank}, 3, 0, 0, nothing, 3600},
        {"no special weapon", {kTank}, 3, 0, 1, nothing, 0},
        {"rocket as special: 40 x 20 x 1 x 2", {kLauncher}, 3, 0, 1, nothing, 1600},
        {"rocket is no plain weapon", {kLauncher}, 3, 0, 0, nothing, 0},
        {"range 2 keeps the cannon", {kTank}, 3, 2, 0, nothing, 3600},
        {"range 3 keeps nothing", {kTank}, 3, 3, 0, nothing, 0},
        {"fired cannon: rifle 30 x 4 x 1 x 4",
         {kTank},
         3,
         0,
         0,
         [](TroopCursor& t) { t.SetMemberWeaponByte16(0, 0, 1); },
         480},
        {"empty cannon", {kTank}, 3, 0, 0, [](TroopCursor& t) { t.SetMemberAmmo(0, 0, 0); }, 480},
        {"weaker strength",
         {kTank},
         3,
         0,
         0,
         [](TroopCursor& t) { t.SetMemberStrength(0, 1); },
         900},
        {"a member without weapons halves it", {kTank, kHq}, 3, 0, 0, nothing, 1800},
        {"best compared in 16 bits", {kBattleship}, 3, 0, 0, nothing, 20000},
        {"total kept in 16 bits",
         {kBattleship, kBattleship, kBattleship, kBattleship},
         3,
         0,
         0,
         nothing,
         3616},
        {"target class beyond the table", {kTank}, 10, 0, 0, nothing, 0},
        {"no members", {}, 3, 0, 0, nothing, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        With(c.units);
        c.prepare(troop);
        EXPECT_EQ(ScoreTroopAgainstTarget(troop, c.targetClass, c.minimumRange, c.special),
                  c.expected);
    }
}

TEST_F(TroopQueriesTest, AttackKindsAndAmmunitionRules) {
    struct Case {
        const char* what;
        std::vector<int> units;
        int kind, ammoRule;
        std::function<void(TroopCursor&)> prepare;
        int expected;
    };
    auto nothing = [](TroopCursor&) {};
    auto noBombs = [](TroopCursor& t) { t.SetMemberAmmo(0, 0, 0); };
    auto bombFired = [](TroopCursor& t) { t.SetMemberWeaponByte16(0, 0, 1); };
    auto secondKind = [](TroopCursor& t) {
        t.SetMemberAmmo(0, 0, 0);
        t.SetStateFlags(kTroopPartKindB);
    };
    const Case cases[] = {
        {"cannon against kind 0", {kTank}, 0, 0, nothing, 1},
        {"rockets are not kind 0", {kLauncher}, 0, 0, nothing, 0},
        {"bomb against kind 1", {kBomber}, 1, 0, nothing, 1},
        {"cannon is not kind 1", {kTank}, 1, 0, nothing, 0},
        {"empty bombs pass rule 0", {kBomber}, 1, 0, noBombs, 1},
        {"empty bombs fail rule 1", {kBomber}, 1, 1, noBombs, 0},
        {"guided weapon on a part of the second kind", {kBomber}, 1, 1, secondKind, 1},
        {"fired bomb passes rule 1", {kBomber}, 1, 1, bombFired, 1},
        {"fired bomb fails rule 2", {kBomber}, 1, 2, bombFired, 0},
        {"unknown kind", {kTank}, 2, 0, nothing, 0},
        {"unknown rule", {kTank}, 0, 3, nothing, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        With(c.units);
        c.prepare(troop);
        EXPECT_EQ(CanAttackClass(troop, c.kind, c.ammoRule), c.expected);
    }
}

TEST_F(TroopQueriesTest, MovementLayerFromTheOrdersWeaponClasses) {
    struct Case {
        std::vector<int> units;
        std::uint16_t classes;
        std::uint8_t layer;
    };
    const Case cases[] = {
        {{kTank}, 0x0001, 3}, {{kTank}, 0x0080, 3}, {{kTank}, 0x0100, 2}, {{kTank}, 0x0200, 1},
        {{kTank}, 0x0400, 4}, {{kTank}, 0x0800, 4}, {{kTank}, 0x1000, 1}, {{kTank}, 0x4000, 1},
        {{kTank}, 0x0301, 3}, {{kTank}, 0x0000, 2}, {{kBoat}, 0x8000, 3}, {{}, 0, 2},
    };
    for (const Case& c : cases) {
        With(c.units);
        SetWord358(troop, c.classes);
        troop.SetTroopAltitudeClass(c.units.empty() ? 0 : 9);
        EXPECT_EQ(GetMovementLayer(troop), c.layer) << std::hex << c.classes;
        if (!c.units.empty()) {
            EXPECT_NE(troop.GetTroopAltitudeClass(), 9);
        }
    }
}

TEST_F(TroopQueriesTest, RebuildFormationFillsEmptySlotsInSourceOrder) {
    struct Case {
        const char* what;
        std::uint8_t source[6], target[6], after[6];
    };
    const std::uint8_t X = 0xFF;
    const Case cases[] = {
        {"empty target copies", {2, X, 0, 1, X, 4}, {X, X, X, X, X, X}, {2, X, 0, 1, X, 4}},
        {"missing members fill the first empty slots",
         {0, 1, 2, 3, X, X},
         {X, 3, X, 0, X, X},
         {1, 3, 2, 0, X, X}},
        {"members without room stay out",
         {0, 1, 2, 3, 4, 5},
         {5, 5, 5, 5, 5, X},
         {5, 5, 5, 5, 5, 0}},
        {"a damaged entry counts as empty",
         {0, 1, X, X, X, X},
         {7, X, X, X, X, 1},
         {0, X, X, X, X, 1}},
        {"nothing missing", {0, 1, X, X, X, X}, {X, X, 1, X, 0, X}, {X, X, 1, X, 0, X}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        With({});
        for (int s = 0; s < 6; ++s) {
            troop.SetFormationMember(1, s, c.source[s]);
            troop.SetFormationMember(3, s, c.target[s]);
        }
        EXPECT_EQ(RebuildFormation(troop, 1, 3), 1);
        for (int s = 0; s < 6; ++s) EXPECT_EQ(troop.GetFormationMember(3, s), c.after[s]) << s;
    }
    const std::uint64_t before = RecordHash();
    EXPECT_EQ(RebuildFormation(troop, 1, 4), 0);
    EXPECT_EQ(RebuildFormation(troop, -1, 2), 0);
    EXPECT_EQ(RecordHash(), before);
}

TEST_F(TroopQueriesTest, RebuildAllFormationsKeepsTheCurrentOne) {
    With({kTank, kTruck, kMortar});
    EXPECT_EQ(HasAlternativeFormations(troop), 0);
    troop.SetCurrentFormation(0);
    troop.SetFormationMember(2, 4, 1);
    EXPECT_EQ(HasAlternativeFormations(troop), 1);
    EXPECT_EQ(RebuildAllFormations(troop), 1);
    EXPECT_EQ(troop.GetCurrentFormation(), 0);
    const std::uint8_t expected2[6] = {0, 2, 0xFF, 0xFF, 1, 0xFF};
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(troop.GetFormationMember(1, s), troop.GetFormationMember(0, s)) << s;
        EXPECT_EQ(troop.GetFormationMember(2, s), expected2[s]) << s;
    }
    troop.SetCurrentFormation(6);
    EXPECT_EQ(RebuildAllFormations(troop), 0);
}

TEST_F(TroopQueriesTest, LoadAndUnloadCarriedTroops) {
    MakeTroop(0, {kTruck}, 0, MakeHexPosition(3, 4));
    MakeTroop(1, {kTank}, 0, MakeHexPosition(9, 9));
    MakeTroop(2, {kInfantry}, 0, MakeHexPosition(8, 8));
    troop.Select(7);
    EXPECT_EQ(LoadTroop(troop, 0, 1), 0);
    EXPECT_EQ(troop.GetIndex(), 7);
    EXPECT_EQ(LoadTroop(troop, 0, 2), 0);
    troop.Select(0);
    EXPECT_NE(troop.GetStateFlags() & kTroopCarrying, 0);
    troop.Select(1);
    EXPECT_EQ(troop.GetCarrier(), 0);
    EXPECT_EQ(troop.GetHexValue(), MakeHexPosition(3, 4));
    EXPECT_NE(troop.GetStateFlags() & kTroopAboard, 0);

    // Troop 3 is not aboard: nothing changes.
    MakeTroop(3, {kTank}, 0, MakeHexPosition(5, 5));
    troop.Select(0);
    const std::vector<std::uint8_t> before(tables.GetTableBase(TableId::Troop),
                                           tables.GetTableBase(TableId::Troop) + 418 * 255);
    EXPECT_EQ(UnloadTroop(troop, 0, 3, MakeHexPosition(1, 1)), 0);
    EXPECT_EQ(std::memcmp(before.data(), tables.GetTableBase(TableId::Troop), before.size()), 0);

    // Two aboard: the carrier keeps carrying after the first leaves.
    troop.Select(0);
    UnloadTroop(troop, 0, 1, MakeHexPosition(3, 5));
    EXPECT_EQ(troop.GetIndex(), 0);
    EXPECT_NE(troop.GetStateFlags() & kTroopCarrying, 0);
    troop.Select(1);
    EXPECT_EQ(troop.GetCarrier(), 0xFFFF);
    EXPECT_EQ(troop.GetHexValue(), MakeHexPosition(3, 5));
    EXPECT_EQ(troop.GetStateFlags() & kTroopAboard, 0);
    for (int m = 0; m < 6; ++m) EXPECT_EQ(troop.GetMemberByte26(m), 0xFF);
    troop.Select(0);
    UnloadTroop(troop, 0, 2, MakeHexPosition(2, 5));
    EXPECT_EQ(troop.GetStateFlags() & kTroopCarrying, 0);
}

TEST_F(TroopQueriesTest, RestoreFullRefillsAndClampNeverRaises) {
    With({kTank});
    troop.SetMemberFuel(0, 500);
    troop.SetMemberAmmo(0, 0, 25);
    troop.SetMemberAmmo(0, 1, 10);
    troop.SetMemberStrength(0, 2);
    troop.SetMemberDurability(0, 33);

    ClampSuppliesToPack(troop, 1);
    EXPECT_EQ(troop.GetMemberFuel(0), 300);
    EXPECT_EQ(troop.GetMemberAmmo(0, 0), 20);
    EXPECT_EQ(troop.GetMemberAmmo(0, 1), 10);
    EXPECT_EQ(troop.GetMemberWeaponByte16(0, 0), 2);  // the cannon's firing count
    EXPECT_EQ(troop.GetMemberStrength(0), 2);

    SpendFireCounts(troop, 1);
    EXPECT_EQ(troop.GetMemberWeaponByte16(0, 0), 1);
    EXPECT_EQ(troop.GetMemberWeaponByte16(0, 1), 0);

    RestoreFull(troop, 0);
    EXPECT_EQ(troop.GetMemberFuel(0), 300);
    EXPECT_EQ(troop.GetMemberAmmo(0, 1), 50);
    EXPECT_EQ(troop.GetMemberStrength(0), 4);
    EXPECT_EQ(troop.GetMemberDurability(0), 33);
    EXPECT_EQ(troop.GetMemberWeaponByte16(0, 0), 1);

    // A member whose unit no longer exists is never filled with another unit's values.
    troop.GetRecord()->Member(0).SetUnit(300);
    troop.SetMemberFuel(0, 7);
    RestoreFull(troop, 1);
    ClampSuppliesToPack(troop, 1);
    EXPECT_EQ(troop.GetMemberFuel(0), 7);
}

TEST_F(TroopQueriesTest, ConsumeSuppliesTakesMachinesAndSupplyAmmunition) {
    struct Case {
        const char* what;
        std::vector<int> units;
        int n;
        int result;
        std::vector<int> strengthAfter;  // per slot, -1 for a removed member
        std::vector<int> cratesAfter;    // ammunition of slot 0's weapons 0 and 1
    };
    const Case cases[] = {
        {.what = "one machine",
         .units = {kTruck},
         .n = 1,
         .result = 1,
         .strengthAfter = {4},
         .cratesAfter = {}},
        {.what = "two trucks, two machines",
         .units = {kTruck, kTruck},
         .n = 2,
         .result = 1,
         .strengthAfter = {4, 4},
         .cratesAfter = {}},
        {.what = "two trucks, one machine",
         .units = {kTruck, kTruck},
         .n = 1,
         .result = 1,
         .strengthAfter = {4, 5},
         .cratesAfter = {}},
        {.what = "one crate",
         .units = {kAmmoCarrier},
         .n = 1,
         .result = 1,
         .strengthAfter = {2},
         .cratesAfter = {2, 3}},
        {.what = "two crates",
         .units = {kAmmoCarrier},
         .n = 2,
         .result = 1,
         .strengthAfter = {2},
         .cratesAfter = {2, 2}},
        {.what = "nothing to take",
         .units = {kTank},
         .n = 1,
         .result = 0,
         .strengthAfter = {4},
         .cratesAfter = {}},
        {.what = "last machine removes the member",
         .units = {kTruck},
         .n = 1,
         .result = 1,
         .strengthAfter = {-1},
         .cratesAfter = {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        With(c.units);
        if (std::string(c.what) == "last machine removes the member") {
            troop.SetMemberStrength(0, 1);
        }
        EXPECT_EQ(ConsumeSupplies(troop, c.n), c.result);
        for (std::size_t s = 0; s < c.strengthAfter.size(); ++s) {
            if (c.strengthAfter[s] < 0) {
                EXPECT_EQ(troop.GetMemberUnit(static_cast<int>(s)), -1);
            } else {
                EXPECT_EQ(troop.GetMemberStrength(static_cast<int>(s)), c.strengthAfter[s]) << s;
            }
        }
        for (std::size_t w = 0; w < c.cratesAfter.size(); ++w) {
            EXPECT_EQ(troop.GetMemberAmmo(0, static_cast<int>(w)), c.cratesAfter[w]) << w;
        }
    }
    // The count starts again at a member that is not of the supply kind.
    With({kTruck, kAmmoCarrier});
    EXPECT_EQ(ConsumeSupplies(troop, 2), 1);
    EXPECT_EQ(troop.GetMemberStrength(0), 4);
    EXPECT_EQ(troop.GetMemberAmmo(1, 0), 2);
    EXPECT_EQ(troop.GetMemberAmmo(1, 1), 2);
    // A fired crate weapon is not taken from.
    With({kAmmoCarrier});
    troop.SetMemberWeaponByte16(0, 0, 1);
    EXPECT_EQ(ConsumeSupplies(troop, 1), 1);
    EXPECT_EQ(troop.GetMemberAmmo(0, 0), 3);
    EXPECT_EQ(troop.GetMemberAmmo(0, 1), 2);
}

TEST_F(TroopQueriesTest, RadarRangeBySightFlags) {
    struct Case {
        int slot, layer, flags;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {0, 2, 0x01, 3}, {0, 2, 0x09, 2}, {0, 2, 0x02, 3},   {0, 2, 0x0A, 1}, {0, 2, 0x00, 255},
        {0, 1, 0x01, 0}, {0, 7, 0x01, 0}, {2, 2, 0x01, 255}, {6, 2, 0x01, 0}, {1, 2, 0x01, 0},
    };
    With({kTank, kTruck});
    for (const Case& c : cases) {
        EXPECT_EQ(GetMemberRadarRange(troop, c.slot, c.layer, c.flags, 0), c.expected)
            << "slot " << c.slot << " layer " << c.layer << " flags " << c.flags;
    }
    EXPECT_EQ(GetBestMemberValue(troop, 2, 0x01, 0), 3);
    EXPECT_EQ(GetBestMemberValue(troop, 2, 0x00, 0), 0);
}

TEST_F(TroopQueriesTest, MemberAggregates) {
    struct Case {
        const char* what;
        std::vector<int> units;
        std::function<long long(TroopCursor&)> query;
        long long expected;
    };
    const std::vector<int> tankTruck = {kTank, kTruck};
    const std::vector<int> none = {};
    const Case cases[] = {
        {"concealment", tankTruck,
         [](TroopCursor& t) { return GetMinMemberConcealment(t, 2, 6, 0); }, 26},
        {"concealment with a slow member",
         {kTank, kArtillery},
         [](TroopCursor& t) { return GetMinMemberConcealment(t, 2, 6, 0); },
         0},
        {"concealment off the tables", tankTruck,
         [](TroopCursor& t) { return GetMinMemberConcealment(t, 2, 200, 0); }, 0},
        {"concealment, none", none,
         [](TroopCursor& t) { return GetMinMemberConcealment(t, 2, 6, 0); }, 255},
        {"member concealment", tankTruck,
         [](TroopCursor& t) { return GetMemberConcealment(t, 1, 1, 4, 0); }, 14},
        {"terrain defence", tankTruck, [](TroopCursor& t) { return GetTerrainDefence(t, 8); }, 24},
        {"terrain defence off the table", tankTruck,
         [](TroopCursor& t) { return GetTerrainDefence(t, 29); }, 254},
        {"terrain defence, none", none, [](TroopCursor& t) { return GetTerrainDefence(t, 8); },
         254},
        {"can transform",
         {kTank, kLauncher},
         [](TroopCursor& t) { return AnyMemberCanTransform(t); },
         1},
        {"cannot transform", tankTruck, [](TroopCursor& t) { return AnyMemberCanTransform(t); }, 0},
        {"lowest own defence", tankTruck,
         [](TroopCursor& t) { return GetLowestDefenceOfMembers(t); }, 14},
        {"lowest own defence, none", none,
         [](TroopCursor& t) { return GetLowestDefenceOfMembers(t); }, 255},
        {"defence types", tankTruck, [](TroopCursor& t) { return GetMemberClassMask(t); }, 0x18},
        {"day sight", tankTruck, [](TroopCursor& t) { return GetMinSight(t, 0); }, 3},
        {"night sight", tankTruck, [](TroopCursor& t) { return GetMinSight(t, 1); }, 1},
        {"sight, none", none, [](TroopCursor& t) { return GetMinSight(t, 0); }, 0},
        {"special ability",
         {kTank, kLauncher},
         [](TroopCursor& t) { return HasSpecialAbilityBit0(t); },
         1},
        {"no special ability", tankTruck, [](TroopCursor& t) { return HasSpecialAbilityBit0(t); },
         0},
        {"transform time",
         {kTank, kLauncher},
         [](TroopCursor& t) { return GetMaxTransformTime(t); },
         5},
        {"strength of flag-0 kinds",
         {kTank, kLauncher},
         [](TroopCursor& t) { return SumStrengthOfKindFlag0(t); },
         2},
        {"supply stock",
         {kTruck, kAmmoCarrier},
         [](TroopCursor& t) {
             std::uint8_t out = 99;
             SumSupplyStock(t, &out);
             return out;
         },
         11},
        {"supply stock, none",
         {kTank},
         [](TroopCursor& t) {
             std::uint8_t out = 99;
             SumSupplyStock(t, &out);
             return out;
         },
         0},
        {"weapon classes",
         {kTank, kLauncher},
         [](TroopCursor& t) { return GetWeaponClassMask(t); },
         0x0003},
        {"weapon classes without rockets",
         {kLauncher},
         [](TroopCursor& t) {
             t.SetMemberAmmo(0, 0, 0);
             return GetWeaponClassMask(t);
         },
         0x0002},
        {"longest range", {kLauncher}, [](TroopCursor& t) { return GetWeaponRange(t, 0x3, 1); }, 6},
        {"shortest range",
         {kLauncher},
         [](TroopCursor& t) { return GetWeaponRange(t, 0x3, 0); },
         2},
        {"range of one class",
         {kLauncher},
         [](TroopCursor& t) { return GetWeaponRange(t, 0x1, 0); },
         6},
        {"range of no class",
         {kLauncher},
         [](TroopCursor& t) { return GetWeaponRange(t, 0x4, 1); },
         0},
        {"first icon",
         {kTank, kLauncher},
         [](TroopCursor& t) { return GetIconOfFirstMember(t); },
         3},
        {"first icon, none", none, [](TroopCursor& t) { return GetIconOfFirstMember(t); }, 0},
        {"has kind 118", tankTruck, [](TroopCursor& t) { return HasMemberOfKind(t, 118); }, 1},
        {"has kind 101", tankTruck, [](TroopCursor& t) { return HasMemberOfKind(t, 101); }, 0},
        {"day search", tankTruck, [](TroopCursor& t) { return GetDaySearchValue(t, 2, 6, 0, 0); },
         29},
        {"night search", tankTruck,
         [](TroopCursor& t) { return GetNightSearchValue(t, 2, 6, 0, 0); }, 27},
        {"day search, none", none, [](TroopCursor& t) { return GetDaySearchValue(t, 2, 6, 0, 0); },
         255},
        {"day search as is",
         {kLauncher},
         [](TroopCursor& t) { return GetDaySearchValue(t, 2, 6, 0, 0); },
         26},
        {"day search transformed",
         {kLauncher},
         [](TroopCursor& t) { return GetDaySearchValue(t, 2, 6, 0, 1); },
         0},
        {"base move cost", {kTank}, [](TroopCursor& t) { return GetBaseTerrainMoveCost(t, 0); }, 2},
        {"base move cost, slowest",
         {kTank, kArtillery},
         [](TroopCursor& t) { return GetBaseTerrainMoveCost(t, 1); },
         6},
        {"base move cost, fastest",
         {kTank, kArtillery},
         [](TroopCursor& t) { return GetBaseTerrainMoveCost(t, 0); },
         2},
        {"base move cost at sea",
         {kBoat},
         [](TroopCursor& t) { return GetBaseTerrainMoveCost(t, 0); },
         2},
        {"base move cost, a member stuck",
         {kTank, kBoat},
         [](TroopCursor& t) { return GetBaseTerrainMoveCost(t, 0); },
         255},
        {"base move cost, no movement class",
         {kBadMoveClass},
         [](TroopCursor& t) { return GetBaseTerrainMoveCost(t, 0); },
         255},
        {"base move cost, none", none, [](TroopCursor& t) { return GetBaseTerrainMoveCost(t, 0); },
         255},
        {"fuel range", tankTruck,
         [](TroopCursor& t) {
             std::uint16_t most = 0;
             const long long least = GetFuelRangeSteps(t, &most);
             return least * 1000 + most;
         },
         150200},
        {"fuel range, a member stuck",
         {kTank, kBoat},
         [](TroopCursor& t) {
             std::uint16_t most = 0;
             const long long least = GetFuelRangeSteps(t, &most);
             return least * 1000 + most;
         },
         150},
        {"fuel range, none", none,
         [](TroopCursor& t) {
             std::uint16_t most = 9;
             const long long least = GetFuelRangeSteps(t, &most);
             return least * 1000 + most;
         },
         0xFFFF * 1000LL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        With(c.units);
        EXPECT_EQ(c.query(troop), c.expected);
    }
}

TEST_F(TroopQueriesTest, SingleMemberLoadClasses) {
    With({kTank, kTruck});
    std::uint8_t out[8];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(MemberCanLoad(troop, 0, out), 1);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[1], 0xEE);
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(AnyMemberLoadClass(troop, 1, out), 1);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[2], 5);
    EXPECT_EQ(MemberCanLoad(troop, 2, out), 0);
    EXPECT_EQ(AnyMemberLoadClass(troop, 6, out), 0);
}

TEST_F(TroopQueriesTest, RearmingNeedsAnOwnSuppliedSiteThatServesTheKind) {
    SiteCursor sites(tables);
    sites.ClearAllSites();
    const std::uint16_t city = sites.AddSite(2, 0, MakeHexPosition(1, 1));
    const std::uint16_t town = sites.AddSite(3, 0, MakeHexPosition(2, 2));
    for (std::uint16_t s : {city, town}) {
        sites.Select(s);
        sites.SetSupplied(1);
    }
    With({kTank});
    struct Case {
        const char* what;
        std::uint8_t country;
        std::uint16_t site, unit;
        int expected;
    };
    const Case cases[] = {
        {"own supplied city", 0, city, kTank, 1},
        {"another country's", 1, city, kTank, 0},
        {"a town serves nobody", 0, town, kTank, 0},
        {"kind type not served", 0, city, kLauncher, 0},
        {"no site", 0, 0xFFFF, kTank, 0},
        {"no unit", 0, city, 0xFFFF, 0},
        {"site beyond the table", 0, 200, kTank, 0},
    };
    for (const Case& c : cases) {
        std::int32_t price = -1;
        EXPECT_EQ(CanRearmAtSite(troop, sites, c.country, c.site, c.unit, &price), c.expected)
            << c.what;
        EXPECT_EQ(price, c.expected ? 500 : -1) << c.what;
    }
    sites.Select(city);
    sites.SetSupplied(0);
    std::int32_t price = -1;
    EXPECT_EQ(CanRearmAtSite(troop, sites, 0, city, kTank, &price), 0);
    sites.SetSupplied(1);

    // Only units with more than one fuelled pack can change their arms.
    With({kTank});
    EXPECT_EQ(CanRearmMembersAtSite(troop, sites, city), 1);
    With({kTruck});
    EXPECT_EQ(CanRearmMembersAtSite(troop, sites, city), 0);
    With({kTruck, kTank});
    EXPECT_EQ(CanRearmMembersAtSite(troop, sites, city), 1);
}

TEST_F(TroopQueriesTest, ActivityCodeAndLaunchSlots) {
    struct Case {
        std::uint16_t flags, actions, destination;
        std::uint8_t code;
    };
    const Case cases[] = {
        {kTroopCarrying, kActionAttack, 0x0101, 1},
        {0, kActionAttack | kActionOccupy, 0x0101, 2},
        {0, kActionOccupy, 0x0101, 3},
        {0, kActionSupply, 0x0101, 4},
        {0, 0, 0xFFFF, 5},
        {0, kActionMove, 0x0101, 0},
    };
    for (const Case& c : cases) {
        With({kTank});
        troop.SetStateFlags(c.flags);
        troop.SetOrder(c.actions);
        troop.SetDestination(c.destination);
        EXPECT_EQ(GetActivityCode(troop), c.code) << c.flags << " " << c.actions;
    }

    troop.Select(9);
    EXPECT_EQ(FindFreeLaunchSlot(troop), 160);
    MakeTroop(160, {kRocketBody}, 1);
    MakeTroop(161, {}, 1);
    troop.Select(9);
    EXPECT_EQ(FindFreeLaunchSlot(troop), 161);
    EXPECT_EQ(troop.GetIndex(), 9);
    for (std::uint16_t t = 161; t < 255; ++t) MakeTroop(t, {kRocketBody}, 1);
    EXPECT_EQ(FindFreeLaunchSlot(troop), 0xFFFF);
    ForceCursor corps(tables);
    EXPECT_EQ(FindFreeLaunchSlot(corps), 0xFFFF);
}

TEST_F(TroopQueriesTest, OrderFieldAccessorsUseTheirOffsets) {
    With({kTank});
    SetByte360(troop, 0x11);
    SetWord361(troop, 0x2233);
    SetByte363(troop, 0x44);
    SetWord358(troop, 0x5566);
    SetByte381(troop, 0x77);
    SetByte416(troop, 0x88);
    SetByte417(troop, 0x99);
    const TroopRecord& r = *troop.GetRecord();
    EXPECT_EQ(r.U8(360), 0x11);
    EXPECT_EQ(r.U16(361), 0x2233);
    EXPECT_EQ(r.U8(363), 0x44);
    EXPECT_EQ(r.U16(358), 0x5566);
    EXPECT_EQ(r.U8(381), 0x77);
    EXPECT_EQ(r.U8(416), 0x88);
    EXPECT_EQ(r.U8(417), 0x99);
    std::uint16_t hex = 0;
    EXPECT_EQ(GetWord361(troop, &hex), &hex);
    EXPECT_EQ(hex, 0x2233);
    EXPECT_EQ(GetByte360(troop), 0x11);
    EXPECT_EQ(GetByte363(troop), 0x44);
    EXPECT_EQ(GetWord358(troop), 0x5566);
    EXPECT_EQ(GetByte381(troop), 0x77);
    EXPECT_EQ(GetByte416(troop), 0x88);
    EXPECT_EQ(GetByte417(troop), 0x99);

    troop.SetFormationByte236(2, 1);
    troop.SetCurrentFormation(2);
    EXPECT_EQ(GetCurrentFormationByte236(troop), 1);
    troop.SetCurrentFormation(8);
    EXPECT_EQ(GetCurrentFormationByte236(troop), 0);
}

TEST_F(TroopQueriesTest, TransformMembersTurnsEveryTransformableMember) {
    With({kTank, kLauncher, kLauncher});
    troop.SetWord382(3);
    EXPECT_EQ(TransformMembers(troop), 0);
    EXPECT_EQ(troop.GetMemberUnit(0), kTank);
    EXPECT_EQ(troop.GetMemberUnit(1), kLauncherFlying);
    EXPECT_EQ(troop.GetMemberUnit(2), kLauncherFlying);
    EXPECT_EQ(troop.GetWord382(), 5);  // the flying form's kind byte 29
    EXPECT_EQ(troop.GetCarryCapacity(), 6);
    // The flying members close the mountains the tank could climb.
    EXPECT_EQ(GetMoveCost(troop, 9), 0);
    EXPECT_EQ(GetMoveCost(troop, 0), 2);

    With({kTank});
    TransformMembers(troop);
    EXPECT_EQ(troop.GetWord382(), 100);
    EXPECT_EQ(troop.GetMemberUnit(0), kTank);
}

}  // namespace
}  // namespace zv::rules
