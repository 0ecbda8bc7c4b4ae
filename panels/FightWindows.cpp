#include "panels/FightWindows.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelClasses.h"
#include "panels/PanelCommon.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWorld.h"
#include "panels/UnitPanel.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "rules/records/RuleCursors.h"
#include "shell/Palettes.h"
#include "shell/PictureHelpers.h"
#include "shell/Settings.h"
#include "shell/SoundEffects.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

using namespace fight;

constexpr const char* kManagerClass = "RealManagerWindow";
constexpr const char* kOwnPaneClass = "RealFightWindow";
constexpr const char* kEnemyPaneClass = "RealFight2Window";
constexpr int kLayers = 6;
constexpr int kFightWaitAsks = 60000;
// WM_SHOWWINDOW's lParam when the owner is being restored.
constexpr ui::LParam kParentOpening = 3;
enum Layer { kDisplay = 0, kBackground, kUnits, kReticleLayer, kExplosions, kOverlays };

// Light and dark colour of each country (4: unidentified).
constexpr ui::ColorRef kCountryLight[5] = {
    ui::PaletteRgb(127, 207, 255), ui::PaletteRgb(255, 128, 128), ui::PaletteRgb(0, 255, 0),
    ui::PaletteRgb(255, 255, 0), ui::PaletteRgb(192, 192, 192)};

// The words on the action plates (by action code) and the result plates (by row); the plates of
// "fig_mark.bmp" carry the frame and a symbol, the words are set in the game's font.
constexpr const char* kActionWords[8] = {"近接射撃", "反撃", "遠距離射撃", "爆撃",
                                         "面制圧",   "迎撃", "回避",       "射撃中止"};
constexpr const char* kResultWords[4] = {"損害なし", "損害あり", "全滅", "撃墜"};

// The sheets both panes draw from; the manager holds them for its panes.
struct SharedPictures {
    std::unique_ptr<fw::Dib> target, hp, annihilation, mark, explosion;
};

struct PaneState {
    explicit PaneState(int index) : model(index) {}
    fight::FightPaneModel model;
    std::array<std::unique_ptr<fw::Dib>, kLayers> layers;
    ui::Hwnd manager{};
};

// The state of a fight pane (either class); null for any other window.
PaneState* StateOf(ui::Hwnd pane);
// Whether the fight manager plays the simple display.
bool ManagerSimple(ui::Hwnd manager);
// The sheets of the fight manager; null for any other window.
const SharedPictures* ManagerPictures(ui::Hwnd manager);

void Clear(fw::Dib* dib) {
    if (dib && dib->HasBits())
        std::fill_n(dib->GetBits(), size_t(dib->GetRowBytes()) * size_t(dib->GetHeight()), 0);
}

std::unique_ptr<fw::Dib> Blank(int w, int h) {
    return fw::Dib::CreateBlank(w, h, shell::GetPaletteTableA());
}

// A plate shown at the stage level and sinking over the stage's last ticks.
void PutPlate(fw::Dib* layer, fw::Dib* plate, int x, int y, int level, int t, bool sinks) {
    RevealFightPicture(plate, level);
    if (sinks && t >= 7) y += 8 * (t - 6);
    fw::HvDIBitBlt(layer, x, y, plate->GetWidth(), plate->GetHeight(), plate, 0, 0, 0);
}

void ShadowText(ui::Hwnd h, fw::Dib* dib, ui::Rect box, const std::string& sjis, int size,
                ui::ColorRef color, uint32_t format) {
    fw::DrawTextShadowedOnDib(h, dib, box, sjis.c_str(), size, 1, color, format);
}

const char* UnitName(rules::UnitInfoCursor& unit, int16_t id) {
    return unit.Select(id) ? unit.GetName() : "";
}

void DrawBars(ui::Hwnd h, PaneState& s, const SharedPictures& pictures, fw::Dib* layer, int t,
              int level) {
    const FightPaneModel& m = s.model;
    auto scratch = Blank(kPaneWidth, kPaneHeight);
    const int c = m.ShownCountry();
    for (int k = 0; k < kMembers; ++k) {
        const MemberView& v = m.Member(k);
        const int platoon = std::min(v.platoon, kMachines);
        for (int i = 0; i < platoon; ++i) {
            if (v.before[i] == 0) continue;
            const Point p = FightLabelPoint(m.Pane(), k, v.platoon, i, m.LayoutMode());
            const int shown = t <= 2 ? v.before[i] : v.after[i];
            ShadowText(h, scratch.get(), {p.x, p.y, p.x + 12, p.y + 12}, Format("%2d", shown), 12,
                       kWhite, 0);
            int frameX = 0, frameW = 27, divisor = 4;
            if (v.platoon == 2) frameX = 29, frameW = 52, divisor = 2;
            if (v.platoon == 1) frameX = 84, frameW = 102, divisor = 1;
            fw::HvDIBitBlt(scratch.get(), p.x + 15, p.y + 2, frameW, 6, pictures.hp.get(), frameX,
                           0, 0);
            int pct = DurabilityPercent(v.before[i], v.perMachine);
            if (t >= 3) {
                pct = std::max(pct - 20 * (t - 2), DurabilityPercent(v.after[i], v.perMachine));
            }
            const int columns = std::clamp(pct / divisor, 0, frameW - 2);
            for (int col = 0; col < columns; ++col) {
                fw::HvDIBitBlt(scratch.get(), p.x + 16 + col, p.y + 3, 1, 4, pictures.hp.get(), 0,
                               8 + 4 * c, 0);
            }
        }
    }
    PutPlate(layer, scratch.get(), 0, 0, level, t, false);
}

void DrawFightOverlays(ui::Hwnd h, PaneState& s) {
    const SharedPictures* pictures = ManagerPictures(s.manager);
    if (pictures == nullptr) return;
    fw::Dib* layer = s.layers[kOverlays].get();
    Clear(layer);
    const FightPaneModel& m = s.model;
    const int frame = m.Frame();
    const bool simple = m.Simple();
    rules::TableDirectory* tables = PanelTables();
    std::unique_ptr<rules::UnitInfoCursor> unit;
    if (tables) unit = std::make_unique<rules::UnitInfoCursor>(*tables);
    const int c = m.ShownCountry();

    if (int t = FightStageTime(kBarStage, frame, simple); t >= 0) {
        DrawBars(h, s, *pictures, layer, t, FightStageLevel(kBarStage, frame, simple));
    }
    if (int t = FightStageTime(kBannerStage, frame, simple); t >= 0) {
        auto plate = Blank(kBannerWidth, kBannerHeight);
        ShadowText(h, plate.get(), {0, 0, 289, 25}, m.Banner(), 24, kCountryLight[c], 1);
        PutPlate(layer, plate.get(), 88, 104, FightStageLevel(kBannerStage, frame, simple), t,
                 true);
    }
    if (int t = FightStageTime(kUnitPlateStage, frame, simple); t >= 0 && unit) {
        const int level = FightStageLevel(kUnitPlateStage, frame, simple);
        for (int k = 0; k < kMembers; ++k) {
            const MemberView& v = m.Member(k);
            if (!v.valid) continue;
            auto plate = Blank(kUnitPlateWidth, kUnitPlateHeight);
            DrawFightCategoryIcon(plate.get(), v.unitKind, 0, 0, c);
            ShadowText(h, plate.get(), {20, 4, 118, 15}, UnitName(*unit, v.unit), 12, kWhite, 0);
            fw::DrawLineOnDib(h, plate.get(), 0, 17, 136, 17, 0, 1, kWhite);
            const Point p = FightPlatePoint(m.Pane(), k, Plate::Unit, m.LayoutMode());
            PutPlate(layer, plate.get(), p.x, p.y, level, t, true);
        }
    }
    if (int t = FightStageTime(kActionStage, frame, simple); t >= 0 && unit) {
        const int level = FightStageLevel(kActionStage, frame, simple);
        rules::WeaponKdCursor weapon(*tables);
        for (int k = 0; k < kMembers; ++k) {
            const MemberView& v = m.Member(k);
            if (!v.valid) continue;
            const Point mark = FightPlatePoint(m.Pane(), k, Plate::Mark, m.LayoutMode());
            if (const int a = m.ActionCode(k); a >= 0) {
                auto plate = Blank(kMarkPlateWidth, kMarkPlateHeight);
                fw::HvDIBitBltOpaque(plate.get(), 0, 0, kMarkPlateWidth, kMarkPlateHeight,
                                     pictures->mark.get(), (a % 5) * 112, (c + (a / 5) * 4) * 36);
                if (a < 8) {
                    fw::DrawTextShadowedOnDib(h, plate.get(), {32, 10, 100, 27}, kActionWords[a],
                                              12, 1, kWhite, 1, ui::TextEncoding::Utf8);
                }
                PutPlate(layer, plate.get(), mark.x, mark.y, level, t, true);
            }
            if (m.LayoutMode() == 3 || !unit->Select(v.unit) || v.weaponSlot > 5) continue;
            if (!weapon.Select(unit->GetWeaponId(v.weaponSlot)) ||
                unit->GetWeaponId(v.weaponSlot) == 0)
                continue;
            auto plate = Blank(kWeaponPlateWidth, kWeaponPlateHeight);
            ShadowText(h, plate.get(), {0, 0, 115, 14}, weapon.GetName(), 12, kWhite, 0);
            fw::DrawLineOnDib(h, plate.get(), 0, 13, 112, 13, 0, 1, kWhite);
            const Point p = FightPlatePoint(m.Pane(), k, Plate::Weapon, m.LayoutMode());
            PutPlate(layer, plate.get(), p.x, p.y, level, t, true);
        }
    }
    if (int t = FightStageTime(kResultStage, frame, simple); t >= 0) {
        const int level = FightStageLevel(kResultStage, frame, simple);
        for (int k = 0; k < kMembers; ++k) {
            if (!m.Member(k).valid) continue;
            auto plate = Blank(kMarkPlateWidth, kMarkPlateHeight);
            const int row = m.ResultRow(k);
            fw::HvDIBitBltOpaque(plate.get(), 0, 0, kMarkPlateWidth, kMarkPlateHeight,
                                 pictures->mark.get(), 336, 144 + 36 * row);
            fw::DrawTextShadowedOnDib(h, plate.get(), {30, 7, 106, 29}, kResultWords[row], 14, 1,
                                      kWhite, 1, ui::TextEncoding::Utf8);
            const Point p = FightPlatePoint(m.Pane(), k, Plate::Mark, m.LayoutMode());
            PutPlate(layer, plate.get(), p.x, p.y, level, t, true);
        }
    }
    if (int t = FightStageTime(kAnnihilationStage, frame, simple); t >= 0) {
        if (!m.ShownSideSurvives() && m.OtherSideSurvives() && c < 4) {
            fw::Dib* sheet = pictures->annihilation.get();
            const int band = sheet->GetHeight() / 4;
            auto plate = Blank(sheet->GetWidth(), band);
            fw::HvDIBitBltOpaque(plate.get(), 0, 0, sheet->GetWidth(), band, sheet, 0, c * band);
            fw::DrawTextShadowedOnDib(h, plate.get(), {0, 0, plate->GetWidth(), band}, "全  滅", 48,
                                      1, kCountryLight[c], 1, ui::TextEncoding::Utf8);
            PutPlate(layer, plate.get(), 56, 56, FightStageLevel(kAnnihilationStage, frame, simple),
                     t, true);
        }
    }
}

void DrawFightReticles(PaneState& s) {
    const SharedPictures* pictures = ManagerPictures(s.manager);
    if (pictures == nullptr) return;
    fw::Dib* layer = s.layers[kReticleLayer].get();
    Clear(layer);
    const FightPaneModel& m = s.model;
    if (!m.ReticlesShowing()) return;
    const int row = m.ReticleRow();
    for (int k = 0; k < kMembers; ++k) {
        const MemberView& v = m.Member(k);
        for (int j = 0; j < kReticles; ++j) {
            if (!(v.targeted & (1 << j))) continue;
            fw::HvDIBitBlt(layer, v.reticle[j].x, v.reticle[j].y, 40, 40, pictures->target.get(),
                           j * 40, row * 40, 0);
        }
    }
}

void DrawFightExplosions(PaneState& s) {
    const SharedPictures* pictures = ManagerPictures(s.manager);
    if (pictures == nullptr) return;
    const FightPaneModel& m = s.model;
    if (m.Phase() == fight::kPhaseResults) return;  // the last picture stays
    fw::Dib* layer = s.layers[kExplosions].get();
    Clear(layer);
    if (!m.ExplosionsShowing()) return;
    for (int k = 0; k < kMembers; ++k) {
        const MemberView& v = m.Member(k);
        for (int i = 0; i < std::min(v.platoon, kMachines); ++i) {
            if (v.shot[i] == 0) continue;
            const Point p = FightExplosionPoint(m.Pane(), k, v.platoon, i, m.LayoutMode());
            fw::HvDIBitBlt(layer, p.x, p.y, 48, 48, pictures->explosion.get(),
                           m.ExplosionColumn() * 48, m.ExplosionRow(v.shot[i]), 0);
        }
    }
}

void ComposeFightPane(PaneState& s) {
    fw::Dib* display = s.layers[kDisplay].get();
    fw::HvDIBitBltOpaque(display, 0, 0, kPaneWidth, kPaneHeight, s.layers[kBackground].get(), 0, 0);
    if (s.model.ShownCountry() == 4) return;
    for (int l = kUnits; l <= kOverlays; ++l) {
        fw::HvDIBitBlt(display, 0, 0, kPaneWidth, kPaneHeight, s.layers[size_t(l)].get(), 0, 0, 0);
    }
}

void LoadFightBackground(PaneState& s) {
    Clear(s.layers[kBackground].get());
    const std::string name = s.model.BackgroundName();
    if (name.empty()) return;
    const std::string path = std::string(fw::GetProgramDirectory()) + "fight/" + name;
    fw::Dib picture(path.c_str());
    if (picture.HasBits()) {
        fw::HvDIBitBlt(s.layers[kBackground].get(), 0, 0, kPaneWidth, kPaneHeight, &picture, 0, 0,
                       0);
    }
}

void DrawFightUnits(PaneState& s) {
    fw::Dib* layer = s.layers[kUnits].get();
    Clear(layer);
    rules::TableDirectory* tables = PanelTables();
    if (!tables) return;
    rules::UnitInfoCursor unit(*tables);
    const FightPaneModel& m = s.model;
    const int mode = m.LayoutMode();
    const bool own = m.Pane() == 0;
    for (int n = 0; n < kMembers; ++n) {
        const int k = own ? n : kMembers - 1 - n;
        const MemberView& v = m.Member(k);
        if (!v.valid || !unit.Select(v.unit)) continue;
        const bool small = mode == 1 && (own ? k <= 2 : k >= 3);
        const int facing =
            own ? ((mode == 0 || mode == 3) ? 2 : 1) : ((mode == 0 || mode == 3) ? 1 : 2);
        for (int q = 0; q < v.machinesBefore; ++q) {
            const int i = own ? q : v.machinesBefore - 1 - q;
            const Box b = FightMachineRect(m.Pane(), k, v.platoon, i, mode);
            if (b.w == 0) continue;
            shell::LoadUnitPicture(layer, unit.GetSilhouette(), v.platoon, b.x, b.y, small ? 2 : 1,
                                   facing, b.w);
        }
    }
}

void PlaceFightPane(ui::Hwnd h, PaneState& s) {
    ui::Rect wr{};
    ui::GetWindowRect(h, &wr);
    const int w = wr.right - wr.left, hgt = wr.bottom - wr.top;
    const int sw = ui::GetSystemMetrics(ui::SM_CXSCREEN),
              sh = ui::GetSystemMetrics(ui::SM_CYSCREEN);
    int x = (sw - w) / 2;
    const bool own = s.model.Pane() == 0;
    if (s.model.LayoutMode() == 2) x += own ? w / 3 : -w / 3;
    const int y = own ? sh / 2 + 8 : sh / 2 - 8 - hgt;
    ui::SetWindowPos(h, ui::HWND_NOTOPMOST, x, y, w, hgt, ui::SWP_NOACTIVATE | ui::SWP_NOSIZE);
}

void StepFightPane(ui::Hwnd pane) {
    PaneState* s = StateOf(pane);
    if (!s || s->model.Phase() >= fight::kPhaseFinished) return;
    DrawFightOverlays(pane, *s);
    DrawFightReticles(*s);
    DrawFightExplosions(*s);
    ComposeFightPane(*s);
    const StepResult r = s->model.Step(shell::GetSound() != 0);
    for (int i = 0; i < r.impactSounds; ++i) shell::PlaySoundEffect(0);
    if (r.endFight) {
        ui::SendMessage(pane, ui::WM_RBUTTONDOWN, 0, 0);
        return;
    }
    if (r.hidePane) ui::ShowWindow(pane, ui::SW_HIDE);
    if (r.finished) ui::SendMessage(s->manager, WM_PANEL_RELAY, ui::WParam(s->model.Pane()), 0);
}

// A fight pane's window: the model and the layers of the side it shows, made at WM_CREATE and
// dropped at WM_DESTROY.
class FightPane : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    PaneState* State() const { return state_.get(); }

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const ui::Hwnd h = Handle();
        PaneState* s = state_.get();
        switch (msg) {
            case ui::WM_CREATE: {
                const int index = ui::GetClassName(h) == kOwnPaneClass ? 0 : 1;
                state_ = std::make_unique<PaneState>(index);
                s = state_.get();
                for (auto& layer : s->layers) layer = Blank(kPaneWidth, kPaneHeight);
                SizePanelToClient(h, kPaneWidth, kPaneHeight);
                LoadFightBackground(*s);
                ComposeFightPane(*s);
                return 0;
            }
            case ui::WM_DESTROY:
                state_.reset();
                return 0;
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(h, s ? s->layers[kDisplay].get() : nullptr);
                return 0;
            case ui::WM_ERASEBKGND:
                return 1;
            case ui::WM_SHOWWINDOW:
                // Shown again with its restored owner: without taking the focus from the game.
                if (w != 0 && l == kParentOpening) {
                    ui::ShowWindow(h, ui::SW_SHOWNOACTIVATE);
                    return 0;
                }
                return Default(msg, w, l);
            case ui::WM_RBUTTONDOWN:
                if (s && s->manager) ui::SendMessage(s->manager, ui::WM_RBUTTONDOWN, w, l);
                return 0;
            case WM_PANEL_RELAY:
                if (s) s->manager = ui::Hwnd{uint32_t(l)};
                return 0;
            case WM_FIGHT_DATA: {
                if (!s || l == 0) return 0;
                s->model.Start(reinterpret_cast<const uint8_t*>(l), ManagerSimple(s->manager),
                               PanelTables(), fw::GetPlayerCountry());
                for (auto& layer : s->layers) Clear(layer.get());
                PlaceFightPane(h, *s);
                LoadFightBackground(*s);
                DrawFightUnits(*s);
                DrawFightOverlays(h, *s);
                ComposeFightPane(*s);
                return 0;
            }
            default:
                return Default(msg, w, l);
        }
    }

  private:
    std::unique_ptr<PaneState> state_;
};

ui::LResult PaneProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<FightPane>(h, msg, w, l);
}

PaneState* StateOf(ui::Hwnd pane) {
    const FightPane* p = ui::WindowObjectOf<FightPane>(pane, kOwnPaneClass);
    if (p == nullptr) p = ui::WindowObjectOf<FightPane>(pane, kEnemyPaneClass);
    return p ? p->State() : nullptr;
}

bool WindowShown(shell::WindowKind kind) {
    const ui::Hwnd h = shell::GetWindowOfKind(kind);
    return h && ui::IsWindowVisible(h);
}

// The fight manager's window: its two panes and how far each has played.
class FightManager : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::Hwnd Pane(int index) const { return manager_.pane[index]; }
    bool Simple() const { return manager_.simple; }
    const SharedPictures& Pictures() const { return pictures_; }

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const ui::Hwnd h = Handle();
        switch (msg) {
            case ui::WM_CREATE: {
                const char* classes[2] = {kOwnPaneClass, kEnemyPaneClass};
                const char* titles[2] = {"リアルファイト(自国側)ウィンドウ",
                                         "リアルファイト(敵国側)ウィンドウ"};
                for (int i = 0; i < 2; ++i) {
                    manager_.pane[i] = CreatePanelWindow(classes[i], titles[i], h, 0,
                                                         ui::WS_POPUP | ui::WS_CLIPCHILDREN);
                    if (manager_.pane[i])
                        ui::SendMessage(manager_.pane[i], WM_PANEL_RELAY, 0, ui::LParam(h.value));
                }
                pictures_.target = LoadPicture("target.bmp");
                pictures_.hp = LoadPicture("fig_hp.bmp");
                pictures_.annihilation = LoadPicture("fig_anni.bmp");
                pictures_.mark = LoadPicture("fig_mark.bmp");
                pictures_.explosion = LoadPicture("fig_expl.bmp");
                return 0;
            }
            case ui::WM_DESTROY:
                ui::KillTimer(h, kFightTimer);
                for (ui::Hwnd& p : manager_.pane) {
                    if (p) ui::DestroyWindow(p);
                    p = {};
                }
                pictures_ = SharedPictures{};
                return 0;
            case WM_FIGHT_DATA: {
                if (!manager_.pane[0] || !manager_.pane[1] || l == 0) return 0;
                manager_.simple = ui::LoWord(uintptr_t(shell::GetFightSimple())) != 0;
                ui::SendMessage(manager_.pane[0], WM_FIGHT_DATA, w, l);
                ui::SendMessage(manager_.pane[1], WM_FIGHT_DATA, w, l);
                manager_.state[0] = manager_.state[1] = 1;
                const ui::Hwnd frame = shell::GetWindowOfKind(shell::WindowKind::FrameWnd);
                if (!(frame && ui::IsIconic(frame))) {
                    for (ui::Hwnd p : manager_.pane) {
                        ui::ShowWindow(p, ui::SW_SHOWNOACTIVATE);
                        InvalidateAndUpdate(p);
                    }
                }
                ui::SetTimer(h, kFightTimer, kFightTickMs);
                SetPanelBusyBit(6, 1);
                return 0;
            }
            case WM_FIGHT_BEGIN:
                return (manager_.state[0] == 1 && manager_.state[1] == 1) ? 1 : 0;
            case WM_PANEL_RELAY: {
                const int index = int(w);
                if (index == 0 || index == 1) manager_.state[index] = int(l);
                if (manager_.state[0] != 1 && manager_.state[1] != 1) {
                    for (ui::Hwnd p : manager_.pane) {
                        if (p) ui::ShowWindow(p, ui::SW_HIDE);
                    }
                    ui::KillTimer(h, kFightTimer);
                }
                SetPanelBusyBit(6, 0);
                return 0;
            }
            case ui::WM_TIMER: {
                if (w != kFightTimer || !manager_.pane[0] || !manager_.pane[1]) return 0;
                if (ui::GetAsyncKeyState(ui::VK_SHIFT) != 0) return 0;  // Shift holds the picture
                if (!WindowShown(shell::WindowKind::MapWnd) &&
                    !WindowShown(shell::WindowKind::ResultWnd)) {
                    EndFight(h);
                    return 0;
                }
                for (ui::Hwnd p : manager_.pane) {
                    if (manager_.state[0] == 0 && manager_.state[1] == 0) break;
                    StepFightPane(p);
                }
                for (ui::Hwnd p : manager_.pane) InvalidateAndUpdate(p);
                return 0;
            }
            case ui::WM_RBUTTONDOWN:
                EndFight(h);
                return 0;
            case WM_FIGHT_RAISE:
            case WM_FIGHT_LOWER:
                for (ui::Hwnd p : manager_.pane) {
                    if (!p) continue;
                    ui::SetWindowPos(p, msg == WM_FIGHT_RAISE ? ui::HWND_TOP : ui::HWND_NOTOPMOST,
                                     0, 0, 0, 0,
                                     ui::SWP_NOMOVE | ui::SWP_NOSIZE | ui::SWP_NOACTIVATE);
                }
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    void EndFight(ui::Hwnd manager) {
        ui::KillTimer(manager, kFightTimer);
        manager_.state[0] = manager_.state[1] = 0;
        for (ui::Hwnd p : manager_.pane) {
            if (p) ui::ShowWindow(p, ui::SW_HIDE);
        }
        SetPanelBusyBit(6, 0);
    }

    struct {
        ui::Hwnd pane[2]{};
        int state[2] = {0, 0};
        bool simple = false;
    } manager_;
    SharedPictures pictures_;
};

ui::LResult ManagerProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<FightManager>(h, msg, w, l);
}

bool ManagerSimple(ui::Hwnd manager) {
    const FightManager* m = ui::WindowObjectOf<FightManager>(manager, kManagerClass);
    return m != nullptr && m->Simple();
}

const SharedPictures* ManagerPictures(ui::Hwnd manager) {
    const FightManager* m = ui::WindowObjectOf<FightManager>(manager, kManagerClass);
    return m ? &m->Pictures() : nullptr;
}

}  // namespace

bool RegisterRealFightClass() { return RegisterPanelClass(kOwnPaneClass, PaneProc, true); }
bool RegisterRealFight2Class() { return RegisterPanelClass(kEnemyPaneClass, PaneProc, true); }
bool RegisterRealManagerClass() { return RegisterPanelClass(kManagerClass, ManagerProc); }

ui::Hwnd CreateRealManagerWindow(void* instance, ui::Hwnd parent, intptr_t menu) {
    (void)instance;
    if (!RegisterPanelClass(kManagerClass, ManagerProc) ||
        !RegisterPanelClass(kOwnPaneClass, PaneProc, true) ||
        !RegisterPanelClass(kEnemyPaneClass, PaneProc, true)) {
        return {};
    }
    return CreatePanelWindow(kManagerClass, "リアルファイト管理用ウィンドウ", parent, menu,
                             ui::WS_CHILD | ui::WS_DISABLED | ui::WS_CLIPCHILDREN);
}

bool FightDisplayEnabled(bool ownFight) {
    return (ownFight ? shell::GetFightMine() : shell::GetFightOther()) != 0;
}

void PlayFightAndWait(const uint8_t* record) {
    const ui::Hwnd manager = shell::GetWindowOfKind(shell::WindowKind::RealManager);
    if (!manager || record == nullptr) return;
    ui::SendMessage(manager, WM_FIGHT_DATA, 0, reinterpret_cast<ui::LParam>(record));
    for (int ask = 0; ask < kFightWaitAsks; ++ask) {
        if (ui::SendMessage(manager, WM_FIGHT_BEGIN, 0, 0) == 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

ui::Hwnd GetFightPane(ui::Hwnd manager, int index) {
    const FightManager* m = ui::WindowObjectOf<FightManager>(manager, kManagerClass);
    return (m != nullptr && (index == 0 || index == 1)) ? m->Pane(index) : ui::Hwnd{};
}

const fight::FightPaneModel* GetFightPaneModel(ui::Hwnd pane) {
    PaneState* s = StateOf(pane);
    return s ? &s->model : nullptr;
}

fw::Dib* GetFightPaneDisplay(ui::Hwnd pane) {
    PaneState* s = StateOf(pane);
    return s ? s->layers[kDisplay].get() : nullptr;
}

void RevealFightPicture(fw::Dib* picture, int level) {
    if (!picture || !picture->HasBits()) return;
    const int w = picture->GetWidth(), h = picture->GetHeight();
    const int L = std::clamp(level, 0, 5);
    auto copy = fw::Dib::CreateBlank(w, h, shell::GetPaletteTableA());
    if (L > 0) {
        for (int r = 0; r <= h / 2; ++r) {
            for (int x = 0; x <= w; x += 4) {
                const int sx = (r % 2 == 0) ? x : x + 4 - L;
                const int sy = (r % 2 == 0) ? 2 * r : 2 * r + 2 - L;
                fw::HvDIBitBltOpaque(copy.get(), sx, sy, L, L, picture, sx, sy);
            }
        }
    }
    fw::HvDIBitBltOpaque(picture, 0, 0, w, h, copy.get(), 0, 0);
}

}  // namespace zv::panels
