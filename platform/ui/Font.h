#pragma once

// Fonts: FreeType faces found through fontconfig. The game asks for its two Japanese system
// faces, "ＭＳ ゴシック" and "ＭＳ 明朝"; they are drawn with IPA Gothic and IPA Mincho (and the
// proportional "ＭＳ Ｐ..." faces with IPA P Gothic and IPA P Mincho).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/CanvasConstants.h"
#include "platform/ui/Surface.h"
#include "platform/ui/Text.h"

namespace zv::ui {

// The fields of a font request that the game sets.
struct FontSpec {
    int height = 0;          // < 0: character height in pixels; > 0: cell height; 0: 12 pixels
    int weight = FW_NORMAL;  // 600 and above are drawn bold
    bool italic = false;
    bool underline = false;
    uint8_t pitchAndFamily = 0;  // FF_ROMAN picks Mincho when the face name says nothing
    std::string faceName;        // Shift-JIS or UTF-8
};

struct FontMetrics {
    int ascent = 0;   // pixels above the baseline
    int descent = 0;  // pixels below the baseline
    int height = 0;   // ascent + descent: the height of one text line
    int internalLeading = 0;
    int averageCharWidth = 0;  // advance of "x"
    int maxCharWidth = 0;      // advance of a full-width character
    int underlineOffset = 0;   // rows below the baseline to the underline
    int underlineThickness = 1;
};

// One rendered glyph. Coverage is 0..255; bitmaps rendered for 8-bit surfaces hold only 0 and
// 255 (no antialiasing).
struct GlyphImage {
    int left = 0;  // from the pen position to the first column
    int top = 0;   // from the baseline up to the first row
    int width = 0;
    int rows = 0;
    int advance = 0;                // whole pixels
    std::vector<uint8_t> coverage;  // rows * width
};

// The font file a request resolves to (for logs and tests); empty when none was found.
std::string FontFileFor(const FontSpec& spec);

class Font {
  public:
    Font();  // the default UI font: Gothic, 12 pixels
    explicit Font(const FontSpec& spec);

    // False when no font file could be loaded; such a font measures and draws nothing.
    bool IsValid() const;
    const FontSpec& Spec() const { return spec_; }
    const FontMetrics& Metrics() const;

    // Width of the text in pixels (sum of advances) and the font's line height.
    Size MeasureText(std::string_view text, TextEncoding encoding = TextEncoding::ShiftJis) const;
    Size MeasureCodepoints(std::u32string_view text) const;
    int Advance(char32_t cp) const;

    // The rendered glyph of a character; the reference stays valid while this font lives.
    const GlyphImage& Glyph(char32_t cp, bool monochrome) const;

    struct Face;  // shared, cached per (file, size, weight, slant)

  private:
    FontSpec spec_;
    std::shared_ptr<Face> face_;
};

}  // namespace zv::ui
