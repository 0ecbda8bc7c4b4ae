#include "shell/ShellTables.h"

#include <atomic>

namespace zv::shell {

namespace {
std::atomic<rules::TableDirectory*> gTables{nullptr};
}

void SetShellTables(rules::TableDirectory* tables) { gTables.store(tables); }
rules::TableDirectory* GetShellTables() { return gTables.load(); }

}  // namespace zv::shell
