// The map editor's document in an MDI frame: new, open, edit, save and reopen; undo and redo
// across every editing command; import; the caption and the snapshot files.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "mapview/MapEditorContext.h"
#include "mapview/SelMapEditWindow.h"
#include "mapview/tests/EditorFixture.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuConstants.h"
#include "rules/files/MapFiles.h"
#include "rules/records/MapCursors.h"
#include "shell/editor/MapEditorDocument.h"
#include "shell/editor/PreviewFileDialog.h"

namespace zv::shell {
namespace {

using mapview::testing::EditorFixture;

ui::Hwnd gClient{};

ui::LResult FrameProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_COMMAND && HandleMapEditorCommand(h, ui::LoWord(w), w, l)) return 0;
    return ui::DefFrameProc(h, gClient, msg, w, l);
}

// The map part of the tables, as a map file holds it.
std::vector<std::uint8_t> MapImage(rules::TableDirectory& t) {
    std::vector<std::uint8_t> out;
    const std::pair<rules::TableId, std::size_t> parts[] = {{rules::TableId::ScenarioHeader, 300},
                                                            {rules::TableId::Country, 344},
                                                            {rules::TableId::Hex, 32768},
                                                            {rules::TableId::Site, 1600},
                                                            {rules::TableId::Troop, 160 * 418}};
    for (auto [id, n] : parts) out.insert(out.end(), t.GetTableBase(id), t.GetTableBase(id) + n);
    return out;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class EditorDocument : public EditorFixture {
  public:
    void SetUp() override {
        EditorFixture::SetUp();
        std::filesystem::create_directories(settingsFolder.Path() + "/MAP");
        oldCwd = std::filesystem::current_path();
        ui::WindowClass f;
        f.name = "EditorTestFrame";
        f.proc = FrameProc;
        ui::WindowClass existing;
        if (!ui::GetClassInfo(f.name.c_str(), &existing)) ui::RegisterClass(f);
        const ui::Hmenu bar = ui::CreateMenu();
        const ui::Hmenu edit = ui::CreatePopupMenu();
        ui::AppendMenu(edit, ui::MF_STRING, kCmdUndo, "Undo");
        ui::AppendMenu(edit, ui::MF_STRING, kCmdRedo, "Redo");
        ui::AppendMenu(bar, ui::MF_POPUP, ui::MenuToParam(edit), "Edit");
        frame = ui::CreateWindowEx(0, "EditorTestFrame", "ZV6", ui::WS_OVERLAPPEDWINDOW | ui::WS_CLIPCHILDREN | ui::WS_VISIBLE,
                                   0, 0, 1024, 768, {}, static_cast<intptr_t>(ui::MenuToParam(bar)), nullptr, nullptr);
        ui::ClientCreateStruct ccs{};
        ui::Rect fc{};
        ui::GetClientRect(frame, &fc);
        gClient = ui::CreateWindowEx(0, ui::kMdiClientClass, "", ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_CLIPCHILDREN, 0, 0,
                                     fc.Width(), fc.Height(), frame, 6000, nullptr, &ccs);
        SetWindowOfKind(WindowKind::FrameWnd, frame);
        SetWindowOfKind(WindowKind::MdiWnd, gClient);
        // The editor paints in its own map window.
        EditorFrameHooks hooks;
        hooks.createMapWindow = [](ui::Hwnd client) { return mapview::CreateSelMapEditWindow(nullptr, client); };
        SetEditorFrameHooks(hooks);
        ClearFileSelection();
    }
    void TearDown() override {
        DeleteUndoFiles(frame);
        SetEditorFrameHooks({});
        mapview::SetEditorChangeHook({});
        gClient = {};
        EditorFixture::TearDown();
    }
    bool MenuEnabled(int id) {
        return !(ui::GetMenuState(ui::GetMenu(frame), static_cast<uint32_t>(id), ui::MF_BYCOMMAND) & ui::MF_GRAYED);
    }
    ui::Hwnd Map() { return GetWindowOfKind(WindowKind::MapWnd); }
    // Runs a frame command that opens a modal dialog; `act` runs once the dialog is up.
    void Modal(int command, std::function<void(ui::Hwnd)> act) {
        RunModal([&] { ui::SendMessage(frame, ui::WM_COMMAND, static_cast<ui::WParam>(command), 0); }, std::move(act));
    }
    // Types a path into an open file dialog and presses Enter.
    void ChooseFile(ui::Hwnd dlg, const std::string& path) {
        const ui::Hwnd edit = ui::GetDlgItem(dlg, ui::edt1);
        ASSERT_TRUE(edit);
        ui::SetFocus(edit);
        ui::SetWindowText(edit, "");
        screen->Text(path);
        screen->KeyDown(ui::VK_RETURN);
        screen->KeyUp(ui::VK_RETURN);
    }
    // Paints the hex under a client point of the map window with the mouse.
    void PaintAt(int x, int y) {
        ui::Point p{x, y};
        ui::ClientToScreen(Map(), &p);
        screen->Click(p.x, p.y);
        Pump();
    }

    void PaintHex(int x, int y) {
        std::int16_t p[2] = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
        mapview::GetEditorDocument(Map())->HexToPixel(p);
        PaintAt(p[0] + 4, p[1] + 4);
    }

    std::filesystem::path oldCwd;
    ui::Hwnd frame{};
};

TEST_F(EditorDocument, NewEditSaveReopenGivesTheSameFile) {
    ASSERT_EQ(NewMapDocument(frame), 1);
    ASSERT_TRUE(Map());
    EXPECT_EQ(ui::GetClassName(Map()), mapview::kSelMapEditWindowClass);
    EXPECT_FALSE(MenuEnabled(kCmdUndo));
    rules::HexCursor hexes(tables);
    hexes.Select(0);
    EXPECT_EQ(hexes.GetLandKind(), 5) << "a new map is all sea";
    PaintAt(200, 200);
    int painted = 0;
    for (int h = 0; h < rules::kHexCount; ++h) painted += hexes.Select(h) && hexes.GetLandKind() == 0;
    EXPECT_EQ(painted, 1);
    EXPECT_TRUE(MenuEnabled(kCmdUndo));
    rules::ScenarioHeaderCursor(tables).SetTitle(core::Utf8ToSjis("新しい島"));

    const std::string path = settingsFolder.Path() + "/MAP/MAP00077.ddm";
    Modal(kCmdSaveMapAs, [&](ui::Hwnd dlg) { ChooseFile(dlg, path); });
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_STREQ(GetSelectedFileName(), "MAP00077");
    EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(Map())), "ﾏｯﾌﾟ名：新しい島  ﾌｧｲﾙ名：MAP00077");
    const std::vector<std::uint8_t> saved = FileBytes(path);
    const std::vector<std::uint8_t> image = MapImage(tables);

    ASSERT_EQ(CloseMapDocument(frame, 0), 1);
    EXPECT_FALSE(Map());
    EXPECT_STREQ(GetSelectedFilePath(), "");
    EXPECT_NE(MapImage(tables), image);

    RunModal([&] { EXPECT_EQ(OpenMapDocumentFromFile(frame), 1); }, [&](ui::Hwnd dlg) { ChooseFile(dlg, path); });
    ASSERT_TRUE(Map());
    EXPECT_EQ(MapImage(tables), image);
    // Overwrite asks, then writes the same bytes again.
    answer = ui::IDYES;
    ui::SendMessage(frame, ui::WM_COMMAND, kCmdOverwriteMap, 0);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "MAP00077に上書きします。よろしいですか？");
    EXPECT_EQ(FileBytes(path), saved);
    Shot("mapedit_document");
}

TEST_F(EditorDocument, UndoAndRedoAcrossEveryEditingCommand) {
    rules::CountryCursor(tables).Select(0);
    struct Case {
        const char* what;
        std::function<void(EditorDocument&)> edit;
    };
    const Case cases[] = {
        {"paint a sea hex", [](EditorDocument& t) { t.PaintHex(2, 4); }},
        {"map settings",
         [](EditorDocument& t) {
             t.Modal(kCmdMapSettings, [&t](ui::Hwnd dlg) {
                 t.Type(dlg, mapview::kIdMapTitle, "別の名前");
                 t.Type(dlg, mapview::kIdFunds + 1, "4321");
                 t.ClickItem(dlg, ui::IDOK);
             });
         }},
        {"delete the map's troops", [](EditorDocument& t) { ui::SendMessage(t.frame, ui::WM_COMMAND, kCmdDeleteMapTroops, 0); }},
    };
    // The fixture map (troops, sites, countries) shown for editing.
    ASSERT_EQ(OpenMapDocument(frame, 0), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::uint8_t> before = MapImage(tables);
        c.edit(*this);
        const std::vector<std::uint8_t> after = MapImage(tables);
        ASSERT_NE(after, before) << "the command changed nothing";
        EXPECT_TRUE(MenuEnabled(kCmdUndo));
        EXPECT_TRUE(IsMapDocumentModified());
        ui::SendMessage(frame, ui::WM_COMMAND, kCmdUndo, 0);
        EXPECT_EQ(MapImage(tables), before);
        EXPECT_FALSE(MenuEnabled(kCmdUndo));
        EXPECT_TRUE(MenuEnabled(kCmdRedo));
        ui::SendMessage(frame, ui::WM_COMMAND, kCmdRedo, 0);
        EXPECT_EQ(MapImage(tables), after);
        EXPECT_TRUE(MenuEnabled(kCmdUndo));
        EXPECT_FALSE(MenuEnabled(kCmdRedo));
        // A second undo goes back once more; nothing further.
        ui::SendMessage(frame, ui::WM_COMMAND, kCmdUndo, 0);
        EXPECT_EQ(MapImage(tables), before);
        ui::SendMessage(frame, ui::WM_COMMAND, kCmdUndo, 0);
        EXPECT_EQ(MapImage(tables), before);
        ui::SendMessage(frame, ui::WM_COMMAND, kCmdRedo, 0);
        EXPECT_EQ(MapImage(tables), after);
    }
    // A cancelled settings dialog makes no undo step.
    DeleteUndoFiles(frame);
    Modal(kCmdMapSettings, [this](ui::Hwnd dlg) { ClickItem(dlg, ui::IDCANCEL); });
    EXPECT_FALSE(MenuEnabled(kCmdUndo));
    EXPECT_FALSE(FileExists(UndoFileName()));
}

TEST_F(EditorDocument, SnapshotsArePerProcessAndGoWithTheDocument) {
    EXPECT_NE(UndoFileName(), "zvundo.tmp");
    EXPECT_NE(UndoFileName(), RedoFileName());
    ASSERT_EQ(OpenMapDocument(frame, 0), 1);
    ASSERT_EQ(SaveUndoState(frame), 1);
    ASSERT_EQ(SaveRedoState(frame), 1);
    // In the current directory, not the program directory.
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::current_path() / UndoFileName()));
    CloseMapDocument(frame, 0);
    EXPECT_FALSE(FileExists(UndoFileName()));
    EXPECT_FALSE(FileExists(RedoFileName()));
    EXPECT_FALSE(MenuEnabled(kCmdUndo));
    EXPECT_FALSE(MenuEnabled(kCmdRedo));
    // Undo without its snapshot changes nothing.
    ASSERT_EQ(OpenMapDocument(frame, 0), 1);
    const auto image = MapImage(tables);
    ui::SendMessage(frame, ui::WM_COMMAND, kCmdUndo, 0);
    EXPECT_EQ(MapImage(tables), image);

    // A snapshot under this process's name that this document never wrote (a crashed copy
    // that had the same process number) is never restored, and the next opening removes it.
    {
        mapview::MapEditorContext other(tables, 1);
        other.ResetToNewMap();
        ASSERT_TRUE(rules::WriteUndoMapFile(tables, UndoFileName()));
    }
    CloseMapDocument(frame, 0);
    {
        mapview::MapEditorContext other(tables, 1);
        other.ResetToNewMap();
        ASSERT_TRUE(rules::WriteUndoMapFile(tables, UndoFileName()));
    }
    ASSERT_EQ(OpenMapDocument(frame, 0), 1);
    EXPECT_FALSE(FileExists(UndoFileName()));
    ASSERT_TRUE(rules::WriteUndoMapFile(tables, UndoFileName()));
    const auto shown = MapImage(tables);
    ui::SendMessage(frame, ui::WM_COMMAND, kCmdUndo, 0);
    EXPECT_EQ(MapImage(tables), shown) << "a stray snapshot was restored";

    // A change of the current directory after an edit does not lose the step.
    CloseMapDocument(frame, 0);
    ASSERT_EQ(OpenMapDocument(frame, 0), 1);
    const auto beforeEdit = MapImage(tables);
    PaintHex(20, 20);
    ASSERT_NE(MapImage(tables), beforeEdit);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(settingsFolder.Path() + "/MAP");
    ui::SendMessage(frame, ui::WM_COMMAND, kCmdUndo, 0);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(MapImage(tables), beforeEdit);
    CloseMapDocument(frame, 0);
    EXPECT_FALSE(FileExists(RedoFileName())) << "closing removes the snapshots where they lie";
}

TEST_F(EditorDocument, FailedOverwriteSaysSoAndKeepsTheFile) {
    ASSERT_EQ(OpenMapDocument(frame, 0), 1);
    const std::string dir = settingsFolder.Path() + "/MAP/locked";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/MAP00001.ddm";
    std::ofstream(path) << "old";
    SetFileSelection(path);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    answer = ui::IDYES;
    ui::SendMessage(frame, ui::WM_COMMAND, kCmdOverwriteMap, 0);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    if (::geteuid() != 0) {
        ASSERT_GE(messages.size(), 2u);
        EXPECT_EQ(messages.back().rfind("ファイルの上書きに失敗しました", 0), 0u);
        EXPECT_EQ(FileBytes(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    }
    EXPECT_TRUE(Map()) << "the document stays open";
    // A failure that no rights get round: the name is taken by a folder with a file in it.
    const std::string taken = dir + "/MAP00002.ddm";
    std::filesystem::create_directories(taken);
    std::ofstream(taken + "/keep") << "kept";
    SetFileSelection(taken);
    messages.clear();
    ui::SendMessage(frame, ui::WM_COMMAND, kCmdOverwriteMap, 0);
    ASSERT_EQ(messages.size(), 2u) << "the question, then the failure";
    EXPECT_EQ(messages.back().rfind("ファイルの上書きに失敗しました", 0), 0u) << messages.back();
    EXPECT_EQ(FileBytes(taken + "/keep"), (std::vector<std::uint8_t>{'k', 'e', 'p', 't'}));
    EXPECT_STREQ(GetSelectedFilePath(), taken.c_str()) << "the current file stays";
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) entries += e.path().filename() != "";
    EXPECT_EQ(entries, 2) << "no temporary file is left beside the target";
    EXPECT_TRUE(Map());
    // Overwrite without a current file is save-as; a cancelled dialog keeps the selection empty.
    ClearFileSelection();
    Modal(kCmdOverwriteMap, [](ui::Hwnd dlg) {
        ui::SendMessage(dlg, ui::WM_COMMAND, ui::IDCANCEL, 0);
    });
    EXPECT_STREQ(GetSelectedFilePath(), "");
}

TEST_F(EditorDocument, ImportClosesTheChangedDocumentFirst) {
    ASSERT_EQ(NewMapDocument(frame), 1);
    PaintAt(200, 200);
    const ui::Hwnd first = Map();
    // An other-edition map: two stored blocks, a title, country 0 taking part.
    std::vector<std::uint8_t> file(512 + 8192, 0);
    std::memcpy(file.data() + 8, core::Utf8ToSjis("輸入").c_str(), 4);
    file[256 + 18] = 1;
    for (int i = 0; i < 4096; ++i) file[512 + i] = 1;  // plain land
    const std::string path = settingsFolder.Path() + "/map0001.qz4";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));

    answer = ui::IDCANCEL;  // keep the changed map
    EXPECT_EQ(OpenImportedMap(frame, path), 0);
    EXPECT_EQ(Map(), first);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "編集中のマップを保存しますか？");

    answer = ui::IDNO;  // drop it
    ASSERT_EQ(OpenImportedMap(frame, path), 1);
    EXPECT_FALSE(ui::IsWindow(first)) << "the old map window went";
    ASSERT_TRUE(Map());
    EXPECT_EQ(core::SjisToUtf8(rules::ScenarioHeaderCursor(tables).GetTitle()), "輸入");
    EXPECT_FALSE(MenuEnabled(kCmdUndo));
    // A bad file leaves the document as it is.
    const ui::Hwnd imported = Map();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "short";
    EXPECT_EQ(OpenImportedMap(frame, path), 0);
    EXPECT_EQ(Map(), imported);
}

}  // namespace
}  // namespace zv::shell
