#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "framework/gui/AnimeControl.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/ListViewRows.h"
#include "platform/core/Sjis.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"

namespace zv::fw {
namespace {

using ui::Hwnd;

struct Seen {
    std::vector<std::pair<uint32_t, ui::WParam>> commands;
    int ownerDrawn = 0;
};
Seen* gSeen = nullptr;

std::string Upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

ui::LResult HostProc(Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (gSeen && msg == ui::WM_COMMAND) gSeen->commands.push_back({msg, w});
    if (gSeen && msg == ui::WM_DRAWITEM) {
        ++gSeen->ownerDrawn;
        DrawOwnerDrawItem(h, int(w), reinterpret_cast<const DrawItemStruct*>(l), 10);
        return 1;
    }
    if (msg == ui::WM_PAINT) {
        ui::PaintStruct ps;
        ui::Canvas* dc = ui::BeginPaint(h, &ps);
        // A picture under everything: a band of blue on grey.
        if (dc) dc->FillSolid({0, 100, 640, 140}, ui::Rgb(0, 0, 255));
        ui::EndPaint(h, &ps);
        return 0;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

class Creators : public ::testing::Test {
  protected:
    void SetUp() override {
        auto backend = std::make_unique<ui::HeadlessBackend>(640, 480);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        gSeen = &seen;
        ui::WindowClass wc;
        wc.name = "CreatorsHost";
        wc.proc = HostProc;
        wc.hasBackground = true;
        wc.background = ui::Rgb(192, 192, 192);
        ASSERT_TRUE(ui::RegisterClass(wc));
        host = ui::CreateWindowEx(0, "CreatorsHost", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 640,
                                  480, {}, 0, nullptr, nullptr);
    }
    void TearDown() override {
        ui::DestroyWindow(host);
        wm.reset();
        gSeen = nullptr;
    }
    ui::HeadlessBackend* screen = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
    Seen seen;
    Hwnd host{};
};

TEST_F(Creators, EachMakesItsClassWithItsFixedStyle) {
    struct Case {
        Hwnd (*make)(Hwnd, int);
        const char* cls;
        uint32_t style;
    };
    const Case cases[] = {
        {[](Hwnd p, int id) { return CreateListViewCtl(p, id, 0, 0, 100, 80, ui::WS_BORDER); },
         "SysListView32", 0x5401800D | ui::WS_BORDER},
        {[](Hwnd p, int id) { return CreateTabCtl(p, id, 0, 0, 100, 80); }, "SysTabControl32",
         0x54010000},
        {[](Hwnd p, int id) { return CreateStaticCtl(p, id, 0, 0, 100, 20); }, "STATIC",
         0x54010000},
        {[](Hwnd p, int id) { return CreateEditCtl(p, id, 0, 0, 100, 20, ui::ES_NUMBER); }, "EDIT",
         0x54010000 | ui::ES_NUMBER},
        {[](Hwnd p, int id) { return CreateButtonCtl(p, id, 0, 0, 100, 20, ui::BS_AUTOCHECKBOX); },
         "BUTTON", 0x54010003},
        {[](Hwnd p, int id) { return CreateButtonCtl2(p, id, 0, 0, 16, 16); }, "BUTTON",
         0x5401000B},
        {[](Hwnd p, int id) { return CreateComboBoxCtl(p, id, 0, 0, 100, 80, 0); }, "COMBOBOX",
         0x54010803},
        {[](Hwnd p, int id) { return CreateOwnerDrawComboBoxCtl(p, id, 0, 0, 100, 80); },
         "COMBOBOX", 0x54010813},
        {[](Hwnd p, int id) { return CreateScrollBarCtl(p, id, 0, 0, 16, 80, 1); }, "SCROLLBAR",
         0x50000001},
        {[](Hwnd p, int id) { return CreateListBoxCtl(p, id, 0, 0, 100, 80, ui::LBS_NOTIFY); },
         "LISTBOX", 0x50001141},
        {[](Hwnd p, int id) { return CreateOwnerDrawListBoxCtl(p, id, 0, 0, 100, 80); }, "LISTBOX",
         0x50001150},
    };
    int id = 500;
    for (const Case& c : cases) {
        const Hwnd h = c.make(host, ++id);
        ASSERT_TRUE(h) << c.cls;
        EXPECT_EQ(Upper(ui::GetClassName(h)), Upper(c.cls)) << c.cls;
        EXPECT_EQ(uint32_t(ui::GetWindowLong(h, ui::GWL_STYLE)) & ~ui::WS_VSCROLL, c.style)
            << c.cls;
        EXPECT_EQ(ui::GetDlgCtrlID(h), id);
        EXPECT_EQ(ui::GetParent(h), host);
        EXPECT_EQ(ui::GetWindowLong(h, ui::GWL_EXSTYLE), 0) << c.cls;
    }
}

// A 4-frame strip: frame k is 8 x 8 pixels of palette index k + 1, with a transparent
// (index 0) column at its left; colour k + 1 is a pure colour.
std::string WriteStrip(const std::string& dir) {
    const int w = 32;
    const int h = 8;
    std::vector<uint8_t> file(14 + 40 + 1024 + w * h, 0);
    auto put32 = [&](std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, 14 + 40 + 1024);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    file[26] = 1;
    file[28] = 8;
    const uint8_t colours[6][3] = {{0, 0, 0},   {255, 0, 0},   {0, 255, 0},
                                   {0, 0, 255}, {255, 255, 0}, {192, 192, 192}};
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = colours[i < 6 ? i : 0];
        file[54 + i * 4 + 0] = c[2];
        file[54 + i * 4 + 1] = c[1];
        file[54 + i * 4 + 2] = c[0];
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            file[54 + 1024 + y * w + x] = (x % 8 == 0) ? 0 : uint8_t(x / 8 + 1);
    }
    std::ofstream(dir + "/anime.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return "anime.bmp";
}

TEST_F(Creators, AnimatedButtonCyclesFramesAndReportsPresses) {
    const std::string dir = ::testing::TempDir() + "zv_anime";
    std::filesystem::create_directories(dir);
    SetProgramDirectory(dir);
    WriteStrip(dir);
    wm->Flush();

    AnimeControlBlock block;
    AnimeControlOwner owner{&block, {}};
    AnimeControlParams p;
    p.x = 100;
    p.y = 96;
    p.width = 16;
    p.height = 16;
    p.controlId = 77;
    p.parent = host;
    p.frameX = 4;
    p.frameY = 4;
    p.stripWidth = 32;
    p.frameHeight = 8;
    p.frameCount = 4;
    p.interval = 100;
    std::snprintf(p.fileName, sizeof p.fileName, "%s", "anime.bmp");
    const Hwnd h = CreateAnimeControl(&owner, p);
    ASSERT_TRUE(h);
    EXPECT_EQ(owner.window, h);
    // The captured background: blue in the lower rows (y 100 and below), grey above.
    EXPECT_EQ(block.work->GetPixelColor(8, 1) & 0xFFFFFF, 0xC0C0C0u);
    EXPECT_EQ(block.work->GetPixelColor(8, 10) & 0xFFFFFF, 0xFF0000u);  // 0x00BBGGRR: blue

    // Frames run 0, 1, 2, 3, 0: the frame drawn at a tick is the one before the increment.
    const uint32_t expected[] = {ui::Rgb(255, 0, 0), ui::Rgb(0, 255, 0), ui::Rgb(0, 0, 255),
                                 ui::Rgb(255, 255, 0), ui::Rgb(255, 0, 0)};
    for (uint32_t colour : expected) {
        screen->AdvanceClock(100);
        wm->PumpPending();
        EXPECT_EQ(block.work->GetPixelColor(8, 6) & 0xFFFFFF, colour);
        // The transparent column of the frame shows the background (the blue band).
        EXPECT_EQ(block.work->GetPixelColor(4, 6) & 0xFFFFFF, 0xFF0000u);
    }
    screen->Click(105, 101);
    wm->PumpPending();
    ASSERT_EQ(seen.commands.size(), 1u);
    EXPECT_EQ(seen.commands[0].second, 77u);

    // A second control does not register the class again; interval 0 never animates.
    AnimeControlBlock still;
    AnimeControlOwner owner2{&still, {}};
    p.controlId = 78;
    p.x = 200;
    p.interval = 0;
    const Hwnd h2 = CreateAnimeControl(&owner2, p);
    ASSERT_TRUE(h2);
    screen->AdvanceClock(1000);
    wm->PumpPending();
    EXPECT_EQ(still.currentFrame, 0);
    EXPECT_EQ(still.work->GetPixelColor(8, 6) & 0xFFFFFF, 0xFF0000u);  // the blue band only
    ui::DestroyWindow(h);
    ui::DestroyWindow(h2);
}

TEST_F(Creators, OwnerDrawnListViewRowsThroughTheRowPainter) {
    const Hwnd list =
        CreateListViewCtl(host, 1177, 20, 20, 300, 150, ui::WS_BORDER | ui::LVS_OWNERDRAWFIXED);
    ASSERT_TRUE(list);
    const char* headings[] = {"名称", "バージョン"};
    const int widths[] = {158, 120};
    for (int c = 0; c < 2; ++c) {
        std::string text = core::Utf8ToSjis(headings[c]);
        ui::LvColumn col;
        col.mask = ui::LVCF_TEXT | ui::LVCF_WIDTH | ui::LVCF_FMT;
        col.pszText = text.data();
        col.cx = widths[c];
        ASSERT_EQ(
            ui::SendMessage(list, ui::LVM_INSERTCOLUMNA, c, reinterpret_cast<ui::LParam>(&col)), c);
    }
    const char* rows[][2] = {
        {"ZV6.EXE", "1.0.4.0"}, {"兵器種類データ", "000001"}, {"武器データ", "000002"}};
    for (int r = 0; r < 3; ++r) {
        std::string a = core::Utf8ToSjis(rows[r][0]);
        std::string b = core::Utf8ToSjis(rows[r][1]);
        ui::LvItem item;
        item.mask = ui::LVIF_TEXT;
        item.iItem = r;
        item.pszText = a.data();
        ASSERT_EQ(
            ui::SendMessage(list, ui::LVM_INSERTITEMA, 0, reinterpret_cast<ui::LParam>(&item)), r);
        item.iSubItem = 1;
        item.pszText = b.data();
        ui::SendMessage(list, ui::LVM_SETITEMTEXTA, r, reinterpret_cast<ui::LParam>(&item));
    }
    // Select row 1 with a click, which also focuses the list.
    ui::Rect rowRect{ui::LVIR_BOUNDS, 0, 0, 0};
    ui::SendMessage(list, ui::LVM_GETITEMRECT, 1, reinterpret_cast<ui::LParam>(&rowRect));
    ui::Point p{40, (rowRect.top + rowRect.bottom) / 2};
    ui::ClientToScreen(list, &p);
    screen->Click(p.x, p.y);
    wm->PumpPending();
    wm->Flush();
    EXPECT_GE(seen.ownerDrawn, 3);
    EXPECT_EQ(
        ui::SendMessage(list, ui::LVM_GETNEXTITEM, static_cast<ui::WParam>(-1), ui::LVNI_SELECTED),
        1);
    // The painter filled the selected, focused row in the highlight colour.
    EXPECT_EQ(screen->PixelAt(p.x + 100, p.y - 3), ui::ToPixel32(kHighlightColor));
    ui::Point other{40, rowRect.top - 3};
    ui::ClientToScreen(list, &other);
    EXPECT_EQ(screen->PixelAt(other.x + 100, other.y), 0xFFFFFFu);
    std::filesystem::create_directories("screenshots");
    std::string error;
    EXPECT_TRUE(screen->WriteScreenshot("screenshots/listview_ownerdraw.png", &error)) << error;
}

}  // namespace
}  // namespace zv::fw
