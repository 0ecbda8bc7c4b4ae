// The scripted battle (title 4) and the hex-map battle (title 5): their engines on small
// fixtures and on the built data, and both scenes stepped tick by tick with golden frames.

#include <gtest/gtest.h>

#include <cinttypes>
#include <set>

#include "saver/Scenes.h"
#include "saver/Sprites.h"
#include "saver/Title4Battle.h"
#include "saver/Title5Battle.h"
#include "saver/tests/SaverTestSupport.h"

namespace zv::saver {
namespace {

using testing::CountNonBlack;
using testing::MakeState;
using testing::Shot;

std::string Hex(uint64_t v) {
    char b[24];
    std::snprintf(b, sizeof b, "%016" PRIx64, v);
    return b;
}

int RunToEnd(Scene& scene, int bound, int* result, const std::function<void(int)>& each = {}) {
    for (int tick = 1; tick <= bound; ++tick) {
        const int r = scene.Step(false);
        if (each) each(tick);
        if (r != 0) {
            *result = r;
            return tick;
        }
    }
    *result = 0;
    return bound;
}

// ---- shared rules ----

TEST(SaverBattleRules, HitChance) {
    struct Case {
        int a, b, c, d, e, f, want;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 50, 0, 0},      // no attack value: no chance at all
        {60, 0, 0, 0, 0, 0, 60},
        {60, 50, 0, 0, 0, 0, 30},
        {60, 50, 50, 50, 0, 0, 7},   // 60 -> 30 -> 15 -> 7, each step rounded down
        {80, 0, 0, 0, 40, 0, 100},   // capped
        {10, 0, 0, 0, 0, 40, 1},     // armour eats it all: 0 becomes 1
        {10, 99, 0, 0, 0, 0, 1},
        {50, 0, 0, 0, 10, 21, 50},   // 50 + 10 - 21 / 2
    };
    for (const Case& c : cases)
        EXPECT_EQ(t4::HitChance(c.a, c.b, c.c, c.d, c.e, c.f), c.want)
            << c.a << " " << c.b << " " << c.c << " " << c.d << " " << c.e << " " << c.f;
}

TEST(SaverBattleRules, HexDistanceOnOffsetRows) {
    struct Case {
        int x1, y1, x2, y2, want;
    };
    // Odd rows lie half a hex to the right.
    const Case cases[] = {
        {5, 5, 5, 5, 0},  {4, 4, 5, 4, 1}, {4, 4, 4, 5, 1}, {4, 4, 3, 5, 1}, {4, 4, 5, 5, 2},
        {5, 5, 5, 4, 1},  {5, 5, 6, 4, 1}, {5, 5, 4, 4, 2}, {2, 2, 2, 7, 5}, {0, 0, 10, 0, 10},
        {3, 10, 3, 2, 8}, {6, 1, 2, 3, 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t4::HexDistance(c.x1, c.y1, c.x2, c.y2), c.want)
            << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2;
        EXPECT_EQ(t4::HexDistance(c.x2, c.y2, c.x1, c.y1), c.want) << "and back";
    }
}

// ---- title 4: the engine ----

// Two units (a rifle squad of class kind 2 and a tank of kind 17) in every nationality.
t4::Data SmallTitle4Data() {
    t4::Data d;
    d.units.assign(2 * t4::kUnitSize, 0);
    uint8_t* rifle = d.units.data();
    uint8_t* tank = d.units.data() + t4::kUnitSize;
    rifle[t4::kUnitClass] = 0;
    tank[t4::kUnitClass] = 15;
    tank[t4::kUnitDefence] = 2;
    for (uint8_t* u : {rifle, tank}) {
        u[t4::kUnitFigures] = 4;
        u[t4::kUnitStrength] = 10;
    }
    // Rifle: weapon 0 hits infantry 40 x 3 shots at range 1; weapon 1 hits tanks 90 x 1 at 3.
    rifle[t4::kUnitWeapons] = 1, rifle[t4::kUnitWeapons + 1] = 2;
    rifle[t4::kUnitAttack + 0] = 40, rifle[t4::kUnitAttack + 2] = 20;
    rifle[t4::kUnitAttack + 7 + 2] = 90;
    rifle[t4::kUnitShots] = 3, rifle[t4::kUnitShots + 1] = 1;
    rifle[t4::kUnitRange] = 1, rifle[t4::kUnitRange + 1] = 3;
    rifle[t4::kUnitPower] = 20, rifle[t4::kUnitPower + 1] = 200;
    rifle[t4::kUnitAmmo] = 30, rifle[t4::kUnitAmmo + 1] = 2;
    tank[t4::kUnitWeapons] = 3;
    tank[t4::kUnitAttack + 0] = 50;
    tank[t4::kUnitShots] = 1, tank[t4::kUnitRange] = 4, tank[t4::kUnitPower] = 60;
    tank[t4::kUnitAmmo] = 10;
    d.nations.assign(std::size_t(t4::kNations) * t4::kNationSize, 0);
    for (int n = 0; n < t4::kNations; ++n) {
        d.nations[std::size_t(n) * t4::kNationSize] = 1;
        d.nations[std::size_t(n) * t4::kNationSize + 4] = 2;
    }
    d.terrain.assign(3 * 64, 0);
    return d;
}

t4::Battle RifleAgainstTank(int distance) {
    t4::Battle b;
    b.side[0][0].unit = 0;
    b.side[1][0].unit = 1;
    for (auto* g : {&b.side[0][0], &b.side[1][0]}) {
        g->figures = 4, g->perFigure = 10, g->strength = g->remaining = 40, g->target = 0;
    }
    b.side[0][0].ammo = {30, 2, 0, 0, 0};
    b.side[1][0].ammo = {10, 0, 0, 0, 0};
    b.x = {10, 10 + distance};
    b.y = {10, 10};
    return b;
}

TEST(SaverTitle4Engine, TheWeaponWithTheBestChanceTimesShotsFiresWithinItsRange) {
    const t4::Data d = SmallTitle4Data();
    SaverRandom r;
    r.Seed(4);
    // At one hex the rifle team takes the anti-tank weapon (90 x 1 beats 20 x 3).
    t4::Battle b = RifleAgainstTank(1);
    EXPECT_EQ(t4::ResolveFire(r, d, b, 0, true), 1);
    EXPECT_EQ(b.side[0][0].weapon, 1);
    EXPECT_EQ(b.side[0][0].chance, 90);
    EXPECT_EQ(b.side[0][0].shots, 2) << "four figures, one shot each, but two rounds left";
    EXPECT_EQ(b.side[0][0].ammo[1], 0);
    const t4::Group& tank = b.side[1][0];
    EXPECT_LE(tank.hits, 2);
    EXPECT_GE(tank.remaining, 40 - 10 * tank.hits) << "a hit does at most one figure's strength";
    // Out of range for everything: the group does not fire; without range checks it does.
    t4::Battle far = RifleAgainstTank(5);
    EXPECT_EQ(t4::ResolveFire(r, d, far, 0, true), 0);
    EXPECT_EQ(far.side[0][0].weapon, 255);
    EXPECT_EQ(t4::ResolveFire(r, d, far, 0, false), 1);
    // Spent ammunition counts as no weapon.
    t4::Battle dry = RifleAgainstTank(1);
    dry.side[0][0].ammo = {0, 0, 0, 0, 0};
    EXPECT_EQ(t4::ResolveFire(r, d, dry, 0, true), 0);
}

TEST(SaverTitle4Engine, StrengthNeverFallsBelowZeroAndFiguresFollowIt) {
    const t4::Data d = SmallTitle4Data();
    SaverRandom r;
    r.Seed(77);
    for (int i = 0; i < 50; ++i) {
        t4::Battle b = RifleAgainstTank(1);
        b.side[1][0].ammo = {200, 0, 0, 0, 0};
        b.side[0][0].figures = 4;
        t4::ResolveFire(r, d, b, 1, true);  // the tank's gun against the squad
        const t4::Group& g = b.side[0][0];
        EXPECT_GE(g.remaining, 0);
        EXPECT_EQ(g.FiguresLeft(), (g.remaining + 9) / 10);
        EXPECT_LE(g.hits, b.side[1][0].shots);
    }
}

TEST(SaverTitle4Engine, SetUpDrawsEachGroupFromItsSideAndEndsOnDataWithoutAMatch) {
    const t4::Data d = SmallTitle4Data();
    SaverRandom r;
    r.Seed(12);
    std::set<int> scenarios;
    for (int i = 0; i < 200; ++i) {
        t4::Battle b;
        const int p = t4::SetUpBattle(r, d, b);
        ASSERT_EQ(p, 0);
        scenarios.insert(b.scenario);
        EXPECT_NE(b.nation[0], b.nation[1]);
        for (int s = 0; s < 2; ++s) {
            EXPECT_GT(b.Groups(s), 0);
            bool gap = false;
            for (int g = 0; g < 4; ++g) {
                const t4::Group& gr = b.side[s][g];
                if (!gr.Present()) {
                    gap = true;
                    continue;
                }
                EXPECT_FALSE(gap) << "empty groups go to the end";
                EXPECT_EQ(gr.strength, gr.figures * gr.perFigure);
                EXPECT_GE(gr.target, 0);
                EXPECT_LT(gr.target, b.Groups(1 - s));
                const int kind = d.Unit(gr.unit)[t4::kUnitClass] + 2;
                bool inRow = false;
                for (int k = 0; k < 4; ++k) inRow |= t4::kScenarios[b.scenario][s * 4 + k] == kind;
                EXPECT_TRUE(inRow);
            }
        }
    }
    // Only the scenarios of infantry and tanks on both sides can be fought with this data.
    for (int sc : scenarios) {
        bool a = false, bb = false;
        for (int k = 0; k < 4; ++k) {
            a |= t4::kScenarios[sc][k] == 2 || t4::kScenarios[sc][k] == 17;
            bb |= t4::kScenarios[sc][4 + k] == 2 || t4::kScenarios[sc][4 + k] == 17;
        }
        EXPECT_TRUE(a && bb) << sc;
    }
    // Nationalities that field nothing: the set-up gives up instead of drawing for ever.
    t4::Data empty = d;
    std::fill(empty.nations.begin(), empty.nations.end(), 0);
    t4::Battle b;
    EXPECT_EQ(t4::SetUpBattle(r, empty, b), -1);
    // Unit numbers past the table are no units.
    empty.nations[0] = 99;
    EXPECT_EQ(empty.NationUnit(0, 0), 0);
}

TEST(SaverTitle4Engine, EveryScriptEndsAndItsShotsLandOnTheTarget) {
    for (int type = 0; type < 8; ++type)
        for (int left = 0; left < 2; ++left) {
            t4::Animation a;
            t4::Launch l;
            l.type = type | (left ? 0x80 : 0);
            l.x = left ? 500 : 100, l.y = 200;
            l.tx = left ? 130 : 470, l.ty = 150 + 20 * type;
            l.delay = 3;
            a.Start({l});
            int steps = 0;
            std::set<std::pair<int, int>> places;
            bool arrived = false;
            while (a.Step()) {
                ASSERT_LT(++steps, t4::kStepLimit) << "type " << type;
                for (const t4::Object& o : a.Objects())
                    if (o.used && std::abs(o.x - l.tx) <= 1 && std::abs(o.y - l.ty) <= 12) arrived = true;
                for (const t4::Animation::Line& line : a.Tracers())
                    if (line.x1 == l.tx && line.y1 == l.ty) arrived = true;
            }
            EXPECT_TRUE(arrived) << "type " << type << " reaches its target";
            EXPECT_GT(a.EffectsStarted(), 0) << "type " << type;
            EXPECT_EQ(a.Running(), 0);
            for (const t4::Object& o : a.Objects()) EXPECT_FALSE(o.used) << "all freed at the end";
        }
}

TEST(SaverTitle4Engine, LaunchesPastTheTableAreDroppedAndAFullAnimationStillEnds) {
    std::vector<t4::Launch> many(400);
    for (std::size_t i = 0; i < many.size(); ++i)
        many[i] = t4::Launch{3, 10, 200, 600, 100 + int(i % 200), 1};
    t4::Animation a;
    a.Start(many);
    int used = 0;
    for (const t4::Object& o : a.Objects()) used += o.used;
    EXPECT_EQ(used, t4::kMaxLaunches);
    // Three effects a shell with 200 slots: the ones that find no slot are left out.
    int steps = 0;
    while (a.Step()) ASSERT_LT(++steps, t4::kStepLimit);
    EXPECT_GT(a.EffectsStarted(), t4::kMaxEffects);
    EXPECT_LT(a.EffectsStarted(), 3 * t4::kMaxLaunches);
}

// ---- title 4: the scene ----

TEST(SaverTitle4Scene, PlaysTheTitleThenBattlesEachWithinOneTick) {
    auto s = MakeState(SaverBuild::Saver, 800, 600, 404);
    s->settings.title[3] = 1;
    s->settings.realFightLoopNum = 3;
    int waits = 0;
    std::string midAnimation;
    SaverState* state = s.get();
    s->env.wait = [&](int ms) {
        waits += ms == 20;
        if (waits == 30 && midAnimation.empty()) {  // shots in flight in the first battle
            midAnimation = Hex(ScreenChecksum(*state->screen));
            Shot(*state->screen, "title4-animation");
        }
    };
    auto scene = MakeTitle4Scene(*s);
    std::vector<std::string> sums;
    std::vector<int> waitsAt;
    const std::vector<int> shots = {1, 37, 43, 49};
    int result = 0;
    const int ticks = RunToEnd(*scene, 500, &result, [&](int tick) {
        waitsAt.push_back(waits);
        if (std::find(shots.begin(), shots.end(), tick) != shots.end()) {
            sums.push_back(Hex(ScreenChecksum(*s->screen)));
            Shot(*s->screen, "title4-tick" + std::to_string(tick));
        }
    });
    ASSERT_EQ(result, 1);
    // 35 title ticks, one without an opening, then three rounds of a battle tick and its pause.
    EXPECT_EQ(ticks, 35 + 1 + 3 * 5);
    EXPECT_EQ(waitsAt[35], 0);
    EXPECT_GT(waitsAt[36], 20) << "the whole animation runs inside the first battle tick";
    EXPECT_EQ(waitsAt[37], waitsAt[36]) << "and the pause draws nothing";
    EXPECT_EQ(sums, (std::vector<std::string>{"34dd291943f40c80", "bba8f197ad6dff54",
                                              "bfd17f68edb55b45", "9d3da5e8c2dd9587"}));
    EXPECT_EQ(midAnimation, "e6094cbb86522f90");
    // It starts over.
    EXPECT_EQ(scene->Step(false), 0);
}

TEST(SaverTitle4Scene, MissingDataEndsTheSaver) {
    auto s = MakeState(SaverBuild::Saver, 800, 600, 1);
    s->env.sharedDir = "/nonexistent";
    auto scene = MakeTitle4Scene(*s);
    EXPECT_EQ(scene->Step(false), -1);
    EXPECT_EQ(scene->Step(true), -1);
}

// ---- title 5: the engine ----

TEST(SaverTitle5Engine, RunLengthUnpack) {
    struct Case {
        std::vector<uint8_t> in;
        int limit;
        int want;
        std::vector<uint8_t> out;
    };
    const Case cases[] = {
        {{1, 2, 3, 0, 0, 0}, 16, 3, {1, 2, 3}},
        {{7, 7, 4, 9, 0, 0, 0}, 16, 5, {7, 7, 7, 7, 9}},
        {{5, 5, 255, 5, 5, 1, 1, 1, 0}, 300, 256, {}},
        {{0, 0, 0}, 16, 0, {}},
        {{1, 2, 3}, 16, -1, {}},           // no end mark before the input ends
        {{7, 7}, 16, -1, {}},              // a pair without its count
        {{7, 7, 9, 0, 0, 0}, 8, -1, {}},   // nine copies do not fit in eight
        {{1, 2, 3, 4, 0, 0, 0}, 3, -1, {}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(std::size_t(c.limit) + 8, 0xEE);
        EXPECT_EQ(t5::RunLengthUnpack(int(c.in.size()), c.limit, 0, c.in.data(), 0, out.data()), c.want);
        for (std::size_t i = 0; i < c.out.size(); ++i) EXPECT_EQ(out[i], c.out[i]);
        EXPECT_EQ(out[std::size_t(c.limit)], 0xEE) << "nothing past the limit";
    }
    // The start positions of input and output count.
    const uint8_t in[] = {99, 99, 4, 4, 3, 8, 8, 0};
    uint8_t out[8] = {};
    EXPECT_EQ(t5::RunLengthUnpack(8, 8, 2, in, 2, out), 3);
    EXPECT_EQ(out[2], 4);
    EXPECT_EQ(out[4], 4);
}

t5::Data BuiltTitle5Data(SaverState& s) {
    t5::Data d;
    std::vector<uint8_t> map;
    EXPECT_TRUE(LoadRcDataBlock(s, 158, &map));
    EXPECT_TRUE(t5::ReadHexMap(map, false, &d.map));
    for (auto [id, v] : {std::pair{117, &d.kinds}, {118, &d.units}, {160, &d.weapons},
                         {161, &d.terrain}, {162, &d.range}, {163, &d.silhouettes}, {203, &d.losses}})
        EXPECT_TRUE(LoadRcDataBlock(s, id, v)) << id;
    return d;
}

TEST(SaverTitle5Engine, TheBuiltMapAndItsFaults) {
    auto s = MakeState(SaverBuild::Saver, 640, 400, 1);
    std::vector<uint8_t> block;
    ASSERT_TRUE(LoadRcDataBlock(*s, 158, &block));
    t5::HexMap map;
    ASSERT_TRUE(t5::ReadHexMap(block, false, &map));
    EXPECT_EQ(map.Terrain(63, 63), 5) << "the south-east is sea";
    EXPECT_EQ(map.Terrain(64, 0), 0) << "off the map";
    int units = 0, land = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            EXPECT_LE(map.Terrain(x, y), 12);
            units += map.Unit(x, y) != 0;
            land += map.Terrain(x, y) != 5 && map.Terrain(x, y) != 4;
        }
    EXPECT_GT(units, 20);
    EXPECT_GT(land, 1500);
    EXPECT_EQ(std::string(map.third.begin(), map.third.end()), "Coast of Velmar");
    // A cut block, a plane that overruns and a header past the end are refused.
    std::vector<uint8_t> cut(block.begin(), block.begin() + 600);
    EXPECT_FALSE(t5::ReadHexMap(cut, false, &map));
    std::vector<uint8_t> bad = block;
    bad[256] = 2, bad[257] = 0;  // plane 1 "two bytes long": no end mark in it
    EXPECT_FALSE(t5::ReadHexMap(bad, false, &map));
    std::vector<uint8_t> plain(512 + 4096, 3);
    std::fill(plain.begin(), plain.begin() + 512, 0);
    EXPECT_TRUE(t5::ReadHexMap(plain, false, &map)) << "length 0: a plain plane";
    EXPECT_EQ(map.Terrain(10, 10), 3);
    EXPECT_FALSE(t5::ReadHexMap(plain, true, &map)) << "the file form wants a second plain plane";
}

TEST(SaverTitle5Engine, SilhouettesSitWhereTheirIndexSays) {
    // Number 7, 48 x 20, at x 96, y 40 of a 400-high sheet (a place past 16 bits), mirrored.
    const int p = (400 - 1 - 40) * 320 + 96 / 2;
    std::vector<uint8_t> index = {7, 0, 48, 0, 20, 0, 0, 0, uint8_t(p & 255), uint8_t(p >> 8),
                                  uint8_t(p >> 16), 0, 1, 0, 0, 0, 0, 0, 0, 0};
    t5::Silhouette s;
    ASSERT_TRUE(t5::FindSilhouette(index, 7, 400, &s));
    EXPECT_EQ(s.x, 96);
    EXPECT_EQ(s.y, 40);
    EXPECT_TRUE(s.mirrored);
    EXPECT_FALSE(t5::FindSilhouette(index, 8, 400, &s));
    // Every number the scene draws is in the built index.
    auto st = MakeState(SaverBuild::Saver, 640, 400, 1);
    const t5::Data d = BuiltTitle5Data(*st);
    std::vector<int> wanted;
    for (int set : {6, 21, 36, 51, 66, 81})
        for (int i = 0; i < 8; ++i) wanted.push_back(set), wanted.back() += i;
    for (int i = 0; i < 10; ++i) wanted.push_back(301 + i);
    wanted.push_back(311);
    for (int i = 0; i < 11; ++i) wanted.push_back(321 + i);
    for (int i = 0; i < 6; ++i) wanted.push_back(341 + i);
    for (int i = 0; i < t5::kUnits; ++i) {
        const uint8_t* u = d.Unit(i);
        wanted.push_back(u[t5::kUnitPicture] | u[t5::kUnitPicture + 1] << 8);
    }
    for (int n : std::vector<int>(wanted)) if (n <= 300) wanted.push_back(n + 600);
    for (int n : wanted) {
        const int height = 400;
        EXPECT_TRUE(t5::FindSilhouette(d.silhouettes, n, height, &s)) << n;
        EXPECT_GE(s.y, 0);
        EXPECT_LE(s.x + s.w * (s.mirrored ? 2 : 1), 640) << n;
    }
}

TEST(SaverTitle5Engine, BattlesFollowTheirScenario) {
    auto st = MakeState(SaverBuild::Saver, 640, 400, 1);
    const t5::Data d = BuiltTitle5Data(*st);
    ASSERT_TRUE(d.Valid());
    SaverRandom r;
    r.Seed(55);
    int fought = 0, defenderFired = 0;
    for (int i = 0; i < 300; ++i) {
        t5::Battle b;
        ASSERT_TRUE(t5::SetUpBattle(r, d, b));
        const int* row = t5::kScenarios[b.scenario];
        EXPECT_EQ(d.Unit(b.attacker.unit)[t5::kUnitKind] + 1, row[0]);
        EXPECT_EQ(d.Unit(b.defender.unit)[t5::kUnitKind] + 1, row[2]);
        EXPECT_EQ(b.defender.x, b.attacker.x);
        EXPECT_EQ(b.defender.y - b.attacker.y, row[6]);
        EXPECT_EQ(b.distance, row[6]) << "straight down the column";
        EXPECT_GE(b.direction, 0);
        EXPECT_LT(b.direction, 6);
        EXPECT_LE(b.defender.losses, b.defender.figures);
        EXPECT_LE(b.attacker.losses, b.attacker.figures);
        EXPECT_LE(b.attacker.hits, b.attacker.shots);
        if (row[4]) {
            EXPECT_EQ(b.defender.weapon, -1) << "a disarmed defender never fires";
        }
        fought += b.attacker.weapon >= 0;
        defenderFired += b.defender.weapon >= 0;
    }
    EXPECT_GT(fought, 200);
    EXPECT_GT(defenderFired, 50);
    // Data without a unit of the drawn kind: no battle.
    t5::Data none = d;
    for (int i = 0; i < t5::kUnits; ++i) none.units[std::size_t(i) * t5::kUnitSize + t5::kUnitKind] = 200;
    t5::Battle b;
    EXPECT_FALSE(t5::SetUpBattle(r, none, b));
}

TEST(SaverTitle5Engine, HexDirectionOfTheSixNeighbours) {
    // From an even row: up-right is (x, y - 1), right (x + 1, y), down-right (x, y + 1), ...
    EXPECT_EQ(t5::HexDirection(4, 4, 4, 4), 0);
    EXPECT_EQ(t5::HexDirection(4, 4, 4, 3), 0);
    EXPECT_EQ(t5::HexDirection(4, 4, 5, 4), 1);
    EXPECT_EQ(t5::HexDirection(4, 4, 4, 5), 2);
    EXPECT_EQ(t5::HexDirection(4, 4, 3, 5), 3);
    EXPECT_EQ(t5::HexDirection(4, 4, 3, 4), 4);
    EXPECT_EQ(t5::HexDirection(4, 4, 3, 3), 5);
}

// ---- title 5: the scene ----

TEST(SaverTitle5Scene, PlaysTitleOpeningAndRounds) {
    auto s = MakeState(SaverBuild::Saver, 800, 600, 505);
    s->settings.title[4] = s->settings.opening[4] = 1;
    s->settings.realFightLoopNum = 2;
    auto scene = MakeTitle5Scene(*s);
    std::vector<std::string> sums;
    const std::vector<int> shots = {1, 30, 60, 95, 120, 135};
    int result = 0;
    const int ticks = RunToEnd(*scene, 2000, &result, [&](int tick) {
        if (std::find(shots.begin(), shots.end(), tick) != shots.end()) {
            sums.push_back(Hex(ScreenChecksum(*s->screen)));
            Shot(*s->screen, "title5-tick" + std::to_string(tick));
        }
    });
    ASSERT_EQ(result, 1);
    EXPECT_EQ(ticks, 162);
    EXPECT_EQ(sums, (std::vector<std::string>{"be257d84b334b104", "6e9489ab96ea3d85",
                                              "ecef17eb616d972d", "1dc97b973b447f51",
                                              "cda217b8e91b2860", "144358e037d80bf6"}));
}

TEST(SaverTitle5Scene, AMissingOpeningPictureEndsTheOpeningAndMissingDataTheSaver) {
    auto s = MakeState(SaverBuild::Saver, 800, 600, 5);
    s->settings.opening[4] = 1;
    s->settings.realFightLoopNum = 1;
    s->env.sharedDir = "/nonexistent";
    auto scene = MakeTitle5Scene(*s);
    EXPECT_EQ(scene->Step(false), 0);   // the opening's black first tick
    EXPECT_EQ(scene->Step(false), 0);   // no pictures: the opening ends
    EXPECT_EQ(scene->Step(false), -1);  // and the battle finds no data
}

// ---- title 5 in zvdemosaver ----

TEST(SaverTitle5Engine, ZvdemosaversIndexFilesStoreTheNumberLessOne) {
    const int p = (400 - 1 - 0) * 320 + 64 / 2;
    const std::vector<uint8_t> file = {
        4, 0, 32, 0, 32, 0, 0, 0, uint8_t(p & 255), uint8_t(p >> 8), uint8_t(p >> 16), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    t5::Silhouette s;
    ASSERT_TRUE(t5::ReadSpriteIndex(file, 5, 400, &s));
    EXPECT_EQ(s.number, 5);
    EXPECT_EQ(s.x, 64);
    EXPECT_EQ(s.y, 0);
    EXPECT_FALSE(t5::ReadSpriteIndex(file, 4, 400, &s));
}

TEST(SaverTitle5Scene, ZvdemosaverShowsItsTitleAndStaffAndReadsItsFiles) {
    auto s = MakeState(SaverBuild::DemoSaver, 800, 600, 5050);
    s->settings.realFightLoopNum = 1;  // no title or opening flag: zvdemosaver ignores them
    auto scene = MakeTitle5Scene(*s);
    std::vector<std::string> sums;
    const std::vector<int> shots = {1, 14, 30, 60};
    int result = 0;
    const int ticks = RunToEnd(*scene, 1000, &result, [&](int tick) {
        if (tick == 11) {
            EXPECT_EQ(s->waitedMs, 0u);
        }
        if (tick == 12) {
            EXPECT_EQ(s->waitedMs, 1500u) << "the opening picture holds 1,500 ms";
        }
        if (std::find(shots.begin(), shots.end(), tick) != shots.end()) {
            sums.push_back(Hex(ScreenChecksum(*s->screen)));
            Shot(*s->screen, "title5demo-tick" + std::to_string(tick));
        }
    });
    ASSERT_EQ(result, 1);
    // 10 title ticks; the opening: a black tick, the pictures, 8 lines of 5 ticks, the end;
    // then one round.
    EXPECT_EQ(ticks, 78);
    EXPECT_EQ(sums, (std::vector<std::string>{"be257d84b334b104", "5bccaaf4f05cd2bf",
                                              "42e1f34d5e088661", "7463a07a44a89af6"}));
}

TEST(SaverTitle5Scene, ZvdemosaverWithoutItsFilesEndsTheSaver) {
    auto s = MakeState(SaverBuild::DemoSaver, 800, 600, 5);
    s->env.sharedDir = "/nonexistent";
    s->settings.realFightLoopNum = 1;
    auto scene = MakeTitle5Scene(*s);
    int result = 0;
    RunToEnd(*scene, 100, &result);
    EXPECT_EQ(result, -1);
}

// A screen smaller than the scenes' 640 x 400 area: nothing to place them in, every drawing
// clipped, and both scenes still play their rounds to the end.
TEST(SaverBattleScenes, RunOnAScreenSmallerThanTheirArea) {
    for (SaverBuild build : {SaverBuild::Saver, SaverBuild::DemoSaver})
        for (int which : {4, 5}) {
            if (which == 4 && build == SaverBuild::DemoSaver) continue;
            auto s = MakeState(build, 320, 240, 77);
            s->settings.title[which - 1] = s->settings.opening[which - 1] = 1;
            s->settings.realFightLoopNum = 2;
            auto scene = which == 4 ? MakeTitle4Scene(*s) : MakeTitle5Scene(*s);
            int result = 0;
            RunToEnd(*scene, 3000, &result);
            EXPECT_EQ(result, 1) << "title " << which;
            EXPECT_GT(CountNonBlack(*s->screen), 0);
            EXPECT_EQ(scene->Step(true), -1);
        }
}

}  // namespace
}  // namespace zv::saver
