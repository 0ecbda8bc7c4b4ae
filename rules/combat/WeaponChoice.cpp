#include "rules/combat/WeaponChoice.h"

#include <array>

#include "rules/context/RuleHelpers.h"
#include "rules/records/RuleCursors.h"

namespace zv::rules {

namespace {

// Target slots in the order an attacker tries them, by its own slot mod 3.
constexpr std::uint8_t kNormalOrder[3][kBattleMemberCount] = {
    {0, 1, 3, 4, 2, 5},
    {1, 0, 2, 4, 3, 5},
    {2, 1, 5, 4, 0, 3},
};
constexpr std::uint8_t kFirstTargetOrder[kBattleMemberCount] = {1, 0, 2, 4, 3, 5};

const std::uint8_t* TargetOrder(int mode, int e) {
    return mode == kChooseFirstTarget ? kFirstTargetOrder : kNormalOrder[e % 3];
}

// Record bytes hold values up to 255; a larger hit or defence value must not wrap to a small one.
std::uint8_t ClampByte(int v) {
    return static_cast<std::uint8_t>(v > 255 ? 255 : v);
}

// The target's defence against a weapon type; its unit is selected in `units`. A terrain class
// outside the 29-entry table gives no terrain bonus.
int DefenceValue(UnitInfoCursor& units, const BattleMember& target, int targetClass,
                 std::uint8_t weaponType) {
    int g = 0;
    const std::uint8_t terrain = target.TerrainClass();
    if (terrain < kTerrainCount && units.DefencDkCursor::Select(units.GetDefenceKind())) {
        g = units.DefencDkCursor::GetDefenceRate(terrain);
    }
    const int c = IsMissileWeaponType(weaponType) ? target.Ecm() : 0;
    return units.GetDefenceRate(targetClass) * (100 + g + c) / 100;
}

struct Choice {
    int best = 0;
    int weapon = -1;
    std::uint8_t target = kNoBattleTarget;
    std::int16_t targetUnit = -1;
    int defence = 0;
    std::uint8_t damage = 0;
    std::uint8_t shots = 0;
    std::uint8_t type = 0;
};

enum class Variant { Alt, Typed };

struct Request {
    Variant variant;
    int mode;
    int distance;
    int ready;
    int purpose;     // Alt
    int weaponType;  // Typed
    fw::RandomStreams* random;
};

bool TypeAccepted(const Request& r, std::uint8_t type) {
    if (r.variant == Variant::Typed) return type == r.weaponType;
    switch (r.purpose) {
        case kPurposeAttack:
            return type <= 19;
        case kPurposeBombing:
            return type == 6 || type == 7 || type == 23 || type == 24;
        default:
            // Missiles (types 20-27) are fired as launched parts, never in a fight.
            return false;
    }
}

// Steps through the target slots of one weapon; the first that beats the best so far is taken.
void TryTargets(UnitInfoCursor& units, WeaponKdCursor& weapon, const Request& r,
                BattleSide& attackers, int e, BattleSide& targets, int w, Choice& choice) {
    const std::uint8_t* order = TargetOrder(r.mode, e);
    const std::uint8_t range = weapon.GetRange();
    bool frontOccupied = false;
    for (int t = 0; t < 3; ++t) frontOccupied = frontOccupied || targets.Member(t).HasUnit();

    bool seenFirst = false;
    for (int i = 0; i < kBattleMemberCount; ++i) {
        const int t = order[i];
        const BattleMember& target = targets.Member(t);
        if (!target.Fights() || !units.Select(target.Unit())) continue;
        if (r.mode == kChooseFirstTarget) {
            if (seenFirst) break;
            seenFirst = true;
        }
        const int k = units.GetDefenceType();
        if (k >= kTargetClassCount) continue;
        const int rate = weapon.GetHitRate(k);
        if (rate == 0) continue;
        int hit = rate;
        const bool bonus =
            r.mode != kChooseReturnFire && !(r.variant == Variant::Typed && range != 1);
        if (bonus) hit = rate * (100 + attackers.Member(t).Bonus()) / 100;
        if (range == 1 && t >= 3 && frontOccupied) hit /= 2;
        if (hit == 0) continue;
        if (choice.best < hit) {
            choice.best = hit;
            choice.weapon = w;
            choice.target = static_cast<std::uint8_t>(t);
            choice.targetUnit = target.Unit();
            choice.defence = DefenceValue(units, target, k, weapon.GetWeaponType());
            choice.damage = weapon.GetPower();
            choice.shots = weapon.GetSalvo();
            choice.type = weapon.GetWeaponType();
            return;
        }
    }
}

// Six random tries among the target slots; an empty slot stands for the site on the hex.
void TryBombTargets(UnitInfoCursor& units, WeaponKdCursor& weapon, const Request& r,
                    BattleSide& targets, int w, Choice& choice) {
    const int facility = weapon.GetHitRate(kFacilityClass);
    int classRate = facility;
    bool counted = false;
    auto remember = [&](std::uint8_t target, std::int16_t unit, int defence) {
        choice.weapon = w;
        choice.target = target;
        choice.targetUnit = unit;
        choice.defence = defence;
        choice.damage = weapon.GetPower();
        choice.shots = weapon.GetSalvo();
        choice.type = weapon.GetWeaponType();
    };
    for (int attempt = 0; attempt < kBattleMemberCount; ++attempt) {
        const int slot = GameRandomBelow(*r.random, kBattleMemberCount);
        const BattleMember& target = targets.Member(slot);
        std::uint8_t chosen = kNoBattleTarget;
        std::int16_t unit = -1;
        int defence = 0;
        if (target.Fights()) {
            if (!units.Select(target.Unit())) continue;
            const int k = units.GetDefenceType();
            const int rate = k < kTargetClassCount ? weapon.GetHitRate(k) : 0;
            if (rate == 0) continue;
            defence = DefenceValue(units, target, k, weapon.GetWeaponType());
            chosen = static_cast<std::uint8_t>(slot);
            unit = target.Unit();
            classRate = rate;
        }
        counted = true;
        if (choice.best < facility) {
            remember(chosen, unit, defence);
            choice.best = classRate;
        }
    }
    if (!counted) {
        remember(kNoBattleTarget, -1, 0);
        choice.best = facility;
    }
}

int Choose(GameContext& ctx, BattleSide& attackers, int e, BattleSide& targets, const Request& r) {
    if (e < 0 || e >= kBattleMemberCount) return 0;
    if (r.variant == Variant::Alt && r.purpose == kPurposeBombing && !r.random) return 0;
    BattleMember& attacker = attackers.Member(e);
    UnitInfoCursor& units = ctx.Units();
    if (!units.Select(attacker.Unit())) return 0;
    std::array<std::uint16_t, kWeaponSlotCount> weaponIds{};
    for (int w = 0; w < kWeaponSlotCount; ++w) weaponIds[w] = units.GetWeaponId(w);

    WeaponKdCursor weapon(ctx.Tables());
    Choice choice;
    for (int w = 0; w < kWeaponSlotCount; ++w) {
        if (attacker.Ammo(w) == 0) continue;
        if (r.ready && attacker.FireCounter(w) != 0) continue;
        if (!weapon.Select(weaponIds[w])) continue;
        if (!TypeAccepted(r, weapon.GetWeaponType())) continue;
        const int range = weapon.GetRange();
        if (r.distance != 0 && ((range == 1 && r.distance > 1) || range < r.distance)) continue;
        if (weapon.GetPower() == 0 || weapon.GetSalvo() == 0) continue;
        if (r.variant == Variant::Alt && r.purpose == kPurposeBombing) {
            if (range == 1) TryBombTargets(units, weapon, r, targets, w, choice);
        } else {
            TryTargets(units, weapon, r, attackers, e, targets, w, choice);
        }
    }

    const std::uint8_t best = ClampByte(choice.best);
    if (best == 0 || choice.weapon < 0 || attacker.Hit() >= best) return 0;

    attacker.SetU8(BattleMember::kTarget, choice.target);
    attacker.SetU16(BattleMember::kTargetUnit, static_cast<std::uint16_t>(choice.targetUnit));
    attacker.SetU8(BattleMember::kWeaponSlot, static_cast<std::uint8_t>(choice.weapon));
    attacker.SetU8(BattleMember::kHit, best);
    attacker.SetU8(BattleMember::kDamage, choice.damage);
    attacker.SetU8(BattleMember::kShots, choice.shots);
    auto markTarget = [&](BattleMember& target, int defence) {
        target.SetU8(BattleMember::kDefence, ClampByte(defence));
        target.SetU8(BattleMember::kAttackerIndex, static_cast<std::uint8_t>(e));
        target.SetU8(BattleMember::kAttackerBit, static_cast<std::uint8_t>(1u << e));
    };
    if (choice.target < kBattleMemberCount)
        markTarget(targets.Member(choice.target), choice.defence);

    if (r.variant == Variant::Alt && IsAreaWeaponType(choice.type)) {
        attacker.SetU8(BattleMember::kTarget, kAllBattleTargets);
        weapon.Select(weaponIds[choice.weapon]);
        const std::uint8_t* order = TargetOrder(r.mode, e);
        for (int i = 0; i < kBattleMemberCount; ++i) {
            BattleMember& target = targets.Member(order[i]);
            if (!target.Fights() || !units.Select(target.Unit())) continue;
            const int k = units.GetDefenceType();
            if (k >= kTargetClassCount || weapon.GetHitRate(k) == 0) continue;
            markTarget(target, DefenceValue(units, target, k, choice.type));
        }
    }
    return 1;
}

}  // namespace

int IsMissileWeaponType(int type) {
    return (type == 0 || type == 1 || (type >= 20 && type <= 27)) ? 1 : 0;
}

int ChooseWeaponAndTargetAlt(GameContext& ctx, BattleSide& attackers, int e, BattleSide& targets,
                             int mode, int distance, int ready, int purpose,
                             fw::RandomStreams* random) {
    const Request r{Variant::Alt, mode, distance, ready, purpose, 0, random};
    return Choose(ctx, attackers, e, targets, r);
}

int ChooseWeaponAndTarget(GameContext& ctx, BattleSide& attackers, int e, BattleSide& targets,
                          int mode, int distance, int ready, int weaponType) {
    const Request r{Variant::Typed, mode, distance, ready, 0, weaponType, nullptr};
    return Choose(ctx, attackers, e, targets, r);
}

}  // namespace zv::rules
