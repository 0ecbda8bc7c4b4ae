#include "platform/core/SharedFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace zv::core {
namespace {

struct OpenFile {
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    FileAccess access = FileAccess::Read;
    FileShare share = FileShare::None;
    ~OpenFile() {
        if (fd >= 0) ::close(fd);
    }
};

struct Table {
    std::mutex mutex;
    std::map<FileHandle, std::shared_ptr<OpenFile>> files;
    FileHandle next = 4;
};

Table& TheTable() {
    static Table table;
    return table;
}

bool Reads(FileAccess a) {
    return a != FileAccess::Write;
}
bool Writes(FileAccess a) {
    return a != FileAccess::Read;
}
bool SharesRead(FileShare s) {
    return s == FileShare::Read || s == FileShare::ReadWrite;
}
bool SharesWrite(FileShare s) {
    return s == FileShare::Write || s == FileShare::ReadWrite;
}

bool Compatible(const OpenFile& held, FileAccess access, FileShare share) {
    if (Reads(access) && !SharesRead(held.share)) return false;
    if (Writes(access) && !SharesWrite(held.share)) return false;
    if (Reads(held.access) && !SharesRead(share)) return false;
    if (Writes(held.access) && !SharesWrite(share)) return false;
    return true;
}

std::uint32_t FromErrno(int e) {
    switch (e) {
        case ENOENT:
            return kErrorFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case ETXTBSY:
            return kErrorAccessDenied;
        case EBADF:
            return kErrorInvalidHandle;
        case ENOMEM:
            return kErrorNotEnoughMemory;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kErrorDiskFull;
        case EINVAL:
            return kErrorInvalidParameter;
        default:
            return kErrorAccessDenied;
    }
}

// A missing folder on the way reads as "path not found", a missing file as "file not found".
std::uint32_t OpenError(const std::string& realPath, int e) {
    if (e == ENOENT) {
        std::string dir = realPath.substr(0, realPath.rfind('/') + 1);
        struct stat ds;
        if (!dir.empty() && ::stat(dir.c_str(), &ds) != 0) return kErrorPathNotFound;
    }
    return FromErrno(e);
}

void Report(std::uint32_t* error, std::uint32_t code) {
    if (error != nullptr) *error = code;
}

std::shared_ptr<OpenFile> Find(FileHandle handle) {
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    auto it = table.files.find(handle);
    return it == table.files.end() ? nullptr : it->second;
}

}  // namespace

FileHandle OpenSharedFile(const std::string& realPath, FileAccess access, FileShare share,
                          FileCreation creation, std::uint32_t* error) {
    if (realPath.empty()) {
        Report(error, kErrorPathNotFound);
        return kInvalidFileHandle;
    }
    Table& table = TheTable();
    // The whole open runs under the table lock so that the sharing check and the
    // creation or truncation cannot interleave with another opener in this process.
    std::lock_guard lock(table.mutex);

    struct stat st;
    const bool exists = ::stat(realPath.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode)) {
            Report(error, kErrorAccessDenied);
            return kInvalidFileHandle;
        }
        for (const auto& [handle, held] : table.files) {
            if (held->device == st.st_dev && held->inode == st.st_ino &&
                !Compatible(*held, access, share)) {
                Report(error, kErrorSharingViolation);
                return kInvalidFileHandle;
            }
        }
    } else if (errno != ENOENT || creation == FileCreation::OpenExisting) {
        Report(error, OpenError(realPath, errno));
        return kInvalidFileHandle;
    }

    int flags = O_CLOEXEC | O_NOCTTY;
    flags |= access == FileAccess::Read    ? O_RDONLY
             : access == FileAccess::Write ? O_WRONLY
                                           : O_RDWR;
    if (creation != FileCreation::OpenExisting) flags |= O_CREAT;
    int fd = ::open(realPath.c_str(), flags, 0666);
    if (fd < 0) {
        Report(error, OpenError(realPath, errno));
        return kInvalidFileHandle;
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        Report(error, kErrorAccessDenied);
        return kInvalidFileHandle;
    }
    // Truncate only after the sharing check has passed; the file is ours now.
    if (creation == FileCreation::CreateAlways && exists && ::ftruncate(fd, 0) != 0) {
        int e = errno;
        ::close(fd);
        Report(error, FromErrno(e));
        return kInvalidFileHandle;
    }

    auto file = std::make_shared<OpenFile>();
    file->fd = fd;
    file->device = opened.st_dev;
    file->inode = opened.st_ino;
    file->access = access;
    file->share = share;
    FileHandle handle = table.next;
    table.next += 4;
    table.files.emplace(handle, std::move(file));
    return handle;
}

bool CloseSharedFile(FileHandle handle, std::uint32_t* error) {
    std::shared_ptr<OpenFile> file;
    {
        Table& table = TheTable();
        std::lock_guard lock(table.mutex);
        auto it = table.files.find(handle);
        if (it == table.files.end()) {
            Report(error, kErrorInvalidHandle);
            return false;
        }
        file = std::move(it->second);
        table.files.erase(it);
    }
    // The descriptor closes when the last reader or writer in flight lets go of it.
    return true;
}

std::int64_t ReadSharedFile(FileHandle handle, void* buffer, std::size_t count,
                            std::uint32_t* error) {
    std::shared_ptr<OpenFile> file = Find(handle);
    if (!file) {
        Report(error, kErrorInvalidHandle);
        return -1;
    }
    if (!Reads(file->access)) {
        Report(error, kErrorAccessDenied);
        return -1;
    }
    if (count > 0 && buffer == nullptr) {
        Report(error, kErrorInvalidParameter);
        return -1;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(file->fd, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Report(error, kErrorReadFault);
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t WriteSharedFile(FileHandle handle, const void* buffer, std::size_t count,
                             std::uint32_t* error) {
    std::shared_ptr<OpenFile> file = Find(handle);
    if (!file) {
        Report(error, kErrorInvalidHandle);
        return -1;
    }
    if (!Writes(file->access)) {
        Report(error, kErrorAccessDenied);
        return -1;
    }
    if (count > 0 && buffer == nullptr) {
        Report(error, kErrorInvalidParameter);
        return -1;
    }
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(file->fd, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Report(error, errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? kErrorDiskFull
                                                                               : kErrorWriteFault);
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t SeekSharedFile(FileHandle handle, std::int64_t distance, int method,
                            std::uint32_t* error) {
    std::shared_ptr<OpenFile> file = Find(handle);
    if (!file) {
        Report(error, kErrorInvalidHandle);
        return -1;
    }
    int whence = method == 0 ? SEEK_SET : method == 1 ? SEEK_CUR : method == 2 ? SEEK_END : -1;
    if (whence < 0) {
        Report(error, kErrorInvalidParameter);
        return -1;
    }
    off_t base = 0;
    if (whence == SEEK_CUR) {
        base = ::lseek(file->fd, 0, SEEK_CUR);
    } else if (whence == SEEK_END) {
        struct stat st;
        base = ::fstat(file->fd, &st) == 0 ? st.st_size : -1;
    }
    if (base < 0) {
        Report(error, kErrorInvalidHandle);
        return -1;
    }
    const std::int64_t from = static_cast<std::int64_t>(base);
    if (distance < -from) {
        Report(error, kErrorNegativeSeek);
        return -1;
    }
    if (distance > INT64_MAX - from) {
        Report(error, kErrorInvalidParameter);
        return -1;
    }
    off_t result = ::lseek(file->fd, static_cast<off_t>(from + distance), SEEK_SET);
    if (result < 0) {
        Report(error, kErrorInvalidParameter);
        return -1;
    }
    return static_cast<std::int64_t>(result);
}

std::int64_t SharedFileSize(FileHandle handle) {
    std::shared_ptr<OpenFile> file = Find(handle);
    struct stat st;
    if (!file || ::fstat(file->fd, &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool IsFileHeldOpen(const std::string& realPath) {
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    struct stat st;
    if (::stat(realPath.c_str(), &st) != 0) return false;
    for (const auto& [handle, held] : table.files) {
        if (held->device == st.st_dev && held->inode == st.st_ino) return true;
    }
    return false;
}

}  // namespace zv::core
