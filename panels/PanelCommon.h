#pragma once

// What every panel window does alike: its class, its size taken from its picture, the picture
// restored from its file before each repaint, text on the picture, and the close that asks the
// frame instead of closing.

#include <cstdint>
#include <memory>
#include <string>

#include "framework/Dib.h"
#include "platform/ui/Surface.h"
#include "platform/ui/WindowTypes.h"

namespace zv::panels {

constexpr ui::ColorRef kWhite = 0xFFFFFF;
constexpr ui::ColorRef kYellow = 0x00FFFF;
constexpr ui::ColorRef kGreen = 0x008000;

// A unit (UnitInfo index) that names none: no transformation, nothing chosen.
constexpr std::uint16_t kNoUnitInfo = 0xFFFF;

// Registers the class once (CS_HREDRAW | CS_VREDRAW, 4 window bytes, arrow cursor, no
// background brush unless `background` is set). False when it could not be registered.
bool RegisterPanelClass(const char* name, ui::WndProc proc, bool grayBackground = false);

// Creates a window of the class at the default place and size: menu only for a non-popup
// style. The title is UTF-8.
ui::Hwnd CreatePanelWindow(const char* className, const char* utf8Title, ui::Hwnd parent,
                           intptr_t menu, uint32_t style);

// Sizes the window to w x h of client area at (0, 0) without repainting, adding the frame and
// the caption when its style has a caption.
void SizePanelToClient(ui::Hwnd window, int w, int h);

// Loads the picture file and copies it (colour-keyed) over the whole Dib.
void RestorePicture(fw::Dib* dib, const char* file);
// A copy of the picture file as a new Dib (empty when the file is missing).
std::unique_ptr<fw::Dib> LoadPicture(const char* file);

// One line of text on the Dib in the gothic face; the text is UTF-8.
void PanelText(ui::Hwnd window, fw::Dib* dib, int x, int y, const std::string& utf8, int size,
               ui::ColorRef color);
// The same for Shift-JIS text out of the tables.
void PanelTextSjis(ui::Hwnd window, fw::Dib* dib, int x, int y, const char* sjis, int size,
                   ui::ColorRef color);

void InvalidateAndUpdate(ui::Hwnd window);

// WM_CLOSE of a panel: WM_COMMAND `command` (lParam 0) to the frame window.
void SendCloseCommandToFrame(int command);

// The stock NULL_BRUSH as a message answer (WM_CTLCOLORBTN, WM_CTLCOLORSTATIC).
ui::LResult NullBrushResult();

// The messages every picture window answers alike: WM_DESTROY drops the picture, WM_PAINT
// paints from it, WM_ERASEBKGND erases nothing and WM_CLOSE asks the frame with
// `closeCommand` (0: closing is left to DefWindowProc). True when the message was one of them,
// with its answer in *result.
bool HandlePictureWindowMessage(ui::Hwnd window, uint32_t msg, std::unique_ptr<fw::Dib>& picture,
                                int closeCommand, ui::LResult* result);

// printf into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zv::panels
