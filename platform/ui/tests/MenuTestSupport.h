#pragma once

// Menus under test: a registered menu resource, a framed window with it, key helpers, and
// scripted steps that run inside a menu's modal loop (from a timer) so that a test can look
// at an open popup and move on from there.

#include <deque>
#include <filesystem>
#include <functional>

#include "platform/core/Sjis.h"
#include "platform/ui/Menu.h"
#include "platform/ui/tests/UiTestSupport.h"

namespace zv::ui::testing {

constexpr int kTestMenu = 9001;
enum : int {
    kNew = 1,
    kOpen = 2,
    kExit = 3,
    kUndo = 10,
    kCut = 11,
    kCopy = 12,
    kAlpha = 20,
    kBeta = 21,
    kAbout = 30,
};

inline void RegisterTestMenu() {
    MenuRegistry::Global().Add(
        {kTestMenu,
         {MenuPopup("&File", {MenuCommand(kNew, "&New\tCtrl+N"), MenuCommand(kOpen, "&Open..."),
                              MenuSeparator(), MenuCommand(kExit, "E&xit")}),
          MenuPopup("&Edit",
                    {MenuCommand(kUndo, "&Undo\tCtrl+Z", MF_GRAYED), MenuCommand(kCut, "Cu&t"),
                     MenuCommand(kCopy, "&Copy", MF_CHECKED), MenuSeparator(),
                     MenuPopup("&More", {MenuCommand(kAlpha, "&Alpha"),
                                         MenuCommand(kBeta, "&Beta")})}),
          MenuPopup("ヘルプ(&H)", {MenuCommand(kAbout, "バージョン情報(&A)")})}});
}

// Steps run one by one from a timer while a modal loop (a menu's) waits for input.
class Script {
  public:
    static Script*& Current() {
        static Script* s = nullptr;
        return s;
    }
    explicit Script(Hwnd timerWindow) : window_(timerWindow) { Current() = this; }
    ~Script() { Current() = nullptr; }

    void Then(std::function<void()> step) {
        steps_.push_back(std::move(step));
        if (steps_.size() == 1) Arm();
    }
    bool Done() const { return steps_.empty(); }

  private:
    static void OnTimer(Hwnd h, uint32_t, uintptr_t id, uint32_t) {
        KillTimer(h, id);
        Script* s = Current();
        if (!s || s->steps_.empty()) return;
        auto step = std::move(s->steps_.front());
        s->steps_.pop_front();
        step();
        if (!s->steps_.empty()) s->Arm();
    }
    void Arm() { SetTimer(window_, 77, 10, &Script::OnTimer); }

    Hwnd window_;
    std::deque<std::function<void()>> steps_;
};

class MenuTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        RegisterTestMenu();
        screen->SetAutoAdvance(true);
    }

    Hwnd MakeFrame(Hmenu menu, uint32_t extraStyle = 0) {
        const Hwnd h = CreateWindowEx(0, "Recorder", "Frame",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE | extraStyle, 20, 20, 500,
                                      360, {}, static_cast<intptr_t>(MenuToParam(menu)), nullptr,
                                      nullptr);
        wm->PumpPending();
        return h;
    }

    void Key(uint32_t vk) {
        screen->KeyDown(vk);
        screen->KeyUp(vk);
    }
    void AltKey(uint32_t vk) {
        screen->KeyDown(VK_MENU);
        Key(vk);
        screen->KeyUp(VK_MENU);
    }
    void Pump() {
        Msg m;
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            TranslateMessage(m);
            DispatchMessage(m);
        }
        wm->Flush();
    }
    // The command ids that reached h, in order.
    std::vector<int> Commands(Hwnd h, uint32_t msg = WM_COMMAND) const {
        std::vector<int> out;
        for (const auto& r : rec.log) {
            if (r.hwnd == h && r.msg == msg) out.push_back(LoWord(r.wParam));
        }
        return out;
    }
    static Point Centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    void Shot(const std::string& name) {
        wm->Flush();
        std::filesystem::create_directories("screenshots");
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot("screenshots/" + name + ".png", &error)) << error;
    }
};

}  // namespace zv::ui::testing
