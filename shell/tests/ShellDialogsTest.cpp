#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "framework/ProcessState.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogLayoutCheck.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/TextFitCheck.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/TableDirectory.h"
#include "shell/ProgramServices.h"
#include "shell/ChatWindow.h"
#include "shell/FrameCommands.h"
#include "shell/Palettes.h"
#include "shell/PictureHelpers.h"
#include "shell/ShellDialogs.h"
#include "shell/ShellTables.h"
#include "shell/WindowRegistry.h"

namespace zv::shell {
namespace {

TEST(ShellDialogTemplates, EveryRegisteredTemplateLaysOutAt800x600And1024x768) {
    RegisterShellDialogs();
    for (int n : {kVersionDialog, kStaffDialog, kSystemMenuDialog, kReceiveProgressDialog,
                  kSendProgressDialog, kEditorAboutDialog, kSmallInfoDialog, kPictureDialog,
                  kNetworkWaitDialog}) {
        ui::DialogTemplate t;
        EXPECT_TRUE(ui::DialogRegistry::Global().Find(n, &t)) << n;
    }
    for (const ui::Size screen : {ui::Size{800, 600}, ui::Size{1024, 768}}) {
        ui::WindowManager wm(std::make_unique<ui::HeadlessBackend>(screen.cx, screen.cy));
        for (int n : ui::DialogRegistry::Global().Numbers()) {
            ui::DialogTemplate t;
            ASSERT_TRUE(ui::DialogRegistry::Global().Find(n, &t));
            for (const std::string& p : ui::CheckDialogLayout(t)) ADD_FAILURE() << n << ": " << p;
        }
    }
}

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        auto backend = std::make_unique<ui::HeadlessBackend>(800, 600);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        RegisterShellDialogs();
        frame = ui::CreateWindowEx(0, "STATIC", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 800, 600,
                                   {}, 0, nullptr, nullptr);
        SetWindowOfKind(WindowKind::FrameWnd, frame);
    }
    void TearDown() override {
        services->tables = nullptr;
        for (ui::Hwnd top = ui::GetTopWindow({}); top; top = ui::GetTopWindow({})) {
            ui::DestroyWindow(top);
        }
        for (int k = 0; k < kWindowKindCount; ++k) SetWindowOfKind(k, {});
        wm.reset();
    }
    // Runs a modal dialog; `act` runs once it is up (from a timer on the layer's clock).
    intptr_t RunModal(const std::function<intptr_t()>& show, std::function<void(ui::Hwnd)> act) {
        gAct = std::move(act);
        gScreen = screen;
        screen->SetAutoAdvance(true);
        ui::SetTimer({}, 77, 20, [](ui::Hwnd, uint32_t, uintptr_t id, uint32_t) {
            ui::KillTimer({}, id);
            if (gAct) gAct(ui::GetActiveWindow());
        });
        const intptr_t result = show();
        screen->SetAutoAdvance(false);
        gAct = nullptr;
        return result;
    }
    ui::Point CentreOf(ui::Hwnd dlg, int id) {
        ui::Rect r{};
        ui::GetWindowRect(ui::GetDlgItem(dlg, id), &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Shot(const std::string& name) {
        wm->Flush();
        std::filesystem::create_directories("screenshots");
        std::string error;
        EXPECT_TRUE(screen->WriteScreenshot("screenshots/" + name + ".png", &error)) << error;
        for (const std::string& p : ui::CheckScreenTexts()) ADD_FAILURE() << name << ": " << p;
        wm->Flush();
    }
    static std::string Cell(ui::Hwnd list, int item, int sub) {
        char buffer[128] = {};
        ui::LvItem it;
        it.iSubItem = sub;
        it.pszText = buffer;
        it.cchTextMax = sizeof buffer;
        ui::SendMessage(list, ui::LVM_GETITEMTEXTA, ui::WParam(item), reinterpret_cast<ui::LParam>(&it));
        return core::SjisToUtf8(buffer);
    }

    static inline std::function<void(ui::Hwnd)> gAct;
    static inline ui::HeadlessBackend* gScreen = nullptr;
    ui::HeadlessBackend* screen = nullptr;
    ScopedServices services;
    std::unique_ptr<ui::WindowManager> wm;
    ui::Hwnd frame{};
};

TEST_F(Dialogs, VersionListShowsTheProgramAndEveryTableId) {
    rules::TableDirectory tables;
    ASSERT_TRUE(tables.LoadAllTables(ZV_PROGRAM_DIR "/"));
    services->tables = &tables;
    const ui::Hwnd dlg = ui::CreateDialogParam(nullptr, kVersionDialog, frame, VersionDialogProc, 0);
    ASSERT_TRUE(dlg);
    ui::ShowWindow(dlg, ui::SW_SHOW);
    const ui::Hwnd list = ui::GetDlgItem(dlg, kIdVersionList);
    ASSERT_EQ(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0), 10);
    const char* names[] = {"ZV6.EXE",    "HVLIBR.DLL", "兵器種類データ", "武器データ",
                           "移動データ", "防御データ", "兵器データ",     "兵器行動データ",
                           "地形種類データ", "建物種類データ"};
    const rules::TableId ids[] = {rules::TableId::UnitKind, rules::TableId::WeaponKd,
                                  rules::TableId::MvcostKd, rules::TableId::DefencDk,
                                  rules::TableId::UnitInfo, rules::TableId::ActionKd,
                                  rules::TableId::LandKind, rules::TableId::SiteKind};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Cell(list, i, 0), names[i]);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Cell(list, 2 + i, 1), std::string(tables.GetEntry(ids[i]).id + 2)) << names[2 + i];
    }
    EXPECT_EQ(ui::SendMessage(list, ui::LVM_GETCOLUMNWIDTH, 0, 0), 158);
    EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(ui::GetDlgItem(dlg, kIdVersionTitle))), kGameTitle);
    EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(ui::GetDlgItem(dlg, kIdVersionNotice))),
              kVersionNotice);
    Shot("version_dialog");
    ui::DestroyWindow(dlg);
    // Without tables (or a table file without a header) the default id from its third place.
    services->tables = nullptr;
    const ui::Hwnd bare = ui::CreateDialogParam(nullptr, kVersionDialog, frame, VersionDialogProc, 0);
    EXPECT_EQ(Cell(ui::GetDlgItem(bare, kIdVersionList), 2, 1), "00000");
}

TEST_F(Dialogs, ModalDialogsEndAsTheirButtonsSay) {
    struct Case {
        const char* name;
        std::function<intptr_t()> show;
        int button;  // clicked; 0: right click in the dialog
        intptr_t result;
    };
    const Case cases[] = {
        {"system menu: save", [&] { return ShowSystemMenuDialog(frame); }, kIdSystemSave,
         kCmdSaveGame},
        {"system menu: title", [&] { return ShowSystemMenuDialog(frame); }, kIdSystemReturnToTitle,
         kCmdReturnToTitle},
        {"system menu: quit", [&] { return ShowSystemMenuDialog(frame); }, kIdSystemQuit, kCmdQuit},
        {"system menu: cancel", [&] { return ShowSystemMenuDialog(frame); }, ui::IDCANCEL,
         ui::IDCANCEL},
        {"names: OK", [&] { return ShowSmallInfoDialog(frame); }, ui::IDOK, 1},
        {"about: close", [&] { return intptr_t(ShowEditorAboutDialog(frame)); }, ui::IDCANCEL, 1},
        {"about: right click", [&] { return intptr_t(ShowEditorAboutDialog(frame)); }, 0, 1},
        {"staff: OK", [&] { return intptr_t(ShowStaffDialog(frame)); }, ui::IDOK, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool acted = false;
        const intptr_t r = RunModal(c.show, [&](ui::Hwnd dlg) {
            acted = true;
            if (c.button == 0) {
                ui::Rect rect{};
                ui::GetWindowRect(dlg, &rect);
                gScreen->Click(rect.left + 8, rect.top + 30, ui::MouseButton::Right);
            } else {
                const ui::Point p = CentreOf(dlg, c.button);
                gScreen->Click(p.x, p.y);
            }
        });
        EXPECT_TRUE(acted);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(ui::GetCapture(), ui::Hwnd{});
    }
}

TEST_F(Dialogs, AboutTextHasThreeLines) {
    const ui::Hwnd dlg =
        ui::CreateDialogParam(nullptr, kEditorAboutDialog, frame, EditorAboutDialogProc, 0);
    const std::string text = core::SjisToUtf8(ui::GetWindowText(ui::GetDlgItem(dlg, kIdAboutText)));
    EXPECT_EQ(text, "ZV6 マップエディタ\r\nVer 0.00\r\n(C) ZV6 開発チーム");
}

TEST_F(Dialogs, ProgressDialogsAreMadeHiddenWithTheirBar) {
    for (ui::Hwnd dlg : {CreateReceiveProgressDialog(frame), CreateSendProgressDialog(frame)}) {
        ASSERT_TRUE(dlg);
        EXPECT_FALSE(ui::IsWindowVisible(dlg));
        EXPECT_TRUE(ui::GetDlgItem(dlg, kIdProgressBar));
    }
}

ui::LResult AnswerProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg >= WM_REFRESH_SITE_INFO && msg <= WM_REFRESH_TROOP_NUM) return msg;
    if (msg == WM_HQ_VIEW_RECT) {
        const auto* v = reinterpret_cast<const int16_t*>(l);
        return intptr_t(w) * 1000000 + v[0] * 1000 + v[1];
    }
    return ui::DefWindowProc(h, msg, w, l);
}

TEST_F(Dialogs, NotificationsReachOnlyVisibleWindows) {
    ui::WindowClass wc;
    wc.name = "Answer";
    wc.proc = AnswerProc;
    ASSERT_TRUE(ui::RegisterClass(wc));
    struct Case {
        WindowKind kind;
        std::function<intptr_t()> notify;
        intptr_t answer;
    };
    const Case cases[] = {
        {WindowKind::SiteListWnd, [] { return NotifySiteListWindow(); }, WM_REFRESH_SITE_INFO},
        {WindowKind::CampInfoWnd, [] { return NotifyCampInfoWindow(); }, WM_REFRESH_CAMP_INFO},
        {WindowKind::TroopNumListWnd, [] { return NotifyTroopNumListWindow(); },
         WM_REFRESH_TROOP_NUM},
        {WindowKind::HqWnd, [] { return NotifyHqWindow(3, 12, 45); }, 3012045},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.notify(), 0) << "no window";
        const ui::Hwnd w = ui::CreateWindowEx(0, "Answer", "", ui::WS_POPUP, 0, 0, 10, 10, {}, 0,
                                              nullptr, nullptr);
        SetWindowOfKind(c.kind, w);
        EXPECT_EQ(c.notify(), 0) << "hidden";
        ui::ShowWindow(w, ui::SW_SHOW);
        EXPECT_EQ(c.notify(), c.answer);
        ui::DestroyWindow(w);
        EXPECT_EQ(c.notify(), 0) << "destroyed";
    }
}

TEST_F(Dialogs, PanelLayoutTable) {
    struct Case {
        int kind, column, row, ok;
    };
    for (const Case c : {Case{1, 1, 1, 1}, Case{2, 3, 2, 1}, Case{4, 2, 1, 1}, Case{8, 1, 2, 1},
                         Case{15, 3, 1, 1}, Case{3, 1, 1, 0}, Case{1, 0, 1, 0}, Case{1, 4, 1, 0},
                         Case{1, 1, 3, 0}, Case{16, 1, 1, 0}}) {
        ui::Point p{-1, -1};
        ui::Size s{-1, -1};
        EXPECT_EQ(LookupPanelLayout(c.kind, c.column, c.row, &p, &s), c.ok);
        if (c.ok) {
            EXPECT_GE(p.x, 0);
            EXPECT_EQ(s.cy, 60);
        } else {
            EXPECT_EQ(p.x, -1);
        }
    }
    ui::Point a, b;
    ui::Size s;
    LookupPanelLayout(8, 2, 2, &a, &s);
    LookupPanelLayout(15, 2, 2, &b, &s);
    EXPECT_EQ(a.x, b.x);
}

TEST_F(Dialogs, CommDebugWindowCollectsLinesAndWidensItsList) {
    ASSERT_EQ(CreateCommDebugWindow(nullptr), 1);
    const ui::Hwnd w = GetCommDebugWindow();
    ui::MoveWindow(w, 10, 10, 300, 200, true);
    const ui::Hwnd list = ui::GetDlgItem(w, 100);
    ASSERT_TRUE(list);
    CommDebugPrintf("slot %d joined", 2);
    CommDebugPrintf("%s", std::string(120, 'w').c_str());
    EXPECT_EQ(ui::SendMessage(list, ui::LB_GETCOUNT, 0, 0), 2);
    char buffer[64] = {};
    ui::SendMessage(list, ui::LB_GETTEXT, 0, reinterpret_cast<ui::LParam>(buffer));
    EXPECT_STREQ(buffer, "slot 2 joined");
    EXPECT_GT(ui::SendMessage(list, ui::LB_GETHORIZONTALEXTENT, 0, 0), 300);
    ui::Rect r{};
    ui::GetClientRect(list, &r);
    ui::Rect c{};
    ui::GetClientRect(w, &c);
    EXPECT_EQ(core::SjisToUtf8(ui::GetWindowText(w)), "通信デバッグ");
    ui::DestroyWindow(w);
    CommDebugPrintf("after %d", 1);  // no window: nothing happens
    EXPECT_EQ(GetCommDebugWindow(), ui::Hwnd{});
}

TEST_F(Dialogs, FrameTitleIsFormattedAndCut) {
    SetFrameTitleFormatted("ZV6 - %s %d", "map", 3);
    EXPECT_EQ(ui::GetWindowText(frame), "ZV6 - map 3");
    SetFrameTitleFormatted("%s", std::string(600, 'x').c_str());
    EXPECT_EQ(ui::GetWindowText(frame).size(), 512u);
}

TEST_F(Dialogs, DebugCheckRunsTheInstalledDialogs) {
    static int concluded = -1;
    static std::string asked;
    DebugCheckServices s;
    s.allianceConclude = [](int country) { concluded = country; };
    s.approve = [](ui::Hwnd, const char* text) {
        asked = text;
        return false;
    };
    SetDebugCheckServices(s);
    RunDebugCheck();
    EXPECT_EQ(concluded, 1);
    EXPECT_EQ(asked, "TEST");
    SetDebugCheckServices({});
    RunDebugCheck();  // nothing installed: nothing happens
}

}  // namespace
}  // namespace zv::shell

namespace zv::shell {
namespace {

TEST_F(Dialogs, PictureDialogStepsThroughItsPagesAndEndsOnARightClick) {
    fw::SetProgramDirectory(ZV_PROGRAM_DIR);
    LoadPalettes({});
    fw::Dib pages[3] = {fw::Dib(ZV_PROGRAM_DIR "/tyo/pro01.bmp"), fw::Dib(ZV_PROGRAM_DIR "/tyo/pro02.bmp"),
                        fw::Dib(ZV_PROGRAM_DIR "/tyo/pro03.bmp")};
    ASSERT_TRUE(pages[0].HasBits());
    std::vector<int> matched;  // the page the screen shows after each click (-1 none)
    const intptr_t r = RunModal([&] { return intptr_t(ShowPictureDialog(frame)); }, [&](ui::Hwnd dlg) {
        ui::Point origin{0, 0};
        ui::ClientToScreen(dlg, &origin);
        ui::Rect client{};
        ui::GetClientRect(dlg, &client);
        EXPECT_EQ(client.right, 480);
        EXPECT_EQ(client.bottom, 360);
        for (int click = 0; click < 4; ++click) {
            gScreen->Click(origin.x + 240, origin.y + 180);
            ui::WindowManager::Current()->PumpPending();
            ui::WindowManager::Current()->Flush();
            int shown = -1;
            for (int p = 0; p < 3; ++p) {
                bool all = true;
                for (const ui::Point at : {ui::Point{20, 20}, ui::Point{240, 300}, ui::Point{400, 100}}) {
                    const ui::RgbQuad q = GetPaletteTableC()[*pages[p].GetPixelAddress(at.x, at.y)];
                    const uint32_t want = uint32_t(q.red) << 16 | uint32_t(q.green) << 8 | q.blue;
                    all &= gScreen->PixelAt(origin.x + at.x, origin.y + at.y) == want;
                }
                if (all) shown = p;
            }
            matched.push_back(shown);
            gScreen->AdvanceClock(1000);
        }
        gScreen->Click(origin.x + 10, origin.y + 10, ui::MouseButton::Right);
    });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(matched, (std::vector<int>{-1, 0, 1, 2}));
}

}  // namespace
}  // namespace zv::shell
