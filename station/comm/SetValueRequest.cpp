#include "station/comm/SetValueRequest.h"

TSetValueRequest SetValueRequest;

void TSetValueRequest::Select(const SetValueTarget& target) {
  std::lock_guard lock(mutex_);
  target_ = target;
}

SetValueTarget TSetValueRequest::Selected() const {
  std::lock_guard lock(mutex_);
  return target_;
}

std::uint32_t TSetValueRequest::Post(SetValueCommand command, std::int16_t value) {
  std::lock_guard lock(mutex_);
  // 0 names no request; a wrap past it takes 1 again, long after any answer to the old 1.
  if (++lastSequence_ == 0) lastSequence_ = 1;
  pending_ = SetValueOrder{lastSequence_, command, target_.port, target_.slaveAddress, value};
  return lastSequence_;
}

std::optional<SetValueAnswer> TSetValueRequest::AnswerTo(std::uint32_t sequence) const {
  std::lock_guard lock(mutex_);
  if (sequence == 0 || answered_ != sequence) return std::nullopt;
  return answer_;
}

bool TSetValueRequest::Withdraw(std::uint32_t sequence) {
  std::lock_guard lock(mutex_);
  if (!pending_ || pending_->sequence != sequence) return false;
  pending_.reset();
  return true;
}

void TSetValueRequest::WithdrawPending() {
  std::lock_guard lock(mutex_);
  pending_.reset();
}

std::optional<SetValueOrder> TSetValueRequest::Pending() const {
  std::lock_guard lock(mutex_);
  return pending_;
}

bool TSetValueRequest::TryAnswer(std::uint32_t sequence, const SetValueAnswer& answer) {
  std::lock_guard lock(mutex_);
  if (!pending_ || pending_->sequence != sequence) return false;
  pending_.reset();
  answered_ = sequence;
  answer_ = answer;
  return true;
}
