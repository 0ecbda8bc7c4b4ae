#pragma once

// What the program asks of the machine: its name, the user's log-on name, the program's folder.

namespace zv::fw {

// The host name, cut to 15 bytes as network names are; null when the system gives none.
const char* GetLocalComputerName();
// The log-on name of the user running the program, at most 31 bytes; null when unknown.
const char* GetLogonUserName();
// The folder of the application's program file, ending in '/', written into destination (260
// bytes) or into a new buffer of 260 bytes that the caller frees with delete[].
char* GetModuleDirectory(char* destination);
// There is no task bar on this program's screen; kept so callers need no special case.
void ShowTaskbar(int show);

}  // namespace zv::fw
