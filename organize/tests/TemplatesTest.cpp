#include "organize/CorpsFiles.h"
#include "organize/LoadingChoosers.h"
#include "organize/tests/OrganizeFixture.h"
#include "platform/ui/DialogLayoutCheck.h"
#include "platform/ui/DialogTemplate.h"

namespace zv::organize::testing {
namespace {

TEST(OrganizeTemplates, EveryTemplateLaysOutAt800x600And1024x768) {
    RegisterOrganizeTemplates();
    for (const ui::Size screen : {ui::Size{800, 600}, ui::Size{1024, 768}}) {
        ui::WindowManager wm(std::make_unique<ui::HeadlessBackend>(screen.cx, screen.cy));
        for (int n : {kCorpsManagerDialog, kCorpsChoiceDialog, kCorpsConfirmDialog, kCorpsListDialog,
                      kAltitudeMixDialog, kOrganizeDialog, kLoadingStatusDialog, kSeparableWeaponDialog}) {
            ui::DialogTemplate t;
            ASSERT_TRUE(ui::DialogRegistry::Global().Find(n, &t)) << n;
            for (const std::string& p : ui::CheckDialogLayout(t)) ADD_FAILURE() << n << ": " << p;
        }
    }
}

// The organisation dialog makes its controls itself: they must lie inside it, and apart, at
// the smallest screen the game runs on.
class OrganizeLayout : public OrganizeTest {};

TEST_F(OrganizeLayout, TheControlsMadeAtRunTimeLieInsideTheDialogAndApart) {
    screen->Resize(800, 600);
    Pump();
    CopyDefaultCorps("useFrc00.prm");
    rules::ForceCursor fc(tables, 5, &workspace);
    fc.SelectSlot(5);
    ASSERT_TRUE(fc.LoadUserForceFile(world.corpsDirectory, "useFrc00.prm").ok);
    SetOrganizeParams(rules::kNoTroop, 1, 0, kAllCountriesScope, 0);
    const ui::Hwnd d = ui::CreateDialogParam(nullptr, kOrganizeDialog, owner, OrganizeDlgProc, 0);
    ASSERT_TRUE(d);
    ui::Rect window{};
    ui::GetWindowRect(d, &window);
    EXPECT_GE(window.left, 0);
    EXPECT_GE(window.top, 0);
    EXPECT_LE(window.right, 800);
    EXPECT_LE(window.bottom, 600);
    ui::Rect client{};
    ui::GetClientRect(d, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 430);
    std::vector<std::pair<int, ui::Rect>> shown;
    for (ui::Hwnd c = ui::GetWindow(d, ui::GW_CHILD); c; c = ui::GetWindow(c, ui::GW_HWNDNEXT)) {
        if (!ui::IsWindowVisible(c)) continue;
        ui::Rect r{};
        ui::GetWindowRect(c, &r);
        ui::Point tl{r.left, r.top}, br{r.right, r.bottom};
        ui::ScreenToClient(d, &tl);
        ui::ScreenToClient(d, &br);
        const ui::Rect rc{tl.x, tl.y, br.x, br.y};
        const int id = ui::GetDlgCtrlID(c);
        EXPECT_TRUE(rc.left >= 0 && rc.top >= 0 && rc.right <= 640 && rc.bottom <= 430) << "control " << id;
        shown.push_back({id, rc});
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            const ui::Rect& a = shown[i].second;
            const ui::Rect& b = shown[j].second;
            const bool overlap = a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
            // The altitude combo's drop-down area lies over the page tabs by design.
            if (shown[i].first == kIdAltitudeCombo || shown[j].first == kIdAltitudeCombo) continue;
            EXPECT_FALSE(overlap) << shown[i].first << " and " << shown[j].first;
        }
    }
    ui::DestroyWindow(d);
    rules::EndForceScratchMode(workspace);
}

}  // namespace
}  // namespace zv::organize::testing
