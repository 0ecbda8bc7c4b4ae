#pragma once

// The owner-drawn report lists of the game's list windows and dialogs: columns, rows of texts
// (UTF-8 in, Shift-JIS in the control) and the selected row.

#include <string>
#include <vector>

#include "platform/ui/WindowTypes.h"

namespace zv::ui {
class ImageList;
}

namespace zv::panels {

// The troop marks of "trpMark.bmp" (a shield per troop picture 0-11 in each country's colours),
// image 12 x country + picture, set as the list's normal and small images. Null when the sheet
// is missing (the rows then go without marks). The caller destroys it (ImageList_Destroy).
ui::ImageList* AttachTroopMarks(ui::Hwnd list);
// The image of a troop picture of a country; -1 (none) for a country outside 0-3 or a picture
// outside 0-11, which a damaged table may hold.
int TroopMarkImage(int country, int picture);

// Column `index` titled `utf8Title`, `width` pixels; fmt is LVCFMT_LEFT or LVCFMT_CENTER.
void AddListColumn(ui::Hwnd list, int index, const char* utf8Title, int width, int fmt = 0);
// Appends a row; texts[0] is the item, the rest its sub-items; `image` the item's icon in the
// list's image list (-1 none). Returns the row number.
int AddListRow(ui::Hwnd list, const std::vector<std::string>& utf8Texts, int image = -1);
void ClearListRows(ui::Hwnd list);
int ListRowCount(ui::Hwnd list);
// The text of a cell as UTF-8.
std::string ListCellText(ui::Hwnd list, int row, int column);
void SetListCellText(ui::Hwnd list, int row, int column, const std::string& utf8);

}  // namespace zv::panels
