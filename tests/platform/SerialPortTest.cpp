// The COM port layer over real pty pairs: exclusive open, line settings as the driver reports
// them, handle values, read and write time-outs, and where COM n lives.

#include "platform/SerialPort.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "tests/support/TestSupport.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

// A pty served by a scripted slave, and the handles a test opened on it (closed at the end).
class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = slave_.StartPty(); }
  void TearDown() override {
    for (ComHandle h : opened_) CloseComHandle(h);
  }
  ComHandle Open(std::int32_t baud = 9600, SerialError* error = nullptr) {
    const ComHandle h = OpenSerialPort(path_, baud, error);
    if (h != kComInvalid) opened_.push_back(h);
    return h;
  }
  std::shared_ptr<ComPort> OpenPort() {
    const ComHandle h = Open();
    EXPECT_NE(h, kComInvalid);
    return ComPortFromHandle(h);
  }
  static long long ElapsedMs(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now() - since)
        .count();
  }

  ScriptedSlave slave_;
  std::string path_;
  std::vector<ComHandle> opened_;
};

// An fc 4 read of `count` registers from slave 1, register 0 (CRC appended).
std::vector<std::uint8_t> ReadRequest(std::uint16_t count) {
  Frame frame{1, 4, 0, 0, static_cast<std::uint8_t>(count >> 8),
              static_cast<std::uint8_t>(count & 0xFF)};
  AppendSlaveCrc(frame);
  return frame;
}

int Send(ComPort& port, const std::vector<std::uint8_t>& frame) {
  return port.Write(frame.data(), static_cast<int>(frame.size()));
}

TEST_F(SerialPortTest, SecondOpenInTheSameProcessFailsUntilTheFirstCloses) {
  const ComHandle first = Open();
  ASSERT_NE(first, kComInvalid);
  SerialError error;
  EXPECT_EQ(Open(9600, &error), kComInvalid);
  EXPECT_EQ(error.kind, SerialErrorKind::InUse);
  EXPECT_NE(error.message.find(path_), std::string::npos) << error.message;

  CloseComHandle(first);
  EXPECT_NE(Open(), kComInvalid);
}

TEST_F(SerialPortTest, DeviceLockedThroughAnotherDescriptorRefusesTheOpen) {
  const int other = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  SerialError error;
  EXPECT_EQ(Open(9600, &error), kComInvalid);
  EXPECT_EQ(error.kind, SerialErrorKind::InUse);
  ::close(other);
}

TEST_F(SerialPortTest, LineSettingsReadBackAsSetIncludingBaudsWithoutAConstant) {
  for (const std::int32_t baud : {2400, 9600, 14400, 115200}) {
    const ComHandle h = Open(baud);
    ASSERT_NE(h, kComInvalid) << baud;
    LineSettings settings;
    ASSERT_TRUE(QueryLineSettings(h, settings));
    EXPECT_EQ(settings.baud, baud);
    EXPECT_EQ(settings.dataBits, 8);
    EXPECT_EQ(settings.parity, 'N');
    EXPECT_EQ(settings.stopBits, 2);
    CloseComHandle(h);
  }
}

TEST_F(SerialPortTest, QueryLineSettingsRefusesHandlesThatAreNoOpenPort) {
  LineSettings settings;
  EXPECT_FALSE(QueryLineSettings(kComNeverOpened, settings));
  EXPECT_FALSE(QueryLineSettings(kComInvalid, settings));
  const ComHandle h = Open();
  CloseComHandle(h);
  EXPECT_FALSE(QueryLineSettings(h, settings));
}

TEST_F(SerialPortTest, MissingDeviceAndPlainFileFailWithTheirNameInTheMessage) {
  TempDir dir;
  SerialError error;
  EXPECT_EQ(OpenSerialPort(dir.File("nothing"), 9600, &error), kComInvalid);
  EXPECT_EQ(error.kind, SerialErrorKind::NoSuchDevice);
  EXPECT_NE(error.message.find(dir.File("nothing")), std::string::npos) << error.message;

  std::ofstream(dir.File("plain")) << "x";
  EXPECT_EQ(OpenSerialPort(dir.File("plain"), 9600, &error), kComInvalid);
  EXPECT_EQ(error.kind, SerialErrorKind::NoSuchDevice);
}

TEST_F(SerialPortTest, ARefusedBaudLeavesThePortFreeForTheNextOpen) {
  SerialError error;
  EXPECT_EQ(Open(0, &error), kComInvalid);
  EXPECT_EQ(error.kind, SerialErrorKind::BadSettings);
  EXPECT_NE(Open(9600), kComInvalid);  // the failed open released its lock
}

TEST_F(SerialPortTest, HandlesAreNeverTheSentinelsAndNeverReused) {
  const ComHandle a = Open();
  CloseComHandle(a);
  const ComHandle b = Open();
  EXPECT_NE(a, kComNeverOpened);
  EXPECT_NE(a, kComInvalid);
  EXPECT_NE(b, a);
  EXPECT_EQ(ComPortFromHandle(a), nullptr);
  EXPECT_NE(ComPortFromHandle(b), nullptr);
}

TEST_F(SerialPortTest, PortOpenedOnDescriptorZeroStillGetsAUsableHandle) {
  // With standard input closed the device's descriptor is 0, the "never opened" value.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(0);
    const ComHandle h = OpenSerialPort(path_, 9600);
    const std::uint8_t byte = 0;
    const bool usable = h != kComNeverOpened && h != kComInvalid &&
                        ::fcntl(0, F_GETFD) >= 0 && ComPortFromHandle(h) != nullptr &&
                        ComPortFromHandle(h)->Write(&byte, 1) == 1;
    ::_exit(usable ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(SerialPortTest, ReadGetsAWholeReply) {
  slave_.SetInput(1, 0, 0x1234);
  auto port = OpenPort();
  ASSERT_EQ(Send(*port, ReadRequest(1)), 8);
  std::uint8_t reply[7] = {};
  ASSERT_EQ(port->Read(reply, 7), 7);
  EXPECT_EQ(reply[3], 0x12);
  EXPECT_EQ(reply[4], 0x34);
}

TEST_F(SerialPortTest, ReadFromASilentPeerEndsAtTheTotalTimeOut) {
  auto port = OpenPort();
  std::uint8_t buffer[101];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port->Read(buffer, 101), 0);
  const long long elapsed = ElapsedMs(start);
  EXPECT_GE(elapsed, kReadTimeoutConstantMs + kReadTimeoutPerByteMs * 101 - 1);
  EXPECT_LT(elapsed, 5000);  // it does end
}

TEST_F(SerialPortTest, AtTheSlowestRateTheTotalTimeOutCoversAWholeReplyOnTheLine) {
  // 101 bytes at 2,400 baud take 463 ms on the wire: 3 ms per byte would cut every such reply.
  EXPECT_EQ(ReadTimeoutPerByteMs(2400), 5);
  for (std::int32_t baud : {4800, 9600, 14400, 19200, 38400, 57600, 115200}) {
    EXPECT_EQ(ReadTimeoutPerByteMs(baud), kReadTimeoutPerByteMs) << baud;
  }
  const ComHandle h = Open(2400);
  ASSERT_NE(h, kComInvalid);
  std::uint8_t buffer[101];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ComPortFromHandle(h)->Read(buffer, 101), 0);
  EXPECT_GE(ElapsedMs(start), kReadTimeoutConstantMs + 5 * 101 - 1);
}

TEST_F(SerialPortTest, PauseLongerThanTheIntervalEndsTheReadEarly) {
  // 48 registers: 101 bytes, total time-out 383 ms; the rest would come at 250 ms.
  slave_.QueueReply(SlaveReply::Split(3, 250));
  auto port = OpenPort();
  ASSERT_EQ(Send(*port, ReadRequest(48)), 8);
  std::uint8_t buffer[101];
  EXPECT_EQ(port->Read(buffer, 101), 3);
}

TEST_F(SerialPortTest, PausesShorterThanTheIntervalDoNotEndTheRead) {
  slave_.QueueReply(SlaveReply::Split(3, 30));
  auto port = OpenPort();
  ASSERT_EQ(Send(*port, ReadRequest(48)), 8);
  std::uint8_t buffer[101];
  EXPECT_EQ(port->Read(buffer, 101), 101);
}

TEST_F(SerialPortTest, PurgeRxDropsAReplyThatIsAlreadyWaiting) {
  auto port = OpenPort();
  ASSERT_EQ(Send(*port, ReadRequest(1)), 8);
  ASSERT_TRUE(slave_.WaitForRequests(1, 2000));
  ASSERT_TRUE(slave_.WaitForIdle(2000));
  RealSleepMs(20);  // the reply crosses the pty
  port->PurgeRx();
  std::uint8_t buffer[7];
  EXPECT_EQ(port->Read(buffer, 7), 0);
}

// ---- where COM n lives ----

class ComDevicePathTest : public ::testing::Test {
 protected:
  TempDir dir_;  // the application directory
};

TEST_F(ComDevicePathTest, WithoutALinkComNIsTheNthSystemSerialPort) {
  EXPECT_EQ(ComDevicePath(dir_.Path(), 1), "/dev/ttyS0");
  EXPECT_EQ(ComDevicePath(dir_.Path(), 40), "/dev/ttyS39");
}

TEST_F(ComDevicePathTest, ALinkInTheAppDirTakesPrecedenceEvenWhenItsTargetIsGone) {
  ScriptedSlave slave;
  slave.StartPty();
  const std::string link = slave.LinkAsCom(dir_.Path(), 3);
  EXPECT_EQ(link, dir_.File("dev/com3"));
  EXPECT_EQ(ComDevicePath(dir_.Path(), 3), link);
  EXPECT_EQ(ComDevicePath(dir_.Path() + "/", 3), link);
  EXPECT_EQ(ComDevicePath(dir_.Path(), 4), "/dev/ttyS3");

  const ComHandle h = OpenSerialPort(ComDevicePath(dir_.Path(), 3), 9600);
  EXPECT_NE(h, kComInvalid);
  CloseComHandle(h);

  ASSERT_EQ(::symlink(dir_.File("gone").c_str(), dir_.File("dev/com5").c_str()), 0);
  EXPECT_EQ(ComDevicePath(dir_.Path(), 5), dir_.File("dev/com5"));
  EXPECT_EQ(OpenSerialPort(ComDevicePath(dir_.Path(), 5), 9600), kComInvalid);
}

TEST_F(ComDevicePathTest, NumbersOutsideOneToFortyMapToNothing) {
  EXPECT_EQ(ComDevicePath(dir_.Path(), 0), "");
  EXPECT_EQ(ComDevicePath(dir_.Path(), 41), "");
  EXPECT_EQ(ComDevicePath(dir_.Path(), -1), "");
  EXPECT_EQ(OpenSerialPort(ComDevicePath(dir_.Path(), 0), 9600), kComInvalid);
}

}  // namespace
