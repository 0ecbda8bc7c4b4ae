#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "rules/combat/Attack.h"
#include "rules/context/RuleHelpers.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/context/ShadowTables.h"
#include "rules/records/MapCursors.h"
#include "rules/records/NewsRecord.h"
#include "rules/tests/BattleFixture.h"
#include "rules/troops/TroopMembers.h"

namespace zv::rules::battletest {
namespace {

class AttackTest : public BattleTest {
  protected:
    int Round(std::uint16_t a, std::uint16_t b, int distance, int ready = 1) {
        GameContext ctx(tables, Env());
        SetBattleSideTroop(ctx, record.A(), a);
        SetBattleSideTroop(ctx, record.B(), b);
        return ComputeAttackRound(ctx, record, distance, ready, 2);
    }
    int Attack(std::uint16_t a, std::uint16_t b, std::uint8_t player = 0) {
        GameContext ctx(tables, Env(player));
        return ExecAttack(ctx, a, b, random);
    }
    std::uint64_t Hash() { return tables.HashLiveTables(); }

    BattleRecord record;
};

TEST_F(AttackTest, SidesAreFilledFromTheTroops) {
    const std::uint16_t a = AddTroop(0, 5, 5, {kTank, kEcmCar, kSwarm});
    const std::uint16_t b = AddTroop(1, 6, 5, {kRifles});
    HexCursor hex(tables);
    hex.SelectXY(MakeHexPosition(5, 5));
    hex.SetRoad(0x08);
    TroopCursor troops(tables);
    troops.Select(a);
    troops.SetName("Alpha");
    MemberOf(a, 0).SetDurability(25);  // 13 + 12
    MemberOf(a, 0).SetAttack(0, 1);    // first setting 1: no bonus
    MemberOf(a, 0).SetFireCounter(1, 4);
    MemberOf(b, 0).SetDefence(0, 2);  // side B reads the defence settings
    Round(a, b, 1);

    const BattleSide& sa = record.A();
    EXPECT_EQ(sa.Troop(), a);
    EXPECT_EQ(sa.Country(), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(sa.data() + BattleSide::kName), "Alpha");
    EXPECT_EQ(sa.AltitudeClass(), 3);
    EXPECT_EQ(sa.TerrainClass(), 13);  // the road, for a side
    EXPECT_EQ(sa.BestEcm(), 50);

    const BattleMember& tank = sa.Member(0);
    EXPECT_EQ(tank.Unit(), kTank);
    EXPECT_EQ(tank.Strength(), 2);
    EXPECT_EQ(tank.Durability(), 25);
    EXPECT_EQ(tank.StartMachine(0), 13);
    EXPECT_EQ(tank.StartMachine(1), 12);
    EXPECT_EQ(tank.Ammo(0), 10);
    EXPECT_EQ(tank.Ammo(1), 30);
    EXPECT_EQ(tank.FireCounter(1), 4);
    EXPECT_EQ(tank.Bonus(), 0);
    EXPECT_EQ(tank.Ecm(), 50);          // raised to the side's best
    EXPECT_EQ(tank.TerrainClass(), 0);  // without roads: never the ECM, always a class 0-28
    EXPECT_EQ(sa.Member(1).Bonus(), 15);

    // Twelve machines: the record holds eight and nothing spills into the next member.
    const BattleMember& swarm = sa.Member(2);
    EXPECT_EQ(swarm.Strength(), 8);
    EXPECT_EQ(swarm.Durability(), 60);
    for (int m = 0; m < 8; ++m) EXPECT_EQ(swarm.StartMachine(m), m < 4 ? 8 : 7) << m;
    EXPECT_EQ(swarm.Ammo(0), 40);
    EXPECT_EQ(sa.Member(3).Unit(), -1);
    EXPECT_EQ(sa.Member(3).Target(), kNoBattleTarget);
    EXPECT_EQ(sa.Member(3).AttackerIndex(), 0xFF);

    EXPECT_EQ(record.B().Member(0).Action(), 2);  // defence setting 2 is kept as it is
    EXPECT_EQ(record.B().Member(0).Bonus(), 0);
}

TEST_F(AttackTest, TheRoundNamesHowEachMemberFires) {
    const std::uint16_t a = AddTroop(0, 5, 5, {kRifles, kTank, kGunner, kRifles, kEcmCar});
    const std::uint16_t b = AddTroop(1, 6, 5, {kRifles, kTank, kEcmCar});
    MemberOf(a, 3).SetAttack(1, 2);  // slot 3 holds fire
    MemberOf(b, 1).SetDefence(0, 1);
    ASSERT_EQ(Round(a, b, 2), 1);
    const BattleSide& sa = record.A();
    EXPECT_EQ(sa.Member(0).Action(), kBattleNoWeapon);  // no gun reaches 2, nobody found one yet
    EXPECT_EQ(sa.Member(0).WeaponSlot(), kNoBattleWeapon);
    EXPECT_EQ(sa.Member(1).Action(), kBattleFireFar);  // the cannon
    EXPECT_EQ(sa.Member(2).Action(), kBattleFireArea);
    EXPECT_EQ(sa.Member(3).Action(), kBattleHoldFire);
    EXPECT_EQ(sa.Member(4).Action(), kBattleFireNear);  // found nothing after others did: kept
    EXPECT_EQ(record.B().Member(0).Action(), kBattleNoWeapon);  // no gun reaches 2
    EXPECT_EQ(record.B().Member(1).Action(), kBattleHoldFire);  // setting 1 answers nothing
    EXPECT_EQ(record.B().Member(2).Action(), kBattleNoWeapon);

    ASSERT_EQ(Round(a, b, 1), 1);
    EXPECT_EQ(record.A().Member(0).Action(), kBattleFireNear);
    EXPECT_EQ(record.A().Member(0).WeaponSlot(), 0);
    EXPECT_EQ(record.B().Member(0).Action(), kBattleReturnFire);

    // The tank's gun with the bonus (92) beats its cannon (69).
    const std::uint16_t c = AddTroop(0, 7, 7, {kEcmCar, kTank});
    const std::uint16_t d = AddTroop(1, 8, 7, {kRifles});
    ASSERT_EQ(Round(c, d, 1), 1);
    EXPECT_EQ(record.A().Member(0).Action(), kBattleNoWeapon);
    EXPECT_EQ(record.A().Member(1).Action(), kBattleFireNear);
    EXPECT_EQ(record.A().Member(1).WeaponSlot(), 1);
}

TEST_F(AttackTest, AnAttackFightsShowsReportsAndWritesBack) {
    const std::uint16_t a = AddTroop(0, 5, 5, {kRifles, kTank});
    const std::uint16_t b = AddTroop(1, 6, 5, {kTank});
    Sees(0, b);
    ASSERT_EQ(Attack(a, b), 1);

    ASSERT_EQ(events.fights.size(), 1u);
    const BattleRecord& shown = events.fights[0];
    EXPECT_EQ(shown.Side(0).Troop(), a);
    EXPECT_EQ(shown.Side(1).Country(), 1);
    ASSERT_EQ(events.frames.size(), 18u);
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(events.frames[i].kind, i < 9 ? 0 : 1);
        EXPECT_EQ(events.frames[i].frame, i % 9);
    }
    EXPECT_EQ(events.frames[0].troop1, a);
    EXPECT_EQ(events.frames[0].troop2, b);
    EXPECT_EQ(events.frames[0].hex, 0xFFFF);
    EXPECT_EQ(events.frames[9].troop1, kNoTroop);  // a keeps survivors

    ASSERT_EQ(events.news.size(), 1u);
    const std::vector<std::uint8_t>& news = events.news[0];
    EXPECT_EQ(news[NewsRecord::kKind], kNewsAttacked);
    EXPECT_EQ(ReadU16(news.data(), NewsRecord::kCountry), 0);
    EXPECT_EQ(ReadU16(news.data(), NewsRecord::kFirstTroop), a);
    EXPECT_EQ(ReadU16(news.data(), NewsRecord::kSecondTroop), b);
    EXPECT_EQ(ReadU16(news.data(), NewsRecord::kSecondIcon), 12 * 1 + Troop(b).Icon());
    EXPECT_EQ(news[NewsRecord::kFirstUnitsBefore], 2);
    EXPECT_EQ(news[NewsRecord::kSecondUnitsBefore], 1);
    EXPECT_EQ(news[NewsRecord::kHexX], 5);
    EXPECT_EQ(news[NewsRecord::kHexY], 5);
    EXPECT_EQ(0,
              std::memcmp(news.data() + NewsRecord::kFightRecord, shown.data(), kBattleRecordSize));

    // Written back: what each member fired and what it has left.
    const BattleMember& rifles = shown.Side(0).Member(0);
    EXPECT_EQ(rifles.WeaponSlot(), 0);
    EXPECT_EQ(MemberOf(a, 0).Ammo(0), 18);
    EXPECT_EQ(MemberOf(a, 0).FireCounter(0), 3);
    ASSERT_NE(shown.Side(1).Member(0).Survivors(), 0);
    EXPECT_EQ(MemberOf(b, 0).Strength(), shown.Side(1).Member(0).Survivors());
    EXPECT_EQ(MemberOf(b, 0).Durability(), shown.Side(1).Member(0).RemainingDurability());
    EXPECT_LT(MemberOf(b, 0).Durability(), 60);
}

TEST_F(AttackTest, UnseenTargetsAreShownAsCountryFour) {
    const std::uint16_t a = AddTroop(0, 5, 5, {kRifles});
    const std::uint16_t b = AddTroop(1, 6, 5, {kRifles});
    Sees(0, b, false);  // sighted, not identified
    ASSERT_EQ(Attack(a, b), 1);
    ASSERT_EQ(events.news.size(), 1u);
    EXPECT_EQ(ReadU16(events.news[0].data(), NewsRecord::kSecondIcon), kNewsUnidentified);
    EXPECT_EQ(events.fights.at(0).Side(1).Country(), kUnseenBattleCountry);
    EXPECT_EQ(events.fights.at(0).Side(0).Country(), 0);
}

TEST_F(AttackTest, WhoSeesTheFight) {
    struct Case {
        std::uint8_t player;
        bool mine, other;
        bool seen;
        bool fight;
        int newsKind;  // -1 none
    };
    const Case cases[] = {
        {0, true, false, true, true, kNewsAttacked},
        {1, true, false, true, true, kNewsWasAttacked},
        {0, false, true, true, false, kNewsAttacked},  // own fights off: animation only
        {2, false, true, true, true, -1},              // another's fight, both identified
        {2, false, true, false, false, -1},            // ... not when one side is unseen
        {6, true, true, true, false, -1},              // a spectator has no fight windows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.player);
        tables.ClearTable(TableId::Troop);
        TroopCursor(tables).ResetAllTroops();
        GameContext(tables).RebuildHexOccupancy();
        events = FightEvents();
        events.fightMine = c.mine;
        events.fightOther = c.other;
        const std::uint16_t a = AddTroop(0, 5, 5, {kRifles});
        const std::uint16_t b = AddTroop(1, 6, 5, {kRifles});
        for (std::uint8_t o : {0, 1, 2}) {
            Sees(o, a, c.seen);
            Sees(o, b, c.seen);
        }
        ASSERT_EQ(Attack(a, b, c.player), 1);
        EXPECT_EQ(events.frames.size(), 18u);
        EXPECT_EQ(events.fights.size(), c.fight ? 1u : 0u);
        ASSERT_EQ(events.news.size(), c.newsKind < 0 ? 0u : 1u);
        if (c.newsKind >= 0) {
            EXPECT_EQ(events.news[0][0], c.newsKind);
        }
    }
}

TEST_F(AttackTest, RefusedAttacksChangeNothing) {
    const std::uint16_t a = AddTroop(0, 5, 5, {kRifles});
    const std::uint16_t b = AddTroop(1, 6, 5, {kRifles});
    const std::uint16_t aboard = AddTroop(1, 7, 5, {kRifles});
    Troop(aboard).SetFlags(kTroopOnMap | kTroopAboard);
    const std::uint16_t empty = AddTroop(1, 8, 5, {});
    const std::uint16_t neutral = AddTroop(0, 4, 5, {kRifles});
    Troop(neutral).SetCountry(4);
    struct Case {
        std::uint16_t a, b;
    };
    for (const Case c : {Case{a, kNoTroop}, Case{a, aboard}, Case{a, empty}, Case{neutral, b},
                         Case{b, neutral}, Case{empty, b}}) {
        SCOPED_TRACE(std::to_string(c.a) + " " + std::to_string(c.b));
        const std::uint64_t before = Hash();
        EXPECT_EQ(Attack(c.a, c.b), 0);
        EXPECT_EQ(Hash(), before);
    }
    EXPECT_TRUE(events.frames.empty());
}

TEST_F(AttackTest, AnAttackWithoutWeaponsStillAppliesTheEmptyResult) {
    const std::uint16_t a = AddTroop(0, 5, 5, {kEcmCar, kEcmCar});
    const std::uint16_t b = AddTroop(1, 6, 5, {kRifles});
    const std::uint64_t before = Hash();
    ASSERT_EQ(Attack(a, b), 1);
    ASSERT_EQ(events.fights.size(), 1u);
    EXPECT_EQ(events.fights[0].Side(0).Member(0).Action(), kBattleNoWeapon);
    EXPECT_EQ(events.fights[0].Side(0).Member(1).Action(), kBattleNoWeapon);
    EXPECT_EQ(Hash(), before);
}

TEST_F(AttackTest, LossesRemoveMembersAndTheLastMemberRemovesTheTroop) {
    const std::uint16_t a = AddTroop(0, 5, 5, {kSwarm});
    const std::uint16_t b = AddTroop(1, 6, 5, {kRifles, kTank});
    const std::uint16_t c = AddTroop(1, 4, 5, {kRifles});
    for (std::uint16_t t : {b, c}) {
        MemberOf(t, 0).SetStrength(1);
        MemberOf(t, 0).SetDurability(1);
    }
    ASSERT_EQ(Attack(a, b), 1);
    EXPECT_FALSE(Troop(b).SlotMember(0));  // the weak rifles are gone
    EXPECT_TRUE(Troop(b).SlotMember(1));   // the tank stays
    EXPECT_TRUE(Troop(b).IsUsed());

    const int strength = MemberOf(a, 0).Strength();
    ASSERT_GE(strength, 8);
    EXPECT_EQ(MemberOf(a, 0).FireCounter(0), 3);
    const std::uint64_t reloading = Hash();
    EXPECT_EQ(Attack(a, c), 1);  // the gun reloads: nobody fires
    EXPECT_EQ(Hash(), reloading);
    MemberOf(a, 0).SetFireCounter(0, 0);
    ASSERT_EQ(Attack(a, c), 1);
    EXPECT_FALSE(Troop(c).IsUsed());
    GameContext ctx(tables);
    ASSERT_TRUE(ctx.SelectHexInfoXY(4, 5));
    EXPECT_EQ(ctx.GetHexTroopIndex(), kNoTroop);
    ASSERT_TRUE(events.frames.size() >= 18u);
    EXPECT_EQ(events.frames.back().troop2, c);  // the hit animation marks the wiped-out side

    // Of the swarm's machines eight fought; the others are kept whatever the eight lost.
    const BattleMember& swarm = events.fights.back().Side(0).Member(0);
    EXPECT_EQ(swarm.Strength(), 8);
    EXPECT_EQ(MemberOf(a, 0).Strength(), strength - (8 - swarm.Survivors()));
}

TEST_F(AttackTest, TheShadowGetsTheSameOutcomeWithoutWindows) {
    const std::uint16_t a = AddTroop(0, 5, 5, {kRifles, kTank, kGunner});
    const std::uint16_t b = AddTroop(1, 6, 5, {kRifles, kRifles, kTank});
    Sees(0, b);
    SnapshotGameBlocks(tables);
    SeedGameRandom(random, 321);
    {
        ShadowGameContext shadow(tables, Env());
        ASSERT_EQ(ExecAttack(shadow, a, b, random), 1);
    }
    EXPECT_TRUE(events.events.empty());
    EXPECT_TRUE(events.frames.empty());
    SeedGameRandom(random, 321);
    ASSERT_EQ(Attack(a, b), 1);
    EXPECT_EQ(tables.HashTables({TableId::Troop}), tables.HashTables({TableId::ShadowTroop}));
    EXPECT_EQ(tables.HashTables({TableId::HexInfo}), tables.HashTables({TableId::ShadowHexInfo}));
}

class BombTest : public AttackTest {
  protected:
    BombTest() {
        bomber = AddTroop(0, 5, 5, {kBomber});
        Troop(bomber).SetU16(TroopRecord::kDestination, MakeHexPosition(6, 5));
        site = SiteCursor(tables).AddSite(2, 1, MakeHexPosition(6, 5));
        GameContext(tables).RebuildHexOccupancy();
        target = AddTroop(1, 6, 5, {kRifles});
    }
    int Bomb(std::uint16_t b, int threshold, std::uint8_t player = 0) {
        GameContext ctx(tables, Env(player));
        return ExecBomb(ctx, bomber, b, site, threshold, random);
    }
    SiteRecord& Site() {
        return *reinterpret_cast<SiteRecord*>(tables.GetTableBase(TableId::Site) +
                                              sizeof(SiteRecord) * site);
    }

    std::uint16_t bomber = 0;
    std::uint16_t site = 0;
    std::uint16_t target = 0;
};

TEST_F(BombTest, ABombingStrikesTheTroopAndKnocksTheSiteOut) {
    Sees(0, target);
    ASSERT_EQ(Bomb(target, 0), 1);
    EXPECT_EQ(Site().U8(SiteRecord::kOwner), kNeutralCountry);
    ASSERT_EQ(events.fights.size(), 1u);
    EXPECT_EQ(events.fights[0].Side(1).Troop(), target);
    EXPECT_EQ(events.fights[0].Side(0).Member(0).Action(), kBattleBomb);
    ASSERT_EQ(events.frames.size(), 18u);
    EXPECT_EQ(events.frames[0].hex, MakeHexPosition(6, 5));
    EXPECT_EQ(events.frames[9].hex, MakeHexPosition(6, 5));  // the site went down
    ASSERT_EQ(events.news.size(), 1u);
    const std::uint8_t* news = events.news[0].data();
    EXPECT_EQ(news[NewsRecord::kKind], kNewsBombing);
    EXPECT_EQ(ReadU16(news, NewsRecord::kValue), 1);
    EXPECT_EQ(ReadU16(news, NewsRecord::kFirstTroop), bomber);
    EXPECT_EQ(ReadU16(news, NewsRecord::kSecondIcon), 1 * 6 + 2);
    EXPECT_NE(std::find(events.events.begin(), events.events.end(), "RefreshCampInfo"),
              events.events.end());
    EXPECT_EQ(MemberOf(bomber, 0).FireCounter(0), 4);
}

TEST_F(BombTest, AnAlliedTroopOnTheHexIsLeftAlone) {
    CountryCursor countries(tables);
    countries.Select(0);
    countries.SetAllianceMask(0x03);
    const TroopRecord before = Troop(target);
    ASSERT_EQ(Bomb(target, 99), 1);
    EXPECT_TRUE(events.fights.empty());
    EXPECT_EQ(Troop(target).bytes, before.bytes);
    EXPECT_EQ(Site().U8(SiteRecord::kOwner), 1);  // an allied site is not knocked out either
    EXPECT_TRUE(events.news.empty());
}

TEST_F(BombTest, AMissedSiteStaysAndOnlyTheBomberIsReported) {
    ASSERT_EQ(Bomb(kNoTroop, 99), 1);
    EXPECT_EQ(Site().U8(SiteRecord::kOwner), 1);
    EXPECT_TRUE(events.fights.empty());
    EXPECT_EQ(events.frames[9].hex, 0xFFFF);
    ASSERT_EQ(events.news.size(), 1u);
    EXPECT_EQ(ReadU16(events.news[0].data(), NewsRecord::kValue), 0);

    Troop(bomber).SetCountry(4);
    const std::uint64_t before = Hash();
    EXPECT_EQ(Bomb(kNoTroop, 0), 0);
    EXPECT_EQ(Hash(), before);
}

TEST_F(AttackTest, TheAttackEvaluationAsksForOneWeaponType) {
    const std::uint16_t a = AddTroop(0, 5, 5, {kLauncher});
    const std::uint16_t b = AddTroop(1, 8, 5, {kTank});
    const std::uint64_t before = Hash();
    GameContext ctx(tables);
    EXPECT_EQ(EvaluateLaunchAttack(ctx, a, b, 3, 20), 1);
    EXPECT_EQ(EvaluateLaunchAttack(ctx, a, b, 3, 22), 1);
    EXPECT_EQ(EvaluateLaunchAttack(ctx, a, b, 5, 22), 0);  // the rocket reaches 4
    EXPECT_EQ(EvaluateLaunchAttack(ctx, a, b, 3, 21), 0);
    EXPECT_EQ(EvaluateLaunchAttack(ctx, a, kNoTroop, 3, 20), 0);
    EXPECT_EQ(Hash(), before);
}

}  // namespace
}  // namespace zv::rules::battletest
