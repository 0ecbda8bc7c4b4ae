#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <deque>
#include <vector>

#include "platform/core/Sjis.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/MapCursors.h"

namespace zv::rules {
namespace {

TEST(AreCountriesAllied, UsesTheFirstCountrysMaskOnly) {
    TableDirectory tables;
    CountryCursor countries(tables);
    countries.ResetCountries();
    EXPECT_EQ(AreCountriesAllied(tables, 2, 2), 1);
    EXPECT_EQ(AreCountriesAllied(tables, 2, 3), 0);
    EXPECT_EQ(AreCountriesAllied(tables, 0, 4), 0);
    EXPECT_EQ(AreCountriesAllied(tables, 6, 1), 0);
    EXPECT_EQ(AreCountriesAllied(tables, 4, 4), 0);
    EXPECT_EQ(AreCountriesAllied(tables, 5, 0), 0);  // a spectator is nobody's ally
    ASSERT_EQ(countries.Select(0), 1);
    countries.SetAllianceMask(0x03);
    ASSERT_EQ(countries.Select(1), 1);
    countries.SetAllianceMask(0x02);
    EXPECT_EQ(AreCountriesAllied(tables, 0, 1), 1);
    EXPECT_EQ(AreCountriesAllied(tables, 1, 0), 0);
    // The same question on the shadow copy reads the shadow copy.
    EXPECT_EQ(AreCountriesAllied(tables, 0, 1, TableId::ShadowCountry), 0);
}

// Neighbours on the grid whose odd rows are shifted right by half a hex: W, SW, SE, E, NE, NW.
std::vector<std::pair<int, int>> Neighbours(int x, int y) {
    static constexpr int kEvenDx[6] = {-1, -1, 0, 1, 0, -1};
    static constexpr int kOddDx[6] = {-1, 0, 1, 1, 1, 0};
    static constexpr int kDy[6] = {0, 1, 1, 0, -1, -1};
    std::vector<std::pair<int, int>> out;
    for (int d = 0; d < 6; ++d) {
        const int nx = x + ((y & 1) ? kOddDx[d] : kEvenDx[d]);
        const int ny = y + kDy[d];
        if (nx >= 0 && nx < 64 && ny >= 0 && ny < 64) out.emplace_back(nx, ny);
    }
    return out;
}

TEST(HexDistance, AgreesWithBreadthFirstSearchOverTheWholeGrid) {
    std::vector<std::array<std::uint8_t, 6 * 2>> adjacency(4096);
    std::vector<int> degree(4096);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const auto n = Neighbours(x, y);
            degree[x + 64 * y] = static_cast<int>(n.size());
            for (std::size_t i = 0; i < n.size(); ++i) {
                adjacency[x + 64 * y][2 * i] = static_cast<std::uint8_t>(n[i].first);
                adjacency[x + 64 * y][2 * i + 1] = static_cast<std::uint8_t>(n[i].second);
            }
        }
    std::vector<int> distance(4096);
    std::vector<int> queue(4096);
    int mismatches = 0;
    for (int from = 0; from < 4096; ++from) {
        std::fill(distance.begin(), distance.end(), -1);
        int head = 0, tail = 0;
        distance[from] = 0;
        queue[tail++] = from;
        while (head < tail) {
            const int at = queue[head++];
            for (int i = 0; i < degree[at]; ++i) {
                const int next = adjacency[at][2 * i] + 64 * adjacency[at][2 * i + 1];
                if (distance[next] < 0) {
                    distance[next] = distance[at] + 1;
                    queue[tail++] = next;
                }
            }
        }
        const int x1 = from % 64, y1 = from / 64;
        for (int to = 0; to < 4096; ++to) {
            const int got = HexDistance(x1, y1, to % 64, to / 64);
            if (got != distance[to] && ++mismatches <= 5)
                ADD_FAILURE() << "(" << x1 << "," << y1 << ") to (" << to % 64 << "," << to / 64
                              << "): " << got << ", search says " << distance[to];
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(HexDistance, WorkedExamples) {
    struct Case {
        int x1, y1, x2, y2, expected;
    };
    const Case cases[] = {{0, 0, 0, 0, 0}, {0, 0, 5, 0, 5}, {0, 0, 0, 3, 3}, {2, 1, 4, 3, 3},
                          {4, 1, 2, 3, 3}, {3, 5, 5, 4, 2}, {3, 4, 5, 5, 3}};
    for (const Case& c : cases)
        EXPECT_EQ(HexDistance(c.x1, c.y1, c.x2, c.y2), c.expected)
            << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
}

TEST(GameRandom, FirstDrawsOfTheGameStream) {
    fw::RandomStreams streams;
    SeedGameRandom(streams, 1);
    // Draws 41, 18467, 6334 scaled to 0-99.
    EXPECT_EQ(GameRandomBelow(streams, 100), 41 * 99 / 32767);
    EXPECT_EQ(GameRandomBelow(streams, 100), 18467 * 99 / 32767);
    EXPECT_EQ(GameRandomBelow(streams, 100), 6334 * 99 / 32767);

    fw::RandomStreams high;
    SeedGameRandom(high, 0x10001);  // only the low 16 bits count
    fw::RandomStreams low;
    SeedGameRandom(low, 1);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(GameRandomBelow(high, 1000), GameRandomBelow(low, 1000));

    fw::RandomStreams zero;
    SeedGameRandom(zero, 0);
    EXPECT_EQ(GameRandomBelow(zero, 32768), 38);
}

TEST(GameRandom, ResultsStayInRangeAndTheStreamStaysInStep) {
    fw::RandomStreams a, b;
    SeedGameRandom(a, 777);
    SeedGameRandom(b, 777);
    for (int i = 0; i < 2000; ++i) {
        const int n = 1 + i % 9;
        const int r = GameRandomBelow(a, n);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, n);
    }
    // Callers that pass 0 or 1 still use up a draw, like everyone else.
    for (int i = 0; i < 2000; ++i) GameRandomBelow(b, i % 3 == 0 ? 0 : 1 + i % 9);
    EXPECT_EQ(a.NextRandom1(), b.NextRandom1());
    EXPECT_EQ(a.NextRandom2(), 41);  // the game stream leaves the host stream alone
}

TEST(RandomBelow, CoversTheRangeAndNeverLeavesIt) {
    fw::RandomStreams streams;
    EXPECT_EQ(RandomBelow(streams, 0), 0);
    EXPECT_EQ(RandomBelow(streams, -3), 0);
    std::vector<int> seen(7);
    for (int i = 0; i < 20000; ++i) {
        EXPECT_EQ(RandomBelow(streams, 1), 0);
        const int r = RandomBelow(streams, 7);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 7);
        ++seen[r];
    }
    for (int k = 0; k < 6; ++k) EXPECT_GT(seen[k], 0) << k;
    fw::RandomStreams other;
    EXPECT_EQ(other.NextRandom1(), 41);  // host draws never touch the game stream
}

TEST(CountPlacedTroops, CountsUsedMapTroopsOfACountry) {
    TableDirectory tables;
    std::uint8_t* troops = tables.GetTableBase(TableId::Troop);
    for (int t = 0; t < 255; ++t) troops[t * 418 + 24] = 0xFF;
    auto place = [&](int t, std::uint8_t country) {
        troops[t * 418 + 24] = 0;
        troops[t * 418 + 25] = country;
    };
    place(0, 0);
    place(1, 0);
    place(45, 1);
    place(159, 3);
    place(160, 0);  // a launched part: not a map troop
    place(254, 1);
    troops[2 * 418 + 25] = 0;  // country byte without a used slot
    EXPECT_EQ(CountPlacedTroops(tables, 0), 2);
    EXPECT_EQ(CountPlacedTroops(tables, 1), 1);
    EXPECT_EQ(CountPlacedTroops(tables, 2), 0);
    EXPECT_EQ(CountPlacedTroops(tables, 3), 1);
    EXPECT_EQ(CountPlacedTroops(tables, 5), 4);
    EXPECT_EQ(CountPlacedTroops(tables, 5, TableId::ShadowTroop), 160);  // all zero: all used
}

TEST(FormatGradeLetter, GivesFullWidthLettersFromFToA) {
    struct Case {
        int value;
        const char* letter;
    };
    const Case cases[] = {{0, "Ｆ"},   {49, "Ｆ"},  {50, "Ｅ"},  {149, "Ｄ"},
                          {150, "Ｃ"}, {299, "Ａ"}, {300, "Ａ"}, {-10, "Ｆ"}};
    for (const Case& c : cases) {
        char out[3];
        EXPECT_EQ(FormatGradeLetter(c.value, out), out);
        EXPECT_EQ(std::string(out), core::Utf8ToSjis(c.letter)) << c.value;
    }
}

}  // namespace
}  // namespace zv::rules
