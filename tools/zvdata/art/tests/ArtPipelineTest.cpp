#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/core/Files.h"
#include "tools/zvdata/art/ArtBuild.h"
#include "tools/zvdata/art/ArtManifest.h"
#include "tools/zvdata/art/ArtPalette.h"
#include "tools/zvdata/art/ArtRender.h"
#include "tools/zvdata/art/BmpImage.h"
#include "tools/zvdata/art/PixelArt.h"
#include "tools/zvdata/art/SheetPng.h"

namespace zv::zvdata::art {
namespace {

namespace fs = std::filesystem;

const std::string kDataDir = std::string(ZV_SOURCE_DIR) + "/data";

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

ArtPalette GamePalette() {
    std::string text;
    EXPECT_TRUE(ReadTextFile(kDataDir + "/art/palettes/game.pal", text));
    ArtPalette palette;
    std::vector<std::string> problems;
    EXPECT_TRUE(ParseArtPalette("game.pal", text, palette, problems)) << Joined(problems);
    return palette;
}

// A palette of 256 distinct colours built from one ramp, with the six teams.
std::string SmallPalette(const std::string& extra = "") {
    return "colour 0 #000000\nramp 1 254 #010101 #fefefe\ncolour 255 #ff00fe\n"
           "team 0 #0000ff #8080ff #000080\nteam 1 #ff0000 #ff8080 #800000\n"
           "team 2 #00ff00 #80ff80 #008000\nteam 3 #ffff00 #ffff80 #808000\n"
           "team 4 #c0c0c0 #e0e0e0 #404040\nteam 5 #a08060 #c0a080 #403020\n" +
           extra;
}

TEST(ArtPaletteTest, TheGamePaletteIsSoundAndKeepsTheKeyBlack) {
    const ArtPalette p = GamePalette();
    EXPECT_EQ(p.colours[0], (Rgb{0, 0, 0}));
    EXPECT_EQ(p.teams.size(), 6u);
}

TEST(ArtPaletteTest, BrokenPalettesAreRefusedWithTheirFault) {
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"entry missing", "colour 0 #000000\nteam 0 #000001 #000002 #000003\n",
         "entry 1 is not given"},
        {"entry twice", SmallPalette("colour 7 #123456\n"), "entry 7 is given again"},
        {"same colour twice", "colour 0 #000000\ncolour 1 #010101\nramp 2 255 #010101 #fefefe\n",
         "the same colour"},
        {"key not black", "colour 0 #101010\nramp 1 255 #000000 #fefefe\n", "must be #000000"},
        {"bad colour", "colour 3 #12345\n", "expected: colour INDEX"},
        {"ramp backwards", "ramp 9 3 #000000 #ffffff\n", "FIRST <= LAST"},
        {"unknown line", "colours 1 #ffffff\n", "unknown line 'colours'"},
        {"team missing", "colour 0 #000000\nramp 1 255 #010101 #ffffff\n", "team 0 is not given"},
    };
    for (const Case& c : cases) {
        ArtPalette p;
        std::vector<std::string> problems;
        EXPECT_FALSE(ParseArtPalette("t.pal", c.text, p, problems)) << c.name;
        EXPECT_NE(Joined(problems).find(c.message), std::string::npos)
            << c.name << ": " << Joined(problems);
    }
}

TEST(ArtManifestTest, BrokenManifestsAreRefusedWithFileLineAndFault) {
    const std::string head = "file hexBig.bmp\nsize 64 32\ngrid 32 32\npalette game\n";
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"no file line", "size 32 32\ngrid 32 32\npalette game\n", "no file line"},
        {"no grid", "file a.bmp\nsize 32 32\npalette game\n", "no grid line"},
        {"not a bmp", "file a.png\nsize 32 32\ngrid 32 32\npalette game\n", "must be a .bmp name"},
        {"escapes the folder", "file ../a.bmp\nsize 32 32\ngrid 32 32\npalette game\n",
         "must be a .bmp name"},
        {"size not whole cells", "file a.bmp\nsize 40 32\ngrid 32 32\npalette game\n",
         "not a whole number"},
        {"cell past the size", head + "cell 0-2 0 svg/x.svg\n", "t.txt:5: cells reach past"},
        {"backwards range", head + "cell 1-0 0 svg/x.svg\n", "t.txt:5: expected: cell COLS ROWS"},
        {"unknown option", head + "cell 0 0 svg/x.svg shiny\n", "unknown option 'shiny'"},
        {"team out of range", head + "cell 0 0 svg/x.svg team=6\n", "bad value in option 'team=6'"},
        {"box past the cell", head + "cell 0 0 svg/x.svg box=20,0,16,16\n", "box reaches past"},
        {"source outside data/art", head + "cell 0 0 ../x.svg\n", "must be a path below data/art"},
        {"missing include", head + "include nothing.inc\n", "include 'nothing.inc' cannot be read"},
        {"unknown line", head + "colour 3\n", "unknown or malformed line 'colour'"},
    };
    for (const Case& c : cases) {
        ArtManifest m;
        std::vector<std::string> problems;
        EXPECT_FALSE(ParseArtManifest("t.txt", c.text, "/nonexistent", m, problems)) << c.name;
        EXPECT_NE(Joined(problems).find(c.message), std::string::npos)
            << c.name << ": " << Joined(problems);
    }
}

TEST(ArtManifestTest, ListsRepeatAndCycleOverTheRange) {
    ArtManifest m;
    std::vector<std::string> problems;
    ASSERT_TRUE(ParseArtManifest("t.txt",
                                 "file a.bmp\nsize 96 32\ngrid 16 16\npalette game\n"
                                 "cell 0-5 0-1 svg/x.svg team=0*2,3 rotate=0,60\n",
                                 "", m, problems))
        << Joined(problems);
    ASSERT_EQ(m.cells.size(), 1u);
    EXPECT_EQ(m.cells[0].team, (std::vector<int>{0, 0, 3}));
    EXPECT_EQ(ListValue(m.cells[0].team, 4, 9), 0);
    EXPECT_EQ(ListValue(m.cells[0].rotate, 7, 9), 60);
    EXPECT_EQ(ListValue({}, 7, 9), 9);
}

TEST(PixelArtTest, BrokenPixelPicturesAreRefused) {
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"short row", "size 3 2\nkey . none\npixels\n...\n..\n",
         "t.px:5: pixel row has 2 characters"},
        {"unknown character", "size 2 1\nkey . none\npixels\n.x\n", "character 'x' has no key"},
        {"rows missing", "size 2 3\nkey . none\npixels\n..\n", "2 pixel rows missing"},
        {"bad key", "size 2 1\nkey . blue\npixels\n..\n", "key colour must be"},
        {"no pixels", "size 2 1\nkey . none\n", "no pixels section"},
    };
    for (const Case& c : cases) {
        PixelArt art;
        std::vector<std::string> problems;
        EXPECT_FALSE(ParsePixelArt("t.px", c.text, art, problems)) << c.name;
        EXPECT_NE(Joined(problems).find(c.message), std::string::npos)
            << c.name << ": " << Joined(problems);
    }
}

class ArtFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("zv-art-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        WriteText(root_ / "data/art/palettes/game.pal", SmallPalette());
        // Left half team-coloured, a quarter-covered strip on the right, nothing elsewhere.
        WriteText(
            root_ / "data/art/svg/half.svg",
            "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4' viewBox='0 0 4 4'>"
            "<rect x='0' y='0' width='2' height='4' fill='#ff00ff'/>"
            "<rect x='3' y='0' width='1' height='4' fill='#ffffff' fill-opacity='0.25'/></svg>");
        WriteText(root_ / "data/art/svg/bits.svg",
                  "<svg xmlns='http://www.w3.org/2000/svg' width='2' height='1' viewBox='0 0 2 1'>"
                  "<g id='bit0'><rect x='0' y='0' width='1' height='1' fill='#fefefe'/></g>"
                  "<g id='bit1'><rect x='1' y='0' width='1' height='1' fill='#fefefe'/></g></svg>");
        WriteText(root_ / "data/art/px/dot.px",
                  "size 2 2\nkey . none\nkey t team\nkey w #fefefe\npixels\nt.\n.w\n");
        dataDir_ = (root_ / "data").string();
        programDir_ = (root_ / "game").string();
        fs::create_directories(programDir_);
    }
    void TearDown() override { fs::remove_all(root_); }

    void Manifest(const std::string& name, const std::string& text) {
        WriteText(root_ / "data/art/manifests" / name, text);
    }
    ArtPalette Palette() {
        std::string text;
        ReadTextFile(dataDir_ + "/art/palettes/game.pal", text);
        ArtPalette p;
        std::vector<std::string> problems;
        ParseArtPalette("game.pal", text, p, problems);
        return p;
    }

    fs::path root_;
    std::string dataDir_, programDir_;
};

TEST_F(ArtFixture, CellsMapToThePaletteByTheOneRule) {
    ArtManifest m;
    std::vector<std::string> problems;
    ASSERT_TRUE(ParseArtManifest("t.txt",
                                 "file a.bmp\nsize 12 4\ngrid 4 4\npalette game\n"
                                 "cell 0 0 svg/half.svg team=1\n"
                                 "cell 1 0 svg/bits.svg bits=2 box=0,0,2,1\n"
                                 "cell 2 0 px/dot.px team=0 flip\n",
                                 "", m, problems))
        << Joined(problems);
    const ArtPalette palette = Palette();
    ArtRenderer renderer(dataDir_ + "/art");
    IndexedPicture pic;
    ASSERT_TRUE(renderer.Render(m, palette, pic, problems)) << Joined(problems);
    auto at = [&](int x, int y) { return pic.pixels[std::size_t(y) * 12 + x]; };
    auto colourAt = [&](int x, int y) { return palette.colours[at(x, y)]; };
    // Team 1's base colour replaced the placeholder: the nearest grey of this ramp to red.
    EXPECT_NE(at(0, 0), 0);
    EXPECT_EQ(at(1, 3), at(0, 0));
    EXPECT_EQ(at(2, 0), 0) << "uncovered stays the key";
    EXPECT_EQ(at(3, 0), 0) << "a quarter-covered pixel stays the key: a hard edge";
    // bits=2: only group bit1 drawn, the full-white entry (never the reserved 255).
    EXPECT_EQ(at(4, 0), 0);
    EXPECT_EQ(at(5, 0), 254);
    // The pixel picture is doubled to 4x4 and mirrored: team at the top right, white bottom left.
    EXPECT_EQ(colourAt(10, 0), colourAt(11, 1));
    EXPECT_NE(at(10, 0), 0);
    EXPECT_EQ(at(8, 0), 0);
    EXPECT_EQ(at(8, 3), 254);
}

TEST_F(ArtFixture, BuildWritesCheckedFilesAndRefusesBrokenOnesWithoutLosingTheRest) {
    Manifest("pal2.txt", "file pal2.bmp\nsize 16 16\ngrid 1 1\npalette game\nswatches\n");
    Manifest("wrongsize.txt", "file hexBig.bmp\nsize 64 32\ngrid 32 32\npalette game\n");
    Manifest("unknown.txt", "file nothing.bmp\nsize 32 32\ngrid 32 32\npalette game\n");
    Manifest("missing.txt",
             "file Zanki.bmp\nsize 132 60\ngrid 12 12\npalette game\ncell 0 0 svg/none.svg\n");
    Manifest(
        "broken.txt",
        "file skill.bmp\nsize 528 16\ngrid 48 16\npalette game\ncell 0 0 px/dot.px rotate=90\n");
    WriteText(root_ / "data/art/svg/broken.svg", "<svg xmlns='http://www.w3.org/2000/svg'><rect");
    Manifest(
        "brokensvg.txt",
        "file mapcursor.bmp\nsize 128 32\ngrid 32 32\npalette game\ncell 1 0 svg/broken.svg\n");
    Manifest(
        "nolayer.txt",
        "file posdirs.bmp\nsize 56 7\ngrid 7 7\npalette game\ncell 0 0 svg/bits.svg bits=4\n");
    Manifest(
        "unit/unit001.txt",
        "file unit/unit001.bmp\nsize 8 4\ngrid 4 4\npalette game\ncell 0 0 svg/half.svg team=2\n"
        "cell 1 0 svg/half.svg team=2 flip\n");
    const ArtReport report = BuildArt(dataDir_, programDir_);
    EXPECT_FALSE(report.ok);
    const std::string problems = Joined(report.problems);
    EXPECT_NE(problems.find("hexBig.bmp must be 672x160 in cells of 32x32"), std::string::npos)
        << problems;
    EXPECT_NE(problems.find("the game reads no file named nothing.bmp"), std::string::npos)
        << problems;
    EXPECT_NE(problems.find("missing.txt:5: source 'svg/none.svg' cannot be read"),
              std::string::npos)
        << problems;
    EXPECT_NE(problems.find("brokensvg.txt:5: source 'svg/broken.svg' is not a valid drawing"),
              std::string::npos)
        << problems;
    EXPECT_NE(problems.find("nolayer.txt:5: source 'svg/bits.svg' has no group #bit2"),
              std::string::npos)
        << problems;
    EXPECT_NE(problems.find("rotate and bits apply to .svg sources only"), std::string::npos)
        << problems;
    EXPECT_FALSE(core::FileExists(programDir_ + "/Zanki.bmp"));
    // The sound ones were written and pass the check.
    ASSERT_EQ(report.written.size(), 2u) << Joined(report.written);
    for (const char* name : {"/pal2.bmp", "/unit/unit001.bmp"}) {
        const ArtCheck check = CheckArtFile(programDir_ + name, dataDir_);
        EXPECT_TRUE(check.ok) << name << Joined(check.problems);
    }
    BmpImage pal;
    std::string error;
    ASSERT_TRUE(ReadBmpImage(programDir_ + "/pal2.bmp", pal, error)) << error;
    for (int i = 0; i < 256; ++i) EXPECT_EQ(pal.pixels[i], i);
}

TEST_F(ArtFixture, CheckRefusesFilesThatBreakTheirLayoutOrPalette) {
    Manifest("pal3.txt", "file pal3.bmp\nsize 16 16\ngrid 1 1\npalette game\nswatches\n");
    ASSERT_TRUE(BuildArt(dataDir_, programDir_).ok);
    const std::string good = programDir_ + "/pal3.bmp";
    auto bytes = *core::ReadWholeFile(good);
    struct Case {
        const char* name;
        std::string file;
        std::size_t offset;
        std::uint8_t value;
        const char* message;
    } cases[] = {
        {"palette entry changed", "pal3.bmp", 54 + 4 * 9, 0x77, "colour 9 is"},
        {"wrong height", "pal3.bmp", 22, 15, "16x15, the game reads it as 16x16"},
        {"4 bits", "pal3.bmp", 28, 4, "4 bits per pixel, not 8"},
        {"compressed", "pal3.bmp", 30, 1, "compressed"},
        {"not a game file", "other.bmp", 0, 'B', "the game reads no picture named other.bmp"},
    };
    for (const Case& c : cases) {
        auto changed = bytes;
        changed[c.offset] = c.value;
        const std::string path = programDir_ + "/bad/" + c.file;
        fs::create_directories(programDir_ + "/bad");
        core::WriteFileAtomically(path, changed.data(), changed.size());
        const ArtCheck check = CheckArtFile(path, dataDir_);
        EXPECT_FALSE(check.ok) << c.name;
        EXPECT_NE(Joined(check.problems).find(c.message), std::string::npos)
            << c.name << ": " << Joined(check.problems);
    }
    // Bytes after the last pixel row, which the header's size field may hide.
    auto longer = bytes;
    longer.resize(bytes.size() + 4096, 0);
    const std::string appended = programDir_ + "/bad/pal3.bmp";
    core::WriteFileAtomically(appended, longer.data(), longer.size());
    const ArtCheck tail = CheckArtFile(appended, dataDir_);
    EXPECT_FALSE(tail.ok);
    EXPECT_NE(Joined(tail.problems).find("is longer than its header promises"), std::string::npos)
        << Joined(tail.problems);
    std::string error;
    EXPECT_TRUE(WriteSheetPng(good, programDir_ + "/pal3.png", {}, error)) << error;
    EXPECT_FALSE(WriteSheetPng(programDir_ + "/none.bmp", programDir_ + "/x.png", {}, error));
}

// The default art: every file builds and passes the check, and a second build gives the same
// bytes as the content build's.
TEST(ArtDefaultContentTest, BuildsToTheSameCheckedBytesAsTheContentBuild) {
    const fs::path root =
        fs::temp_directory_path() /
        ("zv-art-default-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(root);
    fs::create_directories(root);
    const ArtReport report = BuildArt(kDataDir, root.string());
    ASSERT_TRUE(report.ok) << Joined(report.problems);
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const fs::path rel = fs::relative(entry.path(), root);
        const auto built = core::ReadWholeFile((fs::path(ZV_PROGRAM_DIR) / rel).string());
        ASSERT_TRUE(built) << rel << " is missing from the program directory";
        EXPECT_EQ(*core::ReadWholeFile(entry.path().string()), *built) << rel;
        const ArtCheck check = CheckArtFile(entry.path().string(), kDataDir);
        EXPECT_TRUE(check.ok) << rel << Joined(check.problems);
    }
    EXPECT_EQ(files, ListArtManifests(kDataDir).size());
    EXPECT_EQ(report.written.size(), files);
    fs::remove_all(root);
}

}  // namespace
}  // namespace zv::zvdata::art

namespace zv::zvdata::art {
namespace {

// Full-screen pictures are dithered: a gentle gradient between palette colours comes out as a
// mix whose column averages follow the gradient, where the nearest-colour rule gives bands.
TEST_F(ArtFixture, DitheredPicturesFollowGradientsInsteadOfBanding) {
    WriteText(root_ / "data/art/svg/ramp.svg",
              "<svg xmlns='http://www.w3.org/2000/svg' width='128' height='16' viewBox='0 0 128 16'>"
              "<defs><linearGradient id='g'><stop offset='0' stop-color='#203040'/>"
              "<stop offset='1' stop-color='#405878'/></linearGradient></defs>"
              "<rect width='128' height='16' fill='url(#g)'/></svg>");
    const ArtPalette palette = GamePalette();
    auto render = [&](bool dither) {
        ArtManifest m;
        std::vector<std::string> problems;
        EXPECT_TRUE(ParseArtManifest("t.txt",
                                     std::string("file a.bmp\nsize 128 16\ngrid 128 16\npalette game\n") +
                                         (dither ? "dither\n" : "") + "cell 0 0 svg/ramp.svg\n",
                                     "", m, problems))
            << Joined(problems);
        ArtRenderer renderer(dataDir_ + "/art");
        IndexedPicture pic;
        EXPECT_TRUE(renderer.Render(m, palette, pic, problems)) << Joined(problems);
        return pic;
    };
    auto error = [&](const IndexedPicture& pic) {
        double sum = 0;
        for (int x = 0; x < 128; ++x) {
            double r = 0, g = 0, b = 0;
            for (int y = 0; y < 16; ++y) {
                const Rgb c = palette.colours[pic.pixels[std::size_t(y) * 128 + x]];
                r += c.r, g += c.g, b += c.b;
            }
            const double t = (x + 0.5) / 128.0;
            sum += std::abs(r / 16 - (0x20 + t * 0x20)) + std::abs(g / 16 - (0x30 + t * 0x28)) +
                   std::abs(b / 16 - (0x40 + t * 0x38));
        }
        return sum / 128;
    };
    const IndexedPicture plain = render(false), dithered = render(true);
    EXPECT_LT(error(dithered), error(plain) / 2) << error(dithered) << " vs " << error(plain);
    EXPECT_EQ(render(true).pixels, dithered.pixels) << "the same bytes on every run";
}

// trim: a small figure on a wide page fills the box with its own inked part, its shape kept
// and centred, also mirrored; without it the whole page is fitted and the figure stays small.
// grow: its mask a pixel larger.
TEST_F(ArtFixture, TrimFitsTheInkedPartOfTheDrawingIntoTheBox) {
    WriteText(root_ / "data/art/svg/speck.svg",
              "<svg xmlns='http://www.w3.org/2000/svg' width='120' height='48' viewBox='0 0 120 48'>"
              "<rect x='20' y='30' width='30' height='10' fill='#ffffff'/></svg>");
    struct Ink {
        int left, top, right, bottom;
    };
    auto inked = [&](const std::string& options) {
        ArtManifest m;
        std::vector<std::string> problems;
        EXPECT_TRUE(ParseArtManifest("t.txt",
                                     "file a.bmp\nsize 64 24\ngrid 64 24\npalette game\n"
                                     "cell 0 0 svg/speck.svg box=2,2,60,20 silhouette=#ffffff " +
                                         options + "\n",
                                     "", m, problems))
            << Joined(problems);
        ArtRenderer renderer(dataDir_ + "/art");
        IndexedPicture pic;
        EXPECT_TRUE(renderer.Render(m, Palette(), pic, problems)) << Joined(problems);
        Ink r{64, 24, -1, -1};
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 64; ++x)
                if (pic.pixels[std::size_t(y) * 64 + x]) {
                    r.left = std::min(r.left, x), r.right = std::max(r.right, x + 1);
                    r.top = std::min(r.top, y), r.bottom = std::max(r.bottom, y + 1);
                }
        return r;
    };
    const Ink whole = inked("");
    EXPECT_LE(whole.right - whole.left, 13) << "the page, 2.5 times as wide, fitted whole";
    for (const char* options : {"trim", "trim flip"}) {
        const Ink r = inked(options);
        EXPECT_EQ(r.left, 2) << options;
        EXPECT_EQ(r.right, 62) << options;
        EXPECT_EQ(r.bottom - r.top, 20) << options;
        EXPECT_EQ(r.top, 2) << options;
    }
    // A mask drawn with the same box and grow=1 is the figure one pixel larger all round.
    const Ink grown = inked("trim grow=1");
    EXPECT_EQ(grown.left, 1);
    EXPECT_EQ(grown.right, 63);
    EXPECT_EQ(grown.top, 1);
    EXPECT_EQ(grown.bottom, 23);
    ArtManifest m;
    std::vector<std::string> problems;
    EXPECT_FALSE(ParseArtManifest("t.txt",
                                  "file a.bmp\nsize 64 24\ngrid 64 24\npalette game\n"
                                  "cell 0 0 svg/speck.svg grow=1\n",
                                  "", m, problems));
    EXPECT_NE(Joined(problems).find("grow is for silhouettes only"), std::string::npos);
}

TEST(ArtManifestTest, DitherIsForWholePicturesAndSilhouettesMayTakeTheKey) {
    ArtManifest m;
    std::vector<std::string> problems;
    EXPECT_FALSE(ParseArtManifest("t.txt",
                                  "file a.bmp\nsize 64 32\ngrid 32 32\npalette game\ndither\n"
                                  "cell 0 0 svg/x.svg\n",
                                  "", m, problems));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("full-screen"), std::string::npos);
    problems.clear();
    ArtManifest s;
    ASSERT_TRUE(ParseArtManifest("t.txt",
                                 "file a.bmp\nsize 32 32\ngrid 32 32\npalette game\n"
                                 "cell 0 0 svg/x.svg silhouette=key\n"
                                 "cell 0 0 svg/x.svg silhouette=#ffffff\n",
                                 "", s, problems))
        << Joined(problems);
    EXPECT_TRUE(s.cells[0].silhouetteKey);
    EXPECT_EQ(s.cells[1].silhouette, (Rgb{255, 255, 255}));
    problems.clear();
    EXPECT_FALSE(ParseArtManifest("t.txt",
                                  "file a.bmp\nsize 32 32\ngrid 32 32\npalette game\n"
                                  "cell 0 0 svg/x.svg silhouette=white\n",
                                  "", s, problems));
}

}  // namespace
}  // namespace zv::zvdata::art
