// One ICMP echo to an IPv4 address: a datagram ICMP socket where the system allows it, else a raw one.
// Layer: platform (plain C++, no Qt).
//
// Only an echo reply from the target that carries this probe's identifier and sequence counts; the probe's
// own request seen on a raw socket, replies to other programs and other ICMP messages are passed over.
// The wait runs in steps (await) so the caller can let the window breathe between them.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/tcpsocket.h"

namespace kelmore::platform {

enum class EchoResult {
  Reply,        // the target answered
  Waiting,      // sent, no answer yet
  Unavailable,  // the system allows no ICMP socket, or the request could not be sent
};

class IcmpEcho {
 public:
  explicit IcmpEcho(SocketCalls& calls = systemSocketCalls());
  ~IcmpEcho();
  IcmpEcho(const IcmpEcho&) = delete;
  IcmpEcho& operator=(const IcmpEcho&) = delete;

  // Sends one echo request to `addressNet` (network byte order): Waiting, or Unavailable.
  EchoResult send(std::uint32_t addressNet);
  // Waits at most `wait` for the reply: Reply, or Waiting while none came (also after a failed send).
  EchoResult await(std::chrono::milliseconds wait);

 private:
  void close();

  SocketCalls& calls_;
  int fd_ = -1;
  bool raw_ = false;
  std::uint32_t target_ = 0;
  std::uint16_t identifier_ = 0;
  std::uint16_t sequence_ = 0;
};

}  // namespace kelmore::platform
