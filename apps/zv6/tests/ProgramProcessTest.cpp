// The shipped program as a player's desktop starts it: build/game/zv6 itself, in a program folder of
// its own, ended by signals from outside; and, where a virtual X server is installed, its window on
// a large screen without a window manager.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "apps/zv6/tests/XWindows.h"
#include "platform/core/Process.h"
#include "rules/testing/TempFolder.h"

extern char** environ;

namespace zv {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kLockName = "HEZVGameFrameWindow";

bool WaitFor(const std::function<bool()>& done, int seconds) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool Runs(const std::string& path);

// A program folder of its own beside nothing of the player's: the programs linked (a program
// finds its folder through its own path), the data linked, its own settings, saves and lock.
class ProgramFolder {
  public:
    ProgramFolder() {
        const fs::path dir(folder.Path());
        for (const auto& entry : fs::directory_iterator(ZV_PROGRAM_DIR)) {
            const std::string name = entry.path().filename().string();
            if (name == "ZV6WIN.INI" || name == "SAVE") continue;
            if (name == "zv6" || name == "zv6open.ovl") {
                std::error_code ec;
                fs::create_hard_link(entry.path(), dir / name, ec);
                if (ec) fs::copy_file(entry.path(), dir / name);
            } else {
                fs::create_symlink(entry.path(), dir / name);
            }
        }
        runtime = folder.MakeDir("runtime");
        fs::permissions(runtime, fs::perms::owner_all);
    }
    std::string Program() const { return folder.Path() + "zv6"; }
    std::string Opening() const { return folder.Path() + "zv6open.ovl"; }

    // Starts the game with the environment of a desktop session plus `extra`; its stderr goes to
    // a file of its own.
    pid_t Start(const std::vector<std::string>& extra, const std::string& errFile) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string v = *e;
            if (v.rfind("XDG_RUNTIME_DIR=", 0) == 0 || v.rfind("DISPLAY=", 0) == 0 ||
                v.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
                v.rfind("SDL_VIDEODRIVER=", 0) == 0 || v.rfind("ZV6_LOBBY=", 0) == 0 ||
                v.rfind("ASAN_OPTIONS=", 0) == 0) {
                continue;
            }
            env.push_back(v);
        }
        // In a sanitizer build the real screen's system libraries (SDL, fontconfig, Xlib) keep
        // memory to the end; the program's own leaks are looked for by the in-process tests.
        const char* asan = std::getenv("ASAN_OPTIONS");
        env.push_back(std::string("ASAN_OPTIONS=") + (asan ? std::string(asan) + ":" : "") +
                      "detect_leaks=0");
        env.push_back("XDG_RUNTIME_DIR=" + runtime);
        env.push_back("SDL_AUDIODRIVER=dummy");
        for (const std::string& e : extra) env.push_back(e);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, (folder.Path() + errFile).c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        std::string program = Program();
        char* argv[] = {program.data(), nullptr};
        pid_t pid = -1;
        const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc == 0) started_.push_back(pid);
        return rc == 0 ? pid : -1;
    }
    // Whatever a failed check left running goes with the folder: a game left behind would hold
    // the test runner's output open, and the runner would wait for it for ever.
    ~ProgramFolder() {
        for (pid_t pid : started_) {
            if (::waitpid(pid, nullptr, WNOHANG) != 0) continue;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (Runs(Opening())) {
            for (const auto& entry : fs::directory_iterator("/proc")) {
                std::error_code e;
                if (fs::read_symlink(entry.path() / "exe", e) == fs::path(Opening()))
                    ::kill(std::atoi(entry.path().filename().c_str()), SIGKILL);
            }
        }
    }
    std::string Read(const std::string& file) const {
        std::ifstream in(folder.Path() + file);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    // The process id in the game's lock file, when that process still runs. Read, never
    // probed by taking the lock: a probe at the wrong moment would turn a starting game away.
    long Holder() const {
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        const long pid = core::InstanceLock::HolderPid(kLockName);
        if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0) return 0;
        // A child that ended and is not yet reaped still answers kill(); it holds nothing.
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string pidField, name, state;
        stat >> pidField >> name >> state;
        return state == "Z" ? 0 : pid;
    }
    std::string LockFile() const {
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        return core::InstanceLock::LockPath(kLockName);
    }

    rules::testing::TempFolder folder;
    std::string runtime;

  private:
    std::vector<pid_t> started_;
};

// Waits up to `seconds` for the process to end: its exit status, -1 when it did not end (it is
// then killed).
int WaitExit(pid_t pid, int seconds, double* took = nullptr) {
    const auto start = Clock::now();
    int status = 0;
    while (Clock::now() - start < std::chrono::seconds(seconds)) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            if (took) *took = std::chrono::duration<double>(Clock::now() - start).count();
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

// Whether any process runs the program file at `path`.
bool Runs(const std::string& path) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        std::error_code e2;
        const fs::path exe = fs::read_symlink(entry.path() / "exe", e2);
        if (!e2 && exe == fs::path(path)) return true;
    }
    return false;
}

// SIGTERM and SIGINT end the running program with status 0, the opening it waits for with it;
// a second copy ends at once and says why; the lock never outlives its holder.
TEST(ProgramProcess, SignalsEndItCleanlyAndTheNextStartComesUp) {
    ProgramFolder dir;
    const std::vector<std::string> screen = {"SDL_VIDEODRIVER=offscreen"};

    const pid_t first = dir.Start(screen, "first.err");
    ASSERT_GT(first, 0);
    ASSERT_TRUE(WaitFor([&] { return dir.Holder() == first; }, 60)) << dir.Read("first.err");
    // The opening runs: the game waits for it.
    EXPECT_TRUE(WaitFor([&] { return Runs(dir.Opening()); }, 30));

    // A second copy ends at once, saying so.
    const pid_t second = dir.Start(screen, "second.err");
    EXPECT_EQ(WaitExit(second, 30), 0);
    EXPECT_NE(dir.Read("second.err").find("already running (process " + std::to_string(first) + ")"),
              std::string::npos)
        << dir.Read("second.err");

    // SIGTERM while the opening plays: both end, the game with 0.
    double took = 0;
    ASSERT_EQ(::kill(first, SIGTERM), 0);
    EXPECT_EQ(WaitExit(first, 20, &took), 0) << dir.Read("first.err");
    std::printf("the game ended %.2f s after SIGTERM\n", took);
    EXPECT_TRUE(WaitFor([&] { return !Runs(dir.Opening()); }, 10)) << "the opening is left running";

    // The lock file is still there, naming a process that is gone: the next start comes up.
    EXPECT_TRUE(fs::exists(dir.LockFile()));
    EXPECT_EQ(core::InstanceLock::HolderPid(kLockName), first);
    const pid_t next = dir.Start(screen, "next.err");
    ASSERT_GT(next, 0);
    ASSERT_TRUE(WaitFor([&] { return dir.Holder() == next; }, 60)) << dir.Read("next.err");
    // Past the opening (a key ends it) or not, SIGINT ends it the same way.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_EQ(::kill(next, SIGINT), 0);
    EXPECT_EQ(WaitExit(next, 20, &took), 0) << dir.Read("next.err");
    std::printf("the game ended %.2f s after SIGINT\n", took);
    EXPECT_TRUE(WaitFor([&] { return !Runs(dir.Opening()); }, 10));
    EXPECT_EQ(dir.Holder(), 0);
}

// Given a display nobody serves, the game says so and ends: SDL would otherwise fall back to a
// driver that shows nothing, and the game would run where nobody can see it.
TEST(ProgramProcess, ADisplayNobodyServesIsReportedAndTheGameEnds) {
    const std::string number = "4093";
    if (fs::exists("/tmp/.X11-unix/X" + number)) GTEST_SKIP() << "an X server serves :" << number;
    ProgramFolder dir;
    const pid_t game = dir.Start({"DISPLAY=:" + number}, "game.err");
    ASSERT_GT(game, 0);
    EXPECT_EQ(WaitExit(game, 60), 1) << dir.Read("game.err");
    EXPECT_NE(dir.Read("game.err").find("the display DISPLAY=:" + number + " cannot be reached"), std::string::npos)
        << dir.Read("game.err");
    EXPECT_EQ(dir.Holder(), 0);
    EXPECT_FALSE(Runs(dir.Opening()));
}

#if defined(ZV_HAVE_X11)
// A virtual X server of its own (when one is installed), at 1920 x 1080 without a window manager.
class VirtualScreen {
  public:
    explicit VirtualScreen(const std::string& size) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 2, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        // -noreset: the server stays as it is when its last client leaves. The game's video
        // driver check opens and closes a connection just before it connects for good, and the
        // window lookups below do the same; each would otherwise set the server resetting while
        // the next connection comes in.
        std::string program = "/usr/bin/Xvfb", fd = "-displayfd", three = "3", screenArg = "-screen", zero = "0",
                    geometry = size + "x24", nolisten = "-nolisten", tcp = "tcp", noreset = "-noreset";
        char* argv[] = {program.data(), fd.data(),      three.data(), screenArg.data(), zero.data(),
                        geometry.data(), nolisten.data(), tcp.data(),   noreset.data(),   nullptr};
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        // Xvfb writes the number and its newline in two writes, and ends when the second finds
        // nobody reading: the pipe stays open until the newline (or the end) has come.
        std::string number;
        char c = 0;
        while (pid_ > 0 && number.size() < 16) {
            const ssize_t n = ::read(fds[0], &c, 1);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0 || c == '\n') break;
            number += c;
        }
        ::close(fds[0]);
        if (c == '\n' && !number.empty()) display_ = ":" + number;
    }
    ~VirtualScreen() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        fs::remove(log_, ignored);
    }
    const std::string& Display() const { return display_; }
    // What the server said, for a failure's message.
    std::string Log() const {
        std::ifstream in(log_);
        return "Xvfb said: " + std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    std::string log_ = (fs::temp_directory_path() / ("zv-xvfb-" + std::to_string(::getpid()) + ".err")).string();
    pid_t pid_ = -1;
    std::string display_;
};

// On a 1920 x 1080 screen without a window manager the game's window covers the whole screen.
TEST(ProgramProcess, OnALargeScreenWithoutAWindowManagerTheWindowCoversIt) {
    if (!fs::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "no Xvfb (package xvfb) to make a screen with";
    VirtualScreen xvfb("1920x1080");
    ASSERT_FALSE(xvfb.Display().empty()) << "Xvfb did not start";
    ProgramFolder dir;
    const pid_t game = dir.Start({"DISPLAY=" + xvfb.Display()}, "game.err");
    ASSERT_GT(game, 0);
    int left = -1, top = -1, width = 0, height = 0;
    EXPECT_TRUE(WaitFor([&] { return testing::WindowOfProcess(xvfb.Display(), game, &left, &top, &width, &height); },
                        60))
        << dir.Read("game.err") << xvfb.Log();
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(height, 1080);
    ASSERT_EQ(::kill(game, SIGTERM), 0);
    EXPECT_EQ(WaitExit(game, 20), 0) << dir.Read("game.err");
}
#endif

}  // namespace
}  // namespace zv
