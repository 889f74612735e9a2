#include "station/app/parts/PollingControl.h"

#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "station/comm/ComPortAccess.h"
#include "station/comm/MeterComm.h"

namespace {

// Pause between two looks at a thread that has been told to stop.
constexpr int kStopCheckIntervalMs = 5;

void WaitForThreadEnd(TThread& thread, const std::function<void()>& whileWaiting) {
  thread.Terminate();
  thread.Resume();  // a thread still suspended sees Terminated at once
  while (!thread.Finished()) {
    if (whileWaiting) whileWaiting();
    RealSleepMs(kStopCheckIntervalMs);
  }
}

}  // namespace

TPollingControl::~TPollingControl() { Stop(); }

void TPollingControl::BuildPollLists(MeterTable& table) {
  for (TPollList& list : pollLists_) list.Count = 0;
  for (int m = 0; m < MetersInUse(table); ++m) {
    TMeterRecord& meter = table.Meters[m];
    int list = kEthernetList;
    if (meter.CommMode == 0) {
      if (meter.ComIndex >= kComPortCount) continue;
      list = meter.ComIndex;
    }
    TPollList& target = pollLists_[list];
    target.Meters[target.Count++] = &meter;
  }
}

void TPollingControl::Start(const PortBaudIndexTable& bauds, TClientSocket& socket,
                            StatusPanelSink& status) {
  Stop();
  for (int p = 0; p < kComPortCount; ++p) {
    const TPollList& list = pollLists_[p];
    if (list.Count == 0) continue;
    OpenComPort(portHandles_[p], p, bauds[p]);
    ThreadPtr<TCommSrvTh> thread(new TCommSrvTh(true));
    thread->MeterCount = list.Count;
    thread->MeterList = list.Meters;
    thread->PortHandle = portHandles_[p];
    thread->PortIndex = p;
    thread->SetPriority(ThreadPriority::Higher);
    thread->Resume();
    serialThreads_.push_back(std::move(thread));
  }

  const TPollList& ethernet = pollLists_[kEthernetList];
  if (ethernet.Count == 0) return;
  ethernetThread_.reset(new TIPCommSrvTh(true));
  ethernetThread_->MeterCount = ethernet.Count;
  ethernetThread_->MeterList = ethernet.Meters;
  ethernetThread_->ClientSocket = &socket;
  ethernetThread_->StatusBar = &status;
  ethernetThread_->SetPriority(ThreadPriority::Higher);
  ethernetThread_->Resume();
}

void TPollingControl::Stop(const std::function<void()>& whileWaiting) {
  if (stopping_ || !Running()) return;
  stopping_ = true;
  struct EndOfStop {
    bool& stopping;
    ~EndOfStop() { stopping = false; }
  } endOfStop{stopping_};
  for (ThreadPtr<TCommSrvTh>& thread : serialThreads_) {
    WaitForThreadEnd(*thread, whileWaiting);
    thread.reset();
  }
  serialThreads_.clear();
  if (ethernetThread_) {
    WaitForThreadEnd(*ethernetThread_, whileWaiting);
    ethernetThread_.reset();
  }
}

const TCommSrvTh* TPollingControl::SerialServerOf(int port) const {
  for (const ThreadPtr<TCommSrvTh>& thread : serialThreads_) {
    if (thread->PortIndex == port && !thread->Finished()) return thread.get();
  }
  return nullptr;
}
