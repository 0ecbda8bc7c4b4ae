#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"
#include "simulation/CommandRecords.h"

// The end of the game: at the end of every clock step the judgement decides on the shadow state
// whether the game is over and which countries won and lost. Before the day limit a country in
// play without a headquarters troop falls, and the survivors win once they are all allied; after
// it the camps are compared by capitals, site score, losses and funds. Masks hold bit c for
// country c.
namespace zv::sim {

// Country states.
inline constexpr std::uint8_t kCountryOut = 0;
inline constexpr std::uint8_t kCountryInPlay = 1;
inline constexpr std::uint8_t kCountryVictor = 2;
inline constexpr std::uint8_t kCountryFallen = 3;
// Participation codes.
inline constexpr std::uint8_t kPlayedByParticipant = 0;
inline constexpr std::uint8_t kPlayedByComputer = 1;
inline constexpr std::uint8_t kNotTakingPart = 2;
inline constexpr std::uint8_t kPlayedByParticipantToo = 3;

// What the judgement needs besides the shadow state.
struct JudgeInputs {
    CommandSink* journal = nullptr;                 // receives the country-fall commands
    const rules::TableDirectory* tables = nullptr;  // the live statistics of table 25
    bool singlePlay = true;
    std::uint8_t playerCountry = rules::kNoCountry;
};

// A camp: the countries allied with one another.
struct AllianceGroup {
    std::uint16_t mask = 0;
    // Wide enough for the summed funds of a whole camp.
    std::int64_t score = 0;
};
inline constexpr int kMaxAllianceGroups = 4;

// Both masks are cleared first; 1 with a non-zero mask means the game is over.
int JudgeCamps(rules::GameContext& shadow, const JudgeInputs& in, std::uint8_t& winners,
               std::uint8_t& losers);

// Flag 0: the country falls (state 3) unless it does not select or has already fallen, in which
// case nothing happens; any other flag keeps the state. Then its troops leave and its sites
// become neutral.
void RetireCountry(rules::GameContext& shadow, std::uint8_t country, std::uint8_t keepState);

// The countries in state 1; 0xFF when a country is in state 0 without participation 2.
std::uint8_t ActiveCountryMask(rules::GameContext& shadow);
// The countries owning a headquarters troop among the map troops 0-159.
std::uint8_t HeadquartersCountryMask(rules::GameContext& shadow);
// The camps of the countries in play; allies out of play are left out. Returns the count.
int BuildAllianceGroups(rules::GameContext& shadow, AllianceGroup groups[kMaxAllianceGroups]);

int JudgeHeadquarters(rules::GameContext& shadow, const JudgeInputs& in, std::uint8_t& winners,
                      std::uint8_t& losers);
int JudgeByCapitals(rules::GameContext& shadow, std::uint8_t& winners, std::uint8_t& losers);
int JudgeBySiteScore(rules::GameContext& shadow, std::uint8_t& winners, std::uint8_t& losers);
int JudgeByLosses(rules::GameContext& shadow, const rules::TableDirectory& tables,
                  std::uint8_t& winners, std::uint8_t& losers);
int JudgeByFunds(rules::GameContext& shadow, std::uint8_t& winners, std::uint8_t& losers);

}  // namespace zv::sim
