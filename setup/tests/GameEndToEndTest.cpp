// A whole game through the program, driven by the mouse and keys only: the title, a single game
// set up and deployed by hand and automatically, the speed panel, three hours of play with an order
// given on the map, saved through the menu, loaded again from the title, the title again and the
// quit. Then the road from the title to a running game once more on the real SDL backend.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <filesystem>
#include <functional>
#include <chrono>
#include <thread>
#include <string>
#include <utility>
#include <vector>

#include "framework/ProcessState.h"
#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "organize/CorpsFiles.h"
#include "organize/OrganizeDialog.h"
#include "organize/OrganizeState.h"
#include "organize/TroopDisplay.h"
#include "panels/CommandWindow.h"
#include "panels/NewsWindows.h"
#include "platform/core/Sjis.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/SdlBackend.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/tests/SdlEvents.h"
#include "rules/context/RuleHelpers.h"
#include "rules/countries/CountryStatistics.h"
#include "rules/files/MapFiles.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"
#include "setup/Conditions.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "setup/SinglePlayPages.h"
#include "setup/tests/SetupDriver.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/WindowClasses.h"
#include "shell/game/tests/MapMouse.h"
#include "mapview/tests/ViewHexes.h"
#include "shell/game/tests/ProgramFixture.h"
#include "simulation/Simulation.h"
#include "tools/zvdata/GameFileCheck.h"
#include "tools/zvdata/MapSource.h"

namespace zv::setup {
namespace {

namespace fs = std::filesystem;
using shell::WindowKind;
using shell::testing::CentreOnHex;
using shell::testing::FindFreeSeenHexNear;
using shell::testing::IsGroundTroopFor;
using shell::testing::ProgramRun;
using shell::testing::ScreenPointOfHex;
using shell::testing::ScreenshotPath;
using testing::ClickAt;
using testing::CorpsList;
using testing::CorpsRowOfFile;
using testing::ClickComboItem;
using testing::ClickControl;
using testing::ClickListRow;

constexpr const char* kDefaultMap = "MAP00001.ddm";
constexpr const char* kSaveName = "campaign";


// A screenshot, and every text on the screen checked: it fits its box and lies under no
// other window.
void Shot(ProgramRun& run, const std::string& name) {
    run.Pump();
    std::string error;
    EXPECT_TRUE(run.screen->WriteScreenshot(ScreenshotPath(name), &error)) << error;
    for (const std::string& p : ui::CheckScreenTexts()) ADD_FAILURE() << name << ": " << p;
    run.Pump();
}

bool Visible(int page) { return GetSetupPage(page) && ui::IsWindowVisible(GetSetupPage(page)); }

std::int32_t GameMinutes() {
    const std::uint8_t* h = shell::CurrentGameWorld()->tables->GetTableBase(rules::TableId::ScenarioHeader);
    return h[rules::ScenarioHeaderRecord::kDay] * 1440 + h[rules::ScenarioHeaderRecord::kHour] * 60 +
           h[rules::ScenarioHeaderRecord::kMinute];
}

int OwnTroopsOnMap() {
    rules::TroopCursor troops(*shell::CurrentGameWorld()->tables);
    return troops.CountTroopsByAltitude(0, 0xFF);
}

// Clicks the rows of the file list until `file` is the chosen one.
bool ChooseFile(ProgramRun& run, ui::Hwnd page, const char* file) {
    const ui::Hwnd list = ui::GetDlgItem(page, kIdFileList);
    const int rows = int(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        ClickListRow(run.screen, list, row);
        run.Pump();
        const char* chosen = GetChosenSetupFile(false, nullptr);
        if (chosen && std::string(chosen) == file) return true;
    }
    return false;
}

// The map page, the corps page and the conditions page of a new single game on `map`, with
// country 0 the player's; leaves the conditions page up.
void SetUpNewGame(ProgramRun& run, const char* map, const std::string& shots) {
    ClickControl(run.screen, GetSetupPage(kPageTitle), kIdSinglePlay);
    run.Pump();
    ASSERT_TRUE(Visible(kPageSingleFile));
    const ui::Hwnd files = GetSetupPage(kPageSingleFile);
    ASSERT_TRUE(ChooseFile(run, files, map)) << map;
    if (!shots.empty()) {
        Shot(run, shots + "_map_preview");
        ClickControl(run.screen, files, kIdPreviewPlacement);
        Shot(run, shots + "_map_placement");
    }
    ClickControl(run.screen, files, kIdSetupNext);
    run.Pump();
    ASSERT_TRUE(Visible(kPageSingleCorps));
    const ui::Hwnd corpsPage = GetSetupPage(kPageSingleCorps);
    const ui::Hwnd corpsList = CorpsList(corpsPage);
    ASSERT_TRUE(corpsList);
    const int row = CorpsRowOfFile("useFrc00.prm");
    ASSERT_GE(row, 0);
    ClickListRow(run.screen, corpsList, row);
    run.Pump();
    if (!shots.empty()) Shot(run, shots + "_corps");
    ClickControl(run.screen, corpsPage, kIdSetupNext);
    run.Pump();
    ASSERT_TRUE(Visible(kPageSingleConditions));
    const ui::Hwnd conditions = GetSetupPage(kPageSingleConditions);
    ClickComboItem(run.screen, ui::GetDlgItem(conditions, RoleComboId(0)), kRoleUser, [&] { run.Pump(); });
    ASSERT_EQ(ui::SendMessage(ui::GetDlgItem(conditions, RoleComboId(0)), ui::CB_GETCURSEL, 0, 0), kRoleUser);
    if (!shots.empty()) Shot(run, shots + "_conditions");
}

// What runs inside the modal deployment dialog, from a timer of its loop.
std::function<void()> gInDeployment;

void ActInDeployment(ProgramRun& run, std::function<void()> act) {
    gInDeployment = std::move(act);
    run.screen->SetAutoAdvance(true);
    ui::SetTimer({}, 97, 50, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
        if (!organize::GetOrganizeState().dialog) return;
        ui::KillTimer({}, id);
        if (auto pending = std::exchange(gInDeployment, nullptr)) pending();
    });
}

void ClickDialogButton(ProgramRun& run, ui::Hwnd dialog, int id) {
    ClickControl(run.screen, dialog, id);
    run.Pump();
}

ui::Hwnd DeploymentMap(ui::Hwnd dialog) {
    const ui::Hwnd display = ui::GetDlgItem(ui::GetDlgItem(dialog, organize::kIdInfoTabs), organize::kIdTroopDisplay);
    return ui::GetDlgItem(display, organize::kIdMapView);
}

// The first troop of the list placed by hand: its row, then free hexes of the country on the
// deployment map clicked until it stands on one; taken back with a right click and placed again.
// The hex, 0xFFFE when the right click left it standing, or 0xFFFF.
std::uint16_t PlaceFirstRowByHand(ProgramRun& run, ui::Hwnd dialog) {
    const ui::Hwnd list = ui::GetDlgItem(ui::GetDlgItem(dialog, organize::kIdListTabs), organize::kIdTroopList);
    const ui::Hwnd map = DeploymentMap(dialog);
    const int before = OwnTroopsOnMap();
    // The row, then a click on the hex.
    const auto place = [&](int x, int y) {
        ClickListRow(run.screen, list, 0);
        run.Pump();
        run.screen->AdvanceClock(600);
        ClickAt(run.screen, map, x, y);
        run.Pump();
    };
    for (const auto& [x, y, hex] :
         mapview::testing::FreeAreaHexesInView(map, *shell::CurrentGameWorld()->tables, 0)) {
        place(x, y);
        if (OwnTroopsOnMap() == before) continue;
        // One right click takes it back; the row and the same click place it again.
        run.screen->AdvanceClock(600);
        const ui::Point p = testing::ScreenPoint(map, x, y);
        run.screen->Click(p.x, p.y, ui::MouseButton::Right);
        run.Pump();
        if (OwnTroopsOnMap() != before) return 0xFFFE;
        place(x, y);
        return OwnTroopsOnMap() > before ? hex : 0xFFFF;
    }
    return 0xFFFF;
}

// A ground troop of the player's that may move, clicked on the map and sent three or four hexes
// away with a second click. The troop, or 0xFFFF.
std::uint16_t OrderAMoveByMouse(ProgramRun& run) {
    const ui::Hwnd map = shell::GetWindowOfKind(WindowKind::MapWnd);
    mapview::MapViewContext* ctx = map ? mapview::GetMapViewContext(map) : nullptr;
    if (!ctx) return 0xFFFF;
    shell::SuspendClock();
    rules::TroopCursor t(*shell::CurrentGameWorld()->tables);
    std::uint16_t troop = 0xFFFF;
    for (std::uint16_t i = 0; i < rules::kTroopsPerCountry && troop == 0xFFFF; ++i) {
        if (IsGroundTroopFor(t, ctx, i, 0x0002)) troop = i;
    }
    if (troop == 0xFFFF) {
        shell::ResumeClock();
        return troop;
    }
    t.Select(troop);
    const std::uint16_t start = t.GetHexValue();
    const ui::Point from = CentreOnHex(map, ctx, start);
    run.screen->Click(from.x, from.y);
    run.Pump();
    int tx = -1, ty = -1;
    FindFreeSeenHexNear(ctx->Context(), start, &tx, &ty);
    if (tx >= 0) {
        const ui::Point to = ScreenPointOfHex(map, ctx, tx, ty);
        run.screen->Click(to.x, to.y);
        run.Pump();
    }
    shell::ResumeClock();
    return tx >= 0 ? troop : 0xFFFF;
}

// The speed panel's two arrow buttons, clicked in their middles.
void ClickSpeedButton(ProgramRun& run, bool up) {
    const ui::Hwnd speed = shell::GetWindowOfKind(WindowKind::SpeedWnd);
    ASSERT_TRUE(speed);
    ClickAt(run.screen, speed, up ? 182 : 102, 50);
    run.Pump();
}

int ShownSpeed() {
    return int(ui::SendMessage(shell::GetWindowOfKind(WindowKind::SpeedWnd), zv::WM_GET_GAME_SPEED, 0, 0));
}

// ﾌｧｲﾙ(&F) opened with Alt+F, then `ups` steps up from the bottom (the popup may open with its
// first item chosen or none: the first step up lands on the last item either way), then Enter.
void FileMenuFromBottom(ProgramRun& run, int ups) {
    run.screen->KeyDown(ui::VK_MENU);
    run.screen->KeyDown('F');
    run.screen->KeyUp('F');
    run.screen->KeyUp(ui::VK_MENU);
    for (int i = 0; i < ups; ++i) run.Key(ui::VK_UP);
    run.Key(ui::VK_RETURN);
}
// From the bottom of the game's ﾌｧｲﾙ menu: ゲーム終了, 部隊編成作成, セーブ, 名前を付けて保存, 上書き保存,
// 閉じる, 開く, 新規作成, タイトルに戻る.
constexpr int kUpsToSave = 3;
constexpr int kUpsToTitle = 9;

// The title's 終了 plate, clicked once the title has been looked at.
void QuitFromTheTitle(ProgramRun& run, const std::string& shot, bool& finished) {
    Shot(run, shot);
    finished = true;
    ClickAt(run.screen, GetSetupPage(kPageTitle), kQuitRight, kQuitBottom);
}

using GameEndToEnd = testing::SetupProgramTest;

TEST_F(GameEndToEnd, SetUpDeployPlaySaveLoadAndQuitByMouseAndKeys) {
    ProgramRun run;
    // The clock thread at four times the game's own pace: three game hours take some twenty
    // seconds at the fastest speed instead of a minute.
    run.options.clockPeriodMs = 50;
    // The run's program folder has no SAVE folder: the program makes the one its saves go to.
    const fs::path saveFolder = fs::path(run.dir.Path()) / "SAVE";
    ASSERT_FALSE(fs::exists(saveFolder));
    const fs::path saveFile = saveFolder / (std::string(kSaveName) + ".ddg");
    bool finished = false;
    const int code = run.Run(
        [&](ui::Hwnd frame) {
            EXPECT_TRUE(fs::is_directory(saveFolder)) << "the program made no SAVE folder";
            // Fights would play on the screen's timers, which only move inside modal loops here.
            shell::PutFightMine(0);
            shell::PutFightOther(0);
            ASSERT_TRUE(Visible(kPageTitle));
            Shot(run, "e2e_title");

            // --- A new game on the default map, deployed by hand and automatically.
            SetUpNewGame(run, kDefaultMap, "e2e");
            std::uint16_t byHand = 0xFFFF;
            int afterHand = 0;
            bool deployed = false;
            ActInDeployment(run, [&] {
                const ui::Hwnd dialog = organize::GetOrganizeState().dialog;
                byHand = PlaceFirstRowByHand(run, dialog);
                afterHand = OwnTroopsOnMap();
                Shot(run, "e2e_deployment_by_hand");
                ClickDialogButton(run, dialog, organize::kIdAutoDeploy);
                Shot(run, "e2e_deployment_auto");
                deployed = OwnTroopsOnMap() > afterHand;
                ClickDialogButton(run, dialog, organize::kIdGameStart);
            });
            ClickControl(run.screen, GetSetupPage(kPageSingleConditions), kIdSetupNext);
            ASSERT_TRUE(run.PumpUntil([] { return shell::IsClockRunning() != 0; }, 30)) << LastBox();
            run.screen->SetAutoAdvance(false);
            EXPECT_NE(byHand, 0xFFFF) << "no hex of the deployment map took the troop";
            EXPECT_NE(byHand, 0xFFFE) << "one right click did not take the placed troop back";
            EXPECT_EQ(afterHand, 1);
            EXPECT_TRUE(deployed) << "自動配置 placed nothing more";
            EXPECT_EQ(organize::PlayerHasHQOnMap(), 1);
            EXPECT_FALSE(IsMainMenuOpen());
            EXPECT_EQ(fw::GetPlayerCountry(), 0);
            if (byHand < 0xFFFE) {
                rules::GameContext ctx(*shell::CurrentGameWorld()->tables);
                ASSERT_TRUE(ctx.SelectHexInfoXY(byHand & 0xFF, byHand >> 8));
                EXPECT_NE(ctx.GetHexTroopIndex(), rules::kNoTroopIndex) << "the troop placed by hand stays";
            }
            Shot(run, "e2e_game_started");

            // --- The speed panel by mouse: one slower, then the fastest again.
            EXPECT_EQ(ShownSpeed(), 5);
            ClickSpeedButton(run, false);
            EXPECT_EQ(ShownSpeed(), 4);
            ClickSpeedButton(run, true);
            ClickSpeedButton(run, true);
            EXPECT_EQ(ShownSpeed(), 5) << "the fastest is the top";

            // --- An order by mouse, then three hours of play.
            // Three hours of game time.
            constexpr std::int32_t kPlayedMinutes = 180;
            const std::int32_t startMinutes = GameMinutes();
            const std::uint16_t mover = OrderAMoveByMouse(run);
            ASSERT_NE(mover, 0xFFFF) << "no troop of the player could be sent";
            rules::TroopCursor moverCursor(*shell::CurrentGameWorld()->tables);
            moverCursor.Select(mover);
            const std::uint16_t moverStart = moverCursor.GetHexValue();
            EXPECT_TRUE(run.PumpUntil([&] { return GameMinutes() >= startMinutes + kPlayedMinutes; }, 150))
                << "game minutes " << GameMinutes() - startMinutes;
            moverCursor.Select(mover);
            EXPECT_NE(moverCursor.GetHexValue(), moverStart) << "the ordered troop never moved";
            Shot(run, "e2e_game_hours_later");

            // --- セーブ through the menu and the file dialog; the box says it is done.
            FileMenuFromBottom(run, kUpsToSave);
            run.screen->Text(kSaveName);
            run.Key(ui::VK_RETURN);
            run.Key(ui::VK_RETURN);
            ASSERT_TRUE(run.PumpUntil([&] { return fs::exists(saveFile); }, 10)) << "no save written";
            run.Pump();
            EXPECT_TRUE(shell::IsClockRunning()) << "the game goes on after the save";
            const std::int32_t savedMinutes = GameMinutes();

            // --- Back to the title by the menu, answered Yes.
            FileMenuFromBottom(run, kUpsToTitle);
            run.Key(ui::VK_RETURN);
            ASSERT_TRUE(run.PumpUntil([] { return Visible(kPageTitle); }, 20));
            EXPECT_FALSE(shell::IsClockRunning());
            Shot(run, "e2e_title_again");

            // --- The save loaded: single play, 保存ﾃﾞｰﾀ, the save, its conditions, start.
            ClickControl(run.screen, GetSetupPage(kPageTitle), kIdSinglePlay);
            run.Pump();
            ASSERT_TRUE(Visible(kPageSingleFile));
            const ui::Hwnd files = GetSetupPage(kPageSingleFile);
            ClickControl(run.screen, files, kIdSavedGames);
            run.Pump();
            EXPECT_EQ(ui::SendMessage(ui::GetDlgItem(files, kIdFileList), ui::LVM_GETITEMCOUNT, 0, 0), 1);
            ASSERT_TRUE(ChooseFile(run, files, (std::string(kSaveName) + ".ddg").c_str()));
            Shot(run, "e2e_saved_games");
            ClickControl(run.screen, files, kIdSetupNext);
            run.Pump();
            ASSERT_TRUE(Visible(kPageSingleConditions)) << "a saved game goes straight to its conditions";
            Shot(run, "e2e_saved_conditions");
            ClickControl(run.screen, GetSetupPage(kPageSingleConditions), kIdSetupNext);
            ASSERT_TRUE(run.PumpUntil([] { return shell::IsClockRunning() != 0; }, 30)) << LastBox();
            EXPECT_GE(GameMinutes(), savedMinutes - 60) << "the saved clock came back";
            EXPECT_GE(GameMinutes(), startMinutes + kPlayedMinutes);
            EXPECT_EQ(organize::PlayerHasHQOnMap(), 1);
            Shot(run, "e2e_loaded_game");

            // --- Back to the title once more; its 終了 plate ends the program.
            FileMenuFromBottom(run, kUpsToTitle);
            run.Key(ui::VK_RETURN);
            ASSERT_TRUE(run.PumpUntil([] { return Visible(kPageTitle); }, 20));
            EXPECT_FALSE(shell::GetWindowOfKind(WindowKind::MapWnd));
            EXPECT_EQ(ui::GetMenuItemCount(ui::GetMenu(frame)), 5) << "the editor's bar";
            QuitFromTheTitle(run, "e2e_title_at_the_end", finished);
        },
        300);
    EXPECT_TRUE(finished);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(IsMainMenuOpen());
    EXPECT_EQ(shell::CurrentGameWorld(), nullptr);
}

// A small map made for the end of a game: the enemy's headquarters stands alone in the middle of
// the player's deployment area, so the player's corps, placed round it, wins in the first hours.
constexpr const char* kEndMap = "MAP00090.ddm";
constexpr int kEnemyHqX = 20, kEnemyHqY = 32;

std::string EndMapSource() {
    std::string t =
        "[map]\ntitle = 決着平原\ndescription = 敵の司令部が味方の展開地域に取り残された平原。\n"
        "clock = 1 6 0\nfog = 0\nlimit = 30 24\ndeploy = 40\n"
        "[country 0]\nname = アズール連邦\nplay = 1\nfunds = 20000\ncorps = useFrc00.prm\n"
        "[country 1]\nname = カーマイン王国\nplay = 1\nfunds = 0\ncorps = useFrc01.prm\n[terrain]\n";
    for (int y = 0; y < 64; ++y) t += std::string(64, '.') + "\n";
    t += "[areas]\n";
    for (int y = 0; y < 64; ++y) {
        std::string row(64, '.');
        // Country 0's area: a block round the enemy's headquarters; country 1's: the far east.
        if (y >= kEnemyHqY - 2 && y <= kEnemyHqY + 2) {
            for (int x = kEnemyHqX - 3; x <= kEnemyHqX + 3; ++x) row[x] = '0';
        }
        for (int x = 58; x < 64; ++x) row[x] = '1';
        t += row + "\n";
    }
    t += "[roads]\n[sites]\n首都 0 8,32\n首都 1 60,32\n[troops]\n";
    t += "0 8,33 name=第001司令部 mode=3 units=統帥 機動司令部\n";
    t += "1 " + std::to_string(kEnemyHqX) + "," + std::to_string(kEnemyHqY) +
         " name=第001司令部 mode=3 units=統帥 機動司令部\n";
    return t;
}

// The run's MAP folder becomes a folder of its own: the default maps linked, the end map beside.
void AddEndMap(ProgramRun& run) {
    const fs::path built = fs::path(ZV_PROGRAM_DIR) / "MAP";
    const fs::path dir = fs::path(run.dir.Path()) / "MAP";
    fs::remove(dir);
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(built)) {
        fs::create_symlink(entry.path(), dir / entry.path().filename());
    }
    const std::string program = std::string(ZV_PROGRAM_DIR) + "/";
    rules::TableDirectory tables;
    ASSERT_TRUE(tables.LoadAllTables(program)) << tables.LastError();
    std::string error;
    ASSERT_TRUE(zvdata::CompileMap(tables, program, "end map", EndMapSource(), error)) << error;
    const std::vector<std::string> problems = zvdata::CheckMapTables(tables);
    EXPECT_TRUE(problems.empty()) << problems.front();
    const rules::FileStatus written = rules::WriteMapFile(tables, (dir / kEndMap).string());
    ASSERT_TRUE(written) << written.error;
}

// The troop of the enemy's headquarters, or 0xFFFF once it is gone.
std::uint16_t EnemyHeadquarters() {
    rules::TroopCursor t(*shell::CurrentGameWorld()->tables);
    for (std::uint16_t i = 0; i < rules::kMapTroopCount; ++i) {
        if (t.Select(i) && t.GetRecord()->IsUsed() && t.HasMembers() && t.GetCountry() == 1) return i;
    }
    return 0xFFFF;
}

// Three of the player's ground troops, each ordered by mouse to attack the enemy: a click on the
// troop, on the command window's attack button and on the enemy's hex. The number of troops sent.
int SendTroopsAtTheEnemy(ProgramRun& run, std::uint16_t enemy) {
    const ui::Hwnd map = shell::GetWindowOfKind(WindowKind::MapWnd);
    mapview::MapViewContext* ctx = map ? mapview::GetMapViewContext(map) : nullptr;
    if (!ctx) return 0;
    shell::SuspendClock();
    rules::TroopCursor t(*shell::CurrentGameWorld()->tables);
    t.Select(enemy);
    const std::uint16_t target = t.GetHexValue();
    const ui::Point to = CentreOnHex(map, ctx, target);
    const ui::Hwnd commands = shell::GetWindowOfKind(WindowKind::CommandWnd);
    int attackRow = 0;
    while (attackRow < panels::kCommandButtonCount && panels::CommandButtonTable()[attackRow].code != 2) ++attackRow;
    int sent = 0;
    for (std::uint16_t i = 0; i < rules::kTroopsPerCountry && sent < 3; ++i) {
        if (!IsGroundTroopFor(t, ctx, i, 0x0004)) continue;
        const std::uint16_t from = t.GetHexValue();
        const ui::Point at = ScreenPointOfHex(map, ctx, from & 0xFF, from >> 8);
        run.screen->Click(at.x, at.y);
        run.Pump();
        ClickControl(run.screen, commands, panels::kFirstCommandButton + attackRow);
        run.Pump();
        run.screen->Click(to.x, to.y);
        run.Pump();
        ++sent;
    }
    shell::ResumeClock();
    return sent;
}

std::string DescribeTroops() {
    std::string text;
    const ui::Hwnd active = ui::GetActiveWindow();
    text += "\n active " + std::to_string(active.value) + " frame " +
            std::to_string(shell::GetWindowOfKind(WindowKind::FrameWnd).value) + " panels " +
            std::to_string(shell::GetWindowOfKind(WindowKind::PanelManeger).value) + " commands " +
            std::to_string(shell::GetWindowOfKind(WindowKind::CommandWnd).value);
    rules::CountryCursor countries(*shell::CurrentGameWorld()->tables);
    for (int c = 0; c < 4; ++c) {
        if (!countries.Select(c)) continue;
        text += "\n country " + std::to_string(c) + " state " + std::to_string(countries.GetState()) +
                " participation " + std::to_string(countries.GetParticipation()) + " alliance " +
                std::to_string(countries.GetAllianceMask());
    }
    rules::TroopCursor t(*shell::CurrentGameWorld()->tables);
    for (std::uint16_t i = 0; i < rules::kMapTroopCount; ++i) {
        if (!t.Select(i) || !t.GetRecord()->IsUsed() || !t.HasMembers() || !t.IsOnMap()) continue;
        const std::uint16_t hex = t.GetHexValue();
        text += "\n troop " + std::to_string(i) + " country " + std::to_string(t.GetCountry()) + " at " +
                std::to_string(hex & 0xFF) + "," + std::to_string(hex >> 8) + " class " +
                std::to_string(t.GetTroopAltitudeClass());
    }
    return text;
}

ProgramRun* gEndRun = nullptr;
// The pictures shown at the end: window and the texts of its lines.
std::vector<std::pair<std::uint64_t, std::string>> gEndPictures;

TEST_F(GameEndToEnd, AGameWonByTheJudgementShowsItsResultAndLeadsBackToTheTitle) {
    ProgramRun run;
    run.options.clockPeriodMs = 50;
    AddEndMap(run);
    bool finished = false;
    const int code = run.Run(
        [&](ui::Hwnd) {
            shell::PutFightMine(0);
            shell::PutFightOther(0);
            SetUpNewGame(run, kEndMap, "");
            ActInDeployment(run, [&] {
                const ui::Hwnd dialog = organize::GetOrganizeState().dialog;
                ClickDialogButton(run, dialog, organize::kIdAutoDeploy);
                ClickDialogButton(run, dialog, organize::kIdGameStart);
            });
            ClickControl(run.screen, GetSetupPage(kPageSingleConditions), kIdSetupNext);
            ASSERT_TRUE(run.PumpUntil([] { return shell::IsClockRunning() != 0; }, 30)) << LastBox();
            run.screen->SetAutoAdvance(false);
            // The deployed corps is what the game starts from: the result's starting counts and
            // the produced count hold every troop placed, and nothing is lost yet.
            {
                rules::TableDirectory& tables = *shell::CurrentGameWorld()->tables;
                const rules::CountryTable25Record* stats = rules::GetCountryStats(tables, 0);
                int atStart = 0;
                for (int k = 1; k <= 5; ++k) {
                    atStart += stats->TroopsAtStart(k);
                    // The map's own troop of the player's, taken off for the corps, is no loss.
                    EXPECT_EQ(stats->TroopsLost(k), 0) << "class " << k;
                }
                EXPECT_GT(atStart, 0);
                EXPECT_EQ(atStart, OwnTroopsOnMap());
                rules::CountryCursor countries(tables);
                ASSERT_TRUE(countries.Select(0));
                EXPECT_EQ(countries.GetCounter84(), OwnTroopsOnMap());
            }
            const std::uint16_t enemy = EnemyHeadquarters();
            ASSERT_NE(enemy, 0xFFFF) << "the enemy's headquarters is on the map";
            EXPECT_GT(SendTroopsAtTheEnemy(run, enemy), 0);
            Shot(run, "e2e_end_attack");

            // The judgement ends the game: the enemy's fall and the victory come up as pictures
            // (a timer of their loops reads and shoots them; their own timers close them), then
            // the result window. The screen's clock moves on with the waiting.
            gEndRun = &run;
            gEndPictures.clear();
            ui::SetTimer({}, 98, 100, [](ui::Hwnd, uint32_t, uintptr_t, uint32_t) {
                const ui::Hwnd active = ui::GetActiveWindow();
                if (!active || active == shell::GetWindowOfKind(WindowKind::FrameWnd) ||
                    active == shell::GetWindowOfKind(WindowKind::ResultWnd) ||
                    (!gEndPictures.empty() && gEndPictures.back().first == active.value)) {
                    return;
                }
                std::string lines = core::SjisToUtf8(ui::GetWindowText(active)) + "|";
                for (ui::Hwnd c : ui::WindowManager::Current()->GetChildren(active)) {
                    lines += core::SjisToUtf8(ui::GetWindowText(c)) + "|";
                }
                gEndPictures.emplace_back(active.value, lines);
                Shot(*gEndRun, "e2e_end_picture" + std::to_string(gEndPictures.size()));
            });
            run.screen->SetAutoAdvance(true);
            ASSERT_TRUE(run.PumpUntil([&] {
                run.screen->AdvanceClock(50);
                const ui::Hwnd result = shell::GetWindowOfKind(WindowKind::ResultWnd);
                return result && ui::IsWindowVisible(result);
            }, 90)) << "the game did not end; game minutes " << GameMinutes() << DescribeTroops();
            ui::KillTimer({}, 98);
            run.screen->SetAutoAdvance(false);
            run.Pump();
            EXPECT_FALSE(shell::IsClockRunning());
            EXPECT_FALSE(shell::GetWindowOfKind(WindowKind::MapWnd));
            EXPECT_FALSE(panels::GetResultWindowRecords().empty()) << "the game's news are in the result";
            Shot(run, "e2e_end_result");

            // The result window's end button leads back to the title.
            ClickAt(run.screen, shell::GetWindowOfKind(WindowKind::ResultWnd), 720, 532);
            ASSERT_TRUE(run.PumpUntil([] { return Visible(kPageTitle); }, 20));
            EXPECT_FALSE(ui::IsWindowVisible(shell::GetWindowOfKind(WindowKind::ResultWnd)));
            QuitFromTheTitle(run, "e2e_end_title", finished);
        },
        150);
    EXPECT_TRUE(finished);
    EXPECT_EQ(code, 0);
    // The enemy's fall first, then the player's victory.
    ASSERT_EQ(gEndPictures.size(), 2u);
    EXPECT_NE(gEndPictures[0].second.find("ＲＥＤ国が全滅しました"), std::string::npos) << gEndPictures[0].second;
    EXPECT_NE(gEndPictures[1].second.find("勝利しました"), std::string::npos) << gEndPictures[1].second;
}

// The real backend: SDL's offscreen video driver, the input pushed into SDL's queue as a player's
// mouse and keys would come.
void PushClick(const ui::Point& p) {
    ui::testing::PushMotion(p.x, p.y);
    ui::testing::PushButton(SDL_BUTTON_LEFT, p.x, p.y);
}
using ui::testing::PushKey;
ui::Point CentreOf(ui::Hwnd window) {
    ui::Rect r{};
    ui::GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
void PumpFor(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        ui::WindowManager::Current()->PumpPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
TEST_F(GameEndToEnd, OnTheRealBackendTheTitleLeadsToARunningGameAndTheMenuQuits) {
#if defined(__SANITIZE_ADDRESS__)
    // The video driver's own libraries keep allocations past their unloading.
    __lsan::ScopedDisabler sdlKeepsItsOwn;
#endif
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ProgramRun run;
    std::string why;
    run.options.makeBackend = [&](std::string* error) -> std::unique_ptr<ui::Backend> {
        auto b = ui::SdlBackend::Create("ZV6", 1024, 768, error);
        if (!b) why = *error;
        return b;
    };
    bool shown = false;
    bool started = false;
    bool deployed = false;
    const int code = run.Run(
        [&](ui::Hwnd) {
            shown = true;
            shell::PutFightMine(0);
            shell::PutFightOther(0);
            ASSERT_TRUE(Visible(kPageTitle));
            PushClick(CentreOf(ui::GetDlgItem(GetSetupPage(kPageTitle), kIdSinglePlay)));
            ASSERT_TRUE(run.PumpUntil([] { return Visible(kPageSingleFile); }, 10));
            const ui::Hwnd files = GetSetupPage(kPageSingleFile);
            const ui::Hwnd list = ui::GetDlgItem(files, kIdFileList);
            ui::Rect row{};
            row.left = ui::LVIR_BOUNDS;
            ui::SendMessage(list, ui::LVM_GETITEMRECT, 0, reinterpret_cast<ui::LParam>(&row));
            PushClick(testing::ScreenPoint(list, row.left + 20, (row.top + row.bottom) / 2));
            ASSERT_TRUE(run.PumpUntil([&] { return ui::IsWindowEnabled(ui::GetDlgItem(files, kIdSetupNext)); }, 10));
            PushClick(CentreOf(ui::GetDlgItem(files, kIdSetupNext)));
            ASSERT_TRUE(run.PumpUntil([] { return Visible(kPageSingleCorps); }, 10));
            const ui::Hwnd corpsPage = GetSetupPage(kPageSingleCorps);
            const ui::Hwnd corpsList = CorpsList(corpsPage);
            ASSERT_TRUE(corpsList);
            ui::SendMessage(corpsList, ui::LVM_GETITEMRECT, ui::WParam(CorpsRowOfFile("useFrc00.prm")),
                            reinterpret_cast<ui::LParam>(&row));
            PushClick(testing::ScreenPoint(corpsList, row.left + 20, (row.top + row.bottom) / 2));
            PumpFor(200);
            PushClick(CentreOf(ui::GetDlgItem(corpsPage, kIdSetupNext)));
            ASSERT_TRUE(run.PumpUntil([] { return Visible(kPageSingleConditions); }, 10));
            const ui::Hwnd conditions = GetSetupPage(kPageSingleConditions);
            const ui::Hwnd role = ui::GetDlgItem(conditions, RoleComboId(0));
            ui::Rect face{};
            ui::GetWindowRect(role, &face);
            PushClick(CentreOf(role));
            PumpFor(200);
            const int height = int(ui::SendMessage(role, ui::CB_GETITEMHEIGHT, 0, 0));
            PushClick({face.left + 10, face.bottom + 1 + height * kRoleUser + height / 2});
            ASSERT_TRUE(run.PumpUntil([&] { return ui::SendMessage(role, ui::CB_GETCURSEL, 0, 0) == kRoleUser; }, 10));

            // The deployment dialog's loop: 自動配置, then ゲーム開始, pushed from a timer in it.
            static bool* gDeployed = nullptr;
            gDeployed = &deployed;
            ui::SetTimer({}, 97, 50, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
                const ui::Hwnd dialog = organize::GetOrganizeState().dialog;
                if (!dialog) return;
                if (!*gDeployed) {
                    PushClick(CentreOf(ui::GetDlgItem(dialog, organize::kIdAutoDeploy)));
                    *gDeployed = true;
                    return;
                }
                if (organize::PlayerHasHQOnMap() != 1) return;
                ui::KillTimer({}, id);
                PushClick(CentreOf(ui::GetDlgItem(dialog, organize::kIdGameStart)));
            });
            PushClick(CentreOf(ui::GetDlgItem(conditions, kIdSetupNext)));
            ASSERT_TRUE(run.PumpUntil([] { return shell::IsClockRunning() != 0; }, 30)) << LastBox();
            started = true;
            EXPECT_TRUE(shell::GetWindowOfKind(WindowKind::MapWnd));
            PumpFor(300);

            // ﾌｧｲﾙ(&F) / ゲーム終了(&Q), Yes.
            PushKey(SDLK_LALT, true);
            PushKey(SDLK_f, true);
            PushKey(SDLK_f, false);
            PushKey(SDLK_LALT, false);
            PushKey(SDLK_q, true);
            PushKey(SDLK_q, false);
            PushKey(SDLK_RETURN, true);
            PushKey(SDLK_RETURN, false);
        },
        60);
    ::unsetenv("SDL_VIDEODRIVER");
    ASSERT_TRUE(shown) << "no screen: " << why;
    EXPECT_TRUE(started);
    EXPECT_TRUE(deployed);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(shell::CurrentGameWorld(), nullptr);
}

}  // namespace
}  // namespace zv::setup
