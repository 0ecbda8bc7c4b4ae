#pragma once

// Opens a file or a web address with the desktop's default program (a help page in the
// browser, for instance), as a double click in the file manager would.

#include <string>

namespace zv::core {

struct DesktopOpenResult {
    bool ok = false;
    // Why it failed, in plain words (empty on success).
    std::string error;
};

// The opener is "xdg-open", or the program named by the environment variable ZV_DESKTOP_OPENER
// (tests point it at a script). It is started without a shell, with the target as its one
// argument, so no character of the target is ever interpreted; the call waits for the opener,
// which hands the file to the desktop and ends. Fails for an empty target, a missing local
// file, an opener that cannot be started, and an opener that ends with a failure code.
DesktopOpenResult DesktopOpen(const std::string& target);

}  // namespace zv::core
