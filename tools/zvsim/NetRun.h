#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/net/Transport.h"

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
    std::string name;  // the participant's player name (net-game: host, client0, ...)
    std::int64_t minutes = 400;
    int clients = 2;
    std::uint32_t seed = 1;
    std::uint16_t discoveryBase = 0;  // 0: derived from the process id (net-game) or default
    std::uint32_t timeoutMs = 240000;
    // Test faults of every participant's transport (each with its own seed).
    transport::NetFaults faults;
    std::string faultsText;
    // net-game: who is killed (SIGKILL, no goodbye) once the game reached killMinute: "host",
    // "client" (the last one) or empty for nobody. net-host/net-join: dieAtMinute > 0 kills
    // this process there.
    std::string kill;
    std::int64_t killMinute = 0;
    std::int64_t dieAtMinute = 0;
};

bool ParseNetArguments(const std::vector<std::string>& args, NetOptions& options,
                       std::string& error);
// Exit status: 0 done (net-game: all hashes agree), 1 hashes differ or a participant failed,
// 3 unreadable data, 4 the session could not be made or timed out, 5 (net-join) the host left
// the game before its end. A host whose client leaves goes on with the others and prints
// "left slot=N name=NAME minute=M"; net-game then expects the survivors to agree, and the one
// killed to agree as far as it got.
int RunNet(const NetOptions& options);

}  // namespace zv::zvsim
