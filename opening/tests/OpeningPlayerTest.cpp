#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "opening/OpeningPlayer.h"
#include "opening/tests/OpeningTestFiles.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "platform/video/testing/TestClip.h"

namespace zv::opening {
namespace {

constexpr uint32_t kLogoColour = 0xF0F0F0;  // (30, 60, 30) in 5-6-5
uint32_t BackdropColour(int i) {
    return 0x204060u + uint32_t(i) * 0x080808u;
}

// A program directory: six plain backdrops, a logo sheet whose row r fills x < 100 + r, and
// (optionally) a five-picture movie.
class OpeningPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        dir = std::filesystem::temp_directory_path() /
              ("zv_opening_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        const std::string data = (dir / "Zv6open").string();
        for (int i = 0; i < 6; ++i)
            testing::WriteBmp24(data + "/open0" + std::to_string(i + 1) + ".bmp", 800, 600,
                                [&](int, int) { return BackdropColour(i); });
        testing::WriteBmp24(data + "/ZV6_LOGO.bmp", 448, 560, [](int x, int y) {
            return x < 100 + y / kLogoRowHeight ? kLogoColour : 0u;
        });
        auto owned = std::make_unique<ui::HeadlessBackend>(1024, 768);
        backend = owned.get();
        wm = std::make_unique<ui::WindowManager>(std::move(owned));
    }
    void TearDown() override {
        FreeOpening();
        wm.reset();
        std::filesystem::remove_all(dir);
    }
    void WriteMovie() {
        video::testing::TestClipSpec spec;
        spec.width = 320;
        spec.height = 240;
        std::string error;
        ASSERT_TRUE(
            video::testing::WriteTestClip((dir / "Zv6open/sslogo.avi").string(), spec, &error))
            << error;
    }
    // Handles every waiting message; false once the loop would end.
    bool Pump() {
        ui::Msg m;
        while (ui::PeekMessage(&m, {}, 0, 0, ui::PM_REMOVE)) {
            if (m.message == ui::WM_QUIT) return false;
            ui::TranslateMessage(m);
            ui::DispatchMessage(m);
        }
        return true;
    }
    OpeningOptions Options(unsigned seed) {
        OpeningOptions o;
        o.programDir = dir.string();
        o.seed = seed;
        return o;
    }
    const ui::Rect kArea{112, 84, 912, 684};  // the window, centred on 1024 x 768

    std::filesystem::path dir;
    ui::HeadlessBackend* backend = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
};

TEST(OpeningRandom, FollowsTheRuntimesGenerator) {
    OpeningRandom r(1);
    EXPECT_EQ(r.Next(), 41);
    EXPECT_EQ(r.Next(), 18467);
    EXPECT_EQ(r.Next(), 6334);
}

// Movie, then the fade: the mouse is kept in the window throughout and let go at the end; the
// logo fades in over 20 frames onto the backdrop the seed chose.
TEST_F(OpeningPlayerTest, PlaysTheMovieThenFadesTheLogoIn) {
    WriteMovie();
    ASSERT_EQ(InitOpening(Options(1)), 1);  // rand() = 41 -> backdrop 5, logo row 4
    OpeningState* s = CurrentOpening();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->backdropIndex, 41 % 6);
    EXPECT_EQ(backend->CursorConfinement(), std::optional<ui::Rect>(kArea));
    backend->MouseMove(0, 0);
    backend->MouseMove(2000, 2000);
    ASSERT_TRUE(Pump());
    ui::Point p;
    ui::GetCursorPos(&p);
    EXPECT_EQ(p.x, kArea.right - 1);
    EXPECT_EQ(p.y, kArea.bottom - 1);

    ASSERT_TRUE(s->movieWindow);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(Pump());
        EXPECT_EQ(s->moviePhase, 1);
        EXPECT_EQ(backend->PixelAt(kArea.left + kMovieX + 10, kArea.top + kMovieY + 10),
                  video::testing::TestClipColour(i))
            << "movie picture " << i;
        DrawOpeningFrame();  // nothing during the movie
        EXPECT_EQ(s->framesDrawn, 0);
        backend->AdvanceClock(100);
    }
    backend->AdvanceClock(20);
    ASSERT_TRUE(Pump());
    ASSERT_EQ(s->moviePhase, 0) << "the movie's end starts the title";
    EXPECT_FALSE(s->movieWindow);
    ASSERT_TRUE(s->midi);
    EXPECT_EQ(s->midi->IsLooping(), 1);

    const uint16_t backdrop = fw::Pixel32To565(BackdropColour(5));
    const uint16_t logo = fw::Pixel32To565(kLogoColour);
    const int lx = kArea.left + kLogoX + 50, ly = kArea.top + kLogoY + 50;
    auto shown = [&](int x, int y) { return fw::Pixel32To565(backend->PixelAt(x, y)); };
    for (int frame = 1; frame <= 22; ++frame) {
        DrawOpeningFrame();
        ASSERT_TRUE(Pump());
        const float a = frame > 20 ? 1.0f : 0.05f * float(frame - 1);
        uint32_t expected = 0;
        for (int shift : {11, 5, 0}) {
            const uint32_t mask = shift == 5 ? 63 : 31;
            float acc =
                float((backdrop >> shift) & mask) * (1.0f - a) + float((logo >> shift) & mask) * a;
            expected |= uint32_t(acc) << shift;
        }
        // The float steps of the fade are summed frame by frame; allow their last bit.
        const uint16_t got = shown(lx, ly);
        EXPECT_NEAR((got >> 11) & 31, (expected >> 11) & 31, 1) << "frame " << frame;
        EXPECT_NEAR((got >> 5) & 63, (expected >> 5) & 63, 1) << "frame " << frame;
        if (frame == 1) {
            EXPECT_EQ(got, backdrop) << "the first frame shows no logo";
        }
        if (frame >= 21) {
            EXPECT_EQ(got, logo) << "full strength from frame 21";
        }
        // Row 4 fills x < 104: x 103 is logo, x 104 the backdrop's.
        EXPECT_EQ(shown(kArea.left + kLogoX + 104, ly), backdrop);
        EXPECT_EQ(shown(kArea.left + 5, kArea.top + 5), backdrop);
    }
    std::string error;
    ASSERT_TRUE(backend->WriteScreenshot((dir / "fade.png").string(), &error)) << error;

    backend->KeyDown(0x20);
    EXPECT_FALSE(Pump()) << "a key ends the program";
    EXPECT_FALSE(backend->CursorConfinement()) << "the mouse is let go";
    FreeOpening();
    EXPECT_FALSE(CurrentOpening());
}

// No movie: straight to the title and its music, without waiting for input.
TEST_F(OpeningPlayerTest, WithoutAMovieGoesStraightToTheTitle) {
    ASSERT_EQ(InitOpening(Options(7)), 1);
    OpeningState* s = CurrentOpening();
    EXPECT_EQ(s->moviePhase, 0);
    EXPECT_FALSE(s->movieWindow);
    EXPECT_FALSE(s->movieError.empty());
    ASSERT_TRUE(s->midi);
    DrawOpeningFrame();
    ASSERT_TRUE(Pump());
    EXPECT_EQ(backend->PixelAt(kArea.left + 400, kArea.top + 300),
              fw::Pixel565To32(fw::Pixel32To565(BackdropColour(s->backdropIndex))));
    // A mouse button ends it as a key does.
    backend->Click(kArea.left + 10, kArea.top + 10);
    EXPECT_FALSE(Pump());
    EXPECT_FALSE(backend->CursorConfinement());
}

// A key during the movie ends the program there: no fade, movie closed, mouse let go.
TEST_F(OpeningPlayerTest, AKeyDuringTheMovieEndsWithoutTheFade) {
    WriteMovie();
    ASSERT_EQ(InitOpening(Options(3)), 1);
    OpeningState* s = CurrentOpening();
    ASSERT_TRUE(Pump());
    backend->AdvanceClock(100);
    backend->KeyDown(0x1B);
    EXPECT_FALSE(Pump());
    EXPECT_FALSE(s->movieWindow);
    EXPECT_EQ(s->framesDrawn, 0);
    EXPECT_FALSE(s->midi) << "no music after an early end";
    EXPECT_FALSE(backend->CursorConfinement());
    FreeOpening();
    EXPECT_FALSE(backend->CursorConfinement());
}

// Missing pictures leave their surfaces empty; the frame shows what there is.
TEST_F(OpeningPlayerTest, MissingPicturesAreSkipped) {
    std::filesystem::remove_all(dir / "Zv6open");
    ASSERT_EQ(InitOpening(Options(2)), 1);
    OpeningState* s = CurrentOpening();
    EXPECT_TRUE(s->backdrop->IsEmpty());
    EXPECT_TRUE(s->logo->IsEmpty());
    for (int i = 0; i < 3; ++i) DrawOpeningFrame();
    ASSERT_TRUE(Pump());
    EXPECT_EQ(backend->PixelAt(kArea.left + 100, kArea.top + 100), 0u);
    FreeOpening();
    EXPECT_FALSE(backend->CursorConfinement());
}

// The program's own loop: the fade is drawn frame by frame, and once the logo stands at full
// strength nothing is drawn or shown again while the picture waits for a key, however long.
TEST_F(OpeningPlayerTest, TheStillPictureIsNotRedrawnWhileItWaits) {
    ASSERT_EQ(InitOpening(Options(7)), 1);  // no movie: the fade starts at once
    backend->SetAutoAdvance(true);          // the loop's waits move the clock, not real time
    int presentsAtRest = -1, presentsLater = -1;
    std::thread user([&] {
        // However slow the machine, the fade's 21 frames come first; then the picture rests.
        for (int i = 0; i < 6000 && backend->PresentCount() < 21; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        presentsAtRest = backend->PresentCount();
        backend->MouseMove(kArea.left + 300, kArea.top + 200);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        presentsLater = backend->PresentCount();
        backend->KeyDown(0x20);
    });
    const int code = RunOpening();
    user.join();
    EXPECT_EQ(code, 0);
    OpeningState* s = CurrentOpening();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->framesDrawn, 21) << "20 fade frames and one at full strength";
    EXPECT_TRUE(s->still);
    EXPECT_GE(presentsAtRest, 21);
    EXPECT_EQ(presentsLater, presentsAtRest) << "the still picture was shown again";
    const uint16_t logo = fw::Pixel32To565(kLogoColour);
    EXPECT_EQ(fw::Pixel32To565(backend->PixelAt(kArea.left + kLogoX + 50, kArea.top + kLogoY + 50)), logo);
}

// A window that is painted again after the fade shows the picture, not its black background.
TEST_F(OpeningPlayerTest, APaintAfterTheFadeShowsThePictureAgain) {
    ASSERT_EQ(InitOpening(Options(7)), 1);
    OpeningState* s = CurrentOpening();
    for (int i = 0; i < 21; ++i) DrawOpeningFrame();
    ASSERT_TRUE(s->still);
    ASSERT_TRUE(Pump());
    const uint32_t picture = backend->PixelAt(kArea.left + 400, kArea.top + 300);
    EXPECT_NE(picture, 0u);
    ui::InvalidateRect(s->window, nullptr, true);
    ASSERT_TRUE(Pump());
    EXPECT_EQ(backend->PixelAt(kArea.left + 400, kArea.top + 300), picture);
    EXPECT_EQ(s->framesDrawn, 21);
}

}  // namespace
}  // namespace zv::opening
