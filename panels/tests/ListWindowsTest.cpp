#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/HelperWindow.h"
#include "panels/ListRows.h"
#include "panels/ListWindows.h"
#include "panels/PanelCommon.h"
#include "panels/tests/ModalSteps.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/core/Sjis.h"
#include "platform/ui/DialogLayoutCheck.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ImageList.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/RuleRecords.h"

namespace zv::panels::testing {
namespace {

class ListWindowsTest : public PanelsTest {
  protected:
    void TearDown() override {
        fw::SetPlayerCountry(0);
        PanelsTest::TearDown();
    }
    ui::Point RowCentre(ui::Hwnd list, int row, int column) {
        ui::Rect r{};
        r.left = ui::LVIR_BOUNDS;
        ui::SendMessage(list, ui::LVM_GETITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r));
        int x = r.left;
        for (int c = 0; c < column; ++c) x += int(ui::SendMessage(list, ui::LVM_GETCOLUMNWIDTH, c, 0));
        ui::Point p{x + int(ui::SendMessage(list, ui::LVM_GETCOLUMNWIDTH, column, 0)) / 2,
                    (r.top + r.bottom) / 2};
        ui::ClientToScreen(list, &p);
        return p;
    }
    void DoubleClick(ui::Point p) {
        screen->Click(p.x, p.y);
        screen->Click(p.x, p.y);
        Pump();
    }
    // The troops of country a that player p may see, by the tables.
    std::vector<uint16_t> Visible(uint8_t a, uint8_t p) {
        std::vector<uint16_t> out;
        rules::TroopCursor t(game.Tables());
        const bool allied = rules::AreCountriesAllied(game.Tables(), a, p) != 0;
        for (uint16_t i = 0; i < 160; ++i) {
            if (!t.Select(i) || !t.HasMembers() || t.GetCountry() != a) continue;
            if (!allied && !(t.GetMask28() & (1u << (4 + p)))) continue;
            if (!t.TestCountryMask(p)) continue;
            out.push_back(i);
        }
        return out;
    }
    ui::Hwnd ShowTroopList() {
        const ui::Hwnd h = CreatePartyListWindow(nullptr, mdiClient);
        shell::SetWindowOfKind(shell::WindowKind::TroopListWnd, h);
        ui::ShowWindow(h, ui::SW_SHOW);
        Pump();
        return h;
    }
};

// Every row carries its troop's mark: 12 x country + the troop's picture, from the 48 marks of
// the troop-mark sheet; a damaged picture or country gets no mark rather than another one.
TEST_F(ListWindowsTest, TroopRowsCarryTheirTroopsMarks) {
    const ui::Hwnd h = ShowTroopList();
    ui::SendMessage(h, WM_REFRESH_TROOP_LIST, 0, 0);
    const ui::Hwnd list = ui::GetDlgItem(h, IDC_TROOP_LIST);
    const auto* images = reinterpret_cast<const ui::ImageList*>(
        ui::SendMessage(list, ui::LVM_GETIMAGELIST, ui::LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr) << "trpMark.bmp was not read";
    EXPECT_EQ(ui::ImageList_GetImageCount(images), 48);
    rules::TroopCursor t(game.Tables());
    const std::vector<uint16_t> rows = TroopListRows();
    ASSERT_FALSE(rows.empty());
    for (size_t r = 0; r < rows.size(); ++r) {
        ui::LvItem item;
        item.mask = ui::LVIF_IMAGE;
        item.iItem = int(r);
        ui::SendMessage(list, ui::LVM_GETITEMA, 0, reinterpret_cast<ui::LParam>(&item));
        t.Select(rows[r]);
        EXPECT_EQ(item.iImage, 12 * t.GetCountry() + t.GetIcon()) << "troop " << rows[r];
    }
    const struct {
        int country, picture, image;
    } cases[] = {{0, 0, 0}, {3, 11, 47}, {1, 8, 20}, {4, 0, -1}, {0xFF, 3, -1}, {2, 12, -1}, {0, -1, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(TroopMarkImage(c.country, c.picture), c.image) << c.country << "/" << c.picture;
    }
}

TEST_F(ListWindowsTest, TroopListShowsWhatThePlayerMaySee) {
    const ui::Hwnd h = ShowTroopList();
    ui::SendMessage(h, WM_REFRESH_TROOP_LIST, 0, 0);
    EXPECT_EQ(TroopListCountry(), 0);
    const std::vector<uint16_t> own = TroopListRows();
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(own, Visible(0, 0));
    const ui::Hwnd list = ui::GetDlgItem(h, IDC_TROOP_LIST);
    rules::TroopCursor t(game.Tables());
    t.Select(own[0]);
    const uint16_t hex = t.GetHexValue();
    EXPECT_EQ(ListCellText(list, 0, 0), Format("%03d", own[0] + 1));
    EXPECT_EQ(ListCellText(list, 0, 1), core::SjisToUtf8(t.GetName()));
    EXPECT_EQ(ListCellText(list, 0, 2), Format("(%2d,%2d)", hex & 0xFF, hex >> 8));
    EXPECT_EQ(ListCellText(list, 0, 3), t.GetStatusText(0, 0));
    EXPECT_EQ(ListCellText(list, 0, 4), (t.GetStateFlags() & kTroopDisplayFlag) ? "ON" : "OFF");
    Shot("panels_troop_list");

    // Country 1 looks at country 0's troops (shown until its first refresh): one identified
    // troop is listed, the rest only once the two are allied.
    ui::DestroyWindow(h);
    fw::SetPlayerCountry(1);
    rules::CountryCursor country(game.Tables());
    ASSERT_FALSE(rules::AreCountriesAllied(game.Tables(), 0, 1));
    for (uint16_t i : own) {
        t.Select(i);
        t.SetMask28(uint16_t(t.GetMask28() & ~0x20));
    }
    t.Select(own[1]);
    t.SetMask28(uint16_t(t.GetMask28() | 0x20));
    const ui::Hwnd foreign = ShowTroopList();
    EXPECT_EQ(TroopListCountry(), 0);
    EXPECT_EQ(TroopListRows(), std::vector<uint16_t>{own[1]});
    ui::DestroyWindow(foreign);
    // An alliance is made on both sides.
    uint8_t masks[2];
    for (uint8_t c : {0, 1}) {
        country.Select(c);
        masks[c] = country.GetAllianceMask();
        country.SetAllianceMask(uint8_t(masks[c] | (1u << (1 - c))));
    }
    const ui::Hwnd allied = ShowTroopList();
    EXPECT_EQ(TroopListRows(), own);
    for (uint8_t c : {0, 1}) {
        country.Select(c);
        country.SetAllianceMask(masks[c]);
    }
    ui::DestroyWindow(allied);
}

TEST_F(ListWindowsTest, DoubleClickTogglesTheDisplaySwitchOrOpensTheTroop) {
    const ui::Hwnd h = ShowTroopList();
    ui::SendMessage(h, WM_REFRESH_TROOP_LIST, 0, 0);
    const ui::Hwnd list = ui::GetDlgItem(h, IDC_TROOP_LIST);
    const uint16_t troop = TroopListRows().at(0);
    rules::TroopCursor t(game.Tables());
    t.Select(troop);
    t.SetStateFlags(uint16_t(t.GetStateFlags() & ~kTroopDisplayFlag));
    ui::SendMessage(h, WM_REFRESH_TROOP_LIST, 0, 0);
    for (const char* want : {"ON", "OFF"}) {
        DoubleClick(RowCentre(list, 0, 4));
        EXPECT_EQ(ListCellText(list, 0, 4), want);
        t.Select(troop);
        EXPECT_EQ((t.GetStateFlags() & kTroopDisplayFlag) != 0, std::string(want) == "ON");
    }
    EXPECT_TRUE(host.calls.empty());
    DoubleClick(RowCentre(list, 0, 1));
    EXPECT_EQ(host.calls, std::vector<std::string>{"ShowTroopInfo(0," + std::to_string(troop) + ",0)"});
}

TEST_F(ListWindowsTest, WeaponListHoldsEveryWeaponOfTheTables) {
    const ui::Hwnd h = CreateUnitListWindow(nullptr, mdiClient);
    ASSERT_TRUE(h);
    shell::SetWindowOfKind(shell::WindowKind::UnitListWnd, h);
    const ui::Hwnd list = ui::GetDlgItem(h, IDC_WEAPON_LIST);
    rules::UnitInfoCursor unit(game.Tables());
    rules::UnitKindCursor kind(game.Tables());
    std::vector<uint16_t> want;
    for (int i = 0; i < 2000; ++i)
        if (unit.Select(i) && unit.GetUnitKind() != 127) want.push_back(uint16_t(i));
    ASSERT_EQ(WeaponListRows(), want);
    ASSERT_EQ(ListRowCount(list), int(want.size()));
    for (size_t r = 0; r < want.size(); ++r) {
        unit.Select(want[r]);
        kind.Select(unit.GetUnitKind());
        EXPECT_EQ(ListCellText(list, int(r), 0), core::SjisToUtf8(unit.GetName())) << r;
        EXPECT_EQ(ListCellText(list, int(r), 1), core::SjisToUtf8(kind.GetName())) << r;
        ui::LvItem item;
        item.mask = ui::LVIF_IMAGE;
        item.iItem = int(r);
        ui::SendMessage(list, ui::LVM_GETITEMA, 0, reinterpret_cast<ui::LParam>(&item));
        EXPECT_EQ(item.iImage, kind.GetGraphicIndex()) << r;
    }
    ui::ShowWindow(h, ui::SW_SHOW);
    Pump();
    Shot("panels_weapon_list");
    gFrameCommands.clear();
    ui::SendMessage(h, ui::WM_CLOSE, 0, 0);
    EXPECT_EQ(gFrameCommands, std::vector<int>{IDM_WEAPON_LIST});
}

class WeaponDetailTest : public ListWindowsTest {
  protected:
    static bool IsSheet(ui::Hwnd h) {
        return core::SjisToUtf8(ui::GetWindowText(h)) == "兵器詳細";
    }
    // Client point of the sheet on the screen.
    static ui::Point At(ui::Hwnd dlg, int x, int y) {
        ui::Point p{x, y};
        ui::ClientToScreen(dlg, &p);
        return p;
    }
    int Show(uint16_t unit, std::deque<std::function<void()>> steps) {
        return RunWithSteps(screen, std::move(steps), IsSheet,
                            [&] { return ShowUnitKindInfoDialog(frame, unit); });
    }
    // A unit with at least two fuelled packs and one without fuel, and whether it transforms.
    uint16_t FindUnit(bool transforms) {
        rules::UnitInfoCursor unit(game.Tables());
        for (int i = 0; i < 2000; ++i) {
            if (!unit.Select(i) || unit.GetUnitKind() == 127) continue;
            int fuelled = 0;
            for (int k = 0; k < 4; ++k) fuelled += unit.GetPackFuel(k) != 0;
            if ((unit.GetTransformUnit() != kNoUnitInfo) == transforms && fuelled >= 2 && fuelled < 4)
                return uint16_t(i);
        }
        return kNoUnitInfo;
    }
};

TEST_F(WeaponDetailTest, PackButtonsChooseOnlyFuelledPacksOnRelease) {
    const uint16_t u = FindUnit(false);
    ASSERT_NE(u, kNoUnitInfo);
    rules::UnitInfoCursor unit(game.Tables());
    unit.Select(u);
    int fuelled = -1, empty = -1;
    for (int k = 3; k >= 0; --k) {
        if (unit.GetPackFuel(k) == 0) empty = k;
        else if (k != 0) fuelled = k;
    }
    ASSERT_GE(fuelled, 1);
    ASSERT_GE(empty, 0);
    auto button = [](int k) { return ui::Point{428 + 40 * k + 20, 251}; };
    std::vector<int> packs;
    bool busy = false;
    Show(u, {
        [&] {
            const ui::Hwnd dlg = ui::GetActiveWindow();
            busy = (game.Sim().GetBusyMask() & 1) != 0;
            packs.push_back(GetWeaponDetailPack(ui::GetActiveWindow()));
            // Pressed and released elsewhere: nothing changes.
            const ui::Point b = At(dlg, button(fuelled).x, button(fuelled).y);
            screen->MouseDown(b.x, b.y);
            const ui::Point away = At(dlg, 100, 20);
            screen->MouseMove(away.x, away.y);
            screen->MouseUp(away.x, away.y);
        },
        [&] {
            const ui::Hwnd dlg = ui::GetActiveWindow();
            packs.push_back(GetWeaponDetailPack(ui::GetActiveWindow()));
            // A pack without fuel cannot be chosen.
            const ui::Point e = At(dlg, button(empty).x, button(empty).y);
            screen->Click(e.x, e.y);
        },
        [&] {
            const ui::Hwnd dlg = ui::GetActiveWindow();
            packs.push_back(GetWeaponDetailPack(ui::GetActiveWindow()));
            const ui::Point b = At(dlg, button(fuelled).x, button(fuelled).y);
            screen->Click(b.x, b.y);
        },
        [&] {
            packs.push_back(GetWeaponDetailPack(ui::GetActiveWindow()));
            // No transformation: a click elsewhere keeps the unit.
            const ui::Hwnd dlg = ui::GetActiveWindow();
            const ui::Point away = At(dlg, 100, 20);
            screen->Click(away.x, away.y);
        },
        [&] {
            EXPECT_EQ(GetWeaponDetailUnit(ui::GetActiveWindow()), u);
            Shot("panels_weapon_detail");
            ui::SendMessage(ui::GetActiveWindow(), ui::WM_CLOSE, 0, 0);
        },
    });
    EXPECT_TRUE(busy);
    EXPECT_EQ(game.Sim().GetBusyMask() & 1, 0u);
    EXPECT_EQ(packs, (std::vector<int>{0, 0, 0, fuelled}));
}

TEST_F(WeaponDetailTest, ClicksOutsideTheButtonsWalkTheTransformationChain) {
    rules::UnitInfoCursor unit(game.Tables());
    uint16_t u = kNoUnitInfo;
    for (int i = 0; i < 2000 && u == kNoUnitInfo; ++i)
        if (unit.Select(i) && unit.GetUnitKind() != 127 && unit.GetTransformUnit() != kNoUnitInfo)
            u = uint16_t(i);
    if (u == kNoUnitInfo) {
        // No unit of the tables transforms: make the first two units a chain.
        rules::UnitInfoCursor other(game.Tables());
        for (int i = 0; i < 2000 && u == kNoUnitInfo; ++i)
            if (unit.Select(i) && unit.GetUnitKind() != 127) u = uint16_t(i);
        ASSERT_NE(u, kNoUnitInfo);
        uint16_t next = kNoUnitInfo;
        for (int i = u + 1; i < 2000 && next == kNoUnitInfo; ++i)
            if (other.Select(i) && other.GetUnitKind() != 127) next = uint16_t(i);
        ASSERT_NE(next, kNoUnitInfo);
        rules::TableDirectory& tables = game.Tables();
        std::uint8_t* record = tables.GetTableBase(rules::TableId::UnitInfo) +
                               std::size_t(u) * tables.GetEntry(rules::TableId::UnitInfo).recordSize;
        rules::WriteU16(record, rules::UnitInfoRecord::kTransformUnit, uint16_t(next + 1));
    }
    unit.Select(u);
    ASSERT_NE(unit.GetTransformUnit(), kNoUnitInfo);
    const uint16_t second = unit.GetTransformUnit();
    std::vector<uint16_t> shown;
    Show(u, {
        [&] {
            shown.push_back(GetWeaponDetailUnit(ui::GetActiveWindow()));
            const ui::Point p = At(ui::GetActiveWindow(), 100, 20);
            screen->Click(p.x, p.y);
        },
        [&] {
            shown.push_back(GetWeaponDetailUnit(ui::GetActiveWindow()));
            Shot("panels_weapon_detail_transformed");
            ui::SendMessage(ui::GetActiveWindow(), ui::WM_COMMAND, ui::IDOK, 0);
        },
    });
    EXPECT_EQ(shown, (std::vector<uint16_t>{u, second}));
}

// The defence type is a target class (high air first, sites last, the order of the rates beside
// it); the sheet names the class the unit is hit as.
TEST_F(WeaponDetailTest, DefenceTypeNamesTheClassTheUnitBelongsTo) {
    const struct {
        const char* unit;
        const char* shown;
    } cases[] = {
        {"鉄牙 主力戦車", "車　両"}, {"蒼鷹 制空戦闘機", "高高度"}, {"疾蜂 攻撃ヘリ", "低高度"},
        {"歩兵小隊", "歩　兵"},      {"統帥 機動司令部", "司令部"}, {"碧洋 航空母艦", "艦　船"},
        {"深淵 攻撃型潜水艦", "潜水艦"}, {"鉄壁 防空陣地", "施　設"},
    };
    rules::UnitInfoCursor unit(game.Tables());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.unit);
        int found = -1;
        for (int i = 0; i < 2000 && found < 0; ++i)
            if (unit.Select(i) && core::SjisToUtf8(unit.GetName()) == c.unit) found = i;
        ASSERT_GE(found, 0);
        const char* name = DefenceTypeName(unit.GetDefenceType());
        ASSERT_NE(name, nullptr);
        EXPECT_STREQ(name, c.shown);
    }
    EXPECT_EQ(DefenceTypeName(10), nullptr);
    EXPECT_EQ(DefenceTypeName(-1), nullptr);
}

}  // namespace
}  // namespace zv::panels::testing

namespace zv::panels::testing {
namespace {

TEST(PanelDialogTemplates, ReinforcementAndWeaponSheetsLayOutAndBuild) {
    RegisterHelperDialogs();
    RegisterListWindowDialogs();
    for (const ui::Size screenSize : {ui::Size{800, 600}, ui::Size{1024, 768}}) {
        ui::WindowManager wm(std::make_unique<ui::HeadlessBackend>(screenSize.cx, screenSize.cy));
        for (int n : {kReinforcementDialog, kWeaponDetailDialog}) {
            ui::DialogTemplate t;
            ASSERT_TRUE(ui::DialogRegistry::Global().Find(n, &t)) << n;
            for (const std::string& p : ui::CheckDialogLayout(t)) ADD_FAILURE() << n << ": " << p;
            const ui::Hwnd dlg = ui::CreateDialogParam(
                nullptr, n, {}, [](ui::Hwnd, uint32_t, ui::WParam, ui::LParam) -> intptr_t { return 0; },
                0);
            EXPECT_TRUE(dlg) << n;
            ui::DestroyWindow(dlg);
        }
    }
}

}  // namespace
}  // namespace zv::panels::testing
