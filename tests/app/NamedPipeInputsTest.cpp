// Named pipes where the station expects its files: the settings files, Config.dat, the logo and
// the flow-chart picture at start-up, Alarm.wav and the recording files while it runs. Each is
// refused without waiting, as a file that cannot be read; a guard fails the test should any of
// them wait in open() again.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <filesystem>
#include <string>

#include "platform/gui/Cp936Edit.h"
#include "station/app/AlarmForm.h"
#include "station/app/supervision/SmsPage.h"
#include "tests/app/CycleTestSupport.h"
#include "tests/app/StartupFixture.h"

namespace {

namespace fs = std::filesystem;

using NamedPipeStartupTest = StationDirTest;

TEST_F(NamedPipeStartupTest, PipesInPlaceOfTheStartUpFilesAreFilesThatCannotBeRead) {
  fs::create_directories("Res");
  const char* const pipes[] = {"Config.dat", "Res/MFPara.ini", "Res/GSM_Alarm.ini",
                               "Res/FlowChart1.ini"};
  for (const char* name : pipes) MakeNamedPipe(dir.File(name));
  {
    const ScopedHangGuard guard("a start-up over named pipes");
    StartStation();
  }
  QCoreApplication::processEvents();
  // The settings read as missing files do, Config.dat as one that cannot be read: run mode on
  // an empty table, the sign-in shut, one line for the five loads.
  EXPECT_TRUE(form->InRunMode());
  EXPECT_EQ(form->windowTitle(), "Velm");
  EXPECT_EQ(form->GSMedAlarmDelayT->text(), kGsmDefaultDelay);
  EXPECT_EQ(form->Configuration().Table().MeterCount, 0);
  EXPECT_EQ(form->Configuration().Access().SignInRefusal(),
            "Config.dat cannot be read: " + std::string(kNotAFileReason));
  const std::string line = "Cannot open \"" + CurrentDir() +
                           "/Config.dat\": Not a regular file; not loaded: the meter table, "
                           "the trend back colour, the password, the baud indexes and the "
                           "trend axis range";
  EXPECT_EQ(errorBoxes.join('\n').toStdString(), line);
  for (const char* name : pipes) {
    EXPECT_TRUE(fs::is_fifo(dir.File(name))) << name << " was replaced";
    EXPECT_FALSE(NamedPipeHasReader(dir.File(name))) << name << " is still being read";
  }
}

TEST_F(NamedPipeStartupTest, PipesInPlaceOfTheLogoAndTheFlowChartAreFilesThatCannotBeOpened) {
  fs::remove("Velm_LOGO.BMP");
  MakeNamedPipe(dir.File("Velm_LOGO.BMP"));
  {
    const ScopedHangGuard guard("a start-up with a named pipe as the logo");
    StartStation();
  }
  EXPECT_FALSE(form->InRunMode());
  EXPECT_EQ(errorBoxes.join('\n').toStdString(),
            "Cannot open file " + CurrentDir() + "/Velm_LOGO.BMP");

  form.reset();
  errorBoxes.clear();
  fs::remove("Velm_LOGO.BMP");
  WriteImage(dir.File("Velm_LOGO.BMP"), "BMP");
  WriteFile("Res/FlowChart1.ini", "[PICTURE]\r\nPointNum=1\r\nFileName=Flow.jpg\r\n");
  MakeNamedPipe(dir.File("Res/Flow.jpg"));
  {
    const ScopedHangGuard guard("a start-up with a named pipe as the flow chart");
    StartStation();
  }
  EXPECT_FALSE(form->InRunMode());
  EXPECT_EQ(errorBoxes.join('\n').toStdString(),
            "Cannot open file " + CurrentDir() + "/Res/Flow.jpg");
  EXPECT_FALSE(NamedPipeHasReader(dir.File("Res/Flow.jpg")));
}

// The real sound player: nothing stands in for the audio system here.
class NamedPipeRunTest : public CycleTest {
 protected:
  NamedPipeRunTest() { form->SetAlarmWindow(window); }

  TFormAlarm window;
};

TEST_F(NamedPipeRunTest, PipesInPlaceOfTheAlarmSoundAndTheRecordingFilesAreRefusedWhileRunning) {
  TMeterRecord& boiler = AddMeter("Boiler", {"T1"});
  MakeNamedPipe(dir.File("Alarm.wav"));
  form->SetAlarmSoundPath(dir.File("Alarm.wav"));
  form->GSMedAlarmDelayT->setText("0");
  StartRun();
  const std::string alarmList = form->Cycle().Records().AlarmListPath();
  ASSERT_FALSE(alarmList.empty());
  fs::remove(alarmList);
  MakeNamedPipe(alarmList);
  boiler.LAFlags[0] = 1;
  {
    const ScopedHangGuard guard("ticks over named pipes");
    Tick();  // the row opens, the sound plays
    Settle();
    // The audio system loads a sound in the background: give it the time to open it.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 300) QCoreApplication::processEvents();
  }
  EXPECT_FALSE(NamedPipeHasReader(dir.File("Alarm.wav"))) << "the alarm sound waits on a pipe";
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(errorBoxes.join('\n').toStdString(),
            "Cannot open " + alarmList + ": " + std::string(kNotAFileReason));
  EXPECT_TRUE(fs::is_fifo(alarmList));
}

}  // namespace
