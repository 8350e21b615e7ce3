// The serial port as qolxCom uses it: the platform port behind a seam, so tests can stand in a scripted one.
// Layer: link (plain C++, no Qt).
//
// Same contract as platform::SerialPort (bounded writes and drains, short counts on read time-outs), plus
// the COM number to device path mapping, which a test may point at a pseudo-terminal.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/serialport.h"

namespace kelmore::link {

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // The device path behind COMn, or nothing when no device stands behind it.
  virtual std::optional<std::string> devicePath(int comNumber) = 0;
  virtual platform::PortError open(const std::string& path, const platform::SerialSettings& settings) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  virtual platform::IoResult write(std::span<const std::uint8_t> bytes,
                                   std::chrono::milliseconds stallLimit) = 0;
  virtual platform::IoResult read(std::span<std::uint8_t> into, std::chrono::milliseconds timeout) = 0;
  virtual platform::PortError drain(std::chrono::milliseconds limit) = 0;
  virtual void purge() = 0;
  virtual bool cts() const = 0;
  virtual void injectCts(std::optional<bool> value) = 0;
};

// The platform's termios port and its COM mapping (ports.map, then the devices present).
std::unique_ptr<SerialDevice> makePlatformSerialDevice();

}  // namespace kelmore::link
