#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/core/Paths.h"
#include "platform/core/tests/TempDir.h"

namespace zv::core {
namespace {

class ResolvePathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.Put("MAP/Map00001.ddm", "m");
        dir.Put("DefencDk.dat", "d");
        dir.Put("Btn_Gun.bmp", "b");
        dir.Put("unit/UNIT001.bmp", "u");
        dir.Put("Dup.txt", "1");
        dir.Put("dup.txt", "2");
        dir.MakeDir("Save");
    }
    zv::testing::TempDir dir;
};

TEST_F(ResolvePathTest, GamePathsFindTheRealSpelling) {
    struct Case {
        std::string gamePath;  // appended to the folder, which ends in '/'
        std::string expected;
    };
    const Case cases[] = {
        {"\\MAP\\", "MAP/"},
        {"\\map\\", "MAP/"},
        {"MAP\\", "MAP/"},
        {"\\map\\map00001.DDM", "MAP/Map00001.ddm"},
        {"defencdk.DAT", "DefencDk.dat"},
        {"\\DefencDk.dat", "DefencDk.dat"},
        {"\\btn_gun.bmp", "Btn_Gun.bmp"},
        {"\\unit\\unit001.bmp", "unit/UNIT001.bmp"},
        {"\\\\Unit\\\\Unit001.BMP", "unit/UNIT001.bmp"},
        {"unit/unit001.bmp", "unit/UNIT001.bmp"},
        // An exact spelling wins over a case-insensitive one.
        {"dup.txt", "dup.txt"},
        {"Dup.txt", "Dup.txt"},
        {"DUP.TXT", "Dup.txt"},
        // Missing names are kept as given so that new files can be created there.
        {"\\MAP\\NewMap.ddm", "MAP/NewMap.ddm"},
        {"\\save\\Game01.ddg", "Save/Game01.ddg"},
        {"\\Nothere\\MAP\\x.dat", "Nothere/MAP/x.dat"},
        {"\\USER\\", "USER/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolvePath(dir.Path() + c.gamePath), dir.Path() + c.expected) << c.gamePath;
    }
}

TEST_F(ResolvePathTest, BareNamesResolveAgainstTheCurrentDirectory) {
    const std::filesystem::path before = std::filesystem::current_path();
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    EXPECT_EQ(ResolvePath("DEFENCDK.dat"), "DefencDk.dat");
    EXPECT_EQ(ResolvePath("map\\MAP00001.ddm"), "MAP/Map00001.ddm");
    EXPECT_EQ(ResolvePath(".\\unit\\unit001.bmp"), "./unit/UNIT001.bmp");
    EXPECT_EQ(ResolvePath("undo0.snp"), "undo0.snp");
    std::filesystem::current_path(before);
}

TEST(ResolvePath, EmptyAndRootPaths) {
    EXPECT_EQ(ResolvePath(""), "");
    EXPECT_EQ(ResolvePath("\\"), "/");
    EXPECT_EQ(ResolvePath("/"), "/");
    EXPECT_EQ(ResolvePath("\\TMP\\"), std::filesystem::exists("/tmp") ? "/tmp/" : "/TMP/");
}

TEST(ExecutableDirectory, IsTheFolderOfThisProgram) {
    const std::string dir = ExecutableDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(dir + "zv_core_tests"));
}

TEST(EqualsIgnoringCase, FoldsAsciiLettersOnly) {
    EXPECT_TRUE(EqualsIgnoringCase("MAP00001.DDM", "map00001.ddm"));
    EXPECT_FALSE(EqualsIgnoringCase("map", "maps"));
    EXPECT_FALSE(EqualsIgnoringCase("[", "{"));                // differ by 0x20 but are not letters
    EXPECT_FALSE(EqualsIgnoringCase("\xC3\xA9", "\xC3\x89"));  // é and É stay distinct
    // The trail byte of a Shift-JIS character is no letter: "ア" (83 41) is not 83 61.
    EXPECT_FALSE(EqualsIgnoringCase("\x83\x41.ddm", "\x83\x61.ddm"));
    EXPECT_TRUE(EqualsIgnoringCase("\x83\x41.DDM", "\x83\x41.ddm"));
}

// Shift-JIS names as the game writes them: a trail byte 0x5C ("ソ" is 83 5C) is part of its
// character, not a separator. UTF-8 names keep working beside them.
TEST_F(ResolvePathTest, ShiftJisTrailBytesAreNoSeparators) {
    const std::string so = "\x83\x5C\x81\x5B\x83\x58.ddm";  // ソース.ddm
    dir.Put("MAP/" + so, "s");
    dir.Put("日本/Map.ddm", "u");
    EXPECT_EQ(ResolvePath(dir.Path() + "\\map\\" + so), dir.Path() + "MAP/" + so);
    EXPECT_EQ(ResolvePath(dir.Path() + "\\MAP\\" + "\x95\x5C.ddm"),  // 表.ddm, new
              dir.Path() + "MAP/\x95\x5C.ddm");
    EXPECT_EQ(ResolvePath(dir.Path() + "日本\\map.DDM"), dir.Path() + "日本/Map.ddm");
}

}  // namespace
}  // namespace zv::core
