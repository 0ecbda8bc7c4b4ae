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
#include "rules/records/MapCursors.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "PauseWindow";
constexpr int kTileWidth = 44, kTileHeight = 16;
constexpr int kWarTileY = 60, kWaitTileY = 76;

// Bit c for each country at war; -1 when a country not at war still has a player, in which
// case the panel shows no war tiles at all.
int WarMask() {
    rules::TableDirectory* tables = PanelTables();
    if (tables == nullptr) return 0;
    rules::CountryCursor country(*tables);
    int mask = 0;
    for (int c = 0; c < 4; ++c) {
        if (!country.Select(c)) continue;
        const int state = country.GetState();
        if (state == 1) {
            mask |= 1 << c;
        } else if (state == 0 && country.GetParticipation() != 2) {
            return -1;
        }
    }
    return mask;
}

// The panel's window: the picture it paints from and the players it was last told the game
// waits for.
class PausePanel : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        if (ui::LResult r = 0; HandlePictureWindowMessage(Handle(), msg, dib_, IDM_PAUSE_PANEL, &r))
            return r;
        switch (msg) {
            case ui::WM_CREATE:
                dib_ = LoadPicture("pause.bmp");
                waitMask_ = 0xFF;
                SizePanelToClient(Handle(), dib_->GetWidth(), dib_->GetHeight());
                Draw();
                return 0;
            case WM_LAYOUT_PANELS:
                Draw();
                return 0;
            case WM_PANEL_RELAY:
                waitMask_ = uint8_t(w & 0xFF);
                Draw();
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

    uint8_t WaitMask() const { return waitMask_; }

  private:
    void Draw() {
        fw::Dib* dib = dib_.get();
        RestorePicture(dib, "Pause.bmp");
        fw::Dib sheet("btn_pnl.bmp");
        const int war = WarMask();
        for (int i = 0; i < 4; ++i) {
            if (war >= 0 && (war & (1 << i))) {
                fw::HvDIBitBlt(dib, 4 + 48 * i, 2, kTileWidth, kTileHeight, &sheet, kTileWidth * i,
                               kWarTileY, 0);
            }
        }
        if (waitMask_ != 0xFF) {
            for (int i = 0; i < 4; ++i) {
                if (waitMask_ & (1 << i)) {
                    fw::HvDIBitBlt(dib, 4 + 48 * i, 2, kTileWidth, kTileHeight, &sheet,
                                   kTileWidth * i, kWaitTileY, 0);
                }
            }
        }
        InvalidateAndUpdate(Handle());
    }

    std::unique_ptr<fw::Dib> dib_;
    uint8_t waitMask_ = 0xFF;  // 0xFF until the first wait mask: no waiting tiles
};

ui::LResult PauseProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<PausePanel>(h, msg, w, l);
}

}  // namespace

bool RegisterPauseClass() { return RegisterPanelClass(kClass, PauseProc); }

ui::Hwnd CreatePauseWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style) {
    (void)instance;
    if (!RegisterPanelClass(kClass, PauseProc)) return {};
    return CreatePanelWindow(kClass, "ポーズ状況", parent, menu, style);
}

}  // namespace zv::panels

namespace zv::panels {
uint8_t GetPauseWaitMask() {
    const auto* panel =
        ui::WindowObjectOf<PausePanel>(shell::GetWindowOfKind(shell::WindowKind::PauseWnd), kClass);
    return panel ? panel->WaitMask() : 0xFF;
}
}  // namespace zv::panels
