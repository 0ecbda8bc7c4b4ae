#pragma once

// What the skinned controls share (not for the controls' users).

#include <memory>

#include "framework/Dib.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Window.h"
#include "shell/skin/SkinControls.h"

namespace zv::shell::skin::detail {

inline constexpr const char* kButtonSheet = "btn_gun.bmp";
inline constexpr const char* kBarPicture = "bar_gun.bmp";

// Highlight bars and tiles of the button sheet.
constexpr int kThumbX = 300, kThumbY = 48, kThumbSize = 7;
constexpr int kBackFaceX = 322, kNextFaceX = 346, kArrowFaceY = 48, kArrowFacePressedY = 68,
              kArrowFaceDisabledY = 88, kArrowFaceSize = 20;
constexpr int kHighlightY = 308;

template <class S>
S* StateOf(ui::Hwnd window) {
    return reinterpret_cast<S*>(ui::GetWindowLongPtr(window, ui::GWLP_USERDATA));
}

// Makes the state in WM_CREATE (or takes the one already in the user data) and stores it.
template <class S>
S* CreateState(ui::Hwnd window) {
    S* s = StateOf<S>(window);
    if (s == nullptr) {
        s = new S();
        ui::SetWindowLongPtr(window, ui::GWLP_USERDATA, reinterpret_cast<intptr_t>(s));
    }
    return s;
}

template <class S>
void DestroyState(ui::Hwnd window) {
    delete StateOf<S>(window);
    ui::SetWindowLongPtr(window, ui::GWLP_USERDATA, 0);
}

// The stock null brush, the answer to WM_CTLCOLORBTN and WM_CTLCOLORLISTBOX.
ui::LResult NullBrushAnswer();

// What every skinned control answers alike: its state goes with the window, it paints from its
// work picture and asks for no brush. True, with the answer in *result, when `msg` was one of
// those.
template <class S>
bool AnswerCommonSkinMessage(ui::Hwnd window, uint32_t msg, ui::LResult* result) {
    switch (msg) {
        case ui::WM_DESTROY:
            DestroyState<S>(window);
            *result = 0;
            return true;
        case ui::WM_PAINT: {
            S* s = StateOf<S>(window);
            fw::PaintWindowFromBitmap(window, s ? s->work.get() : nullptr);
            *result = 0;
            return true;
        }
        case ui::WM_CTLCOLORBTN:
            *result = NullBrushAnswer();
            return true;
        default:
            return false;
    }
}

ui::Size ClientSize(ui::Hwnd window);
// A blank Dib of the window's client size with colour table A.
std::unique_ptr<fw::Dib> MakeSurface(ui::Hwnd window);
std::unique_ptr<fw::Dib> MakeSurface(ui::Hwnd window, int width, int height);
// Copies the window's client rectangle from `ancestor`'s background picture (whose client
// origin is the picture's origin) into `into`, opaque.
void CopyBackgroundFrom(ui::Hwnd window, ui::Hwnd ancestor, fw::Dib* picture, fw::Dib* into);
void InvalidateAndUpdate(ui::Hwnd window);
// The control's own id.
int ControlId(ui::Hwnd window);
// Signed and unsigned words of an lParam.
inline int SignedLow(ui::LParam l) { return int16_t(uint16_t(l & 0xFFFF)); }
inline int SignedHigh(ui::LParam l) { return int16_t(uint16_t((l >> 16) & 0xFFFF)); }
inline int UnsignedLow(ui::LParam l) { return int(uint16_t(l & 0xFFFF)); }
inline int UnsignedHigh(ui::LParam l) { return int(uint16_t((l >> 16) & 0xFFFF)); }
// A child button's WM_DRAWITEM: the disabled look when the control is disabled, then
// DrawSkinButton over the work surface.
ui::LResult DrawChildButton(ui::Hwnd control, const ui::DrawItemStruct* item, bool enabled,
                            fw::Dib* work);
// Registers a skinned class with the shared class settings.
int RegisterSkinClass(const char* name, ui::WndProc proc, void* instance);
ui::Hwnd CreateSkinControl(const char* cls, const char* windowName, ui::Hwnd parent, int id,
                           int x, int y, int width, int height);

}  // namespace zv::shell::skin::detail
