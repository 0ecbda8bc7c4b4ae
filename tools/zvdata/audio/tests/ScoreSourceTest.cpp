#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <tuple>

#include "tools/zvdata/audio/ScoreSource.h"

namespace zv::zvdata::audio {
namespace {

using Note = std::tuple<int, std::uint32_t, std::uint32_t, int>;  // track, tick, length, pitch

std::vector<Note> NotesOf(const Score& score) {
    std::vector<Note> notes;
    for (const MidiNote& n : score.piece.notes)
        notes.emplace_back(n.track, n.tick, n.length, n.pitch);
    std::sort(notes.begin(), notes.end());
    return notes;
}

Score Compile(const std::string& source) {
    Score score;
    std::string error;
    EXPECT_TRUE(CompileScore("s.txt", source, score, error)) << error;
    return score;
}

const char* const kHeader =
    "file Test.mid\n"
    "tempo 120\n"
    "track lead program=56\n"
    "track bass program=32 octave=2 velocity=80\n"
    "track drums drums\n";

TEST(ScoreSource, ChordPatternsGridsAndNotesLandOnTheirTicks) {
    const Score score = Compile(std::string(kHeader) +
                                "pattern walk b:8 5:8\n"
                                "grid beat steps=4\n"
                                "kick x...\n"
                                "snare ..X.\n"
                                "end\n"
                                "section A\n"
                                "chords C | G/B\n"
                                "play bass walk*2\n"
                                "play drums beat -\n"
                                "notes lead c5:4 e5 g5 c6 | b4:16\n"
                                "end\n"
                                "form A*2\n");
    EXPECT_EQ(score.file, "Test.mid");
    EXPECT_DOUBLE_EQ(score.seconds, 8.0);
    EXPECT_EQ(score.piece.lengthTicks, 7680u);
    ASSERT_EQ(score.piece.tracks.size(), 3u);
    EXPECT_EQ(score.piece.tracks[1].channel, 1);
    EXPECT_EQ(score.piece.tracks[2].channel, kDrumChannel);
    EXPECT_EQ(score.piece.tracks[1].program, 32);

    std::vector<Note> expected;
    for (std::uint32_t round : {0u, 3840u}) {
        // C: the bass C2 then G2; G/B: its bass B1 then the fifth of G (D2).
        expected.insert(expected.end(), {{1, round + 0, 960, 36},
                                         {1, round + 960, 960, 43},
                                         {1, round + 1920, 960, 35},
                                         {1, round + 2880, 960, 38}});
        expected.insert(expected.end(), {{0, round + 0, 480, 72},
                                         {0, round + 480, 480, 76},
                                         {0, round + 960, 480, 79},
                                         {0, round + 1440, 480, 84},
                                         {0, round + 1920, 1920, 71}});
        expected.insert(expected.end(), {{2, round + 0, 480, 36}, {2, round + 960, 480, 38}});
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(NotesOf(score), expected);
    for (const MidiNote& n : score.piece.notes) {
        if (n.track == 1) {
            EXPECT_EQ(n.velocity, 80);
        }
        if (n.track == 2) {
            EXPECT_EQ(n.velocity, n.pitch == 38 ? 120 : 100);  // X is loud
        }
    }
}

TEST(ScoreSource, TiesChordsTripletsAccentsAndTempoChanges) {
    const Score score = Compile(
        "file T.mid\ntempo 90\nmeter 3/4\n"
        "track lead program=0 velocity=90\n"
        "section A bars=2\n"
        "notes lead c5:8 d5:4~ | d5:2 [c4 e4 g4]:4! e5:4/3? f5 g5 r:2\n"
        "end\n"
        "section B bars=1\n"
        "tempo 60\n"
        "notes lead v70 c5:12\n"
        "end\n"
        "form A B\n");
    const std::vector<Note> expected = {
        {0, 0, 960, 72},    {0, 960, 720, 74},  // d5 tied over the bar line: 4 + 2 sixteenths
        {0, 1680, 480, 60}, {0, 1680, 480, 64}, {0, 1680, 480, 67}, {0, 2160, 160, 76},
        {0, 2320, 160, 77}, {0, 2480, 160, 79}, {0, 2880, 1440, 72}};
    EXPECT_EQ(NotesOf(score), expected);
    for (const MidiNote& n : score.piece.notes) {
        if (n.pitch == 64) {
            EXPECT_EQ(n.velocity, 106);  // accented chord
        }
        if (n.pitch == 76) {
            EXPECT_EQ(n.velocity, 74);  // softened
        }
        if (n.tick == 2880) {
            EXPECT_EQ(n.velocity, 70);
        }
    }
    EXPECT_EQ(score.piece.meterNumerator, 3);
    ASSERT_EQ(score.piece.tempos.size(), 2u);
    EXPECT_EQ(score.piece.tempos[1].tick, 2880u);
    EXPECT_DOUBLE_EQ(score.piece.tempos[1].bpm, 60);
    EXPECT_DOUBLE_EQ(score.seconds, 2 * 2.0 + 3.0);
    EXPECT_TRUE(CheckMidi("T.mid", WriteMidi(score.piece)).ok);
}

TEST(ScoreSource, BrokenScoresAreRefusedWithTheLine) {
    const std::string h = kHeader;  // 5 lines
    const std::string grid = "grid beat\nkick x...x...x...x...\nend\n";
    const std::pair<std::string, std::string> cases[] = {
        {"tempo 120\ntrack a program=1\nsection A bars=1\nnotes a c4:16\nend\nform A\n",
         "s.txt: no \"file NAME.mid\""},
        {"file x.wav\n",
         "s.txt line 1: the file is NAME.mid or FOLDER/NAME.mid in the program directory"},
        {"file ../x.mid\n",
         "s.txt line 1: the file is NAME.mid or FOLDER/NAME.mid in the program directory"},
        {"tempo 500\n", "s.txt line 1: a tempo is 20-300"},
        {"meter 5/3\n", "s.txt line 1: a meter is N/D with N 1-16 and D 2, 4, 8 or 16"},
        {h + "track lead program=3\n", "s.txt line 6: a second track \"lead\""},
        {h + "track pad\n", "s.txt line 6: track \"pad\" needs program=0-127"},
        {h + "track pad program=128\n", "s.txt line 6: program is 0-127, not \"128\""},
        {h + "track pad program=1 colour=2\n", "s.txt line 6: a track has no setting \"colour\""},
        {h + "track kit drums\n", "s.txt line 6: a second drum track"},
        {h + "pattern p 1:4 4:4\n",
         "s.txt line 6: \"4\": a pattern step is a chord tone 1 3 5 7 9 or b, with + or - for "
         "octaves"},
        {h + "pattern p 1:0\n",
         "s.txt line 6: \"1:0\": a duration is sixteenths, 1-256, or N/M of them in whole ticks"},
        {h + "pattern p 1:1/7\n",
         "s.txt line 6: \"1:1/7\": a duration is sixteenths, 1-256, or N/M of them in whole ticks"},
        {h + grid + "grid beat\nkick x\nend\n", "s.txt line 9: a second grid \"beat\""},
        {h + "grid g\nkick x..x\nend\n", "s.txt line 7: \"x..x\" has 4 steps, the grid 16"},
        {h + "grid g steps=7\n", "s.txt line 6: a bar does not split into 7 steps"},
        {h + "grid g steps=4\nkick x-x-\nend\n",
         "s.txt line 7: grid steps are X (loud), x, o, g (ghost) or . (rest)"},
        {h + "section A\nchords C | Dm7 | Hm\nend\n",
         "s.txt line 7: \"Hm\" is no chord (C, Dm, Bb7, F#m7b5/E, - for none)"},
        {h + "section A\nchords Cmaj13\nend\n",
         "s.txt line 7: \"Cmaj13\": unknown chord quality \"maj13\""},
        {h + "section A\nchords C/H\nend\n",
         "s.txt line 7: \"C/H\": the bass after \"/\" is a note A-G"},
        {h + "section A\nchords C:12 G:8\nend\n",
         "s.txt line 7: the chords of a bar do not fill it: C:12 ..."},
        {h + "section A\nchords % | C\nend\n",
         "s.txt line 7: \"%\" repeats a bar, and there is none before"},
        {h + "section A bars=2\nchords C\nend\n",
         "s.txt line 7: section A has bars=2 and 1 bars of chords"},
        {h + "section A\nend\n", "s.txt line 7: section A needs bars=N or chords"},
        {h + "section A bars=2\nnotes lead c4:16 | c4:12 d4:8\nend\n",
         "s.txt line 7: the notes of lead last 36 sixteenths, section A 32"},
        {h + "section A bars=2\nnotes lead c4:12 | d4:4 e4:16\nend\n",
         "s.txt line 7: a bar line after 0 bars and 12 sixteenths"},
        {h + "section A bars=1\nnotes lead h4:16\nend\n",
         "s.txt line 7: \"h4\" is no note (c4 is middle C) of track lead"},
        {h + "section A bars=1\nnotes drums bongo:16\nend\n",
         "s.txt line 7: \"bongo\" is no drum of track drums"},
        {h + "section A bars=1\nnotes lead c4:8~ d4:8\nend\n",
         "s.txt line 7: \"d4:8\" does not go on with the note tied before it"},
        {h + "section A bars=1\nnotes lead c4:16~\nend\n",
         "s.txt line 7: the last note of lead is tied to nothing"},
        {h + "section A bars=1\nnotes lead [c4 e4:16\nend\n",
         "s.txt line 7: a \"[\" without its \"]\""},
        {h + "section A bars=1\nnotes piano c4:16\nend\n", "s.txt line 7: no track \"piano\""},
        {h + "section A bars=2\nplay drums beat\nend\n",
         "s.txt line 7: no pattern or grid \"beat\" above"},
        {h + grid + "section A bars=2\nplay drums beat*3\nend\n",
         "s.txt line 10: track drums plays more bars than the section's 2"},
        {h + grid + "section A bars=2\nplay drums beat\nend\n",
         "s.txt line 10: track drums plays 1 bars, the section has 2"},
        {h + "pattern p 1:16\nsection A bars=1\nplay lead p\nend\n",
         "s.txt line 8: bar 1 has no chord for pattern \"p\""},
        {h + "pattern p 1:16\nsection A\nchords C\nplay drums p\nend\n",
         "s.txt line 9: pattern \"p\" needs chords; the drum track plays grids"},
        {h + "section A bars=1\nloop lead\nend\n",
         "s.txt line 7: a section holds chords, play, notes and tempo lines, not \"loop\""},
        {h + "section A bars=1\nnotes lead c4:16\n", "s.txt: \"A\" has no \"end\""},
        {h + "form B\n", "s.txt line 6: no section \"B\" above the form"},
        {h + "section A bars=1\nnotes lead c4:16\nend\n", "s.txt: no form"},
        {h + "section A bars=1\nnotes lead r:16\nend\nform A\n", "s.txt: the piece has no notes"},
        {h + "end\n", "s.txt line 6: \"end\" without a grid or section"},
        {h + "volume 3\n", "s.txt line 6: unknown statement \"volume\""},
    };
    for (const auto& [source, message] : cases) {
        Score score;
        std::string error;
        EXPECT_FALSE(CompileScore("s.txt", source, score, error)) << source;
        EXPECT_EQ(error, message);
    }
}

// Every piece the game plays is in data/music, lasts a minute or more and writes a sound file.
TEST(ScoreSource, TheGamesMusicIsCompleteAndLongEnough) {
    const std::set<std::string> wanted = {
        "BGM01.MID", "BGM02.MID",  "BGM03.MID", "BGM04.MID", "BGM05.MID",
        "BGM06.MID", "BGM07.MID",  "BGM08.MID", "BGM09.MID", "BGM10.MID",
        "Op.mid",    "Hensei.mid", "win.mid",   "lose.mid",  "Zv6open/title.mid",
        "Zvscenes/RCDATA154.mid"};  // the screensaver's title-9 opening
    std::set<std::string> made;
    const std::string folder = std::string(ZV_SOURCE_DIR) + "/data/music/";
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        Score score;
        std::string error;
        ASSERT_TRUE(CompileScore(entry.path().filename().string(), text.str(), score, error))
            << error;
        EXPECT_GE(score.seconds, 60.0) << score.file;
        EXPECT_GE(score.piece.tracks.size(), 4u) << score.file;
        const FileCheck check = CheckMidi(score.file, WriteMidi(score.piece));
        EXPECT_TRUE(check.ok) << score.file;
        made.insert(score.file);
    }
    EXPECT_EQ(made, wanted);
}

}  // namespace
}  // namespace zv::zvdata::audio
