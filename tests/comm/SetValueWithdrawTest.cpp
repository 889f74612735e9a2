// Set-value requests that the requester withdraws: the mailbox's rules on their own, and the
// serial polling thread answering a request that was withdrawn while its exchange ran, over a
// pty with a slow meter and over an in-memory port that holds the reply back until the test has
// withdrawn the request and posted the next one.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Clock.h"
#include "station/comm/CommSrvTh.h"
#include "tests/comm/CommSrvThMeters.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/support/ReplayLink.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr std::int32_t kPortIndex = 0;
constexpr std::uint8_t kSilentAddress = 9;
constexpr int kWaitMs = 10000;
// Long enough for the test to withdraw and repost while the thread waits for the reply, and
// well within the port's read time-out (80 + 3 x 7 ms).
constexpr int kSlowReplyMs = 60;

const Frame kReadFrame{0x01, 0x03, 0x00, 0x1F, 0x00, 0x01, 0xB5, 0xCC};

TEST(SetValueMailbox, AnAnswerIsTakenOnlyByThePendingRequestItNames) {
  TSetValueRequest box;
  SetValueTarget target;
  target.port = 2;
  target.slaveAddress = 7;
  box.Select(target);
  const std::uint32_t first = box.Post(kSetValueRead);
  ASSERT_TRUE(box.Pending());
  EXPECT_EQ(box.Pending()->sequence, first);
  EXPECT_EQ(box.Pending()->port, 2);
  EXPECT_EQ(box.Pending()->slaveAddress, 7);

  // Withdrawn: nothing is pending, and its answer is dropped.
  EXPECT_TRUE(box.Withdraw(first));
  EXPECT_FALSE(box.Pending());
  EXPECT_FALSE(box.TryAnswer(first, {true, 111}));
  EXPECT_FALSE(box.AnswerTo(first));

  // Replaced by a newer request: the older one's answer is dropped, the newer stays pending.
  const std::uint32_t second = box.Post(kSetValueWrite, -5);
  EXPECT_EQ(box.Pending()->command, kSetValueWrite);
  EXPECT_EQ(box.Pending()->value, -5);
  const std::uint32_t third = box.Post(kSetValueRead);
  EXPECT_NE(second, third);
  EXPECT_FALSE(box.TryAnswer(second, {true, -5}));
  ASSERT_TRUE(box.Pending());
  EXPECT_EQ(box.Pending()->sequence, third);

  // Answered: the request is over, its answer stays, a withdrawal comes too late and a second
  // answer is dropped.
  EXPECT_TRUE(box.TryAnswer(third, {true, 222}));
  EXPECT_FALSE(box.Pending());
  EXPECT_FALSE(box.Withdraw(third));
  EXPECT_FALSE(box.TryAnswer(third, {false, 0}));
  ASSERT_TRUE(box.AnswerTo(third));
  EXPECT_TRUE(box.AnswerTo(third)->done);
  EXPECT_EQ(box.AnswerTo(third)->value, 222);
  EXPECT_FALSE(box.AnswerTo(second));
}

// Starts the serial polling thread of kPortIndex over `handle` with one meter that never
// answers.
ThreadPtr<TCommSrvTh> StartSilentMeterThread(ComHandle handle, std::array<TMeterRecord, 1>& meters,
                                             TPollList& list) {
  SetUpMeter(meters[0], kSilentAddress, 1, 1, 0);
  FillPollList(list, meters);
  ThreadPtr<TCommSrvTh> thread(new TCommSrvTh(true));
  thread->MeterCount = list.Count;
  thread->MeterList = list.Meters;
  thread->PortHandle = handle;
  thread->PortIndex = kPortIndex;
  thread->Resume();
  return thread;
}

TEST(SetValueWithdrawTest, ALateAnswerNeitherOverwritesNorClearsTheRequestPostedSince) {
  ResetSharedCommState();
  ScopedFastSleep fast;
  PtyMeter line({1});
  std::array<TMeterRecord, 1> meters;
  TPollList list;
  line.slave.QueueReply(SlaveReply::Late(kSlowReplyMs));  // the first set-value exchange
  ThreadPtr<TCommSrvTh> thread = StartSilentMeterThread(line.handle, meters, list);

  const std::uint32_t read = PostSetValueRequest(kSetValueRead, kPortIndex, 1, 0);
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::vector<Frame> requests = line.slave.Requests();
        return std::find(requests.begin(), requests.end(), kReadFrame) != requests.end();
      },
      kWaitMs));
  // The thread now waits for the slow reply: withdraw the read and post a write.
  ASSERT_TRUE(SetValueRequest.Withdraw(read));
  const std::uint32_t write = PostSetValueRequest(kSetValueWrite, kPortIndex, 1, 100);

  ASSERT_TRUE(WaitUntil([&] { return line.slave.Holding(1, SetValueRegister) == 100; }, kWaitMs));
  ASSERT_TRUE(WaitUntil([&] { return SetValueRequest.AnswerTo(write).has_value(); }, kWaitMs));
  EXPECT_TRUE(SetValueRequest.AnswerTo(write)->done);
  EXPECT_FALSE(SetValueRequest.AnswerTo(read));
  thread.reset();
  ResetSharedCommState();
}

// Holds the meter's reply to the first set-value read until the test releases it.
class HeldFirstRead {
 public:
  // The meter's part: silent to polls; the first read is answered 111 once released, every later
  // one 222.
  Frame Respond(const Frame& request) {
    if (request != kReadFrame) return {};
    std::unique_lock lock(mutex_);
    if (++reads_ > 1) return ReadReply(1, kFcReadHolding, {222});
    changed_.notify_all();
    changed_.wait(lock, [&] { return released_; });
    return ReadReply(1, kFcReadHolding, {111});
  }
  bool AwaitFirstRead() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(kWaitMs), [&] { return reads_ > 0; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  int Reads() {
    std::lock_guard lock(mutex_);
    return reads_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int reads_ = 0;
  bool released_ = false;
};

class SetValueRaceTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSharedCommState();
    auto port = std::make_unique<ReplayLink>();
    port->SetResponder([this](const Frame& request) { return held_.Respond(request); });
    handle_ = RegisterComPort(std::move(port));
  }
  void TearDown() override {
    held_.Release();  // a thread held in the exchange must be able to end
    thread_.reset();
    CloseComHandle(handle_);
    ResetSharedCommState();
  }

  ScopedFastSleep fast_;
  HeldFirstRead held_;
  ComHandle handle_ = kComInvalid;
  std::array<TMeterRecord, 1> meters_;
  TPollList list_;
  ThreadPtr<TCommSrvTh> thread_;
};

// Before requests carried numbers, a read posted while the withdrawn read's exchange still ran
// could not be told from it, and would have taken its answer.
TEST_F(SetValueRaceTest, TheAnswerToAWithdrawnReadIsDroppedThoughAnotherReadWasPostedMeanwhile) {
  thread_ = StartSilentMeterThread(handle_, meters_, list_);
  const std::uint32_t first = PostSetValueRequest(kSetValueRead, kPortIndex, 1, 0);
  ASSERT_TRUE(held_.AwaitFirstRead());
  // The thread is inside the first read's exchange.
  ASSERT_TRUE(SetValueRequest.Withdraw(first));
  const std::uint32_t second = PostSetValueRequest(kSetValueRead, kPortIndex, 1, 0);
  held_.Release();

  ASSERT_TRUE(WaitUntil([&] { return SetValueRequest.AnswerTo(second).has_value(); }, kWaitMs));
  const SetValueAnswer answer = *SetValueRequest.AnswerTo(second);
  EXPECT_TRUE(answer.done);
  EXPECT_EQ(answer.value, 222) << "the second read took the first one's answer";
  EXPECT_FALSE(SetValueRequest.AnswerTo(first));
  EXPECT_EQ(held_.Reads(), 2);
  EXPECT_FALSE(SetValueRequest.Pending());
}

}  // namespace
