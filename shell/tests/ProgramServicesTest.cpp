#include <gtest/gtest.h>

#include "framework/ProcessState.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/context/TableDirectory.h"
#include "shell/ProgramServices.h"
#include "shell/ShellTables.h"
#include "shell/WindowRegistry.h"

namespace zv::shell {
namespace {

TEST(ProgramServices, ScopesNestAndPutBackWhatWasInstalled) {
    ASSERT_EQ(CurrentServices(), nullptr);
    rules::TableDirectory outerTables;
    rules::TableDirectory innerTables;
    {
        ScopedServices outer;
        outer->tables = &outerTables;
        EXPECT_EQ(GetShellTables(), &outerTables);
        {
            // The inner scope starts as a copy of the outer one and changes only its own.
            ScopedServices inner;
            EXPECT_EQ(inner->tables, &outerTables);
            inner->tables = &innerTables;
            EXPECT_EQ(GetShellTables(), &innerTables);
            EXPECT_EQ(outer->tables, &outerTables);
        }
        EXPECT_EQ(CurrentServices(), &*outer);
        EXPECT_EQ(GetShellTables(), &outerTables);
    }
    EXPECT_EQ(CurrentServices(), nullptr);
    EXPECT_EQ(GetShellTables(), nullptr);
}

TEST(ProgramServices, TheProcessStateGoesToTheFrameworkAndComesBack) {
    const std::string builtInDirectory = fw::GetProgramDirectory();
    fw::ProcessState mine;
    mine.programDirectory = "/nowhere/";
    {
        ScopedServices services(ProgramServices{.process = &mine});
        EXPECT_EQ(std::string(fw::GetProgramDirectory()), "/nowhere/");
        fw::SetPlayerCountry(2);
        EXPECT_EQ(mine.playerCountry.load(), 2);
    }
    EXPECT_EQ(std::string(fw::GetProgramDirectory()), builtInDirectory);
}

TEST(ProgramServices, TheRegistryOfTheServicesAnswersUntilTheyGo) {
    ui::WindowManager wm(std::make_unique<ui::HeadlessBackend>(320, 240));
    const ui::Hwnd frame = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP, 0, 0, 10, 10, {}, 0,
                                              nullptr, nullptr);
    WindowRegistry registry;
    {
        ScopedServices services(ProgramServices{.registry = &registry});
        SetWindowOfKind(WindowKind::FrameWnd, frame);
        EXPECT_EQ(registry.GetWindowOfKind(WindowKind::FrameWnd), frame);
    }
    // The built-in registry never saw the frame.
    EXPECT_FALSE(GetWindowOfKind(WindowKind::FrameWnd));
    EXPECT_EQ(registry.GetWindowOfKind(WindowKind::FrameWnd), frame);
    ui::DestroyWindow(frame);
}

}  // namespace
}  // namespace zv::shell
