#include "history/parts/ExportFile.h"

#include <algorithm>
#include <limits>
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

// A failure of the export, in its words; whatever the system said, it is an I/O error.
FileStatus Failed(const FileStatus& status, std::string_view what, const std::string& path) {
  FileStatus failed = status.As(what, path);
  failed.Error = FileError::Io;
  return failed;
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
  FileSystem& files = SystemFiles();
  if (files.SameFile(exportPath, historyPath)) {
    return FileStatus::Fail(
        FileError::BadContent,
        "Cannot export to " + exportPath + ": it is the history data file being exported");
  }
  OpenedFile source = files.OpenExisting(historyPath, FileAccess::Read);
  if (!source.Status.ok()) return Failed(source.Status, "Cannot open", historyPath);
  OpenedFile out = files.CreateOrEmpty(exportPath);
  if (!out.Status.ok()) return Failed(out.Status, "Cannot create the export file", exportPath);
  FileStatus status = WriteLines(*source.Handle, *out.Handle, start, end, step, selected,
                                 lineWritten);
  const FileStatus closed = out.Handle->Close();
  if (status.ok()) status = closed;
  if (!status.ok()) return Failed(status, "Cannot write the export file", exportPath);
  return FileStatus::Ok();
}

FileStatus HistoryExport::WriteLines(File& source, File& out, TDateTime start, TDateTime end,
                                     std::int32_t step, std::span<const std::uint8_t> selected,
                                     const std::function<void()>& lineWritten) const {
  const std::int64_t recordBytes = std::int64_t{reader_.ChannelCount()} * sizeof(float);
  SequentialReader records(source, kHistoryHeaderSize + FirstRecord(start) * recordBytes);
  AppendBuffer lines(out);
  FileStatus status = lines.Append(HeaderLine(selected));
  if (!status.ok()) return status;

  const std::int64_t stepMs = static_cast<std::int64_t>(std::min<__int128>(
      static_cast<__int128>(step + std::int64_t{1}) * timeline_.IntervalMs, kLongestStepMs));
  const std::int64_t endMs = DateTimeToMs(end);
  std::vector<float> values(reader_.ChannelCount());
  const auto wanted = static_cast<std::size_t>(recordBytes);
  for (std::int64_t t = DateTimeToMs(start); t <= endMs; t += stepMs) {
    // A record that cannot be read whole ends the export, whether the file ends or fails.
    std::size_t got = 0;
    if (!records.Read(values.data(), wanted, got).ok() || got < wanted) break;
    status = lines.Append(RecordLine(t, values.data(), selected));
    if (!status.ok()) return status;
    if (lineWritten) lineWritten();
    if (step > 0) records.Skip(step * recordBytes);  // skipped, never read
  }
  return lines.Flush();
}
