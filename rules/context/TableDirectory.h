#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>

namespace zv::rules {

// The 29 tables of the game, numbered as the game numbers them.
enum class TableId : int {
    LandKind = 0,
    MvcostKd = 1,
    DefencDk = 2,
    ActionKd = 3,
    UnitKind = 4,
    WeaponKd = 5,
    SiteKind = 6,
    UnitInfo = 7,
    Site = 8,
    Troop = 9,
    Hex = 10,
    HexInfo = 11,
    Country = 12,
    ScenarioHeader = 13,
    Force = 14,
    GameTable15 = 15,
    GameTable16 = 16,
    GameSettings = 17,
    ShadowSite = 18,
    ShadowTroop = 19,
    ShadowHex = 20,
    ShadowHexInfo = 21,
    ShadowCountry = 22,
    ShadowScenarioHeader = 23,
    ShadowForce = 24,
    CountryStats = 25,
    News = 26,
    ProKind = 27,
    Table28 = 28,
};

inline constexpr int kTableCount = 29;

constexpr int ToIndex(TableId id) {
    return static_cast<int>(id);
}

// Shadow tables 18-24 mirror live tables 8-14 one to one.
constexpr TableId ShadowOf(TableId live) {
    return static_cast<TableId>(ToIndex(live) + 10);
}
constexpr bool IsShadowTable(TableId id) {
    return ToIndex(id) >= 18 && ToIndex(id) <= 24;
}

// Total bytes of game-state tables 8-26, allocated once when the directory is built.
inline constexpr std::uint32_t kGameStateBytes = 1770334;

struct TableDirectoryEntry {
    std::uint8_t* base = nullptr;    // record 0; never null once the directory exists
    const char* fileName = nullptr;  // "*.dat" for the nine rule tables, else null
    char id[8] = {'0', '0', '0', '0', '0', '0', '0', '\0'};  // version stamp of the file
    std::uint32_t recordSize = 0;
    std::uint16_t recordCount = 0;
    std::uint32_t totalBytes = 0;
};

// One per game world. Game-state tables exist zero-filled from construction. Zero bytes are not
// an empty game (a zero troop record reads as a used troop of country 0 whose member is unit 0,
// a zero site as a capital on hex 0): a world starts from GameContext::ResetAllGameTables, as
// the title does, or from a loaded map or saved game. Rule tables are empty (count 0, one zero
// record behind the base) until LoadAllTables succeeds. Table 27 starts with 32 zero records, as
// the game expects before loading. Buffers never move while the directory lives, except a rule
// table replaced by a successful load.
class TableDirectory {
  public:
    TableDirectory();
    ~TableDirectory();
    TableDirectory(const TableDirectory&) = delete;
    TableDirectory& operator=(const TableDirectory&) = delete;

    // Reads the nine rule tables from the program directory. On failure nothing changes, the
    // loaded flag is 0 and LastError() names the file and the fault.
    int LoadAllTables();
    // The same from another folder (tests, the content tool).
    int LoadAllTables(const std::string& directory);
    int IsLoaded() const { return loaded_; }
    const std::string& LastError() const { return lastError_; }

    // Puts one rule table in place from records built in memory (tests and tools). False when
    // the id is not a rule table or the body is not count whole records.
    bool InstallRuleTable(TableId id, std::uint16_t count, std::span<const std::uint8_t> body,
                          const char* versionId = nullptr);

    std::uint8_t* GetTableBase(TableId id) { return entries_[ToIndex(id)].base; }
    const std::uint8_t* GetTableBase(TableId id) const { return entries_[ToIndex(id)].base; }
    std::uint16_t GetTableRecordCount(TableId id) const {
        return entries_[ToIndex(id)].recordCount;
    }
    std::uint16_t GetTableRecordSize(TableId id) const {
        return static_cast<std::uint16_t>(entries_[ToIndex(id)].recordSize);
    }
    std::uint32_t GetTableTotalBytes(TableId id) const { return entries_[ToIndex(id)].totalBytes; }
    const TableDirectoryEntry& GetEntry(TableId id) const { return entries_[ToIndex(id)]; }

    // Zero-fills one table's whole buffer.
    void ClearTable(TableId id);
    // Copies a whole table onto another of the same size (live <-> shadow).
    void CopyTable(TableId from, TableId to);

    // FNV-1a (64-bit) over the bytes of the given tables in the order given.
    std::uint64_t HashTables(std::initializer_list<TableId> ids) const;
    // Hash of the live tables every lock-step participant must agree on. What the map windows
    // keep there for their own drawing (selection and caption marks, drawn routes and reach,
    // redraw requests, edge and shore masks, the caption's travel time) counts as zero, and so
    // do the corps-file names of a network game's settings (each participant holds its own).
    std::uint64_t HashLiveTables() const;

  private:
    std::array<TableDirectoryEntry, kTableCount> entries_{};
    std::array<std::unique_ptr<std::uint8_t[]>, kTableCount> buffers_{};
    int loaded_ = 0;
    std::string lastError_;
};

// Static description of a table as the directory holds it before loading.
struct TableLayout {
    const char* fileName;  // null for a table without a file
    std::uint32_t recordSize;
    std::uint16_t recordCount;  // before loading
    std::uint32_t totalBytes;   // before loading
};
const TableLayout& GetTableLayout(TableId id);

// The nine tables read from *.dat files: 0-7 and 27.
bool IsRuleTable(TableId id);

}  // namespace zv::rules
