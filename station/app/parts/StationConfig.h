#pragma once
// TStationConfig: the station's stored configuration as the main window holds it in memory, and
// its persistence in Config.dat (ConfigFile).
//
// Owns the meter table (records, count and the baud index of every COM port), the
// configuration password, the trend back colour and the trend axis range, and what the window
// lets the operator reach of them (TConfigAccess). Edits act on the table in memory at once;
// the table and the baud indexes reach Config.dat only through SaveMeterTable and SaveBaudTable,
// while the password, the back colour and the range are written as soon as they change.
//
// Start-up: CreateFileIfMissing, ClearOnlineStates, then the loads in the order LoadMeterTable,
// LoadChartBackColor, LoadPassword, LoadBaudTable, LoadCurveRange. A load keeps what the file
// validly holds and notes a problem text; TakeLoadProblems hands the texts over (one error box
// at start-up). A save returns the status of its write; nothing is kept back on a failure
// except where said.
//
// No Qt. GUI thread only: the polling threads read the stored part of the table while they run,
// so nothing here may write it then (the editors work in configuration mode only).

#include <cstdint>
#include <functional>
#include <string>

#include "common/MeterRecord.h"
#include "platform/File.h"
#include "station/app/parts/ConfigAccess.h"
#include "station/app/parts/Reports.h"

// The trend range as the trend page's OK button takes it from its two edits: each text a number,
// truncated toward zero to a whole number that fits a float32 (the form the range is stored in),
// and the low end below the high one.
enum class TCurveRangeCheck {
  Accepted,
  NotANumber,    // "Data Error!": nothing changes
  NotAscending,  // the order message: the edits show the stored range again
};
struct TCurveRangeEntry {
  TCurveRangeCheck Check = TCurveRangeCheck::NotANumber;
  float Low = 0.0f;   // the whole numbers, when accepted
  float High = 0.0f;
};
TCurveRangeEntry CheckCurveRange(const std::string& lowText, const std::string& highText);
// The message of a refused range (the box's caption is "Error"); nullptr when accepted.
const char* CurveRangeRefusal(TCurveRangeCheck check);
// One end of the stored range as its edit shows it: the general format with 3 exponent digits.
std::string CurveRangeText(float value);

class TStationConfig {
 public:
  // `path` gives Config.dat's path at each use: the application directory is taken only when
  // start-up runs. `files` is the file system every operation goes through.
  explicit TStationConfig(std::function<std::string()> path, FileSystem& files = SystemFiles());

  MeterTable& Table() { return table_; }
  const MeterTable& Table() const { return table_; }
  // UTF-8; at most 8 code page 936 bytes.
  const std::string& Password() const { return password_; }
  std::int32_t ChartBackColor() const { return chartBackColor_; }
  float CurveRangeLow() const { return curveRangeLow_; }
  float CurveRangeHigh() const { return curveRangeHigh_; }
  TConfigAccess& Access() { return access_; }
  const TConfigAccess& Access() const { return access_; }
  std::string Path() const { return path_(); }

  // ---- Start-up ----
  // Creates a missing Config.dat (zero-filled, default password); when it made the file, the
  // meter count becomes 0 and the password the default. An existing file is left untouched.
  [[nodiscard]] FileStatus CreateFileIfMissing();
  // Every meter shows as not answering until its first good poll; values are kept.
  void ClearOnlineStates();
  void LoadMeterTable();
  void LoadChartBackColor();
  // Also tells Access whether the stored password could be read.
  void LoadPassword();
  void LoadBaudTable();
  void LoadCurveRange();
  // The problem texts of the loads since the last call, in load order; empties the list. Loads
  // that read nothing for one cause (a file that cannot be opened) share one line naming what
  // was not loaded.
  Reports TakeLoadProblems();

  // ---- Saves ----
  [[nodiscard]] FileStatus SaveMeterTable() const;
  [[nodiscard]] FileStatus SaveBaudTable() const;
  // The colour and the range take their new values in memory, then are written.
  [[nodiscard]] FileStatus SetChartBackColor(std::int32_t color);
  [[nodiscard]] FileStatus SetCurveRange(float low, float high);
  // The new password holds only once it is in Config.dat: after a failed save the password in
  // memory stays the one on disk, so the next start asks for the same one.
  [[nodiscard]] FileStatus ChangePassword(std::string password);

 private:
  std::function<std::string()> path_;
  FileSystem& files_;
  // Held in place: the tick reaches every record through it, and an indirection there costs
  // measurably. Some 520 kB, so a TStationConfig belongs on the heap, not on a stack.
  MeterTable table_;
  std::string password_;
  std::int32_t chartBackColor_ = 0;
  float curveRangeLow_ = 0.0f;
  float curveRangeHigh_ = 0.0f;
  TConfigAccess access_;
  Reports loadProblems_;
};
