// One device operation at a time: the guarded controls, refused file drops and the progress display.
// Layer: widgets (the window kit, Qt).
#include "widgets/operationguard.h"

#include <QAction>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <algorithm>
#include <chrono>

#include "widgets/qtstrings.h"

namespace kelmore::widgets {
namespace {

using std::chrono::milliseconds;

int msUntil(OperationProgress::Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - OperationProgress::Clock::now());
  return static_cast<int>(std::max<milliseconds::rep>(left.count(), 0));
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Progress display

OperationProgress::OperationProgress(QWidget* parent) : QWidget(parent) {
  label_ = new QLabel(this);
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(false);
  bar_->setFixedWidth(160);
  QSizePolicy keepsItsPlace = bar_->sizePolicy();
  keepsItsPlace.setRetainSizeWhenHidden(true);
  bar_->setSizePolicy(keepsItsPlace);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label_, 1);
  layout->addWidget(bar_);
  refreshTimer_.setInterval(kRefreshMs);
  connect(&refreshTimer_, &QTimer::timeout, this, &OperationProgress::refresh);
  hide();
}

void OperationProgress::start(const QString& what) {
  what_ = what;
  waiting_ = false;
  refresh();
  show();
  refreshTimer_.start();
}

void OperationProgress::waitBegins(link::LinkWait wait, Clock::time_point deadline) {
  // A countdown moving on keeps its bar; a wait of another kind, or after a gap, starts a new one.
  const bool fresh = !waiting_ || wait != wait_;
  waiting_ = true;
  wait_ = wait;
  deadline_ = deadline;
  if (fresh) {
    bar_->setRange(0, std::max(msUntil(deadline), 1));
    refresh();
  }
}

void OperationProgress::waitEnds() {
  waiting_ = false;
}

void OperationProgress::stop() {
  refreshTimer_.stop();
  waiting_ = false;
  what_.clear();
  hide();
}

void OperationProgress::finish(const QString& outcome) {
  stop();
  label_->setText(outcome);
  bar_->setVisible(false);
  show();
}

void OperationProgress::clearOutcome() {
  if (!showsOutcome()) return;
  label_->clear();
  stop();
}

QString OperationProgress::text() const {
  return label_->text();
}

int OperationProgress::barValue() const {
  return bar_->value();
}

int OperationProgress::barMaximum() const {
  return bar_->maximum();
}

void OperationProgress::refresh() {
  if (!waiting_) {
    label_->setText(what_);
    bar_->setVisible(false);
    return;
  }
  const int leftMs = msUntil(deadline_);
  label_->setText(QStringLiteral("%1: %2 (%3 s left)")
                      .arg(what_, fromStd(link::waitText(wait_)), QString::number(leftMs / 1000.0, 'f', 1)));
  bar_->setValue(std::clamp(bar_->maximum() - leftMs, 0, bar_->maximum()));
  bar_->setVisible(true);
}

// ---------------------------------------------------------------------------------------------------------
// Guard

OperationGuard::OperationGuard(QObject* parent, QWidget* focusHome)
    : QObject(parent), focusHome_(focusHome) {}

void OperationGuard::guard(QAction* action) {
  actions_.emplace_back(action);
}

void OperationGuard::guard(QWidget* widget) {
  widgets_.emplace_back(widget);
}

void OperationGuard::refuseFileDrops(QWidget* target) {
  dropTargets_.emplace_back(target);
  target->installEventFilter(this);
}

OperationGuard::Scope::Scope(OperationGuard& guard, const QString& what, OperationProgress& display)
    : guard_(guard) {
  if (guard_.running()) return;
  started_ = true;
  guard_.begin(what, display);
}

OperationGuard::Scope::~Scope() {
  if (started_) guard_.end();
}

void OperationGuard::begin(const QString& what, OperationProgress& display) {
  running_ = true;
  display_ = &display;
  // A guarded control about to be disabled would hand its window's focus on to whatever comes next in the
  // chain, and the keys typed during the operation would go there: the focus goes home instead.
  for (const QPointer<QWidget>& widget : widgets_) {
    if (!widget) continue;
    QWidget* focus = widget->window()->focusWidget();
    if (!focus || (focus != widget && !widget->isAncestorOf(focus))) continue;
    if (focusHome_ && focusHome_->window() == widget->window())
      focusHome_->setFocus(Qt::OtherFocusReason);
    else
      focus->clearFocus();
  }
  for (const QPointer<QAction>& action : actions_) {
    if (action && action->isEnabled()) {
      action->setEnabled(false);
      disabledActions_.push_back(action);
    }
  }
  for (const QPointer<QWidget>& widget : widgets_) {
    if (widget && widget->isEnabled()) {
      widget->setEnabled(false);
      disabledWidgets_.push_back(widget);
    }
  }
  display.start(what);
}

void OperationGuard::end() {
  for (const QPointer<QAction>& action : disabledActions_)
    if (action) action->setEnabled(true);
  for (const QPointer<QWidget>& widget : disabledWidgets_)
    if (widget) widget->setEnabled(true);
  disabledActions_.clear();
  disabledWidgets_.clear();
  if (display_) display_->stop();
  display_ = nullptr;
  running_ = false;
}

void OperationGuard::waitBegins(link::LinkWait wait, link::LinkEnv::Clock::time_point deadline) {
  if (display_) display_->waitBegins(wait, deadline);
}

void OperationGuard::waitEnds() {
  if (display_) display_->waitEnds();
}

bool OperationGuard::eventFilter(QObject* watched, QEvent* event) {
  if (running_) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      // Text dragged within the pane is editing and goes on; a file would be opened.
      if (drop->mimeData() && drop->mimeData()->hasUrls()) {
        drop->ignore();
        return true;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kelmore::widgets
