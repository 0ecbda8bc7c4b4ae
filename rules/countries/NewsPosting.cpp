#include "rules/countries/NewsPosting.h"
#include "rules/records/TroopCursor.h"

namespace zv::rules {

std::uint16_t TroopPictureNumber(TroopCursor& troop) {
    return static_cast<std::uint16_t>(12 * troop.GetCountry() + troop.GetWord382());
}

void PostNewsEvent(GameContext& ctx, NewsRecord record) {
    const std::uint8_t player = ctx.GetPlayerCountry();
    if (player >= kCountryCount || record.Country() != player) return;
    ScenarioHeaderCursor& header = ctx.Header();
    record.SetTimeHours(static_cast<std::uint16_t>(header.GetDay() * 24 + header.GetHour()));
    record.SetMinute(header.GetMinute());
    ctx.Events().NewsPosted(record.data());
}

}  // namespace zv::rules
