#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rules/context/TableDirectory.h"
#include "rules/records/MapRecords.h"

namespace zv::rules {

// The game-start settings (table 17): what the set-up chose, read when the game starts. The
// cursor starts on country entry 0; Select fails with 0 and leaves the cursor where it was for a
// country outside 0-3.
class GameSettingsCursor {
  public:
    explicit GameSettingsCursor(TableDirectory& tables);
    std::uint8_t* GetRecord() { return record_; }

    std::uint8_t GetFogOfWar() const;
    void SetFogOfWar(std::uint8_t v);
    std::uint8_t GetDayLimit() const;
    void SetDayLimit(std::uint8_t v);
    std::uint8_t GetHourLimit() const;
    void SetHourLimit(std::uint8_t v);
    std::uint8_t GetDeployLimit() const;
    void SetDeployLimit(std::uint8_t v);
    // Nonzero for a game on this machine alone, 0 for a network game.
    std::int32_t GetSinglePlay() const;
    void SetSinglePlay(std::int32_t v);
    // Nonzero for a new game whose corps are deployed, 0 for a saved game resumed.
    std::int32_t GetDeployment() const;
    void SetDeployment(std::int32_t v);
    // GameSettingsRecord::kRuleAllianceChange and kRuleReinforcement.
    std::uint16_t GetRuleOptions() const;
    void SetRuleOptions(std::uint16_t v);
    // Every byte 0.
    void Clear();

    // The selected country's entry.
    int Select(int country);
    int GetCountryIndex() const { return country_; }
    std::uint8_t GetParticipation() const;
    void SetParticipation(std::uint8_t v);
    std::uint8_t GetState() const;
    void SetState(std::uint8_t v);
    std::uint8_t GetAllianceMask() const;
    void SetAllianceMask(std::uint8_t v);
    std::uint8_t GetMusic() const;
    void SetMusic(std::uint8_t v);
    std::int32_t GetFunds() const;
    void SetFunds(std::int32_t v);
    std::int32_t GetProductionLimit() const;
    void SetProductionLimit(std::int32_t v);
    // The corps file name, up to its terminator or the field's width.
    std::string GetCorpsFile() const;
    // Clears the field and stores at most width - 1 bytes, so the name stays terminated.
    void SetCorpsFile(std::string_view name);

  private:
    const std::uint8_t* Entry() const;
    std::uint8_t* Entry();

    std::uint8_t* record_;
    int country_ = 0;
};

}  // namespace zv::rules
