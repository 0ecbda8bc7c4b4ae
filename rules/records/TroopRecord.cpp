#include "rules/records/TroopRecord.h"

namespace zv::rules {

void TroopMember::Reset() {
    SetUnit(kNoUnit);
    SetStrength(0);
    SetDurability(0);
    SetFuel(0);
    SetSpare6(0);
    SetPack(0);
    for (int w = 0; w < 6; ++w) {
        SetAmmo(w, 0);
        SetFireCounter(w, 0);
    }
    for (int row = 0; row < 2; ++row) {
        SetAttack(row, 0xFF);
        SetDefence(row, 0xFF);
    }
}

void TroopFormation::SetNameBytes(const char* name) {
    std::size_t n = 0;
    while (n < kNameSize && name[n] != '\0') ++n;
    SetText(kName, kNameSize, std::string_view(name, n));
}

void TroopFormation::Reset(int f) {
    char name[] = "Type-A";
    name[5] = static_cast<char>('A' + f);
    SetNameBytes(name);
    for (int slot = 0; slot < kFormationSlotCount; ++slot) SetMemberMap(slot, kEmptyMapEntry);
    static constexpr std::uint8_t kDefaults[kSettingCount] = {0, 50, 50, 50, 50};
    for (int i = 0; i < kSettingCount; ++i) SetSetting(i, kDefaults[i]);
}

TroopMember* TroopRecord::SlotMember(int slot) {
    const std::uint8_t f = CurrentFormation();
    if (f >= kTroopFormationCount || slot < 0 || slot >= kFormationSlotCount) return nullptr;
    const std::uint8_t m = Formation(f).MemberMap(slot);
    if (m >= kTroopMemberCount) return nullptr;
    TroopMember& member = Member(m);
    return member.IsPresent() ? &member : nullptr;
}

const TroopMember* TroopRecord::SlotMember(int slot) const {
    return const_cast<TroopRecord*>(this)->SlotMember(slot);
}

void TroopRecord::Reset() {
    std::memset(data() + kName, 0, kNameSize);
    bytes[kSlotByte] = kUnusedSlotByte;
    bytes[kCountry] = 0xFF;
    SetHex(kNoHex);
    SetVisibility(0);
    SetFlags(0);
    bytes[kCommandByte] = 0;
    bytes[kAltitudeClass] = 0;
    for (int m = 0; m < kTroopMemberCount; ++m) Member(m).Reset();
    for (int f = 0; f < kTroopFormationCount; ++f) Formation(f).Reset(f);
    bytes[kCurrentFormation] = 0;
    bytes[kMoveDelay] = 0;
    bytes[kSpare328] = 0;
    bytes[kActionCounter] = 0;
    SetCarrier(kNoTroop);
    SetU16(kCarryCapacity, 0);
    std::memset(data() + kSpareList, 0xFF, 8);
    SetU16(kWeaponSelection, 0);
    bytes[kOrderKind] = 0;
    SetU16(kActionFlags, 0);
    SetU16(kTarget, 0xFFFF);
    SetU16(kDestination, kNoHex);
    for (int i = 0; i < 4; ++i) SetU16(kWaypoints + 2 * i, kNoHex);
    bytes[kOrderPhase] = 0;
    SetU16(kIcon, 0);
    SetU16(kOrderValue, 0);
    bytes[kSpare416] = 0;
    bytes[kGiveWay] = 0;
}

}  // namespace zv::rules
