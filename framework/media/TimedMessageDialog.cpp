#include "framework/media/TimedMessageDialog.h"

#include <algorithm>
#include <string>

#include "framework/media/TextFont.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Window.h"

namespace zv::fw {

namespace {

constexpr const char* kClassName = "ZvTimedNotice";
constexpr uintptr_t kTimerId = 1;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kFontHeight = 18;
constexpr int kTextMargin = 16;  // left and right of the text

// Each notice keeps its own text and function, so a second notice cannot change the first.
struct Notice {
    std::string text;
    TimedNoticeFunction function;
    bool timer = false;
    bool pressed = false;
};

ui::Hwnd gLast{};

Notice* NoticeOf(ui::Hwnd h) {
    return reinterpret_cast<Notice*>(ui::GetWindowLongPtr(h, ui::GWLP_USERDATA));
}

ui::Rect ButtonRect(ui::Hwnd h) {
    ui::Rect c;
    ui::GetClientRect(h, &c);
    int left = (c.Width() - kButtonWidth) / 2;
    int top = c.Height() - kButtonHeight - 8;
    return {left, top, left + kButtonWidth, top + kButtonHeight};
}

void PaintButton(ui::Canvas& dc, const ui::Rect& r, bool pressed) {
    dc.FillSolid(r, ui::Rgb(192, 192, 192));
    ui::ColorRef light = pressed ? ui::Rgb(0, 0, 0) : ui::Rgb(255, 255, 255);
    ui::ColorRef dark = pressed ? ui::Rgb(255, 255, 255) : ui::Rgb(0, 0, 0);
    dc.FillSolid({r.left, r.top, r.right, r.top + 1}, light);
    dc.FillSolid({r.left, r.top, r.left + 1, r.bottom}, light);
    dc.FillSolid({r.left, r.bottom - 1, r.right, r.bottom}, dark);
    dc.FillSolid({r.right - 1, r.top, r.right, r.bottom}, dark);
    ui::Rect t = r;
    dc.SetBkMode(ui::TRANSPARENT);
    dc.SetTextColor(ui::Rgb(0, 0, 0));
    dc.DrawText("OK", t, ui::DT_CENTER | ui::DT_VCENTER | ui::DT_SINGLELINE,
                ui::TextEncoding::Utf8);
}

ui::LResult NoticeProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    Notice* n = NoticeOf(h);
    switch (msg) {
        case ui::WM_CREATE: {
            auto* cs = reinterpret_cast<ui::CreateStruct*>(l);
            ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, intptr_t(cs->createParams));
            return 0;
        }
        case ui::WM_PAINT: {
            ui::PaintStruct ps;
            ui::Canvas* dc = ui::BeginPaint(h, &ps);
            if (dc && n) {
                ui::Rect c;
                ui::GetClientRect(h, &c);
                TextFont font(kFaceMincho, kFontHeight, 0, 1, 0, 0);
                font.Select(dc);
                font.SetColors(ui::Rgb(0, 0, 0), ui::Rgb(255, 255, 255), 1);
                ui::Size size;
                font.GetTextSize(n->text.c_str(), &size);
                // Centred, eight pixels above the middle, leaving room for the button.
                font.DrawAt((c.Width() - size.cx) / 2, (c.Height() - size.cy - 16) / 2,
                            n->text.c_str());
                font.Release();
                PaintButton(*dc, ButtonRect(h), n->pressed);
            }
            ui::EndPaint(h, &ps);
            return 0;
        }
        case ui::WM_LBUTTONDOWN: {
            ui::Rect b = ButtonRect(h);
            if (n && b.Contains(int16_t(l & 0xFFFF), int16_t((l >> 16) & 0xFFFF))) {
                n->pressed = true;
                ui::SetCapture(h);
                ui::InvalidateRect(h, &b, false);
            }
            return 0;
        }
        case ui::WM_LBUTTONUP: {
            if (!n || !n->pressed) return 0;
            n->pressed = false;
            ui::ReleaseCapture();
            ui::Rect b = ButtonRect(h);
            ui::InvalidateRect(h, &b, false);
            if (b.Contains(int16_t(l & 0xFFFF), int16_t((l >> 16) & 0xFFFF))) {
                ui::PostMessage(h, ui::WM_COMMAND, kTimedNoticeButtonId, 0);
            }
            return 0;
        }
        case ui::WM_KEYDOWN:
            if (w == ui::VK_RETURN) ui::PostMessage(h, ui::WM_COMMAND, kTimedNoticeButtonId, 0);
            return 0;
        case ui::WM_COMMAND:
            if ((w & 0xFFFF) == kTimedNoticeButtonId) ui::DestroyWindow(h);
            return 1;
        case ui::WM_TIMER:
            if (w == kTimerId && n) {
                ui::KillTimer(h, kTimerId);
                n->timer = false;
                TimedNoticeFunction f = n->function;
                if (f) f();
                ui::DestroyWindow(h);
            }
            return 0;
        case ui::WM_DESTROY:
            if (n) {
                if (n->timer) ui::KillTimer(h, kTimerId);
                ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, 0);
                delete n;
            }
            return 0;
        default:
            break;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

void EnsureClass() {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kClassName, &existing)) return;
    ui::WindowClass wc;
    wc.name = kClassName;
    wc.proc = NoticeProc;
    wc.hasBackground = true;
    wc.background = ui::Rgb(192, 192, 192);
    ui::RegisterClass(wc);
}

}  // namespace

int ShowTimedMessageDialog(ui::Hwnd parent, const char* text, const char* caption,
                           TimedNoticeFunction function, uint32_t milliseconds) {
    gLast = {};
    if (!ui::WindowManager::Current()) return 1;
    EnsureClass();
    auto* n = new Notice();
    std::string_view t = text ? text : "";
    n->text.assign(t.substr(0, core::SjisCutLength(t, kTimedNoticeTextLimit)));
    n->function = std::move(function);
    constexpr uint32_t kStyle = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_DLGFRAME;
    // The window is sized for its client area, centred on the parent or the screen; a text
    // wider than the usual width widens it (a participant's long name), never past the screen.
    int frame = ui::kDialogFrameWidth;
    int clientWidth = kTimedNoticeWidth;
    {
        TextFont font(kFaceMincho, kFontHeight, 0, 1, 0, 0);
        if (const ui::FontSpec* spec = font.Spec()) {
            const int textWidth = ui::Font(*spec).MeasureText(n->text).cx + 2 * kTextMargin;
            clientWidth = std::min(std::max(clientWidth, textWidth),
                                   ui::GetSystemMetrics(ui::SM_CXSCREEN) - 2 * frame);
        }
    }
    int w = clientWidth + 2 * frame;
    int h = kTimedNoticeHeight + 2 * frame + ui::GetSystemMetrics(ui::SM_CYCAPTION);
    ui::Rect area{0, 0, ui::GetSystemMetrics(ui::SM_CXSCREEN),
                  ui::GetSystemMetrics(ui::SM_CYSCREEN)};
    if (parent) ui::GetWindowRect(parent, &area);
    int x = area.left + (area.Width() - w) / 2;
    int y = area.top + (area.Height() - h) / 2;
    ui::Hwnd win = ui::CreateWindowEx(0, kClassName, "", kStyle, x, y, w, h, parent, 0, nullptr, n);
    if (!win) {
        delete n;
        return 1;
    }
    if (milliseconds != 0) {
        ui::SetTimer(win, kTimerId, milliseconds);
        n->timer = true;
    }
    if (caption) ui::SetWindowText(win, caption);
    ui::SetWindowPos(win, ui::HWND_TOPMOST, 0, 0, 0, 0, ui::SWP_NOMOVE | ui::SWP_NOSIZE);
    ui::ShowWindow(win, ui::SW_SHOW);
    ui::UpdateWindow(win);
    gLast = win;
    return 1;
}

std::string TimedMessageDialogText(ui::Hwnd notice) {
    if (!ui::IsWindow(notice) || ui::GetClassName(notice) != kClassName) return {};
    Notice* n = NoticeOf(notice);
    return n ? n->text : std::string();
}

ui::Hwnd LastTimedMessageDialog() {
    return ui::IsWindow(gLast) ? gLast : ui::Hwnd{};
}

}  // namespace zv::fw
