// The frame's menu commands as a table: whether each can run with no document, with a map open
// and during a game, and what the ones the frame carries out send.

#include <map>
#include <string>
#include <vector>

#include "shell/WindowMessages.h"
#include "platform/ui/Menu.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameMenus.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/SimulationClock.h"
#include "shell/game/tests/ProgramFixture.h"

namespace zv::shell {
namespace {

using testing::ProgramRun;

// Every message a spy window sees.
std::vector<std::pair<uint32_t, ui::WParam>>* gSeen = nullptr;
ui::LResult SpyProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (gSeen && msg >= ui::WM_USER) gSeen->emplace_back(msg, w);
    if (gSeen && msg == ui::WM_COMMAND) gSeen->emplace_back(msg, w);
    if (msg == ui::WM_COMMAND) return 1;
    return ui::DefWindowProc(h, msg, w, l);
}

struct Row {
    int id;
    bool none, document;
};

// What GetMenuItemID answers for a pop-up or a position without an item.
constexpr uint32_t kNoMenuItem = 0xFFFFFFFFu;

// Every item of every menu bar is a command the frame knows, and its text comes with it.
void CollectItems(ui::Hmenu menu, std::vector<std::pair<int, std::string>>& items) {
    for (int i = 0; i < ui::GetMenuItemCount(menu); ++i) {
        if (const ui::Hmenu sub = ui::GetSubMenu(menu, i)) {
            CollectItems(sub, items);
            continue;
        }
        const uint32_t id = ui::GetMenuItemID(menu, i);
        if (id == 0 || id == kNoMenuItem) continue;
        items.emplace_back(static_cast<int>(id), ui::GetMenuString(menu, static_cast<uint32_t>(i), ui::MF_BYPOSITION));
    }
}

TEST(FrameCommands, EveryMenuItemIsACommandOfTheTable) {
    RegisterFrameMenus();
    for (int number : {kMenuMapEditor, kMenuGame, kMenuSystem, kMenuFightDisplay, kMenuSound, kMenuDevelopment}) {
        const ui::Hmenu menu = ui::LoadMenu(nullptr, number);
        ASSERT_TRUE(menu) << number;
        std::vector<std::pair<int, std::string>> items;
        CollectItems(menu, items);
        EXPECT_FALSE(items.empty()) << number;
        for (const auto& [id, text] : items) {
            EXPECT_TRUE(IsFrameCommand(id)) << number << ": " << id;
            EXPECT_FALSE(text.empty()) << number << ": " << id;
        }
        ui::DestroyMenu(menu);
    }
    EXPECT_FALSE(IsFrameCommand(40090));  // the panels' own ids reach the frame only as handlers
}

TEST(FrameCommands, EnabledStateFollowsTheModeAndTheWindowsThatExist) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        const Row rows[] = {
            // File: the document items need a map.
            {40007, true, true}, {40008, true, true}, {40009, false, true}, {40010, false, true},
            {40011, false, true}, {40012, true, true},
            // The corps editor is there from start-up.
            {40002, true, true},
            // The editor's: undo and redo wait for an edit; the rest need the editor's map,
            // except the import, which opens a map of its own.
            {40013, false, false}, {40062, false, false}, {40014, false, true},
            {40015, false, true}, {40080, false, true}, {40099, false, true}, {40097, true, true},
            // Handed to later windows: greyed until they plug in.
            // The game's end and the alliances come with the in-game windows.
            {40118, true, true}, {40119, true, true}, {40122, true, true},
            // Toggles: the tool palette never holds a window; the HQ window is a document item;
            // the lists and the news exist from start-up.
            {40055, false, false}, {40043, false, true}, {40019, true, true}, {40084, true, true},
            // Forwarded to the map.
            {40116, false, true}, {40058, false, true}, {40072, false, true}, {40039, false, true},
            // Always there.
            {40026, true, true}, {40083, true, true}, {40124, true, true}, {40126, true, true},
            {40048, true, true}, {40027, true, true},
            // Doing nothing by design.
            {40082, false, false},
        };
        for (const Row& r : rows) EXPECT_EQ(IsFrameCommandAvailable(r.id), r.none) << r.id << " without a map";
        ASSERT_EQ(OpenMapDocument(frame, 1), 1);
        for (const Row& r : rows) EXPECT_EQ(IsFrameCommandAvailable(r.id), r.document) << r.id << " with a map";

        // The menu shows it: greyed items of the editor's bar.
        const ui::Hmenu menu = ui::GetMenu(frame);
        ui::SendMessage(frame, ui::WM_INITMENU, 0, 0);
        EXPECT_TRUE(ui::GetMenuState(menu, 40013, ui::MF_BYCOMMAND) & ui::MF_GRAYED);
        EXPECT_TRUE(ui::GetMenuState(menu, 40062, ui::MF_BYCOMMAND) & ui::MF_GRAYED);
        EXPECT_FALSE(ui::GetMenuState(menu, 40014, ui::MF_BYCOMMAND) & ui::MF_GRAYED);
        EXPECT_FALSE(ui::GetMenuState(menu, 40072, ui::MF_BYCOMMAND) & ui::MF_GRAYED);
        EXPECT_FALSE(ui::GetMenuState(menu, 40009, ui::MF_BYCOMMAND) & ui::MF_GRAYED);

        // A later window plugs its command in and the item comes alive.
        int ran = 0;
        SetFrameCommandHandler(40122, [&](ui::Hwnd, ui::WParam, ui::LParam) { return ++ran; });
        EXPECT_TRUE(IsFrameCommandAvailable(40122));
        ui::SendMessage(frame, ui::WM_COMMAND, 40122, 0);
        EXPECT_EQ(ran, 1);
        // ... and says when it can run.
        bool can = false;
        SetFrameCommandHandler(40122, [&](ui::Hwnd, ui::WParam, ui::LParam) { return ++ran; }, [&] { return can; });
        EXPECT_FALSE(IsFrameCommandAvailable(40122));
        can = true;
        EXPECT_TRUE(IsFrameCommandAvailable(40122));
        SetFrameCommandHandler(40122, nullptr);
        EXPECT_FALSE(IsFrameCommandAvailable(40122));

        // A window of a kind makes its toggle live, and the toggle shows and hides it.
        ui::WindowClass wc;
        wc.name = "FrameCommandSpy";
        wc.proc = SpyProc;
        ui::RegisterClass(wc);
        const ui::Hwnd news = ui::CreateWindowEx(0, "FrameCommandSpy", "", ui::WS_CHILD, 0, 0, 50, 50,
                                                 GetWindowOfKind(WindowKind::MdiWnd), 0, nullptr, nullptr);
        SetWindowOfKind(WindowKind::NewsWnd, news);
        EXPECT_TRUE(IsFrameCommandAvailable(40084));
        ui::SendMessage(frame, ui::WM_COMMAND, 40084, 0);
        EXPECT_TRUE(ui::IsWindowVisible(news));
        ui::SendMessage(frame, ui::WM_COMMAND, 40084, 0);
        EXPECT_FALSE(ui::IsWindowVisible(news));

        // Settings toggles flip their option.
        const struct {
            int id;
            int (*get)();
        } flips[] = {{40124, GetFightSimple}, {40127, GetSound}, {40130, GetFightMine}, {40131, GetFightOther}};
        for (const auto& f : flips) {
            const int before = f.get();
            ui::SendMessage(frame, ui::WM_COMMAND, f.id, 0);
            EXPECT_EQ(f.get(), before == 1 ? 0 : 1) << f.id;
        }

        // Forwarded commands reach the map window with their id.
        std::vector<std::pair<uint32_t, ui::WParam>> seen;
        gSeen = &seen;
        const ui::Hwnd realMap = GetWindowOfKind(WindowKind::MapWnd);
        const ui::Hwnd spyMap = ui::CreateWindowEx(0, "FrameCommandSpy", "", ui::WS_CHILD | ui::WS_VISIBLE, 0, 0, 50,
                                                   50, frame, 0, nullptr, nullptr);
        SetWindowOfKind(WindowKind::MapWnd, spyMap);
        for (int id : {40116, 40058, 40113, 40115}) ui::SendMessage(frame, ui::WM_COMMAND, id, 0);
        ui::SendMessage(frame, ui::WM_COMMAND, 40039, 0);
        gSeen = nullptr;
        const std::vector<std::pair<uint32_t, ui::WParam>> expected = {
            {ui::WM_COMMAND, 40116}, {ui::WM_COMMAND, 40058}, {ui::WM_COMMAND, 40113},
            {ui::WM_COMMAND, 40115}, {zv::WM_MAP_REBUILD, 40039}};
        EXPECT_EQ(seen, expected);
        SetWindowOfKind(WindowKind::MapWnd, realMap);
        ui::DestroyWindow(spyMap);

        // Closing the document greys the document items again.
        ui::SendMessage(frame, ui::WM_COMMAND, 40009, 0);
        EXPECT_FALSE(GetWindowOfKind(WindowKind::MapWnd));
        EXPECT_FALSE(IsFrameCommandAvailable(40009));
        ui::PostMessage(frame, WM_EXIT_GAME, 0, 0);
    });
}

TEST(FrameCommands, HelpOpensThePageWithTheDesktopsProgram) {
    ProgramRun run;
    const std::string opener = run.dir.Path() + "opener.sh";
    {
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << run.dir.Path() << "opened'\n";
    }
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    ::setenv("ZV_DESKTOP_OPENER", opener.c_str(), 1);
    run.Run([&](ui::Hwnd frame) {
        ui::SendMessage(frame, ui::WM_COMMAND, 40083, 0);
        ui::PostMessage(frame, WM_EXIT_GAME, 0, 0);
    });
    ::unsetenv("ZV_DESKTOP_OPENER");
    std::ifstream in(run.dir.Path() + "opened");
    std::string opened((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(opened.ends_with("help/index.htm")) << opened;
    EXPECT_TRUE(std::filesystem::exists(opened));
}

}  // namespace
}  // namespace zv::shell
