// Serial port on termios: exclusive open, raw settings, CTS-gated writes, every wait bounded by a deadline.
// Layer: platform (plain C++, no Qt). Linux tty ioctls live here and nowhere else.
#include "platform/serialport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

namespace kelmore::platform {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often a wait that the kernel cannot signal (CTS, the output queue) looks again.
constexpr milliseconds kPollStep{2};

struct BaudRate {
  int baud;
  speed_t speed;
};

constexpr BaudRate kBaudRates[] = {
    {50, B50},         {75, B75},         {110, B110},         {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},         {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},       {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},   {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000},
};

const BaudRate* findBaud(int baud) {
  for (const BaudRate& rate : kBaudRates) {
    if (rate.baud == baud) return &rate;
  }
  return nullptr;
}

PortError openError(int err) {
  switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return PortError::NotFound;
    case EBUSY:
    case EWOULDBLOCK:
      return PortError::Busy;
    case EACCES:
    case EPERM:
    case EROFS:
      return PortError::NoPermission;
    default:
      return PortError::Io;
  }
}

// A device that went away (an unplugged adapter, a closed pseudo-terminal master) reports one of these.
bool isHangUp(int err) {
  return err == EIO || err == ENXIO || err == ENODEV;
}

// Builds the raw termios for `settings`; false when a value is outside what termios can express.
bool buildTermios(termios& tio, const SerialSettings& settings) {
  const BaudRate* rate = findBaud(settings.baud);
  if (rate == nullptr) return false;
  tcflag_t size = 0;
  switch (settings.dataBits) {
    case 5:
      size = CS5;
      break;
    case 6:
      size = CS6;
      break;
    case 7:
      size = CS7;
      break;
    case 8:
      size = CS8;
      break;
    default:
      return false;
  }
  if (settings.stopBits != 1 && settings.stopBits != 2) return false;
  if (settings.parity != 'n' && settings.parity != 'o' && settings.parity != 'e') return false;

  cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  tio.c_cflag |= size | CREAD | CLOCAL;
  if (settings.parity != 'n') tio.c_cflag |= PARENB;
  if (settings.parity == 'o') tio.c_cflag |= PARODD;
  if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;
  if (settings.ctsFlow) tio.c_cflag |= CRTSCTS;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  if (settings.parity != 'n') tio.c_iflag |= INPCK;
  // VMIN 1 with a non-blocking descriptor: "no data" is EAGAIN and a read of 0 means the line hung up.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, rate->speed);
  cfsetospeed(&tio, rate->speed);
  return true;
}

// Unix98 pseudo-terminal slaves have majors 136 to 143.
bool isPseudoTerminal(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
  const unsigned int major = ::major(info.st_rdev);
  return major >= 136 && major <= 143;
}

// tcsetattr() succeeds when any part was taken, so what matters is read back and compared. A pseudo-terminal
// has no wire: the kernel pins it to 8 bits without parity, and the frame it is asked for means nothing
// there.
bool termiosTaken(const termios& wanted, const termios& got, bool pseudoTerminal) {
  const tcflag_t frame = pseudoTerminal ? (CSTOPB | CRTSCTS) : (CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  return (wanted.c_cflag & frame) == (got.c_cflag & frame) && cfgetospeed(&wanted) == cfgetospeed(&got) &&
         cfgetispeed(&wanted) == cfgetispeed(&got);
}

}  // namespace

struct SerialPort::Impl {
  int fd = -1;
  bool ctsFlow = false;
  // -1: the line speaks; 0 or 1: the injected level. Atomic, as a test may flip it while a write waits.
  std::atomic<int> injectedCts{-1};

  void closeFd() {
    if (fd < 0) return;
    // Other programs must find the port usable again, so the exclusive mark goes before the descriptor.
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    ::close(fd);
    fd = -1;
  }

  bool lineCts() const {
    int bits = 0;
    // No modem lines (a pseudo-terminal, some adapters): nothing holds the sender back.
    if (::ioctl(fd, TIOCMGET, &bits) != 0) return true;
    return (bits & TIOCM_CTS) != 0;
  }

  bool ctsNow() const {
    const int injected = injectedCts.load();
    return injected < 0 ? lineCts() : injected == 1;
  }
};

SerialPort::SerialPort() : impl_(std::make_unique<Impl>()) {}

SerialPort::~SerialPort() {
  close();
}

PortError SerialPort::open(const std::string& devicePath, const SerialSettings& settings) {
  close();
  int fd = -1;
  do {
    fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return openError(errno);

  auto fail = [&](PortError error) {
    ::close(fd);
    return error;
  };
  if (::isatty(fd) == 0) return fail(PortError::NotFound);
  // The lock keeps out every cooperating program (and a second open in this one), TIOCEXCL the rest.
  int locked = -1;
  do {
    locked = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) return fail(errno == EWOULDBLOCK ? PortError::Busy : PortError::Io);
  if (::ioctl(fd, TIOCEXCL) != 0) {
    ::flock(fd, LOCK_UN);
    return fail(PortError::Io);
  }
  impl_->fd = fd;

  // Settings are judged once the port is known to be there and free, so a missing or busy port reads as
  // such whatever it was asked to take.
  termios current{};
  if (::tcgetattr(fd, &current) != 0) {
    impl_->closeFd();
    return PortError::Setup;
  }
  termios applied = current;
  if (!buildTermios(applied, settings)) {
    impl_->closeFd();
    return PortError::Setup;
  }
  termios readBack{};
  if (::tcsetattr(fd, TCSANOW, &applied) != 0 || ::tcgetattr(fd, &readBack) != 0 ||
      !termiosTaken(applied, readBack, isPseudoTerminal(fd))) {
    impl_->closeFd();
    return PortError::Setup;
  }
  ::tcflush(fd, TCIOFLUSH);
  if (!settings.dtr) {
    // The open raised it; a device without modem lines refuses the call, which changes nothing.
    int bits = TIOCM_DTR;
    ::ioctl(fd, TIOCMBIC, &bits);
  }
  impl_->ctsFlow = settings.ctsFlow;
  return PortError::None;
}

void SerialPort::close() {
  impl_->closeFd();
}

bool SerialPort::isOpen() const {
  return impl_->fd >= 0;
}

IoResult SerialPort::write(std::span<const std::uint8_t> bytes, milliseconds stallLimit) {
  IoResult result;
  if (impl_->fd < 0) {
    result.error = PortError::Io;
    return result;
  }
  // The stall clock restarts on every byte that leaves, so a slow but moving peer never times out.
  auto deadline = Clock::now() + stallLimit;
  while (result.count < bytes.size()) {
    if (impl_->ctsFlow && !impl_->ctsNow()) {
      if (Clock::now() >= deadline) {
        result.error = PortError::Stalled;
        return result;
      }
      std::this_thread::sleep_for(std::min<Clock::duration>(kPollStep, deadline - Clock::now()));
      continue;
    }
    const ssize_t n = ::write(impl_->fd, bytes.data() + result.count, bytes.size() - result.count);
    if (n > 0) {
      result.count += static_cast<std::size_t>(n);
      deadline = Clock::now() + stallLimit;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      result.error = isHangUp(errno) ? PortError::HungUp : PortError::Io;
      return result;
    }
    // The output queue is full: wait for room, but not past the stall limit. With CTS flow the wait is
    // cut into short steps so a falling CTS line is seen.
    const int waitMs = impl_->ctsFlow ? std::min(msLeft(deadline), static_cast<int>(kPollStep.count() * 5))
                                      : msLeft(deadline);
    pollfd pfd{impl_->fd, POLLOUT, 0};
    const int ready = ::poll(&pfd, 1, waitMs);
    if (ready < 0 && errno != EINTR) {
      result.error = PortError::Io;
      return result;
    }
    if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 && (pfd.revents & POLLOUT) == 0) {
      result.error = (pfd.revents & POLLNVAL) != 0 ? PortError::Io : PortError::HungUp;
      return result;
    }
    // Checked after an interrupted wait too, so a stream of signals cannot stretch the limit.
    if (ready <= 0 && Clock::now() >= deadline) {
      result.error = PortError::Stalled;
      return result;
    }
  }
  return result;
}

IoResult SerialPort::read(std::span<std::uint8_t> into, milliseconds timeout) {
  IoResult result;
  if (impl_->fd < 0) {
    result.error = PortError::Io;
    return result;
  }
  const auto deadline = Clock::now() + timeout;
  bool pollSawHangUp = false;
  while (result.count < into.size()) {
    const ssize_t n = ::read(impl_->fd, into.data() + result.count, into.size() - result.count);
    if (n > 0) {
      result.count += static_cast<std::size_t>(n);
      continue;
    }
    if (n == 0 || (n < 0 && isHangUp(errno)) || (n < 0 && errno == EAGAIN && pollSawHangUp)) {
      // With VMIN 1 and O_NONBLOCK a tty reads 0 only once the line has hung up.
      result.error = PortError::HungUp;
      return result;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN) {
      result.error = PortError::Io;
      return result;
    }
    const int waitMs = msLeft(deadline);
    if (waitMs == 0) break;
    pollfd pfd{impl_->fd, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, waitMs);
    if (ready < 0 && errno != EINTR) {
      result.error = PortError::Io;
      return result;
    }
    if (ready > 0 && (pfd.revents & POLLNVAL) != 0) {
      result.error = PortError::Io;
      return result;
    }
    // After POLLHUP, read() takes what is left and then reports the hang-up.
    pollSawHangUp = ready > 0 && (pfd.revents & POLLHUP) != 0;
  }
  return result;
}

PortError SerialPort::drain(milliseconds limit) {
  if (impl_->fd < 0) return PortError::Io;
  // tcdrain() may wait forever on a port held by CTS, so the queue is watched against a deadline instead.
  const auto deadline = Clock::now() + limit;
  for (;;) {
    int queued = 0;
    if (::ioctl(impl_->fd, TIOCOUTQ, &queued) != 0) {
      return isHangUp(errno) ? PortError::HungUp : PortError::Io;
    }
    if (queued == 0) {
      // The kernel queue is empty; a UART may still be shifting out its last byte.
      unsigned int lineStatus = 0;
      if (::ioctl(impl_->fd, TIOCSERGETLSR, &lineStatus) != 0 || (lineStatus & TIOCSER_TEMT) != 0) {
        return PortError::None;
      }
    }
    if (Clock::now() >= deadline) return PortError::Stalled;
    std::this_thread::sleep_for(kPollStep);
  }
}

void SerialPort::purge() {
  if (impl_->fd >= 0) ::tcflush(impl_->fd, TCIOFLUSH);
}

bool SerialPort::cts() const {
  if (impl_->injectedCts.load() < 0 && impl_->fd < 0) return false;
  return impl_->ctsNow();
}

void SerialPort::injectCts(std::optional<bool> value) {
  impl_->injectedCts = value ? (*value ? 1 : 0) : -1;
}

}  // namespace kelmore::platform
