#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "shell/ProgramServices.h"
#include "shell/WindowRegistry.h"

namespace zv::shell {
namespace {

class Registry : public ::testing::Test {
  protected:
    void SetUp() override {
        wm = std::make_unique<ui::WindowManager>(std::make_unique<ui::HeadlessBackend>(320, 240));
        ui::WindowClass wc;
        wc.name = "Plain";
        wc.proc = [](ui::Hwnd h, uint32_t m, ui::WParam w, ui::LParam l) {
            return ui::DefWindowProc(h, m, w, l);
        };
        ASSERT_TRUE(ui::RegisterClass(wc));
    }
    ui::Hwnd Make() {
        return ui::CreateWindowEx(0, "Plain", "", ui::WS_POPUP, 0, 0, 10, 10, {}, 0, nullptr,
                                  nullptr);
    }
    std::unique_ptr<ui::WindowManager> wm;
};

TEST_F(Registry, ADestroyedWindowReadsAsAbsent) {
    WindowRegistry reg;
    const ui::Hwnd map = Make();
    reg.SetWindowOfKind(WindowKind::MapWnd, map);
    EXPECT_EQ(reg.GetWindowOfKind(WindowKind::MapWnd), map);
    EXPECT_EQ(reg.GetWindowOfKind(16), map);
    ui::DestroyWindow(map);
    EXPECT_FALSE(reg.GetWindowOfKind(WindowKind::MapWnd));
    EXPECT_EQ(reg.StoredHandle(16), map);  // the slot still holds the old handle
    // A new window in the reused slot is not mistaken for the old one.
    const ui::Hwnd next = Make();
    EXPECT_NE(next, map);
    EXPECT_FALSE(reg.GetWindowOfKind(WindowKind::MapWnd));
    reg.SetWindowOfKind(WindowKind::MapWnd, {});
    EXPECT_FALSE(reg.StoredHandle(16));
}

TEST_F(Registry, EmptyKindsAndNumbersThatAreNoKind) {
    WindowRegistry reg;
    for (int kind = 0; kind < kWindowKindCount; ++kind) EXPECT_FALSE(reg.GetWindowOfKind(kind));
    const ui::Hwnd h = Make();
    for (int bad : {-1, 38, 1000}) {
        reg.SetWindowOfKind(bad, h);  // ignored
        EXPECT_FALSE(reg.GetWindowOfKind(bad));
    }
    for (int kind = 0; kind < kWindowKindCount; ++kind) EXPECT_FALSE(reg.StoredHandle(kind));
    reg.SetWindowOfKind(WindowKind::TransFaParaWd, h);
    reg.Clear();
    EXPECT_FALSE(reg.GetWindowOfKind(WindowKind::TransFaParaWd));
}

TEST_F(Registry, OtherThreadsReadTheSlots) {
    WindowRegistry reg;
    const ui::Hwnd news = Make();
    reg.SetWindowOfKind(WindowKind::NewsWnd, news);
    ui::Hwnd seen{};
    std::thread([&] { seen = reg.GetWindowOfKind(WindowKind::NewsWnd); }).join();
    EXPECT_EQ(seen, news);
}

TEST_F(Registry, TheInstalledRegistryAnswersTheFreeFunctions) {
    WindowRegistry mine;
    ScopedServices services;
    services->registry = &mine;
    const ui::Hwnd frame = Make();
    SetWindowOfKind(WindowKind::FrameWnd, frame);
    EXPECT_EQ(mine.GetWindowOfKind(0), frame);
    EXPECT_EQ(GetWindowOfKind(0), frame);
    services->registry = nullptr;
    EXPECT_FALSE(GetWindowOfKind(0));  // the built-in one is empty
}

TEST(WindowKinds, NamesAsStored) {
    EXPECT_EQ(WindowKindName(WindowKind::FrameWnd), "FrameWnd");
    EXPECT_EQ(WindowKindName(12), "LandBaseInfoWnd");
    EXPECT_EQ(WindowKindName(WindowKind::UnitSinpleInfo), "UnitSinpleInfo");
    EXPECT_EQ(WindowKindName(WindowKind::PanelManeger), "PanelManeger");
    EXPECT_EQ(WindowKindName(36), "ReceverParaWd");
    EXPECT_EQ(WindowKindName(37), "TransFaParaWd");
    EXPECT_EQ(WindowKindName(38), "");
    EXPECT_EQ(WindowKindName(-1), "");
    EXPECT_EQ(WindowKindFromNumber(33), WindowKind::NowGraspWnd);
    EXPECT_FALSE(WindowKindFromNumber(38).has_value());
}

}  // namespace
}  // namespace zv::shell
