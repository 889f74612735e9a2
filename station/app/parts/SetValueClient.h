#pragma once
// TSetValueClient: the set-value panel's side of the mailbox (TSetValueRequest) through which
// the window reads or writes register 31 of the selected meter: the target kept at row
// selection, one request posted and waited for, the register's conversions to and from the
// panel's text, and the panel's own texts.
//
// No Qt. GUI thread only (the mailbox itself may be used from any thread).

#include <cstdint>
#include <optional>
#include <string>

#include "common/MeterRecord.h"
#include "platform/Thread.h"
#include "station/comm/SetValueRequest.h"

class TSetValueClient {
 public:
  // One poll in progress plus the exchange against meters that do not answer: each is at most
  // 3 x (2000 + 240 + 80 + 3 x L) ms < 8 s, so an answer comes within 16 s.
  static constexpr int kWaitMs = 20000;
  // Pause between two looks at the request while waiting (through SleepMs, which also counts the
  // bound, so a test's fast sleep shortens the bound with the thread's poll pauses).
  static constexpr int kCheckMs = 50;

  explicit TSetValueClient(TSetValueRequest& mailbox = SetValueRequest) : mailbox_(mailbox) {}

  void Select(const SetValueTarget& target) { mailbox_.Select(target); }
  // The target of meter m (`meter`) as its row selection shows it: `port`, the COM index shown
  // for the meter whatever its comm mode; the low 8 bits of `addressText`, the slave address edit
  // (StrToInt: raises EConvertError for a text that is not a number); the first channel's
  // decimals.
  static SetValueTarget TargetOf(int m, const TMeterRecord& meter, int port,
                                 const std::string& addressText);
  SetValueTarget Selected() const { return mailbox_.Selected(); }
  // Posts `command` (with `value` for a write) for `server`, the running serial thread of the
  // target's port, and waits for its answer, at most kWaitMs and only while `server` runs.
  // Nothing when there is no server, or when the request was withdrawn unanswered.
  std::optional<SetValueAnswer> Run(SetValueCommand command, std::int16_t value,
                                    const TThread* server);
  // Withdraws whatever request is pending.
  void WithdrawPending() { mailbox_.WithdrawPending(); }

  // The register as the panel shows it: a float32 divided by the divisor of `decimals` (1, 10,
  // 100, 1000, 10000, then 1), the quotient rounded to float32, in the general format with the
  // decimals as exponent digits.
  static std::string ValueText(std::int16_t value, std::uint8_t decimals);
  // The text times the divisor in extended precision, truncated toward zero; its low 16 bits in
  // two's complement. Raises EConvertError for a text that is not a number, and Exception for a
  // product beyond 64 bits.
  static std::int16_t ValueOf(const std::string& text, std::uint8_t decimals);

  // The panel's status text (UTF-8) once a read or a write has come to an end: done (answered
  // done) or failed (not done, not answered, or no thread to ask).
  static const char* StatusText(SetValueCommand command, bool done);
  // The set-value edit's label (UTF-8): the meter's name followed by "--给定值".
  static std::string LabelText(const std::string& meterName);

 private:
  TSetValueRequest& mailbox_;
};
