#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/audio/MidiSynth.h"
#include "platform/audio/SoundFont.h"
#include "platform/audio/testing/MidiFileBuilder.h"

namespace zv::audio {
namespace {

constexpr int kRate = 22050;

class MidiSynthTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("zv_midi_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        // Two short notes: about 0.4 s of music.
        WriteFile("tune.mid", testing::BuildMidiFile({{60, 0, 180}, {67, 200, 180}}));
        std::string error;
        synth = MidiSynth::Create(kRate, FindSoundFont(), &error);
        ASSERT_TRUE(synth) << error;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    std::string Path(const std::string& name) { return (dir / name).string(); }

    // Renders until the end callback has fired `ends` times or `seconds` have passed; returns
    // the peak absolute sample.
    int RenderFor(double seconds, std::atomic<int>* ends = nullptr, int untilEnds = 0) {
        std::vector<int16_t> buf(512 * 2);
        int peak = 0;
        for (int done = 0; done < int(seconds * kRate); done += 512) {
            synth->Render(buf.data(), 512);
            for (int16_t s : buf) peak = std::max(peak, std::abs(int(s)));
            if (ends && untilEnds && ends->load() >= untilEnds) break;
        }
        return peak;
    }

    std::filesystem::path dir;
    std::unique_ptr<MidiSynth> synth;
};

TEST_F(MidiSynthTest, RendersNonSilentMusicAndReportsTheEndOnce) {
    std::string error;
    ASSERT_TRUE(synth->Load(Path("tune.mid"), &error)) << error;
    std::atomic<int> ends{0};
    synth->SetEndCallback([&] { ++ends; });
    EXPECT_EQ(RenderFor(0.2), 0) << "silent until played";
    synth->Play();
    EXPECT_TRUE(synth->IsPlaying());
    EXPECT_GT(RenderFor(3.0, &ends, 1), 1000);
    EXPECT_EQ(ends.load(), 1);
    EXPECT_FALSE(synth->IsPlaying());
    RenderFor(0.5);
    EXPECT_EQ(ends.load(), 1);
    synth->Play();  // a finished piece needs a rewind
    EXPECT_FALSE(synth->IsPlaying());
}

TEST_F(MidiSynthTest, RewindStartsThePieceAgain) {
    ASSERT_TRUE(synth->Load(Path("tune.mid"), nullptr));
    std::atomic<int> ends{0};
    synth->SetEndCallback([&] { ++ends; });
    synth->Play();
    RenderFor(3.0, &ends, 1);
    ASSERT_EQ(ends.load(), 1);
    RenderFor(1.0);  // let the last note fade
    synth->Rewind();
    EXPECT_FALSE(synth->IsPlaying()) << "a rewind keeps a stopped piece stopped";
    synth->Play();
    EXPECT_GT(RenderFor(3.0, &ends, 2), 1000);
    EXPECT_EQ(ends.load(), 2);

    // Rewinding while playing restarts at once; stopping cuts the sound.
    synth->Rewind();
    synth->Play();
    RenderFor(0.1);
    synth->Stop();
    EXPECT_LT(RenderFor(0.3), 300) << "only the reverberation's tail is left";
    EXPECT_EQ(ends.load(), 2) << "a stop is no end";
}

TEST_F(MidiSynthTest, RefusesFilesThatAreNotMidi) {
    std::string error;
    EXPECT_FALSE(synth->Load(Path("missing.mid"), &error));
    EXPECT_FALSE(error.empty());
    WriteFile("noise.mid", {'R', 'I', 'F', 'F', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    EXPECT_FALSE(synth->Load(Path("noise.mid"), &error));
    EXPECT_FALSE(synth->HasPiece());
    synth->Play();
    EXPECT_FALSE(synth->IsPlaying());
    EXPECT_EQ(RenderFor(0.2), 0);
}

TEST_F(MidiSynthTest, RefusesMalformedStructureBeforeThePlayerSeesIt) {
    const std::vector<uint8_t> good = testing::BuildMidiFile({{60, 0, 180}});
    auto changed = [&](auto change) {
        std::vector<uint8_t> b = good;
        change(b);
        return b;
    };
    const std::vector<uint8_t> eot = {0x00, 0xFF, 0x2F, 0x00};
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        // The player's reader spun forever on this one: seven tracks named, then chunks of
        // another kind.
        {"another chunk where a track belongs",
         {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 7, 5, 0xFF, 7, 0, 0, 0, 0, 0, 0, 0x35}},
        {"more tracks named than held", changed([](auto& b) { b[9] = 1, b[11] = 2; })},
        {"bytes after the last track", changed([](auto& b) { b.push_back(0); })},
        {"no End of Track", changed([](auto& b) { b.resize(b.size() - 4), b[21] -= 4; })},
        {"track chunk longer than the file", changed([](auto& b) { b[21] += 1; })},
        {"SMPTE time division", changed([](auto& b) { b[12] = 0xE7; })},
        {"events after End of Track",
         changed([&](auto& b) { b.insert(b.end(), eot.begin(), eot.end()), b[21] += 4; })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_FALSE(synth->LoadBytes(c.bytes, "bad.mid", &error));
        EXPECT_NE(error.find("bad.mid is not a well-formed standard MIDI file"), std::string::npos)
            << error;
        EXPECT_FALSE(synth->HasPiece());
        synth->Play();
        EXPECT_EQ(RenderFor(0.1), 0);
    }
    std::string error;
    EXPECT_TRUE(synth->LoadBytes(good, "good.mid", &error)) << error;
}

TEST(SoundFont, MissingSoundFontMeansNoSynthesiser) {
    std::string error;
    EXPECT_FALSE(MidiSynth::Create(kRate, "", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(MidiSynth::Create(kRate, "/nonexistent/none.sf2", &error));
    EXPECT_FALSE(FindSoundFont().empty()) << "the build installs timgm6mb-soundfont";
}

}  // namespace
}  // namespace zv::audio
