#include <gtest/gtest.h>

#include <filesystem>

#include "rules/testing/TempFolder.h"
#include "tools/zvdata/GameFileCheck.h"
#include "tools/zvdata/audio/AudioBuild.h"

namespace zv::zvdata::audio {
namespace {

using rules::testing::TempFolder;

const char* const kBuilt[] = {"chakudan.wav", "alart.wav", "zenmetsu.wav", "message.wav",
                              "message1.wav", "BGM01.MID", "BGM02.MID",    "BGM03.MID",
                              "BGM04.MID",    "BGM05.MID", "BGM06.MID",    "BGM07.MID",
                              "BGM08.MID",    "BGM09.MID", "BGM10.MID",    "Op.mid",
                              "Hensei.mid",   "win.mid",   "lose.mid",     "Zv6open/title.mid",
                              "Zvscenes/RCDATA154.mid"};

TEST(AudioBuild, WritesEveryFileWhereTheGameReadsItTheSameEachTime) {
    TempFolder first, second;
    const std::string data = std::string(ZV_SOURCE_DIR) + "/data";
    BuildReport a, b;
    BuildAudio(data, first.Path(), a);
    BuildAudio(data, second.Path(), b);
    for (const std::string& p : a.problems) ADD_FAILURE() << p;
    EXPECT_EQ(a.written.size(), std::size(kBuilt));
    for (const char* name : kBuilt) {
        const FileCheck check = CheckGameFile(first.File(name));
        EXPECT_TRUE(check.ok) << name;
        const auto bytes = first.Get(name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, second.Get(name)) << name << " differs between two builds";
    }
}

TEST(AudioBuild, ABrokenSourceIsReportedAndLosesNothing) {
    zv::testing::TempDir data;
    TempFolder program;
    data.Put("sound/good.txt", "sound length=0.2\nvoice wave=sine\npitch 440\n");
    data.Put("sound/bad.txt", "sound length=0.2\nvoice wave=sine\npitch 5\n");
    data.Put("music/bad.txt",
             "file bad.mid\ntempo 100\ntrack a program=0\nsection A bars=1\n"
             "notes a c4:15\nend\nform A\n");
    data.Put("music/twin.txt",
             "file Good.mid\ntempo 100\ntrack a program=0\nsection A bars=1\n"
             "notes a c4:16\nend\nform A\n");
    data.Put("music/good.txt",
             "file good.mid\ntempo 100\ntrack a program=0\nsection A bars=1\n"
             "notes a c4:16\nend\nform A\n");
    program.Put("bad.wav", {'o', 'l', 'd'});
    program.Put("bad.mid", {'o', 'l', 'd'});
    BuildReport report;
    BuildAudio(data.Path(), program.Path(), report);
    const std::vector<std::string> problems = {
        "bad.txt line 3: \"5\" is not a TIME:VALUE point (time 0-10 s, value 20-20000)",
        "bad.txt line 5: the notes of a last 15 sixteenths, section A 16",
        "twin.txt: another score already writes Good.mid"};
    EXPECT_EQ(report.problems, problems);
    EXPECT_EQ(program.Get("bad.wav"), std::vector<std::uint8_t>({'o', 'l', 'd'}));
    EXPECT_EQ(program.Get("bad.mid"), std::vector<std::uint8_t>({'o', 'l', 'd'}));
    EXPECT_TRUE(CheckGameFile(program.File("good.wav")).ok);
    EXPECT_TRUE(CheckGameFile(program.File("good.mid")).ok);
}

}  // namespace
}  // namespace zv::zvdata::audio
