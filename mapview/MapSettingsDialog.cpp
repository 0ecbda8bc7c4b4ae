#include "mapview/MapSettingsDialog.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <algorithm>
#include <vector>

#include "framework/ProcessState.h"
#include "mapview/MapWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/GameContext.h"
#include "rules/files/GameFileIo.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/ForceRecord.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/troops/Placement.h"

namespace zv::mapview {

namespace {

constexpr const char* kEditorCaption = "ﾏｯﾌﾟｴﾃﾞｨｯﾄ";
// A country's corps (the number of its corps file) when it has none.
constexpr std::uint16_t kNoCorps = rules::kNoForceFileNumber;
constexpr int kCorpsListDialog = 1381;
constexpr int kIdCorpsList = 1001;

constexpr uint32_t kDialogStyle = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_SYSMENU | ui::DS_MODALFRAME;
constexpr uint32_t kTab = ui::WS_TABSTOP;
constexpr uint32_t kCheck = ui::BS_AUTOCHECKBOX | ui::WS_TABSTOP;
constexpr uint32_t kEdit = ui::ES_AUTOHSCROLL | ui::WS_BORDER | ui::WS_TABSTOP;
constexpr uint32_t kCombo = ui::CBS_DROPDOWNLIST | ui::WS_VSCROLL | ui::WS_TABSTOP;

constexpr const char* kCountryColours[4] = {"青国", "赤国", "緑国", "黄国"};
constexpr const char* kPlacementEntries[7] = {"なし", "配置できる場所に全て配置", "建物の周りのみ配置",
                                              "司令部のみ配置", "高空部隊のみ配置", "地上部隊のみ配置",
                                              "海上部隊のみ配置"};
constexpr const char* kOrderEntries[6] = {"なし", "搭載命令", "補給命令", "占領命令", "直接攻撃命令", "間接攻撃命令"};
constexpr const char* kNumbers[10] = {"１.", "２.", "３.", "４.", "５.", "６.", "７.", "８.", "９.", "１０."};

// Dialog 138's working arrays, stored into the tables on OK.
struct Working {
    std::uint8_t alliance[4] = {};
    std::uint16_t corps[4] = {};
    std::uint8_t placement[4][6] = {};
    std::uint8_t orders[4][10] = {};
};

// Dialog 139's bytes while it is open.
struct ComputerBytes {
    std::string caption;
    std::uint8_t placement[6] = {};
    std::uint8_t orders[10] = {};
};

EditorMessageSink gSink;
CorpsChooser gChooser;

std::string Sjis(const std::string& utf8) { return core::Utf8ToSjis(utf8); }

rules::TableDirectory* Tables() {
    MapWorld* world = CurrentMapWorld();
    return world != nullptr ? world->tables : nullptr;
}

void AddLabel(std::vector<ui::DialogItem>& items, const char* text, int x, int y, int cx) {
    items.push_back({-1, "STATIC", text, x, y + 2, cx, 10, 0});
}

ui::DialogTemplate SettingsTemplate() {
    ui::DialogTemplate t;
    t.number = kMapSettingsDialog;
    t.title = "マップ設定";
    t.style = kDialogStyle;
    t.cx = 404;
    t.cy = 316;
    auto& it = t.items;
    AddLabel(it, "ﾏｯﾌﾟ名称：", 8, 6, 50);
    it.push_back({kIdMapTitle, "EDIT", "", 60, 6, 150, 12, kEdit});
    AddLabel(it, "ｺﾒﾝﾄ：", 8, 22, 50);
    it.push_back({kIdMapComment, "EDIT", "", 60, 22, 336, 26,
                  ui::ES_MULTILINE | ui::ES_AUTOVSCROLL | ui::WS_VSCROLL | ui::WS_BORDER | ui::WS_TABSTOP});
    it.push_back({kIdRulesChangeable, "BUTTON", "下記のルールをゲーム開始時に変更可能にする", 8, 54, 230, 10, kCheck});
    it.push_back({kIdSearchOption, "BUTTON", "索敵あり", 18, 68, 60, 10, kCheck});
    it.push_back({kIdAlliancesChange, "BUTTON", "同盟変更可能", 84, 68, 70, 10, kCheck});
    it.push_back({kIdProduction, "BUTTON", "ゲーム中の生産可能", 160, 68, 96, 10, kCheck});
    AddLabel(it, "時間：", 8, 84, 24);
    it.push_back({kIdDayLimit, "EDIT", "", 34, 84, 18, 12, kEdit});
    AddLabel(it, "日後の", 54, 84, 28);
    it.push_back({kIdHourLimit, "EDIT", "", 84, 84, 18, 12, kEdit});
    AddLabel(it, "時", 104, 84, 12);
    it.push_back({kIdDeployLimit, "EDIT", "", 150, 84, 18, 12, kEdit});
    AddLabel(it, "部隊、配置可能", 170, 84, 70);
    for (int i = 0; i < 4; ++i) {
        const int x = 4 + 100 * i, y = 102;
        ui::DialogItem group{kIdCountryGroup + i, "BUTTON", kCountryColours[i], x, y, 96, 188, ui::BS_GROUPBOX};
        group.mayOverlap = true;
        it.push_back(group);
        AddLabel(it, "名称：", x + 4, y + 10, 30);
        it.push_back({kIdCountryName + i, "EDIT", "", x + 4, y + 22, 88, 12, kEdit});
        it.push_back({kIdParticipation + i, "BUTTON", "戦線参加", x + 4, y + 38, 60, 10, kCheck});
        AddLabel(it, "軍事費", x + 4, y + 50, 40);
        AddLabel(it, "人間担当時", x + 4, y + 62, 42);
        it.push_back({kIdFunds + i, "EDIT", "", x + 48, y + 62, 44, 12, kEdit});
        AddLabel(it, "COM担当時", x + 4, y + 76, 42);
        it.push_back({kIdComputerFunds + i, "EDIT", "", x + 48, y + 76, 44, 12, kEdit});
        it.push_back({kIdCorpsButton + i, "BUTTON", "軍団選択", x + 4, y + 92, 88, 14, kTab});
        it.push_back({kIdBgm + i, "COMBOBOX", "", x + 4, y + 110, 88, 60, kCombo});
        AddLabel(it, "同盟", x + 4, y + 126, 30);
        for (int j = 0; j < 4; ++j)
            it.push_back({kIdAlliance + 4 * i + j, "BUTTON", kCountryColours[j], x + 4 + (j % 2) * 44,
                          y + 138 + (j / 2) * 12, 42, 10, kCheck});
        it.push_back({kIdDetails + i, "BUTTON", "詳細", x + 4, y + 168, 88, 14, kTab});
    }
    it.push_back({ui::IDOK, "BUTTON", "OK", 284, 296, 54, 14, kTab | ui::BS_DEFPUSHBUTTON});
    it.push_back({ui::IDCANCEL, "BUTTON", "ｷｬﾝｾﾙ", 344, 296, 54, 14, kTab});
    return t;
}

ui::DialogTemplate ComputerTemplate() {
    ui::DialogTemplate t;
    t.number = kComputerPlayerDialog;
    t.style = kDialogStyle;
    t.cx = 250;
    t.cy = 178;
    auto& it = t.items;
    AddLabel(it, "配置方法", 6, 4, 60);
    for (int n = 0; n < 6; ++n) {
        AddLabel(it, kNumbers[n], 6, 18 + 16 * n, 16);
        it.push_back({kIdPlacement + n, "COMBOBOX", "", 22, 18 + 16 * n, 114, 100, kCombo});
    }
    AddLabel(it, "思考パターン", 146, 4, 60);
    for (int n = 0; n < 10; ++n) {
        AddLabel(it, kNumbers[n], 144, 18 + 14 * n, 22);
        it.push_back({kIdOrder + n, "COMBOBOX", "", 168, 18 + 14 * n, 76, 90, kCombo});
    }
    it.push_back({ui::IDOK, "BUTTON", "OK", 24, 158, 54, 14, kTab | ui::BS_DEFPUSHBUTTON});
    it.push_back({ui::IDCANCEL, "BUTTON", "ｷｬﾝｾﾙ", 84, 158, 54, 14, kTab});
    return t;
}

ui::DialogTemplate CorpsListTemplate() {
    ui::DialogTemplate t;
    t.number = kCorpsListDialog;
    t.title = "軍団選択";
    t.style = kDialogStyle;
    t.cx = 200;
    t.cy = 150;
    t.items = {{kIdCorpsList, "LISTBOX", "", 8, 8, 184, 114, ui::LBS_NOTIFY | ui::WS_VSCROLL | ui::WS_BORDER | kTab},
               {ui::IDOK, "BUTTON", "OK", 80, 130, 54, 14, kTab | ui::BS_DEFPUSHBUTTON},
               {ui::IDCANCEL, "BUTTON", "ｷｬﾝｾﾙ", 138, 130, 54, 14, kTab}};
    return t;
}

void FillCombo(ui::Hwnd dlg, int id, const char* const* entries, int count, int selected) {
    for (int n = 0; n < count; ++n) {
        const std::string text = Sjis(entries[n]);
        ui::SendDlgItemMessage(dlg, id, ui::CB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(text.c_str()));
    }
    ui::SendDlgItemMessage(dlg, id, ui::CB_SETCURSEL, static_cast<ui::WParam>(selected), 0);
}

// The selection of a combo box as a byte: 255 when none is chosen.
std::uint8_t ComboByte(ui::Hwnd dlg, int id) {
    const ui::LResult sel = ui::SendDlgItemMessage(dlg, id, ui::CB_GETCURSEL, 0, 0);
    return sel < 0 ? 0xFF : static_cast<std::uint8_t>(sel);
}

// The number typed in an edit, when it is one.
std::optional<long long> NumberIn(ui::Hwnd dlg, int id) {
    std::string text = ui::GetDlgItemText(dlg, id);
    std::size_t a = text.find_first_not_of(" \t");
    std::size_t b = text.find_last_not_of(" \t");
    if (a == std::string::npos) return std::nullopt;
    text = text.substr(a, b - a + 1);
    std::size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i >= text.size() || text.size() - i > 12) return std::nullopt;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    return negative ? -v : v;
}

// An edit's text cut to the field's width without splitting a character.
std::string TextOf(ui::Hwnd dlg, int id, std::size_t width) {
    const std::string text = ui::GetDlgItemText(dlg, id);
    return text.substr(0, core::SjisCutLength(text, width));
}

// A troop 0-159 of the country is on the map or carried.
bool CountryHasMapTroops(rules::TableDirectory& tables, int country) {
    rules::TroopCursor troops(tables);
    for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t)
        if (troops.Select(t) && troops.GetRecord()->IsUsed() && troops.GetRecord()->Country() == country) return true;
    return false;
}

void Refuse(ui::Hwnd dlg, const std::string& text) { EditorMessageBox(dlg, text, kEditorCaption, ui::MB_OK); }

std::string ForceName(rules::TableDirectory& tables, int country) {
    rules::ForceCursor force(tables, static_cast<std::uint8_t>(country));
    force.SelectSlot(static_cast<std::uint8_t>(country));
    return force.GetName();
}


// ---- the default corps choice: the corps files of USER ----------------------------------------

struct CorpsEntry {
    std::uint16_t number;
    std::string label;  // Shift-JIS
};

std::vector<CorpsEntry> ListCorpsFiles() {
    std::vector<CorpsEntry> out;
    const std::string dir = fw::GetProgramDirectory();
    for (int n = 0; n < 100; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "useFrc%02d.prm", n);
        std::vector<std::uint8_t> head;
        if (!rules::ReadFileHead(rules::GamePath(dir, "USER", name), 16 + rules::ForceRecord::kNameSize, head))
            continue;
        if (head.size() < 16 + rules::ForceRecord::kNameSize) continue;
        std::string title(reinterpret_cast<const char*>(head.data() + 16), rules::ForceRecord::kNameSize);
        title = title.c_str();
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%02d: ", n);
        out.push_back({static_cast<std::uint16_t>(n), prefix + title});
    }
    return out;
}

// The list of the corps files; its result is the chosen file's number, kNoCorps for none.
class CorpsListDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog(static_cast<std::uint16_t>(l));
                return 1;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w), ui::HiWord(w));
            default:
                return 0;
        }
    }

  private:
    void OnInitDialog(std::uint16_t current) {
        entries_ = ListCorpsFiles();
        for (const CorpsEntry& e : entries_)
            ui::SendDlgItemMessage(Handle(), kIdCorpsList, ui::LB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(e.label.c_str()));
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].number == current) ui::SendDlgItemMessage(Handle(), kIdCorpsList, ui::LB_SETCURSEL, i, 0);
    }
    intptr_t OnCommand(int id, int code) {
        if (id == ui::IDOK || (id == kIdCorpsList && code == ui::LBN_DBLCLK)) {
            const ui::LResult sel = ui::SendDlgItemMessage(Handle(), kIdCorpsList, ui::LB_GETCURSEL, 0, 0);
            End(sel < 0 || static_cast<std::size_t>(sel) >= entries_.size() ? kNoCorps
                                                                             : entries_[static_cast<std::size_t>(sel)].number);
            return 1;
        }
        if (id == ui::IDCANCEL) {
            End(kNoCorps);
            return 1;
        }
        return 0;
    }

    std::vector<CorpsEntry> entries_;
};

intptr_t CorpsListProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<CorpsListDialog>(dlg, msg, w, l);
}

std::uint16_t ChooseCorpsFromUserFiles(ui::Hwnd owner, int country, std::uint16_t current) {
    rules::TableDirectory* tables = Tables();
    if (tables == nullptr) return kNoCorps;
    const intptr_t chosen = ui::DialogBoxParam(nullptr, kCorpsListDialog, owner, CorpsListProc, current);
    if (chosen < 0 || chosen == kNoCorps) return kNoCorps;
    char name[32];
    std::snprintf(name, sizeof name, "useFrc%02d.prm", static_cast<int>(chosen));
    rules::ForceCursor force(*tables, static_cast<std::uint8_t>(country));
    force.SelectSlot(static_cast<std::uint8_t>(country));
    const rules::FileStatus status = force.LoadUserForceFile(fw::GetProgramDirectory(), name);
    if (!status) {
        EditorMessageBox(owner, "軍団ファイルを読めませんでした: " + status.error, kEditorCaption, ui::MB_OK);
        return kNoCorps;
    }
    return static_cast<std::uint16_t>(chosen);
}

}  // namespace

void SetEditorMessageSink(EditorMessageSink sink) { gSink = std::move(sink); }

int EditorMessageBox(ui::Hwnd owner, const std::string& utf8Text, const std::string& utf8Caption, uint32_t type) {
    if (gSink) return gSink(owner, utf8Text, utf8Caption, type);
    return ui::MessageBox(owner, Sjis(utf8Text), Sjis(utf8Caption), type);
}

void SetCorpsChooser(CorpsChooser chooser) { gChooser = std::move(chooser); }


void RegisterMapSettingsDialogs() {
    auto& reg = ui::DialogRegistry::Global();
    reg.Add(SettingsTemplate());
    reg.Add(ComputerTemplate());
    reg.Add(CorpsListTemplate());
}

void EnableCountryControls(ui::Hwnd dlg, int i, bool enable) {
    for (int id : {kIdCountryName + i, kIdFunds + i, kIdComputerFunds + i, kIdCorpsButton + i, kIdBgm + i, kIdDetails + i})
        ui::EnableWindow(ui::GetDlgItem(dlg, id), enable);
    for (int j = 0; j < 4; ++j) ui::EnableWindow(ui::GetDlgItem(dlg, kIdAlliance + 4 * i + j), enable);
    // A country is always allied with itself: its own box never changes.
    if (enable) ui::EnableWindow(ui::GetDlgItem(dlg, kIdAlliance + 5 * i), false);
}

namespace {

// Stores every value of the dialog that passes its check; 0 when one was refused.
int StoreMapSettings(ui::Hwnd dlg, rules::TableDirectory& tables, const Working& work) {
    int ok = 1;
    rules::ScenarioHeaderCursor header(tables);
    header.SetTitle(TextOf(dlg, kIdMapTitle, 24));
    header.SetDescription(TextOf(dlg, kIdMapComment, 256));
    header.SetOptionByte1(ui::IsDlgButtonChecked(dlg, kIdSearchOption) ? 1 : 0);
    header.SetOptionWord(static_cast<std::uint16_t>((ui::IsDlgButtonChecked(dlg, kIdRulesChangeable) ? 1 : 0) |
                                                    (ui::IsDlgButtonChecked(dlg, kIdProduction) ? 2 : 0) |
                                                    (ui::IsDlgButtonChecked(dlg, kIdAlliancesChange) ? 4 : 0)));
    const auto day = NumberIn(dlg, kIdDayLimit);
    if (day && *day >= 0 && *day <= 99) {
        header.SetDayLimit(static_cast<std::uint8_t>(*day));
    } else {
        Refuse(dlg, "制限時間（日）が０～９９以外で設定されています");
        ok = 0;
    }
    const auto hour = NumberIn(dlg, kIdHourLimit);
    if (!hour || *hour < 0 || *hour > 24) {
        Refuse(dlg, "制限時間（時）が０～２４以外で設定されています");
        ok = 0;
    } else if (header.GetDayLimit() != 0 || *hour != 0) {
        header.SetHourLimit(static_cast<std::uint8_t>(*hour));
    } else {
        Refuse(dlg, "制限時間0日間の0時までになっています。");
        ok = 0;
    }
    const auto deploy = NumberIn(dlg, kIdDeployLimit);
    if (deploy && *deploy >= 1 && *deploy <= 40) {
        header.SetDeployLimit(static_cast<std::uint8_t>(*deploy));
    } else {
        Refuse(dlg, "配置可能部隊数が１～４０以外で設定されています");
        ok = 0;
    }
    rules::CountryCursor countries(tables);
    for (int i = 0; i < 4; ++i) {
        countries.Select(i);
        countries.SetName(TextOf(dlg, kIdCountryName + i, 24));
        countries.SetParticipation(ui::IsDlgButtonChecked(dlg, kIdParticipation + i) ? 1 : 0);
        const std::pair<int, const char*> funds[] = {{kIdFunds + i, "人間担当時"}, {kIdComputerFunds + i, "COM担当時"}};
        for (const auto& [id, which] : funds) {
            const auto value = NumberIn(dlg, id);
            if (!value || *value < 0 || *value > kMaxEditorFunds) {
                Refuse(dlg, std::string(kCountryColours[i]) + "の軍事費（" + which +
                                "）が０～９９９９９９９９以外で設定されています");
                ok = 0;
                continue;
            }
            if (id == kIdFunds + i) countries.SetFunds(static_cast<std::int32_t>(*value));
            else countries.SetComputerFunds(static_cast<std::int32_t>(*value));
        }
        countries.SetAllianceMask(work.alliance[i]);
        countries.SetFlag64(ComboByte(dlg, kIdBgm + i));
        countries.SetSetting82(work.corps[i]);
        for (int n = 0; n < 6; ++n) countries.SetSetting66(n, work.placement[i][n]);
        for (int n = 0; n < 10; ++n) countries.SetOrder72(n, work.orders[i][n]);
    }
    return ok;
}

// Dialog 138: the controls show the tables; the alliances, corps and computer settings are
// worked on in the dialog's own arrays until OK stores everything.
class MapSettingsDialog : public ui::DialogObject {
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

    std::uint8_t AllianceMask(int country) const { return work_.alliance[country & 3]; }

    void LoadControls() {
        const ui::Hwnd dlg = Handle();
        rules::TableDirectory* tables = Tables();
        if (tables == nullptr) return;
        rules::ScenarioHeaderCursor header(*tables);
        ui::SendDlgItemMessage(dlg, kIdMapTitle, ui::EM_LIMITTEXT, 24, 0);
        ui::SetDlgItemText(dlg, kIdMapTitle, header.GetTitle());
        ui::SendDlgItemMessage(dlg, kIdMapComment, ui::EM_LIMITTEXT, 256, 0);
        ui::SetDlgItemText(dlg, kIdMapComment, header.GetDescription());
        ui::CheckDlgButton(dlg, kIdSearchOption, header.GetOptionByte1() ? 1 : 0);
        const std::uint16_t switches = header.GetOptionWord();
        ui::CheckDlgButton(dlg, kIdRulesChangeable, switches & 1);
        ui::CheckDlgButton(dlg, kIdProduction, (switches >> 1) & 1);
        ui::CheckDlgButton(dlg, kIdAlliancesChange, (switches >> 2) & 1);
        const std::pair<int, int> limits[] = {{kIdDayLimit, header.GetDayLimit()},
                                              {kIdHourLimit, header.GetHourLimit()},
                                              {kIdDeployLimit, header.GetDeployLimit()}};
        for (const auto& [id, value] : limits) {
            ui::SendDlgItemMessage(dlg, id, ui::EM_LIMITTEXT, 2, 0);
            ui::SetDlgItemText(dlg, id, std::to_string(value));
        }
        rules::CountryCursor countries(*tables);
        for (int i = 0; i < 4; ++i) {
            countries.Select(i);
            ui::SendDlgItemMessage(dlg, kIdCountryName + i, ui::EM_LIMITTEXT, 24, 0);
            ui::SetDlgItemText(dlg, kIdCountryName + i, countries.GetName());
            ui::CheckDlgButton(dlg, kIdParticipation + i, countries.GetParticipation() ? 1 : 0);
            ui::SendDlgItemMessage(dlg, kIdFunds + i, ui::EM_LIMITTEXT, 8, 0);
            ui::SetDlgItemText(dlg, kIdFunds + i, std::to_string(countries.GetFunds()));
            ui::SendDlgItemMessage(dlg, kIdComputerFunds + i, ui::EM_LIMITTEXT, 8, 0);
            ui::SetDlgItemText(dlg, kIdComputerFunds + i, std::to_string(countries.GetComputerFunds()));
            work_.alliance[i] = countries.GetAllianceMask();
            ui::SendDlgItemMessage(dlg, kIdBgm + i, ui::CB_SETCURSEL, countries.GetFlag64(), 0);
            work_.corps[i] = countries.GetSetting82();
            if (work_.corps[i] != kNoCorps) ui::SetDlgItemText(dlg, kIdCorpsButton + i, ForceName(*tables, i));
            for (int n = 0; n < 6; ++n) work_.placement[i][n] = countries.GetSetting66(n);
            for (int n = 0; n < 10; ++n) work_.orders[i][n] = countries.GetOrder72(n);
        }
    }

    int Apply() {
        rules::TableDirectory* tables = Tables();
        if (tables == nullptr) return 0;
        // A refused value leaves the whole map as it was: the dialog stays open, and a Cancel
        // after it must not find half of the settings stored.
        struct Kept {
            std::uint8_t* at;
            std::vector<std::uint8_t> bytes;
        };
        std::vector<Kept> kept;
        for (rules::TableId id : {rules::TableId::ScenarioHeader, rules::TableId::Country}) {
            std::uint8_t* at = tables->GetTableBase(id);
            kept.push_back({at, std::vector<std::uint8_t>(at, at + tables->GetTableTotalBytes(id))});
        }
        const int ok = StoreMapSettings(Handle(), *tables, work_);
        if (!ok)
            for (const Kept& k : kept) std::copy(k.bytes.begin(), k.bytes.end(), k.at);
        return ok;
    }

    void ShowAllianceRow(int a) {
        for (int j = 0; j < 4; ++j) ui::CheckDlgButton(Handle(), kIdAlliance + 4 * a + j, (work_.alliance[j] >> a) & 1);
    }

    void ToggleAlliance(int r, int id) {
        const int k = (id - kIdAlliance) % 4;
        if (r == k) {
            SetAllianceBoxes();
            return;
        }
        std::uint8_t* alliance = work_.alliance;
        if ((alliance[k] >> r) & 1) {
            const std::uint8_t group = static_cast<std::uint8_t>(alliance[r] & ~(1u << k));
            for (int c = 0; c < 4; ++c)
                if ((group >> c) & 1) alliance[c] = static_cast<std::uint8_t>(alliance[c] & ~(1u << k));
            alliance[k] = static_cast<std::uint8_t>((alliance[k] & ~group) | (1u << k));
        } else {
            const std::uint8_t united = alliance[r] | alliance[k];
            for (int c = 0; c < 4; ++c)
                if ((united >> c) & 1) alliance[c] = united;
        }
        SetAllianceBoxes();
    }

  private:
    void OnInitDialog() {
        const ui::Hwnd dlg = Handle();
        for (int i = 0; i < 4; ++i) {
            const char* bgm[4] = {"BGM00", "BGM01", "BGM02", "BGM03"};
            FillCombo(dlg, kIdBgm + i, bgm, 4, -1);
            work_.alliance[i] = static_cast<std::uint8_t>(1u << i);
            work_.corps[i] = kNoCorps;
        }
        LoadControls();
        for (int i = 0; i < 4; ++i) {
            ShowAllianceRow(i);
            EnableCountryControls(dlg, i, ui::IsDlgButtonChecked(dlg, kIdParticipation + i) != 0);
        }
    }

    intptr_t OnCommand(int id) {
        const ui::Hwnd dlg = Handle();
        if (id >= kIdParticipation && id < kIdParticipation + 4) {
            EnableCountryControls(dlg, id - kIdParticipation, ui::IsDlgButtonChecked(dlg, id) != 0);
            return 1;
        }
        if (id >= kIdAlliance && id < kIdAlliance + 16) {
            ToggleAlliance((id - kIdAlliance) / 4, id);
            return 1;
        }
        if (id >= kIdCorpsButton && id < kIdCorpsButton + 4) {
            OnCorpsChoice(id - kIdCorpsButton);
            return 1;
        }
        if (id >= kIdDetails && id < kIdDetails + 4) {
            const int i = id - kIdDetails;
            ShowComputerPlayerDialog(dlg, TextOf(dlg, kIdCountryName + i, 24), work_.placement[i], work_.orders[i]);
            return 1;
        }
        if (id == ui::IDOK) {
            if (Apply()) End(1);
            return 1;
        }
        if (id == ui::IDCANCEL) {
            End(0);
            return 1;
        }
        return 0;
    }

    void OnCorpsChoice(int i) {
        const ui::Hwnd dlg = Handle();
        rules::TableDirectory* tables = Tables();
        if (tables == nullptr) return;
        rules::GameContext ctx(*tables, MapContextEnv());
        rules::CountryCursor countries(*tables);
        countries.Select(i);
        if (CountryHasMapTroops(*tables, i)) {
            char text[512];
            std::snprintf(text, sizeof text,
                          "%s国の部隊はマップに配置されています。作業を続けるには部隊を回収しなければなりません。回収してよろしいですか？",
                          core::SjisToUtf8(countries.GetName()).c_str());
            if (EditorMessageBox(dlg, text, "軍団選択", ui::MB_YESNO) != ui::IDYES) return;
            rules::RecoverAllTroops(ctx, nullptr, static_cast<std::uint8_t>(i));
        }
        const CorpsChooser& choose = gChooser ? gChooser : CorpsChooser(ChooseCorpsFromUserFiles);
        const std::uint16_t corps = choose(dlg, i, work_.corps[i]);
        work_.corps[i] = corps;
        if (corps == kNoCorps) return;
        rules::ForceCursor force(*tables, static_cast<std::uint8_t>(i));
        force.SelectSlot(static_cast<std::uint8_t>(i));
        force.SetHeaderWord282(1);
        ui::SetDlgItemText(dlg, kIdCorpsButton + i, force.GetName());
    }

    void SetAllianceBoxes() {
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                if (i != j) ui::CheckDlgButton(Handle(), kIdAlliance + 4 * i + j, (work_.alliance[i] >> j) & 1);
    }

    Working work_;
};

// The settings dialog whose procedure is MapSettingsDialogProc; null for any other window.
MapSettingsDialog* SettingsDialogOf(ui::Hwnd dlg) {
    if (!ui::IsWindow(dlg) ||
        ui::GetWindowLongPtr(dlg, ui::DWLP_DLGPROC) != reinterpret_cast<intptr_t>(&MapSettingsDialogProc))
        return nullptr;
    return ui::DialogObjectOf<MapSettingsDialog>(dlg);
}

// Dialog 139 over the bytes it was given; they change only on OK.
class ComputerPlayerDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog(reinterpret_cast<ComputerBytes*>(l));
                return 1;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w));
            default:
                return 0;
        }
    }

  private:
    void OnInitDialog(ComputerBytes* bytes) {
        bytes_ = bytes;
        if (bytes_ == nullptr) return;
        const ui::Hwnd dlg = Handle();
        ui::SetWindowText(dlg, bytes_->caption);
        for (int n = 0; n < 6; ++n)
            FillCombo(dlg, kIdPlacement + n, kPlacementEntries, 7, bytes_->placement[n] < 7 ? bytes_->placement[n] : -1);
        for (int n = 0; n < 10; ++n)
            FillCombo(dlg, kIdOrder + n, kOrderEntries, 6, bytes_->orders[n] < 6 ? bytes_->orders[n] : -1);
    }
    intptr_t OnCommand(int id) {
        if (id == ui::IDOK && bytes_ != nullptr) {
            for (int n = 0; n < 6; ++n) bytes_->placement[n] = ComboByte(Handle(), kIdPlacement + n);
            for (int n = 0; n < 10; ++n) bytes_->orders[n] = ComboByte(Handle(), kIdOrder + n);
            End(1);
            return 1;
        }
        if (id == ui::IDCANCEL) {
            End(0);
            return 1;
        }
        return 0;
    }

    ComputerBytes* bytes_ = nullptr;
};

}  // namespace

std::uint8_t WorkingAllianceMask(ui::Hwnd dlg, int country) {
    const MapSettingsDialog* settings = SettingsDialogOf(dlg);
    return settings != nullptr ? settings->AllianceMask(country) : 0;
}

void ShowAllianceRow(ui::Hwnd dlg, int country) {
    if (MapSettingsDialog* settings = SettingsDialogOf(dlg)) settings->ShowAllianceRow(country);
}

void ToggleMapAlliance(ui::Hwnd dlg, int row, int id) {
    if (MapSettingsDialog* settings = SettingsDialogOf(dlg)) settings->ToggleAlliance(row, id);
}

void LoadMapSettingsControls(ui::Hwnd dlg) {
    if (MapSettingsDialog* settings = SettingsDialogOf(dlg)) settings->LoadControls();
}

int ApplyMapSettings(ui::Hwnd dlg) {
    MapSettingsDialog* settings = SettingsDialogOf(dlg);
    return settings != nullptr ? settings->Apply() : 0;
}

intptr_t MapSettingsDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<MapSettingsDialog>(dlg, msg, w, l);
}

intptr_t ComputerPlayerDialogProc(ui::Hwnd dlg, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<ComputerPlayerDialog>(dlg, msg, w, l);
}

intptr_t ShowComputerPlayerDialog(ui::Hwnd owner, const std::string& captionSjis, std::uint8_t placement[6],
                                  std::uint8_t orders[10]) {
    RegisterMapSettingsDialogs();
    ComputerBytes bytes;
    bytes.caption = captionSjis;
    std::memcpy(bytes.placement, placement, 6);
    std::memcpy(bytes.orders, orders, 10);
    const intptr_t result = ui::DialogBoxParam(nullptr, kComputerPlayerDialog, owner, ComputerPlayerDialogProc,
                                               reinterpret_cast<ui::LParam>(&bytes));
    if (result == 1) {
        std::memcpy(placement, bytes.placement, 6);
        std::memcpy(orders, bytes.orders, 10);
    }
    return result;
}

intptr_t ShowMapSettingsDialog(ui::Hwnd owner) {
    RegisterMapSettingsDialogs();
    const intptr_t result = ui::DialogBoxParam(nullptr, kMapSettingsDialog, owner, MapSettingsDialogProc, 0);
    if (result > 0) CurrentMapHost().NotifyCampInfoWindow();
    return result;
}

}  // namespace zv::mapview
