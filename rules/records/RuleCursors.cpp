#include "rules/records/RuleCursors.h"

#include <cstring>

namespace zv::rules {

namespace {

// Shared selection: bounds against the table's count, then base + n x record size.
bool SelectRecord(const TableDirectory& tables, TableId id, int n, std::uint16_t& index,
                  const std::uint8_t*& record) {
    if (n < 0 || n >= tables.GetTableRecordCount(id)) return false;
    index = static_cast<std::uint16_t>(n);
    record = tables.GetTableBase(id) + static_cast<std::size_t>(n) * tables.GetEntry(id).recordSize;
    return true;
}

// Copies a text field (never more than the field holds) into a buffer and terminates it.
const char* CopyName(char* buffer, std::size_t bufferSize, const std::uint8_t* record,
                     std::size_t offset, std::size_t width) {
    const std::string_view text = ReadText(record, offset, width);
    const std::size_t length = text.size() < bufferSize - 1 ? text.size() : bufferSize - 1;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return buffer;
}

bool IsLeadByte(std::uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace

// ---- LandKindCursor

LandKindCursor::LandKindCursor(const TableDirectory& tables)
    : tables_(&tables), record_(tables.GetTableBase(TableId::LandKind)) {}

int LandKindCursor::Select(int n) {
    return SelectRecord(*tables_, TableId::LandKind, n, index_, record_) ? 1 : 0;
}

const char* LandKindCursor::GetName() {
    return CopyName(name_, sizeof name_, record_, LandKindRecord::kName,
                    LandKindRecord::kNameWidth);
}
std::uint8_t LandKindCursor::GetLaunchFlag() const {
    return ReadU8(record_, LandKindRecord::kLaunchFlag);
}
std::uint8_t LandKindCursor::GetLoadFlag() const {
    return ReadU8(record_, LandKindRecord::kLoadFlag);
}
std::uint16_t LandKindCursor::GetSupplyFlag() const {
    return ReadU16(record_, LandKindRecord::kSupplyFlag);
}
std::uint8_t LandKindCursor::GetGraphicNumber() const {
    return ReadU8(record_, LandKindRecord::kGraphicNumber);
}
std::uint8_t LandKindCursor::GetDummy(int i) const {
    return ReadU8(record_, LandKindRecord::kDummy + i);
}

// ---- MvcostKdCursor

MvcostKdCursor::MvcostKdCursor(const TableDirectory& tables)
    : tables_(&tables), record_(tables.GetTableBase(TableId::MvcostKd)) {}

int MvcostKdCursor::Select(int n) {
    return SelectRecord(*tables_, TableId::MvcostKd, n, index_, record_) ? 1 : 0;
}
std::uint8_t MvcostKdCursor::GetCost(int terrain) const {
    if (terrain < 0 || terrain >= kTerrainCount) return 0;
    return ReadU8(record_, MvcostKdRecord::kCost + terrain);
}
std::uint8_t MvcostKdCursor::GetDummy1() const {
    return ReadU8(record_, MvcostKdRecord::kDummy1);
}
std::uint8_t MvcostKdCursor::GetConcealment(int layer, int terrain) const {
    return ReadU8(record_, MvcostKdRecord::ConcealmentOffset(layer, terrain));
}
std::uint8_t MvcostKdCursor::GetDummy2() const {
    return ReadU8(record_, MvcostKdRecord::kDummy2);
}

// ---- DefencDkCursor

DefencDkCursor::DefencDkCursor(const TableDirectory& tables)
    : tables_(&tables), record_(tables.GetTableBase(TableId::DefencDk)) {}

int DefencDkCursor::Select(int n) {
    if (n < 0) return 0;
    return SelectRecord(*tables_, TableId::DefencDk, n & 0xFF, index_, record_) ? 1 : 0;
}
std::uint8_t DefencDkCursor::GetDefenceRate(int terrain) const {
    return ReadU8(record_, DefencDkRecord::kDefenceRate + terrain);
}
std::uint8_t DefencDkCursor::GetDummy() const {
    return ReadU8(record_, DefencDkRecord::kDummy);
}

// ---- ActionKdCursor

ActionKdCursor::ActionKdCursor(const TableDirectory& tables)
    : tables_(&tables), record_(tables.GetTableBase(TableId::ActionKd)) {}

int ActionKdCursor::Select(int n) {
    if (n < 0) return 0;
    return SelectRecord(*tables_, TableId::ActionKd, n & 0xFF, index_, record_) ? 1 : 0;
}
std::uint8_t ActionKdCursor::GetAttack(int i) const {
    return ReadU8(record_, ActionKdRecord::kAttack + i);
}
std::uint8_t ActionKdCursor::GetDefence(int i) const {
    return ReadU8(record_, ActionKdRecord::kDefence + i);
}
std::uint16_t ActionKdCursor::GetRange() const {
    return ReadU16(record_, ActionKdRecord::kRange);
}
std::uint16_t ActionKdCursor::GetDummy(int i) const {
    return ReadU16(record_, ActionKdRecord::kDummy + 2 * i);
}

// ---- UnitKindCursor

UnitKindCursor::UnitKindCursor(const TableDirectory& tables)
    : tables_(&tables), record_(tables.GetTableBase(TableId::UnitKind)) {}

int UnitKindCursor::Select(int n) {
    return SelectRecord(*tables_, TableId::UnitKind, n, index_, record_) ? 1 : 0;
}
const char* UnitKindCursor::GetName() {
    return CopyName(name_, sizeof name_, record_, UnitKindRecord::kName,
                    UnitKindRecord::kNameWidth);
}
std::uint8_t UnitKindCursor::GetKindType() const {
    return ReadU8(record_, UnitKindRecord::kKindType);
}
std::uint8_t UnitKindCursor::GetSupplyFlags() const {
    return ReadU8(record_, UnitKindRecord::kSupplyFlags);
}
std::uint8_t UnitKindCursor::GetPerformanceFlags() const {
    return ReadU8(record_, UnitKindRecord::kPerformanceFlags);
}
std::uint8_t UnitKindCursor::GetClassFlags() const {
    return ReadU8(record_, UnitKindRecord::kClassFlags);
}
std::uint8_t UnitKindCursor::GetSpecialFlags() const {
    return ReadU8(record_, UnitKindRecord::kSpecialFlags);
}
std::uint8_t UnitKindCursor::GetDummy29() const {
    return ReadU8(record_, UnitKindRecord::kDummy29);
}
std::uint16_t UnitKindCursor::GetActionTypeFlags() const {
    return ReadU16(record_, UnitKindRecord::kActionTypeFlags);
}
std::uint16_t UnitKindCursor::GetGraphicIndex() const {
    const std::uint16_t stored = ReadU16(record_, UnitKindRecord::kGraphicNumber);
    return stored == 0 ? 0 : static_cast<std::uint16_t>(stored - 1);
}
std::uint16_t UnitKindCursor::GetDescriptionNumber() const {
    return ReadU16(record_, UnitKindRecord::kDescriptionNumber);
}
std::uint8_t UnitKindCursor::GetDummy(int i) const {
    return ReadU8(record_, UnitKindRecord::kDummy + i);
}

// ---- WeaponKdCursor

WeaponKdCursor::WeaponKdCursor(const TableDirectory& tables)
    : tables_(&tables), record_(tables.GetTableBase(TableId::WeaponKd)) {}

int WeaponKdCursor::Select(int id) {
    if (id <= 0) return 0;
    return SelectRecord(*tables_, TableId::WeaponKd, id - 1, index_, record_) ? 1 : 0;
}
const char* WeaponKdCursor::GetName() {
    return CopyName(name_, sizeof name_, record_, WeaponKdRecord::kName,
                    WeaponKdRecord::kNameWidth);
}
std::uint8_t WeaponKdCursor::GetWeaponType() const {
    return ReadU8(record_, WeaponKdRecord::kWeaponType);
}
std::uint8_t WeaponKdCursor::GetLoadFlags() const {
    return ReadU8(record_, WeaponKdRecord::kLoadFlags);
}
std::uint8_t WeaponKdCursor::GetHitRate(int targetClass) const {
    if (targetClass < 0 || targetClass >= kTargetClassCount) return 0;
    return ReadU8(record_, WeaponKdRecord::kHitRate + targetClass);
}
std::uint8_t WeaponKdCursor::GetPower() const {
    return ReadU8(record_, WeaponKdRecord::kPower);
}
std::uint8_t WeaponKdCursor::GetSalvo() const {
    return ReadU8(record_, WeaponKdRecord::kSalvo);
}
std::uint8_t WeaponKdCursor::GetFireCount() const {
    return ReadU8(record_, WeaponKdRecord::kFireCount);
}
std::uint8_t WeaponKdCursor::GetRange() const {
    return ReadU8(record_, WeaponKdRecord::kRange);
}
std::uint16_t WeaponKdCursor::GetOptionUnit() const {
    const std::uint16_t stored = ReadU16(record_, WeaponKdRecord::kOptionUnit);
    return stored == 0 ? 0 : static_cast<std::uint16_t>(stored - 1);
}
std::uint16_t WeaponKdCursor::GetAddedCommands() const {
    return ReadU16(record_, WeaponKdRecord::kAddedCommands);
}
int IsAreaWeaponType(int type) {
    switch (type) {
        case 1:
        case 3:
        case 5:
        case 7:
        case 22:
        case 24:
        case 26:
            return 1;
        default:
            return 0;
    }
}

const char* WeaponKdCursor::GetMegaMarker() const {
    return IsAreaWeaponType(GetWeaponType()) ? "\x83\x81\x83\x4B "  // "メガ " in Shift-JIS
                                             : "    ";
}

// ---- SiteKindCursor

SiteKindCursor::SiteKindCursor(const TableDirectory& tables)
    : tables_(&tables), record_(tables.GetTableBase(TableId::SiteKind)) {}

int SiteKindCursor::Select(int n) {
    if (n < 0) return 0;
    return SelectRecord(*tables_, TableId::SiteKind, n & 0xFF, index_, record_) ? 1 : 0;
}
const char* SiteKindCursor::GetName() {
    return CopyName(name_, sizeof name_, record_, SiteKindRecord::kName,
                    SiteKindRecord::kNameWidth);
}
std::uint16_t SiteKindCursor::GetIncome() const {
    return ReadU16(record_, SiteKindRecord::kIncome);
}
std::uint16_t SiteKindCursor::GetFuel() const {
    return ReadU16(record_, SiteKindRecord::kFuel);
}
std::uint16_t SiteKindCursor::GetSupplies() const {
    return ReadU16(record_, SiteKindRecord::kSupplies);
}
std::uint8_t SiteKindCursor::GetPerformanceFlags() const {
    return ReadU8(record_, SiteKindRecord::kPerformanceFlags);
}

namespace {
// Durability of a site nobody owns, by site kind.
std::uint8_t NeutralDurability(std::uint16_t kind) {
    static constexpr std::uint8_t kByKind[] = {250, 140, 110, 35, 110, 110};
    return kind < 6 ? kByKind[kind] : 0;
}
}  // namespace

std::uint8_t SiteKindCursor::GetCaptureDurability(int neutral) const {
    if (neutral == 1) return NeutralDurability(index_);
    return ReadU8(record_, SiteKindRecord::kCaptureDurability);
}
std::uint8_t SiteKindCursor::GetDestroyDurability(int neutral) const {
    if (neutral == 1) return NeutralDurability(index_);
    return ReadU8(record_, SiteKindRecord::kDestroyDurability);
}
std::uint8_t SiteKindCursor::GetDaySearchRange() const {
    return ReadU8(record_, SiteKindRecord::kDaySearchRange);
}
std::uint8_t SiteKindCursor::GetNightSearchRange() const {
    return ReadU8(record_, SiteKindRecord::kNightSearchRange);
}
std::uint8_t SiteKindCursor::GetDummy(int i) const {
    return ReadU8(record_, SiteKindRecord::kDummy + i);
}

// ---- UnitInfoCursor

UnitInfoCursor::UnitInfoCursor(const TableDirectory& tables)
    : UnitKindCursor(tables),
      MvcostKdCursor(tables),
      DefencDkCursor(tables),
      ActionKdCursor(tables),
      tables_(&tables),
      record_(tables.GetTableBase(TableId::UnitInfo)) {}

int UnitInfoCursor::Select(int n) {
    return SelectRecord(*tables_, TableId::UnitInfo, n, index_, record_) ? 1 : 0;
}
const char* UnitInfoCursor::GetName() {
    return CopyName(text_, sizeof text_, record_, UnitInfoRecord::kName,
                    UnitInfoRecord::kNameWidth);
}

const char* UnitInfoCursor::GetNameFirstWord() {
    std::memset(text_, 0, sizeof text_);
    const std::uint8_t* name = record_ + UnitInfoRecord::kName;
    std::size_t length = 0;
    while (length < 8 && length < UnitInfoRecord::kNameWidth) {
        const std::uint8_t b = name[length];
        if (b == 0 || b == 0x20) break;
        if (IsLeadByte(b)) {
            // A double-byte character goes whole or not at all.
            if (length + 2 > 8 || length + 1 >= UnitInfoRecord::kNameWidth) break;
            if (name[length + 1] == 0) break;
            text_[length] = static_cast<char>(b);
            text_[length + 1] = static_cast<char>(name[length + 1]);
            length += 2;
            continue;
        }
        text_[length] = static_cast<char>(b);
        ++length;
    }
    return text_;
}

std::uint8_t UnitInfoCursor::GetUnitKind() const {
    return ReadU8(record_, UnitInfoRecord::kUnitKind);
}
std::uint8_t UnitInfoCursor::GetAltitudeClass() const {
    return ReadU8(record_, UnitInfoRecord::kAltitudeClass);
}
std::uint8_t UnitInfoCursor::GetDefenceRate(int targetClass) const {
    if (targetClass < 0 || targetClass >= kTargetClassCount) return 0;
    return ReadU8(record_, UnitInfoRecord::kDefenceRate + targetClass);
}
std::uint8_t UnitInfoCursor::GetLoadableFlags() const {
    return ReadU8(record_, UnitInfoRecord::kLoadableFlags);
}
std::uint8_t UnitInfoCursor::GetDefenceType() const {
    return ReadU8(record_, UnitInfoRecord::kDefenceType);
}
std::uint8_t UnitInfoCursor::GetMaxStrength() const {
    return ReadU8(record_, UnitInfoRecord::kMaxStrength);
}
std::uint8_t UnitInfoCursor::GetDurabilityPerUnit() const {
    return ReadU8(record_, UnitInfoRecord::kDurabilityPerUnit);
}
std::uint8_t UnitInfoCursor::GetDaySight() const {
    return ReadU8(record_, UnitInfoRecord::kDaySight);
}
std::uint8_t UnitInfoCursor::GetNightSight() const {
    return ReadU8(record_, UnitInfoRecord::kNightSight);
}
std::uint8_t UnitInfoCursor::GetRadarRange(int layer) const {
    return ReadU8(record_, UnitInfoRecord::kRadarRange + layer);
}
std::uint8_t UnitInfoCursor::GetLoadFlags() const {
    return ReadU8(record_, UnitInfoRecord::kLoadFlags);
}

std::uint8_t UnitInfoCursor::GetPackLoadFlags(int pack) const {
    if (pack < 0 || pack >= kPackCount || GetPackWeaponSwitch(pack) == 0) return GetLoadFlags();
    // Every weapon slot counts, whatever the bits of the switch byte say.
    WeaponKdCursor weapon(*tables_);
    std::uint8_t flags = 0;
    for (int slot = 0; slot < kWeaponSlotCount; ++slot) {
        const std::uint16_t id = GetWeaponId(slot);
        if (id != 0 && weapon.Select(id)) flags |= weapon.GetLoadFlags();
    }
    return flags;
}

std::uint8_t UnitInfoCursor::GetDefaultPack() const {
    const std::uint8_t stored = ReadU8(record_, UnitInfoRecord::kDefaultPack);
    return stored == 0 ? 0 : static_cast<std::uint8_t>(stored - 1);
}
std::uint8_t UnitInfoCursor::GetSupplyableKinds() const {
    return ReadU8(record_, UnitInfoRecord::kSupplyableKinds);
}
std::uint16_t UnitInfoCursor::GetWeaponId(int slot) const {
    if (slot < 0 || slot >= kWeaponSlotCount) return 0;
    return ReadU16(record_, UnitInfoRecord::kWeaponId + 2 * slot);
}
std::uint8_t UnitInfoCursor::GetPackAmmo(int pack, int slot) const {
    if (pack < 0 || pack >= kPackCount || slot < 0 || slot >= kWeaponSlotCount) return 0;
    return ReadU8(record_, UnitInfoRecord::PackOffset(pack) + UnitInfoRecord::kPackAmmo + slot);
}
std::uint8_t UnitInfoCursor::GetPackSpeedChange(int pack) const {
    if (pack < 0 || pack >= kPackCount) return 0;
    return ReadU8(record_, UnitInfoRecord::PackOffset(pack) + UnitInfoRecord::kPackSpeedChange);
}
std::uint8_t UnitInfoCursor::GetPackFuelTanks(int pack) const {
    if (pack < 0 || pack >= kPackCount) return 0;
    return ReadU8(record_, UnitInfoRecord::PackOffset(pack) + UnitInfoRecord::kPackFuelTanks);
}
std::uint8_t UnitInfoCursor::GetPackEcm(int pack) const {
    if (pack < 0 || pack >= kPackCount) return 0;
    return ReadU8(record_, UnitInfoRecord::PackOffset(pack) + UnitInfoRecord::kPackEcm);
}
std::uint8_t UnitInfoCursor::GetPackWeaponSwitch(int pack) const {
    if (pack < 0 || pack >= kPackCount) return 0;
    return ReadU8(record_, UnitInfoRecord::PackOffset(pack) + UnitInfoRecord::kPackWeaponSwitch);
}
std::uint16_t UnitInfoCursor::GetPackFuel(int pack) const {
    if (pack < 0 || pack >= kPackCount) return 0;
    return ReadU16(record_, UnitInfoRecord::PackOffset(pack) + UnitInfoRecord::kPackFuel);
}
std::int32_t UnitInfoCursor::GetProductionSides() const {
    return ReadS32(record_, UnitInfoRecord::kProductionSides);
}
std::int32_t UnitInfoCursor::GetPrice() const {
    return ReadS32(record_, UnitInfoRecord::kPrice);
}
std::int32_t UnitInfoCursor::GetPriceWithSurcharge() const {
    // Wrapping 32-bit arithmetic as the game computes it; no overflow trap on odd prices.
    const std::uint32_t price = static_cast<std::uint32_t>(GetPrice());
    const std::int32_t tripled = static_cast<std::int32_t>(price * 30u);
    return static_cast<std::int32_t>(price + static_cast<std::uint32_t>(tripled / 100));
}
std::uint16_t UnitInfoCursor::GetCarryWeightTotal() const {
    return ReadU16(record_, UnitInfoRecord::kCarryWeightTotal);
}
std::uint16_t UnitInfoCursor::GetWeight() const {
    return ReadU16(record_, UnitInfoRecord::kWeight);
}
std::uint16_t UnitInfoCursor::GetFuelPrice() const {
    return ReadU16(record_, UnitInfoRecord::kFuelPrice);
}
std::uint16_t UnitInfoCursor::GetTransformUnit() const {
    const std::uint16_t stored = ReadU16(record_, UnitInfoRecord::kTransformUnit);
    return stored == 0 ? 0xFFFF : static_cast<std::uint16_t>(stored - 1);
}
std::uint16_t UnitInfoCursor::GetMoveCostKind() const {
    return ReadU16(record_, UnitInfoRecord::kMoveCostKind);
}
std::uint16_t UnitInfoCursor::GetActionKind() const {
    return ReadU16(record_, UnitInfoRecord::kActionKind);
}
std::uint16_t UnitInfoCursor::GetSilhouette() const {
    return ReadU16(record_, UnitInfoRecord::kSilhouette);
}
std::uint16_t UnitInfoCursor::GetCommandFlags() const {
    return ReadU16(record_, UnitInfoRecord::kCommandFlags);
}
std::uint8_t UnitInfoCursor::GetTransformTime() const {
    return ReadU8(record_, UnitInfoRecord::kTransformTime);
}
std::uint8_t UnitInfoCursor::GetSpecialAbility() const {
    return ReadU8(record_, UnitInfoRecord::kSpecialAbility);
}
std::uint8_t UnitInfoCursor::GetDefenceKind() const {
    return ReadU8(record_, UnitInfoRecord::kDefenceKind);
}
std::uint8_t UnitInfoCursor::GetDummy2() const {
    return ReadU8(record_, UnitInfoRecord::kDummy2);
}

std::uint8_t UnitInfoCursor::GetKindByte29() {
    UnitKindCursor::Select(GetUnitKind());
    return GetDummy29();
}

int UnitInfoCursor::ListCarrierClasses(std::uint8_t* out) const {
    const std::uint8_t f = GetLoadableFlags();
    if (f & 0x01) *out++ = 1;
    if (f & 0x40) *out++ = 2;
    if (f & 0x02) *out++ = 4;
    if (f & 0x84) *out++ = 6;
    if (f & 0x38) *out++ = 7;
    return 1;
}

int UnitInfoCursor::GetPackTargetLayers(int pack, std::uint8_t* out) const {
    const std::uint8_t f = GetPackLoadFlags(pack);
    if (f & 0x01) {
        out[0] = 3, out[1] = 4, out[2] = 5;
    } else if (f & 0x40) {
        out[0] = 4, out[1] = 5;
    } else if (f & 0x02) {
        out[0] = 5;
    } else if (f & 0x84) {
        out[0] = 0, out[1] = 2;
    } else if (f & 0x38) {
        out[0] = 3, out[1] = 4, out[2] = 5;
    }
    return 1;
}

int UnitInfoCursor::GetPackPrimaryTarget(int pack) const {
    const std::uint8_t f = GetPackLoadFlags(pack);
    if (f & (0x01 | 0x40 | 0x02)) return 2;
    if (f & 0x04) return 4;
    if (f & 0x80) return 24;
    if (f & 0x38) return 2;
    return 0;
}

std::uint8_t UnitInfoCursor::GetConcealment(int layer, int terrain) {
    if (!MvcostKdCursor::Select(GetMoveCostKind())) return 0;
    return MvcostKdCursor::GetConcealment(layer, terrain);
}

std::uint8_t UnitInfoCursor::GetMoveCost(int pack, int terrain) {
    if (!MvcostKdCursor::Select(GetMoveCostKind())) return 255;
    const std::uint8_t cost = GetCost(terrain);
    const std::uint8_t speed = GetPackSpeedChange(pack);
    // Impassable (255) and free (0) stay what they are whatever the pack.
    if (speed != 0 && cost != 0 && cost != 255) return static_cast<std::uint8_t>(cost + speed);
    return cost;
}

std::uint16_t UnitInfoCursor::GetCapabilityFlags(int pack) {
    std::uint16_t flags = 0;
    const std::uint8_t loadable = GetLoadableFlags();
    UnitKindCursor::Select(GetUnitKind());
    if (GetPackLoadFlags(pack) != 0) flags |= 0x001;
    if (loadable & 0x7B) flags |= 0x002;
    if (loadable & 0x84) {
        if (GetKindType() == 0) flags |= 0x004;
        if (GetKindType() == 1) flags |= 0x010;
    }
    if (GetSpecialAbility() & 0x04) flags |= 0x008;
    if (GetPerformanceFlags() & 0x02) flags |= 0x020;
    if (GetPerformanceFlags() & 0x01) flags |= 0x040;
    if (UnitKindCursor::GetSupplyFlags() & 0x04) flags |= 0x080;
    if (ReadU16(record_, UnitInfoRecord::kTransformUnit) != 0) flags |= 0x100;
    return flags;
}

// ---- production types

namespace {
const std::uint8_t* ProKind(const TableDirectory& tables, int k) {
    if (k < 0 || k >= tables.GetTableRecordCount(TableId::ProKind)) return nullptr;
    return tables.GetTableBase(TableId::ProKind) +
           static_cast<std::size_t>(k) * ProKindRecord::kSize;
}
}  // namespace

std::uint16_t GetProductionTypeCount() {
    return kProductionTypeCount;
}

int IsProductionTypePresent(const TableDirectory& tables, int k) {
    const std::uint8_t* record = ProKind(tables, k);
    return record && ReadS32(record, ProKindRecord::kPresent) != 0 ? 1 : 0;
}

int CountProductionTypesBelow(const TableDirectory& tables, int k) {
    int count = 0;
    for (int i = 0; i < k && i < kProductionTypeCount; ++i)
        count += IsProductionTypePresent(tables, i);
    return count;
}

std::uint16_t GetNthProductionType(const TableDirectory& tables, int n) {
    int seen = 0;
    for (int k = 0; k < kProductionTypeCount; ++k) {
        if (!IsProductionTypePresent(tables, k)) continue;
        if (seen == n) return static_cast<std::uint16_t>(k);
        ++seen;
    }
    return kProductionTypeCount;
}

std::string_view GetProductionTypeName(const TableDirectory& tables, int k) {
    const std::uint8_t* record = ProKind(tables, k);
    if (!record) return {};
    return ReadText(record, ProKindRecord::kName, ProKindRecord::kNameWidth);
}

}  // namespace zv::rules
