#include "rules/records/ForceCursor.h"

#include <cstdio>
#include <cstring>

#include "framework/FileObject.h"
#include "rules/files/GameFileHeader.h"

namespace zv::rules {

ForceWorkspace::ForceWorkspace() = default;

void BeginForceScratchMode(ForceWorkspace& workspace) {
    workspace.scratchOn_ = true;
    workspace.scratchSlot_ = -1;
    workspace.scratchIndex_ = kNoTroop;
}

void ForgetForceScratchCopy(ForceWorkspace& workspace) {
    workspace.scratchSlot_ = -1;
    workspace.scratchIndex_ = kNoTroop;
}
void EndForceScratchMode(ForceWorkspace& workspace) {
    workspace.scratchOn_ = false;
}

ForceCursor::ForceCursor(TableDirectory& tables, std::uint8_t country, ForceWorkspace* workspace)
    : ForceCursor(tables, country, TableId::Force, workspace) {}

ForceCursor::ForceCursor(TableDirectory& tables, std::uint8_t country, TableId forceTable,
                         ForceWorkspace* workspace)
    : UnitKindCursor(tables),
      MvcostKdCursor(tables),
      DefencDkCursor(tables),
      ActionKdCursor(tables),
      UnitInfoCursor(tables),
      TroopCursor(tables),
      forceTable_(forceTable),
      workspace_(workspace) {
    slot_ = SlotForType(country);
    force_ = reinterpret_cast<ForceRecord*>(SlotBase(slot_));
    index_ = 0;
    record_ = &force_->Troop(0);
}

std::uint8_t ForceCursor::SlotForType(std::uint8_t country) const {
    return country < 4 ? static_cast<std::uint8_t>(country + 1) : 0;
}

int ForceCursor::SelectSlot(std::uint8_t country) {
    index_ = 0;
    slot_ = SlotForType(country);
    force_ = reinterpret_cast<ForceRecord*>(SlotBase(slot_));
    return 1;
}

ForceRecord* ForceCursor::GetForceRecord() {
    return force_;
}

int ForceCursor::SelectedSlot() const {
    const std::uint8_t* base = const_cast<ForceCursor*>(this)->SlotBase(0);
    return static_cast<int>((reinterpret_cast<const std::uint8_t*>(force_) - base) /
                            static_cast<std::ptrdiff_t>(kForceRecordSize));
}

int ForceCursor::LoadSlotToWork(std::uint8_t country) {
    const std::uint8_t slot = SlotForType(country);
    slot_ = slot;
    if (slot != 0) std::memcpy(SlotBase(0), SlotBase(slot), kForceRecordSize);
    ForgetScratchOf(0);
    return 1;
}

int ForceCursor::StoreWorkToSlot(std::uint8_t country) {
    const std::uint8_t slot = SlotForType(country);
    slot_ = slot;
    if (slot != 0) std::memcpy(SlotBase(slot), SlotBase(0), kForceRecordSize);
    ForgetScratchOf(slot);
    return 1;
}

int ForceCursor::PlaceTroopAt(std::uint16_t troop, std::uint16_t hex, std::uint8_t country) {
    SelectSlot(country);
    if (!Select(troop)) return 1;
    SetStateFlags(static_cast<std::uint16_t>(GetStateFlags() | kTroopReinforcement));
    SetHex(hex);
    return 1;
}

int ForceCursor::Select(std::uint16_t n) {
    // Beyond the corps' troops lies the next corps (or the end of the table).
    if (n == kNoTroop || n >= kForceTroopCount) return 0;
    if (!Scratching()) {
        index_ = n;
        record_ = &force_->Troop(n);
        return 1;
    }
    const int slot = SelectedSlot();
    if (workspace_->scratchSlot_ != slot || workspace_->scratchIndex_ != n) {
        workspace_->scratch_ = force_->Troop(n);
        workspace_->scratchSlot_ = slot;
        workspace_->scratchIndex_ = n;
    }
    record_ = &workspace_->scratch_;
    return 1;
}

int ForceCursor::SelectForceTroop(std::uint16_t n) {
    if (n == kNoTroop || n >= kForceTroopCount) return 0;
    record_ = &force_->Troop(n);
    return 1;
}

int ForceCursor::SelectScratchTroop() {
    if (!workspace_) return 0;
    record_ = &workspace_->scratch_;
    return 1;
}

void ForceCursor::ResetScratchTroop() {
    if (SelectScratchTroop()) ResetCurrentTroop();
}

void ForceCursor::StoreScratchTroop(std::uint16_t n) {
    if (!workspace_ || n >= kForceTroopCount) return;
    force_->Troop(n) = workspace_->scratch_;
}

std::uint16_t ForceCursor::FindCarriedTroopOfCurrent(std::uint16_t n) {
    if (!Scratching()) return TroopCursor::FindCarriedTroopOfCurrent(n);
    // The walk selects many troops: it must see the corps, not the scratch copy.
    workspace_->scratchOn_ = false;
    const std::uint16_t found = TroopCursor::FindCarriedTroopOfCurrent(n);
    workspace_->scratchOn_ = true;
    SelectScratchTroop();
    return found;
}

int ForceCursor::TryLoadOnto(std::uint16_t carrier, std::uint16_t passenger, int commit) {
    if (!Scratching()) return TroopCursor::TryLoadOnto(carrier, passenger, commit);
    workspace_->scratchOn_ = false;
    const int result = TroopCursor::TryLoadOnto(carrier, passenger, commit);
    workspace_->scratchOn_ = true;
    SelectScratchTroop();
    return result;
}

std::uint16_t ForceCursor::FindFreeTroopSlot() {
    for (std::uint16_t t = 0; t < GetCapacity(); ++t) {
        if (IsFreeForceTroop(force_->Troop(t))) return t;
    }
    return kNoTroop;
}

const char* ForceCursor::GetName() {
    std::memcpy(forceName_, force_->NameBytes(), ForceRecord::kNameSize);
    forceName_[ForceRecord::kNameSize] = '\0';
    return forceName_;
}

void ForceCursor::SetName(const char* name) {
    force_->SetText(ForceRecord::kName, ForceRecord::kNameSize,
                    std::string_view(name, strnlen(name, ForceRecord::kNameSize)));
}

int ForceCursor::HasName() {
    return GetName()[0] != '\0';
}

const char* ForceCursor::GetComment() {
    std::memcpy(comment_, force_->CommentBytes(), ForceRecord::kCommentSize);
    comment_[ForceRecord::kCommentSize] = '\0';
    return comment_;
}

void ForceCursor::SetComment(const char* comment) {
    force_->SetText(ForceRecord::kComment, ForceRecord::kCommentSize,
                    std::string_view(comment, strnlen(comment, ForceRecord::kCommentSize)));
}

void ForceCursor::ClearForce() {
    std::memset(force_->data() + ForceRecord::kName, 0, ForceRecord::kNameSize);
    std::memset(force_->data() + ForceRecord::kComment, 0, ForceRecord::kCommentSize);
    SetHeaderWord280(0);
    SetHeaderWord282(0);
    SetHeaderInt284(kForceInt284Default);
    SetHeaderWord288(0);
    SetHeaderWord290(0);
    // The corps' own troops are reset, also in scratch mode, and a scratch copy of one of them
    // is forgotten.
    for (std::uint16_t t = 0; t < GetCapacity(); ++t) {
        SelectForceTroop(t);
        ResetCurrentTroop();
    }
    ForgetScratchOf(SelectedSlot());
    SelectForceTroop(index_);
}

FileStatus ForceCursor::SaveUserForceFile(const std::string& programDir, const char* fileName) {
    if (!fileName) return FileStatus::Failure("no corps file name");
    std::vector<std::uint8_t> image(kCorpsFileSize);
    const GameFileHeader header = GameFileHeader::Make(kCorpsFileKind, kForceRecordSize);
    std::memcpy(image.data(), header.data(), kGameFileHeaderSize);
    std::memcpy(image.data() + kGameFileHeaderSize, force_->data(), kForceRecordSize);
    return WriteGameFile(GamePath(programDir, "USER", fileName), image);
}

FileStatus ForceCursor::LoadUserForceFile(const std::string& programDir, const char* fileName) {
    if (!fileName) return FileStatus::Failure("no corps file name");
    const std::string path = GamePath(programDir, "USER", fileName);
    std::vector<std::uint8_t> image;
    if (FileStatus read = ReadGameFile(path, kCorpsFileSize, image); !read) return read;
    if (PeekFileKind(image) != kCorpsFileKind) {
        return FileStatus::Failure(path + " is not a corps file");
    }
    if (image.size() != kCorpsFileSize) {
        return FileStatus::Failure(path + " is " + std::to_string(image.size()) +
                                   " bytes, a corps file has " + std::to_string(kCorpsFileSize));
    }
    std::memcpy(force_->data(), image.data() + kGameFileHeaderSize, kForceRecordSize);
    ForgetScratchOf(SelectedSlot());
    if (workspace_) workspace_->lastFileName_ = fileName;
    return FileStatus::Success();
}

ShadowForceCursor::ShadowForceCursor(TableDirectory& tables, std::uint8_t country)
    : UnitKindCursor(tables),
      MvcostKdCursor(tables),
      DefencDkCursor(tables),
      ActionKdCursor(tables),
      UnitInfoCursor(tables),
      ForceCursor(tables, country, TableId::ShadowForce, nullptr) {}

namespace {

std::string ForceFileName(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "useFrc%02d.prm", n);
    return name;
}

}  // namespace

std::uint16_t FindFreeUserForceNumber(const std::string& programDir) {
    fw::FileObject file;
    for (int n = 0; n < 100; ++n) {
        if (!file.Open(GamePath(programDir, "USER", ForceFileName(n)), fw::kFileModeReadExisting)) {
            return static_cast<std::uint16_t>(n);
        }
        file.Close();
    }
    return kNoForceFileNumber;
}

std::optional<std::string> MakeNewUserForceFileName(const std::string& programDir) {
    const std::uint16_t n = FindFreeUserForceNumber(programDir);
    if (n == kNoForceFileNumber) return std::nullopt;
    return ForceFileName(n);
}

}  // namespace zv::rules
