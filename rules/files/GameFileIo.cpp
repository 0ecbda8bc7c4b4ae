#include "rules/files/GameFileIo.h"

#include <cerrno>
#include <cstring>

#include "framework/FileObject.h"
#include "platform/core/Files.h"

namespace zv::rules {

namespace {

// Reads at most `limit` bytes from the start of the file.
FileStatus ReadUpTo(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out) {
    fw::FileObject file;
    if (!file.Open(path, fw::kFileModeReadExisting)) {
        return FileStatus::Failure("cannot open " + path);
    }
    std::vector<std::uint8_t> data(limit);
    std::size_t filled = 0;
    while (filled < data.size()) {
        const int got = file.Read(data.data() + filled, data.size() - filled);
        if (got < 0) {
            file.Close();
            return FileStatus::Failure("cannot read " + path);
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    file.Close();
    data.resize(filled);
    out = std::move(data);
    return FileStatus::Success();
}

}  // namespace

FileStatus ReadGameFile(const std::string& path, std::size_t maxSize,
                        std::vector<std::uint8_t>& out) {
    // One byte more than the largest valid file tells a long file from a full one.
    std::vector<std::uint8_t> data;
    if (FileStatus read = ReadUpTo(path, maxSize + 1, data); !read) return read;
    if (data.size() > maxSize) {
        return FileStatus::Failure(path + " is longer than " + std::to_string(maxSize) + " bytes");
    }
    out = std::move(data);
    return FileStatus::Success();
}

FileStatus ReadFileHead(const std::string& path, std::size_t maxSize,
                        std::vector<std::uint8_t>& out) {
    return ReadUpTo(path, maxSize, out);
}

FileStatus WriteGameFile(const std::string& path, const std::vector<std::uint8_t>& image) {
    if (!core::WriteFileAtomically(path, image.data(), image.size())) {
        return FileStatus::Failure("cannot write " + path + ": " + std::strerror(errno));
    }
    return FileStatus::Success();
}

std::string GamePath(const std::string& programDir, const char* subFolder,
                     const std::string& name) {
    std::string path = programDir;
    path += '\\';
    path += subFolder;
    path += '\\';
    path += name;
    return path;
}

}  // namespace zv::rules
