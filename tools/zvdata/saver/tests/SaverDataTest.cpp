#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tools/zvdata/saver/SaverData.h"

namespace zv::zvdata::saver {
namespace {

TEST(SaverDataTest, UnitRowsTakeTheirWeaponBlocksFromTheWeaponLines) {
    const std::string text =
        "file ZvsaverData/RCDATA201.bin\nkind units2\n"
        "weapon 1 AAM 70 0 0 -5 1\nweapon 4 SAM 75 0 0 10 3\n"
        "unit 0 F 10 20 1 Falcon\nunit 62 R 6 -3 4,1 Shield\n";
    std::string out;
    std::vector<uint8_t> b;
    std::vector<std::string> problems;
    ASSERT_TRUE(CompileSaverData("t.txt", text, &out, &b, problems));
    EXPECT_EQ(out, "ZvsaverData/RCDATA201.bin");
    ASSERT_EQ(b.size(), 8189u);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "AAM     ");
    const uint8_t* r0 = b.data() + 640;
    EXPECT_EQ(std::string(r0, r0 + 8), "Falcon  ");
    EXPECT_EQ(r0[8], 'F');
    EXPECT_EQ(r0[14], 10);
    EXPECT_EQ(r0[17], 1);
    EXPECT_EQ(r0[18], 0);
    EXPECT_EQ(int8_t(r0[64 + 3]), -5);
    EXPECT_EQ(r0[64 + 7], 1);
    const uint8_t* r62 = b.data() + 640 + 62 * 96;
    EXPECT_EQ(int8_t(r62[22]), -3);
    EXPECT_EQ(r62[64], 75);       // slot 0: weapon 4
    EXPECT_EQ(r62[64 + 7], 3);
    EXPECT_EQ(r62[64 + 8], 70);   // slot 1: weapon 1
}

TEST(SaverDataTest, FaultsAreRefusedWithTheirLine) {
    const struct {
        const char* text;
        const char* fault;
    } cases[] = {
        {"kind units2\nunit 0 F 10 20 1 X\n", "no file line"},
        {"file a.bin\nunit 0 F 10 20 1 X\n", "no kind line"},
        {"file a.bin\nkind units2\nunit 63 F 10 20 1 X\n", "t.txt:3:"},
        {"file a.bin\nkind units2\nunit 0 F 11 20 1 X\n", "t.txt:3:"},
        {"file a.bin\nkind units2\nunit 0 F 10 20 1,2,3,4,5 X\n", "t.txt:3:"},
        {"file a.bin\nkind units2\nunit 0 F 10 20 9 X\n", "weapon 9 has no weapon line"},
        {"file a.bin\nkind units2\nunit 1 F 10 20 0 X\nunit 1 F 10 20 0 Y\n", "given twice"},
        {"file a.bin\nkind units2\nweapon 1 TOOLONGNAME 1 1 1 1 1\n", "t.txt:3:"},
        {"file ../a.bin\nkind units2\n", "below the program directory"},
        {"file a.bin\nkind sky\n", "no seed line"},
        {"file a.bin\nkind aircraft\naircraft A 5 0 1 2 12 1 8 1\n", "t.txt:3:"},
        {"file a.bin\nkind aircraft\n", "no aircraft"},
        {"file a.bin\nkind pictures\n", "unknown kind"},
    };
    for (const auto& c : cases) {
        std::string out;
        std::vector<uint8_t> b;
        std::vector<std::string> problems;
        EXPECT_FALSE(CompileSaverData("t.txt", c.text, &out, &b, problems)) << c.text;
        std::string all;
        for (const auto& p : problems) all += p + "\n";
        EXPECT_NE(all.find(c.fault), std::string::npos) << c.text << "\n" << all;
    }
}

TEST(SaverDataTest, SkyLayoutsKeepEachRowInItsBandAndAircraftFillTheirFields) {
    std::string out;
    std::vector<uint8_t> b;
    std::vector<std::string> problems;
    ASSERT_TRUE(CompileSaverData("t.txt", "file s.bin\nkind sky\nseed 7\n", &out, &b, problems));
    ASSERT_EQ(b.size(), 5760u);
    for (int layout = 0; layout < 36; ++layout)
        for (int i = 0; i < 160; ++i) {
            const int t = b[layout * 160 + i];
            ASSERT_GE(t, 1);
            ASSERT_LE(t, 40);
            EXPECT_EQ((t - 1) % 10, i / 16) << "a tile of its own row of the sky";
        }
    ASSERT_TRUE(CompileSaverData("t.txt",
                                 "file a.bin\nkind aircraft\naircraft Hawk 3 2 5 4 12 7 9 1\n",
                                 &out, &b, problems));
    ASSERT_EQ(b.size(), 42240u);
    EXPECT_EQ(b[0], 9);
    EXPECT_EQ(b[2], 3);
    EXPECT_EQ(b[3], 2);
    EXPECT_EQ(b[4], 5);
    EXPECT_EQ(b[17], 4);
    EXPECT_EQ(b[20], 12);
    EXPECT_EQ(b[28], 7);
    EXPECT_EQ(b[176 + 28], 0) << "the rest stay empty";
}

}  // namespace
}  // namespace zv::zvdata::saver
