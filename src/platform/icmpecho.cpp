// ICMP echo on a datagram or raw socket, matched by source, identifier and sequence.
// Layer: platform (plain C++, no Qt).
#include "platform/icmpecho.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace kelmore::platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kEchoRequest = 8;
constexpr std::uint8_t kEchoReply = 0;
constexpr std::size_t kHeaderBytes = 8;

std::atomic<std::uint16_t> nextSequence{1};

std::uint16_t checksum(const std::uint8_t* bytes, std::size_t length) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 1 < length; i += 2)
    sum += static_cast<std::uint32_t>(bytes[i] << 8 | bytes[i + 1]);
  if (length % 2 != 0) sum += static_cast<std::uint32_t>(bytes[length - 1] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

std::uint16_t word(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

}  // namespace

IcmpEcho::IcmpEcho(SocketCalls& calls) : calls_(calls) {}

IcmpEcho::~IcmpEcho() {
  close();
}

void IcmpEcho::close() {
  if (fd_ >= 0) calls_.close(fd_);
  fd_ = -1;
}

EchoResult IcmpEcho::send(std::uint32_t addressNet) {
  close();
  target_ = addressNet;
  // Unprivileged users get a datagram socket where ping_group_range lets them; root gets a raw one anyway.
  fd_ = calls_.socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
  raw_ = false;
  if (fd_ < 0) {
    fd_ = calls_.socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    raw_ = true;
  }
  if (fd_ < 0) return EchoResult::Unavailable;

  sequence_ = nextSequence++;
  identifier_ = static_cast<std::uint16_t>(::getpid() ^ sequence_);
  std::uint8_t request[kHeaderBytes] = {kEchoRequest,
                                        0,
                                        0,
                                        0,
                                        static_cast<std::uint8_t>(identifier_ >> 8),
                                        static_cast<std::uint8_t>(identifier_ & 0xFF),
                                        static_cast<std::uint8_t>(sequence_ >> 8),
                                        static_cast<std::uint8_t>(sequence_ & 0xFF)};
  const std::uint16_t sum = checksum(request, sizeof request);
  request[2] = static_cast<std::uint8_t>(sum >> 8);
  request[3] = static_cast<std::uint8_t>(sum & 0xFF);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = addressNet;
  ssize_t sent = -1;
  do {
    sent = calls_.sendto(fd_, request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  } while (sent < 0 && errno == EINTR);
  if (sent != static_cast<ssize_t>(sizeof request)) {
    close();
    return EchoResult::Unavailable;
  }
  if (!raw_) {
    // A datagram socket carries the identifier the kernel gave it: its local "port".
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (calls_.getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
      identifier_ = ntohs(local.sin_port);
    }
  }
  return EchoResult::Waiting;
}

EchoResult IcmpEcho::await(std::chrono::milliseconds wait) {
  if (fd_ < 0) return EchoResult::Waiting;
  const auto deadline = Clock::now() + wait;
  std::uint8_t packet[1500];
  for (;;) {
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n = calls_.recvfrom(fd_, packet, sizeof packet, MSG_DONTWAIT,
                                      reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n > 0) {
      std::size_t at = 0;
      // A raw socket hands over the IP header too.
      if (raw_) at = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
      const auto length = static_cast<std::size_t>(n);
      if (from.sin_addr.s_addr == target_ && length >= at + kHeaderBytes && packet[at] == kEchoReply &&
          packet[at + 1] == 0 && word(packet + at + 4) == identifier_ && word(packet + at + 6) == sequence_) {
        close();
        return EchoResult::Reply;
      }
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    const int waitMs = msLeft(deadline);
    if (waitMs == 0) return EchoResult::Waiting;
    pollfd pfd{fd_, POLLIN, 0};
    calls_.poll(&pfd, 1, waitMs);
  }
}

}  // namespace kelmore::platform
