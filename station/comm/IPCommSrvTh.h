#pragma once
// The Ethernet polling thread: polls every Ethernet meter in turn over a connection of its own
// and reports each connection attempt in status panel 4.
//
// Each turn, until Terminated: an open connection from the previous turn is closed, followed by
// a 50 ms pause; the socket is pointed at the meter's IP text and TCP port and opened. A failed
// open reports the address followed by " Connect Fail!" through StatusBar; a good one runs the
// socket's OnConnect (whose owner reports " Connect Success"). Then one PollMeter, whatever
// the outcome; next meter, in list order, wrapping. A pass through the list in which no connect
// succeeded and none waited out the connect time-out ends with a pause of PollDelay; no other
// pass pauses. The thread never writes PollDelay. A missing list or socket, or a MeterCount
// below 1, ends the thread at once.
//
// Thread-safety: while the thread runs it is the only user of ClientSocket, and the only writer
// of its meters' run-time fields; status texts leave it only through StatusBar. The last
// connection stays open when the thread ends.

#include <cstdint>
#include <string>

#include "common/MeterRecord.h"
#include "platform/Thread.h"

class TClientSocket;

// Where the thread's status texts go. The station's implementation hands the text to the GUI
// thread with a queued call; it must never block the polling thread.
class StatusPanelSink {
 public:
  virtual ~StatusPanelSink() = default;
  virtual void SetPanelText(int panel, const std::string& text) = 0;
};

inline constexpr int kEthernetStatusPanel = 4;
inline constexpr int kCloseToConnectPauseMs = 50;
inline constexpr const char* kConnectSuccessText = " Connect Success";
inline constexpr const char* kConnectFailText = " Connect Fail!";

class TIPCommSrvTh : public TThread {
 public:
  explicit TIPCommSrvTh(bool CreateSuspended);

  // Set by polling control before Resume.
  std::int32_t MeterCount = 0;
  TMeterRecord* const* MeterList = nullptr;
  TClientSocket* ClientSocket = nullptr;
  StatusPanelSink* StatusBar = nullptr;

 protected:
  void Execute() override;

 private:
  // True when the connection is open.
  bool ConnectTo(const TMeterRecord& meter);
  void ReportStatus(const std::string& text);
};
