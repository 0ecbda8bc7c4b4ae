#include "platform/ui/Text.h"

#include "platform/core/Sjis.h"

namespace zv::ui {

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        }
        int len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if ((c & 0xE0) == 0xC0) {
            len = 2, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, cp = c & 0x07, min = 0x10000;
        }
        bool ok = len != 0 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                ok = false;
            } else {
                cp = (cp << 6) | (p[i + k] & 0x3F);
            }
        }
        if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (ok) {
            out.push_back(cp);
            i += len;
        } else {
            out.push_back(U'\uFFFD');  // one replacement per bad byte, then resynchronise
            ++i;
        }
    }
    return out;
}

namespace {

// Characters a line may not begin with.
constexpr std::u32string_view kNoLineStart =
    U")]},.!?:;"                      // ASCII closers and punctuation
    U"）］｝〕〉》」』】〙〗〟’”｠»"  // closing brackets and quotes
    U"‐゠–〜～"                       // hyphens and the wave dash
    U"！？‼⁇⁈⁉"                       // dividing punctuation
    U"・：；"                         // middle dots
    U"。．、，"                       // full stops and commas
    U"ヽヾゝゞ々〻"                   // iteration marks
    U"ー"                             // prolonged sound mark
    U"ぁぃぅぇぉっゃゅょゎゕゖ"       // small hiragana
    U"ァィゥェォッャュョヮヵヶ"       // small katakana
    U"ㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿ"
    U"｡｣､･ｰｧｨｩｪｫｬｭｮｯ";  // their half-width forms

// Characters a line may not end with.
constexpr std::u32string_view kNoLineEnd = U"([{（［｛〔〈《「『【〘〖〝‘“｟«｢";

}  // namespace

bool MayBreakBetween(char32_t before, char32_t after) {
    return kNoLineStart.find(after) == std::u32string_view::npos &&
           kNoLineEnd.find(before) == std::u32string_view::npos;
}

std::size_t LineEndBefore(std::u32string_view text, std::size_t at) {
    if (at >= text.size()) return at;
    for (std::size_t i = at; i > 0; --i) {
        if (MayBreakBetween(text[i - 1], text[i])) return i;
    }
    return at;
}

bool IsFullWidthBreakable(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

std::u32string DecodeText(std::string_view text, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) return DecodeUtf8(text);
    return DecodeUtf8(core::SjisToUtf8(text));
}

}  // namespace zv::ui
