#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rules/context/TableDirectory.h"

namespace zv::rules {

// The 16-byte header in front of every rule table, corps, map, snapshot and save file.
inline constexpr std::size_t kDatHeaderBytes = 16;

// File kinds in the 16-byte header. Readers of the rule tables do not check the kind.
inline constexpr std::uint16_t kKindLandKind = 100;
inline constexpr std::uint16_t kKindUnitKind = 101;
inline constexpr std::uint16_t kKindUnitInfo = 102;
inline constexpr std::uint16_t kKindMvcostKd = 103;
inline constexpr std::uint16_t kKindWeaponKd = 104;
// 105-107 are the corps, map and save files (GameFileKind).
inline constexpr std::uint16_t kKindSiteKind = 108;

// Kind written into a rule table's header: 100-104 and 108 for the six tables that have one,
// 0 for the others.
std::uint16_t DatFileKindOf(TableId id);

// The 16-byte header of every *.dat file: kind, record count, body size, version id.
struct DatFileHeader {
    std::uint16_t kind = 0;
    std::uint16_t recordCount = 0;
    std::uint32_t bodySize = 0;
    char id[8] = {};

    static DatFileHeader Parse(const std::uint8_t* bytes);
    void Write(std::uint8_t* bytes) const;
};

// A whole rule-table file, checked: header, then exactly count x record size body bytes.
struct DatFileImage {
    DatFileHeader header;
    std::uint16_t recordCount = 0;
    char id[8] = {};
    std::vector<std::uint8_t> body;
};

// Reads and validates a rule-table file. The file must be exactly 16 + body size bytes and the
// body size must equal count x recordSize; otherwise false with `error` naming the file.
bool ReadDatFile(const std::string& path, std::uint32_t recordSize, DatFileImage& image,
                 std::string& error);

// Header probe: stores count and body size (zero when nothing could be read) and, when the read
// worked, the id. 1 unless the file could not be read.
int ReadDatHeader(const std::string& path, std::uint16_t& count, std::uint32_t& total, char id[8]);
// Reads `size` body bytes after the header. 1 unless the file could not be read.
int ReadDatBody(const std::string& path, std::uint8_t* buffer, std::uint32_t size);

// The whole file image of a rule table: header (kind, count, body size, id) and body.
std::vector<std::uint8_t> BuildDatImage(std::uint16_t kind, std::uint16_t count,
                                        const std::vector<std::uint8_t>& body, const char id[8]);
// Writes that image as one whole file (temporary file and rename). False with `error` set when
// the write failed; the old file is then unchanged.
bool WriteDatFile(const std::string& path, std::uint16_t kind, std::uint16_t count,
                  const std::vector<std::uint8_t>& body, const char id[8], std::string& error);

// "dir" + name, with exactly one separator between them.
std::string JoinGamePath(const std::string& directory, const std::string& name);
// Where the rule tables live: the program directory.
std::string DefaultRuleDirectory();

}  // namespace zv::rules
