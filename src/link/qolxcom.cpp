// The serial link: opens with CTS required, raw and framed writes, countdown reads, bounded waits.
// Layer: link (plain C++, no Qt).
#include "link/qolxcom.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/numbers.h"
#include "common/text.h"
#include "link/framebcc.h"

namespace kelmore::link {
namespace {

using platform::PortError;

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
    : ByteLink(env), device_(std::move(device)) {}

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
  resetError();
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

void qolxCom::portDrop() {
  // Pending output would hold up the close on a port that stalled.
  device_->purge();
  device_->close();
}

bool qolxCom::beforeFrame() {
  // CTS before each frame, looked at every 30 ms without events, for at most the stall limit.
  const auto start = env_.now();
  std::optional<ShownWait> shown;  // only a wait that happens is shown
  while (!device_->cts()) {
    if (!ready()) return false;
    if (env_.now() - start >= stallLimit_) {
      fail(LinkError::Stalled);
      return false;
    }
    if (!shown) shown.emplace(env_, LinkWait::Cts, stallLimit_);
    env_.sleepMs(static_cast<int>(kCtsPoll.count()));
  }
  return true;
}

void qolxCom::comClose() {
  // What was sent leaves before the port closes; a port that cannot drain is dropped, not waited on.
  if (device_->isOpen() && comFlush()) device_->close();
  forgetPending();
}

bool qolxCom::isOpen() const {
  return device_->isOpen();
}

void qolxCom::injectCts(std::optional<bool> value) {
  device_->injectCts(value);
}

}  // namespace kelmore::link
