// Menu commands whose effect depends on a value: the music toggle plays the player country's
// anthem only for the numbers 1-10; the map display options check their item only when the map
// took the option; the table group and panel column toggles need a visible map.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/ProcessState.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/records/MapCursors.h"
#include "shell/Settings.h"
#include "shell/WindowRegistry.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/tests/ProgramFixture.h"

namespace zv::shell {
namespace {

using testing::ProgramRun;

// The music requests the frame hears: (kind, file name for a start).
std::vector<std::pair<ui::WParam, std::string>>* gMusic = nullptr;
ui::WndProc gFrameProc = nullptr;

ui::LResult MusicSpy(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == WM_MUSIC_CONTROL && gMusic) {
        std::string name;
        if (w == 0 && l) {
            name = reinterpret_cast<const char*>(l);
            name = name.substr(name.find_last_of("\\/") + 1);
        }
        gMusic->emplace_back(w, name);
    }
    return gFrameProc(h, msg, w, l);
}

TEST(FrameMenuOptions, TheMusicToggleOnlyPlaysAnthemsOneToTen) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        std::vector<std::pair<ui::WParam, std::string>> music;
        gMusic = &music;
        gFrameProc = reinterpret_cast<ui::WndProc>(
            ui::SetWindowLongPtr(frame, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(&MusicSpy)));
        ASSERT_NE(gFrameProc, nullptr);
        fw::SetPlayerCountry(0);
        rules::CountryCursor country(*CurrentGameWorld()->tables);
        ASSERT_TRUE(country.Select(0));
        const struct {
            int number;
            const char* file;  // null: nothing plays
        } cases[] = {{0, nullptr}, {1, "BGM01.MID"}, {7, "BGM07.MID"}, {10, "BGM10.MID"}, {11, nullptr}, {255, nullptr}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.number);
            country.SetFlag64(std::uint8_t(c.number));
            PutBgm(0);
            music.clear();
            ui::SendMessage(frame, ui::WM_COMMAND, 40126, 0);
            EXPECT_EQ(GetBgm(), 1);
            std::vector<std::pair<ui::WParam, std::string>> expected;
            if (c.file) expected = {{0, c.file}, {1, ""}};
            EXPECT_EQ(music, expected);
            // Off again: the music stops, whatever the number.
            music.clear();
            ui::SendMessage(frame, ui::WM_COMMAND, 40126, 0);
            EXPECT_EQ(GetBgm(), 0);
            EXPECT_EQ(music, (std::vector<std::pair<ui::WParam, std::string>>{{3, ""}}));
        }
        ui::SetWindowLongPtr(frame, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(gFrameProc));
        gMusic = nullptr;
        ui::PostMessage(frame, WM_EXIT_GAME, 0, 0);
    });
}

// A map that takes the display options it is told to.
std::vector<int>* gTaken = nullptr;
ui::LResult ChoosyMapProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_COMMAND) {
        const int id = ui::LoWord(w);
        for (int t : *gTaken)
            if (t == id) return 1;
        return 0;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

TEST(FrameMenuOptions, DisplayOptionsAreCheckedOnlyWhenTheMapTookThem) {
    ProgramRun run;
    run.Run([&](ui::Hwnd frame) {
        ASSERT_EQ(OpenMapDocument(frame, 1), 1);
        const ui::Hwnd realMap = GetWindowOfKind(WindowKind::MapWnd);
        ui::WindowClass wc;
        wc.name = "ChoosyMap";
        wc.proc = ChoosyMapProc;
        ui::RegisterClass(wc);
        const ui::Hwnd map = ui::CreateWindowEx(0, "ChoosyMap", "", ui::WS_CHILD | ui::WS_VISIBLE, 0, 0, 50, 50, frame,
                                                0, nullptr, nullptr);
        SetWindowOfKind(WindowKind::MapWnd, map);
        const ui::Hmenu menu = ui::GetMenu(frame);
        std::vector<int> taken;
        gTaken = &taken;
        for (bool take : {true, false, true}) {
            taken.clear();
            for (int id = 40064; id <= 40072; ++id)
                if (take == (id % 2 == 0)) taken.push_back(id);
            for (int id = 40064; id <= 40072; ++id) {
                if (id == 40071) continue;  // not an option of the map
                ui::SendMessage(frame, ui::WM_COMMAND, static_cast<ui::WParam>(id), 0);
                const bool checked = ui::GetMenuState(menu, static_cast<uint32_t>(id), ui::MF_BYCOMMAND) & ui::MF_CHECKED;
                EXPECT_EQ(checked, take == (id % 2 == 0)) << id;
            }
        }
        gTaken = nullptr;
        SetWindowOfKind(WindowKind::MapWnd, realMap);
        ui::DestroyWindow(map);

        // The table group toggle does nothing while the map is hidden.
        const ui::Hwnd table = GetWindowOfKind(WindowKind::TableGroopWnd);
        ASSERT_TRUE(table);
        const bool tableShown = ui::IsWindowVisible(table);
        ui::ShowWindow(realMap, ui::SW_HIDE);
        for (int id : {40056, 40095}) {
            const ui::Hwnd w = GetWindowOfKind(id == 40056 ? WindowKind::TableGroopWnd : WindowKind::PanelManeger);
            if (!w) continue;
            const bool shown = ui::IsWindowVisible(w);
            EXPECT_EQ(ui::SendMessage(frame, ui::WM_COMMAND, static_cast<ui::WParam>(id), 0), 1);
            EXPECT_EQ(ui::IsWindowVisible(w), shown) << id << " acted without a visible map";
        }
        ui::ShowWindow(realMap, ui::SW_SHOW);
        ui::SendMessage(frame, ui::WM_COMMAND, 40056, 0);
        EXPECT_NE(ui::IsWindowVisible(table), tableShown) << "with the map shown it toggles";
        ui::SendMessage(frame, ui::WM_COMMAND, 40056, 0);
        EXPECT_EQ(ui::IsWindowVisible(table), tableShown);
        ui::PostMessage(frame, WM_EXIT_GAME, 0, 0);
    });
}

}  // namespace
}  // namespace zv::shell
