#include "rules/troops/Movement.h"

#include "rules/countries/NewsPosting.h"
#include "rules/search/Visibility.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "rules/troops/TroopRemoval.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules {

namespace {

// Kind types of flying units, which fall out when their tanks run dry.
bool FallsWithoutFuel(TroopCursor& troops, std::int16_t unit) {
    if (!troops.UnitInfoCursor::Select(unit)) return false;
    if (!troops.UnitKindCursor::Select(troops.GetUnitKind())) return false;
    const std::uint8_t kindType = troops.GetKindType();
    return kindType == 0 || kindType == 1;
}

}  // namespace

int ExecMove(GameContext& ctx, std::uint16_t troop, std::uint16_t newHex, std::uint8_t facing,
             std::uint8_t waypointIndex) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    const std::uint16_t capability = GetCapabilityFlags(troops);
    const std::uint16_t oldHex = troops.GetHexValue();
    if (newHex == oldHex) return 1;
    // A hex off the map (a damaged or hostile command) would leave the troop and the hex
    // entries disagreeing: refuse before anything is written.
    if (!ctx.SelectHexInfoXY(oldHex & 0xFF, oldHex >> 8) ||
        !ctx.SelectHexInfoXY(newHex & 0xFF, newHex >> 8)) {
        return 0;
    }

    if (troops.GetStateFlags() & kTroopRadarVisible) {
        troops.SetStateFlags(
            static_cast<std::uint16_t>(troops.GetStateFlags() & ~kTroopRadarVisible));
        // Until the next visibility computation nobody has seen it on its new hex.
        if (UsesFogOfWar(ctx)) {
            troops.Select(troop);
            troops.SetMask28(0);
        }
    }
    const std::uint8_t altitude = troops.RefreshAltitudeClass();
    if (altitude == 1 || altitude == 2 || (capability & kLowFlyingCapability)) {
        // It has left the ground where it was supplied.
        troops.SetStateFlags(
            static_cast<std::uint16_t>(troops.GetStateFlags() & ~kTroopGroundSupplied));
    }
    troops.SetByte32(facing);
    troops.SetHex(newHex);

    if (!ctx.SelectHexInfoXY(newHex & 0xFF, newHex >> 8)) return 0;
    troops.SetByte327(TroopMoveCostOnHex(ctx));
    troops.SetByte380(waypointIndex);

    if (!ctx.SelectHexInfoXY(oldHex & 0xFF, oldHex >> 8)) return 0;
    ctx.SetHexTroopIndex(kNoTroop);
    if (!ctx.SelectHexInfoXY(newHex & 0xFF, newHex >> 8)) return 0;
    ctx.SetHexTroopIndex(troop);
    return 1;
}

int BurnTroopFuel(GameContext& ctx, std::uint16_t troop, std::uint8_t terrainClass,
                  std::uint8_t amount) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    const std::uint16_t burn = amount != 0 ? amount : GetMoveCost(troops, terrainClass);
    const bool launchedPart =
        (troops.GetStateFlags() & (kTroopPartKindB | kTroopLaunchedPart)) != 0;

    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        TroopMember* member = troops.GetMemberRecord(slot);
        if (!member || !member->IsPresent()) continue;
        const std::uint16_t fuel = member->Fuel() > burn ? member->Fuel() - burn : 0;
        member->SetFuel(fuel);
        if (fuel != 0) continue;
        if (launchedPart || FallsWithoutFuel(troops, member->Unit())) RemoveMember(troops, slot);
    }
    if (troops.HasMembers()) return 1;

    if (!ctx.IsShadow() && !(troops.GetStateFlags() & kTroopLaunchedPart)) {
        NewsRecord news = NewsRecord::Zeroed();
        const std::uint16_t hex = troops.GetHexValue();
        news.SetKind(kNewsCrashed);
        news.SetHexXY(static_cast<std::uint8_t>(hex & 0xFF), static_cast<std::uint8_t>(hex >> 8));
        news.SetCountry(troops.GetCountry());
        news.SetFirstTroop(troop);
        news.SetFirstIcon(TroopPictureNumber(troops));
        PostNewsEvent(ctx, news);
    }
    // RemoveTroop frees the troop's hex entry when it holds the troop; a troop aboard shares its
    // carrier's hex, whose entry must stay.
    RemoveTroop(ctx, troop);
    return 0;
}

}  // namespace zv::rules
