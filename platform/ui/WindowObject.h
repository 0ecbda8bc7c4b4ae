#pragma once

// A window class whose every window is a C++ object. The class registers
// `WindowObjectProc<T>` (or a procedure that only forwards to it); then
//
//   WM_NCCREATE   makes `new T(hwnd)` and stores it in the window's GWLP_USERDATA, once;
//   every message from WM_NCCREATE on goes to `T::Dispatch(msg, wParam, lParam)`;
//   WM_NCDESTROY  is dispatched last, then the object is deleted and the user data cleared.
//
// Messages sent before WM_NCCREATE go to DefWindowProc. A Dispatch that answers 0 to
// WM_NCCREATE fails the creation; the window layer then sends WM_NCDESTROY, which deletes the
// object as usual. The state of the window lives in T's members instead of file globals, so two
// windows of the class never share it. Windows still alive when the window manager goes are
// dropped without messages, so T's destructor frees memory only; window work (timers, capture,
// telling other windows) belongs in WM_DESTROY.
//
// T derives from WindowObject for its handle and DefWindowProc:
//
//   class Clock : public ui::WindowObject {
//     public:
//       using WindowObject::WindowObject;
//       ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
//           switch (msg) {
//               case ui::WM_CREATE: return OnCreate();
//               default: return Default(msg, w, l);
//           }
//       }
//   };
//   wc.proc = ui::WindowObjectProc<Clock>;

#include <cctype>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

class WindowObject {
  public:
    explicit WindowObject(Hwnd window) : window_(window) {}
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    Hwnd Handle() const { return window_; }

  protected:
    ~WindowObject() = default;
    LResult Default(uint32_t msg, WParam w, LParam l) { return DefWindowProc(window_, msg, w, l); }

  private:
    Hwnd window_;
};

// The object of a window of a class whose procedure is WindowObjectProc<T>; null before
// WM_NCCREATE and after WM_NCDESTROY. Only for T's own procedure or a caller that knows the
// window's class.
template <typename T>
T* WindowObjectOf(Hwnd window) {
    return reinterpret_cast<T*>(GetWindowLongPtr(window, GWLP_USERDATA));
}

// The same for a caller that holds only a handle: null unless the window is of class
// `className` (compared without regard to case, as class names are), whose procedure the
// caller knows to be WindowObjectProc<T>.
template <typename T>
T* WindowObjectOf(Hwnd window, std::string_view className) {
    const std::string name = GetClassName(window);
    if (name.empty() || name.size() != className.size()) return nullptr;
    for (size_t i = 0; i < name.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) !=
            std::tolower(static_cast<unsigned char>(className[i])))
            return nullptr;
    }
    return WindowObjectOf<T>(window);
}

template <typename T>
LResult WindowObjectProc(Hwnd window, uint32_t msg, WParam w, LParam l) {
    T* self = WindowObjectOf<T>(window);
    if (self == nullptr) {
        if (msg != WM_NCCREATE) return DefWindowProc(window, msg, w, l);
        self = new T(window);
        SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<intptr_t>(self));
    }
    if (msg != WM_NCDESTROY) return self->Dispatch(msg, w, l);
    const std::unique_ptr<T> owned(self);
    SetWindowLongPtr(window, GWLP_USERDATA, 0);
    return owned->Dispatch(msg, w, l);
}

}  // namespace zv::ui
