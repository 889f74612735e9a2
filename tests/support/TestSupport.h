#pragma once
// Shared helpers for the test suites: a temporary directory, and scoped seams for sleeping and
// for the clock.

#include <atomic>
#include <random>
#include <string>

#include "common/DateTime.h"
#include "platform/Clock.h"
#include "platform/ScopedHook.h"

// A fresh directory under /tmp, removed with its contents when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  // Path + "/" + relative (forward slashes).
  std::string File(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// While it lives, SleepMs(ms) sleeps ms / divisor for real (at least 1 ms for a positive ms) and
// counts the requested milliseconds, so the product's 300 ms / 2000 ms pauses stay what they are
// while the suite runs fast.
class ScopedFastSleep {
 public:
  explicit ScopedFastSleep(int divisor = 100);
  // Sum and number of the pauses requested through SleepMs since construction.
  static long long RequestedMs();
  static long long Calls();
  // The last pause requested.
  static int LastRequestedMs();

 private:
  ScopedHook<SleepHook, &SetSleepHook> hook_;
};

// While it lives, Now() returns the time set here.
class ScopedFakeClock {
 public:
  explicit ScopedFakeClock(TDateTime start);
  void Set(TDateTime now);
  void AdvanceSeconds(double seconds);
  TDateTime Get() const;

 private:
  ScopedHook<ClockHook, &SetClockHook> hook_;
};

// Ends the test process with a failure, naming `what`, when it still lives `seconds` after it
// was made: a call that waits for good (an open() on a named pipe, for one) fails its test
// instead of holding the run until the suite's time-out.
class ScopedHangGuard {
 public:
  ScopedHangGuard(std::string what, int seconds = 20);
  ~ScopedHangGuard();
  ScopedHangGuard(const ScopedHangGuard&) = delete;
  ScopedHangGuard& operator=(const ScopedHangGuard&) = delete;

 private:
  struct State;
  State* state_;
};

// Makes a named pipe at `path` (nobody at either end).
void MakeNamedPipe(const std::string& path);
// True when some process has the named pipe at `path` open for reading (a reader that would
// wait in open() or read() for a writer).
bool NamedPipeHasReader(const std::string& path);

// A whole file's bytes (empty when it cannot be read), and a file made of exactly these bytes.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// `length` bytes of any value, drawn from `random` (the damaged-input tests seed it, so every run
// sees the same bytes).
std::string RandomBytes(std::mt19937& random, std::size_t length);

// A copy of a field of a packed record (meter and channel records). The assertion macros take
// their operands by reference, and a reference to a packed multi-byte field may be misaligned.
template <class T>
constexpr T FieldValue(T field) {
  return field;
}

// Polls `condition` every few ms until it holds or `timeoutMs` passes; returns its last value.
template <class Condition>
bool WaitUntil(Condition condition, int timeoutMs = 5000);

// ---- implementation of the template ----
void TestSleepBriefly();
long long TestMonotonicMs();
template <class Condition>
bool WaitUntil(Condition condition, int timeoutMs) {
  const long long deadline = TestMonotonicMs() + timeoutMs;
  while (!condition()) {
    if (TestMonotonicMs() > deadline) return condition();
    TestSleepBriefly();
  }
  return true;
}
