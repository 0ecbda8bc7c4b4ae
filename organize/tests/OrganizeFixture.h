#pragma once

// A world for the organisation windows: the rule tables of the content build, a corps folder of
// its own with copies of the default corps files, a headless screen and a message-box hook that
// records every box and answers from a queue (Yes when the queue is empty).

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/ProcessState.h"
#include "organize/DragDrop.h"
#include "organize/OrganizeDialog.h"
#include "organize/OrganizeWorld.h"
#include "organize/TroopDisplay.h"
#include "platform/core/Sjis.h"
#include "platform/core/tests/TempDir.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/CachedTroopCursor.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/RuleCursors.h"
#include "shell/Palettes.h"
#include "shell/ProgramServices.h"
#include "shell/WindowRegistry.h"

namespace zv::organize::testing {

namespace fs = std::filesystem;

struct Box {
    std::string text;
    std::string caption;
    std::uint32_t type;
};

class OrganizeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fw::SetProgramDirectory(ZV_PROGRAM_DIR);
        auto backend = std::make_unique<ui::HeadlessBackend>(1024, 768);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        shell::LoadPalettes({});
        ASSERT_TRUE(tables.LoadAllTables(ZV_PROGRAM_DIR "/")) << tables.LastError();
        // A folder of this run's own: the same test may run in another process at the same time.
        temp = std::make_unique<zv::testing::TempDir>();
        corpsDir = fs::path(temp->Path()) / "organize";
        fs::create_directories(corpsDir / "USER");
        world.tables = &tables;
        world.workspace = &workspace;
        world.corpsDirectory = corpsDir.string();
        world.troopCache = &cache;
        services->organize = &world;
        ResetDragState();
        SetOrganizeMessageBoxHook([this](ui::Hwnd, const std::string& text, const std::string& caption,
                                         std::uint32_t type) {
            boxes.push_back({text, caption, type});
            if (answers.empty()) return type == ui::MB_YESNO ? ui::IDYES : ui::IDOK;
            const int a = answers.front();
            answers.pop_front();
            return a;
        });
        RegisterOrganizeWindows();
        owner = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 1024, 768, {}, 0,
                                   nullptr, nullptr);
        shell::SetWindowOfKind(shell::WindowKind::FrameWnd, owner);
    }

    void TearDown() override {
        for (ui::Hwnd top = ui::GetTopWindow({}); top; top = ui::GetTopWindow({})) ui::DestroyWindow(top);
        for (int k = 0; k < shell::kWindowKindCount; ++k) shell::SetWindowOfKind(k, {});
        SetOrganizeMessageBoxHook(nullptr);
        services->organize = nullptr;
        ResetDragState();
        wm.reset();
        temp.reset();
    }

    // The default corps file `name` of the content build, copied into our corps folder.
    void CopyDefaultCorps(const std::string& name, const std::string& as = "") {
        fs::copy_file(fs::path(ZV_PROGRAM_DIR) / "USER" / name, corpsDir / "USER" / (as.empty() ? name : as),
                      fs::copy_options::overwrite_existing);
    }

    std::vector<std::uint8_t> ReadFile(const std::string& name) const {
        std::ifstream in(corpsDir / "USER" / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    void Pump() { wm->PumpPending(); }

    ui::Point Centre(ui::Hwnd h) const {
        ui::Rect r{};
        ui::GetWindowRect(h, &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    ui::Point At(ui::Hwnd h, int x, int y) const {
        ui::Point p{x, y};
        ui::ClientToScreen(h, &p);
        return p;
    }
    // A click after the dialog's 100 ms timer has brought its buttons up to date.
    void Click(ui::Point p) {
        screen->AdvanceClock(150);
        Pump();
        screen->Click(p.x, p.y);
        Pump();
    }
    // Press at `from`, move past the drag threshold and on to `to`, release there.
    void DragTo(ui::Point from, ui::Point to) {
        screen->AdvanceClock(600);  // never a double click with the press before
        Pump();
        screen->MouseMove(from.x, from.y);
        screen->MouseDown(from.x, from.y);
        Pump();
        screen->MouseMove(from.x + 8, from.y + 8);
        Pump();

        screen->MouseMove(to.x, to.y);
        Pump();
        screen->MouseUp(to.x, to.y);
        Pump();
    }

    // The UnitInfo index of a unit by its name (UTF-8).
    int Unit(const std::string& name) {
        rules::UnitInfoCursor units(tables);
        const std::string sjis = core::Utf8ToSjis(name);
        for (int i = 0; i < tables.GetTableRecordCount(rules::TableId::UnitInfo); ++i) {
            if (units.Select(i) && std::string(units.GetName(), strnlen(units.GetName(), 24)) == sjis) return i;
        }
        ADD_FAILURE() << "no unit " << name;
        return -1;
    }

    bool BoxSaid(const std::string& text) const {
        for (const Box& b : boxes) {
            if (b.text == text) return true;
        }
        return false;
    }

    void Shot(const std::string& name) {
        wm->Flush();
        fs::create_directories("screenshots");
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot("screenshots/" + name + ".png", &error)) << error;
        // Every text on the screen fits its box and lies under no other window.
        for (const std::string& p : ui::CheckScreenTexts()) ADD_FAILURE() << name << ": " << p;
        wm->Flush();
    }

    // Runs `run`, whose modal dialog `act` drives once it is up; `opened` tells whether one came.
    intptr_t Drive(const std::function<intptr_t()>& run, std::function<void(ui::Hwnd)> act) {
        opened = false;
        gAct = [this, act](ui::Hwnd d) {
            opened = true;
            Pump();
            act(d);
            // A dialog the step left open would hold the test in its loop for ever.
            gWatchdog = ui::SetTimer({}, 96, 2000, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
                ui::KillTimer({}, id);
                ADD_FAILURE() << "the dialog is still open";
                const ui::Hwnd stuck = ui::GetActiveWindow();
                ui::SendMessage(stuck, ui::WM_COMMAND, ui::IDCANCEL, 0);
                ui::SendMessage(stuck, ui::WM_CLOSE, 0, 0);
            });
        };
        screen->SetAutoAdvance(true);
        // A call that opens no dialog leaves its timer behind: it goes with the call.
        const uintptr_t timer = ui::SetTimer({}, 95, 40, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            if (gAct) gAct(ui::GetActiveWindow());
        });
        const intptr_t r = run();
        ui::KillTimer({}, timer);
        ui::KillTimer({}, gWatchdog);
        screen->SetAutoAdvance(false);
        gAct = nullptr;
        return r;
    }

    rules::TableDirectory tables;
    rules::ForceWorkspace workspace;
    rules::TroopCache cache;
    OrganizeWorld world;
    std::unique_ptr<zv::testing::TempDir> temp;
    fs::path corpsDir;
    ui::HeadlessBackend* screen = nullptr;
    shell::ScopedServices services;
    std::unique_ptr<ui::WindowManager> wm;
    ui::Hwnd owner{};
    std::vector<Box> boxes;
    std::deque<int> answers;
    bool opened = false;
    static inline std::function<void(ui::Hwnd)> gAct;
    static inline uintptr_t gWatchdog = 0;
};

}  // namespace zv::organize::testing
