#include "simulation/SiteUpkeep.h"

#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/troops/Movement.h"
#include "rules/troops/Supply.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"

namespace zv::sim {

void RecoverSiteDurability(rules::GameContext& ctx, std::uint8_t holdingOrderKind) {
    rules::SiteCursor& sites = ctx.Sites();
    rules::TroopCursor& troops = ctx.Troops();
    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (!sites.Select(s) || sites.GetKind() == rules::kFreeSite) continue;
        std::uint16_t hex = 0;
        sites.GetHex(hex);
        if (!ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) continue;
        const std::uint16_t troop = ctx.GetHexTroopIndex();
        if (troop != rules::kNoTroopIndex) {
            if (!troops.Select(troop)) continue;
            if (troops.GetByte364() == holdingOrderKind && troops.GetHexValue() == hex) continue;
        }
        if (!sites.SiteKindCursor::Select(sites.GetKind())) continue;
        const int neutral = sites.GetOwner() == rules::kNeutralCountry ? 1 : 0;
        const std::uint8_t maximum = sites.SiteKindCursor::GetCaptureDurability(neutral);
        const std::uint8_t durability = sites.SiteCursor::GetCaptureDurability();
        if (durability < maximum) {
            sites.SetCaptureDurability(static_cast<std::uint8_t>(durability + 1));
        }
    }
}

void CountDownWeaponTimers(rules::GameContext& ctx) {
    rules::TroopCursor& troops = ctx.Troops();
    for (std::uint16_t t = 0; t < rules::kTroopTableLimit; ++t) {
        if (!troops.Select(t) || !troops.HasMembers()) continue;
        for (int slot = 0; slot < rules::kFormationSlotCount; ++slot) {
            const std::int16_t unit = troops.GetMemberUnit(slot);
            if (unit == rules::kNoUnit || troops.GetMemberStrength(slot) == 0) continue;
            if (!troops.UnitInfoCursor::Select(unit)) continue;
            for (int w = 0; w < rules::kWeaponSlotCount; ++w) {
                if (troops.GetWeaponId(w) == 0 || troops.GetMemberAmmo(slot, w) == 0) continue;
                const std::uint8_t counter = troops.GetMemberWeaponByte16(slot, w);
                if (counter != 0) {
                    troops.SetMemberWeaponByte16(slot, w, static_cast<std::uint8_t>(counter - 1));
                }
            }
        }
    }
}

int RunStepUpkeep(StepContext& step, rules::GameContext& shadow) {
    rules::TroopCursor& troops = shadow.Troops();
    for (std::uint16_t t = 0; t < rules::kTroopTableLimit; ++t) {
        if (!troops.Select(t) || !troops.HasMembers()) continue;
        if (troops.GetCarrier() != rules::kNoTroop) {
            WriteAndRun(step.Journal(), shadow,
                        SupplyCommand{.troop = t,
                                      .supplyingTroop = rules::kNoTroop,
                                      .supplyingSite = rules::kNoSiteIndex});
            continue;
        }
        if (!troops.IsOnMap()) continue;
        const std::uint8_t altitude = troops.RefreshAltitudeClass();
        const bool flies =
            altitude <= 2 || (rules::GetCapabilityFlags(troops) & rules::kLowFlyingCapability);
        if (!flies || (troops.GetStateFlags() & rules::kTroopGroundSupplied)) continue;
        WriteAndRun(step.Journal(), shadow,
                    BurnFuelCommand{.troop = t, .terrainClass = 0, .amount = 1});
    }
    RecoverSiteDurability(shadow, rules::kOrderOccupy);
    CountDownWeaponTimers(shadow);
    return 1;
}

int RunSiteRound(rules::GameContext& live) {
    RecoverSiteDurability(live, rules::kOrderSupply);
    CountDownWeaponTimers(live);
    return 1;
}

}  // namespace zv::sim
