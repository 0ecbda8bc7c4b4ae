// The title-9 scene: the title picture, an opening in which a tall picture scrolls on the
// left while four pictures pan on the right (with the opening music when the BGM flag is on),
// and air battles between two formations over a tiled day or night sky.

#include <algorithm>
#include <array>
#include <cstdlib>

#include "saver/Scenes.h"
#include "saver/Sprites.h"

namespace zv::saver {

namespace {

constexpr int kSkyLayouts = 36, kSkyTiles = 160;
constexpr int kAircraftRecords = 240, kAircraftSize = 176;
constexpr int kMaxAircraft = 48;
constexpr int kAreaUnits = 80;        // the area is 80 units of 8 pixels across
constexpr int kBattleCallLimit = 400; // a battle always ends within this many calls
constexpr int kPickTries = 1000;

// The sprite table of the aircraft sheets: x and width in 8-pixel units, y and height in
// pixels. Sheet rows 0-3 hold four aircraft types in five poses (level, climbing, diving,
// damaged, burning), row 4 the effects; masks lie 200 rows lower, the aircraft facing left
// 400 rows lower.
struct Title9Sprite {
    int x = 0, w = 0, y = 0, h = 0;
};
std::array<Title9Sprite, 265> MakeSpriteTable() {
    std::array<Title9Sprite, 265> t{};
    for (int n = 0; n < 25; ++n) t[n] = {(n % 5) * 8, 8, (n / 5) * 40, 40};
    return t;
}
const std::array<Title9Sprite, 265> kSprites = MakeSpriteTable();
constexpr int kFlash = 20, kBlast = 21, kSmoke = 24;

struct Aircraft {
    int state = 0;  // 0 flying, 1 equal hits, 2 hit, 5 lightly hit, 7 heavily hit, 8 destroyed
    int pose = 0;   // 0 level, 1 climbing, 2 diving
    int x = 0;      // 8-pixel units
    int y = 0;      // pixels
    int count = 3;  // what is left of it
    int hits = 0;
    int target = 0;
    int weapons = 0;
    int vanish = 0;  // frames until a destroyed aircraft is gone
    bool firing = false;
    bool present = false;
};

struct Formation {
    bool present = false;
    int record = -1;
    int count = 0;
    int nation = 0;
    int sheet = 0, type = 0, speed = 1;
    int trail = 0;
    std::array<Aircraft, kMaxAircraft> craft{};
};

struct Effect {
    int sprite = 0, frames = 0, x = 0, y = 0;
};

class Title9Scene : public Scene {
  public:
    explicit Title9Scene(SaverState& s) : s_(s) {}
    int Step(bool closing) override;

  private:
    void FreeBitmaps() {
        for (auto& p : pics_) p.reset();
        work_.reset();
        sky_.reset();
        skyData_.clear();
        aircraftData_.clear();
    }
    bool LoadTitle9Data();
    bool LoadTitle9Bitmaps();
    int RunOpening();
    int StepFight();
    bool SetUpBattle();
    bool SetUpFormation(Formation& f, int otherNation, bool first);
    void DrawSky(int layout, bool night);
    int RenderTitle9Fight(const fw::Surface16* sheet, int x, int y, int sprite, int flags);
    const uint8_t* Record(int i) const { return aircraftData_.data() + std::size_t(i) * kAircraftSize; }
    void Enter(int state) {
        state_ = state;
        first_ = true;
    }

    SaverState& s_;
    // 0 BR_DEF, 1 BR_ROLL, 2-5 BR_1..BR_4, 6-10 the aircraft sheets, 11 BR_DAY, 12 BR_NIGHT
    std::array<PictureSlot, 13> pics_;
    std::unique_ptr<fw::Surface16> work_, sky_;
    std::vector<uint8_t> skyData_, aircraftData_;
    int state_ = 0;
    bool first_ = true;
    bool sceneStart_ = true;
    int counter_ = 0;
    int rounds_ = 0;
    bool dataError_ = false;
    // Opening.
    bool openingFirst_ = true;
    int rollY_ = 0, right_ = 0, rightY_ = 0, rightPhase_ = 0, hold_ = 0, endHold_ = -1;
    int rightHold_ = 0;
    // Battle.
    bool battleFirst_ = true;
    int battleHold_ = 0, calls_ = 0, direction_ = 1;
    std::array<Formation, 2> forms_{};
    std::vector<Effect> effects_;
};

bool Title9Scene::LoadTitle9Data() {
    static constexpr const char* kNames[] = {"BR_DEF", "BR_ROLL", "BR_1", "BR_2", "BR_3", "BR_4"};
    bool ok = true;
    for (int i = 0; i < 6; ++i) ok &= LoadBitmapResourceOrFile(s_, pics_[i], kNames[i]) == 1;
    ok &= LoadBitmapResourceOrFile(s_, pics_[11], "BR_DAY") == 1;
    ok &= LoadBitmapResourceOrFile(s_, pics_[12], "BR_NIGHT") == 1;
    ok &= LoadRcDataBlock(s_, 153, &skyData_);
    return ok;
}

bool Title9Scene::LoadTitle9Bitmaps() {
    static constexpr const char* kSheets[5] = {"PLANE_J", "PLANE_D", "PLANE_A", "PLANE_ES",
                                               "PLANE_M"};
    bool ok = LoadBitmapResourceOrFile(s_, pics_[0], "BR_DEF") == 1;
    for (int i = 0; i < 5; ++i) ok &= LoadBitmapResourceOrFile(s_, pics_[6 + i], kSheets[i]) == 1;
    ok &= LoadBitmapResourceOrFile(s_, pics_[11], "BR_DAY") == 1;
    ok &= LoadBitmapResourceOrFile(s_, pics_[12], "BR_NIGHT") == 1;
    work_ = std::make_unique<fw::Surface16>(kSceneWidth, kSceneHeight);
    sky_ = std::make_unique<fw::Surface16>(kSceneWidth, kSceneHeight);
    const int block = s_.random.Mod(3) == 0 ? 157 : 156;
    ok &= LoadRcDataBlock(s_, block, &aircraftData_) &&
          aircraftData_.size() >= std::size_t(kAircraftRecords) * kAircraftSize;
    ok &= LoadRcDataBlock(s_, 153, &skyData_) &&
          skyData_.size() >= std::size_t(kSkyLayouts) * kSkyTiles;
    for (int i = 0; i < 5; ++i)  // every sheet must hold the picture, the mask and both facings
        ok &= pics_[6 + i] && pics_[6 + i]->Height() >= 800 && pics_[6 + i]->Width() >= 320;
    return ok;
}

int Title9Scene::RunOpening() {
    const fw::Surface16* roll = pics_[1].get();
    if (openingFirst_) {
        openingFirst_ = false;
        rollY_ = 0, right_ = 0, rightY_ = 0, rightPhase_ = 0, hold_ = 2, endHold_ = -1;
        PlaceSceneRandomly(s_, 9);
    }
    if (!roll || roll->Height() < kSceneHeight) return 1;  // nothing to scroll
    fw::Surface16 frame(kSceneWidth, kSceneHeight);
    const ui::Rect all = frame.Bounds();
    if (pics_[0]) BltRop(frame, 0, 0, kSceneWidth, kSceneHeight, *pics_[0], 0, 0, Rop::Copy, all);
    BltRop(frame, 0, 0, roll->Width(), kSceneHeight, *roll, 0, rollY_, Rop::Copy, all);
    const fw::Surface16* pic = pics_[2 + right_].get();
    if (pic)
        BltRop(frame, roll->Width(), 0, kSceneWidth - roll->Width(), kSceneHeight, *pic, 0,
               rightY_, Rop::Copy, all);
    BltRop(*s_.screen, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, frame, 0, 0, Rop::Copy,
           s_.screen->Bounds());
    if (endHold_ >= 0) {
        if (endHold_-- == 0) return 1;
        return 0;
    }
    if (hold_ > 0) {
        --hold_;
        return 0;
    }
    // Left: down the tall picture; its end ends the opening (after a short hold).
    rollY_ += 3;
    if (rollY_ > roll->Height() - kSceneHeight) {
        rollY_ = roll->Height() - kSceneHeight;
        endHold_ = 3;
    }
    // Right: down to the bottom, hold, back up, hold, next picture; the last one stays.
    const int bottom = pic ? std::max(0, pic->Height() - kSceneHeight) : 0;
    int& rightHold = rightHold_;
    switch (rightPhase_) {
        case 0:
            rightY_ = std::min(bottom, rightY_ + 4);
            if (rightY_ >= bottom) rightPhase_ = 1, rightHold = 12;
            break;
        case 1:
            if (--rightHold <= 0) rightPhase_ = 2;
            break;
        case 2:
            rightY_ = std::max(0, rightY_ - 4);
            if (rightY_ == 0) rightPhase_ = 3, rightHold = 12;
            break;
        case 3:
            if (--rightHold <= 0) {
                if (right_ < 3) ++right_, rightPhase_ = 0;
                else rightPhase_ = 4;
            }
            break;
        default:
            break;
    }
    return 0;
}

void Title9Scene::DrawSky(int layout, bool night) {
    const fw::Surface16* sheet = pics_[night ? 12 : 11].get();
    sky_->Fill(sky_->Bounds(), 0);
    if (!sheet) return;
    const uint8_t* tiles = skyData_.data() + std::size_t(layout) * kSkyTiles;
    for (int i = 0; i < kSkyTiles; ++i) {
        const int t = tiles[i];
        if (t == 0) continue;
        BltRop(*sky_, (i % 16) * 40, (i / 16) * 40, 40, 40, *sheet, ((t - 1) / 10) * 40,
               ((t - 1) % 10) * 40, Rop::Copy, sky_->Bounds());
    }
}

int Title9Scene::RenderTitle9Fight(const fw::Surface16* sheet, int x, int y, int sprite,
                                   int flags) {
    if (sprite < 0 || sprite >= int(kSprites.size())) return 0;
    const Title9Sprite& t = kSprites[sprite];
    if (t.w == 0 || t.h == 0) return 0;
    const int w = t.w * 8, sx = t.x * 8;
    const int sy = t.y + ((flags & 1) ? 400 : 0);
    int h = t.h, left = x - w / 2, top = y - t.h / 2;
    if (flags & 2) {  // squashed to two thirds, ending at the point
        h = t.h * 2 / 3;
        top = y - h;
    }
    const ui::Rect area = work_->Bounds();
    const int visW = std::min(left + w, area.right) - std::max(left, 0);
    const int visH = std::min(top + h, area.bottom) - std::max(top, 0);
    if (visW < 2 || visH < 2) return 0;
    if (flags & 8) return 1;  // only measured
    if (!sheet) return 0;
    StretchRop(*work_, left, top, w, h, *sheet, sx, sy + 200, w, t.h, Rop::And, area);
    StretchRop(*work_, left, top, w, h, *sheet, sx, sy, w, t.h, Rop::Paint, area);
    return 1;
}

bool Title9Scene::SetUpFormation(Formation& f, int otherNation, bool first) {
    f = Formation{};
    for (int tries = 0; tries < kPickTries; ++tries) {
        const int i = s_.random.Mod(kAircraftRecords);
        const uint8_t* r = Record(i);
        if (r[28] == 0) continue;
        if (first && (r[4] & 7) == 0) continue;
        if (!first && r[28] == otherNation) continue;
        f.present = true;
        f.record = i;
        f.nation = r[28];
        f.sheet = std::min<int>(r[2], 4);
        f.type = std::min<int>(r[3], 3);
        f.speed = std::max<int>(1, r[17]);
        f.trail = r[56];
        const int size = std::min<int>(r[0], kMaxAircraft - 1);
        f.count = std::min(kMaxAircraft, s_.random.Mod(size / 2) + size / 2 + 1);
        for (int k = 0; k < f.count; ++k) {
            Aircraft& a = f.craft[k];
            a.present = true;
            a.weapons = s_.random.Mod(r[20]) + 1;
        }
        return true;
    }
    return false;
}

bool Title9Scene::SetUpBattle() {
    FillClientBlack(s_);
    PlaceSceneRandomly(s_, 8);
    DrawSky(s_.random.Mod(kSkyLayouts), s_.random.Mod(2) == 1);
    const bool a = SetUpFormation(forms_[0], 0, true);
    const bool b = SetUpFormation(forms_[1], forms_[0].nation, false);
    if (!a && !b) return false;
    direction_ = s_.random.Mod(3) < 2 ? 1 : 3;
    // Lay out the engagement: the first formation enters from the side it flies from, the
    // second from the other side, in rows of four, each aiming at an enemy of its row.
    for (int side = 0; side < 2; ++side) {
        Formation& f = forms_[side];
        const bool fromLeft = (direction_ == 1) == (side == 0);
        for (int k = 0; k < f.count; ++k) {
            Aircraft& c = f.craft[k];
            const int col = k / 4, row = k % 4;
            c.x = fromLeft ? -2 - col * 5 - (row % 2) * 2 : kAreaUnits + 2 + col * 5 + (row % 2) * 2;
            c.y = 60 + row * 80 + s_.random.Mod(30) - (side == 0 ? 0 : 20);
            const int enemies = forms_[1 - side].count;
            c.target = enemies > 0 ? k % enemies : -1;
        }
    }
    effects_.clear();
    battleHold_ = 4;
    calls_ = 0;
    return true;
}

int Title9Scene::StepFight() {
    if (battleFirst_) {
        battleFirst_ = false;
        if (!SetUpBattle()) {
            battleFirst_ = true;
            return 0;
        }
    }
    if (battleHold_ > 0) {
        --battleHold_;
        return 1;
    }
    ++calls_;
    bool anyInside = false;
    // Move, steer, fire and resolve hits.
    for (int side = 0; side < 2; ++side) {
        Formation& f = forms_[side];
        Formation& enemy = forms_[1 - side];
        const int dir = ((direction_ == 1) == (side == 0)) ? 1 : -1;
        for (int k = 0; k < f.count; ++k) {
            Aircraft& c = f.craft[k];
            if (!c.present) continue;
            c.firing = false;
            if (c.state == 8) {
                if (--c.vanish <= 0) c.present = false;
                continue;
            }
            c.x += dir * f.speed;
            if (side == 1) c.y += ((10 - k % 5) - 7) / 2;  // the defenders drift
            Aircraft* t = (c.target >= 0 && enemy.present && c.target < enemy.count)
                              ? &enemy.craft[c.target]
                              : nullptr;
            if (t && (!t->present || t->state == 8)) t = nullptr;
            if (t) {
                const int dy = std::clamp((t->y - c.y) / 2, -16, 16);
                c.y += dy;
                c.pose = dy < -2 ? 1 : dy > 2 ? 2 : 0;
                const int dx = std::abs(t->x - c.x);
                if (dx < 14 && c.weapons > 0) {
                    c.firing = true;
                    --c.weapons;
                    if (dx < 3) {
                        --t->count;
                        ++t->hits;
                        const int rest = std::max(0, t->count);
                        if (rest == 0) {
                            t->state = 8;
                            t->vanish = 3;
                            effects_.push_back({kBlast, 3, t->x * 8, t->y});
                        } else if (t->hits == rest) {
                            t->state = 1;
                        } else if (t->hits >= 3 * rest) {
                            t->state = 7;
                        } else if (3 * t->hits < 2 * rest) {
                            t->state = 5;
                        } else {
                            t->state = 2;
                        }
                    }
                }
            } else {
                c.pose = 0;
            }
            c.y = std::clamp(c.y, 24, kSceneHeight - 24);
            if (c.x > -12 && c.x < kAreaUnits + 12) anyInside = true;
        }
    }
    // Draw: the sky, trails, aircraft, tracers, flashes and explosions.
    BltRop(*work_, 0, 0, kSceneWidth, kSceneHeight, *sky_, 0, 0, Rop::Copy, work_->Bounds());
    bool drawn = false;
    const ui::Rect area = work_->Bounds();
    for (int side = 0; side < 2; ++side) {
        Formation& f = forms_[side];
        const fw::Surface16* sheet = pics_[6 + f.sheet].get();
        const bool right = ((direction_ == 1) == (side == 0));
        const uint16_t trail = fw::Pixel32To565(f.trail ? 0xF0F0F0 : 0xC8D0E0);
        for (int k = 0; k < f.count; ++k) {
            const Aircraft& c = f.craft[k];
            if (!c.present) continue;
            const int px = c.x * 8, py = c.y;
            if (c.state != 8) {
                for (int line = -1; line <= 1; line += 2)
                    DrawLine(*work_, right ? px - 72 - 20 : px + 20, py + line * 2,
                             right ? px - 20 : px + 72 + 20, py + line * 2, trail, Rop::Paint,
                             true, area);
            }
            const int sprite = c.state == 8 ? kBlast + std::clamp(3 - c.vanish, 0, 2)
                                            : f.type * 5 + (c.state == 7 ? 4
                                                            : c.state >= 2 ? 3
                                                                           : c.pose);
            // A climb or dive shows the aircraft squashed, as seen at an angle.
            const int flags = (right ? 0 : 1) | (c.state != 8 && c.pose != 0 ? 2 : 0);
            if (RenderTitle9Fight(sheet, px, py + ((flags & 2) ? 13 : 0), sprite, flags))
                drawn = true;
            if (c.firing) {
                const Aircraft& t = forms_[1 - side].craft[c.target];
                DrawLine(*work_, px + (right ? 24 : -24), py, t.x * 8, t.y,
                         fw::Pixel32To565(0xFFE060), Rop::Paint, true, area);
                RenderTitle9Fight(sheet, px + (right ? 28 : -28), py, kFlash, right ? 0 : 1);
            }
        }
    }
    for (Effect& e : effects_) {
        const fw::Surface16* sheet = pics_[6].get();
        if (e.frames <= 0 || !sheet) continue;
        RenderTitle9Fight(sheet, e.x, e.y, e.frames > 1 ? kBlast + 3 - e.frames : kSmoke, 0);
        --e.frames;
    }
    std::erase_if(effects_, [](const Effect& e) { return e.frames <= 0; });
    if (drawn || calls_ == 1)
        BltRop(*s_.screen, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, *work_, 0, 0, Rop::Copy,
               s_.screen->Bounds());
    if (!anyInside || calls_ >= kBattleCallLimit) {
        battleFirst_ = true;
        return 0;
    }
    return 1;
}

int Title9Scene::Step(bool closing) {
    if (closing) {
        FreeBitmaps();
        return -1;
    }
    if (sceneStart_) {
        FreeBitmaps();
        LoadTitle9Data();  // what is missing just does not show
        sceneStart_ = false;
    }
    const SaverSettings& st = s_.settings;
    if (state_ == 0) {
        if (st.title[8] != 1) {
            Enter(1);
        } else {
            if (first_) {
                FillClientBlack(s_);
                PlaceSceneRandomly(s_, 9);
                counter_ = PaintTitleBitmap(s_, 8) ? 25 : 1;
                first_ = false;
            }
            if (--counter_ < 1) Enter(1);
            return 0;
        }
    }
    if (state_ == 1) {
        if (st.opening[8] != 1) {
            Enter(2);
        } else {
            if (first_) {
                if (st.bgm[8] == 1 && WriteMidiResourceToFile(s_)) PlayMidiFile(s_);
                FillClientBlack(s_);
                openingFirst_ = true;
                first_ = false;
            }
            if (RunOpening() == 1) {
                StopAndDeleteMidi(s_);
                Enter(2);
            }
            return 0;
        }
    }
    if (state_ == 2) {
        if (first_) {
            first_ = false;
            rounds_ = st.realFightLoopSwitch ? 1 : st.realFightLoopNum;
            battleFirst_ = true;
            dataError_ = !LoadTitle9Bitmaps();
            if (dataError_) {
                const std::string text = "Data Read Error";
                DrawSaverText(s_, text, (s_.clientWidth - 8 * int(text.size())) / 2, 0,
                              ui::Rgb(255, 255, 255), 0, 0);
                Enter(3);
                return 0;
            }
        }
        if (StepFight() == 0 && !st.realFightLoopSwitch) --rounds_;
        if (rounds_ <= 0) Enter(3);
        return 0;
    }
    Enter(0);
    FreeBitmaps();
    StopAndDeleteMidi(s_);
    sceneStart_ = true;
    return 1;
}

}  // namespace

std::unique_ptr<Scene> MakeTitle9Scene(SaverState& s) {
    return std::make_unique<Title9Scene>(s);
}

}  // namespace zv::saver
