#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "simulation/CommandInterpreter.h"
#include "simulation/OrderTranslation.h"
#include "simulation/tests/PlayTableHashes.h"
#include "simulation/tests/SimTestSupport.h"

namespace zv::sim {
namespace {

using testing::Bytes;
using testing::Role;
using testing::LiveHash;
using testing::ShadowHash;
using testing::World;

// Random records: mostly known opcodes with random fields (troops near the table's ends,
// countries, hexes and formations both valid and not), some unknown opcodes and loose bytes.
class Garbage {
  public:
    explicit Garbage(std::uint32_t seed) : rng_(seed) {}

    Bytes Records(bool orders, std::size_t count) {
        static const std::uint16_t kOrders[] = {15, 26, 27, 35, 37, 39, 42, 44, 46};
        static const std::uint16_t kCommands[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 12, 13,
                                                  14, 15, 16, 17, 20, 22, 25, 26, 28, 29, 30, 31,
                                                  32, 33, 34, 36, 38, 40, 41, 43, 45, 46};
        Bytes out;
        for (std::size_t i = 0; i < count; ++i) {
            std::uint16_t op;
            const int pick = Below(10);
            if (pick < 8) {
                op = orders ? kOrders[Below(std::size(kOrders))]
                            : kCommands[Below(std::size(kCommands))];
            } else {
                op = static_cast<std::uint16_t>(rng_());
            }
            const std::uint32_t size = orders ? OrderRecordSize(op) : CommandRecordSize(op);
            out.push_back(static_cast<std::uint8_t>(op));
            out.push_back(static_cast<std::uint8_t>(op >> 8));
            for (std::uint32_t b = 2; b < (size ? size : 2); b += 2) {
                const std::uint16_t v = Field();
                out.push_back(static_cast<std::uint8_t>(v));
                out.push_back(static_cast<std::uint8_t>(v >> 8));
            }
            if (Below(20) == 0) out.push_back(static_cast<std::uint8_t>(rng_()));
        }
        return out;
    }

    // A walked buffer whose length may lie, cut records or overrun the bytes.
    Bytes Walked(bool orders) {
        Bytes body = Records(orders, Below(40));
        Bytes out(4 + body.size(), 0);
        std::copy(body.begin(), body.end(), out.begin() + 4);
        std::uint32_t length = static_cast<std::uint32_t>(out.size());
        switch (Below(6)) {
            case 0:
                length = static_cast<std::uint32_t>(rng_());
                break;
            case 1:
                length = length > 3 ? length - 1 - Below(3) : length;
                break;
            case 2:
                length += 1 + Below(8);
                break;
            default:
                break;
        }
        rules::WriteU32(out.data(), 0, length);
        return out;
    }

    std::uint32_t Below(std::size_t n) { return static_cast<std::uint32_t>(rng_() % n); }

  private:
    std::uint16_t Field() {
        static const std::uint16_t kEdges[] = {0,    1,      2,      3,      4,      5,     6,
                                               7,    159,    160,    254,    255,    256,   0xFF,
                                               0xFE, 0x3F3F, 0x4040, 0xFFFF, 0x8000, 0x00FF};
        switch (Below(3)) {
            case 0:
                return kEdges[Below(std::size(kEdges))];
            case 1:
                return static_cast<std::uint16_t>(Below(64) | (Below(64) << 8));
            default:
                return static_cast<std::uint16_t>(rng_());
        }
    }

    std::mt19937 rng_;
};

constexpr int kRounds = 150;

// Garbage is executed on two identical worlds: beyond not crashing under the sanitizers, every
// byte it reads must be one of its own, so both worlds must end each round identical.
TEST(HostileInputTest, RandomJournalsNeverReachPastTheirBytes) {
    for (Role role : {Role::Single, Role::Client}) {
        World a(role, 1);
        World b(role, 1);
        Garbage g(role == Role::Single ? 11u : 12u);
        for (int i = 0; i < kRounds; ++i) {
            const Bytes journal = g.Walked(false);
            ExecuteCommandList(*a.sim, journal);
            ExecuteCommandList(*b.sim, journal);
            // The same records through the network entry of a client.
            const auto size = static_cast<std::uint32_t>(journal.size() - 4);
            EXPECT_NE(a.sim->ExecuteReceivedCommands(journal.data() + 4, size), -1);
            EXPECT_NE(b.sim->ExecuteReceivedCommands(journal.data() + 4, size), -1);
            ASSERT_EQ(LiveHash(a.tables), LiveHash(b.tables)) << "round " << i;
        }
    }
}

TEST(HostileInputTest, RandomOrdersNeverReachPastTheirBytes) {
    World a(Role::Single, 0);
    World b(Role::Single, 0);
    Garbage g(21);
    for (int i = 0; i < kRounds; ++i) {
        const Bytes orders = g.Walked(true);
        EXPECT_EQ(TranslateOrders(*a.sim, orders), 1);
        EXPECT_EQ(TranslateOrders(*b.sim, orders), 1);
        ASSERT_EQ(ShadowHash(a.tables), ShadowHash(b.tables)) << "round " << i;
        if (i % 10 == 9) {
            a.sim->ResetCommandJournal();
            b.sim->ResetCommandJournal();
        }
    }
}

TEST(HostileInputTest, RandomOrderPartsAtTheHostAreEitherKeptWholeOrDropped) {
    World w(Role::Host, 0);
    w.session.slotValues[2] = 3;
    Garbage g(31);
    for (int i = 0; i < kRounds; ++i) {
        const Bytes part = g.Records(true, g.Below(12));
        std::uint32_t slot = g.Below(8);
        if (g.Below(10) == 0) slot = kResetOrderPart;
        if (g.Below(10) == 0) slot = static_cast<std::uint32_t>(g.Below(1u << 20));
        const std::uint32_t before = w.sim->GetIncomingLength();
        w.sim->ReceiveOrderPart(slot, part.data(), static_cast<std::uint32_t>(part.size()));
        const std::uint32_t after = w.sim->GetIncomingLength();
        EXPECT_TRUE(after == 0 || after == before || after == before + part.size() ||
                    after == before + part.size() + 4);
        EXPECT_LE(after, kJournalBytes + 4);
        if (g.Below(4) == 0) {
            w.sim->ProcessIncomingOrders();
            w.sim->FlushCommandJournal();
        }
    }
}

}  // namespace
}  // namespace zv::sim
