// The area analysis on a hand-built map, and the area information window drawing it.

#include <gtest/gtest.h>

#include "mapview/MapAreaAnalysis.h"
#include "mapview/MapAreaInfoWindow.h"
#include "mapview/tests/EditorFixture.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuConstants.h"
#include "platform/ui/SystemMetrics.h"
#include "shell/Palettes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopCursor.h"

namespace zv::mapview {
namespace {

// Sea everywhere but areas (0, 0) and (1, 0), which are plain land.
//   area 0: two blue towns (one supplies), a neutral airport that supplies, a blue tank, and a
//           red infantry that blue has found;
//   area 1: a red tank nobody else has found;
//   area 63: a red capital on (63, 63) and a blue infantry that red has found.
class MapAreas : public testing::EditorFixture {
  protected:
    void SetUp() override {
        EditorFixture::SetUp();
        rules::testing::MapBuilder map(tables, 5);
        map.Title("区域").TerrainRect(0, 0, 15, 7, 0).Country(0).Country(1);
        const std::uint16_t town = map.AddSite(3, 0, 1, 1);
        map.AddSite(3, 0, 5, 6);
        const std::uint16_t airport = map.AddSite(4, 4, 6, 2);
        map.AddSite(0, 1, 63, 63);
        map.AddTroop(0, 2, 2, {testing::kTank});
        const std::uint16_t redInfantry = map.AddTroop(1, 4, 4, {testing::kInfantry});
        map.AddTroop(1, 10, 3, {testing::kTank});
        const std::uint16_t blueInfantry = map.AddTroop(0, 60, 60, {testing::kInfantry});
        rules::TroopCursor cursor(tables);
        cursor.Select(redInfantry);
        cursor.SetMask28(1 << 0);  // found by blue
        cursor.Select(blueInfantry);
        cursor.SetMask28(1 << 5);  // found by red (the second bit of red)
        rules::GameContext ctx(tables, MapContextEnv());
        ctx.RebuildHexOccupancy();
        searches->ReloadAllTerrain();
        // Set after the rebuild, which works the supply out again.
        rules::SiteCursor sites(tables);
        for (std::uint16_t s : {town, airport}) {
            sites.Select(s);
            sites.SetSupplied(1);
        }
    }
};

TEST_F(MapAreas, SelectingAreas) {
    MapAreaContext area(tables);
    EXPECT_EQ(area.SelectedArea(), 0);
    EXPECT_EQ(area.SelectArea(7, 7), 1);
    EXPECT_EQ(area.SelectedArea(), 63);
    for (auto [x, y] : {std::pair{8, 0}, {0, 8}, {-1, 0}, {0xFFFF, 0}}) {
        EXPECT_EQ(area.SelectArea(x, y), 0);
        EXPECT_EQ(area.SelectedArea(), 63);
    }
}

TEST_F(MapAreas, ComputedRecordsMatchTheHandCount) {
    MapAreaContext area(tables, searches.get());
    area.ComputeAreaInfo();
    ASSERT_EQ(area.SelectArea(0, 0), 1);
    EXPECT_EQ(area.GetSiteCount(0, 3), 2);
    EXPECT_EQ(area.GetSiteCount(4, 4), 1);
    EXPECT_EQ(area.GetSupplyCount(0, 3), 1);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(area.GetSupplyCount(c, 4), 0) << "a neutral site supplies no country";
    EXPECT_EQ(area.GetSiteCount(0, 7), 0);  // kinds beyond 5 read as 0
    const int ground = 2;
    EXPECT_EQ(area.GetFoundCount(0, 0, ground), 1);
    EXPECT_EQ(area.GetFoundCount(0, 1, ground), 1);  // blue found the red infantry
    EXPECT_EQ(area.GetFoundCount(1, 1, ground), 1);
    EXPECT_EQ(area.GetFoundCount(1, 0, ground), 0);  // red has not found the blue tank
    // Ground troops go east into area 1 only (sea all round, the map's edge west and north).
    EXPECT_EQ(area.GetDirections(ground), kAreaEast);
    EXPECT_EQ(area.GetSituation(0), kAreaContested);
    EXPECT_EQ(area.GetSituation(1), kAreaOwnOnly);
    EXPECT_EQ(area.GetSituation(2), kAreaNobody);

    ASSERT_EQ(area.SelectArea(1, 0), 1);
    EXPECT_EQ(area.GetDirections(ground), kAreaWest);
    EXPECT_EQ(area.GetFoundCount(0, 1, ground), 0);
    EXPECT_EQ(area.GetSituation(0), kAreaReachable);  // the blue tank next door can move in
    EXPECT_EQ(area.GetSituation(1), kAreaOwnOnly);

    // Open sea beside the land: ships leave south, south-west, south-east and east, not west.
    ASSERT_EQ(area.SelectArea(2, 0), 1);
    EXPECT_EQ(area.GetDirections(3), kAreaSouthWest | kAreaSouth | kAreaSouthEast | kAreaEast);
    EXPECT_EQ(area.GetDirections(ground), 0);
    EXPECT_EQ(area.GetSituation(0), kAreaNobody);
    EXPECT_EQ(area.GetSituation(1), kAreaNobody);  // the red tank cannot go east

    ASSERT_EQ(area.SelectArea(7, 7), 1);
    EXPECT_EQ(area.GetSiteCount(1, 0), 1);
    EXPECT_EQ(area.GetSituation(1), kAreaOthersOnly);
    EXPECT_EQ(area.GetSituation(0), kAreaOwnOnly);
    // A corner area reaches nothing beyond the map.
    EXPECT_EQ(area.GetDirections(0) & (kAreaEast | kAreaSouth | kAreaSouthEast | kAreaNorthEast | kAreaSouthWest), 0);
    ASSERT_EQ(area.SelectArea(0, 3), 1);
    EXPECT_EQ(area.GetDirections(0) & (kAreaWest | kAreaSouthWest | kAreaNorthWest), 0);
    EXPECT_EQ(area.GetDirections(0) & (kAreaEast | kAreaNorth | kAreaSouth), kAreaEast | kAreaNorth | kAreaSouth);

    area.ClearAreaInfo();
    for (int a = 0; a < kAreaCount; ++a) {
        ASSERT_EQ(area.SelectArea(a % 8, a / 8), 1);
        for (int c = 0; c < 4; ++c) ASSERT_EQ(area.GetSituation(c), kAreaNotComputed);
        ASSERT_EQ(area.GetSiteCount(0, 3), 0);
    }
}

TEST_F(MapAreas, WindowPagesCaptionsAndScrollBars) {
    const ui::Hwnd frame = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 1024, 768, {}, 0,
                                              nullptr, nullptr);
    shell::SetWindowOfKind(shell::WindowKind::FrameWnd, frame);
    shell::LoadPalettes(frame);
    const ui::Hwnd h = CreateMapAreaInfoWindow(nullptr, frame);
    ASSERT_TRUE(h);
    EXPECT_FALSE(ui::IsWindowVisible(h));
    ui::ShowWindow(h, ui::SW_SHOW);
    // Before "情報セット" the situation pages show empty cells.
    ui::SendMessage(h, ui::WM_COMMAND, kCmdAreaCountry, 0);
    fw::Dib* picture = GetAreaInfoPicture(h);
    ASSERT_NE(picture, nullptr);
    const std::uint8_t white = *picture->GetPixelAddress(40, 60);
    ui::SendMessage(h, ui::WM_COMMAND, kCmdAreaCompute, 0);
    const std::uint8_t blueArea = *picture->GetPixelAddress(40, 60);
    EXPECT_NE(blueArea, white);
    EXPECT_EQ(*picture->GetPixelAddress(80 * 3 + 40, 60), white) << "an area blue neither holds nor reaches";
    EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(h)), "エリア別マップ情報 - 国勢力[青国]");
    const ui::Hmenu menu = ui::GetMenu(h);
    EXPECT_TRUE(ui::GetMenuState(menu, kCmdAreaCountry, ui::MF_BYCOMMAND) & ui::MF_CHECKED);
    EXPECT_FALSE(ui::GetMenuState(menu, kCmdAreaBuildings, ui::MF_BYCOMMAND) & ui::MF_CHECKED);
    Shot("mapview_area_info_blue");
    for (int id : {kCmdAreaBuildings, kCmdAreaDirectionsAll, kCmdAreaDirectionsAll + 3, kCmdAreaCountriesAll}) {
        ui::SendMessage(h, ui::WM_COMMAND, static_cast<ui::WParam>(id), 0);
        testing::WriteDibPng(*picture, "mapview_area_page_" + std::to_string(AreaPageOfCommand(id)), 320, 160);
    }
    ui::SendMessage(h, ui::WM_COMMAND, kCmdAreaClear, 0);
    ui::SendMessage(h, ui::WM_COMMAND, kCmdAreaCountry, 0);
    EXPECT_EQ(*picture->GetPixelAddress(40, 60), white);

    // Half the width: a horizontal bar whose range leaves room for the vertical one.
    const int vs = ui::GetSystemMetrics(ui::SM_CXVSCROLL);
    ui::SendMessage(h, ui::WM_SIZE, 0, ui::MakeLParam(320, 640));
    const ui::Hwnd hbar = ui::GetDlgItem(h, kIdAreaHScroll);
    int lo = 0, hi = 0;
    ui::GetScrollRange(hbar, ui::SB_CTL, &lo, &hi);
    EXPECT_EQ(hi, 320 + vs);
    EXPECT_TRUE(ui::IsWindowVisible(hbar));
    ui::SendMessage(h, ui::WM_HSCROLL, ui::SB_LINEDOWN, 0);
    EXPECT_EQ(ui::GetScrollPos(hbar, ui::SB_CTL), kAreaCell);
    // Closing hides through the frame's command.
    ui::SendMessage(h, ui::WM_CLOSE, 0, 0);
    EXPECT_TRUE(ui::IsWindow(h));
}

// The direction pages copy the generated arrow pictures into each cell; they must stay inside
// it, so the grid lines between the cells survive and the next cell's class names stay readable.
TEST_F(MapAreas, DirectionArrowsStayInsideTheirCell) {
    const ui::Hwnd frame = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 1024, 768, {}, 0,
                                              nullptr, nullptr);
    shell::SetWindowOfKind(shell::WindowKind::FrameWnd, frame);
    shell::LoadPalettes(frame);
    const ui::Hwnd h = CreateMapAreaInfoWindow(nullptr, frame);
    ASSERT_TRUE(h);
    ui::SendMessage(h, ui::WM_COMMAND, kCmdAreaCompute, 0);
    fw::Dib* picture = GetAreaInfoPicture(h);
    ASSERT_NE(picture, nullptr);
    const std::uint8_t white = *picture->GetPixelAddress(kAreaCell / 2, kAreaCell - 2);
    for (int id = kCmdAreaDirectionsAll; id <= kCmdAreaDirectionsAll + 5; ++id) {
        SCOPED_TRACE(AreaPageOfCommand(id));
        ui::SendMessage(h, ui::WM_COMMAND, static_cast<ui::WParam>(id), 0);
        const std::uint8_t grid = *picture->GetPixelAddress(kAreaCell, 1);
        ASSERT_NE(grid, white);
        int arrowPixels = 0;
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < 8; ++j) {
                const int left = kAreaCell * i, top = kAreaCell * j;
                // The grid lines bound the cell; its last column (the outer frame's in the
                // last cells) is left blank.
                for (int t = 0; t < kAreaCell; ++t) {
                    if (i > 0) {
                        ASSERT_EQ(*picture->GetPixelAddress(left, top + t), grid) << i << "," << j << " +" << t;
                    }
                    if (j > 0) {
                        ASSERT_EQ(*picture->GetPixelAddress(left + t, top), grid) << i << "," << j << " +" << t;
                    }
                    if (i < 7 && t > 0 && (j < 7 || t < kAreaCell - 1)) {
                        ASSERT_EQ(*picture->GetPixelAddress(left + kAreaCell - 1, top + t), white) << i << "," << j;
                    }
                }
                for (int y = top + 12; y < top + kAreaCell - 1; ++y)
                    for (int x = left + 22; x < left + kAreaCell - 1; ++x)
                        arrowPixels += *picture->GetPixelAddress(x, y) != white ? 1 : 0;
            }
        }
        EXPECT_GT(arrowPixels, 0) << "some direction is drawn";
    }
    ui::DestroyWindow(h);
}

TEST_F(MapAreas, TheWindowComputesOverTheWorldInstalledNow) {
    const ui::Hwnd frame = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 1024, 768, {}, 0,
                                              nullptr, nullptr);
    shell::LoadPalettes(frame);
    const ui::Hwnd first = CreateMapAreaInfoWindow(nullptr, frame);
    ASSERT_TRUE(first);
    ui::SendMessage(first, ui::WM_COMMAND, kCmdAreaCompute, 0);
    ui::DestroyWindow(first);

    // Another map in tables of its own, nothing computed yet.
    rules::TableDirectory other;
    ASSERT_TRUE(other.LoadAllTables(testing::kProgramDir)) << other.LastError();
    testing::BuildFixtureMap(other);
    rules::RouteSearchSet otherSearches(other);
    MapAreaContext(other, &otherSearches).ClearAreaInfo();
    MapWorld otherWorld = world;
    otherWorld.tables = &other;
    otherWorld.routeSearches = &otherSearches;
    services->map = &otherWorld;
    MapAreaContext(tables, searches.get()).ClearAreaInfo();

    const ui::Hwnd second = CreateMapAreaInfoWindow(nullptr, frame);
    ASSERT_TRUE(second);
    ui::SendMessage(second, ui::WM_COMMAND, kCmdAreaCompute, 0);
    MapAreaContext seen(other, &otherSearches);
    ASSERT_EQ(seen.SelectArea(0, 0), 1);
    EXPECT_NE(seen.GetSituation(0), kAreaNotComputed) << "computed into the map shown now";
    MapAreaContext before(tables, searches.get());
    ASSERT_EQ(before.SelectArea(0, 0), 1);
    EXPECT_EQ(before.GetSituation(0), kAreaNotComputed) << "not into the map of the first window";
    ui::DestroyWindow(second);
    services->map = &world;
}

}  // namespace
}  // namespace zv::mapview
