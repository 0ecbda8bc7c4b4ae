#include <gtest/gtest.h>

#include <functional>

#include "tools/zvdata/audio/WaveFile.h"

namespace zv::zvdata::audio {
namespace {

TEST(WaveFile, WritesACanonicalPcmFileThatTheCheckReads) {
    const std::vector<std::int16_t> samples = {0, 16384, -16384, 32767, -32767, 1};
    const Bytes bytes = WriteWave(samples, 22050);
    ASSERT_EQ(bytes.size(), 44u + 12u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(GetLe32(bytes.data() + 4), 48u);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(GetLe32(bytes.data() + 16), 16u);
    EXPECT_EQ(GetLe16(bytes.data() + 20), 1u);      // PCM
    EXPECT_EQ(GetLe16(bytes.data() + 22), 1u);      // mono
    EXPECT_EQ(GetLe32(bytes.data() + 24), 22050u);  // rate
    EXPECT_EQ(GetLe32(bytes.data() + 28), 44100u);  // bytes a second
    EXPECT_EQ(GetLe16(bytes.data() + 32), 2u);      // block align
    EXPECT_EQ(GetLe16(bytes.data() + 34), 16u);     // bits
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(GetLe32(bytes.data() + 40), 12u);
    EXPECT_EQ(bytes[44 + 2], 0x00);  // 16384 little-endian
    EXPECT_EQ(bytes[44 + 3], 0x40);
    EXPECT_EQ(bytes[44 + 10], 0x01);

    const FileCheck check = CheckWave("x.wav", bytes);
    EXPECT_TRUE(check.ok);
    EXPECT_EQ(check.summary, "x.wav: WAVE 16-bit PCM mono 22050 Hz, 0.00 s, peak -0.0 dBFS");
}

TEST(WaveFile, ChunksAfterTheDataAndOddChunksArePassedOver) {
    Bytes bytes = WriteWave(std::vector<std::int16_t>(22050, 3277), 22050);
    PutText(bytes, "LIST");
    PutLe32(bytes, 3);
    PutText(bytes, "abc");
    bytes.push_back(0);  // the pad byte of an odd chunk
    bytes[4] = static_cast<std::uint8_t>(bytes.size() - 8);
    bytes[5] = static_cast<std::uint8_t>((bytes.size() - 8) >> 8);
    bytes[6] = static_cast<std::uint8_t>((bytes.size() - 8) >> 16);
    const FileCheck check = CheckWave("y.wav", bytes);
    EXPECT_TRUE(check.ok) << (check.problems.empty() ? "" : check.problems[0]);
    EXPECT_EQ(check.summary, "y.wav: WAVE 16-bit PCM mono 22050 Hz, 1.00 s, peak -20.0 dBFS");
}

TEST(WaveFile, DamagedFilesAreRefusedWithTheReason) {
    const Bytes good = WriteWave(std::vector<std::int16_t>(100, 1000), 22050);
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
        const char* problem;
    } cases[] = {
        {"short", [](Bytes& b) { b.resize(10); }, "not a RIFF WAVE file"},
        {"not WAVE", [](Bytes& b) { b[8] = 'A'; }, "not a RIFF WAVE file"},
        {"RIFF size", [](Bytes& b) { b[4] += 2; },
         "the RIFF chunk says 238 bytes, the file holds 236"},
        {"cut data",
         [](Bytes& b) {
             b.resize(b.size() - 10);
             b[4] -= 10;
         },
         "the \"data\" chunk says 200 bytes, only 190 follow"},
        {"float", [](Bytes& b) { b[20] = 3; }, "format 3 is not PCM (1)"},
        {"channels", [](Bytes& b) { b[22] = 6; }, "6 channels, not 1 or 2"},
        {"bits", [](Bytes& b) { b[34] = 24; }, "24 bits a sample, not 8 or 16"},
        {"rate",
         [](Bytes& b) {
             b[24] = 0;
             b[25] = 0;
             b[26] = 0;
         },
         "0 Hz is outside 8000-48000"},
        {"block align", [](Bytes& b) { b[32] = 4; },
         "block align 4 does not match 1 channels of 16 bits"},
        {"byte rate", [](Bytes& b) { b[28] = 0; },
         "byte rate 44032 is not rate x block align (44100)"},
        {"no fmt", [](Bytes& b) { b[12] = 'x'; }, "the \"data\" chunk comes before \"fmt \""},
        {"no data", [](Bytes& b) { b[36] = 'x'; }, "no \"data\" chunk"},
        {"half frame",
         [](Bytes& b) {
             b[40] = 199;
             b.pop_back();
             b[4] -= 1;
         },
         "the \"data\" chunk's 199 bytes are not whole sample frames"},
    };
    for (const auto& c : cases) {
        Bytes bytes = good;
        c.damage(bytes);
        const FileCheck check = CheckWave("fx.wav", bytes);
        EXPECT_FALSE(check.ok) << c.what;
        ASSERT_EQ(check.problems.size(), 1u) << c.what;
        EXPECT_EQ(check.problems[0], std::string("fx.wav: ") + c.problem) << c.what;
    }
}

}  // namespace
}  // namespace zv::zvdata::audio
