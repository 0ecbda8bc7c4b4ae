#pragma once

#include <cstdint>

#include "rules/context/TableDirectory.h"
#include "rules/records/TroopRecord.h"

// Troop members, formations and troop-table counts: operations on the troop a TroopCursor has
// selected (any troop cursor: the live or shadow table, a corps, the cached copy). They select
// units in the cursor's own unit cursors, so the UnitInfo cursor is left where the walk ended.
//
// A current-formation byte outside 0-3 (a damaged file or order) leaves a troop without members:
// queries see none and the operations that change members refuse.
namespace zv::rules {

class TroopCursor;

// The member behind formation slot `slot` of the current formation when it is present and its
// unit selects in the troop's UnitInfo cursor (which is then left on it); null otherwise.
TroopMember* SelectSlotUnit(TroopCursor& troop, int slot);

// Calls fn(slot, member) for every formation slot 0-5 whose member is present and whose unit
// selects; the UnitInfo cursor is on that member's unit during the call.
template <typename Fn>
void ForEachPresentMember(TroopCursor& troop, Fn&& fn) {
    for (int slot = 0; slot < kFormationSlotCount; ++slot) {
        if (TroopMember* member = SelectSlotUnit(troop, slot)) fn(slot, *member);
    }
}

// Member placement.
// Puts a unit id behind a formation slot: -1 empties the mapped member (the map entry stays); a
// mapped slot gets the unit; an empty slot takes the first member without unit.
void SetMemberUnitId(TroopCursor& troop, int slot, std::int16_t unit);
// A unit at full strength, durability, fuel and ammunition of its default pack; then the move
// costs and the carry capacity. 0 when the unit is -1 or does not select, or no member is free.
int SetMemberUnit(TroopCursor& troop, int slot, std::int16_t unit);
// A new pack for the member behind the slot, refilled to that pack's fuel and ammunition.
void SetMemberPackRefill(TroopCursor& troop, int slot, std::uint8_t pack);
// Empties the member behind the slot and the slot; 0 when there is none.
int RemoveMember(TroopCursor& troop, int slot);
// Exchanges the member map entries of two slots of the current formation.
int SwapFormationSlots(TroopCursor& troop, int i, int j);
// Move-cost table, then carry capacity := 部隊搭載総重量 of the last member whose unit selected.
void RefreshCarryCapacity(TroopCursor& troop);

// Troop creation on the selected record.
int CreateTroopFromUnits(TroopCursor& troop, const std::int16_t units[kTroopMemberCount],
                         std::uint8_t country, std::uint8_t slotByte, std::uint16_t hex,
                         const char* name);
int CreateTroopWithoutCountry(TroopCursor& troop, const std::int16_t units[kTroopMemberCount],
                              std::uint8_t slotByte, const char* name);
int CreateTroop(TroopCursor& troop, const char* name, std::uint8_t altitudeClass,
                std::uint8_t slotByte);
// First free record (slot byte and country 0xFF) of country 0-3 (its forty troops) or of every
// troop (country 5); 0xFFFF when none. The cursor is left on the last index tried.
std::uint16_t FindFreeTroopSlot(TroopCursor& troop, std::uint8_t country);
void CopyRecordIn(TroopCursor& troop, const TroopRecord& source);

// Values derived from the members.
int IsAltitudeClass3(TroopCursor& troop);
int TroopsHaveSameAltitudeClass(TableDirectory& tables, std::uint16_t a, std::uint16_t b,
                                TableId troopTable = TableId::Troop);
// Per terrain class 0-28 the largest member move cost; 0 where any member cannot enter.
void RefreshMoveCostTable(TroopCursor& troop);
const std::uint8_t* GetMoveCostTable(TroopCursor& troop);
// 0 (impassable) for a class outside 0-28.
std::uint8_t GetMoveCost(TroopCursor& troop, int terrainClass);
std::uint8_t GetMemberMoveCost(TroopCursor& troop, int slot, int terrainClass);
int CountMembers(TroopCursor& troop);
std::uint32_t SumMemberWeight(TroopCursor& troop);
std::int32_t SumMemberValueA(TroopCursor& troop);
std::int32_t SumMemberValueB(TroopCursor& troop);
std::uint32_t GetTotalDurability(TroopCursor& troop);
std::uint32_t GetTotalMemberDurability(TroopCursor& troop);
// 0xFFFE when the troop has no member.
std::uint16_t GetMinMemberFuel(TroopCursor& troop);
std::uint16_t GetMinMemberPackFuel(TroopCursor& troop);
// UnitInfo 防御率 [category] over the members; 0 without members.
std::uint8_t GetMeanDefenceRate(TroopCursor& troop, int category);
std::uint8_t GetMaxDefenceRate(TroopCursor& troop, int category);
std::uint8_t GetMinDefenceRate(TroopCursor& troop, int category);
// 命中率 [category] over the members' weapons whose pack ammunition is not 0; with option 1 a
// member that can transform is judged by its transformation unit's weapons.
std::uint8_t GetBestMemberHitRate(TroopCursor& troop, int category, int option);
// The smallest non-zero hit rate; 0xFFFE when there is none.
std::uint16_t GetLowestMemberHitRate(TroopCursor& troop, int category, int option);
std::uint8_t GetMeanBestHitRate(TroopCursor& troop, int category);
int CountHqMembers(TroopCursor& troop);
int CountMembersOfClass6(TroopCursor& troop);
int AllMembersPass(TroopCursor& troop);
std::uint8_t GetMembersCarryMask(TroopCursor& troop);
int ForEachMemberRefresh(TroopCursor& troop);

// Counts over the troop table (the cursor's limit). Each restores the selection it found,
// except CountTroopsWithKind101 when it finds a troop.
int CountTroopsByCategory(TroopCursor& troop, std::uint8_t country, int category);
int CountUsedTroops(TroopCursor& troop);
int CountTroopsWithKind101(TroopCursor& troop);
// Six counters, counter class - 1; classes outside 1-6 are not counted.
void CountTroopsByAltitudeFlag8000(TroopCursor& troop, std::uint16_t out[6]);
void CountTroopsByAltitudeNoFlag8000(TroopCursor& troop, std::uint16_t out[6]);
void CountMembersByAltitude(TroopCursor& troop, std::uint16_t out[6]);

}  // namespace zv::rules
