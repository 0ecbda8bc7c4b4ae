#include "panels/UnitPanel.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "framework/ProcessState.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelClasses.h"
#include "panels/PanelCommon.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWorld.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/MapCursors.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"
#include "shell/PictureHelpers.h"
#include "shell/WindowRegistry.h"
#include "simulation/CommandRecords.h"
#include "simulation/Simulation.h"
#include "simulation/Judgement.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "UnitSimpleInfoWindow";
constexpr int kSlots = 6;
// A troop whose state flags hold this bit does not open the information dialog.
constexpr uint16_t kNoInfoDialogFlag = 0x1000;

constexpr HitRect kHitRects[12] = {
    {8, 8, 39, 39},       {4, 54, 19, 69},      {4, 74, 19, 89},      {4, 94, 19, 109},
    {4, 114, 19, 129},    {4, 134, 19, 149},    {4, 154, 19, 169},    {27, 179, 90, 187},
    {114, 177, 192, 188}, {114, 190, 192, 201}, {114, 203, 192, 214}, {114, 216, 192, 227},
};

// The panel's window: its picture and what it shows of the troop last picked.
class UnitPanel : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    const UnitPanelState& State() const { return state_; }

  private:
    bool SelectTroop(rules::TroopCursor& t) {
        return state_.troop != rules::kNoTroop && t.Select(uint16_t(state_.troop));
    }

    // The formation slots of the troop's present members (unit selects), in slot order.
    int PresentSlots(rules::TableDirectory& tables, rules::TroopCursor& t, int* slots) {
        rules::UnitInfoCursor unit(tables);
        int n = 0;
        for (int s = 0; s < kSlots; ++s) {
            const int16_t id = t.GetMemberUnit(s);
            if (id != -1 && unit.Select(id)) slots[n++] = s;
        }
        return n;
    }

    int ComputeUnitPanelAccess(int troop) {
        state_.access = 0;
        rules::TableDirectory* tables = PanelTables();
        if (tables == nullptr) return -1;
        rules::TroopCursor t(*tables);
        if (troop == rules::kNoTroop || !t.Select(uint16_t(troop))) return -1;
        const uint8_t player = fw::GetPlayerCountry();
        const uint8_t country = t.GetCountry();
        rules::CountryCursor countries(*tables);
        if (player >= 4) {
            state_.access = 1;
        } else if (countries.Select(player) && countries.GetState() == sim::kCountryFallen) {
            state_.access = 1;
        } else if (country == player || rules::AreCountriesAllied(*tables, country, player)) {
            state_.access = 0;
        } else {
            const uint16_t seen = t.GetMask28();
            if (seen & (1u << player)) state_.access = 2;
            if (seen & (1u << (player + 4))) state_.access = 1;
        }
        state_.mode = 0;
        state_.own = country == player ? 1 : 0;
        state_.alternatives = rules::HasAlternativeFormations(t) ? 1 : 0;
        return state_.access;
    }

    // One member row at y: its icon, its number r, the unit's name, machines and platoon maximum.
    void DrawMemberRow(ui::Hwnd h, rules::TroopCursor& t, rules::UnitInfoCursor& unit, int slot,
                       int r, int y, int country) {
        DrawCategoryIcon(dib_.get(), unit.GetUnitKind(), 4, y - 4, country);
        PanelText(h, dib_.get(), 24, y, Format("%d.", r), 12, kWhite);
        PanelTextSjis(h, dib_.get(), 40, y, unit.GetName(), 12, kWhite);
        PanelText(h, dib_.get(), 164, y, Format("%d", t.GetMemberStrength(slot)), 12, kWhite);
        PanelText(h, dib_.get(), 180, y, Format("%d", unit.GetMaxStrength()), 12, kWhite);
    }

    void DrawWeapons(ui::Hwnd h, rules::TableDirectory& tables, rules::TroopCursor& t,
                     rules::UnitInfoCursor& unit, int slot) {
        auto scratch = LoadPicture("weapon.bmp");
        rules::WeaponKdCursor weapon(tables);
        for (int w = 0; w < 6; ++w) {
            const int y = 15 + 17 * w;
            const uint16_t id = unit.GetWeaponId(w);
            const bool missing = id == 0 || !weapon.Select(id);
            if (missing) {
                PanelText(h, scratch.get(), 20, y, "Nothing", 12, kWhite);
                PanelText(h, scratch.get(), 130, y, " --", 12, kWhite);
                PanelText(h, scratch.get(), 156, y, "--", 12, kWhite);
            } else {
                PanelTextSjis(h, scratch.get(), 20, y, weapon.GetName(), 12, kWhite);
                PanelText(h, scratch.get(), 130, y, Format("%3d", t.GetMemberAmmo(slot, w)), 12,
                          kWhite);
                PanelText(h, scratch.get(), 156, y,
                          Format("%d", unit.GetPackAmmo(t.GetMemberPack(slot), w)), 12, kWhite);
            }
        }
        fw::HvDIBitBlt(dib_.get(), 0, 72, scratch->GetWidth(), scratch->GetHeight(), scratch.get(),
                       0, 0, 0);
    }

    std::string FormationName(rules::TroopCursor& t, int f) {
        char name[17] = {};
        std::memcpy(name, t.GetFormationName(f), 16);
        return name;
    }

    void DrawUnitPanel(ui::Hwnd h) {
        RestorePicture(dib_.get(), "force.bmp");
        rules::TableDirectory* tables = PanelTables();
        if (tables == nullptr) return InvalidateAndUpdate(h);
        rules::TroopCursor t(*tables);
        if (!SelectTroop(t) || rules::CountMembers(t) == 0) return InvalidateAndUpdate(h);
        const bool hidden = state_.access == 2;
        const int country = hidden ? 4 : t.GetCountry();
        const int picture = t.GetIcon() & 0xFF;
        if (country != 0xFF && picture != 0xFF)
            shell::DrawUnitBigPicture(8, 8, dib_.get(), country, picture);
        if (hidden) {
            PanelText(h, dib_.get(), 48, 6, "UNKNOWN", 12, kWhite);
        } else {
            PanelTextSjis(h, dib_.get(), 48, 6, t.GetName(), 12, kWhite);
        }
        char fuel[32];
        FormatFuelText(fuel, state_.access, rules::GetMinMemberFuel(t),
                       rules::GetMinMemberPackFuel(t));
        PanelText(h, dib_.get(), 104, 24, fuel, 12, kWhite);

        rules::UnitInfoCursor unit(*tables);
        int slots[kSlots];
        const int present = PresentSlots(*tables, t, slots);
        if (state_.mode != 1 && !hidden) {
            for (int r = 0; r < present; ++r) {
                unit.Select(t.GetMemberUnit(slots[r]));
                DrawMemberRow(h, t, unit, slots[r], r + 1, 58 + 20 * r, country);
            }
        }
        if (state_.mode == 1 && state_.chosenMember >= 0 && state_.chosenMember < present) {
            const int slot = slots[state_.chosenMember];
            unit.Select(t.GetMemberUnit(slot));
            DrawMemberRow(h, t, unit, slot, state_.chosenMember + 1, 58, country);
            DrawWeapons(h, *tables, t, unit, slot);
        }
        if (!hidden) {
            for (int r = 0; r < present; ++r) {
                const int s = slots[r];
                unit.Select(t.GetMemberUnit(s));
                DrawCategoryIcon(dib_.get(), unit.GetUnitKind(), (s % 3 + 1) * 28,
                                 (s / 3) * 18 + 193, country);
                PanelText(h, dib_.get(), (s % 3) * 28 + 45, (s / 3) * 18 + 194, Format("%d", r + 1),
                          16, kGreen);
            }
        }
        if (state_.mode == 2) {
            auto menu = LoadPicture("selform.bmp");
            for (int k = 0; k < 4; ++k) {
                PanelTextSjis(h, menu.get(), 3, 2 + 13 * k, FormationName(t, k).c_str(), 10,
                              kWhite);
            }
            fw::HvDIBitBlt(dib_.get(), 110, 176, 85, 56, menu.get(), 0, 0, 0);
            return InvalidateAndUpdate(h);
        }
        const uint16_t destination = t.GetDestination();
        const int dx = destination & 0xFF, dy = destination >> 8;
        if (hidden) {
            PanelText(h, dib_.get(), 136, 192, "  不  明   ", 12, kWhite);
            PanelText(h, dib_.get(), 148, 214, "不  明", 12, kWhite);
        } else {
            PanelText(h, dib_.get(), 136, 192,
                      (dx == 0xFF || dy == 0xFF) ? std::string("  な  し   ")
                                                 : Format("X=%2d,Y=%2d", dx, dy),
                      12, kWhite);
            PanelText(h, dib_.get(), 148, 214, t.GetStatusText(1, fw::GetPlayerCountry()), 12,
                      kWhite);
        }
        InvalidateAndUpdate(h);
    }

    void ShowTroop(ui::Hwnd h, ui::WParam w, ui::LParam l) {
        if (l == 1) {
            if (int(ui::LoWord(w)) == state_.troop) {
                state_.troop = rules::kNoTroop;
                ComputeUnitPanelAccess(rules::kNoTroop);
                DrawUnitPanel(h);
            }
            return;
        }
        state_.troop = int(ui::LoWord(w));
        rules::TableDirectory* tables = PanelTables();
        rules::TroopCursor* t = nullptr;
        std::unique_ptr<rules::TroopCursor> cursor;
        if (tables) {
            cursor = std::make_unique<rules::TroopCursor>(*tables);
            t = cursor.get();
        }
        if (t && state_.troop != rules::kNoTroop && t->Select(uint16_t(state_.troop))) {
            int slots[kSlots];
            state_.memberCount = PresentSlots(*tables, *t, slots);
            if (state_.memberCount == 0) state_.troop = rules::kNoTroop;
            ComputeUnitPanelAccess(state_.troop);
        }
        DrawUnitPanel(h);
    }

    void Click(ui::Hwnd h, int x, int y) {
        rules::TableDirectory* tables = PanelTables();
        std::unique_ptr<rules::TroopCursor> t;
        if (tables) t = std::make_unique<rules::TroopCursor>(*tables);
        if (!t || !SelectTroop(*t)) {
            ui::SendMessage(h, WM_LAYOUT_PANELS, 0, 0);
            return;
        }
        if (state_.mode == 0 && state_.access == 0) {
            if (kHitRects[0].Contains(x, y)) {
                if (state_.own == 1 && !(t->GetStateFlags() & kNoInfoDialogFlag)) {
                    CurrentPanelHost().ShowTroopInfo(h, t->GetCountry(), uint16_t(state_.troop), 0);
                }
                return;
            }
            bool member = false;
            for (int k = 0; k < state_.memberCount && k < kSlots; ++k) {
                if (kHitRects[1 + k].Contains(x, y)) {
                    state_.mode = 1;
                    state_.chosenMember = k;
                    member = true;
                    break;
                }
            }
            if (!member && kHitRects[7].Contains(x, y) && state_.own == 1 &&
                state_.alternatives == 1) {
                state_.mode = 2;
            }
        } else if (state_.mode == 2 && state_.access == 0) {
            for (int k = 0; k < 4; ++k) {
                if (!kHitRects[8 + k].Contains(x, y)) continue;
                PanelWorld* world = CurrentPanelWorld();
                if (world && world->simulation) {
                    sim::BuildOrder37(*world->simulation, uint16_t(state_.troop), uint16_t(k));
                }
                state_.mode = 0;
                break;
            }
        }
        ui::SendMessage(h, WM_LAYOUT_PANELS, 0, 0);
    }

    void Hover(ui::Hwnd h, int x, int y) {
        if (state_.access != 0) return;
        if (state_.mode == 0 && state_.own == 1 && state_.alternatives == 1) {
            const HitRect& r = kHitRects[7];
            const bool inside = r.Contains(x, y);
            if (inside != (state_.hover == 0)) {
                fw::Dib menu("selform.bmp");
                fw::HvDIBitBlt(dib_.get(), r.left, r.top, 63, 8, &menu, 85, inside ? 11 : 0, 0);
                const ui::Rect rc{r.left, r.top, r.right + 1, r.bottom + 1};
                ui::InvalidateRect(h, &rc, false);
                state_.hover = inside ? 0 : -1;
            }
            ui::UpdateWindow(h);
            return;
        }
        rules::TableDirectory* tables = PanelTables();
        if (state_.mode == 2 && tables) {
            rules::TroopCursor t(*tables);
            if (SelectTroop(t)) {
                if (state_.hover >= 1 && state_.hover <= 4) {
                    PanelTextSjis(h, dib_.get(), 113, 165 + 13 * state_.hover,
                                  FormationName(t, state_.hover - 1).c_str(), 10, kWhite);
                    state_.hover = -1;
                }
                for (int k = 0; k < 4; ++k) {
                    if (kHitRects[8 + k].Contains(x, y)) {
                        PanelTextSjis(h, dib_.get(), 113, 178 + 13 * k, FormationName(t, k).c_str(),
                                      10, kYellow);
                        state_.hover = k + 1;
                        break;
                    }
                }
            }
            InvalidateAndUpdate(h);
            return;
        }
        ui::UpdateWindow(h);
    }

  public:
    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const ui::Hwnd h = Handle();
        const int x = ui::GetXLParam(l), y = ui::GetYLParam(l);
        if (ui::LResult r = 0;
            msg != ui::WM_DESTROY && HandlePictureWindowMessage(h, msg, dib_, IDM_UNIT_PANEL, &r)) {
            return r;
        }
        switch (msg) {
            case ui::WM_CREATE:
                dib_ = LoadPicture("force.bmp");
                SizePanelToClient(h, dib_->GetWidth(), dib_->GetHeight());
                state_ = UnitPanelState{};
                ui::SendMessage(h, WM_PANEL_RELAY, rules::kNoTroop, 0);
                state_.mode = 0;
                state_.chosenMember = -1;
                DrawUnitPanel(h);
                return 0;
            case ui::WM_DESTROY:
                dib_.reset();
                return 0;
            case ui::WM_MOUSEMOVE:
                Hover(h, x, y);
                return 0;
            case ui::WM_LBUTTONDOWN:
                Click(h, x, y);
                return 0;
            case ui::WM_RBUTTONDOWN:
                state_.mode = 0;
                ui::SendMessage(h, WM_LAYOUT_PANELS, 0, 0);
                return 0;
            case WM_LAYOUT_PANELS:
                DrawUnitPanel(h);
                return 0;
            case WM_PANEL_RELAY:
                ShowTroop(h, w, l);
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    UnitPanelState state_;
    std::unique_ptr<fw::Dib> dib_;
};

ui::LResult UnitProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<UnitPanel>(h, msg, w, l);
}

int DrawIconFrom(const char* sheet, fw::Dib* dib, int unitKind, int x, int y, int country) {
    rules::TableDirectory* tables = PanelTables();
    if (tables == nullptr) return 0;
    rules::UnitKindCursor kind(*tables);
    if (!kind.Select(unitKind)) return 0;
    fw::Dib picture(sheet);
    const int row = (country >= 0 && country <= 3) ? (country + 1) * 16 : 0;
    return fw::HvDIBitBlt(dib, x, y, 16, 16, &picture, kind.GetGraphicIndex() * 16, row, 0);
}

}  // namespace

const UnitPanelState& GetUnitPanelState() {
    static const UnitPanelState kNone{};
    const UnitPanel* panel = ui::WindowObjectOf<UnitPanel>(
        shell::GetWindowOfKind(shell::WindowKind::UnitSinpleInfo), kClass);
    return panel ? panel->State() : kNone;
}
const HitRect* UnitPanelHitRects() {
    return kHitRects;
}

void FormatFuelText(char* out, int access, uint16_t fuel, uint16_t packFuel) {
    if (access == 2) {
        std::snprintf(out, 32, "    ?( ? %%)");
    } else if (packFuel == 0) {
        std::snprintf(out, 32, "%5d(---%%)", fuel);
    } else {
        std::snprintf(out, 32, "%5d(%3u%%)", fuel, unsigned(fuel) * 100u / unsigned(packFuel));
    }
}

int DrawCategoryIcon(fw::Dib* dib, int unitKind, int x, int y, int country) {
    return DrawIconFrom("category.bmp", dib, unitKind, x, y, country);
}
int DrawFightCategoryIcon(fw::Dib* dib, int unitKind, int x, int y, int country) {
    return DrawIconFrom("fig_cate.bmp", dib, unitKind, x, y, country);
}

bool RegisterUnitSimpleInfoClass() {
    return RegisterPanelClass(kClass, UnitProc);
}

ui::Hwnd CreateUnitSimpleInfoWindow(void* instance, ui::Hwnd parent, intptr_t menu,
                                    uint32_t style) {
    (void)instance;
    if (!RegisterPanelClass(kClass, UnitProc)) return {};
    return CreatePanelWindow(kClass, "部隊簡易情報", parent, menu, style);
}

}  // namespace zv::panels
