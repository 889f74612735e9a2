#include "platform/SerialPortSpeed.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

#include "platform/SystemError.h"

namespace {

int Ioctl(int fd, unsigned long request, termios2* settings) {
  return RetryInterrupted([&] { return ::ioctl(fd, request, settings); }) < 0 ? errno : 0;
}

}  // namespace

int SetLineSpeed(int fd, std::int32_t baud) {
  termios2 settings{};
  if (const int error = Ioctl(fd, TCGETS2, &settings)) return error;
  settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  settings.c_ispeed = static_cast<speed_t>(baud);
  settings.c_ospeed = static_cast<speed_t>(baud);
  return Ioctl(fd, TCSETS2, &settings);
}

int GetLineSpeed(int fd, std::int32_t& baud) {
  termios2 settings{};
  if (const int error = Ioctl(fd, TCGETS2, &settings)) return error;
  baud = static_cast<std::int32_t>(settings.c_ospeed);
  return 0;
}
