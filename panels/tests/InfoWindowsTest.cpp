#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/InfoWindows.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/core/Sjis.h"
#include "platform/ui/controls/CommonControls.h"
#include "rules/countries/Income.h"
#include "rules/records/MapCursors.h"
#include "rules/records/RuleCursors.h"
#include "shell/ShellDialogs.h"
#include "simulation/SessionPort.h"

namespace zv::panels {
namespace {

using testing::PanelsTest;
using K = shell::WindowKind;

class Session : public sim::SessionPort {
  public:
    uint32_t slots[sim::kParticipantSlots] = {};
    std::string names[sim::kParticipantSlots];
    bool HasConnection() override { return true; }
    bool IsHost() override { return true; }
    uint32_t GetSlotValue(int slot) override { return slots[slot]; }
    std::string GetLobbyPlayerName(int slot) override { return names[slot]; }
    int SendGameFromServer(int32_t, uint32_t, const uint8_t*) override { return 0; }
    int SendGameFromClient(int32_t, uint32_t, const uint8_t*) override { return 0; }
    int SendExecuteThinkEnd() override { return 0; }
    int SendWaitState(int, int) override { return 0; }
    int SendWaitMask(uint16_t) override { return 0; }
};

std::string Utf8(const std::string& sjis) {
    return core::SjisToUtf8(sjis);
}

class InfoWindowsTest : public PanelsTest {
  protected:
    void SetCountry(int c, uint8_t state, uint8_t player, uint8_t allies = 0) {
        rules::CountryCursor country(game.Tables());
        ASSERT_TRUE(country.Select(c));
        country.SetState(state);
        country.SetParticipation(player);
        country.SetAllianceMask(uint8_t(allies | 1u << c));
    }
};

TEST_F(InfoWindowsTest, CampRowsFollowTheCountrysStateAndPlayer) {
    constexpr uint32_t kWhite = 0xFFFFFF, kGrey = 0x808080;
    struct Case {
        uint8_t state, player;
        const char* player1;  // single play
        const char* stateText;
        bool incomeDashes;
        uint32_t color;
    };
    const Case cases[] = {
        {0, 0, "---", "不参戦", true, kGrey},
        {1, 0, "ユーザー", "参  戦", false, kWhite},
        {1, 3, "ユーザー", "参  戦", false, kWhite},
        {1, 1, "コンピュータ", "参  戦", false, kWhite},
        {1, 2, "---", "参  戦", false, kWhite},
        {3, 1, "コンピュータ", "滅  亡", false, kGrey},
        {2, 0, "ユーザー", "", true, kGrey},
    };
    for (const Case& c : cases) {
        SetCountry(1, c.state, c.player);
        const std::string label = std::to_string(c.state) + "/" + std::to_string(c.player);
        EXPECT_EQ(Utf8(CampPlayerText(1).text), c.player1) << label;
        EXPECT_EQ(CampPlayerText(1).color, c.color) << label;
        EXPECT_EQ(Utf8(CampStateText(1).text), c.stateText) << label;
        const std::string income = CampIncomeText(1).text;
        if (c.incomeDashes) {
            EXPECT_EQ(income, "---------") << label;
        } else {
            EXPECT_EQ(income.size(), 9u) << label;
            EXPECT_EQ(std::stoi(income), rules::GetCountryIncome(game.Tables(), 1)) << label;
        }
        if (c.state == 0) {
            EXPECT_EQ(CampCorpsText(1).text, "---") << label;
        }
    }
    // A country that does not exist gives no text.
    EXPECT_EQ(CampStateText(7).text, "");
}

TEST_F(InfoWindowsTest, TroopCountsShowOnlyForAlliesAtWar) {
    fw::SetPlayerCountry(0);
    SetCountry(0, 1, 0);
    SetCountry(1, 1, 1);  // not allied with the player
    SetCountry(2, 1, 1, 0x01);
    SetCountry(3, 0, 2, 0x01);
    EXPECT_NE(CampTroopCountText(0).text, "---");
    EXPECT_EQ(CampTroopCountText(1).text, "---");
    int n = 0;
    for (int i = 1; i <= 6; ++i) n += rules::CountCountryTroopsByCategory(game.Tables(), 2, i);
    EXPECT_EQ(std::stoi(CampTroopCountText(2).text), n);
    EXPECT_EQ(CampTroopCountText(3).text, "---");
}

TEST_F(InfoWindowsTest, NetworkPlayNamesTheParticipantOfTheCountrysSlot) {
    // On the heap: the simulation keeps the pointer past this test's frame (cleared below).
    auto owned = std::make_unique<Session>();
    Session& session = *owned;
    session.slots[2] = 2;  // country 1
    session.names[2] = core::Utf8ToSjis("たろう");
    session.slots[4] = 5;  // a spectator
    game.Sim().SetSession(&session);
    struct Case {
        int country;
        uint8_t state, player;
        const char* text;
    };
    const Case cases[] = {
        {1, 1, 0, "たろう"},          // the human in slot 2
        {0, 1, 0, ""},                // nobody holds country 0
        {2, 1, 1, "コンピュータ"},
        {3, 1, 2, "---"},             // no player
        {1, 0, 0, "---"},             // outside the war
    };
    for (const Case& c : cases) {
        SetCountry(c.country, c.state, c.player);
        EXPECT_EQ(Utf8(CampParticipantText(c.country).text), c.text) << c.country;
    }
    game.Sim().SetSession(nullptr);
}

TEST_F(InfoWindowsTest, TableWindowsRefreshAndLeaveTheirSlotsWhenDestroyed) {
    SetCountry(0, 1, 0, 0x0E);  // three allies: three marks
    SetCountry(1, 1, 1, 0x01);
    SetCountry(2, 3, 1);
    SetCountry(3, 0, 2);
    struct Case {
        ui::Hwnd (*create)(ui::Hwnd, bool);
        K kind;
        uint32_t refresh;
        const char* shot;
    };
    const Case cases[] = {
        {CreateCampInfoWindow, K::CampInfoWnd, zv::WM_REFRESH_CAMP_INFO, "panels_camp_info"},
        {CreateSiteInfoWindow, K::SiteListWnd, zv::WM_REFRESH_SITE_INFO, "panels_site_info"},
        {CreateTroopNumWindow, K::TroopNumListWnd, zv::WM_REFRESH_TROOP_NUM,
         "panels_troop_num"},
    };
    for (const Case& c : cases) {
        const ui::Hwnd h = c.create(mdiClient, true);
        ASSERT_TRUE(h);
        EXPECT_EQ(shell::GetWindowOfKind(c.kind), h);
        ui::SendMessage(h, c.refresh, 0, 0);
        Pump();
        Shot(c.shot);
        ui::SendMessage(mdiClient, ui::WM_MDIDESTROY, ui::WParam(ui::HwndToParam(h)), 0);
        EXPECT_FALSE(shell::GetWindowOfKind(c.kind));
    }
}

TEST_F(InfoWindowsTest, AllianceMarksStand15PixelsApartCentredInTheirBox) {
    // Country 0's alliance row: y 44 + 36; the box runs from x 72 to 195; marks are 16 wide.
    struct Case {
        uint8_t allies;
        std::vector<int> xs;  // left edges of the marks
    };
    const Case cases[] = {
        {0x02, {126}},            // one ally: (123 - 16) / 2 + 73
        {0x0A, {119, 134}},       // two: 7 to the left
        {0x0E, {111, 126, 141}},  // three: 15 to the left
    };
    for (const Case& c : cases) {
        SetCountry(0, 1, 0, c.allies);
        for (int k = 1; k < 4; ++k) SetCountry(k, 1, 1);
        const ui::Hwnd h = CreateCampInfoWindow(mdiClient, true);
        Pump();
        wm->Flush();
        const ui::Point o = Origin(h);
        // A column holds a mark when it has a pixel unlike the box's own (a vertical gradient)
        // at the row's left end.
        auto marked = [&](int x) {
            for (int y = 0; y < 16; ++y)
                if (screen->PixelAt(o.x + x, o.y + 80 + y) != screen->PixelAt(o.x + 74, o.y + 80 + y))
                    return true;
            return false;
        };
        std::vector<int> lefts;
        for (int x = 74; x < 194; ++x)
            if (marked(x) && !marked(x - 1)) lefts.push_back(x);
        // Every mark's picture begins the same few pixels inside its cell (the flag's pole).
        ASSERT_EQ(lefts.size(), c.xs.size()) << int(c.allies);
        const int inset = lefts[0] - c.xs[0];
        EXPECT_GE(inset, 0);
        EXPECT_LT(inset, 8);
        for (size_t i = 0; i < lefts.size(); ++i)
            EXPECT_EQ(lefts[i] - c.xs[i], inset) << int(c.allies) << " mark " << i;
        ui::SendMessage(mdiClient, ui::WM_MDIDESTROY, ui::WParam(ui::HwndToParam(h)), 0);
    }
}

TEST_F(InfoWindowsTest, TerrainListPicturesRoadAndRiverByName) {
    const ui::Hwnd h = CreateLandListWindow(mdiClient, true);
    ASSERT_TRUE(h);
    const ui::Hwnd list = ui::GetDlgItem(h, IDC_LAND_LIST);
    rules::LandKindCursor land(game.Tables());
    int row = 0;
    for (int k = 0; k <= 28; ++k) {
        if (!land.Select(k)) continue;
        ui::LvItem item;
        item.mask = ui::LVIF_IMAGE;
        item.iItem = row++;
        ASSERT_TRUE(ui::SendMessage(list, ui::LVM_GETITEMA, 0, reinterpret_cast<ui::LParam>(&item)));
        std::string name = Utf8(land.GetName());
        std::erase(name, ' ');
        const int want = name == "道路" ? 27 : name == "川" ? 28 : land.GetGraphicNumber();
        EXPECT_EQ(item.iImage, want) << k << " " << name;
        if (k == 13) {
            EXPECT_EQ(item.iImage, 27);
        }
        if (k == 14) {
            EXPECT_EQ(item.iImage, 28);
        }
    }
    EXPECT_EQ(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0), row);
    Pump();
    Shot("panels_land_list");

    // Closing asks the frame to toggle the window.
    testing::gFrameCommands.clear();
    ui::SendMessage(h, ui::WM_CLOSE, 0, 0);
    EXPECT_TRUE(ui::IsWindow(h));
    EXPECT_EQ(testing::gFrameCommands, std::vector<int>{IDM_LAND_LIST});
}

TEST_F(InfoWindowsTest, UnitKindListHoldsEveryKindButTheEmptyRows) {
    const ui::Hwnd h = CreateUnitKindWindow(mdiClient, true);
    ASSERT_TRUE(h);
    rules::UnitKindCursor kinds(game.Tables());
    int n = 0;
    for (int k = 0; k < 2000; ++k)
        if (kinds.Select(k) && kinds.GetKindType() != 0xFF) ++n;
    EXPECT_GT(n, 0);
    EXPECT_EQ(ui::SendMessage(ui::GetDlgItem(h, IDC_UNIT_KIND_LIST), ui::LVM_GETITEMCOUNT, 0, 0), n);
    Pump();
    Shot("panels_unit_kind_list");
    ui::SendMessage(mdiClient, ui::WM_MDIDESTROY, ui::WParam(ui::HwndToParam(h)), 0);
    EXPECT_FALSE(shell::GetWindowOfKind(K::UnitKindListWnd));
}

}  // namespace
}  // namespace zv::panels
