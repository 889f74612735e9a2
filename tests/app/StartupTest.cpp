// The station's start-up sequence in a temporary application directory.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <cstring>
#include <filesystem>

#include "common/AppPaths.h"
#include "platform/Cp936.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "platform/Clock.h"
#include "tests/app/StartupFixture.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

namespace fs = std::filesystem;

class StartupTest : public StationDirTest {
 protected:
  // Start-up stopped before the English texts: the window keeps its design texts.
  void ExpectDesignTextsAndNoRunMode() {
    EXPECT_EQ(form->btn_Login->text(), QString::fromUtf8("登录设备配置"));
    EXPECT_FALSE(form->Button1->isHidden());
    EXPECT_FALSE(form->InRunMode());
    EXPECT_FALSE(form->PollingRunning());
  }
  void ExpectNoErrorBox() { EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join('\n').toStdString(); }

  static void WriteFlowChartIni(const std::string& body) {
    WriteFile("Res/FlowChart1.ini", "[PICTURE]\r\n" + body);
  }
};

TEST_F(StartupTest, EmptyDirectoryGetsResAndANewConfigAndRunMode) {
  Tfm_MainForm& f = StartStation();
  ExpectNoErrorBox();
  EXPECT_EQ(AppDir(), CurrentDir());
  EXPECT_EQ(f.AlarmSoundPath(), CurrentDir() + "/Alarm.wav");
  EXPECT_TRUE(fs::is_directory("Res"));
  EXPECT_TRUE(fs::is_empty("Res")) << "start-up writes no ini file";
  std::string expected(477608, '\0');
  std::memcpy(expected.data() + 4, "583106", 6);
  EXPECT_TRUE(ReadFile("Config.dat") == expected) << "not a new Config.dat";

  EXPECT_EQ(f.windowTitle(), "Velm");
  EXPECT_EQ(f.Configuration().Password(), "583106");
  EXPECT_EQ(f.chart_RealTimeCurves->BackColor(), clBlack);
  EXPECT_EQ(f.ed_CurvesMix->text(), "0");
  EXPECT_EQ(f.ed_CurvesMax->text(), "0");
  EXPECT_EQ(f.Image1->Picture().size(), kLogoSize);
  EXPECT_EQ(f.btn_Login->text(), "Sign in Configuration");
  EXPECT_EQ(f.pgContr_MainForm->VisibleTabCaptions(),
            QStringList({"System Configuration", "Overview", "Real Time Trend", "Alarm Record"}));
  EXPECT_TRUE(f.Button1->isHidden());
  EXPECT_TRUE(f.Label8->isHidden());
  EXPECT_TRUE(f.windowState() & Qt::WindowMaximized);
  // SMS defaults of a missing GSM_Alarm.ini.
  EXPECT_EQ(f.GSMedAlarmDelayT->text(), "10");
  EXPECT_EQ(f.GSMedAlarmReload->text(), "60");
  EXPECT_EQ(f.GSMmeAlarmText->toPlainText(), "ALARM!");
  EXPECT_EQ(f.Cycle().Alarm().AlarmDelayCountdown(), 10);

  EXPECT_TRUE(f.InRunMode());
  EXPECT_TRUE(f.timer_PerSecond->isActive());
  EXPECT_FALSE(f.PollingRunning());
}

TEST_F(StartupTest, SmsSettingsFromTheIniFillTheirControls) {
  WriteFile("Res/GSM_Alarm.ini",
            "[GSM]\r\nEnable=1\r\nCOM=3\r\nPWR_ALARM=1\r\nPWR_CH=4\r\nDelay=25\r\nReload=90\r\n"
            "Text=" + Utf8ToCp936("测量数据超限！") + "\r\n[PhoneList]\r\nName1=Li\r\n"
            "Num1=13800000001\r\nName10=" + Utf8ToCp936("王工") + "\r\nNum10=13900000010\r\n");
  Tfm_MainForm& f = StartStation();
  ExpectNoErrorBox();
  EXPECT_TRUE(f.GSMcbAlarmEn->isChecked());
  EXPECT_EQ(ComboItemIndex(*f.GSMcbbCOM), 3);
  EXPECT_TRUE(f.GSMcbPWR_AlarmEn->isChecked());
  EXPECT_EQ(f.GSMedAlarmPWR_CH->text(), "4");
  EXPECT_EQ(f.GSMedAlarmReload->text(), "90");
  EXPECT_EQ(f.GSMmeAlarmText->toPlainText(), QString::fromUtf8("测量数据超限！"));
  EXPECT_EQ(f.Cycle().Alarm().AlarmDelayCountdown(), 25);
  const QStringList phones = {f.GSM_SG_PhoneNum->Cells(1, 1), f.GSM_SG_PhoneNum->Cells(2, 1),
                              f.GSM_SG_PhoneNum->Cells(1, 10), f.GSM_SG_PhoneNum->Cells(2, 10),
                              f.GSM_SG_PhoneNum->Cells(2, 5), f.GSM_SG_PhoneNum->Cells(1, 0)};
  EXPECT_EQ(phones, QStringList({"Li", "13800000001", QString::fromUtf8("王工"), "13900000010", "",
                                 "Contact Name"}));

  // A port number outside the list selects no port rather than another one.
  WriteFile("Res/GSM_Alarm.ini", "[GSM]\r\nCOM=40\r\n");
  EXPECT_EQ(ComboItemIndex(*StartStation().GSMcbbCOM), -1);
  EXPECT_TRUE(form->InRunMode());
}

TEST_F(StartupTest, BadDelayEndsStartupBeforeThePhoneList) {
  WriteFile("Res/GSM_Alarm.ini",
            "[GSM]\r\nDelay=abc\r\nReload=7\r\n[PhoneList]\r\nName1=Li\r\nNum1=13800000001\r\n");
  WriteFlowChartIni("PointNum=1\r\nFileName=missing.jpg\r\n");  // would fail if reached
  Tfm_MainForm& f = StartStation();
  EXPECT_EQ(errorBoxes, QStringList{"'abc' is not a valid integer value"});
  EXPECT_EQ(f.GSMedAlarmDelayT->text(), "abc");
  EXPECT_EQ(f.GSMedAlarmReload->text(), "7");
  EXPECT_EQ(f.GSM_SG_PhoneNum->Cells(1, 1), "");
  ExpectDesignTextsAndNoRunMode();
}

TEST_F(StartupTest, ABadDelayToldAtStartupIsToldByTheTicksOnlyOnceItsTextChanged) {
  WriteFile("Res/GSM_Alarm.ini", "[GSM]\r\nDelay=abc\r\n");
  Tfm_MainForm& f = StartStation();
  f.StartupFinished();
  const auto ticks = [&f](int count) {
    for (int i = 0; i < count; ++i) f.timer_PerSecondTimer();
    QCoreApplication::processEvents();
  };
  ticks(3);
  const QString abc = "'abc' is not a valid integer value";
  EXPECT_EQ(errorBoxes, QStringList{abc});
  f.GSMedAlarmDelayT->setText(QStringLiteral("1O"));
  ticks(3);
  f.GSMedAlarmDelayT->setText(QStringLiteral("abc"));
  ticks(3);
  EXPECT_EQ(errorBoxes, QStringList({abc, "'1O' is not a valid integer value", abc}));
}

TEST_F(StartupTest, TheAlarmTextEndsAtANul) {
  const char ini[] = "[GSM]\r\nText=PUMP\0STOP\r\nReload=7\r\n";
  WriteFile("Res/GSM_Alarm.ini", std::string(ini, sizeof ini - 1));
  Tfm_MainForm& f = StartStation();
  EXPECT_EQ(f.GSMmeAlarmText->toPlainText(), "PUMP");
  EXPECT_EQ(f.GSMedAlarmReload->text(), "7");
}

TEST_F(StartupTest, CaptionComesFromMFParaWithoutRegardToCase) {
  WriteFile("Res/MFPara.ini", "[mfpara]\r\nmfname = \"" + Utf8ToCp936("锅炉房 7") + "\"\r\n");
  EXPECT_EQ(StartStation().windowTitle(), QString::fromUtf8("锅炉房 7"));
}

TEST_F(StartupTest, ExistingConfigIsLoadedAndLeftByteForByte) {
  auto table = std::make_unique<MeterTable>();
  AddSerialMeter(*table, 7, 39);
  table->PortBaudIndex[5] = 7;
  // COM40 is a link to nothing: its thread finds the port unusable and ends.
  fs::create_directories("dev");
  fs::create_symlink("/nonexistent/tty", "dev/com40");
  WriteConfig(*table);
  const std::string path = CurrentDir() + "/Config.dat";
  ASSERT_TRUE(SavePassword(path, "abcdefgh").ok());
  ASSERT_TRUE(SaveChartBackColor(path, 0x00FF00).ok());
  ASSERT_TRUE(SaveCurveRange(path, -20.0f, 123456.0f).ok());
  const std::string before = ReadFile("Config.dat");

  Tfm_MainForm& f = StartStation();
  ExpectNoErrorBox();
  EXPECT_TRUE(ReadFile("Config.dat") == before) << "start-up wrote into an existing Config.dat";
  EXPECT_EQ(f.Configuration().Password(), "abcdefgh");
  EXPECT_EQ(f.chart_RealTimeCurves->BackColor(), 0x00FF00);
  EXPECT_EQ(f.colorBox_CurvesBackColor->Selected(), 0x00FF00);
  EXPECT_EQ(f.ed_CurvesMix->text(), "-20");
  EXPECT_EQ(f.ed_CurvesMax->text(), "1.2346E005");
  EXPECT_FALSE(f.chart_RealTimeCurves->LeftAxis().Automatic);
  EXPECT_EQ(f.chart_RealTimeCurves->LeftAxis().Minimum, -20.0);
  EXPECT_EQ(f.chart_RealTimeCurves->LeftAxis().Maximum, 123456.0);
  EXPECT_EQ(f.Configuration().Table().PortBaudIndex[5], 7);
  ASSERT_EQ(f.Configuration().Table().MeterCount, 1);
  EXPECT_EQ(f.Configuration().Table().Meters[0].SlaveAddress, 7);
  ASSERT_EQ(f.Polling().SerialThreads().size(), 1u);
  EXPECT_EQ(f.Polling().SerialThreads()[0]->PortIndex, 39);
}

TEST_F(StartupTest, DamagedConfigIsReportedInOneBoxAndStartupGoesOn) {
  std::string bytes(100, '\0');
  bytes[0] = 3;  // three meters, but the file ends long before their blocks
  std::memcpy(bytes.data() + 4, "pw", 2);
  WriteFile("Config.dat", bytes);
  Tfm_MainForm& f = StartStation();
  EXPECT_TRUE(errorBoxes.isEmpty()) << "start-up does not wait on the report";
  f.StartupFinished();
  ASSERT_TRUE(WaitProcessing([&] { return !errorBoxes.isEmpty(); }));
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_GE(errorBoxes[0].count('\n'), 1) << "every problem of the file in the one box";
  EXPECT_EQ(f.Configuration().Table().MeterCount, 0);
  EXPECT_EQ(f.Configuration().Password(), "pw");
  EXPECT_TRUE(f.InRunMode());
}

TEST_F(StartupTest, WhileTheLoadReportIsShownTheStationPollsAndRecords) {
  ScopedFastSleep fastSleep;
  ScopedFakeClock clock(EncodeDateTime({2021, 6, 1, 3, 0, 0, 0}));
  const std::unique_ptr<ScriptedSlave> slave = SlaveOnCom(CurrentDir(), 0, {7});
  auto table = std::make_unique<MeterTable>();
  AddSerialMeter(*table, 7, 0);
  AddSerialMeter(*table, 8, 0).CommCode = 2;  // reported, and not polled
  WriteConfig(*table);
  bool inRunMode = false;
  bool monthFolder = false;
  bool polled = false;
  // The box stays open until the meter on COM1 has been asked (or 5 s have passed).
  ScopedErrorBoxHook box([&](const QString& text) {
    errorBoxes.push_back(text);
    inRunMode = form->InRunMode();
    monthFolder = fs::is_directory("21Y06M");
    polled = slave->WaitForRequests(1, 5000);
  });

  StartStation();
  EXPECT_TRUE(errorBoxes.isEmpty()) << "start-up does not wait on the report";
  form->StartupFinished();
  ASSERT_TRUE(WaitProcessing([&] { return !errorBoxes.isEmpty(); }));
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_NE(errorBoxes[0].indexOf("meter 2: comm code outside 0..1"), -1)
      << errorBoxes[0].toStdString();
  EXPECT_TRUE(inRunMode);
  EXPECT_TRUE(monthFolder);
  EXPECT_TRUE(polled);
  form->StopPolling();  // before the slave goes
}

TEST_F(StartupTest, UnusableLogoShowsOneBoxAndLeavesTheDesign) {
  WriteConfig(MeterTable{});
  const std::string missing = "Cannot open file " + CurrentDir() + "/Velm_LOGO.BMP";
  for (const auto& [content, error] : {std::pair<const char*, std::string>{nullptr, missing},
                                       {"not a bitmap", "Bitmap image is not valid"}}) {
    SCOPED_TRACE(error);
    errorBoxes.clear();
    fs::remove("Velm_LOGO.BMP");
    if (content) WriteFile("Velm_LOGO.BMP", content);
    Tfm_MainForm& f = StartStation();
    EXPECT_EQ(errorBoxes, QStringList{QString::fromStdString(error)});
    ExpectDesignTextsAndNoRunMode();
    EXPECT_EQ(f.Configuration().Password(), "") << "the stored configuration was loaded";
    // The steps before the logo ran, and the timer runs from creation on.
    EXPECT_EQ(f.GSMedAlarmDelayT->text(), "10");
    EXPECT_TRUE(f.timer_PerSecond->isActive());
  }
}

TEST_F(StartupTest, FlowChartPictureLoadsWhenPointNumIsPositive) {
  WriteImage(CurrentDir() + "/Res/plant.bmp", "BMP", QSize(40, 30));
  WriteFlowChartIni("PointNum=0x10\r\nFileName=plant.bmp\r\n");
  Tfm_MainForm& f = StartStation();
  ExpectNoErrorBox();
  EXPECT_EQ(f.FlowChartPointCount(), 16);
  EXPECT_EQ(f.ImFlowChart1->Picture().size(), QSize(40, 30));
  // Without FileName the JPEG FlowChart1.jpg is read.
  WriteImage(CurrentDir() + "/Res/FlowChart1.jpg", "JPG", QSize(32, 16));
  WriteFlowChartIni("PointNum=2\r\n");
  EXPECT_EQ(StartStation().ImFlowChart1->Picture().size(), QSize(32, 16));
  ExpectNoErrorBox();
}

TEST_F(StartupTest, PointNumZeroOrNegativeReadsNoPicture) {
  for (const char* count : {"0", "-3", "many"}) {
    SCOPED_TRACE(count);
    WriteFlowChartIni(std::string("PointNum=") + count + "\r\nFileName=missing.jpg\r\n");
    Tfm_MainForm& f = StartStation();
    ExpectNoErrorBox();
    EXPECT_TRUE(f.ImFlowChart1->Picture().isNull());
    EXPECT_TRUE(f.InRunMode());
  }
}

TEST_F(StartupTest, FlowChartFailuresEndStartup) {
  WriteImage(CurrentDir() + "/x.jpg", "JPG");
  WriteImage(CurrentDir() + "/Res/plant.gif", "BMP");
  const std::string res = "Cannot open file " + CurrentDir() + "/Res/";
  const std::string absolute = CurrentDir() + "/x.jpg";
  const std::pair<std::string, std::string> cases[] = {
      {"missing.jpg", res + "missing.jpg"},
      {"plant.gif", "Unknown picture file extension (.gif)"},
      // Names that leave Res are refused as missing, although the file exists.
      {"../x.jpg", res + "../x.jpg"},
      {"..\\x.jpg", res + "../x.jpg"},
      {absolute, res + absolute},
  };
  for (const auto& [name, error] : cases) {
    SCOPED_TRACE(name);
    errorBoxes.clear();
    WriteFlowChartIni("PointNum=1\r\nFileName=" + name + "\r\n");
    Tfm_MainForm& f = StartStation();
    EXPECT_EQ(errorBoxes, QStringList{QString::fromStdString(error)});
    EXPECT_TRUE(f.ImFlowChart1->Picture().isNull());
    ExpectDesignTextsAndNoRunMode();
  }
}

TEST_F(StartupTest, AnotherCurrentDirectoryHoldsAllFiles) {
  TempDir other;
  fs::current_path(other.Path());
  WriteImage(other.File("Velm_LOGO.BMP"), "BMP");
  Tfm_MainForm& f = StartStation();
  ExpectNoErrorBox();
  EXPECT_EQ(AppDir(), CurrentDir());
  EXPECT_TRUE(fs::is_directory(other.File("Res")));
  EXPECT_EQ(fs::file_size(other.File("Config.dat")), 477608u);
  EXPECT_FALSE(fs::exists(dir.File("Config.dat")));
  EXPECT_TRUE(f.InRunMode());
  form.reset();
}

TEST_F(StartupTest, EveryMeterStartsOfflineWithItsValuesKept) {
  form = std::make_unique<Tfm_MainForm>();
  for (int m : {0, 119}) {
    form->Configuration().Table().Meters[m].Online = 1;
    form->Configuration().Table().Meters[m].FailureCount = 3;
    form->Configuration().Table().Meters[m].Values[0] = 4.5f;
  }
  form->FormCreate();
  for (int m : {0, 119}) {
    EXPECT_EQ(form->Configuration().Table().Meters[m].Online, 0);
    EXPECT_EQ(form->Configuration().Table().Meters[m].FailureCount, 0);
    EXPECT_EQ(form->Configuration().Table().Meters[m].Value(0), 4.5f);
  }
}

}  // namespace
