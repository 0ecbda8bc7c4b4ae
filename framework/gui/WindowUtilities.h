#pragma once

// Placing windows, and the paint handler of windows that keep their picture in a Dib.

#include <cstdint>

#include "framework/Dib.h"
#include "platform/ui/WindowTypes.h"

namespace zv::fw {

// The set-up pages' "次" and "戻る" buttons.
constexpr int kNextButtonId = 1013;
constexpr int kBackButtonId = 1014;

// Moves button 1013 so that its bottom-right corner lies 16 pixels inside the bottom-right
// corner of a width x height area of the dialog, and button 1014 16 pixels to its left on the
// same bottom margin. Sizes are kept.
void PlaceDialogButtons(ui::Hwnd dialog, int width, int height);

// Centres a width x height window on the full-screen client area (or in the parent's client
// area); a coordinate below 0 or at or beyond that area's size becomes 0. The flags are those
// of SetWindowPos.
void CenterWindowOnScreen(ui::Hwnd window, int width, int height, uint32_t flags);
void CenterWindowInParent(ui::Hwnd parent, ui::Hwnd child, int width, int height, uint32_t flags);

// The WM_PAINT handler of a window whose picture is a Dib: copies the Dib's pixels under the
// update rectangle to the same place in the window. A null Dib paints nothing.
void PaintWindowFromBitmap(ui::Hwnd window, Dib* bitmap);

// The window that owns the message boxes of the unit placement rules; null means the active
// window.
void SetPlacementMessageOwner(ui::Hwnd window);
ui::Hwnd GetPlacementMessageOwner();

}  // namespace zv::fw
