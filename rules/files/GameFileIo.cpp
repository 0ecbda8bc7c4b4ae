#include "rules/files/GameFileIo.h"

#include "framework/FileObject.h"
#include "platform/core/Files.h"

namespace zv::rules {

FileStatus ReadGameFile(const std::string& path, std::size_t maxSize,
                        std::vector<std::uint8_t>& out) {
    fw::FileObject file;
    if (!file.Open(path, fw::kFileModeReadExisting)) {
        return FileStatus::Failure("cannot open " + path);
    }
    // One byte more than the largest valid file tells a long file from a full one.
    std::vector<std::uint8_t> data(maxSize + 1);
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
    if (filled > maxSize) {
        return FileStatus::Failure(path + " is longer than " + std::to_string(maxSize) + " bytes");
    }
    data.resize(filled);
    out = std::move(data);
    return FileStatus::Success();
}

FileStatus WriteGameFile(const std::string& path, const std::vector<std::uint8_t>& image) {
    if (!core::WriteFileAtomically(path, image.data(), image.size())) {
        return FileStatus::Failure("cannot write " + path);
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
