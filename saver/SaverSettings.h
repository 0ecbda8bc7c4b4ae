#pragma once

// The screensaver's settings, kept in a small file under the user's configuration folder in
// place of the registry key of the Windows build, with the same value names and defaults:
//
//   zvsaver:     $XDG_CONFIG_HOME/Halvane/ZVScreenSaverDemo2.conf
//                Opening2, Title2, RealFightLoopNum, RealFightLoopSwitch
//   zvdemosaver: $XDG_CONFIG_HOME/Halvane/ZVScreenSaverDemo.conf
//                SSSW1, Opening1, Title1, Sound1, Bgm1, RealFightLoopNum, RealFightLoopSwitch
//
// ($XDG_CONFIG_HOME defaults to ~/.config.) Each line is NAME=VALUE (a 32-bit integer); lines
// starting with '#' are comments. A value that is missing leaves its setting at 0, as a
// missing registry value does; a line that is not NAME=INTEGER is reported and skipped.

#include <string>
#include <vector>

#include "saver/SaverCore.h"

namespace zv::saver {

// The settings file of the build (empty when neither XDG_CONFIG_HOME nor HOME is set).
std::string SaverSettingsFile(SaverBuild build);

// Reads the settings as the build's LoadSaverSettings does: a file that does not exist yet is
// created with the build's defaults. Problems (unreadable lines, a file that cannot be
// written) go to `problems`; the settings keep their values.
void LoadSaverSettings(SaverBuild build, const std::string& file, SaverSettings& s,
                       std::vector<std::string>* problems = nullptr);
// Writes the build's values. False (and a problem) when the file cannot be written; the old
// file then stays as it was.
bool SaveSaverSettings(SaverBuild build, const std::string& file, const SaverSettings& s,
                       std::vector<std::string>* problems = nullptr);

// The static defaults of the build (only its own slot's entries are ever used).
SaverSettings DefaultSettingsTable(SaverBuild build);

}  // namespace zv::saver
