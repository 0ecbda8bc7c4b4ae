#pragma once

#include <string>
#include <string_view>

namespace zv::core {

// Maps a path as the game's code writes it ("\MAP\", "DefencDk.dat", "\unit\unit001.bmp")
// to a real path: backslashes become slashes (never the trail byte of a Shift-JIS character,
// such as the second byte of "ソ"), repeated separators collapse, and each
// component that exists is matched against the directory without regard to ASCII case
// (an exact match wins; among several case-insensitive matches the byte-wise smallest).
// The first component that does not exist and everything after it are kept as given, so
// the result can name a file that is about to be created. Relative paths stay relative to
// the current directory. A trailing separator is kept. Empty input gives "".
std::string ResolvePath(std::string_view gamePath);

// Full path of the running executable ("" when the system cannot tell).
std::string ExecutablePath();

// Directory of the running executable, ending in '/' ("./" when unknown).
std::string ExecutableDirectory();

// True when the two names are equal after folding ASCII letters to one case (bytes inside
// UTF-8 and Shift-JIS characters are compared as they are).
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace zv::core
