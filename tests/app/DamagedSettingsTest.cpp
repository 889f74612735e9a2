// Damaged settings files under Res (MFPara.ini, FlowChart1.ini, GSM_Alarm.ini): random bytes,
// very long lines and values, other encodings than code page 936. Start-up takes what it can
// (each key falls back to its default, a bad number is reported) and goes on, or stops at a
// step that cannot go on and then writes nothing; the SMS alarm sends from such settings, their
// Save writes them back, and the next start reads what it wrote.

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>
#include <random>

#include "common/Cp936.h"
#include "platform/IniFile.h"
#include "platform/gui/Dialogs.h"
#include "station/app/supervision/SmsPage.h"
#include "tests/app/StartupFixture.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLongValue = 1 << 20;  // far past the 2,047 bytes a value is cut to
constexpr int kSmsTicks = 22;                // the first two messages at Delay 1

// The same text as UTF-16LE with its byte order mark, as a Windows editor may save it.
std::string Utf16Le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

constexpr char kWithNuls[] = "[mfpara]\nMFNAME=a\0b\nmfname=second\n[GSM]\nText=\x80\x80\x80\n";

// Damaged versions of a settings file whose intact content is `good`.
std::vector<std::string> DamagedVersions(std::mt19937& random, const std::string& good) {
  const std::string longLine(kLongValue, 'W');
  return {
      RandomBytes(random, 4096),
      RandomBytes(random, 70000),
      good + RandomBytes(random, 300),
      good.substr(0, good.size() / 2),
      "\xEF\xBB\xBF" + good,  // UTF-8 byte order mark before the first section
      Utf16Le(good),
      longLine,  // one line, no section, no '=', no line end
      "[" + longLine + "]\r\n" + good,
      // Lead bytes without their trail byte, a lone trail byte, NULs, CR-only line ends.
      "[MFPARA]\rMFNAME=\x81\r[GSM]\rText=\xFE\x40\xFF\r[PICTURE]\rFileName=\x81",
      std::string(kWithNuls, sizeof kWithNuls - 1),
  };
}

class DamagedSettingsTest : public StationDirTest {
 protected:
  DamagedSettingsTest() {
    LinkEveryComPortToNothing();
    auto table = std::make_unique<MeterTable>();
    TMeterRecord& meter = AddSerialMeter(*table, 1, 1);  // on COM2, which never opens
    WriteFixedText(meter.Channels[0].Name, "T1");
    meter.Channels[0].HA = 1;
    WriteConfig(*table);
  }

  // Starts the station, gives it ticks, signs in, saves the SMS page, signs out, closes it.
  // Returns the file that the SMS page's Save left.
  std::string RunTheStation(int ticks = 3) {
    errorBoxes.clear();
    StartStation();
    form->StartupFinished();
    EXPECT_LE(Utf8ToCp936(form->windowTitle().toStdString()).size(), TIniFile::kMaxValueBytes);
    EXPECT_TRUE(WaitUntil([&] { return PollingGaveUp(); }));
    for (int t = 0; t < ticks; ++t) Tick();
    ScopedModalHook accept([](QDialog&) { return int{mrOk}; });
    const bool completed = form->Configuration().Access().WritesOpen();
    // A start-up stopped by a failing step (a picture that cannot be read, a Delay that is not a
    // number) has told the operator, and opens nothing that writes the settings.
    EXPECT_EQ(completed, form->InRunMode()) << errorBoxes.join('\n').toStdString();
    form->btn_Login->click();
    EXPECT_FALSE(form->InRunMode());
    form->btnGSM_SetSave->click();
    form->btn_SignOut->click();
    EXPECT_EQ(form->InRunMode(), completed) << errorBoxes.join('\n').toStdString();
    form->close();
    form.reset();
    return ReadFile("Res/GSM_Alarm.ini");
  }

  // The meter's polling thread ends at once (its port never opens), having set it offline.
  bool PollingGaveUp() const {
    const auto& threads = form->Polling().SerialThreads();
    return threads.empty() || threads[0]->Finished();
  }

  // One tick in which the meter's first channel is online and above its high limit.
  void Tick() {
    TMeterRecord& meter = form->Configuration().Table().Meters[0];
    meter.Online = 1;
    meter.Values[0] = 5;
    meter.HAFlags[0] = 1;
    clock.AdvanceSeconds(1);
    form->timer_PerSecondTimer();
    QCoreApplication::processEvents();
  }

  // Every damaged version of one settings file, each started twice: from the damaged file and
  // from what the station wrote back.
  void EveryDamagedVersionOf(const std::string& relative, const std::string& good, unsigned seed) {
    std::mt19937 random(seed);
    int version = 0;
    for (const std::string& content : DamagedVersions(random, good)) {
      SCOPED_TRACE(relative + " version " + std::to_string(version++));
      WriteFile(relative, content);
      const std::string saved = RunTheStation();
      EXPECT_EQ(RunTheStation(), saved) << "what Save wrote reads back as it was written";
      fs::remove_all(dir.File("Res"));
    }
  }

  ScopedFastSleep fastSleep;
  ScopedFakeClock clock{EncodeDateTime({2022, 2, 2, 9, 0, 0, 0})};
};

TEST_F(DamagedSettingsTest, DamagedCaptionFile) {
  EveryDamagedVersionOf("Res/MFPara.ini", "[MFPARA]\r\nMFNAME=Boiler house\r\n", 1);
}

TEST_F(DamagedSettingsTest, DamagedFlowChartFile) {
  EveryDamagedVersionOf("Res/FlowChart1.ini", "[PICTURE]\r\nPointNum=3\r\nFileName=x.jpg\r\n", 2);
}

TEST_F(DamagedSettingsTest, DamagedSmsFile) {
  EveryDamagedVersionOf("Res/GSM_Alarm.ini",
                        "[GSM]\r\nEnable=1\r\nCOM=0\r\nDelay=1\r\nReload=0\r\nText=ALARM\r\n"
                        "[PhoneList]\r\nName1=Wang\r\nNum1=13800000000\r\n",
                        3);
}

// Settings in their intact layout whose values are out of range or far too long: the SMS alarm
// composes and sends its messages from them to the SMS device.
TEST_F(DamagedSettingsTest, SmsSendsFromValuesOutOfRangeAndFarTooLong) {
  ScriptedSlave device;
  device.StartPty();
  device.LinkAsCom(CurrentDir(), 1);
  std::mt19937 random(1649);
  std::string phoneList = "[PhoneList]\r\n";
  for (int row = 1; row <= kPhoneRows; ++row) {
    phoneList += PhoneNameKey(row) + "=" + std::string(kLongValue / 8, 'N') + "\r\n";
    // Eleven bytes, some of them not characters of the code page.
    phoneList += PhoneNumberKey(row) + "=1380000000" + (row % 2 ? "\x81" : "0") + "\r\n";
  }
  for (const std::string& text :
       {std::string(kLongValue, 'T'), RandomBytes(random, 3000), std::string("\x81\xFE\xFF")}) {
    SCOPED_TRACE("alarm text of " + std::to_string(text.size()) + " bytes");
    std::string alarmText = text;
    std::replace(alarmText.begin(), alarmText.end(), '\n', ' ');
    std::replace(alarmText.begin(), alarmText.end(), '\r', ' ');
    WriteFile("Res/GSM_Alarm.ini",
              "[GSM]\r\nEnable=1\r\nCOM=0\r\nPWR_ALARM=1\r\nPWR_CH=99999999999\r\n"
              "Delay=1\r\nReload=-2147483648\r\nText=" +
                  alarmText + "\r\n" + phoneList);
    device.ClearRequests();
    RunTheStation(kSmsTicks);
    EXPECT_TRUE(device.WaitForRequests(1, 2000)) << "messages reached the SMS device";
  }
}

}  // namespace
