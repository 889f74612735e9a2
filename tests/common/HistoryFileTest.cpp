#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/HistoryFile.h"
#include "platform/MemoryFileSystem.h"
#include "tests/support/HistoryFileBuilder.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

void AppendBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

const TDateTime kStart = EncodeDateTime({2024, 3, 5, 14, 0, 0, 0});

// A header of `channels` channels named MeterCH1, MeterCH2, ... (and its file: the header only).
THistoryFileBuilder HeaderOf(int channels, std::int32_t interval) {
  THistoryFileBuilder file(channels);
  file.Start(kStart).Interval(interval).Names([](int i) {
    return THistoryFileBuilder::SlotName{"Meter", "CH" + std::to_string(i + 1)};
  });
  return file;
}

std::vector<float> Record(int channels, int k) {
  std::vector<float> values(channels);
  for (int i = 0; i < channels; ++i) values[i] = static_cast<float>(k * 100 + i) + 0.25f;
  return values;
}

// A history file of `channels` channels holding `records` records made by Record().
std::string MakeFile(const TempDir& dir, int channels, int records, std::int32_t interval = 1) {
  const std::string path = dir.File("a.vq");
  EXPECT_TRUE(CreateHistoryFile(path, HeaderOf(channels, interval).Header()).ok());
  HistoryFileWriter writer(path, channels);
  for (int k = 0; k < records; ++k)
    EXPECT_TRUE(writer.Append(Record(channels, k).data(), channels).Written);
  return path;
}

// ---- Header layout ---------------------------------------------------------------------------

TEST(HistoryHeaderTest, SlotHoldsMeterNameThenChannelNameThenZeros) {
  auto header = NewHistoryHeader();
  SetHistoryNameSlot(*header, 0, "Boiler", "T1");
  EXPECT_EQ(std::string(header->ChannelNames[0], 80), "BoilerT1" + std::string(72, '\0'));
  // The longest names fill 78 bytes; the NUL is the 79th. Stale bytes of the slot must go.
  std::memset(header->ChannelNames[3], 'x', kHistoryNameSlotSize);
  SetHistoryNameSlot(*header, 3, std::string(39, 'M'), std::string(39, 'C'));
  EXPECT_EQ(std::string(header->ChannelNames[3], 80),
            std::string(39, 'M') + std::string(39, 'C') + std::string(2, '\0'));
  // A 40-byte field without a NUL counts as 39 bytes: a double-byte character at bytes 38-39
  // is dropped whole; a name ends at its NUL.
  SetHistoryNameSlot(*header, 4, std::string(38, 'A') + "\xB9\xF8", std::string("T1\0xyz", 6));
  EXPECT_EQ(std::string(header->ChannelNames[4]), std::string(38, 'A') + "T1");
}

// ---- Creating and appending ------------------------------------------------------------------

TEST(HistoryWriterTest, CreateNeverEmptiesAnExistingFile) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  AppendBytes(path, "earlier period");
  const FileStatus status = CreateHistoryFile(path, HeaderOf(1, 1).Header());
  EXPECT_EQ(status.Error, FileError::NameTaken);
  EXPECT_NE(status.Message.find(path), std::string::npos);
  EXPECT_EQ(ReadFileBytes(path), "earlier period");
}

TEST(HistoryWriterTest, RecordsRoundTripBitForBit) {
  TempDir dir;
  const std::string path = MakeFile(dir, 5, 0);
  // A NaN with a payload, a signalling NaN, -0.0, the smallest denormal, -infinity.
  const std::uint32_t patterns[5] = {0x7FC01234u, 0x7F800001u, 0x80000000u, 1u, 0xFF800000u};
  HistoryFileWriter writer(path, 5);
  ASSERT_TRUE(writer.Append(reinterpret_cast<const float*>(patterns), 5).Written);
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  ASSERT_EQ(reader.RecordCount(), 1);
  std::uint32_t back[5];
  ASSERT_TRUE(reader.ReadRecord(0, reinterpret_cast<float*>(back)).ok());
  EXPECT_EQ(std::memcmp(back, patterns, sizeof patterns), 0);
}

TEST(HistoryWriterTest, TrailingPartialRecordIsNotCountedAndTheNextAppendRealigns) {
  TempDir dir;
  const std::string path = MakeFile(dir, 4, 3);
  AppendBytes(path, std::string(15, '\x7F'));  // 4n - 1 stray bytes
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  EXPECT_EQ(reader.RecordCount(), 3);

  HistoryFileWriter writer(path, 4, {}, kHistoryHoldLimitBytes, 3);  // the period's 3 records
  const WriteOutcome outcome = writer.Append(Record(4, 3).data(), 4);
  ASSERT_TRUE(outcome.Written);
  EXPECT_NE(outcome.Report.find("is 460887 bytes long"), std::string::npos) << outcome.Report;
  EXPECT_EQ(fs::file_size(path), 460824u + 4 * 16);
  ASSERT_TRUE(reader.Open(path).ok());
  std::vector<float> back(4);
  ASSERT_TRUE(reader.ReadRecord(3, back.data()).ok());
  EXPECT_EQ(back, Record(4, 3));
}

// Something else cuts the file (a record and a half are left of six) or appends to it: record k
// still goes to slot k, where a reader finds it at its time. What the cut took stays zero, and
// what was appended is cut off again; the operator is told once.
TEST(HistoryWriterTest, AFileCutOrGrownBySomethingElseIsToldOnceAndRecordsKeepTheirSlots) {
  TempDir dir;
  const std::string path = MakeFile(dir, 3, 0);
  HistoryFileWriter writer(path, 3);
  for (int k = 0; k < 6; ++k) ASSERT_TRUE(writer.Append(Record(3, k).data(), 3).Written);
  fs::resize_file(path, 460824 + 2 * 12 + 5);
  const WriteOutcome cut = writer.Append(Record(3, 6).data(), 3);
  EXPECT_TRUE(cut.Written);
  EXPECT_EQ(cut.Report, "History file " + path +
                            " is 460853 bytes long, not the 460896 bytes of its header and 6 "
                            "records: something else has changed it; every record is still "
                            "written at its own place");
  EXPECT_EQ(writer.RecordsWritten(), 7);
  AppendBytes(path, std::string(30, 'x'));
  const WriteOutcome grown = writer.Append(Record(3, 7).data(), 3);
  EXPECT_TRUE(grown.Written);
  EXPECT_TRUE(grown.Report.empty()) << grown.Report;

  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  ASSERT_EQ(reader.RecordCount(), 8);
  std::vector<float> back(3);
  for (int k : {0, 1, 6, 7}) {
    ASSERT_TRUE(reader.ReadRecord(k, back.data()).ok());
    EXPECT_EQ(back, Record(3, k)) << k;
  }
  for (int k : {3, 4, 5}) {
    ASSERT_TRUE(reader.ReadRecord(k, back.data()).ok());
    EXPECT_EQ(back, std::vector<float>(3, 0.0f)) << k;
  }
}

TEST(HistoryWriterTest, VanishedFileIsReportedOnceAndNeverCreatedAgain) {
  TempDir dir;
  const std::string path = MakeFile(dir, 2, 1);
  HistoryFileWriter writer(path, 2);
  fs::remove(path);
  const WriteOutcome first = writer.Append(Record(2, 1).data(), 2);
  EXPECT_FALSE(first.Written);
  EXPECT_NE(first.Report.find(path), std::string::npos);
  const WriteOutcome second = writer.Append(Record(2, 2).data(), 2);
  EXPECT_FALSE(second.Written);
  EXPECT_TRUE(second.Report.empty());
  EXPECT_FALSE(fs::exists(path));
}

// A month folder that became a plain file cannot take the file back either: the writer gives
// up at once instead of holding records in memory for a file that cannot return.
TEST(HistoryWriterTest, FileWhoseFolderBecameAPlainFileIsGivenUpLikeAVanishedOne) {
  TempDir dir;
  fs::create_directory(dir.File("24Y03M"));
  const std::string path = dir.File("24Y03M/a.vq");
  ASSERT_TRUE(CreateHistoryFile(path, HeaderOf(2, 1).Header()).ok());
  HistoryFileWriter writer(path, 2);
  fs::remove_all(dir.File("24Y03M"));
  AppendBytes(dir.File("24Y03M"), "not a folder");
  const WriteOutcome first = writer.Append(Record(2, 1).data(), 2);
  EXPECT_FALSE(first.Written);
  EXPECT_NE(first.Report.find("no more records are written to it"), std::string::npos)
      << first.Report;
  const WriteOutcome second = writer.Append(Record(2, 2).data(), 2);
  EXPECT_FALSE(second.Written);
  EXPECT_TRUE(second.Report.empty());
  EXPECT_EQ(writer.HeldRecords(), 0);
}

TEST(HistoryWriterTest, RecordOfTheWrongLengthIsRefusedAndReportedOnce) {
  TempDir dir;
  const std::string path = MakeFile(dir, 3, 0);
  HistoryFileWriter writer(path, 3);
  const std::vector<float> values(4, 1.0f);
  EXPECT_FALSE(writer.Append(values.data(), 4).Report.empty());
  EXPECT_TRUE(writer.Append(values.data(), 2).Report.empty());
  EXPECT_EQ(fs::file_size(path), 460824u);
  EXPECT_TRUE(writer.Append(values.data(), 3).Written);
}

// Runs in a child under a file size limit that ends inside the third record, so the system
// takes only part of it, as on a full disk. Returns 0, or the number of the check that failed.
int ShortWriteChild(const std::string& path, int channels) {
  signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
  rlimit saved{};
  if (getrlimit(RLIMIT_FSIZE, &saved) != 0) return 1;
  rlimit small = saved;
  small.rlim_cur = 460824 + 2 * 4 * channels + 8;
  if (setrlimit(RLIMIT_FSIZE, &small) != 0) return 2;
  HistoryFileWriter writer(path, channels);
  for (int k : {0, 1}) {
    if (!writer.Append(Record(channels, k).data(), channels).Written) return 3;
  }
  const WriteOutcome held = writer.Append(Record(channels, 2).data(), channels);
  if (held.Written || held.Report.find(path) == std::string::npos) return 4;
  if (fs::file_size(path) != 460824u + 2u * 4 * channels) return 5;  // the torn record is cut
  const WriteOutcome again = writer.Append(Record(channels, 3).data(), channels);
  if (again.Written || !again.Report.empty()) return 6;  // reported once
  if (writer.HeldRecords() != 2) return 7;
  if (setrlimit(RLIMIT_FSIZE, &saved) != 0) return 8;
  if (!writer.Append(Record(channels, 4).data(), channels).Written) return 9;
  return 0;
}

TEST(HistoryWriterTest, RecordsRefusedByAFullDiskAreHeldAndFollowInOrder) {
  TempDir dir;
  const std::string path = MakeFile(dir, 5, 0);
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) _exit(ShortWriteChild(path, 5));
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "check " << WEXITSTATUS(status) << " failed in the child";

  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  ASSERT_EQ(reader.RecordCount(), 5);
  std::vector<float> back(5 * 5);
  ASSERT_TRUE(reader.ReadRecords(0, 5, back.data()).ok());
  std::vector<float> expected;
  for (int k = 0; k < 5; ++k) {
    const std::vector<float> r = Record(5, k);
    expected.insert(expected.end(), r.begin(), r.end());
  }
  EXPECT_EQ(back, expected);
}

// A disk that refuses the writes from call `first` (1-based) on, `count` times, then takes them.
struct RefusingDisk {
  int first = 1;
  int count = 0;
  int calls = 0;
  FileStatus operator()(const std::string& path, std::size_t recordBytes, std::int64_t at,
                        const void* records, std::size_t n, HistoryWrite& result) {
    ++calls;
    if (calls >= first && calls < first + count) {
      result = {};
      return FileStatus::Fail(FileError::Io, "Cannot write " + path + ": No space left");
    }
    return WriteHistoryRecords(path, recordBytes, at, records, n, result);
  }
};

// The values of channel 0 of every record.
std::vector<float> ChannelZero(const std::string& path) {
  HistoryFileReader reader;
  EXPECT_TRUE(reader.Open(path).ok());
  std::vector<float> values(reader.RecordCount() * reader.ChannelCount());
  EXPECT_TRUE(reader.ReadRecords(0, reader.RecordCount(), values.data()).ok());
  std::vector<float> first;
  for (std::size_t i = 0; i < values.size(); i += reader.ChannelCount()) first.push_back(values[i]);
  return first;
}

TEST(HistoryWriterTest, PastTheHoldLimitTheWriterEndsAndTheFileKeepsItsTimes) {
  TempDir dir;
  const std::string path = MakeFile(dir, 2, 0);
  auto disk = std::make_shared<RefusingDisk>(RefusingDisk{2, 100});
  HistoryFileWriter writer(path, 2, [disk](auto&&... a) { return (*disk)(a...); }, 3 * 8);
  for (int k = 0; k < 4; ++k) writer.Append(Record(2, k).data(), 2);
  EXPECT_FALSE(writer.Ended());  // three records held: at the limit, not past it
  EXPECT_EQ(writer.HeldRecords(), 3);
  // The operator, told at the first refusal that the records are kept, is told they are not.
  EXPECT_EQ(writer.Append(Record(2, 4).data(), 2).Report,
            "History file " + path + ": 4 records held in memory are given up; recording goes "
            "on in a new file as soon as one can be written");
  ASSERT_TRUE(writer.Ended());
  EXPECT_EQ(writer.HeldRecords(), 0);
  const int calls = disk->calls;
  EXPECT_FALSE(writer.Append(Record(2, 5).data(), 2).Written);
  EXPECT_EQ(disk->calls, calls);  // an ended writer writes nothing more
  writer.LoseRecords(1);
  EXPECT_EQ(writer.LossReport("/next.vq"), "History file " + path +
                                               ": 5 records could not be written and are lost; "
                                               "recording goes on in /next.vq");
  EXPECT_EQ(ChannelZero(path), std::vector<float>{0.25f});
}

TEST(HistoryWriterTest, ThePeriodsEndTriesTheHeldRecordsOnceMoreAndReportsWhatIsLost) {
  TempDir dir;
  const std::string path = MakeFile(dir, 1, 0);
  auto disk = std::make_shared<RefusingDisk>(RefusingDisk{2, 2});
  HistoryFileWriter writer(path, 1, [disk](auto&&... a) { return (*disk)(a...); });
  for (int k = 0; k < 3; ++k) writer.Append(Record(1, k).data(), 1);
  EXPECT_TRUE(writer.Finish().Report.empty());  // the fourth call goes through
  EXPECT_EQ(ChannelZero(path), (std::vector<float>{0.25f, 100.25f, 200.25f}));

  disk->count = 100;
  writer.Append(Record(1, 3).data(), 1);
  EXPECT_EQ(writer.Finish().Report,
            "History file " + path + ": 1 record could not be written and is lost");
}

// ---- Reading ---------------------------------------------------------------------------------

TEST(HistoryReaderTest, RecordCountUses64BitSizesBeyond4GiB) {
  TempDir dir;
  const std::string path = MakeFile(dir, 4, 0);
  constexpr std::int64_t kRecords = (std::int64_t{9} << 29) / 16;  // 4.5 GiB of records
  fs::resize_file(path, 460824 + kRecords * 16);                   // sparse
  const std::vector<float> last = Record(4, 7);
  ASSERT_TRUE(WriteExistingFileAt(path, 460824 + (kRecords - 1) * 16, last.data(), 16).ok());
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  ASSERT_EQ(reader.RecordCount(), kRecords);
  std::vector<float> back(4);
  ASSERT_TRUE(reader.ReadRecord(kRecords - 1, back.data()).ok());
  EXPECT_EQ(back, last);

  HistoryFileWriter writer(path, 4, {}, kHistoryHoldLimitBytes, kRecords);
  ASSERT_TRUE(writer.Append(Record(4, 8).data(), 4).Written);
  ASSERT_TRUE(reader.Open(path).ok());
  ASSERT_TRUE(reader.ReadRecord(kRecords, back.data()).ok());
  EXPECT_EQ(back, Record(4, 8));
  EXPECT_EQ(DateTimeToMs(reader.RecordTime(kRecords)) - DateTimeToMs(kStart), kRecords * 1000);
}

TEST(HistoryReaderTest, RecordTimesComeFromTheIndexWithoutDrift) {
  TempDir dir;
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(MakeFile(dir, 4, 0, 60)).ok());
  EXPECT_EQ(FormatDateTime(kDisplayDateTimePattern, reader.RecordTime(2)), "24-03-05 14:02:00");
  // 20,000 one-minute steps added up one by one drift; from the index they land exactly.
  EXPECT_EQ(FormatDateTime(kDisplayDateTimePattern, reader.RecordTime(20000)), "24-03-19 11:20:00");
  for (std::int64_t k : {1, 3, 19999, 1234567}) {
    EXPECT_EQ(DateTimeToMs(reader.RecordTime(k)), DateTimeToMs(kStart) + k * 60000) << k;
  }
}

TEST(HistoryReaderTest, RangeReadsStopAtTheRecordsTheFileHolds) {
  TempDir dir;
  const std::string path = MakeFile(dir, 2, 5);
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  std::vector<float> back(2 * 10, -1.0f);
  std::int64_t got = -1;
  ASSERT_TRUE(reader.ReadRecords(3, 10, back.data(), &got).ok());
  EXPECT_EQ(got, 2);
  EXPECT_EQ(std::vector<float>(back.begin() + 2, back.begin() + 4), Record(2, 4));
  EXPECT_EQ(back[4], -1.0f);  // nothing written past what was read
  EXPECT_FALSE(reader.ReadRecords(6, 1, back.data()).ok());
  EXPECT_FALSE(reader.ReadRecords(-1, 1, back.data()).ok());
  EXPECT_FALSE(reader.ReadRecord(5, back.data()).ok());
  // A file cut short after opening gives what is still there and says so.
  fs::resize_file(path, 460824 + 3 * 8 + 5);
  EXPECT_FALSE(reader.ReadRecords(0, 5, back.data(), &got).ok());
  EXPECT_EQ(got, 3);
}

TEST(HistoryReaderTest, AFilesBytesInMemoryReadAsTheFile) {
  TempDir dir;
  const std::string path = MakeFile(dir, 3, 4, 60);
  const std::string bytes = ReadFileBytes(path) + "\x01\x02";  // a torn last record
  MemoryFileSystem memory;
  memory.Put("image.vq", bytes);
  HistoryFileReader reader(memory);
  ASSERT_TRUE(reader.Open("image.vq").ok());
  EXPECT_EQ(reader.RecordCount(), 4);
  EXPECT_EQ(reader.ChannelNameBytes(2), "MeterCH3");
  std::vector<float> back(3 * 4);
  std::int64_t got = 0;
  ASSERT_TRUE(reader.ReadRecords(1, 5, back.data(), &got).ok());
  EXPECT_EQ(got, 3);
  EXPECT_EQ(std::vector<float>(back.begin() + 6, back.begin() + 9), Record(3, 3));
  memory.Put("image.vq", bytes.substr(0, 100));
  const FileStatus shortImage = reader.Open("image.vq");
  EXPECT_EQ(shortImage.Error, FileError::BadContent);
  EXPECT_NE(shortImage.Message.find("image.vq"), std::string::npos);
}

TEST(HistoryReaderTest, RefusesFilesThatCannotBeHistoryFiles) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  HistoryFileReader reader;
  const auto openWith = [&](void (*damage)(THistoryFileHeader&)) {
    THistoryFileBuilder file = HeaderOf(3, 1);
    damage(file.Header());
    file.Write(path);
    return reader.Open(path);
  };
  const auto expectBad = [&](void (*damage)(THistoryFileHeader&), const char* what) {
    const FileStatus status = openWith(damage);
    EXPECT_EQ(status.Error, FileError::BadContent) << what;
    EXPECT_NE(status.Message.find(path), std::string::npos) << what;
  };
  expectBad([](THistoryFileHeader& h) { h.ChannelCount = -1; }, "negative channel count");
  expectBad([](THistoryFileHeader& h) { h.ChannelCount = 5761; }, "too many channels");
  expectBad([](THistoryFileHeader& h) { h.IntervalSeconds = -5; }, "negative interval");
  expectBad([](THistoryFileHeader& h) { h.StartTime = std::nan(""); }, "start not a number");
  expectBad([](THistoryFileHeader& h) { h.StartTime = 1e300; }, "start beyond the dates");
  EXPECT_TRUE(openWith([](THistoryFileHeader& h) { h.ChannelCount = 5760; }).ok());
  EXPECT_EQ(reader.ChannelNameBytes(1), "MeterCH2");

  fs::resize_file(path, 460823);
  EXPECT_EQ(reader.Open(path).Error, FileError::BadContent);
  EXPECT_EQ(reader.Open(dir.File("none.vq")).Error, FileError::Missing);
}

}  // namespace
