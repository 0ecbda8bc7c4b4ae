#include <gtest/gtest.h>

#include <algorithm>

#include "saver/Sprites.h"

namespace zv::saver {
namespace {

fw::Surface16 Pattern(int w, int h, uint16_t seed) {
    fw::Surface16 s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.Set(x, y, uint16_t(seed * 31 + x * 2654435761u + y * 40503u));
    return s;
}

TEST(SaverSprites, RasterOperationsWorkOnTheWords) {
    struct Case {
        Rop rop;
        uint16_t dst, src, want;
    } cases[] = {
        {Rop::Copy, 0x1234, 0xF81F, 0xF81F},   {Rop::And, 0xFFFF, 0x07E0, 0x07E0},
        {Rop::And, 0xF800, 0x07E0, 0x0000},    {Rop::Paint, 0xF800, 0x001F, 0xF81F},
        {Rop::Invert, 0xF81F, 0xFFFF, 0x07E0}, {Rop::Invert, 0xABCD, 0xABCD, 0x0000},
    };
    for (const Case& c : cases) {
        fw::Surface16 dst(1, 1), src(1, 1);
        dst.Set(0, 0, c.dst);
        src.Set(0, 0, c.src);
        BltRop(dst, 0, 0, 1, 1, src, 0, 0, c.rop, dst.Bounds());
        EXPECT_EQ(dst.At(0, 0), c.want) << int(c.rop);
    }
}

// A copy half outside the clip draws exactly the part inside it, from the matching source
// pixels; XOR-ing it again restores every word.
TEST(SaverSprites, ClippedXorCopiesRestoreTheScreen) {
    fw::Surface16 screen = Pattern(40, 30, 1);
    const fw::Surface16 before = Pattern(40, 30, 1);
    const fw::Surface16 sprite = Pattern(16, 12, 2);
    const ui::Rect clip{5, 4, 30, 25};
    const int drawn = BltRop(screen, 22, -3, 16, 12, sprite, 0, 0, Rop::Invert, clip);
    EXPECT_EQ(drawn, (30 - 22) * (9 - 4));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 22 && x < 30 && y >= 4 && y < 9;
            const uint16_t want =
                inside ? uint16_t(before.At(x, y) ^ sprite.At(x - 22, y + 3)) : before.At(x, y);
            ASSERT_EQ(screen.At(x, y), want) << x << "," << y;
        }
    BltRop(screen, 22, -3, 16, 12, sprite, 0, 0, Rop::Invert, clip);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(screen.At(x, y), before.At(x, y));
    // Nothing at all outside both the surface and the clip.
    EXPECT_EQ(BltRop(screen, 100, 100, 16, 12, sprite, 0, 0, Rop::Copy, screen.Bounds()), 0);
    EXPECT_EQ(BltRop(screen, 0, 0, 16, 12, sprite, 20, 0, Rop::Copy, screen.Bounds()), 0);
}

TEST(SaverSprites, MonochromeMasksTakeTheFigureColour) {
    fw::Surface16 sheet(4, 2);
    sheet.Set(1, 0, 0xFFFF);
    sheet.Set(2, 1, 0xFFFF);
    sheet.Set(3, 1, 0xFFFE);  // almost white is not white
    const MonoBitmap mask = MakeMonoFromWhite(sheet);
    fw::Surface16 screen(4, 2);
    screen.Fill(screen.Bounds(), 0x0841);
    BltMono(screen, 0, 0, 4, 2, mask, 0, 0, 0xF800, 0, Rop::Invert, screen.Bounds());
    EXPECT_EQ(screen.At(0, 0), 0x0841);
    EXPECT_EQ(screen.At(1, 0), 0x0841 ^ 0xF800);
    EXPECT_EQ(screen.At(2, 1), 0x0841 ^ 0xF800);
    EXPECT_EQ(screen.At(3, 1), 0x0841);
}

TEST(SaverSprites, MirroredCopiesRunBackwards) {
    const fw::Surface16 src = Pattern(8, 3, 3);
    fw::Surface16 dst(10, 3);
    BltRopMirrored(dst, 1, 0, 8, 3, src, 0, 0, Rop::Copy, {3, 0, 10, 3});
    EXPECT_EQ(dst.At(1, 0), 0);  // clipped
    for (int x = 3; x < 9; ++x) EXPECT_EQ(dst.At(x, 1), src.At(7 - (x - 1), 1));
}

TEST(SaverSprites, DottedXorLinesAndMergedRings) {
    fw::Surface16 screen(32, 32);
    DrawLine(screen, 2, 3, 20, 3, 0xF800, Rop::Invert, true, screen.Bounds());
    for (int x = 0; x < 32; ++x)
        EXPECT_EQ(screen.At(x, 3), (x >= 2 && x < 20 && (x - 2) % 2 == 0) ? 0xF800 : 0) << x;
    DrawLine(screen, 2, 3, 20, 3, 0xF800, Rop::Invert, true, screen.Bounds());
    EXPECT_EQ(std::count(screen.Pixels(), screen.Pixels() + 32 * 32, 0), 32 * 32);
    // Rings: every pixel once, symmetric, at its radius.
    DrawCircle(screen, 16, 16, 5, 0x001F, Rop::Invert, screen.Bounds());
    int n = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (!screen.At(x, y)) continue;
            ++n;
            EXPECT_EQ(screen.At(32 - x, y), 0x001F);
            const int d2 = (x - 16) * (x - 16) + (y - 16) * (y - 16);
            EXPECT_GE(d2, 16);
            EXPECT_LE(d2, 36);
        }
    EXPECT_GT(n, 20);
}

// A keyed copy leaves the screen's word wherever the sprite's word is 0 and takes the sprite's
// word exactly elsewhere, clipped like any copy.
TEST(SaverSprites, KeyedCopiesSkipTheKeyWordForWord) {
    fw::Surface16 screen = Pattern(20, 10, 3);
    const fw::Surface16 before = Pattern(20, 10, 3);
    fw::Surface16 sprite = Pattern(8, 6, 4);
    for (int y = 0; y < 6; ++y) sprite.Set(y, y, 0);  // a diagonal of key
    sprite.Set(7, 0, 0x0001);                          // the darkest blue is no key
    const ui::Rect clip{0, 0, 18, 10};
    const int drawn = BltKeyed(screen, 12, 2, 8, 6, sprite, 0, 0, clip);
    int want = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool in = x >= 12 && x < 18 && y >= 2 && y < 8;
            const uint16_t v = in ? sprite.At(x - 12, y - 2) : 0;
            want += in && v != 0;
            ASSERT_EQ(screen.At(x, y), in && v != 0 ? v : before.At(x, y)) << x << "," << y;
        }
    EXPECT_EQ(drawn, want);
    EXPECT_EQ(screen.At(12, 2), before.At(12, 2));
}

// The figures of the battle scenes: a monochrome mask ANDed as white and black, then the
// figure ORed in the side's colour: the figure's pixels take exactly the colour, the mask's
// border black, and everything else keeps its word.
TEST(SaverSprites, MaskThenFigureGivesTheColourInsideAndKeepsTheRest) {
    fw::Surface16 screen = Pattern(6, 3, 5);
    const fw::Surface16 before = Pattern(6, 3, 5);
    MonoBitmap mask{6, 3, {1, 0, 0, 0, 0, 1,  //
                           1, 0, 0, 0, 0, 1,  //
                           1, 1, 1, 1, 1, 1}};
    MonoBitmap figure{6, 3, {0, 0, 1, 1, 0, 0,  //
                             0, 1, 1, 1, 0, 0,  //
                             0, 0, 0, 0, 0, 0}};
    const uint16_t colour = 0xFBC0;
    BltMono(screen, 0, 0, 6, 3, mask, 0, 0, 0xFFFF, 0, Rop::And, screen.Bounds());
    BltMono(screen, 0, 0, 6, 3, figure, 0, 0, colour, 0, Rop::Paint, screen.Bounds());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) {
            const uint16_t want = figure.At(x, y) ? colour : mask.At(x, y) ? before.At(x, y) : 0;
            EXPECT_EQ(screen.At(x, y), want) << x << "," << y;
        }
}

}  // namespace
}  // namespace zv::saver
