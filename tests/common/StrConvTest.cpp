#include "common/StrConv.h"

#include <gtest/gtest.h>

#include <cfloat>

#include "platform/Errors.h"

namespace {

TEST(StrToInt, DecimalAndHexadecimal) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"0", 0}, {"300", 300}, {"-1", -1}, {"+17", 17}, {"007", 7},
      {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
      {"$ff", 255}, {"$1F", 31}, {"$80000000", -2147483647 - 1},
      {"$FFFFFFFF", -1}, {"$000000000FFFFFFFF", -1}, {"-$10", -16}, {"+$10", 16}};
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToInt(text), value) << text;
}

TEST(StrToInt, RefusesEverythingElse) {
  for (const char* text : {"", " ", "+", "-", "$", "0x", "12 ", " 12", "12a", "1.0", "$G", "$-1",
                           "--1", "2147483648", "-2147483649", "99999999999999999999",
                           "$100000000", "0x1F", "0X1f", "+0x10", "0x10"}) {
    EXPECT_FALSE(TryStrToInt(text).has_value()) << "'" << text << "'";
  }
  try {
    StrToInt("12ab");
    FAIL() << "no error raised";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12ab' is not a valid integer value");
  }
}

TEST(StrToFloat, DecimalNumbersInExtendedPrecision) {
  const std::pair<const char*, long double> cases[] = {
      {"12.5", 12.5L}, {"-3", -3.0L}, {"+3", 3.0L}, {".5", 0.5L}, {"5.", 5.0L}, {"1e3", 1e3L},
      {"-2.5E+1", -25.0L}, {"  42  ", 42.0L}, {"0.1", 0.1L}, {"1e4000", 1e4000L}};
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToFloat(text), value) << text;
  EXPECT_NE(StrToFloat("0.1"), static_cast<long double>(0.1));
}

TEST(StrToFloat, RefusesEverythingElse) {
  for (const char* text : {"", "   ", ".", "-", "e5", "1e", "1e+", "1,5", "1.5.2", "12a", "0x10",
                           "inf", "NAN", "1 2", "\t1", "1e99999"}) {
    EXPECT_FALSE(TryStrToFloat(text).has_value()) << "'" << text << "'";
  }
  try {
    StrToFloat("abc");
    FAIL() << "no error raised";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
  }
}

TEST(FiniteFloat32, NumbersBeyondFloat32AreRefused) {
  EXPECT_EQ(FiniteFloat32(123456.789L), 123456.789f);
  EXPECT_EQ(FiniteFloat32(static_cast<long double>(FLT_MAX)), FLT_MAX);
  EXPECT_EQ(FiniteFloat32(-static_cast<long double>(FLT_MAX)), -FLT_MAX);
  EXPECT_EQ(FiniteFloat32(1e-50L), 0.0f);
  for (const long double value : {1e39L, -1e40L, 3.4028236e38L, 1e4000L}) {
    EXPECT_FALSE(FiniteFloat32(value).has_value()) << static_cast<double>(value);
  }
}

}  // namespace
