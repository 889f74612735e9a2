#pragma once
// The process-wide mailbox through which the main window asks the serial polling thread of a
// meter's port to read or write holding register 31 of that meter.
//
// The panel selects a target (a meter row), posts one request and waits for its answer, or
// withdraws it when it stops waiting. Every serial polling thread looks at the pending request
// at the start of each turn; the thread whose COM index is the target answers it between two
// polls. Each request gets a sequence number of its own and an answer names the request it
// answers: an answer to a request that was withdrawn, or replaced by a newer one, is dropped,
// however late it comes. So the late answer of a withdrawn read can never be taken for the
// answer of the next read.
//
// The target is the COM index of the selected meter's port rather than a port handle: a reopened
// port gets another handle, and a handle saved at row selection would then name no port.
//
// Thread-safety: every member may be called from any thread. A request and its answer change
// together under a lock that is held only for a few stores, never across an exchange.

#include <cstdint>
#include <mutex>
#include <optional>

inline constexpr std::uint16_t SetValueRegister = 31;  // 0x001F
inline constexpr int kSetValueReplyBufferSize = 20;

enum SetValueCommand : std::uint8_t { kSetValueRead = 1, kSetValueWrite = 2 };

// What the row selection keeps for the panel.
struct SetValueTarget {
  std::int32_t port = -1;  // COM index 0..39 of the selected meter's port
  std::uint8_t slaveAddress = 0;
  std::uint8_t decimals = 0;    // of the meter's first channel: how the register is shown
  std::int32_t meterIndex = 0;  // table index of the meter: the grid row that shows the value
};

// A posted request as the serving thread takes it.
struct SetValueOrder {
  std::uint32_t sequence = 0;
  SetValueCommand command = kSetValueRead;
  std::int32_t port = -1;
  std::uint8_t slaveAddress = 0;
  std::int16_t value = 0;  // the value to write; a read's is ignored
};

struct SetValueAnswer {
  bool done = false;       // the exchange succeeded
  std::int16_t value = 0;  // the register after a good read; else the order's value
};

class TSetValueRequest {
 public:
  // ---- the panel's side ----
  void Select(const SetValueTarget& target);
  SetValueTarget Selected() const;
  // Posts a read or a write of `value` to the selected target and returns its sequence number.
  // A request still pending is replaced (its answer will be dropped).
  std::uint32_t Post(SetValueCommand command, std::int16_t value = 0);
  // The answer to request `sequence`, once it has come.
  std::optional<SetValueAnswer> AnswerTo(std::uint32_t sequence) const;
  // Withdraws request `sequence`. True when it was still pending: no answer to it will be taken.
  // False when it had been answered (AnswerTo gives the answer) or was no longer pending.
  bool Withdraw(std::uint32_t sequence);
  // Withdraws whatever request is pending.
  void WithdrawPending();

  // ---- the serving threads' side ----
  // The pending request, if any.
  std::optional<SetValueOrder> Pending() const;
  // Answers request `sequence` and ends it. Dropped, with false, when that request is no longer
  // the pending one (withdrawn, or replaced by a newer one).
  bool TryAnswer(std::uint32_t sequence, const SetValueAnswer& answer);

 private:
  mutable std::mutex mutex_;
  SetValueTarget target_;                 // guarded by mutex_
  std::optional<SetValueOrder> pending_;  // guarded by mutex_
  std::uint32_t lastSequence_ = 0;        // guarded by mutex_
  std::uint32_t answered_ = 0;            // guarded by mutex_: the request `answer_` belongs to
  SetValueAnswer answer_;                 // guarded by mutex_
};

extern TSetValueRequest SetValueRequest;
