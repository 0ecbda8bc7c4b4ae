#include "tools/zvdata/art/SheetPng.h"

#include <cairo.h>

#include <algorithm>
#include <filesystem>

#include "tools/zvdata/art/BmpImage.h"
#include "tools/zvdata/art/GameBitmapLayouts.h"

namespace zv::zvdata::art {

bool WriteSheetPng(const std::string& bmpPath, const std::string& pngPath,
                   const SheetOptions& options, std::string& error) {
    BmpImage image;
    if (!ReadBmpImage(bmpPath, image, error)) {
        error = bmpPath + ": " + error;
        return false;
    }
    int cellW = options.cellW, cellH = options.cellH;
    if (cellW == 0) {
        const std::filesystem::path p(bmpPath);
        std::string name = p.filename().string();
        if (p.parent_path().filename() == "unit") name = "unit/" + name;
        if (const auto layout = FindBitmapLayout(name)) {
            cellW = layout->cellW ? layout->cellW : image.width / 2;
            cellH = layout->cellH ? layout->cellH : image.height;
        }
    }
    // Grids finer than 8 pixels are not worth drawing.
    if (cellW < 8 || cellH < 8) cellW = cellH = 0;
    int scale = options.scale;
    if (scale <= 0) scale = std::clamp(1024 / std::max(image.width, 1), 1, 8);
    const int w = image.width * scale, h = image.height * scale;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        error = "the picture is too large to show";
        return false;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < w; ++x) {
            const std::uint8_t index =
                image.pixels[std::size_t(y / scale) * image.width + x / scale];
            std::uint32_t v;
            if (index == 0) {
                v = ((x / 4 + y / 4) % 2) ? 0x5a5a66u : 0x46464fu;
            } else if (index < image.colours.size()) {
                const Rgb c = image.colours[index];
                v = (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b;
            } else {
                v = 0xff00ffu;
            }
            row[x] = v;
        }
    }
    cairo_surface_mark_dirty(surface);
    if (cellW > 0 && scale >= 2) {
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgba(cr, 1.0, 0.85, 0.2, 0.55);
        cairo_set_line_width(cr, 1.0);
        for (int x = cellW; x < image.width; x += cellW) {
            cairo_move_to(cr, x * scale + 0.5, 0);
            cairo_line_to(cr, x * scale + 0.5, h);
        }
        for (int y = cellH; y < image.height; y += cellH) {
            cairo_move_to(cr, 0, y * scale + 0.5);
            cairo_line_to(cr, w, y * scale + 0.5);
        }
        cairo_stroke(cr);
        cairo_destroy(cr);
    }
    const cairo_status_t status = cairo_surface_write_to_png(surface, pngPath.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = pngPath + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace zv::zvdata::art
