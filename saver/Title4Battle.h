#pragma once

// The title-4 battles: two sides of up to four groups drawn from two nationalities, their fire
// resolved with the units' combat values, and the animation of the shots, run by small
// scripts per projectile type. The scene (Title4Scene.cpp) draws it; the parts here are
// open to the tests.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "saver/SaverCore.h"

namespace zv::saver::t4 {

// Unit records (RCDATA 182), 216 bytes each.
constexpr int kUnitSize = 216;
constexpr int kUnitClass = 32;      // class number - 1 (a scenario's kind is class number + 1)
constexpr int kUnitTerrain = 33;    // low four bits: 0 ground, 1 air, 2 sea
constexpr int kUnitDefence = 34;    // the target class 0-6 the unit is hit as
constexpr int kUnitSprite = 35;     // sheet * 16 + row of its figure
constexpr int kUnitWeapons = 78;    // five weapon numbers (0: none)
constexpr int kUnitAttack = 83;     // + 7 k + target class: attack of weapon k
constexpr int kUnitPower = 118;
constexpr int kUnitShots = 123;
constexpr int kUnitShotType = 128;  // the projectile of weapon k (Shot below)
constexpr int kUnitRange = 133;
constexpr int kUnitFigures = 140;
constexpr int kUnitStrength = 141;  // strength of one figure
constexpr int kUnitSkill = 142;
constexpr int kUnitArmour = 143;
constexpr int kUnitEvasion = 144;
constexpr int kUnitAmmo = 173;
// Nationality blocks (RCDATA 183): 12 of 256 bytes, 60 unit numbers (1-based) 4 bytes apart.
constexpr int kNations = 12, kNationSize = 256, kNationUnits = 60;
// Terrain factors (RCDATA 200): 16-bit cover percentages, 32 per terrain kind.
constexpr int kTerrainFactors = 32;

enum Shot { kShell = 0, kMissile, kTracer, kShellArc, kRocket, kBomb, kTorpedo, kSalvo };

struct Data {
    std::vector<uint8_t> units, nations, terrain;
    int UnitCount() const { return int(units.size() / kUnitSize); }
    const uint8_t* Unit(int i) const { return units.data() + std::size_t(i) * kUnitSize; }
    // The unit number (1-based) of entry e of nationality n; 0 for none or a bad number.
    int NationUnit(int n, int e) const;
    int TerrainFactor(int kind, int terrain) const;
    bool Valid() const {
        return UnitCount() > 0 && nations.size() >= std::size_t(kNations) * kNationSize &&
               !terrain.empty();
    }
};

struct Group {
    int unit = -1;  // record index; -1: no group
    int figures = 0;
    int perFigure = 1;
    int strength = 0;
    std::array<int, 5> ammo{};
    int target = -1;   // the group of the other side it fires at
    int weapon = 255;  // the weapon slot fired (255: none)
    int chance = 0;
    int shots = 0;
    int hits = 0;       // hits taken
    int remaining = 0;  // strength left
    bool Present() const { return unit >= 0; }
    int FiguresLeft() const {
        return perFigure > 0 ? (remaining + perFigure - 1) / perFigure : 0;
    }
};

struct Battle {
    int scenario = 0;
    std::array<int, 2> nation{};
    std::array<std::array<Group, 4>, 2> side{};
    int terrain = 1;        // the scenario's terrain value (the picture)
    int presentation = 0;
    std::array<int, 2> terrainKind{};  // of each side's first group
    std::array<int, 2> x{}, y{};       // hex positions of the two sides
    int Groups(int s) const {
        int n = 0;
        for (const Group& g : side[s]) n += g.Present();
        return n;
    }
};

// The scenario table: four group kinds of each side, terrain, presentation.
extern const int kScenarios[30][10];

int HitChance(int attack, int terrain, int c, int d, int e, int f);
// Hexes between two map positions (rows offset every other row).
int HexDistance(int x1, int y1, int x2, int y2);

// A new battle; the scenario's presentation value, or -1 when no scenario gave both sides a
// group within the tries (data without a match).
int SetUpBattle(SaverRandom& r, const Data& d, Battle& b);
// Fire of one side at the other; the groups that fired.
int ResolveFire(SaverRandom& r, const Data& d, Battle& b, int side, bool checkRange);

// ---- the animation ----

constexpr int kMaxObjects = 256, kMaxParticles = 512, kMaxEffects = 200, kMaxLaunches = 160;
constexpr int kStepLimit = 3000;  // an animation ends within this many steps whatever it holds

enum Op {
    kEnd = 0, kAimBelow = 1, kMoveY = 2, kAimSaved = 3, kEffect = 4, kEffectAt = 5,
    kEffectColumn = 6, kAimAbove = 7, kSlow = 8, kNop = 9, kHalfway = 10, kAimOffset = 11,
    kThird = 12, kStep = 13, kHoming = 14, kFlat = 15, kBallistic = 16, kFace = 17,
    kSplit = 18, kTracerLine = 19, kWait = 21, kNop2 = 22,
};

// Effects of the weapon sheet: rows of four frames.
enum EffectKind { kFlash = 0, kFire, kSmoke, kDust, kAirBurst, kSparks, kEffectKinds };

struct Object {
    int timer = 0;
    int sprite = -1;  // weapon-sheet sprite, -1 none
    int x = 0, y = 0, tx = 0, ty = 0, sx = 0, sy = 0;
    int pc = 0;       // script counter
    int type = 0;     // bit 7: facing left
    int step = 6;
    int value = 0;    // a running value (tracer length, ballistic progress)
    bool used = false;
};
struct Particle {
    int timer = 0, frame = 0, x = 0, y = 0;
};
struct Effect {
    int timer = 0, kind = 0, frame = 0, x = 0, y = 0;
};
struct Launch {
    int type = 0, x = 0, y = 0, tx = 0, ty = 0, delay = 1;
};

class Animation {
  public:
    // Starts one object per launch entry.
    void Start(const std::vector<Launch>& launches);
    // One 20 ms step; false when no timer runs any more (everything is freed then).
    bool Step();
    int Running() const;
    const std::array<Object, kMaxObjects>& Objects() const { return objects_; }
    const std::array<Particle, kMaxParticles>& Particles() const { return particles_; }
    const std::array<Effect, kMaxEffects>& Effects() const { return effects_; }
    // Tracer lines to draw this step: from, to.
    struct Line {
        int x0, y0, x1, y1;
    };
    const std::vector<Line>& Tracers() const { return tracers_; }
    int EffectsStarted() const { return effectsStarted_; }

  private:
    Object* NewObject();
    void StartEffect(int kind, int x, int y);
    void Trail(int x, int y);
    bool Perform(Object& o);  // one script entry; false when the object has ended
    std::array<Object, kMaxObjects> objects_{};
    std::array<Particle, kMaxParticles> particles_{};
    std::array<Effect, kMaxEffects> effects_{};
    std::vector<Line> tracers_;
    int effectsStarted_ = 0;
};

}  // namespace zv::saver::t4
