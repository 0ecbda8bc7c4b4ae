#include <cstring>

#include "platform/ui/SysColors.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/controls/ImageList.h"
#include "platform/ui/controls/tests/ControlTestSupport.h"

namespace zv::ui::testing {
namespace {

class ListViews : public ControlTest {
  protected:
    Hwnd MakeList(uint32_t style, int rows = 30) {
        const Hwnd l =
            Make(kListViewClass, "", LVS_REPORT | WS_BORDER | style, 10, 20, 20, 300, 160);
        AddColumn(l, 0, "名前", 120, LVCFMT_LEFT);
        AddColumn(l, 1, "数", 60, LVCFMT_RIGHT);
        for (int i = 0; i < rows; ++i) {
            std::string a = "row " + std::to_string(i);
            std::string b = std::to_string(i * 10);
            LvItem it;
            it.mask = LVIF_TEXT | LVIF_PARAM;
            it.iItem = i;
            it.pszText = a.data();
            it.lParam = 1000 + i;
            SendMessage(l, LVM_INSERTITEMA, 0, reinterpret_cast<LParam>(&it));
            it.iSubItem = 1;
            it.pszText = b.data();
            SendMessage(l, LVM_SETITEMTEXTA, static_cast<WParam>(i), reinterpret_cast<LParam>(&it));
        }
        log.notes.clear();
        return l;
    }
    void AddColumn(Hwnd l, int at, const char* utf8, int width, int fmt) {
        std::string text = Sjis(utf8);
        LvColumn c;
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        c.pszText = text.data();
        c.cx = width;
        c.fmt = fmt;
        SendMessage(l, LVM_INSERTCOLUMNA, static_cast<WParam>(at), reinterpret_cast<LParam>(&c));
    }
    Point RowPoint(Hwnd l, int i, int x = 30) {
        Rect r{LVIR_BOUNDS, 0, 0, 0};
        SendMessage(l, LVM_GETITEMRECT, static_cast<WParam>(i), reinterpret_cast<LParam>(&r));
        return At(l, x, (r.top + r.bottom) / 2);
    }
    uint32_t State(Hwnd l, int i) {
        return uint32_t(
            SendMessage(l, LVM_GETITEMSTATE, static_cast<WParam>(i), LVIS_SELECTED | LVIS_FOCUSED));
    }
    std::vector<int> Notes(int id) {
        std::vector<int> out;
        for (const Note& n : log.notes) {
            if (n.msg == WM_NOTIFY && n.id == id) out.push_back(n.code);
        }
        return out;
    }
    const NmItemActivate* LastItemNote(int code) {
        for (auto it = log.notes.rbegin(); it != log.notes.rend(); ++it) {
            if (it->msg == WM_NOTIFY && it->code == code) {
                return reinterpret_cast<const NmItemActivate*>(it->lParam);
            }
        }
        return nullptr;
    }
};

TEST_F(ListViews, ClickSelectsAndNotifiesInOrder) {
    const Hwnd l = MakeList(LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    std::vector<std::pair<int, int>> clicks;  // code, item: copied while the record lives
    log.handler = [&](Hwnd, uint32_t msg, WParam, LParam lp, LResult*) {
        if (msg == WM_NOTIFY) {
            const auto* nm = reinterpret_cast<const NmItemActivate*>(lp);
            if (nm->hdr.code == NM_CLICK || nm->hdr.code == NM_RCLICK ||
                nm->hdr.code == NM_DBLCLK) {
                clicks.push_back({int(int32_t(nm->hdr.code)), nm->iItem});
            }
        }
        return false;
    };
    Click(RowPoint(l, 2));
    EXPECT_EQ(State(l, 2), LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(Notes(10), (std::vector<int>{int(NM_SETFOCUS), int(LVN_ITEMCHANGING),
                                           int(LVN_ITEMCHANGED), int(NM_CLICK)}));
    Click(RowPoint(l, 4));
    EXPECT_EQ(State(l, 2), 0u);  // single selection
    EXPECT_EQ(SendMessage(l, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    screen->MouseMove(RowPoint(l, 5).x, RowPoint(l, 5).y);
    screen->MouseDown(RowPoint(l, 5).x, RowPoint(l, 5).y, MouseButton::Right);
    screen->MouseUp(RowPoint(l, 5).x, RowPoint(l, 5).y, MouseButton::Right);
    Pump();
    screen->AdvanceClock(1000);
    DoubleClick(RowPoint(l, 1));
    // A click on no row reports item -1.
    Click(At(l, 280, 150));
    ASSERT_GE(clicks.size(), 4u);
    EXPECT_EQ(clicks[0], std::make_pair(int(NM_CLICK), 2));
    EXPECT_EQ(clicks[1], std::make_pair(int(NM_CLICK), 4));
    EXPECT_EQ(clicks[2], std::make_pair(int(NM_RCLICK), 5));
    EXPECT_EQ(clicks[3].first, int(NM_CLICK));
    EXPECT_EQ(clicks[4], std::make_pair(int(NM_DBLCLK), 1));
    EXPECT_EQ(clicks.back(), std::make_pair(int(NM_CLICK), -1));
    EXPECT_EQ(SendMessage(l, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_SELECTED), -1);
}

// A selected label, left, centred or right-aligned, lies on its highlight bar whole: no
// highlight-coloured letter stands on the white beside it.
TEST_F(ListViews, TheSelectionBarLiesUnderTheWholeLabel) {
    for (const int fmt : {LVCFMT_LEFT, LVCFMT_CENTER, LVCFMT_RIGHT}) {
        const Hwnd l = Make("SysListView32", "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 11,
                            10, 10, 300, 120);
        AddColumn(l, 0, "兵器名", 200, fmt);
        std::string text = Sjis("黒鴉 ステルス戦闘機");
        LvItem it;
        it.mask = LVIF_TEXT;
        it.pszText = text.data();
        SendMessage(l, LVM_INSERTITEMA, 0, reinterpret_cast<LParam>(&it));
        Click(RowPoint(l, 0, 100));
        ASSERT_EQ(State(l, 0), LVIS_SELECTED | LVIS_FOCUSED);
        TextDrawLog drawn;
        RedrawWindow(l, nullptr, RDW_INVALIDATE | RDW_ERASE);
        wm->Flush();
        const TextDrawRecord* label = nullptr;
        for (const TextDrawRecord& r : drawn.Records()) {
            if (Utf8Of(r.text) == "黒鴉 ステルス戦闘機") label = &r;
        }
        ASSERT_TRUE(label) << "format " << fmt;
        const ColorRef c = GetSysColor(COLOR_HIGHLIGHT);
        const uint32_t bar = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
        // The row's second line, above the letters, across the whole label.
        Rect cell{LVIR_LABEL, 0, 0, 0};
        SendMessage(l, LVM_GETITEMRECT, 0, reinterpret_cast<LParam>(&cell));
        const int y = At(l, 0, cell.top + 1).y;  // inside the focus frame
        for (int x = label->box.left; x < label->box.right; ++x) {
            EXPECT_EQ(screen->PixelAt(x, y), bar) << "format " << fmt << " at " << x;
        }
        DestroyWindow(l);
    }
}

TEST_F(ListViews, DragPastTheThresholdBeginsADrag) {
    const Hwnd l = MakeList(LVS_SINGLESEL);
    int dragged = -2;
    log.handler = [&](Hwnd, uint32_t msg, WParam, LParam lp, LResult*) {
        if (msg == WM_NOTIFY && reinterpret_cast<const NmHdr*>(lp)->code == LVN_BEGINDRAG) {
            dragged = reinterpret_cast<const NmListView*>(lp)->iItem;
        }
        return false;
    };
    const Point p = RowPoint(l, 3);
    screen->MouseMove(p.x, p.y);
    screen->MouseDown(p.x, p.y);
    screen->MouseMove(p.x + 2, p.y + 1);
    Pump();
    EXPECT_EQ(dragged, -2);
    screen->MouseMove(p.x + 10, p.y + 10);
    screen->MouseUp(p.x + 10, p.y + 10);
    Pump();
    EXPECT_EQ(dragged, 3);
    EXPECT_EQ(log.Count(WM_NOTIFY, 10, int(NM_CLICK)), 0);
}

TEST_F(ListViews, ItemChangingMayRefuse) {
    const Hwnd l = MakeList(LVS_SINGLESEL);
    log.handler = [&](Hwnd, uint32_t msg, WParam, LParam lp, LResult* r) {
        if (msg == WM_NOTIFY && reinterpret_cast<const NmHdr*>(lp)->code == LVN_ITEMCHANGING &&
            reinterpret_cast<const NmListView*>(lp)->iItem == 6) {
            *r = 1;
            return true;
        }
        return false;
    };
    Click(RowPoint(l, 6));
    EXPECT_EQ(State(l, 6), 0u);
    Click(RowPoint(l, 7));
    EXPECT_EQ(State(l, 7), LVIS_SELECTED | LVIS_FOCUSED);
}

TEST_F(ListViews, KeyboardMovesTheSelectionAndScrolls) {
    const Hwnd l = MakeList(LVS_SINGLESEL);
    Click(RowPoint(l, 0));
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessage(l, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_SELECTED), 2);
    Key(VK_END);
    EXPECT_EQ(SendMessage(l, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_FOCUSED), 29);
    EXPECT_GT(SendMessage(l, LVM_GETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(SendMessage(l, LVM_GETTOPINDEX, 0, 0) + SendMessage(l, LVM_GETCOUNTPERPAGE, 0, 0),
              30);
    Key(VK_HOME);
    EXPECT_EQ(SendMessage(l, LVM_GETTOPINDEX, 0, 0), 0);
    EXPECT_GE(log.Count(WM_NOTIFY, 10, int(LVN_KEYDOWN)), 4);
}

// Each scroll code, the wheel and the page keys move the top row by a line, a page or to an end,
// never past the last full page.
TEST_F(ListViews, ScrollCodesWheelAndPageKeysMoveTheTopRow) {
    const Hwnd l = MakeList(LVS_SINGLESEL);
    const int page = int(SendMessage(l, LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GT(page, 2);
    const int last = 30 - page;
    struct Step {
        uint32_t code;
        int thumb;
        int top;
    };
    const Step steps[] = {
        {SB_LINEDOWN, 0, 1},    {SB_PAGEDOWN, 0, 1 + page}, {SB_BOTTOM, 0, last},
        {SB_PAGEDOWN, 0, last}, {SB_LINEUP, 0, last - 1},   {SB_TOP, 0, 0},
        {SB_LINEUP, 0, 0},      {SB_THUMBTRACK, 5, 5},      {SB_THUMBPOSITION, 7, 7},
        {SB_ENDSCROLL, 0, 7},
    };
    for (const Step& s : steps) {
        SendMessage(l, WM_VSCROLL, MakeWParam(int(s.code), s.thumb), 0);
        EXPECT_EQ(SendMessage(l, LVM_GETTOPINDEX, 0, 0), s.top) << s.code;
    }
    // The wheel turns the focus window: a notch towards the user scrolls three rows down, one
    // away three up.
    const Point mid = RowPoint(l, 7);
    Click(mid);
    screen->Wheel(mid.x, mid.y, -WHEEL_DELTA);
    Pump();
    EXPECT_EQ(SendMessage(l, LVM_GETTOPINDEX, 0, 0), 10);
    screen->Wheel(mid.x, mid.y, WHEEL_DELTA);
    Pump();
    EXPECT_EQ(SendMessage(l, LVM_GETTOPINDEX, 0, 0), 7);
    // Page keys move the focus a page less one row; the list follows it.
    SendMessage(l, WM_VSCROLL, SB_TOP, 0);
    Click(RowPoint(l, 0));
    Key(VK_NEXT);
    EXPECT_EQ(SendMessage(l, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_FOCUSED), page - 1);
    Key(VK_NEXT);
    EXPECT_EQ(SendMessage(l, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_FOCUSED),
              2 * (page - 1));
    EXPECT_GT(SendMessage(l, LVM_GETTOPINDEX, 0, 0), 0);
    Key(VK_PRIOR);
    Key(VK_PRIOR);
    EXPECT_EQ(SendMessage(l, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_FOCUSED), 0);
    EXPECT_EQ(SendMessage(l, LVM_GETTOPINDEX, 0, 0), 0);
}

TEST_F(ListViews, MultipleSelectionWithShiftAndControl) {
    const Hwnd l = MakeList(0);
    Click(RowPoint(l, 1));
    screen->KeyDown(VK_SHIFT);
    Click(RowPoint(l, 3));
    screen->KeyUp(VK_SHIFT);
    screen->KeyDown(VK_CONTROL);
    Click(RowPoint(l, 5));
    screen->KeyUp(VK_CONTROL);
    Pump();
    std::vector<int> sel;
    for (int i = int(SendMessage(l, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_SELECTED));
         i >= 0; i = int(SendMessage(l, LVM_GETNEXTITEM, static_cast<WParam>(i), LVNI_SELECTED))) {
        sel.push_back(i);
    }
    EXPECT_EQ(sel, (std::vector<int>{1, 2, 3, 5}));
    // LVM_SETITEMSTATE with -1 applies to every item.
    LvItem none;
    none.stateMask = LVIS_SELECTED;
    SendMessage(l, LVM_SETITEMSTATE, static_cast<WParam>(-1), reinterpret_cast<LParam>(&none));
    EXPECT_EQ(SendMessage(l, LVM_GETSELECTEDCOUNT, 0, 0), 0);
}

TEST_F(ListViews, ItemsColumnsAndRectangles) {
    const Hwnd l = MakeList(LVS_SINGLESEL | LVS_NOSORTHEADER, 3);
    char buf[32];
    LvItem q;
    q.iSubItem = 1;
    q.pszText = buf;
    q.cchTextMax = sizeof buf;
    EXPECT_EQ(SendMessage(l, LVM_GETITEMTEXTA, 2, reinterpret_cast<LParam>(&q)), 2);
    EXPECT_STREQ(buf, "20");
    LvItem g;
    g.mask = LVIF_PARAM | LVIF_IMAGE;
    g.iItem = 1;
    EXPECT_EQ(SendMessage(l, LVM_GETITEMA, 0, reinterpret_cast<LParam>(&g)), 1);
    EXPECT_EQ(g.lParam, 1001);
    EXPECT_EQ(g.iImage, -1);
    LvColumn c;
    c.mask = LVCF_WIDTH | LVCF_FMT | LVCF_TEXT;
    c.pszText = buf;
    c.cchTextMax = sizeof buf;
    EXPECT_EQ(SendMessage(l, LVM_GETCOLUMNA, 1, reinterpret_cast<LParam>(&c)), 1);
    EXPECT_EQ(c.cx, 60);
    EXPECT_EQ(c.fmt, LVCFMT_RIGHT);
    EXPECT_EQ(Utf8(buf), "数");
    EXPECT_EQ(SendMessage(l, LVM_GETCOLUMNA, 2, reinterpret_cast<LParam>(&c)), 0);
    Rect sub{LVIR_BOUNDS, 1, 0, 0};
    EXPECT_EQ(SendMessage(l, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LParam>(&sub)), 1);
    EXPECT_EQ(sub.left, 120);
    EXPECT_EQ(sub.right, 180);
    Rect label{LVIR_LABEL, 0, 0, 0};
    SendMessage(l, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LParam>(&label));
    EXPECT_EQ(label.left, 16);
    EXPECT_EQ(label.right, 120);
    LvHitTestInfo hit;
    hit.pt = {150, sub.top + 2};
    EXPECT_EQ(SendMessage(l, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LParam>(&hit)), 0);
    EXPECT_EQ(hit.iSubItem, 1);
    // The header is a child that sizes the columns when its divider is dragged.
    const Hwnd header = HwndFromParam(SendMessage(l, LVM_GETHEADER, 0, 0));
    ASSERT_TRUE(header);
    const Point d = At(header, 120, 5);
    screen->MouseMove(d.x, d.y);
    screen->MouseDown(d.x, d.y);
    screen->MouseMove(d.x + 30, d.y);
    screen->MouseUp(d.x + 30, d.y);
    Pump();
    EXPECT_EQ(SendMessage(l, LVM_GETCOLUMNWIDTH, 0, 0), 150);
    SendMessage(l, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
    EXPECT_GE(SendMessage(l, LVM_GETCOLUMNWIDTH, 1, 0), 100);  // the rest of the control
    // LVS_NOSORTHEADER headings are not buttons: no column clicks.
    Click(At(header, 40, 5));
    EXPECT_EQ(log.Count(WM_NOTIFY, 10, int(LVN_COLUMNCLICK)), 0);
    // Deleting reports each item.
    EXPECT_EQ(SendMessage(l, LVM_DELETEITEM, 0, 0), 1);
    EXPECT_EQ(SendMessage(l, LVM_GETITEMCOUNT, 0, 0), 2);
    SendMessage(l, LVM_DELETEALLITEMS, 0, 0);
    EXPECT_EQ(SendMessage(l, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(log.Count(WM_NOTIFY, 10, int(LVN_DELETEITEM)), 3);
}

TEST_F(ListViews, SortHeaderReportsColumnClicks) {
    const Hwnd l = MakeList(0, 3);
    const Hwnd header = HwndFromParam(SendMessage(l, LVM_GETHEADER, 0, 0));
    Click(At(header, 150, 5));
    ASSERT_EQ(log.Count(WM_NOTIFY, 10, int(LVN_COLUMNCLICK)), 1);
    // Sorting by lParam, descending.
    SendMessage(l, LVM_SORTITEMS, 0,
                reinterpret_cast<LParam>(+[](intptr_t a, intptr_t b, intptr_t) {
                    return a > b ? -1 : a < b ? 1 : 0;
                }));
    LvItem g;
    g.mask = LVIF_PARAM;
    SendMessage(l, LVM_GETITEMA, 0, reinterpret_cast<LParam>(&g));
    EXPECT_EQ(g.lParam, 1002);
}

TEST_F(ListViews, LabelEditingAsksTheParent) {
    const Hwnd l = MakeList(LVS_SINGLESEL | LVS_EDITLABELS, 3);
    std::string ended;
    bool sawEnd = false;
    log.handler = [&](Hwnd, uint32_t msg, WParam, LParam lp, LResult* r) {
        if (msg != WM_NOTIFY) return false;
        const auto* nm = reinterpret_cast<const NmLvDispInfo*>(lp);
        if (nm->hdr.code == LVN_BEGINLABELEDITA) {
            const Hwnd edit = HwndFromParam(SendMessage(l, LVM_GETEDITCONTROL, 0, 0));
            SendMessage(edit, EM_LIMITTEXT, 24, 0);
        }
        if (nm->hdr.code == LVN_ENDLABELEDITA) {
            sawEnd = true;
            ended = nm->item.pszText ? nm->item.pszText : "(null)";
            *r = 1;
            return true;
        }
        return false;
    };
    Click(RowPoint(l, 1));
    Click(RowPoint(l, 1));  // a second click on the selected label edits it
    const Hwnd edit = HwndFromParam(SendMessage(l, LVM_GETEDITCONTROL, 0, 0));
    ASSERT_TRUE(edit);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(SendMessage(edit, EM_GETLIMITTEXT, 0, 0), 24);
    Type("新しい名前");
    Key(VK_RETURN);
    EXPECT_TRUE(sawEnd);
    EXPECT_EQ(Utf8(ended), "新しい名前");
    char buf[32];
    LvItem q;
    q.pszText = buf;
    q.cchTextMax = sizeof buf;
    SendMessage(l, LVM_GETITEMTEXTA, 1, reinterpret_cast<LParam>(&q));
    EXPECT_EQ(Utf8(buf), "新しい名前");
    EXPECT_FALSE(SendMessage(l, LVM_GETEDITCONTROL, 0, 0));
    // Esc drops the edit: the parent hears a null text.
    SendMessage(l, LVM_EDITLABELA, 0, 0);
    Type("x");
    Key(VK_ESCAPE);
    EXPECT_EQ(ended, "(null)");
}

TEST_F(ListViews, OwnerDrawRowsGetDrawItem) {
    log.measureHeight = 20;
    const Hwnd l = MakeList(LVS_SINGLESEL | LVS_OWNERDRAWFIXED, 4);
    Click(RowPoint(l, 1));
    log.drawn.clear();
    wm->Flush();
    InvalidateRect(l, nullptr, true);
    wm->Flush();
    ASSERT_GE(log.drawn.size(), 4u);
    const DrawItemStruct& d = log.drawn[1];
    EXPECT_EQ(d.ctlType, ODT_LISTVIEW);
    EXPECT_EQ(d.ctlId, 10u);
    EXPECT_EQ(d.itemId, 1u);
    EXPECT_EQ(d.itemState & (ODS_SELECTED | ODS_FOCUS), ODS_SELECTED | ODS_FOCUS);
    EXPECT_EQ(d.itemData, 1001u);
    EXPECT_EQ(d.rcItem.Height(), 20);
    EXPECT_EQ(log.drawn[0].itemState & ODS_SELECTED, 0u);
}

class Tabs : public ControlTest {
  protected:
    std::vector<int> Notes() {
        std::vector<int> out;
        for (const Note& n : log.notes) {
            if (n.msg == WM_NOTIFY && n.id == 14005) out.push_back(n.code);
        }
        return out;
    }
};

TEST_F(Tabs, SelectionByClickAndKeys) {
    const Hwnd t = Make(kTabControlClass, "", WS_TABSTOP, 14005, 20, 20, 300, 200);
    for (const char* name : {"兵器", "ひな型", "部隊"}) {
        std::string s = Sjis(name);
        TcItem it;
        it.mask = TCIF_TEXT;
        it.pszText = s.data();
        SendMessage(t, TCM_INSERTITEMA, SendMessage(t, TCM_GETITEMCOUNT, 0, 0),
                    reinterpret_cast<LParam>(&it));
    }
    EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 0);
    Rect r;
    SendMessage(t, TCM_GETITEMRECT, 2, reinterpret_cast<LParam>(&r));
    Click(At(t, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
    EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Notes(), (std::vector<int>{int(TCN_SELCHANGING), int(TCN_SELCHANGE)}));
    Key(VK_LEFT);
    EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 1);
    // TCN_SELCHANGING may refuse.
    log.handler = [](Hwnd, uint32_t msg, WParam, LParam lp, LResult* res) {
        if (msg == WM_NOTIFY && reinterpret_cast<const NmHdr*>(lp)->code == TCN_SELCHANGING) {
            *res = 1;
            return true;
        }
        return false;
    };
    Key(VK_RIGHT);
    EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 1);
    log.handler = nullptr;
    // Messages select without notifying and answer the old selection.
    log.notes.clear();
    EXPECT_EQ(SendMessage(t, TCM_SETCURSEL, 0, 0), 1);
    EXPECT_TRUE(Notes().empty());
    // The display rectangle lies inside the window, below the tabs, and converts back.
    Rect c;
    GetClientRect(t, &c);
    Rect d = c;
    SendMessage(t, TCM_ADJUSTRECT, 0, reinterpret_cast<LParam>(&d));
    EXPECT_GT(d.top, r.bottom - 2);
    EXPECT_GT(d.left, c.left);
    EXPECT_LT(d.right, c.right);
    SendMessage(t, TCM_ADJUSTRECT, 1, reinterpret_cast<LParam>(&d));
    EXPECT_EQ(d, c);
    // A page in the display area gets clicks through the tab control.
    Rect page = c;
    SendMessage(t, TCM_ADJUSTRECT, 0, reinterpret_cast<LParam>(&page));
    const Hwnd button = Make(kButtonClass, "page", BS_PUSHBUTTON, 5, 20 + page.left + 10,
                             20 + page.top + 10, 80, 24);
    SetWindowPos(button, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Click(Center(button));
    EXPECT_EQ(log.Count(WM_COMMAND, 5, BN_CLICKED), 1);
}

// Six tabs in a narrow control: the row scrolls with two arrows at its end, as the table group's
// column shows its pages.
TEST_F(Tabs, ARowWiderThanTheControlScrollsWithItsArrows) {
    const Hwnd t = Make(kTabControlClass, "", WS_TABSTOP, 14005, 20, 20, 202, 200);
    for (const char* name : {"部隊表", "NEWS", "兵器表", "増援", "陣営", "地形"}) {
        std::string s = Sjis(name);
        TcItem it;
        it.mask = TCIF_TEXT;
        it.pszText = s.data();
        SendMessage(t, TCM_INSERTITEMA, SendMessage(t, TCM_GETITEMCOUNT, 0, 0),
                    reinterpret_cast<LParam>(&it));
    }
    Rect c;
    GetClientRect(t, &c);
    auto itemRect = [&](int i) {
        Rect r;
        SendMessage(t, TCM_GETITEMRECT, WParam(i), reinterpret_cast<LParam>(&r));
        return r;
    };
    auto hit = [&](Point p) {
        TcHitTestInfo info;
        info.pt = p;
        return int(SendMessage(t, TCM_HITTEST, 0, reinterpret_cast<LParam>(&info)));
    };
    // The last tab does not fit: the arrows take the row's end and clicks there choose no tab.
    ASSERT_GT(itemRect(5).right, c.right);
    const int rowY = (itemRect(0).top + itemRect(0).bottom) / 2;
    EXPECT_EQ(hit({c.right - 3, rowY}), -1);
    // The right arrow scrolls the row one tab at a time until the last tab shows whole.
    for (int clicks = 0; clicks < 10; ++clicks) Click(At(t, c.right - 4, rowY));
    EXPECT_LT(itemRect(0).right, c.left + 1);
    EXPECT_LE(itemRect(5).right, c.right);
    Click(At(t, (itemRect(5).left + itemRect(5).right) / 2, rowY));
    EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 5);
    // A tab scrolled out to the left takes no click; the left arrow brings it back.
    EXPECT_EQ(hit({itemRect(0).right - 2, rowY}), -1);
    // The arrows are squares as high as a tab.
    const int arrow = itemRect(5).bottom - itemRect(5).top;
    EXPECT_GE(c.right - itemRect(5).right, 2 * arrow);
    for (int clicks = 0; clicks < 10; ++clicks) Click(At(t, c.right - arrow - arrow / 2, rowY));
    EXPECT_EQ(itemRect(0).left, c.left + 2);
    // Choosing a hidden tab by key or message scrolls it into view.
    Key(VK_END);
    EXPECT_EQ(SendMessage(t, TCM_GETCURSEL, 0, 0), 5);
    EXPECT_LE(itemRect(5).right, c.right);
    SendMessage(t, TCM_SETCURSEL, 0, 0);
    EXPECT_EQ(itemRect(0).left, c.left + 2);
    // Wide enough again: no arrows, every tab in place.
    SetWindowPos(t, Hwnd{}, 0, 0, 600, 200, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(t, &c);
    EXPECT_LE(itemRect(5).right, c.right);
    EXPECT_EQ(hit({(itemRect(5).left + itemRect(5).right) / 2, rowY}), 5);
}

using Progress = ControlTest;

TEST_F(Progress, RangeStepAndPosition) {
    const Hwnd p = Make(kProgressClass, "", 0, 1223, 20, 20, 200, 18);
    EXPECT_EQ(SendMessage(p, PBM_SETRANGE, 0, MakeLParam(0, 5)), MakeLParam(0, 100));
    EXPECT_EQ(SendMessage(p, PBM_SETSTEP, 1, 0), 10);
    for (int i = 0; i < 3; ++i) SendMessage(p, PBM_STEPIT, 0, 0);
    EXPECT_EQ(SendMessage(p, PBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(SendMessage(p, PBM_SETPOS, 9, 0), 3);
    EXPECT_EQ(SendMessage(p, PBM_GETPOS, 0, 0), 5);  // held to the range
    SendMessage(p, PBM_STEPIT, 0, 0);                // past the end: starts over
    EXPECT_EQ(SendMessage(p, PBM_GETPOS, 0, 0), 1);
    EXPECT_EQ(SendMessage(p, PBM_DELTAPOS, 2, 0), 1);
    EXPECT_EQ(SendMessage(p, PBM_GETPOS, 0, 0), 3);
    PbRange range;
    EXPECT_EQ(SendMessage(p, PBM_GETRANGE, 1, reinterpret_cast<LParam>(&range)), 0);
    EXPECT_EQ(range.iHigh, 5);
    wm->Flush();
    // About three fifths of the bar is filled.
    const uint32_t bar = ToPixel32(GetSysColor(COLOR_HIGHLIGHT));
    auto barNear = [&](int x) {
        const Point at = At(p, x, 9);
        for (int dx = 0; dx < 10; ++dx) {
            if (screen->PixelAt(at.x + dx, at.y) == bar) return true;
        }
        return false;
    };
    EXPECT_TRUE(barNear(100));
    EXPECT_FALSE(barNear(150));
}

using UpDowns = ControlTest;

TEST_F(UpDowns, ArrowsStepTheBuddyAndRepeatWhileHeld) {
    const Hwnd edit = Make(kEditClass, "", WS_BORDER | ES_NUMBER, 1024, 100, 100, 60, 20);
    const Hwnd ud = CreateUpDownControl(WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT,
                                        149, 226, 12, 13, parent, 1025, nullptr, edit, 256, 1, 149);
    ASSERT_TRUE(ud);
    EXPECT_EQ(GetWindowText(edit), "149");
    Rect er;
    Rect ur;
    GetWindowRect(edit, &er);
    GetWindowRect(ud, &ur);
    EXPECT_EQ(er.right, ur.left);  // beside the buddy, which gave up the room
    EXPECT_EQ(ur.right, 160);
    EXPECT_EQ(ur.Height(), er.Height());
    const Point up = At(ud, 6, 2);
    Click(up);
    EXPECT_EQ(GetWindowText(edit), "150");
    EXPECT_EQ(LoWord(SendMessage(ud, UDM_GETPOS, 0, 0)), 150);
    EXPECT_EQ(log.Count(WM_NOTIFY, 1025, int(UDN_DELTAPOS)), 1);
    EXPECT_EQ(log.Count(WM_VSCROLL, 0, SB_THUMBPOSITION), 1);
    // Held: a first delay, then steps on the clock.
    screen->MouseMove(up.x, up.y);
    screen->MouseDown(up.x, up.y);
    Pump();
    screen->AdvanceClock(400);
    Pump();
    for (int i = 0; i < 5; ++i) {
        screen->AdvanceClock(100);
        Pump();
    }
    screen->MouseUp(up.x, up.y);
    Pump();
    EXPECT_EQ(GetWindowText(edit), "157");
    // A typed value is read back; a bad one is reported and keeps the position.
    SetWindowText(edit, "20");
    EXPECT_EQ(SendMessage(ud, UDM_GETPOS, 0, 0), MakeLParam(20, 0));
    SetWindowText(edit, "");
    EXPECT_EQ(HiWord(static_cast<uintptr_t>(SendMessage(ud, UDM_GETPOS, 0, 0))), 1);
    // The range holds the position; the parent may refuse a step.
    SendMessage(ud, UDM_SETPOS, 0, MakeLParam(256, 0));
    screen->AdvanceClock(1000);
    Click(up);
    EXPECT_EQ(GetWindowText(edit), "256");
    log.handler = [](Hwnd, uint32_t msg, WParam, LParam lp, LResult* r) {
        if (msg == WM_NOTIFY && reinterpret_cast<const NmHdr*>(lp)->code == UDN_DELTAPOS) {
            *r = 1;
            return true;
        }
        return false;
    };
    Click(At(ud, 6, 11));
    EXPECT_EQ(GetWindowText(edit), "256");
}

class TreeViews : public ControlTest {
  protected:
    HTreeItem Insert(Hwnd t, HTreeItem parentItem, const char* text, HTreeItem after = TVI_LAST) {
        std::string s = Sjis(text);
        TvInsertStruct in;
        in.hParent = parentItem;
        in.hInsertAfter = after;
        in.item.mask = TVIF_TEXT;
        in.item.pszText = s.data();
        return HTreeItem(SendMessage(t, TVM_INSERTITEMA, 0, reinterpret_cast<LParam>(&in)));
    }
    std::string TextOf(Hwnd t, HTreeItem item) {
        char buf[64] = {};
        TvItem it;
        it.mask = TVIF_TEXT;
        it.hItem = item;
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        SendMessage(t, TVM_GETITEMA, 0, reinterpret_cast<LParam>(&it));
        return Utf8(buf);
    }
    HTreeItem Selected(Hwnd t) { return HTreeItem(SendMessage(t, TVM_GETNEXTITEM, TVGN_CARET, 0)); }
};

TEST_F(TreeViews, ExpandCollapseAndSelect) {
    const Hwnd t =
        Make(kTreeViewClass, "",
             WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 20,
             20, 20, 240, 200);
    const HTreeItem a = Insert(t, TVI_ROOT, "第一軍団");
    const HTreeItem a1 = Insert(t, a, "部隊 1");
    Insert(t, a, "部隊 2");
    const HTreeItem b = Insert(t, TVI_ROOT, "第二軍団");
    const HTreeItem b1 = Insert(t, b, "部隊 3");
    Insert(t, TVI_ROOT, "Aardvark", TVI_FIRST);
    EXPECT_EQ(SendMessage(t, TVM_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(TextOf(t, HTreeItem(SendMessage(t, TVM_GETNEXTITEM, TVGN_ROOT, 0))), "Aardvark");
    EXPECT_EQ(HTreeItem(SendMessage(t, TVM_GETNEXTITEM, TVGN_PARENT, a1)), a);
    EXPECT_EQ(HTreeItem(SendMessage(t, TVM_GETNEXTITEM, TVGN_CHILD, b)), b1);
    // Collapsed items hide their children: three rows.
    EXPECT_EQ(HTreeItem(SendMessage(t, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, a)), b);
    // A click on the button expands.
    Rect r;
    std::memcpy(static_cast<void*>(&r), &a, sizeof a);
    ASSERT_EQ(SendMessage(t, TVM_GETITEMRECT, 1, reinterpret_cast<LParam>(&r)), 1);
    const int indent = int(SendMessage(t, TVM_GETINDENT, 0, 0));
    Click(At(t, indent / 2, (r.top + r.bottom) / 2));
    EXPECT_EQ(log.Count(WM_NOTIFY, 20, int(TVN_ITEMEXPANDINGA)), 1);
    EXPECT_EQ(log.Count(WM_NOTIFY, 20, int(TVN_ITEMEXPANDEDA)), 1);
    EXPECT_EQ(HTreeItem(SendMessage(t, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, a)), a1);
    // A click on a label selects it.
    std::memcpy(static_cast<void*>(&r), &a1, sizeof a1);
    SendMessage(t, TVM_GETITEMRECT, 1, reinterpret_cast<LParam>(&r));
    Click(At(t, r.left + 5, (r.top + r.bottom) / 2));
    EXPECT_EQ(Selected(t), a1);
    EXPECT_EQ(log.Count(WM_NOTIFY, 20, int(TVN_SELCHANGEDA)), 1);
    // Keys: down to the next visible, left to the parent, left again collapses.
    Key(VK_DOWN);
    EXPECT_EQ(TextOf(t, Selected(t)), "部隊 2");
    Key(VK_LEFT);
    EXPECT_EQ(Selected(t), a);
    Key(VK_LEFT);
    EXPECT_EQ(HTreeItem(SendMessage(t, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, a)), b);
    // Selecting an item inside a collapsed branch opens the branch.
    EXPECT_EQ(SendMessage(t, TVM_SELECTITEM, TVGN_CARET, LParam(b1)), 1);
    EXPECT_EQ(HTreeItem(SendMessage(t, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, b)), b1);
    Shot("treeview");
    // Deleting a branch deletes its children and reports each.
    log.notes.clear();
    EXPECT_EQ(SendMessage(t, TVM_DELETEITEM, 0, LParam(b)), 1);
    EXPECT_EQ(log.Count(WM_NOTIFY, 20, int(TVN_DELETEITEMA)), 2);
    EXPECT_EQ(Selected(t), HTreeItem(0));
    EXPECT_EQ(SendMessage(t, TVM_GETCOUNT, 0, 0), 4);
}

TEST_F(TreeViews, ScrollCodesAndTheWheelMoveTheFirstVisibleRow) {
    const Hwnd t = Make(kTreeViewClass, "", WS_BORDER | WS_VSCROLL, 20, 20, 20, 240, 120);
    std::vector<HTreeItem> items;
    for (int i = 0; i < 20; ++i) {
        items.push_back(Insert(t, TVI_ROOT, ("部隊 " + std::to_string(i)).c_str()));
    }
    const int page = int(SendMessage(t, TVM_GETVISIBLECOUNT, 0, 0));
    ASSERT_GT(page, 2);
    const int last = 20 - page;
    auto top = [&] {
        const auto first = HTreeItem(SendMessage(t, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] == first) return int(i);
        }
        return -1;
    };
    struct Step {
        uint32_t code;
        int thumb;
        int top;
    };
    const Step steps[] = {
        {SB_LINEDOWN, 0, 1},    {SB_PAGEDOWN, 0, 1 + page},  {SB_BOTTOM, 0, last},
        {SB_LINEDOWN, 0, last}, {SB_PAGEUP, 0, last - page}, {SB_TOP, 0, 0},
        {SB_THUMBTRACK, 4, 4},  {SB_ENDSCROLL, 0, 4},
    };
    for (const Step& s : steps) {
        SendMessage(t, WM_VSCROLL, MakeWParam(int(s.code), s.thumb), 0);
        EXPECT_EQ(top(), s.top) << s.code;
    }
    const Point mid = At(t, 60, 5);
    Click(mid);
    screen->Wheel(mid.x, mid.y, -WHEEL_DELTA);
    Pump();
    EXPECT_EQ(top(), 7);
    screen->Wheel(mid.x, mid.y, 2 * WHEEL_DELTA);
    Pump();
    EXPECT_EQ(top(), 1);
}

TEST(ImageLists, AddDrawMaskedAndSelected) {
    std::vector<uint8_t> px(32 * 16, 1);
    for (int y = 0; y < 16; ++y) px[std::size_t(y) * 32 + 20] = 0;  // a hole in image 1
    RgbQuad pal[2] = {{255, 0, 255, 0}, {0, 0, 255, 0}};            // magenta key, red
    IndexedSurface pic{px.data(), 32, 16, 32, false, pal, 2};
    ImageList* list = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 2, 0);
    ASSERT_TRUE(list);
    EXPECT_EQ(ImageList_AddMasked(list, &pic, Rgb(255, 0, 255)), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    Surface32Buffer target(40, 20, 0x00FF00);
    Canvas dc(target.View());
    EXPECT_TRUE(ImageList_Draw(list, 1, &dc, 0, 0, ILD_NORMAL));
    EXPECT_EQ(target.At(0, 0), 0xFF0000u);
    EXPECT_EQ(target.At(4, 0), 0x00FF00u);  // the masked pixel leaves the target alone
    EXPECT_TRUE(ImageList_Draw(list, 0, &dc, 20, 0, ILD_SELECTED));
    EXPECT_NE(target.At(20, 0), 0xFF0000u);  // blended with the highlight
    EXPECT_FALSE(ImageList_Draw(list, 2, &dc, 0, 0, ILD_NORMAL));
    int cx = 0;
    int cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_TRUE(ImageList_Destroy(list));
}

TEST_F(ListViews, Screenshot) {
    const Hwnd l = MakeList(LVS_SINGLESEL | LVS_SHOWSELALWAYS, 12);
    std::vector<uint8_t> px(32 * 16, 1);
    RgbQuad pal[3] = {{0, 0, 0, 0}, {0, 160, 0, 0}, {200, 0, 0, 0}};
    for (int y = 4; y < 12; ++y) {
        for (int x = 20; x < 28; ++x) px[std::size_t(y) * 32 + x] = 2;
    }
    IndexedSurface pic{px.data(), 32, 16, 32, false, pal, 3};
    ImageList* images = ImageList_Create(16, 16, ILC_COLOR8, 2, 0);
    ImageList_Add(images, &pic, nullptr);
    SendMessage(l, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LParam>(images));
    for (int i = 0; i < 12; ++i) {
        LvItem it;
        it.mask = LVIF_IMAGE;
        it.iItem = i;
        it.iImage = i % 2;
        SendMessage(l, LVM_SETITEMA, 0, reinterpret_cast<LParam>(&it));
    }
    Click(RowPoint(l, 2));
    const Hwnd t = Make(kTabControlClass, "", 0, 30, 340, 20, 280, 160);
    for (const char* name : {"情報", "特性", "編成"}) {
        std::string s = Sjis(name);
        TcItem it;
        it.mask = TCIF_TEXT;
        it.pszText = s.data();
        SendMessage(t, TCM_INSERTITEMA, 9, reinterpret_cast<LParam>(&it));
    }
    SendMessage(t, TCM_SETCURSEL, 1, 0);
    const Hwnd p = Make(kProgressClass, "", 0, 31, 20, 200, 300, 18);
    SendMessage(p, PBM_SETPOS, 60, 0);
    const Hwnd ps = Make(kProgressClass, "", PBS_SMOOTH, 32, 20, 225, 300, 18);
    SendMessage(ps, PBM_SETPOS, 35, 0);
    const Hwnd e = Make(kEditClass, "42", WS_BORDER | ES_NUMBER, 33, 340, 200, 60, 20);
    CreateUpDownControl(WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT, 0, 0, 14, 20,
                        parent, 34, nullptr, e, 99, 0, 42);
    Shot("listview_tab_progress_updown");

    const uint32_t highlight = SysPixel(COLOR_HIGHLIGHT), green = 0x00A000, blue = 0x0000C8;
    Rect lr;
    GetWindowRect(l, &lr);
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        const int y = RowPoint(l, row).y - lr.top;
        // Only the chosen row's label is highlighted.
        EXPECT_EQ(CountPixels(l, 16, y, 100, 1, highlight) > 12, row == 2);
        // Each row's picture: all green, or green with the blue square; the chosen row's is
        // blended with the highlight.
        const int greens = CountPixels(l, 2, y - 6, 16, 12, green), blues = CountPixels(l, 2, y - 6, 16, 12, blue);
        if (row == 2) {
            EXPECT_EQ(greens + blues, 0);
        } else {
            EXPECT_GT(greens, 50);
            EXPECT_EQ(blues > 20, row % 2 == 1);
        }
    }
    // The bars are filled to their positions: the highlight ends at 60 and 35 % of the inside.
    Rect pr;
    GetWindowRect(p, &pr);
    const auto filled = [&](Hwnd bar) {
        int last = -1;
        for (int x = 0; x < pr.Width(); ++x)
            if (CountPixels(bar, x, 9, 1, 1, highlight) == 1) last = x;
        return last;
    };
    EXPECT_NEAR(filled(p), pr.Width() * 60 / 100, 12);
    EXPECT_NEAR(filled(ps), pr.Width() * 35 / 100, 4);
    DestroyWindow(l);
    ImageList_Destroy(images);
}

}  // namespace
}  // namespace zv::ui::testing
