// Polling control: the polling lists, and starting and stopping the polling threads.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTimer>

#include "platform/Clock.h"
#include "platform/gui/StatusBar.h"
#include "station/app/MainForm.h"
#include "station/comm/MeterComm.h"

namespace {

// Pause between two looks at a thread that has been told to stop.
constexpr int kStopCheckIntervalMs = 5;

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

void Tfm_MainForm::BuildPollLists() {
  for (TPollList& list : Table().PollLists) list.Count = 0;
  for (int m = 0; m < MetersInUse(Table()); ++m) {
    TMeterRecord& meter = Table().Meters[m];
    int list = kEthernetList;
    if (meter.CommMode == 0) {
      // A COM index beyond COM40 can only come from a damaged Config.dat: such a meter is in no
      // list, so it is never polled and stays offline.
      if (meter.ComIndex >= kComPortCount) continue;
      list = meter.ComIndex;
    }
    TPollList& target = Table().PollLists[list];
    target.Meters[target.Count++] = &meter;
  }
}

void Tfm_MainForm::StartPolling() {
  StopPolling();
  for (int p = 0; p < kComPortCount; ++p) {
    const TPollList& list = Table().PollLists[p];
    if (list.Count == 0) continue;
    // A port that fails to open still gets its thread, which sets the port's meters offline
    // and ends.
    OpenComPort(Table().PortHandles[p], p, Table().PortBaudIndex[p]);
    ThreadPtr<TCommSrvTh> thread(new TCommSrvTh(true));
    thread->MeterCount = list.Count;
    thread->MeterList = list.Meters;
    thread->PortHandle = Table().PortHandles[p];
    thread->PortIndex = p;
    thread->SetPriority(ThreadPriority::Higher);
    thread->Resume();
    SerialThreads.push_back(std::move(thread));
  }

  const TPollList& ethernet = Table().PollLists[kEthernetList];
  if (ethernet.Count == 0) return;
  if (!statusSink_) statusSink_ = std::make_unique<StatusBarSink>(*statusBar_MainForm);
  EthernetThread.reset(new TIPCommSrvTh(true));
  EthernetThread->MeterCount = ethernet.Count;
  EthernetThread->MeterList = ethernet.Meters;
  EthernetThread->ClientSocket = &clientSocket_MeterComm;
  EthernetThread->StatusBar = statusSink_.get();
  EthernetThread->SetPriority(ThreadPriority::Higher);
  EthernetThread->Resume();
}

void Tfm_MainForm::StopPolling() {
  if (stoppingPolling_ || !PollingRunning()) return;
  const QScopedValueRollback<bool> stopping(stoppingPolling_, true);
  // The callers stop the supervision timer first; should it still run, no tick may start while
  // events are processed below.
  const QSignalBlocker noTicks(timer_PerSecond);
  const BusyCursor busy;
  // One after the other: each thread is told to stop only once the one before it has ended.
  for (ThreadPtr<TCommSrvTh>& thread : SerialThreads) {
    WaitForThreadEnd(*thread);
    thread.reset();
  }
  SerialThreads.clear();
  if (EthernetThread) {
    WaitForThreadEnd(*EthernetThread);
    EthernetThread.reset();
  }
}

void Tfm_MainForm::WaitForThreadEnd(TThread& thread) {
  thread.Terminate();
  thread.Resume();  // a thread still suspended sees Terminated at once
  while (!thread.Finished()) {
    // Queued status texts keep reaching the status bar; user input waits until polling has
    // stopped.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    RealSleepMs(kStopCheckIntervalMs);
  }
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
