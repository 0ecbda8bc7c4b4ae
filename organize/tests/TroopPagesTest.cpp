// The troop display pages against the rule tables: each painted value of a member, for a few
// units of the default content, is the one the unit's records give.

#include <cstdio>
#include <cstring>

#include "organize/tests/OrganizeFixture.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"

namespace zv::organize::testing {
namespace {

class TroopPages : public OrganizeTest {
  protected:
    void SetUp() override {
        OrganizeTest::SetUp();
        CopyDefaultCorps("useFrc00.prm");
        rules::ForceCursor fc(tables, 5, &workspace);
        fc.SelectSlot(5);
        ASSERT_TRUE(fc.LoadUserForceFile(world.corpsDirectory, "useFrc00.prm").ok);
        SetOrganizeTitle(core::Utf8ToSjis("蒼国統合兵団 統合軍").c_str());
        SetOrganizeParams(0xFFFF, 1, 0, 5, 0);
        GetOrganizeState().editingFlag = 1;
        dialog = ui::CreateDialogParam(nullptr, kOrganizeDialog, owner, OrganizeDlgProc, 0);
        ASSERT_TRUE(dialog);
        ui::ShowWindow(dialog, ui::SW_SHOW);
        Pump();
        SetPageRecording(&recording);
    }
    void TearDown() override {
        SetPageRecording(nullptr);
        ui::DestroyWindow(dialog);
        rules::EndForceScratchMode(workspace);
        OrganizeTest::TearDown();
    }
    ui::Hwnd Display() { return ui::GetDlgItem(ui::GetDlgItem(dialog, kIdInfoTabs), kIdTroopDisplay); }

    // The new troop of the dialog with these units in slots 0, 1, ...
    void Compose(std::initializer_list<int> units) {
        rules::ForceCursor fc(tables, 5, &workspace);
        fc.SelectSlot(5);
        ASSERT_GE(GetOrganizeState().selectedTroop, 0);
        fc.SelectTroop(std::uint16_t(GetOrganizeState().selectedTroop));
        int slot = 0;
        for (int u : units) ASSERT_EQ(rules::SetMemberUnit(fc, slot++, std::int16_t(u)), 1);
        ui::SendMessage(Display(), WM_TROOP_INFO_REFRESH, 0, 0);
    }
    rules::ForceCursor Troop() {
        rules::ForceCursor fc(tables, 5, &workspace);
        fc.SelectSlot(5);
        fc.SelectTroop(std::uint16_t(GetOrganizeState().selectedTroop));
        return fc;
    }
    void ShowPage(int page) {
        ui::Hwnd tabs = ui::GetDlgItem(dialog, kIdInfoTabs);
        ui::Rect r{};
        ui::SendMessage(tabs, ui::TCM_GETITEMRECT, ui::WParam(page), reinterpret_cast<ui::LParam>(&r));
        recording = {};
        const bool same = GetOrganizeState().infoPage == page;
        Click(At(tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
        // A click on the page already shown changes nothing: paint it again.
        if (same) ui::SendMessage(Display(), WM_TROOP_INFO_REFRESH, page, 0);
        ASSERT_EQ(GetOrganizeState().infoPage, page);
    }
    // The text painted with its top left at (x, y) of the display window; "" when none.
    std::string TextAt(int x, int y) const {
        std::string found;
        for (const PageText& t : recording.texts) {
            if (t.x == x && t.y == y) found = core::SjisToUtf8(t.text);
        }
        return found;
    }
    static std::string F(const char* format, int v) {
        char text[32];
        std::snprintf(text, sizeof text, format, v);
        return text;
    }

    ui::Hwnd dialog{};
    PageRecording recording;
};

TEST_F(TroopPages, MemberValuesFollowTheRuleTables) {
    const char* names[] = {"鉄牙 主力戦車", "剛狼 歩兵戦闘車", "糧秣 補給車", "轟天 自走榴弾砲"};
    rules::UnitInfoCursor unit(tables);
    rules::WeaponKdCursor weapons(tables);
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const int u = Unit(name);
        ASSERT_TRUE(unit.Select(u));
        // A new troop for each unit.
        SelectOrganizeTroop(dialog, -1, 1, 0);
        {
            rules::ForceCursor fc = Troop();
            for (int s = 0; s < 6; ++s) rules::RemoveMember(fc, s);
        }
        Compose({u});
        const int pack = Troop().GetMemberPack(0);
        const int x = kPanelOrigins[0].x, y = kPanelOrigins[0].y;

        ShowPage(0);
        EXPECT_EQ(TextAt(x + 28, y + 60), F("%d", unit.GetMaxStrength()));
        EXPECT_EQ(TextAt(x + 40, y + 60), F("%d", unit.GetMaxStrength()));
        EXPECT_EQ(TextAt(x + 80, y + 60), F("%5d", unit.GetPackFuel(pack)));
        EXPECT_EQ(TextAt(x + 116, y + 60), F("%5d", unit.GetPackFuel(pack)));
        EXPECT_EQ(TextAt(x + 28, y + 108), F("%7d", unit.GetPrice()));
        EXPECT_EQ(TextAt(x + 104, y + 108), F("%7d", unit.GetPriceWithSurcharge()));
        static const char* kAltitudes[] = {"", "航空", "ヘリ", "陸上", "海上", "海中"};
        EXPECT_EQ(TextAt(kPageX + 60, kPageY + 8), kAltitudes[unit.GetAltitudeClass()]);

        ShowPage(2);
        for (int n = 0; n < 10; ++n) {
            int q = 0;
            for (int w = 0; w < 6; ++w) {
                if (weapons.Select(unit.GetWeaponId(w)) && unit.GetPackAmmo(pack, w) != 0) {
                    q = std::max<int>(q, weapons.GetHitRate(n));
                }
            }
            EXPECT_EQ(TextAt(x + 60 + 76 * (n / 5), y + 52 + 14 * (n % 5)), F("%2d", q)) << "class " << n;
        }

        ShowPage(3);
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(TextAt(x + 60 + 76 * (i / 5), y + 52 + 14 * (i % 5)), F("%2d", unit.GetDefenceRate(i)));
        }

        ShowPage(4);
        for (int k = 0; k <= 20; ++k) {
            const int cost = unit.GetMoveCost(pack, k);
            EXPECT_EQ(TextAt(x + 8 + 20 * (k % 7), y + 34 + 30 * (k / 7)),
                      cost == 0 || cost == 255 ? "--" : F("%2d", cost))
                << "land kind " << k;
        }

        ShowPage(5);
        for (int layer = 0; layer < 5; ++layer) {
            EXPECT_EQ(TextAt(x + 4, y + 44 + 14 * layer), F("%2d", unit.GetRadarRange(layer)));
            EXPECT_EQ(TextAt(x + 136, y + 44 + 14 * layer), F("%2d", std::min<int>(unit.GetRadarRange(layer), 2)));
        }

        ShowPage(6);  // land kind 0 chosen in the land buttons
        for (int layer = 0; layer < 5; ++layer) {
            const int conceal = unit.GetConcealment(layer, 0);
            EXPECT_EQ(TextAt(x + 4, y + 44 + 14 * layer), F("%2d", unit.GetDaySight() + conceal));
            EXPECT_EQ(TextAt(x + 136, y + 44 + 14 * layer), F("%2d", unit.GetNightSight() + conceal));
        }

        ShowPage(8);
        for (int w = 0; w < 6; ++w) {
            const bool armed = unit.GetWeaponId(w) != 0 && weapons.Select(unit.GetWeaponId(w)) && weapons.GetSalvo() != 0;
            const std::string shown = TextAt(x + 8, y + 18 + 11 * w);
            if (armed) {
                EXPECT_EQ(shown, core::SjisToUtf8(std::string(weapons.GetName(), strnlen(weapons.GetName(), 24))));
                EXPECT_EQ(TextAt(x + 116, y + 18 + 11 * w), F("%3d", unit.GetPackAmmo(pack, w)));
            } else {
                EXPECT_EQ(shown, "Nothing");
            }
        }
        EXPECT_EQ(TextAt(x + 116, y + 86), F("%5d", unit.GetPackFuel(pack)));
    }
}

TEST_F(TroopPages, DurabilityIsDealtOutMachineByMachine) {
    rules::UnitInfoCursor unit(tables);
    int u = -1;
    for (int i = 0; i < tables.GetTableRecordCount(rules::TableId::UnitInfo) && u < 0; ++i) {
        if (unit.Select(i) && (unit.GetMaxStrength() == 3 || unit.GetMaxStrength() == 4) && unit.GetAltitudeClass() == 3) u = i;
    }
    ASSERT_GE(u, 0);
    unit.Select(u);
    Compose({u});
    {
        rules::ForceCursor fc = Troop();
        fc.SetMemberStrength(0, 3);
        fc.SetMemberDurability(0, 10);
    }
    ShowPage(0);
    const int d = unit.GetDurabilityPerUnit();
    const int x = kPanelOrigins[0].x, y = kPanelOrigins[0].y;
    char text[32];
    const int expected[3] = {4, 3, 3};
    for (int m = 0; m < 3; ++m) {
        std::snprintf(text, sizeof text, "%3d/%3d", expected[m], d);
        EXPECT_EQ(TextAt(x + 8 + 72 * (m % 2), y + 76 + 18 * (m / 2)), text) << m;
    }
    // A member of strength 0 shows no durability.
    Troop().SetMemberStrength(0, 0);
    ShowPage(1);
    ShowPage(0);
    EXPECT_EQ(TextAt(x + 8, y + 76), "");
}

TEST_F(TroopPages, PageControlsShowOnTheirOwnPageOnly) {
    Compose({Unit("鉄牙 主力戦車"), Unit("剛狼 歩兵戦闘車")});
    struct Control {
        int id, page;
    } controls[] = {{kIdLandButtons, 6}, {kIdPageBack, 7}, {kIdPageNext, 7}, {kIdPackButtons, 8},
                    {kIdPackButtons + 5, 8}, {kIdSliders, 9}, {kIdFormationList, 9}, {kIdModeList, 9}};
    for (int page = 0; page < 10; ++page) {
        ShowPage(page);
        for (const Control& c : controls) {
            EXPECT_EQ(ui::IsWindowVisible(ui::GetDlgItem(Display(), c.id)), c.page == page)
                << "control " << c.id << " on page " << page;
        }
    }
}

TEST_F(TroopPages, PageEditsReachTheTroop) {
    Compose({Unit("鉄牙 主力戦車"), Unit("剛狼 歩兵戦闘車")});
    // Page 8: a click on a member panel selects it; its weapon table shows.
    ShowPage(8);
    Click(At(Display(), kPanelOrigins[1].x + 70, kPanelOrigins[1].y + 50));
    EXPECT_EQ(GetTroopDisplayView(true).selectedSlot, 1);
    bool weaponTable = false;
    for (const PageText& t : recording.texts) weaponTable |= t.y >= kPageY + 18 && t.x == kPageX + 4;
    EXPECT_TRUE(weaponTable);
    // An empty panel selects nothing.
    Click(At(Display(), kPanelOrigins[5].x + 70, kPanelOrigins[5].y + 50));
    EXPECT_EQ(GetTroopDisplayView(true).selectedSlot, 1);
    Shot("organize_page08");

    // Page 9: the toggle halves and the order combos write the current formation and members.
    ShowPage(9);
    const int f = Troop().GetCurrentFormation();
    Click(At(Display(), kPageX + 130, kPageY + 10));
    EXPECT_EQ(Troop().GetFormationByte236(f), 1);
    Click(At(Display(), kPageX + 112, kPageY + 10));  // the gap between the halves
    EXPECT_EQ(Troop().GetFormationByte236(f), 1);
    Click(At(Display(), kPageX + 70, kPageY + 10));
    EXPECT_EQ(Troop().GetFormationByte236(f), 0);
    ui::SendMessage(Display(), zv::WM_SKIN_BAR_POS, 70, kIdSliders + 1);
    EXPECT_EQ(Troop().GetFormationByte240(f), 70);
    ui::SendMessage(Display(), zv::WM_SKIN_BAR_POS, 30, kIdSliders + 2);
    EXPECT_EQ(Troop().GetFormationByte238(f), 30);
    ui::SendMessage(ui::GetDlgItem(Display(), kIdCombos + 4 * 1 + 2), zv::WM_SKIN_SELECT_ITEM, 1, 0);
    EXPECT_EQ(Troop().GetMemberByte24(1, 0), 1);
    ui::SendMessage(Display(), zv::WM_SKIN_LIST_SELECTED, 3, kIdModeList);
    EXPECT_EQ(Troop().GetSlotByte(), 3);
    // Another formation stores the edited name into the one being left; an empty name is refused.
    ui::SetDlgItemText(dialog, kIdFormationName, "Assault");
    ui::SendMessage(Display(), zv::WM_SKIN_LIST_SELECTED, 2, kIdFormationList);
    EXPECT_EQ(Troop().GetCurrentFormation(), 2);
    EXPECT_STREQ(Troop().GetFormationName(f), "Assault");
    ui::SetDlgItemText(dialog, kIdFormationName, "  ");
    ui::SendMessage(Display(), zv::WM_SKIN_LIST_SELECTED, 1, kIdFormationList);
    EXPECT_EQ(Troop().GetCurrentFormation(), 2);
    EXPECT_TRUE(BoxSaid("フォーメーション名称が設定されていません"));
}

TEST_F(TroopPages, ScreenshotOfEveryPage) {
    CopyDefaultCorps("useFrc00.prm");
    // A troop of the corps with several members.
    int row = -1;
    for (int r = 1; r < kTroopRowCapacity && row < 0; ++r) {
        const int t = GetOrganizeState().troopRows[std::size_t(r)];
        if (t < 0) break;
        rules::ForceCursor fc(tables, 5, nullptr);
        fc.SelectSlot(5);
        fc.SelectForceTroop(std::uint16_t(t));
        if (rules::CountMembers(fc) >= 3) row = t;
    }
    ASSERT_GE(row, 0);
    GetOrganizeState().selectedTroop = std::int16_t(row);
    SelectOrganizeTroop(dialog, row, 1, 2);
    ui::SendMessage(Display(), WM_TROOP_INFO_REFRESH, 0, 0);
    for (int page = 0; page < 10; ++page) {
        // The texts the pages draw into their pictures, each within its picture.
        ui::TextDrawLog log;
        ShowPage(page);
        if (page == 8) Click(At(Display(), kPanelOrigins[0].x + 70, kPanelOrigins[0].y + 50));
        for (const ui::TextDrawRecord& r : log.Records()) {
            if (r.surface == screen->Screen().pixels) continue;  // the controls: Shot checks them
            EXPECT_EQ(ui::TextFitProblem(r), "") << "page " << page << ": " << ui::Utf8Of(r.text);
        }
        char name[32];
        std::snprintf(name, sizeof name, "organize_page%02d", page);
        Shot(name);
    }
}

}  // namespace
}  // namespace zv::organize::testing
