// A pseudo-terminal pair for the tests: a serial port that exists, with its device path for ports.map.
// Layer: tests (plain C++, no Qt). Link the util library for openpty.
#pragma once

#include <pty.h>
#include <unistd.h>

#include <string>

namespace kelmore::testkit {

struct Pty {
  int master = -1;
  int slave = -1;
  std::string path;  // empty when no pair could be opened

  Pty() {
    char name[128];
    if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
  }
  ~Pty() {
    if (slave >= 0) ::close(slave);
    if (master >= 0) ::close(master);
  }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;
};

}  // namespace kelmore::testkit
