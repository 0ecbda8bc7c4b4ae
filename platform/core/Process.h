#pragma once

#include <string>
#include <string_view>

namespace zv::core {

// Makes sure only one copy of a program runs: an exclusive lock on a file named after
// `name` in $XDG_RUNTIME_DIR (or /tmp, with the user id in the name). The system drops
// the lock when the holder ends, however it ends, so a file left behind by a process that is
// gone never blocks; the holder writes its process id into the file for the message of the
// copy that finds it held.
class InstanceLock {
  public:
    InstanceLock() = default;
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another holder (this or another process) has the name, or the lock file
    // cannot be opened. Acquiring again while holding releases the old name first.
    bool TryAcquire(std::string_view name);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }

    // The lock file used for `name`; characters other than letters, digits, '-' and '_'
    // become '_'.
    static std::string LockPath(std::string_view name);
    // The process id written by the holder of `name`, 0 when the file holds none.
    static long HolderPid(std::string_view name);

  private:
    int fd_ = -1;
};

// Starts the program at `path` (a game path) with no arguments, in `workingDir` (empty:
// the current directory), and waits for it to end. Returns its exit code, 128 + the
// signal number when a signal ended it, or -1 when it could not be started.
int SpawnAndWait(const std::string& path, const std::string& workingDir);
// Sends `signal` to the program SpawnAndWait is waiting for, if any (any thread): a program
// asked to end passes the request on to the child it waits for.
void SignalWaitedChild(int signal);

}  // namespace zv::core
