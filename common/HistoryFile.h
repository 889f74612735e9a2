#pragma once
// The binary history data file (".vq"): one per recording period, written by the station and read
// by the viewer. No Qt here.
//
// Layout, little-endian, no gaps:
//   header  THistoryFileHeader, 460,824 bytes
//   records record k at 460,824 + 4·n·k: n float32 values, one per channel in channel order,
//           no time stamp, separator or count; the file has no trailer.
// The number of records is not stored: it is floor((size - 460,824) / (4·n)), so a trailing
// partial record is ignored. Record k belongs to StartTime + k × IntervalSeconds seconds.
//
// Channel order: every channel in use of every configured meter, meters in table order, within a
// meter its channels in order; channel i is name slot i and value i of every record (and the
// overview tile and trend series with the same index). At most 120 × 48 = 5,760 channels.
//
// Files are opened, written or read, and closed for each operation; nothing stays open between
// calls. Offsets and sizes are 64-bit: at one record a second a file passes 4 GiB within days.
// Files go through the platform's file layer; failures are returned as its status values, which
// name the file; nothing here throws.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/DateTime.h"
#include "common/MeterRecord.h"
#include "platform/File.h"

inline constexpr int kHistoryNameSlots = kMaxMeters * kMaxChannels;  // 5,760
inline constexpr int kHistoryNameSlotSize = 80;
// A slot holds the meter name and the channel name, each at most a 40-byte field minus its NUL.
inline constexpr int kHistoryNamePartMax = 39;

#pragma pack(push, 1)
struct THistoryFileHeader {
  double StartTime;              // TDateTime the period opened: the time of record 0
  std::int32_t IntervalSeconds;  // seconds between records; 0 = no records follow
  std::int32_t ChannelCount;     // n, values per record, 0..5,760
  std::uint8_t Reserved1[4];     // zero
  char ChannelNames[kHistoryNameSlots][kHistoryNameSlotSize];  // code page 936, NUL-terminated
  std::uint8_t Reserved2[4];                                   // zero
};
#pragma pack(pop)

static_assert(sizeof(THistoryFileHeader) == 460824);
static_assert(offsetof(THistoryFileHeader, StartTime) == 0);
static_assert(offsetof(THistoryFileHeader, IntervalSeconds) == 8);
static_assert(offsetof(THistoryFileHeader, ChannelCount) == 12);
static_assert(offsetof(THistoryFileHeader, Reserved1) == 16);
static_assert(offsetof(THistoryFileHeader, ChannelNames) == 20);
static_assert(offsetof(THistoryFileHeader, Reserved2) == 460820);
// The header and the records are written and read as memory images.
static_assert(std::endian::native == std::endian::little);
static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<float>::is_iec559);

inline constexpr std::int64_t kHistoryHeaderSize = sizeof(THistoryFileHeader);

// The header is too large for a thread's stack; this returns one with every byte zero.
std::unique_ptr<THistoryFileHeader> NewHistoryHeader();

// Fills name slot `slot` (0..5,759) with the meter name immediately followed by the channel name,
// both code page 936 bytes as stored, each up to its first NUL and cut to 39 bytes on a character
// boundary; then one NUL; the rest of the slot zero.
void SetHistoryNameSlot(THistoryFileHeader& header, int slot, std::string_view meterNameCp936,
                        std::string_view channelNameCp936);

// The result of one write by a writer that keeps going after failures (a history record, an
// alarm list line): the caller shows Report, which is filled only the first time a problem is
// met, not at every tick that meets it again.
struct WriteOutcome {
  bool Written = false;
  std::string Report;  // UTF-8, names the file; empty when there is nothing new to report
};

// ---- Writer --------------------------------------------------------------------------------

// Creates the history file of a period: exclusively, the whole header in one write.
FileStatus CreateHistoryFile(const std::string& path, const THistoryFileHeader& header);

// What one write of records found and did.
struct HistoryWrite {
  std::size_t Written = 0;       // of the records given, how many are in the file afterwards
  std::int64_t FoundSize = -1;   // the file's size before the write; -1 when it was not known
};

// Writes `count` whole records of `recordBytes` bytes each to the history file at `path` as its
// records first .. first + count - 1, that is at offset 460,824 + first·recordBytes, whatever
// the file's size: open without creating, one write, close. A file cut short by something else
// keeps a zero-filled gap in front of the records; bytes that something else put behind the last
// of them are cut off, so that the file ends with the last of them. `result` tells the size
// found and how many of the records are in the file afterwards: all of them, or,
// when the system refused part of the write (a full disk), the whole records in front of the
// refusal; a torn record behind them is cut off again. Missing when the file has vanished,
// BadContent when it is shorter than its header (nothing is written then).
FileStatus WriteHistoryRecords(const std::string& path, std::size_t recordBytes,
                               std::int64_t first, const void* records, std::size_t count,
                               HistoryWrite& result);

// Where a writer's records go: WriteHistoryRecords when empty. Tests put a sink in its place
// that stands for a disk refusing writes for a while.
using HistoryRecordSink =
    std::function<FileStatus(const std::string& path, std::size_t recordBytes, std::int64_t first,
                             const void* records, std::size_t count, HistoryWrite& result)>;

// Records a writer holds while its file refuses them, at most: 64 MiB is about 48 minutes of the
// largest table (5,760 channels) at one record a second, and days of a small one.
inline constexpr std::size_t kHistoryHoldLimitBytes = std::size_t{64} << 20;

// Writes the records of one recording period to its history file. One object per period (and
// per file the period goes on in); not thread-safe (the station's main thread owns it).
//
// Record k of the file must be the k-th record of the period, since a reader takes its time from
// k. So the writer counts the records it has written and puts each one at its own offset, never
// where the file's size happens to end; a file whose size is not header + those records (cut or
// grown by something else) is reported once. A record that the file refuses (a full disk) is
// held in memory, and held records go out in order, before the next one, as soon as the file
// takes them again: a short outage costs nothing. The same holds for a period whose file could
// not be made yet (AwaitingFile). Once the held records would pass the hold limit, the writer
// gives them up and ends: the file keeps the records in front of the outage, all at their right
// times, and takes no more; the caller goes on in a new file whose start time is that of the
// first record it writes there.
class HistoryFileWriter {
 public:
  // A writer with no file: every append is skipped.
  HistoryFileWriter() = default;
  // A writer for the file at `path` (made, with its header), which holds `recordsInFile` records
  // of the period already.
  // REQUIRES: 0 <= channelCount <= 5,760, the ChannelCount of the file's header.
  HistoryFileWriter(std::string path, int channelCount, HistoryRecordSink sink = {},
                    std::size_t holdLimitBytes = kHistoryHoldLimitBytes,
                    std::int64_t recordsInFile = 0);
  // A writer whose file could not be made yet: every record is held (up to the limit) until
  // TakeFile. `path` is the name the file is meant to have; reports name it.
  static HistoryFileWriter AwaitingFile(std::string path, int channelCount,
                                        HistoryRecordSink sink = {},
                                        std::size_t holdLimitBytes = kHistoryHoldLimitBytes);

  // The file has been made at `path`, with its header and no record: the records held so far
  // are written, each at its own offset. Nothing is done unless the writer awaits its file.
  WriteOutcome TakeFile(std::string path);

  // Appends `copies` records of values[0..count-1] as the period's next records, behind any held
  // ones. Written is true when no record is held afterwards. `count` must equal the channel
  // count, or the record would shift every later one; such a call writes nothing. The first
  // refusal of an outage is reported (the records are held); passing the hold limit ends the
  // writer and reports the records given up (LossReport later tells the whole loss and the file
  // that goes on). A file that has vanished is not created again: it is reported once, its held
  // records are lost and every later append is skipped. Nothing is done once the writer has
  // ended.
  WriteOutcome Append(const float* values, int count, std::int64_t copies = 1);

  // The period's end: one last try to write the held records. The report says how many records
  // were lost (held ones that still could not be written, and those lost after an end), if any.
  WriteOutcome Finish();

  // True once the held records passed the limit: the file takes no more records.
  bool Ended() const { return ended_; }
  // True while the file has not been made (AwaitingFile, before TakeFile).
  bool AwaitsFile() const { return awaiting_; }
  // Due records that could not go anywhere after the end (no new file could be made yet).
  void LoseRecords(std::int64_t count) { lost_ += count; }
  std::int64_t LostRecords() const { return lost_; }
  std::int64_t HeldRecords() const;
  // Records of the period in the file: where the next one goes.
  std::int64_t RecordsWritten() const { return written_; }
  // What the operator is told once about an ended file: how many records were lost, and the
  // file that goes on (none when `nextPath` is empty).
  std::string LossReport(const std::string& nextPath) const;

  // The file written to; empty while it awaits its file.
  const std::string& Path() const;
  int ChannelCount() const { return channelCount_; }

 private:
  std::size_t RecordBytes() const;
  // Writes the held records; WriteOutcome as for Append.
  WriteOutcome WriteHeld();
  WriteOutcome Failed(const FileStatus& status);
  // The report, once, of a file whose size was not what the records written make.
  std::string SizeReport(std::int64_t foundSize);

  std::string path_;  // also while awaiting: the name reports give the file
  int channelCount_ = 0;
  HistoryRecordSink sink_;
  std::size_t holdLimitBytes_ = kHistoryHoldLimitBytes;
  std::vector<float> held_;  // whole records, oldest first
  std::int64_t written_ = 0;
  std::int64_t lost_ = 0;
  bool awaiting_ = false;      // the file is not made yet: records are only held
  bool vanished_ = false;      // the file was gone once: appends stop for the period
  bool failing_ = false;       // the last write failed and was reported
  bool ended_ = false;         // the hold limit was passed
  bool sizeReported_ = false;  // a file of another size was reported
};

// ---- Reader --------------------------------------------------------------------------------

// Reads a history file for the viewer (and the station's tests). Open validates the header and
// takes the record count from the file size at that moment; the reads open and close the file
// each time and never go past what the file held when it was opened. Not thread-safe.
class HistoryFileReader {
 public:
  // Reads its files from `files`, which must outlive the reader.
  explicit HistoryFileReader(FileSystem& files = SystemFiles());
  ~HistoryFileReader();

  // Reads and checks the header: the file is at least a header long, the channel count is within
  // 0..5,760, the interval is not negative, the start time is a date not before 1899-12-30 (day
  // 0). BadContent says which.
  FileStatus Open(const std::string& path);

  // REQUIRES for the accessors below: Open succeeded.
  const THistoryFileHeader& Header() const { return *header_; }
  const std::string& Path() const { return path_; }
  int ChannelCount() const { return header_->ChannelCount; }
  std::int32_t IntervalSeconds() const { return header_->IntervalSeconds; }
  TDateTime StartTime() const { return header_->StartTime; }
  std::int64_t FileSize() const { return fileSize_; }
  // floor((size - 460,824) / (4·n)); 0 when n is 0.
  std::int64_t RecordCount() const { return recordCount_; }
  // Name slot i (REQUIRES 0 <= i < 5,760) as code page 936 bytes up to its NUL.
  std::string_view ChannelNameBytes(int i) const;

  // StartTime + k × IntervalSeconds seconds, computed in whole milliseconds from k (a running sum
  // of interval / 86,400 drifts over thousands of records). REQUIRES k >= 0.
  TDateTime RecordTime(std::int64_t k) const;

  // Reads records first .. first + count - 1 into out (count·n floats) in one read. Records past
  // RecordCount are not read: *recordsRead (may be null) says how many whole records arrived.
  // Fails when first is outside 0..RecordCount or the file can no longer be read.
  FileStatus ReadRecords(std::int64_t first, std::int64_t count, float* out,
                         std::int64_t* recordsRead = nullptr) const;
  FileStatus ReadRecord(std::int64_t k, float* out) const;

 private:
  // Forgets the last file; the header becomes all zero.
  void Reset(const std::string& path);
  FileStatus ShorterThanHeader() const;
  // Checks the header read in, and takes the record count from the file size.
  FileStatus TakeHeader();
  FileStatus CheckHeader() const;
  FileStatus NoSuchRecord(std::int64_t k) const;

  FileSystem* files_;
  std::string path_;
  std::unique_ptr<THistoryFileHeader> header_;
  std::int64_t fileSize_ = 0;
  std::int64_t recordCount_ = 0;
};

// floor((fileSize - 460,824) / (4·channelCount)) in 64-bit; 0 when the file holds no whole record
// or channelCount is not positive.
std::int64_t HistoryRecordCount(std::int64_t fileSize, int channelCount);
