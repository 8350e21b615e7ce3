// TCP socket on POSIX sockets: stepped connect, bounded sends and receives, a close that leaves no reset.
// Layer: platform (plain C++, no Qt). Linux socket ioctls live here and in the echo probe, nowhere else.
#include "platform/tcpsocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>

#include "common/text.h"

namespace kelmore::platform {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often the queue of unsent bytes is looked at; the kernel cannot signal it.
constexpr milliseconds kDrainStep{1};
// A close takes at most this much of what the peer still sent; a peer that keeps sending gets its reset.
constexpr std::size_t kCloseSwallow = 64 * 1024;

bool isHangUp(int err) {
  return err == EPIPE || err == ECONNRESET || err == ENOTCONN || err == ECONNABORTED || err == ETIMEDOUT;
}

// A host name typed into the address box may carry blanks and tabs around it.
constexpr std::string_view kHostPadding = " \t";

}  // namespace

int SocketCalls::socket(int domain, int type, int protocol) {
  return ::socket(domain, type, protocol);
}
int SocketCalls::connect(int fd, const sockaddr* address, socklen_t length) {
  return ::connect(fd, address, length);
}
int SocketCalls::poll(pollfd* fds, nfds_t count, int timeoutMs) {
  return ::poll(fds, count, timeoutMs);
}
ssize_t SocketCalls::send(int fd, const void* bytes, std::size_t length, int flags) {
  return ::send(fd, bytes, length, flags);
}
ssize_t SocketCalls::recv(int fd, void* into, std::size_t length, int flags) {
  return ::recv(fd, into, length, flags);
}
ssize_t SocketCalls::sendto(int fd, const void* bytes, std::size_t length, int flags, const sockaddr* to,
                            socklen_t toLength) {
  return ::sendto(fd, bytes, length, flags, to, toLength);
}
ssize_t SocketCalls::recvfrom(int fd, void* into, std::size_t length, int flags, sockaddr* from,
                              socklen_t* fromLength) {
  return ::recvfrom(fd, into, length, flags, from, fromLength);
}
int SocketCalls::getsockopt(int fd, int level, int name, void* value, socklen_t* length) {
  return ::getsockopt(fd, level, name, value, length);
}
int SocketCalls::setsockopt(int fd, int level, int name, const void* value, socklen_t length) {
  return ::setsockopt(fd, level, name, value, length);
}
int SocketCalls::getsockname(int fd, sockaddr* address, socklen_t* length) {
  return ::getsockname(fd, address, length);
}
int SocketCalls::ioctl(int fd, unsigned long request, int* value) {
  return ::ioctl(fd, request, value);
}
int SocketCalls::close(int fd) {
  return ::close(fd);
}

SocketCalls& systemSocketCalls() {
  static SocketCalls calls;
  return calls;
}

std::optional<std::uint32_t> systemNameLookup(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
  std::optional<std::uint32_t> address;
  for (const addrinfo* at = found; at != nullptr && !address; at = at->ai_next) {
    if (at->ai_family == AF_INET)
      address = reinterpret_cast<const sockaddr_in*>(at->ai_addr)->sin_addr.s_addr;
  }
  ::freeaddrinfo(found);
  return address;
}

std::optional<std::uint32_t> resolveHost(std::string_view host, const NameLookup& lookup) {
  const std::string text(trim(host, kHostPadding));
  if (text.empty()) return std::nullopt;
  in_addr dotted{};
  if (::inet_aton(text.c_str(), &dotted) != 0) return dotted.s_addr;
  return lookup ? lookup(text) : std::nullopt;
}

TcpSocket::TcpSocket(SocketCalls& calls) : calls_(calls) {}

TcpSocket::~TcpSocket() {
  close();
}

PortError TcpSocket::start(std::uint32_t addressNet, std::uint16_t port) {
  close();
  const int fd = calls_.socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return PortError::Io;
  fd_ = fd;
  // A command is small and the module's pause starts once it left: no waiting for earlier acknowledgements.
  const int noDelay = 1;
  calls_.setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr.s_addr = addressNet;
  int result = 0;
  do {
    result = calls_.connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
  } while (result != 0 && errno == EINTR);
  // A retry after an interrupt may find the connect already done.
  if (result == 0 || errno == EISCONN) {
    connected_ = true;
    return PortError::None;
  }
  // An interrupted connect goes on in the background just like one in progress.
  if (errno == EINPROGRESS || errno == EALREADY) return PortError::None;
  close();
  return PortError::NotFound;
}

PortError TcpSocket::await(milliseconds wait) {
  if (fd_ < 0) return PortError::Io;
  if (connected_) return PortError::None;
  const auto deadline = Clock::now() + wait;
  for (;;) {
    pollfd pfd{fd_, POLLOUT, 0};
    const int ready = calls_.poll(&pfd, 1, msLeft(deadline));
    if (ready < 0 && errno != EINTR) {
      close();
      return PortError::Io;
    }
    if (ready > 0) break;
    if (Clock::now() >= deadline) return PortError::Stalled;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (calls_.getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
    close();
    return PortError::NotFound;
  }
  connected_ = true;
  return PortError::None;
}

void TcpSocket::close() {
  if (fd_ < 0) return;
  // Unread input would make the kernel answer the close with a reset, and the module could lose what it
  // was still taking.
  std::uint8_t sink[512];
  for (std::size_t taken = 0; connected_ && taken < kCloseSwallow;) {
    const ssize_t n = calls_.recv(fd_, sink, sizeof sink, MSG_DONTWAIT);
    if (n > 0) {
      taken += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  calls_.close(fd_);
  fd_ = -1;
  connected_ = false;
}

IoResult TcpSocket::write(std::span<const std::uint8_t> bytes, milliseconds stallLimit) {
  IoResult result;
  if (!connected()) {
    result.error = PortError::Io;
    return result;
  }
  // The stall clock restarts on every byte taken, so a slow but moving peer never times out.
  auto deadline = Clock::now() + stallLimit;
  while (result.count < bytes.size()) {
    const ssize_t n = calls_.send(fd_, bytes.data() + result.count, bytes.size() - result.count,
                                  MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      result.count += static_cast<std::size_t>(n);
      deadline = Clock::now() + stallLimit;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      result.error = isHangUp(errno) ? PortError::HungUp : PortError::Io;
      return result;
    }
    pollfd pfd{fd_, POLLOUT, 0};
    const int ready = calls_.poll(&pfd, 1, msLeft(deadline));
    if (ready < 0 && errno != EINTR) {
      result.error = PortError::Io;
      return result;
    }
    if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR)) != 0 && (pfd.revents & POLLOUT) == 0) {
      result.error = PortError::HungUp;
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

IoResult TcpSocket::read(std::span<std::uint8_t> into, milliseconds timeout) {
  IoResult result;
  if (!connected()) {
    result.error = PortError::Io;
    return result;
  }
  const auto deadline = Clock::now() + timeout;
  while (result.count < into.size()) {
    const ssize_t n = calls_.recv(fd_, into.data() + result.count, into.size() - result.count, MSG_DONTWAIT);
    if (n > 0) {
      result.count += static_cast<std::size_t>(n);
      continue;
    }
    if (n == 0) {
      // The peer closed: what it sent before is returned first, the hang-up at the next read.
      if (result.count == 0) result.error = PortError::HungUp;
      return result;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      if (result.count == 0) result.error = isHangUp(errno) ? PortError::HungUp : PortError::Io;
      return result;
    }
    // Some bytes came: hand them over now rather than wait for the rest.
    if (result.count > 0) return result;
    const int waitMs = msLeft(deadline);
    if (waitMs == 0) break;
    pollfd pfd{fd_, POLLIN, 0};
    if (calls_.poll(&pfd, 1, waitMs) < 0 && errno != EINTR) {
      result.error = PortError::Io;
      return result;
    }
  }
  return result;
}

PortError TcpSocket::drain(milliseconds limit, const Between& between) {
  if (!connected()) return PortError::Io;
  // Like a write, the limit counts from the last byte that left: a slow module that keeps taking a long
  // download is no stall.
  auto deadline = Clock::now() + limit;
  int lastUnsent = -1;
  for (;;) {
    // A reset leaves the count of unsent bytes standing: the connection's state says it is over.
    pollfd pfd{fd_, 0, 0};
    if (calls_.poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLERR | POLLHUP)) != 0) return PortError::HungUp;
    // Bytes not yet sent; waiting for the acknowledgement too would add the peer's delayed-ACK time.
    int unsent = 0;
    if (calls_.ioctl(fd_, SIOCOUTQNSD, &unsent) != 0) return PortError::Io;
    if (unsent == 0) return PortError::None;
    if (lastUnsent >= 0 && unsent < lastUnsent) deadline = Clock::now() + limit;
    lastUnsent = unsent;
    if (Clock::now() >= deadline) return PortError::Stalled;
    std::this_thread::sleep_for(kDrainStep);
    if (between && !between()) return PortError::Io;
    if (!connected()) return PortError::Io;
  }
}

}  // namespace kelmore::platform
