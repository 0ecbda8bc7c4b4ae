#include "tools/zvsim/NetRun.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "netplay/SessionManager.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "simulation/ClockStepWorld.h"

extern char** environ;

namespace zv::zvsim {

namespace {

using Clock = std::chrono::steady_clock;

transport::Guid RunnerApplication() {
    transport::Guid g;
    const char tag[] = "ZV6-zvsim-netrun";
    for (std::size_t i = 0; i < g.bytes.size(); ++i) g.bytes[i] = static_cast<std::uint8_t>(tag[i]);
    return g;
}

std::string Hex64(std::uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

// The GUI thread of a participant: the main loop serves the receive thread's hand-overs.
class Participant : public net::NetworkEventTarget, public net::NetworkGui {
  public:
    Participant(const NetOptions& options) : options_(options) {
        net::SessionManagerOptions o;
        o.application = RunnerApplication();
        o.transport.bindAddress = "127.0.0.1";
        o.transport.discoveryBase = options.discoveryBase;
        o.transport.searchAddresses = {"127.0.0.1"};
        o.transport.deadPeerMs = 5000;
        o.transport.faults = options.faults;
        o.blockPauseMs = 1;
        o.nextGameSettingWaitMs = 0;
        o.log = [](std::string_view line) {
            std::fprintf(stderr, "zvsim: %.*s\n", static_cast<int>(line.size()), line.data());
        };
        manager_ = std::make_unique<net::SessionManager>(o);
        manager_->SetNotifyTarget(this);
        manager_->SetGui(this);
        deadline_ = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
    }
    ~Participant() override {
        manager_->Close();
        handOff_.Close();
    }

    // NetworkEventTarget.
    void SendNetworkEvent(std::uint32_t w, const void* l) override {
        handOff_.Call([&] {
            const int type = static_cast<int>(w & 0xFFFF);
            const int parameter = static_cast<int>(w >> 16);
            const bool host = manager_->IsHost();
            const bool playing = manager_->State() == net::kStateStarted;
            manager_->OnNetworkEvent(w, l);
            if (type == net::ZVCMSG_GAME_FROM_SERVER) AfterJournal();
            if (type == net::ZVCMSG_GAME_END) ended_ = true;
            if (type == net::ZVCMSG_DISCCONECT && host && playing && parameter > 0 &&
                parameter < net::kSlotCount) {
                // The manager retired the leaver's country; the game goes on without it.
                Print("left slot=" + std::to_string(parameter) + " name=" + names_[parameter] +
                      " minute=" + std::to_string(steps_));
            }
            if (!host && !ended_ &&
                (type == net::ZVCMSG_SESSION_LOST ||
                 (type == net::ZVCMSG_DISCCONECT && (parameter == 0 || parameter == 0xFFFF))))
                hostLost_ = true;
        });
    }
    void SendLinkQuality(int) override {}
    void SendWaitMask(std::uint16_t) override {}
    void ServePendingSends() override { handOff_.Serve(); }

    // NetworkGui.
    // A client begins play as the game-start message arrives, before the next message is
    // served, as the program's frame does (it is sent the begin message synchronously): a
    // journal that arrives in the same batch then runs on the begun game.
    void BeginPlay() override {
        begin_ = true;
        if (!manager_->IsHost()) StartPlay();
    }
    void MapDelivered() override { mapDelivered_ = true; }

    bool Load(std::string& error) {
        if (!game_.Load(options_.programDir, options_.map, error)) return false;
        manager_->AttachGame(&game_.Sim(), &game_.Tables());
        game_.Sim().SetSession(manager_.get());
        return true;
    }

    // Serves hand-overs until pred holds or the time is up.
    template <typename Pred>
    bool ServeUntil(Pred pred) {
        while (!pred()) {
            if (Clock::now() > deadline_ || hostLost_) return false;
            handOff_.ServeFor(5);
        }
        return true;
    }

    // A participant killed on purpose: no goodbye, the sockets closed by the system.
    void DieAt(std::int64_t minute) {
        if (options_.dieAtMinute > 0 && minute == options_.dieAtMinute) {
            std::fflush(stdout);
            raise(SIGKILL);
        }
    }

    void StartPlay() {
        sim::HeadlessStartOptions start;
        start.computerAll = true;
        start.seed = options_.seed;
        start.playerCountry = rules::kNoCountry;
        game_.BeginPlay(start);
        rules::WriteS32(game_.Tables().GetTableBase(rules::TableId::GameSettings),
                        rules::GameSettingsRecord::kSinglePlay, 0);
        Print("begin hash=" + Hex64(game_.Tables().HashLiveTables()));
        lastDay_ = Day();
        for (int s = 0; s < net::kSlotCount; ++s) names_[s] = manager_->SlotName(s);
    }

    int Day() {
        rules::ScenarioHeaderCursor header(game_.Tables());
        return header.GetDay();
    }
    void AfterJournal() {
        ++journals_;
        if (!manager_->IsHost()) DieAt(journals_);
        const int day = Day();
        if (day != lastDay_) {
            lastDay_ = day;
            Print("day=" + std::to_string(day) + " hash=" + Hex64(game_.Tables().HashLiveTables()));
        }
        // Every game hour too, so that a participant that stops early is compared as far as it
        // got.
        if (journals_ % 60 == 0) {
            Print("minute=" + std::to_string(journals_) +
                  " hash=" + Hex64(game_.Tables().HashLiveTables()));
        }
    }
    void Print(const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }

    int Host();
    int Join();

  private:
    NetOptions options_;
    net::SyncHandOff handOff_;
    std::unique_ptr<net::SessionManager> manager_;
    sim::HeadlessGame game_;
    Clock::time_point deadline_;
    bool begin_ = false;
    bool mapDelivered_ = false;
    bool ended_ = false;
    bool hostLost_ = false;
    int lastDay_ = -1;
    std::int64_t journals_ = 0;
    std::int64_t steps_ = 0;
    std::array<std::string, net::kSlotCount> names_;
};

int Participant::Host() {
    std::string error;
    if (!Load(error)) {
        std::fprintf(stderr, "zvsim: %s\n", error.c_str());
        return 3;
    }
    manager_->OpenTransport();
    if (!options_.name.empty()) manager_->Connection()->SetPlayerName(options_.name);
    if (!manager_->Host(6, options_.session.c_str())) {
        std::fprintf(stderr, "zvsim: cannot host the session\n");
        return 4;
    }
    std::string text;
    if (!ServeUntil([&] {
            return manager_->CountOccupiedSlots() == options_.clients + 1 &&
                   manager_->CheckAllConnected(text) == 0;
        })) {
        std::fprintf(stderr, "zvsim: the clients did not all join in time\n");
        return 4;
    }
    // Every participant leads a country (all played by the computer).
    std::uint8_t* block = manager_->MutableSettingBlock();
    for (int s = 0; s <= options_.clients; ++s) {
        std::uint8_t* p = block + net::GameSettingBlock::Player(s);
        rules::WriteS32(p, net::PlayerSetting::kSlot, s);
        rules::WriteS32(p, net::PlayerSetting::kCountry, s % 4 + 1);
    }
    rules::WriteU16(block, net::GameSettingBlock::kTurn, net::kTurnDone);
    manager_->SendNextMapSelect();
    if (!manager_->SendMapData(options_.programDir, options_.map) ||
        !ServeUntil([&] { return mapDelivered_; })) {
        std::fprintf(stderr, "zvsim: the map did not reach every client\n");
        return 4;
    }
    std::vector<std::uint8_t> settings(block, block + net::GameSettingBlock::kSize);
    manager_->SendGameSettingNext(settings.data());
    if (!manager_->SendAllTroopData() || !ServeUntil([&] { return begin_; })) {
        std::fprintf(stderr, "zvsim: the troops did not reach every client\n");
        return 4;
    }
    StartPlay();
    std::int64_t& steps = steps_;
    std::int64_t longestWaitMs = 0;
    while (steps < options_.minutes && !game_.Outcome().over) {
        const auto waitStart = Clock::now();
        if (!ServeUntil([&] {
                return game_.Sim().GetBusyMask() == 0 && game_.Sim().GetCombinedWaitWord() == 0;
            })) {
            std::fprintf(
                stderr, "zvsim: the participants stopped answering at minute %" PRId64 "\n", steps);
            return 4;
        }
        longestWaitMs = std::max<std::int64_t>(
            longestWaitMs,
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - waitStart)
                .count());
        DieAt(steps);
        game_.Step();
        AfterJournal();
        ++steps;
    }
    // The last journal is executed everywhere once every order part of the next step is in.
    if (!ServeUntil([&] { return game_.Sim().GetBusyMask() == 0; })) return 4;
    Print("final minutes=" + std::to_string(steps) +
          " hash=" + Hex64(game_.Tables().HashLiveTables()));
    Print("wait longest_ms=" + std::to_string(longestWaitMs));
    manager_->SendGameEnd();
    // Clients leave first; then the host closes.
    ServeUntil([&] { return manager_->CountOccupiedSlots() == 1; });
    return 0;
}

int Participant::Join() {
    std::string error;
    if (!Load(error)) {
        std::fprintf(stderr, "zvsim: %s\n", error.c_str());
        return 3;
    }
    // The map tables come from the host.
    for (rules::TableId id :
         {rules::TableId::Site, rules::TableId::Troop, rules::TableId::Hex, rules::TableId::HexInfo,
          rules::TableId::Country, rules::TableId::ScenarioHeader, rules::TableId::Force}) {
        std::memset(game_.Tables().GetTableBase(id), 0, game_.Tables().GetTableTotalBytes(id));
    }
    manager_->OpenTransport();
    net::SessionConnection* connection = manager_->Connection();
    if (!options_.name.empty()) connection->SetPlayerName(options_.name);
    bool searching = false;
    connection->ToggleSearch(searching);
    int row = -1;
    while (row < 0 && Clock::now() < deadline_) {
        connection->RefreshSessions();
        for (std::size_t i = 0; i < connection->Rows().size(); ++i) {
            const net::SessionNode* node = connection->RowNode(static_cast<int>(i));
            if (node && node->text.rfind(options_.session + " (", 0) == 0)
                row = static_cast<int>(i);
        }
        if (row < 0) core::SleepMs(50);
    }
    connection->StopBrowsing();
    if (row < 0) {
        std::fprintf(stderr, "zvsim: no session named %s was found\n", options_.session.c_str());
        return 4;
    }
    connection->RefreshSessions();
    connection->SelectRow(row);
    bool joined = false;
    // The list may have changed order between the two reads; join the session by its name.
    for (std::size_t i = 0; i < connection->Rows().size(); ++i) {
        const net::SessionNode* node = connection->RowNode(static_cast<int>(i));
        if (node && node->text.rfind(options_.session + " (", 0) == 0)
            connection->SelectRow(static_cast<int>(i));
    }
    if (!manager_->Join(joined) || !joined) {
        std::fprintf(stderr, "zvsim: joining the session failed\n");
        return 4;
    }
    if (!ServeUntil([&] { return begin_; })) {
        std::fprintf(stderr, hostLost_ ? "zvsim: the host left before the game started\n"
                                       : "zvsim: the game did not start\n");
        return hostLost_ ? 5 : 4;
    }
    if (!ServeUntil([&] { return ended_; })) {
        if (hostLost_) {
            std::fprintf(stderr, "zvsim: the host left the game after %" PRId64 " minutes\n",
                         journals_);
            Print("host-left minutes=" + std::to_string(journals_));
            return 5;
        }
        std::fprintf(stderr, "zvsim: the game did not end in time\n");
        return 4;
    }
    Print("final minutes=" + std::to_string(journals_) +
          " hash=" + Hex64(game_.Tables().HashLiveTables()));
    manager_->Leave();
    return 0;
}

bool ParseNumber(const std::string& text, std::int64_t low, std::int64_t high, std::int64_t& out) {
    if (text.empty() || text.size() > 12) return false;
    std::int64_t value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return false;
        value = value * 10 + (ch - '0');
    }
    if (value < low || value > high) return false;
    out = value;
    return true;
}

struct Child {
    pid_t pid = -1;
    std::string out;
};

Child Spawn(const NetOptions& o, const std::string& command, const std::string& out, int index,
            bool victim) {
    std::vector<std::string> args = {o.self,
                                     command,
                                     "--map",
                                     o.map,
                                     "--session",
                                     o.session,
                                     "--minutes",
                                     std::to_string(o.minutes),
                                     "--clients",
                                     std::to_string(o.clients),
                                     "--discovery-base",
                                     std::to_string(o.discoveryBase),
                                     "--program-dir",
                                     o.programDir,
                                     "--seed",
                                     std::to_string(o.seed),
                                     "--timeout",
                                     std::to_string(o.timeoutMs)};
    if (!o.faultsText.empty()) {
        // Each participant draws its own delays.
        args.push_back("--faults");
        args.push_back(o.faultsText + ",seed=" + std::to_string(o.faults.seed * 7 + index));
    }
    args.push_back("--name");
    args.push_back(index == 0 ? std::string("host") : "client" + std::to_string(index - 1));
    if (victim) {
        args.push_back("--die-at-minute");
        args.push_back(std::to_string(o.killMinute));
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Child child;
    child.out = out;
    if (posix_spawn(&child.pid, o.self.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool IsHashLine(const std::string& line) {
    return line.rfind("begin ", 0) == 0 || line.rfind("day=", 0) == 0 ||
           line.rfind("minute=", 0) == 0 || line.rfind("final ", 0) == 0;
}

std::string StatusText(int status) {
    if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return WTERMSIG(status) == SIGKILL ? "killed" : "signal";
    return "?";
}

int RunGame(NetOptions o) {
    if (o.discoveryBase == 0)
        o.discoveryBase = static_cast<std::uint16_t>(30000 + (getpid() % 1000) * 16);
    o.session += "-" + std::to_string(getpid());
    const std::string dir = "/tmp/zvsim-net-" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    // Participant 0 is the host; the victim, when there is one, the host or the last client.
    const int victim = o.kill == "host" ? 0 : o.kill == "client" ? o.clients : -1;
    std::vector<Child> children;
    children.push_back(Spawn(o, "net-host", dir + "/host.out", 0, victim == 0));
    for (int c = 0; c < o.clients; ++c) {
        children.push_back(Spawn(o, "net-join", dir + "/client" + std::to_string(c) + ".out", c + 1,
                                 victim == c + 1));
    }
    int failed = 0;
    std::vector<std::string> statuses;
    for (std::size_t k = 0; k < children.size(); ++k) {
        int status = 0;
        const bool waited = children[k].pid >= 0 && waitpid(children[k].pid, &status, 0) >= 0;
        statuses.push_back(waited ? StatusText(status) : "not started");
        // What each participant must end with: the victim is killed (or the game ended before
        // its minute); the clients of a killed host say so; everybody else finishes.
        bool ok = waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (static_cast<int>(k) == victim)
            ok = waited && ((WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) || ok);
        else if (victim == 0)
            ok = waited && WIFEXITED(status) && WEXITSTATUS(status) == 5;
        if (!ok) {
            std::fprintf(stderr, "zvsim: participant %s failed (%s)\n", children[k].out.c_str(),
                         statuses.back().c_str());
            ++failed;
        }
    }
    std::vector<std::vector<std::string>> outputs, hashes;
    for (Child& child : children) {
        outputs.push_back(ReadLines(child.out));
        hashes.emplace_back();
        for (const std::string& line : outputs.back())
            if (IsHashLine(line)) hashes.back().push_back(line);
    }
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        for (const std::string& line : outputs[k])
            std::printf("%s: %s\n", k == 0 ? "host" : ("client" + std::to_string(k - 1)).c_str(),
                        line.c_str());
    }
    int result = failed ? 1 : 0;
    // Every two participants agree as far as both got; those that finished, on everything.
    auto finished = [&](std::size_t k) { return static_cast<int>(k) != victim && victim != 0; };
    for (std::size_t a = 0; a < hashes.size(); ++a) {
        for (std::size_t b = a + 1; b < hashes.size(); ++b) {
            const std::size_t common = std::min(hashes[a].size(), hashes[b].size());
            if (finished(a) && finished(b) && hashes[a].size() != hashes[b].size()) {
                std::fprintf(stderr, "zvsim: participants %zu and %zu printed %zu and %zu lines\n",
                             a, b, hashes[a].size(), hashes[b].size());
                result = 1;
            }
            for (std::size_t i = 0; i < common; ++i) {
                if (hashes[a][i] != hashes[b][i]) {
                    std::fprintf(stderr, "zvsim: participants %zu and %zu differ: '%s', '%s'\n", a,
                                 b, hashes[a][i].c_str(), hashes[b][i].c_str());
                    result = 1;
                    break;
                }
            }
        }
    }
    bool sawFinal = false;
    for (std::size_t k = 0; k < hashes.size(); ++k) {
        if (!finished(k)) continue;
        bool final = false;
        for (const std::string& line : hashes[k]) final |= line.rfind("final ", 0) == 0;
        if (!final) result = 1;
        sawFinal |= final;
    }
    // A killed host leaves nobody to finish; its clients must have said so.
    if (victim != 0 && !sawFinal) result = 1;
    std::string statusList;
    for (const std::string& text : statuses) statusList += (statusList.empty() ? "" : ",") + text;
    std::printf("net-game: statuses=%s\n", statusList.c_str());
    for (Child& child : children) std::remove(child.out.c_str());
    rmdir(dir.c_str());
    std::printf("%s\n", result == 0 ? "net-game: every participant agrees" : "net-game: FAILED");
    return result;
}

}  // namespace

bool ParseNetArguments(const std::vector<std::string>& args, NetOptions& options,
                       std::string& error) {
    if (args.empty() || (args[0] != "net-host" && args[0] != "net-join" && args[0] != "net-game")) {
        error = "not a network command";
        return false;
    }
    options.command = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size()) {
            error = "incomplete argument: " + a;
            return false;
        }
        const std::string& v = args[++i];
        std::int64_t n = 0;
        if (a == "--map") {
            options.map = v;
        } else if (a == "--session" && !v.empty() && v.size() < 40) {
            options.session = v;
        } else if (a == "--name" && !v.empty() && v.size() <= transport::kMaxPlayerNameBytes) {
            options.name = v;
        } else if (a == "--program-dir") {
            options.programDir = v;
        } else if (a == "--minutes" && ParseNumber(v, 1, 1000000, n)) {
            options.minutes = n;
        } else if (a == "--clients" && ParseNumber(v, 1, 5, n)) {
            options.clients = static_cast<int>(n);
        } else if (a == "--seed" && ParseNumber(v, 0, 0xFFFFFFFFll, n)) {
            options.seed = static_cast<std::uint32_t>(n);
        } else if (a == "--discovery-base" && ParseNumber(v, 0, 65000, n)) {
            options.discoveryBase = static_cast<std::uint16_t>(n);
        } else if (a == "--timeout" && ParseNumber(v, 1000, 3600000, n)) {
            options.timeoutMs = static_cast<std::uint32_t>(n);
        } else if (a == "--faults") {
            std::string why;
            if (!transport::ParseNetFaults(v, options.faults, why)) {
                error = why;
                return false;
            }
            options.faultsText = v;
        } else if (a == "--kill" && (v == "host" || v == "client")) {
            options.kill = v;
        } else if (a == "--kill-minute" && ParseNumber(v, 1, 1000000, n)) {
            options.killMinute = n;
        } else if (a == "--die-at-minute" && ParseNumber(v, 1, 1000000, n)) {
            options.dieAtMinute = n;
        } else {
            error = "unknown or bad argument: " + a + " " + v;
            return false;
        }
    }
    if (!options.kill.empty() && options.killMinute == 0) {
        error = "--kill needs --kill-minute";
        return false;
    }
    return true;
}

int RunNet(const NetOptions& options) {
    if (options.command == "net-game") return RunGame(options);
    NetOptions o = options;
    if (o.discoveryBase == 0) o.discoveryBase = transport::kDefaultDiscoveryPort;
    Participant participant(o);
    return o.command == "net-host" ? participant.Host() : participant.Join();
}

}  // namespace zv::zvsim
