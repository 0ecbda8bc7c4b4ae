#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"
#include "rules/records/TroopRecord.h"

// Troops reach the map from the working force (corps slot 0, the copy the organisation screens
// edit) and go back to it. The map view's placement tools, the map editor and the automatic
// deployment call these on a live context; the tables change directly (no journal), questions
// and messages go through the context's events, and each ends by recomputing visibility.
//
// The working force is used itself: with the organisation screens' scratch mode on (workspace
// given and scratching) placement and recovery refuse, since their writes would reach only the
// scratch copy. Callers end the scratch mode first, as the map windows do.
namespace zv::rules {

class ForceWorkspace;

// The terrain classes a troop with a member of unit-kind class 6 may be placed on: every class
// but 3, 4, 5, 9, 10, 14, 27 and 28.
void FillDefaultTerrainMask(std::uint8_t mask[kMoveCostClasses]);

// Places working-force troop n for country c (0-3) on the hex (x in the low 16 bits, y in the
// high 16 bits) and charges c its price. On an empty hex the troop must be able to stand there;
// on a hex with a troop of c that can carry it, the user is asked "搭載しますか" and Yes loads
// it. Refuses (0, nothing changed) at c's deploy limit, when c's funds are below the price, for
// a second headquarters of c ("司令部はすでに配置されています。"), when c's forty troop records
// are used, and for a troop that cannot be carried ("この部隊は搭載できません"). 1 when placed.
int PlaceUnitOnMap(GameContext& ctx, ForceWorkspace* workspace, std::uint8_t c, std::uint16_t n,
                   std::uint32_t hex);

// Takes map troop t back into the first free troop of the working force and refunds its price
// to its country; a carried troop leaves its carrier first. 0 and nothing changed when t does
// not select or the working force is full.
int RecoverTroop(GameContext& ctx, ForceWorkspace* workspace, std::uint16_t t);

// Takes back the troop on the hex (x in the low byte, y in the next). A carrier asks the user
// (ChooseTroopFromCarrier): the carrier itself comes back with everything it carries, a
// passenger alone. 0 and nothing changed for an empty hex, a cancelled choice or a working force
// without room for every troop that would come back.
int RecoverTroopAtHex(GameContext& ctx, ForceWorkspace* workspace, std::uint16_t hex);

// Every troop of country c (0-3) that is carried or on the map goes back into c's corps; the
// scratch mode is ended for the work and begun again after it. 1; 0 for another country.
int RecoverAllTroops(GameContext& ctx, ForceWorkspace* workspace, std::uint8_t c);

}  // namespace zv::rules
