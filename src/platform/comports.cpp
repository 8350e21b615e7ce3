// COM1..COM16 names mapped to serial device paths: ports.map first, then the devices present in order.
// Layer: platform (plain C++, no Qt).
#include "platform/comports.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <system_error>
#include <vector>

#include "common/text.h"
#include "platform/fileread.h"
#include "platform/paths.h"
#include "platform/serialprobe.h"

namespace kelmore::platform {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kComPrefix = "COM";
// Device families in the order they take COM numbers: USB adapters before the board's own UARTs.
constexpr std::string_view kUsbFamilies[] = {"ttyUSB", "ttyACM"};
constexpr std::string_view kUartFamily = "ttyS";
// The legacy 8250 driver reserves slots without hardware; on newer kernels the serial core's own "port"
// driver stands in front of it. Only these ask for a probe.
constexpr std::string_view kLegacyUartDrivers[] = {"serial8250", "port"};

// The number after `prefix` when `name` is exactly prefix and decimal digits; -1 otherwise.
long familyIndex(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return -1;
  const std::string_view digits = name.substr(prefix.size());
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return -1;
  long index = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
  if (error != std::errc{} || end != digits.data() + digits.size()) return -1;
  return index;
}

// A hand-written map is a few lines; anything larger is no map of ours.
constexpr std::size_t kMaxMapBytes = 64 * 1024;

std::optional<std::string> mappedPath(int number, const fs::path& mapFile) {
  const FileRead map = readRegularFile(mapFile, kMaxMapBytes);
  if (!map.ok()) {
    // A FIFO, a device or a huge file there maps nothing; say so once, as the window has no place for it.
    static std::atomic<bool> told{false};
    if (map.error != ReadError::Missing && !told.exchange(true))
      std::fprintf(stderr, "kelmore: %s; the port map is not used\n", map.message.c_str());
    return std::nullopt;
  }
  std::string_view rest = map.bytes;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view text = trimWhitespace(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    if (text.empty() || text.front() == '#') continue;
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    if (comNumber(trimWhitespace(text.substr(0, equals))) != number) continue;
    const std::string_view path = trimWhitespace(text.substr(equals + 1));
    if (!path.empty()) return std::string(path);
  }
  return std::nullopt;
}

// Device names of one family in `devDir`, in numeric order (ttyUSB2 before ttyUSB10).
std::vector<std::string> familyDevices(const fs::path& devDir, std::string_view prefix) {
  std::vector<std::pair<long, std::string>> found;
  std::error_code error;
  for (fs::directory_iterator it(devDir, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    const long index = familyIndex(name, prefix);
    if (index >= 0) found.emplace_back(index, name);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  for (auto& entry : found) names.push_back(std::move(entry.second));
  return names;
}

bool uartHasDriver(const ComScanRoots& roots, const std::string& name) {
  const fs::path driver = roots.sysTtyDir / name / "device" / "driver";
  std::error_code error;
  if (!fs::exists(driver, error)) return false;
  const fs::path target = fs::read_symlink(driver, error);
  const std::string driverName = error ? driver.filename().string() : target.filename().string();
  if (std::find(std::begin(kLegacyUartDrivers), std::end(kLegacyUartDrivers), driverName) ==
      std::end(kLegacyUartDrivers)) {
    return true;
  }
  return uartPresent((roots.devDir / name).string());
}

}  // namespace

int comNumber(std::string_view name) {
  // Only the plain form counts: "COM" and 1 to 16 without a leading zero.
  const long index = familyIndex(name, kComPrefix);
  if (index < 1 || index > kComPortCount || name[kComPrefix.size()] == '0') return 0;
  return static_cast<int>(index);
}

std::optional<std::string> comDevicePath(int number) {
  if (number < 1 || number > kComPortCount) return std::nullopt;
  ComScanRoots roots;
  roots.mapFile = configDir() / "ports.map";
  return comDevicePath(number, roots);
}

std::optional<std::string> comDevicePath(int number, const ComScanRoots& roots) {
  if (number < 1 || number > kComPortCount) return std::nullopt;
  if (auto mapped = mappedPath(number, roots.mapFile)) return mapped;

  int seen = 0;
  for (std::string_view family : kUsbFamilies) {
    for (const std::string& name : familyDevices(roots.devDir, family)) {
      if (++seen == number) return (roots.devDir / name).string();
    }
  }
  for (const std::string& name : familyDevices(roots.devDir, kUartFamily)) {
    if (!uartHasDriver(roots, name)) continue;
    if (++seen == number) return (roots.devDir / name).string();
  }
  return std::nullopt;
}

}  // namespace kelmore::platform
