#include "rules/countries/CountryStatistics.h"

#include <cstring>

#include "rules/records/MapRecords.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules {

namespace {

const std::uint8_t* Header(TableDirectory& tables) {
    return tables.GetTableBase(TableId::ScenarioHeader);
}

const std::uint8_t* CountryBytes(TableDirectory& tables, std::uint8_t country) {
    return tables.GetTableBase(TableId::Country) + country * sizeof(CountryRecord);
}

// Sites of a kind owned by the country; only supplied ones when `supplied`.
std::uint8_t CountOwnedSites(TableDirectory& tables, std::uint8_t country, int kind,
                             bool supplied) {
    const std::uint8_t* sites = tables.GetTableBase(TableId::Site);
    int count = 0;
    for (int s = 0; s < kSiteCount; ++s) {
        const std::uint8_t* site = sites + s * sizeof(SiteRecord);
        if (site[SiteRecord::kKind] != kind || site[SiteRecord::kOwner] != country) continue;
        if (supplied && site[SiteRecord::kSupplied] == 0) continue;
        ++count;
    }
    return static_cast<std::uint8_t>(count);
}

// The altitude class of a troop, refreshed from its members; 0 when it cannot be selected.
int TroopAltitudeClass(TableDirectory& tables, std::uint16_t troop) {
    TroopCursor cursor(tables);
    if (!cursor.Select(troop)) return 0;
    return cursor.RefreshAltitudeClass();
}

bool IsCountedClass(int k) {
    return k >= 1 && k <= kStatAltitudeClasses;
}

}  // namespace

CountryTable25Record* GetCountryStats(TableDirectory& tables, std::uint8_t country) {
    if (country >= kCountryStatsCount) return nullptr;
    return reinterpret_cast<CountryTable25Record*>(tables.GetTableBase(TableId::CountryStats) +
                                                   country * kCountryTable25RecordSize);
}

int RecordCountryEndState(TableDirectory& tables, std::uint8_t country) {
    CountryTable25Record* stats = GetCountryStats(tables, country);
    if (!stats) return 0;
    const std::uint8_t* header = Header(tables);
    stats->SetEndHours(static_cast<std::uint16_t>(header[ScenarioHeaderRecord::kDay] * 24 +
                                                  header[ScenarioHeaderRecord::kHour]));
    stats->SetEndMinute(header[ScenarioHeaderRecord::kMinute]);
    for (int kind = 0; kind < kStatSiteKinds; ++kind) {
        stats->SetSitesAtEnd(kind, CountOwnedSites(tables, country, kind, false));
        stats->SetSuppliedSitesAtEnd(kind, CountOwnedSites(tables, country, kind, true));
    }
    stats->SetFundsAtEnd(ReadS32(CountryBytes(tables, country), CountryRecord::kFunds));
    TroopCursor cursor(tables);
    for (int k = 1; k <= kStatAltitudeClasses; ++k) {
        stats->SetTroopsAtEnd(k, static_cast<std::uint8_t>(cursor.CountTroopsByAltitude(
                                     country, static_cast<std::uint8_t>(k))));
    }
    return 1;
}

void CountTroopByKind(TableDirectory& tables, std::uint8_t country, std::uint16_t troop) {
    CountryTable25Record* stats = GetCountryStats(tables, country);
    if (!stats) return;
    const int k = TroopAltitudeClass(tables, troop);
    if (!IsCountedClass(k)) return;
    stats->SetTroopsProduced(k, static_cast<std::uint8_t>(stats->TroopsProduced(k) + 1));
}

void CountTroopLost(TableDirectory& tables, std::uint8_t country, std::uint16_t troop) {
    const std::uint8_t* header = Header(tables);
    if (header[ScenarioHeaderRecord::kDay] == 0 && header[ScenarioHeaderRecord::kMinute] == 0) {
        return;
    }
    CountryTable25Record* stats = GetCountryStats(tables, country);
    if (!stats) return;
    if (CountryBytes(tables, country)[CountryRecord::kState] == 3) return;
    const int k = TroopAltitudeClass(tables, troop);
    if (!IsCountedClass(k)) return;
    stats->SetTroopsLost(k, static_cast<std::uint8_t>(stats->TroopsLost(k) + 1));
}

void AddCountryStatTotal(TableDirectory& tables, std::uint8_t country, std::int32_t value) {
    CountryTable25Record* stats = GetCountryStats(tables, country);
    if (!stats) return;
    // Wrapping addition, as the 32-bit field does.
    stats->SetTotal(static_cast<std::int32_t>(static_cast<std::uint32_t>(stats->Total()) +
                                              static_cast<std::uint32_t>(value)));
}

void InitCountryStatistics(TableDirectory& tables) {
    std::memset(GetCountryStats(tables, 0)->data(), 0, kCountryTable25RecordSize);
    TroopCursor cursor(tables);
    for (std::uint8_t c = 0; c < kCountryStatsCount; ++c) {
        CountryTable25Record* stats = GetCountryStats(tables, c);
        for (int k = 1; k <= kStatAltitudeClasses; ++k) {
            stats->SetTroopsAtStart(k, static_cast<std::uint8_t>(cursor.CountTroopsByAltitude(
                                           c, static_cast<std::uint8_t>(k))));
        }
    }
}

}  // namespace zv::rules
