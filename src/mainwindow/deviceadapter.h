// The main window's commands on the real device object: PX5000 as the checked device of the macro
// commands and as the module probe of the port check.
// Layer: main window (plain C++, no Qt).
#pragma once

#include "link/checkeddevice.h"
#include "link/px5000.h"
#include "mainwindow/portcheck.h"

namespace kelmore::mainwindow {

class Px5000Device : public link::CheckedPx5000, public ModuleProbe {
 public:
  explicit Px5000Device(link::PX5000& device) : CheckedPx5000(device) {}

  // ModuleProbe
  void setSerialLink(int port, const std::string& settings) override;
  void setTcpLink(const std::string& address, long port) override;
  void setModuleAdd(const std::string& address) override { device_.moduleAdd(address); }
  int ifCheck_silent() override { return device_.ifCheck_silent(); }
  std::string detectModuleName() override;
};

}  // namespace kelmore::mainwindow
