#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "rules/files/GameFileIo.h"
#include "rules/records/ForceRecord.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules {

// Size of a corps file: header and one ForceRecord.
inline constexpr std::size_t kCorpsFileSize = 16 + kForceRecordSize;
inline constexpr std::uint16_t kNoForceFileNumber = 0xFFFF;

// The organisation screens' corps workspace: the scratch mode in which one corps troop is
// edited outside its force, and the name of the corps file loaded last. One per world, owned
// by whoever runs the organisation screens; cursors built without one never use scratch mode.
class ForceWorkspace {
  public:
    ForceWorkspace();

    bool ScratchOn() const { return scratchOn_; }
    TroopRecord& ScratchRecord() { return scratch_; }
    const std::string& LastFileName() const { return lastFileName_; }

  private:
    friend class ForceCursor;
    friend void BeginForceScratchMode(ForceWorkspace&);
    friend void EndForceScratchMode(ForceWorkspace&);
    friend void ForgetForceScratchCopy(ForceWorkspace&);

    // The scratch copy is of troop `scratchIndex_` of force slot `scratchSlot_`; a copy of
    // another slot's troop is never handed out for this one.
    void ForgetScratchOf(int slot) {
        if (scratchSlot_ == slot) scratchIndex_ = kNoTroop;
    }

    bool scratchOn_ = false;
    int scratchSlot_ = -1;
    std::uint16_t scratchIndex_ = kNoTroop;
    TroopRecord scratch_;
    std::string lastFileName_;
};

// Beginning scratch mode forgets the copy of an earlier session, so the first selection copies
// the troop afresh from the corps.
void BeginForceScratchMode(ForceWorkspace& workspace);
void EndForceScratchMode(ForceWorkspace& workspace);
// The next selection in scratch mode copies its troop afresh (after the corps changed under it).
void ForgetForceScratchCopy(ForceWorkspace& workspace);
inline TroopRecord& GetScratchTroopRecord(ForceWorkspace& workspace) {
    return workspace.ScratchRecord();
}
inline const std::string& GetLastUserForceFileName(const ForceWorkspace& workspace) {
    return workspace.LastFileName();
}

// Cursor over the five corps of table 14 and, being a troop cursor, over the 160 troops of the
// selected corps. Slot for a country: 0-3 -> 1-4, anything else (the game passes 5) -> 0.
//
// ForceCursor::GetName names the corps; the troop's name is TroopCursor::GetName.
class ForceCursor : public TroopCursor {
  public:
    explicit ForceCursor(TableDirectory& tables, std::uint8_t country = 5,
                         ForceWorkspace* workspace = nullptr);

    virtual std::uint8_t SlotForType(std::uint8_t country) const;
    virtual int SelectSlot(std::uint8_t country);
    virtual ForceRecord* GetForceRecord();
    // Copy the country's corps over the working copy (slot 0) and back. Both set the cursor's
    // slot number to the country's slot and leave the selected corps as it was.
    virtual int LoadSlotToWork(std::uint8_t country);
    virtual int StoreWorkToSlot(std::uint8_t country);
    // Marks a corps troop for placement: reinforcement flag 0x2000 and the requested hex.
    virtual int PlaceTroopAt(std::uint16_t troop, std::uint16_t hex, std::uint8_t country);

    TroopRecord* GetRecord() override { return record_; }
    TroopRecord* GetTroopRecord() { return GetRecord(); }
    // 0 for 0xFFFF or an index at or beyond the corps' 160 troops. In scratch mode the troop is
    // copied into the scratch record (unless it is the one copied last) and the cursor points
    // there; the troop index then stays as it was.
    int Select(std::uint16_t n) override;
    int SelectTroop(std::uint16_t n) { return Select(n); }
    std::uint16_t FindCarriedTroopOfCurrent(std::uint16_t n) override;
    std::uint16_t GetTableLimit() const override { return kForceTroopCount; }
    std::uint16_t GetCapacity() const { return kForceTroopCount; }
    int TryLoadOnto(std::uint16_t carrier, std::uint16_t passenger, int commit) override;

    // Points at troop n of the corps itself, whatever the scratch mode.
    int SelectForceTroop(std::uint16_t n);
    int SelectScratchTroop();
    void ResetScratchTroop();
    void StoreScratchTroop(std::uint16_t n);
    std::uint8_t GetSlot() const { return slot_; }

    std::uint16_t FindFreeTroopSlot();
    TroopMember* GetMember(int m) { return &GetRecord()->Member(m); }
    void SetMember(int m, const TroopMember& member) { GetRecord()->Member(m) = member; }

    // Header of the selected corps.
    const char* GetName();  // 24 bytes, terminated, in the cursor's buffer
    void SetName(const char* name);
    int HasName();
    const char* GetComment();  // 256 bytes, terminated
    void SetComment(const char* comment);
    // Header fields by offset: 280, 284 and 290 have no meaning in the rules; 282 is the
    // corps-assigned flag; 288 the production type.
    std::uint16_t GetHeaderWord280() { return GetForceRecord()->U16(ForceRecord::kSpare280); }
    void SetHeaderWord280(std::uint16_t v) { GetForceRecord()->SetU16(ForceRecord::kSpare280, v); }
    std::uint16_t GetHeaderWord282() { return GetForceRecord()->U16(ForceRecord::kAssignedFlag); }
    void SetHeaderWord282(std::uint16_t v) {
        GetForceRecord()->SetU16(ForceRecord::kAssignedFlag, v);
    }
    std::int32_t GetHeaderInt284() { return GetForceRecord()->S32(ForceRecord::kInt284); }
    void SetHeaderInt284(std::int32_t v) { GetForceRecord()->SetS32(ForceRecord::kInt284, v); }
    std::uint16_t GetHeaderWord288() { return GetForceRecord()->U16(ForceRecord::kProductionType); }
    void SetHeaderWord288(std::uint16_t v) {
        GetForceRecord()->SetU16(ForceRecord::kProductionType, v);
    }
    std::uint16_t GetHeaderWord290() { return GetForceRecord()->U16(ForceRecord::kSpare290); }
    void SetHeaderWord290(std::uint16_t v) { GetForceRecord()->SetU16(ForceRecord::kSpare290, v); }

    // Empties the selected corps: texts and header words zero, int 284 = 10000, troops reset.
    void ClearForce();

    // Corps files "useFrc%02d.prm" in programDir + "\USER\". The save writes the whole file in
    // one step; the load checks kind and size before the corps changes.
    FileStatus SaveUserForceFile(const std::string& programDir, const char* fileName);
    FileStatus LoadUserForceFile(const std::string& programDir, const char* fileName);

  protected:
    ForceCursor(TableDirectory& tables, std::uint8_t country, TableId forceTable,
                ForceWorkspace* workspace);

    std::uint8_t* SlotBase(std::uint8_t slot) {
        return Tables().GetTableBase(forceTable_) + slot * kForceRecordSize;
    }
    int SelectedSlot() const;
    bool Scratching() const { return workspace_ && workspace_->scratchOn_; }
    void ForgetScratchOf(int slot) {
        if (workspace_) workspace_->ForgetScratchOf(slot);
    }

    TableId forceTable_;
    std::uint8_t slot_ = 0;
    ForceRecord* force_ = nullptr;
    ForceWorkspace* workspace_ = nullptr;
    char forceName_[25] = {};
    char comment_[257] = {};
};

// The same cursor over the shadow corps of table 24, for the simulation; no scratch mode.
class ShadowForceCursor : public ForceCursor {
  public:
    explicit ShadowForceCursor(TableDirectory& tables, std::uint8_t country = 5);
};

// First number 0-99 whose corps file cannot be opened for reading; 0xFFFF when all exist.
std::uint16_t FindFreeUserForceNumber(const std::string& programDir);
// "useFrc%02d.prm" with the first free number; nothing when all 100 exist.
std::optional<std::string> MakeNewUserForceFileName(const std::string& programDir);

}  // namespace zv::rules
