#pragma once
// How much memory the program can still take: what the history viewer checks before it reads a
// long time window, rather than failing half-way through (or being ended by the system) when
// the values do not fit. A seam like the clock: tests install a figure of their own. The hook is
// a plain function pointer held in an atomic.

#include <cstdint>

using AvailableMemoryHook = std::int64_t (*)();

// The memory the system can still give without swapping or failing, in bytes: the kernel's
// estimate of available memory (MemAvailable), else its free memory; the installed hook's
// figure when there is one. 0 when nothing can be learned.
std::int64_t AvailableMemoryBytes();
// nullptr restores the system's figure.
void SetAvailableMemoryHook(AvailableMemoryHook hook);
