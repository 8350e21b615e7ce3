// What kelmore-sim tells its user: the start-up hint that says how to reach the module, and one log line
// for each record it takes. Layer: sim (the simulated module; plain C++, no Qt).
//
// The hint names the ports.map that Kelmore itself reads (platform::configDir()). A log line: seconds since
// `start`, the record's name, its length and its first 24 bytes in hex; a text run also as characters.
#pragma once

#include <cstdint>
#include <string>

#include "sim/modulecore.h"

namespace kelmore::sim {

// On a pseudo-terminal at `path`: the ports.map line that makes it COM1.
std::string ptyHint(const ModuleConfig& config, const std::string& path);
// On 127.0.0.1:`port`: what to give in the comm settings.
std::string tcpHint(const ModuleConfig& config, std::uint16_t port);

// One line, with its line end.
std::string logLine(const Received& record, SimClock::time_point start);

}  // namespace kelmore::sim
