#include "shell/WindowMessages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace zv {
namespace {

int Shared(const std::vector<WindowMessageRow>& rows) {
    return FindSharedWindowMessage(rows.data(), static_cast<int>(rows.size()));
}

TEST(WindowMessagesTest, NoTwoMessagesOfOneReceiverShareANumber) {
    const std::vector<WindowMessageRow> rows(std::begin(kWindowMessages), std::end(kWindowMessages));
    EXPECT_EQ(Shared(rows), -1);
    // Every name is declared once.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) EXPECT_STRNE(rows[i].name, rows[j].name);
    }
}

TEST(WindowMessagesTest, TheCheckFindsANumberUsedTwiceForOneReceiver) {
    using R = MessageReceivers;
    struct Case {
        std::vector<WindowMessageRow> rows;
        int shared;
    };
    const Case cases[] = {
        {{{"A", 2075, R::GameWindows}, {"B", 2076, R::GameWindows}}, -1},
        // A number the skinned controls and the game's windows each use for their own message.
        {{{"A", 2084, R::GameWindows}, {"B", 2084, R::SkinControls}}, -1},
        {{{"A", 2075, R::GameWindows}, {"B", 2076, R::GameWindows}, {"C", 2075, R::GameWindows}}, 2},
        {{{"A", 2121, R::SetupPages}, {"B", 2121, R::SetupPages}}, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(Shared(c.rows), c.shared) << c.rows.size();
}

TEST(WindowMessagesTest, SecondNamesKeepTheNumbersTheWindowsAnswer) {
    EXPECT_EQ(WM_RESULT_ACTIVATE, 2075u);
    EXPECT_EQ(WM_RESULT_SET_RECORD, 2093u);
    EXPECT_EQ(WM_MAP_SET_OPTION, 2126u);
    EXPECT_EQ(WM_NEWS_RELOAD, 2127u);
    EXPECT_EQ(WM_SKIN_CLEAR, WM_NEWS_CLEAR);
    EXPECT_EQ(WM_SHOW_PAGE, WM_MAP_COMMAND);
}

// A message number declared outside the one list would drift from it unseen: no source of the
// program declares a window message of its own.
TEST(WindowMessagesTest, NoSourceDeclaresAMessageNumberOfItsOwn) {
    const std::filesystem::path root(ZV_SOURCE_DIR);
    const std::regex declaration(R"((\bWM_\w+|uint32_t\s+\w+)\s*=\s*(2[01]\d\d)u?\s*;)");
    std::vector<std::string> found;
    for (const char* folder : {"shell", "mapview", "panels", "organize", "setup", "netplay", "opening",
                               "saver", "apps", "framework", "tools"}) {
        if (!std::filesystem::exists(root / folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
            if (entry.path() == root / "shell" / "WindowMessages.h") continue;
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            const std::string s = text.str();
            for (std::sregex_iterator m(s.begin(), s.end(), declaration), end; m != end; ++m) {
                const int number = std::stoi((*m)[2].str());
                if (number >= 2030) found.push_back(entry.path().string() + ": " + m->str());
            }
        }
    }
    EXPECT_TRUE(found.empty()) << [&] {
        std::string all;
        for (const std::string& f : found) all += f + "\n";
        return all;
    }();
}

}  // namespace
}  // namespace zv
