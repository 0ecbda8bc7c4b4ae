#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/Sjis.h"
#include "rules/records/NewsRecord.h"
#include "rules/tests/TroopOrdersFixture.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules::orderstest {
namespace {

constexpr std::uint16_t Hex(int x, int y) {
    return MakeHexPosition(x, y);
}

using Events = std::vector<std::string>;

std::string NameOf(const TroopRecord& r) {
    return core::SjisToUtf8(std::string(r.NameBytes(), strnlen(r.NameBytes(), 24)));
}

class CarriersTest : public OrdersWorld {
  protected:
    const NewsRecord& Posted(std::size_t i) {
        return *reinterpret_cast<const NewsRecord*>(events.newsPosted.at(i).data());
    }
    // Uses every launched-part record, so that no part can be made.
    void FillPartRecords() {
        TroopCursor troops(tables);
        for (std::uint16_t t = 160; t < 255; ++t) {
            troops.Select(t);
            TroopRecord& r = *troops.GetRecord();
            r.SetSlotByte(0);
            r.SetCountry(1);
            r.Member(0).SetUnit(kInfantry);
            r.Formation(0).SetMemberMap(0, 0);
        }
    }
};

TEST(LaunchedPartKindTest, NamesAndModesFollowTheKinds) {
    struct Case {
        std::uint16_t kinds;
        const char* name;
        std::uint8_t mode;
    };
    for (const Case& c :
         {Case{0x0001, "分離ﾐｻｲﾙ", 0}, Case{0x0010, "巡航ﾐｻｲﾙ(ﾒｶﾞ)", 0}, Case{0x0080, "核ﾐｻｲﾙ", 0},
          Case{0x0003, "NONEﾐｻｲﾙ", 0}, Case{0x0102, "対潜ﾐｻｲﾙ", 0}, Case{0x0200, "早期警戒ヘリ", 3},
          Case{0x0C00, "空中機動歩兵", 2}, Case{0x2000, "ホバークラフト", 4},
          Case{0x4000, "物資", 5}, Case{0x0000, "NONEﾐｻｲﾙ", 0}, Case{0x8000, "NONEﾐｻｲﾙ", 0}}) {
        SCOPED_TRACE(c.kinds);
        const LaunchedPartKind kind = GetLaunchedPartKind(c.kinds);
        EXPECT_STREQ(kind.name, c.name);
        EXPECT_EQ(kind.troopMode, c.mode);
    }
}

// A carrier troop of two members: the carrier (60, classes 0x0C) and an air transport (20,
// class 0x08). The heaviest item goes first, into a hold it fills exactly when there is one.
class BoardingTest : public CarriersTest {
  protected:
    BoardingTest() {
        carrier = map.AddTroop(0, 21, 10, {kCarrier, kAirTransport});
        staff = map.AddTroop(0, 20, 10, {kHeadquarters});
        gunship = map.AddTroop(0, 20, 11, {kGunship});
        boat = map.AddTroop(0, 22, 11, {kBoat});
        Ready();
    }
    std::uint16_t carrier = 0;
    std::uint16_t staff = 0;
    std::uint16_t gunship = 0;
    std::uint16_t boat = 0;
};

TEST_F(BoardingTest, ATroopBoardsIntoTheHoldItFits) {
    TroopAtIndex(carrier).SetU16(TroopRecord::kIcon, 7);
    TroopAtIndex(staff).SetU16(TroopRecord::kIcon, 9);
    ASSERT_EQ(ExecBoard(*Live(), carrier, staff, Hex(20, 10)), 1);
    TroopRecord& s = TroopAtIndex(staff);
    EXPECT_EQ(s.Member(0).CarrierMember(), 1) << "20 fills the transport's hold exactly";
    EXPECT_EQ(s.Carrier(), carrier);
    EXPECT_EQ(s.Hex(), Hex(21, 10));
    EXPECT_TRUE(s.Flags() & kTroopAboard);
    EXPECT_TRUE(TroopAtIndex(carrier).Flags() & kTroopCarrying);
    EXPECT_EQ(HexTroop(20, 10), kNoTroop);
    EXPECT_EQ(HexTroop(21, 10), carrier);

    ASSERT_EQ(events.newsPosted.size(), 1u);
    const NewsRecord& news = Posted(0);
    EXPECT_EQ(news.Kind(), kNewsBoarded);
    EXPECT_EQ(news.HexX(), 21);
    EXPECT_EQ(news.FirstTroop(), staff);
    EXPECT_EQ(news.FirstIcon(), 7) << "the carrier's picture";
    EXPECT_EQ(news.SecondTroop(), carrier);
    EXPECT_EQ(news.SecondIcon(), 9);

    // The helicopter's class fits only the carrier's own hold.
    ASSERT_EQ(ExecBoard(*Live(), carrier, gunship, Hex(20, 11)), 1);
    EXPECT_EQ(TroopAtIndex(gunship).Member(0).CarrierMember(), 0);
    EXPECT_EQ(TroopAtIndex(staff).Member(0).CarrierMember(), 1);
}

TEST_F(BoardingTest, BoardingOnTheShadowPostsNothingAndLeavesOtherEntries) {
    ASSERT_EQ(ExecBoard(*Shadow(), carrier, staff, Hex(22, 11)), 1);
    EXPECT_TRUE(events.events.empty());
    EXPECT_EQ(HexTroop(22, 11, TableId::ShadowHexInfo), boat) << "another troop's entry stays";
    EXPECT_EQ(TroopAtIndex(staff, TableId::ShadowTroop).Carrier(), carrier);
    EXPECT_EQ(TroopAtIndex(staff).Carrier(), kNoTroop);
    EXPECT_EQ(ExecBoard(*Live(), carrier, 300, Hex(20, 10)), 0);
    EXPECT_EQ(ExecBoard(*Live(), carrier, carrier, Hex(21, 10)), 0);
}

TEST_F(BoardingTest, ALaunchedTroopLeavesWithItsOrder) {
    auto ctx = Live();
    ExecBoard(*ctx, carrier, staff, Hex(20, 10));
    events.newsPosted.clear();
    TroopAtIndex(carrier).SetU8(TroopRecord::kHomeAction, 4);

    ASSERT_EQ(ExecLaunch(*ctx, carrier, staff, Hex(20, 9), kOrderAttack, Hex(15, 9), 99), 1);
    TroopRecord& s = TroopAtIndex(staff);
    EXPECT_EQ(s.Hex(), Hex(20, 9));
    EXPECT_EQ(s.Carrier(), kNoTroop);
    EXPECT_FALSE(s.Flags() & kTroopAboard);
    EXPECT_EQ(s.Member(0).CarrierMember(), 0xFF);
    EXPECT_FALSE(TroopAtIndex(carrier).Flags() & kTroopCarrying) << "its last passenger left";
    EXPECT_EQ(HexTroop(20, 9), staff);
    EXPECT_EQ(s.U8(TroopRecord::kOrderKind), kOrderAttack);
    EXPECT_EQ(s.ActionFlags(), 1 << 4) << "the carrier's home action bit";
    EXPECT_EQ(s.Destination(), Hex(15, 9));
    EXPECT_EQ(s.U16(TroopRecord::kTarget), 99);
    EXPECT_EQ(s.U16(TroopRecord::kWaypoints), Hex(20, 9));
    ASSERT_EQ(events.newsPosted.size(), 1u);
    EXPECT_EQ(Posted(0).Kind(), kNewsLaunched);
    EXPECT_EQ(Posted(0).SecondTroop(), carrier);

    // A move order carries no pending action; a launch hex off the map or a troop that is not
    // aboard changes nothing.
    ExecBoard(*ctx, carrier, gunship, Hex(20, 11));
    const std::uint64_t before = tables.HashLiveTables();
    EXPECT_EQ(ExecLaunch(*ctx, carrier, gunship, Hex(64, 9), kOrderMove, Hex(15, 9), 0), 0);
    EXPECT_EQ(ExecLaunch(*ctx, carrier, boat, Hex(20, 11), kOrderMove, Hex(15, 9), 0), 0);
    EXPECT_EQ(ExecLaunch(*ctx, boat, gunship, Hex(20, 11), kOrderMove, Hex(15, 9), 0), 0);
    EXPECT_EQ(tables.HashLiveTables(), before);
    ASSERT_EQ(ExecLaunch(*ctx, carrier, gunship, Hex(20, 11), kOrderMove, Hex(15, 9), 0), 1);
    EXPECT_EQ(TroopAtIndex(gunship).ActionFlags(), 0);
}

TEST_F(BoardingTest, ACarrierTellsWhetherItCanLaunchNow) {
    auto ctx = Live();
    ExecBoard(*ctx, carrier, staff, Hex(20, 10));
    ExecBoard(*ctx, carrier, gunship, Hex(20, 11));
    ctx->Troops().Select(boat);
    EXPECT_EQ(CanLaunchNow(*ctx, carrier, gunship), 1);
    EXPECT_EQ(CanLaunchNow(*ctx, carrier, staff), 0) << "ground troops cannot stand at sea";
    EXPECT_EQ(ctx->Troops().GetIndex(), boat);

    // Every neighbour taken: nowhere to go.
    for (int d = 0; d < 6; ++d) {
        std::uint16_t x = 0;
        std::uint16_t y = 0;
        HexNeighbourOf(21, 10, d, x, y);
        ctx->SelectHexInfoXY(x, y);
        if (ctx->GetHexTroopIndex() == kNoTroop) ctx->SetHexTroopIndex(boat);
    }
    EXPECT_EQ(CanLaunchNow(*ctx, carrier, gunship), 0);
}

class LaunchTest : public CarriersTest {
  protected:
    LaunchTest() {
        carrier = map.AddTroop(0, 22, 10, {kCarrier});
        pair = map.AddTroop(0, 10, 10, {kFighter, kFighter});
        assault = map.AddTroop(0, 22, 20, {kAssaultShip});
        enemyBoat = map.AddTroop(1, 26, 10, {kBoat});
        enemyStaff = map.AddTroop(1, 12, 10, {kHeadquarters});
        Ready();
    }
    TroopMember& Member(std::uint16_t t, int m) { return TroopAtIndex(t).Member(m); }

    std::uint16_t carrier = 0;
    std::uint16_t pair = 0;
    std::uint16_t assault = 0;
    std::uint16_t enemyBoat = 0;
    std::uint16_t enemyStaff = 0;
};

TEST_F(LaunchTest, EachMemberFiresOneSalvoOfItsFirstUsableWeapon) {
    // Salvo 4: member 0 has 1 shot left (strength 2), member 1 none.
    Member(pair, 0).SetAmmo(0, 1);
    Member(pair, 1).SetAmmo(0, 0);
    auto ctx = Live();
    EXPECT_EQ(FindUsableWeapon(*ctx, pair, kLaunchMissile, 4, enemyBoat), 0);
    EXPECT_EQ(Member(pair, 0).Ammo(0), 1) << "asking changes nothing";

    const std::uint16_t part = CreateLaunchedPart(*ctx, pair, kLaunchMissile, 4, enemyBoat);
    ASSERT_EQ(part, 160);
    TroopRecord& p = TroopAtIndex(part);
    ASSERT_NE(p.SlotMember(0), nullptr);
    EXPECT_EQ(p.SlotMember(0)->Unit(), kMissileBody);
    EXPECT_EQ(p.SlotMember(0)->Strength(), 2) << "one shot times strength 2";
    EXPECT_EQ(p.SlotMember(0)->Durability(), 2);
    EXPECT_EQ(p.SlotMember(1), nullptr);
    EXPECT_EQ(Member(pair, 0).Ammo(0), 0);
    EXPECT_EQ(Member(pair, 0).FireCounter(0), 5);
    EXPECT_EQ(NameOf(p), "分離ﾐｻｲﾙ");
    EXPECT_EQ(p.SlotByte(), 0);
    EXPECT_EQ(p.AltitudeClass(), 1) << "the launcher's altitude class";
    EXPECT_EQ(p.U16(TroopRecord::kWeaponSelection), kLaunchMissile);
    EXPECT_EQ(p.Icon(), 12);

    // A full salvo; a weapon whose counter runs is never used.
    Member(pair, 0).SetAmmo(0, 8);
    Member(pair, 0).SetFireCounter(0, 0);
    Member(pair, 1).SetAmmo(0, 8);
    Member(pair, 1).SetFireCounter(0, 1);
    const std::uint16_t second = CreateLaunchedPart(*ctx, pair, kLaunchMissile, 4, enemyBoat);
    ASSERT_EQ(second, 161);
    EXPECT_EQ(TroopAtIndex(second).SlotMember(0)->Strength(), 8);
    EXPECT_EQ(TroopAtIndex(second).SlotMember(1), nullptr);
    EXPECT_EQ(Member(pair, 0).Ammo(0), 4);
    EXPECT_EQ(Member(pair, 1).Ammo(0), 8);
}

TEST_F(LaunchTest, MissilesNeedATargetTheyCanHitExceptCruiseOnFacilities) {
    auto ctx = Live();
    EXPECT_EQ(FindUsableWeapon(*ctx, pair, kLaunchMissile, 4, enemyStaff), kNoTroop)
        << "ship missiles have no hit rate against ground troops";
    EXPECT_EQ(FindUsableWeapon(*ctx, pair, kLaunchMissile, 11, enemyBoat), kNoTroop)
        << "out of range";
    EXPECT_EQ(FindUsableWeapon(*ctx, carrier, kLaunchCruise, 10, enemyStaff), 0)
        << "cruise missiles hit facilities";
    EXPECT_EQ(FindUsableWeapon(*ctx, carrier, kLaunchCruise, 10, kNoTroop), 0);
    const std::uint16_t part = CreateLaunchedPart(*ctx, carrier, kLaunchCruise, 10, enemyStaff);
    EXPECT_EQ(TroopAtIndex(part).SlotMember(0)->Unit(), kCruiseBody);
    EXPECT_EQ(TroopAtIndex(part).SlotMember(0)->Durability(), 2 * 2);
}

TEST_F(LaunchTest, FireSendsAMissileTowardsItsTarget) {
    TroopAtIndex(carrier).SetU16(TroopRecord::kActionFlags, 0x0008 | 0x0020);
    auto ctx = Live();
    ASSERT_EQ(ExecFire(*ctx, carrier, Hex(23, 10), 0x0028, enemyBoat, Hex(26, 10), kLaunchMissile),
              1);
    TroopRecord& p = TroopAtIndex(160);
    EXPECT_EQ(p.Hex(), Hex(23, 10));
    EXPECT_EQ(p.Country(), 0);
    EXPECT_EQ(p.U8(TroopRecord::kCommandByte), 3) << "east";
    EXPECT_EQ(p.Flags(), 0x1801);
    EXPECT_EQ(p.CurrentFormation(), 0);
    const std::uint8_t settings[] = {0, 100, 0, 0, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(p.Formation(0).Setting(i), settings[i]) << i;
    EXPECT_EQ(p.ActionFlags(), kActionAttack);
    EXPECT_EQ(p.U16(TroopRecord::kTarget), enemyBoat);
    EXPECT_EQ(p.Destination(), Hex(26, 10));
    EXPECT_EQ(p.U8(TroopRecord::kOrderKind), kOrderMove);
    EXPECT_EQ(p.U8(TroopRecord::kMoveDelay), 1);
    EXPECT_EQ(p.U8(TroopRecord::kOrderPhase), 1);
    EXPECT_EQ(p.U8(TroopRecord::kHomeAction), 12);
    EXPECT_EQ(p.U16(TroopRecord::kOrderHex), kNoHex);
    EXPECT_EQ(p.U8(TroopRecord::kRelatedTroop), carrier);
    TroopRecord& c = TroopAtIndex(carrier);
    EXPECT_EQ(c.ActionFlags(), 0x0020);
    EXPECT_EQ(c.U16(TroopRecord::kWeaponSelection), 0);
    EXPECT_TRUE(c.Flags() & kTroopPartInFlightB);
    EXPECT_EQ(HexTroop(23, 10), 160);
    EXPECT_TRUE(events.events.empty()) << "only a cruise launch sounds";

    ASSERT_EQ(ExecFire(*ctx, carrier, Hex(22, 9), 0, kNoTroop, Hex(12, 10), kLaunchCruise), 1);
    EXPECT_EQ(TroopAtIndex(161).ActionFlags(), kActionBomb);
    EXPECT_EQ(events.events, (Events{"PlaySoundEffect(1)"}));
    ExecFire(*Shadow(), carrier, Hex(22, 9), 0, kNoTroop, Hex(12, 10), kLaunchCruise);
    EXPECT_EQ(events.events.size(), 1u);
}

TEST_F(LaunchTest, WithoutAFreeRecordNothingIsSentAndNothingChanges) {
    FillPartRecords();
    const std::uint64_t before = tables.HashLiveTables();
    auto ctx = Live();
    EXPECT_EQ(CreateLaunchedPart(*ctx, carrier, kLaunchCruise, 10, kNoTroop), kNoTroop);
    EXPECT_EQ(ExecFire(*ctx, carrier, Hex(23, 10), 0x0008, kNoTroop, Hex(12, 10), kLaunchCruise),
              0);
    EXPECT_EQ(ExecDisperse(*ctx, assault, Hex(21, 20), kActionOccupy, kNoTroop, Hex(19, 20),
                           kLaunchLandingCraft),
              0);
    EXPECT_EQ(ExecSupport(*ctx, assault, Hex(21, 20), 0, kNoTroop, Hex(20, 20), kLaunchSupplies,
                          kLaunchSupplies),
              0);
    EXPECT_EQ(ExecFire(*ctx, carrier, Hex(64, 10), 0x0008, kNoTroop, Hex(12, 10), kLaunchCruise),
              0);
    EXPECT_EQ(tables.HashLiveTables(), before);
    EXPECT_TRUE(events.events.empty());
}

TEST_F(LaunchTest, DispersedPartsActOnTheirOwnAndComeBack) {
    auto ctx = Live();
    ASSERT_EQ(ExecDisperse(*ctx, assault, Hex(21, 20), kActionOccupy, 77, Hex(19, 20),
                           kLaunchLandingCraft),
              1);
    TroopRecord& p = TroopAtIndex(160);
    EXPECT_EQ(NameOf(p), "上陸用舟艇");
    EXPECT_EQ(p.SlotByte(), 4);
    EXPECT_EQ(p.SlotMember(0)->Unit(), kLandingCraft);
    EXPECT_EQ(p.Flags(), 0x1001);
    EXPECT_EQ(p.U8(TroopRecord::kCommandByte), 0) << "west";
    EXPECT_EQ(p.Formation(0).Setting(1), 0);
    EXPECT_EQ(p.ActionFlags(), kActionOccupy);
    EXPECT_EQ(p.U16(TroopRecord::kTarget), 77);
    EXPECT_EQ(p.U16(TroopRecord::kOrderHex), Hex(22, 20)) << "home is the launcher's hex";
    EXPECT_EQ(p.U8(TroopRecord::kHomeAction), 0);
    EXPECT_EQ(p.U8(TroopRecord::kMoveDelay), 2);
    EXPECT_EQ(p.U8(TroopRecord::kRelatedTroop), assault);
    EXPECT_FALSE(TroopAtIndex(assault).Flags() & kTroopPartInFlight1)
        << "landing craft do not mark the launcher";
    EXPECT_EQ(HexTroop(21, 20), 160);

    ASSERT_EQ(
        ExecDisperse(*ctx, carrier, Hex(23, 10), 0, kNoTroop, Hex(28, 10), kLaunchAswHelicopter),
        1);
    EXPECT_EQ(TroopAtIndex(161).Formation(0).Setting(1), 100);
    EXPECT_TRUE(TroopAtIndex(carrier).Flags() & kTroopPartInFlight1);
}

TEST_F(LaunchTest, SupportPutsAPartBesideTheLauncher) {
    auto ctx = Live();
    ASSERT_EQ(ExecSupport(*ctx, assault, Hex(22, 19), 0, 5, Hex(20, 20), kLaunchSupplies,
                          kLaunchSupplies),
              1);
    TroopRecord& p = TroopAtIndex(160);
    EXPECT_EQ(NameOf(p), "物資");
    EXPECT_EQ(p.SlotMember(0)->Unit(), kSupplyCrate);
    EXPECT_EQ(p.Hex(), Hex(22, 19));
    EXPECT_EQ(p.Flags(), 0x1001);
    EXPECT_EQ(p.ActionFlags(), 0);
    EXPECT_EQ(p.U16(TroopRecord::kTarget), kNoTroop);
    EXPECT_EQ(p.Destination(), kNoHex);
    EXPECT_EQ(p.U8(TroopRecord::kOrderKind), 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(p.Formation(0).Setting(i), 0);
    EXPECT_EQ(TroopAtIndex(assault).U16(TroopRecord::kWeaponSelection), 0);
    EXPECT_TRUE(TroopAtIndex(assault).Flags() & kTroopPartInFlight1);
    EXPECT_EQ(HexTroop(22, 19), 160);
}

TEST_F(LaunchTest, AReturningPartRefillsTheCarrierAndIsDisbanded) {
    auto ctx = Live();
    ASSERT_EQ(
        ExecDisperse(*ctx, carrier, Hex(23, 10), 0, kNoTroop, Hex(28, 10), kLaunchAswHelicopter),
        1);
    TroopRecord& p = TroopAtIndex(160);
    p.SlotMember(0)->SetStrength(3);
    Member(carrier, 0).SetAmmo(1, 1);
    TroopAtIndex(carrier).SetU8(TroopRecord::kOrderParameter, 6);

    EXPECT_EQ(ExecReturn(*ctx, carrier, 160), 1);
    EXPECT_EQ(Member(carrier, 0).Ammo(1), 2) << "1 + 3, no more than the pack's 2";
    EXPECT_EQ(Member(carrier, 0).Ammo(0), 4) << "other kinds are not refilled";
    EXPECT_EQ(TroopAtIndex(carrier).U8(TroopRecord::kOrderParameter), 0);
    EXPECT_FALSE(p.IsUsed());
    EXPECT_EQ(HexTroop(23, 10), kNoTroop);
    EXPECT_FALSE(TroopAtIndex(carrier).Flags() & kTroopPartInFlight1);
    EXPECT_TRUE(events.newsPosted.empty()) << "parts are disbanded without news";
}

TEST_F(LaunchTest, DisbandAndTransformPostTheirNews) {
    TroopAtIndex(pair).SetU16(TroopRecord::kIcon, 6);
    auto ctx = Live();
    ASSERT_EQ(ExecDisband(*ctx, pair), 1);
    EXPECT_FALSE(TroopAtIndex(pair).IsUsed());
    EXPECT_EQ(HexTroop(10, 10), kNoTroop);
    ASSERT_EQ(events.newsPosted.size(), 1u);
    EXPECT_EQ(Posted(0).Kind(), kNewsDisbanded);
    EXPECT_EQ(Posted(0).FirstIcon(), 6);

    const std::uint16_t boat = map.AddTroop(0, 30, 30, {kBoat, kInfantry});
    TroopAtIndex(boat).SetU16(TroopRecord::kIcon, 2);
    ASSERT_EQ(ExecTransform(*ctx, boat), 1);
    EXPECT_EQ(TroopAtIndex(boat).Member(0).Unit(), kLandingCraft);
    EXPECT_EQ(TroopAtIndex(boat).Member(1).Unit(), kInfantry);
    ASSERT_EQ(events.newsPosted.size(), 2u);
    EXPECT_EQ(Posted(1).Kind(), kNewsTransformed);
    EXPECT_EQ(Posted(1).FirstIcon(), 2);
    EXPECT_EQ(Posted(1).SecondTroop(), 0);
    EXPECT_EQ(Posted(1).SecondIcon(), 7) << "the landing craft's picture";
}

TEST_F(LaunchTest, MemberWeaponsAreReadyWhenLoadedIdleAndInRange) {
    auto ctx = Live();
    struct Case {
        std::uint16_t kinds;
        int ready;
        int distance;
        std::uint8_t counter;
        int expected;
    };
    for (const Case& c : {Case{kLaunchMissile, 0, 0, 3, 1}, Case{kLaunchMissile, 1, 10, 0, 1},
                          Case{kLaunchMissile, 1, 11, 0, 0}, Case{kLaunchMissile, 1, 0, 0, 1},
                          Case{kLaunchMissile, 1, -3, 0, 1}, Case{kLaunchMissile, 1, 5, 2, 0},
                          Case{kLaunchCruise, 0, 0, 0, 0}}) {
        SCOPED_TRACE(c.kinds * 1000 + c.ready * 100 + c.distance);
        Member(pair, 0).SetFireCounter(0, c.counter);
        Member(pair, 1).SetFireCounter(0, c.counter);
        EXPECT_EQ(EvaluateMemberWeapons(*ctx, pair, c.kinds, c.ready, c.distance), c.expected);
    }
    Member(pair, 0).SetAmmo(0, 0);
    Member(pair, 1).SetAmmo(0, 0);
    EXPECT_EQ(EvaluateMemberWeapons(*ctx, pair, kLaunchMissile, 0, 0), 0);
}

// The fight rules' answer, recorded: weapon types asked for, accepting those in `accepted`.
struct FakeEvaluation {
    static inline std::vector<int> asked;
    static inline std::vector<int> accepted;
    static int Evaluate(GameContext&, std::uint16_t, std::uint16_t, int, int weaponType) {
        asked.push_back(weaponType);
        return std::find(accepted.begin(), accepted.end(), weaponType) != accepted.end();
    }
};

TEST_F(LaunchTest, AvailableLaunchKindsDependOnSightAlliesAndTheFightRules) {
    const std::uint16_t sub = map.AddTroop(1, 27, 12, {kSubmarine});
    TroopAtIndex(enemyBoat).SetVisibility(0x0001);
    TroopAtIndex(sub).SetVisibility(0x0010);
    auto ctx = Live();
    FakeEvaluation::accepted = {20, 21};
    FakeEvaluation::asked.clear();
    const auto kinds = [&](std::uint16_t target, std::uint16_t hex) {
        return GetAvailableLaunchKinds(*ctx, carrier, target, hex, 0, &FakeEvaluation::Evaluate);
    };

    EXPECT_EQ(kinds(enemyBoat, Hex(26, 10)), kLaunchMissile | kLaunchCruise);
    EXPECT_EQ(FakeEvaluation::asked, (std::vector<int>{20}))
        << "only the kinds the carrier has ammunition for";
    EXPECT_EQ(kinds(sub, Hex(27, 12)), kLaunchAntiSubmarine) << "alone against a submarine";
    FakeEvaluation::accepted = {20};
    EXPECT_EQ(kinds(sub, Hex(27, 12)), kLaunchMissile | kLaunchCruise);

    TroopAtIndex(enemyBoat).SetVisibility(0x0002);
    EXPECT_EQ(kinds(enemyBoat, Hex(26, 10)), kLaunchCruise) << "unseen";
    TroopAtIndex(enemyBoat).SetVisibility(0x0001);
    map.Alliance(0, 0x03);
    EXPECT_EQ(kinds(enemyBoat, Hex(26, 10)), kLaunchCruise) << "allied";
    EXPECT_EQ(kinds(kNoTroop, Hex(43, 10)), 0) << "20 hexes is the cruise range";
    EXPECT_EQ(kinds(kNoTroop, Hex(42, 10)), kLaunchCruise);
    EXPECT_EQ(kinds(enemyBoat, Hex(22, 10)), 0) << "distance 0";
    EXPECT_EQ(GetAvailableLaunchKinds(*ctx, carrier, enemyBoat, Hex(26, 10), 0, nullptr),
              kLaunchCruise);
}

}  // namespace
}  // namespace zv::rules::orderstest
