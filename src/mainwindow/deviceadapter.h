// The main window's commands on the real device object: PX5000 seen as a MacroDevice and a ModuleProbe.
// Layer: main window (plain C++, no Qt).
//
// A step counts as sent only when PX5000 kept no link error and raised no argument error for it.
#pragma once

#include "link/px5000.h"
#include "mainwindow/macrocommands.h"
#include "mainwindow/portcheck.h"

namespace kelmore::mainwindow {

class Px5000Device : public MacroDevice, public ModuleProbe {
 public:
  explicit Px5000Device(link::PX5000& device) : device_(device) {}

  // MacroDevice
  bool isOpen() const override { return device_.isOpen(); }
  bool ifOpen() override;
  void ifClose() override { device_.ifClose(); }
  bool userModeIn() override;
  bool userModeOut() override;
  bool writeMemorySw(int sw, int value) override;
  bool fromRamMacroDefine(std::span<const std::uint8_t> code) override;
  bool fromMacroDefine(int area, int stepTimer, int loopTimer, std::span<const std::uint8_t> code) override;
  bool fromMacroDefineWmr(int stepTimer, int loopTimer, std::span<const std::uint8_t> code) override;
  bool MacroGo(int number, int stepTimer, int idleTimer) override;
  bool cursorSet(int x, int y) override;
  bool printText(std::string_view text) override;
  bool dummyWrite(int count) override;
  bool dummyRead() override;
  // Starts once what was sent has left the port.
  void pause(int ms) override { device_.pause(ms); }

  // ModuleProbe
  void setSerialLink(int port, const std::string& settings) override;
  void setTcpLink(const std::string& address, long port) override;
  void setModuleAdd(const std::string& address) override { device_.moduleAdd(address); }
  int ifCheck_silent() override { return device_.ifCheck_silent(); }
  std::string detectModuleName() override;

 private:
  template <typename Step>
  bool sent(Step&& step);

  link::PX5000& device_;
};

}  // namespace kelmore::mainwindow
