#include "simulation/AutoBehaviour.h"

#include <algorithm>

#include "rules/combat/TargetChoice.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/HexQueries.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "simulation/OrderExecution.h"

namespace zv::sim {

namespace {

using List = CorpsTargetTable::List;

constexpr int kListEntries = 64;  // the pickers look at entries 0-63
constexpr int kAllyCount = 999;
constexpr std::uint8_t kNoTroopMode = 0xFF;

bool Allied(rules::GameContext& ctx, std::uint8_t a, std::uint8_t b) {
    return rules::AreCountriesAllied(ctx.Tables(), a, b, ctx.GetTableSet().country) != 0;
}

int Distance(std::uint16_t a, std::uint16_t b) {
    return rules::HexDistance(a & 0xFF, a >> 8, b & 0xFF, b >> 8);
}

bool IsCostPassable(std::uint8_t cost) {
    return cost != 0 && cost != 255;
}

bool IsValidSiteHex(std::uint16_t hex) {
    return (hex & 0xFF) < rules::kMapSize && hex < 0x4000;
}

bool IsIdle(rules::TroopCursor& troops) {
    return HasNoOrder(troops);
}

// The order every behaviour gives: a move to the hex with the given actions.
void GiveMoveOrder(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                   std::uint16_t hex, std::uint16_t target, std::uint8_t orderKind,
                   std::uint16_t actionFlags, std::uint16_t weapons) {
    TroopOrderValues order;
    order.troop = troop;
    order.destination = hex;
    order.target = target;
    order.orderKind = orderKind;
    order.actionFlags = actionFlags;
    order.weapons = weapons;
    order.orderHex = rules::kNoHex;
    order.parameterByte = 0xFF;
    order.homeAction = 0;
    order.homeTroop = 0xFF;
    GiveTroopOrder(step, shadow, order, false);
}

// The troop's hex and country; false when it does not select.
bool ReadTroop(rules::GameContext& shadow, std::uint16_t troop, std::uint16_t& hex,
               std::uint8_t& country) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    hex = troops.GetHexValue();
    country = troops.GetCountry();
    return true;
}

// Adds a hex to a list unless an entry lies within `near` of it; at most 63 entries.
void AddUnlessNear(CorpsTargetTable& table, int country, List list, std::uint16_t hex, int near) {
    int i = 0;
    for (; i < CorpsTargetTable::kFilledEntries; ++i) {
        if (table.IsEmpty(country, list, i)) break;
        if (Distance(table.Entry(country, list, i), hex) <= near) return;
    }
    if (i < CorpsTargetTable::kFilledEntries) table.SetEntry(country, list, i, hex);
}

struct SiteInfo {
    std::uint8_t kind;
    std::uint8_t owner;
    std::uint16_t hex;
};

// Measures a list entry for the list pickers; returns false when the entry is not a candidate.
using EntryMeasure = bool (*)(StepContext&, rules::GameContext&, std::uint16_t own,
                              std::uint16_t hex, bool freeHexOnly, int& value);

bool MeasureByRoute(StepContext& step, rules::GameContext& shadow, std::uint16_t own,
                    std::uint16_t hex, bool freeHexOnly, int& value) {
    if (IsUnsetHex(hex) || hex == own) return false;
    if (!shadow.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return false;
    if (freeHexOnly && shadow.GetHexTroopIndex() != rules::kNoTroopIndex) return false;
    // A hex that no route reaches is not a place to go.
    value = step.RouteLength(hex & 0xFF, hex >> 8);
    return value > 0;
}

bool MeasureByAreaCost(StepContext& step, rules::GameContext& shadow, std::uint16_t own,
                       std::uint16_t hex, bool freeHexOnly, int& value) {
    if (IsUnsetHex(hex) || hex == own) return false;
    if (!shadow.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return false;
    if (freeHexOnly && shadow.GetHexTroopIndex() != rules::kNoTroopIndex) return false;
    const std::uint16_t cost = step.Route().GetCellCost(hex & 0xFF, hex >> 8);
    if (cost == rules::kUnreachedCost) return false;
    value = cost;
    return true;
}

// The list pickers: with `randomPercent` chance a random entry, else (or when that one does not
// qualify) the entry of the smallest measure below `start`.
int GoToListEntry(StepContext& step, rules::GameContext& shadow, std::uint8_t country,
                  std::uint16_t troop, std::uint16_t actionFlags, List list, int randomPercent,
                  int start, bool freeHexOnly, EntryMeasure measure) {
    if (country >= rules::kCountryCount) return -1;
    std::uint16_t own = 0;
    std::uint8_t troopCountry = 0;
    if (!ReadTroop(shadow, troop, own, troopCountry)) return -1;
    CorpsTargetTable& table = step.Corps();
    if (step.fastSearches) {
        // The measures read the area at the entries they accept and nowhere else: the search
        // looks for the routes to those. With none (an empty front list, most of the time) it
        // is skipped, the draws are made all the same.
        std::uint16_t usable[kListEntries];
        int count = 0;
        for (int i = 0; i < kListEntries; ++i) {
            const std::uint16_t hex = table.Entry(country, list, i);
            if (IsUnsetHex(hex) || hex == own) continue;
            if (!shadow.SelectHexInfoXY(hex & 0xFF, hex >> 8)) continue;
            if (freeHexOnly && shadow.GetHexTroopIndex() != rules::kNoTroopIndex) continue;
            usable[count++] = hex;
        }
        if (count == 0) {
            if (step.RandomBelow(100) < randomPercent) step.RandomBelow(kListEntries);
            return -1;
        }
        step.ComputeRoutesTo(shadow, troop, own & 0xFF, own >> 8, 0,
                             std::span<const std::uint16_t>(usable, static_cast<std::size_t>(count)));
    } else {
        step.ComputeArea(shadow, troop, own & 0xFF, own >> 8, nullptr, 0);
    }

    std::uint16_t chosen = rules::kNoHex;
    if (step.RandomBelow(100) < randomPercent) {
        const std::uint16_t hex = table.Entry(country, list, step.RandomBelow(kListEntries));
        int value = 0;
        if (measure(step, shadow, own, hex, freeHexOnly, value)) chosen = hex;
    }
    if (chosen == rules::kNoHex) {
        int best = start;
        for (int i = 0; i < kListEntries; ++i) {
            const std::uint16_t hex = table.Entry(country, list, i);
            int value = 0;
            if (!measure(step, shadow, own, hex, freeHexOnly, value)) continue;
            if (value < best) {
                best = value;
                chosen = hex;
            }
        }
    }
    if (chosen == rules::kNoHex) return -1;
    GiveMoveOrder(step, shadow, troop, chosen, rules::kNoTroop, rules::kOrderMove, actionFlags, 0);
    return 0;
}

// The site pickers walk the 200 sites; `accept` filters by owner and kind, and the strictly
// shortest route wins unless `lastOfEqual` (then ties go to the last and the bound is inclusive).
// Calls `use` (hex) for each site in use, on the map and not the troop's own hex, whose kind and
// owner `accept` takes, in site order.
template <typename Accept, typename Use>
void ForEachCandidateSite(rules::GameContext& shadow, std::uint16_t own, Accept accept, Use use) {
    rules::SiteCursor& sites = shadow.Sites();
    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (!sites.Select(s)) continue;
        const std::uint8_t kind = sites.GetKind();
        const std::uint8_t owner = sites.GetOwner();
        std::uint16_t hex = 0;
        sites.GetHex(hex);
        if (kind == rules::kFreeSite || !IsValidSiteHex(hex) || hex == own) continue;
        if (accept(kind, owner)) use(hex);
    }
}

template <typename Accept>
std::uint16_t PickSite(StepContext& step, rules::GameContext& shadow, std::uint16_t own, int start,
                       bool lastOfEqual, Accept accept) {
    int best = start;
    std::uint16_t chosen = rules::kNoHex;
    ForEachCandidateSite(shadow, own, accept, [&](std::uint16_t hex) {
        const int length = step.RouteLength(hex & 0xFF, hex >> 8);
        if (length == 0) return;
        if (lastOfEqual ? length <= best : length < best) {
            best = length;
            chosen = hex;
        }
    });
    return chosen;
}

// The area search for PickSite from the troop's hex (troops marked): the fast searches look for
// the routes to the sites it would weigh, and none at all when there are none.
template <typename Accept>
void SearchForPickSite(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                       std::uint16_t own, Accept accept) {
    if (!step.fastSearches) {
        step.ComputeArea(shadow, troop, own & 0xFF, own >> 8, nullptr, 0);
        return;
    }
    std::uint16_t targets[rules::kSiteCount];
    std::size_t count = 0;
    ForEachCandidateSite(shadow, own, accept, [&](std::uint16_t hex) { targets[count++] = hex; });
    if (count > 0) {
        step.ComputeRoutesTo(shadow, troop, own & 0xFF, own >> 8, 0,
                             std::span<const std::uint16_t>(targets, count));
    }
}

bool LoadFlagMatches(rules::GameContext& shadow, std::uint8_t kind, std::uint8_t bits) {
    if (!shadow.LandKinds().Select(rules::kFirstSiteClass + kind)) return false;
    return (shadow.LandKinds().GetLoadFlag() & bits) != 0;
}

}  // namespace

// ---- planning

void PlanCorpsTargets(StepContext& step, rules::GameContext& shadow) {
    CorpsTargetTable& table = step.Corps();
    table.Clear();
    table.SetBuilt();
    rules::TroopCursor& troops = shadow.Troops();
    rules::CountryCursor& countries = shadow.Countries();
    constexpr int kCountries = rules::kCountryCount;

    // Headquarters.
    for (int c = 0; c < kCountries; ++c) {
        if (!countries.Select(c) || countries.GetState() != 1 ||
            countries.GetParticipation() == 2) {
            continue;
        }
        int n = 0;
        for (std::uint16_t t = 0; t < rules::kMapTroopCount && n < CorpsTargetTable::kFilledEntries;
             ++t) {
            if (!troops.Select(t) || troops.GetCountry() != c || !troops.HasMembers()) continue;
            const std::uint16_t hex = troops.GetHexValue();
            if (rules::CountHqMembers(troops) > 0) table.SetEntry(c, List::kHq, n++, hex);
        }
    }

    // Threats near the first headquarters.
    for (int c = 0; c < kCountries; ++c) {
        if (table.IsEmpty(c, List::kHq, 0)) break;
        const std::uint16_t hq = table.Entry(c, List::kHq, 0);
        for (std::uint16_t t = 0; t < rules::kTroopTableLimit; ++t) {
            if (!troops.Select(t) || !troops.HasMembers() || !troops.IsOnMap()) continue;
            if (Allied(shadow, static_cast<std::uint8_t>(c), troops.GetCountry())) continue;
            const std::uint16_t hex = troops.GetHexValue();
            if (Distance(hex, hq) <= 9) AddUnlessNear(table, c, List::kThreat, hex, 4);
        }
    }

    SiteInfo sites[rules::kSiteCount];
    int siteCount = 0;
    rules::SiteCursor& siteCursor = shadow.Sites();
    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (!siteCursor.Select(s) || siteCursor.GetKind() == rules::kFreeSite) continue;
        std::uint16_t hex = 0;
        siteCursor.GetHex(hex);
        sites[siteCount++] = {siteCursor.GetKind(), siteCursor.GetOwner(), hex};
    }
    auto ownSiteWithin = [&](int c, std::uint16_t hex, int limit, bool inclusive) {
        for (int k = 0; k < siteCount; ++k) {
            if (sites[k].owner != c) continue;
            const int d = Distance(sites[k].hex, hex);
            if (inclusive ? d <= limit : d < limit) return true;
        }
        return false;
    };

    // Expansion targets: foreign sites away from the headquarters but near own sites.
    for (int c = 0; c < kCountries; ++c) {
        const std::uint16_t hq = table.Entry(c, List::kHq, 0);
        for (int k = 0; k < siteCount; ++k) {
            if (Allied(shadow, static_cast<std::uint8_t>(c), sites[k].owner)) continue;
            if (Distance(sites[k].hex, hq) <= 7) continue;
            if (ownSiteWithin(c, sites[k].hex, 22, false)) {
                AddUnlessNear(table, c, List::kExpansion, sites[k].hex, 9);
            }
        }
    }

    // Front targets: foreign sites close to own sites.
    for (int c = 0; c < kCountries; ++c) {
        for (int k = 0; k < siteCount; ++k) {
            if (Allied(shadow, static_cast<std::uint8_t>(c), sites[k].owner)) continue;
            if (ownSiteWithin(c, sites[k].hex, 7, true)) {
                AddUnlessNear(table, c, List::kFront, sites[k].hex, 4);
            }
        }
    }

    // A much weaker enemy: its headquarters becomes the first expansion target.
    int counts[kCountries];
    for (int m = 0; m < kCountries; ++m) {
        counts[m] = troops.CountTroopsByAltitude(static_cast<std::uint8_t>(m), rules::kAnyAltitude);
    }
    for (int k = 0; k < kCountries; ++k) {
        for (int n = 0; n < kCountries; ++n) {
            if (n == k) continue;
            const int count =
                Allied(shadow, static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(n))
                    ? kAllyCount
                    : counts[n];
            if (count > 0 && counts[k] / 3 >= count) {
                table.SetEntry(k, List::kExpansion, 0, table.Entry(n, List::kHq, 0));
                break;
            }
        }
    }
}

// ---- options and the decision

std::uint16_t GetTroopActionOptions(StepContext& step, rules::GameContext& shadow,
                                    std::uint16_t troop) {
    (void)step;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return 0;
    const std::uint16_t hex = troops.GetHexValue();
    if ((hex & 0xFF) >= rules::kMapSize || (hex >> 8) >= rules::kMapSize) return 0x1001;
    if (!shadow.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return 0;
    const std::uint16_t site = shadow.GetHexSiteIndex();
    const std::uint16_t state = troops.GetStateFlags();
    const bool partFree = !(state & 0x0300);
    std::uint16_t options = rules::kActionHold | rules::kActionDisband;

    if (IsCostPassable(rules::TroopMoveCostOnHex(shadow))) options |= rules::kActionMove;
    troops.Select(troop);
    if (rules::CanAttackClass(troops, 0, 1)) options |= rules::kActionAttack;
    troops.Select(troop);
    if (!(state & rules::kTroopPartInFlightB) && rules::GetWeaponClassMask(troops) != 0 &&
        rules::EvaluateMemberWeapons(shadow, troop, 0x00FF, 0, 0)) {
        options |= rules::kActionFire;
    }
    troops.Select(troop);
    if (rules::GetCapabilityFlags(troops) & 0x0040) options |= rules::kActionOccupy;
    troops.Select(troop);
    if (partFree && (rules::GetSupplyCapabilityBits(troops) & 0x0003)) {
        options |= rules::kActionSupply;
    }
    troops.Select(troop);
    if (rules::AllMembersPass(troops)) options |= rules::kActionBoard;
    troops.Select(troop);
    if (troops.FindCarriedTroop(troop, 0) != rules::kNoTroop) options |= rules::kActionLaunch;
    troops.Select(troop);
    if (rules::CanAttackClass(troops, 1, 1)) options |= rules::kActionBomb | rules::kActionAttack;
    troops.Select(troop);
    if (rules::AnyMemberCanTransform(troops)) options |= rules::kActionTransform;
    troops.Select(troop);
    if (site != rules::kNoSiteIndex && rules::CanRearmMembersAtSite(troops, shadow.Sites(), site)) {
        options |= rules::kActionArm;
    }
    troops.Select(troop);
    if (partFree && rules::EvaluateMemberWeapons(shadow, troop, 0x7F00, 0, 0)) {
        options |= rules::kActionSeparate;
    }
    troops.Select(troop);
    if (partFree && rules::EvaluateMemberWeapons(shadow, troop, 0x4000, 0, 0)) {
        options |= rules::kActionSupport | rules::kActionSeparate;
    }
    troops.Select(troop);
    return options;
}

void DecideTroopAction(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    if (step.currentTroop == rules::kNoTroop) return;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop) || !troops.GetRecord()->IsUsed() || !troops.HasMembers() ||
        !troops.IsOnMap() || troops.GetByte364() != rules::kOrderNone) {
        return;
    }
    const std::uint8_t mode = troops.GetSlotByte();
    if (mode == kNoTroopMode) return;
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t options = GetTroopActionOptions(step, shadow, troop);
    auto weaponsReady = [&](std::uint16_t kinds) {
        return rules::EvaluateMemberWeapons(shadow, troop, kinds, 1, 0) != 0;
    };

    if (mode == 2) {
        troops.Select(troop);
        if (IsIdle(troops)) {
            const std::uint8_t altitude = troops.GetTroopAltitudeClass();
            const int r = altitude == 4 || altitude == 5
                              ? GoToFrontTargetByAir(step, shadow, country, troop)
                              : GoToFrontTarget(step, shadow, country, troop, 0);
            if (r == 0) return;
        }
    }
    if (mode == 1) {
        if ((options & rules::kActionOccupy) && AutoOccupy(step, shadow, troop)) return;
        if (weaponsReady(0x0C00) && AutoFireAtRange(step, shadow, troop)) return;
    }
    if (mode == 0) {
        if (options & rules::kActionBomb) return;  // bombing has no automatic order
        if ((options & rules::kActionAttack) && AutoAttack(step, shadow, troop)) return;
    }
    if ((options & rules::kActionOccupy) && AutoOccupy(step, shadow, troop)) return;
    if (mode == 3 && AutoGoHome(step, shadow, troop)) return;
    if (mode == 4 && AutoAdvance(step, shadow, troop)) return;
    if (mode == 5) {
        if (AutoAdvance(step, shadow, troop)) return;
        if (weaponsReady(0x4000) && AutoSupport(step, shadow, troop)) return;
    }
    if (options & rules::kActionBomb) return;
    if ((options & rules::kActionAttack) && AutoAttack(step, shadow, troop)) return;
    troops.Select(troop);
    if (rules::AllMembersPass(troops) && AutoBoardCarrier(step, shadow, troop)) return;
    if (weaponsReady(0x0100)) AutoFireAtRange(step, shadow, troop);
}

// ---- behaviours

bool AutoOccupy(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop) || !IsIdle(troops)) return false;
    const std::uint8_t country = troops.GetCountry();
    troops.SetOrder(rules::kActionOccupy);
    if (GoToOccupiableSite(step, shadow, troop, rules::kActionOccupy) == 0) return true;
    if (GoToExpansionTarget(step, shadow, country, troop, rules::kActionOccupy) == 0) return true;
    // Nothing to take: the troop stays idle and is asked again next step.
    if (troops.Select(troop)) troops.SetOrder(0);
    return false;
}

bool AutoFireAtRange(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop) || (troops.GetStateFlags() & 0x0300)) return false;
    const std::uint8_t country = troops.GetCountry();
    std::uint16_t weapons = 0;
    if (rules::EvaluateMemberWeapons(shadow, troop, 0x0400, 1, 0)) {
        weapons = 0x0400;
    } else if (rules::EvaluateMemberWeapons(shadow, troop, 0x0800, 1, 0)) {
        weapons = 0x0800;
    } else {
        return false;
    }
    troops.Select(troop);
    const std::uint8_t range = rules::GetWeaponRange(troops, weapons, 1);
    if (range >= 255) return false;
    if (GoToSiteInRange(step, shadow, troop, range, weapons) == 0) return true;
    return GoToExpansionTarget(step, shadow, country, troop, 0) == 0;
}

int AutoAttackRange(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    int best = -1;
    for (int k = 0; k < 5; ++k) {
        if (!troops.Select(troop)) break;
        const std::uint8_t value = rules::GetBestMemberValue(troops, k, 4, 0);
        if (value < 255) best = std::max<int>(best, value);
    }
    if (best < 0) best = 1;
    return ScaleAttackRange(best, step.settings.attackRangeMagnifying,
                            step.settings.maxAttackRange);
}

int ScaleAttackRange(int best, int magnifying, int maximum) {
    const auto scaled = static_cast<std::uint16_t>(best * magnifying);
    const int range = scaled / 10;
    return range < maximum ? maximum : range;
}

bool AutoAttack(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop) || !IsIdle(troops)) return false;
    const std::uint8_t country = troops.GetCountry();
    const std::uint8_t altitude = troops.GetTroopAltitudeClass();
    if (altitude == 4 || altitude == 5) {
        return GoToFrontTargetByAir(step, shadow, country, troop) == 0;
    }
    const int range = AutoAttackRange(step, shadow, troop);
    if (GoToThreat(step, shadow, country, troop, 0) == 0) return true;
    JournalOrderCommands commands(step.Journal());
    // The target choice takes its range as a byte; farther than that is the whole map anyway.
    const auto approach = static_cast<std::uint8_t>(std::min(range, 255));
    if (rules::ChooseTarget(shadow, troop, approach, commands, step.TargetChoice()) != 0) {
        return true;
    }
    return GoToExpansionTarget(step, shadow, country, troop, 0) == 0;
}

bool AutoAdvance(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop) || !IsIdle(troops)) return false;
    return GoToFrontTarget(step, shadow, troops.GetCountry(), troop, 0) == 0;
}

bool AutoSupport(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop) || !IsIdle(troops)) return false;
    return GoToFrontTarget(step, shadow, troops.GetCountry(), troop, rules::kActionSupport) == 0;
}

bool AutoBoardCarrier(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop) || !IsIdle(troops) || !rules::AllMembersPass(troops)) return false;
    troops.Select(troop);
    const std::uint8_t country = troops.GetCountry();
    for (std::uint16_t c = 0; c < rules::kMapTroopCount; ++c) {
        if (c == troop || !troops.Select(c) || troops.GetCountry() != country) continue;
        if (!troops.HasMembers() || !troops.IsOnMap()) continue;
        // Most troops carry nothing: the quick look at their holds spares weighing the load.
        if (step.fastSearches && !troops.HasEmptyHoldsFor(c, troop)) continue;
        if (!troops.TryLoadOnto(c, troop, 0)) continue;
        troops.Select(c);
        const int layer = (rules::GetMembersCarryMask(troops) & 0x84) ? 2 : 1;
        return GoToCarrier(step, shadow, troop, layer) == 0;
    }
    return true;
}

bool AutoGoHome(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop) || !IsIdle(troops)) return false;
    const std::uint8_t country = troops.GetCountry();
    const int layer = troops.GetTroopAltitudeClass() > 2 ? 2 : 1;
    for (std::uint16_t c = 0; c < rules::kMapTroopCount; ++c) {
        if (!troops.Select(c) || troops.GetCountry() != country) continue;
        if (!troops.HasMembers() || !troops.IsOnMap()) continue;
        if (troops.GetOrder() & rules::kActionBoardWait) {
            return GoToForeignLoadSite(step, shadow, troop, layer) == 0;
        }
    }
    return false;
}

// ---- pickers

int GoToThreat(StepContext& step, rules::GameContext& shadow, std::uint8_t country,
               std::uint16_t troop, std::uint16_t actionFlags) {
    return GoToListEntry(step, shadow, country, troop, actionFlags, List::kThreat, 5, 999, false,
                         &MeasureByRoute);
}

int GoToExpansionTarget(StepContext& step, rules::GameContext& shadow, std::uint8_t country,
                        std::uint16_t troop, std::uint16_t actionFlags) {
    return GoToListEntry(step, shadow, country, troop, actionFlags, List::kExpansion, 30, kNoLength,
                         true, &MeasureByRoute);
}

int GoToFrontTarget(StepContext& step, rules::GameContext& shadow, std::uint8_t country,
                    std::uint16_t troop, std::uint16_t actionFlags) {
    return GoToListEntry(step, shadow, country, troop, actionFlags, List::kFront, 30, kNoLength,
                         true, &MeasureByRoute);
}

int GoToFrontTargetByAir(StepContext& step, rules::GameContext& shadow, std::uint8_t country,
                         std::uint16_t troop) {
    return GoToListEntry(step, shadow, country, troop, 0, List::kFront, 70, rules::kUnreachedCost,
                         false, &MeasureByAreaCost);
}

int GoToSiteInRange(StepContext& step, rules::GameContext& shadow, std::uint16_t troop, int range,
                    std::uint16_t weaponSelection) {
    std::uint16_t own = 0;
    std::uint8_t country = 0;
    if (!ReadTroop(shadow, troop, own, country)) return -1;
    auto accept = [&](std::uint8_t, std::uint8_t owner) {
        return owner != country && !Allied(shadow, owner, country);
    };
    SearchForPickSite(step, shadow, troop, own, accept);
    const std::uint16_t hex = PickSite(step, shadow, own, range, true, accept);
    if (hex == rules::kNoHex) return -1;
    GiveMoveOrder(step, shadow, troop, hex, rules::kNoTroop, rules::kOrderDisperse,
                  rules::kActionSeparate, weaponSelection);
    return 0;
}

int GoToOccupiableSite(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                       std::uint16_t actionFlags) {
    std::uint16_t own = 0;
    std::uint8_t country = 0;
    if (!ReadTroop(shadow, troop, own, country)) return -1;
    auto accept = [&](std::uint8_t, std::uint8_t owner) {
        if (owner == country || Allied(shadow, owner, country)) return false;
        return actionFlags != 0 || owner != rules::kNeutralCountry;
    };
    SearchForPickSite(step, shadow, troop, own, accept);
    const std::uint16_t hex = PickSite(step, shadow, own, kNoLength, false, accept);
    if (hex == rules::kNoHex) return -1;
    GiveMoveOrder(step, shadow, troop, hex, rules::kNoTroop, rules::kOrderMove, actionFlags, 0);
    return 0;
}

int GoToForeignLoadSite(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                        int layer) {
    std::uint16_t own = 0;
    std::uint8_t country = 0;
    if (!ReadTroop(shadow, troop, own, country)) return -1;
    auto accept = [&](std::uint8_t kind, std::uint8_t owner) {
        if (owner == country || Allied(shadow, owner, country)) return false;
        if (layer == 1) return LoadFlagMatches(shadow, kind, 0x84);
        if (layer == 2) return LoadFlagMatches(shadow, kind, 0x7B);
        return true;
    };
    SearchForPickSite(step, shadow, troop, own, accept);
    const std::uint16_t hex = PickSite(step, shadow, own, kNoLength, false, accept);
    if (hex == rules::kNoHex) return -1;
    GiveMoveOrder(step, shadow, troop, hex, rules::kNoTroop, rules::kOrderMove, 0, 0);
    return 0;
}

int GoToCarrier(StepContext& step, rules::GameContext& shadow, std::uint16_t troop, int layer) {
    std::uint16_t own = 0;
    std::uint8_t country = 0;
    if (!ReadTroop(shadow, troop, own, country)) return -1;
    // Carriers stand on the sites, so this area passes through troops.
    step.ComputeArea(shadow, troop, own & 0xFF, own >> 8, nullptr, 1);
    const std::uint16_t site =
        PickSite(step, shadow, own, kNoLength, false, [&](std::uint8_t kind, std::uint8_t owner) {
            if (owner != country && !Allied(shadow, owner, country)) return false;
            if (layer == 2) return LoadFlagMatches(shadow, kind, 0x84);
            if (layer == 1) return LoadFlagMatches(shadow, kind, 0x7B);
            return true;
        });
    if (site == rules::kNoHex) return -1;
    const bool layer2 = layer == 2;

    rules::TroopCursor& troops = shadow.Troops();
    if (shadow.SelectHexInfoXY(site & 0xFF, site >> 8)) {
        const std::uint16_t carrier = shadow.GetHexTroopIndex();
        if (carrier != rules::kNoTroopIndex && carrier != troop &&
            troops.TryLoadOnto(carrier, troop, 0)) {
            GiveMoveOrder(step, shadow, troop, site, carrier, rules::kOrderMove,
                          rules::kActionBoard, 0);
            if (country < rules::kCountryCount) step.Corps().SetCarrierSite(country, layer2, site);
            return 0;
        }
    }

    // No carrier there yet: wait beside the site, on a neighbour drawn at random.
    std::uint16_t nx = 0, ny = 0;
    const int direction = step.RandomBelow(rules::kHexDirectionCount);
    if (!rules::HexNeighbourOf(site & 0xFF, site >> 8, direction, nx, ny)) return -1;
    const auto beside = static_cast<std::uint16_t>(nx | (ny << 8));
    if (beside != own && step.TraceRoute(nx, ny) <= 0) return -1;
    if (!shadow.SelectHexInfoXY(nx, ny)) return -1;
    // A troop already at the site or beside it waits where it is.
    if (beside != own && own != site && GetNeighbourDirection(own, site) == 0) {
        GiveMoveOrder(step, shadow, troop, beside, rules::kNoTroop, rules::kOrderMove, 0, 0);
    }
    if (country < rules::kCountryCount) step.Corps().SetCarrierSite(country, layer2, site);
    return 0;
}

}  // namespace zv::sim
