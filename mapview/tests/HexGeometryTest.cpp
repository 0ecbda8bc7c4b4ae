// Hex geometry: pixel to hex and back at every zoom over every hex, neighbour directions,
// scrolling and centring.

#include <gtest/gtest.h>

#include <tuple>

#include "mapview/HexMapView.h"
#include "platform/ui/Messages.h"
#include "framework/ProcessState.h"
#include "rules/context/TableDirectory.h"

namespace zv::mapview {
namespace {

class Geometry : public ::testing::TestWithParam<int> {
  protected:
    rules::TableDirectory tables;
    HexMapView view{tables, {}};
    void SetUp() override {
        fw::SetProgramDirectory(ZV_PROGRAM_DIR);
        view.Setup(ui::Hwnd{}, 0, 640, 480, GetParam(), 0);
    }
};

TEST_P(Geometry, EveryHexCentreMapsBackToItsHex) {
    const int w = view.HexWidth(), h = view.HexHeight();
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            std::int16_t p[2] = {std::int16_t(x), std::int16_t(y)};
            ASSERT_NE(view.HexToPixel(p), 0x00FF00FFu);
            std::int16_t c[2] = {std::int16_t(p[0] + w / 2), std::int16_t(p[1] + h / 2)};
            view.PixelToHex(c);
            ASSERT_EQ(c[0], x) << "hex " << x << "," << y;
            ASSERT_EQ(c[1], y) << "hex " << x << "," << y;
        }
    }
}

// Every pixel of the map area lands in a hex whose picture cell contains the pixel, so a click
// never selects a hex drawn elsewhere.
TEST_P(Geometry, EveryPixelLiesInsideTheCellOfItsHex) {
    const int w = view.HexWidth(), h = view.HexHeight();
    const int step = GetParam() == 0 ? 1 : 1;
    const int maxX = 64 * w + w / 2, maxY = 63 * (h - view.RowOverlap()) + h;
    for (int py = 0; py < maxY; py += step) {
        for (int px = 0; px < maxX; px += step) {
            std::int16_t q[2] = {std::int16_t(px), std::int16_t(py)};
            view.PixelToHex(q);
            if (q[0] < 0 || q[1] < 0 || q[0] > 63 || q[1] > 63) continue;  // off the map's hexes
            std::int16_t cell[2] = {q[0], q[1]};
            view.HexToPixel(cell);
            ASSERT_GE(px, cell[0]) << px << "," << py;
            ASSERT_LT(px, cell[0] + w) << px << "," << py;
            ASSERT_GE(py, cell[1]) << px << "," << py;
            ASSERT_LT(py, cell[1] + h) << px << "," << py;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Zooms, Geometry, ::testing::Values(0, 1, 2));

TEST(HexGeometry, CornerCasesAtZoomTwo) {
    fw::SetProgramDirectory(ZV_PROGRAM_DIR);
    rules::TableDirectory tables;
    HexMapView view(tables, {});
    view.Setup(ui::Hwnd{}, 0, 640, 480, 2, 0);
    std::int16_t off[2] = {64, 3};
    EXPECT_EQ(view.HexToPixel(off), 0x00FF00FFu);
    EXPECT_EQ(off[0], 255);
    std::int16_t offY[2] = {3, 64};
    EXPECT_EQ(view.HexToPixel(offY), 0x00FF00FFu);
    std::int16_t odd[2] = {0, 1};
    view.HexToPixel(odd);
    EXPECT_EQ(odd[0], 16);
    EXPECT_EQ(odd[1], 24);
    std::int16_t corner[2] = {0, 0};
    view.PixelToHex(corner);
    EXPECT_EQ(corner[0], -1);
    EXPECT_EQ(corner[1], -1);
    std::int16_t peak[2] = {16, 0};
    view.PixelToHex(peak);
    EXPECT_EQ(peak[0], 0);
    EXPECT_EQ(peak[1], 0);
    // Left half of an odd row's overlap band: the hex above at the same column.
    std::int16_t oddBand[2] = {16 + 32 * 3 + 1, 24};
    view.PixelToHex(oddBand);
    EXPECT_EQ(oddBand[0], 3);
    EXPECT_EQ(oddBand[1], 0);
    // Left half of an even row's band: the column decreases.
    std::int16_t evenBand[2] = {32 * 3 + 1, 48};
    view.PixelToHex(evenBand);
    EXPECT_EQ(evenBand[0], 2);
    EXPECT_EQ(evenBand[1], 1);
}

TEST(HexGeometry, NeighbourDirections) {
    struct Case {
        int ax, ay, bx, by, dir;
    };
    const Case cases[] = {
        {5, 5, 5, 5, 0}, {0, 1, 1, 0, 5}, {0, 0, 0, 1, 3}, {4, 4, 3, 4, 1}, {4, 4, 3, 5, 2},
        {4, 4, 4, 5, 3}, {4, 4, 5, 4, 4}, {4, 4, 4, 3, 5}, {4, 4, 3, 3, 6}, {4, 5, 4, 6, 2},
        {4, 5, 5, 6, 3}, {4, 5, 5, 4, 5}, {4, 5, 4, 4, 6}, {0, 0, 63, 0, 0}, {63, 63, 62, 63, 1},
        {4, 4, 6, 4, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetNeighbourDirection(Pack32(c.ax, c.ay), Pack32(c.bx, c.by)), c.dir)
            << c.ax << "," << c.ay << " -> " << c.bx << "," << c.by;
    }
    EXPECT_EQ(GetNeighbourDirectionPacked(0x0100, 0x0001), 5);
    // Every neighbour the table gives is one hex away and back again.
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            for (int bx = x - 1; bx <= x + 1; ++bx) {
                for (int by = y - 1; by <= y + 1; ++by) {
                    const int d = GetNeighbourDirection(Pack32(x, y), Pack32(bx, by));
                    if (d == 0) continue;
                    const int back = GetNeighbourDirection(Pack32(bx, by), Pack32(x, y));
                    ASSERT_EQ(back, (d + 2) % 6 + 1) << x << "," << y << " d " << d;
                }
            }
        }
    }
}

TEST(HexGeometry, ScrollingKeepsRowsEvenAndTheViewOnTheMap) {
    fw::SetProgramDirectory(ZV_PROGRAM_DIR);
    rules::TableDirectory tables;
    HexMapView view(tables, {});
    view.Setup(ui::Hwnd{}, 0, 640, 480, 2, 0);
    int cols = 0, rows = 0;
    view.GetVisibleSize(cols, rows);
    EXPECT_EQ(cols, 20);
    EXPECT_EQ(rows, 20);
    EXPECT_EQ(view.ScrollByHexes(1, 2), 0);
    EXPECT_EQ(view.ScrollByHexes(3, 1), 0);
    view.SetOrigin(Pack32(0, 1));
    EXPECT_EQ(view.ScrollByHexes(0, 2), 1);
    EXPECT_EQ(view.GetOrigin(), Pack32(0, 2));
    while (view.ScrollByHexes(0, 2)) {
    }
    const int lastRow = Hi16(view.GetOrigin());
    EXPECT_EQ(lastRow % 2, 0);
    EXPECT_LE(lastRow + (rows & ~1), 64);
    while (view.ScrollByHexes(2, 1)) {
    }
    EXPECT_LE(Lo16(view.GetOrigin()) + cols - 1, 64);
    view.OnVScroll(ui::SB_THUMBPOSITION, 5);
    EXPECT_EQ(Hi16(view.GetOrigin()), 4);
    view.OnVScroll(ui::SB_PAGEUP, -1);
    EXPECT_EQ(Hi16(view.GetOrigin()), 0);
    view.SetOrigin(Pack32(0, 0));
    view.OnHScroll(ui::SB_PAGERIGHT, -1);
    EXPECT_EQ(Lo16(view.GetOrigin()), 20);
    view.OnHScroll(ui::SB_PAGERIGHT, -1);
    EXPECT_EQ(Lo16(view.GetOrigin()), 40);
    view.OnHScroll(ui::SB_PAGERIGHT, -1);
    EXPECT_EQ(Lo16(view.GetOrigin()), 44);
}

TEST(HexGeometry, CenterOnKeepsTheOriginAtZeroNearTheCornerAndEvenRows) {
    fw::SetProgramDirectory(ZV_PROGRAM_DIR);
    rules::TableDirectory tables;
    HexMapView view(tables, {});
    view.Setup(ui::Hwnd{}, 0, 640, 480, 2, 0);
    view.CenterOn(rules::MakeHexPosition(3, 2), 0);
    EXPECT_EQ(view.GetOrigin(), 0u);
    view.CenterOn(rules::MakeHexPosition(30, 30), 0);
    EXPECT_EQ(view.GetOrigin(), Pack32(21, 20));  // 30 - 9 = 21; 30 - 9 = 21 lowered to 20
    view.CenterOn(rules::MakeHexPosition(255, 30), 0);
    EXPECT_EQ(view.GetOrigin(), Pack32(21, 20));
    view.CenterOn(rules::MakeHexPosition(5, 5), 1);
    EXPECT_EQ(view.GetOrigin(), Pack32(21, 20));
}

}  // namespace
}  // namespace zv::mapview
