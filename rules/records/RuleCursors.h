#pragma once

#include <cstdint>
#include <string_view>

#include "rules/context/TableDirectory.h"
#include "rules/records/RuleRecords.h"

namespace zv::rules {

// Cursors over the rule tables (read only). A cursor starts on record 0; Select fails with 0 and
// leaves the cursor where it was for an index that is negative or at or above the table's count.
// Each cursor names its index getter after its table so that objects built from several cursors
// stay unambiguous.

class LandKindCursor {
  public:
    explicit LandKindCursor(const TableDirectory& tables);
    int Select(int n);
    std::uint16_t GetLandKindIndex() const { return index_; }
    const char* GetName();
    std::uint8_t GetLaunchFlag() const;
    std::uint8_t GetLoadFlag() const;
    std::uint16_t GetSupplyFlag() const;
    std::uint8_t GetGraphicNumber() const;
    std::uint8_t GetDummy(int i) const;

  private:
    const TableDirectory* tables_;
    std::uint16_t index_ = 0;
    const std::uint8_t* record_;
    char name_[25] = {};
};

class MvcostKdCursor {
  public:
    explicit MvcostKdCursor(const TableDirectory& tables);
    int Select(int n);
    std::uint16_t GetMvcostKdIndex() const { return index_; }
    // 0 for terrain 29 and above.
    std::uint8_t GetCost(int terrain) const;
    std::uint8_t GetDummy1() const;
    // Unchecked: callers pass layer 0-4 and terrain 0-28.
    std::uint8_t GetConcealment(int layer, int terrain) const;
    std::uint8_t GetDummy2() const;

  private:
    const TableDirectory* tables_;
    std::uint16_t index_ = 0;
    const std::uint8_t* record_;
};

class DefencDkCursor {
  public:
    explicit DefencDkCursor(const TableDirectory& tables);
    // Takes the low 8 bits of n.
    int Select(int n);
    std::uint16_t GetDefencDkIndex() const { return index_; }
    std::uint8_t GetDefenceRate(int terrain) const;
    std::uint8_t GetDummy() const;

  private:
    const TableDirectory* tables_;
    std::uint16_t index_ = 0;
    const std::uint8_t* record_;
};

class ActionKdCursor {
  public:
    explicit ActionKdCursor(const TableDirectory& tables);
    // Takes the low 8 bits of n.
    int Select(int n);
    std::uint16_t GetActionKdIndex() const { return index_; }
    std::uint8_t GetAttack(int i) const;   // 攻撃1, 攻撃2
    std::uint8_t GetDefence(int i) const;  // 防御1, 防御2
    std::uint16_t GetRange() const;
    std::uint16_t GetDummy(int i) const;

  private:
    const TableDirectory* tables_;
    std::uint16_t index_ = 0;
    const std::uint8_t* record_;
};

class UnitKindCursor {
  public:
    explicit UnitKindCursor(const TableDirectory& tables);
    int Select(int n);
    std::uint16_t GetUnitKindIndex() const { return index_; }
    const char* GetName();
    std::uint8_t GetKindType() const;
    std::uint8_t GetSupplyFlags() const;
    std::uint8_t GetPerformanceFlags() const;
    std::uint8_t GetClassFlags() const;
    std::uint8_t GetSpecialFlags() const;
    std::uint8_t GetDummy29() const;
    std::uint16_t GetActionTypeFlags() const;
    // Stored number - 1; a stored 0 stays 0.
    std::uint16_t GetGraphicIndex() const;
    std::uint16_t GetDescriptionNumber() const;
    std::uint8_t GetDummy(int i) const;

  private:
    const TableDirectory* tables_;
    std::uint16_t index_ = 0;
    const std::uint8_t* record_;
    char name_[25] = {};
};

// Area types 1, 3, 5, 7, 22, 24, 26: the weapon hits every member of the other side; their
// names carry the "メガ" marker.
int IsAreaWeaponType(int type);

class WeaponKdCursor {
  public:
    explicit WeaponKdCursor(const TableDirectory& tables);
    // Weapons are named by 1-based ids: id n selects record n - 1; id 0 fails.
    int Select(int id);
    std::uint16_t GetWeaponIndex() const { return index_; }
    const char* GetName();
    std::uint8_t GetWeaponType() const;
    std::uint8_t GetLoadFlags() const;
    // 0 for class 10 and above.
    std::uint8_t GetHitRate(int targetClass) const;
    std::uint8_t GetPower() const;
    std::uint8_t GetSalvo() const;
    std::uint8_t GetFireCount() const;
    std::uint8_t GetRange() const;
    // Stored number - 1; a stored 0 stays 0.
    std::uint16_t GetOptionUnit() const;
    std::uint16_t GetAddedCommands() const;
    // "メガ " (Shift-JIS) for weapon types 1, 3, 5, 7, 22, 24, 26; four blanks otherwise.
    const char* GetMegaMarker() const;

  private:
    const TableDirectory* tables_;
    std::uint16_t index_ = 0;
    const std::uint8_t* record_;
    char name_[25] = {};
};

class SiteKindCursor {
  public:
    explicit SiteKindCursor(const TableDirectory& tables);
    // Takes the low 8 bits of n.
    int Select(int n);
    std::uint16_t GetSiteKindIndex() const { return index_; }
    const char* GetName();
    std::uint16_t GetIncome() const;
    std::uint16_t GetFuel() const;
    std::uint16_t GetSupplies() const;
    std::uint8_t GetPerformanceFlags() const;
    // With neutral = 1, the fixed durability of an ownerless site of the selected kind.
    std::uint8_t GetCaptureDurability(int neutral) const;
    std::uint8_t GetDestroyDurability(int neutral) const;
    std::uint8_t GetDaySearchRange() const;
    std::uint8_t GetNightSearchRange() const;
    std::uint8_t GetDummy(int i) const;

  private:
    const TableDirectory* tables_;
    std::uint16_t index_ = 0;
    const std::uint8_t* record_;
    char name_[17] = {};
};

// Unit cursor. Its four member cursors are virtual bases so that larger objects built from
// several cursors (troop cursor, game context) share one instance of each; the most derived
// class constructs them.
// Capability bit of a unit that moves like a helicopter or ground troop.
inline constexpr std::uint16_t kLowFlyingCapability = 0x0008;
// Capability bit of a unit that launches from its carrier whatever the terrain under it: the
// carrier's kind mask stands in for the launch flag of that terrain.
inline constexpr std::uint16_t kWholeCarrierMaskCapability = 0x0020;

class UnitInfoCursor : public virtual UnitKindCursor,
                       public virtual MvcostKdCursor,
                       public virtual DefencDkCursor,
                       public virtual ActionKdCursor {
  public:
    explicit UnitInfoCursor(const TableDirectory& tables);
    int Select(int n);
    std::uint16_t GetUnitInfoIndex() const { return index_; }
    const char* GetName();
    // The name up to the first blank, at most 8 bytes, never half a double-byte character.
    const char* GetNameFirstWord();
    std::uint8_t GetUnitKind() const;
    std::uint8_t GetAltitudeClass() const;
    std::uint8_t GetDefenceRate(int targetClass) const;  // 0 for class 10 and above
    std::uint8_t GetLoadableFlags() const;
    std::uint8_t GetDefenceType() const;
    std::uint8_t GetMaxStrength() const;
    std::uint8_t GetDurabilityPerUnit() const;
    std::uint8_t GetDaySight() const;
    std::uint8_t GetNightSight() const;
    std::uint8_t GetRadarRange(int layer) const;  // unchecked, layer 0-4
    std::uint8_t GetLoadFlags() const;            // 搭載(何を載せれるか)
    std::uint8_t GetPackLoadFlags(int pack) const;
    std::uint8_t GetDefaultPack() const;  // stored - 1, 0 stays 0
    std::uint8_t GetSupplyableKinds() const;
    std::uint16_t GetWeaponId(int slot) const;  // 0 for slot 6 and above
    std::uint8_t GetPackAmmo(int pack, int slot) const;
    std::uint8_t GetPackSpeedChange(int pack) const;
    std::uint8_t GetPackFuelTanks(int pack) const;
    std::uint8_t GetPackEcm(int pack) const;
    std::uint8_t GetPackWeaponSwitch(int pack) const;
    std::uint16_t GetPackFuel(int pack) const;
    std::int32_t GetProductionSides() const;
    std::int32_t GetPrice() const;
    std::int32_t GetPriceWithSurcharge() const;
    std::uint16_t GetCarryWeightTotal() const;
    std::uint16_t GetWeight() const;
    std::uint16_t GetFuelPrice() const;
    std::uint16_t GetTransformUnit() const;  // stored - 1, 0xFFFF when none
    std::uint16_t GetMoveCostKind() const;
    std::uint16_t GetActionKind() const;
    std::uint16_t GetSilhouette() const;
    std::uint16_t GetCommandFlags() const;
    std::uint8_t GetTransformTime() const;
    std::uint8_t GetSpecialAbility() const;
    std::uint8_t GetDefenceKind() const;
    std::uint8_t GetDummy2() const;

    // Derived queries; those that read another table move the shared member cursor.
    std::uint8_t GetKindByte29();
    int ListCarrierClasses(std::uint8_t* out) const;
    int GetPackTargetLayers(int pack, std::uint8_t* out) const;
    int GetPackPrimaryTarget(int pack) const;
    std::uint8_t GetConcealment(int layer, int terrain);
    std::uint8_t GetMoveCost(int pack, int terrain);
    // Capability bits of a unit with a pack (kLowFlyingCapability and others).
    std::uint16_t GetCapabilityFlags(int pack);
    int HasCapabilityBit0(int pack) { return (GetCapabilityFlags(pack) & 0x001) != 0; }
    int HasCapabilityBits1to4(int pack) { return (GetCapabilityFlags(pack) & 0x01E) != 0; }

  private:
    const TableDirectory* tables_;
    std::uint16_t index_ = 0;
    const std::uint8_t* record_;
    char text_[26] = {};
};

// Production types of table 27. Never reads beyond the records the table holds.
std::uint16_t GetProductionTypeCount();
int IsProductionTypePresent(const TableDirectory& tables, int k);
int CountProductionTypesBelow(const TableDirectory& tables, int k);
std::uint16_t GetNthProductionType(const TableDirectory& tables, int n);
// Name of record k (Shift-JIS, up to its NUL within 24 bytes); empty for a missing record.
std::string_view GetProductionTypeName(const TableDirectory& tables, int k);

}  // namespace zv::rules
