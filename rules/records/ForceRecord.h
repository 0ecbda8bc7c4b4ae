#pragma once

#include <cstddef>
#include <cstdint>

#include "rules/records/Bytes.h"
#include "rules/records/TroopRecord.h"

// A corps: name, comment, production type and 160 troops. Table 14 (and 24) holds five of them
// back to back: slot 0 is the organisation screens' working copy, slots 1-4 the corps of
// countries 0-3. The same bytes form the body of a corps file.
namespace zv::rules {

inline constexpr std::size_t kForceRecordSize = 67174;
inline constexpr int kForceSlotCount = 5;
inline constexpr std::uint16_t kForceTroopCount = 160;
inline constexpr std::int32_t kForceInt284Default = 10000;

struct ForceRecord : ByteRecord<kForceRecordSize> {
    static constexpr std::size_t kName = 0, kNameSize = 24, kComment = 24, kCommentSize = 256,
                                 kSpare280 = 280, kAssignedFlag = 282, kInt284 = 284,
                                 kProductionType = 288, kSpare290 = 290, kTroops = 294;

    const char* NameBytes() const { return reinterpret_cast<const char*>(data() + kName); }
    const char* CommentBytes() const { return reinterpret_cast<const char*>(data() + kComment); }
    std::uint16_t Spare280() const { return U16(kSpare280); }
    std::uint16_t AssignedFlag() const { return U16(kAssignedFlag); }
    std::int32_t Int284() const { return S32(kInt284); }
    std::uint16_t ProductionType() const { return U16(kProductionType); }
    std::uint16_t Spare290() const { return U16(kSpare290); }

    TroopRecord& Troop(std::size_t t) {
        return *reinterpret_cast<TroopRecord*>(data() + kTroops + kTroopRecordSize * t);
    }
    const TroopRecord& Troop(std::size_t t) const {
        return *reinterpret_cast<const TroopRecord*>(data() + kTroops + kTroopRecordSize * t);
    }
};
static_assert(sizeof(ForceRecord) == kForceRecordSize);
static_assert(ForceRecord::kTroops + kForceTroopCount * kTroopRecordSize == kForceRecordSize);

// A force troop is free when both its slot byte and its country are 0xFF.
inline bool IsFreeForceTroop(const TroopRecord& t) {
    return t.SlotByte() == 0xFF && t.Country() == 0xFF;
}

}  // namespace zv::rules
