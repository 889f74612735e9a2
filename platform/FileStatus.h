#pragma once
// The one status type of the file layer (platform/File.h) and of everything built on it: the
// kind of failure, a message that names the file, and the system's own words for a failure of
// the system. Statuses are values; a caller whose event handler ends at a failure turns the
// status into the error box's exception itself (RaiseOnFailure, platform/Errors.h).

#include <string>
#include <string_view>
#include <utility>

enum class FileError {
  None,
  NameTaken,   // an exclusive create found the name in use
  Missing,     // the file, or a folder on its path, does not exist
  NotFolder,   // a name on the path that should be a folder is something else
  NotFile,     // the name is a folder, a named pipe, a device or a socket, not a regular file
  BadContent,  // the content read, or to be stored, cannot be what the file should hold
  Io,          // any other failure of the system
};

struct FileStatus {
  FileError Error = FileError::None;
  std::string Message;  // UTF-8, names the file; empty when ok
  std::string Reason;   // the system's text of a system failure ("No space left on device")

  bool ok() const { return Error == FileError::None; }
  // Nothing of that name can be there: Missing or NotFolder.
  bool Absent() const { return Error == FileError::Missing || Error == FileError::NotFolder; }

  static FileStatus Ok() { return {}; }
  static FileStatus Fail(FileError error, std::string message) {
    return {error, std::move(message), {}};
  }

  // The same failure in the caller's words: "<what> <name>: <Reason>", kind kept. A failure that
  // is not the system's (no Reason) keeps its own message.
  FileStatus As(std::string_view what, std::string_view name) const {
    if (Reason.empty()) return *this;
    FileStatus told = *this;
    told.Message = std::string(what) + " " + std::string(name) + ": " + Reason;
    return told;
  }
};
