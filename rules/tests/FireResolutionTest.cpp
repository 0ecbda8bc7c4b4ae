#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "rules/combat/FireResolution.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/MapCursors.h"
#include "rules/tests/BattleFixture.h"

namespace zv::rules::battletest {
namespace {

// The number of game-stream draws between a stream seeded with `seed` and `after`.
int DrawsSince(std::uint32_t seed, const fw::RandomStreams& after) {
    fw::RandomStreams probe;
    SeedGameRandom(probe, seed);
    for (int n = 0; n < 100000; ++n) {
        fw::RandomStreams a = probe;
        fw::RandomStreams b = after;
        if (a.NextRandom1() == b.NextRandom1() && a.NextRandom1() == b.NextRandom1() &&
            a.NextRandom1() == b.NextRandom1()) {
            return n;
        }
        probe.NextRandom1();
    }
    return -1;
}

// Gives member i of a side a chosen fire: target, weapon slot, hit, damage, shots.
void Aim(BattleSide& side, int i, int target, int slot, int hit, int damage, int shots) {
    BattleMember& m = side.Member(i);
    m.SetU8(BattleMember::kTarget, static_cast<std::uint8_t>(target));
    m.SetU8(BattleMember::kWeaponSlot, static_cast<std::uint8_t>(slot));
    m.SetU8(BattleMember::kHit, static_cast<std::uint8_t>(hit));
    m.SetU8(BattleMember::kDamage, static_cast<std::uint8_t>(damage));
    m.SetU8(BattleMember::kShots, static_cast<std::uint8_t>(shots));
}

std::vector<int> Machines(const BattleMember& m) {
    std::vector<int> v;
    for (int k = 0; k < kBattleMachineCount; ++k) v.push_back(m.Machine(k));
    return v;
}

// The exchange of fire written out plainly from the rules, for comparison.
struct ReferenceFire {
    fw::RandomStreams random;
    int draws = 0;

    int Draw(int n) {
        ++draws;
        return GameRandomBelow(random, n);
    }
    void Shots(const BattleMember& from, BattleMember& to, int count) {
        const int machines = std::min<int>(to.Strength(), 8);
        for (int s = 0; s < count && machines > 0; ++s) {
            const int need = std::max(from.Hit() - to.Defence(), 1);
            if (!(need >= Draw(100))) continue;
            const int half = (from.Damage() + 1) / 2;
            const int loss = half + Draw(from.Damage() - half);
            const int k = s % machines;
            if (to.Machine(k) != 0)
                to.SetMachine(k, static_cast<std::uint8_t>(std::max(to.Machine(k) - loss, 0)));
        }
        int alive = 0, sum = 0;
        for (int k = 0; k < 8; ++k) {
            alive += to.Machine(k) > 0;
            sum += to.Machine(k);
        }
        to.SetU8(BattleMember::kSurvivors, static_cast<std::uint8_t>(alive));
        to.SetU8(BattleMember::kRemainingDurability, static_cast<std::uint8_t>(sum));
    }
    void Side(BattleSide& from, BattleSide& to) {
        for (int i = 0; i < 6; ++i) {
            BattleMember& m = from.Member(i);
            if (m.Unit() == -1 || m.Strength() == 0 || m.Target() == 255) continue;
            const int total = std::min<int>(m.Strength(), 8) * m.Shots();
            if (m.Target() == 6) {
                for (int t = 0; t < 6; ++t) {
                    if (to.Member(t).Strength() != 0) Shots(m, to.Member(t), total / 6);
                }
            } else {
                Shots(m, to.Member(m.Target()), total);
            }
            const int left = m.Ammo(m.WeaponSlot()) - m.Shots();
            m.SetAmmo(m.WeaponSlot(), static_cast<std::uint8_t>(std::max(left, 0)));
        }
    }
};

class FireResolutionTest : public BattleTest {};

TEST_F(FireResolutionTest, GoldenExchangeWithDamageOne) {
    BattleRecord record;
    FillHandSide(record.A(), {{kSniperTeam, 2, 20}});
    FillHandSide(record.B(), {{kRifles, 4, 40}, {kRifles, 3, 10}});
    record.A().Member(0).SetAmmo(0, 20);
    // Sure hits (200 against 0) with damage 1: each of the 6 shots takes exactly one point and
    // still draws for the damage, so the stream moves by 12.
    Aim(record.A(), 0, 1, 0, 200, 1, 3);
    GameContext ctx(tables);
    SeedGameRandom(random, 77);
    ASSERT_EQ(ResolveExchangeOfFire(ctx, record, random), 1);

    const BattleMember& hit = record.B().Member(1);
    EXPECT_EQ(Machines(hit), (std::vector<int>{2, 1, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(hit.Survivors(), 3);
    EXPECT_EQ(hit.RemainingDurability(), 4);
    EXPECT_EQ(record.B().Member(0).Survivors(), 4);  // not a target
    EXPECT_EQ(record.B().Member(0).RemainingDurability(), 40);
    EXPECT_EQ(record.A().Member(0).Ammo(0), 17);
    EXPECT_EQ(record.A().Member(0).Survivors(), 2);  // side B had nobody aiming
    EXPECT_EQ(DrawsSince(77, random), 12);
}

TEST_F(FireResolutionTest, MatchesThePlainReference) {
    for (std::uint32_t seed : {1u, 99u, 4242u, 65535u}) {
        SCOPED_TRACE(seed);
        BattleRecord record;
        FillHandSide(record.A(), {{kTank, 2, 60}, {kGunner, 2, 20}, {kRifles, 4, 40}});
        FillHandSide(record.B(), {{kRifles, 4, 40}, {kTank, 2, 60}, {kRifles, 3, 30}});
        for (int i = 0; i < 3; ++i) {
            record.A().Member(i).SetAmmo(0, 5);
            record.B().Member(i).SetAmmo(1, 2);
        }
        Aim(record.A(), 0, 1, 0, 60, 20, 1);  // cannon at the tank
        Aim(record.A(), 1, 6, 0, 50, 8, 3);   // area fire at everybody
        Aim(record.A(), 2, 0, 0, 80, 10, 2);  // gun at the rifles
        record.B().Member(1).SetU8(BattleMember::kDefence, 30);
        record.B().Member(0).SetU8(BattleMember::kDefence, 79);  // 80 - 79: the floor of 1
        Aim(record.B(), 0, 2, 1, 70, 5, 2);
        Aim(record.B(), 2, 0, 1, 40, 2, 4);
        record.A().Member(0).SetU8(BattleMember::kDefence, 10);

        ReferenceFire reference;
        SeedGameRandom(reference.random, seed);
        BattleRecord expected = record;
        reference.Side(expected.A(), expected.B());
        reference.Side(expected.B(), expected.A());

        SeedGameRandom(random, seed);
        GameContext ctx(tables);
        ResolveExchangeOfFire(ctx, record, random);
        EXPECT_EQ(record.bytes, expected.bytes);
        EXPECT_EQ(DrawsSince(seed, random), reference.draws);
    }
}

TEST_F(FireResolutionTest, TheDefenderAnswersWithTheMachinesItStartedWith) {
    BattleRecord record;
    FillHandSide(record.A(), {{kTank, 2, 60}});
    FillHandSide(record.B(), {{kRifles, 2, 20}});
    Aim(record.A(), 0, 0, 0, 255, 200, 2);  // wipes the rifles out
    Aim(record.B(), 0, 0, 0, 255, 3, 1);    // 2 machines x 1 shot, 2 points each
    GameContext ctx(tables);
    ResolveExchangeOfFire(ctx, record, random);
    EXPECT_EQ(record.B().Member(0).Survivors(), 0);
    EXPECT_EQ(record.B().Member(0).RemainingDurability(), 0);
    EXPECT_EQ(Machines(record.A().Member(0)), (std::vector<int>{28, 28, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(record.A().Member(0).RemainingDurability(), 56);
}

TEST_F(FireResolutionTest, AreaFireSharesTheShotsAmongPresentMembers) {
    BattleRecord record;
    FillHandSide(record.A(), {{kGunner, 2, 20}});
    FillHandSide(record.B(), {{kRifles, 2, 20}, {kTank, 1, 30}});
    record.B().Member(3).SetUnit(kRifles);                // a unit without machines takes no shot
    Aim(record.A(), 0, kAllBattleTargets, 0, 255, 1, 3);  // 2 x 3 / 6 = one shot each
    GameContext ctx(tables);
    SeedGameRandom(random, 5);
    ResolveExchangeOfFire(ctx, record, random);
    EXPECT_EQ(Machines(record.B().Member(0)), (std::vector<int>{9, 10, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(record.B().Member(1).RemainingDurability(), 29);
    EXPECT_EQ(DrawsSince(5, random), 4);
}

TEST_F(FireResolutionTest, AmmunitionDropsByTheShotCountNotBelowZero) {
    BattleRecord record;
    FillHandSide(record.A(), {{kRifles, 4, 40}, {kTank, 2, 60}});
    FillHandSide(record.B(), {{kRifles, 4, 40}});
    record.A().Member(0).SetAmmo(0, 1);
    record.A().Member(1).SetAmmo(1, 9);
    Aim(record.A(), 0, 0, 0, 80, 10, 2);
    Aim(record.A(), 1, 0, 1, 80, 10, 4);
    GameContext ctx(tables);
    ResolveExchangeOfFire(ctx, record, random);
    EXPECT_EQ(record.A().Member(0).Ammo(0), 0);
    EXPECT_EQ(record.A().Member(1).Ammo(1), 5);
}

// Bombing: the bomber (country 0) and a site of country 1 with capture durability 160 (city).
class BombingFireTest : public BattleTest {
  protected:
    BombingFireTest() {
        site = SiteCursor(tables).AddSite(kSiteKind, 1, MakeHexPosition(10, 10));
        FillHandSide(record.A(), {{kBomber, 2, 40}});
        record.A().SetCountry(0);
        FillHandSide(record.B(), {});
        record.A().Member(0).SetAmmo(0, 4);
        // Strike 2 x 2 x 40 x 50 / 100 = 80; 80 x 17 / 160 = 8.
        Aim(record.A(), 0, kNoBattleTarget, 0, 50, 40, 2);
    }
    SiteRecord& Site() {
        return *reinterpret_cast<SiteRecord*>(tables.GetTableBase(TableId::Site) +
                                              sizeof(SiteRecord) * site);
    }

    static constexpr int kSiteKind = 2;
    std::uint16_t site;
    BattleRecord record;
};

TEST_F(BombingFireTest, AStrikeAtLeastTheThresholdKnocksTheSiteOut) {
    struct Case {
        int threshold;
        int knocked;
    };
    for (const Case c : {Case{0, 1}, Case{8, 1}, Case{9, 0}, Case{99, 0}}) {
        SCOPED_TRACE(c.threshold);
        SiteCursor(tables).ChangeSite(site, kSiteKind, 1);
        BattleRecord r = record;
        GameContext ctx(tables);
        EXPECT_EQ(ResolveBombingFire(ctx, r, site, c.threshold, random), c.knocked);
        EXPECT_EQ(Site().U8(SiteRecord::kOwner), c.knocked ? kNeutralCountry : 1);
        EXPECT_EQ(r.A().Member(0).Ammo(0), 2);  // the strike spends the shots
    }
}

// 17 times the strike over the capture durability, or 17 times the strike when that is 0.
TEST_F(BombingFireTest, TheStrikeCountsSeventeenfoldAgainstTheCaptureDurability) {
    struct Case {
        std::uint8_t durability;
        int threshold;
        int knocked;
    };
    for (const Case c : {Case{100, 13, 1}, Case{100, 14, 0}, Case{0, 1360, 1}, Case{0, 1361, 0}}) {
        SCOPED_TRACE(::testing::Message() << int{c.durability} << " " << c.threshold);
        SiteCursor(tables).ChangeSite(site, kSiteKind, 1);
        Site().SetU8(SiteRecord::kCaptureDurability, c.durability);
        BattleRecord r = record;
        GameContext ctx(tables);
        EXPECT_EQ(ResolveBombingFire(ctx, r, site, c.threshold, random), c.knocked);
    }
}

TEST_F(BombingFireTest, AKnockedOutCapitalBecomesANeutralLargeCity) {
    SiteCursor sites(tables);
    sites.ChangeSite(site, 0, 1);
    sites.Select(site);
    sites.SetSupplied(1);
    GameContext ctx(tables);
    ASSERT_EQ(ResolveBombingFire(ctx, record, site, 0, random), 1);
    EXPECT_EQ(Site().U8(SiteRecord::kKind), 1);
    EXPECT_EQ(Site().U8(SiteRecord::kOwner), kNeutralCountry);
    EXPECT_EQ(Site().U8(SiteRecord::kSupplied), 0);
    SiteKindCursor kinds(tables);
    kinds.Select(1);
    EXPECT_EQ(Site().U8(SiteRecord::kCaptureDurability), kinds.GetCaptureDurability(1));
    EXPECT_EQ(Site().U8(SiteRecord::kDestroyDurability), kinds.GetDestroyDurability(1));
}

TEST_F(BombingFireTest, WithoutABombTheStrikeStillCountsOne) {
    Aim(record.A(), 0, kNoBattleTarget, kNoBattleWeapon, 0, 0, 0);
    for (int threshold : {0, 1, 2}) {
        SCOPED_TRACE(threshold);
        SiteCursor(tables).ChangeSite(site, kSiteKind, 1);
        BattleRecord r = record;
        GameContext ctx(tables);
        EXPECT_EQ(ResolveBombingFire(ctx, r, site, threshold, random), threshold <= 1 ? 1 : 0);
    }
}

TEST_F(BombingFireTest, AnAlliedOrMissingSiteStaysButTheFireOnTroopsStands) {
    FillHandSide(record.B(), {{kRifles, 2, 20}});
    Aim(record.A(), 0, 0, 0, 255, 40, 2);
    CountryCursor countries(tables);
    countries.Select(0);
    countries.SetAllianceMask(0x03);
    GameContext ctx(tables);
    const std::uint64_t sites = tables.HashTables({TableId::Site});
    BattleRecord r = record;
    EXPECT_EQ(ResolveBombingFire(ctx, r, site, 0, random), 0);
    EXPECT_EQ(tables.HashTables({TableId::Site}), sites);
    EXPECT_EQ(r.B().Member(0).Survivors(), 0);

    r = record;
    EXPECT_EQ(ResolveBombingFire(ctx, r, kNoSiteIndex, 0, random), 0);
    EXPECT_EQ(tables.HashTables({TableId::Site}), sites);
}

}  // namespace
}  // namespace zv::rules::battletest
