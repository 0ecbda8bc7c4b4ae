#pragma once

// The set-up container on the memory screen over a plain owner window, with the content
// build's tables installed as the world and every box answered and recorded.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/ProcessState.h"
#include "organize/OrganizeWorld.h"
#include "rules/records/CachedTroopCursor.h"
#include "rules/records/ForceCursor.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "rules/context/TableDirectory.h"
#include "rules/testing/TempFolder.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "setup/tests/SetupDriver.h"
#include "shell/Palettes.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"

namespace zv::setup::testing {

class SetupPages : public ::testing::Test {
  protected:
    void SetUp() override {
        // A program directory of its own: the content build's files linked in, so that the
        // settings file and saved games the tests write stay apart.
        for (const auto& entry : std::filesystem::directory_iterator(ZV_PROGRAM_DIR)) {
            const std::string name = entry.path().filename().string();
            if (name == "ZV6WIN.INI" || name == "SAVE") continue;
            std::filesystem::create_symlink(entry.path(), std::filesystem::path(dir.Path()) / name);
        }
        std::filesystem::create_directories(std::filesystem::path(dir.Path()) / "SAVE");
        programDir = (std::filesystem::path(dir.Path()) / "").string();
        fw::SetProgramDirectory(programDir);
        auto backend = std::make_unique<ui::HeadlessBackend>(1024, 768);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        shell::LoadPalettes({});
        ASSERT_TRUE(tables.LoadAllTables(ZV_PROGRAM_DIR "/")) << tables.LastError();
        world.tables = &tables;
        shell::InstallServices(&world);
        organizeWorld.tables = &tables;
        organizeWorld.workspace = &workspace;
        organizeWorld.corpsDirectory = programDir;
        organizeWorld.troopCache = &cache;
        world.organize = &organizeWorld;
        SetSetupMessageBoxHook([this](ui::Hwnd, const std::string& text, std::uint32_t type) {
            boxes.push_back(text);
            if (answers.empty()) return type == ui::MB_YESNO ? ui::IDYES : ui::IDOK;
            const int a = answers.front();
            answers.pop_front();
            return a;
        });
        // Nothing an earlier test of the process installed (the network pages, a name dialog)
        // is there: each test starts with the pages of the set-up module alone.
        ResetSetupHooks();
        ASSERT_EQ(RegisterSetupWindowClasses(), 1);
        owner = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 1024, 768, {}, 0,
                                   nullptr, nullptr);
        container = CreateMainMenuWindow(owner);
        ASSERT_TRUE(container);
        ui::SendMessage(container, zv::WM_TITLE_START, 0, 0);
        Pump();
    }

    void TearDown() override {
        for (ui::Hwnd top = ui::GetTopWindow({}); top; top = ui::GetTopWindow({})) ui::DestroyWindow(top);
        SetSetupMessageBoxHook(nullptr);
        ResetSetupHooks();
        shell::InstallServices(nullptr);
        wm.reset();
    }

    void Pump() { wm->PumpPending(); }
    void Click(ui::Hwnd page, int id) {
        ClickControl(screen, page, id);
        Pump();
    }
    // Replaces an edit's text the way a player does: a click into it, everything selected,
    // the new text typed.
    void Type(ui::Hwnd page, int id, const std::string& text) {
        const ui::Hwnd edit = ui::GetDlgItem(page, id);
        ClickControl(screen, page, id);
        Pump();
        ui::SendMessage(edit, ui::EM_SETSEL, 0, -1);
        screen->KeyDown(ui::VK_DELETE);
        screen->KeyUp(ui::VK_DELETE);
        if (!text.empty()) screen->Text(text);
        Pump();
    }
    std::string Text(ui::Hwnd page, int id) { return ui::GetWindowText(ui::GetDlgItem(page, id)); }
    void Shot(const std::string& name) {
        wm->Flush();
        std::filesystem::create_directories("screenshots");
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot("screenshots/" + name + ".png", &error)) << error;
    }

    rules::testing::TempFolder dir;
    std::string programDir;
    ui::HeadlessBackend* screen = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
    rules::TableDirectory tables;
    shell::GameWorld world;
    rules::ForceWorkspace workspace;
    rules::TroopCache cache;
    organize::OrganizeWorld organizeWorld;
    ui::Hwnd owner{};
    ui::Hwnd container{};
    std::vector<std::string> boxes;
    std::deque<int> answers;
};

}  // namespace zv::setup::testing
