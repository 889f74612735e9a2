#pragma once
// TPollingControl: the station's polling lists, its COM port handles and its polling threads.
//
// BuildPollLists sorts the configured meters into one list per COM port and one for the
// Ethernet meters; Start opens every COM port that has meters and starts one serial polling
// thread per such port (in port order) and one Ethernet polling thread; Stop ends them all.
// Two states: stopped (no thread; at start and in configuration mode) and polling. Start always
// passes through stopped first, so at most one set of threads runs. A port stays open from one
// run to the next: the next Start closes and reopens each port that still has meters.
//
// The threads read the meter records and the lists without a lock: the lists and the stored
// part of the table change only while no thread runs, and the table, the socket and the status
// sink given to Start must outlive the threads (the destructor stops them).
//
// No Qt. GUI thread only.

#include <array>
#include <functional>
#include <vector>

#include "common/MeterRecord.h"
#include "platform/ClientSocket.h"
#include "platform/ComPort.h"
#include "platform/Thread.h"
#include "station/comm/CommSrvTh.h"
#include "station/comm/IPCommSrvTh.h"

using PortHandleTable = std::array<ComHandle, kComPortCount>;

class TPollingControl {
 public:
  TPollingControl() = default;
  ~TPollingControl();
  TPollingControl(const TPollingControl&) = delete;
  TPollingControl& operator=(const TPollingControl&) = delete;

  // Rebuilds the 41 lists from the configured meters, in table order; only while stopped. A
  // serial meter whose COM index lies beyond COM40 (a damaged Config.dat) is in no list.
  void BuildPollLists(MeterTable& table);
  // Stops whatever runs, then opens each port with meters at its baud index and starts its
  // thread (a port that fails to open still gets one, which sets the port's meters offline and
  // ends), and the Ethernet thread with `socket` and `status` when there are Ethernet meters.
  void Start(const PortBaudIndexTable& bauds, TClientSocket& socket, StatusPanelSink& status);
  // Ends every thread, one after the other: each is told to stop only once the one before it
  // has ended. `whileWaiting` runs between two looks at a thread that has not ended yet. Never
  // re-enters itself (a call from `whileWaiting` does nothing).
  void Stop(const std::function<void()>& whileWaiting = {});
  bool Running() const { return !serialThreads_.empty() || ethernetThread_ != nullptr; }

  const TPollList& PollList(int list) const { return pollLists_[list]; }
  const PortHandleTable& PortHandles() const { return portHandles_; }
  // The running serial threads, in port order.
  const std::vector<ThreadPtr<TCommSrvTh>>& SerialThreads() const { return serialThreads_; }
  const TIPCommSrvTh* EthernetThread() const { return ethernetThread_.get(); }
  // The serial thread of COM index `port` while it runs; nullptr when no thread polls that port
  // or it has ended.
  const TCommSrvTh* SerialServerOf(int port) const;

 private:
  std::array<TPollList, kPollListCount> pollLists_;
  PortHandleTable portHandles_{};  // per COM port, 0 until first opened
  std::vector<ThreadPtr<TCommSrvTh>> serialThreads_;
  ThreadPtr<TIPCommSrvTh> ethernetThread_;
  bool stopping_ = false;
};
