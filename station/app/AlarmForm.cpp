#include "station/app/AlarmForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"

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
  setFont(DesignFont());
  setAutoFillBackground(true);
  SetColor(clBtnFace);
  btnAlarmClearOk = NewButton("btnAlarmClearOk", this, kClearButtonRect);
  btnAlarmSizeMin = NewButton("btnAlarmSizeMin", this, kMinimiseButtonRect);
  connect(btnAlarmClearOk, &QPushButton::clicked, this,
          Guarded([this] { btnAlarmClearOkClick(); }));
  connect(btnAlarmSizeMin, &QPushButton::clicked, this,
          Guarded([this] { btnAlarmSizeMinClick(); }));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TFormAlarm::~TFormAlarm() {
  if (FormAlarm == this) FormAlarm = nullptr;
}

void TFormAlarm::SetColor(TColor color) {
  color_ = color;
  QPalette colors = palette();
  colors.setColor(QPalette::Window, ToQColor(color));
  setPalette(colors);
}

void TFormAlarm::btnAlarmClearOkClick() { ModalResult = mrOk; }

void TFormAlarm::btnAlarmSizeMinClick() {
  setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
}

void TFormAlarm::FormClose() { ModalResult = mrNone; }

void TFormAlarm::closeEvent(QCloseEvent* event) {
  RunGuarded([this] { FormClose(); });
  // The default close action: the window hides and lives on.
  event->accept();
}
