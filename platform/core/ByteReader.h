#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

// A cursor over untrusted bytes (a file image, a network message). Every read checks the length
// first: a read past the end returns false, leaves its output alone and fails the reader for good,
// so a parser may read a run of fields and test Ok() once.
namespace zv::core {

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool Ok() const { return ok_; }
    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return ok_ ? bytes_.size() - position_ : 0; }
    bool AtEnd() const { return Remaining() == 0; }

    // Takes the next n bytes as a view into the input.
    bool Take(std::size_t n, std::span<const std::uint8_t>& out) {
        if (!Has(n)) return false;
        out = bytes_.subspan(position_, n);
        position_ += n;
        return true;
    }
    bool Skip(std::size_t n) {
        std::span<const std::uint8_t> ignored;
        return Take(n, ignored);
    }
    bool ReadBytes(void* out, std::size_t n) {
        std::span<const std::uint8_t> taken;
        if (!Take(n, taken)) return false;
        if (n) std::memcpy(out, taken.data(), n);
        return true;
    }
    // Little-endian integers.
    bool ReadU8(std::uint8_t& out) { return ReadLittleEndian(out); }
    bool ReadU16(std::uint16_t& out) { return ReadLittleEndian(out); }
    bool ReadU32(std::uint32_t& out) { return ReadLittleEndian(out); }
    bool ReadS32(std::int32_t& out) {
        std::uint32_t v = 0;
        if (!ReadU32(v)) return false;
        out = static_cast<std::int32_t>(v);
        return true;
    }

  private:
    bool Has(std::size_t n) {
        if (ok_ && n <= bytes_.size() - position_) return true;
        ok_ = false;
        return false;
    }
    template <typename T>
    bool ReadLittleEndian(T& out) {
        std::span<const std::uint8_t> taken;
        if (!Take(sizeof(T), taken)) return false;
        T v = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<T>(T(taken[i]) << (8 * i));
        out = v;
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

}  // namespace zv::core
