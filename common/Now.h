#pragma once
// The clock seam: the local date and time as a TDateTime. The product uses the real clock; tests
// install a hook so that ticks can be given any time. The hook is a plain function pointer held
// in an atomic (HookSeam of platform/ScopedHook.h): installing one is safe while threads run.

#include "common/DateTime.h"

using ClockHook = TDateTime (*)();

// The local date and time as a TDateTime, through the installed hook.
TDateTime Now();
// The real local date and time, whatever hook is installed.
TDateTime RealNow();
// nullptr restores the real clock. Returns the hook it replaces.
ClockHook SetClockHook(ClockHook hook);
