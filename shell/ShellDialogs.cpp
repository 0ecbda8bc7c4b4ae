#include "shell/ShellDialogs.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "framework/media/Application.h"
#include "framework/media/TimedMessageDialog.h"
#include "framework/media/VersionInfo.h"
#include "platform/core/Sjis.h"
#include "platform/ui/CanvasConstants.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/TableDirectory.h"
#include "shell/FrameCommands.h"
#include "shell/ShellTables.h"
#include "shell/WindowRegistry.h"

namespace zv::shell {

namespace {

using ui::DialogItem;
using ui::DialogTemplate;

constexpr uint32_t kDialogStyle = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_SYSMENU | ui::DS_MODALFRAME;
constexpr uint32_t kButton = ui::WS_TABSTOP;

std::string Sjis(const char* utf8) { return core::Utf8ToSjis(utf8); }

constexpr auto* Template = &ui::MakeDialogTemplate;

// Centres the dialog on the screen at its own size.
void CenterAtOwnSize(ui::Hwnd dlg) {
    ui::Rect r{};
    ui::GetWindowRect(dlg, &r);
    fw::CenterWindowOnScreen(dlg, r.right - r.left, r.bottom - r.top, 0);
}

const char* const kStaffText =
    "企画・ルール  ZV6 開発チーム\n"
    "プログラム  ZV6 開発チーム\n"
    "グラフィック・音楽  ZV6 開発チーム\n"
    "テスト  ZV6 テストプレイヤーの皆さん";

const char* const kNameListText =
    "この部隊名は、ZV6 を作った仲間たちの合言葉です。\n"
    "地図を描いた人、兵器を調べた人、\n"
    "何度も負けて遊び方を考えた人、\n"
    "そして今これを見ているあなたに感謝します。";

}  // namespace

void RegisterShellDialogs() {
    auto& reg = ui::DialogRegistry::Global();
    reg.Add(Template(kVersionDialog, "バージョン情報", kDialogStyle, 250, 190,
                     {{kIdVersionTitle, "STATIC", kGameTitle, 8, 4, 234, 16, ui::SS_CENTER},
                      {kIdVersionNotice, "STATIC", kVersionNotice, 8, 22, 234, 10, ui::SS_CENTER},
                      {kIdVersionList, "SysListView32", "", 8, 36, 234, 130,
                       ui::LVS_REPORT | ui::LVS_NOSORTHEADER | ui::LVS_SINGLESEL | ui::WS_BORDER},
                      {kIdStaffButton, "BUTTON", "スタッフ", 8, 172, 56, 14, kButton},
                      {ui::IDOK, "BUTTON", "OK", 186, 172, 56, 14,
                       kButton | ui::BS_DEFPUSHBUTTON}}));
    reg.Add(Template(kStaffDialog, "スタッフ", kDialogStyle, 200, 80,
                     {{1400, "STATIC", kStaffText, 10, 8, 180, 44, 0},
                      {ui::IDOK, "BUTTON", "OK", 72, 58, 56, 14, kButton | ui::BS_DEFPUSHBUTTON}}));
    reg.Add(Template(kSystemMenuDialog, "システム", kDialogStyle, 120, 104,
                     {{kIdSystemReturnToTitle, "BUTTON", "タイトルに戻る", 10, 8, 100, 14, kButton},
                      {kIdSystemSave, "BUTTON", "セーブ", 10, 26, 100, 14, kButton},
                      {kIdSystemVersion, "BUTTON", "バージョン情報", 10, 44, 100, 14, kButton},
                      {kIdSystemQuit, "BUTTON", "ゲーム終了", 10, 62, 100, 14, kButton},
                      {ui::IDCANCEL, "BUTTON", "キャンセル", 10, 82, 100, 14, kButton}}));
    reg.Add(Template(kReceiveProgressDialog, "", ui::WS_POPUP | ui::WS_BORDER, 160, 40,
                     {{1401, "STATIC", "データ受信中", 8, 6, 144, 10, ui::SS_CENTER},
                      {kIdProgressBar, "msctls_progress32", "", 8, 20, 144, 12, ui::WS_BORDER}}));
    reg.Add(Template(kSendProgressDialog, "", ui::WS_POPUP | ui::WS_BORDER, 160, 40,
                     {{1401, "STATIC", "データ送信中", 8, 6, 144, 10, ui::SS_CENTER},
                      {kIdProgressBar, "msctls_progress32", "", 8, 20, 144, 12, ui::WS_BORDER}}));
    reg.Add(Template(kEditorAboutDialog, "この製品について", kDialogStyle, 180, 70,
                     {{kIdAboutText, "STATIC", "", 10, 8, 160, 34, ui::SS_CENTER},
                      {ui::IDCANCEL, "BUTTON", "閉じる", 62, 48, 56, 14, kButton}}));
    reg.Add(Template(kSmallInfoDialog, "ZV6 の仲間たち", kDialogStyle, 220, 80,
                     {{kIdNameList, "STATIC", kNameListText, 10, 8, 200, 44, 0},
                      {ui::IDOK, "BUTTON", "OK", 82, 58, 56, 14, kButton | ui::BS_DEFPUSHBUTTON}}));
    reg.Add(Template(kPictureDialog, "", ui::WS_POPUP, 160, 120, {}));
    reg.Add(Template(kNetworkWaitDialog, "チャット", ui::WS_POPUP | ui::WS_CAPTION, 300, 70, {}));
}

// ---- version and staff ------------------------------------------------------------------------

void FillVersionList(ui::Hwnd dialog) {
    const ui::Hwnd list = ui::GetDlgItem(dialog, kIdVersionList);
    if (!list) return;
    ui::Rect client{};
    ui::GetClientRect(list, &client);
    auto column = [&](int index, const char* utf8, int width) {
        std::string text = Sjis(utf8);
        ui::LvColumn c;
        c.mask = ui::LVCF_TEXT | ui::LVCF_WIDTH | ui::LVCF_SUBITEM;
        c.cx = width;
        c.pszText = text.data();
        c.iSubItem = index;
        ui::SendMessage(list, ui::LVM_INSERTCOLUMNA, ui::WParam(index),
                        reinterpret_cast<ui::LParam>(&c));
    };
    column(0, "名称", 158);
    column(1, "バージョン", std::max(0, client.right - client.left - 158));

    int row = 0;
    auto add = [&](const std::string& name, const std::string& version) {
        std::string n = name;
        std::string v = version;
        ui::LvItem item;
        item.mask = ui::LVIF_TEXT;
        item.iItem = row;
        item.pszText = n.data();
        const auto at = ui::SendMessage(list, ui::LVM_INSERTITEMA, 0,
                                        reinterpret_cast<ui::LParam>(&item));
        ui::LvItem sub;
        sub.iSubItem = 1;
        sub.pszText = v.data();
        ui::SendMessage(list, ui::LVM_SETITEMTEXTA, ui::WParam(at), reinterpret_cast<ui::LParam>(&sub));
        ++row;
    };
    auto fileVersion = [](const char* path) -> std::string {
        fw::VersionInfo info(path);
        const char* v = info.GetString(fw::kVersionFileVersion);
        return v ? v : "";
    };
    add("ZV6.EXE", fileVersion(nullptr));
    const fw::ResourceLibraryHandle library = fw::GetLibRHandle();
    add("HVLIBR.DLL", library ? fileVersion(library->fileName.c_str()) : "");
    struct Row {
        const char* name;
        rules::TableId table;
    };
    const Row rows[] = {
        {"兵器種類データ", rules::TableId::UnitKind}, {"武器データ", rules::TableId::WeaponKd},
        {"移動データ", rules::TableId::MvcostKd},     {"防御データ", rules::TableId::DefencDk},
        {"兵器データ", rules::TableId::UnitInfo},     {"兵器行動データ", rules::TableId::ActionKd},
        {"地形種類データ", rules::TableId::LandKind}, {"建物種類データ", rules::TableId::SiteKind},
    };
    for (const Row& r : rows) {
        char id[8] = {'0', '0', '0', '0', '0', '0', '0', '\0'};
        if (rules::TableDirectory* tables = GetShellTables()) {
            std::memcpy(id, tables->GetEntry(r.table).id, sizeof id);
            id[7] = '\0';
        }
        add(Sjis(r.name), std::string(id + 2));
    }
}

namespace {

// A dialog that only closes: OK or Cancel (and the close box) end it with 1.
class StaffDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;
    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                CenterAtOwnSize(Handle());
                return 1;
            case ui::WM_COMMAND:
                OnCommand(ui::LoWord(w));
                return 1;
            case ui::WM_CLOSE:
                End(1);
                return 1;
            default:
                return 0;
        }
    }

  private:
    void OnCommand(int id) {
        if (id == ui::IDOK || id == ui::IDCANCEL) End(1);
    }
};

class VersionDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;
    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog();
                return 1;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w));
            case ui::WM_CLOSE:
                End(1);
                return 1;
            default:
                return 0;
        }
    }

  private:
    void OnInitDialog() {
        // The title in the game's heavy type; the dialog outlives its controls, so the title
        // keeps its face to the end.
        titleFont_ = fw::CreateJapaneseFont(20, 0, 1);
        ui::SendMessage(Item(kIdVersionTitle), ui::WM_SETFONT,
                        reinterpret_cast<ui::WParam>(&*titleFont_), 0);
        FillVersionList(Handle());
        CenterAtOwnSize(Handle());
    }
    intptr_t OnCommand(int id) {
        switch (id) {
            case ui::IDOK:
            case ui::IDCANCEL:
                End(1);
                return 1;
            case kIdStaffButton:
                ShowStaffDialog(Handle());
                return 1;
            default:
                return 0;
        }
    }

    std::optional<ui::Font> titleFont_;
};

// The hidden progress box of a data transfer: it only centres itself.
class ProgressDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;
    intptr_t Dispatch(uint32_t msg, ui::WParam, ui::LParam) {
        if (msg != ui::WM_INITDIALOG) return 0;
        CenterAtOwnSize(Handle());
        return 1;
    }
};

// The in-game system menu: the dialog holds the mouse, and a release over a button chooses it.
class SystemMenuDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;
    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                CenterAtOwnSize(Handle());
                ui::SetCapture(Handle());
                return 1;
            case ui::WM_LBUTTONUP:
                OnLButtonUp({ui::GetXLParam(l), ui::GetYLParam(l)});
                return 1;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w));
            case ui::WM_DESTROY:
                if (ui::GetCapture() == Handle()) ui::ReleaseCapture();
                return 0;
            default:
                return 0;
        }
    }

  private:
    void OnLButtonUp(ui::Point p) {
        const ui::Hwnd child = ui::ChildWindowFromPoint(Handle(), p);
        if (child && child != Handle()) {
            ui::SendMessage(Handle(), ui::WM_COMMAND, ui::WParam(ui::GetDlgCtrlID(child)), 0);
        }
    }
    intptr_t OnCommand(int id) {
        intptr_t result = 0;
        switch (id) {
            case kIdSystemReturnToTitle:
                result = kCmdReturnToTitle;
                break;
            case kIdSystemSave:
                result = kCmdSaveGame;
                break;
            case kIdSystemVersion:
                result = kCmdAbout;
                break;
            case kIdSystemQuit:
                result = kCmdQuit;
                break;
            case ui::IDCANCEL:
                result = ui::IDCANCEL;
                break;
            default:
                return 0;
        }
        End(result);
        return 1;
    }
};

class EditorAboutDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;
    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                ui::SetDlgItemText(Handle(), kIdAboutText,
                                   Sjis("ZV6 マップエディタ\r\nVer 0.00\r\n(C) ZV6 開発チーム"));
                CenterAtOwnSize(Handle());
                return 1;
            case ui::WM_COMMAND:
                if (ui::LoWord(w) != ui::IDCANCEL) return 0;
                End(1);
                return 1;
            case ui::WM_CLOSE:
            case ui::WM_RBUTTONDOWN:
                End(1);
                return 1;
            default:
                return 0;
        }
    }
};

class SmallInfoDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;
    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam) {
        if (msg != ui::WM_COMMAND) return 0;
        if (ui::LoWord(w) == ui::IDOK) End(1);
        return 1;
    }
};

}  // namespace

intptr_t StaffDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<StaffDialog>(dlg, msg, w, l);
}

int ShowStaffDialog(ui::Hwnd owner) {
    RegisterShellDialogs();
    ui::DialogBoxParam(nullptr, kStaffDialog, owner, StaffDialogProc, 0);
    return 1;
}

intptr_t VersionDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<VersionDialog>(dlg, msg, w, l);
}

int ShowVersionDialog(ui::Hwnd owner) {
    RegisterShellDialogs();
    ui::DialogBoxParam(nullptr, kVersionDialog, owner, VersionDialogProc, 0);
    return 1;
}

// ---- progress, system menu, about, names ------------------------------------------------------

intptr_t ProgressDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<ProgressDialog>(dlg, msg, w, l);
}

namespace {
ui::Hwnd CreateProgressDialog(ui::Hwnd owner, int number) {
    RegisterShellDialogs();
    const ui::Hwnd dlg = ui::CreateDialogParam(nullptr, number, owner, ProgressDialogProc, 0);
    if (dlg) ui::ShowWindow(dlg, ui::SW_HIDE);
    return dlg;
}
}  // namespace

ui::Hwnd CreateReceiveProgressDialog(ui::Hwnd owner) {
    return CreateProgressDialog(owner, kReceiveProgressDialog);
}
ui::Hwnd CreateSendProgressDialog(ui::Hwnd owner) {
    return CreateProgressDialog(owner, kSendProgressDialog);
}

intptr_t SystemMenuDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<SystemMenuDialog>(dlg, msg, w, l);
}

intptr_t ShowSystemMenuDialog(ui::Hwnd owner) {
    RegisterShellDialogs();
    return ui::DialogBoxParam(nullptr, kSystemMenuDialog, owner, SystemMenuDialogProc, 0);
}

intptr_t EditorAboutDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<EditorAboutDialog>(dlg, msg, w, l);
}

int ShowEditorAboutDialog(ui::Hwnd owner) {
    RegisterShellDialogs();
    ui::DialogBoxParam(nullptr, kEditorAboutDialog, owner, EditorAboutDialogProc, 0);
    return 1;
}

intptr_t SmallInfoDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<SmallInfoDialog>(dlg, msg, w, l);
}

intptr_t ShowSmallInfoDialog(ui::Hwnd owner) {
    RegisterShellDialogs();
    return ui::DialogBoxParam(nullptr, kSmallInfoDialog, owner, SmallInfoDialogProc, 0);
}

// ---- notifications ----------------------------------------------------------------------------

namespace {
intptr_t NotifyIfShown(WindowKind kind, uint32_t msg, ui::WParam w, ui::LParam l) {
    const ui::Hwnd window = GetWindowOfKind(kind);
    if (!window || !ui::IsWindowVisible(window)) return 0;
    return ui::SendMessage(window, msg, w, l);
}
}  // namespace

intptr_t NotifySiteListWindow() {
    return NotifyIfShown(WindowKind::SiteListWnd, WM_REFRESH_SITE_INFO, 0, 0);
}
intptr_t NotifyCampInfoWindow() {
    return NotifyIfShown(WindowKind::CampInfoWnd, WM_REFRESH_CAMP_INFO, 0, 0);
}
intptr_t NotifyTroopNumListWindow() {
    return NotifyIfShown(WindowKind::TroopNumListWnd, WM_REFRESH_TROOP_NUM, 0, 0);
}
intptr_t NotifyHqWindow(uintptr_t wParam, int16_t a, int16_t b) {
    int16_t values[2] = {a, b};
    return NotifyIfShown(WindowKind::HqWnd, WM_HQ_VIEW_RECT, ui::WParam(wParam),
                         reinterpret_cast<ui::LParam>(values));
}

int LookupPanelLayout(int kind, int column, int row, ui::Point* position, ui::Size* size) {
    int k = 0;
    switch (kind) {
        case 1: k = 0; break;
        case 2: k = 1; break;
        case 4: k = 2; break;
        case 8:
        case 15: k = 3; break;
        default: return 0;
    }
    if (column < 1 || column > 3 || row < 1 || row > 2) return 0;
    // The bands of the information back picture (256, 110, 94 and 64 wide, 60 high), laid in
    // three columns and two rows.
    struct Entry {
        ui::Point position;
        ui::Size size;
    };
    static const int kWidths[4] = {256, 110, 94, 64};
    const int w = kWidths[k];
    const Entry e{{(column - 1) * (w + 4), (row - 1) * 64}, {w, 60}};
    if (position) *position = e.position;
    if (size) *size = e.size;
    return 1;
}

// ---- debug facilities -------------------------------------------------------------------------

namespace {

DebugCheckServices gDebugServices;
constexpr const char* kCommDebugClass = "COMMDEBUG";
constexpr const char* kTestClass = "TEST";
constexpr int kCommDebugList = 100;
// The debug window the lines go to (the latest made).
ui::Hwnd gCommDebug{};

// The communication debug window: a list of lines in its own face.
class CommDebugWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;
    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_SIZE:
                if (w != ui::SIZE_MINIMIZED)
                    OnSize(ui::LoWord(uintptr_t(l)), ui::HiWord(uintptr_t(l)));
                return 0;
            case ui::WM_LBUTTONDOWN:
                ui::MessageBox(Handle(), "TEST", Sjis(kGameTitle), ui::MB_OK);
                return 0;
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

    const ui::Font* Font() const { return font_ ? &*font_ : nullptr; }

  private:
    void OnCreate() {
        const uint32_t style = ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_VSCROLL | ui::WS_HSCROLL |
                               ui::LBS_HASSTRINGS | ui::LBS_USETABSTOPS | ui::LBS_EXTENDEDSEL |
                               ui::LBS_NOINTEGRALHEIGHT;
        const ui::Hwnd list = ui::CreateWindowEx(0, "LISTBOX", "", style, 0, 0, 10, 10, Handle(),
                                                 kCommDebugList, nullptr, nullptr);
        if (!list) {
            ui::PostMessage(Handle(), ui::WM_CLOSE, 0, 0);
            return;
        }
        ui::SendMessage(list, ui::LB_RESETCONTENT, 0, 0);
        font_ = fw::CreateJapaneseFont(12, 1, 0);
        ui::SendMessage(list, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(&*font_), 0);
    }
    void OnSize(int width, int height) {
        if (ui::Hwnd list = ui::GetDlgItem(Handle(), kCommDebugList)) {
            ui::MoveWindow(list, 0, 0, width, height, true);
            ui::ShowWindow(list, ui::SW_SHOW);
        }
    }
    void OnDestroy() {
        if (ui::Hwnd list = ui::GetDlgItem(Handle(), kCommDebugList)) {
            ui::SendMessage(list, ui::WM_SETFONT, 0, 0);
        }
        if (gCommDebug == Handle()) gCommDebug = {};
    }

    std::optional<ui::Font> font_;
};

// Shows the program's company name and product version.
class TestWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;
    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        if (msg != ui::WM_PAINT) return Default(msg, w, l);
        OnPaint();
        return 0;
    }

  private:
    void OnPaint() {
        ui::PaintStruct ps;
        if (ui::Canvas* dc = ui::BeginPaint(Handle(), &ps)) {
            fw::VersionInfo info(nullptr);
            const char* company = info.GetString(fw::kVersionCompanyName);
            dc->TextOut(0, 0, company ? company : "");
            const char* product = info.GetString(fw::kVersionProductVersion);
            dc->TextOut(0, 32, product ? product : "");
        }
        ui::EndPaint(Handle(), &ps);
    }
};

bool RegisterDebugClass(const char* name, ui::WndProc proc, void* instance,
                        ui::ColorRef background) {
    ui::WindowClass existing;
    if (ui::GetClassInfo(name, &existing)) return true;
    ui::WindowClass wc;
    wc.name = name;
    wc.proc = proc;
    wc.instance = instance;
    wc.cursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    wc.hasBackground = true;
    wc.background = background;
    return ui::RegisterClass(wc);
}

}  // namespace

void SetDebugCheckServices(const DebugCheckServices& services) { gDebugServices = services; }

void RunDebugCheck() {
    if (gDebugServices.allianceConclude) gDebugServices.allianceConclude(1);
    const ui::Hwnd main = GetWindowOfKind(WindowKind::FrameWnd);
    const bool approved =
        gDebugServices.approve ? gDebugServices.approve(main, "TEST") : false;
    if (approved) {
        char text[256] = {};
        fw::LoadLibraryText(5, text, sizeof text);
        fw::ShowTimedMessageDialog(main, text, nullptr, nullptr, 3000);
    }
}

ui::LResult CommDebugWindowProc(ui::Hwnd window, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<CommDebugWindow>(window, msg, w, l);
}

int CreateCommDebugWindow(void* instance) {
    if (!RegisterDebugClass(kCommDebugClass, CommDebugWindowProc, instance,
                            ui::Rgb(128, 128, 128))) {
        return 0;
    }
    gCommDebug = ui::CreateWindowEx(0, kCommDebugClass, Sjis("通信デバッグ"),
                                    ui::WS_OVERLAPPEDWINDOW, ui::CW_USEDEFAULT, ui::CW_USEDEFAULT,
                                    ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, {}, 0, instance, nullptr);
    if (!gCommDebug) return 0;
    ui::ShowWindow(gCommDebug, ui::SW_SHOW);
    return ui::IsWindow(gCommDebug) ? 1 : 0;
}

ui::Hwnd GetCommDebugWindow() { return ui::IsWindow(gCommDebug) ? gCommDebug : ui::Hwnd{}; }

void CommDebugPrintf(const char* format, ...) {
    const ui::Hwnd window = GetCommDebugWindow();
    const ui::Hwnd list = ui::GetDlgItem(window, kCommDebugList);
    if (!list || format == nullptr) return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const auto index = ui::SendMessage(list, ui::LB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(text));
    if (ui::Canvas* dc = ui::GetDC(list)) {
        const CommDebugWindow* debug = ui::WindowObjectOf<CommDebugWindow>(window, kCommDebugClass);
        if (debug && debug->Font()) dc->SelectFont(*debug->Font());
        const int width = dc->GetTextExtent(text).cx + 32;
        ui::ReleaseDC(list, dc);
        if (width > ui::SendMessage(list, ui::LB_GETHORIZONTALEXTENT, 0, 0)) {
            ui::SendMessage(list, ui::LB_SETHORIZONTALEXTENT, ui::WParam(width), 0);
        }
    }
    ui::SendMessage(list, ui::LB_SETCARETINDEX, ui::WParam(index), 0);
}

ui::LResult TestWindowProc(ui::Hwnd window, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<TestWindow>(window, msg, w, l);
}

int CreateTestWindow(void* instance, ui::Hwnd owner) {
    if (!RegisterDebugClass(kTestClass, TestWindowProc, instance, ui::Rgb(255, 255, 255))) return 0;
    const ui::Hwnd h =
        ui::CreateWindowEx(0, kTestClass, "TEST", ui::WS_OVERLAPPEDWINDOW | ui::WS_VISIBLE, 0, 0,
                           640, 480, owner, 0, instance, nullptr);
    return h ? 1 : 0;
}

void SetFrameTitleFormatted(const char* format, ...) {
    if (format == nullptr) return;
    char text[513];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    text[core::SjisCutLength(text, 512)] = '\0';
    if (const ui::Hwnd frame = GetWindowOfKind(WindowKind::FrameWnd)) ui::SetWindowText(frame, text);
}

int ShowHostAddresses(const char* hostName) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    const int error = ::getaddrinfo(hostName ? hostName : "", nullptr, &hints, &found);
    if (error != 0 || found == nullptr) {
        char text[64];
        std::snprintf(text, sizeof text, "gethostbyname failed: %d", error);
        ui::MessageBox({}, text, "IP Address", ui::MB_OK);
        return 0;
    }
    for (addrinfo* a = found; a; a = a->ai_next) {
        char address[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        ::inet_ntop(AF_INET, &in->sin_addr, address, sizeof address);
        char text[128];
        std::snprintf(text, sizeof text, "IP address is: '%s'", address);
        ui::MessageBox({}, text, "IP Address", ui::MB_OK);
    }
    ::freeaddrinfo(found);
    return 0;
}

}  // namespace zv::shell
