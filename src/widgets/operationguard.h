// OperationGuard: one device operation at a time, the controls that wait for it, and its progress display.
// Layer: widgets (the window kit, Qt).
//
// An operation runs inside a Scope. While it lasts, every control handed to guard() is disabled (and gets
// its own enabled state back afterwards), files dragged onto the windows handed to refuseFileDrops() are
// refused, and the waits the link reports show in the operation's OperationProgress: what is being done
// and the time left of the wait's time-out. A Scope made while another runs does not start, and its caller
// returns at once: nothing re-enters a running operation. Editing, scrolling and the controls not guarded
// stay usable, since the link lets the window take its input while it waits.
//
// The main window owns one guard beside its device object; every command that reaches the device (the
// image tool's Write too) runs in a Scope of it, with the progress display of its own window.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <utility>
#include <vector>

#include "link/linkenv.h"

class QAction;
class QLabel;
class QProgressBar;

namespace kelmore::widgets {

// A label and a bar, for a window's status bar; hidden while no operation runs, unless it keeps the
// outcome of the last one. It keeps the bar's height with or without the bar, so the status bar, and the
// panes above it, stand still as a wait begins and ends.
class OperationProgress : public QWidget {
  Q_OBJECT
 public:
  using Clock = link::LinkEnv::Clock;
  // A few updates a second.
  static constexpr int kRefreshMs = 250;

  explicit OperationProgress(QWidget* parent);

  void start(const QString& what);
  // A wait begins or moves on to a new deadline; waitEnds closes it.
  void waitBegins(link::LinkWait wait, Clock::time_point deadline);
  void waitEnds();
  void stop();
  // Ends the display with the operation's outcome: one line without a bar, shown until the next start or
  // clearOutcome().
  void finish(const QString& outcome);
  // Takes away an outcome line that no longer describes what the window holds; a running operation's
  // display stays.
  void clearOutcome();

  // What it shows now: "ReWrite", or "ReWrite: Waiting for the module's answer (1.7 s left)", or the
  // outcome finish() left.
  QString text() const;
  // The part of the wait's time-out gone by, in milliseconds of barMaximum(); 0 without a wait.
  int barValue() const;
  int barMaximum() const;

 private:
  void refresh();
  // finish() left its line: shown, with no operation refreshing it.
  bool showsOutcome() const { return !isHidden() && !refreshTimer_.isActive(); }

  QLabel* label_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QTimer refreshTimer_;
  QString what_;
  bool waiting_ = false;
  link::LinkWait wait_ = link::LinkWait::Pause;
  Clock::time_point deadline_{};
};

class OperationGuard : public QObject {
  Q_OBJECT
 public:
  // The focus goes to `focusHome` when a guarded control held it as an operation starts.
  OperationGuard(QObject* parent, QWidget* focusHome);

  // Controls disabled for the whole of every operation.
  void guard(QAction* action);
  void guard(QWidget* widget);
  // Windows (or a pane's viewport) where a dropped file would open while an operation runs.
  void refuseFileDrops(QWidget* target);

  bool running() const { return running_; }

  class Scope {
   public:
    // Starts the operation named `what`, shown in `display`, unless one runs already.
    Scope(OperationGuard& guard, const QString& what, OperationProgress& display);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    // False: another operation runs; this one did not start.
    explicit operator bool() const { return started_; }

   private:
    OperationGuard& guard_;
    bool started_ = false;
  };

  // The link's waits, from its environment in the window.
  void waitBegins(link::LinkWait wait, link::LinkEnv::Clock::time_point deadline);
  void waitEnds();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void begin(const QString& what, OperationProgress& display);
  void end();

  QPointer<QWidget> focusHome_;
  std::vector<QPointer<QAction>> actions_;
  std::vector<QPointer<QWidget>> widgets_;
  std::vector<QPointer<QWidget>> dropTargets_;
  // What begin() disabled, to be enabled again by end().
  std::vector<QPointer<QAction>> disabledActions_;
  std::vector<QPointer<QWidget>> disabledWidgets_;
  bool running_ = false;
  QPointer<OperationProgress> display_;
};

}  // namespace kelmore::widgets
