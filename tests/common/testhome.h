// The test programs' own configuration and data folders. Under CTest each program gets folders in its
// build tree; run by hand, a program that finds XDG_CONFIG_HOME or XDG_DATA_HOME unset points it at a
// temporary folder of its own, so no test reads, writes or removes the user's Config.dat, ports.map or data.
// Layer: tests (plain C++, no Qt).
#pragma once

#include <stdlib.h>

#include <memory>

#include "tempfolder.h"

namespace kelmore::testkit {

// Lives for the whole test program: made before the first test, removed after the last.
class TestHome {
 public:
  TestHome() {
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      if (std::getenv(variable) != nullptr) continue;
      if (!folder_) folder_ = std::make_unique<TempFolder>("kelmore-testhome");
      ::setenv(variable, (*folder_ / variable).c_str(), 1);
    }
  }

 private:
  std::unique_ptr<TempFolder> folder_;
};

}  // namespace kelmore::testkit
