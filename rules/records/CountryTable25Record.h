#pragma once

#include <cstddef>
#include <cstdint>

#include "rules/records/Bytes.h"

// The result record of one country (table 25, four records of 44 bytes): what the rules count
// during play and what the country held at its end. Saved games store it.
namespace zv::rules {

inline constexpr std::size_t kCountryTable25RecordSize = 44;
inline constexpr int kCountryStatsCount = 4;
inline constexpr int kStatSiteKinds = 6;
inline constexpr int kStatAltitudeClasses = 5;  // classes 1-5

struct CountryTable25Record : ByteRecord<kCountryTable25RecordSize> {
    static constexpr std::size_t kEndHours = 0, kEndMinute = 2, kOutcome = 3, kSitesAtEnd = 4,
                                 kSuppliedSitesAtEnd = 10, kFundsAtEnd = 16, kTotal = 20,
                                 kTroopsAtStart = 24, kTroopsProduced = 29, kTroopsAtEnd = 34,
                                 kTroopsLost = 39;

    std::uint16_t EndHours() const { return U16(kEndHours); }
    void SetEndHours(std::uint16_t v) { SetU16(kEndHours, v); }
    std::uint8_t EndMinute() const { return bytes[kEndMinute]; }
    void SetEndMinute(std::uint8_t v) { bytes[kEndMinute] = v; }
    // For the local player: 0 won, 1 lost.
    std::uint8_t Outcome() const { return bytes[kOutcome]; }
    void SetOutcome(std::uint8_t v) { bytes[kOutcome] = v; }
    std::uint8_t SitesAtEnd(int kind) const { return bytes[kSitesAtEnd + kind]; }
    void SetSitesAtEnd(int kind, std::uint8_t v) { bytes[kSitesAtEnd + kind] = v; }
    std::uint8_t SuppliedSitesAtEnd(int kind) const { return bytes[kSuppliedSitesAtEnd + kind]; }
    void SetSuppliedSitesAtEnd(int kind, std::uint8_t v) { bytes[kSuppliedSitesAtEnd + kind] = v; }
    std::int32_t FundsAtEnd() const { return S32(kFundsAtEnd); }
    void SetFundsAtEnd(std::int32_t v) { SetS32(kFundsAtEnd, v); }
    std::int32_t Total() const { return S32(kTotal); }
    void SetTotal(std::int32_t v) { SetS32(kTotal, v); }

    // Class counters by altitude class 1-5; class k lives at byte base + k - 1. The callers
    // keep k within 1-5.
    std::uint8_t TroopsAtStart(int k) const { return bytes[kTroopsAtStart + k - 1]; }
    void SetTroopsAtStart(int k, std::uint8_t v) { bytes[kTroopsAtStart + k - 1] = v; }
    std::uint8_t TroopsProduced(int k) const { return bytes[kTroopsProduced + k - 1]; }
    void SetTroopsProduced(int k, std::uint8_t v) { bytes[kTroopsProduced + k - 1] = v; }
    std::uint8_t TroopsAtEnd(int k) const { return bytes[kTroopsAtEnd + k - 1]; }
    void SetTroopsAtEnd(int k, std::uint8_t v) { bytes[kTroopsAtEnd + k - 1] = v; }
    std::uint8_t TroopsLost(int k) const { return bytes[kTroopsLost + k - 1]; }
    void SetTroopsLost(int k, std::uint8_t v) { bytes[kTroopsLost + k - 1] = v; }
};
static_assert(sizeof(CountryTable25Record) == kCountryTable25RecordSize);
static_assert(CountryTable25Record::kTroopsLost + kStatAltitudeClasses ==
              kCountryTable25RecordSize);

}  // namespace zv::rules
