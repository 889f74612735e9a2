#include "station/app/parts/StationConfig.h"

#include <utility>

#include "station/app/parts/ConfigFile.h"
#include "station/app/parts/LoadReport.h"

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
