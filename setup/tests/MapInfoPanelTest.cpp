// The conditions lines of the map page's information panel: search, last day and hour, troops
// that may be deployed, and the two optional lines (alliances changeable at set-up,
// reinforcements in the game), the second moving up when the first is missing.

#include <cstdint>
#include <vector>

#include "framework/Dib.h"
#include "mapview/MapPreview.h"
#include "setup/SinglePlayPages.h"
#include "setup/tests/PagesFixture.h"

namespace zv::setup {
namespace {

class MapInfoPanel : public testing::SetupPages {
  protected:
    // The panel drawn for `summary` (null: nothing chosen): the hash of each 16-pixel line
    // from y 170 on, x 430-620.
    std::vector<std::uint64_t> Lines(const mapview::MapPreviewRecord* summary) {
        fw::Dib background("mainTl01.bmp");
        EXPECT_TRUE(background.HasBits());
        DrawMapInfoPanel(page, &background, summary, 0);
        std::vector<std::uint64_t> lines;
        for (int top = 170; top <= 234; top += 16) {
            std::uint64_t h = 1469598103934665603ull;
            for (int y = top; y < top + 14; ++y) {
                const std::uint8_t* row = background.GetPixelAddress(0, y);
                for (int x = 430; x < 620; ++x) h = (h ^ row[x]) * 1099511628211ull;
            }
            lines.push_back(h);
        }
        return lines;
    }
    ui::Hwnd page{};
};

TEST_F(MapInfoPanel, EachConditionHasItsLineAndTheOptionalOnesCloseUp) {
    Click(GetSetupPage(kPageTitle), kIdSinglePlay);
    page = GetSetupPage(kPageSingleFile);
    ASSERT_TRUE(page);
    const std::vector<std::uint64_t> blank = Lines(nullptr);
    mapview::MapPreviewRecord base;
    base.searchOption = 1;
    base.dayLimit = 5;
    base.hourLimit = 12;
    base.deployLimit = 30;
    const std::vector<std::uint64_t> plain = Lines(&base);
    for (int i = 0; i < 3; ++i) EXPECT_NE(plain[std::size_t(i)], blank[std::size_t(i)]) << "line " << i;
    EXPECT_EQ(plain[3], blank[3]) << "no alliance line without bit 2";
    EXPECT_EQ(plain[4], blank[4]) << "no reinforcement line without bit 1";

    // Each value changes its own line and no other.
    struct Change {
        const char* what;
        void (*apply)(mapview::MapPreviewRecord&);
        int line;
    } const changes[] = {
        {"search off", [](mapview::MapPreviewRecord& r) { r.searchOption = 0; }, 0},
        {"another day", [](mapview::MapPreviewRecord& r) { r.dayLimit = 6; }, 1},
        {"another hour", [](mapview::MapPreviewRecord& r) { r.hourLimit = 13; }, 1},
        {"another deployment limit", [](mapview::MapPreviewRecord& r) { r.deployLimit = 31; }, 2},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        mapview::MapPreviewRecord r = base;
        c.apply(r);
        const std::vector<std::uint64_t> lines = Lines(&r);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(lines[std::size_t(i)] != plain[std::size_t(i)], i == c.line) << "line " << i;
    }

    mapview::MapPreviewRecord alliances = base, reinforcements = base, both = base;
    alliances.ruleWord = 4;
    reinforcements.ruleWord = 2;
    both.ruleWord = 6 | 0x100;
    const std::vector<std::uint64_t> a = Lines(&alliances), r = Lines(&reinforcements), b = Lines(&both);
    EXPECT_NE(a[3], blank[3]);
    EXPECT_EQ(a[4], blank[4]);
    EXPECT_NE(r[3], blank[3]) << "the reinforcement line closes up";
    EXPECT_NE(r[3], a[3]);
    EXPECT_EQ(r[4], blank[4]);
    EXPECT_EQ(b[3], a[3]) << "the alliance line comes first";
    EXPECT_NE(b[4], blank[4]);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(b[std::size_t(i)], plain[std::size_t(i)]);
}

}  // namespace
}  // namespace zv::setup
