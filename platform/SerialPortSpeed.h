#pragma once
// Baud rates through the kernel's termios2 interface, the only one that takes a rate without a
// Bxxx constant (14,400). Kept in a translation unit of its own: <asm/termbits.h> redefines the
// structures of <termios.h>, so the two headers cannot meet in one file.

#include <cstdint>

// Sets both directions of the open terminal `fd` to `baud`, keeping every other flag.
// Returns 0 or an errno value.
int SetLineSpeed(int fd, std::int32_t baud);
// Reads the output speed the driver reports. Returns 0 or an errno value.
int GetLineSpeed(int fd, std::int32_t& baud);
