#include "platform/ui/FileDialogNames.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/core/Sjis.h"

namespace zv::ui::filedlg {

namespace {

// The characters of a Shift-JIS text: one or two bytes each.
std::vector<std::string_view> Characters(std::string_view s) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n =
            zv::core::IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameChar(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (a.size() == 1) return Fold(a[0]) == Fold(b[0]);
    return a == b;
}

bool MatchOne(const std::vector<std::string_view>& p, const std::vector<std::string_view>& n) {
    // Greedy with one back-track point per star: linear enough for file names.
    std::size_t pi = 0, ni = 0, starP = std::string::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == "*") {
            starP = pi++;
            starN = ni;
        } else if (pi < p.size() && (p[pi] == "?" || SameChar(p[pi], n[ni]))) {
            ++pi;
            ++ni;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == "*") ++pi;
    return pi == p.size();
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Splits at ';' (never inside a double-byte character).
std::vector<std::string_view> SplitPatterns(std::string_view patterns) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= patterns.size(); ++i) {
        if (i < patterns.size() && zv::core::IsSjisLeadByte(static_cast<unsigned char>(patterns[i]))) {
            ++i;
            continue;
        }
        if (i == patterns.size() || patterns[i] == ';') {
            const std::string_view one = Trim(patterns.substr(start, i - start));
            if (!one.empty()) out.push_back(one);
            start = i + 1;
        }
    }
    return out;
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// The components of a typed text, split at separators outside double-byte characters.
std::vector<std::string> TypedComponents(std::string_view s) {
    std::vector<std::string> out;
    std::string cur;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (zv::core::IsSjisLeadByte(c) && i + 1 < s.size()) {
            cur += s.substr(i, 2);
            ++i;
        } else if (IsSeparator(static_cast<char>(c))) {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += static_cast<char>(c);
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3
                                     : (c >= 0xF0 && c <= 0xF4) ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += len;
    }
    return true;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : std::string("/");
}

std::string CurrentFolder() {
    std::vector<char> buf(4096);
    for (;;) {
        if (::getcwd(buf.data(), buf.size())) return std::string(buf.data());
        if (errno != ERANGE || buf.size() > (1u << 20)) return "/";
        buf.resize(buf.size() * 2);
    }
}

// The entry of `folder` whose shown (or disk) name is `typed`: exact first, then without
// regard to case. Empty when there is none.
std::string FindEntry(const std::string& folder, const std::string& typed) {
    DIR* d = ::opendir(folder.c_str());
    if (!d) return {};
    std::string exact, folded;
    while (dirent* e = ::readdir(d)) {
        const std::string disk = e->d_name;
        if (disk == "." || disk == "..") continue;
        const std::string shown = DisplayName(disk);
        if (disk == typed || shown == typed) {
            if (exact.empty() || disk < exact) exact = disk;
        } else if (SameNameIgnoringCase(shown, typed) || SameNameIgnoringCase(disk, typed)) {
            if (folded.empty() || disk < folded) folded = disk;
        }
    }
    ::closedir(d);
    return exact.empty() ? folded : exact;
}

std::string ShownKey(const std::string& s) {
    std::string k;
    for (std::string_view c : Characters(s)) {
        if (c.size() == 1) {
            k += Fold(c[0]);
        } else {
            k += c;
        }
    }
    return k;
}

}  // namespace

std::vector<FilterEntry> ParseFilter(const char* filter, std::size_t maxBytes) {
    std::vector<FilterEntry> out;
    if (!filter) return out;
    std::size_t at = 0;
    auto next = [&](std::string* s) {
        const std::size_t len = strnlen(filter + at, maxBytes - at);
        *s = std::string(filter + at, len);
        at += len;
        if (at >= maxBytes) return false;
        ++at;  // the terminating zero
        return true;
    };
    while (at < maxBytes && filter[at] != '\0') {
        FilterEntry e;
        const bool more = next(&e.label);
        if (!more || at >= maxBytes || filter[at] == '\0') break;
        next(&e.pattern);
        out.push_back(std::move(e));
    }
    return out;
}

bool MatchesFilePattern(std::string_view patterns, std::string_view name) {
    const std::vector<std::string_view> list = SplitPatterns(patterns);
    if (list.empty()) return true;
    const std::vector<std::string_view> n = Characters(name);
    for (std::string_view one : list) {
        if (one == "*.*") return true;
        if (MatchOne(Characters(one), n)) return true;
    }
    return false;
}

bool HasWildcards(std::string_view sjis) {
    for (std::string_view c : Characters(sjis)) {
        if (c == "*" || c == "?") return true;
    }
    return false;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    const auto ca = Characters(a), cb = Characters(b);
    if (ca.size() != cb.size()) return false;
    for (std::size_t i = 0; i < ca.size(); ++i) {
        if (!SameChar(ca[i], cb[i])) return false;
    }
    return true;
}

std::string DisplayName(std::string_view diskName) {
    if (IsValidUtf8(diskName)) return zv::core::Utf8ToSjis(diskName);
    return std::string(diskName);
}

std::string DisplayPath(std::string_view diskPath) {
    std::string out;
    std::size_t start = 0;
    while (start <= diskPath.size()) {
        std::size_t end = diskPath.find('/', start);
        if (end == std::string_view::npos) end = diskPath.size();
        out += DisplayName(diskPath.substr(start, end - start));
        if (end < diskPath.size()) out += '/';
        start = end + 1;
    }
    return out;
}

namespace {

// "ddm" from "*.ddm" or "MAP?????.ddm"; empty when the extension is not plain.
std::string PlainExtensionOf(std::string_view pattern) {
    const std::vector<std::string_view> cs = Characters(pattern);
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        if (cs[i] == ".") dot = i;
    }
    if (dot == std::string::npos || dot + 1 >= cs.size()) return {};
    std::string ext;
    for (std::size_t i = dot + 1; i < cs.size(); ++i) {
        if (cs[i] == "*" || cs[i] == "?" || cs[i] == "/" || cs[i] == "\\") return {};
        ext += cs[i];
    }
    return ext;
}

}  // namespace

std::string DefaultExtension(std::string_view filterPattern, std::string_view defExt) {
    const std::vector<std::string_view> pats = SplitPatterns(filterPattern);
    if (!pats.empty()) {
        const std::string e = PlainExtensionOf(pats.front());
        if (!e.empty()) return e;
    }
    std::string_view d = Trim(defExt);
    if (d.empty()) return {};
    if (d.find('.') == std::string_view::npos) return HasWildcards(d) ? std::string() : std::string(d);
    return PlainExtensionOf(d);
}

bool HasExtension(std::string_view sjis) {
    std::string folder, name;
    SplitTyped(sjis, &folder, &name);
    const std::vector<std::string_view> cs = Characters(name);
    for (std::size_t i = 1; i + 1 < cs.size(); ++i) {
        if (cs[i] == ".") return true;
    }
    return false;
}

std::optional<std::vector<DirEntry>> ListFolder(const std::string& folder,
                                                std::string_view patterns) {
    DIR* d = ::opendir(folder.c_str());
    if (!d) return std::nullopt;
    std::vector<DirEntry> out;
    while (dirent* e = ::readdir(d)) {
        const std::string disk = e->d_name;
        if (disk.empty() || disk[0] == '.') continue;
        struct stat st;
        if (::stat(JoinPath(folder, disk).c_str(), &st) != 0) continue;  // a dangling link
        DirEntry entry;
        entry.disk = disk;
        entry.display = DisplayName(disk);
        entry.folder = S_ISDIR(st.st_mode);
        if (!entry.folder && !S_ISREG(st.st_mode)) continue;
        if (!entry.folder && !MatchesFilePattern(patterns, entry.display)) continue;
        out.push_back(std::move(entry));
    }
    ::closedir(d);
    std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) {
        if (a.folder != b.folder) return a.folder;
        const std::string ka = ShownKey(a.display), kb = ShownKey(b.display);
        if (ka != kb) return ka < kb;
        return a.disk < b.disk;
    });
    return out;
}

std::string NormalizeFolder(const std::string& path) {
    std::string full = path.empty() ? CurrentFolder()
                       : path[0] == '/' ? path
                                        : JoinPath(CurrentFolder(), path);
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= full.size()) {
        std::size_t end = full.find('/', start);
        if (end == std::string::npos) end = full.size();
        const std::string part = full.substr(start, end - start);
        if (part.empty() || part == ".") {
        } else if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string ParentFolder(const std::string& folder) {
    const std::string f = NormalizeFolder(folder);
    const std::size_t slash = f.rfind('/');
    if (slash == 0 || slash == std::string::npos) return "/";
    return f.substr(0, slash);
}

std::string LastComponent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string MapTypedPath(const std::string& folder, std::string_view typedSjis) {
    std::string_view typed = Trim(typedSjis);
    std::string at = NormalizeFolder(folder);
    std::vector<std::string> parts = TypedComponents(typed);
    if (!typed.empty() && IsSeparator(typed[0])) at = std::string(1, '/');
    if (!parts.empty() && (parts[0] == "~")) {
        at = NormalizeFolder(HomeFolder());
        parts.erase(parts.begin());
    }
    bool exists = true;  // once a component is missing, the rest stay as typed
    for (const std::string& p : parts) {
        if (p == ".") continue;
        if (p == "..") {
            at = ParentFolder(at);
            continue;
        }
        std::string disk = p;
        if (exists) {
            const std::string found = FindEntry(at, p);
            if (found.empty()) {
                exists = false;
            } else {
                disk = found;
            }
        }
        at = JoinPath(at, disk);
    }
    return at;
}

void SplitTyped(std::string_view typedSjis, std::string* folderPart, std::string* namePart) {
    std::size_t lastSep = std::string::npos;
    for (std::size_t i = 0; i < typedSjis.size(); ++i) {
        const auto c = static_cast<unsigned char>(typedSjis[i]);
        if (zv::core::IsSjisLeadByte(c)) {
            ++i;
            continue;
        }
        if (IsSeparator(static_cast<char>(c))) lastSep = i;
    }
    if (lastSep == std::string::npos) {
        if (folderPart) folderPart->clear();
        if (namePart) *namePart = std::string(typedSjis);
        return;
    }
    if (folderPart) *folderPart = std::string(typedSjis.substr(0, lastSep + 1));
    if (namePart) *namePart = std::string(typedSjis.substr(lastSep + 1));
}

std::vector<std::string> FolderChain(const std::string& folder) {
    std::vector<std::string> out;
    std::string f = NormalizeFolder(folder);
    for (;;) {
        out.push_back(f);
        if (f == "/") break;
        f = ParentFolder(f);
    }
    std::reverse(out.begin(), out.end());
    return out;
}

}  // namespace zv::ui::filedlg
