// A title-2 battle: side B always fires; side A fires back only when the pairing is not
// one-sided and both chosen weapons are short-range, and each side's hit chance is its attack
// against the other's class group less the other side's defence.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "saver/Title2Battle.h"
#include "saver/tests/SaverTestSupport.h"

namespace zv::saver {
namespace {

class Title2ReturnFire : public ::testing::Test {
  protected:
    void SetUp() override {
        s = testing::MakeState(SaverBuild::Saver, 800, 600, 5);
        std::ifstream in(testing::ProgramDir() + "/ZvsaverData/RCDATA201.bin", std::ios::binary);
        data.assign(std::istreambuf_iterator<char>(in), {});
        ASSERT_EQ(data.size(), std::size_t(kDemoBlockSize));
        battle = std::make_unique<Title2Battle>(*s);
        battle->SetUnits(data.data() + kDemoUnitOffset, kDemoUnitRows);
    }
    uint8_t* Row(int row) { return data.data() + kDemoUnitOffset + std::size_t(row) * kDemoUnitSize; }
    // Every weapon slot of the row gets the range byte and the attack against every group.
    void Arm(int row, int range, int attack, int defence) {
        uint8_t* p = Row(row);
        for (int slot = 0; slot < 4; ++slot) {
            for (int group = 0; group < 7; ++group) p[64 + 8 * slot + group] = uint8_t(attack);
            p[64 + 8 * slot + 7] = uint8_t(range);
        }
        p[22] = uint8_t(defence);
    }
    int SetUp(uint32_t seed) {
        s->random.Seed(seed);
        battle->a = Title2Side{};
        battle->b = Title2Side{};
        return battle->SetUpTitle2Fight();
    }
    // Seeds whose pairing answers with `answer` once every weapon is short-range, with
    // different units on the two sides.
    std::vector<uint32_t> SeedsAnswering(int answer) {
        std::vector<uint8_t> kept = data;
        for (int r = 0; r < kDemoUnitRows; ++r) Arm(r, 0, 50, 0);
        std::vector<uint32_t> seeds;
        for (uint32_t seed = 1; seed <= 200 && seeds.size() < 3; ++seed) {
            if (SetUp(seed) == answer && battle->a.fighter.unitRow != battle->b.fighter.unitRow)
                seeds.push_back(seed);
        }
        data = kept;
        return seeds;
    }
    std::unique_ptr<SaverState> s;
    std::vector<uint8_t> data;
    std::unique_ptr<Title2Battle> battle;
};

TEST_F(Title2ReturnFire, OnlyTwoShortRangeWeaponsOfATwoSidedPairingFireBack) {
    const std::vector<uint32_t> twoSided = SeedsAnswering(1);
    ASSERT_FALSE(twoSided.empty());
    struct Case {
        int aRange, bRange;
        int aAttack, aDefence, bAttack, bDefence;
        int answer, aHit, bHit;
    } const cases[] = {
        {0, 0, 40, 7, 30, 13, 1, 27, 23},  // each side's chance takes the other's defence
        {1, 1, 40, 7, 30, 13, 1, 27, 23},  // range 1 is still short
        {2, 0, 40, 7, 30, 13, 0, 0, 23},   // A's weapon reaches far: no answer
        {0, 2, 40, 7, 30, 13, 0, 0, 23},   // B's weapon reaches far: no answer either
        {5, 5, 40, 7, 30, 13, 0, 0, 23},
        {0, 0, 10, 45, 20, 60, 1, 0, 0},   // a defence above the attack leaves no chance
        {0, 0, 60, 0, 0, 0, 1, 60, 0},
    };
    for (uint32_t seed : twoSided) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " ranges " << c.aRange << "/" << c.bRange
                                              << " attacks " << c.aAttack << "/" << c.bAttack);
            SetUp(seed);
            const int aRow = battle->a.fighter.unitRow, bRow = battle->b.fighter.unitRow;
            const std::vector<uint8_t> kept = data;
            Arm(aRow, c.aRange, c.aAttack, c.aDefence);
            Arm(bRow, c.bRange, c.bAttack, c.bDefence);
            EXPECT_EQ(SetUp(seed), c.answer);
            ASSERT_EQ(battle->a.fighter.unitRow, aRow) << "the same draw";
            EXPECT_EQ(battle->a.fighter.fires, c.answer);
            EXPECT_EQ(battle->a.fighter.hitChance, c.aHit);
            if (c.answer == 0) {
                EXPECT_EQ(battle->a.fighter.weaponKind, 0);
            }
            EXPECT_EQ(battle->b.fighter.fires, 1);
            EXPECT_EQ(battle->b.fighter.hitChance, c.bHit);
            data = kept;
        }
    }
}

TEST_F(Title2ReturnFire, AOneSidedPairingNeverFiresBack) {
    const std::vector<uint32_t> oneSided = SeedsAnswering(0);
    ASSERT_FALSE(oneSided.empty());
    for (uint32_t seed : oneSided) {
        SCOPED_TRACE(seed);
        SetUp(seed);
        Arm(battle->a.fighter.unitRow, 0, 40, 7);
        Arm(battle->b.fighter.unitRow, 0, 30, 13);
        EXPECT_EQ(SetUp(seed), 0);
        EXPECT_EQ(battle->a.fighter.fires, 0);
        EXPECT_EQ(battle->a.fighter.hitChance, 0);
        EXPECT_EQ(battle->a.fighter.weaponKind, 0);
        EXPECT_EQ(battle->b.fighter.hitChance, 23) << "B still fires with A's defence against it";
    }
}

}  // namespace
}  // namespace zv::saver
