#pragma once

#include <unistd.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "netplay/SessionManager.h"
#include "rules/context/TableDirectory.h"
#include "simulation/Simulation.h"

namespace zv::net::testing {

// Records what the GUI side is told.
struct RecordingGui : NetworkGui {
    std::vector<int> slotLists;
    std::vector<std::string> chat;
    std::vector<int> kindsReceived;
    std::vector<std::string> notices;
    bool begin = false, mapDelivered = false, rejected = false;
    void ShowNotice(const std::string& text, std::function<void()> ended) override {
        notices.push_back(text);
        if (ended) ended();
    }
    void ShowSlotList(const std::uint8_t*) override { slotLists.push_back(1); }
    void AddChatLine(const std::string& t, std::uint16_t) override { chat.push_back(t); }
    void TablesReceived(int kind) override { kindsReceived.push_back(kind); }
    void BeginPlay() override { begin = true; }
    void MapDelivered() override { mapDelivered = true; }
    void ShowRejected() override { rejected = true; }
};

// One participant: a world, a manager and the hand-over to the test thread.
struct Endpoint : NetworkEventTarget {
    Endpoint(std::uint16_t base, std::vector<std::string>* log, std::uint32_t versionWaitMs = 5000,
             const transport::NetFaults& faults = {});
    ~Endpoint() override;
    void SendNetworkEvent(std::uint32_t w, const void* l) override {
        handOff.Call([&] {
            events.push_back(w);
            manager->OnNetworkEvent(w, l);
        });
    }
    void SendLinkQuality(int) override {}
    void SendWaitMask(std::uint16_t m) override { waitMasks.push_back(m); }
    void ServePendingSends() override { handOff.Serve(); }
    // Whether the transport logged a line containing part.
    bool TransportLogged(const std::string& part);

    SyncHandOff handOff;
    rules::TableDirectory tables;
    std::unique_ptr<sim::Simulation> sim;
    RecordingGui gui;
    std::unique_ptr<SessionManager> manager;
    std::vector<std::uint32_t> events;
    std::vector<std::uint16_t> waitMasks;
    std::mutex transportLogMutex;
    std::vector<std::string> transportLog;
};

// A host and clients on loopback, all served by the test thread.
class Session {
  public:
    // clientFaults: how the clients' links misbehave (the host's is sound).
    explicit Session(int clients, const transport::NetFaults& clientFaults = {});
    Endpoint& Host() { return *endpoints_[0]; }
    Endpoint& Client(int i) { return *endpoints_[static_cast<std::size_t>(i) + 1]; }
    // Serves every endpoint until pred holds (false after ms).
    template <typename Pred>
    bool Until(Pred pred, std::uint32_t ms = 5000) {
        const std::uint32_t start = core::GetTickMs();
        while (!pred()) {
            if (core::GetTickMs() - start > ms) return false;
            for (auto& e : endpoints_) e->handOff.Serve();
            core::SleepMs(2);
        }
        return true;
    }
    std::vector<std::string> log;
    // Finds the session and joins it.
    void JoinEndpoint(Endpoint& e, const std::string& name);
    std::uint16_t Base() const { return base_; }

  private:
    std::uint16_t base_ = 0;
    std::vector<std::unique_ptr<Endpoint>> endpoints_;
};

// A manager fed messages directly (the host is player 0x100 in slot 0, the clients 0x101 and
// 0x102 in slots 1 and 2; a client manager is slot 2), with a recorder for what reaches the GUI
// thread and its log lines.
struct Fed : NetworkEventTarget {
    explicit Fed(bool host) {
        SessionManagerOptions o;
        o.log = [this](std::string_view l) { log.emplace_back(l); };
        manager = std::make_unique<SessionManager>(o);
        manager->SetNotifyTarget(this);
        manager->SetIdsForTest(host, host ? 0 : 2, 0x100);
        manager->SetSlotForTest(0, 0x100, "host");
        manager->SetSlotForTest(1, 0x101, "one");
        manager->SetSlotForTest(2, 0x102, "two");
    }
    void SendNetworkEvent(std::uint32_t w, const void* l) override {
        events.push_back(w);
        if ((w & 0xFFFF) == ZVCMSG_SETSLOTDATA)
            lastSlots.assign(static_cast<const std::uint8_t*>(l),
                             static_cast<const std::uint8_t*>(l) + 232);
    }
    void SendLinkQuality(int) override {}
    void SendWaitMask(std::uint16_t) override { ++waitMasks; }
    void ServePendingSends() override {}
    bool Logged(const std::string& part) const {
        for (const auto& l : log) {
            if (l.find(part) != std::string::npos) return true;
        }
        return false;
    }
    std::unique_ptr<SessionManager> manager;
    std::vector<std::uint32_t> events;
    std::vector<std::string> log;
    std::vector<std::uint8_t> lastSlots;
    int waitMasks = 0;
};

std::uint16_t TestDiscoveryBase();

}  // namespace zv::net::testing
