#include <memory>

#include "framework/Dib.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelCommon.h"
#include "panels/PanelClasses.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWindows.h"
#include "panels/PanelWorld.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/troops/TroopMembers.h"
#include "shell/PictureHelpers.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "LandSimpleInfoWindow";
constexpr const char* kPicture = "terrain.bmp";
// Land kind 29 and above name no terrain the panel can show.
constexpr int kNoLandKind = 29;

struct TerrainPanelState {
    std::unique_ptr<fw::Dib> dib;
    uint16_t troop = rules::kNoTroop;
    int siteOwner = 0;
    int landKind = 0xFF;
} gTerrain;

void DrawLandPanel(ui::Hwnd h) {
    fw::Dib* dib = gTerrain.dib.get();
    RestorePicture(dib, kPicture);
    rules::TableDirectory* tables = PanelTables();
    if (tables != nullptr && gTerrain.landKind != kNoLandKind) {
        rules::LandKindCursor land(*tables);
        if (gTerrain.landKind >= 0 && land.Select(gTerrain.landKind)) {
            shell::LoadHexBitmaps(h, dib, 16, 2, gTerrain.landKind, gTerrain.siteOwner);
            PanelTextSjis(h, dib, 65, 18, land.GetName(), 12, kWhite);
            const int defence = TroopTerrainDefence(*tables, gTerrain.troop, gTerrain.landKind);
            if (defence >= 0) PanelText(h, dib, 143, 18, Format("%3d％", defence), 12, kWhite);
        }
    }
    InvalidateAndUpdate(h);
}

ui::LResult TerrainProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (ui::LResult r = 0; HandlePictureWindowMessage(h, msg, gTerrain.dib, IDM_TERRAIN_PANEL, &r))
        return r;
    switch (msg) {
        case ui::WM_CREATE:
            gTerrain.dib = LoadPicture(kPicture);
            SizePanelToClient(h, gTerrain.dib->GetWidth(), gTerrain.dib->GetHeight());
            ui::SendMessage(h, WM_PANEL_RELAY, 0, ui::LParam(0xFFFF001D));
            return 0;
        case WM_PANEL_RELAY:
            gTerrain.troop = uint16_t(w);
            gTerrain.siteOwner = int(uint32_t(l) & 0xFFFF);
            gTerrain.landKind = int((uint32_t(l) >> 16) & 0xFFFF);
            DrawLandPanel(h);
            return 0;
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
}

}  // namespace

int TroopTerrainDefence(rules::TableDirectory& tables, std::uint16_t troop, int landKind) {
    rules::TroopCursor t(tables);
    if (!t.Select(troop) || rules::CountMembers(t) == 0) return -1;
    rules::UnitInfoCursor unit(tables);
    rules::DefencDkCursor defence(tables);
    int best = -1;
    for (int slot = 0; slot < 6; ++slot) {
        const int16_t id = t.GetMemberUnit(slot);
        if (id == -1 || !unit.Select(id)) continue;
        if (!defence.Select(unit.GetDefenceKind())) continue;
        best = std::max(best, int(defence.GetDefenceRate(landKind)));
    }
    return best < 0 ? -1 : best;
}

bool RegisterLandSimpleInfoClass() { return RegisterPanelClass(kClass, TerrainProc); }

ui::Hwnd CreateLandSimpleInfoWindow(void* instance, ui::Hwnd parent, intptr_t menu,
                                    uint32_t style) {
    (void)instance;
    if (!RegisterPanelClass(kClass, TerrainProc)) return {};
    return CreatePanelWindow(kClass, "地形簡易情報", parent, menu, style);
}

}  // namespace zv::panels

namespace zv::panels {
void GetTerrainPanelCell(uint16_t* troop, int* siteOwner, int* landKind) {
    *troop = gTerrain.troop;
    *siteOwner = gTerrain.siteOwner;
    *landKind = gTerrain.landKind;
}
}  // namespace zv::panels
