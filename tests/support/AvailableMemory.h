#pragma once
// The memory seam for tests: while a ScopedAvailableMemory lives, the process has `bytes` of
// memory available as AvailableMemoryBytes (platform/Memory.h) tells it; the figure before it
// comes back when it goes.

#include <cstdint>

#include "platform/Memory.h"
#include "platform/ScopedHook.h"

class ScopedAvailableMemory {
 public:
  explicit ScopedAvailableMemory(std::int64_t bytes) : hook_([] { return bytes_; }) {
    bytes_ = bytes;
  }

 private:
  static inline std::int64_t bytes_ = 0;
  ScopedHook<AvailableMemoryHook, &SetAvailableMemoryHook> hook_;
};
