#include "station/app/parts/StationConfig.h"

#include <utility>

#include "station/app/parts/ConfigFile.h"

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

void TStationConfig::NoteProblem(std::string problem) {
  if (!problem.empty()) loadProblems_.push_back(std::move(problem));
}

void TStationConfig::LoadMeterTable() { NoteProblem(::LoadMeterTable(Path(), table_, files_)); }

void TStationConfig::LoadChartBackColor() {
  NoteProblem(::LoadChartBackColor(Path(), chartBackColor_, files_));
}

void TStationConfig::LoadPassword() {
  std::string unreadReason;
  NoteProblem(::LoadPassword(Path(), password_, &unreadReason, files_));
  access_.PasswordLoaded(std::move(unreadReason));
}

void TStationConfig::LoadBaudTable() {
  NoteProblem(::LoadBaudTable(Path(), table_.PortBaudIndex, files_));
}

void TStationConfig::LoadCurveRange() {
  NoteProblem(::LoadCurveRange(Path(), curveRangeLow_, curveRangeHigh_, files_));
}

std::vector<std::string> TStationConfig::TakeLoadProblems() {
  return std::exchange(loadProblems_, {});
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
