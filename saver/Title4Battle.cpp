// The title-4 battles: set-up, fire and the script engine of the shot animation.

#include "saver/Title4Battle.h"

#include <algorithm>
#include <cstdlib>

namespace zv::saver::t4 {

// Four group kinds of side A, four of side B, the terrain, the presentation.
const int kScenarios[30][10] = {
    {2, 2, 2, 10, 2, 2, 2, 7, 1, 0},       {2, 2, 5, 10, 2, 2, 2, 7, 1, 0},
    {2, 2, 2, 10, 2, 2, 2, 2, 1, 0},       {2, 2, 2, 2, 2, 2, 4, 4, 1, 0},
    {2, 2, 2, 2, 14, 14, 14, 14, 1, 0},    {2, 2, 2, 2, 32, 32, 32, 32, 1, 0},
    {2, 2, 4, 4, 17, 17, 20, 18, 1, 0},    {2, 4, 4, 4, 17, 17, 22, 22, 1, 0},
    {2, 2, 4, 4, 34, 0, 0, 0, 1, 0},       {2, 4, 4, 4, 37, 0, 0, 0, 1, 0},
    {8, 0, 0, 0, 42, 0, 0, 0, 1, 0},       {14, 14, 14, 14, 17, 17, 20, 18, 1, 0},
    {32, 32, 32, 32, 30, 30, 30, 26, 1, 0}, {16, 0, 0, 0, 42, 0, 0, 0, 1, 0},
    {17, 17, 17, 17, 17, 17, 20, 20, 1, 0}, {17, 17, 17, 17, 17, 17, 24, 24, 1, 0},
    {17, 17, 24, 24, 2, 2, 4, 4, 2, 0},    {17, 17, 24, 24, 32, 32, 32, 32, 2, 0},
    {17, 17, 25, 25, 32, 32, 32, 32, 1, 0}, {17, 17, 21, 21, 17, 17, 20, 20, 2, 0},
    {17, 17, 22, 22, 17, 17, 24, 24, 2, 0}, {23, 23, 23, 23, 17, 17, 17, 26, 2, 0},
    {33, 0, 0, 0, 34, 0, 0, 0, 1, 0},      {34, 0, 0, 0, 35, 0, 0, 0, 1, 0},
    {42, 0, 0, 0, 42, 0, 0, 0, 1, 0},      {42, 0, 0, 0, 34, 0, 0, 0, 1, 0},
    {42, 0, 0, 0, 35, 0, 0, 0, 1, 0},      {42, 0, 0, 0, 36, 0, 0, 0, 1, 0},
    {42, 0, 0, 0, 37, 0, 0, 0, 1, 0},      {42, 0, 0, 0, 38, 0, 0, 0, 1, 0},
};

namespace {

constexpr int kSetUpTries = 200;

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

int Data::NationUnit(int n, int e) const {
    if (n < 0 || n >= kNations || e < 0 || e >= kNationUnits) return 0;
    const std::size_t at = std::size_t(n) * kNationSize + std::size_t(e) * 4;
    if (at + 4 > nations.size()) return 0;
    const uint32_t u = Le32(nations.data() + at);
    return u >= 1 && u <= uint32_t(UnitCount()) ? int(u) : 0;
}

int Data::TerrainFactor(int kind, int t) const {
    const std::size_t at = (std::size_t(kind & 15) * kTerrainFactors + std::size_t(t & 31)) * 2;
    if (at + 2 > terrain.size()) return 0;
    return std::clamp(int(terrain[at] | terrain[at + 1] << 8), 0, 100);
}

int HitChance(int a, int b, int c, int d, int e, int f) {
    if (a == 0) return 0;
    int g = std::max(0, a + e - f / 2);
    g = g * (100 - b) / 100;
    g = g * (100 - c) / 100;
    g = g * (100 - d) / 100;
    g = std::min(g, 100);
    return g == 0 ? 1 : g;
}

int HexDistance(int x1, int y1, int x2, int y2) {
    if (x1 == x2 && y1 == y2) return 0;
    const int dy = std::abs(y1 - y2), dx = std::abs(x1 - x2);
    const bool c = (y1 % 2 == 0) ? (x1 < x2) : !(x1 < x2);
    const int adj = (c ? dy : dy + 1) / 2;
    return std::max(dy + dx - adj, dy);
}

int SetUpBattle(SaverRandom& r, const Data& d, Battle& b) {
    if (!d.Valid()) return -1;
    for (int tries = 0; tries < kSetUpTries; ++tries) {
        b = Battle{};
        b.scenario = r.Mod(30);
        const int* row = kScenarios[b.scenario];
        b.nation[0] = r.Mod(kNations);
        // Another nationality for side B (eleven others, so one draw places it).
        b.nation[1] = (b.nation[0] + 1 + r.Mod(kNations - 1)) % kNations;
        for (int s = 0; s < 2; ++s) {
            int placed = 0;
            for (int g = 0; g < 4; ++g) {
                const int kind = row[s * 4 + g];
                if (kind == 0) continue;
                std::array<int, kNationUnits> candidates{};
                int n = 0;
                for (int e = 0; e < kNationUnits; ++e) {
                    const int u = d.NationUnit(b.nation[s], e);
                    if (u && d.Unit(u - 1)[kUnitClass] + 2 == kind) candidates[n++] = u - 1;
                }
                if (n == 0) continue;  // the nationality fields no such unit: no group
                Group& gr = b.side[s][placed++];  // empty groups end up at the end
                gr.unit = candidates[r.Mod(n)];
                const uint8_t* u = d.Unit(gr.unit);
                gr.figures = std::clamp<int>(u[kUnitFigures], 1, 40);
                gr.perFigure = std::max<int>(1, u[kUnitStrength]);
                gr.strength = gr.remaining = gr.figures * gr.perFigure;
                for (int k = 0; k < 5; ++k) gr.ammo[k] = u[kUnitAmmo + k];
            }
        }
        if (b.Groups(0) == 0 || b.Groups(1) == 0) continue;
        b.terrain = row[8];
        b.presentation = row[9];
        // The two sides stand one to three hexes apart.
        b.x[0] = 20, b.y[0] = 20 + r.Mod(2);
        b.x[1] = b.x[0] + 1 + r.Mod(3), b.y[1] = b.y[0] + r.Mod(2);
        for (int s = 0; s < 2; ++s)
            for (int g = 0; g < 4; ++g) {
                // Each group fires at the group of its own place on the other side, or at the
                // next one that exists.
                const int others = b.Groups(1 - s);
                if (b.side[s][g].Present()) b.side[s][g].target = others ? g % others : -1;
            }
        return b.presentation;
    }
    return -1;
}

int ResolveFire(SaverRandom& r, const Data& d, Battle& b, int s, bool checkRange) {
    const int distance = HexDistance(b.x[0], b.y[0], b.x[1], b.y[1]);
    int fired = 0;
    for (Group& g : b.side[s]) {
        g.weapon = 255;
        g.chance = g.shots = 0;
        if (!g.Present() || g.target < 0 || g.remaining <= 0) continue;
        Group& t = b.side[1 - s][g.target];
        if (!t.Present()) continue;
        const uint8_t* u = d.Unit(g.unit);
        const uint8_t* tu = d.Unit(t.unit);
        const int targetClass = std::min<int>(tu[kUnitDefence], 6);
        const int cover = d.TerrainFactor(tu[kUnitTerrain] & 15, b.terrain);
        int best = 0;
        for (int k = 0; k < 5; ++k) {
            if (u[kUnitWeapons + k] == 0 || g.ammo[k] <= 0) continue;
            if (checkRange && u[kUnitRange + k] < distance) continue;
            const int penalty = std::clamp((distance - 1) * 8, 0, 60);
            const int chance = HitChance(u[kUnitAttack + 7 * k + targetClass], cover, penalty,
                                         std::min<int>(tu[kUnitEvasion], 90), u[kUnitSkill],
                                         tu[kUnitArmour]);
            const int value = chance * u[kUnitShots + k];
            if (value > best) best = value, g.weapon = k, g.chance = chance;
        }
        if (g.weapon == 255) continue;
        ++fired;
        const int k = g.weapon;
        g.shots = std::min(g.FiguresLeft() * std::max<int>(1, u[kUnitShots + k]), g.ammo[k]);
        g.ammo[k] -= g.shots;
        const int power = u[kUnitPower + k];
        for (int i = 0; i < g.shots; ++i) {
            if (r.Mod(101) >= g.chance) continue;
            const int damage = std::min((r.Mod(51) + 50) * power / 100 + 1, t.perFigure);
            ++t.hits;
            t.remaining = std::max(0, t.remaining - damage);
        }
    }
    return fired;
}

// ---- the script engine ----

namespace {

// Weapon-sheet sprites of the projectiles (row 6 of the sheet).
constexpr int kShellR = 120, kShellL = 121, kMissileR = 122, kMissileL = 123, kRocketR = 124,
              kRocketL = 125, kBombS = 126;

// Script entries: opcode, three values, the steps until the next entry.
struct Entry {
    int op, a, b, c, wait;
};
constexpr Entry kScript[] = {
    // 0 shell: flat and fast
    {kFace, kShellR, kShellL, 0, 1}, {kEffect, kFlash, 0, 0, 1}, {kStep, 0, 0, 0, 1},
    {kEffectAt, kFire, 0, -6, 1}, {kEnd, 0, 0, 0, 0},
    // 5 missile: leaves the launcher upwards, turns and homes in
    {kFace, kMissileR, kMissileL, 0, 1}, {kEffect, kFlash, 0, 0, 1}, {kSlow, 0, 0, 0, 1},
    {kAimBelow, -18, 0, 0, 1}, {kMoveY, -3, 0, 0, 1}, {kAimSaved, 0, 0, 0, 1},
    {kHoming, 0, 0, 0, 1}, {kEffectAt, kFire, 0, -6, 1}, {kEnd, 0, 0, 0, 0},
    // 14 tracer: a line of machine-gun fire, sparks where it lands
    {kTracerLine, 28, 0, 0, 1}, {kEffect, kSparks, 0, 0, 1}, {kEnd, 0, 0, 0, 0},
    // 17 arcing shell (artillery)
    {kFace, kShellR, kShellL, 0, 1}, {kEffect, kFlash, 0, 0, 1}, {kBallistic, 0, 0, 0, 1},
    {kEffectColumn, kFire, 2, 0, 1}, {kEnd, 0, 0, 0, 0},
    // 22 rocket: flat path with a smoke trail
    {kFace, kRocketR, kRocketL, 0, 1}, {kEffect, kFlash, 0, 0, 1}, {kFlat, 0, 0, 0, 1},
    {kEffectAt, kFire, 0, -6, 1}, {kEnd, 0, 0, 0, 0},
    // 27 bomb: flies over the target at its height, then falls
    {kFace, kBombS, kBombS, 0, 1}, {kAimAbove, 0, 0, 0, 1}, {kThird, 0, 0, 0, 1},
    {kAimSaved, 0, 0, 0, 1}, {kMoveY, 6, 0, 0, 1}, {kEffectColumn, kFire, 3, 0, 1},
    {kEnd, 0, 0, 0, 0},
    // 34 torpedo: low and slow, a plume of water
    {kFace, kShellR, kShellL, 0, 1}, {kSlow, 0, 0, 0, 1}, {kFlat, 0, 0, 0, 2},
    {kEffect, kAirBurst, 0, 0, 1}, {kEffectAt, kSmoke, 0, -10, 1}, {kEnd, 0, 0, 0, 0},
    // 40 salvo: three rockets a few steps apart
    {kSplit, 3, kRocket, 6, 1}, {kEnd, 0, 0, 0, 0},
};
constexpr int kScriptStart[8] = {0, 5, 14, 17, 22, 27, 34, 40};
constexpr int kScriptSize = int(sizeof(kScript) / sizeof(kScript[0]));

int Sign(int v) {
    return v > 0 ? 1 : v < 0 ? -1 : 0;
}

// Moves x by up to `step` toward tx with y following in proportion, y limited to maxDy per
// step (0: no limit). True on arrival.
bool StepToward(Object& o, int maxDy) {
    const int dx = o.tx - o.x, dy = o.ty - o.y;
    if (dx == 0 && dy == 0) return true;
    const int mx = std::abs(dx) <= o.step ? dx : Sign(dx) * o.step;
    int my = dx == 0 ? Sign(dy) * std::min(std::abs(dy), o.step) : dy * std::abs(mx) / std::abs(dx);
    if (maxDy > 0) my = std::clamp(my, -maxDy, maxDy);
    if (mx == dx && maxDy == 0) my = dy;  // the last step lands on the point
    o.x += mx, o.y += my;
    return o.x == o.tx && o.y == o.ty;
}

}  // namespace

Object* Animation::NewObject() {
    for (Object& o : objects_)
        if (!o.used) {
            o = Object{};
            o.used = true;
            return &o;
        }
    return nullptr;
}

void Animation::StartEffect(int kind, int x, int y) {
    for (Effect& e : effects_)
        if (e.timer == 0) {
            e = Effect{3, kind, 0, x, y};
            ++effectsStarted_;
            return;
        }
}

void Animation::Trail(int x, int y) {
    for (Particle& p : particles_)
        if (p.timer == 0) {
            p = Particle{4, 0, x, y};
            return;
        }
}

void Animation::Start(const std::vector<Launch>& launches) {
    *this = Animation{};
    int n = 0;
    for (const Launch& l : launches) {
        if (n++ >= kMaxLaunches) break;
        Object* o = NewObject();
        if (!o) break;
        o->type = l.type;
        o->x = l.x, o->y = l.y;
        o->tx = o->sx = l.tx;
        o->ty = o->sy = l.ty;
        o->pc = kScriptStart[(l.type & 63) % 8];
        o->timer = std::max(1, l.delay);
    }
}

int Animation::Running() const {
    int n = 0;
    for (const Object& o : objects_) n += o.used && o.timer > 0;
    for (const Particle& p : particles_) n += p.timer > 0;
    for (const Effect& e : effects_) n += e.timer > 0;
    return n;
}

bool Animation::Perform(Object& o) {
    if (o.pc < 0 || o.pc >= kScriptSize) return false;
    const Entry& e = kScript[o.pc];
    const bool left = (o.type & 0x80) != 0;
    bool next = true;  // on to the following entry
    switch (e.op) {
        case kEnd: return false;
        case kAimBelow: o.tx = o.x, o.ty = o.y + e.a; break;
        case kMoveY:
            if (e.a == 0) break;
            o.y += e.a;
            next = e.a > 0 ? o.y >= o.ty : o.y <= o.ty;
            break;
        case kAimSaved: o.tx = o.sx, o.ty = o.sy; break;
        case kEffect: StartEffect(e.a, o.x, o.y); break;
        case kEffectAt: StartEffect(e.a, o.x + e.b, o.y + e.c); break;
        case kEffectColumn:
            for (int i = 0; i < std::max(1, e.b); ++i) StartEffect(e.a, o.x, o.y + 8 * i);
            break;
        case kAimAbove: o.tx = o.sx, o.ty = o.sy - 30; break;
        case kSlow: o.step = 3; break;
        case kHalfway: o.x += (o.tx - o.x) / 2, o.y += e.a; break;
        case kAimOffset: o.tx = o.sx + e.a, o.ty = o.sy + e.b; break;
        case kThird: {
            const int d = o.tx - o.x;
            if (std::abs(d) <= 2) {
                o.x = o.tx;
            } else {
                o.x += d / 3 != 0 ? d / 3 : Sign(d);
                next = false;
            }
            break;
        }
        case kStep:
        case kHoming:
        case kFlat: {
            int maxDy = 0;
            if (e.op == kFlat) maxDy = 3;
            if (e.op == kHoming) maxDy = std::max(1, 31 / (std::abs(o.tx - o.x) / 4 + 1));
            if (e.op == kHoming || e.op == kFlat) {
                // Limited in y: once x has arrived, the rest is made up in y.
                if (o.x == o.tx) maxDy = std::max(maxDy, 3);
            }
            next = StepToward(o, maxDy);
            Trail(o.x - (left ? -6 : 6), o.y);
            break;
        }
        case kBallistic: {
            // A fixed arc from the launch point in 16 steps, as high as a quarter of its length.
            if (o.value == 0) o.value = 1, o.tx = o.x, o.ty = o.y;  // tx, ty keep the start
            const int t = o.value, n = 16;
            const int x0 = o.tx, y0 = o.ty;
            const int h = std::max(24, std::abs(o.sx - x0) / 4);
            o.x = x0 + (o.sx - x0) * t / n;
            o.y = y0 + (o.sy - y0) * t / n - 4 * h * t * (n - t) / (n * n);
            next = ++o.value > n;
            if (next) o.x = o.sx, o.y = o.sy, o.tx = o.sx, o.ty = o.sy;
            break;
        }
        case kFace: o.sprite = left ? e.b : e.a; break;
        case kSplit:
            for (int i = 0; i < e.a; ++i) {
                Object* c = NewObject();
                if (!c) break;
                c->type = (e.b & 63) | (o.type & 0x80);
                c->x = o.x, c->y = o.y - 4 * i;
                c->tx = c->sx = o.sx;
                c->ty = c->sy = o.sy + (i - e.a / 2) * 6;
                c->pc = kScriptStart[(e.b & 63) % 8];
                c->timer = 1 + i * std::max(1, e.c);
            }
            break;
        case kTracerLine: {
            o.value += std::max(1, e.a);
            const int dx = o.sx - o.x, dy = o.sy - o.y;
            const int len = std::max(std::abs(dx), std::abs(dy));
            if (o.value >= len) {
                o.x = o.sx, o.y = o.sy;
            } else {
                tracers_.push_back({o.x, o.y, o.x + dx * o.value / len, o.y + dy * o.value / len});
                next = false;
            }
            break;
        }
        case kWait: o.timer = std::max(1, e.a); ++o.pc; return true;
        default: break;  // 9, 22 and unknown entries do nothing
    }
    if (next) ++o.pc;
    o.timer = next ? std::max(1, e.wait) : 1;
    return true;
}

bool Animation::Step() {
    tracers_.clear();
    for (Object& o : objects_) {
        if (!o.used || o.timer == 0) continue;
        if (o.timer > 1) {
            --o.timer;
            continue;
        }
        if (!Perform(o)) o = Object{};
    }
    for (Particle& p : particles_) {
        if (p.timer == 0) continue;
        if (--p.timer == 0 && ++p.frame < 3) p.timer = 4;
    }
    for (Effect& e : effects_) {
        if (e.timer == 0) continue;
        if (--e.timer == 0 && ++e.frame < 4) e.timer = 3;
    }
    if (Running() > 0) return true;
    for (Object& o : objects_) o = Object{};
    return false;
}

}  // namespace zv::saver::t4
