#include "shell/ShellTables.h"

#include "shell/ProgramServices.h"

namespace zv::shell {

rules::TableDirectory* GetShellTables() {
    const ProgramServices* services = CurrentServices();
    return services != nullptr ? services->tables : nullptr;
}

}  // namespace zv::shell
