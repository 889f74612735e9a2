#include "platform/Clock.h"

#include <sys/time.h>

#include <chrono>
#include <thread>

#include "platform/ScopedHook.h"

namespace {
HookSeam<SleepHook> g_sleepHook;
HookSeam<ClockHook> g_clockHook;
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

TDateTime RealNow() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  return DateTimeFromTimeT(tv.tv_sec, static_cast<int>(tv.tv_usec / 1000));
}

TDateTime Now() {
  if (ClockHook hook = g_clockHook.Get()) return hook();
  return RealNow();
}

ClockHook SetClockHook(ClockHook hook) { return g_clockHook.Set(hook); }
