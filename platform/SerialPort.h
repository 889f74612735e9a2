#pragma once
// The COM port layer: where the station's COM n lives on this system, and an exclusive open with
// the station's fixed line settings (8 data bits, no parity, 2 stop bits, raw bytes, no flow
// control) that yields a ComPort registered in the handle table (platform/ComPort.h).
//
// Time-outs of an open port (the station's fixed values, in milliseconds):
//   write: 80 + 20 x n for n bytes in all;
//   read of L bytes: 80 + 3 x L in all, or earlier when 100 pass between two received bytes.
// These are waits for the device and do not go through the SleepMs seam.

#include <cstdint>
#include <string>

#include "platform/ComPort.h"

inline constexpr int kWriteTimeoutConstantMs = 80;
inline constexpr int kWriteTimeoutPerByteMs = 20;
inline constexpr int kReadTimeoutConstantMs = 80;
inline constexpr int kReadTimeoutPerByteMs = 3;
inline constexpr int kReadIntervalTimeoutMs = 100;
// One character on the line is 11 bits (start, 8 data, 2 stop).
inline constexpr int kBitsPerCharacter = 11;

// The per-byte part of a read's total time-out: 3 ms, or the time one character takes on the
// line when that is longer. At 2,400 baud a character takes 4.6 ms, so a 48-channel reply
// (101 bytes, 463 ms on the wire) could never arrive within 80 + 3 x 101 = 383 ms and such a
// meter would never answer; every faster rate keeps the 3 ms.
int ReadTimeoutPerByteMs(std::int32_t baud);

// The station's COM port numbers: COM1 to COM40.
inline constexpr int kFirstComNumber = 1;
inline constexpr int kLastComNumber = 40;

// The device of the station's COM comNumber (1..40): <appDir>/dev/com<N> when that path exists
// (a link made by the operator or a test, e.g. to /dev/ttyUSB0 or a pty), else /dev/ttyS<N-1>.
// appDir is the application directory. An empty text for a number outside 1..40.
std::string ComDevicePath(const std::string& appDir, int comNumber);

enum class SerialErrorKind {
  None,
  NoSuchDevice,   // nothing at the path, or not a terminal device
  InUse,          // held by another open, in this process or another
  AccessDenied,
  BadSettings,    // the driver refused the line settings or the baud
  Other,
};

// Why an open failed; the message names the device and the system's reason.
struct SerialError {
  SerialErrorKind kind = SerialErrorKind::None;
  std::string message;
};

// Opens the device exclusively, sets it up at `baud` with the station's line settings and
// registers it. Returns its handle (never 0 or -1), or kComInvalid with the reason in *error
// (when given). Nothing stays open after a failure. The port closes with CloseComHandle.
ComHandle OpenSerialPort(const std::string& devicePath, std::int32_t baud,
                         SerialError* error = nullptr);

// The line settings a port really has, as the driver reports them.
struct LineSettings {
  std::int32_t baud = 0;
  int dataBits = 0;
  char parity = '?';  // 'N', 'E' or 'O'
  int stopBits = 0;
};

// Reads back the settings of an open serial port's handle. False for a handle that is not an
// open serial port, or when the driver cannot tell.
bool QueryLineSettings(ComHandle handle, LineSettings& settings);
