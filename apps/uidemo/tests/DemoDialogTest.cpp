#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "apps/uidemo/DemoDialog.h"
#include "platform/ui/DialogLayoutCheck.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"

namespace uidemo {
namespace {

using namespace zv::ui;

TEST(DemoDialog, EveryRegisteredTemplateLaysOutAtBothScreenSizes) {
    RegisterDemoDialog();
    for (const Size screen : {Size{800, 600}, Size{1024, 768}}) {
        WindowManager wm(std::make_unique<HeadlessBackend>(screen.cx, screen.cy));
        for (int n : DialogRegistry::Global().Numbers()) {
            DialogTemplate t;
            ASSERT_TRUE(DialogRegistry::Global().Find(n, &t));
            for (const std::string& p : CheckDialogLayout(t)) ADD_FAILURE() << p;
        }
    }
}

TEST(DemoDialog, KeysReachEveryTabStopAndTheScrollBarsMove) {
    auto backend = std::make_unique<HeadlessBackend>(800, 600);
    HeadlessBackend* screen = backend.get();
    WindowManager wm(std::move(backend));
    RegisterDemoDialog();
    const Hwnd dlg = CreateDialogParam(nullptr, kDemoDialog, {}, DemoDialogProc);
    ASSERT_TRUE(IsWindow(dlg));
    ShowWindow(dlg, SW_SHOW);
    auto pump = [&] {
        Msg m;
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessage(dlg, &m)) {
                TranslateMessage(m);
                DispatchMessage(m);
            }
        }
    };
    pump();
    // Tab visits each tab stop once and comes back round.
    std::vector<int> order;
    const Hwnd first = GetFocus();
    for (int i = 0; i < 40; ++i) {
        order.push_back(GetDlgCtrlID(
            GetAncestor(GetFocus(), GA_PARENT) == dlg ? GetFocus() : GetParent(GetFocus())));
        screen->KeyDown(VK_TAB);
        screen->KeyUp(VK_TAB);
        pump();
        if (GetFocus() == first) break;
    }
    EXPECT_EQ(GetFocus(), first);
    EXPECT_GE(order.size(), 15u);
    // The horizontal bar's right arrow moves it by one.
    Rect r;
    GetWindowRect(GetDlgItem(dlg, 1000 + 19), &r);
    const int before = GetScrollPos(GetDlgItem(dlg, 1000 + 19), SB_CTL);
    screen->Click(r.right - 3, (r.top + r.bottom) / 2);
    pump();
    EXPECT_EQ(GetScrollPos(GetDlgItem(dlg, 1000 + 19), SB_CTL), before + 1);
    // Esc ends it (a modeless dialog hides).
    screen->KeyDown(VK_ESCAPE);
    screen->KeyUp(VK_ESCAPE);
    pump();
    EXPECT_FALSE(IsWindowVisible(dlg));
    DestroyWindow(dlg);
}

// F4's open dialog: a typed name without its extension finds the map; Esc gives nothing.
TEST(DemoDialog, TheOpenDialogChoosesAMapByItsName) {
    auto backend = std::make_unique<HeadlessBackend>(800, 600);
    HeadlessBackend* screen = backend.get();
    WindowManager wm(std::move(backend));
    { std::ofstream("uidemo_test.ddm") << "map"; }
    screen->Text("uidemo_test");
    screen->KeyDown(VK_RETURN);
    screen->KeyUp(VK_RETURN);
    const std::string chosen = ShowDemoFileDialog({});
    EXPECT_EQ(chosen, std::filesystem::current_path().string() + "/uidemo_test.ddm");
    screen->KeyDown(VK_ESCAPE);
    screen->KeyUp(VK_ESCAPE);
    EXPECT_EQ(ShowDemoFileDialog({}), "");
    std::filesystem::remove("uidemo_test.ddm");
}

}  // namespace
}  // namespace uidemo
