#include "framework/media/DisplayMode.h"
#include "framework/media/tests/MediaTestSupport.h"

namespace zv::fw {
namespace {

class DisplayModeTest : public testing::MediaTest {
  protected:
    void SetUp() override {
        MediaTest::SetUp();
        screen->SetDisplayModes({{640, 480, 32}, {800, 600, 32}, {800, 600, 16}, {1024, 768, 32}});
    }
    ui::DisplayModeDesc Screen() { return screen->CurrentDisplayMode(); }
};

TEST_F(DisplayModeTest, ChangesToAListedModeAndBack) {
    EXPECT_EQ(GetScreenBitsPerPixel(), 32);
    DisplayMode mode;
    ui::DisplayModeDesc found;
    EXPECT_EQ(mode.FindMode(800, 600, 16, &found), 1);
    EXPECT_EQ(found, (ui::DisplayModeDesc{800, 600, 16}));
    EXPECT_EQ(mode.FindMode(801, 600, 16, &found), 0);

    EXPECT_EQ(mode.ChangeMode(800, 600, 0), 1);
    EXPECT_EQ(mode.IsChanged(), 1);
    EXPECT_TRUE(screen->IsFullscreen());
    EXPECT_EQ(Screen(), (ui::DisplayModeDesc{800, 600, 32}));
    EXPECT_EQ(mode.SavedMode(), (ui::DisplayModeDesc{640, 480, 32}));
    EXPECT_EQ(mode.RestoreMode(), 1);
    EXPECT_EQ(mode.IsChanged(), 0);
    EXPECT_FALSE(screen->IsFullscreen());
    EXPECT_EQ(Screen(), (ui::DisplayModeDesc{640, 480, 32}));
    Pump();  // the window layer takes the new screen size
}

TEST_F(DisplayModeTest, UnlistedModesChangeNothing) {
    DisplayMode mode;
    EXPECT_EQ(mode.ChangeMode(1280, 1024, 32), 1);
    EXPECT_EQ(mode.IsChanged(), 0);
    EXPECT_FALSE(screen->IsFullscreen());
    EXPECT_EQ(mode.RestoreMode(), 1);
    EXPECT_EQ(Screen(), (ui::DisplayModeDesc{640, 480, 32}));
    // The current size at a depth the screen does not list: no saved mode, 0.
    EXPECT_EQ(mode.ChangeMode(800, 600, 24), 0);
    EXPECT_EQ(mode.EnableIme(1), 1);
    EXPECT_EQ(mode.ImeState(), 1);
}

TEST_F(DisplayModeTest, DeletingAChangedModePutsTheScreenBack) {
    auto mode = std::make_unique<DisplayMode>();
    ASSERT_EQ(mode->ChangeMode(1024, 768, 32), 1);
    EXPECT_EQ(Screen().width, 1024);
    mode.reset();
    EXPECT_FALSE(screen->IsFullscreen());
    EXPECT_EQ(Screen().width, 640);
}

TEST(DisplayModeWithoutScreen, AnswersNothing) {
    EXPECT_EQ(GetScreenBitsPerPixel(), 0);
    DisplayMode mode;
    EXPECT_EQ(mode.ChangeMode(800, 600, 32), 0);
    EXPECT_EQ(mode.RestoreMode(), 1);
}

}  // namespace
}  // namespace zv::fw
