#include "platform/ui/Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/core/Sjis.h"

// fontconfig 2.14 loses a few bytes while it parses the system configuration; that is not ours
// to fix, and the leak checker of the sanitizer builds would fail every program that draws text.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
#endif

namespace zv::ui {

namespace {

enum class Family { Gothic, Mincho, PGothic, PMincho };

constexpr int kDefaultEm = 12;
constexpr int kMaxEm = 512;
constexpr std::size_t kFaceCacheLimit = 64;

// Lower case, ASCII spaces and full-width spaces dropped, full-width ASCII made half-width.
std::u32string NormaliseName(std::u32string_view name) {
    std::u32string out;
    for (char32_t c : name) {
        if (c == U' ' || c == U'\u3000') continue;
        if (c >= U'\uFF01' && c <= U'\uFF5E') c = c - 0xFF01 + 0x21;
        if (c >= U'A' && c <= U'Z') c = c - U'A' + U'a';
        out.push_back(c);
    }
    return out;
}

std::u32string DecodeFaceName(const std::string& name) {
    std::u32string asUtf8 = DecodeUtf8(name);
    if (asUtf8.find(U'\uFFFD') == std::u32string::npos) return asUtf8;
    return DecodeUtf8(core::SjisToUtf8(name));
}

// The game's faces and their stand-ins. A name that says nothing known falls back on the
// family bits of the request: Roman is Mincho, everything else Gothic.
Family FamilyFor(const FontSpec& spec) {
    const std::u32string n = NormaliseName(DecodeFaceName(spec.faceName));
    const bool mincho =
        n.find(U"明朝") != std::u32string::npos || n.find(U"mincho") != std::u32string::npos;
    const bool gothic =
        n.find(U"ゴシック") != std::u32string::npos || n.find(U"gothic") != std::u32string::npos;
    const bool proportional = n.starts_with(U"msp") || n.starts_with(U"ipap");
    if (mincho) return proportional ? Family::PMincho : Family::Mincho;
    if (gothic) return proportional ? Family::PGothic : Family::Gothic;
    return (spec.pitchAndFamily & 0xF0) == FF_ROMAN ? Family::Mincho : Family::Gothic;
}

const char* FamilyName(Family f) {
    switch (f) {
        case Family::Gothic:
            return "IPAGothic";
        case Family::Mincho:
            return "IPAMincho";
        case Family::PGothic:
            return "IPAPGothic";
        case Family::PMincho:
            return "IPAPMincho";
    }
    return "IPAGothic";
}

Family FallbackOf(Family f) {
    switch (f) {
        case Family::PGothic:
            return Family::Gothic;
        case Family::PMincho:
            return Family::Mincho;
        case Family::Mincho:
            return Family::Gothic;
        case Family::Gothic:
            return Family::Mincho;
    }
    return Family::Gothic;
}

struct DesignMetrics {
    int unitsPerEm = 0;
    int ascender = 0;
    int descender = 0;  // negative
};

}  // namespace

struct Font::Face {
    std::mutex mutex;
    FT_Face ft = nullptr;
    int em = kDefaultEm;
    int boldPixels = 0;
    bool italic = false;
    FontMetrics metrics;
    std::unordered_map<uint64_t, std::unique_ptr<GlyphImage>> glyphs;

    ~Face();
    const GlyphImage& Render(char32_t cp, bool mono);
};

namespace {

class Library {
  public:
    static Library& Get() {
        static Library* instance = new Library();  // lives as long as the process
        return *instance;
    }

    std::string FileFor(Family family) {
        std::lock_guard lock(mutex_);
        return FileForLocked(family);
    }

    std::shared_ptr<Font::Face> FaceFor(const FontSpec& spec) {
        // Evicted faces are released after the lock: their destructor takes it.
        std::vector<std::shared_ptr<Font::Face>> evicted;
        std::lock_guard lock(mutex_);
        if (ft_ == nullptr) return nullptr;
        const std::string path = FileForLocked(FamilyFor(spec));
        if (path.empty()) return nullptr;
        const DesignMetrics* design = DesignFor(path);
        if (design == nullptr) return nullptr;

        int em = kDefaultEm;
        if (spec.height < 0) {
            em = int(std::min<int64_t>(-int64_t(spec.height), kMaxEm));
        } else if (spec.height > 0) {
            // A cell height: ascent plus descent of the font is to fill it.
            const int cell = design->ascender - design->descender;
            em = cell > 0 ? int((int64_t(spec.height) * design->unitsPerEm + cell / 2) / cell)
                          : spec.height;
        }
        em = std::clamp(em, 1, kMaxEm);
        const bool bold = spec.weight >= 600;
        const auto key = std::make_tuple(path, em, bold, spec.italic);
        if (auto it = faces_.find(key); it != faces_.end()) return it->second;

        FT_Face ft = nullptr;
        if (FT_New_Face(ft_, path.c_str(), 0, &ft) != 0) return nullptr;
        if (FT_Set_Pixel_Sizes(ft, 0, FT_UInt(em)) != 0) {
            FT_Done_Face(ft);
            return nullptr;
        }
        auto face = std::make_shared<Font::Face>();
        face->ft = ft;
        face->em = em;
        face->boldPixels = bold ? std::max(1, em / 24) : 0;
        face->italic = spec.italic;

        FontMetrics& m = face->metrics;
        const int upem = std::max(1, design->unitsPerEm);
        m.ascent = int((int64_t(design->ascender) * em + upem / 2) / upem);
        const int total =
            int((int64_t(design->ascender - design->descender) * em + upem / 2) / upem);
        m.descent = std::max(0, total - m.ascent);
        m.height = m.ascent + m.descent;
        m.internalLeading = std::max(0, m.height - em);
        m.underlineOffset =
            std::max(1, int((int64_t(-ft->underline_position) * em + upem / 2) / upem));
        m.underlineThickness =
            std::max(1, int((int64_t(ft->underline_thickness) * em + upem / 2) / upem));

        if (faces_.size() >= kFaceCacheLimit) {
            for (auto it = faces_.begin(); it != faces_.end();) {
                if (it->second.use_count() == 1) {
                    evicted.push_back(std::move(it->second));
                    it = faces_.erase(it);
                } else {
                    ++it;
                }
            }
        }
        faces_.emplace(key, face);
        // Metrics that need glyphs are taken once the face is complete.
        m.averageCharWidth = face->Render(U'x', true).advance;
        m.maxCharWidth = std::max(m.averageCharWidth, face->Render(U'\u3042', true).advance);
        return face;
    }

    void DoneFace(FT_Face ft) {
        std::lock_guard lock(mutex_);
        FT_Done_Face(ft);
    }

  private:
    Library() {
        if (FT_Init_FreeType(&ft_) != 0) ft_ = nullptr;
        fontconfigReady_ = FcInit() == FcTrue;
    }

    std::string FileForLocked(Family family) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            auto it = files_.find(family);
            if (it == files_.end())
                it = files_.emplace(family, MatchFamily(FamilyName(family))).first;
            if (!it->second.empty()) return it->second;
            family = FallbackOf(family);
        }
        return {};
    }

    // The file of a family that fontconfig really has; empty when it only offers a substitute.
    std::string MatchFamily(const char* family) {
        if (!fontconfigReady_) return {};
        std::string result;
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult res = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &res);
        if (match != nullptr) {
            bool familyMatches = false;
            FcChar8* name = nullptr;
            for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
                if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0) {
                    familyMatches = true;
                }
            }
            FcChar8* file = nullptr;
            if (familyMatches && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
                result = reinterpret_cast<const char*>(file);
            }
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
        return result;
    }

    const DesignMetrics* DesignFor(const std::string& path) {
        if (auto it = design_.find(path); it != design_.end()) return &it->second;
        FT_Face ft = nullptr;
        if (FT_New_Face(ft_, path.c_str(), 0, &ft) != 0) return nullptr;
        DesignMetrics d{ft->units_per_EM, ft->ascender, ft->descender};
        FT_Done_Face(ft);
        if (d.unitsPerEm <= 0) return nullptr;
        return &design_.emplace(path, d).first->second;
    }

    std::mutex mutex_;
    FT_Library ft_ = nullptr;
    bool fontconfigReady_ = false;
    std::map<Family, std::string> files_;
    std::map<std::string, DesignMetrics> design_;
    std::map<std::tuple<std::string, int, bool, bool>, std::shared_ptr<Font::Face>> faces_;
};

const GlyphImage kEmptyGlyph{};
const FontMetrics kEmptyMetrics{};

}  // namespace

Font::Face::~Face() {
    if (ft != nullptr) Library::Get().DoneFace(ft);
}

const GlyphImage& Font::Face::Render(char32_t cp, bool mono) {
    std::lock_guard lock(mutex);
    const uint64_t key = (uint64_t(cp) << 1) | (mono ? 1 : 0);
    if (auto it = glyphs.find(key); it != glyphs.end()) return *it->second;

    auto g = std::make_unique<GlyphImage>();
    // Control characters take no room and draw nothing.
    const bool control = cp < 0x20 || cp == 0x7F;
    const FT_UInt index = control ? 0 : FT_Get_Char_Index(ft, FT_ULong(cp));
    // One hinting mode for both renderings, so that measuring never depends on the surface.
    if (!control && FT_Load_Glyph(ft, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) == 0) {
        FT_GlyphSlot slot = ft->glyph;
        g->advance = int((slot->advance.x + 32) >> 6);
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            // Large sizes are made bold in the outline. Small ones are struck twice, a pixel
            // apart, below: a widened outline closes the gaps between the strokes of a
            // small kanji and smears it.
            if (boldPixels > 1) FT_Outline_EmboldenXY(&slot->outline, boldPixels * 64, 0);
            if (boldPixels > 0) g->advance += boldPixels;
            if (italic) {
                FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};
                FT_Outline_Transform(&slot->outline, &shear);
            }
        }
        if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0) {
            const FT_Bitmap& bm = slot->bitmap;
            g->left = slot->bitmap_left;
            g->top = slot->bitmap_top;
            g->width = int(bm.width);
            g->rows = int(bm.rows);
            g->coverage.assign(std::size_t(g->width) * g->rows, 0);
            for (int y = 0; y < g->rows; ++y) {
                const unsigned char* row = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
                for (int x = 0; x < g->width; ++x) {
                    uint8_t v = 0;
                    if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
                        v = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                    } else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
                        v = row[x];
                        if (mono) v = v >= 128 ? 255 : 0;
                    }
                    g->coverage[std::size_t(y) * g->width + x] = v;
                }
            }
            if (boldPixels == 1 && g->width > 0) {
                std::vector<uint8_t> struck(std::size_t(g->width + 1) * g->rows, 0);
                for (int y = 0; y < g->rows; ++y) {
                    for (int x = 0; x <= g->width; ++x) {
                        const uint8_t a = x < g->width ? g->coverage[std::size_t(y) * g->width + x] : 0;
                        const uint8_t b = x > 0 ? g->coverage[std::size_t(y) * g->width + x - 1] : 0;
                        struck[std::size_t(y) * (g->width + 1) + x] = std::max(a, b);
                    }
                }
                g->coverage = std::move(struck);
                ++g->width;
            }
        }
    }
    return *glyphs.emplace(key, std::move(g)).first->second;
}

std::string FontFileFor(const FontSpec& spec) {
    return Library::Get().FileFor(FamilyFor(spec));
}

Font::Font() : Font(FontSpec{}) {}

Font::Font(const FontSpec& spec) : spec_(spec), face_(Library::Get().FaceFor(spec)) {}

bool Font::IsValid() const {
    return face_ != nullptr;
}

const FontMetrics& Font::Metrics() const {
    return face_ ? face_->metrics : kEmptyMetrics;
}

const GlyphImage& Font::Glyph(char32_t cp, bool monochrome) const {
    return face_ ? face_->Render(cp, monochrome) : kEmptyGlyph;
}

int Font::Advance(char32_t cp) const {
    return Glyph(cp, true).advance;
}

Size Font::MeasureCodepoints(std::u32string_view text) const {
    int width = 0;
    for (char32_t c : text) width += Advance(c);
    return {width, Metrics().height};
}

Size Font::MeasureText(std::string_view text, TextEncoding encoding) const {
    return MeasureCodepoints(DecodeText(text, encoding));
}

}  // namespace zv::ui
