// The in-game windows joined to the whole program: created with the frame and recorded under
// their kinds, shown when a game begins, toggled by the tool bar's buttons clicked with the mouse,
// fed by the game's news, and the game's end: victory or defeat, the result window with the
// game's news, the return to the title, the save of a running game.

#include <gtest/gtest.h>

#include <utility>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "organize/OrganizeDialog.h"
#include "framework/ProcessState.h"
#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "framework/Dib.h"
#include "mapview/GraspMapView.h"
#include "panels/HqWindow.h"
#include "panels/ListWindows.h"
#include "panels/NewsWindows.h"
#include "panels/PanelWindows.h"
#include "panels/ToolBar.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Menu.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/countries/NewsPosting.h"
#include "rules/records/Bytes.h"
#include "rules/records/CountryTable25Record.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/NewsRecord.h"
#include "rules/records/TroopCursor.h"
#include "shell/editor/PreviewFileDialog.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameEnd.h"
#include "shell/game/GameMessages.h"
#include "shell/game/GamePanels.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/TitleWindow.h"
#include "shell/game/WindowClasses.h"
#include "shell/game/tests/MapMouse.h"
#include "shell/game/tests/DefaultGame.h"
#include "shell/game/tests/ProgramFixture.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/Simulation.h"

namespace zv::shell {
namespace {

using testing::ProgramRun;
using testing::ScreenshotPath;
using G = rules::GameSettingsRecord;

using testing::LoadDefaultMap;
using testing::StartDefaultGame;

bool Shown(WindowKind kind) {
    const ui::Hwnd h = GetWindowOfKind(kind);
    return h && ui::IsWindowVisible(h);
}

void Shot(ProgramRun& run, const std::string& name) {
    run.Pump();
    std::string error;
    EXPECT_TRUE(run.screen->WriteScreenshot(ScreenshotPath(name), &error)) << error;
}

// The tool bar button that sends `command`, clicked in its middle.
void ClickToolButton(ProgramRun& run, int command) {
    const ui::Hwnd bar = GetToolBarWindow();
    ASSERT_TRUE(bar);
    for (const panels::ToolButton& b : panels::ToolButtons()) {
        if (b.command != command) continue;
        ui::Point p{b.x + b.width / 2, b.y + b.height / 2};
        ui::ClientToScreen(bar, &p);
        EXPECT_EQ(ui::WindowFromPoint(p), bar) << "the bar lies on top";
        run.screen->Click(p.x, p.y);
        run.Pump();
        return;
    }
    FAIL() << "no button sends " << command;
}

// A "goal reached" news of the player's first troop, posted as the rules post it.
std::uint16_t PostGoalNews(GameWorld& world, std::uint8_t player) {
    rules::GameContext ctx(*world.tables, world.simulation->ContextEnv());
    rules::TroopCursor& t = ctx.Troops();
    for (std::uint16_t i = std::uint16_t(player * 40); i < std::uint16_t(player * 40 + 40); ++i) {
        if (!t.Select(i) || !t.GetRecord()->IsUsed() || !t.HasMembers() || !t.IsOnMap()) continue;
        rules::NewsRecord news = rules::NewsRecord::Zeroed();
        news.SetKind(rules::kNewsGoalReached);
        news.SetCountry(player);
        news.SetFirstTroop(i);
        news.SetFirstIcon(rules::TroopPictureNumber(t));
        const std::uint16_t hex = t.GetHexValue();
        news.SetHexXY(static_cast<std::uint8_t>(hex & 0xFF), static_cast<std::uint8_t>(hex >> 8));
        rules::PostNewsEvent(ctx, news);
        return i;
    }
    return rules::kNoTroop;
}

using testing::TitleCount;

TEST(GamePanels, EveryWindowIsMadeWithTheFrameAndShownWhenAGameBegins) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        // Made hidden with the frame, recorded under their kinds; the tool bar keeps no slot.
        for (WindowKind k : {WindowKind::HqWnd, WindowKind::PanelManeger, WindowKind::UnitSinpleInfo,
                             WindowKind::CommandWnd, WindowKind::TerrainInfo, WindowKind::PauseWnd,
                             WindowKind::MessageWnd, WindowKind::SpeedWnd, WindowKind::RealManager,
                             WindowKind::NewsWnd, WindowKind::ResultWnd, WindowKind::HelperWindow,
                             WindowKind::TroopListWnd, WindowKind::UnitListWnd, WindowKind::CampInfoWnd,
                             WindowKind::SiteListWnd, WindowKind::TroopNumListWnd,
                             WindowKind::UnitKindListWnd, WindowKind::LandListWnd, WindowKind::TableGroopWnd}) {
            EXPECT_TRUE(GetWindowOfKind(k)) << WindowKindName(k);
            EXPECT_FALSE(Shown(k)) << WindowKindName(k);
        }
        EXPECT_FALSE(GetWindowOfKind(WindowKind::SelToolWnd));
        ASSERT_TRUE(GetToolBarWindow());
        EXPECT_TRUE(ui::IsWindowVisible(GetToolBarWindow()));

        // The HQ window is one of the column's panels when the settings say so.
        PutPaneConf(127);
        GameWorld* world = CurrentGameWorld();
        LoadDefaultMap(*world->tables, 0);
        // A map shown before the game gives way to the game's map; the stored speed (the
        // fastest, 5, in a new settings file) survives it.
        ASSERT_EQ(OpenMapDocument(frame, 0), 1);
        ui::SendMessage(frame, WM_START_GAME, 0, 0);
        ASSERT_TRUE(IsClockRunning());
        EXPECT_EQ(GetGameSpeed(), 5);
        EXPECT_EQ(ui::SendMessage(GetWindowOfKind(WindowKind::SpeedWnd), zv::WM_GET_GAME_SPEED, 0, 0), 5);
        for (WindowKind k : {WindowKind::PanelManeger, WindowKind::HqWnd, WindowKind::CommandWnd,
                             WindowKind::SpeedWnd, WindowKind::MessageWnd}) {
            EXPECT_TRUE(Shown(k)) << WindowKindName(k);
        }
        // The column stands beside the map, below the tool bar, and the map starts after it.
        ui::Rect column, map, bar;
        ui::GetWindowRect(GetWindowOfKind(WindowKind::PanelManeger), &column);
        ui::GetWindowRect(GetWindowOfKind(WindowKind::MapWnd), &map);
        ui::GetWindowRect(GetToolBarWindow(), &bar);
        EXPECT_GE(column.top, bar.bottom);
        EXPECT_GE(map.top, bar.bottom);
        EXPECT_GE(map.left, column.right);
        Shot(run, "zv6_panels_play");

        // The tool bar's buttons, clicked: the panel column off and on, the table group on.
        ClickToolButton(run, 40095);
        EXPECT_FALSE(Shown(WindowKind::PanelManeger));
        ClickToolButton(run, 40095);
        EXPECT_TRUE(Shown(WindowKind::PanelManeger));
        ClickToolButton(run, 40056);
        EXPECT_TRUE(Shown(WindowKind::TableGroopWnd));
        Shot(run, "zv6_panels_table_group");
        ClickToolButton(run, 40056);
        EXPECT_FALSE(Shown(WindowKind::TableGroopWnd));

        // The menu toggles of the table group's pages bring the group up on that page; the
        // HQ window's leaves the column.
        for (const auto& [command, kind] : {std::pair{40084, WindowKind::NewsWnd},
                                            std::pair{40017, WindowKind::TroopListWnd},
                                            std::pair{40018, WindowKind::UnitListWnd}}) {
            ui::SendMessage(frame, ui::WM_COMMAND, ui::WParam(command), 0);
            EXPECT_TRUE(Shown(kind)) << command;
            EXPECT_TRUE(Shown(WindowKind::TableGroopWnd)) << command;
            ui::SendMessage(frame, ui::WM_COMMAND, ui::WParam(command), 0);
            EXPECT_FALSE(Shown(kind)) << command;
        }
        ui::SendMessage(frame, ui::WM_COMMAND, 40043, 0);
        EXPECT_FALSE(Shown(WindowKind::HqWnd));
        ui::SendMessage(frame, ui::WM_COMMAND, 40043, 0);
        EXPECT_TRUE(Shown(WindowKind::HqWnd));

        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
    EXPECT_EQ(CurrentGameWorld(), nullptr);
}

// A new settings file stacks the HQ window atop the column: a game started in a fresh program
// folder shows the miniature of the whole map in the window's well, as the view drew it.
TEST(GamePanels, AFreshProgramFolderShowsTheHqMiniatureWhenAGameBegins) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        StartDefaultGame(frame);
        run.Pump();
        [&] {
            const ui::Hwnd hq = GetWindowOfKind(WindowKind::HqWnd);
            ASSERT_TRUE(Shown(WindowKind::HqWnd));
            ui::Rect column{}, own{};
            ui::GetWindowRect(GetWindowOfKind(WindowKind::PanelManeger), &column);
            ui::GetWindowRect(hq, &own);
            EXPECT_EQ(own.top, column.top) << "the HQ window heads the column";
            Shot(run, "zv6_panels_hq_fresh");

            fw::Dib* miniature = panels::GetHqMapView(hq)->BackBuffer();
            ASSERT_NE(miniature, nullptr);
            ui::Point o{0, 0};
            ui::ClientToScreen(hq, &o);
            // Every pixel of the well but the white frame is the miniature's; its column 0
            // stays hidden.
            int terrain = 0;
            for (int y = 0; y < 2 * rules::kMapSize; ++y) {
                for (int x = 1; x < 2 * rules::kMapSize; ++x) {
                    const uint32_t shown = run.screen->PixelAt(o.x + mapview::kHqMiniatureLeft + x,
                                                               o.y + mapview::kHqMiniatureTop + y) &
                                           0xFFFFFF;
                    if (shown == 0xFFFFFF) continue;
                    ui::RgbQuad q{};
                    const uint8_t index = *miniature->GetPixelAddress(x, y);
                    ASSERT_EQ(miniature->GetColorEntries(index, 1, &q), 1);
                    const uint32_t drawn = uint32_t(q.red) << 16 | uint32_t(q.green) << 8 | q.blue;
                    ASSERT_EQ(shown, drawn) << "at " << x << ", " << y;
                    ++terrain;
                }
            }
            EXPECT_GT(terrain, 0);
        }();

        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
}

TEST(GamePanels, NewsOfARunningGameReachTheNewsWindowAndTheMessagePanel) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        GameWorld* world = StartDefaultGame(frame);
        ASSERT_TRUE(IsClockRunning());
        SuspendClock();
        const std::size_t before = panels::GetNewsWindowRecords().size();
        const std::uint16_t troop = PostGoalNews(*world, 0);
        ASSERT_NE(troop, rules::kNoTroop);
        ASSERT_EQ(panels::GetNewsWindowRecords().size(), before + 1);
        EXPECT_EQ(panels::GetNewsWindowRecords().back().FirstTroop(), troop);
        rules::TroopCursor t(*world->tables);
        t.Select(troop);
        const std::string sentence = "BLUE国の" + core::SjisToUtf8(t.GetName()) + "は、移動目標に到着。";
        ASSERT_NE(panels::GetMessagePanelText(), nullptr);
        EXPECT_EQ(core::SjisToUtf8(panels::GetMessagePanelText()), sentence);
        ui::SendMessage(frame, ui::WM_COMMAND, 40084, 0);
        Shot(run, "zv6_panels_news");
        ResumeClock();
        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
}

// The victory or fall dialog is up inside the game over; the timer looks at it and clicks it.
ProgramRun* gRun = nullptr;
std::string gDialogShot;
bool gDialogSeen = false;

void LookAtEndDialog(ui::Hwnd, std::uint32_t, std::uintptr_t id, std::uint32_t) {
    ui::KillTimer({}, id);
    const ui::Hwnd active = ui::GetActiveWindow();
    gDialogSeen = active && active != GetWindowOfKind(WindowKind::FrameWnd);
    Shot(*gRun, gDialogShot);
    ui::Rect r;
    ui::GetWindowRect(active, &r);
    gRun->screen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

TEST(GamePanels, AGameOverShowsTheOutcomeAndTheResultWithTheGamesNewsThenTheTitle) {
    const struct {
        const char* name;
        ui::WParam outcome;  // winners | losers << 16
        std::uint8_t stored;
        bool dialog;
    } cases[] = {
        {"victory", 0x0001, 0, true},
        {"defeat", 0x0001u << 16 | 0x02, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramRun run;
        gRun = &run;
        TitleCount titles;
        run.Run([&](ui::Hwnd frame) {
            // The start-up opened the title once already; count the return alone.
            titles.count = 0;
            GameWorld* world = StartDefaultGame(frame);
            ASSERT_TRUE(IsClockRunning());
            SuspendClock();
            PostGoalNews(*world, 0);
            PostGoalNews(*world, 0);
            const std::size_t news = panels::GetNewsWindowRecords().size();
            ASSERT_GE(news, 2u);

            gDialogShot = std::string("zv6_game_over_") + c.name;
            gDialogSeen = false;
            if (c.dialog) ui::SetTimer({}, 4711, 300, LookAtEndDialog);
            // The screen's clock moves to each timer at once: the dialog's and the look at it.
            run.screen->SetAutoAdvance(true);
            ui::SendMessage(frame, WM_GAME_OVER, c.outcome, 0);
            run.screen->SetAutoAdvance(false);
            EXPECT_EQ(gDialogSeen, c.dialog);
            EXPECT_FALSE(IsClockRunning());
            EXPECT_FALSE(GetWindowOfKind(WindowKind::MapWnd));
            EXPECT_FALSE(IsGamePlaying());

            // The result window holds the game's news, the news window none.
            EXPECT_TRUE(Shown(WindowKind::ResultWnd));
            EXPECT_EQ(panels::GetResultWindowRecords().size(), news);
            EXPECT_TRUE(panels::GetNewsWindowRecords().empty());
            Shot(run, std::string("zv6_result_") + c.name);
            // The game state is empty again.
            const std::uint8_t* table26 = world->tables->GetTableBase(rules::TableId::News);
            EXPECT_EQ(table26[0], rules::kNewsEmptySlot);

            // The end button leaves for the title.
            ui::SendMessage(frame, ui::WM_COMMAND, 40118, 2);
            EXPECT_FALSE(Shown(WindowKind::ResultWnd));
            EXPECT_EQ(titles.count, 1);
            EXPECT_EQ(rules::ReadS32(world->tables->GetTableBase(rules::TableId::GameSettings), G::kSinglePlay), 1);
            EXPECT_EQ(ui::GetMenuItemCount(ui::GetMenu(frame)), 5) << "the editor's bar";
            Shot(run, std::string("zv6_back_to_title_") + c.name);
            run.Key(ui::VK_RETURN);
            ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
        });
        gRun = nullptr;
    }
}

// A proposal heard on another thread is asked on the GUI thread; the approval becomes an order.
TEST(GamePanels, AnAllianceProposalIsAnsweredOnTheGuiThreadWithAnOrder) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        GameWorld* world = StartDefaultGame(frame);
        SuspendClock();  // the orders stay in the local buffer
        const std::size_t before = world->simulation->LocalOrders().size();

        std::thread clock([&] { world->events->AllianceProposal(1, 0, 0, std::string()); });
        clock.join();
        EXPECT_EQ(world->simulation->LocalOrders().size(), before) << "nothing is answered off the GUI thread";
        run.Key(ui::VK_RETURN);  // 承認
        run.Pump();
        EXPECT_GT(world->simulation->LocalOrders().size(), before);

        // The alliance command with nothing changed in the dialog sends nothing.
        const std::size_t afterAnswer = world->simulation->LocalOrders().size();
        run.Key(ui::VK_ESCAPE);
        ui::SendMessage(frame, ui::WM_COMMAND, 40122, 0);
        EXPECT_EQ(world->simulation->LocalOrders().size(), afterAnswer);

        ResumeClock();
        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
}

TEST(GamePanels, ReturningToTheTitleFromTheMenuAsksFirstThenEmptiesTheFrame) {
    ProgramRun run;
    TitleCount titles;
    run.Run([&](ui::Hwnd frame) {
        // The start-up opened the title once already; count the return alone.
        titles.count = 0;
        GameWorld* world = StartDefaultGame(frame);
        ASSERT_TRUE(IsClockRunning());
        // No: the game goes on.
        run.screen->Text("n");
        ui::SendMessage(frame, ui::WM_COMMAND, 40118, 0);
        EXPECT_TRUE(IsClockRunning());
        EXPECT_TRUE(GetWindowOfKind(WindowKind::MapWnd));
        EXPECT_EQ(titles.count, 0);
        EXPECT_EQ(world->simulation->GetBusyMask() & 1u, 0u) << "the busy bit is cleared again";
        // Yes: the clock parks, the map and the column go, the title comes.
        run.Key(ui::VK_RETURN);
        ui::SendMessage(frame, ui::WM_COMMAND, 40118, 0);
        EXPECT_FALSE(IsClockRunning());
        EXPECT_FALSE(GetWindowOfKind(WindowKind::MapWnd));
        EXPECT_FALSE(Shown(WindowKind::PanelManeger));
        EXPECT_FALSE(IsGamePlaying());
        EXPECT_EQ(titles.count, 1);
        run.Key(ui::VK_RETURN);
        ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
    });
}

// A spectator is told who won and goes back to the title; no result window.
TEST(GamePanels, ASpectatorsGameOverTellsTheWinnersAndOpensTheTitle) {
    ProgramRun run;
    TitleCount titles;
    run.Run([&](ui::Hwnd frame) {
        // The start-up opened the title once already; count the one after the game alone.
        titles.count = 0;
        GameWorld* world = StartDefaultGame(frame);
        SuspendClock();
        fw::SetPlayerCountry(6);
        run.Key(ui::VK_RETURN);  // the winners' box
        ui::SendMessage(frame, WM_GAME_OVER, 0x05, 0);
        EXPECT_FALSE(Shown(WindowKind::ResultWnd));
        EXPECT_FALSE(GetWindowOfKind(WindowKind::MapWnd));
        EXPECT_EQ(titles.count, 1);
        EXPECT_EQ(GetPendingNetAction(), kNetActionNone);
        EXPECT_EQ(rules::ReadS32(world->tables->GetTableBase(rules::TableId::GameSettings), G::kSinglePlay), 1);
        run.Key(ui::VK_RETURN);
        ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
    });
}

TEST(GamePanels, TheSpectatorsLineNamesTheWinnersInCountryOrder) {
    const struct {
        std::uint8_t winners;
        const char* text;
    } cases[] = {
        {0x00, "勝利国不明です"},
        {0x01, " 青国が勝利しました"},
        {0x05, " 青国 緑国が勝利しました"},
        {0x0A, " 赤国 黄国が勝利しました"},
        {0x0F, " 青国 赤国 緑国 黄国が勝利しました"},
        {0xF0, "勝利国不明です"},
    };
    for (const auto& c : cases) EXPECT_EQ(WinnersText(c.winners), c.text) << int(c.winners);
}

// The deployment dialog runs modally inside the game start: the check runs in its loop, from a
// timer, then leaves it for the title.
std::function<void()> gInDeployment;

TEST(GamePanels, ADeploymentStartClearsTheUsersTroopsAndWritesNoProducedCount) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        GameWorld* world = CurrentGameWorld();
        LoadDefaultMap(*world->tables, 0, true);
        bool checked = false;
        gInDeployment = [&] {
            checked = true;
            rules::TroopCursor t(*world->tables);
            int own = 0, computer = 0;
            for (std::uint16_t i = 0; i < 160; ++i) {
                if (!t.Select(i) || !t.GetRecord()->IsUsed() || !t.HasMembers()) continue;
                own += t.GetCountry() == 0;
                computer += t.GetCountry() == 1;
            }
            EXPECT_EQ(own, 0) << "the user's corps come from the corps file";
            EXPECT_GT(computer, 0);
            rules::CountryCursor country(*world->tables);
            for (int c = 0; c < 4; ++c) {
                ASSERT_TRUE(country.Select(c));
                EXPECT_EQ(country.GetRecord()[84], 0) << "produced count of country " << c;
            }
            organize::PressOrganizeReturnToTitle();
        };
        run.screen->SetAutoAdvance(true);
        ui::SetTimer({}, 97, 50, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            if (!organize::GetOrganizeState().dialog) return;
            ui::KillTimer({}, id);
            if (auto act = std::exchange(gInDeployment, nullptr)) act();
        });
        ui::SendMessage(frame, WM_START_GAME, 0, 0);
        run.screen->SetAutoAdvance(false);
        EXPECT_TRUE(checked) << "no deployment dialog";
        run.Key(ui::VK_RETURN);
        ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
    });
}

TEST(GamePanels, SavingARunningGameWritesTheFileAndSaysSo) {
    ProgramRun run;
    const std::filesystem::path save = std::filesystem::path(run.options.programDirectory) / "SAVE";
    std::filesystem::remove(save);
    std::filesystem::create_directory(save);
    run.Run([&](ui::Hwnd frame) {
        StartDefaultGame(frame);
        ASSERT_TRUE(IsClockRunning());
        // The file dialog takes the name, then the box says the save ended.
        run.screen->Text("joined");
        run.Key(ui::VK_RETURN);
        run.Key(ui::VK_RETURN);
        ui::SendMessage(frame, ui::WM_COMMAND, 40119, 0);
        EXPECT_TRUE(std::filesystem::exists(save / "joined.ddg"));
        EXPECT_TRUE(IsClockRunning()) << "the game goes on";
        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
}

// The list of saved games reads SAVE only: a save chosen in another folder is refused with a box
// that names SAVE and the dialog comes again; a SAVE folder removed while the game runs is made
// again by the save.
TEST(GamePanels, ASaveLandsOnlyInTheSaveFolderWhichIsMadeWhenMissing) {
    ProgramRun run;
    const std::filesystem::path dir(run.options.programDirectory);
    const std::filesystem::path elsewhere = dir / "elsewhere";
    std::filesystem::create_directory(elsewhere);
    run.Run([&](ui::Hwnd frame) {
        ASSERT_TRUE(std::filesystem::is_directory(dir / "SAVE")) << "made at the start";
        std::filesystem::remove(dir / "SAVE");
        StartDefaultGame(frame);
        ASSERT_TRUE(IsClockRunning());
        run.screen->Text((elsewhere / "outside.ddg").string());
        run.Key(ui::VK_RETURN);
        run.Key(ui::VK_RETURN);  // the box that names the folder
        run.screen->Text("inside");
        run.Key(ui::VK_RETURN);
        run.Key(ui::VK_RETURN);  // "セーブを終了しました"
        ui::SendMessage(frame, ui::WM_COMMAND, 40119, 0);
        EXPECT_FALSE(std::filesystem::exists(elsewhere / "outside.ddg"));
        EXPECT_TRUE(std::filesystem::exists(dir / "SAVE" / "inside.ddg"));
        EXPECT_TRUE(IsSaveGamePath((dir / "SAVE" / "INSIDE.DDG").string()));
        EXPECT_FALSE(IsSaveGamePath((dir / "SAVE" / "inside.txt").string()));
        EXPECT_FALSE(IsSaveGamePath((elsewhere / "inside.ddg").string()));
        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
}

// Every window class the game's windows are made of is there from start-up, the four that no
// window uses yet with their grounds and cursors.
TEST(GamePanels, EveryWindowClassIsRegisteredAtStartUp) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        for (const char* name :
             {"HEZVGameFrameWindow", "OrganizeWindow", "RealViewWindow", "SelMapEditWindow", "BackWindow",
              "SelGameWindow", "SelPaletteWindow", "HQWindow", "TrashBoxWindow", "DispOrganizeInfoWindow",
              "DispTroopInfoWindow", "CommandWindow", "RealChileViewWindow", "ChatWindow", "NowGraspWindow",
              "zvToolWindow", "HelperWindow", "ChileOpeningViewWindow"}) {
            ui::WindowClass wc;
            EXPECT_TRUE(ui::GetClassInfo(name, &wc)) << name;
        }
        struct Plain {
            const char* name;
            ui::ColorRef background;
            bool arrow;
        };
        for (const Plain& c : {Plain{kOrganizeWindowClass, 0xC0C0C0, true}, Plain{kBackWindowClass, 0, false},
                               Plain{kSelGameWindowClass, 0xC0C0C0, false},
                               Plain{kSelPaletteWindowClass, 0xC0C0C0, true}}) {
            ui::WindowClass wc;
            ASSERT_TRUE(ui::GetClassInfo(c.name, &wc)) << c.name;
            EXPECT_TRUE(wc.hasBackground) << c.name;
            EXPECT_EQ(wc.background, c.background) << c.name;
            EXPECT_EQ(wc.cursor != 0, c.arrow) << c.name;
        }
        ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
        run.Key(ui::VK_RETURN);
    });
}

// The tool bar's tip comes up in the frame's box when the pointer rests on a button: black
// text, drawn without a ground of its own, on the box's white.
TEST(GamePanels, TheToolBarTipShowsBlackTextOnWhite) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        StartDefaultGame(frame);
        const ui::Hwnd bar = GetToolBarWindow();
        const ui::Hwnd tip = GetFrameStatusControl();
        ASSERT_TRUE(bar);
        ASSERT_TRUE(tip);
        const panels::ToolButton& b = panels::ToolButtons()[11];
        ui::Point p{b.x + 4, b.y + 4};
        ui::ClientToScreen(bar, &p);
        run.screen->MouseMove(p.x, p.y);
        run.Pump();
        run.screen->AdvanceClock(210);
        run.Pump();
        ASSERT_TRUE(ui::IsWindowVisible(tip));
        EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(tip)), "情報表示");
        Shot(run, "zv6_toolbar_tip");
        ui::Rect r{};
        ui::GetWindowRect(tip, &r);
        int white = 0, black = 0;
        for (int y = r.top + 1; y < r.bottom - 1; ++y) {
            for (int x = r.left + 1; x < r.right - 1; ++x) {
                const uint32_t c = run.screen->PixelAt(x, y) & 0xFFFFFF;
                white += c == 0xFFFFFF;
                black += c == 0;
            }
        }
        EXPECT_GT(white, 0);
        EXPECT_GT(black, 0) << "no text";
        // What the frame gives the box to paint with.
        ui::Surface32Buffer pixels(8, 8);
        ui::Canvas dc(pixels.View());
        dc.SetTextColor(0x0000FF);
        dc.SetBkMode(ui::OPAQUE);
        const auto* brush = reinterpret_cast<const ui::Brush*>(ui::SendMessage(
            frame, ui::WM_CTLCOLORSTATIC, reinterpret_cast<ui::WParam>(&dc), ui::HwndToParam(tip)));
        ASSERT_NE(brush, nullptr);
        EXPECT_EQ(dc.TextColor(), 0u);
        EXPECT_EQ(dc.BkMode(), ui::TRANSPARENT);
        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
}

// The tool bar's "≡" button clicked with the mouse opens the game menu; an item chosen in it
// (戦闘表示 / 他国) reaches the frame.
TEST(GamePanels, TheToolBarMenuButtonOpensTheGameMenu) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        StartDefaultGame(frame);
        PutFightOther(0);
        const ui::Hwnd bar = GetToolBarWindow();
        const panels::ToolButton& b = panels::ToolButtons()[0];
        ui::Point p{b.x + b.width / 2, b.y + b.height / 2};
        ui::ClientToScreen(bar, &p);
        run.screen->Click(p.x, p.y);
        for (uint32_t vk : {ui::VK_DOWN, ui::VK_DOWN, ui::VK_RIGHT, ui::VK_DOWN, ui::VK_RETURN}) run.Key(vk);
        run.Pump();
        EXPECT_EQ(GetFightOther(), 1);
        PutFightOther(0);
        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
}

std::string gInfoDialogTitle;

// A double click on a row of the troop list opens the troop's information dialog.
TEST(GamePanels, ADoubleClickOnATroopListRowOpensTheTroopsInformation) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        StartDefaultGame(frame);
        ClickToolButton(run, 40056);
        ASSERT_TRUE(Shown(WindowKind::TroopListWnd));
        const ui::Hwnd list = ui::GetDlgItem(GetWindowOfKind(WindowKind::TroopListWnd), panels::IDC_TROOP_LIST);
        ASSERT_TRUE(list);
        ASSERT_FALSE(panels::TroopListRows().empty());
        ui::Rect row{};
        row.left = ui::LVIR_BOUNDS;
        ASSERT_TRUE(ui::SendMessage(list, ui::LVM_GETITEMRECT, 0, reinterpret_cast<ui::LParam>(&row)));
        ui::Point p{row.left + 60, (row.top + row.bottom) / 2};
        ui::ClientToScreen(list, &p);
        // The dialog is modal: a timer looks at it from inside its loop and cancels it.
        gInfoDialogTitle.clear();
        ui::SetTimer({}, 96, 10, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            const ui::Hwnd active = ui::GetActiveWindow();
            if (!active || ui::GetClassName(active) != "#32770") return;
            ui::KillTimer({}, id);
            gInfoDialogTitle = core::SjisToUtf8(ui::GetWindowText(active));
            ui::PostMessage(active, ui::WM_CLOSE, 0, 0);
        });
        run.screen->Click(p.x, p.y);
        run.screen->Click(p.x, p.y);
        run.screen->SetAutoAdvance(true);
        run.Pump();
        run.screen->SetAutoAdvance(false);
        ui::KillTimer({}, 96);
        EXPECT_EQ(gInfoDialogTitle, "部隊情報");
        EXPECT_TRUE(IsClockRunning());
        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
}

// A press and release on the target hex with nothing between them gives the order that a click
// held for 150 ms gives.
TEST(GamePanels, AQuickClickOrdersAsASlowOneDoes) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        PutFightMine(0);
        PutFightOther(0);
        GameWorld* world = StartDefaultGame(frame);
        ASSERT_TRUE(IsClockRunning());
        const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
        mapview::MapViewContext* ctx = mapview::GetMapViewContext(map);
        ASSERT_NE(ctx, nullptr);
        rules::TroopCursor t(*world->tables);
        std::vector<std::uint16_t> movers;
        for (std::uint16_t i = 0; i < rules::kTroopsPerCountry && movers.size() < 2; ++i) {
            if (testing::IsGroundTroopFor(t, ctx, i, 0x0002)) movers.push_back(i);
        }
        ASSERT_EQ(movers.size(), 2u);
        for (const bool slow : {false, true}) {
            SCOPED_TRACE(slow ? "held 150 ms" : "quick");
            const std::uint16_t troop = movers[slow ? 1 : 0];
            t.Select(troop);
            const std::uint16_t start = t.GetHexValue();
            const ui::Point from = testing::CentreOnHex(map, ctx, start);
            run.screen->Click(from.x, from.y);
            run.Pump();
            ASSERT_EQ(mapview::GetTroopSelection().count, 1);
            int tx = -1, ty = -1;
            ASSERT_TRUE(testing::FindFreeSeenHexNear(ctx->Context(), start, &tx, &ty));
            const ui::Point to = testing::ScreenPointOfHex(map, ctx, tx, ty);
            run.screen->MouseMove(to.x, to.y);
            run.screen->MouseDown(to.x, to.y);
            if (slow) {
                run.Pump();
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                run.screen->AdvanceClock(150);
                run.Pump();
            }
            run.screen->MouseUp(to.x, to.y);
            run.Pump();
            EXPECT_EQ(mapview::GetTroopSelection().count, 0) << "the order ends the selection";
            const std::uint16_t target = static_cast<std::uint16_t>(tx | (ty << 8));
            EXPECT_TRUE(run.PumpUntil([&] {
                t.Select(troop);
                return t.GetDestination() == target;
            }, 30)) << "destination " << t.GetDestination() << " wanted " << target;
        }
        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
}

}  // namespace
}  // namespace zv::shell
