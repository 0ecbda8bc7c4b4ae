// The map settings dialog and the computer-player dialog, driven through their controls.

#include <gtest/gtest.h>

#include <functional>

#include "mapview/MapCheckDialog.h"
#include "mapview/MapSettingsDialog.h"
#include "platform/ui/DialogLayoutCheck.h"
#include "mapview/tests/EditorFixture.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopCursor.h"

namespace zv::mapview {
namespace {

class MapSettings : public testing::EditorFixture {
  protected:
    void SetUp() override {
        EditorFixture::SetUp();
        RegisterMapSettingsDialogs();
    }
    void TearDown() override {
        SetCorpsChooser({});
        EditorFixture::TearDown();
    }
    ui::Hwnd Open() {
        const ui::Hwnd dlg = ui::CreateDialogParam(nullptr, kMapSettingsDialog, {}, MapSettingsDialogProc, 0);
        EXPECT_TRUE(dlg);
        ui::ShowWindow(dlg, ui::SW_SHOW);
        Pump();
        return dlg;
    }
    bool Checked(ui::Hwnd dlg, int id) { return ui::IsDlgButtonChecked(dlg, id) != 0; }
    bool Enabled(ui::Hwnd dlg, int id) { return ui::IsWindowEnabled(ui::GetDlgItem(dlg, id)); }
};

TEST_F(MapSettings, TemplatesLayOutCleanly) {
    RegisterMapCheckDialog();
    for (int n : {kMapSettingsDialog, kComputerPlayerDialog, kMapCheckDialog}) {
        ui::DialogTemplate t;
        ASSERT_TRUE(ui::DialogRegistry::Global().Find(n, &t)) << n;
        for (const std::string& p : ui::CheckDialogLayout(t)) ADD_FAILURE() << n << ": " << p;
    }
}

TEST_F(MapSettings, EveryFieldTypedRoundTrips) {
    const ui::Hwnd dlg = Open();
    Shot("mapview_map_settings");
    Type(dlg, kIdMapTitle, "北の海峡");
    Type(dlg, kIdMapComment, "二国が海峡を挟んで争う。");
    for (int id : {kIdSearchOption, kIdRulesChangeable, kIdProduction, kIdAlliancesChange}) ClickItem(dlg, id);
    Type(dlg, kIdDayLimit, "12");
    Type(dlg, kIdHourLimit, "6");
    Type(dlg, kIdDeployLimit, "25");
    ClickItem(dlg, kIdParticipation + 3);  // yellow joins
    const char* names[4] = {"青の国", "赤の国", "緑の国", "黄の国"};
    for (int c = 0; c < 4; ++c) {
        Type(dlg, kIdCountryName + c, names[c]);
        Type(dlg, kIdFunds + c, std::to_string(1000 + c));
        Type(dlg, kIdComputerFunds + c, std::to_string(99999999 - c));
        ui::SendDlgItemMessage(dlg, kIdBgm + c, ui::CB_SETCURSEL, static_cast<ui::WParam>(3 - c), 0);
    }
    ClickItem(dlg, kIdAlliance + 4 * 0 + 3);  // blue and yellow ally
    ClickItem(dlg, ui::IDOK);
    EXPECT_EQ(messages, std::vector<std::string>{});
    EXPECT_FALSE(ui::IsWindowVisible(dlg));

    rules::ScenarioHeaderCursor header(tables);
    const std::uint8_t search = header.GetOptionByte1();
    EXPECT_EQ(core::SjisToUtf8(header.GetTitle()), "北の海峡");
    EXPECT_EQ(core::SjisToUtf8(header.GetDescription()), "二国が海峡を挟んで争う。");
    EXPECT_EQ(header.GetDayLimit(), 12);
    EXPECT_EQ(header.GetHourLimit(), 6);
    EXPECT_EQ(header.GetDeployLimit(), 25);
    rules::CountryCursor countries(tables);
    for (int c = 0; c < 4; ++c) {
        countries.Select(c);
        EXPECT_EQ(core::SjisToUtf8(countries.GetName()), names[c]);
        EXPECT_EQ(countries.GetFunds(), 1000 + c);
        EXPECT_EQ(countries.GetComputerFunds(), 99999999 - c);
        EXPECT_EQ(countries.GetFlag64(), 3 - c);
        EXPECT_EQ(countries.GetParticipation(), c == 2 ? 0 : 1);
    }
    countries.Select(0);
    EXPECT_EQ(countries.GetAllianceMask(), 0x9);
    countries.Select(3);
    EXPECT_EQ(countries.GetAllianceMask(), 0x9);
    ui::DestroyWindow(dlg);

    // The dialog opened again shows what was stored.
    const ui::Hwnd again = Open();
    EXPECT_EQ(TextOf(again, kIdMapTitle), "北の海峡");
    EXPECT_EQ(TextOf(again, kIdDayLimit), "12");
    EXPECT_EQ(TextOf(again, kIdComputerFunds + 2), "99999997");
    EXPECT_EQ(Checked(again, kIdSearchOption), search != 0);
    EXPECT_TRUE(Checked(again, kIdAlliance + 4 * 3 + 0));
    EXPECT_EQ(ui::SendDlgItemMessage(again, kIdBgm + 1, ui::CB_GETCURSEL, 0, 0), 2);
    ClickItem(again, ui::IDOK);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MapSettings, OutOfRangeValuesAreRefusedAndKept) {
    struct Case {
        int id;
        const char* typed;
        const char* message;  // empty: accepted
    };
    const Case cases[] = {
        {kIdDayLimit, "-1", "制限時間（日）が０～９９以外で設定されています"},
        {kIdDayLimit, "x", "制限時間（日）が０～９９以外で設定されています"},
        {kIdHourLimit, "25", "制限時間（時）が０～２４以外で設定されています"},
        {kIdDeployLimit, "0", "配置可能部隊数が１～４０以外で設定されています"},
        {kIdDeployLimit, "41", "配置可能部隊数が１～４０以外で設定されています"},
        {kIdFunds + 1, "-1", "赤国の軍事費（人間担当時）が０～９９９９９９９９以外で設定されています"},
        {kIdComputerFunds + 0, "-20", "青国の軍事費（COM担当時）が０～９９９９９９９９以外で設定されています"},
        {kIdDeployLimit, "40", ""},
        {kIdFunds + 0, "0", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " " + c.typed);
        messages.clear();
        rules::CountryCursor countries(tables);
        countries.Select(1);
        const std::int32_t redFunds = countries.GetFunds();
        const std::string title = rules::ScenarioHeaderCursor(tables).GetTitle();
        const ui::Hwnd dlg = Open();
        // A good value typed beside the bad one is not stored either: a Cancel after the
        // refusal must find the map as it was.
        Type(dlg, kIdMapTitle, c.typed);
        Type(dlg, c.id, c.typed);
        ClickItem(dlg, ui::IDOK);
        if (*c.message) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0], c.message);
            EXPECT_EQ(captions[0], "ﾏｯﾌﾟｴﾃﾞｨｯﾄ");
            EXPECT_TRUE(ui::IsWindowVisible(dlg)) << "the dialog stays open";
            EXPECT_EQ(TextOf(dlg, c.id), c.typed) << "with what was typed";
            EXPECT_EQ(rules::ScenarioHeaderCursor(tables).GetTitle(), title) << "nothing stored";
        } else {
            EXPECT_TRUE(messages.empty());
            EXPECT_FALSE(ui::IsWindowVisible(dlg));
        }
        countries.Select(1);
        if (c.id == kIdFunds + 1) {
            EXPECT_EQ(countries.GetFunds(), redFunds);
        }
        ui::DestroyWindow(dlg);
    }
    rules::ScenarioHeaderCursor header(tables);
    EXPECT_EQ(header.GetDeployLimit(), 40);
}

TEST_F(MapSettings, TimeLimitsTogether) {
    struct Case {
        const char *day, *hour;
        bool accepted;
    } const cases[] = {{"0", "0", false}, {"0", "5", true}, {"99", "24", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.day) + "/" + c.hour);
        messages.clear();
        const ui::Hwnd dlg = Open();
        Type(dlg, kIdDayLimit, c.day);
        Type(dlg, kIdHourLimit, c.hour);
        ClickItem(dlg, ui::IDOK);
        ASSERT_EQ(messages.empty(), c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(messages[0], "制限時間0日間の0時までになっています。");
        }
        ui::DestroyWindow(dlg);
    }
}

TEST_F(MapSettings, AlliancesStayGroups) {
    rules::CountryCursor countries(tables);
    const std::uint8_t masks[4] = {0x1, 0x6, 0x6, 0x8};  // red and green allied
    for (int c = 0; c < 4; ++c) {
        countries.Select(c);
        countries.SetParticipation(1);
        countries.SetAllianceMask(masks[c]);
    }
    const ui::Hwnd dlg = Open();
    ClickItem(dlg, kIdAlliance + 1);  // blue joins red
    for (int c = 0; c < 3; ++c) EXPECT_EQ(WorkingAllianceMask(dlg, c), 0x7) << c;
    EXPECT_TRUE(Checked(dlg, kIdAlliance + 4 * 2 + 0));
    ClickItem(dlg, kIdAlliance + 2);  // green leaves blue's group
    EXPECT_EQ(WorkingAllianceMask(dlg, 0), 0x3);
    EXPECT_EQ(WorkingAllianceMask(dlg, 1), 0x3);
    EXPECT_EQ(WorkingAllianceMask(dlg, 2), 0x4);
    EXPECT_FALSE(Checked(dlg, kIdAlliance + 4 * 1 + 2));
    EXPECT_EQ(WorkingAllianceMask(dlg, 3), 0x8);
}

TEST_F(MapSettings, TwoOpeningsKeepTheirOwnWork) {
    rules::CountryCursor countries(tables);
    for (int c = 0; c < 4; ++c) {
        countries.Select(c);
        countries.SetParticipation(1);
        countries.SetAllianceMask(static_cast<std::uint8_t>(1u << c));
    }
    rules::ScenarioHeaderCursor header(tables);
    header.SetDayLimit(3);
    header.SetDeployLimit(20);
    const ui::Hwnd first = Open();
    ClickItem(first, kIdAlliance + 1);  // blue joins red
    ASSERT_EQ(WorkingAllianceMask(first, 0), 0x3);
    const ui::Hwnd second = Open();
    EXPECT_EQ(WorkingAllianceMask(second, 0), 0x1) << "a new opening starts from the tables";
    ui::ShowWindow(second, ui::SW_HIDE);
    Pump();
    EXPECT_EQ(WorkingAllianceMask(first, 0), 0x3) << "and leaves the open one's work alone";
    ClickItem(first, ui::IDOK);
    EXPECT_TRUE(messages.empty());
    countries.Select(0);
    EXPECT_EQ(countries.GetAllianceMask(), 0x3);
    countries.Select(1);
    EXPECT_EQ(countries.GetAllianceMask(), 0x3);
    EXPECT_EQ(WorkingAllianceMask(second, 1), 0x2);
    EXPECT_EQ(WorkingAllianceMask(ui::GetDlgItem(second, kIdMapTitle), 0), 0) << "not a settings dialog";
    ui::DestroyWindow(second);
}

TEST_F(MapSettings, ParticipationEnablesTheCountrysControls) {
    const ui::Hwnd dlg = Open();
    ASSERT_TRUE(Checked(dlg, kIdParticipation + 0));
    ClickItem(dlg, kIdParticipation + 0);
    for (int id : {kIdCountryName, kIdFunds, kIdComputerFunds, kIdCorpsButton, kIdBgm, kIdDetails, kIdAlliance + 1})
        EXPECT_FALSE(Enabled(dlg, id)) << id;
    ClickItem(dlg, kIdParticipation + 0);
    for (int id : {kIdCountryName, kIdFunds, kIdComputerFunds, kIdCorpsButton, kIdBgm, kIdDetails, kIdAlliance + 1})
        EXPECT_TRUE(Enabled(dlg, id)) << id;
    EXPECT_FALSE(Enabled(dlg, kIdAlliance)) << "a country's box of itself";
}

TEST_F(MapSettings, CloseBoxChangesNothing) {
    rules::ScenarioHeaderCursor header(tables);
    const std::string title = header.GetTitle();
    const ui::Hwnd dlg = Open();
    Type(dlg, kIdMapTitle, "変えた");
    ui::SendMessage(dlg, ui::WM_CLOSE, 0, 0);
    EXPECT_FALSE(ui::IsWindowVisible(dlg));
    EXPECT_EQ(header.GetTitle(), title);
}

TEST_F(MapSettings, ComputerPlayerBytesRoundTripIncludingTheSixth) {
    std::uint8_t placement[6] = {1, 2, 3, 4, 5, 6};
    std::uint8_t orders[10] = {0, 1, 2, 3, 4, 5, 0, 1, 2, 3};
    intptr_t result = 0;
    RunModal(
        [&] { result = ShowComputerPlayerDialog({}, core::Utf8ToSjis("青の国"), placement, orders); },
        [this](ui::Hwnd dlg) {
            EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(dlg)), "青の国");
            EXPECT_EQ(ui::SendDlgItemMessage(dlg, kIdPlacement + 5, ui::CB_GETCURSEL, 0, 0), 6);
            ui::SendDlgItemMessage(dlg, kIdPlacement + 5, ui::CB_SETCURSEL, 2, 0);
            ui::SendDlgItemMessage(dlg, kIdOrder + 9, ui::CB_SETCURSEL, static_cast<ui::WParam>(-1), 0);
            Shot("mapview_computer_player");
            ClickItem(dlg, ui::IDOK);
        });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(placement[5], 2);
    EXPECT_EQ(placement[0], 1);
    EXPECT_EQ(orders[9], 0xFF) << "no selection stores 255";
    EXPECT_EQ(orders[4], 4);
    // Cancel keeps the bytes.
    RunModal([&] { ShowComputerPlayerDialog({}, "x", placement, orders); },
             [this](ui::Hwnd dlg) {
                 ui::SendDlgItemMessage(dlg, kIdPlacement, ui::CB_SETCURSEL, 0, 0);
                 ClickItem(dlg, ui::IDCANCEL);
             });
    EXPECT_EQ(placement[0], 1);
}

TEST_F(MapSettings, CorpsChoiceRecallsPlacedTroopsFirst) {
    rules::ForceCursor force(tables, 0);
    force.SelectSlot(0);
    force.SetName(core::Utf8ToSjis("第一軍団").c_str());
    int asked = 0;
    SetCorpsChooser([&](ui::Hwnd, int country, std::uint16_t) -> std::uint16_t {
        ++asked;
        EXPECT_EQ(country, 0);
        return 7;
    });
    answer = ui::IDNO;
    const ui::Hwnd dlg = Open();
    ClickItem(dlg, kIdCorpsButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(captions[0], "軍団選択");
    EXPECT_EQ(asked, 0) << "No ends the command";
    answer = ui::IDYES;
    ClickItem(dlg, kIdCorpsButton);
    EXPECT_EQ(asked, 1);
    rules::TroopCursor cursor(tables);
    ASSERT_TRUE(cursor.Select(cursor.GetFirstTroopOfCountry(0)));
    EXPECT_FALSE(cursor.IsOnMap()) << "blue's troops went back to its corps";
    EXPECT_EQ(TextOf(dlg, kIdCorpsButton), "第一軍団");
    ClickItem(dlg, ui::IDOK);
    rules::CountryCursor countries(tables);
    countries.Select(0);
    EXPECT_EQ(countries.GetSetting82(), 7);
    force.SelectSlot(0);
    EXPECT_EQ(force.GetHeaderWord282(), 1);
}

}  // namespace
}  // namespace zv::mapview
