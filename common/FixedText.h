#pragma once
// NUL-terminated text in fixed-width record fields (code page 936 bytes). A field of width w holds
// at most w - 1 bytes; longer texts are cut on a character boundary, never inside a double-byte
// character (a byte 0x81..0xFE starts a two-byte character; a lone one at the very end of a text
// counts as one byte). Pure functions, safe from any thread; nothing is read or written outside
// the field's width.

#include <cstddef>
#include <string>
#include <string_view>

// The field's text up to its first NUL (all of the field when there is none), as UTF-8.
std::string ReadFixedText(const char* field, std::size_t width);
// The field's raw bytes up to the first NUL (or the whole width).
std::string_view FixedBytes(const char* field, std::size_t width);
// Writes UTF-8 text into the field as code page 936, cut to width - 1 bytes on a character
// boundary, followed by one NUL. The bytes behind the NUL keep what they held. A width of 0
// writes nothing.
void WriteFixedText(char* field, std::size_t width, std::string_view utf8);
// Cuts code page 936 bytes to at most maxBytes on a character boundary.
std::string_view CutCp936(std::string_view cp936, std::size_t maxBytes);

template <std::size_t N>
std::string ReadFixedText(const char (&field)[N]) {
  return ReadFixedText(field, N);
}
template <std::size_t N>
void WriteFixedText(char (&field)[N], std::string_view utf8) {
  WriteFixedText(field, N, utf8);
}
template <std::size_t N>
std::string_view FixedBytes(const char (&field)[N]) {
  return FixedBytes(field, N);
}
