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

// A decoder of the run packing as the saver reads it, to check what the packer writes.
std::vector<uint8_t> Unpack(const std::vector<uint8_t>& in) {
    std::vector<uint8_t> out;
    for (std::size_t i = 0; i < in.size();) {
        if (i + 1 < in.size() && in[i + 1] == in[i]) {
            if (in[i + 2] == 0) break;
            out.insert(out.end(), in[i + 2], in[i]);
            i += 3;
        } else {
            out.push_back(in[i++]);
        }
    }
    return out;
}

TEST(SaverDataTest, RecordsAreLaidOutFieldByField) {
    const std::string text =
        "file Zvscenes/RCDATA9.bin\nkind records\nsize 40\nrecord 16\nfirst 4\n"
        "field name 0 text5\nfield v 6 u16*2\nfield s 10 i8\nfield big 12 u32\n"
        "rec 0 name=T_34 v=513,2\n"
        "    s=-2 big=70000   # a continued line\n"
        "rec + v=7\n";
    std::string out;
    std::vector<uint8_t> b;
    std::vector<std::string> problems;
    ASSERT_TRUE(CompileSaverData("t.txt", text, &out, &b, problems)) << problems.front();
    EXPECT_EQ(out, "Zvscenes/RCDATA9.bin");
    ASSERT_EQ(b.size(), 40u);
    EXPECT_EQ(std::string(b.begin() + 4, b.begin() + 9), std::string("T 34\0", 5));
    EXPECT_EQ(b[4 + 6], 1);  // 513 little-endian
    EXPECT_EQ(b[4 + 7], 2);
    EXPECT_EQ(b[4 + 8], 2);
    EXPECT_EQ(int8_t(b[4 + 10]), -2);
    EXPECT_EQ(b[4 + 12] | b[4 + 13] << 8 | b[4 + 14] << 16, 70000);
    EXPECT_EQ(b[20 + 6], 7);  // record 1
    EXPECT_EQ(b[0], 0);
}

TEST(SaverDataTest, RecordFaultsNameTheirLine) {
    const std::string head = "file Zvscenes/RCDATA9.bin\nkind records\nsize 32\nrecord 16\nfield v 0 u8*2\n";
    const struct {
        const char* lines;
        const char* says;
    } cases[] = {
        {"rec 0 w=1\n", "t.txt:6: unknown field"},
        {"rec 0 v=256\n", "t.txt:6: field v takes at most 2 numbers from 0 to 255"},
        {"rec 0 v=1,2,3\n", "t.txt:6: field v takes at most 2"},
        {"rec 2 v=1\n", "t.txt:6: record 2 lies past the end"},
        {"rec 0 v=1\nrec 0 v=2\n", "t.txt:7: record 0 given twice"},
        {"field w 15 u16\nrec 0 v=1\n", "t.txt:6: field w runs past the end"},
        {"size 64\nrec 0\n", "t.txt:7: 'size' must come before"},
        {"", "t.txt: no rec line"},
    };
    for (const auto& c : cases) {
        std::string out;
        std::vector<uint8_t> b;
        std::vector<std::string> problems;
        const std::string text =
            std::string(c.lines).rfind("size", 0) == 0 ? head + "rec 1 v=1\n" + c.lines : head + c.lines;
        EXPECT_FALSE(CompileSaverData("t.txt", text, &out, &b, problems)) << c.lines;
        ASSERT_FALSE(problems.empty()) << c.lines;
        bool found = false;
        for (const std::string& p : problems) found |= p.find(c.says) != std::string::npos;
        EXPECT_TRUE(found) << c.lines << " gave " << problems.front();
    }
}

TEST(SaverDataTest, PackedRunsComeBackAndEndWithAMarkThatCannotBeMisread) {
    std::vector<uint8_t> plane(4096, 0);
    for (int i = 0; i < 600; ++i) plane[std::size_t(1000 + i)] = 5;  // a run past 255
    plane[3000] = 7;                                                  // single bytes
    plane[3001] = 8;
    plane[4095] = 0;
    const std::vector<uint8_t> packed = PackRuns(plane);
    EXPECT_LT(packed.size(), 64u);
    EXPECT_EQ(Unpack(packed), plane);
    // A plane that ends in a single 0: the end mark must not pair with it.
    std::vector<uint8_t> tail = {3, 3, 3, 0};
    const std::vector<uint8_t> p2 = PackRuns(tail);
    EXPECT_EQ(Unpack(p2), tail);
    EXPECT_EQ(std::vector<uint8_t>(p2.end() - 3, p2.end()), (std::vector<uint8_t>{1, 1, 0}));
}

TEST(SaverDataTest, HexMapsPackTheirPlanesBehindAHeader) {
    std::string rows;
    for (int y = 0; y < 64; ++y) rows += std::string(32, '.') + std::string(32, '~') + "\n";
    std::string units;
    for (int y = 0; y < 64; ++y) units += std::string(y == 5 ? 63 : 64, '.') + (y == 5 ? "1" : "") + "\n";
    const std::string text = "file Zvscenes/RCDATA158.bin\nkind hexmap\ntitle Test Coast\n"
                             "letter . 0\nletter ~ 5\nletter 1 1\nterrain\n" + rows + "units\n" + units;
    std::string out;
    std::vector<uint8_t> b;
    std::vector<std::string> problems;
    ASSERT_TRUE(CompileSaverData("m.txt", text, &out, &b, problems)) << problems.front();
    ASSERT_GT(b.size(), 512u);
    EXPECT_EQ(b['~'], 5);
    const int l1 = b[256] | b[257] << 8, l2 = b[258] | b[259] << 8, l3 = b[260] | b[261] << 8;
    ASSERT_EQ(std::size_t(512 + l1 + l2 + l3), b.size());
    const std::vector<uint8_t> p1(b.begin() + 512, b.begin() + 512 + l1);
    const std::vector<uint8_t> p2(b.begin() + 512 + l1, b.begin() + 512 + l1 + l2);
    const std::vector<uint8_t> terrain = Unpack(p1), unitPlane = Unpack(p2);
    ASSERT_EQ(terrain.size(), 4096u);
    EXPECT_EQ(terrain[31], 0);
    EXPECT_EQ(terrain[32], 5);
    ASSERT_EQ(unitPlane.size(), 4096u);
    EXPECT_EQ(unitPlane[5 * 64 + 63], 1);
    EXPECT_EQ(std::string(b.end() - l3, b.end()), "Test Coast");
    // A short row and a letter without a letter line are refused with their line.
    problems.clear();
    std::string bad = text;
    bad.replace(bad.find("terrain\n") + 8, 1, "");
    EXPECT_FALSE(CompileSaverData("m.txt", bad, &out, &b, problems));
    EXPECT_NE(problems.front().find("m.txt:8: a map row holds 64 letters, this one 63"), std::string::npos)
        << problems.front();
    problems.clear();
    bad = text;
    bad[bad.find("terrain\n") + 8] = 'q';
    EXPECT_FALSE(CompileSaverData("m.txt", bad, &out, &b, problems));
    EXPECT_NE(problems.front().find("letter 'q' has no letter line"), std::string::npos);
}

TEST(SaverDataTest, CopiesInOtherFilesMayLengthenTheRecords) {
    const std::string text = "file A.bin\nalso B.bin\nalso C.bin record 6  # before the record line\n"
                             "kind records\nsize 8\n"
                             "record 4\nfield v 0 u8*4\nrec 0 v=1,2,3,4\nrec 1 v=5,6,7,8\n";
    std::string out;
    std::vector<uint8_t> b;
    std::vector<std::string> problems;
    ASSERT_TRUE(CompileSaverData("t.txt", text, &out, &b, problems));
    const auto copies = AlsoOutputs("t.txt", text, b, problems);
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].first, "B.bin");
    EXPECT_EQ(copies[0].second, b);
    EXPECT_EQ(copies[1].first, "C.bin");
    EXPECT_EQ(copies[1].second, (std::vector<uint8_t>{1, 2, 3, 4, 0, 0, 5, 6, 7, 8, 0, 0}));
    // Shorter records, or a file outside the program directory, are refused.
    AlsoOutputs("t.txt", "record 4\nalso D.bin record 2\nalso ../E.bin\n", b, problems);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("t.txt:2: a copy's records must be at least as long"), std::string::npos);
    EXPECT_NE(problems[1].find("t.txt:3: expected: also FILE"), std::string::npos);
}

}  // namespace
}  // namespace zv::zvdata::saver
