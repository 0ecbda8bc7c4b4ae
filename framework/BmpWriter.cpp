#include "framework/BmpWriter.h"

#include <algorithm>
#include <cstring>

#include "platform/core/Files.h"

namespace zv::fw {

namespace {

// The colour an entry shows: explicit entries name a slot of the system palette.
ui::RgbQuad ShownColor(const ui::PaletteEntry& e) {
    if (!(e.flags & ui::PC_EXPLICIT)) return {e.blue, e.green, e.red, 0};
    const int slot = e.red | (e.green << 8);
    const auto& sys = ui::DefaultPalette();
    if (slot < 10) return {sys[slot].blue, sys[slot].green, sys[slot].red, 0};
    if (slot >= 246 && slot < 256) {
        const auto& s = sys[10 + slot - 246];
        return {s.blue, s.green, s.red, 0};
    }
    return {};
}

// Reads pixel colours from either kind of picture.
struct PixelReader {
    const ui::Surface32* rgb = nullptr;
    const ui::IndexedSurface* indexed = nullptr;

    bool Valid() const { return rgb ? rgb->IsValid() : (indexed && indexed->IsValid()); }
    int Width() const { return rgb ? rgb->width : indexed->width; }
    int Height() const { return rgb ? rgb->height : indexed->height; }
    // y = 0 is the top row.
    ui::ColorRef ColorAt(int x, int y) const {
        return rgb ? ui::FromPixel32(rgb->Row(y)[x]) : indexed->ColorOf(indexed->Row(y)[x]);
    }
    int OwnDepth() const { return rgb ? 32 : 8; }
};

const ui::LogicalPalette& PaletteOrDefault(const ui::LogicalPalette* palette,
                                           ui::LogicalPalette& storage) {
    if (palette != nullptr) return *palette;
    storage.entries = ui::DefaultPalette();
    return storage;
}

// Index of the nearest of the first `limit` palette entries.
class IndexMapper {
  public:
    IndexMapper(const ui::LogicalPalette& pal, int limit) {
        const int n = std::min<int>({int(pal.entries.size()), 256, limit});
        for (int i = 0; i < n; ++i) shown_.push_back(ShownColor(pal.entries[i]));
    }
    uint8_t Map(ui::ColorRef c) const {
        return ui::NearestPaletteIndex(shown_.data(), int(shown_.size()), c & 0xFFFFFF);
    }

  private:
    std::vector<ui::RgbQuad> shown_;
};

PackedDib NewDib(int width, int height, int bits, uint32_t compression, uint32_t colors,
                 std::size_t imageSize) {
    PackedDib dib(kBitmapInfoHeaderSize + colors * 4 + imageSize, 0);
    BitmapInfoHeaderView h(dib.data());
    h.SetSize(kBitmapInfoHeaderSize);
    h.SetWidth(width);
    h.SetHeight(height);
    h.SetPlanes(1);
    h.SetBitCount(uint16_t(bits));
    h.SetCompression(compression);
    h.SetSizeImage(uint32_t(imageSize));
    h.SetClrUsed(colors);
    return dib;
}

// Packs indices row by row, bottom row first, into 1, 4 or 8 bits per pixel.
void PackIndices(const PixelReader& src, const IndexMapper& map, int bits, uint8_t* out) {
    const int w = src.Width(), h = src.Height();
    const std::size_t rowBytes = std::size_t(DibRowBytes(uint32_t(bits), w));
    for (int y = 0; y < h; ++y) {
        uint8_t* row = out + std::size_t(h - 1 - y) * rowBytes;
        for (int x = 0; x < w; ++x) {
            const uint8_t v = map.Map(src.ColorAt(x, y));
            if (bits == 8) {
                row[x] = v;
            } else if (bits == 4) {
                row[x / 2] |= uint8_t((v & 0x0F) << ((x % 2) ? 0 : 4));  // high nibble first
            } else {
                row[x / 8] |= uint8_t((v & 1) << (7 - x % 8));
            }
        }
    }
}

// Run-length coding in encoded mode only: (count, value) pairs, 0 0 at each row's end, 0 1 at
// the bitmap's end.
std::vector<uint8_t> EncodeRle(const PixelReader& src, const IndexMapper& map, int bits) {
    std::vector<uint8_t> out;
    const int w = src.Width(), h = src.Height();
    // Each pixel is matched to the palette once, not again when a run ends on it.
    std::vector<uint8_t> row(static_cast<std::size_t>(w));
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) row[std::size_t(x)] = map.Map(src.ColorAt(x, y));
        int x = 0;
        while (x < w) {
            const uint8_t v = row[std::size_t(x)];
            int run = 1;
            while (x + run < w && run < 255 && row[std::size_t(x + run)] == v) ++run;
            out.push_back(uint8_t(run));
            out.push_back(bits == 8 ? v : uint8_t(((v & 0x0F) << 4) | (v & 0x0F)));
            x += run;
        }
        out.push_back(0);
        out.push_back(y == 0 ? 1 : 0);
    }
    return out;
}

std::optional<PackedDib> ToPaletteDib(const PixelReader& src, int bits,
                                      const ui::LogicalPalette* palette) {
    if (!src.Valid()) return std::nullopt;
    ui::LogicalPalette storage;
    const ui::LogicalPalette& pal = PaletteOrDefault(palette, storage);
    const uint32_t n = uint32_t(std::min<std::size_t>(pal.entries.size(), 256));
    if (bits == 0) bits = n <= 16 ? 4 : 8;
    if (bits != 1 && bits != 4 && bits != 8) return std::nullopt;
    const std::size_t image = DibImageSize(uint32_t(bits), src.Width(), src.Height());
    PackedDib dib = NewDib(src.Width(), src.Height(), bits, BI_RGB, n, image);
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t* e = dib.data() + kBitmapInfoHeaderSize + i * 4;
        e[0] = pal.entries[i].blue;
        e[1] = pal.entries[i].green;
        e[2] = pal.entries[i].red;
        e[3] = 0;
    }
    PackIndices(src, IndexMapper(pal, 1 << bits), bits, dib.data() + kBitmapInfoHeaderSize + n * 4);
    return dib;
}

std::optional<PackedDib> ToPackedDib(const PixelReader& src, uint32_t compression, int bits,
                                     const ui::LogicalPalette* palette, int usage) {
    if (compression == BI_RGB && usage == DIB_RGB_COLORS) {
        return ToPaletteDib(src, bits, palette);
    }
    if (!src.Valid()) return std::nullopt;
    if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return std::nullopt;
    if (bits == 0) bits = src.OwnDepth();
    const bool indexedDepth = bits == 1 || bits == 4 || bits == 8;
    if (compression == BI_RLE8 && bits != 8) return std::nullopt;
    if (compression == BI_RLE4 && bits != 4) return std::nullopt;
    if (compression == BI_RGB && !indexedDepth && bits != 16 && bits != 24 && bits != 32) {
        return std::nullopt;
    }
    if (compression != BI_RGB && compression != BI_RLE8 && compression != BI_RLE4) {
        return std::nullopt;
    }

    ui::LogicalPalette storage;
    const ui::LogicalPalette& pal = PaletteOrDefault(palette, storage);
    const uint32_t colors = ColorCountByBits(uint32_t(bits));
    const int w = src.Width(), h = src.Height();
    std::vector<uint8_t> image;
    if (compression != BI_RGB) {
        image = EncodeRle(src, IndexMapper(pal, 1 << bits), bits);
    } else {
        image.assign(DibImageSize(uint32_t(bits), w, h), 0);
        if (indexedDepth) {
            PackIndices(src, IndexMapper(pal, 1 << bits), bits, image.data());
        } else {
            const std::size_t rowBytes = std::size_t(DibRowBytes(uint32_t(bits), w));
            for (int y = 0; y < h; ++y) {
                uint8_t* row = image.data() + std::size_t(h - 1 - y) * rowBytes;
                for (int x = 0; x < w; ++x) {
                    const ui::ColorRef c = src.ColorAt(x, y);
                    const uint8_t r = ui::ColorRed(c), g = ui::ColorGreen(c), b = ui::ColorBlue(c);
                    if (bits == 16) {
                        WriteLe16(row + 2 * x,
                                  uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)));
                    } else {
                        uint8_t* p = row + std::size_t(x) * (bits / 8);
                        p[0] = b;
                        p[1] = g;
                        p[2] = r;
                    }
                }
            }
        }
    }
    PackedDib dib = NewDib(w, h, bits, compression, colors, image.size());
    uint8_t* table = dib.data() + kBitmapInfoHeaderSize;
    for (uint32_t i = 0; i < colors; ++i) {
        if (usage == DIB_PAL_COLORS) {
            WriteLe16(table + 2 * i, uint16_t(i));
        } else if (i < pal.entries.size()) {
            table[4 * i] = pal.entries[i].blue;
            table[4 * i + 1] = pal.entries[i].green;
            table[4 * i + 2] = pal.entries[i].red;
        }
    }
    std::memcpy(table + colors * 4, image.data(), image.size());
    return dib;
}

}  // namespace

std::optional<PackedDib> BitmapToPaletteDib(const ui::Surface32& bitmap, int bitsPerPixel,
                                            const ui::LogicalPalette* palette) {
    return ToPaletteDib(PixelReader{&bitmap, nullptr}, bitsPerPixel, palette);
}

std::optional<PackedDib> BitmapToPaletteDib(const ui::IndexedSurface& bitmap, int bitsPerPixel,
                                            const ui::LogicalPalette* palette) {
    return ToPaletteDib(PixelReader{nullptr, &bitmap}, bitsPerPixel, palette);
}

std::optional<PackedDib> BitmapToPackedDib(const ui::Surface32& bitmap, uint32_t compression,
                                           int bitsPerPixel, const ui::LogicalPalette* palette,
                                           int colorUsage) {
    return ToPackedDib(PixelReader{&bitmap, nullptr}, compression, bitsPerPixel, palette,
                       colorUsage);
}

std::optional<PackedDib> BitmapToPackedDib(const ui::IndexedSurface& bitmap, uint32_t compression,
                                           int bitsPerPixel, const ui::LogicalPalette* palette,
                                           int colorUsage) {
    return ToPackedDib(PixelReader{nullptr, &bitmap}, compression, bitsPerPixel, palette,
                       colorUsage);
}

int GetPackedDibHeader(const PackedDib* dib, uint8_t out[kBitmapInfoHeaderSize]) {
    if (dib == nullptr || dib->size() < 4) return 0;
    const uint32_t size = ReadLe32(dib->data());
    BitmapInfoHeaderView h(out);
    if (size == kBitmapCoreHeaderSize) {
        if (dib->size() < kBitmapCoreHeaderSize) return 0;
        WidenCoreHeader(dib->data(), out);
        return 1;
    }
    if (dib->size() < kBitmapInfoHeaderSize) return 0;
    std::memcpy(out, dib->data(), kBitmapInfoHeaderSize);
    if (h.SizeImage() == 0) {
        h.SetSizeImage(uint32_t(DibImageSize(h.BitCount(), h.Width(), h.Height())));
    }
    if (h.ClrUsed() == 0) h.SetClrUsed(ColorCountByBits(h.BitCount()));
    return 1;
}

std::optional<std::vector<uint8_t>> MakeBmpFileBytes(const PackedDib& dib) {
    uint8_t header[kBitmapInfoHeaderSize];
    if (!GetPackedDibHeader(&dib, header)) return std::nullopt;
    BitmapInfoHeaderView h(header);
    if (ReadLe32(dib.data()) != kBitmapInfoHeaderSize) return std::nullopt;
    const uint64_t tableBytes = uint64_t(h.ClrUsed()) * 4;
    const uint64_t dibBytes = kBitmapInfoHeaderSize + tableBytes + h.SizeImage();
    if (dibBytes > dib.size() || kBmpFileHeaderSize + dibBytes > UINT32_MAX) return std::nullopt;
    std::vector<uint8_t> bytes(kBmpFileHeaderSize + dibBytes);
    WriteLe16(bytes.data(), kBmpFileType);
    WriteLe32(bytes.data() + 2, uint32_t(bytes.size()));
    WriteLe32(bytes.data() + 10, uint32_t(kBmpFileHeaderSize + kBitmapInfoHeaderSize + tableBytes));
    std::memcpy(bytes.data() + kBmpFileHeaderSize, dib.data(), std::size_t(dibBytes));
    return bytes;
}

int WriteDibToFile(FileObject& file, const PackedDib* dib) {
    if (dib == nullptr) return 0;
    const auto bytes = MakeBmpFileBytes(*dib);
    if (!bytes) return 0;
    return file.Write(bytes->data(), bytes->size()) == int(bytes->size()) ? 1 : 0;
}

int SaveBitmapFile(const std::string& path, const ui::Surface32& bitmap,
                   const ui::LogicalPalette* palette) {
    const auto dib = BitmapToPackedDib(bitmap, BI_RGB, 8, palette, DIB_RGB_COLORS);
    if (!dib) return 0;
    const auto bytes = MakeBmpFileBytes(*dib);
    if (!bytes) return 0;
    return core::WriteFileAtomically(path, bytes->data(), bytes->size()) ? 1 : 0;
}

}  // namespace zv::fw
