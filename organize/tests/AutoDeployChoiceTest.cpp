// The hex choices of automatic deployment on a small map made in code: which own site a troop's
// classes pick (category order, then site order), and the row-by-row scans (the strictly larger
// value wins, ties keep the first hex, a value of 0 is never chosen, the mask and occupied or
// foreign hexes are left out).

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>

#include "organize/AutoDeploy.h"
#include "rules/context/GameContext.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/MapCursors.h"
#include "rules/records/RuleRecords.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/RuleTableWriter.h"

namespace zv::organize {
namespace {

using rules::testing::MapBuilder;
using rules::testing::RuleTableWriter;

constexpr std::uint8_t kSea = 5;

class AutoDeployChoice : public ::testing::Test {
  protected:
    // Supply flags of the terrains of site kinds 0-3 (category in bits 12-15, classes below).
    void Build(const std::array<std::uint16_t, 4>& siteFlags) {
        RuleTableWriter w = RuleTableWriter::Basic();
        for (int k = 0; k < 4; ++k)
            w.landKinds[std::size_t(rules::kFirstSiteClass + k)].SetU16(rules::LandKindRecord::kSupplyFlag, siteFlags[std::size_t(k)]);
        w.InstallInto(tables);
        builder = std::make_unique<MapBuilder>(tables, kSea);
        builder->Country(0).Country(1).DeploymentArea(0, 0, 63, 63, 1).DeploymentArea(2, 3, 7, 6, 0);
    }
    void Site(int kind, int owner, int x, int y) {
        const std::uint16_t s = builder->AddSite(kind, owner, x, y);
        ASSERT_NE(s, rules::kNoSiteIndex);
        rules::SiteCursor sites(tables);
        ASSERT_TRUE(sites.Select(s));
        sites.SetSupplied(1);
    }
    rules::GameContext& Context() {
        ctx = std::make_unique<rules::GameContext>(tables, rules::GameContextEnv{nullptr, 0});
        ctx->RebuildHexOccupancy();
        return *ctx;
    }
    std::uint8_t ClassAt(int x, int y) {
        EXPECT_TRUE(ctx->SelectHexInfoXY(x, y));
        return ctx->GetHexTerrainClass(1);
    }
    rules::TableDirectory tables;
    std::unique_ptr<MapBuilder> builder;
    std::unique_ptr<rules::GameContext> ctx;
};

std::optional<DeployHex> Hex(int x, int y) {
    return DeployHex{std::uint8_t(x), std::uint8_t(y)};
}

TEST_F(AutoDeployChoice, SitesGoByCategoryThenBySiteOrder) {
    // Site kind 0: a category-1 site offering classes 1 and 2; kind 1: category 3 offering 1;
    // kind 2: category 2 offering 2 and 4; kind 3: category 3 offering 1 and 2.
    Build({0x1003, 0x3001, 0x2006, 0x3003});
    Site(0, 0, 2, 3);
    Site(1, 0, 3, 3);
    Site(2, 0, 4, 3);
    Site(3, 0, 5, 3);
    Site(3, 1, 20, 20);  // another country's
    Site(0, 0, 30, 30);  // own, outside the own area
    rules::GameContext& c = Context();
    EXPECT_EQ(CollectCountrySites(c, 0), 4);
    struct Case {
        std::uint16_t classes;
        std::optional<DeployHex> hex;
    } const cases[] = {
        {0x001, Hex(3, 3)},  // category 3 before category 1, though the town comes first
        {0x003, Hex(5, 3)},  // category 3 must offer every class asked for
        {0x002, Hex(5, 3)},
        {0x004, Hex(4, 3)},  // no full match: the first site sharing a class
        {0x005, Hex(2, 3)},  // the shared-class step goes by site order, not by category
        {0x008, std::nullopt},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.classes);
        EXPECT_EQ(PlaceAtOwnSite(c, k.classes, 0), k.hex);
    }
    // A site with a troop on it is no longer offered.
    builder->AddTroop(0, 3, 3, {0});
    rules::GameContext& c2 = Context();
    EXPECT_EQ(CollectCountrySites(c2, 0), 3);
    EXPECT_EQ(PlaceAtOwnSite(c2, 0x001, 0), Hex(5, 3));
}

TEST_F(AutoDeployChoice, TheScanKeepsTheFirstOfTheLargestValuesRowByRow) {
    Build({0, 0, 0, 0});
    // The own area (2-7, 3-6) is plain land; a few hexes get other land kinds.
    builder->TerrainRect(2, 3, 7, 6, 0);
    builder->Terrain(6, 3, 1).Terrain(2, 4, 1);  // equal values, the first in row order at y = 3
    builder->Terrain(3, 5, 2).Terrain(5, 5, 2);  // equal values within one row
    builder->Terrain(7, 6, 6);                   // the mask leaves it out
    builder->Terrain(9, 9, 1);                   // outside the own area
    rules::GameContext& c = Context();
    const std::uint8_t plain = ClassAt(2, 3), one = ClassAt(6, 3), two = ClassAt(3, 5), masked = ClassAt(7, 6);
    ASSERT_NE(plain, one);
    ASSERT_NE(one, two);
    ASSERT_NE(masked, two);
    std::uint8_t mask[rules::kMoveCostClasses];
    std::fill(std::begin(mask), std::end(mask), 1);
    mask[masked] = 0;
    struct Case {
        const char* what;
        int plainValue, oneValue, twoValue, maskedValue;
        std::optional<DeployHex> hex;
    } const cases[] = {
        {"a tie across rows goes to the lower row", 0, 5, 3, 9, Hex(6, 3)},
        {"a tie within a row goes to the lower x", 0, 3, 5, 9, Hex(3, 5)},
        {"a larger value later wins", 2, 3, 4, 0, Hex(3, 5)},
        {"plain land everywhere ties: the first own hex", 4, 4, 4, 4, Hex(2, 3)},
        {"a value of 0 is never chosen", 0, 0, 0, 9, std::nullopt},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        std::uint8_t values[rules::kMoveCostClasses] = {};
        values[plain] = std::uint8_t(k.plainValue);
        values[one] = std::uint8_t(k.oneValue);
        values[two] = std::uint8_t(k.twoValue);
        values[masked] = std::uint8_t(k.maskedValue);
        EXPECT_EQ(BestHexByValue(c, 0, mask, values), k.hex);
    }
    // First free hex: the mask and the troops are honoured in the same order.
    EXPECT_EQ(FirstFreeHex(c, 0, mask), Hex(2, 3));
    std::uint8_t onlyTwo[rules::kMoveCostClasses] = {};
    onlyTwo[two] = 1;
    EXPECT_EQ(FirstFreeHex(c, 0, onlyTwo), Hex(3, 5));
    builder->AddTroop(0, 3, 5, {0});
    rules::GameContext& c2 = Context();
    EXPECT_EQ(FirstFreeHex(c2, 0, onlyTwo), Hex(5, 5));
    std::uint8_t values[rules::kMoveCostClasses] = {};
    values[two] = 7;
    EXPECT_EQ(BestHexByValue(c2, 0, mask, values), Hex(5, 5)) << "a hex with a troop is not free";
    std::uint8_t none[rules::kMoveCostClasses] = {};
    EXPECT_EQ(FirstFreeHex(c2, 0, none), std::nullopt);
}

}  // namespace
}  // namespace zv::organize
