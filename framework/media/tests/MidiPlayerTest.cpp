#include <cstdlib>

#include "framework/media/MidiPlayer.h"
#include "framework/media/tests/MediaTestSupport.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio/SoundFont.h"
#include "platform/audio/testing/MidiFileBuilder.h"

namespace zv::fw {
namespace {

// The player renders into a null output whose mixer the test drives, so music time passes
// only when the test renders it.
class MidiPlayerTest : public testing::MediaTest {
  protected:
    void SetUp() override {
        MediaTest::SetUp();
        output = audio::AudioOutput::OpenNull(22050);
        audio::AudioOutput::OverrideShared(output);
        // About 0.4 s of music.
        tune = Write("tune.mid", audio::testing::BuildMidiFile({{60, 0, 180}, {67, 200, 180}}));
        std::vector<audio::testing::TestNote> run;  // a note every 0.1 s for a second
        for (uint32_t i = 0; i < 10; ++i) run.push_back({uint8_t(60 + i), i * 96, 90});
        other = Write("other.mid", audio::testing::BuildMidiFile(run));
        frame = Host(0, 0, 100, 100);
    }
    void TearDown() override {
        audio::AudioOutput::OverrideShared(nullptr);
        MediaTest::TearDown();
    }

    // Renders `seconds` of sound; the peak sample.
    int Render(double seconds) {
        std::vector<int16_t> buf(2 * 441);
        int peak = 0;
        for (int done = 0; done < int(seconds * 22050); done += 441) {
            output->GetMixer().Mix(buf.data(), 441);
            for (int16_t s : buf) peak = std::max(peak, std::abs(int(s)));
        }
        return peak;
    }
    // Renders in small steps until an end notice is posted; the seconds it took (or -1).
    double RenderUntilNotice(MidiPlayer* player, double limit, std::vector<ui::Msg>* notices) {
        for (double t = 0; t < limit; t += 0.02) {
            Render(0.02);
            auto seen = Pump(ui::MM_MCINOTIFY);
            for (const ui::Msg& m : seen) MidiPlayer::OnNotify(m.wParam, m.lParam, player ? 1 : 0);
            if (!seen.empty()) {
                notices->insert(notices->end(), seen.begin(), seen.end());
                return t + 0.02;
            }
        }
        return -1;
    }

    std::shared_ptr<audio::AudioOutput> output;
    std::string tune, other;
    ui::Hwnd frame;
};

TEST_F(MidiPlayerTest, PlaysLoopsAndRestartsFromTheBeginning) {
    std::unique_ptr<MidiPlayer> player(CreateMidiPlayer(frame, 1));
    ASSERT_TRUE(player->HasDevice());
    EXPECT_EQ(player->Play(), 0) << "nothing open yet";
    ASSERT_EQ(player->Open(tune.c_str()), 1);
    EXPECT_STREQ(player->GetFileName(), tune.c_str());
    player->SetLoop(1);
    EXPECT_EQ(player->IsPlaying(), 0);
    EXPECT_EQ(player->Play(), 1);
    EXPECT_EQ(player->IsPlaying(), 1);

    std::vector<ui::Msg> notices;
    double first = RenderUntilNotice(player.get(), 3.0, &notices);
    ASSERT_GT(first, 0.3);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, kMciNotifySuccessful);
    EXPECT_EQ(notices[0].lParam, ui::LParam(player->DeviceId()));
    // Looping: the notice started the piece again, which sounds and ends once more.
    EXPECT_EQ(player->IsPlaying(), 1);
    EXPECT_GT(Render(0.1), 500);
    double second = RenderUntilNotice(player.get(), 3.0, &notices);
    EXPECT_NEAR(second + 0.1, first, 0.06);

    // PlayFromStart half way through rewinds: the end comes a whole piece later.
    Render(0.2);
    EXPECT_EQ(player->PlayFromStart(), 1);
    double fromStart = RenderUntilNotice(player.get(), 3.0, &notices);
    EXPECT_NEAR(fromStart, first, 0.06);
}

TEST_F(MidiPlayerTest, StopCloseAndStaleNotices) {
    std::unique_ptr<MidiPlayer> player(CreateMidiPlayer(frame, 1));
    EXPECT_EQ(CreateMidiPlayer(frame, 2), nullptr);
    EXPECT_EQ(player->Open((dir / "missing.mid").string().c_str()), 0);
    EXPECT_FALSE(player->IsOpen());
    ASSERT_EQ(player->Open(tune.c_str()), 1);
    player->SetLoop(1);
    player->Play();
    Render(0.1);
    uint16_t firstId = player->DeviceId();
    EXPECT_EQ(player->Stop(), 1);
    EXPECT_EQ(player->IsPlaying(), 0);
    EXPECT_EQ(player->PlayFromStart(), 0) << "a stopped piece is not restarted";
    MidiPlayer::OnNotify(kMciNotifySuccessful, firstId, 1);
    EXPECT_EQ(player->IsPlaying(), 0);
    Render(1.0);  // the reverberation dies away
    EXPECT_LT(Render(0.3), 50);

    // A second file closes the first; a late notice of the first changes nothing.
    ASSERT_EQ(player->Open(other.c_str()), 1);
    EXPECT_NE(player->DeviceId(), firstId);
    player->Play();
    Render(0.1);
    player->Pause();
    EXPECT_EQ(player->IsPlaying(), 1) << "a pause keeps the playing flag";
    Render(1.0);
    EXPECT_LT(Render(0.3), 50) << "and stays paused";
    player->Play();
    EXPECT_GT(Render(0.1), 300);
    MidiPlayer::OnNotify(kMciNotifySuccessful, firstId, 1);             // stale: ignored
    MidiPlayer::OnNotify(2, player->DeviceId(), 1);                     // not a success: ignored
    MidiPlayer::OnNotify(kMciNotifySuccessful, player->DeviceId(), 0);  // not enabled
    std::vector<ui::Msg> notices;
    double end = RenderUntilNotice(nullptr, 3.0, &notices);
    EXPECT_GT(end, 0.7) << "played on from where it was, not restarted early";
    EXPECT_LT(end, 0.95);
    EXPECT_GT(player->Close(), 0);
    EXPECT_FALSE(player->IsOpen());
    EXPECT_EQ(player->Play(), 0);
    DeleteMidiPlayer(player.release());
    DeleteMidiPlayer(nullptr);
    EXPECT_EQ(MidiPlayer::OnNotify(kMciNotifySuccessful, 1, 1), 1) << "no player: nothing";
}

TEST_F(MidiPlayerTest, WithoutASoundFontEverythingSucceedsSilently) {
    MidiPlayer player(frame, "");
    EXPECT_FALSE(player.HasDevice());
    EXPECT_EQ(player.Open(tune.c_str()), 1);
    EXPECT_EQ(player.Play(), 1);
    EXPECT_EQ(player.Pause(), 1);
    EXPECT_EQ(player.PlayFromStart(), 1);
    EXPECT_EQ(player.Stop(), 1);
    EXPECT_EQ(player.Close(), 0);
    EXPECT_EQ(Render(0.1), 0);
}

}  // namespace
}  // namespace zv::fw
