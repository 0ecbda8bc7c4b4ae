#include "saver/Title2Battle.h"

#include <algorithm>
#include <cstdlib>

namespace zv::saver {

namespace {

struct Pairing {
    char aKey;
    int aWeapon;
    char bKey;
    int bWeapon;
    int oneSided;
    int killOnB;
    int killOnA;
};

constexpr Pairing kPairings[18] = {
    {'F', 1, 'F', 1, 0, 25, 25},  {'A', 10, 'F', 1, 0, 25, 25}, {'P', 11, 'A', 5, 0, 25, 29},
    {'R', 10, 'A', 5, 0, 25, 29}, {'R', 9, 'A', 5, 0, 25, 29},  {'R', 4, 'A', 5, 0, 25, 29},
    {'P', 11, 'H', 3, 0, 25, 29}, {'U', 0, 'H', 3, 1, 25, 29},  {'R', 9, 'H', 3, 0, 25, 29},
    {'R', 4, 'H', 3, 0, 25, 29},  {'P', 8, 'P', 8, 0, 29, 29},  {'P', 8, 'S', 3, 0, 29, 29},
    {'P', 0, 'U', 13, 1, 29, 29}, {'P', 0, 'U', 14, 1, 29, 29}, {'F', 10, 'R', 4, 0, 29, 25},
    {'A', 0, 'R', 4, 1, 29, 25},  {'F', 10, 'R', 9, 0, 29, 25}, {'H', 0, 'R', 9, 1, 29, 25},
};

constexpr int kWeaponKinds[18] = {10, 0, 1, 0x4001, 0x4001, 2, 3, 5, 4,
                                  10, 10, 6, 4, 8, 7, 3, 10, 10};
constexpr int kSpriteA[11] = {1, 3, 5, 7, 9, 10, 0, 10, 10, 10, 0};
constexpr int kSpriteB[11] = {2, 4, 6, 8, 9, 10, 0, 10, 10, 10, 0};
constexpr int kSetUpTries = 200;      // random picks of a pair before the round is given up
constexpr int kMaxFlightSteps = 160;  // every projectile arrives within this many steps

constexpr uint32_t kColours[8] = {0x000000, 0x0000FF, 0xFF0000, 0xFF00FF,
                                  0x00FF00, 0x00FFFF, 0xFFFF00, 0xFFFFFF};

bool IsBurst(int bit) {
    return bit & (4 | 8 | 128 | 512);
}

}  // namespace

uint16_t Title2Colour(int index) {
    return fw::Pixel32To565(kColours[index & 7]);
}

int UnitClassGroup(char key) {
    switch (key) {
        case 'D': return 3;
        case 'I': case 'T': return 2;
        case 'P': case 'R': case 'S': case 'U': return 1;
        default: return 0;
    }
}

int WeaponKind(int id) {
    return id >= 0 && id < 18 ? kWeaponKinds[id] : 10;
}

SpriteRect Title2SpriteRect(int n) {
    if (n == 0) return {288, 21, 8, 7};
    if (n >= 1 && n <= 8) return {192 + 32 * ((n - 1) / 2), (n % 2) ? 0 : 7, 32, 5};
    if (n == 9) return {288, 16, 16, 3};
    if (n == 10) return {304, 16, 16, 3};
    if (n >= 13 && n <= 16) return {16 * (n - 13), 0, 16, 16};
    if (n >= 17 && n <= 24) return {64 + 16 * (n - 17), 0, 16, 16};
    if (n >= 25 && n <= 33) return {32 * (n - 25), 16, 32, 32};
    return {};  // 11, 12, 34: empty
}

ui::Rect Title2Battle::Clip() const {
    return {s_.sceneX, s_.sceneY, s_.sceneX + kSceneWidth, s_.sceneY + kSceneHeight};
}

int Title2Battle::PickUnitWithKey(char key) {
    int count = 0;
    for (int r = 0; r < std::min(unitCount_, kDemoUnitRows); ++r)
        if (Unit(r).Key() == key) ++count;
    if (count == 0) return -1;  // no such unit in the data: nothing to draw from
    int n = s_.random.Mod(count);
    for (int r = 0; r < std::min(unitCount_, kDemoUnitRows); ++r)
        if (Unit(r).Key() == key && n-- == 0) return r;
    return -1;
}

int Title2Battle::FindWeaponSlot(int row, int weapon) const {
    if (row < 0) return -1;
    for (int slot = 0; slot < 4; ++slot)
        if (Unit(row).Weapon(slot) == weapon) return slot;
    return -1;
}

int Title2Battle::SetUpTitle2Fight() {
    const Pairing& p = kPairings[s_.random.Mod(18)];
    int bUnit = -1, aUnit = -1, bSlot = -1, aSlot = -1;
    bool found = false;
    for (int tries = 0; tries < kSetUpTries && !found; ++tries) {
        bUnit = PickUnitWithKey(p.bKey);
        aUnit = PickUnitWithKey(p.aKey);
        bSlot = FindWeaponSlot(bUnit, p.bWeapon);
        aSlot = FindWeaponSlot(aUnit, p.aWeapon);
        found = bUnit >= 0 && aUnit >= 0 && bSlot >= 0 && aSlot >= 0;
        if (bUnit < 0 || aUnit < 0) break;  // a key with no unit never matches
    }
    a.present.fill(false);
    b.present.fill(false);
    if (!found) return -1;
    static constexpr int kSideColours[4] = {1, 2, 4, 6};
    a.fighter.colour = kSideColours[s_.random.Mod(4)];
    b.fighter.colour = a.fighter.colour;
    for (int tries = 0; tries < 64 && b.fighter.colour == a.fighter.colour; ++tries)
        b.fighter.colour = kSideColours[s_.random.Mod(4)];
    if (b.fighter.colour == a.fighter.colour) b.fighter.colour = a.fighter.colour == 1 ? 2 : 1;

    const DemoUnitRecord ua = Unit(aUnit), ub = Unit(bUnit);
    const int aGroup = UnitClassGroup(ua.Key()), bGroup = UnitClassGroup(ub.Key());
    a.fighter.unitRow = aUnit;
    b.fighter.unitRow = bUnit;
    b.fighter.hitChance = std::max(0, ub.Attack(bSlot, aGroup) - ua.Defence());
    b.fighter.weaponKind = WeaponKind(p.bWeapon);
    b.fighter.hitExplosion = (bGroup == 1 || bGroup == 2) ? 13 : 17;
    b.fighter.killExplosion = p.killOnA;
    b.fighter.fires = 1;
    a.fighter.hitExplosion = (aGroup == 1 || aGroup == 2) ? 13 : 17;
    a.fighter.killExplosion = p.killOnB;
    int result = 0;
    if (!p.oneSided && ua.Range(aSlot) < 2 && ub.Range(bSlot) < 2) {
        a.fighter.weaponKind = WeaponKind(p.aWeapon);
        a.fighter.hitChance = std::max(0, ua.Attack(aSlot, bGroup) - ub.Defence());
        a.fighter.fires = 1;
        result = 1;
    }
    for (int i = 0; i < 10; ++i) {
        b.present[i] = i < ub.FigureCount();
        a.present[i] = i < ua.FigureCount();
    }
    return result;
}

void Title2Battle::LayOutTitle2Formation(std::array<int, 10>& x, std::array<int, 10>& y,
                                         char key, bool fight) {
    const char upper = char(key >= 'a' && key <= 'z' ? key - 32 : key);
    const bool air = upper == 'A' || upper == 'B' || upper == 'C' || upper == 'F' ||
                     upper == 'H' || upper == 'V';
    const bool left = key >= 'A' && key <= 'Z';
    for (int i = 0; i < 10; ++i) {
        const int c = 32 * (i % 3 + 2 * (i / 3));
        x[i] = left ? (fight ? 265 : 240) - c : 375 + c;
        y[i] = (air ? 200 : 240) - (fight ? 180 : 0) + 24 * (i % 3);
    }
}

void Title2Battle::DrawTitle2Sides() {
    LayOutTitle2Formation(a.x, a.y, Unit(a.fighter.unitRow).Key(), true);
    LayOutTitle2Formation(b.x, b.y, char(Unit(b.fighter.unitRow).Key() + 32), true);
    for (int i = 0; i < 10; ++i) {
        // Figures that are not in the battle take no part: no position, never a target.
        if (!a.present[i]) a.x[i] = 0;
        if (!b.present[i]) b.x[i] = 0;
        if (a.present[i]) DrawTitle2Figure(a.x[i], a.y[i], a.fighter.unitRow, a.fighter.colour, false);
        if (b.present[i]) DrawTitle2Figure(b.x[i], b.y[i], b.fighter.unitRow, b.fighter.colour, true);
    }
}

void Title2Battle::DrawTitle2Figure(int x, int y, int unitRow, int colour, bool sideB) {
    if (!pics_.mask || unitRow < 0 || unitRow > 55) return;
    const int fx = (unitRow / 16) * 64 + (sideB ? 256 : 0), fy = (unitRow % 16) * 24;
    BltMono(*s_.screen, s_.sceneX + x - 32, s_.sceneY + y - 12, 64, 24, *pics_.mask, fx, fy,
            Title2Colour(colour), 0, Rop::Invert, Clip());
}

void Title2Battle::DrawTitle2Sprite(int x, int y, int sprite) {
    const SpriteRect r = Title2SpriteRect(sprite);
    if (!pics_.bomb || r.w == 0) return;
    BltRop(*s_.screen, s_.sceneX + x - r.w / 2, s_.sceneY + y - r.h / 2, r.w, r.h, *pics_.bomb,
           r.x, r.y, Rop::Invert, Clip());
}

int Title2Battle::StartTitle2Effect(int x, int y, int sprite, int timer) {
    for (Title2Effect& e : effects_) {
        if (e.sprite) continue;
        e.sprite = uint16_t(sprite + 1);
        e.framesLeft = (sprite == 13 || sprite == 17 || sprite == 21 || sprite == 25 ||
                        sprite == 29)
                           ? 3
                           : 0;
        e.x = x;
        e.y = y;
        e.timer = uint16_t(timer);
        DrawTitle2Sprite(x, y, sprite);
        return 1;
    }
    return 0;
}

int Title2Battle::StepTitle2Effects() {
    int running = 0;
    for (Title2Effect& e : effects_) {
        if (!e.sprite) continue;
        if (e.timer) {
            --e.timer;
            if (e.timer) {
                ++running;
                continue;
            }
        }
        const int sprite = e.sprite - 1;
        if (sprite != 28 && sprite != 32) DrawTitle2Sprite(e.x, e.y, sprite);  // erase
        if (e.framesLeft) {
            --e.framesLeft;
            ++e.sprite;
            DrawTitle2Sprite(e.x, e.y, sprite + 1);
            e.timer = 3;
            ++running;
        } else {
            e = Title2Effect{};
        }
    }
    return running;
}

void Title2Battle::LaunchSide(Title2Side& shooter, const Title2Side& target, bool isA) {
    Title2Fighter& f = shooter.fighter;
    const int kind = f.weaponKind & 15;
    f.kindBit = 1 << kind;
    f.projectileSprite = kind <= 10 ? (isA ? kSpriteA[kind] : kSpriteB[kind]) : 0;
    int start = 8, inc = 8;
    if (f.kindBit & (1 | 2)) start = 12, inc = 5;
    else if (f.kindBit & 16) start = 5, inc = 10;
    else if (f.kindBit & (64 | 1024)) start = 15, inc = 10;
    const bool burst = IsBurst(f.kindBit);
    shooter.perFigure = burst ? 4 : 1;
    int next = 0;
    for (int i = 0; i < 10; ++i) {
        if (shooter.x[i] == 0) continue;
        int t = -1;
        for (int k = 0; k < 10; ++k) {
            const int j = (next + k) % 10;
            if (target.x[j] != 0) {
                t = j;
                break;
            }
        }
        if (t < 0) break;
        next = (t + 1) % 10;
        const int delay = 1 + start;
        start += inc;
        auto make = [&](Title2Projectile& p, int d, int tx) {
            p = Title2Projectile{};
            p.kindBit = uint16_t(f.kindBit);
            p.x = p.x0 = shooter.x[i];
            p.y = p.y0 = shooter.y[i];
            p.delay = uint16_t(d);
            p.target = uint16_t(t);
            p.tx = tx;
            p.ty = target.y[t];
        };
        if (burst) {
            const int side = isA ? 1 : -1;
            make(shooter.shots[4 * i + 1], delay + 3, target.x[t] - 32 * side);
            make(shooter.shots[4 * i + 2], delay + 6, target.x[t]);
            make(shooter.shots[4 * i + 3], delay + 9, target.x[t] + 32 * side);
        } else {
            Title2Projectile& p = shooter.shots[i];
            make(p, delay, target.x[t]);
            if (f.projectileSprite != 0) {
                DrawTitle2Sprite(p.x, p.y, f.projectileSprite);
                p.drawn = true;
            }
        }
    }
}

int Title2Battle::MoveTitle2Missile(Title2Projectile& p, bool right) {
    StartTitle2Effect(right ? p.x - 16 : p.x + 16, p.y, 0, 15);
    return MoveTitle2Shell(p);
}

int Title2Battle::MoveTitle2Shell(Title2Projectile& p) {
    const int dx = p.tx - p.x, dy = p.ty - p.y;
    if (std::abs(dx) <= 5 && std::abs(dy) <= 5) return 0;
    // The steps left along x share out the height; the last one takes what is left.
    const int stepsLeft = std::abs(dx) / 8;
    const int ystep = stepsLeft ? std::abs(dy) / stepsLeft : std::abs(dy);
    if (std::abs(dx) > 5) p.x += dx > 0 ? std::min(8, dx) : std::max(-8, dx);
    p.y += dy > 0 ? ystep : -ystep;
    return 1;
}

int Title2Battle::MoveTitle2Lob(Title2Projectile& p) {
    // A fixed arc from the launch point to the target: a whole number of 8-pixel steps across,
    // rising and falling as a parabola, ending on the target itself.
    if (p.steps == 0) p.steps = std::max(1, (std::abs(p.tx - p.x0) + 7) / 8);
    if (p.step >= p.steps) return 0;
    ++p.step;
    const int n = p.steps, k = p.step;
    const int arc = std::min(64, 8 + std::abs(p.tx - p.x0) / 4);
    p.x = p.x0 + (p.tx - p.x0) * k / n;
    p.y = p.y0 + (p.ty - p.y0) * k / n - arc * 4 * k * (n - k) / (n * n);
    return 1;
}

void Title2Battle::Arrive(Title2Side& shooter, Title2Side& target, Title2Projectile& p,
                         int /*index*/) {
    p.kindBit = 0;
    const int roll = s_.random.Mod(100);
    if (roll <= shooter.fighter.hitChance) {
        const int t = p.target;
        if (t < 10 && target.present[t]) {
            StartTitle2Effect(target.x[t], target.y[t], shooter.fighter.killExplosion, 0);
            DrawTitle2Figure(target.x[t], target.y[t], target.fighter.unitRow,
                             target.fighter.colour, &target == &b);
            target.present[t] = false;
        }
    }
}

bool Title2Battle::StepProjectile(Title2Side& shooter, Title2Side& target, Title2Projectile& p,
                                  int index, bool isA) {
    const int bit = p.kindBit;
    if (!bit) return false;
    const int sprite = shooter.fighter.projectileSprite;
    const int dir = isA ? 1 : -1;
    if (bit & (64 | 1024)) {
        // Gunfire and cannon: a stream of fire walking over the target while the delay runs.
        const bool cannon = bit & 1024;
        const int shiftAt = cannon ? 11 : 15;
        if (p.lineDrawn) {
            DrawLine(*s_.screen, s_.sceneX + p.lx, s_.sceneY + p.ly, s_.sceneX + p.lax,
                     s_.sceneY + p.lay, Title2Colour(2), Rop::Invert, true, Clip());
            p.lineDrawn = false;
        }
        if (p.delay > 0) {
            const int d = p.delay;
            if (d & 1) {
                if (d == shiftAt) {
                    p.tx -= dir * (cannon ? 48 : 32);
                    p.ty -= 12;
                } else if (d < shiftAt) {
                    p.lx = p.x, p.ly = p.y, p.lax = p.tx, p.lay = p.ty;
                    DrawLine(*s_.screen, s_.sceneX + p.x, s_.sceneY + p.y, s_.sceneX + p.tx,
                             s_.sceneY + p.ty, Title2Colour(2), Rop::Invert, true, Clip());
                    p.lineDrawn = true;
                    StartTitle2Effect(p.tx, p.ty, shooter.fighter.hitExplosion, 2);
                }
            }
            p.delay = uint16_t(d - 1);
            if (d & 1 && d < shiftAt && !(p.delay & 2)) p.tx += dir * (cannon ? 32 : 16);
            return true;
        }
        StartTitle2Effect(p.tx, p.ty, shooter.fighter.hitExplosion, 2);
        Arrive(shooter, target, p, index);
        return true;
    }
    if (!(bit & (1 | 2 | 4 | 8 | 16 | 128 | 256 | 512))) return false;  // kind 5: never moves
    if (p.delay > 0) {
        if ((bit & (1 | 2)) && p.delay <= 13 && !(shooter.fighter.weaponKind & 0x4000) &&
            p.drawn) {
            DrawTitle2Sprite(p.x, p.y, sprite);
            ++p.y;
            DrawTitle2Sprite(p.x, p.y, sprite);
        }
        --p.delay;
        return true;
    }
    if (p.drawn) DrawTitle2Sprite(p.x, p.y, sprite);
    int moved;
    if (bit & (1 | 2)) moved = MoveTitle2Missile(p, isA);
    else if (bit & (128 | 256)) moved = MoveTitle2Lob(p);
    else moved = MoveTitle2Shell(p);
    if (moved && ++p.moves > kMaxFlightSteps) moved = 0;  // never flies for ever
    if (moved) {
        if (sprite) DrawTitle2Sprite(p.x, p.y, sprite);
        p.drawn = sprite != 0;
        return true;
    }
    p.drawn = false;
    StartTitle2Effect(p.x, p.y, shooter.fighter.hitExplosion, 2);
    Arrive(shooter, target, p, index);
    return true;
}

int Title2Battle::AnimateTitle2Fight(bool aFires, bool bSilent) {
    if (newFight_) {
        for (auto* side : {&a, &b})
            for (Title2Projectile& p : side->shots) p = Title2Projectile{};
        effects_.fill(Title2Effect{});
        auto anyone = [](const Title2Side& side) {
            return std::any_of(side.x.begin(), side.x.end(), [](int x) { return x != 0; });
        };
        if (!anyone(a) || !anyone(b)) return 0;
        if (aFires) LaunchSide(a, b, true);
        if (!bSilent) LaunchSide(b, a, false);
        newFight_ = false;
        return 1;
    }
    bool active = false;
    for (int i = 0; i < 40; ++i) active |= StepProjectile(a, b, a.shots[i], i, true);
    for (int i = 0; i < 40; ++i) active |= StepProjectile(b, a, b.shots[i], i, false);
    if (StepTitle2Effects() > 0) active = true;
    if (!active) {
        newFight_ = true;
        return 0;
    }
    return 1;
}

}  // namespace zv::saver
