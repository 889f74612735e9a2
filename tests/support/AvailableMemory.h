#pragma once
// The memory seam for tests: while a ScopedAvailableMemory lives, the process has `bytes` of
// memory available as AvailableMemoryBytes (platform/Memory.h) tells it; the figure before it
// comes back when it goes, also when scopes nest.

#include <cstdint>
#include <utility>

#include "platform/Memory.h"
#include "platform/ScopedHook.h"

class ScopedAvailableMemory {
 public:
  explicit ScopedAvailableMemory(std::int64_t bytes)
      : previous_(std::exchange(bytes_, bytes)), hook_([] { return bytes_; }) {}
  ~ScopedAvailableMemory() { bytes_ = previous_; }
  ScopedAvailableMemory(const ScopedAvailableMemory&) = delete;
  ScopedAvailableMemory& operator=(const ScopedAvailableMemory&) = delete;

 private:
  // The figure that the installed hook answers; one hook serves every scope.
  static inline std::int64_t bytes_ = 0;
  std::int64_t previous_;
  ScopedHook<AvailableMemoryHook, &SetAvailableMemoryHook> hook_;
};
