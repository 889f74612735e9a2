// The decimals scaling, bit for bit, over every register value and every decimals setting.

#include <bit>
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "station/comm/MeterComm.h"

namespace {

// The extended-precision number nearest 0.1: mantissa 0xCCCCCCCCCCCCCCCD, exponent -67, built
// from its bits rather than from a literal.
long double ExtendedTenth() { return std::ldexp(static_cast<long double>(0xCCCCCCCCCCCCCCCDull), -67); }

// Straightforward reference: multiply by that constant in 80 bits, round to float32 each step.
float Reference(std::int16_t raw, int decimals) {
  const long double tenth = ExtendedTenth();
  float value = static_cast<float>(raw);
  for (int i = 0; i < decimals; ++i) value = static_cast<float>(value * tenth);
  return value;
}

TEST(ScaleRegister, MatchesTheExtendedPrecisionReferenceForEveryRegisterAndDecimals) {
  int mismatches = 0;
  for (int decimals = 0; decimals <= kMaxDecimals; ++decimals) {
    for (int r = -32768; r <= 32767; ++r) {
      const auto raw = static_cast<std::int16_t>(r);
      const float got = ScaleRegister(raw, decimals);
      if (std::bit_cast<std::uint32_t>(got) != std::bit_cast<std::uint32_t>(Reference(raw, decimals))) {
        if (++mismatches <= 5) ADD_FAILURE() << "register " << r << ", decimals " << decimals;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(ScaleRegister, KnownBitPatternsDifferFromTheNearestFloat) {
  EXPECT_EQ(std::bit_cast<std::uint32_t>(ScaleRegister(3, 2)), 0x3CF5C290u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(0.03f), 0x3CF5C28Fu);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(ScaleRegister(1, 3)), 0x3A83126Eu);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(0.001f), 0x3A83126Fu);
}

TEST(ScaleRegister, OneDivisionByAPowerOfTenWouldNotDo) {
  // The reference must be able to tell the step-by-step method from the obvious one.
  int differ = 0;
  for (int decimals = 1; decimals <= kMaxDecimals; ++decimals) {
    for (int r = -32768; r <= 32767; ++r) {
      const auto raw = static_cast<std::int16_t>(r);
      const float divided = static_cast<float>(raw / std::pow(10.0, decimals));
      differ += ScaleRegister(raw, decimals) != divided;
    }
  }
  EXPECT_GT(differ, 0);
}

}  // namespace
