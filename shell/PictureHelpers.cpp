#include "shell/PictureHelpers.h"

#include <cstdio>
#include <memory>
#include <string>

#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/core/Files.h"
#include "platform/core/Sjis.h"
#include "platform/ui/CanvasConstants.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/Window.h"
#include "rules/context/GameContext.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/MapRecords.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "shell/Palettes.h"
#include "shell/ShellDialogs.h"
#include "shell/WindowRegistry.h"

namespace zv::shell {

namespace {

ui::Hwnd gInfoWindow{};
uint32_t gCursorHex = kNoCursorHex;

// Copies one keyed cell of a picture file.
int CopyCell(fw::Dib* dst, const char* file, int x, int y, int w, int h, int sx, int sy) {
    if (dst == nullptr) return 1;
    fw::Dib picture(file);
    fw::HvDIBitBlt(dst, x, y, w, h, &picture, sx, sy, 0);
    return 1;
}

// The live context, selected on the cursor hex; null when there is no hex.
std::unique_ptr<rules::GameContext> ContextOnCursor() {
    if (GetShellTables() == nullptr) return nullptr;
    const uint32_t pos = GetCursorHex();
    const int x = ui::LoWord(pos);
    const int y = ui::HiWord(pos);
    auto ctx = std::make_unique<rules::GameContext>(*GetShellTables());
    if (!ctx->SelectHexInfoXY(x, y)) return nullptr;
    return ctx;
}

}  // namespace

void SetInfoPictureGlobal(ui::Hwnd window) { gInfoWindow = window; }
ui::Hwnd GetInfoPictureGlobal() { return gInfoWindow; }

int LoadUnitPicture(fw::Dib* dst, int picture, int /*unused*/, int x, int y, int sizeFlag,
                    int halfFlag, int slotWidth) {
    char name[32];
    std::snprintf(name, sizeof name, sizeFlag == 1 ? "unit%03d.bmp" : "unit%03ds.bmp", picture);
    const std::string folder = std::string(fw::GetProgramDirectory()) + "\\unit\\";
    std::string path = folder + name;
    if (!core::FileExists(path)) path = folder + "unit001.bmp";
    fw::Dib pic(path.c_str());
    if (dst == nullptr || !pic.HasBits()) return 1;
    const int half = pic.GetWidth() / 2;
    int sx = halfFlag == 1 ? 0 : half;
    int width = half;
    if (slotWidth != 0) {
        if (half > slotWidth) {
            sx += (half - slotWidth) / 2;
            width = slotWidth;
        } else {
            x += (slotWidth - half) / 2;
        }
    }
    fw::HvDIBitBlt(dst, x, y, width, pic.GetHeight(), &pic, sx, 0, 0);
    return 1;
}

namespace {
// The category cell of a unit kind: (graphic index x 16, (country + 1) x 16 for 0-3, else 0).
bool CategoryCell(int unitKind, int country, int* sx, int* sy) {
    if (GetShellTables() == nullptr || unitKind < 0) return false;
    rules::UnitKindCursor kinds(*GetShellTables());
    if (!kinds.Select(unitKind)) return false;
    *sx = kinds.GetGraphicIndex() * 16;
    *sy = country >= 0 && country <= 3 ? (country + 1) * 16 : 0;
    return true;
}
}  // namespace

int DrawCategoryIconOnDib(fw::Dib* dst, int unitKind, int x, int y, int country) {
    int sx = 0, sy = 0;
    if (!CategoryCell(unitKind, country, &sx, &sy)) return 0;
    return CopyCell(dst, "mapcatey.bmp", x, y, 16, 16, sx, sy);
}

int DrawCategoryIconDC(ui::Canvas* dc, int unitKind, int x, int y, int country) {
    int sx = 0, sy = 0;
    if (!CategoryCell(unitKind, country, &sx, &sy)) return 0;
    fw::Dib picture("category.bmp");
    if (dc == nullptr || !picture.HasBits()) return 1;
    const ui::Canvas src = fw::CanvasOnDib(&picture);
    dc->BitBlt(x, y, 16, 16, src, sx, sy, ui::SRCCOPY);
    return 1;
}

int DrawGunIcon(int x, int y, fw::Dib* dst, int column, int row) {
    return CopyCell(dst, "Unit_gun.bmp", x, y, 32, 32, column * 32, row * 32);
}

int DrawUnitBigPicture(int x, int y, fw::Dib* dst, int country, int row) {
    return CopyCell(dst, "Unt_big.bmp", x, y, 32, 32, country * 192, row * 32);
}

int LoadGunStripBitmap(int x, int y, fw::Dib* dst, int index) {
    return CopyCell(dst, "unt_guns.bmp", x, y, 16, 16, 0, index * 16);
}

int DrawSkillIcons(int x, int y, fw::Dib* dst, uint32_t mask) {
    if (mask == 0 || mask > 1024) return 0;
    int bit = 0;
    while (!(mask & (1u << bit))) ++bit;
    return CopyCell(dst, "skill.bmp", x, y, 48, 16, bit * 48, 0);
}

int DrawUnitOrgIcon(int x, int y, fw::Dib* dst, int country, int row) {
    return CopyCell(dst, "UntmdOrg.bmp", x, y, 16, 16, country * 96, row * 16);
}

int DrawUnitMiddleIcon(int x, int y, fw::Dib* dst, int country, int row) {
    return CopyCell(dst, "Unt_midl.bmp", x, y, 16, 16, country * 96, row * 16);
}

int DrawInfoBackPart(fw::Dib* dst, int kind, int x, int y) {
    int bandY = 0, width = 0;
    switch (kind) {
        case 1: bandY = 180, width = 256; break;
        case 2: bandY = 60, width = 110; break;
        case 4: bandY = 0, width = 94; break;
        case 8:
        case 15: bandY = 120, width = 64; break;
        default: return 0;
    }
    const std::string path = std::string(fw::GetProgramDirectory()) + "\\infoback.bmp";
    return CopyCell(dst, path.c_str(), x, y, width, 60, 0, bandY);
}

int LoadHexBitmaps(ui::Hwnd window, fw::Dib* dst, int x, int y, int landKind, int variant) {
    if (GetShellTables() == nullptr || landKind < 0) return 0;
    rules::LandKindCursor kinds(*GetShellTables());
    if (!kinds.Select(landKind)) return 0;
    fw::Dib hexBig("hexBig.bmp");
    fw::Dib lineBig("lineBig.bmp");
    auto stripA = fw::Dib::CreateBlank(window, 928, 32, GetPaletteTableC());
    auto stripB = fw::Dib::CreateBlank(window, 960, 32, GetPaletteTableC());
    fw::HvDIBitBltOpaque(stripA.get(), 0, 0, 608, 32, &hexBig, 0, 0);
    fw::HvDIBitBltOpaque(stripA.get(), 608, 0, 256, 32, &hexBig, 0, 96);
    fw::HvDIBitBltOpaque(stripA.get(), 864, 0, 32, 32, &hexBig, 0, 0);
    fw::HvDIBitBlt(stripA.get(), 864, 0, 32, 32, &lineBig, 608, 64, 0);
    fw::HvDIBitBltOpaque(stripA.get(), 896, 0, 32, 32, &hexBig, 0, 0);
    fw::HvDIBitBlt(stripA.get(), 896, 0, 32, 32, &lineBig, 608, 96, 0);
    fw::HvDIBitBltOpaque(stripB.get(), 0, 0, 576, 32, &hexBig, 0, 32);
    fw::HvDIBitBltOpaque(stripB.get(), 576, 0, 192, 32, &hexBig, 0, 64);
    fw::HvDIBitBltOpaque(stripB.get(), 768, 0, 192, 32, &hexBig, 416, 0);
    if (landKind >= 15 && landKind <= 20) {
        fw::HvDIBitBlt(dst, x, y, 32, 32, stripB.get(), (landKind - 15 + 6 * variant) * 32, 0, 0);
        return 1;
    }
    int g = kinds.GetGraphicNumber();
    if (landKind == 13) g = 27;
    if (landKind == 14) g = 28;
    // The snow tiles lie at 19-26 of the strip, two places before their graphic numbers 21-28
    // (27 and 28 are the road and the river).
    if (landKind != 13 && landKind != 14 && g >= 21 && g <= 28) g -= 2;
    fw::HvDIBitBlt(dst, x, y, 32, 32, stripA.get(), g * 32, 0, 0);
    return 1;
}

// ---- cursor hex -------------------------------------------------------------------------------

void SetCursorHex(int x, int y) { gCursorHex = uint32_t(uint16_t(x)) | uint32_t(uint16_t(y)) << 16; }

uint32_t GetCursorHex() {
    if (!GetWindowOfKind(WindowKind::MapWnd)) return kNoCursorHex;
    return gCursorHex;
}

int DrawCursorHexPicture(int x, int y, fw::Dib* dst) {
    auto ctx = ContextOnCursor();
    if (!ctx) return 0;
    rules::HexCursor& hex = ctx->Hexes();
    CopyCell(dst, "hexMidl.bmp", x, y, 16, 16, hex.GetLandKind() * 16, 0);
    if (hex.GetRiver() != rules::kNoRiver)
        CopyCell(dst, "lineMidl.bmp", x, y, 16, 16, hex.GetRiver() * 16, 48);
    if (hex.GetRoad() != rules::kNoRoad)
        CopyCell(dst, "lineMidl.bmp", x, y, 16, 16, hex.GetRoad() * 16, 32);
    const uint16_t site = ctx->GetHexSiteIndex();
    if (site != rules::kNoSiteIndex && ctx->Sites().Select(site)) {
        const int o = ctx->Sites().GetOwner();
        const int k = ctx->Sites().GetKind();
        // The hex sheet keeps the sites where the map drawing engine reads them: countries 0-2
        // in row 1 at 6 x owner + kind, country 3 in row 2, neutral sites in row 0 from 13.
        int sx = 0, sy = 0;
        if (o >= 0 && o <= 2) {
            sx = o * 96 + k * 16, sy = 16;
        } else if (o == 3) {
            sx = k * 16, sy = 32;
        } else {
            sx = (13 + k) * 16, sy = 0;
        }
        CopyCell(dst, "hexMidl.bmp", x, y, 16, 16, sx, sy);
    }
    return 1;
}

namespace {
std::string& StaticText(int which) {
    static std::string texts[2];
    return texts[which];
}
const std::string& Nashi() {
    static const std::string kText = core::Utf8ToSjis("なし");
    return kText;
}
}  // namespace

const char* GetCursorHexTerrainText() {
    std::string& out = StaticText(0);
    auto ctx = ContextOnCursor();
    if (!ctx) {
        out = Nashi();
        return out.c_str();
    }
    rules::HexCursor& hex = ctx->Hexes();
    const uint16_t site = ctx->GetHexSiteIndex();
    rules::LandKindCursor kinds(*GetShellTables());
    if (site != rules::kNoSiteIndex && ctx->Sites().Select(site)) {
        // The site classes are land kinds 15-20, in the order of the site kinds.
        kinds.Select(15 + ctx->Sites().GetKind());
        out = kinds.GetName();
    } else if (hex.GetRoad() != rules::kNoRoad) {
        out = core::Utf8ToSjis("道路");
    } else if (hex.GetRiver() != rules::kNoRiver) {
        out = core::Utf8ToSjis("河");
    } else {
        kinds.Select(hex.GetLandKind());
        out = kinds.GetName();
    }
    return out.c_str();
}

int DrawCursorTroopPicture(int x, int y, fw::Dib* dst) {
    auto ctx = ContextOnCursor();
    if (!ctx) return 0;
    const uint16_t troop = ctx->GetHexTroopIndex();
    if (troop != rules::kNoTroopIndex && ctx->Troops().Select(troop)) {
        rules::TroopCursor& t = ctx->Troops();
        const int column = t.GetCommandByte() + t.GetCountry() * 6;
        const int row = t.GetIcon();
        CopyCell(dst, "Unt_big.bmp", x, y, 32, 32, column * 32, row * 32);
    }
    return 1;
}

const char* GetTroopNameText() {
    std::string& out = StaticText(1);
    out = Nashi();
    auto ctx = ContextOnCursor();
    if (!ctx) return out.c_str();
    const uint16_t troop = ctx->GetHexTroopIndex();
    if (troop != rules::kNoTroopIndex && ctx->Troops().Select(troop)) {
        out = ctx->Troops().GetName();
        if (out.size() > 24) out.resize(core::SjisCutLength(out, 24));
    }
    return out.c_str();
}

// ---- picture dialog ---------------------------------------------------------------------------

void ComposePicturePage(fw::Dib* work, fw::Dib* clear, fw::Dib* const pages[3], int step) {
    if (work == nullptr) return;
    const int w = work->GetWidth();
    const int h = work->GetHeight();
    switch (step) {
        case 0: fw::HvDIBitBltOpaque(work, 0, 0, w, h, clear, 0, 0); break;
        case 1: fw::HvDIBitBltOpaque(work, 0, 0, w, h, pages[0], 0, 0); break;
        case 2:
        case 3:
            fw::HvDIBitBltOpaque(work, 0, 0, w, h, clear, 0, 0);
            fw::HvDIBitBltOpaque(work, 0, 0, w, h, pages[step - 1], 0, 0);
            break;
        default: break;
    }
}

namespace {

// Three pages of pictures, a page further at each left click.
class PictureDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;
    intptr_t Dispatch(uint32_t msg, ui::WParam, ui::LParam) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInitDialog();
                return 1;
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(Handle(), work_.get());
                return 1;
            case ui::WM_ERASEBKGND:
                return 1;
            case ui::WM_LBUTTONDOWN:
                OnLButtonDown();
                return 1;
            case ui::WM_RBUTTONDOWN:
            case ui::WM_CLOSE:
                End(1);
                return 1;
            default:
                return 0;
        }
    }

  private:
    void OnInitDialog() {
        pages_[0] = std::make_unique<fw::Dib>("tyo\\pro01.bmp");
        pages_[1] = std::make_unique<fw::Dib>("tyo\\pro02.bmp");
        pages_[2] = std::make_unique<fw::Dib>("tyo\\pro03.bmp");
        const int w = pages_[0]->HasBits() ? pages_[0]->GetWidth() : 320;
        const int h = pages_[0]->HasBits() ? pages_[0]->GetHeight() : 240;
        work_ = fw::Dib::CreateBlank(Handle(), w, h, GetPaletteTableC());
        clear_ = fw::Dib::CreateBlank(Handle(), w, h, GetPaletteTableC());
        fw::CenterWindowOnScreen(Handle(), w, h, 0);
        step_ = 0;
    }
    void OnLButtonDown() {
        fw::Dib* const pages[3] = {pages_[0].get(), pages_[1].get(), pages_[2].get()};
        ComposePicturePage(work_.get(), clear_.get(), pages, step_);
        ++step_;
        ui::InvalidateRect(Handle(), nullptr, false);
    }

    std::unique_ptr<fw::Dib> pages_[3];
    std::unique_ptr<fw::Dib> work_;
    std::unique_ptr<fw::Dib> clear_;
    int step_ = 0;
};

}  // namespace

int ShowPictureDialog(ui::Hwnd parent) {
    RegisterShellDialogs();
    ui::DialogBoxParam(nullptr, kPictureDialog, parent, ui::DialogObjectProc<PictureDialog>, 0);
    return 1;
}

}  // namespace zv::shell
