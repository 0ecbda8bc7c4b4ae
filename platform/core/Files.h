#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv::core {

// Every function here takes a game path and resolves it with ResolvePath first.

// Replaces the whole file with `size` bytes: writes a temporary file in the same folder,
// flushes it to disk and renames it over the target. Returns false and leaves the target
// as it was when anything fails, including when this process holds the target open.
// An existing target keeps its permission bits. On failure errno says why.
bool WriteFileAtomically(const std::string& gamePath, const void* data, std::size_t size);

// True for the name of a temporary file that WriteFileAtomically makes beside its target
// (".NAME.PID.N.tmp"); `pid` gets the writer's process id.
bool IsAtomicWriteTemporary(std::string_view name, long* pid = nullptr);

// Removes the temporary files that writers which no longer run left in `gameDir` (a writer
// killed between creating its temporary and the rename). A live process's files are kept.
// Returns how many were removed. WriteFileAtomically calls it after each successful write.
int RemoveStaleTemporaries(const std::string& gameDir);

// Reads a whole regular file; nothing when it is missing, unreadable or held open by this
// process without read sharing.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& gamePath);

// True when a regular file exists at the path.
bool FileExists(const std::string& gamePath);

// True when a directory exists at the path.
bool DirectoryExists(const std::string& gamePath);

// Removes a regular file. False when it is missing, is not a regular file, is held open by
// this process (the game's files are never opened with delete sharing) or cannot be removed.
bool DeleteFile(const std::string& gamePath);

// Creates one directory (its parent must exist). True when it exists afterwards.
bool CreateDirectory(const std::string& gamePath);

// Last modification time of a file or directory; nothing when it does not exist.
std::optional<std::chrono::system_clock::time_point> GetLastWriteTime(const std::string& gamePath);

// Matches a name against a pattern with '*' (any run of bytes, also empty) and '?'
// (exactly one byte), ASCII letters compared without regard to case.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// Names (without folder) of the regular files in `gameDir` that match `pattern`, sorted
// without regard to case (ties by bytes). A missing folder gives an empty list. The
// temporaries of atomic writes are never listed.
std::vector<std::string> ListDirectory(const std::string& gameDir, std::string_view pattern);

}  // namespace zv::core
