#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/Mixer.h"

namespace zv::audio {
namespace {

// A constant 16-bit mono sample of `frames` frames at `rate`.
WaveData Constant16(int16_t value, int frames, uint32_t rate, int channels = 1) {
    WaveData w;
    w.format.channels = uint16_t(channels);
    w.format.bitsPerSample = 16;
    w.format.samplesPerSec = rate;
    w.format.blockAlign = uint16_t(2 * channels);
    for (int i = 0; i < frames * channels; ++i) {
        w.samples.push_back(uint8_t(value));
        w.samples.push_back(uint8_t(uint16_t(value) >> 8));
    }
    return w;
}

std::vector<int16_t> Mix(Mixer& m, int frames) {
    std::vector<int16_t> out(std::size_t(frames) * 2);
    m.Mix(out.data(), frames);
    return out;
}

TEST(Mixer, PlaysOnceThenStopsAndStartsAgainFromTheBeginning) {
    Mixer m(1000);
    int v = m.AddVoice(Constant16(1000, 10, 1000));
    ASSERT_GE(v, 0);
    m.Play(v, false, false);
    auto out = Mix(m, 16);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(out[2 * i], 1000) << i;
    for (int i = 10; i < 16; ++i) EXPECT_EQ(out[2 * i], 0) << i;
    EXPECT_FALSE(m.IsPlaying(v));
    EXPECT_EQ(m.Position(v), 0u);

    // Stopped half way: a new play starts at the beginning, not where it stopped.
    m.Play(v, false, false);
    Mix(m, 4);
    m.Stop(v);
    EXPECT_EQ(m.Position(v), 4u);
    m.Play(v, false, false);
    EXPECT_EQ(m.Position(v), 0u);
    // Playing on: fromStart rewinds, a loop request alone keeps the place.
    Mix(m, 3);
    m.Play(v, true, false);
    EXPECT_EQ(m.Position(v), 3u);
    EXPECT_TRUE(m.IsLooping(v));
    m.Play(v, false, true);
    EXPECT_EQ(m.Position(v), 0u);
}

TEST(Mixer, LoopsUntilStopped) {
    Mixer m(1000);
    int v = m.AddVoice(Constant16(500, 4, 1000));
    m.Play(v, true, false);
    auto out = Mix(m, 40);
    for (int i = 0; i < 40; ++i) ASSERT_EQ(out[2 * i], 500) << i;
    EXPECT_TRUE(m.IsPlaying(v));
    m.Stop(v);
    out = Mix(m, 4);
    EXPECT_EQ(out[0], 0);
}

TEST(Mixer, ConvertsEightBitAndStereoAndFollowsTheFrequency) {
    Mixer m(1000);
    WaveData w8;
    w8.format.bitsPerSample = 8;
    w8.format.samplesPerSec = 500;
    w8.format.blockAlign = 1;
    w8.samples = {228, 228, 228, 228};  // +100 << 8
    int v8 = m.AddVoice(w8);
    m.Play(v8, false, false);
    auto out = Mix(m, 10);
    // 500 Hz at 1000 Hz out: each frame twice; 4 frames last 8 output frames.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(out[2 * i], 100 << 8) << i;
    EXPECT_EQ(out[16], 0);

    WaveData st = Constant16(0, 4, 1000, 2);
    for (int i = 0; i < 4; ++i) {
        st.samples[4 * i] = 0x10;  // left 16, right 0x2000
        st.samples[4 * i + 3] = 0x20;
    }
    int vs = m.AddVoice(st);
    m.SetFrequency(vs, 2000);
    m.Play(vs, false, false);
    out = Mix(m, 4);
    EXPECT_EQ(out[0], 16);
    EXPECT_EQ(out[1], 0x2000);
    EXPECT_EQ(out[4], 0);  // played out after two frames at double speed
    EXPECT_EQ(m.BaseFrequency(vs), 1000u);
}

TEST(Mixer, VolumeAndPanAttenuateInHundredthsOfADecibel) {
    Mixer m(1000);
    int v = m.AddVoice(Constant16(10000, 100, 1000));
    struct Case {
        int volume, pan, left, right;
    };
    const Case cases[] = {
        {0, 0, 10000, 10000},     {-600, 0, 5012, 5012}, {-10000, 0, 0, 0},
        {0, 10000, 0, 10000},     {0, -10000, 10000, 0}, {0, 600, 5012, 10000},
        {-600, -600, 5012, 2512}, {5, 20000, 0, 10000},
    };
    for (const Case& c : cases) {
        m.SetVolume(v, c.volume);
        m.SetPan(v, c.pan);
        m.Play(v, true, true);
        auto out = Mix(m, 1);
        EXPECT_NEAR(out[0], c.left, 2) << c.volume << " " << c.pan;
        EXPECT_NEAR(out[1], c.right, 2) << c.volume << " " << c.pan;
    }
}

TEST(Mixer, RefusesUnplayableSamplesAndSaturatesTheSum) {
    Mixer m(1000);
    WaveData bad = Constant16(1, 4, 1000);
    bad.format.formatTag = 2;
    std::string error;
    EXPECT_EQ(m.AddVoice(bad, &error), -1);
    EXPECT_FALSE(error.empty());
    int a = m.AddVoice(Constant16(30000, 4, 1000));
    int b = m.AddVoice(Constant16(30000, 4, 1000));
    m.Play(a, false, false);
    m.Play(b, false, false);
    EXPECT_EQ(Mix(m, 1)[0], 32767);
    // Operations on removed or unknown voices do nothing.
    m.RemoveVoice(a);
    m.Play(a, true, true);
    m.SetVolume(99, 0);
    EXPECT_FALSE(m.IsPlaying(a));
    EXPECT_EQ(m.AddVoice(Constant16(1, 1, 1000)), a);  // the freed place is reused
}

TEST(AudioOutput, OpensTheDummyDeviceAndFallsBackToNull) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    auto shared = AudioOutput::Shared();
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared, AudioOutput::Shared());  // one per process while held
    EXPECT_GT(shared->Rate(), 0);
    auto silent = AudioOutput::OpenNull();
    EXPECT_TRUE(silent->IsNull());
    int v = silent->GetMixer().AddVoice(Constant16(1, 10, 22050));
    silent->GetMixer().Play(v, true, false);
    EXPECT_TRUE(silent->GetMixer().IsPlaying(v));  // state is kept though nothing is heard
}

}  // namespace
}  // namespace zv::audio
