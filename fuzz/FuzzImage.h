#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

// Inputs of the fixed-size file fuzzers: a valid image held in memory, changed by the input,
// so that a small corpus reaches past the size checks. The input is a list of patches, each a
// 3-byte little-endian offset (modulo the image size), a length byte and that many bytes (cut
// at the end of the input and of the image).
namespace zv::fuzz {

class PatchedImage {
  public:
    PatchedImage() = default;
    explicit PatchedImage(std::vector<std::uint8_t> base) : base_(std::move(base)), image_(base_) {}

    // The image with the input's patches; the previous input's are undone first (patching in
    // place: a copy of the whole image for every input would cost more than reading it).
    std::span<const std::uint8_t> Apply(const std::uint8_t* data, std::size_t size) {
        for (const auto& [offset, length] : touched_)
            std::memcpy(image_.data() + offset, base_.data() + offset, length);
        touched_.clear();
        if (image_.empty()) return image_;
        std::size_t at = 0;
        while (at + 4 <= size) {
            std::size_t offset = data[at] | data[at + 1] << 8 | data[at + 2] << 16;
            offset %= image_.size();
            std::size_t length = data[at + 3];
            at += 4;
            if (length > size - at) length = size - at;
            if (length > image_.size() - offset) length = image_.size() - offset;
            std::memcpy(image_.data() + offset, data + at, length);
            touched_.emplace_back(offset, length);
            at += length;
        }
        return image_;
    }

  private:
    std::vector<std::uint8_t> base_, image_;
    std::vector<std::pair<std::size_t, std::size_t>> touched_;
};

}  // namespace zv::fuzz
