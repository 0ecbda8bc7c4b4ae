#include "rules/context/RuleHelpers.h"

#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopRecord.h"

namespace zv::rules {

int AreCountriesAllied(TableDirectory& tables, std::uint8_t a, std::uint8_t b,
                       TableId countryTable) {
    if (a >= kCountryCount || b >= kCountryCount) return 0;
    CountryCursor country(tables, countryTable);
    if (!country.Select(a)) return 0;
    return (country.GetAllianceMask() >> b) & 1;
}

std::uint16_t HexDistance(std::uint16_t x1, std::uint16_t y1, std::uint16_t x2, std::uint16_t y2) {
    const int dx = x1 > x2 ? x1 - x2 : x2 - x1;
    const int dy = y1 > y2 ? y1 - y2 : y2 - y1;
    const bool odd = (y1 & 1) != 0;
    // Moving right from an odd row, or left from an even one, gains half a hex on the first
    // row change.
    if ((odd && x1 < x2) || (!odd && x1 > x2)) {
        if (dx < (dy + 1) / 2) return static_cast<std::uint16_t>(dy);
        return static_cast<std::uint16_t>(dx + dy / 2);
    }
    if (dx < dy / 2) return static_cast<std::uint16_t>(dy);
    return static_cast<std::uint16_t>(dx + (dy + 1) / 2);
}

int RandomBelow(fw::RandomStreams& streams, int n) {
    if (n <= 0) return 0;
    return static_cast<int>(static_cast<std::int64_t>(streams.NextRandom2()) * (n - 1) / 32767);
}

void SeedGameRandom(fw::RandomStreams& streams, std::uint32_t seed) {
    streams.SeedRandom1(seed & 0xFFFF);
}

int GameRandomBelow(fw::RandomStreams& streams, int n) {
    const int draw = streams.NextRandom1();
    if (n <= 1) return 0;
    return static_cast<int>(static_cast<std::int64_t>(draw) * (n - 1) / 32767);
}

int CountPlacedTroops(const TableDirectory& tables, int country, TableId troopTable) {
    const std::uint8_t* base = tables.GetTableBase(troopTable);
    const std::size_t size = tables.GetEntry(troopTable).recordSize;
    const int count = tables.GetTableRecordCount(troopTable) < kMapTroopCount
                          ? tables.GetTableRecordCount(troopTable)
                          : kMapTroopCount;
    int placed = 0;
    for (int t = 0; t < count; ++t) {
        const std::uint8_t* troop = base + static_cast<std::size_t>(t) * size;
        if (ReadU8(troop, TroopRecord::kSlotByte) == 0xFF) continue;
        if (country == 5 || ReadU8(troop, TroopRecord::kCountry) == country) ++placed;
    }
    return placed;
}

char* FormatGradeLetter(int value, char* out) {
    // Outside 0-299 the letter would leave Ａ-Ｆ; hold it at the nearest grade.
    if (value < 0) value = 0;
    if (value > 299) value = 299;
    out[0] = static_cast<char>(0x82);
    out[1] = static_cast<char>(0x65 - value / 50);
    out[2] = '\0';
    return out;
}

}  // namespace zv::rules
