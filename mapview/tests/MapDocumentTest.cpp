// The map document: a new empty map, the one painting tool, picking; and the overview map and
// HQ miniature that follow the game map.

#include <gtest/gtest.h>

#include "mapview/GraspMapView.h"
#include "mapview/MapEditorContext.h"
#include "shell/WindowMessages.h"
#include "mapview/MapViewWindows.h"
#include "mapview/tests/MapViewFixture.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/TroopCursor.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"

namespace zv::mapview {
namespace {

class MapDocument : public testing::MapWorldFixture {
  protected:
    struct CountingHost : testing::RecordingHost {
        int hq = 0, camp = 0, sites = 0;
        void NotifyHqWindow(int, std::uint16_t) override { ++hq; }
        void NotifyCampInfoWindow() override { ++camp; }
        void NotifySiteListWindow() override { ++sites; }
    } counting;
    void SetUp() override {
        MapWorldFixture::SetUp();
        world.host = &counting;
    }
};

TEST_F(MapDocument, ResetToNewMapEmptiesEverything) {
    auto* doc = new MapEditorContext(tables, 1);
    doc->ResetToNewMap();
    rules::HexCursor hexes(tables);
    for (int i = 0; i < rules::kHexCount; ++i) {
        hexes.Select(i);
        ASSERT_EQ(hexes.GetLandKind(), 5);
        ASSERT_EQ(hexes.GetRoad(), rules::kNoRoad);
        ASSERT_EQ(hexes.GetRiver(), rules::kNoRiver);
        ASSERT_EQ(hexes.GetCountry(), rules::kNoCountry);
    }
    rules::SiteCursor sites(tables);
    for (int s = 0; s < rules::kSiteCount; ++s) {
        sites.Select(s);
        ASSERT_EQ(sites.GetKind(), rules::kFreeSite);
    }
    rules::ForceCursor forces(tables);
    for (std::uint8_t slot : {5, 0, 1, 2, 3}) {
        forces.SelectSlot(slot);
        EXPECT_EQ(forces.GetForceRecord()->bytes[282] | forces.GetForceRecord()->bytes[283], 0) << int(slot);
    }
    rules::ScenarioHeaderCursor header(tables);
    EXPECT_EQ(header.GetTitle()[0], 0);
    EXPECT_EQ(header.GetDayLimit(), 99);
    DestroyMapEditorContext(doc);
}

TEST_F(MapDocument, PaintSetsLandKindZeroOnceAndKeepsTheRest) {
    MapEditorContext doc(tables);
    doc.SetupView(ui::Hwnd{}, 0, 640, 480, 2);
    rules::HexCursor hexes(tables);
    hexes.SelectXY(rules::MakeHexPosition(2, 4));  // sea
    hexes.SetRoad(0x09);
    hexes.SetCountry(1);
    std::int16_t p[2] = {2, 4};
    doc.HexToPixel(p);
    const std::uint32_t point = Pack32(p[0] + 16, p[1] + 16);
    EXPECT_EQ(doc.PaintAtPoint(point), 1);
    hexes.SelectXY(rules::MakeHexPosition(2, 4));
    EXPECT_EQ(hexes.GetLandKind(), 0);
    EXPECT_EQ(hexes.GetRoad(), 0x09);
    EXPECT_EQ(hexes.GetCountry(), 1);
    EXPECT_EQ(counting.hq, 1);
    EXPECT_EQ(doc.PaintAtPoint(point), 1);
    EXPECT_EQ(counting.hq, 1);  // nothing changed, the HQ window hears nothing
    EXPECT_EQ(counting.camp, 2);
    EXPECT_EQ(doc.PaintHex(Pack32(64, 3)), 0);
    // Picking changes nothing.
    const std::uint64_t before = tables.HashLiveTables();
    EXPECT_EQ(doc.PickAtPoint(point, 0), 1);
    EXPECT_EQ(tables.HashLiveTables(), before);
    EXPECT_EQ(doc.PickAtPoint(Pack32(0, 0), 0), 0);  // (-1, -1): off the map
}

TEST_F(MapDocument, OverviewShowsTerrainSitesTroopsAndFog) {
    GraspMapView view(tables);
    for (int scale : {0, 1, 2}) {
        view.SetScale(scale);
        view.Build(ui::Hwnd{});
        view.Compose(ui::Hwnd{});
        int w = 0, h = 0;
        view.GetSize(w, h);
        EXPECT_EQ(view.Picture()->GetWidth(), w);
        testing::WriteDibPng(*view.Picture(), "mapview_overview_scale" + std::to_string(scale));
    }
    view.SetScale(0);
    view.Build(ui::Hwnd{});
    view.Compose(ui::Hwnd{});
    const std::uint64_t clear = testing::PixelHash(*view.Picture());
    TurnOnFog();
    view.Compose(ui::Hwnd{});
    EXPECT_NE(testing::PixelHash(*view.Picture()), clear);
    // A hex the player does not see carries the fog tile over its cell.
    int px = 0, py = 0;
    view.CellOf(40, 40, px, py);
    fw::Dib sheet("HEX8DT.BMP");
    fw::Dib expect(8, 8, MapPalette());
    fw::HvDIBitBltOpaque(&expect, 0, 0, 8, 8, view.Picture(), px, py);
    fw::Dib fog(8, 8, MapPalette());
    fw::HvDIBitBltOpaque(&fog, 0, 0, 8, 8, view.Picture(), px, py);
    fw::HvDIBitBlt(&fog, 0, 0, 8, 8, &sheet, 80, 24, 0);
    EXPECT_EQ(testing::PixelHash(fog), testing::PixelHash(expect));
    testing::WriteDibPng(*view.Picture(), "mapview_overview_fog");
}

TEST_F(MapDocument, HqMiniatureCentresAndKeepsRowsEven) {
    HqMapView hq(tables);
    hq.Setup(ui::Hwnd{}, 0, 128, 128, 0, 1);
    hq.SetViewRect(0, 0, 20, 20);
    struct Case {
        int px, py, x, y;
    };
    const Case cases[] = {{2, 2, 0, 0}, {126, 126, 44, 44}, {64, 64, 22, 22}, {64, 66, 21, 22}, {64, 70, 21, 24}};
    for (const Case& c : cases) {
        hq.CenterViewRectOn(Pack32(c.px, c.py));
        int x, y, w, h;
        hq.GetViewRect(x, y, w, h);
        EXPECT_EQ(x, c.x) << c.px << "," << c.py;
        EXPECT_EQ(y, c.y) << c.px << "," << c.py;
        EXPECT_EQ(y % 2, 0);
    }
}

// A stand-in for the HQ window: asks the map for its view when told, and paints the miniature.
HqMapView* gHq = nullptr;
ui::LResult FakeHqProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == WM_HQ_VIEW_RECT && w == 1) {
        const ui::Hwnd map = shell::GetWindowOfKind(shell::WindowKind::MapWnd);
        std::int32_t r[4] = {};
        ui::SendMessage(map, WM_MAP_QUERY_VIEW, 0, reinterpret_cast<ui::LParam>(r));
        gHq->SetViewRect(r[0], r[1], r[2], r[3]);
        ui::InvalidateRect(h, nullptr, false);
        return 1;
    }
    if (msg == ui::WM_PAINT) {
        gHq->Paint(h, nullptr);
        return 0;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

TEST_F(MapDocument, MiniatureFrameFollowsTheMapScrolling) {
    auto backend = std::make_unique<ui::HeadlessBackend>(1024, 768);
    ui::HeadlessBackend* screen = backend.get();
    auto wm = std::make_unique<ui::WindowManager>(std::move(backend));
    HqMapView hq(tables);
    hq.Setup(ui::Hwnd{}, 0, 130, 130, 0, 1);
    gHq = &hq;
    ui::WindowClass wc;
    wc.name = "FakeHq";
    wc.proc = FakeHqProc;
    ui::RegisterClass(wc);
    const ui::Hwnd hqWindow = ui::CreateWindowEx(0, "FakeHq", "", ui::WS_POPUP | ui::WS_VISIBLE, 700, 0, 200, 160,
                                                 ui::Hwnd{}, 0, nullptr, nullptr);
    shell::SetWindowOfKind(shell::WindowKind::HqWnd, hqWindow);
    const ui::Hwnd map = CreateRealViewWindow(ui::Hwnd{}, 0, 0, 660, 500);
    ASSERT_TRUE(map);
    wm->PumpPending();
    auto frameAt = [&](int x, int y) {
        // The white frame's top-left corner on the screen.
        std::int16_t p[2] = {std::int16_t(x), std::int16_t(y)};
        hq.HexToPixel(p);
        return screen->PixelAt(700 + p[0] + 32, p[1] + 16);
    };
    for (int step = 0; step < 3; ++step) {
        ui::SendMessage(map, ui::WM_VSCROLL, ui::SB_PAGEDOWN, 0);
        ui::SendMessage(map, ui::WM_HSCROLL, ui::SB_LINERIGHT, 0);
        wm->PumpPending();
        int x, y, w, h;
        hq.GetViewRect(x, y, w, h);
        std::int32_t view[4] = {};
        ui::SendMessage(map, WM_MAP_QUERY_VIEW, 0, reinterpret_cast<ui::LParam>(view));
        EXPECT_EQ(x, view[0]);
        EXPECT_EQ(y, view[1]);
        EXPECT_EQ(frameAt(x, y), 0xFFFFFFu) << step;
    }
    std::string error;
    EXPECT_TRUE(screen->WriteScreenshot(testing::ScreenshotPath("mapview_hq_frame"), &error));
    ui::DestroyWindow(map);
    ui::DestroyWindow(hqWindow);
    shell::SetWindowOfKind(shell::WindowKind::HqWnd, ui::Hwnd{});
    wm.reset();
    gHq = nullptr;
}

}  // namespace
}  // namespace zv::mapview
