#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"
#include "rules/troops/TroopQueries.h"

// Resupply of a troop at a site or from a supplying troop (journal command 5, also after command
// 36 and in the site upkeep), the price of what a site sells, and the questions the automatic
// resupply asks. Purchases take only what the country's funds cover, in whole machines or whole
// shots, so funds never fall below 0 through them.
namespace zv::rules {

// Supply flags of a site's terrain class (LandKind 補給フラグ): a site that supplies fuel and
// ammunition, one that sells units (strength and launch weapons), and either.
inline constexpr std::uint16_t kSiteSuppliesFuel = 0x1000;
inline constexpr std::uint16_t kSiteSellsUnits = 0x2000;
inline constexpr std::uint16_t kSiteSupplies = 0x3000;

// Price of one full platoon of the unit (price + 30 %). With a site: the unit must select, the
// site must belong to the country and sell units (supply flag 0x2000) to the supply classes of
// the troop selected in the context. 1 and the price; 0 and price 0 otherwise.
int FindSupplyPrice(GameContext& ctx, std::uint8_t country, std::uint16_t site, std::uint16_t unit,
                    std::int32_t* price);

// Command 5: fuel and ordinary ammunition free of charge, launch weapons bought with the
// country's funds, and with a site lost machines bought back (a partial purchase adds only the
// machines paid for, at full durability). A supplier (0xFFFF none) gives one unit of its stock
// per member served and is removed when it runs out; a supplier of altitude class 1 refuels
// only. Always 1.
int ExecSupply(GameContext& ctx, std::uint16_t troop, std::uint16_t supplier, std::uint16_t site);

// The troop can be supplied at a site on the hex: own, supplied, of a kind whose terrain class
// supplies its classes. 1 and the site; 0 and 0xFFFF. The troop stays selected.
int FindSupplySiteAt(GameContext& ctx, std::uint16_t troop, std::uint16_t hex, std::uint16_t* site);

// 1 when the supplier can supply the troop: roles, altitude fit, same country, stock left. The
// troop is selected again on return.
int CanSupplyFromTroop(GameContext& ctx, std::uint16_t troop, std::uint16_t unused,
                       std::uint16_t supplier);

// A site on the hex or a supplying troop on it or around it (the one met last in the order own
// hex, W, SW, SE, E, NE, NW). Both outputs start as 0xFFFF. 1 when either holds a source.
int FindSupplySource(GameContext& ctx, std::uint16_t troop, std::uint16_t hex,
                     std::uint16_t* supplier, std::uint16_t* site);

// What a full refill of launch weapons and machines would cost, in whole platoon prices.
std::int32_t GetResupplyCost(GameContext& ctx, std::uint16_t troop);

// 1 when fuel, ammunition and durability are all at their full values.
int IsFullySupplied(GameContext& ctx, std::uint16_t troop);

}  // namespace zv::rules
