// COM1..COM16 names mapped to serial device paths: ports.map first, then the devices present.
// Layer: platform (plain C++, no Qt).
//
// A line "COMn=/dev/..." in $XDG_CONFIG_HOME/kelmore/ports.map wins; otherwise COMn is the n-th serial device
// present, USB adapters (ttyUSB*, ttyACM*) first, then ttyS* ones that have a driver, each in numeric order.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kelmore::platform {

inline constexpr int kComPortCount = 16;

// "COM3" -> 3; anything else (also "com3", "COM0", "COM17") -> 0.
int comNumber(std::string_view name);

// The device path behind COMn (1..16), or nothing when no device stands behind it. Reads the map and the
// device folder afresh on every call, so a plugged-in adapter is seen at once.
std::optional<std::string> comDevicePath(int number);

// Where the mapping looks. The defaults are the live system; tests point them at folders of their own.
struct ComScanRoots {
  std::filesystem::path mapFile;                       // ports.map; an absent file maps nothing
  std::filesystem::path devDir = "/dev";               // device nodes ttyUSB*, ttyACM*, ttyS*
  std::filesystem::path sysTtyDir = "/sys/class/tty";  // <name>/device/driver tells a ttyS* with a driver
};

// comDevicePath() over the given roots. In ports.map, blank lines and lines beginning "#" are skipped, blanks
// around the name and the path are ignored, and the first line for a port counts.
std::optional<std::string> comDevicePath(int number, const ComScanRoots& roots);

}  // namespace kelmore::platform
