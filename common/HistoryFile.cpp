#include "common/HistoryFile.h"

#include <algorithm>
#include <cstring>

#include "common/FixedText.h"

namespace {

constexpr std::int64_t kMsPerSecond = 1000;

// Offset from record 0 to record k in milliseconds, kept within the 64-bit range.
std::int64_t RecordOffsetMs(std::int64_t k, std::int32_t intervalSeconds) {
  const __int128 ms = static_cast<__int128>(k) * intervalSeconds * kMsPerSecond;
  constexpr __int128 kLimit = std::numeric_limits<std::int64_t>::max() / 2;
  return static_cast<std::int64_t>(std::clamp<__int128>(ms, -kLimit, kLimit));
}

}  // namespace

std::unique_ptr<THistoryFileHeader> NewHistoryHeader() {
  return std::make_unique<THistoryFileHeader>();  // value-initialised: all zero
}

void SetHistoryNameSlot(THistoryFileHeader& header, int slot, std::string_view meterNameCp936,
                        std::string_view channelNameCp936) {
  if (slot < 0 || slot >= kHistoryNameSlots) return;
  char* text = header.ChannelNames[slot];
  std::memset(text, 0, kHistoryNameSlotSize);
  const auto upToNul = [](std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); };
  const std::string_view meter = CutCp936(upToNul(meterNameCp936), kHistoryNamePartMax);
  const std::string_view channel = CutCp936(upToNul(channelNameCp936), kHistoryNamePartMax);
  std::memcpy(text, meter.data(), meter.size());
  std::memcpy(text + meter.size(), channel.data(), channel.size());
}

std::int64_t HistoryRecordCount(std::int64_t fileSize, int channelCount) {
  if (channelCount <= 0 || fileSize <= kHistoryHeaderSize) return 0;
  const std::int64_t recordBytes = static_cast<std::int64_t>(channelCount) * sizeof(float);
  return (fileSize - kHistoryHeaderSize) / recordBytes;
}

// ---- Writer ----------------------------------------------------------------------------------

FileStatus CreateHistoryFile(const std::string& path, const THistoryFileHeader& header) {
  return CreateNewFile(path, &header, sizeof header);
}

FileStatus WriteHistoryRecords(const std::string& path, std::size_t recordBytes,
                               std::int64_t first, const void* records, std::size_t count,
                               HistoryWrite& result) {
  result = {};
  // A vanished file is not created again.
  OpenedFile opened = SystemFiles().OpenExisting(path, FileAccess::ReadWrite);
  if (!opened.Status.ok()) return opened.Status.As("Cannot open history file", path);
  File& file = *opened.Handle;
  std::int64_t size = 0;
  const FileStatus sized = file.Size(size);
  if (!sized.ok()) return sized.As("Cannot read the size of history file", path);
  result.FoundSize = size;
  if (size < kHistoryHeaderSize) {
    return FileStatus::Fail(FileError::BadContent,
                            "History file " + path + " is shorter than its header");
  }
  const auto step = static_cast<std::int64_t>(recordBytes);
  const std::int64_t at = kHistoryHeaderSize + first * step;
  const std::size_t bytes = count * recordBytes;
  std::size_t put = 0;
  const FileStatus wrote = file.WriteAt(at, records, bytes, &put);
  const FileStatus closed = file.Close();
  if (wrote.ok() && closed.ok()) {
    result.Written = count;
    const std::int64_t end = at + static_cast<std::int64_t>(bytes);
    // Bytes someone else put behind the period's records would read as records of later times.
    if (size > end) (void)SystemFiles().Resize(path, end);
    return FileStatus::Ok();
  }
  // A failed close may have lost any of it: only the records in front of a refused write are
  // taken as written, and the file is cut back behind them.
  result.Written = closed.ok() ? put / recordBytes : 0;
  const std::int64_t kept = at + static_cast<std::int64_t>(result.Written) * step;
  (void)SystemFiles().Resize(path, kept);
  return (wrote.ok() ? closed : wrote).As("Cannot write history file", path);
}

HistoryFileWriter::HistoryFileWriter(std::string path, int channelCount, HistoryRecordSink sink,
                                     std::size_t holdLimitBytes, std::int64_t recordsInFile)
    : path_(std::move(path)),
      channelCount_(std::clamp(channelCount, 0, kHistoryNameSlots)),
      sink_(sink ? std::move(sink) : HistoryRecordSink(WriteHistoryRecords)),
      holdLimitBytes_(holdLimitBytes),
      written_(std::max<std::int64_t>(recordsInFile, 0)) {}

HistoryFileWriter HistoryFileWriter::AwaitingFile(std::string path, int channelCount,
                                                  HistoryRecordSink sink,
                                                  std::size_t holdLimitBytes) {
  HistoryFileWriter writer(std::move(path), channelCount, std::move(sink), holdLimitBytes);
  writer.awaiting_ = true;
  return writer;
}

const std::string& HistoryFileWriter::Path() const {
  static const std::string kNone;
  return awaiting_ ? kNone : path_;
}

std::size_t HistoryFileWriter::RecordBytes() const {
  return static_cast<std::size_t>(channelCount_) * sizeof(float);
}

std::int64_t HistoryFileWriter::HeldRecords() const {
  return channelCount_ == 0 ? 0 : static_cast<std::int64_t>(held_.size()) / channelCount_;
}

WriteOutcome HistoryFileWriter::TakeFile(std::string path) {
  if (!awaiting_) return {};
  awaiting_ = false;
  path_ = std::move(path);
  if (held_.empty()) return {true, {}};
  return WriteHeld();
}

WriteOutcome HistoryFileWriter::Append(const float* values, int count, std::int64_t copies) {
  if (path_.empty() || vanished_ || ended_ || copies <= 0) return {};
  if (count != channelCount_) {
    return Failed(FileStatus::Fail(
        FileError::BadContent, "History file " + path_ + ": a record of " + std::to_string(count) +
                                   " values does not fit its " + std::to_string(channelCount_) +
                                   " channels"));
  }
  if (channelCount_ == 0) return {true, {}};  // records are empty: the file keeps its header
  for (std::int64_t copy = 0; copy < copies; ++copy) {
    held_.insert(held_.end(), values, values + count);
  }
  WriteOutcome outcome = awaiting_ ? WriteOutcome{} : WriteHeld();
  if (!held_.empty() && held_.size() * sizeof(float) > holdLimitBytes_) {
    // The file keeps what it has, at the right times; the held records are given up. The
    // operator was told they would be written: he is told now that they will not be.
    ended_ = true;
    const std::int64_t givenUp = HeldRecords();
    lost_ += givenUp;
    held_.clear();
    held_.shrink_to_fit();
    if (!outcome.Report.empty()) outcome.Report += '\n';
    outcome.Report += "History file " + path_ + ": " + std::to_string(givenUp) +
                      (givenUp == 1 ? " record held in memory is" : " records held in memory are") +
                      " given up; recording goes on in a new file as soon as one can be written";
  }
  return outcome;
}

WriteOutcome HistoryFileWriter::WriteHeld() {
  HistoryWrite result;
  const FileStatus status = sink_(path_, RecordBytes(), written_, held_.data(),
                                  static_cast<std::size_t>(HeldRecords()), result);
  std::string sizeReport = SizeReport(result.FoundSize);
  written_ += static_cast<std::int64_t>(result.Written);
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(
                                                 result.Written * std::size_t(channelCount_)));
  WriteOutcome outcome = status.ok() ? WriteOutcome{true, {}} : Failed(status);
  if (status.ok()) failing_ = false;
  if (!sizeReport.empty()) {
    outcome.Report = outcome.Report.empty() ? std::move(sizeReport)
                                            : sizeReport + '\n' + outcome.Report;
  }
  return outcome;
}

std::string HistoryFileWriter::SizeReport(std::int64_t foundSize) {
  const std::int64_t expected =
      kHistoryHeaderSize + written_ * static_cast<std::int64_t>(RecordBytes());
  // A file shorter than its header is refused, and reported, as such.
  if (sizeReported_ || foundSize < kHistoryHeaderSize || foundSize == expected) return {};
  sizeReported_ = true;
  return "History file " + path_ + " is " + std::to_string(foundSize) + " bytes long, not the " +
         std::to_string(expected) + " bytes of its header and " + std::to_string(written_) +
         (written_ == 1 ? " record" : " records") +
         ": something else has changed it; every record is still written at its own place";
}

WriteOutcome HistoryFileWriter::Failed(const FileStatus& status) {
  // Gone for good (the file, or its folder, or a folder that is now something else): holding
  // records for it would only fill memory.
  if (status.Absent()) {
    vanished_ = true;
    lost_ += HeldRecords();
    held_.clear();
    return {false, status.Message + "; no more records are written to it"};
  }
  if (failing_) return {};
  failing_ = true;
  if (held_.empty()) return {false, status.Message};
  return {false, status.Message +
                     "; its records are kept in memory and written as soon as it takes them again"};
}

WriteOutcome HistoryFileWriter::Finish() {
  WriteOutcome outcome;
  if (!held_.empty() && !vanished_ && !ended_ && !awaiting_) {
    outcome = WriteHeld();
    lost_ += HeldRecords();
    held_.clear();
  }
  lost_ += HeldRecords();  // still awaiting its file: nothing could be written
  held_.clear();
  if (lost_ > 0) outcome.Report = LossReport({});
  lost_ = 0;
  return outcome;
}

std::string HistoryFileWriter::LossReport(const std::string& nextPath) const {
  std::string text = "History file " + path_ + ": " + std::to_string(lost_) +
                     (lost_ == 1 ? " record could not be written and is lost"
                                 : " records could not be written and are lost");
  if (!nextPath.empty()) text += "; recording goes on in " + nextPath;
  return text;
}

// ---- Reader ----------------------------------------------------------------------------------

HistoryFileReader::HistoryFileReader(FileSystem& files)
    : files_(&files), header_(NewHistoryHeader()) {}
HistoryFileReader::~HistoryFileReader() = default;

void HistoryFileReader::Reset(const std::string& path) {
  path_ = path;
  fileSize_ = 0;
  recordCount_ = 0;
  std::memset(header_.get(), 0, sizeof *header_);
}

FileStatus HistoryFileReader::ShorterThanHeader() const {
  return FileStatus::Fail(FileError::BadContent,
                          path_ + " is not a history data file: " + std::to_string(fileSize_) +
                              " bytes, shorter than the " + std::to_string(kHistoryHeaderSize) +
                              "-byte header");
}

FileStatus HistoryFileReader::TakeHeader() {
  FileStatus status = CheckHeader();
  if (!status.ok()) return status;
  recordCount_ = HistoryRecordCount(fileSize_, header_->ChannelCount);
  return FileStatus::Ok();
}

FileStatus HistoryFileReader::Open(const std::string& path) {
  Reset(path);
  OpenedFile opened = files_->OpenExisting(path, FileAccess::Read);
  if (!opened.Status.ok()) return opened.Status;
  const FileStatus sized = opened.Handle->Size(fileSize_);
  if (!sized.ok()) {
    fileSize_ = -1;
    return sized;
  }
  if (fileSize_ < kHistoryHeaderSize) return ShorterThanHeader();
  const FileStatus read = opened.Handle->ReadFullyAt(0, header_.get(), sizeof *header_);
  if (!read.ok()) return read.As("Cannot read the header of", path);
  return TakeHeader();
}

FileStatus HistoryFileReader::CheckHeader() const {
  const auto bad = [this](const std::string& what) {
    return FileStatus::Fail(FileError::BadContent, path_ + " is not a history data file: " + what);
  };
  const THistoryFileHeader& h = *header_;
  if (h.ChannelCount < 0 || h.ChannelCount > kHistoryNameSlots) {
    return bad("channel count " + std::to_string(h.ChannelCount) + " is outside 0.." +
               std::to_string(kHistoryNameSlots));
  }
  if (h.IntervalSeconds < 0) {
    return bad("record interval " + std::to_string(h.IntervalSeconds) + " s is negative");
  }
  // The station's clock never gives a time before day 0 (1899-12-30), and such a day count
  // runs its days back but its time of day forward, so record times would not rise with k.
  if (!IsInDateRange(h.StartTime) || h.StartTime < 0) {
    return bad("the start time is not a date");
  }
  return FileStatus::Ok();
}

FileStatus HistoryFileReader::NoSuchRecord(std::int64_t k) const {
  return FileStatus::Fail(FileError::BadContent, path_ + ": no record " + std::to_string(k) +
                                                     " (the file holds " +
                                                     std::to_string(recordCount_) + ")");
}

std::string_view HistoryFileReader::ChannelNameBytes(int i) const {
  if (i < 0 || i >= kHistoryNameSlots) return {};
  return FixedBytes(header_->ChannelNames[i]);
}

TDateTime HistoryFileReader::RecordTime(std::int64_t k) const {
  const std::int64_t startMs = DateTimeToMs(header_->StartTime);
  return MsToDateTime(startMs + RecordOffsetMs(k, header_->IntervalSeconds));
}

FileStatus HistoryFileReader::ReadRecords(std::int64_t first, std::int64_t count, float* out,
                                          std::int64_t* recordsRead) const {
  if (recordsRead != nullptr) *recordsRead = 0;
  if (first < 0 || first > recordCount_ || count < 0) return NoSuchRecord(first);
  const std::int64_t wanted = std::min(count, recordCount_ - first);
  if (wanted == 0) return FileStatus::Ok();
  const std::int64_t recordBytes = std::int64_t(header_->ChannelCount) * sizeof(float);
  OpenedFile opened = files_->OpenExisting(path_, FileAccess::Read);
  if (!opened.Status.ok()) return opened.Status;
  std::size_t bytes = 0;
  // A read that fails part-way counts as the end of what the file holds now.
  (void)opened.Handle->ReadAt(kHistoryHeaderSize + first * recordBytes, out,
                              static_cast<std::size_t>(wanted * recordBytes), bytes);
  const std::int64_t whole = static_cast<std::int64_t>(bytes) / recordBytes;
  if (recordsRead != nullptr) *recordsRead = whole;
  if (whole < wanted) {
    return FileStatus::Fail(FileError::BadContent,
                            path_ + " has become shorter: " + std::to_string(whole) + " of " +
                                std::to_string(wanted) + " records read");
  }
  return FileStatus::Ok();
}

FileStatus HistoryFileReader::ReadRecord(std::int64_t k, float* out) const {
  if (k >= recordCount_) return NoSuchRecord(k);
  return ReadRecords(k, 1, out);
}
