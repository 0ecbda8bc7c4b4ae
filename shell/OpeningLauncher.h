#pragma once

// The game's start-up runs the opening player from its program directory and waits for it.

#include <string>

namespace zv::shell {

constexpr const char* kOpeningProgram = "zv6open.ovl";

// Starts programDir/zv6open.ovl in programDir and waits for it to end. Its exit code; -1 when
// it could not be started (the game then goes on to the title all the same).
int RunOpeningPlayer(const std::string& programDir);

}  // namespace zv::shell
