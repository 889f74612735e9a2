// Polling control: the polling lists, and starting and stopping the polling threads.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSignalBlocker>
#include <QTimer>

#include "platform/gui/StatusBar.h"
#include "station/app/MainForm.h"
#include "station/comm/MeterComm.h"

namespace {

// Hands the Ethernet thread's texts to the status bar with a queued call: the polling thread
// never waits for the GUI thread (which may itself be waiting for the polling thread).
class StatusBarSink : public StatusPanelSink {
 public:
  explicit StatusBarSink(TStatusBar& bar) : bar_(bar) {}
  void SetPanelText(int panel, const std::string& text) override {
    bar_.PostPanelText(panel, QString::fromStdString(text));
  }

 private:
  TStatusBar& bar_;
};

class BusyCursor {
 public:
  BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void Tfm_MainForm::BuildPollLists() { polling_.BuildPollLists(Table()); }

void Tfm_MainForm::StartPolling() {
  if (!statusSink_) statusSink_ = std::make_unique<StatusBarSink>(*statusBar_MainForm);
  polling_.Start(Table().PortBaudIndex, clientSocket_MeterComm, *statusSink_);
}

void Tfm_MainForm::StopPolling() {
  if (!polling_.Running()) return;
  // The callers stop the supervision timer first; should it still run, no tick may start while
  // events are processed below.
  const QSignalBlocker noTicks(timer_PerSecond);
  const BusyCursor busy;
  // Queued status texts keep reaching the status bar; user input waits until polling has
  // stopped.
  polling_.Stop([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

void Tfm_MainForm::clientSocket_MeterCommConnect(TClientSocket& socket) {
  // Runs on the Ethernet thread: the text goes to the status bar with a queued call.
  statusBar_MainForm->PostPanelText(kEthernetStatusPanel,
                                    QString::fromStdString(socket.Address + kConnectSuccessText));
}

void Tfm_MainForm::clientSocket_MeterCommError(TClientSocket& socket, int& errorCode) {
  // The failed send or receive returns a short count instead of raising; the next turn of the
  // Ethernet thread connects anew.
  errorCode = 0;
  socket.Close();
}
