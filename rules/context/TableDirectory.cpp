#include "rules/context/TableDirectory.h"

#include <cstring>
#include <span>
#include <vector>

#include "rules/context/GameContext.h"
#include "rules/files/DatFile.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopRecord.h"

namespace zv::rules {

namespace {

constexpr TableLayout kLayouts[kTableCount] = {
    {"landkind.dat", 24, 0, 0},   {"mvcostkd.dat", 176, 0, 0},
    {"DefencDk.dat", 30, 0, 0},   {"ActionKd.dat", 12, 0, 0},
    {"unitkind.dat", 40, 0, 0},   {"weaponkd.dat", 36, 0, 0},
    {"sitekind.dat", 30, 0, 0},   {"unitinfo.dat", 138, 0, 0},
    {nullptr, 8, 200, 1600},      {nullptr, 418, 255, 106590},
    {nullptr, 8, 4096, 32768},    {nullptr, 36, 4096, 147456},
    {nullptr, 86, 4, 344},        {nullptr, 300, 1, 300},
    {nullptr, 67174, 1, 335870},  // five force slots behind a count of 1
    {nullptr, 64, 1, 64},         {nullptr, 228, 64, 14592},
    {nullptr, 1646, 1, 1646},     {nullptr, 8, 200, 1600},
    {nullptr, 418, 255, 106590},  {nullptr, 8, 4096, 32768},
    {nullptr, 36, 4096, 147456},  {nullptr, 86, 4, 344},
    {nullptr, 300, 1, 300},       {nullptr, 67174, 1, 335870},
    {nullptr, 44, 4, 176},        {nullptr, 1008, 500, 504000},
    {"prokind.dat", 28, 32, 896}, {nullptr, 1, 0, 0},
};

constexpr std::uint32_t SumGameState() {
    std::uint32_t sum = 0;
    for (int i = 8; i <= 26; ++i) sum += kLayouts[i].totalBytes;
    return sum;
}
static_assert(SumGameState() == kGameStateBytes);

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t FnvAdd(std::uint64_t hash, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= kFnvPrime;
    }
    return hash;
}

// A rule table's buffer always holds at least one record, so a cursor built on a table with no
// records still points at zero bytes it may read.
std::unique_ptr<std::uint8_t[]> MakeBuffer(std::uint32_t total, std::uint32_t recordSize) {
    const std::size_t size = total > recordSize ? total : recordSize;
    auto buffer = std::make_unique<std::uint8_t[]>(size == 0 ? 1 : size);
    std::memset(buffer.get(), 0, size == 0 ? 1 : size);
    return buffer;
}

struct PendingTable {
    std::unique_ptr<std::uint8_t[]> buffer;
    std::uint16_t count = 0;
    std::uint32_t total = 0;
    char id[8] = {};
};

}  // namespace

const TableLayout& GetTableLayout(TableId id) {
    return kLayouts[ToIndex(id)];
}

bool IsRuleTable(TableId id) {
    return kLayouts[ToIndex(id)].fileName != nullptr;
}

TableDirectory::TableDirectory() {
    for (int i = 0; i < kTableCount; ++i) {
        const TableLayout& layout = kLayouts[i];
        TableDirectoryEntry& entry = entries_[i];
        entry.fileName = layout.fileName;
        entry.recordSize = layout.recordSize;
        entry.recordCount = layout.recordCount;
        entry.totalBytes = layout.totalBytes;
        buffers_[i] = MakeBuffer(layout.totalBytes, layout.fileName ? layout.recordSize : 0);
        entry.base = buffers_[i].get();
    }
}

TableDirectory::~TableDirectory() = default;

int TableDirectory::LoadAllTables() {
    return LoadAllTables(DefaultRuleDirectory());
}

int TableDirectory::LoadAllTables(const std::string& directory) {
    // Everything is read and checked first; the directory changes only once all nine are good.
    PendingTable pending[kTableCount];
    for (int i = 0; i < kTableCount; ++i) {
        const TableLayout& layout = kLayouts[i];
        if (!layout.fileName) continue;
        DatFileImage image;
        std::string error;
        if (!ReadDatFile(JoinGamePath(directory, layout.fileName), layout.recordSize, image,
                         error)) {
            lastError_ = error;
            loaded_ = 0;
            return 0;
        }
        PendingTable& table = pending[i];
        table.count = image.recordCount;
        table.total = static_cast<std::uint32_t>(image.body.size());
        std::memcpy(table.id, image.id, sizeof table.id);
        table.buffer = MakeBuffer(table.total, layout.recordSize);
        if (!image.body.empty()) std::memcpy(table.buffer.get(), image.body.data(), table.total);
    }
    for (int i = 0; i < kTableCount; ++i) {
        if (!pending[i].buffer) continue;
        TableDirectoryEntry& entry = entries_[i];
        buffers_[i] = std::move(pending[i].buffer);
        entry.base = buffers_[i].get();
        entry.recordCount = pending[i].count;
        entry.totalBytes = pending[i].total;
        std::memcpy(entry.id, pending[i].id, sizeof entry.id);
    }
    lastError_.clear();
    loaded_ = 1;
    return 1;
}

bool TableDirectory::InstallRuleTable(TableId id, std::uint16_t count,
                                      std::span<const std::uint8_t> body, const char* versionId) {
    const int i = ToIndex(id);
    if (i < 0 || i >= kTableCount || !IsRuleTable(id)) return false;
    const std::uint32_t recordSize = kLayouts[i].recordSize;
    if (body.size() != static_cast<std::size_t>(count) * recordSize) return false;
    auto buffer = MakeBuffer(static_cast<std::uint32_t>(body.size()), recordSize);
    if (!body.empty()) std::memcpy(buffer.get(), body.data(), body.size());
    TableDirectoryEntry& entry = entries_[i];
    buffers_[i] = std::move(buffer);
    entry.base = buffers_[i].get();
    entry.recordCount = count;
    entry.totalBytes = static_cast<std::uint32_t>(body.size());
    if (versionId) std::memcpy(entry.id, versionId, sizeof entry.id);
    return true;
}

void TableDirectory::ClearTable(TableId id) {
    TableDirectoryEntry& entry = entries_[ToIndex(id)];
    std::memset(entry.base, 0, entry.totalBytes);
}

void TableDirectory::CopyTable(TableId from, TableId to) {
    const TableDirectoryEntry& source = entries_[ToIndex(from)];
    TableDirectoryEntry& target = entries_[ToIndex(to)];
    const std::uint32_t size =
        source.totalBytes < target.totalBytes ? source.totalBytes : target.totalBytes;
    if (size != 0 && source.base != target.base) std::memmove(target.base, source.base, size);
}

std::uint64_t TableDirectory::HashTables(std::initializer_list<TableId> ids) const {
    std::uint64_t hash = kFnvOffset;
    for (TableId id : ids) {
        const TableDirectoryEntry& entry = entries_[ToIndex(id)];
        hash = FnvAdd(hash, entry.base, entry.totalBytes);
    }
    return hash;
}

namespace {

// A byte of a record of which some bits are hashed as zero.
struct DisplayByte {
    std::size_t offset;
    std::uint8_t cleared;  // bits that do not count
};

// What the map windows keep in the live tables for their own drawing: each program showing a
// game writes them as its windows, selection and display options make it, so they are no part
// of the game state two programs must agree on.
constexpr DisplayByte kTroopDisplayBytes[] = {
    // Flags: 0x0008 the lead troop of the map selection, 0x4000 the caption mark.
    {TroopRecord::kFlags, 0x08},
    {TroopRecord::kFlags + 1, 0x40},
    // The travel time the caption shows.
    {TroopRecord::kOrderValue, 0xFF},
    {TroopRecord::kOrderValue + 1, 0xFF},
};
constexpr DisplayByte kHexDisplayBytes[] = {
    {HexRecord::kMarkBits, 0xFF},  // shore marks
};
constexpr DisplayByte kHexInfoDisplayBytes[] = {
    // Mark bits 0 (reach of the selection, command targets) and 1 (waypoint markers).
    {HexInfoRecord::kMarks, 0x03},
    // The redraw request.
    {HexInfoRecord::kValue3, 0xFF},
    {HexInfoRecord::kValue3 + 1, 0xFF},
    // The terrain edge masks of the six layers.
    {HexInfoRecord::kCountryByte1 + 0, 0xFF},
    {HexInfoRecord::kCountryByte1 + 1, 0xFF},
    {HexInfoRecord::kCountryByte1 + 2, 0xFF},
    {HexInfoRecord::kCountryByte1 + 3, 0xFF},
    {HexInfoRecord::kCountryByte1 + 4, 0xFF},
    {HexInfoRecord::kCountryByte1 + 5, 0xFF},
    // The route words of the four countries.
    {HexInfoRecord::kCountryWord + 0, 0xFF},
    {HexInfoRecord::kCountryWord + 1, 0xFF},
    {HexInfoRecord::kCountryWord + 2, 0xFF},
    {HexInfoRecord::kCountryWord + 3, 0xFF},
    {HexInfoRecord::kCountryWord + 4, 0xFF},
    {HexInfoRecord::kCountryWord + 5, 0xFF},
    {HexInfoRecord::kCountryWord + 6, 0xFF},
    {HexInfoRecord::kCountryWord + 7, 0xFF},
};

std::span<const DisplayByte> DisplayBytesOf(TableId id) {
    switch (id) {
        case TableId::Troop:
            return kTroopDisplayBytes;
        case TableId::Hex:
            return kHexDisplayBytes;
        case TableId::HexInfo:
            return kHexInfoDisplayBytes;
        default:
            return {};
    }
}

}  // namespace

std::uint64_t TableDirectory::HashLiveTables() const {
    std::uint64_t hash = kFnvOffset;
    for (TableId id : {TableId::Site, TableId::Troop, TableId::Hex, TableId::HexInfo,
                       TableId::Country, TableId::ScenarioHeader, TableId::Force,
                       TableId::GameSettings, TableId::CountryStats}) {
        const TableDirectoryEntry& entry = entries_[ToIndex(id)];
        const std::span<const DisplayByte> display = DisplayBytesOf(id);
        if (id == TableId::GameSettings && entry.base && entry.totalBytes >= sizeof(GameSettingsRecord) &&
            ReadS32(entry.base, GameSettingsRecord::kSinglePlay) == 0) {
            // In a network game each participant keeps only its own corps file's name.
            std::vector<std::uint8_t> settings(entry.base, entry.base + entry.totalBytes);
            for (int c = 0; c < kCountryCount; ++c) {
                std::memset(settings.data() + GameSettingsRecord::CountryEntry(c) + GameSettingsRecord::kEntryCorpsFile, 0,
                            GameSettingsRecord::kEntryCorpsFileWidth);
            }
            hash = FnvAdd(hash, settings.data(), settings.size());
            continue;
        }
        if (display.empty()) {
            hash = FnvAdd(hash, entry.base, entry.totalBytes);
            continue;
        }
        // Record by record with the display bits as zero: a table whose display bits are all
        // clear hashes as the whole buffer does.
        std::vector<std::uint8_t> record(entry.recordSize);
        for (std::uint32_t at = 0; at + entry.recordSize <= entry.totalBytes; at += entry.recordSize) {
            std::memcpy(record.data(), entry.base + at, entry.recordSize);
            for (const DisplayByte& b : display) {
                if (b.offset < record.size()) record[b.offset] &= static_cast<std::uint8_t>(~b.cleared);
            }
            hash = FnvAdd(hash, record.data(), record.size());
        }
    }
    return hash;
}

}  // namespace zv::rules
