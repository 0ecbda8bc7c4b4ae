// Sound effects: the WAVE reader and the file checker on any bytes; what the mixer accepts is
// played through once, looped, at another frequency.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/audio/Mixer.h"
#include "platform/audio/WaveFile.h"
#include "tools/zvdata/audio/WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    zvdata::audio::CheckWave("fuzz.wav", zvdata::audio::Bytes(data, data + size));
    audio::WaveData wave;
    std::string error;
    if (!audio::ParseWave(std::span<const std::uint8_t>(data, size), &wave, &error)) return 0;
    audio::Mixer mixer(22050);
    const int voice = mixer.AddVoice(wave, &error);
    if (voice < 0) return 0;
    mixer.SetFrequency(voice, 44100);
    mixer.Play(voice, true, true);
    std::int16_t out[2 * 512];
    for (int i = 0; i < 4; ++i) mixer.Mix(out, 512);
    return 0;
}
