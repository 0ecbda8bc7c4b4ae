#pragma once

// The screen's mode: its colour depth, a switch to full screen at another size through the
// window layer's backend, and back. Deleting the object puts a changed screen back, so a
// program that ends early never leaves the screen switched.

#include "platform/ui/Backend.h"

namespace zv::fw {

// The screen's bits per pixel (0 without a window layer).
int GetScreenBitsPerPixel();

class DisplayMode {
  public:
    DisplayMode() = default;
    virtual ~DisplayMode();
    DisplayMode(const DisplayMode&) = delete;
    DisplayMode& operator=(const DisplayMode&) = delete;

    // 1 with the first listed mode of that size and depth in *out, else 0.
    int FindMode(int width, int height, int bits, ui::DisplayModeDesc* out);
    // bits 0 keeps the current depth. 0 when the current mode cannot be found or the switch
    // fails; 1 when switched, or when the mode is not offered (nothing changes then).
    int ChangeMode(int width, int height, int bits);
    // 1; puts the saved mode back when the screen was changed.
    int RestoreMode();
    // Remembers the input method's state (text input is handled by the window layer); 1.
    int EnableIme(int flag);
    int SetImeDefaults() { return 1; }

    int IsChanged() const { return changed_; }
    int ImeState() const { return ime_; }
    const ui::DisplayModeDesc& SavedMode() const { return saved_; }
    const ui::DisplayModeDesc& RequestedMode() const { return requested_; }

  private:
    int ime_ = 0;
    int changed_ = 0;
    ui::DisplayModeDesc saved_{};
    ui::DisplayModeDesc requested_{};
};

}  // namespace zv::fw
