// The title page's demonstration run through the headless screen: it plays the recorded game for
// its 302 timer ticks and ends by itself, a right click ends it at once, data without a country
// to show runs no dialog, the map child's place on small and large desktops, the view centred on
// the headquarters, and an empty map afterwards. Screenshots of the recorded game's first and
// last frame.

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <functional>
#include <vector>

#include "mapview/HexMapView.h"
#include "mapview/MapEditorContext.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "mapview/OpeningDemo.h"
#include "mapview/tests/MapViewFixture.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/context/RuleHelpers.h"
#include "rules/files/MapFiles.h"
#include "rules/records/MapCursors.h"
#include "shell/WindowRegistry.h"

namespace zv::mapview {
namespace {

std::function<void()> gAtStart;
std::function<void()> gNearEnd;

class OpeningDemo : public testing::MapWorldFixture {
  protected:
    void TearDown() override {
        wm.reset();
        gAtStart = nullptr;
        gNearEnd = nullptr;
        MapWorldFixture::TearDown();
    }
    void MakeScreen(int width, int height) {
        wm.reset();
        auto backend = std::make_unique<ui::HeadlessBackend>(width, height);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
    }
    std::filesystem::path DataFolder() { return std::filesystem::path(settingsFolder.Path()) / "Zv6open"; }
    // The fixture map as the recorded game, with country `person` played by a person (-1: by
    // nobody) and in the given state.
    void WriteFixtureData(int person, int personState = 1) {
        rules::CountryCursor countries(tables);
        for (int c = 0; c < 2; ++c) {
            countries.Select(c);
            countries.SetParticipation(c == person ? 0 : 1);
            countries.SetState(c == person ? personState : 1);
        }
        std::filesystem::create_directories(DataFolder());
        rules::GameEvents events;
        ASSERT_TRUE(rules::WriteSaveGame(tables, events, (DataFolder() / kOpeningDataFile).string()));
    }
    void InstallBuiltData() {
        std::filesystem::create_directories(DataFolder());
        std::filesystem::copy_file(std::filesystem::path(testing::kProgramDir) / "Zv6open" / kOpeningDataFile,
                                   DataFolder() / kOpeningDataFile,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    // Runs the demonstration; `atStart` runs 40 ms in (the dialog is up), `nearEnd` (when given)
    // 30150 ms in, between the last step and the tick that ends it.
    int Run(std::function<void()> atStart, std::function<void()> nearEnd = nullptr) {
        gAtStart = std::move(atStart);
        gNearEnd = std::move(nearEnd);
        screen->SetAutoAdvance(true);
        const uintptr_t first = ui::SetTimer({}, 95, 40, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            if (gAtStart) gAtStart();
        });
        const uintptr_t last = ui::SetTimer({}, 96, 30150, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            if (gNearEnd) gNearEnd();
        });
        started = screen->NowMs();
        const int result = RunOpeningDemo(ui::Hwnd{});
        elapsed = screen->NowMs() - started;
        ui::KillTimer({}, first);
        ui::KillTimer({}, last);
        screen->SetAutoAdvance(false);
        return result;
    }
    ui::Hwnd Map() { return shell::GetWindowOfKind(shell::WindowKind::MapWnd); }
    ui::Rect MapRectInDialog() {
        ui::Rect r{};
        ui::GetWindowRect(Map(), &r);
        ui::Point p{r.left, r.top};
        ui::ScreenToClient(ui::GetParent(Map()), &p);
        return {p.x, p.y, p.x + (r.right - r.left), p.y + (r.bottom - r.top)};
    }
    // The map hex at the centre of the demonstration's map.
    std::pair<int, int> CentreHex() {
        MapViewContext* ctx = GetMapViewContext(Map());
        std::int16_t pt[2] = {std::int16_t(kOpeningMapWidth / 2), std::int16_t(kOpeningMapHeight / 2)};
        ctx->PixelToMapHex(pt);
        return {pt[0], pt[1]};
    }
    // An empty map: no site, no troop, no country in the game, sea everywhere, and nothing a
    // new map's reset would still change.
    void ExpectEmptyMap() {
        using rules::TableId;
        auto hash = [&] {
            return tables.HashTables({TableId::Site, TableId::Troop, TableId::Hex, TableId::HexInfo,
                                      TableId::Country, TableId::ScenarioHeader, TableId::Force});
        };
        const std::uint64_t before = hash();
        MapEditorContext document(tables);
        document.ResetToNewMap();
        document.Context().RebuildHexOccupancy();
        EXPECT_EQ(hash(), before);
        rules::TroopCursor t(tables);
        rules::SiteCursor sites(tables);
        rules::HexCursor hexes(tables);
        int used = 0, landHexes = 0, usedSites = 0;
        for (std::uint16_t i = 0; i < rules::kTroopTableLimit; ++i) used += t.Select(i) && t.GetRecord()->IsUsed();
        for (int i = 0; i < rules::kHexCount; ++i) landHexes += hexes.Select(i) && hexes.GetLandKind() != 5;
        for (int i = 0; i < rules::kSiteCount; ++i) usedSites += sites.Select(i) && sites.GetKind() != rules::kFreeSite;
        EXPECT_EQ(used, 0);
        EXPECT_EQ(landHexes, 0);
        EXPECT_EQ(usedSites, 0);
    }

    ui::HeadlessBackend* screen = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
    uint32_t started = 0;
    uint32_t elapsed = 0;
};

TEST_F(OpeningDemo, RecordedGamePlaysItsTicksAndLeavesAnEmptyMap) {
    MakeScreen(1024, 768);
    InstallBuiltData();
    ui::Rect child{};
    int minutesAtStart = 0, minutesNearEnd = 0;
    int troopsOnMap = 0;
    int contacts = 0;
    std::uint32_t countries = 0;
    auto minutes = [&] {
        rules::ScenarioHeaderCursor h(tables);
        return h.GetDay() * 1440 + h.GetHour() * 60 + h.GetMinute();
    };
    const int result = Run(
        [&] {
            ASSERT_TRUE(Map());
            child = MapRectInDialog();
            minutesAtStart = minutes();
            rules::TroopCursor t(tables);
            struct Placed {
                std::uint8_t country;
                std::uint16_t hex;
            };
            std::vector<Placed> placed;
            // What the map shows: its view rectangle in hexes.
            const MapViewContext* ctx = GetMapViewContext(Map());
            int view[4] = {Lo16(ctx->GetOrigin()), Hi16(ctx->GetOrigin()), 0, 0};
            ctx->GetVisibleSize(view[2], view[3]);
            for (std::uint16_t i = 0; i < rules::kMapTroopCount; ++i) {
                if (!t.Select(i) || !t.HasMembers() || !t.IsOnMap()) continue;
                const std::uint16_t hex = t.GetHexValue();
                const int x = hex & 0xFF, y = hex >> 8;
                if (x < view[0] || x >= view[0] + view[2] || y < view[1] || y >= view[1] + view[3]) continue;
                placed.push_back({t.GetCountry(), hex});
                countries |= 1u << t.GetCountry();
            }
            troopsOnMap = static_cast<int>(placed.size());
            // Enemies within three hexes of each other: the armies have met.
            for (std::size_t a = 0; a < placed.size(); ++a) {
                for (std::size_t b = a + 1; b < placed.size(); ++b) {
                    if (rules::AreCountriesAllied(tables, placed[a].country, placed[b].country)) continue;
                    const std::uint16_t ha = placed[a].hex, hb = placed[b].hex;
                    if (rules::HexDistance(ha & 0xFF, ha >> 8, hb & 0xFF, hb >> 8) <= 3) ++contacts;
                }
            }
            screen->WriteScreenshot(testing::ScreenshotPath("mapview_opening_first"), nullptr);
        },
        [&] {
            ASSERT_TRUE(Map());
            minutesNearEnd = minutes();
            screen->WriteScreenshot(testing::ScreenshotPath("mapview_opening_last"), nullptr);
        });
    EXPECT_EQ(result, 1);
    // The tick that finds the counter at 301 ends it: 302 ticks of 100 ms.
    EXPECT_EQ(elapsed, 30200u);
    EXPECT_EQ(child.left, (1024 - kOpeningMapWidth) / 2);
    EXPECT_EQ(child.top, (768 - kOpeningMapHeight) / 2);
    EXPECT_EQ(child.right - child.left, kOpeningMapWidth);
    EXPECT_EQ(child.bottom - child.top, kOpeningMapHeight);
    EXPECT_EQ(GetOpeningDemoPlacement().x, child.left);
    // A lively recording: in view, troops of several countries close to their enemies; one
    // game minute per tick (301 ticks have passed 30150 ms in).
    EXPECT_GE(troopsOnMap, 10);
    EXPECT_GE(std::popcount(countries), 3);
    EXPECT_GE(contacts, 4);
    EXPECT_EQ(minutesNearEnd - minutesAtStart, 301);
    EXPECT_FALSE(Map()) << "the map child is no longer window kind MapWnd";
    ExpectEmptyMap();
}

TEST_F(OpeningDemo, RightClickEndsItAtOnce) {
    MakeScreen(1024, 768);
    WriteFixtureData(0);
    int result = Run([&] { screen->Click(4, 4, ui::MouseButton::Right); });
    EXPECT_EQ(result, 1);
    EXPECT_LT(elapsed, 500u);
    // The cancel key and closing the dialog end it the same way.
    for (auto end : {+[] { ui::SendMessage(ui::GetActiveWindow(), ui::WM_COMMAND, ui::IDCANCEL, 0); },
                     +[] { ui::SendMessage(ui::GetActiveWindow(), ui::WM_CLOSE, 0, 0); }}) {
        WriteFixtureData(0);
        result = Run(end);
        EXPECT_EQ(result, 1);
        EXPECT_LT(elapsed, 500u);
    }
    // Another command leaves it running to its end.
    WriteFixtureData(0);
    result = Run([] { ui::SendMessage(ui::GetActiveWindow(), ui::WM_COMMAND, ui::IDOK, 0); });
    EXPECT_EQ(elapsed, 30200u);
}

TEST_F(OpeningDemo, NoCountryToShowRunsNoDialog) {
    MakeScreen(1024, 768);
    struct Case {
        const char* name;
        std::function<void()> prepare;
    };
    const Case cases[] = {
        {"every country led by the computer", [&] { WriteFixtureData(-1); }},
        {"the person's country is out of play", [&] { WriteFixtureData(1, 0); }},
        {"no recorded game", [&] { std::filesystem::remove_all(DataFolder()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        troops = testing::BuildFixtureMap(tables);
        c.prepare();
        bool opened = false;
        EXPECT_EQ(Run([&] { opened = Map() != ui::Hwnd{}; }), 0);
        EXPECT_FALSE(opened);
        EXPECT_EQ(elapsed, 0u);
        ExpectEmptyMap();
    }
}

TEST_F(OpeningDemo, SmallDesktopPutsTheMapAtTheCornerAndTheViewOnTheHeadquarters) {
    // The headquarters of country 0 far from the map's corner, so that a view centred on it
    // cannot be mistaken for one left at the corner.
    auto moveHeadquarters = [&](std::uint8_t country) {
        rules::TroopCursor t(tables);
        t.Select(troops.hq0);
        t.SetHex(rules::MakeHexPosition(40, 40));
        t.SetCountry(country);
    };
    moveHeadquarters(0);
    MakeScreen(640, 480);
    WriteFixtureData(0);
    ui::Rect child{};
    ui::Rect dialog{};
    std::pair<int, int> centre{-1, -1};
    Run([&] {
        child = MapRectInDialog();
        ui::GetWindowRect(ui::GetParent(Map()), &dialog);
        centre = CentreHex();
        ui::SendMessage(ui::GetActiveWindow(), ui::WM_COMMAND, ui::IDCANCEL, 0);
    });
    EXPECT_EQ(child.left, 0);
    EXPECT_EQ(child.top, 0);
    EXPECT_EQ(child.right, kOpeningMapWidth);
    EXPECT_EQ(child.bottom, kOpeningMapHeight);
    EXPECT_EQ(dialog.right - dialog.left, 640);
    EXPECT_EQ(dialog.bottom - dialog.top, 480);
    EXPECT_NEAR(centre.first, 40, 2);
    EXPECT_NEAR(centre.second, 40, 2);

    // Without a headquarters of its own the view is centred on hex (0, 0): the corner.
    troops = testing::BuildFixtureMap(tables);
    moveHeadquarters(1);
    MakeScreen(1024, 768);
    WriteFixtureData(0);
    std::uint32_t origin = 0xFFFFFFFF;
    Run([&] {
        origin = GetMapViewContext(Map())->GetOrigin();
        ui::SendMessage(ui::GetActiveWindow(), ui::WM_COMMAND, ui::IDCANCEL, 0);
    });
    EXPECT_EQ(origin, 0u);
}

}  // namespace
}  // namespace zv::mapview
