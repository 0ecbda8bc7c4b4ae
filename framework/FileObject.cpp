#include "framework/FileObject.h"

#include <climits>

#include "platform/core/Paths.h"

namespace zv::fw {

int FileObject::Open(const std::string& name, unsigned mode, std::uint32_t* lastError) {
    // A handle this object opened itself is closed, not forgotten: a forgotten handle would
    // keep its file locked against every later opener until the program ends.
    CloseIfOpen();
    handle_ = kNoHandle;
    opened_ = 0;
    mode &= ~FileOpenBinary;

    core::FileAccess access;
    switch (mode & 0x3) {
        case 0:
            access = core::FileAccess::Read;
            break;
        case 1:
            access = core::FileAccess::Write;
            break;
        case 2:
            access = core::FileAccess::ReadWrite;
            break;
        default:  // access code 3 means nothing
            if (lastError != nullptr) *lastError = core::kErrorInvalidParameter;
            return 0;
    }
    core::FileShare share;
    switch (mode & 0x70) {
        case 0x00:
        case 0x10:
            share = core::FileShare::None;
            break;
        case 0x20:
            share = core::FileShare::Read;
            break;
        case 0x30:
            share = core::FileShare::Write;
            break;
        case 0x40:
            share = core::FileShare::ReadWrite;
            break;
        default:  // 0x50-0x70 mean nothing
            if (lastError != nullptr) *lastError = core::kErrorInvalidParameter;
            return 0;
    }
    core::FileCreation creation = core::FileCreation::OpenExisting;
    if (mode & FileOpenCreate) {
        creation = (mode & FileOpenKeep) ? core::FileCreation::OpenAlways
                                         : core::FileCreation::CreateAlways;
    }

    std::uint32_t error = 0;
    Handle h = core::OpenSharedFile(core::ResolvePath(name), access, share, creation, &error);
    if (h == core::kInvalidFileHandle) {
        if (lastError != nullptr) *lastError = error;
        return 0;
    }
    handle_ = h;
    opened_ = 1;
    return 1;
}

int FileObject::Close() {
    int result = -1;
    if (handle_ != kNoHandle) result = core::CloseSharedFile(handle_) ? 1 : 0;
    handle_ = kNoHandle;
    opened_ = 0;
    return result;
}

void FileObject::CloseIfOpen() {
    if (handle_ != kNoHandle && opened_ != 0) Close();
}

int FileObject::Read(void* buffer, std::size_t count) {
    if (count == 0) return 0;
    // The count must fit the int result.
    if (count > static_cast<std::size_t>(INT_MAX)) return -1;
    return static_cast<int>(core::ReadSharedFile(handle_, buffer, count));
}

int FileObject::Write(const void* buffer, std::size_t count) {
    if (count == 0) return -1;
    if (count > static_cast<std::size_t>(INT_MAX)) return -1;
    return static_cast<int>(core::WriteSharedFile(handle_, buffer, count));
}

int FileObject::Seek(std::int32_t distance, int method) {
    std::int64_t position = core::SeekSharedFile(handle_, distance, method);
    // The result is a 32-bit position; anything larger cannot be reported.
    if (position < 0 || position > INT_MAX) return -1;
    return static_cast<int>(position);
}

}  // namespace zv::fw
