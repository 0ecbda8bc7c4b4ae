#pragma once

#include <string>
#include <vector>

// Builds the program directory's game data from the sources in data/:
//   data/rules/*.csv          -> the nine *.dat rule tables
//   data/corps/useFrcNN.txt   -> USER/useFrcNN.prm
//   data/maps/MAPnnnnn.txt    -> MAP/MAPnnnnn.ddm
// with the game's own writers. Every table set, corps and map is checked before it is written,
// and every written file is read back and checked. Files of the user's that the data does not
// name (other corps, saved games) are left alone.
namespace zv::zvdata {

struct BuildReport {
    bool ok = false;
    std::vector<std::string> written;  // one summary line per file written
    std::vector<std::string> problems;
};

BuildReport BuildContent(const std::string& dataDir, const std::string& programDir);

}  // namespace zv::zvdata
