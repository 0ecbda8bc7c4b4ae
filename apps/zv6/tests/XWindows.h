#pragma once

// What an X server shows of a program's windows (Xlib stays in XWindows.cpp: its macros clash
// with the test framework's names).

#include <string>

namespace zv::testing {

// The place and size of the viewable top-level window of process `pid` (its _NET_WM_PID) on the
// X server `display`; false when there is none (or the server cannot be reached).
bool WindowOfProcess(const std::string& display, long pid, int* left, int* top, int* width, int* height);

}  // namespace zv::testing
