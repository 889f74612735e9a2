// The Ethernet polling thread against the scripted slave on loopback TCP: a connection per poll,
// the status texts, silent and split replies, unusable addresses, and stopping during a connect.

#include "station/comm/IPCommSrvTh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "common/FixedText.h"
#include "platform/ClientSocket.h"
#include "platform/Clock.h"
#include "tests/comm/CommSrvThMeters.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/platform/ClientSocketPeers.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kWaitMs = 10000;
const std::string kSuccess = std::string("127.0.0.1") + kConnectSuccessText;
const std::string kFail = std::string("127.0.0.1") + kConnectFailText;

class EthernetThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSharedCommState();
    // What the main window's handlers do.
    socket_.OnConnect = [this](TClientSocket& s) {
      sink_.SetPanelText(kEthernetStatusPanel, s.Address + kConnectSuccessText);
    };
    socket_.OnError = [this](TClientSocket& s, int& code) {
      socketErrors_.fetch_add(1);
      code = 0;
      s.Close();
    };
    port_ = slave_.StartTcp();
    SetUpMeter(meters_[0], 1, 2, 1, 0);
    slave_.SetHoldingBlock(1, 0, {1234, 0xFFFE});
  }
  void TearDown() override {
    thread_.reset();
    ResetSharedCommState();
  }

  void PointAt(TMeterRecord& meter, const char* ip, int port) {
    WriteFixedText(meter.IpAddress, ip);
    meter.TcpPort = port;
  }
  void Start(int meterCount) {
    FillPollList(list_, meters_, meterCount);
    thread_.reset(new TIPCommSrvTh(true));
    thread_->MeterCount = list_.Count;
    thread_->MeterList = list_.Meters;
    thread_->ClientSocket = &socket_;
    thread_->StatusBar = &sink_;
    thread_->SetPriority(ThreadPriority::Higher);
    thread_->Resume();
  }
  bool AwaitTexts(std::size_t n) {
    return WaitUntil([&] { return sink_.Count() >= n; }, kWaitMs);
  }

  ScopedFastSleep fast_;
  ScriptedSlave slave_;
  int port_ = 0;
  TClientSocket socket_;
  RecordingSink sink_;
  std::atomic<int> socketErrors_{0};
  std::array<TMeterRecord, 3> meters_;
  TPollList list_;
  ThreadPtr<TIPCommSrvTh> thread_;
};

}  // namespace

TEST_F(EthernetThreadTest, OneMeterGetsANewConnectionForEveryPoll) {
  PointAt(meters_[0], "127.0.0.1", port_);
  Start(1);
  ASSERT_TRUE(WaitUntil([&] { return slave_.TcpAccepts() >= 3; }, kWaitMs));
  thread_.reset();

  const int accepts = slave_.TcpAccepts();
  const std::vector<Frame> requests = slave_.Requests();
  ASSERT_EQ(requests.size(), static_cast<std::size_t>(accepts));  // one request per connection
  for (const Frame& request : requests) EXPECT_EQ(request, PollRequestFor(meters_[0]));
  EXPECT_EQ(sink_.Texts(), std::vector<std::string>(accepts, kSuccess));
  EXPECT_EQ(sink_.Panels(), std::vector<int>(accepts, kEthernetStatusPanel));
  EXPECT_TRUE(meters_[0].IsOnline());
  EXPECT_EQ(meters_[0].Value(0), 1234.0f);
  EXPECT_EQ(meters_[0].Value(1), -2.0f);
  // Each good poll paused PollDelay once; each reconnect paused 50 ms after closing. The thread
  // never raised the pause to the serial 2000 ms.
  EXPECT_EQ(ScopedFastSleep::RequestedMs(),
            accepts * kStartPollDelayMs + (accepts - 1) * kCloseToConnectPauseMs);
  EXPECT_EQ(PollDelay.load(), kStartPollDelayMs);
  EXPECT_TRUE(socket_.Active());  // the last connection stays open for the next thread
}

TEST_F(EthernetThreadTest, ARefusedConnectShowsConnectFailFailsThePollAndPausesBeforeTheNext) {
  PointAt(meters_[0], "127.0.0.1", RefusingPort());
  meters_[0].Online.store(1);
  Start(1);
  ASSERT_TRUE(WaitUntil([&] { return !meters_[0].IsOnline(); }, kWaitMs));
  thread_.reset();
  EXPECT_EQ(meters_[0].FailureCount.load(), 5);
  const std::vector<std::string> texts = sink_.Texts();
  ASSERT_GE(texts.size(), 5u);
  EXPECT_EQ(texts, std::vector<std::string>(texts.size(), kFail));
  // No connection to close and no exchange, but one PollDelay after each failed attempt, so
  // that refusing meters do not keep the thread spinning.
  EXPECT_EQ(ScopedFastSleep::Calls(), static_cast<long long>(texts.size()));
  EXPECT_EQ(ScopedFastSleep::RequestedMs(),
            static_cast<long long>(texts.size()) * kStartPollDelayMs);
}

TEST_F(EthernetThreadTest, AnEmptyAddressFailsBehindAnEmptyText) {
  PointAt(meters_[0], "", port_);
  Start(1);
  ASSERT_TRUE(AwaitTexts(2));
  EXPECT_EQ(sink_.Texts()[0], kConnectFailText);
  EXPECT_EQ(slave_.TcpAccepts(), 0);
}

TEST_F(EthernetThreadTest, AnAddressFieldWithoutItsNulIsReadOnlyToItsWidth) {
  std::memcpy(meters_[0].IpAddress, "127.0.0.1.......", sizeof(meters_[0].IpAddress));
  WriteFixedText(meters_[0].Name, "NAME-BEHIND-THE-FIELD");
  meters_[0].TcpPort = port_;
  Start(1);
  ASSERT_TRUE(AwaitTexts(1));
  EXPECT_EQ(sink_.Texts()[0], std::string("127.0.0.1.......") + kConnectFailText);
}

TEST_F(EthernetThreadTest, MetersArePolledInListOrderWithOneTextPerAttempt) {
  SetUpMeter(meters_[1], 2, 1, 0, 0);
  SetUpMeter(meters_[2], 1, 1, 0, 10);
  slave_.SetInput(1, 10, 42);
  PointAt(meters_[0], "127.0.0.1", port_);
  PointAt(meters_[1], "127.0.0.1", RefusingPort());
  PointAt(meters_[2], "127.0.0.1", port_);
  Start(3);
  ASSERT_TRUE(AwaitTexts(7));
  const std::vector<std::string> texts = sink_.Texts();
  for (int n = 0; n < 7; ++n) EXPECT_EQ(texts[n], n % 3 == 1 ? kFail : kSuccess) << n;
  EXPECT_TRUE(meters_[0].IsOnline());
  EXPECT_EQ(meters_[2].Value(0), 42.0f);
  EXPECT_GE(meters_[1].FailureCount.load(), 2);
}

TEST_F(EthernetThreadTest, ASilentServerFailsThePollAndTheErrorHandlerCloses) {
  slave_.SetDefaultReply(SlaveReply::Silent());
  PointAt(meters_[0], "127.0.0.1", port_);
  Start(1);
  ASSERT_TRUE(WaitUntil([&] { return meters_[0].FailureCount.load() >= 2; }, kWaitMs));
  thread_.reset();
  EXPECT_FALSE(meters_[0].IsOnline());
  EXPECT_GE(socketErrors_.load(), 2);
  EXPECT_FALSE(socket_.Active());  // the handler closed the last connection
  // Failed receives were not followed by a second send on the same connection.
  EXPECT_EQ(slave_.RequestCount(), static_cast<std::size_t>(slave_.TcpAccepts()));
  EXPECT_EQ(sink_.Texts()[0], kSuccess);
}

TEST_F(EthernetThreadTest, AReplyInTwoSegmentsFailsThePoll) {
  // The first receive takes the first 3 bytes, the second the rest: neither is the reply.
  slave_.SetDefaultReply(SlaveReply::Split(3, 100));
  PointAt(meters_[0], "127.0.0.1", port_);
  Start(1);
  ASSERT_TRUE(WaitUntil([&] { return meters_[0].FailureCount.load() >= 2; }, kWaitMs));
  EXPECT_FALSE(meters_[0].IsOnline());
  EXPECT_EQ(meters_[0].Value(0), 0.0f);
}

TEST_F(EthernetThreadTest, StoppingDuringAnUnansweredConnectEndsWithinTheConnectTimeOut) {
  Listener listener(0);
  FullAcceptQueue queue(listener);
  if (!queue.Filled()) GTEST_SKIP() << "the loopback accept queue could not be filled here";
  PointAt(meters_[0], "127.0.0.1", listener.Port());
  Start(1);
  RealSleepMs(200);  // inside the connect
  const auto start = std::chrono::steady_clock::now();
  thread_.reset();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  EXPECT_LT(elapsed.count(), TClientSocket::kConnectTimeoutMs + 5000);
  EXPECT_EQ(sink_.Texts(), std::vector<std::string>{kFail});
}

namespace {

// One Ethernet thread of its own over `meters` (errors handled as the main window does).
struct EthernetRun {
  explicit EthernetRun(std::vector<TMeterRecord*> meters) : thread(new TIPCommSrvTh(true)) {
    socket.OnError = [](TClientSocket& s, int& code) {
      code = 0;
      s.Close();
    };
    list.Count = static_cast<std::int32_t>(meters.size());
    std::copy(meters.begin(), meters.end(), list.Meters);
    thread->MeterCount = list.Count;
    thread->MeterList = list.Meters;
    thread->ClientSocket = &socket;
    thread->StatusBar = &sink;
    thread->Resume();
  }
  TClientSocket socket;
  RecordingSink sink;
  TPollList list;
  ThreadPtr<TIPCommSrvTh> thread;
};

}  // namespace

// Only a pass in which every connect failed pauses: a refusing meter costs its healthy neighbour
// nothing but the close-to-connect pause, which the healthy meter's own next turn then skips;
// a thread whose meters all refuse pauses once per pass and does not spin. (The healthy twin's
// address is typed as operators pad it.)
TEST(EthernetThreadPacing, ARefusingMeterCostsTheHealthyOnesNothingAndAllRefusingDoesNotSpin) {
  ResetSharedCommState();
  std::array<TMeterRecord, 3> meters;
  ScriptedSlave alone;
  ScriptedSlave beside;
  for (TMeterRecord& meter : meters) SetUpMeter(meter, 1, 1, 1, 0);
  WriteFixedText(meters[0].IpAddress, "127.0.0.1");
  meters[0].TcpPort = alone.StartTcp();
  WriteFixedText(meters[1].IpAddress, "127.000.000.001");
  meters[1].TcpPort = beside.StartTcp();
  WriteFixedText(meters[2].IpAddress, "127.0.0.1");
  meters[2].TcpPort = RefusingPort();
  {
    // Side by side under the same load, pauses at a tenth so that they set the pace: the
    // healthy meter alone, and its twin beside the refusing meter.
    ScopedFastSleep tenth(10);
    EthernetRun single({&meters[0]});
    EthernetRun pair({&meters[1], &meters[2]});
    ASSERT_TRUE(WaitUntil([&] { return alone.RequestCount() >= 30; }, kWaitMs));
  }
  // Before, each refused connect was followed by PollDelay: about half the polls.
  EXPECT_GE(beside.RequestCount() * 10, alone.RequestCount() * 8)
      << beside.RequestCount() << " polls beside the refusing meter, " << alone.RequestCount()
      << " alone";
  EXPECT_TRUE(meters[1].IsOnline());
  EXPECT_EQ(meters[2].FailureCount.load(), 5);

  // Every meter refuses, with real pauses: the process's CPU time over them stays small.
  for (TMeterRecord& meter : meters) meter.TcpPort = meters[2].TcpPort;
  const auto cpuSeconds = [] {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
  };
  const double cpuBefore = cpuSeconds();
  {
    EthernetRun refusing({&meters[0], &meters[1], &meters[2]});
    RealSleepMs(1500);
    EXPECT_GE(refusing.sink.Count(), 3u);
    EXPECT_LE(refusing.sink.Count(), 3u * (1 + 1500 / kStartPollDelayMs + 1));
  }
  EXPECT_LT(cpuSeconds() - cpuBefore, 0.3) << "the thread spun";
  ResetSharedCommState();
}
