#include "rules/countries/Income.h"

#include <algorithm>
#include <limits>

#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"

namespace zv::rules {

namespace {

const SiteRecord* SiteAt(const TableDirectory& tables, const GameTableSet& set, int s) {
    return reinterpret_cast<const SiteRecord*>(tables.GetTableBase(set.site) +
                                               s * sizeof(SiteRecord));
}

int CountSites(TableDirectory& tables, std::uint8_t country, int kind, const GameTableSet& set,
               bool suppliedOnly) {
    if (kind < 0 || kind >= kSiteKindCount) return 0;
    const int count = std::min<int>(kSiteCount, tables.GetTableRecordCount(set.site));
    int n = 0;
    for (int s = 0; s < count; ++s) {
        const SiteRecord* site = SiteAt(tables, set, s);
        if (site->U8(SiteRecord::kKind) != kind || site->U8(SiteRecord::kOwner) != country) {
            continue;
        }
        if (suppliedOnly && site->U8(SiteRecord::kSupplied) == 0) continue;
        ++n;
    }
    return n;
}

}  // namespace

std::int32_t AddToFunds(std::int32_t funds, std::int64_t amount) {
    const std::int64_t sum = static_cast<std::int64_t>(funds) + amount;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(sum, std::numeric_limits<std::int32_t>::min(), kMaxFunds));
}

int SetClock(GameContext& ctx, std::uint8_t day, std::uint8_t hour, std::uint8_t minute,
             std::uint8_t daytime) {
    ScenarioHeaderCursor& header = ctx.Header();
    header.SetDay(day);
    header.SetHour(hour);
    header.SetMinute(minute);
    header.SetDaytime(daytime);
    return 1;
}

void AddSiteIncome(GameContext& ctx) {
    CountryCursor& countries = ctx.Countries();
    for (std::uint8_t c = 0; c < kCountryCount; ++c) {
        const std::int32_t income = GetCountryIncome(ctx.Tables(), c, ctx.GetTableSet());
        if (!countries.Select(c)) continue;
        countries.SetFunds(AddToFunds(countries.GetFunds(), income));
    }
}

std::int32_t GetCountryFunds(TableDirectory& tables, std::uint8_t country,
                             const GameTableSet& set) {
    CountryCursor countries(tables, set.country);
    return countries.Select(country) ? countries.GetFunds() : 0;
}

std::int32_t GetCountryIncome(TableDirectory& tables, std::uint8_t country,
                              const GameTableSet& set) {
    std::int32_t income = 0;
    for (int kind = 0; kind < kSiteKindCount; ++kind) {
        income += GetIncomeFromSiteKind(tables, country, kind, set);
    }
    return income;
}

std::int32_t GetIncomeFromSiteKind(TableDirectory& tables, std::uint8_t country, int kind,
                                   const GameTableSet& set) {
    return CountSitesOfKind(tables, country, kind, set) * GetSiteKindIncome(tables, country, kind);
}

std::int32_t GetSiteKindIncome(TableDirectory& tables, std::uint8_t, int kind) {
    SiteKindCursor kinds(tables);
    if (kind < 0 || kind >= kSiteKindCount || !kinds.Select(kind)) return 0;
    return kinds.GetIncome();
}

int CountSitesOfKind(TableDirectory& tables, std::uint8_t country, int kind,
                     const GameTableSet& set) {
    return CountSites(tables, country, kind, set, false);
}

int CountSitesOfKindFlagged(TableDirectory& tables, std::uint8_t country, int kind,
                            const GameTableSet& set) {
    return CountSites(tables, country, kind, set, true);
}

int CountCountryHqTroops(TableDirectory& tables, std::uint8_t country) {
    TroopCursor troops(tables);
    int n = 0;
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        if (!troops.Select(t) || troops.GetCountry() != country || !troops.HasMembers()) continue;
        if (HasMemberOfKind(troops, kHeadquartersUnitKind)) ++n;
    }
    return n;
}

int CountCountryHexes(TableDirectory& tables, std::uint8_t country) {
    const std::uint8_t* hexes = tables.GetTableBase(TableId::Hex);
    const int count = std::min<int>(kHexCount, tables.GetTableRecordCount(TableId::Hex));
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (hexes[i * sizeof(HexRecord) + HexRecord::kCountry] == country) ++n;
    }
    return n;
}

int GetForceTroopCount(TableDirectory& tables, std::uint8_t country) {
    ForceCursor force(tables, country);
    return CountUsedTroops(force);
}

const char* GetCountryParticipationText(TableDirectory& tables, std::uint8_t country) {
    CountryCursor countries(tables);
    if (!countries.Select(country)) return nullptr;
    return countries.GetParticipation() != 0 ? "参戦国" : "不参戦";
}

std::uint8_t GetCountryAllianceMask(TableDirectory& tables, std::uint8_t country) {
    CountryCursor countries(tables);
    return countries.Select(country) ? countries.GetAllianceMask() : 0;
}

namespace {

// The counts of the troop table, held to the map troops: launched parts are not counted.
class MapTroopCursor : public TroopCursor {
  public:
    explicit MapTroopCursor(TableDirectory& tables)
        : UnitKindCursor(tables),
          MvcostKdCursor(tables),
          DefencDkCursor(tables),
          ActionKdCursor(tables),
          UnitInfoCursor(tables),
          TroopCursor(tables) {}
    std::uint16_t GetTableLimit() const override { return kMapTroopCount; }
};

}  // namespace

int CountCountryTroopsByCategory(TableDirectory& tables, std::uint8_t country, int category) {
    MapTroopCursor troops(tables);
    const int counted = CountTroopsByCategory(troops, country, category);
    if (category != 3 && category != 4) return counted;
    // Categories 3 and 4 share an altitude class; the headquarters troops tell them apart.
    int headquarters = 0;
    for (std::uint16_t t = 0; t < kMapTroopCount; ++t) {
        if (!troops.Select(t) || !troops.GetRecord()->IsUsed()) continue;
        if (country != 5 && troops.GetCountry() != country) continue;
        if (troops.RefreshAltitudeClass() != 2) continue;
        if (HasMemberOfKind(troops, kHeadquartersUnitKind) != 0) ++headquarters;
    }
    return category == 3 ? counted - headquarters : headquarters;
}

}  // namespace zv::rules
