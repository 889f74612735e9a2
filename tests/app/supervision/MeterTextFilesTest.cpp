#include "station/app/supervision/MeterTextFiles.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/FixedText.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// 2019-12-03 14:05:09
const TDateTime kAfternoon = EncodeDateTime({2019, 12, 3, 14, 5, 9, 0});
// "时间" in code page 936.
const std::string kTimeTitle = "\xCA\xB1\xBC\xE4";

TEST(MeterTextFileNameTest, NamesStayInsideTheHalfDayFolder) {
  EXPECT_EQ(MeterTextFileName("Boiler", 119), "Boiler_119.xls");
  EXPECT_EQ(MeterTextFileName("../etc/x", 3), ".._etc_x_3.xls");
  EXPECT_EQ(MeterTextFileName("a\\b", 1), "a_b_1.xls");
  EXPECT_EQ(MeterTextFileName("", 2), "_2.xls");
  EXPECT_EQ(MeterTextFileName("..", 5), ".._5.xls");
  // U+4E57 is 0x81 0x5C: a double-byte character whose second byte is a backslash is kept.
  EXPECT_EQ(MeterTextFileName("\x81\x5C", 0), "\xE4\xB9\x97_0.xls");
  EXPECT_EQ(MeterTextFileName("\xB9\xF8\xC2\xAF", 0), "锅炉_0.xls");
  EXPECT_EQ(MeterTextFolder("/app", EncodeDateTime({2019, 12, 3, 11, 59, 59, 999})),
            "/app/19Y12M/03DAM");
}

class MeterTextWriterTest : public ::testing::Test {
 protected:
  MeterTextWriterTest() {
    WriteFixedText(meter_.Name, "Boiler");
    meter_.ChannelCount = 1;
    WriteFixedText(meter_.Channels[0].Name, "温度");
    meter_.Values[0] = 12.5f;
    meter_.Online = 1;
  }
  WriteOutcome WriteRow(TDateTime tick, std::string* folderReport = nullptr) {
    std::string report;
    const std::string path = writer_.PathFor(dir_.Path(), "Boiler", 0, tick, report);
    if (folderReport) *folderReport = report;
    return writer_.AppendRow(path, meter_, FormatDateTime(kTextRowTimePattern, tick));
  }
  std::string Pm(const char* name) const { return dir_.File(std::string("19Y12M/03DPM/") + name); }

  TempDir dir_;
  TMeterRecord meter_;
  MeterTextWriter writer_;
};

TEST_F(MeterTextWriterTest, ExistingFileIsAppendedToEvenWhenTheChannelsChanged) {
  ASSERT_TRUE(WriteRow(kAfternoon).Written);
  EXPECT_EQ(ReadFileBytes(Pm("Boiler_0.xls")),
            kTimeTitle + "\t\xCE\xC2\xB6\xC8\t\n  14:05:09\t12.5\t\n");
  meter_.ChannelCount = 2;
  meter_.Values[1] = -123456.0f;
  ASSERT_TRUE(WriteRow(kAfternoon + 1 / 86400.0).Written);
  EXPECT_EQ(ReadFileBytes(Pm("Boiler_0.xls")), kTimeTitle +
                                                   "\t\xCE\xC2\xB6\xC8\t\n  14:05:09\t12.5\t\n"
                                                   "  14:05:10\t12.5\t-1.2346E5\t\n");
}

TEST_F(MeterTextWriterTest, ControlCharactersInNamesAreBlanksSoEachNameStaysAboveItsColumn) {
  meter_.ChannelCount = 3;
  WriteFixedText(meter_.Channels[0].Name, "T\t1");
  WriteFixedText(meter_.Channels[1].Name, "a\r\nb");
  WriteFixedText(meter_.Channels[2].Name, "\xE6\xB8\xA9\n");  // 温 and a line feed
  meter_.Values[1] = 2.0f;
  meter_.Values[2] = 3.0f;
  ASSERT_TRUE(WriteRow(kAfternoon).Written);
  EXPECT_EQ(ReadFileBytes(Pm("Boiler_0.xls")),
            kTimeTitle + "\tT 1\ta  b\t\xCE\xC2 \t\n  14:05:09\t12.5\t2\t3\t\n");
  EXPECT_EQ(ReadFixedText(meter_.Channels[1].Name), "a\r\nb");  // the stored name is kept
}

TEST_F(MeterTextWriterTest, ControlCharactersAndAFortiethByteStayOutOfTheFileName) {
  // A damaged name field: 40 bytes without a NUL, holding TAB, CR, LF, ESC and DEL.
  const std::string stored = "A\tB\rC\nD\x1B\x7F" + std::string(30, 'x') + "Z";
  ASSERT_EQ(stored.size(), sizeof meter_.Name);
  std::memcpy(meter_.Name, stored.data(), stored.size());
  std::string report;
  const std::string path =
      writer_.PathFor(dir_.Path(), FixedBytes(meter_.Name), 7, kAfternoon, report);
  ASSERT_TRUE(writer_.AppendRow(path, meter_, "14:05:09").Written);
  const std::string expected = "A_B_C_D__" + std::string(30, 'x') + "_7.xls";
  EXPECT_EQ(fs::path(path).filename().string(), expected);
  EXPECT_EQ(ReadFileBytes(Pm(expected.c_str())),
            kTimeTitle + "\t\xCE\xC2\xB6\xC8\t\n  14:05:09\t12.5\t\n");
  // The cut keeps whole characters: 38 bytes and a double-byte one give the 38 bytes.
  EXPECT_EQ(MeterTextFileName(std::string(38, 'y') + "\xB9\xF8", 0),
            std::string(38, 'y') + "_0.xls");
}

TEST_F(MeterTextWriterTest, FolderRemovedDuringTheHalfDayIsMadeAgain) {
  ASSERT_TRUE(WriteRow(kAfternoon).Written);
  fs::remove_all(dir_.File("19Y12M"));
  const WriteOutcome outcome = WriteRow(kAfternoon + 10 / 86400.0);
  EXPECT_TRUE(outcome.Written) << outcome.Report;
  EXPECT_EQ(ReadFileBytes(Pm("Boiler_0.xls")).substr(0, 4), kTimeTitle);  // a new file
}

TEST_F(MeterTextWriterTest, AProblemIsReportedOnceAndAgainOnlyAfterASuccess) {
  std::ofstream(dir_.File("19Y12M")) << "a file where the month folder belongs";
  std::string folderReport;
  const WriteOutcome first = WriteRow(kAfternoon, &folderReport);
  EXPECT_FALSE(first.Written);
  EXPECT_NE(folderReport.find("19Y12M/03DPM"), std::string::npos) << folderReport;
  EXPECT_NE(first.Report.find("Boiler_0.xls"), std::string::npos) << first.Report;
  for (int second = 1; second <= 3; ++second) {
    const WriteOutcome again = WriteRow(kAfternoon + second / 86400.0, &folderReport);
    EXPECT_FALSE(again.Written);
    EXPECT_EQ(again.Report + folderReport, "");
  }

  fs::remove(dir_.File("19Y12M"));
  EXPECT_TRUE(WriteRow(kAfternoon + 4 / 86400.0).Written);
  fs::remove(Pm("Boiler_0.xls"));
  fs::create_directory(Pm("Boiler_0.xls"));  // a folder in the file's place
  EXPECT_FALSE(WriteRow(kAfternoon + 5 / 86400.0).Report.empty());
  EXPECT_TRUE(WriteRow(kAfternoon + 6 / 86400.0).Report.empty());
}

TEST_F(MeterTextWriterTest, ARowCutShortByAFullDiskIsRemovedSoTheNextRowStartsItsOwnLine) {
  ASSERT_TRUE(WriteRow(kAfternoon).Written);
  const std::string before = ReadFileBytes(Pm("Boiler_0.xls"));
  // Writes past the limit fail part-way with EFBIG, as on a full disk.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{before.size() + 5, saved.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const WriteOutcome failed = WriteRow(kAfternoon + 1 / 86400.0);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(failed.Written);
  EXPECT_NE(failed.Report.find("Boiler_0.xls"), std::string::npos) << failed.Report;
  EXPECT_EQ(ReadFileBytes(Pm("Boiler_0.xls")), before);

  ASSERT_TRUE(WriteRow(kAfternoon + 2 / 86400.0).Written);
  EXPECT_EQ(ReadFileBytes(Pm("Boiler_0.xls")), before + "  14:05:11\t12.5\t\n");
}

TEST_F(MeterTextWriterTest, NoonStartsANewFileWithItsHeaderInThePmFolder) {
  ASSERT_TRUE(WriteRow(EncodeDateTime({2019, 12, 3, 11, 59, 59, 0})).Written);
  ASSERT_TRUE(WriteRow(EncodeDateTime({2019, 12, 3, 12, 0, 9, 0})).Written);
  const std::string header = kTimeTitle + "\t\xCE\xC2\xB6\xC8\t\n";
  EXPECT_EQ(ReadFileBytes(dir_.File("19Y12M/03DAM/Boiler_0.xls")), header + "  11:59:59\t12.5\t\n");
  EXPECT_EQ(ReadFileBytes(Pm("Boiler_0.xls")), header + "  12:00:09\t12.5\t\n");
}

}  // namespace
