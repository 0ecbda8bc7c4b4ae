#pragma once

#include <cstdint>

#include "rules/records/Bytes.h"

namespace zv::rules {

// Layouts of the map-state records: scenario header (table 13), countries (12), sites (8),
// hexes (10) and the game-start settings (17).

inline constexpr int kCountryCount = 4;
inline constexpr int kSiteCount = 200;
inline constexpr int kMapSize = 64;
inline constexpr int kHexCount = kMapSize * kMapSize;
inline constexpr std::uint8_t kNeutralCountry = 4;
inline constexpr std::uint8_t kNoCountry = 6;
inline constexpr std::uint8_t kFreeSite = 0xFF;
inline constexpr std::uint8_t kNoRoad = 0xFF;
inline constexpr std::uint8_t kNoRiver = 0xFF;

// Hex positions: x in the low byte, y in the high byte.
constexpr std::uint16_t MakeHexPosition(int x, int y) {
    return static_cast<std::uint16_t>((x & 0xFF) | ((y & 0xFF) << 8));
}

struct ScenarioHeaderRecord : ByteRecord<300> {
    static constexpr std::size_t kTitle = 0, kTitleWidth = 24;
    static constexpr std::size_t kDescription = 24, kDescriptionWidth = 256;
    static constexpr std::size_t kSaveKind = 280;  // u16: 1 single play, 2 otherwise
    static constexpr std::size_t kDay = 282;
    static constexpr std::size_t kDaytime = 283;
    static constexpr std::size_t kHour = 284;
    static constexpr std::size_t kMinute = 285;
    static constexpr std::size_t kWord286 = 286;      // u16
    static constexpr std::size_t kInt288 = 288;       // s32
    static constexpr std::size_t kOptionByte1 = 292;  // 索敵あり: fog of war
    static constexpr std::size_t kByte293 = 293;
    static constexpr std::size_t kDayLimit = 294;
    static constexpr std::size_t kHourLimit = 295;
    static constexpr std::size_t kOptionWord = 296;  // u16 rule options
    static constexpr std::size_t kDeployLimit = 298;
};
static_assert(sizeof(ScenarioHeaderRecord) == 300);

// Rule option bits of ScenarioHeaderRecord::kOptionWord.
inline constexpr std::uint16_t kOptionChangeableAtStart = 0x0001;
inline constexpr std::uint16_t kOptionProductionInGame = 0x0002;
inline constexpr std::uint16_t kOptionAlliancesMayChange = 0x0004;

struct CountryRecord : ByteRecord<86> {
    static constexpr std::size_t kName = 0, kNameWidth = 24;
    static constexpr std::size_t kParticipation = 24;
    static constexpr std::size_t kState = 25;  // 0 out, 1 in play, 2 victor, 3 fallen
    static constexpr std::size_t kAllianceMask = 26;
    static constexpr std::size_t kByte27 = 27;
    static constexpr std::size_t kWord28 = 28, kWord30 = 30, kWord32 = 32;
    static constexpr std::size_t kFunds = 34;    // s32, human player
    static constexpr std::size_t kValue38 = 38;  // s32, funds when the computer plays
    static constexpr std::size_t kValue42 = 42;  // s32, production limit
    static constexpr std::size_t kValue46 = 46;  // s32, supplies from captured sites
    static constexpr std::size_t kValue50 = 50, kValue54 = 54;
    static constexpr std::size_t kWord58 = 58, kWord60 = 60, kWord62 = 62;
    static constexpr std::size_t kFlag64 = 64;     // music number
    static constexpr std::size_t kSetting66 = 66;  // byte[6] deployment method
    static constexpr std::size_t kOrder72 = 72;    // byte[10] thinking patterns
    static constexpr std::size_t kSetting82 = 82;  // u16 corps index, 0xFFFF none
    static constexpr std::size_t kCounter84 = 84;  // troops produced or deployed
};
static_assert(sizeof(CountryRecord) == 86);

inline constexpr std::int32_t kMaxFunds = 999999999;

struct SiteRecord : ByteRecord<8> {
    static constexpr std::size_t kKind = 0;  // 0-5, 0xFF free
    static constexpr std::size_t kOwner = 1;
    static constexpr std::size_t kX = 2;
    static constexpr std::size_t kY = 3;
    static constexpr std::size_t kHex = 2;  // u16 position
    static constexpr std::size_t kCaptureDurability = 4;
    static constexpr std::size_t kDestroyDurability = 5;
    static constexpr std::size_t kSupplied = 6;
    static constexpr std::size_t kSearchPenalty = 7;
};
static_assert(sizeof(SiteRecord) == 8);

struct HexRecord : ByteRecord<8> {
    static constexpr std::size_t kLandKind = 0;
    static constexpr std::size_t kRoad = 1;     // 0xFF none, else direction mask
    static constexpr std::size_t kRiver = 2;    // 0xFF none, else direction mask
    static constexpr std::size_t kCountry = 3;  // deployment area, 6 none
    static constexpr std::size_t kByte4 = 4;
    static constexpr std::size_t kMarkBits = 5;
};
static_assert(sizeof(HexRecord) == 8);

struct GameSettingsRecord : ByteRecord<1646> {
    static constexpr std::size_t kFogOfWar = 0;
    static constexpr std::size_t kDayLimit = 1;
    static constexpr std::size_t kHourLimit = 2;
    static constexpr std::size_t kDeployLimit = 3;
    static constexpr std::size_t kSinglePlay = 4;    // s32
    static constexpr std::size_t kDeployment = 8;    // s32
    static constexpr std::size_t kRuleOptions = 12;  // u16
    static constexpr std::size_t kCountries = 14;    // 4 x 272
    // Bits of kRuleOptions (and of a map's rule word).
    static constexpr std::uint16_t kRuleAllianceChange = 4;
    static constexpr std::uint16_t kRuleReinforcement = 2;
    static constexpr std::size_t kCountryEntrySize = 272;
    static constexpr std::size_t kTail = 1102;  // 544 bytes the game data code does not read
    // Offsets inside one country entry.
    static constexpr std::size_t kEntryParticipation = 0;
    static constexpr std::size_t kEntryState = 1;
    static constexpr std::size_t kEntryAllianceMask = 2;
    static constexpr std::size_t kEntryMusic = 3;
    static constexpr std::size_t kEntryFunds = 4;            // s32
    static constexpr std::size_t kEntryProductionLimit = 8;  // s32
    static constexpr std::size_t kEntryCorpsFile = 12, kEntryCorpsFileWidth = 260;

    static constexpr std::size_t CountryEntry(int country) {
        return kCountries + kCountryEntrySize * static_cast<std::size_t>(country);
    }
};
static_assert(sizeof(GameSettingsRecord) == 1646);
static_assert(GameSettingsRecord::CountryEntry(kCountryCount) == GameSettingsRecord::kTail);

}  // namespace zv::rules
