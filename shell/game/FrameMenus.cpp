#include "shell/game/FrameMenus.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "framework/ProcessState.h"
#include "shell/WindowMessages.h"
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

// What GetMenuItemID answers for a pop-up or a position without an item.
constexpr uint32_t kNoMenuItemId = 0xFFFFFFFFu;

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
        ui::SendMessage(frame, WM_MUSIC_CONTROL, kMusicClose, 0);
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

// How a command runs, and the check mark its item carries.
enum class Route : std::uint8_t {
    Own,         // the frame carries it out (the row's run)
    HandedOver,  // another part of the program installs its handler; greyed until then
    Toggle,      // shows or hides the row's window kind
    Forward,     // the map window carries it out
};
enum class Check : std::uint8_t {
    None,
    Window,     // on while its window is visible
    Option,     // on while the option the command flips is on
    OneOf,      // the one chosen of the items first..last
    MapAnswer,  // what the map window answers
};

struct CommandRow {
    FrameCommandId id;
    const char* text;  // the item's text; a menu may name it otherwise
    Route route;
    Check check;
    WindowKind kind;     // Toggle: the window
    bool needsDocument;  // live only while a map document is open
    bool needsMap;       // Toggle: live only while the map window is visible
    FrameCommandId first, last;  // OneOf: the group
    // Own: carries the command out; for an Option row, returns whether the option is now on.
    int (*run)(ui::Hwnd frame);
    bool (*available)();  // Own: when the command can run (null: always)
};

constexpr CommandRow Own(FrameCommandId id, const char* text, int (*run)(ui::Hwnd), bool (*available)() = nullptr) {
    return {id, text, Route::Own, Check::None, WindowKind::FrameWnd, false, false, id, id, run, available};
}
constexpr CommandRow OwnOption(FrameCommandId id, const char* text, int (*run)(ui::Hwnd)) {
    return {id, text, Route::Own, Check::Option, WindowKind::FrameWnd, false, false, id, id, run, nullptr};
}
constexpr CommandRow HandedOver(FrameCommandId id, const char* text, bool needsDocument = false) {
    return {id, text, Route::HandedOver, Check::None, WindowKind::FrameWnd, needsDocument, false, id, id, nullptr, nullptr};
}
constexpr CommandRow Toggle(FrameCommandId id, const char* text, WindowKind kind, bool needsDocument = false,
                            bool needsMap = false) {
    return {id, text, Route::Toggle, Check::Window, kind, needsDocument, needsMap, id, id, nullptr, nullptr};
}
constexpr CommandRow Forward(FrameCommandId id, const char* text, Check check = Check::None, FrameCommandId first = {},
                             FrameCommandId last = {}) {
    return {id, text, Route::Forward, check, WindowKind::FrameWnd, false, false, first, last, nullptr, nullptr};
}

bool Never() { return false; }
bool HasMdiClient() { return static_cast<bool>(GetWindowOfKind(WindowKind::MdiWnd)); }
bool HasTables() {
    GameWorld* w = CurrentGameWorld();
    return w != nullptr && w->tables != nullptr;
}
bool HasSimulation() { return Sim() != nullptr; }

template <rules::CsvExportTable table>
int Export(ui::Hwnd frame) {
    ExportCsv(frame, table);
    return 0;
}
template <int (*get)(), int (*put)(int)>
int FlipOption(ui::Hwnd) {
    return Flip(get, put);
}

int MdiCommand(uint32_t msg, ui::WParam how) {
    ui::SendMessage(GetWindowOfKind(WindowKind::MdiWnd), msg, how, 0);
    return 0;
}

int Nothing(ui::Hwnd) { return 0; }

constexpr Check kRoutes = Check::MapAnswer;
constexpr Check kStyle = Check::OneOf;

const CommandRow kCommands[] = {
    // File.
    HandedOver(kCmdCorpsEditor, "部隊編成作成(&T)..."),
    HandedOver(kCmdNewMap, "新規作成(&N)"),
    HandedOver(kCmdOpenMap, "開く(&O)..."),
    HandedOver(kCmdImportMap, "ｲﾝﾀｰﾈｯﾄ版のﾏｯﾌﾟを開く"),
    HandedOver(kCmdCloseMapDocument, "閉じる(&C)", true),
    HandedOver(kCmdOverwriteMap, "上書き保存(&S)", true),
    HandedOver(kCmdSaveMapAs, "名前を付けて保存(&A)...", true),
    HandedOver(kCmdReturnToTitle, "タイトルに戻る"),
    HandedOver(kCmdSaveGame, "セーブ"),
    Own(kCmdQuit, "ゲーム終了(&Q)", [](ui::Hwnd frame) { return static_cast<int>(ui::SendMessage(frame, ui::WM_CLOSE, 0, 0)); }),
    // Edit.
    HandedOver(kCmdUndo, "やり直し(&U)"),
    HandedOver(kCmdRedo, "元に戻す(&R)"),
    HandedOver(kCmdMapSettings, "マップ設定(&S)..."),
    HandedOver(kCmdMapCheck, "マップチェック(&M)"),
    HandedOver(kCmdDeleteMapTroops, "ﾌｧｲﾙ内部隊データ削除"),
    // The windows.
    Toggle(kCmdSelToolCheck, "ツールパレット", WindowKind::SelToolWnd, true),
    Toggle(kCmdTerToolCheck, "地形パレット", WindowKind::TerToolWnd, true),
    Toggle(kCmdHqWindow, "ＨＱ画面", WindowKind::HqWnd, true),
    Toggle(kCmdLandBaseInfo, "地形基本情報", WindowKind::LandBaseInfoWnd, true),
    Toggle(kCmdMapInfo, "マップ情報", WindowKind::TableGroopWnd, true, true),
    Toggle(kCmdAreaInfo, "マップエリア別情報", WindowKind::AriaInfo, true),
    Toggle(kCmdCampInfo, "陣営情報", WindowKind::CampInfoWnd),
    Toggle(kCmdSiteList, "建物数一覧", WindowKind::SiteListWnd),
    Toggle(kCmdTroopNumList, "部隊数一覧", WindowKind::TroopNumListWnd),
    Toggle(kCmdTroopList, "部隊一覧", WindowKind::TroopListWnd),
    Toggle(kCmdUnitKindList, "兵器種類表", WindowKind::UnitKindListWnd),
    Toggle(kCmdLandList, "地形一覧", WindowKind::LandListWnd),
    Toggle(kCmdUnitList, "兵器一覧", WindowKind::UnitListWnd),
    Toggle(kCmdPanelManager, "パネル管理", WindowKind::PanelManeger, false, true),
    Toggle(kCmdNews, "ニュース", WindowKind::NewsWnd),
    Toggle(kCmdResult, "結果", WindowKind::ResultWnd),
    Toggle(kCmdTreeView, "ツリー表示", WindowKind::TreeViewWnd),
    Toggle(kCmdTreeView2, "ツリー表示2", WindowKind::TreeViewWnd2),
    Toggle(kCmdTroopListView, "部隊リスト表示", WindowKind::TroopListView),
    Toggle(kCmdGraspMap, "把握ﾏｯﾌﾟ", WindowKind::NowGraspWnd, false, true),
    // The map.
    Forward(kCmdHex16, "16×16", Check::OneOf, kCmdHex16, kCmdHex32),
    Forward(kCmdHex32, "32×32", Check::OneOf, kCmdHex16, kCmdHex32),
    Forward(kCmdMapSize, "地図サイズ切り替え"),
    Forward(kCmdHexFrame, "ヘックス枠", kRoutes),
    Forward(kCmdStyleMap, "地図", kStyle, kCmdStyleMap, kCmdStyleGreen),
    Forward(kCmdStyleWhite, "白地図", kStyle, kCmdStyleMap, kCmdStyleGreen),
    Forward(kCmdStyleBoard, "ボード版風", kStyle, kCmdStyleMap, kCmdStyleGreen),
    Forward(kCmdStyleGreen, "ｸﾞﾘｰﾝﾃﾞｨｽﾌﾟﾚｲ風", kStyle, kCmdStyleMap, kCmdStyleGreen),
    Forward(kCmdRouteAir, "航空機移動経路", kRoutes),
    Forward(kCmdRouteHeli, "ヘリ移動経路", kRoutes),
    Forward(kCmdRouteGround, "地上移動経路", kRoutes),
    Forward(kCmdRouteShip, "艦船移動経路", kRoutes),
    Forward(kCmdRouteDisplay, "移動経路表示"),
    Forward(kCmdCaptionNone, "部隊情報表示なし", kStyle, kCmdCaptionNone, kCmdCaptionArrival),
    Forward(kCmdCaptionName, "部隊名表示", kStyle, kCmdCaptionNone, kCmdCaptionArrival),
    Forward(kCmdCaptionState, "状態表示", kStyle, kCmdCaptionNone, kCmdCaptionArrival),
    Forward(kCmdCaptionContents, "部隊内容表示", kStyle, kCmdCaptionNone, kCmdCaptionArrival),
    Forward(kCmdCaptionArrival, "到着時刻", kStyle, kCmdCaptionNone, kCmdCaptionArrival),
    Forward(kCmdCycleTroopDisplay, "部隊情報表示切り替え"),
    Forward(kCmdRadarRange, "レーダー範囲表示", kRoutes),
    Forward(kCmdNewsContents, "ニュース内容表示", kRoutes),
    Forward(kCmdSupplyRoutes, "補給路表示", kRoutes),
    Forward(kCmdMapOption71, "", kRoutes),
    Forward(kCmdGraspSize, "把握地図サイズ切り替え"),
    Forward(kCmdRedraw, "再描画\tCtrl+F5"),
    // Development.
    Own(kCmdCascade, "重ねて表示", [](ui::Hwnd) { return MdiCommand(ui::WM_MDICASCADE, ui::MDITILE_SKIPDISABLED); },
        HasMdiClient),
    Own(kCmdTileVertical, "並べて表示(縦)", [](ui::Hwnd) { return MdiCommand(ui::WM_MDITILE, ui::MDITILE_VERTICAL); },
        HasMdiClient),
    Own(kCmdTileHorizontal, "並べて表示(横)",
        [](ui::Hwnd) { return MdiCommand(ui::WM_MDITILE, ui::MDITILE_HORIZONTAL); }, HasMdiClient),
    HandedOver(kCmdMapChooser, "マップ選択ウインドウ"),
    HandedOver(kCmdLoadMap, "マップを読み込む..."),
    HandedOver(kCmdWriteMap, "マップを書き出す..."),
    Own(kCmdCsvLandKind, "LandKind.csv", Export<rules::CsvExportTable::LandKind>, HasTables),
    Own(kCmdCsvSiteKind, "SiteKind.csv", Export<rules::CsvExportTable::SiteKind>, HasTables),
    Own(kCmdCsvUnitKind, "UnitKind.csv", Export<rules::CsvExportTable::UnitKind>, HasTables),
    Own(kCmdCsvWeaponKd, "WeaponKd.csv", Export<rules::CsvExportTable::WeaponKd>, HasTables),
    Own(kCmdCsvMvcostKd, "MvcostKd.csv", Export<rules::CsvExportTable::MvcostKd>, HasTables),
    Own(kCmdCsvUnitInfo, "UnitInfo.csv", Export<rules::CsvExportTable::UnitInfo>, HasTables),
    Own(kCmdCsvActionKd, "ActionKd.csv", Export<rules::CsvExportTable::ActionKd>, HasTables),
    Own(kCmdCsvDefencKd, "DefencKd.csv", Export<rules::CsvExportTable::DefencKd>, HasTables),
    HandedOver(kCmdTitleScreen, "タイトル画面"),
    HandedOver(kCmdPlacement, "部隊配置"),
    HandedOver(kCmdDebugCheck, "デバッグチェック"),
    HandedOver(kCmdAlliance, "同盟"),
    HandedOver(kCmdNetReturnToTitle, "タイトルに戻る(ネットワーク)"),
    HandedOver(kCmdNetSaveGame, "セーブ(ネットワーク)"),
    Own(kCmdThinkEnd, "思考終了通知",
        [](ui::Hwnd) {
            if (sim::Simulation* s = Sim()) s->NotifyExecuteThinkEnd();
            return 0;
        },
        HasSimulation),
    // Items that do nothing.
    Own(kCmdNothing, "(なし)", Nothing, Never),
    Own(kCmdNothing2, "(なし)", Nothing, Never),
    Own(kCmdTest, "テスト", Nothing, Never),
    // Fight display and sound.
    OwnOption(kCmdFightMine, "自国", FlipOption<GetFightMine, PutFightMine>),
    OwnOption(kCmdFightOther, "他国", FlipOption<GetFightOther, PutFightOther>),
    OwnOption(kCmdFightSimple, "簡易表示", FlipOption<GetFightSimple, PutFightSimple>),
    OwnOption(kCmdBgm, "BGM", [](ui::Hwnd frame) {
        ToggleMusic(frame);
        return GetBgm() == 1 ? 1 : 0;
    }),
    OwnOption(kCmdSound, "効果音", FlipOption<GetSound, PutSound>),
    // Help.
    Own(kCmdAbout, "この製品について", [](ui::Hwnd frame) { return static_cast<int>(Busy([&] { return ShowVersionDialog(frame); })); }),
    Own(kCmdHelp, "説明", [](ui::Hwnd frame) {
        OpenHelp(frame);
        return 0;
    }),
};

const CommandRow* FindCommand(int id) {
    for (const CommandRow& row : kCommands) {
        if (row.id == id) return &row;
    }
    return nullptr;
}

// A menu item of the table: its text, or the one this menu gives it.
ui::MenuItemTemplate Item(FrameCommandId id, const char* text = nullptr) {
    const CommandRow* row = FindCommand(id);
    return MenuCommand(id, text ? text : row ? row->text : "");
}

void ToggleKind(ui::Hwnd frame, const CommandRow& row) {
    ToggleWindowOfKind(frame, row.kind);
    CheckMenuByWindowVisible(GetWindowOfKind(row.kind), row.id);
}

ui::LResult RunToggle(ui::Hwnd frame, const CommandRow& row, ui::WParam w, ui::LParam l) {
    switch (row.id) {
        case kCmdCampInfo:
            ui::SendMessage(GetWindowOfKind(WindowKind::CampInfoWnd), WM_REFRESH_CAMP_INFO, 0, 0);
            break;
        case kCmdSiteList:
            ui::SendMessage(GetWindowOfKind(WindowKind::SiteListWnd), WM_REFRESH_SITE_INFO, 0, 0);
            break;
        case kCmdTroopNumList:
            ui::SendMessage(GetWindowOfKind(WindowKind::TroopNumListWnd), WM_REFRESH_TROOP_NUM, 0, 0);
            break;
        case kCmdHqWindow: {
            const ui::Hwnd hq = GetWindowOfKind(WindowKind::HqWnd);
            if (hq && ui::IsWindowVisible(hq)) {
                std::uint16_t hex[2] = {0, 0};
                ui::SendMessage(hq, WM_HQ_VIEW_RECT, 1, reinterpret_cast<ui::LParam>(hex));
            }
            break;
        }
        case kCmdMapInfo:
            if (!MapVisible()) return 1;
            ToggleKind(frame, row);
            RememberDockedWindows(frame);
            return 1;
        case kCmdPanelManager:
            if (!MapVisible()) return 1;
            ToggleWindowOfKind(frame, row.kind);
            RememberDockedWindows(frame);
            return 1;
        case kCmdGraspMap:
            ToggleKind(frame, row);
            ForwardToMapWindow(frame, ui::WM_COMMAND, w, l);
            RememberDockedWindows(frame);
            return 1;
        default:
            break;
    }
    ToggleKind(frame, row);
    return 1;
}

ui::LResult RunForward(ui::Hwnd frame, const CommandRow& row, ui::WParam w, ui::LParam l) {
    if (row.id == kCmdRedraw) {
        ForwardToMapWindow(frame, WM_MAP_REBUILD, w, l);
        if (const ui::Hwnd g = GetWindowOfKind(WindowKind::NowGraspWnd); g) {
            ui::SendMessage(g, WM_GRASP_REBUILD, 0, 0);
        }
        return 1;
    }
    if (row.check == Check::OneOf) CheckOneOf(frame, row.first, row.last, row.id);
    const ui::LResult r = ForwardToMapWindow(frame, ui::WM_COMMAND, w, l);
    if (row.check == Check::MapAnswer) CheckItem(frame, row.id, r != 0);
    if (row.id == kCmdGraspSize) RememberDockedWindows(frame);
    return 1;
}

void RegisterMenuTables() {
    const auto fileEditor = [] {
        return MenuPopup("ﾌｧｲﾙ(&F)", {Item(kCmdNewMap), Item(kCmdOpenMap), Item(kCmdImportMap),
                                       Item(kCmdCloseMapDocument), MenuSeparator(), Item(kCmdOverwriteMap), Item(kCmdSaveMapAs),
                                       MenuSeparator(), Item(kCmdCorpsEditor), MenuSeparator(),
                                       Item(kCmdQuit, "マップエディタ終了(&Q)")});
    };
    const auto edit = [] {
        return MenuPopup("編集(&E)", {Item(kCmdUndo), Item(kCmdRedo), MenuSeparator(), Item(kCmdMapSettings),
                                      Item(kCmdMapCheck), MenuSeparator(), Item(kCmdDeleteMapTroops)});
    };
    const auto mapEditor = [] {
        return MenuPopup("地図(&M)", {Item(kCmdHex16), Item(kCmdHex32), MenuSeparator(), Item(kCmdHexFrame),
                                      MenuSeparator(), Item(kCmdStyleMap), Item(kCmdStyleWhite), Item(kCmdStyleBoard),
                                      Item(kCmdStyleGreen), MenuSeparator(), Item(kCmdRouteAir), Item(kCmdRouteHeli),
                                      Item(kCmdRouteGround), Item(kCmdRouteShip), MenuSeparator(),
                                      Item(kCmdCaptionNone), Item(kCmdCaptionName), Item(kCmdCaptionState),
                                      Item(kCmdCaptionContents), Item(kCmdCaptionArrival), MenuSeparator(),
                                      Item(kCmdRadarRange), Item(kCmdNewsContents), Item(kCmdSupplyRoutes),
                                      MenuSeparator(), Item(kCmdRedraw)});
    };
    ui::MenuRegistry::Global().Add(ui::MenuTemplate{
        kMenuMapEditor,
        {fileEditor(), edit(),
         MenuPopup("表示(&L)", {Item(kCmdSelToolCheck), Item(kCmdTerToolCheck), Item(kCmdHqWindow),
                                Item(kCmdLandBaseInfo), Item(kCmdMapInfo), Item(kCmdAreaInfo),
                                Item(kCmdUnitKindList), Item(kCmdLandList), Item(kCmdUnitList)}),
         mapEditor(), MenuPopup("ヘルプ", {Item(kCmdAbout), Item(kCmdHelp)})}});

    ui::MenuRegistry::Global().Add(ui::MenuTemplate{
        kMenuGame,
        {MenuPopup("ﾌｧｲﾙ(&F)", {Item(kCmdReturnToTitle), Item(kCmdNewMap), Item(kCmdOpenMap), Item(kCmdCloseMapDocument),
                                MenuSeparator(), Item(kCmdOverwriteMap), Item(kCmdSaveMapAs), MenuSeparator(),
                                Item(kCmdSaveGame), Item(kCmdCorpsEditor), MenuSeparator(), Item(kCmdQuit)}),
         MenuPopup("表示(&L)", {Item(kCmdPanelManager), Item(kCmdMapInfo), Item(kCmdUnitKindList),
                                Item(kCmdLandList), Item(kCmdUnitList), Item(kCmdNews)}),
         MenuPopup("地図(&M)", {Item(kCmdMapSize), MenuSeparator(), Item(kCmdHexFrame), MenuSeparator(),
                                Item(kCmdStyleMap), Item(kCmdStyleWhite), Item(kCmdStyleBoard), Item(kCmdStyleGreen),
                                MenuSeparator(), Item(kCmdRouteDisplay), MenuSeparator(),
                                Item(kCmdCycleTroopDisplay), MenuSeparator(), Item(kCmdSupplyRoutes),
                                MenuSeparator(), Item(kCmdGraspMap), Item(kCmdGraspSize), MenuSeparator(),
                                Item(kCmdRedraw)}),
         MenuPopup("ヘルプ", {Item(kCmdAbout)})}});

    const auto fight = [] {
        return std::vector<ui::MenuItemTemplate>{Item(kCmdFightMine), Item(kCmdFightOther), Item(kCmdFightSimple)};
    };
    const auto sound = [] { return std::vector<ui::MenuItemTemplate>{Item(kCmdBgm), Item(kCmdSound)}; };
    ui::MenuRegistry::Global().Add(ui::MenuTemplate{
        kMenuSystem,
        {MenuPopup("システム", {Item(kCmdAlliance), MenuPopup("戦闘表示", fight()), MenuPopup("サウンド", sound()),
                                Item(kCmdSaveGame, "ゲーム保存"), Item(kCmdReturnToTitle),
                                Item(kCmdAbout, "バージョン情報"), MenuSeparator(), Item(kCmdQuit, "ゲーム終了")})}});
    ui::MenuRegistry::Global().Add(ui::MenuTemplate{kMenuFightDisplay, {MenuPopup("戦闘表示", fight())}});
    ui::MenuRegistry::Global().Add(ui::MenuTemplate{kMenuSound, {MenuPopup("サウンド", sound())}});

    // The development bar: the editor's menus with every further command the frame knows.
    ui::MenuItemTemplate file = fileEditor();
    file.popup.push_back(Item(kCmdTest));
    file.popup.push_back(Item(kCmdDeleteMapTroops));
    ui::MenuRegistry::Global().Add(ui::MenuTemplate{
        kMenuDevelopment,
        {file, edit(),
         MenuPopup("表示(&L)", {Item(kCmdSelToolCheck), Item(kCmdTerToolCheck), Item(kCmdHqWindow),
                                Item(kCmdLandBaseInfo), Item(kCmdCampInfo), Item(kCmdSiteList),
                                Item(kCmdTroopNumList), Item(kCmdTroopList), Item(kCmdUnitKindList),
                                Item(kCmdLandList), Item(kCmdUnitList), Item(kCmdGraspMap, "把握ﾏｯﾌﾟ(表示)")}),
         mapEditor(),
         MenuPopup("開発(&D)", {Item(kCmdCascade), Item(kCmdTileVertical), Item(kCmdTileHorizontal),
                                Item(kCmdMapChooser), MenuSeparator(), Item(kCmdLoadMap), Item(kCmdWriteMap),
                                MenuSeparator(), Item(kCmdCsvLandKind), Item(kCmdCsvSiteKind), Item(kCmdCsvUnitKind),
                                Item(kCmdCsvWeaponKd), Item(kCmdCsvMvcostKd), Item(kCmdCsvUnitInfo),
                                Item(kCmdCsvActionKd), Item(kCmdCsvDefencKd), MenuSeparator(), Item(kCmdTreeView),
                                Item(kCmdTreeView2), Item(kCmdTroopListView), Item(kCmdAreaInfo), Item(kCmdNews),
                                Item(kCmdResult), Item(kCmdPanelManager), Item(kCmdMapInfo), MenuSeparator(),
                                Item(kCmdTitleScreen), Item(kCmdPlacement), Item(kCmdDebugCheck), Item(kCmdAlliance),
                                Item(kCmdReturnToTitle), Item(kCmdSaveGame), Item(kCmdNetReturnToTitle),
                                Item(kCmdNetSaveGame), Item(kCmdThinkEnd), MenuSeparator(), Item(kCmdMapSize),
                                Item(kCmdRouteDisplay), Item(kCmdCycleTroopDisplay), Item(kCmdGraspSize),
                                MenuSeparator(), MenuPopup("戦闘表示", fight()), MenuPopup("サウンド", sound()),
                                Item(kCmdNothing), Item(kCmdNothing2)}),
         MenuPopup("ヘルプ", {Item(kCmdAbout), Item(kCmdHelp)})}});

    ui::AcceleratorRegistry::Global().Add(ui::AcceleratorTemplate{
        kFrameAccelerators,
        {{ui::FVIRTKEY | ui::FCONTROL, ui::VK_F5, kCmdRedraw}, {ui::FVIRTKEY | ui::FCONTROL, 'N', kCmdCtrlN}}});
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
        if (id == 0 || id == kNoMenuItemId) continue;
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

bool IsFrameCommand(int id) {
    return FindCommand(id) != nullptr;
}

bool IsFrameCommandAvailable(int id) {
    const CommandRow* row = FindCommand(id);
    if (row && row->needsDocument && !IsDocumentMode()) return false;
    if (const auto it = Handlers().find(id); it != Handlers().end()) {
        return it->second.available ? it->second.available() : true;
    }
    if (!row) return true;
    switch (row->route) {
        case Route::HandedOver:
            return false;
        case Route::Toggle:
            if (!GetWindowOfKind(row->kind)) return false;
            return row->needsMap ? MapVisible() : true;
        case Route::Forward:
            return static_cast<bool>(GetWindowOfKind(WindowKind::MapWnd));
        case Route::Own:
            return row->available ? row->available() : true;
    }
    return true;
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
    const CommandRow* row = FindCommand(id);
    if (!row) {
        *handled = false;
        return 0;
    }
    switch (row->route) {
        case Route::HandedOver:
            return 1;  // its item is greyed; a stray command does nothing
        case Route::Toggle:
            return RunToggle(frame, *row, w, l);
        case Route::Forward:
            return RunForward(frame, *row, w, l);
        case Route::Own:
            if (const int on = row->run(frame); row->check == Check::Option) CheckItem(frame, row->id, on != 0);
            return 1;
    }
    return 1;
}

int PlayMusicFile(const char* name) {
    const int bgm = GetBgm();
    if (bgm == 0) return bgm;
    const ui::Hwnd frame = GetWindowOfKind(WindowKind::FrameWnd);
    if (name == nullptr) {
        ui::SendMessage(frame, WM_MUSIC_CONTROL, kMusicClose, 0);
        return bgm;
    }
    const std::string path = std::string(fw::GetProgramDirectory()) + "\\" + name;
    ui::SendMessage(frame, WM_MUSIC_CONTROL, kMusicOpen, reinterpret_cast<ui::LParam>(path.c_str()));
    ui::SendMessage(frame, WM_MUSIC_CONTROL, kMusicPlay, 0);
    return bgm;
}

}  // namespace zv::shell
