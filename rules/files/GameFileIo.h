#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Whole-file reading and writing for the game's corps, map, snapshot and save files. A reader
// takes the whole file into memory and checks it before any table changes; a writer builds the
// whole image and replaces the file in one step, so a failure never leaves half a file.
namespace zv::rules {

// Result of a file operation: ok, or a message saying what went wrong.
struct FileStatus {
    bool ok = false;
    std::string error;

    static FileStatus Success() { return {true, {}}; }
    static FileStatus Failure(std::string message) { return {false, std::move(message)}; }
    explicit operator bool() const { return ok; }
};

// Reads the whole file at a game path (any case, backslashes allowed) through the file object.
// Fails when it cannot be opened or read, or when it is longer than `maxSize` bytes.
FileStatus ReadGameFile(const std::string& path, std::size_t maxSize,
                        std::vector<std::uint8_t>& out);

// Reads the first `maxSize` bytes of the file at a game path (fewer when it is shorter).
FileStatus ReadFileHead(const std::string& path, std::size_t maxSize,
                        std::vector<std::uint8_t>& out);

// Replaces the file at a game path with `image`.
FileStatus WriteGameFile(const std::string& path, const std::vector<std::uint8_t>& image);

// Folder + name joined the way the game builds its paths: programDir + "\SUB\" + name.
std::string GamePath(const std::string& programDir, const char* subFolder, const std::string& name);

}  // namespace zv::rules
