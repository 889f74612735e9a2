#pragma once
// The one place where an errno value becomes text. Files, serial ports and sockets all report
// the system's reason through it. Safe from any thread.

#include <string>

// The system's text for an errno value, e.g. "No such file or directory".
std::string ErrnoText(int error);
