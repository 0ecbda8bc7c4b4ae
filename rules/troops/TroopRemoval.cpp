#include "rules/troops/TroopRemoval.h"

#include "rules/countries/CountryStatistics.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/RouteSearch.h"
#include "rules/search/SupplyNetwork.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules {

namespace {

bool IsHexSet(std::uint16_t hex) {
    return (hex & 0xFF) != 0xFF && (hex >> 8) != 0xFF;
}

}  // namespace

void ReloadRouteTerrain(GameContext& ctx) {
    if (RouteSearchSet* searches = ctx.GetRouteSearches()) searches->ReloadAllTerrain();
}

int RemoveTroop(GameContext& ctx, std::uint16_t t) {
    TroopCursor& troops = ctx.Troops();
    if (t == kNoTroop || !troops.Select(t)) return 0;
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t flags = troops.GetStateFlags();
    const bool live = !ctx.IsShadow();

    if (flags & kTroopLaunchedPart) {
        const std::uint8_t launcher = GetByte360(troops);
        if (troops.Select(launcher)) {
            const std::uint16_t clear = (flags & kTroopPartKindB)
                                            ? kTroopPartInFlightB
                                            : (kTroopPartInFlight1 | kTroopPartInFlight2);
            troops.SetStateFlags(static_cast<std::uint16_t>(troops.GetStateFlags() & ~clear));
        }
    }

    troops.Select(t);
    const std::uint16_t carrier = troops.GetCarrier();
    if (carrier != kNoTroop && troops.Select(carrier)) UnloadTroop(troops, carrier, t, kNoHex);

    for (std::uint16_t i = 0; i < kMapTroopCount; ++i) {
        if (!troops.Select(i) || troops.GetCarrier() != t) continue;
        if (live && !(troops.GetStateFlags() & kTroopLaunchedPart)) {
            CountTroopLost(ctx.Tables(), country, i);
            ctx.Events().MapTroopRemoved(i);
            troops.Select(i);
        }
        troops.ResetCurrentTroop();
    }

    troops.Select(t);
    const std::uint16_t hex = troops.GetHexValue();
    if (IsHexSet(hex) && ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8) && ctx.GetHexTroopIndex() == t) {
        ctx.SetHexTroopIndex(kNoTroop);
    }

    if (live && !(flags & kTroopLaunchedPart)) {
        CountTroopLost(ctx.Tables(), country, t);
        ctx.Events().MapTroopRemoved(t);
        troops.Select(t);
    }
    troops.ResetCurrentTroop();

    if (!live) return 1;
    ctx.Events().PanelTroopRemoved(t);
    if (ctx.GetPlayerCountry() == country) ctx.Events().RefreshTroopListWindow();
    return 1;
}

int RemoveCountryTroops(GameContext& ctx, std::uint8_t c) {
    TroopCursor& troops = ctx.Troops();
    for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
        if (troops.Select(t) && troops.GetCountry() == c) RemoveTroop(ctx, t);
    }
    return 1;
}

int ReleaseCountrySites(GameContext& ctx, std::uint8_t c) {
    if (c == kNeutralCountry || c == kNoCountry || c == 0xFF) return 0;
    SiteCursor& sites = ctx.Sites();
    for (int s = 0; s < kSiteCount; ++s) {
        if (!sites.Select(s) || sites.GetKind() == kFreeSite || sites.GetOwner() != c) continue;
        const std::uint8_t kind =
            sites.GetKind() == kCapitalKind ? kLargeCityKind : sites.GetKind();
        sites.SetKind(kind);
        sites.SetOwner(kNeutralCountry);
        // A kind the table does not know has no neutral durabilities.
        const bool known = sites.SiteKindCursor::Select(kind) != 0;
        sites.SetCaptureDurability(known ? sites.SiteKindCursor::GetCaptureDurability(1) : 0);
        sites.SetDestroyDurability(known ? sites.SiteKindCursor::GetDestroyDurability(1) : 0);
        sites.SetSupplied(0);
    }
    RecomputeAllSupplyNetworks(ctx);
    ReloadRouteTerrain(ctx);
    return 1;
}

}  // namespace zv::rules
