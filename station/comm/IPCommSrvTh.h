#pragma once
// The Ethernet polling thread: polls every Ethernet meter in turn over a connection of its own
// and reports each connection attempt in status panel 4.

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
};
