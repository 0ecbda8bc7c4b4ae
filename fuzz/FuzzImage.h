#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Inputs of the fixed-size file fuzzers: a valid image held in memory, changed by the input,
// so that a small corpus reaches past the size checks. The input is a list of patches, each a
// 3-byte little-endian offset (modulo the image size), a length byte and that many bytes (cut
// at the end of the input and of the image).
namespace zv::fuzz {

inline std::vector<std::uint8_t> PatchImage(const std::vector<std::uint8_t>& base,
                                            const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> image = base;
    if (image.empty()) return image;
    std::size_t at = 0;
    while (at + 4 <= size) {
        std::size_t offset = data[at] | data[at + 1] << 8 | data[at + 2] << 16;
        offset %= image.size();
        std::size_t length = data[at + 3];
        at += 4;
        if (length > size - at) length = size - at;
        if (length > image.size() - offset) length = image.size() - offset;
        for (std::size_t i = 0; i < length; ++i) image[offset + i] = data[at + i];
        at += length;
    }
    return image;
}

}  // namespace zv::fuzz
