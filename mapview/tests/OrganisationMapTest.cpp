// The organisation dialog's small maps: each keeps the troop it was given to place, clicked with
// the mouse through the headless screen.

#include <gtest/gtest.h>

#include "mapview/MapViewContext.h"
#include "mapview/MapViewWindows.h"
#include "mapview/tests/EditorFixture.h"
#include "shell/WindowMessages.h"

namespace zv::mapview {
namespace {

int gPlacementNotices = 0;

// Stands for the organisation dialog, which hears when a click placed or took back a troop.
ui::LResult DialogProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == WM_ORGANIZE_PLACEMENT_CHANGED) ++gPlacementNotices;
    return ui::DefWindowProc(h, msg, w, l);
}

class OrganisationMaps : public testing::EditorFixture {
  protected:
    void SetUp() override {
        EditorFixture::SetUp();
        GetTroopSelection() = TroopSelection{};
        gPlacementNotices = 0;
        ui::WindowClass wc;
        ui::WindowClass existing;
        wc.name = "OrganisationTestDialog";
        wc.proc = DialogProc;
        if (!ui::GetClassInfo(wc.name.c_str(), &existing)) ui::RegisterClass(wc);
        wc.name = "OrganisationTestPane";
        wc.proc = ui::DefWindowProc;
        if (!ui::GetClassInfo(wc.name.c_str(), &existing)) ui::RegisterClass(wc);
        dialog = ui::CreateWindowEx(0, "OrganisationTestDialog", "", ui::WS_POPUP | ui::WS_VISIBLE, 0, 0, 1024, 768,
                                    {}, 0, nullptr, nullptr);
        // As in the dialog: the map on a tab control on a page.
        for (int i = 0; i < 2; ++i) {
            const ui::Hwnd page = ui::CreateWindowEx(0, "OrganisationTestPane", "", ui::WS_CHILD | ui::WS_VISIBLE,
                                                     400 * i, 0, 300, 300, dialog, 10 + i, nullptr, nullptr);
            const ui::Hwnd tab = ui::CreateWindowEx(0, "OrganisationTestPane", "", ui::WS_CHILD | ui::WS_VISIBLE, 0,
                                                    0, 300, 300, page, 20 + i, nullptr, nullptr);
            maps[i] = CreateRealChileViewWindow(tab, 30 + i);
            ASSERT_TRUE(maps[i]);
            ui::SendMessage(maps[i], WM_MAP_REBUILD, 0, 0);
        }
        Pump();
    }

    // A press and release of the left button on hex (x, y) of a map.
    void ClickHex(ui::Hwnd map, int x, int y) {
        std::int16_t p[2] = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
        GetMapViewContext(map)->HexToPixel(p);
        ui::Point s{p[0] + 8, p[1] + 8};
        ui::ClientToScreen(map, &s);
        screen->Click(s.x, s.y);
        Pump();
    }

    ui::Hwnd dialog{};
    ui::Hwnd maps[2]{};
};

TEST_F(OrganisationMaps, EachMapPlacesOnlyTheTroopItWasGiven) {
    // Country 0's deployment area holds (7, 2)-(9, 6).
    ui::SendMessage(maps[0], WM_MAP_SET_PLACEMENT_TROOP, 0, 0);
    ClickHex(maps[1], 8, 3);
    EXPECT_EQ(gPlacementNotices, 0) << "the other map was given nothing to place";
    ClickHex(maps[0], 8, 3);
    EXPECT_EQ(gPlacementNotices, 1);
    // The troop is placed once: the next click has nothing to place.
    ClickHex(maps[0], 9, 5);
    EXPECT_EQ(gPlacementNotices, 1);
}

TEST_F(OrganisationMaps, AMapKeepsItsCountryThroughARebuildOfTheOther) {
    // The second map turns to country 1; the first is still country 0's and places there.
    ui::SendMessage(maps[0], WM_MAP_SET_PLACEMENT_TROOP, 0, 0);
    ui::SendMessage(maps[1], WM_MAP_REBUILD, 1, 0);
    ClickHex(maps[0], 8, 3);
    EXPECT_EQ(gPlacementNotices, 1);
}

TEST_F(OrganisationMaps, EachMapHasItsOwnView) {
    MapViewContext* first = GetMapViewContext(maps[0]);
    MapViewContext* second = GetMapViewContext(maps[1]);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    ui::SendMessage(maps[1], ui::WM_VSCROLL, ui::SB_PAGEDOWN, 0);
    EXPECT_EQ(Hi16(first->GetOrigin()), 0);
    EXPECT_GT(Hi16(second->GetOrigin()), 0);
    ui::DestroyWindow(maps[1]);
    EXPECT_EQ(GetMapViewContext(maps[1]), nullptr) << "a window that is gone has no view";
    EXPECT_EQ(GetMapViewContext(dialog), nullptr) << "nor has a window of another class";
    EXPECT_EQ(GetMapViewContext(maps[0]), first);
}

}  // namespace
}  // namespace zv::mapview
