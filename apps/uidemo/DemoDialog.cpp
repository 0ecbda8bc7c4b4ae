#include "apps/uidemo/DemoDialog.h"

#include <string>

#include "platform/core/Sjis.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ScrollBarModel.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"

namespace uidemo {

using namespace zv::ui;

namespace {

enum Id {
    kGroup = 1000,
    kPush,
    kCheck,
    kThreeState,
    kRadioA,
    kRadioB,
    kLabel,
    kEdit,
    kPassword,
    kNumberLabel,
    kNumber,
    kUpDown,
    kList,
    kDropList,
    kDropEdit,
    kListView,
    kTabs,
    kProgress,
    kTree,
    kHScroll,
    kVScroll,
    kLine,
};

constexpr uint32_t kTab = WS_TABSTOP;
constexpr uint32_t kGrp = WS_GROUP | WS_TABSTOP;

std::string Sjis(const char* utf8) {
    return zv::core::Utf8ToSjis(utf8);
}

}  // namespace

DialogTemplate DemoDialogTemplate() {
    DialogTemplate t;
    t.number = kDemoDialog;
    t.title = "コントロール一覧";
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    t.cx = 372;
    t.cy = 214;
    t.items = {
        // Buttons in a group box.
        {kGroup, "BUTTON", "ボタン", 6, 4, 112, 98, BS_GROUPBOX | WS_GROUP, 0, true},
        {kPush, "BUTTON", "押す(&P)", 12, 16, 50, 14, BS_PUSHBUTTON | kGrp},
        {kCheck, "BUTTON", "確認(&K)", 12, 34, 100, 10, BS_AUTOCHECKBOX | kGrp},
        {kThreeState, "BUTTON", "三状態(&3)", 12, 48, 100, 10, BS_AUTO3STATE | kGrp},
        {kRadioA, "BUTTON", "歩兵(&I)", 12, 64, 100, 10, BS_AUTORADIOBUTTON | kGrp},
        {kRadioB, "BUTTON", "騎兵(&V)", 12, 78, 100, 10, BS_AUTORADIOBUTTON},
        // Edits.
        {kLabel, "STATIC", "名前(&N):", 126, 8, 40, 10, SS_LEFT},
        {kEdit, "EDIT", "", 170, 6, 80, 13, ES_AUTOHSCROLL | WS_BORDER | kGrp},
        {kPassword, "EDIT", "", 170, 22, 80, 13, ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | kGrp},
        {kNumberLabel, "STATIC", "兵数:", 126, 40, 40, 10, SS_LEFT},
        {kNumber, "EDIT", "120", 170, 38, 70, 13, ES_NUMBER | WS_BORDER | kGrp},
        {kUpDown, "msctls_updown32", "", 240, 38, 10, 13,
         UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY},
        // Lists.
        {kList, "LISTBOX", "", 126, 56, 60, 46, LBS_NOTIFY | WS_BORDER | WS_VSCROLL | kGrp},
        {kDropList, "COMBOBOX", "", 192, 56, 58, 60, CBS_DROPDOWNLIST | kGrp},
        {kDropEdit, "COMBOBOX", "", 192, 74, 58, 60, CBS_DROPDOWN | kGrp},
        {kListView, "SysListView32", "", 6, 108, 180, 60,
         LVS_REPORT | LVS_SINGLESEL | WS_BORDER | kGrp},
        {kTabs, "SysTabControl32", "", 192, 108, 174, 20, kGrp},
        {kProgress, "msctls_progress32", "", 192, 134, 174, 10, 0},
        {kTree, "SysTreeView32", "", 258, 4, 108, 98,
         TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | WS_BORDER | kGrp},
        {kHScroll, "SCROLLBAR", "", 192, 150, 160, 10, SBS_HORZ | kGrp},
        {kVScroll, "SCROLLBAR", "", 356, 150, 10, 40, SBS_VERT | kGrp},
        {kLine, "STATIC", "", 6, 174, 180, 2, SS_ETCHEDHORZ},
        {IDOK, "BUTTON", "OK", 192, 194, 50, 14, BS_DEFPUSHBUTTON | kGrp},
        {IDCANCEL, "BUTTON", "キャンセル", 248, 194, 50, 14, kTab},
    };
    return t;
}

void RegisterDemoDialog() {
    DialogRegistry::Global().Add(DemoDialogTemplate());
}

intptr_t DemoDialogProc(Hwnd dlg, uint32_t msg, WParam w, LParam l) {
    switch (msg) {
        case WM_INITDIALOG: {
            CheckRadioButton(dlg, kRadioA, kRadioB, kRadioA);
            SetDlgItemText(dlg, kEdit, Sjis("第一軍"));
            SetDlgItemText(dlg, kPassword, "secret");
            for (const char* s : {"東部戦線", "西部戦線", "南方", "北方", "本土"}) {
                SendDlgItemMessage(dlg, kList, LB_ADDSTRING, 0,
                                   reinterpret_cast<LParam>(Sjis(s).c_str()));
                SendDlgItemMessage(dlg, kDropList, CB_ADDSTRING, 0,
                                   reinterpret_cast<LParam>(Sjis(s).c_str()));
                SendDlgItemMessage(dlg, kDropEdit, CB_ADDSTRING, 0,
                                   reinterpret_cast<LParam>(Sjis(s).c_str()));
            }
            SendDlgItemMessage(dlg, kList, LB_SETCURSEL, 1, 0);
            SendDlgItemMessage(dlg, kDropList, CB_SETCURSEL, 0, 0);
            SendDlgItemMessage(dlg, kUpDown, UDM_SETRANGE32, 0, 999);
            SendDlgItemMessage(dlg, kUpDown, UDM_SETPOS, 0, MakeLParam(120, 0));
            const char* columns[] = {"部隊", "兵数", "士気"};
            const int widths[] = {90, 60, 60};
            for (int c = 0; c < 3; ++c) {
                std::string text = Sjis(columns[c]);
                LvColumn col;
                col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
                col.cx = widths[c];
                col.pszText = text.data();
                col.iSubItem = c;
                SendDlgItemMessage(dlg, kListView, LVM_INSERTCOLUMNA, static_cast<WParam>(c),
                                   reinterpret_cast<LParam>(&col));
            }
            const char* rows[][3] = {{"第一師団", "12000", "90"},
                                     {"第二師団", "9800", "75"},
                                     {"騎兵旅団", "3000", "88"}};
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c) {
                    std::string text = Sjis(rows[r][c]);
                    LvItem item;
                    item.mask = LVIF_TEXT;
                    item.iItem = r;
                    item.iSubItem = c;
                    item.pszText = text.data();
                    SendDlgItemMessage(dlg, kListView, c == 0 ? LVM_INSERTITEMA : LVM_SETITEMTEXTA,
                                       static_cast<WParam>(r), reinterpret_cast<LParam>(&item));
                }
            }
            for (const char* s : {"編成", "補給", "外交"}) {
                std::string text = Sjis(s);
                TcItem item;
                item.mask = TCIF_TEXT;
                item.pszText = text.data();
                const auto n = SendDlgItemMessage(dlg, kTabs, TCM_GETITEMCOUNT, 0, 0);
                SendDlgItemMessage(dlg, kTabs, TCM_INSERTITEMA, static_cast<WParam>(n),
                                   reinterpret_cast<LParam>(&item));
            }
            SendDlgItemMessage(dlg, kProgress, PBM_SETRANGE, 0, MakeLParam(0, 100));
            SendDlgItemMessage(dlg, kProgress, PBM_SETPOS, 60, 0);
            HTreeItem parent = TVI_ROOT;
            for (const char* s : {"総司令部", "第一軍", "第一師団"}) {
                std::string text = Sjis(s);
                TvInsertStruct ins;
                ins.hParent = parent;
                ins.item.mask = TVIF_TEXT;
                ins.item.pszText = text.data();
                const HTreeItem item = static_cast<HTreeItem>(SendDlgItemMessage(
                    dlg, kTree, TVM_INSERTITEMA, 0, reinterpret_cast<LParam>(&ins)));
                if (parent != TVI_ROOT)
                    SendDlgItemMessage(dlg, kTree, TVM_EXPAND, TVE_EXPAND,
                                       static_cast<LParam>(parent));
                parent = item;
            }
            for (int id : {kHScroll, kVScroll}) {
                ScrollInfo si;
                si.mask = SIF_ALL;
                si.max = 99;
                si.page = 20;
                si.pos = 30;
                SetScrollInfo(GetDlgItem(dlg, id), SB_CTL, si, true);
            }
            return 1;
        }
        case WM_HSCROLL:
        case WM_VSCROLL: {
            // The dialog's own bars move where their arrows, pages and thumb say.
            const Hwnd bar = HwndFromParam(l);
            ScrollInfo si;
            si.mask = SIF_ALL;
            if (!GetScrollInfo(bar, SB_CTL, &si)) return 0;
            int pos = si.pos;
            switch (LoWord(w)) {
                case SB_LINEUP:
                    --pos;
                    break;
                case SB_LINEDOWN:
                    ++pos;
                    break;
                case SB_PAGEUP:
                    pos -= static_cast<int>(si.page);
                    break;
                case SB_PAGEDOWN:
                    pos += static_cast<int>(si.page);
                    break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION:
                    pos = static_cast<int16_t>(HiWord(w));
                    break;
                case SB_TOP:
                    pos = si.min;
                    break;
                case SB_BOTTOM:
                    pos = si.max;
                    break;
                default:
                    return 1;
            }
            SetScrollPos(bar, SB_CTL, pos, true);
            SendDlgItemMessage(dlg, kProgress, PBM_SETPOS, static_cast<WParam>(pos), 0);
            return 1;
        }
        case WM_COMMAND:
            if (LoWord(w) == IDOK || LoWord(w) == IDCANCEL) {
                EndDialog(dlg, LoWord(w));
                return 1;
            }
            return 0;
        default:
            return 0;
    }
}

std::string ShowDemoFileDialog(zv::ui::Hwnd owner) {
    using namespace zv::ui;
    static const char kFilter[] = "マップファイル (*.ddm)\0*.ddm\0すべてのファイル (*.*)\0*.*\0";
    const std::string filter = zv::core::Utf8ToSjis(std::string(kFilter, sizeof(kFilter)));
    char file[260] = {};
    OpenFileName ofn;
    ofn.owner = owner;
    ofn.filter = filter.c_str();
    ofn.filterIndex = 1;
    ofn.file = file;
    ofn.maxFile = sizeof(file);
    ofn.defExt = "*.ddm";
    ofn.flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                OFN_NOCHANGEDIR;
    return GetOpenFileName(&ofn) ? std::string(file) : std::string();
}

}  // namespace uidemo
