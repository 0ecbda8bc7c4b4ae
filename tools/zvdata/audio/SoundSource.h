#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The synthesis description of a sound effect (data/sound/NAME.txt), one statement a line:
//
//   sound length=1.2 [peak=-1] [rate=22050]    the whole sound: seconds, peak level in dBFS
//   echo delay=0.11 level=0.3                  a feedback echo over the mix
//   voice wave=sine|square|saw|triangle|noise [start=S] [length=S] [level=0-1] [seed=N]
//   pitch T:HZ ...     (or one HZ)             the voice's frequency, glides between points
//   partials RATIO:LEVEL ...                   extra oscillators at multiples of the pitch
//   envelope T:LEVEL ...                       loudness 0-1 over the voice's time
//   filter lowpass|highpass|bandpass T:HZ ... [q=Q]   a resonant filter, its cutoff moving
//   drive N                                    soft saturation, 1 (clean) to 20
//   vibrato rate=HZ depth=SEMITONES            pitch wobble
//   tremolo rate=HZ depth=0-1                  loudness wobble
//
// Times are seconds from the voice's start. The voices are summed, the echo applied and the
// result scaled so that its loudest sample is at the peak level.
namespace zv::zvdata::audio {

struct SoundPoint {
    double time = 0;
    double value = 0;
};

enum class Wave { Sine, Square, Saw, Triangle, Noise };
enum class FilterKind { None, LowPass, HighPass, BandPass };

struct SoundVoice {
    Wave wave = Wave::Sine;
    double start = 0;
    double length = -1;  // to the end of the sound when negative
    double level = 1;
    std::uint32_t seed = 1;
    std::vector<SoundPoint> pitch;     // Hz
    std::vector<SoundPoint> partials;  // frequency ratio : level
    std::vector<SoundPoint> envelope;  // 0-1
    FilterKind filter = FilterKind::None;
    std::vector<SoundPoint> cutoff;  // Hz
    double q = 0.707;
    double drive = 1;
    double vibratoRate = 0, vibratoDepth = 0;
    double tremoloRate = 0, tremoloDepth = 0;
};

struct SoundSpec {
    int sampleRate = 22050;
    double length = 0;
    double peakDb = -1;
    double echoDelay = 0, echoLevel = 0;
    std::vector<SoundVoice> voices;
};

// False with "NAME line N: ..." in `error` for a faulty description.
bool ParseSound(const std::string& sourceName, std::string_view utf8, SoundSpec& spec,
                std::string& error);

// Renders 16-bit mono samples; the same description always gives the same samples. False when
// the result is silent.
bool RenderSound(const SoundSpec& spec, std::vector<std::int16_t>& samples, std::string& error);

}  // namespace zv::zvdata::audio
