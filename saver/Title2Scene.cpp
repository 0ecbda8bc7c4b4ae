// The title-2 scene (zvsaver's own title): the title picture, six opening pages in which a
// formation flies or drives in and fires, the hex-map and end pictures, and battle rounds.

#include <array>
#include <utility>

#include "saver/Credits.h"
#include "saver/Scenes.h"
#include "saver/Sprites.h"
#include "saver/Title2Battle.h"

namespace zv::saver {

namespace {

struct OpeningPage {
    int colour;
    int unit1, unit2;
    int dy;
    int weaponKind;
    int hitExplosion, killExplosion;
    char movingKey, targetKey;
};

constexpr OpeningPage kPages[6] = {
    {5, 1, 2, 8, 0, 13, 13, 'F', 'x'},       {4, 32, 37, 0, 0x4001, 13, 17, 'R', 'x'},
    {4, 21, 19, -4, 9, 17, 17, 'F', 'p'},    {4, 25, 29, -1, 4, 17, 17, 'P', 'p'},
    {4, 45, 47, 0, 7, 17, 17, 'U', 'u'},     {5, 13, 15, 7, 2, 17, 17, 'A', 't'},
};

class Title2Scene : public Scene {
  public:
    explicit Title2Scene(SaverState& s) : s_(s), battle_(s) {}
    int Step(bool closing) override;

  private:
    bool SetUp();
    void Free();
    int RunOpening();
    void DrawCredits(int page);
    void DrawScenePicture(const fw::Surface16* p);
    int StepFight();
    void Enter(int state) {
        state_ = state;
        first_ = true;
    }
    void DrawMoving(int i) {
        battle_.DrawTitle2Figure(battle_.a.x[i], battle_.a.y[i], moving_, kPages[page_].colour,
                                 false);
    }
    void MoveFigure(int i) {
        DrawMoving(i);
        battle_.a.x[i] += 8;
        battle_.a.y[i] += kPages[page_].dy;
        DrawMoving(i);
    }

    SaverState& s_;
    Title2Battle battle_;
    PictureSlot unit_, bomb_, hex_, end_, black_;
    MonoBitmap mask_;
    std::vector<uint8_t> data_;
    int state_ = 0;
    bool first_ = true;
    int counter_ = 0;
    int rounds_ = 0;
    bool needsLoading_ = true;
    // Opening.
    int page_ = 0, phase_ = 0, steps_ = 0, pause_ = 0, moving_ = 0;
    int movers_ = 10;  // figures of the moving side on the screen
    // Battle rounds.
    bool fightFirst_ = true;
    bool inEndPause_ = false;
    int endPause_ = 0;
    bool aFires_ = false;
};

bool Title2Scene::SetUp() {
    Free();
    const std::pair<PictureSlot*, const char*> pictures[] = {
        {&unit_, "Q2UNIT"}, {&bomb_, "Q2BOMB"}, {&hex_, "Q2HEX"}, {&end_, "Q2END"}};
    for (const auto& [slot, name] : pictures) {
        if (!LoadBitmapResourceOrFile(s_, *slot, name)) {
            ReportMissing(s_, name);
            return false;
        }
    }
    black_ = std::make_unique<fw::Surface16>(kSceneWidth, kSceneHeight);
    mask_ = MakeMonoFromWhite(*unit_);
    if (!LoadRcDataBlock(s_, 201, &data_) || data_.size() < std::size_t(kDemoUnitOffset)) {
        ReportMissing(s_, "RCDATA201");
        return false;
    }
    const int rows = int((data_.size() - kDemoUnitOffset) / kDemoUnitSize);
    if (rows <= 0) return false;
    battle_.SetUnits(data_.data() + kDemoUnitOffset, rows);
    battle_.SetPictures({bomb_.get(), &mask_});
    return true;
}

void Title2Scene::Free() {
    unit_.reset();
    bomb_.reset();
    hex_.reset();
    end_.reset();
    black_.reset();
    mask_ = MonoBitmap{};
    data_.clear();
    battle_.SetUnits(nullptr, 0);
    battle_.SetPictures({});
    ResetScenePlacement(s_);
}

void Title2Scene::DrawScenePicture(const fw::Surface16* p) {
    s_.sceneX = s_.clientWidth / 2 - kSceneWidth / 2;
    s_.sceneY = s_.clientHeight / 2 - kSceneHeight / 2;
    if (p)
        BltRop(*s_.screen, s_.sceneX, s_.sceneY, kSceneWidth, kSceneHeight, *p, 0, 0, Rop::Copy,
               s_.screen->Bounds());
}

void Title2Scene::DrawCredits(int page) {
    const int x = page < 2 ? 480 : 384, y = page < 2 ? 48 : 240;
    const CreditPage& lines = Title2CreditPages()[page];
    for (int i = 0; i < 5 && lines[i][0]; ++i)
        DrawSaverText(s_, lines[i], s_.sceneX + x, s_.sceneY + y + 20 * i,
                      ui::Rgb(255, 255, 255), ui::Rgb(0, 0, 0), 0);
}

int Title2Scene::RunOpening() {
    if (pause_ > 0) {
        --pause_;
        return 1;
    }
    const OpeningPage& pg = kPages[page_];
    Title2Side& a = battle_.a;
    Title2Side& b = battle_.b;
    switch (phase_) {
        case 0: {
            Title2Battle::LayOutTitle2Formation(a.x, a.y, pg.movingKey, false);
            Title2Battle::LayOutTitle2Formation(b.x, b.y, pg.targetKey, false);
            moving_ = s_.random.Mod(3) != 0 ? pg.unit1 : pg.unit2;
            if (page_ == 0) phase_ = 3;
            else phase_ = s_.random.Mod(3) != 0 ? 2 : 1;
            if (page_ == 0)
                for (int i = 0; i < 10; ++i) a.x[i] = 88, a.y[i] = 199;
            if (pg.targetKey == 'x')
                for (int i = 0; i < 10; ++i) b.x[i] = (i % 2) ? 532 : 500, b.y[i] = 50 + 24 * i;
            for (int i = 0; i < 10; ++i) a.x[i] -= 272, a.y[i] -= 34 * pg.dy;
            steps_ = 0;
            FillClientBlack(s_);
            s_.sceneX = s_.clientWidth / 2 - kSceneWidth / 2;
            s_.sceneY = s_.clientHeight / 2 - kSceneHeight / 2;
            DrawCredits(page_);
            a.fighter = Title2Fighter{};
            b.fighter = Title2Fighter{};
            a.fighter.weaponKind = pg.weaponKind;
            a.fighter.hitExplosion = pg.hitExplosion;
            a.fighter.killExplosion = pg.killExplosion;
            a.fighter.hitChance = 80;
            a.fighter.fires = 1;
            a.fighter.colour = pg.colour;
            a.fighter.unitRow = moving_;
            a.present.fill(true);
            b.present.fill(true);
            // The moving side enters from the left, off the scene; on page 0 it comes in single
            // file, so only its first figure is on the screen.
            movers_ = page_ == 0 ? 1 : 10;
            for (int i = 0; i < movers_; ++i) DrawMoving(i);
            return 1;
        }
        case 1:
            for (int k = 0; k < 2 && steps_ < 34; ++k) {
                for (int i = 0; i < 10; ++i) MoveFigure(i);
                ++steps_;
                WaitMilliseconds(s_, 5);
            }
            if (steps_ >= 34) phase_ = 5, steps_ = 0, pause_ = 2;
            return 1;
        case 2:
            for (int k = 0; k < 34; ++k) {
                MoveFigure(steps_);
                WaitMilliseconds(s_, 6);
            }
            if (++steps_ >= 10) phase_ = 5, steps_ = 0, pause_ = 2;
            return 1;
        case 3:
            for (int k = 0; k < 34; ++k) {
                MoveFigure(0);
                WaitMilliseconds(s_, 10);
            }
            for (int i = 1; i < 10; ++i) a.x[i] = a.x[0], a.y[i] = a.y[0];
            phase_ = 5, steps_ = 0, pause_ = 3;
            battle_.NewFight();
            return 1;
        case 5:
            if (steps_ == 0) battle_.NewFight();
            for (int k = 0; k < 50; ++k) {
                ++steps_;
                const int r = battle_.AnimateTitle2Fight(true, true);
                WaitMilliseconds(s_, 20);
                if (r == 0) {
                    phase_ = 9, steps_ = 0, pause_ = 3;
                    break;
                }
            }
            return 1;
        default:
            phase_ = 0;
            if (++page_ > 5) {
                page_ = 0;
                return 0;
            }
            return 1;
    }
}

int Title2Scene::StepFight() {
    if (inEndPause_) {
        if (endPause_ > 0) {
            --endPause_;
            return 0;
        }
        inEndPause_ = false;
        fightFirst_ = true;
        return 1;
    }
    if (fightFirst_) {
        FillClientBlack(s_);
        PlaceSceneRandomly(s_, 1);
        battle_.a = Title2Side{};
        battle_.b = Title2Side{};
        const int r = battle_.SetUpTitle2Fight();
        fightFirst_ = false;
        if (r < 0) {
            // The data holds no pair for the drawn row: this round shows nothing and ends.
            inEndPause_ = true;
            endPause_ = 5;
            return 0;
        }
        aFires_ = r == 1;
        battle_.DrawTitle2Sides();
        battle_.NewFight();
    }
    for (int k = 0; k < 50; ++k) {
        const int r = battle_.AnimateTitle2Fight(aFires_, false);
        WaitMilliseconds(s_, 20);
        if (r == 0) {
            inEndPause_ = true;
            endPause_ = 5;
            break;
        }
    }
    return 0;
}

int Title2Scene::Step(bool closing) {
    if (closing) {
        Free();
        return -1;
    }
    if (needsLoading_) {
        if (!SetUp()) {
            Free();
            return 1;
        }
        needsLoading_ = false;
        counter_ = 0;
    }
    const SaverSettings& st = s_.settings;
    if (state_ == 0) {
        if (st.title[1] != 1) {
            Enter(1);
        } else {
            if (first_) {
                FillClientBlack(s_);
                PaintTitleBitmap(s_, 1);
                counter_ = 25;
                first_ = false;
            }
            if (--counter_ < 1) Enter(1);
            return 0;
        }
    }
    if (state_ == 1) {
        if (st.opening[1] != 1) {
            Enter(4);
        } else {
            if (first_) {
                FillClientBlack(s_);
                page_ = 0, phase_ = 0, steps_ = 0, pause_ = 0;
                first_ = false;
            }
            if (RunOpening() == 0) Enter(2);
            return 0;
        }
    }
    if (state_ == 2 || state_ == 3) {
        if (first_) {
            FillClientBlack(s_);
            DrawScenePicture(state_ == 2 ? hex_.get() : end_.get());
            counter_ = 25;
            first_ = false;
        }
        if (--counter_ < 1) {
            if (state_ == 2) WaitMilliseconds(s_, 200);
            Enter(state_ + 1);
        }
        return 0;
    }
    if (state_ == 4) {
        if (first_) {
            rounds_ = st.realFightLoopSwitch ? 1 : st.realFightLoopNum;
            fightFirst_ = true;
            inEndPause_ = false;
            first_ = false;
        }
        if (StepFight() == 1 && !st.realFightLoopSwitch) --rounds_;
        if (rounds_ <= 0) Enter(5);
        return 0;
    }
    Free();
    needsLoading_ = true;
    Enter(0);
    return 1;
}

}  // namespace

std::unique_ptr<Scene> MakeTitle2Scene(SaverState& s) {
    return std::make_unique<Title2Scene>(s);
}

}  // namespace zv::saver
