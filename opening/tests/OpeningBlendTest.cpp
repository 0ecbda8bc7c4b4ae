#include <gtest/gtest.h>
#include <unistd.h>

#include "opening/ClippedDrawSurface.h"
#include "opening/OpeningScreen.h"
#include "opening/tests/OpeningTestFiles.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"

namespace zv::opening {
namespace {

class BlendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("zv_blend_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        screen.Configure(ui::Hwnd{}, 16, 8, 32, false);
        ASSERT_EQ(screen.InitDirectDraw(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A 4 x 2 picture: the left column black (transparent), the rest `colour`.
    std::unique_ptr<ClippedDrawSurface> Picture(uint32_t colour) {
        const std::string path = (dir / "pic.bmp").string();
        testing::WriteBmp24(path, 4, 2, [&](int x, int) { return x == 0 ? 0u : colour; });
        auto p = std::make_unique<ClippedDrawSurface>(&screen, path.c_str());
        EXPECT_FALSE(p->IsEmpty());
        return p;
    }
    uint16_t Back(int x, int y) { return screen.Back()->Pixels()->At(x, y); }

    std::filesystem::path dir;
    OpeningScreen screen;
};

TEST_F(BlendTest, MeasuresTheFiveSixFiveLayout) {
    EXPECT_EQ(screen.Red().mask, 0x1Fu);
    EXPECT_EQ(screen.Red().shift, 11);
    EXPECT_EQ(screen.Green().mask, 0x3Fu);
    EXPECT_EQ(screen.Green().shift, 5);
    EXPECT_EQ(screen.Blue().mask, 0x1Fu);
    EXPECT_EQ(screen.Blue().shift, 0);
}

// Each channel is truncate(back * (1 - a) + picture * a), worked out by hand.
TEST_F(BlendTest, BlendsEachChannelExactly) {
    const struct {
        uint32_t picture;  // 0x00RRGGBB
        uint16_t back;
        float a;
        uint16_t expected;
    } cases[] = {
        {0xFFFFFF, 0x0000, 0.0f, 0x0000},
        {0xFFFFFF, 0x0000, 1.0f, 0xFFFF},
        {0xFFFFFF, 0x0000, 0.5f, 0x7BEF},   // 15, 31, 15
        {0xFFFFFF, 0x0000, 0.05f, 0x0861},  // 1.55, 3.15, 1.55
        {0xFFFFFF, 0x0000, 0.95f, 0xEF7D},  // 29.45, 59.85, 29.45
        {0x0000FF, 0xF800, 0.5f, 0x780F},   // red 31 -> 15.5, blue 31 -> 15.5
        {0x0000FF, 0xF800, 0.0f, 0xF800},
        {0x808080, 0x4208, 0.25f, 0x528A},  // back (8, 16, 8), picture (16, 32, 16): 10, 20, 10
    };
    for (const auto& c : cases) {
        auto pic = Picture(c.picture);
        screen.Back()->ColourFill(0, 0, 16, 8, c.back);
        ASSERT_EQ(AlphaBlendSurface16(pic.get(), 2, 3, c.a, 0, 0, 4, 2), 1);
        EXPECT_EQ(Back(3, 3), c.expected) << std::hex << c.picture << " a=" << c.a;
        EXPECT_EQ(Back(2, 3), c.back) << "black picture pixels are transparent";
        EXPECT_EQ(Back(6, 3), c.back) << "right of the rectangle";
        EXPECT_EQ(Back(3, 5), c.back) << "below the rectangle";
    }
}

TEST_F(BlendTest, ClipsAgainstTheClipRectangle) {
    auto pic = Picture(0xFFFFFF);
    screen.Back()->ColourFill(0, 0, 16, 8, 0x1234);
    // Wholly right of the clip rectangle: nothing, and done.
    EXPECT_EQ(AlphaBlendSurface16(pic.get(), 20, 0, 1.0f, 0, 0, 4, 2), 1);
    // Hanging over the top-left corner: only its inside part is drawn.
    EXPECT_EQ(AlphaBlendSurface16(pic.get(), -2, -1, 1.0f, 0, 0, 4, 2), 1);
    EXPECT_EQ(Back(0, 0), 0xFFFF);
    EXPECT_EQ(Back(1, 0), 0xFFFF);
    EXPECT_EQ(Back(2, 0), 0x1234);
    EXPECT_EQ(Back(0, 1), 0x1234);
    // A smaller clip rectangle holds the bottom-right edge.
    screen.SetClipRect(0, 0, 8, 4);
    screen.Back()->ColourFill(0, 0, 16, 8, 0x1234);
    EXPECT_EQ(AlphaBlendSurface16(pic.get(), 6, 3, 1.0f, 0, 0, 4, 2), 1);
    EXPECT_EQ(Back(7, 3), 0xFFFF);
    EXPECT_EQ(Back(8, 3), 0x1234);
    EXPECT_EQ(Back(7, 4), 0x1234);
    // A source rectangle beyond the picture reads nothing past it.
    screen.SetClipRect(0, 0, 16, 8);
    EXPECT_EQ(AlphaBlendSurface16(pic.get(), 0, 0, 1.0f, 2, 0, 12, 2), 1);
}

TEST_F(BlendTest, ClippedCopiesAndEmptyPictures) {
    auto pic = Picture(0xFFFFFF);
    pic->SetColorKey(ui::Rgb(0, 0, 0));
    screen.Back()->ColourFill(0, 0, 16, 8, 0x1234);
    EXPECT_EQ(pic->BltFastToBack(14, -1), fw::kDdOk);
    EXPECT_EQ(Back(14, 0), 0x1234) << "the key colour is left out";
    EXPECT_EQ(Back(15, 0), 0xFFFF);
    EXPECT_EQ(Back(15, 1), 0x1234);
    EXPECT_EQ(pic->BltFastToBack(40, 40), fw::kDdOk) << "outside: nothing drawn";

    ClippedDrawSurface missing(&screen, (dir / "none.bmp").string().c_str());
    EXPECT_TRUE(missing.IsEmpty());
    EXPECT_EQ(AlphaBlendSurface16(&missing, 0, 0, 1.0f, 0, 0, 4, 2), 1);
    EXPECT_EQ(Back(0, 0), 0x1234);
}

}  // namespace
}  // namespace zv::opening
