#include "mapview/MapPreview.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "rules/context/GameContext.h"
#include "rules/files/GameFileHeader.h"
#include "rules/files/GameFileIo.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapRecords.h"

namespace zv::mapview {

namespace {

using rules::CountryRecord;
using rules::HexRecord;
using rules::ScenarioHeaderRecord;
using rules::SiteRecord;

constexpr std::size_t kHeaderBytes = ScenarioHeaderRecord::kSize;
constexpr std::size_t kCountryBytes = 4 * CountryRecord::kSize;
constexpr std::size_t kHexBytes = rules::kHexCount * HexRecord::kSize;
constexpr std::size_t kSiteBytes = rules::kSiteCount * SiteRecord::kSize;
// What a preview reads: the file header and the four map tables behind it.
constexpr std::size_t kPreviewBytes =
    rules::kGameFileHeaderSize + kHeaderBytes + kCountryBytes + kHexBytes + kSiteBytes;

std::unique_ptr<MapPreviewRecord> gPreview;

struct TilePos {
    int x, y;
};

TilePos LandTile(int kind) {
    return kind < 21 ? TilePos{2 * kind, 0} : TilePos{2 * kind - 42, 6};
}
constexpr TilePos kRoadTile{16, 6};
constexpr TilePos kRiverTile{18, 6};

// The owner colours: countries 0-3, 4 neutral, 5 the corps colour.
TilePos OwnerTile(int owner) {
    switch (owner) {
        case 0:
        case 1:
        case 2:
            return {12 * owner, 2};
        case 3:
            return {0, 4};
        case 4:
            return {26, 0};
        default:
            return {24, 4};
    }
}

void CopyTile(fw::Dib& target, int x, int y, fw::Dib& sheet, TilePos tile) {
    fw::HvDIBitBltOpaque(&target, x, y, 2, 2, &sheet, tile.x, tile.y);
}

fw::Dib& MiniSheet() {
    static fw::Dib sheet("hexMini.bmp");
    return sheet;
}

std::shared_ptr<fw::Dib> MakePicture(fw::Dib& sheet) {
    ui::RgbQuad table[256] = {};
    sheet.GetColorEntries(0, 256, table);
    return std::make_shared<fw::Dib>(kMiniMapSize, kMiniMapSize, table);
}

}  // namespace

std::uint8_t NearestPaletteIndex(fw::Dib& dib, int r, int g, int b) {
    ui::RgbQuad table[256] = {};
    const int n = dib.GetColorEntries(0, 256, table);
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < std::max(n, 1) && i < 256; ++i) {
        const long dr = table[i].red - r, dg = table[i].green - g, db = table[i].blue - b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

void RenderMiniMap(fw::Dib& target, const std::uint8_t* hexes, const std::uint16_t* siteIndex,
                   const std::uint8_t* sites, int mode, fw::Dib& sheet) {
    const std::uint8_t grey = NearestPaletteIndex(target, 128, 128, 128);
    for (int y = 0; y < std::min(kMiniMapSize, target.GetHeight()); ++y)
        std::memset(target.GetPixelAddress(0, y), grey,
                    static_cast<std::size_t>(std::min(kMiniMapSize, target.GetWidth())));
    for (int y = 0; y < rules::kMapSize; ++y) {
        for (int x = 0; x < rules::kMapSize; ++x) {
            const int index = x + rules::kMapSize * y;
            const std::uint8_t* hex = hexes + static_cast<std::size_t>(index) * HexRecord::kSize;
            const int dx = 2 * x + (y & 1), dy = 2 * y;
            const std::uint8_t land = hex[HexRecord::kLandKind];
            TilePos tile;
            if (hex[HexRecord::kRoad] != 0xFF) tile = kRoadTile;
            else if (hex[HexRecord::kRiver] != 0xFF) tile = kRiverTile;
            else if (mode == 0) tile = LandTile(land);
            else tile = (land >= 3 && land <= 5) ? LandTile(5) : LandTile(0);
            CopyTile(target, dx, dy, sheet, tile);
            if (mode == 2) {
                if (hex[HexRecord::kCountry] != 6) CopyTile(target, dx, dy, sheet, OwnerTile(hex[HexRecord::kCountry]));
            } else if (siteIndex[index] != rules::kNoSiteIndex) {
                const std::uint8_t* site = sites + static_cast<std::size_t>(siteIndex[index]) * SiteRecord::kSize;
                if (site[SiteRecord::kKind] != 0xFF) CopyTile(target, dx, dy, sheet, OwnerTile(site[SiteRecord::kOwner]));
            }
        }
    }
}

int MapPreview::RenderMapFilePreview(ui::Hwnd window, const char* path, int withoutPictures) {
    return mapview::RenderMapFilePreview(window, path, withoutPictures);
}
int MapPreview::FreeMapPreview() { return mapview::FreeMapPreview(); }
MapPreviewRecord* MapPreview::GetMapPreview() { return mapview::GetMapPreview(); }

int RenderMapFilePreview(ui::Hwnd window, const char* path, int withoutPictures) {
    (void)window;
    if (path == nullptr) return 0;
    std::vector<std::uint8_t> file;
    if (!rules::ReadFileHead(path, kPreviewBytes, file)) return 0;
    const std::uint16_t kind = rules::PeekFileKind(file);
    if (kind != 106 && kind != 107) return 0;
    // A file cut short would leave the tables below half read: such a file is no map.
    if (file.size() < kPreviewBytes) return 0;
    const std::uint8_t* header = file.data() + rules::kGameFileHeaderSize;
    const std::uint8_t* countries = header + kHeaderBytes;
    const std::uint8_t* hexes = countries + kCountryBytes;
    const std::uint8_t* sites = hexes + kHexBytes;

    std::vector<std::uint16_t> siteIndex(rules::kHexCount, rules::kNoSiteIndex);
    for (int s = 0; s < rules::kSiteCount; ++s) {
        const std::uint8_t* site = sites + static_cast<std::size_t>(s) * SiteRecord::kSize;
        if (site[SiteRecord::kKind] == 0xFF) continue;
        const int x = site[SiteRecord::kX], y = site[SiteRecord::kY];
        // A site off the map has no hex to mark.
        if (x >= rules::kMapSize || y >= rules::kMapSize) continue;
        siteIndex[static_cast<std::size_t>(x + rules::kMapSize * y)] = static_cast<std::uint16_t>(s);
    }

    FreeMapPreview();
    auto record = std::make_unique<MapPreviewRecord>();
    std::memcpy(record->title, header + ScenarioHeaderRecord::kTitle, 24);
    std::memcpy(record->description, header + ScenarioHeaderRecord::kDescription, 256);
    record->searchOption = header[ScenarioHeaderRecord::kOptionByte1];
    record->dayLimit = header[ScenarioHeaderRecord::kDayLimit];
    record->hourLimit = header[ScenarioHeaderRecord::kHourLimit];
    record->playKind = header[ScenarioHeaderRecord::kSaveKind];
    record->ruleWord = rules::ReadU16(header, ScenarioHeaderRecord::kOptionWord);
    record->deployLimit = header[ScenarioHeaderRecord::kDeployLimit];
    for (int c = 0; c < 4; ++c) {
        const std::uint8_t* country = countries + static_cast<std::size_t>(c) * CountryRecord::kSize;
        const std::uint8_t part = country[CountryRecord::kParticipation];
        const bool counts = kind == 106 ? part != 0 : (country[CountryRecord::kState] == 1 && part != 2);
        if (!counts) continue;
        record->countryMask |= static_cast<std::uint16_t>(1u << c);
        ++record->countryCount;
    }
    for (int s = 0; s < rules::kSiteCount; ++s) {
        const std::uint8_t* site = sites + static_cast<std::size_t>(s) * SiteRecord::kSize;
        const int k = site[SiteRecord::kKind], owner = site[SiteRecord::kOwner];
        if (k > 5 || owner > 4) continue;
        ++record->siteCounts[owner][k];
    }
    if (!withoutPictures) {
        fw::Dib& sheet = MiniSheet();
        for (int mode = 0; mode < 3; ++mode) {
            record->pictures[mode] = MakePicture(sheet);
            RenderMiniMap(*record->pictures[mode], hexes, siteIndex.data(), sites, mode, sheet);
        }
    }
    gPreview = std::move(record);
    return 1;
}

int FreeMapPreview() {
    gPreview.reset();
    return 1;
}

MapPreviewRecord* GetMapPreview() { return gPreview.get(); }

void RenderMapMiniature(rules::TableDirectory& tables, fw::Dib& target, int x, int y, int unused) {
    (void)unused;
    fw::Dib& sheet = MiniSheet();
    const std::uint8_t* hexes = tables.GetTableBase(rules::TableId::Hex);
    const std::uint8_t* info = tables.GetTableBase(rules::TableId::HexInfo);
    const std::uint8_t* sites = tables.GetTableBase(rules::TableId::Site);
    if (hexes == nullptr || info == nullptr || sites == nullptr) return;
    for (int r = 0; r < rules::kMapSize; ++r) {
        for (int c = 0; c < rules::kMapSize; ++c) {
            const int index = c + rules::kMapSize * r;
            const std::uint8_t* hex = hexes + static_cast<std::size_t>(index) * HexRecord::kSize;
            const int dx = x + 2 * c + (r & 1), dy = y + 2 * r;
            const TilePos tile = hex[HexRecord::kRiver] != 0xFF ? kRiverTile : LandTile(hex[HexRecord::kLandKind]);
            CopyTile(target, dx, dy, sheet, tile);
            const std::uint16_t s = rules::ReadU16(info + static_cast<std::size_t>(index) * rules::HexInfoRecord::kSize,
                                                   rules::HexInfoRecord::kSiteIndex);
            if (s >= rules::kSiteCount) continue;
            const std::uint8_t* site = sites + static_cast<std::size_t>(s) * SiteRecord::kSize;
            const int kind = site[SiteRecord::kKind];
            if (kind == 0xFF) continue;
            TilePos mark = OwnerTile(site[SiteRecord::kOwner]);
            mark.x += 2 * kind;
            CopyTile(target, dx, dy, sheet, mark);
        }
    }
}

int CountParticipatingCountries(const rules::TableDirectory& tables) {
    const std::uint8_t* countries = tables.GetTableBase(rules::TableId::Country);
    int n = 0;
    for (int c = 0; c < 4 && countries != nullptr; ++c)
        n += countries[static_cast<std::size_t>(c) * CountryRecord::kSize + CountryRecord::kParticipation] == 1;
    return n;
}

int CountCountriesAtWar(const rules::TableDirectory& tables) {
    const std::uint8_t* countries = tables.GetTableBase(rules::TableId::Country);
    int n = 0;
    for (int c = 0; c < 4 && countries != nullptr; ++c)
        n += countries[static_cast<std::size_t>(c) * CountryRecord::kSize + CountryRecord::kState] == 1;
    return n;
}

}  // namespace zv::mapview
