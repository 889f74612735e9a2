#include "station/comm/IPCommSrvTh.h"

#include <exception>

#include "common/FixedText.h"
#include "platform/ClientSocket.h"
#include "platform/Clock.h"
#include "station/comm/MeterComm.h"

TIPCommSrvTh::TIPCommSrvTh(bool CreateSuspended) {
  if (!CreateSuspended) Resume();
}

void TIPCommSrvTh::Execute() {
  if (MeterList == nullptr || MeterCount < 1 || ClientSocket == nullptr) return;
  SocketTransport link(*ClientSocket);
  std::int32_t next = 0;
  while (!Terminated()) {
    TMeterRecord& meter = *MeterList[next];
    const bool connected = ConnectTo(meter);
    // A failed connect leaves the socket inactive: the poll then fails at once and counts.
    PollMeter(link, meter);
    // A refused or unroutable connect (a meter switched off, a cable out) fails at once, so
    // without a pause a thread whose meters all fail would spin at raised priority and flood
    // the status bar. A failed meter then takes about as long as a live one's exchange.
    if (!connected) SleepMs(PollDelay.load(std::memory_order_relaxed));
    next = (next + 1) % MeterCount;
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
