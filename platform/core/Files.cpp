#include "platform/core/Files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "platform/core/Paths.h"
#include "platform/core/SharedFile.h"

namespace zv::core {
namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string StripTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char x = FoldAscii(a[i]);
        char y = FoldAscii(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

}  // namespace

bool WriteFileAtomically(const std::string& gamePath, const void* data, std::size_t size) {
    auto fail = [](int error) {
        errno = error;
        return false;
    };
    if (size > 0 && data == nullptr) return fail(EINVAL);
    const std::string target = StripTrailingSlash(ResolvePath(gamePath));
    if (target.empty() || gamePath.back() == '/' || gamePath.back() == '\\') return fail(EISDIR);
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return fail(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    if (exists && IsFileHeldOpen(target)) return fail(EBUSY);

    const size_t slash = target.rfind('/');
    const std::string dir =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = dir + "." + base + "." + std::to_string(::getpid()) + "." +
               std::to_string(counter.fetch_add(1)) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return fail(EEXIST);

    bool ok = WriteAll(fd, data, size);
    if (ok && exists) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    if (ok) ok = ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return fail(error);
    }
    // Make the rename itself durable; the data is already in place either way.
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    RemoveStaleTemporaries(dir.empty() ? std::string(".") : dir);
    return true;
}

bool IsAtomicWriteTemporary(std::string_view name, long* pid) {
    // "." NAME "." PID "." COUNTER ".tmp", NAME itself not empty.
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() < 1 + 1 + 2 + 2 + kSuffix.size() || name[0] != '.' ||
        name.substr(name.size() - kSuffix.size()) != kSuffix)
        return false;
    std::string_view rest = name.substr(1, name.size() - 1 - kSuffix.size());
    auto takeNumber = [&rest](long& value) {
        const std::size_t dot = rest.rfind('.');
        if (dot == std::string_view::npos || dot + 1 == rest.size() || rest.size() - dot > 11)
            return false;
        value = 0;
        for (char c : rest.substr(dot + 1)) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + (c - '0');
        }
        rest = rest.substr(0, dot);
        return true;
    };
    long counter = 0, writer = 0;
    if (!takeNumber(counter) || !takeNumber(writer) || rest.empty() || writer <= 0) return false;
    if (pid != nullptr) *pid = writer;
    return true;
}

int RemoveStaleTemporaries(const std::string& gameDir) {
    std::string dir = ResolvePath(gameDir);
    if (dir.empty()) dir = ".";
    if (dir.back() != '/') dir += '/';
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return 0;
    std::vector<std::string> stale;
    const long self = static_cast<long>(::getpid());
    while (dirent* e = ::readdir(d)) {
        long pid = 0;
        if (!IsAtomicWriteTemporary(e->d_name, &pid) || pid == self) continue;
        // Only a writer that is gone for certain: EPERM means it lives under another user.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        stale.emplace_back(e->d_name);
    }
    ::closedir(d);
    int removed = 0;
    for (const std::string& name : stale) {
        struct stat st;
        const std::string full = dir + name;
        if (::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(full.c_str()) == 0)
            ++removed;
    }
    return removed;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& gamePath) {
    FileHandle h = OpenSharedFile(ResolvePath(gamePath), FileAccess::Read, FileShare::Read,
                                  FileCreation::OpenExisting);
    if (h == kInvalidFileHandle) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> result;
    std::int64_t size = SharedFileSize(h);
    if (size >= 0) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
        std::int64_t n = ReadSharedFile(h, bytes.data(), bytes.size());
        if (n == size) result = std::move(bytes);
    }
    CloseSharedFile(h);
    return result;
}

bool FileExists(const std::string& gamePath) {
    struct stat st;
    return ::stat(ResolvePath(gamePath).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& gamePath) {
    struct stat st;
    return ::stat(ResolvePath(gamePath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& gamePath) {
    const std::string path = ResolvePath(gamePath);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (IsFileHeldOpen(path)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool CreateDirectory(const std::string& gamePath) {
    const std::string path = StripTrailingSlash(ResolvePath(gamePath));
    if (path.empty()) return false;
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    struct stat st;
    return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::chrono::system_clock::time_point> GetLastWriteTime(const std::string& gamePath) {
    struct stat st;
    if (::stat(ResolvePath(gamePath).c_str(), &st) != 0) return std::nullopt;
    auto since =
        std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec);
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(since));
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    // Greedy matching with one backtrack point: linear in practice, never recursive.
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> ListDirectory(const std::string& gameDir, std::string_view pattern) {
    std::vector<std::string> names;
    std::string dir = ResolvePath(gameDir);
    if (dir.empty()) dir = ".";
    if (dir.back() != '/') dir += '/';
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return names;
    while (dirent* e = ::readdir(d)) {
        std::string_view name(e->d_name);
        if (name == "." || name == "..") continue;
        if (!MatchesWildcard(pattern, name) || IsAtomicWriteTemporary(name)) continue;
        struct stat st;
        std::string full = dir + std::string(name);
        if (::stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        names.emplace_back(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

}  // namespace zv::core
