#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"
#include "rules/records/NewsRecord.h"

// Posting a news event from a rule operation on the live tables.
namespace zv::rules {

class TroopCursor;

// The picture number news and windows show for the selected troop: 12 x country + its picture
// kind (TroopRecord offset 382), in 16 bits.
std::uint16_t TroopPictureNumber(TroopCursor& troop);

// The record reaches the windows only when its country (offset 14) is the local player's
// country 0-3; it is then stamped with the game time of the context's scenario header (day x 24
// + hour, minute) and handed to the events. Rule operations call it only on live contexts.
void PostNewsEvent(GameContext& ctx, NewsRecord record);

}  // namespace zv::rules
