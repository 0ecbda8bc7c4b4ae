#include "platform/core/OutOfMemory.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

namespace zv::core {
namespace {

// Set once at start-up, read only by the terminate handler.
char gLine[160];
std::size_t gLineLength = 0;
int gStatus = kExitOutOfMemory;
void (*gReport)() = nullptr;
void* gReserve = nullptr;
std::terminate_handler gPrevious = nullptr;

bool IsOutOfMemory(std::exception_ptr error) {
    if (!error) return false;
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return true;
    } catch (...) {
        return false;
    }
}

[[noreturn]] void OnTerminate() {
    if (IsOutOfMemory(std::current_exception())) {
        // write(2) needs no memory, unlike stdio.
        [[maybe_unused]] ssize_t ignored = ::write(STDERR_FILENO, gLine, gLineLength);
        std::free(gReserve);
        gReserve = nullptr;
        if (gReport != nullptr) gReport();
        std::_Exit(gStatus);
    }
    if (gPrevious != nullptr) gPrevious();
    std::abort();
}

}  // namespace

void InstallOutOfMemoryExit(const char* programName, int exitStatus, void (*report)()) {
    static const char kTail[] =
        ": out of memory; the program ends. Files it was writing keep their last whole "
        "version.\n";
    std::size_t name = std::strlen(programName);
    if (name > sizeof gLine - sizeof kTail) name = sizeof gLine - sizeof kTail;
    std::memcpy(gLine, programName, name);
    std::memcpy(gLine + name, kTail, sizeof kTail - 1);
    gLineLength = name + sizeof kTail - 1;
    gStatus = exitStatus;
    gReport = report;
    // Room for the report (a message box draws and allocates) once everything else is gone.
    if (report != nullptr && gReserve == nullptr) gReserve = std::malloc(4 << 20);
    const std::terminate_handler previous = std::set_terminate(&OnTerminate);
    if (previous != &OnTerminate) gPrevious = previous;
}

}  // namespace zv::core
