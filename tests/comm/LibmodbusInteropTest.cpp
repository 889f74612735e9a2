// Our master against a Modbus RTU slave that we did not write (Debian's libmodbus): over a pty
// cable and over raw TCP (an accepted socket handed to an RTU context, one connection per poll).

#include <arpa/inet.h>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include <gtest/gtest.h>

#include "platform/ClientSocket.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/sim/SimIo.h"

namespace {

constexpr int kSlaveAddress = 7;
constexpr int kRegisters = 100;
constexpr int kInputStart = 0;
constexpr int kHoldingStart = 50;
constexpr int kChannels = 48;
// How often a waiting libmodbus slave looks at its stop flag.
constexpr int kIndicationTimeoutUs = 50'000;

// Register i of the input table holds InputValue(i), of the holding table HoldingValue(i):
// both signs and the extremes.
std::uint16_t InputValue(int i) { return static_cast<std::uint16_t>(i * 1361 - 32768); }
std::uint16_t HoldingValue(int i) { return static_cast<std::uint16_t>(32767 - i * 977); }

// A libmodbus RTU context answering kSlaveAddress from its own register tables, on a thread.
// The tables are filled before the thread starts and then belong to it.
class LibmodbusSlave {
 public:
  LibmodbusSlave() {
    mapping_ = modbus_mapping_new_start_address(0, 0, 0, 0, 0, kRegisters, 0, kRegisters);
    for (int i = 0; i < kRegisters; ++i) {
      mapping_->tab_input_registers[i] = InputValue(i);
      mapping_->tab_registers[i] = HoldingValue(i);
    }
  }
  ~LibmodbusSlave() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
    if (serial_ != nullptr) {
      modbus_close(serial_);
      modbus_free(serial_);
    }
    modbus_mapping_free(mapping_);
  }

  // Serves the terminal device at `path`, set up by libmodbus itself at 9600 8N2.
  void ServeSerial(const std::string& path) {
    serial_ = modbus_new_rtu(path.c_str(), 9600, 'N', 8, 2);
    ASSERT_NE(serial_, nullptr);
    modbus_set_slave(serial_, kSlaveAddress);
    ASSERT_EQ(modbus_connect(serial_), 0) << modbus_strerror(errno);
    thread_ = std::thread([this] { Serve(serial_); });
  }

  // Listens on 127.0.0.1; each accepted connection is served until the peer closes it.
  int ServeTcp() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    const bool listening =
        ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::listen(listener_, 4) == 0 &&
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
    EXPECT_TRUE(listening);
    thread_ = std::thread([this] { AcceptLoop(); });
    return ntohs(addr.sin_port);
  }

  int Accepts() const { return accepts_.load(); }

 private:
  void Serve(modbus_t* ctx) {
    modbus_set_indication_timeout(ctx, 0, kIndicationTimeoutUs);
    std::uint8_t request[MODBUS_RTU_MAX_ADU_LENGTH];
    while (!stop_) {
      const int length = modbus_receive(ctx, request);
      if (length > 0) {
        modbus_reply(ctx, request, length, mapping_);
      } else if (length < 0 && errno != ETIMEDOUT && errno != EMBBADCRC) {
        return;  // the connection is gone
      }
    }
  }

  void AcceptLoop() {
    // The RTU context of a connection is never connected itself: it only borrows the socket.
    modbus_t* ctx = modbus_new_rtu("/dev/null", 9600, 'N', 8, 2);
    modbus_set_slave(ctx, kSlaveAddress);
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, kIndicationTimeoutUs / 1000) <= 0) continue;
      const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) continue;
      accepts_.fetch_add(1);
      modbus_set_socket(ctx, connection);
      Serve(ctx);
      ::close(connection);
    }
    modbus_free(ctx);
  }

  modbus_mapping_t* mapping_ = nullptr;
  modbus_t* serial_ = nullptr;
  int listener_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepts_{0};
  std::thread thread_;
};

// A 48-channel meter on kSlaveAddress reading `start` of its comm code's table, decimals 0..4
// in turn.
void SetUpMeter(TMeterRecord& meter, std::uint8_t commCode, std::uint16_t start) {
  meter.Clear();
  meter.SlaveAddress = kSlaveAddress;
  meter.ChannelCount = kChannels;
  meter.CommCode = commCode;
  meter.StartRegister = start;
  for (int ch = 0; ch < kChannels; ++ch) {
    meter.Channels[ch].Decimals = static_cast<std::uint8_t>(ch % (kMaxDecimals + 1));
  }
}

void ExpectValues(const TMeterRecord& meter, std::uint16_t (*value)(int), int start) {
  ASSERT_TRUE(meter.IsOnline());
  for (int ch = 0; ch < kChannels; ++ch) {
    const auto raw = static_cast<std::int16_t>(value(start + ch));
    EXPECT_EQ(meter.Value(ch), ScaleRegister(raw, ch % (kMaxDecimals + 1))) << "channel " << ch;
  }
}

class LibmodbusInterop : public ::testing::Test {
 protected:
  LibmodbusInterop() : delay_(kStartPollDelayMs) {}
  ScopedFastSleep fastSleep_;
  PollDelayGuard delay_;
  LibmodbusSlave slave_;
};

TEST_F(LibmodbusInterop, SerialPollReadsFortyEightInputAndHoldingRegisters) {
  PtyBridge cable;
  slave_.ServeSerial(cable.SecondPath());
  const ComHandle handle = OpenSerialPort(cable.FirstPath(), 9600);
  ASSERT_NE(handle, kComInvalid);
  const auto port = ComPortFromHandle(handle);
  SerialTransport link(*port);

  TMeterRecord meter;
  SetUpMeter(meter, 0, kInputStart);
  PollMeter(link, meter);
  ExpectValues(meter, InputValue, kInputStart);

  SetUpMeter(meter, 1, kHoldingStart);
  PollMeter(link, meter);
  ExpectValues(meter, HoldingValue, kHoldingStart);
  CloseComHandle(handle);
}

TEST_F(LibmodbusInterop, SerialWriteOfRegister31ReadsBack) {
  PtyBridge cable;
  slave_.ServeSerial(cable.SecondPath());
  const ComHandle handle = OpenSerialPort(cable.FirstPath(), 9600);
  ASSERT_NE(handle, kComInvalid);
  const auto port = ComPortFromHandle(handle);
  SerialTransport link(*port);

  std::uint8_t reply[kPollReplyBufferSize] = {};
  ASSERT_TRUE(WriteSingleReg(link, kSlaveAddress, reply, 31, -1234));
  EXPECT_EQ(Frame(reply, reply + 6), Bytes({kSlaveAddress, 6, 0x00, 0x1F, 0xFB, 0x2E}));
  ASSERT_TRUE(ReadHoldingRegs(link, kSlaveAddress, reply, 31, 1));
  EXPECT_EQ(static_cast<std::int16_t>((reply[3] << 8) | reply[4]), -1234);
  CloseComHandle(handle);
}

TEST_F(LibmodbusInterop, TcpPollsReadFortyEightRegistersOverAConnectionEach) {
  TClientSocket socket;
  socket.Address = "127.0.0.1";
  socket.Port = slave_.ServeTcp();
  socket.OnError = [](TClientSocket& s, int& code) {
    code = 0;
    s.Close();
  };
  SocketTransport link(socket);

  TMeterRecord meter;
  SetUpMeter(meter, 0, kInputStart);
  socket.Open();
  PollMeter(link, meter);
  socket.Close();
  ExpectValues(meter, InputValue, kInputStart);

  SetUpMeter(meter, 1, kHoldingStart);
  socket.Open();
  PollMeter(link, meter);
  socket.Close();
  ExpectValues(meter, HoldingValue, kHoldingStart);
  EXPECT_EQ(slave_.Accepts(), 2);
}

}  // namespace
