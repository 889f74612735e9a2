#pragma once
// TFormAlarm: the small alarm window, created hidden at start-up and shown by the supervision
// cycle while an alarm sounds. Its two buttons silence the sound for 15 minutes or minimise the
// window; their behaviour and texts are set by the alarm step before the window first shows.
// Closing it never ends the program. GUI thread only.

#include <QWidget>

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
};

// The alarm window; set by its constructor, cleared by its destructor.
extern TFormAlarm* FormAlarm;
