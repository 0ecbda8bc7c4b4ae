#include "platform/core/Process.h"

#include <errno.h>
#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "platform/core/Paths.h"

extern char** environ;

namespace zv::core {

namespace {
std::atomic<pid_t> gWaitedChild{0};
}  // namespace

void SignalWaitedChild(int signal) {
    const pid_t pid = gWaitedChild.load();
    if (pid > 0) ::kill(pid, signal);
}

std::string InstanceLock::LockPath(std::string_view name) {
    std::string safe;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '_';
        safe += ok ? c : '_';
    }
    const char* runtime = ::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return std::string(runtime) + "/zv-" + safe + ".lock";
    }
    return "/tmp/zv-" + std::to_string(::getuid()) + "-" + safe + ".lock";
}

bool InstanceLock::TryAcquire(std::string_view name) {
    Release();
    const std::string path = LockPath(name);
    // No following of links: /tmp is shared with other users.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t n = ::pwrite(fd, pid.data(), pid.size(), 0);
    }
    return true;
}

long InstanceLock::HolderPid(std::string_view name) {
    const std::string path = LockPath(name);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return 0;
    char text[24] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return 0;
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    return end != text && pid > 0 ? pid : 0;
}

void InstanceLock::Release() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

int SpawnAndWait(const std::string& path, const std::string& workingDir) {
    const std::string program = ResolvePath(path);
    if (program.empty()) return -1;
    std::string dir;
    if (!workingDir.empty()) dir = ResolvePath(workingDir);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return -1;
    if (!dir.empty() && posix_spawn_file_actions_addchdir_np(&actions, dir.c_str()) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return -1;
    }
    std::string arg0 = program;
    char* argv[] = {arg0.data(), nullptr};
    pid_t pid = -1;
    // A failed chdir or exec in the child comes back here as the error result.
    int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;

    gWaitedChild.store(pid);
    int status = 0;
    int waited = 0;
    while ((waited = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    gWaitedChild.store(0);
    if (waited < 0) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace zv::core
