#pragma once
// Seams for the clock and for sleeping. The product uses the real clock and real sleeps; tests
// install hooks so that nothing waits 2 s per Modbus attempt and ticks can be given any time.
// Hooks are plain function pointers held in atomics (HookSeam of platform/ScopedHook.h):
// installing one is safe while threads run. Each Set*Hook returns the hook it replaces.

#include "common/DateTime.h"

using SleepHook = void (*)(int milliseconds);
using ClockHook = TDateTime (*)();

// Sleeps through the installed hook (the real sleep when none is installed).
void SleepMs(int milliseconds);
// Sleeps for real, whatever hook is installed (for short yields and tests' own pacing).
void RealSleepMs(int milliseconds);
// nullptr restores the real sleep.
SleepHook SetSleepHook(SleepHook hook);

// The local date and time as a TDateTime, through the installed hook.
TDateTime Now();
// The real local date and time, whatever hook is installed.
TDateTime RealNow();
// nullptr restores the real clock.
ClockHook SetClockHook(ClockHook hook);
