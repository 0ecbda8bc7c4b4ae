#include "rules/troops/TroopQueries.h"

#include <algorithm>

#include "rules/records/RuleRecords.h"
#include "rules/records/TroopCursor.h"
#include "rules/troops/TroopMembers.h"

namespace zv::rules {

namespace {

constexpr std::uint16_t kNoTransform = 0xFFFF;

// The record's formation f, or null outside 0-3.
TroopFormation* FormationAt(TroopCursor& troop, int f) {
    if (f < 0 || f >= kTroopFormationCount) return nullptr;
    return &troop.GetRecord()->Formation(f);
}

// Calls fn(w, weapon) for each weapon slot of the selected unit whose id selects.
template <typename Fn>
void ForEachUnitWeapon(TroopCursor& troop, WeaponKdCursor& weapon, Fn&& fn) {
    for (int w = 0; w < kWeaponSlotCount; ++w) {
        if (weapon.Select(troop.GetWeaponId(w))) fn(w);
    }
}

// Radar range by altitude layer; a layer outside 0-4 sees nothing.
std::uint8_t RadarRange(TroopCursor& troop, int layer) {
    return layer >= 0 && layer < kAltitudeLayerCount ? troop.GetRadarRange(layer) : 0;
}

// Concealment of the selected unit; no concealment on a layer or terrain outside the tables.
std::uint8_t Concealment(TroopCursor& troop, int layer, int terrain) {
    if (layer < 0 || layer >= kAltitudeLayerCount || terrain < 0 || terrain >= kTerrainCount) {
        return 0;
    }
    return troop.UnitInfoCursor::GetConcealment(layer, terrain);
}

// With useTransform 1, moves the unit cursor to the transformation unit when it selects.
void UseTransformUnit(TroopCursor& troop, int useTransform) {
    if (useTransform != 1) return;
    const std::uint16_t transform = troop.GetTransformUnit();
    if (transform != kNoTransform) troop.UnitInfoCursor::Select(transform);
}

std::uint8_t SearchValue(TroopCursor& troop, int layer, int terrain, int useTransform, bool night) {
    std::uint8_t least = 255;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        UseTransformUnit(troop, useTransform);
        const std::uint8_t sight = night ? troop.GetNightSight() : troop.GetDaySight();
        const auto value = static_cast<std::uint8_t>(Concealment(troop, layer, terrain) + sight);
        least = std::min(least, value);
    });
    return least;
}

// The base terrain a troop moves on: sea (5) for the naval altitude classes 4 and 5, else
// plain (0). Refreshes the altitude class first.
int BaseTerrainOf(TroopCursor& troop) {
    const std::uint8_t altitude = troop.RefreshAltitudeClass();
    return altitude == 4 || altitude == 5 ? 5 : 0;
}

std::uint8_t KindTypeOfUnit(TroopCursor& troop, bool& found) {
    found = troop.UnitKindCursor::Select(troop.GetUnitKind()) != 0;
    return found ? troop.GetKindType() : 0;
}

}  // namespace

std::uint16_t WeaponClassBit(std::uint8_t weaponType) {
    if (weaponType >= 20 && weaponType <= 33) {
        return static_cast<std::uint16_t>(1u << (weaponType - 20));
    }
    return weaponType == 35 ? 0x4000 : 0;
}

std::uint8_t GetByte360(TroopCursor& troop) {
    return troop.GetRecord()->U8(TroopRecord::kRelatedTroop);
}
void SetByte360(TroopCursor& troop, std::uint8_t v) {
    troop.GetRecord()->SetU8(TroopRecord::kRelatedTroop, v);
}
std::uint16_t* GetWord361(TroopCursor& troop, std::uint16_t* out) {
    *out = troop.GetRecord()->U16(TroopRecord::kOrderHex);
    return out;
}
void SetWord361(TroopCursor& troop, std::uint16_t v) {
    troop.GetRecord()->SetU16(TroopRecord::kOrderHex, v);
}
std::uint8_t GetByte363(TroopCursor& troop) {
    return troop.GetRecord()->U8(TroopRecord::kHomeAction);
}
void SetByte363(TroopCursor& troop, std::uint8_t v) {
    troop.GetRecord()->SetU8(TroopRecord::kHomeAction, v);
}
std::uint16_t GetWord358(TroopCursor& troop) {
    return troop.GetRecord()->U16(TroopRecord::kWeaponSelection);
}
void SetWord358(TroopCursor& troop, std::uint16_t v) {
    troop.GetRecord()->SetU16(TroopRecord::kWeaponSelection, v);
}
std::uint8_t GetByte381(TroopCursor& troop) {
    return troop.GetRecord()->U8(TroopRecord::kOrderParameter);
}
void SetByte381(TroopCursor& troop, std::uint8_t v) {
    troop.GetRecord()->SetU8(TroopRecord::kOrderParameter, v);
}
std::uint8_t GetByte416(TroopCursor& troop) {
    return troop.GetRecord()->U8(TroopRecord::kSpare416);
}
void SetByte416(TroopCursor& troop, std::uint8_t v) {
    troop.GetRecord()->SetU8(TroopRecord::kSpare416, v);
}
std::uint8_t GetByte417(TroopCursor& troop) {
    return troop.GetRecord()->U8(TroopRecord::kGiveWay);
}
void SetByte417(TroopCursor& troop, std::uint8_t v) {
    troop.GetRecord()->SetU8(TroopRecord::kGiveWay, v);
}

std::uint8_t GetCurrentFormationByte236(TroopCursor& troop) {
    const TroopFormation* formation = FormationAt(troop, troop.GetCurrentFormation());
    return formation ? formation->Setting(0) : 0;
}

int MemberCanLoad(TroopCursor& troop, int slot, std::uint8_t* out) {
    if (!SelectSlotUnit(troop, slot)) return 0;
    return troop.ListCarrierClasses(out);
}

int AnyMemberLoadClass(TroopCursor& troop, int slot, std::uint8_t* out) {
    TroopMember* member = SelectSlotUnit(troop, slot);
    if (!member) return 0;
    return troop.GetPackTargetLayers(member->Pack(), out);
}

std::uint8_t GetMemberConcealment(TroopCursor& troop, int slot, int layer, int terrain, int) {
    if (!SelectSlotUnit(troop, slot)) return 0;
    return Concealment(troop, layer, terrain);
}

std::uint8_t GetMemberRadarRange(TroopCursor& troop, int slot, int layer, int sightFlags,
                                 int useTransform) {
    if (slot < 0 || slot >= kFormationSlotCount) return 0;
    const TroopMember* member = troop.GetRecord()->SlotMember(slot);
    if (!member) return 255;
    if (!troop.UnitInfoCursor::Select(member->Unit())) return 0;
    UseTransformUnit(troop, useTransform);
    const bool fixed = (sightFlags & 0x08) != 0;
    if (sightFlags & 0x01) return fixed ? 2 : RadarRange(troop, layer);
    if (sightFlags & 0x02) return fixed ? 1 : RadarRange(troop, layer);
    return 255;
}

std::uint8_t GetBestMemberValue(TroopCursor& troop, int layer, int sightFlags, int useTransform) {
    std::uint8_t best = 0;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        const std::uint8_t value =
            GetMemberRadarRange(troop, slot, layer, sightFlags, useTransform);
        if (value != 255) best = std::max(best, value);
    }
    return best;
}

std::uint8_t GetMinMemberConcealment(TroopCursor& troop, int layer, int terrain, int) {
    std::uint8_t least = 255;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        least = std::min(least, Concealment(troop, layer, terrain));
    });
    return least;
}

std::uint16_t GetUnitKindClassBits(TroopCursor& troop) {
    std::uint16_t bits = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        bool found = false;
        const std::uint8_t kindType = KindTypeOfUnit(troop, found);
        if (found && kindType < 16) bits = static_cast<std::uint16_t>(bits | (1u << kindType));
    });
    if (GetCapabilityFlags(troop) & 0x0008) bits |= 0x0002;
    return bits;
}

std::uint16_t GetSupplyCapabilityBits(TroopCursor& troop) {
    std::uint16_t bits = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        if (troop.UnitKindCursor::Select(troop.GetUnitKind())) bits |= troop.GetSupplyFlags();
    });
    if (GetCapabilityFlags(troop) & 0x0008) bits |= 0x0002;
    return bits;
}

std::uint8_t GetTerrainDefence(TroopCursor& troop, int terrainClass) {
    if (terrainClass < 0 || terrainClass >= kTerrainCount) return 254;
    int least = -1;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        if (!troop.DefencDkCursor::Select(troop.GetDefenceKind())) return;
        const int rate = troop.DefencDkCursor::GetDefenceRate(terrainClass);
        if (least < 0 || rate < least) least = rate;
    });
    return least < 0 ? 254 : static_cast<std::uint8_t>(least);
}

int AnyMemberCanTransform(TroopCursor& troop) {
    int any = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        if (troop.GetTransformUnit() != kNoTransform) any = 1;
    });
    return any;
}

std::uint8_t GetLowestDefenceOfMembers(TroopCursor& troop) {
    std::uint8_t least = 255;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        least = std::min(least, troop.UnitInfoCursor::GetDefenceRate(troop.GetDefenceType()));
    });
    return least;
}

std::uint16_t GetMemberClassMask(TroopCursor& troop) {
    std::uint16_t mask = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        const std::uint8_t type = troop.GetDefenceType();
        if (type < 16) mask = static_cast<std::uint16_t>(mask | (1u << type));
    });
    return mask;
}

std::uint8_t GetMinSight(TroopCursor& troop, int night) {
    int least = -1;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        const int sight = night ? troop.GetNightSight() : troop.GetDaySight();
        if (least < 0 || sight < least) least = sight;
    });
    return least < 0 ? 0 : static_cast<std::uint8_t>(least);
}

int HasSpecialAbilityBit0(TroopCursor& troop) {
    int any = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        if (troop.GetSpecialAbility() & 0x01) any = 1;
    });
    return any;
}

std::uint8_t GetMaxTransformTime(TroopCursor& troop) {
    std::uint8_t best = 0;
    ForEachPresentMember(
        troop, [&](int, TroopMember&) { best = std::max(best, troop.GetTransformTime()); });
    return best;
}

std::uint8_t SumStrengthOfKindFlag0(TroopCursor& troop) {
    std::uint8_t sum = 0;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        if (troop.UnitKindCursor::Select(troop.GetUnitKind()) &&
            (troop.UnitKindCursor::GetPerformanceFlags() & 0x01)) {
            sum = static_cast<std::uint8_t>(sum + member.Strength());
        }
    });
    return sum;
}

int SumSupplyStock(TroopCursor& troop, std::uint8_t* out) {
    WeaponKdCursor weapon(troop.GetTableDirectory());
    std::uint8_t sum = 0;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        if (troop.GetUnitKind() == kSupplyUnitKind) {
            sum = static_cast<std::uint8_t>(sum + member.Strength());
            return;
        }
        ForEachUnitWeapon(troop, weapon, [&](int w) {
            if (weapon.GetWeaponType() == kSupplyWeaponType && member.Ammo(w) != 0) {
                sum = static_cast<std::uint8_t>(sum + member.Ammo(w));
            }
        });
    });
    *out = sum;
    return 0;
}

std::uint16_t GetWeaponClassMask(TroopCursor& troop) {
    WeaponKdCursor weapon(troop.GetTableDirectory());
    std::uint16_t mask = 0;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        ForEachUnitWeapon(troop, weapon, [&](int w) {
            if (member.Ammo(w) != 0) mask |= WeaponClassBit(weapon.GetWeaponType());
        });
    });
    return mask;
}

std::uint8_t GetWeaponRange(TroopCursor& troop, std::uint16_t classMask, int mode) {
    WeaponKdCursor weapon(troop.GetTableDirectory());
    int result = -1;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        ForEachUnitWeapon(troop, weapon, [&](int w) {
            if (member.Ammo(w) == 0 || !(WeaponClassBit(weapon.GetWeaponType()) & classMask)) {
                return;
            }
            const int range = weapon.GetRange();
            if (result < 0 || (mode == 1 ? range > result : range < result)) result = range;
        });
    });
    return result < 0 ? 0 : static_cast<std::uint8_t>(result);
}

std::uint8_t GetIconOfFirstMember(TroopCursor& troop) {
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        if (SelectSlotUnit(troop, slot)) return troop.GetKindByte29();
    }
    return 0;
}

int HasMemberOfKind(TroopCursor& troop, int unitKind) {
    int any = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        if (troop.GetUnitKind() == unitKind) any = 1;
    });
    return any;
}

std::uint8_t GetDaySearchValue(TroopCursor& troop, int layer, int terrain, int, int useTransform) {
    return SearchValue(troop, layer, terrain, useTransform, false);
}

std::uint8_t GetNightSearchValue(TroopCursor& troop, int layer, int terrain, int,
                                 int useTransform) {
    return SearchValue(troop, layer, terrain, useTransform, true);
}

std::uint16_t GetCapabilityFlags(TroopCursor& troop) {
    constexpr std::uint16_t kAnyMemberBits = 0x0001 | 0x0040 | 0x0080 | 0x0100;
    std::uint16_t all = 0xFFFF;
    std::uint16_t any = 0;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        const std::uint16_t flags = troop.UnitInfoCursor::GetCapabilityFlags(member.Pack());
        all &= flags;
        any |= flags;
    });
    return static_cast<std::uint16_t>(all | (any & kAnyMemberBits));
}

int CanAttackClass(TroopCursor& troop, int kind, int ammoRule) {
    if ((kind != 0 && kind != 1) || ammoRule < 0 || ammoRule > 2) return 0;
    const bool secondKindPart = (troop.GetStateFlags() & kTroopPartKindB) != 0;
    WeaponKdCursor weapon(troop.GetTableDirectory());
    int found = 0;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        if (found) return;
        ForEachUnitWeapon(troop, weapon, [&](int w) {
            if (found) return;
            if (ammoRule >= 1 && member.Ammo(w) == 0) return;
            if (ammoRule == 2 && member.FireCounter(w) != 0) return;
            const std::uint8_t type = weapon.GetWeaponType();
            if (kind == 0) {
                found = type <= 19 && type != 6 && type != 7;
            } else {
                const bool typeFits =
                    type == 6 || type == 7 || (secondKindPart && (type == 23 || type == 24));
                found = typeFits && weapon.GetHitRate(9) != 0;
            }
        });
    });
    return found;
}

std::uint16_t ScoreTroopAgainstTarget(TroopCursor& troop, int targetClass, int minimumRange,
                                      int special) {
    WeaponKdCursor weapon(troop.GetTableDirectory());
    std::uint32_t total = 0;
    std::uint32_t members = 0;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        std::uint32_t best = 0;
        ForEachUnitWeapon(troop, weapon, [&](int w) {
            if (member.Ammo(w) == 0 || member.FireCounter(w) != 0) return;
            if (minimumRange != 0 && weapon.GetRange() < minimumRange) return;
            const bool lowClass = (WeaponClassBit(weapon.GetWeaponType()) & 0x00FF) != 0;
            if (lowClass != (special != 0)) return;
            const std::uint32_t score = static_cast<std::uint32_t>(weapon.GetHitRate(targetClass)) *
                                        weapon.GetPower() * weapon.GetSalvo() * member.Strength();
            if ((score & 0xFFFF) > (best & 0xFFFF)) best = score;
        });
        total += best;
        ++members;
    });
    return members ? static_cast<std::uint16_t>((total & 0xFFFF) / members) : 0;
}

std::uint8_t GetMovementLayer(TroopCursor& troop) {
    const std::uint8_t altitude = troop.RefreshAltitudeClass();
    const std::uint16_t classes = GetWord358(troop);
    if (classes & 0x00FF) return 3;
    if (classes & 0x0100) return 2;
    if (classes & 0x0200) return 1;
    if (classes & 0x0C00) return 4;
    if (classes & 0x7000) return 1;
    // No weapon class given: the layer the troop itself moves on (altitude classes 1-5 are
    // layers 0-4), the ground when the class is unknown.
    return altitude >= 1 && altitude <= 5 ? static_cast<std::uint8_t>(altitude - 1) : 2;
}

int IsSupplyShort(TroopCursor& troop, int* supplyShort) {
    *supplyShort = 0;
    const TroopFormation* formation = FormationAt(troop, troop.GetCurrentFormation());
    if (!formation) return 0;
    const int threshold = formation->Setting(2);
    if (threshold == 0) return 0;

    WeaponKdCursor weapon(troop.GetTableDirectory());
    auto ratio = [](std::uint32_t cur, std::uint32_t max) {
        return static_cast<int>(((cur * 100) & 0xFFFF) / max);
    };
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        TroopMember* member = SelectSlotUnit(troop, slot);
        if (!member) continue;
        std::uint32_t curSupply = 0, maxSupply = 0, cur12 = 0, max12 = 0, curOther = 0,
                      maxOther = 0;
        ForEachUnitWeapon(troop, weapon, [&](int w) {
            const std::uint32_t cur = member->Ammo(w);
            const std::uint32_t max = troop.GetPackAmmo(member->Pack(), w);
            const std::uint8_t type = weapon.GetWeaponType();
            if (type == kSupplyWeaponType) {
                curSupply += cur;
                maxSupply += max;
            } else if (type == 12) {
                cur12 += cur;
                max12 += max;
            } else {
                curOther += cur;
                maxOther += max;
            }
        });
        if (maxSupply != 0 && ratio(curSupply, maxSupply) < threshold) {
            *supplyShort = 1;
            return 1;
        }
        if (max12 == 0) {
            if (maxOther != 0 && ratio(curOther, maxOther) < threshold) return 1;
        } else if (maxOther == 0) {
            if (ratio(cur12, max12) < threshold) return 1;
        } else {
            // Few large type-12 loads weigh like many small other loads.
            const std::uint32_t q = max12 / maxOther;
            const int combined = max12 > maxOther && q >= 2
                                     ? ratio(q * curOther + cur12, max12 + q * maxOther)
                                     : ratio(curOther + cur12, max12 + maxOther);
            if (combined < threshold) return 1;
        }
    }
    return 0;
}

int IsUnderStrength(TroopCursor& troop) {
    const TroopFormation* formation = FormationAt(troop, troop.GetCurrentFormation());
    if (!formation) return 0;
    const int threshold = formation->Setting(3);
    if (threshold == 0) return 0;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        TroopMember* member = SelectSlotUnit(troop, slot);
        if (!member || troop.GetUnitKind() == 101) continue;
        const int strength = member->Strength();
        const int maxStrength = troop.GetMaxStrength();
        if (maxStrength == 0 || strength == 0) return 0;
        if (strength * 100 / maxStrength < threshold) return 1;
    }
    return 0;
}

int LoadTroop(TroopCursor& troop, std::uint16_t carrier, std::uint16_t passenger) {
    const std::uint16_t saved = troop.GetIndex();
    troop.TryLoadOnto(carrier, passenger, 1);
    if (troop.Select(carrier)) {
        troop.SetCarrying();
        const std::uint16_t carrierHex = troop.GetHexValue();
        if (troop.Select(passenger)) {
            troop.SetCarrier(carrier);
            troop.SetHex(carrierHex);
            troop.SetAboard();
        }
    }
    troop.Select(saved);
    return 0;
}

int UnloadTroop(TroopCursor& troop, std::uint16_t carrier, std::uint16_t passenger,
                std::uint16_t hex) {
    const std::uint8_t country = troop.GetCountry();
    const std::uint16_t end = std::min(kMapTroopCount, troop.GetTableLimit());
    int carried = 0;
    bool passengerAboard = false;
    for (std::uint16_t t = 0; t < end; ++t) {
        if (!troop.Select(t)) continue;
        const TroopRecord* r = troop.GetRecord();
        if (!r->IsUsed() || r->Country() != country || r->Carrier() != carrier) continue;
        bool hasMember = false;
        for (int slot = 0; slot < kFormationSlotCount && !hasMember; ++slot) {
            hasMember = r->SlotMember(slot) != nullptr;
        }
        if (!hasMember) continue;
        ++carried;
        if (t == passenger) passengerAboard = true;
    }
    if (!passengerAboard) return 0;
    if (carried <= 1 && troop.Select(carrier)) troop.ClearCarrying();
    if (troop.Select(passenger)) {
        troop.ClearAboard();
        troop.SetCarrier(kNoTroop);
        troop.SetHex(hex);
        for (int m = 0; m < kTroopMemberCount; ++m) troop.SetMemberByte26(m, 0xFF);
    }
    troop.Select(carrier);
    return 0;
}

int TransformMembers(TroopCursor& troop) {
    std::uint16_t picture = 100;
    bool first = true;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        const std::uint16_t transform = troop.GetTransformUnit();
        if (transform == kNoTransform || !troop.UnitInfoCursor::Select(transform)) return;
        if (first) {
            picture = troop.GetKindByte29();
            first = false;
        }
        member.SetUnit(static_cast<std::int16_t>(transform));
    });
    troop.SetWord382(picture);
    RefreshCarryCapacity(troop);
    return 0;
}

namespace {

// The supply walk of RestoreFull and its relatives: fn(member, weapon slot, weapon selected)
// for each weapon slot of each member whose unit selects, after fuel(member).
template <typename FuelFn, typename WeaponFn>
void ForEachMemberSupply(TroopCursor& troop, FuelFn&& fuel, WeaponFn&& weaponFn) {
    WeaponKdCursor weapon(troop.GetTableDirectory());
    // Only members whose unit selects: another unit's pack values must never fill a member.
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        fuel(member);
        for (int w = 0; w < kWeaponSlotCount; ++w) {
            weaponFn(member, w, weapon, weapon.Select(troop.GetWeaponId(w)) != 0);
        }
    });
}

}  // namespace

int RestoreFull(TroopCursor& troop, int withCounters) {
    ForEachMemberSupply(
        troop,
        [&](TroopMember& member) {
            member.SetFuel(troop.GetPackFuel(member.Pack()));
            member.SetStrength(troop.GetMaxStrength());
        },
        [&](TroopMember& member, int w, WeaponKdCursor& weapon, bool selected) {
            member.SetAmmo(w, troop.GetPackAmmo(member.Pack(), w));
            if (withCounters && selected) member.SetFireCounter(w, weapon.GetFireCount());
        });
    return 1;
}

int ClampSuppliesToPack(TroopCursor& troop, int withCounters) {
    ForEachMemberSupply(
        troop,
        [&](TroopMember& member) {
            member.SetFuel(std::min(member.Fuel(), troop.GetPackFuel(member.Pack())));
        },
        [&](TroopMember& member, int w, WeaponKdCursor& weapon, bool selected) {
            member.SetAmmo(w, std::min(member.Ammo(w), troop.GetPackAmmo(member.Pack(), w)));
            if (withCounters && selected) member.SetFireCounter(w, weapon.GetFireCount());
        });
    return 1;
}

int SpendFireCounts(TroopCursor& troop, int n) {
    ForEachMemberSupply(
        troop,
        [&](TroopMember& member) {
            member.SetFuel(std::min(member.Fuel(), troop.GetPackFuel(member.Pack())));
        },
        [&](TroopMember& member, int w, WeaponKdCursor& weapon, bool selected) {
            if (!selected) return;
            const int count = weapon.GetFireCount();
            if (count != 0 && count >= n) {
                member.SetFireCounter(w, static_cast<std::uint8_t>(count - n));
            }
        });
    return 1;
}

int ConsumeSupplies(TroopCursor& troop, int n) {
    WeaponKdCursor weapon(troop.GetTableDirectory());
    int result = 0;
    int taken = 0;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        TroopMember* member = SelectSlotUnit(troop, slot);
        if (!member) continue;
        if (troop.GetUnitKind() == kSupplyUnitKind) {
            if (member->Strength() != 0) {
                member->SetStrength(static_cast<std::uint8_t>(member->Strength() - 1));
                if (member->Strength() == 0) RemoveMember(troop, slot);
                ++taken;
            }
            result = 1;
            if (taken >= n) return result;
            continue;
        }
        taken = 0;
        for (int w = 0; w < kWeaponSlotCount; ++w) {
            if (!weapon.Select(troop.GetWeaponId(w))) continue;
            if (member->Ammo(w) == 0 || member->FireCounter(w) != 0) continue;
            if (weapon.GetWeaponType() != kSupplyWeaponType) continue;
            member->SetAmmo(w, static_cast<std::uint8_t>(member->Ammo(w) - 1));
            ++taken;
            result = 1;
            if (taken >= n) return result;
        }
    }
    return result;
}

int RebuildFormation(TroopCursor& troop, int source, int target) {
    TroopFormation* from = FormationAt(troop, source);
    TroopFormation* to = FormationAt(troop, target);
    if (!from || !to) return 0;
    auto isMember = [](std::uint8_t entry) { return entry < kTroopMemberCount; };
    bool targetEmpty = true;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        if (isMember(to->MemberMap(slot))) targetEmpty = false;
    }
    if (targetEmpty) {
        for (int slot = 0; slot < kFormationSlotCount; ++slot) {
            to->SetMemberMap(slot, from->MemberMap(slot));
        }
        return 1;
    }
    std::uint8_t missing[kFormationSlotCount];
    int missingCount = 0;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        const std::uint8_t entry = from->MemberMap(slot);
        if (!isMember(entry)) continue;
        bool inTarget = false;
        for (int t = 0; t < kFormationSlotCount; ++t) inTarget |= to->MemberMap(t) == entry;
        if (!inTarget) missing[missingCount++] = entry;
    }
    int next = 0;
    for (int slot = 0; slot < kFormationSlotCount && next < missingCount; ++slot) {
        if (!isMember(to->MemberMap(slot))) to->SetMemberMap(slot, missing[next++]);
    }
    return 1;
}

int RebuildAllFormations(TroopCursor& troop) {
    const std::uint8_t current = troop.GetCurrentFormation();
    if (current >= kTroopFormationCount) return 0;
    for (int f = 0; f < kTroopFormationCount; ++f) RebuildFormation(troop, current, f);
    return 1;
}

int HasAlternativeFormations(TroopCursor& troop) {
    for (int f = 1; f < kTroopFormationCount; ++f) {
        for (int slot = 0; slot < kFormationSlotCount; ++slot) {
            if (troop.GetFormationMember(f, slot) < kTroopMemberCount) return 1;
        }
    }
    return 0;
}

int BuildClassMoveCostTable(TroopCursor& troop, std::uint8_t out[29], int untouchedOnly,
                            std::uint16_t classMask) {
    if (classMask == 0) classMask = GetWord358(troop);
    WeaponKdCursor weapon(troop.GetTableDirectory());
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        TroopMember* member = SelectSlotUnit(troop, slot);
        if (!member) continue;
        // The option units move the unit cursor; read the member's weapons first.
        std::uint16_t weaponIds[kWeaponSlotCount];
        for (int w = 0; w < kWeaponSlotCount; ++w) weaponIds[w] = troop.GetWeaponId(w);
        for (int w = 0; w < kWeaponSlotCount; ++w) {
            if (!weapon.Select(weaponIds[w]) || member->Ammo(w) == 0) continue;
            if (untouchedOnly && member->FireCounter(w) != 0) continue;
            if (!(WeaponClassBit(weapon.GetWeaponType()) & classMask)) continue;
            if (!troop.UnitInfoCursor::Select(weapon.GetOptionUnit())) continue;
            if (troop.GetUnitKind() == kNoUnitKind) continue;
            for (int t = 0; t < kTerrainCount; ++t) {
                const std::uint8_t cost = troop.UnitInfoCursor::GetMoveCost(member->Pack(), t);
                out[t] = cost == 255 ? 0 : cost;
            }
        }
    }
    return 0;
}

std::uint8_t GetBaseTerrainMoveCost(TroopCursor& troop, int mode) {
    const int terrain = BaseTerrainOf(troop);
    int result = -1;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        TroopMember* member = SelectSlotUnit(troop, slot);
        if (!member) continue;
        if (!troop.MvcostKdCursor::Select(troop.GetMoveCostKind())) return 255;
        const int cost = troop.UnitInfoCursor::GetMoveCost(member->Pack(), terrain);
        if (cost == 0 || cost == 255) return 255;
        if (result < 0 || (mode ? cost > result : cost < result)) result = cost;
    }
    return result < 0 ? 255 : static_cast<std::uint8_t>(result);
}

std::uint16_t GetFuelRangeSteps(TroopCursor& troop, std::uint16_t* largest) {
    const int terrain = BaseTerrainOf(troop);
    std::uint16_t most = 0;
    std::uint16_t least = 0xFFFF;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        const std::uint8_t cost = troop.UnitInfoCursor::GetMoveCost(member.Pack(), terrain);
        if (cost == 0 || cost == 255) {
            least = 0;
            return;
        }
        const auto steps = static_cast<std::uint16_t>(troop.GetPackFuel(member.Pack()) / cost);
        most = std::max(most, steps);
        least = std::min(least, steps);
    });
    *largest = most;
    return least;
}

int CanRearmAtSite(TroopCursor& troop, SiteCursor& sites, std::uint8_t country, std::uint16_t site,
                   std::uint16_t unit, std::int32_t* price) {
    if (site == 0xFFFF || unit == 0xFFFF) return 0;
    if (!sites.Select(site) || !troop.UnitInfoCursor::Select(unit)) return 0;
    if (sites.GetOwner() != country || sites.GetSupplied() == 0) return 0;
    const std::uint8_t kind = sites.GetKind();
    if (kind >= kSiteKindCount) return 0;
    LandKindCursor land(troop.GetTableDirectory());
    if (!land.Select(kFirstSiteClass + kind)) return 0;
    bool found = false;
    const std::uint8_t kindType = KindTypeOfUnit(troop, found);
    if (!found || kindType >= 16) return 0;
    if (!(land.GetSupplyFlag() & (1u << kindType))) return 0;
    *price = troop.GetPrice();
    return 1;
}

int CanRearmMembersAtSite(TroopCursor& troop, SiteCursor& sites, std::uint16_t site) {
    const std::uint8_t country = troop.GetCountry();
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        TroopMember* member = SelectSlotUnit(troop, slot);
        if (!member) continue;
        int fuelledPacks = 0;
        for (int p = 0; p < kPackCount; ++p) fuelledPacks += troop.GetPackFuel(p) != 0;
        std::int32_t price = 0;
        if (fuelledPacks > 1 &&
            CanRearmAtSite(troop, sites, country, site, static_cast<std::uint16_t>(member->Unit()),
                           &price)) {
            return 1;
        }
    }
    return 0;
}

std::uint8_t GetActivityCode(TroopCursor& troop) {
    if (troop.GetStateFlags() & kTroopCarrying) return 1;
    const std::uint16_t actions = troop.GetOrder();
    if (actions & kActionAttack) return 2;
    if (actions & kActionOccupy) return 3;
    if (actions & kActionSupply) return 4;
    return troop.GetDestination() == kNoHex ? 5 : 0;
}

std::uint16_t FindFreeLaunchSlot(TroopCursor& troop) {
    const std::uint16_t saved = troop.GetIndex();
    std::uint16_t found = kNoTroop;
    for (std::uint16_t t = kMapTroopCount; t < kTroopTableLimit; ++t) {
        if (!troop.Select(t)) continue;
        const TroopRecord* r = troop.GetRecord();
        bool hasMember = false;
        for (int slot = 0; slot < kFormationSlotCount && !hasMember; ++slot) {
            hasMember = r->SlotMember(slot) != nullptr;
        }
        if (!r->IsUsed() || !hasMember) {
            found = t;
            break;
        }
    }
    troop.Select(saved);
    return found;
}

}  // namespace zv::rules
