#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/gui/ListViewRows.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Window.h"

namespace zv::fw {
namespace {

using ui::Hwnd;

Dib* gPicture = nullptr;

ui::LResult PictureProc(Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_PAINT) {
        PaintWindowFromBitmap(h, gPicture);
        return 0;
    }
    return ui::DefWindowProc(h, msg, w, l);
}

// A list-view stand-in that answers the painter's questions from a table.
struct FakeList {
    struct Column {
        int fmt;
        int left, right;
        std::string text;
    };
    std::vector<Column> columns;
    uint32_t state = 0;
    int image = -1;
    int top = 10, bottom = 26;
    int columnQueries = 0;
};
FakeList* gList = nullptr;

struct DrawCall {
    int image, x, y;
    uint32_t style;
};
class RecordingImages : public ImageList {
  public:
    bool Draw(int image, ui::Canvas&, int x, int y, uint32_t style) const override {
        calls.push_back({image, x, y, style});
        return true;
    }
    mutable std::vector<DrawCall> calls;
};
RecordingImages gImages;

ui::LResult ListProc(Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    FakeList& f = *gList;
    switch (msg) {
        case LVM_GETITEMSTATE:
            return ui::LResult(f.state & uint32_t(l));
        case LVM_GETIMAGELIST:
            return reinterpret_cast<ui::LResult>(&gImages);
        case LVM_GETCOLUMNA: {
            ++f.columnQueries;
            if (w >= f.columns.size()) return 0;
            reinterpret_cast<LvColumn*>(l)->fmt = f.columns[w].fmt;
            return 1;
        }
        case LVM_GETITEMA: {
            auto* item = reinterpret_cast<LvItem*>(l);
            item->iImage = item->iSubItem == 0 ? f.image : -1;
            return 1;
        }
        case LVM_GETSUBITEMRECT: {
            auto* r = reinterpret_cast<ui::Rect*>(l);
            const FakeList::Column& c = f.columns[r->top];
            const int left = (r->left == LVIR_LABEL) ? c.left + 16 : c.left;
            *r = {left, f.top, c.right, f.bottom};
            return 1;
        }
        case LVM_GETITEMTEXTA: {
            auto* item = reinterpret_cast<LvItem*>(l);
            const std::string& t = f.columns[item->iSubItem].text;
            std::strncpy(item->pszText, t.c_str(), item->cchTextMax - 1);
            return ui::LResult(t.size());
        }
    }
    return ui::DefWindowProc(h, msg, w, l);
}

class WindowUtilities : public ::testing::Test {
  protected:
    void SetUp() override {
        auto backend = std::make_unique<ui::HeadlessBackend>(800, 600);
        screen = backend.get();
        wm = std::make_unique<ui::WindowManager>(std::move(backend));
        ui::WindowClass picture;
        picture.name = "PictureTest";
        picture.proc = PictureProc;
        ASSERT_TRUE(ui::RegisterClass(picture));
        ui::WindowClass list;
        list.name = "FakeListView";
        list.proc = ListProc;
        ASSERT_TRUE(ui::RegisterClass(list));
    }
    void TearDown() override {
        wm.reset();
        gPicture = nullptr;
        gList = nullptr;
    }
    Hwnd Popup(int x, int y, int w, int h) {
        return ui::CreateWindowEx(0, "PictureTest", "", ui::WS_POPUP | ui::WS_VISIBLE, x, y, w, h,
                                  {}, 0, nullptr, nullptr);
    }
    Hwnd Child(Hwnd parent, const char* cls, int id, int x, int y, int w, int h) {
        return ui::CreateWindowEx(0, cls, "", ui::WS_CHILD | ui::WS_VISIBLE, x, y, w, h, parent, id,
                                  nullptr, nullptr);
    }
    // Position relative to the parent's client area, and size.
    static ui::Rect Placement(Hwnd h) {
        ui::Rect r;
        ui::GetWindowRect(h, &r);
        ui::Point p{r.left, r.top};
        ui::ScreenToClient(ui::GetParent(h), &p);
        return {p.x, p.y, p.x + r.Width(), p.y + r.Height()};
    }

    ui::HeadlessBackend* screen = nullptr;
    std::unique_ptr<ui::WindowManager> wm;
};

TEST_F(WindowUtilities, CentringOnTheScreen) {
    const int fw = ui::GetSystemMetrics(ui::SM_CXFULLSCREEN);
    const int fh = ui::GetSystemMetrics(ui::SM_CYFULLSCREEN);
    struct Case {
        int w, h;
        ui::Rect expected;
    };
    const Case cases[] = {
        {200, 101, {(fw - 200) / 2, (fh - 101) / 2, (fw - 200) / 2 + 200, (fh - 101) / 2 + 101}},
        {fw + 50, 20, {0, (fh - 20) / 2, fw + 50, (fh - 20) / 2 + 20}},  // wider than the screen
        {3000, 3000, {0, 0, 3000, 3000}},
    };
    for (const Case& c : cases) {
        const Hwnd h = Popup(5, 5, 10, 10);
        CenterWindowOnScreen(h, c.w, c.h, ui::SWP_NOZORDER);
        ui::Rect r;
        ui::GetWindowRect(h, &r);
        EXPECT_EQ(r, c.expected) << c.w << "x" << c.h;
    }
    const Hwnd keep = Popup(5, 5, 10, 10);
    CenterWindowOnScreen(keep, 200, 100, ui::SWP_NOSIZE);
    ui::Rect r;
    ui::GetWindowRect(keep, &r);
    EXPECT_EQ(r.Width(), 10);
    EXPECT_EQ(r.left, (fw - 200) / 2);
}

TEST_F(WindowUtilities, CentringInTheParentAndPlacingTheButtons) {
    const Hwnd dialog = Popup(50, 40, 400, 300);
    const Hwnd child = Child(dialog, "PictureTest", 5, 0, 0, 10, 10);
    CenterWindowInParent(dialog, child, 100, 51, 0);
    EXPECT_EQ(Placement(child), (ui::Rect{150, 124, 250, 175}));
    CenterWindowInParent(dialog, child, 500, 20, 0);
    EXPECT_EQ(Placement(child), (ui::Rect{0, 140, 500, 160}));

    const Hwnd next = Child(dialog, "PictureTest", kNextButtonId, 1, 1, 80, 24);
    const Hwnd back = Child(dialog, "PictureTest", kBackButtonId, 1, 1, 60, 22);
    PlaceDialogButtons(dialog, 400, 300);
    EXPECT_EQ(Placement(next), (ui::Rect{304, 260, 384, 284}));
    EXPECT_EQ(Placement(back), (ui::Rect{228, 262, 288, 284}));
    // Without the buttons nothing happens.
    PlaceDialogButtons(child, 400, 300);
}

TEST_F(WindowUtilities, PaintingFromAPicture) {
    std::vector<ui::RgbQuad> table(256);
    table[1] = {0, 0, 255, 0};
    table[2] = {255, 0, 0, 0};
    Dib picture(6, 4, table.data());
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) *picture.GetPixelAddress(x, y) = uint8_t((x + y) % 3);
    }
    gPicture = &picture;
    Popup(20, 30, 6, 4);
    wm->PumpPending();
    const uint32_t expected[3] = {0x000000, 0xFF0000, 0x0000FF};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(screen->PixelAt(20 + x, 30 + y), expected[(x + y) % 3]) << x << "," << y;
        }
    }
}

TEST_F(WindowUtilities, PlacementMessageOwner) {
    const Hwnd h = Popup(0, 0, 5, 5);
    SetPlacementMessageOwner(h);
    EXPECT_EQ(GetPlacementMessageOwner(), h);
    SetPlacementMessageOwner({});
    EXPECT_FALSE(GetPlacementMessageOwner());
}

class ListRows : public WindowUtilities {
  protected:
    void SetUp() override {
        WindowUtilities::SetUp();
        list.columns = {{LVCFMT_LEFT, 0, 80, "ab"},
                        {LVCFMT_RIGHT, 80, 140, "cd"},
                        {LVCFMT_CENTER, 140, 200, "ef"}};
        gList = &list;
        gImages.calls.clear();
        dialog = Popup(0, 0, 200, 40);
        control = Child(dialog, "FakeListView", 77, 0, 0, 200, 40);
        wm->PumpPending();
        item.ctlType = ODT_LISTVIEW;
        item.itemId = 4;
        item.rcItem = {0, 10, 200, 26};
    }
    // The box of the pixels that differ from the background within columns [from, to).
    ui::Rect InkBox(int from, int to, uint32_t background) {
        ui::Rect box{1000, 1000, -1, -1};
        for (int y = 11; y < 25; ++y) {  // inside the row's white edge
            for (int x = from; x < to; ++x) {
                if (screen->PixelAt(x, y) == background) continue;
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        }
        return box;
    }

    int Count(int from, int to, uint32_t colour) {
        int n = 0;
        for (int y = 11; y < 25; ++y) {
            for (int x = from; x < to; ++x) n += screen->PixelAt(x, y) == colour ? 1 : 0;
        }
        return n;
    }

    FakeList list;
    Hwnd dialog, control;
    DrawItemStruct item;
};

TEST_F(ListRows, SelectedFocusedRowWithImage) {
    list.state = LVIS_SELECTED;
    list.image = 3;
    ui::SetFocus(control);
    DrawOwnerDrawItem(dialog, 77, &item, 12);
    EXPECT_EQ(list.columnQueries, 4);  // three columns and the one that ends the loop
    ASSERT_EQ(gImages.calls.size(), 1u);
    EXPECT_EQ(gImages.calls[0].image, 3);
    EXPECT_EQ(gImages.calls[0].x, 0);
    EXPECT_EQ(gImages.calls[0].y, 11);
    EXPECT_EQ(gImages.calls[0].style, ILD_SELECTED);
    // White edge, highlight inside, highlight-coloured text.
    EXPECT_EQ(screen->PixelAt(0, 10), 0xFFFFFFu);
    EXPECT_EQ(screen->PixelAt(199, 25), 0xFFFFFFu);
    EXPECT_EQ(screen->PixelAt(1, 11), 0x000080u);
    const ui::Rect first = InkBox(1, 80, 0x000080);
    EXPECT_GT(Count(1, 80, 0xFFFFFF), 5);
    EXPECT_EQ(Count(1, 80, 0x000000), 0);
    EXPECT_GE(first.left, 16);  // the label starts behind the image, without indent
    EXPECT_LE(first.left, 18);
    const ui::Rect second = InkBox(81, 140, 0x000080);
    EXPECT_LE(second.right, 134);  // right-aligned before the 6-pixel margin
    EXPECT_GE(second.right, 130);
    const ui::Rect third = InkBox(141, 199, 0x000080);
    EXPECT_NEAR((third.left + third.right) / 2.0, (146 + 194) / 2.0, 2.0);  // centred
}

TEST_F(ListRows, PlainRowWithoutImageAndWithFocusRectangle) {
    list.state = LVIS_SELECTED;  // selected, but the focus is elsewhere
    ui::SetFocus(Popup(300, 300, 10, 10));
    item.itemState = ODS_FOCUS;
    DrawOwnerDrawItem(dialog, 77, &item, 12);
    EXPECT_TRUE(gImages.calls.empty());
    EXPECT_EQ(screen->PixelAt(5, 12), 0xFFFFFFu);
    const ui::Rect first = InkBox(1, 80, 0xFFFFFF);
    EXPECT_GT(Count(1, 80, 0x000000), 5);
    EXPECT_GE(first.left, 6);  // label moved left by the image width, then the indent
    EXPECT_LE(first.left, 8);
    // The dotted focus rectangle inverts every other pixel of the row's border.
    EXPECT_EQ(screen->PixelAt(0, 10), 0x000000u);
    EXPECT_EQ(screen->PixelAt(1, 10), 0xFFFFFFu);
}

TEST_F(ListRows, OtherControlTypesAreLeftAlone) {
    item.ctlType = ODT_BUTTON;
    const uint32_t before = screen->PixelAt(5, 12);
    DrawOwnerDrawItem(dialog, 77, &item, 12);
    EXPECT_EQ(list.columnQueries, 0);
    EXPECT_EQ(screen->PixelAt(5, 12), before);
    DrawOwnerDrawItem(dialog, 77, nullptr, 12);
}

}  // namespace
}  // namespace zv::fw
