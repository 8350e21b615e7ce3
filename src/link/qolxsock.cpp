// The TCP link: bounded connect, the shared sends and reads, and the reachability check.
// Layer: link (plain C++, no Qt).
#include "link/qolxsock.h"

#include <algorithm>

namespace kelmore::link {

using platform::EchoResult;
using platform::PortError;

namespace {

std::optional<std::uint16_t> portNumber(std::int64_t port) {
  // A port the wire cannot carry would reach another one, cut to 16 bits.
  if (port < 1 || port > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(port);
}

}  // namespace

qolxSock::qolxSock(LinkEnv& env) : qolxSock(env, makePlatformSocketDevice()) {}

qolxSock::qolxSock(LinkEnv& env, std::unique_ptr<SocketDevice> device)
    : ByteLink(env), device_(std::move(device)) {}

qolxSock::~qolxSock() {
  sockClose();
}

template <typename Done>
bool qolxSock::waitFor(LinkWait wait, std::chrono::milliseconds limit, Done done) {
  const ShownWait shown(env_, wait, limit);
  const auto start = env_.now();
  for (;;) {
    if (done()) return true;
    if (env_.now() - start >= limit) return false;
    env_.sleepMs(static_cast<int>(kStep.count()));
  }
}

int qolxSock::sockOpen(std::string_view ip, std::int64_t port) {
  sockClose();
  resetError();
  const auto address = device_->resolve(ip);
  const auto number = portNumber(port);
  if (!address || !number || device_->startConnect(*address, *number) != PortError::None) {
    fail(LinkError::OpenFailed);
    return 1;
  }
  PortError state = PortError::Stalled;
  const bool connected = waitFor(LinkWait::Connect, kConnectLimit, [&] {
    state = device_->awaitConnect(std::chrono::milliseconds(0));
    return state != PortError::Stalled;
  });
  if (!connected || state != PortError::None) {
    // A connect still under way is dropped with the socket.
    device_->close();
    fail(LinkError::OpenFailed);
    return 1;
  }
  env_.doEvents();
  env_.doEvents();
  // A handler run by the events may have closed the link again.
  if (!device_->isOpen()) {
    fail(LinkError::OpenFailed);
    return 1;
  }
  return 0;
}

platform::IoResult qolxSock::portWrite(std::span<const std::uint8_t> bytes, std::chrono::milliseconds stall) {
  // One attempt at a time, the window's events after each, so a module that takes nothing never freezes
  // it; the stall limit counts from the last byte taken.
  platform::IoResult done;
  auto progress = env_.now();
  for (;;) {
    const platform::IoResult attempt =
        device_->write(bytes.subspan(done.count), std::chrono::milliseconds(0));
    done.count += attempt.count;
    if (attempt.count > 0) progress = env_.now();
    if (attempt.error != PortError::Stalled) {
      done.error = attempt.error;
      return done;
    }
    if (env_.now() - progress >= stall) {
      done.error = PortError::Stalled;
      return done;
    }
    env_.sleepMs(static_cast<int>(kStep.count()));
    env_.doEvents();
    // A handler run by the events closed the link: the caller finds it closed.
    if (!device_->isOpen()) return done;
  }
}

platform::PortError qolxSock::portDrain(std::chrono::milliseconds limit) {
  // A module that takes a long download slowly, or nothing more, would otherwise hold the window here.
  return device_->drain(limit, [this] {
    env_.doEvents();
    return device_->isOpen();
  });
}

void qolxSock::sockClose() {
  // What was sent reaches the module before the close; a connection that cannot drain is dropped.
  if (device_->isOpen() && sockFlush()) device_->close();
  forgetPending();
}

qolxSock::Reach qolxSock::reach(std::string_view host, std::int64_t port, int timeoutMs) {
  const auto address = device_->resolve(host);
  if (!address) return Reach::Unresolved;
  const std::chrono::milliseconds limit(std::max(timeoutMs, 0));
  if (device_->sendEcho(*address) != EchoResult::Unavailable) {
    const bool answered = waitFor(LinkWait::Echo, limit, [&] {
      return device_->awaitEcho(std::chrono::milliseconds(0)) == EchoResult::Reply;
    });
    return answered ? Reach::Answered : Reach::Silent;
  }
  // No ICMP socket here: the module's own port stands in for the echo.
  const auto number = portNumber(port);
  if (!number) return Reach::Silent;
  PortError state = device_->startProbe(*address, *number);
  if (state == PortError::None) {
    state = PortError::Stalled;
    waitFor(LinkWait::Echo, limit, [&] {
      state = device_->awaitProbe(std::chrono::milliseconds(0));
      return state != PortError::Stalled;
    });
  }
  device_->endProbe();
  return state == PortError::None ? Reach::Answered : Reach::Silent;
}

bool qolxSock::pingCheck(std::string_view host, std::int64_t port, int timeoutMs) {
  const Reach result = reach(host, port, timeoutMs);
  if (result == Reach::Silent) env_.messageBox(kLanMessage, "", BoxIcon::None);
  return result == Reach::Answered;
}

bool qolxSock::pingCheckSilent(std::string_view host, std::int64_t port, int timeoutMs) {
  return reach(host, port, timeoutMs) == Reach::Answered;
}

}  // namespace kelmore::link
