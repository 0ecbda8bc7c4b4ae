#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "rules/records/Bytes.h"

// One news event of a running game (1008 bytes). The news window keeps them; table 26 holds
// 500 of them for the result window and single-play saved games, so the layout is a file
// format. The rule method that posts an event zero-fills the record before setting fields.
namespace zv::rules {

inline constexpr std::size_t kNewsRecordSize = 1008;
inline constexpr std::size_t kNewsTableCount = 500;
inline constexpr std::size_t kNewsFightRecordSize = 664;
inline constexpr std::size_t kNewsNameCacheSize = 24;
inline constexpr std::uint8_t kNewsEmptySlot = 0xFF;
inline constexpr std::uint16_t kNewsUnidentified = 0xFFFF;

enum NewsKind : std::uint8_t {
    kNewsGoalReached = 0,
    kNewsOccupied = 1,
    kNewsSiteTaken = 2,
    kNewsAttacked = 3,
    kNewsWasAttacked = 4,
    kNewsCrashed = 5,
    kNewsBoarded = 6,
    kNewsLaunched = 7,
    kNewsBombing = 8,
    kNewsTransformed = 9,
    kNewsDisbanded = 10,
};
inline constexpr int kNewsKindCount = 11;

struct NewsRecord : ByteRecord<kNewsRecordSize> {
    static constexpr std::size_t kKind = 0, kSubIndex = 1, kTimeHours = 2, kMinute = 4, kHexX = 5,
                                 kHexY = 6, kValue = 8, kCountry = 14, kFirstTroop = 16,
                                 kFirstIcon = 18, kSecondTroop = 20, kSecondIcon = 22,
                                 kFirstUnitsBefore = 24, kFirstUnitsAfter = 25,
                                 kSecondUnitsBefore = 70, kSecondUnitsAfter = 71,
                                 kFightRecord = 296, kFirstNameCache = 960, kSecondNameCache = 984;

    // A zero-filled record, as every writer starts.
    static NewsRecord Zeroed() {
        NewsRecord r;
        r.bytes.fill(0);
        return r;
    }

    bool IsEmptySlot() const { return bytes[kKind] == kNewsEmptySlot; }
    std::uint8_t Kind() const { return bytes[kKind]; }
    void SetKind(std::uint8_t v) { bytes[kKind] = v; }
    std::uint8_t SubIndex() const { return bytes[kSubIndex]; }
    void SetSubIndex(std::uint8_t v) { bytes[kSubIndex] = v; }
    // Game time of the event: day * 24 + hour, and the minute.
    std::uint16_t TimeHours() const { return U16(kTimeHours); }
    void SetTimeHours(std::uint16_t v) { SetU16(kTimeHours, v); }
    std::uint8_t Minute() const { return bytes[kMinute]; }
    void SetMinute(std::uint8_t v) { bytes[kMinute] = v; }
    std::uint8_t HexX() const { return bytes[kHexX]; }
    std::uint8_t HexY() const { return bytes[kHexY]; }
    void SetHexXY(std::uint8_t x, std::uint8_t y) {
        bytes[kHexX] = x;
        bytes[kHexY] = y;
    }
    std::uint16_t Value() const { return U16(kValue); }
    void SetValue(std::uint16_t v) { SetU16(kValue, v); }
    std::uint16_t Country() const { return U16(kCountry); }
    void SetCountry(std::uint16_t v) { SetU16(kCountry, v); }
    std::uint16_t FirstTroop() const { return U16(kFirstTroop); }
    void SetFirstTroop(std::uint16_t v) { SetU16(kFirstTroop, v); }
    std::uint16_t FirstIcon() const { return U16(kFirstIcon); }
    void SetFirstIcon(std::uint16_t v) { SetU16(kFirstIcon, v); }
    std::uint16_t SecondTroop() const { return U16(kSecondTroop); }
    void SetSecondTroop(std::uint16_t v) { SetU16(kSecondTroop, v); }
    std::uint16_t SecondIcon() const { return U16(kSecondIcon); }
    void SetSecondIcon(std::uint16_t v) { SetU16(kSecondIcon, v); }
    std::uint8_t FirstUnitsBefore() const { return bytes[kFirstUnitsBefore]; }
    std::uint8_t FirstUnitsAfter() const { return bytes[kFirstUnitsAfter]; }
    void SetFirstUnits(std::uint8_t before, std::uint8_t after) {
        bytes[kFirstUnitsBefore] = before;
        bytes[kFirstUnitsAfter] = after;
    }
    std::uint8_t SecondUnitsBefore() const { return bytes[kSecondUnitsBefore]; }
    std::uint8_t SecondUnitsAfter() const { return bytes[kSecondUnitsAfter]; }
    void SetSecondUnits(std::uint8_t before, std::uint8_t after) {
        bytes[kSecondUnitsBefore] = before;
        bytes[kSecondUnitsAfter] = after;
    }

    // The fight record of kinds 3 and 4, copied whole.
    std::uint8_t* FightRecord() { return data() + kFightRecord; }
    const std::uint8_t* FightRecord() const { return data() + kFightRecord; }
    void SetFightRecord(const std::uint8_t* fight) {
        std::memcpy(data() + kFightRecord, fight, kNewsFightRecordSize);
    }

    // Name caches of the news list: 24 bytes each, not terminated when the name fills them.
    // which = 0 for the troop named first, 1 for the second.
    bool HasCachedName(int which) const { return bytes[CacheOffset(which)] != 0; }
    // The cached name as text of at most 24 bytes (the buffer takes 25).
    void GetCachedName(int which, char out[kNewsNameCacheSize + 1]) const;
    // Stores up to 24 bytes of the name; a shorter name is NUL-padded.
    void SetCachedName(int which, const char* name);

  private:
    static constexpr std::size_t CacheOffset(int which) {
        return which == 0 ? kFirstNameCache : kSecondNameCache;
    }
};
static_assert(sizeof(NewsRecord) == kNewsRecordSize);
static_assert(NewsRecord::kFightRecord + kNewsFightRecordSize == NewsRecord::kFirstNameCache);
static_assert(NewsRecord::kSecondNameCache + kNewsNameCacheSize == kNewsRecordSize);

inline void NewsRecord::GetCachedName(int which, char out[kNewsNameCacheSize + 1]) const {
    const std::uint8_t* p = data() + CacheOffset(which);
    std::size_t n = 0;
    while (n < kNewsNameCacheSize && p[n] != 0) ++n;
    std::memcpy(out, p, n);
    out[n] = '\0';
}

inline void NewsRecord::SetCachedName(int which, const char* name) {
    std::uint8_t* p = data() + CacheOffset(which);
    std::size_t n = 0;
    while (n < kNewsNameCacheSize && name[n] != '\0') ++n;
    std::memcpy(p, name, n);
    std::memset(p + n, 0, kNewsNameCacheSize - n);
}

// Record i of a news table (table 26's base).
inline NewsRecord* NewsAt(std::uint8_t* base, std::size_t i) {
    return reinterpret_cast<NewsRecord*>(base + i * kNewsRecordSize);
}

}  // namespace zv::rules
