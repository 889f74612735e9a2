#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <fstream>
#include <iterator>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "platform/Clock.h"

namespace {

std::atomic<int> g_divisor{100};
std::atomic<long long> g_requestedMs{0};
std::atomic<long long> g_calls{0};
std::atomic<int> g_lastMs{0};

void FastSleep(int ms) {
  g_requestedMs.fetch_add(ms, std::memory_order_relaxed);
  g_calls.fetch_add(1, std::memory_order_relaxed);
  g_lastMs.store(ms, std::memory_order_relaxed);
  if (ms <= 0) return;
  const int real = std::max(1, ms / g_divisor.load(std::memory_order_relaxed));
  RealSleepMs(real);
}

// The counts start afresh before the fast sleep is installed.
SleepHook StartFastSleep(int divisor) {
  g_divisor.store(divisor < 1 ? 1 : divisor);
  g_requestedMs.store(0);
  g_calls.store(0);
  g_lastMs.store(0);
  return &FastSleep;
}

std::atomic<long long> g_fakeNowMs{0};

TDateTime FakeNow() { return MsToDateTime(g_fakeNowMs.load(std::memory_order_relaxed)); }

// The fake time is set before the fake clock is installed.
ClockHook StartFakeClock(TDateTime start) {
  g_fakeNowMs.store(DateTimeToMs(start));
  return &FakeNow;
}

}  // namespace

TempDir::TempDir() {
  char pattern[] = "/tmp/tavrin-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = made;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

struct ScopedHangGuard::State {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::thread watcher;
};

ScopedHangGuard::ScopedHangGuard(std::string what, int seconds) : state_(new State) {
  state_->watcher = std::thread([state = state_, what = std::move(what), seconds] {
    std::unique_lock<std::mutex> lock(state->mutex);
    const auto finished = [&] { return state->finished; };
    if (state->done.wait_for(lock, std::chrono::seconds(seconds), finished)) return;
    std::fprintf(stderr, "FAILED: %s did not return within %d s\n", what.c_str(), seconds);
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
  });
}

ScopedHangGuard::~ScopedHangGuard() {
  {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->finished = true;
  }
  state_->done.notify_one();
  state_->watcher.join();
  delete state_;
}

void MakeNamedPipe(const std::string& path) {
  if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed: " + path);
}

bool NamedPipeHasReader(const std::string& path) {
  // A write end opened without waiting opens only when a reader is there.
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno != ENXIO;
  ::close(fd);
  return true;
}

ScopedFastSleep::ScopedFastSleep(int divisor) : hook_(StartFastSleep(divisor)) {}

long long ScopedFastSleep::RequestedMs() { return g_requestedMs.load(); }
long long ScopedFastSleep::Calls() { return g_calls.load(); }
int ScopedFastSleep::LastRequestedMs() { return g_lastMs.load(); }

ScopedFakeClock::ScopedFakeClock(TDateTime start) : hook_(StartFakeClock(start)) {}

void ScopedFakeClock::Set(TDateTime now) { g_fakeNowMs.store(DateTimeToMs(now)); }

void ScopedFakeClock::AdvanceSeconds(double seconds) {
  g_fakeNowMs.fetch_add(static_cast<long long>(seconds * 1000.0));
}

TDateTime ScopedFakeClock::Get() const { return FakeNow(); }

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string RandomBytes(std::mt19937& random, std::size_t length) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::string bytes(length, '\0');
  for (char& b : bytes) b = static_cast<char>(byte(random));
  return bytes;
}

void TestSleepBriefly() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

long long TestMonotonicMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
