#include "framework/TextString.h"

#include <climits>
#include <cstring>
#include <new>

namespace zv::fw {
namespace {

std::size_t LengthOf(const char* text) {
    return text == nullptr ? 0 : std::strlen(text);
}

}  // namespace

TextString::TextString() {
    Replace(nullptr, 0, nullptr, 0, 0);
}

TextString::TextString(const char* text) {
    Replace(text, LengthOf(text), nullptr, 0, LengthOf(text));
}

TextString::TextString(const TextString& other) {
    const std::size_t n = LengthOf(other.text_);
    Replace(other.text_, n, nullptr, 0, n);
}

TextString::~TextString() {
    delete[] text_;
}

TextString& TextString::operator=(const char* text) {
    const std::size_t n = LengthOf(text);
    Replace(text, n, nullptr, 0, n);
    return *this;
}

TextString& TextString::operator=(const TextString& other) {
    return *this = other.text_;
}

TextString& TextString::Assign(const char* text) {
    return *this = text;
}

TextString& TextString::Append(const char* text) {
    const std::size_t old = LengthOf(text_);
    const std::size_t add = LengthOf(text);
    Replace(text_, old, text, add, old + add);
    return *this;
}

char* TextString::Reserve(int n) {
    if (n <= length_) return text_;
    Replace(text_, LengthOf(text_), nullptr, 0, static_cast<std::size_t>(n));
    return text_;
}

int TextString::Equals(const char* text) const {
    return std::strcmp(text_, text == nullptr ? "" : text) == 0 ? 1 : 0;
}

const char* TextString::At(int i) const {
    if (i < 0 || i > length_) return nullptr;
    return text_ + i;
}

char* TextString::At(int i) {
    if (i < 0 || i > length_) return nullptr;
    return text_ + i;
}

void TextString::Replace(const char* first, std::size_t firstLength, const char* second,
                         std::size_t secondLength, std::size_t capacity) {
    // The length is a 32-bit int; a text that long cannot be represented.
    if (capacity > static_cast<std::size_t>(INT_MAX) - 1) throw std::bad_alloc();
    char* buffer = new char[capacity + 1]();
    if (firstLength > 0) std::memcpy(buffer, first, firstLength);
    if (secondLength > 0) std::memcpy(buffer + firstLength, second, secondLength);
    // Copy first, free afterwards: the arguments may point into the old buffer.
    delete[] text_;
    text_ = buffer;
    length_ = static_cast<int>(capacity);
}

}  // namespace zv::fw
