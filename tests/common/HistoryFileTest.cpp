#include "common/HistoryFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

TDateTime At(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
  DateTimeParts p;
  p.Year = y;
  p.Month = mo;
  p.Day = d;
  p.Hour = h;
  p.Minute = mi;
  p.Second = s;
  p.Millisecond = ms;
  return EncodeDateTime(p);
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void AppendBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::unique_ptr<THistoryFileHeader> HeaderOf(int channels, std::int32_t interval,
                                             TDateTime start) {
  auto header = NewHistoryHeader();
  header->StartTime = start;
  header->IntervalSeconds = interval;
  header->ChannelCount = channels;
  for (int i = 0; i < channels; ++i) {
    SetHistoryNameSlot(*header, i, "Meter", "CH" + std::to_string(i + 1));
  }
  return header;
}

std::vector<float> Record(int channels, int k) {
  std::vector<float> values(channels);
  for (int i = 0; i < channels; ++i) values[i] = static_cast<float>(k * 100 + i) + 0.25f;
  return values;
}

const TDateTime kStart = At(2024, 3, 5, 14, 0, 0);

// ---- Header layout ---------------------------------------------------------------------------

TEST(HistoryHeaderTest, SlotHoldsMeterNameThenChannelNameThenZeros) {
  auto header = NewHistoryHeader();
  SetHistoryNameSlot(*header, 0, "Boiler", "T1");
  const char* slot = header->ChannelNames[0];
  EXPECT_EQ(std::string(slot, 9), std::string("BoilerT1\0", 9));
  for (int i = 8; i < kHistoryNameSlotSize; ++i) EXPECT_EQ(slot[i], '\0') << i;
}

TEST(HistoryHeaderTest, LongestNamesFill78BytesWithTheNulAsTheSeventyNinth) {
  auto header = NewHistoryHeader();
  std::memset(header->ChannelNames[3], 'x', kHistoryNameSlotSize);  // stale bytes must go
  SetHistoryNameSlot(*header, 3, std::string(39, 'M'), std::string(39, 'C'));
  const char* slot = header->ChannelNames[3];
  EXPECT_EQ(std::string(slot, 39), std::string(39, 'M'));
  EXPECT_EQ(std::string(slot + 39, 39), std::string(39, 'C'));
  EXPECT_EQ(slot[78], '\0');
  EXPECT_EQ(slot[79], '\0');
}

TEST(HistoryHeaderTest, NamesStopAtTheirNulAndAreCutOnCharacterBoundaries) {
  auto header = NewHistoryHeader();
  // A field of 40 bytes without a NUL is taken as 39; a double-byte character at bytes 38-39
  // does not fit and is dropped whole.
  std::string meter(38, 'A');
  meter += "\xB9\xF8";  // one code page 936 character
  SetHistoryNameSlot(*header, 0, meter, std::string("T1\0garbage", 10));
  EXPECT_EQ(std::string(header->ChannelNames[0]), std::string(38, 'A') + "T1");
}

TEST(HistoryHeaderTest, SlotOutsideTheHeaderIsIgnored) {
  auto header = NewHistoryHeader();
  SetHistoryNameSlot(*header, -1, "A", "B");
  SetHistoryNameSlot(*header, kHistoryNameSlots, "A", "B");
  const auto* bytes = reinterpret_cast<const unsigned char*>(header.get());
  EXPECT_TRUE(std::all_of(bytes, bytes + sizeof *header, [](unsigned char b) { return b == 0; }));
}

TEST(HistoryHeaderTest, CreatedFileHoldsTheHeaderFieldsAtTheirOffsets) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  auto header = HeaderOf(kHistoryNameSlots, 5, kStart);
  ASSERT_TRUE(CreateHistoryFile(path, *header).ok());
  const std::vector<unsigned char> bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 460824u);
  double start;
  std::int32_t interval, count;
  std::memcpy(&start, &bytes[0], 8);
  std::memcpy(&interval, &bytes[8], 4);
  std::memcpy(&count, &bytes[12], 4);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(start), std::bit_cast<std::uint64_t>(kStart));
  EXPECT_EQ(interval, 5);
  EXPECT_EQ(count, 5760);
  for (int i : {16, 17, 18, 19, 460820, 460821, 460822, 460823}) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[20])), "MeterCH1");
  // The last of 5,760 slots starts at 460,740.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[460740])), "MeterCH5760");
}

// ---- Creating and appending ------------------------------------------------------------------

TEST(HistoryWriterTest, CreateNeverEmptiesAnExistingFile) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  AppendBytes(path, "earlier period");
  const FileStatus status = CreateHistoryFile(path, *HeaderOf(1, 1, kStart));
  EXPECT_EQ(status.Error, FileError::NameTaken);
  EXPECT_NE(status.Message.find(path), std::string::npos);
  const std::vector<unsigned char> bytes = ReadBytes(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "earlier period");
}

TEST(HistoryWriterTest, RecordsRoundTripBitForBit) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  ASSERT_TRUE(CreateHistoryFile(path, *HeaderOf(6, 1, kStart)).ok());
  const std::uint32_t patterns[6] = {
      0x7FC01234u,  // quiet NaN with a payload
      0x7F800001u,  // signalling NaN
      0x80000000u,  // -0.0
      0x00000001u,  // smallest denormal
      0xFF800000u,  // -infinity
      0x41480000u,  // 12.5
  };
  float values[6];
  std::memcpy(values, patterns, sizeof values);
  HistoryFileWriter writer(path, 6);
  ASSERT_TRUE(writer.Append(values, 6).Written);
  ASSERT_TRUE(writer.Append(values, 6).Written);

  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  ASSERT_EQ(reader.RecordCount(), 2);
  float back[12];
  ASSERT_TRUE(reader.ReadRecords(0, 2, back).ok());
  EXPECT_EQ(std::memcmp(back, patterns, sizeof patterns), 0);
  EXPECT_EQ(std::memcmp(back + 6, patterns, sizeof patterns), 0);
  EXPECT_EQ(fs::file_size(path), 460824u + 2 * 24);
}

TEST(HistoryWriterTest, ZeroChannelsKeepTheFileAtItsHeader) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  ASSERT_TRUE(CreateHistoryFile(path, *HeaderOf(0, 1, kStart)).ok());
  HistoryFileWriter writer(path, 0);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(writer.Append(nullptr, 0).Report.empty());
  EXPECT_EQ(fs::file_size(path), 460824u);
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  EXPECT_EQ(reader.RecordCount(), 0);
}

TEST(HistoryWriterTest, TrailingPartialRecordIsNotCountedAndTheNextAppendRealigns) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  ASSERT_TRUE(CreateHistoryFile(path, *HeaderOf(4, 60, kStart)).ok());
  HistoryFileWriter writer(path, 4);
  for (int k = 0; k < 3; ++k) ASSERT_TRUE(writer.Append(Record(4, k).data(), 4).Written);
  AppendBytes(path, std::string(15, '\x7F'));  // 4n - 1 stray bytes

  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  EXPECT_EQ(reader.RecordCount(), 3);

  ASSERT_TRUE(writer.Append(Record(4, 3).data(), 4).Written);
  EXPECT_EQ(fs::file_size(path), 460824u + 4 * 16);
  ASSERT_TRUE(reader.Open(path).ok());
  ASSERT_EQ(reader.RecordCount(), 4);
  std::vector<float> back(4);
  ASSERT_TRUE(reader.ReadRecord(3, back.data()).ok());
  EXPECT_EQ(back, Record(4, 3));
}

TEST(HistoryWriterTest, VanishedFileIsReportedOnceAndNeverCreatedAgain) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  ASSERT_TRUE(CreateHistoryFile(path, *HeaderOf(2, 1, kStart)).ok());
  HistoryFileWriter writer(path, 2);
  ASSERT_TRUE(writer.Append(Record(2, 0).data(), 2).Written);
  fs::remove(path);

  const WriteOutcome first = writer.Append(Record(2, 1).data(), 2);
  EXPECT_FALSE(first.Written);
  EXPECT_NE(first.Report.find(path), std::string::npos);
  const WriteOutcome second = writer.Append(Record(2, 2).data(), 2);
  EXPECT_FALSE(second.Written);
  EXPECT_TRUE(second.Report.empty());
  EXPECT_FALSE(fs::exists(path));
}

TEST(HistoryWriterTest, RecordOfTheWrongLengthIsRefusedAndReportedOnce) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  ASSERT_TRUE(CreateHistoryFile(path, *HeaderOf(3, 1, kStart)).ok());
  HistoryFileWriter writer(path, 3);
  const std::vector<float> values(4, 1.0f);
  EXPECT_FALSE(writer.Append(values.data(), 4).Report.empty());
  EXPECT_TRUE(writer.Append(values.data(), 2).Report.empty());
  EXPECT_EQ(fs::file_size(path), 460824u);
  EXPECT_TRUE(writer.Append(values.data(), 3).Written);
  EXPECT_EQ(fs::file_size(path), 460824u + 12);
}

TEST(HistoryWriterTest, WriterWithoutFileSkipsQuietly) {
  HistoryFileWriter writer;
  const float value = 1.0f;
  const WriteOutcome outcome = writer.Append(&value, 1);
  EXPECT_FALSE(outcome.Written);
  EXPECT_TRUE(outcome.Report.empty());
}

// The child writes under a file size limit that ends in the middle of the third record, so the
// system takes only part of it, as on a full disk. Returns 0 when every check held, else the
// number of the first one that failed.
int ShortWriteChild(const std::string& path, int channels) {
  signal(SIGXFSZ, SIG_IGN);  // the write reports EFBIG instead of ending the process
  rlimit saved{};
  if (getrlimit(RLIMIT_FSIZE, &saved) != 0) return 1;
  rlimit small = saved;
  small.rlim_cur = 460824 + 2 * 4 * channels + 8;
  if (setrlimit(RLIMIT_FSIZE, &small) != 0) return 2;
  HistoryFileWriter writer(path, channels);
  if (!writer.Append(Record(channels, 0).data(), channels).Written) return 3;
  if (!writer.Append(Record(channels, 1).data(), channels).Written) return 4;
  const WriteOutcome cut = writer.Append(Record(channels, 2).data(), channels);
  if (cut.Written || cut.Report.find(path) == std::string::npos) return 5;
  if (fs::file_size(path) != 460824u + 2u * 4 * channels) return 6;
  const WriteOutcome again = writer.Append(Record(channels, 2).data(), channels);
  if (again.Written || !again.Report.empty()) return 7;  // reported once
  if (setrlimit(RLIMIT_FSIZE, &saved) != 0) return 8;
  if (!writer.Append(Record(channels, 3).data(), channels).Written) return 9;
  return 0;
}

TEST(HistoryWriterTest, ShortWriteIsCutBackToTheLastWholeRecord) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  constexpr int kChannels = 5;
  ASSERT_TRUE(CreateHistoryFile(path, *HeaderOf(kChannels, 1, kStart)).ok());
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) _exit(ShortWriteChild(path, kChannels));
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "check " << WEXITSTATUS(status) << " failed in the child";

  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  ASSERT_EQ(reader.RecordCount(), 3);
  EXPECT_EQ(reader.FileSize(), 460824 + 3 * 4 * kChannels);
  std::vector<float> back(kChannels);
  for (int k : {0, 1}) {
    ASSERT_TRUE(reader.ReadRecord(k, back.data()).ok());
    EXPECT_EQ(back, Record(kChannels, k));
  }
  ASSERT_TRUE(reader.ReadRecord(2, back.data()).ok());
  EXPECT_EQ(back, Record(kChannels, 3));  // the record after the failure, in place
}

// ---- Reading ---------------------------------------------------------------------------------

TEST(HistoryReaderTest, RecordCountUses64BitSizesBeyond4GiB) {
  TempDir dir;
  const std::string path = dir.File("big.vq");
  constexpr int kChannels = 4;
  ASSERT_TRUE(CreateHistoryFile(path, *HeaderOf(kChannels, 1, kStart)).ok());
  constexpr std::int64_t kRecords = (std::int64_t{9} << 29) / (4 * kChannels);  // 4.5 GiB
  fs::resize_file(path, 460824 + kRecords * 4 * kChannels);  // sparse
  const std::vector<float> last = Record(kChannels, 7);
  ASSERT_TRUE(WriteExistingFileAt(path, 460824 + (kRecords - 1) * 4 * kChannels, last.data(),
                                  4 * kChannels)
                  .ok());

  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  ASSERT_EQ(reader.RecordCount(), kRecords);
  std::vector<float> back(kChannels);
  ASSERT_TRUE(reader.ReadRecord(kRecords - 1, back.data()).ok());
  EXPECT_EQ(back, last);

  HistoryFileWriter writer(path, kChannels);
  ASSERT_TRUE(writer.Append(Record(kChannels, 8).data(), kChannels).Written);
  ASSERT_TRUE(reader.Open(path).ok());
  ASSERT_EQ(reader.RecordCount(), kRecords + 1);
  ASSERT_TRUE(reader.ReadRecord(kRecords, back.data()).ok());
  EXPECT_EQ(back, Record(kChannels, 8));
  EXPECT_EQ(DateTimeToMs(reader.RecordTime(kRecords)) - DateTimeToMs(kStart), kRecords * 1000);
}

TEST(HistoryReaderTest, RecordTimesComeFromTheIndexWithoutDrift) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  ASSERT_TRUE(CreateHistoryFile(path, *HeaderOf(4, 60, kStart)).ok());
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());
  EXPECT_EQ(FormatDateTime(kDisplayDateTimePattern, reader.RecordTime(0)), "24-03-05 14:00:00");
  EXPECT_EQ(FormatDateTime(kDisplayDateTimePattern, reader.RecordTime(2)), "24-03-05 14:02:00");
  // 20,000 one-minute steps added up one by one drift; from the index they land exactly.
  EXPECT_EQ(FormatDateTime(kDisplayDateTimePattern, reader.RecordTime(20000)),
            "24-03-19 11:20:00");
  for (std::int64_t k : {1LL, 3LL, 19999LL, 1234567LL}) {
    EXPECT_EQ(DateTimeToMs(reader.RecordTime(k)), DateTimeToMs(kStart) + k * 60000) << k;
  }
}

TEST(HistoryReaderTest, RangeReadsStopAtTheRecordsTheFileHolds) {
  TempDir dir;
  const std::string path = dir.File("a.vq");
  ASSERT_TRUE(CreateHistoryFile(path, *HeaderOf(2, 1, kStart)).ok());
  HistoryFileWriter writer(path, 2);
  for (int k = 0; k < 5; ++k) ASSERT_TRUE(writer.Append(Record(2, k).data(), 2).Written);
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(path).ok());

  std::vector<float> back(2 * 10, -1.0f);
  std::int64_t got = -1;
  ASSERT_TRUE(reader.ReadRecords(3, 10, back.data(), &got).ok());
  EXPECT_EQ(got, 2);
  EXPECT_EQ(std::vector<float>(back.begin(), back.begin() + 2), Record(2, 3));
  EXPECT_EQ(std::vector<float>(back.begin() + 2, back.begin() + 4), Record(2, 4));
  EXPECT_EQ(back[4], -1.0f);  // nothing written past what was read

  EXPECT_TRUE(reader.ReadRecords(5, 1, back.data(), &got).ok());
  EXPECT_EQ(got, 0);
  EXPECT_FALSE(reader.ReadRecords(6, 1, back.data()).ok());
  EXPECT_FALSE(reader.ReadRecords(-1, 1, back.data()).ok());
  EXPECT_FALSE(reader.ReadRecord(5, back.data()).ok());

  // A file cut short after opening gives what is still there and says so.
  fs::resize_file(path, 460824 + 3 * 8 + 5);
  EXPECT_FALSE(reader.ReadRecords(0, 5, back.data(), &got).ok());
  EXPECT_EQ(got, 3);
}

class HistoryReaderHeaderTest : public ::testing::Test {
 protected:
  FileStatus OpenWith(void (*damage)(THistoryFileHeader&)) {
    auto header = HeaderOf(3, 1, kStart);
    damage(*header);
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(header.get()), sizeof *header);
    return reader_.Open(path_);
  }
  TempDir dir_;
  std::string path_ = dir_.File("a.vq");
  HistoryFileReader reader_;
};

TEST_F(HistoryReaderHeaderTest, RefusesHeadersThatCannotBeRight) {
  const auto expectBad = [this](void (*damage)(THistoryFileHeader&), const char* what) {
    const FileStatus status = OpenWith(damage);
    EXPECT_EQ(status.Error, FileError::BadContent) << what;
    EXPECT_NE(status.Message.find(path_), std::string::npos) << what;
  };
  expectBad([](THistoryFileHeader& h) { h.ChannelCount = -1; }, "negative channel count");
  expectBad([](THistoryFileHeader& h) { h.ChannelCount = 5761; }, "too many channels");
  expectBad([](THistoryFileHeader& h) { h.IntervalSeconds = -5; }, "negative interval");
  expectBad([](THistoryFileHeader& h) { h.StartTime = std::nan(""); }, "start not a number");
  expectBad([](THistoryFileHeader& h) { h.StartTime = 1e300; }, "start beyond the dates");
  EXPECT_TRUE(OpenWith([](THistoryFileHeader& h) { h.ChannelCount = 5760; }).ok());
  EXPECT_EQ(reader_.RecordCount(), 0);
  EXPECT_EQ(reader_.ChannelNameBytes(1), "MeterCH2");
}

TEST_F(HistoryReaderHeaderTest, RefusesFilesShorterThanAHeaderAndMissingFiles) {
  std::ofstream(path_, std::ios::binary) << std::string(460823, '\0');
  FileStatus status = reader_.Open(path_);
  EXPECT_EQ(status.Error, FileError::BadContent);
  EXPECT_NE(status.Message.find(path_), std::string::npos);
  status = reader_.Open(dir_.File("none.vq"));
  EXPECT_EQ(status.Error, FileError::Missing);
}

TEST(HistoryRecordCountTest, FloorsInSixtyFourBits) {
  EXPECT_EQ(HistoryRecordCount(460824, 4), 0);
  EXPECT_EQ(HistoryRecordCount(460824 + 15, 4), 0);
  EXPECT_EQ(HistoryRecordCount(460824 + 16, 4), 1);
  EXPECT_EQ(HistoryRecordCount(460824 + 1000, 0), 0);
  EXPECT_EQ(HistoryRecordCount(100, 4), 0);
  EXPECT_EQ(HistoryRecordCount(460824 + (std::int64_t{1} << 40), 5760),
            (std::int64_t{1} << 40) / 23040);
}

}  // namespace
