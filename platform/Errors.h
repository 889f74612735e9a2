#pragma once
// Errors raised by the station and the viewer. An error that escapes an event handler is shown
// in the application's error box with its text (UTF-8) and ends only that handler.

#include <exception>
#include <stdexcept>
#include <string>

#include "platform/FileStatus.h"

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// The text an error box shows for a caught exception: what() (UTF-8) for a std::exception, the
// empty text for any other thrown object.
std::string ExceptionMessage(std::exception_ptr error);

// Where a failed file operation ends the event handler: raises Exception with the status's
// message. Nothing happens for an ok status.
inline void RaiseOnFailure(const FileStatus& status) {
  if (!status.ok()) throw Exception(status.Message);
}

// A text that is not a number given to a strict conversion.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A file that cannot be opened ("Cannot open file %s").
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};

// A picture file that cannot be decoded or whose kind is unknown.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// A client socket that cannot connect.
class ESocketError : public Exception {
 public:
  using Exception::Exception;
};
