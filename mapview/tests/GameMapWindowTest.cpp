// The game map window's own messages: its close box asks the frame to close the map, a troop
// leaving the map ends the selection it leads, and the window keeps the game speed when it goes.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/ProcessState.h"
#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "mapview/tests/MapViewFixture.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/records/TroopCursor.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"

namespace zv::mapview {
namespace {

std::vector<int>* gFrameCommands = nullptr;
ui::LResult FrameSpy(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_COMMAND && gFrameCommands) gFrameCommands->push_back(int(ui::LoWord(w)));
    return ui::DefWindowProc(h, msg, w, l);
}
int gSpeed = 0;
ui::LResult SpeedSpy(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == WM_GET_GAME_SPEED) return gSpeed;
    return ui::DefWindowProc(h, msg, w, l);
}

class GameMapWindow : public testing::MapWorldFixture {
  protected:
    void SetUp() override {
        MapWorldFixture::SetUp();
        wm = std::make_unique<ui::WindowManager>(std::make_unique<ui::HeadlessBackend>(1024, 768));
        for (auto [name, proc] : {std::pair{"GameMapFrameSpy", &FrameSpy}, std::pair{"GameMapSpeedSpy", &SpeedSpy}}) {
            ui::WindowClass wc;
            wc.name = name;
            wc.proc = proc;
            ui::RegisterClass(wc);
        }
        frame = ui::CreateWindowEx(0, "GameMapFrameSpy", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 1024, 768, {}, 0,
                                   nullptr, nullptr);
        speed = ui::CreateWindowEx(0, "GameMapSpeedSpy", "", ui::WS_POPUP, 0, 0, 10, 10, {}, 0, nullptr, nullptr);
        shell::SetWindowOfKind(shell::WindowKind::FrameWnd, frame);
        shell::SetWindowOfKind(shell::WindowKind::SpeedWnd, speed);
        gFrameCommands = &commands;
    }
    void TearDown() override {
        gFrameCommands = nullptr;
        GetTroopSelection() = TroopSelection{};
        shell::SetWindowOfKind(shell::WindowKind::FrameWnd, ui::Hwnd{});
        shell::SetWindowOfKind(shell::WindowKind::SpeedWnd, ui::Hwnd{});
        wm.reset();
        MapWorldFixture::TearDown();
    }
    std::uint16_t HexOf(std::uint16_t troop) {
        rules::TroopCursor t(tables);
        t.Select(troop);
        return t.GetHexValue();
    }
    std::unique_ptr<ui::WindowManager> wm;
    ui::Hwnd frame{}, speed{};
    std::vector<int> commands;
};

TEST_F(GameMapWindow, CloseAsksTheFrameRemovedLeadEndsTheSelectionDestroyKeepsTheSpeed) {
    const ui::Hwnd map = CreateRealViewWindow(frame, 0, 22, 700, 500);
    ASSERT_TRUE(map);
    wm->PumpPending();

    // The close box only asks the frame (close the map, 40009); the window stays until then.
    EXPECT_EQ(ui::SendMessage(map, ui::WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(ui::IsWindow(map));
    wm->PumpPending();
    EXPECT_EQ(commands, std::vector<int>{40009});

    // A troop leaving the map: without a selection nothing happens; with one it is answered,
    // and the selection ends only when the lead troop left.
    EXPECT_EQ(ui::SendMessage(map, WM_MAP_TROOP_REMOVED, troops.tank0, 0), 1);
    MapViewContext* ctx = GetMapViewContext(map);
    ASSERT_NE(ctx, nullptr);
    const std::uint16_t chosen[2] = {troops.tank0, troops.infantry0};
    const std::uint16_t hexes[2] = {HexOf(troops.tank0), HexOf(troops.infantry0)};
    ASSERT_GT(ctx->SelectTroops(chosen, hexes, 2), 0);
    ASSERT_EQ(GetTroopSelection().count, 2);
    EXPECT_EQ(ui::SendMessage(map, WM_MAP_TROOP_REMOVED, troops.infantry0, 0), 0);
    EXPECT_EQ(GetTroopSelection().count, 2) << "a troop that does not lead leaves the selection as it is";
    EXPECT_EQ(ui::SendMessage(map, WM_MAP_TROOP_REMOVED, troops.tank0, 0), 0);
    EXPECT_EQ(GetTroopSelection().count, 0);
    EXPECT_EQ(GetTroopSelection().state, 0);
    EXPECT_EQ(ui::SendMessage(map, WM_MAP_TROOP_REMOVED, troops.tank0, 0), 1);

    // Going, it stores the speed panel's game speed and gives up its window kind.
    for (int s : {3, 9}) {
        SCOPED_TRACE(s);
        const ui::Hwnd m = s == 3 ? map : CreateRealViewWindow(frame, 0, 22, 700, 500);
        shell::SetWindowOfKind(shell::WindowKind::MapWnd, m);
        gSpeed = s;
        ui::DestroyWindow(m);
        EXPECT_EQ(shell::GetGameSpeed(), s);
        EXPECT_FALSE(shell::GetWindowOfKind(shell::WindowKind::MapWnd));
    }
}

// Following a troop is offered for a troop the player may see: an ally's, or an enemy's the
// player has spotted; never for a troop off the map, and never to a spectator.
TEST_F(GameMapWindow, FollowingIsOfferedOnlyForTroopsThePlayerSees) {
    struct Case {
        const char* what;
        std::uint16_t troop;
        std::uint16_t seen;  // the troop's visibility mask
        bool onMap;
        std::uint8_t player;
        bool asked;
    };
    const Case cases[] = {
        {"an own troop", troops.tank0, 0, true, 0, true},
        {"an enemy troop nobody saw", troops.tank1, 0, true, 0, false},
        {"an enemy troop seen by the player", troops.tank1, 0x0001, true, 0, true},
        {"an enemy troop known to the player", troops.tank1, 0x0010, true, 0, true},
        {"an enemy troop seen by another country", troops.tank1, 0x0004 | 0x0040, true, 0, false},
        {"an own troop off the map", troops.tank0, 0, false, 0, false},
        {"a spectator", troops.tank1, 0xFFFF, true, 6, false},
    };
    for (bool yes : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.what << (yes ? ", yes" : ", no"));
            rules::TroopCursor t(tables);
            ASSERT_TRUE(t.Select(c.troop));
            const std::uint16_t seen = t.GetMask28();
            t.SetMask28(c.seen);
            if (!c.onMap) t.ClearOnMap();
            fw::SetPlayerCountry(c.player);
            host.asked.clear();
            host.answerYes = yes;
            EXPECT_EQ(ConfirmFollow(tables, c.troop), c.asked && yes ? 1 : 0);
            EXPECT_EQ(host.asked, c.asked ? std::vector<std::string>{"この部隊に追従しますか"} : std::vector<std::string>{});
            t.Select(c.troop);
            t.SetMask28(seen);
            t.SetOnMap();
            fw::SetPlayerCountry(0);
        }
    }
}

// A boarding order for a troop that cannot board says so ("この部隊は搭乗できません") when it
// names a troop, and writes nothing in any case.
TEST_F(GameMapWindow, ARefusedBoardingSaysSoAndWritesNothing) {
    const ui::Hwnd map = CreateRealViewWindow(frame, 0, 22, 700, 500);
    ASSERT_TRUE(map);
    MapViewContext* ctx = GetMapViewContext(map);
    ASSERT_NE(ctx, nullptr);
    host.commandCode = 6;  // 搭乗
    struct Case {
        const char* what;
        std::uint16_t target;
        std::uint16_t hex;
        bool told;
    } const cases[] = {
        {"onto an own troop that carries nothing", troops.infantry0, HexOf(troops.infantry0), true},
        {"onto an enemy troop", troops.tank1, HexOf(troops.tank1), true},
        {"onto an empty hex", 0xFFFF, HexOf(troops.infantry0), false},
        {"onto its own hex", troops.tank0, HexOf(troops.tank0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::uint16_t chosen[1] = {troops.tank0};
        const std::uint16_t hexes[1] = {HexOf(troops.tank0)};
        ASSERT_GT(ctx->SelectTroops(chosen, hexes, 1), 0);
        host.asked.clear();
        const std::size_t before = simulation->LocalOrders().size();
        EXPECT_EQ(ctx->IssueOrdersForSelection(c.target, c.hex), 0);
        EXPECT_EQ(simulation->LocalOrders().size(), before);
        EXPECT_EQ(host.asked, c.told ? std::vector<std::string>{"この部隊は搭乗できません"} : std::vector<std::string>{});
        EXPECT_EQ(GetTroopSelection().count, 1) << "the selection stays for another try";
        ctx->ClearSelection();
    }
    ui::DestroyWindow(map);
}

// The command window's 待機 reaches the map as WM_MAP_COMMAND: the order for the selection is
// written at the troop's own hex; a troop that does not exist writes nothing.
TEST_F(GameMapWindow, TheWaitCommandOrdersTheSelectionWhereItStands) {
    const ui::Hwnd map = CreateRealViewWindow(frame, 0, 22, 700, 500);
    ASSERT_TRUE(map);
    MapViewContext* ctx = GetMapViewContext(map);
    ASSERT_NE(ctx, nullptr);
    host.commandCode = kCodeWait;
    const std::uint16_t chosen[1] = {troops.tank0};
    const std::uint16_t hexes[1] = {HexOf(troops.tank0)};
    ASSERT_GT(ctx->SelectTroops(chosen, hexes, 1), 0);
    std::size_t before = simulation->LocalOrders().size();
    EXPECT_EQ(ui::SendMessage(map, WM_MAP_COMMAND, 0xFFFE, 0), 1);
    EXPECT_EQ(simulation->LocalOrders().size(), before) << "no such troop";
    EXPECT_EQ(ui::SendMessage(map, WM_MAP_COMMAND, troops.tank0, 0), 1);
    const auto orders = simulation->LocalOrders();
    ASSERT_GT(orders.size(), before);
    const std::vector<std::uint8_t> written(orders.begin() + long(before), orders.end());
    const std::uint16_t hex = HexOf(troops.tank0);
    bool troopNamed = false, hexNamed = false;
    for (std::size_t i = 0; i + 1 < written.size(); ++i) {
        troopNamed |= written[i] == (troops.tank0 & 0xFF) && written[i + 1] == (troops.tank0 >> 8);
        hexNamed |= written[i] == (hex & 0xFF) && written[i + 1] == (hex >> 8);
    }
    EXPECT_TRUE(troopNamed);
    EXPECT_TRUE(hexNamed);
    ctx->ClearSelection();
    ui::DestroyWindow(map);
}

}  // namespace
}  // namespace zv::mapview
