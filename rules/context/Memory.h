#pragma once

#include <cstddef>
#include <new>

namespace zv::rules {

// The text of the out-of-memory box (UTF-8).
inline constexpr const char* kOutOfMemoryText =
    "メモリ又はハードディスクの領域が足りません。終了します。";

// Shows the out-of-memory text to the user. The shell installs one that opens the message box;
// without one the text goes to standard error.
using OutOfMemoryReporter = void (*)(const char* utf8Text);
void SetOutOfMemoryReporter(OutOfMemoryReporter reporter);

// Reports the out-of-memory text, then ends the process with exit code 0. Nothing is saved.
[[noreturn]] void ExitOutOfMemory();

// Allocates `size` bytes; never returns null: when the allocation fails the process ends as
// ExitOutOfMemory says. A size of 0 gives a distinct non-null block.
void* AllocOrExit(std::size_t size);
// Releases memory from AllocOrExit; null is allowed.
void FreeMemory(void* pointer);

// The same end for a failed `new`, as a new-handler.
[[noreturn]] void OutOfMemoryNewHandler();

// Installs OutOfMemoryNewHandler and keeps the handler it replaced.
class NewHandlerSlot {
  public:
    void InstallOutOfMemoryHandler() { previous_ = std::set_new_handler(&OutOfMemoryNewHandler); }
    // Sets no handler, so a failed `new` throws std::bad_alloc.
    void RemoveNewHandler() { std::set_new_handler(nullptr); }
    std::new_handler Previous() const { return previous_; }

  private:
    std::new_handler previous_ = nullptr;
};

}  // namespace zv::rules
