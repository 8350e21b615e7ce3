// The link's world in the main window: boxes through the window's Prompter, the window's events, real time,
// and the link's waits shown by the window's operation guard.
// Layer: main window (Qt).
#pragma once

#include <QWidget>

#include "link/linkenv.h"
#include "widgets/prompter.h"

namespace kelmore::widgets {
class OperationGuard;
}

namespace kelmore::mainwindow {

class WindowLinkEnv : public link::LinkEnv {
 public:
  WindowLinkEnv(QWidget* window, widgets::Prompter& prompter, widgets::OperationGuard& operations)
      : window_(window), prompter_(prompter), operations_(operations) {}
  void messageBox(std::string_view text, std::string_view title, BoxIcon icon) override;
  // The window takes all its events, input included, through the whole wait, and what arrived during it
  // has been delivered before the link goes on: keys held back until a box of the operation opened would be
  // dropped, as a modal box blocks the window they were typed into.
  void sleepMs(int ms) override;
  void doEvents() override;
  Clock::time_point now() override { return Clock::now(); }
  void waitBegins(link::LinkWait wait, Clock::time_point deadline) override;
  void waitEnds() override;

 private:
  QWidget* window_;
  widgets::Prompter& prompter_;
  widgets::OperationGuard& operations_;
};

}  // namespace kelmore::mainwindow
