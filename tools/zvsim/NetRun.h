#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The network development runner: several processes joined into one computer-only lock-step game
// without windows. `net-host` opens a session, waits for its clients, sends them the map and the
// troops and runs the clock; `net-join` finds the session on the local network (127.0.0.1 and the
// broadcast address), joins it and executes the host's journals; `net-game` spawns one host and
// its clients and checks that every participant printed the same table hashes after every day
// and at the end.
namespace zv::zvsim {

struct NetOptions {
    std::string command;  // net-host, net-join or net-game
    std::string programDir;
    std::string self;  // this program, for net-game
    std::string map = "MAP00001.ddm";
    std::string session = "zvsim";
    std::int64_t minutes = 400;
    int clients = 2;
    std::uint32_t seed = 1;
    std::uint16_t discoveryBase = 0;  // 0: derived from the process id (net-game) or default
    std::uint32_t timeoutMs = 240000;
};

bool ParseNetArguments(const std::vector<std::string>& args, NetOptions& options,
                       std::string& error);
// Exit status: 0 done (net-game: all hashes agree), 1 hashes differ or a participant failed,
// 3 unreadable data, 4 the session could not be made or timed out.
int RunNet(const NetOptions& options);

}  // namespace zv::zvsim
