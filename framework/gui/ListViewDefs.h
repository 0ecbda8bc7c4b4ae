#pragma once

// What the owner-drawn list-view rows exchange with a list-view control: the draw-item record
// of WM_DRAWITEM and the list-view messages with their records, numbered as the game's code
// numbers them. A list-view control answers these messages with these records.

#include <cstdint>

#include "platform/ui/Canvas.h"
#include "platform/ui/WindowTypes.h"

namespace zv::fw {

// WM_DRAWITEM's record.
constexpr uint32_t ODT_BUTTON = 4;
constexpr uint32_t ODT_LISTVIEW = 102;
constexpr uint32_t ODS_SELECTED = 0x0001;
constexpr uint32_t ODS_DISABLED = 0x0004;
constexpr uint32_t ODS_FOCUS = 0x0010;

struct DrawItemStruct {
    uint32_t ctlType = 0;
    uint32_t ctlId = 0;
    uint32_t itemId = 0;
    uint32_t itemAction = 0;
    uint32_t itemState = 0;
    ui::Hwnd hwndItem{};
    ui::Canvas* hdc = nullptr;
    ui::Rect rcItem{};
    uintptr_t itemData = 0;
};

// List-view messages (LVM_FIRST + n).
constexpr uint32_t LVM_FIRST = 0x1000;
constexpr uint32_t LVM_GETIMAGELIST = LVM_FIRST + 2;     // wParam LVSIL_*; answers ImageList*
constexpr uint32_t LVM_GETITEMA = LVM_FIRST + 5;         // lParam LvItem*
constexpr uint32_t LVM_GETCOLUMNA = LVM_FIRST + 25;      // wParam column, lParam LvColumn*
constexpr uint32_t LVM_GETITEMSTATE = LVM_FIRST + 44;    // wParam item, lParam mask
constexpr uint32_t LVM_GETITEMTEXTA = LVM_FIRST + 45;    // wParam item, lParam LvItem*
constexpr uint32_t LVM_GETSUBITEMRECT = LVM_FIRST + 56;  // wParam item, lParam Rect*: in top
                                                         // the sub-item, in left LVIR_*
constexpr int LVSIL_NORMAL = 0;
constexpr uint32_t LVIS_FOCUSED = 0x0001;
constexpr uint32_t LVIS_SELECTED = 0x0002;
constexpr int LVIR_BOUNDS = 0;
constexpr int LVIR_LABEL = 2;

constexpr uint32_t LVCF_FMT = 0x0001;
constexpr uint32_t LVCF_WIDTH = 0x0002;
constexpr uint32_t LVCF_TEXT = 0x0004;
constexpr uint32_t LVCF_SUBITEM = 0x0008;
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

constexpr uint32_t LVIF_TEXT = 0x0001;
constexpr uint32_t LVIF_IMAGE = 0x0002;

struct LvColumn {
    uint32_t mask = 0;
    int fmt = 0;
    int cx = 0;
    char* pszText = nullptr;  // Shift-JIS
    int cchTextMax = 0;
    int iSubItem = 0;
};

struct LvItem {
    uint32_t mask = 0;
    int iItem = 0;
    int iSubItem = 0;
    uint32_t state = 0;
    uint32_t stateMask = 0;
    char* pszText = nullptr;  // Shift-JIS
    int cchTextMax = 0;
    int iImage = -1;
    intptr_t lParam = 0;
};

// Image lists: what LVM_GETIMAGELIST answers (a pointer to one, or 0).
constexpr uint32_t ILD_NORMAL = 0x0000;
constexpr uint32_t ILD_SELECTED = 0x0004;

class ImageList {
  public:
    virtual ~ImageList() = default;
    virtual bool Draw(int image, ui::Canvas& dc, int x, int y, uint32_t style) const = 0;
};

inline bool ImageList_Draw(const ImageList* list, int image, ui::Canvas* dc, int x, int y,
                           uint32_t style) {
    return list != nullptr && dc != nullptr && list->Draw(image, *dc, x, y, style);
}

}  // namespace zv::fw
