// The fight panes' stage logic without a window: the stage table, the phases tick by tick,
// the side, layout and background each pane chooses, and battles recorded on the default map.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "panels/FightLayout.h"
#include "panels/FightModel.h"
#include "panels/tests/PanelsFixture.h"
#include "rules/records/RuleCursors.h"

namespace zv::panels::fight {
namespace {

TEST(FightStages, StartAndEndTicksInBothDisplays) {
    struct Case {
        int stage;
        bool simple;
        int first, last;  // -1: never
    };
    const Case cases[] = {
        {kBannerStage, false, 0, 10},  {kUnitPlateStage, false, 5, 15},
        {kActionStage, false, 10, 20}, {kResultStage, false, 30, 40},
        {kBarStage, false, 35, 45},    {kAnnihilationStage, false, 45, 55},
        {kBannerStage, true, 0, 10},   {kUnitPlateStage, true, 5, 15},
        {kActionStage, true, -1, -1},  {kResultStage, true, -1, -1},
        {kBarStage, true, 20, 30},     {kAnnihilationStage, true, -1, -1},
    };
    for (const Case& c : cases) {
        int first = -1, last = -1;
        // Every 16-bit tick: a stage that never shows must not appear at any of them.
        for (int f = 0; f <= 0xFFFF; ++f) {
            if (FightStageTime(c.stage, f, c.simple) >= 0) {
                if (first < 0) first = f;
                last = f;
            }
        }
        EXPECT_EQ(first, c.first) << c.stage << (c.simple ? " simple" : " full");
        EXPECT_EQ(last, c.last) << c.stage << (c.simple ? " simple" : " full");
    }
    std::vector<int> levels;
    for (int f = 5; f <= 15; ++f) levels.push_back(FightStageLevel(kUnitPlateStage, f, false));
    EXPECT_EQ(levels, (std::vector<int>{0, 1, 2, 3, 4, 5, 4, 3, 2, 1, 0}));
}

TEST(FightStages, DurabilityPercentOfAUnitWithoutDurabilityIsZero) {
    EXPECT_EQ(DurabilityPercent(30, 60), 50);
    EXPECT_EQ(DurabilityPercent(60, 60), 100);
    EXPECT_EQ(DurabilityPercent(30, 0), 0);
    EXPECT_EQ(DurabilityPercent(0, 0), 0);
}

// A record with one member per side: unit, machines before and after, durabilities.
struct RecordBuilder {
    std::array<uint8_t, kRecordSize> bytes{};
    RecordBuilder() {
        for (int s = 0; s < 2; ++s)
            for (int m = 0; m < kMembers; ++m) Member(s, m)[0] = Member(s, m)[1] = 0xFF;
    }
    uint8_t* Side(int s) { return bytes.data() + kSideSize * s; }
    uint8_t* Member(int s, int m) { return Side(s) + 32 + kMemberSize * m; }
    RecordBuilder& SideInfo(int s, uint8_t country, uint8_t category, uint8_t land,
                            const char* name) {
        Side(s)[2] = country;
        Side(s)[29] = category;
        Side(s)[30] = land;
        std::strncpy(reinterpret_cast<char*>(Side(s) + 4), name, 24);
        return *this;
    }
    RecordBuilder& Unit(int s, int m, int16_t unit, int before, int after,
                        uint8_t targeted = 0xFF) {
        uint8_t* p = Member(s, m);
        p[0] = uint8_t(unit & 0xFF);
        p[1] = uint8_t(uint16_t(unit) >> 8);
        p[2] = uint8_t(before);
        p[40] = uint8_t(after);
        p[38] = targeted;
        p[32] = 0;
        p[24] = 0;
        for (int i = 0; i < before; ++i) p[4 + i] = 40;
        for (int i = 0; i < after; ++i) p[42 + i] = i == 0 ? 20 : 40;
        return *this;
    }
};

class FightModelTest : public testing::PanelsTest {
  protected:
    // A unit of the default rules whose kind is or is not a missile kind (120-126).
    int16_t UnitOfKind(bool missile, int maxStrength = 0) {
        rules::UnitInfoCursor u(game.Tables());
        for (int i = 1; i < 400; ++i) {
            if (!u.Select(i)) break;
            const int kind = u.GetUnitKind();
            if ((kind >= 120 && kind <= 126) == missile &&
                (maxStrength == 0 || u.GetMaxStrength() == maxStrength))
                return int16_t(i);
        }
        return -1;
    }
};

TEST_F(FightModelTest, PhasesRunSixtyOneTicksOrThirtyTwoInTheSimpleDisplay) {
    const int16_t unit = UnitOfKind(false);
    RecordBuilder r;
    r.SideInfo(0, 0, 3, 0, "A")
        .SideInfo(1, 1, 3, 0, "B")
        .Unit(0, 0, unit, 2, 2)
        .Unit(1, 0, unit, 2, 1);
    for (bool simple : {false, true}) {
        FightPaneModel m(0);
        m.Start(r.bytes.data(), simple, &game.Tables(), 0);
        std::vector<int> phaseStarts;  // frame at which each phase begins
        int last = m.Phase();
        phaseStarts.push_back(0);
        int ticks = 0;
        bool finished = false;
        while (!finished && ticks < 200) {
            finished = m.Step(false).finished;
            ++ticks;
            if (m.Phase() != last) {
                phaseStarts.push_back(m.Frame());
                last = m.Phase();
            }
        }
        EXPECT_EQ(ticks, simple ? 32 : 61);
        EXPECT_EQ(m.Phase(), 4);
        // Full: intro 0-13, targeting 14-27, impact 28-31, results 32-60; simple skips targeting.
        EXPECT_EQ(phaseStarts, simple ? (std::vector<int>{0, 14, 18, 32})
                                      : (std::vector<int>{0, 14, 28, 32, 61}));
        EXPECT_FALSE(m.Step(false).finished) << "an idle pane stays idle";
    }
}

TEST_F(FightModelTest, TargetMaskOfFFMeansNoReticles) {
    const int16_t unit = UnitOfKind(false, 4);
    ASSERT_GE(unit, 0);
    RecordBuilder r;
    r.SideInfo(0, 1, 3, 0, "A").SideInfo(1, 0, 3, 0, "B");
    r.Unit(1, 0, unit, 4, 4, 0xFF).Unit(1, 1, unit, 4, 3, 0x05).Unit(0, 0, unit, 4, 4);
    FightPaneModel m(0);  // own side: side B, country 0
    m.Start(r.bytes.data(), false, &game.Tables(), 0);
    ASSERT_EQ(m.ShownSide(), 0);
    EXPECT_EQ(m.Member(0).targeted, 0);
    EXPECT_EQ(m.Member(1).targeted, 0x05);
    Point start{}, motion{};
    FightReticlePath(0, 1, 4, 2, 0, &start, &motion);
    EXPECT_EQ(m.Member(1).reticle[2], start);
    // Through the targeting phase the reticles move on its ticks 3, 4 and 5 only.
    while (m.Phase() < 1) m.Step(false);
    std::vector<Point> path;
    while (m.Phase() == 1) {
        path.push_back(m.Member(1).reticle[0]);
        m.Step(false);
    }
    ASSERT_EQ(path.size(), 14u);
    EXPECT_EQ(path[3], path[0]);
    EXPECT_EQ(path[4].x, path[0].x + 4);
    EXPECT_EQ(path[6].x, path[0].x + 12);
    EXPECT_EQ(path[13], path[6]);
}

TEST_F(FightModelTest, EachPaneShowsTheSideThatFitsItsPlace) {
    const int16_t unit = UnitOfKind(false);
    struct Case {
        uint8_t a, b;              // countries of sides A and B
        int ownShows, enemyShows;  // 1 side A, 0 side B
    };
    // The default map: countries 0 and 1 at war, not allied; the player is country 0.
    const Case cases[] = {
        {0, 1, 1, 0},  // the player attacks
        {1, 0, 0, 1},  // the player is attacked
        {0, 0, 1, 1},  // two allied sides: A in both panes
        {1, 4, 1, 0},  // a fight the player watches
    };
    for (const Case& c : cases) {
        RecordBuilder r;
        r.SideInfo(0, c.a, 3, 0, "A")
            .SideInfo(1, c.b, 3, 0, "B")
            .Unit(0, 0, unit, 1, 1)
            .Unit(1, 0, unit, 1, 1);
        FightPaneModel own(0), enemy(1);
        own.Start(r.bytes.data(), false, &game.Tables(), 0);
        enemy.Start(r.bytes.data(), false, &game.Tables(), 0);
        EXPECT_EQ(own.ShownSide(), c.ownShows) << int(c.a) << "-" << int(c.b);
        EXPECT_EQ(enemy.ShownSide(), c.enemyShows) << int(c.a) << "-" << int(c.b);
        EXPECT_EQ(own.Banner(), c.ownShows ? "A" : "B");
    }
}

TEST_F(FightModelTest, LayoutModeAndBackgroundFollowTheSides) {
    const int16_t ground = UnitOfKind(false);
    const int16_t missile = UnitOfKind(true);
    struct Case {
        uint8_t shownCategory, otherCategory, land;
        bool missile;
        int mode;
        const char* background;
    };
    const Case cases[] = {
        {3, 3, 0, false, 0, "fback03l.bmp"},
        {3, 1, 1, false, 0, "fback04l.bmp"},
        {1, 3, 5, false, 0, "fback01a.bmp"},
        {4, 3, 5, false, 1, "fback01s.bmp"},
        {4, 5, 20, false, 2, "fback02s.bmp"},
        {3, 3, 20, false, 0, "fback07l.bmp"},
        {5, 1, 14, false, 1, "fback02s.bmp"},
        {3, 3, 11, false, 0, "fback05l.bmp"},
        {2, 3, 25, false, 0, "fback06a.bmp"},
        {3, 3, 17, false, 0, "fback07l.bmp"},
        {3, 3, 29, false, 0, ""},
        {7, 3, 0, false, 0, ""},
        // A missile member makes the layout 3 and the category air.
        {4, 4, 5, true, 3, "fback01a.bmp"},
    };
    for (const Case& c : cases) {
        RecordBuilder r;
        r.SideInfo(0, 0, c.shownCategory, c.land, "A").SideInfo(1, 1, c.otherCategory, 0, "B");
        r.Unit(0, 0, c.missile ? missile : ground, 1, 1).Unit(1, 0, ground, 1, 1);
        FightPaneModel own(0);
        own.Start(r.bytes.data(), false, &game.Tables(), 0);
        EXPECT_EQ(own.LayoutMode(), c.mode) << int(c.shownCategory) << "/" << int(c.land);
        EXPECT_EQ(own.BackgroundName(), c.background) << int(c.shownCategory) << "/" << int(c.land);
    }
    RecordBuilder unknown;
    unknown.SideInfo(0, 1, 3, 0, "A")
        .SideInfo(1, 4, 3, 0, "B")
        .Unit(0, 0, ground, 1, 1)
        .Unit(1, 0, ground, 1, 1);
    FightPaneModel enemy(1);
    enemy.Start(unknown.bytes.data(), false, &game.Tables(), 0);
    EXPECT_EQ(enemy.BackgroundName(), "fback_uk.bmp");
}

TEST_F(FightModelTest, HostileCountsStayWithinTheEightMachines) {
    const int16_t unit = UnitOfKind(false);
    RecordBuilder r;
    r.SideInfo(0, 0, 3, 0, "A")
        .SideInfo(1, 1, 3, 0, "B")
        .Unit(0, 0, unit, 1, 1)
        .Unit(1, 0, unit, 1, 1);
    r.Member(0, 0)[2] = 200;  // machines before
    r.Member(0, 0)[40] = 255;
    r.Member(0, 1)[0] = 0x34;  // a unit id past the table
    r.Member(0, 1)[1] = 0x12;
    r.Member(0, 1)[2] = 3;
    FightPaneModel m(0);
    m.Start(r.bytes.data(), false, &game.Tables(), 0);
    EXPECT_EQ(m.Member(0).machinesBefore, kMachines);
    EXPECT_FALSE(m.Member(1).valid);
    while (!m.Step(true).finished) {
    }
}

TEST_F(FightModelTest, RecordedBattlesOfTheDefaultMapPlayTheirStages) {
    const uint16_t a = FindFighter(0);
    const uint16_t b = FindFighter(1);
    ASSERT_NE(a, rules::kNoTroop);
    ASSERT_NE(b, rules::kNoTroop);
    auto battles = RecordBattles(a, b, 3);
    const auto wipeOut = RecordBattles(a, FindFighter(1), 20, true);
    battles.insert(battles.end(), wipeOut.begin(), wipeOut.end());
    ASSERT_FALSE(battles.empty());
    bool sawExchange = false, sawAnnihilation = false, sawTargets = false;
    for (const auto& record : battles) {
        FightPaneModel own(0), enemy(1);
        own.Start(record.data(), false, &game.Tables(), 0);
        enemy.Start(record.data(), false, &game.Tables(), 0);
        EXPECT_EQ(own.ShownSide(), 1);  // the player's attacking troop
        EXPECT_EQ(enemy.ShownSide(), 0);
        EXPECT_EQ(own.ShownCountry(), 0);
        // Each present member of the shown side names a unit of the tables.
        rules::UnitInfoCursor unit(game.Tables());
        for (int k = 0; k < kMembers; ++k) {
            if (own.Member(k).valid) {
                EXPECT_TRUE(unit.Select(own.Member(k).unit));
            }
        }
        // The reticles mark the targeted machines of the attacked side.
        int targeted = 0;
        for (int k = 0; k < kMembers; ++k) targeted += enemy.Member(k).targeted != 0;
        const bool bothKeep = own.ShownSideSurvives() && own.OtherSideSurvives();
        int endFrame = -1, hideFrame = -1;
        for (int tick = 0; tick < 70; ++tick) {
            const int at = enemy.Frame();
            const StepResult e = enemy.Step(false);
            const StepResult o = own.Step(false);
            if ((e.endFight || o.endFight) && endFrame < 0) endFrame = at;
            if (o.hidePane && hideFrame < 0) hideFrame = at;
            if (e.finished) break;
        }
        if (bothKeep) {
            sawExchange = true;
            EXPECT_EQ(endFrame, 45) << "a fight both sides survive ends at frame 45";
        } else if (!own.OtherSideSurvives()) {
            sawAnnihilation = true;
            EXPECT_EQ(endFrame, -1);
            EXPECT_EQ(hideFrame, 45) << "the survivor's pane goes at frame 45";
            for (int k = 0; k < kMembers; ++k) {
                if (enemy.Member(k).valid) {
                    EXPECT_EQ(enemy.ResultRow(k), 2);
                }
            }
        }
        // Targeted machines lie within the members' platoons, and every member that fired
        // names an action plate.
        for (int k = 0; k < kMembers; ++k) {
            const MemberView& v = enemy.Member(k);
            if (v.targeted != 0) {
                EXPECT_LT(v.targeted, 1 << v.platoon) << "member " << k;
            }
            if (own.Member(k).valid && own.Member(k).weaponSlot != 0xFF) {
                EXPECT_GE(own.ActionCode(k), 0);
            }
        }
        sawTargets = sawTargets || targeted > 0;
    }
    EXPECT_TRUE(sawExchange || sawAnnihilation);
    EXPECT_TRUE(sawAnnihilation) << "the attacks never wiped the defender out";
    EXPECT_TRUE(sawTargets);
}

}  // namespace
}  // namespace zv::panels::fight
