// The alarm step's window and sound: while any channel of an online meter is in alarm the step
// waits out the alarm delay, then blinks the alarm window red every second and plays Alarm.wav
// every fourth second (the window shows again with each play), until the operator silences it
// for 15 minutes. A tick without alarm reloads the delay, drops a pending silence and hides the
// window.
//
// With D the delay and ticks counted from the first of an alarm: ticks 1..D only count down; the
// window and sound come in tick D + 1 and the sound again in D + 5, D + 9, ... A silence asked for
// during tick T's second lets tick T + 1 blink and sound as due, then hides the window; ticks
// T + 2 .. T + 901 count the silence down, and tick T + 902 sounds again.

#include <QPushButton>

#include "common/StrConv.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Sound.h"
#include "station/app/AlarmForm.h"
#include "station/app/MainForm.h"

namespace {

constexpr const char* kAlarmCaption = "Over Limit Alarm";
constexpr const char* kSilenceCaption = "Please eliminate the alarm sound for 15 minutes.";
constexpr const char* kMinimiseCaption = "Please keep the alarm sound and minimize this window.";

// Ticks between two plays: the sound plays every fourth second.
constexpr std::int32_t kTicksBetweenPlays = 3;
// Ticks of silence after the silence button: 15 minutes = 900 s.
constexpr std::int32_t kSilenceTicks = 15 * 60;

void SetAlarmTexts(TFormAlarm& window) {
  window.setWindowTitle(QString::fromLatin1(kAlarmCaption));
  window.btnAlarmClearOk->setText(QString::fromLatin1(kSilenceCaption));
  window.btnAlarmSizeMin->setText(QString::fromLatin1(kMinimiseCaption));
}

void Blink(TFormAlarm& window) {
  window.SetColor(window.Color() == clBtnFace ? clRed : clBtnFace);
}

}  // namespace

void Tfm_MainForm::AlarmBranch() {
  if (AlarmDelayCountdown > 0) {
    --AlarmDelayCountdown;
    return;
  }
  // The alarm window exists from the end of start-up on; without it only the sound goes on.
  TFormAlarm* window = FormAlarm;
  if (window != nullptr) {
    SetAlarmTexts(*window);
    Blink(*window);
  }
  if (SoundCountdown > 0) {
    --SoundCountdown;
  } else {
    SoundCountdown = kTicksBetweenPlays;
    if (AlarmSound == nullptr) AlarmSound = new TSoundPlayer(this);
    AlarmSound->PlayFile(AlarmSoundPath);
    if (window != nullptr) {
      window->show();
      window->raise();
    }
  }
  if (window != nullptr && window->ModalResult == mrOk) {
    SoundCountdown = kSilenceTicks;
    window->close();
  }
}

void Tfm_MainForm::ResetBranch() {
  SmsReset();
  SoundCountdown = 0;
  // Hidden before the delay is reloaded: a delay text that is not a whole number raises below in
  // every tick without alarm (the cycle reports it once), and must not leave the window up.
  if (FormAlarm != nullptr) FormAlarm->close();
  AlarmDelayCountdown = StrToInt(GSMedAlarmDelayT->text().toStdString());
}
