#pragma once

#include <cstdint>

#include "framework/RandomStreams.h"
#include "rules/context/GameContext.h"
#include "rules/records/BattleRecord.h"

// The fire of a fight, resolved on a BattleRecord whose weapons are chosen. Every draw comes
// from the game stream, so every participant that executes the same journal gets the same
// outcome.
namespace zv::rules {

// An attack: side A fires, then side B answers with the machines it had at the start. Survivors,
// durabilities and ammunition are updated in the record. 1.
int ResolveExchangeOfFire(GameContext& ctx, BattleRecord& record, fw::RandomStreams& random);

// A bombing: side A fires at side B (ammunition kept), then its bombs strike the site; a site
// struck hard enough (at least `threshold`, the bomb step's draw 0-99) is knocked out: it turns
// neutral with the neutral durabilities of its kind (a capital becomes a large city) and the
// supply networks and route terrain are renewed. 1 when the site was knocked out, else 0 (no
// site, a free record, or a site allied with the bomber).
int ResolveBombingFire(GameContext& ctx, BattleRecord& record, std::uint16_t site, int threshold,
                       fw::RandomStreams& random);

}  // namespace zv::rules
