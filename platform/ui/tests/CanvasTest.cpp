#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Canvas.h"

namespace zv::ui {
namespace {

constexpr ColorRef kBlack = Rgb(0, 0, 0);
constexpr ColorRef kWhite = Rgb(255, 255, 255);
constexpr ColorRef kRed = Rgb(255, 0, 0);
constexpr ColorRef kGreen = Rgb(0, 255, 0);
constexpr ColorRef kBlue = Rgb(0, 0, 255);
constexpr ColorRef kGrey = Rgb(128, 128, 128);

// Index 0 black, 1 white, 2 red, 3 green, 4 blue, 5 grey.
std::vector<RgbQuad> TestPalette() {
    return {{0, 0, 0, 0},   {255, 255, 255, 0}, {0, 0, 255, 0},
            {0, 255, 0, 0}, {255, 0, 0, 0},     {128, 128, 128, 0}};
}

char CharOf(ColorRef c) {
    switch (c) {
        case kBlack:
            return '.';
        case kWhite:
            return '#';
        case kRed:
            return 'R';
        case kGreen:
            return 'G';
        case kBlue:
            return 'B';
        case kGrey:
            return 'g';
        default:
            return '?';
    }
}

// A small drawing target of either kind, cleared to black.
class Target {
  public:
    Target(bool indexed, int w, int h) : indexed_(indexed), w_(w), h_(h), palette_(TestPalette()) {
        if (indexed) {
            stride_ = (w + 3) & ~3;
            bytes_.assign(std::size_t(stride_) * h, 0);
        } else {
            rgb_.Resize(w, h, 0);
        }
    }
    IndexedSurface Indexed() {
        return {bytes_.data(), w_, h_, stride_, true, palette_.data(), int(palette_.size())};
    }
    Canvas MakeCanvas() { return indexed_ ? Canvas(Indexed()) : Canvas(rgb_.View()); }
    Canvas MakeCanvas(Point origin, Rect clip) {
        return indexed_ ? Canvas(Indexed(), origin, clip) : Canvas(rgb_.View(), origin, clip);
    }
    std::vector<std::string> Dump() {
        Canvas c = MakeCanvas();
        std::vector<std::string> rows;
        for (int y = 0; y < h_; ++y) {
            std::string row;
            for (int x = 0; x < w_; ++x) row.push_back(CharOf(c.GetPixel(x, y)));
            rows.push_back(row);
        }
        return rows;
    }
    std::vector<RgbQuad>& Palette() { return palette_; }

  private:
    bool indexed_;
    int w_, h_, stride_ = 0;
    std::vector<RgbQuad> palette_;
    std::vector<uint8_t> bytes_;
    Surface32Buffer rgb_;
};

using Rows = std::vector<std::string>;

TEST(PaletteMapping, NearestEntryRule) {
    const std::vector<RgbQuad> pal = TestPalette();
    struct Case {
        ColorRef color;
        int count;
        uint8_t expected;
    };
    const Case cases[] = {
        {kRed, 6, 2},                   // exact
        {Rgb(250, 10, 5), 6, 2},        // near red
        {Rgb(100, 100, 100), 6, 5},     // grey is nearer than black
        {Rgb(64, 64, 64), 6, 0},        // 3*64^2 to black == 3*64^2 to grey: lowest index wins
        {PaletteRgb(0, 0, 250), 6, 4},  // the palette-relative flag maps alike
        {PaletteIndex(3), 6, 3},        // an index names its entry
        {PaletteIndex(200), 6, 200},    // even beyond the table
        {kRed, 2, 0},                   // only the first entries count: black is nearer
        {kRed, 0, 0},                   // empty table
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NearestPaletteIndex(pal.data(), c.count, c.color), c.expected)
            << std::hex << c.color << " count " << std::dec << c.count;
    }
}

class CanvasShapes : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(BothSurfaces, CanvasShapes, ::testing::Values(false, true),
                         [](const auto& testCase) { return testCase.param ? "Indexed" : "Rgb32"; });

TEST_P(CanvasShapes, RectangleOutlinesWithPenAndFillsWithBrush) {
    Target t(GetParam(), 8, 6);
    Canvas c = t.MakeCanvas();
    c.SelectPen({PS_SOLID, 1, kWhite});
    c.SelectBrush(Brush::SolidColor(kRed));
    c.Rectangle(1, 1, 6, 5);
    EXPECT_EQ(t.Dump(), (Rows{
                            "........",
                            ".#####..",
                            ".#RRR#..",
                            ".#RRR#..",
                            ".#####..",
                            "........",
                        }));
}

TEST_P(CanvasShapes, RectangleWithoutPenIsOnePixelSmaller) {
    Target t(GetParam(), 6, 5);
    Canvas c = t.MakeCanvas();
    c.SelectPen(StockPen(NULL_PEN));
    c.SelectBrush(StockBrush(WHITE_BRUSH));
    c.Rectangle(1, 1, 5, 4);
    EXPECT_EQ(t.Dump(), (Rows{
                            "......",
                            ".###..",
                            ".###..",
                            "......",
                            "......",
                        }));
}

TEST_P(CanvasShapes, LinesLeaveOutTheEndPoint) {
    Target t(GetParam(), 7, 5);
    Canvas c = t.MakeCanvas();
    c.SelectPen({PS_SOLID, 1, kWhite});
    c.MoveTo(1, 1);
    c.LineTo(5, 1);
    c.MoveTo(1, 2);
    c.LineTo(4, 4);  // a diagonal of slope 2/3
    EXPECT_EQ(t.Dump(), (Rows{
                            ".......",
                            ".####..",
                            ".#.....",
                            "..##...",
                            ".......",
                        }));
}

// Each vertex of a polyline is painted once: a mixing pen shows a double paint.
TEST_P(CanvasShapes, PolylineCornersArePaintedOnce) {
    Target t(GetParam(), 6, 6);
    Canvas c = t.MakeCanvas();
    c.SelectPen({PS_SOLID, 1, kWhite});
    c.SetRop2(R2_XORPEN);
    const Point pts[] = {{1, 1}, {4, 1}, {4, 4}, {1, 4}, {1, 1}};
    c.Polyline(pts);
    EXPECT_EQ(t.Dump(), (Rows{
                            "......",
                            ".####.",
                            ".#..#.",
                            ".#..#.",
                            ".####.",
                            "......",
                        }));
    c.Polyline(pts);  // the same path again takes everything back
    EXPECT_EQ(t.Dump(), (Rows(6, "......")));
}

TEST_P(CanvasShapes, EllipseIsSymmetricAndInscribed) {
    Target t(GetParam(), 8, 8);
    Canvas c = t.MakeCanvas();
    c.SelectPen({PS_SOLID, 1, kWhite});
    c.SelectBrush(Brush::SolidColor(kRed));
    c.Ellipse(0, 0, 7, 7);
    EXPECT_EQ(t.Dump(), (Rows{
                            "..###...",
                            ".#RRR#..",
                            "#RRRRR#.",
                            "#RRRRR#.",
                            "#RRRRR#.",
                            ".#RRR#..",
                            "..###...",
                            "........",
                        }));
}

TEST_P(CanvasShapes, FillAndFrameUseExclusiveCorners) {
    Target t(GetParam(), 6, 5);
    Canvas c = t.MakeCanvas();
    c.FillRect({0, 0, 1, 1}, Brush::SolidColor(kGreen));  // one pixel
    c.FrameRect({2, 1, 6, 5}, Brush::SolidColor(kWhite));
    c.FrameRect({0, 2, 1, 5}, Brush::SolidColor(kBlue));  // one column wide
    EXPECT_EQ(t.Dump(), (Rows{
                            "G.....",
                            "..####",
                            "B.#..#",
                            "B.#..#",
                            "B.####",
                        }));
}

TEST_P(CanvasShapes, PolygonFillRules) {
    // A five-pointed star drawn in one stroke: its centre is a hole under the alternate rule
    // and filled under the winding rule.
    const Point star[] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
    for (int mode : {ALTERNATE, WINDING}) {
        Target t(GetParam(), 21, 21);
        Canvas c = t.MakeCanvas();
        c.SelectPen(StockPen(NULL_PEN));
        c.SelectBrush(StockBrush(WHITE_BRUSH));
        c.SetPolyFillMode(mode);
        c.Polygon(star);
        EXPECT_EQ(c.GetPixel(10, 10), mode == WINDING ? kWhite : kBlack) << mode;
        EXPECT_EQ(c.GetPixel(10, 3), kWhite);  // a point of the star
        EXPECT_EQ(c.GetPixel(1, 1), kBlack);   // outside
    }
}

TEST_P(CanvasShapes, PolygonOfASquareCoversItsPixels) {
    Target t(GetParam(), 6, 6);
    Canvas c = t.MakeCanvas();
    c.SelectPen(StockPen(NULL_PEN));
    c.SelectBrush(Brush::SolidColor(kGreen));
    const Point square[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    c.Polygon(square);
    EXPECT_EQ(t.Dump(), (Rows{
                            "......",
                            ".GGGG.",
                            ".GGGG.",
                            ".GGGG.",
                            "......",
                            "......",
                        }));
}

TEST_P(CanvasShapes, HatchedBrushWithBothBackgroundModes) {
    for (int mode : {TRANSPARENT, OPAQUE}) {
        Target t(GetParam(), 8, 8);
        Canvas c = t.MakeCanvas();
        c.FillRect({0, 0, 8, 8}, Brush::SolidColor(kBlue));
        c.SetBkMode(mode);
        c.SetBkColor(kGrey);
        c.FillRect({0, 0, 8, 8}, Brush::Hatched(HS_CROSS, kWhite));
        const std::string line(8, '#');
        std::string other = mode == OPAQUE ? "ggg#gggg" : "BBB#BBBB";
        Rows expected(8, other);
        expected[3] = line;
        EXPECT_EQ(t.Dump(), expected) << mode;
    }
}

TEST_P(CanvasShapes, DottedPenAndItsGaps) {
    for (int mode : {TRANSPARENT, OPAQUE}) {
        Target t(GetParam(), 14, 1);
        Canvas c = t.MakeCanvas();
        c.SetBkMode(mode);
        c.SetBkColor(kRed);
        c.SelectPen({PS_DOT, 1, kWhite});
        c.MoveTo(0, 0);
        c.LineTo(13, 0);
        EXPECT_EQ(t.Dump()[0], mode == OPAQUE ? "###RRR###RRR#." : "###...###...#.") << mode;
    }
}

TEST_P(CanvasShapes, WidePenIsRoundAndCentred) {
    Target t(GetParam(), 9, 7);
    Canvas c = t.MakeCanvas();
    c.SelectPen({PS_SOLID, 3, kWhite});
    c.MoveTo(2, 3);
    c.LineTo(6, 3);
    EXPECT_EQ(t.Dump(), (Rows{
                            ".........",
                            ".........",
                            ".#######.",
                            ".#######.",
                            ".#######.",
                            ".........",
                            ".........",
                        }));
}

// Far-away end points cost no more than the visible part and draw what a short line would.
TEST_P(CanvasShapes, LinesToFarPoints) {
    Target t(GetParam(), 8, 8);
    Canvas c = t.MakeCanvas();
    c.SelectPen({PS_SOLID, 1, kWhite});
    c.MoveTo(0, 1);
    c.LineTo(2000000000, 1);
    c.MoveTo(-1000000000, -1000000000);
    c.LineTo(1000000000, 1000000000);
    c.SelectPen({PS_SOLID, 3, kRed});
    c.MoveTo(-2000000000, 6);
    c.LineTo(2000000000, 6);
    const Rows rows = t.Dump();
    EXPECT_EQ(rows[1], "########");
    for (int i = 2; i < 5; ++i) EXPECT_EQ(rows[i][i], '#') << i;
    EXPECT_EQ(rows[3][0], '.');
    for (int y = 5; y < 8; ++y) EXPECT_EQ(rows[y], "RRRRRRRR") << y;
}

TEST_P(CanvasShapes, ShapesAndCopiesReachingTheEndsOfTheCoordinateRange) {
    // Far-away corners and sizes up to the largest int are clipped, never wrapped around:
    // a wedge to the far corner covers what the same wedge to a nearer corner covers.
    auto wedge = [&](int far) {
        Target t(GetParam(), 6, 4);
        Canvas c = t.MakeCanvas();
        c.SelectPen({PS_NULL, 1, kWhite});
        c.SelectBrush(Brush::SolidColor(kGreen));
        const Point points[3] = {{0, 0}, {far, far}, {0, 3}};
        c.Polygon(points);
        c.SelectPen({PS_SOLID, 3, kRed});
        const Point away[2] = {{far, 0}, {far - 1, 0}};
        c.Polyline(away);
        c.SelectPen({PS_SOLID, 1, kRed});
        const Point thin[2] = {{far - 3, 0}, {far, 0}};
        c.Polyline(thin);
        c.SetTextColor(kRed);
        c.TextOut(far, 0, "x");
        Rect box{far - 1, 0, far, far};
        c.DrawText("x", box, DT_LEFT);
        return t.Dump();
    };
    const Rows near = wedge(600);
    EXPECT_EQ(near, (Rows{"......", "G.....", "GG....", ".GG..."}));
    EXPECT_EQ(wedge(INT32_MAX), near);

    Target t(GetParam(), 6, 2);
    Canvas c = t.MakeCanvas();
    Target src(GetParam(), 2, 1);
    Canvas s = src.MakeCanvas();
    s.SetPixel(0, 0, kWhite);
    s.SetPixel(1, 0, kBlue);
    // Two source columns stretched over the whole int range: every visible pixel is the first.
    EXPECT_TRUE(c.StretchBlt(1, 1, INT32_MAX, 1, s, 0, 0, 2, 1, SRCCOPY));
    c.StretchBlt(INT32_MIN, 0, INT32_MAX, 1, s, 0, 0, 2, 1, SRCCOPY);  // ends left of column 0
    EXPECT_EQ(t.Dump(), (Rows{"......", ".#####"}));

    // Measuring text at the far corner holds the measured corner there.
    Rect box{INT32_MAX - 1, INT32_MAX - 1, INT32_MAX, INT32_MAX};
    EXPECT_GT(c.DrawText("xyz", box, DT_CALCRECT | DT_SINGLELINE), 0);
    EXPECT_EQ(box, (Rect{INT32_MAX - 1, INT32_MAX - 1, INT32_MAX, INT32_MAX}));
}

TEST_P(CanvasShapes, InvertingOperationsUndoThemselves) {
    Target t(GetParam(), 10, 8);
    Canvas c = t.MakeCanvas();
    c.FillRect({0, 0, 5, 8}, Brush::SolidColor(kRed));
    c.FillRect({5, 0, 10, 8}, Brush::SolidColor(kGrey));
    const Rows before = t.Dump();
    c.DrawFocusRect({1, 1, 9, 7});
    const Rows focused = t.Dump();
    EXPECT_NE(focused, before);
    EXPECT_EQ(focused[4][3], before[4][3]);  // the inside is left alone
    c.DrawFocusRect({1, 1, 9, 7});
    EXPECT_EQ(t.Dump(), before);
    c.InvertRect({2, 2, 7, 6});
    c.InvertRect({2, 2, 7, 6});
    EXPECT_EQ(t.Dump(), before);
    c.PatBlt(0, 0, 10, 8, DSTINVERT);
    c.PatBlt(0, 0, 10, 8, DSTINVERT);
    EXPECT_EQ(t.Dump(), before);
}

TEST_P(CanvasShapes, OriginAndClipping) {
    Target t(GetParam(), 8, 6);
    // A window whose client area starts at (2, 1) and whose visible part is 4 x 4.
    Canvas c = t.MakeCanvas({2, 1}, {2, 1, 6, 5});
    c.FillRect({-5, -5, 50, 50}, Brush::SolidColor(kWhite));
    EXPECT_EQ(t.Dump(), (Rows{
                            "........",
                            "..####..",
                            "..####..",
                            "..####..",
                            "..####..",
                            "........",
                        }));
    EXPECT_EQ(c.ClipBox(), (Rect{0, 0, 4, 4}));
    // The clip calls narrow the visible part but never widen it.
    c.SetClipRect({-10, -10, 100, 100});
    EXPECT_EQ(c.ClipBox(), (Rect{0, 0, 4, 4}));
    c.ExcludeClipRect({1, 1, 3, 3});
    c.FillRect({0, 0, 4, 4}, Brush::SolidColor(kRed));
    EXPECT_EQ(t.Dump(), (Rows{
                            "........",
                            "..RRRR..",
                            "..R##R..",
                            "..R##R..",
                            "..RRRR..",
                            "........",
                        }));
    EXPECT_EQ(c.GetPixel(1, 1), kColorInvalid);
    EXPECT_EQ(c.SetPixel(-1, 0, kRed), kColorInvalid);
    EXPECT_EQ(c.GetPixel(0, 0), kRed);
    c.ResetClip();
    EXPECT_EQ(c.GetPixel(1, 1), kWhite);
    c.ExcludeFromVisibleRegion({4, 1, 8, 6});  // a window above covers the right half
    c.ResetClip();
    c.FillRect({0, 0, 4, 4}, Brush::SolidColor(kGreen));
    EXPECT_EQ(t.Dump(), (Rows{
                            "........",
                            "..GGRR..",
                            "..GG#R..",
                            "..GG#R..",
                            "..GGRR..",
                            "........",
                        }));
}

// ---- blits ----

TEST(CanvasBlit, SourceRectangleIsClippedToTheSource) {
    // A 4 x 3 source of distinct indices, copied with rectangles that run off its edges.
    std::vector<RgbQuad> pal(256);
    for (int i = 0; i < 256; ++i) pal[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    std::vector<uint8_t> srcPixels(4 * 3);
    IndexedSurface src{srcPixels.data(), 4, 3, 4, false, pal.data(), 256};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) src.Row(y)[x] = uint8_t(10 * (y + 1) + x);
    }
    struct Case {
        const char* name;
        int x, y, w, h, sx, sy;
        std::vector<std::string> expected;  // destination rows, hex digits of index - 10*row
    };
    auto render = [](const IndexedSurface& s) {
        std::vector<std::string> rows;
        for (int y = 0; y < s.height; ++y) {
            std::string r;
            for (int x = 0; x < s.width; ++x) {
                const uint8_t v = s.Row(y)[x];
                r.push_back(v == 0 ? '.' : char('a' + (v / 10 - 1) * 4 + v % 10));
            }
            rows.push_back(r);
        }
        return rows;
    };
    // Letters: row 0 = a b c d, row 1 = e f g h, row 2 = i j k l.
    const Case cases[] = {
        {"whole", 0, 0, 4, 3, 0, 0, {"abcd..", "efgh..", "ijkl..", "......"}},
        {"runs off right and bottom", 1, 1, 10, 10, 2, 1, {"......", ".gh...", ".kl...", "......"}},
        {"negative source x", 1, 0, 4, 2, -2, 0, {"...ab.", "...ef.", "......", "......"}},
        {"negative source y", 0, 0, 2, 3, 0, -1, {"......", "ab....", "ef....", "......"}},
        {"source entirely outside", 0, 0, 3, 3, 4, 0, {"......", "......", "......", "......"}},
        {"negative destination", -1, -1, 3, 3, 0, 0, {"fg....", "jk....", "......", "......"}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> dstPixels(8 * 4, 0);
        IndexedSurface dst{dstPixels.data(), 6, 4, 8, true, pal.data(), 256};
        Canvas(dst).BitBlt(c.x, c.y, c.w, c.h, Canvas(src), c.sx, c.sy, SRCCOPY);
        EXPECT_EQ(render(dst), c.expected) << c.name;
    }
}

TEST(CanvasBlit, RasterOperationsOnIndicesAndOnColours) {
    struct Case {
        uint32_t rop;
        uint8_t index;   // destination 0x5A, source 0x3C
        uint32_t pixel;  // destination 0x00F0F0F0, source 0x000FF00F
    };
    const Case cases[] = {
        {SRCCOPY, 0x3C, 0x0FF00F},   {SRCPAINT, 0x7E, 0xFFF0FF},   {SRCAND, 0x18, 0x00F000},
        {SRCINVERT, 0x66, 0xFF00FF}, {NOTSRCCOPY, 0xC3, 0xF00FF0}, {DSTINVERT, 0xA5, 0x0F0F0F},
        {BLACKNESS, 0x00, 0x000000}, {WHITENESS, 0xFF, 0xFFFFFF},
    };
    std::vector<RgbQuad> pal(256);
    for (int i = 0; i < 256; ++i) pal[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
    for (const Case& c : cases) {
        uint8_t d8 = 0x5A, s8 = 0x3C;
        IndexedSurface dst{&d8, 1, 1, 1, false, pal.data(), 256};
        IndexedSurface src{&s8, 1, 1, 1, false, pal.data(), 256};
        EXPECT_TRUE(Canvas(dst).BitBlt(0, 0, 1, 1, Canvas(src), 0, 0, c.rop));
        EXPECT_EQ(d8, c.index) << std::hex << c.rop;

        uint32_t d32 = 0xF0F0F0, s32 = 0x0FF00F;
        Canvas dc(Surface32{&d32, 1, 1, 1});
        EXPECT_TRUE(dc.BitBlt(0, 0, 1, 1, Canvas(Surface32{&s32, 1, 1, 1}), 0, 0, c.rop));
        EXPECT_EQ(d32, c.pixel) << std::hex << c.rop;
    }
    uint8_t d8 = 0;
    EXPECT_FALSE(Canvas(IndexedSurface{&d8, 1, 1, 1, false, pal.data(), 256})
                     .BitBlt(0, 0, 1, 1, Canvas(), 0, 0, 0x00BB0226));  // not supported
}

TEST(CanvasBlit, ColoursConvertBetweenSurfaceKinds) {
    Target indexed(true, 3, 1), other(true, 3, 1), rgb(false, 3, 1);
    {
        Canvas c = indexed.MakeCanvas();
        c.SetPixel(0, 0, kRed);
        c.SetPixel(1, 0, kBlue);
        c.SetPixel(2, 0, kGrey);
    }
    // 8-bit to 32-bit goes through the source's colour table.
    Canvas rc = rgb.MakeCanvas();
    rc.BitBlt(0, 0, 3, 1, indexed.MakeCanvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(rgb.Dump()[0], "RBg");
    // 32-bit to 8-bit takes the nearest entries.
    rc.SetPixel(0, 0, Rgb(250, 20, 20));
    Target back(true, 3, 1);
    back.MakeCanvas().BitBlt(0, 0, 3, 1, rgb.MakeCanvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(back.Dump()[0], "RBg");
    // Between two 8-bit surfaces with different tables the colours are kept, not the indices.
    std::swap(other.Palette()[2], other.Palette()[4]);  // red and blue change places
    other.MakeCanvas().BitBlt(0, 0, 3, 1, indexed.MakeCanvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(other.Dump()[0], "RBg");
    EXPECT_EQ(*other.MakeCanvas().GetRawPixel(0, 0), 4u);
}

TEST(CanvasBlit, SameTableCopiesIndicesEvenForEqualColours) {
    // Two entries of one colour: a colour-keyed sprite sheet relies on the index surviving.
    std::vector<RgbQuad> pal = TestPalette();
    pal.push_back({0, 0, 0, 0});  // index 6: black again
    uint8_t s = 6, d = 1;
    Canvas(IndexedSurface{&d, 1, 1, 1, false, pal.data(), int(pal.size())})
        .BitBlt(0, 0, 1, 1, Canvas(IndexedSurface{&s, 1, 1, 1, false, pal.data(), 7}), 0, 0,
                SRCCOPY);
    EXPECT_EQ(d, 6);
}

TEST_P(CanvasShapes, OverlappingCopyWithinOneSurface) {
    Target t(GetParam(), 6, 1);
    Canvas c = t.MakeCanvas();
    const ColorRef colours[] = {kWhite, kRed, kGreen, kBlue, kGrey, kBlack};
    for (int x = 0; x < 6; ++x) c.SetPixel(x, 0, colours[x]);
    c.BitBlt(1, 0, 4, 1, c, 0, 0, SRCCOPY);  // scroll right by one
    EXPECT_EQ(t.Dump()[0], "##RGB.");
    c.BitBlt(0, 0, 5, 1, c, 1, 0, SRCCOPY);  // and back left
    EXPECT_EQ(t.Dump()[0], "#RGB..");
}

TEST_P(CanvasShapes, StretchAndKeyedCopies) {
    Target src(GetParam(), 2, 2), dst(GetParam(), 6, 4);
    Canvas s = src.MakeCanvas();
    s.SetPixel(0, 0, kWhite);
    s.SetPixel(1, 0, kRed);
    s.SetPixel(0, 1, kGreen);
    s.SetPixel(1, 1, kBlack);
    Canvas d = dst.MakeCanvas();
    d.FillRect({0, 0, 6, 4}, Brush::SolidColor(kBlue));
    d.StretchBlt(0, 0, 4, 4, s, 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(dst.Dump(), (Rows{
                              "##RRBB",
                              "##RRBB",
                              "GG..BB",
                              "GG..BB",
                          }));
    d.FillRect({0, 0, 6, 4}, Brush::SolidColor(kBlue));
    d.TransparentBlt(4, 2, 2, 2, s, 0, 0, 2, 2, kBlack);  // black stays out
    d.TransparentBlt(0, 0, 4, 2, s, 0, 0, 2, 1, kRed);    // stretched, red stays out
    EXPECT_EQ(dst.Dump(), (Rows{"##BBBB", "##BBBB", "BBBB#R", "BBBBGB"}));
}

// Keyed copies between every pair of surface kinds, stretched and clipped, against the
// pixel-by-pixel meaning: a destination pixel takes its source pixel unless that is the key.
TEST(CanvasKeyedCopy, EverySurfacePairStretchedAndClipped) {
    const ColorRef colours[] = {kWhite, kRed, kGreen, kBlue, kBlack};
    for (const bool srcIndexed : {false, true}) {
        for (const bool dstIndexed : {false, true}) {
            SCOPED_TRACE(std::string(srcIndexed ? "indexed" : "rgb") + " to " +
                         (dstIndexed ? "indexed" : "rgb"));
            Target src(srcIndexed, 5, 3), dst(dstIndexed, 12, 8);
            Canvas s = src.MakeCanvas();
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) s.SetPixel(x, y, colours[(x + 2 * y) % 5]);
            Canvas d = dst.MakeCanvas();
            d.FillRect({0, 0, 12, 8}, Brush::SolidColor(kGrey));
            d.ExcludeClipRect({4, 2, 6, 4});
            // Source (1, 0)-(5, 3) stretched to 8 x 6 at (2, 1), partly off the right edge.
            ASSERT_TRUE(d.TransparentBlt(2, 1, 12, 6, s, 1, 0, 4, 3, kGreen));
            Canvas check = dst.MakeCanvas();
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 12; ++x) {
                    ColorRef want = kGrey;
                    const bool inside = x >= 2 && y >= 1 && y < 7;
                    const bool clipped = x >= 4 && x < 6 && y >= 2 && y < 4;
                    if (inside && !clipped) {
                        const ColorRef from = s.GetPixel(1 + (x - 2) * 4 / 12, (y - 1) * 3 / 6);
                        if (from != kGreen) want = from;
                    }
                    EXPECT_EQ(check.GetPixel(x, y), want) << x << "," << y;
                }
            }
        }
    }
}

}  // namespace
}  // namespace zv::ui
