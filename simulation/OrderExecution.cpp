#include "simulation/OrderExecution.h"

#include "rules/combat/Attack.h"
#include "rules/combat/TargetChoice.h"
#include "rules/context/RuleHelpers.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/HexQueries.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/Movement.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "simulation/ActionSteps.h"

namespace zv::sim {

namespace {

constexpr std::uint8_t kDetourWaypoint = 3;  // where a blocked troop waits nearer its goal
constexpr std::uint16_t kActionsStoppingAtTarget =
    rules::kActionAttack | rules::kActionBoard | rules::kActionReturn | rules::kActionSupply;

std::uint16_t AddStep(std::uint16_t hex, const rules::RouteStep& s) {
    const auto x = static_cast<std::uint8_t>((hex & 0xFF) + s.dx);
    const auto y = static_cast<std::uint8_t>((hex >> 8) + s.dy);
    return static_cast<std::uint16_t>(x | (y << 8));
}

bool SelectHex(rules::GameContext& ctx, std::uint16_t hex) {
    return ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8) != 0;
}

bool IsCostPassable(std::uint8_t cost) {
    return cost != 0 && cost != 255;
}

bool Allied(rules::GameContext& ctx, std::uint8_t a, std::uint8_t b) {
    return rules::AreCountriesAllied(ctx.Tables(), a, b, ctx.GetTableSet().country) != 0;
}

// The layer of the route search's terrain for the troop: the road terrain for ground troops.
int CellLayer(rules::TroopCursor& troops) {
    return troops.GetTroopAltitudeClass() == 3 ? 2 : 1;
}

// True when `other` stands on one of the six neighbours of `hex`.
bool IsNeighbour(std::uint16_t hex, std::uint16_t other) {
    return GetNeighbourDirection(hex, other) != 0;
}

}  // namespace

// ---- shared pieces

bool IsUnsetHex(std::uint16_t hex) {
    return (hex & 0xFF) == 0xFF || (hex >> 8) == 0xFF;
}

bool IsSeparatedPart(std::uint16_t stateFlags) {
    return (stateFlags & rules::kTroopLaunchedPart) && !(stateFlags & rules::kTroopPartKindB);
}

int GetNeighbourDirection(std::uint16_t from, std::uint16_t to) {
    for (int d = 0; d < rules::kHexDirectionCount; ++d) {
        std::uint16_t x = 0, y = 0;
        if (!rules::HexNeighbourOf(from & 0xFF, from >> 8, d, x, y)) continue;
        if (static_cast<std::uint16_t>(x | (y << 8)) == to) return d + 1;
    }
    return 0;
}

std::uint16_t MinMemberFuel(rules::TroopCursor& troops) {
    return rules::GetMinMemberFuel(troops);
}

bool HasNoOrder(rules::TroopCursor& troops) {
    return troops.GetOrder() == 0 && troops.GetDestination() == rules::kNoHex;
}

TroopOrderValues CurrentOrder(rules::TroopCursor& troops) {
    TroopOrderValues v;
    v.troop = troops.GetIndex();
    v.destination = troops.GetDestination();
    v.target = troops.GetWord368();
    v.orderKind = troops.GetByte364();
    v.actionFlags = troops.GetOrder();
    v.weapons = rules::GetWord358(troops);
    v.parameterByte = rules::GetByte381(troops);
    rules::GetWord361(troops, &v.orderHex);
    v.homeAction = rules::GetByte363(troops);
    v.homeTroop = rules::GetByte360(troops);
    return v;
}

void FinishAction(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    WriteAndRun(step.Journal(), shadow, StatusCommand{.troop = troop, .value = 1});
}

void ClearActionState(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    WriteAndRun(step.Journal(), shadow,
                ClearActionCommand{.troop = troop, .clearCounter = 1, .clearFlags = 1});
}

void ClearActionCounter(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    WriteAndRun(step.Journal(), shadow,
                ClearActionCommand{.troop = troop, .clearCounter = 1, .clearFlags = 0});
}

void GiveTroopOrder(StepContext& step, rules::GameContext& shadow, const TroopOrderValues& o,
                    bool clearFirst) {
    if (clearFirst) WriteAndRun(step.Journal(), shadow, ClearOrdersCommand{.troop = o.troop});
    WriteAndRun(step.Journal(), shadow, TroopOrderCommand{o});
}

namespace {

// Attacks the target when it is in reach (the command is written only when the attack took
// place) and ends the action when it can never be reached; the rating.
std::uint16_t AttackIfReady(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                            std::uint16_t target) {
    const std::uint16_t rating = rules::RateEnemyInRange(shadow, troop, target);
    if (rating == rules::kAttackReady) {
        if (rules::ExecAttack(shadow, troop, target, step.Random())) {
            WriteCommand(step.Journal(), AttackCommand{.troop = troop, .target = target});
        }
    } else if (rating == rules::kAttackImpossible) {
        FinishAction(step, shadow, troop);
    }
    return rating;
}

}  // namespace

// ---- the dispatcher

bool ExecuteTroopOrder(StepContext& step, std::uint16_t troop) {
    rules::ShadowGameContext shadow(step.Tables(), step.Env());
    return ExecuteTroopOrder(step, shadow, troop);
}

bool ExecuteTroopOrder(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop) || !troops.GetRecord()->IsUsed() || !troops.HasMembers()) {
        return false;
    }
    const std::uint8_t kind = troops.GetByte364();
    if (!troops.IsOnMap() && kind != rules::kOrderLaunch) return false;

    switch (kind) {
        case rules::kOrderNone:
            return false;
        case rules::kOrderMove: {
            const std::uint8_t delay = troops.GetByte327();
            if (delay > 1) {
                troops.SetByte327(static_cast<std::uint8_t>(delay - 1));
                return false;
            }
            ExecuteMoveStep(step, shadow, troop);
            // The troop may have finished, disbanded or crashed during its step.
            if (!troops.Select(troop) || !troops.HasMembers()) return true;
            if (!(troops.GetOrder() & rules::kActionAttack) ||
                (troops.GetStateFlags() & rules::kTroopLaunchedPart)) {
                return true;
            }
            AttackIfReady(step, shadow, troop, troops.GetWord368());
            return true;
        }
        case rules::kOrderAttack: {
            const std::uint16_t target = troops.GetWord368();
            const std::uint16_t flags = troops.GetStateFlags();
            if (AttackIfReady(step, shadow, troop, target) == rules::kAttackOutOfRange) {
                if (flags & rules::kTroopPartKindB) {
                    ClearActionState(step, shadow, troop);
                    FinishAction(step, shadow, troop);
                } else if (troops.Select(troop)) {
                    // Move on toward the target and attack on contact.
                    troops.SetOrder(rules::kActionAttack);
                    troops.SetByte364(rules::kOrderMove);
                }
            }
            return true;
        }
        case rules::kOrderFire:
        case rules::kOrderDisperse:
            if (CheckTargetInReach(step, shadow, troop)) {
                if (kind == rules::kOrderFire) {
                    ExecuteFireStep(step, shadow, troop);
                } else {
                    ExecuteDisperseStep(step, shadow, troop);
                }
            } else {
                // With its pending flag kept, the status rule would pick the same action again
                // and the troop would never get past a target that is gone.
                ClearActionState(step, shadow, troop);
                FinishAction(step, shadow, troop);
            }
            return true;
        case rules::kOrderOccupy:
            if (CheckOccupyPossible(step, shadow, troop)) {
                ExecuteOccupyStep(step, shadow, troop);
            } else {
                FinishAction(step, shadow, troop);
            }
            return true;
        case rules::kOrderSupply:
            if (CheckSupplyPossible(step, shadow, troop)) {
                ExecuteSupplyStep(step, shadow, troop);
            } else {
                FinishAction(step, shadow, troop);
            }
            return true;
        case rules::kOrderBoard:
            if (CheckBoardPossible(step, shadow, troop) != -1) {
                ExecuteBoardStep(step, shadow, troop);
            } else {
                FinishAction(step, shadow, troop);
            }
            return true;
        case rules::kOrderLaunch: {
            const int check = CheckLaunchPossible(step, shadow, troop);
            if (check == 1) {
                if (ExecuteLaunchStep(step, shadow, troop)) ClearActionCounter(step, shadow, troop);
            } else if (check == -1) {
                FinishAction(step, shadow, troop);
            }
            return true;
        }
        case rules::kOrderBomb: {
            const std::uint16_t hex = troops.GetHexValue();
            const std::uint16_t destination = troops.GetDestination();
            const int distance =
                rules::HexDistance(hex & 0xFF, hex >> 8, destination & 0xFF, destination >> 8);
            if (distance <= 1) {
                ExecuteBombStep(step, shadow, troop);
            } else {
                FinishAction(step, shadow, troop);
            }
            return true;
        }
        case rules::kOrderTransform:
            if (troops.IsOnMap() && rules::AnyMemberCanTransform(troops)) {
                ExecuteTransformStep(step, shadow, troop);
            } else {
                FinishAction(step, shadow, troop);
            }
            return true;
        case rules::kOrderArm:
            FinishAction(step, shadow, troop);
            return true;
        case rules::kOrderDisband:
            if (troops.HasMembers() && troops.IsOnMap()) {
                ExecuteDisbandStep(step, shadow, troop);
            } else {
                FinishAction(step, shadow, troop);
            }
            return true;
        case rules::kOrderSupport:
            ExecuteSupportStep(step, shadow, troop);
            return true;
        case rules::kOrderReturn:
            if (IsAtTargetCarrierHex(step, shadow, troop)) {
                ExecuteReturnStep(step, shadow, troop);
            } else {
                WriteAndRun(step.Journal(), shadow, DisbandCommand{.troop = troop});
            }
            return true;
        default:
            return true;
    }
}

// ---- movement

int ExecuteMoveStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return 1;
    const std::uint16_t hex = troops.GetHexValue();
    const int x = hex & 0xFF;
    const int y = hex >> 8;
    // The fast searches look for the one route traced below, once its end is known.
    if (!step.fastSearches) step.ComputeArea(shadow, troop, x, y, nullptr, 0);

    troops.Select(troop);
    const std::uint8_t terrain = step.Route().GetCellTerrain(x, y, CellLayer(troops));
    const std::uint8_t* costs = rules::GetMoveCostTable(troops);
    const std::uint8_t cost = terrain < rules::kMoveCostClasses ? costs[terrain] : 0;
    if (!IsCostPassable(cost) || MinMemberFuel(troops) < cost) {
        FinishAction(step, shadow, troop);
        return 1;
    }

    std::uint8_t index = 0;
    std::uint16_t heading = rules::kNoHex;
    bool toDestination = false;
    for (int attempt = 0;; ++attempt) {
        troops.Select(troop);
        index = troops.GetByte380();
        const std::uint16_t waypoint =
            index < rules::kToDestination ? troops.GetWaypoint(index) : rules::kNoHex;
        heading = waypoint;
        toDestination = false;
        if (!IsUnsetHex(waypoint) && index < rules::kToDestination) break;
        bool retargeted = false;
        if (FollowTargetTroop(step, shadow, troop, &retargeted)) {
            troops.Select(troop);
            heading = troops.GetDestination();
            toDestination = true;
            break;
        }
        // A new order for a target that moved goes on in the same tick: the new order starts
        // its MoveDelay again, and a target that keeps moving would never be followed.
        if (!retargeted || attempt > 0) return 1;
        if (!step.fastSearches) step.ComputeArea(shadow, troop, x, y, nullptr, 0);
    }
    if (IsUnsetHex(heading)) return 1;
    if (step.fastSearches) {
        const std::uint16_t targets[] = {heading};
        step.ComputeRoutesTo(shadow, troop, x, y, 0, targets);
    }

    // The route's first step; the search's area is that of this troop from its hex.
    const int length = step.TraceRoute(heading & 0xFF, heading >> 8);
    const rules::RouteStep first = step.FirstStep();
    int check = CheckNextStep(step, shadow, troop, heading, toDestination, first);
    if (check == kStepFinished) return 1;

    troops.Select(troop);
    if (length <= 0) {
        if (toDestination && troops.GetHexValue() == heading) {
            FinishAction(step, shadow, troop);
            return 1;
        }
        const std::uint16_t state = troops.GetStateFlags();
        if (IsSeparatedPart(state) && rules::GetByte360(troops) == (troops.GetWord368() & 0xFF)) {
            FinishAction(step, shadow, troop);
            WriteAndRun(step.Journal(), shadow, DisbandCommand{.troop = troop});
            return 1;
        }
        check = kStepBlocked;
    }

    if (check == kStepBlocked) {
        troops.Select(troop);
        const std::uint8_t current = troops.GetByte380();
        if (current < rules::kToDestination) {
            troops.SetByte380(static_cast<std::uint8_t>(current + 1));
            return 0;
        }
        if (ApproachNearestReachable(step, shadow, troop, heading)) return 0;
        FinishAction(step, shadow, troop);
        return 1;
    }
    if (check == kStepAskedToGiveWay) return 0;

    // The hex step.
    troops.Select(troop);
    const std::uint8_t altitude = troops.GetTroopAltitudeClass();
    if (altitude > 2) {
        const BurnFuelCommand burn{.troop = troop, .terrainClass = terrain, .amount = 0};
        if (!WriteAndRun(step.Journal(), shadow, burn)) return 1;
        troops.Select(troop);
    }
    rules::SetByte417(troops, 0);
    const std::uint16_t newHex = AddStep(hex, first);
    const int direction = GetNeighbourDirection(hex, newHex);
    const auto facing = static_cast<std::uint8_t>(direction > 0 ? direction - 1 : 0);
    std::uint8_t waypointIndex = troops.GetByte380();
    if (!toDestination && newHex == heading) waypointIndex = static_cast<std::uint8_t>(index + 1);
    WriteAndRun(
        step.Journal(), shadow,
        MoveCommand{
            .troop = troop, .hex = newHex, .direction = facing, .waypointIndex = waypointIndex});
    if (toDestination && newHex == heading) FinishAction(step, shadow, troop);
    return 1;
}

int CheckNextStep(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                  std::uint16_t targetHex, bool toDestination, const rules::RouteStep& stepXY) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return kStepFinished;
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint16_t next = AddStep(hex, stepXY);
    const std::uint16_t state = troops.GetStateFlags();
    const std::uint16_t actions = troops.GetOrder();
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t target = troops.GetWord368();
    // The troop's own hex never blocks it.
    auto otherTroopOn = [&](std::uint16_t at) {
        const std::uint16_t there = shadow.GetHexTroopIndex();
        (void)at;
        return there != rules::kNoTroopIndex && there != troop ? there : rules::kNoTroopIndex;
    };

    if (IsSeparatedPart(state) && target == rules::kNoTroop) {
        if (actions & rules::kActionOccupy) {
            if (!SelectHex(shadow, next)) return kStepFree;
            if (otherTroopOn(next) != rules::kNoTroopIndex) {
                FinishAction(step, shadow, troop);
                return kStepFinished;
            }
        } else if (!(actions & rules::kActionAttack)) {
            const bool standing = stepXY.dx == 0 && stepXY.dy == 0;
            const bool selects = SelectHex(shadow, next);
            if (standing || (selects && otherTroopOn(next) != rules::kNoTroopIndex)) {
                ClearActionState(step, shadow, troop);
                FinishAction(step, shadow, troop);
                return kStepFinished;
            }
            if (!selects) return kStepFree;
        }
    }

    if (!CheckMoveTarget(step, shadow, troop)) return kStepFinished;
    if (!SelectHex(shadow, next)) return kStepFree;
    troops.Select(troop);
    if (!IsCostPassable(rules::TroopMoveCostOnHex(shadow))) {
        FinishAction(step, shadow, troop);
        return kStepFinished;
    }
    if ((actions & rules::kActionBomb) && toDestination && next == targetHex) {
        FinishAction(step, shadow, troop);
        return kStepFinished;
    }
    SelectHex(shadow, next);
    const std::uint16_t other = otherTroopOn(next);
    if (other == rules::kNoTroopIndex) return kStepFree;

    if ((other == target && (actions & kActionsStoppingAtTarget)) || IsSeparatedPart(state)) {
        FinishAction(step, shadow, troop);
        return kStepFinished;
    }
    std::uint8_t otherCountry = rules::kNoCountry;
    if (troops.Select(other)) otherCountry = troops.GetCountry();
    if (!Allied(shadow, country, otherCountry)) {
        if (toDestination && next == targetHex) {
            FinishAction(step, shadow, troop);
            return kStepFinished;
        }
        return kStepBlocked;
    }
    // A waypoint is only a place to pass: when a friend stands on it, the troop heads for the
    // next leg instead of waiting for a friend that may never move.
    if (!toDestination && next == targetHex) return kStepBlocked;
    if (AskTroopToGiveWay(step, shadow, troop, other, next)) return kStepAskedToGiveWay;
    if (toDestination && next == targetHex) {
        FinishAction(step, shadow, troop);
        return kStepFinished;
    }
    return kStepBlocked;
}

bool CheckMoveTarget(StepContext& step, rules::GameContext& shadow, std::uint16_t troop) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t target = troops.GetWord368();
    const std::uint16_t actions = troops.GetOrder();
    const std::uint8_t kind = troops.GetByte364();
    const std::uint16_t state = troops.GetStateFlags();
    const std::uint16_t destination = troops.GetDestination();

    if (target != rules::kNoTroop) {
        if (!troops.Select(target) || !troops.HasMembers() || !troops.IsOnMap()) {
            FinishAction(step, shadow, troop);
            return false;
        }
        if (Allied(shadow, country, troops.GetCountry()) || troops.TestCountryMask(country)) {
            return true;
        }
        FinishAction(step, shadow, troop);
        return false;
    }

    std::uint8_t owner = rules::kNoCountry;
    std::uint8_t supplied = 0;
    if (!IsUnsetHex(destination) && SelectHex(shadow, destination)) {
        const std::uint16_t site = shadow.GetHexSiteIndex();
        rules::SiteCursor& sites = shadow.Sites();
        if (site != rules::kNoSiteIndex && sites.Select(site) &&
            sites.GetKind() != rules::kFreeSite) {
            owner = sites.GetOwner();
            supplied = sites.GetSupplied();
        }
    }
    if ((actions & rules::kActionOccupy) || kind == rules::kOrderOccupy) {
        if (owner == country || Allied(shadow, owner, country)) {
            FinishAction(step, shadow, troop);
            return false;
        }
    }
    if ((actions & rules::kActionSupply) || kind == rules::kOrderSupply) {
        if (owner != country || supplied == 0) {
            FinishAction(step, shadow, troop);
            return false;
        }
    }
    if (state & rules::kTroopPartKindB) return true;
    if ((actions & rules::kActionBomb) || kind == rules::kOrderBomb) {
        if (owner == rules::kNeutralCountry || owner == country || Allied(shadow, owner, country)) {
            ClearActionState(step, shadow, troop);
            FinishAction(step, shadow, troop);
            return false;
        }
    }
    return true;
}

bool AskTroopToGiveWay(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                       std::uint16_t blocker, std::uint16_t hex) {
    (void)troop;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(blocker)) return false;
    if (troops.GetDestination() == hex || (troops.GetStateFlags() & rules::kTroopLaunchedPart)) {
        return false;
    }
    if (HasNoOrder(troops)) {
        if (MinMemberFuel(troops) == 0) return false;
        const std::uint16_t at = troops.GetHexValue();
        for (int d = 0; d < rules::kHexDirectionCount; ++d) {
            std::uint16_t nx = 0, ny = 0;
            if (!rules::HexNeighbourOf(at & 0xFF, at >> 8, d, nx, ny)) continue;
            if (!shadow.SelectHexInfoXY(nx, ny)) continue;
            if (shadow.GetHexTroopIndex() != rules::kNoTroopIndex) continue;
            troops.Select(blocker);
            if (!IsCostPassable(rules::TroopMoveCostOnHex(shadow))) continue;
            TroopOrderValues order;
            order.troop = blocker;
            order.destination = static_cast<std::uint16_t>(nx | (ny << 8));
            order.orderKind = rules::kOrderMove;
            order.parameterByte = 0;
            GiveTroopOrder(step, shadow, order, true);
            return true;
        }
        return false;
    }
    const std::uint8_t kind = troops.GetByte364();
    if (kind == rules::kOrderOccupy || kind == rules::kOrderSupply) return true;
    // Asked before: wait while its move delay runs. Once it is due and still stands here it is
    // held up itself, often by the asker (two friends heading for each other's hex, or a ring
    // of them round a site): waiting for each other would hold them all for good.
    if (rules::GetByte417(troops)) return troops.GetByte327() > 1;
    if (MinMemberFuel(troops) == 0) return false;
    rules::SetByte417(troops, 1);
    GiveTroopOrder(step, shadow, CurrentOrder(troops), true);
    return true;
}

bool FollowTargetTroop(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                       bool* retargeted) {
    if (retargeted) *retargeted = false;
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return true;
    const std::uint16_t target = troops.GetWord368();
    const std::uint16_t destination = troops.GetDestination();
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint8_t country = troops.GetCountry();
    if (target == rules::kNoTroop) return true;
    if (!troops.Select(target) || !troops.HasMembers() || !troops.IsOnMap()) return true;

    const std::uint16_t targetHex = troops.GetHexValue();
    if ((targetHex & 0xFF) >= rules::kMapSize || targetHex > 0x3FFF || targetHex == destination) {
        if (troops.GetByte364() != rules::kOrderNone || troops.GetOrder() != 0 ||
            troops.GetDestination() != rules::kNoHex) {
            return true;
        }
        if (IsNeighbour(hex, targetHex)) {
            FinishAction(step, shadow, troop);
            return false;
        }
        return true;
    }
    if (Allied(shadow, country, troops.GetCountry()) || troops.TestCountryMask(country)) {
        if (RetargetToTroop(step, shadow, troop, target, targetHex)) {
            if (retargeted) *retargeted = true;
        } else {
            FinishAction(step, shadow, troop);
        }
        return false;
    }
    return true;
}

bool RetargetToTroop(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                     std::uint16_t target, std::uint16_t hex) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    const std::uint16_t at = troops.GetHexValue();
    const bool homeIsTarget =
        IsSeparatedPart(troops.GetStateFlags()) && rules::GetByte360(troops) == (target & 0xFF);
    if (!homeIsTarget && troops.Select(target) && HasNoOrder(troops) &&
        IsNeighbour(at, troops.GetHexValue())) {
        return false;
    }
    // A target gone where the troop cannot follow (a ship out to sea for a ground troop) ends
    // the chase: a new order toward it every time it moves would hold the troop where it stands.
    if (!homeIsTarget && SelectHex(shadow, hex) && troops.Select(troop) &&
        !IsCostPassable(rules::TroopMoveCostOnHex(shadow))) {
        return false;
    }
    troops.Select(troop);
    TroopOrderValues order = CurrentOrder(troops);
    order.destination = hex;
    GiveTroopOrder(step, shadow, order, true);
    return true;
}

bool ApproachNearestReachable(StepContext& step, rules::GameContext& shadow, std::uint16_t troop,
                              std::uint16_t hex) {
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return false;
    const std::uint16_t at = troops.GetHexValue();
    const std::uint16_t fuel = MinMemberFuel(troops);
    step.ComputeArea(shadow, troop, at & 0xFF, at >> 8, nullptr, 0);
    // The reached cell nearest to the hex that the troop can stand on: a cell another troop
    // holds is the end of a route, never a place to wait, and a cell no nearer than where the
    // troop stands gains nothing (the troop would walk back and forth between two such cells).
    const int tx = hex & 0xFF;
    const int ty = hex >> 8;
    int best = rules::HexDistance(static_cast<std::uint16_t>(tx), static_cast<std::uint16_t>(ty),
                                  at & 0xFF, at >> 8);
    std::uint16_t cellHex = rules::kNoHex;
    for (int y = 0; y < rules::kMapSize; ++y) {
        for (int x = 0; x < rules::kMapSize; ++x) {
            const std::uint16_t cost = step.Route().GetCellCost(x, y);
            if (cost == 0 || cost == rules::kUnreachedCost) continue;
            const int d =
                rules::HexDistance(static_cast<std::uint16_t>(tx), static_cast<std::uint16_t>(ty),
                                   static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y));
            if (d >= best || !shadow.SelectHexInfoXY(x, y)) continue;
            if (shadow.GetHexTroopIndex() != rules::kNoTroopIndex) continue;
            troops.Select(troop);
            const std::uint8_t enter = rules::TroopMoveCostOnHex(shadow);
            if (!IsCostPassable(enter) || enter > fuel) continue;
            best = d;
            cellHex = static_cast<std::uint16_t>(x | (y << 8));
        }
    }
    if (cellHex == rules::kNoHex) return false;
    troops.Select(troop);
    // A projectile aims at the cell; any other troop makes it the last waypoint and keeps its
    // destination and target, so following a target or heading for supply does not undo the
    // detour on the next tick.
    const std::uint8_t slot =
        (troops.GetStateFlags() & rules::kTroopPartKindB) ? 0 : kDetourWaypoint;
    WriteAndRun(step.Journal(), shadow,
                TargetCommand{.troop = troop, .hex = cellHex, .slot = slot});
    return true;
}

}  // namespace zv::sim
