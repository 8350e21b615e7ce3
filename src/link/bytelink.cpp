// Sends, drains and countdown reads shared by the serial and the TCP link.
// Layer: link (plain C++, no Qt).
#include "link/bytelink.h"

#include <algorithm>
#include <optional>

#include "link/framebcc.h"

namespace kelmore::link {

using platform::PortError;

namespace {

// An empty poll asks the port for about a millisecond before the 100 ms wait.
constexpr std::chrono::milliseconds kPollRead{1};
// A write or a drain waits on the port in slices this long, the window taking its events between them;
// slices without progress add up to the stall limit.
constexpr std::chrono::milliseconds kStallSlice{100};

}  // namespace

void checkTimeoutSec(int timeoutSec) {
  if (timeoutSec > kMaxTimeoutSec || timeoutSec < -kMaxTimeoutSec)
    throw DeviceError(DeviceError::Kind::Overflow);
}

LinkError linkErrorOf(PortError error) {
  switch (error) {
    case PortError::None:
      return LinkError::None;
    case PortError::Stalled:
      return LinkError::Stalled;
    case PortError::HungUp:
      return LinkError::HungUp;
    default:
      return LinkError::Io;
  }
}

void ByteLink::fail(LinkError error) {
  if (error_ == LinkError::None) error_ = error;
  if (portOpen()) portDrop();
  pending_ = false;
}

bool ByteLink::ready() {
  if (portOpen()) return true;
  fail(LinkError::NotOpen);
  return false;
}

bool ByteLink::out(std::string_view moduleAdd, std::span<const std::uint8_t> data) {
  const auto address = frameAddress(moduleAdd);
  return address ? writeFramed(*address, data) : writeRaw(data);
}

bool ByteLink::writeAll(std::span<const std::uint8_t> bytes) {
  std::size_t written = 0;
  std::chrono::milliseconds stalled{0};  // since the last byte that left
  std::optional<ShownWait> shown;
  while (written < bytes.size()) {
    const auto slice = std::min(kStallSlice, stallLimit_ - stalled);
    const platform::IoResult result = portWrite(bytes.subspan(written), slice);
    written += result.count;
    env_.doEvents();
    if (result.error == PortError::Stalled) {
      // The port gave up `slice` after its last byte; the stall clock restarts on every byte that leaves.
      stalled = (result.count > 0 ? std::chrono::milliseconds(0) : stalled) + slice;
      if (stalled >= stallLimit_) {
        fail(LinkError::Stalled);
        return false;
      }
      if (shown)
        shown->moveOn(stallLimit_ - stalled);
      else
        shown.emplace(env_, LinkWait::Send, stallLimit_ - stalled);
    } else if (result.error != PortError::None) {
      fail(linkErrorOf(result.error));
      return false;
    } else {
      stalled = std::chrono::milliseconds(0);
      shown.reset();
    }
    // A handler run by the events may have closed the link.
    if (!ready()) return false;
  }
  pending_ = true;
  return true;
}

bool ByteLink::writeRaw(std::span<const std::uint8_t> data) {
  if (!ready()) return false;
  const std::size_t piece = rawPiece();
  for (std::size_t at = 0; at < data.size(); at += piece) {
    if (!writeAll(data.subspan(at, std::min(piece, data.size() - at)))) return false;
  }
  return true;
}

bool ByteLink::writeFramed(std::uint8_t address, std::span<const std::uint8_t> data) {
  if (!ready()) return false;
  for (const auto& frame : FrameBcc(address, data)) {
    if (!beforeFrame() || !writeAll(frame)) return false;
  }
  return true;
}

bool ByteLink::flush() {
  if (!pending_) return true;
  pending_ = false;
  if (!ready()) return false;
  std::chrono::milliseconds waited{0};
  std::optional<ShownWait> shown;
  for (;;) {
    const auto slice = std::min(kStallSlice, stallLimit_ - waited);
    const PortError drained = portDrain(slice);
    if (drained == PortError::None) return true;
    waited += slice;
    if (drained != PortError::Stalled || waited >= stallLimit_) {
      fail(linkErrorOf(drained));
      return false;
    }
    if (shown)
      shown->moveOn(stallLimit_ - waited);
    else
      shown.emplace(env_, LinkWait::Send, stallLimit_ - waited);
    env_.doEvents();
    // A handler run by the events may have closed the link.
    if (!ready()) return false;
  }
}

template <typename Store>
bool ByteLink::poll(int wanted, int timeoutSec, Store store) {
  checkTimeoutSec(timeoutSec);
  if (!ready() || !flush()) return false;
  int counter = timeoutSec * 10;
  ShownWait shown(env_, LinkWait::Reply, std::max(counter, 0) * kPollWait);
  int count = 0;
  std::uint8_t chunk[256];
  const std::size_t most = std::min(pollChunk(), sizeof chunk);
  for (;;) {
    env_.doEvents();
    if (!ready()) return false;
    // Never more than the reply still wanted: a surplus stays with the port for the next read.
    const std::size_t ask = wanted != 0 ? std::min(most, static_cast<std::size_t>(wanted - count)) : most;
    const platform::IoResult result = portRead({chunk, ask}, kPollRead);
    if (result.error != PortError::None) {
      fail(linkErrorOf(result.error));
      return false;
    }
    if (result.count == 0) {
      // Arriving bytes never restart the countdown: only empty polls count, 100 ms each.
      env_.sleepMs(static_cast<int>(kPollWait.count()));
      if (--counter <= 0) return false;
      shown.moveOn(counter * kPollWait);
      continue;
    }
    for (std::size_t i = 0; i < result.count; ++i) store(count++, chunk[i]);
    if (wanted != 0 && count >= wanted) return true;
  }
}

bool ByteLink::readStr(std::string& s, int wanted, int timeoutSec) {
  std::string got;
  const bool ok =
      poll(wanted, timeoutSec, [&](int, std::uint8_t byte) { got.push_back(static_cast<char>(byte)); });
  s = ok ? std::move(got) : std::string();
  return ok;
}

bool ByteLink::readBytes(std::span<std::uint8_t> data, int wanted, int timeoutSec) {
  return poll(wanted, timeoutSec, [&](int at, std::uint8_t byte) {
    if (static_cast<std::size_t>(at) < data.size()) data[static_cast<std::size_t>(at)] = byte;
  });
}

}  // namespace kelmore::link
