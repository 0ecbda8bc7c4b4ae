#include "tools/zvdata/art/ArtRender.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "tools/zvdata/art/PixelArt.h"

namespace zv::zvdata::art {

namespace {

// Replaces the team placeholder colours of a drawing's text, in either letter case.
std::string SubstituteTeam(std::string text, const TeamColours& team) {
    const std::pair<Rgb, Rgb> swaps[] = {{kTeamBasePlaceholder, team.base},
                                         {kTeamLightPlaceholder, team.light},
                                         {kTeamDarkPlaceholder, team.dark}};
    for (std::size_t i = 0; i + 7 <= text.size(); ++i) {
        if (text[i] != '#') continue;
        const auto c = ParseRgb(text.substr(i, 7));
        if (!c) continue;
        for (const auto& [from, to] : swaps) {
            if (*c == from) {
                text.replace(i, 7, FormatRgb(to));
                break;
            }
        }
    }
    return text;
}

Rgb Night(Rgb c) {
    return Rgb{std::uint8_t(c.r * 45 / 100), std::uint8_t(c.g * 50 / 100),
               std::uint8_t(std::min(255, c.b * 62 / 100 + 8))};
}

class ColourMapper {
  public:
    explicit ColourMapper(const ArtPalette& p) : p_(p) {}
    bool Serves(const ArtPalette& p) const { return &p == &p_; }
    std::uint8_t Map(Rgb c) {
        const std::uint32_t k = (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b;
        const auto it = cache_.find(k);
        if (it != cache_.end()) return it->second;
        int best = 1, bestDistance = 0x7FFFFFFF;
        for (int i = 1; i < 255; ++i) {
            const Rgb e = p_.colours[i];
            const int dr = e.r - c.r, dg = e.g - c.g, db = e.b - c.b;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) bestDistance = d, best = i;
        }
        cache_.emplace(k, std::uint8_t(best));
        return std::uint8_t(best);
    }

  private:
    const ArtPalette& p_;
    std::unordered_map<std::uint32_t, std::uint8_t> cache_;
};

// Floyd-Steinberg error diffusion over the covered pixels, row by row from the top left, in
// whole numbers (sixteenths), so every build writes the same bytes. Pixels no source covered
// keep the background and pass no error on.
void DiffuseToPalette(int w, int h, const std::vector<Rgb>& truth,
                      const std::vector<std::uint8_t>& covered, ColourMapper& mapper,
                      const ArtPalette& palette, IndexedPicture& out) {
    std::vector<int> cur(std::size_t(w + 2) * 3, 0), next(std::size_t(w + 2) * 3, 0);
    for (int y = 0; y < h; ++y) {
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < w; ++x) {
            const std::size_t at = std::size_t(y) * w + x;
            if (!covered[at]) continue;
            const Rgb t = truth[at];
            int want[3] = {t.r, t.g, t.b};
            for (int k = 0; k < 3; ++k)
                want[k] = std::clamp(want[k] + cur[std::size_t(x + 1) * 3 + k] / 16, 0, 255);
            const std::uint8_t idx = mapper.Map(
                Rgb{std::uint8_t(want[0]), std::uint8_t(want[1]), std::uint8_t(want[2])});
            out.pixels[at] = idx;
            const Rgb got = palette.colours[idx];
            const int err[3] = {want[0] - got.r, want[1] - got.g, want[2] - got.b};
            for (int k = 0; k < 3; ++k) {
                cur[std::size_t(x + 2) * 3 + k] += err[k] * 7;
                next[std::size_t(x) * 3 + k] += err[k] * 3;
                next[std::size_t(x + 1) * 3 + k] += err[k] * 5;
                next[std::size_t(x + 2) * 3 + k] += err[k] * 1;
            }
        }
        std::swap(cur, next);
    }
}

}  // namespace

struct ArtRenderer::Sources {
    std::map<std::string, RsvgHandle*> svg;  // path + team -> handle
    std::map<std::string, PixelArt> px;
    // Kept across manifests: drawings share most of their colours.
    std::unique_ptr<ColourMapper> mapper;
    ~Sources() {
        for (auto& [k, h] : svg) g_object_unref(h);
    }
};

ArtRenderer::ArtRenderer(std::string artDir) : artDir_(std::move(artDir)), sources_(new Sources) {}
ArtRenderer::~ArtRenderer() = default;

bool ArtRenderer::Render(const ArtManifest& m, const ArtPalette& palette, IndexedPicture& out,
                         std::vector<std::string>& problems) {
    const std::size_t before = problems.size();
    out.width = m.width;
    out.height = m.height;
    out.pixels.assign(std::size_t(m.width) * m.height, std::uint8_t(m.background));
    if (m.swatches) {
        for (std::size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = std::uint8_t(i & 0xFF);
    }
    if (!sources_->mapper || !sources_->mapper->Serves(palette))
        sources_->mapper = std::make_unique<ColourMapper>(palette);
    ColourMapper& mapper = *sources_->mapper;
    // Dithered pictures keep their colours until every cell is drawn, then diffuse the error.
    std::vector<Rgb> truth;
    std::vector<std::uint8_t> covered;
    if (m.dither) {
        truth.assign(out.pixels.size(), Rgb{});
        covered.assign(out.pixels.size(), 0);
    }

    for (const CellLine& c : m.cells) {
        const int cw = c.cellW ? c.cellW : m.cellW, ch = c.cellH ? c.cellH : m.cellH;
        const bool isSvg = c.source.size() > 4 && c.source.substr(c.source.size() - 4) == ".svg";
        const bool isPx = c.source.size() > 3 && c.source.substr(c.source.size() - 3) == ".px";
        if (!isSvg && !isPx) {
            problems.push_back(
                Where(c.where, c.line, "source '" + c.source + "' is neither .svg nor .px"));
            continue;
        }
        const std::string path = artDir_ + "/" + c.source;
        std::string text;
        if (!ReadTextFile(path, text)) {
            problems.push_back(Where(c.where, c.line, "source '" + c.source + "' cannot be read"));
            continue;
        }
        const PixelArt* art = nullptr;
        if (isPx) {
            auto it = sources_->px.find(path);
            if (it == sources_->px.end()) {
                PixelArt parsed;
                if (!ParsePixelArt(c.source, text, parsed, problems)) continue;
                it = sources_->px.emplace(path, std::move(parsed)).first;
            }
            art = &it->second;
            if (!c.rotate.empty() || c.bitsFrom != CellLine::BitsFrom::None) {
                problems.push_back(
                    Where(c.where, c.line, "rotate and bits apply to .svg sources only"));
                continue;
            }
        }
        const int cols = c.col1 - c.col0 + 1;
        bool failed = false;
        for (int row = c.row0; row <= c.row1 && !failed; ++row) {
            for (int col = c.col0; col <= c.col1 && !failed; ++col) {
                const int ordinal = (row - c.row0) * cols + (col - c.col0);
                int bx = 0, by = 0, bw = cw, bh = ch;
                if (c.box) bx = (*c.box)[0], by = (*c.box)[1], bw = (*c.box)[2], bh = (*c.box)[3];
                // A grown silhouette is drawn into a surface g pixels larger all round.
                const int g = isSvg ? c.grow : 0;
                const int left = c.originX + col * cw + bx - g, top = c.originY + row * ch + by - g;
                const int team = ListValue(c.team, ordinal, 5);
                const auto teamIt = palette.teams.find(team);
                // Drawn straight-alpha into this buffer: 0xAARRGGBB premultiplied (cairo).
                cairo_surface_t* surface =
                    cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bw + 2 * g, bh + 2 * g);
                cairo_t* cr = cairo_create(surface);
                cairo_translate(cr, g, g);
                if (c.flip) {
                    cairo_translate(cr, bw, 0);
                    cairo_scale(cr, -1, 1);
                }
                if (isSvg) {
                    const std::string cacheKey = path + "\n" + std::to_string(team);
                    auto it = sources_->svg.find(cacheKey);
                    if (it == sources_->svg.end()) {
                        const std::string svgText = SubstituteTeam(text, teamIt->second);
                        GError* error = nullptr;
                        RsvgHandle* handle = rsvg_handle_new_from_data(
                            reinterpret_cast<const guint8*>(svgText.data()), svgText.size(),
                            &error);
                        if (!handle) {
                            problems.push_back(
                                Where(c.where, c.line,
                                      "source '" + c.source + "' is not a valid drawing: " +
                                          (error ? error->message : "unknown fault")));
                            if (error) g_error_free(error);
                            failed = true;
                            cairo_destroy(cr);
                            cairo_surface_destroy(surface);
                            break;
                        }
                        it = sources_->svg.emplace(cacheKey, handle).first;
                    }
                    RsvgHandle* handle = it->second;
                    const double angle = ListValue(c.rotate, ordinal, 0) * M_PI / 180.0;
                    if (angle != 0) {
                        cairo_translate(cr, bw / 2.0, bh / 2.0);
                        cairo_rotate(cr, angle);
                        cairo_translate(cr, -bw / 2.0, -bh / 2.0);
                    }
                    RsvgRectangle viewport{0, 0, double(bw), double(bh)};
                    if (c.trim) {
                        // The page at its own size, its inked rectangle scaled into the box.
                        double pw = 0, ph = 0;
                        if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &pw, &ph) ||
                            pw <= 0 || ph <= 0)
                            pw = bw, ph = bh;
                        const RsvgRectangle page{0, 0, pw, ph};
                        RsvgRectangle ink{}, logical{};
                        if (rsvg_handle_get_geometry_for_layer(handle, nullptr, &page, &ink,
                                                               &logical, nullptr) &&
                            ink.width > 0 && ink.height > 0) {
                            const double k = std::min(bw / ink.width, bh / ink.height);
                            viewport = {(bw - ink.width * k) / 2 - ink.x * k,
                                        (bh - ink.height * k) / 2 - ink.y * k, pw * k, ph * k};
                        }
                    }
                    GError* error = nullptr;
                    bool ok = true;
                    if (c.bitsFrom == CellLine::BitsFrom::None) {
                        ok = rsvg_handle_render_document(handle, cr, &viewport, &error);
                    } else {
                        int bits = c.bitsFrom == CellLine::BitsFrom::Column ? col
                                   : c.bitsFrom == CellLine::BitsFrom::ColumnComplement
                                       ? 63 - col
                                       : ListValue(c.bits, ordinal, 0);
                        if (rsvg_handle_has_sub(handle, "#base"))
                            ok = rsvg_handle_render_layer(handle, cr, "#base", &viewport, &error);
                        for (int j = 0; j < 6 && ok; ++j) {
                            if (!(bits & (1 << j))) continue;
                            const std::string id = "#bit" + std::to_string(j);
                            if (!rsvg_handle_has_sub(handle, id.c_str())) {
                                problems.push_back(
                                    Where(c.where, c.line,
                                          "source '" + c.source + "' has no group " + id));
                                ok = false;
                                break;
                            }
                            ok =
                                rsvg_handle_render_layer(handle, cr, id.c_str(), &viewport, &error);
                        }
                    }
                    if (error) {
                        problems.push_back(
                            Where(c.where, c.line,
                                  "source '" + c.source + "' cannot be drawn: " + error->message));
                        g_error_free(error);
                    }
                    if (!ok) failed = true;
                } else {
                    // Pixel pictures are scaled by a whole factor and centred, never smoothed.
                    const int factor = std::max(1, std::min(bw / art->width, bh / art->height));
                    if (art->width > bw || art->height > bh) {
                        problems.push_back(
                            Where(c.where, c.line,
                                  "pixel picture '" + c.source + "' is larger than its cell"));
                        failed = true;
                    } else {
                        cairo_surface_flush(surface);
                        unsigned char* data = cairo_image_surface_get_data(surface);
                        const int stride = cairo_image_surface_get_stride(surface);
                        const int ox = (bw - art->width * factor) / 2,
                                  oy = (bh - art->height * factor) / 2;
                        for (int y = 0; y < art->height * factor; ++y) {
                            for (int x = 0; x < art->width * factor; ++x) {
                                std::uint32_t v =
                                    art->pixels[std::size_t(y / factor) * art->width + x / factor];
                                if (v >> 24) {
                                    const Rgb p{std::uint8_t(v >> 16), std::uint8_t(v >> 8),
                                                std::uint8_t(v)};
                                    const TeamColours& t = teamIt->second;
                                    const Rgb q = p == kTeamBasePlaceholder    ? t.base
                                                  : p == kTeamLightPlaceholder ? t.light
                                                  : p == kTeamDarkPlaceholder  ? t.dark
                                                                               : p;
                                    v = 0xFF000000u | (std::uint32_t(q.r) << 16) |
                                        (std::uint32_t(q.g) << 8) | q.b;
                                }
                                const int dx = c.flip ? bw - 1 - (ox + x) : ox + x;
                                *reinterpret_cast<std::uint32_t*>(data + (oy + y) * stride +
                                                                  dx * 4) = v;
                            }
                        }
                        cairo_surface_mark_dirty(surface);
                    }
                }
                cairo_destroy(cr);
                cairo_surface_flush(surface);
                if (!failed) {
                    const unsigned char* data = cairo_image_surface_get_data(surface);
                    const int stride = cairo_image_surface_get_stride(surface);
                    const int sw = bw + 2 * g, sh = bh + 2 * g;
                    auto pixel = [&](int x, int y) {
                        return *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
                    };
                    // Covered: half opaque or more, or (grow) that near a covered pixel.
                    std::vector<std::uint8_t> cover(std::size_t(sw) * sh);
                    for (int y = 0; y < sh; ++y)
                        for (int x = 0; x < sw; ++x) {
                            if ((pixel(x, y) >> 24) < 128) continue;
                            for (int yy = std::max(0, y - g); yy <= std::min(sh - 1, y + g); ++yy)
                                for (int xx = std::max(0, x - g); xx <= std::min(sw - 1, x + g);
                                     ++xx)
                                    cover[std::size_t(yy) * sw + xx] = 1;
                        }
                    for (int y = 0; y < sh; ++y) {
                        const int ty = top + y;
                        if (ty < 0 || ty >= m.height) continue;
                        for (int x = 0; x < sw; ++x) {
                            const int tx = left + x;
                            if (tx < 0 || tx >= m.width) continue;
                            if (!cover[std::size_t(y) * sw + x]) continue;
                            const std::uint32_t v = pixel(x, y);
                            // Grown pixels take the silhouette's colour: their own may be clear.
                            const unsigned a = std::max(1u, v >> 24);
                            auto channel = [&](int shift) {
                                return std::uint8_t(
                                    std::min(255u, (((v >> shift) & 0xFF) * 255 + a / 2) / a));
                            };
                            Rgb colour{channel(16), channel(8), channel(0)};
                            if (c.silhouette) colour = *c.silhouette;
                            if (m.night || c.night) colour = Night(colour);
                            const std::size_t at = std::size_t(ty) * m.width + tx;
                            if (c.silhouetteKey) {
                                out.pixels[at] = std::uint8_t(m.key);
                                if (m.dither) covered[at] = 0;
                            } else if (m.dither) {
                                truth[at] = colour;
                                covered[at] = 1;
                            } else {
                                out.pixels[at] = mapper.Map(colour);
                            }
                        }
                    }
                }
                cairo_surface_destroy(surface);
            }
        }
    }
    if (m.dither) DiffuseToPalette(m.width, m.height, truth, covered, mapper, palette, out);
    return problems.size() == before;
}

}  // namespace zv::zvdata::art
