// Run mode and configuration mode: a started station with one meter on COM1, signed in and out
// through its buttons, its dialogs answered through the modal hook.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <filesystem>

#include "platform/Clock.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/app/LoginForm.h"
#include "station/app/ModifyPwForm.h"
#include "tests/app/StartupFixture.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

class ModesTest : public StationDirTest {
 protected:
  ModesTest() : com1({1, 2}) {
    com1.StartPty();
    com1.LinkAsCom(CurrentDir(), 1);
    auto table = std::make_unique<MeterTable>();
    AddSerialMeter(*table, 1, 0);
    WriteConfig(*table);
    StartStation();
    EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join('\n').toStdString();
  }
  // Polling stops while the pauses are still short and the meter still answers.
  ~ModesTest() override { form.reset(); }

  // Presses btn_Login and answers the dialog: each entry is typed and OK pressed while the
  // dialog stays open; Cancel when every entry was refused. Returns the dialog's result.
  int SignIn(const QStringList& entries) {
    int result = -1;
    ScopedModalHook hook([&](QDialog& dialog) {
      auto& login = dynamic_cast<Tfm_LoginForm&>(dialog);
      loginTexts = {login.windowTitle(), login.lab_InputPassword->text(), login.bt_Ok->text(),
                    login.bt_Cancel->text()};
      pollingWhileAsked = form->PollingRunning() && form->timer_PerSecond->isActive();
      for (const QString& entry : entries) {
        login.ed_InputPassword->setText(entry);
        login.bt_Ok->click();
        if (login.result() == mrOk) return result = mrOk;
        refusals << login.ed_InputPassword->text() + "|" + login.lab_PasswordTip->text();
      }
      login.bt_Cancel->click();
      return result = login.result();
    });
    form->btn_Login->click();
    return result;
  }

  // Presses btn_ModifyPassword and answers with the two entries (Cancel after a mismatch).
  int ChangePassword(const QString& entry, const QString& again) {
    int result = -1;
    ScopedModalHook hook([&](QDialog& dialog) {
      auto& change = dynamic_cast<Tfm_ModifyPwForm&>(dialog);
      changeTexts = {change.windowTitle(), change.lab_InputNewPw->text(),
                     change.lab_InputNewPwAgain->text(), change.btn_Ok->text(),
                     change.btn_Cancel->text()};
      change.ed_NewPw->setText(entry);
      change.ed_NewPwAgain->setText(again);
      change.btn_Ok->click();
      if (change.result() == mrOk) return result = mrOk;
      refusals << change.ed_NewPw->text() + "|" + change.ed_NewPwAgain->text() + "|" +
                      change.lab_ModifyTip->text();
      change.btn_Cancel->click();
      return result = change.result();
    });
    form->btn_ModifyPassword->click();
    return result;
  }

  std::vector<QPushButton*> ConfigurationButtons() const {
    return {form->btn_ModifyPassword, form->btn_SignOut,       form->btn_MeterBatchAdd,
            form->btn_MeterAdd,       form->btn_MeterDel,      form->btn_MeterModify,
            form->btn_MeterSave,      form->btn_ChannelAdd,    form->btn_ChannelDel,
            form->btn_ChannelModify,  form->btn_ChannelSave};
  }

  void ExpectRunMode() {
    EXPECT_TRUE(form->InRunMode());
    EXPECT_TRUE(form->timer_PerSecond->isActive());
    EXPECT_TRUE(form->PollingRunning());
    for (QPushButton* button : ConfigurationButtons()) {
      EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    }
    EXPECT_FALSE(form->plGSM_Alarm->isEnabled());
    EXPECT_TRUE(form->btn_Login->isEnabled());
  }

  void ExpectConfigMode() {
    EXPECT_FALSE(form->InRunMode());
    EXPECT_FALSE(form->timer_PerSecond->isActive());
    EXPECT_FALSE(form->PollingRunning());
    for (QPushButton* button : ConfigurationButtons()) {
      EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    }
    EXPECT_TRUE(form->plGSM_Alarm->isEnabled());
    EXPECT_TRUE(form->btn_Login->isEnabled());
    EXPECT_EQ(form->pgContr_MainForm->ActivePage(), form->tabSheet_MeterInfo);
    EXPECT_EQ(form->tabSheet_MeterInfo->Caption(), "System Configuration");
  }

  std::string StoredPasswordField() const { return ReadFile("Config.dat").substr(4, 8); }

  ScopedFastSleep fastSleep;
  ScriptedSlave com1;
  QStringList loginTexts;
  QStringList changeTexts;
  QStringList refusals;
  bool pollingWhileAsked = false;
};

TEST_F(ModesTest, WrongPasswordThenCancelKeepsRunMode) {
  ExpectRunMode();
  // Pressing the locked buttons does nothing.
  form->btn_SignOut->click();
  form->btn_ModifyPassword->click();
  EXPECT_EQ(SignIn({"wrong", "583106 ", "58310"}), mrCancel);
  EXPECT_EQ(loginTexts,
            QStringList({"Sign in System Configuration", "Password", "OK", "Cancel"}));
  EXPECT_EQ(refusals, QStringList({"|Error", "|Error", "|Error"}));
  EXPECT_TRUE(pollingWhileAsked);
  ExpectRunMode();
  const std::size_t seen = com1.RequestCount();
  EXPECT_TRUE(com1.WaitForRequests(seen + 2, 5000)) << "the meter is still polled";
  EXPECT_TRUE(errorBoxes.isEmpty());
}

TEST_F(ModesTest, RightPasswordStopsTimerAndThreadsAndUnlocksTheControls) {
  ASSERT_TRUE(com1.WaitForRequests(1, 5000));
  EXPECT_EQ(SignIn({"583107", "583106"}), mrOk);
  EXPECT_EQ(refusals, QStringList({"|Error"}));
  ExpectConfigMode();
  const std::size_t seen = com1.RequestCount();
  RealSleepMs(100);
  EXPECT_EQ(com1.RequestCount(), seen) << "a thread still polls in configuration mode";
  // A second sign-in in configuration mode finds nothing to stop.
  form->pgContr_MainForm->SetActivePage(form->tabSheet_AlamRecord);
  EXPECT_EQ(SignIn({"583106"}), mrOk);
  ExpectConfigMode();
  EXPECT_TRUE(errorBoxes.isEmpty());
}

TEST_F(ModesTest, SignOutPollsTheTableAsItStandsInMemory) {
  ASSERT_EQ(SignIn({"583106"}), mrOk);
  const std::string config = ReadFile("Config.dat");
  AddSerialMeter(form->Configuration().Table(), 2, 0);  // added, not saved
  com1.ClearRequests();
  form->btn_SignOut->click();
  ExpectRunMode();
  ASSERT_EQ(form->Polling().SerialThreads().size(), 1u);
  EXPECT_EQ(form->Polling().SerialThreads()[0]->MeterCount, 2);
  ASSERT_TRUE(com1.WaitForRequests(2, 5000));
  EXPECT_EQ(com1.Requests()[0][0], 1);
  EXPECT_EQ(com1.Requests()[1][0], 2);
  EXPECT_TRUE(ReadFile("Config.dat") == config) << "sign-out wrote Config.dat";
}

TEST_F(ModesTest, SignOutSelectsTheFirstMeterAndStartsTheSmsSweepAnew) {
  ASSERT_EQ(SignIn({"583106"}), mrOk);
  AddSerialMeter(form->Configuration().Table(), 9, 0);
  form->FillMeterList();
  form->strgGrid_MeterList->SetRow(2);
  form->strgGrid_MeterListClick();
  ASSERT_EQ(form->ed_MeterAddr->text(), "9");
  SmsAlarm& sms = form->Cycle().Sms();
  for (int row = 0; row < 7; ++row) {  // rows without a number are passed over
    sms.SmsStep(SmsPage{}, form->Configuration().Table(), form->Cycle().Tiles(), [](const std::string&) {});
  }
  ASSERT_EQ(sms.PhoneRowIndex(), 7);
  std::filesystem::remove(form->Cycle().Recording().HistoryDataPath());
  form->btn_SignOut->click();
  ExpectRunMode();
  EXPECT_EQ(form->strgGrid_MeterList->Row(), 1);
  EXPECT_EQ(form->ed_MeterAddr->text(), "1");
  EXPECT_EQ(form->Cycle().Sms().PhoneRowIndex(), 0);
  EXPECT_TRUE(std::filesystem::exists(form->Cycle().Recording().HistoryDataPath()))
      << "no new recording period";
}

TEST_F(ModesTest, ChangedPasswordIsInConfigDatWhenTheHandlerReturns) {
  ASSERT_EQ(SignIn({"583106"}), mrOk);
  EXPECT_EQ(ChangePassword("Nw-pw", "Nw-pw"), mrOk);
  EXPECT_EQ(changeTexts, QStringList({"Password Setting", "New Password", "Confirm Again", "OK",
                                      "Cancel"}));
  EXPECT_EQ(form->Configuration().Password(), "Nw-pw");
  EXPECT_EQ(StoredPasswordField(), std::string("Nw-pw\0\0\0", 8));

  form->btn_SignOut->click();
  EXPECT_EQ(SignIn({"583106"}), mrCancel);
  EXPECT_EQ(SignIn({"Nw-pw"}), mrOk);
}

TEST_F(ModesTest, ChinesePasswordReadsBackTheSameAfterARestart) {
  ASSERT_EQ(SignIn({"583106"}), mrOk);
  ASSERT_EQ(ChangePassword(QString::fromUtf8("密码口令"), QString::fromUtf8("密码口令")), mrOk);
  form.reset();
  StartStation();
  EXPECT_EQ(form->Configuration().Password(), "密码口令");
  EXPECT_EQ(SignIn({QString::fromUtf8("密码口令")}), mrOk);
}

TEST_F(ModesTest, MismatchChangesNothing) {
  ASSERT_EQ(SignIn({"583106"}), mrOk);
  EXPECT_EQ(ChangePassword("abc", "abd"), mrCancel);
  EXPECT_EQ(refusals, QStringList({QString::fromUtf8("||错误")}));
  EXPECT_EQ(form->Configuration().Password(), "583106");
  EXPECT_EQ(StoredPasswordField(), std::string("583106\0\0", 8));
}

TEST_F(ModesTest, FailedSaveKeepsThePasswordThatIsOnDisk) {
  ASSERT_EQ(SignIn({"583106"}), mrOk);
  std::filesystem::remove("Config.dat");
  std::filesystem::create_directory("Config.dat");
  EXPECT_EQ(ChangePassword("other", "other"), mrOk);
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_TRUE(errorBoxes[0].contains("Config.dat")) << errorBoxes[0].toStdString();
  EXPECT_EQ(form->Configuration().Password(), "583106");
}

}  // namespace
