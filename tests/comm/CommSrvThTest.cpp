// The serial polling thread over a real pty with the scripted slave: poll order, unusable port
// handles, set-value requests for this and for another port, and the poll pause.

#include "station/comm/CommSrvTh.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "tests/comm/CommSrvThMeters.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr std::int32_t kPortIndex = 2;  // COM3
constexpr std::uint8_t kUnservedAddress = 9;
constexpr int kWaitMs = 10000;

const Frame kSetValueReadFrame{0x01, 0x03, 0x00, 0x1F, 0x00, 0x01, 0xB5, 0xCC};
const Frame kSetValueWrite100Frame{0x01, 0x06, 0x00, 0x1F, 0x00, 0x64, 0xB9, 0xE7};

class SerialThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSharedCommState();
    ASSERT_NE(handle_, kComInvalid);
    SetUpMeter(meters_[0], 1, 2, 1, 100);  // fc 3
    SetUpMeter(meters_[1], 2, 2, 0, 200);  // fc 4
    SetUpMeter(meters_[2], 3, 1, 1, 300);  // fc 3
    slave_.SetHoldingBlock(1, 100, {10, 0xFFFF});
    slave_.SetInputBlock(2, 200, {20, 21});
    slave_.SetHolding(3, 300, 0x8000);
  }
  void TearDown() override {
    thread_.reset();
    ResetSharedCommState();
  }

  void Start(int meterCount, ComHandle handle) {
    FillPollList(list_, meters_, meterCount);
    thread_.reset(new TCommSrvTh(true));
    thread_->MeterCount = list_.Count;
    thread_->MeterList = list_.Meters;
    thread_->PortHandle = handle;
    thread_->PortIndex = kPortIndex;
    thread_->SetPriority(ThreadPriority::Higher);
    thread_->Resume();
  }
  void StartAll() { Start(3, handle_); }
  // One meter that never answers: each of its polls is exactly 3 request frames.
  void StartWithSilentMeter() {
    SetUpMeter(meters_[0], kUnservedAddress, 1, 1, 0);
    Start(1, handle_);
  }
  // The answer to request `sequence`, once it has come (nothing after kWaitMs).
  std::optional<SetValueAnswer> AwaitAnswer(std::uint32_t sequence) {
    WaitUntil([&] { return SetValueRequest.AnswerTo(sequence).has_value(); }, kWaitMs);
    return SetValueRequest.AnswerTo(sequence);
  }

  ScopedFastSleep fast_;
  PtyMeter line_{{1, 2, 3}};
  ScriptedSlave& slave_ = line_.slave;
  const ComHandle handle_ = line_.handle;
  std::array<TMeterRecord, 3> meters_;
  TPollList list_;
  ThreadPtr<TCommSrvTh> thread_;
};

}  // namespace

TEST_F(SerialThreadTest, PollsTheMetersInListOrderAndWraps) {
  StartAll();
  ASSERT_TRUE(slave_.WaitForRequests(7, kWaitMs));
  const std::vector<Frame> requests = slave_.Requests();
  for (int n = 0; n < 7; ++n) {
    EXPECT_EQ(requests[n], PollRequestFor(meters_[n % 3])) << "request " << n;
  }
  // Every meter has had a good poll before the fourth request went out.
  EXPECT_EQ(meters_[0].Value(0), 10.0f);
  EXPECT_EQ(meters_[0].Value(1), -1.0f);
  EXPECT_EQ(meters_[1].Value(0), 20.0f);
  EXPECT_EQ(meters_[1].Value(1), 21.0f);
  EXPECT_EQ(meters_[2].Value(0), -32768.0f);
  for (const TMeterRecord& meter : meters_) EXPECT_TRUE(meter.IsOnline());
}

TEST_F(SerialThreadTest, ANewThreadOverTheSameListStartsAtTheFirstMeter) {
  StartAll();
  ASSERT_TRUE(slave_.WaitForRequests(2, kWaitMs));
  thread_.reset();  // stopped in the middle of the list
  slave_.ClearRequests();

  StartAll();
  ASSERT_TRUE(slave_.WaitForRequests(4, kWaitMs));
  const std::vector<std::uint8_t> addresses = AddressesOf(slave_.Requests());
  EXPECT_EQ(std::vector<std::uint8_t>(addresses.begin(), addresses.begin() + 4),
            (std::vector<std::uint8_t>{1, 2, 3, 1}));
}

TEST_F(SerialThreadTest, FiveFailedPollsInARowSetAMeterOffline) {
  SetUpMeter(meters_[0], kUnservedAddress, 1, 1, 0);
  meters_[0].Online.store(1);
  Start(2, handle_);
  ASSERT_TRUE(WaitUntil([&] { return !meters_[0].IsOnline(); }, kWaitMs));
  EXPECT_EQ(meters_[0].FailureCount.load(), 5);
  // The meter that answers is polled in between, and stays online.
  EXPECT_TRUE(meters_[1].IsOnline());
  EXPECT_GE(slave_.RequestCount(), 5u * 3u + 4u);
}

TEST_F(SerialThreadTest, PollDelayBecomes2000OnceASerialThreadHasPolled) {
  EXPECT_EQ(PollDelay.load(), kStartPollDelayMs);
  StartAll();
  ASSERT_TRUE(slave_.WaitForRequests(1, kWaitMs));
  EXPECT_EQ(PollDelay.load(), kSerialPollDelayMs);
  // Even the first attempt of the first poll paused 2000 ms.
  ASSERT_TRUE(slave_.WaitForRequests(4, kWaitMs));
  thread_.reset();
  EXPECT_EQ(ScopedFastSleep::RequestedMs(), ScopedFastSleep::Calls() * kSerialPollDelayMs);
}

TEST_F(SerialThreadTest, NoListOrNoMetersEndsTheThreadWithoutPolling) {
  Start(0, handle_);
  ASSERT_TRUE(WaitUntil([&] { return thread_->Finished(); }));

  thread_.reset(new TCommSrvTh(true));
  thread_->MeterCount = 3;  // and no list
  thread_->PortHandle = handle_;
  thread_->Resume();
  ASSERT_TRUE(WaitUntil([&] { return thread_->Finished(); }));
  RealSleepMs(50);
  EXPECT_EQ(slave_.RequestCount(), 0u);
  EXPECT_EQ(PollDelay.load(), kStartPollDelayMs);
}

// ---- unusable port handles ----

enum class BadHandle { NeverOpened, OpenFailed, Closed };

std::string BadHandleName(const testing::TestParamInfo<BadHandle>& info) {
  switch (info.param) {
    case BadHandle::NeverOpened: return "NeverOpened";
    case BadHandle::OpenFailed: return "OpenFailed";
    case BadHandle::Closed: return "Closed";
  }
  return "?";
}

class SerialThreadBadHandleTest : public SerialThreadTest,
                                  public testing::WithParamInterface<BadHandle> {};

TEST_P(SerialThreadBadHandleTest, SetsEveryMeterOfflineEndsAndSendsNothing) {
  ComHandle handle = kComNeverOpened;
  if (GetParam() == BadHandle::OpenFailed) handle = kComInvalid;
  if (GetParam() == BadHandle::Closed) {
    handle = handle_;
    CloseComHandle(handle_);  // a handle that named a port once
  }
  for (TMeterRecord& meter : meters_) meter.Online.store(1);
  Start(3, handle);
  ASSERT_TRUE(WaitUntil([&] { return thread_->Finished(); }));
  EXPECT_TRUE(thread_->Terminated());
  for (const TMeterRecord& meter : meters_) EXPECT_FALSE(meter.IsOnline());
  RealSleepMs(50);
  EXPECT_EQ(slave_.RequestCount(), 0u);
  EXPECT_EQ(PollDelay.load(), kStartPollDelayMs);
}

INSTANTIATE_TEST_SUITE_P(Handles, SerialThreadBadHandleTest,
                         testing::Values(BadHandle::NeverOpened, BadHandle::OpenFailed,
                                         BadHandle::Closed),
                         BadHandleName);

// ---- set-value requests ----

TEST_F(SerialThreadTest, SetValueReadIsAnsweredBetweenTwoPolls) {
  slave_.SetHolding(1, SetValueRegister, 0xFF38);  // -200
  StartWithSilentMeter();
  ASSERT_TRUE(slave_.WaitForRequests(2, kWaitMs));  // inside the first poll
  const std::uint32_t request = PostSetValueRequest(kSetValueRead, kPortIndex, 1, 12345);
  const std::optional<SetValueAnswer> answer = AwaitAnswer(request);
  ASSERT_TRUE(answer);
  // The answer came with its result and the register, and the request is over.
  EXPECT_TRUE(answer->done);
  EXPECT_EQ(answer->value, -200);
  EXPECT_FALSE(SetValueRequest.Pending());

  ASSERT_TRUE(slave_.WaitForRequests(8, kWaitMs));
  const std::vector<Frame> requests = slave_.Requests();
  const long at = IndexOf(requests, kSetValueReadFrame);
  ASSERT_GE(at, 3) << "the request must wait for the poll in progress";
  EXPECT_EQ(at % 3, 0) << "the request went out in the middle of a poll";
  EXPECT_EQ(requests[at + 1], PollRequestFor(meters_[0]));  // polling goes on
}

TEST_F(SerialThreadTest, SetValueWriteSendsTheValueAndReportsSuccess) {
  StartWithSilentMeter();
  ASSERT_TRUE(slave_.WaitForRequests(1, kWaitMs));
  const std::uint32_t request = PostSetValueRequest(kSetValueWrite, kPortIndex, 1, 100);
  const std::optional<SetValueAnswer> answer = AwaitAnswer(request);
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->done);
  EXPECT_EQ(slave_.Holding(1, SetValueRegister), 100);
  const long at = IndexOf(slave_.Requests(), kSetValueWrite100Frame);
  ASSERT_GE(at, 0);
  EXPECT_EQ(at % 3, 0);
}

TEST_F(SerialThreadTest, SetValueExchangeThatFailsReportsFailure) {
  StartAll();
  ASSERT_TRUE(slave_.WaitForRequests(1, kWaitMs));
  const std::uint32_t request =
      PostSetValueRequest(kSetValueRead, kPortIndex, kUnservedAddress, 77);
  const std::optional<SetValueAnswer> answer = AwaitAnswer(request);
  ASSERT_TRUE(answer);
  EXPECT_FALSE(answer->done);
  EXPECT_EQ(answer->value, 77);  // a failed read leaves the value alone
  Frame read{kUnservedAddress, 0x03, 0x00, 0x1F, 0x00, 0x01};
  AppendSlaveCrc(read);
  const std::vector<Frame> requests = slave_.Requests();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), read), 3);
}

TEST_F(SerialThreadTest, ARequestForAnotherPortHoldsPollingUntilWithdrawn) {
  StartAll();
  ASSERT_TRUE(slave_.WaitForRequests(2, kWaitMs));
  const std::uint32_t request = PostSetValueRequest(kSetValueRead, kPortIndex + 1, 1, 0);
  RealSleepMs(300);  // the poll in progress ends
  const std::size_t held = slave_.RequestCount();
  RealSleepMs(300);
  EXPECT_EQ(slave_.RequestCount(), held);
  // Not this thread's to answer: still pending, unanswered.
  ASSERT_TRUE(SetValueRequest.Pending());
  EXPECT_EQ(SetValueRequest.Pending()->sequence, request);
  EXPECT_FALSE(SetValueRequest.AnswerTo(request));

  ASSERT_TRUE(SetValueRequest.Withdraw(request));
  ASSERT_TRUE(slave_.WaitForRequests(held + 3, kWaitMs));
  const std::vector<std::uint8_t> addresses = AddressesOf(slave_.Requests());
  for (std::size_t n = 0; n < held + 3; ++n) {
    EXPECT_EQ(addresses[n], n % 3 + 1) << "polling resumes where it stopped";
  }
}
