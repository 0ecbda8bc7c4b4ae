#include "netplay/fuzz/ProtocolFuzz.h"

#include <algorithm>
#include <memory>

#include "netplay/MessageRows.h"
#include "netplay/SessionManager.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/Bytes.h"
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
    const transport::PlayerId sender = (data[0] & 0x80) ? transport::kSystemPlayer : from;
    if (!(data[0] & 0x40)) {
        m.HandleMessage(sender, data + 1, size - 1);
        return 0;
    }
    // A sequence: each message preceded by its u16 length.
    std::size_t at = 1;
    for (int n = 0; n < 32 && size - at >= 2; ++n) {
        const std::size_t length = std::min<std::size_t>(rules::ReadU16(data, at), size - at - 2);
        m.HandleMessage(sender, data + at + 2, length);
        at += 2 + length;
    }
    return 0;
}

std::vector<std::vector<std::uint8_t>> ProtocolFuzzSeeds() {
    static const std::uint8_t payload[8] = {8, 0, 0, 0, 0, 0, 0, 0};
    std::vector<std::vector<std::uint8_t>> seeds;
    ForEachMessageRow([&](auto row) {
        using Row = decltype(row);
        if constexpr (requires { row.slot; }) row.slot = 1;
        if constexpr (requires { row.sender; }) row.sender = 1;
        if constexpr (HasPayload<Row>) row.payload = payload;
        std::vector<std::uint8_t> seed = {Row::kFrom == From::Host ? std::uint8_t{0x00}
                                                                   : std::uint8_t{0x03}};
        const std::vector<std::uint8_t> message = Encode(row);
        seed.insert(seed.end(), message.begin(), message.end());
        seeds.push_back(std::move(seed));
    });
    return seeds;
}

}  // namespace zv::net
