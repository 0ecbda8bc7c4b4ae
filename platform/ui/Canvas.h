#pragma once

// A drawing context over a 32-bit surface or an 8-bit indexed surface: what the game's code did
// with a device context. Coordinates are logical: (0, 0) lies at the origin given at
// construction (a window's client corner on the screen). Every drawing call is clipped to the
// clip region and to the surface.
//
// On an 8-bit surface every colour maps to a palette index by NearestPaletteIndex (Palette.h),
// raster operations work on the indices, and text is drawn without antialiasing, so that pixels
// only ever take palette indices that were asked for. On a 32-bit surface text is antialiased.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/ui/CanvasConstants.h"
#include "platform/ui/Font.h"
#include "platform/ui/Palette.h"
#include "platform/ui/Surface.h"
#include "platform/ui/Text.h"

namespace zv::ui {

struct Pen {
    int style = PS_SOLID;
    int width = 1;  // 0 draws as 1
    ColorRef color = 0;
};

enum class BrushKind { Solid, Hatched, Null };

struct Brush {
    BrushKind kind = BrushKind::Solid;
    int hatch = HS_HORIZONTAL;
    ColorRef color = 0;

    static Brush SolidColor(ColorRef c) { return {BrushKind::Solid, 0, c}; }
    static Brush Hatched(int hatch, ColorRef c) { return {BrushKind::Hatched, hatch, c}; }
    static Brush Hollow() { return {BrushKind::Null, 0, 0}; }
};

// The stock brushes (WHITE_BRUSH .. NULL_BRUSH) and pens (WHITE_PEN .. NULL_PEN).
Brush StockBrush(int id);
Pen StockPen(int id);

class Canvas {
  public:
    Canvas() = default;  // draws nothing
    explicit Canvas(Surface32 target);
    explicit Canvas(IndexedSurface target);
    // origin: where logical (0, 0) lies on the surface; clip: surface coordinates.
    Canvas(Surface32 target, Point origin, Rect clip);
    Canvas(IndexedSurface target, Point origin, Rect clip);

    bool IsIndexed() const { return indexed_; }
    bool IsValid() const { return indexed_ ? index_.IsValid() : rgb_.IsValid(); }
    const Surface32& Target32() const { return rgb_; }
    const IndexedSurface& TargetIndexed() const { return index_; }
    Point Origin() const { return origin_; }

    // Clipping, in logical coordinates. The region is a set of disjoint rectangles.
    Rect ClipBox() const;
    void SetClipRect(const Rect& r);
    void IntersectClipRect(const Rect& r);
    void ExcludeClipRect(const Rect& r);
    void ResetClip();  // back to the whole visible region
    // For the window layer: takes a rectangle (surface coordinates) out of the visible
    // region, which no clip call can give back (a window covered by another).
    void ExcludeFromVisibleRegion(const Rect& surfaceRect);
    // For the window layer: the visible region as disjoint rectangles in surface coordinates;
    // resets the clip to it.
    void SetVisibleRegion(std::span<const Rect> surfaceRects);
    bool PtVisible(int x, int y) const;

    // Drawing state.
    Pen SelectPen(const Pen& pen);
    Brush SelectBrush(const Brush& brush);
    Font SelectFont(const Font& font);
    const Pen& CurrentPen() const { return pen_; }
    const Brush& CurrentBrush() const { return brush_; }
    const Font& CurrentFont() const { return font_; }
    ColorRef SetTextColor(ColorRef c);
    ColorRef SetBkColor(ColorRef c);
    int SetBkMode(int mode);
    uint32_t SetTextAlign(uint32_t align);
    int SetRop2(int mode);
    int SetPolyFillMode(int mode);
    ColorRef TextColor() const { return textColor_; }
    ColorRef BkColor() const { return bkColor_; }
    int BkMode() const { return bkMode_; }
    // A palette for palette-index colours on a 32-bit surface; null gives black for them.
    void SetPalette(const RgbQuad* table, int count);

    // Pixels. GetPixel gives kColorInvalid outside the clip region.
    ColorRef SetPixel(int x, int y, ColorRef c);
    ColorRef GetPixel(int x, int y) const;
    // The raw pixel: a palette index on 8-bit surfaces, 0x00RRGGBB on 32-bit ones.
    std::optional<uint32_t> GetRawPixel(int x, int y) const;

    // Lines with the current pen; the end point is not painted.
    Point MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(std::span<const Point> points);
    // Filled shapes: interior with the current brush, outline with the current pen.
    void Polygon(std::span<const Point> points);
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);

    // Brush fills that ignore the pen.
    void FillRect(const Rect& r, const Brush& brush);
    void FillSolid(const Rect& r, ColorRef c) { FillRect(r, Brush::SolidColor(c)); }
    void FrameRect(const Rect& r, const Brush& brush);  // one-pixel border inside r
    void InvertRect(const Rect& r);
    void DrawFocusRect(const Rect& r);  // dotted, inverting: a second call removes it
    bool PatBlt(int x, int y, int w, int h, uint32_t rop);

    // Copies from another canvas; the source rectangle is clipped to the source surface, the
    // destination to this canvas. Colours are converted between surface kinds; between two
    // 8-bit surfaces with the same colour table the indices are copied as they are.
    bool BitBlt(int x, int y, int w, int h, const Canvas& src, int sx, int sy, uint32_t rop);
    // Nearest-neighbour scaling.
    bool StretchBlt(int x, int y, int w, int h, const Canvas& src, int sx, int sy, int sw, int sh,
                    uint32_t rop);
    // A copy that leaves out every source pixel of the key colour (compared as colours; a
    // palette-index key on an 8-bit source is compared with the index).
    bool TransparentBlt(int x, int y, int w, int h, const Canvas& src, int sx, int sy, int sw,
                        int sh, ColorRef key);

    // Text with the current font, colours, background mode and alignment.
    void TextOut(int x, int y, std::string_view text,
                 TextEncoding encoding = TextEncoding::ShiftJis);
    // Returns the height of the drawn text; with DT_CALCRECT measures into r and draws nothing.
    int DrawText(std::string_view text, Rect& r, uint32_t format,
                 TextEncoding encoding = TextEncoding::ShiftJis);
    Size GetTextExtent(std::string_view text, TextEncoding encoding = TextEncoding::ShiftJis) const;

  private:
    struct Span;
    class SourceReader;
    void InitClip(Rect clip);
    uint32_t MapColor(ColorRef c) const;  // to a raw pixel of the target
    ColorRef RawToColor(uint32_t raw) const;
    uint32_t RawMask() const;
    uint32_t Mix(int rop2, uint32_t dst, uint32_t pen) const;
    uint32_t ReadRaw(int dx, int dy) const;  // device coordinates, unchecked
    void WriteRaw(int dx, int dy, uint32_t raw);
    bool IsVisibleDevice(int dx, int dy) const;
    void PlotDevice(int dx, int dy, uint32_t raw, int rop2);
    void SpanDevice(int y, int x0, int x1, uint32_t raw, int rop2);
    void FillSpanBrush(int y, int x0, int x1, const Brush& brush, int rop2);
    void FillDeviceSpans(const std::vector<Span>& spans, const Brush& brush, int rop2);
    void FillRectRop(const Rect& r, const Brush& brush, int rop2);
    std::vector<Span> PolygonSpans(std::span<const Point> points) const;
    std::vector<Span> EllipseSpans(const Rect& box) const;
    void StrokeLine(Point a, Point b, int& dashPhase);
    void StrokeWide(std::span<const Point> points, bool closed);
    void StrokePath(std::span<const Point> points, bool closed);
    bool SharesPixels(const Canvas& other) const;
    bool CopyFrom(const Canvas& src, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                  uint32_t rop, std::optional<ColorRef> key);
    void DrawGlyphs(int x, int baseline, std::u32string_view text, const Rect* limit,
                    std::span<const std::size_t> underlined);

    Surface32 rgb_{};
    IndexedSurface index_{};
    bool indexed_ = false;
    Point origin_{};
    std::vector<Rect> visible_;  // device coordinates, disjoint: what the owner allows
    std::vector<Rect> clip_;     // visible_ narrowed by the clip calls
    Rect bounds_{};              // the surface, device coordinates

    Pen pen_{};
    Brush brush_{Brush::SolidColor(0xFFFFFF)};
    Font font_{};
    ColorRef textColor_ = 0;
    ColorRef bkColor_ = 0xFFFFFF;
    int bkMode_ = OPAQUE;
    uint32_t textAlign_ = TA_LEFT | TA_TOP;
    int rop2_ = R2_COPYPEN;
    int fillMode_ = ALTERNATE;
    Point current_{};
    const RgbQuad* palette32_ = nullptr;
    int palette32Size_ = 0;
};

}  // namespace zv::ui
