// PX5000 as the main window's module probe.
// Layer: main window (plain C++, no Qt).
#include "mainwindow/deviceadapter.h"

namespace kelmore::mainwindow {

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
