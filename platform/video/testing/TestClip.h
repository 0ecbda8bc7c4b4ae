#pragma once

// Writes small movies for tests with FFmpeg's own encoders: lossless FFV1 pictures in
// Matroska (so decoded pixels compare exactly) and, optionally, a 16-bit stereo tone.

#include <cstdint>
#include <string>

namespace zv::video::testing {

struct TestClipSpec {
    int width = 32;
    int height = 24;
    int frames = 5;
    int fps = 10;
    bool sound = true;
    int soundRate = 44100;
};

// Picture i is filled with TestClipColour(i), except that its top-left pixel is white.
constexpr uint32_t TestClipColour(int i) {
    return (uint32_t(20 + 40 * (i % 6)) << 16) | (uint32_t(200 - 30 * (i % 7)) << 8) |
           uint32_t(10 * i % 256);
}

// False with a reason when the clip could not be written.
bool WriteTestClip(const std::string& path, const TestClipSpec& spec, std::string* error);

}  // namespace zv::video::testing
