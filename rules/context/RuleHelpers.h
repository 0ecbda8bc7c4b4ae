#pragma once

#include <cstdint>

#include "framework/RandomStreams.h"
#include "rules/context/TableDirectory.h"

namespace zv::rules {

// 1 when country a's alliance mask has bit b. One-sided: a's mask decides. Neutral (4), no
// country (6) and anything outside 0-3 are allied with nobody.
int AreCountriesAllied(TableDirectory& tables, std::uint8_t a, std::uint8_t b,
                       TableId countryTable = TableId::Country);

// Length of the shortest path of neighbour steps on the grid whose odd rows are shifted right by
// half a hex.
std::uint16_t HexDistance(std::uint16_t x1, std::uint16_t y1, std::uint16_t x2, std::uint16_t y2);

// 0 to n - 1 for choices that only the simulating program makes (automatic behaviour,
// production, the map editor); they reach the others as commands. Draws from the world's host
// stream (stream 2), which holds 15-bit values on every machine. 0 for n <= 0.
int RandomBelow(fw::RandomStreams& streams, int n);

// Seeds the game stream (stream 1) with the low 16 bits of the seed.
void SeedGameRandom(fw::RandomStreams& streams, std::uint32_t seed);

// 0 to n - 1 from the game stream, which every participant draws in step. Always draws once, so
// a caller passing n <= 1 keeps the stream in step with the others; the result is then 0.
int GameRandomBelow(fw::RandomStreams& streams, int n);

// Used troops (slot byte not 0xFF) of a country among map troops 0-159; 5 counts every country.
int CountPlacedTroops(const TableDirectory& tables, int country,
                      TableId troopTable = TableId::Troop);

// Writes the two-byte Shift-JIS grade letter for a value (0-49 "Ｆ" ... 250-299 "Ａ") and a NUL
// into out (3 bytes); returns out.
char* FormatGradeLetter(int value, char* out);

}  // namespace zv::rules
