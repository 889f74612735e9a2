#include "common/FixedText.h"

#include <cstring>

#include "platform/Cp936.h"

namespace {

// A byte in this range starts a two-byte character; every other byte stands alone.
bool IsLeadByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x81 && b <= 0xFE;
}

}  // namespace

std::string ReadFixedText(const char* field, std::size_t width) {
  return Cp936ToUtf8(FixedBytes(field, width));
}

std::string_view FixedBytes(const char* field, std::size_t width) {
  const void* nul = std::memchr(field, '\0', width);
  const std::size_t length =
      nul == nullptr ? width : static_cast<std::size_t>(static_cast<const char*>(nul) - field);
  return std::string_view(field, length);
}

void WriteFixedText(char* field, std::size_t width, std::string_view utf8) {
  if (width == 0) return;
  const std::string encoded = Utf8ToCp936(utf8);
  const std::string_view kept = CutCp936(encoded, width - 1);
  std::memcpy(field, kept.data(), kept.size());
  field[kept.size()] = '\0';
}

std::string_view CutCp936(std::string_view cp936, std::size_t maxBytes) {
  std::size_t end = 0;
  while (end < cp936.size()) {
    const std::size_t next = IsLeadByte(cp936[end]) && end + 1 < cp936.size() ? end + 2 : end + 1;
    if (next > maxBytes) break;
    end = next;
  }
  return cp936.substr(0, end);
}
