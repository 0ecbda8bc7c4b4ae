// The whole program from its title to a started game, driven by the mouse and keys only.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/ProcessState.h"
#include "mapview/OpeningDemo.h"
#include "organize/CorpsFiles.h"
#include "organize/OrganizeDialog.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/WindowManager.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/TroopCursor.h"
#include "setup/Conditions.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "setup/SinglePlayPages.h"
#include "setup/tests/SetupDriver.h"
#include "shell/game/TitleWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/WindowClasses.h"
#include "shell/game/tests/ProgramFixture.h"

namespace zv::setup {
namespace {

namespace fs = std::filesystem;
using shell::testing::ProgramRun;
using shell::testing::ScreenshotPath;
using testing::AreaSum;
using testing::ClickAt;
using testing::CorpsList;
using testing::CorpsRowOfFile;
using testing::ClickControl;
using testing::ClickComboItem;
using testing::ClickListRow;

constexpr const char* kEmptyCorps = "useFrc09.prm";

// The run's corps folder holds the default corps and one corps without any troop (so without
// a headquarters), which the corps page must refuse.
void MakeCorpsFolder(ProgramRun& run) {
    const fs::path user = fs::path(run.dir.Path()) / "USER";
    fs::remove(user);
    fs::create_directories(user);
    for (const auto& entry : fs::directory_iterator(fs::path(ZV_PROGRAM_DIR) / "USER")) {
        fs::copy_file(entry.path(), user / entry.path().filename());
    }
    rules::TableDirectory tables;
    ASSERT_TRUE(tables.LoadAllTables(ZV_PROGRAM_DIR "/")) << tables.LastError();
    rules::ForceCursor corps(tables, 3, nullptr);
    corps.SelectSlot(3);
    ASSERT_TRUE(corps.LoadUserForceFile(run.dir.Path(), "useFrc00.prm").ok);
    corps.ClearForce();
    corps.SetName(core::Utf8ToSjis("空の軍団").c_str());
    ASSERT_TRUE(corps.SaveUserForceFile(run.dir.Path(), kEmptyCorps).ok);
}

// A screenshot of the screen, and every text on it checked: it fits its box and lies under
// no other window.
void Shot(ProgramRun& run, const char* name) {
    run.Pump();
    std::string error;
    EXPECT_TRUE(run.screen->WriteScreenshot(ScreenshotPath(name), &error)) << error;
    for (const std::string& p : ui::CheckScreenTexts()) ADD_FAILURE() << name << ": " << p;
    run.Pump();
}

bool Visible(int page) { return GetSetupPage(page) && ui::IsWindowVisible(GetSetupPage(page)); }

using SetupProgram = testing::SetupProgramTest;

TEST_F(SetupProgram, TitleSinglePlayMapCorpsConditionsAndTheGameStarts) {
    ProgramRun run;
    MakeCorpsFolder(run);
    bool drove = false;
    const int code = run.Run([&](ui::Hwnd frame) {
        // The title covers the frame's client area from the start (the bar stays above it).
        ASSERT_TRUE(GetMainMenuWindow());
        EXPECT_TRUE(IsMainMenuOpen());
        EXPECT_EQ(GetCurrentSetupPage(), kPageTitle);
        ASSERT_TRUE(Visible(kPageTitle));
        ui::Rect clientRect{}, titleRect{};
        ui::GetClientRect(frame, &clientRect);
        ui::GetWindowRect(GetMainMenuWindow(), &titleRect);
        ui::Point clientOrigin{0, 0};
        ui::ClientToScreen(frame, &clientOrigin);
        EXPECT_EQ(titleRect.left, clientOrigin.x);
        EXPECT_EQ(titleRect.top, clientOrigin.y);
        EXPECT_EQ(titleRect.right - titleRect.left, clientRect.right - clientRect.left);
        EXPECT_EQ(titleRect.bottom - titleRect.top, clientRect.bottom - clientRect.top);
        Shot(run, "setup_title");

        const ui::Hwnd title = GetSetupPage(kPageTitle);
        ClickControl(run.screen, title, kIdSinglePlay);
        run.Pump();
        ASSERT_TRUE(Visible(kPageSingleFile));
        EXPECT_FALSE(Visible(kPageTitle));
        ui::Hwnd files = GetSetupPage(kPageSingleFile);
        EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(files, kIdSetupNext)));
        const ui::Hwnd list = ui::GetDlgItem(files, kIdFileList);
        EXPECT_EQ(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0), 4) << "the four default maps";
        Shot(run, "setup_map_list");

        // A map chosen: its preview in the three modes.
        ClickListRow(run.screen, list, 0);
        run.Pump();
        EXPECT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(files, kIdSetupNext)));
        EXPECT_STREQ(GetChosenSetupFile(false, nullptr), "MAP00001.ddm");
        const auto preview = [&] { return AreaSum(run.screen, files, 230, 30, 128, 128); };
        const auto normal = preview();
        Shot(run, "setup_map_normal");
        ClickControl(run.screen, files, kIdPreviewBuildings);
        run.Pump();
        const auto buildings = preview();
        Shot(run, "setup_map_buildings");
        ClickControl(run.screen, files, kIdPreviewPlacement);
        run.Pump();
        const auto placement = preview();
        Shot(run, "setup_map_placement");
        EXPECT_NE(normal, buildings);
        EXPECT_NE(normal, placement);
        EXPECT_NE(buildings, placement);

        // Back to the title: the pages of the road are gone; single play again makes them anew.
        ClickControl(run.screen, files, kIdSetupBack);
        run.Pump();
        EXPECT_TRUE(Visible(kPageTitle));
        EXPECT_FALSE(GetSetupPage(kPageSingleFile));
        EXPECT_FALSE(GetSetupPage(kPageSingleConditions));
        ClickControl(run.screen, title, kIdSinglePlay);
        run.Pump();
        files = GetSetupPage(kPageSingleFile);
        ASSERT_TRUE(files);
        ClickListRow(run.screen, ui::GetDlgItem(files, kIdFileList), 0);
        ClickControl(run.screen, files, kIdSetupNext);
        run.Pump();
        ASSERT_TRUE(Visible(kPageSingleCorps));

        // A corps without a headquarters is refused and the page stays.
        const ui::Hwnd corpsPage = GetSetupPage(kPageSingleCorps);
        const ui::Hwnd corpsList = CorpsList(corpsPage);
        ASSERT_TRUE(corpsList);
        const int emptyRow = CorpsRowOfFile(kEmptyCorps);
        ASSERT_GE(emptyRow, 0);
        ClickListRow(run.screen, corpsList, emptyRow);
        run.Pump();
        ASSERT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(corpsPage, kIdSetupNext)));
        Shot(run, "setup_corps");
        ClickControl(run.screen, corpsPage, kIdSetupNext);
        run.Key(ui::VK_RETURN);  // closes the box
        run.Pump();
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back(), "その軍団は司令部が作成されていません。");
        EXPECT_EQ(GetCurrentSetupPage(), kPageSingleCorps);
        EXPECT_TRUE(Visible(kPageSingleCorps));

        // The default corps has one: on to the conditions.
        ClickListRow(run.screen, corpsList, CorpsRowOfFile("useFrc00.prm"));
        ClickControl(run.screen, corpsPage, kIdSetupNext);
        run.Pump();
        ASSERT_TRUE(Visible(kPageSingleConditions));
        const ui::Hwnd conditions = GetSetupPage(kPageSingleConditions);
        Shot(run, "setup_conditions");

        // Country 0 becomes the player's: its role list opened and "ﾕｰｻﾞｰ" clicked.
        ClickComboItem(run.screen, ui::GetDlgItem(conditions, RoleComboId(0)), kRoleUser, [&] { run.Pump(); });
        EXPECT_EQ(ui::SendMessage(ui::GetDlgItem(conditions, RoleComboId(0)), ui::CB_GETCURSEL, 0, 0), kRoleUser);
        EXPECT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(conditions, FundsEditId(0))));
        Shot(run, "setup_conditions_player");

        // Decided: the set-up windows go and the frame starts the game. A new game from a map
        // deploys the chosen corps first: 自動配置, then ゲーム開始, clicked in the modal
        // deployment dialog from a timer of its loop.
        const std::size_t boxesBefore = boxes.size();
        static ui::HeadlessBackend* gScreen = nullptr;
        static bool gDeployed = false;
        gScreen = run.screen;
        gDeployed = false;
        run.screen->SetAutoAdvance(true);
        ui::SetTimer({}, 97, 50, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            const ui::Hwnd dialog = organize::GetOrganizeState().dialog;
            if (!dialog) return;
            ui::KillTimer({}, id);
            ClickControl(gScreen, dialog, organize::kIdAutoDeploy);
            for (int i = 0; i < 3; ++i) ui::WindowManager::Current()->PumpPending();
            std::string error;
            EXPECT_TRUE(gScreen->WriteScreenshot(shell::testing::ScreenshotPath("setup_deployment"), &error)) << error;
            for (const std::string& p : ui::CheckScreenTexts()) ADD_FAILURE() << "setup_deployment: " << p;
            gDeployed = true;
            ClickControl(gScreen, dialog, organize::kIdGameStart);
        });
        ClickControl(run.screen, conditions, kIdSetupNext);
        ASSERT_TRUE(run.PumpUntil([] { return shell::IsClockRunning() != 0; }, 20))
            << (boxes.size() > boxesBefore ? boxes.back() : std::string("no box"));
        run.screen->SetAutoAdvance(false);
        EXPECT_TRUE(gDeployed);
        EXPECT_EQ(organize::PlayerHasHQOnMap(), 1);
        EXPECT_FALSE(IsMainMenuOpen());
        EXPECT_FALSE(GetMainMenuWindow());
        EXPECT_EQ(fw::GetPlayerCountry(), 0);
        EXPECT_EQ(ui::GetMenuItemCount(ui::GetMenu(frame)), 4) << "the game's bar";
        Shot(run, "setup_game_started");

        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
        drove = true;
    });
    EXPECT_TRUE(drove);
    EXPECT_EQ(code, 0);
    // The title comes after the sound and before the frame is shown.
    const auto at = [&](const char* step) { return std::find(run.steps.begin(), run.steps.end(), step); };
    ASSERT_NE(at("title"), run.steps.end());
    EXPECT_LT(at("sound"), at("title"));
    EXPECT_LT(at("title"), at("shown"));
}

// A minute idle on the title plays the recorded battle over it, which ends by itself after
// thirty seconds and leaves the title as it was.
TEST_F(SetupProgram, AMinuteIdleOnTheTitlePlaysTheRecordedBattle) {
    static int gDemo = -1;
    static ui::HeadlessBackend* gScreen = nullptr;
    gDemo = -1;
    SetOpeningDemoRunner([](ui::Hwnd owner) {
        // Halfway through, the battle is on the screen.
        ui::SetTimer({}, 98, 15000, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            std::string error;
            EXPECT_TRUE(gScreen->WriteScreenshot(ScreenshotPath("setup_title_demo"), &error)) << error;
        });
        gDemo = mapview::RunOpeningDemo(owner);
        return gDemo;
    });
    ProgramRun run;
    gScreen = run.screen;
    bool drove = false;
    run.Run([&](ui::Hwnd) {
        gScreen = run.screen;
        ASSERT_TRUE(Visible(kPageTitle));
        // The screen's clock is the test's: a second at a time until the title's minute is up;
        // inside the demonstration's own loop, auto-advance moves it from timer to timer.
        run.screen->SetAutoAdvance(true);
        for (int second = 0; second < 75 && gDemo == -1; ++second) {
            run.screen->AdvanceClock(1000);
            run.Pump();
        }
        run.screen->SetAutoAdvance(false);
        EXPECT_EQ(gDemo, 1) << "the recorded game names no country to show";
        EXPECT_TRUE(Visible(kPageTitle));
        EXPECT_TRUE(IsMainMenuOpen());
        // The demonstration's tables are gone: an empty map again.
        rules::TableDirectory* tables = shell::CurrentGameWorld()->tables;
        rules::TroopCursor troops(*tables);
        int used = 0;
        for (std::uint16_t t = 0; t < 160; ++t) used += troops.Select(t) && troops.GetRecord()->IsUsed();
        EXPECT_EQ(used, 0);
        Shot(run, "setup_title_after_demo");
        ClickAt(run.screen, GetSetupPage(kPageTitle), kQuitRight, kQuitBottom);
        drove = true;
    });
    SetOpeningDemoRunner(nullptr);
    EXPECT_TRUE(drove);
}

TEST_F(SetupProgram, TheTitlesQuitPlateEndsTheProgram) {
    ProgramRun run;
    bool drove = false;
    const int code = run.Run([&](ui::Hwnd frame) {
        const ui::Hwnd title = GetSetupPage(kPageTitle);
        ASSERT_TRUE(title);
        // Just outside the plate: nothing happens.
        ClickAt(run.screen, title, kQuitRight + 1, kQuitBottom);
        ClickAt(run.screen, title, kQuitLeft - 1, kQuitTop);
        run.Pump();
        EXPECT_TRUE(ui::IsWindow(frame));
        EXPECT_TRUE(IsMainMenuOpen());
        // Its corner: the pages, the title and the frame go, and the loop ends.
        ClickAt(run.screen, title, kQuitRight, kQuitBottom);
        drove = true;
    });
    EXPECT_TRUE(drove);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(IsMainMenuOpen());
}

// The screen window grows after the title opened (a window manager maximises it later): the
// title keeps covering the frame's client area, under its menu bar, its page in the middle.
TEST_F(SetupProgram, TheTitleFollowsTheScreensSize) {
    ProgramRun run;
    const int code = run.Run([&](ui::Hwnd frame) {
        run.screen->Resize(1600, 900);
        run.Pump();
        ui::Rect f{}, t{};
        ui::GetWindowRect(frame, &f);
        ui::GetWindowRect(GetMainMenuWindow(), &t);
        EXPECT_EQ(t, shell::TitleWindowRect(frame));
        EXPECT_EQ(t.Width(), 1600);
        EXPECT_GE(t.top, f.top + 4) << "the frame's bar stays in sight";
        EXPECT_EQ(f.Width(), 1608);
        run.Pump();
        std::string error;
        EXPECT_TRUE(run.screen->WriteScreenshot(ScreenshotPath("setup_title_1600x900"), &error)) << error;
        ClickAt(run.screen, GetSetupPage(kPageTitle), kQuitRight, kQuitBottom);
    });
    EXPECT_EQ(code, 0);
}

// SIGTERM on the title: the program ends at once, without a question, the title and the frame
// closed in order, exit code 0.
TEST_F(SetupProgram, ASignalOnTheTitleEndsTheProgramInOrder) {
    ProgramRun run;
    bool signalled = false;
    const int code = run.Run([&](ui::Hwnd frame) {
        ASSERT_TRUE(IsMainMenuOpen());
        ASSERT_TRUE(ui::IsWindowVisible(GetSetupPage(kPageTitle)));
        (void)frame;
        signalled = true;
        ::kill(::getpid(), SIGTERM);
    });
    ASSERT_TRUE(signalled);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(IsMainMenuOpen());
    EXPECT_FALSE(shell::IsSimulationThreadStarted());
    const auto at = [&](const char* step) { return std::find(run.steps.begin(), run.steps.end(), step) - run.steps.begin(); };
    EXPECT_LT(at("loop ended"), at("terminated"));
    EXPECT_LT(at("terminated"), at("clock stopped"));
    EXPECT_EQ(run.steps.back(), "tables freed");
}

}  // namespace
}  // namespace zv::setup
