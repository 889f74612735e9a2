#include "common/Cp936.h"

#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "common/Errors.h"

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
const std::size_t kIconvFailed = static_cast<std::size_t>(-1);

// What stands for a refused sequence: the input bytes it takes (0 = stop) and their replacement.
struct Refusal {
  std::size_t Taken;
  std::string_view Replacement;
};

// One conversion descriptor per thread and direction: an iconv_t keeps shift state and must not
// be used by two threads at once.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw Exception(std::string("Cannot convert from ") + from + " to " + to + ": " +
                      std::strerror(errno));
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in` and returns the result. At each sequence iconv refuses (a byte sequence that
  // does not decode, a character the target cannot hold, a sequence cut off at the end),
  // onRefused(rest) says how many input bytes to drop (0 stops the conversion and returns
  // nullopt) and what to write in their place.
  template <class OnRefused>
  std::optional<std::string> Run(std::string_view in, std::size_t maxGrowth, OnRefused onRefused) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
    // Sized for the worst case, replacements included, so iconv never runs out of room.
    std::string out(in.size() * maxGrowth, '\0');
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0 && iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == kIconvFailed) {
      if (errno != EILSEQ && errno != EINVAL) {
        throw Exception(std::string("Code page 936 conversion failed: ") + std::strerror(errno));
      }
      const Refusal refusal = onRefused(std::string_view(inPtr, inLeft));
      if (refusal.Taken == 0) return std::nullopt;
      inPtr += refusal.Taken;
      inLeft -= refusal.Taken;
      std::memcpy(outPtr, refusal.Replacement.data(), refusal.Replacement.size());
      outPtr += refusal.Replacement.size();
      outLeft -= refusal.Replacement.size();
    }
    out.resize(static_cast<std::size_t>(outPtr - out.data()));
    return out;
  }

 private:
  iconv_t cd_;
};

Converter& Decoder() {
  thread_local Converter converter(kUtf8, kCodePage);
  return converter;
}

Converter& Encoder() {
  thread_local Converter converter(kCodePage, kUtf8);
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
    return Refusal{1, kReplacementUtf8};
  });
}

std::string Utf8ToCp936(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return *Encoder().Run(utf8, kEncodeGrowth, [](std::string_view rest) {
    return Refusal{Utf8SequenceLength(rest), kReplacementCp936};
  });
}

bool EncodableInCp936(std::string_view utf8) {
  if (IsAscii(utf8)) return true;
  return Encoder().Run(utf8, kEncodeGrowth, [](std::string_view) { return Refusal{0, {}}; })
      .has_value();
}

std::size_t Cp936Length(std::string_view utf8) {
  if (IsAscii(utf8)) return utf8.size();
  return Utf8ToCp936(utf8).size();
}
