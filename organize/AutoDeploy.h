#pragma once

// The deployment screen's 自動配置: a country's corps troops go onto the map without the player
// choosing hexes. The country's six placement-order settings (map settings dialog) name, pass by
// pass, which troops are placed; each placer tries a few hex choices per troop, best first, and
// hands the hex to the placement rules (PlaceUnitOnMap), which may still refuse (deployment
// limit, funds, one headquarters, carriers). A troop no step can place stays in the corps.

#include <array>
#include <cstdint>
#include <optional>

#include "rules/context/GameContext.h"
#include "rules/records/TroopRecord.h"

namespace zv::rules {
class ForceWorkspace;
}

namespace zv::organize {

// Values of a country's placement-order settings.
enum DeployPass : std::uint8_t {
    kDeployNothing = 0,
    kDeployAll = 1,
    kDeployHqAndSites = 2,
    kDeployHqOnly = 3,
    kDeployAir = 4,
    kDeployGround = 5,
    kDeploySea = 6,
};

// The free supplying sites of a country, rebuilt by every CollectCountrySites; entries
// 0 to count - 1 are valid, in site index order.
struct DeploySite {
    std::uint16_t site = rules::kNoSiteIndex;
    std::uint16_t supplyFlag = 0;  // the site terrain's supply flag: category bits 12-15, classes 0-11
    std::uint8_t x = 255;
    std::uint8_t y = 255;
    std::uint8_t kind = 255;
};
inline constexpr int kDeploySiteCapacity = 200;
const std::array<DeploySite, kDeploySiteCapacity>& DeploySiteTable();

struct DeployHex {
    std::uint8_t x;
    std::uint8_t y;
    bool operator==(const DeployHex&) const = default;
};

// Sites of `country` that supply, stand on one of its hexes without a troop and whose terrain
// exists; fills DeploySiteTable and returns the count.
int CollectCountrySites(rules::GameContext& ctx, std::uint8_t country);
// The first free own site (in site order) whose classes best suit `classes`: a site of category
// 3 offering all of them, then category 1 offering all, then any site offering one of them.
std::optional<DeployHex> PlaceAtOwnSite(rules::GameContext& ctx, std::uint16_t classes,
                                        std::uint8_t country);
// Row by row (y, then x) over the country's free hexes whose terrain class the mask allows: the
// hex of the largest value; a tie keeps the earlier hex and a value of 0 is never chosen.
std::optional<DeployHex> BestHexByValue(rules::GameContext& ctx, std::uint8_t country,
                                        const std::uint8_t mask[rules::kMoveCostClasses],
                                        const std::uint8_t values[rules::kMoveCostClasses]);
// The first free hex of the country, in the same order, whose terrain class the mask allows.
std::optional<DeployHex> FirstFreeHex(rules::GameContext& ctx, std::uint8_t country,
                                      const std::uint8_t mask[rules::kMoveCostClasses]);
// 1 when the country has a headquarters troop on the map or its corps' first headquarters troop
// could be placed now.
int PlaceCorpsHQ(rules::GameContext& ctx, rules::ForceWorkspace* workspace, std::uint8_t country);

// Places the corps of `country` (0-3) pass by pass and stores what is left back into its corps.
// The working force is loaded from the country's corps with the scratch mode off; the scratch
// mode is as it was afterwards, and an earlier scratch copy is never handed out again.
void AutoDeployCorps(rules::GameContext& ctx, rules::ForceWorkspace* workspace, std::uint8_t country);

}  // namespace zv::organize
