// The troop information window's display: a troop of the game (table 9) through the troop cache.

#include <set>

#include "organize/tests/OrganizeFixture.h"
#include "rules/records/CachedTroopCursor.h"
#include "rules/troops/TroopMembers.h"
#include "shell/skin/SkinControls.h"

namespace zv::organize::testing {
namespace {

class TroopInfoWindow : public OrganizeTest {
  protected:
    void SetUp() override {
        OrganizeTest::SetUp();
        const std::int16_t carrier[6] = {std::int16_t(Unit("鉄牙 主力戦車")), -1, -1, -1, -1, -1};
        const std::int16_t rider[6] = {std::int16_t(Unit("剛狼 歩兵戦闘車")), -1, -1, -1, -1, -1};
        rules::TroopCursor troops(tables);
        troops.ResetAllTroops();
        troops.Select(0);
        rules::CreateTroopFromUnits(troops, carrier, 0, 0, 0x0101, "carrier");
        for (int t = 1; t <= 9; ++t) {
            troops.Select(std::uint16_t(t));
            rules::CreateTroopFromUnits(troops, rider, 0, 0, 0x0101, ("rider" + std::to_string(t)).c_str());
            troops.SetCarrier(0);
        }
        host = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 480, 400, {}, 0, nullptr,
                                  nullptr);
        SetPageRecording(&recording);
    }
    void TearDown() override {
        SetPageRecording(nullptr);
        OrganizeTest::TearDown();
    }
    ui::Hwnd Show(int page, int country) {
        SetTroopInfoTarget(0, page, country);
        if (!window) window = CreateDispTroopInfoWindow(host, kIdTroopDisplay, 4, 4, 466, 366);
        recording = {};
        ui::SendMessage(window, WM_TROOP_INFO_REFRESH, 0, 0);
        Pump();
        return window;
    }
    int Enabled(int id) {
        const auto* s = shell::skin::ArrowButtonStateOf(ui::GetDlgItem(window, id));
        return s ? s->enabled : -1;
    }
    // The carried troops' names painted (a page may be painted more than once).
    std::vector<std::string> Names() const {
        std::set<std::string> names;
        for (const PageText& t : recording.texts) {
            if (t.y >= kPageY && t.text.rfind("rider", 0) == 0) names.insert(t.text);
        }
        return {names.begin(), names.end()};
    }

    ui::Hwnd host{};
    ui::Hwnd window{};
    PageRecording recording;
};

TEST_F(TroopInfoWindow, CarriedTroopsAreListedEightAPage) {
    Show(7, 0);
    EXPECT_EQ(Names().size(), 8u);
    EXPECT_EQ(GetTroopDisplayView(false).carriedPageCount, 2);
    EXPECT_EQ(Enabled(kIdPageBack), 0);
    EXPECT_EQ(Enabled(kIdPageNext), 1);
    const ui::Point next = Centre(ui::GetDlgItem(window, kIdPageNext));
    recording = {};
    Click(next);
    EXPECT_EQ(Names(), std::vector<std::string>{"rider9"});
    EXPECT_EQ(Enabled(kIdPageBack), 1);
    EXPECT_EQ(Enabled(kIdPageNext), 0);
    Shot("organize_troop_window_page07");
    // A refresh starts the list at its first page again.
    Show(7, 0);
    EXPECT_EQ(Names().size(), 8u);
    // Eight carried troops make one page with both buttons off.
    rules::TroopCursor troops(tables);
    troops.Select(9);
    troops.SetCarrier(rules::kNoTroop);
    Show(7, 0);
    EXPECT_EQ(GetTroopDisplayView(false).carriedPageCount, 1);
    EXPECT_EQ(Enabled(kIdPageBack), 0);
    EXPECT_EQ(Enabled(kIdPageNext), 0);
    // A spectator sees the members but no carried list.
    Show(7, 4);
    EXPECT_TRUE(Names().empty());
}

// Each window keeps its own pictures and carried page: a second window of the class coming and
// going leaves the first as it was.
TEST_F(TroopInfoWindow, ASecondWindowComingAndGoingLeavesTheFirstAsItWas) {
    Show(7, 0);
    recording = {};
    Click(Centre(ui::GetDlgItem(window, kIdPageNext)));
    ASSERT_EQ(Names(), std::vector<std::string>{"rider9"});
    const ui::Hwnd other = CreateDispTroopInfoWindow(host, kIdTroopDisplay + 1, 4, 4, 466, 366);
    ASSERT_TRUE(other);
    recording = {};
    ui::SendMessage(other, WM_TROOP_INFO_REFRESH, 0, 0);
    Pump();
    EXPECT_EQ(Names().size(), 8u);
    ui::DestroyWindow(other);
    Pump();
    // Back from the second page of the first window: its own page, drawn into its own picture.
    recording = {};
    Click(Centre(ui::GetDlgItem(window, kIdPageBack)));
    EXPECT_EQ(Names().size(), 8u);
    EXPECT_EQ(Enabled(kIdPageBack), 0);
    EXPECT_EQ(Enabled(kIdPageNext), 1);
}

TEST_F(TroopInfoWindow, EditsStayInTheCachedCopy) {
    Show(9, 0);
    ui::SendMessage(window, zv::WM_SKIN_LIST_SELECTED, 4, kIdModeList);
    rules::CachedTroopCursor cached(tables, cache);
    ASSERT_TRUE(cached.Select(0));
    EXPECT_EQ(cached.GetSlotByte(), 4);
    rules::TroopCursor live(tables);
    live.Select(0);
    EXPECT_EQ(live.GetSlotByte(), 0);
    // A troop without members shows bare pages with every control off.
    live.Select(5);
    live.ResetCurrentTroop();
    SetTroopInfoTarget(5, 0, 0);
    recording = {};
    ui::SendMessage(window, WM_TROOP_INFO_REFRESH, 0, 0);
    EXPECT_TRUE(recording.texts.empty());
}

}  // namespace
}  // namespace zv::organize::testing
