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
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

std::string ResolvePath(std::string_view gamePath) {
    if (gamePath.empty()) return {};
    std::string path(gamePath);
    for (char& c : path) {
        if (c == '\\') c = '/';
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
