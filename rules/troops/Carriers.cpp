#include "rules/troops/Carriers.h"

#include <array>
#include <string>
#include <utility>

#include "platform/core/Sjis.h"
#include "rules/context/RuleHelpers.h"
#include "rules/countries/NewsPosting.h"
#include "rules/records/RuleCursors.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "rules/troops/TroopRemoval.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules {

namespace {

constexpr std::uint16_t kFiredPartFlags = kTroopLaunchedPart | kTroopPartKindB | kTroopOnMap;
constexpr std::uint16_t kSentPartFlags = kTroopLaunchedPart | kTroopOnMap;
constexpr std::uint8_t kDisbandActionBit = 12;
constexpr int kCruiseSoundEffect = 1;
constexpr int kFarthestLaunch = 64;

bool IsHexSet(std::uint16_t hex) {
    return (hex & 0xFF) != 0xFF && (hex >> 8) != 0xFF;
}

bool SelectHex(GameContext& ctx, std::uint16_t hex) {
    return ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8) != 0;
}

int Distance(std::uint16_t from, std::uint16_t to) {
    return HexDistance(from & 0xFF, from >> 8, to & 0xFF, to >> 8);
}

// Direction 0-5 from one hex to its neighbour, as the picture's facing; 0 when the second hex is
// not a neighbour on the map.
std::uint8_t FacingTowards(std::uint16_t from, std::uint16_t to) {
    for (int d = 0; d < kHexDirectionCount; ++d) {
        std::uint16_t x = 0;
        std::uint16_t y = 0;
        if (HexNeighbourOf(from & 0xFF, from >> 8, d, x, y) && MakeHexPosition(x, y) == to) {
            return static_cast<std::uint8_t>(d);
        }
    }
    return 0;
}

void PostTroopNews(GameContext& ctx, std::uint8_t kind, std::uint16_t troop,
                   std::uint16_t firstIcon, std::uint16_t secondTroop, std::uint16_t secondIcon) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return;
    NewsRecord news = NewsRecord::Zeroed();
    const std::uint16_t hex = troops.GetHexValue();
    news.SetKind(kind);
    news.SetHexXY(static_cast<std::uint8_t>(hex & 0xFF), static_cast<std::uint8_t>(hex >> 8));
    news.SetCountry(troops.GetCountry());
    news.SetFirstTroop(troop);
    news.SetFirstIcon(firstIcon);
    news.SetSecondTroop(secondTroop);
    news.SetSecondIcon(secondIcon);
    PostNewsEvent(ctx, news);
}

// Frees a troop's entry on a hex; another troop's entry stays.
void FreeHexEntry(GameContext& ctx, std::uint16_t hex, std::uint16_t troop) {
    if (IsHexSet(hex) && SelectHex(ctx, hex) && ctx.GetHexTroopIndex() == troop) {
        ctx.SetHexTroopIndex(kNoTroop);
    }
}

// What the launcher's members give to a part: per formation slot the launched unit (-1 none)
// and how many machines it flies with.
struct LaunchPlan {
    std::array<std::int16_t, kTroopMemberCount> units{};
    std::array<int, kTroopMemberCount> counts{};
    bool any = false;
};

// Steps 1, 3 and 4 of the creation: with commit the launcher members' ammunition and counters
// change as the salvoes leave. The launcher is selected afterwards.
LaunchPlan PlanLaunch(GameContext& ctx, std::uint16_t launcher, std::uint16_t kinds, int distance,
                      std::uint16_t target, bool commit) {
    LaunchPlan plan;
    plan.units.fill(kNoUnit);
    TroopCursor& troops = ctx.Troops();

    std::uint16_t targetClasses = 0;
    if (target < kTroopTableLimit && troops.Select(target) && troops.HasMembers() &&
        troops.IsOnMap()) {
        targetClasses = GetMemberClassMask(troops);
    }
    if (!troops.Select(launcher)) return plan;
    const bool missilePart = (kinds & kLaunchMissileKinds) != 0;
    const bool cruisePart = kinds == kLaunchCruise || kinds == kLaunchMegaCruise;

    WeaponKdCursor weapon(ctx.Tables());
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        TroopMember* member = SelectSlotUnit(troops, slot);
        if (!member) continue;
        std::array<std::uint16_t, kWeaponSlotCount> ids{};
        for (int w = 0; w < kWeaponSlotCount; ++w) ids[w] = troops.GetWeaponId(w);

        for (int w = 0; w < kWeaponSlotCount; ++w) {
            if (ids[w] == 0 || !weapon.Select(ids[w])) continue;
            if (distance > weapon.GetRange()) continue;
            if (missilePart) {
                bool hits = cruisePart && weapon.GetHitRate(kFacilityClass) != 0;
                for (int k = 0; k < kTargetClassCount && !hits; ++k) {
                    hits = ((targetClasses >> k) & 1) && weapon.GetHitRate(k) != 0;
                }
                if (!hits) continue;
            }
            if (member->FireCounter(w) != 0) continue;
            if (!(WeaponClassBit(weapon.GetWeaponType()) & kinds)) continue;
            const std::uint16_t launched = weapon.GetOptionUnit();
            if (!troops.UnitInfoCursor::Select(launched) || troops.GetUnitKind() == kNoUnitKind) {
                continue;
            }
            const std::uint8_t salvo = weapon.GetSalvo();
            const std::uint8_t ammo = member->Ammo(w);
            int fired = 0;
            if (ammo >= salvo) {
                fired = salvo;
            } else if (ammo > 0) {
                fired = ammo;
            } else {
                continue;
            }
            plan.units[slot] = static_cast<std::int16_t>(launched);
            plan.counts[slot] = fired * member->Strength();
            plan.any = true;
            if (commit) {
                member->SetAmmo(w, static_cast<std::uint8_t>(ammo - fired));
                member->SetFireCounter(w, weapon.GetFireCount());
            }
            break;
        }
    }
    troops.Select(launcher);
    return plan;
}

// Checks shared by the three commands that send a part: the launcher and the launch hex select.
bool CanSendPart(GameContext& ctx, std::uint16_t launcher, std::uint16_t launchHex) {
    return ctx.Troops().Select(launcher) && SelectHex(ctx, launchHex);
}

}  // namespace

LaunchedPartKind GetLaunchedPartKind(std::uint16_t kinds) {
    static constexpr LaunchedPartKind kMissiles[] = {
        {"分離ﾐｻｲﾙ", 0},      {"対潜ﾐｻｲﾙ", 0}, {"分離ﾐｻｲﾙ(ﾒｶﾞ)", 0}, {"巡航ﾐｻｲﾙ", 0},
        {"巡航ﾐｻｲﾙ(ﾒｶﾞ)", 0}, {"弾道ﾐｻｲﾙ", 0}, {"弾道ﾐｻｲﾙ(ﾒｶﾞ)", 0}, {"核ﾐｻｲﾙ", 0},
    };
    static constexpr LaunchedPartKind kOthers[] = {
        {"対潜ヘリ", 0},   {"早期警戒ヘリ", 3},   {"空中機動歩兵", 2}, {"機械化歩兵", 2},
        {"上陸用舟艇", 4}, {"ホバークラフト", 4}, {"物資", 5},
    };
    static constexpr LaunchedPartKind kUnknownMissile = {"NONEﾐｻｲﾙ", 0};
    const std::uint16_t low = kinds & kLaunchMissileKinds;
    if (low != 0) {
        for (int bit = 0; bit < 8; ++bit) {
            if (low == (1u << bit)) return kMissiles[bit];
        }
        return kUnknownMissile;
    }
    for (int bit = 8; bit < 15; ++bit) {
        if (kinds & (1u << bit)) return kOthers[bit - 8];
    }
    return kUnknownMissile;
}

int ExecBoard(GameContext& ctx, std::uint16_t carrier, std::uint16_t troop,
              std::uint16_t troopHex) {
    TroopCursor& troops = ctx.Troops();
    if (troop == carrier || !troops.Select(troop) || !troops.Select(carrier)) return 0;
    const std::uint16_t carrierPicture = TroopPictureNumber(troops);
    LoadTroop(troops, carrier, troop);
    FreeHexEntry(ctx, troopHex, troop);
    if (!ctx.IsShadow() && troops.Select(troop)) {
        PostTroopNews(ctx, kNewsBoarded, troop, carrierPicture, carrier,
                      TroopPictureNumber(troops));
    }
    return 1;
}

int ExecLaunch(GameContext& ctx, std::uint16_t carrier, std::uint16_t troop,
               std::uint16_t launchHex, std::uint8_t orderKind, std::uint16_t destination,
               std::uint16_t target) {
    TroopCursor& troops = ctx.Troops();
    // Only a troop the carrier carries can leave it.
    if (!troops.Select(troop) || troops.GetCarrier() != carrier) return 0;
    if (!troops.Select(carrier) || !SelectHex(ctx, launchHex)) return 0;
    const std::uint8_t homeBit = GetByte363(troops);
    const std::uint16_t actionFlags =
        orderKind == kOrderMove || homeBit >= 16 ? 0 : static_cast<std::uint16_t>(1u << homeBit);
    const std::uint16_t carrierPicture = TroopPictureNumber(troops);

    UnloadTroop(troops, carrier, troop, launchHex);
    SelectHex(ctx, launchHex);
    ctx.SetHexTroopIndex(troop);
    if (troops.Select(troop)) troops.SetHex(launchHex);
    PrepareTroopOrder(ctx, troop, destination, target, orderKind, actionFlags, 0, 0, kNoHex, 0,
                      0xFF);

    if (!ctx.IsShadow() && troops.Select(troop)) {
        PostTroopNews(ctx, kNewsLaunched, troop, carrierPicture, carrier,
                      TroopPictureNumber(troops));
    }
    return 1;
}

int ExecReturn(GameContext& ctx, std::uint16_t carrier, std::uint16_t part) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(carrier)) return 0;
    RestockFromReturningPart(ctx, carrier, part);
    troops.Select(carrier);
    SetByte381(troops, 0);
    ExecDisband(ctx, part);
    return 1;
}

void RestockFromReturningPart(GameContext& ctx, std::uint16_t carrier, std::uint16_t part) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(part)) return;
    const std::uint16_t kinds = GetWord358(troops);
    std::array<bool, kFormationSlotCount> present{};
    std::array<std::uint8_t, kFormationSlotCount> strength{};
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        if (const TroopMember* member = SelectSlotUnit(troops, slot)) {
            present[slot] = true;
            strength[slot] = member->Strength();
        }
    }

    if (!troops.Select(carrier)) return;
    WeaponKdCursor weapon(ctx.Tables());
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        if (!present[slot]) continue;
        TroopMember* member = SelectSlotUnit(troops, slot);
        if (!member) continue;
        for (int w = 0; w < kWeaponSlotCount; ++w) {
            if (!weapon.Select(troops.GetWeaponId(w))) continue;
            if (!(WeaponClassBit(weapon.GetWeaponType()) & kinds)) continue;
            const int full = troops.GetPackAmmo(member->Pack(), w);
            const int ammo = member->Ammo(w) + strength[slot];
            member->SetAmmo(w, static_cast<std::uint8_t>(ammo < full ? ammo : full));
        }
    }
}

int ExecDisband(GameContext& ctx, std::uint16_t troop) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    if (!ctx.IsShadow() && !(troops.GetStateFlags() & kTroopLaunchedPart)) {
        PostTroopNews(ctx, kNewsDisbanded, troop, TroopPictureNumber(troops), 0, 0);
        troops.Select(troop);
    }
    // A troop aboard stands on its carrier's hex, whose entry is the carrier's.
    FreeHexEntry(ctx, troops.GetHexValue(), troop);
    RemoveTroop(ctx, troop);
    return 1;
}

int ExecTransform(GameContext& ctx, std::uint16_t troop) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    const std::uint16_t before = TroopPictureNumber(troops);
    TransformMembers(troops);
    if (!ctx.IsShadow()) {
        PostTroopNews(ctx, kNewsTransformed, troop, before, 0, TroopPictureNumber(troops));
        troops.Select(troop);
    }
    return 1;
}

std::uint16_t CreateLaunchedPart(GameContext& ctx, std::uint16_t launcher, std::uint16_t kinds,
                                 int distance, std::uint16_t target) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(launcher)) return kNoTroop;
    const std::uint8_t altitude = troops.RefreshAltitudeClass();
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t part = FindFreeLaunchSlot(troops);
    if (part == kNoTroop) return kNoTroop;

    const LaunchedPartKind kind = GetLaunchedPartKind(kinds);
    const LaunchPlan plan = PlanLaunch(ctx, launcher, kinds, distance, target, true);

    troops.Select(part);
    troops.ResetCurrentTroop();
    const std::string name = core::Utf8ToSjis(kind.name);
    CreateTroopFromUnits(troops, plan.units.data(), country, kind.troopMode, kNoHex, name.c_str());
    CreateTroop(troops, name.c_str(), altitude, kind.troopMode);
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        TroopMember* member = SelectSlotUnit(troops, slot);
        if (!member) continue;
        member->SetStrength(static_cast<std::uint8_t>(plan.counts[slot]));
        member->SetDurability(
            static_cast<std::uint8_t>(plan.counts[slot] * troops.GetDurabilityPerUnit()));
    }
    troops.SetWord382(GetIconOfFirstMember(troops));
    SetWord358(troops, kinds);
    return part;
}

std::uint16_t FindUsableWeapon(GameContext& ctx, std::uint16_t launcher, std::uint16_t kinds,
                               int distance, std::uint16_t target) {
    return PlanLaunch(ctx, launcher, kinds, distance, target, false).any ? 0 : kNoTroop;
}

namespace {

// A sent part keeps formation 0 only, cleared but for its byte 237.
void SetPartFormation(TroopCursor& troops, std::uint8_t byte237) {
    troops.SetCurrentFormation(0);
    troops.SetFormationByte236(0, 0);
    troops.SetFormationByte237(0, byte237);
    troops.SetFormationByte238(0, 0);
    troops.SetFormationByte239(0, 0);
    troops.SetFormationByte240(0, 0);
}

// The selected part sets off from the launch hex, paced by that hex's move cost.
void StartPartMoving(GameContext& ctx, std::uint16_t launchHex) {
    TroopCursor& troops = ctx.Troops();
    troops.SetByte364(kOrderMove);
    SelectHex(ctx, launchHex);
    troops.SetByte327(TroopMoveCostOnHex(ctx));
    troops.SetByte380(1);
}

// The launcher forgets the weapons it chose and is marked with `inFlightFlag` (0: no mark);
// the part takes the launch hex's entry.
void PlacePartOnHex(GameContext& ctx, std::uint16_t launcher, std::uint16_t part,
                    std::uint16_t launchHex, std::uint16_t inFlightFlag) {
    TroopCursor& troops = ctx.Troops();
    troops.Select(launcher);
    SetWord358(troops, 0);
    if (inFlightFlag != 0) {
        troops.SetStateFlags(static_cast<std::uint16_t>(troops.GetStateFlags() | inFlightFlag));
    }
    SelectHex(ctx, launchHex);
    ctx.SetHexTroopIndex(part);
}

}  // namespace

int ExecFire(GameContext& ctx, std::uint16_t launcher, std::uint16_t launchHex,
             std::uint16_t actionFlags, std::uint16_t target, std::uint16_t destination,
             std::uint16_t kinds) {
    TroopCursor& troops = ctx.Troops();
    if (!CanSendPart(ctx, launcher, launchHex)) return 0;
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint8_t country = troops.GetCountry();
    // Without a free record nothing leaves, and the launcher keeps its order untouched.
    const std::uint16_t part =
        CreateLaunchedPart(ctx, launcher, kinds, Distance(hex, destination), target);
    if (part == kNoTroop) return 0;
    troops.Select(launcher);
    troops.SetOrder(static_cast<std::uint16_t>(actionFlags & ~kActionFire));
    const bool cruise = (kinds & kLaunchCruiseKinds) != 0;

    troops.Select(part);
    troops.SetHex(launchHex);
    troops.SetCountry(country);
    troops.SetByte32(FacingTowards(hex, launchHex));
    troops.SetStateFlags(kFiredPartFlags);
    SetPartFormation(troops, 100);
    troops.SetOrder(cruise ? kActionBomb : kActionAttack);
    troops.SetWord368(target);
    troops.SetDestination(destination);
    StartPartMoving(ctx, launchHex);
    SetByte363(troops, kDisbandActionBit);
    SetWord361(troops, kNoHex);
    SetByte360(troops, static_cast<std::uint8_t>(launcher));

    PlacePartOnHex(ctx, launcher, part, launchHex, kTroopPartInFlightB);
    if (!ctx.IsShadow() && cruise) ctx.Events().PlaySoundEffect(kCruiseSoundEffect);
    return 1;
}

int ExecDisperse(GameContext& ctx, std::uint16_t launcher, std::uint16_t launchHex,
                 std::uint16_t partActionFlags, std::uint16_t target, std::uint16_t destination,
                 std::uint16_t kinds, std::uint8_t) {
    TroopCursor& troops = ctx.Troops();
    if (!CanSendPart(ctx, launcher, launchHex)) return 0;
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint8_t country = troops.GetCountry();
    const std::uint16_t part =
        CreateLaunchedPart(ctx, launcher, kinds, Distance(hex, destination), target);
    if (part == kNoTroop) return 0;
    troops.Select(launcher);
    SetByte381(troops, 0);

    troops.Select(part);
    troops.SetByte32(FacingTowards(hex, launchHex));
    troops.SetHex(launchHex);
    troops.SetCountry(country);
    troops.SetStateFlags(kSentPartFlags);
    SetPartFormation(troops, (kinds & kLaunchAswHelicopter) ? 100 : 0);
    SetByte360(troops, static_cast<std::uint8_t>(launcher));
    troops.SetOrder(partActionFlags);
    troops.SetWord368(target);
    troops.SetDestination(destination);
    StartPartMoving(ctx, launchHex);
    SetByte363(troops, 0);
    SetWord361(troops, hex);

    // Landing craft and hovercraft leave no flight mark on their carrier.
    const bool landing = (kinds & (kLaunchLandingCraft | kLaunchHovercraft)) != 0;
    PlacePartOnHex(ctx, launcher, part, launchHex, landing ? 0 : kTroopPartInFlight1);
    return 1;
}

int ExecSupport(GameContext& ctx, std::uint16_t launcher, std::uint16_t launchHex, std::uint16_t,
                std::uint16_t target, std::uint16_t destination, std::uint16_t kinds,
                std::uint16_t weaponSelection) {
    TroopCursor& troops = ctx.Troops();
    if (!CanSendPart(ctx, launcher, launchHex) || FindFreeLaunchSlot(troops) == kNoTroop) {
        return 0;
    }
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint8_t country = troops.GetCountry();
    SetWord358(troops, weaponSelection);
    const std::uint16_t part =
        CreateLaunchedPart(ctx, launcher, kinds, Distance(hex, destination), target);
    if (part == kNoTroop) return 0;

    troops.Select(part);
    troops.SetCountry(country);
    troops.SetHex(launchHex);
    troops.SetStateFlags(kSentPartFlags);
    SetPartFormation(troops, 0);
    SetByte360(troops, static_cast<std::uint8_t>(launcher));
    troops.SetOrder(0);
    troops.SetWord368(kNoTroop);
    troops.SetDestination(kNoHex);
    troops.SetByte364(kOrderNone);
    troops.SetByte380(0);
    SetByte363(troops, 0);
    SetWord361(troops, kNoHex);

    PlacePartOnHex(ctx, launcher, part, launchHex, kTroopPartInFlight1);
    return 1;
}

int EvaluateMemberWeapons(GameContext& ctx, std::uint16_t troop, std::uint16_t kinds, int ready,
                          int distance) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    WeaponKdCursor weapon(ctx.Tables());
    int found = 0;
    ForEachPresentMember(troops, [&](int, TroopMember& member) {
        for (int w = 0; w < kWeaponSlotCount && !found; ++w) {
            if (!weapon.Select(troops.GetWeaponId(w))) continue;
            if (!(WeaponClassBit(weapon.GetWeaponType()) & kinds) || member.Ammo(w) == 0) continue;
            if (!ready) {
                found = 1;
                continue;
            }
            const auto reach = static_cast<std::int16_t>(distance);
            if (member.FireCounter(w) == 0 && (reach == 0 || reach <= weapon.GetRange())) {
                found = 1;
            }
        }
    });
    return found;
}

std::uint16_t GetAvailableLaunchKinds(GameContext& ctx, std::uint16_t launcher,
                                      std::uint16_t target, std::uint16_t targetHex, std::uint16_t,
                                      LaunchAttackEvaluator evaluate) {
    HexDescription described;
    ctx.GetHexDescription(targetHex, described);
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(launcher)) return 0;
    const std::uint16_t kinds = GetWeaponClassMask(troops);
    const std::uint8_t country = troops.GetCountry();
    const int distance = Distance(troops.GetHexValue(), targetHex);
    if (distance == 0 || distance >= kFarthestLaunch) return 0;

    std::uint16_t cruise = 0;
    if (kinds & kLaunchCruiseKinds) {
        if (distance <= GetWeaponRange(troops, kLaunchCruise, 1)) cruise |= kLaunchCruise;
        if (distance <= GetWeaponRange(troops, kLaunchMegaCruise, 1)) cruise |= kLaunchMegaCruise;
    }

    bool seen = false;
    std::uint8_t targetCountry = kNoCountry;
    std::uint8_t targetAltitude = 0;
    if (country < kCountryCount && troops.Select(target)) {
        seen = (troops.GetMask28() & ((1u << country) | (1u << (country + 4)))) != 0;
        targetCountry = troops.GetCountry();
        targetAltitude = troops.RefreshAltitudeClass();
    }
    troops.Select(launcher);
    if (!seen ||
        AreCountriesAllied(ctx.Tables(), country, targetCountry, ctx.GetTableSet().country)) {
        return cruise;
    }
    if (!(kinds & kLaunchMissileKinds) || !evaluate) return cruise;

    auto accepts = [&](std::uint16_t kind, int weaponType) {
        if (!(kinds & kind)) return false;
        const int result = evaluate(ctx, launcher, target, distance, weaponType);
        troops.Select(launcher);
        return result != 0;
    };
    if (targetAltitude == 5 && accepts(kLaunchAntiSubmarine, 21)) return kLaunchAntiSubmarine;
    static constexpr std::pair<std::uint16_t, int> kMissileKinds[] = {
        {kLaunchMissile, 20},       {kLaunchMegaMissile, 22}, {kLaunchBallistic, 25},
        {kLaunchMegaBallistic, 26}, {kLaunchNuclear, 27},
    };
    std::uint16_t result = 0;
    for (const auto& [kind, weaponType] : kMissileKinds) {
        if (accepts(kind, weaponType)) result |= kind;
    }
    return static_cast<std::uint16_t>(result | cruise);
}

int CanLaunchNow(GameContext& ctx, std::uint16_t carrier, std::uint16_t carried) {
    TroopCursor& troops = ctx.Troops();
    const std::uint16_t saved = troops.GetIndex();
    auto answer = [&](int result) {
        troops.Select(saved);
        return result;
    };
    if (!troops.Select(carrier)) return answer(0);
    std::uint8_t loadMask = GetMembersCarryMask(troops);
    if (loadMask & 0x80) loadMask |= 0x04;
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint8_t carrierAltitude = troops.RefreshAltitudeClass();
    if ((hex & 0xFF) >= kMapSize || (hex >> 8) >= kMapSize || !SelectHex(ctx, hex)) {
        return answer(0);
    }
    LandKindCursor& lands = ctx.LandKinds();
    if (!lands.Select(ctx.GetHexTerrainClass(1))) return answer(0);
    std::uint8_t launchFlag = lands.GetLaunchFlag();

    if (!troops.Select(carried)) return answer(0);
    if ((carrierAltitude == 1 || carrierAltitude == 2) && (GetCapabilityFlags(troops) & 0x20)) {
        launchFlag |= loadMask;
    }
    if (!(launchFlag & loadMask)) return answer(0);
    auto passable = [&](std::uint16_t at) {
        if (!SelectHex(ctx, at)) return false;
        const std::uint8_t cost = TroopMoveCostOnHex(ctx);
        return cost != 0 && cost != 255;
    };
    if (!(loadMask & 0x10) && !passable(hex)) return answer(0);
    for (int d = 0; d < kHexDirectionCount; ++d) {
        std::uint16_t x = 0;
        std::uint16_t y = 0;
        if (!HexNeighbourOf(hex & 0xFF, hex >> 8, d, x, y)) continue;
        if (!ctx.SelectHexInfoXY(x, y) || ctx.GetHexTroopIndex() != kNoTroop) continue;
        if (passable(MakeHexPosition(x, y))) return answer(1);
    }
    return answer(0);
}

}  // namespace zv::rules
