#pragma once

// What the skinned controls share (not for the controls' users).

#include <memory>

#include "framework/Dib.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "shell/skin/SkinControls.h"

namespace zv::shell::skin::detail {

inline constexpr const char* kButtonSheet = "btn_gun.bmp";
inline constexpr const char* kBarPicture = "bar_gun.bmp";

// Highlight bars and tiles of the button sheet.
constexpr int kThumbX = 300, kThumbY = 48, kThumbSize = 7;
constexpr int kBackFaceX = 322, kNextFaceX = 346, kArrowFaceY = 48, kArrowFacePressedY = 68,
              kArrowFaceDisabledY = 88, kArrowFaceSize = 20;
constexpr int kHighlightY = 308;

// The stock null brush, the answer to WM_CTLCOLORBTN and WM_CTLCOLORLISTBOX.
ui::LResult NullBrushAnswer();

ui::Size ClientSize(ui::Hwnd window);
// A blank Dib of the window's client size (or of the size given) with colour table A.
std::unique_ptr<fw::Dib> MakeSurface(ui::Hwnd window);
std::unique_ptr<fw::Dib> MakeSurface(ui::Hwnd window, int width, int height);
// Copies the window's client rectangle from `ancestor`'s background picture (whose client
// origin is the picture's origin) into `into`, opaque.
void CopyBackgroundFrom(ui::Hwnd window, ui::Hwnd ancestor, fw::Dib* picture, fw::Dib* into);
// The control's own id.
int ControlId(ui::Hwnd window);

// What every skinned control is: a window object that keeps its state S (whose `work` picture
// is what the control shows), paints from that picture and asks for no brush. A control derives
// from SkinControl<S> and answers the rest in its own Dispatch.
template <class S>
class SkinControl : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;
    const S& State() const { return s_; }

  protected:
    ~SkinControl() = default;

    // The answers every skinned control gives alike; true, with the answer in *result, when
    // `msg` was one of them.
    bool AnswerCommon(uint32_t msg, ui::LResult* result) {
        switch (msg) {
            case ui::WM_DESTROY:
                *result = 0;
                return true;
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(Handle(), s_.work.get());
                *result = 0;
                return true;
            case ui::WM_CTLCOLORBTN:
                *result = NullBrushAnswer();
                return true;
            default:
                return false;
        }
    }
    ui::Hwnd Parent() const { return ui::GetParent(Handle()); }
    // Tells the parent `msg` with the control's id in wParam.
    void NotifyParent(uint32_t msg) {
        ui::SendMessage(Parent(), msg, ui::WParam(ControlId(Handle())), 0);
    }
    // The work picture (and the background picture, when asked) at the client's size.
    void MakeSurfaces(bool withBackground) {
        s_.work = MakeSurface(Handle());
        if constexpr (requires { s_.background; }) {
            if (withBackground) s_.background = MakeSurface(Handle());
        }
    }
    // Copies the parent's picture (WM_SKIN_SET_BACKGROUND's lParam) behind the control.
    void CopyParentPicture(ui::LParam picture, fw::Dib* into) {
        CopyBackgroundFrom(Handle(), Parent(), reinterpret_cast<fw::Dib*>(picture), into);
    }

    S s_;
};

// The procedure of a skinned control class T.
template <class T>
ui::LResult SkinControlProc(ui::Hwnd window, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<T>(window, msg, w, l);
}

// The control object of `window` when it is of class `className` (whose procedure is
// SkinControlProc<T>); null otherwise.
template <class T>
T* SkinControlOf(ui::Hwnd window, const char* className) {
    return ui::WindowObjectOf<T>(window, className);
}

// True while `window` is still the control `self`: a parent may destroy a control on its
// notification, and the object goes with the window.
template <class T>
bool StillControl(ui::Hwnd window, const T* self) {
    return ui::IsWindow(window) && ui::WindowObjectOf<T>(window) == self;
}

void InvalidateAndUpdate(ui::Hwnd window);
// Signed and unsigned words of an lParam.
inline int SignedLow(ui::LParam l) {
    return ui::GetXLParam(l);
}
inline int SignedHigh(ui::LParam l) {
    return ui::GetYLParam(l);
}
inline int UnsignedLow(ui::LParam l) {
    return ui::LoWord(uintptr_t(l));
}
inline int UnsignedHigh(ui::LParam l) {
    return ui::HiWord(uintptr_t(l));
}
// A child button's WM_DRAWITEM: the disabled look when the control is disabled, then
// DrawSkinButton over the work surface.
ui::LResult DrawChildButton(ui::Hwnd control, const ui::DrawItemStruct* item, bool enabled,
                            fw::Dib* work);
// Registers a skinned class with the shared class settings.
int RegisterSkinClass(const char* name, ui::WndProc proc, void* instance);
ui::Hwnd CreateSkinControl(const char* cls, const char* windowName, ui::Hwnd parent, int id,
                           int x, int y, int width, int height);

}  // namespace zv::shell::skin::detail
