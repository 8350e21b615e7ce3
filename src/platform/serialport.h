// Serial port on termios: exclusive open, 8N1-style settings, CTS flow control, bounded reads and writes.
// Layer: platform (plain C++, no Qt).
//
// Every call has a deadline; none blocks longer than its limit. A read time-out is a short count with
// PortError::None; a write that makes no progress (CTS held low, a deaf peer) for `stallLimit` ends with
// PortError::Stalled and the count written so far. EINTR is retried against the time left.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/ioresult.h"

namespace kelmore::platform {

struct SerialSettings {
  int baud = 38400;
  char parity = 'n';  // 'n', 'o' or 'e'
  int dataBits = 8;   // 5..8
  int stopBits = 1;   // 1 or 2
  bool ctsFlow = true;
  bool dtr = true;  // DTR raised while open; false drops it (where the device has modem lines)
};

class SerialPort {
 public:
  SerialPort();
  ~SerialPort();  // closes the port if open
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens `devicePath` exclusively (flock + TIOCEXCL) and applies `settings`. An unsupported baud rate,
  // data bits, parity or stop bits gives PortError::Setup and leaves the port closed. NotFound: no such
  // device, or one that is not a terminal; Busy: another holder (this process included); NoPermission:
  // access refused. A pseudo-terminal is pinned by the kernel to 8 bits without parity and takes any frame.
  PortError open(const std::string& devicePath, const SerialSettings& settings);
  void close();
  bool isOpen() const;

  IoResult write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds stallLimit = kStallLimit);
  IoResult read(std::span<std::uint8_t> into, std::chrono::milliseconds timeout);
  // Waits until the output queue has left the port, at most `limit`.
  PortError drain(std::chrono::milliseconds limit = kStallLimit);
  void purge();  // drops pending input and output

  // Clear To Send. A device without modem lines (a pseudo-terminal) reports true.
  bool cts() const;
  // Test seam: while set, cts() reports this value instead of the line.
  void injectCts(std::optional<bool> value);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kelmore::platform
