// The command window beside a game map window: its buttons follow the selection's command
// mask, remember the chosen command for the map's target click, and, clicked with the mouse,
// put the orders they name into the journal.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "mapview/HexMapView.h"
#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "mapview/MapWorld.h"
#include "panels/CommandWindow.h"
#include "panels/PanelManager.h"
#include "panels/PanelMessages.h"
#include "panels/tests/PanelsFixture.h"
#include "rules/context/RuleHelpers.h"
#include "rules/search/RouteSearch.h"
#include "simulation/CommandRecords.h"

namespace zv::panels {
namespace {

using K = shell::WindowKind;

// The map windows reach the command window through their host, as the frame wires them.
class CommandWindowHost : public mapview::MapViewHost {
  public:
    int GetSelectedCommandCode() override { return panels::GetSelectedCommandCode(); }
    void UpdateCommandButtons(std::uint16_t mask, int code) override {
        panels::UpdateCommandButtons(mask, code);
    }
    std::uint16_t GetLaunchTroop() override { return panels::GetLaunchTroop(); }
    std::uint16_t GetSeparationChoice() override { return panels::GetSeparationChoice(); }
    bool Ask(ui::Hwnd, const std::string&, bool) override { return true; }
};

class CommandWindowTest : public testing::PanelsTest {
  protected:
    void SetUp() override {
        PanelsTest::SetUp();
        searches = std::make_unique<rules::RouteSearchSet>(game.Tables());
        mapWorld.tables = &game.Tables();
        mapWorld.simulation = &game.Sim();
        mapWorld.routeSearches = searches.get();
        mapWorld.host = &mapHost;
        services->map = &mapWorld;
        mapview::GetTroopSelection() = mapview::TroopSelection{};
        map = mapview::CreateRealViewWindow(mdiClient, 0, 0, 820, 746);
        ASSERT_TRUE(map);
        ui::SendMessage(map, zv::WM_MAP_REBUILD, 0, 0);
        manager = CreateColumn();
        command = shell::GetWindowOfKind(K::CommandWnd);
        ASSERT_TRUE(command);
        UpdateCommandButtons(0, 0);
        Pump();
    }
    void TearDown() override {
        PanelsTest::TearDown();
        services->map = nullptr;
    }
    ui::Hwnd Button(int row) { return ui::GetDlgItem(command, kFirstCommandButton + row); }
    void ClickButton(int row) {
        ClickAt(command, (row % 5) * 36 + 8 + 18, (row / 5) * 20 + 12 + 10);
    }

    // The centre of a hex on the screen.
    ui::Point HexCentre(int x, int y) {
        mapview::MapViewContext* ctx = mapview::GetMapViewContext(map);
        std::int16_t p[2] = {std::int16_t(x), std::int16_t(y)};
        std::int16_t o[2] = {std::int16_t(ui::LoWord(ctx->GetOrigin())),
                             std::int16_t(ctx->GetOrigin() >> 16)};
        ctx->HexToPixel(p);
        ctx->HexToPixel(o);
        const ui::Point origin = Origin(map);
        return {origin.x + p[0] - o[0] + 16, origin.y + p[1] - o[1] + 16};
    }
    void ClickHex(uint16_t hex) {
        const ui::Point c = HexCentre(hex & 0xFF, hex >> 8);
        screen->Click(c.x, c.y);
        Pump();
    }
    // Selects the troop on the map with the mouse.
    void SelectOnMap(uint16_t troop) {
        rules::TroopCursor t(game.Tables());
        t.Select(troop);
        const uint16_t hex = t.GetHexValue();
        ui::SendMessage(map, zv::WM_MAP_CENTER, (hex & 0xFF) | ((hex >> 8) << 16), 0);
        Pump();
        ClickHex(hex);
        ASSERT_EQ(mapview::GetSingleSelectedTroop(), troop);
    }
    std::vector<uint8_t> Orders() {
        const auto span = game.Sim().LocalOrders();
        return {span.begin(), span.end()};
    }

    std::unique_ptr<rules::RouteSearchSet> searches;
    mapview::MapWorld mapWorld;
    CommandWindowHost mapHost;
    ui::Hwnd map{}, manager{}, command{};
};

TEST_F(CommandWindowTest, ButtonsAreEnabledExactlyForTheMasksCommands) {
    const auto& table = CommandButtonTable();
    struct Case {
        uint16_t mask;
        int code;
        int firstRow;
    };
    const Case cases[] = {
        {0, 0, 0},
        {0xFFFF, 8, 4},
        {(1 << 1) | (1 << 2), 2, 2},
        {1 << 12, 12, 12},
        {(1 << 0) | (1 << 5) | (1 << 7), 99, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UpdateCommandButtons(c.mask, c.code), c.firstRow) << c.mask;
        for (int i = 0; i < kCommandButtonCount; ++i) {
            EXPECT_EQ(ui::IsWindowEnabled(Button(i)), (c.mask >> table[size_t(i)].code) & 1)
                << "mask " << c.mask << " row " << i;
        }
    }
    // A disabled button does not react to the mouse.
    UpdateCommandButtons(0, 0);
    ClickButton(1);
    EXPECT_EQ(GetSelectedCommandCode(), 0);
}

TEST_F(CommandWindowTest, TheClickedCommandIsRememberedUntilTheSelectionChanges) {
    UpdateCommandButtons(0xFFFF, 0);
    struct Case {
        int row;
        int code;
    };
    // 待機 reports 26: 0 means no command.
    for (const Case c :
         {Case{0, 26}, Case{1, 1}, Case{2, 2}, Case{4, 8}, Case{6, 4}, Case{12, 12}}) {
        ClickButton(c.row);
        EXPECT_EQ(GetSelectedCommandCode(), c.code) << c.row;
    }
    ClickButton(1);
    Shot("panels_command_move_pressed");
    const uint64_t pressed = AreaHash(Button(1), 0, 0, 36, 20);
    UpdateCommandButtons(0xFFFF, 0);
    EXPECT_EQ(GetSelectedCommandCode(), 0);
    const uint64_t released = AreaHash(Button(1), 0, 0, 36, 20);
    EXPECT_NE(pressed, released) << "the pressed look stays after a new selection";
}

TEST_F(CommandWindowTest, WaitAndMoveButtonsPutTheirOrdersIntoTheJournal) {
    const uint16_t troop = FindTroop(0, 3);
    ASSERT_NE(troop, rules::kNoTroop);
    SelectOnMap(troop);
    Pump();
    // The selection enabled the troop's commands.
    ASSERT_TRUE(ui::IsWindowEnabled(Button(0)));
    ASSERT_TRUE(ui::IsWindowEnabled(Button(1)));
    const size_t before = Orders().size();
    ClickButton(0);  // 待機: at once, for the selected troop
    std::vector<uint8_t> orders = Orders();
    // The map clears the troop's orders (order 26), then gives the wait order.
    const std::vector<uint8_t> clear = {26, 0, uint8_t(troop & 0xFF), uint8_t(troop >> 8)};
    ASSERT_EQ(orders.size(), before + 24);
    EXPECT_EQ(
        std::vector<uint8_t>(orders.begin() + long(before), orders.begin() + long(before) + 4),
        clear);
    const uint8_t* wait = orders.data() + before + 4;
    EXPECT_EQ(wait[0] | (wait[1] << 8), sim::TroopOrderOrder::kOpcode);
    const auto waitValues = sim::ReadRecord<sim::TroopOrderOrder>(wait);
    EXPECT_EQ(waitValues.troop, troop);
    EXPECT_EQ(waitValues.orderKind, 0);

    // 移動 marks the reach; the next map click gives the move order to that hex.
    SelectOnMap(troop);
    ClickButton(1);
    EXPECT_EQ(GetSelectedCommandCode(), 1);
    rules::GameContext g(game.Tables());
    rules::TroopCursor t(game.Tables());
    t.Select(troop);
    const uint16_t start = t.GetHexValue();
    uint16_t target = rules::kNoHex;
    for (int dy = -3; dy <= 3 && target == rules::kNoHex; ++dy) {
        for (int dx = -3; dx <= 3 && target == rules::kNoHex; ++dx) {
            const int x = (start & 0xFF) + dx, y = (start >> 8) + dy;
            if (rules::HexDistance(start & 0xFF, start >> 8, x, y) < 2) continue;
            if (g.SelectHexInfoXY(x, y) && (g.GetHexMarks() & 1) &&
                g.GetHexTroopIndex() == rules::kNoTroopIndex) {
                target = uint16_t(x | (y << 8));
            }
        }
    }
    ASSERT_NE(target, rules::kNoHex) << "the move button marked no hex near the troop";
    Shot("panels_command_move_reach");
    const size_t beforeMove = Orders().size();
    ClickHex(target);
    orders = Orders();
    ASSERT_EQ(orders.size(), beforeMove + 24);
    EXPECT_EQ(std::vector<uint8_t>(orders.begin() + long(beforeMove),
                                   orders.begin() + long(beforeMove) + 4),
              clear);
    const uint8_t* move = orders.data() + beforeMove + 4;
    const auto values = sim::ReadRecord<sim::TroopOrderOrder>(move);
    EXPECT_EQ(move[0] | (move[1] << 8), sim::TroopOrderOrder::kOpcode);
    EXPECT_EQ(values.troop, troop);
    EXPECT_EQ(values.destination, target);
    EXPECT_EQ(values.orderKind, 1);
}

TEST_F(CommandWindowTest, LaunchWithoutACarriedTroopChangesNothing) {
    const uint16_t troop = FindTroop(0, 3);
    SelectOnMap(troop);
    UpdateCommandButtons(0xFFFF, 0);
    host.cargoAnswer = rules::kNoTroop;
    ClickButton(11);  // 発進
    EXPECT_EQ(host.calls,
              std::vector<std::string>{"ChooseCargoTroop(" + std::to_string(troop) + ")"});
    EXPECT_EQ(GetLaunchTroop(), rules::kNoTroop);
    EXPECT_EQ(GetSelectedCommandCode(), 7);
    // With nobody selected the choosers are not asked.
    host.calls.clear();
    mapview::GetTroopSelection() = mapview::TroopSelection{};
    ClickButton(11);
    ClickButton(8);
    EXPECT_TRUE(host.calls.empty());
}

}  // namespace
}  // namespace zv::panels
