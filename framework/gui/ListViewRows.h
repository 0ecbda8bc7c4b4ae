#pragma once

// The painter of owner-drawn list-view rows that the game's list windows share.

#include "framework/gui/ListViewDefs.h"

namespace zv::fw {

// The classic look's selection colours.
constexpr ui::ColorRef kHighlightColor = ui::Rgb(0, 0, 128);
constexpr ui::ColorRef kHighlightTextColor = ui::Rgb(255, 255, 255);

// Paints one row of the dialog's list-view control `controlId` from its columns and items, in
// the gothic face at textSize pixels; any other control type is left alone.
void DrawOwnerDrawItem(ui::Hwnd dialog, int controlId, const DrawItemStruct* item, int textSize);

}  // namespace zv::fw
