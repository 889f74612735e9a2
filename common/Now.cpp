#include "common/Now.h"

#include "platform/Clock.h"
#include "platform/ScopedHook.h"

namespace {
HookSeam<ClockHook> g_clockHook;
}  // namespace

TDateTime RealNow() {
  const WallClockTime now = ReadWallClock();
  return DateTimeFromTimeT(now.Seconds, now.Milliseconds);
}

TDateTime Now() {
  if (ClockHook hook = g_clockHook.Get()) return hook();
  return RealNow();
}

ClockHook SetClockHook(ClockHook hook) { return g_clockHook.Set(hook); }
