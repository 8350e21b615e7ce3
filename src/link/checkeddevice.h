// The device calls of a module command sequence, each step checked, and their adapter on PX5000: what the
// main window's macro commands and the image download send through.
// Layer: link (plain C++, no Qt).
//
// Every send reports whether its bytes went out. On PX5000 a step counts as sent when the device object
// kept no link error and raised no DeviceError for it; a reply that a step only waits for (user mode in,
// the dummy read) is not part of its result. A sequence that meets a failed step ends with the link closed
// and kTransferFailed for the user.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "link/px5000.h"

namespace kelmore::link {

inline constexpr std::string_view kTransferFailed = "Transfer failed.";
// Zero bytes sent after a flash download or the image data: they push the last of it through the module.
inline constexpr int kPushThroughBytes = 1000;

class CheckedDevice {
 public:
  virtual ~CheckedDevice() = default;
  virtual bool isOpen() const = 0;
  virtual bool ifOpen() = 0;
  virtual void ifClose() = 0;
  virtual bool ifOut(std::uint8_t byte) = 0;
  virtual bool userModeIn() = 0;
  virtual bool userModeOut() = 0;
  virtual bool writeMemorySw(int sw, int value) = 0;
  virtual bool fromRamMacroDefine(std::span<const std::uint8_t> code) = 0;
  virtual bool fromMacroDefine(int area, int stepTimer, int loopTimer,
                               std::span<const std::uint8_t> code) = 0;
  virtual bool fromMacroDefineWmr(int stepTimer, int loopTimer, std::span<const std::uint8_t> code) = 0;
  virtual bool MacroGo(int number, int stepTimer, int idleTimer) = 0;
  virtual bool cursorSet(int x, int y) = 0;
  virtual bool printText(std::string_view text) = 0;
  virtual bool dummyWrite(int count) = 0;
  // Waits until the module has taken what was sent; its answer is not looked at.
  virtual bool dummyRead() = 0;
  // Starts once what was sent has left the port.
  virtual void pause(int ms) = 0;
};

class CheckedPx5000 : public CheckedDevice {
 public:
  explicit CheckedPx5000(PX5000& device) : device_(device) {}

  bool isOpen() const override { return device_.isOpen(); }
  bool ifOpen() override;
  void ifClose() override { device_.ifClose(); }
  bool ifOut(std::uint8_t byte) override;
  bool userModeIn() override;
  bool userModeOut() override;
  bool writeMemorySw(int sw, int value) override;
  bool fromRamMacroDefine(std::span<const std::uint8_t> code) override;
  bool fromMacroDefine(int area, int stepTimer, int loopTimer, std::span<const std::uint8_t> code) override;
  bool fromMacroDefineWmr(int stepTimer, int loopTimer, std::span<const std::uint8_t> code) override;
  bool MacroGo(int number, int stepTimer, int idleTimer) override;
  bool cursorSet(int x, int y) override;
  bool printText(std::string_view text) override;
  bool dummyWrite(int count) override;
  bool dummyRead() override;
  void pause(int ms) override { device_.pause(ms); }

 protected:
  PX5000& device_;

 private:
  template <typename Step>
  bool sent(Step&& step);
};

}  // namespace kelmore::link
