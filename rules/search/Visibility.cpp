#include "rules/search/Visibility.h"

#include <algorithm>
#include <cstdlib>

#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules {

namespace {

constexpr std::uint16_t kAllSeenBits = 0x000F;
constexpr std::uint16_t kSightedAndIdentified = 0x00FF;
constexpr std::uint16_t kDetectedBits = 0x0F00;
constexpr std::uint8_t kFreeSiteKind = 0xFF;

bool IsDaytime(GameContext& ctx) {
    return ctx.Header().GetDaytime() != 0;
}

bool IsNightLight(int lightCode) {
    return lightCode == kSiteNightLight || lightCode == kTroopNightLight;
}

// A troop that stands on the map with members: the only kind that sees or is seen.
bool IsPresent(TroopCursor& troops) {
    return troops.HasMembers() && troops.IsOnMap();
}

void ClearDetectedBits(GameContext& ctx) {
    TroopCursor& troops = ctx.Troops();
    for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
        if (!troops.Select(t) || !IsPresent(troops)) continue;
        troops.SetMask28(static_cast<std::uint16_t>(troops.GetMask28() & ~kDetectedBits));
    }
}

std::uint8_t AllianceMaskOf(GameContext& ctx, std::uint8_t c) {
    if (!ctx.Countries().Select(c)) return 0;
    return ctx.Countries().GetAllianceMask();
}

// Shared by RecomputeVisibility and ResetVisibility; they differ in what the fog clears.
void Recompute(GameContext& ctx, bool resetMasks) {
    TroopCursor& troops = ctx.Troops();
    const bool fog = UsesFogOfWar(ctx) != 0;
    TableDirectory& tables = ctx.Tables();
    const GameTableSet& set = ctx.GetTableSet();
    if (tables.GetTableRecordCount(set.hexInfo) >= kHexCount &&
        tables.GetTableRecordCount(set.hex) >= kHexCount) {
        // Every hex at once on the table; the context's hex selection ends on the last hex, as
        // when each hex is selected in turn.
        std::uint8_t* hexInfo = tables.GetTableBase(set.hexInfo);
        for (std::size_t n = 0; n < static_cast<std::size_t>(kHexCount); ++n) {
            HexInfoRecord* info = HexInfoAt(hexInfo, n);
            const std::uint16_t flags = info->U16(HexInfoRecord::kFlags);
            info->SetU16(HexInfoRecord::kFlags,
                         fog ? std::uint16_t{0} : static_cast<std::uint16_t>(flags | kAllSeenBits));
        }
        ctx.SelectHexInfoXY(kMapSize - 1, kMapSize - 1);
        ctx.Hexes().Select(kHexCount - 1);
    } else {
        for (int y = 0; y < kMapSize; ++y) {
            for (int x = 0; x < kMapSize; ++x) {
                if (!ctx.SelectHexInfoXY(x, y)) continue;
                if (fog) {
                    ctx.ZeroHexFlags();
                } else {
                    ctx.SetHexFlagBits(kAllSeenBits);
                }
            }
        }
    }
    for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
        if (!troops.Select(t)) continue;
        if (fog && resetMasks) {
            troops.SetMask28(0);
        } else if (fog) {
            if (troops.HasMembers()) {
                troops.SetMask28(static_cast<std::uint16_t>(troops.GetMask28() & ~kDetectedBits));
            }
        } else if (IsPresent(troops)) {
            troops.SetMask28(
                static_cast<std::uint16_t>(troops.GetMask28() | kSightedAndIdentified));
        }
    }
    if (ctx.GetPlayerCountry() < kCountryCount) ComputeFogSightings(ctx);
}

}  // namespace

int UsesFogOfWar(GameContext& ctx) {
    if (ctx.Header().GetOptionByte1() == 0) return 0;
    const std::uint8_t player = ctx.GetPlayerCountry();
    if (player >= kCountryCount || !ctx.Countries().Select(player)) return 0;
    return ctx.Countries().GetState() == 1 ? 1 : 0;
}

void RecomputeVisibility(GameContext& ctx) {
    Recompute(ctx, false);
}

void ResetVisibility(GameContext& ctx) {
    Recompute(ctx, true);
}

void ComputeFogSightings(GameContext& ctx) {
    if (!UsesFogOfWar(ctx)) return;
    ClearDetectedBits(ctx);
    const bool day = IsDaytime(ctx);
    TableDirectory& tables = ctx.Tables();
    const TableId countryTable = ctx.GetTableSet().country;

    SiteCursor& sites = ctx.Sites();
    for (int s = 0; s < kSiteCount; ++s) {
        if (!sites.Select(s)) continue;
        const std::uint8_t kind = sites.GetKind();
        const std::uint8_t owner = sites.GetOwner();
        // Neutral sites reveal nothing; a kind the tables do not know has no range.
        if (kind == kFreeSiteKind || owner >= kCountryCount) continue;
        if (!sites.SiteKindCursor::Select(kind)) continue;
        int range = day ? sites.GetDaySearchRange() : sites.GetNightSearchRange();
        if (sites.GetSearchPenalty() != 0 && range > 1) --range;
        std::uint16_t hex = 0;
        sites.GetHex(hex);
        const auto r = static_cast<std::uint8_t>(range);
        const std::uint8_t ranges[kSightLayerCount] = {r, r, r, r, r};
        MarkSeenFromSource(ctx, owner, hex, range, AllianceMaskOf(ctx, owner), ranges, 0, 3,
                           day ? kSiteDayLight : kSiteNightLight, 0, 1);
    }

    TroopCursor& troops = ctx.Troops();
    const int light = day ? kTroopDayLight : kTroopNightLight;
    for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
        if (!troops.Select(t) || !IsPresent(troops)) continue;
        const std::uint8_t c = troops.GetCountry();
        // Only countries 0-3 have bits to set.
        if (c >= kCountryCount) continue;
        std::uint8_t ranges[kSightLayerCount];
        int reach = 1;
        for (int k = 0; k < kSightLayerCount; ++k) {
            ranges[k] = GetBestMemberValue(troops, k, light, 0);
            reach = std::max<int>(reach, ranges[k]);
        }
        const int radar = HasMemberOfKind(troops, kRadarUnitKind);
        const int special = HasSpecialAbilityBit0(troops);
        const int layer = troops.GetTroopAltitudeClass() - 1;
        const std::uint16_t hex = troops.GetHexValue();
        MarkSeenFromSource(ctx, c, hex, reach, AllianceMaskOf(ctx, c), ranges, special, layer,
                           light, radar, 0);
    }

    for (int c = 0; c < kCountryCount; ++c) {
        const auto self = static_cast<std::uint16_t>(1u << c);
        const auto identified = static_cast<std::uint16_t>(1u << (c + 4));
        const auto detected = static_cast<std::uint16_t>(1u << (c + 8));
        for (std::uint16_t t = 0; t < kTroopTableLimit; ++t) {
            if (!troops.Select(t) || !IsPresent(troops)) continue;
            std::uint16_t mask = troops.GetMask28();
            if (AreCountriesAllied(tables, static_cast<std::uint8_t>(c), troops.GetCountry(),
                                   countryTable)) {
                mask |= self | identified | detected;
            } else if (!(mask & detected)) {
                mask &= static_cast<std::uint16_t>(~(self | identified));
            }
            troops.SetMask28(mask);
        }
    }
}

void MarkSeenFromSource(GameContext& ctx, std::uint8_t c, std::uint16_t sourceHex, int reach,
                        std::uint16_t allianceMask, const std::uint8_t ranges[kSightLayerCount],
                        int specialSight, int observerLayer, int lightCode, int radar,
                        int siteSource) {
    if (!UsesFogOfWar(ctx) || c >= kCountryCount) return;
    const int sourceX = sourceHex & 0xFF;
    const int sourceY = sourceHex >> 8;
    if (sourceX >= kMapSize || sourceY >= kMapSize) return;

    TroopCursor& troops = ctx.Troops();
    TableDirectory& tables = ctx.Tables();
    const TableId countryTable = ctx.GetTableSet().country;
    // The source's country and its allies learn together.
    const auto side = static_cast<std::uint16_t>((1u << c) | (allianceMask & 0x0F));
    const auto detectedBits = static_cast<std::uint16_t>(side << 8);
    const auto identifiedBits = static_cast<std::uint16_t>(side << 4);
    const std::uint16_t sightedBits = side;
    const bool night = IsNightLight(lightCode);

    // Alliances of the source's country with the troops' countries, asked once.
    int alliedWith[8];
    for (int k = 0; k < 8; ++k) {
        alliedWith[k] = AreCountriesAllied(tables, c, static_cast<std::uint8_t>(k), countryTable);
    }
    std::uint8_t* hexInfo = tables.GetTableBase(ctx.GetTableSet().hexInfo);
    const int hexInfoCount = tables.GetTableRecordCount(ctx.GetTableSet().hexInfo);
    const auto seenBits = static_cast<std::uint16_t>(allianceMask & 0xFF);

    // Hexes within `reach` row by row, top to bottom: in axial terms (q = x - y / 2 rounded
    // down) a row at dr rows from the source spans dq from max(-R, -R - dr) to min(R, R - dr).
    const int sourceQ = sourceX - (sourceY >> 1);
    for (int y = std::max(0, sourceY - reach); y <= std::min(kMapSize - 1, sourceY + reach); ++y) {
        const int dr = y - sourceY;
        const int shift = sourceQ + (y >> 1);
        const int x0 = std::max(0, shift + std::max(-reach, -reach - dr));
        const int x1 = std::min(kMapSize - 1, shift + std::min(reach, reach - dr));
        for (int x = x0; x <= x1; ++x) {
            const int d = std::max({std::abs(x - shift), std::abs(dr), std::abs(x - shift + dr)});
            const int index = x + kMapSize * y;
            if (index >= hexInfoCount) continue;
            HexInfoRecord* info = HexInfoAt(hexInfo, static_cast<std::size_t>(index));
            info->SetU16(HexInfoRecord::kFlags,
                         static_cast<std::uint16_t>(info->U16(HexInfoRecord::kFlags) | seenBits));

            const std::uint16_t target = info->U16(HexInfoRecord::kTroopIndex);
            if (target == kNoTroop || !troops.Select(target) || !IsPresent(troops)) continue;
            const std::uint8_t targetCountry = troops.GetCountry();
            if (targetCountry < 8 ? alliedWith[targetCountry]
                                  : AreCountriesAllied(tables, c, targetCountry, countryTable)) {
                continue;
            }
            // The concealment reads the terrain class through the context's hex selection.
            ctx.SelectHexInfoXY(x, y);
            const int targetLayer = troops.GetTroopAltitudeClass() - 1;
            // A target without a known layer has no range to be seen at.
            if (targetLayer < 0 || targetLayer >= kSightLayerCount) continue;
            const int raw = ranges[targetLayer];

            const int concealment =
                GetMinMemberConcealment(troops, observerLayer, ctx.GetHexTerrainClass(2), 0);
            const std::uint16_t actions = troops.GetOrder();
            const std::uint16_t destination = troops.GetDestination();
            const bool busy = (actions != 0 && actions != 0xFFFF) ||
                              ((destination & 0xFF) != 0xFF && (destination >> 8) != 0xFF);
            const int exposure = GetMinSight(troops, busy ? 1 : 0);
            const int hidden = concealment + exposure;
            int effective = 0;
            if (hidden < 100) {
                effective = raw * (100 - hidden) / 100;
                if (raw > 0) effective = std::max(effective, 1);
            }

            std::uint16_t mask = troops.GetMask28();
            if (d <= raw) {
                mask |= detectedBits;
                if (radar && (troops.GetStateFlags() & kTroopRadarVisible)) {
                    mask |= sightedBits | identifiedBits;
                }
                troops.SetMask28(mask);
            }
            if (d <= effective) {
                mask |= detectedBits;
                if (siteSource) {
                    mask |= sightedBits;
                } else {
                    const int close = std::min((!night || specialSight) ? 2 : 1, raw);
                    mask |= d <= close ? identifiedBits : sightedBits;
                }
                troops.SetMask28(mask);
            }
        }
    }
}

}  // namespace zv::rules
