#include "simulation/AutoResupply.h"

#include <vector>

#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/troops/Supply.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "simulation/OrderExecution.h"

namespace zv::sim {

namespace {

constexpr std::uint8_t kCarrierFetchLimit = 10;

bool IsCostPassable(std::uint8_t cost) {
    return cost != 0 && cost != 255;
}

bool Allied(rules::GameContext& ctx, std::uint8_t a, std::uint8_t b) {
    return rules::AreCountriesAllied(ctx.Tables(), a, b, ctx.GetTableSet().country) != 0;
}

// Byte 22 + setting of the current formation; 0 for a formation number outside 0-3.
std::uint8_t FormationSetting(rules::TroopCursor& troops, int setting) {
    const std::uint8_t f = troops.GetCurrentFormation();
    if (f >= rules::kTroopFormationCount) return 0;
    return troops.GetRecord()->Formation(f).Setting(setting);
}

// Whether a carrier of altitude class `carrierClass` can serve a troop of `troopClass`.
bool AltitudeFits(std::uint8_t troopClass, std::uint16_t capability, std::uint8_t carrierClass,
                  bool sameClassAllowed) {
    if (troopClass == 2 || troopClass == 3 || (capability & rules::kLowFlyingCapability)) {
        return carrierClass == 2 || carrierClass == 3;
    }
    if (troopClass == 4 || troopClass == 5) return carrierClass == 4 || carrierClass == 5;
    return sameClassAllowed && carrierClass == troopClass;
}

std::uint8_t SupplyStock(rules::TroopCursor& troops) {
    std::uint8_t stock = 0;
    rules::SumSupplyStock(troops, &stock);
    return stock;
}

// The troop is already under way to `place` for supply (with `carrier` as its target).
bool AlreadyHeadingFor(rules::TroopCursor& troops, std::uint16_t place, std::uint16_t carrier) {
    const std::uint8_t kind = troops.GetByte364();
    if (kind != rules::kOrderMove && kind != rules::kOrderSupply) return false;
    return (troops.GetOrder() & rules::kActionSupply) && troops.GetDestination() == place &&
           troops.GetWord368() == carrier;
}

}  // namespace

bool IsSecondFormationSettingSet(rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    return troops.Select(troop) && FormationSetting(troops, 1) != 0;
}

int CheckTroopResupply(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return 1;
    const std::uint16_t state = troops.GetStateFlags();
    if (state &
        (rules::kTroopLaunchedPart | rules::kTroopPartInFlight1 | rules::kTroopPartInFlight2)) {
        return 1;
    }
    const std::uint8_t threshold = FormationSetting(troops, 4);
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t hex = troops.GetHexValue();
    std::uint16_t request = 0;

    if (threshold != 0) {
        const std::uint32_t fuel = rules::GetMinMemberFuel(troops);
        const std::uint32_t packFuel = rules::GetMinMemberPackFuel(troops);
        const std::uint32_t percent = fuel != 0 && packFuel != 0 ? fuel * 100 / packFuel : 0;
        if (packFuel != 0) {
            if (percent == 0) {
                std::uint16_t supplier = rules::kNoTroop, site = rules::kNoSiteIndex;
                if (!rules::FindSupplySource(shadow, troop, hex, &supplier, &site) &&
                    SendToCarrier(step, shadow, troop)) {
                    return 1;
                }
            }
            if (percent < threshold) request |= kResupplyFuel;
        }
    }

    std::int32_t funds = 0;
    if (shadow.Countries().Select(country)) funds = shadow.Countries().GetFunds();
    const std::int32_t cost = rules::GetResupplyCost(shadow, troop);
    if (cost <= funds && troops.Select(troop)) {
        int shortOfSecondKind = 0;
        if (rules::IsSupplyShort(troops, &shortOfSecondKind)) {
            request |= shortOfSecondKind ? kResupplySuppliesB : kResupplySupplies;
        }
        troops.Select(troop);
        if (rules::IsUnderStrength(troops)) request |= kResupplyStrength;
    }
    if (request != 0) SendToSupplySite(step, shadow, troop, request);
    return 1;
}

bool SendToSupplySite(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                      std::uint16_t request) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    const std::uint16_t capability = rules::GetCapabilityFlags(troops);
    troops.Select(troop);
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint8_t country = troops.GetCountry();
    const std::uint8_t altitude = troops.GetTroopAltitudeClass();
    const std::uint16_t kindBits = rules::GetUnitKindClassBits(troops);
    troops.Select(troop);
    const std::uint16_t supplyRoles = rules::GetSupplyCapabilityBits(troops);
    troops.Select(troop);
    const std::uint16_t fuel = rules::GetMinMemberFuel(troops);

    bool stuck = true;
    if (shadow.SelectHexInfoXY(hex & 0xFF, hex >> 8)) {
        troops.Select(troop);
        const std::uint8_t cost = rules::TroopMoveCostOnHex(shadow);
        stuck = !IsCostPassable(cost) || cost > fuel;
    }

    // The own sites that serve the request and the friendly carriers that supply others, in
    // the order they are weighed; then the routes to them (this area passes through troops).
    const std::uint16_t wanted = (request & (kResupplyFuel | kResupplySupplies))
                                     ? rules::kSiteSuppliesFuel
                                     : rules::kSiteSellsUnits;
    std::vector<std::uint16_t> targets;
    rules::SiteCursor& sites = shadow.Sites();
    const std::vector<std::uint8_t>* supplying = step.SupplyingSites(shadow, country);
    const int listed = supplying ? static_cast<int>(supplying->size()) : rules::kSiteCount;
    for (int k = 0; k < listed; ++k) {
        const int s = supplying ? (*supplying)[static_cast<std::size_t>(k)] : k;
        if (!sites.Select(s)) continue;
        const std::uint8_t kind = sites.GetKind();
        if (kind == rules::kFreeSite || sites.GetSupplied() == 0 || sites.GetOwner() != country) {
            continue;
        }
        std::uint16_t siteHex = 0;
        sites.GetHex(siteHex);
        if (!shadow.LandKinds().Select(rules::kFirstSiteClass + kind)) continue;
        const std::uint16_t flag = shadow.LandKinds().GetSupplyFlag();
        if (!(flag & wanted) || (flag & kindBits) != kindBits) continue;
        if (!shadow.SelectHexInfoXY(siteHex & 0xFF, siteHex >> 8)) continue;
        const std::uint16_t other = shadow.GetHexTroopIndex();
        if (other != rules::kNoTroopIndex && other != troop) {
            if (!troops.Select(other)) continue;
            const std::uint8_t otherCountry = troops.GetCountry();
            const bool heading = troops.GetDestination() == siteHex && !HasNoOrder(troops);
            if (!Allied(shadow, country, otherCountry) || heading) continue;
            troops.Select(troop);
            shadow.SelectHexInfoXY(siteHex & 0xFF, siteHex >> 8);
            if (!IsCostPassable(rules::TroopMoveCostOnHex(shadow))) continue;
        }
        targets.push_back(siteHex);
    }
    const std::size_t siteCount = targets.size();
    std::vector<std::uint16_t> carriers;
    if ((request & (kResupplyFuel | kResupplySupplies)) && !(request & kResupplySuppliesB) &&
        (supplyRoles & rules::kSuppliedByTroop)) {
        for (std::uint16_t c = 0; c < rules::kTroopTableLimit; ++c) {
            if (c == troop || !troops.Select(c) || !troops.HasMembers() || !troops.IsOnMap()) {
                continue;
            }
            if (!(rules::GetSupplyCapabilityBits(troops) & rules::kSuppliesOthers)) continue;
            troops.Select(c);
            const std::uint8_t carrierClass = troops.RefreshAltitudeClass();
            if (!AltitudeFits(altitude, capability, carrierClass, !(request & kResupplySupplies))) {
                continue;
            }
            const std::uint8_t carrierCountry = troops.GetCountry();
            if (carrierCountry != country && !Allied(shadow, country, carrierCountry)) continue;
            if (SupplyStock(troops) == 0) continue;
            troops.Select(c);
            targets.push_back(troops.GetHexValue());
            carriers.push_back(c);
        }
    }
    if (!step.fastSearches) {
        step.ComputeArea(shadow, troop, hex & 0xFF, hex >> 8, nullptr, 1);
    } else if (!targets.empty()) {
        step.ComputeRoutesTo(shadow, troop, hex & 0xFF, hex >> 8, 1, targets);
    }

    std::uint16_t bestSiteLength = kNoLength;
    std::uint16_t bestSite = rules::kNoHex;
    for (std::size_t k = 0; k < siteCount; ++k) {
        const std::uint16_t siteHex = targets[k];
        const int length = step.RouteLength(siteHex & 0xFF, siteHex >> 8);
        if (length <= 0 && siteHex != hex) continue;
        const int counted = siteHex == hex ? 0 : length;
        if (stuck && counted != 0) continue;
        if (counted < bestSiteLength) {
            bestSiteLength = static_cast<std::uint16_t>(counted);
            bestSite = siteHex;
        }
    }

    std::uint16_t bestCarrierLength = kNoLength;
    std::uint16_t bestCarrier = rules::kNoTroop;
    std::uint16_t bestCarrierHex = rules::kNoHex;
    for (std::size_t k = 0; k < carriers.size(); ++k) {
        const std::uint16_t carrierHex = targets[siteCount + k];
        const int length = step.RouteLength(carrierHex & 0xFF, carrierHex >> 8);
        if (length <= 0 || (stuck && length > 1)) continue;
        if (length < bestCarrierLength && length < fuel) {
            bestCarrierLength = static_cast<std::uint16_t>(length);
            bestCarrier = carriers[k];
            bestCarrierHex = carrierHex;
        }
    }

    std::uint16_t place = bestSite;
    std::uint16_t target = rules::kNoTroop;
    if (bestCarrier != rules::kNoTroop && bestCarrierLength < bestSiteLength) {
        place = bestCarrierHex;
        target = bestCarrier;
    }
    if (place == rules::kNoHex || place == hex) return false;

    // A troop already on its way keeps its order, its route and its MoveDelay.
    troops.Select(troop);
    if (AlreadyHeadingFor(troops, place, target)) return true;
    TroopOrderValues order;
    order.troop = troop;
    order.destination = place;
    order.target = target;
    order.orderKind = rules::kOrderMove;
    order.actionFlags = rules::kActionSupply;
    order.weapons = 0;
    order.parameterByte = 0xFF;
    order.orderHex = rules::kNoHex;
    order.homeAction = 0;
    order.homeTroop = 0xFF;
    GiveTroopOrder(step, shadow, order, true);
    return true;
}

bool SendToCarrier(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    if (!(rules::GetSupplyCapabilityBits(troops) & rules::kSuppliedByTroop)) return false;
    troops.Select(troop);
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t capability = rules::GetCapabilityFlags(troops);
    troops.Select(troop);
    const std::uint8_t altitude = troops.RefreshAltitudeClass();

    // One carrier per stranded troop: one already fetching it goes on.
    for (std::uint16_t c = 0; c < rules::kMapTroopCount; ++c) {
        if (c == troop || !troops.Select(c) || troops.GetCountry() != country) continue;
        if (troops.GetByte364() == rules::kOrderMove && troops.GetWord368() == troop &&
            troops.GetDestination() == hex) {
            return true;
        }
    }

    // The carriers that could make the trip, then the routes to them.
    std::vector<std::uint16_t> candidates;
    std::vector<std::uint16_t> targets;
    for (std::uint16_t c = 0; c < rules::kMapTroopCount; ++c) {
        if (c == troop || !troops.Select(c) || troops.GetCountry() != country) continue;
        if (!troops.HasMembers() || !troops.IsOnMap()) continue;
        if (FormationSetting(troops, 1) >= kCarrierFetchLimit) continue;
        if (!(rules::GetSupplyCapabilityBits(troops) & rules::kSuppliesOthers)) continue;
        troops.Select(c);
        if (!AltitudeFits(altitude, capability, troops.RefreshAltitudeClass(), true)) continue;
        if (!HasNoOrder(troops) || SupplyStock(troops) == 0) continue;
        troops.Select(c);
        candidates.push_back(c);
        targets.push_back(troops.GetHexValue());
    }
    if (!step.fastSearches) {
        step.ComputeArea(shadow, troop, hex & 0xFF, hex >> 8, nullptr, 0);
    } else if (candidates.empty()) {
        return false;
    } else {
        step.ComputeRoutesTo(shadow, troop, hex & 0xFF, hex >> 8, 0, targets);
    }
    std::uint16_t best = kNoLength;
    std::uint16_t carrier = rules::kNoTroop;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        troops.Select(candidates[k]);
        const std::uint16_t at = targets[k];
        // The carrier makes the trip: its own fuel must last, a stranded troop has none left.
        const std::uint16_t carrierFuel = rules::GetMinMemberFuel(troops);
        const std::uint16_t cost = step.Route().GetCellCost(at & 0xFF, at >> 8);
        if (cost == rules::kUnreachedCost || cost >= best || cost >= carrierFuel) continue;
        best = cost;
        carrier = candidates[k];
    }
    if (carrier == rules::kNoTroop) return false;
    TroopOrderValues order;
    order.troop = carrier;
    order.destination = hex;
    order.target = troop;
    order.orderKind = rules::kOrderMove;
    order.actionFlags = 0;
    order.weapons = 0;
    order.parameterByte = 0;
    order.orderHex = rules::kNoHex;
    order.homeAction = 0;
    order.homeTroop = 0xFF;
    GiveTroopOrder(step, shadow, order, true);
    return true;
}

}  // namespace zv::sim
