#include "tests/support/ReplayLink.h"

#include <algorithm>
#include <cstring>

void ReplayLink::QueueReply(const Bytes& reply, int times) {
  std::lock_guard lock(mutex_);
  for (int i = 0; i < times; ++i) queue_.push_back(Segments{reply});
}

void ReplayLink::QueueSegments(std::vector<Bytes> segments) {
  std::lock_guard lock(mutex_);
  queue_.push_back(std::move(segments));
}

void ReplayLink::SetResponder(Responder responder) {
  std::lock_guard lock(mutex_);
  responder_ = std::move(responder);
}

std::vector<ReplayLink::Bytes> ReplayLink::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t ReplayLink::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

std::pair<int, int> ReplayLink::Timeouts() const {
  std::lock_guard lock(mutex_);
  return timeouts_;
}

void ReplayLink::Connect() {
  std::lock_guard lock(mutex_);
  connected_ = true;
}

void ReplayLink::Disconnect() {
  std::lock_guard lock(mutex_);
  connected_ = false;
  readable_.clear();
}

void ReplayLink::Take(const Bytes& request) {
  Responder responder;
  Segments reply;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    responder = responder_;
    if (!responder && !queue_.empty()) {
      reply = std::move(queue_.front());
      queue_.pop_front();
    }
  }
  if (responder) reply = {responder(request)};
  std::lock_guard lock(mutex_);
  for (Bytes& segment : reply) {
    if (!segment.empty()) readable_.push_back(std::move(segment));
  }
}

void ReplayLink::PurgeRx() {
  std::lock_guard lock(mutex_);
  readable_.clear();
}

int ReplayLink::Write(const std::uint8_t* data, int length) {
  if (length <= 0) return 0;
  Take(Bytes(data, data + length));
  return length;
}

int ReplayLink::Read(std::uint8_t* buffer, int length) {
  std::lock_guard lock(mutex_);
  int got = 0;
  while (got < length && !readable_.empty()) {
    Bytes& segment = readable_.front();
    const int n = std::min(length - got, static_cast<int>(segment.size()));
    std::memcpy(buffer + got, segment.data(), static_cast<std::size_t>(n));
    got += n;
    segment.erase(segment.begin(), segment.begin() + n);
    if (segment.empty()) readable_.pop_front();
  }
  return got;
}

bool ReplayLink::Active() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

void ReplayLink::SetTimeouts(int sendMs, int receiveMs) {
  std::lock_guard lock(mutex_);
  timeouts_ = {sendMs, receiveMs};
}

int ReplayLink::SendBuf(const void* data, int count) {
  if (!Active() || count <= 0) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  Take(Bytes(bytes, bytes + count));
  return count;
}

int ReplayLink::ReceiveBuf(void* buffer, int count) {
  std::lock_guard lock(mutex_);
  if (!connected_ || count <= 0) return 0;
  if (readable_.empty()) {
    connected_ = false;  // the receive time-out: the error handler closes the connection
    return 0;
  }
  Bytes& segment = readable_.front();
  const int n = std::min(count, static_cast<int>(segment.size()));
  std::memcpy(buffer, segment.data(), static_cast<std::size_t>(n));
  segment.erase(segment.begin(), segment.begin() + n);
  if (segment.empty()) readable_.pop_front();
  return n;
}
