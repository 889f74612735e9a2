#include "common/Now.h"

#include <atomic>

#include "platform/Clock.h"

namespace {
std::atomic<ClockHook> g_clockHook{nullptr};
}  // namespace

TDateTime RealNow() {
  const WallClockTime now = ReadWallClock();
  return DateTimeFromTimeT(now.Seconds, now.Milliseconds);
}

TDateTime Now() {
  if (ClockHook hook = g_clockHook.load(std::memory_order_acquire)) return hook();
  return RealNow();
}

void SetClockHook(ClockHook hook) { g_clockHook.store(hook, std::memory_order_release); }
