// The title-4 scene: the title picture, then battle rounds in which up to four groups of one
// nationality meet up to four of another on a terrain picture. The fire of every group is
// resolved first; the shots are then played out by the script engine of Title4Battle.h, all
// within one tick, and the picture with the losses stays for five ticks.

#include <algorithm>
#include <array>

#include "saver/Scenes.h"
#include "saver/Sprites.h"
#include "saver/Title4Battle.h"

namespace zv::saver {

namespace {

using namespace t4;

// The sheets and their masks, in the order of the scene's picture table; the weapon sheet
// follows them. Sheet pair p is entries 2p (figures) and 2p + 1 (mask).
constexpr const char* kSheetNames[27] = {
    "t4_aircraft", "t4_aircraftmm", "t4_army",  "t4_armymm",  "t4_bomber", "t4_bombermm",
    "t4_bomber2",  "t4_bomber2mm",  "t4_heli",  "t4_helimm",  "t4_map",    "t4_mapmm",
    "t4_map2",     "t4_map2mm",     "t4_ship",  "t4_shipmm",  "t4_ship2",  "t4_ship2mm",
    "t4_ship3",    "t4_ship3mm",    "t4_ship4", "t4_ship4mm", "t4_tank",   "t4_tankmm",
    "t4_tank2",    "t4_tank2mm",    "t4_weapon"};
constexpr int kPairs = 13;
constexpr int kMapPair = 5, kMap2Pair = 6, kShipPair = 7;
constexpr int kWeaponSheet = 26;
constexpr int kSheetW = 640, kSheetH = 400;
constexpr int kStepMs = 20;
constexpr int kBattleTries = 50;
constexpr int kPauseTicks = 5;

// A figure's place on its sheet: pair 1 (army) holds 32 x 20 figures in 64 x 40 cells, the
// ships (pairs 7-10) 128 x 40, the others 64 x 40; column 0 faces right, column 1 left.
struct FigureRect {
    int x, y, w, h;
};
FigureRect FigureOf(int sprite, bool left) {
    const int pair = (sprite >> 4) % kPairs, row = sprite & 15;
    if (pair == 1) return {left ? 64 : 0, row * 40, 32, 20};
    if (pair >= 7 && pair <= 10) return {left ? 128 : 0, row * 40, 128, 40};
    return {left ? 64 : 0, row * 40, 64, 40};
}

constexpr uint32_t kSideColour[2] = {0x78B4FF, 0xFF7860};
constexpr uint32_t kWreckColour = 0x383430;

struct Placed {
    int x, y, w, h;
};

class Title4Scene : public Scene {
  public:
    explicit Title4Scene(SaverState& s) : s_(s) {}
    int Step(bool closing) override;

  private:
    bool AllocTitle4Buffers();
    bool LoadTitle4Bitmaps();
    void FreeTitle4Scene();
    int StepTitle4Fight();
    int RunTitle4Battle(int presentation);
    void DrawTerrain(fw::Surface16& dst);
    void LayOut(int side, std::array<std::vector<Placed>, 4>& out);
    void DrawFigure(fw::Surface16& dst, const Placed& p, int sprite, bool left, uint32_t colour);
    void DrawFrame();
    void Enter(int state) {
        state_ = state;
        first_ = true;
    }

    SaverState& s_;
    std::array<MonoBitmap, 26> mono_;
    PictureSlot weapon_;
    std::unique_ptr<fw::Surface16> work_, base_;
    Data data_;
    Battle battle_;
    Animation anim_;
    bool loaded_ = false;
    int state_ = 0;
    bool first_ = true;
    int counter_ = 0;
    int rounds_ = 0;
    bool battleDue_ = true;
    int pause_ = 0;
};

bool Title4Scene::AllocTitle4Buffers() {
    for (MonoBitmap& m : mono_) m = MonoBitmap{};
    weapon_.reset();
    battle_ = Battle{};
    return true;
}

bool Title4Scene::LoadTitle4Bitmaps() {
    bool ok = true;
    for (int i = 0; i < 26 && ok; ++i) {
        PictureSlot pic;
        ok = LoadBitmapResourceOrFile(s_, pic, kSheetNames[i]) == 1;
        if (!ok) break;
        // Into a 640 x 400 monochrome picture: white is 1, anything else 0.
        MonoBitmap& m = mono_[i];
        m.width = kSheetW, m.height = kSheetH;
        m.bits.assign(std::size_t(kSheetW) * kSheetH, 0);
        const int w = std::min(kSheetW, pic->Width()), h = std::min(kSheetH, pic->Height());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                m.bits[std::size_t(y) * kSheetW + x] = pic->At(x, y) == kWhite565 ? 1 : 0;
    }
    ok = ok && LoadBitmapResourceOrFile(s_, weapon_, kSheetNames[kWeaponSheet]) == 1;
    ok = ok && LoadRcDataBlock(s_, 182, &data_.units) && LoadRcDataBlock(s_, 183, &data_.nations) &&
         LoadRcDataBlock(s_, 200, &data_.terrain) && data_.Valid();
    return ok;
}

void Title4Scene::FreeTitle4Scene() {
    for (MonoBitmap& m : mono_) m = MonoBitmap{};
    weapon_.reset();
    work_.reset();
    base_.reset();
    data_ = Data{};
    anim_ = Animation{};
    loaded_ = false;
}

void Title4Scene::DrawTerrain(fw::Surface16& dst) {
    // The ground (or the sea) in its colour, then the pattern of the terrain's sheet: its
    // mask carves the outlines, its figures are painted in the detail colour.
    const bool sea = battle_.terrainKind[1] == 2 || battle_.terrainKind[0] == 2;
    const bool second = battle_.terrain == 2;
    const uint32_t base = sea ? 0x2A5C94 : second ? 0xB49C68 : 0x5A8A3E;
    const uint32_t detail = sea ? 0x7EAEDC : second ? 0xE2CC94 : 0x97BE5C;
    const uint32_t line = sea ? 0x1C3E6A : second ? 0x6E5634 : 0x2E5A22;
    const ui::Rect all = dst.Bounds();
    FillRect(dst, all, fw::Pixel32To565(base), all);
    if (sea) {
        // The sea lies in rows 2-9 of the first ship sheet (320 rows), laid twice.
        constexpr int kSeaTop = 80, kSeaRows = 320;
        for (int y = 0; y < kSheetH; y += kSeaRows) {
            BltMono(dst, 0, y, kSheetW, kSeaRows, mono_[2 * kShipPair + 1], 0, kSeaTop, kWhite565,
                    fw::Pixel32To565(line), Rop::And, all);
            BltMono(dst, 0, y, kSheetW, kSeaRows, mono_[2 * kShipPair], 0, kSeaTop,
                    fw::Pixel32To565(detail), 0, Rop::Paint, all);
        }
        return;
    }
    const int pair = second ? kMap2Pair : kMapPair;
    const MonoBitmap& fig = mono_[2 * pair];
    const MonoBitmap& mask = mono_[2 * pair + 1];
    BltMono(dst, 0, 0, kSheetW, kSheetH, mask, 0, 0, kWhite565, fw::Pixel32To565(line), Rop::And, all);
    BltMono(dst, 0, 0, kSheetW, kSheetH, fig, 0, 0, fw::Pixel32To565(detail), 0, Rop::Paint, all);
}

void Title4Scene::LayOut(int side, std::array<std::vector<Placed>, 4>& out) {
    const bool left = side == 1;  // side B stands on the right, facing left
    const int groups = std::max(1, battle_.Groups(side));
    for (int g = 0; g < 4; ++g) {
        out[g].clear();
        const Group& gr = battle_.side[side][g];
        if (!gr.Present()) continue;
        const uint8_t* u = data_.Unit(gr.unit);
        const FigureRect f = FigureOf(u[kUnitSprite], left);
        const bool air = (u[kUnitTerrain] & 15) == 1;
        // Three arrangements by width: big figures in one column, middle ones in two
        // alternating columns, small ones staggered over three.
        const int across = f.w > 64 ? 1 : f.w > 32 ? 2 : 3;
        const int band = std::min(f.w + (across - 1) * f.w / 2 + 8, 300 / groups);
        const int rows = (gr.figures + across - 1) / across;
        const int pitch = std::max(8, std::min(f.h + 2, (air ? 180 : 360) / std::max(1, rows)));
        const int top = air ? 16 : std::max(8, 200 - rows * pitch / 2);
        const int bandX = 8 + g * band;
        for (int i = 0; i < gr.figures; ++i) {
            const int col = i % across, row = i / across;
            const int x = bandX + col * f.w / 2 + (across == 3 && row % 2 ? f.w / 4 : 0);
            const int y = top + row * pitch + (across == 2 && col ? pitch / 2 : 0);
            out[g].push_back({left ? kSheetW - x - f.w : x, y, f.w, f.h});
        }
    }
}

void Title4Scene::DrawFigure(fw::Surface16& dst, const Placed& p, int sprite, bool left,
                             uint32_t colour) {
    const int pair = (sprite >> 4) % kPairs;
    const FigureRect f = FigureOf(sprite, left);
    const ui::Rect all = dst.Bounds();
    BltMono(dst, p.x, p.y, f.w, f.h, mono_[2 * pair + 1], f.x, f.y, kWhite565, 0, Rop::And, all);
    BltMono(dst, p.x, p.y, f.w, f.h, mono_[2 * pair], f.x, f.y, fw::Pixel32To565(colour), 0,
            Rop::Paint, all);
}

void Title4Scene::DrawFrame() {
    // The still picture, then trails, shots, tracers and effects over it.
    fw::Surface16& scr = *s_.screen;
    const ui::Rect area{s_.sceneX, s_.sceneY, s_.sceneX + kSceneWidth, s_.sceneY + kSceneHeight};
    BltRop(scr, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, *base_, 0, 0, Rop::Copy, area);
    const fw::Surface16& sheet = *weapon_;
    auto sprite = [&](int id, int x, int y) {
        BltKeyed(scr, s_.sceneX + x - 16, s_.sceneY + y - 16, 32, 32, sheet, (id % 20) * 32,
                 (id / 20) * 40, area);
    };
    for (const Particle& p : anim_.Particles())
        if (p.timer > 0) sprite(127 + p.frame, p.x, p.y);
    for (const Object& o : anim_.Objects())
        if (o.used && o.sprite >= 0 && o.timer > 0) sprite(o.sprite, o.x, o.y);
    for (const Animation::Line& l : anim_.Tracers())
        DrawLine(scr, s_.sceneX + l.x0, s_.sceneY + l.y0, s_.sceneX + l.x1, s_.sceneY + l.y1,
                 fw::Pixel32To565(0xFF2020), Rop::Invert, true, area);
    for (const Effect& e : anim_.Effects())
        if (e.timer > 0) sprite(e.kind * 20 + e.frame, e.x, e.y);
}

int Title4Scene::RunTitle4Battle(int presentation) {
    PlaceSceneRandomly(s_, 3);
    work_ = std::make_unique<fw::Surface16>(s_.clientWidth, s_.clientHeight);
    base_ = std::make_unique<fw::Surface16>(kSceneWidth, kSceneHeight);
    FillClientBlack(s_);
    for (int side = 0; side < 2; ++side)
        battle_.terrainKind[side] = data_.Unit(battle_.side[side][0].unit)[kUnitTerrain] & 15;
    // One group of side B, fired at without range checks, in the other presentation.
    const bool range = presentation == 0;
    if (!range)
        for (int g = 1; g < 4; ++g) battle_.side[1][g] = Group{};
    std::array<std::array<int, 4>, 2> before{};
    for (int side = 0; side < 2; ++side)
        for (int g = 0; g < 4; ++g) before[side][g] = battle_.side[side][g].FiguresLeft();
    if (ResolveFire(s_.random, data_, battle_, 0, range) == 0) return -1;
    ResolveFire(s_.random, data_, battle_, 1, range);

    // The figures: into the still picture in the sides' colours, and into the work picture
    // with the figures lost in the wreck colour.
    DrawTerrain(*base_);
    std::array<std::array<std::vector<Placed>, 4>, 2> placed;
    for (int side = 0; side < 2; ++side) LayOut(side, placed[side]);
    fw::Surface16 after(kSceneWidth, kSceneHeight);
    BltRop(after, 0, 0, kSceneWidth, kSceneHeight, *base_, 0, 0, Rop::Copy, after.Bounds());
    for (int side = 0; side < 2; ++side)
        for (int g = 0; g < 4; ++g) {
            const Group& gr = battle_.side[side][g];
            if (!gr.Present()) continue;
            const int sprite = data_.Unit(gr.unit)[kUnitSprite];
            const int lost = before[side][g] - gr.FiguresLeft();
            const auto& list = placed[side][g];
            for (std::size_t i = 0; i < list.size(); ++i) {
                DrawFigure(*base_, list[i], sprite, side == 1, kSideColour[side]);
                const bool gone = int(i) >= int(list.size()) - lost;
                DrawFigure(after, list[i], sprite, side == 1, gone ? kWreckColour : kSideColour[side]);
            }
        }
    BltRop(*work_, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, after, 0, 0, Rop::Copy,
           work_->Bounds());

    // Launches: every figure of a group that fired, aimed at a figure of its target.
    std::vector<Launch> launches;
    for (int side = 0; side < 2; ++side)
        for (int g = 0; g < 4; ++g) {
            const Group& gr = battle_.side[side][g];
            if (!gr.Present() || gr.weapon == 255) continue;
            const auto& from = placed[side][g];
            const auto& to = placed[1 - side][gr.target];
            if (to.empty()) continue;
            const uint8_t* u = data_.Unit(gr.unit);
            const int type = std::min<int>(u[kUnitShotType + gr.weapon], 7) | (side ? 0x80 : 0);
            for (std::size_t i = 0; i < from.size() && launches.size() < kMaxLaunches; ++i) {
                const Placed& a = from[i];
                const Placed& b = to[std::size_t(s_.random.Mod(int(to.size())))];
                Launch l;
                l.type = type;
                l.x = side ? a.x : a.x + a.w;
                l.y = a.y + a.h / 2;
                l.tx = b.x + b.w / 2;
                l.ty = b.y + b.h / 2;
                l.delay = 1 + s_.random.Mod(24) + side * 36;
                launches.push_back(l);
            }
        }
    anim_.Start(launches);
    for (int steps = 0; steps < kStepLimit; ++steps) {
        DrawFrame();
        WaitMilliseconds(s_, kStepMs);
        if (!anim_.Step()) break;
    }
    anim_ = Animation{};
    BltRop(*s_.screen, 0, 0, s_.clientWidth, s_.clientHeight, *work_, 0, 0, Rop::Copy,
           s_.screen->Bounds());
    work_.reset();
    return 1;
}

int Title4Scene::StepTitle4Fight() {
    if (battleDue_) {
        battleDue_ = false;
        pause_ = kPauseTicks;
        // A battle in which side A cannot fire is set up anew within the tick; data on
        // which no battle can be fought ends the round.
        int shown = -1;
        for (int tries = 0; tries < kBattleTries && shown == -1; ++tries) {
            const int presentation = SetUpBattle(s_.random, data_, battle_);
            if (presentation < 0) break;
            shown = RunTitle4Battle(presentation);
        }
        if (shown == -1) {
            battleDue_ = true;
            return 1;
        }
    }
    if (--pause_ > 0) return 0;
    battleDue_ = true;
    return 1;
}

int Title4Scene::Step(bool closing) {
    if (closing) {
        FreeTitle4Scene();
        return -1;
    }
    if (!loaded_) {
        if (!AllocTitle4Buffers() || !LoadTitle4Bitmaps()) {
            FreeTitle4Scene();
            return -1;
        }
        loaded_ = true;
    }
    const SaverSettings& st = s_.settings;
    if (state_ == 0) {
        if (st.title[3] != 1) {
            Enter(1);
        } else {
            if (first_) {
                first_ = false;
                FillClientBlack(s_);
                PaintTitleBitmap(s_, 3);
                counter_ = 35;
            }
            if (--counter_ < 1) Enter(1);
            return 0;
        }
    }
    if (state_ == 1) {  // no opening: the battle starts on the next tick
        Enter(2);
        return 0;
    }
    if (first_) {
        first_ = false;
        rounds_ = st.realFightLoopSwitch ? 1 : st.realFightLoopNum;
        battleDue_ = true;
    }
    const int r = StepTitle4Fight();
    if (r == -1) rounds_ = 0;
    if (r == 1 && !st.realFightLoopSwitch) --rounds_;
    if (rounds_ > 0) return 0;
    Enter(0);
    FreeTitle4Scene();
    return 1;
}

}  // namespace

std::unique_ptr<Scene> MakeTitle4Scene(SaverState& s) {
    return std::make_unique<Title4Scene>(s);
}

}  // namespace zv::saver
