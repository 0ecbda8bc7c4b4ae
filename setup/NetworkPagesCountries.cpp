// Page 9 of the network set-up, "MultiPlay7": the host sets the conditions, then every
// participant in turn its country, funds and anthem; the host's "配置へ" ends the set-up for all.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/Dib.h"
#include "framework/gui/GdiHelpers.h"
#include "mapview/MapPreview.h"
#include "netplay/SessionManager.h"
#include "organize/CorpsFiles.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/GameSettingsCursor.h"
#include "rules/records/MapRecords.h"
#include "setup/Conditions.h"
#include "setup/NetworkPagesInternal.h"
#include "setup/SetupContainer.h"
#include "setup/SinglePlayPages.h"
#include "shell/ChatWindow.h"
#include "simulation/Judgement.h"

namespace zv::setup {

using namespace netpages;

namespace {

using net::GameSettingBlock;
using net::PlayerSetting;

// The conditions part of the setting block (GameSettingBlock::kConditions on).
struct ConditionsField {
    static constexpr std::size_t kLastDay = 0, kLastHour = 4, kDeployable = 8, kTotalTroops = 12, kSwitches = 16;
    // One word per country; its low four bits are the country's alliance mask.
    static constexpr std::size_t Alliance(int c) { return 36 + 4 * static_cast<std::size_t>(c); }
};
// Bits of the switches word.
constexpr std::int32_t kSwitchSearch = 8, kSwitchAllianceChange = 4, kSwitchReinforcement = 2;

// The role entries after the four role names: one per slot, showing who chose the country.
constexpr int kFirstSlotEntry = 4;
// In a spectator row after its three role names.
constexpr int kFirstSpectatorSlotEntry = 3;
constexpr int kSpectatorRoleIds[2] = {kIdSpectatorRole0, kIdSpectatorRole1};
constexpr int kSpectatorAnthemIds[2] = {kIdSpectatorAnthem0, kIdSpectatorAnthem1};

// Page 9: countries and conditions, chosen in turns. The page's routines below work on its
// state.
class CountriesPage : public NetworkPage {
  public:
    explicit CountriesPage(ui::Hwnd page) : NetworkPage(page) { whiteButtons_ = true; }

    std::uint8_t* AllianceMasks() override { return allianceMasks; }

    // Rows whose role list was cut to "CPU" and "不参加" once everybody had chosen.
    bool restrictedRow[4] = {false, false, false, false};
    bool namesAdded = false;
    // The entry each country's role list showed after the last accepted change.
    int shownRole[4] = {kRoleComputer, kRoleComputer, kRoleComputer, kRoleComputer};
    // Every role list was cut (the host's last turn).
    bool restrictedRoles = false;
    // Everybody has chosen: the host's button starts the game.
    bool ready = false;
    std::uint8_t allianceMasks[4] = {1, 2, 4, 8};

  private:
    ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override;
    void OnCreate();
    void OnSettingsComplete();
};

CountriesPage* PageOf(ui::Hwnd page) { return SetupPageOf<CountriesPage>(page); }

bool CountryTakesPart(ui::Hwnd page, int c) {
    rules::TableDirectory* t = TablesOf(page);
    if (!t) return false;
    rules::CountryCursor country(*t);
    return country.Select(c) && country.GetState() == sim::kCountryInPlay;
}

std::int32_t ComputerFunds(ui::Hwnd page, int c) {
    rules::TableDirectory* t = TablesOf(page);
    if (!t) return 0;
    rules::CountryCursor country(*t);
    return country.Select(c) ? country.GetComputerFunds() : 0;
}

int ComboSel(ui::Hwnd page, int id) { return static_cast<int>(ui::SendDlgItemMessage(page, id, ui::CB_GETCURSEL, 0, 0)); }

// The role entry a country row shows: 0 user, 1 spectator, 2 computer, 3 absent, 4 + slot a
// participant's choice; a restricted list counts from "CPU".
int RoleEntryOf(ui::Hwnd page, int c) {
    int sel = ComboSel(page, RoleComboId(c));
    if (sel < 0) return kRoleComputer;
    if (CountriesPage* p = PageOf(page); p && p->restrictedRow[c]) sel += kRoleComputer;
    return sel;
}

int RoleCodeOfEntry(int entry) {
    switch (entry) {
        case kRoleUser: return 0;
        case kRoleSpectator: return 3;
        case kRoleComputer: return 1;
        default: return 2;
    }
}

std::string SlotName(ui::Hwnd page, int slot) {
    net::SessionManager* m = SessionOf(page);
    std::string name = m ? m->SlotName(slot) : std::string();
    if (name.empty()) name = GetLobbyPlayerName(slot);
    return name;
}

void Status(ui::Hwnd page, const std::string& sjis) { ui::SetDlgItemText(page, kIdCountriesStatus, sjis); }

void StatusForName(ui::Hwnd page, const char* utf8Format, const std::string& name) {
    char text[160];
    std::snprintf(text, sizeof text, S(utf8Format).c_str(), name.c_str());
    Status(page, text);
}

void AddCombo(ui::Hwnd page, int id, const std::string& sjis) {
    ui::SendDlgItemMessage(page, id, ui::CB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(sjis.c_str()));
}

// The entries that stand for the participants, after the role names of every list. The lists
// open tall enough to show every entry: none hides above or below the others.
void AddSlotEntries(ui::Hwnd page) {
    CountriesPage* p = PageOf(page);
    if (!p || p->namesAdded) return;
    p->namesAdded = true;
    for (int slot = 0; slot < net::kSlotCount; ++slot) {
        std::string name = SlotName(page, slot);
        if (name.empty()) name = S("－");
        for (int c = 0; c < rules::kCountryCount; ++c) AddCombo(page, RoleComboId(c), name);
        for (int id : kSpectatorRoleIds) AddCombo(page, id, name);
    }
    std::vector<int> lists(std::begin(kSpectatorRoleIds), std::end(kSpectatorRoleIds));
    for (int c = 0; c < rules::kCountryCount; ++c) lists.push_back(RoleComboId(c));
    for (int id : lists) {
        const ui::LResult n = ui::SendDlgItemMessage(page, id, ui::CB_GETCOUNT, 0, 0);
        ui::SendDlgItemMessage(page, id, ui::CB_SETMINVISIBLE, ui::WParam(n), 0);
    }
}

void RememberRoles(ui::Hwnd page) {
    CountriesPage* p = PageOf(page);
    if (!p) return;
    for (int c = 0; c < rules::kCountryCount; ++c) p->shownRole[c] = ComboSel(page, RoleComboId(c));
}

// A participant's name in a role list shows who chose the country; one chooses one's own country
// with "ﾕｰｻﾞｰ". One's own name is taken as "ﾕｰｻﾞｰ"; another participant's (or a free slot's) is
// refused with what to do, and the row keeps what it showed and stays open.
bool AcceptRoleEntry(ui::Hwnd page, int c) {
    const int entry = ComboSel(page, RoleComboId(c));
    if (entry < kFirstSlotEntry) return true;
    net::SessionManager* m = SessionOf(page);
    if (m && entry - kFirstSlotEntry == m->OwnSlot()) {
        ui::SendDlgItemMessage(page, RoleComboId(c), ui::CB_SETCURSEL, kRoleUser, 0);
        return true;
    }
    CountriesPage* p = PageOf(page);
    ui::SendDlgItemMessage(page, RoleComboId(c), ui::CB_SETCURSEL, ui::WParam(p ? p->shownRole[c] : kRoleComputer), 0);
    Box(page, S("参加者の名前は、その参加者が選んだ国に表示されます。自分が担当する国には「ﾕｰｻﾞｰ」を選んでください。"));
    return false;
}

void CreateSpectatorRow(ui::Hwnd page, int row, const ui::Font* font) {
    const int x = row == 0 ? 180 : 394;
    const ui::Hwnd role = ui::CreateWindowEx(0, "COMBOBOX", "", ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_VSCROLL | ui::CBS_DROPDOWNLIST,
                                             x, 148, 68, 80, page, kSpectatorRoleIds[row], nullptr, nullptr);
    const ui::Hwnd anthem = ui::CreateWindowEx(0, "COMBOBOX", "", ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_VSCROLL | ui::CBS_DROPDOWNLIST,
                                               x + 102, 148, 80, 80, page, kSpectatorAnthemIds[row], nullptr, nullptr);
    SetFont(role, font);
    SetFont(anthem, font);
    for (const char* r : {"ﾕｰｻﾞｰ", "観戦", "CPU"}) AddCombo(page, kSpectatorRoleIds[row], S(r));
    AddCombo(page, kSpectatorAnthemIds[row], S("BGMなし"));
    for (int i = 1; i < kAnthemEntries; ++i) AddCombo(page, kSpectatorAnthemIds[row], "BGM" + std::to_string(i));
    ui::SendMessage(role, ui::CB_SETCURSEL, 2, 0);
    ui::SendMessage(anthem, ui::CB_SETCURSEL, 0, 0);
    ui::EnableWindow(role, false);
    ui::EnableWindow(anthem, false);
}

void SetRowsEnabled(ui::Hwnd page, bool enable) {
    for (int c = 0; c < rules::kCountryCount; ++c) {
        ui::EnableWindow(ui::GetDlgItem(page, RoleComboId(c)), enable);
        ui::EnableWindow(ui::GetDlgItem(page, FundsEditId(c)), enable);
        ui::EnableWindow(ui::GetDlgItem(page, AnthemComboId(c)), enable);
        for (int k = 0; k < 3; ++k) ui::EnableWindow(ui::GetDlgItem(page, AllianceBoxId(c, k)), enable);
    }
    for (int row = 0; row < 2; ++row) {
        ui::EnableWindow(ui::GetDlgItem(page, kSpectatorRoleIds[row]), enable);
        ui::EnableWindow(ui::GetDlgItem(page, kSpectatorAnthemIds[row]), enable);
    }
}

void DrawCountriesBackground(ui::Hwnd page, fw::Dib* bg) {
    DrawConditionsLabels(page, bg);
    fw::FrameRectColorOnDib(page, bg, 150, 140, 591, 176, ui::Rgb(128, 128, 128));
    fw::Dib marks("pMark.bmp");
    for (int row = 0; row < 2; ++row) {
        const int x = row == 0 ? 158 : 372;
        if (marks.HasBits()) {
            const int w = marks.GetWidth() / 2;
            fw::HvDIBitBlt(bg, x, 151, w, marks.GetHeight(), &marks, w * row, 0, 0);
        }
        fw::DrawTextOnDib(page, bg, x + 97, 151, S("国歌").c_str(), 12, 1, ui::Rgb(255, 255, 255));
    }
}

std::int32_t ClampFunds(std::int32_t v) { return v < 0 ? 0 : (v > kMaxWarFunds ? kMaxWarFunds : v); }

// A setting received from the network: every index in it is checked before it is used.
void ShowPlayerSettingRow(ui::Hwnd page, const std::uint8_t* p) {
    const std::int32_t slot = rules::ReadS32(p, PlayerSetting::kSlot);
    const std::int32_t word = rules::ReadS32(p, PlayerSetting::kCountry);
    if (slot < 0 || slot >= net::kSlotCount || word < 1 || word > net::kLastCountryWord) return;
    int anthem = rules::ReadS32(p, PlayerSetting::kCodes) & 0xFF;
    if (anthem >= kAnthemEntries) anthem = 0;
    if (word <= rules::kCountryCount) {
        const int c = word - 1;
        if (CountriesPage* cp = PageOf(page); cp && cp->restrictedRow[c]) return;
        ui::SendDlgItemMessage(page, RoleComboId(c), ui::CB_SETCURSEL, ui::WParam(kFirstSlotEntry + slot), 0);
        const std::uint8_t mask = static_cast<std::uint8_t>((p[PlayerSetting::kAlliance] & 0x0F) | (1u << c));
        SetAllianceMask(page, c, mask);
        for (int k = 0; k < 3; ++k) {
            const int partner = AlliancePartner(c, k);
            ui::CheckDlgButton(page, AllianceBoxId(c, k), (mask >> partner) & 1 ? ui::BST_CHECKED : ui::BST_UNCHECKED);
        }
        ui::SetDlgItemText(page, FundsEditId(c), std::to_string(ClampFunds(rules::ReadS32(p, PlayerSetting::kFunds))));
        ui::SendDlgItemMessage(page, AnthemComboId(c), ui::CB_SETCURSEL, ui::WParam(anthem), 0);
    } else {
        const int row = word - net::kFirstSpectatorWord;
        ui::SendDlgItemMessage(page, kSpectatorRoleIds[row], ui::CB_SETCURSEL, ui::WParam(kFirstSpectatorSlotEntry + slot), 0);
        ui::SendDlgItemMessage(page, kSpectatorAnthemIds[row], ui::CB_SETCURSEL, ui::WParam(anthem), 0);
    }
}

void ShowPlayerSettings(ui::Hwnd page, const std::uint8_t* block) {
    for (int slot = 0; slot < net::kSlotCount; ++slot) ShowPlayerSettingRow(page, block + GameSettingBlock::Player(slot));
    RememberRoles(page);
}

void ShowReceivedConditions(ui::Hwnd page, const std::uint8_t* block) {
    const std::uint8_t* k = block + GameSettingBlock::kConditions;
    auto clamp = [](std::int32_t v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); };
    ui::SetDlgItemText(page, kIdLastDay, std::to_string(clamp(rules::ReadS32(k, ConditionsField::kLastDay), 0, kMaxLastDay)));
    ui::SetDlgItemText(page, kIdLastHour, std::to_string(clamp(rules::ReadS32(k, ConditionsField::kLastHour), 0, 24)));
    ui::SetDlgItemText(page, kIdDeployable, std::to_string(clamp(rules::ReadS32(k, ConditionsField::kDeployable), 0, kMaxDeployable)));
    ui::SetDlgItemText(page, kIdTotalTroops, std::to_string(clamp(rules::ReadS32(k, ConditionsField::kTotalTroops), 0, kMaxTotalTroops)));
    const std::int32_t switches = rules::ReadS32(k, ConditionsField::kSwitches);
    ui::CheckDlgButton(page, kIdSearch, switches & kSwitchSearch ? ui::BST_CHECKED : ui::BST_UNCHECKED);
    ui::CheckDlgButton(page, kIdAllianceChange, switches & kSwitchAllianceChange ? ui::BST_CHECKED : ui::BST_UNCHECKED);
    ui::CheckDlgButton(page, kIdReinforcement, switches & kSwitchReinforcement ? ui::BST_CHECKED : ui::BST_UNCHECKED);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        const std::uint8_t mask = static_cast<std::uint8_t>(k[ConditionsField::Alliance(c)] & 0x0F);
        SetAllianceMask(page, c, mask);
        for (int b = 0; b < 3; ++b) {
            const int partner = AlliancePartner(c, b);
            ui::CheckDlgButton(page, AllianceBoxId(c, b), (mask >> partner) & 1 ? ui::BST_CHECKED : ui::BST_UNCHECKED);
        }
    }
}

// A number typed into an edit: false when it is empty or not a number.
bool ReadNumber(ui::Hwnd page, int id, long long& value) {
    const std::string text = ui::GetDlgItemText(page, id);
    if (text.empty() || text.size() > 12) return false;
    value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return false;
        value = value * 10 + (ch - '0');
    }
    return true;
}

std::uint8_t CheckedAllianceMask(ui::Hwnd page, int c) {
    std::uint8_t mask = static_cast<std::uint8_t>(1u << c);
    for (int k = 0; k < 3; ++k) {
        if (ui::IsDlgButtonChecked(page, AllianceBoxId(c, k)) == ui::BST_CHECKED) mask |= static_cast<std::uint8_t>(1u << AlliancePartner(c, k));
    }
    return mask;
}

// The country row (or spectator row) the local participant chose.
int ReadOwnPlayerSetting(ui::Hwnd page, std::uint8_t* setting) {
    net::SessionManager* m = SessionOf(page);
    const int ownSlot = m ? m->OwnSlot() : 0;
    std::memset(setting, 0, PlayerSetting::kSize);
    rules::WriteS32(setting, PlayerSetting::kSlot, ownSlot < 0 ? 0 : ownSlot);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        const int entry = RoleEntryOf(page, c);
        if (entry != kRoleUser && entry != kRoleSpectator) continue;
        long long funds = 0;
        const bool number = ReadNumber(page, FundsEditId(c), funds);
        if (!NetworkFromSave(page)) {
            if (ui::GetDlgItemText(page, FundsEditId(c)).empty()) {
                Box(page, S("軍事費が設定されていません"));
                return 0;
            }
            if (!number || funds > kMaxWarFunds) {
                Box(page, S("軍事費が０～９９９９９９９９以外で設定されている国があります"));
                return 0;
            }
        }
        int anthem = ComboSel(page, AnthemComboId(c));
        if (anthem < 0) anthem = 0;
        rules::WriteS32(setting, PlayerSetting::kCountry, c + 1);
        rules::WriteS32(setting, PlayerSetting::kFunds, static_cast<std::int32_t>(number ? funds : 0));
        rules::WriteS32(setting, PlayerSetting::kCodes, anthem | (RoleCodeOfEntry(entry) << 16));
        setting[PlayerSetting::kAlliance] = CheckedAllianceMask(page, c);
        return 1;
    }
    for (int row = 0; row < 2; ++row) {
        if (ComboSel(page, kSpectatorRoleIds[row]) != 0) continue;
        int anthem = ComboSel(page, kSpectatorAnthemIds[row]);
        if (anthem < 0) anthem = 0;
        rules::WriteS32(setting, PlayerSetting::kCountry, net::kFirstSpectatorWord + row);
        rules::WriteS32(setting, PlayerSetting::kCodes, anthem | (3 << 16));
        return 1;
    }
    Box(page, S("担当する国を選んでください。"));
    return 0;
}

void WriteComputerCountries(ui::Hwnd page) {
    rules::TableDirectory* t = TablesOf(page);
    if (!t) return;
    rules::GameSettingsCursor g(*t);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        g.Select(c);
        const int entry = RoleEntryOf(page, c);
        if (entry == kRoleComputer) {
            long long funds = 0;
            ReadNumber(page, FundsEditId(c), funds);
            int anthem = ComboSel(page, AnthemComboId(c));
            g.SetParticipation(1);
            g.SetState(sim::kCountryInPlay);
            g.SetAllianceMask(CheckedAllianceMask(page, c));
            g.SetMusic(static_cast<std::uint8_t>(anthem < 0 ? 0 : anthem));
            g.SetFunds(static_cast<std::int32_t>(funds > kMaxWarFunds ? kMaxWarFunds : funds));
        } else if (entry == kRoleAbsent) {
            g.SetParticipation(2);
            g.SetState(sim::kCountryOut);
            g.SetAllianceMask(0);
            g.SetMusic(0);
            g.SetFunds(0);
        }
    }
}

// The 52-byte conditions; 0 (after its message) for a value out of range.
int ReadConditions(ui::Hwnd page, std::uint8_t* k) {
    std::memset(k, 0, GameSettingBlock::kConditionsSize);
    std::int32_t switches = 0;
    if (ui::IsDlgButtonChecked(page, kIdSearch) == ui::BST_CHECKED) switches |= kSwitchSearch;
    if (ui::IsDlgButtonChecked(page, kIdAllianceChange) == ui::BST_CHECKED) switches |= kSwitchAllianceChange;
    if (ui::IsDlgButtonChecked(page, kIdReinforcement) == ui::BST_CHECKED) switches |= kSwitchReinforcement;
    long long day = 0, hour = 0, deployable = 0, total = 0;
    if (!ReadNumber(page, kIdLastDay, day) || day < 1 || day > kMaxLastDay) {
        Box(page, S("作戦日数が１～９９以外で設定されています"));
        return 0;
    }
    if (!ReadNumber(page, kIdLastHour, hour) || hour > 24) {
        Box(page, S("制限時間（時）が０～２４以外で設定されています"));
        return 0;
    }
    if (!ReadNumber(page, kIdDeployable, deployable) || deployable < 1 || deployable > kMaxDeployable) {
        Box(page, S("展開部隊数が１～４０以外で設定されています"));
        return 0;
    }
    // The range in the message is the one checked: a total of 0 is accepted.
    if (!ReadNumber(page, kIdTotalTroops, total) || total > kMaxTotalTroops) {
        Box(page, S("総部隊数が０～８０以外で設定されています"));
        return 0;
    }
    if (total < deployable) {
        Box(page, S("総部隊数は展開部隊数以上の数を設定してください"));
        return 0;
    }
    rules::WriteS32(k, ConditionsField::kLastDay, static_cast<std::int32_t>(day));
    rules::WriteS32(k, ConditionsField::kLastHour, static_cast<std::int32_t>(hour));
    rules::WriteS32(k, ConditionsField::kDeployable, static_cast<std::int32_t>(deployable));
    rules::WriteS32(k, ConditionsField::kTotalTroops, static_cast<std::int32_t>(total));
    rules::WriteS32(k, ConditionsField::kSwitches, switches);
    net::SessionManager* m = SessionOf(page);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        const int entry = RoleEntryOf(page, c);
        int role = 2;
        std::uint8_t mask = 0;
        if (entry >= kFirstSlotEntry && m) {
            // A participant's country: its role as the participant chose it.
            const std::uint8_t* p = m->SettingBlock() + GameSettingBlock::Player(entry - kFirstSlotEntry);
            const int code = (rules::ReadS32(p, PlayerSetting::kCodes) >> 16) & 0xFF;
            role = code == 3 ? 3 : 0;
            mask = CheckedAllianceMask(page, c);
        } else if (entry != kRoleAbsent) {
            role = RoleCodeOfEntry(entry);
            mask = CheckedAllianceMask(page, c);
        }
        k[20 + 4 * c] = static_cast<std::uint8_t>(role);
        k[ConditionsField::Alliance(c)] = mask;
    }
    return 1;
}

// Every participant writes the game-start record from the final settings, so that all start
// the same game: the conditions, and per country its role, alliances, funds and anthem.
void WriteSettingsFromBlock(ui::Hwnd page, const std::uint8_t* block) {
    rules::TableDirectory* t = TablesOf(page);
    if (!t || !block) return;
    rules::GameSettingsCursor g(*t);
    const std::uint8_t* k = block + GameSettingBlock::kConditions;
    const std::int32_t switches = rules::ReadS32(k, ConditionsField::kSwitches);
    g.SetFogOfWar((switches & kSwitchSearch) ? 1 : 0);
    g.SetDayLimit(static_cast<std::uint8_t>(std::clamp(rules::ReadS32(k, ConditionsField::kLastDay), 1, kMaxLastDay)));
    g.SetHourLimit(static_cast<std::uint8_t>(std::clamp(rules::ReadS32(k, ConditionsField::kLastHour), 0, 24)));
    g.SetDeployLimit(static_cast<std::uint8_t>(std::clamp(rules::ReadS32(k, ConditionsField::kDeployable), 1, kMaxDeployable)));
    g.SetSinglePlay(0);
    g.SetDeployment(NetworkFromSave(page) ? 0 : 1);
    g.SetRuleOptions(static_cast<std::uint16_t>(switches & (kSwitchAllianceChange | kSwitchReinforcement)));
    const std::int32_t total = std::clamp(rules::ReadS32(k, ConditionsField::kTotalTroops), 0, kMaxTotalTroops);
    net::SessionManager* m = SessionOf(page);
    const int ownSlot = m ? m->OwnSlot() : -1;
    for (int c = 0; c < rules::kCountryCount; ++c) {
        g.Select(c);
        int role = k[20 + 4 * c];
        if (role > 3) role = 2;
        g.SetParticipation(static_cast<std::uint8_t>(role));
        g.SetState(role == 2 ? sim::kCountryOut : sim::kCountryInPlay);
        g.SetAllianceMask(role == 2 ? 0 : static_cast<std::uint8_t>((k[ConditionsField::Alliance(c)] & 0x0F) | (1u << c)));
        std::int32_t funds = ClampFunds(ComputerFunds(page, c));
        int anthem = 0;
        g.SetCorpsFile({});
        for (int slot = 0; slot < net::kSlotCount; ++slot) {
            const std::uint8_t* p = block + GameSettingBlock::Player(slot);
            if (rules::ReadS32(p, PlayerSetting::kCountry) != c + 1) continue;
            funds = ClampFunds(rules::ReadS32(p, PlayerSetting::kFunds));
            anthem = rules::ReadS32(p, PlayerSetting::kCodes) & 0xFF;
            if (anthem >= kAnthemEntries) anthem = 0;
            if (slot == ownSlot && !NetworkFromSave(page)) {
                if (const organize::CorpsFileEntry* corps = organize::GetCorpsFileEntry(GetSelectedCorpsFile())) {
                    g.SetCorpsFile(std::string_view(corps->fileName, strnlen(corps->fileName, sizeof corps->fileName)));
                }
            }
        }
        if (role == 2) funds = 0;
        g.SetFunds(funds);
        g.SetMusic(static_cast<std::uint8_t>(anthem));
        g.SetProductionLimit(total);
    }
}

void OnCountriesShow(ui::Hwnd page) {
    CountriesPage* s = PageOf(page);
    if (!s) return;
    if (const ui::Hwnd chat = shell::AttachChatWindow(page)) {
        ui::MoveWindow(chat, 9, 264, 456, 102, true);
        ui::ShowWindow(chat, ui::SW_SHOW);
    }
    if (rules::TableDirectory* t = TablesOf(page)) {
        mapview::RenderMapMiniature(*t, *s->Background(), 12, 30);
        const std::uint8_t* header = t->GetTableBase(rules::TableId::ScenarioHeader);
        ui::SetDlgItemText(page, kIdMapName,
                           net::ReadFieldText(header, rules::ScenarioHeaderRecord::kTitle, rules::ScenarioHeaderRecord::kTitleWidth));
    }
    AddSlotEntries(page);
    for (int c = 0; c < rules::kCountryCount; ++c) ShowCountryRowFromGame(page, c, false);
    DisableAlliancesWhenFew(page);
    if (IsHostPage(page)) {
        std::fill(std::begin(s->restrictedRow), std::end(s->restrictedRow), false);
        s->restrictedRoles = false;
        ShowConditionsFromGame(page, 2);
        Status(page, S("参加国とゲーム条件を設定してください"));
        EnableSetupNextButton(page, true);
    } else {
        SetRowsEnabled(page, false);
        ShowConditionsFromGame(page, 1);
        EnableSetupNextButton(page, false);
        Status(page, S("ホストが参加国とゲーム条件を設定しています"));
    }
    RememberRoles(page);
    ui::InvalidateRect(page, nullptr, false);
    ui::ShowWindow(page, ui::SW_SHOWNORMAL);
}

void ChoiceDone(ui::Hwnd page) {
    SetRowsEnabled(page, false);
    ui::SetDlgItemText(page, kIdSetupNext, S("配置へ"));
    EnableSetupNextButton(page, false);
}

void OnDecide(ui::Hwnd page) {
    const CountriesPage* s = PageOf(page);
    net::SessionManager* m = SessionOf(page);
    if (!m || !s) return;
    if (m->IsHost()) {
        if (s->ready) {
            rules::TableDirectory* t = TablesOf(page);
            if (t) rules::GameSettingsCursor(*t).SetSinglePlay(0);
            std::uint8_t* block = m->MutableSettingBlock();
            if (!ReadConditions(page, block + GameSettingBlock::kConditions)) return;
            WriteComputerCountries(page);
            WriteSettingsFromBlock(page, block);
            m->SendGameSettingNext(block);
            NextPage(page, kNoPage, kPageNetCountries);
            return;
        }
        std::uint8_t own[PlayerSetting::kSize];
        std::uint8_t conditions[GameSettingBlock::kConditionsSize];
        if (!ReadOwnPlayerSetting(page, own)) return;
        WriteComputerCountries(page);
        if (!ReadConditions(page, conditions)) return;
        if (m->SendGameSettingGame(conditions, own) != 0) return;
        ChoiceDone(page);
        const int turn = rules::ReadU16(m->SettingBlock(), GameSettingBlock::kTurn);
        if (turn < net::kSlotCount) StatusForName(page, "%sさんが参加国を設定中です", SlotName(page, turn));
        return;
    }
    std::uint8_t own[PlayerSetting::kSize];
    if (!ReadOwnPlayerSetting(page, own)) return;
    if (m->SendGameSettingDone(own) != 0) return;
    ChoiceDone(page);
}

// Rows other participants chose stay theirs.
void LockRowsOfOthers(ui::Hwnd page) {
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (RoleEntryOf(page, c) < kFirstSlotEntry) continue;
        ui::EnableWindow(ui::GetDlgItem(page, RoleComboId(c)), false);
        ui::EnableWindow(ui::GetDlgItem(page, FundsEditId(c)), false);
        ui::EnableWindow(ui::GetDlgItem(page, AnthemComboId(c)), false);
    }
}

// Alliances and the conditions are the host's: the role change's updates of the alliance boxes
// must not open them on a client.
void LockHostsChoices(ui::Hwnd page) {
    for (int c = 0; c < rules::kCountryCount; ++c) {
        for (int k = 0; k < 3; ++k) ui::EnableWindow(ui::GetDlgItem(page, AllianceBoxId(c, k)), false);
    }
    ui::EnableWindow(ui::GetDlgItem(page, kIdAllianceChange), false);
}

void OnCountriesCommand(ui::Hwnd page, int id, int code) {
    const CountriesPage* s = PageOf(page);
    if (!s) return;
    const bool host = IsHostPage(page);
    if (id == kIdSetupNext) {
        OnDecide(page);
        return;
    }
    if (id == kIdSetupBack) {
        if (net::SessionManager* m = SessionOf(page)) m->Leave();
        PrevPage(page, kPageTitle, kPageNetCountries);
        return;
    }
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (id == RoleComboId(c) && code == ui::CBN_SELCHANGE) {
            if (!s->restrictedRoles) {
                if (!AcceptRoleEntry(page, c)) return;
                OnRoleChanged(page, c);
                LockRowsOfOthers(page);
                if (!host) LockHostsChoices(page);
            }
            if (host) {
                UpdateAllianceBoxes(page);
                RestrictAllianceBoxes(page);
            }
            RememberRoles(page);
            return;
        }
        if (id == AnthemComboId(c) && code == ui::CBN_SELCHANGE) {
            PlayAnthemOfCombo(page, id);
            return;
        }
        for (int k = 0; k < 3; ++k) {
            if (id == AllianceBoxId(c, k)) {
                ToggleAlliance(page, c, id);
                if (host) {
                    UpdateAllianceBoxes(page);
                    RestrictAllianceBoxes(page);
                }
                return;
            }
        }
    }
    for (int row = 0; row < 2; ++row) {
        if (id == kSpectatorAnthemIds[row] && code == ui::CBN_SELCHANGE) PlayAnthemOfCombo(page, id);
    }
}

}  // namespace

namespace netpages {

void OnGameSettingGame(ui::Hwnd page, int turn, const std::uint8_t* block) {
    const CountriesPage* s = PageOf(page);
    net::SessionManager* m = SessionOf(page);
    if (!s || !m || !block) return;
    ShowPlayerSettings(page, block);
    ShowReceivedConditions(page, block);
    const int own = m->OwnSlot();
    if (turn != own || own < 0 || own >= net::kSlotCount) {
        if (turn == net::kTurnDone) {
            Status(page, S("全員の設定が終了しました"));
        } else if (turn >= 0 && turn < net::kSlotCount) {
            StatusForName(page, "%sさんが参加国を設定中です", SlotName(page, turn));
        }
        return;
    }
    const std::int32_t role = m->RoleResult()[own];
    if (role == 1 || role == 2) {
        // A spectator has nothing to choose: it answers at once.
        std::uint8_t setting[PlayerSetting::kSize] = {};
        rules::WriteS32(setting, PlayerSetting::kSlot, own);
        rules::WriteS32(setting, PlayerSetting::kCountry, role + 4);
        rules::WriteS32(setting, PlayerSetting::kCodes, 3 << 16);
        m->SendGameSettingDone(setting);
        ChoiceDone(page);
        return;
    }
    StatusForName(page, "%sさん参加国を選択してください", SlotName(page, own));
    SetRowsEnabled(page, false);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (!CountryTakesPart(page, c) || RoleEntryOf(page, c) >= kFirstSlotEntry) continue;
        ui::EnableWindow(ui::GetDlgItem(page, RoleComboId(c)), true);
        ui::EnableWindow(ui::GetDlgItem(page, FundsEditId(c)), !NetworkFromSave(page));
        ui::EnableWindow(ui::GetDlgItem(page, AnthemComboId(c)), true);
    }
    ui::SendMessage(page, WM_SETTING_TURN, 0, 0);
}

void OnGameSettingDone(ui::Hwnd page, int turn, const std::uint8_t* block) {
    CountriesPage* p = PageOf(page);
    if (!p || !block) return;
    ShowPlayerSettings(page, block);
    if (turn == net::kTurnDone) {
        ui::SendMessage(page, WM_SETTINGS_COMPLETE, 0, 0);
        Status(page, S("全員の設定が終了しました"));
        // Countries nobody chose are the host's: the computer plays them or they stay out.
        for (int c = 0; c < rules::kCountryCount; ++c) {
            if (!CountryTakesPart(page, c) || RoleEntryOf(page, c) >= kFirstSlotEntry) continue;
            const int id = RoleComboId(c);
            ui::SendDlgItemMessage(page, id, ui::CB_RESETCONTENT, 0, 0);
            AddCombo(page, id, S("CPU"));
            AddCombo(page, id, S("不参加"));
            ui::SendDlgItemMessage(page, id, ui::CB_SETCURSEL, 0, 0);
            ui::EnableWindow(ui::GetDlgItem(page, id), true);
            p->restrictedRow[c] = true;
        }
        p->restrictedRoles = true;
        RememberRoles(page);
        return;
    }
    net::SessionManager* m = SessionOf(page);
    if (turn >= 0 && turn < net::kSlotCount && !(m && turn == m->OwnSlot())) {
        StatusForName(page, "%sさんが参加国を設定中です", SlotName(page, turn));
    }
}

void OnGameSettingNext(ui::Hwnd page, const std::uint8_t* block) {
    ShowPlayerSettings(page, block);
    ShowReceivedConditions(page, block);
    WriteSettingsFromBlock(page, block);
    ui::SendMessage(page, WM_SETTINGS_COMPLETE, 0, 0);
}

}  // namespace netpages

ui::LResult CountriesPage::OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) {
    const ui::Hwnd h = Handle();
    switch (msg) {
        case ui::WM_CREATE:
            OnCreate();
            return 0;
        case ui::WM_DESTROY:
            if (shell::GetChatWindow() && ui::GetParent(shell::GetChatWindow()) == h) shell::DetachChatWindow();
            return 0;
        case WM_SHOW_PAGE:
            if (w == 1) {
                OnCountriesShow(h);
            } else {
                ui::ShowWindow(h, ui::SW_HIDE);
                ready = false;
            }
            return 1;
        case WM_SETTING_TURN:
            EnableSetupNextButton(h, true);
            return 1;
        case WM_SETTINGS_COMPLETE:
            OnSettingsComplete();
            return 1;
        case ui::WM_COMMAND:
            OnCountriesCommand(h, ui::LoWord(w), ui::HiWord(w));
            return 0;
        default:
            return Default(msg, w, l);
    }
}

void CountriesPage::OnCreate() {
    const ui::Hwnd h = Handle();
    LoadBasics();
    CreateSetupButtons(h, font_.get(), kButtonsDecideCut);
    CreateConditionsControls(h, font_.get());
    CreateSpectatorRow(h, 0, font_.get());
    CreateSpectatorRow(h, 1, font_.get());
    CreateStatus(h, kIdCountriesStatus, 470, 282, 128, 88, font_.get());
    DrawCountriesBackground(h, background_.get());
    ready = false;
    ui::SetDlgItemText(h, kIdSetupNext, S("国設定"));
}

void CountriesPage::OnSettingsComplete() {
    const ui::Hwnd h = Handle();
    if (IsHostPage(h)) {
        EnableSetupNextButton(h, true);
        ready = true;
        return;
    }
    if (rules::TableDirectory* t = TablesOf(h)) {
        rules::GameSettingsCursor(*t).SetSinglePlay(0);
    }
    NextPage(h, kNoPage, kPageNetCountries);
}

ui::LResult MultiPlay7Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return SetupPageProc<CountriesPage>(h, msg, w, l);
}

}  // namespace zv::setup
