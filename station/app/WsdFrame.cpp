#include "station/app/WsdFrame.h"

#include <QLabel>

#include "platform/gui/Controls.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Containers.h"

namespace {

constexpr int kNameFontPixelSize = 16;
constexpr int kValueFontPixelSize = 53;
constexpr const char* kValueFontFamily = "MS Gothic";
// Inside a block: the letter at the left, the value beside it, the unit and the four alarm
// panels in a column at the right.
constexpr QRect kLetterRect(4, 4, 16, 24);
constexpr QRect kValueRect(20, 20, 150, 64);
constexpr int kAlarmColumnLeft = 174;
constexpr int kAlarmColumnTop = 2;
constexpr int kAlarmColumnWidth = 56;
constexpr int kUnitHeight = 18;
constexpr int kAlarmPanelHeight = 19;
const char* const kAlarmCaptions[] = {"HH", "HA", "LA", "LL"};

QLabel* NewLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

void SetTextColor(QWidget& widget, const QColor& color) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText, color);
  widget.setPalette(palette);
}

}  // namespace

TFrame1::TFrame1(QWidget* owner) : QFrame(owner) {
  resize(kWidth, kHeight);
  Panel1 = new TPanel(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(rect());

  Label1 = NewLabel("Label1", QStringLiteral("Label1"), Panel1);
  Label1->setFixedHeight(kNameHeight);
  Label1->setAutoFillBackground(true);
  QPalette sky = Label1->palette();
  sky.setColor(QPalette::Window, ToQColor(clSkyBlue));
  Label1->setPalette(sky);
  Label1->setFont(PixelFont(Label1->font(), kNameFontPixelSize));
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  const BlockLabels temperature =
      BuildBlock({"Panel3", "Label6", "T", "Label3", "0.00", clBlue, "Label7", "°C  "});
  Panel3 = temperature.block;
  Label6 = temperature.letter;
  Label3 = temperature.value;
  Label7 = temperature.unit;
  const BlockLabels humidity =
      BuildBlock({"Panel2", "Label2", "H", "Label4", "0.0", clFuchsia, "Label5", "HR%"});
  Panel2 = humidity.block;
  Label2 = humidity.letter;
  Label4 = humidity.value;
  Label5 = humidity.unit;

  TAlignLayout& docks = Panel1->Docks();
  docks.AddAligned(Label1, TAlign::Top);
  docks.AddAligned(Panel3, TAlign::Top, kBlockHeight);
  docks.AddAligned(Panel2, TAlign::Top, kBlockHeight);
}

TFrame1::BlockLabels TFrame1::BuildBlock(const BlockDesign& design) {
  BlockLabels labels;
  labels.block = new TPanel(Panel1);
  TPanel* block = labels.block;
  block->setObjectName(QString::fromLatin1(design.panel));
  block->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  labels.letter = NewLabel(design.letterName, QString::fromUtf8(design.letter), block);
  labels.letter->setGeometry(kLetterRect);
  labels.value = NewLabel(design.valueName, QString::fromUtf8(design.value), block);
  labels.value->setGeometry(kValueRect);
  labels.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont valueFont(QString::fromLatin1(kValueFontFamily));
  valueFont.setPixelSize(kValueFontPixelSize);
  labels.value->setFont(valueFont);
  SetTextColor(*labels.value, ToQColor(design.valueColor));
  labels.unit = NewLabel(design.unitName, QString::fromUtf8(design.unit), block);
  labels.unit->setGeometry(kAlarmColumnLeft, kAlarmColumnTop, kAlarmColumnWidth, kUnitHeight);
  // The four alarm panels: captioned panels, one widget each.
  int top = kAlarmColumnTop + kUnitHeight;
  for (const char* caption : kAlarmCaptions) {
    auto* alarm = new QLabel(QString::fromLatin1(caption), block);
    alarm->setFrameStyle(QFrame::Panel | QFrame::Raised);
    alarm->setAlignment(Qt::AlignCenter);
    alarm->setGeometry(kAlarmColumnLeft, top, kAlarmColumnWidth, kAlarmPanelHeight);
    top += kAlarmPanelHeight;
  }
  return labels;
}
