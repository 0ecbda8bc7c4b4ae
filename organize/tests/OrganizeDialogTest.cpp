#include <array>
#include <cstring>

#include "organize/tests/OrganizeFixture.h"
#include "rules/records/ForceRecord.h"
#include "rules/troops/TroopMembers.h"

namespace zv::organize::testing {
namespace {

class OrganizeDialog : public OrganizeTest {
  protected:
    // A corps file of our folder with the given troops already in it.
    void MakeCorps(const std::string& file, const std::function<void(rules::ForceCursor&)>& fill = nullptr) {
        rules::ForceCursor fc(tables, 5, nullptr);
        fc.SelectSlot(5);
        fc.ClearForce();
        fc.SetName(core::Utf8ToSjis("試験軍団").c_str());
        fc.SetHeaderWord288(0);
        if (fill) fill(fc);
        ASSERT_TRUE(fc.SaveUserForceFile(world.corpsDirectory, file.c_str()).ok);
    }

    // Opens the editor on a corps file as the corps manager's 編集 does, but modeless.
    ui::Hwnd Open(const std::string& file, bool load = true, int initialTroop = rules::kNoTroop) {
        rules::ForceCursor fc(tables, 5, &workspace);
        fc.SelectSlot(5);
        if (load) {
            EXPECT_TRUE(fc.LoadUserForceFile(world.corpsDirectory, file.c_str()).ok);
        }
        SetOrganizeTitle(core::Utf8ToSjis("試験軍団 統合軍").c_str());
        SetOrganizeParams(initialTroop, 1, 0, kAllCountriesScope, 0);
        SetOrganizeSaveFile(file);
        GetOrganizeState().editingFlag = 1;
        GetOrganizeState().packChoiceFlag = 1;
        dialog = ui::CreateDialogParam(nullptr, kOrganizeDialog, owner, OrganizeDlgProc, 0);
        EXPECT_TRUE(dialog);
        ui::ShowWindow(dialog, ui::SW_SHOW);
        Pump();
        return dialog;
    }
    void Close() {
        ui::DestroyWindow(dialog);
        rules::EndForceScratchMode(workspace);
        Pump();
    }

    ui::Hwnd Tabs() { return ui::GetDlgItem(dialog, kIdListTabs); }
    ui::Hwnd List(int id) { return ui::GetDlgItem(Tabs(), id); }
    ui::Hwnd Display() { return ui::GetDlgItem(ui::GetDlgItem(dialog, kIdInfoTabs), kIdTroopDisplay); }
    int Rows(int id) { return int(ui::SendMessage(List(id), ui::LVM_GETITEMCOUNT, 0, 0)); }

    ui::Point RowPoint(int id, int row) {
        ui::Rect r{};
        r.left = ui::LVIR_BOUNDS;
        ui::SendMessage(List(id), ui::LVM_ENSUREVISIBLE, ui::WParam(row), 0);
        ui::SendMessage(List(id), ui::LVM_GETITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r));
        return At(List(id), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    ui::Point PanelPoint(int slot) {
        return At(Display(), kPanelOrigins[slot].x + 76, kPanelOrigins[slot].y + 30);
    }
    int UnitRow(int unit) {
        for (int r = 0; r < kUnitRowCapacity; ++r) {
            if (GetOrganizeState().unitRows[std::size_t(r)] == unit) return r;
        }
        return -1;
    }
    void ChooseAltitude(int code) {
        ui::SendDlgItemMessage(dialog, kIdAltitudeCombo, ui::CB_SETCURSEL, ui::WParam(code - 1), 0);
        ui::SendMessage(dialog, ui::WM_COMMAND, ui::MakeWParam(kIdAltitudeCombo, ui::CBN_SELCHANGE),
                        static_cast<ui::LParam>(ui::GetDlgItem(dialog, kIdAltitudeCombo).value));
        Pump();
    }
    void ShowListTab(int tab) {
        ui::Rect r{};
        ui::SendMessage(Tabs(), ui::TCM_GETITEMRECT, ui::WParam(tab), reinterpret_cast<ui::LParam>(&r));
        Click(At(Tabs(), (r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    // Drags a unit of the unit list (after choosing its altitude) onto a member panel.
    void DropUnit(int unit, int slot) {
        const int row = UnitRow(unit);
        ASSERT_GT(row, 0) << "unit " << unit << " is not offered";
        DragTo(RowPoint(kIdUnitList, row), PanelPoint(slot));
    }
    rules::ForceCursor Scratch() {
        rules::ForceCursor fc(tables, 5, &workspace);
        fc.SelectSlot(5);
        EXPECT_GE(GetOrganizeState().selectedTroop, 0);
        fc.SelectTroop(std::uint16_t(GetOrganizeState().selectedTroop));
        return fc;
    }
    rules::ForceCursor ForceTroop(int t) {
        rules::ForceCursor fc(tables, 5, nullptr);
        fc.SelectSlot(5);
        fc.SelectForceTroop(std::uint16_t(t));
        return fc;
    }
    std::string Counter(int id) { return core::SjisToUtf8(ui::GetDlgItemText(dialog, id)); }

    ui::Hwnd dialog{};
};

TEST_F(OrganizeDialog, ComposeRegisterAsTroopAndTemplateAndDiscardWithTheMouse) {
    MakeCorps("useFrc10.prm");
    Open("useFrc10.prm");
    const int tank = Unit("鉄牙 主力戦車");
    const int ifv = Unit("剛狼 歩兵戦闘車");
    const int supply = Unit("糧秣 補給車");
    ChooseAltitude(4);
    EXPECT_EQ(Counter(kIdTroopCounter), "部　隊: 0／80");
    EXPECT_EQ(core::SjisToUtf8(ui::GetDlgItemText(dialog, kIdTroopName)), "第001陸上隊");

    DropUnit(tank, 0);
    DropUnit(ifv, 1);
    DropUnit(supply, 4);
    {
        rules::ForceCursor s = Scratch();
        EXPECT_EQ(s.GetMemberUnit(0), tank);
        EXPECT_EQ(s.GetMemberUnit(1), ifv);
        EXPECT_EQ(s.GetMemberUnit(4), supply);
        EXPECT_EQ(s.GetMemberUnit(2), -1);
        // Armed units attack and intercept; the unarmed supply truck evades.
        EXPECT_EQ(s.GetMemberByte22(0, 0), 0);
        EXPECT_EQ(s.GetMemberByte24(0, 1), 0);
        EXPECT_EQ(s.GetMemberByte22(4, 0), 2);
        EXPECT_EQ(s.GetMemberByte22(4, 1), 2);
        EXPECT_EQ(s.GetMemberByte24(4, 0), 1);
        EXPECT_EQ(s.GetMemberStrength(0), s.UnitInfoCursor::Select(tank) ? s.GetMaxStrength() : 0);
    }
    // A member dragged onto another panel swaps places; onto its own panel nothing changes.
    DragTo(PanelPoint(0), PanelPoint(2));
    DragTo(PanelPoint(1), PanelPoint(1));
    {
        rules::ForceCursor s = Scratch();
        EXPECT_EQ(s.GetMemberUnit(2), tank);
        EXPECT_EQ(s.GetMemberUnit(0), -1);
        EXPECT_EQ(s.GetMemberUnit(1), ifv);
    }
    // A member dragged onto the trash box leaves the troop.
    DragTo(PanelPoint(4), Centre(ui::GetDlgItem(dialog, kIdTrashBox)));
    EXPECT_EQ(Scratch().GetMemberUnit(4), -1);

    const int slot = GetOrganizeState().selectedTroop;
    Click(Centre(ui::GetDlgItem(dialog, kIdRegisterTroop)));
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "名称：第001陸上隊で部隊登録します。よろしいですか");
    EXPECT_EQ(boxes.back().caption, "部隊登録");
    {
        rules::ForceCursor t = ForceTroop(slot);
        EXPECT_EQ(core::SjisToUtf8(t.TroopCursor::GetName()), "第001陸上隊");
        EXPECT_EQ(t.GetTroopAltitudeClass(), 3);
        EXPECT_EQ(t.GetStateFlags() & rules::kTroopTemplate, 0);
        EXPECT_EQ(rules::CountMembers(t), 2);
    }
    EXPECT_EQ(Rows(kIdTroopList), 2);
    EXPECT_EQ(Counter(kIdTroopCounter), "部　隊: 1／80");
    EXPECT_EQ(core::SjisToUtf8(ui::GetDlgItemText(dialog, kIdTroopName)), "第002陸上隊");
    EXPECT_NE(GetOrganizeState().selectedTroop, slot);  // a new troop begins elsewhere

    DropUnit(tank, 0);
    Click(Centre(ui::GetDlgItem(dialog, kIdRegisterTemplate)));
    EXPECT_EQ(boxes.back().text, "名称：第002陸上隊でひな型登録します。よろしいですか");
    EXPECT_EQ(Rows(kIdTemplateList), 2);
    EXPECT_EQ(Counter(kIdTemplateCounter), "ひな型: 1／80");
    const int templateIndex = GetOrganizeState().templateRows[1];
    EXPECT_NE(ForceTroop(templateIndex).GetStateFlags() & rules::kTroopTemplate, 0);

    // Registering a template as a troop makes a new troop and keeps the template.
    ShowListTab(1);
    Click(RowPoint(kIdTemplateList, 1));
    EXPECT_EQ(GetOrganizeState().selectedTroop, templateIndex);
    Click(Centre(ui::GetDlgItem(dialog, kIdRegisterTroop)));
    EXPECT_EQ(Rows(kIdTroopList), 3);
    EXPECT_EQ(Rows(kIdTemplateList), 2);

    // The template dragged onto the trash box is discarded.
    DragTo(RowPoint(kIdTemplateList, 1), Centre(ui::GetDlgItem(dialog, kIdTrashBox)));
    EXPECT_EQ(Rows(kIdTemplateList), 1);
    EXPECT_EQ(ForceTroop(templateIndex).GetSlotByte(), rules::kUnusedSlotByte);
    EXPECT_EQ(Counter(kIdTemplateCounter), "ひな型: 0／80");
    // The new troop may begin in the discarded one's place: it begins empty.
    if (GetOrganizeState().selectedTroop == templateIndex) {
        rules::ForceCursor fresh = Scratch();
        EXPECT_EQ(rules::CountMembers(fresh), 0);
    }
    Shot("organize_compose");
    Close();
}

// What one opening changed (the page, the list tab, the altitude filter, the selection) goes
// with its dialog: the next opening starts from the parameters it is given.
TEST_F(OrganizeDialog, AnOpeningKeepsNothingOfThePreviousOne) {
    MakeCorps("useFrc10.prm");
    Open("useFrc10.prm");
    ShowListTab(1);
    ChooseAltitude(4);
    DropUnit(Unit("鉄牙 主力戦車"), 0);
    const ui::Hwnd infoTabs = ui::GetDlgItem(dialog, kIdInfoTabs);
    ui::Rect r{};
    ui::SendMessage(infoTabs, ui::TCM_GETITEMRECT, 3, reinterpret_cast<ui::LParam>(&r));
    Click(At(infoTabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
    ASSERT_EQ(GetOrganizeState().infoPage, 3);
    ASSERT_EQ(GetOrganizeState().listTab, 1);
    ASSERT_EQ(GetOrganizeState().unitFilterCode, 4);
    EXPECT_EQ(GetOrganizeState().dialog, dialog);
    Close();

    // Closed: no dialog is named, and the state is the parameters of the next opening.
    EXPECT_FALSE(GetOrganizeState().dialog);
    EXPECT_EQ(GetOrganizeState().infoPage, 0);
    EXPECT_EQ(GetOrganizeState().listTab, 0);
    EXPECT_EQ(GetOrganizeState().selectedTroop, -1);

    Open("useFrc10.prm");
    EXPECT_EQ(ui::SendDlgItemMessage(dialog, kIdInfoTabs, ui::TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(GetOrganizeState().infoPage, 0);
    EXPECT_EQ(GetOrganizeState().listTab, 0);
    EXPECT_EQ(GetOrganizeState().unitFilterCode, 1);
    EXPECT_EQ(ui::SendDlgItemMessage(dialog, kIdAltitudeCombo, ui::CB_GETCURSEL, 0, 0), 0);
    // The new troop is empty: the member dropped in the first opening was never registered.
    EXPECT_EQ(Scratch().GetMemberUnit(0), -1);
    Close();
}

TEST_F(OrganizeDialog, RefusalsLeaveTheForceAsItWas) {
    MakeCorps("useFrc10.prm");
    Open("useFrc10.prm");
    const int hq = Unit("統帥 機動司令部");
    const int hq2 = Unit("要塞 地下司令部");
    ChooseAltitude(4);
    DropUnit(hq, 0);
    DropUnit(hq2, 3);
    EXPECT_TRUE(BoxSaid("司令部が２小隊以上の部隊を編成することはできません。"));
    EXPECT_EQ(Scratch().GetMemberUnit(3), -1);
    DropUnit(hq2, 0);  // replacing the headquarters itself is allowed
    EXPECT_EQ(Scratch().GetMemberUnit(0), hq2);

    // A name of spaces only.
    ui::SetDlgItemText(dialog, kIdTroopName, core::Utf8ToSjis(" 　 "));
    boxes.clear();
    Click(Centre(ui::GetDlgItem(dialog, kIdRegisterTroop)));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "部隊名称が設定されていません。");
    EXPECT_EQ(Rows(kIdTroopList), 1);
    // Answering No stores nothing either.
    ui::SetDlgItemText(dialog, kIdTroopName, core::Utf8ToSjis("司令部隊"));
    answers = {ui::IDNO};
    Click(Centre(ui::GetDlgItem(dialog, kIdRegisterTroop)));
    EXPECT_EQ(Rows(kIdTroopList), 1);

    // Changing the altitude of a troop with members asks; No restores the combo.
    answers = {ui::IDNO};
    ChooseAltitude(1);
    EXPECT_EQ(boxes.back().text, "高度を変更すると小隊エリアがクリアされます。よろしいですか？");
    EXPECT_EQ(ui::SendDlgItemMessage(dialog, kIdAltitudeCombo, ui::CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(GetOrganizeState().unitFilterCode, 4);
    ChooseAltitude(1);  // Yes: the members go and a new troop begins
    EXPECT_EQ(GetOrganizeState().unitFilterCode, 1);
    {
        rules::ForceCursor fresh = Scratch();
        EXPECT_EQ(rules::CountMembers(fresh), 0);
    }

    // Enter and Esc never close the dialog.
    ui::SetFocus(List(kIdUnitList));
    screen->KeyDown(ui::VK_RETURN);
    screen->KeyDown(ui::VK_ESCAPE);
    Pump();
    EXPECT_TRUE(ui::IsWindow(dialog));
    Close();
}

TEST_F(OrganizeDialog, EightyTroopsAndEightyTemplatesAtMost) {
    const int tank = Unit("鉄牙 主力戦車");
    MakeCorps("useFrc10.prm", [&](rules::ForceCursor& fc) {
        const std::int16_t units[6] = {std::int16_t(tank), -1, -1, -1, -1, -1};
        for (int t = 0; t < 159; ++t) {
            fc.SelectForceTroop(std::uint16_t(t));
            rules::CreateTroopWithoutCountry(fc, units, 0, core::Utf8ToSjis("戦車隊").c_str());
            fc.SetTroopAltitudeClass(3);
            if (t >= 80) fc.SetStateFlags(std::uint16_t(fc.GetStateFlags() | rules::kTroopTemplate));
        }
    });
    Open("useFrc10.prm");
    EXPECT_EQ(Counter(kIdTroopCounter), "部　隊:80／80");
    EXPECT_EQ(Counter(kIdTemplateCounter), "ひな型:79／80");
    EXPECT_EQ(Rows(kIdTroopList), 81);
    EXPECT_EQ(GetOrganizeState().selectedTroop, 159);
    ChooseAltitude(4);
    DropUnit(tank, 0);
    boxes.clear();
    Click(Centre(ui::GetDlgItem(dialog, kIdRegisterTroop)));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "部隊の登録は８０部隊までしかできません。");
    EXPECT_EQ(ForceTroop(159).GetSlotByte(), rules::kUnusedSlotByte);
    Click(Centre(ui::GetDlgItem(dialog, kIdRegisterTemplate)));
    EXPECT_EQ(Counter(kIdTemplateCounter), "ひな型:80／80");
    EXPECT_NE(ForceTroop(159).GetStateFlags() & rules::kTroopTemplate, 0);
    // Every troop is used now: there is no new troop, and both registrations refuse.
    EXPECT_EQ(GetOrganizeState().selectedTroop, -1);
    boxes.clear();
    Click(Centre(ui::GetDlgItem(dialog, kIdRegisterTemplate)));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "ひな型の登録は８０部隊までしかできません。");
    Click(Centre(ui::GetDlgItem(dialog, kIdRegisterTroop)));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "部隊の登録は８０部隊までしかできません。");
    Close();
}

TEST_F(OrganizeDialog, ACorpsOfOneHundredSixtyTroopsFitsTheLists) {
    const int tank = Unit("鉄牙 主力戦車");
    MakeCorps("useFrc10.prm", [&](rules::ForceCursor& fc) {
        const std::int16_t units[6] = {std::int16_t(tank), -1, -1, -1, -1, -1};
        for (int t = 0; t < 160; ++t) {
            fc.SelectForceTroop(std::uint16_t(t));
            rules::CreateTroopWithoutCountry(fc, units, 0, core::Utf8ToSjis("戦車隊").c_str());
        }
    });
    Open("useFrc10.prm");
    EXPECT_EQ(Rows(kIdTroopList), 161);
    EXPECT_EQ(GetOrganizeState().troopRows[160], 159);
    EXPECT_EQ(GetOrganizeState().selectedTroop, -1);
    ShowListTab(2);
    Click(RowPoint(kIdTroopList, 160));
    EXPECT_EQ(GetOrganizeState().selectedTroop, 159);
    Close();
}

TEST_F(OrganizeDialog, UnitListFollowsAltitudeCodeAndProductionType) {
    MakeCorps("useFrc10.prm");
    Open("useFrc10.prm");
    ChooseAltitude(2);
    rules::UnitInfoCursor units(tables);
    int listed = 0;
    for (int r = 1; r < Rows(kIdUnitList); ++r) {
        ASSERT_TRUE(units.Select(GetOrganizeState().unitRows[std::size_t(r)]));
        EXPECT_EQ(units.GetAltitudeClass(), 1);
        EXPECT_NE(units.GetDefenceType(), 0);
        ++listed;
    }
    EXPECT_GT(listed, 0);
    // A production type without a side bit selects nothing (no shift by 32 or more).
    FillOrganizeUnitList(Tabs(), kIdUnitList, 4, 40);
    EXPECT_EQ(GetOrganizeState().unitFilterMask, 0);
    EXPECT_EQ(Rows(kIdUnitList), 1);
    Close();
}

int gShownUnit = -1;

TEST_F(OrganizeDialog, ADoubleClickOnAUnitOpensItsInformation) {
    MakeCorps("useFrc10.prm");
    Open("useFrc10.prm");
    SetUnitKindInfoDialog([](ui::Hwnd, int unit) { gShownUnit = unit; });
    ChooseAltitude(4);
    const int tank = Unit("鉄牙 主力戦車");
    const ui::Point p = RowPoint(kIdUnitList, UnitRow(tank));
    screen->AdvanceClock(600);
    Click(p);
    screen->Click(p.x, p.y);
    Pump();
    EXPECT_EQ(gShownUnit, tank);
    gShownUnit = -1;
    const ui::Point first = RowPoint(kIdUnitList, 0);  // the 新規登録 row has no unit
    screen->AdvanceClock(600);
    Click(first);
    screen->Click(first.x, first.y);
    Pump();
    EXPECT_EQ(gShownUnit, -1);
    SetUnitKindInfoDialog(nullptr);
    Close();
}

TEST_F(OrganizeDialog, DefaultNamesCountTroopsAndTemplatesOfTheClass) {
    MakeCorps("useFrc10.prm", [&](rules::ForceCursor& fc) {
        const int classes[6] = {1, 1, 1, 2, 3, 3};
        for (int t = 0; t < 6; ++t) {
            fc.SelectForceTroop(std::uint16_t(t));
            rules::CreateTroop(fc, "x", std::uint8_t(classes[t]), 0);
            if (t == 3) fc.SetStateFlags(rules::kTroopTemplate);
        }
        fc.SelectForceTroop(6);
        rules::CreateTroop(fc, "x", 7, 0);  // no class: never counted
    });
    Open("useFrc10.prm");
    struct Case {
        int altitudeClass;
        const char* name;
    } cases[] = {{1, "第005航空隊"}, {2, "第005航空隊"}, {3, "第003陸上隊"}, {4, "第001艦隊"}, {5, "第001艦隊"},
                 {0, "第001航空隊"}};
    for (const Case& c : cases) {
        SetDefaultTroopName(dialog, c.altitudeClass);
        EXPECT_EQ(core::SjisToUtf8(ui::GetDlgItemText(dialog, kIdTroopName)), c.name) << c.altitudeClass;
    }
    EXPECT_EQ(Counter(kIdTroopCounter), "部　隊: 5／80");
    EXPECT_EQ(Counter(kIdTemplateCounter), "ひな型: 1／80");
    Close();
}

TEST_F(OrganizeDialog, ANewSessionNeverShowsAnOldTroopsEdits) {
    CopyDefaultCorps("useFrc00.prm");
    CopyDefaultCorps("useFrc01.prm");
    // The map settings open the editor on troop 0 of a country's corps.
    Open("useFrc00.prm", true, 0);
    ASSERT_EQ(GetOrganizeState().selectedTroop, 0);
    {
        rules::ForceCursor s = Scratch();
        ASSERT_EQ(rules::RemoveMember(s, 0), 1);
    }
    Close();  // not registered

    // Another corps replaces the working force the way a map or saved game fills the tables:
    // nothing tells the workspace.
    const auto other = ReadFile("useFrc01.prm");
    std::memcpy(tables.GetTableBase(rules::TableId::Force), other.data() + 16, rules::kForceRecordSize);
    Open("useFrc01.prm", false, 0);
    ASSERT_EQ(GetOrganizeState().selectedTroop, 0);
    rules::ForceCursor shown = Scratch();
    rules::ForceCursor stored = ForceTroop(0);
    // Page 0 fills each member's fuel to its pack; the rest is the stored troop.
    EXPECT_EQ(std::memcmp(shown.GetRecord()->data(), stored.GetRecord()->data(), 34), 0);
    for (int s = 0; s < 6; ++s) EXPECT_EQ(shown.GetMemberUnit(s), stored.GetMemberUnit(s)) << s;
    EXPECT_EQ(rules::CountMembers(shown), rules::CountMembers(stored));
    Close();
}

TEST_F(OrganizeDialog, AltitudeMixListsTroopsWithHighAndMediumAircraft) {
    int high = -1, medium = -1;
    rules::UnitInfoCursor units(tables);
    for (int i = 0; i < tables.GetTableRecordCount(rules::TableId::UnitInfo); ++i) {
        if (!units.Select(i) || units.GetAltitudeClass() != 1) continue;
        if (units.GetDefenceType() == 0 && high < 0) high = i;
        if (units.GetDefenceType() != 0 && medium < 0) medium = i;
    }
    ASSERT_GE(high, 0);
    ASSERT_GE(medium, 0);
    MakeCorps("useFrc10.prm", [&](rules::ForceCursor& fc) {
        const std::int16_t mixed[6] = {std::int16_t(high), std::int16_t(medium), -1, -1, -1, -1};
        const std::int16_t plain[6] = {std::int16_t(high), std::int16_t(high), -1, -1, -1, -1};
        fc.SelectForceTroop(0);
        rules::CreateTroopWithoutCountry(fc, plain, 0, "A");
        fc.SelectForceTroop(1);
        rules::CreateTroopWithoutCountry(fc, mixed, 0, "B");
        fc.SelectForceTroop(2);
        rules::CreateTroopWithoutCountry(fc, mixed, 0, "C");
        fc.SetStateFlags(rules::kTroopTemplate);
    });
    rules::ForceCursor fc(tables, 5, nullptr);
    fc.SelectSlot(5);
    ASSERT_TRUE(fc.LoadUserForceFile(world.corpsDirectory, "useFrc10.prm").ok);
    EXPECT_EQ(core::SjisToUtf8(BuildAltitudeMixText()), "部　隊のB\r\nひな型のC\r\n");
    fc.SelectForceTroop(1);
    fc.ResetCurrentTroop();
    fc.SelectForceTroop(2);
    fc.ResetCurrentTroop();
    EXPECT_EQ(BuildAltitudeMixText(), "");
}

// The three registration buttons follow what is selected: the new troop without members, the
// new troop with members, a registered troop, a registered template, nothing.
TEST_F(OrganizeDialog, RegistrationButtonsFollowWhatIsSelected) {
    const int tank = Unit("鉄牙 主力戦車");
    MakeCorps("useFrc10.prm", [&](rules::ForceCursor& fc) {
        const std::int16_t members[6] = {std::int16_t(tank), -1, -1, -1, -1, -1};
        fc.SelectForceTroop(0);
        rules::CreateTroopWithoutCountry(fc, members, 0, "T");
        fc.SelectForceTroop(1);
        rules::CreateTroopWithoutCountry(fc, members, 0, "H");
        fc.SetStateFlags(rules::kTroopTemplate);
    });
    Open("useFrc10.prm");
    ChooseAltitude(4);
    // 登録内容変更, ひな型登録, 部隊登録 after the dialog's timer has looked.
    using Buttons = std::array<bool, 3>;
    const auto buttons = [&] {
        screen->AdvanceClock(150);
        Pump();
        return Buttons{ui::IsWindowEnabled(ui::GetDlgItem(dialog, kIdChangeEntry)),
                       ui::IsWindowEnabled(ui::GetDlgItem(dialog, kIdRegisterTemplate)),
                       ui::IsWindowEnabled(ui::GetDlgItem(dialog, kIdRegisterTroop))};
    };
    EXPECT_EQ(buttons(), (Buttons{false, false, false})) << "a new troop without members";
    DropUnit(tank, 0);
    EXPECT_EQ(buttons(), (Buttons{false, true, true})) << "a new troop with members";
    const auto rowOf = [](const auto& rows, int troop) {
        for (std::size_t r = 0; r < rows.size(); ++r)
            if (rows[r] == troop) return int(r);
        return -1;
    };
    const int troopRow = rowOf(GetOrganizeState().troopRows, 0);
    ASSERT_GE(troopRow, 0);
    ShowListTab(2);
    Click(RowPoint(kIdTroopList, troopRow));
    ASSERT_EQ(GetOrganizeState().selectedTroop, 0);
    EXPECT_EQ(buttons(), (Buttons{true, false, false})) << "a registered troop";
    ShowListTab(1);
    const int templateRow = rowOf(GetOrganizeState().templateRows, 1);
    ASSERT_GE(templateRow, 0);
    Click(RowPoint(kIdTemplateList, templateRow));
    ASSERT_EQ(GetOrganizeState().selectedTroop, 1);
    EXPECT_EQ(buttons(), (Buttons{true, false, true})) << "a registered template";
    GetOrganizeState().selectedTroop = -1;
    EXPECT_EQ(buttons(), (Buttons{false, true, true})) << "nothing selected";
    Close();
}

}  // namespace
}  // namespace zv::organize::testing
