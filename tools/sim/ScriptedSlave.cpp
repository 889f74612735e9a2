#include "tools/sim/ScriptedSlave.h"

#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>

#include "tools/sim/SimIo.h"

namespace {

constexpr std::uint8_t kFcReadHolding = 3;
constexpr std::uint8_t kFcReadInput = 4;
constexpr std::uint8_t kFcWriteSingle = 6;
constexpr std::uint8_t kExceptionFlag = 0x80;
constexpr std::uint8_t kIllegalFunction = 1;
constexpr std::uint8_t kIllegalAddress = 2;
constexpr std::uint8_t kIllegalValue = 3;
constexpr int kMaxReadCount = 125;  // the largest read a Modbus reply can carry
constexpr int kRegisterCount = 65536;

std::uint16_t Word(const Frame& frame, int at) {
  return static_cast<std::uint16_t>((frame[at] << 8) | frame[at + 1]);
}

void PutWord(Frame& frame, std::uint16_t word) {
  frame.push_back(static_cast<std::uint8_t>(word >> 8));
  frame.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

bool CrcIntact(const Frame& frame) {
  if (frame.size() < 4) return false;
  const std::uint16_t crc = SlaveCrc16(frame.data(), frame.size() - 2);
  return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

Frame ExceptionFrame(std::uint8_t address, std::uint8_t function, std::uint8_t code) {
  Frame frame{address, static_cast<std::uint8_t>(function | kExceptionFlag), code};
  AppendSlaveCrc(frame);
  return frame;
}

// Replaces the CRC of a finished frame after a header byte was changed.
void RecomputeCrc(Frame& frame) {
  frame.pop_back();
  frame.pop_back();
  AppendSlaveCrc(frame);
}

}  // namespace

// ---- SlaveReply ----

SlaveReply SlaveReply::Of(ReplyKind kind) {
  SlaveReply reply;
  reply.kind = kind;
  return reply;
}

SlaveReply SlaveReply::FromAddress(std::uint8_t address) {
  SlaveReply reply = Of(ReplyKind::OtherAddress);
  reply.otherAddress = address;
  return reply;
}

SlaveReply SlaveReply::WithFunction(std::uint8_t function) {
  SlaveReply reply = Of(ReplyKind::OtherFunction);
  reply.otherFunction = function;
  return reply;
}

SlaveReply SlaveReply::ExceptionReply(std::uint8_t code) {
  SlaveReply reply = Of(ReplyKind::Exception);
  reply.exceptionCode = code;
  return reply;
}

SlaveReply SlaveReply::RawBytes(Frame bytes) {
  SlaveReply reply = Of(ReplyKind::Raw);
  reply.raw = std::move(bytes);
  return reply;
}

SlaveReply SlaveReply::Delayed(int ms) const {
  SlaveReply reply = *this;
  reply.delayMs = ms;
  return reply;
}

SlaveReply SlaveReply::SplitAt(int firstBytes, int pauseMs) const {
  SlaveReply reply = *this;
  reply.splitAfter = firstBytes;
  reply.splitPauseMs = pauseMs;
  return reply;
}

// ---- CRC ----

std::uint16_t SlaveCrc16(const std::uint8_t* data, std::size_t length) {
  std::uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                      : static_cast<std::uint16_t>(crc >> 1);
    }
  }
  return crc;
}

void AppendSlaveCrc(Frame& frame) {
  const std::uint16_t crc = SlaveCrc16(frame.data(), frame.size());
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

// ---- ScriptedSlave: registers ----

ScriptedSlave::ScriptedSlave(std::vector<std::uint8_t> addresses) {
  for (std::uint8_t address : addresses) AddSlave(address);
}

ScriptedSlave::~ScriptedSlave() { Stop(); }

void ScriptedSlave::AddSlave(std::uint8_t address) {
  std::lock_guard lock(mutex_);
  Maps& maps = slaves_[address];
  maps.holding.resize(kRegisterCount);
  maps.input.resize(kRegisterCount);
}

ScriptedSlave::Maps& ScriptedSlave::MapsOf(std::uint8_t address) {
  auto it = slaves_.find(address);
  if (it == slaves_.end()) {
    throw std::invalid_argument("scripted slave: address " + std::to_string(address) +
                                " is not served");
  }
  return it->second;
}

const ScriptedSlave::Maps& ScriptedSlave::MapsOf(std::uint8_t address) const {
  return const_cast<ScriptedSlave*>(this)->MapsOf(address);
}

void ScriptedSlave::SetHolding(std::uint8_t address, std::uint16_t reg, std::uint16_t value) {
  std::lock_guard lock(mutex_);
  MapsOf(address).holding[reg] = value;
}

void ScriptedSlave::SetInput(std::uint8_t address, std::uint16_t reg, std::uint16_t value) {
  std::lock_guard lock(mutex_);
  MapsOf(address).input[reg] = value;
}

void ScriptedSlave::SetHoldingBlock(std::uint8_t address, std::uint16_t start,
                                    const std::vector<std::uint16_t>& values) {
  std::lock_guard lock(mutex_);
  Maps& maps = MapsOf(address);
  for (std::size_t i = 0; i < values.size() && start + i < kRegisterCount; ++i) {
    maps.holding[start + i] = values[i];
  }
}

void ScriptedSlave::SetInputBlock(std::uint8_t address, std::uint16_t start,
                                  const std::vector<std::uint16_t>& values) {
  std::lock_guard lock(mutex_);
  Maps& maps = MapsOf(address);
  for (std::size_t i = 0; i < values.size() && start + i < kRegisterCount; ++i) {
    maps.input[start + i] = values[i];
  }
}

std::uint16_t ScriptedSlave::Holding(std::uint8_t address, std::uint16_t reg) const {
  std::lock_guard lock(mutex_);
  return MapsOf(address).holding[reg];
}

std::uint16_t ScriptedSlave::Input(std::uint8_t address, std::uint16_t reg) const {
  std::lock_guard lock(mutex_);
  return MapsOf(address).input[reg];
}

// ---- ScriptedSlave: scripting and log ----

void ScriptedSlave::QueueReply(const SlaveReply& reply, int times) {
  std::lock_guard lock(mutex_);
  for (int i = 0; i < times; ++i) queue_.push_back(reply);
}

void ScriptedSlave::SetDefaultReply(const SlaveReply& reply) {
  std::lock_guard lock(mutex_);
  defaultReply_ = reply;
}

std::size_t ScriptedSlave::QueuedReplies() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

std::vector<Frame> ScriptedSlave::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t ScriptedSlave::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

bool ScriptedSlave::WaitForRequests(std::size_t n, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return requests_.size() >= n; });
}

bool ScriptedSlave::WaitForIdle(int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return repliesPending_ == 0; });
}

void ScriptedSlave::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

int ScriptedSlave::TcpAccepts() const { return tcp_ ? tcp_->Accepts() : 0; }

// ---- ScriptedSlave: answering ----

Frame ScriptedSlave::ProperReply(const Frame& request) {
  const std::uint8_t address = request[0];
  const std::uint8_t function = request[1];
  const bool known = function == kFcReadHolding || function == kFcReadInput ||
                     function == kFcWriteSingle;
  if (!known) return ExceptionFrame(address, function, kIllegalFunction);
  if (request.size() != kRequestLength) return ExceptionFrame(address, function, kIllegalValue);

  Maps& maps = MapsOf(address);
  const std::uint16_t reg = Word(request, 2);
  const std::uint16_t word = Word(request, 4);
  if (function == kFcWriteSingle) {
    maps.holding[reg] = word;
    return request;  // the echo
  }
  if (word < 1 || word > kMaxReadCount) return ExceptionFrame(address, function, kIllegalValue);
  if (reg + word > kRegisterCount) return ExceptionFrame(address, function, kIllegalAddress);
  const std::vector<std::uint16_t>& table = function == kFcReadHolding ? maps.holding : maps.input;
  Frame reply{address, function, static_cast<std::uint8_t>(2 * word)};
  for (int i = 0; i < word; ++i) PutWord(reply, table[reg + i]);
  AppendSlaveCrc(reply);
  return reply;
}

ScriptedSlave::Plan ScriptedSlave::HandleFrame(const Frame& request) {
  std::lock_guard lock(mutex_);
  requests_.push_back(request);
  changed_.notify_all();
  Plan plan;
  if (!CrcIntact(request) || slaves_.count(request[0]) == 0) return plan;

  if (queue_.empty()) {
    plan.how = defaultReply_;
  } else {
    plan.how = queue_.front();
    queue_.pop_front();
  }
  // An exception reply refuses the request: a refused write leaves the register alone.
  const SlaveReply& how = plan.how;
  if (how.kind == ReplyKind::Exception) {
    plan.bytes = ExceptionFrame(request[0], request[1], how.exceptionCode);
  } else {
    plan.bytes = ProperReply(request);
  }
  switch (how.kind) {
    case ReplyKind::Answer:
    case ReplyKind::Exception:
      break;
    case ReplyKind::Silent:
      plan.bytes.clear();
      break;
    case ReplyKind::BadCrc:
      plan.bytes.back() ^= 0xFF;
      break;
    case ReplyKind::SwappedCrc:
      std::swap(plan.bytes[plan.bytes.size() - 2], plan.bytes[plan.bytes.size() - 1]);
      break;
    case ReplyKind::OtherAddress:
      plan.bytes[0] = how.otherAddress;
      RecomputeCrc(plan.bytes);
      break;
    case ReplyKind::OtherFunction:
      plan.bytes[1] = how.otherFunction;
      RecomputeCrc(plan.bytes);
      break;
    case ReplyKind::Raw:
      plan.bytes = how.raw;
      break;
  }
  if (!plan.bytes.empty()) ++repliesPending_;
  return plan;
}

void ScriptedSlave::NoteReplyDone() {
  std::lock_guard lock(mutex_);
  --repliesPending_;
  changed_.notify_all();
}

void ScriptedSlave::Serve(SimChannel& channel) {
  for (;;) {
    Frame request;
    const ReadOutcome outcome = channel.ReadRequest(request, kRequestLength, kInterByteTimeoutMs);
    if (!request.empty()) {
      const Plan plan = HandleFrame(request);
      if (!plan.bytes.empty()) {
        const bool sent = channel.SendReply(plan.bytes, plan.how.delayMs, plan.how.splitAfter,
                                            plan.how.splitPauseMs);
        NoteReplyDone();
        if (!sent) return;
      }
    }
    if (outcome != ReadOutcome::Frame) return;
  }
}

// ---- ScriptedSlave: transports ----

std::string ScriptedSlave::StartPty() {
  if (pty_) throw std::runtime_error("scripted slave: the pty is already running");
  auto pty = std::make_unique<PtyServer>();
  ptyPath_ = pty->SlavePath();
  pty->Start([this](SimChannel& channel) { Serve(channel); });
  pty_ = std::move(pty);
  return ptyPath_;
}

std::string ScriptedSlave::LinkAsCom(const std::string& appDir, int comNumber) {
  if (!pty_) throw std::runtime_error("scripted slave: LinkAsCom needs a running pty");
  const std::string link = LinkDevice(appDir, comNumber, ptyPath_);
  links_.push_back(link);
  return link;
}

int ScriptedSlave::StartTcp(int port) {
  if (tcp_) throw std::runtime_error("scripted slave: the TCP listener is already running");
  auto tcp = std::make_unique<TcpServer>(port);
  tcpPort_ = tcp->Port();
  tcp->Start([this](SimChannel& channel) { Serve(channel); });
  tcp_ = std::move(tcp);
  return tcpPort_;
}

void ScriptedSlave::Stop() {
  if (pty_) pty_->Stop();
  if (tcp_) tcp_->Stop();
  for (const std::string& link : links_) RemoveDeviceLink(link, ptyPath_);
  links_.clear();
}
