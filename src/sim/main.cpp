// kelmore-sim: a simulated display module on a pseudo-terminal or a loopback TCP port, for trying Kelmore
// without hardware.
// Layer: sim (the simulated module's program; plain C++, no Qt).
//
// Prints the pseudo-terminal's path and the ports.map line that makes it COM1 (or, with --tcp, the address
// and port for the comm settings), then one line per record it takes (simlog.h).
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "sim/simlog.h"
#include "sim/simmodule.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int) {
  stopRequested = 1;
}

int usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s [--tcp PORT] [--width DOTS] [--height DOTS] [--address N] [--wmr] [--silent]\n"
               "          [--delay MS] [--close-after BYTES]\n"
               "  --tcp PORT           listen on 127.0.0.1:PORT instead of a pseudo-terminal\n"
               "  --address N          take FrameBcc frames for module address N (0..255)\n"
               "  --wmr                flash macros arrive in 1024-byte blocks (model WMR-STD)\n"
               "  --close-after BYTES  hang up (TCP: close the connection) once BYTES have arrived\n",
               program);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelmore::sim;
  ModuleConfig config;
  bool silent = false;
  int delayMs = 0;
  std::optional<int> tcpPort;
  std::optional<std::size_t> closeAfter;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--width" && hasValue) {
      config.dotWidth = std::atoi(argv[++i]);
    } else if (arg == "--height" && hasValue) {
      config.dotHeight = std::atoi(argv[++i]);
    } else if (arg == "--address" && hasValue) {
      const int address = std::atoi(argv[++i]);
      if (address < 0 || address > 255) return usage(argv[0]);
      config.address = static_cast<std::uint8_t>(address);
    } else if (arg == "--wmr") {
      config.blockDownload = true;
    } else if (arg == "--silent") {
      silent = true;
    } else if (arg == "--delay" && hasValue) {
      delayMs = std::atoi(argv[++i]);
    } else if (arg == "--tcp" && hasValue) {
      tcpPort = std::atoi(argv[++i]);
      if (*tcpPort < 1 || *tcpPort > 65535) return usage(argv[0]);
    } else if (arg == "--close-after" && hasValue) {
      closeAfter = static_cast<std::size_t>(std::strtoull(argv[++i], nullptr, 10));
    } else {
      return usage(argv[0]);
    }
  }

  const auto start = SimClock::now();
  const SimModule::Observer log = [start](const Received& r) {
    std::fputs(logLine(r, start).c_str(), stdout);
    std::fflush(stdout);
  };
  const auto module = tcpPort ? std::make_unique<SimModule>(
                                    config, SimModule::OnTcp{static_cast<std::uint16_t>(*tcpPort)}, log)
                              : std::make_unique<SimModule>(config, log);
  if (tcpPort && module->tcpPort() == 0) {
    std::fprintf(stderr, "kelmore-sim: cannot listen on 127.0.0.1:%d: %s\n", *tcpPort, std::strerror(errno));
    return 1;
  }
  if (!tcpPort && module->path().empty()) {
    std::fprintf(stderr, "kelmore-sim: no pseudo-terminal: %s\n", std::strerror(errno));
    return 1;
  }
  module->setSilent(silent);
  module->setReplyDelay(std::chrono::milliseconds(delayMs));
  module->setHangUpAfter(closeAfter);
  const std::string hint =
      tcpPort ? tcpHint(config, static_cast<std::uint16_t>(*tcpPort)) : ptyHint(config, module->path());
  std::fputs(hint.c_str(), stdout);
  std::fflush(stdout);

  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  while (stopRequested == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return 0;
}
