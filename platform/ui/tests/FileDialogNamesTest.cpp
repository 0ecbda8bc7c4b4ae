// The file dialog's names without windows: filter strings, pattern matching, default
// extensions, shown names of Shift-JIS and UTF-8 names, and typed names mapped to disk paths.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/Sjis.h"
#include "platform/ui/FileDialogNames.h"

namespace zv::ui::filedlg {
namespace {

std::string S(const char* utf8) {
    return zv::core::Utf8ToSjis(utf8);
}

TEST(FileDialogNames, FilterStringsSplitIntoLabelsAndPatterns) {
    const char filter[] = "Maps (*.ddm)\0*.ddm\0All\0*.*\0\0";
    const std::vector<FilterEntry> f = ParseFilter(filter, sizeof(filter));
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].label, "Maps (*.ddm)");
    EXPECT_EQ(f[0].pattern, "*.ddm");
    EXPECT_EQ(f[1].pattern, "*.*");
    // A label without its pattern ends the list; a filter without its end is cut at the limit.
    const char dangling[] = "Maps\0*.ddm\0Lonely\0\0";
    EXPECT_EQ(ParseFilter(dangling, sizeof(dangling)).size(), 1u);
    const char unended[] = {'A', '\0', '*', '.', 'x'};
    const auto cut = ParseFilter(unended, sizeof(unended));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].pattern, "*.x");
    EXPECT_TRUE(ParseFilter(nullptr).empty());
}

TEST(FileDialogNames, PatternsMatchAsPlayersExpect) {
    struct Case {
        std::string patterns, name;
        bool match;
    };
    const Case cases[] = {
        {"*.ddm", "MAP00001.ddm", true},
        {"*.ddm", "MAP00001.DDM", true},  // case does not matter
        {"*.DDM", "map00001.ddm", true},
        {"*.ddm", "MAP00001.ddm.bak", false},
        {"*.ddm", "ddm", false},
        {"MAP?????.ddm", "MAP00001.ddm", true},
        {"MAP?????.ddm", "MAP0001.ddm", false},    // ? is exactly one character
        {"MAP?????.ddm", "map123456.ddm", false},
        {"*.ddm;*.ddg", "save.ddg", true},         // several patterns
        {" *.ddm ; *.ddg ", "save.DDG", true},     // spaces around them
        {"*.ddm;*.ddg", "save.txt", false},
        {"*.*", "README", true},                   // every name, dot or not
        {"*", "anything.at.all", true},
        {"", "anything", true},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"*map*", "oldMAPfile", true},
        // A double-byte character is one character for '?', and its trail bytes are not
        // letters to fold: "ソ" ends in 0x5C, "ア" in 0x41 ('A').
        {S("??.ddm"), S("地図.ddm"), true},
        {S("?.ddm"), S("地図.ddm"), false},
        {S("*ソ*"), S("ソース.ddm"), true},
        {S("*ア*"), S("マップア.ddm"), true},
        {S("*ア*"), S("マップa.ddm"), false},
        {S("ア.ddm"), S("a.ddm"), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesFilePattern(c.patterns, c.name), c.match)
            << zv::core::SjisToUtf8(c.patterns) << " vs " << zv::core::SjisToUtf8(c.name);
    }
    EXPECT_TRUE(HasWildcards("*.ddm"));
    EXPECT_TRUE(HasWildcards("MAP?.ddm"));
    EXPECT_FALSE(HasWildcards(S("マップ.ddm")));
}

TEST(FileDialogNames, DefaultExtensionsComeFromTheTypeThenFromTheCaller) {
    struct Case {
        std::string filterPattern, defExt, want;
    };
    const Case cases[] = {
        {"*.ddg", "*.ddg", "ddg"},  // the game passes its pattern as the default extension
        {"MAP?????.ddm", "MAP?????.ddm", "ddm"},
        {"*.ddm;*.ddg", "", "ddm"},
        {"*.*", "txt", "txt"},
        {"*.*", ".txt", "txt"},
        {"*.*", "*.*", ""},
        {"*", "", ""},
        {"*.d?m", "ddm", "ddm"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DefaultExtension(c.filterPattern, c.defExt), c.want)
            << c.filterPattern << " / " << c.defExt;
    }
    EXPECT_TRUE(HasExtension("a.ddm"));
    EXPECT_TRUE(HasExtension("dir.x/a.ddm"));
    EXPECT_FALSE(HasExtension("dir.x/a"));
    EXPECT_FALSE(HasExtension(".hidden"));
    EXPECT_FALSE(HasExtension("name."));
}

TEST(FileDialogNames, NamesShowInShiftJisWhateverTheirDiskEncoding) {
    EXPECT_EQ(DisplayName("MAP00001.ddm"), "MAP00001.ddm");
    EXPECT_EQ(DisplayName(S("地図.ddm")), S("地図.ddm"));         // Shift-JIS on the disk
    EXPECT_EQ(DisplayName("日本.ddm"), S("日本.ddm"));             // UTF-8 on the disk
    EXPECT_EQ(DisplayPath("/home/日本/" + S("地図.ddm")), S("/home/日本/地図.ddm"));
    std::string folder, name;
    SplitTyped(S("ソース\\ソ.ddm"), &folder, &name);  // 0x5C trail bytes are no separators
    EXPECT_EQ(folder, S("ソース\\"));
    EXPECT_EQ(name, S("ソ.ddm"));
    EXPECT_TRUE(SameNameIgnoringCase(S("ア"), S("ア")));
    EXPECT_FALSE(SameNameIgnoringCase(S("ア"), S("ａ")));
}

class FileDialogFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zvfiledlgXXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        root = tmpl;
        Mkdir("MAP");
        Mkdir("MAP/sub");
        Mkdir("日本語フォルダ");
        Touch("MAP/MAP00001.ddm");
        Touch("MAP/map00002.DDM");
        Touch("MAP/readme.txt");
        Touch("MAP/.hidden.ddm");
        Touch("MAP/" + S("地図.ddm"));
        Touch("MAP/日本.ddm");
    }
    void TearDown() override {
        const std::string cmd = "rm -rf '" + root + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    void Mkdir(const std::string& rel) { ASSERT_EQ(::mkdir((root + "/" + rel).c_str(), 0755), 0); }
    void Touch(const std::string& rel) { std::ofstream(root + "/" + rel) << "x"; }
    std::string root;
};

TEST_F(FileDialogFolders, ListsFoldersFirstThenMatchingFiles) {
    const auto list = ListFolder(root + "/MAP", "*.ddm");
    ASSERT_TRUE(list.has_value());
    std::vector<std::string> shown;
    for (const DirEntry& e : *list) shown.push_back(zv::core::SjisToUtf8(e.display));
    // Shown names sort in Shift-JIS order (地 before 日), ASCII without regard to case.
    EXPECT_EQ(shown, (std::vector<std::string>{"sub", "MAP00001.ddm", "map00002.DDM",
                                               "地図.ddm", "日本.ddm"}));
    EXPECT_TRUE((*list)[0].folder);
    EXPECT_EQ((*list)[3].disk, S("地図.ddm"));  // the disk bytes stay as they are
    EXPECT_EQ((*list)[4].disk, "日本.ddm");
    EXPECT_FALSE(ListFolder(root + "/nothing", "*").has_value());
}

TEST_F(FileDialogFolders, TypedNamesMapToTheBytesOnTheDisk) {
    const std::string map = root + "/MAP";
    struct Case {
        std::string from, typed, want;
    };
    const Case cases[] = {
        {map, "MAP00001.ddm", map + "/MAP00001.ddm"},
        {map, "map00001.DDM", map + "/MAP00001.ddm"},  // case does not matter
        {map, S("地図.ddm"), map + "/" + S("地図.ddm")},
        {map, S("日本.ddm"), map + "/日本.ddm"},        // shown in Shift-JIS, UTF-8 on the disk
        {map, S("新しい地図.ddm"), map + "/" + S("新しい地図.ddm")},  // new: the game's encoding
        {map, "../MAP/./sub", map + "/sub"},
        {map, "..\\" + S("日本語フォルダ"), root + "/日本語フォルダ"},
        {map, root + "/MAP/readme.txt", map + "/readme.txt"},
        {map, "  MAP00001.ddm  ", map + "/MAP00001.ddm"},
        {map, "nothere/MAP00001.ddm", map + "/nothere/MAP00001.ddm"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MapTypedPath(c.from, c.typed), c.want) << zv::core::SjisToUtf8(c.typed);
    }
    EXPECT_EQ(NormalizeFolder("/a//b/./c/../"), "/a/b");
    EXPECT_EQ(NormalizeFolder("/.."), "/");
    EXPECT_EQ(ParentFolder("/a/b"), "/a");
    EXPECT_EQ(ParentFolder("/a"), "/");
    EXPECT_EQ(ParentFolder("/"), "/");
    EXPECT_EQ(FolderChain("/a/b"), (std::vector<std::string>{"/", "/a", "/a/b"}));
}

}  // namespace
}  // namespace zv::ui::filedlg
