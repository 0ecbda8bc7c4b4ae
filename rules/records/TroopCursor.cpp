#include "rules/records/TroopCursor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "rules/context/RuleHelpers.h"

namespace zv::rules {

TroopCursor::TroopCursor(TableDirectory& tables, TableId troopTable)
    : UnitKindCursor(tables),
      MvcostKdCursor(tables),
      DefencDkCursor(tables),
      ActionKdCursor(tables),
      UnitInfoCursor(tables),
      tables_(&tables),
      troopTable_(troopTable),
      record_(TroopAt(tables.GetTableBase(troopTable), 0)) {}

TroopRecord* TroopCursor::GetRecord() {
    return record_;
}

int TroopCursor::Select(std::uint16_t n) {
    if (n == kNoTroop || n >= tables_->GetTableRecordCount(troopTable_)) return 0;
    index_ = n;
    record_ = TroopAt(tables_->GetTableBase(troopTable_), n);
    return 1;
}

std::uint16_t TroopCursor::GetIndex() const {
    return index_;
}

std::uint16_t TroopCursor::GetTableLimit() const {
    return kTroopTableLimit;
}

void TroopCursor::ResetCurrentTroop() {
    GetRecord()->Reset();
    std::memset(name_, 0, sizeof name_);
}

void TroopCursor::ResetAllTroops() {
    const std::uint16_t limit = GetTableLimit();
    for (std::uint16_t t = 0; t < limit; ++t) {
        if (Select(t)) ResetCurrentTroop();
    }
}

const char* TroopCursor::GetName() {
    std::memcpy(name_, GetRecord()->NameBytes(), TroopRecord::kNameSize);
    name_[TroopRecord::kNameSize] = '\0';
    return name_;
}

void TroopCursor::SetName(const char* name) {
    std::size_t n = 0;
    while (n < TroopRecord::kNameSize && name[n] != '\0') ++n;
    GetRecord()->SetText(TroopRecord::kName, TroopRecord::kNameSize, std::string_view(name, n));
}

std::int16_t TroopCursor::GetMemberUnit(int slot) {
    const TroopMember* m = GetRecord()->SlotMember(slot);
    return m ? m->Unit() : kNoUnit;
}

#define ZV_MEMBER_FIELD(Getter, Setter, Type, Read, Write)               \
    Type TroopCursor::Getter(int slot) {                                 \
        const TroopMember* m = GetRecord()->SlotMember(slot);            \
        return m ? m->Read() : Type{0};                                  \
    }                                                                    \
    void TroopCursor::Setter(int slot, Type v) {                         \
        if (TroopMember* m = GetRecord()->SlotMember(slot)) m->Write(v); \
    }

ZV_MEMBER_FIELD(GetMemberStrength, SetMemberStrength, std::uint8_t, Strength, SetStrength)
ZV_MEMBER_FIELD(GetMemberDurability, SetMemberDurability, std::uint8_t, Durability, SetDurability)
ZV_MEMBER_FIELD(GetMemberFuel, SetMemberFuel, std::uint16_t, Fuel, SetFuel)
ZV_MEMBER_FIELD(GetMemberSpare6, SetMemberSpare6, std::uint16_t, Spare6, SetSpare6)
ZV_MEMBER_FIELD(GetMemberPack, SetMemberPack, std::uint8_t, Pack, SetPack)
#undef ZV_MEMBER_FIELD

#define ZV_MEMBER_ARRAY(Getter, Setter, Read, Write)                        \
    std::uint8_t TroopCursor::Getter(int slot, int i) {                     \
        const TroopMember* m = GetRecord()->SlotMember(slot);               \
        return m ? m->Read(i) : std::uint8_t{0};                            \
    }                                                                       \
    void TroopCursor::Setter(int slot, int i, std::uint8_t v) {             \
        if (TroopMember* m = GetRecord()->SlotMember(slot)) m->Write(i, v); \
    }

ZV_MEMBER_ARRAY(GetMemberAmmo, SetMemberAmmo, Ammo, SetAmmo)
ZV_MEMBER_ARRAY(GetMemberWeaponByte16, SetMemberWeaponByte16, FireCounter, SetFireCounter)
ZV_MEMBER_ARRAY(GetMemberByte22, SetMemberByte22, Attack, SetAttack)
ZV_MEMBER_ARRAY(GetMemberByte24, SetMemberByte24, Defence, SetDefence)
#undef ZV_MEMBER_ARRAY

void TroopCursor::SetMemberRecord(int slot, const TroopMember& member) {
    if (TroopMember* m = GetRecord()->SlotMember(slot)) *m = member;
}

int TroopCursor::HasMembers() {
    const TroopRecord* r = GetRecord();
    if (!r->IsUsed()) return 0;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        if (r->SlotMember(slot)) return 1;
    }
    return 0;
}

int TroopCursor::IsOnMap() {
    const TroopRecord* r = GetRecord();
    const std::uint16_t flags = r->Flags();
    if (!(flags & kTroopOnMap) || (flags & kTroopAboard)) return 0;
    const std::uint16_t hex = r->Hex();
    return (hex & 0xFF) < 64 && (hex >> 8) < 64;
}

int TroopCursor::TestCountryMask(std::uint8_t c) {
    if (AreCountriesAllied(*tables_, c, GetCountry())) return 1;
    const std::uint16_t mask = GetMask28();
    if (c < 16 && ((mask >> c) & 1)) return 1;
    return c + 4 < 16 && ((mask >> (c + 4)) & 1);
}

int TroopCursor::IsAlliedWith(std::uint8_t c) {
    return AreCountriesAllied(*tables_, c, GetCountry());
}

int TroopCursor::IsSameSide(std::uint8_t c) {
    return c == GetCountry() || AreCountriesAllied(*tables_, c, GetCountry());
}

std::string TroopCursor::GetStatusText(int flag, std::uint8_t localCountry) {
    static const char* const kActionWords[16] = {
        "待機中", "移動中", "攻撃中", "射撃中", "占領中", "補給中", "搭乗中", "発進中",
        "爆撃中", "変形中", "武装中", "分離中", "解散中", "支援中", "帰還中", "搭乗待",
    };
    const TroopRecord* r = GetRecord();
    const std::uint16_t actions = r->ActionFlags();
    const bool destinationSet = (r->Destination() & 0xFF) != 0xFF;
    if (actions == 0 && !destinationSet && flag == 0) {
        const std::uint16_t flags = r->Flags();
        if (flags & kTroopCarrying) return "搭載中";
        if (flags & kTroopAboard) {
            // The carrier's number within the local player's forty troops, as a byte.
            const auto number = static_cast<std::uint8_t>(r->Carrier() - 40 * localCountry + 1);
            char text[32];
            std::snprintf(text, sizeof text, "搭乗中(%03d)", number);
            return text;
        }
        if (flags & kTroopReinforcement) return "援軍要請";
        return "待機中";
    }
    for (int bit = 0; bit < 16; ++bit) {
        if (actions & (1u << bit)) return kActionWords[bit];
    }
    return destinationSet ? "移動中" : "待機中";
}

int TroopCursor::FirstSelectableSlot() {
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        const TroopMember* m = GetRecord()->SlotMember(slot);
        if (m && UnitInfoCursor::Select(m->Unit())) return slot;
    }
    return -1;
}

std::uint8_t TroopCursor::RefreshAltitudeClass() {
    if (FirstSelectableSlot() >= 0)
        GetRecord()->SetAltitudeClass(UnitInfoCursor::GetAltitudeClass());
    return GetRecord()->AltitudeClass();
}

int TroopCursor::CountTroopsByAltitude(std::uint8_t country, std::uint8_t altitudeClass) {
    const std::uint16_t saved = GetIndex();
    int count = 0;
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        if (!Select(t)) continue;
        const TroopRecord* r = GetRecord();
        if (!r->IsUsed()) continue;
        if (country != 5 && r->Country() != country) continue;
        if (altitudeClass != 0xFF && RefreshAltitudeClass() != altitudeClass) continue;
        ++count;
    }
    Select(saved);
    return count;
}

std::uint16_t TroopCursor::SumCapableMembers() {
    std::uint32_t sum = 0;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        const TroopMember* m = GetRecord()->SlotMember(slot);
        if (!m || !UnitInfoCursor::Select(m->Unit())) continue;
        if (UnitInfoCursor::GetCapabilityFlags(m->Pack()) & 0x001) {
            sum += UnitInfoCursor::GetCarryWeightTotal();
        }
    }
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t TroopCursor::FindCarriedTroop(std::uint16_t carrier, std::uint16_t n) {
    const std::uint8_t country = GetCountry();
    std::uint16_t found = kNoTroop;
    std::uint16_t seen = 0;
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        if (!Select(t)) continue;
        const TroopRecord* r = GetRecord();
        if (!r->IsUsed() || FirstSelectableSlot() < 0) continue;
        if (r->Country() != country || r->Carrier() != carrier) continue;
        if (seen++ == n) {
            found = t;
            break;
        }
    }
    Select(carrier);
    return found;
}

std::uint16_t TroopCursor::FindCarriedTroopOfCurrent(std::uint16_t n) {
    return FindCarriedTroop(GetIndex(), n);
}

namespace {

struct Hold {
    std::uint16_t capacity;
    std::uint16_t used;
    std::uint8_t classMask;
    std::uint8_t member;
    int Free() const { return static_cast<int>(capacity) - static_cast<int>(used); }
};

struct Item {
    std::uint16_t weight;
    std::uint8_t classMask;
    std::uint8_t member;
    bool ofPassenger;
    int hold = -1;  // index into the holds as first listed
};

}  // namespace

int TroopCursor::TryLoadOnto(std::uint16_t carrier, std::uint16_t passenger, int commit) {
    const std::uint16_t saved = GetIndex();
    if (!Select(carrier)) {
        Select(saved);
        return 0;
    }
    const std::uint8_t country = GetCountry();

    std::vector<Hold> holds;
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        const TroopMember* m = GetRecord()->SlotMember(slot);
        if (!m || !UnitInfoCursor::Select(m->Unit())) continue;
        holds.push_back({UnitInfoCursor::GetCarryWeightTotal(), 0,
                         UnitInfoCursor::GetPackLoadFlags(m->Pack()),
                         GetRecord()->Formation(GetRecord()->CurrentFormation()).MemberMap(slot)});
    }

    std::vector<Item> items;
    auto addItems = [&](bool ofPassenger) {
        const TroopRecord* r = GetRecord();
        for (int slot = 0; slot < kFormationSlotCount; ++slot) {
            const TroopMember* m = r->SlotMember(slot);
            if (!m || !UnitInfoCursor::Select(m->Unit())) continue;
            items.push_back({UnitInfoCursor::GetWeight(), UnitInfoCursor::GetLoadableFlags(),
                             r->Formation(r->CurrentFormation()).MemberMap(slot), ofPassenger});
        }
    };
    if (Select(passenger)) addItems(true);
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        if (!Select(t)) continue;
        const TroopRecord* r = GetRecord();
        if (!r->IsUsed() || r->Country() != country || r->Carrier() != carrier) continue;
        if (FirstSelectableSlot() < 0) continue;
        addItems(false);
    }

    // Heaviest first; equal weights keep their order.
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.weight > b.weight; });
    std::vector<int> order(holds.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    bool allPlaced = true;
    for (Item& item : items) {
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return holds[a].Free() > holds[b].Free(); });
        int chosen = -1;
        for (int h : order) {
            if ((holds[h].classMask & item.classMask) && holds[h].Free() == item.weight) {
                chosen = h;
                break;
            }
        }
        if (chosen < 0) {
            for (int h : order) {
                if ((holds[h].classMask & item.classMask) && holds[h].Free() >= item.weight) {
                    chosen = h;
                    break;
                }
            }
        }
        if (chosen < 0) {
            allPlaced = false;
            continue;
        }
        holds[chosen].used = static_cast<std::uint16_t>(holds[chosen].used + item.weight);
        item.hold = chosen;
    }

    const int result = allPlaced ? 1 : 0;
    if (commit && result && Select(passenger)) {
        SetCarrier(carrier);
        for (const Item& item : items) {
            if (item.ofPassenger && item.hold >= 0 && item.member < kTroopMemberCount) {
                GetRecord()->Member(item.member).SetCarrierMember(holds[item.hold].member);
            }
        }
    }
    Select(saved);
    return result;
}

bool TroopCursor::HasEmptyHoldsFor(std::uint16_t carrier, std::uint16_t passenger) {
    const std::uint16_t saved = GetIndex();
    struct EmptyHold {
        std::uint16_t capacity;
        std::uint8_t classMask;
    };
    EmptyHold holds[kFormationSlotCount];
    int holdCount = 0;
    bool fits = Select(carrier);
    if (fits) {
        for (int slot = 0; slot < kFormationSlotCount; ++slot) {
            const TroopMember* m = GetRecord()->SlotMember(slot);
            if (!m || !UnitInfoCursor::Select(m->Unit())) continue;
            holds[holdCount++] = {UnitInfoCursor::GetCarryWeightTotal(),
                                  UnitInfoCursor::GetPackLoadFlags(m->Pack())};
        }
    }
    if (fits && Select(passenger)) {
        for (int slot = 0; slot < kFormationSlotCount && fits; ++slot) {
            const TroopMember* m = GetRecord()->SlotMember(slot);
            if (!m || !UnitInfoCursor::Select(m->Unit())) continue;
            const std::uint16_t weight = UnitInfoCursor::GetWeight();
            const std::uint8_t classMask = UnitInfoCursor::GetLoadableFlags();
            bool found = false;
            for (int h = 0; h < holdCount && !found; ++h) {
                found = (holds[h].classMask & classMask) && holds[h].capacity >= weight;
            }
            fits = found;
        }
    }
    Select(saved);
    return fits;
}

}  // namespace zv::rules
