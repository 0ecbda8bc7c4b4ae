#pragma once

// The settings chosen on the set-up pages wait in the game-start record (table 17) until a game
// starts; this copies them into the live scenario header and the four country records and
// clears from the map the troops of every country the computer does not play (their troops come
// from the corps files loaded next, or the country does not take part).

namespace zv::rules {
class GameContext;
}

namespace zv::panels {

// On a context over the live tables. Header: fog-of-war byte, day, hour and deployment limits,
// the switch word. Countries 0-3 in order: participation (troops removed unless it is 1,
// computer), state, alliance mask, anthem, funds (held to the funds ceiling).
void CopyGameStartBlockToScenario(rules::GameContext& ctx);

}  // namespace zv::panels
