#include "station/app/parts/StationConfig.h"

#include <cfloat>
#include <cmath>
#include <optional>
#include <utility>

#include "common/StrConv.h"
#include "common/ValueText.h"
#include "station/app/parts/ConfigFile.h"
#include "station/app/parts/LoadReport.h"

namespace {

// Exponent digits of the range edits' general format.
constexpr int kRangeExponentDigits = 3;

constexpr const char* kDataErrorText = "Data Error!";
constexpr const char* kRangeOrderText =
    "Please set the trend' high range value higher than the trend' low range value!";

// A range edit's number, truncated toward zero to a whole number; none when the text is not a
// number or the whole number does not fit a float32.
std::optional<float> RangeValue(const std::string& text) {
  const std::optional<long double> value = TryStrToFloat(text);
  if (!value) return std::nullopt;
  const long double whole = std::trunc(*value);
  if (std::fabs(whole) > FLT_MAX) return std::nullopt;
  return static_cast<float>(whole);
}

}  // namespace

TCurveRangeEntry CheckCurveRange(const std::string& lowText, const std::string& highText) {
  const std::optional<float> low = RangeValue(lowText);
  const std::optional<float> high = RangeValue(highText);
  if (!low || !high) return {};
  if (!(*low < *high)) return {TCurveRangeCheck::NotAscending};
  return {TCurveRangeCheck::Accepted, *low, *high};
}

const char* CurveRangeRefusal(TCurveRangeCheck check) {
  switch (check) {
    case TCurveRangeCheck::Accepted:
      return nullptr;
    case TCurveRangeCheck::NotANumber:
      return kDataErrorText;
    case TCurveRangeCheck::NotAscending:
      return kRangeOrderText;
  }
  return nullptr;
}

std::string CurveRangeText(float value) { return ValueText(value, kRangeExponentDigits); }

TStationConfig::TStationConfig(std::function<std::string()> path, FileSystem& files)
    : path_(std::move(path)), files_(files) {}

FileStatus TStationConfig::CreateFileIfMissing() {
  bool created = false;
  const FileStatus status = CreateConfigFileIfMissing(Path(), &created, files_);
  if (created) {
    table_.MeterCount = 0;
    password_ = std::string(kDefaultPassword);
  }
  return status;
}

void TStationConfig::ClearOnlineStates() {
  for (TMeterRecord& meter : table_.Meters) {
    meter.FailureCount.store(0, std::memory_order_relaxed);
    meter.Online.store(0, std::memory_order_relaxed);
  }
}

void TStationConfig::LoadMeterTable() {
  AddReport(loadProblems_, ::LoadMeterTable(Path(), table_, files_));
}

void TStationConfig::LoadChartBackColor() {
  AddReport(loadProblems_, ::LoadChartBackColor(Path(), chartBackColor_, files_));
}

void TStationConfig::LoadPassword() {
  std::string unreadReason;
  AddReport(loadProblems_, ::LoadPassword(Path(), password_, &unreadReason, files_));
  access_.PasswordLoaded(std::move(unreadReason));
}

void TStationConfig::LoadBaudTable() {
  AddReport(loadProblems_, ::LoadBaudTable(Path(), table_.PortBaudIndex, files_));
}

void TStationConfig::LoadCurveRange() {
  AddReport(loadProblems_, ::LoadCurveRange(Path(), curveRangeLow_, curveRangeHigh_, files_));
}

Reports TStationConfig::TakeLoadProblems() {
  // A file that cannot be read at all fails every load alike: one line says what was not loaded.
  return GroupNotLoaded(std::exchange(loadProblems_, {}));
}

FileStatus TStationConfig::SaveMeterTable() const {
  return ::SaveMeterTable(Path(), table_, files_);
}

FileStatus TStationConfig::SaveBaudTable() const {
  return ::SaveBaudTable(Path(), table_.PortBaudIndex, files_);
}

FileStatus TStationConfig::SetChartBackColor(std::int32_t color) {
  chartBackColor_ = color;
  return ::SaveChartBackColor(Path(), color, files_);
}

FileStatus TStationConfig::SetCurveRange(float low, float high) {
  curveRangeLow_ = low;
  curveRangeHigh_ = high;
  return ::SaveCurveRange(Path(), low, high, files_);
}

FileStatus TStationConfig::ChangePassword(std::string password) {
  std::string previous = std::exchange(password_, std::move(password));
  const FileStatus status = ::SavePassword(Path(), password_, files_);
  if (!status.ok()) password_ = std::move(previous);
  return status;
}
