#include "tools/zvdata/saver/SaverData.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "platform/core/Files.h"

namespace zv::zvdata::saver {

namespace {

constexpr std::size_t kUnits2Size = 8189;
constexpr int kUnitOffset = 640, kUnitSize = 96, kUnitRows = 63;

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> w;
    std::istringstream in(line.substr(0, line.find('#')));
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}

std::optional<int> Int(const std::string& s, int lo, int hi) {
    try {
        std::size_t used = 0;
        const int v = std::stoi(s, &used);
        if (used != s.size() || v < lo || v > hi) return std::nullopt;
        return v;
    } catch (...) {
        return std::nullopt;
    }
}

struct Weapon {
    std::string name;
    std::array<int, 4> attack{};
    int range = 0;
};

}  // namespace

bool CompileSaverData(const std::string& name, const std::string& text, std::string* output,
                      std::vector<uint8_t>* bytes, std::vector<std::string>& problems) {
    // The generic kinds have their own compilers.
    {
        std::istringstream scan(text);
        for (std::string l; std::getline(scan, l);) {
            const std::vector<std::string> w = Words(l);
            if (w.size() == 2 && w[0] == "kind") {
                if (w[1] == "records") return CompileRecordBlock(name, text, output, bytes, problems);
                if (w[1] == "hexmap") return CompileHexMap(name, text, output, bytes, problems);
                break;
            }
        }
    }
    const std::size_t before = problems.size();
    std::istringstream in(text);
    std::string line, kind;
    int n = 0;
    std::map<int, Weapon> weapons;
    struct Unit {
        int line, row, figures, defence;
        char key;
        std::array<int, 4> w;
        std::string name;
    };
    std::vector<Unit> units;
    struct Plane {
        std::string name;
        std::array<int, 9> v{};  // sheet type role speed weapons nation size trail
    };
    std::vector<Plane> planes;
    int skySeed = -1;
    auto fail = [&](const std::string& what) {
        problems.push_back(name + ":" + std::to_string(n) + ": " + what);
    };
    while (std::getline(in, line)) {
        ++n;
        const std::vector<std::string> w = Words(line);
        if (w.empty()) continue;
        if (w[0] == "file" && w.size() == 2) {
            if (w[1].find("..") != std::string::npos || w[1][0] == '/') fail("file must lie below the program directory");
            *output = w[1];
        } else if (w[0] == "kind" && w.size() == 2) {
            kind = w[1];
            if (kind != "units2" && kind != "aircraft" && kind != "sky")
                fail("unknown kind '" + kind + "'");
        } else if (w[0] == "seed" && w.size() == 2 && kind == "sky") {
            const auto v = Int(w[1], 0, 1 << 30);
            if (!v) fail("expected: seed N");
            else skySeed = *v;
        } else if (w[0] == "aircraft" && w.size() == 10 && kind == "aircraft") {
            Plane a{};
            const std::pair<int, int> limits[8] = {{0, 4}, {0, 3}, {0, 255}, {1, 8}, {1, 60},
                                                   {1, 9},  {1, 47}, {0, 255}};
            bool ok = w[1].size() <= 20;
            for (int k = 0; k < 8 && ok; ++k) {
                const auto v = Int(w[2 + k], limits[k].first, limits[k].second);
                ok = v.has_value();
                if (ok) a.v[k] = *v;
            }
            if (!ok) {
                fail("expected: aircraft NAME SHEET(0-4) TYPE(0-3) ROLE SPEED(1-8) WEAPONS(1-60) "
                     "NATION(1-9) SIZE(1-47) TRAIL");
                continue;
            }
            a.name = w[1];
            planes.push_back(a);
        } else if (w[0] == "weapon" && w.size() == 8) {
            const auto id = Int(w[1], 0, 19);
            Weapon wp;
            wp.name = w[2];
            bool ok = id && wp.name.size() <= 8;
            for (int k = 0; k < 4 && ok; ++k) {
                const auto v = Int(w[3 + k], -128, 127);
                ok = v.has_value();
                if (ok) wp.attack[k] = *v;
            }
            const auto range = Int(w[7], -128, 127);
            ok = ok && range;
            if (!ok) {
                fail("expected: weapon ID(0-19) NAME(8 letters) AIR GROUND INFANTRY SHIP RANGE");
                continue;
            }
            wp.range = *range;
            if (!weapons.emplace(*id, wp).second) fail("weapon " + w[1] + " given twice");
        } else if (w[0] == "unit" && w.size() >= 7) {
            Unit u{};
            u.line = n;
            const auto row = Int(w[1], 0, kUnitRows - 1);
            const auto figures = Int(w[3], 0, 10);
            const auto defence = Int(w[4], -128, 127);
            bool ok = row && figures && defence && w[2].size() == 1;
            std::istringstream list(w[5]);
            std::string item;
            int k = 0;
            u.w.fill(0);
            while (ok && std::getline(list, item, ',')) {
                const auto id = Int(item, 0, 19);
                ok = id && k < 4;
                if (ok) u.w[k++] = *id;
            }
            for (std::size_t i = 6; i < w.size(); ++i) u.name += (i > 6 ? " " : "") + w[i];
            ok = ok && u.name.size() <= 8;
            if (!ok) {
                fail("expected: unit ROW(0-62) KEY FIGURES(0-10) DEFENCE W1,W2,W3,W4 NAME(8 letters)");
                continue;
            }
            u.row = *row, u.figures = *figures, u.defence = *defence, u.key = w[2][0];
            units.push_back(u);
        } else {
            fail("unknown or malformed line '" + w[0] + "'");
        }
    }
    if (output->empty()) problems.push_back(name + ": no file line");
    if (kind.empty()) problems.push_back(name + ": no kind line");
    if (kind == "aircraft") {
        if (planes.size() > 240) problems.push_back(name + ": more than 240 aircraft");
        if (planes.empty()) problems.push_back(name + ": no aircraft");
        bytes->assign(240 * 176, 0);
        for (std::size_t i = 0; i < planes.size() && i < 240; ++i) {
            uint8_t* p = bytes->data() + i * 176;
            const auto& v = planes[i].v;
            p[0] = uint8_t(v[6]);
            p[2] = uint8_t(v[0]);
            p[3] = uint8_t(v[1]);
            p[4] = uint8_t(v[2]);
            p[17] = uint8_t(v[3]);
            p[20] = uint8_t(v[4]);
            p[28] = uint8_t(v[5]);
            p[56] = p[57] = uint8_t(v[7]);
            for (std::size_t k = 0; k < planes[i].name.size(); ++k) p[32 + k] = uint8_t(planes[i].name[k]);
        }
        return problems.size() == before;
    }
    if (kind == "sky") {
        if (skySeed < 0) problems.push_back(name + ": no seed line");
        bytes->assign(36 * 160, 0);
        uint32_t x = uint32_t(skySeed);
        auto next = [&] {
            x = x * 214013u + 2531011u;
            return int((x >> 16) & 0x7FFF);
        };
        for (int layout = 0; layout < 36; ++layout) {
            // Clouds come in banks: a few centres per layout, each spreading over its
            // neighbours in the same band of rows.
            int centres[4][2];
            for (auto& c : centres) c[0] = next() % 16, c[1] = 2 + next() % 7;
            const int haze = next() % 10;
            for (int cy = 0; cy < 10; ++cy)
                for (int cx = 0; cx < 16; ++cx) {
                    int variant = 0;
                    for (const auto& c : centres) {
                        const int d = std::abs(cx - c[0]) + 2 * std::abs(cy - c[1]);
                        if (d == 0) variant = std::max(variant, 2);
                        else if (d <= 2 && next() % 3) variant = std::max(variant, 1);
                    }
                    if (variant == 0 && cy == haze && next() % 2) variant = 3;
                    (*bytes)[std::size_t(layout) * 160 + cy * 16 + cx] = uint8_t(variant * 10 + cy + 1);
                }
        }
        return problems.size() == before;
    }
    std::array<bool, kUnitRows> seen{};
    bytes->assign(kUnits2Size, 0);
    for (const auto& [id, wp] : weapons) {
        for (std::size_t i = 0; i < 8; ++i)
            (*bytes)[std::size_t(id) * 8 + i] = uint8_t(i < wp.name.size() ? wp.name[i] : ' ');
    }
    for (const Unit& u : units) {
        n = u.line;
        if (seen[u.row]) fail("row " + std::to_string(u.row) + " given twice");
        seen[u.row] = true;
        uint8_t* p = bytes->data() + kUnitOffset + std::size_t(u.row) * kUnitSize;
        for (std::size_t i = 0; i < 8; ++i) p[i] = uint8_t(i < u.name.size() ? u.name[i] : ' ');
        p[8] = uint8_t(u.key);
        p[14] = uint8_t(u.figures);
        p[22] = uint8_t(int8_t(u.defence));
        for (int k = 0; k < 4; ++k) {
            p[17 + k] = uint8_t(u.w[k]);
            if (u.w[k] == 0) continue;
            const auto it = weapons.find(u.w[k]);
            if (it == weapons.end()) {
                fail("weapon " + std::to_string(u.w[k]) + " has no weapon line");
                continue;
            }
            for (int g = 0; g < 4; ++g) p[64 + 8 * k + g] = uint8_t(int8_t(it->second.attack[g]));
            p[64 + 8 * k + 7] = uint8_t(int8_t(it->second.range));
        }
    }
    return problems.size() == before;
}

bool BuildSaverData(const std::string& dataDir, const std::string& programDir,
                    std::vector<std::string>& written, std::vector<std::string>& problems) {
    const std::string dir = dataDir + "/saver";
    if (!core::DirectoryExists(dir)) return true;
    bool ok = true;
    for (const std::string& file : core::ListDirectory(dir, "*.txt")) {
        std::ifstream in(dir + "/" + file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string output;
        std::vector<uint8_t> bytes;
        if (!CompileSaverData("data/saver/" + file, text.str(), &output, &bytes, problems)) {
            ok = false;
            continue;
        }
        const std::size_t before = problems.size();
        auto outputs = AlsoOutputs("data/saver/" + file, text.str(), bytes, problems);
        if (problems.size() != before) {
            ok = false;
            continue;
        }
        outputs.insert(outputs.begin(), {output, std::move(bytes)});
        for (const auto& [name, data] : outputs) {
            const std::filesystem::path path = std::filesystem::path(programDir) / name;
            std::error_code ec;
            std::filesystem::create_directories(path.parent_path(), ec);
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
            if (!out) {
                problems.push_back(path.string() + ": cannot be written");
                ok = false;
                continue;
            }
            written.push_back(name + ": saver data block, " + std::to_string(data.size()) + " bytes");
        }
    }
    return ok;
}

}  // namespace zv::zvdata::saver
