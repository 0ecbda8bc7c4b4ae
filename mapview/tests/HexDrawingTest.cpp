// The drawing engine on the fixture map: golden pictures per zoom and display option (hashes of
// the 8-bit pixels, PNGs written for a person to look at), the derived layers and the faults
// the drawing must not have.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "framework/gui/GdiHelpers.h"
#include "mapview/HexMapView.h"
#include "mapview/tests/MapViewFixture.h"
#include "rules/records/Bytes.h"
#include "rules/records/RuleRecords.h"
#include "rules/records/TroopRecord.h"

namespace zv::mapview {
namespace {

using testing::MapWorldFixture;

class HexDrawing : public MapWorldFixture {
  protected:
    std::unique_ptr<HexMapView> MakeView(int zoom, int kind, int clientW = 640, int clientH = 480) {
        auto view = std::make_unique<HexMapView>(tables, MapContextEnv());
        view->Setup(ui::Hwnd{}, 0, clientW, clientH, zoom, 0);
        view->SetCachedDaytime(1);
        view->SetDisplayKind(kind, 1);
        return view;
    }
    // The pixels of hex (x, y) at view origin 0,0.
    std::uint64_t HexHash(HexMapView& view, int x, int y) {
        std::int16_t p[2] = {std::int16_t(x), std::int16_t(y)};
        view.HexToPixel(p);
        fw::Dib cell(view.HexWidth(), view.HexHeight(), MapPalette());
        fw::HvDIBitBltOpaque(&cell, 0, 0, view.HexWidth(), view.HexHeight(), view.BackBuffer(), p[0], p[1]);
        return testing::PixelHash(cell);
    }
};

struct GoldenCase {
    const char* name;
    int zoom;
    int kind;
    int hexFrame;
    int supply;
    int player;  // local player country; 6 a spectator
    bool fog;
    std::uint64_t hash;
};

// The expected pictures. A change of the drawing or of the content changes them: look at the
// PNGs in build/tests/screenshots before taking new values.
const GoldenCase kGolden[] = {
    {"map_z2", 2, 0, 0, 0, 0, false, 0x85aef7d9ef7d1384ull},
    {"map_z1", 1, 0, 0, 0, 0, false, 0xaa692e000139bb2dull},
    {"map_z0", 0, 0, 0, 0, 0, false, 0xe4b2707809f60134ull},
    {"white_z2", 2, 1, 0, 0, 0, false, 0x74cc94f13500c98full},
    {"board_z2", 2, 2, 0, 0, 0, false, 0x67727faa0c9f1411ull},
    {"green_z2", 2, 3, 0, 0, 0, false, 0x68844215f9cd457cull},
    {"white_z1_frame", 1, 1, 1, 0, 0, false, 0x7fb2e298a4cac1f5ull},
    {"map_z2_frame_supply", 2, 0, 1, 1, 0, false, 0xcf1a79ec74970283ull},
    {"map_z2_fog_player0", 2, 0, 0, 0, 0, true, 0x17d2c1d3fe53cf1full},
    {"map_z2_fog_spectator", 2, 0, 0, 0, 6, true, 0xada7d397c28f8755ull},
};

TEST_F(HexDrawing, GoldenPictures) {
    for (const GoldenCase& c : kGolden) {
        fw::SetPlayerCountry(c.player);
        if (c.fog) TurnOnFog();
        auto view = MakeView(c.zoom, c.kind);
        view->SetHexFrame(c.hexFrame);
        view->SetSupplyRoute(c.supply);
        view->SetCountryFilter(c.fog ? 5 : 6);
        view->SetDisplayKind(c.kind, 1);
        view->RedrawView(0);
        testing::WriteDibPng(*view->BackBuffer(), std::string("mapview_") + c.name);
        const std::uint64_t hash = testing::PixelHash(*view->BackBuffer());
        char text[32];
        std::snprintf(text, sizeof text, "0x%016" PRIx64, hash);
        EXPECT_EQ(hash, c.hash) << c.name << " " << text;
    }
}

// The 2 x 2 sheet has no road or shore tiles: at zoom level 0 a road is the sheet's road mark
// and no shore is drawn, where reading road and shore columns from it would paint land kinds.
TEST_F(HexDrawing, SmallestZoomDrawsRoadMarksAndNoShore) {
    auto view = MakeView(0, 0);
    view->RedrawView(0);
    fw::Dib sheet("hexMini.bmp");
    ASSERT_TRUE(sheet.HasBits());
    auto expect = [&](int landCol, int landRow, bool road) {
        fw::Dib cell(2, 2, MapPalette());
        fw::HvDIBitBlt(&cell, 0, 0, 2, 2, &sheet, 2 * landCol, 2 * landRow, 0);
        if (road) fw::HvDIBitBlt(&cell, 0, 0, 2, 2, &sheet, 2 * 8, 2 * 3, 0);
        return testing::PixelHash(cell);
    };
    EXPECT_EQ(HexHash(*view, 7, 10), expect(0, 0, true));   // plain with a road (mask 9)
    EXPECT_EQ(HexHash(*view, 6, 20), expect(0, 0, false));  // coast: plain, no shore tiles
    // The coast does carry shore bits for the larger zooms.
    rules::HexCursor hexes(tables);
    hexes.SelectXY(rules::MakeHexPosition(6, 20));
    EXPECT_NE(hexes.GetMarkBits(), 0);
}

TEST_F(HexDrawing, DerivedLayers) {
    // A river across the sea is dropped; the coast marks its water side, and the sea marks the
    // land side only where a site stands.
    rules::HexCursor hexes(tables);
    hexes.SelectXY(rules::MakeHexPosition(2, 30));
    hexes.SetRiver(0x09);
    auto view = MakeView(2, 0);
    hexes.SelectXY(rules::MakeHexPosition(2, 30));
    EXPECT_EQ(hexes.GetRiver(), rules::kNoRiver);
    hexes.SelectXY(rules::MakeHexPosition(6, 20));  // even row: west neighbour (5,20) shallows
    EXPECT_EQ(hexes.GetMarkBits() & 0x01, 0x01);
    hexes.SelectXY(rules::MakeHexPosition(5, 8));  // shallows east of the port at (6, 8)
    EXPECT_EQ(hexes.GetMarkBits(), 0x08);

    // Board style: a hex of land kind 13 (in no layer) is outside layers 0 and 2-5 (255) and
    // inside layer 1, which marks its water neighbours.
    hexes.SelectXY(rules::MakeHexPosition(6, 30));
    hexes.SetLandKind(13);
    view->SetDisplayKind(kDisplayBoard, 0);
    rules::GameContext& g = view->Context();
    ASSERT_TRUE(g.SelectHexInfoXY(6, 30));
    EXPECT_EQ(g.GetHexCountryByte1(0), 255);
    EXPECT_EQ(g.GetHexCountryByte1(1), 0x01 | 0x02 | 0x20);  // W, SW, NW are shallows
    for (int n = 2; n < 6; ++n) EXPECT_EQ(g.GetHexCountryByte1(n), 255) << n;
    // White map: a plain hex among plains has no edges.
    view->SetDisplayKind(kDisplayWhite, 0);
    ASSERT_TRUE(g.SelectHexInfoXY(30, 30));
    for (int n = 0; n < 6; ++n) EXPECT_EQ(g.GetHexCountryByte1(n), 0) << n;
}

// An explosion frame redraws the hex's ground, site, routes and marks and the troop the player
// may see, but neither the country tint nor the fog tile: under fog, with the tint on, a hex
// holding an unseen enemy draws as the plain hex does with both switched off.
TEST_F(HexDrawing, ExplosionFrameLeavesOutTheCountryTintAndTheFogTile) {
    TurnOnFog();
    auto view = MakeView(2, 0);
    rules::GameContext& g = view->Context();
    int hx = -1, hy = -1;
    rules::TroopCursor t(tables);
    for (std::uint16_t troop : {troops.tank1, troops.heli1, troops.hq1}) {
        t.Select(troop);
        const std::uint16_t at = t.GetHexValue();
        if (g.SelectHexInfoXY(at & 0xFF, at >> 8) && !(g.GetHexFlags() & 1)) {
            hx = at & 0xFF;
            hy = at >> 8;
            break;
        }
    }
    ASSERT_GE(hx, 0) << "no enemy troop hidden from country 0";
    rules::HexCursor hexes(tables);
    hexes.SelectXY(rules::MakeHexPosition(hx, hy));
    hexes.SetCountry(1);
    view->SetSupplyRoute(1);
    const std::uint32_t hex = std::uint32_t(hx) | (std::uint32_t(hy) << 16);

    auto drawn = [&](int filter, auto draw) {
        view->SetCountryFilter(std::uint8_t(filter));
        view->RedrawView(0);
        // A tile of another colour first, so that every layer has to paint the cell again.
        std::int16_t p[2] = {std::int16_t(hx), std::int16_t(hy)};
        view->HexToPixel(p);
        fw::FillRectColor(ui::Hwnd{}, view->BackBuffer(), p[0], p[1], p[0] + 32, p[1] + 32, 0x0000FF);
        const int result = draw();
        return std::make_pair(result, HexHash(*view, hx, hy));
    };
    const auto tintedAndFogged = drawn(5, [&] { return view->DrawHex(hex, 0); });
    view->SetSupplyRoute(0);
    const auto plain = drawn(6, [&] { return view->DrawHex(hex, 0); });
    view->SetSupplyRoute(1);
    ASSERT_NE(tintedAndFogged.second, plain.second) << "the tint and the fog tile show in the plain hex";

    const auto noBlast = drawn(5, [&] { return view->DrawHexFrame(hex, 8, 0); });
    EXPECT_EQ(noBlast.first, 0);
    EXPECT_EQ(noBlast.second, plain.second);
    const auto blast = drawn(5, [&] { return view->DrawHexFrame(hex, 3, 0); });
    EXPECT_EQ(blast.first, 1);
    EXPECT_NE(blast.second, plain.second);

    // The last two visible columns are left alone.
    int cols = 0, rows = 0;
    view->GetVisibleSize(cols, rows);
    EXPECT_EQ(view->DrawHexFrame(std::uint32_t(cols - 2) | (5u << 16), 3, 0), 0);
}

TEST_F(HexDrawing, CaptionBarsMeasureTheFullValueExactly) {
    struct Case {
        std::int64_t current, full;
        int end;
    };
    const Case cases[] = {
        {99, 99, 90}, {50, 99, 65}, {74, 75, 89}, {0, 75, 40}, {48, 49, 88},
        {200, 255, 79}, {65535, 65535, 90}, {1, 65535, 40}, {70000, 60000, 90},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HexMapView::CaptionBarEnd(c.current, c.full), c.end) << c.current << "/" << c.full;
    }
}

TEST_F(HexDrawing, CaptionsForThePlayerAndNoneForASpectator) {
    rules::TroopCursor t(tables);
    for (std::uint16_t troop : {troops.tank0, troops.tank1}) {
        t.Select(troop);
        t.SetStateFlags(t.GetStateFlags() | rules::kTroopSelectionMark);
    }
    t.Select(troops.tank0);
    t.SetMemberFuel(0, 10);
    for (int mode = 1; mode <= 4; ++mode) {
        auto view = MakeView(2, 0);
        view->SetCaptionMode(mode);
        view->RedrawView(0);
        const std::uint64_t before = testing::PixelHash(*view->BackBuffer());
        view->DrawCaptionOverlay();
        EXPECT_NE(testing::PixelHash(*view->BackBuffer()), before) << mode;
        testing::WriteDibPng(*view->BackBuffer(), "mapview_captions_mode" + std::to_string(mode));
        testing::WriteDibPng(*view->BackBuffer(), "mapview_captions_mode" + std::to_string(mode) + "_close", 220, 140,
                             300, 230, 3);
    }
    // The enemy tank has not been seen under fog of war: it loses its mark.
    TurnOnFog();
    auto fogView = MakeView(2, 0);
    fogView->SetCaptionMode(1);
    t.Select(troops.tank1);
    EXPECT_FALSE(t.TestFlag4000());
    t.SetStateFlags(t.GetStateFlags() | rules::kTroopSelectionMark);

    for (int spectator : {4, 6, 255}) {
        fw::SetPlayerCountry(spectator);
        auto view = MakeView(2, 0);
        view->SetCaptionMode(2);
        view->SetAirRoute(1);
        view->SetGroundRoute(1);
        view->Refresh();
        view->RedrawView(0);
        const std::uint64_t before = testing::PixelHash(*view->BackBuffer());
        view->DrawCaptionOverlay();
        EXPECT_EQ(testing::PixelHash(*view->BackBuffer()), before) << spectator;
    }
}

// What a caption says of a troop the player only glimpsed is the same for every such troop
// (UNKNOWN in place of the name and the bars); a troop without travel shows its destination
// as none, the same for every troop, and one on its way its own.
TEST_F(HexDrawing, CaptionsHideWhatThePlayerDoesNotKnow) {
    rules::TroopCursor t(tables);
    for (std::uint16_t troop : {troops.tank0, troops.infantry0, troops.tank1, troops.heli1}) {
        t.Select(troop);
        t.SetStateFlags(t.GetStateFlags() | rules::kTroopSelectionMark);
    }
    const auto strip = [](HexMapView& view, std::uint16_t troop) {
        fw::Dib cell(180, 100, MapPalette());
        fw::HvDIBitBltOpaque(&cell, 0, 0, 180, 100, view.CaptionCache(), HexMapView::CaptionStripX(troop),
                             HexMapView::CaptionStripY(troop));
        return testing::PixelHash(cell);
    };
    const auto seenAs = [&](std::uint16_t mask) {
        for (std::uint16_t troop : {troops.tank1, troops.heli1}) {
            t.Select(troop);
            t.SetMask28(mask);
        }
    };
    for (int mode : {1, 2, 4}) {
        SCOPED_TRACE(mode);
        seenAs(0x0001);  // seen by country 0 now, never known
        auto glimpsed = MakeView(2, 0);
        glimpsed->SetCaptionMode(mode);
        EXPECT_EQ(strip(*glimpsed, troops.tank1), strip(*glimpsed, troops.heli1));
        seenAs(0x0011);  // known
        auto known = MakeView(2, 0);
        known->SetCaptionMode(mode);
        if (mode != 4) {
            EXPECT_NE(strip(*known, troops.tank1), strip(*known, troops.heli1));
        }
        EXPECT_NE(strip(*known, troops.tank1), strip(*glimpsed, troops.tank1));
    }
    // Destination and arrival: none for both troops without travel, and none for a troop with a
    // destination but no waypoints (its travel time is taken as 0).
    for (std::uint16_t troop : {troops.tank0, troops.infantry0}) {
        t.Select(troop);
        t.SetOrderValue(0);
    }
    auto idle = MakeView(2, 0);
    idle->SetCaptionMode(4);
    const std::uint64_t none = strip(*idle, troops.tank0);
    EXPECT_EQ(strip(*idle, troops.infantry0), none);
    t.Select(troops.tank0);
    t.SetOrderValue(90);
    t.SetInt342(600);
    t.SetDestination(rules::MakeHexPosition(12, 7));
    auto headed = MakeView(2, 0);
    headed->SetCaptionMode(4);
    EXPECT_EQ(strip(*headed, troops.tank0), none);
}

// A route line takes the rows of the part already travelled up to the troop's hex and the rows
// of the remaining route from there on.
TEST_F(HexDrawing, RouteLinesUseTheTravelledRowsUpToTheTroopsHex) {
    using Hexes = std::vector<std::pair<int, int>>;
    rules::TroopCursor t(tables);
    ASSERT_TRUE(t.Select(troops.tank0));
    ASSERT_EQ(t.GetHexValue(), rules::MakeHexPosition(10, 10)) << "the tank stands on the road of row 10";
    struct Case {
        const char* what;
        std::vector<std::uint16_t> waypoints;
        Hexes travelled, remaining;
    } const cases[] = {
        {"starting where it stands", {rules::MakeHexPosition(10, 10)}, {}, {{10, 10}, {11, 10}, {12, 10}}},
        {"one waypoint behind it",
         {rules::MakeHexPosition(7, 10), rules::MakeHexPosition(10, 10)},
         {{7, 10}, {8, 10}, {9, 10}},
         {{10, 10}, {11, 10}, {12, 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t.Select(troops.tank0);
        for (int i = 0; i < 4; ++i) t.SetWaypoint(i, i < int(c.waypoints.size()) ? c.waypoints[std::size_t(i)] : 0xFFFF);
        t.SetDestination(rules::MakeHexPosition(13, 10));
        auto view = MakeView(2, 0);
        ASSERT_EQ(view->BuildTroopRoute(troops.tank0, 1), 1);
        rules::GameContext& g = view->Context();
        Hexes travelled, remaining;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                if (!g.SelectHexInfoXY(x, y)) continue;
                const std::uint16_t word = g.GetHexCountryWord(0);
                if (word & 0xFF00) travelled.emplace_back(x, y);
                if (word & 0x00FF) remaining.emplace_back(x, y);
            }
        }
        EXPECT_EQ(travelled, c.travelled);
        EXPECT_EQ(remaining, c.remaining);
    }
}

// The fuel row of a caption: a troop whose members carry no fuel at all shows "なし" in place
// of the bar; one with fuel shows the bar in the remaining colour.
TEST_F(HexDrawing, ACaptionShowsNoFuelBarForATroopWithoutFuel) {
    rules::TroopCursor t(tables);
    for (std::uint16_t troop : {troops.tank0, troops.infantry0}) {
        t.Select(troop);
        t.SetStateFlags(t.GetStateFlags() | rules::kTroopSelectionMark);
    }
    // The infantry's unit carries no fuel in any pack.
    t.Select(troops.infantry0);
    const int unit = t.GetMemberUnit(0);
    std::uint8_t* record = tables.GetTableBase(rules::TableId::UnitInfo) +
                           std::size_t(unit) * tables.GetEntry(rules::TableId::UnitInfo).recordSize;
    for (int pack = 0; pack < rules::kPackCount; ++pack)
        rules::WriteU16(record, rules::UnitInfoRecord::PackOffset(pack) + rules::UnitInfoRecord::kPackFuel, 0);
    t.Select(troops.tank0);
    ASSERT_NE(t.GetMemberUnit(0), unit) << "the tank keeps its fuel";
    auto view = MakeView(2, 0);
    view->SetCaptionMode(2);
    fw::Dib* strips = view->CaptionCache();
    ASSERT_NE(strips, nullptr);
    const auto at = [&](std::uint16_t troop, int x, int y) {
        return strips->GetPixelAddress(HexMapView::CaptionStripX(troop) + x, HexMapView::CaptionStripY(troop) + y)[0];
    };
    // The tank's bar: one colour over rows 16-19 from x 40.
    const std::uint8_t bar = at(troops.tank0, 42, 17);
    EXPECT_EQ(at(troops.tank0, 42, 16), bar);
    EXPECT_EQ(at(troops.tank0, 42, 19), bar);
    EXPECT_NE(at(troops.tank0, 42, 21), bar);
    EXPECT_EQ(at(troops.tank0, 88, 17), bar) << "a full tank's bar runs to its end";
    // The word is two characters from x 40; the bar's far end stays empty.
    int farEnd = 0, word = 0;
    for (int y = 12; y < 24; ++y) {
        for (int x = 40; x <= 90; ++x) {
            const bool inked = at(troops.infantry0, x, y) != 0;
            (x >= 70 ? farEnd : word) += inked ? 1 : 0;
        }
    }
    EXPECT_EQ(farEnd, 0) << "no fuel bar";
    EXPECT_GT(word, 10) << "the word in its place";
}

}  // namespace
}  // namespace zv::mapview
