// The map editor reached the way a player reaches it, through the whole program with the title,
// by mouse and keys only: from the title's menu bar into a new map, painted, undone and redone
// by the menu and by the keys, the map settings, the map check, saved, closed back to the title
// and opened again from the title with its preview. A running game is left for the editor only
// after the player agreed. Every popup of the editor's and the game's menu bars opens on a
// click on its title.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "mapview/MapCheckDialog.h"
#include "mapview/MapEditorContext.h"
#include "mapview/MapSettingsDialog.h"
#include "mapview/SelMapEditWindow.h"
#include "organize/OrganizeState.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/tests/UiTestSupport.h"
#include "rules/records/MapCursors.h"
#include "setup/Conditions.h"
#include "setup/SetupContainer.h"
#include "setup/SinglePlayPages.h"
#include "setup/tests/SetupDriver.h"
#include "shell/editor/MapEditorDocument.h"
#include "shell/editor/PreviewFileDialog.h"
#include "shell/WindowRegistry.h"
#include "shell/game/EditorCommands.h"
#include "shell/game/FrameWindow.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameEnd.h"
#include "shell/game/GameMessages.h"
#include "shell/game/SimulationClock.h"
#include "shell/Settings.h"
#include "shell/game/tests/ProgramFixture.h"

namespace zv::setup {
namespace {

namespace fs = std::filesystem;
using shell::WindowKind;
using shell::testing::ProgramRun;
using shell::testing::ScreenshotPath;
using testing::ClickAt;
using testing::ClickComboItem;
using testing::ClickControl;
using testing::ClickListRow;
using testing::CorpsList;
using testing::CorpsRowOfFile;

constexpr const char* kSavedMap = "MAP00077.ddm";

// The program with the title and a MAP folder of its own (links to the built maps), so that a
// save writes nothing into the built program directory.
class Road : public ProgramRun {
  public:
    Road() {
        const fs::path folder = fs::path(dir.Path()) / "MAP";
        const fs::path built = fs::read_symlink(folder);
        fs::remove(folder);
        fs::create_directory(folder);
        for (const auto& entry : fs::directory_iterator(built)) fs::create_symlink(entry.path(), folder / entry.path().filename());
    }

    ui::Hwnd Map() { return shell::GetWindowOfKind(WindowKind::MapWnd); }
    rules::TableDirectory& Tables() { return *shell::CurrentGameWorld()->tables; }
    bool TitleUp() {
        const ui::Hwnd page = GetSetupPage(kPageTitle);
        return GetMainMenuWindow() && page && ui::IsWindowVisible(page);
    }

    // The bar the frame carries: the editor's has 編集(&E) second, the game's 表示(&L).
    static std::string BarTitle(ui::Hwnd frame, int pos) {
        return core::SjisToUtf8(ui::GetMenuString(ui::GetMenu(frame), static_cast<uint32_t>(pos), ui::MF_BYPOSITION));
    }
    static bool EditorBar(ui::Hwnd frame) {
        return ui::GetMenuItemCount(ui::GetMenu(frame)) == 5 && BarTitle(frame, 1) == "編集(&E)";
    }
    static bool GameBar(ui::Hwnd frame) {
        return ui::GetMenuItemCount(ui::GetMenu(frame)) == 4 && BarTitle(frame, 1) == "表示(&L)";
    }
    bool ItemEnabled(ui::Hwnd frame, int id) {
        ui::SendMessage(frame, ui::WM_INITMENU, 0, 0);
        return !(ui::GetMenuState(ui::GetMenu(frame), static_cast<uint32_t>(id), ui::MF_BYCOMMAND) & ui::MF_GRAYED);
    }

    void ClickCentre(const ui::Rect& r) { screen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    void Click(ui::Hwnd h) {
        ui::Rect r{};
        ui::GetWindowRect(h, &r);
        ClickCentre(r);
        Pump();
    }

    // A click on the title of bar popup `pos`; `inMenu` runs inside the menu's loop (from a
    // timer) with the popup's menu and must end the loop. False when the loop never ran it.
    bool ClickBar(ui::Hwnd frame, int pos, std::function<void(ui::Hmenu)> inMenu) {
        ui::Rect title{};
        if (!ui::GetMenuItemRect(frame, ui::GetMenu(frame), static_cast<uint32_t>(pos), &title)) return false;
        const ui::Hmenu popup = ui::GetSubMenu(ui::GetMenu(frame), pos);
        gStep = [inMenu = std::move(inMenu), popup](ui::Hwnd) { inMenu(popup); };
        // The timers of the menu's loop run on the screen's clock.
        screen->SetAutoAdvance(true);
        Arm(false);
        ClickCentre(title);
        const bool ran = PumpUntil([] { return gStep == nullptr; }, 20);
        if (!ran) gStep = nullptr;
        Pump();
        screen->SetAutoAdvance(false);
        return ran;
    }
    // Inside a menu loop: whether the popup is open, and a click on its item `id`.
    static bool PopupOpen(ui::Hwnd frame, ui::Hmenu popup) {
        ui::Rect r{};
        return ui::GetMenuItemRect(frame, popup, 0, &r);
    }
    void ClickItem(ui::Hwnd frame, ui::Hmenu popup, int id) {
        for (int i = 0; i < ui::GetMenuItemCount(popup); ++i) {
            if (static_cast<int>(ui::GetMenuItemID(popup, i)) != id) continue;
            ui::Rect r{};
            if (ui::GetMenuState(popup, static_cast<uint32_t>(i), ui::MF_BYPOSITION) & ui::MF_GRAYED) break;
            if (ui::GetMenuItemRect(frame, popup, static_cast<uint32_t>(i), &r)) {
                ClickCentre(r);
                return;
            }
        }
        ADD_FAILURE() << "item " << id << " is not on the open popup, or greyed";
        Key(ui::VK_ESCAPE);
        Key(ui::VK_ESCAPE);
    }
    // The bar popup's item by mouse, the title first.
    void Choose(ui::Hwnd frame, int pos, int id) {
        EXPECT_TRUE(ClickBar(frame, pos, [&, frame](ui::Hmenu popup) {
            EXPECT_TRUE(PopupOpen(frame, popup)) << "bar item " << pos;
            ClickItem(frame, popup, id);
        })) << "bar item " << pos;
    }
    // The same where the command brings up a dialog or a box: `act` runs on it (from a timer in
    // its loop) and must close it.
    void ChooseModal(ui::Hwnd frame, int pos, int id, std::function<void(ui::Hwnd)> act) {
        bool clicked = false;
        EXPECT_TRUE(ClickBar(frame, pos, [&, frame](ui::Hmenu popup) {
            ClickItem(frame, popup, id);
            clicked = true;
            WhenModal(std::move(act));
        }));
        if (!clicked) return;
        screen->SetAutoAdvance(true);
        EXPECT_TRUE(PumpUntil([] { return gStep == nullptr; }, 20)) << "no dialog came up for " << id;
        gStep = nullptr;
        Pump();
        screen->SetAutoAdvance(false);
    }
    // Keys (Alt+letter, letter) where the command brings up a dialog or a box.
    void KeysModal(char popup, char item, std::function<void(ui::Hwnd)> act) {
        WhenModal(std::move(act));
        screen->SetAutoAdvance(true);
        MenuKeys(popup, item);
        EXPECT_TRUE(PumpUntil([] { return gStep == nullptr; }, 20)) << "no dialog came up for " << item;
        gStep = nullptr;
        Pump();
        screen->SetAutoAdvance(false);
    }
    // The next dialog or box that becomes the active window gets `act`.
    static void WhenModal(std::function<void(ui::Hwnd)> act) {
        gStep = std::move(act);
        Arm(true);
    }

    // Paints one hex with a click of the left button in the editor's map window.
    void PaintHex(int x, int y) {
        std::int16_t p[2] = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
        mapview::GetEditorDocument(Map())->HexToPixel(p);
        ui::Point at{p[0] + 16, p[1] + 16};
        ui::ClientToScreen(Map(), &at);
        screen->Click(at.x, at.y);
        Pump();
    }
    int LandKindAt(int x, int y) {
        rules::HexCursor hexes(Tables());
        return hexes.Select(x + 64 * y) ? hexes.GetLandKind() : -1;
    }
    std::string MapTitle() { return core::SjisToUtf8(rules::ScenarioHeaderCursor(Tables()).GetTitle()); }
    void Type(ui::Hwnd dlg, int id, const std::string& utf8) {
        const ui::Hwnd edit = ui::GetDlgItem(dlg, id);
        Click(edit);
        ui::SendMessage(edit, ui::EM_SETSEL, 0, -1);
        Key(ui::VK_DELETE);
        screen->Text(utf8);
        Pump();
    }
    void Shot(const std::string& name) {
        Pump();
        ui::WindowManager::Current()->Flush();
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot(ScreenshotPath(name), &error)) << error;
    }

    static inline std::function<void(ui::Hwnd)> gStep;

  private:
    // A timer of the thread that hands gStep the active window once a menu's loop runs (or,
    // when none comes within some twenty ticks, anyway: the step then finds no popup open) or,
    // for a dialog, once a dialog or a box is the active window.
    static void Arm(bool dialogOnly) {
        gDialogOnly = dialogOnly;
        gTicks = 0;
        ui::SetTimer({}, 93, 30, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            const ui::Hwnd active = ui::GetActiveWindow();
            if (gDialogOnly && ui::GetClassName(active) != ui::kDialogClass) return;
            if (!gDialogOnly && !ui::IsMenuActive() && ++gTicks < 20) return;
            ui::KillTimer({}, id);
            if (auto step = std::exchange(gStep, nullptr)) step(active);
        });
    }
    static inline bool gDialogOnly = false;
    static inline int gTicks = 0;
};

ui::HeadlessBackend* gStartScreen = nullptr;

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Which popups of the bar open on a click on their titles (bar titles, UTF-8).
std::vector<std::string> PopupsThatOpen(Road& run, ui::Hwnd frame) {
    std::vector<std::string> opened;
    for (int pos = 0; pos < ui::GetMenuItemCount(ui::GetMenu(frame)); ++pos) {
        bool open = false;
        run.ClickBar(frame, pos, [&](ui::Hmenu popup) {
            open = Road::PopupOpen(frame, popup);
            run.Key(ui::VK_ESCAPE);
            run.Key(ui::VK_ESCAPE);
        });
        // A click away from every window ends a menu that stayed open.
        if (ui::IsMenuActive()) run.Key(ui::VK_ESCAPE);
        if (open) opened.push_back(Road::BarTitle(frame, pos));
    }
    return opened;
}

const std::vector<std::string> kEditorPopups = {"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&L)", "地図(&M)", "ヘルプ"};
// Without a map the third popup (表示) is greyed as a whole and stays shut.
const std::vector<std::string> kTitlePopups = {"ﾌｧｲﾙ(&F)", "編集(&E)", "地図(&M)", "ヘルプ"};
const std::vector<std::string> kGamePopups = {"ﾌｧｲﾙ(&F)", "表示(&L)", "地図(&M)", "ヘルプ"};

using EditorRoad = testing::SetupProgramTest;

TEST_F(EditorRoad, FromTheTitleIntoTheEditorAndBackByTheMenuBar) {
    Road run;
    const fs::path saved = fs::path(run.dir.Path()) / "MAP" / kSavedMap;
    bool finished = false;
    const int code = run.Run([&](ui::Hwnd frame) {
        ASSERT_TRUE(run.TitleUp());
        EXPECT_TRUE(Road::EditorBar(frame)) << "the title lies under the editor's bar";
        ui::Rect title{}, client{};
        ui::GetWindowRect(GetMainMenuWindow(), &title);
        ui::GetClientRect(frame, &client);
        ui::Point origin{0, 0};
        ui::ClientToScreen(frame, &origin);
        EXPECT_EQ(title.top, origin.y) << "the bar above the title stays in sight";
        EXPECT_EQ(title.Height(), client.Height());
        run.Shot("editor_road_title");

        // On the title only the file commands that open a map are live.
        EXPECT_TRUE(run.ItemEnabled(frame, 40007));
        EXPECT_TRUE(run.ItemEnabled(frame, 40008));
        EXPECT_FALSE(run.ItemEnabled(frame, shell::kCmdCloseMapDocument));
        EXPECT_FALSE(run.ItemEnabled(frame, shell::kCmdUndo));
        EXPECT_EQ(PopupsThatOpen(run, frame), kTitlePopups) << "every live popup opens over the title";

        // A dialog of the frame holds the title; a dialog of the title holds the frame's bar.
        bool titleHeld = false;
        run.ChooseModal(frame, 4, 40026, [&](ui::Hwnd dlg) {
            titleHeld = !ui::IsWindowEnabled(GetMainMenuWindow());
            ui::SendMessage(dlg, ui::WM_COMMAND, ui::IDOK, 0);
        });
        EXPECT_TRUE(titleHeld) << "この製品について holds the title";
        EXPECT_TRUE(ui::IsWindowEnabled(GetMainMenuWindow()));
        bool frameHeld = false;
        Road::WhenModal([&](ui::Hwnd dlg) {
            frameHeld = !ui::IsWindowEnabled(frame);
            ui::SendMessage(dlg, ui::WM_CLOSE, 0, 0);
        });
        run.screen->SetAutoAdvance(true);
        ClickControl(run.screen, GetSetupPage(kPageTitle), kIdCorpsEditor);
        EXPECT_TRUE(run.PumpUntil([] { return Road::gStep == nullptr; }, 20)) << "no corps editor";
        run.Pump();
        run.screen->SetAutoAdvance(false);
        EXPECT_TRUE(frameHeld) << "the corps editor holds the frame's bar";
        EXPECT_TRUE(ui::IsWindowEnabled(frame));
        ASSERT_TRUE(run.TitleUp());

        // ﾌｧｲﾙ / 新規作成 by mouse: the title gives way to an empty map in the editor.
        run.Choose(frame, 0, 40007);
        ASSERT_TRUE(run.PumpUntil([&] { return shell::IsEditorMapOpen(); }, 10));
        EXPECT_FALSE(GetMainMenuWindow()) << "the title is gone";
        EXPECT_FALSE(IsMainMenuOpen());
        EXPECT_TRUE(Road::EditorBar(frame));
        ASSERT_EQ(run.LandKindAt(12, 10), 5) << "a new map is all sea";

        // Two strokes painted with the mouse; 編集 / やり直し by mouse takes the last back,
        // 元に戻す by mouse brings it again; then the same by the keys.
        run.PaintHex(12, 10);
        run.PaintHex(14, 11);
        ASSERT_EQ(run.LandKindAt(14, 11), 0);
        run.Shot("editor_road_painted");
        run.Choose(frame, 1, shell::kCmdUndo);
        EXPECT_EQ(run.LandKindAt(14, 11), 5);
        EXPECT_EQ(run.LandKindAt(12, 10), 0);
        EXPECT_FALSE(run.ItemEnabled(frame, shell::kCmdUndo));
        run.Choose(frame, 1, shell::kCmdRedo);
        EXPECT_EQ(run.LandKindAt(14, 11), 0);
        run.MenuKeys('E', 'U');
        run.Pump();
        EXPECT_EQ(run.LandKindAt(14, 11), 5) << "Alt+E, U undoes";
        run.MenuKeys('E', 'R');
        run.Pump();
        EXPECT_EQ(run.LandKindAt(14, 11), 0) << "Alt+E, R redoes";

        // 編集 / マップ設定 by mouse: the title typed; the step is undone and redone.
        run.ChooseModal(frame, 1, shell::kCmdMapSettings, [&](ui::Hwnd dlg) {
            EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(dlg)), "マップ設定");
            run.Type(dlg, mapview::kIdMapTitle, "道の島");
            run.Shot("editor_road_settings");
            run.Click(ui::GetDlgItem(dlg, ui::IDOK));
        });
        EXPECT_EQ(run.MapTitle(), "道の島");
        run.MenuKeys('E', 'U');
        run.Pump();
        EXPECT_NE(run.MapTitle(), "道の島");
        run.MenuKeys('E', 'R');
        run.Pump();
        ASSERT_EQ(run.MapTitle(), "道の島");

        // 編集 / マップチェック by mouse: an island without headquarters cannot be played.
        std::string report;
        run.ChooseModal(frame, 1, shell::kCmdMapCheck, [&](ui::Hwnd dlg) {
            report = core::SjisToUtf8(ui::GetDlgItemText(dlg, mapview::kIdMapCheckReport));
            run.Shot("editor_road_map_check");
            run.Click(ui::GetDlgItem(dlg, mapview::kIdMapCheckClose));
        });
        EXPECT_NE(report.find("上記のエラーを発見しました。"), std::string::npos) << report;

        // ﾌｧｲﾙ / 名前を付けて保存 by mouse, the name typed into the dialog.
        run.ChooseModal(frame, 0, shell::kCmdSaveMapAs, [&](ui::Hwnd dlg) {
            const ui::Hwnd edit = ui::GetDlgItem(dlg, ui::edt1);
            ui::SetFocus(edit);
            ui::SetWindowText(edit, "");
            run.screen->Text(kSavedMap);
            run.Key(ui::VK_RETURN);
        });
        ASSERT_TRUE(fs::exists(saved));
        const std::vector<std::uint8_t> bytes = FileBytes(saved);

        // ﾌｧｲﾙ / 閉じる: the title comes back over the empty frame.
        run.Choose(frame, 0, shell::kCmdCloseMapDocument);
        ASSERT_TRUE(run.PumpUntil([&] { return run.TitleUp(); }, 10)) << "closing the map shows the title";
        EXPECT_FALSE(run.Map());
        EXPECT_TRUE(Road::EditorBar(frame));

        // From the title again, ﾌｧｲﾙ / 開く by the keys: the saved map in the list, its
        // preview, then the map in the editor.
        bool previewed = false;
        run.KeysModal('F', 'O', [&](ui::Hwnd dlg) {
            EXPECT_TRUE(ui::testing::ClickListBoxRowNamed(*run.screen, ui::GetDlgItem(dlg, ui::lst1), kSavedMap));
            run.Pump();
            for (ui::Hwnd c = ui::GetWindow(dlg, ui::GW_CHILD); c; c = ui::GetWindow(c, ui::GW_HWNDNEXT)) {
                if (const ui::Hwnd text = ui::GetDlgItem(c, shell::kIdPreviewDescription); text) previewed = true;
            }
            run.Shot("editor_road_open_preview");
            run.Click(ui::GetDlgItem(dlg, ui::IDOK));
        });
        EXPECT_TRUE(previewed) << "the open dialog has its preview pane";
        ASSERT_TRUE(run.PumpUntil([&] { return shell::IsEditorMapOpen(); }, 10));
        EXPECT_FALSE(GetMainMenuWindow());
        EXPECT_EQ(run.MapTitle(), "道の島");
        EXPECT_EQ(run.LandKindAt(12, 10), 0);
        EXPECT_EQ(run.LandKindAt(14, 11), 0);
        EXPECT_EQ(PopupsThatOpen(run, frame), kEditorPopups) << "every popup opens in the editor";
        run.Shot("editor_road_reopened");

        // ﾌｧｲﾙ / 上書き保存, answered Yes: the same bytes again.
        fs::remove(saved);
        run.ChooseModal(frame, 0, shell::kCmdOverwriteMap, [&](ui::Hwnd box) { run.Click(ui::GetDlgItem(box, ui::IDYES)); });
        EXPECT_EQ(FileBytes(saved), bytes);

        finished = true;
        ui::PostMessage(frame, zv::WM_EXIT_GAME, 0, 0);
    });
    EXPECT_TRUE(finished);
    EXPECT_EQ(code, 0);
}

// A single game on the first default map, the corps deployed automatically; true once its
// clock runs.
bool StartAGame(Road& run) {
    ClickControl(run.screen, GetSetupPage(kPageTitle), kIdSinglePlay);
    run.Pump();
    const ui::Hwnd files = GetSetupPage(kPageSingleFile);
    const ui::Hwnd list = ui::GetDlgItem(files, kIdFileList);
    bool chosen = false;
    for (int row = 0; !chosen && row < int(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0)); ++row) {
        ClickListRow(run.screen, list, row);
        run.Pump();
        chosen = std::string(GetChosenSetupFile(false, nullptr)) == "MAP00001.ddm";
    }
    if (!chosen) return false;
    ClickControl(run.screen, files, kIdSetupNext);
    run.Pump();
    const ui::Hwnd corpsPage = GetSetupPage(kPageSingleCorps);
    ClickListRow(run.screen, CorpsList(corpsPage), CorpsRowOfFile("useFrc00.prm"));
    run.Pump();
    ClickControl(run.screen, corpsPage, kIdSetupNext);
    run.Pump();
    const ui::Hwnd conditions = GetSetupPage(kPageSingleConditions);
    ClickComboItem(run.screen, ui::GetDlgItem(conditions, RoleComboId(0)), kRoleUser, [&] { run.Pump(); });
    // The deployment dialog's loop places the corps and starts the game.
    run.screen->SetAutoAdvance(true);
    ui::SetTimer({}, 94, 50, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
        const ui::Hwnd dialog = organize::GetOrganizeState().dialog;
        if (!dialog) return;
        ui::KillTimer({}, id);
        for (int button : {organize::kIdAutoDeploy, organize::kIdGameStart}) {
            ui::Rect r{};
            ui::GetWindowRect(ui::GetDlgItem(dialog, button), &r);
            ui::WindowManager::Current();
            gStartScreen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        }
    });
    gStartScreen = run.screen;
    ClickControl(run.screen, conditions, kIdSetupNext);
    const bool running = run.PumpUntil([] { return shell::IsClockRunning() != 0; }, 30);
    run.screen->SetAutoAdvance(false);
    return running;
}

TEST_F(EditorRoad, ARunningGameIsLeftForTheEditorOnlyWhenThePlayerAgrees) {
    Road run;
    bool finished = false;
    const int code = run.Run([&](ui::Hwnd frame) {
        shell::PutFightMine(0);
        shell::PutFightOther(0);
        ASSERT_TRUE(StartAGame(run)) << LastBox();
        EXPECT_TRUE(Road::GameBar(frame)) << "the game's bar during a game";
        EXPECT_EQ(PopupsThatOpen(run, frame), kGamePopups) << "every popup opens during a game";
        run.Shot("editor_road_game");

        // ﾌｧｲﾙ / 新規作成 asks; No keeps the game as it was.
        bool asked = false;
        run.ChooseModal(frame, 0, 40007, [&](ui::Hwnd box) {
            asked = ui::GetWindowText(box) == shell::GetFrameTitle() && ui::GetDlgItem(box, ui::IDYES) &&
                    !ui::GetDlgItem(box, ui::IDCANCEL);
            run.Shot("editor_road_leave_game_question");
            run.Click(ui::GetDlgItem(box, ui::IDNO));
        });
        EXPECT_TRUE(asked) << "a Yes/No question of the game";
        EXPECT_TRUE(shell::IsClockRunning()) << "the game goes on";
        EXPECT_TRUE(shell::IsGamePlaying());
        EXPECT_FALSE(shell::IsEditorMapOpen());
        EXPECT_TRUE(Road::GameBar(frame));

        // ﾌｧｲﾙ / 閉じる closes the game's map only as the return to the title does: asked.
        run.ChooseModal(frame, 0, shell::kCmdCloseMapDocument, [&](ui::Hwnd box) {
            run.Click(ui::GetDlgItem(box, ui::IDNO));
        });
        EXPECT_TRUE(shell::IsClockRunning());
        EXPECT_TRUE(run.Map());

        // Yes: the game ends, the clock parks and the new map is the editor's, under its bar.
        run.ChooseModal(frame, 0, 40007, [&](ui::Hwnd box) { run.Click(ui::GetDlgItem(box, ui::IDYES)); });
        ASSERT_TRUE(run.PumpUntil([] { return shell::IsEditorMapOpen(); }, 10));
        EXPECT_FALSE(shell::IsClockRunning());
        EXPECT_FALSE(shell::IsGamePlaying());
        EXPECT_TRUE(Road::EditorBar(frame)) << "the editor's bar in the editor";
        EXPECT_FALSE(GetMainMenuWindow());
        EXPECT_EQ(run.LandKindAt(12, 10), 5) << "an empty map, not the game's";
        run.PaintHex(12, 10);
        ASSERT_EQ(run.LandKindAt(12, 10), 0);
        run.Choose(frame, 1, shell::kCmdUndo);
        EXPECT_EQ(run.LandKindAt(12, 10), 5) << "the editor's undo works after a game";
        run.Shot("editor_road_after_game");

        // Closing the map (unchanged now: nothing is asked) leads back to the title.
        run.ChooseModal(frame, 0, shell::kCmdCloseMapDocument, [&](ui::Hwnd box) {
            run.Click(ui::GetDlgItem(box, ui::IDNO));
        });
        ASSERT_TRUE(run.PumpUntil([&] { return run.TitleUp(); }, 10));
        finished = true;
        ClickAt(run.screen, GetSetupPage(kPageTitle), kQuitRight, kQuitBottom);
    }, 180);
    EXPECT_TRUE(finished);
    EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace zv::setup
