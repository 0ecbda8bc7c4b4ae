// The map editor inside the whole program, driven by the mouse and the keys: a new map edited
// hex by hex, undone and redone, saved through the file dialog with preview, closed, opened
// again and saved byte for byte the same; the map check with its findings, the map settings
// round trip, the area information window, the question before a changed map goes.

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "mapview/MapAreaInfoWindow.h"
#include "mapview/MapCheckDialog.h"
#include "mapview/MapEditorContext.h"
#include "mapview/MapSettingsDialog.h"
#include "mapview/SelMapEditWindow.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Window.h"
#include "platform/ui/tests/UiTestSupport.h"
#include "rules/records/MapCursors.h"
#include "shell/editor/MapEditorDocument.h"
#include "shell/editor/PreviewFileDialog.h"
#include "shell/WindowRegistry.h"
#include "shell/game/EditorCommands.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/tests/ProgramFixture.h"

namespace zv::shell {
namespace {

using testing::ProgramRun;

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The whole program with the helpers a player's hands need.
class EditorRun : public ProgramRun {
  public:
    // A MAP folder of the run's own (links to the default maps), so that saving writes
    // nothing into the built program directory.
    EditorRun() {
        const std::filesystem::path folder = std::filesystem::path(dir.Path()) / "MAP";
        const std::filesystem::path built = std::filesystem::read_symlink(folder);
        std::filesystem::remove(folder);
        std::filesystem::create_directory(folder);
        for (const auto& entry : std::filesystem::directory_iterator(built))
            std::filesystem::create_symlink(entry.path(), folder / entry.path().filename());
    }
    ui::Hwnd Map() { return GetWindowOfKind(WindowKind::MapWnd); }
    rules::TableDirectory& Tables() { return *CurrentGameWorld()->tables; }

    // Whether the frame's menu shows the item enabled (after the refresh a menu opening does).
    bool ItemEnabled(ui::Hwnd frame, int id) {
        ui::SendMessage(frame, ui::WM_INITMENU, 0, 0);
        return !(ui::GetMenuState(ui::GetMenu(frame), static_cast<uint32_t>(id), ui::MF_BYCOMMAND) & ui::MF_GRAYED);
    }

    void Click(ui::Hwnd h) {
        ui::Rect r{};
        ui::GetWindowRect(h, &r);
        screen->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        Pump();
    }
    void ClickItem(ui::Hwnd dlg, int id) {
        const ui::Hwnd item = ui::GetDlgItem(dlg, id);
        ASSERT_TRUE(item) << "no control " << id;
        Click(item);
    }
    void Type(ui::Hwnd dlg, int id, const std::string& utf8) {
        const ui::Hwnd edit = ui::GetDlgItem(dlg, id);
        Click(edit);
        ui::SetFocus(edit);
        ui::SendMessage(edit, ui::EM_SETSEL, 0, -1);
        Key(ui::VK_DELETE);
        screen->Text(utf8);
        Pump();
    }
    // Paints one hex with a click of the left button in the editor's map window.
    void PaintHex(int x, int y) {
        std::int16_t p[2] = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
        mapview::GetEditorDocument(Map())->HexToPixel(p);
        // The corner of the hex's 32 x 32 cell: its middle lies in the hex itself.
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

    // Presses the menu keys; `act` runs on the dialog or box they bring up (from a timer inside
    // its loop) and must close it. Returns when the command is over.
    void Modal(char popup, char item, std::function<void(ui::Hwnd)> act) {
        ModalAfter([&] { MenuKeys(popup, item); }, std::move(act));
    }
    // The same for an item without a key of its own: its command as the menu sends it.
    void ModalCommand(ui::Hwnd frame, int id, std::function<void(ui::Hwnd)> act) {
        ModalAfter([&] { ui::PostMessage(frame, ui::WM_COMMAND, static_cast<ui::WParam>(id), 0); }, std::move(act));
    }
    void ModalAfter(const std::function<void()>& start, std::function<void(ui::Hwnd)> act) {
        gAct = std::move(act);
        screen->SetAutoAdvance(true);
        ui::SetTimer({}, 91, 40, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            if (auto pending = std::exchange(gAct, nullptr)) pending(ui::GetActiveWindow());
        });
        start();
        ASSERT_TRUE(PumpUntil([] { return gAct == nullptr; }, 20)) << "no dialog came up";
        Pump();
        screen->SetAutoAdvance(false);
    }
    // The next modal window (a box a dialog opens) gets `act`.
    static void Then(std::function<void(ui::Hwnd)> act) {
        gAct = std::move(act);
        ui::SetTimer({}, 92, 40, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            if (auto pending = std::exchange(gAct, nullptr)) pending(ui::GetActiveWindow());
        });
    }
    void ChooseFile(ui::Hwnd dlg, const std::string& name) {
        const ui::Hwnd edit = ui::GetDlgItem(dlg, ui::edt1);
        ASSERT_TRUE(edit);
        ui::SetFocus(edit);
        ui::SetWindowText(edit, "");
        screen->Text(name);
        Key(ui::VK_RETURN);
    }
    void ClickRow(ui::Hwnd dlg, const std::string& name) {
        if (!ui::testing::ClickListBoxRowNamed(*screen, ui::GetDlgItem(dlg, ui::lst1), name)) {
            ADD_FAILURE() << name << " not listed";
            return;
        }
        Pump();
    }
    void Shot(const std::string& name) {
        Pump();
        ui::WindowManager::Current()->Flush();
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot(testing::ScreenshotPath(name), &error)) << error;
    }
    std::string Text(ui::Hwnd dlg, int id) { return core::SjisToUtf8(ui::GetDlgItemText(dlg, id)); }

    static inline std::function<void(ui::Hwnd)> gAct;
};

TEST(EditorFrame, NewEditUndoSaveCloseReopenThroughTheMenus) {
    EditorRun run;
    run.Run([&](ui::Hwnd frame) {
        const std::string mapDir = run.dir.Path() + "MAP";
        EXPECT_FALSE(run.ItemEnabled(frame, 40009));
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdUndo));

        // ﾌｧｲﾙ / 新規作成: an empty map in the editor's window.
        run.MenuKeys('F', 'N');
        ASSERT_TRUE(run.PumpUntil([&] { return bool(run.Map()); }, 10));
        EXPECT_TRUE(IsEditorMapOpen());
        EXPECT_TRUE(run.ItemEnabled(frame, 40009));
        EXPECT_TRUE(run.ItemEnabled(frame, kCmdMapSettings));
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdUndo));
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdRedo));

        // Three hexes of land painted with the mouse: each stroke is an undo step.
        ASSERT_EQ(run.LandKindAt(12, 10), 5) << "a new map is all sea";
        run.Shot("zv6_editor_new");
        run.PaintHex(12, 10);
        run.PaintHex(13, 10);
        EXPECT_EQ(run.LandKindAt(12, 10), 0);
        EXPECT_EQ(run.LandKindAt(13, 10), 0);
        EXPECT_TRUE(run.ItemEnabled(frame, kCmdUndo));
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdRedo));
        run.PaintHex(14, 11);
        ASSERT_EQ(run.LandKindAt(14, 11), 0) << "painted with the mouse";
        run.Shot("zv6_editor_frame");

        // 編集 / やり直し takes the last stroke back, 元に戻す brings it again.
        run.MenuKeys('E', 'U');
        run.Pump();
        EXPECT_EQ(run.LandKindAt(14, 11), 5);
        EXPECT_EQ(run.LandKindAt(13, 10), 0) << "one step only";
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdUndo));
        EXPECT_TRUE(run.ItemEnabled(frame, kCmdRedo));
        run.MenuKeys('E', 'R');
        run.Pump();
        EXPECT_EQ(run.LandKindAt(14, 11), 0);
        EXPECT_TRUE(run.ItemEnabled(frame, kCmdUndo));
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdRedo));

        // 編集 / マップ設定: the title typed and kept; undo gives back the title from before.
        const std::string oldTitle = run.MapTitle();
        run.Modal('E', 'S', [&](ui::Hwnd dlg) {
            EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(dlg)), "マップ設定");
            run.Type(dlg, mapview::kIdMapTitle, "試験の島");
            run.ClickItem(dlg, ui::IDOK);
        });
        EXPECT_EQ(run.MapTitle(), "試験の島");
        EXPECT_NE(core::SjisToUtf8(ui::GetWindowText(run.Map())).find("試験の島"), std::string::npos);
        run.MenuKeys('E', 'U');
        run.Pump();
        EXPECT_EQ(run.MapTitle(), oldTitle) << "the snapshot is of the map before the dialog";
        EXPECT_EQ(run.LandKindAt(14, 11), 0) << "the settings' undo keeps the strokes";
        run.MenuKeys('E', 'R');
        run.Pump();
        ASSERT_EQ(run.MapTitle(), "試験の島");

        // 編集 / マップチェック: an island without headquarters cannot be played.
        std::string report;
        run.Modal('E', 'M', [&](ui::Hwnd dlg) {
            report = run.Text(dlg, mapview::kIdMapCheckReport);
            run.Shot("zv6_editor_map_check");
            run.ClickItem(dlg, mapview::kIdMapCheckClose);
        });
        EXPECT_FALSE(report.empty());
        EXPECT_NE(report.find("上記のエラーを発見しました。"), std::string::npos) << report;

        // ﾌｧｲﾙ / 名前を付けて保存 through the dialog with its preview pane.
        run.Modal('F', 'A', [&](ui::Hwnd dlg) {
            for (ui::Hwnd c = ui::GetWindow(dlg, ui::GW_CHILD); c; c = ui::GetWindow(c, ui::GW_HWNDNEXT))
                if (ui::GetDlgItem(c, kIdPreviewNormal)) return run.ChooseFile(dlg, "MAP00077.ddm");
            ADD_FAILURE() << "the save dialog has no preview pane";
            ui::SendMessage(dlg, ui::WM_COMMAND, ui::IDCANCEL, 0);
        });
        const std::string saved = mapDir + "/MAP00077.ddm";
        ASSERT_TRUE(std::filesystem::exists(saved));
        const std::vector<std::uint8_t> first = FileBytes(saved);
        EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(run.Map())), "ﾏｯﾌﾟ名：試験の島  ﾌｧｲﾙ名：MAP00077");

        // ﾌｧｲﾙ / 閉じる: saved, so nothing is asked; the snapshots go with the document.
        run.MenuKeys('F', 'C');
        run.Pump();
        EXPECT_FALSE(run.Map());
        EXPECT_FALSE(FileExists(UndoFileName()));
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdUndo));

        // ﾌｧｲﾙ / 開く: the map chosen in the list shows its preview, then opens.
        run.Modal('F', 'O', [&](ui::Hwnd dlg) {
            run.ClickRow(dlg, "MAP00077.ddm");
            run.Shot("zv6_editor_preview_dialog");
            run.ClickItem(dlg, ui::IDOK);
        });
        ASSERT_TRUE(run.Map());
        EXPECT_EQ(run.MapTitle(), "試験の島");
        EXPECT_EQ(run.LandKindAt(13, 10), 0);
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdUndo));

        // The settings dialog round trip: OK on the dialog as it comes changes nothing and
        // makes no undo step.
        const std::vector<std::uint8_t> opened = FileBytes(saved);
        run.Modal('E', 'S', [&](ui::Hwnd dlg) {
            EXPECT_EQ(run.Text(dlg, mapview::kIdMapTitle), "試験の島");
            run.ClickItem(dlg, ui::IDOK);
        });
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdUndo)) << "nothing changed";
        EXPECT_FALSE(IsMapDocumentModified());

        // Funds typed as negative are refused with a message; the dialog stays open with the
        // old value kept, and Cancel leaves the map as it was.
        std::string refusal, fundsBefore, fundsAfter;
        run.Modal('E', 'S', [&](ui::Hwnd dlg) {
            const std::string funds = run.Text(dlg, mapview::kIdFunds);
            fundsBefore = funds;
            run.Type(dlg, mapview::kIdFunds, "-5");
            EditorRun::Then([&, dlg, funds](ui::Hwnd box) {
                refusal = core::SjisToUtf8(ui::GetWindowText(box));
                EditorRun::Then([&, dlg, funds](ui::Hwnd again) {
                    EXPECT_EQ(again, dlg) << "the dialog stays open";
                    rules::CountryCursor country(run.Tables());
                    country.Select(0);
                    fundsAfter = std::to_string(country.GetFunds());
                    run.ClickItem(dlg, ui::IDCANCEL);
                });
                run.ClickItem(box, ui::IDOK);
            });
            run.ClickItem(dlg, ui::IDOK);
        });
        EXPECT_EQ(refusal, "ﾏｯﾌﾟｴﾃﾞｨｯﾄ") << "the editor's box said why";
        EXPECT_EQ(fundsAfter, fundsBefore) << "the refused value was not stored";
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdUndo));

        // ﾌｧｲﾙ / 上書き保存 (answered Yes) writes the same bytes.
        std::filesystem::remove(saved);
        run.Modal('F', 'S', [&](ui::Hwnd box) { run.ClickItem(box, ui::IDYES); });
        EXPECT_EQ(FileBytes(saved), first) << "saved, opened and saved again: the same file";
        EXPECT_EQ(opened, first);

        ui::PostMessage(frame, WM_EXIT_GAME, 0, 0);
    });
}

TEST(EditorFrame, AChangedMapAsksBeforeItGoes) {
    EditorRun run;
    run.Run([&](ui::Hwnd frame) {
        run.MenuKeys('F', 'N');
        ASSERT_TRUE(run.PumpUntil([&] { return bool(run.Map()); }, 10));
        run.PaintHex(12, 12);
        ASSERT_TRUE(IsMapDocumentModified());

        // Cancel keeps it open; No drops it.
        std::string question;
        run.Modal('F', 'C', [&](ui::Hwnd box) {
            question = core::SjisToUtf8(ui::GetWindowText(box));
            EXPECT_TRUE(ui::GetDlgItem(box, ui::IDNO)) << "Yes, No and Cancel";
            run.ClickItem(box, ui::IDCANCEL);
        });
        EXPECT_EQ(question, "ﾏｯﾌﾟｴﾃﾞｨｯﾄ") << "the editor's question";
        EXPECT_TRUE(run.Map());
        EXPECT_EQ(run.LandKindAt(12, 12), 0);
        run.Modal('F', 'N', [&](ui::Hwnd box) { run.ClickItem(box, ui::IDNO); });
        ASSERT_TRUE(run.Map()) << "a new map in its place";
        EXPECT_EQ(run.LandKindAt(12, 12), 5);
        EXPECT_FALSE(IsMapDocumentModified());

        // A default map opened in place of the unchanged one: nothing is asked.
        run.Modal('F', 'O', [&](ui::Hwnd dlg) {
            run.ClickRow(dlg, "MAP00001.ddm");
            run.ClickItem(dlg, ui::IDOK);
        });
        ASSERT_TRUE(run.Map());
        EXPECT_NE(core::SjisToUtf8(ui::GetWindowText(run.Map())).find("MAP00001"), std::string::npos);

        // The area information window comes and goes with its command; its menu computes
        // the areas of the map shown.
        ui::SendMessage(frame, ui::WM_COMMAND, kCmdAreaInfo, 0);
        const ui::Hwnd area = GetWindowOfKind(WindowKind::AriaInfo);
        ASSERT_TRUE(area);
        EXPECT_TRUE(ui::IsWindowVisible(area));
        EXPECT_EQ(ui::GetClassName(area), mapview::kMapAreaInfoWindowClass);
        ui::SendMessage(area, ui::WM_COMMAND, mapview::kCmdAreaCompute, 0);
        ui::SendMessage(area, ui::WM_COMMAND, mapview::kCmdAreaBuildings, 0);
        run.Shot("zv6_editor_area_info");
        ui::SendMessage(frame, ui::WM_COMMAND, kCmdAreaInfo, 0);
        EXPECT_FALSE(ui::IsWindowVisible(area));

        // The HQ miniature follows the editor's map: the command brings it up over the map,
        // where a click on its middle reaches it.
        ui::SendMessage(frame, ui::WM_COMMAND, 40043, 0);
        const ui::Hwnd hq = GetWindowOfKind(WindowKind::HqWnd);
        ASSERT_TRUE(hq);
        EXPECT_TRUE(ui::IsWindowVisible(hq));
        EXPECT_EQ(ui::GetParent(hq), GetWindowOfKind(WindowKind::MdiWnd));
        ui::Rect hqRect{};
        ui::GetWindowRect(hq, &hqRect);
        const int hqMiddle = (hqRect.left + hqRect.right) / 2;
        EXPECT_EQ(ui::WindowFromPoint({hqMiddle, (hqRect.top + hqRect.bottom) / 2}), hq)
            << "the HQ window lies under another";
        EXPECT_EQ(ui::WindowFromPoint({hqMiddle, hqRect.top + 6}), hq)
            << "the HQ window's caption lies under another";
        run.Shot("zv6_editor_hq");

        // ｲﾝﾀｰﾈｯﾄ版のﾏｯﾌﾟを開く: a map of the other edition becomes the editor's document.
        std::vector<std::uint8_t> other(512 + 8192, 0);
        std::memcpy(other.data() + 8, core::Utf8ToSjis("輸入").c_str(), 4);
        other[256 + 18] = 1;
        for (int i = 0; i < 4096; ++i) other[512 + i] = 1;
        const std::string qz4 = run.dir.Path() + "map0001.qz4";
        std::ofstream(qz4, std::ios::binary).write(reinterpret_cast<const char*>(other.data()),
                                                   static_cast<std::streamsize>(other.size()));
        run.ModalCommand(frame, kCmdImportMap, [&](ui::Hwnd dlg) { run.ChooseFile(dlg, qz4); });
        ASSERT_TRUE(IsEditorMapOpen());
        EXPECT_EQ(run.MapTitle(), "輸入");
        int notPlain = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) notPlain += run.LandKindAt(x, y) != 0;
        EXPECT_EQ(notPlain, 0) << "the imported map is all plain land, nothing of the map before";
        EXPECT_FALSE(run.ItemEnabled(frame, kCmdUndo));

        // Leaving the program with a changed map asks too (and Cancel stays).
        run.PaintHex(13, 13);
        run.Modal('F', 'Q', [&](ui::Hwnd quit) {
            EditorRun::Then([&](ui::Hwnd box) { run.ClickItem(box, ui::IDCANCEL); });
            run.ClickItem(quit, ui::IDYES);
        });
        EXPECT_TRUE(ui::IsWindow(frame));
        EXPECT_TRUE(run.Map());
        ui::PostMessage(frame, WM_EXIT_GAME, 0, 0);
    });
}

}  // namespace
}  // namespace zv::shell
