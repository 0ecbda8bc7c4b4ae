#include "rules/context/GameEvents.h"

namespace zv::rules {

GameEvents& NoGameEvents() {
    // Stateless: sharing one instance between worlds is harmless.
    static GameEvents none;
    return none;
}

}  // namespace zv::rules
