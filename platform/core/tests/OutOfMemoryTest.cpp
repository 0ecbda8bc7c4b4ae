#include "platform/core/OutOfMemory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

namespace zv::core {
namespace {

// The test framework catches what a death test's statement throws, so the failures come from
// where nothing catches them: a function that may not throw, and another thread.
[[noreturn]] void Throw(bool outOfMemory) {
    if (outOfMemory) throw std::bad_alloc();
    throw std::logic_error("a fault");
}
void Uncaught(bool outOfMemory) noexcept {
    Throw(outOfMemory);
}

class OutOfMemoryExit : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(OutOfMemoryExit, AnUncaughtBadAllocOnAnyThreadEndsWithTheLineAndTheStatus) {
    EXPECT_EXIT(
        {
            InstallOutOfMemoryExit("zvtest");
            Uncaught(true);
        },
        ::testing::ExitedWithCode(kExitOutOfMemory), "^zvtest: out of memory; the program ends");
    EXPECT_EXIT(
        {
            InstallOutOfMemoryExit("zvtest", 0);
            std::thread([] { Throw(true); }).join();
        },
        ::testing::ExitedWithCode(0), "zvtest: out of memory");
}

void ReportAndExit() {
    // The report runs after the line, with memory to spare, and may end the program itself.
    std::vector<char> room(1 << 20, 'x');
    static const char kText[] = "reported\n";
    [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, kText, sizeof kText - 1);
    std::_Exit(room[0] == 'x' ? 7 : 8);
}

TEST_F(OutOfMemoryExit, TheReportRunsAfterTheLine) {
    EXPECT_EXIT(
        {
            InstallOutOfMemoryExit("zvtest", 0, &ReportAndExit);
            Uncaught(true);
        },
        ::testing::ExitedWithCode(7), "out of memory[^\n]*\nreported");
}

TEST_F(OutOfMemoryExit, OtherFailuresAndCaughtBadAllocsAreLeftAlone) {
    EXPECT_DEATH(
        {
            InstallOutOfMemoryExit("zvtest");
            Uncaught(false);
        },
        "");
    EXPECT_EXIT(
        {
            InstallOutOfMemoryExit("zvtest");
            try {
                throw std::bad_alloc();
            } catch (const std::bad_alloc&) {
                // A refused oversized request, handled where it happened.
            }
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace zv::core
