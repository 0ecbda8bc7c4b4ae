#include "framework/gui/ListViewRows.h"

#include "framework/gui/GdiHelpers.h"
#include "platform/ui/Window.h"

namespace zv::fw {

namespace {

constexpr int kTextIndent = 6;
constexpr int kImageWidth = 16;
constexpr int kTextBuffer = 256;

ui::Rect SubItemRect(ui::Hwnd control, uint32_t item, int subItem, int part) {
    ui::Rect r{part, subItem, 0, 0};
    ui::SendMessage(control, LVM_GETSUBITEMRECT, item, reinterpret_cast<ui::LParam>(&r));
    return r;
}

}  // namespace

void DrawOwnerDrawItem(ui::Hwnd dialog, int controlId, const DrawItemStruct* item, int textSize) {
    if (item == nullptr || item->ctlType != ODT_LISTVIEW) return;
    const ui::Hwnd control = ui::GetDlgItem(dialog, controlId);
    ui::Canvas* dc = ui::GetDC(control);
    if (dc == nullptr) return;

    ui::Rect client;
    ui::GetClientRect(control, &client);
    const ui::Rect row{client.left, item->rcItem.top, client.right, item->rcItem.bottom};
    FillRectColorDC(dc, row.left, row.top, row.right, row.bottom, ui::Rgb(255, 255, 255));

    const uint32_t state = uint32_t(
        ui::SendMessage(control, LVM_GETITEMSTATE, item->itemId, LVIS_SELECTED | LVIS_FOCUSED));
    const ui::Hwnd focus = ui::GetFocus();
    const bool selected = (state & LVIS_SELECTED) != 0;
    const bool focused = focus && (focus == dialog || focus == control);
    ui::ColorRef textColor = ui::Rgb(0, 0, 0);
    if (selected && focused) {
        dc->FillRect({row.left + 1, row.top + 1, row.right - 1, row.bottom - 1},
                     ui::Brush::SolidColor(kHighlightColor));
        textColor = kHighlightTextColor;
    }
    const auto* images = reinterpret_cast<const ImageList*>(
        ui::SendMessage(control, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));

    for (int column = 0;; ++column) {
        char heading[kTextBuffer] = {};
        LvColumn col;
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        col.pszText = heading;
        col.cchTextMax = kTextBuffer;
        col.iSubItem = column;
        if (!ui::SendMessage(control, LVM_GETCOLUMNA, ui::WParam(column),
                             reinterpret_cast<ui::LParam>(&col))) {
            break;  // past the last column
        }
        char itemText[kTextBuffer] = {};
        LvItem lv;
        lv.mask = LVIF_TEXT | LVIF_IMAGE;
        lv.iItem = int(item->itemId);
        lv.iSubItem = column;
        lv.pszText = itemText;
        lv.cchTextMax = kTextBuffer;
        ui::SendMessage(control, LVM_GETITEMA, 0, reinterpret_cast<ui::LParam>(&lv));

        ui::Rect rect = SubItemRect(control, item->itemId, column, LVIR_BOUNDS);
        if (rect.right < 0) continue;
        int indent = kTextIndent;
        if (column == 0) {
            const ui::Rect label = SubItemRect(control, item->itemId, 0, LVIR_LABEL);
            if (lv.iImage != -1) {
                if (label.right > kImageWidth && images != nullptr) {
                    ImageList_Draw(images, lv.iImage, dc, rect.left, rect.top + 1,
                                   selected && focused ? ILD_SELECTED : ILD_NORMAL);
                    indent = 0;
                }
                rect = label;
            } else {
                rect = label;
                rect.left -= kImageWidth;
            }
        }
        uint32_t align = ui::DT_LEFT;
        if (col.fmt & LVCFMT_RIGHT) {
            align = ui::DT_RIGHT;
        } else if (col.fmt & LVCFMT_CENTER) {
            align = ui::DT_CENTER;
        }
        char cellText[kTextBuffer] = {};
        LvItem textQuery;
        textQuery.iSubItem = column;
        textQuery.pszText = cellText;
        textQuery.cchTextMax = kTextBuffer;
        ui::SendMessage(control, LVM_GETITEMTEXTA, item->itemId,
                        reinterpret_cast<ui::LParam>(&textQuery));
        cellText[kTextBuffer - 1] = '\0';
        DrawTextPlain(dc, {rect.left + indent, rect.top, rect.right - kTextIndent, rect.bottom},
                      cellText, textSize, 1, textColor, align | ui::DT_END_ELLIPSIS);
    }
    if (item->itemState & ODS_FOCUS) dc->DrawFocusRect(row);
    ui::ReleaseDC(control, dc);
}

}  // namespace zv::fw
