#include "organize/AutoDeploy.h"

#include "rules/records/MapRecords.h"
#include "rules/records/RuleRecords.h"
#include "rules/troops/Placement.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"
#include "rules/records/ForceCursor.h"

namespace zv::organize {

namespace {

using rules::kMoveCostClasses;

constexpr std::uint8_t kWorkingForce = 5;  // the force cursor's country for the working copy

std::array<DeploySite, kDeploySiteCapacity> g_sites;

// A move-cost entry of 0 or 255: some member cannot stand on that terrain class.
bool Allowed(const std::uint8_t mask[kMoveCostClasses], std::uint8_t terrain) {
    return terrain < kMoveCostClasses && mask[terrain] != 0 && mask[terrain] != 255;
}

// The current hex belongs to the country and holds no troop.
bool FreeOwnHex(rules::GameContext& ctx, std::uint8_t country) {
    return ctx.Hexes().GetCountry() == country && ctx.GetHexTroopIndex() == rules::kNoTroop;
}

// What the placers need of one corps troop, read once before its steps.
struct TroopView {
    bool usable = false;  // used, with members, not a template
    bool hq = false;
    std::uint8_t altitude = 0;
    std::uint16_t classes = 0;
    std::uint8_t terrain[kMoveCostClasses] = {};
    std::uint8_t concealment[kMoveCostClasses] = {};
    std::uint8_t action[kMoveCostClasses] = {};
};

TroopView ReadTroop(rules::ForceCursor& force, std::uint16_t n) {
    TroopView v;
    if (!force.SelectForceTroop(n) || !force.HasMembers()) return v;
    if (force.GetStateFlags() & rules::kTroopTemplate) return v;
    v.usable = true;
    v.hq = rules::CountHqMembers(force) > 0;
    v.altitude = force.RefreshAltitudeClass();
    v.classes = rules::GetUnitKindClassBits(force);
    const std::uint8_t* costs = rules::GetMoveCostTable(force);
    for (int t = 0; t < kMoveCostClasses; ++t) v.terrain[t] = costs[t];
    const int layer = v.altitude > 0 ? v.altitude - 1 : 0;
    for (int t = 0; t < kMoveCostClasses; ++t) {
        v.concealment[t] = rules::GetMinMemberConcealment(force, layer, t, 9);
        v.action[t] = rules::GetTerrainDefence(force, t);
    }
    return v;
}

int Place(rules::GameContext& ctx, rules::ForceWorkspace* workspace, std::uint8_t country,
          std::uint16_t n, std::optional<DeployHex> hex) {
    if (!hex) return 0;
    const std::uint32_t position = static_cast<std::uint32_t>(hex->x) |
                                   (static_cast<std::uint32_t>(hex->y) << 16);
    return rules::PlaceUnitOnMap(ctx, workspace, country, n, position);
}

enum Steps : unsigned {
    kSiteStep = 1,
    kConcealmentStep = 2,
    kActionStep = 4,
    kFirstFreeStep = 8,
};

// Tries the steps in order; a hex the rules refuse falls through to the next step.
int PlaceBySteps(rules::GameContext& ctx, rules::ForceWorkspace* workspace, std::uint8_t country,
                 std::uint16_t n, const TroopView& v, unsigned steps) {
    if ((steps & kSiteStep) && Place(ctx, workspace, country, n, PlaceAtOwnSite(ctx, v.classes, country)))
        return 1;
    if ((steps & kConcealmentStep) &&
        Place(ctx, workspace, country, n, BestHexByValue(ctx, country, v.terrain, v.concealment)))
        return 1;
    if ((steps & kActionStep) &&
        Place(ctx, workspace, country, n, BestHexByValue(ctx, country, v.terrain, v.action)))
        return 1;
    if ((steps & kFirstFreeStep) && Place(ctx, workspace, country, n, FirstFreeHex(ctx, country, v.terrain)))
        return 1;
    return 0;
}

// Which troops a pass takes by altitude class; 0 takes every class.
bool AltitudeMatches(std::uint8_t pass, std::uint8_t altitude) {
    switch (pass) {
        case kDeployAir: return altitude == 1 || altitude == 2;
        case kDeployGround: return altitude == 3;
        case kDeploySea: return altitude == 4 || altitude == 5;
        default: return true;
    }
}

// Passes 1 and 5 place the corps' headquarters first and then skip every other headquarters
// troop once one stands; 4 and 6 have no headquarters handling.
void PlaceEach(rules::GameContext& ctx, rules::ForceWorkspace* workspace, std::uint8_t country,
               std::uint8_t pass) {
    rules::ForceCursor force(ctx.Tables(), kWorkingForce, workspace);
    const bool hqHandling = pass == kDeployAll || pass == kDeployGround;
    bool hqDone = hqHandling && PlaceCorpsHQ(ctx, workspace, country);
    const unsigned steps = pass == kDeployAll
                               ? kSiteStep | kConcealmentStep | kActionStep | kFirstFreeStep
                               : kSiteStep | kConcealmentStep | kActionStep;
    for (std::uint16_t n = 0; n < rules::kForceTroopCount; ++n) {
        const TroopView v = ReadTroop(force, n);
        if (!v.usable || !AltitudeMatches(pass, v.altitude)) continue;
        if (hqHandling && v.hq && hqDone) continue;
        const int placed = PlaceBySteps(ctx, workspace, country, n, v, steps);
        if (hqHandling && v.hq && placed) hqDone = true;
    }
}

// First the headquarters troops until one stands at a site, then every troop at a site.
void PlaceHqAndSites(rules::GameContext& ctx, rules::ForceWorkspace* workspace, std::uint8_t country) {
    rules::ForceCursor force(ctx.Tables(), kWorkingForce, workspace);
    for (std::uint16_t n = 0; n < rules::kForceTroopCount; ++n) {
        const TroopView v = ReadTroop(force, n);
        if (v.usable && v.hq && PlaceBySteps(ctx, workspace, country, n, v, kSiteStep)) break;
    }
    for (std::uint16_t n = 0; n < rules::kForceTroopCount; ++n) {
        const TroopView v = ReadTroop(force, n);
        if (v.usable) PlaceBySteps(ctx, workspace, country, n, v, kSiteStep);
    }
}

void RunPass(rules::GameContext& ctx, rules::ForceWorkspace* workspace, std::uint8_t country,
             std::uint8_t pass) {
    switch (pass) {
        case kDeployAll:
        case kDeployAir:
        case kDeployGround:
        case kDeploySea: PlaceEach(ctx, workspace, country, pass); break;
        case kDeployHqAndSites: PlaceHqAndSites(ctx, workspace, country); break;
        case kDeployHqOnly: PlaceCorpsHQ(ctx, workspace, country); break;
        default: break;  // なし, and values no pass knows
    }
}

}  // namespace

const std::array<DeploySite, kDeploySiteCapacity>& DeploySiteTable() {
    return g_sites;
}

int CollectCountrySites(rules::GameContext& ctx, std::uint8_t country) {
    g_sites.fill(DeploySite{});
    rules::SiteCursor& sites = ctx.Sites();
    rules::LandKindCursor& lands = ctx.LandKinds();
    int count = 0;
    for (int s = 0; s < kDeploySiteCapacity && count < kDeploySiteCapacity; ++s) {
        if (!sites.Select(s)) break;
        const std::uint8_t kind = sites.GetKind();
        if (kind == rules::kFreeSite || sites.GetSupplied() == 0 || sites.GetOwner() != country) continue;
        std::uint16_t position = 0;
        sites.GetHex(position);
        const int x = position & 0xFF;
        const int y = position >> 8;
        if (!ctx.SelectHexInfoXY(x, y) || !FreeOwnHex(ctx, country)) continue;
        if (!lands.Select(rules::kFirstSiteClass + kind)) continue;
        g_sites[count++] = {static_cast<std::uint16_t>(s), lands.GetSupplyFlag(),
                            static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), kind};
    }
    return count;
}

std::optional<DeployHex> PlaceAtOwnSite(rules::GameContext& ctx, std::uint16_t classes,
                                        std::uint8_t country) {
    const int count = CollectCountrySites(ctx, country);
    auto find = [&](auto fits) -> std::optional<DeployHex> {
        for (int i = 0; i < count; ++i) {
            const std::uint16_t category = g_sites[i].supplyFlag & 0xF000;
            const std::uint16_t offered = g_sites[i].supplyFlag & 0x0FFF;
            if (fits(category, offered)) return DeployHex{g_sites[i].x, g_sites[i].y};
        }
        return std::nullopt;
    };
    if (auto hex = find([&](std::uint16_t cat, std::uint16_t off) {
            return cat == 0x3000 && (off & classes) == classes;
        }))
        return hex;
    if (auto hex = find([&](std::uint16_t cat, std::uint16_t off) {
            return cat == 0x1000 && (off & classes) == classes;
        }))
        return hex;
    return find([&](std::uint16_t cat, std::uint16_t off) { return cat != 0 && (off & classes) != 0; });
}

std::optional<DeployHex> BestHexByValue(rules::GameContext& ctx, std::uint8_t country,
                                        const std::uint8_t mask[kMoveCostClasses],
                                        const std::uint8_t values[kMoveCostClasses]) {
    std::optional<DeployHex> best;
    std::uint8_t bestValue = 0;
    for (int y = 0; y < rules::kMapSize; ++y) {
        for (int x = 0; x < rules::kMapSize; ++x) {
            if (!ctx.SelectHexInfoXY(x, y) || !FreeOwnHex(ctx, country)) continue;
            const std::uint8_t terrain = ctx.GetHexTerrainClass(1);
            if (!Allowed(mask, terrain) || values[terrain] <= bestValue) continue;
            bestValue = values[terrain];
            best = DeployHex{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)};
        }
    }
    return best;
}

std::optional<DeployHex> FirstFreeHex(rules::GameContext& ctx, std::uint8_t country,
                                      const std::uint8_t mask[kMoveCostClasses]) {
    for (int y = 0; y < rules::kMapSize; ++y) {
        for (int x = 0; x < rules::kMapSize; ++x) {
            if (!ctx.SelectHexInfoXY(x, y) || !FreeOwnHex(ctx, country)) continue;
            if (Allowed(mask, ctx.GetHexTerrainClass(1)))
                return DeployHex{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)};
        }
    }
    return std::nullopt;
}

int PlaceCorpsHQ(rules::GameContext& ctx, rules::ForceWorkspace* workspace, std::uint8_t country) {
    // The country deployed is the one whose headquarters counts: with the player's country here a
    // computer country's corps would offer a second headquarters to the rules, or none at all.
    rules::TroopCursor& troops = ctx.Troops();
    for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
        if (troops.Select(t) && troops.GetCountry() == country && troops.HasMembers() &&
            rules::CountHqMembers(troops) > 0)
            return 1;
    }
    rules::ForceCursor force(ctx.Tables(), kWorkingForce, workspace);
    for (std::uint16_t n = 0; n < rules::kForceTroopCount; ++n) {
        const TroopView v = ReadTroop(force, n);
        if (!v.usable || !v.hq) continue;
        if (Place(ctx, workspace, country, n, PlaceAtOwnSite(ctx, v.classes, country))) return 1;
        std::uint8_t mask[kMoveCostClasses];
        rules::FillDefaultTerrainMask(mask);
        return Place(ctx, workspace, country, n, BestHexByValue(ctx, country, mask, v.concealment));
    }
    return 0;
}

void AutoDeployCorps(rules::GameContext& ctx, rules::ForceWorkspace* workspace, std::uint8_t country) {
    if (country >= rules::kCountryCount) return;
    rules::CountryCursor& countries = ctx.Countries();
    if (!countries.Select(country)) return;
    std::uint8_t passes[6];
    for (int i = 0; i < 6; ++i) passes[i] = countries.GetSetting66(i);

    const bool scratching = workspace && workspace->ScratchOn();
    rules::ForceCursor force(ctx.Tables(), kWorkingForce, workspace);
    force.LoadSlotToWork(country);
    if (workspace) {
        rules::EndForceScratchMode(*workspace);
        // The working force now holds another corps: a scratch copy of its troops is stale.
        rules::ForgetForceScratchCopy(*workspace);
    }
    for (std::uint8_t pass : passes) RunPass(ctx, workspace, country, pass);
    force.StoreWorkToSlot(country);
    if (workspace && scratching) rules::BeginForceScratchMode(*workspace);
}

}  // namespace zv::organize
