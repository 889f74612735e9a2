#pragma once
// An open COM port as the Modbus transactions see it, and the process-wide table that maps the
// handle values kept in handle slots (PortHandles, the SMS slot) to open ports.
//
// Handle values: 0 = never opened, -1 = failed or closed, anything else names an open port.
// Handles are never reused within a process, so a stale handle resolves to nothing rather than
// to another port that was opened later.

#include <cstdint>
#include <memory>
#include <string>

// A COM port handle slot: 0 = never opened, -1 = the last open failed or the port was closed,
// anything else = open.
using ComHandle = std::intptr_t;
inline constexpr ComHandle kComNeverOpened = 0;
inline constexpr ComHandle kComInvalid = -1;

class ComPort {
 public:
  virtual ~ComPort() = default;

  // Discards whatever is in the receive queue (a late reply to an earlier attempt).
  virtual void PurgeRx() = 0;
  // Writes the frame; returns the number of bytes written before the write time-out
  // (80 + 20 x length ms), or less on failure.
  virtual int Write(const std::uint8_t* data, int length) = 0;
  // Reads up to `length` bytes; returns when they are all there, when 100 ms pass between two
  // bytes, or after 80 + 3 x length ms in all. Returns the number of bytes read.
  virtual int Read(std::uint8_t* buffer, int length) = 0;
};

// Takes ownership of an open port and returns its new handle (never 0 or -1).
ComHandle RegisterComPort(std::unique_ptr<ComPort> port);
// The port behind a handle, or nullptr for 0, -1 and closed handles. The shared pointer keeps
// the port usable by a thread that resolved it before it was closed.
std::shared_ptr<ComPort> ComPortFromHandle(ComHandle handle);
// Closes the port behind the handle (nothing for 0, -1 or an unknown handle).
void CloseComHandle(ComHandle handle);
