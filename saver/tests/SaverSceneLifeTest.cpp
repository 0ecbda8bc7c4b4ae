// Whole scenes over their life: every scene a build holds the content of shows something on
// every stretch of its life for any seed, the scenes come back when their pictures arrive
// late, the figure sheets fill their cells, and the credits name the project, not people.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "saver/Credits.h"
#include "saver/Scenes.h"
#include "saver/tests/SaverTestSupport.h"

namespace zv::saver {
namespace {

using testing::CountNonBlack;
using testing::HasNonBlack;
using testing::MakeState;

// A frame with fewer lit pixels than this reads as a black screen.
constexpr int kLitPixels = 200;

struct SceneRun {
    int ticks = 0;
    int longestDark = 0;  // the longest stretch of dark frames, in ticks
    int result = 0;
};

SceneRun RunScene(SaverBuild build, int slot, uint32_t seed, int maxTicks) {
    auto s = MakeState(build, 1024, 768, seed);
    s->settings.enabled[slot] = s->settings.title[slot] = s->settings.opening[slot] = 1;
    s->settings.realFightLoopNum = 3;
    auto scene = MakeScene(*s, slot);
    SceneRun run;
    int dark = 0;
    for (run.ticks = 1; run.ticks <= maxTicks; ++run.ticks) {
        run.result = scene->Step(false);
        if (run.result != 0) break;  // the tick that reports draws nothing new
        dark = HasNonBlack(*s->screen, kLitPixels) ? 0 : dark + 1;
        run.longestDark = std::max(run.longestDark, dark);
    }
    scene->Step(true);
    return run;
}

// A minute (300 ticks) of every scene whose pictures the build holds, for seeds across the
// generator's range: no stretch of more than a second stays dark. (zvsaver does not hold the
// title-1 pictures, nor zvdemosaver the title-2 and title-4 ones: those slots are never
// enabled in those builds.) The title-only scenes have their one black tick by design.
TEST(SaverSceneLife, NoSceneStaysDarkForAnySeed) {
    const struct {
        SaverBuild build;
        std::vector<int> slots;
    } builds[] = {{SaverBuild::Saver, {1, 2, 3, 4, 5, 6, 7, 8}},
                  {SaverBuild::DemoSaver, {0, 2, 4, 5, 6, 7}}};
    const uint32_t seeds[] = {0u, 1u, 31u, 2026u, 0x80000000u, 0xFFFFFFFFu};
    for (const auto& b : builds) {
        for (int slot : b.slots) {
            for (uint32_t seed : seeds) {
                const SceneRun run = RunScene(b.build, slot, seed, 300);
                EXPECT_LE(run.longestDark, 5)
                    << (b.build == SaverBuild::Saver ? "zvsaver" : "zvdemosaver") << " slot "
                    << slot << " seed " << seed << ": " << run.longestDark
                    << " dark ticks in a row";
                EXPECT_GE(run.result, 0) << "slot " << slot << " seed " << seed;
            }
        }
    }
}

// zvdemosaver started before its pictures were there (a program run while the content was
// still being built): the title-1 scene said so and went on; the pictures that arrive during
// its turn show from then on, not after a whole dark turn of about a minute.
TEST(SaverSceneLife, TitleOneShowsPicturesThatArriveLate) {
    const std::string dir = testing::TempDir("late");
    auto s = MakeState(SaverBuild::DemoSaver, 1024, 768, 5);
    s->env.resourceDir = dir;
    s->env.sharedDir.clear();
    s->settings.enabled[0] = s->settings.title[0] = s->settings.opening[0] = 1;
    s->settings.realFightLoopNum = 2;
    auto scene = MakeTitle1Scene(*s);
    for (int tick = 1; tick <= 3; ++tick) {
        ASSERT_EQ(scene->Step(false), 0);
        EXPECT_EQ(CountNonBlack(*s->screen), 0);
    }
    EXPECT_EQ(s->reportedMissing.count("Q1TITLE"), 1u);
    EXPECT_EQ(s->reportedMissing.count("q1unit"), 1u);
    EXPECT_EQ(s->reportedMissing.count("q1title2"), 1u);

    for (const auto& e :
         std::filesystem::directory_iterator(testing::ProgramDir() + "/ZvdemosaverData"))
        std::filesystem::copy_file(e.path(), dir + "/" + e.path().filename().string());
    int brightest = 0, litRounds = 0, result = 0;
    for (int tick = 4; tick <= 400 && result == 0; ++tick) {
        result = scene->Step(false);
        const int lit = CountNonBlack(*s->screen);
        brightest = std::max(brightest, lit);
        if (tick > 120 && lit >= kLitPixels) ++litRounds;
    }
    EXPECT_EQ(result, 1);
    EXPECT_GT(brightest, 640 * 232) << "the opening's pictures show in the same turn";
    EXPECT_GT(litRounds, 20) << "the battle's figures show in the same turn";
    std::filesystem::remove_all(dir);
}

// The figure sheets of titles 1 and 2: the figures fill their cells in width or in height, so
// the figures read at full screen instead of as specks in the middle of their cells.
TEST(SaverSceneLife, FigureSheetsFillTheirCells) {
    const struct {
        const char* file;
        int cellW, cellH, originX, originY, columns, rows, spanW, spanH;
    } sheets[] = {
        {"/ZvsaverData/Q2UNIT.bmp", 64, 24, 0, 0, 8, 16, 60, 20},
        {"/ZvdemosaverData/Q1UNIT.bmp", 64, 24, 1, 1, 2, 14, 61, 21},
    };
    for (const auto& sh : sheets) {
        auto s = MakeState(SaverBuild::Saver, 64, 64, 1);
        s->env.resourceDir.clear();
        s->env.currentDir =
            testing::ProgramDir() + std::filesystem::path(sh.file).parent_path().string();
        PictureSlot sheet;
        ASSERT_TRUE(
            LoadBitmapResourceOrFile(*s, sheet, std::filesystem::path(sh.file).filename().string()))
            << sh.file;
        int figures = 0, full = 0;
        for (int c = 0; c < sh.columns; ++c) {
            for (int r = 0; r < sh.rows; ++r) {
                int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
                for (int y = 0; y < sh.cellH; ++y)
                    for (int x = 0; x < sh.cellW; ++x) {
                        const int px = sh.originX + c * sh.cellW + x,
                                  py = sh.originY + r * sh.cellH + y;
                        if (px >= sheet->Width() || py >= sheet->Height() || !sheet->At(px, py))
                            continue;
                        x0 = std::min(x0, x), x1 = std::max(x1, x);
                        y0 = std::min(y0, y), y1 = std::max(y1, y);
                    }
                if (x1 < 0) continue;  // no figure in this cell
                ++figures;
                const int w = x1 - x0 + 1, h = y1 - y0 + 1;
                full += 5 * w >= 4 * sh.spanW || 5 * h >= 4 * sh.spanH;
            }
        }
        EXPECT_GT(figures, 20) << sh.file;
        // Guns with long thin barrels stay smaller; the others span four fifths of a side.
        EXPECT_GE(4 * full, 3 * figures) << sh.file << ": " << full << " of " << figures;
    }
}

// The credits name the project that made the program, never people: no invented names of
// earlier versions and nothing shaped like a person's name ("K. Arima", "MIRA OKADA").
TEST(SaverCredits, NameTheProjectAndNoPeople) {
    std::vector<std::string> lines;
    for (const CreditPage& page : Title2CreditPages()) {
        std::string text;
        for (const char* line : page) {
            if (!*line) break;
            lines.push_back(line);
            text += line;
        }
        EXPECT_FALSE(text.empty());
    }
    for (const char* line : Title5StaffLines()) lines.push_back(line);
    const char* const kNames[] = {"Arima",    "Sezaki",  "Ogino",       "Hatta",  "Kuwana", "Tendo",
                                  "Ishiwara", "Okada",   "Reyne",       "Brandt", "Sato",   "Irsk",
                                  "Kovac",    "Solveig", "Yuna",        "Pavel",  "Elena",  "Mira",
                                  "Tomas",    "Ken ",    "night shift", "Halvane"};
    const std::regex initialAndName("[A-Z]\\. ?[A-Z][a-z]+");
    int project = 0;
    for (const std::string& line : lines) {
        std::string lower = line;
        for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
        for (const char* name : kNames) {
            std::string n = name;
            for (char& c : n) c = char(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_EQ(lower.find(n), std::string::npos) << line;
        }
        EXPECT_FALSE(std::regex_search(line, initialAndName)) << line;
        project += lower.find("zv6 project") != std::string::npos;
        EXPECT_LE(line.size(), 50u) << line;
    }
    EXPECT_GE(project, 8) << "the roles are credited to the ZV6 project";
    // The first two pages stand at the right edge of the scene: 20 characters fit there.
    for (int page = 0; page < 2; ++page)
        for (const char* line : Title2CreditPages()[page])
            EXPECT_LE(std::string(line).size(), 20u) << line;
}

}  // namespace
}  // namespace zv::saver
