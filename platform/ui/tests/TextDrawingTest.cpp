#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/ui/Canvas.h"
#include "platform/ui/Font.h"
#include "platform/ui/Text.h"
#include "platform/ui/TextFitCheck.h"

namespace zv::ui {
namespace {

constexpr ColorRef kWhite = Rgb(255, 255, 255);
constexpr ColorRef kBlack = Rgb(0, 0, 0);

Font Gothic(int height, int weight = FW_NORMAL) {
    return Font(FontSpec{-height, weight, false, false, FIXED_PITCH | FF_MODERN, "ＭＳ ゴシック"});
}

// The box of pixels that differ from the background, in canvas coordinates.
struct Ink {
    Rect box{};
    int count = 0;
};

Ink InkOf(const Canvas& c, int w, int h, ColorRef background) {
    Ink ink;
    ink.box = {w, h, -1, -1};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (c.GetPixel(x, y) == background) continue;
            ++ink.count;
            ink.box.left = std::min(ink.box.left, x);
            ink.box.top = std::min(ink.box.top, y);
            ink.box.right = std::max(ink.box.right, x + 1);
            ink.box.bottom = std::max(ink.box.bottom, y + 1);
        }
    }
    return ink;
}

class Rgb32Target {
  public:
    Rgb32Target(int w, int h) : buffer_(w, h, 0) {}
    Canvas MakeCanvas() { return Canvas(buffer_.View()); }
    Surface32Buffer& Buffer() { return buffer_; }

  private:
    Surface32Buffer buffer_;
};

TEST(TextDecoding, BothEncodings) {
    struct Case {
        std::string bytes;
        TextEncoding encoding;
        std::u32string expected;
    };
    const Case cases[] = {
        {"\x95\xe0\x95\xba", TextEncoding::ShiftJis, U"歩兵"},
        {"A\x81\x40"
         "B",
         TextEncoding::ShiftJis, U"A\u3000B"},
        {"\xb1", TextEncoding::ShiftJis, U"\uFF71"},  // half-width katakana
        {"歩兵", TextEncoding::Utf8, U"歩兵"},
        {"a\xff"
         "b",
         TextEncoding::Utf8, U"a\uFFFDb"},
        {"\xe6\xad", TextEncoding::Utf8, U"\uFFFD\uFFFD"},  // cut short
        {"\xc0\xaf", TextEncoding::Utf8, U"\uFFFD\uFFFD"},  // overlong
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeText(c.bytes, c.encoding), c.expected) << c.bytes;
}

TEST(FontFaces, GameFaceNamesMapToTheIpaFonts) {
    struct Case {
        std::string face;
        uint8_t family;
        const char* file;
    };
    const Case cases[] = {
        {"ＭＳ ゴシック", 0, "ipag.ttf"},
        {"ＭＳ 明朝", 0, "ipam.ttf"},
        {"\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e", 0, "ipag.ttf"},  // in Shift-JIS
        {"\x82\x6c\x82\x72 \x96\xbe\x92\xa9", 0, "ipam.ttf"},
        {"ＭＳ Ｐゴシック", 0, "ipagp.ttf"},
        {"", FIXED_PITCH | FF_ROMAN, "ipam.ttf"},
        {"", FIXED_PITCH | FF_MODERN, "ipag.ttf"},
        {"No Such Face", 0, "ipag.ttf"},
    };
    for (const Case& c : cases) {
        FontSpec spec;
        spec.faceName = c.face;
        spec.pitchAndFamily = c.family;
        const std::string file = FontFileFor(spec);
        ASSERT_FALSE(file.empty()) << c.face;
        EXPECT_EQ(std::filesystem::canonical(file).filename(), c.file) << c.face;
        EXPECT_TRUE(Font(spec).IsValid());
    }
}

TEST(FontFaces, HeightsAsTheGameAsks) {
    // A negative height is the character height, a positive one the cell height.
    for (int h : {10, 12, 16, 24}) {
        const Font byChar = Gothic(h);
        EXPECT_EQ(byChar.Metrics().height, h) << h;  // IPA Gothic's cell is its em
        EXPECT_EQ(byChar.Metrics().ascent + byChar.Metrics().descent, byChar.Metrics().height);
        const Font byCell(FontSpec{h, FW_NORMAL, false, false, 0, "ＭＳ ゴシック"});
        EXPECT_EQ(byCell.Metrics().height, h) << h;
    }
    EXPECT_EQ(Font().Metrics().height, 12);
    // Absurd requests are held to a size that can be drawn.
    for (int h : {INT32_MIN, INT32_MAX, -100000}) {
        const Font f(FontSpec{h, FW_NORMAL, false, false, 0, ""});
        EXPECT_TRUE(f.IsValid());
        EXPECT_LE(f.Metrics().height, 520) << h;
    }
}

TEST(FontFaces, GothicIsFixedPitch) {
    const Font f = Gothic(16);
    EXPECT_EQ(f.Advance(U'i'), f.Advance(U'W'));
    EXPECT_EQ(f.Advance(U'漢'), 2 * f.Advance(U'A'));
    EXPECT_EQ(f.MeasureText("A\x8a\xbf", TextEncoding::ShiftJis),
              f.MeasureText("A漢", TextEncoding::Utf8));
    EXPECT_EQ(f.MeasureText("ABC", TextEncoding::Utf8).cx, 3 * f.Advance(U'A'));
    EXPECT_EQ(f.MeasureText("", TextEncoding::Utf8), (Size{0, 16}));
}

TEST(TextOnIndexedSurface, OnlyPaletteColoursAskedForAppear) {
    std::vector<RgbQuad> pal(8);
    pal[1] = {255, 255, 255, 0};
    pal[2] = {0, 0, 200, 0};
    pal[3] = {40, 40, 40, 0};
    std::vector<uint8_t> pixels(64 * 20, 0);
    IndexedSurface s{pixels.data(), 64, 20, 64, true, pal.data(), 8};
    for (int mode : {TRANSPARENT, OPAQUE}) {
        std::fill(pixels.begin(), pixels.end(), 0);
        Canvas c(s);
        c.SelectFont(Gothic(16, FW_BOLD));
        c.SetBkMode(mode);
        c.SetBkColor(Rgb(40, 40, 40));
        c.SetTextColor(Rgb(210, 0, 0));  // nearest: index 2
        c.TextOut(2, 2, "漢字Ag", TextEncoding::Utf8);
        std::set<uint8_t> seen(pixels.begin(), pixels.end());
        const std::set<uint8_t> expected =
            mode == OPAQUE ? std::set<uint8_t>{0, 2, 3} : std::set<uint8_t>{0, 2};
        EXPECT_EQ(seen, expected) << mode;
    }
}

TEST(TextOnRgbSurface, IsAntialiasedWithinItsCell) {
    Rgb32Target t(64, 24);
    Canvas c = t.MakeCanvas();
    c.SelectFont(Gothic(16));
    c.SetBkMode(TRANSPARENT);
    c.SetTextColor(kWhite);
    c.TextOut(4, 4, "漢字", TextEncoding::Utf8);
    std::set<uint32_t> values(t.Buffer().Pixels().begin(), t.Buffer().Pixels().end());
    EXPECT_GT(values.size(), 2u);  // shades between black and white
    const Ink ink = InkOf(c, 64, 24, kBlack);
    const Size extent = c.GetTextExtent("漢字", TextEncoding::Utf8);
    EXPECT_GE(ink.box.left, 4);
    EXPECT_LE(ink.box.right, 4 + extent.cx);
    EXPECT_GE(ink.box.top, 4);
    EXPECT_LE(ink.box.bottom, 4 + extent.cy);
}

TEST(TextOnRgbSurface, AlignmentMovesTheText) {
    const Font font = Gothic(12);
    const int width = font.MeasureText("ABCD", TextEncoding::Utf8).cx;
    struct Case {
        uint32_t align;
        int expectedLeft;  // cell left edge for x = 40
        int ascentBelowY;  // baseline minus y
    };
    const FontMetrics& m = font.Metrics();
    const Case cases[] = {
        {TA_LEFT | TA_TOP, 40, m.ascent},
        {TA_RIGHT | TA_TOP, 40 - width, m.ascent},
        {TA_CENTER | TA_TOP, 40 - width / 2, m.ascent},
        {TA_LEFT | TA_BASELINE, 40, 0},
        {TA_LEFT | TA_BOTTOM, 40, -m.descent},
    };
    for (const Case& k : cases) {
        Rgb32Target t(100, 60);
        Canvas c = t.MakeCanvas();
        c.SelectFont(font);
        c.SetBkMode(OPAQUE);  // the opaque box shows the cell exactly
        c.SetBkColor(kWhite);
        c.SetTextColor(kWhite);
        c.SetTextAlign(k.align);
        c.TextOut(40, 30, "ABCD", TextEncoding::Utf8);
        const Ink ink = InkOf(c, 100, 60, kBlack);
        EXPECT_EQ(ink.box, (Rect{k.expectedLeft, 30 + k.ascentBelowY - m.ascent,
                                 k.expectedLeft + width, 30 + k.ascentBelowY + m.descent}))
            << k.align;
    }
}

TEST(DrawTextLayout, MeasuresWrapsAndAligns) {
    Rgb32Target t(120, 80);
    Canvas c = t.MakeCanvas();
    c.SelectFont(Gothic(12));
    const int adv = c.CurrentFont().Advance(U'a');
    const int line = c.CurrentFont().Metrics().height;

    Rect r{10, 10, 10, 10};
    EXPECT_EQ(c.DrawText("abc", r, DT_CALCRECT | DT_SINGLELINE, TextEncoding::Utf8), line);
    EXPECT_EQ(r, (Rect{10, 10, 10 + 3 * adv, 10 + line}));

    // Breaks at spaces; a word wider than the box stays whole and widens the measured box.
    r = {0, 0, 7 * adv, 0};
    EXPECT_EQ(c.DrawText("aaa bbb ccc", r, DT_CALCRECT | DT_WORDBREAK, TextEncoding::Utf8),
              2 * line);
    EXPECT_EQ(r.right, 7 * adv);
    r = {0, 0, 4 * adv, 0};
    EXPECT_EQ(c.DrawText("aaaaaa b", r, DT_CALCRECT | DT_WORDBREAK, TextEncoding::Utf8), 2 * line);
    EXPECT_EQ(r.right, 6 * adv);
    // Japanese text breaks between any two characters.
    r = {0, 0, 5 * adv, 0};
    EXPECT_EQ(c.DrawText("歩兵第一連隊", r, DT_CALCRECT | DT_WORDBREAK, TextEncoding::Utf8),
              3 * line);
    // Line feeds end lines unless the text is one line.
    r = {0, 0, 100, 0};
    EXPECT_EQ(c.DrawText("a\r\nb\nc", r, DT_CALCRECT, TextEncoding::Utf8), 3 * line);
    EXPECT_EQ(c.DrawText("a\r\nb\nc", r, DT_CALCRECT | DT_SINGLELINE, TextEncoding::Utf8), line);
    // "&" marks the next character; "&&" is one ampersand.
    r = {0, 0, 100, 0};
    c.DrawText("&File", r, DT_CALCRECT | DT_SINGLELINE, TextEncoding::Utf8);
    EXPECT_EQ(r.right, 4 * adv);
    r = {0, 0, 100, 0};
    c.DrawText("&&File", r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX, TextEncoding::Utf8);
    EXPECT_EQ(r.right, 6 * adv);
    r = {0, 0, 100, 0};
    c.DrawText("a&&b", r, DT_CALCRECT | DT_SINGLELINE, TextEncoding::Utf8);
    EXPECT_EQ(r.right, 3 * adv);

    struct Case {
        uint32_t format;
        Rect expected;  // the opaque line box inside {20, 20, 100, 60}
    };
    const int w = 2 * adv;
    const Case cases[] = {
        {DT_SINGLELINE, {20, 20, 20 + w, 20 + line}},
        {DT_SINGLELINE | DT_RIGHT, {100 - w, 20, 100, 20 + line}},
        {DT_SINGLELINE | DT_CENTER, {60 - w / 2, 20, 60 - w / 2 + w, 20 + line}},
        {DT_SINGLELINE | DT_VCENTER, {20, 40 - line / 2, 20 + w, 40 - line / 2 + line}},
        {DT_SINGLELINE | DT_BOTTOM, {20, 60 - line, 20 + w, 60}},
    };
    for (const Case& k : cases) {
        Rgb32Target target(120, 80);
        Canvas d = target.MakeCanvas();
        d.SelectFont(Gothic(12));
        d.SetBkMode(OPAQUE);
        d.SetBkColor(kWhite);
        d.SetTextColor(kWhite);
        Rect box{20, 20, 100, 60};
        d.DrawText("ab", box, k.format, TextEncoding::Utf8);
        EXPECT_EQ(InkOf(d, 120, 80, kBlack).box, k.expected) << k.format;
    }
}

TEST(DrawTextLayout, ClipsToItsRectangleUnlessAskedNotTo) {
    for (uint32_t extra : {0u, DT_NOCLIP}) {
        Rgb32Target t(120, 40);
        Canvas c = t.MakeCanvas();
        c.SelectFont(Gothic(16));
        c.SetBkMode(TRANSPARENT);
        c.SetTextColor(kWhite);
        Rect r{10, 10, 30, 20};  // narrower and lower than the text
        c.DrawText("WWWWWW", r, DT_SINGLELINE | extra, TextEncoding::Utf8);
        const Ink ink = InkOf(c, 120, 40, kBlack);
        ASSERT_GT(ink.count, 0);
        if (extra == DT_NOCLIP) {
            EXPECT_GT(ink.box.right, 30);
        } else {
            EXPECT_GE(ink.box.left, 10);
            EXPECT_LE(ink.box.right, 30);
            EXPECT_GE(ink.box.top, 10);
            EXPECT_LE(ink.box.bottom, 20);
        }
    }
}

// The lines DrawText draws for a text in a box so many full-width characters wide.
std::vector<std::string> WrappedLines(const char* utf8, int cells) {
    Rgb32Target t(400, 200);
    Canvas c = t.MakeCanvas();
    c.SelectFont(Gothic(12));
    std::vector<std::string> lines;
    TextDrawLog log;
    Rect r{0, 0, cells * c.CurrentFont().Advance(U'\u3042'), 200};
    c.DrawText(utf8, r, DT_WORDBREAK | DT_NOPREFIX, TextEncoding::Utf8);
    for (const TextDrawRecord& rec : log.Records()) lines.push_back(Utf8Of(rec.text));
    return lines;
}

TEST(DrawTextLayout, JapaneseLinesNeitherBeginWithClosersNorEndWithOpeners) {
    struct Case {
        const char* text;
        int cells;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        // A full stop goes down with the character before it.
        {"マップが届きました。次へ進みます。", 9, {"マップが届きまし", "た。次へ進みます。"}},
        {"はい、いいえ", 2, {"は", "い、", "いい", "え"}},
        // Small kana and the prolonged sound mark stay with what they follow.
        {"ちょっと待って", 5, {"ちょっと", "待って"}},
        {"コンピューター", 4, {"コン", "ピュー", "ター"}},
        // Opening brackets go down with what they open, closing ones stay up; a bracketed
        // word with no break inside stays whole.
        {"部隊「歩」です", 2, {"部隊", "「歩」", "です"}},
        {"状態『良好』", 3, {"状態", "『良", "好』"}},
        {"兵力（三）名", 3, {"兵力", "（三）", "名"}},
        {"進め！止まれ？", 2, {"進", "め！", "止ま", "れ？"}},
        // Text that needs no rule breaks as before.
        {"歩兵第一連隊", 2, {"歩兵", "第一", "連隊"}},
        {"マップが届きました。", 10, {"マップが届きました。"}},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(WrappedLines(k.text, k.cells), k.lines) << k.text << " in " << k.cells;
    }
    // Latin words still break at spaces only.
    EXPECT_EQ(WrappedLines("aaa bbb ccc", 4), (std::vector<std::string>{"aaa bbb", "ccc"}));
}

TEST(LineBreaking, LineEndBeforeMovesBackPastForbiddenPlaces) {
    struct Case {
        const char32_t* text;
        std::size_t at;
        std::size_t end;
    };
    const Case cases[] = {
        {U"あいう。", 3, 2},                   // 。 may not begin a line: う goes down with it
        {U"あ「い", 2, 1},                     // 「 may not end one
        {U"あいっっ", 3, 1},                   // several in a row
        {U"。。。。", 2, 2},                   // nowhere to break: break where the line is full
        {U"あい", 1, 1},     {U"あい", 2, 2},  // at the end
    };
    for (const Case& k : cases) {
        EXPECT_EQ(LineEndBefore(k.text, k.at), k.end) << Utf8Of(k.text) << " at " << k.at;
    }
}

TEST(DrawTextLayout, EndEllipsisFitsTheBox) {
    Rgb32Target t(200, 30);
    Canvas c = t.MakeCanvas();
    c.SelectFont(Gothic(12));
    c.SetBkMode(OPAQUE);
    c.SetBkColor(kWhite);
    const int adv = c.CurrentFont().Advance(U'a');
    Rect r{0, 0, 8 * adv, 20};
    c.DrawText("abcdefghijklmnop", r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP,
               TextEncoding::Utf8);
    EXPECT_EQ(InkOf(c, 200, 30, kBlack).box.right, 8 * adv);  // five letters and "..."
}

TEST(TextOnRgbSurface, BoldAndUnderlineAddInk) {
    auto inkFor = [](const FontSpec& spec) {
        Rgb32Target t(80, 30);
        Canvas c = t.MakeCanvas();
        c.SelectFont(Font(spec));
        c.SetBkMode(TRANSPARENT);
        c.SetTextColor(kWhite);
        c.TextOut(2, 2, "Hi", TextEncoding::Utf8);
        return InkOf(c, 80, 30, kBlack);
    };
    FontSpec normal{-16, FW_NORMAL, false, false, 0, "ＭＳ ゴシック"};
    FontSpec bold = normal;
    bold.weight = FW_BOLD;
    FontSpec underlined = normal;
    underlined.underline = true;
    const Ink n = inkFor(normal), b = inkFor(bold), u = inkFor(underlined);
    EXPECT_GT(b.count, n.count);
    EXPECT_GT(u.count, n.count);
    EXPECT_GT(u.box.bottom, n.box.bottom);
}

}  // namespace
}  // namespace zv::ui
