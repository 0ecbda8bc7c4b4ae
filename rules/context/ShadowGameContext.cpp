#include "rules/context/ShadowGameContext.h"

namespace zv::rules {

ShadowGameContext::ShadowGameContext(TableDirectory& tables, const GameContextEnv& env)
    : GameContext(tables, env, kShadowGameTables, true) {}

}  // namespace zv::rules
