#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/SharedFile.h"

namespace zv::fw {

// Mode word bits of FileObject::Open.
inline constexpr unsigned FileOpenRead = 0x0000;
inline constexpr unsigned FileOpenWrite = 0x0001;
inline constexpr unsigned FileOpenReadWrite = 0x0002;
inline constexpr unsigned FileShareNone = 0x0010;  // 0x00 means the same
inline constexpr unsigned FileShareRead = 0x0020;
inline constexpr unsigned FileShareWrite = 0x0030;
inline constexpr unsigned FileShareReadWrite = 0x0040;
inline constexpr unsigned FileOpenCreate = 0x1000;
inline constexpr unsigned FileOpenKeep = 0x2000;
inline constexpr unsigned FileOpenBinary = 0x8000;

// The two mode words the game uses: every read, and every write.
inline constexpr unsigned kFileModeReadExisting = FileOpenBinary | FileOpenRead;  // 0x8000
inline constexpr unsigned kFileModeWriteKeep =
    FileOpenBinary | FileOpenKeep | FileOpenCreate | FileOpenWrite;  // 0xB001

// One open file of the game's binary formats. Opening resolves the game path (backslashes,
// any case) first. A write with 0xB001 overwrites from the start and keeps any old bytes
// beyond the new end: whole-file writers use zv::core::WriteFileAtomically instead.
class FileObject {
  public:
    using Handle = core::FileHandle;
    static constexpr Handle kNoHandle = core::kInvalidFileHandle;

    FileObject() = default;
    // Adopts a handle without taking ownership: CloseIfOpen and destruction leave it open.
    explicit FileObject(Handle handle) : handle_(handle) {}
    // Opens at once; whether that worked shows in the first Read or Write.
    FileObject(const std::string& name, unsigned mode) { Open(name, mode, nullptr); }
    ~FileObject() { CloseIfOpen(); }

    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    // Heap form of the opening constructor, as the file formats use it.
    static std::unique_ptr<FileObject> CreateOpen(const std::string& name, unsigned mode) {
        return std::make_unique<FileObject>(name, mode);
    }

    // Returns 1 on success, 0 on failure (error number in *lastError when given). A handle
    // this object opened is closed first; an adopted one is forgotten, not closed.
    int Open(const std::string& name, unsigned mode, std::uint32_t* lastError = nullptr);
    // CloseHandle's result (1), 0 when the handle was not valid, or -1 when nothing was open.
    int Close();
    void CloseIfOpen();
    // Bytes read (fewer at the end of the file), 0 for count 0, or -1.
    int Read(void* buffer, std::size_t count);
    // Bytes written, or -1 (also for count 0).
    int Write(const void* buffer, std::size_t count);
    // New position, or -1; method 0 from the start, 1 from the current position, 2 from the end.
    int Seek(std::int32_t distance, int method);

    Handle GetHandle() const { return handle_; }
    bool IsOpenedHere() const { return opened_ != 0; }

  private:
    Handle handle_ = kNoHandle;
    std::int32_t opened_ = 0;
};

}  // namespace zv::fw
