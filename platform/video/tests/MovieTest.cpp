#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/video/Movie.h"
#include "platform/video/MoviePlayback.h"
#include "platform/video/MovieWindow.h"
#include "platform/video/testing/TestClip.h"

namespace zv::video {
namespace {

using testing::TestClipColour;

class MovieTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        dir = std::filesystem::temp_directory_path() /
              ("zv_movie_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        clip = (dir / "clip.mkv").string();
        std::string error;
        ASSERT_TRUE(testing::WriteTestClip(clip, spec, &error)) << error;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string WriteBytes(const std::string& name, const std::vector<char>& bytes) {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return path;
    }

    testing::TestClipSpec spec;  // 5 pictures of 32 x 24 at 10 a second, with sound
    std::filesystem::path dir;
    std::string clip;
};

TEST_F(MovieTest, DecodesEveryPictureInOrderWithItsSound) {
    std::string error;
    auto movie = Movie::Open(clip, 44100, &error);
    ASSERT_TRUE(movie) << error;
    EXPECT_EQ(movie->Width(), 32);
    EXPECT_EQ(movie->Height(), 24);
    EXPECT_TRUE(movie->HasAudio());
    EXPECT_EQ(movie->FrameDurationMs(), 100);
    MovieFrame f;
    int count = 0;
    while (movie->NextFrame(&f, &error)) {
        EXPECT_EQ(f.index, count);
        EXPECT_EQ(f.timeMs, 100 * count);
        ASSERT_EQ(f.pixels.size(), 32u * 24u);
        EXPECT_EQ(f.pixels[0], 0xFFFFFFu);
        EXPECT_EQ(f.pixels[1], TestClipColour(count)) << count;
        EXPECT_EQ(f.pixels.back(), TestClipColour(count)) << count;
        ++count;
    }
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(count, 5);
    std::vector<int16_t> sound = movie->TakeAudio();
    EXPECT_NEAR(double(sound.size()), 0.5 * 44100 * 2, 4096);
    int peak = 0;
    for (int16_t s : sound) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 7000);
}

TEST_F(MovieTest, PlaysAtTheMoviesPaceAndEndsOrStopsEarly) {
    std::string error;
    auto output = audio::AudioOutput::OpenNull(44100);
    MoviePlayback play(Movie::Open(clip, 44100, &error), output);
    std::vector<int> shown;
    auto show = [&](const MovieFrame& f) { shown.push_back(f.index); };
    play.Start(1000);
    EXPECT_EQ(play.Update(1000, show), PlaybackState::Playing);
    EXPECT_EQ(shown, std::vector<int>{0});
    EXPECT_EQ(play.MsUntilNextFrame(1000), 100u);
    play.Update(1099, show);
    EXPECT_EQ(shown.size(), 1u);
    play.Update(1100, show);
    play.Update(1350, show);  // late: the pictures due so far come in order
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3}));
    // The sound reaches the mixer.
    std::vector<int16_t> mixed(2048);
    output->GetMixer().Mix(mixed.data(), 1024);
    EXPECT_NE(*std::max_element(mixed.begin(), mixed.end()), 0);
    EXPECT_EQ(play.Update(1450, show), PlaybackState::Playing);
    EXPECT_EQ(play.Update(1499, show), PlaybackState::Playing) << "the last picture keeps its time";
    EXPECT_EQ(play.Update(1500, show), PlaybackState::Ended);
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4}));

    MoviePlayback early(Movie::Open(clip, 44100, &error), nullptr);
    shown.clear();
    early.Update(0, show);
    early.Stop();
    EXPECT_EQ(early.Update(1000, show), PlaybackState::Stopped);
    EXPECT_EQ(shown, std::vector<int>{0});
}

TEST_F(MovieTest, RefusesFilesThatDoNotPlay) {
    std::vector<char> clipBytes;
    {
        std::ifstream in(clip, std::ios::binary);
        clipBytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<char> noise(4000);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919) >> 3);
    std::vector<char> head(clipBytes.begin(), clipBytes.begin() + 64);
    std::vector<char> scrambled = clipBytes;
    for (std::size_t i = 200; i < scrambled.size(); ++i) scrambled[i] = char(scrambled[i] ^ 0x5A);
    const std::pair<const char*, std::string> cases[] = {
        {"missing", (dir / "none.mkv").string()},
        {"empty", WriteBytes("empty.mkv", {})},
        {"noise", WriteBytes("noise.avi", noise)},
        {"cut after its header", WriteBytes("head.mkv", head)},
        {"scrambled body", WriteBytes("scrambled.mkv", scrambled)},
    };
    for (const auto& [name, path] : cases) {
        std::string error;
        EXPECT_FALSE(Movie::Open(path, 44100, &error)) << name;
        EXPECT_NE(error.find(path), std::string::npos) << name << ": " << error;
    }
}

TEST_F(MovieTest, WindowShowsTheMovieAndTellsItsEnd) {
    auto backendOwned = std::make_unique<ui::HeadlessBackend>(320, 240);
    ui::HeadlessBackend* screen = backendOwned.get();
    ui::WindowManager wm(std::move(backendOwned));
    ui::WindowClass wc;
    wc.name = "Host";
    wc.proc = [](ui::Hwnd h, uint32_t m, ui::WParam w, ui::LParam l) {
        return ui::DefWindowProc(h, m, w, l);
    };
    ASSERT_TRUE(ui::RegisterClass(wc));
    ui::Hwnd host = ui::CreateWindowEx(0, "Host", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 320, 240,
                                       {}, 0, nullptr, nullptr);
    auto pump = [&](std::vector<ui::Msg>* notices) {
        ui::Msg m;
        while (ui::PeekMessage(&m, {}, 0, 0, ui::PM_REMOVE)) {
            if (m.message == ui::MM_MCINOTIFY) notices->push_back(m);
            ui::DispatchMessage(m);
        }
    };

    std::string error;
    EXPECT_FALSE(
        CreateMovieWindow(host, 0, 0, true, (dir / "none.mkv").string(), host, false, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ui::GetWindow(host, ui::GW_CHILD)) << "a failed movie leaves no window";

    ui::Hwnd movie = CreateMovieWindow(host, 100, 50, true, clip, host, false, &error);
    ASSERT_TRUE(movie) << error;
    ui::Rect r;
    ui::GetClientRect(movie, &r);
    EXPECT_EQ(r.Width(), 32);
    std::vector<ui::Msg> notices;
    for (int i = 0; i < 5; ++i) {
        pump(&notices);
        EXPECT_EQ(screen->PixelAt(110, 60), TestClipColour(i)) << i;
        screen->AdvanceClock(100);
    }
    screen->AdvanceClock(20);
    pump(&notices);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, kMciNotifySuccessful);
    EXPECT_FALSE(IsMoviePlaying(movie));
    ui::DestroyWindow(movie);

    ui::Hwnd again = CreateMovieWindow(host, 0, 0, true, clip, host, false, &error);
    pump(&notices);
    EXPECT_TRUE(IsMoviePlaying(again));
    EXPECT_TRUE(StopMovieWindow(again));
    screen->AdvanceClock(1000);
    pump(&notices);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1].wParam, kMciNotifyAborted);
    ui::DestroyWindow(host);
}

}  // namespace
}  // namespace zv::video
