#pragma once
// Meters, expected file bytes and stand-ins shared by the cycle's tests, on the parts and on the
// window alike. No Qt here.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/DateTime.h"
#include "common/FixedText.h"
#include "common/HistoryFile.h"
#include "common/MeterRecord.h"
#include "platform/Clock.h"
#include "platform/Cp936.h"
#include "tests/app/MeterTableHelpers.h"
#include "tests/support/TestSupport.h"
#include "tools/sim/ScriptedSlave.h"

// 2019-12-03 14:05:08: the first tick comes a second later, at 14:05:09.
inline const TDateTime kCycleStart = EncodeDateTime({2019, 12, 3, 14, 5, 8, 0});

// Data rows of a text file's bytes (the lines after the header).
inline int DataRows(const std::string& text) {
  const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  return lines > 0 ? lines - 1 : 0;
}

// Bytes of one line of the alarm list file.
inline constexpr int kAlarmFileLineBytes = 150;

// A line of the alarm list file: each text at its field's offset, its separator right after it.
inline std::string AlarmFileLine(const std::string& meter, const std::string& channel,
                                 const std::string& kind, const std::string& start,
                                 const std::string& end = "") {
  std::string line(kAlarmFileLineBytes, '\0');
  const std::string texts[] = {meter, channel, kind, start, end};
  const int offsets[] = {0, 40, 80, 90, 120};
  for (int col = 0; col < 5; ++col) {
    line.replace(offsets[col], texts[col].size(), texts[col]);
    line[offsets[col] + texts[col].size()] = col < 4 ? '\t' : '\n';
  }
  return line;
}

// Line `row` of the alarm list file at `path` (the header is line 0).
inline std::string AlarmFileLineAt(const std::string& path, int row) {
  return ReadFileBytes(path).substr(static_cast<std::size_t>(row) * kAlarmFileLineBytes,
                                    kAlarmFileLineBytes);
}

// Whole lines in the alarm list file at `path`, the header included.
inline int AlarmFileLineCount(const std::string& path) {
  return static_cast<int>(ReadFileBytes(path).size() / kAlarmFileLineBytes);
}

// Stands for a disk that refuses the history writes from call `first` (1-based) on, `count` times.
inline HistoryRecordSink RefusingHistorySink(int first, int count) {
  auto calls = std::make_shared<int>(0);
  return [=](const std::string& path, std::size_t recordBytes, std::int64_t at,
             const void* records, std::size_t n, HistoryWrite& result) {
    ++*calls;
    if (*calls >= first && *calls < first + count) {
      result = {};
      return FileStatus::Fail(FileError::Io, "Cannot write " + path + ": No space left");
    }
    return WriteHistoryRecords(path, recordBytes, at, records, n, result);
  };
}

// Every record of a history file as the viewer reads it: its time (ms) and channel 0's value.
inline std::vector<std::pair<std::int64_t, float>> TimedRecords(const std::string& path) {
  HistoryFileReader reader;
  EXPECT_TRUE(reader.Open(path).ok()) << path;
  std::vector<std::pair<std::int64_t, float>> records;
  std::vector<float> record(reader.ChannelCount());
  for (std::int64_t k = 0; k < reader.RecordCount(); ++k) {
    EXPECT_TRUE(reader.ReadRecord(k, record.data()).ok());
    records.emplace_back(DateTimeToMs(reader.RecordTime(k)), record[0]);
  }
  return records;
}

// ---- SMS ---------------------------------------------------------------------------------------

inline constexpr int kNoTextRows = 1000000;  // record interval that keeps text rows out of the way
inline constexpr int kGsmCom = 7;
inline const char* const kNumber = "13800138000";
inline const char* const kSentCaption = "发出短息。      ";

// "Boiler" with `channels` channels in kPa at 12.5, without text rows. Each SMS entry of a channel
// is exactly 40 bytes: "Boiler--" and a 23-character name, TAB, "12.5", "kPa", LF.
inline TMeterRecord& AddBoiler(MeterTable& table, int channels) {
  static const char* const names[] = {"Outlet temperature no 1", "Outlet temperature no 2",
                                      "Outlet temperature no 3", "Outlet temperature no 4",
                                      "Outlet temperature no 5"};
  TMeterRecord& meter = AddTestMeter(
      table, "Boiler", std::vector<const char*>(names, names + channels), kNoTextRows);
  for (int c = 0; c < channels; ++c) {
    WriteFixedText(meter.Channels[c].Unit, "kPa");
    meter.Values[c] = 12.5f;
  }
  return meter;
}

inline std::string BoilerEntry(int channel) {
  return "Boiler--Outlet temperature no " + std::to_string(channel) + "\t12.5kPa\n";
}

inline std::string SmsHead(const std::string& number, const std::string& text = "ALARM") {
  return "86" + number + ":" + text + "\n";
}

// Res/GSM_Alarm.ini as saved from the GSM page both save suites fill in: alarms on, COM 3,
// power channel 2, delay 15, reload 5, an alarm text whose first line is "first line", and the
// phone book's first row `name` (UTF-8, stored in code page 936) and `number`, rows 2..10 empty.
inline std::string ExpectedGsmIni(const std::string& name, const std::string& number) {
  std::string expected =
      "[GSM]\r\nEnable=1\r\nCOM=3\r\nPWR_ALARM=0\r\nPWR_CH=2\r\nDelay=15\r\nReload=5\r\n"
      "Text=first line\r\n\r\n[PhoneList]\r\nName1=" +
      Utf8ToCp936(name) + "\r\nNum1=" + number + "\r\n";
  for (int row = 2; row <= 10; ++row) {
    expected += "Name" + std::to_string(row) + "=\r\nNum" + std::to_string(row) + "=\r\n";
  }
  return expected;
}

// A GSM port that is a pty linked as COM kGsmCom under the application directory: what the
// station writes is read back raw by a slave that answers nothing.
class GsmPort {
 public:
  explicit GsmPort(const std::string& appDir) : slave_(std::vector<std::uint8_t>{}) {
    slave_.StartPty();
    slave_.LinkAsCom(appDir, kGsmCom);
  }
  // Every byte the port received, once at least `count` are there (or after 5 s). With `count`
  // 0, after a pause in which stray bytes would have arrived.
  std::string Received(std::size_t count) const {
    if (count == 0) RealSleepMs(200);
    std::string bytes;
    WaitUntil([&] {
      bytes.clear();
      for (const Frame& frame : slave_.Requests()) bytes.append(frame.begin(), frame.end());
      return bytes.size() >= count;
    });
    return bytes;
  }

 private:
  ScriptedSlave slave_;
};
