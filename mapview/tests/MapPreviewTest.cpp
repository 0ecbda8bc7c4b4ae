// Previews read straight from map and saved-game files, and the miniature of the live map.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <vector>

#include "mapview/MapPreview.h"
#include "platform/core/Sjis.h"
#include "mapview/tests/MapViewFixture.h"
#include "rules/files/MapFiles.h"
#include "rules/records/MapCursors.h"

namespace zv::mapview {
namespace {

constexpr std::size_t kHeader = 16, kCountries = kHeader + 300, kHexes = kCountries + 344, kSites = kHexes + 32768;

class MapPreviewFiles : public testing::MapWorldFixture {
  protected:
    void TearDown() override {
        FreeMapPreview();
        MapWorldFixture::TearDown();
    }
    // The fixture map as a file, with `patch` applied to its bytes.
    std::string MapFile(const std::string& name, const std::function<void(std::vector<std::uint8_t>&)>& patch = {}) {
        const std::string path = folder.Path() + "/" + name;
        EXPECT_TRUE(rules::WriteMapFile(tables, path));
        if (patch) {
            std::ifstream in(path, std::ios::binary);
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
            in.close();
            patch(bytes);
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        return path;
    }
    static void Countries(std::vector<std::uint8_t>& b, std::array<int, 4> part, std::array<int, 4> state) {
        for (int c = 0; c < 4; ++c) {
            b[kCountries + 86 * c + 24] = static_cast<std::uint8_t>(part[c]);
            b[kCountries + 86 * c + 25] = static_cast<std::uint8_t>(state[c]);
        }
    }
    rules::testing::TempFolder folder;
};

TEST_F(MapPreviewFiles, CountriesTakingPartInMapsAndSavedGames) {
    const std::string map = MapFile("MAP00090.ddm", [](auto& b) { Countries(b, {1, 0, 2, 0}, {1, 1, 1, 3}); });
    ASSERT_EQ(RenderMapFilePreview({}, map.c_str(), 1), 1);
    EXPECT_EQ(GetMapPreview()->countryMask, 5);
    EXPECT_EQ(GetMapPreview()->countryCount, 2);
    const std::string save = MapFile("game.ddg", [](auto& b) {
        Countries(b, {1, 0, 2, 0}, {1, 1, 1, 3});
        b[0] = 107;
    });
    ASSERT_EQ(RenderMapFilePreview({}, save.c_str(), 1), 1);
    EXPECT_EQ(GetMapPreview()->countryMask, 3);
    EXPECT_EQ(GetMapPreview()->countryCount, 2);
    EXPECT_STREQ(GetMapPreview()->title, core::Utf8ToSjis("試験地図").c_str());
    EXPECT_EQ(GetMapPreview()->dayLimit, rules::ScenarioHeaderCursor(tables).GetDayLimit());
}

TEST_F(MapPreviewFiles, SiteCountsSkipOtherKindsAndSitesOffTheMap) {
    // Fixture sites: capital and airport of 0, capital, city and port of 1, a neutral town.
    const std::string path = MapFile("MAP00091.ddm", [](auto& b) {
        auto site = [&](int s) { return kSites + 8 * static_cast<std::size_t>(s); };
        b[site(10)] = 6;  // a kind the preview does not count
        b[site(10) + 1] = 0;
        b[site(11)] = 3;  // a town of country 2 far off the map: counted, never drawn
        b[site(11) + 1] = 2;
        b[site(11) + 2] = 200;
        b[site(11) + 3] = 250;
    });
    ASSERT_EQ(RenderMapFilePreview({}, path.c_str(), 0), 1);
    const MapPreviewRecord& p = *GetMapPreview();
    EXPECT_EQ(p.siteCounts[0][0], 1);
    EXPECT_EQ(p.siteCounts[0][5], 1);
    EXPECT_EQ(p.siteCounts[1][0], 1);
    EXPECT_EQ(p.siteCounts[1][2], 1);
    EXPECT_EQ(p.siteCounts[1][4], 1);
    EXPECT_EQ(p.siteCounts[4][3], 1);
    EXPECT_EQ(p.siteCounts[2][3], 1);
    int total = 0;
    for (const auto& row : p.siteCounts)
        for (std::uint16_t n : row) total += n;
    EXPECT_EQ(total, 7);
    ASSERT_TRUE(p.pictures[0] && p.pictures[1] && p.pictures[2]);
}

TEST_F(MapPreviewFiles, RefusedFilesKeepThePreviousPreview) {
    const std::string good = MapFile("MAP00092.ddm");
    ASSERT_EQ(RenderMapFilePreview({}, good.c_str(), 1), 1);
    const MapPreviewRecord* before = GetMapPreview();
    const std::string shortFile = MapFile("MAP00093.ddm", [](auto& b) { b.resize(kSites + 100); });
    const std::string wrongKind = MapFile("MAP00094.ddm", [](auto& b) { b[0] = 105; });
    const std::string missing = folder.Path() + "/none.ddm";
    for (const std::string& bad : {shortFile, wrongKind, missing}) {
        EXPECT_EQ(RenderMapFilePreview({}, bad.c_str(), 0), 0) << bad;
        EXPECT_EQ(GetMapPreview(), before);
    }
    EXPECT_EQ(RenderMapFilePreview({}, nullptr, 0), 0);
    // Without pictures the record is still replaced.
    ASSERT_EQ(RenderMapFilePreview({}, good.c_str(), 1), 1);
    EXPECT_FALSE(GetMapPreview()->pictures[0]);
    EXPECT_EQ(FreeMapPreview(), 1);
    EXPECT_EQ(GetMapPreview(), nullptr);
    EXPECT_EQ(FreeMapPreview(), 1);
}

TEST_F(MapPreviewFiles, MiniMapTilesFollowTheModes) {
    fw::Dib sheet("hexMini.bmp");
    ASSERT_TRUE(sheet.HasBits());
    std::vector<std::uint8_t> hexes(rules::kHexCount * 8), sites(rules::kSiteCount * 8, 0xFF);
    std::vector<std::uint16_t> index(rules::kHexCount, 0xFFFF);
    for (int h = 0; h < rules::kHexCount; ++h) {
        hexes[8 * h] = 7;  // forest
        hexes[8 * h + 1] = hexes[8 * h + 2] = 0xFF;
        hexes[8 * h + 3] = 6;
    }
    auto at = [&](int x, int y) { return 8 * (x + 64 * y); };
    hexes[at(2, 0) + 1] = 0x09;  // road and river: the road shows
    hexes[at(2, 0) + 2] = 0x24;
    hexes[at(3, 0) + 3] = 1;  // a deployment area of country 1
    sites[0] = 2;             // a city of country 0 on (4, 0)
    sites[1] = 0;
    index[4] = 0;
    auto pixel = [](fw::Dib& d, int x, int y) { return *d.GetPixelAddress(x, y); };
    ui::RgbQuad table[256];
    sheet.GetColorEntries(0, 256, table);
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        fw::Dib out(128, 128, table);
        RenderMiniMap(out, hexes.data(), index.data(), sites.data(), mode, sheet);
        EXPECT_EQ(pixel(out, 4, 0), pixel(sheet, 16, 6));                         // road tile
        EXPECT_EQ(pixel(out, 0, 0), mode == 0 ? pixel(sheet, 14, 0) : pixel(sheet, 0, 0));  // forest
        EXPECT_EQ(pixel(out, 6, 0), mode == 2 ? pixel(sheet, 12, 2) : pixel(out, 0, 0));    // area of 1
        EXPECT_EQ(pixel(out, 8, 0), mode == 2 ? pixel(out, 0, 0) : pixel(sheet, 0, 2));     // site of 0
        // Odd rows start one pixel in: the last hex of row 1 covers column 127 only, and
        // column 0 of the row keeps the grey fill.
        EXPECT_EQ(pixel(out, 127, 2), pixel(out, 1, 2));
        EXPECT_NE(pixel(out, 0, 2), pixel(out, 1, 2));
    }
}

TEST_F(MapPreviewFiles, MiniatureOfTheLiveMapAndTheCountryCounters) {
    fw::Dib sheet("hexMini.bmp");
    ui::RgbQuad table[256];
    sheet.GetColorEntries(0, 256, table);
    fw::Dib out(140, 140, table);
    RenderMapMiniature(tables, out, 6, 6);
    // The city of country 1 at (24, 12): its owner's tile moved 2 x kind to the right.
    EXPECT_EQ(*out.GetPixelAddress(6 + 48, 6 + 24), *sheet.GetPixelAddress(12 + 4, 2));
    // The river at (21, 3) shows the river tile (odd row: one pixel right).
    EXPECT_EQ(*out.GetPixelAddress(6 + 43, 6 + 6), *sheet.GetPixelAddress(18, 6));
    EXPECT_EQ(CountParticipatingCountries(tables), 2);
    rules::CountryCursor countries(tables);
    countries.Select(2);
    countries.SetParticipation(2);
    countries.SetState(1);
    EXPECT_EQ(CountParticipatingCountries(tables), 2);
    EXPECT_EQ(CountCountriesAtWar(tables), 1);
    testing::WriteDibPng(out, "mapview_miniature", -1, -1, 0, 0, 3);
}

}  // namespace
}  // namespace zv::mapview
