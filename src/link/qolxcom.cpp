// The serial link: opens with CTS required, raw and framed writes, countdown reads, bounded waits.
// Layer: link (plain C++, no Qt).
#include "link/qolxcom.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/numbers.h"
#include "common/text.h"
#include "link/framebcc.h"

namespace kelmore::link {
namespace {

using platform::PortError;

// An empty poll asks the port for about a millisecond before the 100 ms wait.
constexpr std::chrono::milliseconds kPollRead{1};
// timeout × 10 is a 16-bit counter.
constexpr int kMaxTimeoutSec = 3276;

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

}  // namespace

std::optional<platform::SerialSettings> parseCommSettings(std::string_view settings) {
  const auto fields = splitAt(settings, ',');
  if (fields.size() < 4) return std::nullopt;
  platform::SerialSettings parsed;
  const auto baud = nearestInRange(leadingNumber(fields[0]), INT32_MIN, INT32_MAX);
  if (!baud) return std::nullopt;
  parsed.baud = static_cast<int>(*baud);
  const std::string_view parity = fields[1];
  if (parity.size() != 1) return std::nullopt;
  switch (parity[0]) {
    case 'n':
    case 'N':
      parsed.parity = 'n';
      break;
    case 'o':
    case 'O':
      parsed.parity = 'o';
      break;
    case 'e':
    case 'E':
      parsed.parity = 'e';
      break;
    default:
      return std::nullopt;
  }
  const auto dataBits = nearestInRange(leadingNumber(fields[2]), 5, 8);
  if (!dataBits) return std::nullopt;
  parsed.dataBits = static_cast<int>(*dataBits);
  parsed.stopBits = leadingNumber(fields[3]) == 2.0 ? 2 : 1;
  parsed.ctsFlow = true;
  return parsed;
}

qolxCom::qolxCom(LinkEnv& env) : qolxCom(env, makePlatformSerialDevice()) {}

qolxCom::qolxCom(LinkEnv& env, std::unique_ptr<SerialDevice> device)
    : env_(env), device_(std::move(device)) {}

qolxCom::~qolxCom() {
  comClose();
}

int qolxCom::comPortCheck(int port) {
  const int result = openPort(port, parseCommSettings(kCheckSettings), true);
  comClose();
  return result;
}

int qolxCom::comPortCheckSilent(int port) {
  const int result = openPort(port, parseCommSettings(kCheckSettings), false);
  comClose();
  return result;
}

int qolxCom::comOpen(int port, std::string_view settings) {
  return openPort(port, parseCommSettings(settings), true);
}

int qolxCom::openPort(int port, const std::optional<platform::SerialSettings>& settings, bool showMessages) {
  // One port at a time: a port still held is closed, never lost.
  comClose();
  error_ = LinkError::None;
  auto refuse = [&](int result, std::string_view message) {
    fail(LinkError::OpenFailed);
    if (showMessages) env_.messageBox(message, kComErrorTitle, BoxIcon::Critical);
    return result;
  };

  const auto path = device_->devicePath(port);
  if (!path) return refuse(1, kComMessageA);
  // A settings text the port cannot take still opens the port first, so a missing port reads as such.
  const PortError opened = device_->open(*path, settings.value_or(*parseCommSettings(kCheckSettings)));
  if (opened == PortError::Setup) return refuse(2, kComMessageC);
  if (opened != PortError::None) return refuse(1, kComMessageA);
  env_.sleepMs(static_cast<int>(kOpenSettle.count()));
  if (!settings) return refuse(2, kComMessageC);
  device_->purge();
  if (!device_->cts()) return refuse(2, kComMessageD);
  return 0;
}

void qolxCom::fail(LinkError error) {
  if (error_ == LinkError::None) error_ = error;
  if (device_->isOpen()) {
    // Pending output would hold up the close on a port that stalled.
    device_->purge();
    device_->close();
  }
  pending_ = false;
}

bool qolxCom::ready() {
  if (device_->isOpen()) return true;
  fail(LinkError::NotOpen);
  return false;
}

bool qolxCom::comOut(std::string_view moduleAdd, std::span<const std::uint8_t> data) {
  const auto address = frameAddress(moduleAdd);
  return address ? comWriteFramed(*address, data) : comWriteRaw(data);
}

bool qolxCom::writeAll(std::span<const std::uint8_t> bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const platform::IoResult result = device_->write(bytes.subspan(written), stallLimit_);
    written += result.count;
    env_.doEvents();
    if (result.error != PortError::None) {
      fail(linkErrorOf(result.error));
      return false;
    }
    // A handler run by the events may have closed the link.
    if (!ready()) return false;
  }
  pending_ = true;
  return true;
}

bool qolxCom::comWriteRaw(std::span<const std::uint8_t> data) {
  if (!ready()) return false;
  for (std::size_t at = 0; at < data.size(); at += kRawPiece) {
    if (!writeAll(data.subspan(at, std::min(kRawPiece, data.size() - at)))) return false;
  }
  return true;
}

bool qolxCom::comWriteFramed(std::uint8_t address, std::span<const std::uint8_t> data) {
  if (!ready()) return false;
  for (const auto& frame : FrameBcc(address, data)) {
    // CTS before each frame, looked at every 30 ms without events, for at most the stall limit.
    const auto start = env_.now();
    while (!device_->cts()) {
      if (!ready()) return false;
      if (env_.now() - start >= stallLimit_) {
        fail(LinkError::Stalled);
        return false;
      }
      env_.sleepMs(static_cast<int>(kCtsPoll.count()));
    }
    if (!writeAll(frame)) return false;
  }
  return true;
}

bool qolxCom::comFlush() {
  if (!pending_) return true;
  pending_ = false;
  if (!ready()) return false;
  const PortError drained = device_->drain(stallLimit_);
  if (drained != PortError::None) {
    fail(linkErrorOf(drained));
    return false;
  }
  return true;
}

template <typename Store>
bool qolxCom::poll(int wanted, int timeoutSec, Store store) {
  if (timeoutSec > kMaxTimeoutSec || timeoutSec < -kMaxTimeoutSec)
    throw DeviceError(DeviceError::Kind::Overflow);
  if (!ready() || !comFlush()) return false;
  int counter = timeoutSec * 10;
  int count = 0;
  for (;;) {
    env_.doEvents();
    if (!ready()) return false;
    std::uint8_t byte = 0;
    const platform::IoResult result = device_->read({&byte, 1}, kPollRead);
    if (result.error != PortError::None) {
      fail(linkErrorOf(result.error));
      return false;
    }
    if (result.count == 0) {
      // Arriving bytes never restart the countdown: only empty polls count, 100 ms each.
      env_.sleepMs(static_cast<int>(kPollWait.count()));
      if (--counter <= 0) return false;
      continue;
    }
    store(count, byte);
    ++count;
    if (wanted != 0 && count >= wanted) return true;
  }
}

bool qolxCom::comReadStr(std::string& s, int wanted, int timeoutSec) {
  std::string got;
  const bool ok =
      poll(wanted, timeoutSec, [&](int, std::uint8_t byte) { got.push_back(static_cast<char>(byte)); });
  s = ok ? std::move(got) : std::string();
  return ok;
}

bool qolxCom::comReadBytes(std::span<std::uint8_t> data, int wanted, int timeoutSec) {
  return poll(wanted, timeoutSec, [&](int at, std::uint8_t byte) {
    if (static_cast<std::size_t>(at) < data.size()) data[static_cast<std::size_t>(at)] = byte;
  });
}

void qolxCom::comClose() {
  // What was sent leaves before the port closes; a port that cannot drain is dropped, not waited on.
  if (device_->isOpen() && comFlush()) device_->close();
  pending_ = false;
}

bool qolxCom::isOpen() const {
  return device_->isOpen();
}

void qolxCom::injectCts(std::optional<bool> value) {
  device_->injectCts(value);
}

}  // namespace kelmore::link
