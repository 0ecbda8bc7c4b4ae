#pragma once

#include "rules/context/GameContext.h"

namespace zv::rules {

// The rules object of the simulation: every rule operation of GameContext, acting on the
// ShadowTables (troops 19, sites 18, HexInfo 21, countries 22, scenario header 23, corps 24).
// Terrain comes from the live hex table 10. IsShadow answers 1, so the rule operations leave
// windows, news, sounds and statistics alone and keep only the table changes.
//
// The simulation builds one per step; pass the simulation's work grid in the env to keep that
// cheap.
class ShadowGameContext : public GameContext {
  public:
    explicit ShadowGameContext(TableDirectory& tables, const GameContextEnv& env = {});
};

}  // namespace zv::rules
