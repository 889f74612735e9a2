// The serial polling thread's hand-back of a set-value request that the requester withdrew while
// the thread was answering it: the next request, posted meanwhile, keeps its value and command.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/Clock.h"
#include "station/comm/CommSrvTh.h"
#include "tests/comm/CommSrvThMeters.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr std::int32_t kPortIndex = 0;
constexpr std::uint8_t kSilentAddress = 9;
constexpr int kWaitMs = 10000;
// Long enough for the test to withdraw and repost while the thread waits for the reply, and
// well within the port's read time-out (80 + 3 x 7 ms).
constexpr int kSlowReplyMs = 60;

const Frame kReadFrame{0x01, 0x03, 0x00, 0x1F, 0x00, 0x01, 0xB5, 0xCC};

TEST(SetValueWithdrawTest, ALateAnswerNeitherOverwritesNorClearsTheRequestPostedSince) {
  ResetSharedCommState();
  ScopedFastSleep fast;
  PtyMeter line({1});
  std::array<TMeterRecord, 1> meters;
  SetUpMeter(meters[0], kSilentAddress, 1, 1, 0);  // polled, never answers
  TPollList list;
  FillPollList(list, meters);
  line.slave.QueueReply(SlaveReply::Late(kSlowReplyMs));  // the first set-value exchange

  ThreadPtr<TCommSrvTh> thread(new TCommSrvTh(true));
  thread->MeterCount = list.Count;
  thread->MeterList = list.Meters;
  thread->PortHandle = line.handle;
  thread->PortIndex = kPortIndex;
  thread->Resume();

  PostSetValueRequest(kSetValueRead, kPortIndex, 1, 0);
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::vector<Frame> requests = line.slave.Requests();
        return std::find(requests.begin(), requests.end(), kReadFrame) != requests.end();
      },
      kWaitMs));
  // The thread now waits for the slow reply: withdraw the read and post a write.
  SetValueRequest.Command.store(kSetValueIdle, std::memory_order_release);
  PostSetValueRequest(kSetValueWrite, kPortIndex, 1, 100);

  ASSERT_TRUE(WaitUntil([&] { return line.slave.Holding(1, SetValueRegister) == 100; }, kWaitMs));
  ASSERT_TRUE(WaitUntil([] { return SetValueRequest.Command.load() == kSetValueIdle; }, kWaitMs));
  EXPECT_EQ(SetValueRequest.Result.load(), 1);
  thread.reset();
  ResetSharedCommState();
}

}  // namespace
