#include <gtest/gtest.h>

#include <cinttypes>
#include <fstream>

#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "platform/video/MovieWindow.h"
#include "platform/video/testing/TestClip.h"
#include "saver/SaverFrame.h"
#include "saver/Scenes.h"
#include "saver/Title2Battle.h"
#include "saver/tests/SaverTestSupport.h"

namespace zv::saver {
namespace {

using testing::CountNonBlack;
using testing::MakeState;
using testing::Shot;

// Steps a scene until it reports something other than 0 (or the bound); the ticks taken.
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

std::string Hex(uint64_t v) {
    char b[24];
    std::snprintf(b, sizeof b, "%016" PRIx64, v);
    return b;
}

// Ten ticks of the picture, one black, and the report on the twelfth.
TEST(SaverTitleOnlyScene, TwelveTicksPictureBlackReport) {
    auto s = MakeState(SaverBuild::Saver, 800, 600, 1);
    s->settings.title[2] = 1;
    auto scene = MakeTitleOnlyScene(*s, 2);
    for (int tick = 1; tick <= 12; ++tick) {
        const int r = scene->Step(false);
        EXPECT_EQ(r, tick == 12 ? 1 : 0) << tick;
        if (tick == 1) Shot(*s->screen, "title3");
        const int lit = CountNonBlack(*s->screen);
        if (tick <= 10) {
            EXPECT_GT(lit, 640 * 400 / 2) << tick;
        }
        if (tick == 1) {
            EXPECT_EQ(Hex(ScreenChecksum(*s->screen)), "72fcea0c25ff544a");
        }
        if (tick == 11) {
            EXPECT_EQ(lit, 0);
        }
    }
    // Again from the start; with the flag off the screen stays black, timing unchanged.
    s->settings.title[2] = 0;
    for (int tick = 1; tick <= 12; ++tick) {
        EXPECT_EQ(scene->Step(false), tick == 12 ? 1 : 0);
        EXPECT_EQ(CountNonBlack(*s->screen), 0);
    }
    EXPECT_EQ(scene->Step(true), -1);
}

// The movie scenes run in a saver window (preview mode, so the test steps the scene itself).
class SaverMovieTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        dir = testing::TempDir("movie");
        auto owned = std::make_unique<ui::HeadlessBackend>(800, 600);
        backend = owned.get();
        wm = std::make_unique<ui::WindowManager>(std::move(owned));
        SaverOptions o;
        o.preview = true;
        o.seedFromClock = false;
        o.env.sharedDir = dir;
        o.env.currentDir = dir + "/none";
        o.env.settingsFile = dir + "/settings.conf";
        o.env.wait = [](int) {};
        window = CreateSaverWindow(o, 0, 0, 800, 600);
        ui::ShowWindow(window, ui::SW_SHOW);
        s = CurrentSaver();
    }
    void TearDown() override {
        if (ui::IsWindow(window)) ui::DestroyWindow(window);
        wm.reset();
        std::filesystem::remove_all(dir);
    }
    void Tick() {
        backend->AdvanceClock(kTimerMs);
        ui::Msg m;
        while (ui::PeekMessage(&m, {}, 0, 0, ui::PM_REMOVE)) {
            ui::TranslateMessage(m);
            ui::DispatchMessage(m);
        }
    }
    std::string dir;
    ui::HeadlessBackend* backend = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
    ui::Hwnd window{};
    SaverState* s = nullptr;
};

TEST_F(SaverMovieTest, TheMovieWindowClosesOnTheTenthTickAfterTheEnd) {
    video::testing::TestClipSpec spec;
    spec.width = 160;
    spec.height = 120;
    std::string error;
    ASSERT_TRUE(video::testing::WriteTestClip(dir + "/zv5.avi", spec, &error)) << error;
    ASSERT_TRUE(s);
    auto scene = MakeMovieScene(*s, 5, "zv5.avi");
    for (int tick = 1; tick <= 10; ++tick) EXPECT_EQ(scene->Step(false), 0);
    EXPECT_FALSE(s->movieWindow);
    EXPECT_EQ(scene->Step(false), 0);  // the movie starts
    ASSERT_TRUE(s->movieWindow);
    ui::Rect r{};
    ui::GetWindowRect(s->movieWindow, &r);
    EXPECT_EQ(r.left, 400 - 80);
    EXPECT_EQ(r.top, 300 - 60);
    int endSeen = -1, closed = -1;
    for (int tick = 1; tick <= 60 && closed < 0; ++tick) {
        Tick();
        const bool playing = s->movieWindow && video::IsMoviePlaying(s->movieWindow);
        if (!playing && endSeen < 0) endSeen = tick;
        EXPECT_EQ(scene->Step(false), 0);
        if (!s->movieWindow) closed = tick;
    }
    ASSERT_GT(endSeen, 0);
    EXPECT_EQ(closed - endSeen, 9) << "closed on the tenth tick counted from the end";
    EXPECT_EQ(scene->Step(false), 1);
}

TEST_F(SaverMovieTest, AMissingMovieEndsTheStateAtOnceAndTheFrameStopsAPlayingOne) {
    auto scene = MakeMovieScene(*s, 6, "zv5dx.avi");
    for (int tick = 1; tick <= 10; ++tick) EXPECT_EQ(scene->Step(false), 0);
    EXPECT_EQ(scene->Step(false), 0);
    EXPECT_FALSE(s->movieWindow);
    EXPECT_EQ(scene->Step(false), 1);

    video::testing::TestClipSpec spec;
    std::string error;
    ASSERT_TRUE(video::testing::WriteTestClip(dir + "/zv5dx.avi", spec, &error)) << error;
    EXPECT_EQ(PlayAviInWindow(*s, "zv5dx.avi", 0, 0), 0);
    ASSERT_TRUE(s->movieWindow);
    const ui::Hwnd movie = s->movieWindow;
    EXPECT_EQ(PlayAviInWindow(*s, "", 0, 1), 1);
    EXPECT_FALSE(s->movieWindow);
    EXPECT_FALSE(ui::IsWindow(movie));
}

TEST_F(SaverMovieTest, TheBuiltMoviePlaysInTheMiddle) {
    s->env.sharedDir = testing::ProgramDir() + "/Zvscenes";
    EXPECT_EQ(PlayAviInWindow(*s, "zv5.avi", 0, 0), 0);
    ASSERT_TRUE(s->movieWindow);
    for (int i = 0; i < 10; ++i) Tick();
    std::string error;
    std::filesystem::create_directories("saver-shots");
    EXPECT_TRUE(backend->WriteScreenshot("saver-shots/movie-zv5.png", &error)) << error;
    EXPECT_NE(backend->PixelAt(400, 300), 0u);
    PlayAviInWindow(*s, "", 0, 1);
}

// ---- the title-2 battle engine ----

class Title2EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        s = MakeState(SaverBuild::Saver, 800, 600, 5);
        std::ifstream in(testing::ProgramDir() + "/ZvsaverData/RCDATA201.bin", std::ios::binary);
        data.assign(std::istreambuf_iterator<char>(in), {});
        ASSERT_EQ(data.size(), std::size_t(kDemoBlockSize));
        PictureSlot unit;
        ASSERT_TRUE(LoadBitmapResourceOrFile(*s, unit, "Q2UNIT"));
        ASSERT_TRUE(LoadBitmapResourceOrFile(*s, bomb, "Q2BOMB"));
        mask = MakeMonoFromWhite(*unit);
        battle = std::make_unique<Title2Battle>(*s);
        battle->SetPictures({bomb.get(), &mask});
        battle->SetUnits(data.data() + kDemoUnitOffset, kDemoUnitRows);
    }
    std::unique_ptr<SaverState> s;
    std::vector<uint8_t> data;
    PictureSlot bomb;
    MonoBitmap mask;
    std::unique_ptr<Title2Battle> battle;
};

// The lobbed round flies a fixed arc and lands on its target, also straight above or below
// it (where the old rule divided by zero) and from a few pixels away.
TEST_F(Title2EngineTest, LobbedRoundsLandOnTheTargetWithinTheirSteps) {
    const struct {
        int x, y, tx, ty;
    } cases[] = {{100, 60, 400, 80}, {400, 80, 100, 60}, {200, 50, 200, 90},
                 {200, 90, 203, 40}, {10, 300, 630, 10}, {300, 100, 300, 100}};
    for (const auto& c : cases) {
        Title2Projectile p;
        p.x = p.x0 = c.x;
        p.y = p.y0 = c.y;
        p.tx = c.tx;
        p.ty = c.ty;
        const int bound = std::max(1, (std::abs(c.tx - c.x) + 7) / 8);
        int steps = 0;
        while (battle->MoveTitle2Lob(p)) ASSERT_LE(++steps, bound) << c.x << "->" << c.tx;
        EXPECT_EQ(p.x, c.tx);
        EXPECT_EQ(p.y, c.ty);
    }
}

// Shells close in on x and y together; one a few pixels short in x with far to go in y
// still arrives (the old rule left y where it was once fewer than 8 pixels were left).
TEST_F(Title2EngineTest, ShellsArriveWithinFivePixels) {
    const struct {
        int x, y, tx, ty;
    } cases[] = {{100, 60, 400, 80}, {396, 20, 400, 200}, {400, 200, 395, 10}, {0, 0, 640, 400}};
    for (const auto& c : cases) {
        Title2Projectile p;
        p.x = c.x, p.y = c.y, p.tx = c.tx, p.ty = c.ty;
        int steps = 0;
        while (battle->MoveTitle2Shell(p)) ASSERT_LE(++steps, 100);
        EXPECT_LE(std::abs(p.x - c.tx), 5);
        EXPECT_LE(std::abs(p.y - c.ty), 5);
    }
}

// Every pairing, for many seeds: the fight ends within a bounded number of steps, one-sided
// pairings never fire from side A, and what both sides drew is gone again except wrecks.
TEST_F(Title2EngineTest, EveryFightEndsAndOneSidedPairingsNeverFireBack) {
    int oneSided = 0, returned = 0;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        s->random.Seed(seed);
        battle->a = Title2Side{};
        battle->b = Title2Side{};
        const int r = battle->SetUpTitle2Fight();
        ASSERT_GE(r, 0) << "the data holds every pairing";
        battle->DrawTitle2Sides();
        battle->NewFight();
        int steps = 0;
        bool aShot = false;
        while (battle->AnimateTitle2Fight(r == 1, false)) {
            ASSERT_LT(++steps, 400) << "seed " << seed;
            for (const Title2Projectile& p : battle->a.shots) aShot |= p.kindBit != 0;
        }
        if (r == 0) {
            ++oneSided;
            EXPECT_FALSE(aShot) << "seed " << seed;
            EXPECT_EQ(battle->a.fighter.fires, 0);
        } else {
            ++returned;
            EXPECT_TRUE(aShot) << "seed " << seed;
        }
    }
    EXPECT_GT(oneSided, 0);
    EXPECT_GT(returned, 0);
}

// Data in which no unit has the keys a pairing needs: the set-up gives up after a bounded
// number of draws instead of retrying for ever, and the scene's round just ends.
TEST_F(Title2EngineTest, DataWithoutAMatchEndsTheRoundInsteadOfLooping) {
    std::vector<uint8_t> empty(kDemoBlockSize, 0);
    battle->SetUnits(empty.data() + kDemoUnitOffset, kDemoUnitRows);
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        s->random.Seed(seed);
        EXPECT_EQ(battle->SetUpTitle2Fight(), -1);
    }
    // Units with the keys but without the weapons: bounded retries too.
    std::vector<uint8_t> noWeapons(data);
    for (int r = 0; r < kDemoUnitRows; ++r)
        std::fill_n(noWeapons.begin() + kDemoUnitOffset + r * kDemoUnitSize + 17, 4, uint8_t(99));
    battle->SetUnits(noWeapons.data() + kDemoUnitOffset, kDemoUnitRows);
    s->random.Seed(3);
    EXPECT_EQ(battle->SetUpTitle2Fight(), -1);
}

TEST_F(Title2EngineTest, ExplosionsBeyondTheLastSlotAreNotDrawn) {
    s->sceneX = s->sceneY = 0;
    for (int i = 0; i < 128; ++i) ASSERT_EQ(battle->StartTitle2Effect(10 + i, 50, 14, 5), 1);
    const uint64_t before = ScreenChecksum(*s->screen);
    EXPECT_EQ(battle->StartTitle2Effect(300, 300, 25, 0), 0);
    EXPECT_EQ(ScreenChecksum(*s->screen), before);
    // The effects run out and take their pictures with them (frame 14 has no successor).
    int guard = 0;
    while (battle->StepTitle2Effects() > 0) ASSERT_LT(++guard, 20);
    EXPECT_EQ(CountNonBlack(*s->screen), 0);
}

TEST_F(Title2EngineTest, FormationsAndSpriteTable) {
    std::array<int, 10> x{}, y{};
    Title2Battle::LayOutTitle2Formation(x, y, 'F', true);
    EXPECT_EQ(x[0], 265);
    EXPECT_EQ(y[0], 20);
    EXPECT_EQ(x[9], 265 - 192);
    EXPECT_EQ(y[2], 68);
    Title2Battle::LayOutTitle2Formation(x, y, 'p', false);
    EXPECT_EQ(x[4], 375 + 32 * 3);
    EXPECT_EQ(y[4], 240 + 24);
    EXPECT_EQ(Title2SpriteRect(0).x, 288);
    EXPECT_EQ(Title2SpriteRect(4).y, 7);
    EXPECT_EQ(Title2SpriteRect(5).x, 256);
    EXPECT_EQ(Title2SpriteRect(24).x, 176);
    EXPECT_EQ(Title2SpriteRect(33).x, 256);
    EXPECT_EQ(Title2SpriteRect(34).w, 0);
    EXPECT_EQ(UnitClassGroup('D'), 3);
    EXPECT_EQ(UnitClassGroup('T'), 2);
    EXPECT_EQ(UnitClassGroup('U'), 1);
    EXPECT_EQ(UnitClassGroup('F'), 0);
    EXPECT_EQ(WeaponKind(3), 0x4001);
    EXPECT_EQ(WeaponKind(14), 7);
}

// ---- whole scenes, tick by tick ----

TEST(SaverTitle2Scene, PlaysTitleOpeningPicturesAndRoundsThenStartsAgain) {
    auto s = MakeState(SaverBuild::Saver, 1024, 768, 2026);
    s->settings.enabled[1] = s->settings.title[1] = s->settings.opening[1] = 1;
    s->settings.realFightLoopNum = 2;
    auto scene = MakeTitle2Scene(*s);
    std::vector<std::string> sums;
    const std::vector<int> shots = {1, 30, 60, 120, 217};
    int result = 0;
    const int ticks = RunToEnd(*scene, 3000, &result, [&](int tick) {
        if (std::find(shots.begin(), shots.end(), tick) != shots.end()) {
            sums.push_back(Hex(ScreenChecksum(*s->screen)));
            Shot(*s->screen, "title2-tick" + std::to_string(tick));
        }
    });
    ASSERT_EQ(result, 1) << "the scene ends after its rounds";
    EXPECT_EQ(ticks, 218);
    // Golden frames (FNV-1a of the 16-bit words) of the title, two opening pages, the end
    // picture and the last round; pictures in saver-shots/ to look at.
    EXPECT_EQ(sums, (std::vector<std::string>{"82211d848a98e911", "a88de191acf2a6ad",
                                              "13c6184a4d4e6c6b", "9a416055a711a52d",
                                              "7c76fea5911300b3"}));
    // The next turn starts from the title again, with its pictures loaded anew.
    EXPECT_EQ(scene->Step(false), 0);
    EXPECT_GT(CountNonBlack(*s->screen), 640 * 400 / 2);
    EXPECT_EQ(scene->Step(true), -1);
}

TEST(SaverTitle2Scene, FlagsSkipTheTitleAndTheOpeningAndTheLoopSwitchNeverEnds) {
    auto s = MakeState(SaverBuild::Saver, 800, 600, 7);
    s->settings.realFightLoopNum = 1;
    int waits = 0;
    SaverState* raw = s.get();
    s->env.wait = [&](int) {  // pictures in mid-flight, to look at
        ++waits;
        if (waits == 12 || waits == 30 || waits == 70)
            Shot(*raw->screen, "title2-round-step" + std::to_string(waits));
    };
    auto scene = MakeTitle2Scene(*s);
    EXPECT_EQ(scene->Step(false), 0);
    // Straight into a round: figures in a 640 x 120 band at the scene offset.
    EXPECT_GT(CountNonBlack(*s->screen), 500);
    Shot(*s->screen, "title2-round");
    int result = 0;
    RunToEnd(*scene, 200, &result);
    EXPECT_EQ(result, 1);

    s->settings.realFightLoopSwitch = 1;
    for (int tick = 0; tick < 300; ++tick) ASSERT_EQ(scene->Step(false), 0);
}

TEST(SaverTitle2Scene, MissingPicturesSkipTheScene) {
    auto s = MakeState(SaverBuild::Saver, 800, 600, 7);
    s->env.resourceDir = "/nonexistent";
    s->env.sharedDir.clear();
    auto scene = MakeTitle2Scene(*s);
    EXPECT_EQ(scene->Step(false), 1);
    EXPECT_EQ(scene->Step(false), 1);
}

// ---- title 1 ----

TEST(SaverTitle1Scene, PlaysTitleShowcaseAndRounds) {
    auto s = MakeState(SaverBuild::DemoSaver, 1024, 768, 31);
    s->settings.enabled[0] = s->settings.title[0] = s->settings.opening[0] = 1;
    s->settings.realFightLoopNum = 2;
    auto scene = MakeTitle1Scene(*s);
    std::vector<std::string> sums;
    const std::vector<int> shots = {1, 27, 29, 56, 70};
    int result = 0;
    const int ticks = RunToEnd(*scene, 3000, &result, [&](int tick) {
        if (std::find(shots.begin(), shots.end(), tick) != shots.end()) {
            sums.push_back(Hex(ScreenChecksum(*s->screen)));
            Shot(*s->screen, "title1-tick" + std::to_string(tick));
        }
    });
    ASSERT_EQ(result, 1);
    EXPECT_EQ(ticks, 184);
    EXPECT_EQ(sums, (std::vector<std::string>{"b3111726a070765b", "d5a52ef8ebc2dbaf",
                                              "79d3fd3bd42ee409", "8902549c131be427",
                                              "3e4229d8d88478bc"}));
}

TEST(SaverTitle1Scene, FirstSetFlagPrefersTheSameIndex) {
    std::array<bool, 10> f{};
    EXPECT_EQ(FirstSetFlag(3, f), -1);
    f[5] = f[7] = true;
    EXPECT_EQ(FirstSetFlag(7, f), 7);
    EXPECT_EQ(FirstSetFlag(3, f), 5);
    EXPECT_EQ(FirstSetFlag(12, f), 5);
}

// ---- title 9 ----

TEST(SaverTitle9Scene, PlaysTitleOpeningWithItsMusicAndAirBattles) {
    const std::string tmp = testing::TempDir("title9");
    auto s = MakeState(SaverBuild::Saver, 1024, 768, 909);
    s->env.tempDir = tmp;
    s->settings.title[8] = s->settings.opening[8] = s->settings.bgm[8] = 1;
    s->settings.realFightLoopNum = 2;
    auto scene = MakeTitle9Scene(*s);
    std::vector<std::string> sums;
    const std::vector<int> shots = {1, 40, 200, 300, 330};
    bool musicDuringOpening = false;
    int result = 0;
    const int ticks = RunToEnd(*scene, 3000, &result, [&](int tick) {
        if (tick == 40) musicDuringOpening = !CurrentMidiFile().empty();
        if (std::find(shots.begin(), shots.end(), tick) != shots.end()) {
            sums.push_back(Hex(ScreenChecksum(*s->screen)));
            Shot(*s->screen, "title9-tick" + std::to_string(tick));
        }
    });
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(musicDuringOpening) << "the opening plays its music from a file of our own";
    EXPECT_EQ(CurrentMidiFile(), "") << "and deletes it when the opening ends";
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
    EXPECT_EQ(ticks, 494);
    EXPECT_EQ(sums, (std::vector<std::string>{"3f2f030b96b14c22", "966796128dca29fe",
                                              "03ec78062f7e49a9", "6b39fcb4b4b8cf52",
                                              "c42cd66a71e32afc"}));
    std::filesystem::remove_all(tmp);
}

TEST(SaverTitle9Scene, MissingBattleDataSaysSoAndEndsTheScene) {
    auto s = MakeState(SaverBuild::Saver, 800, 600, 9);
    s->env.sharedDir = "/nonexistent";
    s->settings.realFightLoopNum = 3;
    auto scene = MakeTitle9Scene(*s);
    EXPECT_EQ(scene->Step(false), 0);
    EXPECT_GT(CountNonBlack(*s->screen), 0) << "Data Read Error";
    int lit = 0;
    for (int x = 0; x < 800; ++x) lit += s->screen->At(x, 8) != 0;
    EXPECT_GT(lit, 0);
    EXPECT_EQ(scene->Step(false), 1);
}

// ---- the title-9 music file ----

TEST(SaverMusicFile, WrittenToATemporaryFileOfOurOwnAndDeleted) {
    const std::string dir = testing::TempDir("music");
    auto s = MakeState(SaverBuild::Saver, 320, 200, 1);
    s->env.resourceDir = dir + "/res";
    s->env.sharedDir.clear();
    s->env.tempDir = dir + "/tmp";
    std::filesystem::create_directories(s->env.resourceDir);
    std::filesystem::create_directories(s->env.tempDir);
    // A file of the old fixed name that belongs to the user, in both folders.
    for (const std::string& d : {s->env.resourceDir, s->env.tempDir})
        std::ofstream(d + "/Brelk_op.mid") << "mine";
    EXPECT_EQ(WriteMidiResourceToFile(*s), 0) << "no music block: silent";
    EXPECT_EQ(CurrentMidiFile(), "");
    std::filesystem::copy_file(testing::ProgramDir() + "/Zv6open/title.mid",
                               s->env.resourceDir + "/RCDATA154.bin");
    ASSERT_EQ(WriteMidiResourceToFile(*s), 1);
    const std::string file = CurrentMidiFile();
    EXPECT_EQ(std::filesystem::path(file).parent_path(), std::filesystem::path(s->env.tempDir));
    EXPECT_NE(std::filesystem::path(file).filename(), "Brelk_op.mid");
    EXPECT_EQ(std::filesystem::file_size(file),
              std::filesystem::file_size(s->env.resourceDir + "/RCDATA154.bin"));
    EXPECT_EQ(WriteMidiResourceToFile(*s), 1);
    EXPECT_EQ(CurrentMidiFile(), file) << "written once per opening";
    StopAndDeleteMidi(*s);
    EXPECT_FALSE(std::filesystem::exists(file));
    for (const std::string& d : {s->env.resourceDir, s->env.tempDir}) {
        std::ifstream in(d + "/Brelk_op.mid");
        std::string text;
        in >> text;
        EXPECT_EQ(text, "mine");
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zv::saver
