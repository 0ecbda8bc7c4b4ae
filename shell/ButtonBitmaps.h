#pragma once

// The two button sheets of the owner-drawn buttons and the routine that paints such a button.
//
// Sheet G ("Btn_gun.bmp") holds faces 0-29 (troop and organisation windows), sheet P
// ("Btn_pnl.bmp") faces 30-47 (panels). Each face is stored three times one button height
// apart: normal, pressed, disabled. Faces are copied with key 0 (index 0 transparent) over the
// part of the parent's background Dib that lies under the button; the button's text is drawn
// centred in white on top.

#include <array>
#include <cstdint>

#include "framework/Dib.h"
#include "platform/ui/WindowTypes.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::shell {

constexpr int kButtonFaceCount = 48;
constexpr int kFirstPanelFace = 30;  // faces 30-47 come from sheet P

// {left, top, right, bottom} of a face's normal look in its sheet (right and bottom inclusive).
struct ButtonFace {
    int left, top, right, bottom;
};
const std::array<ButtonFace, kButtonFaceCount>& ButtonFaceTable();

// Loads both sheets; 1 when the objects were made (a missing file leaves an empty Dib).
int InitButtonBitmaps();
int LoadButtonBitmaps();
void FreeButtonBitmaps();

// The sheets as loaded (null before loading or after freeing). The frame sheet is never loaded.
fw::Dib* GetButtonSheetG();
fw::Dib* GetButtonSheetP();
fw::Dib* GetButtonFrameSheet();

// The index the last DrawBitmapButton call painted (-1 at load).
int GetCurrentButtonIndex();

// Paints an owner-drawn button (only ODT_BUTTON items): the part of `background` under the
// button, the face `index` in the look of the item state (disabled, pressed or normal) and the
// button's text. An index outside 0-47 paints the background and the text only.
int DrawBitmapButton(ui::Hwnd parent, const ui::DrawItemStruct* item, fw::Dib* background,
                     int index);
// state: 0 normal, 1 pressed, 2 disabled; (x, y) is where the button lies on `background`.
int DrawButtonFace(ui::Hwnd button, ui::Canvas* dc, int x, int y, const ui::Rect& item,
                   fw::Dib* background, int state);

// Called between drawing calls; does nothing.
void DoNothing();

}  // namespace zv::shell
