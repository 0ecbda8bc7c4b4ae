#include "netplay/fuzz/ProtocolFuzz.h"

#include <memory>

#include "netplay/SessionManager.h"
#include "rules/context/TableDirectory.h"
#include "simulation/Simulation.h"

namespace zv::net {

namespace {

// Hands every event straight to the manager, as the frame would.
class DirectTarget : public NetworkEventTarget {
  public:
    explicit DirectTarget(SessionManager& m) : m_(m) {}
    void SendNetworkEvent(std::uint32_t w, const void* l) override { m_.OnNetworkEvent(w, l); }
    void SendLinkQuality(int) override {}
    void SendWaitMask(std::uint16_t) override {}
    void ServePendingSends() override {}

  private:
    SessionManager& m_;
};

struct World {
    World() {
        sim::SimulationEnv env;
        env.log = [](std::string_view) {};
        sim = std::make_unique<sim::Simulation>(tables, env);
        for (int i = 0; i < 2; ++i) {
            SessionManagerOptions o;
            o.log = [](std::string_view) {};
            o.blockPauseMs = 0;
            managers[i] = std::make_unique<SessionManager>(o);
            targets[i] = std::make_unique<DirectTarget>(*managers[i]);
            managers[i]->SetNotifyTarget(targets[i].get());
            managers[i]->AttachGame(sim.get(), &tables);
        }
    }
    rules::TableDirectory tables;
    std::unique_ptr<sim::Simulation> sim;
    std::unique_ptr<SessionManager> managers[2];
    std::unique_ptr<DirectTarget> targets[2];
};

}  // namespace

int FuzzProtocolMessage(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static World world;
    const bool host = (data[0] & 1) != 0;
    SessionManager& m = *world.managers[host ? 0 : 1];
    m.Reset();
    m.SetIdsForTest(host, host ? 0 : 2, 0x100);
    m.SetSlotForTest(0, 0x100, "host");
    m.SetSlotForTest(1, 0x101, "one");
    m.SetSlotForTest(2, 0x102, "two");
    const transport::PlayerId from = 0x100 + ((data[0] >> 1) & 3);
    // Every message of the input, one after another: the first byte of each says its length.
    std::size_t at = 1;
    int messages = 0;
    while (at < size && messages < 16) {
        const std::size_t length = std::min<std::size_t>(data[at] * 8u, size - at - 1);
        m.HandleMessage((data[0] & 0x80) ? transport::kSystemPlayer : from, data + at + 1, length);
        at += 1 + length;
        ++messages;
        if (length == 0) break;
    }
    if (at < size) m.HandleMessage(from, data + at, size - at);
    return 0;
}

}  // namespace zv::net
