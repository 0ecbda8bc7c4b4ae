// The organisation dialog run modally, as the corps manager's 編集 runs it: what it writes.

#include <cstring>

#include "organize/tests/OrganizeFixture.h"
#include "rules/records/ForceRecord.h"
#include "rules/troops/TroopMembers.h"

namespace zv::organize::testing {
namespace {

class OrganizeSave : public OrganizeTest {
  protected:
    // Runs the editor on a corps file; the steps run one after another from a timer while the
    // modal dialog is up, each after the input of the one before has been handled.
    int RunEditor(const std::string& file, std::vector<std::function<void(ui::Hwnd)>> steps) {
        gSteps = std::move(steps);
        gNext = 0;
        screen->SetAutoAdvance(true);
        ui::SetTimer({}, 91, 30, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            if (gNext >= gSteps.size()) {
                ui::KillTimer({}, id);
                return;
            }
            const std::size_t n = gNext++;
            gSteps[n](GetOrganizeState().dialog);
        });
        const int result = RunCorpsEditor(owner, file);
        screen->SetAutoAdvance(false);
        gSteps.clear();
        return result;
    }
    ui::Hwnd ListIn(ui::Hwnd dialog, int id) { return ui::GetDlgItem(ui::GetDlgItem(dialog, kIdListTabs), id); }
    ui::Point RowPoint(ui::Hwnd dialog, int id, int row) {
        ui::Rect r{};
        r.left = ui::LVIR_BOUNDS;
        ui::SendMessage(ListIn(dialog, id), ui::LVM_GETITEMRECT, ui::WParam(row), reinterpret_cast<ui::LParam>(&r));
        return At(ListIn(dialog, id), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    ui::Point PanelPoint(ui::Hwnd dialog, int slot) {
        ui::Hwnd display = ui::GetDlgItem(ui::GetDlgItem(dialog, kIdInfoTabs), kIdTroopDisplay);
        return At(display, kPanelOrigins[slot].x + 76, kPanelOrigins[slot].y + 30);
    }
    // Steps that choose an altitude code and drag a unit onto a panel.
    void AddCompose(std::vector<std::function<void(ui::Hwnd)>>& steps, int code, int unit, int slot) {
        steps.push_back([code](ui::Hwnd d) {
            ui::SendDlgItemMessage(d, kIdAltitudeCombo, ui::CB_SETCURSEL, ui::WParam(code - 1), 0);
            ui::SendMessage(d, ui::WM_COMMAND, ui::MakeWParam(kIdAltitudeCombo, ui::CBN_SELCHANGE), 0);
        });
        steps.push_back([this, unit](ui::Hwnd d) {
            int row = -1;
            for (int r = 0; r < kUnitRowCapacity && row < 0; ++r) {
                if (GetOrganizeState().unitRows[std::size_t(r)] == unit) row = r;
            }
            ASSERT_GT(row, 0);
            ui::SendMessage(ListIn(d, kIdUnitList), ui::LVM_ENSUREVISIBLE, ui::WParam(row), 0);
            const ui::Point p = RowPoint(d, kIdUnitList, row);
            screen->MouseMove(p.x, p.y);
            screen->MouseDown(p.x, p.y);
            screen->MouseMove(p.x + 8, p.y + 8);
        });
        steps.push_back([this, slot](ui::Hwnd d) {
            const ui::Point p = PanelPoint(d, slot);
            screen->MouseMove(p.x, p.y);
            screen->MouseUp(p.x, p.y);
        });
    }
    void AddClick(std::vector<std::function<void(ui::Hwnd)>>& steps, int id) {
        // Give the dialog's 100 ms timer time to bring the buttons up to date.
        for (int i = 0; i < 5; ++i) steps.push_back([](ui::Hwnd) {});
        steps.push_back([this, id](ui::Hwnd d) {
            const ui::Point p = Centre(ui::GetDlgItem(d, id));
            screen->Click(p.x, p.y);
        });
    }

    void MakeEmptyCorps(const std::string& file) {
        rules::ForceCursor fc(tables, 5, nullptr);
        fc.SelectSlot(5);
        fc.ClearForce();
        fc.SetName(core::Utf8ToSjis("保存試験").c_str());
        ASSERT_TRUE(fc.SaveUserForceFile(world.corpsDirectory, file.c_str()).ok);
    }

    static inline std::vector<std::function<void(ui::Hwnd)>> gSteps;
    static inline std::size_t gNext = 0;
};

TEST_F(OrganizeSave, SaveAndCloseWritesTheCorpsItWasReadFromByteForByte) {
    MakeEmptyCorps("useFrc10.prm");
    CopyDefaultCorps("useFrc00.prm");
    const auto untouched = ReadFile("useFrc00.prm");
    const int tank = Unit("鉄牙 主力戦車");
    std::vector<std::function<void(ui::Hwnd)>> steps;
    AddCompose(steps, 4, tank, 1);
    AddClick(steps, kIdRegisterTroop);
    AddClick(steps, kIdSaveAndClose);
    EXPECT_EQ(RunEditor("useFrc10.prm", std::move(steps)), 1);

    const auto bytes = ReadFile("useFrc10.prm");
    ASSERT_EQ(bytes.size(), rules::kCorpsFileSize);
    const std::uint8_t header[16] = {105, 0, 1, 0, 0x66, 0x06, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes.data(), header, 16), 0);
    const std::uint8_t* working = tables.GetTableBase(rules::TableId::Force);
    EXPECT_EQ(std::memcmp(bytes.data() + 16, working, rules::kForceRecordSize), 0);
    // Read back into country 0's slot (slot 1), the corps is the one composed.
    rules::ForceCursor back(tables, 0, nullptr);
    back.SelectSlot(0);
    ASSERT_TRUE(back.LoadUserForceFile(world.corpsDirectory, "useFrc10.prm").ok);
    EXPECT_EQ(std::memcmp(tables.GetTableBase(rules::TableId::Force) + rules::kForceRecordSize, working,
                          rules::kForceRecordSize),
              0);
    back.SelectForceTroop(0);
    EXPECT_EQ(back.GetMemberUnit(1), tank);
    EXPECT_EQ(core::SjisToUtf8(back.TroopCursor::GetName()), "第001陸上隊");
    EXPECT_EQ(ReadFile("useFrc00.prm"), untouched);  // the last file read before is not touched
    EXPECT_FALSE(workspace.ScratchOn());
}

TEST_F(OrganizeSave, CancelAnsweredYesWritesNothing) {
    MakeEmptyCorps("useFrc10.prm");
    const auto before = ReadFile("useFrc10.prm");
    std::vector<std::function<void(ui::Hwnd)>> steps;
    AddCompose(steps, 4, Unit("鉄牙 主力戦車"), 0);
    AddClick(steps, kIdRegisterTroop);
    AddClick(steps, kIdCancel);
    EXPECT_EQ(RunEditor("useFrc10.prm", std::move(steps)), 0);
    EXPECT_TRUE(BoxSaid("変更した内容が失われます。よろしいですか？"));
    EXPECT_EQ(ReadFile("useFrc10.prm"), before);
}

TEST_F(OrganizeSave, AFailedWriteSaysSoAndKeepsTheOldFile) {
    MakeEmptyCorps("useFrc10.prm");
    const auto before = ReadFile("useFrc10.prm");
    std::vector<std::function<void(ui::Hwnd)>> steps;
    AddCompose(steps, 4, Unit("鉄牙 主力戦車"), 0);
    AddClick(steps, kIdRegisterTroop);
    // The folder goes away while the dialog is open: nowhere to write the temporary file.
    steps.push_back([this](ui::Hwnd) { fs::rename(corpsDir / "USER", corpsDir / "AWAY"); });
    AddClick(steps, kIdSaveAndClose);
    const int result = RunEditor("useFrc10.prm", std::move(steps));
    fs::rename(corpsDir / "AWAY", corpsDir / "USER");
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(GetOrganizeSaveError().empty());
    EXPECT_TRUE(BoxSaid(GetOrganizeSaveError()));
    EXPECT_EQ(ReadFile("useFrc10.prm"), before);
}

// Every altitude code registers the class troop creation uses everywhere: the members' class.
TEST_F(OrganizeSave, EveryAltitudeClassComesBackFromTheFile) {
    MakeEmptyCorps("useFrc10.prm");
    rules::UnitInfoCursor units(tables);
    rules::UnitKindCursor kinds(tables);
    int unitOfCode[7] = {-1, -1, -1, -1, -1, -1, -1};
    for (int i = 0; i < tables.GetTableRecordCount(rules::TableId::UnitInfo); ++i) {
        if (!units.Select(i) || !kinds.Select(units.GetUnitKind()) || !(kinds.GetClassFlags() & 0x10)) continue;
        if (!(units.GetProductionSides() & 1) || units.GetUnitKind() == 101) continue;
        const int code = AltitudeCodeOfUnit(units.GetAltitudeClass(), units.GetDefenceType());
        if (code > 0 && unitOfCode[code] < 0) unitOfCode[code] = i;
    }
    std::vector<std::function<void(ui::Hwnd)>> steps;
    for (int code = 1; code <= 6; ++code) {
        ASSERT_GE(unitOfCode[code], 0) << "no unit of code " << code;
        AddCompose(steps, code, unitOfCode[code], 0);
        AddClick(steps, kIdRegisterTroop);
    }
    AddClick(steps, kIdSaveAndClose);
    ASSERT_EQ(RunEditor("useFrc10.prm", std::move(steps)), 1);

    rules::ForceCursor back(tables, 2, nullptr);
    back.SelectSlot(2);
    ASSERT_TRUE(back.LoadUserForceFile(world.corpsDirectory, "useFrc10.prm").ok);
    for (int t = 0; t < 6; ++t) {
        back.SelectForceTroop(std::uint16_t(t));
        const int stored = back.GetTroopAltitudeClass();
        EXPECT_EQ(stored, AltitudeClassOfCode(t + 1)) << "troop " << t;
        EXPECT_EQ(stored, back.RefreshAltitudeClass()) << "troop " << t;
    }
}

}  // namespace
}  // namespace zv::organize::testing
