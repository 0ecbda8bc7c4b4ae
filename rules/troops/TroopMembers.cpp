#include "rules/troops/TroopMembers.h"

#include <algorithm>
#include <cstring>

#include "rules/records/RuleRecords.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules {

namespace {

constexpr std::uint8_t kHqUnitKind = 101;

// The current formation, or null when the stored byte names none.
TroopFormation* CurrentFormation(TroopRecord* record) {
    const std::uint8_t f = record->CurrentFormation();
    return f < kTroopFormationCount ? &record->Formation(f) : nullptr;
}

bool ValidSlot(int slot) {
    return slot >= 0 && slot < kFormationSlotCount;
}

// The member a slot of the current formation maps to (present or not), or null.
TroopMember* MappedMember(TroopRecord* record, int slot) {
    TroopFormation* formation = CurrentFormation(record);
    if (!formation || !ValidSlot(slot)) return nullptr;
    const std::uint8_t m = formation->MemberMap(slot);
    return m < kTroopMemberCount ? &record->Member(m) : nullptr;
}

// Full strength, durability, fuel and ammunition of the unit the cursor holds.
void FillFromUnit(TroopCursor& troop, TroopMember& member, std::int16_t unit) {
    const std::uint8_t maxStrength = troop.GetMaxStrength();
    member.SetUnit(unit);
    member.SetStrength(maxStrength);
    member.SetDurability(static_cast<std::uint8_t>(troop.GetDurabilityPerUnit() * maxStrength));
    member.SetSpare6(0);
    const std::uint8_t pack = troop.GetDefaultPack();
    member.SetPack(pack);
    member.SetFuel(troop.GetPackFuel(pack));
    for (int w = 0; w < kWeaponSlotCount; ++w) {
        member.SetAmmo(w, troop.GetPackAmmo(pack, w));
        member.SetFireCounter(w, 0);
    }
}

void RefillToPack(TroopCursor& troop, TroopMember& member, std::uint8_t pack) {
    member.SetPack(pack);
    member.SetFuel(troop.GetPackFuel(pack));
    for (int w = 0; w < kWeaponSlotCount; ++w) {
        member.SetAmmo(w, troop.GetPackAmmo(pack, w));
        member.SetFireCounter(w, 0);
    }
}

// Fixed order fields of a new troop, as the creators write them.
void ResetOrderFields(TroopRecord* r) {
    r->SetU8(TroopRecord::kMoveDelay, 0);
    r->SetU8(TroopRecord::kSpare328, 0);
    r->SetU8(TroopRecord::kActionCounter, 0);
    r->SetCarrier(kNoTroop);
    for (int i = 0; i < 8; ++i) r->SetU8(TroopRecord::kSpareList + i, 0xFF);
    r->SetU8(TroopRecord::kOrderKind, 0);
    r->SetU16(TroopRecord::kActionFlags, 0);
    r->SetU16(TroopRecord::kTarget, 0xFFFF);
    r->SetU16(TroopRecord::kDestination, kNoHex);
    r->SetU8(TroopRecord::kOrderPhase, 0);
    for (int i = 0; i < 4; ++i) r->SetU16(TroopRecord::kWaypoints + 2 * i, kNoHex);
    r->SetFlags(static_cast<std::uint16_t>(r->Flags() & ~kTroopSelectionMark));
    r->SetU16(TroopRecord::kWeaponSelection, 0);
}

// Restores the selection a count found when it ends.
class SelectionGuard {
  public:
    explicit SelectionGuard(TroopCursor& troop) : troop_(troop), saved_(troop.GetIndex()) {}
    ~SelectionGuard() {
        if (restore_) troop_.Select(saved_);
    }
    void Keep() { restore_ = false; }

  private:
    TroopCursor& troop_;
    std::uint16_t saved_;
    bool restore_ = true;
};

bool MatchesCountry(const TroopRecord* r, std::uint8_t country) {
    return country == 5 || r->Country() == country;
}

void CountByAltitude(TroopCursor& troop, std::uint16_t out[6], bool withFlag8000) {
    std::fill(out, out + 6, std::uint16_t{0});
    SelectionGuard guard(troop);
    const std::uint16_t limit = troop.GetTableLimit();
    for (std::uint16_t t = 0; t < limit; ++t) {
        if (!troop.Select(t) || !troop.GetRecord()->IsUsed()) continue;
        const bool flagged = (troop.GetStateFlags() & kTroopTemplate) != 0;
        if (flagged != withFlag8000) continue;
        const std::uint8_t altitude = troop.RefreshAltitudeClass();
        // A class outside 1-6 has no counter.
        if (altitude >= 1 && altitude <= 6) ++out[altitude - 1];
    }
}

}  // namespace

TroopMember* SelectSlotUnit(TroopCursor& troop, int slot) {
    TroopMember* member = troop.GetRecord()->SlotMember(slot);
    if (!member || !troop.UnitInfoCursor::Select(member->Unit())) return nullptr;
    return member;
}

void SetMemberUnitId(TroopCursor& troop, int slot, std::int16_t unit) {
    TroopRecord* r = troop.GetRecord();
    TroopFormation* formation = CurrentFormation(r);
    if (!formation || !ValidSlot(slot)) return;
    if (TroopMember* mapped = MappedMember(r, slot)) {
        mapped->SetUnit(unit);
        return;
    }
    if (unit == kNoUnit) return;
    // Map entries 6-254 come only from damaged records; they count as empty like 0xFF.
    for (int m = 0; m < kTroopMemberCount; ++m) {
        if (r->Member(m).Unit() == kNoUnit) {
            formation->SetMemberMap(slot, static_cast<std::uint8_t>(m));
            r->Member(m).SetUnit(unit);
            return;
        }
    }
}

int SetMemberUnit(TroopCursor& troop, int slot, std::int16_t unit) {
    if (unit == kNoUnit || !troop.UnitInfoCursor::Select(unit)) return 0;
    TroopRecord* r = troop.GetRecord();
    if (!CurrentFormation(r) || !ValidSlot(slot)) return 0;
    SetMemberUnitId(troop, slot, unit);
    TroopMember* member = MappedMember(r, slot);
    if (!member || member->Unit() != unit) return 0;  // every member already in use
    FillFromUnit(troop, *member, unit);
    RefreshCarryCapacity(troop);
    return 1;
}

void SetMemberPackRefill(TroopCursor& troop, int slot, std::uint8_t pack) {
    TroopMember* member = MappedMember(troop.GetRecord(), slot);
    // The pack's values belong to the member's unit; without it there is nothing to refill to.
    if (!member || !troop.UnitInfoCursor::Select(member->Unit())) return;
    RefillToPack(troop, *member, pack);
}

int RemoveMember(TroopCursor& troop, int slot) {
    TroopRecord* r = troop.GetRecord();
    TroopMember* member = MappedMember(r, slot);
    if (!member || member->Unit() == kNoUnit) return 0;
    member->SetUnit(kNoUnit);
    member->SetStrength(0);
    member->SetDurability(0);
    member->SetFuel(0);
    member->SetSpare6(0);
    member->SetPack(0);
    for (int w = 0; w < kWeaponSlotCount; ++w) {
        member->SetAmmo(w, 0);
        member->SetFireCounter(w, 0);
    }

    // Keep the icon while a remaining member still shows it, else take the first one's.
    bool keep = false;
    int first = -1;
    for (int m = 0; m < kTroopMemberCount && !keep; ++m) {
        if (!troop.UnitInfoCursor::Select(r->Member(m).Unit())) continue;
        const std::uint8_t icon = troop.GetKindByte29();
        if (first < 0) first = icon;
        keep = icon == troop.GetWord382();
    }
    if (!keep && first >= 0) troop.SetWord382(static_cast<std::uint16_t>(first));

    CurrentFormation(r)->SetMemberMap(slot, kEmptyMapEntry);
    RefreshCarryCapacity(troop);
    return 1;
}

int SwapFormationSlots(TroopCursor& troop, int i, int j) {
    TroopFormation* formation = CurrentFormation(troop.GetRecord());
    if (!formation || !ValidSlot(i) || !ValidSlot(j)) return 0;
    const std::uint8_t entry = formation->MemberMap(i);
    formation->SetMemberMap(i, formation->MemberMap(j));
    formation->SetMemberMap(j, entry);
    return 1;
}

namespace {

// Rebuilds the move-cost table; true when some member's unit selected, the cursor then being on
// the last of them.
bool RefreshMoveCosts(TroopCursor& troop) {
    std::uint8_t table[kMoveCostClasses];
    std::fill(table, table + kMoveCostClasses, std::uint8_t{255});
    bool anySelected = false;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        anySelected = true;
        for (int k = 0; k < kMoveCostClasses; ++k) {
            const std::uint8_t cost = troop.UnitInfoCursor::GetMoveCost(member.Pack(), k);
            if (cost == 0 || cost == 255) {
                table[k] = 0;
            } else if (table[k] == 255) {
                table[k] = cost;
            } else if (table[k] != 0 && cost > table[k]) {
                table[k] = cost;
            }
        }
    });
    TroopRecord* r = troop.GetRecord();
    for (int k = 0; k < kMoveCostClasses; ++k) {
        r->SetU8(TroopRecord::kMoveCosts + k, table[k] == 255 ? 0 : table[k]);
    }
    return anySelected;
}

}  // namespace

void RefreshMoveCostTable(TroopCursor& troop) {
    RefreshMoveCosts(troop);
}

void RefreshCarryCapacity(TroopCursor& troop) {
    // The capacity is that of the unit the refresh left selected: the last member in slot
    // order whose unit selects. Without one it is 0, never a unit of another troop.
    const bool anySelected = RefreshMoveCosts(troop);
    troop.SetCarryCapacity(anySelected ? troop.GetCarryWeightTotal() : 0);
}

int CreateTroopFromUnits(TroopCursor& troop, const std::int16_t units[kTroopMemberCount],
                         std::uint8_t country, std::uint8_t slotByte, std::uint16_t hex,
                         const char* name) {
    TroopRecord* r = troop.GetRecord();
    troop.SetName(name ? name : "");
    r->SetSlotByte(slotByte);
    r->SetHex(hex);
    r->SetCountry(country);
    r->SetVisibility(0);
    r->SetFlags(0);
    r->SetU8(TroopRecord::kCurrentFormation, 0);
    for (int f = 0; f < kTroopFormationCount; ++f) r->Formation(f).Reset(f);
    for (int j = 0; j < kTroopMemberCount; ++j) {
        const std::int16_t unit = units[j];
        if (unit == kNoUnit || !troop.UnitInfoCursor::Select(unit)) continue;
        r->Formation(0).SetMemberMap(j, static_cast<std::uint8_t>(j));
        FillFromUnit(troop, r->Member(j), unit);
        r->SetAltitudeClass(troop.UnitInfoCursor::GetAltitudeClass());
    }
    ResetOrderFields(r);
    RefreshCarryCapacity(troop);
    r->SetU16(TroopRecord::kOrderValue, 0);
    r->SetU8(TroopRecord::kGiveWay, 0);
    r->SetU8(TroopRecord::kSpare416, 0);
    return 1;
}

int CreateTroopWithoutCountry(TroopCursor& troop, const std::int16_t units[kTroopMemberCount],
                              std::uint8_t slotByte, const char* name) {
    return CreateTroopFromUnits(troop, units, 5, slotByte, kNoHex, name);
}

int CreateTroop(TroopCursor& troop, const char* name, std::uint8_t altitudeClass,
                std::uint8_t slotByte) {
    troop.SetName(name ? name : "");
    troop.SetSlotByte(slotByte);
    troop.SetTroopAltitudeClass(altitudeClass);
    RefreshCarryCapacity(troop);
    return 1;
}

std::uint16_t FindFreeTroopSlot(TroopCursor& troop, std::uint8_t country) {
    std::uint16_t first = 0;
    std::uint16_t end = troop.GetTableLimit();
    if (country <= 3) {
        first = static_cast<std::uint16_t>(kTroopsPerCountry * country);
        end = std::min<std::uint16_t>(end, static_cast<std::uint16_t>(first + kTroopsPerCountry));
    } else if (country != 5) {
        return kNoTroop;  // neither a country nor "any": no block of troops belongs to it
    }
    for (std::uint16_t t = first; t < end; ++t) {
        if (!troop.Select(t)) continue;
        const TroopRecord* r = troop.GetRecord();
        if (r->SlotByte() == kUnusedSlotByte && r->Country() == 0xFF) return t;
    }
    return kNoTroop;
}

void CopyRecordIn(TroopCursor& troop, const TroopRecord& source) {
    std::memcpy(troop.GetRecord()->data(), source.data(), kTroopRecordSize);
}

int IsAltitudeClass3(TroopCursor& troop) {
    return troop.RefreshAltitudeClass() == 3 ? 1 : 0;
}

int TroopsHaveSameAltitudeClass(TableDirectory& tables, std::uint16_t a, std::uint16_t b,
                                TableId troopTable) {
    TroopCursor troop(tables, troopTable);
    if (!troop.Select(a)) return 0;
    const std::uint8_t classA = troop.RefreshAltitudeClass();
    if (!troop.Select(b)) return 0;
    return troop.RefreshAltitudeClass() == classA ? 1 : 0;
}

const std::uint8_t* GetMoveCostTable(TroopCursor& troop) {
    RefreshMoveCostTable(troop);
    return troop.GetRecord()->data() + TroopRecord::kMoveCosts;
}

std::uint8_t GetMoveCost(TroopCursor& troop, int terrainClass) {
    RefreshMoveCostTable(troop);
    if (terrainClass < 0 || terrainClass >= kMoveCostClasses) return 0;
    return troop.GetRecord()->U8(TroopRecord::kMoveCosts + terrainClass);
}

std::uint8_t GetMemberMoveCost(TroopCursor& troop, int slot, int terrainClass) {
    TroopMember* member = SelectSlotUnit(troop, slot);
    if (!member || !troop.MvcostKdCursor::Select(troop.GetMoveCostKind())) return 0;
    return troop.UnitInfoCursor::GetMoveCost(member->Pack(), terrainClass);
}

int CountMembers(TroopCursor& troop) {
    int count = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) { ++count; });
    return count;
}

std::uint32_t SumMemberWeight(TroopCursor& troop) {
    std::uint32_t sum = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) { sum += troop.GetWeight(); });
    return sum;
}

std::int32_t SumMemberValueA(TroopCursor& troop) {
    std::int32_t sum = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) { sum += troop.GetPrice(); });
    return sum;
}

std::int32_t SumMemberValueB(TroopCursor& troop) {
    std::int32_t sum = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        const std::int32_t price = troop.GetPrice();
        sum += price + price * 30 / 100;
    });
    return sum;
}

std::uint32_t GetTotalDurability(TroopCursor& troop) {
    std::uint32_t sum = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        sum += static_cast<std::uint32_t>(troop.GetDurabilityPerUnit()) * troop.GetMaxStrength();
    });
    return sum;
}

std::uint32_t GetTotalMemberDurability(TroopCursor& troop) {
    std::uint32_t sum = 0;
    ForEachPresentMember(troop, [&](int, TroopMember& member) { sum += member.Durability(); });
    return sum;
}

std::uint16_t GetMinMemberFuel(TroopCursor& troop) {
    std::uint16_t least = 0xFFFE;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        if (const TroopMember* member = troop.GetRecord()->SlotMember(slot)) {
            least = std::min(least, member->Fuel());
        }
    }
    return least;
}

std::uint16_t GetMinMemberPackFuel(TroopCursor& troop) {
    std::uint16_t least = 0xFFFE;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        least = std::min(least, troop.GetPackFuel(member.Pack()));
    });
    return least;
}

std::uint8_t GetMeanDefenceRate(TroopCursor& troop, int category) {
    std::uint32_t sum = 0;
    std::uint32_t count = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        sum += troop.UnitInfoCursor::GetDefenceRate(category);
        ++count;
    });
    return count ? static_cast<std::uint8_t>(sum / count) : 0;
}

std::uint8_t GetMaxDefenceRate(TroopCursor& troop, int category) {
    std::uint8_t best = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        best = std::max(best, troop.UnitInfoCursor::GetDefenceRate(category));
    });
    return best;
}

std::uint8_t GetMinDefenceRate(TroopCursor& troop, int category) {
    int least = -1;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        const int rate = troop.UnitInfoCursor::GetDefenceRate(category);
        if (least < 0 || rate < least) least = rate;
    });
    return least < 0 ? 0 : static_cast<std::uint8_t>(least);
}

namespace {

// Calls fn(hitRate) for every weapon of every member whose pack ammunition is not 0; with
// option 1 a member with a transformation unit is judged by that unit's weapons and packs.
template <typename Fn>
void ForEachMemberWeaponHitRate(TroopCursor& troop, int category, int option, Fn&& fn) {
    WeaponKdCursor weapon(troop.GetTableDirectory());
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        if (option == 1) {
            const std::uint16_t transform = troop.GetTransformUnit();
            if (transform != 0xFFFF) troop.UnitInfoCursor::Select(transform);
        }
        for (int w = 0; w < kWeaponSlotCount; ++w) {
            if (troop.GetPackAmmo(member.Pack(), w) == 0) continue;
            if (!weapon.Select(troop.GetWeaponId(w))) continue;
            fn(weapon.GetHitRate(category));
        }
    });
}

}  // namespace

std::uint8_t GetBestMemberHitRate(TroopCursor& troop, int category, int option) {
    std::uint8_t best = 0;
    ForEachMemberWeaponHitRate(troop, category, option,
                               [&](std::uint8_t rate) { best = std::max(best, rate); });
    return best;
}

std::uint16_t GetLowestMemberHitRate(TroopCursor& troop, int category, int option) {
    std::uint16_t least = 0xFFFE;
    ForEachMemberWeaponHitRate(troop, category, option, [&](std::uint8_t rate) {
        if (rate != 0 && rate < least) least = rate;
    });
    return least;
}

std::uint8_t GetMeanBestHitRate(TroopCursor& troop, int category) {
    WeaponKdCursor weapon(troop.GetTableDirectory());
    std::uint32_t sum = 0;
    std::uint32_t count = 0;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        std::uint8_t best = 0;
        for (int w = 0; w < kWeaponSlotCount; ++w) {
            if (troop.GetPackAmmo(member.Pack(), w) == 0) continue;
            if (!weapon.Select(troop.GetWeaponId(w))) continue;
            best = std::max(best, weapon.GetHitRate(category));
        }
        sum += best;
        ++count;
    });
    return count ? static_cast<std::uint8_t>(sum / count) : 0;
}

int CountHqMembers(TroopCursor& troop) {
    int count = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        if (troop.GetUnitKind() == kHqUnitKind) ++count;
    });
    return count;
}

int CountMembersOfClass6(TroopCursor& troop) {
    int count = 0;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        if (troop.UnitKindCursor::Select(troop.GetUnitKind()) && troop.GetClassFlags() == 6) {
            ++count;
        }
    });
    return count;
}

int AllMembersPass(TroopCursor& troop) {
    int pass = 1;
    ForEachPresentMember(troop, [&](int, TroopMember&) {
        if (troop.GetLoadableFlags() == 0) pass = 0;
    });
    return pass;
}

std::uint8_t GetMembersCarryMask(TroopCursor& troop) {
    std::uint8_t mask = 0;
    ForEachPresentMember(troop, [&](int, TroopMember& member) {
        if (troop.GetCarryWeightTotal() != 0) mask |= troop.GetPackLoadFlags(member.Pack());
    });
    return mask;
}

int ForEachMemberRefresh(TroopCursor& troop) {
    ForEachPresentMember(troop, [&](int, TroopMember&) { (void)troop.GetCarryWeightTotal(); });
    return 0;
}

int CountTroopsByCategory(TroopCursor& troop, std::uint8_t country, int category) {
    SelectionGuard guard(troop);
    int wanted = 0;
    switch (category) {
        case 2:
            wanted = 1;
            break;
        case 3:
        case 4:
            wanted = 2;
            break;
        case 5:
            wanted = 3;
            break;
        case 6:
            wanted = 4;
            break;
        default:
            wanted = 0;
            break;
    }
    int count = 0;
    const std::uint16_t limit = troop.GetTableLimit();
    for (std::uint16_t t = 0; t < limit; ++t) {
        if (!troop.Select(t)) continue;
        const TroopRecord* r = troop.GetRecord();
        if (!r->IsUsed() || !MatchesCountry(r, country)) continue;
        if (category == 7 || troop.RefreshAltitudeClass() == wanted) ++count;
    }
    return count;
}

int CountUsedTroops(TroopCursor& troop) {
    SelectionGuard guard(troop);
    int count = 0;
    const std::uint16_t limit = troop.GetTableLimit();
    for (std::uint16_t t = 0; t < limit; ++t) {
        if (troop.Select(t) && troop.GetRecord()->IsUsed()) ++count;
    }
    return count;
}

int CountTroopsWithKind101(TroopCursor& troop) {
    SelectionGuard guard(troop);
    const std::uint16_t limit = troop.GetTableLimit();
    for (std::uint16_t t = 0; t < limit; ++t) {
        if (!troop.Select(t) || !troop.GetRecord()->IsUsed()) continue;
        if (CountHqMembers(troop) > 0) {
            guard.Keep();
            return 1;
        }
    }
    return 0;
}

void CountTroopsByAltitudeFlag8000(TroopCursor& troop, std::uint16_t out[6]) {
    CountByAltitude(troop, out, true);
}

void CountTroopsByAltitudeNoFlag8000(TroopCursor& troop, std::uint16_t out[6]) {
    CountByAltitude(troop, out, false);
}

void CountMembersByAltitude(TroopCursor& troop, std::uint16_t out[6]) {
    std::fill(out, out + 6, std::uint16_t{0});
    SelectionGuard guard(troop);
    const std::uint16_t limit = troop.GetTableLimit();
    for (std::uint16_t t = 0; t < limit; ++t) {
        if (!troop.Select(t) || !troop.GetRecord()->IsUsed()) continue;
        const std::uint8_t altitude = troop.RefreshAltitudeClass();
        if (altitude < 1 || altitude > 6) continue;
        out[altitude - 1] = static_cast<std::uint16_t>(out[altitude - 1] + CountMembers(troop));
    }
}

}  // namespace zv::rules
