#include <gtest/gtest.h>

#include "platform/net/Wire.h"

namespace zv::transport {
namespace {

TEST(WireTest, CutSjisNeverSplitsADoubleByteCharacter) {
    struct Case {
        std::string text;
        std::size_t max;
        std::string expect;
    };
    const Case cases[] = {
        {"abc", 17, "abc"},
        {"abcdef", 3, "abc"},
        {"\x82\xA0\x82\xA2", 3, "\x82\xA0"},
        {"a\x82\xA0", 2, "a"},
        {"\x82", 1, ""},  // a lead byte alone at the end is no whole
                          // character
        {"", 5, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CutSjis(c.text, c.max), c.expect) << c.text;
}

TEST(WireTest, SystemMessageLayouts) {
    const std::string created = BuildCreatePlayerMessage(0x101, 0x100, "ab");
    ASSERT_EQ(created.size(), 15u);
    const auto* p = reinterpret_cast<const std::uint8_t*>(created.data());
    EXPECT_EQ(GetU32(p), kSysCreatePlayer);
    EXPECT_EQ(GetU32(p + 4), 0x101u);
    EXPECT_EQ(GetU32(p + 8), 0x100u);
    EXPECT_EQ(p[12], 2);
    const std::string destroyed = BuildDestroyPlayerMessage(7, 0, std::string("\x03\0\0\0", 4));
    ASSERT_EQ(destroyed.size(), 20u);
    p = reinterpret_cast<const std::uint8_t*>(destroyed.data());
    EXPECT_EQ(GetU32(p), kSysDestroyPlayer);
    EXPECT_EQ(GetU32(p + 12), 4u);
    EXPECT_EQ(p[16], 3);
    EXPECT_EQ(BuildSessionLostMessage(), std::string("\x31\0\0\0", 4));
}

TEST(WireTest, DiscoveryAnswersRoundTripAndRefuseNonsense) {
    DiscoveryAnswer a;
    a.instance.bytes[5] = 9;
    a.port = 4321;
    a.nonce = 77;
    a.players = 3;
    a.maxPlayers = 6;
    a.joinsDisabled = true;
    a.name = std::string(200, 'x');
    const std::string wire = BuildDiscoveryAnswer(a);
    EXPECT_LE(wire.size(), kDiscoveryDatagramBytes);
    DiscoveryAnswer b;
    const auto* p = reinterpret_cast<const std::uint8_t*>(wire.data());
    ASSERT_TRUE(ParseDiscoveryAnswer(p, wire.size(), b));
    EXPECT_EQ(b.port, 4321);
    EXPECT_EQ(b.nonce, 77u);
    EXPECT_EQ(b.players, 3);
    EXPECT_TRUE(b.joinsDisabled);
    EXPECT_EQ(b.name, std::string(kMaxSessionNameBytes, 'x'));
    EXPECT_FALSE(ParseDiscoveryAnswer(p, wire.size() - 1, b));
    std::string bad = wire;
    bad[29] = 9;  // more than six players
    EXPECT_FALSE(
        ParseDiscoveryAnswer(reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size(), b));
    Guid app;
    app.bytes[0] = 1;
    const auto q = BuildDiscoveryQuery(app, 5);
    std::uint32_t nonce = 0;
    EXPECT_TRUE(ParseDiscoveryQuery(q.data(), q.size(), app, nonce));
    EXPECT_EQ(nonce, 5u);
    EXPECT_FALSE(ParseDiscoveryQuery(q.data(), q.size() - 1, app, nonce));
}

TEST(WireTest, FrameLimitsAreSmallExceptForData) {
    EXPECT_EQ(MaxFramePayload(static_cast<std::uint8_t>(FrameKind::KeepAlive)), 0u);
    EXPECT_LT(MaxFramePayload(static_cast<std::uint8_t>(FrameKind::Hello)), 64u);
    EXPECT_EQ(MaxFramePayload(static_cast<std::uint8_t>(FrameKind::Data)), 8 + kMaxMessageBytes);
    EXPECT_EQ(MaxFramePayload(0), 0u);
    EXPECT_EQ(MaxFramePayload(200), 0u);
}

}  // namespace
}  // namespace zv::transport
