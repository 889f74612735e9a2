#include "history/ExportFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>
#include <vector>

#include "common/StrConv.h"
#include "common/ValueText.h"

namespace {

// A line step longer than any date range ends the export after its first line; holding it here
// keeps the running time from overflowing.
constexpr std::int64_t kLongestStepMs = std::numeric_limits<std::int64_t>::max() / 2;
constexpr std::string_view kLineEnd = "\r\n";

bool IsSelected(std::span<const std::uint8_t> selected, int channel) {
  return static_cast<std::size_t>(channel) < selected.size() && selected[channel] == 1;
}

// Whole intervals from fromMs to toMs, rounded up; 0 when toMs is not after fromMs.
std::int64_t IntervalsUpTo(std::int64_t fromMs, std::int64_t toMs, std::int64_t intervalMs) {
  const std::int64_t span = toMs - fromMs;
  return span <= 0 ? 0 : (span + intervalMs - 1) / intervalMs;
}

// The reason of the failure just met; streams do not always leave one in errno.
int LastError() { return errno != 0 ? errno : EIO; }

FileStatus Failed(FileError kind, std::string_view what, const std::string& path, int error) {
  return FileStatus::Fail(
      kind, std::string(what) + " " + path + ": " + std::generic_category().message(error));
}

}  // namespace

std::optional<std::int32_t> ParseExportStep(std::string_view text) {
  const std::optional<std::int32_t> step = TryStrToInt(text);
  if (!step || *step < 0) return std::nullopt;
  return step;
}

bool ExportRangeIsValid(TDateTime start, TDateTime end, TDateTime fileStart, TDateTime fileEnd) {
  const std::int64_t s = DateTimeToMs(start);
  const std::int64_t e = DateTimeToMs(end);
  return s <= e && s >= DateTimeToMs(fileStart) && e <= DateTimeToMs(fileEnd);
}

FileStatus HistoryExport::Open(const std::string& historyPath) {
  FileStatus status = reader_.Open(historyPath);
  if (!status.ok()) return status;
  const std::string refusal = HistoryFileRefusal(reader_);
  if (!refusal.empty()) return FileStatus::Fail(FileError::BadContent, refusal);
  timeline_ = TRecordTimeline::Of(reader_);
  return FileStatus::Ok();
}

std::int64_t HistoryExport::FirstRecord(TDateTime start) const {
  return IntervalsUpTo(timeline_.StartMs, DateTimeToMs(start), timeline_.IntervalMs);
}

std::int64_t HistoryExport::IntervalCount(TDateTime start, TDateTime end) const {
  return IntervalsUpTo(DateTimeToMs(start), DateTimeToMs(end), timeline_.IntervalMs);
}

std::string HistoryExport::HeaderLine(std::span<const std::uint8_t> selected) const {
  std::string line = "Time\t";
  for (int i = 0; i < reader_.ChannelCount(); ++i) {
    if (!IsSelected(selected, i)) continue;
    line += reader_.ChannelNameBytes(i);
    line += '\t';
  }
  line += kLineEnd;
  return line;
}

std::string HistoryExport::RecordLine(std::int64_t timeMs, const float* values,
                                      std::span<const std::uint8_t> selected) const {
  std::string line = FormatDateTime(kDisplayDateTimePattern, MsToDateTime(timeMs));
  line += '\t';
  for (int i = 0; i < reader_.ChannelCount(); ++i) {
    if (!IsSelected(selected, i)) continue;
    line += ValueText(values[i]);
    line += '\t';
  }
  line += kLineEnd;
  return line;
}

FileStatus HistoryExport::Write(const std::string& exportPath, TDateTime start, TDateTime end,
                                std::int32_t step, std::span<const std::uint8_t> selected,
                                const std::function<void()>& lineWritten) const {
  const std::string& historyPath = reader_.Path();
  std::error_code ignored;
  if (std::filesystem::equivalent(exportPath, historyPath, ignored)) {
    return FileStatus::Fail(
        FileError::BadContent,
        "Cannot export to " + exportPath + ": it is the history data file being exported");
  }
  std::ifstream source(historyPath, std::ios::binary);
  if (!source) return Failed(FileError::Io, "Cannot open", historyPath, LastError());
  std::ofstream out(exportPath, std::ios::binary | std::ios::trunc);
  if (!out) return Failed(FileError::Io, "Cannot create the export file", exportPath, LastError());
  int writeError = WriteLines(source, out, start, end, step, selected, lineWritten);
  errno = 0;
  out.close();
  if (writeError == 0 && out.fail()) writeError = LastError();
  if (writeError != 0) {
    return Failed(FileError::Io, "Cannot write the export file", exportPath, writeError);
  }
  return FileStatus::Ok();
}

int HistoryExport::WriteLines(std::ifstream& source, std::ofstream& out, TDateTime start,
                              TDateTime end, std::int32_t step,
                              std::span<const std::uint8_t> selected,
                              const std::function<void()>& lineWritten) const {
  const std::int64_t recordBytes = std::int64_t{reader_.ChannelCount()} * sizeof(float);
  source.seekg(kHistoryHeaderSize + FirstRecord(start) * recordBytes);
  errno = 0;
  const std::string header = HeaderLine(selected);
  if (!out.write(header.data(), std::ssize(header))) return LastError();

  const std::int64_t stepMs = static_cast<std::int64_t>(std::min<__int128>(
      static_cast<__int128>(step + std::int64_t{1}) * timeline_.IntervalMs, kLongestStepMs));
  const std::int64_t endMs = DateTimeToMs(end);
  std::vector<float> values(reader_.ChannelCount());
  for (std::int64_t t = DateTimeToMs(start); t <= endMs; t += stepMs) {
    if (!source.read(reinterpret_cast<char*>(values.data()), recordBytes)) break;
    const std::string line = RecordLine(t, values.data(), selected);
    if (!out.write(line.data(), std::ssize(line))) return LastError();
    if (lineWritten) lineWritten();
    if (step > 0) source.seekg(step * recordBytes, std::ios::cur);  // skipped, never read
  }
  return 0;
}
