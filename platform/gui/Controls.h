#pragma once
// Building windows in code: every control carries its design name as its objectName, so the
// program and the tests find it with findChild. Texts are UTF-8.

#include <QFont>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;
class TCp936Edit;
class TPanel;

template <class Control>
Control* Named(Control* control, const char* name) {
  control->setObjectName(QString::fromLatin1(name));
  return control;
}

template <class Control>
Control* Placed(Control* control, int left, int top, int width, int height) {
  control->setGeometry(left, top, width, height);
  return control;
}

QPushButton* NewButton(const char* name, const char* text, QWidget* parent);
QLabel* NewLabel(const char* name, const char* text, QWidget* parent);
// An edit holding at most maxBytes of code page 936 text.
TCp936Edit* NewEdit(const char* name, const char* text, int maxBytes, QWidget* parent);
TPanel* NewPanel(const char* name, QWidget* parent);
// `font` with its size given in pixels.
QFont PixelFont(QFont font, int pixelSize);
