#include "rules/DatFile.h"

#include <cstdio>
#include <cstring>

#include "rules/Bytes.h"

namespace zv::rules {

namespace {

// Minimal reader until the framework's file object is wired in.
struct InputFile {
    std::FILE* file = nullptr;
    explicit InputFile(const std::string& path) { file = std::fopen(path.c_str(), "rb"); }
    ~InputFile() {
        if (file) std::fclose(file);
    }
    bool IsOpen() const { return file != nullptr; }
    long Length() {
        if (std::fseek(file, 0, SEEK_END) != 0) return -1;
        long length = std::ftell(file);
        std::fseek(file, 0, SEEK_SET);
        return length;
    }
    bool ReadExact(void* buffer, std::size_t size) {
        return size == 0 || std::fread(buffer, 1, size, file) == size;
    }
};

}  // namespace

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
    InputFile file(path);
    if (!file.IsOpen()) {
        error = path + ": cannot open the file";
        return false;
    }
    const long length = file.Length();
    if (length < static_cast<long>(kDatHeaderBytes)) {
        error = path + ": shorter than its 16-byte header";
        return false;
    }
    std::uint8_t headerBytes[kDatHeaderBytes];
    if (!file.ReadExact(headerBytes, sizeof headerBytes)) {
        error = path + ": cannot read the header";
        return false;
    }
    const DatFileHeader header = DatFileHeader::Parse(headerBytes);
    const std::uint64_t expected = static_cast<std::uint64_t>(header.recordCount) * recordSize;
    if (header.bodySize != expected) {
        error = path + ": header says " + std::to_string(header.recordCount) + " records of " +
                std::to_string(recordSize) + " bytes but a body of " +
                std::to_string(header.bodySize) + " bytes";
        return false;
    }
    const std::uint64_t actual = static_cast<std::uint64_t>(length) - kDatHeaderBytes;
    if (actual != header.bodySize) {
        error = path + ": body is " + std::to_string(actual) + " bytes, header says " +
                std::to_string(header.bodySize);
        return false;
    }
    image.header = header;
    image.recordCount = header.recordCount;
    std::memcpy(image.id, header.id, sizeof image.id);
    image.body.assign(header.bodySize, 0);
    if (!file.ReadExact(image.body.data(), image.body.size())) {
        error = path + ": cannot read the body";
        image.body.clear();
        return false;
    }
    return true;
}

int ReadDatHeader(const std::string& path, std::uint16_t& count, std::uint32_t& total,
                  char id[8]) {
    std::uint8_t bytes[kDatHeaderBytes] = {};
    InputFile file(path);
    const bool ok = file.IsOpen() && (std::fread(bytes, 1, sizeof bytes, file.file), true);
    const DatFileHeader header = DatFileHeader::Parse(bytes);
    count = header.recordCount;
    total = header.bodySize;
    if (!ok) return 0;
    std::memcpy(id, header.id, 8);
    return 1;
}

int ReadDatBody(const std::string& path, std::uint8_t* buffer, std::uint32_t size) {
    InputFile file(path);
    if (!file.IsOpen()) return 0;
    if (size == 0) return 1;
    if (std::fseek(file.file, static_cast<long>(kDatHeaderBytes), SEEK_SET) != 0) return 0;
    std::fread(buffer, 1, size, file.file);
    return 1;
}

std::string JoinGamePath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    const char last = directory.back();
    if (last == '/' || last == '\\') return directory + name;
    return directory + "/" + name;
}

std::string DefaultRuleDirectory() { return "."; }

}  // namespace zv::rules
