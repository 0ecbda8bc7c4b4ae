// The unit summary panel: what each viewer may see of a troop, the member detail and the
// formation menu driven with the mouse, and the formation order it puts into the journal.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "panels/PanelManager.h"
#include "panels/PanelMessages.h"
#include "panels/UnitPanel.h"
#include "panels/tests/PanelsFixture.h"
#include "platform/ui/TextFitCheck.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopRecord.h"
#include "rules/troops/TroopQueries.h"

namespace zv::panels {
namespace {

using K = shell::WindowKind;

TEST(UnitPanelFuel, TextByAccessAndPackFuel) {
    struct Case {
        int access;
        uint16_t fuel, pack;
        const char* text;
    };
    const Case cases[] = {
        {2, 100, 200, "    ?( ? %)"},
        {0, 120, 0, "  120(---%)"},
        {0, 50, 200, "   50( 25%)"},
        // Not capped at 100, and the product does not overflow 16 bits.
        {1, 60000, 1000, "60000(6000%)"},
        {0, 150, 100, "  150(150%)"},
    };
    for (const Case& c : cases) {
        char out[32];
        FormatFuelText(out, c.access, c.fuel, c.pack);
        EXPECT_STREQ(out, c.text) << c.fuel << "/" << c.pack;
    }
}

class UnitPanelTest : public testing::PanelsTest {
  protected:
    void SetUp() override {
        PanelsTest::SetUp();
        manager = CreateColumn();
        panel = shell::GetWindowOfKind(K::UnitSinpleInfo);
        ASSERT_TRUE(panel);
    }
    void Show(uint16_t troop) { ui::SendMessage(manager, WM_PANEL_SHOW_TROOP, troop, 0); }
    uint64_t AreaHash(int x, int y, int w, int h) {
        return PanelsTest::AreaHash(panel, x, y, w, h);
    }
    // An own troop with at least `members` present members.
    // An own troop on the map with at least `members` members (and, when asked, a formation
    // besides its current one): the first such troop, or the first own troop made so, copying
    // its first member into free member records and its current formation into the others.
    uint16_t OwnTroopWith(int members, bool alternatives) {
        rules::TroopCursor t(game.Tables());
        for (uint16_t i = 0; i < 40; ++i) {
            if (t.Select(i) && t.HasMembers() && t.IsOnMap() && rules::CountMembers(t) >= members &&
                (!alternatives || rules::HasAlternativeFormations(t))) {
                return i;
            }
        }
        const uint16_t own = FindTroop(0);
        if (own == rules::kNoTroop || !t.Select(own)) return rules::kNoTroop;
        rules::TroopRecord& r = *t.GetRecord();
        rules::TroopFormation& current = r.Formation(r.CurrentFormation());
        int first = -1;
        for (int m = 0; m < rules::kTroopMemberCount && first < 0; ++m)
            if (r.Member(m).IsPresent()) first = m;
        for (int m = 0; m < rules::kTroopMemberCount && rules::CountMembers(t) < members; ++m) {
            if (r.Member(m).IsPresent()) continue;
            r.Member(m) = r.Member(first);
            for (int s = 0; s < 6; ++s) {
                if (current.MemberMap(s) >= rules::kTroopMemberCount) {
                    current.SetMemberMap(s, uint8_t(m));
                    break;
                }
            }
        }
        if (alternatives && !rules::HasAlternativeFormations(t)) {
            for (int f = 0; f < rules::kTroopFormationCount; ++f) {
                if (f == r.CurrentFormation()) continue;
                for (int s = 0; s < 6; ++s) r.Formation(f).SetMemberMap(s, current.MemberMap(s));
            }
        }
        return rules::CountMembers(t) >= members ? own : rules::kNoTroop;
    }
    ui::Hwnd manager{}, panel{};
};

TEST_F(UnitPanelTest, AccessFollowsWhoLooksAndWhatTheyHaveSeen) {
    const uint16_t own = FindTroop(0);
    const uint16_t enemy = FindTroop(1);
    ASSERT_NE(own, rules::kNoTroop);
    ASSERT_NE(enemy, rules::kNoTroop);
    rules::TroopCursor t(game.Tables());
    rules::CountryCursor countries(game.Tables());
    struct Case {
        const char* what;
        uint8_t player;
        uint16_t troop;
        uint16_t seen;   // the enemy troop's visibility mask
        uint8_t state0;  // country 0's state
        int access;
        int own;
    };
    const Case cases[] = {
        {"own troop", 0, own, 0, 1, 0, 1},
        {"enemy seen, not identified", 0, enemy, 0x0001, 1, 2, 0},
        {"enemy identified", 0, enemy, 0x0011, 1, 1, 0},
        {"enemy identified only", 0, enemy, 0x0010, 1, 1, 0},
        {"enemy never seen", 0, enemy, 0x0000, 1, 0, 0},
        {"spectator", 4, enemy, 0x0001, 1, 1, 0},
        {"destroyed player", 0, enemy, 0x0001, 3, 1, 0},
        {"destroyed player, own troop", 0, own, 0, 3, 1, 1},
    };
    for (const Case& c : cases) {
        fw::SetPlayerCountry(c.player);
        countries.Select(0);
        countries.SetState(c.state0);
        t.Select(enemy);
        t.SetMask28(c.seen);
        Show(rules::kNoTroop);
        Show(c.troop);
        EXPECT_EQ(GetUnitPanelState().access, c.access) << c.what;
        EXPECT_EQ(GetUnitPanelState().own, c.own) << c.what;
        EXPECT_EQ(GetUnitPanelState().mode, 0) << c.what;
    }
}

TEST_F(UnitPanelTest, AHiddenEnemyShowsNoDetailsAndIgnoresClicks) {
    const uint16_t enemy = FindTroop(1);
    rules::TroopCursor t(game.Tables());
    t.Select(enemy);
    t.SetMask28(0x0001);
    const uint64_t rowsBlank = [&] {
        Show(rules::kNoTroop);
        return AreaHash(20, 54, 170, 100);
    }();
    Show(enemy);
    ASSERT_EQ(GetUnitPanelState().access, 2);
    EXPECT_EQ(AreaHash(20, 54, 170, 100), rowsBlank) << "member rows of a hidden troop";
    ClickAt(panel, 10, 60);
    EXPECT_EQ(GetUnitPanelState().mode, 0);
    Shot("panels_unit_hidden_enemy");
}

TEST_F(UnitPanelTest, MemberClickShowsItsWeaponsAndRightClickGoesBack) {
    const uint16_t own = OwnTroopWith(2, false);
    ASSERT_NE(own, rules::kNoTroop);
    Show(rules::kNoTroop);
    const uint64_t blankRow = AreaHash(0, 54, 196, 16);
    Show(own);
    Shot("panels_unit_overview");
    const uint64_t overview = AreaHash(0, 72, 196, 100);
    const uint64_t firstRow = AreaHash(0, 54, 196, 16);
    ClickAt(panel, 10, 78);  // the second member's icon
    EXPECT_EQ(GetUnitPanelState().mode, 1);
    EXPECT_EQ(GetUnitPanelState().chosenMember, 1);
    EXPECT_NE(AreaHash(0, 72, 196, 100), overview);
    // The chosen member's row moves to the top, numbered as the second.
    EXPECT_NE(AreaHash(0, 54, 196, 16), blankRow);
    EXPECT_NE(AreaHash(0, 54, 196, 16), firstRow);
    Shot("panels_unit_member_weapons");
    ClickAt(panel, 100, 100, ui::MouseButton::Right);
    EXPECT_EQ(GetUnitPanelState().mode, 0);
    EXPECT_EQ(AreaHash(0, 72, 196, 100), overview);
    // The picture opens the troop information dialog of an own troop.
    ClickAt(panel, 20, 20);
    EXPECT_EQ(host.calls,
              std::vector<std::string>{"ShowTroopInfo(0," + std::to_string(own) + ",0)"});
}

TEST_F(UnitPanelTest, FormationMenuPutsTheFormationOrderIntoTheJournal) {
    const uint16_t own = OwnTroopWith(1, true);
    ASSERT_NE(own, rules::kNoTroop);
    Show(own);
    ASSERT_EQ(GetUnitPanelState().alternatives, 1);
    const ui::Point o = Origin(panel);
    const uint64_t plainLabel = AreaHash(27, 179, 63, 8);
    screen->MouseMove(o.x + 40, o.y + 183);
    Pump();
    EXPECT_EQ(GetUnitPanelState().hover, 0);
    EXPECT_NE(AreaHash(27, 179, 63, 8), plainLabel) << "the label does not light up";
    screen->MouseMove(o.x + 150, o.y + 100);
    Pump();
    EXPECT_EQ(GetUnitPanelState().hover, -1);
    EXPECT_EQ(AreaHash(27, 179, 63, 8), plainLabel);
    screen->MouseMove(o.x + 40, o.y + 183);
    Pump();
    ClickAt(panel, 40, 183);  // the formation label
    ASSERT_EQ(GetUnitPanelState().mode, 2);
    screen->MouseMove(o.x + 150, o.y + 195);
    Pump();
    EXPECT_EQ(GetUnitPanelState().hover, 2);
    Shot("panels_unit_formation_menu");
    const size_t before = game.Sim().LocalOrders().size();
    ClickAt(panel, 150, 208);  // formation row 2
    const auto span = game.Sim().LocalOrders();
    ASSERT_EQ(span.size(), before + 6);
    const std::vector<uint8_t> order(span.begin() + long(before), span.end());
    EXPECT_EQ(order, (std::vector<uint8_t>{37, 0, uint8_t(own & 0xFF), uint8_t(own >> 8), 2, 0}));
    EXPECT_EQ(GetUnitPanelState().mode, 0);
}

TEST_F(UnitPanelTest, MemberGridKeepsTheSlotPositions) {
    const uint16_t own = OwnTroopWith(3, false);
    ASSERT_NE(own, rules::kNoTroop);
    rules::TroopCursor t(game.Tables());
    t.Select(own);
    // Members in formation slots 0, 2 and 5 only.
    auto& formation = t.GetRecord()->Formation(t.GetCurrentFormation());
    uint8_t members[3];
    for (int i = 0, n = 0; i < 6 && n < 3; ++i) {
        if (t.GetRecord()->SlotMember(i)) members[n++] = formation.MemberMap(i);
    }
    const uint8_t map[6] = {members[0], 0xFF, members[1], 0xFF, 0xFF, members[2]};
    for (int s = 0; s < 6; ++s) formation.SetMemberMap(s, map[s]);
    Show(rules::kNoTroop);
    std::vector<uint64_t> empty;
    for (int s = 0; s < 6; ++s)
        empty.push_back(AreaHash((s % 3 + 1) * 28, (s / 3) * 18 + 193, 16, 16));
    Show(own);
    for (int s = 0; s < 6; ++s) {
        const bool filled = s == 0 || s == 2 || s == 5;
        EXPECT_EQ(AreaHash((s % 3 + 1) * 28, (s / 3) * 18 + 193, 16, 16) != empty[size_t(s)],
                  filled)
            << "slot " << s;
    }
    EXPECT_EQ(GetUnitPanelState().memberCount, 3);
    Shot("panels_unit_grid_gaps");
}

TEST_F(UnitPanelTest, ATroopLeavingTheMapClearsThePanel) {
    const uint16_t own = FindTroop(0);
    const uint16_t other = FindTroop(1);
    Show(own);
    ui::SendMessage(manager, WM_PANEL_SHOW_TROOP, other, 1);  // another troop left
    EXPECT_EQ(GetUnitPanelState().troop, own);
    ui::SendMessage(manager, WM_PANEL_SHOW_TROOP, own, 1);
    EXPECT_EQ(GetUnitPanelState().troop, rules::kNoTroop);
    ClickAt(panel, 10, 60);
    EXPECT_EQ(GetUnitPanelState().mode, 0);
}

// Whatever the panel showed before, a troop looks the same as on a panel that showed nothing
// before it: no name, member row, weapon table or menu of the previous troop stays.
TEST_F(UnitPanelTest, NothingOfThePreviousTroopStaysWhenAnotherIsShown) {
    std::vector<uint16_t> troops;
    rules::TroopCursor t(game.Tables());
    for (uint16_t i = 0; i < 160 && troops.size() < 6; ++i) {
        if (t.Select(i) && t.GetRecord()->IsUsed() && t.HasMembers() && t.IsOnMap()) troops.push_back(i);
    }
    ASSERT_GE(troops.size(), 3u);
    const auto whole = [&] { return AreaHash(0, 0, 196, 232); };
    const auto fresh = [&](uint16_t troop) {
        Show(rules::kNoTroop);
        Show(troop);
        return whole();
    };
    // Each previous troop left in each state the mouse can put the panel in.
    const std::vector<std::pair<const char*, std::function<void()>>> states = {
        {"overview", [] {}},
        {"member detail", [&] { ClickAt(panel, 10, 60); }},
        {"formation menu", [&] { ClickAt(panel, 40, 183); }},
    };
    for (uint16_t next : troops) {
        const uint64_t expected = fresh(next);
        for (uint16_t before : troops) {
            if (before == next) continue;
            for (const auto& [what, act] : states) {
                Show(before);
                act();
                Show(next);
                EXPECT_EQ(whole(), expected) << "troop " << next << " after " << before << " in " << what;
            }
        }
    }
    // The texts it draws all lie inside the panel.
    ui::TextDrawLog log;
    for (uint16_t troop : troops) fresh(troop);
    for (const ui::TextDrawRecord& r : log.Records()) {
        EXPECT_EQ(ui::TextFitProblem(r), "") << ui::Utf8Of(r.text) << " at " << r.box.left << "," << r.box.top;
    }
}

}  // namespace
}  // namespace zv::panels
