#include "framework/media/TimedMessageDialog.h"

#include <algorithm>
#include <string>

#include "framework/media/TextFont.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"

namespace zv::fw {

namespace {

constexpr const char* kClassName = "ZvTimedNotice";
constexpr uintptr_t kTimerId = 1;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kFontHeight = 18;
constexpr int kTextMargin = 16;  // left and right of the text

// What a notice is made with; its window takes it over at WM_NCCREATE.
struct NoticeContent {
    std::string text;
    TimedNoticeFunction function;
};

ui::Hwnd gLast{};

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

// A notice window. Each keeps its own text and function, so a second notice cannot change the
// first.
class Notice : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    const std::string& Text() const { return text_; }
    void StartTimer(uint32_t milliseconds) {
        ui::SetTimer(Handle(), kTimerId, milliseconds);
        timer_ = true;
    }

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_NCCREATE:
                OnNcCreate(reinterpret_cast<const ui::CreateStruct*>(l));
                return Default(msg, w, l);
            case ui::WM_PAINT:
                OnPaint();
                return 0;
            case ui::WM_LBUTTONDOWN:
                OnLButtonDown(ui::GetXLParam(l), ui::GetYLParam(l));
                return 0;
            case ui::WM_LBUTTONUP:
                OnLButtonUp(ui::GetXLParam(l), ui::GetYLParam(l));
                return 0;
            case ui::WM_KEYDOWN:
                if (w == ui::VK_RETURN) ui::PostMessage(Handle(), ui::WM_COMMAND, kTimedNoticeButtonId, 0);
                return 0;
            case ui::WM_COMMAND:
                if (ui::LoWord(w) == kTimedNoticeButtonId) ui::DestroyWindow(Handle());
                return 1;
            case ui::WM_TIMER:
                if (w == kTimerId) OnTimer();
                return 0;
            case ui::WM_DESTROY:
                if (timer_) ui::KillTimer(Handle(), kTimerId);
                timer_ = false;
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    void OnNcCreate(const ui::CreateStruct* cs) {
        if (!cs || !cs->createParams) return;
        auto* content = static_cast<NoticeContent*>(cs->createParams);
        text_ = std::move(content->text);
        function_ = std::move(content->function);
    }
    void OnPaint() {
        const ui::Hwnd h = Handle();
        ui::PaintStruct ps;
        ui::Canvas* dc = ui::BeginPaint(h, &ps);
        if (dc) {
            ui::Rect c;
            ui::GetClientRect(h, &c);
            TextFont font(kFaceMincho, kFontHeight, 0, 1, 0, 0);
            font.Select(dc);
            font.SetColors(ui::Rgb(0, 0, 0), ui::Rgb(255, 255, 255), 1);
            ui::Size size;
            font.GetTextSize(text_.c_str(), &size);
            // Centred, eight pixels above the middle, leaving room for the button.
            font.DrawAt((c.Width() - size.cx) / 2, (c.Height() - size.cy - 16) / 2, text_.c_str());
            font.Release();
            PaintButton(*dc, ButtonRect(h), pressed_);
        }
        ui::EndPaint(h, &ps);
    }
    void OnLButtonDown(int x, int y) {
        const ui::Rect b = ButtonRect(Handle());
        if (!b.Contains(x, y)) return;
        pressed_ = true;
        ui::SetCapture(Handle());
        ui::InvalidateRect(Handle(), &b, false);
    }
    void OnLButtonUp(int x, int y) {
        if (!pressed_) return;
        pressed_ = false;
        ui::ReleaseCapture();
        const ui::Rect b = ButtonRect(Handle());
        ui::InvalidateRect(Handle(), &b, false);
        if (b.Contains(x, y)) ui::PostMessage(Handle(), ui::WM_COMMAND, kTimedNoticeButtonId, 0);
    }
    void OnTimer() {
        ui::KillTimer(Handle(), kTimerId);
        timer_ = false;
        const TimedNoticeFunction f = function_;
        if (f) f();
        ui::DestroyWindow(Handle());
    }

    std::string text_;
    TimedNoticeFunction function_;
    bool timer_ = false;
    bool pressed_ = false;
};

void EnsureClass() {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kClassName, &existing)) return;
    ui::WindowClass wc;
    wc.name = kClassName;
    wc.proc = ui::WindowObjectProc<Notice>;
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
    NoticeContent content;
    std::string_view t = text ? text : "";
    content.text.assign(t.substr(0, core::SjisCutLength(t, kTimedNoticeTextLimit)));
    content.function = std::move(function);
    constexpr uint32_t kStyle = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_DLGFRAME;
    // The window is sized for its client area, centred on the parent or the screen; a text
    // wider than the usual width widens it (a participant's long name), never past the screen.
    int frame = ui::kDialogFrameWidth;
    int clientWidth = kTimedNoticeWidth;
    {
        TextFont font(kFaceMincho, kFontHeight, 0, 1, 0, 0);
        if (const ui::FontSpec* spec = font.Spec()) {
            const int textWidth = ui::Font(*spec).MeasureText(content.text).cx + 2 * kTextMargin;
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
    const ui::Hwnd win = ui::CreateWindowEx(0, kClassName, "", kStyle, x, y, w, h, parent, 0, nullptr, &content);
    Notice* notice = win ? ui::WindowObjectOf<Notice>(win, kClassName) : nullptr;
    if (!notice) return 1;
    if (milliseconds != 0) notice->StartTimer(milliseconds);
    if (caption) ui::SetWindowText(win, caption);
    ui::SetWindowPos(win, ui::HWND_TOPMOST, 0, 0, 0, 0, ui::SWP_NOMOVE | ui::SWP_NOSIZE);
    ui::ShowWindow(win, ui::SW_SHOW);
    ui::UpdateWindow(win);
    gLast = win;
    return 1;
}

std::string TimedMessageDialogText(ui::Hwnd notice) {
    const Notice* n = ui::IsWindow(notice) ? ui::WindowObjectOf<Notice>(notice, kClassName) : nullptr;
    return n ? n->Text() : std::string();
}

ui::Hwnd LastTimedMessageDialog() {
    return ui::IsWindow(gLast) ? gLast : ui::Hwnd{};
}

}  // namespace zv::fw
