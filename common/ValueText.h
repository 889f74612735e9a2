#pragma once
// The text form of a number used by tiles, grids, text files, SMS messages, read-outs and the
// export: the runtime's general format with precision 5. At most 5 significant digits, rounded
// half away from zero, no trailing zeros or trailing decimal point, a leading minus for negative
// values. Plain notation when the rounded value is 0 or 0.0001 <= |v| < 100000; otherwise
// scientific: first digit, '.', remaining digits, 'E', '-' for a negative exponent, the exponent's
// digits (123456 -> "1.2346E5", 0.00001 -> "1E-5"). Negative zero gives "0"; NaN and the
// infinities give "NAN", "INF" and "-INF". The separator is always '.', whatever the C locale.
//
// Pure functions, safe from any thread; the result fits the string's small buffer, so a call
// does not allocate.

#include <string>

std::string ValueText(double value);
// The same with the "digits" argument of the general format: in scientific notation it is the
// minimum number of exponent digits (0..4; other values are taken as the nearer bound), e.g.
// ValueText(123456, 3) -> "1.2346E005", ValueText(0.00001, 3) -> "1E-005". It has no effect in
// plain notation.
std::string ValueText(double value, int digits);
