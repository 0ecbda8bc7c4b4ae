#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zv::rules {

// Run-length codecs.
//
// Network format (RleEncode / RleDecode): items "v" (one v) and "v v c" (c copies of v); mode 0
// on bytes, mode 1 on little-endian 16-bit words, mode 2 stored without packing. The packed
// length travels with the data.
//
// Import format (RleDecodeBytes / RleEncodeBytes): bytes, items "v" and "v v c" (c >= 1), and
// the end mark "v v 0".

inline constexpr int kRleError = -1;

// Packs src into dst. dst must hold src.size() bytes: when packing does not pay (the output
// would reach the input's length) src is copied into dst unchanged and the result is 0; the
// caller then sends the data as stored (mode 2). Mode 0 returns the packed length in bytes,
// mode 1 the packed length in bytes (words x 2). An odd length in mode 1 cannot be packed
// without losing its last byte, so it is copied and 0 returned. Any other mode writes nothing
// and returns the mode number. kRleError when dst cannot hold a copy of src.
int RleEncode(std::span<std::uint8_t> dst, std::span<const std::uint8_t> src, int mode);

// Unpacks src (the whole packed stream) into dst. Mode 0 returns the bytes written, mode 1 the
// words written, mode 2 copies src and returns its length; any other mode writes nothing and
// returns the mode number. kRleError for a stream that would overflow dst or that ends inside
// an item; dst then holds a partial image the caller must discard. Null buffers give 0.
int RleDecode(std::span<std::uint8_t> dst, std::span<const std::uint8_t> src, int mode);

// Unpacks the import format. `buffer` is the whole source buffer, `srcLength` the declared
// packed length within it; reading never goes beyond the buffer. Returns 0 when either length
// is 0; the bytes written when an end mark follows the declared length; dst.size() when the
// end mark ends exactly at the declared length; 0 when an end mark ends anywhere else;
// kRleError when the buffer ends without an end mark. At most dst.size() bytes are written.
int RleDecodeBytes(std::span<const std::uint8_t> buffer, std::size_t srcLength,
                   std::span<std::uint8_t> dst);

// Packs src in the import format with its end mark. 0 when the packed output would reach
// src.size() bytes before the input is used up, or would not fit into dst.
int RleEncodeBytes(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst);

}  // namespace zv::rules
