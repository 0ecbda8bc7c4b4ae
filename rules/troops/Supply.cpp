#include "rules/troops/Supply.h"

#include <algorithm>
#include <array>
#include <limits>

#include "rules/countries/CountryStatistics.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"
#include "rules/troops/TroopRemoval.h"

namespace zv::rules {

namespace {

bool IsLaunchWeapon(std::uint8_t type) {
    return type >= 20 && type <= 33;
}

// A receiver of altitude class 2 or 3 (or moving low) takes supplies only from class 2 or 3;
// any other only from its own class.
bool AltitudeFits(std::uint8_t receiver, std::uint16_t capability, std::uint8_t supplier) {
    if (receiver == 2 || receiver == 3 || (capability & kLowFlyingCapability)) {
        return supplier == 2 || supplier == 3;
    }
    return receiver == supplier;
}

std::uint8_t SupplyStock(TroopCursor& troops) {
    std::uint8_t stock = 0;
    SumSupplyStock(troops, &stock);
    return stock;
}

// The weapons and pack values of the unit the cursor holds, read once: pricing a launch weapon
// moves the unit cursor to the weapon's unit.
struct UnitWeapons {
    std::array<std::uint16_t, kWeaponSlotCount> ids{};
    std::array<std::uint8_t, kWeaponSlotCount> packAmmo{};
};

UnitWeapons ReadUnitWeapons(const UnitInfoCursor& unit, int pack) {
    UnitWeapons weapons;
    for (int w = 0; w < kWeaponSlotCount; ++w) {
        weapons.ids[w] = unit.GetWeaponId(w);
        weapons.packAmmo[w] = unit.GetPackAmmo(pack, w);
    }
    return weapons;
}

// The site on the selected hex where a troop of the country and supply classes can be
// supplied; 0xFFFF when there is none.
std::uint16_t SupplySiteOnHex(GameContext& ctx, std::uint8_t country, std::uint16_t classBits) {
    const std::uint16_t site = ctx.GetHexSiteIndex();
    SiteCursor& sites = ctx.Sites();
    if (site == kNoSiteIndex || !sites.Select(site)) return kNoSiteIndex;
    const std::uint8_t kind = sites.GetKind();
    if (kind >= kSiteKindCount || sites.GetOwner() != country || sites.GetSupplied() == 0) {
        return kNoSiteIndex;
    }
    LandKindCursor& lands = ctx.LandKinds();
    if (!lands.Select(kFirstSiteClass + kind)) return kNoSiteIndex;
    const std::uint16_t flags = lands.GetSupplyFlag();
    if (!(flags & kSiteSupplies) || !(flags & classBits)) return kNoSiteIndex;
    return site;
}

// Funds a purchase may spend: what the country holds, nothing when it holds a debt.
std::int64_t Spendable(std::int32_t funds) {
    return std::max<std::int32_t>(funds, 0);
}

}  // namespace

int FindSupplyPrice(GameContext& ctx, std::uint8_t country, std::uint16_t site, std::uint16_t unit,
                    std::int32_t* price) {
    *price = 0;
    if (unit == 0xFFFF) return 0;
    TroopCursor& troops = ctx.Troops();
    if (site != kNoSiteIndex) {
        // Walks the selected troop's members through the unit cursor: before the unit is chosen.
        const std::uint16_t classBits = GetUnitKindClassBits(troops);
        SiteCursor& sites = ctx.Sites();
        if (!sites.Select(site) || sites.GetOwner() != country) return 0;
        const std::uint8_t kind = sites.GetKind();
        if (kind >= kSiteKindCount) return 0;
        LandKindCursor& lands = ctx.LandKinds();
        if (!lands.Select(kFirstSiteClass + kind)) return 0;
        const std::uint16_t flags = lands.GetSupplyFlag();
        if (!(flags & kSiteSellsUnits) || !(flags & classBits)) return 0;
    }
    if (!troops.UnitInfoCursor::Select(unit)) return 0;
    *price = troops.GetPriceWithSurcharge();
    return 1;
}

int ExecSupply(GameContext& ctx, std::uint16_t troop, std::uint16_t supplier, std::uint16_t site) {
    TroopCursor& troops = ctx.Troops();
    CountryCursor& countries = ctx.Countries();
    const bool live = !ctx.IsShadow();
    if (!troops.Select(troop)) return 1;
    const std::uint16_t capability = GetCapabilityFlags(troops);
    const std::uint8_t country = troops.GetCountry();
    const bool haveCountry = countries.Select(country) != 0;
    std::int32_t funds = haveCountry ? countries.GetFunds() : 0;

    const bool supplierGiven = supplier != kNoTroop;
    bool fuelOnly = false;
    if (supplierGiven && troops.Select(supplier)) fuelOnly = troops.RefreshAltitudeClass() == 1;
    troops.Select(troop);

    // Charges what a purchase cost, on the record and in the statistics.
    auto charge = [&](std::int64_t spent) {
        funds = static_cast<std::int32_t>(funds - spent);
        if (!haveCountry) return;
        countries.Select(country);
        countries.SetFunds(funds);
        if (live) AddCountryStatTotal(ctx.Tables(), country, static_cast<std::int32_t>(spent));
    };

    WeaponKdCursor weapon(ctx.Tables());
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        if (supplierGiven && troops.Select(supplier) && SupplyStock(troops) == 0) {
            troops.Select(troop);
            continue;
        }
        troops.Select(troop);
        TroopMember* member = troops.GetMemberRecord(slot);
        if (!member || !member->IsPresent()) continue;
        const std::int16_t unit = member->Unit();
        const std::uint8_t pack = member->Pack();
        if (!troops.UnitInfoCursor::Select(unit)) continue;
        if (supplierGiven && troops.UnitKindCursor::Select(troops.GetUnitKind()) &&
            (troops.GetSupplyFlags() & kSuppliesOthers)) {
            continue;  // a supplying unit refills only at a site
        }
        troops.UnitInfoCursor::Select(unit);
        const UnitWeapons weapons = ReadUnitWeapons(troops, pack);
        int supplies = 0;

        const std::uint16_t fullFuel = troops.GetPackFuel(pack);
        if (fullFuel > member->Fuel()) {
            member->SetFuel(fullFuel);
            ++supplies;
        }

        for (int w = 0; w < kWeaponSlotCount && !fuelOnly; ++w) {
            if (!weapon.Select(weapons.ids[w])) continue;
            const std::uint8_t full = weapons.packAmmo[w];
            if (IsLaunchWeapon(weapon.GetWeaponType())) {
                std::int32_t price = 0;
                if (!FindSupplyPrice(ctx, country, site, weapon.GetOptionUnit(), &price)) continue;
                troops.Select(troop);
                const std::uint8_t ammo = member->Ammo(w);
                // A negative price (damaged table) would pay the country; nothing is sold.
                if (price < 0 || full == 0 || ammo >= full) continue;
                const std::int64_t missing = full - ammo;
                const std::int64_t available = Spendable(funds);
                std::int64_t bought = 0;
                if (missing * price <= available) {
                    bought = missing;
                } else {
                    if (price == 0 || available / price == 0) continue;
                    bought = available / price;
                }
                member->SetAmmo(w, static_cast<std::uint8_t>(ammo + bought));
                charge(bought * price);
            } else {
                member->SetAmmo(w, full);
            }
            ++supplies;
            member->SetFireCounter(w, weapon.GetFireCount());
        }

        if (supplies != 0 && supplierGiven && troops.Select(supplier)) {
            ConsumeSupplies(troops, 1);
            if (!troops.HasMembers()) RemoveTroop(ctx, supplier);
            troops.Select(troop);
        }

        if (fuelOnly || site == kNoSiteIndex) continue;
        std::int32_t price = 0;
        if (!FindSupplyPrice(ctx, country, site, static_cast<std::uint16_t>(unit), &price)) {
            continue;
        }
        troops.Select(troop);
        // The supplier may have been the troop itself and lost this member.
        member = troops.GetMemberRecord(slot);
        if (!member || member->Unit() != unit || !troops.UnitInfoCursor::Select(unit)) continue;
        const std::uint8_t maxStrength = troops.GetMaxStrength();
        const std::uint8_t perMachine = troops.GetDurabilityPerUnit();
        const auto fullDurability = static_cast<std::uint8_t>(perMachine * maxStrength);
        if (member->Durability() == fullDurability ||
            troops.GetUnitKind() == kHeadquartersUnitKind) {
            continue;
        }
        if (price < 0 || maxStrength == 0) continue;
        const std::int64_t missing = std::max(0, maxStrength - member->Strength());
        const std::int64_t perMachinePrice = price / maxStrength;
        const std::int64_t available = Spendable(funds);
        std::int64_t bought = 0;
        if (missing * perMachinePrice <= available) {
            bought = missing;
            member->SetStrength(maxStrength);
            member->SetDurability(fullDurability);
        } else {
            if (perMachinePrice == 0 || available / perMachinePrice == 0) continue;
            bought = available / perMachinePrice;
            // Only the machines paid for come back, each at full durability.
            const auto strength = static_cast<std::uint8_t>(member->Strength() + bought);
            member->SetStrength(strength);
            member->SetDurability(static_cast<std::uint8_t>(perMachine * strength));
        }
        charge(bought * perMachinePrice);
    }

    troops.Select(troop);
    const std::uint8_t altitude = troops.RefreshAltitudeClass();
    const bool lowFlying = (capability & kLowFlyingCapability) != 0;
    const bool onGround = site != kNoSiteIndex ? (altitude == 1 || altitude == 2 || lowFlying)
                                               : (altitude == 2 || lowFlying);
    if (onGround) troops.SetStateFlags(troops.GetStateFlags() | kTroopGroundSupplied);
    return 1;
}

int FindSupplySiteAt(GameContext& ctx, std::uint16_t troop, std::uint16_t hex,
                     std::uint16_t* site) {
    *site = kNoSiteIndex;
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    if (!(GetSupplyCapabilityBits(troops) & kSuppliedAtSite)) return 0;
    const std::uint16_t classBits = GetUnitKindClassBits(troops);
    if (!ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return 0;
    *site = SupplySiteOnHex(ctx, troops.GetCountry(), classBits);
    return *site != kNoSiteIndex ? 1 : 0;
}

int CanSupplyFromTroop(GameContext& ctx, std::uint16_t troop, std::uint16_t,
                       std::uint16_t supplier) {
    TroopCursor& troops = ctx.Troops();
    if (troop == kNoTroop || supplier == kNoTroop || !troops.Select(troop)) return 0;
    const bool receives = (GetSupplyCapabilityBits(troops) & kSuppliedByTroop) != 0;
    const std::uint16_t capability = GetCapabilityFlags(troops);
    const std::uint8_t altitude = troops.RefreshAltitudeClass();
    const std::uint8_t country = troops.GetCountry();
    int result = 0;
    if (receives && troops.Select(supplier)) {
        result = (GetSupplyCapabilityBits(troops) & kSuppliesOthers) &&
                 AltitudeFits(altitude, capability, troops.RefreshAltitudeClass()) &&
                 troops.GetCountry() == country && SupplyStock(troops) != 0;
    }
    troops.Select(troop);
    return result;
}

int FindSupplySource(GameContext& ctx, std::uint16_t troop, std::uint16_t hex,
                     std::uint16_t* supplier, std::uint16_t* site) {
    *supplier = kNoTroop;
    *site = kNoSiteIndex;
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    const std::uint16_t capability = GetCapabilityFlags(troops);
    const std::uint16_t classBits = GetUnitKindClassBits(troops);
    const std::uint16_t roles = GetSupplyCapabilityBits(troops);
    const std::uint8_t altitude = troops.RefreshAltitudeClass();
    const std::uint8_t country = troops.GetCountry();

    if (roles & kSuppliedAtSite) {
        if (!ctx.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return 0;
        *site = SupplySiteOnHex(ctx, country, classBits);
    }
    if (*site == kNoSiteIndex && (roles & kSuppliedByTroop)) {
        HexDescription around[1 + kHexDirectionCount];
        ctx.GetHexDescription(hex, around[0]);
        ctx.GetNeighbourInfos(hex, around + 1);
        for (const HexDescription& d : around) {
            if (!d.IsOnMap() || d.troopIndex == kNoTroop || !troops.Select(d.troopIndex)) continue;
            if ((GetSupplyCapabilityBits(troops) & kSuppliesOthers) &&
                AltitudeFits(altitude, capability, troops.RefreshAltitudeClass()) &&
                troops.GetCountry() == country && SupplyStock(troops) > 0) {
                *supplier = d.troopIndex;
            }
        }
    }
    troops.Select(troop);
    return *supplier != kNoTroop || *site != kNoSiteIndex ? 1 : 0;
}

std::int32_t GetResupplyCost(GameContext& ctx, std::uint16_t troop) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    WeaponKdCursor weapon(ctx.Tables());
    std::int64_t cost = 0;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        TroopMember* member = SelectSlotUnit(troops, slot);
        if (!member) continue;
        const std::int16_t unit = member->Unit();
        const UnitWeapons weapons = ReadUnitWeapons(troops, member->Pack());
        const std::int64_t platoonPrice = troops.GetPriceWithSurcharge();
        const std::int64_t missingMachines = troops.GetMaxStrength() - member->Strength();
        for (int w = 0; w < kWeaponSlotCount; ++w) {
            if (!weapon.Select(weapons.ids[w]) || !IsLaunchWeapon(weapon.GetWeaponType())) continue;
            if (!troops.UnitInfoCursor::Select(weapon.GetOptionUnit())) continue;
            cost += (weapons.packAmmo[w] - member->Ammo(w)) *
                    static_cast<std::int64_t>(troops.GetPriceWithSurcharge());
        }
        troops.UnitInfoCursor::Select(unit);
        if (platoonPrice != 0) cost += missingMachines * platoonPrice;
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        cost, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

int IsFullySupplied(GameContext& ctx, std::uint16_t troop) {
    TroopCursor& troops = ctx.Troops();
    if (!troops.Select(troop)) return 0;
    if (GetMinMemberFuel(troops) < GetMinMemberPackFuel(troops)) return 0;
    WeaponKdCursor weapon(ctx.Tables());
    int ammo = 0;
    int fullAmmo = 0;
    bool durable = true;
    ForEachPresentMember(troops, [&](int, TroopMember& member) {
        for (int w = 0; w < kWeaponSlotCount; ++w) {
            if (!weapon.Select(troops.GetWeaponId(w))) continue;
            ammo += member.Ammo(w);
            fullAmmo += troops.GetPackAmmo(member.Pack(), w);
        }
        if (member.Durability() < troops.GetDurabilityPerUnit() * troops.GetMaxStrength()) {
            durable = false;
        }
    });
    return ammo >= fullAmmo && durable ? 1 : 0;
}

}  // namespace zv::rules
