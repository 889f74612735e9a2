#include "platform/SystemError.h"

#include <cerrno>
#include <system_error>

// The generic category gives strerror's text without strerror's shared buffer.
std::string ErrnoText(int error) { return std::generic_category().message(error); }

FileStatus FileFailure(std::string_view what, std::string_view name, int error) {
  FileError kind = FileError::Io;
  if (error == EEXIST) kind = FileError::NameTaken;
  if (error == ENOENT) kind = FileError::Missing;
  if (error == ENOTDIR) kind = FileError::NotFolder;
  if (error == EISDIR) kind = FileError::NotFile;
  return FileStatus{kind, {}, ErrnoText(error)}.As(what, name);
}
