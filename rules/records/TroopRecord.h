#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "rules/records/Bytes.h"

// One troop: the 418-byte record of table 9 (and 19), of a corps (inside a ForceRecord) and of
// map, save and corps files. The layout is a file and wire format.
namespace zv::rules {

inline constexpr std::size_t kTroopRecordSize = 418;
inline constexpr std::size_t kTroopMemberSize = 30;
inline constexpr std::size_t kTroopFormationSize = 28;
inline constexpr int kTroopMemberCount = 6;
inline constexpr int kTroopFormationCount = 4;
inline constexpr int kFormationSlotCount = 6;
inline constexpr int kMoveCostClasses = 29;

inline constexpr std::uint16_t kMapTroopCount = 160;  // troops 0-159 belong to the map
inline constexpr std::uint16_t kTroopTableLimit = 255;
inline constexpr std::uint16_t kTroopsPerCountry = 40;
inline constexpr std::uint16_t kNoTroop = 0xFFFF;
inline constexpr std::uint16_t kNoHex = 0xFFFF;
inline constexpr std::uint8_t kUnusedSlotByte = 0xFF;
inline constexpr std::uint8_t kEmptyMapEntry = 0xFF;
inline constexpr std::int16_t kNoUnit = -1;
// A troop heads for its four waypoints (kWaypoints) in turn; its order phase (byte 380) is the
// index of the one it heads for, and kToDestination once it heads for its destination.
inline constexpr int kTroopWaypointCount = 4;
inline constexpr std::uint8_t kToDestination = kTroopWaypointCount;

// Flag word at offset 30 (TroopCursor::GetStateFlags). Where the cursor's accessors carry the bit
// in their names (TestFlag8, SetFlag40, TestFlag4000, CountTroopsByAltitudeFlag8000), the bit is
// the one named here.
enum TroopFlag : std::uint16_t {
    kTroopOnMap = 0x0001,     // placed on the map
    kTroopAboard = 0x0002,    // aboard a carrier
    kTroopCarrying = 0x0004,  // carrying troops
    // Set and cleared by the map clicks and shown by the map view; cleared by the site and
    // production rounds (TestFlag8, SetFlag8, ClearFlag8).
    kTroopMapMark = 0x0008,
    // On the ground where it was supplied: set by a supply to a troop of altitude class 1 or 2
    // (or a low flyer), cleared when such a troop moves; a troop with it burns no idle fuel.
    kTroopGroundSupplied = 0x0010,
    // A radar that detects the troop reveals it as a sighting would; cleared when it moves.
    kTroopRadarVisible = 0x0020,
    kTroopSetupMark = 0x0040,      // set by the map clicks and the set-up pages (SetFlag40)
    kTroopPartInFlight1 = 0x0100,  // a launched part (troops 160-254) of this troop is in flight
    kTroopPartInFlight2 = 0x0200,
    kTroopPartInFlightB = 0x0400,  // a launched part of the second kind is in flight
    kTroopPartKindB = 0x0800,      // on a launched part: it is of the second kind
    kTroopLaunchedPart = 0x1000,   // the troop is a launched part
    kTroopReinforcement = 0x2000,  // reinforcement requested ("援軍要請")
    kTroopSelectionMark = 0x4000,  // selection mark of the map windows (TestFlag4000)
    // A template of a corps force rather than a troop: the altitude statistics count the two
    // apart (CountTroopsByAltitudeFlag8000 / NoFlag8000), as the corps pages show them.
    kTroopTemplate = 0x8000,
};

// ActionFlags at offset 366: the pending actions of the current order.
enum TroopAction : std::uint16_t {
    kActionHold = 0x0001,
    kActionMove = 0x0002,
    kActionAttack = 0x0004,
    kActionFire = 0x0008,
    kActionOccupy = 0x0010,
    kActionSupply = 0x0020,
    kActionBoard = 0x0040,
    kActionLaunch = 0x0080,
    kActionBomb = 0x0100,
    kActionTransform = 0x0200,
    kActionArm = 0x0400,
    kActionSeparate = 0x0800,
    kActionDisband = 0x1000,
    kActionSupport = 0x2000,
    kActionReturn = 0x4000,
    kActionBoardWait = 0x8000,
};

// One member unit of a troop (30 bytes at 34 + 30 * m).
// Spare bytes (kSpare...) have no meaning in the rules; files keep them as stored.
struct TroopMember : ByteRecord<kTroopMemberSize> {
    static constexpr std::size_t kUnit = 0, kStrength = 2, kDurability = 3, kFuel = 4, kSpare6 = 6,
                                 kPack = 8, kSpare9 = 9, kAmmo = 10, kFireCounter = 16,
                                 kAttack = 22, kDefence = 24, kCarrierMember = 26;

    std::int16_t Unit() const { return static_cast<std::int16_t>(U16(kUnit)); }
    void SetUnit(std::int16_t v) { SetU16(kUnit, static_cast<std::uint16_t>(v)); }
    bool IsPresent() const { return Unit() != kNoUnit; }
    std::uint8_t Strength() const { return bytes[kStrength]; }
    void SetStrength(std::uint8_t v) { bytes[kStrength] = v; }
    std::uint8_t Durability() const { return bytes[kDurability]; }
    void SetDurability(std::uint8_t v) { bytes[kDurability] = v; }
    std::uint16_t Fuel() const { return U16(kFuel); }
    void SetFuel(std::uint16_t v) { SetU16(kFuel, v); }
    std::uint16_t Spare6() const { return U16(kSpare6); }
    void SetSpare6(std::uint16_t v) { SetU16(kSpare6, v); }
    std::uint8_t Pack() const { return bytes[kPack]; }
    void SetPack(std::uint8_t v) { bytes[kPack] = v; }
    std::uint8_t Ammo(int w) const { return bytes[kAmmo + w]; }
    void SetAmmo(int w, std::uint8_t v) { bytes[kAmmo + w] = v; }
    std::uint8_t FireCounter(int w) const { return bytes[kFireCounter + w]; }
    void SetFireCounter(int w, std::uint8_t v) { bytes[kFireCounter + w] = v; }
    std::uint8_t Attack(int row) const { return bytes[kAttack + row]; }
    void SetAttack(int row, std::uint8_t v) { bytes[kAttack + row] = v; }
    std::uint8_t Defence(int row) const { return bytes[kDefence + row]; }
    void SetDefence(int row, std::uint8_t v) { bytes[kDefence + row] = v; }
    std::uint8_t CarrierMember() const { return bytes[kCarrierMember]; }
    void SetCarrierMember(std::uint8_t v) { bytes[kCarrierMember] = v; }

    // The reset values of an empty member; bytes 9 and 27-29 are kept as stored.
    void Reset();
};
static_assert(sizeof(TroopMember) == kTroopMemberSize);

// One of the four formations (28 bytes at 214 + 28 * f).
struct TroopFormation : ByteRecord<kTroopFormationSize> {
    static constexpr std::size_t kName = 0, kNameSize = 16, kMemberMap = 16, kSettings = 22;
    static constexpr int kSettingCount = 5;

    const char* NameBytes() const { return reinterpret_cast<const char*>(data() + kName); }
    void SetNameBytes(const char* name);  // copies 16 bytes, NUL-padded after the text
    std::uint8_t MemberMap(int slot) const { return bytes[kMemberMap + slot]; }
    void SetMemberMap(int slot, std::uint8_t member) { bytes[kMemberMap + slot] = member; }
    // Settings 0-4 are bytes 22-26: automatic engagement, fetch percentage, supply, strength
    // and fuel thresholds.
    std::uint8_t Setting(int i) const { return bytes[kSettings + i]; }
    void SetSetting(int i, std::uint8_t v) { bytes[kSettings + i] = v; }

    // Name "Type-A".."Type-D" for formation f, settings 0, 50, 50, 50, 50, empty member map.
    void Reset(int f);
};
static_assert(sizeof(TroopFormation) == kTroopFormationSize);

struct TroopRecord : ByteRecord<kTroopRecordSize> {
    static constexpr std::size_t kName = 0, kNameSize = 24, kSlotByte = 24, kCountry = 25,
                                 kHex = 26, kVisibility = 28, kFlags = 30, kCommandByte = 32,
                                 kAltitudeClass = 33, kMembers = 34, kFormations = 214,
                                 kCurrentFormation = 326, kMoveDelay = 327, kSpare328 = 328,
                                 kActionCounter = 329, kCarrier = 330, kCarryCapacity = 332,
                                 kSpareList = 334, kOrderTime = 342, kSpare346 = 346,
                                 kWeaponSelection = 358, kRelatedTroop = 360, kOrderHex = 361,
                                 kHomeAction = 363, kOrderKind = 364, kSpare365 = 365,
                                 kActionFlags = 366, kTarget = 368, kDestination = 370,
                                 kWaypoints = 372, kOrderPhase = 380, kOrderParameter = 381,
                                 kIcon = 382, kMoveCosts = 384, kSpare413 = 413, kOrderValue = 414,
                                 kSpare416 = 416, kGiveWay = 417;

    const char* NameBytes() const { return reinterpret_cast<const char*>(data() + kName); }
    std::uint8_t SlotByte() const { return bytes[kSlotByte]; }
    void SetSlotByte(std::uint8_t v) { bytes[kSlotByte] = v; }
    bool IsUsed() const { return SlotByte() != kUnusedSlotByte; }
    std::uint8_t Country() const { return bytes[kCountry]; }
    void SetCountry(std::uint8_t v) { bytes[kCountry] = v; }
    std::uint16_t Hex() const { return U16(kHex); }
    void SetHex(std::uint16_t v) { SetU16(kHex, v); }
    std::uint16_t Visibility() const { return U16(kVisibility); }
    void SetVisibility(std::uint16_t v) { SetU16(kVisibility, v); }
    std::uint16_t Flags() const { return U16(kFlags); }
    void SetFlags(std::uint16_t v) { SetU16(kFlags, v); }
    std::uint8_t AltitudeClass() const { return bytes[kAltitudeClass]; }
    void SetAltitudeClass(std::uint8_t v) { bytes[kAltitudeClass] = v; }
    std::uint8_t CurrentFormation() const { return bytes[kCurrentFormation]; }
    std::uint16_t Carrier() const { return U16(kCarrier); }
    void SetCarrier(std::uint16_t v) { SetU16(kCarrier, v); }
    std::uint16_t CarryCapacity() const { return U16(kCarryCapacity); }
    std::uint16_t ActionFlags() const { return U16(kActionFlags); }
    std::uint16_t Destination() const { return U16(kDestination); }
    std::uint16_t Icon() const { return U16(kIcon); }
    // The stored cost of moving into terrain class 0 .. kMoveCostClasses - 1, as last worked out
    // (RefreshMoveCostTable works it out again).
    std::uint8_t MoveCost(int terrainClass) const { return bytes[kMoveCosts + terrainClass]; }

    TroopMember& Member(int m) {
        return *reinterpret_cast<TroopMember*>(data() + kMembers + 30 * m);
    }
    const TroopMember& Member(int m) const {
        return *reinterpret_cast<const TroopMember*>(data() + kMembers + 30 * m);
    }
    TroopFormation& Formation(int f) {
        return *reinterpret_cast<TroopFormation*>(data() + kFormations + 28 * f);
    }
    const TroopFormation& Formation(int f) const {
        return *reinterpret_cast<const TroopFormation*>(data() + kFormations + 28 * f);
    }

    // Member behind formation slot `slot` of the current formation, or null when the slot is
    // empty (map entry 6 or more, or a member without unit).
    TroopMember* SlotMember(int slot);
    const TroopMember* SlotMember(int slot) const;

    // Writes every reset value (see ResetCurrentTroop); spare bytes keep what they hold.
    void Reset();
};
static_assert(sizeof(TroopRecord) == kTroopRecordSize);
static_assert(alignof(TroopRecord) == 1, "records sit at any byte offset of a table");

inline TroopRecord* TroopAt(std::uint8_t* base, std::size_t index) {
    return reinterpret_cast<TroopRecord*>(base + index * kTroopRecordSize);
}

// The troop altitude code a unit gives the troop it joins (1 ground, 2 sea, 3 low flying,
// 4 medium, 5 high, 6 space): the altitude class, with class 1 split by the defence type
// (0 ground, otherwise sea). 0 for a unit with no altitude class. The corps editor's unit filter
// and the corps check of the content tool read it the same way.
inline std::uint8_t TroopAltitudeCodeOf(std::uint8_t altitudeClass, std::uint8_t defenceType) {
    switch (altitudeClass) {
        case 1: return defenceType == 0 ? 1 : 2;
        case 2: return 3;
        case 3: return 4;
        case 4: return 5;
        case 5: return 6;
        default: return 0;
    }
}

}  // namespace zv::rules
