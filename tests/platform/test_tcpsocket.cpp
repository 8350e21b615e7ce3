// TCP socket and ICMP echo: address forms, connect bounds, reads that take no more than asked, sends that
// never raise SIGPIPE and give up when stalled, a close that leaves no reset, and echo replies that must
// be our own. Real traffic stays on 127.0.0.1; faults come through the system-call seam.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/icmpecho.h"
#include "platform/tcpsocket.h"

namespace kelmore::platform {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

std::uint32_t loopback() {
  return htonl(INADDR_LOOPBACK);
}

// --- address forms ---

struct HostCase {
  const char* name;
  const char* host;
  std::optional<std::uint32_t> address;  // host byte order
  bool looksUp;
};

const HostCase kHosts[] = {
    {"dotted", "127.0.0.1", 0x7F000001, false},
    {"blanks_around", "  127.0.0.2 ", 0x7F000002, false},
    {"tabs_around", "\t127.0.0.4 \t", 0x7F000004, false},
    {"short_form", "127.1", 0x7F000001, false},
    {"hexadecimal", "0x7f000003", 0x7F000003, false},
    {"name_that_resolves", "module.lan", 0x7F000009, true},
    {"name_between_tabs", "\t module.lan\t", 0x7F000009, true},
    {"name_that_does_not", "nowhere.lan", std::nullopt, true},
    {"empty", "", std::nullopt, false},
    {"blanks_only", "   ", std::nullopt, false},
};

class Host : public testing::TestWithParam<HostCase> {};

TEST_P(Host, resolves_through_the_injected_lookup_only_for_names) {
  std::vector<std::string> asked;
  const NameLookup lookup = [&](const std::string& host) -> std::optional<std::uint32_t> {
    asked.push_back(host);
    if (host == "module.lan") return htonl(0x7F000009);
    return std::nullopt;
  };
  const auto got = resolveHost(GetParam().host, lookup);
  if (GetParam().address) {
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(ntohl(*got), *GetParam().address);
  } else {
    EXPECT_FALSE(got.has_value());
  }
  EXPECT_EQ(asked.size(), GetParam().looksUp ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(tcp, Host, testing::ValuesIn(kHosts),
                         [](const auto& i) { return std::string(i.param.name); });

// --- a loopback peer ---

class Listener {
 public:
  Listener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = loopback();
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(fd_, 4);
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~Listener() {
    if (peer_ >= 0) ::close(peer_);
    ::close(fd_);
  }
  std::uint16_t port() const { return port_; }
  int accept() {
    peer_ = ::accept(fd_, nullptr, nullptr);
    return peer_;
  }
  void closePeer() {
    ::close(peer_);
    peer_ = -1;
  }

 private:
  int fd_ = -1;
  int peer_ = -1;
  std::uint16_t port_ = 0;
};

bool connectTo(TcpSocket& socket, std::uint16_t port) {
  if (socket.start(loopback(), port) != PortError::None) return false;
  return socket.await(milliseconds(2000)) == PortError::None;
}

TEST(TcpSocket, connects_to_a_loopback_peer_and_drains) {
  Listener listener;
  TcpSocket socket;
  EXPECT_FALSE(socket.isOpen());
  ASSERT_TRUE(connectTo(socket, listener.port()));
  EXPECT_TRUE(socket.connected());
  ASSERT_GE(listener.accept(), 0);
  const std::vector<std::uint8_t> bytes(3000, 0x55);
  const IoResult sent = socket.write(bytes);
  EXPECT_EQ(sent.count, bytes.size());
  EXPECT_EQ(sent.error, PortError::None);
  EXPECT_EQ(socket.drain(milliseconds(2000)), PortError::None);
}

TEST(TcpSocket, a_refused_port_fails_the_connect_and_leaves_no_socket) {
  int port = 0;
  {
    Listener gone;
    port = gone.port();
  }
  TcpSocket socket;
  PortError result = socket.start(loopback(), static_cast<std::uint16_t>(port));
  if (result == PortError::None) result = socket.await(milliseconds(2000));
  EXPECT_EQ(result, PortError::NotFound);
  EXPECT_FALSE(socket.isOpen());
}

TEST(TcpSocket, reads_take_no_more_than_asked_and_the_surplus_stays) {
  Listener listener;
  TcpSocket socket;
  ASSERT_TRUE(connectTo(socket, listener.port()));
  const int peer = listener.accept();
  const std::uint8_t reply[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  ASSERT_EQ(::send(peer, reply, sizeof reply, 0), 10);
  std::uint8_t first[4] = {};
  const IoResult a = socket.read(first, milliseconds(2000));
  EXPECT_EQ(a.count, 4u);
  EXPECT_EQ(first[3], 4);
  std::uint8_t rest[100] = {};
  IoResult b = socket.read(rest, milliseconds(2000));
  // The peer's ten bytes may arrive in two segments; what has come is handed over, never more.
  while (b.count < 6 && b.error == PortError::None) {
    const IoResult more = socket.read(std::span(rest).subspan(b.count), milliseconds(2000));
    b.count += more.count;
    b.error = more.error;
  }
  EXPECT_EQ(b.count, 6u);
  EXPECT_EQ(rest[5], 10);
  EXPECT_EQ(rest[6], 0);
}

TEST(TcpSocket, a_read_time_out_is_a_short_count_and_a_close_by_the_peer_a_hang_up) {
  Listener listener;
  TcpSocket socket;
  ASSERT_TRUE(connectTo(socket, listener.port()));
  listener.accept();
  std::uint8_t into[6];
  const IoResult quiet = socket.read(into, milliseconds(20));
  EXPECT_EQ(quiet.count, 0u);
  EXPECT_EQ(quiet.error, PortError::None);
  EXPECT_TRUE(socket.connected());
  listener.closePeer();
  IoResult closed;
  const auto limit = Clock::now() + milliseconds(2000);
  do {
    closed = socket.read(into, milliseconds(50));
  } while (closed.error == PortError::None && Clock::now() < limit);
  EXPECT_EQ(closed.error, PortError::HungUp);
}

TEST(TcpSocket, a_send_to_a_closed_peer_is_a_hang_up_not_a_signal) {
  Listener listener;
  TcpSocket socket;
  ASSERT_TRUE(connectTo(socket, listener.port()));
  const int peer = listener.accept();
  // Unread input makes the peer's close a reset.
  const std::uint8_t one = 1;
  socket.write({&one, 1});
  std::this_thread::sleep_for(milliseconds(20));
  listener.closePeer();
  (void)peer;
  const std::vector<std::uint8_t> bytes(64 * 1024, 0xAA);
  IoResult result;
  for (int i = 0; i < 50 && result.error == PortError::None; ++i) {
    result = socket.write(bytes, milliseconds(500));
    std::this_thread::sleep_for(milliseconds(5));
  }
  EXPECT_EQ(result.error, PortError::HungUp);
}

TEST(TcpSocket, close_takes_what_the_peer_sent_so_the_peer_sees_an_orderly_end) {
  Listener listener;
  TcpSocket socket;
  ASSERT_TRUE(connectTo(socket, listener.port()));
  const int peer = listener.accept();
  const std::uint8_t reply[6] = {'X', ':', ' ', '2', '5', '6'};
  ASSERT_EQ(::send(peer, reply, sizeof reply, 0), 6);
  std::this_thread::sleep_for(milliseconds(20));
  socket.close();
  EXPECT_FALSE(socket.isOpen());
  std::uint8_t into[8];
  ssize_t n = -1;
  do {
    n = ::recv(peer, into, sizeof into, 0);
  } while (n < 0 && errno == EINTR);
  // A reset would read as ECONNRESET here.
  EXPECT_EQ(n, 0) << std::strerror(errno);
}

// --- faults through the seam ---

class ScriptedCalls : public SocketCalls {
 public:
  int socket(int domain, int type, int protocol) override {
    const int kind = type & ~(SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (refuseSockets || (protocol == IPPROTO_ICMP && icmpKind && kind != *icmpKind)) {
      errno = EACCES;
      return -1;
    }
    // A scripted ICMP socket is a plain UDP one: it can be polled and closed, and nothing reaches it.
    const int fd = protocol == IPPROTO_ICMP && icmpKind
                       ? SocketCalls::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)
                       : SocketCalls::socket(domain, type, protocol);
    if (fd >= 0) owned.push_back(fd);
    return fd;
  }
  int connect(int fd, const sockaddr* address, socklen_t length) override {
    if (connectErrors.empty()) return SocketCalls::connect(fd, address, length);
    errno = connectErrors.front();
    connectErrors.erase(connectErrors.begin());
    return -1;
  }
  int poll(pollfd* fds, nfds_t count, int timeoutMs) override {
    ++polls;
    if (neverReady) {
      std::this_thread::sleep_for(milliseconds(std::min(timeoutMs, 5)));
      return 0;
    }
    return SocketCalls::poll(fds, count, timeoutMs);
  }
  ssize_t send(int fd, const void* bytes, std::size_t length, int flags) override {
    sendFlags.push_back(flags);
    if (!sendScript.empty()) {
      const int step = sendScript.front();
      sendScript.erase(sendScript.begin());
      if (step < 0) {
        errno = -step;
        return -1;
      }
      length = std::min(length, static_cast<std::size_t>(step));
    } else if (stallSends) {
      errno = EAGAIN;
      return -1;
    }
    return SocketCalls::send(fd, bytes, length, flags);
  }
  ssize_t sendto(int, const void* bytes, std::size_t length, int, const sockaddr*, socklen_t) override {
    const auto* b = static_cast<const std::uint8_t*>(bytes);
    request.assign(b, b + length);
    return static_cast<ssize_t>(length);  // nothing leaves: the replies are scripted
  }
  ssize_t recvfrom(int, void* into, std::size_t length, int, sockaddr* from, socklen_t* fromLength) override {
    if (replies.empty()) {
      errno = EAGAIN;
      return -1;
    }
    auto [source, packet] = replies.front();
    replies.erase(replies.begin());
    auto* peer = reinterpret_cast<sockaddr_in*>(from);
    *peer = sockaddr_in{};
    peer->sin_family = AF_INET;
    peer->sin_addr.s_addr = source;
    *fromLength = sizeof(sockaddr_in);
    const std::size_t n = std::min(length, packet.size());
    std::copy_n(packet.begin(), n, static_cast<std::uint8_t*>(into));
    return static_cast<ssize_t>(n);
  }
  int getsockname(int fd, sockaddr* address, socklen_t* length) override {
    const int result = SocketCalls::getsockname(fd, address, length);
    if (result == 0 && address->sa_family == AF_INET && kernelIdentifier) {
      reinterpret_cast<sockaddr_in*>(address)->sin_port = htons(*kernelIdentifier);
    }
    return result;
  }
  int ioctl(int fd, unsigned long request, int* value) override {
    if (unsentScript.empty()) return SocketCalls::ioctl(fd, request, value);
    *value = unsentScript.front();
    if (unsentScript.size() > 1) unsentScript.erase(unsentScript.begin());
    return 0;
  }
  int close(int fd) override {
    closed.push_back(fd);
    return SocketCalls::close(fd);
  }

  bool refuseSockets = false;
  bool neverReady = false;
  bool stallSends = false;
  std::vector<int> connectErrors;
  std::vector<int> sendScript;  // bytes the next sends take; a negative value fails with that errno
  std::vector<int> sendFlags;
  std::vector<int> unsentScript;  // what the next drain steps see as not yet sent; the last one stays
  std::vector<std::uint8_t> request;
  std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> replies;
  std::optional<std::uint16_t> kernelIdentifier;
  std::optional<int> icmpKind;  // SOCK_DGRAM or SOCK_RAW: the one ICMP socket the system allows
  std::vector<int> owned;
  std::vector<int> closed;
  int polls = 0;
};

TEST(TcpFaults, a_connect_that_never_completes_gives_up_at_its_bound) {
  ScriptedCalls calls;
  calls.connectErrors = {EINTR, EINPROGRESS};
  calls.neverReady = true;
  TcpSocket socket(calls);
  ASSERT_EQ(socket.start(loopback(), 9), PortError::None);
  const auto begin = Clock::now();
  EXPECT_EQ(socket.await(milliseconds(60)), PortError::Stalled);
  EXPECT_GE(Clock::now() - begin, milliseconds(60));
  EXPECT_TRUE(socket.isOpen());
  EXPECT_FALSE(socket.connected());
  socket.close();
  EXPECT_EQ(calls.closed, calls.owned);
}

TEST(TcpFaults, a_connect_that_completed_during_an_interrupt_is_connected) {
  ScriptedCalls calls;
  calls.connectErrors = {EINTR, EISCONN};
  TcpSocket socket(calls);
  EXPECT_EQ(socket.start(loopback(), 9), PortError::None);
  EXPECT_TRUE(socket.connected());
}

TEST(TcpFaults, no_socket_at_all_is_an_io_failure_and_closes_nothing) {
  ScriptedCalls calls;
  calls.refuseSockets = true;
  TcpSocket socket(calls);
  EXPECT_EQ(socket.start(loopback(), 9), PortError::Io);
  socket.close();
  socket.close();
  EXPECT_TRUE(calls.closed.empty());
}

TEST(TcpFaults, sends_retry_interrupts_and_short_counts_and_never_raise_sigpipe) {
  Listener listener;
  ScriptedCalls calls;
  TcpSocket socket(calls);
  ASSERT_TRUE(connectTo(socket, listener.port()));
  listener.accept();
  calls.sendScript = {3, -EINTR, -EAGAIN, 2, 100};
  const std::vector<std::uint8_t> bytes(20, 0x41);
  const IoResult result = socket.write(bytes);
  EXPECT_EQ(result.count, 20u);
  EXPECT_EQ(result.error, PortError::None);
  for (int flags : calls.sendFlags) EXPECT_NE(flags & MSG_NOSIGNAL, 0);
}

TEST(TcpFaults, a_send_without_progress_stalls_after_its_limit_and_a_reset_is_a_hang_up) {
  Listener listener;
  ScriptedCalls calls;
  TcpSocket socket(calls);
  ASSERT_TRUE(connectTo(socket, listener.port()));
  listener.accept();
  calls.sendScript = {5};
  calls.stallSends = true;
  calls.neverReady = true;
  const std::vector<std::uint8_t> bytes(20, 0x41);
  const auto begin = Clock::now();
  const IoResult stalled = socket.write(bytes, milliseconds(50));
  EXPECT_EQ(stalled.count, 5u);
  EXPECT_EQ(stalled.error, PortError::Stalled);
  EXPECT_GE(Clock::now() - begin, milliseconds(50));
  calls.stallSends = false;
  calls.sendScript = {-ECONNRESET};
  EXPECT_EQ(socket.write(bytes).error, PortError::HungUp);
}

TEST(TcpFaults, a_drain_gives_up_only_when_nothing_left_for_its_limit_and_lets_the_caller_breathe) {
  Listener listener;
  ScriptedCalls calls;
  TcpSocket socket(calls);
  ASSERT_TRUE(connectTo(socket, listener.port()));
  listener.accept();
  // A slow module: a byte leaves every step, 400 steps of at least 1 ms, far beyond the 100 ms limit.
  for (int unsent = 400; unsent >= 0; --unsent) calls.unsentScript.push_back(unsent);
  EXPECT_EQ(socket.drain(milliseconds(100)), PortError::None);
  // A module that takes nothing more; the caller's events run between the steps all the while.
  calls.unsentScript = {40};
  int steps = 0;
  const auto begin = Clock::now();
  EXPECT_EQ(socket.drain(milliseconds(50), [&] { return ++steps > 0; }), PortError::Stalled);
  EXPECT_GE(Clock::now() - begin, milliseconds(50));
  EXPECT_GE(steps, 1);
  // A caller whose events closed the link ends the drain at once.
  steps = 0;
  EXPECT_EQ(socket.drain(milliseconds(5000), [&] { return ++steps < 3; }), PortError::Io);
  EXPECT_EQ(steps, 3);
}

TEST(TcpFaults, the_descriptor_is_closed_once_and_invalid_afterwards) {
  Listener listener;
  ScriptedCalls calls;
  {
    TcpSocket socket(calls);
    ASSERT_TRUE(connectTo(socket, listener.port()));
    ASSERT_TRUE(connectTo(socket, listener.port()));  // a second connect drops the first socket
    socket.close();
    EXPECT_FALSE(socket.isOpen());
    std::uint8_t into[1];
    EXPECT_EQ(socket.read(into, milliseconds(0)).error, PortError::Io);
  }
  EXPECT_EQ(calls.closed, calls.owned);
}

// --- ICMP echo ---

// A reply as the socket kind hands it over: a raw socket adds the IP header.
std::vector<std::uint8_t> replyTo(const std::vector<std::uint8_t>& request, int kind, int identifierShift,
                                  int sequenceShift = 0, std::uint8_t type = 0) {
  constexpr std::uint16_t kKernelIdentifier = 0x4321;
  std::vector<std::uint8_t> reply = request;
  // A datagram socket's identifier is the kernel's; a raw one's is what we sent.
  const int identifier =
      (kind == SOCK_DGRAM ? kKernelIdentifier : (request[4] << 8 | request[5])) + identifierShift;
  const int sequence = (request[6] << 8 | request[7]) + sequenceShift;
  reply[0] = type;
  reply[4] = static_cast<std::uint8_t>(identifier >> 8);
  reply[5] = static_cast<std::uint8_t>(identifier & 0xFF);
  reply[6] = static_cast<std::uint8_t>(sequence >> 8);
  reply[7] = static_cast<std::uint8_t>(sequence & 0xFF);
  if (kind == SOCK_RAW) {
    std::vector<std::uint8_t> header(20, 0);
    header[0] = 0x45;
    reply.insert(reply.begin(), header.begin(), header.end());
  }
  return reply;
}

const std::uint32_t kTarget = htonl(0x7F000005);
const std::uint32_t kOther = htonl(0x7F000006);

struct EchoCase {
  const char* name;
  std::uint32_t source;
  int identifierShift;
  int sequenceShift;
  std::uint8_t type;
  bool truncated;
  EchoResult result;
};

const EchoCase kEchoes[] = {
    {"our_reply", kTarget, 0, 0, 0, false, EchoResult::Reply},
    {"from_another_host", kOther, 0, 0, 0, false, EchoResult::Waiting},
    {"another_identifier", kTarget, 1, 0, 0, false, EchoResult::Waiting},
    {"another_sequence", kTarget, 0, 1, 0, false, EchoResult::Waiting},
    {"our_own_request", kTarget, 0, 0, 8, false, EchoResult::Waiting},
    {"unreachable_message", kTarget, 0, 0, 3, false, EchoResult::Waiting},
    {"too_short", kTarget, 0, 0, 0, true, EchoResult::Waiting},
};

class Echo : public testing::TestWithParam<EchoCase> {};

TEST_P(Echo, counts_only_our_own_reply_from_the_target) {
  for (int kind : {SOCK_DGRAM, SOCK_RAW}) {
    ScriptedCalls calls;
    calls.icmpKind = kind;
    calls.kernelIdentifier = 0x4321;
    IcmpEcho echo(calls);
    ASSERT_EQ(echo.send(kTarget), EchoResult::Waiting) << kind;
    ASSERT_EQ(calls.request.size(), 8u);
    EXPECT_EQ(calls.request[0], 8);
    const auto& c = GetParam();
    auto reply = replyTo(calls.request, kind, c.identifierShift, c.sequenceShift, c.type);
    if (c.truncated) reply.resize(reply.size() - 4);
    calls.replies.push_back({c.source, reply});
    EXPECT_EQ(echo.await(milliseconds(20)), c.result) << kind;
  }
}

INSTANTIATE_TEST_SUITE_P(icmp, Echo, testing::ValuesIn(kEchoes),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(EchoFaults, no_icmp_socket_is_unavailable) {
  ScriptedCalls calls;
  calls.refuseSockets = true;
  IcmpEcho echo(calls);
  EXPECT_EQ(echo.send(kTarget), EchoResult::Unavailable);
  EXPECT_EQ(echo.await(milliseconds(0)), EchoResult::Waiting);
}

TEST(EchoLoopback, 127_0_0_1_answers_where_the_system_allows_an_echo) {
  IcmpEcho echo;
  if (echo.send(loopback()) == EchoResult::Unavailable) GTEST_SKIP() << "no ICMP socket on this system";
  EchoResult result = EchoResult::Waiting;
  for (int i = 0; i < 40 && result == EchoResult::Waiting; ++i) result = echo.await(milliseconds(100));
  EXPECT_EQ(result, EchoResult::Reply);
}

}  // namespace
}  // namespace kelmore::platform
