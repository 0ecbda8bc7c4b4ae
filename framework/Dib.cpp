#include "framework/Dib.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "framework/ProcessState.h"
#include "platform/core/Sjis.h"

namespace zv::fw {

namespace {

std::mutex gSinkMutex;
DibMessageSink& Sink() {
    static DibMessageSink sink;
    return sink;
}

void Report(std::string_view caption, std::string_view text) {
    DibMessageSink sink;
    {
        std::lock_guard lock(gSinkMutex);
        sink = Sink();
    }
    if (sink) {
        sink(caption, text);
    } else {
        std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
                     text.data());
    }
}

void DebugOutput(const char* text) {
    std::fputs(text, stderr);
}

constexpr std::size_t kHeaderEntries = kBitmapInfoHeaderSize / sizeof(ui::RgbQuad);

// Reads exactly `count` bytes unless the file ends first; returns the bytes read.
std::size_t ReadFully(FileObject& file, uint8_t* out, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = std::min<std::size_t>(count - done, 1u << 24);
        const int n = file.Read(out + done, chunk);
        if (n <= 0) break;
        done += std::size_t(n);
    }
    return done;
}

}  // namespace

void SetDibMessageSink(DibMessageSink sink) {
    std::lock_guard lock(gSinkMutex);
    Sink() = std::move(sink);
}

std::optional<std::vector<uint8_t>> ReadDibInfoBlock(FileObject& file) {
    const int start = file.Seek(0, 1);
    if (start < 0) return std::nullopt;

    // An optional file header; without "BM" the file is a packed DIB from its first byte.
    uint8_t fileHeader[kBmpFileHeaderSize] = {};
    uint32_t offBits = 0;
    if (ReadFully(file, fileHeader, sizeof fileHeader) == sizeof fileHeader &&
        ReadLe16(fileHeader) == kBmpFileType) {
        offBits = ReadLe32(fileHeader + 10);
    } else if (file.Seek(start, 0) != start) {
        return std::nullopt;
    }
    const int infoStart = file.Seek(0, 1);

    uint8_t info[kBitmapInfoHeaderSize] = {};
    if (ReadFully(file, info, sizeof info) != sizeof info) return std::nullopt;
    const uint32_t headerSize = ReadLe32(info);
    if (headerSize != kBitmapInfoHeaderSize && headerSize != kBitmapCoreHeaderSize) {
        return std::nullopt;
    }

    std::vector<uint8_t> block(kBitmapInfoHeaderSize);
    BitmapInfoHeaderView h(block.data());
    uint32_t colors = 0;
    if (headerSize == kBitmapCoreHeaderSize) {
        WidenCoreHeader(info, block.data());
        colors = ColorCountByBits(h.BitCount());
        h.SetClrUsed(colors);
        h.SetClrImportant(colors);
        if (file.Seek(infoStart + int(kBitmapCoreHeaderSize), 0) < 0) return std::nullopt;
    } else {
        std::memcpy(block.data(), info, sizeof info);
        colors = GetDibColorCount(h.ClrUsed(), h.BitCount());
    }

    // Only what a Dib can hold: one byte per pixel, stored plainly, bottom-up, of sane size.
    if (h.BitCount() != 8 || h.Compression() != BI_RGB) return std::nullopt;
    if (h.Width() <= 0 || h.Width() > kDibMaxDimension) return std::nullopt;
    if (h.Height() <= 0 || h.Height() > kDibMaxDimension) return std::nullopt;
    if (colors == 0 || colors > 256) return std::nullopt;

    // The image size follows from the dimensions, whatever the header claims.
    h.SetSizeImage(uint32_t(DibImageSize(h.BitCount(), h.Width(), h.Height())));
    if (h.ClrUsed() == 0) h.SetClrUsed(colors);

    block.resize(kBitmapInfoHeaderSize + colors * 4, 0);
    const std::size_t entrySize = headerSize == kBitmapCoreHeaderSize ? 3 : 4;
    std::vector<uint8_t> table(colors * entrySize);
    if (ReadFully(file, table.data(), table.size()) != table.size()) return std::nullopt;
    for (uint32_t i = 0; i < colors; ++i) {
        uint8_t* e = block.data() + kBitmapInfoHeaderSize + i * 4;
        e[0] = table[i * entrySize];
        e[1] = table[i * entrySize + 1];
        e[2] = table[i * entrySize + 2];
        e[3] = entrySize == 4 ? table[i * entrySize + 3] : 0;
    }

    if (offBits != 0) {
        const int64_t pixelStart = int64_t(start) + offBits;
        if (pixelStart > INT32_MAX || file.Seek(int32_t(pixelStart), 0) != pixelStart) {
            return std::nullopt;
        }
    }
    return block;
}

Dib::Dib() = default;

Dib::Dib(const char* fileName) {
    if (fileName == nullptr) return;
    fileName_ = fileName;
    OpenDIB();
    loaded_ = 1;
}

Dib::Dib(int width, int height, const ui::RgbQuad* colorTable) {
    headerBlock_.assign(kHeaderEntries + 256, ui::RgbQuad{});
    BitmapInfoHeaderView h(reinterpret_cast<uint8_t*>(headerBlock_.data()));
    h.SetSize(kBitmapInfoHeaderSize);
    h.SetWidth(width);
    h.SetHeight(height);
    h.SetPlanes(1);
    h.SetBitCount(8);
    h.SetCompression(BI_RGB);
    h.SetSizeImage(uint32_t(DibImageSize(8, std::max(width, 0), std::max(height, 0))));
    h.SetClrUsed(256);
    h.SetClrImportant(256);
    ui::RgbQuad* table = headerBlock_.data() + kHeaderEntries;
    if (colorTable != nullptr) {
        std::copy(colorTable, colorTable + 256, table);
    } else {
        // The system palette's static colours; the rest stays black.
        const auto& sys = ui::DefaultPalette();
        for (int i = 0; i < 10; ++i) {
            table[i] = {sys[i].blue, sys[i].green, sys[i].red, 0};
            table[246 + i] = {sys[10 + i].blue, sys[10 + i].green, sys[10 + i].red, 0};
        }
    }
    // Like a DIB section that cannot be made, a size out of range leaves header without bits.
    if (width <= 0 || height <= 0 || width > kDibMaxDimension || height > kDibMaxDimension) return;
    try {
        bits_.assign(std::size_t(GetRowBytes()) * std::size_t(height), 0);
    } catch (const std::bad_alloc&) {
        Report("malloc", "メモリー確保失敗");
        bits_.clear();
        return;
    }
    loaded_ = 1;
}

Dib::~Dib() = default;

void Dib::OpenDIB() {
    const std::string name = *fileName_;
    FileObject file;
    bool open = file.Open(name, kFileModeReadExisting) == 1;
    if (!open) {
        const std::string full = std::string(GetProgramDirectory()) + "\\" + name;
        if (file.Open(full, kFileModeReadExisting) == 1) {
            open = true;
            fileName_ = full;
        } else {
            Report("OpenDIB", "オープン失敗 " + core::SjisToUtf8(name));
        }
    }
    std::optional<std::vector<uint8_t>> block;
    if (open) block = ReadDibInfoBlock(file);
    if (!block) {
        Report("OpenDIB", "リード失敗");
        return;
    }
    BitmapInfoHeaderView h(block->data());
    const std::size_t imageSize = h.SizeImage();
    // The pixels must all be there; a short file is refused rather than shown half drawn, and
    // before its header's size is allocated (a few bytes may claim 256 MB).
    const int pixelsAt = file.Seek(0, 1);
    const int end = file.Seek(0, 2);
    if (pixelsAt < 0 || end < pixelsAt || std::size_t(end - pixelsAt) < imageSize ||
        file.Seek(pixelsAt, 0) != pixelsAt) {
        Report("OpenDIB", "リード失敗");
        return;
    }
    std::vector<uint8_t> bits;
    try {
        bits.resize(imageSize);
    } catch (const std::bad_alloc&) {
        Report("malloc", "メモリー確保失敗");
        return;
    }
    if (ReadFully(file, bits.data(), imageSize) != imageSize) {
        Report("OpenDIB", "リード失敗");
        return;
    }
    headerBlock_.assign(block->size() / sizeof(ui::RgbQuad), ui::RgbQuad{});
    std::memcpy(headerBlock_.data(), block->data(), block->size());
    bits_ = std::move(bits);
}

uint8_t* Dib::GetBitmapInfo() {
    return headerBlock_.empty() ? nullptr : reinterpret_cast<uint8_t*>(headerBlock_.data());
}

uint8_t* Dib::GetBits() {
    return bits_.empty() ? nullptr : bits_.data();
}

std::optional<ui::LogicalPalette> Dib::MakePalette() {
    if (headerBlock_.empty()) return std::nullopt;
    return CreatePaletteFromDibInfo(
        {reinterpret_cast<const uint8_t*>(headerBlock_.data()), headerBlock_.size() * 4});
}

int Dib::GetColorCount() const {
    if (headerBlock_.empty()) return 0;
    const int n = int(headerBlock_.size() - kHeaderEntries);
    return std::clamp(n, 0, 256);
}

ui::IndexedSurface Dib::GetBitmapHandle() {
    if (bits_.empty()) return {};
    return {bits_.data(),   GetWidth(), GetHeight(),
            GetRowBytes(),  true,       headerBlock_.data() + kHeaderEntries,
            GetColorCount()};
}

uint8_t* Dib::GetPixelAddress(int x, int y) {
    if (bits_.empty() || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) return nullptr;
    return bits_.data() + std::size_t(GetHeight() - 1 - y) * GetRowBytes() + x;
}

uint32_t Dib::GetPixelColor(int x, int y) {
    const uint8_t* p = GetPixelAddress(x, y);
    if (p == nullptr) return 0;
    if (*p >= GetColorCount()) return 0x02000000u;
    const ui::RgbQuad& q = headerBlock_[kHeaderEntries + *p];
    return 0x02000000u | ui::Rgb(q.red, q.green, q.blue);
}

int Dib::GetColorEntries(int first, int count, ui::RgbQuad* out) {
    if (headerBlock_.empty() || out == nullptr || first < 0) return 0;
    int copied = 0;
    for (int i = first; i < GetColorCount() && copied < count; ++i) {
        out[copied++] = headerBlock_[kHeaderEntries + i];
    }
    return copied;
}

int Dib::GetWidth() {
    if (headerBlock_.empty()) return 0;
    return BitmapInfoHeaderView(reinterpret_cast<uint8_t*>(headerBlock_.data())).Width();
}

int Dib::GetHeight() {
    if (headerBlock_.empty()) return 0;
    return BitmapInfoHeaderView(reinterpret_cast<uint8_t*>(headerBlock_.data())).Height();
}

int Dib::GetRowBytes() {
    return (GetWidth() + 3) & ~3;
}

const char* Dib::GetFileName() {
    return fileName_ ? fileName_->c_str() : nullptr;
}

// ---- blitters ----

namespace {

struct BlitRect {
    int x, y, w, h, sx, sy;
};

// Clipping of both blitters. The game checked only the source's top-left corner; the copy is
// clipped against the source's right and bottom edges as well, so it never reads outside it.
bool ClipBlit(Dib& dst, Dib& src, BlitRect& r) {
    if (!dst.HasBits() || !src.HasBits()) return false;
    const int64_t dw = dst.GetWidth(), dh = dst.GetHeight();
    const int64_t sw = src.GetWidth(), sh = src.GetHeight();
    int64_t x = r.x, y = r.y, w = r.w, h = r.h, sx = r.sx, sy = r.sy;
    if (x >= dw || y >= dh || sx < 0 || sx >= sw || sy < 0 || sy >= sh) return false;
    if (x < 0) {
        w += x;
        sx -= x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        sy -= y;
        y = 0;
    }
    if (x + w >= dw) w = dw - x;
    if (y + h >= dh) h = dh - y;
    if (sx + w > sw) w = sw - sx;
    if (sy + h > sh) h = sh - sy;
    if (w <= 0 || h <= 0) return false;
    r = {int(x), int(y), int(w), int(h), int(sx), int(sy)};
    return true;
}

}  // namespace

int HvDIBitBlt(Dib* dst, int x, int y, int w, int h, Dib* src, int sx, int sy, int key) {
    if (src == nullptr) {
        DebugOutput("pSrcBuffer NULL in HvDIBitBlt\n");
        return 0;
    }
    if (dst == nullptr) {
        DebugOutput("pDstBuffer NULL in HvDIBitBlt\n");
        return 0;
    }
    BlitRect r{x, y, w, h, sx, sy};
    if (!ClipBlit(*dst, *src, r)) return 0;
    CopyRowsKeyed(dst->GetPixelAddress(r.x, r.y), src->GetPixelAddress(r.sx, r.sy), r.w, r.h,
                  -std::ptrdiff_t(dst->GetRowBytes()), -std::ptrdiff_t(src->GetRowBytes()),
                  uint8_t(key & 0xFF));
    return 1;
}

int HvDIBitBltOpaque(Dib* dst, int x, int y, int w, int h, Dib* src, int sx, int sy) {
    if (src == nullptr || dst == nullptr) return 0;
    BlitRect r{x, y, w, h, sx, sy};
    if (!ClipBlit(*dst, *src, r)) return 0;
    CopyRows(dst->GetPixelAddress(r.x, r.y), src->GetPixelAddress(r.sx, r.sy), r.w, r.h,
             -std::ptrdiff_t(dst->GetRowBytes()), -std::ptrdiff_t(src->GetRowBytes()));
    return 1;
}

void CopyRowsKeyed(uint8_t* dst, const uint8_t* src, int w, int h, std::ptrdiff_t dstStep,
                   std::ptrdiff_t srcStep, uint8_t key) {
    if (w <= 0 || h <= 0 || dst == nullptr || src == nullptr) return;
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    const uint64_t keyWord = 0x0101010101010101ull * key;
    for (int row = 0; row < h; ++row) {
        int i = 0;
        // Eight source bytes at a time: a mask of the bytes that are not the key merges them
        // into the destination without a branch per byte.
        for (; i + 8 <= w; i += 8) {
            uint64_t s;
            std::memcpy(&s, src + i, 8);
            const uint64_t t = s ^ keyWord;
            const uint64_t keep = ((((t & kLow7) + kLow7) | t) & kHigh) >> 7;  // 1 per byte
            const uint64_t mask = keep * 0xFF;
            if (mask == ~uint64_t(0)) {
                std::memcpy(dst + i, &s, 8);
            } else if (mask != 0) {
                uint64_t d;
                std::memcpy(&d, dst + i, 8);
                d = (d & ~mask) | (s & mask);
                std::memcpy(dst + i, &d, 8);
            }
        }
        for (; i < w; ++i) {
            if (src[i] != key) dst[i] = src[i];
        }
        if (row + 1 < h) {
            dst += dstStep;
            src += srcStep;
        }
    }
}

void CopyRows(uint8_t* dst, const uint8_t* src, int w, int h, std::ptrdiff_t dstStep,
              std::ptrdiff_t srcStep) {
    if (w <= 0 || h <= 0 || dst == nullptr || src == nullptr) return;
    for (int row = 0; row < h; ++row) {
        std::memmove(dst, src, std::size_t(w));
        if (row + 1 < h) {
            dst += dstStep;
            src += srcStep;
        }
    }
}

}  // namespace zv::fw
