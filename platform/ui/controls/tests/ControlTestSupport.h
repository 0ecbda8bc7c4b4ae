#pragma once

// A headless window manager with the standard controls, a parent window that records the
// notifications its controls send, and helpers that drive controls by injected input.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Sjis.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::testing {

struct Note {
    uint32_t msg;
    int id;
    int code;       // WM_COMMAND's notification code, or WM_NOTIFY's code as an int
    LParam lParam;  // as it came
};

struct ParentLog {
    std::vector<Note> notes;
    std::vector<DrawItemStruct> drawn;
    std::function<bool(Hwnd, uint32_t, WParam, LParam, LResult*)> handler;
    int measureHeight = 0;

    std::vector<int> Codes(uint32_t msg, int id) const {
        std::vector<int> out;
        for (const Note& n : notes) {
            if (n.msg == msg && n.id == id) out.push_back(n.code);
        }
        return out;
    }
    int Count(uint32_t msg, int id, int code) const {
        int c = 0;
        for (const Note& n : notes) c += (n.msg == msg && n.id == id && n.code == code) ? 1 : 0;
        return c;
    }
};

inline ParentLog* gLog = nullptr;

inline LResult ParentProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (gLog) {
        LResult r = 0;
        if (gLog->handler && gLog->handler(h, msg, w, l, &r)) return r;
        switch (msg) {
            case WM_COMMAND:
                gLog->notes.push_back({msg, LoWord(w), HiWord(w), l});
                return 0;
            case WM_NOTIFY: {
                const auto* hdr = reinterpret_cast<const NmHdr*>(l);
                gLog->notes.push_back({msg, int(hdr->idFrom), int(int32_t(hdr->code)), l});
                return 0;
            }
            case WM_DRAWITEM: {
                const auto* di = reinterpret_cast<const DrawItemStruct*>(l);
                gLog->drawn.push_back(*di);
                // Owner-drawn items in a colour of their own, so screenshots show them.
                const uint32_t sel = di->itemState & ODS_SELECTED;
                di->hdc->FillSolid(di->rcItem, sel ? Rgb(200, 40, 40) : Rgb(40, 160, 40));
                return 1;
            }
            case WM_MEASUREITEM:
                if (gLog->measureHeight) {
                    reinterpret_cast<MeasureItemStruct*>(l)->itemHeight =
                        uint32_t(gLog->measureHeight);
                }
                return 1;
            case WM_VSCROLL:
            case WM_HSCROLL:
                gLog->notes.push_back({msg, 0, LoWord(w), l});
                return 0;
            default:
                break;
        }
    }
    return DefWindowProc(h, msg, w, l);
}

class ControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto backend = std::make_unique<HeadlessBackend>(640, 480);
        screen = backend.get();
        wm = std::make_unique<WindowManager>(std::move(backend));
        gLog = &log;
        ASSERT_TRUE(RegisterStandardControls());
        WindowClass wc;
        wc.name = "ControlParent";
        wc.proc = ParentProc;
        wc.hasBackground = true;
        wc.background = Rgb(192, 192, 192);
        ASSERT_TRUE(RegisterClass(wc));
        parent = CreateWindowEx(0, "ControlParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, {},
                                0, nullptr, nullptr);
        ASSERT_TRUE(parent);
    }
    void TearDown() override {
        // The manager drops windows still alive without messages; destroy them properly so
        // that every control frees its state.
        for (Hwnd top = GetTopWindow({}); top; top = GetTopWindow({})) DestroyWindow(top);
        wm.reset();
        gLog = nullptr;
    }

    Hwnd Make(const char* cls, const std::string& text, uint32_t style, int id, int x, int y, int w,
              int h, uint32_t exStyle = 0) {
        return CreateWindowEx(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                              id, nullptr, nullptr);
    }
    // Input goes through the backend and the queue, as a player's would.
    void Pump() { wm->PumpPending(); }
    Point Center(Hwnd h) const {
        Rect r;
        GetWindowRect(h, &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    Point At(Hwnd h, int x, int y) const {
        Point p{x, y};
        ClientToScreen(h, &p);
        return p;
    }
    void Click(Point p) {
        screen->Click(p.x, p.y);
        Pump();
        // Far enough in time that the next click is not a double click.
        screen->AdvanceClock(1000);
    }
    void DoubleClick(Point p) {
        screen->Click(p.x, p.y);
        screen->Click(p.x, p.y);
        Pump();
        screen->AdvanceClock(1000);
    }
    void Key(uint32_t vk) {
        screen->KeyDown(vk);
        screen->KeyUp(vk);
        Pump();
    }
    void KeyWith(uint32_t modifier, uint32_t vk) {
        screen->KeyDown(modifier);
        screen->KeyDown(vk);
        screen->KeyUp(vk);
        screen->KeyUp(modifier);
        Pump();
    }
    void Type(const std::string& utf8) {
        screen->Text(utf8);
        Pump();
    }
    static std::string Sjis(const std::string& utf8) { return core::Utf8ToSjis(utf8); }
    static std::string Utf8(const std::string& sjis) { return core::SjisToUtf8(sjis); }

    // Paints everything and writes the screen where the test output is kept.
    void Shot(const std::string& name) {
        wm->Flush();
        std::filesystem::create_directories("screenshots");
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot("screenshots/" + name + ".png", &error)) << error;
    }

    // The screen pixels of a window's area (x, y, w, h from its top-left corner) that are
    // exactly `rgb` (0xRRGGBB). Call after Shot or wm->Flush().
    int CountPixels(Hwnd h, int x, int y, int w, int height, uint32_t rgb) const {
        Rect r;
        GetWindowRect(h, &r);
        int n = 0;
        for (int dy = 0; dy < height; ++dy)
            for (int dx = 0; dx < w; ++dx) n += screen->PixelAt(r.left + x + dx, r.top + y + dy) == rgb ? 1 : 0;
        return n;
    }
    int CountPixels(Hwnd h, uint32_t rgb) const {
        Rect r;
        GetWindowRect(h, &r);
        return CountPixels(h, 0, 0, r.Width(), r.Height(), rgb);
    }
    // The first and last row (from the window's top) with at least `minimum` pixels of `rgb`;
    // {-1, -1} when none has.
    std::pair<int, int> RowsWith(Hwnd h, uint32_t rgb, int minimum) const {
        Rect r;
        GetWindowRect(h, &r);
        std::pair<int, int> rows{-1, -1};
        for (int y = 0; y < r.Height(); ++y) {
            if (CountPixels(h, 0, y, r.Width(), 1, rgb) < minimum) continue;
            if (rows.first < 0) rows.first = y;
            rows.second = y;
        }
        return rows;
    }
    // The leftmost and rightmost column (from the window's left) with a pixel other than
    // `background`, looking `inset` pixels inside the window's edges; {-1, -1} when none.
    std::pair<int, int> InkColumns(Hwnd h, uint32_t background, int inset = 0) const {
        Rect r;
        GetWindowRect(h, &r);
        std::pair<int, int> cols{-1, -1};
        const int rows = r.Height() - 2 * inset;
        for (int x = inset; x < r.Width() - inset; ++x) {
            if (CountPixels(h, x, inset, 1, rows, background) == rows) continue;
            if (cols.first < 0) cols.first = x;
            cols.second = x;
        }
        return cols;
    }
    // A system colour as the screen holds it (0xRRGGBB).
    static uint32_t SysPixel(int index) {
        const ColorRef c = GetSysColor(index);
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }

    HeadlessBackend* screen = nullptr;
    std::unique_ptr<WindowManager> wm;
    ParentLog log;
    Hwnd parent{};
};

}  // namespace zv::ui::testing
