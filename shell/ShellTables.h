#pragma once

// The game tables the shell's helpers and dialogs read: the program installs its live
// TableDirectory once it has loaded the rule tables. Null (the default) reads as "no game data":
// no unit kind, land kind or hex exists and the version list shows default table ids.

namespace zv::rules {
class TableDirectory;
}

namespace zv::shell {

void SetShellTables(rules::TableDirectory* tables);
rules::TableDirectory* GetShellTables();

}  // namespace zv::shell
