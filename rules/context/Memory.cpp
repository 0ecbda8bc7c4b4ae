#include "rules/context/Memory.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace zv::rules {

namespace {
// Process-wide like the message box it stands for; set once by the shell at start-up.
std::atomic<OutOfMemoryReporter> gReporter{nullptr};
}  // namespace

void SetOutOfMemoryReporter(OutOfMemoryReporter reporter) {
    gReporter.store(reporter);
}

void ExitOutOfMemory() {
    if (OutOfMemoryReporter reporter = gReporter.load()) {
        reporter(kOutOfMemoryText);
    } else {
        std::fprintf(stderr, "%s\n", kOutOfMemoryText);
    }
    std::_Exit(0);
}

void* AllocOrExit(std::size_t size) {
    void* pointer = std::malloc(size == 0 ? 1 : size);
    if (!pointer) ExitOutOfMemory();
    return pointer;
}

void FreeMemory(void* pointer) {
    std::free(pointer);
}

void OutOfMemoryNewHandler() {
    ExitOutOfMemory();
}

}  // namespace zv::rules
