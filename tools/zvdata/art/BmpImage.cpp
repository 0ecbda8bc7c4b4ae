#include "tools/zvdata/art/BmpImage.h"

#include "framework/BmpFormat.h"
#include "platform/core/Files.h"

namespace zv::zvdata::art {

bool ReadBmpImage(const std::string& path, BmpImage& image, std::string& error) {
    const auto bytes = core::ReadWholeFile(path);
    if (!bytes) return error = "cannot be read", false;
    const std::vector<std::uint8_t>& b = *bytes;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return error = "not a .bmp file", false;
    const std::uint32_t offset = fw::ReadLe32(&b[10]);
    const std::uint32_t headerSize = fw::ReadLe32(&b[14]);
    if (headerSize != 40)
        return error = "header of " + std::to_string(headerSize) + " bytes, not 40", false;
    const std::int32_t w = std::int32_t(fw::ReadLe32(&b[18])),
                       h = std::int32_t(fw::ReadLe32(&b[22]));
    const int bits = fw::ReadLe16(&b[28]);
    const std::uint32_t compression = fw::ReadLe32(&b[30]);
    image.bitCount = bits;
    if (bits != 8) return error = std::to_string(bits) + " bits per pixel, not 8", false;
    if (compression != 0) return error = "compressed", false;
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384)
        return error = "size " + std::to_string(w) + "x" + std::to_string(h) +
                       " (must be bottom-up, 1-16384)",
               false;
    const std::uint32_t used = fw::ReadLe32(&b[46]);
    const std::uint32_t count = used == 0 ? 256 : used;
    if (count > 256 || 54 + std::size_t(count) * 4 > offset)
        return error = "colour table does not fit", false;
    const std::size_t rowBytes = std::size_t((w + 3) / 4 * 4);
    const std::size_t expected = std::size_t(offset) + rowBytes * std::size_t(h);
    if (expected > b.size()) return error = "pixel data is cut short", false;
    image.fileBytes = b.size();
    image.pictureBytes = expected;
    image.width = w;
    image.height = h;
    image.colours.clear();
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* q = &b[54 + i * 4];
        image.colours.push_back(Rgb{q[2], q[1], q[0]});
    }
    image.pixels.resize(std::size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = &b[offset + rowBytes * std::size_t(h - 1 - y)];
        std::copy(row, row + w, image.pixels.begin() + std::ptrdiff_t(y) * w);
    }
    return true;
}

}  // namespace zv::zvdata::art
