// The title-1 scene (zvdemosaver's own title): the title picture, an opening that scrolls a
// second title picture and presents fourteen units, and battle rounds in which ten figures of
// one unit and ten of another shoot in turns.

#include <algorithm>
#include <array>
#include <cstdlib>

#include "saver/Scenes.h"
#include "saver/Sprites.h"

namespace zv::saver {

namespace {

const char* const kUnitNames[14] = {
    "F-16C F.Falcon ", "AV-8B Harrier II", "A-10 Thunderbolt II", "A-7A Corsair II",
    "AH-1S Hueycobra", "UH-60 Transport",  "Leopard II M.B.T",    "Armored car    ",
    "Gepard AA-SPG  ", "S.A.M Roland II",  "Supplies  Truck",     "Transport Truck",
    "Infantry ( I ) ", "Infantry ( M ) "};

struct Pairing {
    int aUnit, aEffect, aColumn, bUnit, bEffect, bColumn, oneSided;
};
constexpr Pairing kPairings[14] = {
    {7, 4, 0, 7, 4, 0, 0},  {8, 4, 0, 9, 5, 0, 0},  {9, 5, 0, 7, 4, 0, 1},
    {1, 1, 0, 1, 1, 0, 0},  {1, 1, 0, 3, 5, 1, 0},  {1, 1, 0, 5, 5, 1, 0},
    {3, 3, 0, 7, 5, 1, 0},  {10, 1, 0, 1, 5, 1, 0}, {10, 1, 0, 3, 3, 0, 0},
    {9, 5, 0, 3, 3, 0, 0},  {9, 5, 0, 5, 2, 0, 0},  {5, 2, 0, 7, 5, 1, 0},
    {3, 3, 0, 10, 1, 0, 1}, {5, 2, 0, 9, 5, 0, 1},
};

// Hit percentages [shooter][weapon column][target]; rows not listed are 0.
using HitRow = std::array<int, 14>;
struct HitTable {
    std::array<std::array<HitRow, 2>, 14> v{};
    constexpr HitTable() {
        auto set = [&](int u, int c, HitRow r) { v[u][c] = r; };
        set(0, 0, {55, 60, 70, 60, 60, 65, 0, 0, 0, 0, 0, 0, 0, 0});
        set(0, 1, {35, 40, 55, 45, 60, 60, 20, 25, 20, 20, 40, 40, 35, 35});
        set(1, 0, {50, 55, 65, 55, 60, 65, 0, 0, 0, 0, 0, 0, 0, 0});
        set(1, 1, {15, 35, 45, 40, 70, 75, 15, 20, 15, 15, 40, 40, 35, 35});
        set(2, 0, {0, 0, 0, 0, 0, 0, 40, 45, 40, 45, 50, 50, 50, 50});
        set(2, 1, {5, 10, 20, 15, 30, 35, 41, 46, 40, 45, 45, 45, 30, 30});
        set(3, 0, {0, 0, 0, 0, 0, 0, 40, 45, 40, 45, 50, 50, 50, 50});
        set(3, 1, {15, 30, 35, 30, 40, 45, 15, 25, 20, 20, 40, 40, 25, 25});
        set(4, 0, {0, 0, 0, 0, 0, 0, 55, 65, 50, 50, 70, 70, 0, 0});
        set(4, 1, {2, 5, 5, 5, 20, 25, 10, 15, 15, 15, 35, 35, 30, 30});
        set(5, 0, {1, 3, 3, 3, 10, 20, 2, 5, 5, 5, 20, 20, 25, 25});
        set(6, 0, {0, 0, 0, 0, 0, 0, 50, 60, 55, 60, 70, 70, 58, 58});
        set(6, 1, {1, 2, 2, 2, 10, 15, 0, 0, 0, 0, 10, 15, 30, 30});
        set(7, 0, {0, 0, 0, 0, 0, 0, 25, 50, 40, 50, 60, 60, 54, 54});
        set(7, 1, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 15, 30, 30});
        set(8, 0, {40, 50, 45, 50, 55, 60, 10, 25, 20, 25, 30, 30, 30, 30});
        set(9, 0, {60, 65, 60, 65, 70, 75, 0, 0, 0, 0, 0, 0, 0, 0});
        set(10, 0, {1, 1, 1, 1, 10, 15, 0, 0, 0, 0, 20, 25, 20, 20});
        set(11, 0, {1, 1, 1, 1, 10, 15, 0, 0, 0, 0, 20, 25, 20, 20});
        set(12, 0, {2, 3, 3, 3, 10, 15, 1, 2, 1, 5, 10, 15, 40, 45});
        set(13, 0, {15, 20, 20, 20, 30, 40, 25, 40, 30, 40, 50, 50, 29, 29});
        set(13, 1, {1, 2, 2, 2, 5, 9, 0, 0, 0, 0, 15, 20, 30, 30});
    }
};
constexpr HitTable kHits;

const uint16_t kRed = fw::Pixel32To565(0xFF0000);

// One shot of a weapon effect, stepped over as many ticks as it needs.
struct Shot {
    int type = 0;
    int sx = 0, sy = 0, tx = 0, ty = 0;  // scene coordinates
    bool left = false;                   // flying left
    int step = 0, steps = 0;
    int x = 0, y64 = 0, dy64 = 0;        // y in 1/64 pixels
    int y = 0;
    bool drawn = false;
};

}  // namespace

// The index of the first set flag at or after n... as the battle chooses targets: n itself
// when set, else the first set one, else -1.
int FirstSetFlag(int n, const std::array<bool, 10>& flags) {
    if (n >= 0 && n < 10 && flags[n]) return n;
    for (int i = 0; i < 10; ++i)
        if (flags[i]) return i;
    return -1;
}

namespace {

class Title1Scene : public Scene {
  public:
    explicit Title1Scene(SaverState& s) : s_(s) {}
    int Step(bool closing) override;

  private:
    bool LoadMissing();  // true when every picture is there
    void Free();
    int RunOpening();
    int DrawShowcase();
    int StepFight();
    int BattleStep();  // 1 when the battle has ended
    bool RunShot();    // true when the shot has finished
    void StartShot(int type, int fromSide, int shooter, int target);
    void ComposeIcon(int unit, int colour, bool mirrored, fw::Surface16& icon);
    void DrawIcon(const fw::Surface16& icon, int x, int y, Rop rop);
    void Sprite(int sx, int sy, int w, int h, int x, int y, Rop rop);
    ui::Rect Clip() const {
        return {s_.sceneX, s_.sceneY, s_.sceneX + kSceneWidth, s_.sceneY + kSceneHeight};
    }
    void Enter(int state) {
        state_ = state;
        first_ = true;
    }

    SaverState& s_;
    std::array<PictureSlot, 7> pics_;  // q1unit, q1wep, q1title2, variants b r y g
    bool load_ = true;
    bool missing_ = false;  // a picture was not there: looked for again on every tick
    int state_ = 0;
    bool first_ = true;
    int counter_ = 0;
    int rounds_ = 0;
    // Opening.
    bool openingFirst_ = true;
    int sub_ = 0, colour_ = 0, countdown_ = 0, unit_ = 0, showcaseCalls_ = 0;
    // Battle.
    bool fightFirst_ = true, battleFirst_ = true, inPause_ = false;
    int pause_ = 0;
    int colourA_ = 0, colourB_ = 0;
    Pairing row_{};
    std::array<std::array<bool, 10>, 2> present_{};
    std::array<std::array<ui::Point, 10>, 2> centre_{};
    std::array<fw::Surface16, 2> icons_{fw::Surface16(63, 23), fw::Surface16(63, 23)};
    int shooter_ = 0;
    int turn_ = 0;  // 0 A, 1 B
    int target_ = -1;
    bool shotRunning_ = false;
    Shot shot_;
};

bool Title1Scene::LoadMissing() {
    static constexpr const char* kNames[7] = {"q1unit",    "q1wep",     "q1title2", "q1title2b",
                                              "q1title2r", "q1title2y", "q1title2g"};
    bool all = true;
    for (int i = 0; i < 7; ++i) {
        if (pics_[i]) continue;
        if (!LoadBitmapResourceOrFile(s_, pics_[i], kNames[i])) {
            ReportMissing(s_, kNames[i]);
            all = false;
        }
    }
    return all;
}

void Title1Scene::Free() {
    for (auto& p : pics_) p.reset();
}

void Title1Scene::ComposeIcon(int unit, int colour, bool mirrored, fw::Surface16& icon) {
    icon.Fill(icon.Bounds(), 0);
    const fw::Surface16* sheet = pics_[0].get();
    if (!sheet) return;
    const ui::Rect all = icon.Bounds();
    BltRop(icon, 0, 0, 63, 23, *sheet, mirrored ? 65 : 1, 24 * unit + 1, Rop::Copy, all);
    BltRop(icon, 0, 0, 63, 23, *sheet, 257, 24 * colour + 1, Rop::And, all);
}

void Title1Scene::DrawIcon(const fw::Surface16& icon, int x, int y, Rop rop) {
    BltRop(*s_.screen, s_.sceneX + x, s_.sceneY + y, 63, 23, icon, 0, 0, rop, Clip());
}

void Title1Scene::Sprite(int sx, int sy, int w, int h, int x, int y, Rop rop) {
    if (pics_[1]) BltRop(*s_.screen, s_.sceneX + x, s_.sceneY + y, w, h, *pics_[1], sx, sy, rop, Clip());
}

int Title1Scene::DrawShowcase() {
    if (showcaseCalls_++ % 2 == 1) return 1;  // one unit on every second call
    const int k = unit_;
    fw::Surface16 icon(63, 23);
    ComposeIcon(k, colour_, false, icon);
    BltRop(*s_.screen, s_.sceneX + (k % 3) * 200 + 1, s_.sceneY + (k / 3) * 32 + 241, 63, 23, icon,
           0, 0, Rop::Paint, s_.screen->Bounds());
    DrawSaverText(s_, kUnitNames[k], s_.sceneX + (k % 3) * 208 + 64, s_.sceneY + (k / 3) * 32 + 240,
                  ui::Rgb(255, 255, 255), ui::Rgb(0, 0, 0), 30);
    if (++unit_ >= 14) return 0;
    return 1;
}

int Title1Scene::RunOpening() {
    fw::Surface16& sc = *s_.screen;
    if (openingFirst_) {
        PlaceSceneRandomly(s_, 9);
        if (pics_[2])
            BltRop(sc, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, *pics_[2], 0, 0, Rop::Copy,
                   sc.Bounds());
        colour_ = s_.random.Mod(4);
        sub_ = 0;
        countdown_ = 10;
        unit_ = 0;
        showcaseCalls_ = 0;
        openingFirst_ = false;
        return 0;
    }
    const ui::Rect area{s_.sceneX, s_.sceneY, s_.sceneX + kSceneWidth, s_.sceneY + kSceneHeight};
    switch (sub_) {
        case 0: {
            for (int i = 0; i <= 16; ++i) {
                const int d = i / 2 + 1;
                // The area moves up by d pixels; the uncovered strip at its bottom turns black.
                fw::Surface16 copy(kSceneWidth, kSceneHeight);
                BltRop(copy, 0, 0, kSceneWidth, kSceneHeight, sc, s_.sceneX, s_.sceneY, Rop::Copy,
                       copy.Bounds());
                BltRop(sc, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight - d, copy, 0, d,
                       Rop::Copy, area);
                FillRect(sc, {area.left, area.bottom - d, area.right, area.bottom}, 0, area);
                WaitMilliseconds(s_, 15);
            }
            FillRect(sc, {area.left, area.top + 232, area.right, area.bottom}, 0, area);
            for (int y : {361, 329, 297, 265, 233})
                FillRect(sc, {area.left, area.top + y, area.right, area.top + y + 1}, kWhite565, area);
            sub_ = 1;
            return 0;
        }
        case 1:
            if (pics_[3 + colour_])
                BltRop(sc, s_.sceneX, s_.sceneY, kSceneWidth, 232, *pics_[3 + colour_], 0, 0,
                       Rop::Copy, area);
            sub_ = 2;
            return 0;
        case 2:
            if (DrawShowcase() == 0) sub_ = 3;
            return 0;
        default:
            if (--countdown_ < 1) {
                ResetScenePlacement(s_);
                openingFirst_ = true;
                return 1;
            }
            return 0;
    }
}

void Title1Scene::StartShot(int type, int fromSide, int shooter, int target) {
    shot_ = Shot{};
    shot_.type = type;
    const ui::Point a = centre_[fromSide][shooter], b = centre_[1 - fromSide][target];
    shot_.sx = a.x, shot_.sy = a.y, shot_.tx = b.x, shot_.ty = b.y;
    shot_.left = b.x < a.x;
    shot_.x = a.x;
    shot_.y = a.y;
    shot_.y64 = a.y * 64;
    const int dx = std::abs(b.x - a.x), dy = b.y - a.y;
    auto rate = [&](int speed) {
        const int n = dx / speed;
        return n ? dy * 64 / n : dy * 64;
    };
    switch (type) {
        case 1: shot_.dy64 = rate(9), shot_.steps = dx / 9 + 10; break;
        case 2: case 4: shot_.dy64 = rate(5), shot_.steps = dx / 5 + 2; break;
        case 3: shot_.steps = dx / 6 + 2; break;
        default: break;
    }
    shotRunning_ = true;
}

bool Title1Scene::RunShot() {
    Shot& t = shot_;
    const int dir = t.left ? -1 : 1;
    auto drawMissile = [&] {
        Sprite(t.left ? 32 : 0, 0, 21, 5, t.x - 10, t.y - 2, Rop::Invert);
        Sprite(320, 0, 8, 5, t.left ? t.x + 11 : t.x - 18, t.y - 2, Rop::Invert);
    };
    auto drawShell = [&] {
        if (t.type == 2) Sprite(t.left ? 96 : 64, 0, 16, 3, t.x - 8, t.y - 1, Rop::Invert);
        else Sprite(t.left ? 224 : 192, 0, 7, 3, t.x - 3, t.y - 1, Rop::Invert);
    };
    auto drawRocket = [&] {
        Sprite(t.left ? 160 : 128, 0, 24, 4, t.x - 12, t.y - 2, Rop::Invert);
        Sprite(t.left ? 160 : 128, 0, 24, 4, t.x - 12 + 6 * dir, t.y + 3, Rop::Invert);
    };
    switch (t.type) {
        case 1:
            for (int k = 0; k < 19; ++k) {
                if (t.drawn) drawMissile();
                if (t.step >= t.steps) {
                    // On arrival: red rings about the target point.
                    const int cx = t.tx - 8 * dir + s_.random.Mod(8), cy = t.ty + 3;
                    for (int r = 0; r < 15; ++r)
                        DrawCircle(*s_.screen, s_.sceneX + cx, s_.sceneY + cy, r, kRed, Rop::Paint,
                                   Clip());
                    return true;
                }
                ++t.step;
                t.x += 9 * dir;
                t.y64 += t.step <= t.steps - 10 ? t.dy64 : 0;
                t.y = t.y64 / 64;
                drawMissile();
                t.drawn = true;
                WaitMilliseconds(s_, 10);
            }
            return false;
        case 2:
        case 4:
            for (int k = 0; k < 19; ++k) {
                if (t.drawn) drawShell();
                const bool passed = t.left ? t.x <= t.tx : t.x >= t.tx;
                if (passed || t.step >= t.steps) {
                    Sprite(352, 0, 21, 19, t.tx - 10, t.ty - 9, Rop::Paint);
                    return true;
                }
                ++t.step;
                t.x += 5 * dir;
                t.y64 += t.dy64;
                t.y = t.y64 / 64;
                drawShell();
                t.drawn = true;
                WaitMilliseconds(s_, 10);
            }
            return false;
        case 3:
            for (int k = 0; k < 12; ++k) {
                if (t.drawn) drawRocket();
                const bool reached = t.left ? t.x <= t.tx : t.x >= t.tx;
                if (reached || t.step >= t.steps) {
                    int bx = t.tx, by = t.ty;
                    for (int i = 0; i < 5; ++i) {
                        Sprite(384, 0, 24, 25, bx - 12, by - 12, Rop::Paint);
                        bx += s_.random.Mod(10) - 5;
                        by += s_.random.Mod(20) - 10;
                    }
                    return true;
                }
                ++t.step;
                t.x += 6 * dir;
                if (t.y < t.ty - 5) ++t.y;
                else if (t.y > t.ty - 5) --t.y;
                drawRocket();
                t.drawn = true;
                WaitMilliseconds(s_, 15);
            }
            return false;
        case 5: {
            fw::Surface16& sc = *s_.screen;
            const int targetUnit = turn_ == 0 ? row_.bUnit - 1 : row_.aUnit - 1;
            auto line = [&](int x, int y) {
                DrawLine(sc, s_.sceneX + t.sx, s_.sceneY + t.sy, s_.sceneX + x, s_.sceneY + y, kRed,
                         Rop::Invert, true, Clip());
            };
            if (targetUnit < 6) {
                for (int i = 0; i < 3; ++i) {
                    const int x = t.tx + s_.random.Mod(21) - 10, y = t.ty + s_.random.Mod(21) - 10;
                    line(x, y);
                    Sprite(416, 0, 13, 13, x - 6, y - 6, Rop::Paint);
                    WaitMilliseconds(s_, 20);
                    line(x, y);
                }
            } else if (t.left) {
                for (int x = 185 + s_.random.Mod(50); x >= 75; x -= 35) {
                    line(x, t.ty);
                    WaitMilliseconds(s_, 20);
                    line(x, t.ty);
                }
            } else {
                for (int x = 365 + s_.random.Mod(50); x <= 590; x += 35) {
                    line(x, t.ty);
                    WaitMilliseconds(s_, 20);
                    line(x, t.ty);
                }
            }
            return true;
        }
        default:
            return true;
    }
}

int Title1Scene::BattleStep() {
    const int aUnit = row_.aUnit - 1, bUnit = row_.bUnit - 1;
    if (battleFirst_) {
        battleFirst_ = false;
        ComposeIcon(aUnit, colourA_, false, icons_[0]);
        ComposeIcon(bUnit, colourB_, true, icons_[1]);
        for (int i = 0; i < 10; ++i) {
            const int ax = 200 - (i % 3) * 32 - (i / 3) * 64;
            const int ay = 35 * (aUnit >= 6) + (i % 3) * 20;
            DrawIcon(icons_[0], ax, ay, Rop::Paint);
            centre_[0][i] = {ax + 32, ay + 12};
            const int bx = 376 + 32 * (i % 3 + 2 * (i / 3));
            const int by = 35 * (bUnit >= 6) + (i % 3) * 20;
            DrawIcon(icons_[1], bx, by, Rop::Paint);
            centre_[1][i] = {bx + 31, by + 12};
        }
        shooter_ = 0;
        turn_ = 0;
        return 0;
    }
    if (!shotRunning_) {
        const int side = turn_;
        const bool oneSidedSkip =
            side == 1 && (row_.oneSided || !present_[1][shooter_]);
        target_ = oneSidedSkip ? -1 : FirstSetFlag(shooter_, present_[1 - side]);
        if (side == 0 && target_ < 0) return 1;  // nothing left to shoot at
        if (target_ < 0) {
            // B cannot shoot: A's turn with the next figure.
            turn_ = 0;
            if (++shooter_ >= 10) return 1;
            return 0;
        }
        StartShot(side == 0 ? row_.aEffect : row_.bEffect, side, shooter_, target_);
    }
    if (!RunShot()) return 0;
    shotRunning_ = false;
    const int side = turn_;
    const int shooterUnit = side == 0 ? aUnit : bUnit, targetUnit = side == 0 ? bUnit : aUnit;
    const int column = side == 0 ? row_.aColumn : row_.bColumn;
    if (kHits.v[shooterUnit][column][targetUnit] >= s_.random.Mod(101) &&
        present_[1 - side][target_]) {
        present_[1 - side][target_] = false;
        const ui::Point c = centre_[1 - side][target_];
        DrawIcon(icons_[1 - side], c.x - (side == 0 ? 31 : 32), c.y - 12, Rop::Invert);
    }
    if (side == 0) {
        if (present_[1][shooter_]) {
            turn_ = 1;
        } else if (++shooter_ >= 10) {
            return 1;
        }
    } else {
        turn_ = 0;
        if (++shooter_ >= 10) return 1;
    }
    return 0;
}

int Title1Scene::StepFight() {
    if (inPause_) {
        if (pause_ > 0) {
            --pause_;
            return 0;
        }
        inPause_ = false;
        fightFirst_ = true;
        return 1;
    }
    if (fightFirst_) {
        FillClientBlack(s_);
        PlaceSceneRandomly(s_, 0);
        colourA_ = s_.random.Mod(4);
        colourB_ = colourA_;
        for (int tries = 0; tries < 64 && colourB_ == colourA_; ++tries) colourB_ = s_.random.Mod(4);
        if (colourB_ == colourA_) colourB_ = (colourA_ + 1) % 4;
        row_ = kPairings[s_.random.Mod(14)];
        for (auto& side : present_) side.fill(true);
        fightFirst_ = false;
        battleFirst_ = true;
        shotRunning_ = false;
    }
    if (BattleStep() == 1) {
        inPause_ = true;
        pause_ = 10;
    }
    return 0;
}

int Title1Scene::Step(bool closing) {
    if (closing) {
        Free();
        return -1;
    }
    if (load_) {
        Free();
        load_ = false;
        missing_ = true;
    }
    // Missing pictures do not draw, and the scene keeps its timing; they are looked for again
    // on every tick, so pictures that arrive late (a program started before its content was
    // built) show from then on instead of after a whole black turn of the scene.
    if (missing_) missing_ = !LoadMissing();
    const SaverSettings& st = s_.settings;
    if (state_ == 0) {
        if (st.title[0] != 1) {
            Enter(1);
        } else {
            if (first_) {
                FillClientBlack(s_);
                PaintTitleBitmap(s_, 0);
                counter_ = 25;
                first_ = false;
            }
            if (--counter_ < 1) Enter(1);
            return 0;
        }
    }
    if (state_ == 1) {
        if (st.opening[0] != 1) {
            Enter(2);
        } else {
            if (first_) {
                FillClientBlack(s_);
                openingFirst_ = true;
                first_ = false;
            }
            if (RunOpening() == 1) Enter(2);
            return 0;
        }
    }
    if (first_) {
        rounds_ = st.realFightLoopSwitch ? 1 : st.realFightLoopNum;
        fightFirst_ = true;
        inPause_ = false;
        first_ = false;
    }
    if (StepFight() == 1 && !st.realFightLoopSwitch) --rounds_;
    if (rounds_ <= 0) {
        Enter(0);
        Free();
        load_ = true;
        return 1;
    }
    return 0;
}

}  // namespace

std::unique_ptr<Scene> MakeTitle1Scene(SaverState& s) {
    return std::make_unique<Title1Scene>(s);
}

}  // namespace zv::saver
