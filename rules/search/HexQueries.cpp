#include "rules/search/HexQueries.h"

#include "rules/context/GameContext.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules {

bool HexNeighbourOf(int x, int y, int direction, std::uint16_t& outX, std::uint16_t& outY) {
    outX = 0xFFFF;
    outY = 0xFFFF;
    if (direction < 0 || direction >= kHexDirectionCount) return false;
    const int nx = x + kNeighbourDx[y & 1][direction];
    const int ny = y + kNeighbourDy[direction];
    if (nx < 0 || ny < 0 || nx >= kMapSize || ny >= kMapSize) return false;
    outX = static_cast<std::uint16_t>(nx);
    outY = static_cast<std::uint16_t>(ny);
    return true;
}

void GameContext::GetHexDescription(std::uint16_t hex, HexDescription& out) {
    out = HexDescription{};
    const int x = hex & 0xFF;
    const int y = hex >> 8;
    if (!SelectHexInfoXY(x, y)) return;

    const std::uint16_t savedSite = site_.GetIndex();
    const std::uint16_t savedTroop = troop_->GetIndex();

    out.x = static_cast<std::uint8_t>(x);
    out.y = static_cast<std::uint8_t>(y);
    out.landKind = hex_.GetLandKind();
    out.road = hex_.GetRoad();
    out.river = hex_.GetRiver();
    // An index that does not select (a damaged snapshot) describes the hex as empty.
    const std::uint16_t site = GetHexSiteIndex();
    if (site != kNoSiteIndex && site_.Select(site)) {
        out.siteKind = site_.GetKind();
        out.siteOwner = site_.GetOwner();
        out.siteIndex = site;
    }
    const std::uint16_t troop = GetHexTroopIndex();
    if (troop != kNoTroopIndex && troop_->Select(troop)) {
        out.troopIndex = troop;
        out.troopCountry = troop_->GetCountry();
    }
    out.hexFlags = GetHexFlags();

    site_.Select(savedSite);
    troop_->Select(savedTroop);
}

int GameContext::GetHexNeighbour(int x, int y, int direction, std::uint16_t& outX,
                                 std::uint16_t& outY) {
    return HexNeighbourOf(x, y, direction, outX, outY) ? 1 : 0;
}

int GameContext::GetNeighbourInfos(std::uint16_t hex, HexDescription out[kHexDirectionCount]) {
    const int x = hex & 0xFF;
    const int y = hex >> 8;
    for (int d = 0; d < kHexDirectionCount; ++d) {
        std::uint16_t nx = 0;
        std::uint16_t ny = 0;
        if (!GetHexNeighbour(x, y, d, nx, ny)) {
            out[d] = HexDescription{};
            continue;
        }
        GetHexDescription(MakeHexPosition(nx, ny), out[d]);
        out[d].x = static_cast<std::uint8_t>(nx);
        out[d].y = static_cast<std::uint8_t>(ny);
    }
    return 1;
}

}  // namespace zv::rules
