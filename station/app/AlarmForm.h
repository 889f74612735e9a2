#pragma once
// TFormAlarm: the small alarm window, created hidden at start-up and shown by the supervision
// cycle while an alarm sounds. Its two buttons silence the sound for 15 minutes or minimise the
// window; the window only records the operator's choice (ModalResult), which the next tick acts
// on. Its caption and button texts are set by the alarm step before the window first shows.
// Closing it never ends the program. GUI thread only.

#include <QWidget>

#include "platform/gui/Colors.h"

class QPushButton;

class TFormAlarm : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 381;
  static constexpr int kClientHeight = 157;

  explicit TFormAlarm(QWidget* parent = nullptr);
  ~TFormAlarm() override;

  QPushButton* btnAlarmClearOk = nullptr;
  QPushButton* btnAlarmSizeMin = nullptr;

  // The silence request: mrOk (1) once btnAlarmClearOk was pressed, mrNone (0) after the window
  // was closed. The window is never shown modally.
  int ModalResult = 0;

  // The window's background colour as a TColor (clBtnFace at design); the blink compares it.
  TColor Color() const { return color_; }
  void SetColor(TColor color);

  // Asks for silence: ModalResult := mrOk; the window stays open.
  void btnAlarmClearOkClick();
  // Minimises the window; the sound goes on.
  void btnAlarmSizeMinClick();
  // OnClose: ModalResult := mrNone; the window hides.
  void FormClose();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  TColor color_ = clBtnFace;
};

// The system's name for its alarm window: set by the constructor of the one window the program
// entry creates, cleared by its destructor. The main window does not reach the window through it:
// the program entry hands it over (Tfm_MainForm::SetAlarmWindow).
extern TFormAlarm* FormAlarm;
