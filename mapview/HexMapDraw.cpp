// The drawing half of HexMapView: sheets, the back buffer, the layers of one hex and the
// derived per-hex data.

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

#include "framework/gui/GdiHelpers.h"
#include "mapview/HexMapView.h"
#include "platform/ui/Palette.h"
#include "platform/ui/Window.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/SupplyNetwork.h"
#include "rules/search/Visibility.h"
#include "shell/Palettes.h"
#include "rules/records/MapRecords.h"

namespace zv::mapview {

using rules::GameContext;

namespace {

enum SheetRow {
    kHexNight,
    kHexDay,
    kHexFrameNight,
    kHexFrameDay,
    kRoad,
    kRoute,
    kLine,
    kGreenLine,
    kBoard,
    kUnits,
    kUnitsLine,
    kUnitsGreen,
    kShore,
    kShoreFrame,
};

// The file of each sheet by zoom level. The 2 x 2 sheet holds terrain, sites, tints and the
// road and river marks (row 3, columns 8 and 9) but no road, route, line or shore tiles: the
// layers that need them are left out at zoom level 0 (see DrawHex).
constexpr const char* kSheetFiles[][3] = {
    {"hexMini.bmp", "Hexmidn.bmp", "hexBign.bmp"},
    {"hexMini.bmp", "hexMidl.bmp", "hexBig.bmp"},
    {"hexMini.bmp", "hexMidnf.bmp", "hexBignf.bmp"},
    {"hexMini.bmp", "hexMidf.bmp", "hexBigf.bmp"},
    {"hexMini.bmp", "RoadMidl.bmp", "RoadBig.bmp"},
    {"hexMini.bmp", "RootMidl.bmp", "RootBig.bmp"},
    {"hexMini.bmp", "LineMidl.bmp", "LineBig.bmp"},
    {"hexMini.bmp", "LineGrMd.bmp", "LineGrBg.bmp"},
    {"hexMini.bmp", "LineFlMd.bmp", "LineFlBg.bmp"},
    {"unt_mini.bmp", "Unt_midl.bmp", "Unt_big.bmp"},
    {"unt_mini.bmp", "Unt_lnmd.bmp", "Unt_lnbg.bmp"},
    {"unt_mini.bmp", "Unt_grmd.bmp", "Unt_grbg.bmp"},
    {"hexMini.bmp", "BeachMd.bmp", "BeachBg.bmp"},
    {"hexMini.bmp", "BeachMdf.bmp", "BeachBgf.bmp"},
};

// The six terrain layers: a flag and up to ten land kinds.
struct TerrainLayer {
    int flag;
    std::array<std::uint8_t, 10> kinds;
};
constexpr TerrainLayer kTerrainLayers[6] = {
    {1, {3, 4, 5, 255, 255, 255, 255, 255, 255, 255}},
    {0, {3, 4, 5, 255, 255, 255, 255, 255, 255, 255}},
    {1, {0, 1, 2, 6, 7, 21, 22, 23, 24, 25}},
    {1, {11, 12, 255, 255, 255, 255, 255, 255, 255, 255}},
    {1, {8, 26, 255, 255, 255, 255, 255, 255, 255, 255}},
    {1, {9, 10, 27, 28, 255, 255, 255, 255, 255, 255}},
};

bool LayerHasKind(int layer, int kind) {
    for (std::uint8_t k : kTerrainLayers[layer].kinds) {
        if (k != 255 && k == kind) return true;
    }
    return false;
}

int FirstLayerOf(int kind) {
    for (int n = 0; n < 6; ++n) {
        if (LayerHasKind(n, kind)) return n;
    }
    return 6;
}

constexpr int kGreenSiteColumns[6] = {0, 4, 5, 6, 20, 24};

std::unique_ptr<fw::Dib> LoadSheet(const char* name) {
    return std::make_unique<fw::Dib>(name);
}

bool IsWater(int kind) { return kind == 3 || kind == 4 || kind == 5; }

}  // namespace

const ui::RgbQuad* MapPalette() {
    // The frame loads the game's palettes when it is created; every map sheet uses table C.
    const ui::RgbQuad* shared = shell::GetPaletteTableC();
    for (int i = 0; shared != nullptr && i < 256; ++i) {
        if (shared[i].red | shared[i].green | shared[i].blue) return shared;
    }
    // Without a frame (tools, tests) the map reads the palette itself, until it is found: the
    // program directory may be set after the first view.
    static std::array<ui::RgbQuad, 256> table{};
    static std::mutex mutex;
    static bool loaded = false;
    std::lock_guard<std::mutex> lock(mutex);
    if (!loaded) {
        fw::Dib pal("pal3.bmp");
        if (pal.HasBits() && pal.GetColorEntries(0, 256, table.data()) > 0) loaded = true;
    }
    return loaded ? table.data() : nullptr;
}

int HexMapView::RouteClassMask() const {
    int mask = 0;
    if (airRoute_) mask |= 1;
    if (heliRoute_) mask |= 2;
    if (groundRoute_) mask |= 4;
    if (shipRoute_) mask |= 8 | 16;
    return mask;
}

void HexMapView::Blit(fw::Dib* sheet, int col, int row, int x, int y) {
    if (sheet == nullptr || !back_) return;
    fw::HvDIBitBlt(back_.get(), x, y, hexW_, hexH_, sheet, col * hexW_, row * hexH_, 0);
}

void HexMapView::FillGrey(int left, int top, int right, int bottom) {
    if (!back_ || !back_->HasBits()) return;
    left = std::max(0, left);
    top = std::max(0, top);
    right = std::min(right, back_->GetWidth());
    bottom = std::min(bottom, back_->GetHeight());
    for (int y = top; y < bottom; ++y) {
        if (right > left) std::memset(back_->GetPixelAddress(left, y), greyIndex_, right - left);
    }
}

void HexMapView::DeleteZoomSheets() {
    hexSheet_.reset();
    roadSheet_.reset();
    routeSheet_.reset();
    lineSheet_.reset();
    unitSheet_.reset();
    greenSheet_.reset();
    boardSheet_.reset();
    shoreSheet_.reset();
    symbolSheet_.reset();
}

void HexMapView::LoadSheets() {
    const int z = std::clamp<int>(zoom_, 0, 2);
    const int hexRow = (hexFrame_ ? kHexFrameNight : kHexNight) + (daytime_ ? 1 : 0);
    hexSheet_ = LoadSheet(kSheetFiles[hexRow][z]);
    roadSheet_ = LoadSheet(kSheetFiles[kRoad][z]);
    routeSheet_ = LoadSheet(kSheetFiles[kRoute][z]);
    shoreSheet_ = LoadSheet(kSheetFiles[hexFrame_ ? kShoreFrame : kShore][z]);
    symbolSheet_ = LoadSheet("Zanki.bmp");
    switch (displayKind_) {
        case kDisplayWhite:
            lineSheet_ = LoadSheet(kSheetFiles[kLine][z]);
            unitSheet_ = LoadSheet(kSheetFiles[kUnitsLine][z]);
            break;
        case kDisplayBoard:
            lineSheet_ = LoadSheet(kSheetFiles[kLine][z]);
            boardSheet_ = LoadSheet(kSheetFiles[kBoard][z]);
            unitSheet_ = LoadSheet(kSheetFiles[kUnitsLine][z]);
            break;
        case kDisplayGreen:
            greenSheet_ = LoadSheet(kSheetFiles[kGreenLine][z]);
            unitSheet_ = LoadSheet(kSheetFiles[kUnitsGreen][z]);
            break;
        default:
            unitSheet_ = LoadSheet(kSheetFiles[kUnits][z]);
            break;
    }
}

int HexMapView::Setup(ui::Hwnd window, std::uint32_t origin, int clientW, int clientH, int zoom,
                      int option) {
    originX_ = static_cast<std::uint16_t>(origin & 0xFFFF);
    originY_ = static_cast<std::uint16_t>(origin >> 16);
    zoom_ = static_cast<std::uint16_t>(std::clamp(zoom, 0, 2));
    owner_ = window;
    option_ = static_cast<std::uint8_t>(option);
    hexW_ = kHexZoomTable[zoom_].width;
    hexH_ = kHexZoomTable[zoom_].height;
    overlap_ = kHexZoomTable[zoom_].overlap;
    greyIndex_ = ui::NearestPaletteIndex(MapPalette(), MapPalette() ? 256 : 0, ui::Rgb(128, 128, 128));
    // The caption cache (4.6 MB) is made blank when a caption is first drawn or shown.
    captions_.reset();
    if (!bombSheet_) bombSheet_ = LoadSheet("bomb.bmp");
    if (!bombGreenSheet_) bombGreenSheet_ = LoadSheet("bombgr.bmp");
    if (!bombLineSheet_) bombLineSheet_ = LoadSheet("bombln.bmp");
    DeleteZoomSheets();
    LoadSheets();
    Resize(window, clientW, clientH);
    return 1;
}

void HexMapView::SetZoomLevel(int zoom) {
    zoom_ = static_cast<std::uint16_t>(std::clamp(zoom, 0, 2));
    hexW_ = kHexZoomTable[zoom_].width;
    hexH_ = kHexZoomTable[zoom_].height;
    overlap_ = kHexZoomTable[zoom_].overlap;
    DeleteZoomSheets();
    LoadSheets();
    int w = bufferW_ - hexW_, h = bufferH_ - hexH_;
    if (ui::IsWindow(owner_)) {
        ui::Rect r{};
        ui::GetClientRect(owner_, &r);
        w = r.Width();
        h = r.Height();
    }
    Resize(owner_, std::max(0, w), std::max(0, h));
}

int HexMapView::Resize(ui::Hwnd window, int clientW, int clientH) {
    (void)window;
    back_.reset();
    clientW = std::max(0, clientW);
    clientH = std::max(0, clientH);
    bufferW_ = clientW + hexW_;
    bufferH_ = clientH + hexH_;
    visibleCols_ = std::min(rules::kMapSize, clientW / hexW_);
    visibleRows_ = std::min(rules::kMapSize, clientH / (hexH_ - overlap_));
    if (originX_ + visibleCols_ - 1 >= rules::kMapSize - 1) originX_ = static_cast<std::uint16_t>(std::max(0, rules::kMapSize - visibleCols_));
    if (originY_ + visibleRows_ - 1 >= rules::kMapSize - 1) {
        int oy = std::max(0, rules::kMapSize - visibleRows_);
        if (oy & 1) --oy;
        originY_ = static_cast<std::uint16_t>(oy);
    }
    back_ = fw::Dib::CreateBlank(bufferW_, bufferH_, MapPalette());
    FillGrey(0, 0, bufferW_ + 1, bufferH_ + 1);
    UpdateScrollBars();
    DrawHexRect(originX_ > 0 ? originX_ - 1 : 0, originY_ > 0 ? originY_ - 1 : 0, visibleCols_ + 2,
                visibleRows_ + 2, 0);
    return 1;
}

int HexMapView::DrawHexRect(int x, int y, int w, int h, int onlyMarked) {
    const int lastX = std::min(x + w, rules::kMapSize - 1);
    const int lastY = std::min(y + h, rules::kMapSize - 1);
    for (int row = std::max(0, y); row <= lastY; ++row) {
        for (int col = std::max(0, x); col <= lastX; ++col) DrawHex(Pack32(col, row), onlyMarked);
    }
    return 1;
}

void HexMapView::DrawVisibleHexes(int onlyMarked) {
    int x = originX_, y = originY_, w = visibleCols_ + 1, h = visibleRows_ + 1;
    if (x > 0) {
        --x;
        w += 2;
    }
    if (y > 0) {
        --y;
        h += 2;
    }
    DrawHexRect(x, y, w, h, onlyMarked);
}

void HexMapView::RedrawView(int onlyMarked) {
    const int clientW = bufferW_ - hexW_;
    const int clientH = bufferH_ - hexH_;
    FillGrey(0, 0, bufferW_, 2 * hexH_);
    FillGrey(0, 0, 2 * hexW_, bufferH_);
    FillGrey(0, clientH - 2 * hexH_, bufferW_, bufferH_ + 4);
    FillGrey(clientW - 2 * hexW_, 0, bufferW_ + 4, bufferH_);
    int x = originX_, y = originY_, w = visibleCols_, h = visibleRows_;
    if (x > 0) {
        --x;
        w += 2;
    }
    if (y > 0) {
        --y;
        h += 2;
    }
    DrawHexRect(x, y, w, h, onlyMarked);
}

bool HexMapView::SelectTroop(std::uint16_t troop) {
    return troop < rules::kTroopTableLimit && ctx_->Troops().Select(troop) != 0;
}

int HexMapView::TroopColourCountry(std::uint16_t troop, bool useFog) {
    if (!SelectTroop(troop)) return -1;
    auto& t = ctx_->Troops();
    const std::uint8_t country = t.GetCountry();
    if (!useFog) return country;
    const std::uint8_t p = LocalPlayer();
    if (p < rules::kCountryCount && rules::AreCountriesAllied(ctx_->Tables(), country, p)) return country;
    if (p >= rules::kCountryCount) return -1;
    const std::uint16_t seen = t.GetMask28();
    if (seen & (1u << (4 + p))) return country;
    if (seen & (1u << p)) return 4;
    return -1;
}

void HexMapView::DrawTroopLayer(int bx, int by, std::uint16_t troop, bool fogTile) {
    GameContext& g = *ctx_;
    const bool fog = rules::UsesFogOfWar(g) != 0;
    const std::uint8_t p = LocalPlayer();
    if (fog) {
        const bool seen = p < rules::kCountryCount && (g.GetHexFlags() & (1u << p)) != 0;
        if (!seen) {
            if (fogTile && countryFilter_ != 6) Blit(hexSheet_.get(), 12, 2, bx, by);
            return;
        }
    }
    const int colour = TroopColourCountry(troop, fog);
    if (colour < 0 || colour > 4) return;
    auto& t = g.Troops();
    const int symbolRow = t.GetIcon();
    const int symbolCol = t.GetCommandByte() % 6;
    if (symbolRow < 12) Blit(unitSheet_.get(), 6 * colour + symbolCol, symbolRow, bx, by);
    if (zoom_ == 2 && symbolSheet_) {
        int members = 0;
        for (int slot = 0; slot < rules::kFormationSlotCount; ++slot) {
            if (t.GetMemberUnit(slot) >= 0) ++members;
        }
        if (members >= 1) {
            fw::HvDIBitBlt(back_.get(), bx, by + 16, 12, 12, symbolSheet_.get(), 12 * (members - 1),
                           12 * colour, 0);
        }
        int load = 0;
        if (t.TestCarrying()) {
            // Carried troops: 1-5 as the count of passengers.
            for (int n = 0; n < 5; ++n) {
                if (t.FindCarriedTroop(t.GetIndex(), static_cast<std::uint16_t>(n)) == rules::kNoTroop) break;
                ++load;
            }
            SelectTroop(troop);
        }
        if (load != 0) {
            fw::HvDIBitBlt(back_.get(), bx + 12, by, 12, 12, symbolSheet_.get(), 12 * (load + 5),
                           12 * colour, 0);
        }
    }
}

bool HexMapView::HexPlace(std::uint32_t hex, int* bx, int* by) {
    std::int16_t o[2] = {static_cast<std::int16_t>(originX_), static_cast<std::int16_t>(originY_)};
    std::int16_t p[2] = {Lo16(hex), Hi16(hex)};
    if (HexToPixel(p) == 0x00FF00FF) return false;
    if (HexToPixel(o) == 0x00FF00FF) {
        // An origin off the map (a view rectangle set from outside): measure from its pixel.
        o[0] = static_cast<std::int16_t>(originX_ * hexW_ + ((originY_ & 1) ? hexW_ / 2 : 0));
        o[1] = static_cast<std::int16_t>(originY_ * (hexH_ - overlap_));
    }
    *bx = p[0] - o[0];
    *by = p[1] - o[1];
    return true;
}

void HexMapView::DrawTerrainLayer(int bx, int by) {
    GameContext& g = *ctx_;
    auto& hexes = g.Hexes();
    const int land = hexes.GetLandKind();
    const int road = hexes.GetRoad();
    const int river = hexes.GetRiver();
    fw::Dib* hs = hexSheet_.get();
    switch (displayKind_) {
        case kDisplayMap:
        default:
            if (land < 21) Blit(hs, land, 0, bx, by);
            else Blit(hs, land - 21, 3, bx, by);
            if (zoom_ == 0) {
                // The 2 x 2 sheet has one road and one river mark and no shore tiles.
                if (river != rules::kNoRiver) Blit(hs, 9, 3, bx, by);
                if (road != rules::kNoRoad) Blit(hs, 8, 3, bx, by);
                break;
            }
            for (int j = 0; j < 6; ++j) {
                if (hexes.GetMarkBits() & (1u << j)) Blit(shoreSheet_.get(), j, hexes.GetShoreStyle(), bx, by);
            }
            if (river != rules::kNoRiver) Blit(roadSheet_.get(), river & 63, 1, bx, by);
            if (road != rules::kNoRoad) Blit(roadSheet_.get(), road & 63, 0, bx, by);
            break;
        case kDisplayWhite:
        case kDisplayGreen: {
            fw::Dib* ls = displayKind_ == kDisplayGreen ? greenSheet_.get() : lineSheet_.get();
            Blit(ls, 63, 0, bx, by);
            if (hexFrame_) Blit(hs, displayKind_ == kDisplayGreen ? 16 : 17, 4, bx, by);
            for (int n = 0; n < 6; ++n) {
                const int m = g.GetHexCountryByte1(n);
                if (m != 0) Blit(ls, 63 - (m & 63), 0, bx, by);
            }
            if (river != rules::kNoRiver) Blit(ls, river & 63, 3, bx, by);
            if (road != rules::kNoRoad) Blit(ls, road & 63, 2, bx, by);
            break;
        }
        case kDisplayBoard:
            for (int n = 0; n < 6; ++n) {
                const int m = g.GetHexCountryByte1(n);
                if (m != 255) Blit(boardSheet_.get(), 63 - (m & 63), std::max(n - 1, 0), bx, by);
            }
            if (river != rules::kNoRiver) Blit(lineSheet_.get(), river & 63, 3, bx, by);
            if (road != rules::kNoRoad) Blit(lineSheet_.get(), road & 63, 2, bx, by);
            if (hexFrame_) Blit(hs, 17, 4, bx, by);
            break;
    }
}

void HexMapView::DrawSiteLayer(int bx, int by) {
    GameContext& g = *ctx_;
    const std::uint16_t site = g.GetHexSiteIndex();
    if (site == rules::kNoSiteIndex || !g.Sites().Select(site)) return;
    const int k = g.Sites().GetKind();
    const int c = g.Sites().GetOwner();
    if (k >= 6) return;
    fw::Dib* hs = hexSheet_.get();
    if (displayKind_ == kDisplayMap) {
        if (c == 4) Blit(hs, 13 + k, 0, bx, by);
        else if (c == 3) Blit(hs, k, 2, bx, by);
        else if (c < 3) Blit(hs, 6 * c + k, 1, bx, by);
    } else if (displayKind_ == kDisplayGreen) {
        Blit(greenSheet_.get(), kGreenSiteColumns[k], 1, bx, by);
    } else if (c < 4) {
        Blit(lineSheet_.get(), 6 * c + k, 1, bx, by);
    } else {
        Blit(lineSheet_.get(), 18 + k, 1, bx, by);
    }
}

void HexMapView::DrawCountryLayer(int bx, int by) {
    const int hexCountry = ctx_->Hexes().GetCountry();
    if (hexCountry != 6 && countryFilter_ != 6 && (countryFilter_ == 5 || countryFilter_ == hexCountry) &&
        hexCountry < 4) {
        Blit(hexSheet_.get(), 6 + hexCountry, 2, bx, by);
    }
}

void HexMapView::DrawRoutesAndMarksLayer(int bx, int by) {
    GameContext& g = *ctx_;
    const std::uint8_t lp = LocalPlayer();
    if (lp < rules::kCountryCount) {
        const std::uint16_t w = g.GetHexCountryWord(lp);
        if (w & 0xFF) Blit(routeSheet_.get(), w & 0x3F, lp, bx, by);
        if (w >> 8) Blit(routeSheet_.get(), (w >> 8) & 0x3F, lp + 4, bx, by);
    }
    const std::uint16_t marks = g.GetHexMarks();
    fw::Dib* hs = hexSheet_.get();
    if (marks & 1) {
        if (displayKind_ == kDisplayMap) Blit(hs, 18, 4, bx, by);
        else if (displayKind_ == kDisplayGreen) Blit(hs, 10, 2, bx, by);
        else Blit(hs, 11, 2, bx, by);
    }
    if (marks & 2) Blit(hs, 17, 2, bx, by);
}

void HexMapView::DrawSupplyLayer(int bx, int by) {
    GameContext& g = *ctx_;
    const std::uint8_t lp = LocalPlayer();
    if (lp <= 3) {
        if (g.GetHexCountryByte2(lp) != 0) Blit(hexSheet_.get(), 13 + lp, 2, bx, by);
        return;
    }
    for (int c = 0; c < 4; ++c) {
        if (g.GetHexCountryByte2(c) != 0) {
            Blit(hexSheet_.get(), 13 + c, 2, bx, by);
            return;
        }
    }
}

int HexMapView::DrawHex(std::uint32_t hex, int onlyMarked) {
    if (!back_) return 0;
    GameContext& g = *ctx_;
    const int hx = Lo16(hex), hy = Hi16(hex);
    int bx = 0, by = 0;
    if (!HexPlace(hex, &bx, &by)) return 0;
    if (!g.SelectHexInfoXY(hx, hy)) return 0;
    const std::uint16_t request = g.GetHexValue3();
    if (onlyMarked && request == 0) return 0;

    DrawTerrainLayer(bx, by);
    DrawSiteLayer(bx, by);
    DrawCountryLayer(bx, by);
    if (zoom_ != 0) {
        DrawRoutesAndMarksLayer(bx, by);
        const std::uint16_t troop = g.GetHexTroopIndex();
        if (troop != rules::kNoTroopIndex) {
            DrawTroopLayer(bx, by, troop, true);
            g.SelectHexInfoXY(hx, hy);
        }
    }
    if (supplyRoute_) DrawSupplyLayer(bx, by);

    if (onlyMarked && request != 0) {
        g.SetHexValue3(0);
        return 0;
    }
    return 1;
}

int HexMapView::DrawHexFrame(std::uint32_t hex, int frame, int variant) {
    const int x = Lo16(hex), y = Hi16(hex);
    if (!(originX_ <= x && x <= originX_ + visibleCols_ - 3 && originY_ <= y &&
          y <= originY_ + visibleRows_ - 3))
        return 0;
    if (x < 0 || x >= rules::kMapSize || y < 0 || y >= rules::kMapSize || zoom_ == 0 || !back_) return 0;
    int bx = 0, by = 0;
    if (!HexPlace(hex, &bx, &by) || !ctx_->SelectHexInfoXY(x, y)) return 0;
    // Under the explosion: the ground, its site, routes and marks and the troop the player may
    // see; no country tint, no fog tile and no supply, so the blast reads clearly.
    DrawTerrainLayer(bx, by);
    DrawSiteLayer(bx, by);
    DrawRoutesAndMarksLayer(bx, by);
    const std::uint16_t troop = ctx_->GetHexTroopIndex();
    if (troop != rules::kNoTroopIndex) DrawTroopLayer(bx, by, troop, false);
    if (frame >= 8) return 0;
    fw::Dib* sheet = displayKind_ == kDisplayMap     ? bombSheet_.get()
                     : displayKind_ == kDisplayGreen ? bombGreenSheet_.get()
                                                     : bombLineSheet_.get();
    if (zoom_ == 2) {
        fw::HvDIBitBlt(back_.get(), bx, by, 32, 32, sheet, 32 * frame, 32 * std::clamp(variant, 0, 1), 0);
    } else {
        fw::HvDIBitBlt(back_.get(), bx, by, 16, 16, sheet, 16 * (variant == 0 ? frame : frame + 8), 64, 0);
    }
    return 1;
}

int HexMapView::DrawFogTile(std::uint32_t hex) {
    std::int16_t o[2] = {static_cast<std::int16_t>(originX_), static_cast<std::int16_t>(originY_)};
    std::int16_t p[2] = {Lo16(hex), Hi16(hex)};
    if (HexToPixel(p) == 0x00FF00FF) return 0;
    HexToPixel(o);
    Blit(hexSheet_.get(), 12, 2, p[0] - o[0], p[1] - o[1]);
    return 1;
}

int HexMapView::DrawWaypointMarker(std::uint32_t hex) {
    std::int16_t o[2] = {static_cast<std::int16_t>(originX_), static_cast<std::int16_t>(originY_)};
    std::int16_t p[2] = {Lo16(hex), Hi16(hex)};
    if (HexToPixel(p) == 0x00FF00FF) return 0;
    HexToPixel(o);
    Blit(hexSheet_.get(), 18, 1, p[0] - o[0], p[1] - o[1]);
    return 1;
}

int HexMapView::PaintWindow(ui::Hwnd window) {
    if (!back_ || !back_->HasBits()) return 0;
    if (captionMode_ != 0) DrawCaptionOverlay();
    ui::PaintStruct ps;
    ui::Canvas* dc = ui::BeginPaint(window, &ps);
    if (dc != nullptr) {
        const ui::Rect& r = ps.rcPaint;
        dc->BitBlt(r.left, r.top, r.Width(), r.Height(), fw::CanvasOnDib(back_.get()), r.left, r.top,
                   ui::SRCCOPY);
    }
    ui::EndPaint(window, &ps);
    return 1;
}

int HexMapView::InTerrainLayer(int landKind, int layer) const {
    if (displayKind_ == kDisplayBoard) {
        for (int n = layer; n < 6; ++n) {
            if (LayerHasKind(n, landKind)) return kTerrainLayers[n].flag != 0 ? 1 : 0;
        }
        return kTerrainLayers[layer].flag == 0 ? 1 : 0;
    }
    if (LayerHasKind(layer, landKind)) return kTerrainLayers[layer].flag != 0 ? 1 : 0;
    return kTerrainLayers[layer].flag == 0 ? 1 : 0;
}

void HexMapView::ComputeTerrainEdges() {
    GameContext& g = *ctx_;
    const bool board = displayKind_ == kDisplayBoard;
    std::array<std::uint8_t, rules::kHexCount> kinds{};
    for (int i = 0; i < rules::kHexCount; ++i) {
        g.Hexes().Select(i);
        kinds[i] = g.Hexes().GetLandKind();
    }
    for (int i = 0; i < rules::kHexCount; ++i) {
        const int x = i % rules::kMapSize, y = i / rules::kMapSize;
        g.SelectHexInfoXY(x, y);
        for (int n = 0; n < 6; ++n) {
            std::uint8_t mask = (board && n >= 1) ? 255 : 0;
            if (InTerrainLayer(kinds[i], n)) {
                mask = 0;
                for (int j = 0; j < 6; ++j) {
                    std::uint16_t nx = 0, ny = 0;
                    if (!g.GetHexNeighbour(x, y, j, nx, ny)) continue;
                    const int nk = kinds[nx + rules::kMapSize * ny];
                    if (n >= 2 && n < FirstLayerOf(nk)) continue;
                    if (!InTerrainLayer(nk, n)) mask = static_cast<std::uint8_t>(mask | (1u << j));
                }
            } else if (board) {
                mask = 255;
            }
            g.SetHexCountryByte1(n, mask);
        }
    }
}

void HexMapView::ComputeShoreMarks() {
    GameContext& g = *ctx_;
    for (int i = 0; i < rules::kHexCount; ++i) {
        const std::uint16_t hex = rules::MakeHexPosition(i % rules::kMapSize, i / rules::kMapSize);
        rules::HexDescription around[6];
        g.GetNeighbourInfos(hex, around);
        g.Hexes().Select(i);
        g.Hexes().ClearMarkBits();
        const int kind = g.Hexes().GetLandKind();
        std::uint8_t bits = 0;
        if (!IsWater(kind)) {
            for (int j = 0; j < 6; ++j) {
                if (around[j].x == 255 || around[j].y == 255) continue;
                if (IsWater(around[j].landKind) && around[j].siteKind == 255) bits |= 1u << j;
            }
        } else {
            g.Hexes().SetRiver(rules::kNoRiver);
            for (int j = 0; j < 6; ++j) {
                if (around[j].x == 255 || around[j].y == 255) continue;
                if (around[j].siteKind != 255) bits |= 1u << j;
            }
        }
        g.Hexes().Select(i);
        g.Hexes().SetMarkBits(bits);
    }
}

void HexMapView::RebuildLayers() {
    if (displayKind_ != kDisplayMap) ComputeTerrainEdges();
    if (supplyRoute_) rules::RecomputeAllSupplyNetworks(*ctx_);
    ComputeShoreMarks();
    const int mask = RouteClassMask();
    if (mask != 0) {
        ctx_->ClearAllHexCountryWords();
        BuildRoutes(6, mask);
    }
}

void HexMapView::Refresh() {
    if (displayKind_ != kDisplayMap) ComputeTerrainEdges();
    if (supplyRoute_) rules::RecomputeAllSupplyNetworks(*ctx_);
    ComputeShoreMarks();
    ctx_->ClearAllHexCountryWords();
    BuildRoutes(6, RouteClassMask());
    DrawHexRect(originX_ > 0 ? originX_ - 1 : 0, originY_ > 0 ? originY_ - 1 : 0, visibleCols_ + 2,
                visibleRows_ + 2, 0);
}

void HexMapView::SetDisplayKind(int kind, int reload) {
    displayKind_ = static_cast<std::uint16_t>(std::clamp(kind, 0, 3));
    if (reload) SetZoomLevel(zoom_);
    Refresh();
}

void HexMapView::RefreshRoutes() {
    ctx_->ClearAllHexCountryWords();
    BuildRoutes(6, RouteClassMask());
}

void HexMapView::RebuildRoutes() {
    const int mask = RouteClassMask();
    if (mask != 0) BuildRoutes(6, mask);
}

}  // namespace zv::mapview
