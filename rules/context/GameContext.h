#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "rules/context/GameEvents.h"
#include "rules/context/ShadowTables.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapCursors.h"
#include "rules/records/MapRecords.h"
#include "rules/search/HexQueries.h"

namespace zv::rules {

// Per-hex working information of the rules (table 11 and its shadow 21, index x + 64 * y). The
// editor's snapshot files hold these bytes, so the layout is a file format.
struct HexInfoRecord : ByteRecord<36> {
    static constexpr std::size_t kSiteIndex = 0;      // u16, 0xFFFF none
    static constexpr std::size_t kTroopIndex = 2;     // u16, 0xFFFF none
    static constexpr std::size_t kFlags = 4;          // u16 seen bits (visibility)
    static constexpr std::size_t kMarks = 6;          // u16 mark bits, bit 0 range/target mark
    static constexpr std::size_t kWord8 = 8;          // u16, cleared by the occupancy rebuild
    static constexpr std::size_t kWord10 = 10;        // u16, cleared by the occupancy rebuild
    static constexpr std::size_t kValue3 = 12;        // u16 for the map view and the editor
    static constexpr std::size_t kCountryByte1 = 14;  // byte[6] for the map view
    static constexpr std::size_t kCountryByte2 = 20;  // byte[4]: 1 = in the supply network
    static constexpr std::size_t kCountryWord = 24;   // u16[4] for the map view
    static constexpr std::size_t kSpare32 = 32;       // byte[4], not used by the rules
    static constexpr int kCountryByte1Count = 6;
    static constexpr int kCountryByte2Count = 4;
    static constexpr int kCountryWordCount = 4;
};
static_assert(sizeof(HexInfoRecord) == 36);

inline HexInfoRecord* HexInfoAt(std::uint8_t* base, std::size_t index) {
    return reinterpret_cast<HexInfoRecord*>(base + index * sizeof(HexInfoRecord));
}

inline constexpr std::uint16_t kNoSiteIndex = 0xFFFF;
inline constexpr std::uint16_t kNoTroopIndex = 0xFFFF;
// GetHexTerrainClass for a hex whose stored land or site kind names no terrain class 0-28.
inline constexpr std::uint8_t kNoTerrainClass = 0xFF;

// A hex position for SelectHexInfoXY: x in the low signed 16 bits, y in the high ones.
constexpr std::int32_t MakeHexInfoPosition(int x, int y) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(x) & 0xFFFFu) |
                                     (static_cast<std::uint32_t>(y) << 16));
}

// The distance flood's grid, one cell per hex (index x + 64 * y).
struct HexWorkCell {
    std::uint16_t queued;    // 1 while the cell waits in the search queue
    std::uint16_t distance;  // steps from the start, 0xFFFF never reached
};
using HexWorkGrid = std::array<HexWorkCell, kHexCount>;

class GameContext;
class RouteSearchSet;
class TroopCursor;

// The supply rules (rules/SupplyNetwork.h): every country's network and its sites' supplied
// flags. Declared here so that a context runs them by default.
int RecomputeAllSupplyNetworks(GameContext& ctx);

// What a rules object needs besides the tables. The simulation keeps one work grid and hands it
// to every context it builds, so building a context stays cheap.
struct GameContextEnv {
    GameEvents* events = nullptr;             // null: nothing reaches any window
    std::uint8_t playerCountry = kNoCountry;  // the local player's country, 6 before a game
    HexWorkGrid* workGrid = nullptr;          // null: the context makes its own on first use
    // What closes RebuildHexOccupancy: the supply networks of all four countries, as the game
    // always recomputes them there. Every world gets them without doing anything; set null only
    // where the occupancy alone is wanted (the rebuild then reports success after it).
    int (*recomputeAllSupplyNetworks)(GameContext&) = &RecomputeAllSupplyNetworks;
    // The route searches of the thread the context runs on (rules/RouteSearch.h); null: the
    // route and supply operations make their own for the call.
    RouteSearchSet* routeSearches = nullptr;
};

// The rules object over the live game tables. It owns no table: it holds one cursor per table
// it works on, the current HexInfo selection and the flood's work grid. Its troop cursor carries
// the shared unit cursors (UnitInfo, UnitKind, MvcostKd, DefencDk, ActionKd), its hex cursor the
// LandKind cursor and its site cursor the SiteKind cursor, so every rule operation sees one
// cursor of each kind.
//
// A derived context changes nothing but the tables: ShadowGameContext points the troop, site,
// country, HexInfo and scenario cursors at the ShadowTables and answers IsShadow with 1.
class GameContext {
  public:
    explicit GameContext(TableDirectory& tables, const GameContextEnv& env = {});
    ~GameContext();
    GameContext(const GameContext&) = delete;
    GameContext& operator=(const GameContext&) = delete;

    TableDirectory& Tables() { return *tables_; }
    GameEvents& Events() { return *events_; }
    std::uint8_t GetPlayerCountry() const { return playerCountry_; }
    const GameTableSet& GetTableSet() const { return tableSet_; }
    RouteSearchSet* GetRouteSearches() const { return routeSearches_; }

    // The context's cursors.
    // The troop cursor's header is included where it is used (rules/records/TroopCursor.h).
    TroopCursor& Troops() { return *troop_; }
    UnitInfoCursor& Units() { return *units_; }
    HexCursor& Hexes() { return hex_; }
    LandKindCursor& LandKinds() { return hex_; }
    SiteCursor& Sites() { return site_; }
    SiteKindCursor& SiteKinds() { return site_; }
    CountryCursor& Countries() { return country_; }
    ScenarioHeaderCursor& Header() { return header_; }

    // Hex selection.
    HexInfoRecord* GetHexInfoRecord() { return hexInfo_; }
    int IsShadow() const { return shadow_ ? 1 : 0; }
    // 0 for n at or above the HexInfo count; 1 at once when n is current; else selects n here
    // and in the hex cursor.
    int SelectHexInfo(std::uint16_t n);
    // pos: x in the low signed 16 bits, y in the high ones. 0 unless 0 <= x, y < 64.
    int SelectHexInfoXY(std::int32_t pos);
    int SelectHexInfoXY(int x, int y) { return SelectHexInfoXY(MakeHexInfoPosition(x, y)); }
    std::uint16_t GetHexInfoIndex() const { return hexInfoIndex_; }
    std::int16_t GetHexInfoX() const { return hexX_; }
    std::int16_t GetHexInfoY() const { return hexY_; }

    // Fields of the current HexInfoRecord. The per-country fields ignore an index beyond their
    // array (reading 0), so no caller can reach into the next record.
    std::uint16_t GetHexSiteIndex() { return hexInfo_->U16(HexInfoRecord::kSiteIndex); }
    void SetHexSiteIndex(std::uint16_t v) { hexInfo_->SetU16(HexInfoRecord::kSiteIndex, v); }
    std::uint16_t GetHexTroopIndex() { return hexInfo_->U16(HexInfoRecord::kTroopIndex); }
    void SetHexTroopIndex(std::uint16_t v) { hexInfo_->SetU16(HexInfoRecord::kTroopIndex, v); }
    std::uint16_t GetHexFlags() { return hexInfo_->U16(HexInfoRecord::kFlags); }
    void SetHexFlagBits(std::uint16_t bits) { OrWord(HexInfoRecord::kFlags, bits); }
    void ClearHexFlagBits(std::uint16_t bits) { AndNotWord(HexInfoRecord::kFlags, bits); }
    void ZeroHexFlags() { hexInfo_->SetU16(HexInfoRecord::kFlags, 0); }
    std::uint16_t GetHexMarks() { return hexInfo_->U16(HexInfoRecord::kMarks); }
    void SetHexMarkBits(std::uint16_t bits) { OrWord(HexInfoRecord::kMarks, bits); }
    void ClearHexMarkBits(std::uint16_t bits) { AndNotWord(HexInfoRecord::kMarks, bits); }
    void ZeroHexMarks() { hexInfo_->SetU16(HexInfoRecord::kMarks, 0); }
    std::uint16_t GetHexWord8() { return hexInfo_->U16(HexInfoRecord::kWord8); }
    void SetHexWord8(std::uint16_t v) { hexInfo_->SetU16(HexInfoRecord::kWord8, v); }
    std::uint16_t GetHexWord10() { return hexInfo_->U16(HexInfoRecord::kWord10); }
    void SetHexWord10(std::uint16_t v) { hexInfo_->SetU16(HexInfoRecord::kWord10, v); }
    std::uint16_t GetHexValue3() { return hexInfo_->U16(HexInfoRecord::kValue3); }
    void SetHexValue3(std::uint16_t v) { hexInfo_->SetU16(HexInfoRecord::kValue3, v); }
    std::uint8_t GetHexCountryByte1(int c);
    void SetHexCountryByte1(int c, std::uint8_t v);
    std::uint8_t GetHexCountryByte2(int c);
    void SetHexCountryByte2(int c, std::uint8_t v);
    std::uint16_t GetHexCountryWord(int c);
    void OrHexCountryWord(int c, std::uint16_t bits);
    void SetHexCountryWord(int c, std::uint16_t v);

    // Frees the site standing on the current hex, if any.
    void RemoveSiteAtHex();

    // Whole-map operations.
    void ClearAllHexMarkBit0();
    void ClearAllHexCountryWords();
    void ClearAllHexMarksAndWords();

    // The terrain class 0-28 of the current hex: 15 + site kind where a site stands; without a
    // site, mode 2 gives the land kind, other modes 14 for a river without a road and, with a
    // non-zero mode, 13 for a road. kNoTerrainClass when the stored kinds name no class.
    std::uint8_t GetHexTerrainClass(int mode);

    // 1 when the local player's country (0-3) is in play.
    int IsPlayerCountryInGame();

    // Enters every site and every troop on the map into the HexInfo records (after loading and
    // at the start of play), then recomputes the supply networks.
    int RebuildHexOccupancy();
    // Enters the troops again and drops the in-flight bits of map troops whose launched part
    // is gone.
    void RebuildTroopOccupancy();
    // The editor's new map: empty header, sea everywhere, no troops, countries or sites, empty
    // corps.
    void ResetAllGameTables();

    // Hex queries.
    void GetHexDescription(std::uint16_t hex, HexDescription& out);
    // 1 and the neighbour in the direction (0-5: W, SW, SE, E, NE, NW); 0 and 0xFFFF, 0xFFFF
    // when it lies outside the map.
    int GetHexNeighbour(int x, int y, int direction, std::uint16_t& outX, std::uint16_t& outY);
    // The six neighbours of a hex in direction order.
    int GetNeighbourInfos(std::uint16_t hex, HexDescription out[kHexDirectionCount]);

    // The distance flood's state.
    HexWorkGrid& WorkGrid();
    std::uint16_t reachStartX = 0;
    std::uint16_t reachStartY = 0;
    std::uint16_t reachLimit = 0;

  protected:
    GameContext(TableDirectory& tables, const GameContextEnv& env, const GameTableSet& tableSet,
                bool shadow);

  private:
    void OrWord(std::size_t offset, std::uint16_t bits);
    void AndNotWord(std::size_t offset, std::uint16_t bits);
    template <typename Fn>
    void ForEachHexInfo(Fn fn);

    TableDirectory* tables_;
    GameEvents* events_;
    std::uint8_t playerCountry_;
    GameTableSet tableSet_;
    bool shadow_;
    int (*recomputeAllSupplyNetworks_)(GameContext&);
    RouteSearchSet* routeSearches_;

    HexCursor hex_;
    // Held apart so that this header, which most of the program reads, leaves the troop cursor's
    // out; units_ is its UnitInfo part.
    std::unique_ptr<TroopCursor> troop_;
    UnitInfoCursor* units_;
    SiteCursor site_;
    CountryCursor country_;
    ScenarioHeaderCursor header_;

    HexInfoRecord* hexInfo_ = nullptr;
    std::uint16_t hexInfoIndex_ = 0;
    std::int16_t hexX_ = 0;
    std::int16_t hexY_ = 0;

    HexWorkGrid* workGrid_;
    std::unique_ptr<HexWorkGrid> ownWorkGrid_;
};

}  // namespace zv::rules
