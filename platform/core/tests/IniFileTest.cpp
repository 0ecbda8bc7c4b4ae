#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "platform/core/IniFile.h"
#include "platform/core/tests/TempDir.h"

namespace zv::core {
namespace {

using zv::testing::TempDir;

const char kSample[] =
    "; written by hand\r\n"
    "[Environ]\r\n"
    "GameSpeed=7\r\n"
    " fightmine = 0 \r\n"
    "Neg=-20\r\n"
    "Hex=0x1F\r\n"
    "Junk=abc\r\n"
    "Lead=  12abc\r\n"
    "Empty=\r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Huge=4294967297\r\n"
    "\r\n"
    "[Windows]\r\n"
    "FrameWnd=0,-20,-5,300,200,1\r\n"
    "\r\n"
    "[environ]\r\n"
    "GameSpeed=9\r\n"
    "Extra=1\r\n";

TEST(IniFile, ReadsIntegersWithDefaults) {
    TempDir dir;
    dir.Put("ZV6WIN.INI", kSample);
    const std::string file = dir.Path() + "\\zv6win.ini";
    struct Case {
        const char* section;
        const char* key;
        int def;
        int expected;
    };
    const Case cases[] = {
        {"Environ", "GameSpeed", 5, 7},  // the first of two "environ" sections wins
        {"ENVIRON", "FIGHTMINE", 1, 0},  // names without case, blanks around ignored
        {"Environ", "Neg", 0, -20},     {"Environ", "Hex", 0, 31},
        {"Environ", "Junk", 5, 0},  // present but not a number
        {"Environ", "Lead", 0, 12},     {"Environ", "Empty", 5, 5},
        {"Environ", "Huge", 0, 1},   // wraps like a 32-bit value
        {"Environ", "Extra", 0, 1},  // found in the later section of the same name
        {"Environ", "Missing", 62, 62}, {"Nowhere", "GameSpeed", 5, 5},
        {"Windows", "FrameWnd", 3, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IniGetInt(file, c.section, c.key, c.def), c.expected)
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(IniGetInt(dir.Path() + "none.ini", "Environ", "GameSpeed", 5), 5);
}

TEST(IniFile, ReadsStrings) {
    TempDir dir;
    dir.Put("ZV6WIN.INI", kSample);
    const std::string file = dir.Path() + "ZV6WIN.INI";
    EXPECT_EQ(IniGetString(file, "windows", "framewnd", ""), "0,-20,-5,300,200,1");
    EXPECT_EQ(IniGetString(file, "Environ", "Quoted", ""), "  spaced  ");
    EXPECT_EQ(IniGetString(file, "environ", "UserName", "NONE"), "NONE");
    EXPECT_EQ(IniGetString(file, "Environ", "Empty", "x"), "");
    EXPECT_EQ(IniGetString(dir.Path() + "missing.ini", "FILE", "Last", "def"), "def");
}

TEST(IniFile, FirstWriteCreatesTheFile) {
    TempDir dir;
    const std::string file = dir.Path() + "\\ZV6WIN.INI";
    ASSERT_TRUE(IniWriteString(file, "environ", "UserName", "Taro"));
    EXPECT_EQ(TempDir::Read(dir.Path() + "ZV6WIN.INI"), "[environ]\r\nUserName=Taro\r\n");
    EXPECT_EQ(IniGetString(file, "Environ", "USERNAME", "NONE"), "Taro");
    ASSERT_TRUE(IniWriteString(dir.Path() + "zv6win.ini", "Environ", "GameSpeed", "3"));
    EXPECT_EQ(IniGetInt(file, "ENVIRON", "gamespeed", 5), 3);
    EXPECT_EQ(TempDir::Read(dir.Path() + "ZV6WIN.INI"),
              "[environ]\r\nUserName=Taro\r\nGameSpeed=3\r\n");
}

TEST(IniFile, WritesChangeOnlyTheirLine) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        std::string before;
        std::string after;
    };
    const std::string base = "; keep\r\n[A]\r\nk1=1\r\n\r\n[B]\r\nx=y\r\n";
    const Case cases[] = {
        {"a", "K1", "22", base, "; keep\r\n[A]\r\nk1=22\r\n\r\n[B]\r\nx=y\r\n"},
        {"A", "k2", "2", base, "; keep\r\n[A]\r\nk1=1\r\nk2=2\r\n\r\n[B]\r\nx=y\r\n"},
        {"C", "z", "3", base, base + "\r\n[C]\r\nz=3\r\n"},
        {"B", "x", "", base, "; keep\r\n[A]\r\nk1=1\r\n\r\n[B]\r\nx=\r\n"},
        {"A", "k2", "2", "[A]\r\nk1=1", "[A]\r\nk1=1\r\nk2=2\r\n"},  // no final line break
        {"A", "k2", "2", "[A]\nk1=1\n", "[A]\nk1=1\nk2=2\n"},        // keeps plain line feeds
        {"A", "k1", "5", " [ a ] \n  K1 = 1 \n", " [ a ] \nK1=5\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.Put("t.ini", c.before);
        ASSERT_TRUE(IniWriteString(path, c.section, c.key, c.value)) << c.key;
        EXPECT_EQ(TempDir::Read(path), c.after) << c.section << "/" << c.key;
        EXPECT_EQ(IniGetString(path, c.section, c.key, "?"), c.value);
    }
}

TEST(IniFile, RefusedWritesChangeNothing) {
    TempDir dir;
    const std::string path = dir.Put("t.ini", "[A]\r\nk=1\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"", "k", "1"},         {"A", "", "1"},    {"A", "  ", "1"},
        {"A", "k", "1\r\nj=2"}, {"A", "k\n", "1"}, {"A\n[B", "k", "1"},
        {"A", "k=j", "1"},      {"A", "[B]", "1"}, {"A]x", "k", "1"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(IniWriteString(path, c.section, c.key, c.value)) << c.section << "/" << c.key;
    }
    EXPECT_EQ(TempDir::Read(path), "[A]\r\nk=1\r\n");
    EXPECT_FALSE(IniWriteString(dir.Path() + "NoDir\\t.ini", "A", "k", "1"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "NoDir"));
    dir.MakeDir("folder.ini");
    EXPECT_FALSE(IniWriteString(dir.Path() + "folder.ini", "A", "k", "1"));
}

TEST(IniFile, ShiftJisNamesAndValuesAreBytes) {
    TempDir dir;
    const std::string path = dir.Path() + "t.ini";
    // 0x83 0x41 and 0x83 0x61 are different katakana: the trail byte must not be folded.
    ASSERT_TRUE(IniWriteString(path, "S", "\x83\x41", "one"));
    ASSERT_TRUE(IniWriteString(path, "S", "\x83\x61", "two"));
    EXPECT_EQ(IniGetString(path, "s", "\x83\x41", ""), "one");
    EXPECT_EQ(IniGetString(path, "s", "\x83\x61", ""), "two");
    // A value whose trail byte is a backslash, and one with high bytes throughout.
    ASSERT_TRUE(IniWriteString(path, "S", "name", "\x95\x5C\x8E\xA6"));
    EXPECT_EQ(IniGetString(path, "S", "NAME", ""), "\x95\x5C\x8E\xA6");
}

TEST(IniFile, ConcurrentWritersLoseNothing) {
    TempDir dir;
    const std::string path = dir.Path() + "t.ini";
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&path, t] {
            for (int i = 0; i < 25; ++i) {
                const std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
                IniWriteString(path, t % 2 ? "Odd" : "Even", key, std::to_string(i));
                IniGetInt(path, "Even", "k0_0", 0);
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 25; ++i) {
            const std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
            EXPECT_EQ(IniGetInt(path, t % 2 ? "odd" : "even", key, -1), i) << key;
        }
    }
}

}  // namespace
}  // namespace zv::core
