#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "history/parts/ExportFile.h"
#include "tests/support/HistoryFileBuilder.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kViewerChannels = 128;
const TDateTime kStart = EncodeDateTime({2024, 3, 5, 14, 0, 0, 0});

TDateTime At(int hour, int minute, int second) {
  return EncodeDateTime({2024, 3, 5, hour, minute, second, 0});
}

std::array<std::uint8_t, kViewerChannels> AllSelected() {
  std::array<std::uint8_t, kViewerChannels> flags;
  flags.fill(1);
  return flags;
}

// A history file whose record k holds k * 10 + i + 0.5 in channel i, channels named T1, T2, ...
std::string MakeHistory(const TempDir& dir, int channels, int records, std::int32_t interval,
                        const std::string& name = "h.vq") {
  const std::string path = dir.File(name);
  THistoryFileBuilder(channels)
      .Start(kStart)
      .Interval(interval)
      .Names([](int i) { return THistoryFileBuilder::SlotName{"", "T" + std::to_string(i + 1)}; })
      .Records(records)
      .Values([](std::int64_t k, int i) { return static_cast<float>(k * 10 + i) + 0.5f; })
      .Write(path);
  return path;
}

struct Exported {
  FileStatus Status;
  std::string Bytes;
  int Lines = 0;
};

Exported Export(const std::string& history, TDateTime start, TDateTime end, std::int32_t step,
                std::span<const std::uint8_t> selected, const std::string& target) {
  HistoryExport exporter;
  Exported result;
  result.Status = exporter.Open(history);
  if (!result.Status.ok()) return result;
  result.Status = exporter.Write(target, start, end, step, selected, [&] { ++result.Lines; });
  if (result.Status.ok()) result.Bytes = ReadFileBytes(target);
  return result;
}

// ---- The file written ------------------------------------------------------------------------

TEST(ExportFileTest, RangeBetweenRecordsWithStepOne) {
  TempDir dir;
  const std::string history = MakeHistory(dir, 3, 10, 60);
  auto flags = AllSelected();
  flags[1] = 0;  // T2 unchecked
  HistoryExport exporter;
  ASSERT_TRUE(exporter.Open(history).ok());
  EXPECT_EQ(exporter.FirstRecord(At(14, 0, 30)), 1);
  EXPECT_EQ(exporter.IntervalCount(At(14, 0, 30), At(14, 5, 0)), 5);

  const Exported out = Export(history, At(14, 0, 30), At(14, 5, 0), 1, flags, dir.File("x.xls"));
  ASSERT_TRUE(out.Status.ok()) << out.Status.Message;
  EXPECT_EQ(out.Bytes,
            "Time\tT1\tT3\t\r\n"
            "24-03-05 14:00:30\t10.5\t12.5\t\r\n"
            "24-03-05 14:02:30\t30.5\t32.5\t\r\n"
            "24-03-05 14:04:30\t50.5\t52.5\t\r\n");
  EXPECT_EQ(out.Lines, 3);
}

TEST(ExportFileTest, StartExactlyOnARecordExportsThatRecord) {
  // Starts formed from calendar fields, as the pickers give them: a ceiling of the TDateTime
  // difference lands one record late for many of these.
  TempDir dir;
  const std::string history = MakeHistory(dir, 1, 0, 7);
  HistoryExport exporter;
  ASSERT_TRUE(exporter.Open(history).ok());
  for (int k = 0; k < 20000; ++k) {
    const std::int64_t ms = DateTimeToMs(kStart) + std::int64_t{k} * 7000;
    const DateTimeParts p = DecodeDateTime(MsToDateTime(ms));
    ASSERT_EQ(exporter.FirstRecord(EncodeDateTime(p)), k) << "record " << k;
  }
}

TEST(ExportFileTest, SingleInstantAndFileEndBounds) {
  TempDir dir;
  const std::string history = MakeHistory(dir, 2, 10, 60);
  const auto flags = AllSelected();
  const Exported one = Export(history, At(14, 3, 0), At(14, 3, 0), 0, flags, dir.File("a.xls"));
  EXPECT_EQ(one.Bytes, "Time\tT1\tT2\t\r\n24-03-05 14:03:00\t30.5\t31.5\t\r\n");

  // To the file's end (the time of the record after the last): the last line is record 9.
  const Exported all = Export(history, kStart, At(14, 10, 0), 0, flags, dir.File("b.xls"));
  EXPECT_EQ(all.Lines, 10);
  EXPECT_TRUE(all.Bytes.ends_with("24-03-05 14:09:00\t90.5\t91.5\t\r\n")) << all.Bytes;

  // A step past the range: one line only.
  const Exported big = Export(history, kStart, At(14, 10, 0), 2147483647, flags, dir.File("c.xls"));
  EXPECT_EQ(big.Lines, 1);
}

TEST(ExportFileTest, ValuesAsValueTextNamesAsStoredAndNoChannelSelected) {
  TempDir dir;
  const std::string history = MakeHistory(dir, 3, 0, 1);
  // 25, 0.5 and the float32 value nearest to 0.1.
  const char values[] = "\0\0\xC8\x41\0\0\0\x3F\xCD\xCC\xCC\x3D";
  std::ofstream(history, std::ios::binary | std::ios::app).write(values, 12);
  {
    std::fstream file(history, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(offsetof(THistoryFileHeader, ChannelNames));
    file.write("\xCE\xC2\xB6\xC8", 5);  // code page 936 name of channel 0, with its NUL
  }
  EXPECT_EQ(Export(history, kStart, kStart, 0, AllSelected(), dir.File("v.xls")).Bytes,
            "Time\t\xCE\xC2\xB6\xC8\tT2\tT3\t\r\n24-03-05 14:00:00\t25\t0.5\t0.1\t\r\n");

  const std::array<std::uint8_t, kViewerChannels> none{};
  EXPECT_EQ(Export(history, kStart, kStart, 0, none, dir.File("n.xls")).Bytes,
            "Time\t\r\n24-03-05 14:00:00\t\r\n");
}

TEST(ExportFileTest, DataEndingBeforeTheRangeEndKeepsTheLinesWritten) {
  TempDir dir;
  const std::string history = MakeHistory(dir, 2, 4, 60);
  std::ofstream(history, std::ios::binary | std::ios::app).write("\1\2\3\4\5", 5);  // partial
  const Exported out = Export(history, kStart, At(15, 0, 0), 0, AllSelected(), dir.File("e.xls"));
  EXPECT_TRUE(out.Status.ok());
  EXPECT_EQ(out.Lines, 4);
  EXPECT_TRUE(out.Bytes.ends_with("24-03-05 14:03:00\t30.5\t31.5\t\r\n"));
}

TEST(ExportFileTest, RecordsBeyondFourGibibytesAreReached) {
  // A sparse file of 1.2e9 one-channel records (4.8 GB) with one value written far out.
  TempDir dir;
  const std::string history = MakeHistory(dir, 1, 0, 1);
  const std::int64_t k = 1'100'000'000;
  const std::int64_t offset = kHistoryHeaderSize + k * 4;
  std::filesystem::resize_file(history, kHistoryHeaderSize + 1'200'000'000LL * 4);
  {
    std::fstream file(history, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(offset);
    const float value = 42.0f;
    file.write(reinterpret_cast<const char*>(&value), sizeof value);
  }
  const TDateTime at = MsToDateTime(DateTimeToMs(kStart) + k * 1000);
  const Exported out = Export(history, at, at, 0, AllSelected(), dir.File("far.xls"));
  ASSERT_TRUE(out.Status.ok()) << out.Status.Message;
  EXPECT_EQ(out.Bytes,
            "Time\tT1\t\r\n" + FormatDateTime(kDisplayDateTimePattern, at) + "\t42\t\r\n");
}

// ---- Refusals --------------------------------------------------------------------------------

TEST(ExportFileTest, FilesTheViewerCannotHoldAreRefused) {
  TempDir dir;
  HistoryExport exporter;
  const FileStatus zero = exporter.Open(MakeHistory(dir, 2, 3, 0, "zero.vq"));
  EXPECT_EQ(zero.Error, FileError::BadContent);
  EXPECT_NE(zero.Message.find("zero.vq"), std::string::npos);
  const FileStatus empty = exporter.Open(MakeHistory(dir, 0, 1, 1, "empty.vq"));
  EXPECT_EQ(empty.Error, FileError::BadContent);
  EXPECT_NE(empty.Message.find("empty.vq"), std::string::npos);
  EXPECT_EQ(exporter.Open(dir.File("missing.vq")).Error, FileError::Missing);
}

TEST(ExportFileTest, FileOfMoreThan128ChannelsExportsItsFirst128) {
  TempDir dir;
  const std::string history = MakeHistory(dir, 130, 2, 1, "wide.vq");
  const Exported out = Export(history, kStart, At(14, 0, 1), 0, AllSelected(), dir.File("w.xls"));
  ASSERT_TRUE(out.Status.ok()) << out.Status.Message;
  std::string header = "Time\t";
  std::string second = FormatDateTime(kDisplayDateTimePattern, At(14, 0, 1)) + "\t";
  for (int i = 0; i < kViewerChannels; ++i) {
    header += "T" + std::to_string(i + 1) + "\t";
    second += std::to_string(10 + i) + ".5\t";  // record 1, read at its own offset
  }
  ASSERT_EQ(out.Lines, 2);
  EXPECT_EQ(out.Bytes.substr(0, header.size() + 2), header + "\r\n");
  EXPECT_EQ(out.Bytes.substr(out.Bytes.size() - second.size() - 2), second + "\r\n");
}

TEST(ExportFileTest, TargetsThatCannotTakeTheExportAreReported) {
  TempDir dir;
  const std::string history = MakeHistory(dir, 1, 3, 1);
  const std::string before = ReadFileBytes(history);
  EXPECT_FALSE(Export(history, kStart, kStart, 0, AllSelected(), history).Status.ok());
  EXPECT_EQ(ReadFileBytes(history), before);  // the data is not emptied
  // A full disk: the export is not reported as done.
  const FileStatus full = Export(history, kStart, kStart, 0, AllSelected(), "/dev/full").Status;
  EXPECT_EQ(full.Error, FileError::Io);
  EXPECT_NE(full.Message.find("/dev/full"), std::string::npos);
}

TEST(ExportFileTest, RangeChecksInWholeMilliseconds) {
  const TDateTime end = At(14, 10, 0);
  // The file's bounds as a picker gives them back may differ from the file's in the last bit.
  EXPECT_TRUE(ExportRangeIsValid(std::nextafter(kStart, 0.0), end, kStart, end));
  EXPECT_FALSE(ExportRangeIsValid(kStart, At(14, 10, 1), kStart, end));
}

}  // namespace
