// Music: the file checker and the synthesiser's reader on any bytes; a piece it accepts is
// played for a moment.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/audio/MidiSynth.h"
#include "platform/audio/SoundFont.h"
#include "tools/zvdata/audio/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    static audio::MidiSynth* synth = [] {
        std::string error;
        auto made = audio::MidiSynth::Create(22050, audio::FindSoundFont(), &error);
        if (!made) std::abort();
        return made.release();
    }();
    zvdata::audio::CheckMidi("fuzz.mid", zvdata::audio::Bytes(data, data + size));
    std::string error;
    if (synth->LoadBytes(std::vector<std::uint8_t>(data, data + size), "fuzz.mid", &error)) {
        synth->Play();
        std::int16_t out[2 * 1024];
        for (int i = 0; i < 8 && synth->IsPlaying(); ++i) synth->Render(out, 1024);
        synth->Unload();
    }
    return 0;
}
