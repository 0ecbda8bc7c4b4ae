#pragma once

// A dialog whose state is a C++ object, the dialog counterpart of WindowObject.h. The dialog's
// procedure is `DialogObjectProc<T>`; then
//
//   WM_NCCREATE   (the first message a dialog procedure sees) makes `new T(dialog)` and stores
//                 it in the dialog's DWLP_USER slot, once;
//   every message from WM_NCCREATE on goes to `T::Dispatch(msg, wParam, lParam)`, which answers
//                 as a dialog procedure does: non-zero for a message it handled (put a message's
//                 own result with `Answer`), zero to let the dialog manager do the default;
//   WM_NCDESTROY  is dispatched last, then the object is deleted and the slot cleared.
//
// What DialogBoxParam or CreateDialogParam was given arrives as WM_INITDIALOG's lParam, as
// for a plain procedure. The object owns the dialog's state, so two dialogs of one template never
// share it and nothing of a closed dialog stays behind in a file global.
//
//   class NameDialog : public ui::DialogObject {
//     public:
//       using DialogObject::DialogObject;
//       intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
//           switch (msg) {
//               case ui::WM_INITDIALOG: return OnInit(l);
//               case ui::WM_COMMAND: return OnCommand(ui::LoWord(w));
//               default: return 0;
//           }
//       }
//   };
//   ui::DialogBoxParam(nullptr, kNameDialog, owner, ui::DialogObjectProc<NameDialog>, param);

#include <cstdint>
#include <memory>

#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

class DialogObject {
  public:
    explicit DialogObject(Hwnd dialog) : dialog_(dialog) {}
    DialogObject(const DialogObject&) = delete;
    DialogObject& operator=(const DialogObject&) = delete;

    Hwnd Handle() const { return dialog_; }

  protected:
    ~DialogObject() = default;
    // A handled message whose own answer is `result` (kept in DWLP_MSGRESULT).
    intptr_t Answer(LResult result) {
        SetWindowLongPtr(dialog_, DWLP_MSGRESULT, static_cast<intptr_t>(result));
        return 1;
    }
    Hwnd Item(int id) const { return GetDlgItem(dialog_, id); }
    bool End(intptr_t result) { return EndDialog(dialog_, result); }

  private:
    Hwnd dialog_;
};

// The object of a dialog whose procedure is DialogObjectProc<T>; null before WM_NCCREATE and
// after WM_NCDESTROY. Only for T's own code or a caller that knows the dialog's procedure.
template <typename T>
T* DialogObjectOf(Hwnd dialog) {
    return reinterpret_cast<T*>(GetWindowLongPtr(dialog, DWLP_USER));
}

template <typename T>
intptr_t DialogObjectProc(Hwnd dialog, uint32_t msg, WParam w, LParam l) {
    T* self = DialogObjectOf<T>(dialog);
    if (self == nullptr) {
        if (msg != WM_NCCREATE) return 0;
        self = new T(dialog);
        SetWindowLongPtr(dialog, DWLP_USER, reinterpret_cast<intptr_t>(self));
    }
    if (msg != WM_NCDESTROY) return self->Dispatch(msg, w, l);
    const std::unique_ptr<T> owned(self);
    SetWindowLongPtr(dialog, DWLP_USER, 0);
    return owned->Dispatch(msg, w, l);
}

}  // namespace zv::ui
