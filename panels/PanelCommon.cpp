#include "panels/PanelCommon.h"

#include <cstdarg>
#include <cstdio>

#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

bool RegisterPanelClass(const char* name, ui::WndProc proc, bool grayBackground) {
    ui::WindowClass existing;
    if (ui::GetClassInfo(name, &existing)) return true;
    ui::WindowClass wc;
    wc.name = name;
    wc.proc = proc;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
    wc.windowExtraBytes = 4;
    wc.cursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    if (grayBackground) {
        wc.hasBackground = true;
        wc.background = ui::Rgb(128, 128, 128);
    }
    return ui::RegisterClass(wc);
}

ui::Hwnd CreatePanelWindow(const char* className, const char* utf8Title, ui::Hwnd parent,
                           intptr_t menu, uint32_t style) {
    const intptr_t menuOrId = (style & ui::WS_POPUP) ? 0 : menu;
    return ui::CreateWindowEx(0, className, core::Utf8ToSjis(utf8Title), style, ui::CW_USEDEFAULT,
                              ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, parent,
                              menuOrId, nullptr, nullptr);
}

void SizePanelToClient(ui::Hwnd window, int w, int h) {
    const uint32_t style = uint32_t(ui::GetWindowLong(window, ui::GWL_STYLE));
    if (style & ui::WS_CAPTION) {
        w += 2 * ui::GetSystemMetrics(ui::SM_CXDLGFRAME);
        h += 2 * ui::GetSystemMetrics(ui::SM_CYDLGFRAME) + ui::GetSystemMetrics(ui::SM_CYCAPTION);
    }
    ui::SetWindowPos(window, ui::Hwnd{}, 0, 0, w, h, ui::SWP_NOZORDER | ui::SWP_NOREDRAW);
}

void RestorePicture(fw::Dib* dib, const char* file) {
    if (dib == nullptr) return;
    fw::Dib picture(file);
    if (!picture.HasBits()) return;
    fw::HvDIBitBlt(dib, 0, 0, dib->GetWidth(), dib->GetHeight(), &picture, 0, 0, 0);
}

std::unique_ptr<fw::Dib> LoadPicture(const char* file) {
    return std::make_unique<fw::Dib>(file);
}

void PanelText(ui::Hwnd window, fw::Dib* dib, int x, int y, const std::string& utf8, int size,
               ui::ColorRef color) {
    fw::DrawTextOnDib(window, dib, x, y, utf8.c_str(), size, 1, color, ui::TextEncoding::Utf8);
}

void PanelTextSjis(ui::Hwnd window, fw::Dib* dib, int x, int y, const char* sjis, int size,
                   ui::ColorRef color) {
    fw::DrawTextOnDib(window, dib, x, y, sjis, size, 1, color, ui::TextEncoding::ShiftJis);
}

void InvalidateAndUpdate(ui::Hwnd window) {
    ui::InvalidateRect(window, nullptr, false);
    ui::UpdateWindow(window);
}

void SendCloseCommandToFrame(int command) {
    const ui::Hwnd frame = shell::GetWindowOfKind(shell::WindowKind::FrameWnd);
    if (frame) ui::SendMessage(frame, ui::WM_COMMAND, ui::WParam(command), 0);
}

ui::LResult NullBrushResult() {
    static const ui::Brush kNull = ui::StockBrush(ui::NULL_BRUSH);
    return reinterpret_cast<ui::LResult>(&kNull);
}

bool HandlePictureWindowMessage(ui::Hwnd window, uint32_t msg, std::unique_ptr<fw::Dib>& picture,
                                int closeCommand, ui::LResult* result) {
    *result = 0;
    switch (msg) {
        case ui::WM_DESTROY:
            picture.reset();
            return true;
        case ui::WM_PAINT:
            fw::PaintWindowFromBitmap(window, picture.get());
            return true;
        case ui::WM_ERASEBKGND:
            *result = 1;
            return true;
        case ui::WM_CLOSE:
            if (closeCommand == 0) return false;
            SendCloseCommandToFrame(closeCommand);
            return true;
        default:
            return false;
    }
}

std::string Format(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

}  // namespace zv::panels
