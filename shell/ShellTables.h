#pragma once

// The game tables the shell's helpers and dialogs read: the installed services' tables
// (shell/ProgramServices.h). Null (none installed) reads as "no game data": no unit kind, land
// kind or hex exists and the version list shows default table ids.

namespace zv::rules {
class TableDirectory;
}

namespace zv::shell {

rules::TableDirectory* GetShellTables();

}  // namespace zv::shell
