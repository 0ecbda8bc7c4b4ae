#include "rules/troops/TroopOrders.h"

#include "rules/records/TroopCursor.h"
#include "rules/search/HexSearch.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules {

namespace {

using Block = MemberSettingsBlock;

bool IsHexSet(std::uint16_t hex) {
    return (hex & 0xFF) != 0xFF && (hex >> 8) != 0xFF;
}

void ClearRoute(TroopCursor& troops) {
    for (int i = 0; i < kTroopWaypointCount; ++i) troops.SetWaypoint(i, kNoHex);
    troops.SetDestination(kNoHex);
}

// The fields every cancel clears (SetTroopOrder and PrepareTroopOrder with OrderKind 0).
void CancelOrder(TroopCursor& troops) {
    troops.SetByte364(kOrderNone);
    troops.SetOrder(0);
    troops.SetWord368(kNoTroop);
    ClearRoute(troops);
    troops.SetByte380(0);
    troops.SetWord414(0);
    troops.SetByte329(0);
    troops.SetByte327(0);
    SetByte363(troops, 0);
    SetWord361(troops, kNoHex);
    SetWord358(troops, 0);
}

using PlanFn = int (*)(GameContext&, std::uint16_t, std::uint16_t);

// The part SetTroopOrder and PrepareTroopOrder share once the troop stands on the map and the
// order is not a cancel; the troop is selected.
int StartOrder(GameContext& ctx, std::uint16_t troop, std::uint16_t destination,
               std::uint16_t target, std::uint8_t orderKind, std::uint16_t actionFlags,
               std::uint16_t weaponSelection, std::uint8_t parameter, PlanFn plan) {
    TroopCursor& troops = ctx.Troops();
    const std::uint16_t hex = troops.GetHexValue();
    if (!ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return 0;
    // Read before the route search, which moves the hex selection.
    const std::uint8_t moveDelay = TroopMoveCostOnHex(ctx);
    troops.SetOrder(actionFlags);
    troops.SetWord368(target);
    troops.SetDestination(destination);
    troops.SetByte364(orderKind);
    plan(ctx, troop, destination);
    troops.Select(troop);
    troops.SetByte327(moveDelay);
    troops.SetByte380(1);
    SetByte381(troops, parameter);
    SetWord358(troops, weaponSelection);
    return 1;
}

// Where the troop turns once its order is done. True when a home hex was given; with none, a
// launch still takes action bit 1 and any other order clears its home hex.
bool SetOrderHome(TroopCursor& troops, std::uint8_t orderKind, std::uint16_t homeHex,
                  std::uint8_t homeActionBit) {
    if ((homeHex & 0xFF) != 0xFF) {
        SetWord361(troops, homeHex);
        SetByte363(troops, homeActionBit);
        return true;
    }
    if (orderKind == kOrderLaunch) {
        SetByte363(troops, 1);
    } else {
        SetByte363(troops, 0);
        SetWord361(troops, kNoHex);
    }
    return false;
}

}  // namespace

std::int32_t GetOrderTime(GameContext& ctx) {
    ScenarioHeaderCursor& header = ctx.Header();
    return header.GetDay() * 1440 + header.GetHour() * 60 + header.GetMinute();
}

std::uint8_t TroopMoveCostOnHex(GameContext& ctx) {
    TroopCursor& troops = ctx.Troops();
    const int mode = troops.GetTroopAltitudeClass() == 3 ? 1 : 0;
    return GetMoveCost(troops, ctx.GetHexTerrainClass(mode));
}

int ClearTroopOrders(GameContext& ctx, std::uint16_t troop) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    troops.SetByte364(kOrderNone);
    troops.SetOrder(0);
    troops.SetWord368(kNoTroop);
    ClearRoute(troops);
    troops.SetByte380(0);
    troops.SetWord414(0);
    troops.SetByte329(0);
    troops.SetByte327(0);
    SetByte363(troops, 0);
    SetWord361(troops, kNoHex);
    SetByte360(troops, 0);
    return 1;
}

int SetTroopOrder(GameContext& ctx, std::uint16_t troop, std::uint16_t destination,
                  std::uint16_t target, std::uint8_t orderKind, std::uint16_t actionFlags,
                  std::uint16_t weaponSelection, std::uint8_t parameter, std::uint16_t homeHex,
                  std::uint8_t homeActionBit, std::uint8_t homeTroop) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop) || !IsHexSet(troops.GetHexValue())) return 0;
    if (orderKind == kOrderNone) {
        CancelOrder(troops);
        SetByte360(troops, 0xFF);
        return 1;
    }
    if (!StartOrder(ctx, troop, destination, target, orderKind, actionFlags, weaponSelection,
                    parameter, &PlanRouteWaypoints)) {
        return 0;
    }
    SetOrderHome(troops, orderKind, homeHex, homeActionBit);
    SetByte360(troops, homeTroop);
    troops.SetInt342(GetOrderTime(ctx));
    return 1;
}

int PrepareTroopOrder(GameContext& ctx, std::uint16_t troop, std::uint16_t destination,
                      std::uint16_t target, std::uint8_t orderKind, std::uint16_t actionFlags,
                      std::uint16_t weaponSelection, std::uint8_t parameter, std::uint16_t homeHex,
                      std::uint8_t homeActionBit, std::uint8_t homeTroop) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop) || !IsHexSet(troops.GetHexValue())) return 0;
    if (orderKind == kOrderNone) {
        CancelOrder(troops);
        troops.SetInt342(0);
        return 1;
    }
    if (!StartOrder(ctx, troop, destination, target, orderKind, actionFlags, weaponSelection,
                    parameter, &PlanRouteWaypointsOnMap)) {
        return 0;
    }
    if (SetOrderHome(troops, orderKind, homeHex, homeActionBit)) SetByte360(troops, homeTroop);
    troops.SetInt342(GetOrderTime(ctx));
    return 1;
}

int SetTroopTarget(GameContext& ctx, std::uint16_t troop, std::uint16_t hex, std::uint8_t slot) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    if (slot >= kTroopWaypointCount) {
        troops.SetDestination(hex);
        troops.SetByte380(kToDestination);
    } else {
        troops.SetWaypoint(slot, hex);
        troops.SetByte380(slot);
    }
    return 1;
}

namespace {

// The next activity for pending ActionFlags, first match wins. A "finish" rule whose OrderKind
// is already current means that step is done and ends the order's actions.
struct StatusRule {
    std::uint16_t bit;
    std::uint8_t orderKind;
    bool finish;
};

constexpr StatusRule kStatusRules[] = {
    {kActionSupport, kOrderSupport, true}, {kActionReturn, kOrderReturn, true},
    {kActionAttack, kOrderAttack, true},   {kActionFire, kOrderFire, true},
    {kActionBomb, kOrderBomb, true},       {kActionOccupy, kOrderOccupy, true},
    {kActionSupply, kOrderSupply, true},   {kActionBoard, kOrderBoard, true},
    {kActionLaunch, kOrderLaunch, false},  {kActionTransform, kOrderTransform, true},
    {kActionArm, kOrderArm, true},         {kActionSeparate, kOrderDisperse, true},
    {kActionDisband, kOrderDisband, true},
};

void EndActions(TroopCursor& troops) {
    troops.SetByte364(kOrderNone);
    troops.SetOrder(0);
    troops.SetWord368(kNoTroop);
}

}  // namespace

int UpdateTroopStatusFromFlags(GameContext& ctx, std::uint16_t troop, std::uint8_t) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    const std::uint16_t flags = troops.GetOrder();

    if (flags == 0) {
        std::uint16_t home = kNoHex;
        GetWord361(troops, &home);
        if (IsHexSet(home)) {
            troops.SetDestination(home);
            troops.SetByte364(kOrderMove);
            troops.SetWord368(GetByte360(troops));
            troops.SetOrder(kActionReturn);
            troops.SetByte380(0);
            troops.SetWord414(0);
            troops.SetByte329(0);
            troops.SetByte327(0);
            return 1;
        }
        const std::uint16_t state = troops.GetStateFlags();
        if (state & kTroopLaunchedPart) {
            // A fired part that has nothing left to do is gone; other parts wait.
            if (state & kTroopPartKindB) return ExecDisband(ctx, troop);
            return 1;
        }
        EndActions(troops);
    } else {
        const std::uint8_t current = troops.GetByte364();
        for (const StatusRule& rule : kStatusRules) {
            if (!(flags & rule.bit)) continue;
            if (rule.bit == kActionTransform && troops.GetDestination() != troops.GetHexValue()) {
                // A transformation happens where it was ordered; one that moved on is dropped.
                EndActions(troops);
            } else if (rule.finish && current == rule.orderKind) {
                troops.SetOrder(0);
            } else {
                troops.SetByte364(rule.orderKind);
            }
            break;
        }
    }

    if (troops.GetOrder() == 0) ClearRoute(troops);
    troops.SetByte380(0);
    troops.SetWord414(0);
    troops.SetByte329(0);
    troops.SetByte327(0);
    return 1;
}

int ApplyMemberSettings(GameContext& ctx, std::uint16_t troop,
                        const std::uint8_t block[kMemberSettingsBlockSize]) {
    TroopCursor& troops = ctx.Troops();
    if (troop == kNoTroop || !troops.Select(troop)) return 0;
    const std::uint8_t formation = block[Block::kFormation];
    if (formation >= kTroopFormationCount) return 0;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        if (troops.GetMemberRecord(slot) &&
            block[Block::kSlotEntries + Block::kSlotEntrySize * slot] >= kPackCount) {
            return 0;
        }
    }

    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        const std::uint8_t* entry = block + Block::kSlotEntries + Block::kSlotEntrySize * slot;
        troops.SetMemberPack(slot, entry[0]);
        troops.SetMemberByte22(slot, 0, entry[1]);
        troops.SetMemberByte22(slot, 1, entry[2]);
        troops.SetMemberByte24(slot, 0, entry[3]);
        troops.SetMemberByte24(slot, 1, entry[4]);
    }
    const std::uint8_t* settings = block + Block::kFormationSettings;
    troops.SetFormationByte236(formation, settings[0]);
    troops.SetFormationByte237(formation, settings[1]);
    troops.SetFormationByte240(formation, settings[4]);
    troops.SetFormationByte238(formation, settings[2]);
    troops.SetFormationByte239(formation, settings[3]);
    troops.SetCurrentFormation(formation);
    troops.SetSlotByte(block[Block::kTroopMode]);
    return 1;
}

int CanAddWaypoint(GameContext& ctx, std::uint16_t troop, std::uint16_t hex, std::uint16_t limit) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop) || hex == troops.GetHexValue()) return 0;
    if (!ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return 0;
    const std::uint8_t cost = TroopMoveCostOnHex(ctx);
    if (cost == 0 || cost == 255) return 0;
    const std::uint16_t destination = troops.GetDestination();
    if (!IsHexSet(destination) || destination == hex) return 0;
    for (int i = 0; i < kTroopWaypointCount; ++i) {
        if (troops.GetWaypoint(i) == hex) return 0;
    }
    const std::uint8_t index = troops.GetByte380();
    if (index >= kTroopWaypointCount) return 0;
    if (limit != 0xFFFF && index > limit) return 0;
    return 1;
}

}  // namespace zv::rules
