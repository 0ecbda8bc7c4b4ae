#include "rules/combat/FireResolution.h"

#include <cstdint>

#include "rules/context/RuleHelpers.h"
#include "rules/records/RuleCursors.h"
#include "rules/search/SupplyNetwork.h"
#include "rules/troops/TroopRemoval.h"

namespace zv::rules {

namespace {

// Machines of a member in the record: never more than the eight bytes it holds.
int MachineCount(const BattleMember& m) {
    return m.Strength() < kBattleMachineCount ? m.Strength() : kBattleMachineCount;
}

// `shots` shots of `attacker` at `target`, cycling over the target's machines.
void FireShots(const BattleMember& attacker, BattleMember& target, int shots,
               fw::RandomStreams& random) {
    const int machines = MachineCount(target);
    if (machines == 0) return;
    const int hit = attacker.Hit() - target.Defence();
    const int needed = hit > 1 ? hit : 1;
    const int damage = attacker.Damage();
    const int half = (damage + 1) / 2;
    for (int shot = 0; shot < shots; ++shot) {
        if (needed < GameRandomBelow(random, 100)) continue;
        // The draw is kept for a damage of 1 (an empty range) so the stream stays in step.
        const int loss = half + GameRandomBelow(random, damage - half);
        const int m = shot % machines;
        const int left = target.Machine(m);
        if (left == 0) continue;
        target.SetMachine(m, static_cast<std::uint8_t>(left > loss ? left - loss : 0));
    }
}

void Recount(BattleMember& m) {
    int alive = 0;
    int sum = 0;
    for (int i = 0; i < kBattleMachineCount; ++i) {
        if (m.Machine(i) > 0) ++alive;
        sum += m.Machine(i);
    }
    m.SetU8(BattleMember::kSurvivors, static_cast<std::uint8_t>(alive));
    m.SetU8(BattleMember::kRemainingDurability, static_cast<std::uint8_t>(sum > 255 ? 255 : sum));
}

void SpendAmmo(BattleMember& m, int slot, int shots) {
    if (slot < 0 || slot >= kWeaponSlotCount) return;
    const int left = m.Ammo(slot) - shots;
    m.SetAmmo(slot, static_cast<std::uint8_t>(left > 0 ? left : 0));
}

// Every member of `from` with a target fires at `at`; with `spend` its ammunition drops by the
// shot count.
void SideFires(BattleSide& from, BattleSide& at, bool spend, fw::RandomStreams& random) {
    for (int i = 0; i < kBattleMemberCount; ++i) {
        BattleMember& attacker = from.Member(i);
        if (!attacker.Fights() || attacker.Target() == kNoBattleTarget) continue;
        const int shots = MachineCount(attacker) * attacker.Shots();
        if (attacker.Target() == kAllBattleTargets) {
            for (int t = 0; t < kBattleMemberCount; ++t) {
                BattleMember& target = at.Member(t);
                if (target.Strength() == 0) continue;
                FireShots(attacker, target, shots / 6, random);
                Recount(target);
            }
        } else if (attacker.Target() < kBattleMemberCount) {
            BattleMember& target = at.Member(attacker.Target());
            FireShots(attacker, target, shots, random);
            Recount(target);
        }
        if (spend) SpendAmmo(attacker, attacker.WeaponSlot(), attacker.Shots());
    }
}

}  // namespace

int ResolveExchangeOfFire(GameContext&, BattleRecord& record, fw::RandomStreams& random) {
    SideFires(record.A(), record.B(), true, random);
    SideFires(record.B(), record.A(), true, random);
    return 1;
}

int ResolveBombingFire(GameContext& ctx, BattleRecord& record, std::uint16_t site, int threshold,
                       fw::RandomStreams& random) {
    BattleSide& bombers = record.A();
    SideFires(bombers, record.B(), false, random);

    std::int64_t total = 0;
    UnitInfoCursor& units = ctx.Units();
    WeaponKdCursor weapon(ctx.Tables());
    for (int i = 0; i < kBattleMemberCount; ++i) {
        BattleMember& m = bombers.Member(i);
        if (!m.Fights() || !units.Select(m.Unit())) continue;
        const std::uint16_t id = units.GetWeaponId(m.WeaponSlot());
        if (id == 0) continue;
        if (weapon.Select(id)) {
            total += static_cast<std::int64_t>(MachineCount(m)) * weapon.GetSalvo() *
                     weapon.GetPower() * weapon.GetHitRate(kFacilityClass) / 100;
        }
        SpendAmmo(m, m.WeaponSlot(), m.Shots());
    }

    SiteCursor& sites = ctx.Sites();
    if (site == kNoSiteIndex || !sites.Select(site) || sites.GetKind() == kFreeSite) return 0;
    if (AreCountriesAllied(ctx.Tables(), bombers.Country(), sites.GetOwner(),
                           ctx.GetTableSet().country)) {
        return 0;
    }
    const int durability = sites.GetCaptureDurability();
    std::int64_t strike = durability != 0 ? total * 17 / durability : total * 17;
    if (strike <= 0) strike = 1;
    if (strike < threshold) return 0;

    const std::uint8_t kind = sites.GetKind() == kCapitalKind ? kLargeCityKind : sites.GetKind();
    sites.SetKind(kind);
    sites.SetOwner(kNeutralCountry);
    if (sites.SiteKindCursor::Select(kind)) {
        sites.SetCaptureDurability(sites.SiteKindCursor::GetCaptureDurability(1));
        sites.SetDestroyDurability(sites.SiteKindCursor::GetDestroyDurability(1));
    }
    sites.SetSupplied(0);
    RecomputeAllSupplyNetworks(ctx);
    ReloadRouteTerrain(ctx);
    return 1;
}

}  // namespace zv::rules
