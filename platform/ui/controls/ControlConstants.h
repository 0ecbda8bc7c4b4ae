#pragma once

// Numbers and records of the classic controls: button, static, edit, list box and combo box,
// and the owner-draw records they share with their parents. The game's code passes these
// numbers around, so they keep the values of the system it was written for.

#include <cstdint>

#include "platform/ui/WindowTypes.h"

namespace zv::ui {

class Canvas;

// Class names (compared without regard to case).
inline constexpr const char* kButtonClass = "BUTTON";
inline constexpr const char* kStaticClass = "STATIC";
inline constexpr const char* kEditClass = "EDIT";
inline constexpr const char* kListBoxClass = "LISTBOX";
inline constexpr const char* kComboBoxClass = "COMBOBOX";
inline constexpr const char* kComboListClass = "ComboLBox";

// WM_COMMAND's wParam from a control: id in the low word, notification code in the high one.
constexpr WParam MakeCommandWParam(int id, int code) {
    return MakeWParam(id, code);
}

// WM_GETDLGCODE answers.
constexpr LResult DLGC_WANTARROWS = 0x0001;
constexpr LResult DLGC_WANTTAB = 0x0002;
constexpr LResult DLGC_WANTALLKEYS = 0x0004;
constexpr LResult DLGC_WANTMESSAGE = 0x0004;
constexpr LResult DLGC_HASSETSEL = 0x0008;
constexpr LResult DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LResult DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LResult DLGC_RADIOBUTTON = 0x0040;
constexpr LResult DLGC_WANTCHARS = 0x0080;
constexpr LResult DLGC_STATIC = 0x0100;
constexpr LResult DLGC_BUTTON = 0x2000;

// Owner-draw records (WM_DRAWITEM, WM_MEASUREITEM).
constexpr uint32_t ODT_MENU = 1;
constexpr uint32_t ODT_LISTBOX = 2;
constexpr uint32_t ODT_COMBOBOX = 3;
constexpr uint32_t ODT_BUTTON = 4;
constexpr uint32_t ODT_STATIC = 5;
constexpr uint32_t ODT_LISTVIEW = 102;
constexpr uint32_t ODA_DRAWENTIRE = 0x0001;
constexpr uint32_t ODA_SELECT = 0x0002;
constexpr uint32_t ODA_FOCUS = 0x0004;
constexpr uint32_t ODS_SELECTED = 0x0001;
constexpr uint32_t ODS_GRAYED = 0x0002;
constexpr uint32_t ODS_DISABLED = 0x0004;
constexpr uint32_t ODS_CHECKED = 0x0008;
constexpr uint32_t ODS_FOCUS = 0x0010;
constexpr uint32_t ODS_DEFAULT = 0x0020;
constexpr uint32_t ODS_COMBOBOXEDIT = 0x1000;

struct DrawItemStruct {
    uint32_t ctlType = 0;
    uint32_t ctlId = 0;
    uint32_t itemId = 0;
    uint32_t itemAction = 0;
    uint32_t itemState = 0;
    Hwnd hwndItem{};
    Canvas* hdc = nullptr;
    Rect rcItem{};
    uintptr_t itemData = 0;
};

struct MeasureItemStruct {
    uint32_t ctlType = 0;
    uint32_t ctlId = 0;
    uint32_t itemId = 0;
    uint32_t itemWidth = 0;
    uint32_t itemHeight = 0;
    uintptr_t itemData = 0;
};

// Buttons.
constexpr uint32_t BS_PUSHBUTTON = 0x0000;
constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001;
constexpr uint32_t BS_CHECKBOX = 0x0002;
constexpr uint32_t BS_AUTOCHECKBOX = 0x0003;
constexpr uint32_t BS_RADIOBUTTON = 0x0004;
constexpr uint32_t BS_3STATE = 0x0005;
constexpr uint32_t BS_AUTO3STATE = 0x0006;
constexpr uint32_t BS_GROUPBOX = 0x0007;
constexpr uint32_t BS_USERBUTTON = 0x0008;
constexpr uint32_t BS_AUTORADIOBUTTON = 0x0009;
constexpr uint32_t BS_OWNERDRAW = 0x000B;
constexpr uint32_t BS_TYPEMASK = 0x000F;
constexpr uint32_t BS_LEFTTEXT = 0x0020;
constexpr uint32_t BS_LEFT = 0x0100;
constexpr uint32_t BS_RIGHT = 0x0200;
constexpr uint32_t BS_CENTER = 0x0300;
constexpr uint32_t BS_TOP = 0x0400;
constexpr uint32_t BS_BOTTOM = 0x0800;
constexpr uint32_t BS_VCENTER = 0x0C00;
constexpr uint32_t BS_PUSHLIKE = 0x1000;
constexpr uint32_t BS_MULTILINE = 0x2000;
constexpr uint32_t BS_NOTIFY = 0x4000;
constexpr uint32_t BS_FLAT = 0x8000;

constexpr uint32_t BM_GETCHECK = 0x00F0;
constexpr uint32_t BM_SETCHECK = 0x00F1;
constexpr uint32_t BM_GETSTATE = 0x00F2;
constexpr uint32_t BM_SETSTATE = 0x00F3;
constexpr uint32_t BM_SETSTYLE = 0x00F4;
constexpr uint32_t BM_CLICK = 0x00F5;

constexpr uint32_t BST_UNCHECKED = 0x0000;
constexpr uint32_t BST_CHECKED = 0x0001;
constexpr uint32_t BST_INDETERMINATE = 0x0002;
constexpr uint32_t BST_PUSHED = 0x0004;
constexpr uint32_t BST_FOCUS = 0x0008;

constexpr int BN_CLICKED = 0;
constexpr int BN_HILITE = 2;
constexpr int BN_UNHILITE = 3;
constexpr int BN_DISABLE = 4;
constexpr int BN_DOUBLECLICKED = 5;
constexpr int BN_SETFOCUS = 6;
constexpr int BN_KILLFOCUS = 7;

// Statics.
constexpr uint32_t SS_LEFT = 0x0000;
constexpr uint32_t SS_CENTER = 0x0001;
constexpr uint32_t SS_RIGHT = 0x0002;
constexpr uint32_t SS_ICON = 0x0003;
constexpr uint32_t SS_BLACKRECT = 0x0004;
constexpr uint32_t SS_GRAYRECT = 0x0005;
constexpr uint32_t SS_WHITERECT = 0x0006;
constexpr uint32_t SS_BLACKFRAME = 0x0007;
constexpr uint32_t SS_GRAYFRAME = 0x0008;
constexpr uint32_t SS_WHITEFRAME = 0x0009;
constexpr uint32_t SS_SIMPLE = 0x000B;
constexpr uint32_t SS_LEFTNOWORDWRAP = 0x000C;
constexpr uint32_t SS_OWNERDRAW = 0x000D;
constexpr uint32_t SS_BITMAP = 0x000E;
constexpr uint32_t SS_ETCHEDHORZ = 0x0010;
constexpr uint32_t SS_ETCHEDVERT = 0x0011;
constexpr uint32_t SS_ETCHEDFRAME = 0x0012;
constexpr uint32_t SS_TYPEMASK = 0x001F;
constexpr uint32_t SS_NOPREFIX = 0x0080;
constexpr uint32_t SS_NOTIFY = 0x0100;
constexpr uint32_t SS_CENTERIMAGE = 0x0200;
constexpr uint32_t SS_SUNKEN = 0x1000;

constexpr uint32_t STM_SETIMAGE = 0x0172;
constexpr uint32_t STM_GETIMAGE = 0x0173;
constexpr WParam IMAGE_BITMAP = 0;

constexpr int STN_CLICKED = 0;
constexpr int STN_DBLCLK = 1;
constexpr int STN_ENABLE = 2;
constexpr int STN_DISABLE = 3;

// Edits.
constexpr uint32_t ES_LEFT = 0x0000;
constexpr uint32_t ES_CENTER = 0x0001;
constexpr uint32_t ES_RIGHT = 0x0002;
constexpr uint32_t ES_MULTILINE = 0x0004;
constexpr uint32_t ES_UPPERCASE = 0x0008;
constexpr uint32_t ES_LOWERCASE = 0x0010;
constexpr uint32_t ES_PASSWORD = 0x0020;
constexpr uint32_t ES_AUTOVSCROLL = 0x0040;
constexpr uint32_t ES_AUTOHSCROLL = 0x0080;
constexpr uint32_t ES_NOHIDESEL = 0x0100;
constexpr uint32_t ES_READONLY = 0x0800;
constexpr uint32_t ES_WANTRETURN = 0x1000;
constexpr uint32_t ES_NUMBER = 0x2000;

constexpr uint32_t EM_GETSEL = 0x00B0;
constexpr uint32_t EM_SETSEL = 0x00B1;
constexpr uint32_t EM_GETRECT = 0x00B2;
constexpr uint32_t EM_SCROLLCARET = 0x00B7;
constexpr uint32_t EM_GETMODIFY = 0x00B8;
constexpr uint32_t EM_SETMODIFY = 0x00B9;
constexpr uint32_t EM_GETLINECOUNT = 0x00BA;
constexpr uint32_t EM_LINEINDEX = 0x00BB;
constexpr uint32_t EM_LINELENGTH = 0x00C1;
constexpr uint32_t EM_REPLACESEL = 0x00C2;
constexpr uint32_t EM_GETLINE = 0x00C4;
constexpr uint32_t EM_LIMITTEXT = 0x00C5;
constexpr uint32_t EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr uint32_t EM_CANUNDO = 0x00C6;
constexpr uint32_t EM_UNDO = 0x00C7;
constexpr uint32_t EM_LINEFROMCHAR = 0x00C9;
constexpr uint32_t EM_SETPASSWORDCHAR = 0x00CC;
constexpr uint32_t EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr uint32_t EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr uint32_t EM_SETREADONLY = 0x00CF;
constexpr uint32_t EM_GETPASSWORDCHAR = 0x00D2;
constexpr uint32_t EM_GETLIMITTEXT = 0x00D5;
constexpr uint32_t EM_POSFROMCHAR = 0x00D6;
constexpr uint32_t EM_CHARFROMPOS = 0x00D7;

constexpr int EN_SETFOCUS = 0x0100;
constexpr int EN_KILLFOCUS = 0x0200;
constexpr int EN_CHANGE = 0x0300;
constexpr int EN_UPDATE = 0x0400;
constexpr int EN_ERRSPACE = 0x0500;
constexpr int EN_MAXTEXT = 0x0501;
constexpr int EN_HSCROLL = 0x0601;
constexpr int EN_VSCROLL = 0x0602;

// The default limit of an edit: as many bytes as anyone types.
constexpr uint32_t kEditDefaultLimit = 0x7FFFFFFE;

// List boxes.
constexpr uint32_t LBS_NOTIFY = 0x0001;
constexpr uint32_t LBS_SORT = 0x0002;
constexpr uint32_t LBS_NOREDRAW = 0x0004;
constexpr uint32_t LBS_MULTIPLESEL = 0x0008;
constexpr uint32_t LBS_OWNERDRAWFIXED = 0x0010;
constexpr uint32_t LBS_OWNERDRAWVARIABLE = 0x0020;
constexpr uint32_t LBS_HASSTRINGS = 0x0040;
constexpr uint32_t LBS_USETABSTOPS = 0x0080;
constexpr uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr uint32_t LBS_WANTKEYBOARDINPUT = 0x0400;
constexpr uint32_t LBS_EXTENDEDSEL = 0x0800;
constexpr uint32_t LBS_DISABLENOSCROLL = 0x1000;
constexpr uint32_t LBS_NOSEL = 0x4000;

constexpr uint32_t LB_ADDSTRING = 0x0180;
constexpr uint32_t LB_INSERTSTRING = 0x0181;
constexpr uint32_t LB_DELETESTRING = 0x0182;
constexpr uint32_t LB_RESETCONTENT = 0x0184;
constexpr uint32_t LB_SETSEL = 0x0185;
constexpr uint32_t LB_SETCURSEL = 0x0186;
constexpr uint32_t LB_GETSEL = 0x0187;
constexpr uint32_t LB_GETCURSEL = 0x0188;
constexpr uint32_t LB_GETTEXT = 0x0189;
constexpr uint32_t LB_GETTEXTLEN = 0x018A;
constexpr uint32_t LB_GETCOUNT = 0x018B;
constexpr uint32_t LB_SELECTSTRING = 0x018C;
constexpr uint32_t LB_GETTOPINDEX = 0x018E;
constexpr uint32_t LB_FINDSTRING = 0x018F;
constexpr uint32_t LB_GETSELCOUNT = 0x0190;
constexpr uint32_t LB_GETSELITEMS = 0x0191;
constexpr uint32_t LB_GETHORIZONTALEXTENT = 0x0193;
constexpr uint32_t LB_SETHORIZONTALEXTENT = 0x0194;
constexpr uint32_t LB_SETTOPINDEX = 0x0197;
constexpr uint32_t LB_GETITEMRECT = 0x0198;
constexpr uint32_t LB_GETITEMDATA = 0x0199;
constexpr uint32_t LB_SETITEMDATA = 0x019A;
constexpr uint32_t LB_SELITEMRANGE = 0x019B;
constexpr uint32_t LB_SETANCHORINDEX = 0x019C;
constexpr uint32_t LB_GETANCHORINDEX = 0x019D;
constexpr uint32_t LB_SETCARETINDEX = 0x019E;
constexpr uint32_t LB_GETCARETINDEX = 0x019F;
constexpr uint32_t LB_SETITEMHEIGHT = 0x01A0;
constexpr uint32_t LB_GETITEMHEIGHT = 0x01A1;
constexpr uint32_t LB_FINDSTRINGEXACT = 0x01A2;
constexpr uint32_t LB_ITEMFROMPOINT = 0x01A9;

constexpr LResult LB_OKAY = 0;
constexpr LResult LB_ERR = -1;

constexpr int LBN_SELCHANGE = 1;
constexpr int LBN_DBLCLK = 2;
constexpr int LBN_SELCANCEL = 3;
constexpr int LBN_SETFOCUS = 4;
constexpr int LBN_KILLFOCUS = 5;

// Combo boxes.
constexpr uint32_t CBS_SIMPLE = 0x0001;
constexpr uint32_t CBS_DROPDOWN = 0x0002;
constexpr uint32_t CBS_DROPDOWNLIST = 0x0003;
constexpr uint32_t CBS_OWNERDRAWFIXED = 0x0010;
constexpr uint32_t CBS_AUTOHSCROLL = 0x0040;
constexpr uint32_t CBS_SORT = 0x0100;
constexpr uint32_t CBS_HASSTRINGS = 0x0200;
constexpr uint32_t CBS_NOINTEGRALHEIGHT = 0x0400;
constexpr uint32_t CBS_DISABLENOSCROLL = 0x0800;

constexpr uint32_t CB_GETEDITSEL = 0x0140;
constexpr uint32_t CB_LIMITTEXT = 0x0141;
constexpr uint32_t CB_SETEDITSEL = 0x0142;
constexpr uint32_t CB_ADDSTRING = 0x0143;
constexpr uint32_t CB_DELETESTRING = 0x0144;
constexpr uint32_t CB_GETCOUNT = 0x0146;
constexpr uint32_t CB_GETCURSEL = 0x0147;
constexpr uint32_t CB_GETLBTEXT = 0x0148;
constexpr uint32_t CB_GETLBTEXTLEN = 0x0149;
constexpr uint32_t CB_INSERTSTRING = 0x014A;
constexpr uint32_t CB_RESETCONTENT = 0x014B;
constexpr uint32_t CB_FINDSTRING = 0x014C;
constexpr uint32_t CB_SELECTSTRING = 0x014D;
constexpr uint32_t CB_SETCURSEL = 0x014E;
constexpr uint32_t CB_SHOWDROPDOWN = 0x014F;
constexpr uint32_t CB_GETITEMDATA = 0x0150;
constexpr uint32_t CB_SETITEMDATA = 0x0151;
constexpr uint32_t CB_GETDROPPEDCONTROLRECT = 0x0152;
constexpr uint32_t CB_SETITEMHEIGHT = 0x0153;
constexpr uint32_t CB_GETITEMHEIGHT = 0x0154;
constexpr uint32_t CB_GETDROPPEDSTATE = 0x0157;
constexpr uint32_t CB_FINDSTRINGEXACT = 0x0158;
constexpr uint32_t CB_SETMINVISIBLE = 0x1701;
constexpr uint32_t CB_GETMINVISIBLE = 0x1702;

constexpr LResult CB_OKAY = 0;
constexpr LResult CB_ERR = -1;

constexpr int CBN_SELCHANGE = 1;
constexpr int CBN_DBLCLK = 2;
constexpr int CBN_SETFOCUS = 3;
constexpr int CBN_KILLFOCUS = 4;
constexpr int CBN_EDITCHANGE = 5;
constexpr int CBN_EDITUPDATE = 6;
constexpr int CBN_DROPDOWN = 7;
constexpr int CBN_CLOSEUP = 8;
constexpr int CBN_SELENDOK = 9;
constexpr int CBN_SELENDCANCEL = 10;

}  // namespace zv::ui
