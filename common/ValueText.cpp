#include "common/ValueText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// The runtime first turns a value into this many correctly rounded significant digits and only
// then rounds that digit string to the precision asked for. Rounding the value straight to 5
// digits gives different results at ties (10000.5 must give 10001), so both steps are kept.
constexpr int kRuntimeDigits = 18;
constexpr int kPrecision = 5;
constexpr int kMaxExponentDigits = 4;
// Plain notation for scientific exponents kMinPlainExponent..kPrecision - 1, that is for
// 0.0001 <= |rounded value| < 100000.
constexpr int kMinPlainExponent = -4;

// A value rounded to kPrecision significant digits: Digits[0..Count) with no trailing zeros,
// the value being 0.d1d2... scaled so that Digits[0] stands for 10^Exponent.
struct RoundedDigits {
  bool Negative = false;
  bool Zero = false;
  char Digits[kPrecision] = {};
  int Count = 0;
  int Exponent = 0;
};

RoundedDigits RoundToPrecision(double value) {
  // "-d.ddddddddddddddddde-ddd" fits comfortably.
  char text[40];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific,
                                    kRuntimeDigits - 1);
  const char* p = text;
  RoundedDigits r;
  if (*p == '-') {
    r.Negative = true;
    ++p;
  }
  char all[kRuntimeDigits];
  int n = 0;
  for (; p < result.ptr && *p != 'e'; ++p) {
    if (*p != '.' && n < kRuntimeDigits) all[n++] = *p;
  }
  int exponent = 0;
  if (p < result.ptr) std::from_chars(p + (p[1] == '+' ? 2 : 1), result.ptr, exponent);

  bool carry = n > kPrecision && all[kPrecision] >= '5';
  for (int i = kPrecision - 1; i >= 0 && carry; --i) {
    if (all[i] == '9') {
      all[i] = '0';
    } else {
      ++all[i];
      carry = false;
    }
  }
  if (carry) {  // 9.99995 and the like became 10.000
    all[0] = '1';
    ++exponent;
  }
  int count = kPrecision;
  while (count > 0 && all[count - 1] == '0') --count;
  if (count == 0) {
    r.Zero = true;
    return r;
  }
  for (int i = 0; i < count; ++i) r.Digits[i] = all[i];
  r.Count = count;
  r.Exponent = exponent;
  return r;
}

// Writes the digits in plain notation; returns the end of the text.
char* WritePlain(const RoundedDigits& r, char* out) {
  if (r.Exponent < 0) {
    *out++ = '0';
    *out++ = '.';
    for (int i = -1; i > r.Exponent; --i) *out++ = '0';
    for (int i = 0; i < r.Count; ++i) *out++ = r.Digits[i];
    return out;
  }
  for (int i = 0; i <= r.Exponent; ++i) *out++ = i < r.Count ? r.Digits[i] : '0';
  if (r.Count > r.Exponent + 1) {
    *out++ = '.';
    for (int i = r.Exponent + 1; i < r.Count; ++i) *out++ = r.Digits[i];
  }
  return out;
}

// Writes d[.ddd]E[-]x with at least minExponentDigits exponent digits.
char* WriteScientific(const RoundedDigits& r, int minExponentDigits, char* out) {
  *out++ = r.Digits[0];
  if (r.Count > 1) {
    *out++ = '.';
    for (int i = 1; i < r.Count; ++i) *out++ = r.Digits[i];
  }
  *out++ = 'E';
  if (r.Exponent < 0) *out++ = '-';
  char exponent[8];
  const auto end = std::to_chars(exponent, exponent + sizeof exponent, std::abs(r.Exponent)).ptr;
  for (int pad = minExponentDigits - static_cast<int>(end - exponent); pad > 0; --pad) *out++ = '0';
  for (const char* e = exponent; e < end; ++e) *out++ = *e;
  return out;
}

}  // namespace

std::string ValueText(double value) { return ValueText(value, 0); }

std::string ValueText(double value, int digits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  const RoundedDigits r = RoundToPrecision(value);
  if (r.Zero) return "0";

  // Longest text: "-1.2345E-0324" (13 characters), inside the string's small buffer.
  char text[24];
  char* out = text;
  if (r.Negative) *out++ = '-';
  if (r.Exponent >= kMinPlainExponent && r.Exponent < kPrecision) {
    out = WritePlain(r, out);
  } else {
    out = WriteScientific(r, std::clamp(digits, 0, kMaxExponentDigits), out);
  }
  return std::string(text, out);
}
