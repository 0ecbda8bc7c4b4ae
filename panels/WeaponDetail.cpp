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
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogObject.h"
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

// In the order of the target classes the defence type counts in (high air first, sites last),
// as the rule tables and the troop pages have them.
const char* const kDefenceTypeNames[10] = {"高高度", "中高度", "低高度", "車　両", "歩　兵",
                                           "司令部", "艦　船", "潜水艦", " ﾐｻｲﾙ ", "施　設"};

// The sheet of one unit kind: its figures, its weapons per pack and the four pack buttons.
class WeaponDetailDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog(std::uint16_t(l));
                return 1;
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(Handle(), canvas_.get());
                return 1;
            case ui::WM_ERASEBKGND:
                return 1;
            case ui::WM_GETDLGCODE:
                return ui::DLGC_WANTALLKEYS;
            case ui::WM_LBUTTONDOWN:
                OnLButtonDown(ui::GetXLParam(l), ui::GetYLParam(l));
                return 1;
            case ui::WM_MOUSEMOVE:
                OnMouseMove(ui::GetXLParam(l), ui::GetYLParam(l));
                return 1;
            case ui::WM_LBUTTONUP:
                OnLButtonUp(ui::GetXLParam(l), ui::GetYLParam(l));
                return 1;
            case ui::WM_COMMAND:
                if (ui::LoWord(w) == ui::IDOK || ui::LoWord(w) == ui::IDCANCEL) End(1);
                return 1;
            case ui::WM_CLOSE:
                End(1);
                return 1;
            case ui::WM_DESTROY:
                canvas_.reset();
                return 1;
            default:
                return 0;
        }
    }

    int Pack() const { return pack_; }
    std::uint16_t Unit() const { return unit_; }

  private:
    void OnInitDialog(std::uint16_t unit) {
        const ui::Hwnd h = Handle();
        canvas_ = LoadPicture("uinfo_a.bmp");
        for (int k = 0; k < kPackCount; ++k)
            buttons_[k].rect = {428 + 40 * k, 244, 467 + 40 * k, 259};
        ShowUnit(unit);
        const int cw = canvas_->GetWidth(), ch = canvas_->GetHeight();
        const int ww = cw + 2 * ui::GetSystemMetrics(ui::SM_CXDLGFRAME);
        const int wh = ch + 2 * ui::GetSystemMetrics(ui::SM_CYDLGFRAME) +
                       ui::GetSystemMetrics(ui::SM_CYCAPTION);
        ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, ww, wh, ui::SWP_NOMOVE | ui::SWP_NOZORDER);
        fw::CenterWindowOnScreen(h, ww, wh, ui::SWP_NOZORDER);
    }

    void OnLButtonDown(int x, int y) {
        const int k = ButtonAt(x, y);
        if (k >= 0 && buttons_[k].state == 1 && !buttons_[k].pressed) {
            held_ = k;
            ui::SetCapture(Handle());
            buttons_[k].pressed = 1;
            PaintButtons();
        } else if (k < 0 && next_ != kNoUnitInfo) {
            // Walks the transformation chain one unit on.
            ShowUnit(next_);
        } else {
            return;
        }
        InvalidateAndUpdate(Handle());
    }

    void OnMouseMove(int x, int y) {
        if (held_ < 0) return;
        buttons_[held_].pressed = ButtonAt(x, y) == held_;
        PaintButtons();
        InvalidateAndUpdate(Handle());
    }

    void OnLButtonUp(int x, int y) {
        ui::ReleaseCapture();
        const int k = ButtonAt(x, y);
        if (held_ >= 0) {
            if (k == held_ && buttons_[k].state == 1) {
                pack_ = k;
                for (int i = 0; i < kPackCount; ++i) buttons_[i].pressed = i == k;
                PaintSheet();
            } else {
                buttons_[held_].pressed = 0;
            }
            held_ = -1;
        }
        PaintButtons();
        InvalidateAndUpdate(Handle());
    }

    void Text(int x, int y, const std::string& utf8, ui::ColorRef color = kWhite) {
        PanelText(Handle(), canvas_.get(), x, y, utf8, kTextSize, color);
    }
    void Sjis(int x, int y, const char* sjis) {
        PanelTextSjis(Handle(), canvas_.get(), x, y, sjis, kTextSize, kWhite);
    }
    // A figure, or "--" in red where the value means "none".
    void Figure(int x, int y, const char* format, int value, bool none) {
        if (none) Text(x, y, "--", kRed);
        else Text(x, y, Format(format, value));
    }

    void PaintButtons() {
        fw::Dib sheet("btn_gun.bmp");
        for (int k = 0; k < kPackCount; ++k) {
            const PackButton& b = buttons_[k];
            const int sy = b.state != 1 ? 32 : (b.pressed ? 16 : 0);
            if (sheet.HasBits())
                fw::HvDIBitBlt(canvas_.get(), b.rect.left, b.rect.top, 40, 16, &sheet,
                               388 + 40 * k, sy, 0);
            PanelText({}, canvas_.get(), b.rect.left + 16 + (b.pressed ? 1 : 0),
                      b.rect.top + 2 + (b.pressed ? 1 : 0), Format("%d", k + 1), 11,
                      b.state == 1 ? kWhite : ui::Rgb(128, 128, 128));
        }
    }

    void SetButtons(rules::UnitInfoCursor& unit, bool exists) {
        for (int k = 0; k < kPackCount; ++k) {
            PackButton& b = buttons_[k];
            b.state = (exists && unit.GetPackFuel(k) != 0) ? 1 : 0;
            b.pressed = exists && k == unit.GetDefaultPack();
        }
    }

    void PaintWeapons(rules::UnitInfoCursor& unit, rules::TableDirectory& tables) {
        rules::WeaponKdCursor weapon(tables);
        for (int slot = 0; slot < kWeaponSlots; ++slot) {
            const int y = 290 + 14 * slot;
            const bool present = weapon.Select(unit.GetWeaponId(slot)) != 0;
            if (!present) {
                Text(144, y, "Nothing", kRed);
                for (int k = 0; k < 10; ++k) Text(252 + 20 * k, y, "--", kRed);
                for (int x : {460, 488, 512, 540}) Text(x, y, "--", kRed);
            } else {
                Sjis(144, y, weapon.GetName());
                for (int k = 0; k < 10; ++k) Text(252 + 20 * k, y, Format("%2d", weapon.GetHitRate(k)));
                Text(460, y, Format("%d", weapon.GetPower()));
                Text(488, y, Format("%d", weapon.GetSalvo()));
                Text(512, y, Format("%3d", weapon.GetFireCount()));
                Text(540, y, Format("%d", weapon.GetRange()));
                Sjis(564, y, weapon.GetMegaMarker());
            }
            for (int k = 0; k < kPackCount; ++k)
                Figure(468 + 44 * k, 106 + 15 * slot, "%2d", unit.GetPackAmmo(k, slot), !present);
        }
        for (int k = 0; k < kPackCount; ++k) {
            const int x = 468 + 44 * k;
            Text(x, 196, Format("%2d", unit.GetPackEcm(k)));
            Text(x, 211, Format("%2d", unit.GetPackFuelTanks(k)));
            Text(x, 226, Format("%5d", unit.GetPackFuel(k)));
        }
    }

    void PaintLoad(rules::UnitInfoCursor& unit, std::uint16_t capabilities) {
        const bool carrier = capabilities & 0x001;
        const bool carried = capabilities & 0x01E;
        if (!carrier && !carried) return;
        if (fw::Dib plate("uinfo_b.bmp"); plate.HasBits())
            fw::HvDIBitBlt(canvas_.get(), 256, 40, plate.GetWidth(), plate.GetHeight(), &plate, 0,
                           0, 0);
        if (carrier) {
            // What it carries: the load classes as skill plates, the weight it takes, and the
            // layers its pack aims at.
            shell::DrawSkillIcons(312, 48, canvas_.get(), 0x001);
            Text(312, 76, Format("%5d", unit.GetCarryWeightTotal()));
            std::uint8_t layers[8] = {};
            const int n = unit.GetPackTargetLayers(pack_, layers);
            for (int i = 0; i < n && i < 4; ++i)
                shell::DrawSkillIcons(260 + 48 * i, 120, canvas_.get(), 1u << (layers[i] % 11));
        } else {
            std::uint8_t classes[8] = {};
            const int n = unit.ListCarrierClasses(classes);
            for (int i = 0; i < n && i < 2; ++i)
                shell::DrawSkillIcons(312 + 48 * i, 48, canvas_.get(), 1u << (classes[i] % 11));
            Text(312, 76, Format("%5d", unit.GetWeight()));
            shell::DrawSkillIcons(260, 120, canvas_.get(), capabilities & 0x01E);
        }
    }

    // The words of the name row; the picture holds only the wells.
    void PaintLabels() {
        const ui::ColorRef gray = ui::Rgb(140, 154, 172);
        const std::pair<int, const char*> labels[] = {
            {16, "兵器名"}, {378, "防御"}, {470, "機数"}, {530, "耐久"}};
        for (const auto& [x, text] : labels) PanelText(Handle(), canvas_.get(), x, 15, text, 10, gray);
    }

    void PaintSheet() {
        RestorePicture(canvas_.get(), "uinfo_a.bmp");
        PaintLabels();
        rules::TableDirectory* tables = PanelTables();
        if (tables == nullptr) return;
        rules::UnitInfoCursor unit(*tables);
        if (unit_ == kNoUnitInfo || !unit.Select(unit_)) return;
        const int kind = unit.GetUnitKind();
        const int country = fw::GetPlayerCountry() < 4 ? fw::GetPlayerCountry() : 0;
        Sjis(72, 14, unit.GetName());
        DrawFightCategoryIcon(canvas_.get(), kind, 248, 12, country);
        if (unit.UnitKindCursor::Select(kind)) Sjis(268, 14, unit.UnitKindCursor::GetName());
        unit.Select(unit_);
        if (const char* name = DefenceTypeName(unit.GetDefenceType())) Text(408, 14, name);
        Text(500, 14, Format("%d", unit.GetMaxStrength()));
        Text(564, 14, Format("%3d", unit.GetDurabilityPerUnit() * unit.GetMaxStrength()));
        Text(456, 46, Format("%6d", unit.GetPrice()));
        Text(540, 46, Format("%6d", unit.GetPriceWithSurcharge()));
        shell::LoadUnitPicture(canvas_.get(), unit.GetSilhouette(), unit.GetMaxStrength(), 8, 44, 1,
                               1, 0);
        unit.Select(unit_);
        const std::uint16_t capabilities = unit.GetCapabilityFlags(pack_) & 0x7FF;
        for (int bit = 0, k = 0; bit < 11 && k < 4; ++bit) {
            if (!(capabilities & (1u << bit))) continue;
            shell::DrawSkillIcons(64 + 88 * (k % 2), 96 + 24 * (k / 2), canvas_.get(), 1u << bit);
            const int tx = 116 + 88 * (k % 2), ty = 100 + 24 * (k / 2);
            if (bit == 0) Text(tx, ty, Format("%3d", unit.GetCarryWeightTotal()));
            else if (bit <= 4) Text(tx, ty, Format("%3d", unit.GetWeight()));
            ++k;
        }
        for (int i = 0; i < 10; ++i)
            Text(32 + 52 * (i / 5), 290 + 16 * (i % 5), Format("%3d", unit.GetDefenceRate(i)));
        for (int t = 0; t < 21; ++t) {
            const int cost = unit.GetMoveCost(pack_, t);
            unit.Select(unit_);
            Figure(268 + 20 * (t % 7), 184 + 32 * (t / 7), "%d", cost, cost == 0 || cost == 255);
        }
        for (int k = 0; k < 5; ++k) {
            const int y = 188 + 14 * k;
            const int range = unit.GetRadarRange(k);
            Text(56, y, Format("%2d", range));
            Text(92, y, Format("%2d", range < 2 ? range : 2));
            Text(176, y, Format("%2d", unit.GetDaySight()));
            Text(212, y, Format("%2d", unit.GetNightSight()));
        }
        PaintLoad(unit, capabilities);
        unit.Select(unit_);
        PaintWeapons(unit, *tables);
    }

    // Shows unit u: the buttons follow its packs, the sheet its pack 0.
    void ShowUnit(std::uint16_t u) {
        unit_ = u;
        pack_ = 0;
        bool exists = false;
        std::uint16_t next = kNoUnitInfo;
        if (rules::TableDirectory* tables = PanelTables()) {
            rules::UnitInfoCursor unit(*tables);
            exists = u != kNoUnitInfo && unit.Select(u);
            SetButtons(unit, exists);
            if (exists) next = unit.GetTransformUnit();
        } else {
            for (PackButton& b : buttons_) b.state = b.pressed = 0;
        }
        next_ = next;
        PaintSheet();
        PaintButtons();
    }

    int ButtonAt(int x, int y) const {
        for (int k = 0; k < kPackCount; ++k) {
            const ui::Rect& r = buttons_[k].rect;
            if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) return k;
        }
        return -1;
    }

    std::unique_ptr<fw::Dib> canvas_;
    int pack_ = 0;
    std::uint16_t unit_ = kNoUnitInfo;
    std::uint16_t next_ = kNoUnitInfo;
    int held_ = -1;
    std::array<PackButton, kPackCount> buttons_;
};

WeaponDetailDialog* WeaponDetailOf(ui::Hwnd dialog) {
    // Only a dialog this file runs holds a sheet in its user slot.
    const auto proc = reinterpret_cast<intptr_t>(&ui::DialogObjectProc<WeaponDetailDialog>);
    if (!ui::IsWindow(dialog) || ui::GetWindowLongPtr(dialog, ui::DWLP_DLGPROC) != proc)
        return nullptr;
    return ui::DialogObjectOf<WeaponDetailDialog>(dialog);
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
    ui::DialogBoxParam(nullptr, kWeaponDetailDialog, owner,
                       ui::DialogObjectProc<WeaponDetailDialog>, ui::LParam(unit));
    SetPanelBusyBit(0, 0);
    return 1;
}

const char* DefenceTypeName(int type) { return type >= 0 && type < 10 ? kDefenceTypeNames[type] : nullptr; }

int GetWeaponDetailPack(ui::Hwnd dialog) {
    const WeaponDetailDialog* sheet = WeaponDetailOf(dialog);
    return sheet ? sheet->Pack() : -1;
}
std::uint16_t GetWeaponDetailUnit(ui::Hwnd dialog) {
    const WeaponDetailDialog* sheet = WeaponDetailOf(dialog);
    return sheet ? sheet->Unit() : kNoUnitInfo;
}

}  // namespace zv::panels
