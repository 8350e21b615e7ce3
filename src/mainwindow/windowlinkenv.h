// The link's world in the main window: boxes through the window's Prompter, the window's events, real time.
// Layer: main window (Qt).
#pragma once

#include <QWidget>

#include "link/linkenv.h"
#include "mainwindow/prompter.h"

namespace kelmore::mainwindow {

class WindowLinkEnv : public link::LinkEnv {
 public:
  WindowLinkEnv(QWidget* window, Prompter& prompter) : window_(window), prompter_(prompter) {}
  void messageBox(std::string_view text, std::string_view title, link::BoxIcon icon) override;
  // The window keeps painting through a long wait (a download pauses a second and more), but takes no
  // input meanwhile: the link's waits are its own.
  void sleepMs(int ms) override;
  void doEvents() override;
  Clock::time_point now() override { return Clock::now(); }

 private:
  QWidget* window_;
  Prompter& prompter_;
};

}  // namespace kelmore::mainwindow
