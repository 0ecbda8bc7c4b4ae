#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "rules/records/ForceCursor.h"
#include "rules/records/MapRecords.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/RuleTableWriter.h"
#include "rules/testing/TempFolder.h"

namespace zv::rules {
namespace {

using testing::MapBuilder;
using testing::RuleTableWriter;
using testing::TempFolder;

constexpr int kInfantry = 0;
constexpr int kGunship = 1;

class ForceCursorTest : public ::testing::Test {
  protected:
    ForceCursorTest() {
        RuleTableWriter::Basic().InstallInto(tables);
        MapBuilder map(tables);
    }

    std::uint8_t* Slot(int slot, TableId table = TableId::Force) {
        return tables.GetTableBase(table) + slot * kForceRecordSize;
    }
    TroopRecord& ForceTroop(int slot, int t, TableId table = TableId::Force) {
        return reinterpret_cast<ForceRecord*>(Slot(slot, table))->Troop(t);
    }
    std::string TroopName(const TroopRecord& r) {
        return std::string(r.NameBytes(), strnlen(r.NameBytes(), 24));
    }

    TableDirectory tables;
    ForceWorkspace workspace;
};

TEST_F(ForceCursorTest, SlotForEachCountry) {
    struct Case {
        std::uint8_t country;
        std::uint8_t slot;
    };
    const Case cases[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}, {5, 0}, {255, 0}};
    ForceCursor cursor(tables);
    for (const Case& c : cases) {
        EXPECT_EQ(cursor.SlotForType(c.country), c.slot) << int(c.country);
        cursor.SelectSlot(c.country);
        EXPECT_EQ(cursor.GetForceRecord()->data(), Slot(c.slot)) << int(c.country);
        EXPECT_EQ(cursor.GetIndex(), 0);
    }
    EXPECT_EQ(ForceCursor(tables, 2).GetForceRecord()->data(), Slot(3));
}

TEST_F(ForceCursorTest, ClearForceWritesTheEmptyCorpsBytes) {
    std::memset(Slot(2), 0x5A, kForceRecordSize);
    const std::vector<std::uint8_t> neighbours[] = {{Slot(1), Slot(1) + kForceRecordSize},
                                                    {Slot(3), Slot(3) + kForceRecordSize}};
    ForceCursor cursor(tables, 1);
    cursor.ClearForce();
    const std::uint8_t* b = Slot(2);
    for (std::size_t i = 0; i < 284; ++i) ASSERT_EQ(b[i], 0) << i;
    const std::uint8_t int284[] = {0x10, 0x27, 0x00, 0x00};  // 10000
    EXPECT_EQ(std::memcmp(b + 284, int284, 4), 0);
    EXPECT_EQ(b[288], 0);
    EXPECT_EQ(b[291], 0);
    EXPECT_EQ(b[292], 0x5A);  // not touched
    EXPECT_EQ(b[293], 0x5A);
    for (int t : {0, 159}) {
        EXPECT_EQ(b[294 + 418 * t + 24], 0xFF) << t;
        EXPECT_EQ(b[294 + 418 * t + 25], 0xFF) << t;
        EXPECT_EQ(b[294 + 418 * t + 214], 'T') << t;
    }
    // The slots beside it are untouched.
    EXPECT_EQ(std::memcmp(neighbours[0].data(), Slot(1), kForceRecordSize), 0);
    EXPECT_EQ(std::memcmp(neighbours[1].data(), Slot(3), kForceRecordSize), 0);
    EXPECT_EQ(cursor.FindFreeTroopSlot(), 0);
}

TEST_F(ForceCursorTest, HeaderAccessorsAndFreeTroopSlots) {
    ForceCursor cursor(tables, 3);
    EXPECT_EQ(cursor.HasName(), 0);
    cursor.SetName("\x91\xe6\x88\xea\x8c\x52\x92\x63");  // 第一軍団
    cursor.SetComment("comment");
    cursor.SetHeaderWord282(1);
    cursor.SetHeaderWord288(7);
    EXPECT_EQ(cursor.HasName(), 1);
    EXPECT_STREQ(cursor.GetName(), "\x91\xe6\x88\xea\x8c\x52\x92\x63");
    EXPECT_STREQ(cursor.GetComment(), "comment");
    EXPECT_EQ(Slot(4)[282], 1);
    EXPECT_EQ(Slot(4)[288], 7);
    EXPECT_EQ(Slot(4)[24], 'c');

    MapBuilder map(tables);
    EXPECT_EQ(map.AddForceTroop(3, {kInfantry}), 0);
    EXPECT_EQ(map.AddForceTroop(3, {kGunship}), 1);
    EXPECT_EQ(cursor.FindFreeTroopSlot(), 2);
    // Only both bytes 0xFF make a slot free.
    ForceTroop(4, 2).SetCountry(5);
    EXPECT_EQ(cursor.FindFreeTroopSlot(), 3);
    for (int t = 0; t < 160; ++t) ForceTroop(4, t).SetSlotByte(0);
    EXPECT_EQ(cursor.FindFreeTroopSlot(), kNoTroop);
}

TEST_F(ForceCursorTest, SlotCopiesMoveWholeCorpsAndKeepTheSelectedRecord) {
    MapBuilder map(tables);
    map.ForceName(2, "green corps");
    map.AddForceTroop(2, {kGunship}, "heli");
    ForceCursor cursor(tables, 0);
    ForceRecord* selected = cursor.GetForceRecord();
    cursor.LoadSlotToWork(2);
    EXPECT_EQ(std::memcmp(Slot(0), Slot(3), kForceRecordSize), 0);
    EXPECT_EQ(cursor.GetSlot(), 3);
    EXPECT_EQ(cursor.GetForceRecord(), selected);

    Slot(0)[0] = 'X';
    cursor.StoreWorkToSlot(1);
    EXPECT_EQ(std::memcmp(Slot(2), Slot(0), kForceRecordSize), 0);
    EXPECT_EQ(Slot(3)[0], 'g');
}

TEST_F(ForceCursorTest, PlaceTroopAtMarksTheCorpsTroop) {
    ForceCursor cursor(tables);
    EXPECT_EQ(cursor.PlaceTroopAt(5, MakeHexPosition(10, 20), 2), 1);
    TroopRecord& t = ForceTroop(3, 5);
    EXPECT_EQ(t.Flags() & kTroopReinforcement, kTroopReinforcement);
    EXPECT_EQ(t.Hex(), MakeHexPosition(10, 20));
    EXPECT_EQ(cursor.GetSlot(), 3);
}

TEST_F(ForceCursorTest, ScratchModeCopiesATroopOnceAndStoresItBack) {
    MapBuilder map(tables);
    map.AddForceTroop(5, {kInfantry}, "a");
    for (int i = 0; i < 8; ++i) map.AddForceTroop(5, {kInfantry}, "t");
    ForceTroop(0, 7).SetText(0, 24, "seven");
    ForceCursor cursor(tables, 5, &workspace);
    BeginForceScratchMode(workspace);
    ASSERT_EQ(cursor.SelectTroop(7), 1);
    EXPECT_EQ(cursor.GetRecord(), &workspace.ScratchRecord());
    EXPECT_STREQ(cursor.TroopCursor::GetName(), "seven");

    // Edits stay in the copy; selecting the same troop again does not copy over them.
    cursor.TroopCursor::SetName("edited");
    ForceTroop(0, 7).SetText(0, 24, "table");
    cursor.SelectTroop(7);
    EXPECT_STREQ(cursor.TroopCursor::GetName(), "edited");
    EXPECT_EQ(TroopName(ForceTroop(0, 7)), "table");

    cursor.StoreScratchTroop(7);
    EXPECT_EQ(TroopName(ForceTroop(0, 7)), "edited");
    ForceTroop(0, 7).SetText(0, 24, "changed");
    cursor.SelectTroop(7);
    EXPECT_STREQ(cursor.TroopCursor::GetName(), "edited");

    // Outside scratch mode the cursor points into the corps.
    EndForceScratchMode(workspace);
    cursor.SelectTroop(7);
    EXPECT_EQ(cursor.GetRecord(), &ForceTroop(0, 7));
    EXPECT_EQ(cursor.GetIndex(), 7);
}

TEST_F(ForceCursorTest, ScratchCopyIsNeverAnotherCorpsTroop) {
    ForceTroop(1, 7).SetText(0, 24, "blue seven");
    ForceTroop(2, 7).SetText(0, 24, "red seven");
    ForceTroop(3, 7).SetText(0, 24, "green seven");
    ForceCursor cursor(tables, 0, &workspace);
    BeginForceScratchMode(workspace);
    cursor.SelectTroop(7);
    EXPECT_STREQ(cursor.TroopCursor::GetName(), "blue seven");
    cursor.SelectSlot(1);
    cursor.SelectTroop(7);
    EXPECT_STREQ(cursor.TroopCursor::GetName(), "red seven");

    // The working copy replaced by another country's corps drops its old scratch copy.
    cursor.SelectSlot(5);
    cursor.LoadSlotToWork(0);
    cursor.SelectSlot(5);
    cursor.SelectTroop(7);
    EXPECT_STREQ(cursor.TroopCursor::GetName(), "blue seven");
    cursor.LoadSlotToWork(2);
    cursor.SelectSlot(5);
    cursor.SelectTroop(7);
    EXPECT_STREQ(cursor.TroopCursor::GetName(), "green seven");
}

TEST_F(ForceCursorTest, ClearForceInScratchModeResetsTheCorpsItself) {
    MapBuilder map(tables);
    map.AddForceTroop(1, {kInfantry}, "x");
    ForceCursor cursor(tables, 1, &workspace);
    BeginForceScratchMode(workspace);
    cursor.SelectTroop(0);
    cursor.ClearForce();
    EXPECT_EQ(ForceTroop(2, 0).SlotByte(), 0xFF);
    // The stale copy is not handed out again.
    ForceTroop(2, 0).SetText(0, 24, "new");
    cursor.SelectTroop(0);
    EXPECT_STREQ(cursor.TroopCursor::GetName(), "new");
}

TEST_F(ForceCursorTest, CarrierWalksSeeTheCorpsEvenInScratchMode) {
    MapBuilder map(tables);
    const std::uint16_t carrier = map.AddForceTroop(5, {kInfantry}, "carrier");
    const std::uint16_t aboard = map.AddForceTroop(5, {kInfantry}, "aboard");
    ForceTroop(0, aboard).SetCarrier(carrier);
    ForceCursor cursor(tables, 5, &workspace);
    cursor.SelectTroop(carrier);
    BeginForceScratchMode(workspace);
    cursor.SelectTroop(carrier);
    EXPECT_EQ(cursor.FindCarriedTroopOfCurrent(0), aboard);
    EXPECT_EQ(cursor.GetRecord(), &workspace.ScratchRecord());
    EXPECT_TRUE(workspace.ScratchOn());
}

TEST_F(ForceCursorTest, ShadowForceCursorWorksOnTable24) {
    ShadowForceCursor shadow(tables, 0);
    EXPECT_EQ(shadow.GetForceRecord()->data(), Slot(1, TableId::ShadowForce));
    std::vector<std::uint8_t> live(Slot(0), Slot(0) + 5 * kForceRecordSize);
    shadow.SetName("shadow");
    shadow.PlaceTroopAt(3, MakeHexPosition(1, 1), 1);
    EXPECT_EQ(ForceTroop(2, 3, TableId::ShadowForce).Flags() & kTroopReinforcement,
              kTroopReinforcement);
    shadow.LoadSlotToWork(0);
    EXPECT_EQ(
        std::memcmp(Slot(0, TableId::ShadowForce), Slot(1, TableId::ShadowForce), kForceRecordSize),
        0);
    EXPECT_EQ(std::memcmp(live.data(), Slot(0), live.size()), 0);
}

class CorpsFileTest : public ForceCursorTest {
  protected:
    CorpsFileTest() { std::filesystem::create_directories(folder.Path() + "USER"); }

    void Put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        folder.Put("USER/" + name, bytes);
    }
    std::vector<std::uint8_t> Get(const std::string& name) { return folder.Get("USER/" + name); }

    TempFolder folder;
};

TEST_F(CorpsFileTest, SaveWritesHeaderAndRecordAndLoadRestoresIt) {
    MapBuilder map(tables);
    map.ForceName(2, "corps");
    map.AddForceTroop(2, {kGunship, kInfantry}, "troop");
    ForceCursor cursor(tables, 2, &workspace);
    ASSERT_TRUE(cursor.SaveUserForceFile(folder.Path(), "useFrc00.prm"));

    const std::vector<std::uint8_t> file = Get("useFrc00.prm");
    ASSERT_EQ(file.size(), 67190u);
    const std::uint8_t header[16] = {105, 0, 1, 0, 0x66, 0x06, 0x01, 0x00};
    EXPECT_EQ(std::memcmp(file.data(), header, 16), 0);
    EXPECT_EQ(std::memcmp(file.data() + 16, Slot(3), kForceRecordSize), 0);

    cursor.SelectSlot(0);
    ASSERT_TRUE(cursor.LoadUserForceFile(folder.Path(), "USEFRC00.PRM"));
    EXPECT_EQ(std::memcmp(Slot(1), Slot(3), kForceRecordSize), 0);
    EXPECT_EQ(GetLastUserForceFileName(workspace), "USEFRC00.PRM");
}

TEST_F(CorpsFileTest, SaveReplacesALongerFileWhole) {
    Put("useFrc01.prm", std::vector<std::uint8_t>(80000, 0xEE));
    ForceCursor cursor(tables, 0);
    ASSERT_TRUE(cursor.SaveUserForceFile(folder.Path(), "useFrc01.prm"));
    EXPECT_EQ(Get("useFrc01.prm").size(), 67190u);
}

TEST_F(CorpsFileTest, SaveFailureIsReported) {
    ForceCursor cursor(tables, 0);
    std::filesystem::remove_all(folder.Path() + "USER");
    const FileStatus status = cursor.SaveUserForceFile(folder.Path(), "useFrc00.prm");
    EXPECT_FALSE(status);
    EXPECT_FALSE(status.error.empty());
    EXPECT_FALSE(cursor.SaveUserForceFile(folder.Path(), nullptr));
}

TEST_F(CorpsFileTest, BadFilesLeaveTheCorpsUnchanged) {
    std::vector<std::uint8_t> good(67190, 0x11);
    good[0] = 105;
    good[1] = 0;
    std::vector<std::uint8_t> otherKind = good;
    otherKind[0] = 106;
    std::vector<std::uint8_t> shortFile(good.begin(), good.begin() + 16 + 100);
    std::vector<std::uint8_t> longFile = good;
    longFile.push_back(0);
    std::vector<std::uint8_t> headerOnly(good.begin(), good.begin() + 10);
    struct Case {
        const char* name;
        const std::vector<std::uint8_t>* bytes;
    };
    const Case cases[] = {
        {"missing", nullptr},         {"kind 106", &otherKind},        {"short body", &shortFile},
        {"one byte long", &longFile}, {"partial header", &headerOnly},
    };
    MapBuilder map(tables);
    map.ForceName(1, "kept");
    map.AddForceTroop(1, {kInfantry}, "kept troop");
    const std::vector<std::uint8_t> before(Slot(2), Slot(2) + kForceRecordSize);
    ForceCursor cursor(tables, 1, &workspace);
    for (const Case& c : cases) {
        const std::string name = std::string("bad_") + std::to_string(&c - cases) + ".prm";
        if (c.bytes) Put(name, *c.bytes);
        const FileStatus status = cursor.LoadUserForceFile(folder.Path(), name.c_str());
        EXPECT_FALSE(status) << c.name;
        EXPECT_FALSE(status.error.empty()) << c.name;
        EXPECT_EQ(std::memcmp(before.data(), Slot(2), kForceRecordSize), 0) << c.name;
    }
    EXPECT_TRUE(GetLastUserForceFileName(workspace).empty());
    Put("good.prm", good);
    EXPECT_TRUE(cursor.LoadUserForceFile(folder.Path(), "good.prm"));
    EXPECT_EQ(Slot(2)[0], 0x11);
}

TEST_F(CorpsFileTest, FreeNumberIsTheFirstGap) {
    EXPECT_EQ(FindFreeUserForceNumber(folder.Path()), 0);
    for (const char* name : {"useFrc00.prm", "useFrc02.prm"}) Put(name, {1});
    EXPECT_EQ(FindFreeUserForceNumber(folder.Path()), 1);
    Put("useFrc01.prm", {1});
    EXPECT_EQ(MakeNewUserForceFileName(folder.Path()), "useFrc03.prm");
    for (int n = 0; n < 100; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "useFrc%02d.prm", n);
        Put(name, {1});
    }
    EXPECT_EQ(FindFreeUserForceNumber(folder.Path()), kNoForceFileNumber);
    EXPECT_FALSE(MakeNewUserForceFileName(folder.Path()).has_value());
}

}  // namespace
}  // namespace zv::rules
