#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "platform/core/Process.h"
#include "platform/core/tests/TempDir.h"

namespace zv::core {
namespace {

using zv::testing::TempDir;

std::string UniqueName(const char* base) {
    return std::string(base) + std::to_string(::getpid());
}

TEST(InstanceLock, OnlyOneHolderPerName) {
    const std::string name = UniqueName("HEZVGameFrameWindow");
    InstanceLock first;
    ASSERT_TRUE(first.TryAcquire(name));
    EXPECT_TRUE(first.IsHeld());
    {
        InstanceLock second;
        EXPECT_FALSE(second.TryAcquire(name));
        EXPECT_FALSE(second.IsHeld());
        InstanceLock other;
        EXPECT_TRUE(other.TryAcquire(name + "x"));
    }
    first.Release();
    InstanceLock third;
    EXPECT_TRUE(third.TryAcquire(name));
}

// The holder's process id is in the file; a file left by a process that is gone does not block.
TEST(InstanceLock, AFileLeftByAProcessThatIsGoneDoesNotBlock) {
    const std::string name = UniqueName("zv-stale-");
    {
        InstanceLock held;
        ASSERT_TRUE(held.TryAcquire(name));
        EXPECT_EQ(InstanceLock::HolderPid(name), long(::getpid()));
        InstanceLock second;
        EXPECT_FALSE(second.TryAcquire(name));
    }
    // A process that has ended wrote its id, and its file stays.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ASSERT_GT(gone, 0);
    int status = 0;
    ::waitpid(gone, &status, 0);
    const std::string path = InstanceLock::LockPath(name);
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "%d\n", int(gone));
    std::fclose(f);
    EXPECT_EQ(InstanceLock::HolderPid(name), long(gone));
    InstanceLock next;
    EXPECT_TRUE(next.TryAcquire(name));
    EXPECT_EQ(InstanceLock::HolderPid(name), long(::getpid()));
    next.Release();
    std::remove(path.c_str());
    EXPECT_EQ(InstanceLock::HolderPid(name), 0);
}

TEST(InstanceLock, NamesBecomeSafeFileNames) {
    const std::string path = InstanceLock::LockPath("../a b/c");
    EXPECT_TRUE(path.ends_with("-___a_b_c.lock")) << path;
    EXPECT_EQ(path.find("/../"), std::string::npos);
    EXPECT_EQ(path.front(), '/');
}

class SpawnTest : public ::testing::Test {
  protected:
    std::string Script(const std::string& name, const std::string& body) {
        const std::string path = dir.Put(name, "#!/bin/sh\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
        return path;
    }
    TempDir dir;
};

TEST_F(SpawnTest, RunsInTheWorkingDirectoryAndReturnsTheExitCode) {
    Script("Bin/ZV6OPEN.OVL", "pwd > here.txt\nexit 3");
    const std::string work = dir.MakeDir("Work");
    EXPECT_EQ(SpawnAndWait(dir.Path() + "\\bin\\zv6open.ovl", work), 3);
    EXPECT_EQ(TempDir::Read(work + "/here.txt"), work + "\n");
}

TEST_F(SpawnTest, Failures) {
    Script("ok.sh", "exit 0");
    Script("signal.sh", "kill -TERM $$");
    dir.Put("plain.txt", "not a program");
    struct Case {
        std::string program;
        std::string workingDir;
        int expected;
    };
    const Case cases[] = {
        {dir.Path() + "ok.sh", "", 0},
        {dir.Path() + "missing.ovl", "", -1},
        {dir.Path() + "plain.txt", "", -1},
        {dir.Path() + "ok.sh", dir.Path() + "NoSuchDir", -1},
        {dir.Path() + "signal.sh", "", 128 + 15},
        {"", "", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SpawnAndWait(c.program, c.workingDir), c.expected)
            << c.program << " " << c.workingDir;
    }
}

}  // namespace
}  // namespace zv::core
