#pragma once
// The memory seam for tests: while a ScopedAvailableMemory lives, the process has `bytes` of
// memory available as AvailableMemoryBytes (platform/Memory.h) tells it.

#include <cstdint>

#include "platform/Memory.h"

class ScopedAvailableMemory {
 public:
  explicit ScopedAvailableMemory(std::int64_t bytes) {
    bytes_ = bytes;
    SetAvailableMemoryHook([] { return bytes_; });
  }
  ~ScopedAvailableMemory() { SetAvailableMemoryHook(nullptr); }
  ScopedAvailableMemory(const ScopedAvailableMemory&) = delete;
  ScopedAvailableMemory& operator=(const ScopedAvailableMemory&) = delete;

 private:
  static inline std::int64_t bytes_ = 0;
};
