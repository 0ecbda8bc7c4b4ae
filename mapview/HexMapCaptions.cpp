// Troop captions (a pre-rendered strip per troop, copied beside the troop at every paint) and
// route lines (route words in the hex information, drawn by the hex layers).

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/gui/GdiHelpers.h"
#include "mapview/HexMapView.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/CanvasConstants.h"
#include "rules/context/RuleHelpers.h"
#include "rules/records/TroopCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/RouteSearch.h"
#include "rules/troops/TroopMembers.h"
#include "simulation/Judgement.h"
#include "rules/records/MapRecords.h"

namespace zv::mapview {

using rules::GameContext;

namespace {

constexpr ui::ColorRef kCaptionColours[5] = {
    ui::Rgb(0, 160, 255), ui::Rgb(255, 80, 80), ui::Rgb(0, 240, 0), ui::Rgb(240, 160, 0),
    ui::Rgb(255, 255, 255)};
constexpr ui::ColorRef kBarRemaining = ui::Rgb(64, 128, 255);
constexpr ui::ColorRef kBarSpent = ui::Rgb(255, 80, 80);

void CaptionText(ui::Canvas& dc, int x, int y, const std::string& text, ui::ColorRef colour,
                 ui::TextEncoding encoding = ui::TextEncoding::Utf8) {
    dc.SetTextColor(colour);
    dc.TextOut(x, y, text, encoding);
}

// Fills (left, top)-(right, bottom) with the colour; right and bottom inclusive.
void FillBox(fw::Dib* dib, int left, int top, int right, int bottom, ui::ColorRef colour) {
    fw::FillRectColor(ui::Hwnd{}, dib, left, top, right, bottom, colour);
}

// The 16 x 16 category icon of a unit kind from "mapcatey.bmp" (row 0 for the unknown colour,
// 1-4 for countries 0-3).
void DrawCategoryIcon(rules::TroopCursor& t, fw::Dib* dib, int kind, int x, int y, int colour) {
    static std::unique_ptr<fw::Dib> sheet;
    if (!sheet || !sheet->HasBits()) sheet = std::make_unique<fw::Dib>("mapcatey.bmp");
    if (!sheet->HasBits() || !t.UnitKindCursor::Select(kind)) return;
    const int graphic = t.GetGraphicIndex();
    const int row = colour < 4 ? colour + 1 : 0;
    fw::HvDIBitBlt(dib, x, y, 16, 16, sheet.get(), 16 * graphic, 16 * row, 0);
}

bool TroopIsShown(rules::TroopCursor& t) {
    return t.GetRecord()->IsUsed() && t.HasMembers() && t.IsOnMap();
}

}  // namespace

int HexMapView::CaptionBarEnd(std::int64_t current, std::int64_t full) {
    if (full <= 0) return 40;
    const std::int64_t length = std::clamp<std::int64_t>(current * 50 / full, 0, 50);
    return 40 + static_cast<int>(length);
}

void HexMapView::SetCaptionMode(int mode) {
    captionMode_ = static_cast<std::uint8_t>(std::clamp(mode, 0, 4));
    RebuildCaptions();
}

fw::Dib* HexMapView::EnsureCaptions() {
    if (!captions_) {
        captions_ = fw::Dib::CreateBlank(kCaptionCacheWidth, kCaptionCacheHeight, MapPalette());
    }
    return captions_.get();
}

void HexMapView::RebuildCaptions() {
    if (captionMode_ == 0 || !EnsureCaptions() || !captions_->HasBits()) return;
    std::memset(captions_->GetBits(), 0, static_cast<std::size_t>(captions_->GetRowBytes()) * captions_->GetHeight());
    for (std::uint16_t t = 0; t < rules::kTroopTableLimit; ++t) DrawCaption(t);
}

void HexMapView::DrawCaption(std::uint16_t troop) {
    if (!SelectTroop(troop)) return;
    GameContext& g = *ctx_;
    auto& t = g.Troops();
    if (!TroopIsShown(t) || !t.TestFlag4000()) return;
    const std::uint8_t p = LocalPlayer();
    const std::uint8_t country = t.GetCountry();
    int colour = -1;
    if (p < rules::kCountryCount && rules::AreCountriesAllied(g.Tables(), country, p)) {
        colour = country;
    } else if (p < rules::kCountryCount) {
        const std::uint16_t seen = t.GetMask28();
        if (seen & (1u << (4 + p))) colour = country;
        else if (seen & (1u << p)) colour = 4;
    }
    if (colour < 0 || colour > 4) {
        // Nobody may follow a troop they cannot see (a spectator never sees captions).
        t.ClearFlag4000();
        return;
    }
    if (!EnsureCaptions() || !captions_->HasBits()) return;
    const int left = CaptionStripX(troop);
    const int top = CaptionStripY(troop);
    FillBox(captions_.get(), left, top, left + 179, top + 99, ui::PaletteIndex(0));
    ui::Canvas dc(captions_->GetBitmapHandle(), ui::Point{left, top}, ui::Rect{left, top, left + 180, top + 100});
    if (!dc.IsValid()) return;
    const ui::Font font = fw::CreateJapaneseFont(12, 1, 1);
    const ui::Font oldFont = dc.SelectFont(font);
    dc.SetBkMode(ui::TRANSPARENT);
    const ui::ColorRef c = kCaptionColours[colour];
    const int mode = captionMode_;
    if (colour == 4) {
        if (mode == 1 || mode == 3) {
            CaptionText(dc, 0, 0, "UNKNOWN", c);
        } else if (mode == 2) {
            CaptionText(dc, 0, 0, "UNKNOWN", c);
            CaptionText(dc, 0, 12, "燃料    UNKNOWN", c);
            CaptionText(dc, 0, 24, "被害率  UNKNOWN", c);
        } else if (mode == 4) {
            CaptionText(dc, 0, 0, "最終目的座標  不明", c);
            CaptionText(dc, 0, 16, "到着予定時刻  不明", c);
        }
        dc.SelectFont(oldFont);
        return;
    }
    switch (mode) {
        case 1:
            CaptionText(dc, 0, 0, t.GetName(), c, ui::TextEncoding::ShiftJis);
            break;
        case 2: {
            CaptionText(dc, 0, 0, t.GetName(), c, ui::TextEncoding::ShiftJis);
            CaptionText(dc, 0, 12, "燃料", c);
            const std::int64_t fullFuel = rules::GetMinMemberPackFuel(t);
            const std::int64_t fuel = rules::GetMinMemberFuel(t);
            dc.SelectFont(oldFont);
            if (fullFuel == 0) {
                dc.SelectFont(font);
                CaptionText(dc, 40, 12, "なし", c);
            } else {
                FillBox(captions_.get(), left + 40, top + 16, left + 90, top + 19, kBarRemaining);
                if (fuel != fullFuel) {
                    FillBox(captions_.get(), left + CaptionBarEnd(fuel, fullFuel), top + 16, left + 90, top + 19, kBarSpent);
                }
                dc.SelectFont(font);
            }
            CaptionText(dc, 0, 24, "被害率", c);
            SelectTroop(troop);
            const std::int64_t fullDurability = rules::GetTotalDurability(t);
            SelectTroop(troop);
            const std::int64_t durability = rules::GetTotalMemberDurability(t);
            FillBox(captions_.get(), left + 40, top + 28, left + 90, top + 31, kBarRemaining);
            if (fullDurability != durability && fullDurability != 0 && durability != 0) {
                FillBox(captions_.get(), left + CaptionBarEnd(durability, fullDurability), top + 28,
                        left + 90, top + 31, kBarSpent);
            }
            break;
        }
        case 3: {
            const int formation = t.GetCurrentFormation();
            if (formation > 3) break;
            for (int slot = 0; slot < rules::kFormationSlotCount; ++slot) {
                SelectTroop(troop);
                const std::uint8_t member = t.GetFormationMember(formation, slot);
                if (member >= rules::kTroopMemberCount) continue;
                const std::int16_t unit = t.GetRecord()->Member(member).Unit();
                if (unit < 0) continue;
                const int strength = t.GetRecord()->Member(member).Strength();
                const int durability = t.GetRecord()->Member(member).Durability();
                const int y = 16 * slot;
                if (!g.Units().Select(unit)) continue;
                const int kind = g.Units().GetUnitKind();
                const std::string first = g.Units().GetNameFirstWord();
                dc.SelectFont(oldFont);
                DrawCategoryIcon(t, captions_.get(), kind, left, top + y, colour);
                dc.SelectFont(font);
                CaptionText(dc, 20, y, first, c, ui::TextEncoding::ShiftJis);
                char line[64];
                std::snprintf(line, sizeof line, "%2d機 耐%3d", strength, durability);
                CaptionText(dc, 68, y, line, c);
            }
            break;
        }
        case 4: {
            const std::int32_t travel = t.GetOrderValue();
            if (travel == 0) {
                CaptionText(dc, 0, 0, "最終目的座標  なし", c);
                CaptionText(dc, 0, 16, "到着予定時刻  不明", c);
                break;
            }
            const std::int64_t arrival = static_cast<std::int64_t>(travel) + t.GetInt342();
            const std::int64_t days = arrival / 1440;
            const std::int64_t hours = (arrival - 1440 * days) / 60;
            const std::int64_t minutes = (arrival - 1440 * days - 60 * hours) % 60;
            const std::uint16_t dest = t.GetDestination();
            char line[96];
            std::snprintf(line, sizeof line, "最終目的座標(%2d,%2d)", dest & 0xFF, dest >> 8);
            CaptionText(dc, 0, 0, line, c);
            std::snprintf(line, sizeof line, "到着時刻 %3lld日%2lld時%2lld分", static_cast<long long>(days),
                          static_cast<long long>(hours), static_cast<long long>(minutes));
            CaptionText(dc, 0, 16, line, c);
            break;
        }
        default:
            break;
    }
    dc.SelectFont(oldFont);
}

int HexMapView::PlaceCaptionBox(int& x, int& y, int width, int height) const {
    std::int16_t probe[2] = {static_cast<std::int16_t>(x + hexW_ + width),
                             static_cast<std::int16_t>(y + hexH_ + height)};
    PixelToHex(probe);
    int code = 0;
    if (probe[0] > visibleCols_ - 1) {
        x -= hexW_ / 2;
        code |= 1;
    } else {
        x += hexW_ / 2;
    }
    if (probe[1] > visibleRows_ - 1) {
        y -= height > 20 ? 20 : height;
        code |= 2;
    } else {
        y += height;
    }
    return code;
}

void HexMapView::DrawCaptionOverlay() {
    GameContext& g = *ctx_;
    const std::uint8_t p = LocalPlayer();
    // A spectator has no country: nothing to index by.
    if (p > 3 || !g.Countries().Select(p) || g.Countries().GetState() == sim::kCountryFallen) return;
    if (!back_ || !EnsureCaptions() || !captions_->HasBits()) return;
    std::int16_t o[2] = {static_cast<std::int16_t>(originX_), static_cast<std::int16_t>(originY_)};
    HexToPixel(o);
    auto& t = g.Troops();
    for (std::uint16_t troop = 0; troop < rules::kTroopTableLimit; ++troop) {
        if (!SelectTroop(troop) || !TroopIsShown(t) || !t.TestFlag4000()) continue;
        const std::uint16_t hex = t.GetHexValue();
        const int hx = hex & 0xFF, hy = hex >> 8;
        if (hx < originX_ || hx > originX_ + visibleCols_ - 1 || hy < originY_ ||
            hy > originY_ + visibleRows_ - 1)
            continue;
        if (!g.SelectHexInfoXY(hx, hy)) continue;
        std::int16_t px[2] = {static_cast<std::int16_t>(hx), static_cast<std::int16_t>(hy)};
        if (HexToPixel(px) == 0x00FF00FF) continue;
        const std::uint8_t country = t.GetCountry();
        int colour = -1;
        if (rules::AreCountriesAllied(g.Tables(), country, p)) {
            colour = country;
        } else {
            if (!(g.GetHexFlags() & (1u << p))) continue;
            const std::uint16_t seen = t.GetMask28();
            if (seen & (1u << (4 + p))) colour = country;
            else if (seen & (1u << p)) colour = 4;
            else continue;
        }
        if (colour < 0 || colour > 4) continue;
        const int cx = hexW_ / 2 + px[0] - o[0];
        const int cy = hexH_ / 2 + px[1] - o[1];
        int w = 0, h = 0;
        const int nameLength = static_cast<int>(std::strlen(t.GetName()));
        switch (captionMode_) {
            case 1:
                w = 8 * nameLength;
                h = 12;
                break;
            case 2:
                w = 8 * nameLength + 30;
                h = 36;
                break;
            case 3:
                w = 128;
                h = 100;
                break;
            default:
                w = 144;
                h = 36;
                break;
        }
        int bx = cx, by = cy;
        const int code = PlaceCaptionBox(bx, by, w, h);
        const ui::ColorRef c = kCaptionColours[colour];
        fw::DrawLineOnDib(ui::Hwnd{}, back_.get(), cx, cy, bx, by, ui::PS_SOLID, 0, c);
        fw::DrawLineOnDib(ui::Hwnd{}, back_.get(), bx, by, (code & 1) ? bx - w : bx + w, by, ui::PS_SOLID, 0, c);
        int sx = 0, sy = 0;
        if (captionMode_ == 3) {
            sx = (code & 1) ? bx - 128 : bx;
            sy = by - 100;
        } else {
            sx = (code & 1) ? bx - w + 8 : bx + 8;
            sy = by - h;
        }
        fw::HvDIBitBlt(back_.get(), sx, sy, 180, 100, captions_.get(), CaptionStripX(troop), CaptionStripY(troop), 0);
    }
}

void HexMapView::BuildRoutes(std::uint8_t countryFilter, int classMask) {
    auto& t = ctx_->Troops();
    for (std::uint16_t troop = 0; troop < rules::kTroopTableLimit; ++troop) {
        if (!SelectTroop(troop) || !t.GetRecord()->IsUsed()) continue;
        if (countryFilter != 6 && t.GetCountry() != countryFilter) continue;
        const std::uint16_t flags = t.GetStateFlags();
        if (!(flags & (rules::kTroopSelectionMark | rules::kTroopMapMark))) continue;
        const int altitude = t.GetTroopAltitudeClass();
        const int bit = (altitude >= 1 && altitude <= 5) ? 1 << (altitude - 1) : 0;
        BuildTroopRoute(troop, 2);
        DrawCaption(troop);
        if (classMask & bit) {
            BuildTroopRoute(troop, 1);
            SelectTroop(troop);
            if (t.TestFlag4000()) DrawCaption(troop);
        }
    }
}

int HexMapView::BuildTroopRoute(std::uint16_t troop, int mode) {
    if (!SelectTroop(troop)) return 0;
    auto& t = ctx_->Troops();
    const std::uint16_t dest = t.GetDestination();
    const std::uint16_t hex = t.GetHexValue();
    if (dest == rules::kNoHex || hex == rules::kNoHex) return 0;
    std::uint8_t points[5][2];
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint16_t w = t.GetWaypoint(i);
        if ((w & 0xFF) == 255) continue;
        points[count][0] = static_cast<std::uint8_t>(w & 0xFF);
        points[count][1] = static_cast<std::uint8_t>(w >> 8);
        ++count;
    }
    points[count][0] = static_cast<std::uint8_t>(dest & 0xFF);
    points[count][1] = static_cast<std::uint8_t>(dest >> 8);
    return TraceTroopRoute(troop, points, count, mode, 0);
}

int HexMapView::TraceTroopRoute(std::uint16_t troop, const std::uint8_t (*points)[2], int count,
                                int mode, int firstLeg) {
    GameContext& g = *ctx_;
    if (!SelectTroop(troop)) return 0;
    auto& t = g.Troops();
    std::vector<rules::RouteStep> steps(8192 / sizeof(rules::RouteStep));
    t.SetOrderValue(0);
    const std::uint16_t current = t.GetHexValue();
    const int leg = t.GetOrderPhase();
    const std::uint8_t country = t.GetCountry();
    const int altitude = t.GetTroopAltitudeClass();
    std::uint8_t costs[rules::kMoveCostClasses];
    for (int c = 0; c < rules::kMoveCostClasses; ++c) costs[c] = t.GetRecord()->MoveCost(c);
    const int terrainMode = altitude == 3 ? 1 : 0;
    std::int32_t total = 0;
    int shift = 8;
    auto addTime = [&](int x, int y) {
        if (firstLeg != 0 || !g.SelectHexInfoXY(x, y)) return;
        const std::uint8_t cls = g.GetHexTerrainClass(terrainMode);
        if (cls < rules::kMoveCostClasses) total += costs[cls];
    };
    rules::ContextRouteSearch search(g, rules::RouteInstance::Map);
    for (int k = firstLeg; k < count; ++k) {
        const int ax = points[k][0], ay = points[k][1];
        const int bx = points[k + 1][0], by = points[k + 1][1];
        if (ax >= rules::kMapSize || ay >= rules::kMapSize || bx >= rules::kMapSize || by >= rules::kMapSize) continue;
        search->ComputeArea(g, troop, ax, ay, nullptr, 0);
        if (rules::MakeHexPosition(ax, ay) == current) shift = 0;
        if (!g.SelectHexInfoXY(ax, ay)) continue;
        if (k > 0 && mode == 0) {
            if (k >= leg) g.SetHexMarkBits(2);
        }
        if (k == 0 || mode != 0) {
            if (mode == 2) {
                DrawWaypointMarker(Pack32(ax, ay));
                g.SelectHexInfoXY(ax, ay);
                g.SetHexValue3(1);
            }
        }
        const int n = search->TraceRoute(steps, bx, by);
        if (n <= 0) continue;
        if (mode == 2) {
            int x = ax, y = ay;
            for (int s = 0; s < n; ++s) {
                x += steps[s].dx;
                y += steps[s].dy;
                addTime(x, y);
            }
            continue;
        }
        // The hexes of the leg: its start and the hexes entered by all steps but the last.
        std::vector<std::pair<int, int>> hexes;
        hexes.emplace_back(ax, ay);
        int x = ax, y = ay;
        for (int s = 0; s < n; ++s) {
            x += steps[s].dx;
            y += steps[s].dy;
            hexes.emplace_back(x, y);
        }
        for (std::size_t i = 0; i + 1 < hexes.size(); ++i) {
            const auto [hx, hy] = hexes[i];
            if (i > 0) addTime(hx, hy);
            if (rules::MakeHexPosition(hx, hy) == current) shift = 0;
            const std::uint32_t here = Pack32(hx, hy);
            int dirPrev = 0;
            if (i > 0) dirPrev = GetNeighbourDirection(here, Pack32(hexes[i - 1].first, hexes[i - 1].second));
            const int dirNext = GetNeighbourDirection(here, Pack32(hexes[i + 1].first, hexes[i + 1].second));
            std::uint16_t bits = 0;
            if (dirPrev) bits |= 1u << (dirPrev - 1);
            if (dirNext) bits |= 1u << (dirNext - 1);
            if (bits != 0 && country < rules::kCountryCount && g.SelectHexInfoXY(hx, hy)) {
                g.OrHexCountryWord(country, static_cast<std::uint16_t>(bits << shift));
            }
        }
        addTime(hexes.back().first, hexes.back().second);
    }
    SelectTroop(troop);
    t.SetOrderValue(static_cast<std::uint16_t>(std::clamp<std::int32_t>(total, 0, 0xFFFF)));
    const int lx = points[count][0], ly = points[count][1];
    if (lx < rules::kMapSize && ly < rules::kMapSize && g.SelectHexInfoXY(lx, ly)) {
        if (mode == 0) {
            g.SetHexMarkBits(2);
        } else if (mode == 2) {
            DrawWaypointMarker(Pack32(lx, ly));
            g.SelectHexInfoXY(lx, ly);
            g.SetHexValue3(1);
        }
    }
    return 1;
}

}  // namespace zv::mapview
