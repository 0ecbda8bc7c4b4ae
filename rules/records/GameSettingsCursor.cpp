#include "rules/records/GameSettingsCursor.h"

#include <algorithm>
#include <cstring>

#include "rules/records/Bytes.h"

namespace zv::rules {

using G = GameSettingsRecord;

GameSettingsCursor::GameSettingsCursor(TableDirectory& tables)
    : record_(tables.GetTableBase(TableId::GameSettings)) {}

std::uint8_t GameSettingsCursor::GetFogOfWar() const { return ReadU8(record_, G::kFogOfWar); }
void GameSettingsCursor::SetFogOfWar(std::uint8_t v) { WriteU8(record_, G::kFogOfWar, v); }
std::uint8_t GameSettingsCursor::GetDayLimit() const { return ReadU8(record_, G::kDayLimit); }
void GameSettingsCursor::SetDayLimit(std::uint8_t v) { WriteU8(record_, G::kDayLimit, v); }
std::uint8_t GameSettingsCursor::GetHourLimit() const { return ReadU8(record_, G::kHourLimit); }
void GameSettingsCursor::SetHourLimit(std::uint8_t v) { WriteU8(record_, G::kHourLimit, v); }
std::uint8_t GameSettingsCursor::GetDeployLimit() const { return ReadU8(record_, G::kDeployLimit); }
void GameSettingsCursor::SetDeployLimit(std::uint8_t v) { WriteU8(record_, G::kDeployLimit, v); }
std::int32_t GameSettingsCursor::GetSinglePlay() const { return ReadS32(record_, G::kSinglePlay); }
void GameSettingsCursor::SetSinglePlay(std::int32_t v) { WriteS32(record_, G::kSinglePlay, v); }
std::int32_t GameSettingsCursor::GetDeployment() const { return ReadS32(record_, G::kDeployment); }
void GameSettingsCursor::SetDeployment(std::int32_t v) { WriteS32(record_, G::kDeployment, v); }
std::uint16_t GameSettingsCursor::GetRuleOptions() const { return ReadU16(record_, G::kRuleOptions); }
void GameSettingsCursor::SetRuleOptions(std::uint16_t v) { WriteU16(record_, G::kRuleOptions, v); }

void GameSettingsCursor::Clear() {
    std::memset(record_, 0, sizeof(GameSettingsRecord));
}

int GameSettingsCursor::Select(int country) {
    if (country < 0 || country >= kCountryCount) return 0;
    country_ = country;
    return 1;
}

const std::uint8_t* GameSettingsCursor::Entry() const {
    return record_ + G::CountryEntry(country_);
}
std::uint8_t* GameSettingsCursor::Entry() {
    return record_ + G::CountryEntry(country_);
}

std::uint8_t GameSettingsCursor::GetParticipation() const { return ReadU8(Entry(), G::kEntryParticipation); }
void GameSettingsCursor::SetParticipation(std::uint8_t v) { WriteU8(Entry(), G::kEntryParticipation, v); }
std::uint8_t GameSettingsCursor::GetState() const { return ReadU8(Entry(), G::kEntryState); }
void GameSettingsCursor::SetState(std::uint8_t v) { WriteU8(Entry(), G::kEntryState, v); }
std::uint8_t GameSettingsCursor::GetAllianceMask() const { return ReadU8(Entry(), G::kEntryAllianceMask); }
void GameSettingsCursor::SetAllianceMask(std::uint8_t v) { WriteU8(Entry(), G::kEntryAllianceMask, v); }
std::uint8_t GameSettingsCursor::GetMusic() const { return ReadU8(Entry(), G::kEntryMusic); }
void GameSettingsCursor::SetMusic(std::uint8_t v) { WriteU8(Entry(), G::kEntryMusic, v); }
std::int32_t GameSettingsCursor::GetFunds() const { return ReadS32(Entry(), G::kEntryFunds); }
void GameSettingsCursor::SetFunds(std::int32_t v) { WriteS32(Entry(), G::kEntryFunds, v); }
std::int32_t GameSettingsCursor::GetProductionLimit() const { return ReadS32(Entry(), G::kEntryProductionLimit); }
void GameSettingsCursor::SetProductionLimit(std::int32_t v) { WriteS32(Entry(), G::kEntryProductionLimit, v); }

std::string GameSettingsCursor::GetCorpsFile() const {
    const char* text = reinterpret_cast<const char*>(Entry() + G::kEntryCorpsFile);
    return std::string(text, strnlen(text, G::kEntryCorpsFileWidth));
}

void GameSettingsCursor::SetCorpsFile(std::string_view name) {
    std::uint8_t* field = Entry() + G::kEntryCorpsFile;
    std::memset(field, 0, G::kEntryCorpsFileWidth);
    if (!name.empty()) std::memcpy(field, name.data(), std::min(name.size(), G::kEntryCorpsFileWidth - 1));
}

}  // namespace zv::rules
