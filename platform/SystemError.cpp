#include "platform/SystemError.h"

#include <system_error>

// The generic category gives strerror's text without strerror's shared buffer.
std::string ErrnoText(int error) { return std::generic_category().message(error); }
