#include <gtest/gtest.h>

#include "simulation/Simulation.h"
#include "simulation/tests/SimTestSupport.h"

namespace zv::sim {
namespace {

using testing::Role;
using testing::World;

using Strings = std::vector<std::string>;

struct Step {
    int bit;
    int on;
    std::uint32_t mask;  // BusyMask afterwards
    Strings sent;        // session sends of this call
    Strings events;      // window events of this call
};

void RunSteps(World& w, const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        SCOPED_TRACE(::testing::Message() << "step " << i << ": bit " << s.bit << " on " << s.on);
        w.session.sent.clear();
        w.events.events.clear();
        w.sim->SetBusyBit(s.bit, s.on);
        EXPECT_EQ(w.sim->GetBusyMask(), s.mask);
        EXPECT_EQ(w.session.sent, s.sent);
        EXPECT_EQ(w.events.events, s.events);
    }
}

TEST(BusyStateTest, SinglePlayKeepsEveryBitAndReportsNothing) {
    World w(Role::Single, 2);
    w.sim->ResetBusyState();
    RunSteps(w, {
                    {3, 0, 0x000, {}, {}},
                    {5, 1, 0x020, {}, {}},
                    {8, 1, 0x120, {}, {}},
                    {5, 0, 0x100, {}, {}},
                    {0, 1, 0x101, {}, {}},
                    {8, 0, 0x001, {}, {}},
                    {0, 0, 0x000, {}, {}},
                });
    EXPECT_EQ(w.sim->GetPlayerWaitWord(2), 0);
}

TEST(BusyStateTest, HostReportsItsPlayerBusyBitsAsItsCountrysWaitWord) {
    World w(Role::Host, 2);
    w.sim->ResetBusyState();
    RunSteps(w, {
                    {3, 0, 0x000, {"WaitMask(0)"}, {"PanelWaitMask(0)"}},
                    {0, 1, 0x001, {"WaitMask(4)"}, {"PanelWaitMask(4)"}},
                    {5, 1, 0x021, {"WaitMask(4)"}, {"PanelWaitMask(4)"}},
                    {0, 0, 0x020, {"WaitMask(0)"}, {"PanelWaitMask(0)"}},
                    {7, 1, 0x0A0, {"WaitMask(4)"}, {"PanelWaitMask(4)"}},
                });
    EXPECT_EQ(w.sim->GetPlayerWaitWord(2), 0x80);
    EXPECT_EQ(w.sim->IsBusy(), 1);
}

TEST(BusyStateTest, ClientKeepsOnlyPlayerBusyBitsAndSendsOnlyChangesOfIdleness) {
    World w(Role::Client, 1);
    w.sim->ResetBusyState();
    RunSteps(w, {
                    {5, 1, 0x000, {}, {}},  // bit 3 goes, bit 5 is not a client's
                    {0, 1, 0x001, {"WaitState(0,1)"}, {}},
                    {6, 1, 0x041, {}, {}},
                    {0, 0, 0x040, {}, {}},
                    {8, 1, 0x040, {}, {}},
                    {6, 0, 0x000, {"WaitState(0,0)"}, {}},
                    {7, 0, 0x000, {}, {}},
                });
    for (int n = 0; n < kParticipantSlots; ++n) EXPECT_EQ(w.sim->GetPlayerWaitWord(n), 0);
}

TEST(BusyStateTest, APlayerWithoutCountryOrABitOutsideTheMaskTouchesNoWaitWord) {
    World w(Role::Host, rules::kNoCountry);
    w.sim->SetBusyBit(0, 1);
    EXPECT_EQ(w.sim->GetBusyMask(), 0x9u);
    for (int n = 0; n < kParticipantSlots; ++n) EXPECT_EQ(w.sim->GetPlayerWaitWord(n), 0);
    EXPECT_EQ(w.session.sent.back(), "WaitMask(0)");

    World far(Role::Host, 200);
    far.sim->SetBusyBit(6, 1);
    EXPECT_EQ(far.sim->GetBusyMask(), 0x48u);

    for (int bit : {-1, 32, 1000}) {
        const std::size_t logged = w.log.size();
        w.sim->SetBusyBit(bit, 1);
        EXPECT_EQ(w.sim->GetBusyMask(), 0x9u);
        EXPECT_EQ(w.log.size(), logged + 1);
    }
}

TEST(BusyStateTest, ParticipantWaitsHoldTheHostAndAreReportedBySlotCountry) {
    World w(Role::Host, 0);
    w.sim->ResetBusyState();
    w.session.slotValues[1] = 3;  // slot 1 plays country 2
    w.session.slotValues[4] = 6;  // slot 4: the second spectator

    struct Case {
        int slot;
        int on;
        std::uint32_t combined;
        std::uint16_t reported;
    };
    const Case cases[] = {
        {1, 1, 0x40000000, 0x04},
        {4, 1, 0x48000000, 0x24},
        {1, 0, 0x08000000, 0x20},
        {4, 0, 0x00000000, 0x00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "slot " << c.slot << " on " << c.on);
        w.session.sent.clear();
        w.events.events.clear();
        w.sim->SetPlayerWait(c.slot, 0, c.on);
        EXPECT_EQ(w.sim->GetCombinedWaitWord(), c.combined);
        EXPECT_EQ(w.sim->IsPlayerWaiting(c.slot), c.on);
        EXPECT_EQ(w.session.sent, Strings{"WaitMask(" + std::to_string(c.reported) + ")"});
        EXPECT_EQ(w.events.events, Strings{"PanelWaitMask(" + std::to_string(c.reported) + ")"});
    }
    EXPECT_EQ(w.sim->IsBusy(), 1);  // bit 3 still holds
    EXPECT_TRUE(w.log.empty());
}

TEST(BusyStateTest, WaitsOfSlotsOutsideTheTableOrWithoutACountryTouchNoWaitWord) {
    World w(Role::Host, 0);
    w.session.slotValues[2] = 0;  // empty slot: value 0 would name word -1
    w.session.slotValues[3] = 9;  // no such participant
    w.sim->SetPlayerWait(2, 0, 1);
    EXPECT_EQ(w.sim->GetCombinedWaitWord(), 0x20000000u);
    w.sim->SetPlayerWait(3, 0, 1);
    EXPECT_EQ(w.sim->GetCombinedWaitWord(), 0x30000000u);
    for (int n = 0; n < kParticipantSlots; ++n) EXPECT_EQ(w.sim->GetPlayerWaitWord(n), 0);
    EXPECT_EQ(w.log.size(), 2u);

    for (int slot : {-1, 6, 31, 255}) {
        w.sim->SetPlayerWait(slot, 0, 1);
        EXPECT_EQ(w.sim->IsPlayerWaiting(slot), 0);
    }
    EXPECT_EQ(w.sim->GetCombinedWaitWord(), 0x30000000u);
    EXPECT_EQ(w.sim->GetPlayerWaitWord(6), 0);
    EXPECT_EQ(w.sim->GetPlayerWaitWord(-1), 0);

    w.sim->ResetBusyState();
    EXPECT_EQ(w.sim->GetCombinedWaitWord(), 0u);
    EXPECT_EQ(w.sim->GetBusyMask(), kInitialBusyMask);
}

TEST(BusyStateTest, SessionQueriesFollowThePlayKindAndTheConnection) {
    struct Case {
        const char* name;
        Role role;
        bool session;
        bool connection;
        int host;
    };
    const Case cases[] = {
        {"single", Role::Single, false, false, 1},
        {"host", Role::Host, true, true, 1},
        {"client", Role::Client, true, true, 0},
        {"network, no session", Role::Host, false, false, 0},
        {"network, no connection", Role::Host, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World w(c.role, 0);
        if (!c.session) w.sim->SetSession(nullptr);
        w.session.connection = c.connection;
        EXPECT_EQ(w.sim->IsJournalHost(), c.host);
        EXPECT_EQ(w.sim->IsSinglePlay() != 0, c.role == Role::Single);
    }

    World net(Role::Client, 1);
    net.session.slotValues[2] = 4;
    net.session.slotValues[3] = 0;
    EXPECT_EQ(net.sim->GetPlayerSlotCountry(0), 0);
    EXPECT_EQ(net.sim->GetPlayerSlotCountry(2), 3);
    EXPECT_EQ(net.sim->GetPlayerSlotCountry(3), 0xFF);
    EXPECT_EQ(net.sim->GetPlayerSlotCountry(6), 0xFF);
    EXPECT_EQ(net.sim->GetPlayerSlotCountry(-1), 0xFF);
    World single(Role::Single, 1);
    EXPECT_EQ(single.sim->GetPlayerSlotCountry(0), 0xFF);
}

TEST(BusyStateTest, BusyChangesAndWaitReportsAreSentOnlyInNetworkPlay) {
    World single(Role::Single, 0);
    EXPECT_EQ(single.sim->SendBusyChange(0, 1), 1);
    single.sim->ReportWaitState();
    EXPECT_TRUE(single.events.events.empty());

    World client(Role::Client, 1);
    client.session.sendResult = 0;
    EXPECT_EQ(client.sim->SendBusyChange(6, 1), 1);
    client.session.sendResult = 3;
    EXPECT_EQ(client.sim->SendBusyChange(6, 0), 0);
    EXPECT_EQ(client.session.sent, (Strings{"WaitState(6,1)", "WaitState(6,0)"}));

    World host(Role::Host, 1);
    host.sim->SetPlayerWait(0, 0, 1);  // slot 0 plays country 0
    host.session.sent.clear();
    host.sim->ReportWaitState();
    EXPECT_EQ(host.session.sent, Strings{"WaitMask(1)"});
}

}  // namespace
}  // namespace zv::sim
