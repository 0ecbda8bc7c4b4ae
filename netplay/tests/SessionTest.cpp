#include <gtest/gtest.h>

#include "netplay/tests/NetFixture.h"
#include "platform/core/Sjis.h"
#include "rules/records/MapRecords.h"
#include "simulation/CommandRecords.h"

namespace zv::net::testing {
namespace {

TEST(SessionTest, ClientsJoinGetSlotsNamesAndVersionLabels) {
    Session s(2);
    Endpoint& host = s.Host();
    EXPECT_EQ(host.manager->SlotName(1), "c0");
    EXPECT_EQ(host.manager->SlotLabel(2), "ZV6-V1.0.0.0");
    ASSERT_TRUE(s.Until([&] { return s.Client(1).manager->SlotLabel(1) == "ZV6-V1.0.0.0"; }));
    EXPECT_EQ(s.Client(1).manager->SlotName(0), "host");
    EXPECT_TRUE(s.Until([&] { return !s.Client(0).gui.slotLists.empty(); }));
}

TEST(SessionTest, ALeavingClientFreesItsSlotAndAReusedSlotForgetsTheGoodbye) {
    Session s(1);
    Endpoint& host = s.Host();
    host.manager->SendNextMapSelect();  // joins are no longer accepted: the goodbye frees
    ASSERT_TRUE(s.Until([&] { return s.Client(0).manager->State() == kStateChoosingMap; }));
    EXPECT_EQ(s.Client(0).manager->Leave(), 0);
    ASSERT_TRUE(s.Until([&] { return host.manager->CountOccupiedSlots() == 1; }));
    EXPECT_EQ(host.manager->SlotLeft(1), 1);
}

// A client's goodbye while the participants meet goes to the host alone: the other clients
// stay where they are. Once the host chose the map it goes to everybody.
TEST(SessionTest, AGoodbyeWhileConnectedReachesOnlyTheHost) {
    const auto goodbyes = [](const Endpoint& e) {
        int n = 0;
        for (std::uint32_t w : e.events) n += (w & 0xFFFF) == ZVCMSG_DISCCONECT ? 1 : 0;
        return n;
    };
    struct Case {
        const char* when;
        bool mapChosen;
        int otherClientHears;
    };
    for (const Case& c : {Case{"connected", false, 0}, Case{"choosing the map", true, 1}}) {
        SCOPED_TRACE(c.when);
        Session s(2);
        Endpoint& host = s.Host();
        if (c.mapChosen) {
            host.manager->SendNextMapSelect();
            ASSERT_TRUE(s.Until([&] {
                return s.Client(0).manager->State() == kStateChoosingMap &&
                       s.Client(1).manager->State() == kStateChoosingMap;
            }));
        }
        ASSERT_EQ(s.Client(0).manager->Leave(), 0);
        ASSERT_TRUE(s.Until([&] { return !host.manager->IsSlotOccupied(1); }));
        // Long enough for a relayed goodbye to arrive.
        s.Until([] { return false; }, 300);
        EXPECT_EQ(host.manager->SlotLeft(1), 1);
        EXPECT_EQ(goodbyes(s.Client(1)), c.otherClientHears);
        if (!c.mapChosen) {
            // Still in the session, as if nothing had happened to it.
            EXPECT_EQ(s.Client(1).manager->State(), kStateConnected);
            EXPECT_TRUE(s.Client(1).manager->HasConnection());
        }
    }
}

// A client on a slow link leaves while the host still has chat on its way to it: its goodbye,
// held back by the link, still reaches the host, which sees a player that left, not one lost.
TEST(SessionTest, AGoodbyeStillQueuedWhenTheClientLeavesReachesTheHost) {
    transport::NetFaults slow;
    slow.delayMs = 300;
    Session s(1, slow);
    Endpoint& host = s.Host();
    for (int i = 0; i < 200; ++i)
        host.manager->SendChat(0xFFFF, core::Utf8ToSjis("未読の行 ") + std::to_string(i), true);
    ASSERT_EQ(s.Client(0).manager->Leave(), 0);
    ASSERT_TRUE(s.Until([&] { return !host.manager->IsSlotOccupied(1); }));
    EXPECT_EQ(host.manager->SlotLeft(1), 1);
    EXPECT_FALSE(host.TransportLogged("the connection failed"));
}

// The map-delivered flag answers one transfer: a session hosted again starts without it.
TEST(SessionTest, TheMapDeliveredFlagDoesNotOutliveItsSession) {
    Session s(1);
    Endpoint& host = s.Host();
    ASSERT_EQ(host.manager->SendImageFromTables(kTransferMap), 1);
    ASSERT_TRUE(s.Until([&] { return host.manager->MapDeliveredFlag(); }));
    host.manager->Close();
    EXPECT_FALSE(host.manager->MapDeliveredFlag());
    host.manager->OpenTransport();
    ASSERT_EQ(host.manager->Host(6, "again"), 1);
    EXPECT_FALSE(host.manager->MapDeliveredFlag());
}

TEST(SessionTest, AssignSlotClearsTheSlotLeftFlagOfAReusedSlot) {
    Session s(1);
    Endpoint& host = s.Host();
    // The client says goodbye while joins are open: only the flag is set.
    ASSERT_EQ(s.Client(0).manager->Leave(), 0);
    ASSERT_TRUE(s.Until([&] { return host.manager->CountOccupiedSlots() == 1; }));
    // A newcomer takes slot 1 again; a later loss of it must be reported.
    Endpoint again(s.Base(), &s.log);
    s.JoinEndpoint(again, "again");
    ASSERT_TRUE(s.Until([&] { return host.manager->IsSlotOccupied(1); }));
    EXPECT_EQ(host.manager->SlotLeft(1), 0);
}

TEST(SessionTest, ChatIsCutOnACharacterBoundaryAndTerminated) {
    Session s(1);
    // 85 ASCII bytes and a double-byte character: the character would end past byte 85.
    const std::string text = std::string(83, 'a') + "\x82\xA0\x82\xA0";
    EXPECT_EQ(s.Client(0).manager->SendChat(0xFFFF, text, false), 0);
    ASSERT_TRUE(s.Until([&] { return !s.Host().gui.chat.empty(); }));
    EXPECT_EQ(s.Host().gui.chat[0], std::string(83, 'a') + "\x82\xA0");
}

TEST(SessionTest, ADuplicateThinkEndDoesNotReleaseTheBarrier) {
    Session s(2);
    Endpoint& host = s.Host();
    // The clients answer by hand here, not by executing the journal.
    s.Client(0).manager->AttachGame(nullptr, nullptr);
    s.Client(1).manager->AttachGame(nullptr, nullptr);
    std::vector<std::uint8_t> journal;
    host.manager->SendGameFromServer(100, 0, journal.data());
    host.manager->SendExecuteThinkEnd();
    // Client 0 answers twice; client 1 has not answered.
    ASSERT_EQ(s.Client(0).manager->SendExecuteThinkEnd(), 0);
    ASSERT_EQ(s.Client(0).manager->SendExecuteThinkEnd(), 0);
    auto requested = [&](Endpoint& e) {
        for (std::uint32_t w : e.events) {
            if ((w & 0xFFFF) == ZVCMSG_REQUEST_SEND_ORDER) return true;
        }
        return false;
    };
    EXPECT_FALSE(s.Until([&] { return requested(s.Client(1)); }, 500));
    ASSERT_EQ(s.Client(1).manager->SendExecuteThinkEnd(), 0);
    EXPECT_TRUE(s.Until([&] { return requested(s.Client(1)) && requested(s.Client(0)); }));
}

TEST(SessionTest, StoppingTheReceiveThreadWhileItWaitsForTheGuiThreadDoesNotDeadlock) {
    Session s(1);
    Endpoint& client = s.Client(0);
    // The host sends while nobody serves the client: its receive thread blocks in a hand-over.
    ASSERT_EQ(s.Host().manager->SendChat(0xFFFF, "x", false), 0);
    core::SleepMs(200);
    const std::uint32_t start = core::GetTickMs();
    client.manager->Close();
    EXPECT_LT(core::GetTickMs() - start, 3000u);
    EXPECT_EQ(client.manager->State(), kStateIdle);
}

TEST(SessionTest, RoleRequestsAreJudgedWhenEveryoneHasChosen) {
    Session s(2);
    Endpoint& host = s.Host();
    host.manager->SetCountriesAvailable(3);
    s.Client(0).manager->SendRoleRequest(0);
    s.Client(1).manager->SendRoleRequest(1);
    host.manager->SendRoleRequest(0);
    ASSERT_TRUE(s.Until([&] { return s.Client(1).manager->RoleResult()[0] == 3; }));
    EXPECT_EQ(s.Client(1).manager->RoleResult()[2], 1);
}

TEST(SessionTest, AJournalOnlyFromTheHostAndNeverExecutedByIt) {
    Session s(2);
    std::vector<std::uint8_t> journal(2, 0);
    // A client sending a journal to all: the host and the other client drop it.
    std::vector<std::uint8_t> m =
        MessageBuilder(ZVCMSG_GAME_FROM_SERVER, 14).S32(4, 2).S32(8, 100).Get();
    ASSERT_EQ(s.Client(0).manager->Connection()->Player()->Send(0, m.data(), m.size()), 1);
    s.Until([] { return false; }, 300);
    auto countLog = [&](const std::string& part) {
        int n = 0;
        for (const auto& l : s.log) n += l.find(part) != std::string::npos ? 1 : 0;
        return n;
    };
    EXPECT_EQ(countLog("message 18"), 2);
}

TEST(SessionTest, AClientVanishingDuringPlayRetiresItsCountryAndTheExchangeGoesOn) {
    Session s(2);
    Endpoint& host = s.Host();
    std::uint8_t* block = host.manager->MutableSettingBlock();
    for (int slot = 0; slot < 3; ++slot) {
        rules::WriteS32(block + GameSettingBlock::Player(slot), PlayerSetting::kSlot, slot);
        rules::WriteS32(block + GameSettingBlock::Player(slot), PlayerSetting::kCountry, slot + 1);
    }
    rules::WriteS32(host.tables.GetTableBase(rules::TableId::GameSettings),
                    rules::GameSettingsRecord::kSinglePlay, 0);
    host.manager->SendGameStart();
    ASSERT_TRUE(s.Until([&] { return s.Client(1).manager->State() == kStateStarted; }));
    s.Client(0).manager->AttachGame(nullptr, nullptr);
    s.Client(1).manager->AttachGame(nullptr, nullptr);
    // A journal goes out; the host and client 0 finish it, client 1 vanishes without a word.
    host.manager->SendGameFromServer(100, 0, nullptr);
    host.manager->SendExecuteThinkEnd();
    ASSERT_EQ(s.Client(0).manager->SendExecuteThinkEnd(), 0);
    s.Until([] { return false; }, 200);
    s.Client(1).manager->Close();
    auto requested = [&] {
        for (std::uint32_t w : s.Client(0).events) {
            if ((w & 0xFFFF) == ZVCMSG_REQUEST_SEND_ORDER) return true;
        }
        return false;
    };
    ASSERT_TRUE(s.Until(requested, 8000));
    EXPECT_FALSE(host.manager->IsSlotOccupied(2));
    EXPECT_EQ(host.manager->GetSlotValue(2), 0u);
    // The host says who left, though the slot is free by then.
    ASSERT_EQ(host.gui.notices.size(), 1u);
    EXPECT_EQ(host.gui.notices[0], core::Utf8ToSjis("c1さんが終了または切断しました。"));
    // The fall of country 2 goes out with the next journal.
    const auto commands = host.sim->OutgoingCommands();
    ASSERT_GE(commands.size(), 4u);
    EXPECT_EQ(rules::ReadU16(commands.data(), 0), sim::kCmdCountryFall);
}

TEST(SessionTest, LinkQualityFollowsTheMessageRate) {
    const std::pair<float, int> cases[] = {{0, 3}, {3, 3}, {3.5f, 2}, {8, 2}, {8.5f, 1}, {500, 1}};
    for (auto [rate, quality] : cases)
        EXPECT_EQ(SessionManager::LinkQualityOf(rate), quality) << rate;
}

struct FixedAddress : AddressPrompt {
    std::string address;
    std::uint16_t port = 0;
    bool AskAddress(std::string& a, std::uint16_t& p) override {
        a = address;
        p = port;
        return true;
    }
};

TEST(SessionTest, AHostGivenByAddressAndPortCanBeJoined) {
    std::vector<std::string> log;
    // Discovery answers go nowhere here: the joiner searches ports no host listens on.
    Endpoint host(TestDiscoveryBase(), &log);
    Endpoint guest(TestDiscoveryBase(), &log);
    host.manager->OpenTransport();
    FixedAddress hostPrompt;
    hostPrompt.port = static_cast<std::uint16_t>(TestDiscoveryBase() + 3);
    int kind = 0;
    auto rows = host.manager->Connection()->EnumConnections();
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(host.manager->Connection()->InitializeChosenConnection(0, kind, &hostPrompt), 1);
    EXPECT_EQ(kind, kConnectionTcpIp);
    EXPECT_EQ(host.manager->Connection()->PreferredConnectionRow(), 0);
    ASSERT_EQ(host.manager->Host(6, "by address"), 1);
    guest.manager->OpenTransport();
    FixedAddress guestPrompt;
    guestPrompt.address = "127.0.0.1";
    guestPrompt.port = hostPrompt.port;
    ASSERT_EQ(guest.manager->Connection()->InitializeChosenConnection(0, kind, &guestPrompt), 1);
    bool searching = false;
    guest.manager->Connection()->ToggleSearch(searching);
    ASSERT_NE(guest.manager->Connection()->RowNode(0), nullptr);
    EXPECT_EQ(guest.manager->Connection()->Rows()[0],
              "127.0.0.1:" + std::to_string(hostPrompt.port));
    bool joined = false;
    ASSERT_EQ(guest.manager->Join(joined), 1);
    for (int i = 0; i < 300 && guest.manager->OwnSlot() != 1; ++i) {
        host.handOff.Serve();
        guest.handOff.Serve();
        core::SleepMs(5);
    }
    EXPECT_EQ(guest.manager->OwnSlot(), 1);
}

}  // namespace
}  // namespace zv::net::testing
