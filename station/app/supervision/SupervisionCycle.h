#pragma once
// The supervision cycle: one tick a second in run mode, from the meter table and the tick time
// to what the window shows (TickView) and what the recorders write. No Qt here; main thread
// only.
//
// A tick reads the clock once (the caller's `tick`) and drives, in this order: the clock text;
// for every channel of every meter (table order) its trend point, its entry of the tick value
// list, its overview tile and its alarm rows; after each meter's channels, that meter's text row
// when its record interval has passed; the alarm step (the alarm branch followed by the SMS step,
// or the reset branch); the history record when one is due.
//
// The steps are kept apart: an error raised by one of them (a bad delay text in the alarm step,
// for one) ends that step only, so the tick still records its history and text rows. The error is
// reported once, after the tick, and again only after the step has succeeded in between; the same
// holds for files that cannot be written. An alarm delay that is not a whole number is told once
// for each text: again only when the operator has changed the text since (start-up's report of
// it counts). Missed ticks are not made up, but history records are: the first tick after a gap
// fills every slot it finds missed with its own values.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/DateTime.h"
#include "common/MeterRecord.h"
#include "station/app/parts/Reports.h"
#include "station/app/supervision/AlarmRecords.h"
#include "station/app/supervision/AlarmSequence.h"
#include "station/app/supervision/OverviewTiles.h"
#include "station/app/supervision/Recorders.h"
#include "station/app/supervision/SmsAlarm.h"
#include "station/app/supervision/SmsPage.h"

// What a tick shows and asks of the window, at the moment of each step. Implemented by the main
// window; called on the GUI thread inside the tick.
class TickView {
 public:
  virtual ~TickView() = default;

  // The clock label's text (UTF-8).
  virtual void ShowClock(const std::string& text) = 0;
  // The trend step of one channel: series `series` scrolls by one point.
  virtual void Animate(int series, const std::string& label, double value) = 0;
  // After the channel steps: the tiles the tick changed may be shown.
  virtual void ShowChangedTiles() = 0;
  // Alarm row `row` opened (every cell is new) or closed (its end time is new).
  virtual void ShowAlarmRow(int row, const AlarmRow& cells, bool opened) = 0;
  // The alarm records were reset: the grid shows the header row alone.
  virtual void ShowAlarmRecordsReset(const AlarmRow& header) = 0;

  // The alarm window: whether its silence button was pressed since it was last closed; what the
  // alarm branch does to it and to the sound; its hiding by the reset branch.
  virtual bool AlarmSilenceRequested() = 0;
  virtual void ShowAlarm(const AlarmActions& actions) = 0;
  virtual void HideAlarmWindow() = 0;
  // The alarm delay's text as the SMS page holds it (UTF-8).
  virtual std::string AlarmDelayText() = 0;

  // The SMS step runs only in run mode and while the SMS page's switch is on.
  virtual bool SmsAlarmOn() = 0;
  virtual SmsPage ReadSmsPage() = 0;
  // The SMS counter label's text (UTF-8).
  virtual void ShowSmsCaption(const std::string& text) = 0;
};

class SupervisionCycle {
 public:
  // Test seam: when set, called as each step of a tick begins, with the series index (Trend,
  // Tile, AlarmRecords), the meter index (MeterRow) or 0; it may raise to stand for a failing
  // step. Empty in the program.
  enum class CycleStep { Trend, Tile, AlarmRecords, MeterRow, Alarm, History };
  using CycleProbe = std::function<void(CycleStep step, int index)>;
  void SetCycleProbe(CycleProbe probe) { probe_ = std::move(probe); }

  // The tiles afresh from the table: one per channel in use, lime, with empty texts.
  void BuildOverviewTiles(const MeterTable& table) { tiles_.Build(table); }
  // A new recording period: the alarm records reset (shown through `view`), the history data
  // file and the alarm list file under AppDir. REQUIRES: no polling thread runs (the alarm flags
  // of the channels in use are cleared).
  void OpenRecordingFiles(MeterTable& table, TickView& view, Reports& reports);
  // The end of the period: files that could not be made yet, and the history records still
  // held, are tried once more.
  void CloseRecordingPeriod(Reports& reports);

  // One tick at time `tick` over `table`. Problems go to `reports`, in the order they arose; the
  // errors of failing steps come last. A tick that arrives while one runs (a nested event loop)
  // is skipped, not made up.
  void RunTick(TDateTime tick, const MeterTable& table, TickView& view, Reports& reports);

  // Start-up's load of the alarm delay from its text. A text that is not a whole number raises
  // EAlarmDelayError for start-up to report; the ticks do not report it again until it changes.
  void LoadAlarmDelay(const std::string& text);

  // Whether this tick's (or the last tick's) tile step found an alarm of an online meter.
  std::uint8_t AlarmActive() const { return alarmActive_; }
  // Seconds since table position m (0..119) last wrote its text row.
  std::int32_t MeterRowSeconds(int m) const { return meterRowSeconds_[m]; }

  // The parts the cycle drives.
  OverviewTiles& Tiles() { return tiles_; }
  const OverviewTiles& Tiles() const { return tiles_; }
  const AlarmRecords& Records() const { return records_; }
  AlarmRecords& Records() { return records_; }
  AlarmSequence& Alarm() { return alarm_; }
  const AlarmSequence& Alarm() const { return alarm_; }
  SmsAlarm& Sms() { return sms_; }
  const SmsAlarm& Sms() const { return sms_; }
  Recorders& Recording() { return recorders_; }
  const Recorders& Recording() const { return recorders_; }

 private:
  // The kinds of steps kept apart; each reports its first error of a tick.
  enum TickStepKind { kChannelStepKind, kRowStepKind, kAlarmStepKind, kHistoryStepKind,
                      kTickStepKinds };
  struct TickProblems;

  void Probe(CycleStep step, int index) const;
  int RunMeterSteps(TDateTime tick, const std::string& tickText, const MeterTable& table,
                    TickView& view, Reports& reports, TickProblems& problems);
  void UpdateOverviewTile(const MeterTable& table, int m, int j, int t);
  void UpdateAlarmRecords(const MeterTable& table, int m, int j, TDateTime tick, TickView& view,
                          Reports& reports);
  void RunMeterRowStep(const MeterTable& table, int m, TDateTime tick, Reports& reports);
  void AlarmStep(const MeterTable& table, TickView& view);
  // Whether the error of this delay text is yet to be told; it counts as told from now on.
  bool TellDelayError(const std::string& text);
  void RunHistoryStep(TDateTime tick, int count, const MeterTable& table, TickView& view,
                      Reports& reports);
  void ResetAlarmRecords(const MeterTable& table, TickView& view);
  // The period's files were made late: the alarm rows opened meanwhile go to their lines.
  void WriteHeldAlarmRows(const RecordingPeriod& period, Reports& reports);
  void ReportTickProblems(const TickProblems& problems, Reports& reports);

  OverviewTiles tiles_;
  AlarmRecords records_;
  AlarmSequence alarm_;
  SmsAlarm sms_;
  Recorders recorders_;
  CycleProbe probe_;
  std::uint8_t alarmActive_ = 0;
  bool running_ = false;  // a tick never re-enters itself
  std::array<bool, kTickStepKinds> stepReported_{};
  // The alarm delay text whose error the operator has been told of, while the page still holds it.
  std::optional<std::string> toldDelayText_;
  // The counter belongs to the table position, not to the meter that stands there now.
  std::array<std::int32_t, kMaxMeters> meterRowSeconds_{};
  // The tick value list: each channel's value as read in this tick, in series order; the history
  // step records the first (number of channels) entries.
  std::array<float, kMaxMeters * kMaxChannels> tickValues_{};
  AlarmRowChanges rowChanges_;  // of the channel whose alarm rows were updated last
};
