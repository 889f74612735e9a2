#pragma once
// The process-wide block through which the main window asks the serial polling thread of a
// meter's port to read or write holding register 31 of that meter.
//
// The requester writes the target fields and the value, then stores Command with release order;
// the serving thread loads Command with acquire order, answers between two polls, stores Value
// and Result, then stores Command = 0 with release order, which tells the requester it is done.
// A requester that stopped waiting withdraws its request (Command = 0) and may post the next
// one: the serving thread publishes Value and Result only while Command is still the one it
// answered, and clears it by a compare-exchange from that command, so the late answer of a
// withdrawn request neither overwrites the value of a request of the other kind posted since
// nor clears its command. A request of the same kind posted before that late answer could not
// be told from the withdrawn one: the requester's bound, longer than a poll in progress plus
// one exchange, keeps a running thread from answering that late.
//
// The target is the COM index of the selected meter's port rather than a port handle: a reopened
// port gets another handle, and a handle saved at row selection would then name no port.

#include <atomic>
#include <cstdint>

inline constexpr std::uint16_t SetValueRegister = 31;  // 0x001F
inline constexpr int kSetValueReplyBufferSize = 20;

enum SetValueCommand : std::uint8_t { kSetValueIdle = 0, kSetValueRead = 1, kSetValueWrite = 2 };

struct TSetValueRequest {
  std::atomic<std::uint8_t> Command{kSetValueIdle};
  std::atomic<std::int32_t> TargetPort{-1};  // COM index 0..39 of the selected meter's port
  std::atomic<std::uint8_t> SlaveAddress{0};
  std::atomic<std::int16_t> Value{0};
  std::atomic<std::uint8_t> Decimals{0};
  std::atomic<std::int32_t> MeterIndex{0};
  std::atomic<std::uint8_t> Result{0};  // 1 = done, 0 = failed
};

extern TSetValueRequest SetValueRequest;
