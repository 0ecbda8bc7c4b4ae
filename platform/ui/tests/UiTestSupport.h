#pragma once

// A headless window manager per test, and a window class that records what it receives.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::ui::testing {

struct Received {
    Hwnd hwnd;
    uint32_t msg;
    WParam wParam;
    LParam lParam;
    std::thread::id thread;
};

// What the recording class saw, and optional per-message answers.
struct Recorder {
    std::vector<Received> log;
    std::function<bool(Hwnd, uint32_t, WParam, LParam, LResult*)> handler;

    std::vector<uint32_t> MessagesFor(Hwnd h) const {
        std::vector<uint32_t> out;
        for (const auto& r : log) {
            if (r.hwnd == h) out.push_back(r.msg);
        }
        return out;
    }
    int Count(Hwnd h, uint32_t msg) const {
        int n = 0;
        for (const auto& r : log) n += (r.hwnd == h && r.msg == msg) ? 1 : 0;
        return n;
    }
    const Received* Last(Hwnd h, uint32_t msg) const {
        for (auto it = log.rbegin(); it != log.rend(); ++it) {
            if (it->hwnd == h && it->msg == msg) return &*it;
        }
        return nullptr;
    }
};

// Clicks the row of list box `list` whose text is `text`; false when no row has it.
inline bool ClickListBoxRowNamed(HeadlessBackend& screen, Hwnd list, const std::string& text) {
    const auto n = static_cast<int>(SendMessage(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char row[512] = {};
        SendMessage(list, LB_GETTEXT, static_cast<WParam>(i), reinterpret_cast<LParam>(row));
        if (text != row) continue;
        Rect r{};
        SendMessage(list, LB_GETITEMRECT, static_cast<WParam>(i), reinterpret_cast<LParam>(&r));
        Point p{r.left + 30, r.top + r.Height() / 2};
        ClientToScreen(list, &p);
        screen.Click(p.x, p.y);
        return true;
    }
    return false;
}

// Where a test's screenshot goes: screenshots/ under the tests' working folder, made on demand.
inline std::string ShotPath(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::current_path() / "screenshots";
    std::filesystem::create_directories(dir);
    return (dir / (name + ".png")).string();
}

inline Recorder* gRecorder = nullptr;

inline LResult RecordingProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (gRecorder) {
        gRecorder->log.push_back({h, msg, w, l, std::this_thread::get_id()});
        LResult r = 0;
        if (gRecorder->handler && gRecorder->handler(h, msg, w, l, &r)) return r;
    }
    return DefWindowProc(h, msg, w, l);
}

class UiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto backend = std::make_unique<HeadlessBackend>(640, 480);
        screen = backend.get();
        wm = std::make_unique<WindowManager>(std::move(backend));
        gRecorder = &rec;
        WindowClass wc;
        wc.name = "Recorder";
        wc.proc = RecordingProc;
        wc.windowExtraBytes = 8;
        wc.hasBackground = true;
        wc.background = Rgb(192, 192, 192);
        ASSERT_TRUE(RegisterClass(wc));
    }
    void TearDown() override {
        wm.reset();
        gRecorder = nullptr;
    }

    // A plain pop-up without a frame: its client area is its window rectangle.
    Hwnd Popup(int x, int y, int w, int h, uint32_t extra = WS_VISIBLE, Hwnd owner = {}) {
        return CreateWindowEx(0, "Recorder", "popup", WS_POPUP | extra, x, y, w, h, owner, 0,
                              nullptr, nullptr);
    }
    Hwnd Child(Hwnd parent, int id, int x, int y, int w, int h, uint32_t extra = WS_VISIBLE) {
        return CreateWindowEx(0, "Recorder", "child", WS_CHILD | extra, x, y, w, h, parent, id,
                              nullptr, nullptr);
    }

    HeadlessBackend* screen = nullptr;
    std::unique_ptr<WindowManager> wm;
    Recorder rec;
};

}  // namespace zv::ui::testing
