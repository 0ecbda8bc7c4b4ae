#pragma once

// The small standard pictures of the game drawn into Dibs, and the description of the hex under
// the map cursor, for the information windows, lists, troop displays and organisation windows.
//
// Each drawing helper reads its picture file into a temporary Dib (current directory first,
// then the program directory), copies one cell with colour key 0 (index 0 transparent) and
// lets the file go again; nothing is cached. A missing file draws nothing (the Dib reader
// reports it). Coordinates are pixels of the destination Dib.
//
// Sheets and cells (see docs/content.md for the layouts):
//   "\unit\unitNNN.bmp", "unitNNNs.bmp"  two facings side by side      LoadUnitPicture
//   "mapcatey.bmp", "category.bmp"       16 x 16, column = graphic index, row = country + 1
//   "hexMidl.bmp", "lineMidl.bmp"        16 x 16 terrain, road, river and site cells
//   "Unt_big.bmp"                        32 x 32, column 6 x country + facing, row = picture
//   "Unit_gun.bmp"                       32 x 32 by (column, row)
//   "unt_guns.bmp"                       16 x 16, one column
//   "skill.bmp"                          48 x 16, column = capability bit
//   "hexBig.bmp", "lineBig.bmp"          the 32 x 32 hex picture builder

#include <cstdint>

#include "framework/Dib.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/WindowTypes.h"

#include "shell/ShellTables.h"

namespace zv::shell {

// The helpers read the installed services' tables (unit kinds, land kinds, hexes,
// sites, troops); without them no unit kind and no hex exist.

// The window the information pictures are drawn for.
void SetInfoPictureGlobal(ui::Hwnd window);
ui::Hwnd GetInfoPictureGlobal();

// ---- unit, category, troop, weapon and skill pictures ---------------------------------------

// The unit picture `picture` (large when sizeFlag is 1, else the small "s" file; picture 1
// large when the file is missing), its left half when halfFlag is 1, else its right half, at
// (x, y). With slotWidth != 0 a wider half is cut to its middle slotWidth columns and a narrower
// one is centred in the slot. `unused` is ignored. Returns 1.
int LoadUnitPicture(fw::Dib* dst, int picture, int unused, int x, int y, int sizeFlag,
                    int halfFlag, int slotWidth);
// The 16 x 16 category icon of a unit kind in the colour of a country (0-3; any other value
// the neutral row). 0 when the unit kind does not exist (nothing drawn), else 1.
int DrawCategoryIconOnDib(fw::Dib* dst, int unitKind, int x, int y, int country);
// The same cell of "category.bmp", copied without a key onto a device context.
int DrawCategoryIconDC(ui::Canvas* dc, int unitKind, int x, int y, int country);
// The 32 x 32 cell (column, row) of "Unit_gun.bmp". Returns 1.
int DrawGunIcon(int x, int y, fw::Dib* dst, int column, int row);
// The first picture column of a country in "Unt_big.bmp", row `row`. Returns 1.
int DrawUnitBigPicture(int x, int y, fw::Dib* dst, int country, int row);
// The 16 x 16 cell (0, 16 x index) of "unt_guns.bmp". Returns 1.
int LoadGunStripBitmap(int x, int y, fw::Dib* dst, int index);
// The 48 x 16 plate of the lowest set bit of an 11-bit skill mask; 0 (nothing drawn) for 0 or
// a mask above 1024, else 1.
int DrawSkillIcons(int x, int y, fw::Dib* dst, uint32_t mask);
// The 32 x 32 picture of a land kind (sites 15-20 in the colour of `variant`, the owner 0-4;
// 13 road, 14 river) from "hexBig.bmp" and "lineBig.bmp". 0 when the land kind does not exist.
int LoadHexBitmaps(ui::Hwnd window, fw::Dib* dst, int x, int y, int landKind, int variant);
// Not reached by the game's windows; kept for modders' panels: a 60-pixel band of
// "infoback.bmp" (kinds 1, 2, 4, 8 and 15; 0 for others) and the 16 x 16 cells of
// "UntmdOrg.bmp" and "Unt_midl.bmp".
int DrawInfoBackPart(fw::Dib* dst, int kind, int x, int y);
int DrawUnitOrgIcon(int x, int y, fw::Dib* dst, int country, int row);
int DrawUnitMiddleIcon(int x, int y, fw::Dib* dst, int country, int row);

// ---- the map cursor -------------------------------------------------------------------------

// The cursor hex of no map: (255, 255).
constexpr uint32_t kNoCursorHex = 0x00FF00FF;

// Stored by the map window (x in the low 16 bits, y in the high 16 bits).
void SetCursorHex(int x, int y);
// The cursor hex; kNoCursorHex while no map window exists.
uint32_t GetCursorHex();
// The cursor hex at 16 x 16: terrain, river, road and site, each keyed. 0 (nothing drawn) when
// the cursor selects no hex, else 1.
int DrawCursorHexPicture(int x, int y, fw::Dib* dst);
// "なし" without a hex; else the site's land-kind name, "道路", "河" or the land kind's name
// (Shift-JIS). Valid until the next call.
const char* GetCursorHexTerrainText();
// The troop on the cursor hex from "Unt_big.bmp". 1 when the cursor selects a hex (with or
// without a troop), 0 when it selects none.
int DrawCursorTroopPicture(int x, int y, fw::Dib* dst);
// The name of the troop on the cursor hex, or "なし" (Shift-JIS). Valid until the next call.
const char* GetTroopNameText();

// ---- the picture dialog ---------------------------------------------------------------------

// Dialog 124: three pages "tyo\pro01.bmp" .. "pro03.bmp" stepped by left clicks; a right click
// or closing ends it. Returns 1.
int ShowPictureDialog(ui::Hwnd parent);
// Composes page `step` (0 the clear surface, 1-3 the pictures) into `work`.
void ComposePicturePage(fw::Dib* work, fw::Dib* clear, fw::Dib* const pages[3], int step);

}  // namespace zv::shell
