#pragma once
// The runtime's strict number conversions that editors, settings and handlers use. Failures raise
// EConvertError with the runtime's texts:
//   "'%s' is not a valid integer value", "'%s' is not a valid floating point value".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An optionally signed decimal number, or hexadecimal digits after '$' (or "0x"), within 32 bits;
// blanks around it are not allowed; the empty text fails.
std::int32_t StrToInt(std::string_view text);
std::optional<std::int32_t> TryStrToInt(std::string_view text);
// A decimal number with optional fraction and exponent (extended precision), leading and trailing
// blanks allowed; the empty text fails.
long double StrToFloat(std::string_view text);
std::optional<long double> TryStrToFloat(std::string_view text);
