// The conditions page: what the player types and chooses, what is refused with which words,
// and what reaches the game settings.

#include <string>
#include <utility>
#include <vector>

#include "platform/core/Sjis.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapRecords.h"
#include "setup/Conditions.h"
#include "setup/SinglePlayPages.h"
#include "setup/tests/PagesFixture.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/GameMessages.h"

namespace zv::setup {
namespace {

using G = rules::GameSettingsRecord;

class ConditionsPage : public testing::SetupPages {
  protected:
    // The conditions page of a new game on the map.
    ui::Hwnd Open(const char* map) {
        SetChosenSetupFile(false, map, 0);
        EXPECT_EQ(CreateSinglePlayPages(container), 1);
        ShowSetupPage(container, kPageSingleConditions, kPageTitle);
        Pump();
        return GetSetupPage(kPageSingleConditions);
    }
    void ChooseRole(ui::Hwnd page, int country, int role) {
        testing::ClickComboItem(screen, ui::GetDlgItem(page, RoleComboId(country)), role, [this] { Pump(); });
    }
    int Role(ui::Hwnd page, int country) {
        return static_cast<int>(ui::SendMessage(ui::GetDlgItem(page, RoleComboId(country)), ui::CB_GETCURSEL, 0, 0));
    }
    const std::uint8_t* Settings() { return tables.GetTableBase(rules::TableId::GameSettings); }
};

TEST_F(ConditionsPage, TypedValuesAreRefusedWithTheRangeTheyBreak) {
    struct Case {
        const char* days;
        const char* deployable;
        const char* total;
        const char* funds;  // of the player's country
        const char* refusal;  // empty: accepted
    };
    const Case cases[] = {
        {"30", "40", "80", "20000", ""},
        {"99", "40", "80", "20000", ""},
        {"0", "40", "80", "20000", "作戦日数が１～９９以外で設定されています"},
        {"", "40", "80", "20000", "作戦日数が１～９９以外で設定されています"},
        {"30", "0", "80", "20000", "展開部隊数が１～４０以外で設定されています"},
        {"30", "41", "80", "20000", "展開部隊数が１～４０以外で設定されています"},
        {"30", "40", "81", "20000", "総部隊数が０～８０以外で設定されています"},
        {"30", "40", "39", "20000", "総部隊数は展開部隊数以上の数を設定してください"},
        {"30", "1", "0", "20000", "総部隊数は展開部隊数以上の数を設定してください"},
        {"30", "40", "80", "", "軍事費が設定されていません"},
        {"30", "40", "80", "-1", "軍事費が０～９９９９９９９９以外で設定されている国があります"},
        {"30", "40", "80", "99999999", ""},
    };
    ui::Hwnd page = Open("MAP00002.ddm");
    ASSERT_TRUE(page);
    ChooseRole(page, 0, kRoleUser);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.days) + " / " + c.deployable + " / " + c.total + " / " + c.funds);
        Type(page, kIdLastDay, c.days);
        Type(page, kIdDeployable, c.deployable);
        Type(page, kIdTotalTroops, c.total);
        Type(page, FundsEditId(0), c.funds);
        boxes.clear();
        Click(page, kIdSetupNext);
        if (*c.refusal) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0], c.refusal);
            EXPECT_EQ(GetCurrentSetupPage(), kPageSingleConditions) << "the page stays";
            ASSERT_TRUE(ui::IsWindow(page));
        } else {
            EXPECT_TRUE(boxes.empty()) << boxes.front();
            // Accepted: the set-up ends and the container is gone; open a fresh one.
            EXPECT_FALSE(IsMainMenuOpen());
            EXPECT_EQ(Settings()[G::kDayLimit], std::stoi(c.days));
            EXPECT_EQ(Settings()[G::kHourLimit], 24);
            for (int country = 0; country < 4; ++country) {
                EXPECT_EQ(rules::ReadS32(Settings() + G::CountryEntry(country), G::kEntryProductionLimit),
                          std::stoi(c.total));
            }
            EXPECT_EQ(rules::ReadS32(Settings() + G::CountryEntry(0), G::kEntryFunds), std::stoi(c.funds));
            container = CreateMainMenuWindow(owner);
            ui::SendMessage(container, zv::WM_TITLE_START, 0, 0);
            page = Open("MAP00002.ddm");
            ASSERT_TRUE(page);
            ChooseRole(page, 0, kRoleUser);
        }
    }
}

TEST_F(ConditionsPage, RolesAndWhatTheSettingsGet) {
    const ui::Hwnd page = Open("MAP00002.ddm");
    ASSERT_TRUE(page);
    // Three countries of the map take part, all the computer's; the fourth does not.
    EXPECT_EQ(Role(page, 0), kRoleComputer);
    EXPECT_EQ(Role(page, 3), kRoleAbsent);
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(page, RoleComboId(3))));
    EXPECT_EQ(Text(page, kIdMapName), core::Utf8ToSjis("海峡の攻防"));

    Click(page, kIdSetupNext);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "ユーザ担当国が存在しません");

    // A second player's row turns the first back into the computer's.
    ChooseRole(page, 0, kRoleUser);
    ChooseRole(page, 2, kRoleUser);
    EXPECT_EQ(Role(page, 0), kRoleComputer);
    EXPECT_EQ(Role(page, 2), kRoleUser);
    EXPECT_TRUE(ui::IsWindowEnabled(ui::GetDlgItem(page, FundsEditId(2))));
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(page, FundsEditId(0))));

    // Funds: Enter on 0 puts the country's funds back, any other entry stays.
    Type(page, FundsEditId(2), "256");
    screen->KeyDown(ui::VK_RETURN);
    Pump();
    EXPECT_EQ(Text(page, FundsEditId(2)), "256");
    Type(page, FundsEditId(2), "0");
    screen->KeyDown(ui::VK_RETURN);
    Pump();
    EXPECT_EQ(Text(page, FundsEditId(2)), "20000");

    // Only one country left at war: refused.
    ChooseRole(page, 0, kRoleAbsent);
    ChooseRole(page, 1, kRoleAbsent);
    boxes.clear();
    Click(page, kIdSetupNext);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "参加国が存在しません");

    ChooseRole(page, 1, kRoleComputer);
    boxes.clear();
    Click(page, kIdSetupNext);
    EXPECT_TRUE(boxes.empty());
    const std::uint8_t* s = Settings();
    EXPECT_EQ(rules::ReadS32(s, G::kSinglePlay), 1);
    EXPECT_EQ(rules::ReadS32(s, G::kDeployment), 1) << "a new game from a map";
    const int roles[4] = {2, 1, 0, 2};
    const int atWar[4] = {0, 1, 1, 0};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(s[G::CountryEntry(c) + G::kEntryParticipation], roles[c]) << c;
        EXPECT_EQ(s[G::CountryEntry(c) + G::kEntryState], atWar[c]) << c;
        EXPECT_EQ(s[G::CountryEntry(c) + G::kEntryAllianceMask], 1 << c) << c;
    }
}

TEST_F(ConditionsPage, AlliancesAreAlwaysWholeGroups) {
    const ui::Hwnd page = Open("MAP00004.ddm");
    ASSERT_TRUE(page);
    // The map's own alliances: blue with green, red with yellow.
    EXPECT_EQ(GetAllianceMask(page, 0), 0b0101);
    EXPECT_EQ(GetAllianceMask(page, 1), 0b1010);
    const auto checked = [&](int row, int k) {
        return ui::SendMessage(ui::GetDlgItem(page, AllianceBoxId(row, k)), ui::BM_GETCHECK, 0, 0) == ui::BST_CHECKED;
    };
    EXPECT_TRUE(checked(0, 1)) << "blue's G";
    // A row with allies cannot take a partner from outside its group by a click.
    EXPECT_FALSE(ui::IsWindowEnabled(ui::GetDlgItem(page, AllianceBoxId(0, 0)))) << "blue's R";

    // Blue leaves green by its box: both stand alone, red and yellow keep theirs.
    Click(page, AllianceBoxId(0, 1));
    EXPECT_EQ(GetAllianceMask(page, 0), 0b0001);
    EXPECT_EQ(GetAllianceMask(page, 2), 0b0100);
    EXPECT_EQ(GetAllianceMask(page, 1), 0b1010);
    EXPECT_FALSE(checked(2, 0)) << "green's B";

    // Green allies with blue, then blue with red's group: all four in one group.
    Click(page, AllianceBoxId(2, 0));
    EXPECT_EQ(GetAllianceMask(page, 0), 0b0101);
    ToggleAlliance(page, 0, AllianceBoxId(0, 0));
    for (int c = 0; c < 4; ++c) EXPECT_EQ(GetAllianceMask(page, c), 0b1111) << c;
    EXPECT_TRUE(checked(3, 0) && checked(3, 1) && checked(3, 2));
    ChooseRole(page, 0, kRoleUser);
    boxes.clear();
    ApplyConditionsToSettings(page);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "敵対国が存在しません");

    // Red leaves: it is taken out of every group and its boxes clear.
    ToggleAlliance(page, 0, AllianceBoxId(0, 0));
    EXPECT_EQ(GetAllianceMask(page, 1), 0b0010);
    for (int c : {0, 2, 3}) EXPECT_EQ(GetAllianceMask(page, c), 0b1101) << c;
    EXPECT_FALSE(checked(1, 0) || checked(1, 1) || checked(1, 2));
}

// Choosing an anthem plays it (BGM1-BGM6 are BGM01.MID-BGM06.MID); BGMなし plays nothing.
std::vector<std::pair<ui::WParam, std::string>>* gMusic = nullptr;
ui::LResult MusicFrame(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == zv::WM_MUSIC_CONTROL && gMusic) {
        std::string name = w == 0 && l ? reinterpret_cast<const char*>(l) : "";
        gMusic->emplace_back(w, name.substr(name.find_last_of("\\/") + 1));
    }
    return ui::DefWindowProc(h, msg, w, l);
}

TEST_F(ConditionsPage, ChoosingAnAnthemPlaysIt) {
    ui::WindowClass wc;
    wc.name = "AnthemFrameSpy";
    wc.proc = MusicFrame;
    ui::RegisterClass(wc);
    const ui::Hwnd frame = ui::CreateWindowEx(0, "AnthemFrameSpy", "", ui::WS_POPUP, 0, 0, 10, 10, {}, 0, nullptr, nullptr);
    const ui::Hwnd keptFrame = shell::GetWindowOfKind(shell::WindowKind::FrameWnd);
    shell::SetWindowOfKind(shell::WindowKind::FrameWnd, frame);
    const int keptBgm = shell::GetBgm();
    shell::PutBgm(1);
    std::vector<std::pair<ui::WParam, std::string>> music;
    gMusic = &music;

    ui::Hwnd page = Open("MAP00002.ddm");
    ASSERT_TRUE(page);
    ChooseRole(page, 0, kRoleUser);
    const ui::Hwnd anthem = ui::GetDlgItem(page, AnthemComboId(0));
    ASSERT_TRUE(ui::IsWindowEnabled(anthem));
    struct Case {
        int index;
        const char* file;  // null: nothing plays
    } const cases[] = {{3, "BGM03.MID"}, {0, nullptr}, {1, "BGM01.MID"}, {6, "BGM06.MID"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        music.clear();
        // Open the list and click the row of the item where the open list shows it.
        ui::Rect face{};
        ui::GetWindowRect(anthem, &face);
        screen->Click((face.left + face.right) / 2, (face.top + face.bottom) / 2);
        Pump();
        ui::Hwnd list{};
        for (ui::Hwnd w = ui::GetTopWindow({}); w; w = ui::GetWindow(w, ui::GW_HWNDNEXT))
            if (ui::IsWindowVisible(w) && ui::GetClassName(w) == ui::kComboListClass) list = w;
        ASSERT_TRUE(list);
        ui::SendMessage(list, ui::LB_SETTOPINDEX, ui::WParam(c.index), 0);  // scrolled into view
        ui::Rect row{};
        ASSERT_NE(ui::SendMessage(list, ui::LB_GETITEMRECT, ui::WParam(c.index), reinterpret_cast<ui::LParam>(&row)), -1);
        ui::Point p{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
        ui::ClientToScreen(list, &p);
        screen->Click(p.x, p.y);
        Pump();
        EXPECT_EQ(ui::SendMessage(anthem, ui::CB_GETCURSEL, 0, 0), c.index);
        std::vector<std::pair<ui::WParam, std::string>> expected;
        if (c.file) expected = {{0, c.file}, {1, ""}};
        EXPECT_EQ(music, expected);
    }
    gMusic = nullptr;
    shell::PutBgm(keptBgm);
    shell::SetWindowOfKind(shell::WindowKind::FrameWnd, keptFrame);
}

}  // namespace
}  // namespace zv::setup
