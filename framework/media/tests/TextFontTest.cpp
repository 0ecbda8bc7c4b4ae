#include "framework/media/DrawSurface.h"
#include "framework/media/TextFont.h"
#include "framework/media/tests/MediaTestSupport.h"
#include "platform/core/Sjis.h"

namespace zv::fw {
namespace {

// Bounding box of the pixels that are not `background`.
ui::Rect InkBox(ui::Surface32 s, uint32_t background) {
    ui::Rect box{s.width, s.height, -1, -1};
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            if (s.Row(y)[x] == background) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    return box;
}

TEST(TextFont, FacesAndWeights) {
    struct Case {
        int face, weightCode, weight;
        const char* faceName;
    };
    const Case cases[] = {
        {kFaceMincho, 0, 400, "ＭＳ 明朝"},
        {kFaceGothic, 1, 700, "ＭＳ ゴシック"},
        {kFaceHeiseiMincho, 1, 700, "ＭＳ 明朝"},
        {9, 2, 0, ""},
    };
    for (const Case& c : cases) {
        TextFont f(c.face, 18, 0, c.weightCode, 1, 0);
        ASSERT_TRUE(f.HasFont());
        EXPECT_EQ(f.Spec()->weight, c.weight) << c.face;
        EXPECT_EQ(f.Spec()->faceName, c.faceName) << c.face;
        EXPECT_EQ(f.Spec()->height, 18);
        EXPECT_TRUE(f.Spec()->italic);
        EXPECT_FALSE(f.Spec()->underline);
        EXPECT_EQ(f.Spec()->pitchAndFamily, 0x31);
    }
    auto byFace = TextFont::TextFontByFace("ＭＳ ゴシック", -12, 90, 0, 0, 1);
    EXPECT_EQ(byFace->Spec()->faceName, "ＭＳ ゴシック");
    EXPECT_TRUE(byFace->Spec()->underline);
    EXPECT_EQ(byFace->Escapement(), 90);
    auto heisei =
        TextFont::TextFontByFace(core::Utf8ToSjis("ＤＦ平成明朝体W7").c_str(), 18, 0, 1, 0, 0);
    EXPECT_EQ(heisei->Spec()->faceName, "ＭＳ 明朝");
    TextFont none;
    EXPECT_FALSE(none.HasFont());
}

TEST(TextFont, DrawsMeasuresAndReleases) {
    ui::Surface32Buffer buf(200, 80, 0xFFFFFF);
    ui::Canvas dc(buf.View());
    ui::Font before = dc.CurrentFont();
    TextFont font(kFaceGothic, 16, 0, 0, 0, 0);
    font.Release();  // never selected: nothing changes
    EXPECT_EQ(dc.CurrentFont().Spec().faceName, before.Spec().faceName);
    font.Select(&dc);
    EXPECT_TRUE(font.IsSelected());
    font.SetColors(ui::Rgb(0, 0, 0), ui::Rgb(255, 0, 0), 1);
    EXPECT_EQ(dc.BkMode(), ui::TRANSPARENT);
    ui::Size ab, amp;
    font.GetTextSize("AB", &ab);
    font.GetTextSize("A&B", &amp);
    EXPECT_GT(amp.cx, ab.cx) << "an ampersand is a character, not a prefix";
    font.DrawAt(10, 5, "AB");
    ui::Rect ink = InkBox(buf.View(), 0xFFFFFF);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 10 + ab.cx + 1);
    EXPECT_GE(ink.top, 5);

    // Left-aligned, wrapped at the space.
    buf.Resize(200, 80, 0xFFFFFF);
    ui::Canvas dc2(buf.View());
    font.Release();
    font.Select(&dc2);
    font.SetColors(ui::Rgb(0, 0, 0), 0, 1);
    ui::Size word;
    font.GetTextSize("WWWW", &word);
    font.DrawInRect(0, 0, word.cx + 4, 80, "WWWW WWWW", 0);
    ink = InkBox(buf.View(), 0xFFFFFF);
    EXPECT_LT(ink.left, 3);
    EXPECT_GE(ink.Height(), word.cy + 4) << "two lines";
    EXPECT_LE(ink.right, word.cx + 4);
    font.Release();
    EXPECT_FALSE(font.IsSelected());
    EXPECT_EQ(dc2.CurrentFont().Spec().faceName, before.Spec().faceName) << "the old font is back";
}

TEST(TextFont, DrawsOnASurfaceThroughItsDeviceContext) {
    DrawSurface s(nullptr, 120, 40, 0);
    s.ColourFill(0, 0, 120, 40, 0xFFFF);
    {
        TextFont font(kFaceMincho, 18, 0, 1, 0, 0);
        font.SelectIntoSurface(&s);
        font.SetColors(ui::Rgb(0, 0, 0), 0, 1);
        font.DrawAt(4, 4, "ZV6");
        font.Release();  // writes the drawing back into the surface
    }
    int dark = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) dark += s.Pixels()->At(x, y) == 0;
    }
    EXPECT_GT(dark, 20);
    EXPECT_EQ(s.Pixels()->At(119, 39), 0xFFFF);
}

}  // namespace
}  // namespace zv::fw
