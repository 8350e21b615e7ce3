// The loader's byte port on a real serial device.
// Layer: loader (plain C++, no Qt).
#include "loader/serialbyteport.h"

#include "platform/comports.h"

namespace kelmore::loader {

namespace {

// The loader's line: CTS output flow, RTS on, DTR off.
constexpr platform::SerialSettings kLoaderSettings{38400, 'n', 8, 1, true, false};

}  // namespace

SerialBytePort::SerialBytePort(std::chrono::milliseconds stallLimit) : stallLimit_(stallLimit) {}

PortStatus SerialBytePort::open(const std::string& portName) {
  const std::optional<std::string> device = platform::comDevicePath(platform::comNumber(portName));
  if (!device) return PortStatus::OpenFailed;
  drained_ = true;
  switch (port_.open(*device, kLoaderSettings)) {
    case platform::PortError::None:
      return PortStatus::Ok;
    case platform::PortError::Setup:
      return PortStatus::SetupRefused;
    default:
      return PortStatus::OpenFailed;
  }
}

PortStatus SerialBytePort::write(std::span<const std::uint8_t> bytes) {
  drained_ = false;
  const platform::IoResult result = port_.write(bytes, stallLimit_);
  return result.error == platform::PortError::None && result.count == bytes.size() ? PortStatus::Ok
                                                                                   : PortStatus::WriteFailed;
}

PortStatus SerialBytePort::drain() {
  drained_ = port_.drain(stallLimit_) == platform::PortError::None;
  return drained_ ? PortStatus::Ok : PortStatus::WriteFailed;
}

void SerialBytePort::close() {
  if (!port_.isOpen()) return;
  // Bytes that could not leave are dropped, so the close never waits on a held line. Drained ones are
  // left alone: on a pseudo-terminal a flush would take them back from the reader.
  if (!drained_) port_.purge();
  port_.close();
}

}  // namespace kelmore::loader
