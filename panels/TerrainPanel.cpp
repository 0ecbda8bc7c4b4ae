#include <memory>

#include "framework/Dib.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelClasses.h"
#include "panels/PanelCommon.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWindows.h"
#include "panels/PanelWorld.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/troops/TroopMembers.h"
#include "shell/PictureHelpers.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "LandSimpleInfoWindow";
constexpr const char* kPicture = "terrain.bmp";
// Land kind 29 and above name no terrain the panel can show.
constexpr int kNoLandKind = 29;

// The panel's window: the picture it paints from and the cell it was last told.
class TerrainPanel : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        if (ui::LResult r = 0;
            HandlePictureWindowMessage(Handle(), msg, dib_, IDM_TERRAIN_PANEL, &r))
            return r;
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case WM_PANEL_RELAY:
                OnCell(uint16_t(w), uint32_t(l));
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

    void GetCell(uint16_t* troop, int* siteOwner, int* landKind) const {
        *troop = troop_;
        *siteOwner = siteOwner_;
        *landKind = landKind_;
    }

  private:
    void OnCreate() {
        dib_ = LoadPicture(kPicture);
        SizePanelToClient(Handle(), dib_->GetWidth(), dib_->GetHeight());
        ui::SendMessage(Handle(), WM_PANEL_RELAY, 0, ui::LParam(0xFFFF001D));
    }
    // wParam the troop; lParam the site owner (low word) and the land kind (high word).
    void OnCell(uint16_t troop, uint32_t cell) {
        troop_ = troop;
        siteOwner_ = int(ui::LoWord(cell));
        landKind_ = int(ui::HiWord(cell));
        Draw();
    }
    void Draw() {
        const ui::Hwnd h = Handle();
        fw::Dib* dib = dib_.get();
        RestorePicture(dib, kPicture);
        rules::TableDirectory* tables = PanelTables();
        if (tables != nullptr && landKind_ != kNoLandKind) {
            rules::LandKindCursor land(*tables);
            if (landKind_ >= 0 && land.Select(landKind_)) {
                shell::LoadHexBitmaps(h, dib, 16, 2, landKind_, siteOwner_);
                PanelTextSjis(h, dib, 65, 18, land.GetName(), 12, kWhite);
                const int defence = TroopTerrainDefence(*tables, troop_, landKind_);
                if (defence >= 0) PanelText(h, dib, 143, 18, Format("%3d％", defence), 12, kWhite);
            }
        }
        InvalidateAndUpdate(h);
    }

    std::unique_ptr<fw::Dib> dib_;
    uint16_t troop_ = rules::kNoTroop;
    int siteOwner_ = 0;
    int landKind_ = 0xFF;
};

ui::LResult TerrainProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<TerrainPanel>(h, msg, w, l);
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
    if (const TerrainPanel* panel = ui::WindowObjectOf<TerrainPanel>(
            shell::GetWindowOfKind(shell::WindowKind::TerrainInfo), kClass)) {
        panel->GetCell(troop, siteOwner, landKind);
    } else {
        *troop = rules::kNoTroop;
        *siteOwner = 0;
        *landKind = 0xFF;
    }
}
}  // namespace zv::panels
