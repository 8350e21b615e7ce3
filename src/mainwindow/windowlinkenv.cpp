// The link's world in the main window.
// Layer: main window (Qt).
#include "mainwindow/windowlinkenv.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>

#include "widgets/operationguard.h"
#include "widgets/qtstrings.h"

namespace kelmore::mainwindow {

using widgets::fromStd;
using widgets::qtIcon;

void WindowLinkEnv::messageBox(std::string_view text, std::string_view title, BoxIcon icon) {
  prompter_.message(window_, fromStd(text), fromStd(title), qtIcon(icon));
}

void WindowLinkEnv::sleepMs(int ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  // The loop sleeps in the event dispatcher: an event wakes it at once, the timer at the end.
  QTimer wake;
  wake.setTimerType(Qt::PreciseTimer);
  wake.setSingleShot(true);
  for (auto left = end - Clock::now(); left > Clock::duration::zero(); left = end - Clock::now()) {
    wake.start(static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count()));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  QCoreApplication::processEvents();
}

void WindowLinkEnv::doEvents() {
  QCoreApplication::processEvents();
}

void WindowLinkEnv::waitBegins(link::LinkWait wait, Clock::time_point deadline) {
  operations_.waitBegins(wait, deadline);
}

void WindowLinkEnv::waitEnds() {
  operations_.waitEnds();
}

}  // namespace kelmore::mainwindow
