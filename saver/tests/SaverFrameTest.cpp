#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogLayoutCheck.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "saver/SaverFrame.h"
#include "saver/SaverSettings.h"
#include "saver/Scenes.h"
#include "saver/tests/SaverTestSupport.h"

namespace zv::saver {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> ValueNames(const std::string& path) {
    std::vector<std::string> names;
    std::istringstream in(ReadFile(path));
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') names.push_back(line.substr(0, line.find('=')));
    return names;
}

TEST(SaverRandomNumbers, FollowTheRuntimesRuleAndRefuseEmptyRanges) {
    SaverRandom r;
    r.Seed(1);
    EXPECT_EQ(r.Next(), 41);
    EXPECT_EQ(r.Next(), 18467);
    const uint32_t before = r.State();
    EXPECT_EQ(r.Mod(0), 0);
    EXPECT_EQ(r.Mod(-5), 0);
    EXPECT_EQ(r.State(), before) << "an empty range draws nothing";
}

TEST(SaverScheduler, NextEnabledSceneWrapsAndFindsNothingWhenAllAreOff) {
    SaverSettings s;
    s.enabled[1] = 1;
    s.enabled[4] = 1;
    s.enabled[9] = 1;  // past the slots: never chosen
    const struct {
        int from, want;
    } cases[] = {{0, 1}, {1, 1}, {2, 4}, {5, 1}, {8, 1}, {9, 1}, {12, 1}};
    for (const auto& c : cases) EXPECT_EQ(NextEnabledScene(s, c.from), c.want) << c.from;
    EXPECT_EQ(NextEnabledScene(SaverSettings{}, 0), -1);
}

TEST(SaverScenePlacement, KindsAndScreensTooSmallForTheRange) {
    struct Case {
        SaverBuild build;
        int w, h, kind;
        bool randomX, randomY;
        int x, y;  // when not random
    } cases[] = {
        {SaverBuild::Saver, 640, 480, 1, false, true, 0, 0},
        {SaverBuild::Saver, 600, 100, 0, false, false, 0, 0},  // no room: at the edge
        {SaverBuild::Saver, 1024, 768, 9, false, false, 192, 184},
        {SaverBuild::Saver, 1024, 768, 2, true, true, 0, 0},
        {SaverBuild::DemoSaver, 1024, 768, 2, false, false, 192, 184},
        {SaverBuild::DemoSaver, 1024, 768, 9, false, false, 192, 184},
        {SaverBuild::Saver, 1024, 768, 5, false, false, 5, 5},
        {SaverBuild::Saver, 640, 400, 4, false, false, 0, 0},
    };
    for (const Case& c : cases) {
        auto s = testing::MakeState(c.build, c.w, c.h, 3);
        for (int i = 0; i < 50; ++i) {
            PlaceSceneRandomly(*s, c.kind);
            if (!c.randomX) {
                EXPECT_EQ(s->sceneX, c.x) << c.w << " kind " << c.kind;
            }
            else EXPECT_TRUE(s->sceneX >= 0 && s->sceneX < c.w - 640);
            if (!c.randomY) {
                EXPECT_EQ(s->sceneY, c.y) << c.h << " kind " << c.kind;
            }
            else EXPECT_TRUE(s->sceneY >= 0 && s->sceneY < c.h - (c.kind <= 1 ? 120 : 400));
        }
    }
}

TEST(SaverText, TwoByteCharactersAdvanceSixteenInZvsaverDataAndBytesEightInZvdemosaverData) {
    const std::string text = "\x83\x5e\x83\x43\x83\x67\x83\x8b\x89\xe6";  // タイトル画 (Shift-JIS)
    for (SaverBuild build : {SaverBuild::Saver, SaverBuild::DemoSaver}) {
        auto s = testing::MakeState(build, 200, 40, 1);
        int waits = 0;
        s->env.wait = [&](int ms) { waits += ms == 1; };
        DrawSaverText(*s, text, 10, 10, ui::Rgb(255, 255, 255), 0, 1);
        EXPECT_EQ(waits, build == SaverBuild::Saver ? 5 : 10);
        int right = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 200; ++x)
                if (s->screen->At(x, y)) right = std::max(right, x);
        if (build == SaverBuild::Saver) {
            EXPECT_GT(right, 10 + 64);
            EXPECT_LT(right, 10 + 80);
        }
    }
}

class SaverSettingsTest : public ::testing::Test {
  protected:
    std::string dir = testing::TempDir("settings");
    std::string file = dir + "/Halvane/settings.conf";
};

TEST_F(SaverSettingsTest, AFirstRunWritesTheDefaultsWithTheRegistryNames) {
    SaverSettings s;
    s.enabled[3] = 1;  // never set by a load
    LoadSaverSettings(SaverBuild::Saver, file, s);
    EXPECT_EQ(ValueNames(file),
              (std::vector<std::string>{"Opening2", "Title2", "RealFightLoopNum",
                                        "RealFightLoopSwitch"}));
    EXPECT_EQ(s.enabled[1], 1);
    EXPECT_EQ(s.title[1], 1);
    EXPECT_EQ(s.opening[1], 1);
    EXPECT_EQ(s.realFightLoopNum, 10);
    EXPECT_EQ(s.realFightLoopSwitch, 0);

    const std::string demo = dir + "/demo.conf";
    SaverSettings d;
    LoadSaverSettings(SaverBuild::DemoSaver, demo, d);
    EXPECT_EQ(ValueNames(demo),
              (std::vector<std::string>{"SSSW1", "Opening1", "Title1", "Sound1", "Bgm1",
                                        "RealFightLoopNum", "RealFightLoopSwitch"}));
    EXPECT_EQ(d.enabled[0], 1);
    EXPECT_EQ(d.bgm[0], 0);
}

TEST_F(SaverSettingsTest, AnExistingFileIsReadAndItsFaultsAreReportedNotFatal) {
    std::filesystem::create_directories(dir + "/Halvane");
    std::ofstream(file) << "Opening2=0\nTitle2 = 1\nRealFightLoopNum=-3\nRealFightLoopSwitch=x\n"
                           "garbage\nSSSW1=0\n";
    SaverSettings s;
    std::vector<std::string> problems;
    LoadSaverSettings(SaverBuild::Saver, file, s, &problems);
    EXPECT_EQ(s.enabled[1], 1) << "zvsaver's own slot is on whatever the file says";
    EXPECT_EQ(s.opening[1], 0);
    EXPECT_EQ(s.title[1], 1);
    EXPECT_EQ(s.realFightLoopNum, -3);
    EXPECT_EQ(s.realFightLoopSwitch, 0) << "an unreadable value leaves 0, as a missing one";
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find(":4:"), std::string::npos);
    // The file is left as it was: nothing is lost by reading it.
    EXPECT_NE(ReadFile(file).find("garbage"), std::string::npos);
}

TEST_F(SaverSettingsTest, AFileThatCannotBeWrittenKeepsTheOldOneAndSaysSo) {
    std::filesystem::create_directories(file);  // a folder where the file should be
    SaverSettings s;
    std::vector<std::string> problems;
    EXPECT_FALSE(SaveSaverSettings(SaverBuild::Saver, file, s, &problems));
    EXPECT_FALSE(problems.empty());
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST(SaverSettingsFolder, FollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string keep = old ? old : "";
    setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
    EXPECT_EQ(SaverSettingsFile(SaverBuild::Saver), "/tmp/xdg-test/Halvane/ZVScreenSaverDemo2.conf");
    EXPECT_EQ(SaverSettingsFile(SaverBuild::DemoSaver),
              "/tmp/xdg-test/Halvane/ZVScreenSaverDemo.conf");
    if (old) setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
}

// The saver window on the headless screen: WM_CREATE, the 200 ms timer, input ends it.
class SaverWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        dir = testing::TempDir("window");
        auto owned = std::make_unique<ui::HeadlessBackend>(800, 600);
        backend = owned.get();
        wm = std::make_unique<ui::WindowManager>(std::move(owned));
    }
    void TearDown() override {
        if (CurrentSaver() && ui::IsWindow(CurrentSaver()->window))
            ui::DestroyWindow(CurrentSaver()->window);
        wm.reset();
        std::filesystem::remove_all(dir);
    }
    SaverOptions Options(SaverBuild build, bool preview) {
        SaverOptions o;
        o.build = build;
        o.preview = preview;
        o.seedFromClock = false;
        o.seed = 11;
        o.env.resourceDir = testing::ProgramDir() +
                            (build == SaverBuild::Saver ? "/ZvsaverData" : "/ZvdemosaverData");
        o.env.sharedDir = testing::ProgramDir() + "/Zvscenes";
        o.env.settingsFile = dir + "/settings.conf";
        o.env.wait = [](int) {};
        return o;
    }
    // Handles what is waiting; false once WM_QUIT came (its code in quitCode).
    bool Pump() {
        ui::Msg m;
        while (ui::PeekMessage(&m, {}, 0, 0, ui::PM_REMOVE)) {
            if (m.message == ui::WM_QUIT) {
                quitCode = int(m.wParam);
                return false;
            }
            ui::TranslateMessage(m);
            ui::DispatchMessage(m);
        }
        return true;
    }
    std::string dir;
    ui::HeadlessBackend* backend = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
    int quitCode = -1;
};

// With the title and the opening off and no rounds, zvsaver's scene ends at once, and the
// scheduler, finding no other slot enabled, starts slot 1 again on the next tick.
TEST_F(SaverWindowTest, TheTimerDrivesTheOnlyEnabledSceneOverAndOver) {
    std::ofstream(dir + "/settings.conf")
        << "Opening2=0\nTitle2=0\nRealFightLoopNum=0\nRealFightLoopSwitch=0\n";
    const ui::Hwnd w = CreateSaverWindow(Options(SaverBuild::Saver, false), 0, 0, 800, 600);
    ASSERT_TRUE(w);
    ui::ShowWindow(w, ui::SW_SHOW);
    SaverState* s = CurrentSaver();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->slot, 1);
    for (int i = 0; i < 20; ++i) {
        backend->AdvanceClock(kTimerMs);
        ASSERT_TRUE(Pump());
        EXPECT_EQ(s->slot, 1);
    }
    EXPECT_EQ(s->ticks, 20);
    // A key ends the saver; the window's end frees its state.
    backend->KeyDown(ui::VK_SPACE);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(quitCode, 0);
    EXPECT_FALSE(ui::IsWindow(w));
    EXPECT_EQ(CurrentSaver(), nullptr);
}

// One saver at a time: a second window is refused, and its going leaves the running saver, its
// state and its message loop as they were.
TEST_F(SaverWindowTest, ASecondWindowIsRefusedAndTheRunningSaverGoesOn) {
    std::ofstream(dir + "/settings.conf")
        << "Opening2=0\nTitle2=0\nRealFightLoopNum=0\nRealFightLoopSwitch=0\n";
    const ui::Hwnd w = CreateSaverWindow(Options(SaverBuild::Saver, false), 0, 0, 800, 600);
    ASSERT_TRUE(w);
    ui::ShowWindow(w, ui::SW_SHOW);
    SaverState* s = CurrentSaver();
    ASSERT_TRUE(s);
    EXPECT_FALSE(CreateSaverWindow(Options(SaverBuild::Saver, false), 0, 0, 800, 600));
    EXPECT_EQ(CurrentSaver(), s);
    for (int i = 0; i < 5; ++i) {
        backend->AdvanceClock(kTimerMs);
        ASSERT_TRUE(Pump()) << "the refused window posts no quit";
    }
    EXPECT_EQ(s->ticks, 5);
    EXPECT_EQ(s->window, w);
    backend->KeyDown(ui::VK_SPACE);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(CurrentSaver(), nullptr);
}

// Each program as a first run starts it (settings written with their defaults), for seeds
// the clock might give: a minute of timer ticks in which the screen never stays dark for more
// than a second, and no picture or data block is missing.
TEST_F(SaverWindowTest, AMinuteOfEitherProgramNeverStaysDark) {
    for (SaverBuild build : {SaverBuild::Saver, SaverBuild::DemoSaver}) {
        for (uint32_t seed : {1u, 0xDEADBEEFu, 86400000u}) {
            std::filesystem::remove(dir + "/settings.conf");
            SaverOptions o = Options(build, false);
            o.seed = seed;
            const ui::Hwnd w = CreateSaverWindow(o, 0, 0, 800, 600);
            ASSERT_TRUE(w);
            ui::ShowWindow(w, ui::SW_SHOW);
            SaverState* s = CurrentSaver();
            ASSERT_TRUE(s);
            int dark = 0, longest = 0;
            for (int tick = 0; tick < 300; ++tick) {
                backend->AdvanceClock(kTimerMs);
                ASSERT_TRUE(Pump());
                dark = testing::CountNonBlack(*s->screen) < 200 ? dark + 1 : 0;
                longest = std::max(longest, dark);
            }
            EXPECT_EQ(s->ticks, 300);
            EXPECT_LE(longest, 5) << int(build) << " seed " << seed;
            EXPECT_TRUE(s->reportedMissing.empty()) << *s->reportedMissing.begin();
            ui::DestroyWindow(w);
            EXPECT_EQ(CurrentSaver(), nullptr);
            EXPECT_FALSE(Pump()) << "the window's end posts the quit";
        }
    }
}

// Slots enabled by editing the settings: the scheduler goes from the title-2 scene to the
// scripted battle (slot 3) and the hex-map battle (slot 4) and back, each scene running until
// it reports its end.
TEST_F(SaverWindowTest, TheSchedulerPlaysTheBattleScenesOfTheEnabledSlots) {
    std::ofstream(dir + "/settings.conf")
        << "Opening2=0\nTitle2=0\nRealFightLoopNum=1\nRealFightLoopSwitch=0\n";
    const ui::Hwnd w = CreateSaverWindow(Options(SaverBuild::Saver, false), 0, 0, 800, 600);
    ASSERT_TRUE(w);
    ui::ShowWindow(w, ui::SW_SHOW);
    SaverState* s = CurrentSaver();
    ASSERT_TRUE(s);
    s->settings.enabled[3] = s->settings.enabled[4] = 1;
    std::vector<int> order;
    for (int i = 0; i < 3000 && order.size() < 7; ++i) {
        if (order.empty() || order.back() != s->slot) order.push_back(s->slot);
        backend->AdvanceClock(kTimerMs);
        ASSERT_TRUE(Pump()) << "no scene ends the saver";
    }
    EXPECT_EQ(order, (std::vector<int>{1, 3, 4, 1, 3, 4, 1}));
    ui::DestroyWindow(w);
}

TEST_F(SaverWindowTest, ThePreviewStaysBlackAndIgnoresInput) {
    const ui::Hwnd w = CreateSaverWindow(Options(SaverBuild::Saver, true), 0, 0, 800, 600);
    ui::ShowWindow(w, ui::SW_SHOW);
    SaverState* s = CurrentSaver();
    ASSERT_TRUE(s);
    for (int i = 0; i < 30; ++i) {
        backend->AdvanceClock(kTimerMs);
        ASSERT_TRUE(Pump());
    }
    EXPECT_EQ(s->ticks, 0) << "no scene step in preview mode";
    EXPECT_EQ(testing::CountNonBlack(*s->screen), 0);
    EXPECT_EQ(backend->PixelAt(400, 300), 0u);
    backend->KeyDown(ui::VK_SPACE);
    EXPECT_TRUE(Pump());
    EXPECT_TRUE(ui::IsWindow(w));
}

TEST_F(SaverWindowTest, TheTitleShowsOnTheScreenAndAMouseMoveEndsTheSaver) {
    const ui::Hwnd w = CreateSaverWindow(Options(SaverBuild::Saver, false), 0, 0, 800, 600);
    ui::ShowWindow(w, ui::SW_SHOW);
    backend->AdvanceClock(kTimerMs);
    ASSERT_TRUE(Pump());
    // The title picture, centred: the screen shows the scene picture.
    EXPECT_NE(backend->PixelAt(400, 300), 0u);
    EXPECT_EQ(backend->PixelAt(10, 10), 0u);
    std::string error;
    std::filesystem::create_directories("saver-shots");
    backend->WriteScreenshot("saver-shots/window-title.png", &error);
    backend->MouseMove(400, 300);
    EXPECT_TRUE(Pump());
    backend->MouseMove(402, 301);
    EXPECT_TRUE(Pump()) << "a small jitter does not end it";
    backend->MouseMove(440, 330);
    EXPECT_FALSE(Pump());
    EXPECT_FALSE(ui::IsWindow(w));
}

// The dialog driven by clicks: the loop radio, the check boxes, and the count typed in; OK
// saves; opened again it shows what was chosen, and OK without a click keeps it.
TEST_F(SaverWindowTest, TheSettingsDialogRoundTripAndRemembersTheRadio) {
    const std::string file = dir + "/settings.conf";
    PrepareSettingsDialog(SaverBuild::Saver, file);
    auto open = [&] {
        const ui::Hwnd dlg =
            ui::CreateDialogParam(nullptr, kSettingsDialog, {}, ScreenSaverConfigureDialog);
        ui::ShowWindow(dlg, ui::SW_SHOW);
        Pump();
        return dlg;
    };
    auto click = [&](ui::Hwnd dlg, int id) {
        ui::Rect r{};
        ASSERT_TRUE(ui::GetWindowRect(ui::GetDlgItem(dlg, id), &r)) << id;
        backend->Click(r.left + 5, (r.top + r.bottom) / 2);
        Pump();
    };
    ui::Hwnd dlg = open();
    ASSERT_TRUE(ui::IsWindow(dlg));
    EXPECT_EQ(ui::IsDlgButtonChecked(dlg, kIdTitleCheck), 1u);
    EXPECT_EQ(ui::IsDlgButtonChecked(dlg, kIdOpeningCheck), 1u);
    EXPECT_EQ(ui::IsDlgButtonChecked(dlg, kIdCountRadio), 1u);
    EXPECT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(dlg, kIdLoopEdit)));
    bool ok = false;
    EXPECT_EQ(ui::GetDlgItemInt(dlg, kIdLoopEdit, &ok, true), 10u);
    // Type 7 into the count, untick the opening, choose the loop.
    ui::Rect er{};
    ui::GetWindowRect(ui::GetDlgItem(dlg, kIdLoopEdit), &er);
    backend->Click(er.left + 4, (er.top + er.bottom) / 2);
    Pump();
    backend->KeyDown(ui::VK_END);
    backend->KeyDown(ui::VK_BACK);
    backend->KeyDown(ui::VK_BACK);
    backend->Text("7");
    Pump();
    EXPECT_EQ(ui::GetDlgItemInt(dlg, kIdLoopEdit, &ok, true), 7u);
    click(dlg, kIdOpeningCheck);
    click(dlg, kIdLoopRadio);
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(dlg, kIdLoopEdit)));
    click(dlg, ui::IDOK);
    EXPECT_FALSE(ui::IsWindowVisible(dlg)) << "OK ends the dialog";
    ui::DestroyWindow(dlg);
    SaverSettings s;
    LoadSaverSettings(SaverBuild::Saver, file, s);
    EXPECT_EQ(s.opening[1], 0);
    EXPECT_EQ(s.title[1], 1);
    EXPECT_EQ(s.realFightLoopNum, 7);
    EXPECT_EQ(s.realFightLoopSwitch, 1);

    // Again: the loop radio is shown and kept by OK without touching it.
    dlg = open();
    EXPECT_EQ(ui::IsDlgButtonChecked(dlg, kIdLoopRadio), 1u);
    EXPECT_EQ(ui::IsDlgButtonChecked(dlg, kIdOpeningCheck), 0u);
    click(dlg, ui::IDOK);
    ui::DestroyWindow(dlg);
    SaverSettings again;
    LoadSaverSettings(SaverBuild::Saver, file, again);
    EXPECT_EQ(again.realFightLoopSwitch, 1);
    EXPECT_EQ(again.realFightLoopNum, 7);

    // Cancel saves nothing.
    dlg = open();
    click(dlg, kIdCountRadio);
    click(dlg, ui::IDCANCEL);
    ui::DestroyWindow(dlg);
    SaverSettings after;
    LoadSaverSettings(SaverBuild::Saver, file, after);
    EXPECT_EQ(after.realFightLoopSwitch, 1);
}

TEST_F(SaverWindowTest, ZvdemosaverDatasDialogShowsOnlyTitleOnesBoxes) {
    const std::string file = dir + "/demo.conf";
    PrepareSettingsDialog(SaverBuild::DemoSaver, file);
    const ui::Hwnd dlg =
        ui::CreateDialogParam(nullptr, kSettingsDialog, {}, ScreenSaverConfigureDialog);
    ui::ShowWindow(dlg, ui::SW_SHOW);
    Pump();
    for (int g = 0; g < 9; ++g)
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(ui::IsWindowVisible(ui::GetDlgItem(dlg, kIdDemoGroupFirst + 5 * g + k)),
                      g == 0 && (k == 1 || k == 2))
                << g << "/" << k;
    EXPECT_EQ(ui::IsDlgButtonChecked(dlg, kIdDemoCountRadio), 1u);
    ui::Rect r{};
    ui::GetWindowRect(ui::GetDlgItem(dlg, kIdDemoGroupFirst + 1), &r);
    backend->Click(r.left + 5, (r.top + r.bottom) / 2);  // title screen off
    Pump();
    ui::GetWindowRect(ui::GetDlgItem(dlg, ui::IDOK), &r);
    backend->Click(r.left + 5, (r.top + r.bottom) / 2);
    Pump();
    SaverSettings s;
    LoadSaverSettings(SaverBuild::DemoSaver, file, s);
    EXPECT_EQ(s.title[0], 0);
    EXPECT_EQ(s.enabled[0], 1) << "the hidden enabled box keeps its value";
    ui::DestroyWindow(dlg);
}

TEST(SaverDialogTemplates, BothLayOutAt800x600And1024x768) {
    for (SaverBuild build : {SaverBuild::Saver, SaverBuild::DemoSaver}) {
        for (const ui::Size screen : {ui::Size{800, 600}, ui::Size{1024, 768}}) {
            ui::WindowManager wm(std::make_unique<ui::HeadlessBackend>(screen.cx, screen.cy));
            RegisterSaverDialog(build);
            for (int n : ui::DialogRegistry::Global().Numbers()) {
                ui::DialogTemplate t;
                ASSERT_TRUE(ui::DialogRegistry::Global().Find(n, &t));
                for (const std::string& p : ui::CheckDialogLayout(t)) ADD_FAILURE() << p;
            }
        }
    }
}

TEST(SaverCommandLine, SwitchesThatNeedNoScreen) {
    EXPECT_EQ(SaverMain(SaverBuild::Saver, {"/l"}), 0);
    EXPECT_EQ(SaverMain(SaverBuild::Saver, {"/a"}), 0);
    EXPECT_EQ(SaverMain(SaverBuild::Saver, {"/p"}), 2) << "no window id";
    EXPECT_EQ(SaverMain(SaverBuild::Saver, {"/p", "abc"}), 2);
    EXPECT_EQ(SaverMain(SaverBuild::Saver, {"/p:4711"}), 1) << "cannot draw into that window";
    EXPECT_EQ(SaverMain(SaverBuild::DemoSaver, {"/x"}), 2);
}

}  // namespace
}  // namespace zv::saver
