#include "rules/files/MapImport.h"

#include <cstring>

#include "platform/core/ByteReader.h"
#include "rules/context/GameContext.h"
#include "rules/files/Rle.h"
#include "rules/records/MapRecords.h"
#include "rules/search/HexQueries.h"

namespace zv::rules {

namespace {

constexpr std::uint8_t kTerrainCodeMask = 0x3F;
constexpr std::uint8_t kTerrainRoadBit = 0x40;
constexpr std::uint16_t kTerrainLengthMask = 0x0FFF;

// Plain land kinds by code; 0xFF where the code is not a plain terrain.
constexpr std::uint8_t kPlainLandKinds[17] = {
    0xFF, 0, 2, 1, 3, 0xFF, 4, 5, 6, 7, 8, 8, 9, 10, 11, 12, 21,
};

// Codes 24-63 are sites: eight codes per owner (neutral, then countries 0-3), of which the
// offsets 0, 1, 2, 5 and 6 give site kinds 1-5. Kinds 1-4 stand on plain land (0), ports on
// sea (5). Offset 0 of country 3 (code 56) follows its row: a large city of country 3.
constexpr std::uint8_t kSiteKindByOffset[8] = {1, 2, 3, 0xFF, 0xFF, 4, 5, 0xFF};
constexpr std::uint8_t kSiteOwnerByRow[5] = {kNeutralCountry, 0, 1, 2, 3};
constexpr std::uint8_t kFirstSiteCode = 24;

FileStatus Unpack(core::ByteReader& file, std::size_t length,
                  std::array<std::uint8_t, OtherMapImage::kBlockSize>& out, const char* name) {
    out.fill(0);
    if (length > OtherMapImage::kBlockSize) {
        return FileStatus::Failure(std::string(name) + ": packed length " + std::to_string(length) +
                                   " exceeds 4096 bytes");
    }
    std::span<const std::uint8_t> block;
    if (!file.Take(length == 0 ? OtherMapImage::kBlockSize : length, block)) {
        return FileStatus::Failure(std::string(name) + ": file ends inside the block");
    }
    if (length == 0) {
        std::memcpy(out.data(), block.data(), block.size());
    } else {
        // The packed bytes sit in a 4096-byte buffer whose rest is zero, as the format's
        // reader expects: the decoder may look a little past the declared length.
        std::array<std::uint8_t, OtherMapImage::kBlockSize> packed{};
        std::memcpy(packed.data(), block.data(), block.size());
        if (RleDecodeBytes(packed, length, out) == kRleError) {
            out.fill(0);
            return FileStatus::Failure(std::string(name) + ": packed data has no end mark");
        }
    }
    return FileStatus::Success();
}

}  // namespace

OtherTerrainEntry LookupOtherTerrainCode(std::uint8_t code) {
    OtherTerrainEntry entry;
    code &= kTerrainCodeMask;
    if (code < sizeof kPlainLandKinds) {
        if (kPlainLandKinds[code] == 0xFF) return entry;
        entry.known = true;
        entry.landKind = kPlainLandKinds[code];
        return entry;
    }
    if (code < kFirstSiteCode) return entry;
    const int row = (code - kFirstSiteCode) / 8;
    const std::uint8_t kind = kSiteKindByOffset[(code - kFirstSiteCode) % 8];
    if (row >= 5 || kind == 0xFF) return entry;
    entry.known = true;
    entry.siteKind = kind;
    entry.siteOwner = kSiteOwnerByRow[row];
    entry.landKind = kind == 5 ? 5 : 0;
    return entry;
}

FileStatus ParseOtherMapFile(std::span<const std::uint8_t> file, OtherMapImage& out) {
    OtherMapImage image;
    core::ByteReader reader(file);
    if (!reader.ReadBytes(image.headerA.data(), OtherMapImage::kHeaderSize) ||
        !reader.ReadBytes(image.headerB.data(), OtherMapImage::kHeaderSize)) {
        return FileStatus::Failure("file is shorter than its two 256-byte headers");
    }
    const std::size_t terrainLength =
        ReadU16(image.headerA.data(), OtherMapImage::kTerrainLength) & kTerrainLengthMask;
    const std::size_t countryLength = ReadU16(image.headerA.data(), OtherMapImage::kCountryLength);

    if (FileStatus s = Unpack(reader, terrainLength, image.terrain, "terrain block"); !s) {
        return s;
    }
    if (FileStatus s = Unpack(reader, countryLength, image.countries, "country block"); !s) {
        return s;
    }
    out = image;
    return FileStatus::Success();
}

FileStatus ReadOtherMapFile(const std::string& path, OtherMapImage& out) {
    // Nothing past the largest valid file is read: a huge file costs no memory.
    std::vector<std::uint8_t> file;
    FileStatus status = ReadFileHead(path, OtherMapImage::kLargestFileSize, file);
    if (status) status = ParseOtherMapFile(file, out);
    if (!status) status.error = path + ": " + status.error;
    return status;
}

void ApplyOtherMap(TableDirectory& tables, const OtherMapImage& image) {
    GameContext ctx(tables);

    std::uint8_t* header = ctx.Header().GetRecord();
    std::memset(header + ScenarioHeaderRecord::kTitle, 0, ScenarioHeaderRecord::kTitleWidth);
    std::memcpy(header + ScenarioHeaderRecord::kTitle, image.headerA.data() + OtherMapImage::kTitle,
                OtherMapImage::kTitleWidth);
    std::memset(header + ScenarioHeaderRecord::kDescription, 0,
                ScenarioHeaderRecord::kDescriptionWidth);
    std::memcpy(header + ScenarioHeaderRecord::kDescription,
                image.headerA.data() + OtherMapImage::kDescription,
                OtherMapImage::kDescriptionWidth);

    CountryCursor& countries = ctx.Countries();
    for (int c = 0; c < kCountryCount; ++c) {
        if (!countries.Select(c)) continue;
        const std::uint8_t* block = image.headerB.data() + OtherMapImage::kCountryBlockSize * c;
        std::uint8_t* record = countries.GetRecord();
        std::memset(record + CountryRecord::kName, 0, CountryRecord::kNameWidth);
        std::memcpy(record + CountryRecord::kName, block + OtherMapImage::kCountryName,
                    OtherMapImage::kCountryNameWidth);
        countries.SetParticipation(block[OtherMapImage::kCountryParticipation]);
        countries.SetState(block[OtherMapImage::kCountryState]);
        countries.SetFunds(ReadS32(block, OtherMapImage::kCountryFunds));
        countries.SetValue38(ReadS32(block, OtherMapImage::kCountryComputerFunds));
    }

    HexCursor& hexes = ctx.Hexes();
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            const std::uint8_t t = image.terrain[x + kMapSize * y];
            if (!ctx.SelectHexInfoXY(x, y)) continue;
            hexes.SetRoad((t & kTerrainRoadBit) ? 0 : kNoRoad);
            hexes.SetRiver(kNoRiver);
            const OtherTerrainEntry entry = LookupOtherTerrainCode(t);
            if (!entry.known) continue;
            if (entry.siteKind != 0xFF) {
                const std::uint16_t site =
                    ctx.Sites().AddSite(entry.siteKind, entry.siteOwner, MakeHexPosition(x, y));
                if (site != 0xFFFF) ctx.SetHexSiteIndex(site);
            }
            hexes.SetLandKind(entry.landKind);
        }
    }

    // Road bytes become masks of the directions that lead to another road hex. A hex already
    // turned into a mask still reads as a road (a mask is never 0xFF), so order does not matter.
    HexDescription around[kHexDirectionCount];
    for (int y = 0; y < kMapSize; ++y) {
        for (int x = 0; x < kMapSize; ++x) {
            if (!ctx.SelectHexInfoXY(x, y)) continue;
            if (hexes.GetRoad() != kNoRoad) {
                ctx.GetNeighbourInfos(MakeHexPosition(x, y), around);
                std::uint8_t mask = 0;
                for (int d = 0; d < kHexDirectionCount; ++d) {
                    if (around[d].IsOnMap() && around[d].road != kNoRoad) {
                        mask = static_cast<std::uint8_t>(mask | (1u << d));
                    }
                }
                ctx.SelectHexInfoXY(x, y);
                hexes.SetRoad(mask);
            }
            const std::uint8_t c = image.countries[x + kMapSize * y] & 0x0F;
            if (c != 0) {
                int j = 0;
                while (!(c & (1u << j))) ++j;
                ctx.SelectHexInfoXY(x, y);
                hexes.ClearCountry();
                hexes.SetCountry(static_cast<std::uint8_t>(j));
            }
        }
    }
}

FileStatus ImportOtherMapFile(TableDirectory& tables, const std::string& path) {
    OtherMapImage image;
    FileStatus status = ReadOtherMapFile(path, image);
    if (status) ApplyOtherMap(tables, image);
    return status;
}

}  // namespace zv::rules
