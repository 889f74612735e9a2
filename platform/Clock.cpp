#include "platform/Clock.h"

#include <sys/time.h>

#include <chrono>
#include <thread>

#include "platform/ScopedHook.h"

namespace {
HookSeam<SleepHook> g_sleepHook;
}  // namespace

void RealSleepMs(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SleepMs(int milliseconds) {
  if (SleepHook hook = g_sleepHook.Get()) {
    hook(milliseconds);
    return;
  }
  RealSleepMs(milliseconds);
}

SleepHook SetSleepHook(SleepHook hook) { return g_sleepHook.Set(hook); }

WallClockTime ReadWallClock() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  return {tv.tv_sec, static_cast<int>(tv.tv_usec / 1000)};
}
