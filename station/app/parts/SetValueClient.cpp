#include "station/app/parts/SetValueClient.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "common/Errors.h"
#include "common/StrConv.h"
#include "common/ValueText.h"
#include "platform/Clock.h"

namespace {

// Divisors by Decimals. The sixth entry is 1; a Decimals beyond the table (a damaged channel)
// takes it as well instead of reading past the table.
constexpr long double kSetValueDivisors[] = {1, 10, 100, 1000, 10000, 1};
constexpr std::size_t kLastDivisor = std::size(kSetValueDivisors) - 1;

// The truncated value must fit 64 bits before its low 16 bits are taken.
constexpr long double kTruncLimit = 9223372036854775808.0L;  // 2^63

constexpr char kReadDone[] = "数据读取成功!";
constexpr char kReadFailed[] = "数据读取失败!";
constexpr char kWriteDone[] = "数据写入成功!";
constexpr char kWriteFailed[] = "数据写入失败!";
constexpr char kLabelSuffix[] = "--给定值";

long double DivisorOf(std::uint8_t decimals) {
  return kSetValueDivisors[std::min<std::size_t>(decimals, kLastDivisor)];
}

}  // namespace

SetValueTarget TSetValueClient::TargetOf(int m, const TMeterRecord& meter, int port,
                                         const std::string& addressText) {
  SetValueTarget target;
  target.port = port;
  target.slaveAddress = static_cast<std::uint8_t>(StrToInt(addressText));
  target.decimals = meter.Channels[0].Decimals;
  target.meterIndex = m;
  return target;
}

std::optional<SetValueAnswer> TSetValueClient::Run(SetValueCommand command, std::int16_t value,
                                                   const TThread* server) {
  if (server == nullptr) return std::nullopt;
  const std::uint32_t request = mailbox_.Post(command, value);
  for (int waited = 0; waited < kWaitMs && !server->Finished(); waited += kCheckMs) {
    if (auto answer = mailbox_.AnswerTo(request)) return answer;
    SleepMs(kCheckMs);
  }
  // Withdrawn, unless the answer came in the meantime.
  if (mailbox_.Withdraw(request)) return std::nullopt;
  return mailbox_.AnswerTo(request);
}

std::string TSetValueClient::ValueText(std::int16_t value, std::uint8_t decimals) {
  const auto quotient = static_cast<float>(static_cast<float>(value) / DivisorOf(decimals));
  return ::ValueText(quotient, decimals);
}

std::int16_t TSetValueClient::ValueOf(const std::string& text, std::uint8_t decimals) {
  const long double scaled = std::trunc(StrToFloat(text) * DivisorOf(decimals));
  if (!(std::fabs(scaled) < kTruncLimit)) throw Exception("Invalid floating point operation");
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::int64_t>(scaled)));
}

const char* TSetValueClient::StatusText(SetValueCommand command, bool done) {
  if (command == kSetValueWrite) return done ? kWriteDone : kWriteFailed;
  return done ? kReadDone : kReadFailed;
}

std::string TSetValueClient::LabelText(const std::string& meterName) {
  return meterName + kLabelSuffix;
}
