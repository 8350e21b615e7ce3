// Fuzz target of Config.dat and the readers its values go to (port name, module address, comm settings,
// module address text), and of ports.map, which the same bytes stand in for. Whatever the file holds, the
// values read are written and read back unchanged, and every reader of a value gives a value or says no.
// Layer: fuzz (plain C++, no Qt).
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/framebcc.h"
#include "link/linkerror.h"
#include "link/qolxcom.h"
#include "mainwindow/configfile.h"
#include "platform/comports.h"
#include "platform/tcpsocket.h"

namespace {

using namespace kelmore;
using mainwindow::ConfigValues;

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// A field as the written file keeps it: what formatConfig drops is gone, an empty field reads as its
// default.
std::optional<std::string> asWritten(const std::optional<std::string>& value,
                                     const std::optional<std::string>& fallback) {
  std::string kept;
  for (char c : value.value_or(""))
    if (c != '"' && c != '\r' && c != '\n') kept += c;
  return kept.empty() ? fallback : kept;
}

void checkRoundTrip(const ConfigValues& read) {
  const ConfigValues defaults = mainwindow::configDefaults(mainwindow::kDefaultPort);
  const ConfigValues again = mainwindow::parseConfig(mainwindow::formatConfig(read));
  require(again.port == asWritten(read.port, defaults.port));
  require(again.modAdd == asWritten(read.modAdd, defaults.modAdd));
  require(again.commSetting == asWritten(read.commSetting, defaults.commSetting));
  require(again.ipAddress == asWritten(read.ipAddress, defaults.ipAddress));
  require(again.tcpPort == asWritten(read.tcpPort, defaults.tcpPort));
  require(again.target == asWritten(read.target, defaults.target));
  require(again.model == asWritten(read.model, defaults.model));
}

void checkValueReaders(const ConfigValues& read) {
  if (read.port) {
    const int number = platform::comNumber(*read.port);
    require(number >= 0 && number <= platform::kComPortCount);
  }
  if (read.modAdd) {
    try {
      link::frameAddress(*read.modAdd);
    } catch (const link::DeviceError& e) {
      require(e.kind() == link::DeviceError::Kind::Overflow);
    }
  }
  if (read.commSetting) {
    if (const auto settings = link::parseCommSettings(*read.commSetting)) {
      require(settings->dataBits >= 5 && settings->dataBits <= 8);
      require(settings->stopBits == 1 || settings->stopBits == 2);
      require(settings->parity == 'n' || settings->parity == 'o' || settings->parity == 'e');
    }
  }
  if (read.ipAddress) {
    // Names are looked up nowhere: the address forms alone are read.
    platform::resolveHost(*read.ipAddress, [](const std::string&) { return std::nullopt; });
  }
}

// The same bytes as ports.map, asked for every port; no device folder stands behind it.
void checkPortMap(const std::uint8_t* data, std::size_t size) {
  static const int fd = memfd_create("ports.map", MFD_CLOEXEC);
  require(fd >= 0 && ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
  const platform::ComScanRoots roots{"/proc/self/fd/" + std::to_string(fd), "/nonexistent/dev",
                                     "/nonexistent/sys"};
  for (int number = 0; number <= platform::kComPortCount + 1; ++number) {
    const auto path = platform::comDevicePath(number, roots);
    if (!path) continue;
    require(number >= 1 && number <= platform::kComPortCount);
    require(!path->empty() && path->front() != ' ' && path->back() != ' ' &&
            path->find('\n') == std::string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const ConfigValues read = mainwindow::parseConfig(content);
  checkRoundTrip(read);
  checkValueReaders(read);
  checkPortMap(data, size);
  return 0;
}
