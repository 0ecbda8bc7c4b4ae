#pragma once

#include <string>
#include <vector>

#include "rules/context/TableDirectory.h"

// Whether the map in the live tables can be played: a title, countries taking part with names
// and corps, at least one hostile pair, and for every country taking part a capital, a
// headquarters troop and a deployment area. The editor's map check dialog and the content
// tool's file check both run this one test.
namespace zv::rules {

struct MapCheckFinding {
    // -1 for the map as a whole (title, countries taking part, hostility); else the country 0-3.
    int country = -1;
    // The finding as the editor shows it (UTF-8, no line end).
    std::string message;
};

// The fixed colour names of the four countries, as the findings name them (UTF-8).
const char* MapCheckCountryName(int country);

// The findings in the editor's order: the title, per country its name and corps, no country
// taking part, no hostile pair, then per country its capital, headquarters and deployment
// area. Empty when the map can be played. Reads the tables only.
std::vector<MapCheckFinding> CheckMapPlayable(const TableDirectory& tables);

// The verdict line that closes the report.
const char* MapCheckVerdict(bool anyFinding);

}  // namespace zv::rules
