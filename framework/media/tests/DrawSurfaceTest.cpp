#include "framework/media/DrawSurface.h"
#include "framework/media/tests/MediaTestSupport.h"
#include "platform/ui/PngWriter.h"

namespace zv::fw {
namespace {

// A .bmp file of 24 bits (pixels 0x00RRGGBB, top row first), or of 8 bits with a table.
std::vector<uint8_t> Bmp(int w, int h, const std::vector<uint32_t>& px, int bits = 24,
                         const std::vector<ui::RgbQuad>& table = {}) {
    int stride = ((w * bits + 31) / 32) * 4;
    int tableBytes = int(table.size()) * 4;
    std::vector<uint8_t> b(54 + tableBytes + stride * h, 0);
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, uint32_t(54 + tableBytes));
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    b[26] = 1;
    b[28] = uint8_t(bits);
    put32(46, uint32_t(table.size()));
    for (std::size_t i = 0; i < table.size(); ++i) {
        b[54 + 4 * i] = table[i].blue;
        b[55 + 4 * i] = table[i].green;
        b[56 + 4 * i] = table[i].red;
    }
    for (int y = 0; y < h; ++y) {
        uint8_t* row = &b[54 + tableBytes + stride * (h - 1 - y)];
        for (int x = 0; x < w; ++x) {
            uint32_t p = px[std::size_t(y) * w + x];
            if (bits == 8) {
                row[x] = uint8_t(p);
            } else {
                row[3 * x] = uint8_t(p);
                row[3 * x + 1] = uint8_t(p >> 8);
                row[3 * x + 2] = uint8_t(p >> 16);
            }
        }
    }
    return b;
}

class DrawSurfaceTest : public testing::MediaTest {
  protected:
    // Each pixel a distinct 5-6-5 value.
    static void FillPattern(DrawSurface& s) {
        Surface16* p = s.Pixels();
        for (int y = 0; y < p->Height(); ++y) {
            for (int x = 0; x < p->Width(); ++x) p->Set(x, y, uint16_t(1 + y * 64 + x));
        }
    }
};

TEST_F(DrawSurfaceTest, FastBlitsAreExactAndKeyedBlitsLeaveTheKeyOut) {
    DrawDisplay display;
    ASSERT_EQ(display.Init({}, 16, 12), 1);
    DrawSurface sprite(&display, 4, 3, 0);
    FillPattern(sprite);
    sprite.Pixels()->Set(1, 1, ColorTo565(ui::Rgb(255, 0, 255)));
    sprite.SetColorKey(ui::Rgb(255, 0, 255));
    EXPECT_EQ(sprite.ColorKey(), int32_t(ui::Rgb(255, 0, 255)));
    Surface16* back = display.GetBackBuffer()->Pixels();
    back->Fill(back->Bounds(), 0x1234);

    EXPECT_EQ(sprite.BltFastToBack(2, 3), kDdOk);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(back->At(2 + x, 3 + y), sprite.Pixels()->At(x, y));
    }
    back->Fill(back->Bounds(), 0x1234);
    EXPECT_EQ(sprite.BltFastKeyedToBack(5, 5), kDdOk);
    EXPECT_EQ(back->At(6, 6), 0x1234) << "the key pixel is left out";
    EXPECT_EQ(back->At(5, 5), sprite.Pixels()->At(0, 0));
    EXPECT_EQ(back->At(8, 7), sprite.Pixels()->At(3, 2));
    EXPECT_EQ(back->At(9, 5), 0x1234);

    // A part of the source, onto another surface; refused outside either surface.
    DrawSurface target(&display, 8, 8, 0);
    sprite.SetSrcRect(1, 2, 3, 4);  // top, left, bottom, right
    EXPECT_EQ(sprite.BltFastTo(&target, 0, 0), kDdOk);
    EXPECT_EQ(target.Pixels()->At(0, 0), sprite.Pixels()->At(2, 1));
    EXPECT_EQ(target.Pixels()->At(1, 1), sprite.Pixels()->At(3, 2));
    EXPECT_EQ(target.Pixels()->At(2, 0), 0);
    EXPECT_EQ(sprite.BltFastTo(&target, 7, 0), kDdErrInvalidRect);
    EXPECT_EQ(sprite.BltFastTo(&target, -1, 0), kDdErrInvalidRect);
    EXPECT_EQ(target.Pixels()->At(7, 0), 0) << "a refused copy draws nothing";
    EXPECT_EQ(sprite.BltFastTo(nullptr, 0, 0), kDdErrInvalidParams);

    // Without a key, a keyed copy copies every pixel (the backdrop has none).
    DrawSurface plain(&display, 2, 2, 0);
    plain.Pixels()->Fill(plain.Pixels()->Bounds(), 0);
    EXPECT_EQ(plain.BltFastKeyedTo(&target, 4, 4), kDdOk);
    EXPECT_EQ(target.Pixels()->At(5, 5), 0);
}

TEST_F(DrawSurfaceTest, StretchBlitUsesSourceAndDestinationRectangles) {
    DrawDisplay display;
    display.Init({}, 8, 8);
    DrawSurface s(&display, 2, 2, 0);
    FillPattern(s);
    s.SetDestRect(2, 2, 6, 6);
    EXPECT_EQ(s.BltToBack(), kDdOk);
    Surface16* back = display.GetBackBuffer()->Pixels();
    EXPECT_EQ(back->At(2, 2), s.Pixels()->At(0, 0));
    EXPECT_EQ(back->At(3, 3), s.Pixels()->At(0, 0));
    EXPECT_EQ(back->At(4, 2), s.Pixels()->At(1, 0));
    EXPECT_EQ(back->At(5, 5), s.Pixels()->At(1, 1));
    EXPECT_EQ(back->At(6, 6), 0);
    s.SetDestRect(6, 6, 10, 10);
    EXPECT_EQ(s.BltToBack(), kDdErrInvalidRect);
    DrawSurface orphan(nullptr, 2, 2, 0);
    EXPECT_EQ(orphan.BltToBack(), kDdErrInvalidParams);
}

TEST_F(DrawSurfaceTest, ScrollMovesEveryRemainingRowOrColumn) {
    struct Case {
        int dx, dy;
        int fromX, fromY;  // where the pixel now at (x, y) came from: (x + fromX, y + fromY)
        ui::Rect moved;    // the part that was written
    };
    const Case cases[] = {
        {0, 2, 0, -2, {0, 2, 6, 5}}, {0, -2, 0, 2, {0, 0, 6, 3}}, {3, 0, -3, 0, {3, 0, 6, 5}},
        {-3, 0, 3, 0, {0, 0, 3, 5}}, {0, -1, 0, 1, {0, 0, 6, 4}},
    };
    for (const Case& c : cases) {
        DrawSurface s(nullptr, 6, 5, 0);
        FillPattern(s);
        DrawSurface before(nullptr, 6, 5, 0);
        FillPattern(before);
        EXPECT_EQ(s.Scroll(c.dx, c.dy), kDdOk);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 6; ++x) {
                uint16_t want = c.moved.Contains(x, y)
                                    ? before.Pixels()->At(x + c.fromX, y + c.fromY)
                                    : before.Pixels()->At(x, y);
                ASSERT_EQ(s.Pixels()->At(x, y), want)
                    << c.dx << "," << c.dy << " at " << x << "," << y;
            }
        }
    }
    DrawSurface s(nullptr, 6, 5, 0);
    FillPattern(s);
    EXPECT_EQ(s.Scroll(0, -9), kDdOk);
    EXPECT_EQ(s.Scroll(40, 0), kDdOk);
    EXPECT_EQ(s.Pixels()->At(5, 4), 1 + 4 * 64 + 5) << "scrolling by the whole size moves nothing";
}

TEST_F(DrawSurfaceTest, BitmapsLoadRestoreAndPalettes) {
    std::vector<uint32_t> px = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
    std::string path = Write("pic.bmp", Bmp(3, 2, px));
    DrawDisplay display;
    display.Init({}, 8, 8);
    DrawSurface pic(&display, path.c_str());
    ASSERT_EQ(pic.Width(), 3);
    EXPECT_EQ(pic.Height(), 2);
    EXPECT_STREQ(pic.BitmapName(), path.c_str());
    EXPECT_EQ(pic.SrcRect(), (ui::Rect{0, 0, 3, 2}));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(pic.Pixels()->At(i % 3, i / 3), Pixel32To565(px[std::size_t(i)])) << i;
    }
    EXPECT_EQ(pic.GetPixelColour(0, 0), ui::Rgb(255, 0, 0));

    // Restore reloads the picture, also when the surface was only marked lost.
    pic.Pixels()->Fill(pic.Pixels()->Bounds(), 7);
    EXPECT_EQ(pic.Restore(), kDdOk);
    EXPECT_EQ(pic.Pixels()->At(2, 0), Pixel32To565(0x0000FF));
    pic.Pixels()->Fill(pic.Pixels()->Bounds(), 7);
    pic.MarkLost();
    EXPECT_EQ(pic.BltFastToBack(0, 0), kDdOk);
    EXPECT_FALSE(pic.IsLost());
    EXPECT_EQ(display.GetBackBuffer()->Pixels()->At(1, 0), Pixel32To565(0x00FF00));
    DrawSurface blank(&display, 2, 2, 0);
    EXPECT_EQ(blank.Restore(), kEFail) << "a blank surface has no picture to reload";

    DrawSurface missing;
    EXPECT_EQ(missing.CreateFromBitmap(&display, Path("none.bmp").c_str()), 0);
    Write("junk.bmp", {'B', 'M', 1, 2, 3});
    EXPECT_EQ(missing.CreateFromBitmap(&display, Path("junk.bmp").c_str()), 0);
    EXPECT_EQ(missing.Pixels(), nullptr);

    auto scaled = LoadBitmapToSurfaceSized(&display, path.c_str(), 6, 4);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->At(5, 3), Pixel32To565(0x808080));

    auto fixed = LoadPalette(&display, nullptr);
    EXPECT_EQ(fixed->entries[255].red, 255);
    EXPECT_EQ(fixed->entries[255].green, 255);
    EXPECT_EQ(fixed->entries[255].blue, 255);
    EXPECT_EQ(fixed->entries[0].red + fixed->entries[0].green + fixed->entries[0].blue, 0);
    EXPECT_EQ(fixed->entries[0b10110110].red, 5 * 255 / 7);
    EXPECT_EQ(fixed->entries[0b10110110].green, 5 * 255 / 7);
    EXPECT_EQ(fixed->entries[0b10110110].blue, 2 * 85);
    std::vector<ui::RgbQuad> table(4);
    table[2] = {10, 20, 30, 0};
    std::string indexed = Write("pal.bmp", Bmp(2, 1, {2, 2}, 8, table));
    auto fromFile = LoadPalette(&display, indexed.c_str());
    EXPECT_EQ(fromFile->entries[2].red, 30);
    EXPECT_EQ(fromFile->entries[2].blue, 10);
    EXPECT_EQ(fromFile->entries[255].red, 255) << "entries past the table stay fixed";
    DrawSurface fromIndexed(&display, indexed.c_str());
    EXPECT_EQ(fromIndexed.Pixels()->At(1, 0), ColorTo565(ui::Rgb(30, 20, 10)));
}

TEST_F(DrawSurfaceTest, MatchColourAndDrawingThroughTheDeviceContext) {
    DrawSurface s(nullptr, 20, 20, 0);
    FillPattern(s);
    uint16_t corner = s.Pixels()->At(0, 0);
    EXPECT_EQ(MatchColour(s.Pixels(), ui::Rgb(255, 255, 255)), 0xFFFFu);
    EXPECT_EQ(MatchColour(s.Pixels(), ui::Rgb(8, 4, 8)), ColorTo565(ui::Rgb(8, 4, 8)));
    EXPECT_EQ(s.Pixels()->At(0, 0), corner) << "pixel (0, 0) is put back";
    EXPECT_EQ(MatchColour(nullptr, 0), 0xFFFFFFFFu);

    // A DC round trip leaves every pixel it did not draw as it was.
    DrawSurface copy(nullptr, 20, 20, 0);
    FillPattern(copy);
    ASSERT_NE(s.GetDC(), nullptr);
    s.ReleaseDC();
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) ASSERT_EQ(s.Pixels()->At(x, y), copy.Pixels()->At(x, y));
    }

    s.ColourFill(0, 0, 20, 20, 0);
    EXPECT_EQ(s.ColourFill(0, 0, 21, 20, 0), kDdErrInvalidRect);
    s.DrawRectangle(2, 2, 8, 6, ui::Rgb(255, 0, 0), ui::Rgb(0, 0, 255), 1);
    EXPECT_EQ(s.Pixels()->At(2, 2), ColorTo565(ui::Rgb(0, 0, 255)));
    EXPECT_EQ(s.Pixels()->At(4, 4), ColorTo565(ui::Rgb(255, 0, 0)));
    EXPECT_EQ(s.Pixels()->At(8, 6), 0) << "right and bottom are exclusive";
    s.DrawLine(0, 10, 10, 10, ui::Rgb(0, 255, 0), 1);
    EXPECT_EQ(s.Pixels()->At(5, 10), ColorTo565(ui::Rgb(0, 255, 0)));
    EXPECT_EQ(s.Pixels()->At(10, 10), 0);
    s.PutPixel(15, 15, ui::Rgb(255, 255, 0));
    EXPECT_EQ(s.GetPixelColour(15, 15), ui::Rgb(255, 255, 0));
    // A Bezier whose control points lie on a line draws that line.
    ui::Point bez[4] = {{0, 18}, {5, 18}, {10, 18}, {15, 18}};
    s.DrawBezier(bez, 4, ui::Rgb(255, 255, 255), 1);
    EXPECT_EQ(s.Pixels()->At(7, 18), 0xFFFF);
    EXPECT_EQ(s.Pixels()->At(7, 17), 0);
    // A hollow polygon leaves its inside alone; a hatched one with a background fills gaps.
    ui::Point tri[3] = {{12, 0}, {19, 0}, {19, 7}};
    s.DrawPolygon(tri, 3, ui::Rgb(0, 0, 255), ui::Rgb(255, 0, 0), 1, 0);
    EXPECT_EQ(s.Pixels()->At(17, 2), 0);
    EXPECT_EQ(s.Pixels()->At(15, 0), ColorTo565(ui::Rgb(0, 0, 255)));
    s.DrawPolygon(tri, 3, ui::Rgb(0, 0, 255), ui::Rgb(255, 0, 0), 1, 1);
    int inside = 0, red = 0;
    for (int y = 1; y < 6; ++y) {
        for (int x = 14 + y; x < 19; ++x) {
            ++inside;
            red += s.Pixels()->At(x, y) == ColorTo565(ui::Rgb(255, 0, 0));
        }
    }
    EXPECT_GT(red, 0);
    EXPECT_LT(red, inside);

    DrawSurface inv(nullptr, 4, 4, 0);
    FillPattern(inv);
    inv.InvertAll();
    EXPECT_EQ(inv.Pixels()->At(1, 2), uint16_t(~copy.Pixels()->At(1, 2)));
    inv.InvertRectangle(0, 0, 2, 2);
    EXPECT_EQ(inv.Pixels()->At(1, 1), copy.Pixels()->At(1, 1));
    EXPECT_EQ(inv.Lock(), kDdOk);
    EXPECT_EQ(inv.Description().pitchBytes, 8);
    EXPECT_EQ(inv.Description().redMask, 0xF800u);
    EXPECT_EQ(inv.Description().pixels[0], inv.Pixels()->At(0, 0));
    EXPECT_EQ(inv.Unlock(), kDdOk);
}

TEST_F(DrawSurfaceTest, PresentShowsTheBackSurfaceInTheWindow) {
    ui::Hwnd win = Host(100, 50, 64, 48);
    DrawDisplay display;
    ASSERT_EQ(display.Init(win, 64, 48), 1);
    DrawSurface* back = display.GetBackBuffer();
    back->ColourFill(0, 0, 64, 48, ColorTo565(ui::Rgb(0, 0, 255)));
    back->DrawRectangle(10, 10, 30, 20, ui::Rgb(255, 255, 0), ui::Rgb(255, 255, 0), 1);
    Pump();
    EXPECT_EQ(display.Present(), 1);
    Pump();
    EXPECT_EQ(screen->PixelAt(100, 50), 0x0000FFu);
    EXPECT_EQ(screen->PixelAt(115, 65), 0xFFFF00u);
    EXPECT_NE(screen->PixelAt(99, 50), 0x0000FFu) << "nothing outside the window";
    EXPECT_EQ(display.GetPrimary()->Pixels()->At(15, 15), ColorTo565(ui::Rgb(255, 255, 0)));
    std::string error;
    EXPECT_TRUE(screen->WriteScreenshot(Path("present.png"), &error)) << error;
}

}  // namespace
}  // namespace zv::fw
