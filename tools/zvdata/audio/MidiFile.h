#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/zvdata/GameFileCheck.h"
#include "tools/zvdata/audio/Bytes.h"

// Standard MIDI files (type 1) of the music, with General MIDI instruments.
namespace zv::zvdata::audio {

constexpr std::uint32_t kTicksPerQuarter = 480;
constexpr int kDrumChannel = 9;

struct MidiTrack {
    std::string name;
    int channel = 0;  // 0-15; 9 is the General MIDI drum kit
    int program = 0;  // General MIDI program 0-127
    int volume = 100;
    int pan = 64;
    int reverb = 40;
    int chorus = 0;
};

struct MidiNote {
    int track = 0;  // index into MidiPiece::tracks
    std::uint32_t tick = 0;
    std::uint32_t length = 0;
    int pitch = 60;
    int velocity = 90;
};

struct MidiTempo {
    std::uint32_t tick = 0;
    double bpm = 120;
};

struct MidiPiece {
    std::string title;
    int meterNumerator = 4;
    int meterDenominator = 4;
    std::vector<MidiTempo> tempos;  // the first at tick 0
    std::vector<MidiTrack> tracks;
    std::vector<MidiNote> notes;
    std::uint32_t lengthTicks = 0;  // every track ends here, so a looping player restarts on time
};

// Track 0 holds the title, meter and tempos; one track per instrument follows, which sets its
// controllers and program at tick 0. Notes end by lengthTicks; a note cut by a later one of the
// same pitch on its channel ends where that one starts.
Bytes WriteMidi(const MidiPiece& piece);

// Checks the header, that the track count matches the MTrk chunks, every chunk's length, every
// event (running status, data bytes, meta and sysex lengths), that each track ends with one End
// of Track at its chunk's end and that no note still sounds there.
FileCheck CheckMidi(const std::string& name, const Bytes& bytes);

}  // namespace zv::zvdata::audio
