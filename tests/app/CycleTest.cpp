#include <gtest/gtest.h>

#include <QTimer>

#include "platform/Errors.h"
#include "tests/app/CycleTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Step = SupervisionCycle::CycleStep;

const char* const kPmFolder = "19Y12M/03DPM/";

// ---- Order and clock -------------------------------------------------------------------------

TEST_F(CycleTest, TicksAreHeldBackUntilStartUpHasFinished) {
  AddMeter("Boiler", {"T1"});
  form->BuildOverviewTiles();
  form->OpenRecordingFiles();
  const QString designClock = form->lab_SysTime->text();
  Ticks(3);
  EXPECT_EQ(form->lab_SysTime->text(), designClock);
  EXPECT_EQ(form->Cycle().MeterRowSeconds(0), 0);
  EXPECT_FALSE(fs::exists(dir.File("19Y12M/03DPM")));

  form->StartupFinished();
  Tick();
  EXPECT_EQ(ClockText(), "Time : 19-12-03 14:05:12    ");
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Boiler_0.xls"), 1);
}

TEST_F(CycleTest, TheTimerDrivesTheTick) {
  StartRun();
  form->timer_PerSecond->start(1);
  EXPECT_TRUE(WaitUntil([&] {
    QCoreApplication::processEvents();
    return ClockText() == "Time : 19-12-03 14:05:08    ";
  }));
  form->timer_PerSecond->stop();
}

// ---- Problems of a tick -----------------------------------------------------------------------

// The rules of the steps, their order and their reports are the cycle's (supervision_tests);
// the window shows a tick's reports together in one error box, after the tick.
TEST_F(CycleTest, EachFailingStepIsReportedAndTheOthersGoOn) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  form->Cycle().SetCycleProbe([&](Step step, int) {
    if (step == Step::Alarm) throw EConvertError("'x' is not a valid integer value");
    if (step == Step::MeterRow) throw std::runtime_error("row");
  });
  Ticks(2);
  EXPECT_TRUE(errorBoxes.isEmpty());  // never a modal box inside the tick
  Settle();
  EXPECT_EQ(errorBoxes, QStringList{"row\n'x' is not a valid integer value"});
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(form->Cycle().Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.RecordCount(), 2);
}

}  // namespace
