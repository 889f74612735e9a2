#include "common/StrConv.h"

#include <cfloat>
#include <charconv>
#include <cmath>

#include "platform/Errors.h"

namespace {

constexpr std::uint64_t kMaxHexValue = 0xFFFFFFFFu;
constexpr std::uint64_t kMaxPositive = 2147483647u;
constexpr std::uint64_t kMaxNegative = 2147483648u;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hexadecimal digits as the 32-bit pattern they spell ($FFFFFFFF is -1, as the runtime has it).
std::optional<std::uint32_t> ParseHex(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    const int d = HexDigitValue(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(d);
    if (value > kMaxHexValue) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

std::optional<std::uint64_t> ParseDecimal(std::string_view digits, std::uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return value;
}

std::size_t SkipDigits(std::string_view text, std::size_t i) {
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i;
}

// True when the whole text is [sign] digits [. digits] [E [sign] digits] with at least one digit
// before the exponent.
bool IsDecimalNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t intStart = i;
  i = SkipDigits(text, i);
  std::size_t mantissaDigits = i - intStart;
  if (i < text.size() && text[i] == '.') {
    const std::size_t fracStart = ++i;
    i = SkipDigits(text, i);
    mantissaDigits += i - fracStart;
  }
  if (mantissaDigits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t expStart = i;
    i = SkipDigits(text, i);
    if (i == expStart) return false;
  }
  return i == text.size();
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The hexadecimal digits after '$', or none when the text is not written in hex. "0x" is no
// prefix here: an editor refuses "0x10" as it refuses any other text that is not a number.
std::optional<std::string_view> HexDigits(std::string_view unsignedText) {
  if (!unsignedText.empty() && unsignedText[0] == '$') return unsignedText.substr(1);
  return std::nullopt;
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  const bool signed_ = !text.empty() && (text[0] == '-' || text[0] == '+');
  const std::string_view rest = signed_ ? text.substr(1) : text;
  if (const auto hex = HexDigits(rest)) {
    const auto pattern = ParseHex(*hex);
    if (!pattern) return std::nullopt;
    return static_cast<std::int32_t>(negative ? 0u - *pattern : *pattern);
  }
  const auto value = ParseDecimal(rest, negative ? kMaxNegative : kMaxPositive);
  if (!value) return std::nullopt;
  const auto magnitude = static_cast<std::int64_t>(*value);
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t StrToInt(std::string_view text) {
  if (const auto value = TryStrToInt(text)) return *value;
  throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

std::optional<long double> TryStrToFloat(std::string_view text) {
  std::string_view number = TrimBlanks(text);
  if (!IsDecimalNumber(number)) return std::nullopt;
  if (number[0] == '+') number.remove_prefix(1);  // from_chars takes no plus sign
  long double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec != std::errc() || result.ptr != number.data() + number.size()) return std::nullopt;
  return value;
}

long double StrToFloat(std::string_view text) {
  if (const auto value = TryStrToFloat(text)) return *value;
  throw EConvertError(NotAFloatText(text));
}

std::string NotAFloatText(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid floating point value";
}

std::optional<float> FiniteFloat32(long double value) {
  if (!(std::fabs(value) <= FLT_MAX)) return std::nullopt;
  return static_cast<float>(value);
}
