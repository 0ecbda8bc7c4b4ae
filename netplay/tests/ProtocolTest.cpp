#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "netplay/fuzz/ProtocolFuzz.h"
#include "netplay/tests/NetFixture.h"
#include "platform/core/Sjis.h"

namespace zv::net::testing {
namespace {

using transport::GetU32;

struct Captured {
    transport::PlayerId from = 0;
    std::vector<std::uint8_t> data;
    std::int32_t Type() const { return data.size() >= 4 ? rules::ReadS32(data.data(), 0) : -1; }
};

// A bare transport endpoint that records every application message it receives.
struct RawPeer {
    explicit RawPeer(std::uint16_t base) {
        transport::TransportOptions o;
        o.bindAddress = "127.0.0.1";
        o.discoveryBase = base;
        o.discoveryPorts = 4;
        o.searchAddresses = {"127.0.0.1"};
        o.log = [](std::string_view) {};
        t = std::make_unique<transport::Transport>(o);
    }
    // Waits (bounded) for the next message of this type.
    std::optional<Captured> Next(std::int32_t type, const std::function<void()>& serve,
                                 std::uint32_t ms = 3000) {
        const std::uint32_t start = core::GetTickMs();
        for (;;) {
            for (auto it = got.begin(); it != got.end(); ++it) {
                if (it->Type() == type) {
                    Captured c = *it;
                    got.erase(it);
                    return c;
                }
            }
            Captured c;
            std::uint32_t size = 0;
            if (t->Receive(c.from, to, nullptr, size) == transport::kErrBufferTooSmall) {
                c.data.resize(size);
                t->Receive(c.from, to, c.data.data(), size);
                if (c.from != transport::kSystemPlayer) got.push_back(std::move(c));
                continue;
            }
            if (core::GetTickMs() - start > ms) return std::nullopt;
            if (serve) serve();
            event.Wait(5);
        }
    }
    std::unique_ptr<transport::Transport> t;
    core::AutoResetEvent event;
    transport::PlayerId id = 0, to = 0;
    std::vector<Captured> got;
};

struct Field {
    std::size_t offset;
    std::int64_t value;  // s32 unless width 2
    int width = 4;
};

void ExpectFields(const Captured& c, std::size_t size, const std::vector<Field>& fields) {
    ASSERT_EQ(c.data.size(), size) << "type " << c.Type();
    for (const Field& f : fields) {
        const std::int64_t v = f.width == 2 ? rules::ReadU16(c.data.data(), f.offset)
                                            : rules::ReadS32(c.data.data(), f.offset);
        EXPECT_EQ(v, f.value) << "type " << c.Type() << " offset " << f.offset;
    }
}

TEST(ProtocolTest, HostMessagesHaveTheirByteLayouts) {
    Session s(0);
    Endpoint& host = s.Host();
    RawPeer raw(s.Base());
    auto serveAll = [&] { s.Until([] { return false; }, 5); };
    transport::Guid app;
    app.bytes[0] = 0x5A;
    ASSERT_EQ(raw.t->Join("127.0.0.1", host.manager->Connection()->Transport()->Port(), app, "raw",
                          &raw.event, raw.id),
              transport::kOk);
    // A slot only for a participant that says which version it runs.
    std::vector<std::uint8_t> hello =
        MessageBuilder(ZVCMSG_VERSION, VersionMsg::kSize)
            .S32(VersionMsg::kSender, kNoSlot)
            .Text(VersionMsg::kText, VersionMsg::kTextWidth, "1.0.0.0")
            .Get();
    ASSERT_EQ(raw.t->Send(transport::kServerPlayer, hello.data(), hello.size()), transport::kOk);
    auto id = raw.Next(ZVCMSG_SETSLOTID, serveAll);
    ASSERT_TRUE(id);
    ExpectFields(*id, 8, {{4, 1}});
    auto slots = raw.Next(ZVCMSG_SETSLOTDATA, serveAll);
    ASSERT_TRUE(slots);
    ExpectFields(*slots, 232, {{4, 1}, {8, 1}, {12, 0}});
    EXPECT_EQ(ReadFieldText(slots->data.data(), 28, 18), "host");
    EXPECT_EQ(ReadFieldText(slots->data.data(), 46, 18), "raw");
    EXPECT_EQ(ReadFieldText(slots->data.data(), 136, 16), "ZV6-V1.0.0.0");
    EXPECT_EQ(ReadFieldText(slots->data.data(), 152, 16), "ZV6-V1.0.0.0");

    std::uint8_t block[GameSettingBlock::kSize] = {};
    rules::WriteU16(block, 0, kTurnDone);
    rules::WriteS32(block + GameSettingBlock::Player(1), PlayerSetting::kCountry, 3);
    rules::WriteS32(block, GameSettingBlock::kConditions, 7);
    const std::uint8_t journal[3] = {9, 8, 7};
    host.manager->SendNextMapSelect();
    host.manager->SendGameSettingNext(block);
    host.manager->SendGameStart();
    host.manager->SendYourTurn(1, 0, 0);
    host.manager->SendWaitMask(0x22);
    host.manager->SendGameFromServer(100, 3, journal);
    host.manager->SendChat(0x3, "hi", true);
    host.manager->SendGameEnd();
    struct Case {
        std::int32_t type;
        std::size_t size;
        std::vector<Field> fields;
    };
    const std::vector<Case> cases = {
        {ZVCMSG_NEXTMAPSELECT, 4, {}},
        {ZVCMSG_GAMESETTING_NEXT, 184, {{8, kTurnDone, 2}, {8 + 4 + 20 + 4, 3}, {8 + 124, 7}}},
        {ZVCMSG_GAME_START, 4, {}},
        {ZVCMSG_YOUR_TURN, 16, {{4, 1}, {8, 0}, {12, 0}}},
        {ZVCMSG_WAIT_MASK, 8, {{4, 0x22}}},
        {ZVCMSG_GAME_FROM_SERVER, 15, {{4, 3}, {8, 100}, {12, 0x0809, 2}}},
        {ZVCMSG_CHATDATA, 94, {{4, 3, 2}, {6, 0, 2}}},
        {ZVCMSG_GAME_END, 4, {}},
    };
    for (const Case& c : cases) {
        auto m = raw.Next(c.type, serveAll);
        ASSERT_TRUE(m) << "type " << c.type;
        ExpectFields(*m, c.size, c.fields);
        if (c.type == ZVCMSG_CHATDATA) {
            EXPECT_EQ(ReadFieldText(m->data.data(), 8, 86), "host>hi");
        }
    }
    EXPECT_EQ(host.manager->State(), kStateEnded);
}

TEST(ProtocolTest, ClientMessagesHaveTheirByteLayouts) {
    const std::uint16_t base = TestDiscoveryBase();
    std::vector<std::string> log;
    RawPeer raw(base);
    transport::Guid app;
    app.bytes[0] = 0x5A;
    ASSERT_EQ(raw.t->Host(app, "raw host", 6, "rawhost", &raw.event, raw.id), transport::kOk);
    Endpoint client(base, &log);
    auto serve = [&] { client.handOff.Serve(); };
    client.manager->OpenTransport();
    SessionConnection* connection = client.manager->Connection();
    bool searching = false;
    connection->ToggleSearch(searching);
    for (int i = 0; i < 300 && !connection->RowNode(0); ++i) {
        core::SleepMs(10);
        connection->RefreshSessions();
    }
    ASSERT_NE(connection->RowNode(0), nullptr);
    EXPECT_EQ(connection->Rows()[0], FormatSessionRow("raw host", 1, 6));
    bool joined = false;
    ASSERT_EQ(client.manager->Join(joined), 1);
    const transport::PlayerId clientId = client.manager->Connection()->Player()->Id();
    // The version goes at once, before there is a slot; the slot does not bring a second one.
    auto version = raw.Next(ZVCMSG_VERSION, serve);
    ASSERT_TRUE(version);
    ExpectFields(*version, 24, {{4, kNoSlot}});
    EXPECT_EQ(ReadFieldText(version->data.data(), 8, 16), "1.0.0.0");
    std::vector<std::uint8_t> slot = MessageBuilder(ZVCMSG_SETSLOTID, 8).S32(4, 3).Get();
    ASSERT_EQ(raw.t->Send(clientId, slot.data(), slot.size()), transport::kOk);
    for (int i = 0; i < 600 && client.manager->OwnSlot() != 3; ++i) {
        serve();
        core::SleepMs(5);
    }
    ASSERT_EQ(client.manager->OwnSlot(), 3);
    EXPECT_FALSE(raw.Next(ZVCMSG_VERSION, serve, 200));

    std::uint8_t setting[PlayerSetting::kSize] = {};
    rules::WriteS32(setting, PlayerSetting::kCountry, 2);
    rules::WriteS32(setting, PlayerSetting::kFunds, 5000);
    const std::uint8_t orders[2] = {1, 2};
    client.manager->SendGameSettingDone(setting);
    client.manager->SendArrangeEnd();
    client.manager->SendGameFromClient(1, 2, orders);
    client.manager->SendExecuteThinkEnd();
    client.manager->SendRoleRequest(1);
    client.manager->SendWaitState(6, 1);
    client.manager->SendEchoRequest(11, 12);
    struct Case {
        std::int32_t type;
        std::size_t size;
        std::vector<Field> fields;
    };
    const std::vector<Case> cases = {
        {ZVCMSG_GAMESETTING_DONE, 24, {{4, 3}, {8, 2}, {12, 5000}}},
        {ZVCMSG_ARRANGE_END, 8, {{4, 3}}},
        {ZVCMSG_GAME_FROM_CLIENT, 18, {{4, 3}, {8, 2}, {12, 1}, {16, 0x0201, 2}}},
        {ZVCMSG_EXECUTE_THINK_END, 8, {{4, 3}}},
        {ZVCMSG_ROLE_REQUEST, 12, {{4, 3}, {8, 1}}},
        {ZVCMSG_WAIT_STATE, 16, {{4, 3}, {8, 6}, {12, 1}}},
        {ZVCMSG_ECHO_REQUEST, 16, {{4, 3}, {8, 11}, {12, 12}}},
    };
    for (const Case& c : cases) {
        auto m = raw.Next(c.type, serve);
        ASSERT_TRUE(m) << "type " << c.type;
        EXPECT_EQ(m->from, clientId);
        ExpectFields(*m, c.size, c.fields);
    }
    // A client in state 1 says goodbye to the host only.
    EXPECT_EQ(client.manager->Leave(), 0);
    auto bye = raw.Next(ZVCMSG_DISCCONECT, serve);
    ASSERT_TRUE(bye);
    ExpectFields(*bye, 8, {{4, 3}});
    EXPECT_EQ(bye->from, clientId);
}

TEST(ProtocolTest, HalfOpenJoinsTakeNoSlotAndAnHonestJoinGetsInAtOnce) {
    std::vector<std::string> log;
    const std::uint16_t base = TestDiscoveryBase();
    Endpoint host(base, &log, 2000);
    Endpoint guest(base, &log);
    auto serve = [&] {
        host.handOff.Serve();
        guest.handOff.Serve();
    };
    host.manager->OpenTransport();
    host.manager->Connection()->SetPlayerName("host");
    ASSERT_EQ(host.manager->Host(6, "test"), 1);
    const std::uint16_t port = host.manager->Connection()->Transport()->Port();
    // Five squatters join the transport, never say their version and keep their connections
    // alive.
    std::vector<std::unique_ptr<RawPeer>> squatters;
    transport::Guid app;
    app.bytes[0] = 0x5A;
    for (int i = 0; i < 5; ++i) {
        squatters.push_back(std::make_unique<RawPeer>(base));
        RawPeer& raw = *squatters.back();
        ASSERT_EQ(
            raw.t->Join("127.0.0.1", port, app, "squat" + std::to_string(i), &raw.event, raw.id),
            transport::kOk);
    }
    for (int i = 0; i < 20; ++i) {
        serve();
        core::SleepMs(5);
    }
    EXPECT_EQ(host.manager->CountOccupiedSlots(), 1);
    // The honest participant is in long before the squatters' deadline.
    const std::uint32_t start = core::GetTickMs();
    guest.manager->OpenTransport();
    SessionConnection* connection = guest.manager->Connection();
    connection->SetPlayerName("guest");
    bool searching = false;
    connection->ToggleSearch(searching);
    for (int i = 0; i < 300 && !connection->RowNode(0); ++i) {
        serve();
        core::SleepMs(5);
        connection->RefreshSessions();
    }
    ASSERT_NE(connection->RowNode(0), nullptr);
    EXPECT_EQ(connection->Rows()[0], FormatSessionRow("test", 1, 6));
    connection->StopBrowsing();
    connection->RefreshSessions();
    bool joined = false;
    ASSERT_EQ(guest.manager->Join(joined), 1);
    while (guest.manager->OwnSlot() != 1 && core::GetTickMs() - start < 1500) {
        serve();
        core::SleepMs(2);
    }
    EXPECT_EQ(guest.manager->OwnSlot(), 1);
    EXPECT_EQ(host.manager->SlotName(1), "guest");
    EXPECT_EQ(host.manager->CountOccupiedSlots(), 2);
    std::string text;
    EXPECT_EQ(host.manager->CheckAllConnected(text), 0);
    // The squatters are dropped at their deadline, with a line each.
    for (auto& raw : squatters) {
        for (int i = 0; i < 400 && raw->t->IsOpen(); ++i) {
            serve();
            core::SleepMs(10);
        }
        EXPECT_FALSE(raw->t->IsOpen());
    }
    EXPECT_TRUE(host.TransportLogged("did not introduce itself within 2000 ms"));
    EXPECT_EQ(host.manager->CountOccupiedSlots(), 2);
}

std::vector<std::uint8_t> Msg(std::int32_t type, std::size_t size,
                              std::vector<std::pair<std::size_t, std::int32_t>> f = {}) {
    MessageBuilder b(type, size);
    for (auto [at, v] : f) b.S32(at, v);
    return b.Get();
}

TEST(ProtocolTest, HostileMessagesAreDroppedWithALogLineAndNothingDelivered) {
    struct Case {
        const char* what;
        bool host;
        transport::PlayerId from;
        std::vector<std::uint8_t> bytes;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"unknown type", false, 0x100, Msg(99, 8), "unknown type"},
        {"short chat", true, 0x101, Msg(ZVCMSG_CHATDATA, 20), "needs 94"},
        {"slot id out of range", false, 0x100, Msg(ZVCMSG_SETSLOTID, 8, {{4, 9}}),
         "no such client slot"},
        {"slot id from a client", false, 0x101, Msg(ZVCMSG_SETSLOTID, 8, {{4, 2}}),
         "only the host"},
        {"turn out of range", false, 0x100, Msg(ZVCMSG_GAMESETTING_GAME, 180, {{4, 9}}),
         "out of range"},
        {"country out of range", false, 0x100, Msg(ZVCMSG_GAMESETTING_NEXT, 184, {{8 + 4 + 4, 7}}),
         "out of range"},
        {"setting for another slot", true, 0x101, Msg(ZVCMSG_GAMESETTING_DONE, 24, {{4, 2}}),
         "not its own"},
        {"setting out of turn", true, 0x101, Msg(ZVCMSG_GAMESETTING_DONE, 24, {{4, 1}}),
         "not its turn"},
        {"goodbye of a slot out of range", true, 0x101, Msg(ZVCMSG_DISCCONECT, 8, {{4, 7}}),
         "claims slot"},
        {"orders claiming another slot", true, 0x101, Msg(ZVCMSG_GAME_FROM_CLIENT, 16, {{4, 2}}),
         "not its own"},
        {"orders longer than the message", true, 0x101,
         Msg(ZVCMSG_GAME_FROM_CLIENT, 20, {{4, 1}, {8, 100000}, {12, 1}}), "exceeds the message"},
        {"negative order length", true, 0x101, Msg(ZVCMSG_GAME_FROM_CLIENT, 20, {{4, 1}, {8, -4}}),
         "exceeds the message"},
        {"journal at the host", true, 0x101, Msg(ZVCMSG_GAME_FROM_SERVER, 12),
         "only the host sends"},
        {"journal from a client", false, 0x101, Msg(ZVCMSG_GAME_FROM_SERVER, 12),
         "only the host sends"},
        {"role result out of range", false, 0x100, Msg(ZVCMSG_ROLE_RESULT, 32, {{4, 1}, {8, 9}}),
         "out of range"},
        {"wait bit out of range", true, 0x102, Msg(ZVCMSG_WAIT_STATE, 16, {{4, 2}, {8, 40}}),
         "no bit"},
        {"think-end of slot 0 from a client", true, 0x101,
         Msg(ZVCMSG_EXECUTE_THINK_END, 8, {{4, 0}}), "not its own"},
        {"transfer kind 5", false, 0x100, Msg(ZVCMSG_FILETRANSFER_HEADER, 62, {{8, 5 << 16}}),
         "no such kind"},
        {"block length 0", false, 0x100,
         Msg(ZVCMSG_FILETRANSFER_HEADER, 62, {{8, 1 << 16}, {12, 100}, {16, 0}, {20, 1}}),
         "out of range"},
        {"size beyond the image", false, 0x100,
         Msg(ZVCMSG_FILETRANSFER_HEADER, 62, {{8, 1 << 16}, {12, 182469}, {16, 10240}, {20, 18}}),
         "out of range"},
        {"block count that does not fit", false, 0x100,
         Msg(ZVCMSG_FILETRANSFER_HEADER, 62, {{8, 1 << 16}, {12, 20481}, {16, 10240}, {20, 2}}),
         "block count"},
        {"own troops unasked", true, 0x101,
         Msg(ZVCMSG_FILETRANSFER_HEADER, 62, {{4, 1}, {8, 3 << 16}, {12, 100}, {16, 100}, {20, 1}}),
         "not asked"},
        {"all troops before the settings", false, 0x100,
         Msg(ZVCMSG_FILETRANSFER_HEADER, 62, {{8, 2 << 16}, {12, 100}, {16, 100}, {20, 1}}),
         "not expected"},
        {"a block with no transfer", false, 0x100, Msg(ZVCMSG_FILETRANSFER_DATA, 16 + 8, {{12, 8}}),
         "no transfer"},
        {"acknowledgement of kind 9", true, 0x101,
         Msg(ZVCMSG_RECEIVE_OK, 16, {{4, 1}, {8, 65535}, {12, 9}}), "no transfer kind"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fed fed(c.host);
        fed.manager->HandleMessage(c.from, c.bytes.data(), c.bytes.size());
        EXPECT_TRUE(fed.events.empty());
        EXPECT_TRUE(fed.Logged(c.logged)) << (fed.log.empty() ? "(no log)" : fed.log[0]);
    }
}

TEST(ProtocolTest, AShortSlotTableIsTakenAsFarAsItGoesWithUnknownLabels) {
    Fed fed(false);
    std::vector<std::uint8_t> m = Msg(ZVCMSG_SETSLOTDATA, 232, {{4, 1}, {8, 1}});
    // A name without terminator filling its field, then a label cut by the end.
    std::fill(m.begin() + 46, m.begin() + 64, 'n');
    m.resize(200);
    fed.manager->HandleMessage(0x100, m.data(), m.size());
    ASSERT_EQ(fed.events.size(), 1u);
    ASSERT_EQ(fed.lastSlots.size(), 232u);
    for (int s = 0; s < 6; ++s)
        EXPECT_EQ(ReadFieldText(fed.lastSlots.data(), 136 + 16 * s, 16), "----");
    EXPECT_EQ(fed.lastSlots[46 + 17], 0);  // terminated
    EXPECT_EQ(fed.manager->SlotName(1), std::string(17, 'n'));
}

TEST(ProtocolTest, YourTurnReachesOnlyTheAddressedSlotAndVersionLabelsAreCut) {
    Fed client(false);
    std::vector<std::uint8_t> other = Msg(ZVCMSG_YOUR_TURN, 16, {{4, 1}});
    client.manager->HandleMessage(0x100, other.data(), other.size());
    EXPECT_TRUE(client.events.empty());
    std::vector<std::uint8_t> mine = Msg(ZVCMSG_YOUR_TURN, 16, {{4, 2}});
    client.manager->HandleMessage(0x100, mine.data(), mine.size());
    EXPECT_EQ(client.events.size(), 1u);

    Fed host(true);
    std::vector<std::uint8_t> version = Msg(ZVCMSG_VERSION, 24, {{4, 1}});
    std::fill(version.begin() + 8, version.end(), '9');  // no terminator
    version[8 + 9] = static_cast<char>(0x82);            // a lead byte where the label ends
    host.manager->HandleMessage(0x101, version.data(), version.size());
    EXPECT_EQ(host.manager->SlotLabel(1), "ZV6-V999999999");
}

// The fuzz entry over a corpus of hostile inputs: every type, every short length, random bytes.
TEST(ProtocolFuzzCorpus, HostileInputsNeverCrash) {
    std::mt19937 random(7);
    for (int type = 0; type <= 40; ++type) {
        for (std::size_t size :
             {0u, 3u, 4u, 7u, 8u, 15u, 16u, 23u, 61u, 62u, 93u, 179u, 183u, 231u, 232u, 300u}) {
            for (std::uint8_t head : {0x00, 0x01, 0x03, 0x05, 0x81}) {
                std::vector<std::uint8_t> input(1 + size);
                input[0] = head;
                for (std::size_t i = 1; i < input.size(); ++i)
                    input[i] = static_cast<std::uint8_t>(random());
                if (size >= 4) rules::WriteS32(input.data(), 1 + 0, type);
                FuzzProtocolMessage(input.data(), input.size());
            }
        }
    }
    // The fuzzer's seeds, and every cut of them, the sequences also with their blocks in any
    // of the sender bits.
    for (const std::string name :
         {"destroy", "orders", "settings", "slotdata", "think-end", "transfer"}) {
        std::ifstream in(std::string(ZV_SOURCE_DIR) + "/netplay/fuzz/seeds/" + name,
                         std::ios::binary);
        const std::vector<std::uint8_t> seed((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
        ASSERT_FALSE(seed.empty()) << name;
        for (std::size_t cut = 1; cut <= seed.size(); ++cut) {
            for (std::uint8_t bits : {0x00, 0x01, 0x02, 0x06, 0x80}) {
                std::vector<std::uint8_t> input(seed.begin(),
                                                seed.begin() + static_cast<std::ptrdiff_t>(cut));
                input[0] ^= bits;
                FuzzProtocolMessage(input.data(), input.size());
            }
        }
    }
}

}  // namespace
}  // namespace zv::net::testing
