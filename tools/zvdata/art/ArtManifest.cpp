#include "tools/zvdata/art/ArtManifest.h"

#include <sstream>

#include "tools/zvdata/art/ArtText.h"

namespace zv::zvdata::art {

namespace {

bool ParseRange(const std::string& word, int& a, int& b) {
    const std::size_t dash = word.find('-', 1);
    if (dash == std::string::npos) {
        const auto v = ParseInt(word, 0, 4095);
        if (!v) return false;
        a = b = *v;
        return true;
    }
    const auto lo = ParseInt(word.substr(0, dash), 0, 4095);
    const auto hi = ParseInt(word.substr(dash + 1), 0, 4095);
    if (!lo || !hi || *hi < *lo) return false;
    a = *lo;
    b = *hi;
    return true;
}

bool ParseList(const std::string& text, int low, int high, std::vector<int>& out) {
    out.clear();
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        int repeat = 1;
        const std::size_t star = item.find('*');
        if (star != std::string::npos) {
            const auto n = ParseInt(item.substr(star + 1), 1, 4096);
            if (!n) return false;
            repeat = *n;
            item = item.substr(0, star);
        }
        const auto v = ParseInt(item, low, high);
        if (!v) return false;
        out.insert(out.end(), repeat, *v);
    }
    return !out.empty();
}

struct Parser {
    const std::string& includeDir;
    ArtManifest& m;
    std::vector<std::string>& problems;
    int depth = 0;

    void Fail(const std::string& file, int line, const std::string& message) {
        problems.push_back(Where(file, line, message));
    }

    void ParseCell(const std::string& file, int lineNo, const std::vector<std::string>& w) {
        CellLine c;
        c.line = lineNo;
        c.where = file;
        if (w.size() < 4 || !ParseRange(w[1], c.col0, c.col1) ||
            !ParseRange(w[2], c.row0, c.row1)) {
            Fail(file, lineNo,
                 "expected: cell COLS ROWS SOURCE [OPTIONS] (COLS and ROWS: N or A-B)");
            return;
        }
        c.source = w[3];
        if (c.source.find("..") != std::string::npos || c.source[0] == '/') {
            Fail(file, lineNo, "source '" + c.source + "' must be a path below data/art");
            return;
        }
        for (std::size_t i = 4; i < w.size(); ++i) {
            const std::string& opt = w[i];
            const std::size_t eq = opt.find('=');
            const std::string name = opt.substr(0, eq);
            const std::string value = eq == std::string::npos ? "" : opt.substr(eq + 1);
            bool ok = true;
            if (name == "flip" && eq == std::string::npos)
                c.flip = true;
            else if (name == "night" && eq == std::string::npos)
                c.night = true;
            else if (name == "trim" && eq == std::string::npos)
                c.trim = true;
            else if (name == "grow") {
                std::vector<int> g;
                ok = ParseList(value, 1, 8, g) && g.size() == 1;
                if (ok) c.grow = g[0];
            }
            else if (name == "silhouette" && value == "key") {
                c.silhouetteKey = true;
            } else if (name == "silhouette") {
                const auto rgb = ParseRgb(value);
                ok = rgb.has_value();
                if (ok) c.silhouette = *rgb;
            } else if (name == "team")
                ok = ParseList(value, 0, 5, c.team);
            else if (name == "rotate")
                ok = ParseList(value, -360, 360, c.rotate);
            else if (name == "bits") {
                if (value == "col")
                    c.bitsFrom = CellLine::BitsFrom::Column;
                else if (value == "~col")
                    c.bitsFrom = CellLine::BitsFrom::ColumnComplement;
                else {
                    ok = ParseList(value, 0, 63, c.bits);
                    c.bitsFrom = CellLine::BitsFrom::List;
                }
            } else if (name == "box") {
                std::vector<int> box;
                ok = ParseList(value, 0, 4096, box) && box.size() == 4 && box[2] > 0 && box[3] > 0;
                if (ok) c.box = box;
            } else if (name == "grid") {
                std::vector<int> g;
                ok = ParseList(value, 1, 4096, g) && g.size() == 2;
                if (ok) c.cellW = g[0], c.cellH = g[1];
            } else if (name == "origin") {
                std::vector<int> g;
                ok = ParseList(value, 0, 4096, g) && g.size() == 2;
                if (ok) c.originX = g[0], c.originY = g[1];
            } else {
                Fail(file, lineNo, "unknown option '" + opt + "'");
                continue;
            }
            if (!ok) Fail(file, lineNo, "bad value in option '" + opt + "'");
        }
        m.cells.push_back(std::move(c));
    }

    void Parse(const std::string& file, const std::string& text) {
        std::istringstream in(text);
        std::string line;
        int lineNo = 0;
        while (std::getline(in, line)) {
            ++lineNo;
            const std::vector<std::string> w = SplitWords(line);
            if (w.empty()) continue;
            const std::string& k = w[0];
            if (k == "cell") {
                ParseCell(file, lineNo, w);
            } else if (k == "include" && w.size() == 2) {
                if (depth >= 4 || w[1].find('/') != std::string::npos) {
                    Fail(file, lineNo,
                         "include '" + w[1] +
                             "': a file name of the manifest folder, at most 4 deep");
                    continue;
                }
                std::string sub;
                const std::string subPath = includeDir + "/" + w[1];
                if (!ReadTextFile(subPath, sub)) {
                    Fail(file, lineNo, "include '" + w[1] + "' cannot be read");
                    continue;
                }
                ++depth;
                Parse(w[1], sub);
                --depth;
            } else if (depth > 0) {
                Fail(file, lineNo, "an include file holds only cell and include lines");
            } else if (k == "file" && w.size() == 2) {
                if (w[1].find("..") != std::string::npos || w[1][0] == '/' || w[1].size() < 5 ||
                    (w[1].substr(w[1].size() - 4) != ".bmp" &&
                     w[1].substr(w[1].size() - 4) != ".BMP"))
                    Fail(file, lineNo, "file must be a .bmp name below the program directory");
                else
                    m.output = w[1];
            } else if ((k == "size" || k == "grid") && w.size() == 3) {
                const auto a = ParseInt(w[1], 1, 4096), b = ParseInt(w[2], 1, 4096);
                if (!a || !b) {
                    Fail(file, lineNo, "expected: " + k + " W H (1-4096)");
                    continue;
                }
                (k == "size" ? m.width : m.cellW) = *a;
                (k == "size" ? m.height : m.cellH) = *b;
            } else if (k == "palette" && w.size() == 2) {
                m.palette = w[1];
            } else if ((k == "key" || k == "background") && w.size() == 2) {
                const auto v = ParseInt(w[1], 0, 255);
                if (!v)
                    Fail(file, lineNo, "expected: " + k + " INDEX (0-255)");
                else
                    (k == "key" ? m.key : m.background) = *v;
            } else if (k == "filter" && w.size() == 2 && w[1] == "night") {
                m.night = true;
            } else if (k == "swatches" && w.size() == 1) {
                m.swatches = true;
            } else if (k == "dither" && w.size() == 1) {
                m.dither = true;
            } else {
                Fail(file, lineNo, "unknown or malformed line '" + k + "'");
            }
        }
    }
};

}  // namespace

int ListValue(const std::vector<int>& list, int i, int fallback) {
    if (list.empty()) return fallback;
    return list[std::size_t(i) % list.size()];
}

bool ParseArtManifest(const std::string& path, const std::string& text,
                      const std::string& includeDir, ArtManifest& manifest,
                      std::vector<std::string>& problems) {
    const std::size_t before = problems.size();
    manifest.path = path;
    Parser parser{includeDir, manifest, problems};
    parser.Parse(path, text);
    if (manifest.output.empty()) problems.push_back(path + ": no file line");
    if (manifest.width == 0) problems.push_back(path + ": no size line");
    if (manifest.cellW == 0) problems.push_back(path + ": no grid line");
    if (manifest.palette.empty()) problems.push_back(path + ": no palette line");
    if (problems.size() != before) return false;
    if (manifest.background < 0) manifest.background = manifest.key;
    if (manifest.width % manifest.cellW != 0 || manifest.height % manifest.cellH != 0)
        problems.push_back(path + ": size " + std::to_string(manifest.width) + "x" +
                           std::to_string(manifest.height) + " is not a whole number of " +
                           std::to_string(manifest.cellW) + "x" + std::to_string(manifest.cellH) +
                           " cells");
    if (manifest.dither && (manifest.cellW != manifest.width || manifest.cellH != manifest.height))
        problems.push_back(path +
                           ": dither is for full-screen pictures (one cell the size of the "
                           "file), not for sheets of keyed sprites");
    for (const CellLine& c : manifest.cells) {
        const int cw = c.cellW ? c.cellW : manifest.cellW, ch = c.cellH ? c.cellH : manifest.cellH;
        const int right = c.originX + (c.col1 + 1) * cw, bottom = c.originY + (c.row1 + 1) * ch;
        if (right > manifest.width || bottom > manifest.height)
            problems.push_back(Where(c.where, c.line,
                                     "cells reach past the file's " +
                                         std::to_string(manifest.width) + "x" +
                                         std::to_string(manifest.height) + " pixels"));
        if (c.box && ((*c.box)[0] + (*c.box)[2] > cw || (*c.box)[1] + (*c.box)[3] > ch))
            problems.push_back(Where(c.where, c.line, "box reaches past the cell"));
        if (c.grow && !c.silhouette && !c.silhouetteKey)
            problems.push_back(Where(c.where, c.line, "grow is for silhouettes only"));
    }
    return problems.size() == before;
}

}  // namespace zv::zvdata::art
