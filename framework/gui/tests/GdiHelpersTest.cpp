#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "framework/gui/GdiHelpers.h"

namespace zv::fw {
namespace {

// Index 0 white, 1 black, 2 shadow grey, 3 red, 4 green.
std::vector<ui::RgbQuad> Table() {
    std::vector<ui::RgbQuad> t(256);
    t[0] = {255, 255, 255, 0};
    t[1] = {0, 0, 0, 0};
    t[2] = {32, 32, 32, 0};
    t[3] = {0, 0, 255, 0};
    t[4] = {0, 255, 0, 0};
    for (int i = 5; i < 256; ++i) t[i] = {200, 100, 50, 0};
    return t;
}

std::vector<std::string> Rows(Dib& dib) {
    std::vector<std::string> rows;
    for (int y = 0; y < dib.GetHeight(); ++y) {
        std::string r;
        for (int x = 0; x < dib.GetWidth(); ++x)
            r.push_back(".#sRG?"[std::min<int>(*dib.GetPixelAddress(x, y), 5)]);
        rows.push_back(r);
    }
    return rows;
}

class DibHelpers : public ::testing::Test {
  protected:
    std::vector<ui::RgbQuad> table = Table();
    Dib dib{8, 6, table.data()};
};

TEST_F(DibHelpers, FillsAndFramesIncludeTheirCorners) {
    ui::Canvas dc = CanvasOnDib(&dib);
    FillRectColorDC(&dc, 0, 0, 0, 0, ui::Rgb(255, 0, 0));  // exactly one pixel
    FrameRectColorOnDib({}, &dib, 2, 1, 5, 3, ui::Rgb(0, 0, 0));
    FillRectColor({}, &dib, 7, 4, 7, 5, ui::Rgb(0, 255, 0));
    FillRectColor({}, &dib, 3, 3, 2, 2, ui::Rgb(0, 255, 0));  // right of left: nothing
    EXPECT_EQ(Rows(dib), (std::vector<std::string>{
                             "R.......",
                             "..####..",
                             "..#..#..",
                             "..####..",
                             ".......G",
                             ".......G",
                         }));
}

TEST_F(DibHelpers, RaisedFrameAndShadowedLineDrawTheShadowFirst) {
    DrawRaisedFrameOnDib({}, &dib, 1, 1, 4, 3, ui::Rgb(255, 0, 0));
    EXPECT_EQ(Rows(dib), (std::vector<std::string>{
                             "........",
                             ".RRRRs..",
                             ".RssRs..",
                             ".RRRRs..",
                             ".sssss..",
                             "........",
                         }));
    Dib lines(8, 4, table.data());
    DrawPolylineOnDib({}, &lines, 1, 1, 5, 1, ui::PS_SOLID, 1, ui::Rgb(0, 255, 0));
    DrawLineOnDib({}, &lines, 0, 3, 3, 3, ui::PS_SOLID, 1, ui::Rgb(255, 0, 0));
    EXPECT_EQ(Rows(lines), (std::vector<std::string>{
                               "........",
                               ".GGGGs..",
                               ".sssss..",
                               "RRR.....",
                           }));
}

TEST_F(DibHelpers, ShadowedTextHasADarkOutlineBelowAndRight) {
    Dib big(60, 24, table.data());
    DrawTextShadowedOnDib({}, &big, {2, 2, 58, 22}, "Ab\x8a\xbf", 16, 1, ui::Rgb(0, 0, 0), 0);
    int black = 0, shadow = 0;
    auto at = [&](int x, int y) -> int {
        const uint8_t* p = big.GetPixelAddress(x, y);
        return p ? *p : 0;
    };
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 60; ++x) {
            const int v = at(x, y);
            ASSERT_TRUE(v == 0 || v == 1 || v == 2) << "only white, text and shadow";
            if (v == 1) {
                ++black;
                // Right of, below and diagonally below right of the text: text or shadow.
                EXPECT_NE(at(x + 1, y), 0);
                EXPECT_NE(at(x, y + 1), 0);
                EXPECT_NE(at(x + 1, y + 1), 0);
            } else if (v == 2) {
                ++shadow;
                // Every shadow pixel sits right of, below or below right of a text pixel.
                EXPECT_TRUE(at(x - 1, y) == 1 || at(x, y - 1) == 1 || at(x - 1, y - 1) == 1)
                    << x << "," << y;
            }
        }
    }
    EXPECT_GT(black, 20);
    EXPECT_GT(shadow, 10);
}

TEST_F(DibHelpers, TextHelpersRestoreTheCanvasAndIgnoreNullTexts) {
    ui::Canvas dc = CanvasOnDib(&dib);
    const ui::Font font = CreateJapaneseFont(20, 0, 1);
    dc.SelectFont(font);
    dc.SetBkMode(ui::OPAQUE);
    dc.SetTextColor(ui::Rgb(0, 255, 0));
    DrawTextWithFont(&dc, 0, 0, "x", 12, 1, ui::Rgb(255, 0, 0));
    EXPECT_EQ(dc.BkMode(), ui::OPAQUE);
    EXPECT_EQ(dc.TextColor(), ui::Rgb(0, 255, 0));
    EXPECT_EQ(dc.CurrentFont().Spec().height, -20);
    EXPECT_EQ(dc.CurrentFont().Spec().weight, ui::FW_BOLD);

    Dib clean(8, 6, table.data());
    const auto before = Rows(clean);
    ui::Canvas c2 = CanvasOnDib(&clean);
    DrawTextPlain(&c2, {0, 0, 8, 6}, nullptr, 12, 1, ui::Rgb(0, 0, 0), 0);
    DrawTextShadowed(nullptr, {0, 0, 8, 6}, "x", 12, 1, ui::Rgb(0, 0, 0), 0);
    DrawTextWithFont(&c2, 0, 0, nullptr, 12, 1, 0);
    Dib empty;
    DrawTextOnDib({}, &empty, 0, 0, "x", 12, 1, 0);
    FillRectColor({}, nullptr, 0, 0, 3, 3, 0);
    EXPECT_EQ(Rows(clean), before);
}

TEST_F(DibHelpers, CornersAtTheLargestCoordinateReachTheEdge) {
    // Inclusive corners become exclusive ones and shadows move by a pixel; neither may wrap.
    FillRectColor({}, &dib, 6, 4, INT_MAX, INT_MAX, ui::Rgb(0, 255, 0));
    DrawRaisedFrameOnDib({}, &dib, 0, 0, INT_MAX, INT_MAX, ui::Rgb(255, 0, 0));
    DrawPolylineOnDib({}, &dib, 2, 2, INT_MAX, 2, ui::PS_SOLID, 1, ui::Rgb(0, 0, 0));
    EXPECT_EQ(Rows(dib), (std::vector<std::string>{
                             "RRRRRRRR",
                             "Rsssssss",
                             "Rs######",
                             "Rsssssss",
                             "Rs....GG",
                             "Rs....GG",
                         }));
    DrawTextShadowedOnDib({}, &dib, {INT_MAX - 1, 0, INT_MAX, INT_MAX}, "x", 12, 1, 0, 0);
}

TEST(JapaneseFont, FaceAndWeightAsAsked) {
    struct Case {
        int size, face, bold;
        const char* faceName;
        uint8_t family;
        int weight;
    };
    const Case cases[] = {
        {12, 1, 0, "ＭＳ ゴシック", ui::FIXED_PITCH | ui::FF_MODERN, 400},
        {16, 0, 1, "ＭＳ 明朝", ui::FIXED_PITCH | ui::FF_ROMAN, 700},
        {10, 7, 0, "ＭＳ ゴシック", ui::FIXED_PITCH | ui::FF_MODERN, 400},
    };
    for (const Case& c : cases) {
        const ui::Font f = CreateJapaneseFont(c.size, c.face, c.bold);
        EXPECT_EQ(f.Spec().height, -c.size);
        EXPECT_EQ(f.Spec().faceName, c.faceName);
        EXPECT_EQ(f.Spec().pitchAndFamily, c.family);
        EXPECT_EQ(f.Spec().weight, c.weight);
        EXPECT_EQ(f.Metrics().height, c.size);
    }
}

}  // namespace
}  // namespace zv::fw
