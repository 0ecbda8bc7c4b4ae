// The overview window's size step: each step request moves the stored size 0 -> 3 -> 2 -> 1 -> 0;
// the size picks the scale, 0 hides the window, and the frame re-lays its docked windows.

#include <gtest/gtest.h>

#include <memory>

#include "mapview/GraspMapView.h"
#include "shell/WindowMessages.h"
#include "mapview/tests/MapViewFixture.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "shell/Settings.h"

namespace zv::mapview {
namespace {

class OverviewWindow : public testing::MapWorldFixture {
  protected:
    struct DockingHost : testing::RecordingHost {
        int relaid = 0;
        void RememberDockedWindows() override { ++relaid; }
    } docking;
    void SetUp() override {
        MapWorldFixture::SetUp();
        world.host = &docking;
        auto backend = std::make_unique<ui::HeadlessBackend>(1024, 768);
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
    }
    void TearDown() override {
        wm.reset();
        MapWorldFixture::TearDown();
    }
    std::unique_ptr<ui::WindowManager> wm;
};

TEST_F(OverviewWindow, SizeStepsCycleThroughTheScalesAndHideAtZero) {
    shell::PutLader(0);
    const ui::Hwnd h = CreateNowGraspWindow(ui::Hwnd{}, 10, 10);
    ASSERT_TRUE(h);
    ASSERT_NE(GetGraspMapView(), nullptr);
    struct Step {
        int lader, scale;
        bool shown;
        int cell;  // pixels per hex
    } const steps[] = {{3, 0, true, 8}, {2, 1, true, 6}, {1, 2, true, 4}, {0, 0, false, 8}, {3, 0, true, 8}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.lader);
        const int relaid = docking.relaid;
        EXPECT_EQ(ui::SendMessage(h, WM_GRASP_RESIZE, 0, ui::LParam(std::uint16_t(-2))), 1);
        EXPECT_EQ(shell::GetLader(), s.lader);
        EXPECT_EQ(GetGraspMapView()->GetScale(), s.scale);
        EXPECT_EQ(ui::IsWindowVisible(h), s.shown);
        EXPECT_EQ(docking.relaid, relaid + 1);
        int w = 0, hh = 0;
        GetGraspMapView()->GetSize(w, hh);
        ui::Rect r{};
        ui::GetClientRect(h, &r);
        EXPECT_EQ(r.Width(), w) << "the window takes the picture's size";
        EXPECT_EQ(r.Height(), hh);
        // 64 hexes across at the scale's cell width, odd rows shifted by part of a cell.
        EXPECT_GE(w, 64 * s.cell);
        EXPECT_LE(w, 65 * s.cell);
    }
    // Any other request applies the stored size without stepping it.
    shell::PutLader(2);
    EXPECT_EQ(ui::SendMessage(h, WM_GRASP_RESIZE, 0, 0), 1);
    EXPECT_EQ(shell::GetLader(), 2);
    EXPECT_EQ(GetGraspMapView()->GetScale(), 1);
    EXPECT_TRUE(ui::IsWindowVisible(h));
    shell::PutLader(7);  // out of range in the file: taken as the last size
    EXPECT_EQ(ui::SendMessage(h, WM_GRASP_RESIZE, 0, ui::LParam(std::uint16_t(-2))), 1);
    EXPECT_EQ(shell::GetLader(), 2);
    ui::DestroyWindow(h);
}

}  // namespace
}  // namespace zv::mapview
