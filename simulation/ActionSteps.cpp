#include "simulation/ActionSteps.h"

#include "rules/combat/Attack.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/HexQueries.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/Occupation.h"
#include "rules/troops/Supply.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "simulation/OrderExecution.h"

namespace zv::sim {

namespace {

constexpr std::uint16_t kSupportKinds = rules::kLaunchSupplies;  // 0x4000
constexpr int kLaunchPreparationTicks = 2;
constexpr int kLaunchQueue = 8;
constexpr std::uint16_t kNoDistance = 4096;

bool SelectHex(rules::GameContext& ctx, std::uint16_t hex) {
    return ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8) != 0;
}

bool IsCostPassable(std::uint8_t cost) {
    return cost != 0 && cost != 255;
}

bool Allied(rules::GameContext& ctx, std::uint8_t a, std::uint8_t b) {
    return rules::AreCountriesAllied(ctx.Tables(), a, b, ctx.GetTableSet().country) != 0;
}

int Distance(std::uint16_t a, std::uint16_t b) {
    return rules::HexDistance(a & 0xFF, a >> 8, b & 0xFF, b >> 8);
}

// A troop that has members and stands on the map.
bool IsPresentOnMap(rules::TroopCursor& troops, std::uint16_t t) {
    return troops.Select(t) && troops.HasMembers() && troops.IsOnMap();
}

// The carrier's kind mask: what its members carry, carrier aircraft where they carry helicopters.
std::uint8_t CarrierKindMask(rules::TroopCursor& troops) {
    std::uint8_t mask = rules::GetMembersCarryMask(troops);
    if (mask & 0x80) mask |= 0x04;
    return mask;
}

// The terrain class of the selected hex (layer 1) and its land kind's flags.
bool SelectHexTerrain(rules::GameContext& ctx, std::uint8_t& terrain) {
    terrain = ctx.GetHexTerrainClass(1);
    return terrain < rules::kMoveCostClasses && ctx.LandKinds().Select(terrain);
}

// The site on the selected hex, when it selects and is used.
bool SelectSiteOnHex(rules::GameContext& ctx) {
    const std::uint16_t site = ctx.GetHexSiteIndex();
    return site != rules::kNoSiteIndex && ctx.Sites().Select(site) &&
           ctx.Sites().GetKind() != rules::kFreeSite;
}

// The carrier's hex, and its site when it has one, select.
bool CarrierHexSelects(rules::GameContext& ctx, std::uint16_t carrierHex) {
    if (!SelectHex(ctx, carrierHex)) return false;
    const std::uint16_t site = ctx.GetHexSiteIndex();
    return site == rules::kNoSiteIndex || ctx.Sites().Select(site);
}

// The neighbour hexes of `hex` that lie on the map and hold no troop, in direction order.
template <typename Fn>
void ForEachFreeNeighbour(rules::GameContext& ctx, std::uint16_t hex, Fn fn) {
    for (int d = 0; d < rules::kHexDirectionCount; ++d) {
        std::uint16_t nx = 0, ny = 0;
        if (!rules::HexNeighbourOf(hex & 0xFF, hex >> 8, d, nx, ny)) continue;
        if (!ctx.SelectHexInfoXY(nx, ny) || ctx.GetHexTroopIndex() != rules::kNoTroopIndex) {
            continue;
        }
        if (!fn(static_cast<std::uint16_t>(nx | (ny << 8)))) return;
    }
}

}  // namespace

// ---- occupy

bool CheckOccupyPossible(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    (void)step;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    const std::uint8_t country = troops.GetCountry();
    if (!SelectHex(shadow, troops.GetHexValue()) || !SelectSiteOnHex(shadow)) return false;
    const std::uint8_t owner = shadow.Sites().GetOwner();
    return owner != country && !Allied(shadow, owner, country);
}

void ExecuteOccupyStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return;
    if (!SelectHex(shadow, troops.GetHexValue()) || !SelectSiteOnHex(shadow)) return;
    rules::SiteCursor& sites = shadow.Sites();
    const std::uint8_t strength = rules::SumStrengthOfKindFlag0(troops);
    const std::uint8_t durability = sites.SiteCursor::GetCaptureDurability();
    if (durability > 0) {
        const int wear = strength / 5 > 0 ? strength / 5 : 1;
        sites.SetCaptureDurability(
            static_cast<std::uint8_t>(durability > wear ? durability - wear : 0));
        return;
    }
    WriteAndRun(step.Journal(), shadow, OccupyCommand{.troop = troop});
    FinishAction(step, shadow, troop);
}

// ---- supply

namespace {

// The supply source the order names: the target troop, or the site on the troop's hex. False
// when it cannot supply the troop.
bool FindOrderedSupply(rules::GameContext& shadow, std::uint16_t troop, std::uint16_t& supplier,
                       std::uint16_t& site, bool checkPlace) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint16_t destination = troops.GetDestination();
    supplier = troops.GetWord368();
    site = rules::kNoSiteIndex;
    if (supplier != rules::kNoTroop) {
        if (!rules::CanSupplyFromTroop(shadow, troop, hex, supplier)) return false;
        if (!checkPlace || supplier == troop) return true;
        for (int d = 0; d < rules::kHexDirectionCount; ++d) {
            std::uint16_t nx = 0, ny = 0;
            if (rules::HexNeighbourOf(hex & 0xFF, hex >> 8, d, nx, ny) &&
                static_cast<std::uint16_t>(nx | (ny << 8)) == destination) {
                return true;
            }
        }
        return false;
    }
    if (!rules::FindSupplySiteAt(shadow, troop, hex, &site)) return false;
    return !checkPlace || hex == destination;
}

}  // namespace

bool CheckSupplyPossible(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    (void)step;
    std::uint16_t supplier = rules::kNoTroop, site = rules::kNoSiteIndex;
    return FindOrderedSupply(shadow, troop, supplier, site, true);
}

void ExecuteSupplyStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    std::uint16_t supplier = rules::kNoTroop, site = rules::kNoSiteIndex;
    if (!FindOrderedSupply(shadow, troop, supplier, site, false)) return;
    const int complete = WriteAndRun(
        step.Journal(), shadow,
        SupplyCommand{.troop = troop, .supplyingTroop = supplier, .supplyingSite = site});
    ClearActionCounter(step, shadow, troop);
    if (complete != 1) return;
    ClearActionState(step, shadow, troop);
    FinishAction(step, shadow, troop);
    WriteAndRun(step.Journal(), shadow, ClearOrdersCommand{.troop = troop});
}

// ---- fire, disperse and support

bool CheckTargetInReach(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    (void)step;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    const std::uint16_t weapons = rules::GetWord358(troops);
    const std::uint16_t target = troops.GetWord368();
    const std::uint8_t country = troops.GetCountry();
    if (weapons == 0 || !rules::EvaluateMemberWeapons(shadow, troop, weapons, 0, 0)) return false;
    if (target == rules::kNoTroop) return true;
    return IsPresentOnMap(troops, target) && troops.TestCountryMask(country);
}

bool ChooseAdjacentFreeHex(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                           std::uint16_t& hex) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    std::uint8_t allowed[rules::kMoveCostClasses] = {};
    if (rules::GetWord358(troops) & kSupportKinds) {
        for (int t = 0; t < rules::kMoveCostClasses; ++t) {
            const bool water = t == 3 || t == 4 || t == 5 || t == 9 || t == 10 || t == 12;
            allowed[t] = water ? 0 : 1;
        }
    } else {
        rules::BuildClassMoveCostTable(troops, allowed, 1, 0);
    }
    troops.Select(troop);
    const std::uint16_t at = troops.GetHexValue();
    const std::uint16_t destination = troops.GetDestination();
    const int layer = troops.GetTroopAltitudeClass() == 3 ? 2 : 1;
    int best = kNoDistance;
    hex = rules::kNoHex;
    ForEachFreeNeighbour(shadow, at, [&](std::uint16_t candidate) {
        const std::uint8_t terrain =
            step.Route().GetCellTerrain(candidate & 0xFF, candidate >> 8, layer);
        if (terrain >= rules::kMoveCostClasses || !IsCostPassable(allowed[terrain])) return true;
        const int d = Distance(candidate, destination);
        if (d < best) {
            best = d;
            hex = candidate;
        }
        return true;
    });
    return hex != rules::kNoHex;
}

void ExecuteFireStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return;
    const std::uint16_t target = troops.GetWord368();
    const std::uint16_t destination = troops.GetDestination();
    const std::uint16_t weapons = rules::GetWord358(troops);
    const std::uint16_t actions = troops.GetOrder();
    const std::uint16_t at = troops.GetHexValue();
    const std::uint8_t country = troops.GetCountry();
    if (target != rules::kNoTroop &&
        (!IsPresentOnMap(troops, target) || !troops.TestCountryMask(country))) {
        ClearActionState(step, shadow, troop);
        FinishAction(step, shadow, troop);
        return;
    }
    const int distance = Distance(at, destination);
    if (!rules::EvaluateMemberWeapons(shadow, troop, weapons, 1, distance)) return;
    if (rules::FindUsableWeapon(shadow, troop, weapons, distance, target) == 0xFFFF) return;
    std::uint16_t hex = rules::kNoHex;
    if (!ChooseAdjacentFreeHex(step, shadow, troop, hex)) return;
    WriteAndRun(step.Journal(), shadow,
                FireCommand{.troop = troop,
                            .hex = hex,
                            .actionFlags = actions,
                            .target = target,
                            .destination = destination,
                            .weapons = weapons});
    ClearActionState(step, shadow, troop);
    FinishAction(step, shadow, troop);
}

void ExecuteDisperseStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    std::uint16_t hex = rules::kNoHex;
    if (!ChooseAdjacentFreeHex(step, shadow, troop, hex)) return;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return;
    const auto mask = static_cast<std::uint16_t>(1u << rules::GetMovementLayer(troops));
    const std::uint16_t target = troops.GetWord368();
    const std::uint16_t weapons = rules::GetWord358(troops);
    const std::uint8_t parameter = rules::GetByte381(troops);
    std::uint16_t aim = troops.GetDestination();
    if (target != rules::kNoTroop && IsPresentOnMap(troops, target)) aim = troops.GetHexValue();
    WriteAndRun(step.Journal(), shadow,
                DisperseCommand{.troop = troop,
                                .hex = hex,
                                .separationMask = mask,
                                .target = target,
                                .aimHex = aim,
                                .weapons = weapons,
                                .parameter = parameter});
    ClearActionState(step, shadow, troop);
    FinishAction(step, shadow, troop);
}

void ExecuteSupportStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return;
    rules::SetWord358(troops, kSupportKinds);
    std::uint16_t hex = rules::kNoHex;
    if (!ChooseAdjacentFreeHex(step, shadow, troop, hex)) return;
    troops.Select(troop);
    const auto flags =
        static_cast<std::uint16_t>(troops.GetOrder() | (1u << rules::GetMovementLayer(troops)));
    troops.Select(troop);
    const std::uint16_t target = troops.GetWord368();
    const std::uint16_t destination = troops.GetDestination();
    WriteAndRun(step.Journal(), shadow,
                SupportCommand{.troop = troop,
                               .hex = hex,
                               .flags = flags,
                               .target = target,
                               .destination = destination,
                               .weapons = kSupportKinds,
                               .value = kSupportKinds});
    if (!troops.Select(troop)) return;
    troops.SetByte329(0);
    troops.SetOrder(0);
    const std::uint8_t homeTroop = rules::GetByte360(troops);
    const std::uint8_t homeBit = rules::GetByte363(troops);
    std::uint16_t homeHex = rules::kNoHex;
    rules::GetWord361(troops, &homeHex);
    TroopOrderValues home;
    home.troop = troop;
    home.destination = homeHex;
    home.target = homeTroop == 0xFF ? rules::kNoTroop : homeTroop;
    home.orderKind = rules::kOrderMove;
    home.actionFlags = homeBit == 0 ? 0 : static_cast<std::uint16_t>(1u << (homeBit & 15));
    home.weapons = kSupportKinds;
    home.orderHex = homeHex;
    home.parameterByte = 0xFF;
    home.homeAction = 0;
    home.homeTroop = 0xFF;
    FinishAction(step, shadow, troop);
    GiveTroopOrder(step, shadow, home, false);
}

// ---- board

int CanCarrierTake(StepContext& step, rules::GameContext& shadow, std::uint16_t carrier,
                   std::uint16_t troop) {
    (void)step;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.TryLoadOnto(carrier, troop, 0)) return -1;
    if (!troops.Select(carrier)) return -1;
    const std::uint8_t mask = CarrierKindMask(troops);
    if (!CarrierHexSelects(shadow, troops.GetHexValue())) return -1;
    std::uint8_t terrain = 0;
    if (!SelectHexTerrain(shadow, terrain)) return -1;
    return (mask & shadow.LandKinds().GetLoadFlag()) ? 1 : -1;
}

int CheckBoardPossible(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return -1;
    const std::uint16_t carrier = troops.GetWord368();
    const std::uint16_t at = troops.GetHexValue();
    if (!troops.Select(carrier)) return -1;
    const std::uint16_t carrierHex = troops.GetHexValue();
    if (GetNeighbourDirection(at, carrierHex) == 0 || !SelectHex(shadow, carrierHex)) return -1;
    troops.Select(troop);
    const std::uint8_t cost = rules::TroopMoveCostOnHex(shadow);
    if (!IsCostPassable(cost) || cost >= MinMemberFuel(troops)) return -1;
    return CanCarrierTake(step, shadow, carrier, troop);
}

void ExecuteBoardStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return;
    const std::uint16_t carrier = troops.GetWord368();
    const std::uint16_t at = troops.GetHexValue();
    if (!troops.Select(carrier) || !CarrierHexSelects(shadow, troops.GetHexValue())) return;
    ClearActionState(step, shadow, troop);
    FinishAction(step, shadow, troop);
    WriteAndRun(step.Journal(), shadow,
                BoardCommand{.carrier = carrier, .troop = troop, .hex = at});
}

// ---- launch

int CheckLaunchPossible(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    (void)step;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return -1;
    const std::uint16_t carrier = troops.GetCarrier();
    const std::uint16_t capability = rules::GetCapabilityFlags(troops);
    if (carrier == rules::kNoTroop) return -1;
    bool queued = false;
    for (std::uint16_t n = 0; n < kLaunchQueue && !queued; ++n) {
        troops.Select(troop);
        if (troops.FindCarriedTroop(carrier, n) == troop) queued = true;
    }
    if (!queued || !troops.Select(carrier)) return -1;
    const std::uint8_t mask = CarrierKindMask(troops);
    const std::uint16_t carrierHex = troops.GetHexValue();
    if (!SelectHex(shadow, carrierHex)) return 0;
    std::uint8_t terrain = 0;
    if (!SelectHexTerrain(shadow, terrain)) return 0;
    const std::uint8_t flag = (capability & rules::kWholeCarrierMaskCapability)
                                  ? mask
                                  : shadow.LandKinds().GetLaunchFlag();
    if (!(mask & flag)) return 0;
    int result = 0;
    ForEachFreeNeighbour(shadow, carrierHex, [&](std::uint16_t) {
        troops.Select(troop);
        if (IsCostPassable(rules::TroopMoveCostOnHex(shadow))) {
            result = 1;
            return false;
        }
        return true;
    });
    return result;
}

bool ExecuteLaunchStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    const std::uint16_t carrier = troops.GetCarrier();
    const std::uint16_t destination = troops.GetDestination();
    const std::uint16_t target = troops.GetWord368();
    const std::uint8_t homeBit = rules::GetByte363(troops);
    const bool ground = troops.GetTroopAltitudeClass() == 3;
    if (!troops.Select(carrier)) return false;
    const std::uint8_t counter = troops.GetByte329();
    if (counter <= kLaunchPreparationTicks) {
        troops.SetByte329(static_cast<std::uint8_t>(counter + 1));
        return false;
    }
    const std::uint16_t carrierHex = troops.GetHexValue();

    std::uint16_t candidates[rules::kHexDirectionCount];
    int count = 0;
    ForEachFreeNeighbour(shadow, carrierHex, [&](std::uint16_t hex) {
        if (ground) {
            troops.Select(troop);
            const std::uint8_t terrain = step.Route().GetCellTerrain(hex & 0xFF, hex >> 8, 2);
            const std::uint8_t cost = rules::GetMoveCost(troops, terrain);
            if (!IsCostPassable(cost)) return true;
        }
        candidates[count++] = hex;
        return true;
    });
    std::uint16_t best = rules::kUnreachedCost;
    std::uint16_t launchHex = rules::kNoHex;
    for (int i = 0; i < count; ++i) {
        const std::uint16_t hex = candidates[i];
        step.ComputeArea(shadow, troop, hex & 0xFF, hex >> 8, nullptr, 0);
        const std::uint16_t cost =
            IsUnsetHex(destination)
                ? rules::kUnreachedCost
                : step.Route().GetCellCost(destination & 0xFF, destination >> 8);
        if (cost == rules::kUnreachedCost) continue;
        if (cost < best) {
            best = cost;
            launchHex = hex;
        }
    }
    if (launchHex == rules::kNoHex) return false;
    WriteAndRun(step.Journal(), shadow,
                LaunchCommand{.carrier = carrier,
                              .troop = troop,
                              .hex = launchHex,
                              .orderKind = homeBit,
                              .destination = destination,
                              .target = target});
    // The preparation is over; the carrier's counter lives on the shadow alone.
    if (troops.Select(carrier)) troops.SetByte329(0);
    return true;
}

// ---- bomb, transform, disband, return

void ExecuteBombStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return;
    if (!rules::CanAttackClass(troops, 1, 2)) {
        troops.Select(troop);
        return;
    }
    const std::uint16_t destination = troops.GetDestination();
    if (SelectHex(shadow, destination)) {
        const std::uint16_t onHex = shadow.GetHexTroopIndex();
        const std::uint16_t site = shadow.GetHexSiteIndex();
        const int draw = step.RandomBelow(100);
        if (rules::ExecBomb(shadow, troop, onHex, site, draw, step.Random())) {
            // The draw travels in the command so that every participant knocks the site out
            // against the same value as the shadow did.
            WriteCommand(step.Journal(),
                         BombCommand{.troop = troop,
                                     .targetTroop = onHex,
                                     .targetSite = site,
                                     .threshold = static_cast<std::uint16_t>(draw)});
        }
    }
    ClearActionState(step, shadow, troop);
    FinishAction(step, shadow, troop);
}

void ExecuteTransformStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return;
    const std::uint8_t counter = troops.GetByte329();
    const std::uint8_t slowest = rules::GetMaxTransformTime(troops);
    if (slowest < counter) {
        FinishAction(step, shadow, troop);
        WriteAndRun(step.Journal(), shadow, TransformCommand{.troop = troop});
        ClearActionState(step, shadow, troop);
        FinishAction(step, shadow, troop);
        return;
    }
    troops.Select(troop);
    troops.SetByte329(static_cast<std::uint8_t>(counter + 1));
}

void ExecuteDisbandStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop) || !SelectHex(shadow, troops.GetHexValue())) return;
    FinishAction(step, shadow, troop);
    WriteAndRun(step.Journal(), shadow, DisbandCommand{.troop = troop});
}

bool IsAtTargetCarrierHex(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    (void)step;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    const std::uint16_t target = troops.GetWord368();
    const std::uint16_t destination = troops.GetDestination();
    return troops.Select(target) && destination == troops.GetHexValue();
}

void ExecuteReturnStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return;
    const std::uint16_t target = troops.GetWord368();
    const std::uint16_t at = troops.GetHexValue();
    if (!troops.Select(target) || !SelectHex(shadow, at)) return;
    const std::uint16_t site = shadow.GetHexSiteIndex();
    if (site != rules::kNoSiteIndex && !shadow.Sites().Select(site)) return;
    ClearActionState(step, shadow, troop);
    FinishAction(step, shadow, troop);
    WriteAndRun(step.Journal(), shadow, ReturnCommand{.carrier = target, .troop = troop});
}

}  // namespace zv::sim
