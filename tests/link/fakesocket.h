// A network on virtual time with the simulated module's core behind one TCP port: resolves through the
// real address rules and a scripted name table, connects (or refuses, or never answers), answers as the
// module would, in segments or with a surplus, and can stall, hang up or leave the echo unanswered.
// Layer: tests of the link (plain C++, no Qt).
#pragma once

#include <arpa/inet.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "link/socketdevice.h"
#include "sim/modulecore.h"
#include "virtualenv.h"
#include "writefaults.h"

namespace kelmore::link::testkit {

class FakeSocketDevice : public SocketDevice {
 public:
  static constexpr std::uint32_t kModuleHost = 0x7F000001;  // host byte order
  static constexpr std::uint16_t kModulePort = 10000;

  FakeSocketDevice(VirtualEnv& env, sim::ModuleConfig module = {}) : env_(env), core_(module) {}

  std::optional<std::uint32_t> resolve(std::string_view host) override {
    return platform::resolveHost(host, [this](const std::string& name) -> std::optional<std::uint32_t> {
      lookups.push_back(name);
      const auto found = names.find(name);
      if (found == names.end()) return std::nullopt;
      return htonl(found->second);
    });
  }

  platform::PortError startConnect(std::uint32_t address, std::uint16_t port) override {
    ++connects;
    open_ = false;
    replies_.clear();
    target_ = {ntohl(address), port};
    if (!reachable(address, port)) return platform::PortError::NotFound;
    connecting_ = true;
    connectStart_ = env_.clock;
    return platform::PortError::None;
  }
  platform::PortError awaitConnect(std::chrono::milliseconds) override {
    if (open_) return platform::PortError::None;
    if (!connecting_) return platform::PortError::Io;
    if (!connectAfterMs || env_.clock - connectStart_ < std::chrono::milliseconds(*connectAfterMs)) {
      return platform::PortError::Stalled;
    }
    connecting_ = false;
    open_ = true;
    return platform::PortError::None;
  }
  void close() override {
    if (open_ || connecting_) ++closes;
    open_ = false;
    connecting_ = false;
    replies_.clear();
  }
  bool isOpen() const override { return open_; }

  platform::IoResult write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds) override {
    writeSizes.push_back(bytes.size());
    if (!open_) return {0, platform::PortError::Io};
    return faultyWrite(bytes, written_, stallAfter, hangUpAfter,
                       [this](std::span<const std::uint8_t> taken) { feed(taken); });
  }
  platform::IoResult read(std::span<std::uint8_t> into, std::chrono::milliseconds) override {
    readSizes.push_back(into.size());
    if (!open_) return {0, platform::PortError::Io};
    std::size_t n = 0;
    while (n < into.size() && !replies_.empty() && replies_.front().second <= env_.clock) {
      into[n++] = replies_.front().first;
      replies_.pop_front();
    }
    if (n == 0 && closedByModule) return {0, platform::PortError::HungUp};
    return {n, platform::PortError::None};
  }
  platform::PortError drain(std::chrono::milliseconds, const platform::TcpSocket::Between& between) override {
    ++drains;
    for (int step = 0; step < drainSteps && open_; ++step) {
      if (between && !between()) return platform::PortError::Io;
    }
    return open_ ? platform::PortError::None : platform::PortError::Io;
  }

  platform::PortError startProbe(std::uint32_t address, std::uint16_t port) override {
    probes.push_back({ntohl(address), port});
    return reachable(address, port) ? platform::PortError::None : platform::PortError::NotFound;
  }
  platform::PortError awaitProbe(std::chrono::milliseconds) override {
    return connectAfterMs ? platform::PortError::None : platform::PortError::Stalled;
  }
  void endProbe() override { ++probeEnds; }

  platform::EchoResult sendEcho(std::uint32_t address) override {
    echoes.push_back(ntohl(address));
    if (!icmpAllowed) return platform::EchoResult::Unavailable;
    echoSent_ = env_.clock;
    return platform::EchoResult::Waiting;
  }
  platform::EchoResult awaitEcho(std::chrono::milliseconds) override {
    if (echoAfterMs && env_.clock - echoSent_ >= std::chrono::milliseconds(*echoAfterMs)) {
      return platform::EchoResult::Reply;
    }
    return platform::EchoResult::Waiting;
  }

  // Module bytes that become readable `delayMs` after now.
  void queueReply(std::span<const std::uint8_t> bytes, int delayMs = 0) {
    for (std::uint8_t b : bytes) replies_.push_back({b, env_.clock + std::chrono::milliseconds(delayMs)});
  }
  sim::ModuleCore& module() { return core_; }
  std::vector<std::uint8_t> wire() const { return core_.wire(); }

  struct Endpoint {
    std::uint32_t host;  // host byte order
    std::uint16_t port;
    friend bool operator==(const Endpoint&, const Endpoint&) = default;
  };

  std::map<std::string, std::uint32_t> names;  // host names the resolver knows (host byte order)
  bool refuse = false;                         // nothing listens on the module's port
  std::optional<int> connectAfterMs = 0;       // nothing: the host never answers a connect
  std::optional<int> echoAfterMs = 1;          // nothing: no echo reply ever comes
  bool icmpAllowed = true;
  bool silent = false;
  // Replies of the module arrive in two segments: this many bytes at once, the rest `splitDelayMs` later.
  std::optional<std::size_t> splitAt;
  int splitDelayMs = 250;
  std::optional<std::size_t> stallAfter;   // wire bytes taken before writes stop moving
  std::optional<std::size_t> hangUpAfter;  // wire bytes taken before the module closes the connection
  bool closedByModule = false;             // reads find the connection closed
  int drainSteps = 0;                      // steps a drain takes before the bytes have left
  std::vector<std::string> lookups;
  std::vector<std::uint32_t> echoes;
  std::vector<Endpoint> probes;
  std::optional<Endpoint> target_;
  std::vector<std::size_t> writeSizes;
  std::vector<std::size_t> readSizes;
  int connects = 0;
  int closes = 0;
  int drains = 0;
  int probeEnds = 0;

 private:
  bool reachable(std::uint32_t address, std::uint16_t port) const {
    return !refuse && ntohl(address) == kModuleHost && port == kModulePort;
  }
  void feed(std::span<const std::uint8_t> bytes) {
    written_ += bytes.size();
    const auto reply = core_.feed(bytes, env_.clock);
    if (silent || reply.empty()) return;
    const std::size_t first = splitAt ? std::min(*splitAt, reply.size()) : reply.size();
    queueReply(std::span(reply).first(first));
    queueReply(std::span(reply).subspan(first), splitDelayMs);
  }

  VirtualEnv& env_;
  sim::ModuleCore core_;
  bool open_ = false;
  bool connecting_ = false;
  LinkEnv::Clock::time_point connectStart_{};
  LinkEnv::Clock::time_point echoSent_{};
  std::size_t written_ = 0;
  std::deque<std::pair<std::uint8_t, LinkEnv::Clock::time_point>> replies_;
};

}  // namespace kelmore::link::testkit
