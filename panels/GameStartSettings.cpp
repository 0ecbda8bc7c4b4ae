#include "panels/GameStartSettings.h"

#include "rules/context/GameContext.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/troops/TroopRemoval.h"

namespace zv::panels {

void CopyGameStartBlockToScenario(rules::GameContext& ctx) {
    using G = rules::GameSettingsRecord;
    rules::TableDirectory& tables = ctx.Tables();
    const std::uint8_t* s = tables.GetTableBase(rules::TableId::GameSettings);

    rules::ScenarioHeaderCursor header(tables);
    header.SetOptionByte1(s[G::kFogOfWar]);
    header.SetDayLimit(s[G::kDayLimit]);
    header.SetHourLimit(s[G::kHourLimit]);
    header.SetDeployLimit(s[G::kDeployLimit]);
    header.SetOptionWord(rules::ReadU16(s, G::kRuleOptions));

    rules::CountryCursor countries(tables);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        const std::uint8_t* e = s + G::CountryEntry(c);
        if (!countries.Select(c)) continue;
        const std::uint8_t role = e[G::kEntryParticipation];
        countries.SetParticipation(role);
        // Only the computer keeps the map's own troops.
        if (role != 1) rules::RemoveCountryTroops(ctx, static_cast<std::uint8_t>(c));
        // The removal may have moved the cursor; the rest of the entry goes to country c.
        countries.Select(c);
        countries.SetState(e[G::kEntryState]);
        countries.SetAllianceMask(e[G::kEntryAllianceMask]);
        countries.SetFlag64(e[G::kEntryMusic]);
        countries.SetFunds(rules::ReadS32(e, G::kEntryFunds));
    }
}

}  // namespace zv::panels
