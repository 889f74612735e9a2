#pragma once
// The runtime's strict number conversions that editors, settings and handlers use. Failures raise
// EConvertError with the runtime's texts:
//   "'%s' is not a valid integer value", "'%s' is not a valid floating point value".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Pure functions, safe from any thread; locale-independent ('.' is always the separator).

// An optionally signed decimal number (-2147483648..2147483647), or an optional sign and
// hexadecimal digits after '$' spelling at most 32 bits, taken as the 32-bit pattern
// ($FFFFFFFF = -1); blanks around it are not allowed; "0x" is no hex prefix; the empty text fails.
std::int32_t StrToInt(std::string_view text);
std::optional<std::int32_t> TryStrToInt(std::string_view text);
// A decimal number: optional sign, digits with an optional '.' fraction (at least one digit in
// all), optional exponent E[sign]digits; read in extended precision. Leading and trailing blanks
// are allowed; the empty text, "INF", "NAN" and a value beyond the extended range fail.
long double StrToFloat(std::string_view text);
std::optional<long double> TryStrToFloat(std::string_view text);
// The text StrToFloat fails with: "'<text>' is not a valid floating point value".
std::string NotAFloatText(std::string_view text);
// The float32 nearest to `value`, or none when it lies beyond float32's finite range (the
// conversion itself would be undefined there). For numbers that a float32 field takes.
std::optional<float> FiniteFloat32(long double value);
