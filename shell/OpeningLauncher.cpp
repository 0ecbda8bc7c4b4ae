#include "shell/OpeningLauncher.h"

#include "platform/core/Process.h"

namespace zv::shell {

int RunOpeningPlayer(const std::string& programDir) {
    return core::SpawnAndWait(programDir + "/" + kOpeningProgram, programDir);
}

}  // namespace zv::shell
