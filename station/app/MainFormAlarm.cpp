// The alarm window and sound on the main window: what the alarm step decided (AlarmSequence),
// done to the alarm window the program entry handed over and to the alarm sound.

#include <QPushButton>

#include "platform/gui/Dialogs.h"
#include "platform/gui/Sound.h"
#include "station/app/AlarmForm.h"
#include "station/app/MainForm.h"

namespace {

constexpr const char* kAlarmCaption = "Over Limit Alarm";
constexpr const char* kSilenceCaption = "Please eliminate the alarm sound for 15 minutes.";
constexpr const char* kMinimiseCaption = "Please keep the alarm sound and minimize this window.";

void SetAlarmTexts(TFormAlarm& window) {
  window.setWindowTitle(QString::fromLatin1(kAlarmCaption));
  window.btnAlarmClearOk->setText(QString::fromLatin1(kSilenceCaption));
  window.btnAlarmSizeMin->setText(QString::fromLatin1(kMinimiseCaption));
}

void Blink(TFormAlarm& window) {
  window.SetColor(window.Color() == clBtnFace ? clRed : clBtnFace);
}

}  // namespace

void Tfm_MainForm::SetAlarmWindow(TFormAlarm& window) { alarmWindow_ = &window; }

void Tfm_MainForm::ShowAlarm(const AlarmActions& actions) {
  // The alarm window exists from the end of start-up on; without it only the sound goes on.
  TFormAlarm* window = alarmWindow_;
  if (actions.Blink && window != nullptr) {
    SetAlarmTexts(*window);
    Blink(*window);
  }
  if (actions.Play) {
    if (alarmSound_ == nullptr) alarmSound_ = new TSoundPlayer(this);
    alarmSound_->PlayFile(alarmSoundPath_);
    if (window != nullptr) {
      window->show();
      window->raise();
    }
  }
  if (actions.Silence && window != nullptr) window->close();
}

bool Tfm_MainForm::AlarmSilenceRequested() const {
  return alarmWindow_ != nullptr && alarmWindow_->ModalResult == mrOk;
}

void Tfm_MainForm::HideAlarmWindow() {
  if (alarmWindow_ != nullptr) alarmWindow_->close();
}
