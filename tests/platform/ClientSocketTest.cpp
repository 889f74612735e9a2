// The blocking client socket against loopback listeners: connect and its failures, the error
// handler's contract on send and receive, and the connect time-out.

#include "platform/ClientSocket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/Errors.h"
#include "tests/platform/ClientSocketPeers.h"

namespace {

// The station's error handler: clear the code, close the connection.
void ClearAndClose(TClientSocket& socket, int& code) {
  code = 0;
  socket.Close();
}

long long ElapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               since)
      .count();
}

}  // namespace

TEST(ClientSocketConnect, OpensAndRunsOnConnectOnTheCallingThread) {
  Listener listener;
  TClientSocket socket;
  socket.Address = "127.0.0.1";
  socket.Port = listener.Port();
  std::thread::id handlerThread;
  bool activeInHandler = false;
  socket.OnConnect = [&](TClientSocket& s) {
    handlerThread = std::this_thread::get_id();
    activeInHandler = s.Active();
  };
  socket.Open();
  EXPECT_TRUE(socket.Active());
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
  EXPECT_TRUE(activeInHandler);

  const int peer = listener.Accept();
  ASSERT_GE(peer, 0);
  const char frame[] = {1, 3, 0, 31, 0, 1};
  EXPECT_EQ(socket.SendBuf(frame, sizeof(frame)), static_cast<int>(sizeof(frame)));
  char got[8] = {};
  EXPECT_EQ(recv(peer, got, sizeof(got), 0), static_cast<ssize_t>(sizeof(frame)));
  EXPECT_EQ(send(peer, "abc", 3, 0), 3);
  char back[8] = {};
  EXPECT_EQ(socket.ReceiveBuf(back, 8), 3);  // one receive returns what has arrived
  EXPECT_EQ(std::string(back, 3), "abc");

  socket.Close();
  socket.Close();  // idempotent
  EXPECT_FALSE(socket.Active());
}

TEST(ClientSocketConnect, RefusedPortRaisesNamingTheAddress) {
  TClientSocket socket;
  socket.Address = "127.0.0.1";
  socket.Port = RefusingPort();
  bool connected = false;
  socket.OnConnect = [&](TClientSocket&) { connected = true; };
  try {
    socket.Open();
    FAIL() << "connect to a refusing port succeeded";
  } catch (const ESocketError& e) {
    EXPECT_NE(std::string(e.what()).find("127.0.0.1"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(socket.Active());
  EXPECT_FALSE(connected);
}

// Address texts as operators type them: padded to three digits (read as decimal, never octal)
// and with blanks around them connect; anything but four dotted numbers 0..255 fails at once,
// without a name lookup.
TEST(ClientSocketConnect, AddressTextsAsOperatorsTypeThem) {
  Listener listener(16);
  for (const std::string& address : std::vector<std::string>{
           "127.000.000.001", "127.0.0.1 ", " 127.0.0.1", "\t127.0.0.1  ", "0127.00.0.01"}) {
    TClientSocket socket;
    socket.Address = address;
    socket.Port = listener.Port();
    EXPECT_NO_THROW(socket.Open()) << "address '" << address << "'";
    EXPECT_TRUE(socket.Active()) << "address '" << address << "'";
    EXPECT_EQ(socket.Address, address) << "the text stays as typed";
    EXPECT_GE(listener.Accept(), 0);
  }
  EXPECT_EQ(ParseDottedIpv4("010.0.0.255"), 0x0A0000FFu);
  EXPECT_EQ(ParseDottedIpv4("0.0.0.0"), 0u);
  for (const std::string& address : std::vector<std::string>{
           "", "   ", "localhost", "garbage", "256.1.1.1", "127.0.0", "127.0.0.1.1", "127..0.1",
           "127.0.0.1.", ".127.0.0.1", "127.0.0.-1", "+127.0.0.1", "127 .0.0.1", "127.0.0.1 x",
           "0x7f.0.0.1", "1270.0.0.1", "127.0.0.0001000", std::string("127.0.0.1\0x", 11)}) {
    TClientSocket socket;
    socket.Address = address;
    socket.Port = listener.Port();
    EXPECT_THROW(socket.Open(), ESocketError) << "address '" << address << "'";
    EXPECT_FALSE(socket.Active());
  }
}

TEST(ClientSocketConnect, PortOutsideTheTcpRangeFails) {
  Listener listener;
  for (const std::int32_t port : {0, -1, 65536, listener.Port() + 65536, INT32_MIN}) {
    TClientSocket socket;
    socket.Address = "127.0.0.1";
    socket.Port = port;
    EXPECT_THROW(socket.Open(), ESocketError) << "port " << port;
    EXPECT_FALSE(socket.Active());
  }
}

TEST(ClientSocketConnect, AnAddressThatNeverAnswersFailsAtTheConnectTimeOut) {
  Listener listener(0);
  FullAcceptQueue queue(listener);
  if (!queue.Filled()) GTEST_SKIP() << "the loopback accept queue could not be filled here";
  TClientSocket socket;
  socket.Address = "127.0.0.1";
  socket.Port = listener.Port();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(socket.Open(), ESocketError);
  // The system's own connect time-out is minutes; ours is a few seconds.
  EXPECT_LT(ElapsedMs(start), TClientSocket::kConnectTimeoutMs + 5000);
  EXPECT_FALSE(socket.Active());
}

class ClientSocketExchange : public testing::Test {
 protected:
  void SetUp() override {
    socket_.Address = "127.0.0.1";
    socket_.Port = listener_.Port();
    socket_.Open();
    peer_ = listener_.Accept();
    ASSERT_GE(peer_, 0);
  }
  void ClosePeer() { shutdown(peer_, SHUT_RDWR); }

  Listener listener_;
  TClientSocket socket_;
  int peer_ = -1;
};

TEST_F(ClientSocketExchange, PeerThatClosedGivesZeroWithoutAnError) {
  int errors = 0;
  socket_.OnError = [&](TClientSocket&, int&) { ++errors; };
  ClosePeer();
  char buffer[8];
  EXPECT_EQ(socket_.ReceiveBuf(buffer, sizeof(buffer)), 0);
  EXPECT_EQ(errors, 0);
}

TEST_F(ClientSocketExchange, SendAfterPeerCloseReturnsShortWithoutSigpipe) {
  int errors = 0;
  socket_.OnError = [&](TClientSocket& s, int& code) {
    ++errors;
    ClearAndClose(s, code);
  };
  ClosePeer();
  const char frame[8] = {1, 3, 0, 31, 0, 1, 0, 0};
  // The first send may still be taken by the kernel; once the reset is in, the send fails. A
  // SIGPIPE here would end the test program.
  int sent = static_cast<int>(sizeof(frame));
  for (int i = 0; i < 50 && sent == static_cast<int>(sizeof(frame)); ++i) {
    sent = socket_.SendBuf(frame, sizeof(frame));
    if (sent == static_cast<int>(sizeof(frame))) RealSleepMs(10);
  }
  EXPECT_LT(sent, static_cast<int>(sizeof(frame)));
  EXPECT_EQ(errors, 1);
  EXPECT_FALSE(socket_.Active());
  EXPECT_EQ(socket_.SendBuf(frame, sizeof(frame)), 0);  // closed: no new error
  EXPECT_EQ(errors, 1);
}

TEST_F(ClientSocketExchange, ReceiveTimeOutCallsTheErrorHandler) {
  std::vector<int> codes;
  socket_.OnError = [&](TClientSocket& s, int& code) {
    codes.push_back(code);
    ClearAndClose(s, code);
  };
  socket_.SetTimeouts(300, 100);
  char buffer[8];
  EXPECT_EQ(socket_.ReceiveBuf(buffer, sizeof(buffer)), 0);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_NE(codes[0], 0);
  EXPECT_FALSE(socket_.Active());
  // The handler closed the connection: later receives return 0 at once, without new errors.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(socket_.ReceiveBuf(buffer, sizeof(buffer)), 0);
  EXPECT_LT(ElapsedMs(start), 100);
  EXPECT_EQ(codes.size(), 1u);
}

TEST_F(ClientSocketExchange, ReceiveTimeOutRaisesWhenTheCodeIsNotCleared) {
  int errors = 0;
  socket_.OnError = [&](TClientSocket&, int&) { ++errors; };
  socket_.SetTimeouts(300, 50);
  char buffer[8];
  EXPECT_THROW(socket_.ReceiveBuf(buffer, sizeof(buffer)), ESocketError);
  EXPECT_EQ(errors, 1);

  socket_.OnError = nullptr;
  EXPECT_THROW(socket_.ReceiveBuf(buffer, sizeof(buffer)), ESocketError);
}
