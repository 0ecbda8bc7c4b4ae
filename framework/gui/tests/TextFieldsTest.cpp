#include <gtest/gtest.h>

#include <string>

#include "framework/gui/TextFields.h"
#include "platform/core/Sjis.h"

namespace zv::fw {
namespace {

std::string Sjis(const char* utf8) {
    return core::Utf8ToSjis(utf8);
}

TEST(StripSpaces, DropsWhiteSpaceAndFullWidthSpaces) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {Sjis("歩兵　第 1 連隊"), Sjis("歩兵第1連隊")},
        {" \t\r\n\v\fa b ", "ab"},
        {Sjis("　　"), ""},
        {"", ""},
        // A double-byte character whose second byte is 0x81, then "@" (0x40): neither is a
        // full-width space, so both stay.
        {"\x88\x81@x", "\x88\x81@x"},
        // Half-width katakana are single bytes.
        {"\xb1 \xb2", "\xb1\xb2"},
    };
    for (const Case& c : cases) EXPECT_EQ(std::string(StripSpaces(c.in.c_str())), c.out) << c.in;
    EXPECT_STREQ(StripSpaces(nullptr), "");
}

TEST(StripSpaces, LongTextsAreCutWithoutSplittingACharacter) {
    std::string in(254, 'a');
    in += "\x95\xe0";  // a double-byte character across the 255-byte limit
    in += "tail";
    const std::string out = StripSpaces(in.c_str());
    EXPECT_EQ(out, std::string(254, 'a'));
}

TEST(FindNthSpace, CountsSeparatorsFromOne) {
    const std::string sep = " \x81\x40 ";
    const std::string text = "A" + sep + "B" + sep + "C";
    struct Case {
        std::string text;
        int n;
        int expected;
    };
    const Case cases[] = {
        {text, 1, 1},          {text, 2, 6},  {text, 3, -1},
        {text, 0, 1},          {text, -4, 1}, {"A B  C", 1, -1},  // plain spaces are passed over
        {" " + sep, 1, 1},      // a lone space before the separator
        {sep + sep, 2, 4},      // adjacent separators
        {"A \x81\x40", 1, -1},  // cut short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindNthSpace(c.text.c_str(), c.n), c.expected) << c.text << " n=" << c.n;
    }
    EXPECT_EQ(FindNthSpace(nullptr, 1), -1);
}

}  // namespace
}  // namespace zv::fw
