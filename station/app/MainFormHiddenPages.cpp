// The pieces of the main window that start-up hides and nothing shows again: the temperature and
// humidity overview (TFrame1 tiles on TabSheet3), the temperature and humidity control page
// (handlers that do nothing) and the button that starts the history program.

#include <QLabel>
#include <QPushButton>

#include "common/AppPaths.h"
#include "common/FixedText.h"
#include "platform/Cp936.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ProcessStart.h"
#include "station/app/MainForm.h"
#include "station/app/WsdFrame.h"

namespace {

constexpr int kFramesPerRow = 8;
// One frame stands for channels c and c + 1 and shows the name of channel c.
constexpr int kChannelsPerFrame = 2;
// The name label grows from its design height once the frame is placed.
constexpr int kPlacedNameHeight = 24;
constexpr std::string_view kHistoryProgram = "\\Olvesk";

// The channel name (raw bytes) of every frame, in frame order.
std::vector<std::string> WsdFrameContent(const MeterTable& table) {
  std::vector<std::string> names;
  for (int m = 0; m < MetersInUse(table); ++m) {
    const TMeterRecord& meter = table.Meters[m];
    for (int c = 0; c < ChannelsInUse(meter); c += kChannelsPerFrame) {
      names.emplace_back(FixedBytes(meter.Channels[c].Name));
    }
  }
  return names;
}

}  // namespace

void Tfm_MainForm::ConnectHiddenPages() {
  connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
  connect(btTH_CtrlOK, &QPushButton::clicked, this, Guarded([this] { btTH_CtrlOKClick(); }));
  connect(btTH_CtrlExit, &QPushButton::clicked, this, Guarded([this] { btTH_CtrlExitClick(); }));
  connect(btTempUp, &QPushButton::clicked, this, Guarded([this] { btTempUpClick(); }));
  connect(btTempDown, &QPushButton::clicked, this, Guarded([this] { btTempDownClick(); }));
  connect(Button2, &QPushButton::clicked, this, Guarded([this] { Button2Click(); }));
  connect(Button3, &QPushButton::clicked, this, Guarded([this] { Button3Click(); }));
  // A tab sheet shows when its page becomes the current one.
  connect(pgContr_MainForm, &QTabWidget::currentChanged, this, Guarded([this](int index) {
            if (pgContr_MainForm->widget(index) == tabSheet_HT_Ctrl) tabSheet_HT_CtrlShow();
          }));
}

void Tfm_MainForm::BuildWsdFrames() {
  std::vector<std::string> content = WsdFrameContent(Table());
  if (content == wsdFrameContent_) return;
  QWidget* parent = ScrollBox2->Content();
  parent->setUpdatesEnabled(false);
  for (auto frame = Frame1List.rbegin(); frame != Frame1List.rend(); ++frame) delete *frame;
  Frame1List.clear();
  for (int n = 0; n < static_cast<int>(content.size()); ++n) {
    auto* frame = new TFrame1(parent);
    frame->move((n % kFramesPerRow) * TFrame1::kWidth, (n / kFramesPerRow) * TFrame1::kHeight);
    frame->Label1->setText(QString::fromStdString(Cp936ToUtf8(content[n])));
    frame->Label1->setFixedHeight(kPlacedNameHeight);
    frame->setObjectName(QStringLiteral("FrameWSD%1").arg(n));
    frame->show();
    Frame1List.push_back(frame);
  }
  parent->setUpdatesEnabled(true);
  wsdFrameContent_ = std::move(content);
}

void Tfm_MainForm::Button1Click() { StartProgramDetached(AppPath(kHistoryProgram)); }

void Tfm_MainForm::btTH_CtrlOKClick() {}
void Tfm_MainForm::btTH_CtrlExitClick() {}
void Tfm_MainForm::tabSheet_HT_CtrlShow() {}
void Tfm_MainForm::btTempUpClick() {}
void Tfm_MainForm::btTempDownClick() {}
void Tfm_MainForm::Button2Click() {}
void Tfm_MainForm::Button3Click() {}
