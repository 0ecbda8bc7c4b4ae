// Two generic source kinds of the screensavers' data blocks: fixed-size records described
// field by field (`kind records`), and hex maps packed by runs (`kind hexmap`).

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <sstream>

#include "tools/zvdata/saver/SaverData.h"

namespace zv::zvdata::saver {

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> w;
    std::istringstream in(line.substr(0, line.find('#')));
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}

std::optional<long long> Number(const std::string& s, long long lo, long long hi) {
    try {
        std::size_t used = 0;
        const long long v = std::stoll(s, &used, 0);
        if (used != s.size() || v < lo || v > hi) return std::nullopt;
        return v;
    } catch (...) {
        return std::nullopt;
    }
}

struct FieldType {
    int size = 1;        // bytes per element
    long long lo = 0, hi = 255;
    bool text = false;   // a byte string of `size` bytes, padded with zeros
};

std::optional<FieldType> ParseType(const std::string& t) {
    if (t == "u8") return FieldType{1, 0, 255, false};
    if (t == "i8") return FieldType{1, -128, 127, false};
    if (t == "u16") return FieldType{2, 0, 65535, false};
    if (t == "i16") return FieldType{2, -32768, 32767, false};
    if (t == "u32") return FieldType{4, 0, 4294967295ll, false};
    if (t == "i32") return FieldType{4, -2147483648ll, 2147483647ll, false};
    if (t.rfind("text", 0) == 0 && t.size() > 4) {
        const auto n = Number(t.substr(4), 1, 4096);
        if (n) return FieldType{int(*n), 0, 0, true};
    }
    return std::nullopt;
}

struct Field {
    int offset = 0;
    FieldType type;
    int count = 1;
};

void PutLittle(std::vector<uint8_t>& out, std::size_t at, long long v, int size) {
    for (int i = 0; i < size; ++i) out[at + i] = uint8_t((unsigned long long)v >> (8 * i));
}

}  // namespace

bool CompileRecordBlock(const std::string& name, const std::string& text, std::string* output,
                        std::vector<uint8_t>* bytes, std::vector<std::string>& problems) {
    const std::size_t before = problems.size();
    std::istringstream in(text);
    std::string line;
    int n = 0;
    long long size = -1, recordSize = -1, first = 0;
    int last = -1;
    std::map<std::string, Field> fields;
    std::map<int, int> recLines;
    auto fail = [&](const std::string& what) {
        problems.push_back(name + ":" + std::to_string(n) + ": " + what);
    };
    long long lastBase = -1;
    auto setFields = [&](const std::vector<std::string>& w, std::size_t from, long long base) {
        for (std::size_t i = from; i < w.size(); ++i) {
            const std::size_t eq = w[i].find('=');
            const auto it = fields.find(w[i].substr(0, eq));
            if (eq == std::string::npos || it == fields.end()) {
                fail("unknown field in '" + w[i] + "'");
                continue;
            }
            const Field& f = it->second;
            const std::string value = w[i].substr(eq + 1);
            const std::size_t at = std::size_t(base + f.offset);
            if (f.type.text) {
                std::string t = value;
                std::replace(t.begin(), t.end(), '_', ' ');
                if (int(t.size()) > f.type.size) {
                    fail("text '" + value + "' is longer than " + std::to_string(f.type.size) + " bytes");
                    continue;
                }
                std::copy(t.begin(), t.end(), bytes->begin() + long(at));
                continue;
            }
            std::istringstream list(value);
            std::string item;
            int k = 0;
            bool ok = true;
            while (ok && std::getline(list, item, ',')) {
                const auto v = Number(item, f.type.lo, f.type.hi);
                ok = v && k < f.count;
                if (ok) PutLittle(*bytes, at + std::size_t(k++) * f.type.size, *v, f.type.size);
            }
            if (!ok || k == 0)
                fail("field " + it->first + " takes at most " + std::to_string(f.count) +
                     " numbers from " + std::to_string(f.type.lo) + " to " +
                     std::to_string(f.type.hi) + ": '" + value + "'");
        }
    };
    while (std::getline(in, line)) {
        ++n;
        const std::vector<std::string> w = Words(line);
        if (w.empty()) continue;
        if (w[0] == "file" && w.size() == 2) {
            if (w[1].find("..") != std::string::npos || w[1][0] == '/')
                fail("file must lie below the program directory");
            *output = w[1];
        } else if (w[0] == "kind" || w[0] == "also") {
            continue;
        } else if ((w[0] == "size" || w[0] == "record" || w[0] == "first") && w.size() == 2) {
            if (!bytes->empty()) {
                fail("'" + w[0] + "' must come before the first rec line");
                continue;
            }
            const auto v = Number(w[1], w[0] == "first" ? 0 : 1, 1 << 24);
            if (!v) fail("expected: " + w[0] + " BYTES");
            else (w[0] == "size" ? size : w[0] == "record" ? recordSize : first) = *v;
        } else if (w[0] == "field" && w.size() == 4) {
            Field f;
            const auto off = Number(w[2], 0, 1 << 16);
            std::string type = w[3];
            const std::size_t star = type.find('*');
            if (star != std::string::npos) {
                const auto c = Number(type.substr(star + 1), 1, 4096);
                f.count = c ? int(*c) : 0;
                type = type.substr(0, star);
            }
            const auto t = ParseType(type);
            if (!off || !t || f.count == 0) {
                fail("expected: field NAME OFFSET u8|i8|u16|i16|u32|i32|textN[*COUNT]");
                continue;
            }
            f.offset = int(*off);
            f.type = *t;
            if (recordSize > 0 && f.offset + f.type.size * f.count > recordSize)
                fail("field " + w[1] + " runs past the end of the record");
            if (!fields.emplace(w[1], f).second) fail("field " + w[1] + " given twice");
        } else if (w[0] == "rec" && w.size() >= 2) {
            if (size <= 0 || recordSize <= 0) {
                fail("size and record must come before the first rec line");
                continue;
            }
            if (bytes->empty()) bytes->assign(std::size_t(size), 0);
            int index = 0;
            if (w[1] == "+") {
                index = last + 1;
            } else {
                const auto v = Number(w[1], 0, 1 << 20);
                if (!v) {
                    fail("expected: rec INDEX|+ FIELD=VALUE ...");
                    continue;
                }
                index = int(*v);
            }
            last = index;
            const long long base = first + (long long)index * recordSize;
            if (base + recordSize > size) {
                fail("record " + std::to_string(index) + " lies past the end of the block");
                lastBase = -1;
                continue;
            }
            lastBase = base;
            if (!recLines.emplace(index, n).second)
                fail("record " + std::to_string(index) + " given twice (first on line " +
                     std::to_string(recLines[index]) + ")");
            setFields(w, 2, base);
        } else if (w[0].find('=') != std::string::npos && lastBase >= 0) {
            setFields(w, 0, lastBase);  // a continued rec line
        } else {
            fail("unknown or malformed line '" + w[0] + "'");
        }
    }
    if (output->empty()) problems.push_back(name + ": no file line");
    if (size <= 0 || recordSize <= 0) problems.push_back(name + ": no size or record line");
    else if (bytes->empty()) problems.push_back(name + ": no rec line");
    return problems.size() == before;
}

std::vector<std::pair<std::string, std::vector<uint8_t>>> AlsoOutputs(
    const std::string& name, const std::string& text, const std::vector<uint8_t>& bytes,
    std::vector<std::string>& problems) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> out;
    long long recordSize = 0, first = 0;
    {
        std::istringstream scan(text);
        for (std::string l; std::getline(scan, l);) {
            const std::vector<std::string> w = Words(l);
            if (w.size() == 2 && w[0] == "record") recordSize = Number(w[1], 1, 1 << 24).value_or(0);
            if (w.size() == 2 && w[0] == "first") first = Number(w[1], 0, 1 << 24).value_or(0);
        }
    }
    std::istringstream in(text);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        const std::vector<std::string> w = Words(line);
        if (w.empty() || w[0] != "also") continue;
        const bool relaid = w.size() == 4 && w[2] == "record";
        if ((w.size() != 2 && !relaid) || w[1].find("..") != std::string::npos || w[1][0] == '/') {
            problems.push_back(name + ":" + std::to_string(n) +
                               ": expected: also FILE [record BYTES] (below the program directory)");
            continue;
        }
        if (!relaid) {
            out.emplace_back(w[1], bytes);
            continue;
        }
        const auto size = Number(w[3], 1, 1 << 24);
        if (!size || recordSize <= 0 || *size < recordSize) {
            problems.push_back(name + ":" + std::to_string(n) +
                               ": a copy's records must be at least as long as the block's");
            continue;
        }
        // The same records, each at the start of a longer one.
        const long long count = ((long long)bytes.size() - first) / recordSize;
        std::vector<uint8_t> copy(std::size_t(count * *size), 0);
        for (long long i = 0; i < count; ++i)
            std::copy(bytes.begin() + long(first + i * recordSize),
                      bytes.begin() + long(first + (i + 1) * recordSize),
                      copy.begin() + long(i * *size));
        out.emplace_back(w[1], std::move(copy));
    }
    return out;
}

std::vector<uint8_t> PackRuns(const std::vector<uint8_t>& plane) {
    std::vector<uint8_t> out;
    std::size_t i = 0;
    while (i < plane.size()) {
        std::size_t j = i;
        while (j < plane.size() && plane[j] == plane[i] && j - i < 255) ++j;
        const std::size_t run = j - i;
        if (run == 1) {
            out.push_back(plane[i]);
        } else {
            out.insert(out.end(), {plane[i], plane[i], uint8_t(run)});
        }
        i = j;
    }
    // The end mark is a pair with the count 0, of a byte that cannot be read as the pair of a
    // single byte just before it.
    const uint8_t end = out.empty() || out.back() != 0 ? 0 : 1;
    out.insert(out.end(), {end, end, 0});
    return out;
}

bool CompileHexMap(const std::string& name, const std::string& text, std::string* output,
                   std::vector<uint8_t>* bytes, std::vector<std::string>& problems) {
    const std::size_t before = problems.size();
    std::istringstream in(text);
    std::string line;
    int n = 0;
    std::map<char, int> letters;
    std::vector<uint8_t> planes[2] = {std::vector<uint8_t>(4096, 0), std::vector<uint8_t>(4096, 0)};
    int rows[2] = {0, 0};
    int section = -1;  // 0 terrain rows, 1 unit rows
    bool hasUnits = false;
    std::string title;
    auto fail = [&](const std::string& what) {
        problems.push_back(name + ":" + std::to_string(n) + ": " + what);
    };
    while (std::getline(in, line)) {
        ++n;
        if (section >= 0 && rows[section] < 64) {
            std::string row = line.substr(0, line.find_last_not_of(" \r") + 1);
            if (row.size() != 64) {
                fail("a map row holds 64 letters, this one " + std::to_string(row.size()));
            } else {
                for (int x = 0; x < 64; ++x) {
                    const auto it = letters.find(row[x]);
                    if (it == letters.end() && !(section == 1 && row[x] == '.')) {
                        fail(std::string("letter '") + row[x] + "' has no letter line");
                        break;
                    }
                    planes[section][std::size_t(rows[section]) * 64 + x] =
                        uint8_t(it == letters.end() ? 0 : it->second);
                }
            }
            ++rows[section];
            continue;
        }
        const std::vector<std::string> w = Words(line);
        if (w.empty()) continue;
        if (w[0] == "file" && w.size() == 2) {
            if (w[1].find("..") != std::string::npos || w[1][0] == '/')
                fail("file must lie below the program directory");
            *output = w[1];
        } else if (w[0] == "kind" || w[0] == "also") {
            continue;
        } else if (w[0] == "title" && w.size() >= 2) {
            title = line.substr(line.find(w[1]));
            title = title.substr(0, title.find('#'));
            title = title.substr(0, title.find_last_not_of(' ') + 1);
        } else if (w[0] == "letter" && w.size() == 3 && w[1].size() == 1) {
            const auto v = Number(w[2], 0, 255);
            if (!v) fail("expected: letter CHAR VALUE(0-255)");
            else letters[w[1][0]] = int(*v);
        } else if (w[0] == "terrain" && w.size() == 1) {
            section = 0;
        } else if (w[0] == "units" && w.size() == 1) {
            section = 1;
            hasUnits = true;
        } else {
            fail("unknown or malformed line '" + w[0] + "'");
        }
    }
    if (output->empty()) problems.push_back(name + ": no file line");
    if (rows[0] != 64) problems.push_back(name + ": the terrain needs 64 rows");
    if (hasUnits && rows[1] != 64) problems.push_back(name + ": the units need 64 rows");
    if (problems.size() != before) return false;
    bytes->assign(512, 0);
    const std::vector<uint8_t> p1 = PackRuns(planes[0]);
    const std::vector<uint8_t> p2 = hasUnits ? PackRuns(planes[1]) : std::vector<uint8_t>();
    const std::vector<uint8_t> third(title.begin(), title.end());
    // The table of the first 256 bytes: the letters' values, so a reader can tell land from
    // water without the source.
    for (const auto& [c, v] : letters) (*bytes)[uint8_t(c)] = uint8_t(v);
    PutLittle(*bytes, 256, (long long)p1.size(), 2);
    PutLittle(*bytes, 258, (long long)p2.size(), 2);
    PutLittle(*bytes, 260, (long long)third.size(), 2);
    bytes->insert(bytes->end(), p1.begin(), p1.end());
    bytes->insert(bytes->end(), p2.begin(), p2.end());
    bytes->insert(bytes->end(), third.begin(), third.end());
    return true;
}

}  // namespace zv::zvdata::saver
