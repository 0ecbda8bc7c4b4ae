#include <gtest/gtest.h>

#include <cstring>

#include "framework/TextString.h"

namespace zv::fw {
namespace {

TEST(TextString, AssignmentCopiesAndTracksLength) {
    TextString s("abc");
    EXPECT_STREQ(s.Text(), "abc");
    EXPECT_EQ(s.Length(), 3);
    s = "longer text";
    EXPECT_EQ(s.Length(), 11);
    s.Assign("x");
    EXPECT_STREQ(s.Text(), "x");
    EXPECT_EQ(s.Length(), 1);
    s = static_cast<const char*>(nullptr);
    EXPECT_STREQ(s.Text(), "");
    EXPECT_EQ(s.Length(), 0);

    TextString copy(s = "shared");
    copy = "changed";
    EXPECT_STREQ(s.Text(), "shared");  // copies do not share buffers
    TextString other("other");
    other = copy;
    EXPECT_STREQ(other.Text(), "changed");
}

TEST(TextString, OwnTextAsArgumentIsSafe) {
    TextString s("self");
    s = s.Text();
    EXPECT_STREQ(s.Text(), "self");
    const TextString& alias = s;
    s = alias;
    EXPECT_STREQ(s.Text(), "self");
    s.Append(s.Text());
    EXPECT_STREQ(s.Text(), "selfself");
    EXPECT_EQ(s.Length(), 8);
    s = s.At(4);  // a tail of its own buffer
    EXPECT_STREQ(s.Text(), "self");
}

TEST(TextString, AppendJoinsTexts) {
    TextString s("");
    s.Append("ab").Append("").Append(nullptr).Append("cd");
    EXPECT_STREQ(s.Text(), "abcd");
    EXPECT_EQ(s.Length(), 4);
}

TEST(TextString, ReserveGrowsOnlyWhenNeeded) {
    TextString s("hello");
    char* before = s.Reserve(3);
    EXPECT_EQ(before, s.Text());
    EXPECT_EQ(s.Length(), 5);
    EXPECT_EQ(s.Reserve(5), before);

    char* grown = s.Reserve(20);
    EXPECT_EQ(s.Length(), 20);
    EXPECT_STREQ(grown, "hello");
    std::strcpy(grown + 5, "0123456789ABCDE");  // the caller may fill all 20 characters
    EXPECT_STREQ(s.Text(), "hello0123456789ABCDE");

    TextString empty;
    char* room = empty.Reserve(0);
    ASSERT_NE(room, nullptr);  // always a buffer to write the zero into
    EXPECT_EQ(room[0], '\0');
}

TEST(TextString, EqualsAndAt) {
    struct Case {
        const char* a;
        const char* b;
        int equal;
    };
    const Case cases[] = {{"", "", 1},      {"abc", "abc", 1}, {"abc", "abd", 0},
                          {"abc", "ab", 0}, {"", nullptr, 1},  {"a", nullptr, 0}};
    for (const Case& c : cases) EXPECT_EQ(TextString(c.a).Equals(c.b), c.equal) << c.a;

    TextString s("xyz");
    EXPECT_EQ(*s.At(1), 'y');
    EXPECT_EQ(*s.At(3), '\0');
    EXPECT_EQ(s.At(4), nullptr);
    EXPECT_EQ(s.At(-1), nullptr);
}

}  // namespace
}  // namespace zv::fw
