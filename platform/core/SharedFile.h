#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zv::core {

// Error numbers reported by the file layer. They keep the values the game's code was
// written against, so a caller that stores or compares them sees what it expects.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorWriteFault = 29;
inline constexpr std::uint32_t kErrorReadFault = 30;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorNegativeSeek = 131;

enum class FileAccess : std::uint8_t { Read, Write, ReadWrite };
enum class FileShare : std::uint8_t { None, Read, Write, ReadWrite };
enum class FileCreation : std::uint8_t {
    OpenExisting,  // the file must exist
    OpenAlways,    // open as it is, or create an empty one
    CreateAlways,  // create an empty one, truncating an existing file
};

// An open file of this layer. Handles are never reused during a run, so a stale or
// made-up handle is refused instead of reaching somebody else's file.
using FileHandle = std::int64_t;
inline constexpr FileHandle kInvalidFileHandle = -1;

// Opens a regular file by its real path (already resolved). Within the process, a file
// held open by one handle can be opened again only when every holder's share mode allows
// the new access and the new share mode allows every holder's access; otherwise the open
// fails with kErrorSharingViolation and changes nothing (no creation, no truncation).
// On failure returns kInvalidFileHandle and stores the error number when `error` is set.
FileHandle OpenSharedFile(const std::string& realPath, FileAccess access, FileShare share,
                          FileCreation creation, std::uint32_t* error = nullptr);

// Closes a handle; false (and kErrorInvalidHandle in *error) for one that is not open.
bool CloseSharedFile(FileHandle handle, std::uint32_t* error = nullptr);

// Reads up to `count` bytes at the file position, fewer only at the end of the file.
// Returns the number read, or -1 (bad handle, no read access, I/O error).
std::int64_t ReadSharedFile(FileHandle handle, void* buffer, std::size_t count,
                            std::uint32_t* error = nullptr);

// Writes all `count` bytes at the file position. Returns `count`, or -1.
std::int64_t WriteSharedFile(FileHandle handle, const void* buffer, std::size_t count,
                             std::uint32_t* error = nullptr);

// Moves the file position: method 0 from the start, 1 from the current position, 2 from
// the end. Returns the new position, or -1 (a position before the start is refused and
// leaves the position where it was).
std::int64_t SeekSharedFile(FileHandle handle, std::int64_t distance, int method,
                            std::uint32_t* error = nullptr);

// Size of an open file in bytes, or -1.
std::int64_t SharedFileSize(FileHandle handle);

// True when some handle of this process holds the file at `realPath`.
bool IsFileHeldOpen(const std::string& realPath);

}  // namespace zv::core
