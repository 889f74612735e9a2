#include "station/app/AlarmForm.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include "platform/gui/Colors.h"

TFormAlarm* FormAlarm = nullptr;

namespace {

constexpr QRect kClearButtonRect(32, 32, 313, 25);
constexpr QRect kMinimiseButtonRect(32, 72, 313, 25);

QPushButton* NewButton(const char* name, QWidget* parent, const QRect& geometry) {
  auto* button = new QPushButton(QString::fromLatin1(name), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  return button;
}

}  // namespace

TFormAlarm::TFormAlarm(QWidget* parent) : QWidget(parent, Qt::Window) {
  FormAlarm = this;
  setObjectName(QStringLiteral("FormAlarm"));
  setWindowTitle(QStringLiteral("FormAlarm"));
  // The main window alone decides when the program ends.
  setAttribute(Qt::WA_QuitOnClose, false);
  setFixedSize(kClientWidth, kClientHeight);
  QPalette colors = palette();
  colors.setColor(QPalette::Window, ToQColor(clBtnFace));
  setPalette(colors);
  setAutoFillBackground(true);
  btnAlarmClearOk = NewButton("btnAlarmClearOk", this, kClearButtonRect);
  btnAlarmSizeMin = NewButton("btnAlarmSizeMin", this, kMinimiseButtonRect);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TFormAlarm::~TFormAlarm() {
  if (FormAlarm == this) FormAlarm = nullptr;
}
