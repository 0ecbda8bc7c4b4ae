#pragma once

#include <cstdint>
#include <string>

#include "rules/context/TableDirectory.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopRecord.h"

namespace zv::rules {

// The altitude class that CountTroopsByAltitude reads as "every class".
inline constexpr std::uint8_t kAnyAltitude = 0xFF;

// The cursor through which everything reads and writes a troop. It works on table 9 (or the
// shadow table 19); the force cursor points the same code at the troops of a corps. Its unit
// cursors are virtual bases shared with the other cursors of a larger object, so inside this
// class `UnitInfoCursor::Select` selects a unit while `Select` selects a troop.
//
// Accessors do not check the selection: callers select first. Member accessors take a
// formation slot of the current formation; on an empty slot getters give 0 (-1 for the unit)
// and setters write nothing.
class TroopCursor : public virtual UnitInfoCursor {
  public:
    explicit TroopCursor(TableDirectory& tables, TableId troopTable = TableId::Troop);
    virtual ~TroopCursor() = default;

    // The tables the cursor works on, for the troop queries that read further rule tables.
    TableDirectory& GetTableDirectory() { return *tables_; }

    // Slot 0: the selected record.
    virtual TroopRecord* GetRecord();
    // Slot 1: 0 for 0xFFFF or an index at or above the table's count; else selects n.
    virtual int Select(std::uint16_t n);
    // Slot 2.
    virtual std::uint16_t GetIndex() const;
    // Slot 3: 部隊搭載総重量 summed over members whose capability mask has bit 0.
    virtual std::uint16_t SumCapableMembers();
    // Slot 4: the n-th troop carried by the selected troop (see FindCarriedTroop).
    virtual std::uint16_t FindCarriedTroopOfCurrent(std::uint16_t n);
    // Slot 5: 255 for the troop table.
    virtual std::uint16_t GetTableLimit() const;
    // Slot 6: 1 when the passenger and everything already aboard fit into the carrier's holds;
    // with commit, the passenger is marked as carried. The selection is restored.
    virtual int TryLoadOnto(std::uint16_t carrier, std::uint16_t passenger, int commit);

    // Whether each member of the passenger finds a hold of the carrier that takes its class and,
    // empty, its weight: what TryLoadOnto needs at the least, without looking at what is aboard
    // already. The selection is restored.
    bool HasEmptyHoldsFor(std::uint16_t carrier, std::uint16_t passenger);

    // Slot-6 questions without commit: does the selected troop fit onto `carrier`; does
    // `passenger` fit onto the selected troop.
    int CallSlot6(std::uint16_t carrier) { return TryLoadOnto(carrier, GetIndex(), 0); }
    int CallSlot6Current(std::uint16_t passenger) { return TryLoadOnto(GetIndex(), passenger, 0); }
    // The n-th used troop among 0-159 (with a member, of the country of the troop selected at
    // the call) whose carrier is `carrier`; 0xFFFF when none. Leaves the cursor on the carrier.
    std::uint16_t FindCarriedTroop(std::uint16_t carrier, std::uint16_t n);

    void ResetCurrentTroop();
    void ResetAllTroops();

    // One-field accessors.
    const char* GetName();           // the 24 name bytes, terminated, in the cursor's buffer
    void SetName(const char* name);  // 24 bytes, NUL-padded after the text
    std::uint8_t GetSlotByte() { return GetRecord()->SlotByte(); }
    void SetSlotByte(std::uint8_t v) { GetRecord()->SetSlotByte(v); }
    std::uint8_t GetCountry() { return GetRecord()->Country(); }
    void SetCountry(std::uint8_t v) { GetRecord()->SetCountry(v); }
    std::uint16_t* GetHex(std::uint16_t* out) {
        *out = GetRecord()->Hex();
        return out;
    }
    std::uint16_t GetHexValue() { return GetRecord()->Hex(); }
    void SetHex(std::uint16_t v) { GetRecord()->SetHex(v); }
    // Accessors named by offset keep the names other modules call them by; each says its byte.
    // 28: visibility mask (per country c bits c, c + 4, c + 8).
    std::uint16_t GetMask28() { return GetRecord()->Visibility(); }
    void SetMask28(std::uint16_t v) { GetRecord()->SetVisibility(v); }
    std::uint16_t GetStateFlags() { return GetRecord()->Flags(); }
    void SetStateFlags(std::uint16_t v) { GetRecord()->SetFlags(v); }
    // 32: command byte given by the move, fire and disperse commands.
    std::uint8_t GetCommandByte() { return Byte(TroopRecord::kCommandByte); }
    void SetCommandByte(std::uint8_t v) { SetByte(TroopRecord::kCommandByte, v); }
    std::uint8_t GetByte32() { return GetCommandByte(); }
    void SetByte32(std::uint8_t v) { SetCommandByte(v); }
    std::uint8_t GetTroopAltitudeClass() { return GetRecord()->AltitudeClass(); }
    void SetTroopAltitudeClass(std::uint8_t v) { GetRecord()->SetAltitudeClass(v); }
    std::uint8_t GetCurrentFormation() { return Byte(TroopRecord::kCurrentFormation); }
    void SetCurrentFormation(std::uint8_t v) { SetByte(TroopRecord::kCurrentFormation, v); }
    // 327: MoveDelay, ticks to wait before the next hex step.
    std::uint8_t GetByte327() { return Byte(TroopRecord::kMoveDelay); }
    void SetByte327(std::uint8_t v) { SetByte(TroopRecord::kMoveDelay, v); }
    // 328: spare.
    std::uint8_t GetSpare328() { return Byte(TroopRecord::kSpare328); }
    void SetSpare328(std::uint8_t v) { SetByte(TroopRecord::kSpare328, v); }
    // 329: ActionCounter, ticks spent on the current timed action.
    std::uint8_t GetByte329() { return Byte(TroopRecord::kActionCounter); }
    void SetByte329(std::uint8_t v) { SetByte(TroopRecord::kActionCounter, v); }
    std::uint16_t GetCarrier() { return GetRecord()->Carrier(); }
    void SetCarrier(std::uint16_t v) { GetRecord()->SetCarrier(v); }
    std::uint16_t GetCarryCapacity() { return Word(TroopRecord::kCarryCapacity); }
    void SetCarryCapacity(std::uint16_t v) { SetWord(TroopRecord::kCarryCapacity, v); }
    // 334-341: spare list, reset to 0xFF.
    std::uint8_t GetByte334(int i) { return Byte(TroopRecord::kSpareList + i); }
    void SetByte334(int i, std::uint8_t v) { SetByte(TroopRecord::kSpareList + i, v); }
    // 342: game minute at which the current order was given.
    std::int32_t GetInt342() { return GetRecord()->S32(TroopRecord::kOrderTime); }
    void SetInt342(std::int32_t v) { GetRecord()->SetS32(TroopRecord::kOrderTime, v); }
    // 364: OrderKind of the current order (0 none).
    std::uint8_t GetByte364() { return Byte(TroopRecord::kOrderKind); }
    void SetByte364(std::uint8_t v) { SetByte(TroopRecord::kOrderKind, v); }
    // ActionFlags.
    std::uint16_t GetOrder() { return Word(TroopRecord::kActionFlags); }
    void SetOrder(std::uint16_t v) { SetWord(TroopRecord::kActionFlags, v); }
    // 368: target troop or value of the current order.
    std::uint16_t GetWord368() { return Word(TroopRecord::kTarget); }
    void SetWord368(std::uint16_t v) { SetWord(TroopRecord::kTarget, v); }
    std::uint16_t GetDestination() { return Word(TroopRecord::kDestination); }
    void SetDestination(std::uint16_t v) { SetWord(TroopRecord::kDestination, v); }
    std::uint16_t GetWaypoint(int i) { return Word(TroopRecord::kWaypoints + 2 * i); }
    void SetWaypoint(int i, std::uint16_t v) { SetWord(TroopRecord::kWaypoints + 2 * i, v); }
    // 380: order phase (1 when given, 0 when cleared; the move command's own values).
    std::uint8_t GetOrderPhase() { return Byte(TroopRecord::kOrderPhase); }
    void SetOrderPhase(std::uint8_t v) { SetByte(TroopRecord::kOrderPhase, v); }
    std::uint8_t GetByte380() { return GetOrderPhase(); }
    void SetByte380(std::uint8_t v) { SetOrderPhase(v); }
    // 382: picture number (icon) of the troop.
    std::uint16_t GetIcon() { return Word(TroopRecord::kIcon); }
    // Icons are small numbers: only the low byte of the argument is stored.
    void SetIcon(std::uint16_t v) { SetWord(TroopRecord::kIcon, v & 0xFF); }
    std::uint16_t GetWord382() { return GetIcon(); }
    void SetWord382(std::uint16_t v) { SetIcon(v); }
    // 414: order value shown in the map view's caption.
    std::uint16_t GetOrderValue() { return Word(TroopRecord::kOrderValue); }
    void SetOrderValue(std::uint16_t v) { SetWord(TroopRecord::kOrderValue, v); }
    std::uint16_t GetWord414() { return GetOrderValue(); }
    void SetWord414(std::uint16_t v) { SetOrderValue(v); }
    // Byte 26 of member m (by member index).
    std::uint8_t GetMemberByte26(int m) { return GetRecord()->Member(m).CarrierMember(); }
    void SetMemberByte26(int m, std::uint8_t v) { GetRecord()->Member(m).SetCarrierMember(v); }

    // Flag bits of the flag word.
    int TestOnMap() { return TestFlag(kTroopOnMap); }
    void SetOnMap() { SetFlag(kTroopOnMap); }
    void ClearOnMap() { ClearFlag(kTroopOnMap); }
    int TestAboard() { return TestFlag(kTroopAboard); }
    void SetAboard() { SetFlag(kTroopAboard); }
    void ClearAboard() { ClearFlag(kTroopAboard); }
    int TestCarrying() { return TestFlag(kTroopCarrying); }
    void SetCarrying() { SetFlag(kTroopCarrying); }
    void ClearCarrying() { ClearFlag(kTroopCarrying); }
    // The map click mark, flag 0x0008.
    int TestFlag8() { return TestFlag(kTroopMapMark); }
    void SetFlag8() { SetFlag(kTroopMapMark); }
    void ClearFlag8() { ClearFlag(kTroopMapMark); }
    // The set-up mark, flag 0x0040.
    void SetFlag40() { SetFlag(kTroopSetupMark); }
    // The selection mark of the map windows, flag 0x4000.
    int TestFlag4000() { return TestFlag(kTroopSelectionMark); }
    void ClearFlag4000() { ClearFlag(kTroopSelectionMark); }

    // Formations f = 0-3.
    const char* GetFormationName(int f) { return GetRecord()->Formation(f).NameBytes(); }
    void SetFormationName(int f, const char* name) { GetRecord()->Formation(f).SetNameBytes(name); }
    std::uint8_t GetFormationMember(int f, int slot) {
        return GetRecord()->Formation(f).MemberMap(slot);
    }
    void SetFormationMember(int f, int slot, std::uint8_t member) {
        GetRecord()->Formation(f).SetMemberMap(slot, member);
    }
    std::uint8_t GetFormationByte236(int f) { return GetRecord()->Formation(f).Setting(0); }
    std::uint8_t GetFormationByte237(int f) { return GetRecord()->Formation(f).Setting(1); }
    std::uint8_t GetFormationByte238(int f) { return GetRecord()->Formation(f).Setting(2); }
    std::uint8_t GetFormationByte239(int f) { return GetRecord()->Formation(f).Setting(3); }
    std::uint8_t GetFormationByte240(int f) { return GetRecord()->Formation(f).Setting(4); }
    void SetFormationByte236(int f, std::uint8_t v) { GetRecord()->Formation(f).SetSetting(0, v); }
    void SetFormationByte237(int f, std::uint8_t v) { GetRecord()->Formation(f).SetSetting(1, v); }
    void SetFormationByte238(int f, std::uint8_t v) { GetRecord()->Formation(f).SetSetting(2, v); }
    void SetFormationByte239(int f, std::uint8_t v) { GetRecord()->Formation(f).SetSetting(3, v); }
    void SetFormationByte240(int f, std::uint8_t v) { GetRecord()->Formation(f).SetSetting(4, v); }

    // Members by formation slot of the current formation.
    std::int16_t GetMemberUnit(int slot);
    std::uint8_t GetMemberStrength(int slot);
    void SetMemberStrength(int slot, std::uint8_t v);
    std::uint8_t GetMemberDurability(int slot);
    void SetMemberDurability(int slot, std::uint8_t v);
    std::uint16_t GetMemberFuel(int slot);
    void SetMemberFuel(int slot, std::uint16_t v);
    std::uint16_t GetMemberSpare6(int slot);
    void SetMemberSpare6(int slot, std::uint16_t v);
    std::uint8_t GetMemberPack(int slot);
    void SetMemberPack(int slot, std::uint8_t v);
    std::uint8_t GetMemberAmmo(int slot, int w);
    void SetMemberAmmo(int slot, int w, std::uint8_t v);
    std::uint8_t GetMemberWeaponByte16(int slot, int w);
    void SetMemberWeaponByte16(int slot, int w, std::uint8_t v);
    std::uint8_t GetMemberByte22(int slot, int row);
    void SetMemberByte22(int slot, int row, std::uint8_t v);
    std::uint8_t GetMemberByte24(int slot, int row);
    void SetMemberByte24(int slot, int row, std::uint8_t v);
    TroopMember* GetMemberRecord(int slot) { return GetRecord()->SlotMember(slot); }
    void SetMemberRecord(int slot, const TroopMember& member);

    // Predicates.
    int HasMembers();
    // On the map: flag 0x0001 set, 0x0002 clear and the hex inside the 64 x 64 map.
    int IsOnMap();
    // Country c may see the troop: allied with it, or bit c or c + 4 of the visibility mask.
    int TestCountryMask(std::uint8_t c);
    int IsAlliedWith(std::uint8_t c);
    int IsSameSide(std::uint8_t c);

    static std::uint16_t GetTroopsPerCountry() { return kTroopsPerCountry; }
    static std::uint16_t GetFirstTroopOfCountry(std::uint8_t c) {
        return static_cast<std::uint16_t>(kTroopsPerCountry * c);
    }

    // The activity word shown in lists and panels (UTF-8). `localCountry` is the local
    // player's country, for the carrier number of a troop aboard.
    std::string GetStatusText(int flag, std::uint8_t localCountry);

    // Altitude class := 高度識別 of the first present member whose unit selects; returns the
    // class (unchanged when there is none).
    std::uint8_t RefreshAltitudeClass();
    // Used troops among 0-159 of the country (5 = all); with a class other than kAnyAltitude only
    // those whose refreshed altitude class equals it. The selection is restored.
    int CountTroopsByAltitude(std::uint8_t country, std::uint8_t altitudeClass);

  protected:
    TableDirectory& Tables() { return *tables_; }
    // Accessors reach the record through the virtual getter so derived cursors redirect them.
    std::uint8_t Byte(std::size_t offset) { return GetRecord()->bytes[offset]; }
    void SetByte(std::size_t offset, std::uint8_t v) { GetRecord()->bytes[offset] = v; }
    std::uint16_t Word(std::size_t offset) { return GetRecord()->U16(offset); }
    void SetWord(std::size_t offset, std::uint16_t v) { GetRecord()->SetU16(offset, v); }
    int TestFlag(std::uint16_t bit) { return (GetRecord()->Flags() & bit) != 0; }
    void SetFlag(std::uint16_t bit) {
        GetRecord()->SetFlags(static_cast<std::uint16_t>(GetRecord()->Flags() | bit));
    }
    void ClearFlag(std::uint16_t bit) {
        GetRecord()->SetFlags(static_cast<std::uint16_t>(GetRecord()->Flags() & ~bit));
    }
    // The first present member (formation-slot order) whose unit selects, leaving the unit
    // cursor on it; -1 when none.
    int FirstSelectableSlot();

    TableDirectory* tables_;
    TableId troopTable_;
    TroopRecord* record_;
    std::uint16_t index_ = 0;
    char name_[25] = {};
};

}  // namespace zv::rules
