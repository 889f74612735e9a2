#include "station/comm/IPCommSrvTh.h"

#include <chrono>
#include <exception>

#include "common/FixedText.h"
#include "platform/ClientSocket.h"
#include "platform/Clock.h"
#include "station/comm/MeterComm.h"

namespace {

// A failed connect that took this long (half the socket's connect time-out; the time-out itself
// is kept to the millisecond only) waited for an answer that never came: a pass holding one
// cannot spin.
constexpr std::chrono::milliseconds kWaitedConnect(TClientSocket::kConnectTimeoutMs / 2);

}  // namespace

TIPCommSrvTh::TIPCommSrvTh(bool CreateSuspended) {
  if (!CreateSuspended) Resume();
}

void TIPCommSrvTh::Execute() {
  if (MeterList == nullptr || MeterCount < 1 || ClientSocket == nullptr) return;
  SocketTransport link(*ClientSocket);
  std::int32_t next = 0;
  // Over the pass through the list so far: a connect succeeded, or one waited out its time-out;
  // either way the pass needs no pause at its end.
  bool skipPause = false;
  while (!Terminated()) {
    TMeterRecord& meter = *MeterList[next];
    const auto connectStart = std::chrono::steady_clock::now();
    const bool connected = ConnectTo(meter);
    const auto connectTime = std::chrono::steady_clock::now() - connectStart;
    skipPause = skipPause || connected || connectTime >= kWaitedConnect;
    // A failed connect leaves the socket inactive: the poll then fails at once and counts.
    PollMeter(link, meter);
    next = (next + 1) % MeterCount;
    if (next != 0) continue;
    // Refused or unroutable connects (meters switched off, a cable out) fail at once: a pass in
    // which every connect failed so, with no exchange and no time-out in it, pauses PollDelay,
    // so that the thread does not spin at raised priority and flood the status bar. A pass with
    // a live meter, or one that already waited out a connect time-out, goes on at once: a
    // refusing meter must not slow the refresh of the healthy ones.
    if (!skipPause) SleepMs(PollDelay.load(std::memory_order_relaxed));
    skipPause = false;
  }
}

bool TIPCommSrvTh::ConnectTo(const TMeterRecord& meter) {
  TClientSocket& socket = *ClientSocket;
  if (socket.Active()) {
    socket.Close();
    SleepMs(kCloseToConnectPauseMs);
  }
  // The field may lack its NUL: never read past its 16 bytes.
  socket.Address = ReadFixedText(meter.IpAddress);
  socket.Port = meter.TcpPort;
  try {
    socket.Open();  // on success the socket's OnConnect reports " Connect Success"
    return true;
  } catch (const std::exception&) {
    ReportStatus(socket.Address + kConnectFailText);
    return false;
  }
}

void TIPCommSrvTh::ReportStatus(const std::string& text) {
  if (StatusBar != nullptr) StatusBar->SetPanelText(kEthernetStatusPanel, text);
}
