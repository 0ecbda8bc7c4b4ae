#include "simulation/Production.h"

#include "rules/context/RuleHelpers.h"
#include "rules/countries/CountryStatistics.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/HexQueries.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "simulation/OrderExecution.h"

namespace zv::sim {

namespace {

constexpr int kTroopsPerCountry = rules::kTroopsPerCountry;
// The production round looks at no more candidates than a country has troop records.
constexpr int kMaxCandidates = 40;

// Calls fn with a force cursor over the corps of the context's tables (live or shadow).
template <typename Fn>
auto WithForce(rules::GameContext& ctx, Fn fn) {
    if (ctx.IsShadow()) {
        rules::ShadowForceCursor force(ctx.Tables());
        return fn(static_cast<rules::ForceCursor&>(force));
    }
    rules::ForceCursor force(ctx.Tables());
    return fn(force);
}

// The first site of the country's capital kind; -1 when it has none.
int FindCapital(rules::GameContext& ctx, std::uint8_t country) {
    rules::SiteCursor& sites = ctx.Sites();
    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (sites.Select(s) && sites.GetKind() == rules::kCapitalKind &&
            sites.GetOwner() == country) {
            return s;
        }
    }
    return -1;
}

void ClearFlags(rules::TroopCursor& troop, std::uint16_t bits) {
    troop.SetStateFlags(static_cast<std::uint16_t>(troop.GetStateFlags() & ~bits));
}

// The corps troop was produced: its request ends, and unless it is reusable it leaves the corps.
void EndRequest(rules::ForceCursor& force, std::uint16_t forceTroop) {
    if (!force.SelectTroop(forceTroop)) return;
    ClearFlags(force, rules::kTroopReinforcement);
    if (!(force.GetStateFlags() & rules::kTroopTemplate)) force.ResetCurrentTroop();
}

int ProduceTroop(rules::GameContext& ctx, rules::ForceCursor& force, std::uint8_t country,
                 std::uint16_t forceTroop, std::uint32_t cell, bool live) {
    const int x = static_cast<int>(cell & 0xFFFF);
    const int y = static_cast<int>(cell >> 16);
    rules::TroopCursor& troops = ctx.Troops();
    const int used = troops.CountTroopsByAltitude(country, rules::kAnyAltitude);
    if (ctx.Header().GetDeployLimit() <= used) return 0;

    rules::CountryCursor& countries = ctx.Countries();
    if (!countries.Select(country)) return 0;
    if (countries.GetValue42() <= static_cast<std::int32_t>(countries.GetCounter84())) return 0;
    if (countries.GetState() != 1) return 0;

    if (forceTroop == rules::kNoTroop) return 0;
    if (!force.SelectSlot(country) || !force.SelectTroop(forceTroop)) return 0;
    const std::int32_t cost = rules::SumMemberValueB(force);
    if (countries.GetFunds() < cost) return 0;

    if (!ctx.SelectHexInfoXY(x, y)) return 0;
    const std::uint16_t slot = rules::FindFreeTroopSlot(troops, country);
    if (slot == rules::kNoTroop) return 0;
    if (!force.SelectTroop(forceTroop) || !troops.Select(slot)) return 0;
    rules::CopyRecordIn(troops, *force.GetRecord());

    troops.SetCountry(country);
    troops.SetHex(rules::MakeHexPosition(x, y));
    troops.SetStateFlags(static_cast<std::uint16_t>(
        (troops.GetStateFlags() | rules::kTroopOnMap) &
        ~(rules::kTroopReinforcement | rules::kTroopSelectionMark | rules::kTroopMapMark)));

    countries.Select(country);
    countries.SetFunds(countries.GetFunds() - cost);
    countries.IncrementCounter84();
    if (live) rules::AddCountryStatTotal(ctx.Tables(), country, cost);

    if (ctx.SelectHexInfoXY(x, y)) ctx.SetHexTroopIndex(slot);
    troops.Select(slot);
    rules::RestoreFull(troops, 1);
    if (live) rules::CountTroopByKind(ctx.Tables(), country, slot);
    return 1;
}

// An own troop standing idle on the hex steps aside (to its first free passable neighbour) so
// that the troop due there can appear; true when it was told to.
bool MakeIdleTroopGiveWay(StepContext& step, rules::GameContext& shadow, std::uint8_t country,
                          std::uint16_t hex) {
    if (!shadow.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return false;
    const std::uint16_t holder = shadow.GetHexTroopIndex();
    if (holder == rules::kNoTroopIndex) return false;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(holder) || troops.GetCountry() != country || !troops.IsOnMap()) {
        return false;
    }
    if (troops.GetByte364() != rules::kOrderNone || !HasNoOrder(troops)) return false;
    return AskTroopToGiveWay(step, shadow, rules::kNoTroop, holder, hex);
}

// The capital and the hexes beside it where ground troops appear; none without a capital.
int CapitalCells(rules::GameContext& shadow, std::uint8_t country, std::uint16_t out[7]) {
    const int capital = FindCapital(shadow, country);
    if (capital < 0) return 0;
    rules::SiteCursor& sites = shadow.Sites();
    sites.Select(capital);
    std::uint16_t capitalHex = 0;
    sites.GetHex(capitalHex);
    int n = 0;
    out[n++] = capitalHex;
    rules::HexDescription around[rules::kHexDirectionCount];
    shadow.GetNeighbourInfos(capitalHex, around);
    for (const rules::HexDescription& d : around) {
        if (!d.IsOnMap()) continue;
        if (d.siteIndex != rules::kNoSiteIndex && d.siteOwner != country) continue;
        out[n++] = rules::MakeHexPosition(d.x, d.y);
    }
    return n;
}

bool SiteCellKindMatches(std::uint16_t kind, std::initializer_list<std::uint16_t> kinds) {
    for (std::uint16_t k : kinds) {
        if (kind == k) return true;
    }
    return false;
}

}  // namespace

bool IsProductionEnabled(rules::GameContext& ctx) {
    return (ctx.Header().GetOptionWord() & rules::kOptionProductionInGame) != 0;
}

int ProduceTroopInShadow(rules::GameContext& shadow, std::uint8_t country, std::uint16_t forceTroop,
                         std::uint32_t cell) {
    return WithForce(shadow, [&](rules::ForceCursor& force) {
        return ProduceTroop(shadow, force, country, forceTroop, cell, false);
    });
}

int ProduceTroopAtSite(rules::GameContext& live, std::uint8_t country, std::uint16_t forceTroop,
                       std::uint32_t cell) {
    return WithForce(live, [&](rules::ForceCursor& force) {
        return ProduceTroop(live, force, country, forceTroop, cell, true);
    });
}

void ExecuteProduction(rules::GameContext& live, std::uint16_t forceTroop, std::uint16_t hex,
                       std::uint8_t country) {
    const std::uint32_t cell =
        static_cast<std::uint32_t>(hex & 0xFF) | (static_cast<std::uint32_t>(hex >> 8) << 16);
    const bool produced = WithForce(live, [&](rules::ForceCursor& force) {
        if (!force.SelectSlot(country)) return false;
        if (!ProduceTroop(live, force, country, forceTroop, cell, live.IsShadow() == 0)) {
            return false;
        }
        force.SelectSlot(country);
        EndRequest(force, forceTroop);
        return true;
    });
    if (!produced) return;
    live.Events().RefreshTroopListWindow();
    live.Events().RefreshTroopList();
}

int ProcessSitesTick(StepContext& step, rules::GameContext& shadow) {
    if (!IsProductionEnabled(shadow)) return 0;
    rules::ShadowForceCursor force(shadow.Tables());
    int result = 0;
    for (int c = 0; c < rules::kCountryCount; ++c) {
        const auto country = static_cast<std::uint8_t>(c);
        if (FindCapital(shadow, country) < 0) continue;
        if (!shadow.Countries().Select(c) || shadow.Countries().GetState() != 1) continue;
        if (!force.SelectSlot(country)) continue;
        for (std::uint16_t i = 0; i < rules::kMapTroopCount; ++i) {
            force.SelectSlot(country);
            if (!force.SelectTroop(i) || !force.HasMembers()) continue;
            if (!(force.GetStateFlags() & rules::kTroopReinforcement)) continue;
            const std::uint16_t hex = force.GetHexValue();
            const int x = hex & 0xFF;
            const int y = hex >> 8;
            if (x == 0xFF || y == 0xFF) continue;
            if (!shadow.SelectHexInfoXY(x, y)) continue;
            if (shadow.GetHexTroopIndex() != rules::kNoTroopIndex) {
                // The request waits for its hex; an own troop idling there makes room.
                MakeIdleTroopGiveWay(step, shadow, country, hex);
                continue;
            }
            const std::uint32_t cell =
                static_cast<std::uint32_t>(x) | (static_cast<std::uint32_t>(y) << 16);
            if (!ProduceTroop(shadow, force, country, i, cell, false)) continue;
            force.SelectSlot(country);
            EndRequest(force, i);
            WriteCommand(step.Journal(),
                         ProductionCommand{.forceTroop = i, .hex = hex, .country = country});
            result = 1;
        }
    }
    return result;
}

int CollectProductionCells(rules::GameContext& shadow, std::uint8_t country,
                           ProductionCells& cells) {
    const int capital = FindCapital(shadow, country);
    if (capital < 0) return 0;
    rules::SiteCursor& sites = shadow.Sites();
    sites.Select(capital);
    std::uint16_t capitalHex = 0;
    sites.GetHex(capitalHex);
    const int cx = capitalHex & 0xFF;
    const int cy = capitalHex >> 8;
    if (!shadow.SelectHexInfoXY(cx, cy)) return 0;

    int count = 0;
    auto add = [&](std::uint16_t kind, int x, int y) {
        if (count >= kProductionCellCount) return;
        cells[static_cast<std::size_t>(count++)] = {kind, 0, static_cast<std::uint8_t>(x),
                                                    static_cast<std::uint8_t>(y)};
    };
    if (shadow.GetHexTroopIndex() == rules::kNoTroopIndex) add(rules::kCapitalKind, cx, cy);

    rules::HexDescription around[rules::kHexDirectionCount];
    shadow.GetNeighbourInfos(capitalHex, around);
    for (const rules::HexDescription& n : around) {
        if (!n.IsOnMap() || n.troopIndex != rules::kNoTroopIndex) continue;
        if (n.siteIndex != rules::kNoSiteIndex && n.siteOwner != country) continue;
        add(kCellBesideCapital, n.x, n.y);
    }

    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (!sites.Select(s) || sites.GetOwner() != country) continue;
        const std::uint8_t kind = sites.GetKind();
        if (kind == rules::kFreeSite || kind == rules::kCapitalKind || kind == rules::kTownKind)
            continue;
        if (sites.GetSupplied() == 0) continue;
        std::uint16_t hex = 0;
        sites.GetHex(hex);
        const int x = hex & 0xFF;
        const int y = hex >> 8;
        if (rules::HexDistance(static_cast<std::uint16_t>(cx), static_cast<std::uint16_t>(cy),
                               static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y)) > 5) {
            continue;
        }
        if (!shadow.SelectHexInfoXY(x, y)) continue;
        if (shadow.GetHexTroopIndex() != rules::kNoTroopIndex) continue;
        add(kind, x, y);
    }
    return count;
}

void RunProductionRound(StepContext& step, rules::GameContext& shadow) {
    rules::ShadowForceCursor force(shadow.Tables());
    rules::CountryCursor& countries = shadow.Countries();
    ProductionCells cellBuffer;
    ProductionCells* cells = &cellBuffer;
    for (int c = 0; c < rules::kCountryCount; ++c) {
        const auto country = static_cast<std::uint8_t>(c);
        if (!countries.Select(c) || countries.GetState() != 1 ||
            countries.GetParticipation() != 1) {
            continue;
        }
        int n = 1 + step.RandomBelow(5);
        const int count = shadow.Troops().CountTroopsByAltitude(country, rules::kAnyAltitude);
        if (count > kTroopsPerCountry) continue;
        cells->fill(ProductionCell{});
        const int cellCount = CollectProductionCells(shadow, country, *cells);

        std::uint16_t candidates[kMaxCandidates];
        int candidateCount = 0;
        force.SelectSlot(country);
        for (std::uint16_t i = 0; i < rules::kMapTroopCount && candidateCount < kMaxCandidates;
             ++i) {
            if (!force.SelectTroop(i) || !force.HasMembers()) continue;
            const std::uint16_t flags = force.GetStateFlags();
            if ((flags & rules::kTroopReinforcement) || !(flags & rules::kTroopTemplate)) continue;
            candidates[candidateCount++] = i;
        }

        // Ground troops appear only at the capital and beside it. When the country's own idle
        // troops hold all of those hexes, nothing could ever be produced there: they step aside
        // for the next round.
        bool groundCellFree = false;
        for (int k = 0; k < cellCount; ++k) {
            const std::uint16_t kind = (*cells)[static_cast<std::size_t>(k)].kind;
            if (kind == rules::kCapitalKind || kind == kCellBesideCapital) groundCellFree = true;
        }
        if (!groundCellFree && candidateCount > 0) {
            std::uint16_t ring[1 + rules::kHexDirectionCount];
            const int ringCount = CapitalCells(shadow, country, ring);
            for (int k = 0; k < ringCount; ++k)
                MakeIdleTroopGiveWay(step, shadow, country, ring[k]);
        }
        if (cellCount == 0) continue;
        if (count + n > kTroopsPerCountry) n = kTroopsPerCountry - count;

        // The free cell where the corps troop could appear; none when it does not select.
        auto cellFor = [&](std::uint16_t troop) -> ProductionCell* {
            force.SelectSlot(country);
            if (!force.SelectTroop(troop)) return nullptr;
            const std::uint8_t altitude = force.RefreshAltitudeClass();
            const std::uint8_t* costs = rules::GetMoveCostTable(force);
            ProductionCell* found = nullptr;
            auto first = [&](auto accepts) -> ProductionCell* {
                for (int k = 0; k < cellCount; ++k) {
                    ProductionCell& cell = (*cells)[static_cast<std::size_t>(k)];
                    if (!cell.used && accepts(cell)) return &cell;
                }
                return nullptr;
            };
            if (altitude == 1 || altitude == 2) {
                found = first(
                    [](const ProductionCell& cell) { return cell.kind == rules::kAirportKind; });
                if (!found && altitude == 2) {
                    found = first([](const ProductionCell& cell) {
                        return SiteCellKindMatches(cell.kind, {0, 1, 2});
                    });
                }
            } else if (altitude == 4 || altitude == 5) {
                found =
                    first([](const ProductionCell& cell) { return cell.kind == rules::kPortKind; });
            } else {
                found = first([&](const ProductionCell& cell) {
                    if (cell.kind != rules::kCapitalKind && cell.kind != kCellBesideCapital)
                        return false;
                    if (!shadow.SelectHexInfoXY(cell.x, cell.y)) return false;
                    const std::uint8_t terrain = shadow.GetHexTerrainClass(1);
                    if (terrain >= rules::kMoveCostClasses) return false;
                    return costs[terrain] != 0 && costs[terrain] != 0xFF;
                });
            }
            return found;
        };

        for (int pick = 0; pick < n; ++pick) {
            if (candidateCount == 0) continue;
            const int drawn = step.RandomBelow(candidateCount);
            std::uint16_t troop = candidates[drawn];
            ProductionCell* found = cellFor(troop);
            // A drawn troop with no free cell of its kind (a ship without a port, an aircraft
            // whose airport is held) hands its pick on to the next candidate not yet requested
            // that has one: otherwise a corps rich in such troops could go days without
            // producing while a troop it can place waits in the list. The draws stay the same.
            for (int k = 1; !found && k < candidateCount; ++k) {
                troop = candidates[(drawn + k) % candidateCount];
                force.SelectSlot(country);
                if (!force.SelectTroop(troop) ||
                    (force.GetStateFlags() & rules::kTroopReinforcement)) {
                    continue;
                }
                found = cellFor(troop);
            }
            if (!found) continue;
            const std::uint16_t hex = rules::MakeHexPosition(found->x, found->y);
            force.SelectSlot(country);
            force.SelectTroop(troop);
            force.SetStateFlags(
                static_cast<std::uint16_t>(force.GetStateFlags() | rules::kTroopReinforcement));
            force.SetHex(hex);
            WriteCommand(step.Journal(),
                         PlaceCommand{.forceTroop = troop, .hex = hex, .country = country});
            found->used = 1;
        }
    }
}

}  // namespace zv::sim
