// The docked windows of a game lie side by side below the tool strip, in the order table group,
// panel column, map; the overview sits in the map's bottom-right corner. The view menu's
// commands show and hide them, and the rest moves up.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/ProcessState.h"
#include "shell/WindowMessages.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/tests/DefaultGame.h"
#include "shell/game/tests/ProgramFixture.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/Simulation.h"

namespace zv::shell {
namespace {

using testing::ProgramRun;
using G = rules::GameSettingsRecord;

void StartGame(ui::Hwnd frame) {
    testing::StartDefaultGame(frame);
    SuspendClock();
}

bool Shown(WindowKind kind) {
    const ui::Hwnd h = GetWindowOfKind(kind);
    return h && ui::IsWindowVisible(h);
}

// The window's rectangle in the coordinates of `parent`'s client area.
ui::Rect RectIn(ui::Hwnd h, ui::Hwnd parent) {
    ui::Rect r{};
    ui::GetWindowRect(h, &r);
    ui::Point a{r.left, r.top}, b{r.right, r.bottom};
    ui::ScreenToClient(parent, &a);
    ui::ScreenToClient(parent, &b);
    return {a.x, a.y, b.x, b.y};
}

TEST(FrameDocking, TheDockedWindowsLieSideBySideInTheirOrder) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        StartGame(frame);
        run.Pump();
        const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
        const ui::Hwnd table = GetWindowOfKind(WindowKind::TableGroopWnd);
        const ui::Hwnd panels = GetWindowOfKind(WindowKind::PanelManeger);
        ASSERT_TRUE(map);
        ASSERT_TRUE(table);
        ASSERT_TRUE(panels);
        ASSERT_EQ(ui::GetParent(map), frame) << "the game's map is docked";
        ui::Rect client{};
        ui::GetClientRect(frame, &client);
        const int panelWidth = RectIn(panels, frame).Width();
        ASSERT_GT(panelWidth, 0);
        struct Case {
            bool table, panels;
            int mapX;
        } const cases[] = {
            {true, false, 202},
            {false, false, 0},
            {false, true, panelWidth},
            {true, true, 202 + panelWidth},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << "table " << c.table << " panels " << c.panels);
            if (Shown(WindowKind::TableGroopWnd) != c.table) ui::SendMessage(frame, ui::WM_COMMAND, 40056, 0);
            if (Shown(WindowKind::PanelManeger) != c.panels) ui::SendMessage(frame, ui::WM_COMMAND, 40095, 0);
            run.Pump();
            EXPECT_EQ(Shown(WindowKind::TableGroopWnd), c.table);
            EXPECT_EQ(Shown(WindowKind::PanelManeger), c.panels);
            EXPECT_EQ(RectIn(map, frame), (ui::Rect{c.mapX, 22, client.right, client.bottom}));
            if (c.table) {
                EXPECT_EQ(RectIn(table, frame), (ui::Rect{0, 22, 202, client.bottom}));
            }
            if (c.panels) {
                const int x = c.table ? 202 : 0;
                // The column is as tall as the whole client area, not reduced by the strip.
                EXPECT_EQ(RectIn(panels, frame), (ui::Rect{x, 22, x + panelWidth, 22 + client.bottom}));
            }
        }
        // The overview (at its largest size) keeps its size in the map's bottom-right corner,
        // also after the map moved.
        PutLader(0);
        const ui::Hwnd grasp = GetWindowOfKind(WindowKind::NowGraspWnd);
        EXPECT_TRUE(grasp);
        if (grasp) ui::SendMessage(grasp, zv::WM_GRASP_RESIZE, 0, ui::LParam(std::uint16_t(-2)));
        run.Pump();
        EXPECT_TRUE(Shown(WindowKind::NowGraspWnd));
        for (int k = 0; k < 2 && grasp && Shown(WindowKind::NowGraspWnd); ++k) {
            ui::SendMessage(frame, ui::WM_COMMAND, 40056, 0);
            run.Pump();
            ui::Rect mapClient{};
            ui::GetClientRect(map, &mapClient);
            const ui::Rect g = RectIn(grasp, map);
            EXPECT_EQ(g.right, mapClient.right);
            EXPECT_EQ(g.bottom, mapClient.bottom);
            EXPECT_GT(g.Width(), 64 * 8);
        }
        // A running game ends through the journal: the clock delivers the exit.
        ResumeClock();
        run.MenuKeys('F', 'Q');
        run.Key(ui::VK_RETURN);
    });
}

}  // namespace
}  // namespace zv::shell
