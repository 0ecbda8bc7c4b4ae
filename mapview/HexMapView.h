#pragma once

// The hex geometry and drawing engine inside every map view: positions and pixels, scrolling,
// the back buffer, the sprite sheets of each zoom, the seven hex layers, the derived layers
// (terrain edges, shore marks), troop captions and route lines.

#include <cstdint>
#include <memory>

#include "framework/Dib.h"
#include "platform/ui/WindowTypes.h"
#include "rules/context/GameContext.h"

namespace zv::mapview {

struct HexZoom {
    std::uint16_t width;
    std::uint16_t height;
    std::uint16_t overlap;
};
// Zoom 0 is the HQ miniature, 1 the "16×16" map size, 2 the "32×32" default.
inline constexpr HexZoom kHexZoomTable[3] = {{2, 2, 0}, {16, 16, 4}, {32, 32, 8}};

// Packed 32 positions: x in the low 16 bits, y in the high 16 bits.
constexpr std::uint32_t Pack32(int x, int y) {
    return (static_cast<std::uint32_t>(x) & 0xFFFF) | (static_cast<std::uint32_t>(y) << 16);
}
constexpr std::int16_t Lo16(std::uint32_t v) { return static_cast<std::int16_t>(v & 0xFFFF); }
constexpr std::int16_t Hi16(std::uint32_t v) { return static_cast<std::int16_t>(v >> 16); }

// The direction 1-6 (W, SW, SE, E, NE, NW) in which b neighbours a, 0 when it does not.
int GetNeighbourDirection(std::uint32_t a, std::uint32_t b);
int GetNeighbourDirectionPacked(std::uint16_t a, std::uint16_t b);

// The 256-entry colour table of every map picture (pal3.bmp of the program directory, read
// once); the system colours when the file cannot be read.
const ui::RgbQuad* MapPalette();

// Edge-scroll cursor of the editor's map window (types 1-4: top, bottom, left, right bands;
// other types the arrow). 1 when the cursor was set.
int SetMapCursor(ui::Hwnd window, int type, int onlyIfChanged);
// Puts back the cursor an edge cursor replaced (when one did) and forgets it: the pointer left
// the edge band or the window.
void RestoreMapClassCursor();

enum DisplayKind : std::uint16_t { kDisplayMap = 0, kDisplayWhite = 1, kDisplayBoard = 2, kDisplayGreen = 3 };

// The zones of a window the editor's pointer may be in (GetEdgeZone); the edge cursors are
// numbered from 1 in the same order.
inline constexpr int kEdgeZoneTop = 0;
inline constexpr int kEdgeZoneBottom = 1;
inline constexpr int kEdgeZoneLeft = 2;
inline constexpr int kEdgeZoneRight = 3;
inline constexpr int kEdgeZoneInside = 4;

class HexMapView {
  public:
    explicit HexMapView(rules::TableDirectory& tables, const rules::GameContextEnv& env);
    virtual ~HexMapView();
    HexMapView(const HexMapView&) = delete;
    HexMapView& operator=(const HexMapView&) = delete;

    rules::GameContext& Context() { return *ctx_; }
    std::uint8_t LocalPlayer() const { return ctx_->GetPlayerCountry(); }

    // ---- Geometry and scrolling.
    // In place: the top-left pixel of hex (x, y) relative to map origin 0,0; 255,255 and
    // 0x00FF00FF for a hex off the map.
    std::uint32_t HexToPixel(std::int16_t pt[2]) const;
    // In place: client pixel to view-relative hex.
    std::uint32_t PixelToHex(std::int16_t pt[2]) const;
    std::uint32_t PixelToMapHex(std::int16_t pt[2]) const;
    std::uint32_t PixelToMapHex(std::uint32_t point) const;

    std::uint32_t GetOrigin() const { return Pack32(originX_, originY_); }
    void SetOrigin(std::uint32_t origin);
    void GetVisibleSize(int& cols, int& rows) const {
        cols = visibleCols_;
        rows = visibleRows_;
    }
    void SetVisibleSize(int cols, int rows) {
        visibleCols_ = cols;
        visibleRows_ = rows;
    }
    std::uint32_t GetLastVisibleHex() const {
        return Pack32(originX_ + visibleCols_ - 1, originY_ + visibleRows_ - 1);
    }
    std::uint32_t GetZoomLevel() const { return zoom_; }
    std::uint32_t GetDisplayKind() const { return displayKind_; }
    int HexWidth() const { return hexW_; }
    int HexHeight() const { return hexH_; }
    int RowOverlap() const { return overlap_; }
    int BufferWidth() const { return bufferW_; }
    int BufferHeight() const { return bufferH_; }
    ui::Hwnd Owner() const { return owner_; }
    void UpdateScrollBars();

    int GetDragPending() const { return dragPending_; }
    void SetDragPending(int v) { dragPending_ = static_cast<std::uint8_t>(v); }
    int dragActive = 0;  // set and cleared by the owning window
    void SetRubberBandAnchor(std::uint32_t p) { bandAnchor_ = p; }
    std::uint32_t GetRubberBandAnchor() const { return bandAnchor_; }
    void SetRubberBandEnd(std::uint32_t p) { bandEnd_ = p; }
    std::uint32_t GetRubberBandEnd() const { return bandEnd_; }
    void ResetRubberBand() { bandAnchor_ = bandEnd_ = 0xFFFFFFFFu; }
    bool HasRubberBand() const { return bandAnchor_ != 0xFFFFFFFFu; }

    int ScrollByHexes(int direction, int n);
    int OnVScroll(int code, int thumb);
    int OnHScroll(int code, int thumb);
    void CenterOn(std::uint16_t hex, int keepFlag);
    void BeginDragScroll(int x, int y);
    int DragScroll(int x, int y);

    void SnapSizingRect(ui::Hwnd window, int edge, ui::Rect* rect) const;
    void FitRectToHexes(ui::Hwnd window, ui::Rect* rect) const;

    // kEdgeZoneTop to kEdgeZoneRight: the band of half a hex along that side of the window;
    // kEdgeZoneInside: the rest.
    int GetEdgeZone(std::uint32_t point) const;
    int UpdateEdgeCursor(std::uint32_t point);
    int EdgeScroll(std::uint32_t point);

    // ---- Drawing.
    int Setup(ui::Hwnd window, std::uint32_t origin, int clientW, int clientH, int zoom, int option);
    void SetZoomLevel(int zoom);
    int Resize(ui::Hwnd window, int clientW, int clientH);
    int DrawHex(std::uint32_t hex, int onlyMarked);
    int DrawHexRect(int x, int y, int w, int h, int onlyMarked);
    void DrawVisibleHexes(int onlyMarked);
    void RedrawView(int onlyMarked);
    int DrawHexFrame(std::uint32_t hex, int frame, int variant);
    int DrawFogTile(std::uint32_t hex);
    int DrawWaypointMarker(std::uint32_t hex);
    int PaintWindow(ui::Hwnd window);
    void Refresh();
    void RebuildLayers();
    void SetDisplayKind(int kind, int reload);
    void RefreshRoutes();
    void RebuildRoutes();
    void ComputeTerrainEdges();
    void ComputeShoreMarks();
    // The six terrain layers: whether land kind k counts as inside layer n.
    int InTerrainLayer(int landKind, int layer) const;

    void SetCountryFilter(std::uint8_t f) { countryFilter_ = f; }
    std::uint8_t GetCountryFilter() const { return countryFilter_; }
    int GetHexFrame() const { return hexFrame_; }
    int SetHexFrame(int v) { return hexFrame_ = v; }
    int GetAirRoute() const { return airRoute_; }
    int SetAirRoute(int v) { return airRoute_ = v; }
    int GetHeliRoute() const { return heliRoute_; }
    int SetHeliRoute(int v) { return heliRoute_ = v; }
    int GetGroundRoute() const { return groundRoute_; }
    int SetGroundRoute(int v) { return groundRoute_ = v; }
    int GetShipRoute() const { return shipRoute_; }
    int SetShipRoute(int v) { return shipRoute_ = v; }
    int GetRadarRange() const { return radarRange_; }
    int SetRadarRange(int v) { return radarRange_ = v; }
    int GetNews() const { return news_; }
    int SetNews(int v) { return news_ = v; }
    int GetSupplyRoute() const { return supplyRoute_; }
    int SetSupplyRoute(int v) { return supplyRoute_ = v; }
    void SetCachedDaytime(std::uint8_t d) { daytime_ = d; }
    std::uint8_t GetCachedDaytime() const { return daytime_; }
    std::uint8_t GetCaptionMode() const { return captionMode_; }
    int GetOption() const { return option_; }
    // The route-class mask of the four route options.
    int RouteClassMask() const;

    fw::Dib* BackBuffer() { return back_.get(); }
    // Made on first use: most views never show a caption.
    fw::Dib* CaptionCache() { return EnsureCaptions(); }

    // ---- Captions and route lines.
    void SetCaptionMode(int mode);
    void RebuildCaptions();
    void DrawCaption(std::uint16_t troop);
    void DrawCaptionOverlay();
    int PlaceCaptionBox(int& x, int& y, int width, int height) const;
    void BuildRoutes(std::uint8_t countryFilter, int classMask);
    int BuildTroopRoute(std::uint16_t troop, int mode);
    int TraceTroopRoute(std::uint16_t troop, const std::uint8_t (*points)[2], int count, int mode,
                        int firstLeg);

    // The caption cache holds one 180 x 100 strip per troop, two strips a row (a picture may be
    // at most 16384 pixels high).
    static int CaptionStripX(std::uint16_t troop) { return 180 * (troop & 1); }
    static int CaptionStripY(std::uint16_t troop) { return 100 * (troop >> 1); }
    static constexpr int kCaptionCacheWidth = 360;
    static constexpr int kCaptionCacheHeight = 100 * 128;

    // The fuel and damage bar ends (40 + spent length) of a caption: the bar is 50 pixels for
    // the full value, computed in 64-bit arithmetic.
    static int CaptionBarEnd(std::int64_t current, std::int64_t full);

  protected:
    void LoadSheets();
    void DeleteZoomSheets();
    void Blit(fw::Dib* sheet, int col, int row, int x, int y);
    void FillGrey(int left, int top, int right, int bottom);
    bool SelectTroop(std::uint16_t troop);
    // The country colour (0-4) the local player sees a troop in, or -1 when it is not shown.
    int TroopColourCountry(std::uint16_t troop, bool useFog);
    void DrawTroopLayer(int bx, int by, std::uint16_t troop, bool fogTile);
    // A hex's place in the back buffer; false when the hex is off the map.
    bool HexPlace(std::uint32_t hex, int* bx, int* by);
    // The layers of one hex, drawn for the hex information selected in the context.
    void DrawTerrainLayer(int bx, int by);
    void DrawSiteLayer(int bx, int by);
    void DrawCountryLayer(int bx, int by);
    void DrawRoutesAndMarksLayer(int bx, int by);
    void DrawSupplyLayer(int bx, int by);

    std::unique_ptr<rules::GameContext> ctx_;

    // Geometry.
    std::uint16_t originX_ = 0, originY_ = 0;
    int visibleCols_ = 0, visibleRows_ = 0;
    int bufferW_ = 0, bufferH_ = 0;
    int hexW_ = 32, hexH_ = 32;
    int mapCols_ = rules::kMapSize, mapRows_ = rules::kMapSize;
    std::uint16_t overlap_ = 8;
    std::uint16_t zoom_ = 0;
    std::uint8_t dragPending_ = 0;
    ui::Hwnd owner_{};
    std::int16_t dragAnchor_[2] = {0, 0};
    std::int16_t dragCurrent_[2] = {0, 0};
    std::uint32_t bandAnchor_ = 0xFFFFFFFFu;
    std::uint32_t bandEnd_ = 0xFFFFFFFFu;

    // Drawing.
    std::uint16_t displayKind_ = 0;
    int hexFrame_ = 0;
    int airRoute_ = 0, heliRoute_ = 0, groundRoute_ = 0, shipRoute_ = 0;
    int radarRange_ = 0, news_ = 0, supplyRoute_ = 0;
    std::uint8_t daytime_ = 0;
    std::uint8_t captionMode_ = 0;
    std::uint8_t countryFilter_ = 6;
    std::uint8_t option_ = 0;
    fw::Dib* EnsureCaptions();
    std::unique_ptr<fw::Dib> captions_;
    std::unique_ptr<fw::Dib> hexSheet_, roadSheet_, routeSheet_, lineSheet_, unitSheet_,
        greenSheet_, boardSheet_, shoreSheet_, symbolSheet_;
    std::unique_ptr<fw::Dib> bombSheet_, bombGreenSheet_, bombLineSheet_;
    std::unique_ptr<fw::Dib> back_;
    std::uint8_t greyIndex_ = 0;
};

}  // namespace zv::mapview
