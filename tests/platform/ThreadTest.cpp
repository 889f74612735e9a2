// The thread base: suspended creation, destruction of running and never-started threads, the
// Finished flag, and the raised priority.

#include "platform/Thread.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "platform/Clock.h"
#include "tests/support/TestSupport.h"

namespace {

int CurrentThreadNice() {
  return getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
}

// Whether this process may lower a thread's nice value below its present one.
bool MayRaisePriority() {
  bool allowed = false;
  std::thread probe([&] {
    const id_t tid = static_cast<id_t>(syscall(SYS_gettid));
    allowed = setpriority(PRIO_PROCESS, tid, CurrentThreadNice() - 1) == 0;
  });
  probe.join();
  return allowed;
}

// Counts its turns until terminated; remembers what it saw.
class CountingThread : public TThread {
 public:
  std::atomic<int> turns{0};
  std::atomic<bool> started{false};
  std::atomic<bool> sawTerminatedAtStart{false};
  std::atomic<int> nice{0};

 protected:
  void Execute() override {
    nice.store(CurrentThreadNice());
    sawTerminatedAtStart.store(Terminated());
    started.store(true);
    while (!Terminated()) {
      turns.fetch_add(1);
      RealSleepMs(1);
    }
  }
};

// Runs until the test opens its gate, whatever Terminated says.
class GatedThread : public TThread {
 public:
  std::atomic<bool> gateOpen{false};

 protected:
  void Execute() override {
    while (!gateOpen.load()) RealSleepMs(1);
  }
};

}  // namespace

TEST(ThreadLifecycle, CreatedSuspendedRunsNothingUntilResumed) {
  ThreadPtr<CountingThread> thread(new CountingThread);
  RealSleepMs(50);
  EXPECT_FALSE(thread->started.load());
  EXPECT_FALSE(thread->Finished());

  thread->Resume();
  EXPECT_TRUE(WaitUntil([&] { return thread->turns.load() > 0; }));
  EXPECT_FALSE(thread->sawTerminatedAtStart.load());
  thread->Resume();  // a second Resume changes nothing
  EXPECT_FALSE(thread->Finished());
}

TEST(ThreadLifecycle, DestroyingANeverResumedThreadLetsExecuteSeeTerminated) {
  // Execute runs once, sees Terminated at its first look and returns; the object is then freed.
  std::atomic<int> turns{-1};
  std::atomic<bool> sawTerminated{false};
  class Reporting : public CountingThread {
   public:
    Reporting(std::atomic<int>& turns, std::atomic<bool>& saw) : turns_(turns), saw_(saw) {}
    ~Reporting() override {
      turns_.store(turns.load());
      saw_.store(sawTerminatedAtStart.load());
    }

   private:
    std::atomic<int>& turns_;
    std::atomic<bool>& saw_;
  };
  DestroyThread(new Reporting(turns, sawTerminated));
  EXPECT_EQ(turns.load(), 0);
  EXPECT_TRUE(sawTerminated.load());
  DestroyThread(nullptr);  // nothing to end
}

TEST(ThreadLifecycle, FinishedOnlyOnceExecuteHasReturned) {
  ThreadPtr<GatedThread> thread(new GatedThread);
  thread->Resume();
  thread->Terminate();  // Terminate alone does not end a thread that does not look at it
  RealSleepMs(30);
  EXPECT_FALSE(thread->Finished());
  thread->gateOpen.store(true);
  thread->WaitFor();
  EXPECT_TRUE(thread->Finished());
}

TEST(ThreadLifecycle, AnExceptionFromExecuteEndsOnlyTheThread) {
  class Failing : public TThread {
   protected:
    void Execute() override { throw std::runtime_error("device gone"); }
  };
  ThreadPtr<Failing> thread(new Failing);
  thread->Resume();
  ASSERT_TRUE(WaitUntil([&] { return thread->Finished(); }));
  ASSERT_TRUE(thread->FatalException());
  try {
    std::rethrow_exception(thread->FatalException());
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "device gone");
  }
}

TEST(ThreadPriority, HigherIsOneStepAboveTheCreatorWhereAllowed) {
  const bool allowed = MayRaisePriority();
  const int creatorNice = CurrentThreadNice();
  ThreadPtr<CountingThread> thread(new CountingThread);
  thread->SetPriority(ThreadPriority::Higher);
  thread->Resume();
  ASSERT_TRUE(WaitUntil([&] { return thread->started.load(); }));
  EXPECT_EQ(thread->nice.load(), allowed ? creatorNice - 1 : creatorNice);
}

// Without the right to raise priority (an ordinary user), a Higher thread still runs, at the
// priority it had.
TEST(ThreadPriorityDeathTest, HigherStillRunsWhereTheSystemRefusesIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (geteuid() == 0 && setuid(65534) != 0) std::_Exit(2);
        const int creatorNice = CurrentThreadNice();
        if (setpriority(PRIO_PROCESS, 0, creatorNice - 1) == 0) std::_Exit(3);  // still allowed
        auto* thread = new CountingThread;
        thread->SetPriority(ThreadPriority::Higher);
        thread->Resume();
        if (!WaitUntil([&] { return thread->turns.load() > 0; })) std::_Exit(4);
        const int nice = thread->nice.load();
        DestroyThread(thread);
        std::_Exit(nice == creatorNice ? 0 : 5);
      },
      testing::ExitedWithCode(0), "");
}
