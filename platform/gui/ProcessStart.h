#pragma once
// Starting another program of the installation: detached (it outlives the caller and is never
// waited for), with no arguments, in the caller's current directory.
//
// The start goes through a hook, so a test records the request instead of starting anything.
// GUI thread only.

#include <functional>
#include <string>

#include "platform/ScopedHook.h"

// The hook: gets the program's path and returns whether it started.
using ProcessStartHook = std::function<bool(const std::string& path)>;

// Starts the program at `path` (UTF-8); false when it could not be started.
bool StartProgramDetached(const std::string& path);

// Installs a hook and returns the one it replaces; an empty function restores the real start.
ProcessStartHook SetProcessStartHook(ProcessStartHook hook);

using ScopedProcessStartHook = ScopedHook<ProcessStartHook, &SetProcessStartHook>;
