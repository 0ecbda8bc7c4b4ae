#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "netplay/OrderBinding.h"
#include "netplay/tests/NetFixture.h"
#include "platform/core/Sjis.h"
#include "rules/countries/CountryStatistics.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopRecord.h"
#include "simulation/CommandRecords.h"

namespace zv::net::testing {
namespace {

using rules::TableId;

constexpr TableId kMapTables[] = {TableId::ScenarioHeader, TableId::Country, TableId::Hex,
                                  TableId::Site, TableId::HexInfo};

// Fills a table with a pattern that packs well (runs) or one that does not (noise).
void Fill(rules::TableDirectory& t, TableId id, bool noise, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uint8_t* p = t.GetTableBase(id);
    for (std::uint32_t i = 0; i < t.GetTableTotalBytes(id); ++i) {
        p[i] = noise ? static_cast<std::uint8_t>(random())
                     : static_cast<std::uint8_t>((i / 97) & 0x0F);
    }
}

bool Same(rules::TableDirectory& a, rules::TableDirectory& b, TableId id) {
    return std::memcmp(a.GetTableBase(id), b.GetTableBase(id), a.GetTableTotalBytes(id)) == 0;
}

int Received(Endpoint& e, int kind) {
    int n = 0;
    for (int k : e.gui.kindsReceived) n += k == kind ? 1 : 0;
    return n;
}

TEST(TransferTest, MapImagesThatPackAndThatDoNotReachEveryClientWhole) {
    Session s(2);
    Endpoint& host = s.Host();
    for (bool noise : {false, true}) {
        SCOPED_TRACE(noise ? "stored" : "packed");
        for (TableId id : kMapTables) Fill(host.tables, id, noise, 5);
        host.gui.mapDelivered = false;
        ASSERT_EQ(host.manager->SendImageFromTables(kTransferMap), 1);
        ASSERT_TRUE(s.Until([&] { return host.gui.mapDelivered; }));
        for (int c = 0; c < 2; ++c) {
            for (TableId id : kMapTables) EXPECT_TRUE(Same(host.tables, s.Client(c).tables, id));
        }
        EXPECT_TRUE(host.manager->MapDeliveredFlag());
    }
    EXPECT_EQ(Received(s.Client(0), kTransferMap), 2);
}

TEST(TransferTest, TheTroopExchangeAsksEachPlayerInTurnThenSendsEveryTroopToAll) {
    Session s(3);
    Endpoint& host = s.Host();
    // Slots 1 and 2 play countries 1 and 2; slot 3 watches.
    std::uint8_t* block = host.manager->MutableSettingBlock();
    const std::int32_t words[4] = {1, 2, 3, 5};
    for (int slot = 0; slot < 4; ++slot) {
        rules::WriteS32(block + GameSettingBlock::Player(slot), PlayerSetting::kSlot, slot);
        rules::WriteS32(block + GameSettingBlock::Player(slot), PlayerSetting::kCountry,
                        words[slot]);
    }
    rules::WriteU16(block, 0, kTurnDone);
    std::vector<std::uint8_t> copy(block, block + GameSettingBlock::kSize);
    host.manager->SendGameSettingNext(copy.data());
    ASSERT_TRUE(s.Until([&] { return s.Client(2).manager->State() == kStateSettingsDone; }));
    // Each player deploys its own troops and funds.
    for (int c = 0; c < 2; ++c) {
        const int country = c + 1;
        rules::TableDirectory& t = s.Client(c).tables;
        for (int i = 0; i < 40; ++i) {
            std::uint8_t* r =
                t.GetTableBase(TableId::Troop) + (40 * country + i) * rules::kTroopRecordSize;
            std::memset(r, 0, rules::kTroopRecordSize);
            r[rules::TroopRecord::kCountry] = static_cast<std::uint8_t>(country);
            r[1] = static_cast<std::uint8_t>(10 * c + i);
        }
        rules::CountryCursor countries(t);
        ASSERT_TRUE(countries.Select(country));
        countries.SetFunds(1000 * country);
        // What the deployment spent and lost, in the country's statistics.
        rules::GetCountryStats(t, static_cast<std::uint8_t>(country))->SetTotal(300 + country);
    }
    // The host's own country, deployed on the host only.
    rules::CountryCursor own(host.tables);
    ASSERT_TRUE(own.Select(0));
    own.SetFunds(777);
    rules::GetCountryStats(host.tables, 0)->SetTotal(4321);
    EXPECT_EQ(host.manager->SendYourTurnToNextPlayer(), 0);
    ASSERT_TRUE(s.Until([&] { return host.gui.begin; }, 10000));
    EXPECT_TRUE(host.manager->IsDelivered(1) && host.manager->IsDelivered(2));
    EXPECT_FALSE(host.manager->IsDelivered(3));  // the spectator has no troops to send
    rules::CountryCursor hostCountries(host.tables);
    for (int c = 0; c < 2; ++c) {
        const int country = c + 1;
        const std::size_t at = 40 * country * rules::kTroopRecordSize;
        EXPECT_EQ(std::memcmp(host.tables.GetTableBase(TableId::Troop) + at,
                              s.Client(c).tables.GetTableBase(TableId::Troop) + at,
                              40 * rules::kTroopRecordSize),
                  0);
        ASSERT_TRUE(hostCountries.Select(country));
        EXPECT_EQ(hostCountries.GetFunds(), 1000 * country);
    }
    // Everybody, the spectator too, ends with the host's troops and starts.
    ASSERT_TRUE(s.Until(
        [&] { return s.Client(2).gui.begin && s.Client(0).gui.begin && s.Client(1).gui.begin; }));
    for (int c = 0; c < 3; ++c) {
        EXPECT_TRUE(Same(host.tables, s.Client(c).tables, TableId::Troop));
        EXPECT_TRUE(Same(host.tables, s.Client(c).tables, TableId::Force));
        // Every country's funds and statistics too: each knew only its own before.
        EXPECT_TRUE(Same(host.tables, s.Client(c).tables, TableId::CountryStats)) << c;
        rules::CountryCursor countries(s.Client(c).tables);
        for (int country = 0; country < 3; ++country) {
            ASSERT_TRUE(countries.Select(country));
            EXPECT_EQ(countries.GetFunds(), country == 0 ? 777 : 1000 * country) << c << " " << country;
        }
        EXPECT_EQ(rules::GetCountryStats(s.Client(c).tables, 0)->Total(), 4321);
        EXPECT_EQ(rules::GetCountryStats(s.Client(c).tables, 2)->Total(), 302);
    }
    EXPECT_EQ(s.Client(2).manager->State(), kStateStarted);
}

TEST(TransferTest, TroopsOfAnotherCountryAreRefusedAndThePlayerIsAskedAgain) {
    Session s(1);
    Endpoint& host = s.Host();
    std::uint8_t* block = host.manager->MutableSettingBlock();
    for (int slot = 0; slot < 2; ++slot) {
        rules::WriteS32(block + GameSettingBlock::Player(slot), PlayerSetting::kSlot, slot);
        rules::WriteS32(block + GameSettingBlock::Player(slot), PlayerSetting::kCountry, slot + 1);
    }
    std::vector<std::uint8_t> copy(block, block + GameSettingBlock::kSize);
    host.manager->SendGameSettingNext(copy.data());
    ASSERT_TRUE(s.Until([&] { return s.Client(0).manager->State() == kStateSettingsDone; }));
    // The client's records 40-79 claim country 0.
    std::uint8_t* r =
        s.Client(0).tables.GetTableBase(TableId::Troop) + 40 * rules::kTroopRecordSize;
    r[0] = 'x';
    r[rules::TroopRecord::kCountry] = 0;
    rules::TroopRecord probe;
    std::memcpy(probe.data(), r, rules::kTroopRecordSize);
    ASSERT_TRUE(probe.IsUsed());
    const std::vector<std::uint8_t> before(
        host.tables.GetTableBase(TableId::Troop),
        host.tables.GetTableBase(TableId::Troop) + 80 * rules::kTroopRecordSize);
    host.manager->SendYourTurnToNextPlayer();
    auto asked = [&] {
        int n = 0;
        for (std::uint32_t w : s.Client(0).events) n += (w & 0xFFFF) == ZVCMSG_YOUR_TURN ? 1 : 0;
        return n;
    };
    ASSERT_TRUE(s.Until([&] { return asked() >= 2; }));
    EXPECT_FALSE(host.manager->IsDelivered(1));
    EXPECT_EQ(std::memcmp(before.data(), host.tables.GetTableBase(TableId::Troop), before.size()),
              0);
    bool logged = false;
    for (const auto& l : s.log) logged |= l.find("not its own") != std::string::npos;
    EXPECT_TRUE(logged);
}

TEST(OrderBindingTest, OnlyOrdersForTheSendersOwnCountryAreKept) {
    rules::TableDirectory tables;
    // Troop 5 belongs to country 0, troop 45 to country 1.
    tables.GetTableBase(
        TableId::Troop)[5 * rules::kTroopRecordSize + rules::TroopRecord::kCountry] = 0;
    tables.GetTableBase(
        TableId::Troop)[45 * rules::kTroopRecordSize + rules::TroopRecord::kCountry] = 1;
    auto record = [](std::uint16_t opcode,
                     std::vector<std::pair<std::size_t, std::uint16_t>> fields) {
        std::vector<std::uint8_t> r(sim::OrderRecordSize(opcode));
        rules::WriteU16(r.data(), 0, opcode);
        for (auto [at, v] : fields) {
            if (at == sim::WithdrawRecord::kCountry && opcode == sim::kOrderWithdraw) {
                r[at] = static_cast<std::uint8_t>(v);
            } else if (opcode == sim::kOpPlace && at == sim::ForceTroopRecord::kCountry) {
                r[at] = static_cast<std::uint8_t>(v);
            } else {
                rules::WriteU16(r.data(), at, v);
            }
        }
        return r;
    };
    struct Case {
        const char* what;
        std::vector<std::uint8_t> order;
        bool kept;
    };
    const std::vector<Case> cases = {
        {"own troop's order", record(sim::kOrderTroopOrder, {{2, 45}}), true},
        {"another country's troop", record(sim::kOrderTroopOrder, {{2, 5}}), false},
        {"target of another's troop", record(sim::kOpTarget, {{2, 5}}), false},
        {"formation of own troop", record(sim::kOrderFormation, {{2, 45}}), true},
        {"troop out of the table", record(sim::kOpClearOrders, {{2, 300}}), false},
        {"alliance answer for another", record(sim::kOrderAllianceAnswer, {{2, 0}, {4, 1}}), false},
        {"own alliance answer", record(sim::kOrderAllianceAnswer, {{2, 1}, {4, 0}}), true},
        {"reinforcement paid by another", record(sim::kOpPlace, {{2, 3}, {4, 0x0101}, {6, 2}}),
         false},
        {"own reinforcement", record(sim::kOpPlace, {{2, 3}, {4, 0x0101}, {6, 1}}), true},
        {"withdrawal for another", record(sim::kOrderWithdraw, {{2, 3}, {4, 3}}), false},
    };
    std::vector<std::string> log;
    auto sink = [&](std::string_view l) { log.emplace_back(l); };
    std::vector<std::uint8_t> all;
    std::vector<std::uint8_t> expect;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto kept = FilterOrderPart(tables, 1, c.order.data(),
                                          static_cast<std::uint32_t>(c.order.size()), sink);
        EXPECT_EQ(!kept.empty(), c.kept);
        all.insert(all.end(), c.order.begin(), c.order.end());
        if (c.kept) expect.insert(expect.end(), c.order.begin(), c.order.end());
    }
    EXPECT_EQ(FilterOrderPart(tables, 1, all.data(), static_cast<std::uint32_t>(all.size()), sink),
              expect);
    // A spectator leads nothing; a cut record and a non-order end the part.
    EXPECT_TRUE(FilterOrderPart(tables, 6, all.data(), static_cast<std::uint32_t>(all.size()), sink)
                    .empty());
    std::vector<std::uint8_t> cut = cases[0].order;
    cut.pop_back();
    EXPECT_TRUE(FilterOrderPart(tables, 1, cut.data(), static_cast<std::uint32_t>(cut.size()), sink)
                    .empty());
    const std::uint8_t junk[4] = {0x99, 0x00, 0, 0};
    EXPECT_TRUE(FilterOrderPart(tables, 1, junk, 4, sink).empty());
    EXPECT_FALSE(log.empty());
}

TEST(OrderBindingTest, TheHostDropsOrdersAClientGivesForAnotherCountry) {
    Session s(1);
    Endpoint& host = s.Host();
    rules::WriteS32(host.manager->MutableSettingBlock() + GameSettingBlock::Player(1),
                    PlayerSetting::kCountry, 2);
    host.tables.GetTableBase(
        TableId::Troop)[45 * rules::kTroopRecordSize + rules::TroopRecord::kCountry] = 1;
    host.tables.GetTableBase(
        TableId::Troop)[5 * rules::kTroopRecordSize + rules::TroopRecord::kCountry] = 0;
    rules::WriteS32(host.tables.GetTableBase(TableId::GameSettings),
                    rules::GameSettingsRecord::kSinglePlay, 0);
    std::vector<std::uint8_t> orders(2 * sim::OrderRecordSize(sim::kOrderFormation));
    rules::WriteU16(orders.data(), 0, sim::kOrderFormation);
    rules::WriteU16(orders.data(), 2, 45);
    rules::WriteU16(orders.data(), 6, sim::kOrderFormation);
    rules::WriteU16(orders.data(), 8, 5);
    ASSERT_EQ(s.Client(0).manager->SendGameFromClient(
                  sim::kOrderPartValue, static_cast<std::uint32_t>(orders.size()), orders.data()),
              0);
    ASSERT_TRUE(s.Until([&] { return host.sim->IsOrderPartReceived(1) != 0; }));
    // The one kept order (6 bytes) and, every part being in, the length word.
    EXPECT_EQ(host.sim->GetIncomingLength(), 6u + 4u);
    bool logged = false;
    for (const auto& l : s.log) logged |= l.find("acts for country 0") != std::string::npos;
    EXPECT_TRUE(logged);
}

TEST(SessionListTest, RowsCutLongNamesAndShowTheCounts) {
    EXPECT_EQ(core::SjisToUtf8(FormatSessionRow("abc", 3, 6)), "abc (3人/6人中)");
    const std::string longName(400, 'n');
    const std::string row = FormatSessionRow(longName, 1, 6);
    EXPECT_LT(row.size(), kSessionNodeTextBytes);
    EXPECT_EQ(row.substr(row.size() - 3), core::Utf8ToSjis("中)"));
}

TEST(LobbyTest, AHostAndAJoinerStartFromTheEnvironment) {
    const std::uint16_t base = TestDiscoveryBase();
    std::vector<std::string> log;
    Endpoint host(base, &log);
    Endpoint joiner(base, &log);
    unsetenv("ZV6_LOBBY");
    EXPECT_EQ(host.manager->ConnectFromLobby(), 1);
    EXPECT_EQ(host.manager->IsLobbyLaunched(), 0);
    setenv("ZV6_LOBBY", "nonsense", 1);
    EXPECT_EQ(host.manager->ConnectFromLobby(), 0);
    const std::uint16_t port = static_cast<std::uint16_t>(base + 7);
    setenv("ZV6_LOBBY", ("host;" + std::to_string(port) + ";boss").c_str(), 1);
    host.manager->Close();
    ASSERT_EQ(host.manager->ConnectFromLobby(), 1);
    EXPECT_EQ(host.manager->IsLobbyLaunched(), 1);
    EXPECT_TRUE(host.manager->IsHost());
    setenv("ZV6_LOBBY", ("join;127.0.0.1;" + std::to_string(port) + ";guest").c_str(), 1);
    ASSERT_EQ(joiner.manager->ConnectFromLobby(nullptr, nullptr, 20), 1);
    unsetenv("ZV6_LOBBY");
    EXPECT_FALSE(joiner.manager->IsHost());
    for (int i = 0; i < 300 && joiner.manager->OwnSlot() != 1; ++i) {
        host.handOff.Serve();
        joiner.handOff.Serve();
        core::SleepMs(5);
    }
    EXPECT_EQ(joiner.manager->OwnSlot(), 1);
    EXPECT_EQ(host.manager->SlotName(1), "guest");
}

// A joining lobby start that finds no session yet waits through its wait, which polls without
// blocking until the host opens; a wait that gives up leaves the program unconnected.
TEST(LobbyTest, AJoinerWaitsForItsSessionThroughItsWaitOrGivesUp) {
    const std::uint16_t base = TestDiscoveryBase();
    std::vector<std::string> log;
    Endpoint host(base, &log);
    Endpoint joiner(base, &log);
    const std::uint16_t port = static_cast<std::uint16_t>(base + 9);
    setenv("ZV6_LOBBY", ("join;127.0.0.1;" + std::to_string(port) + ";guest").c_str(), 1);
    int polls = 0;
    int pollsBeforeHost = 0;
    const LobbyWait wait = [&](const std::function<std::int32_t()>& poll) {
        for (int i = 0; i < 1000; ++i) {
            const std::int32_t r = poll();
            ++polls;
            if (r != transport::kErrConnecting) return r;
            if (polls == 5) {
                // The host's session opens while the joiner waits.
                pollsBeforeHost = polls;
                setenv("ZV6_LOBBY", ("host;" + std::to_string(port) + ";boss").c_str(), 1);
                EXPECT_EQ(host.manager->ConnectFromLobby(), 1);
            }
            core::SleepMs(10);
        }
        return transport::kErrConnecting;
    };
    ASSERT_EQ(joiner.manager->ConnectFromLobby(wait), 1);
    EXPECT_EQ(pollsBeforeHost, 5) << "the first polls found no session and did not end the wait";
    EXPECT_GT(polls, 5);
    EXPECT_EQ(joiner.manager->IsLobbyLaunched(), 1);
    EXPECT_FALSE(joiner.manager->IsHost());
    for (int i = 0; i < 300 && joiner.manager->OwnSlot() != 1; ++i) {
        host.handOff.Serve();
        joiner.handOff.Serve();
        core::SleepMs(5);
    }
    EXPECT_EQ(host.manager->SlotName(1), "guest");

    // Nobody listens on the next port: the wait gives up (as its Cancel does) after three polls.
    Endpoint alone(base, &log);
    setenv("ZV6_LOBBY", ("join;127.0.0.1;" + std::to_string(port + 1) + ";guest").c_str(), 1);
    int tries = 0;
    EXPECT_EQ(alone.manager->ConnectFromLobby([&](const std::function<std::int32_t()>& poll) {
        for (; tries < 3; ++tries) {
            if (poll() != transport::kErrConnecting) return std::int32_t(transport::kOk);
            core::SleepMs(20);
        }
        return transport::kErrUserCancel;
    }), 0);
    unsetenv("ZV6_LOBBY");
    EXPECT_EQ(tries, 3);
    EXPECT_EQ(alone.manager->IsLobbyLaunched(), 0);
}

}  // namespace
}  // namespace zv::net::testing
