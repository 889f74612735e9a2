#pragma once
// The one place where an errno value becomes text. Files, serial ports and sockets all report
// the system's reason through it. Safe from any thread.

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/FileStatus.h"

// The system's text for an errno value, e.g. "No such file or directory".
std::string ErrnoText(int error);

// The status of a file operation the system refused with `error`: "<what> <name>: <text>", of
// the kind the error means (EEXIST NameTaken, ENOENT Missing, ENOTDIR NotFolder, EISDIR NotFile,
// else Io).
FileStatus FileFailure(std::string_view what, std::string_view name, int error);

// Makes the system call `call` and makes it again while a signal cut it short (it failed with
// EINTR before doing anything); returns its last result, negative on a failure whose errno is
// still set. Not for close: Linux releases the descriptor whatever close reports.
template <typename Call>
auto RetryInterrupted(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}
