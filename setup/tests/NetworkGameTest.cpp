// A network game played end to end by three processes of the program on loopback: a host and two
// clients (zv_net_participant), each the whole program on a memory screen of its own size driven
// by mouse and keys. They set the game up through the pages, chat, deploy, play with an order each at the
// fastest speed and write their tables' hash at every new game day. One client is then killed;
// the host and the other client play on to the day limit, see the end, return to the title and
// quit. Their hashes agree day by day, and the killed client's agree as far as it got.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A TCP port that is free now (the kernel's choice), so parallel runs do not collide.
int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t n = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n) == 0) {
        port = ntohs(a.sin_port);
    }
    ::close(s);
    return port;
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lines of a kind ("day=", "final ", "chat ", ...).
std::vector<std::string> LinesStarting(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        if (l.rfind(prefix, 0) == 0) out.push_back(l);
    }
    return out;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines) {
        if (l == line) return true;
    }
    return false;
}

struct Process {
    std::string role;
    fs::path out;
    pid_t pid = -1;
    int status = -1;  // waitpid's, once ended
    bool ended = false;

    bool Poll() {
        if (!ended && pid > 0 && ::waitpid(pid, &status, WNOHANG) == pid) ended = true;
        return ended;
    }
    std::vector<std::string> Lines() const { return ReadLines(out); }
    bool Says(const std::string& line) const { return Has(Lines(), line); }
    bool ExitedCleanly() const { return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

class NetworkGame : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zv-netgame-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        fs::create_directories("screenshots");
        port = FreePort();
        ASSERT_GT(port, 0);
        session = "netgame-" + std::to_string(::getpid());
    }
    void TearDown() override {
        // Nothing outlives the test.
        for (Process& p : people) {
            if (!p.Poll() && p.pid > 0) {
                ::kill(p.pid, SIGKILL);
                ::waitpid(p.pid, &p.status, 0);
                p.ended = true;
            }
        }
        if (!HasFailure()) fs::remove_all(dir);
    }

    Process& Start(const std::string& role, const std::string& name, const std::string& shots, bool waitKill,
                   int players = 3, const std::string& screen = "1024x768") {
        Process p;
        p.role = role;
        p.out = dir / (shots + ".out");
        std::vector<std::string> args = {ZV_NET_PARTICIPANT, "--role", role, "--name", name, "--session", session,
                                         "--port", std::to_string(port), "--out", p.out.string(), "--shots",
                                         "screenshots/" + shots, "--wait-kill", waitKill ? "1" : "0",
                                         "--players", std::to_string(players), "--screen", screen};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&p.pid, ZV_NET_PARTICIPANT, nullptr, nullptr, argv.data(), environ), 0);
        people.push_back(p);
        return people.back();
    }

    // Waits until `done` holds; false when the time is up or a process failed meanwhile.
    bool Until(const std::function<bool()>& done, int seconds) {
        const auto end = Clock::now() + std::chrono::seconds(seconds);
        while (!done()) {
            if (Clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return true;
    }

    std::string Report() const {
        std::string text;
        for (const Process& p : people) {
            text += "--- " + p.out.filename().string() + "\n";
            for (const std::string& l : p.Lines()) text += l + "\n";
        }
        return text;
    }

    fs::path dir;
    int port = 0;
    std::string session;
    std::vector<Process> people;
};

TEST_F(NetworkGame, ThreeProcessesPlayAGameOneClientIsKilledAndTheOthersPlayToTheEnd) {
    people.reserve(3);
    // Each on a screen of its own size: what one sees of the map is nobody else's business.
    Process& host = Start("host", "ホスト", "netgame_host", false, 3, "1024x768");
    Process& stays = Start("client", "あかね", "netgame_client1", false, 3, "800x600");
    Process& killed = Start("client", "ぼく", "netgame_client2", true, 3, "1280x1024");

    // Everybody plays; the one to be killed has given its order and played on.
    ASSERT_TRUE(Until(
        [&] {
            for (Process& p : people) {
                if (p.Poll()) return true;
            }
            return killed.Says("stage waiting") && stays.Says("stage hours_later") && host.Says("stage hours_later");
        },
        300))
        << Report();
    ASSERT_FALSE(host.ended || stays.ended || killed.ended) << Report();
    ::kill(killed.pid, SIGKILL);
    ::waitpid(killed.pid, &killed.status, 0);
    killed.ended = true;

    // The other two play to the day limit, see the end, return to the title and quit.
    EXPECT_TRUE(Until([&] { return host.Poll() && stays.Poll(); }, 400)) << Report();
    EXPECT_TRUE(host.ExitedCleanly()) << Report();
    EXPECT_TRUE(stays.ExitedCleanly()) << Report();

    const std::vector<std::string> h = host.Lines(), c1 = stays.Lines(), c2 = killed.Lines();
    for (const auto* lines : {&h, &c1, &c2}) {
        EXPECT_TRUE(LinesStarting(*lines, "fail ").empty()) << Report();
        // Each saw the three chat lines, its own and the others'.
        for (const char* line : {"chat ホスト>こんにちは、ホストです", "chat あかね>こんにちは、あかねです",
                                 "chat ぼく>こんにちは、ぼくです"}) {
            EXPECT_TRUE(Has(*lines, line)) << line << "\n" << Report();
        }
        // Each gave an order by mouse and its troop moved.
        EXPECT_FALSE(LinesStarting(*lines, "order ").empty());
        EXPECT_TRUE(Has(*lines, "stage moved"));
    }
    // Each played on its own screen and saw a map window of its own size.
    std::vector<std::string> maps;
    for (const auto& [lines, screen] : {std::pair{&h, "1024x768"}, std::pair{&c1, "800x600"}, std::pair{&c2, "1280x1024"}}) {
        const auto l = LinesStarting(*lines, std::string("screen ") + screen + " map ");
        ASSERT_EQ(l.size(), 1u) << screen << "\n" << Report();
        maps.push_back(l[0].substr(l[0].find(" map ")));
    }
    EXPECT_NE(maps[0], maps[1]);
    EXPECT_NE(maps[0], maps[2]);
    EXPECT_NE(maps[1], maps[2]);
    // Three different countries.
    const auto country = [](const std::vector<std::string>& lines) {
        const auto p = LinesStarting(lines, "stage playing ");
        return p.empty() ? std::string() : p[0];
    };
    EXPECT_NE(country(h), country(c1));
    EXPECT_NE(country(h), country(c2));
    EXPECT_NE(country(c1), country(c2));

    // The same tables at every new day and at the end; the killed one as far as it got.
    const std::vector<std::string> hostDays = LinesStarting(h, "day=");
    EXPECT_GE(hostDays.size(), 2u) << Report();
    EXPECT_EQ(LinesStarting(c1, "day="), hostDays);
    const std::vector<std::string> killedDays = LinesStarting(c2, "day=");
    EXPECT_FALSE(killedDays.empty());
    ASSERT_LE(killedDays.size(), hostDays.size());
    for (std::size_t i = 0; i < killedDays.size(); ++i) EXPECT_EQ(killedDays[i], hostDays[i]) << i;
    ASSERT_EQ(LinesStarting(h, "final ").size(), 1u) << Report();
    EXPECT_EQ(LinesStarting(c1, "final "), LinesStarting(h, "final "));
    for (const auto* lines : {&h, &c1}) {
        EXPECT_TRUE(Has(*lines, "stage title_again")) << Report();
        EXPECT_TRUE(Has(*lines, "stage exit code=0")) << Report();
    }
    for (const std::string& l : hostDays) std::printf("host %s\n", l.c_str());
    std::printf("host %s\n", LinesStarting(h, "final ")[0].c_str());
}

// The host goes away in the middle of the game: the client is told, returns to the title and
// quits; it never hangs.
TEST_F(NetworkGame, AHostThatDisappearsEndsTheGameForTheClientWithAMessage) {
    people.reserve(2);
    Process& host = Start("host", "ホスト", "netgame_lost_host", true, 2);
    Process& client = Start("client", "あかね", "netgame_lost_client", false, 2);
    ASSERT_TRUE(Until(
        [&] {
            for (Process& p : people) {
                if (p.Poll()) return true;
            }
            return host.Says("stage waiting") && client.Says("stage hours_later");
        },
        300))
        << Report();
    ASSERT_FALSE(host.ended || client.ended) << Report();
    ::kill(host.pid, SIGKILL);
    ::waitpid(host.pid, &host.status, 0);
    host.ended = true;
    EXPECT_TRUE(Until([&] { return client.Poll(); }, 120)) << Report();
    EXPECT_TRUE(client.ExitedCleanly()) << Report();
    const std::vector<std::string> c = client.Lines();
    EXPECT_TRUE(LinesStarting(c, "fail ").empty()) << Report();
    // A message came up before the title.
    EXPECT_FALSE(LinesStarting(c, "box ").empty()) << Report();
    EXPECT_TRUE(Has(c, "stage title_again")) << Report();
    EXPECT_TRUE(Has(c, "stage exit code=0")) << Report();
    EXPECT_EQ(LinesStarting(c, "day="), LinesStarting(host.Lines(), "day=")) << Report();
}

}  // namespace
