#include "platform/Clock.h"

#include <sys/time.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<SleepHook> g_sleepHook{nullptr};
}  // namespace

void RealSleepMs(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SleepMs(int milliseconds) {
  if (SleepHook hook = g_sleepHook.load(std::memory_order_acquire)) {
    hook(milliseconds);
    return;
  }
  RealSleepMs(milliseconds);
}

void SetSleepHook(SleepHook hook) { g_sleepHook.store(hook, std::memory_order_release); }

WallClockTime ReadWallClock() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  return {tv.tv_sec, static_cast<int>(tv.tv_usec / 1000)};
}
