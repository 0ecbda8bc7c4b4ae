#pragma once

// The title-2 battle engine: two sides of ten figures in a 640 x 400 scene area, projectiles
// with their motion rules, explosions, and the kills they cause. The title-2 scene uses it for
// its battle rounds and, with a side that does not fire, for the firing of its opening pages.

#include <array>
#include <cstdint>
#include <vector>

#include "saver/SaverCore.h"
#include "saver/Sprites.h"

namespace zv::saver {

constexpr int kDemoUnitOffset = 640;   // unit rows start here in data block 201
constexpr int kDemoUnitSize = 96;
constexpr int kDemoUnitRows = 63;      // rows the battle searches
constexpr int kDemoBlockSize = 8189;

// A row of the unit data (bytes the battle reads).
struct DemoUnitRecord {
    const uint8_t* p = nullptr;
    char Key() const { return char(p[8]); }
    int FigureCount() const { return p[14]; }
    int Weapon(int slot) const { return p[17 + slot]; }
    int Defence() const { return int8_t(p[22]); }
    int Attack(int slot, int group) const { return int8_t(p[64 + 8 * slot + group]); }
    int Range(int slot) const { return int8_t(p[64 + 8 * slot + 7]); }
};

int UnitClassGroup(char key);
int WeaponKind(int weaponId);  // 10 for ids past the table

struct Title2Fighter {
    int colour = 0, unitRow = 0, weaponKind = 0, hitExplosion = 0, killExplosion = 0;
    int hitChance = 0, fires = 0, projectileSprite = 0, kindBit = 0;
};

struct Title2Projectile {
    uint16_t kindBit = 0;  // 0 unused
    int x = 0, y = 0;
    uint16_t delay = 0;
    uint16_t target = 0;
    int tx = 0, ty = 0;
    bool drawn = false;
    // Lobbed rounds fly a fixed arc from where they start to the target.
    int x0 = 0, y0 = 0, step = 0, steps = 0;
    int moves = 0;       // steps flown: every class arrives within a bound
    bool lineDrawn = false;  // gunfire: the dotted line on the screen
    int lx = 0, ly = 0, lax = 0, lay = 0;
};

struct Title2Effect {
    uint16_t sprite = 0;  // sprite number + 1; 0 free
    uint16_t framesLeft = 0;
    int x = 0, y = 0;
    uint16_t timer = 0;
};

struct Title2Side {
    Title2Fighter fighter;
    std::array<int, 10> x{}, y{};
    std::array<bool, 10> present{};
    std::array<Title2Projectile, 40> shots{};
    int perFigure = 1;
};

// Where each sprite lies on the "Q2BOMB" sheet.
struct SpriteRect {
    int x = 0, y = 0, w = 0, h = 0;
};
SpriteRect Title2SpriteRect(int sprite);

// The engine's pictures and its drawing target.
struct Title2Pictures {
    const fw::Surface16* bomb = nullptr;  // "Q2BOMB"
    const MonoBitmap* mask = nullptr;     // the figure mask made from "Q2UNIT"
};

class Title2Battle {
  public:
    Title2Battle(SaverState& s) : s_(s) {}
    void SetPictures(const Title2Pictures& p) { pics_ = p; }
    void SetUnits(const uint8_t* rows, int count) { units_ = rows, unitCount_ = count; }

    Title2Side a, b;

    // Chooses the pairing and both units; 1 when A fires back, 0 when not, -1 when the data
    // holds no pair for the chosen row (the round then has nothing to show).
    int SetUpTitle2Fight();
    static void LayOutTitle2Formation(std::array<int, 10>& x, std::array<int, 10>& y, char key,
                                      bool fight);
    void DrawTitle2Sides();
    void DrawTitle2Figure(int x, int y, int unitRow, int colour, bool sideB);
    void DrawTitle2Sprite(int x, int y, int sprite);
    int StartTitle2Effect(int x, int y, int sprite, int timer);
    int StepTitle2Effects();
    // 1 while anything moves, 0 when the fight is over. The first call after NewFight() lays
    // out the projectiles.
    int AnimateTitle2Fight(bool aFires, bool bSilent);
    void NewFight() { newFight_ = true; }

    int MoveTitle2Missile(Title2Projectile& p, bool right);
    int MoveTitle2Shell(Title2Projectile& p);
    int MoveTitle2Lob(Title2Projectile& p);

    int PickUnitWithKey(char key);
    int FindWeaponSlot(int row, int weapon) const;
    DemoUnitRecord Unit(int row) const { return {units_ + std::size_t(row) * kDemoUnitSize}; }
    int UnitCount() const { return unitCount_; }
    const std::array<Title2Effect, 128>& Effects() const { return effects_; }
    ui::Rect Clip() const;

  private:
    void LaunchSide(Title2Side& shooter, const Title2Side& target, bool isA);
    bool StepProjectile(Title2Side& shooter, Title2Side& target, Title2Projectile& p, int index,
                        bool isA);
    void Arrive(Title2Side& shooter, Title2Side& target, Title2Projectile& p, int index);

    SaverState& s_;
    Title2Pictures pics_;
    const uint8_t* units_ = nullptr;
    int unitCount_ = 0;
    std::array<Title2Effect, 128> effects_{};
    bool newFight_ = true;
};

uint16_t Title2Colour(int index);

}  // namespace zv::saver
