#pragma once

// The owner-drawn report lists of the game's list windows and dialogs: columns, rows of texts
// (UTF-8 in, Shift-JIS in the control) and the selected row.

#include <string>
#include <vector>

#include "platform/ui/WindowTypes.h"

namespace zv::panels {

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
