#pragma once

#include <cstddef>

namespace zv::fw {

// A small owning string: a length and a heap copy of the characters. Every operation that
// replaces the text copies first and frees the old buffer afterwards, so a string may be
// given its own text (or its own buffer) as the argument.
class TextString {
  public:
    TextString();
    explicit TextString(const char* text);  // null counts as ""
    TextString(const TextString& other);
    ~TextString();

    TextString& operator=(const char* text);
    TextString& operator=(const TextString& other);
    // The second assignment from a plain text; the same as operator=.
    TextString& Assign(const char* text);

    TextString& Append(const char* text);

    // Makes room for n characters (plus the terminating zero) and returns the buffer for the
    // caller to write into; the current text is kept and the rest is zero. When the length
    // is already at least n, returns the current buffer unchanged.
    char* Reserve(int n);

    // 1 when the texts are equal character for character, else 0.
    int Equals(const char* text) const;

    // Pointer to character i, or null when i lies outside 0..length (the terminating zero
    // is the last character that can be addressed).
    const char* At(int i) const;
    char* At(int i);

    const char* Text() const { return text_; }
    // The capacity in characters: the text length after every assignment and append.
    int Length() const { return length_; }

  private:
    void Replace(const char* first, std::size_t firstLength, const char* second,
                 std::size_t secondLength, std::size_t capacity);

    int length_ = 0;
    char* text_ = nullptr;  // never null: at least the terminating zero
};

}  // namespace zv::fw
