#include "shell/game/FrameMenus.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "framework/ProcessState.h"
#include "mapview/MapMessages.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/files/CsvExport.h"
#include "rules/records/MapCursors.h"
#include "shell/Settings.h"
#include "shell/ShellDialogs.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/ShellOpen.h"
#include "shell/game/WindowClasses.h"
#include "simulation/Simulation.h"

namespace zv::shell {

namespace {

using ui::MenuCommand;
using ui::MenuPopup;
using ui::MenuSeparator;

struct InstalledCommand {
    FrameCommandHandler run;
    FrameCommandAvailable available;  // empty: available while installed
};

std::map<int, InstalledCommand>& Handlers() {
    static std::map<int, InstalledCommand> handlers;
    return handlers;
}

// The commands whose work belongs to another part of the program (the map document's file
// commands belong to the editor's document).
constexpr int kHandedOver[] = {40002, 40007, 40008, 40009, 40010, 40011, 40013, 40014, 40015,
                               40030, 40040, 40041, 40062, 40086, 40088, 40097, 40098, 40099,
                               40118, 40119, 40122, 40132, 40133};
// The items that need an open document.
constexpr int kDocumentItems[] = {40009, 40010, 40011, 40055, 40057, 40043, 40056, 40080, 40047};

struct Toggle {
    int command;
    WindowKind kind;
};
constexpr Toggle kToggles[] = {
    {40016, WindowKind::CampInfoWnd},     {40017, WindowKind::TroopListWnd},
    {40018, WindowKind::UnitListWnd},     {40019, WindowKind::UnitKindListWnd},
    {40020, WindowKind::LandListWnd},     {40042, WindowKind::SiteListWnd},
    {40043, WindowKind::HqWnd},           {40044, WindowKind::TroopNumListWnd},
    {40047, WindowKind::LandBaseInfoWnd}, {40055, WindowKind::SelToolWnd},
    {40056, WindowKind::TableGroopWnd},   {40057, WindowKind::TerToolWnd},
    {40063, WindowKind::TreeViewWnd},     {40079, WindowKind::TreeViewWnd2},
    {40080, WindowKind::AriaInfo},        {40081, WindowKind::TroopListView},
    {40084, WindowKind::NewsWnd},         {40087, WindowKind::ResultWnd},
    {40095, WindowKind::PanelManeger},    {40100, WindowKind::NowGraspWnd},
};

const Toggle* FindToggle(int command) {
    for (const Toggle& t : kToggles) {
        if (t.command == command) return &t;
    }
    return nullptr;
}

bool IsForwarded(int id) {
    return id == 40005 || id == 40006 || id == 40039 || (id >= 40058 && id <= 40061) ||
           (id >= 40064 && id <= 40077) || id == 40113 || id == 40115 || id == 40116 || id == 40117;
}

bool Contains(const int* begin, const int* end, int id) {
    return std::find(begin, end, id) != end;
}

bool MapVisible() {
    const ui::Hwnd map = GetWindowOfKind(WindowKind::MapWnd);
    return map && ui::IsWindowVisible(map);
}

sim::Simulation* Sim() {
    GameWorld* w = CurrentGameWorld();
    return w ? w->simulation : nullptr;
}

// Busy bit 0 keeps the clock from stepping while the player answers a box or a dialog.
template <typename Fn>
auto Busy(Fn&& fn) {
    if (sim::Simulation* s = Sim()) s->SetBusyBit(sim::kBusyDialog, 1);
    struct Clear {
        ~Clear() {
            if (sim::Simulation* s = Sim()) s->SetBusyBit(sim::kBusyDialog, 0);
        }
    } clear;
    return fn();
}

void CheckItem(ui::Hwnd frame, int command, bool on) {
    ui::CheckMenuItem(ui::GetMenu(frame), static_cast<uint32_t>(command),
                      ui::MF_BYCOMMAND | (on ? ui::MF_CHECKED : ui::MF_UNCHECKED));
}

void CheckOneOf(ui::Hwnd frame, int first, int last, int chosen) {
    for (int id = first; id <= last; ++id) CheckItem(frame, id, id == chosen);
}

int Flip(int (*get)(), int (*put)(int)) {
    const int v = get() == 1 ? 0 : 1;
    put(v);
    return v;
}

class BoxPrompt : public rules::CsvExportPrompt {
  public:
    explicit BoxPrompt(ui::Hwnd owner) : owner_(owner) {}
    bool Confirm(const std::string& caption, const std::string& text) override {
        return ui::MessageBox(owner_, core::Utf8ToSjis(text), core::Utf8ToSjis(caption), ui::MB_OKCANCEL) == ui::IDOK;
    }
    void Notify(const std::string& caption, const std::string& text) override {
        ui::MessageBox(owner_, core::Utf8ToSjis(text), core::Utf8ToSjis(caption), ui::MB_OK);
    }

  private:
    ui::Hwnd owner_;
};

void ExportCsv(ui::Hwnd frame, rules::CsvExportTable table) {
    GameWorld* w = CurrentGameWorld();
    if (!w || !w->tables) return;
    BoxPrompt prompt(frame);
    Busy([&] { return rules::ExportRuleTableCsv(*w->tables, table, fw::GetProgramDirectory(), prompt); });
}

void OpenHelp(ui::Hwnd frame) {
    const std::string page = std::string(fw::GetProgramDirectory()) + "\\help\\index.htm";
    if (ShellExecute(frame, "open", page, nullptr, nullptr, ui::SW_SHOWNORMAL) <= 32) {
        const std::string text = "説明を開けませんでした。\n" + LastShellExecuteError();
        ui::MessageBox(frame, core::Utf8ToSjis(text), core::Utf8ToSjis(kGameTitleUtf8), ui::MB_OK | ui::MB_ICONWARNING);
    }
}

void ToggleMusic(ui::Hwnd frame) {
    if (GetBgm() == 1) {
        PutBgm(0);
        ui::SendMessage(frame, WM_MUSIC_CONTROL, 3, 0);
        return;
    }
    PutBgm(1);
    GameWorld* w = CurrentGameWorld();
    if (!w || !w->tables) return;
    rules::CountryCursor country(*w->tables);
    if (!country.Select(fw::GetPlayerCountry())) return;
    const int number = country.GetFlag64();
    if (number < 1 || number > 10) return;
    char name[16];
    std::snprintf(name, sizeof(name), "BGM%02d.MID", number);
    PlayMusicFile(name);
}

void ToggleKind(ui::Hwnd frame, const Toggle& t) {
    ToggleWindowOfKind(frame, t.kind);
    CheckMenuByWindowVisible(GetWindowOfKind(t.kind), t.command);
}

ui::LResult RunToggle(ui::Hwnd frame, const Toggle& t, ui::WParam w, ui::LParam l) {
    switch (t.command) {
        case 40016:
            ui::SendMessage(GetWindowOfKind(WindowKind::CampInfoWnd), WM_REFRESH_CAMP_INFO, 0, 0);
            break;
        case 40042:
            ui::SendMessage(GetWindowOfKind(WindowKind::SiteListWnd), WM_REFRESH_SITE_INFO, 0, 0);
            break;
        case 40044:
            ui::SendMessage(GetWindowOfKind(WindowKind::TroopNumListWnd), WM_REFRESH_TROOP_NUM, 0, 0);
            break;
        case 40043: {
            const ui::Hwnd hq = GetWindowOfKind(WindowKind::HqWnd);
            if (hq && ui::IsWindowVisible(hq)) {
                std::uint16_t hex[2] = {0, 0};
                ui::SendMessage(hq, WM_HQ_VIEW_RECT, 1, reinterpret_cast<ui::LParam>(hex));
            }
            break;
        }
        case 40056:
            if (!MapVisible()) return 1;
            ToggleKind(frame, t);
            RememberDockedWindows(frame);
            return 1;
        case 40095:
            if (!MapVisible()) return 1;
            ToggleWindowOfKind(frame, t.kind);
            RememberDockedWindows(frame);
            return 1;
        case 40100:
            ToggleKind(frame, t);
            ForwardToMapWindow(frame, ui::WM_COMMAND, w, l);
            RememberDockedWindows(frame);
            return 1;
        default:
            break;
    }
    ToggleKind(frame, t);
    return 1;
}

ui::LResult RunForward(ui::Hwnd frame, int id, ui::WParam w, ui::LParam l) {
    if (id == 40039) {
        ForwardToMapWindow(frame, mapview::WM_MAP_REBUILD, w, l);
        if (const ui::Hwnd g = GetWindowOfKind(WindowKind::NowGraspWnd); g) {
            ui::SendMessage(g, mapview::WM_GRASP_REBUILD, 0, 0);
        }
        return 1;
    }
    if (id >= 40058 && id <= 40061) CheckOneOf(frame, 40058, 40061, id);
    if (id >= 40073 && id <= 40077) CheckOneOf(frame, 40073, 40077, id);
    if (id == 40005 || id == 40006) CheckOneOf(frame, 40005, 40006, id);
    const ui::LResult r = ForwardToMapWindow(frame, ui::WM_COMMAND, w, l);
    if (id >= 40064 && id <= 40072) CheckItem(frame, id, r != 0);
    if (id == 40117) RememberDockedWindows(frame);
    return 1;
}

// The frame's own commands; false for one it does not know.
bool RunBuiltin(ui::Hwnd frame, int id, ui::WParam w, ui::LParam l) {
    (void)w;
    (void)l;
    const ui::Hwnd client = GetWindowOfKind(WindowKind::MdiWnd);
    switch (id) {
        case 40012:
            ui::SendMessage(frame, ui::WM_CLOSE, 0, 0);
            return true;
        case 40026:
            Busy([&] { return ShowVersionDialog(frame); });
            return true;
        case 40027:
            ui::SendMessage(client, ui::WM_MDICASCADE, ui::MDITILE_SKIPDISABLED, 0);
            return true;
        case 40028:
            ui::SendMessage(client, ui::WM_MDITILE, ui::MDITILE_VERTICAL, 0);
            return true;
        case 40029:
            ui::SendMessage(client, ui::WM_MDITILE, ui::MDITILE_HORIZONTAL, 0);
            return true;
        case 40048: ExportCsv(frame, rules::CsvExportTable::LandKind); return true;
        case 40049: ExportCsv(frame, rules::CsvExportTable::SiteKind); return true;
        case 40050: ExportCsv(frame, rules::CsvExportTable::UnitKind); return true;
        case 40051: ExportCsv(frame, rules::CsvExportTable::WeaponKd); return true;
        case 40052: ExportCsv(frame, rules::CsvExportTable::MvcostKd); return true;
        case 40053: ExportCsv(frame, rules::CsvExportTable::UnitInfo); return true;
        case 40054: ExportCsv(frame, rules::CsvExportTable::ActionKd); return true;
        case 40089: ExportCsv(frame, rules::CsvExportTable::DefencKd); return true;
        case 40083:
            OpenHelp(frame);
            return true;
        case 40124: CheckItem(frame, id, Flip(GetFightSimple, PutFightSimple)); return true;
        case 40126: ToggleMusic(frame); CheckItem(frame, id, GetBgm() == 1); return true;
        case 40127: CheckItem(frame, id, Flip(GetSound, PutSound)); return true;
        case 40130: CheckItem(frame, id, Flip(GetFightMine, PutFightMine)); return true;
        case 40131: CheckItem(frame, id, Flip(GetFightOther, PutFightOther)); return true;
        case 40134:
            if (sim::Simulation* s = Sim()) s->NotifyExecuteThinkEnd();
            return true;
        case 40003:
        case 40082:
        case 40096:
            return true;
        default:
            return false;
    }
}

bool IsBuiltinAvailable(int id) {
    GameWorld* w = CurrentGameWorld();
    switch (id) {
        case 40003:
        case 40082:
        case 40096:
            return false;  // they do nothing
        case 40027:
        case 40028:
        case 40029:
            return static_cast<bool>(GetWindowOfKind(WindowKind::MdiWnd));
        case 40134:
            return Sim() != nullptr;
        case 40048: case 40049: case 40050: case 40051: case 40052: case 40053: case 40054:
        case 40089:
            return w != nullptr && w->tables != nullptr;
        default:
            return true;
    }
}

void RegisterMenuTables() {
    const auto fileEditor = [] {
        return MenuPopup("ﾌｧｲﾙ(&F)", {MenuCommand(40007, "新規作成(&N)"), MenuCommand(40008, "開く(&O)..."),
                                       MenuCommand(40097, "ｲﾝﾀｰﾈｯﾄ版のﾏｯﾌﾟを開く"), MenuCommand(40009, "閉じる(&C)"),
                                       MenuSeparator(), MenuCommand(40010, "上書き保存(&S)"),
                                       MenuCommand(40011, "名前を付けて保存(&A)..."), MenuSeparator(),
                                       MenuCommand(40002, "部隊編成作成(&T)..."), MenuSeparator(),
                                       MenuCommand(40012, "マップエディタ終了(&Q)")});
    };
    const auto edit = [] {
        return MenuPopup("編集(&E)", {MenuCommand(40013, "やり直し(&U)"), MenuCommand(40062, "元に戻す(&R)"),
                                      MenuSeparator(), MenuCommand(40014, "マップ設定(&S)..."),
                                      MenuCommand(40015, "マップチェック(&M)"), MenuSeparator(),
                                      MenuCommand(40099, "ﾌｧｲﾙ内部隊データ削除")});
    };
    const auto mapEditor = [] {
        return MenuPopup("地図(&M)", {MenuCommand(40005, "16×16"), MenuCommand(40006, "32×32"), MenuSeparator(),
                                      MenuCommand(40072, "ヘックス枠"), MenuSeparator(), MenuCommand(40058, "地図"),
                                      MenuCommand(40059, "白地図"), MenuCommand(40060, "ボード版風"),
                                      MenuCommand(40061, "ｸﾞﾘｰﾝﾃﾞｨｽﾌﾟﾚｲ風"), MenuSeparator(),
                                      MenuCommand(40064, "航空機移動経路"), MenuCommand(40065, "ヘリ移動経路"),
                                      MenuCommand(40066, "地上移動経路"), MenuCommand(40067, "艦船移動経路"),
                                      MenuSeparator(), MenuCommand(40073, "部隊情報表示なし"),
                                      MenuCommand(40074, "部隊名表示"), MenuCommand(40075, "状態表示"),
                                      MenuCommand(40076, "部隊内容表示"), MenuCommand(40077, "到着時刻"),
                                      MenuSeparator(), MenuCommand(40068, "レーダー範囲表示"),
                                      MenuCommand(40069, "ニュース内容表示"), MenuCommand(40070, "補給路表示"),
                                      MenuSeparator(), MenuCommand(40039, "再描画\tCtrl+F5")});
    };
    ui::MenuRegistry::Global().Add(ui::MenuTemplate{
        kMenuMapEditor,
        {fileEditor(), edit(),
         MenuPopup("表示(&L)", {MenuCommand(40055, "ツールパレット"), MenuCommand(40057, "地形パレット"),
                                MenuCommand(40043, "ＨＱ画面"), MenuCommand(40047, "地形基本情報"),
                                MenuCommand(40056, "マップ情報"), MenuCommand(40080, "マップエリア別情報"),
                                MenuCommand(40019, "兵器種類表"), MenuCommand(40020, "地形一覧"),
                                MenuCommand(40018, "兵器一覧")}),
         mapEditor(),
         MenuPopup("ヘルプ", {MenuCommand(40026, "この製品について"), MenuCommand(40083, "説明")})}});

    ui::MenuRegistry::Global().Add(ui::MenuTemplate{
        kMenuGame,
        {MenuPopup("ﾌｧｲﾙ(&F)", {MenuCommand(40118, "タイトルに戻る"), MenuCommand(40007, "新規作成(&N)"),
                                MenuCommand(40008, "開く(&O)..."), MenuCommand(40009, "閉じる(&C)"), MenuSeparator(),
                                MenuCommand(40010, "上書き保存(&S)"), MenuCommand(40011, "名前を付けて保存(&A)..."),
                                MenuSeparator(), MenuCommand(40119, "セーブ"), MenuCommand(40002, "部隊編成作成(&T)..."),
                                MenuSeparator(), MenuCommand(40012, "ゲーム終了(&Q)")}),
         MenuPopup("表示(&L)", {MenuCommand(40095, "パネル管理"), MenuCommand(40056, "マップ情報"),
                                MenuCommand(40019, "兵器種類表"), MenuCommand(40020, "地形一覧"),
                                MenuCommand(40018, "兵器一覧"), MenuCommand(40084, "ニュース")}),
         MenuPopup("地図(&M)", {MenuCommand(40113, "地図サイズ切り替え"), MenuSeparator(), MenuCommand(40072, "ヘックス枠"),
                                MenuSeparator(), MenuCommand(40058, "地図"), MenuCommand(40059, "白地図"),
                                MenuCommand(40060, "ボード版風"), MenuCommand(40061, "ｸﾞﾘｰﾝﾃﾞｨｽﾌﾟﾚｲ風"), MenuSeparator(),
                                MenuCommand(40115, "移動経路表示"), MenuSeparator(),
                                MenuCommand(40116, "部隊情報表示切り替え"), MenuSeparator(),
                                MenuCommand(40070, "補給路表示"), MenuSeparator(), MenuCommand(40100, "把握ﾏｯﾌﾟ"),
                                MenuCommand(40117, "把握地図サイズ切り替え"), MenuSeparator(),
                                MenuCommand(40039, "再描画\tCtrl+F5")}),
         MenuPopup("ヘルプ", {MenuCommand(40026, "この製品について")})}});

    const auto fight = [] {
        return std::vector<ui::MenuItemTemplate>{MenuCommand(40130, "自国"), MenuCommand(40131, "他国"),
                                                 MenuCommand(40124, "簡易表示")};
    };
    const auto sound = [] {
        return std::vector<ui::MenuItemTemplate>{MenuCommand(40126, "BGM"), MenuCommand(40127, "効果音")};
    };
    ui::MenuRegistry::Global().Add(ui::MenuTemplate{
        kMenuSystem,
        {MenuPopup("システム", {MenuCommand(40122, "同盟"), MenuPopup("戦闘表示", fight()), MenuPopup("サウンド", sound()),
                                MenuCommand(40119, "ゲーム保存"), MenuCommand(40118, "タイトルに戻る"),
                                MenuCommand(40026, "バージョン情報"), MenuSeparator(), MenuCommand(40012, "ゲーム終了")})}});
    ui::MenuRegistry::Global().Add(ui::MenuTemplate{kMenuFightDisplay, {MenuPopup("戦闘表示", fight())}});
    ui::MenuRegistry::Global().Add(ui::MenuTemplate{kMenuSound, {MenuPopup("サウンド", sound())}});

    // The development bar: the editor's menus with every further command the frame knows.
    ui::MenuItemTemplate file = fileEditor();
    file.popup.push_back(MenuCommand(40082, "テスト"));
    file.popup.push_back(MenuCommand(40099, "ﾌｧｲﾙ内部隊データ削除"));
    ui::MenuRegistry::Global().Add(ui::MenuTemplate{
        kMenuDevelopment,
        {file, edit(),
         MenuPopup("表示(&L)", {MenuCommand(40055, "ツールパレット"), MenuCommand(40057, "地形パレット"),
                                MenuCommand(40043, "ＨＱ画面"), MenuCommand(40047, "地形基本情報"),
                                MenuCommand(40016, "陣営情報"), MenuCommand(40042, "建物数一覧"),
                                MenuCommand(40044, "部隊数一覧"), MenuCommand(40017, "部隊一覧"),
                                MenuCommand(40019, "兵器種類表"), MenuCommand(40020, "地形一覧"),
                                MenuCommand(40018, "兵器一覧"), MenuCommand(40100, "把握ﾏｯﾌﾟ(表示)")}),
         mapEditor(),
         MenuPopup("開発(&D)", {MenuCommand(40027, "重ねて表示"), MenuCommand(40028, "並べて表示(縦)"),
                                MenuCommand(40029, "並べて表示(横)"), MenuCommand(40030, "マップ選択ウインドウ"),
                                MenuSeparator(), MenuCommand(40040, "マップを読み込む..."),
                                MenuCommand(40041, "マップを書き出す..."), MenuSeparator(),
                                MenuCommand(40048, "LandKind.csv"), MenuCommand(40049, "SiteKind.csv"),
                                MenuCommand(40050, "UnitKind.csv"), MenuCommand(40051, "WeaponKd.csv"),
                                MenuCommand(40052, "MvcostKd.csv"), MenuCommand(40053, "UnitInfo.csv"),
                                MenuCommand(40054, "ActionKd.csv"), MenuCommand(40089, "DefencKd.csv"),
                                MenuSeparator(), MenuCommand(40063, "ツリー表示"), MenuCommand(40079, "ツリー表示2"),
                                MenuCommand(40081, "部隊リスト表示"), MenuCommand(40080, "マップエリア別情報"),
                                MenuCommand(40084, "ニュース"), MenuCommand(40087, "結果"),
                                MenuCommand(40095, "パネル管理"), MenuCommand(40056, "マップ情報"),
                                MenuSeparator(), MenuCommand(40086, "タイトル画面"), MenuCommand(40088, "部隊配置"),
                                MenuCommand(40098, "デバッグチェック"), MenuCommand(40122, "同盟"),
                                MenuCommand(40118, "タイトルに戻る"), MenuCommand(40119, "セーブ"),
                                MenuCommand(40132, "タイトルに戻る(ネットワーク)"), MenuCommand(40133, "セーブ(ネットワーク)"),
                                MenuCommand(40134, "思考終了通知"), MenuSeparator(),
                                MenuCommand(40113, "地図サイズ切り替え"), MenuCommand(40115, "移動経路表示"),
                                MenuCommand(40116, "部隊情報表示切り替え"), MenuCommand(40117, "把握地図サイズ切り替え"),
                                MenuSeparator(), MenuPopup("戦闘表示", fight()), MenuPopup("サウンド", sound()),
                                MenuCommand(40003, "(なし)"), MenuCommand(40096, "(なし)")}),
         MenuPopup("ヘルプ", {MenuCommand(40026, "この製品について"), MenuCommand(40083, "説明")})}});

    ui::AcceleratorRegistry::Global().Add(ui::AcceleratorTemplate{
        kFrameAccelerators,
        {{ui::FVIRTKEY | ui::FCONTROL, ui::VK_F5, 40039}, {ui::FVIRTKEY | ui::FCONTROL, 'N', 40001}}});
}

void UpdateItems(ui::Hmenu menu) {
    const int n = ui::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        const ui::Hmenu sub = ui::GetSubMenu(menu, i);
        if (sub) {
            UpdateItems(sub);
            continue;
        }
        const uint32_t id = ui::GetMenuItemID(menu, i);
        if (id == 0 || id == 0xFFFFFFFFu) continue;
        const bool on = IsFrameCommandAvailable(static_cast<int>(id));
        ui::EnableMenuItem(menu, static_cast<uint32_t>(i),
                           ui::MF_BYPOSITION | (on ? ui::MF_ENABLED : ui::MF_GRAYED | ui::MF_DISABLED));
    }
}

}  // namespace

void RegisterFrameMenus() {
    static const bool once = [] {
        RegisterMenuTables();
        return true;
    }();
    (void)once;
}

void SetFrameCommandHandler(int command, FrameCommandHandler handler, FrameCommandAvailable available) {
    if (handler) {
        Handlers()[command] = {std::move(handler), std::move(available)};
    } else {
        Handlers().erase(command);
    }
}

void ClearFrameCommandHandlers() {
    Handlers().clear();
}

bool IsFrameCommandAvailable(int id) {
    if (Contains(std::begin(kDocumentItems), std::end(kDocumentItems), id) && !IsDocumentMode()) return false;
    if (const auto it = Handlers().find(id); it != Handlers().end()) {
        return it->second.available ? it->second.available() : true;
    }
    if (Contains(std::begin(kHandedOver), std::end(kHandedOver), id)) return false;
    if (const Toggle* t = FindToggle(id)) {
        if (!GetWindowOfKind(t->kind)) return false;
        if (id == 40056 || id == 40095 || id == 40100) return MapVisible();
        return true;
    }
    if (IsForwarded(id)) return static_cast<bool>(GetWindowOfKind(WindowKind::MapWnd));
    return IsBuiltinAvailable(id);
}

void UpdateFrameMenuItems(ui::Hwnd frame) {
    const ui::Hmenu menu = ui::GetMenu(frame);
    if (!menu) return;
    UpdateItems(menu);
    // The third bar item follows the document mode as a whole.
    ui::EnableMenuItem(menu, 2, ui::MF_BYPOSITION | (IsDocumentMode() ? ui::MF_ENABLED : ui::MF_GRAYED | ui::MF_DISABLED));
    ui::DrawMenuBar(frame);
}

ui::LResult HandleFrameCommand(ui::Hwnd frame, ui::WParam w, ui::LParam l, bool* handled) {
    const int id = static_cast<int>(ui::LoWord(static_cast<uintptr_t>(w)));
    *handled = true;
    if (const auto it = Handlers().find(id); it != Handlers().end()) return it->second.run(frame, w, l);
    // Its item is greyed; a stray command does nothing.
    if (Contains(std::begin(kHandedOver), std::end(kHandedOver), id)) return 1;
    if (const Toggle* t = FindToggle(id)) return RunToggle(frame, *t, w, l);
    if (IsForwarded(id)) return RunForward(frame, id, w, l);
    if (RunBuiltin(frame, id, w, l)) return 1;
    *handled = false;
    return 0;
}

int PlayMusicFile(const char* name) {
    const int bgm = GetBgm();
    if (bgm == 0) return bgm;
    const ui::Hwnd frame = GetWindowOfKind(WindowKind::FrameWnd);
    if (name == nullptr) {
        ui::SendMessage(frame, WM_MUSIC_CONTROL, 3, 0);
        return bgm;
    }
    const std::string path = std::string(fw::GetProgramDirectory()) + "\\" + name;
    ui::SendMessage(frame, WM_MUSIC_CONTROL, 0, reinterpret_cast<ui::LParam>(path.c_str()));
    ui::SendMessage(frame, WM_MUSIC_CONTROL, 1, 0);
    return bgm;
}

}  // namespace zv::shell
