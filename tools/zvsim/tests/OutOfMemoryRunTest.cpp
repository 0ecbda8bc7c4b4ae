// The runner under an address-space limit too small for a game ends with its message and its
// status, never the runtime's abort and a core dump.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/core/OutOfMemory.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizedAllocator = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizedAllocator = true;
#else
constexpr bool kSanitizedAllocator = false;
#endif
#else
constexpr bool kSanitizedAllocator = false;
#endif

struct Outcome {
    int status = -1;
    int signal = 0;
    std::string errors;
};

Outcome RunLimited(rlim_t bytes) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::close(pipeFds[0]);
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_AS, &limit);
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::execl(ZVSIM_PATH, "zvsim", "run", "--map", "MAP00001.ddm", "--minutes", "500",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    Outcome outcome;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        outcome.errors.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    return outcome;
}

TEST(OutOfMemoryRun, TheRunnerEndsWithItsMessageAndStatus) {
    if (kSanitizedAllocator) GTEST_SKIP() << "the sanitizer's allocator ends the process itself";
    // Small enough that the tables cannot be loaded, large enough for the program to start.
    const Outcome outcome = RunLimited(rlim_t(9000) * 1024);
    EXPECT_EQ(outcome.signal, 0) << outcome.errors;
    EXPECT_EQ(outcome.status, zv::core::kExitOutOfMemory) << outcome.errors;
    EXPECT_NE(outcome.errors.find("zvsim: out of memory"), std::string::npos) << outcome.errors;
}

}  // namespace
