// The whole program headless: start-up in its order, the frame maximised with its menus, a map
// opened through the menu with the keyboard, a single game started, a move order given with the
// mouse while the clock runs, and the shut-down in its order with the clock thread joined.

#include <signal.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/ProcessState.h"
#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "organize/OrganizeDialog.h"
#include "organize/OrganizeState.h"
#include "platform/core/Process.h"
#include "platform/core/Sjis.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Menu.h"
#include "platform/ui/controls/CommonControls.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/Bytes.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"
#include "shell/OpeningLauncher.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameMenus.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/GamePanels.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/WindowClasses.h"
#include "shell/game/tests/MapMouse.h"
#include "shell/game/tests/ProgramFixture.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/Simulation.h"

namespace zv::shell {
namespace {

using testing::CentreOnHex;
using testing::FindFreeSeenHexNear;
using testing::IsGroundTroopFor;
using testing::ProgramRun;
using testing::ScreenPointOfHex;

const std::vector<std::string> kStartUp = {"mutex", "screen", "tables", "classes", "session",
                                           "frame", "lobby",  "sound",  "shown",   "clock"};
const std::vector<std::string> kShutDown = {"loop ended",   "sound stopped",   "application deleted",
                                            "clock stopped", "buttons freed", "session deleted",
                                            "tables freed"};

std::vector<std::string> StartAndStop() {
    std::vector<std::string> all = kStartUp;
    all.insert(all.end(), kShutDown.begin(), kShutDown.end());
    return all;
}

// Fills the game settings as the set-up pages do: one player for `player`, the computer for
// the map's other countries.
void PrepareSinglePlay(rules::TableDirectory& tables, int player) {
    using G = rules::GameSettingsRecord;
    std::uint8_t* s = tables.GetTableBase(rules::TableId::GameSettings);
    std::memset(s, 0, sizeof(G));
    rules::WriteS32(s, G::kSinglePlay, 1);
    // The map's own conditions, as the set-up pages offer them.
    using H = rules::ScenarioHeaderRecord;
    const std::uint8_t* header = tables.GetTableBase(rules::TableId::ScenarioHeader);
    s[G::kFogOfWar] = header[H::kOptionByte1];
    s[G::kDayLimit] = header[H::kDayLimit];
    s[G::kHourLimit] = header[H::kHourLimit];
    s[G::kDeployLimit] = header[H::kDeployLimit];
    rules::WriteU16(s, G::kRuleOptions, rules::ReadU16(header, H::kOptionWord));
    rules::CountryCursor countries(tables);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        std::uint8_t* e = s + G::CountryEntry(c);
        countries.Select(c);
        const bool inMap = countries.GetParticipation() == 1;  // the map's playing countries
        e[G::kEntryParticipation] = c == player ? 0 : (inMap ? 1 : 2);
        e[G::kEntryState] = c == player || inMap ? 1 : 0;
        e[G::kEntryAllianceMask] = static_cast<std::uint8_t>(1u << c);
        rules::WriteS32(e, G::kEntryFunds, countries.GetComputerFunds());
        rules::WriteS32(e, G::kEntryProductionLimit, 100);
    }
}

// The default map's tables in the program's world, as opening it would leave them.
void LoadDefaultMap(GameWorld* world) {
    std::string error;
    sim::HeadlessGame loader;
    ASSERT_TRUE(loader.Load(fw::GetProgramDirectory(), "MAP00001.ddm", error)) << error;
    for (rules::TableId id : {rules::TableId::Site, rules::TableId::Troop, rules::TableId::Hex,
                              rules::TableId::Country, rules::TableId::ScenarioHeader}) {
        std::memcpy(world->tables->GetTableBase(id), loader.Tables().GetTableBase(id),
                    world->tables->GetTableTotalBytes(id));
    }
}

TEST(GameProgram, PlaysAGameFromTheMenuAndShutsDownInOrder) {
    ProgramRun run;
    bool drove = false;
    const int code = run.Run([&](ui::Hwnd frame) {
        EXPECT_TRUE(ui::IsZoomed(frame));
        EXPECT_EQ(ui::GetMenuItemCount(ui::GetMenu(frame)), 5) << "the editor's bar";
        EXPECT_TRUE(IsSimulationThreadStarted());
        EXPECT_FALSE(IsClockRunning());

        // ﾌｧｲﾙ(&F) / 開く(&O), then the map's name in the file dialog.
        run.MenuKeys('F', 'O');
        run.screen->Text("MAP00001.ddm");
        run.Key(ui::VK_RETURN);
        ASSERT_TRUE(run.PumpUntil([] { return bool(GetWindowOfKind(WindowKind::MapWnd)); }, 20));
        const ui::Hwnd editorMap = GetWindowOfKind(WindowKind::MapWnd);
        EXPECT_EQ(ui::GetClassName(ui::GetParent(editorMap)), "MDICLIENT");
        EXPECT_NE(core::SjisToUtf8(ui::GetWindowText(editorMap)).find("MAP00001"), std::string::npos);
        EXPECT_TRUE(IsDocumentMode());
        run.Pump();
        std::string error;
        EXPECT_TRUE(run.screen->WriteScreenshot(testing::ScreenshotPath("zv6_frame_map"), &error)) << error;

        // The set-up pages' part: a single game for country 0, then the start.
        GameWorld* world = CurrentGameWorld();
        PrepareSinglePlay(*world->tables, 0);
        // A fight would play its animation on the screen's timers, which the test's screen
        // does not advance: the clock would wait for it.
        PutFightMine(0);
        PutFightOther(0);
        ui::PostMessage(frame, WM_START_GAME, 0, 0);
        ASSERT_TRUE(run.PumpUntil([] { return IsClockRunning() != 0; }, 10));
        EXPECT_EQ(ui::GetMenuItemCount(ui::GetMenu(frame)), 4) << "the game's bar";
        EXPECT_EQ(fw::GetPlayerCountry(), 0);
        const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
        ASSERT_TRUE(map);
        mapview::MapViewContext* ctx = mapview::GetMapViewContext(map);
        ASSERT_NE(ctx, nullptr);

        // A ground troop of country 0 that can move, selected and sent with the mouse.
        rules::TroopCursor t(*world->tables);
        std::uint16_t troop = rules::kNoTroop;
        for (std::uint16_t i = 0; i < rules::kTroopsPerCountry && troop == rules::kNoTroop; ++i) {
            if (IsGroundTroopFor(t, ctx, i, 0x0002)) troop = i;
        }
        ASSERT_NE(troop, rules::kNoTroop);
        t.Select(troop);
        const std::uint16_t start = t.GetHexValue();
        const ui::Point from = CentreOnHex(map, ctx, start);
        run.screen->Click(from.x, from.y);
        run.Pump();
        ASSERT_EQ(mapview::GetTroopSelection().count, 1);
        int tx = -1, ty = -1;
        FindFreeSeenHexNear(ctx->Context(), start, &tx, &ty);
        ASSERT_GE(tx, 0);
        const ui::Point to = ScreenPointOfHex(map, ctx, tx, ty);
        run.screen->Click(to.x, to.y);
        run.Pump();

        // The clock carries the order out: the troop leaves its hex within a few game minutes.
        const std::int32_t minutesBefore = [&] {
            const std::uint8_t* h = world->tables->GetTableBase(rules::TableId::ScenarioHeader);
            return h[rules::ScenarioHeaderRecord::kDay] * 1440 + h[rules::ScenarioHeaderRecord::kHour] * 60 +
                   h[rules::ScenarioHeaderRecord::kMinute];
        }();
        EXPECT_TRUE(run.PumpUntil([&] {
            t.Select(troop);
            return t.GetHexValue() != start;
        }, 60)) << "the troop never moved; busy mask " << world->simulation->GetBusyMask() << " game over " << int(world->clock->GetGameOverFlag());
        const std::uint8_t* h = world->tables->GetTableBase(rules::TableId::ScenarioHeader);
        const std::int32_t minutesAfter = h[rules::ScenarioHeaderRecord::kDay] * 1440 +
                                          h[rules::ScenarioHeaderRecord::kHour] * 60 +
                                          h[rules::ScenarioHeaderRecord::kMinute];
        EXPECT_GT(minutesAfter, minutesBefore);
        run.Pump();
        EXPECT_TRUE(run.screen->WriteScreenshot(testing::ScreenshotPath("zv6_game_running"), &error)) << error;

        // ﾌｧｲﾙ / ゲーム終了(&Q), Yes: the quit goes through the next clock step.
        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
        drove = true;
    });
    EXPECT_TRUE(drove);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(run.steps, StartAndStop());
    EXPECT_FALSE(IsSimulationThreadStarted());
    EXPECT_EQ(CurrentGameWorld(), nullptr);
    // What the frame knew went with it: the game it played, its document mode, its tip box.
    EXPECT_FALSE(IsGamePlaying());
    EXPECT_FALSE(IsDocumentMode());
    EXPECT_FALSE(GetFrameStatusControl());
}

// Troops selected for an order hold the clock until the order is given; the quit, which waits
// for the next clock step, lets go of the selection, so the program still ends.
TEST(GameProgram, QuittingWithATroopSelectedEndsTheProgram) {
    ProgramRun run;
    bool drove = false;
    const int code = run.Run(
        [&](ui::Hwnd frame) {
            run.MenuKeys('F', 'O');
            run.screen->Text("MAP00001.ddm");
            run.Key(ui::VK_RETURN);
            ASSERT_TRUE(run.PumpUntil([] { return bool(GetWindowOfKind(WindowKind::MapWnd)); }, 20));
            GameWorld* world = CurrentGameWorld();
            PrepareSinglePlay(*world->tables, 0);
            PutFightMine(0);
            PutFightOther(0);
            ui::PostMessage(frame, WM_START_GAME, 0, 0);
            ASSERT_TRUE(run.PumpUntil([] { return IsClockRunning() != 0; }, 10));
            const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
            mapview::MapViewContext* ctx = mapview::GetMapViewContext(map);
            ASSERT_NE(ctx, nullptr);
            rules::TroopCursor t(*world->tables);
            std::uint16_t troop = rules::kNoTroop;
            for (std::uint16_t i = 0; i < rules::kTroopsPerCountry && troop == rules::kNoTroop; ++i) {
                if (IsGroundTroopFor(t, ctx, i, 0x0002)) troop = i;
            }
            ASSERT_NE(troop, rules::kNoTroop);
            t.Select(troop);
            const ui::Point at = CentreOnHex(map, ctx, t.GetHexValue());
            run.screen->Click(at.x, at.y);
            run.Pump();
            ASSERT_EQ(mapview::GetTroopSelection().count, 1);
            EXPECT_NE(world->simulation->GetBusyMask() & (1u << sim::kBusySelecting), 0u) << "the selection holds the clock";

            // ﾌｧｲﾙ / ゲーム終了(&Q), Yes.
            run.MenuKeys('F', 'Q');
            run.Key(ui::VK_RETURN);
            ASSERT_TRUE(run.PumpUntil([] { return GetPendingNetAction() != 0; }, 10));
            EXPECT_EQ(mapview::GetTroopSelection().count, 0) << "the selection was let go";
            drove = true;
        },
        60);
    EXPECT_TRUE(drove);
    EXPECT_EQ(code, 0);
}

TEST(GameProgram, ClosingWithoutAGameEndsAtOnce) {
    ProgramRun run;
    const int code = run.Run([&](ui::Hwnd frame) {
        // No: the frame stays.
        run.screen->Text("n");
        ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
        run.Pump();
        EXPECT_TRUE(ui::IsWindow(frame));
        EXPECT_EQ(GetPendingNetAction(), 0);
        // Yes: no clock runs, so nothing would ever carry a pending quit out.
        run.Key(ui::VK_RETURN);
        ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(run.steps, StartAndStop());
}

// The opening program runs from the program directory and is waited for before the frame is
// shown; one that cannot be started leaves the start-up going on.
TEST(GameProgram, WaitsForTheOpeningProgramBeforeShowingTheFrame) {
    for (const bool startable : {true, false}) {
        ProgramRun run;
        const std::filesystem::path dir(run.options.programDirectory);
        const std::filesystem::path opening = dir / kOpeningProgram;
        std::filesystem::remove(opening);
        if (startable) {
            std::ofstream(opening) << "#!/bin/sh\nsleep 0.3\necho ended > opening-ended\n";
            std::filesystem::permissions(opening, std::filesystem::perms::owner_all);
        }
        int openings = 0;
        run.options.runOpening = [&](const std::string& programDirectory) {
            ++openings;
            return RunOpeningPlayer(programDirectory);
        };
        bool endedBeforeFrame = false;
        const int code = run.Run([&](ui::Hwnd frame) {
            endedBeforeFrame = std::filesystem::exists(dir / "opening-ended");
            run.Key(ui::VK_RETURN);
            ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(code, 0);
        EXPECT_EQ(openings, 1);
        EXPECT_EQ(endedBeforeFrame, startable);
        std::vector<std::string> expected = StartAndStop();
        expected.insert(std::find(expected.begin(), expected.end(), "sound"), "opening");
        EXPECT_EQ(run.steps, expected) << (startable ? "opening ran" : "opening missing");
    }
}

TEST(GameProgram, EndingTheSessionParksTheClockBeforeTheWorldIsEmptied) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        GameWorld* world = CurrentGameWorld();
        LoadDefaultMap(world);
        PrepareSinglePlay(*world->tables, 0);
        ui::SendMessage(frame, WM_START_GAME, 0, 0);
        ASSERT_TRUE(IsClockRunning());
        run.Key(ui::VK_RETURN);
        EXPECT_EQ(ui::SendMessage(frame, ui::WM_QUERYENDSESSION, 0, 0), 1);
        EXPECT_FALSE(IsClockRunning());
        EXPECT_FALSE(GetWindowOfKind(WindowKind::MapWnd));
        ui::PostMessage(frame, WM_EXIT_GAME, 0, 0);
    });
    EXPECT_EQ(run.steps, StartAndStop());
}

TEST(GameProgram, ASecondCopyEndsAtOnceAndSaysWhy) {
    ProgramRun run;
    core::InstanceLock first;
    ASSERT_TRUE(first.TryAcquire(run.options.instanceName));
    bool screenOpened = false;
    run.options.makeBackend = [&](std::string*) -> std::unique_ptr<ui::Backend> {
        screenOpened = true;
        return nullptr;
    };
    std::vector<std::string> reports;
    run.options.report = [&](const std::string& text) { reports.push_back(text); };
    EXPECT_EQ(run.Run([](ui::Hwnd) { ADD_FAILURE() << "a frame was shown"; }), 0);
    EXPECT_FALSE(screenOpened);
    EXPECT_EQ(run.steps, std::vector<std::string>{"already running"});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("already running (process " + std::to_string(::getpid()) + ")"), std::string::npos)
        << reports[0];
}

// The screen window grows after the frame was made (a window manager maximises it later): the
// frame, maximised, follows, its tool bar spans it, and the frame's own restore asks the screen
// window to leave its maximised state while the frame keeps covering the screen.
TEST(GameProgram, TheFrameAndItsToolBarFollowTheScreensSize) {
    ProgramRun run;
    const int code = run.Run([&](ui::Hwnd frame) {
        EXPECT_EQ(run.screen->WindowStateRequested(), "maximized");
        const ui::Hwnd bar = GetToolBarWindow();
        ASSERT_TRUE(bar);
        ui::Rect r{};
        ui::GetWindowRect(bar, &r);
        EXPECT_EQ(r.Width(), 1024);
        GameWorld* world = CurrentGameWorld();
        LoadDefaultMap(world);
        PrepareSinglePlay(*world->tables, 0);
        PutFightMine(0);
        PutFightOther(0);
        ui::SendMessage(frame, WM_START_GAME, 0, 0);
        ASSERT_TRUE(IsClockRunning());
        run.screen->Resize(1600, 900);
        run.Pump();
        ui::GetWindowRect(frame, &r);
        EXPECT_EQ(r, (ui::Rect{-4, -4, 1604, 904}));
        ui::GetWindowRect(bar, &r);
        EXPECT_EQ(r.Width(), 1600);
        // The panel column reaches the bottom, its background drawn there as higher up.
        const ui::Hwnd column = GetWindowOfKind(WindowKind::PanelManeger);
        ASSERT_TRUE(column && ui::IsWindowVisible(column));
        ui::GetWindowRect(column, &r);
        EXPECT_GE(r.bottom, 900);
        // Compared below the last panel.
        ui::Rect speed{};
        ui::GetWindowRect(GetWindowOfKind(WindowKind::SpeedWnd), &speed);
        ASSERT_LT(speed.bottom + 10, 890);
        EXPECT_EQ(run.screen->PixelAt(r.left + 20, 890),
                  run.screen->PixelAt(r.left + 20, speed.bottom + 10));
        std::string error;
        EXPECT_TRUE(run.screen->WriteScreenshot(testing::ScreenshotPath("zv6_frame_1600x900"), &error)) << error;
        ui::ShowWindow(frame, ui::SW_RESTORE);
        EXPECT_EQ(run.screen->WindowStateRequested(), "normal");
        ui::GetWindowRect(frame, &r);
        EXPECT_EQ(r, (ui::Rect{0, 0, 1600, 900}));
        ui::PostMessage(frame, WM_EXIT_GAME, 0, 0);
    });
    EXPECT_EQ(code, 0);
}

// SIGTERM during a game and in the map editor: the program ends as its own quit does, without a
// question, with the clock stopped, the game and the map closed and the windows' settings written,
// and exit code 0.
TEST(GameProgram, ASignalEndsAGameOrTheEditorWithoutAskingAndInOrder) {
    for (const bool game : {true, false}) {
        ProgramRun run;
        const std::filesystem::path ini = std::filesystem::path(run.options.programDirectory) / "ZV6WIN.INI";
        bool signalled = false;
        const int code = run.Run([&](ui::Hwnd frame) {
            if (game) {
                GameWorld* world = CurrentGameWorld();
                LoadDefaultMap(world);
                PrepareSinglePlay(*world->tables, 0);
                PutFightMine(0);
                PutFightOther(0);
                ui::SendMessage(frame, WM_START_GAME, 0, 0);
                ASSERT_TRUE(IsClockRunning());
                // The speed the player set is one of the settings the end writes.
                ui::SendMessage(GetWindowOfKind(WindowKind::SpeedWnd), WM_SET_GAME_SPEED, 3, 0);
            } else {
                run.MenuKeys('F', 'O');
                run.screen->Text("MAP00001.ddm");
                run.Key(ui::VK_RETURN);
                ASSERT_TRUE(run.PumpUntil([] { return bool(GetWindowOfKind(WindowKind::MapWnd)); }, 20));
                ASSERT_TRUE(IsDocumentMode());
            }
            std::filesystem::remove(ini);
            signalled = true;
            ::kill(::getpid(), SIGTERM);
        });
        ASSERT_TRUE(signalled);
        EXPECT_EQ(code, 0) << (game ? "game" : "editor");
        std::vector<std::string> expected = StartAndStop();
        expected.insert(std::find(expected.begin(), expected.end(), "sound stopped"), "terminated");
        EXPECT_EQ(run.steps, expected);
        EXPECT_FALSE(IsSimulationThreadStarted());
        EXPECT_FALSE(IsClockRunning());
        EXPECT_EQ(CurrentGameWorld(), nullptr);
        // The windows wrote their settings on the way out (the game's speed, the editor's map
        // window), into a whole file.
        std::ifstream in(ini);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        EXPECT_NE(text.find(game ? "GameSpeed=3" : "[Windows]"), std::string::npos) << text;
    }
}

// A lobby start that joins a session nobody holds yet waits in the lobby wait dialog: it is drawn
// over the screen, and キャンセル ends the wait; the program then says it could not join and ends.
std::vector<std::string> gLobbyScreens;
ui::HeadlessBackend* gLobbyScreen = nullptr;

TEST(GameProgram, ALobbyJoinWaitsInItsDialogWhichCancelEnds) {
    ProgramRun run;
    ::setenv("ZV6_LOBBY", "join;127.0.0.1;9;guest", 1);
    gLobbyScreens.clear();
    const auto collect = run.options.trace;
    run.options.trace = [&](std::string_view step) {
        collect(step);
        if (step != "frame") return;
        gLobbyScreen = run.screen;
        run.screen->SetAutoAdvance(true);
        // Inside the dialog's loop (and the box's after it): what is up, read and answered.
        ui::SetTimer({}, 0, 1000, [](ui::Hwnd, uint32_t, uintptr_t, uint32_t) {
            const ui::Hwnd active = ui::GetActiveWindow();
            if (!active) return;
            std::string lines = core::SjisToUtf8(ui::GetWindowText(active)) + "|";
            for (ui::Hwnd c : ui::WindowManager::Current()->GetChildren(active)) {
                lines += core::SjisToUtf8(ui::GetWindowText(c)) + "|";
            }
            if (!gLobbyScreens.empty() && gLobbyScreens.back() == lines) return;
            gLobbyScreens.push_back(lines);
            std::string error;
            gLobbyScreen->WriteScreenshot(testing::ScreenshotPath("zv6_lobby_wait_" + std::to_string(gLobbyScreens.size())),
                                          &error);
            if (const ui::Hwnd cancel = ui::GetDlgItem(active, ui::IDCANCEL); cancel && gLobbyScreens.size() == 1) {
                ui::Rect r{};
                ui::GetWindowRect(cancel, &r);
                gLobbyScreen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            } else {
                gLobbyScreen->KeyDown(ui::VK_RETURN);
                gLobbyScreen->KeyUp(ui::VK_RETURN);
            }
        });
    };
    const int code = run.Run([](ui::Hwnd) { ADD_FAILURE() << "the frame was shown"; }, 60);
    ::unsetenv("ZV6_LOBBY");
    EXPECT_EQ(code, 0);
    ASSERT_EQ(gLobbyScreens.size(), 2u);
    EXPECT_NE(gLobbyScreens[0].find("ゲームへの接続を待っています"), std::string::npos) << gLobbyScreens[0];
    EXPECT_NE(gLobbyScreens[0].find("キャンセル"), std::string::npos) << gLobbyScreens[0];
    // The box "セッションに参加できませんでした。" (its text is drawn, not a child's), under the
    // game's title, answered with Enter; the start-up ends there.
    EXPECT_EQ(gLobbyScreens[1], core::SjisToUtf8(GetFrameTitle()) + "|OK|");
    EXPECT_EQ(run.steps.back(), "frame");
}

TEST(GameProgram, NoScreenIsReportedNotCrashed) {
    ProgramRun run;
    std::string told;
    run.options.report = [&](const std::string& text) { told = text; };
    run.options.makeBackend = [](std::string* error) -> std::unique_ptr<ui::Backend> {
        *error = "no display; try xvfb-run";
        return nullptr;
    };
    EXPECT_EQ(run.Run(nullptr), 1);
    EXPECT_EQ(told, "no display; try xvfb-run");
}

TEST(GameProgram, ScreenWarnings) {
    const struct {
        int w, h, bits;
        const char* text;
    } cases[] = {
        {1024, 768, 8, "256色環境では動作しません。16bit High Color以上の環境で起動してください。"},
        {640, 480, 16, "640x480環境では動作しません。800x600以上の環境で起動してください。"},
        {640, 480, 8, "640x480,256色環境では動作しません。800x600, 16bit High Color以上の環境で起動してください。"},
        {800, 599, 32, "640x480環境では動作しません。800x600以上の環境で起動してください。"},
        {800, 600, 16, ""},
        {1920, 1080, 32, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DisplayModeWarning(c.w, c.h, c.bits), c.text) << c.w << "x" << c.h << "x" << c.bits;
    }
}

TEST(GameProgram, ASmallScreenShowsTheWarningAndEnds) {
    ProgramRun run;
    run.options.makeBackend = [&](std::string*) -> std::unique_ptr<ui::Backend> {
        auto b = std::make_unique<ui::HeadlessBackend>(640, 480);
        run.screen = b.get();
        // Esc would not close a lone OK box; Enter does.
        b->KeyDown(ui::VK_RETURN);
        b->KeyUp(ui::VK_RETURN);
        return b;
    };
    EXPECT_EQ(run.Run([](ui::Hwnd) { ADD_FAILURE() << "a frame was shown"; }), 0);
    EXPECT_EQ(run.steps, (std::vector<std::string>{"mutex", "screen"}));
}

namespace deployment {

// The deployment dialog is modal inside the game start: a timer acts in its loop.
std::function<void()> gAct;
void ActInDeploymentDialog(ProgramRun& run, std::function<void()> act) {
    run.screen->SetAutoAdvance(true);
    gAct = std::move(act);
    ui::SetTimer({}, 97, 50, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
        if (!organize::GetOrganizeState().dialog) return;
        ui::KillTimer({}, id);
        if (auto pending = std::exchange(gAct, nullptr)) pending();
    });
}

// A click on a button of the dialog; `answer` (a key) is queued behind it for the box it opens.
void ClickButton(ProgramRun& run, int id, std::uint32_t answer = 0) {
    ui::Rect r{};
    ui::GetWindowRect(ui::GetDlgItem(organize::GetOrganizeState().dialog, id), &r);
    run.screen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    if (answer) run.Key(answer);
    run.Pump();
}

// A single game of the default map with deployment: country 0 deploys the default corps.
void PrepareDeployment(GameWorld* world) {
    LoadDefaultMap(world);
    PrepareSinglePlay(*world->tables, 0);
    using G = rules::GameSettingsRecord;
    std::uint8_t* s = world->tables->GetTableBase(rules::TableId::GameSettings);
    rules::WriteS32(s, G::kDeployment, 1);
    std::strcpy(reinterpret_cast<char*>(s + G::CountryEntry(0) + G::kEntryCorpsFile), "useFrc00.prm");
}

}  // namespace deployment

TEST(GameProgram, ASingleGameWithDeploymentStartsFromTheDeploymentDialog) {
    ProgramRun run;
    int troopsInDialog = 0;
    run.Run([&](ui::Hwnd frame) {
        GameWorld* world = CurrentGameWorld();
        deployment::PrepareDeployment(world);
        deployment::ActInDeploymentDialog(run, [&] {
            troopsInDialog = int(ui::SendMessage(
                ui::GetDlgItem(ui::GetDlgItem(organize::GetOrganizeState().dialog, organize::kIdListTabs),
                               organize::kIdTroopList),
                ui::LVM_GETITEMCOUNT, 0, 0));
            deployment::ClickButton(run, organize::kIdAutoDeploy);
            std::string error;
            EXPECT_TRUE(run.screen->WriteScreenshot(testing::ScreenshotPath("zv6_deployment"), &error)) << error;
            deployment::ClickButton(run, organize::kIdGameStart);
        });
        ui::SendMessage(frame, WM_START_GAME, 0, 0);
        EXPECT_GT(troopsInDialog, 0) << "the corps file was not loaded for the deployment";
        EXPECT_TRUE(IsClockRunning());
        EXPECT_TRUE(GetWindowOfKind(WindowKind::MapWnd));
        EXPECT_EQ(organize::PlayerHasHQOnMap(), 1);
        run.Key(ui::VK_RETURN);
        ui::PostMessage(frame, WM_EXIT_GAME, 0, 0);
    });
    EXPECT_EQ(run.steps, StartAndStop());
}

TEST(GameProgram, LeavingTheDeploymentDialogReturnsToTheTitle) {
    ProgramRun run;
    std::vector<ui::LParam> returns;
    run.Run([&](ui::Hwnd frame) {
        SetFrameCommandHandler(kReturnToTitleCommand, [&](ui::Hwnd, ui::WParam, ui::LParam l) {
            returns.push_back(l);
            return ui::LResult(0);
        });
        deployment::PrepareDeployment(CurrentGameWorld());
        deployment::ActInDeploymentDialog(run, [&] {
            // タイトルに戻る, answered Yes.
            deployment::ClickButton(run, organize::kIdReturnToTitle, ui::VK_RETURN);
        });
        ui::SendMessage(frame, WM_START_GAME, 0, 0);
        SetFrameCommandHandler(kReturnToTitleCommand, nullptr);
        EXPECT_EQ(returns, std::vector<ui::LParam>{2});
        EXPECT_FALSE(IsClockRunning());
        EXPECT_FALSE(GetWindowOfKind(WindowKind::MapWnd));
        run.Key(ui::VK_RETURN);
        ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(run.steps, StartAndStop());
}

// A corps file that cannot be read is told; the slot keeps what it had and the deployment
// still opens on it.
TEST(GameProgram, AnUnreadableCorpsFileIsToldAndLeavesTheSlot) {
    ProgramRun run;
    // A corps folder of the run's own, with a damaged file beside the default corps.
    const std::filesystem::path user = std::filesystem::path(run.dir.Path()) / "USER";
    std::filesystem::remove(user);
    std::filesystem::create_directory(user);
    std::filesystem::copy_file(std::filesystem::path(ZV_PROGRAM_DIR) / "USER" / "useFrc00.prm", user / "useFrc00.prm");
    std::ofstream(user / "broken.prm", std::ios::binary) << "not a corps";
    std::string boxCaption;
    std::vector<std::uint8_t> slotBefore, slotAfter;
    run.Run([&](ui::Hwnd frame) {
        GameWorld* world = CurrentGameWorld();
        deployment::PrepareDeployment(world);
        using G = rules::GameSettingsRecord;
        std::uint8_t* settings = world->tables->GetTableBase(rules::TableId::GameSettings);
        std::strcpy(reinterpret_cast<char*>(settings + G::CountryEntry(0) + G::kEntryCorpsFile), "broken.prm");
        rules::ForceCursor slot(*world->tables, 0);
        slot.SelectSlot(0);
        slotBefore.assign(slot.GetForceRecord()->data(), slot.GetForceRecord()->data() + rules::kForceRecordSize);
        // The box comes first, inside the start: read its caption, answer it.
        static std::string* caption = nullptr;
        static ui::Hwnd frameWindow{};
        caption = &boxCaption;
        frameWindow = frame;
        ui::SetTimer({}, 98, 50, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            // Only a box before the deployment dialog counts.
            if (organize::GetOrganizeState().dialog) {
                ui::KillTimer({}, id);
                return;
            }
            const ui::Hwnd active = ui::GetActiveWindow();
            if (!active || active == frameWindow) return;
            ui::KillTimer({}, id);
            *caption = core::SjisToUtf8(ui::GetWindowText(active));
            ui::SendMessage(active, ui::WM_COMMAND, ui::IDOK, 0);
        });
        run.screen->SetAutoAdvance(true);
        deployment::ActInDeploymentDialog(run, [&] {
            slot.SelectSlot(0);
            slotAfter.assign(slot.GetForceRecord()->data(), slot.GetForceRecord()->data() + rules::kForceRecordSize);
            deployment::ClickButton(run, organize::kIdReturnToTitle, ui::VK_RETURN);
        });
        ui::SendMessage(frame, WM_START_GAME, 0, 0);
        ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
        run.Key(ui::VK_RETURN);
    });
    EXPECT_EQ(boxCaption, kGameTitleUtf8) << "no box told of the damaged corps file";
    EXPECT_EQ(slotAfter, slotBefore);
    EXPECT_EQ(run.steps, StartAndStop());
}

}  // namespace
}  // namespace zv::shell
