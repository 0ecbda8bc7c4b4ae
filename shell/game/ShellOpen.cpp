#include "shell/game/ShellOpen.h"

#include <cstring>

#include "platform/core/DesktopOpen.h"
#include "platform/core/Files.h"
#include "platform/core/Paths.h"

namespace zv::shell {

namespace {
std::string gLastError;
}

std::intptr_t ShellExecute(ui::Hwnd owner, const char* operation, const std::string& file,
                           const char* parameters, const char* directory, int show) {
    (void)owner;
    (void)parameters;
    (void)directory;
    (void)show;
    gLastError.clear();
    if (operation != nullptr && std::strcmp(operation, "open") != 0) {
        gLastError = std::string("unsupported operation: ") + operation;
        return SE_ERR_UNSUPPORTED;
    }
    // The game's paths use either separator and any case; the opener needs the real one.
    const std::string path = file.find("://") == std::string::npos ? core::ResolvePath(file) : file;
    if (file.find("://") == std::string::npos && !core::FileExists(path)) {
        gLastError = "file not found: " + path;
        return SE_ERR_FNF;
    }
    const core::DesktopOpenResult r = core::DesktopOpen(path);
    if (!r.ok) {
        gLastError = r.error;
        return SE_ERR_NOASSOC;
    }
    return 42;
}

const std::string& LastShellExecuteError() {
    return gLastError;
}

}  // namespace zv::shell
