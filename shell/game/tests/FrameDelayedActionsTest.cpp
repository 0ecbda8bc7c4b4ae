// The frame's delayed actions (return to the title, game over, defeat dialog) wait on its timers:
// a minimised or inactive frame holds them until it is active again, and a defeat dialog asked
// for later still comes before a game over asked for earlier.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/ProcessState.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/TitleWindow.h"
#include "shell/game/tests/DefaultGame.h"
#include "shell/game/tests/ProgramFixture.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/Simulation.h"

namespace zv::shell {
namespace {

using testing::ProgramRun;
using G = rules::GameSettingsRecord;

// Country 0 against the computer on the default map, started on the frame; the clock parked so
// that only the test's messages act.
void StartParkedGame(ui::Hwnd frame) {
    testing::StartDefaultGame(frame);
    ASSERT_TRUE(IsClockRunning());
    SuspendClock();
}

using testing::TitleCount;

TEST(FrameDelayedActions, AMinimisedOrInactiveFrameHoldsThemUntilItIsActiveAgain) {
    enum class Away { Inactive, Minimised };
    for (Away away : {Away::Inactive, Away::Minimised}) {
        SCOPED_TRACE(away == Away::Inactive ? "inactive" : "minimised");
        ProgramRun run;
        TitleCount titles;
        run.Run([&](ui::Hwnd frame) {
            titles.count = 0;
            StartParkedGame(frame);
            ui::Hwnd other{};
            if (away == Away::Inactive) {
                other = ui::CreateWindowEx(0, "Static", "other", ui::WS_POPUP | ui::WS_VISIBLE, 600, 500, 200, 100,
                                           ui::Hwnd{}, 0, nullptr, nullptr);
                ui::SetActiveWindow(other);
            } else {
                ui::ShowWindow(frame, ui::SW_MINIMIZE);
            }
            run.Pump();
            EXPECT_NE(ui::GetActiveWindow(), frame);
            EXPECT_EQ(ui::SendMessage(frame, WM_DELAYED_RETURN_TO_TITLE, 0, 2), 1);
            EXPECT_EQ(ui::SendMessage(frame, WM_DELAYED_DEFEAT_DIALOG, 1, 0), 1);
            for (int i = 0; i < 5; ++i) {
                run.screen->AdvanceClock(600);
                run.Pump();
            }
            EXPECT_EQ(titles.count, 0) << "the return waited";
            EXPECT_TRUE(GetWindowOfKind(WindowKind::MapWnd));
            EXPECT_EQ(ui::GetActiveWindow() == frame, false) << "no defeat dialog took the screen either";

            // Back in front: the defeat dialog comes first (100 ms each; it is clicked away), then
            // the return to the title.
            if (other) ui::DestroyWindow(other);
            if (away == Away::Minimised) ui::ShowWindow(frame, ui::SW_RESTORE);
            ui::SetActiveWindow(frame);
            run.Pump();
            EXPECT_EQ(ui::GetActiveWindow(), frame);
            EXPECT_EQ(titles.count, 0);
            bool dialogSeen = false;
            static bool* seen = nullptr;
            static ProgramRun* driver = nullptr;
            seen = &dialogSeen;
            driver = &run;
            ui::SetTimer({}, 4713, 300, [](ui::Hwnd, std::uint32_t, std::uintptr_t id, std::uint32_t) {
                ui::KillTimer({}, id);
                const ui::Hwnd active = ui::GetActiveWindow();
                *seen = active && active != GetWindowOfKind(WindowKind::FrameWnd);
                ui::Rect r{};
                ui::GetWindowRect(active, &r);
                driver->screen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            });
            run.screen->SetAutoAdvance(true);
            run.screen->AdvanceClock(100);
            run.Pump();
            run.screen->SetAutoAdvance(false);
            run.screen->AdvanceClock(100);
            run.Pump();
            EXPECT_TRUE(dialogSeen);
            EXPECT_EQ(titles.count, 1);
            EXPECT_FALSE(GetWindowOfKind(WindowKind::MapWnd));
            run.Key(ui::VK_RETURN);
            ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
        });
    }
}

// The game over is asked for first and its timer runs out first, but a defeat dialog asked for
// meanwhile is shown before it; while the dialog is up the game goes on.
ProgramRun* gRun = nullptr;
bool gDialogUp = false;
bool gPlayingUnderDialog = false;

void LookAtDefeatDialog(ui::Hwnd, std::uint32_t, std::uintptr_t id, std::uint32_t) {
    ui::KillTimer({}, id);
    const ui::Hwnd active = ui::GetActiveWindow();
    gDialogUp = active && active != GetWindowOfKind(WindowKind::FrameWnd);
    gPlayingUnderDialog = IsGamePlaying() && GetWindowOfKind(WindowKind::MapWnd);
    ui::Rect r{};
    ui::GetWindowRect(active, &r);
    gRun->screen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

TEST(FrameDelayedActions, TheDefeatDialogAlwaysComesBeforeTheGameOver) {
    ProgramRun run;
    gRun = &run;
    gDialogUp = gPlayingUnderDialog = false;
    run.Run([&](ui::Hwnd frame) {
        StartParkedGame(frame);
        // Country 1 lost, country 0 won.
        EXPECT_EQ(ui::SendMessage(frame, WM_DELAYED_GAME_OVER, 0x0001u | (0x0002u << 16), 0), 1);
        run.screen->AdvanceClock(450);
        run.Pump();
        EXPECT_TRUE(IsGamePlaying());
        EXPECT_EQ(ui::SendMessage(frame, WM_DELAYED_DEFEAT_DIALOG, 1, 0), 1);
        // 500 ms after its request the game over's timer fires, before the defeat dialog's.
        run.screen->AdvanceClock(60);
        run.Pump();
        EXPECT_TRUE(IsGamePlaying()) << "the game over waits for the pending defeat dialog";
        EXPECT_TRUE(GetWindowOfKind(WindowKind::MapWnd));
        // The dialog's timer; inside the dialog the game over's timer fires again and still waits.
        ui::SetTimer({}, 4714, 1200, LookAtDefeatDialog);
        run.screen->SetAutoAdvance(true);
        run.screen->AdvanceClock(50);
        run.Pump();
        EXPECT_TRUE(gDialogUp);
        EXPECT_TRUE(gPlayingUnderDialog) << "no game over while the defeat dialog is up";
        // The next round of the game over's timer ends the game.
        for (int i = 0; i < 4 && IsGamePlaying(); ++i) {
            run.screen->AdvanceClock(500);
            run.Pump();
        }
        run.screen->SetAutoAdvance(false);
        EXPECT_FALSE(IsGamePlaying());
        EXPECT_FALSE(GetWindowOfKind(WindowKind::MapWnd));
        ui::SendMessage(frame, ui::WM_COMMAND, 40118, 2);
        run.Key(ui::VK_RETURN);
        ui::PostMessage(frame, ui::WM_CLOSE, 0, 0);
    });
    gRun = nullptr;
}

}  // namespace
}  // namespace zv::shell
