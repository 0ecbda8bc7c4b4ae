#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/core/Sjis.h"

namespace zv::core {
namespace {

TEST(Sjis, ConvertsBothWays) {
    struct Case {
        std::string utf8;
        std::string sjis;
    };
    const Case cases[] = {
        {"", ""},
        {"ABC 123", "ABC 123"},
        {"あ", "\x82\xA0"},
        {"亜", "\x88\x9F"},
        {"ｱ", "\xB1"},       // half-width katakana is one byte
        {"表", "\x95\x5C"},  // trail byte 0x5C, the backslash
        {"ソ", "\x83\x5C"},
        {"警告", "\x8C\x78\x8D\x90"},
        {"セーブ", "\x83\x5A\x81\x5B\x83\x75"},
        {"\\MAP\\", "\\MAP\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToSjis(c.utf8), c.sjis) << c.utf8;
        EXPECT_EQ(SjisToUtf8(c.sjis), c.utf8) << c.utf8;
    }
}

TEST(Sjis, InvalidInputBecomesQuestionMarks) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case fromSjis[] = {
        {"\x85\x40", "?"},  // unassigned pair: one mark for both bytes
        {"A\xA0"
         "B",
         "A?B"},  // unassigned single byte
        {"A\xFD", "A?"},
        {"A\x82", "A?"},       // lead byte cut off at the end
        {"\x82\x20x", "? x"},  // lead byte followed by a byte that cannot trail
        {"\x82\xA0\x85\x40\x82\xA2", "あ?い"},
    };
    for (const Case& c : fromSjis) EXPECT_EQ(SjisToUtf8(c.in), c.out);

    const Case fromUtf8[] = {
        {"\xFF", "?"},
        {"A\xE3\x81", "A??"},         // truncated sequence: one mark per byte
        {"\xC0\xAF", "??"},           // overlong encoding
        {"\xF0\x9F\x98\x80!", "?!"},  // a character Shift-JIS lacks: one mark
        {"あ\xFFい", "\x82\xA0?\x82\xA2"},
    };
    for (const Case& c : fromUtf8) EXPECT_EQ(Utf8ToSjis(c.in), c.out);
}

TEST(Sjis, LongTextCrossesConverterBuffers) {
    std::string utf8;
    std::string sjis;
    for (int i = 0; i < 2000; ++i) {
        utf8 += "亜a";
        sjis +=
            "\x88\x9F"
            "a";
    }
    utf8 += "\xFF";
    sjis += "?";
    EXPECT_EQ(Utf8ToSjis(utf8), sjis);
    EXPECT_EQ(SjisToUtf8(sjis), utf8.substr(0, utf8.size() - 1) + "?");
}

TEST(Sjis, ConvertsOnSeveralThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures, t] {
            for (int i = 0; i < 500; ++i) {
                if (SjisToUtf8(Utf8ToSjis("上書き保存")) != "上書き保存") ++failures[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}

TEST(Sjis, LeadBytes) {
    struct Case {
        unsigned char byte;
        bool lead;
    };
    const Case cases[] = {{0x00, false}, {0x41, false}, {0x5C, false}, {0x80, false}, {0x81, true},
                          {0x9F, true},  {0xA0, false}, {0xB1, false}, {0xDF, false}, {0xE0, true},
                          {0xFC, true},  {0xFD, false}, {0xFF, false}};
    for (const Case& c : cases) EXPECT_EQ(IsSjisLeadByte(c.byte), c.lead) << int(c.byte);
}

TEST(Sjis, CutNeverSplitsADoubleByteCharacter) {
    const std::string aiu = "\x82\xA0\x82\xA2\x82\xA4";  // あいう
    struct Case {
        std::string text;
        size_t maxBytes;
        size_t expected;
    };
    const Case cases[] = {
        {"abc", 2, 2},
        {"abc", 10, 3},
        {"abc", 0, 0},
        {aiu, 1, 0},
        {aiu, 3, 2},
        {aiu, 4, 4},
        {aiu, 6, 6},
        {"a" + aiu, 2, 1},
        {"a" + aiu, 3, 3},
        {"\x83\x5C"
         "A",
         1, 0},  // 0x5C is a trail byte here, not a character
        {"\x83\x5C"
         "A",
         2, 2},
        {"a\x82", 5, 2},     // a lead byte at the very end stands alone
        {"\xB1\xB2", 1, 1},  // half-width katakana are single bytes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SjisCutLength(c.text, c.maxBytes), c.expected)
            << "max " << c.maxBytes << " size " << c.text.size();
    }
}

}  // namespace
}  // namespace zv::core
