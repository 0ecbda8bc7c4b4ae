#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/ProcessState.h"
#include "platform/core/Sjis.h"
#include "platform/core/tests/TempDir.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"
#include "shell/FrameCommands.h"
#include "shell/ProgramServices.h"
#include "shell/Settings.h"

namespace zv::shell {
namespace {

using zv::testing::TempDir;

struct Seen {
    ui::Hwnd hwnd;
    uint32_t msg;
    ui::WParam w;
    ui::LParam l;
};
std::vector<Seen>* gSeen = nullptr;

ui::LResult RecordingProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (gSeen && msg >= ui::WM_USER) gSeen->push_back({h, msg, w, l});
    if (gSeen && msg == ui::WM_COMMAND) gSeen->push_back({h, msg, w, l});
    return ui::DefWindowProc(h, msg, w, l);
}

std::vector<std::pair<int, int>>* gChecks = nullptr;
void RecordCheck(int command, int checked) {
    gChecks->push_back({command, checked});
}

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        saved = fw::GetProgramDirectory();
        fw::SetProgramDirectory(dir.Path());
        services->registry = &registry;
        wm = std::make_unique<ui::WindowManager>(std::make_unique<ui::HeadlessBackend>(800, 600));
        ui::WindowClass wc;
        wc.name = "SettingsTestWindow";
        wc.proc = RecordingProc;
        ASSERT_TRUE(ui::RegisterClass(wc));
        gSeen = &seen;
        gChecks = &checks;
        SetMenuCheckHook(RecordCheck);
    }
    void TearDown() override {
        SetMenuCheckHook(nullptr);
        gSeen = nullptr;
        gChecks = nullptr;
        wm.reset();
        services->registry = nullptr;
        fw::SetProgramDirectory(saved);
    }
    std::string IniText() const { return TempDir::Read(dir.Path() + "ZV6WIN.INI"); }
    void WriteIni(const std::string& text) const { dir.Put("ZV6WIN.INI", text); }
    ui::Hwnd Window(uint32_t style, int x, int y, int w, int h, ui::Hwnd parent = {}) {
        return ui::CreateWindowEx(0, "SettingsTestWindow", "", style, x, y, w, h, parent, 0,
                                  nullptr, nullptr);
    }
    std::vector<Seen> MessagesTo(ui::Hwnd h) const {
        std::vector<Seen> out;
        for (const Seen& s : seen) {
            if (s.hwnd == h) out.push_back(s);
        }
        return out;
    }

    TempDir dir;
    std::string saved;
    WindowRegistry registry;
    ScopedServices services;
    std::unique_ptr<ui::WindowManager> wm;
    std::vector<Seen> seen;
    std::vector<std::pair<int, int>> checks;
};

TEST_F(SettingsFile, DefaultsWithoutAFile) {
    struct Case {
        const char* key;
        int (*get)();
        int def;
    };
    const Case cases[] = {
        {"GameSpeed", GetGameSpeed, 5},
        {"FightMine", GetFightMine, 1},
        {"FightOther", GetFightOther, 1},
        {"FightSimple", GetFightSimple, 1},
        {"PaneConf", GetPaneConf, 63},
        {"BGM", GetBgm, 1},
        {"SOUND", GetSound, 1},
        {"Map", GetMapOption, 0},
        {"MapSize", GetMapSize, 0},
        {"MapFrame", GetMapFrame, 0},
        {"Lader", GetLader, 0},
        {"Supply", GetSupply, 0},
        {"Move", GetMove, 0},
        {"Troop", GetTroop, 0},
        {"Info", GetInfo, 0},
        {"DispPanel", GetDispPanel, 1},
        {"MaxAttackRenge", GetMaxAttackRenge, 15},
        {"AttackRengeMagnifying", GetAttackRengeMagnifying, 20},
        {"HexSizeKind", GetHexSizeKind, 2},
        {"FrameSwidth", GetFrameSwidth, 1},
        {"MapDispKind", GetMapDispKind, 0},
        {"MapOtherDispSwitch", GetMapOtherDispSwitch, 0},
        {"TroopManeDispSwitch", GetTroopManeDispSwitch, 0},
        {"DrawType", GetDrawType, 0},
        {"RbuttonType", GetRbuttonType, 2},
        {"PenType", GetPenType, 0},
        {"AriaType", GetAriaType, 1064},
        {"DeleteType", GetDeleteType, 0},
        {"SprayAriaType", GetSprayAriaType, 0},
        {"SprayNumType", GetSprayNumType, 0},
        {"DispTerType", GetDispTerType, 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.get(), c.def) << c.key;
        EXPECT_EQ(GetEnvironInt(c.key, -99), -99) << c.key;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "ZV6WIN.INI"));  // reads create nothing
    // Each getter reads its own key.
    WriteIni("[Environ]\n");
    for (const Case& c : cases) {
        ASSERT_EQ(PutEnvironInt(c.key, 77), 1);
        EXPECT_EQ(c.get(), 77) << c.key;
    }
}

TEST_F(SettingsFile, SettersCutValuesToTheirWidth) {
    struct Case {
        int (*put)(int);
        int (*get)();
        const char* line;
        int value;
        int stored;
    };
    const Case cases[] = {
        {PutGameSpeed, GetGameSpeed, "GameSpeed=44", 300, 44},
        {PutSound, GetSound, "SOUND=255", -1, 255},
        {PutFightMine, GetFightMine, "FightMine=4464", 70000, 4464},
        {PutHexSizeKind, GetHexSizeKind, "HexSizeKind=65535", -1, 65535},
        {PutDrawType, GetDrawType, "DrawType=-25536", 40000, -25536},
        {PutDispTerType, GetDispTerType, "DispTerType=-1", 65535, -1},
        {PutFrameSwidth, GetFrameSwidth, "FrameSwidth=-7", -7, -7},
        {PutAriaType, GetAriaType, "AriaType=123456", 123456, 123456},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.put(c.value), 1);
        EXPECT_EQ(c.get(), c.stored) << c.line;
        EXPECT_NE(IniText().find(std::string(c.line) + "\r\n"), std::string::npos) << c.line;
    }
}

TEST_F(SettingsFile, SectionAndKeyNamesIgnoreCase) {
    PutGameSpeed(3);
    EXPECT_EQ(PutUserNameSetting("environ", "UserName", "Taro"), 1);
    const std::string text = IniText();
    EXPECT_EQ(text.find("[environ]"), std::string::npos);  // the existing section took the key
    EXPECT_EQ(text.find('[', 1), std::string::npos);
    char name[kUserNameBufferSize];
    EXPECT_STREQ(GetUserNameSetting("ENVIRON", "username", "NONE", name), "Taro");
    EXPECT_EQ(GetEnvironInt("gamespeed", 0), 3);
    EXPECT_STREQ(GetUserNameSetting("environ", "Other", "NONE", name), "NONE");

    // Without a file the name reads as "NONE".
    std::filesystem::remove(dir.Path() + "ZV6WIN.INI");
    EXPECT_STREQ(GetUserNameSetting("environ", "UserName", "NONE", name), "NONE");
}

TEST_F(SettingsFile, TextsKeepAtMostSeventyNineBytes) {
    std::string longName;
    for (int i = 0; i < 50; ++i) longName += "\x82\xa0";  // 100 bytes of "あ"
    ASSERT_EQ(PutUserNameSetting("environ", "UserName", longName.c_str()), 1);
    char name[kUserNameBufferSize];
    GetUserNameSetting("environ", "UserName", "NONE", name);
    EXPECT_EQ(std::string(name), longName.substr(0, 78));  // never half a character
    EXPECT_EQ(PutFileSetting("LastMap", "MAP00001.ddm"), 1);
    EXPECT_STREQ(GetFileSetting("lastmap", "", name), "MAP00001.ddm");
    EXPECT_STREQ(GetFileSetting("Missing", "dflt", name), "dflt");
    // A line break would forge other keys: refused, nothing changes.
    EXPECT_EQ(PutFileSetting("LastMap", "x\nGameSpeed=9"), 0);
    EXPECT_STREQ(GetFileSetting("LastMap", "", name), "MAP00001.ddm");
    char path[260];
    EXPECT_EQ(std::string(GetIniFilePath(path)), dir.Path() + "\\ZV6WIN.INI");
}

TEST_F(SettingsFile, IntegerLists) {
    struct Case {
        const char* text;
        char sep;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"1,-2,,4", ',', {1, -2, 0, 4, 0}},
        {"7;8;9;10;11;12", ';', {7, 8, 9, 10, 11}},
        {" 3x,+4", ',', {3, 4, 0, 0, 0}},
        {"", ',', {0, 0, 0, 0, 0}},
        {"99999999999,-99999999999", ',', {INT32_MAX, INT32_MIN, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        std::vector<int> out(5, -1);
        EXPECT_EQ(SplitIntList(5, c.sep, out.data(), c.text), 1);
        EXPECT_EQ(out, c.expected) << c.text;
    }
}

TEST_F(SettingsFile, LoadingWindowPlacements) {
    WriteIni(
        "[Windows]\nHelperWindow=0,-20,-5,300,200,1\nChatWindow=0,-20,-5,300,200,1\n"
        "HqWnd=4,5\n");
    // A pop-up without a sizing border keeps its size.
    const ui::Hwnd helper = Window(ui::WS_POPUP, 50, 60, 120, 90);
    const ui::Hwnd chat = Window(ui::WS_POPUP | ui::WS_THICKFRAME, 50, 60, 120, 90);
    SetWindowOfKind(WindowKind::HelperWindow, helper);
    SetWindowOfKind(WindowKind::ChatWindow, chat);
    int flags = 9, visible = 0;
    PlacementRect rect{1, 2, 3, 4};
    EXPECT_EQ(LoadWindowPlacement(34, &flags, &rect, &visible), 1);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(rect, (PlacementRect{0, 0, 300, 200}));
    EXPECT_EQ(visible, 1);
    ui::Rect r;
    ui::GetWindowRect(helper, &r);
    EXPECT_EQ(r, (ui::Rect{0, 0, 120, 90}));
    EXPECT_TRUE(ui::IsWindowVisible(helper));

    EXPECT_EQ(LoadWindowPlacement(35, &flags, &rect, &visible), 1);
    ui::GetWindowRect(chat, &r);
    EXPECT_EQ(r, (ui::Rect{0, 0, 300, 200}));

    // A missing key leaves the values as they came; a short value keeps the fields it lacks.
    const ui::Hwnd news = Window(ui::WS_POPUP | ui::WS_THICKFRAME, 0, 0, 10, 10);
    SetWindowOfKind(WindowKind::NewsWnd, news);
    flags = 3, visible = 0, rect = {10, 20, 30, 40};
    EXPECT_EQ(LoadWindowPlacement(23, &flags, &rect, &visible), 1);
    EXPECT_EQ(flags, 3);
    EXPECT_EQ(rect, (PlacementRect{10, 20, 30, 40}));
    EXPECT_FALSE(ui::IsWindowVisible(news));
    ui::GetWindowRect(news, &r);
    EXPECT_EQ(r, (ui::Rect{10, 20, 40, 60}));
    SetWindowOfKind(WindowKind::HqWnd, news);
    EXPECT_EQ(LoadWindowPlacement(8, &flags, &rect, &visible), 1);
    EXPECT_EQ(flags, 4);
    EXPECT_EQ(rect, (PlacementRect{5, 20, 30, 40}));

    // Refused: numbers that are no kind, and kinds without a window.
    EXPECT_EQ(LoadWindowPlacement(38, &flags, &rect, &visible), 0);
    EXPECT_EQ(LoadWindowPlacement(-1, &flags, &rect, &visible), 0);
    EXPECT_EQ(LoadWindowPlacement(int(WindowKind::MapWnd), &flags, &rect, &visible), 0);
    ui::DestroyWindow(helper);
    EXPECT_EQ(LoadWindowPlacement(34, &flags, &rect, &visible), 0);
}

TEST_F(SettingsFile, SavingWindowPlacements) {
    const ui::Hwnd frame = Window(ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 700, 500);
    const ui::Hwnd client = Window(ui::WS_CHILD | ui::WS_VISIBLE, 100, 50, 500, 400, frame);
    const ui::Hwnd child = Window(ui::WS_CHILD | ui::WS_VISIBLE, 10, 20, 120, 80, client);
    const ui::Hwnd popup = Window(ui::WS_POPUP, 30, 40, 60, 70);
    SetWindowOfKind(WindowKind::MdiWnd, client);
    SetWindowOfKind(WindowKind::UnitListWnd, child);
    SetWindowOfKind(WindowKind::SpeedWnd, popup);
    SaveWindowPlacement(5);
    SaveWindowPlacement(29);
    SaveWindowPlacement(int(WindowKind::MapWnd));  // no window: nothing written
    SaveWindowPlacement(40);
    EXPECT_EQ(IniText(),
              "[Windows]\r\nUnitListWnd=0,10,20,120,80,1\r\nSpeedWnd=0,30,40,60,70,0\r\n");
}

TEST_F(SettingsFile, ApplyingDisplaySettingsWithFightsOff) {
    PutFightMine(0);
    PutFightOther(0);
    PutFightSimple(1);
    PutInfo(1);
    PutDispPanel(0);
    PutMapSize(2);
    PutMapFrame(1);
    PutSupply(3);
    PutMove(4);
    PutLader(5);
    PutMapOption(6);
    PutTroop(3);
    const ui::Hwnd map = Window(ui::WS_POPUP, 0, 0, 10, 10);
    const ui::Hwnd panels = Window(ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 10, 10);
    const ui::Hwnd table = Window(ui::WS_POPUP, 0, 0, 10, 10);
    SetWindowOfKind(WindowKind::MapWnd, map);
    SetWindowOfKind(WindowKind::PanelManeger, panels);
    SetWindowOfKind(WindowKind::TableGroopWnd, table);

    EXPECT_EQ(ApplyDisplaySettings(), 1);
    EXPECT_EQ(GetFightSimple(), 0);
    EXPECT_EQ(checks, (std::vector<std::pair<int, int>>{{kCmdBgm, 1},
                                                        {kCmdSound, 1},
                                                        {kCmdFightMine, 0},
                                                        {kCmdFightOther, 0},
                                                        {kCmdFightSimple, 0}}));
    EXPECT_TRUE(ui::IsWindowVisible(table));
    EXPECT_FALSE(ui::IsWindowVisible(panels));
    EXPECT_TRUE(MessagesTo(panels).empty());
    const std::vector<Seen> toMap = MessagesTo(map);
    ASSERT_EQ(toMap.size(), 7u);
    const int expected[6][2] = {{1, 2}, {2, 1}, {3, 3}, {4, 4}, {6, 5}, {0, 6}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(toMap[i].msg, WM_MAP_SET_OPTION);
        EXPECT_EQ(int(toMap[i].w), expected[i][0]);
        EXPECT_EQ(int(toMap[i].l), expected[i][1]);
    }
    // The captions are set to the stored mode, not stepped on from the one shown, so applying
    // the settings again leaves them where they are.
    EXPECT_EQ(toMap[6].msg, WM_MAP_SET_OPTION);
    EXPECT_EQ(int(toMap[6].w), kMapOptionTroopCaptions);
    EXPECT_EQ(int(toMap[6].l), 3);
    for (const Seen& m : toMap) EXPECT_NE(m.msg, ui::WM_COMMAND);
}

TEST_F(SettingsFile, ApplyingTheDefaults) {
    const ui::Hwnd panels = Window(ui::WS_POPUP, 0, 0, 10, 10);
    const ui::Hwnd table = Window(ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 10, 10);
    SetWindowOfKind(WindowKind::PanelManeger, panels);
    SetWindowOfKind(WindowKind::TableGroopWnd, table);
    EXPECT_EQ(ReapplyDisplaySettings(), 1);  // no map window: its messages are not sent
    EXPECT_FALSE(ui::IsWindowVisible(table));
    EXPECT_TRUE(ui::IsWindowVisible(panels));
    const std::vector<Seen> toPanels = MessagesTo(panels);
    ASSERT_EQ(toPanels.size(), 1u);
    EXPECT_EQ(toPanels[0].msg, WM_LAYOUT_PANELS);
    EXPECT_EQ(checks.back(), (std::pair<int, int>{kCmdFightSimple, 1}));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "ZV6WIN.INI"));

    // A hand-edited troop display value outside the five modes shows no captions.
    WriteIni("[Environ]\nTroop=100000\n");
    const ui::Hwnd map = Window(ui::WS_POPUP, 0, 0, 10, 10);
    SetWindowOfKind(WindowKind::MapWnd, map);
    ApplyDisplaySettings();
    ASSERT_EQ(MessagesTo(map).size(), 7u);
    EXPECT_EQ(int(MessagesTo(map).back().l), 0);
}

}  // namespace
}  // namespace zv::shell
