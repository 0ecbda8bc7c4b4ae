#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"

// Each country's supply network: the hexes its roads connect to its capitals and large cities,
// kept in the HexInfo network bytes (20 + country). A site inside its owner's network is supplied
// (SiteRecord byte 6). Positions below are x in the low 16 bits, y in the high 16 bits
// (MakeHexInfoPosition).
namespace zv::rules {

// Recomputes the networks of the countries 0-3 whose bits are set in the mask and the supplied
// flags of their sites; the other countries' bytes and sites keep their values. A neutral site
// (owner 4) spreads no network and, when its bit is in the mask, counts as not supplied. 1.
int RecomputeSupplyNetwork(GameContext& ctx, std::uint8_t mask);
// The same for all four countries and every site (neutral sites: not supplied). 1. Fits
// GameContextEnv::recomputeAllSupplyNetworks.
int RecomputeAllSupplyNetworks(GameContext& ctx);

// 1 when three or more of the hex's neighbours are road-linked with it; 0 when the hex does not
// select or its road byte is 0.
int IsRoadJunction(GameContext& ctx, std::uint32_t pos);
// The road hex that continues a plain road from `pos` away from `previous` (a later direction
// wins); 0 at a junction, a site, an unknown hex or the end of the road.
int FindNextRoadHex(GameContext& ctx, std::uint32_t pos, std::uint32_t previous,
                    std::uint32_t& out);
// Takes the hex out of country c's network and, unless it is a junction or a site, the plain road
// hexes behind it up to the next junction, site or end of road.
void PruneRoadBranch(GameContext& ctx, int c, std::uint32_t pos);

}  // namespace zv::rules
