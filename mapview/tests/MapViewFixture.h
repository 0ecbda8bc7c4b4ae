#pragma once

// A small map on the game's own rule tables and pictures, the world the map windows show, and
// helpers that write and hash pictures.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "mapview/HexMapView.h"
#include "mapview/MapWorld.h"
#include "shell/ProgramServices.h"
#include "platform/ui/PngWriter.h"
#include "rules/context/GameContext.h"
#include "rules/records/MapCursors.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/RouteSearch.h"
#include "rules/search/Visibility.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/TempFolder.h"
#include "rules/troops/TroopMembers.h"
#include "simulation/Simulation.h"

namespace zv::mapview::testing {

inline const std::string kProgramDir = ZV_PROGRAM_DIR;

// Units of the default rule tables.
enum : int { kFighter = 1, kAttackHeli = 16, kTank = 23, kHeadquarters = 45, kInfantry = 50, kDestroyer = 64 };

// What the clicks asked of the neighbouring windows.
class RecordingHost : public MapViewHost {
  public:
    int commandCode = 0;
    bool answerYes = true;
    std::vector<std::string> asked;
    std::vector<std::uint16_t> buttonMasks;
    std::vector<std::pair<std::uint16_t, int>> reinforcements;
    std::uint32_t cursorHex = 0xFFFFFFFF;
    int GetSelectedCommandCode() override { return commandCode; }
    void UpdateCommandButtons(std::uint16_t mask, int) override { buttonMasks.push_back(mask); }
    bool Ask(ui::Hwnd, const std::string& text, bool) override {
        asked.push_back(text);
        return answerYes;
    }
    void RequestReinforcements(ui::Hwnd, std::uint8_t, std::uint16_t hex, int mode) override {
        reinforcements.emplace_back(hex, mode);
    }
    void SetCursorHex(std::uint32_t hex) override { cursorHex = hex; }
    // The separation choice of the command window (分散); 0 none.
    std::uint16_t separationChoice = 0;
    std::uint16_t GetSeparationChoice() override { return separationChoice; }
    // The weapon chooser: the choices it was offered, and what it answers (0: cancelled).
    std::uint16_t weaponAnswer = 0;
    std::vector<std::uint16_t> weaponOptions;
    std::uint16_t SelectSeparableWeapon(ui::Hwnd, std::uint16_t, int mode, std::uint16_t options) override {
        weaponOptions.push_back(options);
        return mode == 1 ? weaponAnswer : 0;
    }
};

// 64-bit FNV-1a over the 8-bit pixels (row by row, top down).
inline std::uint64_t PixelHash(fw::Dib& dib) {
    std::uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < dib.GetHeight(); ++y) {
        const std::uint8_t* row = dib.GetPixelAddress(0, y);
        for (int x = 0; x < dib.GetWidth(); ++x) {
            h ^= row[x];
            h *= 1099511628211ull;
        }
    }
    return h;
}

inline std::string ScreenshotPath(const std::string& name) {
    // Beside the other tests' screenshots: build/tests/screenshots.
    const std::filesystem::path dir = std::filesystem::path(kProgramDir).parent_path() / "tests" / "screenshots";
    std::filesystem::create_directories(dir);
    return (dir / (name + ".png")).string();
}

// Writes the Dib (w x h from (x0, y0), enlarged `scale` times) as a PNG for a person to look at.
inline void WriteDibPng(fw::Dib& dib, const std::string& name, int w = -1, int h = -1, int x0 = 0,
                        int y0 = 0, int scale = 1) {
    if (w < 0) w = dib.GetWidth();
    if (h < 0) h = dib.GetHeight();
    ui::RgbQuad table[256] = {};
    dib.GetColorEntries(0, 256, table);
    ui::Surface32Buffer out(w * scale, h * scale);
    ui::Surface32 s = out.View();
    for (int y = 0; y < h * scale; ++y) {
        const std::uint8_t* row = dib.GetPixelAddress(x0, y0 + y / scale);
        for (int x = 0; x < w * scale; ++x) {
            const ui::RgbQuad& q = table[row[x / scale]];
            s.pixels[std::size_t(y) * s.stride + x] = (std::uint32_t(q.red) << 16) | (std::uint32_t(q.green) << 8) | q.blue;
        }
    }
    std::string error;
    ui::WritePng(ScreenshotPath(name), s, &error);
}

// The fixture map: sea in the west with a coast, forest, hills, mountains, desert and snow,
// a road and a river, sites of countries 0 and 1 and a neutral town, and troops of both.
struct FixtureTroops {
    std::uint16_t tank0, infantry0, hq0, tank1, heli1, hq1;
};

inline FixtureTroops BuildFixtureMap(rules::TableDirectory& tables) {
    rules::testing::MapBuilder map(tables, 0);
    map.Title("試験地図").Clock(1, 10, 0);
    map.TerrainRect(0, 0, 4, 63, 5).TerrainRect(5, 0, 5, 63, 4).TerrainRect(3, 12, 6, 14, 3);
    map.TerrainRect(10, 2, 14, 6, 7).TerrainRect(15, 2, 16, 5, 6).TerrainRect(16, 8, 18, 10, 9);
    map.TerrainRect(19, 8, 19, 10, 10).TerrainRect(12, 14, 14, 17, 8).TerrainRect(22, 0, 26, 4, 21);
    map.TerrainRect(22, 16, 26, 19, 11).TerrainRect(8, 16, 10, 18, 2).TerrainRect(27, 16, 28, 18, 12);
    for (int x = 6; x <= 26; ++x) map.Road(x, 10, 0x09);
    for (int y = 0; y <= 19; ++y) map.River(21, y, y % 2 ? 0x24 : 0x24);
    map.DeploymentArea(7, 2, 9, 6, 0).DeploymentArea(23, 11, 26, 14, 1);
    map.Country(0).Country(1);
    map.AddSite(0, 0, 8, 4);
    map.AddSite(5, 0, 6, 8);
    map.AddSite(2, 1, 24, 12);
    map.AddSite(0, 1, 25, 7);
    map.AddSite(3, 4, 15, 12);
    map.AddSite(4, 1, 23, 15);
    FixtureTroops t{};
    t.tank0 = map.AddTroop(0, 10, 10, {kTank, kTank, kTank}, "第一戦車隊");
    t.infantry0 = map.AddTroop(0, 11, 11, {kInfantry, kInfantry}, "歩兵第一");
    t.hq0 = map.AddTroop(0, 8, 5, {kHeadquarters}, "司令部");
    t.tank1 = map.AddTroop(1, 17, 12, {kTank}, "赤戦車");
    t.heli1 = map.AddTroop(1, 19, 5, {kAttackHeli, kAttackHeli}, "赤ヘリ");
    t.hq1 = map.AddTroop(1, 25, 8, {kHeadquarters}, "赤司令部");
    // The picture that stands for each troop: its first unit's icon code.
    rules::TroopCursor cursor(tables);
    rules::UnitInfoCursor units(tables);
    for (std::uint16_t troop : {t.tank0, t.infantry0, t.hq0, t.tank1, t.heli1, t.hq1}) {
        cursor.Select(troop);
        if (units.Select(cursor.GetMemberUnit(0))) cursor.SetIcon(units.GetKindByte29());
        cursor.Select(troop);
        rules::RefreshMoveCostTable(cursor);
    }
    rules::ScenarioHeaderCursor header(tables);
    header.SetDaytime(1);
    return t;
}

// The tables, the simulation that takes the map's orders and the world the map windows see.
// The settings file the windows write goes to a temporary program folder; the pictures are
// read from the real one, which is made the current folder.
class MapWorldFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        oldDirectory = std::filesystem::current_path();
        std::filesystem::current_path(kProgramDir);
        fw::SetProgramDirectory(settingsFolder.Path());
        fw::SetPlayerCountry(0);
        ASSERT_TRUE(tables.LoadAllTables(kProgramDir)) << tables.LastError();
        troops = BuildFixtureMap(tables);
        simulation = std::make_unique<sim::Simulation>(tables);
        searches = std::make_unique<rules::RouteSearchSet>(tables);
        world.tables = &tables;
        world.simulation = simulation.get();
        world.routeSearches = searches.get();
        world.host = &host;
        services->map = &world;
        rules::GameContext ctx(tables, MapContextEnv());
        ctx.RebuildHexOccupancy();
    }
    void TearDown() override {
        services->map = nullptr;
        fw::SetPlayerCountry(6);
        fw::SetProgramDirectory(kProgramDir);
        std::filesystem::current_path(oldDirectory);
    }
    // Fog of war on, seen as the local player sees it.
    void TurnOnFog() {
        rules::ScenarioHeaderCursor header(tables);
        header.SetOptionByte1(1);
        rules::CountryCursor countries(tables);
        for (int c = 0; c < 2; ++c) {
            countries.Select(c);
            countries.SetState(1);
        }
        rules::GameContext ctx(tables, MapContextEnv());
        rules::RecomputeVisibility(ctx);
    }

    rules::testing::TempFolder settingsFolder;
    std::filesystem::path oldDirectory;
    rules::TableDirectory tables;
    FixtureTroops troops{};
    std::unique_ptr<sim::Simulation> simulation;
    std::unique_ptr<rules::RouteSearchSet> searches;
    RecordingHost host;
    shell::ScopedServices services;
    MapWorld world;
};

}  // namespace zv::mapview::testing
