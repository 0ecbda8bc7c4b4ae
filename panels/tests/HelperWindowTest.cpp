#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "panels/HelperWindow.h"
#include "panels/PanelCommon.h"
#include "platform/core/Sjis.h"
#include "panels/ListRows.h"
#include "panels/ToolBar.h"
#include "panels/tests/ModalSteps.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/controls/CommonControls.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/troops/TroopMembers.h"
#include "simulation/CommandRecords.h"

namespace zv::panels::testing {
namespace {

class HelperWindowTest : public PanelsTest {
  protected:
    void SetUp() override {
        PanelsTest::SetUp();
        RegisterHelperDialogs();
        rules::GameContext ctx(game.Tables(), {});
        ctx.Header().SetOptionWord(
            uint16_t(ctx.Header().GetOptionWord() | rules::kOptionProductionInGame));
        FindSiteAndTroops();
    }
    void TearDown() override {
        gSteps.clear();
        PanelsTest::TearDown();
    }

    // A free site of country 0 and the corps troops that may be asked for there.
    void FindSiteAndTroops() {
        rules::GameContext ctx(game.Tables(), {});
        rules::SiteCursor sites(game.Tables());
        for (int s = 0; s < rules::kSiteCount && siteHex == rules::kNoHex; ++s) {
            if (!sites.Select(s) || sites.GetOwner() != 0) continue;
            uint16_t hex = 0;
            sites.GetHex(hex);
            if (!ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8) || ctx.GetHexTroopIndex() != rules::kNoTroopIndex)
                continue;
            if (!EligibleReinforcements(game.Tables(), 0, hex, 1).empty()) siteHex = hex;
        }
        ASSERT_NE(siteHex, rules::kNoHex) << "no free site of country 0 takes reinforcements";
        offered = EligibleReinforcements(game.Tables(), 0, siteHex, 1);
    }
    rules::ForceCursor Force() {
        rules::ForceCursor force(game.Tables(), 0);
        force.SelectSlot(0);
        return force;
    }
    uint16_t Flags(uint16_t troop) {
        rules::ForceCursor force = Force();
        force.SelectForceTroop(troop);
        return force.GetStateFlags();
    }
    void SetFlags(uint16_t troop, uint16_t flags) {
        rules::ForceCursor force = Force();
        force.SelectForceTroop(troop);
        force.SetStateFlags(flags);
    }
    std::vector<uint8_t> Orders() {
        const auto span = game.Sim().LocalOrders();
        return {span.begin(), span.end()};
    }
    // The screen centre of a row of a list view, or of a control.
    ui::Point RowCentre(ui::Hwnd list, int row) {
        ui::Rect r{};
        r.left = ui::LVIR_BOUNDS;
        ui::SendMessage(list, ui::LVM_GETITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r));
        ui::Point p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ui::ClientToScreen(list, &p);
        return p;
    }
    ui::Point ControlCentre(ui::Hwnd parent, int id) {
        ui::Rect r{};
        ui::GetWindowRect(ui::GetDlgItem(parent, id), &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void ClickPoint(ui::Point p) { screen->Click(p.x, p.y); }
    uint16_t Request(std::deque<std::function<void()>> steps) {
        return RunWithSteps(
            screen, std::move(steps),
            [](ui::Hwnd a) { return ui::GetDlgItem(a, IDC_REINFORCE_LIST) != ui::Hwnd{}; },
            [&] { return RequestReinforcements(frame, 0, siteHex, 1); });
    }

    uint16_t siteHex = rules::kNoHex;
    std::vector<uint16_t> offered;
};

TEST_F(HelperWindowTest, EligibilityOfCorpsTroopsForAHex) {
    rules::GameContext ctx(game.Tables(), {});
    rules::ForceCursor force = Force();
    const uint16_t t = offered.front();
    const int sx = siteHex & 0xFF, sy = siteHex >> 8;
    // A hex without a site next to the site, and one holding a troop of the map.
    int bareX = -1, bareY = -1;
    for (int dx = -3; dx <= 3 && bareX < 0; ++dx) {
        if (ctx.SelectHexInfoXY(sx + dx, sy) && ctx.GetHexSiteIndex() == rules::kNoSiteIndex &&
            ctx.GetHexTroopIndex() == rules::kNoTroopIndex) {
            bareX = sx + dx;
            bareY = sy;
        }
    }
    ASSERT_GE(bareX, 0);
    force.SelectForceTroop(t);
    const bool ground = force.RefreshAltitudeClass() == 3;
    const uint16_t flags = Flags(t);
    struct Case {
        const char* what;
        uint16_t flags;
        int x, y, siteFlag;
        bool listing, eligible;
    };
    const Case cases[] = {
        {"free own site", flags, sx, sy, 1, true, true},
        {"already requested", uint16_t(flags | kRequestPending), sx, sy, 1, true, false},
        {"excluded from requests", uint16_t(flags | kRequestExcluded), sx, sy, 1, true, false},
        {"site flag on a hex without a site", flags, bareX, bareY, 1, true, false},
        {"no site flag, no site", flags, bareX, bareY, 0, true, ground},
        {"no site flag at the site", flags, sx, sy, 0, true, true},
        {"off the map", flags, 64, sy, 1, true, false},
        {"on the map, counted", uint16_t(flags | rules::kTroopOnMap), sx, sy, 1, false, true},
        {"on the map, listed", uint16_t(flags | rules::kTroopOnMap), sx, sy, 1, true, false},
    };
    for (const Case& c : cases) {
        SetFlags(t, c.flags);
        EXPECT_EQ(IsReinforcementEligible(ctx, force, t, c.x, c.y, c.siteFlag, c.listing),
                  c.eligible)
            << c.what;
    }
    SetFlags(t, flags);
    // A troop standing on the site's hex closes it to requests, except a ground troop's
    // request without the site flag.
    ctx.SelectHexInfoXY(sx, sy);
    ctx.SetHexTroopIndex(3);
    EXPECT_FALSE(IsReinforcementEligible(ctx, force, t, sx, sy, 1, true));
    EXPECT_EQ(IsReinforcementEligible(ctx, force, t, sx, sy, 0, true), ground);
    ctx.SetHexTroopIndex(rules::kNoTroopIndex);
}

TEST_F(HelperWindowTest, RequestsAreRefusedWithoutProductionOrWar) {
    struct Case {
        const char* what;
        bool production;
        uint8_t state;
    };
    rules::GameContext ctx(game.Tables(), {});
    rules::CountryCursor country(game.Tables());
    country.Select(0);
    const uint8_t state = country.GetState();
    const uint16_t options = ctx.Header().GetOptionWord();
    for (const Case& c : {Case{"production off", false, 1}, Case{"fallen country", true, 3}}) {
        ctx.Header().SetOptionWord(c.production
                                       ? uint16_t(options | rules::kOptionProductionInGame)
                                       : uint16_t(options & ~rules::kOptionProductionInGame));
        country.SetState(c.state);
        // No dialog may open: nothing would close it.
        EXPECT_EQ(RequestReinforcements(frame, 0, siteHex, 1), rules::kNoTroop) << c.what;
    }
    country.SetState(state);
    ctx.Header().SetOptionWord(options);
    EXPECT_EQ(IsToolPanelEnabled(), 1);
}

TEST_F(HelperWindowTest, RequestThroughTheDialogAndWithdrawInTheHelperWindow) {
    const ui::Hwnd helper = CreateHelperWindow(nullptr, frame, 0, ui::WS_CHILD);
    ASSERT_TRUE(helper);
    shell::SetWindowOfKind(shell::WindowKind::HelperWindow, helper);
    // Docked beside the map, where the panel column stands.
    ui::SetWindowPos(helper, ui::Hwnd{}, 828, 22, 0, 0, ui::SWP_NOSIZE | ui::SWP_NOZORDER);
    ui::ShowWindow(helper, ui::SW_SHOW);
    Pump();
    EXPECT_TRUE(HelperWindowRows().empty());
    ui::Rect hr{};
    ui::GetWindowRect(helper, &hr);
    EXPECT_EQ(hr.right - hr.left, 194);
    EXPECT_EQ((hr.bottom - hr.top) % 16, 0);

    // The first troop offered that is no headquarters.
    int row = -1;
    for (size_t i = 0; i < offered.size() && row < 0; ++i) {
        rules::ForceCursor force = Force();
        force.SelectForceTroop(offered[i]);
        if (rules::CountHqMembers(force) == 0) row = int(i);
    }
    ASSERT_GE(row, 0);
    const size_t ordersBefore = Orders().size();
    bool sendWasDisabled = false, busyHeld = false, barDisabled = false;
    std::string count;
    const uint16_t chosen = Request({
        [&] {
            const ui::Hwnd dlg = ui::GetActiveWindow();
            const ui::Hwnd list = ui::GetDlgItem(dlg, IDC_REINFORCE_LIST);
            EXPECT_EQ(ListRowCount(list), int(offered.size()));
            count = core::SjisToUtf8(ui::GetWindowText(ui::GetDlgItem(dlg, IDC_REINFORCE_COUNT)));
            sendWasDisabled = !ui::IsWindowEnabled(ui::GetDlgItem(dlg, IDC_REINFORCE_SEND));
            busyHeld = (game.Sim().GetBusyMask() & 1) != 0;
            barDisabled = IsToolPanelEnabled() == 0;
            ClickPoint(RowCentre(list, row));
        },
        [&] {
            Shot("panels_reinforcement_dialog");
            ClickPoint(ControlCentre(ui::GetActiveWindow(), IDC_REINFORCE_SEND));
        },
    });
    EXPECT_TRUE(sendWasDisabled);
    EXPECT_TRUE(busyHeld);
    EXPECT_TRUE(barDisabled);
    EXPECT_EQ(count, Format("%3d", int(offered.size())));
    ASSERT_EQ(chosen, offered[row]);
    EXPECT_EQ(game.Sim().GetBusyMask() & 1, 0u);
    EXPECT_EQ(IsToolPanelEnabled(), 1);
    // The request stands in the corps and went to every participant as order 46.
    EXPECT_TRUE(Flags(chosen) & kRequestPending);
    {
        rules::ForceCursor force = Force();
        force.SelectForceTroop(chosen);
        EXPECT_EQ(force.GetHexValue(), siteHex);
    }
    std::vector<uint8_t> orders = Orders();
    ASSERT_EQ(orders.size() - ordersBefore, sim::PlaceOrder::Record::kSize);
    const auto place = sim::ReadRecord<sim::PlaceOrder>(orders.data() + ordersBefore);
    EXPECT_EQ(place.forceTroop, chosen);
    EXPECT_EQ(place.hex, siteHex);
    EXPECT_EQ(place.country, 0);
    // Not offered again.
    const auto again = EligibleReinforcements(game.Tables(), 0, siteHex, 1);
    EXPECT_EQ(std::count(again.begin(), again.end(), chosen), 0);

    // The helper window was told and lists the request.
    ASSERT_EQ(HelperWindowRows(), std::vector<uint16_t>{chosen});
    const ui::Hwnd list = ui::GetDlgItem(helper, IDC_HELPER_LIST);
    EXPECT_EQ(ListCellText(list, 0, 1), Format("(%2d,%2d)", siteHex & 0xFF, siteHex >> 8));
    Shot("panels_helper_window");
    const ui::Hwnd withdraw = ui::GetDlgItem(helper, IDC_HELPER_WITHDRAW);
    EXPECT_FALSE(ui::IsWindowEnabled(withdraw));
    ClickPoint(RowCentre(list, 0));
    Pump();
    EXPECT_TRUE(ui::IsWindowEnabled(withdraw));
    const size_t beforeWithdraw = Orders().size();
    ClickPoint(ControlCentre(helper, IDC_HELPER_WITHDRAW));
    Pump();
    EXPECT_TRUE(HelperWindowRows().empty());
    EXPECT_EQ(ListRowCount(list), 0);
    EXPECT_FALSE(ui::IsWindowEnabled(withdraw));
    EXPECT_FALSE(Flags(chosen) & kRequestPending);
    orders = Orders();
    ASSERT_EQ(orders.size() - beforeWithdraw, sim::WithdrawOrder::Record::kSize);
    const auto withdrawn = sim::ReadRecord<sim::WithdrawOrder>(orders.data() + beforeWithdraw);
    EXPECT_EQ(withdrawn.forceTroop, chosen);
    EXPECT_EQ(withdrawn.country, 0);
}

TEST_F(HelperWindowTest, HeadquartersAreListedButNotSent) {
    // Give the first offered troop a headquarters member.
    const uint16_t t = offered.front();
    rules::ForceCursor force = Force();
    force.SelectForceTroop(t);
    rules::UnitInfoCursor units(game.Tables());
    int hqUnit = -1;
    for (int u = 0; u < 2000 && hqUnit < 0; ++u)
        if (units.Select(u) && units.GetUnitKind() == kHeadquartersKind) hqUnit = u;
    ASSERT_GE(hqUnit, 0);
    int slot = -1;
    for (int s = 0; s < 6 && slot < 0; ++s)
        if (force.GetMemberUnit(s) != -1) slot = s;
    ASSERT_GE(slot, 0);
    force.GetRecord()->SlotMember(slot)->SetUnit(int16_t(hqUnit));
    ASSERT_GT(rules::CountHqMembers(force), 0);
    offered = EligibleReinforcements(game.Tables(), 0, siteHex, 1);
    const auto row = std::find(offered.begin(), offered.end(), t) - offered.begin();
    ASSERT_LT(size_t(row), offered.size()) << "the headquarters troop is not listed";

    std::string boxCaption;
    bool dialogStayed = false;
    const uint16_t chosen = Request({
        [&] {
            const ui::Hwnd dlg = ui::GetActiveWindow();
            ClickPoint(RowCentre(ui::GetDlgItem(dlg, IDC_REINFORCE_LIST), int(row)));
            ClickPoint(ControlCentre(dlg, IDC_REINFORCE_SEND));
        },
        [&] {
            boxCaption = ui::GetWindowText(ui::GetActiveWindow());
            screen->KeyDown(ui::VK_RETURN);
            screen->KeyUp(ui::VK_RETURN);
        },
        [&] {
            const ui::Hwnd dlg = ui::GetActiveWindow();
            dialogStayed = ui::GetDlgItem(dlg, IDC_REINFORCE_LIST) != ui::Hwnd{};
            ClickPoint(ControlCentre(dlg, ui::IDCANCEL));
        },
    });
    EXPECT_EQ(boxCaption, "ZV6");
    EXPECT_TRUE(dialogStayed);
    EXPECT_EQ(chosen, rules::kNoTroop);
    EXPECT_FALSE(Flags(t) & kRequestPending);
}

}  // namespace
}  // namespace zv::panels::testing
