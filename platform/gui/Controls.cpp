#include "platform/gui/Controls.h"

#include <QLabel>
#include <QPushButton>

#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"

QPushButton* NewButton(const char* name, const char* text, QWidget* parent) {
  return Named(new QPushButton(QString::fromUtf8(text), parent), name);
}

QLabel* NewLabel(const char* name, const char* text, QWidget* parent) {
  return Named(new QLabel(QString::fromUtf8(text), parent), name);
}

TCp936Edit* NewEdit(const char* name, const char* text, int maxBytes, QWidget* parent) {
  auto* edit = Named(new TCp936Edit(QString::fromUtf8(text), parent), name);
  edit->SetMaxBytes(maxBytes);
  return edit;
}

TPanel* NewPanel(const char* name, QWidget* parent) { return Named(new TPanel(parent), name); }

QFont PixelFont(QFont font, int pixelSize) {
  font.setPixelSize(pixelSize);
  return font;
}
