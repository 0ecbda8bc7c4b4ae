#pragma once

#include <cstdint>

#include "rules/context/TableDirectory.h"

namespace zv::rules {

// The game-state tables one rules object works on. A live context uses tables 8-14; the
// simulation's shadow context uses their copies 18-24, except for the hexes: terrain, roads and
// rivers never change during play, so the shadow reads the live hex table 10.
struct GameTableSet {
    TableId site;
    TableId troop;
    TableId hex;
    TableId hexInfo;
    TableId country;
    TableId scenarioHeader;
    TableId force;
};

inline constexpr GameTableSet kLiveGameTables{
    TableId::Site,    TableId::Troop,          TableId::Hex,  TableId::HexInfo,
    TableId::Country, TableId::ScenarioHeader, TableId::Force};

inline constexpr GameTableSet kShadowGameTables{
    TableId::ShadowSite,    TableId::ShadowTroop,   TableId::Hex,
    TableId::ShadowHexInfo, TableId::ShadowCountry, TableId::ShadowScenarioHeader,
    TableId::ShadowForce};

// Copies the live tables 8-14 over the ShadowTables 18-24, whole buffers (the begin-play step).
void SnapshotGameBlocks(TableDirectory& tables);

// FNV-1a over the ShadowTables 18-24 in table order.
std::uint64_t HashShadowTables(const TableDirectory& tables);

}  // namespace zv::rules
