#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "station/app/supervision/AlarmListFile.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// A line of NULs with the given texts placed at their offsets.
std::string Line(std::initializer_list<std::pair<int, std::string_view>> parts) {
  std::string line(kAlarmLineSize, '\0');
  for (const auto& [offset, text] : parts) line.replace(offset, text.size(), text);
  return line;
}

std::string Built(const AlarmRowTexts& cells) {
  const AlarmLine line = BuildAlarmLine(cells);
  return std::string(line.begin(), line.end());
}

TEST(AlarmLineTest, HeaderLineKeepsEverySeparatorInsideItsField) {
  // "Alarm Mode" is as long as its field: it loses its last letter so that its TAB stays at 89
  // and "Starting Time" keeps byte 90.
  EXPECT_EQ(Built(kAlarmHeaderTexts), Line({{0, "Slave Name\t"},
                                            {40, "Channel Name\t"},
                                            {80, "Alarm Mod\t"},
                                            {90, "Starting Time\t"},
                                            {120, "End Time\n"}}));
}

TEST(AlarmLineTest, OpenAndClosedRowsOfAnAlarm) {
  EXPECT_EQ(
      Built({"Boiler", "T1", "LA", "19-12-03 14:05:09", ""}),
      Line(
          {{0, "Boiler\t"}, {40, "T1\t"}, {80, "LA\t"}, {90, "19-12-03 14:05:09\t"}, {120, "\n"}}));
  const std::string closed =
      Built({"Boiler", "T1", "HHA", "19-12-03 14:05:09", "19-12-03 14:07:00"});
  EXPECT_EQ(closed.substr(120), "19-12-03 14:07:00\n" + std::string(12, '\0'));
}

TEST(AlarmLineTest, LongTextsAreCutOnCharacterBoundariesInsideTheirField) {
  // 20 two-byte characters: the 20th would end at byte 40, past the 39 a text may use.
  std::string chinese, expected;
  for (int i = 0; i < 20; ++i) chinese += "锅";
  for (int i = 0; i < 19; ++i) expected += "\xB9\xF8";  // its code page 936 form
  const std::string line = Built({std::string(45, 'N'), chinese, "LA", "", ""});
  EXPECT_EQ(line.substr(0, 40), std::string(39, 'N') + "\t");
  EXPECT_EQ(line.substr(40, 40), expected + "\t" + std::string(1, '\0'));
}

TEST(AlarmListWriterTest, RowsLandAtTheirOffsetsAndRewriteOnlyTheirLine) {
  TempDir dir;
  const std::string path = dir.File("a.xls");
  ASSERT_TRUE(CreateAlarmListFile(path).ok());
  EXPECT_EQ(fs::file_size(path), 0u);
  AlarmListWriter writer(path);
  const AlarmRowTexts open = {"Boiler", "T1", "HA", "19-12-03 14:05:09", ""};
  const AlarmRowTexts second = {"Boiler", "T1", "HHA", "19-12-03 14:05:09", ""};
  const AlarmRowTexts closed = {"Boiler", "T1", "HA", "19-12-03 14:05:09", "19-12-03 14:06:10"};
  for (const auto& [row, cells] :
       {std::pair{0, kAlarmHeaderTexts}, {1, open}, {2, second}, {1, closed}}) {
    ASSERT_TRUE(writer.WriteRow(row, cells).Written) << row;
  }
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            Built(kAlarmHeaderTexts) + Built(closed) + Built(second));
}

TEST(AlarmListWriterTest, VanishedFileIsNotCreatedAgainAndReportedOnce) {
  TempDir dir;
  const std::string path = dir.File("a.xls");
  ASSERT_TRUE(CreateAlarmListFile(path).ok());
  AlarmListWriter writer(path);
  fs::remove(path);
  const WriteOutcome first = writer.WriteRow(1, kAlarmHeaderTexts);
  EXPECT_FALSE(first.Written);
  EXPECT_NE(first.Report.find(path), std::string::npos);
  const WriteOutcome second = writer.WriteRow(2, kAlarmHeaderTexts);
  EXPECT_FALSE(second.Written);
  EXPECT_TRUE(second.Report.empty());
  EXPECT_FALSE(fs::exists(path));
}

}  // namespace
