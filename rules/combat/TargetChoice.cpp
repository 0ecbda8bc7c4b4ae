#include "rules/combat/TargetChoice.h"

#include <algorithm>
#include <vector>

#include "rules/combat/Attack.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/BattleRecord.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/HexQueries.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules {

namespace {

// Launch kinds a fire order prefers, best first.
constexpr std::uint16_t kFireKindPreference[] = {0x0004, 0x0040, 0x0020, 0x0001, 0x0080, 0x0002};

struct Candidate {
    std::uint16_t troop;
    std::uint16_t hex;
    std::uint16_t distance;
    std::uint16_t classMask;
};

struct Best {
    bool found = false;
    std::uint16_t worth = 0;
    const Candidate* candidate = nullptr;
};

std::uint16_t Distance(std::uint16_t from, std::uint16_t to) {
    return HexDistance(from & 0xFF, from >> 8, to & 0xFF, to >> 8);
}

// Only a strictly greater worth replaces the best, so the lowest index and class keep ties.
void Consider(TroopCursor& troops, const Candidate& c, int distance, int special, Best& best) {
    for (int k = 0; k < kTargetClassCount; ++k) {
        if (!(c.classMask & (1u << k))) continue;
        const std::uint16_t worth = ScoreTroopAgainstTarget(troops, k, distance, special);
        if (worth > best.worth) {
            best.worth = worth;
            best.candidate = &c;
            best.found = true;
        }
    }
}

bool HasFreeNeighbour(GameContext& ctx, std::uint16_t hex) {
    HexDescription around[kHexDirectionCount];
    ctx.GetNeighbourInfos(hex, around);
    for (const HexDescription& d : around) {
        if (d.IsOnMap() && d.troopIndex == kNoTroop) return true;
    }
    return false;
}

int GiveOrder(GameContext& ctx, TroopOrderCommands& commands, const TroopOrderArgs& o) {
    const int result =
        SetTroopOrder(ctx, o.troop, o.destination, o.target, o.orderKind, o.actionFlags,
                      o.weaponSelection, o.parameter, o.homeHex, o.homeActionBit, o.homeTroop);
    if (result != 0) commands.AppendTroopOrder(o);
    return result;
}

bool OnMapWithHex(TroopCursor& troops, std::uint16_t t) {
    if (!troops.Select(t) || !troops.HasMembers() || !troops.IsOnMap()) return false;
    const std::uint16_t hex = troops.GetHexValue();
    return (hex & 0xFF) != 0xFF && (hex >> 8) != 0xFF;
}

// A troop goes for a target on a hex it can enter, or one it can already reach with its
// weapons; anything else (a ship out at sea for a ground troop) it would chase forever.
// `moveCosts` (may be null) is a's move-cost table, read once for a whole choice.
bool CanGoFor(GameContext& ctx, std::uint16_t a, std::uint16_t hexA, const Candidate& c,
              const std::uint8_t* moveCosts) {
    TroopCursor& troops = ctx.Troops();
    bool enters = false;
    if (troops.Select(a) && ctx.SelectHexInfoXY(c.hex & 0xFF, c.hex >> 8)) {
        std::uint8_t cost = 0;
        if (moveCosts) {
            const int terrain = ctx.GetHexTerrainClass(troops.GetTroopAltitudeClass() == 3 ? 1 : 0);
            cost = terrain < kMoveCostClasses ? moveCosts[terrain] : 0;
        } else {
            cost = TroopMoveCostOnHex(ctx);
        }
        enters = cost != 0 && cost != 255;
    }
    if (enters) return true;
    const std::uint16_t rating = RateAttackFromHex(ctx, a, hexA, c.troop, c.hex);
    troops.Select(a);
    return rating != kAttackImpossible && rating != kAttackOutOfRange;
}

}  // namespace

void TargetChoiceMemo::NewStep() {
    for (bool& built : built_) built = false;
    lastTroop_ = kNoTroop;
    lastWeighed_.clear();
}

const std::vector<std::uint16_t>& TargetChoiceMemo::Sighted(GameContext& ctx,
                                                            std::uint8_t country) {
    std::vector<std::uint16_t>& list = sighted_[country];
    if (built_[country]) return list;
    built_[country] = true;
    list.clear();
    // Members and the map are asked at each choice: a troop may come ashore later in the step
    // with the sightings it had before it boarded.
    TroopCursor& troops = ctx.Troops();
    for (std::uint16_t i = 0; i < kTroopTableLimit; ++i) {
        if (!troops.Select(i) || !(troops.GetMask28() & (1u << country))) continue;
        if (AreCountriesAllied(ctx.Tables(), country, troops.GetCountry(),
                               ctx.GetTableSet().country)) {
            continue;
        }
        list.push_back(i);
    }
    return list;
}

int ChooseTarget(GameContext& ctx, std::uint16_t a, std::uint8_t approachRange,
                 TroopOrderCommands& commands, TargetChoiceMemo* memo) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(a)) return 0;
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint16_t flags = troops.GetStateFlags();
    if (country >= kCountryCount) return 0;

    std::vector<Candidate> candidates;
    auto consider = [&](std::uint16_t i) {
        if (i == a || !troops.Select(i) || !troops.HasMembers() || !troops.IsOnMap()) return;
        if (!(troops.GetMask28() & (1u << country))) return;
        if (AreCountriesAllied(ctx.Tables(), country, troops.GetCountry(),
                               ctx.GetTableSet().country)) {
            return;
        }
        const std::uint16_t at = troops.GetHexValue();
        candidates.push_back({i, at, Distance(hex, at), GetMemberClassMask(troops)});
    };
    if (memo) {
        for (const std::uint16_t i : memo->Sighted(ctx, country)) consider(i);
    } else {
        for (std::uint16_t i = 0; i < kTroopTableLimit; ++i) consider(i);
    }

    TroopOrderArgs order;
    order.troop = a;

    // Whether a may go for each candidate; a troop weighed before in an unchanged world gave
    // neither an attack nor a fire order and gives none now.
    std::vector<bool> canGoFor(candidates.size());
    bool weighedBefore = false;
    if (memo && memo->lastTroop_ == a && memo->lastStamp_ == memo->stamp_ &&
        memo->lastWeighed_.size() == candidates.size()) {
        weighedBefore = true;
        for (std::size_t k = 0; k < candidates.size() && weighedBefore; ++k) {
            weighedBefore = memo->lastWeighed_[k].troop == candidates[k].troop;
            canGoFor[k] = memo->lastWeighed_[k].canGoFor;
        }
    }
    if (!weighedBefore) {
        // Attack. With a memo a's move costs are made once: its members do not change here.
        std::uint8_t moveCosts[kMoveCostClasses];
        if (memo && troops.Select(a)) {
            std::copy_n(GetMoveCostTable(troops), kMoveCostClasses, moveCosts);
        }
        Best attack;
        troops.Select(a);
        for (std::size_t k = 0; k < candidates.size(); ++k) {
            canGoFor[k] = CanGoFor(ctx, a, hex, candidates[k], memo ? moveCosts : nullptr);
            if (!canGoFor[k]) continue;
            Consider(troops, candidates[k], candidates[k].distance, 0, attack);
        }
        if (attack.found && attack.candidate->distance >= 1) {
            order.destination = attack.candidate->hex;
            order.target = attack.candidate->troop;
            order.orderKind = kOrderAttack;
            return GiveOrder(ctx, commands, order);
        }
        // Fire, unless a fired part of the troop is still in flight.
        if (!(flags & kTroopPartInFlightB)) {
            Best fire;
            for (const Candidate& c : candidates) {
                if (!HasFreeNeighbour(ctx, c.hex)) continue;
                troops.Select(a);
                Consider(troops, c, c.distance, 1, fire);
            }
            if (fire.found) {
                const std::uint16_t kinds =
                    GetAvailableLaunchKinds(ctx, a, fire.candidate->troop, fire.candidate->hex, 3,
                                            &EvaluateLaunchAttack);
                std::uint16_t selection = 0;
                for (std::uint16_t kind : kFireKindPreference) {
                    if (kinds & kind) {
                        selection = kind;
                        break;
                    }
                }
                if (selection != 0) {
                    order.destination = fire.candidate->hex;
                    order.target = fire.candidate->troop;
                    order.orderKind = kOrderFire;
                    order.weaponSelection = selection;
                    return GiveOrder(ctx, commands, order);
                }
            }
        }
        if (memo) {
            memo->lastTroop_ = a;
            memo->lastStamp_ = memo->stamp_;
            memo->lastWeighed_.clear();
            for (std::size_t k = 0; k < candidates.size(); ++k) {
                memo->lastWeighed_.push_back({candidates[k].troop, canGoFor[k]});
            }
        }
    }

    // Approach.
    if (approachRange != 0) {
        Best approach;
        troops.Select(a);
        for (std::size_t k = 0; k < candidates.size(); ++k) {
            if (candidates[k].distance <= approachRange && canGoFor[k]) {
                Consider(troops, candidates[k], 1, 0, approach);
            }
        }
        if (approach.found) {
            order.destination = approach.candidate->hex;
            order.target = approach.candidate->troop;
            order.orderKind = kOrderMove;
            order.actionFlags = kActionAttack;
            return GiveOrder(ctx, commands, order);
        }
    }
    return 0;
}

std::uint16_t RateEnemyInRange(GameContext& ctx, std::uint16_t a, std::uint16_t b) {
    TroopCursor& troops = ctx.Troops();
    if (!OnMapWithHex(troops, a)) return kAttackImpossible;
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t hexA = troops.GetHexValue();
    if (!OnMapWithHex(troops, b)) return kAttackImpossible;
    const std::uint8_t targetCountry = troops.GetCountry();
    const std::uint16_t hexB = troops.GetHexValue();
    if (country >= kCountryCount || targetCountry >= kCountryCount) return kAttackImpossible;
    if (AreCountriesAllied(ctx.Tables(), country, targetCountry, ctx.GetTableSet().country)) {
        return kAttackImpossible;
    }
    const std::uint16_t seen = static_cast<std::uint16_t>((1u << country) | (1u << (country + 4)));
    if (!(troops.GetMask28() & seen)) return kAttackImpossible;
    return RateAttackFromHex(ctx, a, hexA, b, hexB);
}

std::uint16_t RateAttackFromHex(GameContext& ctx, std::uint16_t a, std::uint16_t hexA,
                                std::uint16_t b, std::uint16_t hexB) {
    BattleRecord record;
    if (!SetBattleSideTroop(ctx, record.A(), a) || !SetBattleSideTroop(ctx, record.B(), b)) {
        return kAttackImpossible;
    }
    if (!ComputeAttackRound(ctx, record, 0, 0, 2)) return kAttackImpossible;
    const int distance = Distance(hexA, hexB);
    if (!ComputeAttackRound(ctx, record, distance, 0, 2)) return kAttackOutOfRange;
    return ComputeAttackRound(ctx, record, distance, 1, 2) ? kAttackReady : kAttackNotReady;
}

}  // namespace zv::rules
