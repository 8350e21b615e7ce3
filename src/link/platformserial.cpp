// The platform serial port behind the link's seam.
// Layer: link (plain C++, no Qt).
#include "link/serialdevice.h"
#include "platform/comports.h"

namespace kelmore::link {
namespace {

class PlatformSerialDevice final : public SerialDevice {
 public:
  std::optional<std::string> devicePath(int comNumber) override { return platform::comDevicePath(comNumber); }
  platform::PortError open(const std::string& path, const platform::SerialSettings& settings) override {
    return port_.open(path, settings);
  }
  void close() override { port_.close(); }
  bool isOpen() const override { return port_.isOpen(); }
  platform::IoResult write(std::span<const std::uint8_t> bytes,
                           std::chrono::milliseconds stallLimit) override {
    return port_.write(bytes, stallLimit);
  }
  platform::IoResult read(std::span<std::uint8_t> into, std::chrono::milliseconds timeout) override {
    return port_.read(into, timeout);
  }
  platform::PortError drain(std::chrono::milliseconds limit) override { return port_.drain(limit); }
  void purge() override { port_.purge(); }
  bool cts() const override { return port_.cts(); }
  void injectCts(std::optional<bool> value) override { port_.injectCts(value); }

 private:
  platform::SerialPort port_;
};

}  // namespace

std::unique_ptr<SerialDevice> makePlatformSerialDevice() {
  return std::make_unique<PlatformSerialDevice>();
}

}  // namespace kelmore::link
