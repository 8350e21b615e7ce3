// The link's world in the main window.
// Layer: main window (Qt).
#include "mainwindow/windowlinkenv.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>

#include "mainwindow/qtstrings.h"

namespace kelmore::mainwindow {
namespace {

constexpr std::chrono::milliseconds kSleepSlice{50};

}  // namespace

void WindowLinkEnv::messageBox(std::string_view text, std::string_view title, link::BoxIcon icon) {
  const QMessageBox::Icon qicon = icon == link::BoxIcon::Critical      ? QMessageBox::Critical
                                  : icon == link::BoxIcon::Information ? QMessageBox::Information
                                                                       : QMessageBox::NoIcon;
  prompter_.message(window_, fromStd(text), fromStd(title), qicon);
}

void WindowLinkEnv::sleepMs(int ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  for (auto left = end - Clock::now(); left > Clock::duration::zero(); left = end - Clock::now()) {
    QThread::usleep(static_cast<unsigned long>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::min<Clock::duration>(left, kSleepSlice))
            .count()));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
  }
}

void WindowLinkEnv::doEvents() {
  QCoreApplication::processEvents();
}

}  // namespace kelmore::mainwindow
