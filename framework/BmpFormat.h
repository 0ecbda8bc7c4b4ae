#pragma once

// The byte layout of .bmp files and of packed DIBs: the 14-byte file header, the 40-byte
// information header, the 12-byte core header, and the colour-count rule.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/ui/Palette.h"

namespace zv::fw {

inline uint16_t ReadLe16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void WriteLe16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void WriteLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

constexpr uint16_t kBmpFileType = 0x4D42;  // "BM"
constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kBitmapInfoHeaderSize = 40;
constexpr std::size_t kBitmapCoreHeaderSize = 12;

// Compression values of the information header.
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;

// Colour usage of a packed DIB's table: colours, or 16-bit indices into a logical palette.
constexpr int DIB_RGB_COLORS = 0;
constexpr int DIB_PAL_COLORS = 1;

// The 40-byte information header over bytes owned elsewhere.
class BitmapInfoHeaderView {
  public:
    explicit BitmapInfoHeaderView(uint8_t* p) : p_(p) {}

    uint32_t Size() const { return ReadLe32(p_ + 0); }
    int32_t Width() const { return int32_t(ReadLe32(p_ + 4)); }
    int32_t Height() const { return int32_t(ReadLe32(p_ + 8)); }
    uint16_t Planes() const { return ReadLe16(p_ + 12); }
    uint16_t BitCount() const { return ReadLe16(p_ + 14); }
    uint32_t Compression() const { return ReadLe32(p_ + 16); }
    uint32_t SizeImage() const { return ReadLe32(p_ + 20); }
    int32_t XPelsPerMeter() const { return int32_t(ReadLe32(p_ + 24)); }
    int32_t YPelsPerMeter() const { return int32_t(ReadLe32(p_ + 28)); }
    uint32_t ClrUsed() const { return ReadLe32(p_ + 32); }
    uint32_t ClrImportant() const { return ReadLe32(p_ + 36); }

    void SetSize(uint32_t v) { WriteLe32(p_ + 0, v); }
    void SetWidth(int32_t v) { WriteLe32(p_ + 4, uint32_t(v)); }
    void SetHeight(int32_t v) { WriteLe32(p_ + 8, uint32_t(v)); }
    void SetPlanes(uint16_t v) { WriteLe16(p_ + 12, v); }
    void SetBitCount(uint16_t v) { WriteLe16(p_ + 14, v); }
    void SetCompression(uint32_t v) { WriteLe32(p_ + 16, v); }
    void SetSizeImage(uint32_t v) { WriteLe32(p_ + 20, v); }
    void SetXPelsPerMeter(int32_t v) { WriteLe32(p_ + 24, uint32_t(v)); }
    void SetYPelsPerMeter(int32_t v) { WriteLe32(p_ + 28, uint32_t(v)); }
    void SetClrUsed(uint32_t v) { WriteLe32(p_ + 32, v); }
    void SetClrImportant(uint32_t v) { WriteLe32(p_ + 36, v); }

    uint8_t* Bytes() const { return p_; }

  private:
    uint8_t* p_;
};

// The colour-count rule: biClrUsed when not 0, else 2, 16 or 256 for 1, 4 or 8 bits per pixel,
// else 0.
inline uint32_t ColorCountByBits(uint32_t bitCount) {
    switch (bitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}
inline uint32_t GetDibColorCount(uint32_t clrUsed, uint32_t bitCount) {
    return clrUsed != 0 ? clrUsed : ColorCountByBits(bitCount);
}

// Bytes of one row, padded to four bytes.
inline int64_t DibRowBytes(uint32_t bitCount, int64_t width) {
    return ((int64_t(bitCount) * width + 31) / 32) * 4;
}

// Bytes of a bottom-up image with rows padded to four bytes.
inline uint64_t DibImageSize(uint32_t bitCount, int64_t width, int64_t height) {
    return uint64_t(DibRowBytes(bitCount, width) * height);
}

// Widens a 12-byte core header (16-bit width and height, planes, bit count) into a 40-byte
// information header; the fields a core header lacks are 0.
void WidenCoreHeader(const uint8_t* core, uint8_t out[kBitmapInfoHeaderSize]);

// The logical palette of a header followed by its colour table (what the game made with
// CreatePalette from a Dib); nothing for a missing header, a header of another size than 40,
// or a depth without a table other than 24 bits. Table entries beyond the block read as zero.
std::optional<ui::LogicalPalette> CreatePaletteFromDibInfo(std::span<const uint8_t> block);

}  // namespace zv::fw
