#include "common/ValueText.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct Case {
  double Value;
  const char* Text;
};

void ExpectAll(std::initializer_list<Case> cases, int digits = 0) {
  for (const Case& c : cases) {
    EXPECT_EQ(ValueText(c.Value, digits), c.Text) << "value " << c.Value << " digits " << digits;
  }
}

TEST(ValueText, DocumentedExamples) {
  ExpectAll({{12.5, "12.5"}, {3, "3"}, {-0.0001, "-0.0001"}, {0, "0"}, {123456, "1.2346E5"},
             {0.00001, "1E-5"}, {-1.5e-7, "-1.5E-7"}, {1200, "1200"}, {123.456789, "123.46"}});
}

TEST(ValueText, PlainRangeFollowsTheRoundedValue) {
  ExpectAll({{99999.4, "99999"}, {99999.5, "1E5"}, {100000, "1E5"}, {-99999.5, "-1E5"},
             {0.0001, "0.0001"}, {0.00009999951, "0.0001"}, {0.000099999, "9.9999E-5"},
             {0.00012345, "0.00012345"}});
}

TEST(ValueText, TiesRoundHalfAwayFromZero) {
  // printf rounds these exact ties to even; the runtime's digit string rounds them up.
  ExpectAll({{10000.5, "10001"}, {-10000.5, "-10001"}, {123465, "1.2347E5"},
             {1.00005e20, "1.0001E20"}});
}

TEST(ValueText, CarryThroughAllNines) {
  ExpectAll({{9.999951, "10"}, {0.999996, "1"}, {999995, "1E6"}, {-9.999951e-9, "-1E-8"}});
}

TEST(ValueText, Float32InputsWidenedToDouble) {
  ExpectAll({{0.1f, "0.1"}, {-20.0f, "-20"}, {3.3f, "3.3"}, {-0.3f, "-0.3"},
             {12345.678f, "12346"}, {1e-5f, "1E-5"}});
}

TEST(ValueText, SpecialValues) {
  constexpr auto kInf = std::numeric_limits<double>::infinity();
  ExpectAll({{-0.0, "0"}, {std::numeric_limits<double>::quiet_NaN(), "NAN"}, {kInf, "INF"},
             {-kInf, "-INF"}, {std::numeric_limits<double>::max(), "1.7977E308"},
             {std::numeric_limits<double>::denorm_min(), "4.9407E-324"}});
}

TEST(ValueText, DigitsPadTheExponentOnly) {
  ExpectAll({{123456, "1.2346E005"}, {0.00001, "1E-005"}, {1e100, "1E100"}, {12.5, "12.5"},
             {0, "0"}}, 3);
  ExpectAll({{1.5e-300, "1.5E-0300"}}, 4);
  ExpectAll({{123456, "1.2346E0005"}}, 255);  // held to 4
  ExpectAll({{123456, "1.2346E5"}}, -3);
}

}  // namespace
