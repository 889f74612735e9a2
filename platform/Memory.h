#pragma once
// How much memory the program can still take: what the history viewer checks before it reads a
// long time window, rather than failing half-way through (or being ended by the system) when
// the values do not fit. A seam like the clock: tests install a figure of their own. The hook is
// a plain function pointer held in an atomic (HookSeam of platform/ScopedHook.h).

#include <cstdint>
#include <string>

using AvailableMemoryHook = std::int64_t (*)();

// The memory the program can still take without swapping or failing, in bytes: the least of
// what the system can still give (the kernel's estimate of available memory, MemAvailable, else
// its free memory) and what the limits set on the process leave (ProcessLimitHeadroomBytes);
// the installed hook's figure when there is one. 0 when nothing can be learned; at least 1 when
// a limit is reached.
std::int64_t AvailableMemoryBytes();
// nullptr restores the system's figure. Returns the hook it replaces.
AvailableMemoryHook SetAvailableMemoryHook(AvailableMemoryHook hook);

// What the limits set on the process leave it, in bytes, the least of: its address-space and
// data-segment limits (setrlimit RLIMIT_AS, RLIMIT_DATA) less its present size and data, and
// ControlGroupHeadroomBytes. -1 when none of them is set; may be 0 or less.
std::int64_t ProcessLimitHeadroomBytes();

// What the memory limits of the process's control group and of every group above it leave, the
// least over these groups of limit - usage + inactive file cache (the cache that the kernel
// takes back first, before it refuses memory): memory.max, memory.current and memory.stat's
// inactive_file of the unified hierarchy (cgroup v2), memory.limit_in_bytes,
// memory.usage_in_bytes and memory.stat's total_inactive_file of the memory controller's (v1).
// Groups come from /proc/self/cgroup and the mounts from /proc/self/mountinfo. Every path read
// is prefixed by `root` (empty: the system's; tests give a tree of their own). -1 when no group
// has a limit.
std::int64_t ControlGroupHeadroomBytes(const std::string& root = {});
