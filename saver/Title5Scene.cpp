// The title-5 scene: the title picture, an opening (a picture dissolving in, the title, the
// staff list line by line) and battle rounds in which an attacking and a defending unit meet
// on a section of a hex map, drawn with terrain, the units of the map and the two sides'
// silhouettes, whose firing and hits then play as frame sequences, one frame a tick.

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "saver/Credits.h"
#include "saver/Scenes.h"
#include "saver/Sprites.h"
#include "saver/Title5Battle.h"

namespace zv::saver {

namespace {

using namespace t5;

constexpr int kHex = 32, kRowPitch = 24;
constexpr int kSectionCols = 21, kSectionRows = 18;
constexpr int kEndWait = 10;
constexpr int kSequenceLimit = 60;  // no frame sequence runs longer than this many ticks

// The staff list of the opening: shown on the title picture, then on black.
const auto& kStaff = Title5StaffLines();
constexpr int kStaffLines = kTitle5StaffLines;

// The opening script: one entry a tick.
enum OpeningOp { kDissolve = 0, kRevealTitle = 1, kStaffOnTitle = 2, kHold = 3,
                 kStaffOnBlack = 4, kClear = 5, kOpeningEnd = 9 };
struct OpeningEntry {
    int op, value;
};
constexpr OpeningEntry kOpening[] = {
    {kDissolve, 0},  {kHold, 10},      {kRevealTitle, 1}, {kHold, 5},       {kStaffOnTitle, 0},
    {kHold, 6},      {kStaffOnTitle, 0}, {kHold, 6},      {kStaffOnTitle, 0}, {kHold, 6},
    {kStaffOnTitle, 0}, {kHold, 6},    {kClear, 0},       {kStaffOnBlack, 0}, {kHold, 6},
    {kStaffOnBlack, 0}, {kHold, 6},    {kStaffOnBlack, 0}, {kHold, 6},      {kStaffOnBlack, 0},
    {kHold, 10},     {kClear, 0},      {kOpeningEnd, 0},
};

// Where the figures of a side stand around their hex.
constexpr int kCluster[6][2] = {{0, 0}, {-26, -11}, {26, -11}, {-26, 11}, {26, 11}, {0, 22}};

// A running frame sequence of one figure.
struct Sequence {
    int x = 0, y = 0;          // the figure's centre in the scene
    bool mirrored = false;     // facing left
    int unitPicture = 0;       // the unit's own silhouette (frame numbers above 900)
    std::vector<int> frames;
    int index = 0;
    int delay = 0;
    bool destroyed = false;
};

class Title5Scene : public Scene {
  public:
    explicit Title5Scene(SaverState& s) : s_(s), demo_(s.build == SaverBuild::DemoSaver) {}
    int Step(bool closing) override;

  private:
    int RunTitle5Opening();
    int RunDemoOpening();
    bool LoadDemoData();
    bool FindFigure(int number, int sheetHeight, Silhouette* out) const;
    bool AllocTitle5Buffers();
    bool LoadTitle5Data();
    bool LoadTitle5Map();
    int RunTitle5Battle();
    void FreeTitle5Scene();
    bool DrawTitle5HexMap(fw::Surface16& dst);
    bool DrawTitle5Silhouette(fw::Surface16& dst, int number, int x, int y, bool mirrored);
    void DrawFigure(fw::Surface16& dst, int picture, int cx, int cy, bool mirrored);
    void HexCentre(int col, int row, int* x, int* y) const;
    void RevealInterlaced(const fw::Surface16& picture);
    void ComposeStaffLine(fw::Surface16& out, bool onTitle);
    void Enter(int state) {
        state_ = state;
        first_ = true;
    }

    SaverState& s_;
    const bool demo_;  // zvdemosaver: its title, opening and files
    // zvdemosaver's index files: babes, shilet.idx, shiletf.idx, shiletb.idx
    std::array<std::vector<uint8_t>, 4> demoIndex_;
    // 0 q4mghex, 1 q4shilet, 2 q4shiletb, 3 q4shiletf, 4 q4open, 5 q4title
    std::array<PictureSlot, 6> pics_;
    Data data_;
    Battle battle_;
    std::unique_ptr<fw::Surface16> base_;
    std::vector<Sequence> sequences_;
    int state_ = 0;
    bool first_ = true;
    int counter_ = 0;
    int rounds_ = 0;
    // Opening.
    int openingPc_ = 0, openingHold_ = 0, staffLine_ = 0;
    bool openingLoaded_ = false;
    // Battle.
    bool roundStart_ = true;
    int endWait_ = 0, roundTicks_ = 0;
    int originCol_ = 0, originRow_ = 0;
};

// ---- opening ----

void Title5Scene::RevealInterlaced(const fw::Surface16& picture) {
    // Even lines, then odd lines, a millisecond each.
    const ui::Rect area = s_.screen->Bounds();
    for (int pass = 0; pass < 2; ++pass)
        for (int y = pass; y < kSceneHeight; y += 2) {
            BltRop(*s_.screen, s_.sceneX, s_.sceneY + y, kSceneWidth, 1, picture, 0, y, Rop::Copy, area);
            WaitMilliseconds(s_, 1);
        }
}

void Title5Scene::ComposeStaffLine(fw::Surface16& out, bool onTitle) {
    out.Fill(out.Bounds(), 0);
    if (onTitle && pics_[5])
        BltRop(out, 0, 0, kSceneWidth, kSceneHeight, *pics_[5], 0, 0, Rop::Copy, out.Bounds());
    if (staffLine_ >= kStaffLines) return;
    const std::string text = kStaff[staffLine_++];
    const int x = (40 - int(text.size()) / 2) * 8, y = 336;
    // The text painter draws on the screen: lend it the picture.
    auto picture = std::make_unique<fw::Surface16>(kSceneWidth, kSceneHeight);
    BltRop(*picture, 0, 0, kSceneWidth, kSceneHeight, out, 0, 0, Rop::Copy, picture->Bounds());
    std::swap(s_.screen, picture);
    if (onTitle) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx || dy) DrawSaverText(s_, text, x + dx, y + dy, ui::Rgb(0, 0, 0), 0, 0);
        DrawSaverText(s_, text, x, y, ui::Rgb(255, 128, 0), 0, 0);
    } else {
        DrawSaverText(s_, text, x, y, ui::Rgb(255, 255, 255), 0, 0);
    }
    std::swap(s_.screen, picture);
    BltRop(out, 0, 0, kSceneWidth, kSceneHeight, *picture, 0, 0, Rop::Copy, out.Bounds());
}

int Title5Scene::RunTitle5Opening() {
    if (!openingLoaded_) {
        openingLoaded_ = true;
        openingPc_ = 0, openingHold_ = 0, staffLine_ = 0;
        PlaceSceneRandomly(s_, 9);
        if (!LoadBitmapResourceOrFile(s_, pics_[4], "q4open") ||
            !LoadBitmapResourceOrFile(s_, pics_[5], "q4title")) {
            pics_[4].reset();
            pics_[5].reset();
            return 0;  // without its pictures there is no opening
        }
    }
    if (openingHold_ > 0) {
        --openingHold_;
        return 1;
    }
    if (openingPc_ >= int(sizeof(kOpening) / sizeof(kOpening[0]))) return 0;
    const OpeningEntry e = kOpening[openingPc_++];
    const ui::Rect area = s_.screen->Bounds();
    fw::Surface16 frame(kSceneWidth, kSceneHeight);
    switch (e.op) {
        case kDissolve:
        case kRevealTitle: {
            const fw::Surface16& pic = *pics_[e.op == kDissolve ? 4 : 5];
            if (e.op == kRevealTitle && e.value == 1) {
                BltRop(frame, 0, 0, kSceneWidth, kSceneHeight, pic, 0, 0, Rop::Copy, frame.Bounds());
                RevealInterlaced(frame);
                break;
            }
            // 8 x 1 blocks in a scattered order: a step through all of them by a stride
            // that shares no factor with their number visits each once.
            constexpr int kBlocks = (kSceneWidth / 8) * kSceneHeight;
            for (int i = 0; i < kBlocks; ++i) {
                const int b = int((long long)i * 7919 % kBlocks);
                const int bx = (b % (kSceneWidth / 8)) * 8, by = b / (kSceneWidth / 8);
                BltRop(*s_.screen, s_.sceneX + bx, s_.sceneY + by, 8, 1, pic, bx, by, Rop::Copy, area);
                if (i % 1600 == 1599) WaitMilliseconds(s_, 5);
            }
            break;
        }
        case kStaffOnTitle:
        case kStaffOnBlack:
            ComposeStaffLine(frame, e.op == kStaffOnTitle);
            RevealInterlaced(frame);
            break;
        case kHold: openingHold_ = std::max(0, e.value - 1); break;
        case kClear:
            RevealInterlaced(frame);  // a black picture
            break;
        default:
            return 0;
    }
    return 1;
}

int Title5Scene::RunDemoOpening() {
    const ui::Rect area = s_.screen->Bounds();
    if (!openingLoaded_) {
        openingLoaded_ = true;
        staffLine_ = 0, openingHold_ = 0;
        PlaceSceneRandomly(s_, 9);
        if (!LoadBitmapResourceOrFile(s_, pics_[4], "q4open") ||
            !LoadBitmapResourceOrFile(s_, pics_[5], "q4title"))
            return 0;
        BltRop(*s_.screen, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, *pics_[4], 0, 0,
               Rop::Copy, area);
        WaitMilliseconds(s_, 1500);
        BltRop(*s_.screen, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, *pics_[5], 0, 0,
               Rop::Copy, area);
        return 1;
    }
    if (openingHold_ > 0) {
        --openingHold_;
        return 1;
    }
    // Each line on the title for five ticks; the list ends at its first empty line.
    if (staffLine_ >= kStaffLines || kStaff[staffLine_][0] == '\0') return 0;
    const std::string text = kStaff[staffLine_++];
    BltRop(*s_.screen, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, *pics_[5], 0, 0,
           Rop::Copy, area);
    DrawSaverText(s_, text, s_.sceneX + (40 - int(text.size()) / 2) * 8, s_.sceneY + 336,
                  ui::Rgb(255, 255, 255), 0, 0);
    openingHold_ = 4;
    return 1;
}

namespace {

bool ReadPath(const std::string& path, std::vector<uint8_t>* out) {
    if (path.empty()) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !out->empty();
}

}  // namespace

bool Title5Scene::LoadDemoData() {
    // zvdemosaver's files: the map (a second plane of length 0 is stored plain), the kinds,
    // the units in records of 266 bytes and the silhouette index files.
    std::vector<uint8_t> block, units;
    if (!ReadPath(FindSceneFile(s_, "zv4.map"), &block) || !ReadHexMap(block, true, &data_.map))
        return false;
    if (!ReadPath(FindSceneFile(s_, "ZV4MARK.DAT"), &data_.kinds) ||
        data_.kinds.size() != std::size_t(kKinds) * kKindSize)
        return false;
    constexpr std::size_t kFileUnit = 266;
    if (!ReadPath(FindSceneFile(s_, "ZV4UNIT.DAT"), &units) || units.size() != kUnits * kFileUnit)
        return false;
    data_.units.assign(std::size_t(kUnits) * kUnitSize, 0);
    for (std::size_t i = 0; i < std::size_t(kUnits); ++i)
        std::copy(units.begin() + long(i * kFileUnit), units.begin() + long(i * kFileUnit + kUnitSize),
                  data_.units.begin() + long(i * kUnitSize));
    static constexpr const char* kIndex[4] = {"babes", "shilet.idx", "shiletf.idx", "shiletb.idx"};
    for (int i = 0; i < 4; ++i)
        if (!ReadPath(FindSceneFile(s_, kIndex[i]), &demoIndex_[i])) return false;
    // The scene's own index stays empty: the files stand in for it.
    data_.silhouettes.assign(kSilhouetteSize, 0);
    return true;
}

bool Title5Scene::FindFigure(int number, int sheetHeight, Silhouette* out) const {
    if (!demo_) return FindSilhouette(data_.silhouettes, number, sheetHeight, out);
    const int file = number <= 30 ? 0 : number <= 300 ? 1 : number <= 600 ? 2 : 3;
    return ReadSpriteIndex(demoIndex_[std::size_t(file)], number, sheetHeight, out);
}

// ---- battle ----

bool Title5Scene::AllocTitle5Buffers() {
    data_ = Data{};
    data_.kinds.reserve(std::size_t(kKinds) * kKindSize);
    data_.units.reserve(std::size_t(kUnits) * kUnitSize);
    base_ = std::make_unique<fw::Surface16>(kSceneWidth, kSceneHeight);
    sequences_.clear();
    return true;
}

bool Title5Scene::LoadTitle5Map() {
    std::vector<uint8_t> block;
    if (!LoadRcDataBlock(s_, 158, &block)) return false;
    return ReadHexMap(block, false, &data_.map);
}

bool Title5Scene::LoadTitle5Data() {
    static constexpr const char* kNames[4] = {"q4mghex", "q4shilet", "q4shiletb", "q4shiletf"};
    bool ok = demo_ ? LoadDemoData() : LoadTitle5Map();
    for (int i = 0; i < 4 && ok; ++i) ok = LoadBitmapResourceOrFile(s_, pics_[i], kNames[i]) == 1;
    // The combat tables are the same blocks in both programs.
    if (!demo_)
        ok = ok && LoadRcDataBlock(s_, 117, &data_.kinds) && LoadRcDataBlock(s_, 118, &data_.units) &&
             LoadRcDataBlock(s_, 163, &data_.silhouettes);
    ok = ok && LoadRcDataBlock(s_, 160, &data_.weapons) && LoadRcDataBlock(s_, 161, &data_.terrain) &&
         LoadRcDataBlock(s_, 162, &data_.range) && LoadRcDataBlock(s_, 203, &data_.losses);
    return ok && data_.Valid();
}

void Title5Scene::FreeTitle5Scene() {
    for (PictureSlot& p : pics_) p.reset();
    data_ = Data{};
    base_.reset();
    sequences_.clear();
    openingLoaded_ = false;
}

void Title5Scene::HexCentre(int col, int row, int* x, int* y) const {
    *x = (col - originCol_) * kHex + ((row & 1) ? kHex / 2 : 0);
    *y = (row - originRow_) * kRowPitch;
}

bool Title5Scene::DrawTitle5HexMap(fw::Surface16& dst) {
    const fw::Surface16* sheet = pics_[0].get();
    if (!sheet) return false;
    dst.Fill(dst.Bounds(), 0);
    const ui::Rect all = dst.Bounds();
    for (int r = 0; r < kSectionRows; ++r)
        for (int c = -1; c < kSectionCols; ++c) {
            const int col = originCol_ + c, row = originRow_ + r;
            if (col < 0 || row < 0 || col >= kMapSide || row >= kMapSide) continue;
            int x = 0, y = 0;
            HexCentre(col, row, &x, &y);
            const int t = data_.map.Terrain(col, row);
            const std::size_t at = std::size_t(t) * kTerrainSize;
            const int sc = at + 4 < data_.terrain.size() ? data_.terrain[at + 3] : 0;
            const int sr = at + 4 < data_.terrain.size() ? data_.terrain[at + 4] : 0;
            BltKeyed(dst, x - kHex / 2, y - kHex / 2, kHex, kHex, *sheet, sc * kHex, sr * kHex, all);
        }
    // The units standing on the map: marks of row 4 of the sheet.
    for (int r = 0; r < kSectionRows; ++r)
        for (int c = -1; c < kSectionCols; ++c) {
            const int col = originCol_ + c, row = originRow_ + r;
            const int v = data_.map.Unit(col, row);
            if (v == 0) continue;
            int x = 0, y = 0;
            HexCentre(col, row, &x, &y);
            BltKeyed(dst, x - kHex / 2, y - kHex / 2, kHex, kHex, *sheet, ((v - 1) % 12) * kHex,
                     4 * kHex, all);
        }
    return true;
}

bool Title5Scene::DrawTitle5Silhouette(fw::Surface16& dst, int number, int x, int y, bool mirrored) {
    // 1-300 figures (over their masks 600 further on), 301-600 the firing frames, painted
    // over the picture, 601-900 the masks alone.
    const int sheet = number <= 300 ? 1 : number <= 600 ? 3 : 2;
    const fw::Surface16* pic = pics_[sheet].get();
    if (!pic) return false;
    Silhouette sil;
    if (!FindFigure(number, pic->Height(), &sil)) return false;
    const int sx = sil.x + (mirrored && sil.mirrored ? sil.w : 0);
    const ui::Rect all = dst.Bounds();
    const int left = x - sil.w / 2, top = y - sil.h / 2;
    if (sheet == 1) {
        Silhouette mask;
        if (pics_[2] && FindFigure(number + 600, pics_[2]->Height(), &mask))
            BltRop(dst, left, top, mask.w, mask.h, *pics_[2],
                   mask.x + (mirrored && mask.mirrored ? mask.w : 0), mask.y, Rop::And, all);
    }
    BltRop(dst, left, top, sil.w, sil.h, *pic, sx, sil.y, sheet == 2 ? Rop::And : Rop::Paint, all);
    return true;
}

void Title5Scene::DrawFigure(fw::Surface16& dst, int picture, int cx, int cy, bool mirrored) {
    DrawTitle5Silhouette(dst, picture, cx, cy, mirrored);
}

int Title5Scene::RunTitle5Battle() {
    if (roundStart_) {
        roundStart_ = false;
        roundTicks_ = 0;
        FillClientBlack(s_);
        PlaceSceneRandomly(s_, 4);
        if (!SetUpBattle(s_.random, data_, battle_, demo_)) return -1;
        if (demo_)  // the line the older program leaves for a debugger
            std::fprintf(stderr, "%d, %d, %d, %d\n", battle_.attacker.kind, battle_.defender.kind,
                         battle_.attacker.unit + 1, battle_.defender.unit + 1);
        // The section is centred on the defender, on an even row so rows keep their offset.
        originCol_ = battle_.defender.x - kSectionCols / 2;
        originRow_ = (battle_.defender.y - kSectionRows / 2 + 1) & ~1;
        if (!DrawTitle5HexMap(*base_)) return -1;
        sequences_.clear();
        struct Who {
            Side* side;
            bool attacker;
        };
        const bool attackerLeft = battle_.direction >= 3;  // the defender lies to its left
        for (const Who w : {Who{&battle_.attacker, true}, Who{&battle_.defender, false}}) {
            const Side& sd = *w.side;
            const uint8_t* u = data_.Unit(sd.unit);
            const uint8_t* kind = data_.Kind(sd.kind);
            const int picture = u[kUnitPicture] | u[kUnitPicture + 1] << 8;
            const bool mirrored = w.attacker ? attackerLeft : !attackerLeft;
            int hx = 0, hy = 0;
            HexCentre(sd.x, sd.y, &hx, &hy);
            const int count = std::clamp(sd.figures, 1, 6);
            for (int f = 0; f < count; ++f) {
                Sequence q;
                q.x = hx + kCluster[f][0];
                q.y = hy + kCluster[f][1];
                q.mirrored = mirrored;
                q.unitPicture = picture;
                DrawFigure(*base_, picture, q.x, q.y, mirrored);
                if (w.attacker) {
                    if (sd.weapon < 0) continue;
                    // Frame kind and repetition by what the weapon looks like.
                    static constexpr int kFirst[4] = {301, 311, 321, 341};
                    static constexpr int kCount[4] = {10, 1, 11, 6};
                    const int kindShow = std::clamp(sd.show, 0, 3);
                    int repeat = 1;
                    if (kindShow == 0) repeat = std::max(2, 40 / std::max(1, sd.shots));
                    if (kindShow == 2) repeat = std::max(1, 20 / std::max(1, sd.shots));
                    for (int rep = 0; rep < repeat; ++rep)
                        for (int i = 0; i < kCount[kindShow]; ++i) q.frames.push_back(kFirst[kindShow] + i);
                    q.x += mirrored ? -18 : 18;  // at the muzzle
                    q.delay = f;
                } else {
                    const bool hit = f < sd.losses || (sd.losses == 0 && f < std::min(count, battle_.attacker.hits));
                    if (!hit) continue;
                    const int flags = kind ? kind[kKindFlags] : 0;
                    const int set = (flags & 2) ? 36 : (flags & 4) ? 66 : 6;
                    q.destroyed = f < sd.losses;
                    const int first = set + (q.destroyed ? 15 : 0);
                    for (int i = 0; i < 8; ++i) q.frames.push_back(first + i);
                    if (!q.destroyed) q.frames.push_back(901);  // the figure shows again
                    q.delay = 4 + f;
                }
                if (int(q.frames.size()) > kSequenceLimit) q.frames.resize(kSequenceLimit);
                if (!q.frames.empty()) sequences_.push_back(q);
            }
        }
        // The still picture, then the frames from the next tick on.
        BltRop(*s_.screen, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, *base_, 0, 0, Rop::Copy,
               s_.screen->Bounds());
        endWait_ = kEndWait;
        return 0;
    }
    ++roundTicks_;
    bool running = false;
    fw::Surface16 frame(kSceneWidth, kSceneHeight);
    BltRop(frame, 0, 0, kSceneWidth, kSceneHeight, *base_, 0, 0, Rop::Copy, frame.Bounds());
    for (Sequence& q : sequences_) {
        if (q.index >= int(q.frames.size())) continue;
        running = true;
        if (q.delay > 0) {
            --q.delay;
            continue;
        }
        const int n = q.frames[std::size_t(q.index++)];
        if (n > 900) {
            DrawFigure(frame, q.unitPicture, q.x, q.y, q.mirrored);
        } else {
            DrawTitle5Silhouette(frame, n, q.x, q.y, q.mirrored);
        }
        if (q.destroyed && q.index == int(q.frames.size())) {
            // What is left of a destroyed figure stays on the picture: the last frame.
            DrawTitle5Silhouette(*base_, n, q.x, q.y, q.mirrored);
        }
    }
    BltRop(*s_.screen, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, frame, 0, 0, Rop::Copy,
           s_.screen->Bounds());
    if (running && roundTicks_ < kSequenceLimit * 2) return 0;
    if (--endWait_ > 0) return 0;
    roundStart_ = true;
    return 1;
}

int Title5Scene::Step(bool closing) {
    if (closing) {
        FreeTitle5Scene();
        return -1;
    }
    const SaverSettings& st = s_.settings;
    if (state_ == 0) {
        if (st.title[4] != 1 && !demo_) {
            Enter(1);
        } else {
            if (first_) {
                first_ = false;
                FillClientBlack(s_);
                if (demo_) {
                    // zvdemosaver shows its title whatever the flag says, for ten ticks.
                    if (LoadBitmapResourceOrFile(s_, s_.titlePicture, TitlePictureName(s_.build, 4))) {
                        const fw::Surface16& p = *s_.titlePicture;
                        BltRop(*s_.screen, (s_.clientWidth - p.Width()) / 2,
                               (s_.clientHeight - p.Height()) / 2, p.Width(), p.Height(), p, 0, 0,
                               Rop::Copy, s_.screen->Bounds());
                    }
                    s_.titlePicture.reset();
                } else {
                    PaintTitleBitmap(s_, 4);
                }
                counter_ = demo_ ? 10 : 25;
            }
            if (--counter_ < 1) Enter(1);
            return 0;
        }
    }
    if (state_ == 1) {
        if (st.opening[4] != 1 && !demo_) {
            Enter(2);
        } else {
            if (first_) {
                first_ = false;
                FillClientBlack(s_);
                openingLoaded_ = false;
                return 0;
            }
            if ((demo_ ? RunDemoOpening() : RunTitle5Opening()) == 0) {
                pics_[4].reset();
                pics_[5].reset();
                Enter(2);
            }
            return 0;
        }
    }
    if (first_) {
        first_ = false;
        rounds_ = st.realFightLoopSwitch ? 1 : st.realFightLoopNum;
        roundStart_ = true;
        if (!AllocTitle5Buffers() || !LoadTitle5Data()) {
            FreeTitle5Scene();
            return -1;
        }
    }
    const int r = RunTitle5Battle();
    if (r == -1) rounds_ = 0;
    if (r == 1 && !st.realFightLoopSwitch) --rounds_;
    if (rounds_ > 0) return 0;
    FreeTitle5Scene();
    Enter(0);
    return 1;
}

}  // namespace

std::unique_ptr<Scene> MakeTitle5Scene(SaverState& s) {
    return std::make_unique<Title5Scene>(s);
}

}  // namespace zv::saver
