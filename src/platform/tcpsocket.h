// TCP stream socket to an IPv4 peer, the module's address forms, and the socket system calls behind a seam.
// Layer: platform (plain C++, no Qt).
//
// Every call has a deadline. A connect runs in steps: start() begins it, await() waits for it at most the
// given time, so the caller can let the window breathe between steps. A read time-out is a short count
// with PortError::None; a peer that closed or reset the connection is PortError::HungUp; a write that makes
// no progress for its stall limit is PortError::Stalled. Sends never raise SIGPIPE. EINTR is retried
// against the time left. The socket owns its one descriptor: it starts invalid and is invalid again after
// every close; nothing else is ever closed.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "platform/ioresult.h"

namespace kelmore::platform {

// The system calls of the socket units, one for one. Tests derive from it to inject EINTR, EAGAIN, short
// counts, resets and refused sockets; the base class calls the system.
class SocketCalls {
 public:
  virtual ~SocketCalls() = default;
  virtual int socket(int domain, int type, int protocol);
  virtual int connect(int fd, const sockaddr* address, socklen_t length);
  virtual int poll(pollfd* fds, nfds_t count, int timeoutMs);
  virtual ssize_t send(int fd, const void* bytes, std::size_t length, int flags);
  virtual ssize_t recv(int fd, void* into, std::size_t length, int flags);
  virtual ssize_t sendto(int fd, const void* bytes, std::size_t length, int flags, const sockaddr* to,
                         socklen_t toLength);
  virtual ssize_t recvfrom(int fd, void* into, std::size_t length, int flags, sockaddr* from,
                           socklen_t* fromLength);
  virtual int getsockopt(int fd, int level, int name, void* value, socklen_t* length);
  virtual int setsockopt(int fd, int level, int name, const void* value, socklen_t length);
  virtual int getsockname(int fd, sockaddr* address, socklen_t* length);
  virtual int ioctl(int fd, unsigned long request, int* value);
  virtual int close(int fd);
};

// The system's own calls.
SocketCalls& systemSocketCalls();

// A host name to its first IPv4 address (network byte order); nothing when it has none.
using NameLookup = std::function<std::optional<std::uint32_t>(const std::string& host)>;
// The system resolver (getaddrinfo, IPv4 only).
std::optional<std::uint32_t> systemNameLookup(const std::string& host);

// The module's address text, blanks around it ignored: an IPv4 address in any form inet_aton takes
// ("192.168.0.10", "127.1", "0x7f.1"), else a host name given to `lookup`. A text of blanks is no address
// and is looked up nowhere.
std::optional<std::uint32_t> resolveHost(std::string_view host, const NameLookup& lookup);

class TcpSocket {
 public:
  explicit TcpSocket(SocketCalls& calls = systemSocketCalls());
  ~TcpSocket();  // closes the socket if open
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // Begins a connect to `addressNet`:`port` on a new non-blocking socket (an earlier one is closed first).
  // None: connecting (or connected); Io when no socket can be made; NotFound when the peer refused at once.
  PortError start(std::uint32_t addressNet, std::uint16_t port);
  // Waits at most `wait` for the connect begun by start(). None: connected; Stalled: still under way;
  // NotFound: refused or unreachable (the socket is closed then); Io: no connect under way.
  PortError await(std::chrono::milliseconds wait);

  void close();  // takes what the peer still sent, so it is not answered with a reset, then closes
  bool isOpen() const { return fd_ >= 0; }
  bool connected() const { return fd_ >= 0 && connected_; }

  // Sends every byte, waiting for room while the peer takes them; Stalled after `stallLimit` without
  // progress, HungUp when the peer closed or reset the connection.
  IoResult write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds stallLimit = kStallLimit);
  // Takes at most into.size() bytes, waiting at most `timeout` for the first; more that arrived stays for
  // the next read. HungUp once the peer closed and everything it sent was taken.
  IoResult read(std::span<std::uint8_t> into, std::chrono::milliseconds timeout);
  // Waits until everything written has left this machine; Stalled when nothing left for `limit`. Between
  // its steps it calls `between` (the window's events); when that returns false the socket may be gone,
  // and the drain ends with Io.
  using Between = std::function<bool()>;
  PortError drain(std::chrono::milliseconds limit = kStallLimit, const Between& between = nullptr);

 private:
  SocketCalls& calls_;
  int fd_ = -1;
  bool connected_ = false;
};

}  // namespace kelmore::platform
