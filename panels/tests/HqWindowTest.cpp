#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "mapview/GraspMapView.h"
#include "shell/WindowMessages.h"
#include "panels/HqWindow.h"
#include "panels/tests/PanelsFixture.h"
#include "rules/records/MapCursors.h"

namespace zv::panels::testing {
namespace {

using Rect4 = std::array<int32_t, 4>;

// A map window that shows gMapRect and records where it was told to scroll.
Rect4 gMapRect = {0, 0, 20, 14};
std::vector<Rect4> gScrolls;

ui::LResult FakeMapProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == zv::WM_MAP_QUERY_VIEW) {
        auto* out = reinterpret_cast<int32_t*>(l);
        for (int i = 0; i < 4; ++i) out[i] = gMapRect[i];
        return 1;
    }
    if (msg == zv::WM_SET_VIEW_RECT) {
        const auto* in = reinterpret_cast<const int32_t*>(l);
        gScrolls.push_back({in[0], in[1], in[2], in[3]});
        return 1;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

class HqWindowTest : public PanelsTest {
  protected:
    void SetUp() override {
        PanelsTest::SetUp();
        gScrolls.clear();
        gMapRect = {0, 0, 20, 14};
        hq = CreateHQWindow(nullptr, frame, 0, ui::WS_CHILD);
        ASSERT_TRUE(hq);
        shell::SetWindowOfKind(shell::WindowKind::HqWnd, hq);
        ui::SetWindowPos(hq, ui::Hwnd{}, 828, 40, 0, 0, ui::SWP_NOSIZE | ui::SWP_NOZORDER);
    }
    void MakeMapWindow() {
        ui::WindowClass wc;
        wc.name = "FakeMapWindow";
        wc.proc = FakeMapProc;
        ui::RegisterClass(wc);
        map = ui::CreateWindowEx(0, "FakeMapWindow", "", ui::WS_CHILD, 0, 22, 800, 700, frame, 0,
                                 nullptr, nullptr);
        shell::SetWindowOfKind(shell::WindowKind::MapWnd, map);
    }
    Rect4 Frame() {
        Rect4 r{};
        GetHqMapView(hq)->GetViewRect(r[0], r[1], r[2], r[3]);
        return r;
    }
    // The window pixel where the miniature paints hex (x, y).
    ui::Point HexPixel(int x, int y) {
        int16_t p[2] = {int16_t(x), int16_t(y)};
        GetHqMapView(hq)->HexToPixel(p);
        return {p[0] + mapview::kHqMiniatureLeft, p[1] + mapview::kHqMiniatureTop};
    }
    ui::Hwnd hq{}, map{};
};

TEST_F(HqWindowTest, FrameFollowsTheMapWindowAndStaysDefinedWithoutOne) {
    // No map window: the frame is a defined rectangle, and the miniature still draws.
    ui::ShowWindow(hq, ui::SW_SHOW);
    Pump();
    EXPECT_EQ(Frame(), (Rect4{0, 0, 0, 0}));
    ui::Rect r{};
    ui::GetClientRect(hq, &r);
    EXPECT_EQ(r.right, kHqWindowWidth);
    EXPECT_EQ(r.bottom, kHqWindowHeight);
    // The map scrolled while the window was hidden: showing it pulls the map's area.
    MakeMapWindow();
    ui::ShowWindow(hq, ui::SW_HIDE);
    gMapRect = {22, 30, 20, 14};
    ui::ShowWindow(hq, ui::SW_SHOW);
    Pump();
    EXPECT_EQ(Frame(), gMapRect);
    // The frame is drawn white round the area from the top-left hex's pixel.
    wm->Flush();
    const ui::Point corner = HexPixel(22, 30);
    const ui::Point o = Origin(hq);
    EXPECT_EQ(screen->PixelAt(o.x + corner.x, o.y + corner.y), 0xFFFFFFu);
    Shot("panels_hq_window");
    // The editor's map window reports its moves with WM_SET_VIEW_RECT.
    int32_t moved[4] = {4, 6, 20, 14};
    EXPECT_EQ(ui::SendMessage(hq, zv::WM_SET_VIEW_RECT, 0, reinterpret_cast<ui::LParam>(moved)),
              1);
    EXPECT_EQ(Frame(), (Rect4{4, 6, 20, 14}));
}

TEST_F(HqWindowTest, ClickAndDragScrollTheMapFromThePaintedHex) {
    MakeMapWindow();
    ui::ShowWindow(hq, ui::SW_SHOW);
    Pump();
    // A click on the pixel where hex (40, 31) is painted centres the frame on that hex.
    const ui::Point p = HexPixel(40, 31);
    ClickAt(hq, p.x, p.y);
    EXPECT_EQ(Frame(), (Rect4{30, 24, 20, 14}));
    ASSERT_FALSE(gScrolls.empty());
    EXPECT_EQ(gScrolls.back(), Frame());
    // Dragging to the far corner keeps the frame inside the map, on an even row.
    const ui::Point o = Origin(hq);
    screen->MouseDown(o.x + p.x, o.y + p.y);
    const ui::Point corner = HexPixel(63, 63);
    screen->MouseMove(o.x + (p.x + corner.x) / 2, o.y + (p.y + corner.y) / 2);
    screen->MouseMove(o.x + corner.x, o.y + corner.y);
    screen->MouseUp(o.x + corner.x, o.y + corner.y);
    Pump();
    const Rect4 f = Frame();
    EXPECT_EQ(f[0], 64 - 20);
    EXPECT_LE(f[1] + 14, 64);
    EXPECT_EQ(f[1] % 2, 0);
    EXPECT_EQ(gScrolls.back(), f);
    // A click that does not move the frame sends nothing.
    const size_t sent = gScrolls.size();
    screen->Click(o.x + corner.x, o.y + corner.y);
    Pump();
    EXPECT_EQ(gScrolls.size(), sent);
}

TEST_F(HqWindowTest, HexChangeRedrawsOneHexOrTheWholeMap) {
    MakeMapWindow();
    ui::ShowWindow(hq, ui::SW_SHOW);
    Pump();
    auto hexHash = [&](int x, int y) {
        const ui::Point p = HexPixel(x, y);
        return AreaHash(hq, p.x + 1, p.y, 1, 2);
    };
    // Two hexes change kind in the tables; the notice names only the first.
    rules::HexCursor hexes(game.Tables());
    std::vector<std::pair<int, int>> changed = {{10, 10}, {50, 40}};
    std::vector<uint64_t> before;
    for (auto [x, y] : changed) {
        before.push_back(hexHash(x, y));
        ASSERT_TRUE(hexes.SelectXY(uint16_t(x | (y << 8))));
        hexes.SetLandKind(hexes.GetLandKind() == 0 ? 9 : 0);
    }
    int16_t hex[2] = {10, 10};
    EXPECT_EQ(ui::SendMessage(hq, zv::WM_HQ_VIEW_RECT, 0, reinterpret_cast<ui::LParam>(hex)), 1);
    EXPECT_NE(hexHash(10, 10), before[0]);
    EXPECT_EQ(hexHash(50, 40), before[1]);
    ui::SendMessage(hq, zv::WM_HQ_VIEW_RECT, 1, 0);
    EXPECT_NE(hexHash(50, 40), before[1]);
}

TEST_F(HqWindowTest, CloseAsksTheFrameAndDestroyClearsTheSlot) {
    gFrameCommands.clear();
    EXPECT_EQ(ui::SendMessage(hq, ui::WM_CLOSE, 0, 0), 1);
    EXPECT_EQ(gFrameCommands, std::vector<int>{IDM_HQ_WINDOW});
    EXPECT_TRUE(ui::IsWindow(hq));
    ui::DestroyWindow(hq);
    EXPECT_FALSE(shell::GetWindowOfKind(shell::WindowKind::HqWnd));
}

}  // namespace
}  // namespace zv::panels::testing
