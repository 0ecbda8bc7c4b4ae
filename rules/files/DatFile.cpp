#include "rules/files/DatFile.h"

#include <cerrno>
#include <cstring>

#include "framework/FileObject.h"
#include "framework/ProcessState.h"
#include "platform/core/Files.h"
#include "rules/records/Bytes.h"

namespace zv::rules {

std::uint16_t DatFileKindOf(TableId id) {
    switch (id) {
        case TableId::LandKind:
            return kKindLandKind;
        case TableId::UnitKind:
            return kKindUnitKind;
        case TableId::UnitInfo:
            return kKindUnitInfo;
        case TableId::MvcostKd:
            return kKindMvcostKd;
        case TableId::WeaponKd:
            return kKindWeaponKd;
        case TableId::SiteKind:
            return kKindSiteKind;
        default:
            return 0;
    }
}

DatFileHeader DatFileHeader::Parse(const std::uint8_t* bytes) {
    DatFileHeader header;
    header.kind = ReadU16(bytes, 0);
    header.recordCount = ReadU16(bytes, 2);
    header.bodySize = ReadU32(bytes, 4);
    std::memcpy(header.id, bytes + 8, sizeof header.id);
    return header;
}

void DatFileHeader::Write(std::uint8_t* bytes) const {
    WriteU16(bytes, 0, kind);
    WriteU16(bytes, 2, recordCount);
    WriteU32(bytes, 4, bodySize);
    std::memcpy(bytes + 8, id, sizeof id);
}

bool ReadDatFile(const std::string& path, std::uint32_t recordSize, DatFileImage& image,
                 std::string& error) {
    fw::FileObject file;
    if (!file.Open(path, fw::kFileModeReadExisting)) {
        error = path + ": cannot open the file";
        return false;
    }
    const int length = file.Seek(0, 2);
    if (length < 0 || file.Seek(0, 0) != 0) {
        error = path + ": cannot find the file's length";
        return false;
    }
    if (static_cast<std::size_t>(length) < kDatHeaderBytes) {
        error = path + ": " + std::to_string(length) + " bytes, shorter than the 16-byte header";
        return false;
    }
    std::uint8_t headerBytes[kDatHeaderBytes];
    if (file.Read(headerBytes, sizeof headerBytes) != static_cast<int>(sizeof headerBytes)) {
        error = path + ": cannot read the header";
        return false;
    }
    const DatFileHeader header = DatFileHeader::Parse(headerBytes);
    const std::uint64_t expected = static_cast<std::uint64_t>(header.recordCount) * recordSize;
    if (header.bodySize != expected) {
        error = path + ": the header says " + std::to_string(header.recordCount) + " records of " +
                std::to_string(recordSize) + " bytes but a body of " +
                std::to_string(header.bodySize) + " bytes";
        return false;
    }
    const std::uint64_t actual = static_cast<std::uint64_t>(length) - kDatHeaderBytes;
    if (actual != header.bodySize) {
        error = path + ": the body holds " + std::to_string(actual) +
                " bytes but the header says " + std::to_string(header.bodySize);
        return false;
    }
    std::vector<std::uint8_t> body(header.bodySize);
    if (!body.empty() && file.Read(body.data(), body.size()) != static_cast<int>(body.size())) {
        error = path + ": cannot read the body";
        return false;
    }
    file.Close();
    image.header = header;
    image.recordCount = header.recordCount;
    std::memcpy(image.id, header.id, sizeof image.id);
    image.body = std::move(body);
    return true;
}

int ReadDatHeader(const std::string& path, std::uint16_t& count, std::uint32_t& total, char id[8]) {
    std::uint8_t bytes[kDatHeaderBytes] = {};
    fw::FileObject file(path, fw::kFileModeReadExisting);
    const int read = file.Read(bytes, sizeof bytes);
    file.Close();
    const DatFileHeader header = DatFileHeader::Parse(bytes);
    count = header.recordCount;
    total = header.bodySize;
    if (read == -1) return 0;
    std::memcpy(id, header.id, sizeof header.id);
    return 1;
}

int ReadDatBody(const std::string& path, std::uint8_t* buffer, std::uint32_t size) {
    fw::FileObject file(path, fw::kFileModeReadExisting);
    file.Seek(static_cast<std::int32_t>(kDatHeaderBytes), 0);
    const int read = file.Read(buffer, size);
    file.Close();
    return read == -1 ? 0 : 1;
}

std::vector<std::uint8_t> BuildDatImage(std::uint16_t kind, std::uint16_t count,
                                        const std::vector<std::uint8_t>& body, const char id[8]) {
    std::vector<std::uint8_t> image(kDatHeaderBytes + body.size());
    DatFileHeader header;
    header.kind = kind;
    header.recordCount = count;
    header.bodySize = static_cast<std::uint32_t>(body.size());
    if (id) std::memcpy(header.id, id, sizeof header.id);
    header.Write(image.data());
    if (!body.empty()) std::memcpy(image.data() + kDatHeaderBytes, body.data(), body.size());
    return image;
}

bool WriteDatFile(const std::string& path, std::uint16_t kind, std::uint16_t count,
                  const std::vector<std::uint8_t>& body, const char id[8], std::string& error) {
    const std::vector<std::uint8_t> image = BuildDatImage(kind, count, body, id);
    if (!core::WriteFileAtomically(path, image.data(), image.size())) {
        error = path + ": cannot write the file: " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string JoinGamePath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    const char last = directory.back();
    if (last == '/' || last == '\\') return directory + name;
    return directory + "/" + name;
}

std::string DefaultRuleDirectory() {
    return fw::GetProgramDirectory();
}

}  // namespace zv::rules
