#include "rules/files/MapFiles.h"

#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "rules/files/GameFileHeader.h"
#include "rules/files/GameFileLayout.h"
#include "rules/records/ForceRecord.h"
#include "rules/records/MapRecords.h"
#include "rules/records/NewsRecord.h"
#include "rules/records/TroopRecord.h"

namespace zv::rules {

namespace {

using Image = TableImage;
constexpr std::size_t kNewsBytes = kNewsLogBytes;
constexpr std::span<const Image> kMapImages(kMapFileImages);
constexpr std::span<const Image> kSnapshotImages(kSnapshotFileImages);
constexpr std::span<const Image> kSaveImages(kSaveFileImages);

// What the opening demonstration takes of a saved game.
constexpr std::span<const Image> kOpeningImages = kSaveImages.first(6);

constexpr std::size_t ImageBytes(std::span<const Image> images) {
    return GameFileBytes(images);
}
static_assert(ImageBytes(kMapImages) == kMapFileSize);
static_assert(ImageBytes(kSnapshotImages) == kSnapshotFileSize);
static_assert(ImageBytes(kSaveImages) == kSaveFileSize);
static_assert(kSaveFileSize + kNewsBytes == kSaveFileWithNewsSize);

// Appends the images to a file image that already holds the header.
void AppendImages(const TableDirectory& tables, std::span<const Image> images,
                  std::vector<std::uint8_t>& out) {
    for (const Image& image : images) {
        const std::uint8_t* base = tables.GetTableBase(image.table);
        out.insert(out.end(), base, base + image.bytes);
    }
}

std::vector<std::uint8_t> StartImage(std::uint16_t kind, std::size_t capacity) {
    std::vector<std::uint8_t> out;
    out.reserve(capacity);
    const GameFileHeader header = GameFileHeader::Make(kind, 1);
    out.insert(out.end(), header.data(), header.data() + kGameFileHeaderSize);
    return out;
}

// Copies the images of a checked file into the tables; the reader is left after them.
core::ByteReader RestoreImages(TableDirectory& tables, std::span<const Image> images,
                               std::span<const std::uint8_t> file) {
    core::ByteReader reader(file);
    const bool restored =
        reader.Skip(kGameFileHeaderSize) && RestoreTableImages(tables, images, reader);
    if (!restored) std::abort();  // ReadChecked has checked the size
    return reader;
}

FileStatus WriteImages(const TableDirectory& tables, const std::string& path,
                       std::span<const Image> images) {
    if (path.empty()) return FileStatus::Failure("no file name");
    std::vector<std::uint8_t> out = StartImage(kMapFileKind, ImageBytes(images));
    AppendImages(tables, images, out);
    return WriteGameFile(path, out);
}

std::string SizeText(std::size_t size) {
    return std::to_string(size) + " bytes";
}

// Checks a file image of the given kind whose size is one of `sizes`; `path` names it.
FileStatus CheckImage(const std::string& path, std::uint16_t kind,
                      std::initializer_list<std::size_t> sizes, const char* what,
                      std::span<const std::uint8_t> file) {
    if (path.empty()) return FileStatus::Failure("no file name");
    std::size_t largest = 0;
    for (std::size_t size : sizes) largest = size > largest ? size : largest;
    if (file.size() > largest) {
        return FileStatus::Failure(path + " is longer than " + std::to_string(largest) + " bytes");
    }
    if (PeekFileKind(file) != kind) {
        return FileStatus::Failure(path + " is not a " + what + " (kind " +
                                   std::to_string(PeekFileKind(file)) + ")");
    }
    for (std::size_t size : sizes) {
        if (file.size() == size) return FileStatus::Success();
    }
    return FileStatus::Failure(path + " is " + SizeText(file.size()) + ", a " + what + " has " +
                               SizeText(*sizes.begin()));
}

// Reads a file of the given kind whose size is one of `sizes`.
FileStatus ReadChecked(const std::string& path, std::uint16_t kind,
                       std::initializer_list<std::size_t> sizes, const char* what,
                       std::vector<std::uint8_t>& file) {
    if (path.empty()) return FileStatus::Failure("no file name");
    std::size_t largest = 0;
    for (std::size_t size : sizes) largest = size > largest ? size : largest;
    if (FileStatus read = ReadGameFile(path, largest, file); !read) return read;
    return CheckImage(path, kind, sizes, what, file);
}

// A map holds no launched parts: troops 160-254 become empty records, so no part of an earlier
// game (or the zero bytes of a fresh table, which read as used troops) outlives the load.
void ResetLaunchedParts(TableDirectory& tables) {
    std::uint8_t* base = tables.GetTableBase(TableId::Troop);
    for (std::uint16_t t = kMapTroopCount; t < kTroopTableLimit; ++t) TroopAt(base, t)->Reset();
}

void ClearNewsTable(TableDirectory& tables) {
    std::memset(tables.GetTableBase(TableId::News), kNewsEmptySlot, kNewsBytes);
}

bool IsSinglePlay(const TableDirectory& tables) {
    return ReadS32(tables.GetTableBase(TableId::GameSettings), GameSettingsRecord::kSinglePlay) !=
           0;
}

}  // namespace

FileStatus WriteMapFile(const TableDirectory& tables, const std::string& path) {
    return WriteImages(tables, path, kMapImages);
}

FileStatus WriteUndoMapFile(const TableDirectory& tables, const std::string& path) {
    return WriteImages(tables, path, kSnapshotImages);
}

FileStatus WriteSaveGame(TableDirectory& tables, GameEvents& events, const std::string& path) {
    if (path.empty()) return FileStatus::Failure("no file name");
    const bool singlePlay = IsSinglePlay(tables);
    WriteU16(tables.GetTableBase(TableId::ScenarioHeader), ScenarioHeaderRecord::kSaveKind,
             singlePlay ? 1 : 2);
    // The news window owns the log; it writes what it holds into the emptied table.
    ClearNewsTable(tables);
    events.NewsReload(0, tables.GetTableBase(TableId::News));

    std::vector<std::uint8_t> out =
        StartImage(kSaveFileKind, singlePlay ? kSaveFileWithNewsSize : kSaveFileSize);
    AppendImages(tables, kSaveImages, out);
    if (singlePlay) {
        const std::uint8_t* news = tables.GetTableBase(TableId::News);
        out.insert(out.end(), news, news + kNewsBytes);
    }
    return WriteGameFile(path, out);
}

FileStatus ReadUndoMapFile(TableDirectory& tables, const std::string& path) {
    std::vector<std::uint8_t> file;
    FileStatus status = ReadChecked(path, kMapFileKind, {kSnapshotFileSize}, "map snapshot", file);
    if (!status) return status;
    return ReadUndoMapImage(tables, path, file);
}

FileStatus ReadUndoMapImage(TableDirectory& tables, const std::string& path,
                            std::span<const std::uint8_t> file) {
    FileStatus status = CheckImage(path, kMapFileKind, {kSnapshotFileSize}, "map snapshot", file);
    if (!status) return status;
    RestoreImages(tables, kSnapshotImages, file);
    ResetLaunchedParts(tables);
    return status;
}

FileStatus LoadMapFromMapFolder(TableDirectory& tables, GameEvents& events,
                                const std::string& programDir, const std::string& name) {
    if (name.empty()) return FileStatus::Failure("no map name");
    return LoadMapFile(tables, events, GamePath(programDir, "MAP", name));
}

FileStatus LoadMapFile(TableDirectory& tables, GameEvents& events, const std::string& path) {
    std::vector<std::uint8_t> file;
    FileStatus status = ReadChecked(path, kMapFileKind, {kMapFileSize}, "map", file);
    if (!status) return status;
    return LoadMapImage(tables, events, path, file);
}

FileStatus LoadMapImage(TableDirectory& tables, GameEvents& events, const std::string& path,
                        std::span<const std::uint8_t> file) {
    FileStatus status = CheckImage(path, kMapFileKind, {kMapFileSize}, "map", file);
    if (!status) return status;
    RestoreImages(tables, kMapImages, file);
    ResetLaunchedParts(tables);
    events.TerrainReloaded();
    return status;
}

FileStatus LoadSaveGame(TableDirectory& tables, GameEvents& events, const std::string& programDir,
                        const std::string& name) {
    if (name.empty()) return FileStatus::Failure("no saved game name");
    const std::string path = GamePath(programDir, "SAVE", name);
    std::vector<std::uint8_t> file;
    FileStatus status = ReadChecked(path, kSaveFileKind, {kSaveFileSize, kSaveFileWithNewsSize},
                                    "saved game", file);
    if (!status) return status;
    return LoadSaveGameImage(tables, events, path, file);
}

FileStatus LoadSaveGameImage(TableDirectory& tables, GameEvents& events, const std::string& path,
                             std::span<const std::uint8_t> file) {
    FileStatus status = CheckImage(path, kSaveFileKind, {kSaveFileSize, kSaveFileWithNewsSize},
                                   "saved game", file);
    if (!status) return status;
    core::ByteReader rest = RestoreImages(tables, kSaveImages, file);
    if (file.size() == kSaveFileWithNewsSize) {
        rest.ReadBytes(tables.GetTableBase(TableId::News), kNewsBytes);
    } else {
        // A save from a network game has no log: the previous game's news must not show.
        ClearNewsTable(tables);
    }
    events.NewsClear();
    std::uint8_t* news = tables.GetTableBase(TableId::News);
    for (std::size_t i = 0; i < kNewsTableCount; ++i) {
        const NewsRecord* record = NewsAt(news, i);
        if (!record->IsEmptySlot()) events.NewsAdd(record->data());
    }
    events.TerrainReloaded();
    return status;
}

FileStatus LoadOpeningData(TableDirectory& tables, GameEvents& events,
                           const std::string& programDir, const std::string& name) {
    if (name.empty()) return FileStatus::Failure("no saved game name");
    const std::string path = GamePath(programDir, "Zv6open", name);
    std::vector<std::uint8_t> file;
    FileStatus status = ReadChecked(path, kSaveFileKind, {kSaveFileSize, kSaveFileWithNewsSize},
                                    "saved game", file);
    if (!status) return status;
    return LoadOpeningImage(tables, events, path, file);
}

FileStatus LoadOpeningImage(TableDirectory& tables, GameEvents& events, const std::string& path,
                            std::span<const std::uint8_t> file) {
    FileStatus status = CheckImage(path, kSaveFileKind, {kSaveFileSize, kSaveFileWithNewsSize},
                                   "saved game", file);
    if (!status) return status;
    RestoreImages(tables, kOpeningImages, file);
    events.TerrainReloaded();
    return status;
}

}  // namespace zv::rules
