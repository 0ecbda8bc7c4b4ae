#include "platform/core/Paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace zv::core {
namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The length of the character at s[i] in a name that may be UTF-8 (the desktop's names) or
// Shift-JIS (the game's): a whole well-formed UTF-8 sequence, else a Shift-JIS lead byte with
// its trail byte, else one byte. The trail byte of a double-byte character may look like '\'
// (0x5C, as in "ソ" or "表") or like an ASCII letter, and must be taken as neither.
size_t UnitLength(std::string_view s, size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) return 1;
    const size_t utf8 = (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3
                        : (c >= 0xF0 && c <= 0xF4)                          ? 4
                                                                            : 0;
    if (utf8 != 0 && i + utf8 <= s.size()) {
        bool ok = true;
        for (size_t k = 1; k < utf8; ++k) ok = ok && (b(i + k) & 0xC0) == 0x80;
        if (ok) return utf8;
    }
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    return lead && i + 1 < s.size() ? 2 : 1;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Finds the entry of `dir` that equals `name` without regard to case. Returns false when
// there is none or the directory cannot be read.
bool FindIgnoringCase(const std::string& dir, const std::string& name, std::string* found) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return false;
    bool any = false;
    while (dirent* e = ::readdir(d)) {
        std::string_view entry(e->d_name);
        if (entry == "." || entry == "..") continue;
        if (!EqualsIgnoringCase(entry, name)) continue;
        // Several spellings may exist on a case-sensitive disk: pick one deterministically.
        if (!any || entry < *found) *found = std::string(entry);
        any = true;
    }
    ::closedir(d);
    return any;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size();) {
        const size_t n = UnitLength(a, i);
        if (n != UnitLength(b, i)) return false;
        if (n == 1) {
            if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
        } else if (a.substr(i, n) != b.substr(i, n)) {
            return false;
        }
        i += n;
    }
    return true;
}

std::string ResolvePath(std::string_view gamePath) {
    if (gamePath.empty()) return {};
    std::string path(gamePath);
    for (size_t i = 0; i < path.size();) {
        const size_t n = UnitLength(path, i);
        if (n == 1 && path[i] == '\\') path[i] = '/';
        i += n;
    }
    const bool absolute = path.front() == '/';
    const bool trailing = path.back() == '/';

    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }

    std::string result = absolute ? "/" : "";
    bool searching = true;  // stops at the first component that does not exist
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        std::string chosen = part;
        if (searching && part != "." && part != "..") {
            if (!Exists(result + part)) {
                std::string found;
                if (FindIgnoringCase(result, part, &found)) {
                    chosen = found;
                } else {
                    searching = false;
                }
            }
        }
        result += chosen;
        if (i + 1 < parts.size()) result += '/';
    }
    if (trailing && !parts.empty()) result += '/';
    return result;
}

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableDirectory() {
    const std::string exe = ExecutablePath();
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

}  // namespace zv::core
