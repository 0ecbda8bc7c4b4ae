#include "rules/files/Rle.h"

#include <cstring>
#include <vector>

namespace zv::rules {

namespace {

// Unit i of a buffer of one- or two-byte units, the latter little-endian.
template <typename Unit>
Unit ReadUnit(const std::uint8_t* src, std::size_t i) {
    if constexpr (sizeof(Unit) == 1) {
        return src[i];
    } else {
        return static_cast<Unit>(src[2 * i] | (src[2 * i + 1] << 8));
    }
}

template <typename Unit>
void StoreUnit(std::uint8_t* dst, std::size_t i, Unit value) {
    if constexpr (sizeof(Unit) == 1) {
        dst[i] = value;
    } else {
        dst[2 * i] = static_cast<std::uint8_t>(value);
        dst[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
}

// Network encoder over units of one or two bytes. `unitCount` input units, output bounded by
// the same number of units. Returns the output units, or 0 when packing does not pay.
template <typename Unit, int kMaxCount>
std::size_t EncodeUnits(std::uint8_t* dst, const std::uint8_t* src, std::size_t unitCount) {
    auto read = [&](std::size_t i) { return ReadUnit<Unit>(src, i); };
    std::size_t out = 0;
    // False when the output has reached the input's length: packing does not pay.
    auto write = [&](Unit value) -> bool {
        StoreUnit<Unit>(dst, out, value);
        ++out;
        return out != unitCount;
    };

    if (unitCount == 0) return 0;
    Unit v = read(0);
    std::size_t i = 1;
    for (;;) {
        if (!write(v)) return 0;
        if (i == unitCount) return out;
        if (read(i) != v) {
            v = read(i++);
            continue;
        }
        // A pair: the count that follows covers both copies already seen.
        ++i;
        if (!write(v)) return 0;
        int c = 2;
        if (i == unitCount) return write(static_cast<Unit>(c)) ? out : 0;
        while (read(i) == v) {
            ++i;
            ++c;
            if (i == unitCount) return write(static_cast<Unit>(c)) ? out : 0;
            if (c == kMaxCount) {
                // Split: this item takes all but two copies, a new pair carries on.
                if (!write(static_cast<Unit>(kMaxCount - 2)) || !write(v) || !write(v)) return 0;
                c = 2;
            }
        }
        if (!write(static_cast<Unit>(c))) return 0;
        if (i == unitCount) return out;
        v = read(i++);
    }
}

// Network decoder. Returns the units written or kRleError.
template <typename Unit>
int DecodeUnits(std::uint8_t* dst, std::size_t dstUnits, const std::uint8_t* src,
                std::size_t srcUnits) {
    auto read = [&](std::size_t i) { return ReadUnit<Unit>(src, i); };
    std::size_t out = 0;
    auto write = [&](Unit value, std::size_t copies) -> bool {
        if (copies > dstUnits - out) return false;
        if constexpr (sizeof(Unit) == 1) {
            std::memset(dst + out, value, copies);
            out += copies;
        } else {
            for (std::size_t k = 0; k < copies; ++k, ++out) StoreUnit<Unit>(dst, out, value);
        }
        return true;
    };

    if (srcUnits == 0) return 0;
    Unit v = read(0);
    std::size_t i = 1;
    for (;;) {
        if (!write(v, 1)) return kRleError;
        if (i >= srcUnits) return static_cast<int>(out);
        if (read(i) == v) {
            if (i + 1 >= srcUnits) return kRleError;  // a pair without its count
            const std::size_t c = read(i + 1);
            i += 2;
            if (c >= 2 && !write(v, c - 1)) return kRleError;
            if (i >= srcUnits) return static_cast<int>(out);
        }
        v = read(i++);
    }
}

}  // namespace

int RleEncode(std::span<std::uint8_t> dst, std::span<const std::uint8_t> src, int mode) {
    if (mode != 0 && mode != 1) return mode;
    if (dst.size() < src.size() || (!src.empty() && (!dst.data() || !src.data()))) return kRleError;
    std::size_t packed = 0;
    if (mode == 0) {
        packed = EncodeUnits<std::uint8_t, 255>(dst.data(), src.data(), src.size());
    } else if (src.size() % 2 == 0) {
        packed = 2 * EncodeUnits<std::uint16_t, 65535>(dst.data(), src.data(), src.size() / 2);
    }
    if (packed == 0) {
        if (!src.empty()) std::memmove(dst.data(), src.data(), src.size());
        return 0;
    }
    return static_cast<int>(packed);
}

int RleDecode(std::span<std::uint8_t> dst, std::span<const std::uint8_t> src, int mode) {
    if (!dst.data() || !src.data()) return 0;
    switch (mode) {
        case 0:
            return DecodeUnits<std::uint8_t>(dst.data(), dst.size(), src.data(), src.size());
        case 1:
            if (src.size() % 2 != 0) return kRleError;
            return DecodeUnits<std::uint16_t>(dst.data(), dst.size() / 2, src.data(),
                                              src.size() / 2);
        case 2:
            if (src.size() > dst.size()) return kRleError;
            std::memmove(dst.data(), src.data(), src.size());
            return static_cast<int>(src.size());
        default:
            return mode;
    }
}

int RleDecodeBytes(std::span<const std::uint8_t> buffer, std::size_t srcLength,
                   std::span<std::uint8_t> dst) {
    const std::size_t n = srcLength < buffer.size() ? srcLength : buffer.size();
    const std::size_t m = dst.size();
    if (srcLength == 0 || m == 0 || buffer.empty()) return 0;
    const std::uint8_t* s = buffer.data();
    const std::size_t end = buffer.size();
    std::uint8_t v = s[0];
    std::size_t i = 1;
    std::size_t out = 0;
    int pending = 0;
    for (;;) {
        if (out < m) dst[out++] = v;
        // Past the declared length, an end mark may stand at the current position.
        if (i >= n && i + 2 < end && s[i] == s[i + 1] && s[i + 2] == 0)
            return static_cast<int>(out);
        if (pending > 0) {
            if (--pending > 0) continue;
            if (i >= end) return kRleError;
            v = s[i++];
            continue;
        }
        if (i >= end) return kRleError;
        if (s[i] != v) {
            v = s[i++];
            continue;
        }
        if (i + 1 >= end) return kRleError;
        const int c = s[i + 1];
        i += 2;
        if (c == 0) return i == srcLength ? static_cast<int>(m) : 0;
        pending = c - 1;
    }
}

int RleEncodeBytes(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) {
    const std::size_t n = src.size();
    const std::size_t m = dst.size();
    if (n == 0) return 0;
    std::size_t out = 0;
    bool fits = true;
    auto put = [&](std::uint8_t b) {
        if (out < m) {
            dst[out++] = b;
        } else {
            fits = false;
        }
    };
    // Writes a value with its extra copies; true when it was a lone value.
    auto flush = [&](std::uint8_t value, int extra) {
        put(value);
        if (extra > 0) {
            put(value);
            put(static_cast<std::uint8_t>(extra + 1));
        }
    };

    std::uint8_t v = src[0];
    int extra = 0;
    for (std::size_t k = 1; k < n; ++k) {
        const std::uint8_t b = src[k];
        if (b == v) {
            if (++extra == 254) {
                put(v), put(v), put(254);
                extra = 0;
            }
        } else {
            flush(v, extra);
            v = b;
            extra = 0;
        }
        if (!fits || (out >= n && k + 1 < n)) return 0;
    }
    flush(v, extra);
    // After a lone FF the usual end mark would read as a run of FF: end with 00 00 00 instead.
    const std::uint8_t mark = (extra == 0 && v == 0xFF) ? 0x00 : 0xFF;
    put(mark), put(mark), put(0);
    return fits ? static_cast<int>(out) : 0;
}

}  // namespace zv::rules
