#include "rules/search/HexSearch.h"

#include <algorithm>
#include <array>

#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/RouteSearch.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules {

namespace {

constexpr std::uint16_t kMarkBit0 = 0x0001;

constexpr bool OnMap(int x, int y) {
    return x >= 0 && y >= 0 && x < kMapSize && y < kMapSize;
}

bool IsWaterLandKind(std::uint8_t landKind) {
    return landKind >= 3 && landKind <= 5;
}

// Whether a troop of altitude class `other` can take up one of class `own`.
bool AltitudeFits(std::uint8_t own, std::uint16_t capability, std::uint8_t other) {
    if (own == 2 || own == 3 || (capability & kLowFlyingCapability)) {
        return other == 2 || other == 3;
    }
    if (own == 4 || own == 5) return other == 4 || other == 5;
    return own == other;
}

int PlanWaypoints(GameContext& ctx, RouteSearch& search, std::uint16_t troop, std::uint16_t target,
                  int skipTroops, RouteAreaMemo* memo = nullptr) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    const std::uint16_t hex = troops.GetHexValue();
    if ((hex & 0xFF) == 0xFF) return 0;
    for (int i = 0; i < 4; ++i) troops.SetWaypoint(i, kNoHex);
    troops.SetWaypoint(0, hex);
    if (target == hex) return 0;

    const int x = hex & 0xFF;
    const int y = hex >> 8;
    // Only the route to the target is read.
    const std::uint16_t targets[] = {target};
    if (memo) {
        bool reused = false;
        search.ComputeRouteToReusing(ctx, troop, x, y, nullptr, skipTroops, targets, *memo, reused);
    } else {
        search.ComputeRouteTo(ctx, troop, x, y, nullptr, skipTroops, targets);
    }
    const std::span<RouteStep> steps = search.StepBuffer();
    const int n = search.TraceRoute(steps, target & 0xFF, target >> 8);
    troops.Select(troop);
    if (n >= 4) {
        const int every = n / 4;
        int px = x;
        int py = y;
        for (int i = 1; i <= n; ++i) {
            px += steps[i - 1].dx;
            py += steps[i - 1].dy;
            if (i % every != 0) continue;
            const int k = i / every;
            if (k >= 4) break;
            troops.SetWaypoint(k, MakeHexPosition(px, py));
        }
    }
    return 1;
}

}  // namespace

void ResetWorkGrid(GameContext& ctx) {
    for (HexWorkCell& cell : ctx.WorkGrid()) cell = HexWorkCell{0, 0xFFFF};
}

void FloodDistances(GameContext& ctx) {
    HexWorkGrid& grid = ctx.WorkGrid();
    const int startX = ctx.reachStartX;
    const int startY = ctx.reachStartY;
    if (!OnMap(startX, startY)) return;

    // Every cell waits at most once at a time (queued word), so one place per hex suffices.
    std::array<std::uint16_t, kHexCount> queue;
    constexpr int kMask = kHexCount - 1;
    queue[0] = static_cast<std::uint16_t>(startX + kMapSize * startY);
    int head = 0;
    int tail = 1;
    do {
        const int current = queue[head];
        const int x = current % kMapSize;
        const int y = current / kMapSize;
        for (int d = 0; d < kHexDirectionCount; ++d) {
            std::uint16_t nx = 0;
            std::uint16_t ny = 0;
            if (!ctx.GetHexNeighbour(x, y, d, nx, ny)) continue;
            HexWorkCell& next = grid[nx + kMapSize * ny];
            const auto distance = static_cast<std::int16_t>(grid[current].distance + 1);
            if (distance > static_cast<int>(ctx.reachLimit)) continue;
            if (distance > static_cast<int>(next.distance)) continue;
            next.distance = static_cast<std::uint16_t>(distance);
            if (!next.queued) {
                queue[tail] = static_cast<std::uint16_t>(nx + kMapSize * ny);
                tail = (tail + 1) & kMask;
                next.queued = 1;
            }
        }
        grid[current].queued = 0;
        head = (head + 1) & kMask;
    } while (head != tail);
}

std::uint8_t MarkHexesInRange(GameContext& ctx, std::uint16_t troop, std::uint8_t limit,
                              std::uint16_t classBits) {
    TroopCursor& troops = ctx.Troops();
    if (troop == kNoTroop || !troops.Select(troop)) return 0;
    const std::uint16_t hex = troops.GetHexValue();
    ctx.reachStartX = hex & 0xFF;
    ctx.reachStartY = hex >> 8;
    ctx.reachLimit = limit;

    ResetWorkGrid(ctx);
    ctx.ClearAllHexMarkBit0();
    FloodDistances(ctx);

    const HexWorkGrid& grid = ctx.WorkGrid();
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            if (grid[x + kMapSize * y].distance >= limit) continue;
            if (!ctx.SelectHexInfoXY(x, y)) continue;
            if ((classBits & kRangeWaterOnly) && !IsWaterLandKind(ctx.Hexes().GetLandKind())) {
                continue;
            }
            ctx.SetHexMarkBits(kMarkBit0);
        }
    }
    if (!ctx.IsShadow()) ctx.Events().MapRedraw();
    return 0;
}

std::uint8_t MarkNeighbourTargets(GameContext& ctx, std::uint16_t troop) {
    TroopCursor& troops = ctx.Troops();
    if (troop == kNoTroop || !troops.Select(troop)) return 0;
    const std::uint8_t altitude = troops.RefreshAltitudeClass();
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t capability = GetCapabilityFlags(troops);
    std::uint8_t moveCosts[kMoveCostClasses];
    std::copy_n(GetMoveCostTable(troops), kMoveCostClasses, moveCosts);

    const std::uint16_t hex = troops.GetHexValue();
    if (!ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return 0;
    const std::uint8_t terrain = ctx.GetHexTerrainClass(altitude == 3 ? 1 : 0);
    // A class no table knows counts as impassable.
    const std::uint8_t cost = terrain < kMoveCostClasses ? moveCosts[terrain] : 0;
    if (cost != 0 && cost != 255 && GetMinMemberFuel(troops) >= cost) return 0;

    HexDescription neighbours[kHexDirectionCount];
    ctx.GetNeighbourInfos(hex, neighbours);
    for (const HexDescription& n : neighbours) {
        if (!n.IsOnMap() || n.troopIndex == kNoTroop) continue;
        if (!troops.Select(n.troopIndex)) continue;
        if (!troops.HasMembers() || !troops.IsOnMap()) continue;
        if (!(GetSupplyCapabilityBits(troops) & kSuppliesOthers)) continue;
        if (!AltitudeFits(altitude, capability, troops.RefreshAltitudeClass())) continue;
        std::uint8_t stock = 0;
        SumSupplyStock(troops, &stock);
        if (stock == 0) continue;
        // Only the troop's own country or an ally takes it up.
        const std::uint8_t other = troops.GetCountry();
        if (other != country &&
            !AreCountriesAllied(ctx.Tables(), country, other, ctx.GetTableSet().country)) {
            continue;
        }
        if (ctx.SelectHexInfoXY(n.x, n.y)) ctx.SetHexMarkBits(kMarkBit0);
    }
    troops.Select(troop);
    if (!ctx.IsShadow()) ctx.Events().MapRedraw();
    return 0;
}

int PlanRouteWaypoints(GameContext& ctx, std::uint16_t troop, std::uint16_t target) {
    RouteSearchSet* set = ctx.GetRouteSearches();
    if (ctx.IsShadow()) {
        ContextRouteSearch search(ctx, RouteInstance::Simulation);
        // The step has often just searched from this hex for the routes to its candidates, the
        // chosen one among them.
        RouteAreaMemo* memo =
            set && set->ReusesTroopSearches() ? set->TroopMemo(troop, 0) : nullptr;
        return PlanWaypoints(ctx, *search, troop, target, 0, memo);
    }
    ContextRouteSearch search(ctx, RouteInstance::Context);
    return PlanWaypoints(ctx, *search, troop, target, 1, set ? set->PlanMemo(troop) : nullptr);
}

int PlanRouteWaypointsOnMap(GameContext& ctx, std::uint16_t troop, std::uint16_t target) {
    ContextRouteSearch search(ctx, RouteInstance::Map);
    return PlanWaypoints(ctx, *search, troop, target, 1);
}

}  // namespace zv::rules
