#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>
#include <vector>

#include "platform/ui/PngWriter.h"
#include "platform/ui/tests/UiTestSupport.h"

namespace zv::ui::testing {
namespace {

constexpr uint32_t kGrey = 0xC0C0C0;  // the test class background
constexpr uint32_t kDesktop = 0x008080;

class PaintTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        rec.handler = [this](Hwnd h, uint32_t msg, WParam, LParam, LResult* r) {
            if (msg != WM_PAINT || !fill.count(h)) return false;
            PaintStruct ps;
            Canvas* dc = BeginPaint(h, &ps);
            painted[h].push_back(ps.rcPaint);
            Rect all;
            GetClientRect(h, &all);
            dc->FillSolid(all, fill[h]);
            EndPaint(h, &ps);
            *r = 0;
            return true;
        };
    }
    struct HwndLess {
        bool operator()(Hwnd a, Hwnd b) const { return a.value < b.value; }
    };
    std::map<Hwnd, ColorRef, HwndLess> fill;
    std::map<Hwnd, std::vector<Rect>, HwndLess> painted;
};

TEST_F(PaintTest, TheBackgroundAndThePaintHandlerFillTheWindowAndNothingElse) {
    const Hwnd plain = Popup(10, 10, 50, 50);
    const Hwnd red = Popup(100, 10, 50, 50);
    fill[red] = Rgb(255, 0, 0);
    wm->PumpPending();
    EXPECT_EQ(screen->PixelAt(10, 10), kGrey);
    EXPECT_EQ(screen->PixelAt(59, 59), kGrey);
    EXPECT_EQ(screen->PixelAt(60, 60), kDesktop);
    EXPECT_EQ(screen->PixelAt(100, 10), 0xFF0000u);
    EXPECT_EQ(screen->PixelAt(5, 5), kDesktop);
    EXPECT_EQ(painted[red].size(), 1u);
    (void)plain;
}

TEST_F(PaintTest, APartialInvalidationRepaintsOnlyThatPartAndPresentsOnlyIt) {
    const Hwnd w = Popup(0, 0, 100, 100);
    fill[w] = Rgb(0, 0, 255);
    wm->PumpPending();
    painted[w].clear();
    const Rect part{10, 20, 30, 40};
    InvalidateRect(w, &part, false);
    Rect upd;
    EXPECT_TRUE(GetUpdateRect(w, &upd, false));
    EXPECT_EQ(upd, part);
    fill[w] = Rgb(0, 255, 0);
    wm->PumpPending();
    ASSERT_EQ(painted[w].size(), 1u);
    EXPECT_EQ(painted[w][0], part);
    // The handler filled its whole client area, but only the invalid part changed.
    EXPECT_EQ(screen->PixelAt(10, 20), 0x00FF00u);
    EXPECT_EQ(screen->PixelAt(29, 39), 0x00FF00u);
    EXPECT_EQ(screen->PixelAt(30, 39), 0x0000FFu);
    EXPECT_EQ(screen->LastPresented(), (std::vector<Rect>{part}));
    EXPECT_FALSE(GetUpdateRect(w, &upd, false));
    // A validated window gets no WM_PAINT.
    InvalidateRect(w, nullptr, true);
    ValidateRect(w, nullptr);
    wm->PumpPending();
    EXPECT_EQ(painted[w].size(), 1u);
}

TEST_F(PaintTest, AWindowNeverPaintsOverTheWindowsAboveIt) {
    const Hwnd below = Popup(0, 0, 100, 100);
    const Hwnd above = Popup(50, 50, 100, 100);
    fill[below] = Rgb(255, 0, 0);
    fill[above] = Rgb(0, 0, 255);
    wm->PumpPending();
    InvalidateRect(below, nullptr, true);
    wm->PumpPending();
    EXPECT_EQ(screen->PixelAt(60, 60), 0x0000FFu);
    EXPECT_EQ(screen->PixelAt(40, 40), 0xFF0000u);

    // Hiding the upper window repaints just the uncovered part of the lower one.
    painted[below].clear();
    ShowWindow(above, SW_HIDE);
    wm->PumpPending();
    ASSERT_EQ(painted[below].size(), 1u);
    EXPECT_EQ(painted[below][0], (Rect{50, 50, 100, 100}));
    EXPECT_EQ(screen->PixelAt(60, 60), 0xFF0000u);
    EXPECT_EQ(screen->PixelAt(120, 120), kDesktop);
}

TEST_F(PaintTest, ChildrenAreClippedToTheirParentAndParentsDoNotPaintOverChildren) {
    const Hwnd parent = Popup(0, 0, 100, 100);
    const Hwnd child = Child(parent, 1, 80, 80, 50, 50);
    fill[parent] = Rgb(255, 0, 0);
    fill[child] = Rgb(0, 255, 0);
    wm->PumpPending();
    EXPECT_EQ(screen->PixelAt(90, 90), 0x00FF00u);
    EXPECT_EQ(screen->PixelAt(110, 110), kDesktop);  // outside the parent
    InvalidateRect(parent, nullptr, true);
    wm->PumpPending();
    EXPECT_EQ(screen->PixelAt(90, 90), 0x00FF00u);
    EXPECT_EQ(screen->PixelAt(70, 70), 0xFF0000u);
}

TEST_F(PaintTest, FramesAreDrawnAroundTheClientArea) {
    const Hwnd w =
        CreateWindowEx(0, "Recorder", "Title", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 20,
                       20, 200, 100, {}, 0, nullptr, nullptr);
    fill[w] = Rgb(255, 255, 0);
    wm->PumpPending();
    EXPECT_EQ(screen->PixelAt(20, 20), kGrey);       // raised frame, outer light line
    EXPECT_EQ(screen->PixelAt(219, 119), 0u);        // outer dark line
    EXPECT_EQ(screen->PixelAt(150, 30), 0x000080u);  // active caption, right of the title
    int titlePixels = 0;
    for (int y = 23; y < 41; ++y) {
        for (int x = 23; x < 80; ++x) titlePixels += screen->PixelAt(x, y) == 0xFFFFFFu;
    }
    EXPECT_GT(titlePixels, 10);  // the title is written in white
    Point c{0, 0};
    ClientToScreen(w, &c);
    EXPECT_EQ(screen->PixelAt(c.x, c.y), 0xFFFF00u);
    // Another window becomes active: the caption turns grey.
    Popup(300, 300, 10, 10);
    wm->PumpPending();
    EXPECT_EQ(screen->PixelAt(150, 30), 0x808080u);
}

TEST_F(PaintTest, ScreenshotsAreWrittenAsPng) {
    Popup(0, 0, 20, 20);
    wm->PumpPending();
    const std::string path = ::testing::TempDir() + "zv_ui_shot.png";
    std::string error;
    ASSERT_TRUE(screen->WriteScreenshot(path, &error)) << error;
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    auto be32 = [&](size_t at) {
        return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
               (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint8_t(bytes[at + 3]);
    };
    EXPECT_EQ(be32(16), 640u);
    EXPECT_EQ(be32(20), 480u);
    std::remove(path.c_str());
    // A folder that does not exist fails cleanly and leaves nothing.
    EXPECT_FALSE(screen->WriteScreenshot("/nonexistent-dir/x.png", &error));
    EXPECT_FALSE(error.empty());
}

// Two writers of one picture at once (two test processes that take the same screenshot) each
// put a whole file in place; neither fails on the other's temporary, and none is left over.
TEST(PngWriter, PicturesOfOnePathWrittenAtOnceAllSucceed) {
    Surface32Buffer picture(64, 48, 0x336699);
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "zv_ui_shots_at_once";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "shot.png").string();
    int failures[4] = {};
    std::vector<std::thread> writers;
    for (int& failed : failures) {
        writers.emplace_back([&] {
            std::string error;
            for (int i = 0; i < 20; ++i) failed += WritePng(path, picture.View(), &error) ? 0 : 1;
        });
    }
    for (std::thread& t : writers) t.join();
    for (int failed : failures) EXPECT_EQ(failed, 0);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++files;
    EXPECT_EQ(files, 1) << "only the picture, no temporary";
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zv::ui::testing
