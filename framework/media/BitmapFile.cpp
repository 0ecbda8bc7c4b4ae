#include "framework/media/BitmapFile.h"

#include "framework/BmpFormat.h"
#include "platform/core/Files.h"

namespace zv::fw {

namespace {
constexpr int kMaxSide = 16384;

std::optional<BitmapImage> Fail(std::string* error, const char* why) {
    if (error) *error = why;
    return std::nullopt;
}
}  // namespace

std::optional<BitmapImage> ParseBitmapFile(const std::vector<uint8_t>& b, std::string* error) {
    if (b.size() < kBmpFileHeaderSize + kBitmapInfoHeaderSize ||
        ReadLe16(b.data()) != kBmpFileType) {
        return Fail(error, "not a .bmp file");
    }
    const uint8_t* info = b.data() + kBmpFileHeaderSize;
    uint32_t infoSize = ReadLe32(info);
    if (infoSize < kBitmapInfoHeaderSize || infoSize > b.size() - kBmpFileHeaderSize) {
        return Fail(error, "unsupported information header");
    }
    int32_t width = int32_t(ReadLe32(info + 4));
    int32_t rawHeight = int32_t(ReadLe32(info + 8));
    int bits = ReadLe16(info + 14);
    uint32_t compression = ReadLe32(info + 16);
    uint32_t used = ReadLe32(info + 32);
    bool topDown = rawHeight < 0;
    int64_t height = topDown ? -int64_t(rawHeight) : rawHeight;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return Fail(error, "bad picture size");
    }
    if (compression != BI_RGB) return Fail(error, "compressed pictures are not read");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return Fail(error, "unsupported bit count");
    }
    BitmapImage img;
    img.width = width;
    img.height = int(height);
    img.bitCount = bits;
    std::size_t tableAt = kBmpFileHeaderSize + infoSize;
    if (bits <= 8) {
        uint32_t colours = used ? used : (1u << bits);
        if (colours > (1u << bits)) return Fail(error, "too many colours");
        if (tableAt + std::size_t(colours) * 4 > b.size())
            return Fail(error, "colour table cut short");
        for (uint32_t i = 0; i < colours; ++i) {
            const uint8_t* q = &b[tableAt + 4 * i];
            img.colorTable.push_back({q[0], q[1], q[2], 0});
        }
    }
    std::size_t offset = ReadLe32(b.data() + 10);
    std::size_t stride = ((std::size_t(width) * bits + 31) / 32) * 4;
    if (offset > b.size() || stride * std::size_t(height) > b.size() - offset) {
        return Fail(error, "pixel data cut short");
    }
    img.pixels.resize(std::size_t(width) * img.height);
    for (int y = 0; y < img.height; ++y) {
        const uint8_t* row = &b[offset + stride * std::size_t(topDown ? y : img.height - 1 - y)];
        uint32_t* out = &img.pixels[std::size_t(y) * width];
        for (int x = 0; x < width; ++x) {
            uint32_t p = 0;
            if (bits <= 8) {
                int perByte = 8 / bits;
                int index =
                    (row[x / perByte] >> ((perByte - 1 - x % perByte) * bits)) & ((1 << bits) - 1);
                // An index past a short table reads black.
                if (std::size_t(index) < img.colorTable.size()) {
                    const ui::RgbQuad& q = img.colorTable[std::size_t(index)];
                    p = (uint32_t(q.red) << 16) | (uint32_t(q.green) << 8) | q.blue;
                }
            } else if (bits == 16) {
                uint16_t v = ReadLe16(row + 2 * x);
                auto expand = [](uint32_t c) { return (c << 3) | (c >> 2); };
                p = (expand((v >> 10) & 31) << 16) | (expand((v >> 5) & 31) << 8) | expand(v & 31);
            } else {
                const uint8_t* q = row + std::size_t(x) * (bits / 8);
                p = (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
            }
            out[x] = p;
        }
    }
    return img;
}

std::optional<BitmapImage> ReadBitmapFile(const std::string& path, std::string* error) {
    auto bytes = core::ReadWholeFile(path);
    if (!bytes) return Fail(error, "cannot read the file");
    return ParseBitmapFile(*bytes, error);
}

}  // namespace zv::fw
