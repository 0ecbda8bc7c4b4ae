#pragma once

#include <string>
#include <string_view>

#include "tools/zvdata/audio/MidiFile.h"

// A score of the music (data/music/NAME.txt), one statement a line, "#" comments:
//
//   file BGM01.MID                 the file it becomes, relative to the program directory
//   title Iron Column              the name written into the MIDI file
//   tempo 112                      quarter notes a minute
//   meter 4/4                      beats a bar and the beat's note value
//   humanize 6                     velocities vary by up to this much (the same way each build)
//   track NAME program=56 [volume= pan= reverb= chorus= octave=4 velocity=90]
//   track NAME drums [volume= ...] the General MIDI drum kit
//   pattern NAME STEP...           a figure over the current chord (see below)
//   grid NAME steps=16             a one-bar rhythm: lines "DRUM x..x....", then "end"
//   section NAME [bars=N]          a part of the piece, up to "end":
//       chords Dm | Bb:8 C:8 | % | -        chords a bar, "|" between bars
//       play TRACK NAME*4 - NAME ...        one pattern or grid a bar ("-" rests)
//       notes TRACK d5:4 f5 a5:8 | ...      notes written out, "|" checks bar lines
//       tempo 96                            the tempo from this section on
//   form intro A A B A*2           the order of the sections; the file loops to its start
//
// Durations are sixteenths (":4" a quarter, ":4/3" a triplet eighth) and carry on to the next
// note. Notes are c4 (middle C), f#5, bb3; "r" rests; "[d4 f4 a4]" sounds together; a "~"
// after a note ties it to the next; "!" accents and "?" softens; "v80" sets the velocity.
// Pattern steps name chord tones instead: 1 3 5 7 9, "b" the bass of a slash chord, "+" and
// "-" an octave up or down ("5-", "[1 3 5]:16"). Chords: C Cm C7 Cmaj7 Cm7 C6 Cm6 Cdim Cdim7
// Cm7b5 Caug Csus2 Csus4 C7sus4 C5 Cadd9 Cmadd9 C9 Cm9 Cmaj9, any of them "/E" over a bass.
// Drum names: kick kick2 snare snare2 rim clap hat pedal openhat crash crash2 ride bell
// splash china tamb cowbell lowtom midtom hightom floortom timbale (or a MIDI note number).
namespace zv::zvdata::audio {

struct Score {
    std::string file;  // "BGM01.MID", "Zv6open/title.mid"
    MidiPiece piece;
    double seconds = 0;
};

// False with "NAME line N: ..." in `error` for a faulty score.
bool CompileScore(const std::string& sourceName, std::string_view utf8, Score& score,
                  std::string& error);

}  // namespace zv::zvdata::audio
