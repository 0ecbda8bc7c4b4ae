#include "simulation/Judgement.h"

#include "rules/records/CountryTable25Record.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopRemoval.h"

namespace zv::sim {

namespace {

constexpr int kCountries = rules::kCountryCount;

std::uint8_t Bit(int c) {
    return static_cast<std::uint8_t>(1u << c);
}

// State and participation of country c; false when it does not select.
bool ReadCountry(rules::GameContext& shadow, int c, std::uint8_t& state,
                 std::uint8_t& participation, std::uint8_t& alliance) {
    rules::CountryCursor& countries = shadow.Countries();
    if (!countries.Select(c)) return false;
    state = countries.GetState();
    participation = countries.GetParticipation();
    alliance = countries.GetAllianceMask();
    return true;
}

std::uint8_t StateOf(rules::GameContext& shadow, int c) {
    std::uint8_t state = 0, participation = 0, alliance = 0;
    if (!ReadCountry(shadow, c, state, participation, alliance)) return 0xFF;
    return state;
}

std::uint8_t AllianceOf(rules::GameContext& shadow, int c) {
    std::uint8_t state = 0, participation = 0, alliance = 0;
    if (!ReadCountry(shadow, c, state, participation, alliance)) return 0;
    return alliance;
}

// The owners 0-3 of capitals among the 200 sites.
std::uint8_t CapitalHolders(rules::GameContext& shadow) {
    rules::SiteCursor& sites = shadow.Sites();
    std::uint8_t holders = 0;
    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (!sites.Select(s) || sites.GetKind() != rules::kCapitalKind) continue;
        const std::uint8_t owner = sites.GetOwner();
        if (owner < kCountries) holders |= Bit(owner);
    }
    return holders;
}

// Picks the best group by value (the first among equals); 0 when all values are equal. Winners
// get the best group's mask, losers every other group's.
int DecideByGroupValue(const AllianceGroup* groups, int count, bool highestWins,
                       std::uint8_t& winners, std::uint8_t& losers) {
    if (count < 2) return 0;
    bool allEqual = true;
    int best = 0;
    for (int g = 1; g < count; ++g) {
        if (groups[g].score != groups[0].score) allEqual = false;
        const bool better = highestWins ? groups[g].score > groups[best].score
                                        : groups[g].score < groups[best].score;
        if (better) best = g;
    }
    if (allEqual) return 0;
    winners = static_cast<std::uint8_t>(groups[best].mask);
    for (int g = 0; g < count; ++g) {
        if (g != best) losers |= static_cast<std::uint8_t>(groups[g].mask);
    }
    return 1;
}

// The day limit has passed in network play (or with no local country): compare the camps.
int JudgeAtTimeLimit(rules::GameContext& shadow, const JudgeInputs& in, std::uint8_t& winners,
                     std::uint8_t& losers) {
    if (JudgeByCapitals(shadow, winners, losers)) return 1;
    if (JudgeBySiteScore(shadow, winners, losers)) return 1;
    if (in.tables && JudgeByLosses(shadow, *in.tables, winners, losers)) return 1;
    if (JudgeByFunds(shadow, winners, losers)) return 1;
    AllianceGroup groups[kMaxAllianceGroups];
    const int count = BuildAllianceGroups(shadow, groups);
    winners = 0;
    for (int g = 0; g < count; ++g) losers |= static_cast<std::uint8_t>(groups[g].mask);
    return 1;
}

}  // namespace

std::uint8_t ActiveCountryMask(rules::GameContext& shadow) {
    std::uint8_t active = 0;
    for (int c = 0; c < kCountries; ++c) {
        std::uint8_t state = 0, participation = 0, alliance = 0;
        if (!ReadCountry(shadow, c, state, participation, alliance)) continue;
        if (state == kCountryOut && participation != kNotTakingPart) return 0xFF;
        if (state == kCountryInPlay) active |= Bit(c);
    }
    return active;
}

std::uint8_t HeadquartersCountryMask(rules::GameContext& shadow) {
    rules::TroopCursor& troops = shadow.Troops();
    std::uint8_t mask = 0;
    for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
        if (!troops.Select(t) || !troops.HasMembers()) continue;
        const std::uint8_t country = troops.GetCountry();
        if (country >= kCountries) continue;
        if (rules::CountHqMembers(troops) > 0) mask |= Bit(country);
    }
    return mask;
}

void RetireCountry(rules::GameContext& shadow, std::uint8_t country, std::uint8_t keepState) {
    if (keepState == 0) {
        rules::CountryCursor& countries = shadow.Countries();
        if (!countries.Select(country) || countries.GetState() == kCountryFallen) return;
        countries.SetState(kCountryFallen);
    }
    rules::RemoveCountryTroops(shadow, country);
    rules::ReleaseCountrySites(shadow, country);
}

int BuildAllianceGroups(rules::GameContext& shadow, AllianceGroup groups[kMaxAllianceGroups]) {
    std::uint8_t states[kCountries];
    for (int c = 0; c < kCountries; ++c) states[c] = StateOf(shadow, c);
    int count = 0;
    for (int i = 0; i < kCountries; ++i) {
        if (states[i] != kCountryInPlay) continue;
        std::uint8_t mask = AllianceOf(shadow, i);
        bool grouped = false;
        for (int g = 0; g < count; ++g) {
            if (groups[g].mask & mask) grouped = true;
        }
        if (grouped) continue;
        // A camp describes the countries still in play: every ally out of play leaves it,
        // whatever its number, so a fallen country never reaches the outcome's masks.
        for (int c = 0; c < kCountries; ++c) {
            if (c != i && (mask & Bit(c)) && states[c] != kCountryInPlay) {
                mask = static_cast<std::uint8_t>(mask & ~Bit(c));
            }
        }
        groups[count++] = {mask, 0};
    }
    return count;
}

int JudgeHeadquarters(rules::GameContext& shadow, const JudgeInputs& in, std::uint8_t& winners,
                      std::uint8_t& losers) {
    const std::uint8_t active = ActiveCountryMask(shadow);
    if (active == 0xFF) {
        winners = 0;
        losers = 0;
        return 1;
    }
    const std::uint8_t hq = HeadquartersCountryMask(shadow);
    for (int c = 0; c < kCountries; ++c) {
        if (!(active & Bit(c)) || (hq & Bit(c))) continue;
        if (StateOf(shadow, c) != kCountryFallen) {
            if (in.journal) {
                WriteCommand(
                    *in.journal,
                    CountryFallCommand{.country = static_cast<std::uint8_t>(c), .keepState = 0});
            }
            RetireCountry(shadow, static_cast<std::uint8_t>(c), 0);
        }
        losers |= Bit(c);
    }
    if (losers == 0) return 0;

    // The participants' camp decides; among computer countries alone (a game nobody plays) the
    // survivors must all be allied, or two enemy camps would win together.
    bool participantSurvives = false;
    for (int c = 0; c < kCountries; ++c) {
        if (!(active & hq & Bit(c))) continue;
        std::uint8_t state = 0, participation = 0, alliance = 0;
        if (!ReadCountry(shadow, c, state, participation, alliance)) continue;
        if (participation == kPlayedByParticipant || participation == kPlayedByParticipantToo) {
            participantSurvives = true;
        }
    }
    for (int c = 0; c < kCountries; ++c) {
        if (!(active & hq & Bit(c))) continue;
        std::uint8_t state = 0, participation = 0, alliance = 0;
        if (!ReadCountry(shadow, c, state, participation, alliance)) continue;
        const bool participant =
            participation == kPlayedByParticipant || participation == kPlayedByParticipantToo;
        if (participantSurvives && !participant) continue;
        if ((hq & alliance) != hq) return 0;
    }
    rules::CountryCursor& countries = shadow.Countries();
    for (int c = 0; c < kCountries; ++c) {
        if (!(hq & Bit(c))) continue;
        if (countries.Select(c)) countries.SetState(kCountryVictor);
        winners |= Bit(c);
    }
    for (int c = 0; c < kCountries; ++c) {
        const std::uint8_t state = StateOf(shadow, c);
        if (state == kCountryVictor) winners |= Bit(c);
        if (state == kCountryFallen) losers |= Bit(c);
    }
    return 1;
}

int JudgeByCapitals(rules::GameContext& shadow, std::uint8_t& winners, std::uint8_t& losers) {
    const std::uint8_t active = ActiveCountryMask(shadow);
    if (active == 0xFF) {
        winners = 0;
        losers = 0;
        return 1;
    }
    std::uint8_t holders = CapitalHolders(shadow);
    for (int i = 0; i < kCountries; ++i) {
        if (!(active & Bit(i)) || (holders & Bit(i))) continue;
        if (AllianceOf(shadow, i) & holders) holders |= Bit(i);
    }
    for (int c = 0; c < kCountries; ++c) {
        if (!(active & Bit(c))) continue;
        if (holders & Bit(c)) {
            winners |= Bit(c);
        } else {
            losers |= Bit(c);
        }
    }
    if (winners != 0 && losers != 0) return 1;
    winners = 0;
    losers = 0;
    return 0;
}

int JudgeBySiteScore(rules::GameContext& shadow, std::uint8_t& winners, std::uint8_t& losers) {
    int counts[kCountries][6] = {};
    rules::SiteCursor& sites = shadow.Sites();
    for (int s = 0; s < rules::kSiteCount; ++s) {
        if (!sites.Select(s)) continue;
        const std::uint8_t kind = sites.GetKind();
        const std::uint8_t owner = sites.GetOwner();
        std::uint16_t hex = 0;
        sites.GetHex(hex);
        if (kind > 5 || owner >= kCountries) continue;
        if ((hex & 0xFF) >= rules::kMapSize || (hex >> 8) >= rules::kMapSize) continue;
        ++counts[owner][kind];
    }
    AllianceGroup groups[kMaxAllianceGroups];
    const int count = BuildAllianceGroups(shadow, groups);
    for (int g = 0; g < count; ++g) {
        for (int c = 0; c < kCountries; ++c) {
            if (!(groups[g].mask & Bit(c))) continue;
            const int* k = counts[c];
            groups[g].score += 3 * k[1] + 2 * (k[2] + k[4] + k[5]) + k[3];
        }
    }
    return DecideByGroupValue(groups, count, true, winners, losers);
}

int JudgeByLosses(rules::GameContext& shadow, const rules::TableDirectory& tables,
                  std::uint8_t& winners, std::uint8_t& losers) {
    const std::uint8_t* stats = tables.GetTableBase(rules::TableId::CountryStats);
    AllianceGroup groups[kMaxAllianceGroups];
    const int count = BuildAllianceGroups(shadow, groups);
    for (int g = 0; g < count; ++g) {
        for (int c = 0; c < kCountries; ++c) {
            if (!(groups[g].mask & Bit(c))) continue;
            const std::uint8_t* record =
                stats + static_cast<std::size_t>(c) * rules::kCountryTable25RecordSize;
            for (int k = 0; k < rules::kStatAltitudeClasses; ++k) {
                groups[g].score += record[rules::CountryTable25Record::kTroopsLost + k];
            }
        }
    }
    return DecideByGroupValue(groups, count, false, winners, losers);
}

int JudgeByFunds(rules::GameContext& shadow, std::uint8_t& winners, std::uint8_t& losers) {
    AllianceGroup groups[kMaxAllianceGroups];
    const int count = BuildAllianceGroups(shadow, groups);
    rules::CountryCursor& countries = shadow.Countries();
    for (int g = 0; g < count; ++g) {
        std::int64_t sum = 0;
        for (int c = 0; c < kCountries; ++c) {
            if ((groups[g].mask & Bit(c)) && countries.Select(c)) sum += countries.GetFunds();
        }
        groups[g].score = sum;
    }
    return DecideByGroupValue(groups, count, true, winners, losers);
}

int JudgeCamps(rules::GameContext& shadow, const JudgeInputs& in, std::uint8_t& winners,
               std::uint8_t& losers) {
    winners = 0;
    losers = 0;
    if (!shadow.Header().IsDayLimitPassed()) return JudgeHeadquarters(shadow, in, winners, losers);
    if (in.singlePlay && in.playerCountry < kCountries) {
        losers |= Bit(in.playerCountry);
        return 1;
    }
    // A single game watched without a country of one's own is judged like a network game:
    // the local country's bit would name no country.
    return JudgeAtTimeLimit(shadow, in, winners, losers);
}

}  // namespace zv::sim
