#include "rules/combat/Attack.h"

#include <cstring>

#include "rules/combat/FireResolution.h"
#include "rules/combat/WeaponChoice.h"
#include "rules/context/RuleHelpers.h"
#include "rules/countries/NewsPosting.h"
#include "rules/records/NewsRecord.h"
#include "rules/records/RuleCursors.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopRemoval.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules {

namespace {

constexpr std::uint8_t kEcmUnitKind = 7;
constexpr int kFrameCount = 9;
constexpr int kFireAnimation = 0;
constexpr int kHitAnimation = 1;
constexpr std::uint16_t kNoAnimationHex = 0xFFFF;
constexpr std::uint8_t kNoSetting = 0xFF;
constexpr std::uint8_t kBonusPercent = 15;

// Which settings a side's members act by: the attack pair on side A, the defence pair on B.
enum class SideRole { Attacker, Defender };

int FillSide(GameContext& ctx, BattleSide& side, SideRole role) {
    TroopCursor& troops = ctx.Troops();
    UnitInfoCursor& units = ctx.Units();
    if (!troops.Select(side.Troop())) return 0;

    int bestEcm = 0;
    for (int slot = 0; slot < kBattleMemberCount; ++slot) {
        const TroopMember* member = troops.GetMemberRecord(slot);
        if (!member || member->Strength() == 0 || !units.Select(member->Unit())) continue;
        if (units.GetUnitKind() != kEcmUnitKind) continue;
        const int ecm = units.GetPackEcm(member->Pack());
        if (ecm > bestEcm) bestEcm = ecm;
    }
    side.SetU8(BattleSide::kBestEcm, static_cast<std::uint8_t>(bestEcm));

    if (!troops.Select(side.Troop())) return 0;
    const std::uint16_t hex = troops.GetHexValue();
    if (!ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return 0;
    side.SetU8(BattleSide::kTerrainClass, ctx.GetHexTerrainClass(1));
    const std::uint8_t groundClass = ctx.GetHexTerrainClass(0);

    for (int slot = 0; slot < kBattleMemberCount; ++slot) {
        BattleMember& b = side.Member(slot);
        b.bytes.fill(0);
        b.SetUnit(-1);
        b.SetU16(BattleMember::kTargetUnit, 0xFFFF);
        b.SetU8(BattleMember::kTarget, kNoBattleTarget);
        b.SetU8(BattleMember::kAttackerIndex, 0xFF);
        const TroopMember* member = troops.GetMemberRecord(slot);
        if (!member) continue;

        // A member with more machines than the record holds fights with eight of them.
        const int machines =
            member->Strength() < kBattleMachineCount ? member->Strength() : kBattleMachineCount;
        b.SetUnit(member->Unit());
        b.SetU8(BattleMember::kStrength, static_cast<std::uint8_t>(machines));
        b.SetU8(BattleMember::kSurvivors, static_cast<std::uint8_t>(machines));
        b.SetU8(BattleMember::kDurability, member->Durability());
        b.SetU8(BattleMember::kRemainingDurability, member->Durability());
        b.SetU8(BattleMember::kTerrainClass, groundClass);
        b.SetU8(BattleMember::kWeaponSlot, kNoBattleWeapon);
        b.SetU8(BattleMember::kEcm,
                units.Select(member->Unit()) ? units.GetPackEcm(member->Pack()) : 0);
        for (int w = 0; w < kWeaponSlotCount; ++w) {
            b.SetAmmo(w, member->Ammo(w));
            b.SetU8(BattleMember::kFireCounter + w, member->FireCounter(w));
        }
        const int row = slot < 3 ? 0 : 1;
        const bool attacking = role == SideRole::Attacker;
        const std::uint8_t first = attacking ? member->Attack(0) : member->Defence(0);
        b.SetU8(BattleMember::kBonus, (first != 0 && first != kNoSetting) ? 0 : kBonusPercent);
        const std::uint8_t setting = attacking ? member->Attack(row) : member->Defence(row);
        b.SetAction(setting == kNoSetting ? 0 : setting);

        // The durability is dealt out one point at a time over the machines.
        const int durability = member->Durability();
        for (int m = 0; m < machines; ++m) {
            const int share = durability / machines + (m < durability % machines ? 1 : 0);
            b.SetU8(BattleMember::kStartMachines + m, static_cast<std::uint8_t>(share));
            b.SetMachine(m, static_cast<std::uint8_t>(share));
        }
    }

    if (bestEcm != 0) {
        for (int slot = 0; slot < kBattleMemberCount; ++slot) {
            BattleMember& b = side.Member(slot);
            if (b.Ecm() < bestEcm) b.SetU8(BattleMember::kEcm, static_cast<std::uint8_t>(bestEcm));
        }
    }
    return 1;
}

// A side without a troop (a bombing of an empty hex): every slot empty.
void ClearSide(BattleSide& side) {
    for (int slot = 0; slot < kBattleMemberCount; ++slot) {
        BattleMember& b = side.Member(slot);
        b.bytes.fill(0);
        b.SetUnit(-1);
        b.SetU16(BattleMember::kTargetUnit, 0xFFFF);
        b.SetU8(BattleMember::kTarget, kNoBattleTarget);
        b.SetU8(BattleMember::kWeaponSlot, kNoBattleWeapon);
        b.SetU8(BattleMember::kAttackerIndex, 0xFF);
    }
}

// The action code that shows how the chosen weapon fires.
std::uint8_t ActionOfWeapon(GameContext& ctx, const BattleMember& b) {
    UnitInfoCursor& units = ctx.Units();
    WeaponKdCursor weapon(ctx.Tables());
    if (!units.Select(b.Unit()) || !weapon.Select(units.GetWeaponId(b.WeaponSlot()))) {
        return b.Action();
    }
    std::uint8_t action = weapon.GetRange() == 1 ? kBattleFireNear : kBattleFireFar;
    const std::uint8_t type = weapon.GetWeaponType();
    if (type == 6 || type == 7) action = kBattleBomb;
    if (IsAreaWeaponType(type)) action = kBattleFireArea;
    return action;
}

bool HasSpecialMember(GameContext& ctx) {
    TroopCursor& troops = ctx.Troops();
    for (int slot = 0; slot < kBattleMemberCount; ++slot) {
        const TroopMember* member = troops.GetMemberRecord(slot);
        if (!member || !ctx.Units().Select(member->Unit())) continue;
        const std::uint8_t kind = ctx.Units().GetUnitKind();
        if (kind == 123 || kind == 124) return true;
    }
    return false;
}

// The fighting troop as the attack and bomb rules require it; the troop stays selected.
bool CanFight(TroopCursor& troops, std::uint16_t t) {
    return troops.Select(t) && troops.HasMembers() && troops.IsOnMap();
}

// A side the local player cannot identify shows country 4.
void HideUnseenSides(GameContext& ctx, BattleRecord& record) {
    const std::uint8_t player = ctx.GetPlayerCountry();
    if (player >= kCountryCount) return;
    TroopCursor& troops = ctx.Troops();
    for (int s = 0; s < 2; ++s) {
        BattleSide& side = record.Side(s);
        if (side.Troop() == kNoBattleTroop || side.Country() == player) continue;
        if (!troops.Select(side.Troop())) continue;
        if (!(troops.GetMask28() & (1u << (player + 4)))) side.SetCountry(kUnseenBattleCountry);
    }
}

bool ShouldShowFight(GameContext& ctx, const BattleRecord& record, std::uint8_t countryA,
                     std::uint8_t countryB) {
    const std::uint8_t player = ctx.GetPlayerCountry();
    if (player != countryA && player != countryB) {
        return ctx.Events().FightDisplayEnabled(false) &&
               record.Side(0).Country() != kUnseenBattleCountry &&
               record.Side(1).Country() != kUnseenBattleCountry;
    }
    return ctx.Events().FightDisplayEnabled(true);
}

bool PlayerTakesPart(GameContext& ctx) {
    const std::uint8_t player = ctx.GetPlayerCountry();
    if (player >= kCountryCount || !ctx.Countries().Select(player)) return false;
    return ctx.Countries().GetState() == 1;
}

void Animate(GameContext& ctx, int kind, std::uint16_t t1, std::uint16_t t2, std::uint16_t hex) {
    for (int frame = 0; frame < kFrameCount; ++frame) {
        ctx.Events().FightAnimationFrame(kind, frame, t1, t2, hex);
    }
}

bool SideWipedOut(const BattleSide& side) {
    for (int i = 0; i < kBattleMemberCount; ++i) {
        if (side.Member(i).HasUnit() && side.Member(i).Survivors() != 0) return false;
    }
    return true;
}

std::uint8_t CountMembers(const BattleSide& side, bool survivors) {
    int n = 0;
    for (int i = 0; i < kBattleMemberCount; ++i) {
        const BattleMember& m = side.Member(i);
        if (survivors ? m.Survivors() != 0 : m.Strength() != 0) ++n;
    }
    return static_cast<std::uint8_t>(n);
}

std::uint16_t PictureOf(GameContext& ctx, const BattleSide& side) {
    if (side.Country() == kUnseenBattleCountry || !ctx.Troops().Select(side.Troop())) {
        return kNewsUnidentified;
    }
    return TroopPictureNumber(ctx.Troops());
}

void ApplySide(GameContext& ctx, BattleSide& side) {
    TroopCursor& troops = ctx.Troops();
    const std::uint16_t t = side.Troop();
    if (!troops.Select(t)) return;
    UnitInfoCursor& units = ctx.Units();
    WeaponKdCursor weapon(ctx.Tables());
    for (int slot = 0; slot < kBattleMemberCount; ++slot) {
        const BattleMember& b = side.Member(slot);
        if (!b.HasUnit()) continue;
        TroopMember* member = troops.GetMemberRecord(slot);
        if (!member || member->Unit() != b.Unit()) continue;
        if (b.Survivors() != b.Strength()) {
            if (b.Survivors() == 0) {
                RemoveMember(troops, slot);
                continue;
            }
            // Machines beyond the eight in the record took no part and are kept.
            const int lost = b.Strength() - b.Survivors();
            member->SetStrength(static_cast<std::uint8_t>(member->Strength() - lost));
        }
        if (b.RemainingDurability() != b.Durability()) {
            if (b.RemainingDurability() == 0) {
                RemoveMember(troops, slot);
                continue;
            }
            member->SetDurability(b.RemainingDurability());
        }
        const int w = b.WeaponSlot();
        if (w < kWeaponSlotCount) {
            member->SetAmmo(w, b.Ammo(w));
            if (units.Select(member->Unit()) && weapon.Select(units.GetWeaponId(w))) {
                member->SetFireCounter(w, weapon.GetFireCount());
            }
        }
    }
    if (troops.Select(t) && rules::CountMembers(troops) == 0) RemoveTroop(ctx, t);
}

}  // namespace

int SetBattleSideTroop(GameContext& ctx, BattleSide& side, std::uint16_t troop) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    side.SetTroop(troop);
    side.SetCountry(troops.GetCountry());
    const TroopRecord* r = troops.GetRecord();
    std::memset(side.data() + BattleSide::kName, 0, BattleSide::kNameSize);
    std::memcpy(side.data() + BattleSide::kName, r->data() + TroopRecord::kName,
                TroopRecord::kNameSize);
    side.SetU8(BattleSide::kAltitudeClass, troops.GetTroopAltitudeClass());
    return 1;
}

int ComputeAttackRound(GameContext& ctx, BattleRecord& record, int distance, int ready,
                       int returnFire) {
    if (!FillSide(ctx, record.A(), SideRole::Attacker)) return 0;
    if (!FillSide(ctx, record.B(), SideRole::Defender)) return 0;

    int found = 0;
    for (int i = 0; i < kBattleMemberCount; ++i) {
        BattleMember& b = record.A().Member(i);
        if (!b.Fights()) continue;
        switch (b.Action()) {
            case 0:
            case 1: {
                const int mode = b.Action() == 0 ? kChooseNormal : kChooseFirstTarget;
                found |= ChooseWeaponAndTargetAlt(ctx, record.A(), i, record.B(), mode, distance,
                                                  ready, kPurposeAttack, nullptr);
                if (found == 0) {
                    b.SetAction(kBattleNoWeapon);
                } else if (b.WeaponSlot() != kNoBattleWeapon) {
                    b.SetAction(ActionOfWeapon(ctx, b));
                }
                break;
            }
            case 2:
                b.SetAction(kBattleHoldFire);
                break;
            default:
                break;
        }
    }
    if (found == 0) return 0;

    if (returnFire == 2) {
        for (int i = 0; i < kBattleMemberCount; ++i) {
            BattleMember& b = record.B().Member(i);
            if (!b.Fights()) continue;
            if (b.Action() == 0) {
                const int answered =
                    ChooseWeaponAndTargetAlt(ctx, record.B(), i, record.A(), kChooseReturnFire,
                                             distance, ready, kPurposeAttack, nullptr);
                b.SetAction(answered ? kBattleReturnFire : kBattleNoWeapon);
            } else if (b.Action() == 1) {
                b.SetAction(kBattleHoldFire);
            }
        }
    }
    return 1;
}

int ComputeBombingRound(GameContext& ctx, BattleRecord& record, int distance, int ready,
                        fw::RandomStreams& random) {
    if (!FillSide(ctx, record.A(), SideRole::Attacker)) return 0;
    if (record.B().Troop() != kNoBattleTroop) {
        if (!FillSide(ctx, record.B(), SideRole::Defender)) return 0;
    } else {
        ClearSide(record.B());
    }
    int found = 0;
    for (int i = 0; i < kBattleMemberCount; ++i) {
        BattleMember& b = record.A().Member(i);
        if (!b.Fights()) continue;
        found |= ChooseWeaponAndTargetAlt(ctx, record.A(), i, record.B(), kChooseNormal, distance,
                                          ready, kPurposeBombing, &random);
        if (found == 0) {
            b.SetAction(kBattleNoWeapon);
        } else if (b.WeaponSlot() != kNoBattleWeapon) {
            b.SetAction(kBattleBomb);
        }
    }
    return found != 0 ? 1 : 0;
}

int EvaluateAttack(GameContext& ctx, BattleRecord& record, int distance, int ready,
                   int weaponType) {
    if (!FillSide(ctx, record.A(), SideRole::Attacker)) return 0;
    if (!FillSide(ctx, record.B(), SideRole::Defender)) return 0;
    int found = 0;
    for (int i = 0; i < kBattleMemberCount; ++i) {
        if (!record.A().Member(i).Fights()) continue;
        found |= ChooseWeaponAndTarget(ctx, record.A(), i, record.B(), kChooseNormal, distance,
                                       ready, weaponType);
    }
    return found != 0 ? 1 : 0;
}

int EvaluateLaunchAttack(GameContext& ctx, std::uint16_t launcher, std::uint16_t target,
                         int distance, int weaponType) {
    BattleRecord record;
    if (!SetBattleSideTroop(ctx, record.A(), launcher)) return 0;
    if (!SetBattleSideTroop(ctx, record.B(), target)) return 0;
    return EvaluateAttack(ctx, record, distance, 0, weaponType);
}

void PrepareBattleResult(GameContext& ctx, const BattleRecord& record) {
    const BattleSide& side = record.Side(0);
    for (int i = 0; i < kBattleMemberCount; ++i) {
        const BattleMember& b = side.Member(i);
        if (b.HasUnit() && b.WeaponSlot() != kNoBattleWeapon) ctx.Units().Select(b.Unit());
    }
}

void ApplyBattleResult(GameContext& ctx, BattleRecord& record) {
    PrepareBattleResult(ctx, record);
    ApplySide(ctx, record.A());
    ApplySide(ctx, record.B());
}

int ExecAttack(GameContext& ctx, std::uint16_t a, std::uint16_t b, fw::RandomStreams& random) {
    TroopCursor& troops = ctx.Troops();
    BattleRecord record;

    if (!CanFight(troops, a)) return 0;
    SetBattleSideTroop(ctx, record.A(), a);
    const std::uint16_t hexA = troops.GetHexValue();
    const bool specialA = HasSpecialMember(ctx);
    const std::uint8_t countryA = record.A().Country();

    if (!CanFight(troops, b)) return 0;
    const std::uint16_t hexB = troops.GetHexValue();
    SetBattleSideTroop(ctx, record.B(), b);
    const bool specialB = HasSpecialMember(ctx);
    const std::uint8_t countryB = record.B().Country();

    if (countryA >= kCountryCount || countryB >= kCountryCount) return 0;

    ComputeAttackRound(ctx, record, HexDistance(hexA & 0xFF, hexA >> 8, hexB & 0xFF, hexB >> 8), 1,
                       2);
    ResolveExchangeOfFire(ctx, record, random);
    HideUnseenSides(ctx, record);

    if (!ctx.IsShadow()) {
        const bool show = ShouldShowFight(ctx, record, countryA, countryB);
        ctx.Events().MapRedraw();
        Animate(ctx, kFireAnimation, a, b, kNoAnimationHex);
        if (show && PlayerTakesPart(ctx)) ctx.Events().PlayFight(record.data());
        const std::uint16_t hitA = SideWipedOut(record.A()) ? a : kNoTroop;
        const std::uint16_t hitB = SideWipedOut(record.B()) ? b : kNoTroop;
        Animate(ctx, kHitAnimation, hitA, hitB, kNoAnimationHex);

        const std::uint8_t player = ctx.GetPlayerCountry();
        if (!specialA && !specialB && (player == countryA || player == countryB)) {
            NewsRecord news = NewsRecord::Zeroed();
            news.SetKind(player == countryA ? kNewsAttacked : kNewsWasAttacked);
            news.SetCountry(player == countryA ? countryA : countryB);
            news.SetFirstTroop(a);
            news.SetFirstIcon(PictureOf(ctx, record.A()));
            news.SetSecondTroop(b);
            news.SetSecondIcon(PictureOf(ctx, record.B()));
            news.SetFirstUnits(CountMembers(record.A(), false), CountMembers(record.A(), true));
            news.SetSecondUnits(CountMembers(record.B(), false), CountMembers(record.B(), true));
            news.SetHexXY(static_cast<std::uint8_t>(hexA & 0xFF),
                          static_cast<std::uint8_t>(hexA >> 8));
            news.SetFightRecord(record.data());
            PostNewsEvent(ctx, news);
        }
    }

    ApplyBattleResult(ctx, record);
    return 1;
}

int ExecBomb(GameContext& ctx, std::uint16_t a, std::uint16_t b, std::uint16_t s, int threshold,
             fw::RandomStreams& random) {
    SiteCursor& sites = ctx.Sites();
    std::uint8_t siteOwner = kNeutralCountry;
    std::uint8_t siteKind = kFreeSite;
    if (s != kNoSiteIndex && sites.Select(s) && sites.GetKind() != kFreeSite) {
        siteOwner = sites.GetOwner();
        siteKind = sites.GetKind();
    }

    TroopCursor& troops = ctx.Troops();
    BattleRecord record;
    if (!CanFight(troops, a) || troops.GetCountry() >= kCountryCount) return 0;
    SetBattleSideTroop(ctx, record.A(), a);
    const std::uint16_t hexA = troops.GetHexValue();
    const std::uint16_t destination = troops.GetDestination();
    const std::uint8_t countryA = record.A().Country();

    bool targetTroop = false;
    if (b != kNoTroop && b != a && CanFight(troops, b) && troops.GetCountry() < kCountryCount &&
        !AreCountriesAllied(ctx.Tables(), countryA, troops.GetCountry(),
                            ctx.GetTableSet().country)) {
        targetTroop = true;
        SetBattleSideTroop(ctx, record.B(), b);
    } else {
        record.B().SetTroop(kNoBattleTroop);
        record.B().SetCountry(kNoBattleCountry);
    }
    const std::uint8_t countryB = record.B().Country();

    ComputeBombingRound(ctx, record, 1, 1, random);
    const int knockedOut = ResolveBombingFire(ctx, record, s, threshold, random);
    HideUnseenSides(ctx, record);

    if (!ctx.IsShadow()) {
        const bool show = ShouldShowFight(ctx, record, countryA, countryB);
        ctx.Events().MapRedraw();
        Animate(ctx, kFireAnimation, a, kNoTroop, destination);
        if (targetTroop && show && PlayerTakesPart(ctx)) ctx.Events().PlayFight(record.data());
        Animate(ctx, kHitAnimation, kNoTroop, kNoTroop, knockedOut ? destination : kNoAnimationHex);

        const std::uint8_t player = ctx.GetPlayerCountry();
        if (siteKind != kFreeSite && siteOwner != kNeutralCountry &&
            !AreCountriesAllied(ctx.Tables(), player, siteOwner, ctx.GetTableSet().country)) {
            NewsRecord news = NewsRecord::Zeroed();
            news.SetKind(kNewsBombing);
            news.SetHexXY(static_cast<std::uint8_t>(hexA & 0xFF),
                          static_cast<std::uint8_t>(hexA >> 8));
            news.SetValue(knockedOut ? 1 : 0);
            news.SetCountry(countryA);
            news.SetFirstTroop(a);
            troops.Select(a);
            news.SetFirstIcon(TroopPictureNumber(troops));
            news.SetSecondIcon(static_cast<std::uint16_t>(siteOwner * 6 + siteKind));
            PostNewsEvent(ctx, news);
            ctx.Events().RefreshCampInfo();
        }
    }

    ApplyBattleResult(ctx, record);
    return 1;
}

}  // namespace zv::rules
