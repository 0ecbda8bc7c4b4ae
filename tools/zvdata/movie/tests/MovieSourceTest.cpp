#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>

#include "platform/core/tests/TempDir.h"
#include "platform/video/Movie.h"
#include "tools/zvdata/art/ArtText.h"
#include "tools/zvdata/movie/MovieSource.h"

namespace zv::zvdata::movie {
namespace {

TEST(MovieSource, KeysInterpolateAndHoldOutsideTheirPoints) {
    MovieSource m;
    std::vector<std::string> problems;
    ASSERT_TRUE(ParseMovieSource("m.txt",
                                 "file a.avi\nsize 32 24\nfps 10\nframes 4\n"
                                 "layer x.svg opacity 2:0 6:1 scale 0:2\n",
                                 m, problems));
    const MovieLayer& l = m.layers[0];
    EXPECT_DOUBLE_EQ(l.At("opacity", 0, 9), 0.0);
    EXPECT_DOUBLE_EQ(l.At("opacity", 4, 9), 0.5);
    EXPECT_DOUBLE_EQ(l.At("opacity", 20, 9), 1.0);
    EXPECT_DOUBLE_EQ(l.At("scale", 3, 9), 2.0);
    EXPECT_DOUBLE_EQ(l.At("x", 3, 9), 9.0);
}

TEST(MovieSource, FaultsNameTheLine) {
    const struct {
        const char* text;
        const char* fault;
    } cases[] = {
        {"file a.avi\nsize 31 24\nfps 10\nframes 4\nlayer x.svg\n", "m.txt:2: the size"},
        {"file a.avi\nsize 32 24\nfps 0\nframes 4\nlayer x.svg\n", "m.txt:3: fps"},
        {"file a.avi\nsize 32 24\nfps 10\nframes 4\nlayer x.svg scale 3:1 2:1\n",
         "m.txt:5: the points of scale"},
        {"file a.avi\nsize 32 24\nfps 10\nframes 4\nlayer x.svg 3:1\n", "m.txt:5: '3:1'"},
        {"size 32 24\nfps 10\nframes 4\nlayer x.svg\n", "m.txt:0: no file line"},
        {"file a.avi\nsize 32 24\nfps 10\nframes 4\n", "m.txt:0: no layer"},
    };
    for (const auto& c : cases) {
        MovieSource m;
        std::vector<std::string> problems;
        EXPECT_FALSE(ParseMovieSource("m.txt", c.text, m, problems)) << c.text;
        ASSERT_FALSE(problems.empty());
        EXPECT_EQ(problems[0].rfind(c.fault, 0), 0u) << problems[0];
    }
}

// The project's logo movie renders, encodes, and decodes again with the frames it was made of.
TEST(MovieSource, LogoMovieRoundTripsThroughTheDecoder) {
    const std::string data = ZVDATA_TEST_DATA_DIR;
    std::vector<std::string> written, problems;
    // A folder of its own, so test runs side by side never write into each other's.
    const zv::testing::TempDir tmp;
    const std::string dir = tmp.Path() + "movie-build";
    BuildMovies(data, dir, written, problems);
    ASSERT_TRUE(problems.empty()) << problems[0];
    // The logo movie and the screensavers' two movies.
    ASSERT_EQ(written.size(), 3u);
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written[0], dir + "/Zv6open/sslogo.avi");
    EXPECT_EQ(written[1], dir + "/Zvscenes/zv5.avi");
    EXPECT_EQ(written[2], dir + "/Zvscenes/zv5dx.avi");

    std::string error;
    const auto movie = video::Movie::Open(written[0], 44100, &error);
    ASSERT_TRUE(movie) << error;
    EXPECT_EQ(movie->Width(), 320);
    EXPECT_EQ(movie->Height(), 240);
    EXPECT_EQ(movie->FrameDurationMs(), 67);  // 15 a second, rounded
    // Frame 40 holds the logo at full strength: compare its centre with the rendering (MPEG-4
    // is lossy: within a few steps per channel).
    MovieSource source;
    std::string text;
    ASSERT_TRUE(art::ReadTextFile(data + "/movies/sslogo.txt", text));
    ASSERT_TRUE(ParseMovieSource("sslogo.txt", text, source, problems));
    std::vector<uint32_t> expected;
    ASSERT_TRUE(RenderMovieFrame(source, data + "/art", 40, expected, error)) << error;
    video::MovieFrame frame;
    int count = 0;
    while (movie->NextFrame(&frame, &error)) {
        if (frame.index == 40) {
            long diff = 0, lit = 0;
            for (std::size_t i = 0; i < expected.size(); ++i) {
                for (int shift : {0, 8, 16})
                    diff += std::abs(int((expected[i] >> shift) & 255) -
                                     int((frame.pixels[i] >> shift) & 255));
                lit += expected[i] != 0;
            }
            EXPECT_GT(lit, 5000);
            EXPECT_LT(double(diff) / (3.0 * expected.size()), 3.0);
        }
        ++count;
    }
    EXPECT_EQ(count, 60);
}

}  // namespace
}  // namespace zv::zvdata::movie
