#include "station/comm/ComPortAccess.h"

#include <exception>

#include "common/AppPaths.h"
#include "common/MeterRecord.h"
#include "platform/ComPort.h"
#include "platform/SerialPort.h"
#include "station/comm/MeterComm.h"

static_assert(kComPortCount == kLastComNumber - kFirstComNumber + 1,
              "every COM port of the table has a device");

namespace {

bool InTables(int portIndex, int baudIndex) {
  return portIndex >= 0 && portIndex < kComPortCount && baudIndex >= 0 &&
         baudIndex < kBaudRateCount;
}

}  // namespace

bool OpenComPort(ComHandle& slot, int portIndex, int baudIndex) {
  if (slot != kComNeverOpened) {
    CloseComHandle(slot);
    slot = kComInvalid;
  }
  // Indexes from a damaged Config.dat fail the open like a missing port.
  if (!InTables(portIndex, baudIndex)) {
    slot = kComInvalid;
    return false;
  }
  try {
    slot = OpenSerialPort(ComDevicePath(AppDir(), portIndex + 1), BaudRateTable[baudIndex]);
  } catch (const std::exception&) {
    // An open that raises (out of memory) leaves the slot as never opened.
    slot = kComNeverOpened;
    return false;
  }
  return slot != kComInvalid;
}

void CloseComPort(ComHandle& slot) {
  if (slot == kComNeverOpened) return;
  CloseComHandle(slot);
  slot = kComInvalid;
}
