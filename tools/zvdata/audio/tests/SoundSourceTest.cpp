#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/zvdata/audio/SoundSource.h"
#include "tools/zvdata/audio/WaveFile.h"

namespace zv::zvdata::audio {
namespace {

std::vector<std::int16_t> Render(const std::string& source) {
    SoundSpec spec;
    std::string error;
    std::vector<std::int16_t> samples;
    EXPECT_TRUE(ParseSound("t.txt", source, spec, error)) << error;
    EXPECT_TRUE(RenderSound(spec, samples, error)) << error;
    return samples;
}

int Peak(const std::vector<std::int16_t>& samples, std::size_t from = 0,
         std::size_t to = SIZE_MAX) {
    int peak = 0;
    for (std::size_t i = from; i < std::min(to, samples.size()); ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    return peak;
}

// Mean square of the sample-to-sample steps over the mean square: near 0 for a dull sound,
// near 2 for white noise.
double Brightness(const std::vector<std::int16_t>& s) {
    double steps = 0, power = 0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const double d = s[i] - s[i - 1];
        steps += d * d;
        power += static_cast<double>(s[i]) * s[i];
    }
    return steps / power;
}

TEST(SoundSource, RendersTheLengthPitchAndPeakItDescribes) {
    const std::string source =
        "# a plain tone\n"
        "sound length=0.5 peak=-6\n"
        "voice wave=sine level=0.3\n"
        "pitch 441\n";
    const std::vector<std::int16_t> samples = Render(source);
    ASSERT_EQ(samples.size(), 11025u);
    EXPECT_NEAR(Peak(samples), std::lround(32767 * std::pow(10.0, -6.0 / 20)), 1);
    int rising = 0;  // upward zero crossings: one a cycle
    for (std::size_t i = 1; i < samples.size(); ++i)
        rising += samples[i - 1] < 0 && samples[i] >= 0;
    EXPECT_NEAR(rising, 220, 2);
    EXPECT_EQ(samples, Render(source));  // deterministic
}

TEST(SoundSource, VoicesStartLateTheFilterDullsAndTheEchoRepeats) {
    // A voice that starts at 0.2 s leaves silence before it.
    const std::vector<std::int16_t> late =
        Render("sound length=0.4\nvoice wave=square start=0.2 length=0.1\npitch 300\n");
    EXPECT_EQ(Peak(late, 0, 4410), 0);
    EXPECT_GT(Peak(late, 4410, 6615), 20000);
    EXPECT_EQ(Peak(late, 6700), 0);

    const double open = Brightness(Render("sound length=0.5\nvoice wave=noise seed=9\n"));
    const double dull =
        Brightness(Render("sound length=0.5\nvoice wave=noise seed=9\nfilter lowpass 300 q=0.7\n"));
    const double thin =
        Brightness(Render("sound length=0.5\nvoice wave=noise seed=9\nfilter highpass 6000\n"));
    EXPECT_GT(open, 1.5);
    EXPECT_LT(dull, open / 20);
    EXPECT_GT(thin, open);

    // A 50 ms burst echoes 200 ms later, more quietly.
    const std::vector<std::int16_t> echo = Render(
        "sound length=0.5\necho delay=0.2 level=0.5\nvoice wave=sine length=0.05\npitch 500\n");
    const int first = Peak(echo, 0, 1103), repeat = Peak(echo, 4410, 5513);
    EXPECT_NEAR(repeat, first / 2, 40);
    EXPECT_EQ(Peak(echo, 1200, 4400), 0);
}

TEST(SoundSource, BrokenDescriptionsAreRefusedWithTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"voice wave=sine\n", "t.txt line 1: the description starts with \"sound length=...\""},
        {"sound peak=-1\n", "t.txt line 1: \"sound\" needs length="},
        {"sound length=20\n", "t.txt line 1: length is a number from 0.01 to 10, not \"20\""},
        {"sound length=1\nsound length=1\n", "t.txt line 2: a second \"sound\" statement"},
        {"sound length=1 rate=16000\n", "t.txt line 1: rate is 11025, 22050 or 44100"},
        {"sound length=1\n", "t.txt: no voice"},
        {"", "t.txt: no \"sound\" statement"},
        {"sound length=1\npitch 440\n", "t.txt line 2: \"pitch\" before any \"voice\""},
        {"sound length=1\nvoice wave=buzz\n",
         "t.txt line 2: wave is sine, square, saw, triangle or noise, not \"buzz\""},
        {"sound length=1\nvoice wave=sine colour=red\n",
         "t.txt line 2: \"voice\" has no setting \"colour\""},
        {"sound length=1\nvoice wave=sine level=1 level=1\n",
         "t.txt line 2: \"level\" is given twice"},
        {"sound length=1\nvoice wave=sine start=0.5 length=0.6\n",
         "t.txt line 2: the voice ends after the sound's length"},
        {"sound length=1\nvoice wave=noise\npitch 100\n",
         "t.txt line 3: a noise voice has no pitch"},
        {"sound length=1\nvoice wave=sine\nenvelope 0:0 0.5:1 0.2:0\n",
         "t.txt line 3: the point 0.2:0 goes back in time"},
        {"sound length=1\nvoice wave=sine\nenvelope 0:0 0.5:2\n",
         "t.txt line 3: \"0.5:2\" is not a TIME:VALUE point (time 0-10 s, value 0-1)"},
        {"sound length=1\nvoice wave=sine\npitch 0:440 fast\n",
         "t.txt line 3: \"fast\" is not a TIME:VALUE point (time 0-10 s, value 20-20000)"},
        {"sound length=1\nvoice wave=sine\nfilter notch 400\n",
         "t.txt line 3: a filter is lowpass, highpass or bandpass, not \"notch\""},
        {"sound length=1\nvoice wave=sine\nfilter lowpass 400 q=99\n",
         "t.txt line 3: q is a number from 0.3 to 30, not \"99\""},
        {"sound length=1\nvoice wave=sine\ndrive 0.5\n",
         "t.txt line 3: \"drive N\" takes one number from 1 to 20"},
        {"sound length=1\nvoice wave=sine\nvibrato rate=5\n",
         "t.txt line 3: \"vibrato\" needs depth="},
        {"sound length=1\nvoice wave=sine\npartials 2\n",
         "t.txt line 3: \"2\" is not a RATIO:LEVEL partial (ratio 0.1-32, level 0-1)"},
        {"sound length=1\nvoice wave=sine\nreverb 3\n",
         "t.txt line 3: unknown statement \"reverb\""},
    };
    for (const auto& [source, message] : cases) {
        SoundSpec spec;
        std::string error;
        EXPECT_FALSE(ParseSound("t.txt", source, spec, error)) << source;
        EXPECT_EQ(error, message);
    }
    SoundSpec silent;
    std::string error;
    std::vector<std::int16_t> samples;
    ASSERT_TRUE(ParseSound("t.txt", "sound length=1\nvoice wave=sine level=0\n", silent, error));
    EXPECT_FALSE(RenderSound(silent, samples, error));
    EXPECT_EQ(error, "the sound is silent");
}

// The game's five effects: each renders short, loud enough and unclipped.
TEST(SoundSource, TheGamesEffectsRenderCleanly) {
    const std::string folder = std::string(ZV_SOURCE_DIR) + "/data/sound/";
    for (const char* name : {"chakudan", "alart", "zenmetsu", "message", "message1"}) {
        std::ifstream in(folder + name + ".txt");
        ASSERT_TRUE(in) << name;
        std::stringstream text;
        text << in.rdbuf();
        SoundSpec spec;
        std::string error;
        std::vector<std::int16_t> samples;
        ASSERT_TRUE(ParseSound(name, text.str(), spec, error)) << error;
        ASSERT_TRUE(RenderSound(spec, samples, error)) << error;
        EXPECT_EQ(spec.sampleRate, 22050) << name;
        EXPECT_GE(samples.size(), 22050u) << name;       // at least a second
        EXPECT_LE(samples.size(), 3u * 22050u) << name;  // and short
        const int peak = Peak(samples);
        EXPECT_LT(peak, 32767) << name;
        EXPECT_GT(peak, 16000) << name;
        EXPECT_LT(std::abs(samples.front()) + std::abs(samples.back()), 200) << name << ": clicks";
        EXPECT_TRUE(CheckWave(name, WriteWave(samples, spec.sampleRate)).ok);
    }
}

}  // namespace
}  // namespace zv::zvdata::audio
