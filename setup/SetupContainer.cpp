#include "setup/SetupContainer.h"
#include "setup/NetworkPages.h"
#include "setup/SetupInternal.h"
#include "setup/Conditions.h"
#include "setup/SinglePlayPages.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/ListViewRows.h"
#include "panels/PanelCommon.h"
#include "platform/ui/Canvas.h"
#include "framework/gui/WindowUtilities.h"
#include "mapview/MapWorld.h"
#include "mapview/OpeningDemo.h"
#include "netplay/SessionManager.h"
#include "platform/core/Sjis.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/GameContext.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/GameSettingsCursor.h"
#include "rules/records/MapRecords.h"
#include "shell/game/FrameMenus.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/TitleWindow.h"
#include "shell/game/WindowClasses.h"
#include "simulation/Simulation.h"

namespace zv::setup {

namespace {

// What the set-up shares with the rest of the program while the container is open and after.
struct SetupState {
    ui::Hwnd container{};
    ChosenSetupFile chosen[2]{};  // 0 single play, 1 network
    std::uint8_t savedGameChosen = 0;
    std::int32_t startFromSave = 0;
    int mainMenuOpen = 0;
    // The corps file entry chosen on a corps page (-1 none); the conditions page writes it.
    int selectedCorps = -1;
};

SetupState& State() {
    static SetupState state;
    return state;
}

struct Hooks {
    OpeningDemoRunner openingDemo;
    UserNameDialog userNameDialog;
    LobbyParticipantsFiller lobbyFiller;
    std::vector<std::pair<std::string, ui::WndProc>> extraClasses;
};

Hooks& TheHooks() {
    static Hooks hooks;
    return hooks;
}

// A container's pages by slot and the page it shows (kNoPage: none).
struct PageTable {
    std::array<ui::Hwnd, kSetupPageCount> pages{};
    std::uint8_t current = kNoPage;

    ui::Hwnd Page(int slot) const {
        return slot >= 0 && slot < kSetupPageCount ? pages[static_cast<std::size_t>(slot)] : ui::Hwnd{};
    }
};

// The page table of a container; null for any other window.
PageTable* PagesOf(ui::Hwnd container);

void ForgetChoice(ChosenSetupFile& file) {
    std::memset(file.name, ' ', sizeof file.name - 1);
    file.name[sizeof file.name - 1] = '\0';
}

void ResetBusy() {
    shell::GameWorld* world = shell::CurrentGameWorld();
    if (world && world->simulation) world->simulation->ResetBusyState();
}

// Creates a hidden page of the class into its slot; false when the class is unknown or the
// page refuses to be created.
bool CreatePage(ui::Hwnd container, int slot, const char* className, std::uint32_t extraStyle) {
    const ui::Hwnd page = ui::CreateWindowEx(
        0, className, "", ui::WS_CHILD | extraStyle, ui::CW_USEDEFAULT, ui::CW_USEDEFAULT,
        ui::CW_USEDEFAULT, ui::CW_USEDEFAULT, container, 0, nullptr, nullptr);
    if (PageTable* table = PagesOf(container)) table->pages[static_cast<std::size_t>(slot)] = page;
    return static_cast<bool>(page);
}

void DestroyPages(ui::Hwnd container, int first) {
    PageTable* table = PagesOf(container);
    if (!table) return;
    for (int i = kSetupPageCount - 1; i >= first; --i) {
        // A page's going may end the container's own (the program closing meanwhile).
        table = PagesOf(container);
        if (!table) return;
        const ui::Hwnd page = std::exchange(table->pages[static_cast<std::size_t>(i)], ui::Hwnd{});
        if (page) ui::DestroyWindow(page);
    }
}

// The set-up is done: every set-up window goes and the frame starts the prepared game.
void FinishSetup(ui::Hwnd container) {
    const ui::Hwnd frame = ui::GetWindow(container, ui::GW_OWNER);
    ui::ShowWindow(container, ui::SW_HIDE);
    DestroyPages(container, 0);
    ui::DestroyWindow(container);
    if (net::SessionManager* session = fw::GetSessionManager()) session->ClearReadyFlags();
    ui::PostMessage(frame, zv::WM_START_GAME, static_cast<ui::WParam>(GetStartFromSave()), 0);
}

// The player quits from the title: the pages, the container and then the frame go.
void QuitProgram(ui::Hwnd container) {
    const ui::Hwnd frame = ui::GetWindow(container, ui::GW_OWNER);
    DestroyPages(container, 0);
    ui::DestroyWindow(container);
    if (frame) ui::DestroyWindow(frame);
}

// Only the title page itself gives way to the map editor: a set-up road holds a session or a
// half-prepared game on its pages.
bool MayLeaveForEditor() {
    const PageTable* table = PagesOf(State().container);
    if (!table) return false;
    const ui::Hwnd title = table->Page(kPageTitle);
    return table->current == kPageTitle && title && ui::IsWindowVisible(title);
}

// The map editor has taken the frame: the title's music stops and every set-up window goes.
void LeaveForEditor(ui::Hwnd container) {
    shell::PlayMusicFile(nullptr);
    DestroyPages(container, 0);
    ui::DestroyWindow(container);
}

void OnTitleStart(ui::Hwnd container, ui::WParam lobby, ui::LParam block) {
    if (lobby == 0) {
        ShowSetupPage(container, kPageTitle, kNoPage);
        ResetBusy();
        return;
    }
    const PageTable* table = PagesOf(container);
    const ui::Hwnd title = table ? table->Page(kPageTitle) : ui::Hwnd{};
    if (!title || !ui::GetParent(title)) return;
    ResetBusy();
    if (rules::TableDirectory* tables = LiveTables()) {
        rules::GameSettingsCursor settings(*tables);
        settings.SetDeployment(1);
        settings.SetSinglePlay(0);
    }
    CreateMultiPlayPages(container);
    const ui::Hwnd participants = GetSetupPage(kPageNetParticipants);
    if (TheHooks().lobbyFiller && participants) TheHooks().lobbyFiller(participants, block);
    ui::SendMessage(container, WM_SETUP_NEXT_PAGE, kPageNetParticipants, kNoPage);
}

// The container of the pages: it holds their table.
class MainMenuContainer : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    PageTable& Pages() { return pages_; }

    ui::LResult Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
        case ui::WM_CREATE: return OnCreate();
        case zv::WM_TITLE_START:
            OnTitleStart(Handle(), w, l);
            return 0;
        case WM_SETUP_NEXT_PAGE:
            OnNextPage(static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(l));
            return 0;
        case WM_SETUP_PREV_PAGE:
            OnPrevPage(static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(l));
            return 0;
        case ui::WM_SIZE:
            OnSize();
            return Default(msg, w, l);
        case ui::WM_ENABLE:
            OnEnable(w != 0);
            return 0;
        case ui::WM_DESTROY:
            OnDestroy();
            return 0;
        default: return Default(msg, w, l);
        }
    }

  private:
    ui::LResult OnCreate() {
        SetupState& s = State();
        if (rules::TableDirectory* tables = LiveTables()) {
            rules::GameContext ctx(*tables, mapview::MapContextEnv());
            ctx.ResetAllGameTables();
        }
        s.container = Handle();
        if (!CreatePage(Handle(), kPageTitle, kTitlePageClass, 0)) {
            s.container = {};
            return -1;
        }
        s.chosen[0].fromSave = 0;
        s.chosen[1].fromSave = 0;
        s.mainMenuOpen = 1;
        ForgetChoice(s.chosen[0]);
        ForgetChoice(s.chosen[1]);
        shell::ResetGameState();
        WriteSettingsSinglePlay(1);
        s.savedGameChosen = 0;
        s.selectedCorps = -1;
        ui::SetWindowPos(Handle(), ui::HWND_TOP, 0, 0, 0, 0, ui::SWP_NOMOVE | ui::SWP_NOSIZE);
        return 0;
    }
    void OnNextPage(std::uint8_t target, std::uint8_t old) {
        ShowSetupPage(Handle(), target, old);
        if (target == kNoPage) FinishSetup(Handle());
    }
    void OnPrevPage(std::uint8_t target, std::uint8_t old) {
        ShowSetupPage(Handle(), target, old);
        if (target == kPageTitle) DestroyPages(Handle(), 1);
        if (target == kNoPage) QuitProgram(Handle());
    }
    // The frame may grow after the title opened (it is maximised last): the page keeps its place
    // in the middle.
    void OnSize() {
        if (const ui::Hwnd page = pages_.Page(pages_.current)) {
            fw::CenterWindowInParent(Handle(), page, kSetupPageWidth, kSetupPageHeight, ui::SWP_NOZORDER);
        }
    }
    // A modal dialog over the title (the corps editor, the name dialog, a box) holds the frame as
    // well: its menu bar above the title waits until the dialog is gone.
    void OnEnable(bool enable) {
        if (const ui::Hwnd frame = ui::GetWindow(Handle(), ui::GW_OWNER)) ui::EnableWindow(frame, enable);
    }
    void OnDestroy() {
        SetupState& s = State();
        s.mainMenuOpen = 0;
        // Pages are children and go with the container; their table goes with this object.
        pages_ = PageTable{};
        if (s.container == Handle()) s.container = {};
    }

    PageTable pages_;
};

PageTable* PagesOf(ui::Hwnd container) {
    MainMenuContainer* c = container ? ui::WindowObjectOf<MainMenuContainer>(container, kMainMenuClass) : nullptr;
    return c ? &c->Pages() : nullptr;
}

bool RegisterPageClass(const std::string& name, ui::WndProc proc) {
    return panels::RegisterPanelClass(name.c_str(), proc, false);
}

}  // namespace

rules::TableDirectory* LiveTables() {
    shell::GameWorld* world = shell::CurrentGameWorld();
    return world ? world->tables : nullptr;
}

void WriteSettingsSinglePlay(std::int32_t singlePlay) {
    if (rules::TableDirectory* tables = LiveTables()) {
        rules::GameSettingsCursor(*tables).SetSinglePlay(singlePlay);
    }
}

std::string CutSjisName(std::string_view text, std::size_t maxBytes) {
    // Stored names are terminated or blank-filled: the name ends at the terminator and loses
    // its trailing blanks.
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text.substr(0, core::SjisCutLength(text, maxBytes)));
}

std::unique_ptr<fw::Dib> LoadPagePicture(const char* fileName) {
    auto picture = std::make_unique<fw::Dib>(fileName);
    if (!picture->HasBits()) picture = fw::Dib::CreateBlank(kSetupPageWidth, kSetupPageHeight, nullptr);
    return picture;
}

ui::LResult SetupPage::Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
    switch (msg) {
    case ui::WM_PAINT:
        fw::PaintWindowFromBitmap(Handle(), background_.get());
        return 0;
    case ui::WM_ERASEBKGND:
        return 1;
    case ui::WM_DRAWITEM:
        fw::DrawOwnerDrawItem(Handle(), static_cast<int>(w), reinterpret_cast<const fw::DrawItemStruct*>(l), 10);
        return 1;
    case ui::WM_CTLCOLORBTN:
        if (!whiteButtons_) break;
        [[fallthrough]];
    case ui::WM_CTLCOLORSTATIC:
        if (ui::LResult r = 0; AnswerWhiteLabel(w, IsWhiteLabel(ui::GetDlgCtrlID(ui::HwndFromParam(l))), &r)) {
            return r;
        }
        return Default(msg, w, l);
    default:
        break;
    }
    return OnMessage(msg, w, l);
}

void SetupPage::LoadBasics(const char* picture) {
    font_ = std::make_unique<ui::Font>(fw::CreateJapaneseFont(12, 1, 1));
    background_ = LoadPagePicture(picture);
}

ui::LResult CallClassProcedure(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    ui::WindowClass wc;
    if (ui::GetClassInfo(ui::GetClassName(h), &wc) && wc.proc) return ui::CallWindowProc(wc.proc, h, msg, w, l);
    return ui::DefWindowProc(h, msg, w, l);
}

SetupPage* StoredSetupPage(ui::Hwnd page) {
    return reinterpret_cast<SetupPage*>(ui::GetWindowLongPtr(page, ui::GWLP_USERDATA));
}

void StoreSetupPage(ui::Hwnd page, SetupPage* object) {
    ui::SetWindowLongPtr(page, ui::GWLP_USERDATA, reinterpret_cast<intptr_t>(object));
}

bool AnswerWhiteLabel(ui::WParam w, bool isLabel, ui::LResult* result) {
    static const ui::Brush kBlack = ui::Brush::SolidColor(ui::Rgb(0, 0, 0));
    if (!isLabel) return false;
    if (auto* dc = reinterpret_cast<ui::Canvas*>(w)) {
        dc->SetTextColor(ui::Rgb(255, 255, 255));
        dc->SetBkMode(ui::TRANSPARENT);
    }
    *result = reinterpret_cast<ui::LResult>(&kBlack);
    return true;
}

namespace {
SetupMessageBoxHook& BoxHook() {
    static SetupMessageBoxHook hook;
    return hook;
}
}  // namespace

void SetSetupMessageBoxHook(SetupMessageBoxHook hook) { BoxHook() = std::move(hook); }

int SetupMessageBox(ui::Hwnd owner, const char* utf8Text, std::uint32_t type) {
    if (BoxHook()) return BoxHook()(owner, utf8Text, type);
    return ui::MessageBox(owner, core::Utf8ToSjis(utf8Text), shell::GetFrameTitle(), type);
}

// Page procedures of this module (their own files).
ui::LResult MainMenu1Proc(ui::Hwnd, std::uint32_t, ui::WParam, ui::LParam);

SetupPage* SetupPageOf(ui::Hwnd page) {
    // Only a window whose procedure is a page's own holds a page object in its user data.
    static constexpr ui::WndProc kPageProcedures[] = {
        &MainMenu1Proc,  &SinglePlay2Proc, &SinglePlay1Proc, &SinglePlay3Proc, &MultiPlay2Proc,
        &MultiPlay4Proc, &MultiPlay6Proc,  &MultiPlay5Proc,  &MultiPlay1Proc,  &MultiPlay7Proc};
    if (!page) return nullptr;
    const auto proc = reinterpret_cast<ui::WndProc>(ui::GetWindowLongPtr(page, ui::GWLP_WNDPROC));
    if (std::find(std::begin(kPageProcedures), std::end(kPageProcedures), proc) == std::end(kPageProcedures)) {
        return nullptr;
    }
    return StoredSetupPage(page);
}

int RegisterSetupWindowClasses() {
    ui::WindowClass existing;
    if (!ui::GetClassInfo(kMainMenuClass, &existing)) {
        ui::WindowClass wc;
        wc.name = kMainMenuClass;
        wc.proc = &ui::WindowObjectProc<MainMenuContainer>;
        wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
        wc.windowExtraBytes = 4;
        wc.hasBackground = true;
        wc.background = ui::Rgb(0, 0, 0);
        if (!ui::RegisterClass(wc)) return 0;
    }
    if (!RegisterPageClass(kTitlePageClass, &MainMenu1Proc)) return 0;
    if (!RegisterPageClass(kSingleFilePageClass, &SinglePlay2Proc)) return 0;
    if (!RegisterPageClass(kSingleCorpsPageClass, &SinglePlay1Proc)) return 0;
    if (!RegisterPageClass(kSingleConditionsPageClass, &SinglePlay3Proc)) return 0;
    for (const auto& [name, proc] : TheHooks().extraClasses) {
        if (!RegisterPageClass(name, proc)) return 0;
    }
    return 1;
}

ui::Hwnd CreateMainMenuWindow(ui::Hwnd parent) {
    // Over the frame's client area: the frame's menu bar stays in reach above the title.
    const ui::Rect r = shell::TitleWindowRect(parent);
    return ui::CreateWindowEx(0, kMainMenuClass, shell::GetFrameTitle(),
                              ui::WS_POPUP | ui::WS_VISIBLE | ui::WS_CLIPCHILDREN, r.left, r.top,
                              r.Width(), r.Height(), parent, 0, nullptr, nullptr);
}

int IsMainMenuOpen() { return State().mainMenuOpen; }

ui::Hwnd GetMainMenuWindow() { return State().container; }

void ShowSetupPage(ui::Hwnd container, std::uint8_t newIndex, std::uint8_t oldIndex) {
    PageTable* table = PagesOf(container);
    if (table) table->current = newIndex;
    if (newIndex == kPageNetConnection) {
        if (net::SessionManager* session = fw::GetSessionManager()) {
            session->Close();
            session->OpenTransport();
            const ui::Hwnd frame = ui::GetWindow(container, ui::GW_OWNER);
            if (frame) ui::SendMessage(frame, zv::WM_SET_NETWORK_TARGET, 0, 0);
        }
    }
    if (!table) return;
    if (const ui::Hwnd old = table->Page(oldIndex)) ui::SendMessage(old, WM_SHOW_PAGE, 0, 0);
    // Hiding the old page may have ended the set-up (the program closing meanwhile).
    table = PagesOf(container);
    if (const ui::Hwnd page = table ? table->Page(newIndex) : ui::Hwnd{}) {
        fw::CenterWindowInParent(container, page, kSetupPageWidth, kSetupPageHeight, ui::SWP_NOZORDER);
        ui::SendMessage(page, WM_SHOW_PAGE, 1, 0);
    }
}

ui::Hwnd GetSetupPage(int index) {
    const PageTable* table = PagesOf(State().container);
    return table ? table->Page(index) : ui::Hwnd{};
}

std::uint8_t GetCurrentSetupPage() {
    const PageTable* table = PagesOf(State().container);
    return table ? table->current : kNoPage;
}

int CreateSinglePlayPages(ui::Hwnd container) {
    constexpr std::uint32_t style = ui::WS_CLIPSIBLINGS | ui::WS_CLIPCHILDREN;
    if (!CreatePage(container, kPageSingleFile, kSingleFilePageClass, style)) return 0;
    if (!CreatePage(container, kPageSingleCorps, kSingleCorpsPageClass, style)) return 0;
    if (!CreatePage(container, kPageSingleConditions, kSingleConditionsPageClass, style)) return 0;
    return 1;
}

int CreateMultiPlayPages(ui::Hwnd container) {
    constexpr std::uint32_t style = ui::WS_CLIPSIBLINGS | ui::WS_CLIPCHILDREN;
    for (int i = 0; i < 6; ++i) {
        if (!CreatePage(container, kPageNetConnection + i, kMultiPlayPageClasses[i], style)) {
            return 0;
        }
    }
    return 1;
}

const char* GetChosenSetupFile(bool network, std::int32_t* fromSave) {
    const ChosenSetupFile& file = State().chosen[network ? 1 : 0];
    if (fromSave) *fromSave = file.fromSave;
    return file.name;
}

void SetChosenSetupFile(bool network, const char* name, std::int32_t fromSave) {
    ChosenSetupFile& file = State().chosen[network ? 1 : 0];
    ForgetChoice(file);
    if (name && *name) {
        const std::size_t n = std::min(std::strlen(name), sizeof file.name - 1);
        std::memcpy(file.name, name, n);
        file.name[n] = '\0';
    }
    file.fromSave = fromSave;
}

void SetChosenFromSave(bool network, std::int32_t fromSave) {
    State().chosen[network ? 1 : 0].fromSave = fromSave;
}

int GetSelectedCorpsFile() { return State().selectedCorps; }
void SetSelectedCorpsFile(int entry) { State().selectedCorps = entry; }

std::uint8_t GetSavedGameChosen() { return State().savedGameChosen; }
void SetSavedGameChosen(std::uint8_t chosen) { State().savedGameChosen = chosen; }
std::int32_t GetStartFromSave() { return State().startFromSave; }
void SetStartFromSave(std::int32_t fromSave) { State().startFromSave = fromSave; }

void CreateSetupButtons(ui::Hwnd page, const ui::Font* font, int style) {
    static constexpr const char* kCaptions[4][2] = {
        {"次へ", "戻る"}, {"決定", "キャンセル"}, {"次へ", "切断"}, {"決定", "切断"}};
    const int row = (style >= 0 && style < 4) ? style : 0;
    CreateTextButton(page, kIdSetupNext, 511, 371, 80, 20, 0,
                     core::Utf8ToSjis(kCaptions[row][0]).c_str(), font);
    CreateTextButton(page, kIdSetupBack, 411, 371, 80, 20, 0,
                     core::Utf8ToSjis(kCaptions[row][1]).c_str(), font);
}

void EnableSetupNextButton(ui::Hwnd page, bool enable) {
    ui::EnableWindow(ui::GetDlgItem(page, kIdSetupNext), enable);
}

void PlaceCorpsList(ui::Hwnd page, ui::Hwnd list, std::uint32_t flags) {
    ui::Rect client;
    if (!ui::GetClientRect(page, &client)) return;
    const int x = std::max(0, (client.Width() - kCorpsListWidth) / 2);
    const int y =
        std::max(0, (std::min(client.Height(), kSetupButtonBandTop) - kCorpsListHeight) / 2);
    ui::SetWindowPos(list, ui::HWND_TOP, x, y, kCorpsListWidth, kCorpsListHeight, flags);
}

ui::Hwnd CreateTextButton(ui::Hwnd page, int id, int x, int y, int w, int h, std::uint32_t style,
                          const char* caption, const ui::Font* font) {
    const ui::Hwnd button = fw::CreateButtonCtl(page, id, x, y, w, h, style);
    if (!button) return {};
    if (font) ui::SendMessage(button, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(font), 0);
    ui::SetWindowText(button, caption ? caption : "");
    return button;
}

ui::Hwnd CreateFileListView(ui::Hwnd page, int id, int x, int y, int w, int h,
                            const char* caption, const ui::Font* font) {
    const ui::Hwnd list =
        fw::CreateListViewCtl(page, id, x, y, w, h, ui::WS_BORDER | ui::LVS_OWNERDRAWFIXED);
    if (!list) return {};
    if (font) ui::SendMessage(list, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(font), 0);
    ui::Rect client{};
    ui::GetClientRect(list, &client);
    std::string text = caption ? caption : "";
    ui::LvColumn column;
    column.mask = ui::LVCF_TEXT | ui::LVCF_WIDTH;
    column.cx = client.right - client.left;
    column.pszText = text.data();
    ui::SendMessage(list, ui::LVM_INSERTCOLUMNA, 0, reinterpret_cast<ui::LParam>(&column));
    return list;
}

void SetFileListColumnTitle(ui::Hwnd page, int id, const char* caption) {
    std::string text = caption ? caption : "";
    ui::LvColumn column;
    column.mask = ui::LVCF_TEXT;
    column.pszText = text.data();
    ui::SendMessage(ui::GetDlgItem(page, id), ui::LVM_SETCOLUMNA, 0,
                    reinterpret_cast<ui::LParam>(&column));
}

void SetOpeningDemoRunner(OpeningDemoRunner runner) { TheHooks().openingDemo = std::move(runner); }

void SetUserNameDialog(UserNameDialog dialog) { TheHooks().userNameDialog = std::move(dialog); }

void SetLobbyParticipantsFiller(LobbyParticipantsFiller filler) {
    TheHooks().lobbyFiller = std::move(filler);
}

void AddSetupPageClass(const char* className, ui::WndProc procedure) {
    auto& classes = TheHooks().extraClasses;
    for (auto& entry : classes) {
        if (entry.first == className) {
            entry.second = procedure;
            return;
        }
    }
    classes.emplace_back(className, procedure);
}

void ResetSetupHooks() { TheHooks() = Hooks{}; }

// The title page's access to the hooks (TitlePage.cpp).
const OpeningDemoRunner& CurrentOpeningDemoRunner() { return TheHooks().openingDemo; }
const UserNameDialog& CurrentUserNameDialog() { return TheHooks().userNameDialog; }

void InstallSetupModule() {
    InstallNetworkPages();
    const auto& modules = shell::GameWindowModules();
    const bool added = std::any_of(modules.begin(), modules.end(),
                                   [](const shell::GameWindowModule& m) { return m.name == "setup"; });
    if (!added) shell::AddGameWindowModule({"setup", [] { return RegisterSetupWindowClasses() != 0; },
                                [](ui::Hwnd, ui::Hwnd) {}, [] {}});
    shell::SetTitleWindowFactory([](ui::Hwnd frame) { return CreateMainMenuWindow(frame); });
    shell::SetTitleLeaveHooks({[](ui::Hwnd) { return MayLeaveForEditor(); },
                               [](ui::Hwnd container) { LeaveForEditor(container); }});
    // A minute idle on the title plays the recorded battle.
    SetOpeningDemoRunner([](ui::Hwnd owner) { return mapview::RunOpeningDemo(owner); });
}

}  // namespace zv::setup
