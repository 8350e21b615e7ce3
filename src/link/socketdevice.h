// The network as qolxSock uses it: name resolution, one TCP connection, a probe connection and the ICMP
// echo, behind a seam so tests can stand in a scripted network on virtual time.
// Layer: link (plain C++, no Qt).
//
// Same contract as platform::TcpSocket and platform::IcmpEcho: the connect and the echo run in steps
// (start, then awaits of at most the given wait), reads and writes have their deadlines.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "platform/icmpecho.h"
#include "platform/ioresult.h"
#include "platform/tcpsocket.h"

namespace kelmore::link {

class SocketDevice {
 public:
  virtual ~SocketDevice() = default;

  // The module's address text to an IPv4 address (network byte order); nothing when it has none.
  virtual std::optional<std::uint32_t> resolve(std::string_view host) = 0;

  // The link's connection.
  virtual platform::PortError startConnect(std::uint32_t address, std::uint16_t port) = 0;
  virtual platform::PortError awaitConnect(std::chrono::milliseconds wait) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;  // connected
  virtual platform::IoResult write(std::span<const std::uint8_t> bytes,
                                   std::chrono::milliseconds stallLimit) = 0;
  virtual platform::IoResult read(std::span<std::uint8_t> into, std::chrono::milliseconds timeout) = 0;
  // As platform::TcpSocket::drain: `between` runs between its steps, and false ends it.
  virtual platform::PortError drain(std::chrono::milliseconds limit,
                                    const platform::TcpSocket::Between& between) = 0;

  // A connection of the reachability check's own, closed again by the next start or endProbe.
  virtual platform::PortError startProbe(std::uint32_t address, std::uint16_t port) = 0;
  virtual platform::PortError awaitProbe(std::chrono::milliseconds wait) = 0;
  virtual void endProbe() = 0;

  virtual platform::EchoResult sendEcho(std::uint32_t address) = 0;
  virtual platform::EchoResult awaitEcho(std::chrono::milliseconds wait) = 0;
};

// POSIX sockets; host names go to `lookup` (the system resolver unless a test injects its own).
std::unique_ptr<SocketDevice> makePlatformSocketDevice(
    platform::NameLookup lookup = platform::systemNameLookup);

}  // namespace kelmore::link
