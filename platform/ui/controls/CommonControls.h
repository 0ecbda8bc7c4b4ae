#pragma once

// Numbers and records of the common controls: list view and its header, tab control, progress
// bar, up-down control and tree view, and the WM_NOTIFY records they send. Values are those of
// the system the game was written for; notification codes are negative numbers carried in an
// unsigned field.

#include <cstdint>

#include "platform/ui/Messages.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

inline constexpr const char* kListViewClass = "SysListView32";
inline constexpr const char* kHeaderClass = "SysHeader32";
inline constexpr const char* kTabControlClass = "SysTabControl32";
inline constexpr const char* kProgressClass = "msctls_progress32";
inline constexpr const char* kUpDownClass = "msctls_updown32";
inline constexpr const char* kTreeViewClass = "SysTreeView32";

constexpr uint32_t NotifyCode(int code) {
    return static_cast<uint32_t>(code);
}

// WM_NOTIFY's lParam points at a record that starts with this.
struct NmHdr {
    Hwnd hwndFrom{};
    uintptr_t idFrom = 0;
    uint32_t code = 0;
};

constexpr uint32_t NM_CLICK = NotifyCode(-2);
constexpr uint32_t NM_DBLCLK = NotifyCode(-3);
constexpr uint32_t NM_RETURN = NotifyCode(-4);
constexpr uint32_t NM_RCLICK = NotifyCode(-5);
constexpr uint32_t NM_RDBLCLK = NotifyCode(-6);
constexpr uint32_t NM_SETFOCUS = NotifyCode(-7);
constexpr uint32_t NM_KILLFOCUS = NotifyCode(-8);

// List view.
constexpr uint32_t LVS_ICON = 0x0000;
constexpr uint32_t LVS_REPORT = 0x0001;
constexpr uint32_t LVS_SMALLICON = 0x0002;
constexpr uint32_t LVS_LIST = 0x0003;
constexpr uint32_t LVS_TYPEMASK = 0x0003;
constexpr uint32_t LVS_SINGLESEL = 0x0004;
constexpr uint32_t LVS_SHOWSELALWAYS = 0x0008;
constexpr uint32_t LVS_SORTASCENDING = 0x0010;
constexpr uint32_t LVS_SORTDESCENDING = 0x0020;
constexpr uint32_t LVS_EDITLABELS = 0x0200;
constexpr uint32_t LVS_OWNERDRAWFIXED = 0x0400;
constexpr uint32_t LVS_NOCOLUMNHEADER = 0x4000;
constexpr uint32_t LVS_NOSORTHEADER = 0x8000;

constexpr uint32_t LVS_EX_GRIDLINES = 0x0001;
constexpr uint32_t LVS_EX_FULLROWSELECT = 0x0020;

constexpr uint32_t LVM_FIRST = 0x1000;
constexpr uint32_t LVM_GETBKCOLOR = LVM_FIRST + 0;
constexpr uint32_t LVM_SETBKCOLOR = LVM_FIRST + 1;
constexpr uint32_t LVM_GETIMAGELIST = LVM_FIRST + 2;  // answers ImageList*
constexpr uint32_t LVM_SETIMAGELIST = LVM_FIRST + 3;  // wParam LVSIL_*, lParam ImageList*
constexpr uint32_t LVM_GETITEMCOUNT = LVM_FIRST + 4;
constexpr uint32_t LVM_GETITEMA = LVM_FIRST + 5;
constexpr uint32_t LVM_SETITEMA = LVM_FIRST + 6;
constexpr uint32_t LVM_INSERTITEMA = LVM_FIRST + 7;
constexpr uint32_t LVM_DELETEITEM = LVM_FIRST + 8;
constexpr uint32_t LVM_DELETEALLITEMS = LVM_FIRST + 9;
constexpr uint32_t LVM_GETNEXTITEM = LVM_FIRST + 12;
constexpr uint32_t LVM_FINDITEMA = LVM_FIRST + 13;
constexpr uint32_t LVM_GETITEMRECT = LVM_FIRST + 14;
constexpr uint32_t LVM_GETSTRINGWIDTHA = LVM_FIRST + 17;
constexpr uint32_t LVM_HITTEST = LVM_FIRST + 18;
constexpr uint32_t LVM_ENSUREVISIBLE = LVM_FIRST + 19;
constexpr uint32_t LVM_SCROLL = LVM_FIRST + 20;
constexpr uint32_t LVM_REDRAWITEMS = LVM_FIRST + 21;
constexpr uint32_t LVM_EDITLABELA = LVM_FIRST + 23;
constexpr uint32_t LVM_GETEDITCONTROL = LVM_FIRST + 24;
constexpr uint32_t LVM_GETCOLUMNA = LVM_FIRST + 25;
constexpr uint32_t LVM_SETCOLUMNA = LVM_FIRST + 26;
constexpr uint32_t LVM_INSERTCOLUMNA = LVM_FIRST + 27;
constexpr uint32_t LVM_DELETECOLUMN = LVM_FIRST + 28;
constexpr uint32_t LVM_GETCOLUMNWIDTH = LVM_FIRST + 29;
constexpr uint32_t LVM_SETCOLUMNWIDTH = LVM_FIRST + 30;
constexpr uint32_t LVM_GETHEADER = LVM_FIRST + 31;
constexpr uint32_t LVM_GETTEXTCOLOR = LVM_FIRST + 35;
constexpr uint32_t LVM_SETTEXTCOLOR = LVM_FIRST + 36;
constexpr uint32_t LVM_GETTEXTBKCOLOR = LVM_FIRST + 37;
constexpr uint32_t LVM_SETTEXTBKCOLOR = LVM_FIRST + 38;
constexpr uint32_t LVM_GETTOPINDEX = LVM_FIRST + 39;
constexpr uint32_t LVM_GETCOUNTPERPAGE = LVM_FIRST + 40;
constexpr uint32_t LVM_UPDATE = LVM_FIRST + 42;
constexpr uint32_t LVM_SETITEMSTATE = LVM_FIRST + 43;
constexpr uint32_t LVM_GETITEMSTATE = LVM_FIRST + 44;
constexpr uint32_t LVM_GETITEMTEXTA = LVM_FIRST + 45;
constexpr uint32_t LVM_SETITEMTEXTA = LVM_FIRST + 46;
constexpr uint32_t LVM_SETITEMCOUNT = LVM_FIRST + 47;
constexpr uint32_t LVM_SORTITEMS = LVM_FIRST + 48;
constexpr uint32_t LVM_GETSELECTEDCOUNT = LVM_FIRST + 50;
constexpr uint32_t LVM_SETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 54;
constexpr uint32_t LVM_GETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 55;
constexpr uint32_t LVM_GETSUBITEMRECT = LVM_FIRST + 56;  // lParam Rect*: top the sub-item,
                                                         // left LVIR_*
constexpr uint32_t LVM_SUBITEMHITTEST = LVM_FIRST + 57;
constexpr uint32_t LVM_GETSELECTIONMARK = LVM_FIRST + 66;
constexpr uint32_t LVM_SETSELECTIONMARK = LVM_FIRST + 67;

constexpr int LVSIL_NORMAL = 0;
constexpr int LVSIL_SMALL = 1;
constexpr int LVSIL_STATE = 2;

constexpr uint32_t LVIF_TEXT = 0x0001;
constexpr uint32_t LVIF_IMAGE = 0x0002;
constexpr uint32_t LVIF_PARAM = 0x0004;
constexpr uint32_t LVIF_STATE = 0x0008;

constexpr uint32_t LVIS_FOCUSED = 0x0001;
constexpr uint32_t LVIS_SELECTED = 0x0002;
constexpr uint32_t LVIS_CUT = 0x0004;
constexpr uint32_t LVIS_DROPHILITED = 0x0008;

constexpr uint32_t LVNI_ALL = 0x0000;
constexpr uint32_t LVNI_FOCUSED = 0x0001;
constexpr uint32_t LVNI_SELECTED = 0x0002;
constexpr uint32_t LVNI_ABOVE = 0x0100;
constexpr uint32_t LVNI_BELOW = 0x0200;

constexpr int LVIR_BOUNDS = 0;
constexpr int LVIR_ICON = 1;
constexpr int LVIR_LABEL = 2;
constexpr int LVIR_SELECTBOUNDS = 3;

constexpr uint32_t LVCF_FMT = 0x0001;
constexpr uint32_t LVCF_WIDTH = 0x0002;
constexpr uint32_t LVCF_TEXT = 0x0004;
constexpr uint32_t LVCF_SUBITEM = 0x0008;
constexpr int LVCFMT_LEFT = 0x0000;
constexpr int LVCFMT_RIGHT = 0x0001;
constexpr int LVCFMT_CENTER = 0x0002;

constexpr int LVSCW_AUTOSIZE = -1;
constexpr int LVSCW_AUTOSIZE_USEHEADER = -2;

constexpr uint32_t LVHT_NOWHERE = 0x0001;
constexpr uint32_t LVHT_ONITEMICON = 0x0002;
constexpr uint32_t LVHT_ONITEMLABEL = 0x0004;
constexpr uint32_t LVHT_ONITEMSTATEICON = 0x0008;
constexpr uint32_t LVHT_ONITEM = LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON;
constexpr uint32_t LVHT_ABOVE = 0x0008;
constexpr uint32_t LVHT_BELOW = 0x0010;
constexpr uint32_t LVHT_TORIGHT = 0x0020;
constexpr uint32_t LVHT_TOLEFT = 0x0040;

constexpr uint32_t LVFI_PARAM = 0x0001;
constexpr uint32_t LVFI_STRING = 0x0002;
constexpr uint32_t LVFI_PARTIAL = 0x0008;

constexpr uint32_t LVN_ITEMCHANGING = NotifyCode(-100);
constexpr uint32_t LVN_ITEMCHANGED = NotifyCode(-101);
constexpr uint32_t LVN_INSERTITEM = NotifyCode(-102);
constexpr uint32_t LVN_DELETEITEM = NotifyCode(-103);
constexpr uint32_t LVN_DELETEALLITEMS = NotifyCode(-104);
constexpr uint32_t LVN_BEGINLABELEDITA = NotifyCode(-105);
constexpr uint32_t LVN_ENDLABELEDITA = NotifyCode(-106);
constexpr uint32_t LVN_COLUMNCLICK = NotifyCode(-108);
constexpr uint32_t LVN_BEGINDRAG = NotifyCode(-109);
constexpr uint32_t LVN_BEGINRDRAG = NotifyCode(-111);
constexpr uint32_t LVN_ITEMACTIVATE = NotifyCode(-114);
constexpr uint32_t LVN_KEYDOWN = NotifyCode(-155);

// Texts are Shift-JIS.
struct LvColumn {
    uint32_t mask = 0;
    int fmt = 0;
    int cx = 0;
    char* pszText = nullptr;
    int cchTextMax = 0;
    int iSubItem = 0;
};

struct LvItem {
    uint32_t mask = 0;
    int iItem = 0;
    int iSubItem = 0;
    uint32_t state = 0;
    uint32_t stateMask = 0;
    char* pszText = nullptr;
    int cchTextMax = 0;
    int iImage = -1;
    intptr_t lParam = 0;
};

struct LvHitTestInfo {
    Point pt{};
    uint32_t flags = 0;
    int iItem = -1;
    int iSubItem = 0;
};

struct LvFindInfo {
    uint32_t flags = 0;
    const char* psz = nullptr;
    intptr_t lParam = 0;
};

// LVN_ITEMCHANGING/CHANGED, LVN_COLUMNCLICK, LVN_BEGINDRAG, LVN_DELETEITEM, NM_CLICK and the
// other item notifications of a list view.
struct NmListView {
    NmHdr hdr;
    int iItem = -1;
    int iSubItem = 0;
    uint32_t uNewState = 0;
    uint32_t uOldState = 0;
    uint32_t uChanged = 0;
    Point ptAction{};
    intptr_t lParam = 0;
};

struct NmItemActivate {
    NmHdr hdr;
    int iItem = -1;
    int iSubItem = 0;
    uint32_t uNewState = 0;
    uint32_t uOldState = 0;
    uint32_t uChanged = 0;
    Point ptAction{};
    intptr_t lParam = 0;
    uint32_t uKeyFlags = 0;
};

struct NmLvKeyDown {
    NmHdr hdr;
    uint16_t wVKey = 0;
    uint32_t flags = 0;
};

// LVN_ENDLABELEDIT and LVN_BEGINLABELEDIT carry the item.
struct NmLvDispInfo {
    NmHdr hdr;
    LvItem item;
};

using PfnLvCompare = int (*)(intptr_t lParam1, intptr_t lParam2, intptr_t sortParam);

// Header.
constexpr uint32_t HDS_BUTTONS = 0x0002;
constexpr uint32_t HDM_FIRST = 0x1200;
constexpr uint32_t HDM_GETITEMCOUNT = HDM_FIRST + 0;
constexpr uint32_t HDM_INSERTITEMA = HDM_FIRST + 1;
constexpr uint32_t HDM_DELETEITEM = HDM_FIRST + 2;
constexpr uint32_t HDM_GETITEMA = HDM_FIRST + 3;
constexpr uint32_t HDM_SETITEMA = HDM_FIRST + 4;
constexpr uint32_t HDM_HITTEST = HDM_FIRST + 6;
constexpr uint32_t HDM_GETITEMRECT = HDM_FIRST + 7;
constexpr uint32_t HDI_WIDTH = 0x0001;
constexpr uint32_t HDI_TEXT = 0x0002;
constexpr uint32_t HDI_FORMAT = 0x0004;
constexpr uint32_t HDI_LPARAM = 0x0008;
constexpr int HDF_LEFT = 0x0000;
constexpr int HDF_RIGHT = 0x0001;
constexpr int HDF_CENTER = 0x0002;
constexpr int HDF_STRING = 0x4000;
constexpr uint32_t HDN_ITEMCHANGINGA = NotifyCode(-300);
constexpr uint32_t HDN_ITEMCHANGEDA = NotifyCode(-301);
constexpr uint32_t HDN_ITEMCLICKA = NotifyCode(-302);
constexpr uint32_t HDN_BEGINTRACKA = NotifyCode(-306);
constexpr uint32_t HDN_ENDTRACKA = NotifyCode(-307);
constexpr uint32_t HDN_TRACKA = NotifyCode(-308);
constexpr uint32_t HHT_NOWHERE = 0x0001;
constexpr uint32_t HHT_ONHEADER = 0x0002;
constexpr uint32_t HHT_ONDIVIDER = 0x0004;

struct HdItem {
    uint32_t mask = 0;
    int cxy = 0;
    char* pszText = nullptr;
    int cchTextMax = 0;
    int fmt = 0;
    intptr_t lParam = 0;
};

struct HdHitTestInfo {
    Point pt{};
    uint32_t flags = 0;
    int iItem = -1;
};

struct NmHeader {
    NmHdr hdr;
    int iItem = -1;
    int iButton = 0;
    HdItem* pitem = nullptr;
};

// Tab control.
constexpr uint32_t TCS_BOTTOM = 0x0002;
constexpr uint32_t TCS_BUTTONS = 0x0100;
constexpr uint32_t TCS_FIXEDWIDTH = 0x0400;
constexpr uint32_t TCS_FOCUSNEVER = 0x8000;
constexpr uint32_t TCM_FIRST = 0x1300;
constexpr uint32_t TCM_GETIMAGELIST = TCM_FIRST + 2;
constexpr uint32_t TCM_SETIMAGELIST = TCM_FIRST + 3;
constexpr uint32_t TCM_GETITEMCOUNT = TCM_FIRST + 4;
constexpr uint32_t TCM_GETITEMA = TCM_FIRST + 5;
constexpr uint32_t TCM_SETITEMA = TCM_FIRST + 6;
constexpr uint32_t TCM_INSERTITEMA = TCM_FIRST + 7;
constexpr uint32_t TCM_DELETEITEM = TCM_FIRST + 8;
constexpr uint32_t TCM_DELETEALLITEMS = TCM_FIRST + 9;
constexpr uint32_t TCM_GETITEMRECT = TCM_FIRST + 10;
constexpr uint32_t TCM_GETCURSEL = TCM_FIRST + 11;
constexpr uint32_t TCM_SETCURSEL = TCM_FIRST + 12;
constexpr uint32_t TCM_HITTEST = TCM_FIRST + 13;
constexpr uint32_t TCM_ADJUSTRECT = TCM_FIRST + 40;  // wParam 1: display to window rectangle
constexpr uint32_t TCM_SETITEMSIZE = TCM_FIRST + 41;
constexpr uint32_t TCM_GETROWCOUNT = TCM_FIRST + 44;
constexpr uint32_t TCM_GETCURFOCUS = TCM_FIRST + 47;
constexpr uint32_t TCM_SETCURFOCUS = TCM_FIRST + 48;
constexpr uint32_t TCIF_TEXT = 0x0001;
constexpr uint32_t TCIF_IMAGE = 0x0002;
constexpr uint32_t TCIF_PARAM = 0x0008;
constexpr uint32_t TCHT_NOWHERE = 0x0001;
constexpr uint32_t TCHT_ONITEM = 0x0006;
constexpr uint32_t TCN_KEYDOWN = NotifyCode(-550);
constexpr uint32_t TCN_SELCHANGE = NotifyCode(-551);
constexpr uint32_t TCN_SELCHANGING = NotifyCode(-552);

struct TcItem {
    uint32_t mask = 0;
    uint32_t dwState = 0;
    uint32_t dwStateMask = 0;
    char* pszText = nullptr;
    int cchTextMax = 0;
    int iImage = -1;
    intptr_t lParam = 0;
};

struct TcHitTestInfo {
    Point pt{};
    uint32_t flags = 0;
};

// Progress bar.
constexpr uint32_t PBS_SMOOTH = 0x0001;
constexpr uint32_t PBS_VERTICAL = 0x0004;
constexpr uint32_t PBM_SETRANGE = WM_USER + 1;
constexpr uint32_t PBM_SETPOS = WM_USER + 2;
constexpr uint32_t PBM_DELTAPOS = WM_USER + 3;
constexpr uint32_t PBM_SETSTEP = WM_USER + 4;
constexpr uint32_t PBM_STEPIT = WM_USER + 5;
constexpr uint32_t PBM_SETRANGE32 = WM_USER + 6;
constexpr uint32_t PBM_GETRANGE = WM_USER + 7;  // wParam: nonzero for the low end
constexpr uint32_t PBM_GETPOS = WM_USER + 8;
constexpr uint32_t PBM_SETBARCOLOR = WM_USER + 9;
constexpr uint32_t PBM_SETBKCOLOR = 0x2001;

struct PbRange {
    int iLow = 0;
    int iHigh = 0;
};

// Up-down control.
constexpr uint32_t UDS_WRAP = 0x0001;
constexpr uint32_t UDS_SETBUDDYINT = 0x0002;
constexpr uint32_t UDS_ALIGNRIGHT = 0x0004;
constexpr uint32_t UDS_ALIGNLEFT = 0x0008;
constexpr uint32_t UDS_AUTOBUDDY = 0x0010;
constexpr uint32_t UDS_ARROWKEYS = 0x0020;
constexpr uint32_t UDS_HORZ = 0x0040;
constexpr uint32_t UDS_NOTHOUSANDS = 0x0080;
constexpr uint32_t UDM_SETRANGE = WM_USER + 101;  // lParam: upper low word, lower high
constexpr uint32_t UDM_GETRANGE = WM_USER + 102;
constexpr uint32_t UDM_SETPOS = WM_USER + 103;
constexpr uint32_t UDM_GETPOS = WM_USER + 104;  // high word nonzero on error
constexpr uint32_t UDM_SETBUDDY = WM_USER + 105;
constexpr uint32_t UDM_GETBUDDY = WM_USER + 106;
constexpr uint32_t UDM_SETBASE = WM_USER + 109;
constexpr uint32_t UDM_GETBASE = WM_USER + 110;
constexpr uint32_t UDM_SETRANGE32 = WM_USER + 111;
constexpr uint32_t UDM_GETRANGE32 = WM_USER + 112;  // wParam int* lower, lParam int* upper
constexpr uint32_t UDM_SETPOS32 = WM_USER + 113;
constexpr uint32_t UDM_GETPOS32 = WM_USER + 114;  // lParam bool* error, may be null
constexpr uint32_t UDN_DELTAPOS = NotifyCode(-722);

struct NmUpDown {
    NmHdr hdr;
    int iPos = 0;
    int iDelta = 0;
};

// Tree view. Items are handles the control hands out; TVI_ROOT, TVI_FIRST, TVI_LAST and
// TVI_SORT are the special values of insertion.
using HTreeItem = uintptr_t;
constexpr HTreeItem TVI_ROOT = static_cast<HTreeItem>(-0x10000);
constexpr HTreeItem TVI_FIRST = static_cast<HTreeItem>(-0x0FFFF);
constexpr HTreeItem TVI_LAST = static_cast<HTreeItem>(-0x0FFFE);
constexpr HTreeItem TVI_SORT = static_cast<HTreeItem>(-0x0FFFD);

constexpr uint32_t TVS_HASBUTTONS = 0x0001;
constexpr uint32_t TVS_HASLINES = 0x0002;
constexpr uint32_t TVS_LINESATROOT = 0x0004;
constexpr uint32_t TVS_SHOWSELALWAYS = 0x0020;

constexpr uint32_t TV_FIRST = 0x1100;
constexpr uint32_t TVM_INSERTITEMA = TV_FIRST + 0;
constexpr uint32_t TVM_DELETEITEM = TV_FIRST + 1;
constexpr uint32_t TVM_EXPAND = TV_FIRST + 2;
constexpr uint32_t TVM_GETITEMRECT = TV_FIRST + 4;  // wParam: label only; lParam Rect* holding
                                                    // the item handle at its start
constexpr uint32_t TVM_GETCOUNT = TV_FIRST + 5;
constexpr uint32_t TVM_GETINDENT = TV_FIRST + 6;
constexpr uint32_t TVM_SETINDENT = TV_FIRST + 7;
constexpr uint32_t TVM_GETIMAGELIST = TV_FIRST + 8;
constexpr uint32_t TVM_SETIMAGELIST = TV_FIRST + 9;
constexpr uint32_t TVM_GETNEXTITEM = TV_FIRST + 10;
constexpr uint32_t TVM_SELECTITEM = TV_FIRST + 11;
constexpr uint32_t TVM_GETITEMA = TV_FIRST + 12;
constexpr uint32_t TVM_SETITEMA = TV_FIRST + 13;
constexpr uint32_t TVM_GETVISIBLECOUNT = TV_FIRST + 16;
constexpr uint32_t TVM_HITTEST = TV_FIRST + 17;
constexpr uint32_t TVM_ENSUREVISIBLE = TV_FIRST + 20;
constexpr uint32_t TVM_SETITEMHEIGHT = TV_FIRST + 27;
constexpr uint32_t TVM_GETITEMHEIGHT = TV_FIRST + 28;

constexpr uint32_t TVE_COLLAPSE = 0x0001;
constexpr uint32_t TVE_EXPAND = 0x0002;
constexpr uint32_t TVE_TOGGLE = 0x0003;

constexpr uint32_t TVGN_ROOT = 0x0000;
constexpr uint32_t TVGN_NEXT = 0x0001;
constexpr uint32_t TVGN_PREVIOUS = 0x0002;
constexpr uint32_t TVGN_PARENT = 0x0003;
constexpr uint32_t TVGN_CHILD = 0x0004;
constexpr uint32_t TVGN_FIRSTVISIBLE = 0x0005;
constexpr uint32_t TVGN_NEXTVISIBLE = 0x0006;
constexpr uint32_t TVGN_PREVIOUSVISIBLE = 0x0007;
constexpr uint32_t TVGN_CARET = 0x0009;

constexpr uint32_t TVIF_TEXT = 0x0001;
constexpr uint32_t TVIF_IMAGE = 0x0002;
constexpr uint32_t TVIF_PARAM = 0x0004;
constexpr uint32_t TVIF_STATE = 0x0008;
constexpr uint32_t TVIF_HANDLE = 0x0010;
constexpr uint32_t TVIF_SELECTEDIMAGE = 0x0020;
constexpr uint32_t TVIF_CHILDREN = 0x0040;

constexpr uint32_t TVIS_SELECTED = 0x0002;
constexpr uint32_t TVIS_BOLD = 0x0010;
constexpr uint32_t TVIS_EXPANDED = 0x0020;

constexpr uint32_t TVC_UNKNOWN = 0x0000;
constexpr uint32_t TVC_BYMOUSE = 0x0001;
constexpr uint32_t TVC_BYKEYBOARD = 0x0002;

constexpr uint32_t TVHT_NOWHERE = 0x0001;
constexpr uint32_t TVHT_ONITEMICON = 0x0002;
constexpr uint32_t TVHT_ONITEMLABEL = 0x0004;
constexpr uint32_t TVHT_ONITEMINDENT = 0x0008;
constexpr uint32_t TVHT_ONITEMBUTTON = 0x0010;
constexpr uint32_t TVHT_ONITEMRIGHT = 0x0020;
constexpr uint32_t TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL;

constexpr uint32_t TVN_SELCHANGINGA = NotifyCode(-401);
constexpr uint32_t TVN_SELCHANGEDA = NotifyCode(-402);
constexpr uint32_t TVN_ITEMEXPANDINGA = NotifyCode(-405);
constexpr uint32_t TVN_ITEMEXPANDEDA = NotifyCode(-406);
constexpr uint32_t TVN_DELETEITEMA = NotifyCode(-409);
constexpr uint32_t TVN_KEYDOWN = NotifyCode(-412);

struct TvItem {
    uint32_t mask = 0;
    HTreeItem hItem = 0;
    uint32_t state = 0;
    uint32_t stateMask = 0;
    char* pszText = nullptr;
    int cchTextMax = 0;
    int iImage = 0;
    int iSelectedImage = 0;
    int cChildren = 0;
    intptr_t lParam = 0;
};

struct TvInsertStruct {
    HTreeItem hParent = TVI_ROOT;
    HTreeItem hInsertAfter = TVI_LAST;
    TvItem item;
};

struct TvHitTestInfo {
    Point pt{};
    uint32_t flags = 0;
    HTreeItem hItem = 0;
};

struct NmTreeView {
    NmHdr hdr;
    uint32_t action = 0;
    TvItem itemOld;
    TvItem itemNew;
    Point ptDrag{};
};

}  // namespace zv::ui
