#include "rules/search/SupplyNetwork.h"

#include "rules/context/RuleHelpers.h"
#include "rules/search/HexQueries.h"
#include "rules/search/RouteSearch.h"

namespace zv::rules {

namespace {

constexpr std::uint8_t kAllCountries = 0x0F;

struct Hex {
    int x;
    int y;
};

Hex FromPosition(std::uint32_t pos) {
    return Hex{static_cast<std::int16_t>(pos & 0xFFFF), static_cast<std::int16_t>(pos >> 16)};
}

std::uint32_t ToPosition(int x, int y) {
    return static_cast<std::uint32_t>(MakeHexInfoPosition(x, y));
}

std::uint8_t OppositeBit(int d) {
    return static_cast<std::uint8_t>(1u << ((d + 3) % kHexDirectionCount));
}

bool HasBit(std::uint8_t road, int d) {
    return ((road >> d) & 1) != 0;
}

// Road byte of a hex selected through the context; false when it does not select.
bool SelectRoad(GameContext& ctx, int x, int y, std::uint8_t& road) {
    if (!ctx.SelectHexInfoXY(x, y)) return false;
    road = ctx.Hexes().GetRoad();
    return true;
}

// The hex's road leaves in direction d and the neighbour's road (a road, not 255) comes back.
bool RoadLinked(std::uint8_t road, int d, std::uint8_t neighbourRoad) {
    return HasBit(road, d) && neighbourRoad != kNoRoad && (neighbourRoad & OppositeBit(d));
}

bool HoldsSite(GameContext& ctx, int x, int y) {
    return ctx.SelectHexInfoXY(x, y) && ctx.GetHexSiteIndex() != kNoSiteIndex;
}

int CountRoadLinks(GameContext& ctx, int x, int y, std::uint8_t road) {
    int links = 0;
    for (int d = 0; d < kHexDirectionCount; ++d) {
        std::uint16_t nx = 0;
        std::uint16_t ny = 0;
        std::uint8_t neighbourRoad = kNoRoad;
        if (!ctx.GetHexNeighbour(x, y, d, nx, ny) || !SelectRoad(ctx, nx, ny, neighbourRoad)) {
            continue;
        }
        if (RoadLinked(road, d, neighbourRoad)) ++links;
    }
    return links;
}

// Number of directions in which the network continues from a network hex: the hex's road leaves
// that way, the neighbour's road (a road-less neighbour counts as every bit) comes back and the
// neighbour is in the network.
int CountNetworkLinks(GameContext& ctx, int c, int x, int y, std::uint8_t road) {
    int links = 0;
    if (road == 0) return 0;
    for (int d = 0; d < kHexDirectionCount; ++d) {
        if (!HasBit(road, d)) continue;
        std::uint16_t nx = 0;
        std::uint16_t ny = 0;
        std::uint8_t neighbourRoad = kNoRoad;
        if (!ctx.GetHexNeighbour(x, y, d, nx, ny) || !SelectRoad(ctx, nx, ny, neighbourRoad)) {
            continue;
        }
        if (!(neighbourRoad & OppositeBit(d))) continue;
        if (ctx.GetHexCountryByte2(c) != 0) ++links;
    }
    return links;
}

// One pass over every network hex of the countries in the mask; true when it pruned anything.
bool PrunePass(GameContext& ctx, std::uint8_t mask) {
    TableDirectory& tables = ctx.Tables();
    const TableId countryTable = ctx.GetTableSet().country;
    bool changed = false;
    for (int c = 0; c < kCountryCount; ++c) {
        if (!(mask & (1 << c))) continue;
        for (int y = 0; y < kMapSize; ++y) {
            for (int x = 0; x < kMapSize; ++x) {
                if (!ctx.SelectHexInfoXY(x, y) || ctx.GetHexCountryByte2(c) == 0) continue;
                const std::uint8_t road = ctx.Hexes().GetRoad();
                const std::uint16_t site = ctx.GetHexSiteIndex();
                // The country's and its allies' own sites are where the network starts.
                if (site != kNoSiteIndex && ctx.Sites().Select(site) &&
                    AreCountriesAllied(tables, ctx.Sites().GetOwner(), static_cast<std::uint8_t>(c),
                                       countryTable)) {
                    continue;
                }
                if (CountNetworkLinks(ctx, c, x, y, road) <= 1) {
                    PruneRoadBranch(ctx, c, ToPosition(x, y));
                    changed = true;
                }
            }
        }
    }
    return changed;
}

void Recompute(GameContext& ctx, std::uint8_t mask, bool everySite) {
    const std::uint8_t countries = mask & kAllCountries;
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            if (!ctx.SelectHexInfoXY(x, y)) continue;
            for (int c = 0; c < kCountryCount; ++c) {
                if (countries & (1 << c)) ctx.SetHexCountryByte2(c, 0);
            }
        }
    }

    {
        ContextRouteSearch search(ctx,
                                  ctx.IsShadow() ? RouteInstance::Simulation : RouteInstance::Map);
        SiteCursor& sites = ctx.Sites();
        for (int s = 0; s < kSiteCount; ++s) {
            if (!sites.Select(s)) continue;
            const std::uint8_t owner = sites.GetOwner();
            const std::uint8_t kind = sites.GetKind();
            // Only countries 0-3 have network bytes; a neutral capital spreads nothing.
            if (owner >= kCountryCount || !(countries & (1 << owner))) continue;
            if (kind != kCapitalKind && kind != kLargeCityKind) continue;
            std::uint16_t hex = 0;
            sites.GetHex(hex);
            search->ComputeSupplyNetwork(ctx, hex & 0xFF, hex >> 8, owner);
        }
    }

    while (PrunePass(ctx, countries)) {
    }

    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            if (!ctx.SelectHexInfoXY(x, y)) continue;
            const std::uint16_t site = ctx.GetHexSiteIndex();
            if (site == kNoSiteIndex || !ctx.Sites().Select(site)) continue;
            const std::uint8_t owner = ctx.Sites().GetOwner();
            if (!everySite && (owner >= 8 || !(mask & (1 << owner)))) continue;
            // Neutral and ownerless sites have no network to be in.
            const std::uint8_t supplied =
                owner < kCountryCount && ctx.GetHexCountryByte2(owner) != 0 ? 1 : 0;
            ctx.Sites().SetSupplied(supplied);
        }
    }
}

}  // namespace

int RecomputeSupplyNetwork(GameContext& ctx, std::uint8_t mask) {
    Recompute(ctx, mask, false);
    return 1;
}

int RecomputeAllSupplyNetworks(GameContext& ctx) {
    Recompute(ctx, kAllCountries, true);
    return 1;
}

int IsRoadJunction(GameContext& ctx, std::uint32_t pos) {
    const Hex hex = FromPosition(pos);
    std::uint8_t road = 0;
    if (!SelectRoad(ctx, hex.x, hex.y, road) || road == 0) return 0;
    return CountRoadLinks(ctx, hex.x, hex.y, road) >= 3 ? 1 : 0;
}

int FindNextRoadHex(GameContext& ctx, std::uint32_t pos, std::uint32_t previous,
                    std::uint32_t& out) {
    const Hex hex = FromPosition(pos);
    const Hex before = FromPosition(previous);
    std::uint8_t road = 0;
    if (IsRoadJunction(ctx, pos) || !SelectRoad(ctx, hex.x, hex.y, road)) return 0;
    if (ctx.GetHexSiteIndex() != kNoSiteIndex) return 0;
    int found = 0;
    for (int d = 0; d < kHexDirectionCount; ++d) {
        std::uint16_t nx = 0;
        std::uint16_t ny = 0;
        if (!ctx.GetHexNeighbour(hex.x, hex.y, d, nx, ny)) continue;
        if (nx == before.x && ny == before.y) continue;
        std::uint8_t neighbourRoad = kNoRoad;
        if (!SelectRoad(ctx, nx, ny, neighbourRoad)) continue;
        if (!RoadLinked(road, d, neighbourRoad)) continue;
        out = ToPosition(nx, ny);
        found = 1;
    }
    return found;
}

void PruneRoadBranch(GameContext& ctx, int c, std::uint32_t pos) {
    const Hex hex = FromPosition(pos);
    if (!ctx.SelectHexInfoXY(hex.x, hex.y)) return;
    ctx.SetHexCountryByte2(c, 0);
    const std::uint8_t road = ctx.Hexes().GetRoad();
    if (road == 0 || IsRoadJunction(ctx, pos) || HoldsSite(ctx, hex.x, hex.y)) return;

    for (int d = 0; d < kHexDirectionCount; ++d) {
        std::uint16_t nx = 0;
        std::uint16_t ny = 0;
        std::uint8_t neighbourRoad = kNoRoad;
        if (!ctx.GetHexNeighbour(hex.x, hex.y, d, nx, ny) ||
            !SelectRoad(ctx, nx, ny, neighbourRoad) || !RoadLinked(road, d, neighbourRoad)) {
            continue;
        }
        std::uint32_t previous = pos;
        std::uint32_t current = ToPosition(nx, ny);
        std::uint32_t next = 0;
        // A ring of plain road with no junction or site would walk for ever; no branch is
        // longer than the map has hexes.
        for (int steps = 0; steps < kHexCount && FindNextRoadHex(ctx, current, previous, next);
             ++steps) {
            const Hex at = FromPosition(current);
            if (ctx.SelectHexInfoXY(at.x, at.y)) ctx.SetHexCountryByte2(c, 0);
            previous = current;
            current = next;
        }
    }
}

}  // namespace zv::rules
