#include "platform/core/DesktopOpen.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace zv::core {

namespace {

bool LooksLikeAddress(const std::string& target) {
    const std::size_t colon = target.find("://");
    return colon != std::string::npos && colon > 0 && target.find('/') > colon;
}

}  // namespace

DesktopOpenResult DesktopOpen(const std::string& target) {
    DesktopOpenResult result;
    if (target.empty()) {
        result.error = "nothing to open";
        return result;
    }
    if (!LooksLikeAddress(target)) {
        std::error_code ec;
        if (!std::filesystem::exists(target, ec)) {
            result.error = "file not found: " + target;
            return result;
        }
    }
    const char* override = std::getenv("ZV_DESKTOP_OPENER");
    std::string opener = override != nullptr && *override != '\0' ? override : "xdg-open";
    // A leading "-" would read as an option of the opener.
    std::string argument = target;
    if (!argument.empty() && argument[0] == '-') argument = "./" + argument;
    char* argv[] = {opener.data(), argument.data(), nullptr};
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, opener.c_str(), nullptr, nullptr, argv, environ);
    if (rc != 0) {
        result.error = "cannot start " + opener + ": " + std::strerror(rc) +
                       " (install xdg-utils, or open the file yourself)";
        return result;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            result.error = "lost the opener " + opener;
            return result;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        result.ok = true;
        return result;
    }
    if (WIFEXITED(status)) {
        result.error = opener + " failed with exit code " + std::to_string(WEXITSTATUS(status));
    } else {
        result.error = opener + " was ended by signal " + std::to_string(WTERMSIG(status));
    }
    return result;
}

}  // namespace zv::core
