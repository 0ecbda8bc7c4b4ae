#include <gtest/gtest.h>

#include "rules/context/RuleHelpers.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/Visibility.h"
#include "rules/tests/RouteSearchFixture.h"

namespace zv::rules {
namespace {

using routetest::World;

// Units of the sight tests (basic units 0-2 come first).
enum : int {
    kScout = 3,         // radar range 5 on every layer, nothing to hide
    kSpecialScout = 4,  // the same with special sight at night
    kRadarScout = 5,    // the same of unit kind 110
    kPlain = 6,         // sees nothing, hides nothing
    kHidden = 7,        // concealment 60 and day sight 40: 100 in daylight
    kHalf = 8,          // concealment 50 on terrain 1 only
    kAlmostHidden = 9,  // concealment 60 and day sight 39: 99 in daylight
};
constexpr std::uint8_t kOpenGround = 0;
constexpr std::uint8_t kCover = 1;

testing::RuleTableWriter SightRules() {
    testing::RuleTableWriter w = testing::RuleTableWriter::Basic();
    while (w.unitKinds.size() <= static_cast<std::size_t>(kRadarUnitKind)) w.AddUnitKind("予備");

    // Movement kinds 2 (open), 3 (hidden) and 4 (half): the ground costs, own concealment.
    const MvcostKdRecord ground = w.mvcostKinds[0];
    for (int k = 0; k < 3; ++k) {
        MvcostKdRecord& m = w.AddMvcostKind();
        m = ground;
        for (int layer = 0; layer < kAltitudeLayerCount; ++layer) {
            for (int t = 0; t < kTerrainCount; ++t) {
                const int concealment = k == 0 ? 0 : k == 1 ? 60 : (t == kCover ? 50 : 0);
                m.SetU8(MvcostKdRecord::ConcealmentOffset(layer, t),
                        static_cast<std::uint8_t>(concealment));
            }
        }
    }

    auto unit = [&](const char* name, int kind, int moveKind, int radar, int day, int night,
                    int special) {
        UnitInfoRecord& u = w.AddUnitInfo(name);
        u.SetU8(UnitInfoRecord::kUnitKind, static_cast<std::uint8_t>(kind));
        u.SetU8(UnitInfoRecord::kAltitudeClass, 3);
        u.SetU8(UnitInfoRecord::kMaxStrength, 4);
        u.SetU16(UnitInfoRecord::kMoveCostKind, static_cast<std::uint16_t>(moveKind));
        for (int layer = 0; layer < kAltitudeLayerCount; ++layer) {
            u.SetU8(UnitInfoRecord::kRadarRange + layer, static_cast<std::uint8_t>(radar));
        }
        u.SetU8(UnitInfoRecord::kDaySight, static_cast<std::uint8_t>(day));
        u.SetU8(UnitInfoRecord::kNightSight, static_cast<std::uint8_t>(night));
        u.SetU8(UnitInfoRecord::kSpecialAbility, static_cast<std::uint8_t>(special));
    };
    unit("斥候", 0, 2, 5, 0, 0, 0);
    unit("夜間斥候", 0, 2, 5, 0, 0, 1);
    unit("レーダー", kRadarUnitKind, 2, 5, 0, 0, 0);
    unit("歩兵", 0, 2, 0, 0, 0, 0);
    unit("偽装兵", 0, 3, 0, 40, 0, 0);
    unit("半偽装兵", 0, 4, 0, 0, 0, 0);
    unit("準偽装兵", 0, 3, 0, 39, 0, 0);

    // The airport sees 1 hex by day.
    w.siteKinds[4].SetU8(SiteKindRecord::kDaySearchRange, 1);
    return w;
}

class VisibilityTest : public ::testing::Test {
  protected:
    VisibilityTest() : w(kOpenGround, SightRules()) {
        w.map.Clock(1, 12, 0);  // daytime
        CountryCursor countries(w.tables);
        for (int c = 0; c < kCountryCount; ++c) {
            countries.Select(c);
            countries.SetState(1);
        }
    }

    void Recompute(std::uint8_t player = 0) {
        w.Settle();
        GameContextEnv env;
        env.playerCountry = player;
        GameContext ctx(w.tables, env);
        RecomputeVisibility(ctx);
    }

    std::uint16_t Mask(std::uint16_t t) {
        TroopCursor cursor(w.tables);
        EXPECT_TRUE(cursor.Select(t));
        return cursor.GetMask28();
    }
    void Move(std::uint16_t t, int x, int y) {
        TroopCursor cursor(w.tables);
        ASSERT_TRUE(cursor.Select(t));
        cursor.SetHex(MakeHexPosition(x, y));
    }
    std::uint16_t Seen(int x, int y) {
        GameContext ctx(w.tables);
        EXPECT_TRUE(ctx.SelectHexInfoXY(x, y));
        return ctx.GetHexFlags();
    }

    World w;
};

TEST_F(VisibilityTest, WithoutTheFogEverythingIsOpen) {
    struct Case {
        const char* name;
        std::uint8_t option;
        std::uint8_t player;
        std::uint8_t playerState;
    };
    for (const Case& c : {Case{"NoReconnaissance", 0, 0, 1}, Case{"Spectator", 1, kNoCountry, 1},
                          Case{"FallenCountry", 1, 0, 3}}) {
        SCOPED_TRACE(c.name);
        ScenarioHeaderCursor(w.tables).SetOptionByte1(c.option);
        CountryCursor countries(w.tables);
        countries.Select(0);
        countries.SetState(c.playerState);
        const std::uint16_t far = w.Troop(1, 60, 60, 0, kPlain);
        w.Settle();
        GameContextEnv env;
        env.playerCountry = c.player;
        GameContext ctx(w.tables, env);
        EXPECT_EQ(UsesFogOfWar(ctx), 0);
        RecomputeVisibility(ctx);
        EXPECT_EQ(Seen(0, 0) & 0x000F, 0x000F);
        EXPECT_EQ(Seen(63, 63) & 0x000F, 0x000F);
        EXPECT_EQ(Mask(far) & 0x00FF, 0x00FF);
        TroopCursor(w.tables).ResetAllTroops();
    }
}

// A source sees exactly the hexes within its reach, also where the map ends.
TEST_F(VisibilityTest, ASourceSeesTheHexesWithinItsReach) {
    const std::uint16_t scout = w.Troop(0, 30, 30, 0, kScout);
    for (auto [sx, sy] :
         {std::pair{30, 30}, std::pair{31, 31}, std::pair{0, 0}, std::pair{63, 63},
          std::pair{1, 40}, std::pair{62, 41}, std::pair{20, 2}, std::pair{21, 61}}) {
        SCOPED_TRACE(::testing::Message() << sx << "," << sy);
        Move(scout, sx, sy);
        Recompute();
        for (int y = 0; y < kMapSize; ++y) {
            for (int x = 0; x < kMapSize; ++x) {
                const bool inReach = HexDistance(sx, sy, x, y) <= 5;
                ASSERT_EQ(Seen(x, y) & 0x0001, inReach ? 1 : 0) << x << "," << y;
            }
        }
    }
}

// Observer (scout, range 5) of country 0 on (10, 10), enemy on the same row.
TEST_F(VisibilityTest, IdentificationByDayAndNight) {
    struct Case {
        const char* name;
        int hour;
        int observer;
        int distance;
        std::uint16_t expected;  // the target's bits for country 0
    };
    const Case cases[] = {
        {"DayTwoHexes", 12, kScout, 2, 0x0110},
        {"DayThreeHexes", 12, kScout, 3, 0x0101},
        {"DayBeyondRange", 12, kScout, 6, 0x0000},
        {"NightAdjacent", 22, kScout, 1, 0x0110},
        {"NightTwoHexes", 22, kScout, 2, 0x0101},
        {"NightSpecialTwoHexes", 22, kSpecialScout, 2, 0x0110},
        {"NightSpecialThreeHexes", 22, kSpecialScout, 3, 0x0101},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TroopCursor(w.tables).ResetAllTroops();
        w.map.Clock(1, static_cast<std::uint8_t>(c.hour), 0);
        w.Troop(0, 10, 10, 0, c.observer);
        const std::uint16_t enemy = w.Troop(1, 10 + c.distance, 10, 0, kPlain);
        Recompute();
        EXPECT_EQ(Mask(enemy) & 0x0111, c.expected);
    }
}

TEST_F(VisibilityTest, ConcealmentOfAHundredIsDetectedButNeverSighted) {
    const std::uint16_t scout = w.Troop(0, 10, 10, 0, kScout);
    const std::uint16_t hidden = w.Troop(1, 12, 10, 0, kHidden);
    Recompute();
    EXPECT_EQ(Mask(hidden) & 0x0111, 0x0100);

    // Radar identifies a target with flag 0x0020 within its range all the same.
    TroopCursor cursor(w.tables);
    ASSERT_TRUE(cursor.Select(scout));
    cursor.ResetCurrentTroop();
    w.Troop(0, 10, 10, 0, kRadarScout);
    ASSERT_TRUE(cursor.Select(hidden));
    cursor.SetStateFlags(static_cast<std::uint16_t>(cursor.GetStateFlags() | kTroopRadarVisible));
    Recompute();
    EXPECT_EQ(Mask(hidden) & 0x0111, 0x0111);

    // Acting, the target is judged by its night sight (0): effective range 5 x 40% = 2.
    cursor.SetStateFlags(static_cast<std::uint16_t>(cursor.GetStateFlags() & ~kTroopRadarVisible));
    cursor.SetMask28(0);
    cursor.SetOrder(0x0002);
    Recompute();
    EXPECT_EQ(Mask(hidden) & 0x0111, 0x0110);
}

// Concealment 99 leaves 5 x 1% = 0 of the range, but a range above 0 never shrinks below 1.
TEST_F(VisibilityTest, AConcealedTargetIsStillSightedAtOneHex) {
    w.Troop(0, 10, 10, 0, kScout);
    const std::uint16_t adjacent = w.Troop(1, 11, 10, 0, kAlmostHidden);
    const std::uint16_t farther = w.Troop(1, 12, 12, 0, kAlmostHidden);
    Recompute();
    EXPECT_EQ(Mask(adjacent) & 0x0111, 0x0110) << "identified at one hex";
    EXPECT_EQ(Mask(farther) & 0x0111, 0x0100) << "only detected beyond it";
}

TEST_F(VisibilityTest, SightingsLastWhileDetectedAndEndWhenNothingReaches) {
    w.Troop(0, 10, 10, 0, kScout);
    const std::uint16_t target = w.Troop(1, 14, 10, 0, kHalf);
    Recompute();
    ASSERT_EQ(Mask(target) & 0x0111, 0x0101);

    // On cover the effective range drops to 2: detected only, and still sighted.
    w.map.Terrain(14, 10, kCover);
    Recompute();
    EXPECT_EQ(Mask(target) & 0x0111, 0x0101);

    Move(target, 40, 10);
    Recompute();
    EXPECT_EQ(Mask(target) & 0x0111, 0x0000);
}

TEST_F(VisibilityTest, AlliesShareWhatTheySeeAndAlwaysSeeEachOther) {
    w.map.Alliance(0, 0x05).Alliance(2, 0x05);
    w.Troop(0, 10, 10, 0, kScout);
    const std::uint16_t ally = w.Troop(2, 50, 50, 0, kPlain);
    const std::uint16_t enemy = w.Troop(1, 13, 10, 0, kPlain);
    Recompute();
    EXPECT_EQ(Mask(ally) & 0x0555, 0x0555);  // countries 0 and 2: all three bits
    EXPECT_EQ(Mask(ally) & 0x0222, 0x0000);
    EXPECT_EQ(Mask(enemy) & 0x0555, 0x0505);  // country 0's sighting is country 2's too
    // The observer's country and its allies see the hexes around it, the enemy does not.
    EXPECT_EQ(Seen(15, 10) & 0x000F, 0x0005);
    EXPECT_EQ(Seen(16, 10) & 0x000F, 0x0000);
}

TEST_F(VisibilityTest, SitesRevealTheirSurroundings) {
    w.map.AddSite(3, 0, 20, 20);                                // day range 3
    const std::uint16_t airport = w.map.AddSite(4, 0, 40, 20);  // day range 1
    w.map.AddSite(3, kNeutralCountry, 20, 40);
    const std::uint16_t near = w.Troop(1, 22, 20, 0, kPlain);
    SiteCursor sites(w.tables);
    ASSERT_TRUE(sites.Select(airport));
    sites.SetSearchPenalty(1);
    Recompute();

    EXPECT_EQ(Seen(23, 20) & 0x0001, 0x0001);
    EXPECT_EQ(Seen(24, 20) & 0x0001, 0x0000);
    EXPECT_EQ(Mask(near) & 0x0111, 0x0101);  // sites sight, they never identify
    // The penalty does not take the last hex of range 1.
    EXPECT_EQ(Seen(41, 20) & 0x0001, 0x0001);
    EXPECT_EQ(Seen(42, 20) & 0x0001, 0x0000);
    // A neutral site reveals nothing.
    EXPECT_EQ(Seen(20, 40) & 0x000F, 0x0000);

    // With the penalty the town sees one hex less.
    ASSERT_TRUE(sites.Select(0));
    sites.SetSearchPenalty(1);
    Recompute();
    EXPECT_EQ(Seen(22, 20) & 0x0001, 0x0001);
    EXPECT_EQ(Seen(23, 20) & 0x0001, 0x0000);
}

// A recompute rewrites only the bits it owns of troops with members; a reset starts every troop
// that selects from 0.
TEST_F(VisibilityTest, ResetStartsEveryMaskFromNothing) {
    const std::uint16_t far = w.Troop(1, 60, 60, 0xF111, kPlain);
    const std::uint16_t gone = w.Troop(1, 61, 60, 0x0111, kPlain);
    TroopCursor cursor(w.tables);
    ASSERT_TRUE(cursor.Select(gone));
    cursor.SetFormationMember(0, 0, kEmptyMapEntry);
    w.Troop(0, 10, 10, 0, kScout);
    w.Settle();
    GameContextEnv env;
    env.playerCountry = 0;
    GameContext ctx(w.tables, env);

    RecomputeVisibility(ctx);
    EXPECT_EQ(Mask(far), 0xF222);  // own country's bits by the alliance step
    EXPECT_EQ(Mask(gone), 0x0111);
    ResetVisibility(ctx);
    EXPECT_EQ(Mask(far), 0x0222);
    EXPECT_EQ(Mask(gone), 0x0000);
}

}  // namespace
}  // namespace zv::rules
