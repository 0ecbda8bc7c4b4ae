// The troop display pages against the rule tables: each painted value of a member, for a few
// units of the default content, is the one the unit's records give.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "organize/tests/OrganizeFixture.h"
#include "rules/records/Bytes.h"
#include "rules/records/RuleRecords.h"
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
        SetOrganizeParams(rules::kNoTroop, 1, 0, kAllCountriesScope, 0);
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

// The whole troop's rows below the member panels: on the defence page the highest member rate
// with its long bar, and the lowest (with the mean) drawn over it only where the members differ;
// on the movement page the fastest member's cost against the slowest.
TEST_F(TroopPages, WholeTroopRowsShowTheHighestAndLowestOfTheMembers) {
    const int a = Unit("鉄牙 主力戦車"), b = Unit("剛狼 歩兵戦闘車");
    Compose({a, b});
    rules::UnitInfoCursor ua(tables), ub(tables);
    ASSERT_TRUE(ua.Select(a));
    ASSERT_TRUE(ub.Select(b));
    const auto barsAt = [&](int x, int y) {
        std::vector<std::pair<int, int>> found;  // (source row, length)
        for (const PageBar& bar : recording.bars)
            if (bar.x == x && bar.y == y) found.emplace_back(bar.sourceRow, bar.length);
        return found;
    };

    ShowPage(3);
    int differing = 0;
    for (int c = 0; c < 10; ++c) {
        SCOPED_TRACE(c);
        const int high = std::max(ua.GetDefenceRate(c), ub.GetDefenceRate(c));
        const int low = std::min(ua.GetDefenceRate(c), ub.GetDefenceRate(c));
        const int X = 232 * (c / 5), y = kPageY + 8 + 20 * (c % 5);
        EXPECT_EQ(TextAt(kPageX + 204 + X, y), F("%3d", high));
        // Bars of no columns are not drawn.
        const auto bars = barsAt(kPageX + 40 + X, y);
        const auto length = [&](int row) {
            int n = 0;
            for (const auto& [r, l] : bars) n = r == row ? l : n;
            return n;
        };
        EXPECT_EQ(length(40), high * 160 / 100);
        EXPECT_EQ(length(64), low == high ? 0 : low * 160 / 100);
        if (low == high) {
            EXPECT_EQ(length(88), 0);
        } else {
            ++differing;
            EXPECT_GE(length(88), low * 160 / 100);
            EXPECT_LE(length(88), high * 160 / 100);
            // The lowest is drawn last, over the mean and the highest.
            if (low > 0) {
                EXPECT_EQ(bars.back().first, 64);
            }
        }
    }
    EXPECT_GT(differing, 0) << "the two units differ in some defence class";

    ShowPage(4);
    const int packA = Troop().GetMemberPack(0), packB = Troop().GetMemberPack(1);
    const int costA = ua.GetMoveCost(packA, 0), costB = ub.GetMoveCost(packB, 0);
    ASSERT_NE(costA, 255);
    ASSERT_NE(costB, 255);
    const int fast = std::min(costA, costB), slow = std::max(costA, costB);
    EXPECT_EQ(TextAt(kPageX + 440, kPageY + 50), F("%4d", fast));
    const auto speed = barsAt(kPageX + 280, kPageY + 50);
    ASSERT_FALSE(speed.empty());
    EXPECT_EQ(speed.front(), (std::pair<int, int>{76, 160}));
    if (fast != 0 && fast != slow) {
        ASSERT_EQ(speed.size(), 2u);
        EXPECT_EQ(speed[1], (std::pair<int, int>{88, fast * 160 / slow}));
    } else {
        EXPECT_EQ(speed.size(), 1u);
    }
}

// The 変形 button is live while a member's unit transforms into a unit of the tables; hidden,
// it is left as it is.
TEST_F(TroopPages, TheTransformButtonFollowsTheMembersUnits) {
    const int plain = Unit("鉄牙 主力戦車"), changing = Unit("剛狼 歩兵戦闘車");
    std::uint8_t* record = tables.GetTableBase(rules::TableId::UnitInfo) +
                           std::size_t(changing) * tables.GetEntry(rules::TableId::UnitInfo).recordSize;
    rules::WriteU16(record, rules::UnitInfoRecord::kTransformUnit, 0);  // none
    rules::UnitInfoCursor units(tables);
    ASSERT_TRUE(units.Select(plain));
    ASSERT_EQ(units.GetTransformUnit(), 0xFFFF) << "the plain unit must not transform";
    const ui::Hwnd button = ui::GetDlgItem(dialog, kIdTransform);
    ASSERT_TRUE(button);
    const auto recompose = [&](std::initializer_list<int> members) {
        {
            rules::ForceCursor fc = Troop();
            for (int s = 0; s < 6; ++s) rules::RemoveMember(fc, s);
        }
        Compose(members);
        Pump();
        return ui::IsWindowEnabled(button);
    };
    rules::WriteU16(record, rules::UnitInfoRecord::kTransformUnit, std::uint16_t(plain + 1));
    EXPECT_FALSE(recompose({changing})) << "hidden, the button is not touched";

    ui::ShowWindow(button, ui::SW_SHOW);
    struct Case {
        const char* what;
        std::uint16_t transform;  // stored one-based, 0 none
        std::vector<int> members;
        bool enabled;
    } const cases[] = {
        {"no member transforms", std::uint16_t(plain + 1), {plain}, false},
        {"the second member transforms", std::uint16_t(plain + 1), {plain, changing}, true},
        {"the only member transforms", std::uint16_t(plain + 1), {changing}, true},
        {"into a unit the tables lack", 60000, {plain, changing}, false},
        {"into nothing", 0, {changing}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rules::WriteU16(record, rules::UnitInfoRecord::kTransformUnit, c.transform);
        {
            rules::ForceCursor fc = Troop();
            for (int s = 0; s < 6; ++s) rules::RemoveMember(fc, s);
            int slot = 0;
            for (int u : c.members) ASSERT_EQ(rules::SetMemberUnit(fc, slot++, std::int16_t(u)), 1);
        }
        ui::SendMessage(Display(), WM_TROOP_INFO_REFRESH, 0, 0);
        Pump();
        EXPECT_EQ(ui::IsWindowEnabled(button), c.enabled);
    }
}

// Page 情報's icon grid: a click on a member's cell makes its icon the troop's; a click beside
// the cells changes nothing; a change of members puts back the first member's icon.
TEST_F(TroopPages, TheIconGridChoosesTheTroopsIconAndAMemberChangeResetsIt) {
    const int tank = Unit("鉄牙 主力戦車"), ifv = Unit("剛狼 歩兵戦闘車");
    rules::UnitInfoCursor units(tables);
    ASSERT_TRUE(units.Select(tank));
    const int tankIcon = units.GetKindByte29();
    ASSERT_TRUE(units.Select(ifv));
    const int ifvIcon = units.GetKindByte29();
    ASSERT_NE(tankIcon, 0xFF);
    ASSERT_NE(ifvIcon, 0xFF);
    ASSERT_NE(tankIcon, ifvIcon) << "two members with icons of their own";
    Compose({tank, ifv});
    ShowPage(0);
    const auto cell = [&](int slot) {
        return At(Display(), kPageX + 348 + 36 * (slot % 3) + 16, kPageY + 24 + 36 * (slot / 3) + 16);
    };
    struct Step {
        const char* what;
        ui::Point where;
        int icon;
    } const steps[] = {
        {"the second member's cell", cell(1), ifvIcon},
        {"an empty cell", cell(4), ifvIcon},
        {"beside the grid", At(Display(), kPageX + 340, kPageY + 120), ifvIcon},
        {"the first member's cell", cell(0), tankIcon},
        {"the second again", cell(1), ifvIcon},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(st.what);
        Click(st.where);
        EXPECT_EQ(Troop().GetIcon(), st.icon);
    }
    // The members trade places by a drag: the icon is the new first member's again.
    DragTo(At(Display(), kPanelOrigins[1].x + 76, kPanelOrigins[1].y + 30),
           At(Display(), kPanelOrigins[0].x + 76, kPanelOrigins[0].y + 30));
    ASSERT_EQ(Troop().GetMemberUnit(0), ifv);
    EXPECT_EQ(Troop().GetIcon(), ifvIcon);
    Click(cell(1));
    EXPECT_EQ(Troop().GetIcon(), tankIcon);
    DragTo(At(Display(), kPanelOrigins[1].x + 76, kPanelOrigins[1].y + 30),
           At(Display(), kPanelOrigins[2].x + 76, kPanelOrigins[2].y + 30));
    ASSERT_EQ(Troop().GetMemberUnit(2), tank);
    EXPECT_EQ(Troop().GetIcon(), ifvIcon) << "reset to the first member's";
}

// A troop without members shows every page bare, and the page edits change nothing of it.
TEST_F(TroopPages, ATroopWithoutMembersShowsBarePagesAndTakesNoEdits) {
    {
        rules::ForceCursor fc = Troop();
        for (int s = 0; s < 6; ++s) rules::RemoveMember(fc, s);
        ASSERT_EQ(rules::CountMembers(fc), 0);
    }
    ui::SendMessage(Display(), WM_TROOP_INFO_REFRESH, 0, 0);
    for (int page = 0; page < 10; ++page) {
        SCOPED_TRACE(page);
        ShowPage(page);
        EXPECT_TRUE(recording.texts.empty()) << core::SjisToUtf8(recording.texts.front().text);
        EXPECT_TRUE(recording.bars.empty());
        EXPECT_TRUE(recording.icons.empty());
    }
    std::vector<std::uint8_t> before;
    {
        rules::ForceCursor fc = Troop();
        before.assign(fc.GetRecord()->data(), fc.GetRecord()->data() + rules::kTroopRecordSize);
    }
    // Page 9's toggle, sliders, lists and member-order combos, and a click on a member panel.
    Click(At(Display(), kPageX + 130, kPageY + 10));
    ui::SendMessage(Display(), 2062, 70, kIdSliders + 1);
    ui::SendMessage(Display(), 2062, 30, kIdSliders + 2);
    ui::SendMessage(Display(), 2063, 3, kIdModeList);
    ui::SendMessage(Display(), 2063, 2, kIdFormationList);
    ui::SendMessage(ui::GetDlgItem(Display(), kIdCombos + 2), 2086, 1, 0);
    ShowPage(8);
    Click(At(Display(), kPanelOrigins[1].x + 70, kPanelOrigins[1].y + 50));
    EXPECT_EQ(GetTroopDisplayView(true).selectedSlot, -1);
    rules::ForceCursor after = Troop();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.GetRecord()->data())) << "the troop was changed";
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
