#pragma once

#include <array>
#include <cstdint>

#include "rules/context/GameContext.h"
#include "simulation/ClockStepContext.h"

// Production during play: a requested corps troop (flag 0x2000, its placement hex in the corps
// record) reaches the map as soon as its hex is free and the limits allow it; twice a game day the
// production round requests troops for the computer-controlled countries.
namespace zv::sim {

// One place a produced troop may appear.
struct ProductionCell {
    std::uint16_t kind = 0xFF;  // site kind 0-5, or 6 for a free hex beside the capital
    std::uint16_t used = 0;
    std::uint8_t x = 0xFF;
    std::uint8_t y = 0xFF;
};
inline constexpr int kProductionCellCount = 4096;
inline constexpr std::uint16_t kCellBesideCapital = 6;
using ProductionCells = std::array<ProductionCell, kProductionCellCount>;

// bit 1 of the scenario's rule options.
bool IsProductionEnabled(rules::GameContext& ctx);

// Places every requested corps troop whose hex is free (shadow), writing command 20 for each.
// 1 when at least one troop was produced; 0 at once when production is off.
int ProcessSitesTick(StepContext& step, rules::GameContext& shadow);

// Copies corps troop `forceTroop` of country c onto the map at the cell (x | y << 16) when the
// deploy limit, the production limit, the country's state and funds and a free troop record
// allow it; c pays the price with its surcharge. 1 when placed. The live variant also counts the
// spending and the produced troop in the country statistics.
int ProduceTroopInShadow(rules::GameContext& shadow, std::uint8_t country, std::uint16_t forceTroop,
                         std::uint32_t cell);
int ProduceTroopAtSite(rules::GameContext& live, std::uint8_t country, std::uint16_t forceTroop,
                       std::uint32_t cell);

// Command 20 on the live tables (hex x | y << 8).
void ExecuteProduction(rules::GameContext& live, std::uint16_t forceTroop, std::uint16_t hex,
                       std::uint8_t country);

// The free places around country c's capital where its produced troops appear; the count.
int CollectProductionCells(rules::GameContext& shadow, std::uint8_t country,
                           ProductionCells& cells);

// The round at 00:00 and 12:00: each computer country in play requests 1-5 of its reusable corps
// troops (flag 0x8000) for free cells that suit them, writing command 46 for each.
void RunProductionRound(StepContext& step, rules::GameContext& shadow);

}  // namespace zv::sim
