// The conditions controls and their routines, shared by the single-play and the network
// conditions pages, and the single-play page's check and write of the game settings.

#include "setup/Conditions.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/Dib.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/GdiHelpers.h"
#include "organize/CorpsFiles.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/MapCursors.h"
#include "rules/records/GameSettingsCursor.h"
#include "rules/records/MapRecords.h"
#include "setup/SetupInternal.h"
#include "setup/SinglePlayPages.h"
#include "shell/game/FrameMenus.h"
#include "simulation/Judgement.h"

namespace zv::setup {

namespace {

constexpr int kCountries = 4;
constexpr ui::ColorRef kWhite = ui::Rgb(255, 255, 255);

std::string Sjis(const char* utf8) { return core::Utf8ToSjis(utf8); }

ui::Hwnd Item(ui::Hwnd page, int id) { return ui::GetDlgItem(page, id); }

int ComboIndex(ui::Hwnd page, int id) {
    return static_cast<int>(ui::SendMessage(Item(page, id), ui::CB_GETCURSEL, 0, 0));
}

void SetComboIndex(ui::Hwnd page, int id, int index) {
    ui::SendMessage(Item(page, id), ui::CB_SETCURSEL, static_cast<ui::WParam>(index), 0);
}

bool IsChecked(ui::Hwnd page, int id) {
    return ui::SendMessage(Item(page, id), ui::BM_GETCHECK, 0, 0) == ui::BST_CHECKED;
}

void SetChecked(ui::Hwnd page, int id, bool checked) {
    ui::SendMessage(Item(page, id), ui::BM_SETCHECK, checked ? ui::BST_CHECKED : 0, 0);
}

void Enable(ui::Hwnd page, int id, bool enable) { ui::EnableWindow(Item(page, id), enable); }

void SetNumber(ui::Hwnd page, int id, long long value) {
    ui::SetWindowText(Item(page, id), std::to_string(value));
}

// The number an edit holds, read as the game always read it: leading blanks, an optional sign
// and the digits up to the first other character; 0 when there are none. Values beyond the
// int range are kept as they are so that a range check refuses them.
long long EditNumber(ui::Hwnd page, int id) {
    const std::string text = ui::GetWindowText(Item(page, id));
    errno = 0;
    return std::strtoll(text.c_str(), nullptr, 10);
}

bool EditIsEmpty(ui::Hwnd page, int id) { return ui::GetWindowText(Item(page, id)).empty(); }

bool RowTakesPart(ui::Hwnd page, int c) { return ComboIndex(page, RoleComboId(c)) != kRoleAbsent; }

bool RowIsUserOrSpectator(ui::Hwnd page, int c) {
    const int role = ComboIndex(page, RoleComboId(c));
    return role == kRoleUser || role == kRoleSpectator;
}

int CountTakingPartRows(ui::Hwnd page) {
    int n = 0;
    for (int c = 0; c < kCountries; ++c) n += RowTakesPart(page, c) ? 1 : 0;
    return n;
}

// The alliance masks the conditions page keeps; null for any other window.
std::uint8_t* MasksOf(ui::Hwnd page) {
    SetupPage* p = SetupPageOf(page);
    return p ? p->AllianceMasks() : nullptr;
}

// The boxes show the masks.
void SyncAllianceBoxes(ui::Hwnd page) {
    const std::uint8_t* masks = MasksOf(page);
    if (!masks) return;
    for (int c = 0; c < kCountries; ++c) {
        for (int k = 0; k < 3; ++k) {
            SetChecked(page, AllianceBoxId(c, k), (masks[c] >> AlliancePartner(c, k)) & 1);
        }
    }
}

// The country leaves every alliance.
void DissolveAlliances(std::uint8_t* masks, int country) {
    for (int c = 0; c < kCountries; ++c) {
        masks[c] = static_cast<std::uint8_t>(masks[c] & ~(1u << country));
        masks[c] |= static_cast<std::uint8_t>(1u << c);
    }
    masks[country] = static_cast<std::uint8_t>(1u << country);
}

rules::TableDirectory* Tables() { return LiveTables(); }

std::int32_t CountryValue38(int c) {
    rules::TableDirectory* tables = Tables();
    if (!tables) return 0;
    rules::CountryCursor countries(*tables);
    return countries.Select(c) ? countries.GetComputerFunds() : 0;
}

std::int32_t CountryFunds(int c) {
    rules::TableDirectory* tables = Tables();
    if (!tables) return 0;
    rules::CountryCursor countries(*tables);
    return countries.Select(c) ? countries.GetFunds() : 0;
}

void PlayAnthem(int index) {
    if (index < 1 || index > 10) return;
    char name[16];
    std::snprintf(name, sizeof name, "BGM%02d.MID", index);
    shell::PlayMusicFile(name);
}

// Enter rewrites the number and confirms, Esc cancels; the page ignores both, so a typed value
// only takes effect through the page's own buttons.
ui::LResult NumberEditProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_KEYDOWN && w == ui::VK_RETURN) {
        const ui::Hwnd page = ui::GetParent(h);
        SetNumber(page, ui::GetDlgCtrlID(h), EditNumber(page, ui::GetDlgCtrlID(h)));
        ui::SendMessage(page, ui::WM_COMMAND, ui::IDOK, 0);
        return 0;
    }
    if (msg == ui::WM_KEYDOWN && w == ui::VK_ESCAPE) {
        ui::SendMessage(ui::GetParent(h), ui::WM_COMMAND, ui::IDCANCEL, 0);
        return 0;
    }
    if (msg == ui::WM_CHAR && (w == '\r' || w == 0x1B)) return 0;
    if (msg == ui::WM_COMMAND) return 0;
    return CallClassProcedure(h, msg, w, l);
}

// Enter on a funds entry of 0 puts the country's funds back.
ui::LResult FundsEditProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_KEYDOWN && w == ui::VK_RETURN) {
        const ui::Hwnd page = ui::GetParent(h);
        const int id = ui::GetDlgCtrlID(h);
        if (EditNumber(page, id) == 0) SetNumber(page, id, CountryFunds((id - FundsEditId(0)) / kRowIdStep));
        return 0;
    }
    if (msg == ui::WM_CHAR && w == '\r') return 0;
    return CallClassProcedure(h, msg, w, l);
}

void Subclass(ui::Hwnd edit, ui::WndProc proc) {
    if (!edit) return;
    ui::SetWindowLongPtr(edit, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(proc));
}

ui::Hwnd MakeEdit(ui::Hwnd page, int id, int x, int y, int w, int h, int limit, const ui::Font* font) {
    // Scrolling sideways lets an entry reach its character limit in a narrow box.
    const ui::Hwnd edit = fw::CreateEditCtl(page, id, x, y, w, h, ui::WS_BORDER | ui::ES_AUTOHSCROLL);
    if (!edit) return {};
    if (font) ui::SendMessage(edit, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(font), 0);
    ui::SendMessage(edit, ui::EM_LIMITTEXT, static_cast<ui::WParam>(limit), 0);
    return edit;
}

ui::Hwnd MakeCombo(ui::Hwnd page, int id, int x, int y, int w, int h, const char* const* entries, int count,
                   int selected, const ui::Font* font) {
    const ui::Hwnd combo = fw::CreateComboBoxCtl(page, id, x, y, w, h, 0);
    if (!combo) return {};
    if (font) ui::SendMessage(combo, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(font), 0);
    for (int i = 0; i < count; ++i) {
        const std::string text = Sjis(entries[i]);
        ui::SendMessage(combo, ui::CB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(text.c_str()));
    }
    ui::SendMessage(combo, ui::CB_SETCURSEL, static_cast<ui::WParam>(selected), 0);
    return combo;
}

// Refusals of the check, shown in a box; always 0 for the caller to return.
int Refuse(ui::Hwnd page, const char* utf8) {
    SetupMessageBox(page, utf8, ui::MB_OK);
    return 0;
}

}  // namespace

const char* const kRoleNames[4] = {"ﾕｰｻﾞｰ", "観戦", "CPU", "不参加"};
const char* const kAnthemNames[kAnthemEntries] = {"BGMなし", "BGM1", "BGM2", "BGM3", "BGM4", "BGM5", "BGM6"};

std::uint8_t GetAllianceMask(ui::Hwnd page, int country) {
    const std::uint8_t* masks = MasksOf(page);
    return (masks && country >= 0 && country < kCountries) ? masks[country] : 0;
}

void SetAllianceMask(ui::Hwnd page, int country, std::uint8_t mask) {
    std::uint8_t* masks = MasksOf(page);
    if (masks && country >= 0 && country < kCountries) masks[country] = mask;
}

int AlliancePartner(int row, int k) { return k < row ? k : k + 1; }

void CreateCountryRow(ui::Hwnd page, int c, const ui::Font* font) {
    static constexpr const char* kLetters[4][3] = {
        {"R", "G", "Y"}, {"B", "G", "Y"}, {"B", "R", "Y"}, {"B", "R", "G"}};
    const int y = RowY(c);
    MakeCombo(page, RoleComboId(c), 180, y, 68, 80, kRoleNames, 4, kRoleComputer, font);
    Subclass(MakeEdit(page, FundsEditId(c), 298, y + 2, 56, 16, 8, font), &FundsEditProc);
    MakeCombo(page, AnthemComboId(c), 392, y, 80, 80, kAnthemNames, kAnthemEntries, 0, font);
    for (int k = 0; k < 3; ++k) {
        CreateTextButton(page, AllianceBoxId(c, k), 483 + 35 * k, y, 35, 20, ui::BS_AUTOCHECKBOX, kLetters[c][k],
                         font);
    }
}

void CreateConditionsControls(ui::Hwnd page, const ui::Font* font) {
    const ui::Hwnd name = fw::CreateStaticCtl(page, kIdMapName, 80, 9, 150, 20);
    if (name && font) ui::SendMessage(name, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(font), 0);
    Subclass(MakeEdit(page, kIdLastDay, 100, 194, 24, 16, 2, font), &NumberEditProc);
    const ui::Hwnd hour = MakeEdit(page, kIdLastHour, 200, 194, 24, 16, 2, font);
    Subclass(hour, &NumberEditProc);
    ui::ShowWindow(hour, ui::SW_HIDE);
    Subclass(MakeEdit(page, kIdDeployable, 100, 225, 24, 16, 3, font), &NumberEditProc);
    Subclass(MakeEdit(page, kIdTotalTroops, 234, 225, 24, 16, 2, font), &NumberEditProc);
    CreateTextButton(page, kIdSearch, 359, 188, 70, 20, ui::BS_AUTOCHECKBOX, Sjis("索敵").c_str(), font);
    CreateTextButton(page, kIdAllianceChange, 359, 208, 90, 20, ui::BS_AUTOCHECKBOX, Sjis("同盟変更").c_str(), font);
    CreateTextButton(page, kIdReinforcement, 359, 228, 140, 20, ui::BS_AUTOCHECKBOX, Sjis("援軍要請").c_str(), font);
    for (int c = 0; c < kCountries; ++c) CreateCountryRow(page, c, font);
}

void DrawConditionsLabels(ui::Hwnd page, fw::Dib* background) {
    if (!background) return;
    const auto text = [&](int x, int y, const char* utf8) {
        fw::DrawTextOnDib(page, background, x, y, Sjis(utf8).c_str(), 12, 1, kWhite);
    };
    text(9, 9, "マップ名称：");
    fw::Dib marks(kCountryMarksPicture);
    const int markWidth = marks.HasBits() ? marks.GetWidth() / 4 : 0;
    for (int c = 0; c < kCountries; ++c) {
        const int y = 33 + 28 * c;
        text(255, y, "軍事費");
        text(362, y, "国歌");
        if (markWidth > 0) {
            fw::HvDIBitBlt(background, 158, y - 2, markWidth, marks.GetHeight(), &marks, markWidth * c, 0, 0);
        }
    }
    fw::FrameRectColorOnDib(page, background, 9, 184, 591, 250, kWhite);
    text(26, 195, "作戦日数");
    text(26, 226, "展開部隊数");
    text(160, 226, "総部隊数");
}

void ShowConditionsFromGame(ui::Hwnd page, int network) {
    rules::TableDirectory* tables = Tables();
    if (!tables) return;
    rules::ScenarioHeaderCursor header(*tables);
    const std::uint16_t word = header.GetOptionWord();
    SetChecked(page, kIdAllianceChange, network != 0 || (word & 4) != 0);
    SetChecked(page, kIdReinforcement, (word & 2) != 0);
    SetChecked(page, kIdSearch, header.GetOptionByte1() != 0);
    SetNumber(page, kIdLastDay, header.GetDayLimit());
    SetNumber(page, kIdLastHour, header.GetHourLimit());
    SetNumber(page, kIdDeployable, header.GetDeployLimit());
    rules::CountryCursor countries(*tables);
    countries.Select(0);
    const std::int32_t total = countries.GetProductionLimit();
    SetNumber(page, kIdTotalTroops, total == 0 ? kMaxTotalTroops : total);
    const bool editable = GetStartFromSave() == 0 && (network == 0 || network == 2) && (word & 1) != 0;
    for (const int id : {kIdAllianceChange, kIdReinforcement, kIdSearch, kIdLastDay, kIdLastHour, kIdDeployable,
                         kIdTotalTroops}) {
        Enable(page, id, editable);
    }
}

void ShowCountryRowFromGame(ui::Hwnd page, int c, bool lockAll) {
    rules::TableDirectory* tables = Tables();
    if (!tables) return;
    rules::CountryCursor countries(*tables);
    if (!countries.Select(c)) return;
    const bool takesPart = countries.GetState() == sim::kCountryInPlay;
    int role = kRoleAbsent;
    if (takesPart) {
        switch (countries.GetParticipation()) {
        case 0: role = kRoleUser; break;
        case 3: role = kRoleSpectator; break;
        default: role = kRoleComputer; break;
        }
    } else {
        countries.SetParticipation(2);
    }
    SetComboIndex(page, RoleComboId(c), role);
    SetNumber(page, FundsEditId(c), countries.GetComputerFunds());
    const int anthem = countries.GetFlag64();
    SetComboIndex(page, AnthemComboId(c), anthem < kAnthemEntries ? anthem : 0);
    if (takesPart && role == kRoleUser && anthem >= 1 && anthem <= 10) {
        shell::PlayMusicFile(nullptr);
        PlayAnthem(anthem);
    }
    const auto mask = static_cast<std::uint8_t>(countries.GetAllianceMask() | (1u << c));
    SetAllianceMask(page, c, mask);
    for (int k = 0; k < 3; ++k) {
        const int partner = AlliancePartner(c, k);
        SetChecked(page, AllianceBoxId(c, k), (mask >> partner) & 1);
        rules::CountryCursor other(*tables);
        const bool partnerTakesPart = other.Select(partner) && other.GetState() == sim::kCountryInPlay;
        Enable(page, AllianceBoxId(c, k), !lockAll && takesPart && partnerTakesPart);
    }
    Enable(page, RoleComboId(c), !lockAll && takesPart);
    Enable(page, FundsEditId(c), false);
    Enable(page, AnthemComboId(c), false);
}

void OnRoleChanged(ui::Hwnd page, int row) {
    const int role = ComboIndex(page, RoleComboId(row));
    const bool becameUser = role == kRoleUser || role == kRoleSpectator;
    if (becameUser) {
        for (int c = 0; c < kCountries; ++c) {
            if (c != row && RowIsUserOrSpectator(page, c)) SetComboIndex(page, RoleComboId(c), kRoleComputer);
        }
    }
    for (int c = 0; c < kCountries; ++c) {
        const int r = ComboIndex(page, RoleComboId(c));
        if (r == kRoleComputer || r == kRoleAbsent) {
            if (ComboIndex(page, AnthemComboId(c)) != 0 && c == row) shell::PlayMusicFile(nullptr);
            SetComboIndex(page, AnthemComboId(c), 0);
            Enable(page, AnthemComboId(c), false);
            SetNumber(page, FundsEditId(c), CountryValue38(c));
            Enable(page, FundsEditId(c), false);
        } else {
            Enable(page, AnthemComboId(c), true);
        }
    }
    if (becameUser) {
        SetNumber(page, FundsEditId(row), CountryFunds(row));
        Enable(page, FundsEditId(row), GetStartFromSave() == 0);
        PlayAnthem(ComboIndex(page, AnthemComboId(row)));
    }
    UpdateAllianceBoxes(page);
    RestrictAllianceBoxes(page);
}

void ToggleAlliance(ui::Hwnd page, int row, int boxId) {
    std::uint8_t* masks = MasksOf(page);
    if (!masks) return;
    const int k = boxId - AllianceBoxId(row, 0);
    if (row < 0 || row >= kCountries || k < 0 || k > 2) return;
    const int b = AlliancePartner(row, k);
    if ((masks[row] >> b) & 1) {
        DissolveAlliances(masks, b);
    } else {
        masks[row] |= static_cast<std::uint8_t>(1u << b);
        // Every member of the row's group joins with everything its members are allied with,
        // so alliances are always whole groups.
        std::uint8_t group = masks[row];
        for (int c = 0; c < kCountries; ++c) {
            if ((group >> c) & 1) group |= masks[c];
        }
        for (int c = 0; c < kCountries; ++c) {
            if ((group >> c) & 1) masks[c] = group;
        }
    }
    SyncAllianceBoxes(page);
}

void UpdateAllianceBoxes(ui::Hwnd page) {
    std::uint8_t* masks = MasksOf(page);
    if (!masks) return;
    const int takingPart = CountTakingPartRows(page);
    for (int c = 0; c < kCountries; ++c) {
        if (!RowTakesPart(page, c) || takingPart < 3) {
            for (int k = 0; k < 3; ++k) Enable(page, AllianceBoxId(c, k), false);
            DissolveAlliances(masks, c);
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            const int partner = AlliancePartner(c, k);
            const bool on = RowTakesPart(page, partner);
            Enable(page, AllianceBoxId(c, k), on);
            if (!on) masks[c] = static_cast<std::uint8_t>(masks[c] & ~(1u << partner));
        }
    }
    SyncAllianceBoxes(page);
    Enable(page, kIdAllianceChange, takingPart > 2);
    if (takingPart <= 2) SetChecked(page, kIdAllianceChange, false);
}

void RestrictAllianceBoxes(ui::Hwnd page) {
    std::uint8_t* masks = MasksOf(page);
    if (!masks) return;
    const int takingPart = CountTakingPartRows(page);
    const auto hasAllies = [masks](int c) { return (masks[c] & ~(1u << c)) != 0; };
    for (int c = 0; c < kCountries; ++c) {
        if (!RowTakesPart(page, c)) continue;
        for (int k = 0; k < 3; ++k) {
            const int partner = AlliancePartner(c, k);
            if (!RowTakesPart(page, partner)) continue;
            bool enable;
            if (!hasAllies(c)) {
                enable = !hasAllies(partner) && takingPart >= 3;
            } else {
                enable = (masks[c] >> partner) & 1;
            }
            Enable(page, AllianceBoxId(c, k), enable);
        }
    }
}

void DisableAlliancesWhenFew(ui::Hwnd page) {
    rules::TableDirectory* tables = Tables();
    if (!tables) return;
    rules::CountryCursor countries(*tables);
    int atWar = 0;
    for (int c = 0; c < kCountries; ++c) atWar += (countries.Select(c) && countries.GetState() == sim::kCountryInPlay) ? 1 : 0;
    if (atWar > 2) return;
    for (int c = 0; c < kCountries; ++c) {
        for (int k = 0; k < 3; ++k) Enable(page, AllianceBoxId(c, k), false);
    }
}

void PlayAnthemOfCombo(ui::Hwnd page, int comboId) { PlayAnthem(ComboIndex(page, comboId)); }

int ApplyConditionsToSettings(ui::Hwnd page) {
    rules::TableDirectory* tables = Tables();
    const std::uint8_t* masks = MasksOf(page);
    if (!tables || !masks) return 0;
    using G = rules::GameSettingsRecord;
    rules::GameSettingsCursor s(*tables);

    s.SetSinglePlay(1);
    s.SetFogOfWar(IsChecked(page, kIdSearch) ? 1 : 0);
    s.SetRuleOptions(static_cast<std::uint16_t>((IsChecked(page, kIdAllianceChange) ? G::kRuleAllianceChange : 0) |
                                               (IsChecked(page, kIdReinforcement) ? G::kRuleReinforcement : 0)));

    const long long days = EditNumber(page, kIdLastDay);
    if (days < 1 || days > kMaxLastDay) return Refuse(page, "作戦日数が１～９９以外で設定されています");
    s.SetDayLimit(static_cast<std::uint8_t>(days));
    s.SetHourLimit(24);

    const long long deployable = EditNumber(page, kIdDeployable);
    if (deployable < 1 || deployable > kMaxDeployable) return Refuse(page, "展開部隊数が１～４０以外で設定されています");
    s.SetDeployLimit(static_cast<std::uint8_t>(deployable));

    const int takingPart = CountTakingPartRows(page);
    if (takingPart <= 1) return Refuse(page, "参加国が存在しません");

    int users = 0;
    int userCountry = -1;
    for (int c = 0; c < kCountries; ++c) {
        if (RowIsUserOrSpectator(page, c)) {
            ++users;
            if (userCountry < 0) userCountry = c;
        }
    }
    if (users == 0) return Refuse(page, "ユーザ担当国が存在しません");
    if (users > 1) return Refuse(page, "ユーザ担当国が複数存在します");

    for (int c = 0; c < kCountries; ++c) {
        if (RowTakesPart(page, c) && std::popcount(static_cast<unsigned>(masks[c])) >= takingPart) {
            return Refuse(page, "敵対国が存在しません");
        }
    }

    const bool newGame = s.GetDeployment() != 0;
    static constexpr std::uint8_t kRoleCodes[4] = {0, 3, 1, 2};
    for (int c = 0; c < kCountries; ++c) {
        s.Select(c);
        const int role = ComboIndex(page, RoleComboId(c));
        s.SetParticipation(kRoleCodes[(role >= 0 && role < 4) ? role : kRoleComputer]);
        s.SetState(role == kRoleAbsent ? sim::kCountryOut : sim::kCountryInPlay);
        std::uint8_t mask = static_cast<std::uint8_t>(1u << c);
        for (int k = 0; k < 3; ++k) {
            if (IsChecked(page, AllianceBoxId(c, k))) mask |= static_cast<std::uint8_t>(1u << AlliancePartner(c, k));
        }
        s.SetAllianceMask(mask);
        const long long funds = EditNumber(page, FundsEditId(c));
        if (newGame) {
            if (EditIsEmpty(page, FundsEditId(c))) return Refuse(page, "軍事費が設定されていません");
            if (funds < 0 || funds > kMaxWarFunds) {
                return Refuse(page, "軍事費が０～９９９９９９９９以外で設定されている国があります");
            }
        }
        s.SetFunds(static_cast<std::int32_t>(funds));
        const int anthem = ComboIndex(page, AnthemComboId(c));
        s.SetMusic(static_cast<std::uint8_t>(anthem < 0 ? 0 : anthem));
    }

    if (newGame && userCountry >= 0) {
        s.Select(userCountry);
        const organize::CorpsFileEntry* corps = organize::GetCorpsFileEntry(GetSelectedCorpsFile());
        s.SetCorpsFile(corps ? std::string_view(corps->fileName, strnlen(corps->fileName, sizeof corps->fileName))
                             : std::string_view());
    }

    const long long total = EditNumber(page, kIdTotalTroops);
    // The range in the message is the one checked (0-80): the total is a limit, 0 included.
    if (total < 0 || total > kMaxTotalTroops) return Refuse(page, "総部隊数が０～８０以外で設定されています");
    if (total < deployable) return Refuse(page, "総部隊数は展開部隊数以上の数を設定してください");
    for (int c = 0; c < kCountries; ++c) {
        s.Select(c);
        s.SetProductionLimit(static_cast<std::int32_t>(total));
    }

    // Every country at war needs an enemy at war.
    for (int c = 0; c < kCountries; ++c) {
        if (!RowTakesPart(page, c)) continue;
        s.Select(c);
        const std::uint8_t mask = s.GetAllianceMask();
        bool enemy = false;
        for (int o = 0; o < kCountries; ++o) {
            if (o != c && RowTakesPart(page, o) && !((mask >> o) & 1)) enemy = true;
        }
        if (!enemy) return Refuse(page, "敵対国がありません");
    }
    return 1;
}

}  // namespace zv::setup
