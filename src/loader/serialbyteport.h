// The loader's byte port on a real serial device: COMn mapped to its device, 38400 8N1, CTS flow, DTR off.
// Layer: loader (plain C++, no Qt).
#pragma once

#include <chrono>
#include <optional>

#include "loader/sender.h"
#include "platform/serialport.h"

namespace kelmore::loader {

class SerialBytePort : public BytePort {
 public:
  // `stallLimit` bounds every write and the final drain: no progress for that long fails the job.
  explicit SerialBytePort(std::chrono::milliseconds stallLimit = platform::kStallLimit);

  PortStatus open(const std::string& portName) override;
  PortStatus write(std::span<const std::uint8_t> bytes) override;
  PortStatus drain() override;
  void close() override;  // drops what could not leave, so closing never waits on the line

  // Test seam: the CTS level the port reports while set.
  void injectCts(std::optional<bool> value) { port_.injectCts(value); }

 private:
  platform::SerialPort port_;
  std::chrono::milliseconds stallLimit_;
  bool drained_ = true;  // nothing written since the last drain that succeeded
};

}  // namespace kelmore::loader
