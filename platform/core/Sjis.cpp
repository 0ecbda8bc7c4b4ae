#include "platform/core/Sjis.h"

#include <errno.h>
#include <iconv.h>

#include <stdexcept>

namespace zv::core {
namespace {

bool IsSjisTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0 when it is malformed.
size_t Utf8SequenceLength(std::string_view s) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    size_t len = c < 0x80                   ? 1
                 : (c >= 0xC2 && c <= 0xDF) ? 2
                 : (c >= 0xE0 && c <= 0xEF) ? 3
                 : (c >= 0xF0 && c <= 0xF4) ? 4
                                            : 0;
    if (len == 0 || len > s.size()) return 0;
    for (size_t i = 1; i < len; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
    }
    if (len == 3 && c == 0xE0 && b(1) < 0xA0) return 0;   // overlong
    if (len == 3 && c == 0xED && b(1) >= 0xA0) return 0;  // surrogate
    if (len == 4 && c == 0xF0 && b(1) < 0x90) return 0;   // overlong
    if (len == 4 && c == 0xF4 && b(1) >= 0x90) return 0;  // beyond U+10FFFF
    return len;
}

// One converter per thread and direction: iconv descriptors keep state and must not be
// shared between threads.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " +
                                     to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; `skip` tells how many input bytes an unconvertible spot covers.
    template <typename Skip>
    std::string Run(std::string_view in, Skip skip) {
        std::string out;
        out.reserve(in.size() * 2 + 8);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[512];
        size_t pos = 0;
        while (pos < in.size()) {
            char* src = const_cast<char*>(in.data() + pos);
            size_t srcLeft = in.size() - pos;
            char* dst = buffer;
            size_t dstLeft = sizeof(buffer);
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            const int e = errno;
            out.append(buffer, static_cast<size_t>(dst - buffer));
            pos = in.size() - srcLeft;
            if (r != static_cast<size_t>(-1)) continue;
            if (e == E2BIG) continue;
            // EILSEQ or EINVAL: replace the offending spot and go on after it.
            out.push_back('?');
            pos += skip(in.substr(pos));
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

  private:
    iconv_t cd_;
};

}  // namespace

bool IsSjisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string SjisToUtf8(std::string_view sjis) {
    thread_local Converter converter("UTF-8", "CP932");
    return converter.Run(sjis, [](std::string_view rest) -> size_t {
        const auto c = static_cast<unsigned char>(rest[0]);
        if (IsSjisLeadByte(c) && rest.size() >= 2 &&
            IsSjisTrailByte(static_cast<unsigned char>(rest[1]))) {
            return 2;
        }
        return 1;
    });
}

std::string Utf8ToSjis(std::string_view utf8) {
    thread_local Converter converter("CP932", "UTF-8");
    return converter.Run(utf8, [](std::string_view rest) -> size_t {
        size_t len = Utf8SequenceLength(rest);
        return len == 0 ? 1 : len;
    });
}

std::size_t SjisCutLength(std::string_view text, std::size_t maxBytes) {
    size_t i = 0;
    while (i < text.size()) {
        size_t len =
            IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (i + len > maxBytes) break;
        i += len;
    }
    return i;
}

}  // namespace zv::core
