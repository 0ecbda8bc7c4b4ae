#include "framework/media/DebugWindow.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "framework/media/Application.h"
#include "framework/media/DebugList.h"
#include "platform/core/Sjis.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"

namespace zv::fw {

namespace {

constexpr uintptr_t kCloseTimer = 1;
constexpr uint32_t kListStyle = 0x51300DC0;
constexpr const char* kInputClass = "ZvDebugInput";
constexpr int kInputEditId = 1014;

std::string Stamped() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    char buf[64];
    std::snprintf(buf, sizeof buf, "DEBUGWIN%d%d%d%d", t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buf;
}

// The input box: one line typed into it, OK (Enter) or Cancel (Escape).
struct InputBox {
    std::string text;
    int result = -1;  // -1 while open
};

// The input box's window; the box it fills arrives with WM_NCCREATE and outlives the window.
class InputBoxWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_NCCREATE:
                if (const auto* cs = reinterpret_cast<const ui::CreateStruct*>(l)) {
                    box_ = static_cast<InputBox*>(cs->createParams);
                }
                return Default(msg, w, l);
            case ui::WM_CREATE:
                return 0;
            case ui::WM_CHAR:
                OnChar(w);
                return 0;
            case ui::WM_KEYDOWN:
                if (w == ui::VK_RETURN) ui::SendMessage(Handle(), ui::WM_COMMAND, ui::IDOK, 0);
                if (w == ui::VK_ESCAPE) ui::SendMessage(Handle(), ui::WM_COMMAND, ui::IDCANCEL, 0);
                return 0;
            case ui::WM_COMMAND:
                OnCommand(ui::LoWord(w));
                return 0;
            case ui::WM_CLOSE:
                if (box_) box_->result = 0;
                return 0;
            case ui::WM_PAINT:
                OnPaint();
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    void OnChar(ui::WParam w) {
        if (!box_) return;
        std::string& text = box_->text;
        if (w == ui::VK_BACK) {
            // Back over a whole character, never half of a double-byte one.
            std::size_t keep = 0;
            while (keep < text.size()) {
                const std::size_t step = core::IsSjisLeadByte(uint8_t(text[keep])) ? 2 : 1;
                if (keep + step >= text.size()) break;
                keep += step;
            }
            text.resize(keep);
        } else if (w >= 0x20 && text.size() < std::size_t(kDebugInputSize - 1)) {
            text.push_back(char(w));
        }
        ui::InvalidateRect(Handle(), nullptr, true);
    }
    void OnCommand(int id) {
        if (box_ && (id == ui::IDOK || id == ui::IDCANCEL)) box_->result = id == ui::IDOK;
    }
    void OnPaint() {
        const ui::Hwnd h = Handle();
        ui::PaintStruct ps;
        ui::Canvas* dc = ui::BeginPaint(h, &ps);
        if (dc && box_) {
            ui::Rect c;
            ui::GetClientRect(h, &c);
            const ui::Rect edit{8, 8, c.right - 8, 8 + 20};
            dc->FillSolid(edit, ui::Rgb(255, 255, 255));
            dc->SetBkMode(ui::TRANSPARENT);
            dc->TextOut(edit.left + 2, edit.top + 3, box_->text);
        }
        ui::EndPaint(h, &ps);
    }

    InputBox* box_ = nullptr;
};

}  // namespace

DebugWindow::DebugWindow() : input_(new char[kDebugInputSize]()) {}

DebugWindow::~DebugWindow() {
    if (ui::IsWindow(window_)) {
        // Detach first: the window's destruction must not delete this object again.
        ui::SetWindowLongPtr(window_, ui::GWLP_USERDATA, 0);
        ui::DestroyWindow(window_);
    }
    window_ = {};
    if (!className_.empty()) ui::UnregisterClass(className_);
}

int DebugWindow::Open(const char* title, ui::Hwnd parent, int showCommand, int topmost,
                      uint32_t closeAfterMs, int x, int y, int width, int height) {
    return Open(nullptr, title, parent, showCommand, topmost, closeAfterMs, x, y, width, height);
}

int DebugWindow::Open(const AppInstance* instance, const char* title, ui::Hwnd parent,
                      int showCommand, int topmost, uint32_t closeAfterMs, int x, int y, int width,
                      int height) {
    if (instance) {
        instance_ = *instance;
    } else if (Application* app = GetApplication()) {
        instance_ = app->GetInstance();
    }
    if (className_.empty()) {
        className_ = Stamped();
        ui::WindowClass wc;
        wc.name = className_;
        wc.proc = &DebugWindow::Proc;
        wc.hasBackground = true;
        wc.background = ui::Rgb(128, 128, 128);  // the stock grey brush
        ui::RegisterClass(wc);
    }
    title_ = title ? title : Stamped();
    ui::Hwnd w =
        ui::CreateWindowEx(topmost ? ui::WS_EX_TOPMOST : 0, className_, title_,
                           ui::WS_OVERLAPPEDWINDOW, x, y, width, height, parent, 0, nullptr, this);
    if (!w) return 0;
    window_ = w;
    ui::ShowWindow(w, showCommand);
    ui::UpdateWindow(w);
    if (closeAfterMs != 0) {
        ui::SetTimer(w, kCloseTimer, closeAfterMs);
        timer_ = 1;
    }
    return 1;
}

ui::LResult DebugWindow::Proc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    auto* self = reinterpret_cast<DebugWindow*>(ui::GetWindowLongPtr(h, ui::GWLP_USERDATA));
    if (msg == ui::WM_CREATE) {
        // The object that opens the window comes with it; it is kept once, here.
        self = static_cast<DebugWindow*>(reinterpret_cast<const ui::CreateStruct*>(l)->createParams);
        ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, reinterpret_cast<intptr_t>(self));
    }
    if (!self) return ui::DefWindowProc(h, msg, w, l);
    return self->Dispatch(h, msg, w, l);
}

ui::LResult DebugWindow::Dispatch(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    switch (msg) {
        case ui::WM_CREATE:
            OnCreate(h);
            return 0;
        case ui::WM_SIZE:
            if (w != ui::SIZE_MINIMIZED) OnSize(ui::LoWord(static_cast<uintptr_t>(l)), ui::HiWord(static_cast<uintptr_t>(l)));
            break;
        case ui::WM_SYSCOMMAND:
            if (OnSysCommand(ui::LoWord(w))) return 0;
            break;
        case ui::WM_TIMER:
            if (w == kCloseTimer) {
                ui::KillTimer(h, kCloseTimer);
                ui::DestroyWindow(h);
                return 0;
            }
            break;
        case ui::WM_DESTROY:
            OnDestroy(h);
            return 0;
        default:
            break;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

void DebugWindow::OnCreate(ui::Hwnd h) {
    ui::WindowClass info;
    const char* listClass = ui::GetClassInfo("LISTBOX", &info) ? "LISTBOX" : kDebugListClass;
    if (listClass == kDebugListClass) RegisterDebugListClass();
    list_ = ui::CreateWindowEx(0, listClass, "", kListStyle, 0, 0, 0, 0, h, 0, nullptr, nullptr);
    if (!list_) {
        ui::PostMessage(h, ui::WM_CLOSE, 0, 0);
        return;
    }
    ui::FontSpec spec;  // the default face and size, fixed pitch
    spec.pitchAndFamily = 1;
    listFont_ = std::make_unique<ui::Font>(spec);
    ui::SendMessage(list_, kLbResetContent, 0, 0);
    ui::SendMessage(list_, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(listFont_.get()), 0);
}

void DebugWindow::OnSize(int width, int height) {
    if (!list_) return;
    ui::MoveWindow(list_, 0, 0, width, height, true);
    ui::ShowWindow(list_, ui::SW_SHOW);
    ui::UpdateWindow(list_);
}

bool DebugWindow::OnSysCommand(int command) {
    switch (command) {
        case kDebugInputCommand:
            AskDebugInput();
            return true;
        case kDebugCommand1:
            OnCommand1();
            return true;
        case kDebugCommand2:
            OnCommand2();
            return true;
        case kDebugCommand3:
            OnCommand3();
            return true;
        default:
            return false;
    }
}

void DebugWindow::OnDestroy(ui::Hwnd h) {
    list_ = {};
    if (kept_) return;
    // An object not kept goes with its window.
    window_ = {};
    ui::SetWindowLongPtr(h, ui::GWLP_USERDATA, 0);
    delete this;
}

void DebugWindow::AddLine(int replaceIndex, const char* format, va_list args) {
    if (!ui::IsWindow(list_) || !format) return;
    char line[kDebugLineSize];
    std::vsnprintf(line, sizeof line, format, args);
    intptr_t before = ui::SendMessage(list_, kLbGetCount, 0, 0);
    if (replaceIndex >= 0) {
        ui::SendMessage(list_, kLbDeleteString, ui::WParam(replaceIndex), 0);
        ui::SendMessage(list_, kLbInsertString, ui::WParam(replaceIndex), ui::LParam(line));
    } else {
        ui::SendMessage(list_, kLbAddString, 0, ui::LParam(line));
    }
    int width = listFont_ ? listFont_->MeasureText(line).cx + 32 : 0;
    if (ui::SendMessage(list_, kLbGetHorizontalExtent, 0, 0) < width) {
        ui::SendMessage(list_, kLbSetHorizontalExtent, ui::WParam(width), 0);
    }
    intptr_t caret = replaceIndex >= 0 ? before : ui::SendMessage(list_, kLbGetCount, 0, 0) - 1;
    ui::SendMessage(list_, kLbSetCaretIndex, ui::WParam(caret), 0);
}

void DebugWindow::Print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AddLine(-1, format, args);
    va_end(args);
}

void DebugWindow::SetLine(int index, const char* format, ...) {
    va_list args;
    va_start(args, format);
    AddLine(index < 0 ? 0 : index, format, args);
    va_end(args);
}

void DebugWindow::SetTitle(const char* format, ...) {
    if (!ui::IsWindow(window_) || !format) return;
    char text[kDebugLineSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ui::SetWindowText(window_, text);
}

void DebugWindow::Show(int command) {
    if (!ui::IsWindow(window_)) return;
    ui::ShowWindow(window_, command);
    ui::UpdateWindow(window_);
}

int DebugWindow::Close() {
    if (!ui::IsWindow(window_)) return 0;
    ui::Hwnd w = window_;
    bool deletes = !kept_;
    ui::DestroyWindow(w);
    if (!deletes) window_ = {};
    return 1;
}

const char* DebugWindow::AskDebugInput() {
    ui::WindowClass info;
    if (!ui::GetClassInfo(kInputClass, &info)) {
        ui::WindowClass wc;
        wc.name = kInputClass;
        wc.proc = ui::WindowObjectProc<InputBoxWindow>;
        wc.hasBackground = true;
        wc.background = ui::Rgb(192, 192, 192);
        ui::RegisterClass(wc);
    }
    InputBox box;
    ui::Rect owner{};
    ui::GetWindowRect(window_, &owner);
    ui::Hwnd dlg = ui::CreateWindowEx(
        0, kInputClass, "Input", ui::WS_POPUP | ui::WS_CAPTION | ui::WS_DLGFRAME | ui::WS_VISIBLE,
        owner.left + 20, owner.top + 20, 280, 80, window_, kInputEditId, nullptr, &box);
    if (!dlg) return nullptr;
    bool ownerEnabled = ui::IsWindow(window_) && ui::IsWindowEnabled(window_);
    if (ownerEnabled) ui::EnableWindow(window_, false);
    ui::SetFocus(dlg);
    ui::RunModalLoop([&] { return box.result < 0 && ui::IsWindow(dlg); });
    if (ownerEnabled && ui::IsWindow(window_)) ui::EnableWindow(window_, true);
    if (ui::IsWindow(dlg)) ui::DestroyWindow(dlg);
    inputResult_ = box.result == 1 ? 1 : 0;
    if (!inputResult_) return nullptr;
    std::snprintf(input_.get(), kDebugInputSize, "%s", box.text.c_str());
    return input_.get();
}

}  // namespace zv::fw
