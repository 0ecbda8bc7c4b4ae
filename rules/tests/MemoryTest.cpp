#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "rules/context/Memory.h"

namespace zv::rules {
namespace {

TEST(Memory, AllocOrExitGivesUsableBlocks) {
    void* none = AllocOrExit(0);
    ASSERT_NE(none, nullptr);
    auto* block = static_cast<unsigned char*>(AllocOrExit(100));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0x5A, 100);
    EXPECT_EQ(block[99], 0x5A);
    FreeMemory(block);
    FreeMemory(none);
    FreeMemory(nullptr);
}

void ShowOnStderr(const char* text) {
    std::fprintf(stderr, "box: %s\n", text);
}

TEST(MemoryDeathTest, RunningOutShowsTheTextAndEndsWithCodeZero) {
    EXPECT_EXIT(ExitOutOfMemory(), ::testing::ExitedWithCode(0), kOutOfMemoryText);
    EXPECT_EXIT(
        {
            SetOutOfMemoryReporter(&ShowOnStderr);
            OutOfMemoryNewHandler();
        },
        ::testing::ExitedWithCode(0), "box: メモリ又はハードディスク");
}

TEST(Memory, NewHandlerSlotKeepsThePreviousHandler) {
    const std::new_handler before = std::get_new_handler();
    NewHandlerSlot slot;
    slot.InstallOutOfMemoryHandler();
    EXPECT_EQ(std::get_new_handler(), &OutOfMemoryNewHandler);
    EXPECT_EQ(slot.Previous(), before);
    slot.RemoveNewHandler();
    EXPECT_EQ(std::get_new_handler(), nullptr);
    std::set_new_handler(before);
}

}  // namespace
}  // namespace zv::rules
