#pragma once

// Drawing constants. The game's code passes these numbers around, so they keep the values of
// the system it was written for.

#include <cstdint>

namespace zv::ui {

// Raster operations of BitBlt, StretchBlt and PatBlt.
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;    // dst | src
constexpr uint32_t SRCAND = 0x008800C6;      // dst & src
constexpr uint32_t SRCINVERT = 0x00660046;   // dst ^ src
constexpr uint32_t NOTSRCCOPY = 0x00330008;  // ~src
constexpr uint32_t DSTINVERT = 0x00550009;   // ~dst
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATINVERT = 0x005A0049;  // dst ^ pattern

// Mix modes of pens (SetRop2).
constexpr int R2_BLACK = 1;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

// Hatch styles.
constexpr int HS_HORIZONTAL = 0;
constexpr int HS_VERTICAL = 1;
constexpr int HS_FDIAGONAL = 2;
constexpr int HS_BDIAGONAL = 3;
constexpr int HS_CROSS = 4;
constexpr int HS_DIAGCROSS = 5;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Text alignment of TextOut.
constexpr uint32_t TA_LEFT = 0;
constexpr uint32_t TA_RIGHT = 2;
constexpr uint32_t TA_CENTER = 6;
constexpr uint32_t TA_TOP = 0;
constexpr uint32_t TA_BOTTOM = 8;
constexpr uint32_t TA_BASELINE = 24;

// DrawText formats.
constexpr uint32_t DT_TOP = 0x0;
constexpr uint32_t DT_LEFT = 0x0;
constexpr uint32_t DT_CENTER = 0x1;
constexpr uint32_t DT_RIGHT = 0x2;
constexpr uint32_t DT_VCENTER = 0x4;
constexpr uint32_t DT_BOTTOM = 0x8;
constexpr uint32_t DT_WORDBREAK = 0x10;
constexpr uint32_t DT_SINGLELINE = 0x20;
constexpr uint32_t DT_EXPANDTABS = 0x40;
constexpr uint32_t DT_NOCLIP = 0x100;
constexpr uint32_t DT_CALCRECT = 0x400;
constexpr uint32_t DT_NOPREFIX = 0x800;
constexpr uint32_t DT_END_ELLIPSIS = 0x8000;

// Font weights.
constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// Pitch and family bits of a font request.
constexpr uint8_t FIXED_PITCH = 0x01;
constexpr uint8_t VARIABLE_PITCH = 0x02;
constexpr uint8_t FF_ROMAN = 0x10;
constexpr uint8_t FF_SWISS = 0x20;
constexpr uint8_t FF_MODERN = 0x30;

constexpr uint8_t SHIFTJIS_CHARSET = 128;

}  // namespace zv::ui
