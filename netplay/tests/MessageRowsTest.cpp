#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "netplay/MessageRows.h"
#include "netplay/SessionManager.h"
#include "netplay/fuzz/ProtocolFuzz.h"
#include "netplay/tests/NetFixture.h"

namespace zv::net::testing {
namespace {

// A message of this row's type filled with printable bytes, with a variable part of `extra`
// bytes and the sender's slot (1) where the row has one.
template <typename Row>
std::vector<std::uint8_t> Patterned(std::size_t extra) {
    std::vector<std::uint8_t> m(Row::kSize + extra);
    for (std::size_t i = 0; i < m.size(); ++i) m[i] = static_cast<std::uint8_t>('A' + i % 26);
    rules::WriteS32(m.data(), 0, Row::kType);
    if constexpr (requires(Row r) { r.slot; }) rules::WriteS32(m.data(), 4, 1);
    if constexpr (HasPayload<Row>) {
        rules::WriteS32(m.data(), Row::kLengthAt, static_cast<std::int32_t>(extra));
    }
    return m;
}

TEST(MessageRowsTest, TheSizeOfEveryTypeComesFromItsRow) {
    // The least length of each type a peer sends; the rest are never sent.
    const std::map<std::int32_t, std::size_t> sizes = {
        {1, 8},   {2, 232}, {3, 8},   {4, 4},   {5, 4},   {7, 180}, {8, 24},  {9, 184},
        {10, 8},  {11, 4},  {12, 94}, {13, 62}, {14, 16}, {16, 16}, {17, 8},  {18, 12},
        {19, 16}, {22, 16}, {23, 16}, {24, 16}, {25, 8},  {27, 12}, {28, 32}, {29, 16},
        {30, 8},  {31, 4},  {32, 24}, {33, 16}, {34, 16}};
    for (std::int32_t type = -1; type <= kLastMessageType + 2; ++type) {
        const auto it = sizes.find(type);
        EXPECT_EQ(MessageSize(type), it == sizes.end() ? 0u : it->second) << "type " << type;
        EXPECT_EQ(MessageName(type) != nullptr, it != sizes.end()) << "type " << type;
    }
}

TEST(MessageRowsTest, EveryRowReadsBackWhatItWrites) {
    ForEachMessageRow([](auto blank) {
        using Row = decltype(blank);
        SCOPED_TRACE(Row::kName);
        const std::size_t extra = HasPayload<Row> ? 9 : 0;
        const std::vector<std::uint8_t> sent = Patterned<Row>(extra);
        Row row;
        std::string error;
        ASSERT_TRUE(Decode(sent.data(), sent.size(), row, error)) << error;
        const std::vector<std::uint8_t> once = Encode(row);
        ASSERT_EQ(once.size(), sent.size());
        EXPECT_EQ(rules::ReadS32(once.data(), 0), Row::kType);
        if constexpr (HasPayload<Row>) {
            EXPECT_EQ(rules::ReadS32(once.data(), Row::kLengthAt), 9);
            EXPECT_TRUE(
                std::equal(sent.begin() + Row::kSize, sent.end(), once.begin() + Row::kSize));
        }
        // The bytes the fields hold come back (a text's last byte is always its terminator);
        // a row without fields keeps none.
        std::size_t kept = 0;
        for (std::size_t i = 4; i < once.size(); ++i) kept += once[i] == sent[i] ? 1 : 0;
        EXPECT_EQ(kept > 0, Row::Fields::kEnd > 4 || HasPayload<Row>);
        Row again;
        ASSERT_TRUE(Decode(once.data(), once.size(), again, error)) << error;
        EXPECT_EQ(Encode(again), once);
    });
}

TEST(MessageRowsTest, ShortAndLongMessagesAreRefusedWithALogLine) {
    ForEachMessageRow([](auto blank) {
        using Row = decltype(blank);
        SCOPED_TRACE(Row::kName);
        if constexpr (!AnyLength<Row>) {
            std::vector<std::vector<std::uint8_t>> bad;
            std::vector<std::uint8_t> m = Patterned<Row>(HasPayload<Row> ? 4 : 0);
            if (Row::kSize > 4) bad.emplace_back(m.begin(), m.begin() + Row::kSize - 1);
            bad.push_back(m);
            bad.back().push_back(0);
            if constexpr (HasPayload<Row>) {
                bad.push_back(m);
                rules::WriteS32(bad.back().data(), Row::kLengthAt, 5);
                bad.push_back(m);
                rules::WriteS32(bad.back().data(), Row::kLengthAt, -1);
            }
            for (const auto& message : bad) {
                for (bool host : {false, true}) {
                    Fed r(host);
                    r.manager->HandleMessage(host ? 0x101 : 0x100, message.data(), message.size());
                    EXPECT_TRUE(r.events.empty());
                    EXPECT_EQ(r.waitMasks, 0);
                    EXPECT_TRUE(r.Logged("message " + std::to_string(Row::kType) + " of " +
                                         std::to_string(message.size()) + " bytes dropped"))
                        << (r.log.empty() ? "(no log)" : r.log[0]);
                }
            }
        }
    });
}

TEST(MessageRowsTest, AMessageFromTheWrongSideIsRefusedBeforeItsHandler) {
    ForEachMessageRow([](auto blank) {
        using Row = decltype(blank);
        SCOPED_TRACE(Row::kName);
        const std::vector<std::uint8_t> m = Patterned<Row>(0);
        if constexpr (Row::kFrom == From::Host) {
            Fed host(true);
            host.manager->HandleMessage(0x101, m.data(), m.size());
            EXPECT_TRUE(host.events.empty());
            EXPECT_TRUE(host.Logged("only the host sends it"));
            Fed client(false);
            client.manager->HandleMessage(0x101, m.data(), m.size());
            EXPECT_TRUE(client.events.empty());
            EXPECT_TRUE(client.Logged("only the host sends it"));
        } else if constexpr (Row::kFrom == From::Client) {
            Fed client(false);
            client.manager->HandleMessage(0x100, m.data(), m.size());
            EXPECT_TRUE(client.events.empty());
            EXPECT_TRUE(client.Logged("it is for the host"));
            Fed host(true);
            host.manager->HandleMessage(0x100, m.data(), m.size());  // the slot is not the host's
            EXPECT_TRUE(host.events.empty());
            EXPECT_TRUE(host.Logged("not its own"));
        }
    });
}

TEST(MessageRowsTest, AnyLengthSlotTableIsTakenWhateverItsLength) {
    const std::vector<std::uint8_t> full = Patterned<SlotDataMessage>(0);
    for (std::size_t size : {std::size_t{4}, std::size_t{100}, full.size(), full.size() + 40}) {
        SCOPED_TRACE(size);
        std::vector<std::uint8_t> m = full;
        m.resize(size, 'z');
        SlotDataMessage row;
        std::string error;
        ASSERT_TRUE(Decode(m.data(), m.size(), row, error));
        EXPECT_EQ(row.complete, size == full.size());
        EXPECT_EQ(Encode(row).size(), full.size());
        Fed client(false);
        client.manager->HandleMessage(0x100, m.data(), m.size());
        EXPECT_EQ(client.events.size(), 1u);
        EXPECT_EQ(client.manager->SlotLabel(0), size == full.size() ? row.labels[0] : "----");
    }
}

TEST(MessageRowsTest, TheFuzzSeedsHoldOneWellFormedMessageOfEveryRow) {
    const std::vector<std::vector<std::uint8_t>> seeds = ProtocolFuzzSeeds();
    std::map<std::int32_t, int> types;
    for (const auto& seed : seeds) {
        ASSERT_GE(seed.size(), 5u);
        const std::int32_t type = rules::ReadS32(seed.data(), 1);
        ++types[type];
        ASSERT_NE(MessageSize(type), 0u);
        EXPECT_GE(seed.size() - 1, MessageSize(type));
        EXPECT_EQ(FuzzProtocolMessage(seed.data(), seed.size()), 0);
    }
    int rows = 0;
    ForEachMessageRow([&](auto blank) {
        ++rows;
        EXPECT_EQ(types[decltype(blank)::kType], 1) << decltype(blank)::kName;
    });
    EXPECT_EQ(seeds.size(), static_cast<std::size_t>(rows));
}

}  // namespace
}  // namespace zv::net::testing
