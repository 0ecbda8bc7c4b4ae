// A game of the default map played headless for a few game hours: a move order given with the
// mouse on the game map window goes through the journal, and the troop's picture walks across
// the screen hex by hex.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "shell/WindowMessages.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "mapview/tests/MapViewFixture.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/RouteSearch.h"
#include "simulation/ClockStepWorld.h"

namespace zv::mapview {
namespace {

ui::LResult PlainProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DefWindowProc(h, msg, w, l);
}

TEST(GamePlay, MoveOrderByMouseWalksTheTroopAcrossTheScreen) {
    const std::filesystem::path oldDirectory = std::filesystem::current_path();
    std::filesystem::current_path(testing::kProgramDir);
    rules::testing::TempFolder settings;
    fw::SetProgramDirectory(settings.Path());
    fw::SetPlayerCountry(0);
    sim::HeadlessGame game;
    std::string error;
    ASSERT_TRUE(game.Load(testing::kProgramDir, "MAP00001.ddm", error)) << error;
    sim::HeadlessStartOptions options;
    options.playerCountry = 0;
    game.BeginPlay(options);

    rules::RouteSearchSet searches(game.Tables());
    testing::RecordingHost host;
    MapWorld world;
    world.tables = &game.Tables();
    world.simulation = &game.Sim();
    world.routeSearches = &searches;
    world.host = &host;
    shell::ScopedServices services;
    services->map = &world;
    GetTroopSelection() = TroopSelection{};

    auto backend = std::make_unique<ui::HeadlessBackend>(1024, 768);
    ui::HeadlessBackend* screen = backend.get();
    auto wm = std::make_unique<ui::WindowManager>(std::move(backend));
    ui::WindowClass wc;
    wc.name = "GameParent";
    wc.proc = PlainProc;
    ui::RegisterClass(wc);
    const ui::Hwnd parent = ui::CreateWindowEx(0, "GameParent", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 1024,
                                               768, ui::Hwnd{}, 0, nullptr, nullptr);
    const ui::Hwnd map = CreateRealViewWindow(parent, 0, 0, 680, 520);
    ASSERT_TRUE(map);
    MapViewContext* ctx = GetMapViewContext(map);
    ui::SendMessage(map, WM_MAP_REBUILD, 0, 0);

    // A ground troop of country 0 that can move.
    rules::TroopCursor t(game.Tables());
    std::uint16_t troop = 0xFFFF;
    for (std::uint16_t i = 0; i < rules::kTroopsPerCountry && troop == 0xFFFF; ++i) {
        if (t.Select(i) && t.GetRecord()->IsUsed() && t.HasMembers() && t.IsOnMap() &&
            t.GetTroopAltitudeClass() == 3 && (ctx->GetTroopCommandMask(i) & 0x0002)) {
            troop = i;
        }
    }
    ASSERT_NE(troop, 0xFFFF) << "country 0 has no troop on the map that can move";
    t.Select(troop);
    const std::uint16_t start = t.GetHexValue();
    ui::SendMessage(map, WM_MAP_CENTER, (start & 0xFF) | ((start >> 8) << 16), 0);
    wm->PumpPending();

    auto centre = [&](int x, int y) {
        std::int16_t p[2] = {std::int16_t(x), std::int16_t(y)};
        std::int16_t o[2] = {Lo16(ctx->GetOrigin()), Hi16(ctx->GetOrigin())};
        ctx->HexToPixel(p);
        ctx->HexToPixel(o);
        return ui::Point{p[0] - o[0] + 16, p[1] - o[1] + 16};
    };
    auto click = [&](ui::Point p) {
        screen->Click(p.x, p.y);
        wm->PumpPending();
    };
    // The screen pixels of a hex's cell.
    auto cellHash = [&](int x, int y) {
        const ui::Point c = centre(x, y);
        std::uint64_t h = 1469598103934665603ull;
        for (int dy = -10; dy < 10; ++dy) {
            for (int dx = -10; dx < 10; ++dx) {
                h ^= screen->PixelAt(c.x + dx, c.y + dy);
                h *= 1099511628211ull;
            }
        }
        return h;
    };

    click(centre(start & 0xFF, start >> 8));
    ASSERT_EQ(GetTroopSelection().count, 1);
    ASSERT_EQ(GetTroopSelection().entries[0].troop, troop);

    // A reachable hex four or five hexes away (the reach is marked by the selection).
    rules::GameContext& g = ctx->Context();
    int tx = -1, ty = -1;
    int ox = Lo16(ctx->GetOrigin()), oy = Hi16(ctx->GetOrigin()), cols = 0, rows = 0;
    ctx->GetVisibleSize(cols, rows);
    for (int y = oy + 1; y < oy + rows - 1 && tx < 0; ++y) {
        for (int x = ox + 1; x < ox + cols - 1 && tx < 0; ++x) {
            const int d = rules::HexDistance(start & 0xFF, start >> 8, x, y);
            if (d >= 4 && d <= 5 && g.SelectHexInfoXY(x, y) && (g.GetHexMarks() & 1) &&
                g.GetHexTroopIndex() == rules::kNoTroopIndex) {
                tx = x;
                ty = y;
            }
        }
    }
    ASSERT_GE(tx, 0) << "no reachable hex four or five hexes away";
    click(centre(tx, ty));
    ASSERT_FALSE(game.Sim().LocalOrders().empty());
    EXPECT_EQ(GetTroopSelection().count, 0);

    std::uint16_t at = start;
    std::uint64_t before[2] = {cellHash(start & 0xFF, start >> 8), 0};
    int moves = 0;
    for (int minute = 0; minute < 6 * 60 && at != rules::MakeHexPosition(tx, ty); ++minute) {
        // The hashes of the troop's cell and of its neighbours before the step.
        std::vector<std::pair<std::uint16_t, std::uint64_t>> around;
        for (int y = (at >> 8) - 1; y <= (at >> 8) + 1; ++y) {
            for (int x = (at & 0xFF) - 1; x <= (at & 0xFF) + 1; ++x) around.emplace_back(rules::MakeHexPosition(x, y), cellHash(x, y));
        }
        game.Step();
        ui::SendMessage(map, WM_MAP_TICK_REDRAW, 0, 0);
        wm->PumpPending();
        t.Select(troop);
        const std::uint16_t now = t.GetHexValue();
        if (now == at) continue;
        ++moves;
        EXPECT_NE(GetNeighbourDirectionPacked(at, now), 0) << "the troop jumped";
        for (const auto& [hex, hash] : around) {
            if (hex == at) {
                EXPECT_NE(cellHash(hex & 0xFF, hex >> 8), hash) << "the picture stayed behind";
            }
            if (hex == now) {
                EXPECT_NE(cellHash(hex & 0xFF, hex >> 8), hash) << "no picture at the new hex";
            }
        }
        at = now;
        if (moves == 1) {
            std::string error2;
            screen->WriteScreenshot(testing::ScreenshotPath("mapview_game_first_step"), &error2);
        }
    }
    (void)before;
    EXPECT_GE(moves, 3);
    EXPECT_EQ(at, rules::MakeHexPosition(tx, ty));
    std::string error3;
    EXPECT_TRUE(screen->WriteScreenshot(testing::ScreenshotPath("mapview_game_arrived"), &error3));

    ui::DestroyWindow(map);
    wm.reset();
    services->map = nullptr;
    fw::SetPlayerCountry(6);
    fw::SetProgramDirectory(testing::kProgramDir);
    std::filesystem::current_path(oldDirectory);
}

}  // namespace
}  // namespace zv::mapview
