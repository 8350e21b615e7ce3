// The platform sockets behind the TCP link's seam.
// Layer: link (plain C++, no Qt).
#include "link/socketdevice.h"

namespace kelmore::link {
namespace {

class PlatformSocketDevice final : public SocketDevice {
 public:
  explicit PlatformSocketDevice(platform::NameLookup lookup) : lookup_(std::move(lookup)) {}

  std::optional<std::uint32_t> resolve(std::string_view host) override {
    return platform::resolveHost(host, lookup_);
  }
  platform::PortError startConnect(std::uint32_t address, std::uint16_t port) override {
    return socket_.start(address, port);
  }
  platform::PortError awaitConnect(std::chrono::milliseconds wait) override { return socket_.await(wait); }
  void close() override { socket_.close(); }
  bool isOpen() const override { return socket_.connected(); }
  platform::IoResult write(std::span<const std::uint8_t> bytes,
                           std::chrono::milliseconds stallLimit) override {
    return socket_.write(bytes, stallLimit);
  }
  platform::IoResult read(std::span<std::uint8_t> into, std::chrono::milliseconds timeout) override {
    return socket_.read(into, timeout);
  }
  platform::PortError drain(std::chrono::milliseconds limit,
                            const platform::TcpSocket::Between& between) override {
    return socket_.drain(limit, between);
  }
  platform::PortError startProbe(std::uint32_t address, std::uint16_t port) override {
    return probe_.start(address, port);
  }
  platform::PortError awaitProbe(std::chrono::milliseconds wait) override { return probe_.await(wait); }
  void endProbe() override { probe_.close(); }
  platform::EchoResult sendEcho(std::uint32_t address) override { return echo_.send(address); }
  platform::EchoResult awaitEcho(std::chrono::milliseconds wait) override { return echo_.await(wait); }

 private:
  platform::NameLookup lookup_;
  platform::TcpSocket socket_;
  platform::TcpSocket probe_;
  platform::IcmpEcho echo_;
};

}  // namespace

std::unique_ptr<SocketDevice> makePlatformSocketDevice(platform::NameLookup lookup) {
  return std::make_unique<PlatformSocketDevice>(std::move(lookup));
}

}  // namespace kelmore::link
