#pragma once
// Code page 936 at the file, ini and device boundaries. The program's own texts are UTF-8.
// GBK double-byte characters, ASCII and the euro sign at 0x80, as the code page holds them.
// Safe from any thread: each thread converts with descriptors of its own. Raises Exception only
// when the system offers no code page 936 converter at all.

#include <cstddef>
#include <string>
#include <string_view>

// Decodes code page 936 bytes. Bytes that do not decode become U+FFFD.
std::string Cp936ToUtf8(std::string_view cp936);
// Encodes UTF-8 text; characters the code page cannot hold, and bytes that are not UTF-8,
// become '?'.
std::string Utf8ToCp936(std::string_view utf8);
// True when every character of the UTF-8 text has a code page 936 form (false for text that is
// not valid UTF-8).
bool EncodableInCp936(std::string_view utf8);
// Byte length of the text once encoded by Utf8ToCp936.
std::size_t Cp936Length(std::string_view utf8);
