#include "platform/Memory.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::atomic<AvailableMemoryHook> g_memoryHook{nullptr};

// MemAvailable of /proc/meminfo, in bytes; 0 when the line is not there.
std::int64_t KernelAvailableBytes() {
  std::ifstream meminfo("/proc/meminfo");
  for (std::string line; std::getline(meminfo, line);) {
    std::istringstream fields(line);
    std::string key;
    std::int64_t kib = 0;
    if (fields >> key >> kib && key == "MemAvailable:") return kib * 1024;
  }
  return 0;
}

}  // namespace

std::int64_t AvailableMemoryBytes() {
  if (AvailableMemoryHook hook = g_memoryHook.load(std::memory_order_acquire)) return hook();
  if (const std::int64_t available = KernelAvailableBytes(); available > 0) return available;
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 ? std::int64_t{pages} * pageSize : 0;
}

void SetAvailableMemoryHook(AvailableMemoryHook hook) {
  g_memoryHook.store(hook, std::memory_order_release);
}
