#include "platform/core/IniFile.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/core/Files.h"
#include "platform/core/Sjis.h"

namespace zv::core {
namespace {

std::mutex& IniMutex() {
    static std::mutex mutex;
    return mutex;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r' || s.back() == '\n')) {
        s.remove_suffix(1);
    }
    return s;
}

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive for single-byte characters only: a trail byte of a double-byte
// character may look like a letter and must not be folded.
bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (IsSjisLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (Fold(a[i]) != Fold(b[i])) {
            return false;
        }
    }
    return true;
}

struct Line {
    std::string text;  // without its line ending
    std::string ending;
};

std::vector<Line> SplitLines(const std::string& content) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t nl = content.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.text = content.substr(pos);
            pos = content.size();
        } else {
            size_t end = nl;
            if (end > pos && content[end - 1] == '\r') --end;
            line.text = content.substr(pos, end - pos);
            line.ending = content.substr(end, nl + 1 - end);
            pos = nl + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionOf(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    t.remove_prefix(1);
    size_t close = t.find(']');
    if (close != std::string_view::npos) t = t.substr(0, close);
    return Trim(t);
}

// The key and value of a "key=value" line.
bool KeyValueOf(std::string_view line, std::string_view* key, std::string_view* value) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    *key = Trim(line.substr(0, eq));
    *value = Trim(line.substr(eq + 1));
    return true;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

// Index of the line of `key` within a section named `section`, or -1.
struct Location {
    long sectionLine = -1;  // first matching section header
    long keyLine = -1;
};

Location Find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location loc;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionOf(lines[i].text)) {
            inSection = NamesEqual(*name, section);
            if (inSection && loc.sectionLine < 0) loc.sectionLine = static_cast<long>(i);
            continue;
        }
        std::string_view k, v;
        if (inSection && KeyValueOf(lines[i].text, &k, &v) && NamesEqual(k, key)) {
            loc.keyLine = static_cast<long>(i);
            return loc;
        }
    }
    return loc;
}

std::optional<std::string> Lookup(const std::string& file, std::string_view section,
                                  std::string_view key) {
    auto bytes = ReadWholeFile(file);
    if (!bytes) return std::nullopt;
    const std::string_view content(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    return IniFindValue(content, section, key);
}

}  // namespace

int IniParseInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    unsigned base = 10;
    if (i + 1 < s.size() && s[i] == '0') {
        const char p = Fold(s[i + 1]);
        base = p == 'x' ? 16 : p == 'o' ? 8 : p == 'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    std::uint32_t value = 0;
    for (; i < s.size(); ++i) {
        const char c = Fold(s[i]);
        unsigned digit = c >= '0' && c <= '9'   ? static_cast<unsigned>(c - '0')
                         : c >= 'a' && c <= 'f' ? static_cast<unsigned>(c - 'a' + 10)
                                                : 99u;
        if (digit >= base) break;
        value = value * base + digit;
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

namespace {

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

int IniGetInt(const std::string& file, std::string_view section, std::string_view key, int def) {
    std::lock_guard lock(IniMutex());
    std::optional<std::string> value = Lookup(file, section, key);
    if (!value || value->empty()) return def;
    return IniParseInt(*value);
}

std::string IniGetString(const std::string& file, std::string_view section, std::string_view key,
                         std::string_view def) {
    std::lock_guard lock(IniMutex());
    std::optional<std::string> value = Lookup(file, section, key);
    return value ? *value : std::string(def);
}

std::optional<std::string> IniFindValue(std::string_view content, std::string_view section,
                                        std::string_view key) {
    std::vector<Line> lines = SplitLines(std::string(content));
    Location loc = Find(lines, Trim(section), Trim(key));
    if (loc.keyLine < 0) return std::nullopt;
    std::string_view k, v;
    KeyValueOf(lines[static_cast<size_t>(loc.keyLine)].text, &k, &v);
    return std::string(Unquote(v));
}

namespace {

bool ValidEntry(std::string_view section, std::string_view key, std::string_view value) {
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty()) return false;
    if (key.find('=') != std::string_view::npos || key.front() == '[') return false;
    if (section.find(']') != std::string_view::npos) return false;
    return true;
}

}  // namespace

std::optional<std::string> IniStoreValue(std::string_view content, std::string_view section,
                                         std::string_view key, std::string_view value) {
    if (!ValidEntry(section, key, value)) return std::nullopt;
    section = Trim(section);
    key = Trim(key);
    std::vector<Line> lines = SplitLines(std::string(content));
    std::string eol = "\r\n";
    for (const Line& line : lines) {
        if (!line.ending.empty()) {
            eol = line.ending;
            break;
        }
    }
    const std::string entry = std::string(key) + "=" + std::string(value);

    Location loc = Find(lines, section, key);
    if (loc.keyLine >= 0) {
        Line& line = lines[static_cast<size_t>(loc.keyLine)];
        std::string_view k, v;
        KeyValueOf(line.text, &k, &v);
        line.text = std::string(k) + "=" + std::string(value);  // keeps the stored spelling
    } else if (loc.sectionLine >= 0) {
        // After the last non-blank line of the section.
        size_t last = static_cast<size_t>(loc.sectionLine);
        for (size_t i = last + 1; i < lines.size() && !SectionOf(lines[i].text); ++i) {
            if (!Trim(lines[i].text).empty()) last = i;
        }
        if (lines[last].ending.empty()) lines[last].ending = eol;
        lines.insert(lines.begin() + static_cast<long>(last) + 1, Line{entry, eol});
    } else {
        if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = eol;
        if (!lines.empty() && !Trim(lines.back().text).empty()) lines.push_back(Line{"", eol});
        lines.push_back(Line{"[" + std::string(section) + "]", eol});
        lines.push_back(Line{entry, eol});
    }

    std::string out;
    for (const Line& line : lines) out += line.text + line.ending;
    return out;
}

bool IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value) {
    if (!ValidEntry(section, key, value)) return false;

    std::lock_guard lock(IniMutex());
    std::string content;
    if (FileExists(file)) {
        auto bytes = ReadWholeFile(file);
        if (!bytes) return false;
        content.assign(bytes->begin(), bytes->end());
    } else if (DirectoryExists(file)) {
        return false;
    }
    const std::optional<std::string> out = IniStoreValue(content, section, key, value);
    return out && WriteFileAtomically(file, out->data(), out->size());
}

}  // namespace zv::core
