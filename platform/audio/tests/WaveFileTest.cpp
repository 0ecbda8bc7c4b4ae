#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/audio/WaveFile.h"

namespace zv::audio {
namespace {

std::vector<uint8_t> GoodFile() {
    WaveFormat f;
    f.channels = 1;
    f.bitsPerSample = 8;
    f.samplesPerSec = 11025;
    std::vector<uint8_t> samples = {128, 200, 60, 128};
    return BuildWaveFile(f, samples);
}

void Put32(std::vector<uint8_t>& v, std::size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}

TEST(WaveFile, ReadsCanonicalAndChunkedFiles) {
    WaveData d;
    std::string error;
    ASSERT_TRUE(ParseWave(GoodFile(), &d, &error)) << error;
    EXPECT_EQ(d.format.channels, 1);
    EXPECT_EQ(d.format.bitsPerSample, 8);
    EXPECT_EQ(d.format.samplesPerSec, 11025u);
    EXPECT_EQ(d.samples, (std::vector<uint8_t>{128, 200, 60, 128}));
    EXPECT_TRUE(IsPlayableFormat(d.format, &error));

    // An odd-sized chunk before "fmt " (padded) and a "data" chunk before the format.
    std::vector<uint8_t> v = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    v.insert(v.end(), {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0});
    v.insert(v.end(), {'d', 'a', 't', 'a', 4, 0, 0, 0, 1, 0, 2, 0});
    std::vector<uint8_t> good = GoodFile();
    v.insert(v.end(), good.begin() + 12, good.begin() + 36);  // the "fmt " chunk
    Put32(v, 4, uint32_t(v.size() - 8));
    ASSERT_TRUE(ParseWave(v, &d, &error)) << error;
    EXPECT_EQ(d.samples, (std::vector<uint8_t>{1, 0, 2, 0}));
    EXPECT_EQ(d.format.samplesPerSec, 11025u);
}

TEST(WaveFile, RefusesMalformedFiles) {
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    const Case cases[] = {
        {"empty", [](auto& v) { v.clear(); }},
        {"short header", [](auto& v) { v.resize(10); }},
        {"wrong RIFF tag", [](auto& v) { v[0] = 'X'; }},
        {"wrong form tag", [](auto& v) { std::memcpy(&v[8], "AVI ", 4); }},
        {"RIFF size past the end", [](auto& v) { Put32(v, 4, uint32_t(v.size())); }},
        {"fmt chunk too short", [](auto& v) { Put32(v, 16, 14); }},
        {"fmt size past the end", [](auto& v) { Put32(v, 16, 0x7FFFFFF0); }},
        {"data size past the end", [](auto& v) { Put32(v, 40, 5); }},
        {"no data chunk", [](auto& v) { std::memcpy(&v[36], "junk", 4); }},
        {"no fmt chunk", [](auto& v) { std::memcpy(&v[12], "fmtX", 4); }},
        {"cut inside the data", [](auto& v) { v.resize(v.size() - 2); }},
        {"non-PCM format without its extra count", [](auto& v) { v[20] = 2; }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> v = GoodFile();
        c.damage(v);
        WaveData d;
        d.samples = {9};
        std::string error;
        EXPECT_FALSE(ParseWave(v, &d, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_EQ(d.samples, std::vector<uint8_t>{9}) << c.name << ": output changed";
    }
}

TEST(WaveFile, PlayableFormats) {
    struct Case {
        uint16_t tag, channels, bits;
        uint32_t rate;
        bool playable;
    };
    const Case cases[] = {
        {1, 1, 8, 11025, true},   {1, 2, 16, 44100, true},  {1, 2, 8, 22050, true},
        {1, 1, 16, 100000, true}, {2, 1, 16, 22050, false}, {1, 3, 16, 22050, false},
        {1, 1, 24, 22050, false}, {1, 1, 16, 99, false},    {1, 1, 16, 100001, false},
    };
    for (const Case& c : cases) {
        WaveFormat f;
        f.formatTag = c.tag;
        f.channels = c.channels;
        f.bitsPerSample = c.bits;
        f.samplesPerSec = c.rate;
        f.blockAlign = uint16_t(c.channels * c.bits / 8);
        EXPECT_EQ(IsPlayableFormat(f, nullptr), c.playable)
            << c.tag << " " << c.channels << " " << c.bits << " " << c.rate;
    }
}

}  // namespace
}  // namespace zv::audio
