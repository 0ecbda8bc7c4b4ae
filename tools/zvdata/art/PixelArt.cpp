#include "tools/zvdata/art/PixelArt.h"

#include <map>
#include <sstream>

#include "tools/zvdata/art/ArtPalette.h"
#include "tools/zvdata/art/ArtText.h"

namespace zv::zvdata::art {

namespace {

std::uint32_t Opaque(Rgb c) {
    return 0xFF000000u | (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b;
}

}  // namespace

bool ParsePixelArt(const std::string& fileName, const std::string& text, PixelArt& art,
                   std::vector<std::string>& problems) {
    const std::size_t before = problems.size();
    std::map<char, std::uint32_t> keys;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    bool inPixels = false;
    int row = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (inPixels) {
            if (row >= art.height) {
                if (!SplitWords(line).empty())
                    problems.push_back(
                        Where(fileName, lineNo, "more pixel rows than the size says"));
                continue;
            }
            if (int(line.size()) != art.width) {
                problems.push_back(Where(fileName, lineNo,
                                         "pixel row has " + std::to_string(line.size()) +
                                             " characters, the size says " +
                                             std::to_string(art.width)));
                ++row;
                continue;
            }
            for (int x = 0; x < art.width; ++x) {
                const auto it = keys.find(line[x]);
                if (it == keys.end()) {
                    problems.push_back(Where(
                        fileName, lineNo, std::string("character '") + line[x] + "' has no key"));
                    break;
                }
                art.pixels[std::size_t(row) * art.width + x] = it->second;
            }
            ++row;
            continue;
        }
        const std::vector<std::string> w = SplitWords(line);
        if (w.empty()) continue;
        if (w[0] == "size" && w.size() == 3) {
            const auto width = ParseInt(w[1], 1, 1024), height = ParseInt(w[2], 1, 1024);
            if (!width || !height) {
                problems.push_back(Where(fileName, lineNo, "expected: size W H (1-1024)"));
                return false;
            }
            art.width = *width;
            art.height = *height;
        } else if (w[0] == "key" && w.size() == 3 && w[1].size() == 1) {
            std::uint32_t value;
            if (w[2] == "none")
                value = 0;
            else if (w[2] == "team")
                value = Opaque(kTeamBasePlaceholder);
            else if (w[2] == "team-light")
                value = Opaque(kTeamLightPlaceholder);
            else if (w[2] == "team-dark")
                value = Opaque(kTeamDarkPlaceholder);
            else if (const auto c = ParseRgb(w[2]))
                value = Opaque(*c);
            else {
                problems.push_back(
                    Where(fileName, lineNo,
                          "key colour must be #rrggbb, none, team, team-light or team-dark"));
                continue;
            }
            keys[w[1][0]] = value;
        } else if (w[0] == "pixels" && w.size() == 1) {
            if (art.width == 0) {
                problems.push_back(Where(fileName, lineNo, "pixels before size"));
                return false;
            }
            art.pixels.assign(std::size_t(art.width) * art.height, 0);
            inPixels = true;
        } else {
            problems.push_back(Where(fileName, lineNo,
                                     "unknown line '" + w[0] + "' (expected size, key or pixels)"));
        }
    }
    if (!inPixels)
        problems.push_back(fileName + ": no pixels section");
    else if (row < art.height)
        problems.push_back(fileName + ": " + std::to_string(art.height - row) +
                           " pixel rows missing");
    return problems.size() == before;
}

}  // namespace zv::zvdata::art
