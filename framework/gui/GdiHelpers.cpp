#include "framework/gui/GdiHelpers.h"

#include <climits>
#include <string_view>

namespace zv::fw {

namespace {

// Selects a state for the length of one helper and puts the old one back.
class TextState {
  public:
    TextState(ui::Canvas& dc, const ui::Font& font, ui::ColorRef color)
        : dc_(dc),
          oldFont_(dc.SelectFont(font)),
          oldMode_(dc.SetBkMode(ui::TRANSPARENT)),
          oldColor_(dc.SetTextColor(color)) {}
    ~TextState() {
        dc_.SetTextColor(oldColor_);
        dc_.SetBkMode(oldMode_);
        dc_.SelectFont(oldFont_);
    }
    TextState(const TextState&) = delete;
    TextState& operator=(const TextState&) = delete;

  private:
    ui::Canvas& dc_;
    ui::Font oldFont_;
    int oldMode_;
    ui::ColorRef oldColor_;
};

class PenState {
  public:
    PenState(ui::Canvas& dc, const ui::Pen& pen) : dc_(dc), old_(dc.SelectPen(pen)) {}
    ~PenState() { dc_.SelectPen(old_); }
    PenState(const PenState&) = delete;
    PenState& operator=(const PenState&) = delete;

  private:
    ui::Canvas& dc_;
    ui::Pen old_;
};

// The exclusive corner behind an inclusive one; the largest coordinate stays where it is
// instead of overflowing.
int PastCorner(int v) {
    return v == INT_MAX ? v : v + 1;
}

// A coordinate moved by a shadow offset, held at the largest coordinate.
int PlusOffset(int v, int d) {
    return v > INT_MAX - d ? INT_MAX : v + d;
}

template <typename Draw>
void OnDib(Dib* dib, Draw draw) {
    if (dib == nullptr) return;
    ui::Canvas canvas = CanvasOnDib(dib);
    if (!canvas.IsValid()) return;
    draw(&canvas);
}

}  // namespace

ui::Font CreateJapaneseFont(int size, int faceFlag, int bold) {
    ui::FontSpec spec;
    spec.height = -size;
    spec.weight = bold ? ui::FW_BOLD : ui::FW_NORMAL;
    if (faceFlag != 0) {
        spec.pitchAndFamily = ui::FIXED_PITCH | ui::FF_MODERN;
        spec.faceName = "ＭＳ ゴシック";
    } else {
        spec.pitchAndFamily = ui::FIXED_PITCH | ui::FF_ROMAN;
        spec.faceName = "ＭＳ 明朝";
    }
    return ui::Font(spec);
}

ui::Canvas CanvasOnDib(Dib* dib) {
    if (dib == nullptr) return ui::Canvas();
    const ui::IndexedSurface s = dib->GetBitmapHandle();
    return s.IsValid() ? ui::Canvas(s) : ui::Canvas();
}

void DrawTextWithFont(ui::Canvas* dc, int x, int y, const char* text, int size, int faceFlag,
                      ui::ColorRef color, ui::TextEncoding encoding) {
    if (dc == nullptr || text == nullptr) return;
    TextState state(*dc, CreateJapaneseFont(size, faceFlag, 0), color);
    dc->TextOut(x, y, std::string_view(text), encoding);
}

void DrawTextOnDib(ui::Hwnd, Dib* dib, int x, int y, const char* text, int size, int faceFlag,
                   ui::ColorRef color, ui::TextEncoding encoding) {
    OnDib(dib, [&](ui::Canvas* dc) {
        DrawTextWithFont(dc, x, y, text, size, faceFlag, color, encoding);
    });
}

void DrawTextPlain(ui::Canvas* dc, ui::Rect rect, const char* text, int size, int faceFlag,
                   ui::ColorRef color, uint32_t format, ui::TextEncoding encoding) {
    if (dc == nullptr || text == nullptr) return;
    TextState state(*dc, CreateJapaneseFont(size, faceFlag, 0), color);
    dc->DrawText(std::string_view(text), rect, format | ui::DT_SINGLELINE | ui::DT_VCENTER,
                 encoding);
}

void DrawTextShadowed(ui::Canvas* dc, ui::Rect rect, const char* text, int size, int faceFlag,
                      ui::ColorRef color, uint32_t format, ui::TextEncoding encoding) {
    if (dc == nullptr || text == nullptr) return;
    for (const ui::Point& d : kShadowOffsets) {
        DrawTextPlain(dc,
                      {PlusOffset(rect.left, d.x), PlusOffset(rect.top, d.y),
                       PlusOffset(rect.right, d.x), PlusOffset(rect.bottom, d.y)},
                      text, size, faceFlag, kShadowColor, format, encoding);
    }
    DrawTextPlain(dc, rect, text, size, faceFlag, color, format, encoding);
}

void DrawTextPlainOnDib(ui::Hwnd, Dib* dib, ui::Rect rect, const char* text, int size, int faceFlag,
                        ui::ColorRef color, uint32_t format, ui::TextEncoding encoding) {
    OnDib(dib, [&](ui::Canvas* dc) {
        DrawTextPlain(dc, rect, text, size, faceFlag, color, format, encoding);
    });
}

void DrawTextShadowedOnDib(ui::Hwnd, Dib* dib, ui::Rect rect, const char* text, int size,
                           int faceFlag, ui::ColorRef color, uint32_t format,
                           ui::TextEncoding encoding) {
    OnDib(dib, [&](ui::Canvas* dc) {
        DrawTextShadowed(dc, rect, text, size, faceFlag, color, format, encoding);
    });
}

void DrawPolyline(ui::Canvas* dc, int x1, int y1, int x2, int y2, int penStyle, int penWidth,
                  ui::ColorRef color) {
    if (dc == nullptr) return;
    PenState pen(*dc, ui::Pen{penStyle, penWidth, color});
    const ui::Point pts[2] = {{x1, y1}, {x2, y2}};
    dc->Polyline(pts);
}

void DrawPolyline2(ui::Canvas* dc, int x1, int y1, int x2, int y2, int penStyle, int penWidth,
                   ui::ColorRef color) {
    for (const ui::Point& d : kShadowOffsets) {
        DrawPolyline(dc, PlusOffset(x1, d.x), PlusOffset(y1, d.y), PlusOffset(x2, d.x),
                     PlusOffset(y2, d.y), penStyle, penWidth, kShadowColor);
    }
    DrawPolyline(dc, x1, y1, x2, y2, penStyle, penWidth, color);
}

void DrawLineOnDib(ui::Hwnd, Dib* dib, int x1, int y1, int x2, int y2, int penStyle, int penWidth,
                   ui::ColorRef color) {
    OnDib(dib,
          [&](ui::Canvas* dc) { DrawPolyline(dc, x1, y1, x2, y2, penStyle, penWidth, color); });
}

void DrawPolylineOnDib(ui::Hwnd, Dib* dib, int x1, int y1, int x2, int y2, int penStyle,
                       int penWidth, ui::ColorRef color) {
    OnDib(dib,
          [&](ui::Canvas* dc) { DrawPolyline2(dc, x1, y1, x2, y2, penStyle, penWidth, color); });
}

void FrameRectColor(ui::Canvas* dc, int left, int top, int right, int bottom, ui::ColorRef color) {
    if (dc == nullptr) return;
    dc->FrameRect({left, top, PastCorner(right), PastCorner(bottom)}, ui::Brush::SolidColor(color));
}

void FrameRectColorOnDib(ui::Hwnd, Dib* dib, int left, int top, int right, int bottom,
                         ui::ColorRef color) {
    OnDib(dib, [&](ui::Canvas* dc) { FrameRectColor(dc, left, top, right, bottom, color); });
}

void DrawRaisedFrameOnDib(ui::Hwnd, Dib* dib, int left, int top, int right, int bottom,
                          ui::ColorRef color) {
    OnDib(dib, [&](ui::Canvas* dc) {
        for (const ui::Point& d : kShadowOffsets) {
            FrameRectColor(dc, PlusOffset(left, d.x), PlusOffset(top, d.y), PlusOffset(right, d.x),
                           PlusOffset(bottom, d.y), kShadowColor);
        }
        FrameRectColor(dc, left, top, right, bottom, color);
    });
}

void FillRectColorDC(ui::Canvas* dc, int left, int top, int right, int bottom, ui::ColorRef color) {
    if (dc == nullptr) return;
    dc->FillRect({left, top, PastCorner(right), PastCorner(bottom)}, ui::Brush::SolidColor(color));
}

void FillRectColor(ui::Hwnd, Dib* dib, int left, int top, int right, int bottom,
                   ui::ColorRef color) {
    OnDib(dib, [&](ui::Canvas* dc) { FillRectColorDC(dc, left, top, right, bottom, color); });
}

}  // namespace zv::fw
