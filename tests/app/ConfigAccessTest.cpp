// What the station lets the operator reach of its stored configuration after a start-up that
// stopped or a Config.dat that is damaged: nothing writes over the stored files, nothing signs
// in on a password that was never read, and the start-up report stays one short box.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Cp936Edit.h"
#include "station/app/LoginForm.h"
#include "station/comm/MeterComm.h"
#include "tests/app/StartupFixture.h"

namespace {

namespace fs = std::filesystem;

class ConfigAccessTest : public StationDirTest {
 protected:
  ConfigAccessTest() { LinkEveryComPortToNothing(); }

  std::map<std::string, std::string> Snapshot(const std::vector<std::string>& files) const {
    std::map<std::string, std::string> contents;
    for (const std::string& file : files) contents[file] = ReadFile(file);
    return contents;
  }

  // Presses btn_Login and types each entry with OK; Cancel when none was accepted. Returns
  // whether configuration mode was entered.
  bool SignIn(const QStringList& entries) {
    ScopedModalHook hook([&](QDialog& dialog) {
      auto& login = dynamic_cast<Tfm_LoginForm&>(dialog);
      for (const QString& entry : entries) {
        login.ed_InputPassword->setText(entry);
        login.bt_Ok->click();
        if (login.result() == mrOk) return int{mrOk};
      }
      login.bt_Cancel->click();
      return login.result();
    });
    form->btn_Login->click();
    return !form->InRunMode();
  }

  ScopedFastSleep fastSleep;
};

TEST_F(ConfigAccessTest, AStartupThatStoppedWritesNothingAndOpensNoConfiguration) {
  auto table = std::make_unique<MeterTable>();
  for (std::uint8_t slave = 1; slave <= 3; ++slave) AddSerialMeter(*table, slave, 0);
  WriteConfig(*table);
  WriteFile("Res/MFPara.ini", "[MFPARA]\r\nMFNAME=Boiler house\r\n");
  const std::string sms = "[GSM]\r\nEnable=1\r\nDelay=5\r\n[PhoneList]\r\nNum1=13800138000\r\n";
  const std::vector<std::string> files = {"Config.dat", "Res/MFPara.ini", "Res/GSM_Alarm.ini"};
  for (const bool missingLogo : {true, false}) {
    SCOPED_TRACE(missingLogo ? "missing logo" : "Delay not a number");
    if (missingLogo) {
      fs::remove("Velm_LOGO.BMP");
      WriteFile("Res/GSM_Alarm.ini", sms);
    } else {
      WriteImage(CurrentDir() + "/Velm_LOGO.BMP", "BMP");
      WriteFile("Res/GSM_Alarm.ini", "[GSM]\r\nDelay=soon\r\n");
    }
    const auto before = Snapshot(files);
    errorBoxes.clear();
    StartStation();
    ASSERT_EQ(errorBoxes.size(), 1);
    // Every way the window has to write the stored configuration, as the operator takes it.
    int dialogs = 0;
    ScopedModalHook answer([&](QDialog&) {
      ++dialogs;
      return int{mrOk};
    });
    form->btn_Login->click();
    for (QPushButton* button :
         {form->btn_ModifyPassword, form->btn_SignOut, form->btn_MeterBatchAdd,
          form->btn_MeterAdd, form->btn_MeterDel, form->btn_MeterModify, form->btn_MeterSave,
          form->btn_ChannelAdd, form->btn_ChannelDel, form->btn_ChannelModify,
          form->btn_ChannelSave, form->btnGSM_SetSave}) {
      button->click();
      EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    }
    form->ed_CurvesMix->setText("1");
    form->ed_CurvesMax->setText("2");
    form->btn_SetCurvesRange->click();
    QTest::keyClick(form->colorBox_CurvesBackColor, Qt::Key_Down);
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(form->InRunMode());
    EXPECT_TRUE(Snapshot(files) == before) << "a stored file was written";
    form.reset();
    EXPECT_TRUE(Snapshot(files) == before);
  }
  // The cause mended, the next start opens them.
  WriteFile("Res/GSM_Alarm.ini", sms);
  errorBoxes.clear();
  StartStation();
  EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join('\n').toStdString();
  for (QWidget* control : std::initializer_list<QWidget*>{
           form->btn_Login, form->btn_SetCurvesRange, form->colorBox_CurvesBackColor}) {
    EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
  }
  EXPECT_TRUE(SignIn({"583106"}));
}

TEST_F(ConfigAccessTest, APasswordThatCannotBeReadSignsNothingIn) {
  const std::pair<std::function<void()>, std::string> unreadable[] = {
      {[] { WriteFile("Config.dat", ""); }, "the file ends before its password field"},
      {[] { WriteFile("Config.dat", std::string(10, '\0')); },
       "the file ends before its password field"},
      {[] { fs::create_directory("Config.dat"); }, std::strerror(EISDIR)},
  };
  for (const auto& [make, reason] : unreadable) {
    SCOPED_TRACE(reason);
    fs::remove_all("Config.dat");
    make();
    StartStation();
    ASSERT_TRUE(form->InRunMode());
    messageBoxes.clear();
    EXPECT_FALSE(SignIn({"", "583106"}));
    const std::string box = "Error|Config.dat cannot be read: " + reason;
    EXPECT_EQ(messageBoxes.join('\n').toStdString(), box + "\n" + box);
    form.reset();
  }
  // A password read as all zero bytes is the empty password: the empty entry signs in.
  fs::remove_all("Config.dat");
  std::string zeros(static_cast<std::size_t>(kConfigFileSize), '\0');
  WriteFile("Config.dat", zeros);
  StartStation();
  messageBoxes.clear();
  EXPECT_TRUE(SignIn({"x", ""}));
  EXPECT_TRUE(messageBoxes.isEmpty());
}

TEST_F(ConfigAccessTest, ADamagedTableLoadsTheMetersThereAndIsReportedInOneShortBox) {
  auto table = std::make_unique<MeterTable>();
  for (std::uint8_t slave = 1; slave <= 3; ++slave) AddSerialMeter(*table, slave, 0);
  table->Meters[0].Channels[1].Decimals = kMaxDecimals + 1;
  table->Meters[1].ComIndex = kComPortCount;
  table->Meters[2].CommCode = 2;
  WriteConfig(*table);
  std::string file = ReadFile("Config.dat");
  for (int port = 0; port < kComPortCount; ++port) {
    file[kBaudTableOffset + 4 * port] = static_cast<char>(kBaudRateCount + 1);
  }
  const auto report = [&](std::int32_t count) {
    std::memcpy(file.data() + kMeterCountOffset, &count, sizeof count);
    WriteFile("Config.dat", file);
    errorBoxes.clear();
    StartStation();
    EXPECT_TRUE(ReadFile("Config.dat") == file) << "loading changed the file";
    EXPECT_EQ(errorBoxes.size(), 1);
    const QString text = errorBoxes.value(0);
    // One box the size of a 1280 x 1024 screen at most, each kind of problem named once.
    EXPECT_LE(text.count('\n') + 1, 15) << text.toStdString();
    QMessageBox box(QMessageBox::Critical, "Velm", text);
    EXPECT_LE(box.sizeHint().height(), 1024) << text.toStdString();
    EXPECT_LE(box.sizeHint().width(), 1280) << text.toStdString();
    for (const char* kind : {"decimals", "COM index", "comm code", "baud index"}) {
      EXPECT_EQ(text.count(kind), 1) << kind << "\n" << text.toStdString();
    }
    return text.toStdString();
  };
  // A count outside 0..120 over a file of three meters: the three, no phantom meter.
  for (const std::int32_t count : {200, -1}) {
    const std::string text = report(count);
    EXPECT_EQ(form->Table.MeterCount, 3);
    EXPECT_NE(text.find("meter count " + std::to_string(count)), std::string::npos) << text;
    EXPECT_NE(text.find("kept the 3 leading meters"), std::string::npos) << text;
    EXPECT_NE(text.find(", meter 1: decimals of a channel outside 0..4"), std::string::npos);
    EXPECT_NE(text.find(", meter 2: COM index outside 0..39"), std::string::npos) << text;
    EXPECT_NE(text.find(", meter 3: comm code outside 0..1"), std::string::npos) << text;
    EXPECT_NE(text.find(", COM1 to COM40: baud index outside 0..7"), std::string::npos) << text;
    // The fields are kept as stored (the meter editor shows them, a save writes them back).
    EXPECT_EQ(form->Table.Meters[1].ComIndex, kComPortCount);
    form.reset();
  }
  // A count of 120 is taken: the zero blocks behind the three become meters of one channel,
  // all named in one line.
  const std::string text = report(kMaxMeters);
  EXPECT_EQ(form->Table.MeterCount, kMaxMeters);
  EXPECT_NE(text.find(", meters 4 to 120: no channels, taken as 1"), std::string::npos) << text;
}

}  // namespace
