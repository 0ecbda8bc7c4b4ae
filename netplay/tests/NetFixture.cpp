#include "netplay/tests/NetFixture.h"

#include <gtest/gtest.h>

#include <atomic>

namespace zv::net::testing {

std::uint16_t TestDiscoveryBase() {
    static std::atomic<int> next{0};
    return static_cast<std::uint16_t>(40000 + (getpid() % 1000) * 20 + 4 * (next++ % 5));
}

Endpoint::Endpoint(std::uint16_t base, std::vector<std::string>* log, std::uint32_t versionWaitMs,
                   const transport::NetFaults& faults) {
    sim::SimulationEnv env;
    env.log = [](std::string_view) {};
    sim = std::make_unique<sim::Simulation>(tables, env);
    SessionManagerOptions o;
    o.transport.bindAddress = "127.0.0.1";
    o.transport.discoveryBase = base;
    o.transport.discoveryPorts = 4;
    o.transport.searchAddresses = {"127.0.0.1"};
    o.transport.log = [this](std::string_view line) {
        std::lock_guard lock(transportLogMutex);
        transportLog.emplace_back(line);
    };
    o.transport.faults = faults;
    o.versionWaitMs = versionWaitMs;
    o.application.bytes[0] = 0x5A;
    o.blockPauseMs = 0;
    o.nextGameSettingWaitMs = 0;
    o.log = [log](std::string_view line) { log->emplace_back(line); };
    manager = std::make_unique<SessionManager>(o);
    manager->SetNotifyTarget(this);
    manager->SetGui(&gui);
    manager->AttachGame(sim.get(), &tables);
    sim->SetSession(manager.get());
}

bool Endpoint::TransportLogged(const std::string& part) {
    std::lock_guard lock(transportLogMutex);
    for (const std::string& line : transportLog) {
        if (line.find(part) != std::string::npos) return true;
    }
    return false;
}

Endpoint::~Endpoint() {
    manager->Close();
}

Session::Session(int clients, const transport::NetFaults& clientFaults) {
    base_ = TestDiscoveryBase();
    const std::uint16_t base = base_;
    for (int i = 0; i <= clients; ++i)
        endpoints_.push_back(std::make_unique<Endpoint>(base, &log, 5000, i == 0 ? transport::NetFaults{} : clientFaults));
    Endpoint& host = Host();
    host.manager->OpenTransport();
    host.manager->Connection()->SetPlayerName("host");
    EXPECT_EQ(host.manager->Host(6, "test"), 1);
    for (int c = 0; c < clients; ++c) {
        JoinEndpoint(Client(c), "c" + std::to_string(c));
        EXPECT_TRUE(Until([&] { return Client(c).manager->OwnSlot() == c + 1; }));
    }
    EXPECT_TRUE(Until([&] {
        std::string text;
        return host.manager->CountOccupiedSlots() == clients + 1 &&
               host.manager->CheckAllConnected(text) == 0;
    }));
}

void Session::JoinEndpoint(Endpoint& e, const std::string& name) {
    e.manager->OpenTransport();
    SessionConnection* connection = e.manager->Connection();
    connection->SetPlayerName(name);
    bool searching = false;
    connection->ToggleSearch(searching);
    EXPECT_TRUE(Until([&] {
        connection->RefreshSessions();
        return connection->RowNode(0) != nullptr;
    }));
    connection->StopBrowsing();
    connection->RefreshSessions();
    bool joined = false;
    EXPECT_EQ(e.manager->Join(joined), 1);
    EXPECT_TRUE(joined);
}

}  // namespace zv::net::testing
