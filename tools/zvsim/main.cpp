// zvsim: plays a map or saved game without windows, the computer playing every country.
//
//   zvsim run --map FILE [--minutes N] [--seed S] [--computer-all] [--replay-check]
//             [--reference-searches] [--program-dir DIR]
//
// FILE is a name in the program directory's MAP folder (SAVE for a name ending in ".ddg").
// Without --minutes the game runs until it is decided or its day limit passes.
//
// One line per game day, then "minutes=N outcome=TEXT hash=HEX step_mean_us=N step_p95_us=N
// step_worst_us=N wall_mean_us=N wall_p95_us=N wall_worst_us=N": the step_ figures are the
// stepping thread's processor time, the wall_ figures include whatever else the machine ran.
// Exit status: 0 done, 1 the replay check failed, 2 wrong command line,
// 3 unreadable data, 12 out of memory.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/OutOfMemory.h"
#include "platform/core/Paths.h"
#include "tools/zvsim/NetRun.h"
#include "tools/zvsim/SimRun.h"

int main(int argc, char** argv) {
    zv::core::InstallOutOfMemoryExit("zvsim");
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0].rfind("net-", 0) == 0) {
        zv::zvsim::NetOptions net;
        net.programDir = zv::core::ExecutableDirectory();
        net.self = "/proc/self/exe";
        std::string error;
        if (!zv::zvsim::ParseNetArguments(args, net, error)) {
            std::fprintf(stderr,
                         "zvsim: %s\n"
                         "usage: zvsim net-game|net-host|net-join [--map FILE] [--minutes N]\n"
                         "             [--clients N] [--session NAME] [--discovery-base PORT]\n"
                         "             [--faults delay=MS,jitter=MS,drop=PCT,stall=EVERY/FOR]\n"
                         "             [--kill host|client --kill-minute M]\n",
                         error.c_str());
            return 2;
        }
        return zv::zvsim::RunNet(net);
    }
    zv::zvsim::RunOptions options;
    options.programDir = zv::core::ExecutableDirectory();
    std::string error;
    if (!zv::zvsim::ParseRunArguments(args, options, error)) {
        std::fprintf(stderr,
                     "zvsim: %s\n"
                     "usage: zvsim run --map FILE [--minutes N] [--seed S] [--computer-all]\n"
                     "                 [--replay-check] [--reference-searches]\n"
                     "                 [--program-dir DIR]\n"
                     "FILE names a map in DIR/MAP (a .ddg name: a saved game in DIR/SAVE);\n"
                     "without --minutes the game is played to its end or its day limit.\n",
                     error.c_str());
        return 2;
    }
    const zv::zvsim::RunResult result = zv::zvsim::Run(options);
    for (const std::string& line : result.lines) std::printf("%s\n", line.c_str());
    for (const std::string& line : result.errors) std::fprintf(stderr, "%s\n", line.c_str());
    return result.exitCode;
}
