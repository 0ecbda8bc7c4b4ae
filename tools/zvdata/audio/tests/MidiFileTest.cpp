#include <gtest/gtest.h>

#include <tuple>

#include "tools/zvdata/audio/MidiFile.h"

namespace zv::zvdata::audio {
namespace {

struct Decoded {
    std::uint32_t tick;
    std::uint8_t status, a, b;
};

// The channel events of track `index` (1-based MTrk) of a file this writer made, which never
// uses running status.
std::vector<Decoded> ChannelEvents(const Bytes& bytes, int index) {
    std::size_t at = 14;
    for (int t = 0; t < index; ++t) at += 8 + GetBe32(bytes.data() + at + 4);
    const std::size_t end = at + 8 + GetBe32(bytes.data() + at + 4);
    std::vector<Decoded> events;
    std::uint32_t tick = 0;
    for (std::size_t i = at + 8; i < end;) {
        std::uint32_t delta = 0;
        while (bytes[i] & 0x80) delta = (delta << 7) | (bytes[i++] & 0x7F);
        delta = (delta << 7) | bytes[i++];
        tick += delta;
        const std::uint8_t status = bytes[i];
        if (status == 0xFF) {
            i += 3 + bytes[i + 2];
        } else if ((status & 0xF0) == 0xC0) {
            events.push_back({tick, status, bytes[i + 1], 0});
            i += 2;
        } else {
            events.push_back({tick, status, bytes[i + 1], bytes[i + 2]});
            i += 3;
        }
    }
    return events;
}

MidiPiece TwoTrackPiece() {
    MidiPiece piece;
    piece.title = "test";
    piece.tempos = {{0, 120}, {3840, 60}};
    piece.tracks = {{"lead", 0, 56, 100, 64, 40, 0}, {"drums", kDrumChannel, 0, 90, 64, 40, 0}};
    piece.notes = {{0, 0, 480, 60, 90},
                   {0, 480, 480, 64, 91},
                   {1, 0, 120, 36, 100},
                   {1, 960, 120, 38, 80},
                   {0, 5000, 9000, 67, 70}};
    piece.lengthTicks = 5760;  // two bars at 120 and one at 60: 8 seconds
    return piece;
}

TEST(MidiFile, WritesTypeOneWithAConductorTrackAndOneTrackAnInstrument) {
    const Bytes bytes = WriteMidi(TwoTrackPiece());
    ASSERT_GE(bytes.size(), 14u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "MThd");
    EXPECT_EQ(GetBe32(bytes.data() + 4), 6u);
    EXPECT_EQ(GetBe16(bytes.data() + 8), 1u);   // type 1
    EXPECT_EQ(GetBe16(bytes.data() + 10), 3u);  // conductor + 2
    EXPECT_EQ(GetBe16(bytes.data() + 12), 480u);

    const FileCheck check = CheckMidi("t.mid", bytes);
    ASSERT_TRUE(check.ok) << check.problems[0];
    EXPECT_EQ(check.summary, "t.mid: MIDI type 1, 3 tracks, 480 ticks a quarter, 5 notes, 0:08.0");

    // The lead sets up its channel, then its notes; the last is cut at the piece's end.
    const std::vector<Decoded> lead = ChannelEvents(bytes, 1);
    ASSERT_EQ(lead.size(), 13u);
    EXPECT_EQ(std::tie(lead[2].status, lead[2].a),
              std::make_tuple(std::uint8_t{0xC0}, std::uint8_t{56}));
    EXPECT_EQ(lead[3].a, 7);  // volume
    EXPECT_EQ(lead[3].b, 100);
    EXPECT_EQ(lead[7].tick, 0u);
    EXPECT_EQ(lead[7].status, 0x90);
    EXPECT_EQ(lead[8].tick, 480u);  // the first note ends before the second starts
    EXPECT_EQ(lead[8].status, 0x80);
    EXPECT_EQ(lead[9].status, 0x90);
    EXPECT_EQ(lead[12].tick, 5760u);
    EXPECT_EQ(lead[12].status, 0x80);
    EXPECT_EQ(lead[12].a, 67);
    const std::vector<Decoded> drums = ChannelEvents(bytes, 2);
    EXPECT_EQ(drums[7].status, 0x99);
}

TEST(MidiFile, OverlappingNotesOfOnePitchEndWhereTheNextBegins) {
    MidiPiece piece = TwoTrackPiece();
    piece.notes = {{0, 0, 960, 60, 90}, {0, 480, 480, 60, 90}, {0, 480, 0, 62, 90}};
    const Bytes bytes = WriteMidi(piece);
    ASSERT_TRUE(CheckMidi("o.mid", bytes).ok);
    const std::vector<Decoded> lead = ChannelEvents(bytes, 1);
    ASSERT_EQ(lead.size(), 11u);  // seven set-up events, two notes; the empty one is dropped
    EXPECT_EQ(std::tie(lead[7].tick, lead[7].status), std::make_tuple(0u, std::uint8_t{0x90}));
    EXPECT_EQ(std::tie(lead[8].tick, lead[8].status), std::make_tuple(480u, std::uint8_t{0x80}));
    EXPECT_EQ(std::tie(lead[9].tick, lead[9].status), std::make_tuple(480u, std::uint8_t{0x90}));
    EXPECT_EQ(std::tie(lead[10].tick, lead[10].status), std::make_tuple(960u, std::uint8_t{0x80}));
}

// A type 0 or 1 file of the given raw track bodies.
Bytes Smf(const std::vector<Bytes>& tracks, std::uint32_t trackCount = 0) {
    Bytes out;
    PutText(out, "MThd");
    PutBe32(out, 6);
    PutBe16(out, tracks.size() == 1 ? 0 : 1);
    PutBe16(out, trackCount ? trackCount : static_cast<std::uint32_t>(tracks.size()));
    PutBe16(out, 96);
    for (const Bytes& body : tracks) {
        PutText(out, "MTrk");
        PutBe32(out, static_cast<std::uint32_t>(body.size()));
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

TEST(MidiFile, RunningStatusAndVelocityZeroNoteOffsAreRead) {
    const Bytes bytes = Smf({{0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,  // one second a quarter
                              0x00, 0x90, 60,   64,   0x60, 60,   0,    0x00, 62,
                              64,   0x60, 0x80, 62,   0,    0x00, 0xFF, 0x2F, 0x00}});
    const FileCheck check = CheckMidi("r.mid", bytes);
    ASSERT_TRUE(check.ok) << check.problems[0];
    EXPECT_EQ(check.summary, "r.mid: MIDI type 0, 1 tracks, 96 ticks a quarter, 2 notes, 0:02.0");
}

TEST(MidiFile, DamagedFilesAreRefusedWithTheReason) {
    const Bytes end = {0x00, 0xFF, 0x2F, 0x00};
    auto track = [&](Bytes events, bool withEnd = true) {
        if (withEnd) events.insert(events.end(), end.begin(), end.end());
        return events;
    };
    Bytes badFormat = WriteMidi(TwoTrackPiece());
    badFormat[9] = 3;
    Bytes smpte = WriteMidi(TwoTrackPiece());
    smpte[12] = 0xE7;
    Bytes overrun = Smf({track({})});
    overrun[21] = 100;
    const std::pair<Bytes, std::string> cases[] = {
        {{'R', 'I', 'F', 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "not a standard MIDI file"},
        {badFormat, "format 3 is not 0, 1 or 2"},
        {smpte, "the time division is not ticks a quarter note"},
        {Smf({track({}), track({})}, 3), "the header names 3 tracks, the file holds 2"},
        {overrun, "chunk at byte 14 says 100 bytes, only 4 follow"},
        {Smf({track({0x00, 0x40, 0x40})}), "track 1: a running status with no status before it"},
        {Smf({track({0x00, 0x90, 0x90, 0x40})}), "track 1: a data byte above 127 at tick 0"},
        {Smf({track({0x00, 0x90, 60, 64, 0x10, 0x80, 60, 0x40}, false)}),
         "track 1: no End of Track"},
        {Smf({Bytes{0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 60, 64}}),
         "track 1: events follow the End of Track"},
        {Smf({track({0x00, 0x91, 60, 64})}),
         "track 1: note 60 on channel 2 still sounds at the end"},
        {Smf({track({0x00, 0xFF, 0x03, 0x20, 'a'}, false)}),
         "track 1: meta event 3 overruns the track"},
        {Smf({track({0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, false)}),
         "track 1: a delta time is cut off or too long"},
        {Smf({track({0x00, 0xF0, 0x10, 0x7E})}),
         "track 1: a system exclusive event overruns the track"},
        {Smf({track({0x00, 0xFF, 0x51, 0x02, 1, 2})}), "track 1: a tempo event of 2 bytes"},
    };
    for (const auto& [bytes, problem] : cases) {
        const FileCheck check = CheckMidi("m.mid", bytes);
        EXPECT_FALSE(check.ok) << problem;
        ASSERT_EQ(check.problems.size(), 1u) << problem;
        EXPECT_EQ(check.problems[0], "m.mid: " + problem);
    }
}

}  // namespace
}  // namespace zv::zvdata::audio
