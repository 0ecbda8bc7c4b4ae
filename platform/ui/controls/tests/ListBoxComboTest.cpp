#include "platform/ui/controls/tests/ControlTestSupport.h"

namespace zv::ui::testing {
namespace {

class ListBoxes : public ControlTest {
  protected:
    Hwnd MakeList(uint32_t style, int rows = 20) {
        const Hwnd l = Make(kListBoxClass, "", style | WS_BORDER, 5, 20, 20, 160, 100);
        for (int i = 0; i < rows; ++i) {
            const std::string t = "item " + std::to_string(i);
            SendMessage(l, LB_ADDSTRING, 0, reinterpret_cast<LParam>(t.c_str()));
        }
        return l;
    }
    Point Row(Hwnd l, int i) {
        Rect r;
        SendMessage(l, LB_GETITEMRECT, static_cast<WParam>(i), reinterpret_cast<LParam>(&r));
        return At(l, 10, (r.top + r.bottom) / 2);
    }
    void ClickWith(uint32_t modifier, Point p) {
        screen->KeyDown(modifier);
        Click(p);
        screen->KeyUp(modifier);
        Pump();
    }
    std::vector<int> Selected(Hwnd l) {
        std::vector<int> out(64);
        const auto n =
            SendMessage(l, LB_GETSELITEMS, out.size(), reinterpret_cast<LParam>(out.data()));
        out.resize(static_cast<std::size_t>(std::max<LResult>(n, 0)));
        return out;
    }
};

TEST_F(ListBoxes, StringsDataAndSearch) {
    const Hwnd l = Make(kListBoxClass, "", LBS_SORT | LBS_HASSTRINGS, 5, 20, 20, 160, 100);
    for (const char* t : {"pear", "Apple", "fig", "banana"}) {
        SendMessage(l, LB_ADDSTRING, 0, reinterpret_cast<LParam>(t));
    }
    char buf[32];
    std::vector<std::string> order;
    for (int i = 0; i < 4; ++i) {
        SendMessage(l, LB_GETTEXT, static_cast<WParam>(i), reinterpret_cast<LParam>(buf));
        order.emplace_back(buf);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Apple", "banana", "fig", "pear"}));
    EXPECT_EQ(SendMessage(l, LB_FINDSTRING, static_cast<WParam>(-1), reinterpret_cast<LParam>("B")),
              1);
    EXPECT_EQ(SendMessage(l, LB_FINDSTRINGEXACT, static_cast<WParam>(-1),
                          reinterpret_cast<LParam>("FIG")),
              2);
    EXPECT_EQ(SendMessage(l, LB_FINDSTRING, 3, reinterpret_cast<LParam>("ap")), 0);  // wraps
    EXPECT_EQ(SendMessage(l, LB_SETITEMDATA, 2, 77), 0);
    EXPECT_EQ(SendMessage(l, LB_GETITEMDATA, 2, 0), 77);
    EXPECT_EQ(SendMessage(l, LB_INSERTSTRING, 1, reinterpret_cast<LParam>("zz")), 1);
    EXPECT_EQ(SendMessage(l, LB_INSERTSTRING, 9, reinterpret_cast<LParam>("no")), LB_ERR);
    EXPECT_EQ(SendMessage(l, LB_DELETESTRING, 0, 0), 4);
    EXPECT_EQ(SendMessage(l, LB_GETTEXTLEN, 0, 0), 2);
    EXPECT_EQ(SendMessage(l, LB_GETTEXT, 9, reinterpret_cast<LParam>(buf)), LB_ERR);
    SendMessage(l, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(l, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(ListBoxes, SingleSelectionByClickKeysAndMessages) {
    const Hwnd l = MakeList(LBS_NOTIFY | WS_VSCROLL);
    Click(Row(l, 2));
    EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(log.Count(WM_COMMAND, 5, LBN_SELCHANGE), 1);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(log.Count(WM_COMMAND, 5, LBN_SELCHANGE), 3);
    Key(VK_END);
    EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), 19);
    EXPECT_GT(SendMessage(l, LB_GETTOPINDEX, 0, 0), 0);  // scrolled to show it
    // Messages select without notifying.
    log.notes.clear();
    EXPECT_EQ(SendMessage(l, LB_SETCURSEL, 3, 0), 3);
    EXPECT_EQ(SendMessage(l, LB_GETSEL, 3, 0), 1);
    EXPECT_EQ(SendMessage(l, LB_SETCURSEL, static_cast<WParam>(-1), 0), LB_ERR);
    EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), -1);
    EXPECT_TRUE(log.Codes(WM_COMMAND, 5).empty());
    DoubleClick(Row(l, SendMessage(l, LB_GETTOPINDEX, 0, 0) + 1));
    EXPECT_EQ(log.Count(WM_COMMAND, 5, LBN_DBLCLK), 1);
    // Typing a letter jumps to the next item starting with it.
    SendMessage(l, LB_SETCURSEL, 0, 0);
    Type("i");
    EXPECT_EQ(SendMessage(l, LB_GETCURSEL, 0, 0), 1);
}

TEST_F(ListBoxes, MultipleAndExtendedSelection) {
    const Hwnd m = MakeList(LBS_NOTIFY | LBS_MULTIPLESEL, 8);
    Click(Row(m, 1));
    Click(Row(m, 3));
    EXPECT_EQ(Selected(m), (std::vector<int>{1, 3}));
    Click(Row(m, 1));
    EXPECT_EQ(Selected(m), (std::vector<int>{3}));
    EXPECT_EQ(SendMessage(m, LB_SETCURSEL, 1, 0), LB_ERR);
    SendMessage(m, LB_SETSEL, 1, -1);
    EXPECT_EQ(SendMessage(m, LB_GETSELCOUNT, 0, 0), 8);
    DestroyWindow(m);

    const Hwnd x = MakeList(LBS_NOTIFY | LBS_EXTENDEDSEL, 8);
    Click(Row(x, 1));
    ClickWith(VK_SHIFT, Row(x, 4));
    EXPECT_EQ(Selected(x), (std::vector<int>{1, 2, 3, 4}));
    ClickWith(VK_CONTROL, Row(x, 2));
    EXPECT_EQ(Selected(x), (std::vector<int>{1, 3, 4}));
    Click(Row(x, 6));
    EXPECT_EQ(Selected(x), (std::vector<int>{6}));
    screen->KeyDown(VK_SHIFT);
    Key(VK_UP);
    Key(VK_UP);
    screen->KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(Selected(x), (std::vector<int>{4, 5, 6}));
}

TEST_F(ListBoxes, WheelAndScrollBarMoveTheTop) {
    const Hwnd l = MakeList(WS_VSCROLL);
    const Point p = Row(l, 0);
    Click(p);  // the wheel turns the focus window
    screen->Wheel(p.x, p.y, -WHEEL_DELTA);
    Pump();
    EXPECT_EQ(SendMessage(l, LB_GETTOPINDEX, 0, 0), 3);
    SendMessage(l, WM_VSCROLL, SB_PAGEDOWN, 0);
    const LResult rows = SendMessage(l, LB_GETTOPINDEX, 0, 0) - 3;
    EXPECT_GT(rows, 3);
    SendMessage(l, WM_VSCROLL, SB_BOTTOM, 0);
    ScrollInfo si;
    si.mask = SIF_ALL;
    GetScrollInfo(l, SB_VERT, &si);
    EXPECT_EQ(si.pos, SendMessage(l, LB_GETTOPINDEX, 0, 0));
    EXPECT_EQ(si.max, 19);
    EXPECT_EQ(si.pos + int(si.page), 20);
    EXPECT_EQ(SendMessage(l, LB_SETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(SendMessage(l, LB_GETTOPINDEX, 0, 0), 0);
}

TEST_F(ListBoxes, HorizontalExtentScrollsTheRows) {
    const Hwnd l = MakeList(WS_HSCROLL);
    ScrollInfo si;
    si.mask = SIF_ALL;
    EXPECT_EQ(GetWindowLong(l, GWL_STYLE) & WS_HSCROLL, 0) << "no bar while the rows fit";
    SendMessage(l, LB_SETHORIZONTALEXTENT, 600, 0);
    ASSERT_NE(GetWindowLong(l, GWL_STYLE) & WS_HSCROLL, 0);
    Rect c;
    GetClientRect(l, &c);
    SendMessage(l, WM_HSCROLL, SB_RIGHT, 0);
    GetScrollInfo(l, SB_HORZ, &si);
    EXPECT_EQ(si.max, 599);
    EXPECT_EQ(si.pos, 600 - c.Width()) << "the last pixel of the extent reaches the right edge";
    SendMessage(l, WM_HSCROLL, SB_LINELEFT, 0);
    GetScrollInfo(l, SB_HORZ, &si);
    EXPECT_LT(si.pos, 600 - c.Width());
    SendMessage(l, LB_SETHORIZONTALEXTENT, 50, 0);
    EXPECT_EQ(GetWindowLong(l, GWL_STYLE) & WS_HSCROLL, 0) << "a narrow extent takes the bar away";
}

TEST_F(ListBoxes, OwnerDrawFixedRows) {
    log.measureHeight = 14;
    const Hwnd l =
        Make(kListBoxClass, "",
             LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL,
             10604, 20, 20, 120, 60);
    for (const char* t : {"one", "two", "three"}) {
        SendMessage(l, LB_ADDSTRING, 0, reinterpret_cast<LParam>(t));
    }
    EXPECT_EQ(SendMessage(l, LB_GETITEMHEIGHT, 0, 0), 14);
    SendMessage(l, LB_SETCURSEL, 1, 0);
    log.drawn.clear();
    wm->Flush();
    ASSERT_EQ(log.drawn.size(), 3u);
    EXPECT_EQ(log.drawn[1].ctlType, ODT_LISTBOX);
    EXPECT_EQ(log.drawn[1].ctlId, 10604u);
    EXPECT_EQ(log.drawn[1].itemId, 1u);
    EXPECT_EQ(log.drawn[1].itemState & ODS_SELECTED, ODS_SELECTED);
    EXPECT_EQ(log.drawn[0].itemState & ODS_SELECTED, 0u);
    EXPECT_EQ(log.drawn[2].rcItem, (Rect{0, 28, 120, 42}));
    // Owner-drawn lists answer LB_GETTEXT with their strings all the same.
    char buf[16];
    EXPECT_EQ(SendMessage(l, LB_GETTEXT, 2, reinterpret_cast<LParam>(buf)), 5);
    EXPECT_STREQ(buf, "three");
}

class Combos : public ControlTest {
  protected:
    Hwnd MakeCombo(uint32_t style, int id = 9) {
        const Hwnd c = Make(kComboBoxClass, "", style | WS_VSCROLL, id, 40, 40, 150, 200);
        for (const char* t : {"CPU", "ﾕｰｻﾞｰ", "観戦", "不参加"}) {
            SendMessage(c, CB_ADDSTRING, 0, reinterpret_cast<LParam>(Sjis(t).c_str()));
        }
        return c;
    }
    Hwnd DropList(Hwnd combo) {
        // The drop-down is the visible top-level list that is not the test's parent.
        for (Hwnd w = GetTopWindow({}); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w != parent && IsWindowVisible(w) && GetClassName(w) == kComboListClass) return w;
        }
        (void)combo;
        return {};
    }
    Point ListRow(Hwnd list, int i) {
        Rect r;
        SendMessage(list, LB_GETITEMRECT, static_cast<WParam>(i), reinterpret_cast<LParam>(&r));
        return At(list, 10, (r.top + r.bottom) / 2);
    }
};

TEST_F(Combos, DropDownListPicksWithTheMouse) {
    const Hwnd c = MakeCombo(CBS_DROPDOWNLIST | CBS_HASSTRINGS);
    Rect face;
    GetWindowRect(c, &face);
    EXPECT_LT(face.Height(), 40);  // the window is the face; the list has the rest
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), CB_ERR);
    Click(Center(c));
    EXPECT_EQ(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0), 1);
    const Hwnd list = DropList(c);
    ASSERT_TRUE(list);
    Rect lr;
    GetWindowRect(list, &lr);
    EXPECT_EQ(lr.top, face.bottom);
    Shot("combo_open");
    // Hovering highlights; the release picks.
    const Point row = ListRow(list, 2);
    screen->MouseMove(row.x, row.y);
    Pump();
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), CB_ERR);  // not yet
    Click(row);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0), 0);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(log.Codes(WM_COMMAND, 9), (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK,
                                                          CBN_CLOSEUP, CBN_SELCHANGE}));
    EXPECT_EQ(Utf8(GetWindowText(c)), "観戦");
    char buf[16];
    EXPECT_EQ(SendMessage(c, CB_GETLBTEXT, 3, reinterpret_cast<LParam>(buf)), 6);
    EXPECT_EQ(Utf8(buf), "不参加");
}

// A click takes the focus also when no window had it, so the keys reach the open list.
TEST_F(Combos, AClickWithNothingFocusedFocusesTheComboAndItsListTakesKeys) {
    const Hwnd c = MakeCombo(CBS_DROPDOWNLIST | CBS_HASSTRINGS);
    SendMessage(c, CB_SETCURSEL, 3, 0);
    SetFocus({});
    ASSERT_FALSE(GetFocus());
    Click(Center(c));
    ASSERT_EQ(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0), 1);
    EXPECT_EQ(GetFocus(), c);
    Key(VK_UP);
    Key(VK_UP);
    Key(VK_RETURN);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0), 0);
}

TEST_F(Combos, OutsideClickClosesWithoutPicking) {
    const Hwnd c = MakeCombo(CBS_DROPDOWNLIST | CBS_HASSTRINGS);
    const Hwnd other = Make(kButtonClass, "other", BS_PUSHBUTTON, 30, 400, 300, 80, 24);
    SendMessage(c, CB_SETCURSEL, 1, 0);
    struct Case {
        const char* where;
        Point at;
    };
    Rect face;
    GetWindowRect(c, &face);
    const Case cases[] = {
        {"empty parent", At(parent, 500, 100)},
        {"the combo's own face", Center(c)},
        {"another control", Center(other)},
    };
    for (const Case& k : cases) {
        log.notes.clear();
        Click(Center(c));
        ASSERT_EQ(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0), 1) << k.where;
        const Hwnd list = DropList(c);
        const Point row = ListRow(list, 3);
        screen->MouseMove(row.x, row.y);
        Pump();
        Click(k.at);
        EXPECT_EQ(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0), 0) << k.where;
        EXPECT_FALSE(IsWindowVisible(list)) << k.where;
        EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 1) << k.where;
        EXPECT_EQ(log.Count(WM_COMMAND, 9, CBN_SELENDCANCEL), 1) << k.where;
        EXPECT_EQ(log.Count(WM_COMMAND, 9, CBN_SELCHANGE), 0) << k.where;
        // The click that closed the list does not reach what lies under it.
        EXPECT_EQ(log.Count(WM_COMMAND, 30, BN_CLICKED), 0) << k.where;
    }
}

TEST_F(Combos, OpeningOneListClosesAnother) {
    const Hwnd a = MakeCombo(CBS_DROPDOWNLIST | CBS_HASSTRINGS, 9);
    const Hwnd b =
        Make(kComboBoxClass, "", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 10, 300, 40, 150, 200);
    SendMessage(b, CB_ADDSTRING, 0, reinterpret_cast<LParam>("x"));
    Click(Center(a));
    Click(Center(b));  // closes a's list; a second click opens b's
    EXPECT_EQ(SendMessage(a, CB_GETDROPPEDSTATE, 0, 0), 0);
    Click(Center(b));
    EXPECT_EQ(SendMessage(b, CB_GETDROPPEDSTATE, 0, 0), 1);
    Key(VK_ESCAPE);
    EXPECT_EQ(SendMessage(b, CB_GETDROPPEDSTATE, 0, 0), 0);
}

// A list longer than its drop-down: chosen while closed, it opens from its first rows (the
// choices above the selection stay in view), and CB_SETMINVISIBLE lets it show every row.
TEST_F(Combos, ALongListOpensFromItsFirstRowsAndCanShowThemAll) {
    const Hwnd c = Make(kComboBoxClass, "", CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL, 9, 40, 40, 68, 80);
    for (const char* t : {"ﾕｰｻﾞｰ", "観戦", "CPU", "不参加", "host", "guest", "-", "-", "-", "-"}) {
        SendMessage(c, CB_ADDSTRING, 0, reinterpret_cast<LParam>(Sjis(t).c_str()));
    }
    SendMessage(c, CB_SETCURSEL, 2, 0);
    Click(Center(c));
    Hwnd list = DropList(c);
    ASSERT_TRUE(list);
    const int rowH = static_cast<int>(SendMessage(list, LB_GETITEMHEIGHT, 0, 0));
    Rect client;
    GetClientRect(list, &client);
    ASSERT_LT(client.Height() / rowH, 10) << "the creator's height shows a few rows only";
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 0);
    // The first row is picked where it shows.
    Click(ListRow(list, 0));
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 0);

    // A selection past the visible rows is scrolled into view, no further.
    SendMessage(c, CB_SETCURSEL, 7, 0);
    Click(Center(c));
    list = DropList(c);
    GetClientRect(list, &client);
    const int rows = client.Height() / rowH;
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 7 - rows + 1);
    Key(VK_ESCAPE);

    EXPECT_EQ(SendMessage(c, CB_SETMINVISIBLE, 10, 0), 1);
    EXPECT_EQ(SendMessage(c, CB_GETMINVISIBLE, 0, 0), 10);
    Click(Center(c));
    list = DropList(c);
    GetClientRect(list, &client);
    EXPECT_GE(client.Height(), 10 * rowH);
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 0);
    // Nothing to scroll: no bar takes the rows' width.
    EXPECT_EQ(GetWindowLong(list, GWL_STYLE) & WS_VSCROLL, 0u);
    EXPECT_EQ(client.Width(), 68 - 2);
    Click(ListRow(list, 9));
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 9);
}

TEST_F(Combos, KeysAndWheelOnAClosedCombo) {
    const Hwnd c = MakeCombo(CBS_DROPDOWNLIST | CBS_HASSTRINGS);
    SetFocus(c);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(log.Count(WM_COMMAND, 9, CBN_SELCHANGE), 2);
    const Point p = Center(c);
    screen->Wheel(p.x, p.y, -WHEEL_DELTA);
    Pump();
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
    // F4 opens, arrows move, Enter picks with the notifications of a mouse pick.
    log.notes.clear();
    Key(VK_F4);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0), 0);
    EXPECT_EQ(log.Codes(WM_COMMAND, 9),
              (std::vector<int>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
    // Enter on the row it opened with changes nothing.
    log.notes.clear();
    Key(VK_F4);
    Key(VK_RETURN);
    EXPECT_EQ(log.Count(WM_COMMAND, 9, CBN_SELCHANGE), 0);
    // Messages: no notification.
    log.notes.clear();
    EXPECT_EQ(SendMessage(c, CB_SETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessage(c, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_TRUE(log.Codes(WM_COMMAND, 9).empty());
    EXPECT_EQ(
        SendMessage(c, CB_SELECTSTRING, static_cast<WParam>(-1), reinterpret_cast<LParam>("CP")),
        0);
    SendMessage(c, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(c, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(Combos, DropDownWithEdit) {
    const Hwnd c = MakeCombo(CBS_DROPDOWN | CBS_HASSTRINGS | CBS_AUTOHSCROLL);
    SendMessage(c, CB_LIMITTEXT, 4, 0);
    Click(At(c, 10, 8));  // on the edit part: focus, no list
    EXPECT_EQ(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0), 0);
    Type("abcdef");
    EXPECT_EQ(GetWindowText(c), "abcd");
    EXPECT_GE(log.Count(WM_COMMAND, 9, CBN_EDITCHANGE), 1);
    EXPECT_GE(log.Count(WM_COMMAND, 9, CBN_EDITUPDATE), 1);
    SendMessage(c, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(GetWindowText(c), "CPU");
    // Arrows in the edit step the selection and show it in the edit.
    log.notes.clear();
    Key(VK_DOWN);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Utf8(GetWindowText(c)), "ﾕｰｻﾞｰ");
    EXPECT_EQ(log.Count(WM_COMMAND, 9, CBN_SELCHANGE), 1);
    Key(VK_F4);
    EXPECT_EQ(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0), 1);
    Key(VK_ESCAPE);
    EXPECT_EQ(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0), 0);
    // Leaving the edit for another control is the combo losing the focus.
    const Hwnd other = Make(kButtonClass, "x", BS_PUSHBUTTON, 31, 400, 300, 60, 24);
    Click(Center(other));
    EXPECT_EQ(log.Count(WM_COMMAND, 9, CBN_KILLFOCUS), 1);
}

TEST_F(Combos, Screenshot) {
    const Hwnd a = MakeCombo(CBS_DROPDOWNLIST | CBS_HASSTRINGS, 9);
    SendMessage(a, CB_SETCURSEL, 1, 0);
    const Hwnd b = Make(kComboBoxClass, "", CBS_DROPDOWN | CBS_HASSTRINGS, 10, 220, 40, 150, 100);
    SetWindowText(b, "edit");
    const Hwnd off = MakeCombo(CBS_DROPDOWNLIST | CBS_HASSTRINGS, 11);
    MoveWindow(off, 400, 40, 150, 22, true);
    SendMessage(off, CB_SETCURSEL, 2, 0);
    EnableWindow(off, false);
    const Hwnd l =
        Make(kListBoxClass, "", WS_VSCROLL | WS_BORDER | LBS_NOTIFY, 12, 40, 120, 160, 120);
    for (int i = 0; i < 12; ++i) {
        const std::string t = Sjis("項目 ") + std::to_string(i);
        SendMessage(l, LB_ADDSTRING, 0, reinterpret_cast<LParam>(t.c_str()));
    }
    SendMessage(l, LB_SETCURSEL, 2, 0);
    SetFocus(l);
    Click(Center(a));
    Shot("listbox_combo");

    const uint32_t highlight = SysPixel(COLOR_HIGHLIGHT), grey = SysPixel(COLOR_GRAYTEXT);
    // The open list highlights the combo's chosen second item, the list box its third.
    const Hwnd list = DropList(a);
    ASSERT_TRUE(list);
    const auto open = RowsWith(list, highlight, 50);
    const int item = open.second - open.first + 1;
    EXPECT_GT(item, 8);
    EXPECT_NEAR(open.first, item + 1, 2);
    const auto chosen = RowsWith(l, highlight, 50);
    EXPECT_EQ(chosen.second - chosen.first + 1, item);
    EXPECT_NEAR(chosen.first, 2 * item + 1, 2);
    // The disabled combo shows its text in grey, the editable one its text in black.
    EXPECT_EQ(CountPixels(off, 3, 3, 120, 16, 0x000000), 0);
    EXPECT_GT(CountPixels(off, 3, 3, 120, 16, grey), 10);
    EXPECT_GT(CountPixels(b, 3, 3, 120, 16, 0x000000), 10);
}

}  // namespace
}  // namespace zv::ui::testing
