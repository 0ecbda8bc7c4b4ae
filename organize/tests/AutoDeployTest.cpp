// Automatic deployment over the default maps and corps of the content build: every troop it
// places stands on a hex of its country's deployment area that its members may stand on, the
// country pays exactly the troops placed, at most one headquarters stands, and the same start
// gives the same result.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "framework/ProcessState.h"
#include "organize/AutoDeploy.h"
#include "rules/context/GameContext.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/MapFiles.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/troops/Placement.h"
#include "rules/troops/TroopMembers.h"

namespace zv::organize {
namespace {

using rules::ForceCursor;
using rules::GameContext;
using rules::TableDirectory;
using rules::TroopCursor;

class CountingEvents : public rules::GameEvents {
  public:
    bool PlacementMessage(const char* text, bool) override {
        messages.emplace_back(text);
        return false;
    }
    std::vector<std::string> messages;
};

const char* const kMaps[] = {"MAP00001.ddm", "MAP00002.ddm", "MAP00003.ddm", "MAP00004.ddm"};
const char* const kCorps[] = {"useFrc00.prm", "useFrc01.prm", "useFrc02.prm", "useFrc03.prm",
                              "useFrc04.prm", "useFrc05.prm", "useFrc06.prm"};

// A default map with its occupancy built, the country's troops taken back into its corps
// (and, when `corps` is given, that corps file in the country's slot).
struct World {
    TableDirectory tables;
    CountingEvents events;
    rules::ForceWorkspace workspace;
    std::unique_ptr<GameContext> ctx;

    void Load(const char* map, std::uint8_t country, const char* corps) {
        ASSERT_TRUE(tables.LoadAllTables(ZV_PROGRAM_DIR "/")) << tables.LastError();
        ASSERT_TRUE(rules::LoadMapFromMapFolder(tables, events, ZV_PROGRAM_DIR, map)) << map;
        ctx = std::make_unique<GameContext>(tables, rules::GameContextEnv{&events, country});
        ctx->RebuildHexOccupancy();
        rules::RecoverAllTroops(*ctx, &workspace, country);
        if (corps) {
            ForceCursor force(tables, country);
            force.SelectSlot(country);
            ASSERT_TRUE(force.LoadUserForceFile(ZV_PROGRAM_DIR, corps)) << corps;
        }
        events.messages.clear();
    }

    std::vector<std::uint8_t> Fingerprint() {
        std::vector<std::uint8_t> bytes;
        TroopCursor troops(tables);
        for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
            troops.Select(t);
            const std::uint8_t* r = troops.GetRecord()->bytes.data();
            bytes.insert(bytes.end(), r, r + rules::kTroopRecordSize);
        }
        ForceCursor force(tables);
        for (std::uint8_t c = 0; c < 4; ++c) {
            force.SelectSlot(c);
            const std::uint8_t* f = force.GetForceRecord()->data();
            bytes.insert(bytes.end(), f, f + rules::kForceRecordSize);
        }
        rules::CountryCursor countries(tables);
        for (std::uint8_t c = 0; c < 4; ++c) {
            countries.Select(c);
            const std::int32_t funds = countries.GetFunds();
            const auto* p = reinterpret_cast<const std::uint8_t*>(&funds);
            bytes.insert(bytes.end(), p, p + sizeof funds);
        }
        return bytes;
    }
};

struct Usable {
    int troops = 0;
    std::int64_t price = 0;
};

Usable CountUsable(TableDirectory& tables, std::uint8_t country) {
    ForceCursor force(tables, country);
    force.SelectSlot(country);
    Usable u;
    for (std::uint16_t n = 0; n < rules::kForceTroopCount; ++n) {
        if (!force.SelectForceTroop(n) || !force.HasMembers()) continue;
        if (force.GetStateFlags() & rules::kTroopTemplate) continue;
        ++u.troops;
    }
    return u;
}

int CountHqOnMap(TableDirectory& tables, std::uint8_t country) {
    TroopCursor troops(tables);
    int hq = 0;
    for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
        if (troops.Select(t) && troops.GetCountry() == country && troops.HasMembers() &&
            rules::CountHqMembers(troops) > 0)
            ++hq;
    }
    return hq;
}

// Checks every troop of `country` placed since `before` (troop records that were free) and
// returns how many there are.
int CheckPlaced(World& w, std::uint8_t country, const std::vector<bool>& before, std::int32_t fundsBefore,
                const std::string& what) {
    GameContext& ctx = *w.ctx;
    TroopCursor troops(w.tables);
    std::int64_t spent = 0;
    int placed = 0;
    for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
        if (before[t] || !troops.Select(t) || !troops.HasMembers()) continue;
        ++placed;
        EXPECT_EQ(troops.GetCountry(), country) << what << " troop " << t;
        EXPECT_TRUE(troops.IsOnMap()) << what << " troop " << t;
        const std::uint16_t hex = troops.GetHexValue();
        const int x = hex & 0xFF, y = hex >> 8;
        if (!ctx.SelectHexInfoXY(x, y)) {
            ADD_FAILURE() << what << " troop " << t << " off the map";
            continue;
        }
        EXPECT_EQ(ctx.Hexes().GetCountry(), country) << what << " troop " << t << " at " << x << "," << y;
        EXPECT_EQ(ctx.GetHexTroopIndex(), t) << what << " troop " << t;
        std::uint8_t mask[rules::kMoveCostClasses];
        if (rules::CountMembersOfClass6(troops) > 0) {
            rules::FillDefaultTerrainMask(mask);
        } else {
            std::memcpy(mask, rules::GetMoveCostTable(troops), sizeof mask);
        }
        troops.Select(t);
        ctx.SelectHexInfoXY(x, y);
        const std::uint8_t terrain = ctx.GetHexTerrainClass(troops.GetTroopAltitudeClass() == 3 ? 1 : 0);
        EXPECT_LT(terrain, rules::kMoveCostClasses) << what;
        if (terrain < rules::kMoveCostClasses) {
            EXPECT_NE(mask[terrain], 0) << what << " troop " << t << " on terrain " << int(terrain);
        }
        spent += rules::SumMemberValueA(troops);
    }
    rules::CountryCursor countries(w.tables);
    countries.Select(country);
    EXPECT_EQ(countries.GetFunds(), fundsBefore - spent) << what;
    EXPECT_GE(countries.GetFunds(), 0) << what;
    EXPECT_LE(CountHqOnMap(w.tables, country), 1) << what;
    rules::ScenarioHeaderCursor header(w.tables);
    EXPECT_LE(troops.CountTroopsByAltitude(country, rules::kAnyAltitude), header.GetDeployLimit()) << what;
    return placed;
}

std::vector<bool> UsedTroops(TableDirectory& tables) {
    std::vector<bool> used(rules::kMapTroopCount);
    TroopCursor troops(tables);
    for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) used[t] = troops.Select(t) && troops.HasMembers();
    return used;
}

std::int32_t Funds(TableDirectory& tables, std::uint8_t country) {
    rules::CountryCursor countries(tables);
    countries.Select(country);
    return countries.GetFunds();
}

void SetPasses(TableDirectory& tables, std::uint8_t country, std::array<std::uint8_t, 6> passes) {
    rules::CountryCursor countries(tables);
    countries.Select(country);
    for (int i = 0; i < 6; ++i) countries.SetSetting66(i, passes[i]);
}

class AutoDeployTest : public ::testing::Test {
  protected:
    void SetUp() override { fw::SetProgramDirectory(ZV_PROGRAM_DIR); }
};

TEST_F(AutoDeployTest, EveryDefaultCorpsOnEveryDefaultMapForEachCountry) {
    for (const char* map : kMaps) {
        int placedOnMap = 0;
        for (std::uint8_t c = 0; c < 4; ++c) {
            for (const char* corps : kCorps) {
                const std::string what = std::string(map) + " country " + std::to_string(c) + " " + corps;
                World w;
                w.Load(map, c, corps);
                if (HasFatalFailure()) return;
                SetPasses(w.tables, c, {1, 0, 0, 0, 0, 0});
                const std::vector<bool> before = UsedTroops(w.tables);
                const std::int32_t funds = Funds(w.tables, c);
                const int usable = CountUsable(w.tables, c).troops;

                AutoDeployCorps(*w.ctx, &w.workspace, c);

                const int placed = CheckPlaced(w, c, before, funds, what);
                EXPECT_EQ(CountUsable(w.tables, c).troops + placed, usable) << what;
                placedOnMap += placed;
                if (c == 0 && corps == kCorps[0]) {
                    // The same start gives the same tables, corps and funds.
                    World again;
                    again.Load(map, c, corps);
                    SetPasses(again.tables, c, {1, 0, 0, 0, 0, 0});
                    AutoDeployCorps(*again.ctx, &again.workspace, c);
                    EXPECT_EQ(again.Fingerprint(), w.Fingerprint()) << what;
                }
            }
        }
        EXPECT_GT(placedOnMap, 0) << map;
    }
}

// Rank of a troop's altitude class in the order air, ground, sea.
int AltitudeGroup(std::uint8_t altitude) {
    return altitude <= 2 ? 0 : altitude == 3 ? 1 : 2;
}

TEST_F(AutoDeployTest, PassSettingsChooseWhichTroopsGoAndInWhatOrder) {
    struct Case {
        std::array<std::uint8_t, 6> passes;
        const char* name;
    };
    const Case cases[] = {
        {{4, 5, 6, 0, 0, 0}, "air, ground, sea"},
        {{3, 0, 0, 0, 0, 0}, "headquarters only"},
        {{0, 0, 0, 0, 0, 0}, "nothing"},
        {{7, 200, 0, 0, 0, 0}, "unknown values"},
        {{1, 1, 0, 0, 0, 0}, "all twice"},
    };
    for (const Case& k : cases) {
        World w;
        w.Load(kMaps[0], 0, nullptr);
        if (HasFatalFailure()) return;
        SetPasses(w.tables, 0, k.passes);
        const std::vector<bool> before = UsedTroops(w.tables);
        const int usable = CountUsable(w.tables, 0).troops;
        const std::int32_t funds = Funds(w.tables, 0);
        ASSERT_EQ(CountHqOnMap(w.tables, 0), 0);

        AutoDeployCorps(*w.ctx, &w.workspace, 0);
        const int placed = CheckPlaced(w, 0, before, funds, k.name);

        TroopCursor troops(w.tables);
        std::vector<std::uint8_t> altitudes;
        for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
            if (!before[t] && troops.Select(t) && troops.HasMembers()) altitudes.push_back(troops.RefreshAltitudeClass());
        }
        const std::string name = k.name;
        if (name == "air, ground, sea") {
            EXPECT_GT(placed, 0);
            for (std::size_t i = 1; i < altitudes.size(); ++i)
                EXPECT_LE(AltitudeGroup(altitudes[i - 1]), AltitudeGroup(altitudes[i])) << "troop " << i;
            EXPECT_EQ(CountHqOnMap(w.tables, 0), 1) << "the ground pass places the headquarters";
        } else if (name == "headquarters only") {
            EXPECT_EQ(placed, 1);
            EXPECT_EQ(CountHqOnMap(w.tables, 0), 1);
        } else if (name == "nothing" || name == "unknown values") {
            EXPECT_EQ(placed, 0) << name;
            EXPECT_EQ(CountUsable(w.tables, 0).troops, usable) << name;
        } else {
            // A second all-troops pass finds the headquarters standing and offers no other one.
            EXPECT_GT(placed, 0);
            EXPECT_EQ(CountHqOnMap(w.tables, 0), 1);
            EXPECT_TRUE(w.events.messages.empty()) << w.events.messages.front();
        }
    }
}

TEST_F(AutoDeployTest, WithoutAFreeHexOfItsAreaNothingIsPlacedAndNothingSaid) {
    World w;
    w.Load(kMaps[0], 0, nullptr);
    ASSERT_FALSE(HasFatalFailure());
    // Country 0's area goes to country 1.
    rules::HexCursor hexes(w.tables);
    for (int n = 0; n < 64 * 64; ++n) {
        if (hexes.Select(n) && hexes.GetCountry() == 0) hexes.SetCountry(1);
    }
    SetPasses(w.tables, 0, {1, 2, 3, 4, 5, 6});
    const std::vector<std::uint8_t> start = w.Fingerprint();

    AutoDeployCorps(*w.ctx, &w.workspace, 0);

    EXPECT_EQ(w.Fingerprint(), start);
    EXPECT_TRUE(w.events.messages.empty());
}

TEST_F(AutoDeployTest, TheScratchTroopIsCopiedAfreshAndTheScratchModeKept) {
    for (bool scratching : {true, false}) {
        World w;
        w.Load(kMaps[0], 0, nullptr);
        ASSERT_FALSE(HasFatalFailure());
        SetPasses(w.tables, 0, {1, 0, 0, 0, 0, 0});
        // The organisation screen had troop 0 of the working force in its scratch record.
        ForceCursor work(w.tables, 5, &w.workspace);
        work.LoadSlotToWork(0);
        rules::BeginForceScratchMode(w.workspace);
        ASSERT_TRUE(work.SelectTroop(0));
        ASSERT_TRUE(work.HasMembers());
        if (!scratching) rules::EndForceScratchMode(w.workspace);

        AutoDeployCorps(*w.ctx, &w.workspace, 0);
        EXPECT_EQ(w.workspace.ScratchOn(), scratching);

        // Troop 0 went onto the map: the working force's troop 0 is empty now, and a selection
        // in scratch mode hands out that, not the copy made before.
        if (!scratching) rules::BeginForceScratchMode(w.workspace);
        ASSERT_TRUE(work.SelectTroop(0));
        EXPECT_FALSE(work.HasMembers());
        ASSERT_TRUE(work.SelectForceTroop(0));
        EXPECT_FALSE(work.HasMembers());
    }
}

}  // namespace
}  // namespace zv::organize
