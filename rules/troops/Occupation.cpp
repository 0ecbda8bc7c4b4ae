#include "rules/troops/Occupation.h"

#include <algorithm>
#include <cstdint>

#include "rules/context/RuleHelpers.h"
#include "rules/countries/Income.h"
#include "rules/countries/NewsPosting.h"
#include "rules/search/SupplyNetwork.h"
#include "rules/troops/TroopRemoval.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules {

namespace {

// SiteKind 性能フラグ: bit 0 pays the capture bonus, bits 0 and 1 credit the supplies.
constexpr std::uint8_t kPaysCaptureBonus = 0x01;
constexpr std::uint8_t kCreditsSupplies = 0x03;

// The supply-network mask bit of a country; none for a number no mask can hold.
std::uint8_t CountryBit(std::uint8_t c) {
    return c < 8 ? static_cast<std::uint8_t>(1u << c) : 0;
}

}  // namespace

int ExecOccupy(GameContext& ctx, std::uint16_t troop) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint8_t taker = troops.GetCountry();
    if (!ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return 0;
    const std::uint16_t site = ctx.GetHexSiteIndex();
    SiteCursor& sites = ctx.Sites();
    if (site == kNoSiteIndex || !sites.Select(site)) return 0;
    const std::uint8_t oldKind = sites.GetKind();
    if (oldKind >= kSiteKindCount) return 0;
    const std::uint8_t owner = sites.GetOwner();
    if (owner == taker) return 0;
    if (AreCountriesAllied(ctx.Tables(), owner, taker, ctx.GetTableSet().country)) return 0;

    if (!sites.SiteKindCursor::Select(oldKind)) return 0;
    const std::uint16_t income = sites.GetIncome();
    const std::uint8_t newKind =
        oldKind == kCapitalKind && owner != kNeutralCountry ? kLargeCityKind : oldKind;
    if (!sites.SiteKindCursor::Select(newKind)) return 0;

    sites.Select(site);
    sites.SetOwner(taker);
    sites.SetKind(newKind);
    sites.SetCaptureDurability(sites.SiteKindCursor::GetCaptureDurability(0));
    sites.SetDestroyDurability(sites.SiteKindCursor::GetDestroyDurability(0));
    sites.SetSupplied(0);

    const std::uint8_t performance = sites.GetPerformanceFlags();
    CountryCursor& countries = ctx.Countries();
    if ((performance & kCreditsSupplies) && countries.Select(taker)) {
        if (performance & kPaysCaptureBonus) {
            countries.SetFunds(AddToFunds(countries.GetFunds(), income));
        }
        const std::int64_t supplies =
            static_cast<std::int64_t>(countries.GetValue46()) + sites.GetSupplies();
        countries.SetValue46(
            static_cast<std::int32_t>(std::min<std::int64_t>(supplies, INT32_MAX)));
    }

    RecomputeSupplyNetwork(ctx, static_cast<std::uint8_t>(CountryBit(owner) | CountryBit(taker)));
    ReloadRouteTerrain(ctx);
    if (ctx.IsShadow()) return 1;

    troops.Select(troop);
    NewsRecord news = NewsRecord::Zeroed();
    news.SetSubIndex(static_cast<std::uint8_t>(6 * owner + oldKind));
    news.SetHexXY(static_cast<std::uint8_t>(hex & 0xFF), static_cast<std::uint8_t>(hex >> 8));
    news.SetValue(income);
    news.SetFirstTroop(troop);
    news.SetFirstIcon(TroopPictureNumber(troops));
    if (taker == ctx.GetPlayerCountry()) {
        news.SetKind(kNewsOccupied);
        news.SetCountry(taker);
        PostNewsEvent(ctx, news);
    }
    if (owner == ctx.GetPlayerCountry()) {
        news.SetKind(kNewsSiteTaken);
        news.SetCountry(owner);
        PostNewsEvent(ctx, news);
    }
    ctx.Events().RefreshCampInfo();
    return 1;
}

}  // namespace zv::rules
