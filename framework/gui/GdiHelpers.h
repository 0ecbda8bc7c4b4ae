#pragma once

// The small drawing helpers every window of the game uses: Japanese fixed-pitch text, lines and
// boxes on a device context (a Canvas) or on a Dib, with the one-pixel dark drop shadow.
// Rectangles are given by inclusive corners: the pixel at (right, bottom) is painted. Texts are
// the game's Shift-JIS bytes unless another encoding is passed.

#include <cstdint>

#include "framework/Dib.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/WindowTypes.h"

namespace zv::fw {

// The drop shadow's colour (palette-relative grey 32) and its offsets, drawn in this order
// before the element itself.
constexpr ui::ColorRef kShadowColor = 0x02202020;
constexpr ui::Point kShadowOffsets[3] = {{1, 0}, {0, 1}, {1, 1}};

// Height -size (character height in pixels), weight 400 or 700, Shift-JIS, fixed pitch; the
// gothic face when faceFlag is non-zero, else the mincho face.
ui::Font CreateJapaneseFont(int size, int faceFlag, int bold);

// A canvas over a Dib's pixels (an invalid canvas for an empty Dib).
ui::Canvas CanvasOnDib(Dib* dib);

void DrawTextWithFont(ui::Canvas* dc, int x, int y, const char* text, int size, int faceFlag,
                      ui::ColorRef color, ui::TextEncoding encoding = ui::TextEncoding::ShiftJis);
void DrawTextOnDib(ui::Hwnd window, Dib* dib, int x, int y, const char* text, int size,
                   int faceFlag, ui::ColorRef color,
                   ui::TextEncoding encoding = ui::TextEncoding::ShiftJis);

// DrawText in the rectangle (exclusive right and bottom, as DrawText takes it) with the format
// plus DT_SINGLELINE | DT_VCENTER.
void DrawTextPlain(ui::Canvas* dc, ui::Rect rect, const char* text, int size, int faceFlag,
                   ui::ColorRef color, uint32_t format,
                   ui::TextEncoding encoding = ui::TextEncoding::ShiftJis);
void DrawTextShadowed(ui::Canvas* dc, ui::Rect rect, const char* text, int size, int faceFlag,
                      ui::ColorRef color, uint32_t format,
                      ui::TextEncoding encoding = ui::TextEncoding::ShiftJis);
void DrawTextPlainOnDib(ui::Hwnd window, Dib* dib, ui::Rect rect, const char* text, int size,
                        int faceFlag, ui::ColorRef color, uint32_t format,
                        ui::TextEncoding encoding = ui::TextEncoding::ShiftJis);
void DrawTextShadowedOnDib(ui::Hwnd window, Dib* dib, ui::Rect rect, const char* text, int size,
                           int faceFlag, ui::ColorRef color, uint32_t format,
                           ui::TextEncoding encoding = ui::TextEncoding::ShiftJis);

// Two-point lines with a temporary pen; the end point itself is not painted.
void DrawPolyline(ui::Canvas* dc, int x1, int y1, int x2, int y2, int penStyle, int penWidth,
                  ui::ColorRef color);
void DrawPolyline2(ui::Canvas* dc, int x1, int y1, int x2, int y2, int penStyle, int penWidth,
                   ui::ColorRef color);  // with shadow
void DrawLineOnDib(ui::Hwnd window, Dib* dib, int x1, int y1, int x2, int y2, int penStyle,
                   int penWidth, ui::ColorRef color);
void DrawPolylineOnDib(ui::Hwnd window, Dib* dib, int x1, int y1, int x2, int y2, int penStyle,
                       int penWidth, ui::ColorRef color);  // with shadow

// Boxes with inclusive corners.
void FrameRectColor(ui::Canvas* dc, int left, int top, int right, int bottom, ui::ColorRef color);
void FrameRectColorOnDib(ui::Hwnd window, Dib* dib, int left, int top, int right, int bottom,
                         ui::ColorRef color);
void DrawRaisedFrameOnDib(ui::Hwnd window, Dib* dib, int left, int top, int right, int bottom,
                          ui::ColorRef color);  // with shadow
void FillRectColorDC(ui::Canvas* dc, int left, int top, int right, int bottom, ui::ColorRef color);
void FillRectColor(ui::Hwnd window, Dib* dib, int left, int top, int right, int bottom,
                   ui::ColorRef color);

}  // namespace zv::fw
