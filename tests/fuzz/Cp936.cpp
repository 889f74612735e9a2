// The code page 936 helpers: decoding and encoding, the encoded length, cutting on a character
// boundary and fixed-width text fields, over the input taken both as code page 936 bytes and as
// UTF-8 text.

#include <string>
#include <string_view>

#include "common/FixedText.h"
#include "platform/Cp936.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr std::size_t kFieldWidth = 40;  // a name field

// True when the bytes are well-formed UTF-8 (no surrogates, no overlong forms).
bool IsUtf8(std::string_view text) {
  constexpr std::uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t more = 0;
    std::uint32_t code = lead;
    if (lead >= 0x80) {
      if ((lead & 0xE0) == 0xC0) {
        more = 1;
      } else if ((lead & 0xF0) == 0xE0) {
        more = 2;
      } else if ((lead & 0xF8) == 0xF0) {
        more = 3;
      } else {
        return false;
      }
      code = lead & (0x7F >> (more + 1));
    }
    if (text.size() - i <= more) return false;
    for (std::size_t k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < kLeast[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += more + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t cut = input.ConsumeIntegralInRange<std::size_t>(0, 64);
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  // As code page 936 bytes.
  const std::string decoded = Cp936ToUtf8(bytes);
  FUZZ_CHECK(IsUtf8(decoded));
  const std::string_view front = CutCp936(bytes, cut);
  FUZZ_CHECK(front.size() <= cut && std::string_view(bytes).starts_with(front));
  // A cut on a character boundary decodes as the front of the whole text, as long as the front
  // is all characters (the decoder drops a byte that starts no character and reads on from the
  // next one, so a pair that decodes to nothing may be read otherwise in the longer text).
  const std::string frontDecoded = Cp936ToUtf8(front);
  if (frontDecoded.find("\xEF\xBF\xBD") == std::string::npos) {
    FUZZ_CHECK(std::string_view(decoded).starts_with(frontDecoded));
  }

  // As UTF-8 text, the program's own side.
  const std::string encoded = Utf8ToCp936(bytes);
  FUZZ_CHECK(Cp936Length(bytes) == encoded.size());
  if (EncodableInCp936(bytes)) {
    FUZZ_CHECK(IsUtf8(bytes));
    FUZZ_CHECK(Cp936ToUtf8(encoded) == bytes);
  }
  char field[kFieldWidth];
  std::memset(field, 'x', sizeof field);
  WriteFixedText(field, sizeof field, bytes);
  const std::string_view stored = FixedBytes(field, sizeof field);
  FUZZ_CHECK(stored.size() < sizeof field);
  FUZZ_CHECK(std::string_view(encoded).starts_with(stored));
  FUZZ_CHECK(IsUtf8(ReadFixedText(field, sizeof field)));
  return 0;
}
