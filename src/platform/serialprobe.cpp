// Probe of a legacy UART port through the kernel's serial ioctl.
// Layer: platform (plain C++, no Qt). The Linux serial header lives here alone.
#include "platform/serialprobe.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace kelmore::platform {

bool uartPresent(const std::string& devicePath) {
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  // Held exclusively by another program: there is a port, and it must keep its COM number.
  if (fd < 0) return errno == EBUSY;
  serial_struct info{};
  const bool known = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return known;
}

}  // namespace kelmore::platform
