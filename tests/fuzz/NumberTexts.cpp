// The number texts: ValueText of any double (with and without its exponent digits) must read
// back within its rounding to 5 significant digits; the strict integer and float conversions
// and the export's sampling step over the input taken as text.

#include <bit>
#include <cmath>
#include <string>

#include "common/StrConv.h"
#include "common/ValueText.h"
#include "history/parts/ExportFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// The longest text: "-1.2346E-308" with up to 4 exponent digits.
constexpr std::size_t kLongestValueText = 13;

void CheckValueText(double value, const std::string& text) {
  FUZZ_CHECK(!text.empty() && text.size() <= kLongestValueText);
  if (!std::isfinite(value)) return;
  const auto back = TryStrToFloat(text);
  FUZZ_CHECK(back.has_value());
  const long double error = std::fabs(*back - static_cast<long double>(value));
  // Half a unit in the fifth significant digit, with room for the conversions' own rounding.
  FUZZ_CHECK(error <= std::fabs(static_cast<long double>(value)) * 5.0001e-5L);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const double value = std::bit_cast<double>(input.ConsumeIntegral<std::uint64_t>());
  const int digits = input.ConsumeIntegralInRange(-1, 5);
  CheckValueText(value, ValueText(value));
  CheckValueText(value, ValueText(value, digits));
  CheckValueText(static_cast<float>(value), ValueText(static_cast<float>(value)));

  const std::string text = input.ConsumeRemainingBytesAsString();
  if (const auto number = TryStrToInt(text)) {
    FUZZ_CHECK(StrToInt(text) == *number);
    FUZZ_CHECK(TryStrToInt(std::to_string(*number)) == number);
  }
  if (const auto number = TryStrToFloat(text)) FUZZ_CHECK(!std::isnan(*number));
  if (const auto step = ParseExportStep(text)) FUZZ_CHECK(*step >= 0);
  return 0;
}
