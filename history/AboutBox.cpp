#include "history/AboutBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/gui/Containers.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"

TAboutBox* AboutBox = nullptr;

namespace {

constexpr int kIconSize = 32;

QLabel* NewLine(const char* name, const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  AboutBox = this;
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About"));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  setFont(DesignFont());

  Panel1 = new TPanel(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  ProgramIcon = NewLine("ProgramIcon", "", Panel1);
  ProgramIcon->setPixmap(
      QApplication::style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(kIconSize, kIconSize));
  ProductName = NewLine("ProductName", "Olvesk: History Data Analysis", Panel1);
  Version = NewLine("Version", "Reads the history data files of the Tavrin station", Panel1);
  Copyright = NewLine("Copyright", "Quessa plant supervision", Panel1);
  Comments = NewLine("Comments", "Contact your system supplier for support", Panel1);
  auto* lines = new QVBoxLayout(Panel1);
  for (QWidget* line : {static_cast<QWidget*>(ProgramIcon), static_cast<QWidget*>(ProductName),
                        static_cast<QWidget*>(Version), static_cast<QWidget*>(Copyright),
                        static_cast<QWidget*>(Comments)}) {
    lines->addWidget(line);
  }

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Panel1);
  layout->addWidget(OKButton, 0, Qt::AlignHCenter);
  connect(OKButton, &QPushButton::clicked, this, Guarded([this] { OKButtonClick(); }));
}

TAboutBox::~TAboutBox() {
  if (AboutBox == this) AboutBox = nullptr;
}

void TAboutBox::OKButtonClick() { close(); }
