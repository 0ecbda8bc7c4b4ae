#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "platform/core/ByteReader.h"

namespace zv::core {
namespace {

TEST(ByteReaderTest, ReadsLittleEndianFieldsInOrder) {
    const std::array<std::uint8_t, 11> bytes = {0x7F, 0x34, 0x12, 0x78, 0x56, 0x34,
                                                0x12, 0xFE, 0xFF, 0xFF, 0xFF};
    ByteReader reader(bytes);
    std::uint8_t a = 0;
    std::uint16_t b = 0;
    std::uint32_t c = 0;
    std::int32_t d = 0;
    EXPECT_TRUE(reader.ReadU8(a) && reader.ReadU16(b) && reader.ReadU32(c) && reader.ReadS32(d));
    EXPECT_EQ(a, 0x7F);
    EXPECT_EQ(b, 0x1234);
    EXPECT_EQ(c, 0x12345678u);
    EXPECT_EQ(d, -2);
    EXPECT_TRUE(reader.Ok());
    EXPECT_TRUE(reader.AtEnd());
}

TEST(ByteReaderTest, RefusesReadsPastTheEndAndStaysFailed) {
    const std::array<std::uint8_t, 3> bytes = {1, 2, 3};
    ByteReader reader(bytes);
    std::uint16_t word = 0xAAAA;
    EXPECT_TRUE(reader.Skip(2));
    EXPECT_FALSE(reader.ReadU16(word)) << "one byte left";
    EXPECT_EQ(word, 0xAAAA) << "a refused read leaves its output alone";
    EXPECT_FALSE(reader.Ok());
    std::uint8_t byte = 0;
    EXPECT_FALSE(reader.ReadU8(byte)) << "a failed reader reads nothing more";
    EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ByteReaderTest, TakeAndSkipCheckLengthsWithoutOverflow) {
    const std::array<std::uint8_t, 4> bytes = {9, 8, 7, 6};
    ByteReader reader(bytes);
    std::span<const std::uint8_t> view;
    ASSERT_TRUE(reader.Take(3, view));
    EXPECT_EQ(view[2], 7);
    EXPECT_EQ(reader.Position(), 3u);
    EXPECT_FALSE(reader.Skip(static_cast<std::size_t>(-1))) << "a huge length must not wrap";
    ByteReader empty(std::span<const std::uint8_t>{});
    EXPECT_TRUE(empty.Take(0, view));
    std::array<std::uint8_t, 2> out{};
    EXPECT_FALSE(empty.ReadBytes(out.data(), out.size()));
}

}  // namespace
}  // namespace zv::core
