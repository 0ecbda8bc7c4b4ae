#pragma once

#include <string>

#include "tools/zvdata/ContentBuild.h"

// The title page's recorded game (data/opening/opnNNNN.txt): a default map of the program
// directory played by the computer alone for a number of game minutes, then written as a saved
// game with one country marked as played by a person with the computer's help. The run is
// seeded, so two builds write the same bytes.
//
//   file = Zv6open/opn0001.opn   where it goes, below the program directory
//   map = MAP00003.ddm           the map (already built into MAP)
//   seed = 8                     the run's seed
//   minutes = 1230               game minutes played
//   player = 1                   the country the demonstration shows (in play at the end)
namespace zv::zvdata {

struct OpeningSource {
    std::string file;
    std::string map;
    long seed = 1;
    long minutes = 0;
    long player = 0;
};

// Parses a source; false with "name:line: message" on a fault.
bool ParseOpeningSource(const std::string& name, const std::string& utf8, OpeningSource& out,
                        std::string& error);

// Plays and writes one recorded game; false with a message when the map does not load, the game
// ends before its minutes are played, the player's country is out, or the file is not written.
bool BuildOpeningGame(const OpeningSource& source, const std::string& programDir, std::string& error);

// Every data/opening/*.txt into the program directory.
void BuildOpeningGames(const std::string& dataDir, const std::string& programDir, BuildReport& report);

}  // namespace zv::zvdata
