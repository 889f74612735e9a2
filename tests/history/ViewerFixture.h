#pragma once
// The history viewer's window under test: history files written into a temporary directory that
// is the current directory while the window lives (its DevName.dat lands there), the window
// built and started without being shown, and the open dialog answered by the test.

#include <gtest/gtest.h>

#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "common/DateTime.h"
#include "common/HistoryFile.h"
#include "history/Form1.h"
#include "history/OpenDialog.h"
#include "tests/platform/gui/GuiTestApp.h"
#include "tests/support/HistoryFileBuilder.h"
#include "tests/support/TestSupport.h"

// The value of channel i in record k of the files written below: exact in float32.
inline float RecordValue(std::int64_t k, int i) { return static_cast<float>(k * 10 + i); }

inline TDateTime TestTime(int hour, int minute, int second, int ms = 0) {
  return EncodeDateTime({2024, 3, 5, hour, minute, second, ms});
}

// A history file: the header of `channels` channels named Ch0, Ch1, ... starting at `start`
// with `interval` seconds, then `records` records of RecordValue(k, i) and `extraBytes` bytes
// of a partial record.
inline void WriteHistoryFile(const std::string& path, int channels, std::int64_t records,
                             std::int32_t interval, TDateTime start = TestTime(14, 0, 0),
                             int extraBytes = 0) {
  THistoryFileBuilder(channels)
      .Start(start)
      .Interval(interval)
      .Names([](int i) { return THistoryFileBuilder::SlotName{"Ch", std::to_string(i)}; })
      .Records(records)
      .Values(RecordValue)
      .Tail(std::string(static_cast<std::size_t>(extraBytes), '\x7f'))
      .Write(path);
}

class ViewerTest : public GuiTest {
 protected:
  ViewerTest() : previousDir_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir.Path());
    form = std::make_unique<TForm1>();
    form->FormCreate();
  }
  ~ViewerTest() override {
    form.reset();
    std::filesystem::current_path(previousDir_);
  }

  // Opens `path` through "Open History Data" as if the user had picked it.
  void Open(const std::string& path) {
    ScopedOpenDialogHook pick([path](const QString&) { return QString::fromStdString(path); });
    form->but_open_histr_dataClick();
  }
  // The viewer's state behind the window.
  THistoryView& View() { return form->View(); }
  const THistoryViewState& State() const { return form->View().HistoryViewState(); }
  // Writes and opens a file in the test directory.
  std::string WriteAndOpen(const std::string& name, int channels, std::int64_t records,
                           std::int32_t interval, TDateTime start = TestTime(14, 0, 0)) {
    const std::string path = dir.File(name);
    WriteHistoryFile(path, channels, records, interval, start);
    Open(path);
    return path;
  }

  TempDir dir;
  std::unique_ptr<TForm1> form;

 private:
  std::filesystem::path previousDir_;
};
