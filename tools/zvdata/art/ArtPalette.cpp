#include "tools/zvdata/art/ArtPalette.h"

#include <set>
#include <sstream>

namespace zv::zvdata::art {

bool ParseArtPalette(const std::string& fileName, const std::string& text, ArtPalette& palette,
                     std::vector<std::string>& problems) {
    const std::size_t before = problems.size();
    std::array<int, 256> definedAt{};
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto define = [&](int index, Rgb colour) {
        if (definedAt[index] != 0) {
            problems.push_back(Where(fileName, lineNo,
                                     "entry " + std::to_string(index) +
                                         " is given again (first on line " +
                                         std::to_string(definedAt[index]) + ")"));
            return;
        }
        definedAt[index] = lineNo;
        palette.colours[index] = colour;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        const std::vector<std::string> w = SplitWords(line);
        if (w.empty()) continue;
        if (w[0] == "colour" && w.size() == 3) {
            const auto index = ParseInt(w[1], 0, 255);
            const auto colour = ParseRgb(w[2]);
            if (!index || !colour) {
                problems.push_back(
                    Where(fileName, lineNo, "expected: colour INDEX(0-255) #rrggbb"));
                continue;
            }
            define(*index, *colour);
        } else if (w[0] == "ramp" && w.size() == 5) {
            const auto first = ParseInt(w[1], 0, 255), last = ParseInt(w[2], 0, 255);
            const auto from = ParseRgb(w[3]), to = ParseRgb(w[4]);
            if (!first || !last || !from || !to || *last < *first) {
                problems.push_back(Where(fileName, lineNo,
                                         "expected: ramp FIRST LAST #from #to with FIRST <= LAST"));
                continue;
            }
            const int n = *last - *first;
            for (int i = 0; i <= n; ++i) {
                auto mix = [&](int a, int b) {
                    return std::uint8_t(n == 0 ? a : (a * (n - i) + b * i + n / 2) / n);
                };
                define(*first + i,
                       Rgb{mix(from->r, to->r), mix(from->g, to->g), mix(from->b, to->b)});
            }
        } else if (w[0] == "team" && w.size() == 5) {
            const auto team = ParseInt(w[1], 0, kTeamCount - 1);
            const auto base = ParseRgb(w[2]), light = ParseRgb(w[3]), dark = ParseRgb(w[4]);
            if (!team || !base || !light || !dark) {
                problems.push_back(
                    Where(fileName, lineNo, "expected: team N(0-5) #base #light #dark"));
                continue;
            }
            palette.teams[*team] = TeamColours{*base, *light, *dark};
        } else {
            problems.push_back(Where(
                fileName, lineNo, "unknown line '" + w[0] + "' (expected colour, ramp or team)"));
        }
    }
    for (int i = 0; i < 256; ++i) {
        if (definedAt[i] == 0) {
            problems.push_back(fileName + ": entry " + std::to_string(i) + " is not given");
            break;
        }
    }
    if (problems.size() == before) {
        if (!(palette.colours[0] == Rgb{0, 0, 0}))
            problems.push_back(fileName + ": entry 0 (the transparent key) must be #000000");
        std::map<int, int> seen;
        for (int i = 0; i < 256; ++i) {
            const Rgb c = palette.colours[i];
            const int key = (c.r << 16) | (c.g << 8) | c.b;
            const auto [it, fresh] = seen.emplace(key, i);
            if (!fresh)
                problems.push_back(fileName + ": entries " + std::to_string(it->second) + " and " +
                                   std::to_string(i) + " have the same colour " + FormatRgb(c));
        }
        for (int t = 0; t < kTeamCount; ++t)
            if (!palette.teams.count(t))
                problems.push_back(fileName + ": team " + std::to_string(t) + " is not given");
    }
    return problems.size() == before;
}

}  // namespace zv::zvdata::art
