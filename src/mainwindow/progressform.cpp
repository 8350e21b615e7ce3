// The compile progress and log window, and the about box.
// Layer: main window (Qt).
#include "mainwindow/progressform.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace kelmore::mainwindow {
namespace {

// The bar counts in whole steps; the compiler's float values are rounded onto it.
int barSteps(float value) {
  return static_cast<int>(std::lround(std::max(0.0f, value)));
}

}  // namespace

progressform::progressform(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Compile"));
  setModal(false);
  compilelog = new QPlainTextEdit(this);
  compilelog->setReadOnly(true);
  compilelog->setLineWrapMode(QPlainTextEdit::NoWrap);
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  CndClose = new QPushButton(tr("Close"), this);
  connect(CndClose, &QPushButton::clicked, this, &progressform::CndClose_Click);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ProgressBar1, 1);
  buttons->addWidget(CndClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(compilelog, 1);
  layout->addLayout(buttons);
  resize(560, 320);
}

void progressform::clearLog() {
  logText_.clear();
  compilelog->clear();
}

void progressform::addlog(const QString& message) {
  const QString line = QLatin1Char(' ') + message;
  logText_ += line + QLatin1String("\r\n");
  compilelog->moveCursor(QTextCursor::End);
  compilelog->insertPlainText(line + QLatin1Char('\n'));
  compilelog->moveCursor(QTextCursor::End);
  compilelog->repaint();
}

void progressform::setProgressMax(float maximum) {
  progressMax_ = maximum;
  ProgressBar1->setMaximum(std::max(1, barSteps(maximum)));
  barShownAt_.reset();
}

void progressform::setProgressValue(float value) {
  progressValue_ = std::min(value, progressMax_);
  const Clock::time_point now = clock_();
  if (progressValue_ < progressMax_ && barShownAt_ && now - *barShownAt_ < kBarPeriod) return;
  barShownAt_ = now;
  ProgressBar1->setValue(std::min(barSteps(progressValue_), ProgressBar1->maximum()));
}

void progressform::CndClose_Click() {
  hide();
}

void progressform::showEvent(QShowEvent* event) {
  if (!centred_) {
    // Centred on the screen the first time it shows, where the user last left it afterwards.
    centred_ = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      move(frame.topLeft());
    }
  }
  QDialog::showEvent(event);
}

Dialog::Dialog(QWidget* parent, int showMs) : QDialog(parent) {
  setWindowTitle(tr("About Kelmore"));
  setModal(true);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* name = new QLabel(QStringLiteral("<b>Kelmore</b> Macro-Editor"), this);
  Label1 = new QLabel(this);
  Label17 = new QLabel(tr("Kelmore development environment for graphic display module macros."), this);
  Label17->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(name);
  layout->addWidget(Label1);
  layout->addWidget(Label17);
  Timer1 = new QTimer(this);
  Timer1->setSingleShot(true);
  Timer1->setInterval(showMs);
  connect(Timer1, &QTimer::timeout, this, &Dialog::Timer1_Timer);
}

void Dialog::Timer1_Timer() {
  accept();
}

void Dialog::showEvent(QShowEvent* event) {
  // Restarted on every show, so the box stays its full time.
  Timer1->stop();
  Timer1->start();
  QDialog::showEvent(event);
}

void Dialog::mousePressEvent(QMouseEvent*) {
  accept();
}

}  // namespace kelmore::mainwindow
