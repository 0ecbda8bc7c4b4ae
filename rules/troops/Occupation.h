#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"

// Taking a site (journal command 4).
namespace zv::rules {

// The troop takes the site on its hex from a country it is not allied with: the site changes
// owner (an enemy capital becomes a large city) with the table durabilities of its new kind,
// the taker may be paid the old kind's income and credited the new kind's supplies, and the
// supply networks of both owners are recomputed. On the live tables the news goes to the taker
// or the loser and the country summary redraws. 1 when the site changed hands, else 0.
int ExecOccupy(GameContext& ctx, std::uint16_t troop);

}  // namespace zv::rules
