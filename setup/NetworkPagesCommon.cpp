#include <arpa/inet.h>

#include <cstring>
#include <functional>
#include <map>
#include <mutex>

#include "framework/ProcessState.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "netplay/SessionManager.h"
#include "platform/core/Sjis.h"
#include "platform/ui/CanvasConstants.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "setup/NetworkPagesInternal.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "shell/WindowRegistry.h"
#include "shell/game/GameDocument.h"
#include "shell/game/WindowClasses.h"

namespace zv::setup {

namespace netpages {

std::string S(const char* utf8) { return core::Utf8ToSjis(utf8); }

namespace {

std::map<std::uint64_t, NetworkSetupBinding>& Bindings() {
    static std::map<std::uint64_t, NetworkSetupBinding> bindings;
    return bindings;
}

std::array<std::string, 6>& ParticipantNames() {
    static std::array<std::string, 6> names;
    return names;
}

}  // namespace

int Box(ui::Hwnd owner, const std::string& sjisText, std::uint32_t type) {
    return SetupMessageBox(owner, core::SjisToUtf8(sjisText).c_str(), type);
}

ui::Hwnd ContainerOf(ui::Hwnd page) { return ui::GetParent(page); }

net::SessionManager* SessionOf(ui::Hwnd page) { return NetworkSetupOf(page).session; }

bool IsHostPage(ui::Hwnd page) {
    net::SessionManager* m = SessionOf(page);
    return m && m->IsHost();
}

bool NetworkFromSave(ui::Hwnd page) {
    net::SessionManager* m = SessionOf(page);
    if (m && m->IsHost()) {
        std::int32_t fromSave = 0;
        GetChosenSetupFile(true, &fromSave);
        return fromSave != 0;
    }
    return m && m->GetNetFromSave() != 0;
}

rules::TableDirectory* TablesOf(ui::Hwnd page) {
    if (rules::TableDirectory* t = NetworkSetupOf(page).tables) return t;
    return LiveTables();
}

void NextPage(ui::Hwnd page, int newIndex, int oldIndex) {
    ui::SendMessage(ContainerOf(page), WM_SETUP_NEXT_PAGE, ui::WParam(newIndex), ui::LParam(oldIndex));
}

void PrevPage(ui::Hwnd page, int newIndex, int oldIndex) {
    ui::SendMessage(ContainerOf(page), WM_SETUP_PREV_PAGE, ui::WParam(newIndex), ui::LParam(oldIndex));
}

void SetFont(ui::Hwnd control, const ui::Font* font) {
    if (control && font) ui::SendMessage(control, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(font), 0);
}

ui::Hwnd CreateListBox(ui::Hwnd page, int id, int x, int y, int w, int h, const ui::Font* font) {
    const ui::Hwnd list = fw::CreateListBoxCtl(page, id, x, y, w, h, ui::LBS_NOTIFY | ui::WS_VSCROLL | ui::WS_BORDER);
    SetFont(list, font);
    return list;
}

ui::Hwnd CreateStatus(ui::Hwnd page, int id, int x, int y, int w, int h, const ui::Font* font) {
    const ui::Hwnd status = ui::CreateWindowEx(0, "STATIC", "", ui::WS_CHILD | ui::WS_VISIBLE | ui::SS_LEFT, x, y, w,
                                               h, page, id, nullptr, nullptr);
    SetFont(status, font);
    return status;
}

ui::LResult WhiteOnBlack(ui::WParam dc) {
    ui::LResult result = 0;
    AnswerWhiteLabel(dc, true, &result);
    return result;
}

std::string ListBoxText(ui::Hwnd list, int row) {
    const auto n = ui::SendMessage(list, ui::LB_GETTEXTLEN, ui::WParam(row), 0);
    if (n < 0) return {};
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    ui::SendMessage(list, ui::LB_GETTEXT, ui::WParam(row), reinterpret_cast<ui::LParam>(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}

void StoreParticipantName(int slot, const std::string& name) {
    if (slot < 0 || slot >= 6) return;
    ParticipantNames()[static_cast<std::size_t>(slot)] =
        name.substr(0, core::SjisCutLength(name, kParticipantNameRow - 1));
}

}  // namespace netpages

using namespace netpages;

void BindNetworkSetup(ui::Hwnd container, const NetworkSetupBinding& binding) {
    Bindings()[container.value] = binding;
}

void UnbindNetworkSetup(ui::Hwnd container) { Bindings().erase(container.value); }

NetworkSetupBinding NetworkSetupOf(ui::Hwnd pageOrContainer) {
    for (ui::Hwnd h = pageOrContainer; h; h = ui::GetParent(h)) {
        auto it = Bindings().find(h.value);
        if (it != Bindings().end()) return it->second;
    }
    NetworkSetupBinding program;
    program.session = fw::GetSessionManager();
    program.frame = shell::GetWindowOfKind(shell::WindowKind::FrameWnd);
    return program;
}

std::string GetLobbyPlayerName(int slot) {
    if (slot < 0 || slot >= 6) return {};
    return ParticipantNames()[static_cast<std::size_t>(slot)];
}

void LeaveSession() {
    if (net::SessionManager* m = NetworkSetupOf(GetMainMenuWindow()).session) m->Leave();
}

// ---- the address checks ----------------------------------------------------------------------

std::string CheckPortText(const std::string& text, std::uint16_t& port) {
    const char* bad = "ポート番号は１～６５５３５の数字で入力してください。";
    if (text.empty() || text.size() > 5) return bad;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return bad;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < 1 || value > 65535) return bad;
    port = static_cast<std::uint16_t>(value);
    return {};
}

std::string CheckAddressText(const std::string& text, std::string& address) {
    std::string t = text;
    while (!t.empty() && t.front() == ' ') t.erase(t.begin());
    while (!t.empty() && t.back() == ' ') t.pop_back();
    if (t.empty()) {
        address.clear();
        return {};
    }
    if (t == "localhost") {
        address = "127.0.0.1";
        return {};
    }
    unsigned char buffer[16];
    if (inet_pton(AF_INET, t.c_str(), buffer) == 1 || inet_pton(AF_INET6, t.c_str(), buffer) == 1) {
        address = t;
        return {};
    }
    return "アドレスが正しくありません。数字のアドレス（例：192.168.0.2）を入力してください。";
}

// ---- dialogs ---------------------------------------------------------------------------------

namespace {

constexpr std::uint32_t kDialogStyle = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_SYSMENU | ui::DS_MODALFRAME;
constexpr std::uint32_t kEditStyle = ui::WS_BORDER | ui::WS_TABSTOP | ui::ES_AUTOHSCROLL;

std::array<char, 18>& UserNameField() {
    static std::array<char, 18> field = [] {
        std::array<char, 18> f{};
        f.fill(' ');
        f[17] = '\0';
        return f;
    }();
    return field;
}

std::string& SessionNameField() {
    static std::string name;
    return name;
}

std::string Trimmed(const char* text, std::size_t limit) {
    std::string t(text, strnlen(text, limit));
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

// At most `limit` bytes, never half a double-byte character: a lead byte whose trail byte is
// missing (a name cut elsewhere) goes too.
std::string CutName(const std::string& text, std::size_t limit) {
    std::string cut = text.substr(0, core::SjisCutLength(text, limit));
    std::size_t i = 0;
    while (i < cut.size()) {
        const bool lead = core::IsSjisLeadByte(static_cast<unsigned char>(cut[i]));
        if (lead && i + 1 >= cut.size()) {
            cut.resize(i);
            break;
        }
        i += lead ? 2 : 1;
    }
    return cut;
}

void CentreOnScreen(ui::Hwnd dlg) {
    ui::Rect r{};
    ui::GetWindowRect(dlg, &r);
    fw::CenterWindowOnScreen(dlg, r.right - r.left, r.bottom - r.top, 0);
}

// An entry dialog: `fill` puts the entries in place, `accept` checks and takes them (false
// keeps the dialog up after its message). OK ends it with 1, Cancel and closing with 0.
struct EntryDialog {
    std::function<void(ui::Hwnd)> fill;
    std::function<bool(ui::Hwnd)> accept;
};

// The dialog window of an EntryDialog, which it gets with WM_INITDIALOG.
class EntryDialogWindow : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG: return OnInitDialog(l);
            case ui::WM_COMMAND: return OnCommand(ui::LoWord(w));
            case ui::WM_CLOSE:
                End(0);
                return 1;
            default: return 0;
        }
    }

  private:
    intptr_t OnInitDialog(ui::LParam l) {
        entry_ = reinterpret_cast<EntryDialog*>(l);
        if (entry_) entry_->fill(Handle());
        CentreOnScreen(Handle());
        return 1;
    }
    intptr_t OnCommand(int id) {
        if (id == ui::IDOK && entry_) {
            if (entry_->accept(Handle())) End(1);
            return 1;
        }
        if (id == ui::IDCANCEL) {
            End(0);
            return 1;
        }
        return 0;
    }

    EntryDialog* entry_ = nullptr;
};

intptr_t EntryDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<EntryDialogWindow>(dlg, msg, w, l);
}

// Dialogs 1104 and 1102: one name, cut to `limit` bytes on a character boundary.
int RunNameDialog(ui::Hwnd parent, int number, const std::string& initial, std::size_t limit, std::string& result) {
    RegisterNetworkPageDialogs();
    EntryDialog d;
    d.fill = [&](ui::Hwnd dlg) {
        ui::SetDlgItemText(dlg, kIdDialogEdit, CutName(initial, limit));
        ui::SendDlgItemMessage(dlg, kIdDialogEdit, ui::EM_LIMITTEXT, limit, 0);
    };
    d.accept = [&](ui::Hwnd dlg) {
        // Never half a double-byte character: a lead byte at the limit ends the text before it.
        result = CutName(ui::GetDlgItemText(dlg, kIdDialogEdit), limit);
        if (Trimmed(result.c_str(), result.size()).empty()) {
            Box(dlg, S("名前を入力してください。"));
            return false;
        }
        return true;
    };
    return ui::DialogBoxParam(nullptr, number, parent, EntryDialogProc, reinterpret_cast<ui::LParam>(&d)) == 1 ? 1 : 0;
}

}  // namespace

void RegisterNetworkPageDialogs() {
    auto& reg = ui::DialogRegistry::Global();
    const std::uint32_t button = ui::WS_TABSTOP;
    reg.Add(ui::MakeDialogTemplate(kUserNameDialog, "ユーザー名称", kDialogStyle, 180, 62,
                                   {{1300, "STATIC", "ユーザー名（全角８文字まで）", 8, 6, 164, 10, 0},
                                    {kIdDialogEdit, "EDIT", "", 8, 18, 164, 13, kEditStyle},
                                    {ui::IDOK, "BUTTON", "OK", 60, 40, 52, 14, button | ui::BS_DEFPUSHBUTTON},
                                    {ui::IDCANCEL, "BUTTON", "キャンセル", 118, 40, 54, 14, button}}));
    reg.Add(ui::MakeDialogTemplate(kCreateSessionDialog, "セッションの作成", kDialogStyle, 220, 62,
                                   {{1300, "STATIC", "セッション名", 8, 6, 204, 10, 0},
                                    {kIdDialogEdit, "EDIT", "", 8, 18, 204, 13, kEditStyle},
                                    {ui::IDOK, "BUTTON", "OK", 100, 40, 52, 14, button | ui::BS_DEFPUSHBUTTON},
                                    {ui::IDCANCEL, "BUTTON", "キャンセル", 158, 40, 54, 14, button}}));
    reg.Add(ui::MakeDialogTemplate(
        kAddressDialog, "接続先の指定", kDialogStyle, 220, 104,
        {{1300, "STATIC", "ホストのアドレス（ゲームを作るときは空欄）", 8, 6, 204, 10, 0},
         {kIdAddressEdit, "EDIT", "", 8, 18, 204, 13, kEditStyle},
         {1301, "STATIC", "ポート番号（１～６５５３５）", 8, 38, 204, 10, 0},
         {kIdPortEdit, "EDIT", "", 8, 50, 60, 13, kEditStyle},
         {ui::IDOK, "BUTTON", "OK", 100, 82, 52, 14, button | ui::BS_DEFPUSHBUTTON},
         {ui::IDCANCEL, "BUTTON", "キャンセル", 158, 82, 54, 14, button}}));
}

int ShowUserNameDialog(ui::Hwnd parent, char* name) {
    // The name may come from the log-on name, which has no such bound.
    const std::string start = name ? Trimmed(name, 18) : std::string();
    std::string result;
    const int ok = RunNameDialog(parent, kUserNameDialog, start, kDialogUserNameBytes, result);
    std::array<char, 18>& field = UserNameField();
    if (ok) {
        field.fill(' ');
        std::memcpy(field.data(), result.data(), result.size());
        field[result.size()] = '\0';
        field[17] = '\0';
    }
    if (name) std::memcpy(name, field.data(), field.size());
    return ok;
}

std::string GetDialogUserName() { return Trimmed(UserNameField().data(), 18); }

int ShowCreateSessionDialog(ui::Hwnd parent, const char* initialText) {
    std::string result;
    if (!RunNameDialog(parent, kCreateSessionDialog, initialText ? initialText : "", kSessionNameBytes, result)) return 0;
    SessionNameField() = result;
    return 1;
}

std::string GetSessionName() { return SessionNameField(); }

int ShowAddressDialog(ui::Hwnd parent, std::string& address, std::uint16_t& port) {
    RegisterNetworkPageDialogs();
    EntryDialog d;
    d.fill = [&](ui::Hwnd dlg) {
        ui::SetDlgItemText(dlg, kIdAddressEdit, address);
        ui::SetDlgItemText(dlg, kIdPortEdit, port ? std::to_string(port) : std::string());
    };
    d.accept = [&](ui::Hwnd dlg) {
        std::string typedAddress;
        std::uint16_t typedPort = 0;
        std::string error = CheckAddressText(ui::GetDlgItemText(dlg, kIdAddressEdit), typedAddress);
        if (error.empty()) error = CheckPortText(ui::GetDlgItemText(dlg, kIdPortEdit), typedPort);
        if (!error.empty()) {
            Box(dlg, S(error.c_str()));
            return false;
        }
        address = typedAddress;
        port = typedPort;
        return true;
    };
    return ui::DialogBoxParam(nullptr, kAddressDialog, parent, EntryDialogProc, reinterpret_cast<ui::LParam>(&d)) == 1 ? 1 : 0;
}

}  // namespace zv::setup
