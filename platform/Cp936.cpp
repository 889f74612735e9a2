#include "platform/Cp936.h"

#include <algorithm>

#include "platform/CodeConverter.h"

namespace {

constexpr char kCodePage[] = "CP936";
constexpr char kUtf8[] = "UTF-8";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kReplacementCp936 = "?";
// Growth of a text in bytes: a code page 936 byte or pair becomes at most 3 UTF-8 bytes (a lone
// byte that does not decode becomes U+FFFD, also 3); UTF-8 never grows when encoded (a refused
// sequence of 1 to 4 bytes becomes one '?').
constexpr std::size_t kDecodeGrowth = 3;
constexpr std::size_t kEncodeGrowth = 1;

// One conversion descriptor per thread and direction: a descriptor keeps shift state and must
// not be used by two threads at once.
CodeConverter& Decoder() {
  thread_local CodeConverter converter(kUtf8, kCodePage);
  return converter;
}

CodeConverter& Encoder() {
  thread_local CodeConverter converter(kCodePage, kUtf8);
  return converter;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Bytes of the UTF-8 sequence that starts the text: its lead byte and the continuation bytes
// that follow it, up to the length the lead byte announces (1 for a stray byte).
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  std::size_t n = 1;
  while (n < expected && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
    ++n;
  }
  return n;
}

}  // namespace

std::string Cp936ToUtf8(std::string_view cp936) {
  if (IsAscii(cp936)) return std::string(cp936);
  return *Decoder().Run(cp936, kDecodeGrowth, [](std::string_view) {
    return CodeRefusal{1, kReplacementUtf8};
  });
}

std::string Utf8ToCp936(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return *Encoder().Run(utf8, kEncodeGrowth, [](std::string_view rest) {
    return CodeRefusal{Utf8SequenceLength(rest), kReplacementCp936};
  });
}

bool EncodableInCp936(std::string_view utf8) {
  if (IsAscii(utf8)) return true;
  return Encoder().Run(utf8, kEncodeGrowth, [](std::string_view) { return CodeRefusal{0, {}}; })
      .has_value();
}

std::size_t Cp936Length(std::string_view utf8) {
  if (IsAscii(utf8)) return utf8.size();
  return Utf8ToCp936(utf8).size();
}
