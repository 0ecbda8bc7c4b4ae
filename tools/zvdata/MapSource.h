#pragma once

#include <string>
#include <string_view>

#include "rules/context/TableDirectory.h"

// A map written as text (data/maps/MAPnnnnn.txt), in sections:
//
//   [map]          title, description, clock = DAY HOUR MINUTE, fog = 0|1,
//                  limit = DAYS HOURS, options = RULE BITS, deploy = TROOPS
//   [country N]    name, play = 0|1, allies = COUNTRIES..., funds, com_funds, production,
//                  music, corps = useFrcNN.prm, placement = 6 numbers, thinking = 10 numbers
//   [terrain]      64 rows of 64 land-kind letters (see GetTerrainLetters)
//   [areas]        64 rows of 64 letters: '.' none, '0'-'3' the country's deployment area
//   [roads]        one road per line: hexes "x,y x,y ...", each leg drawn hex by hex
//   [rivers]       the same for rivers
//   [sites]        KIND OWNER x,y   (kind 首都 大都市 都市 町 空港 港; owner 0-3 or 中立)
//   [troops]       COUNTRY x,y name=... mode=... [on=CARRIER] units=...
//
// Row 0 of the grids is y = 0; odd rows lie half a hex to the right.
namespace zv::zvdata {

// Land kinds 0-12 and 21-28 by letter, in that order.
const char* GetTerrainLetters();
// The land kind of a letter, or -1.
int LandKindOfLetter(char letter);

// Compiles the source into the live map tables of `tables` (scenario header, countries, hexes,
// sites, troops 0-159 and the four countries' corps), whose rule tables must be loaded. Corps
// named by the countries are read from programDir\USER\; a country's corps number is the
// position of its file among the corps files there, as the corps list numbers them. False with
// the source name and line in `error`.
bool CompileMap(rules::TableDirectory& tables, const std::string& programDir,
                const std::string& sourceName, std::string_view utf8, std::string& error);

}  // namespace zv::zvdata
