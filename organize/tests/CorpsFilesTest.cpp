#include <map>

#include "organize/CorpsFiles.h"
#include "organize/tests/OrganizeFixture.h"

namespace zv::organize::testing {
namespace {

class CorpsFiles : public OrganizeTest {
  protected:
    // Our folder: default corps 00, 01 and 03, an unreadable 02, and a corps 05 whose
    // production type is out of range.
    void SetUp() override {
        OrganizeTest::SetUp();
        CopyDefaultCorps("useFrc00.prm");
        CopyDefaultCorps("useFrc01.prm");
        CopyDefaultCorps("useFrc03.prm");
        std::ofstream(corpsDir / "USER" / "useFrc02.prm", std::ios::binary) << "not a corps";
        CopyDefaultCorps("useFrc00.prm", "useFrc05.prm");
        auto bytes = ReadFile("useFrc05.prm");
        bytes[16 + 288] = 40;  // production type 40
        std::ofstream(corpsDir / "USER" / "useFrc05.prm", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    std::map<std::string, std::vector<std::uint8_t>> Snapshot() const {
        std::map<std::string, std::vector<std::uint8_t>> files;
        for (const auto& e : fs::directory_iterator(corpsDir / "USER")) {
            files[e.path().filename().string()] = ReadFile(e.path().filename().string());
        }
        return files;
    }
    // The names of the files that changed, appeared or went away.
    static std::vector<std::string> Changed(const std::map<std::string, std::vector<std::uint8_t>>& a,
                                            const std::map<std::string, std::vector<std::uint8_t>>& b) {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : a) {
            auto it = b.find(name);
            if (it == b.end() || it->second != bytes) names.push_back(name);
        }
        for (const auto& [name, bytes] : b) {
            if (!a.count(name)) names.push_back(name);
        }
        return names;
    }

    ui::Hwnd OpenManager() {
        ui::Hwnd d = ui::CreateDialogParam(nullptr, kCorpsManagerDialog, owner, CorpsFileManagerDlgProc, 0);
        EXPECT_TRUE(d);
        ui::ShowWindow(d, ui::SW_SHOW);
        Pump();
        return d;
    }
    int Rows(ui::Hwnd d) { return int(ui::SendMessage(ui::GetDlgItem(d, kIdCorpsList), ui::LVM_GETITEMCOUNT, 0, 0)); }
    std::string Cell(ui::Hwnd d, int row, int sub) {
        char buffer[64] = {};
        ui::LvItem it;
        it.iSubItem = sub;
        it.pszText = buffer;
        it.cchTextMax = sizeof buffer;
        ui::SendMessage(ui::GetDlgItem(d, kIdCorpsList), ui::LVM_GETITEMTEXTA, ui::WParam(row),
                        reinterpret_cast<ui::LParam>(&it));
        return core::SjisToUtf8(buffer);
    }
    void ClickRow(ui::Hwnd d, int row) {
        ui::Hwnd list = ui::GetDlgItem(d, kIdCorpsList);
        ui::Rect r{};
        r.left = ui::LVIR_BOUNDS;
        ui::SendMessage(list, ui::LVM_GETITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r));
        Click(At(list, r.left + 20, (r.top + r.bottom) / 2));
    }
    void TypeName(ui::Hwnd d, const std::string& utf8) {
        ui::Hwnd edit = ui::GetDlgItem(d, kIdCorpsName);
        Click(Centre(edit));
        ui::SendMessage(edit, ui::EM_SETSEL, 0, -1);
        screen->KeyDown(ui::VK_DELETE);
        screen->Text(utf8);
        Pump();
    }
    std::string Name(const std::string& file) {
        rules::ForceCursor fc(tables, 3, nullptr);
        fc.SelectSlot(3);
        EXPECT_TRUE(fc.LoadUserForceFile(world.corpsDirectory, file.c_str()).ok);
        return core::SjisToUtf8(fc.GetName());
    }
};

TEST_F(CorpsFiles, OnlyReadableCorpsGetRowsAndEachRowKeepsItsEntry) {
    const ui::Hwnd d = OpenManager();
    // 02 cannot be read: no entry; 05 is read but its production type has no name: no row.
    EXPECT_EQ(GetCorpsFileCount(), 4);
    ASSERT_EQ(Rows(d), 3);
    const char* files[3] = {"useFrc00.prm", "useFrc01.prm", "useFrc03.prm"};
    for (int r = 0; r < 3; ++r) {
        const CorpsFileEntry* e = GetCorpsFileEntry(CorpsEntryOfRow(r));
        ASSERT_TRUE(e);
        EXPECT_STREQ(e->fileName, files[r]);
        EXPECT_EQ(Cell(d, r, 0), Name(files[r]));
        EXPECT_GT(CorpsFileHasHQ(CorpsEntryOfRow(r)), 0);
    }
    EXPECT_EQ(Cell(d, 0, 1), "統合軍");
    ClickRow(d, 2);
    const CorpsFileEntry* e = GetCorpsFileEntry(CorpsEntryOfRow(2));
    EXPECT_EQ(core::SjisToUtf8(ui::GetDlgItemText(d, kIdCorpsName)), Name("useFrc03.prm"));
    char counts[32];
    std::snprintf(counts, sizeof counts, "%3d／%3d", e->templates[2], e->troops[2]);
    EXPECT_EQ(core::SjisToUtf8(ui::GetDlgItemText(d, kIdCorpsCounts + 2)), counts);
    // A corps with troops shows its production type as text, not as a choice.
    EXPECT_FALSE(ui::IsWindowVisible(ui::GetDlgItem(d, kIdCorpsType)));
    EXPECT_TRUE(ui::IsWindowVisible(ui::GetDlgItem(d, kIdCorpsTypeName)));
    Shot("organize_corps_manager");
}

TEST_F(CorpsFiles, RenameDeleteAndCopyChangeTheRightFileAndNoOther) {
    const ui::Hwnd d = OpenManager();
    auto before = Snapshot();

    // Rename the corps of row 1 (useFrc01) by typing and Enter.
    ClickRow(d, 1);
    TypeName(d, "改名軍団 ");
    screen->KeyDown(ui::VK_RETURN);
    Pump();
    auto after = Snapshot();
    EXPECT_EQ(Changed(before, after), std::vector<std::string>{"useFrc01.prm"});
    EXPECT_EQ(Name("useFrc01.prm"), "改名軍団");
    EXPECT_TRUE(ui::IsWindow(d));

    // The same name again, or Esc after typing, writes nothing.
    before = after;
    ClickRow(d, 1);
    TypeName(d, "改名軍団");
    screen->KeyDown(ui::VK_RETURN);
    Pump();
    TypeName(d, "消える名前");
    screen->KeyDown(ui::VK_ESCAPE);
    Pump();
    EXPECT_EQ(Changed(before, Snapshot()), std::vector<std::string>{});
    EXPECT_EQ(core::SjisToUtf8(ui::GetDlgItemText(d, kIdCorpsName)), "改名軍団");
    // An empty name is refused and the stored one comes back.
    TypeName(d, "　");
    screen->KeyDown(ui::VK_RETURN);
    Pump();
    EXPECT_TRUE(BoxSaid("名称が設定されていません。"));
    EXPECT_EQ(core::SjisToUtf8(ui::GetDlgItemText(d, kIdCorpsName)), "改名軍団");
    EXPECT_EQ(Changed(before, Snapshot()), std::vector<std::string>{});
    // Enter with no name typed since the last write does nothing.
    ui::SendMessage(d, ui::WM_COMMAND, ui::IDOK, 0);
    EXPECT_EQ(Changed(before, Snapshot()), std::vector<std::string>{});

    // Copy row 2 (useFrc03): the first free number is 02's? No: 02 exists (unreadable), so 04.
    ClickRow(d, 2);
    Click(Centre(ui::GetDlgItem(d, kIdCorpsCopy)));
    after = Snapshot();
    EXPECT_EQ(Changed(before, after), std::vector<std::string>{"useFrc04.prm"});
    EXPECT_EQ(after["useFrc04.prm"], after["useFrc03.prm"]);
    EXPECT_EQ(Rows(d), 4);

    // Delete the row of useFrc03 (row 2): that file and no other goes.
    before = after;
    int row = -1;
    for (int r = 0; r < Rows(d); ++r) {
        if (std::string(GetCorpsFileEntry(CorpsEntryOfRow(r))->fileName) == "useFrc03.prm") row = r;
    }
    ASSERT_EQ(row, 2);
    ClickRow(d, row);
    answers = {ui::IDNO};
    Click(Centre(ui::GetDlgItem(d, kIdCorpsDelete)));
    EXPECT_EQ(Changed(before, Snapshot()), std::vector<std::string>{});
    Click(Centre(ui::GetDlgItem(d, kIdCorpsDelete)));
    EXPECT_EQ(boxes.back().text, Name("useFrc04.prm") + "を削除します。よろしいですか？");
    EXPECT_EQ(Changed(before, Snapshot()), std::vector<std::string>{"useFrc03.prm"});
    EXPECT_EQ(Rows(d), 3);
}

TEST_F(CorpsFiles, NewCorpsIsWrittenUnderTheFirstFreeNumberAndSelected) {
    const ui::Hwnd d = OpenManager();
    const auto before = Snapshot();
    Click(Centre(ui::GetDlgItem(d, kIdCorpsNew)));
    EXPECT_EQ(boxes.back().text, "新規データを作成します。よろしいですか？");
    EXPECT_EQ(Changed(before, Snapshot()), std::vector<std::string>{"useFrc04.prm"});
    EXPECT_EQ(Name("useFrc04.prm"), "新規編成");
    const int row = int(ui::SendMessage(ui::GetDlgItem(d, kIdCorpsList), ui::LVM_GETNEXTITEM, ui::WParam(-1),
                                        ui::LVNI_SELECTED));
    ASSERT_GE(row, 0);
    EXPECT_STREQ(GetCorpsFileEntry(CorpsEntryOfRow(row))->fileName, "useFrc04.prm");
    // An empty corps may still change its production type.
    EXPECT_TRUE(ui::IsWindowVisible(ui::GetDlgItem(d, kIdCorpsType)));
}

TEST_F(CorpsFiles, OneHundredFilesRefuseNewAndCopy) {
    for (int n = 0; n < 100; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "useFrc%02d.prm", n);
        CopyDefaultCorps("useFrc00.prm", name);
    }
    const ui::Hwnd d = OpenManager();
    EXPECT_EQ(Rows(d), 100);
    const auto before = Snapshot();
    ClickRow(d, 0);
    Click(Centre(ui::GetDlgItem(d, kIdCorpsCopy)));
    Click(Centre(ui::GetDlgItem(d, kIdCorpsNew)));
    EXPECT_EQ(boxes.size(), 2u);
    for (const Box& b : boxes) EXPECT_EQ(b.text, "軍団編成データは１００件までしか作成できません");
    EXPECT_EQ(Changed(before, Snapshot()), std::vector<std::string>{});
}

struct Page {
    static ui::LResult Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
        if (msg == WM_CORPS_CHOSEN) chosen.push_back(int(w));
        return ui::DefWindowProc(h, msg, w, l);
    }
    static inline std::vector<int> chosen;
};

TEST_F(CorpsFiles, TheCorpsListTellsItsPageTheEntryBehindTheRow) {
    ui::WindowClass wc;
    wc.name = "CorpsPage";
    wc.proc = Page::Proc;
    ui::RegisterClass(wc);
    Page::chosen.clear();
    const ui::Hwnd page = ui::CreateWindowEx(0, "CorpsPage", "", ui::WS_CHILD | ui::WS_VISIBLE, 0, 0, 600, 320,
                                             owner, 0, nullptr, nullptr);
    SetCorpsListEditMode(0);
    const ui::Hwnd list = CreateCorpsListDialog(page);
    ASSERT_TRUE(list);
    ui::ShowWindow(list, ui::SW_SHOW);
    Pump();
    EXPECT_FALSE(ui::IsWindowVisible(ui::GetDlgItem(list, kIdCorpsNew)));
    ClickRow(list, 2);
    ASSERT_EQ(Page::chosen.size(), 1u);
    EXPECT_STREQ(GetCorpsFileEntry(Page::chosen[0])->fileName, "useFrc03.prm");
    ui::SendMessage(list, WM_CORPS_LIST_CLEAR, 0, 0);
    EXPECT_EQ(ui::SendMessage(ui::GetDlgItem(list, kIdCorpsList), ui::LVM_GETNEXTITEM, ui::WParam(-1),
                              ui::LVNI_SELECTED),
              -1);
    Shot("organize_corps_list");
    SetCorpsListEditMode(1);
}

class CorpsChoice : public CorpsFiles {
  protected:
    intptr_t RunWithTimer(const std::function<intptr_t()>& run, std::function<void(ui::Hwnd)> act) {
        gAct = std::move(act);
        screen->SetAutoAdvance(true);
        ui::SetTimer({}, 93, 40, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            if (gAct) gAct(ui::GetActiveWindow());
        });
        const intptr_t r = run();
        screen->SetAutoAdvance(false);
        gAct = nullptr;
        return r;
    }
    static inline std::function<void(ui::Hwnd)> gAct;
};

TEST_F(CorpsChoice, ClosingTheChoiceIsACancelAndChoosingLoadsTheEntryBehindTheRow) {
    // No corps in country 2's slot yet: the choice comes at once.
    const auto closed = RunWithTimer([&] { return ChooseCountryCorps(owner, 2, 7); },
                                     [](ui::Hwnd d) { ui::SendMessage(d, ui::WM_CLOSE, 0, 0); });
    EXPECT_EQ(closed, -1);
    const auto chosen = RunWithTimer([&] { return ChooseCountryCorps(owner, 2, 7); }, [this](ui::Hwnd d) {
        ClickRow(d, 2);
        const ui::Point p = Centre(ui::GetDlgItem(d, kIdCorpsLoad));
        screen->Click(p.x, p.y);
    });
    ASSERT_GE(chosen, 0);
    EXPECT_STREQ(GetCorpsFileEntry(chosen)->fileName, "useFrc03.prm");
    const auto file = ReadFile("useFrc03.prm");
    EXPECT_EQ(std::memcmp(tables.GetTableBase(rules::TableId::Force) + 3 * rules::kForceRecordSize, file.data() + 16,
                          rules::kForceRecordSize),
              0);
}

TEST_F(CorpsChoice, EditingACountrysCorpsWritesNoCorpsFile) {
    rules::ForceCursor slot(tables, 1, nullptr);
    slot.SelectSlot(1);
    ASSERT_TRUE(slot.LoadUserForceFile(world.corpsDirectory, "useFrc01.prm").ok);
    slot.SetHeaderWord282(1);
    const auto before = Snapshot();
    // 選択軍団の編集, then 保存して終了 after the name of the first troop has changed.
    const auto result = RunWithTimer([&] { return ChooseCountryCorps(owner, 1, 5); }, [this](ui::Hwnd confirm) {
        const ui::Point p = Centre(ui::GetDlgItem(confirm, kIdCorpsEditSelected));
        screen->Click(p.x, p.y);
        ui::SetTimer({}, 94, 40, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            const ui::Hwnd d = GetOrganizeState().dialog;
            ui::SendMessage(d, ui::WM_COMMAND, kIdSaveAndClose, 0);
        });
    });
    EXPECT_EQ(result, 5);
    EXPECT_EQ(Changed(before, Snapshot()), std::vector<std::string>{});
    // The country's slot holds the edited corps (here: as it was read).
    const auto file = ReadFile("useFrc01.prm");
    EXPECT_EQ(std::memcmp(tables.GetTableBase(rules::TableId::Force) + 2 * rules::kForceRecordSize + 294,
                          file.data() + 16 + 294, rules::kForceRecordSize - 294),
              0);
}

}  // namespace
}  // namespace zv::organize::testing
