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

  static std::vector<std::string> Snapshot(const std::vector<std::string>& files) {
    std::vector<std::string> contents;
    for (const std::string& file : files) contents.push_back(ReadFile(file));
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
  WriteFile("Res/GSM_Alarm.ini", "[GSM]\r\nEnable=1\r\n[PhoneList]\r\nNum1=13800138000\r\n");
  const std::vector<std::string> files = {"Config.dat", "Res/MFPara.ini", "Res/GSM_Alarm.ini"};
  const auto before = Snapshot(files);
  fs::rename("Velm_LOGO.BMP", "logo.bmp");
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
       {form->btn_ModifyPassword, form->btn_SignOut, form->btn_MeterBatchAdd, form->btn_MeterAdd,
        form->btn_MeterDel, form->btn_MeterModify, form->btn_MeterSave, form->btn_ChannelAdd,
        form->btn_ChannelDel, form->btn_ChannelModify, form->btn_ChannelSave,
        form->btnGSM_SetSave}) {
    button->click();
  }
  form->ed_CurvesMix->setText("1");
  form->ed_CurvesMax->setText("2");
  form->btn_SetCurvesRange->click();
  QTest::keyClick(form->colorBox_CurvesBackColor, Qt::Key_Down);
  EXPECT_EQ(dialogs, 0);
  EXPECT_FALSE(form->btn_SignOut->isEnabled()) << "configuration mode was entered";
  form.reset();
  EXPECT_TRUE(Snapshot(files) == before) << "a stored file was written";
  // The logo back, the next start opens them.
  fs::rename("logo.bmp", "Velm_LOGO.BMP");
  StartStation();
  EXPECT_TRUE(form->btn_SetCurvesRange->isEnabled() && form->colorBox_CurvesBackColor->isEnabled());
  EXPECT_TRUE(SignIn({"583106"}));
}

TEST_F(ConfigAccessTest, APasswordThatCannotBeReadSignsNothingIn) {
  const std::pair<std::function<void()>, std::string> unreadable[] = {
      {[] { WriteFile("Config.dat", std::string(10, '\0')); },
       "the file ends before its password field"},
      {[] { fs::create_directory("Config.dat"); }, std::strerror(EISDIR)},
  };
  for (const auto& [make, reason] : unreadable) {
    SCOPED_TRACE(reason);
    make();
    StartStation();
    ASSERT_TRUE(form->InRunMode());
    messageBoxes.clear();
    EXPECT_FALSE(SignIn({"", "583106"}));
    const std::string box = "Error|Config.dat cannot be read: " + reason;
    EXPECT_EQ(messageBoxes.join('\n').toStdString(), box + "\n" + box);
    // The trend's controls write at once, without signing in: into a file cut short they write
    // nothing (the gap in front would read back as an empty password), and say so.
    const std::string stored = fs::is_regular_file("Config.dat") ? ReadFile("Config.dat") : "";
    errorBoxes.clear();
    form->ed_CurvesMix->setText("1");
    form->ed_CurvesMax->setText("2");
    form->btn_SetCurvesRange->click();
    QTest::keyClick(form->colorBox_CurvesBackColor, Qt::Key_Down);
    EXPECT_EQ(errorBoxes.size(), 2);
    if (fs::is_regular_file("Config.dat")) {
      EXPECT_TRUE(ReadFile("Config.dat") == stored) << "the damaged file was written";
    }
    form.reset();
    StartStation();
    EXPECT_FALSE(SignIn({""})) << "the next start signs in on an empty password";
    form.reset();
    fs::remove_all("Config.dat");
  }
  // A password read as all zero bytes is the empty password: the empty entry signs in.
  WriteFile("Config.dat", std::string(static_cast<std::size_t>(kConfigFileSize), '\0'));
  StartStation();
  EXPECT_TRUE(SignIn({"x", ""}));
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
  const auto start = [&](std::int32_t count) {
    std::memcpy(file.data() + kMeterCountOffset, &count, sizeof count);
    WriteFile("Config.dat", file);
    form.reset();
    errorBoxes.clear();
    StartStation();
    EXPECT_TRUE(ReadFile("Config.dat") == file) << "loading changed the file";
    // The report shows once the station runs.
    WaitProcessing([&] { return !errorBoxes.isEmpty(); });
    EXPECT_EQ(errorBoxes.size(), 1);
    const QString text = errorBoxes.value(0);
    // One box that fits a 1280 x 1024 screen, each kind of problem named once.
    EXPECT_LE(text.count('\n') + 1, 15) << text.toStdString();
    const QSize size = QMessageBox(QMessageBox::Critical, "Velm", text).sizeHint();
    EXPECT_TRUE(size.width() <= 1280 && size.height() <= 1024) << text.toStdString();
    for (const char* kind : {"decimals", "COM index", "comm code", "baud index"}) {
      EXPECT_EQ(text.count(kind), 1) << kind << "\n" << text.toStdString();
    }
    return text.toStdString();
  };
  // A count outside 0..120 over a file of three meters: the three, no phantom meter. Each field
  // outside its domain is named with its meter row and kept as stored.
  std::string text = start(200);
  EXPECT_EQ(form->Configuration().Table().MeterCount, 3);
  for (const char* line : {": meter count 200 lies outside 0..120; kept the 3 leading meters",
                           ", meter 1: decimals of a channel outside 0..4",
                           ", meter 2: COM index outside 0..39",
                           ", meter 3: comm code outside 0..1",
                           ", COM1 to COM40: baud index outside 0..7"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
  EXPECT_EQ(form->Configuration().Table().Meters[1].ComIndex, kComPortCount);
  // A count of 120 is taken: the zero blocks behind the three are meters of no channels, taken
  // as one, all named in one line.
  text = start(kMaxMeters);
  EXPECT_EQ(form->Configuration().Table().MeterCount, kMaxMeters);
  EXPECT_NE(text.find(", meters 4 to 120: no channels, taken as 1"), std::string::npos) << text;
}

}  // namespace
