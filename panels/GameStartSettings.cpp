#include "panels/GameStartSettings.h"

#include "rules/context/GameContext.h"
#include "rules/records/MapCursors.h"
#include "rules/records/GameSettingsCursor.h"
#include "rules/records/MapRecords.h"
#include "rules/troops/TroopRemoval.h"

namespace zv::panels {

void CopyGameStartBlockToScenario(rules::GameContext& ctx) {
    rules::TableDirectory& tables = ctx.Tables();
    rules::GameSettingsCursor s(tables);

    rules::ScenarioHeaderCursor header(tables);
    header.SetOptionByte1(s.GetFogOfWar());
    header.SetDayLimit(s.GetDayLimit());
    header.SetHourLimit(s.GetHourLimit());
    header.SetDeployLimit(s.GetDeployLimit());
    header.SetOptionWord(s.GetRuleOptions());

    rules::CountryCursor countries(tables);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (!s.Select(c) || !countries.Select(c)) continue;
        const std::uint8_t role = s.GetParticipation();
        countries.SetParticipation(role);
        // Only the computer keeps the map's own troops.
        if (role != 1) rules::RemoveCountryTroops(ctx, static_cast<std::uint8_t>(c));
        // The removal may have moved the cursor; the rest of the entry goes to country c.
        countries.Select(c);
        countries.SetState(s.GetState());
        countries.SetAllianceMask(s.GetAllianceMask());
        countries.SetFlag64(s.GetMusic());
        countries.SetFunds(s.GetFunds());
    }
}

}  // namespace zv::panels
