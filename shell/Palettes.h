#pragma once

// The process-wide 256-entry colour tables that blank Dibs are made with, and the helpers
// around them.
//
// Table A comes from "pal2.bmp", B from "pal3.bmp", C from "palette.bmp" (the palette of every
// map sheet); LoadPalettes fills them when the frame is created. Only entries 0-254 are copied:
// entry 255 stays black. All three files of the game's content hold the same palette, so an
// index means the same colour whichever table a Dib was made with.

#include <cstdint>

#include "platform/ui/Canvas.h"
#include "platform/ui/Palette.h"
#include "platform/ui/Surface.h"
#include "platform/ui/WindowTypes.h"

namespace zv::shell {

constexpr int kPaletteEntries = 256;

// Fills B, A and C in that order from their bitmaps (current directory, then the program
// directory). A bitmap that cannot be read leaves its table as it was.
void LoadPalettes(ui::Hwnd frame);

const ui::RgbQuad* GetPaletteTableA();
const ui::RgbQuad* GetPaletteTableB();
const ui::RgbQuad* GetPaletteTableC();
// Copies 256 entries into table D (which nothing reads) or C.
void SetPaletteTableD(const ui::RgbQuad* table);
void SetPaletteTableC(const ui::RgbQuad* table);
// Back to all zero (tests).
void ResetPaletteTables();

// The game palette of a palette-based display. The window layer draws on 32-bit surfaces, which
// have no hardware palette, so RealizeGamePalette makes none and the palette stays null.
int RealizeGamePalette(ui::Hwnd window);
const ui::LogicalPalette* GetGamePalette();
int DeleteGamePalette();
// The colour table behind the game palette.
const ui::RgbQuad* GetSystemColorTable();
// The twenty static entries of the system palette (0-9 and 246-255) into out[0..19].
void GetStaticSystemColors(ui::Canvas* dc, ui::PaletteEntry* out);
// 4-byte blue-green-red entries to red-green-blue palette entries with zero flags.
void ColorTableToPaletteEntries(const ui::RgbQuad* table, ui::PaletteEntry* out, int count);

// The colour count of a BITMAPINFOHEADER (40 bytes and more) or BITMAPCOREHEADER (12 bytes):
// the used-colours field when set, else 2, 16 or 256 for 1, 4 or 8 bits per pixel, else 0;
// and the table's size in bytes (3 per colour for the core header, 4 otherwise).
int GetHeaderColorCount(const uint8_t* header);
int GetHeaderColorTableBytes(const uint8_t* header);

}  // namespace zv::shell
