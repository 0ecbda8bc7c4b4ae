// The game map window driven by mouse events through the headless backend: selection by
// rectangle, move, attack and wait orders (the order records checked byte for byte), cancel,
// drag scroll, the forty-entry selection, and display commands.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "mapview/tests/MapViewFixture.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/records/TroopRecord.h"
#include "rules/troops/TroopQueries.h"
#include "shell/WindowRegistry.h"

namespace zv::mapview {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Order26(std::uint16_t troop) { return {26, 0, std::uint8_t(troop), std::uint8_t(troop >> 8)}; }

Bytes Order27(std::uint16_t troop, std::uint16_t hex, std::uint16_t target, std::uint16_t code,
              std::uint16_t flags, std::uint16_t parameter = 0, std::uint16_t secondHex = 0xFFFF,
              std::uint8_t secondKind = 0, std::uint8_t secondTroop = 0xFF) {
    auto u16 = [](Bytes& b, std::uint16_t v) {
        b.push_back(std::uint8_t(v));
        b.push_back(std::uint8_t(v >> 8));
    };
    Bytes b;
    u16(b, 27);
    u16(b, troop);
    u16(b, hex);
    u16(b, target);
    u16(b, code);
    u16(b, flags);
    u16(b, parameter);
    u16(b, secondHex);
    b.push_back(0);
    b.push_back(secondKind);
    b.push_back(secondTroop);
    b.push_back(0);
    return b;
}

ui::LResult ParentProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DefWindowProc(h, msg, w, l);
}

class MapClicks : public testing::MapWorldFixture {
  protected:
    void SetUp() override {
        MapWorldFixture::SetUp();
        GetTroopSelection() = TroopSelection{};
        auto backend = std::make_unique<ui::HeadlessBackend>(1024, 768);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        ui::WindowClass wc;
        wc.name = "MapTestParent";
        wc.proc = ParentProc;
        ui::RegisterClass(wc);
        parent = ui::CreateWindowEx(0, "MapTestParent", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 1024, 768,
                                    ui::Hwnd{}, 0, nullptr, nullptr);
        map = CreateRealViewWindow(parent, 0, 0, 660, 500);
        ASSERT_TRUE(map);
        ctx = GetMapViewContext(map);
        ASSERT_NE(ctx, nullptr);
        wm->PumpPending();
    }
    void TearDown() override {
        if (ui::IsWindow(map)) ui::DestroyWindow(map);
        wm.reset();
        MapWorldFixture::TearDown();
    }
    // The client pixel of the centre of map hex (x, y) at the current origin.
    ui::Point HexCentre(int x, int y) {
        std::int16_t p[2] = {std::int16_t(x), std::int16_t(y)};
        std::int16_t o[2] = {Lo16(ctx->GetOrigin()), Hi16(ctx->GetOrigin())};
        ctx->HexToPixel(p);
        ctx->HexToPixel(o);
        return {p[0] - o[0] + ctx->HexWidth() / 2, p[1] - o[1] + ctx->HexHeight() / 2};
    }
    void Click(ui::Point p, ui::MouseButton b = ui::MouseButton::Left) {
        screen->Click(p.x, p.y, b);
        wm->PumpPending();
    }
    void Drag(ui::Point from, ui::Point to, ui::MouseButton b = ui::MouseButton::Left) {
        screen->MouseMove(from.x, from.y);
        screen->MouseDown(from.x, from.y, b);
        wm->PumpPending();
        screen->MouseMove((from.x + to.x) / 2, (from.y + to.y) / 2);
        wm->PumpPending();
        screen->MouseMove(to.x, to.y);
        screen->MouseUp(to.x, to.y, b);
        wm->PumpPending();
    }
    Bytes Orders() {
        auto span = simulation->LocalOrders();
        return Bytes(span.begin(), span.end());
    }

    ui::HeadlessBackend* screen = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
    ui::Hwnd parent{}, map{};
    MapViewContext* ctx = nullptr;
};

TEST_F(MapClicks, RectangleSelectionThenMoveOrder) {
    Drag(HexCentre(9, 9), HexCentre(12, 12));
    const TroopSelection& sel = GetTroopSelection();
    ASSERT_EQ(sel.count, 2);
    EXPECT_EQ(sel.state, 1);
    EXPECT_EQ(sel.entries[0].troop, troops.tank0);
    EXPECT_EQ(sel.entries[1].troop, troops.infantry0);
    EXPECT_EQ(sel.entries[2].troop, 0xFFFF);
    EXPECT_TRUE(simulation->GetBusyMask() & 0x80);
    ASSERT_FALSE(host.buttonMasks.empty());
    EXPECT_TRUE(host.buttonMasks.back() & 0x0002);  // 移動 is open to both
    EXPECT_TRUE(Orders().empty());

    Click(HexCentre(13, 12));
    const std::uint16_t target = rules::MakeHexPosition(13, 12);
    Bytes expected;
    for (std::uint16_t t : {troops.tank0, troops.infantry0}) {
        const Bytes a = Order26(t), b = Order27(t, target, 0xFFFF, 1, 0);
        expected.insert(expected.end(), a.begin(), a.end());
        expected.insert(expected.end(), b.begin(), b.end());
    }
    EXPECT_EQ(Orders(), expected);
    EXPECT_EQ(GetTroopSelection().state, 0);
    EXPECT_EQ(GetTroopSelection().count, 0);
    EXPECT_FALSE(simulation->GetBusyMask() & 0x80);
}

TEST_F(MapClicks, CommandsFromTheCommandWindow) {
    struct Case {
        const char* name;
        int code;
        int tx, ty;  // target hex
        Bytes (*expect)(const testing::FixtureTroops&);
    };
    // The enemy tank is seen and identified by country 0, so it can be attacked.
    rules::TroopCursor t(tables);
    t.Select(troops.tank1);
    t.SetMask28(0x11);
    t.SetHex(rules::MakeHexPosition(12, 10));
    rules::GameContext g(tables, MapContextEnv());
    g.RebuildHexOccupancy();
    const Case cases[] = {
        {"wait", kCodeWait, 11, 9,
         [](const testing::FixtureTroops& f) {
             Bytes b = Order26(f.tank0);
             const Bytes c = Order27(f.tank0, rules::MakeHexPosition(11, 9), 0xFFFF, 0, 0);
             b.insert(b.end(), c.begin(), c.end());
             return b;
         }},
        {"attack", 2, 12, 10,
         [](const testing::FixtureTroops& f) {
             Bytes b = Order26(f.tank0);
             const Bytes c = Order27(f.tank0, rules::MakeHexPosition(12, 10), f.tank1, 2, 1u << 2);
             b.insert(b.end(), c.begin(), c.end());
             return b;
         }},
        {"attack on an empty hex gives nothing", 2, 11, 9, [](const testing::FixtureTroops&) { return Bytes{}; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        simulation->ResetCommandJournal();
        host.commandCode = 0;
        Click(HexCentre(10, 10));  // a click on one troop selects it
        ASSERT_EQ(GetTroopSelection().count, 1);
        host.commandCode = c.code;
        Click(HexCentre(c.tx, c.ty));
        EXPECT_EQ(Orders(), c.expect(troops));
        ui::SendMessage(map, ui::WM_RBUTTONDOWN, 0, 0);  // whatever is left is cancelled
        ui::SendMessage(map, ui::WM_RBUTTONUP, 0, 0);
        EXPECT_EQ(GetTroopSelection().count, 0);
    }
}

// 射撃: the chooser is offered only the launch kinds that reach the hex (and hit the seen enemy
// on it); its answer becomes the order's parameter, and a cruise kind aims at the hex alone.
TEST_F(MapClicks, FireOrderOffersTheLaunchKindsThatReach) {
    enum : int { kBomber = 5, kRocketLauncher = 31 };
    enum : std::uint16_t { kMissile = 0x0004, kCruise = 0x0008 };
    rules::testing::MapBuilder builder(tables, 0);
    builder.Country(0).Country(1);
    const std::uint16_t bomber = builder.AddTroop(0, 13, 7, {kBomber});
    const std::uint16_t rockets = builder.AddTroop(0, 12, 9, {kRocketLauncher});
    const std::uint16_t enemy = builder.AddTroop(1, 17, 12, {testing::kTank});
    rules::TroopCursor t(tables);
    for (std::uint16_t troop : {bomber, rockets, enemy}) {
        t.Select(troop);
        rules::RefreshMoveCostTable(t);
    }
    t.Select(enemy);
    t.SetMask28(0x11);  // seen and identified by country 0
    // Their missile load is the units' second pack.
    for (auto [troop, unit] : {std::pair{bomber, int(kBomber)}, std::pair{rockets, int(kRocketLauncher)}}) {
        t.Select(troop);
        t.UnitInfoCursor::Select(unit);
        rules::TroopMember& member = t.GetRecord()->Member(0);
        member.SetPack(1);
        for (int w = 0; w < 6; ++w) member.SetAmmo(w, t.GetPackAmmo(1, w));
        ASSERT_NE(rules::GetWeaponClassMask(t) & (kMissile | kCruise), 0);
    }
    rules::GameContext g(tables, MapContextEnv());
    g.RebuildHexOccupancy();
    ctx->Refresh();
    struct Case {
        const char* name;
        std::uint16_t shooter;
        int sx, sy, tx, ty;
        std::uint16_t answer;
        std::vector<std::uint16_t> offered;
        std::uint16_t target;  // of the order 27; 0 for no orders
    };
    const Case cases[] = {
        {"cruise missile at an empty hex", bomber, 13, 7, 16, 4, kCruise, {kCruise}, 0xFFFF},
        {"cruise missile at the enemy's hex aims at the hex", bomber, 13, 7, 17, 12, kCruise, {kCruise}, 0xFFFF},
        {"the chooser cancelled", bomber, 13, 7, 16, 4, 0, {kCruise}, 0},
        {"rockets at a seen enemy", rockets, 12, 9, 17, 12, kMissile, {kMissile}, enemy},
        {"rockets at an empty hex: nothing to offer", rockets, 12, 9, 15, 9, kMissile, {}, 0},
        {"at its own hex: nothing asked", bomber, 13, 7, 13, 7, kCruise, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        simulation->ResetCommandJournal();
        host.weaponOptions.clear();
        host.weaponAnswer = c.answer;
        host.commandCode = 0;
        Click(HexCentre(c.sx, c.sy));
        ASSERT_EQ(GetTroopSelection().count, 1);
        ASSERT_EQ(GetTroopSelection().entries[0].troop, c.shooter);
        host.commandCode = 3;
        Click(HexCentre(c.tx, c.ty));
        EXPECT_EQ(host.weaponOptions, c.offered);
        Bytes expected;
        if (c.target != 0) {
            const std::uint16_t hex = rules::MakeHexPosition(c.tx, c.ty);
            expected = Order26(c.shooter);
            const Bytes b = Order27(c.shooter, hex, c.target, 3, 1u << 3, c.answer);
            expected.insert(expected.end(), b.begin(), b.end());
        }
        EXPECT_EQ(Orders(), expected);
        ui::SendMessage(map, ui::WM_RBUTTONDOWN, 0, 0);
        ui::SendMessage(map, ui::WM_RBUTTONUP, 0, 0);
    }
}

// 分散 is open where the separated unit can stand beside the troop: on the terrain its own move
// costs allow, water included for boats.
TEST_F(MapClicks, SeparationNeedsAFreeNeighbourTheSeparatedUnitCanEnter) {
    enum : int { kInfantryCarrier = 26, kAssaultShip = 61 };
    rules::testing::MapBuilder builder(tables, 0);
    builder.Country(0);
    builder.TerrainRect(0, 20, 8, 40, 5);
    // Open land all round.
    const std::uint16_t carrierInField = builder.AddTroop(0, 30, 30, {kInfantryCarrier});
    // On the coast with the only land neighbours taken: the infantry could only get out into
    // the water.
    builder.TerrainRect(40, 30, 44, 34, 5);
    builder.TerrainRect(42, 32, 42, 32, 0);
    builder.TerrainRect(43, 32, 43, 32, 0);
    const std::uint16_t carrierOnCoast = builder.AddTroop(0, 42, 32, {kInfantryCarrier});
    builder.AddTroop(0, 43, 32, {testing::kInfantry});
    // A landing ship out at sea: its boats take to the water.
    const std::uint16_t shipAtSea = builder.AddTroop(0, 2, 30, {kAssaultShip});
    rules::GameContext g(tables, MapContextEnv());
    g.RebuildHexOccupancy();
    rules::TroopCursor t(tables);
    struct Case {
        const char* name;
        std::uint16_t troop;
        bool expected;
    };
    const Case cases[] = {
        {"in the open", carrierInField, true},
        {"on the coast hemmed in", carrierOnCoast, false},
        {"landing ship at sea", shipAtSea, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t.Select(c.troop);
        const std::uint16_t classes = rules::GetWeaponClassMask(t) & 0x7F00;
        ASSERT_NE(classes, 0);
        EXPECT_EQ(ctx->HasSeparationTarget(c.troop, classes), c.expected);
        EXPECT_EQ((ctx->GetTroopCommandMask(c.troop) & 0x0800) != 0, c.expected);
    }
}

// 分散 by the separation chosen in the command window: dismounted infantry goes for a hostile
// site, supplies are dropped beside the troop, anything else follows the clicked troop.
TEST_F(MapClicks, SeparationOrdersByTheChosenWeapon) {
    enum : int { kInfantryCarrier = 26 };
    rules::testing::MapBuilder builder(tables, 0);
    builder.Country(0).Country(1);
    const std::uint16_t carrier = builder.AddTroop(0, 10, 8, {kInfantryCarrier});
    builder.AddSite(3, 1, 12, 8);
    rules::TroopCursor t(tables);
    t.Select(carrier);
    rules::RefreshMoveCostTable(t);
    rules::GameContext g(tables, MapContextEnv());
    g.RebuildHexOccupancy();
    ctx->Refresh();
    const std::uint16_t own = rules::MakeHexPosition(10, 8);
    struct Case {
        const char* name;
        std::uint16_t choice;
        int tx, ty;
        Bytes order27;  // empty: no orders
    };
    const std::uint16_t site = rules::MakeHexPosition(12, 8), empty = rules::MakeHexPosition(11, 10);
    const Case cases[] = {
        {"infantry at a hostile site", 0x0800, 12, 8, Order27(carrier, site, 0xFFFF, 11, 0x0800, 0x0800)},
        {"infantry at a hex without a site", 0x0800, 11, 10, {}},
        {"nothing chosen", 0, 12, 8, {}},
        {"supplies dropped from where it stands", 0x4000, 11, 10, Order27(carrier, empty, 0xFFFF, 13, 0, 0x4000, own, 0, 0xFF)},
        {"another kind follows the clicked hex", 0x1000, 11, 10, Order27(carrier, empty, 0xFFFF, 11, 0x0800, 0x1000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        simulation->ResetCommandJournal();
        host.commandCode = 0;
        Click(HexCentre(10, 8));
        ASSERT_EQ(GetTroopSelection().count, 1);
        host.commandCode = 11;
        host.separationChoice = c.choice;
        Click(HexCentre(c.tx, c.ty));
        Bytes expected;
        if (!c.order27.empty()) {
            expected = Order26(carrier);
            expected.insert(expected.end(), c.order27.begin(), c.order27.end());
        }
        EXPECT_EQ(Orders(), expected);
        ui::SendMessage(map, ui::WM_RBUTTONDOWN, 0, 0);
        ui::SendMessage(map, ui::WM_RBUTTONUP, 0, 0);
    }
}

// What the map draws for one player (selection, reach, routes, previews, caption marks) stays
// out of the hash the lock-step players compare; an order carried out does not.
TEST_F(MapClicks, DrawingForOnePlayerLeavesTheLockStepHashAlone) {
    rules::TroopCursor t(tables);
    t.Select(troops.tank0);
    t.SetDestination(rules::MakeHexPosition(15, 10));
    t.SetWaypoint(0, rules::MakeHexPosition(13, 10));
    for (int i = 1; i < 4; ++i) t.SetWaypoint(i, 0xFFFF);
    ctx->Refresh();
    const std::uint64_t before = tables.HashLiveTables();
    auto rawBytes = [&] { return tables.HashTables({rules::TableId::Troop, rules::TableId::HexInfo}); };
    const std::uint64_t rawBefore = rawBytes();
    Drag(HexCentre(9, 9), HexCentre(12, 12));  // selects both troops: reach, routes, lead flag
    ASSERT_EQ(GetTroopSelection().count, 2);
    const ui::Point from = HexCentre(15, 10), to = HexCentre(16, 12);
    screen->MouseMove(from.x, from.y);
    screen->MouseDown(from.x, from.y);
    screen->MouseMove(to.x, to.y);  // the dragged destination's preview and travel time
    wm->PumpPending();
    EXPECT_NE(rawBytes(), rawBefore) << "the map drew nothing into the tables";
    EXPECT_EQ(tables.HashLiveTables(), before);
    screen->MouseUp(from.x, from.y);
    wm->PumpPending();
    Click(HexCentre(10, 10), ui::MouseButton::Right);
    ASSERT_EQ(GetTroopSelection().count, 0);
    const ui::Point tank = HexCentre(11, 11);
    ui::SendMessage(map, ui::WM_LBUTTONDOWN, ui::MK_CONTROL, Pack32(tank.x, tank.y));  // caption mark
    ui::SendMessage(map, ui::WM_LBUTTONUP, ui::MK_CONTROL, Pack32(tank.x, tank.y));
    t.Select(troops.infantry0);
    ASSERT_TRUE(t.GetStateFlags() & rules::kTroopSelectionMark);
    ui::SendMessage(map, WM_MAP_TICK_REDRAW, 0, 0);
    EXPECT_EQ(tables.HashLiveTables(), before);
    // A troop that really moved changes it.
    t.Select(troops.tank0);
    t.SetHex(rules::MakeHexPosition(10, 11));
    EXPECT_NE(tables.HashLiveTables(), before);
}

// Dragging the destination of a selected troop to another hex gives order 15 for it.
TEST_F(MapClicks, DraggingTheDestinationMovesIt) {
    rules::TroopCursor t(tables);
    t.Select(troops.tank0);
    t.SetDestination(rules::MakeHexPosition(15, 10));
    t.SetWaypoint(0, rules::MakeHexPosition(13, 10));
    for (int i = 1; i < 4; ++i) t.SetWaypoint(i, 0xFFFF);
    Click(HexCentre(10, 10));
    ASSERT_EQ(GetTroopSelection().count, 1);
    rules::GameContext& g = ctx->Context();
    ASSERT_TRUE(g.SelectHexInfoXY(15, 10));
    EXPECT_TRUE(g.GetHexMarks() & 2);  // the destination is marked for dragging
    // While the button is held the new leg is previewed: a marker on the new destination and
    // the travel time to it.
    const ui::Point from = HexCentre(15, 10), to = HexCentre(16, 12);
    screen->MouseMove(from.x, from.y);
    screen->MouseDown(from.x, from.y);
    screen->MouseMove(to.x, to.y);
    wm->PumpPending();
    ASSERT_TRUE(g.SelectHexInfoXY(16, 12));
    EXPECT_EQ(g.GetHexValue3(), 1);
    t.Select(troops.tank0);
    EXPECT_GT(t.GetOrderValue(), 0);
    screen->MouseUp(to.x, to.y);
    wm->PumpPending();
    const std::uint16_t hex = rules::MakeHexPosition(16, 12);
    const Bytes expected = {15, 0, std::uint8_t(troops.tank0), 0, std::uint8_t(hex), std::uint8_t(hex >> 8), 4, 0};
    EXPECT_EQ(Orders(), expected);
    EXPECT_EQ(GetTroopSelection().count, 0);
}

TEST_F(MapClicks, ClicksNearTheCapitalAskForReinforcements) {
    Click(HexCentre(7, 4));  // empty hex beside the capital at (8, 4)
    Click(HexCentre(8, 4));  // the capital itself
    Click(HexCentre(30, 30));  // anywhere else: nothing
    ASSERT_EQ(host.reinforcements.size(), 2u);
    EXPECT_EQ(host.reinforcements[0], std::make_pair(rules::MakeHexPosition(7, 4), 0));
    EXPECT_EQ(host.reinforcements[1], std::make_pair(rules::MakeHexPosition(8, 4), 1));
    EXPECT_EQ(GetTroopSelection().count, 0);
    EXPECT_TRUE(Orders().empty());
}

TEST_F(MapClicks, RightClickCancelsThenDragScrolls) {
    Click(HexCentre(10, 10));
    ASSERT_EQ(GetTroopSelection().count, 1);
    Click(HexCentre(10, 10), ui::MouseButton::Right);
    EXPECT_EQ(GetTroopSelection().count, 0);
    EXPECT_FALSE(simulation->GetBusyMask() & 0x80);
    EXPECT_TRUE(Orders().empty());
    EXPECT_EQ(ctx->GetOrigin(), 0u);

    // Start lower down: the map follows the mouse, two rows at a time.
    ui::SendMessage(map, WM_SET_VIEW_RECT, 0, 0);
    std::int32_t rect[4] = {4, 10, 20, 20};
    ui::SendMessage(map, WM_SET_VIEW_RECT, 0, reinterpret_cast<ui::LParam>(rect));
    EXPECT_EQ(ctx->GetOrigin(), Pack32(4, 10));
    const ui::Point from = HexCentre(10, 20);
    const ui::Point to{from.x, from.y - 3 * 24};
    Drag(from, to, ui::MouseButton::Right);
    EXPECT_EQ(Hi16(ctx->GetOrigin()), 12);
    EXPECT_FALSE(ui::GetCapture());
    // A drag of one row does nothing vertically; one column moves a column.
    const ui::Point again = HexCentre(10, 20);
    Drag(again, {again.x - 32, again.y - 24}, ui::MouseButton::Right);
    EXPECT_EQ(Hi16(ctx->GetOrigin()), 12);
    EXPECT_EQ(Lo16(ctx->GetOrigin()), 5);
}

// More own troops than the selection holds: the first forty in troop order are taken and
// nothing is written past the table.
TEST_F(MapClicks, RectangleOverMoreThanFortyTroopsKeepsTheFirstForty) {
    rules::testing::MapBuilder builder(tables, 0);
    builder.Country(0).Country(1);
    std::vector<std::uint16_t> placed;
    for (int i = 0; i < 40; ++i) {
        placed.push_back(builder.AddTroop(0, 2 + i % 10, 2 + 2 * (i / 10), {testing::kInfantry}));
    }
    // Records above the map's 160 belong to no country's forty; five more of country 0 stand there.
    rules::TroopCursor t(tables);
    for (int i = 0; i < 5; ++i) {
        rules::TroopRecord copy = *t.GetRecord();
        t.Select(placed[i]);
        copy = *t.GetRecord();
        t.Select(static_cast<std::uint16_t>(170 + i));
        *t.GetRecord() = copy;
        t.SetHex(rules::MakeHexPosition(2 + i, 11));
    }
    rules::GameContext g(tables, MapContextEnv());
    g.RebuildHexOccupancy();
    ctx->RedrawView(0);
    Drag(HexCentre(1, 1), HexCentre(13, 12));
    const TroopSelection& sel = GetTroopSelection();
    ASSERT_EQ(sel.count, 40);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(sel.entries[i].troop, placed[i]) << i;
}

TEST_F(MapClicks, DisplayCommandsAndViewMessages) {
    // Closing asks the frame and keeps the window.
    EXPECT_EQ(ui::SendMessage(map, ui::WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(ui::IsWindow(map));
    EXPECT_EQ(shell::GetWindowOfKind(shell::WindowKind::MapWnd), map);
    // 40113 at zoom 1 goes back to zoom 2; 40116 cycles the caption mode.
    ui::SendMessage(map, ui::WM_COMMAND, 40005, 0);
    EXPECT_EQ(ctx->GetZoomLevel(), 1u);
    ui::SendMessage(map, ui::WM_COMMAND, 40113, 0);
    EXPECT_EQ(ctx->GetZoomLevel(), 2u);
    for (int i = 1; i <= 5; ++i) {
        ui::SendMessage(map, ui::WM_COMMAND, 40116, 0);
        EXPECT_EQ(ctx->GetCaptionMode(), i % 5);
    }
    EXPECT_EQ(ui::SendMessage(map, ui::WM_COMMAND, 40072, 0), 1);
    EXPECT_EQ(ctx->GetHexFrame(), 1);
    ui::SendMessage(map, WM_MAP_DISPLAY_SETTING, 0, 2);
    EXPECT_EQ(ctx->GetDisplayKind(), 3u);
    std::int32_t view[4] = {};
    ui::SendMessage(map, WM_MAP_QUERY_VIEW, 0, reinterpret_cast<ui::LParam>(view));
    EXPECT_EQ(view[2] > 0 && view[3] > 0, true);
    ui::SendMessage(map, WM_MAP_CENTER, 30 | (30 << 16), 0);
    ui::SendMessage(map, WM_MAP_QUERY_VIEW, 0, reinterpret_cast<ui::LParam>(view));
    EXPECT_EQ(view[0], 30 - (view[2] - 1) / 2);
    EXPECT_EQ(view[1] % 2, 0);
    ui::SendMessage(map, WM_MAP_DISPLAY_SETTING, 0, 0);
    ui::SendMessage(map, ui::WM_COMMAND, 40072, 0);
    // Night falls between two steps: the step redraw takes the night sheets first.
    EXPECT_EQ(ctx->GetCachedDaytime(), 1);
    rules::ScenarioHeaderCursor header(tables);
    header.SetDaytime(0);
    ui::SendMessage(map, WM_MAP_TICK_REDRAW, 0, 0);
    EXPECT_EQ(ctx->GetCachedDaytime(), 0);
    wm->PumpPending();
    std::string error;
    EXPECT_TRUE(screen->WriteScreenshot(testing::ScreenshotPath("mapview_window"), &error)) << error;
}

}  // namespace
}  // namespace zv::mapview
