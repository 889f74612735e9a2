// The serial polling thread against slaves we did not write: three libmodbus RTU slaves on one
// line. libmodbus answers one slave address per context, so each slave has a context and a pty
// of its own, and a relay joins them into one multi-drop line as an RS-485 bus does: every byte
// that one party sends reaches all the others. Each slave answers only its own address, and
// (as libmodbus expects on a real bus) skips the reply that follows a request it ignored.

#include <gtest/gtest.h>
#include <modbus/modbus.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/ComPort.h"
#include "platform/SerialPort.h"
#include "station/comm/CommSrvTh.h"
#include "tests/comm/CommSrvThMeters.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kLineBaud = 9600;
constexpr int kRegisterCount = 100;
constexpr int kStopCheckMs = 50;  // how often the line's threads look at their stop flag
constexpr std::int32_t kPortIndex = 0;

// A raw pty pair; the slave side stays open here too, so its master never sees a hang-up while
// the side's real user (the station or libmodbus) closes and reopens it.
class RawPty {
 public:
  RawPty() {
    termios raw{};
    cfmakeraw(&raw);
    char name[256] = {};
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
      throw std::runtime_error(std::string("openpty: ") + std::strerror(errno));
    }
    path_ = name;
  }
  ~RawPty() {
    close(master_);
    close(slave_);
  }
  RawPty(const RawPty&) = delete;
  RawPty& operator=(const RawPty&) = delete;
  int Master() const { return master_; }
  const std::string& SlavePath() const { return path_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

// One libmodbus RTU slave on a pty of its own, served on a thread.
class LibmodbusSlave {
 public:
  explicit LibmodbusSlave(int address) : address_(address) {
    context_ = modbus_new_rtu(pty_.SlavePath().c_str(), kLineBaud, 'N', 8, 2);
    mapping_ = modbus_mapping_new(0, 0, kRegisterCount, kRegisterCount);
    if (context_ == nullptr || mapping_ == nullptr || modbus_set_slave(context_, address) != 0 ||
        modbus_connect(context_) != 0) {
      throw std::runtime_error("libmodbus slave " + std::to_string(address) + ": " +
                               modbus_strerror(errno));
    }
    // A bounded wait for a request, so that the serving loop can see its stop flag.
    modbus_set_indication_timeout(context_, 0, kStopCheckMs * 1000);
  }
  ~LibmodbusSlave() {
    Stop();
    modbus_close(context_);
    modbus_free(context_);
    modbus_mapping_free(mapping_);
  }
  LibmodbusSlave(const LibmodbusSlave&) = delete;
  LibmodbusSlave& operator=(const LibmodbusSlave&) = delete;

  // Only before Start or after Stop: the serving thread owns the mapping in between.
  std::uint16_t& Holding(int reg) { return mapping_->tab_registers[reg]; }
  std::uint16_t& Input(int reg) { return mapping_->tab_input_registers[reg]; }
  int LineSide() const { return pty_.Master(); }
  int Address() const { return address_; }

  void Start() {
    thread_ = std::thread([this] { Serve(); });
  }
  void Stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
  }

 private:
  void Serve() {
    std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
    while (!stop_.load()) {
      // 0: a request for another address; -1: a time-out or a damaged frame. Both are ignored.
      const int length = modbus_receive(context_, query);
      if (length > 0) modbus_reply(context_, query, length, mapping_);
    }
  }

  RawPty pty_;
  int address_;
  modbus_t* context_ = nullptr;
  modbus_mapping_t* mapping_ = nullptr;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The line: the station's pty, the slaves, and the relay between them.
class ModbusLine {
 public:
  explicit ModbusLine(const std::vector<int>& addresses) {
    for (int address : addresses) slaves_.push_back(std::make_unique<LibmodbusSlave>(address));
  }
  ~ModbusLine() { Stop(); }

  LibmodbusSlave& Slave(int n) { return *slaves_[n]; }
  const std::string& StationPath() const { return station_.SlavePath(); }

  void Start() {
    for (auto& slave : slaves_) slave->Start();
    relay_ = std::thread([this] { Relay(); });
  }
  void Stop() {
    stop_.store(true);
    if (relay_.joinable()) relay_.join();
    for (auto& slave : slaves_) slave->Stop();
  }

 private:
  void Relay() {
    std::vector<pollfd> fds{{station_.Master(), POLLIN, 0}};
    for (auto& slave : slaves_) fds.push_back({slave->LineSide(), POLLIN, 0});
    while (!stop_.load()) {
      if (poll(fds.data(), fds.size(), kStopCheckMs) <= 0) continue;
      for (std::size_t n = 0; n < fds.size(); ++n) {
        if (fds[n].revents & POLLIN) Forward(fds, n);
      }
    }
  }
  // What one party sends, every other party hears.
  void Forward(const std::vector<pollfd>& fds, std::size_t from) {
    std::uint8_t bytes[512];
    const ssize_t count = read(fds[from].fd, bytes, sizeof(bytes));
    if (count <= 0) return;
    for (std::size_t to = 0; to < fds.size(); ++to) {
      if (to != from) WriteAll(fds[to].fd, bytes, count);
    }
  }
  static void WriteAll(int fd, const std::uint8_t* bytes, ssize_t count) {
    while (count > 0) {
      const ssize_t written = write(fd, bytes, count);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return;
      bytes += written;
      count -= written;
    }
  }

  RawPty station_;
  std::vector<std::unique_ptr<LibmodbusSlave>> slaves_;
  std::atomic<bool> stop_{false};
  std::thread relay_;
};

class LibmodbusThreadTest : public testing::Test {
 protected:
  void SetUp() override { ResetSharedCommState(); }
  void TearDown() override {
    thread_.reset();
    line_.Stop();
    CloseComHandle(handle_);
    ResetSharedCommState();
  }
  void StartPolling() {
    line_.Start();
    handle_ = OpenSerialPort(line_.StationPath(), kLineBaud);
    ASSERT_NE(handle_, kComInvalid);
    FillPollList(list_, meters_);
    thread_.reset(new TCommSrvTh(true));
    thread_->MeterCount = list_.Count;
    thread_->MeterList = list_.Meters;
    thread_->PortHandle = handle_;
    thread_->PortIndex = kPortIndex;
    thread_->Resume();
  }
  bool AllOnline() const {
    for (const TMeterRecord& meter : meters_) {
      if (!meter.IsOnline()) return false;
    }
    return true;
  }

  ScopedFastSleep fast_;
  ModbusLine line_{{1, 2, 3}};
  ComHandle handle_ = kComInvalid;
  std::array<TMeterRecord, 3> meters_;
  TPollList list_;
  ThreadPtr<TCommSrvTh> thread_;
};

}  // namespace

TEST_F(LibmodbusThreadTest, OneRoundOverThreeSlavesFillsEveryMeterRecord) {
  SetUpMeter(meters_[0], 1, 3, 1, 10);  // holding registers 10..12
  meters_[0].Channels[0].Decimals = 1;
  meters_[0].Channels[2].Decimals = 2;
  line_.Slave(0).Holding(10) = 0xFF38;  // -200 -> -20.0
  line_.Slave(0).Holding(11) = 0x7FFF;
  line_.Slave(0).Holding(12) = 3;       // 3 with 2 decimals
  SetUpMeter(meters_[1], 2, 2, 0, 20);  // input registers 20..21
  line_.Slave(1).Input(20) = 0x8000;
  line_.Slave(1).Input(21) = 1;
  meters_[1].Channels[1].Decimals = 3;
  SetUpMeter(meters_[2], 3, kMaxChannels, 1, 0);  // 48 holding registers, a 101-byte reply
  for (int reg = 0; reg < kMaxChannels; ++reg) line_.Slave(2).Holding(reg) = 1000 + reg;

  StartPolling();
  ASSERT_TRUE(WaitUntil([&] { return AllOnline(); }, 20000));
  thread_.reset();

  EXPECT_EQ(meters_[0].Value(0), -20.0f);
  EXPECT_EQ(meters_[0].Value(1), 32767.0f);
  EXPECT_EQ(meters_[0].Value(2), ScaleRegister(3, 2));
  EXPECT_EQ(meters_[1].Value(0), -32768.0f);
  EXPECT_EQ(meters_[1].Value(1), ScaleRegister(1, 3));
  for (int ch = 0; ch < kMaxChannels; ++ch) {
    EXPECT_EQ(meters_[2].Value(ch), static_cast<float>(1000 + ch)) << "channel " << ch;
  }
  for (const TMeterRecord& meter : meters_) EXPECT_EQ(meter.FailureCount.load(), 0);
}

TEST_F(LibmodbusThreadTest, SetValueWriteAndReadReachTheAddressedSlaveOnly) {
  for (int m = 0; m < 3; ++m) SetUpMeter(meters_[m], static_cast<std::uint8_t>(m + 1), 1, 1, 0);
  line_.Slave(2).Holding(SetValueRegister) = 7;
  StartPolling();
  ASSERT_TRUE(WaitUntil([&] { return AllOnline(); }, 20000));

  const std::uint32_t write = PostSetValueRequest(kSetValueWrite, kPortIndex, 2, -25536);
  ASSERT_TRUE(WaitUntil([&] { return SetValueRequest.AnswerTo(write).has_value(); }, 10000));
  EXPECT_TRUE(SetValueRequest.AnswerTo(write)->done);

  const std::uint32_t read = PostSetValueRequest(kSetValueRead, kPortIndex, 3, 0);
  ASSERT_TRUE(WaitUntil([&] { return SetValueRequest.AnswerTo(read).has_value(); }, 10000));
  EXPECT_TRUE(SetValueRequest.AnswerTo(read)->done);
  EXPECT_EQ(SetValueRequest.AnswerTo(read)->value, 7);

  thread_.reset();
  line_.Stop();
  EXPECT_EQ(line_.Slave(1).Holding(SetValueRegister), 0x9C40);
  EXPECT_EQ(line_.Slave(0).Holding(SetValueRegister), 0);
  EXPECT_EQ(line_.Slave(2).Holding(SetValueRegister), 7);
}
