// The simulated module's start-up hint and log lines.
// Layer: sim (the simulated module; plain C++, no Qt).
#include "sim/simlog.h"

#include <algorithm>
#include <cstdio>

#include "platform/paths.h"

namespace kelmore::sim {
namespace {

constexpr std::size_t kShownBytes = 24;

std::string format(const char* pattern, auto... values) {
  const int n = std::snprintf(nullptr, 0, pattern, values...);
  std::string text(static_cast<std::size_t>(std::max(n, 0)) + 1, '\0');
  std::snprintf(text.data(), text.size(), pattern, values...);
  text.pop_back();
  return text;
}

}  // namespace

std::string ptyHint(const ModuleConfig& config, const std::string& path) {
  const std::string map = (platform::configDir() / "ports.map").string();
  return format("Simulated display module (%d x %d dots) on %s\n", config.dotWidth, config.dotHeight,
                path.c_str()) +
         "Add this line to " + map + " to reach it as COM1:\nCOM1=" + path + "\n";
}

std::string tcpHint(const ModuleConfig& config, std::uint16_t port) {
  return format("Simulated display module (%d x %d dots) on 127.0.0.1:%d\n", config.dotWidth,
                config.dotHeight, port) +
         format("Choose TCP in the port box and give 127.0.0.1 and port %d in Port > Advanced.\n", port);
}

std::string logLine(const Received& record, SimClock::time_point start) {
  const double seconds = std::chrono::duration<double>(record.first - start).count();
  std::string line = format("%9.3f %-16s %zu bytes:", seconds, record.name.c_str(), record.bytes.size());
  const std::size_t shown = std::min(record.bytes.size(), kShownBytes);
  for (std::size_t i = 0; i < shown; ++i) line += format(" %02X", record.bytes[i]);
  if (shown < record.bytes.size()) line += " ...";
  if (record.name == "text") {
    line += "  \"";
    for (std::uint8_t b : record.bytes) line += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
    line += "\"";
  }
  return line + "\n";
}

}  // namespace kelmore::sim
