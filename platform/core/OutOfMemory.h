#pragma once

namespace zv::core {

// The exit status of a program that ran out of memory (ENOMEM's number), unless the program
// chose another one when it installed the handler.
inline constexpr int kExitOutOfMemory = 12;

// Makes running out of memory end the program with a clear line on standard error
// ("NAME: out of memory; the program ends. Files it was writing keep their last whole
// version.") and `exitStatus`, instead of the runtime's abort and core dump. It covers a
// std::bad_alloc that no code catches, on any thread (code that catches bad_alloc to refuse
// one oversized request still does so). `report`, when given, runs after the line, with a
// reserve of memory released for it, and may end the program itself.
void InstallOutOfMemoryExit(const char* programName, int exitStatus = kExitOutOfMemory,
                            void (*report)() = nullptr);

}  // namespace zv::core
