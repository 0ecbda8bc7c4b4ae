// Sizing a map window keeps whole hexes in its client area: the dragged edges move, the others
// stay; the same arithmetic fits any rectangle from its top-left corner. And the edge cursors
// are never set on the HQ window.

#include <gtest/gtest.h>

#include <memory>

#include "mapview/HexMapView.h"
#include "mapview/MapWorld.h"
#include "mapview/tests/MapViewFixture.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "shell/WindowRegistry.h"

namespace zv::mapview {
namespace {

class MapSizing : public testing::MapWorldFixture {
  protected:
    void SetUp() override {
        MapWorldFixture::SetUp();
        wm = std::make_unique<ui::WindowManager>(std::make_unique<ui::HeadlessBackend>(1024, 768));
        ui::WindowClass wc;
        wc.name = "MapSizingWindow";
        wc.proc = ui::DefWindowProc;
        ui::RegisterClass(wc);
    }
    void TearDown() override {
        shell::SetWindowOfKind(shell::WindowKind::HqWnd, ui::Hwnd{});
        RestoreMapClassCursor();
        wm.reset();
        MapWorldFixture::TearDown();
    }
    ui::Hwnd Window(std::uint32_t style) {
        return ui::CreateWindowEx(0, "MapSizingWindow", "", style | ui::WS_VISIBLE, 100, 80, 400, 300, ui::Hwnd{}, 0,
                                  nullptr, nullptr);
    }
    std::unique_ptr<ui::WindowManager> wm;
};

struct Frame {
    int across, down;
};

Frame FrameOf(std::uint32_t style) {
    Frame f{2 * ui::GetSystemMetrics(ui::SM_CXFRAME), 2 * ui::GetSystemMetrics(ui::SM_CYFRAME)};
    if ((style & ui::WS_CAPTION) == ui::WS_CAPTION) f.down += ui::GetSystemMetrics(ui::SM_CYCAPTION);
    if (style & ui::WS_VSCROLL) f.down += ui::GetSystemMetrics(ui::SM_CYVSCROLL);
    if (style & ui::WS_HSCROLL) f.across += ui::GetSystemMetrics(ui::SM_CXHSCROLL);
    return f;
}

TEST_F(MapSizing, DraggedEdgesSnapToWholeHexesAndTheOthersStay) {
    const std::uint32_t styles[] = {ui::WS_POPUP | ui::WS_THICKFRAME,
                                    ui::WS_OVERLAPPEDWINDOW | ui::WS_VSCROLL | ui::WS_HSCROLL,
                                    ui::WS_POPUP | ui::WS_CAPTION | ui::WS_HSCROLL};
    // The window stands at (100, 80)-(500, 380).
    struct Drag {
        const char* what;
        ui::Rect proposed;
        bool leftStays, topStays;  // else the right or the bottom edge stays
    } const drags[] = {
        {"right and bottom edges", {100, 80, 537, 361}, true, true},
        {"left edge", {71, 80, 500, 380}, false, true},
        {"top edge", {100, 47, 500, 380}, true, false},
        {"top-left corner", {63, 59, 500, 380}, false, false},
        {"a move: right and bottom follow", {120, 90, 513, 377}, true, true},
    };
    for (std::uint32_t style : styles) {
        const ui::Hwnd h = Window(style);
        ASSERT_TRUE(h);
        const Frame f = FrameOf(style);
        for (int zoom = 0; zoom < 3; ++zoom) {
            HexMapView view(tables, MapContextEnv());
            view.SetZoomLevel(zoom);
            const int hexW = view.HexWidth(), overlap = view.RowOverlap(), rowPair = 2 * (hexW - overlap);
            ASSERT_GT(hexW, 0);
            ASSERT_GT(rowPair, 0);
            for (const Drag& d : drags) {
                SCOPED_TRACE(::testing::Message() << d.what << ", style " << std::hex << style << std::dec << ", zoom " << zoom);
                ui::Rect r = d.proposed;
                view.SnapSizingRect(h, 0, &r);
                // Whole hexes across (and half a hex for the shifted rows), whole row pairs down.
                const int clientW = r.Width() - f.across, clientH = r.Height() - f.down;
                EXPECT_EQ((clientW - hexW / 2) % hexW, 0) << clientW;
                EXPECT_EQ((clientH - overlap) % rowPair, 0) << clientH;
                // Never more than a hex beyond what was asked for, never a whole hex less.
                EXPECT_GT(clientW, d.proposed.Width() - f.across - hexW);
                EXPECT_LE(clientW, d.proposed.Width() - f.across + hexW / 2);
                EXPECT_GT(clientH, d.proposed.Height() - f.down - rowPair);
                EXPECT_LE(clientH, d.proposed.Height() - f.down + overlap);
                if (d.leftStays) {
                    EXPECT_EQ(r.left, d.proposed.left);
                } else {
                    EXPECT_EQ(r.right, d.proposed.right);
                }
                if (d.topStays) {
                    EXPECT_EQ(r.top, d.proposed.top);
                } else {
                    EXPECT_EQ(r.bottom, d.proposed.bottom);
                }
                // Fitting the same rectangle gives the same size from its top-left corner.
                ui::Rect fitted = d.proposed;
                view.FitRectToHexes(h, &fitted);
                EXPECT_EQ(fitted.left, d.proposed.left);
                EXPECT_EQ(fitted.top, d.proposed.top);
                EXPECT_EQ(fitted.Width(), r.Width());
                EXPECT_EQ(fitted.Height(), r.Height());
            }
        }
        ui::DestroyWindow(h);
    }
}

// A caption box goes right of and below its troop's hex unless it would leave the visible
// hexes: then it goes left, or up by its height but never more than 20 pixels.
TEST_F(MapSizing, CaptionBoxesTurnAtTheEdgesAndRiseAtMostTwentyPixels) {
    HexMapView view(tables, MapContextEnv());
    view.SetZoomLevel(1);
    view.SetVisibleSize(10, 8);
    const int hexW = view.HexWidth(), rowStep = view.HexHeight() - view.RowOverlap();
    const int right = 9 * hexW, bottom = 7 * rowStep;
    struct Case {
        const char* what;
        int x, y, width, height;
        int code, dx, dy;
    } const cases[] = {
        {"room right and below", hexW, rowStep, 60, 30, 0, hexW / 2, 30},
        {"at the right edge", right, rowStep, 60, 30, 1, -hexW / 2, 30},
        {"at the bottom, a tall box", hexW, bottom, 60, 100, 2, hexW / 2, -20},
        {"at the bottom, a box of 21", hexW, bottom, 60, 21, 2, hexW / 2, -20},
        {"at the bottom, a box of 20", hexW, bottom, 60, 20, 2, hexW / 2, -20},
        {"at the bottom, a low box", hexW, bottom, 60, 12, 2, hexW / 2, -12},
        {"in the corner", right, bottom, 180, 100, 3, -hexW / 2, -20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int x = c.x, y = c.y;
        EXPECT_EQ(view.PlaceCaptionBox(x, y, c.width, c.height), c.code);
        EXPECT_EQ(x, c.x + c.dx);
        EXPECT_EQ(y, c.y + c.dy);
    }
}

TEST_F(MapSizing, EdgeCursorsAreNeverSetOnTheHqWindow) {
    const ui::Hwnd hq = Window(ui::WS_POPUP);
    const ui::Hwnd map = Window(ui::WS_POPUP);
    shell::SetWindowOfKind(shell::WindowKind::HqWnd, hq);
    const ui::Hcursor before = ui::GetCursor();
    for (int type = 1; type <= 4; ++type) {
        EXPECT_EQ(SetMapCursor(hq, type, 0), 0) << type;
        EXPECT_EQ(ui::GetCursor(), before) << type;
    }
    EXPECT_EQ(SetMapCursor(map, 2, 0), 1);
    const ui::Hcursor edge = ui::GetCursor();
    EXPECT_NE(edge, before);
    EXPECT_EQ(SetMapCursor(map, 2, 1), 0) << "the same type again changes nothing";
    EXPECT_EQ(SetMapCursor(hq, 3, 0), 0);
    EXPECT_EQ(ui::GetCursor(), edge);
    RestoreMapClassCursor();
    EXPECT_EQ(ui::GetCursor(), before);
    EXPECT_EQ(SetMapCursor(ui::Hwnd{}, 1, 0), 0) << "no window, no cursor";
}

}  // namespace
}  // namespace zv::mapview
