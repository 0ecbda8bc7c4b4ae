// SysListView32 in report mode: columns under a header, rows of items and sub-items, selection
// and focus, owner-drawn rows (LVS_OWNERDRAWFIXED: WM_DRAWITEM to the parent per row), in-place
// label editing, and the LVN_* and NM_* notifications.

#include <algorithm>
#include <vector>

#include "platform/ui/ClassicTheme.h"
#include "platform/ui/controls/ControlSupport.h"
#include "platform/ui/controls/ImageList.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui::controls {

namespace {

constexpr int kHeaderId = 0;
constexpr int kEditId = 1;
constexpr int kIconSpace = 16;  // the first column keeps room for a small image
constexpr int kTextIndent = 6;
constexpr int kScrollLines = 3;

struct Column {
    std::string text;
    int width = 0;
    int fmt = LVCFMT_LEFT;
    int subItem = 0;
};

struct Row {
    std::vector<std::string> texts;  // one per sub-item
    int image = -1;
    intptr_t lParam = 0;
    uint32_t state = 0;
};

struct ListViewState {
    std::vector<Column> columns;
    std::vector<Row> rows;
    ControlFont font;
    Hwnd header{};
    Hwnd edit{};
    int editItem = -1;
    ImageList* images[3] = {nullptr, nullptr, nullptr};
    int rowHeight = 0;
    int top = 0;      // first row shown
    int scrollX = 0;  // pixels
    int selectionMark = -1;
    uint32_t exStyle = 0;
    ColorRef bkColor = Rgb(255, 255, 255);
    ColorRef textColor = Rgb(0, 0, 0);
    ColorRef textBkColor = Rgb(255, 255, 255);
    bool focused = false;
    bool wantsBars = true;  // list views show scroll bars when their rows or columns overflow
    // A press on an item waits to become a click or a drag.
    bool pressing = false;
    bool rightPress = false;
    Point pressAt{};
    int pressItem = -1;
    bool pressWasSelected = false;
};

uint32_t Style(Hwnd h) {
    return StyleOf(h);
}
bool SingleSel(Hwnd h) {
    return (Style(h) & LVS_SINGLESEL) != 0;
}
int Count(const ListViewState* s) {
    return int(s->rows.size());
}
bool Valid(const ListViewState* s, int i) {
    return i >= 0 && i < Count(s);
}

int HeaderHeight(Hwnd h, const ListViewState* s) {
    if ((Style(h) & LVS_NOCOLUMNHEADER) || !s->header) return 0;
    return s->font.font.Metrics().height + 8;
}

Rect ListArea(Hwnd h, const ListViewState* s) {
    Rect c;
    GetClientRect(h, &c);
    c.top += HeaderHeight(h, s);
    return c;
}

int PageRows(Hwnd h, const ListViewState* s) {
    return std::max(1, ListArea(h, s).Height() / std::max(1, s->rowHeight));
}

int TotalWidth(const ListViewState* s) {
    int w = 0;
    for (const Column& c : s->columns) w += c.width;
    return w;
}

int ColumnLeft(const ListViewState* s, int col) {
    int x = 0;
    for (int k = 0; k < col && k < int(s->columns.size()); ++k)
        x += s->columns[std::size_t(k)].width;
    return x;
}

Rect RowRect(Hwnd h, const ListViewState* s, int i) {
    const Rect a = ListArea(h, s);
    const int y = a.top + (i - s->top) * s->rowHeight;
    return {-s->scrollX, y, TotalWidth(s) - s->scrollX, y + s->rowHeight};
}

// Sub-item rectangles as LVM_GETSUBITEMRECT gives them.
Rect SubItemRect(Hwnd h, const ListViewState* s, int i, int sub, int part) {
    const Rect row = RowRect(h, s, i);
    if (sub == 0 && (part == LVIR_BOUNDS || part == LVIR_SELECTBOUNDS)) return row;
    const int left = ColumnLeft(s, sub) - s->scrollX;
    const int width = sub < int(s->columns.size()) ? s->columns[std::size_t(sub)].width : 0;
    Rect r{left, row.top, left + width, row.bottom};
    if (sub == 0 && part == LVIR_ICON) r.right = std::min(r.right, left + kIconSpace);
    if (sub == 0 && part == LVIR_LABEL) r.left = std::min(r.right, left + kIconSpace);
    return r;
}

const std::string& TextOf(const ListViewState* s, int i, int sub) {
    static const std::string kEmpty;
    const Row& r = s->rows[std::size_t(i)];
    return sub >= 0 && sub < int(r.texts.size()) ? r.texts[std::size_t(sub)] : kEmpty;
}

void LayoutHeader(Hwnd h, ListViewState* s);

void UpdateScrollBars(Hwnd h, ListViewState* s) {
    const Rect a = ListArea(h, s);
    const int maxTop = std::max(0, Count(s) - PageRows(h, s));
    s->top = std::clamp(s->top, 0, maxTop);
    const int maxX = std::max(0, TotalWidth(s) - a.Width());
    s->scrollX = std::clamp(s->scrollX, 0, maxX);
    if (s->wantsBars) {
        SetControlScrollBar(h, SB_VERT, Count(s) - 1, PageRows(h, s), s->top, false);
        SetControlScrollBar(h, SB_HORZ, TotalWidth(s) - 1, std::max(1, a.Width()), s->scrollX,
                            false);
        // A bar that came or went changed the client width under the header.
        LayoutHeader(h, s);
    }
}

void LayoutHeader(Hwnd h, ListViewState* s) {
    if (!s->header) return;
    Rect c;
    GetClientRect(h, &c);
    const int height = HeaderHeight(h, s);
    ShowWindow(s->header, height > 0 ? SW_SHOWNA : SW_HIDE);
    // The header ends at the client's right edge: columns past it are scrolled into view.
    MoveWindow(s->header, -s->scrollX, 0, c.Width() + s->scrollX, height, true);
}

void Redraw(Hwnd h) {
    InvalidateRect(h, nullptr, true);
}

void RedrawItem(Hwnd h, ListViewState* s, int i) {
    Rect r = RowRect(h, s, i);
    Rect c;
    GetClientRect(h, &c);
    r.left = c.left;
    r.right = c.right;
    InvalidateRect(h, &r, true);
}

void SetTop(Hwnd h, ListViewState* s, int top) {
    const int old = s->top;
    s->top = top;
    UpdateScrollBars(h, s);
    if (s->top != old) Redraw(h);
}

void SetScrollX(Hwnd h, ListViewState* s, int x) {
    const int old = s->scrollX;
    s->scrollX = x;
    UpdateScrollBars(h, s);
    if (s->scrollX != old) {
        LayoutHeader(h, s);
        Redraw(h);
    }
}

void EnsureVisible(Hwnd h, ListViewState* s, int i) {
    if (!Valid(s, i)) return;
    if (i < s->top) {
        SetTop(h, s, i);
    } else if (i >= s->top + PageRows(h, s)) {
        SetTop(h, s, i - PageRows(h, s) + 1);
    }
}

// Changes the state bits of one item with LVN_ITEMCHANGING (which may refuse) and
// LVN_ITEMCHANGED. Returns false when refused.
bool SetItemState(Hwnd h, ListViewState* s, int i, uint32_t state, uint32_t mask) {
    if (!Valid(s, i)) return false;
    const uint32_t old = s->rows[std::size_t(i)].state;
    const uint32_t next = (old & ~mask) | (state & mask);
    if (next == old) return true;
    NmListView nm;
    nm.iItem = i;
    nm.uNewState = next;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = s->rows[std::size_t(i)].lParam;
    if (NotifyParent(h, &nm.hdr, LVN_ITEMCHANGING)) return false;
    if (!IsWindow(h) || !Valid(s, i)) return false;
    // Only one item has the focus; with LVS_SINGLESEL only one is selected.
    if ((next & LVIS_FOCUSED) && !(old & LVIS_FOCUSED)) {
        for (int k = 0; k < Count(s); ++k) {
            if (k != i && (s->rows[std::size_t(k)].state & LVIS_FOCUSED)) {
                SetItemState(h, s, k, 0, LVIS_FOCUSED);
            }
        }
    }
    if ((next & LVIS_SELECTED) && !(old & LVIS_SELECTED) && SingleSel(h)) {
        for (int k = 0; k < Count(s); ++k) {
            if (k != i && (s->rows[std::size_t(k)].state & LVIS_SELECTED)) {
                SetItemState(h, s, k, 0, LVIS_SELECTED);
            }
        }
    }
    if (!Valid(s, i)) return false;
    s->rows[std::size_t(i)].state = next;
    RedrawItem(h, s, i);
    nm = NmListView{};
    nm.iItem = i;
    nm.uNewState = next;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = s->rows[std::size_t(i)].lParam;
    NotifyParent(h, &nm.hdr, LVN_ITEMCHANGED);
    return true;
}

int FocusedItem(const ListViewState* s) {
    for (int i = 0; i < Count(s); ++i) {
        if (s->rows[std::size_t(i)].state & LVIS_FOCUSED) return i;
    }
    return -1;
}

void DeselectAllBut(Hwnd h, ListViewState* s, int keep) {
    for (int k = 0; k < Count(s); ++k) {
        if (k != keep && (s->rows[std::size_t(k)].state & LVIS_SELECTED)) {
            SetItemState(h, s, k, 0, LVIS_SELECTED);
        }
    }
}

// A click or key picked item i.
void Pick(Hwnd h, ListViewState* s, int i, bool shift, bool ctrl) {
    if (!Valid(s, i)) return;
    if (SingleSel(h) || (!shift && !ctrl)) {
        DeselectAllBut(h, s, i);
        SetItemState(h, s, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        s->selectionMark = i;
    } else if (ctrl && !shift) {
        const bool on = (s->rows[std::size_t(i)].state & LVIS_SELECTED) == 0;
        SetItemState(h, s, i, (on ? LVIS_SELECTED : 0) | LVIS_FOCUSED,
                     LVIS_SELECTED | LVIS_FOCUSED);
        s->selectionMark = i;
    } else {
        const int mark = Valid(s, s->selectionMark) ? s->selectionMark : i;
        const int a = std::min(mark, i);
        const int b = std::max(mark, i);
        for (int k = 0; k < Count(s); ++k) {
            const bool on = k >= a && k <= b;
            if (!ctrl || on) SetItemState(h, s, k, on ? LVIS_SELECTED : 0, LVIS_SELECTED);
        }
        SetItemState(h, s, i, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    EnsureVisible(h, s, i);
}

int HitTest(Hwnd h, const ListViewState* s, Point p, uint32_t* flags, int* sub) {
    const Rect a = ListArea(h, s);
    *flags = LVHT_NOWHERE;
    if (sub) *sub = 0;
    if (p.y < a.top) {
        *flags = LVHT_ABOVE;
        return -1;
    }
    if (p.y >= a.bottom) {
        *flags = LVHT_BELOW;
        return -1;
    }
    const int i = s->top + (p.y - a.top) / std::max(1, s->rowHeight);
    if (!Valid(s, i)) return -1;
    const int x = p.x + s->scrollX;
    if (x >= TotalWidth(s)) {
        *flags = LVHT_TORIGHT;
        return -1;
    }
    int left = 0;
    for (int c = 0; c < int(s->columns.size()); ++c) {
        const int right = left + s->columns[std::size_t(c)].width;
        if (x >= left && x < right) {
            if (sub) *sub = c;
            *flags = (c == 0 && x < left + kIconSpace) ? LVHT_ONITEMICON : LVHT_ONITEMLABEL;
            break;
        }
        left = right;
    }
    return i;
}

LResult NotifyItem(Hwnd h, ListViewState* s, uint32_t code, int item, int sub, Point at) {
    NmItemActivate nm;
    nm.iItem = item;
    nm.iSubItem = sub;
    nm.ptAction = at;
    if (Valid(s, item)) nm.lParam = s->rows[std::size_t(item)].lParam;
    if (ShiftDown()) nm.uKeyFlags |= 0x0004;
    if (ControlDown()) nm.uKeyFlags |= 0x0001;
    return NotifyParent(h, &nm.hdr, code);
}

void PaintRow(Hwnd h, ListViewState* s, Canvas& dc, int i) {
    const Row& row = s->rows[std::size_t(i)];
    const Rect r = RowRect(h, s, i);
    const bool selected = (row.state & LVIS_SELECTED) != 0;
    const bool showSel = selected && (s->focused || (Style(h) & LVS_SHOWSELALWAYS));
    const bool full = (s->exStyle & LVS_EX_FULLROWSELECT) != 0;
    for (int c = 0; c < int(s->columns.size()); ++c) {
        const Column& col = s->columns[std::size_t(c)];
        Rect cell = SubItemRect(h, s, i, c, c == 0 ? LVIR_LABEL : LVIR_BOUNDS);
        if (c == 0 && row.image >= 0) {
            const Rect icon = SubItemRect(h, s, i, 0, LVIR_ICON);
            ImageList* list =
                s->images[LVSIL_SMALL] ? s->images[LVSIL_SMALL] : s->images[LVSIL_NORMAL];
            if (list) {
                const int iy = icon.top + (icon.Height() - list->ImageSize().cy) / 2;
                list->Draw(row.image, dc, icon.left, iy,
                           showSel && s->focused ? ILD_SELECTED : ILD_NORMAL);
            }
        }
        const std::string& text = TextOf(s, i, c);
        const bool highlight = showSel && (c == 0 || full);
        Rect textRect{cell.left + (c == 0 ? 2 : kTextIndent), cell.top, cell.right - kTextIndent,
                      cell.bottom};
        uint32_t align = DT_LEFT;
        if ((col.fmt & 3) == LVCFMT_RIGHT) align = DT_RIGHT;
        if ((col.fmt & 3) == LVCFMT_CENTER) align = DT_CENTER;
        if (highlight) {
            Rect bar = cell;
            if (c == 0 && !full) {
                // The bar goes round the label where it is drawn: a centred or right-aligned
                // label past a bar measured from the left would be highlight text on white.
                Rect calc = textRect;
                dc.DrawText(text, calc, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
                const int width = std::min(calc.Width(), textRect.Width());
                int left = textRect.left;
                if (align == DT_CENTER) left += (textRect.Width() - width) / 2;
                if (align == DT_RIGHT) left = textRect.right - width;
                bar.left = std::max(cell.left, left - 2);
                bar.right = std::min(cell.right, left + width + 2);
            }
            dc.FillSolid(bar,
                         s->focused ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_BTNFACE));
        }
        dc.SetTextColor(highlight && s->focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : s->textColor);
        dc.DrawText(text, textRect,
                    align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (s->exStyle & LVS_EX_GRIDLINES) {
        dc.FillSolid({r.left, r.bottom - 1, r.right, r.bottom}, GetSysColor(COLOR_BTNFACE));
        int x = r.left;
        for (const Column& col : s->columns) {
            x += col.width;
            dc.FillSolid({x - 1, r.top, x, r.bottom}, GetSysColor(COLOR_BTNFACE));
        }
    }
    if (s->focused && (row.state & LVIS_FOCUSED))
        theme::FocusRect(dc, full ? r : SubItemRect(h, s, i, 0, LVIR_LABEL));
}

void Paint(Hwnd h, ListViewState* s) {
    PaintStruct ps;
    Canvas* dc = BeginPaint(h, &ps);
    if (!dc) return;
    const Rect a = ListArea(h, s);
    dc->FillSolid(a, s->bkColor);
    dc->SelectFont(s->font.font);
    dc->SetBkMode(TRANSPARENT);
    dc->IntersectClipRect(a);
    const bool ownerDraw = (Style(h) & LVS_OWNERDRAWFIXED) != 0;
    const int last = std::min(Count(s), s->top + PageRows(h, s) + 1);
    for (int i = s->top; i < last; ++i) {
        if (!ownerDraw) {
            PaintRow(h, s, *dc, i);
            continue;
        }
        const Row& row = s->rows[std::size_t(i)];
        DrawItemStruct di;
        di.ctlType = ODT_LISTVIEW;
        di.ctlId = uint32_t(ControlId(h));
        di.itemId = uint32_t(i);
        di.itemAction = ODA_DRAWENTIRE;
        if (row.state & LVIS_SELECTED) di.itemState |= ODS_SELECTED;
        if (s->focused && (row.state & LVIS_FOCUSED)) di.itemState |= ODS_FOCUS;
        if (!IsWindowEnabled(h)) di.itemState |= ODS_DISABLED;
        di.hwndItem = h;
        di.hdc = dc;
        di.rcItem = RowRect(h, s, i);
        di.itemData = static_cast<uintptr_t>(row.lParam);
        SendMessage(NotifyTarget(h), WM_DRAWITEM, di.ctlId, reinterpret_cast<LParam>(&di));
        if (!IsWindow(h)) return;
    }
    EndPaint(h, &ps);
}

void MeasureRows(Hwnd h, ListViewState* s) {
    int height = s->font.font.Metrics().height + 3;
    for (ImageList* list : {s->images[LVSIL_SMALL]}) {
        if (list) height = std::max(height, list->ImageSize().cy + 1);
    }
    if (Style(h) & LVS_OWNERDRAWFIXED) {
        MeasureItemStruct mi;
        mi.ctlType = ODT_LISTVIEW;
        mi.ctlId = uint32_t(ControlId(h));
        mi.itemHeight = uint32_t(height);
        SendMessage(NotifyTarget(h), WM_MEASUREITEM, mi.ctlId, reinterpret_cast<LParam>(&mi));
        if (mi.itemHeight > 0) height = int(mi.itemHeight);
    }
    s->rowHeight = height;
}

void SyncHeaderItem(ListViewState* s, int col, bool insert) {
    if (!s->header) return;
    const Column& c = s->columns[std::size_t(col)];
    HdItem hd;
    hd.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
    hd.cxy = c.width;
    hd.pszText = const_cast<char*>(c.text.c_str());
    hd.fmt = (c.fmt & 3) | HDF_STRING;
    SendMessage(s->header, insert ? HDM_INSERTITEMA : HDM_SETITEMA, WParam(col),
                reinterpret_cast<LParam>(&hd));
}

void ColumnsChanged(Hwnd h, ListViewState* s) {
    LayoutHeader(h, s);
    UpdateScrollBars(h, s);
    Redraw(h);
}

void ApplyColumn(Column& c, const LvColumn& in) {
    if (in.mask & LVCF_FMT) c.fmt = in.fmt;
    if (in.mask & LVCF_WIDTH) c.width = std::max(0, in.cx);
    if (in.mask & LVCF_TEXT) c.text = in.pszText ? in.pszText : "";
    if (in.mask & LVCF_SUBITEM) c.subItem = in.iSubItem;
}

int AutoWidth(Hwnd h, ListViewState* s, int col, bool useHeader) {
    int w = 0;
    for (int i = 0; i < Count(s); ++i) {
        w = std::max(w, s->font.font.MeasureText(TextOf(s, i, col)).cx);
    }
    w += 2 * kTextIndent + (col == 0 ? kIconSpace : 0);
    if (useHeader) {
        w = std::max(w, s->font.font.MeasureText(s->columns[std::size_t(col)].text).cx + 12);
        if (col + 1 == int(s->columns.size())) {
            // The last column fills what is left of the control.
            w = std::max(w, ListArea(h, s).Width() - ColumnLeft(s, col));
        }
    }
    return w;
}

void SetRowText(Row& r, int sub, const char* text) {
    if (sub < 0) return;
    if (int(r.texts.size()) <= sub) r.texts.resize(std::size_t(sub) + 1);
    r.texts[std::size_t(sub)] = text ? text : "";
}

bool ApplyItem(Hwnd h, ListViewState* s, const LvItem& in) {
    if (!Valid(s, in.iItem)) return false;
    Row& r = s->rows[std::size_t(in.iItem)];
    if (in.mask & LVIF_TEXT) SetRowText(r, in.iSubItem, in.pszText);
    if (in.iSubItem == 0) {
        if (in.mask & LVIF_IMAGE) r.image = in.iImage;
        if (in.mask & LVIF_PARAM) r.lParam = in.lParam;
        if (in.mask & LVIF_STATE) SetItemState(h, s, in.iItem, in.state, in.stateMask);
    }
    RedrawItem(h, s, in.iItem);
    return true;
}

int InsertItem(Hwnd h, ListViewState* s, const LvItem& in) {
    if (in.iSubItem != 0) return -1;
    Row r;
    if (in.mask & LVIF_TEXT) SetRowText(r, 0, in.pszText);
    if (in.mask & LVIF_IMAGE) r.image = in.iImage;
    if (in.mask & LVIF_PARAM) r.lParam = in.lParam;
    int at = std::clamp(in.iItem, 0, Count(s));
    const uint32_t style = Style(h);
    if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
        const bool down = (style & LVS_SORTDESCENDING) != 0;
        at = 0;
        while (at < Count(s)) {
            const int cmp = CompareNoCase(TextOf(s, at, 0), r.texts.empty() ? "" : r.texts[0]);
            if (down ? cmp < 0 : cmp > 0) break;
            ++at;
        }
    }
    s->rows.insert(s->rows.begin() + at, std::move(r));
    if (s->selectionMark >= at) ++s->selectionMark;
    if ((in.mask & LVIF_STATE) && in.stateMask) SetItemState(h, s, at, in.state, in.stateMask);
    NmListView nm;
    nm.iItem = at;
    NotifyParent(h, &nm.hdr, LVN_INSERTITEM);
    if (IsWindow(h)) {
        UpdateScrollBars(h, s);
        Redraw(h);
    }
    return at;
}

bool DeleteItem(Hwnd h, ListViewState* s, int i) {
    if (!Valid(s, i)) return false;
    NmListView nm;
    nm.iItem = i;
    nm.lParam = s->rows[std::size_t(i)].lParam;
    NotifyParent(h, &nm.hdr, LVN_DELETEITEM);
    if (!IsWindow(h) || !Valid(s, i)) return false;
    s->rows.erase(s->rows.begin() + i);
    if (s->selectionMark == i) {
        s->selectionMark = -1;
    } else if (s->selectionMark > i) {
        --s->selectionMark;
    }
    UpdateScrollBars(h, s);
    Redraw(h);
    return true;
}

void EndEdit(Hwnd h, ListViewState* s, bool accept) {
    if (!s->edit) return;
    const Hwnd edit = s->edit;
    const int item = s->editItem;
    s->edit = {};
    s->editItem = -1;
    std::string text = GetWindowText(edit);
    NmLvDispInfo nm;
    nm.item.iItem = item;
    nm.item.mask = LVIF_TEXT;
    nm.item.pszText = accept ? text.data() : nullptr;
    nm.item.cchTextMax = int(text.size() + 1);
    const LResult keep = NotifyParent(h, &nm.hdr, LVN_ENDLABELEDITA);
    if (accept && keep && IsWindow(h) && Valid(s, item)) {
        SetRowText(s->rows[std::size_t(item)], 0, text.c_str());
        RedrawItem(h, s, item);
    }
    DestroyWindow(edit);
    if (IsWindow(h) && GetFocus() != h) SetFocus(h);
}

LResult EditLabelProc(Hwnd h, uint32_t msg, WParam wp, LParam lp);
WndProc gEditProc = nullptr;

Hwnd BeginEdit(Hwnd h, ListViewState* s, int i) {
    if (!Valid(s, i)) return {};
    if (s->edit) EndEdit(h, s, true);
    NmLvDispInfo nm;
    nm.item.iItem = i;
    nm.item.mask = LVIF_TEXT;
    std::string text = TextOf(s, i, 0);
    nm.item.pszText = text.data();
    EnsureVisible(h, s, i);
    const Rect label = SubItemRect(h, s, i, 0, LVIR_LABEL);
    s->editItem = i;
    s->edit = CreateWindowEx(
        0, kEditClass, TextOf(s, i, 0).c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, label.left,
        label.top, std::max(label.Width(), 40), label.Height(), h, kEditId, nullptr, nullptr);
    if (!s->edit) return {};
    // The parent may refuse, or limit the text through LVM_GETEDITCONTROL.
    if (NotifyParent(h, &nm.hdr, LVN_BEGINLABELEDITA) || !IsWindow(h)) {
        if (IsWindow(s->edit)) DestroyWindow(s->edit);
        s->edit = {};
        s->editItem = -1;
        return {};
    }
    gEditProc = reinterpret_cast<WndProc>(GetWindowLongPtr(s->edit, GWL_WNDPROC));
    SetWindowLongPtr(s->edit, GWL_WNDPROC, reinterpret_cast<intptr_t>(&EditLabelProc));
    SendMessage(s->edit, WM_SETFONT, reinterpret_cast<WParam>(&s->font.font), 0);
    ShowWindow(s->edit, SW_SHOW);
    SetFocus(s->edit);
    SendMessage(s->edit, EM_SETSEL, 0, -1);
    return s->edit;
}

// The in-place editor ends on Enter (keep), Esc (drop) and when it loses the focus (keep).
LResult EditLabelProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    const Hwnd list = GetParent(h);
    ListViewState* s = StateOf<ListViewState>(list);
    if (s && s->edit == h) {
        if (msg == WM_GETDLGCODE)
            return DLGC_WANTALLKEYS | CallWindowProc(gEditProc, h, msg, wp, lp);
        if (msg == WM_KEYDOWN && (wp == VK_RETURN || wp == VK_ESCAPE)) {
            EndEdit(list, s, wp == VK_RETURN);
            return 0;
        }
        if (msg == WM_CHAR && (wp == '\r' || wp == 0x1B)) return 0;
        if (msg == WM_KILLFOCUS) {
            const LResult r = CallWindowProc(gEditProc, h, msg, wp, lp);
            PostMessage(list, WM_USER + 0x7F0, 0, 0);
            return r;
        }
    }
    return CallWindowProc(gEditProc, h, msg, wp, lp);
}

void KeyDown(Hwnd h, ListViewState* s, uint32_t vk) {
    NmLvKeyDown kd;
    kd.wVKey = uint16_t(vk);
    NotifyParent(h, &kd.hdr, LVN_KEYDOWN);
    if (!IsWindow(h) || Count(s) == 0) return;
    const int focus = FocusedItem(s);
    if (vk == VK_SPACE) {
        if (focus >= 0) Pick(h, s, focus, false, ControlDown());
        return;
    }
    if (vk == VK_RETURN) {
        NotifyItem(h, s, NM_RETURN, focus, 0, {});
        return;
    }
    const std::optional<int> target = ListKeyTarget(vk, focus, PageRows(h, s), Count(s));
    if (!target) return;
    // With no focused row yet, a step either way starts at the first.
    int to = focus < 0 && (vk == VK_UP || vk == VK_DOWN) ? 0 : *target;
    to = std::clamp(to, 0, Count(s) - 1);
    if (ControlDown() && !SingleSel(h)) {
        SetItemState(h, s, to, LVIS_FOCUSED, LVIS_FOCUSED);
        EnsureVisible(h, s, to);
        return;
    }
    Pick(h, s, to, ShiftDown(), false);
}

void Scroll(Hwnd h, ListViewState* s, bool vertical, uint32_t code, int thumb) {
    if (vertical) {
        const ScrollSteps steps{1, PageRows(h, s), Count(s)};
        if (const auto top = ScrollTarget(code, s->top, thumb, steps)) SetTop(h, s, *top);
    } else {
        const ScrollSteps steps{16, std::max(1, ListArea(h, s).Width()), std::nullopt};
        if (const auto x = ScrollTarget(code, s->scrollX, thumb, steps)) SetScrollX(h, s, *x);
    }
}

void MouseDown(Hwnd h, ListViewState* s, LParam lp, WParam wp, bool right, bool dbl) {
    if (s->edit) EndEdit(h, s, true);
    if (GetFocus() != h) SetFocus(h);
    const Point p{GetXLParam(lp), GetYLParam(lp)};
    uint32_t flags = 0;
    int sub = 0;
    const int i = HitTest(h, s, p, &flags, &sub);
    if (dbl) {
        NotifyItem(h, s, right ? NM_RDBLCLK : NM_DBLCLK, i, sub, p);
        if (!right && i >= 0 && IsWindow(h)) NotifyItem(h, s, LVN_ITEMACTIVATE, i, sub, p);
        return;
    }
    s->pressWasSelected = Valid(s, i) && (s->rows[std::size_t(i)].state & LVIS_SELECTED) &&
                          (s->rows[std::size_t(i)].state & LVIS_FOCUSED);
    if (i < 0) {
        // A press on no row clears the selection unless Ctrl is held.
        if (!(wp & MK_CONTROL) && !right) DeselectAllBut(h, s, -1);
    } else if (!right || !(s->rows[std::size_t(i)].state & LVIS_SELECTED)) {
        Pick(h, s, i, (wp & MK_SHIFT) != 0, (wp & MK_CONTROL) != 0);
    }
    if (!IsWindow(h)) return;
    s->pressing = true;
    s->rightPress = right;
    s->pressAt = p;
    s->pressItem = i;
    SetCapture(h);
}

void MouseUp(Hwnd h, ListViewState* s, LParam lp, bool right) {
    if (!s->pressing || s->rightPress != right) return;
    s->pressing = false;
    if (GetCapture() == h) ReleaseCapture();
    const Point p{GetXLParam(lp), GetYLParam(lp)};
    uint32_t flags = 0;
    int sub = 0;
    const int i = HitTest(h, s, p, &flags, &sub);
    NotifyItem(h, s, right ? NM_RCLICK : NM_CLICK, i, sub, p);
    // A second click on the focused, selected item's label edits it.
    if (!right && IsWindow(h) && (Style(h) & LVS_EDITLABELS) && i >= 0 && i == s->pressItem &&
        s->pressWasSelected && (flags & LVHT_ONITEMLABEL) && sub == 0) {
        BeginEdit(h, s, i);
    }
}

void MouseMove(Hwnd h, ListViewState* s, LParam lp) {
    if (!s->pressing) return;
    const Point p{GetXLParam(lp), GetYLParam(lp)};
    if (std::abs(p.x - s->pressAt.x) < kDragThreshold &&
        std::abs(p.y - s->pressAt.y) < kDragThreshold) {
        return;
    }
    s->pressing = false;
    if (GetCapture() == h) ReleaseCapture();
    if (s->pressItem < 0) return;
    NmListView nm;
    nm.iItem = s->pressItem;
    nm.ptAction = s->pressAt;
    nm.lParam = s->rows[std::size_t(s->pressItem)].lParam;
    NotifyParent(h, &nm.hdr, s->rightPress ? LVN_BEGINRDRAG : LVN_BEGINDRAG);
}

LResult OnSetFont(Hwnd h, ListViewState* s, uint32_t msg, WParam wp, LParam lp) {
    const LResult r = HandleFont(h, s, msg, wp, lp);
    if (s->header) SendMessage(s->header, WM_SETFONT, wp, 0);
    MeasureRows(h, s);
    ColumnsChanged(h, s);
    return r;
}

LResult OnCreate(Hwnd h, ListViewState* s, uint32_t, WParam, LParam) {
    s->header =
        CreateWindowEx(0, kHeaderClass, "",
                       WS_CHILD | WS_VISIBLE | ((Style(h) & LVS_NOSORTHEADER) ? 0 : HDS_BUTTONS), 0,
                       0, 10, 10, h, kHeaderId, nullptr, nullptr);
    MeasureRows(h, s);
    LayoutHeader(h, s);
    UpdateScrollBars(h, s);
    return 0;
}

LResult OnDestroy(Hwnd h, ListViewState* s, uint32_t, WParam, LParam) {
    if (!s->rows.empty()) {
        NmListView nm;
        nm.iItem = -1;
        NotifyParent(h, &nm.hdr, LVN_DELETEALLITEMS);
    }
    return 0;
}

LResult OnSize(Hwnd h, ListViewState* s, uint32_t, WParam, LParam) {
    LayoutHeader(h, s);
    UpdateScrollBars(h, s);
    Redraw(h);
    return 0;
}

LResult OnPaint(Hwnd h, ListViewState* s, uint32_t, WParam, LParam) {
    Paint(h, s);
    return 0;
}

LResult OnFocus(Hwnd h, ListViewState* s, uint32_t msg, WParam, LParam) {
    FocusChanged(h, &s->focused, msg == WM_SETFOCUS, true);
    return 0;
}

// The label editor lost the focus.
LResult OnLabelEditorLeft(Hwnd h, ListViewState* s, uint32_t, WParam, LParam) {
    if (s->edit && GetFocus() != s->edit) EndEdit(h, s, true);
    return 0;
}

LResult OnButtonDown(Hwnd h, ListViewState* s, uint32_t msg, WParam wp, LParam lp) {
    MouseDown(h, s, lp, wp, msg == WM_RBUTTONDOWN, false);
    return 0;
}

LResult OnDoubleClick(Hwnd h, ListViewState* s, uint32_t msg, WParam wp, LParam lp) {
    MouseDown(h, s, lp, wp, msg == WM_RBUTTONDBLCLK, true);
    return 0;
}

LResult OnButtonUp(Hwnd h, ListViewState* s, uint32_t msg, WParam, LParam lp) {
    MouseUp(h, s, lp, msg == WM_RBUTTONUP);
    return 0;
}

LResult OnMouseMove(Hwnd h, ListViewState* s, uint32_t, WParam, LParam lp) {
    MouseMove(h, s, lp);
    return 0;
}

LResult OnCaptureChanged(Hwnd, ListViewState* s, uint32_t, WParam, LParam) {
    s->pressing = false;
    return 0;
}

LResult OnKeyDown(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam) {
    KeyDown(h, s, uint32_t(wp));
    return 0;
}

LResult OnMouseWheel(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam) {
    SetTop(h, s, s->top - WheelRows(wp, kScrollLines));
    return 0;
}

LResult OnScroll(Hwnd h, ListViewState* s, uint32_t msg, WParam wp, LParam) {
    Scroll(h, s, msg == WM_VSCROLL, LoWord(wp), int16_t(HiWord(wp)));
    return 0;
}

LResult OnHeaderNotify(Hwnd h, ListViewState* s, uint32_t, WParam, LParam lp) {
    const auto* hdr = reinterpret_cast<const NmHdr*>(lp);
    if (!hdr || hdr->hwndFrom != s->header) return 0;
    const auto* nm = reinterpret_cast<const NmHeader*>(lp);
    if (hdr->code == HDN_ITEMCHANGEDA || hdr->code == HDN_TRACKA) {
        if (nm->pitem && nm->iItem >= 0 && nm->iItem < int(s->columns.size())) {
            s->columns[std::size_t(nm->iItem)].width = nm->pitem->cxy;
            UpdateScrollBars(h, s);
            Redraw(h);
        }
    } else if (hdr->code == HDN_ITEMCLICKA) {
        NmListView lv;
        lv.iItem = -1;
        lv.iSubItem = nm->iItem;
        NotifyParent(h, &lv.hdr, LVN_COLUMNCLICK);
    }
    return 0;
}

// The colour an LVM_GET*COLOR / LVM_SET*COLOR message reads or writes.
ColorRef& ColorOf(ListViewState* s, uint32_t msg) {
    switch (msg) {
        case LVM_GETBKCOLOR:
        case LVM_SETBKCOLOR:
            return s->bkColor;
        case LVM_GETTEXTCOLOR:
        case LVM_SETTEXTCOLOR:
            return s->textColor;
        default:
            return s->textBkColor;
    }
}

LResult OnGetColor(Hwnd, ListViewState* s, uint32_t msg, WParam, LParam) {
    return LResult(ColorOf(s, msg));
}

LResult OnSetColor(Hwnd h, ListViewState* s, uint32_t msg, WParam, LParam lp) {
    ColorOf(s, msg) = ColorRef(lp);
    Redraw(h);
    return 1;
}

LResult OnGetImageList(Hwnd, ListViewState* s, uint32_t, WParam wp, LParam) {
    return wp < 3 ? reinterpret_cast<LResult>(s->images[wp]) : 0;
}

LResult OnSetImageList(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    if (wp >= 3) return 0;
    ImageList* old = s->images[wp];
    s->images[wp] = reinterpret_cast<ImageList*>(lp);
    MeasureRows(h, s);
    UpdateScrollBars(h, s);
    Redraw(h);
    return reinterpret_cast<LResult>(old);
}

LResult OnGetItemCount(Hwnd, ListViewState* s, uint32_t, WParam, LParam) {
    return Count(s);
}

LResult OnSetItemCount(Hwnd, ListViewState* s, uint32_t, WParam wp, LParam) {
    s->rows.reserve(std::size_t(std::max<WParam>(wp, 0)));
    return 1;
}

LResult OnGetItem(Hwnd, ListViewState* s, uint32_t, WParam, LParam lp) {
    auto* it = reinterpret_cast<LvItem*>(lp);
    if (!it || !Valid(s, it->iItem)) return 0;
    const Row& r = s->rows[std::size_t(it->iItem)];
    if ((it->mask & LVIF_TEXT) && it->pszText && it->cchTextMax > 0) {
        CopyOut(TextOf(s, it->iItem, it->iSubItem), it->pszText, std::size_t(it->cchTextMax));
    }
    if (it->mask & LVIF_IMAGE) it->iImage = it->iSubItem == 0 ? r.image : -1;
    if (it->mask & LVIF_PARAM) it->lParam = r.lParam;
    if (it->mask & LVIF_STATE) it->state = r.state & it->stateMask;
    return 1;
}

LResult OnSetItem(Hwnd h, ListViewState* s, uint32_t, WParam, LParam lp) {
    const auto* it = reinterpret_cast<const LvItem*>(lp);
    return it && ApplyItem(h, s, *it) ? 1 : 0;
}

LResult OnInsertItem(Hwnd h, ListViewState* s, uint32_t, WParam, LParam lp) {
    const auto* it = reinterpret_cast<const LvItem*>(lp);
    return it ? InsertItem(h, s, *it) : -1;
}

LResult OnDeleteItem(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam) {
    return DeleteItem(h, s, int(wp)) ? 1 : 0;
}

LResult OnDeleteAllItems(Hwnd h, ListViewState* s, uint32_t, WParam, LParam) {
    if (s->edit) EndEdit(h, s, false);
    NmListView nm;
    nm.iItem = -1;
    // An answer of TRUE asks for no LVN_DELETEITEM per item.
    const bool quiet = NotifyParent(h, &nm.hdr, LVN_DELETEALLITEMS) != 0;
    if (!IsWindow(h)) return 0;
    if (!quiet) {
        while (!s->rows.empty()) {
            if (!DeleteItem(h, s, Count(s) - 1)) break;
        }
    }
    s->rows.clear();
    s->top = 0;
    s->selectionMark = -1;
    UpdateScrollBars(h, s);
    Redraw(h);
    return 1;
}

LResult OnGetNextItem(Hwnd, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    const int start = int(int32_t(wp));
    const uint32_t flags = uint32_t(lp);
    const uint32_t want = flags & (LVNI_SELECTED | LVNI_FOCUSED);
    int step = 1;
    if (flags & LVNI_ABOVE) step = -1;
    int i = start + step;
    if (start < 0 && step > 0) i = 0;
    for (; i >= 0 && i < Count(s); i += step) {
        if ((s->rows[std::size_t(i)].state & want) == want) return i;
    }
    return -1;
}

LResult OnFindItem(Hwnd, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    const auto* fi = reinterpret_cast<const LvFindInfo*>(lp);
    if (!fi) return -1;
    for (int i = int(int32_t(wp)) + 1; i < Count(s); ++i) {
        const Row& r = s->rows[std::size_t(i)];
        if ((fi->flags & LVFI_PARAM) && r.lParam == fi->lParam) return i;
        if ((fi->flags & LVFI_STRING) && fi->psz) {
            const std::string& t = TextOf(s, i, 0);
            if ((fi->flags & LVFI_PARTIAL) ? StartsWithNoCase(t, fi->psz)
                                           : EqualsNoCase(t, fi->psz)) {
                return i;
            }
        }
    }
    return -1;
}

LResult OnGetItemRect(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    auto* r = reinterpret_cast<Rect*>(lp);
    if (!r || !Valid(s, int(wp))) return 0;
    const int part = r->left;
    *r = part == LVIR_BOUNDS || part == LVIR_SELECTBOUNDS ? RowRect(h, s, int(wp))
                                                          : SubItemRect(h, s, int(wp), 0, part);
    return 1;
}

LResult OnGetSubItemRect(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    auto* r = reinterpret_cast<Rect*>(lp);
    if (!r || !Valid(s, int(wp))) return 0;
    const int sub = r->top;
    const int part = r->left;
    if (sub < 0 || sub >= std::max(1, int(s->columns.size()))) return 0;
    *r = SubItemRect(h, s, int(wp), sub, part);
    return 1;
}

LResult OnHitTest(Hwnd h, ListViewState* s, uint32_t msg, WParam, LParam lp) {
    auto* info = reinterpret_cast<LvHitTestInfo*>(lp);
    if (!info) return -1;
    int sub = 0;
    info->iItem = HitTest(h, s, info->pt, &info->flags, &sub);
    info->iSubItem = msg == LVM_SUBITEMHITTEST ? sub : 0;
    return info->iItem;
}

LResult OnEnsureVisible(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam) {
    if (!Valid(s, int(wp))) return 0;
    EnsureVisible(h, s, int(wp));
    return 1;
}

LResult OnScrollBy(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    SetScrollX(h, s, s->scrollX + int(int32_t(wp)));
    SetTop(h, s, s->top + int(int32_t(lp)) / std::max(1, s->rowHeight));
    return 1;
}

LResult OnRedrawItems(Hwnd h, ListViewState*, uint32_t, WParam, LParam) {
    Redraw(h);
    return 1;
}

LResult OnGetColumn(Hwnd, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    auto* c = reinterpret_cast<LvColumn*>(lp);
    const int i = int(wp);
    if (!c || i < 0 || i >= int(s->columns.size())) return 0;
    const Column& col = s->columns[std::size_t(i)];
    if (c->mask & LVCF_FMT) c->fmt = col.fmt;
    if (c->mask & LVCF_WIDTH) c->cx = col.width;
    if (c->mask & LVCF_SUBITEM) c->iSubItem = col.subItem;
    if ((c->mask & LVCF_TEXT) && c->pszText && c->cchTextMax > 0) {
        CopyOut(col.text, c->pszText, std::size_t(c->cchTextMax));
    }
    return 1;
}

LResult OnSetColumn(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    const auto* c = reinterpret_cast<const LvColumn*>(lp);
    const int i = int(wp);
    if (!c || i < 0 || i >= int(s->columns.size())) return 0;
    ApplyColumn(s->columns[std::size_t(i)], *c);
    SyncHeaderItem(s, i, false);
    ColumnsChanged(h, s);
    return 1;
}

LResult OnInsertColumn(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    const auto* c = reinterpret_cast<const LvColumn*>(lp);
    if (!c) return -1;
    const int at = std::clamp(int(wp), 0, int(s->columns.size()));
    Column col;
    col.subItem = at;
    ApplyColumn(col, *c);
    s->columns.insert(s->columns.begin() + at, col);
    // Sub-item texts move with their columns.
    for (Row& r : s->rows) {
        if (at > 0 && int(r.texts.size()) > at) r.texts.insert(r.texts.begin() + at, "");
    }
    SyncHeaderItem(s, at, true);
    ColumnsChanged(h, s);
    return at;
}

LResult OnDeleteColumn(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam) {
    const int i = int(wp);
    if (i < 0 || i >= int(s->columns.size())) return 0;
    s->columns.erase(s->columns.begin() + i);
    for (Row& r : s->rows) {
        if (int(r.texts.size()) > i) r.texts.erase(r.texts.begin() + i);
    }
    if (s->header) SendMessage(s->header, HDM_DELETEITEM, WParam(i), 0);
    ColumnsChanged(h, s);
    return 1;
}

LResult OnGetColumnWidth(Hwnd, ListViewState* s, uint32_t, WParam wp, LParam) {
    const int i = int(wp);
    if (i < 0 || i >= int(s->columns.size())) return 0;
    return s->columns[std::size_t(i)].width;
}

LResult OnSetColumnWidth(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    const int i = int(wp);
    if (i < 0 || i >= int(s->columns.size())) return 0;
    int w = int(int16_t(LoWord(uintptr_t(lp))));
    if (w == LVSCW_AUTOSIZE || w == LVSCW_AUTOSIZE_USEHEADER) {
        w = AutoWidth(h, s, i, w == LVSCW_AUTOSIZE_USEHEADER);
    }
    s->columns[std::size_t(i)].width = std::max(0, w);
    SyncHeaderItem(s, i, false);
    ColumnsChanged(h, s);
    return 1;
}

LResult OnGetHeader(Hwnd, ListViewState* s, uint32_t, WParam, LParam) {
    return HwndToParam(s->header);
}

LResult OnGetTopIndex(Hwnd, ListViewState* s, uint32_t, WParam, LParam) {
    return s->top;
}

LResult OnGetCountPerPage(Hwnd h, ListViewState* s, uint32_t, WParam, LParam) {
    return PageRows(h, s);
}

LResult OnSetItemState(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    const auto* it = reinterpret_cast<const LvItem*>(lp);
    if (!it) return 0;
    const int i = int(int32_t(wp));
    if (i == -1) {
        for (int k = 0; k < Count(s); ++k) SetItemState(h, s, k, it->state, it->stateMask);
        return 1;
    }
    if (!Valid(s, i)) return 0;
    if ((it->stateMask & LVIS_SELECTED) && (it->state & LVIS_SELECTED)) {
        s->selectionMark = i;
    }
    return SetItemState(h, s, i, it->state, it->stateMask) ? 1 : 0;
}

LResult OnGetItemState(Hwnd, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    if (!Valid(s, int(wp))) return 0;
    return LResult(s->rows[wp].state & uint32_t(lp));
}

LResult OnGetItemText(Hwnd, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    auto* it = reinterpret_cast<LvItem*>(lp);
    if (!it || !Valid(s, int(wp)) || !it->pszText || it->cchTextMax <= 0) return 0;
    return LResult(
        CopyOut(TextOf(s, int(wp), it->iSubItem), it->pszText, std::size_t(it->cchTextMax)));
}

LResult OnSetItemText(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    const auto* it = reinterpret_cast<const LvItem*>(lp);
    if (!it || !Valid(s, int(wp))) return 0;
    SetRowText(s->rows[wp], it->iSubItem, it->pszText);
    RedrawItem(h, s, int(wp));
    return 1;
}

LResult OnSortItems(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    auto compare = reinterpret_cast<PfnLvCompare>(lp);
    if (!compare) return 0;
    const intptr_t param = intptr_t(wp);
    std::stable_sort(s->rows.begin(), s->rows.end(), [&](const Row& a, const Row& b) {
        return compare(a.lParam, b.lParam, param) < 0;
    });
    Redraw(h);
    return 1;
}

LResult OnGetSelectedCount(Hwnd, ListViewState* s, uint32_t, WParam, LParam) {
    int n = 0;
    for (const Row& r : s->rows) n += (r.state & LVIS_SELECTED) ? 1 : 0;
    return n;
}

LResult OnSetExtendedStyle(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam lp) {
    const uint32_t old = s->exStyle;
    const uint32_t mask = wp ? uint32_t(wp) : 0xFFFFFFFFu;
    s->exStyle = (old & ~mask) | (uint32_t(lp) & mask);
    Redraw(h);
    return LResult(old);
}

LResult OnGetExtendedStyle(Hwnd, ListViewState* s, uint32_t, WParam, LParam) {
    return LResult(s->exStyle);
}

LResult OnGetSelectionMark(Hwnd, ListViewState* s, uint32_t, WParam, LParam) {
    return s->selectionMark;
}

LResult OnSetSelectionMark(Hwnd, ListViewState* s, uint32_t, WParam, LParam lp) {
    const int old = s->selectionMark;
    s->selectionMark = int(int32_t(lp));
    return old;
}

LResult OnGetStringWidth(Hwnd, ListViewState* s, uint32_t, WParam, LParam lp) {
    const char* text = reinterpret_cast<const char*>(lp);
    return text ? s->font.font.MeasureText(text).cx : 0;
}

LResult OnEditLabel(Hwnd h, ListViewState* s, uint32_t, WParam wp, LParam) {
    const int i = int(int32_t(wp));
    if (i < 0) {
        EndEdit(h, s, false);
        return 0;
    }
    if (GetFocus() != h && !s->edit) SetFocus(h);
    return HwndToParam(BeginEdit(h, s, i));
}

LResult OnGetEditControl(Hwnd, ListViewState* s, uint32_t, WParam, LParam) {
    return HwndToParam(s->edit);
}

LResult ListViewProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    static const ControlMessages<ListViewState> kMessages{
        {WM_SETFONT, OnSetFont},
        {WM_CREATE, OnCreate},
        {WM_DESTROY, OnDestroy},
        {WM_SIZE, OnSize},
        {WM_GETDLGCODE, WantArrowsAndChars<ListViewState>},
        {WM_PAINT, OnPaint},
        {WM_SETFOCUS, OnFocus},
        {WM_KILLFOCUS, OnFocus},
        {WM_USER + 0x7F0, OnLabelEditorLeft},
        {WM_LBUTTONDOWN, OnButtonDown},
        {WM_RBUTTONDOWN, OnButtonDown},
        {WM_LBUTTONDBLCLK, OnDoubleClick},
        {WM_RBUTTONDBLCLK, OnDoubleClick},
        {WM_LBUTTONUP, OnButtonUp},
        {WM_RBUTTONUP, OnButtonUp},
        {WM_MOUSEMOVE, OnMouseMove},
        {WM_CAPTURECHANGED, OnCaptureChanged},
        {WM_KEYDOWN, OnKeyDown},
        {WM_MOUSEWHEEL, OnMouseWheel},
        {WM_VSCROLL, OnScroll},
        {WM_HSCROLL, OnScroll},
        {WM_NOTIFY, OnHeaderNotify},
        {LVM_GETBKCOLOR, OnGetColor},
        {LVM_SETBKCOLOR, OnSetColor},
        {LVM_GETTEXTCOLOR, OnGetColor},
        {LVM_SETTEXTCOLOR, OnSetColor},
        {LVM_GETTEXTBKCOLOR, OnGetColor},
        {LVM_SETTEXTBKCOLOR, OnSetColor},
        {LVM_GETIMAGELIST, OnGetImageList},
        {LVM_SETIMAGELIST, OnSetImageList},
        {LVM_GETITEMCOUNT, OnGetItemCount},
        {LVM_SETITEMCOUNT, OnSetItemCount},
        {LVM_GETITEMA, OnGetItem},
        {LVM_SETITEMA, OnSetItem},
        {LVM_INSERTITEMA, OnInsertItem},
        {LVM_DELETEITEM, OnDeleteItem},
        {LVM_DELETEALLITEMS, OnDeleteAllItems},
        {LVM_GETNEXTITEM, OnGetNextItem},
        {LVM_FINDITEMA, OnFindItem},
        {LVM_GETITEMRECT, OnGetItemRect},
        {LVM_GETSUBITEMRECT, OnGetSubItemRect},
        {LVM_HITTEST, OnHitTest},
        {LVM_SUBITEMHITTEST, OnHitTest},
        {LVM_ENSUREVISIBLE, OnEnsureVisible},
        {LVM_SCROLL, OnScrollBy},
        {LVM_REDRAWITEMS, OnRedrawItems},
        {LVM_UPDATE, OnRedrawItems},
        {LVM_GETCOLUMNA, OnGetColumn},
        {LVM_SETCOLUMNA, OnSetColumn},
        {LVM_INSERTCOLUMNA, OnInsertColumn},
        {LVM_DELETECOLUMN, OnDeleteColumn},
        {LVM_GETCOLUMNWIDTH, OnGetColumnWidth},
        {LVM_SETCOLUMNWIDTH, OnSetColumnWidth},
        {LVM_GETHEADER, OnGetHeader},
        {LVM_GETTOPINDEX, OnGetTopIndex},
        {LVM_GETCOUNTPERPAGE, OnGetCountPerPage},
        {LVM_SETITEMSTATE, OnSetItemState},
        {LVM_GETITEMSTATE, OnGetItemState},
        {LVM_GETITEMTEXTA, OnGetItemText},
        {LVM_SETITEMTEXTA, OnSetItemText},
        {LVM_SORTITEMS, OnSortItems},
        {LVM_GETSELECTEDCOUNT, OnGetSelectedCount},
        {LVM_SETEXTENDEDLISTVIEWSTYLE, OnSetExtendedStyle},
        {LVM_GETEXTENDEDLISTVIEWSTYLE, OnGetExtendedStyle},
        {LVM_GETSELECTIONMARK, OnGetSelectionMark},
        {LVM_SETSELECTIONMARK, OnSetSelectionMark},
        {LVM_GETSTRINGWIDTHA, OnGetStringWidth},
        {LVM_EDITLABELA, OnEditLabel},
        {LVM_GETEDITCONTROL, OnGetEditControl},
    };
    return DispatchControl(kMessages, h, msg, wp, lp);
}

}  // namespace

bool RegisterListViewClass() {
    return RegisterControlClass(kListViewClass, ListViewProc, CS_DBLCLKS | CS_PARENTDC, 0);
}

}  // namespace zv::ui::controls
