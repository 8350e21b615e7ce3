// PX5000 as the main window's device.
// Layer: main window (plain C++, no Qt).
#include "mainwindow/deviceadapter.h"

namespace kelmore::mainwindow {

template <typename Step>
bool Px5000Device::sent(Step&& step) {
  try {
    step();
  } catch (const link::DeviceError&) {
    return false;
  }
  return device_.linkError() == link::LinkError::None;
}

bool Px5000Device::ifOpen() {
  int result = 1;
  return sent([&] { result = device_.ifOpen(); }) && result == 0;
}

bool Px5000Device::userModeIn() {
  return sent([&] { device_.userModeIn(); });
}
bool Px5000Device::userModeOut() {
  return sent([&] { device_.userModeOut(); });
}
bool Px5000Device::writeMemorySw(int sw, int value) {
  return sent([&] { device_.writeMemorySw(sw, value); });
}
bool Px5000Device::fromRamMacroDefine(std::span<const std::uint8_t> code) {
  return sent([&] { device_.fromRamMacroDefine(code, static_cast<std::int64_t>(code.size())); });
}
bool Px5000Device::fromMacroDefine(int area, int stepTimer, int loopTimer,
                                   std::span<const std::uint8_t> code) {
  return sent([&] {
    device_.fromMacroDefine(area, stepTimer, loopTimer, code, static_cast<std::int64_t>(code.size()));
  });
}
bool Px5000Device::fromMacroDefineWmr(int stepTimer, int loopTimer, std::span<const std::uint8_t> code) {
  return sent([&] {
    device_.fromMacroDefineWmr(stepTimer, loopTimer, code, static_cast<std::int64_t>(code.size()));
  });
}
bool Px5000Device::MacroGo(int number, int stepTimer, int idleTimer) {
  return sent([&] { device_.MacroGo(number, stepTimer, idleTimer); });
}
bool Px5000Device::cursorSet(int x, int y) {
  return sent([&] { device_.cursorSet(x, y); });
}
bool Px5000Device::printText(std::string_view text) {
  return sent([&] { device_.printText(text); });
}
bool Px5000Device::dummyWrite(int count) {
  return sent([&] { device_.dummyWrite(count); });
}
bool Px5000Device::dummyRead() {
  // Only a wait until the module has taken what was sent; its answer is not looked at.
  return sent([&] { device_.dummyRead(); });
}

void Px5000Device::setSerialLink(int port, const std::string& settings) {
  device_.ifMode("COM");
  try {
    device_.commPort(port);
  } catch (const link::DeviceError&) {
    device_.commPort(0);  // no such port: the check reports it
  }
  device_.commSettings(settings);
}

void Px5000Device::setTcpLink(const std::string& address, long port) {
  device_.ifMode("LAN");
  device_.ipAddress(address);
  try {
    device_.tcpPort(static_cast<std::int64_t>(port));
  } catch (const link::DeviceError&) {
    device_.tcpPort(std::int64_t{0});
  }
}

std::string Px5000Device::detectModuleName() {
  // A failure while the module is asked counts as no answer. The query opened the link itself and the
  // failure skipped its close: left open, the link would turn every later device command away.
  const bool wasOpen = device_.isOpen();
  try {
    device_.moduleName("");
  } catch (const link::DeviceError&) {
    if (!wasOpen) device_.ifClose();
    return std::string(kNoModuleName);
  }
  return device_.moduleName();
}

}  // namespace kelmore::mainwindow
