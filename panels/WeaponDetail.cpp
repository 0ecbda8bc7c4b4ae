#include <array>
#include <memory>
#include <string>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/ListWindows.h"
#include "panels/PanelCommon.h"
#include "panels/PanelWorld.h"
#include "panels/UnitPanel.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/RuleCursors.h"
#include "shell/PictureHelpers.h"

namespace zv::panels {

namespace {

constexpr ui::ColorRef kRed = 0x0000FF;  // COLORREF 255
constexpr int kTextSize = 12;
constexpr int kPackCount = 4;
constexpr int kWeaponSlots = 6;

struct PackButton {
    int pressed = 0;
    int state = 0;  // 1 enabled
    ui::Rect rect;
};

struct DetailState {
    std::unique_ptr<fw::Dib> canvas;
    int pack = 0;
    std::uint16_t unit = 0xFFFF;
    std::uint16_t next = 0xFFFF;
    int held = -1;
    std::array<PackButton, kPackCount> buttons;
} gDetail;

void PlaceButtons() {
    for (int k = 0; k < kPackCount; ++k) gDetail.buttons[k].rect = {428 + 40 * k, 244, 467 + 40 * k, 259};
}

const char* const kDefenceTypeNames[10] = {"施　設", " ﾐｻｲﾙ ", "潜水艦", "艦　船", "司令部",
                                           "歩　兵", "車　両", "低高度", "中高度", "高高度"};

void Text(ui::Hwnd h, int x, int y, const std::string& utf8, ui::ColorRef color = kWhite) {
    PanelText(h, gDetail.canvas.get(), x, y, utf8, kTextSize, color);
}
void Sjis(ui::Hwnd h, int x, int y, const char* sjis) {
    PanelTextSjis(h, gDetail.canvas.get(), x, y, sjis, kTextSize, kWhite);
}
// A figure, or "--" in red where the value means "none".
void Figure(ui::Hwnd h, int x, int y, const char* format, int value, bool none) {
    if (none) Text(h, x, y, "--", kRed);
    else Text(h, x, y, Format(format, value));
}

void PaintButtons() {
    fw::Dib sheet("btn_gun.bmp");
    for (int k = 0; k < kPackCount; ++k) {
        const PackButton& b = gDetail.buttons[k];
        const int sy = b.state != 1 ? 32 : (b.pressed ? 16 : 0);
        if (sheet.HasBits())
            fw::HvDIBitBlt(gDetail.canvas.get(), b.rect.left, b.rect.top, 40, 16, &sheet,
                           388 + 40 * k, sy, 0);
        PanelText({}, gDetail.canvas.get(), b.rect.left + 16 + (b.pressed ? 1 : 0),
                  b.rect.top + 2 + (b.pressed ? 1 : 0), Format("%d", k + 1), 11,
                  b.state == 1 ? kWhite : ui::Rgb(128, 128, 128));
    }
}

void SetButtons(rules::UnitInfoCursor& unit, bool exists) {
    for (int k = 0; k < kPackCount; ++k) {
        PackButton& b = gDetail.buttons[k];
        b.state = (exists && unit.GetPackFuel(k) != 0) ? 1 : 0;
        b.pressed = exists && k == unit.GetDefaultPack();
    }
}

void PaintWeapons(ui::Hwnd h, rules::UnitInfoCursor& unit, rules::TableDirectory& tables) {
    rules::WeaponKdCursor weapon(tables);
    for (int w = 0; w < kWeaponSlots; ++w) {
        const int y = 290 + 14 * w;
        const bool present = weapon.Select(unit.GetWeaponId(w)) != 0;
        if (!present) {
            Text(h, 144, y, "Nothing", kRed);
            for (int k = 0; k < 10; ++k) Text(h, 252 + 20 * k, y, "--", kRed);
            for (int x : {460, 488, 512, 540}) Text(h, x, y, "--", kRed);
        } else {
            Sjis(h, 144, y, weapon.GetName());
            for (int k = 0; k < 10; ++k) Text(h, 252 + 20 * k, y, Format("%2d", weapon.GetHitRate(k)));
            Text(h, 460, y, Format("%d", weapon.GetPower()));
            Text(h, 488, y, Format("%d", weapon.GetSalvo()));
            Text(h, 512, y, Format("%3d", weapon.GetFireCount()));
            Text(h, 540, y, Format("%d", weapon.GetRange()));
            Sjis(h, 564, y, weapon.GetMegaMarker());
        }
        for (int k = 0; k < kPackCount; ++k)
            Figure(h, 468 + 44 * k, 106 + 15 * w, "%2d", unit.GetPackAmmo(k, w), !present);
    }
    for (int k = 0; k < kPackCount; ++k) {
        const int x = 468 + 44 * k;
        Text(h, x, 196, Format("%2d", unit.GetPackEcm(k)));
        Text(h, x, 211, Format("%2d", unit.GetPackFuelTanks(k)));
        Text(h, x, 226, Format("%5d", unit.GetPackFuel(k)));
    }
}

void PaintLoad(ui::Hwnd h, rules::UnitInfoCursor& unit, std::uint16_t capabilities) {
    const bool carrier = capabilities & 0x001;
    const bool carried = capabilities & 0x01E;
    if (!carrier && !carried) return;
    if (fw::Dib plate("uinfo_b.bmp"); plate.HasBits())
        fw::HvDIBitBlt(gDetail.canvas.get(), 256, 40, plate.GetWidth(), plate.GetHeight(), &plate,
                       0, 0, 0);
    if (carrier) {
        // What it carries: the load classes as skill plates, the weight it takes, and the
        // layers its pack aims at.
        shell::DrawSkillIcons(312, 48, gDetail.canvas.get(), 0x001);
        Text(h, 312, 76, Format("%5d", unit.GetCarryWeightTotal()));
        std::uint8_t layers[8] = {};
        const int n = unit.GetPackTargetLayers(gDetail.pack, layers);
        for (int i = 0; i < n && i < 4; ++i)
            shell::DrawSkillIcons(260 + 48 * i, 120, gDetail.canvas.get(), 1u << (layers[i] % 11));
    } else {
        std::uint8_t classes[8] = {};
        const int n = unit.ListCarrierClasses(classes);
        for (int i = 0; i < n && i < 2; ++i)
            shell::DrawSkillIcons(312 + 48 * i, 48, gDetail.canvas.get(), 1u << (classes[i] % 11));
        Text(h, 312, 76, Format("%5d", unit.GetWeight()));
        shell::DrawSkillIcons(260, 120, gDetail.canvas.get(), capabilities & 0x01E);
    }
}

// The words of the name row; the picture holds only the wells.
void PaintLabels(ui::Hwnd h) {
    const ui::ColorRef gray = ui::Rgb(140, 154, 172);
    const std::pair<int, const char*> labels[] = {
        {16, "兵器名"}, {378, "防御"}, {470, "機数"}, {530, "耐久"}};
    for (const auto& [x, text] : labels) PanelText(h, gDetail.canvas.get(), x, 15, text, 10, gray);
}

void PaintSheet(ui::Hwnd h) {
    RestorePicture(gDetail.canvas.get(), "uinfo_a.bmp");
    PaintLabels(h);
    rules::TableDirectory* tables = PanelTables();
    if (tables == nullptr) return;
    rules::UnitInfoCursor unit(*tables);
    if (gDetail.unit == 0xFFFF || !unit.Select(gDetail.unit)) return;
    const int kind = unit.GetUnitKind();
    const int country = fw::GetPlayerCountry() < 4 ? fw::GetPlayerCountry() : 0;
    Sjis(h, 72, 14, unit.GetName());
    DrawFightCategoryIcon(gDetail.canvas.get(), kind, 248, 12, country);
    if (unit.UnitKindCursor::Select(kind)) Sjis(h, 268, 14, unit.UnitKindCursor::GetName());
    unit.Select(gDetail.unit);
    if (unit.GetDefenceType() < 10) Text(h, 408, 14, kDefenceTypeNames[unit.GetDefenceType()]);
    Text(h, 500, 14, Format("%d", unit.GetMaxStrength()));
    Text(h, 564, 14, Format("%3d", unit.GetDurabilityPerUnit() * unit.GetMaxStrength()));
    Text(h, 456, 46, Format("%6d", unit.GetPrice()));
    Text(h, 540, 46, Format("%6d", unit.GetPriceWithSurcharge()));
    shell::LoadUnitPicture(gDetail.canvas.get(), unit.GetSilhouette(), unit.GetMaxStrength(), 8, 44,
                           1, 1, 0);
    unit.Select(gDetail.unit);
    const std::uint16_t capabilities = unit.GetCapabilityFlags(gDetail.pack) & 0x7FF;
    for (int bit = 0, k = 0; bit < 11 && k < 4; ++bit) {
        if (!(capabilities & (1u << bit))) continue;
        shell::DrawSkillIcons(64 + 88 * (k % 2), 96 + 24 * (k / 2), gDetail.canvas.get(), 1u << bit);
        const int tx = 116 + 88 * (k % 2), ty = 100 + 24 * (k / 2);
        if (bit == 0) Text(h, tx, ty, Format("%3d", unit.GetCarryWeightTotal()));
        else if (bit <= 4) Text(h, tx, ty, Format("%3d", unit.GetWeight()));
        ++k;
    }
    for (int i = 0; i < 10; ++i)
        Text(h, 32 + 52 * (i / 5), 290 + 16 * (i % 5), Format("%3d", unit.GetDefenceRate(i)));
    for (int t = 0; t < 21; ++t) {
        const int cost = unit.GetMoveCost(gDetail.pack, t);
        unit.Select(gDetail.unit);
        Figure(h, 268 + 20 * (t % 7), 184 + 32 * (t / 7), "%d", cost, cost == 0 || cost == 255);
    }
    for (int k = 0; k < 5; ++k) {
        const int y = 188 + 14 * k;
        const int range = unit.GetRadarRange(k);
        Text(h, 56, y, Format("%2d", range));
        Text(h, 92, y, Format("%2d", range < 2 ? range : 2));
        Text(h, 176, y, Format("%2d", unit.GetDaySight()));
        Text(h, 212, y, Format("%2d", unit.GetNightSight()));
    }
    PaintLoad(h, unit, capabilities);
    unit.Select(gDetail.unit);
    PaintWeapons(h, unit, *tables);
}

// Shows unit u: the buttons follow its packs, the sheet its pack 0.
void ShowUnit(ui::Hwnd h, std::uint16_t u) {
    gDetail.unit = u;
    gDetail.pack = 0;
    bool exists = false;
    std::uint16_t next = 0xFFFF;
    if (rules::TableDirectory* tables = PanelTables()) {
        rules::UnitInfoCursor unit(*tables);
        exists = u != 0xFFFF && unit.Select(u);
        SetButtons(unit, exists);
        if (exists) next = unit.GetTransformUnit();
    } else {
        for (PackButton& b : gDetail.buttons) b.state = b.pressed = 0;
    }
    gDetail.next = next;
    PaintSheet(h);
    PaintButtons();
}

int ButtonAt(int x, int y) {
    for (int k = 0; k < kPackCount; ++k) {
        const ui::Rect& r = gDetail.buttons[k].rect;
        if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) return k;
    }
    return -1;
}

intptr_t DetailProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    switch (msg) {
        case ui::WM_INITDIALOG: {
            gDetail.canvas = LoadPicture("uinfo_a.bmp");
            gDetail.held = -1;
            PlaceButtons();
            ShowUnit(h, std::uint16_t(l));
            const int cw = gDetail.canvas->GetWidth(), ch = gDetail.canvas->GetHeight();
            const int ww = cw + 2 * ui::GetSystemMetrics(ui::SM_CXDLGFRAME);
            const int wh = ch + 2 * ui::GetSystemMetrics(ui::SM_CYDLGFRAME) +
                           ui::GetSystemMetrics(ui::SM_CYCAPTION);
            ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, ww, wh, ui::SWP_NOMOVE | ui::SWP_NOZORDER);
            fw::CenterWindowOnScreen(h, ww, wh, ui::SWP_NOZORDER);
            return 1;
        }
        case ui::WM_PAINT:
            fw::PaintWindowFromBitmap(h, gDetail.canvas.get());
            return 1;
        case ui::WM_ERASEBKGND:
            return 1;
        case ui::WM_GETDLGCODE:
            return ui::DLGC_WANTALLKEYS;
        case ui::WM_LBUTTONDOWN: {
            const int k = ButtonAt(ui::GetXLParam(l), ui::GetYLParam(l));
            if (k >= 0 && gDetail.buttons[k].state == 1 && !gDetail.buttons[k].pressed) {
                gDetail.held = k;
                ui::SetCapture(h);
                gDetail.buttons[k].pressed = 1;
                PaintButtons();
            } else if (k < 0 && gDetail.next != 0xFFFF) {
                // Walks the transformation chain one unit on.
                ShowUnit(h, gDetail.next);
            } else {
                return 1;
            }
            InvalidateAndUpdate(h);
            return 1;
        }
        case ui::WM_MOUSEMOVE:
            if (gDetail.held >= 0) {
                gDetail.buttons[gDetail.held].pressed =
                    ButtonAt(ui::GetXLParam(l), ui::GetYLParam(l)) == gDetail.held;
                PaintButtons();
                InvalidateAndUpdate(h);
            }
            return 1;
        case ui::WM_LBUTTONUP: {
            ui::ReleaseCapture();
            const int k = ButtonAt(ui::GetXLParam(l), ui::GetYLParam(l));
            if (gDetail.held >= 0) {
                if (k == gDetail.held && gDetail.buttons[k].state == 1) {
                    gDetail.pack = k;
                    for (int i = 0; i < kPackCount; ++i) gDetail.buttons[i].pressed = i == k;
                    PaintSheet(h);
                } else {
                    gDetail.buttons[gDetail.held].pressed = 0;
                }
                gDetail.held = -1;
            }
            PaintButtons();
            InvalidateAndUpdate(h);
            return 1;
        }
        case ui::WM_COMMAND:
            if (ui::LoWord(w) == ui::IDOK || ui::LoWord(w) == ui::IDCANCEL) ui::EndDialog(h, 1);
            return 1;
        case ui::WM_CLOSE:
            ui::EndDialog(h, 1);
            return 1;
        case ui::WM_DESTROY:
            gDetail.canvas.reset();
            return 1;
        default:
            return 0;
    }
}

}  // namespace

void RegisterListWindowDialogs() {
    static bool done = false;
    if (done) return;
    done = true;
    ui::DialogTemplate t;
    t.number = kWeaponDetailDialog;
    t.title = "兵器詳細";
    t.style = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_SYSMENU | ui::DS_MODALFRAME;
    t.cx = 200;
    t.cy = 120;
    ui::DialogRegistry::Global().Add(std::move(t));
}

int ShowUnitKindInfoDialog(ui::Hwnd owner, std::uint16_t unit) {
    RegisterListWindowDialogs();
    SetPanelBusyBit(0, 1);
    ui::DialogBoxParam(nullptr, kWeaponDetailDialog, owner, DetailProc, ui::LParam(unit));
    SetPanelBusyBit(0, 0);
    return 1;
}

// The state of the open sheet, for tests.
int GetWeaponDetailPack() {
    return gDetail.pack;
}
std::uint16_t GetWeaponDetailUnit() {
    return gDetail.unit;
}

}  // namespace zv::panels
