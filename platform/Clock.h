#pragma once
// Seams for sleeping, and the system's wall clock. The product uses real sleeps; tests install a
// hook so that nothing waits 2 s per Modbus attempt. Hooks are plain function pointers held in
// atomics (HookSeam of platform/ScopedHook.h): installing one is safe while threads run.
// SetSleepHook returns the hook it replaces. The date and time as a TDateTime, with the clock
// seam that tests replace, is common/Now.h.

#include <ctime>

using SleepHook = void (*)(int milliseconds);

// Sleeps through the installed hook (the real sleep when none is installed).
void SleepMs(int milliseconds);
// Sleeps for real, whatever hook is installed (for short yields and tests' own pacing).
void RealSleepMs(int milliseconds);
// nullptr restores the real sleep.
SleepHook SetSleepHook(SleepHook hook);

// A reading of the system's wall clock: seconds since the epoch and the whole milliseconds of
// that second (0..999).
struct WallClockTime {
  std::time_t Seconds = 0;
  int Milliseconds = 0;
};

// The system's wall clock now (no hook).
WallClockTime ReadWallClock();
