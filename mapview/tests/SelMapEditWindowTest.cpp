// The editor's map window in an MDI client: the stored display settings, painting by mouse,
// the edge bands, closing and the clock step.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "mapview/MapEditorContext.h"
#include "shell/WindowMessages.h"
#include "mapview/SelMapEditWindow.h"
#include "mapview/tests/EditorFixture.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuConstants.h"
#include "rules/records/MapCursors.h"
#include "shell/Settings.h"

namespace zv::mapview {
namespace {

ui::Hwnd gClient{};
int gCloseCommands = 0;

ui::LResult FrameProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_COMMAND && ui::LoWord(w) == kCmdCloseMap) ++gCloseCommands;
    return ui::DefFrameProc(h, gClient, msg, w, l);
}

class EditorWindow : public testing::EditorFixture {
  public:
    void SetUp() override {
        EditorFixture::SetUp();
        ui::WindowClass f;
        f.name = "EditorWindowTestFrame";
        f.proc = FrameProc;
        ui::WindowClass existing;
        if (!ui::GetClassInfo(f.name.c_str(), &existing)) ui::RegisterClass(f);
        bar = ui::CreateMenu();
        const ui::Hmenu view = ui::CreatePopupMenu();
        for (int id : {40005, 40006, 40058, 40059, 40060, 40061, 40064, 40065, 40066, 40067, 40068, 40069, 40070, 40072})
            ui::AppendMenu(view, ui::MF_STRING, static_cast<uintptr_t>(id), std::to_string(id));
        ui::AppendMenu(bar, ui::MF_POPUP, ui::MenuToParam(view), "View");
        frame = ui::CreateWindowEx(0, "EditorWindowTestFrame", "ZV6", ui::WS_OVERLAPPEDWINDOW | ui::WS_VISIBLE, 0, 0, 1024,
                                   768, {}, static_cast<intptr_t>(ui::MenuToParam(bar)), nullptr, nullptr);
        ui::ClientCreateStruct ccs{};
        ui::Rect fc{};
        ui::GetClientRect(frame, &fc);
        gClient = ui::CreateWindowEx(0, ui::kMdiClientClass, "", ui::WS_CHILD | ui::WS_VISIBLE, 0, 0, fc.Width(),
                                     fc.Height(), frame, 6000, nullptr, &ccs);
        shell::SetWindowOfKind(shell::WindowKind::FrameWnd, frame);
        gCloseCommands = 0;
    }
    void TearDown() override {
        SetEditorClockStep({});
        gClient = {};
        EditorFixture::TearDown();
    }
    bool MenuChecked(int id) {
        return ui::GetMenuState(bar, static_cast<uint32_t>(id), ui::MF_BYCOMMAND) & ui::MF_CHECKED;
    }
    ui::Point ScreenOfHex(ui::Hwnd h, int x, int y) {
        std::int16_t p[2] = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
        GetEditorDocument(h)->HexToPixel(p);
        ui::Point s{p[0] + 6, p[1] + 6};
        ui::ClientToScreen(h, &s);
        return s;
    }
    std::uint8_t LandKind(int x, int y) {
        rules::HexCursor hexes(tables);
        hexes.SelectXY(rules::MakeHexPosition(x, y));
        return hexes.GetLandKind();
    }
    ui::Hmenu bar{};
    ui::Hwnd frame{};
};

TEST_F(EditorWindow, StoredSettingsReachTheViewAndTheMenu) {
    struct Case {
        int zoom, kind, switches, frameSwitch;
    } const cases[] = {{0, 1, 0x41, 0}, {2, 3, 0x7F, 1}, {1, 0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom * 100 + c.kind);
        shell::PutHexSizeKind(c.zoom);
        shell::PutMapDispKind(c.kind);
        shell::PutMapOtherDispSwitch(c.switches);
        shell::PutFrameSwidth(c.frameSwitch);
        const ui::Hwnd h = CreateSelMapEditWindow(nullptr, gClient);
        ASSERT_TRUE(h);
        EXPECT_EQ(shell::GetWindowOfKind(shell::WindowKind::MapWnd), h);
        MapEditorContext* doc = GetEditorDocument(h);
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(static_cast<int>(doc->GetZoomLevel()), c.zoom);
        EXPECT_EQ(static_cast<int>(doc->GetDisplayKind()), c.kind);
        EXPECT_EQ(doc->GetAirRoute(), c.switches & 1);
        EXPECT_EQ(doc->GetSupplyRoute(), (c.switches >> 6) & 1);
        EXPECT_EQ(MenuChecked(40005), c.zoom == 1);
        EXPECT_EQ(MenuChecked(40006), c.zoom == 2);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(MenuChecked(40058 + k), k == c.kind);
        for (int i = 0; i < 7; ++i) EXPECT_EQ(MenuChecked(40064 + i), ((c.switches >> i) & 1) != 0);
        EXPECT_EQ(MenuChecked(40072), c.frameSwitch != 0);
        // A toggle answers the new value; the settings go back to the file with the window.
        EXPECT_EQ(ui::SendMessage(h, ui::WM_COMMAND, 40065, 0), ((c.switches >> 1) & 1) ? 0 : 1);
        ui::SendMessage(gClient, ui::WM_MDIDESTROY, static_cast<ui::WParam>(ui::HwndToParam(h)), 0);
        EXPECT_FALSE(shell::GetWindowOfKind(shell::WindowKind::MapWnd));
        EXPECT_EQ(shell::GetMapOtherDispSwitch(), c.switches ^ 0x2);
        EXPECT_EQ(shell::GetHexSizeKind(), c.zoom);
    }
}

TEST_F(EditorWindow, DragPaintsEveryHexPassedAndEdgesScroll) {
    shell::PutHexSizeKind(2);
    const ui::Hwnd h = CreateSelMapEditWindow(nullptr, gClient);
    ASSERT_TRUE(h);
    ui::ShowWindow(h, ui::SW_SHOWNORMAL);
    Pump();
    int changes = 0;
    SetEditorChangeHook([&] { ++changes; });
    // Sea hexes (1, 2) to (4, 2) in one stroke.
    const ui::Point a = ScreenOfHex(h, 1, 2), b = ScreenOfHex(h, 4, 2);
    ASSERT_EQ(LandKind(3, 2), 5);
    screen->MouseMove(a.x, a.y);
    screen->MouseDown(a.x, a.y);
    for (int x = a.x; x <= b.x; x += 4) screen->MouseMove(x, a.y);
    screen->MouseUp(b.x, b.y);
    Pump();
    for (int x = 1; x <= 4; ++x) EXPECT_EQ(LandKind(x, 2), 0) << x;
    EXPECT_EQ(LandKind(5, 3), 4) << "a hex not passed keeps its land";
    EXPECT_EQ(changes, 1) << "one undo step for the stroke";
    Shot("mapedit_editor_window");

    // A press in the right-hand band scrolls instead of painting.
    MapEditorContext* doc = GetEditorDocument(h);
    doc->SetOrigin(Pack32(0, 0));
    ui::Rect r{};
    ui::GetClientRect(h, &r);
    ui::Point edge{r.right - 3, r.bottom / 2};
    ui::ClientToScreen(h, &edge);
    const auto before = doc->GetOrigin();
    screen->Click(edge.x, edge.y);
    Pump();
    EXPECT_NE(doc->GetOrigin(), before);
    EXPECT_EQ(changes, 1);
    SetEditorChangeHook({});
}

// The edge bands show their arrow cursors; inside the map, and outside the window, the cursor
// the window had before comes back.
TEST_F(EditorWindow, EdgeCursorsGiveWayToTheWindowsOwnCursor) {
    const ui::Hwnd h = CreateSelMapEditWindow(nullptr, gClient);
    ASSERT_TRUE(h);
    ui::ShowWindow(h, ui::SW_SHOWNORMAL);
    Pump();
    ui::Rect r{};
    ui::GetClientRect(h, &r);
    auto at = [&](int x, int y) {
        ui::Point p{x, y};
        ui::ClientToScreen(h, &p);
        return p;
    };
    const ui::Point inside = at(r.right / 2, r.bottom / 2);
    screen->MouseMove(inside.x, inside.y);
    Pump();
    const ui::Hcursor own = ui::GetCursor();
    struct Band {
        const char* name;
        ui::Point where;
    };
    const Band bands[] = {{"top", at(r.right / 2, 2)},
                          {"bottom", at(r.right / 2, r.bottom - 2)},
                          {"left", at(2, r.bottom / 2)},
                          {"right", at(r.right - 2, r.bottom / 2)}};
    std::vector<ui::Hcursor> seen;
    for (const Band& b : bands) {
        SCOPED_TRACE(b.name);
        screen->MouseMove(b.where.x, b.where.y);
        Pump();
        EXPECT_NE(ui::GetCursor(), own);
        seen.push_back(ui::GetCursor());
        screen->MouseMove(inside.x, inside.y);
        Pump();
        EXPECT_EQ(ui::GetCursor(), own);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end()) << "one arrow per band";
    // Straight from a band out of the window: the edge cursor does not stay behind.
    screen->MouseMove(bands[3].where.x, bands[3].where.y);
    Pump();
    ASSERT_NE(ui::GetCursor(), own);
    screen->MouseLeaveScreen();
    Pump();
    EXPECT_EQ(ui::GetCursor(), own);
}

TEST_F(EditorWindow, CloseBoxAsksTheFrameAndTheClockStepIsOptional) {
    const ui::Hwnd h = CreateSelMapEditWindow(nullptr, gClient);
    ASSERT_TRUE(h);
    ui::SendMessage(h, ui::WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(ui::IsWindow(h)) << "only the frame's command destroys it";
    EXPECT_EQ(gCloseCommands, 1);
    int steps = 0;
    SetEditorClockStep([&](int paced) {
        EXPECT_EQ(paced, 1);
        ++steps;
        return 0;
    });
    EXPECT_EQ(ui::SendMessage(h, WM_MAP_TICK_REDRAW, 0, 0), 1);
    EXPECT_EQ(steps, 1);
    std::int32_t rect[4] = {3, 4, 10, 8};
    ui::SendMessage(h, WM_SET_VIEW_RECT, 0, reinterpret_cast<ui::LParam>(rect));
    std::int32_t back[4] = {};
    ui::SendMessage(h, WM_MAP_QUERY_VIEW, 0, reinterpret_cast<ui::LParam>(back));
    EXPECT_EQ(back[0], 3);
    EXPECT_EQ(back[1], 4);
}

}  // namespace
}  // namespace zv::mapview
