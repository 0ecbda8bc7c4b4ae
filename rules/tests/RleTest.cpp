#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/RandomStreams.h"
#include "rules/files/Rle.h"

namespace zv::rules {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Varied bytes around a run of `run` copies of `value`, with a long zero run so packing pays.
Bytes WithRun(std::size_t run, std::uint8_t value, std::size_t unit) {
    Bytes data;
    for (int i = 0; i < 8; ++i) data.push_back(static_cast<std::uint8_t>(0x30 + i));
    for (std::size_t i = 0; i < run * unit; ++i)
        data.push_back(unit == 1 || i % 2 == 0 ? value : 0x00);
    data.push_back(0x41);
    if (unit == 2) data.push_back(0x42);
    data.insert(data.end(), 600, 0x00);
    data.push_back(0x43);
    if (unit == 2) data.push_back(0x44);
    return data;
}

constexpr std::size_t kRuns[] = {1, 2, 3, 253, 254, 255, 256, 300, 510};

TEST(RleNetwork, RoundTripsRunsOfEveryLengthInBothPackedModes) {
    for (int mode : {0, 1}) {
        const std::size_t unit = mode == 0 ? 1 : 2;
        for (std::size_t run : kRuns) {
            for (std::uint8_t value :
                 {std::uint8_t{0x41}, std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
                SCOPED_TRACE("mode " + std::to_string(mode) + " run " + std::to_string(run) +
                             " value " + std::to_string(value));
                const Bytes data = WithRun(run, value, unit);
                Bytes packed(data.size());
                const int length = RleEncode(packed, data, mode);
                ASSERT_GT(length, 0);
                ASSERT_LT(static_cast<std::size_t>(length), data.size());
                packed.resize(length);
                Bytes unpacked(data.size());
                const int got = RleDecode(unpacked, packed, mode);
                EXPECT_EQ(got, static_cast<int>(data.size() / unit));
                EXPECT_EQ(unpacked, data);
            }
        }
    }
}

TEST(RleNetwork, StoredModeCopiesAndUnknownModesDoNothing) {
    const Bytes data = {1, 2, 3, 4, 5};
    Bytes out(5, 0xEE);
    EXPECT_EQ(RleDecode(out, data, 2), 5);
    EXPECT_EQ(out, data);
    Bytes untouched(5, 0xEE);
    EXPECT_EQ(RleDecode(untouched, data, 7), 7);
    EXPECT_EQ(untouched, Bytes(5, 0xEE));
    EXPECT_EQ(RleEncode(untouched, data, 2), 2);
    EXPECT_EQ(RleEncode(untouched, data, 9), 9);
    EXPECT_EQ(untouched, Bytes(5, 0xEE));
    EXPECT_EQ(RleDecode(std::span<std::uint8_t>(), data, 0), 0);  // null destination
    EXPECT_EQ(RleDecode(out, std::span<const std::uint8_t>(), 0), 0);
}

TEST(RleNetwork, KnownStreams) {
    Bytes packed(300);
    const Bytes zeros(300, 0);
    ASSERT_EQ(RleEncode(packed, zeros, 0), 6);
    packed.resize(6);
    EXPECT_EQ(packed, (Bytes{0, 0, 253, 0, 0, 47}));
    Bytes unpacked(300, 0xEE);
    EXPECT_EQ(RleDecode(unpacked, packed, 0), 300);
    EXPECT_EQ(unpacked, zeros);

    // A run of 255 is split; a run of exactly 255 that ends the input is one item.
    Bytes run255(255, 9);
    run255.insert(run255.begin(), 1);
    Bytes out(run255.size());
    ASSERT_EQ(RleEncode(out, run255, 0), 4);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), (Bytes{1, 9, 9, 255}));
    run255.push_back(2);
    out.resize(run255.size());
    ASSERT_EQ(RleEncode(out, run255, 0), 8);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), (Bytes{1, 9, 9, 253, 9, 9, 2, 2}));

    // The words of mode 1 are little-endian; the count word follows the pair.
    const Bytes words = {0x34, 0x12, 0x34, 0x12, 0x34, 0x12, 0x34, 0x12, 0x34, 0x12, 0x01, 0x00};
    Bytes w(words.size());
    ASSERT_EQ(RleEncode(w, words, 1), 8);
    EXPECT_EQ(Bytes(w.begin(), w.begin() + 8), (Bytes{0x34, 0x12, 0x34, 0x12, 5, 0, 0x01, 0x00}));
}

TEST(RleNetwork, PackingThatDoesNotPayCopiesTheInput) {
    struct Case {
        const char* name;
        Bytes data;
        int mode;
    };
    const Case cases[] = {
        {"1 1 1 2 packs to as many bytes", {1, 1, 1, 2}, 0},
        {"all different", {1, 2, 3, 4, 5, 6}, 0},
        {"a single byte", {7}, 0},
        {"a pair at the end", {1, 2, 3, 3}, 0},
        {"words all different", {1, 0, 2, 0, 3, 0}, 1},
        {"odd length in words", Bytes(301, 0), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out(c.data.size(), 0xEE);
        EXPECT_EQ(RleEncode(out, c.data, c.mode), 0);
        EXPECT_EQ(out, c.data);
    }
}

TEST(RleNetwork, EmptyInputAndSmallDestinationsAreSafe) {
    Bytes out(4, 0xEE);
    EXPECT_EQ(RleEncode(out, Bytes{}, 0), 0);
    EXPECT_EQ(RleEncode(out, Bytes{}, 1), 0);
    EXPECT_EQ(out, Bytes(4, 0xEE));
    EXPECT_EQ(RleEncode(out, Bytes(5, 1), 0), kRleError);  // no room for a copy
    EXPECT_EQ(out, Bytes(4, 0xEE));
}

TEST(RleNetwork, HostileStreamsNeverWriteBeyondTheDestination) {
    struct Case {
        const char* name;
        Bytes packed;
        int mode;
        std::size_t capacity;
    };
    const Case cases[] = {
        {"run larger than the image", {5, 5, 255}, 0, 10},
        {"second run overflows", {5, 5, 6, 7, 7, 9}, 0, 10},
        {"pair without its count", {1, 2, 2}, 0, 10},
        {"words: run larger than the image", {1, 0, 1, 0, 0xFF, 0xFF}, 1, 100},
        {"words: odd byte count", {1, 0, 2}, 1, 100},
        {"stored copy larger than the image", Bytes(11, 3), 2, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out(c.capacity);
        EXPECT_EQ(RleDecode(out, c.packed, c.mode), kRleError);
    }
    // Random streams: any result fits the destination (ASan watches the writes).
    fw::RandomStreams random;
    for (int round = 0; round < 500; ++round) {
        Bytes packed(1 + random.NextRandom2() % 64);
        for (auto& b : packed) b = static_cast<std::uint8_t>(random.NextRandom2() % 4);
        Bytes out(32);
        for (int mode : {0, 1}) {
            const int got = RleDecode(out, packed, mode);
            EXPECT_LE(got, static_cast<int>(mode == 0 ? out.size() : out.size() / 2));
        }
    }
}

TEST(RleImport, KnownStreams) {
    const Bytes packed = {5, 5, 4, 9, 0xFF, 0xFF, 0x00};
    Bytes out(5, 0xEE);
    EXPECT_EQ(RleDecodeBytes(packed, 7, out), 5);
    EXPECT_EQ(out, (Bytes{5, 5, 5, 5, 9}));

    Bytes encoded(16, 0xEE);
    EXPECT_EQ(RleEncodeBytes(Bytes{1, 2}, encoded), 5);
    EXPECT_EQ(Bytes(encoded.begin(), encoded.begin() + 5), (Bytes{1, 2, 0xFF, 0xFF, 0x00}));

    // With room to spare, the first byte of the end mark comes out as one more byte.
    Bytes roomy(8, 0xEE);
    EXPECT_EQ(RleDecodeBytes(packed, 7, roomy), 8);
    EXPECT_EQ(roomy, (Bytes{5, 5, 5, 5, 9, 0xFF, 0xEE, 0xEE}));
    // A declared length that leaves the end mark out: the mark right after it ends the stream.
    Bytes shorter(7, 0xEE);
    EXPECT_EQ(RleDecodeBytes(packed, 4, shorter), 5);
    EXPECT_EQ(shorter, (Bytes{5, 5, 5, 5, 9, 0xEE, 0xEE}));
    // An end mark before the declared length ends the stream with 0.
    Bytes early(10);
    EXPECT_EQ(RleDecodeBytes(Bytes{1, 2, 2, 0, 3, 3, 3}, 7, early), 0);
    // v v 1 gives two copies and the next byte is compared with v again: "4 2" continues it.
    Bytes again(4, 0xEE);
    EXPECT_EQ(RleDecodeBytes(Bytes{4, 4, 1, 4, 2, 7, 0xFF, 0xFF, 0}, 9, again), 4);
    EXPECT_EQ(again, (Bytes{4, 4, 4, 7}));
    // After a run of 2 or more the next byte starts a new item even when it is the same value.
    Bytes fresh(5, 0xEE);
    EXPECT_EQ(RleDecodeBytes(Bytes{4, 4, 3, 4, 7, 0xFF, 0xFF, 0}, 8, fresh), 5);
    EXPECT_EQ(fresh, (Bytes{4, 4, 4, 4, 7}));

    Bytes none(4);
    EXPECT_EQ(RleDecodeBytes(packed, 0, none), 0);
    EXPECT_EQ(RleDecodeBytes(packed, 7, std::span<std::uint8_t>()), 0);
}

TEST(RleImport, RoundTripsRunsOfEveryLength) {
    for (std::size_t run : kRuns) {
        for (std::uint8_t value : {std::uint8_t{0x41}, std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
            for (bool atEnd : {false, true}) {
                SCOPED_TRACE("run " + std::to_string(run) + " value " + std::to_string(value) +
                             (atEnd ? " at the end" : ""));
                Bytes data;
                data.insert(data.end(), 400, 0x07);
                data.push_back(0x01);
                data.insert(data.end(), run, value);
                if (!atEnd) data.push_back(0x02);
                Bytes packed(data.size());
                const int length = RleEncodeBytes(data, packed);
                ASSERT_GT(length, 0);
                packed.resize(length);
                Bytes out(data.size());
                EXPECT_EQ(RleDecodeBytes(packed, packed.size(), out),
                          static_cast<int>(data.size()));
                EXPECT_EQ(out, data);
            }
        }
    }
}

TEST(RleImport, EncoderRefusesWhatDoesNotPayOrDoesNotFit) {
    Bytes out(64, 0xEE);
    // Pairs grow to three bytes each: the output passes the input's length with bytes left.
    EXPECT_EQ(RleEncodeBytes(Bytes{1, 1, 2, 2, 3, 3, 4, 4}, out), 0);
    // Single values never outgrow the input before its end; the end mark may then pass it.
    EXPECT_EQ(RleEncodeBytes(Bytes{1, 2, 3, 4, 5, 6}, out), 9);
    EXPECT_EQ(RleEncodeBytes(Bytes{}, out), 0);
    Bytes tiny(3, 0xEE);
    EXPECT_EQ(RleEncodeBytes(Bytes(50, 9), tiny), 0);  // 9 9 50 fits, the end mark does not
    EXPECT_EQ(tiny, (Bytes{9, 9, 50}));
    Bytes exact(6);
    EXPECT_EQ(RleEncodeBytes(Bytes(50, 9), exact), 6);
}

TEST(RleImport, HostileStreamsStopAtTheBufferEnd) {
    struct Case {
        const char* name;
        Bytes buffer;
        std::size_t declared;
    };
    const Case cases[] = {
        {"no end mark", {1, 2, 3, 4}, 4},
        {"run then nothing", {1, 1, 200}, 3},
        {"pair cut off", {1, 2, 2}, 3},
        {"declared length beyond the buffer", {1, 2}, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out(1000, 0xEE);
        EXPECT_EQ(RleDecodeBytes(c.buffer, c.declared, out), kRleError);
    }
    fw::RandomStreams random;
    for (int round = 0; round < 500; ++round) {
        Bytes buffer(1 + random.NextRandom2() % 48);
        for (auto& b : buffer) b = static_cast<std::uint8_t>(random.NextRandom2() % 3);
        Bytes out(16);
        EXPECT_LE(RleDecodeBytes(buffer, buffer.size(), out), 16);
    }
}

}  // namespace
}  // namespace zv::rules
