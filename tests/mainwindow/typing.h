// Keys typed the way a user types them: queued by the window system for the window, delivered only when the
// window takes its events (a key sent with QTest reaches the widget at once, whatever the window does).
// Layer: tests.
#pragma once

#include <qpa/qwindowsysteminterface.h>

#include <QString>
#include <QWidget>
#include <QWindow>

namespace kelmore::mainwindow::test {

// Queues a press and a release of one letter for the top-level window of `widget`.
inline void typeLetter(QWidget* widget, QChar letter) {
  QWindow* window = widget->window()->windowHandle();
  const int key = Qt::Key_A + (letter.toUpper().unicode() - 'A');
  QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
      window, QEvent::KeyPress, key, Qt::NoModifier, QString(letter));
  QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
      window, QEvent::KeyRelease, key, Qt::NoModifier, QString(letter));
}

}  // namespace kelmore::mainwindow::test
