// progressform: the compile progress and log window, and the about/splash box Dialog.
// Layer: main window (Qt).
#pragma once

#include <QDialog>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kelmore::mainwindow {

class progressform : public QDialog {
  Q_OBJECT
 public:
  explicit progressform(QWidget* parent = nullptr);

  // The log exactly as written: one blank, the message and CR LF a line.
  const QString& logText() const { return logText_; }
  void clearLog();
  void addlog(const QString& message);

  // QProgressBar repaints at once on every visible step and a compile never yields, so the bar takes the
  // value at most once a kBarPeriod; the maximum it always shows.
  static constexpr std::chrono::milliseconds kBarPeriod{200};
  using Clock = std::chrono::steady_clock;
  void setProgressMax(float maximum);
  float progressMax() const { return progressMax_; }
  void setProgressValue(float value);
  float progressValue() const { return progressValue_; }
  // The clock that paces the bar; tests give a virtual one.
  void setClock(std::function<Clock::time_point()> clock) { clock_ = std::move(clock); }

  QPlainTextEdit* compilelog = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* CndClose = nullptr;

 public slots:
  // Hides the window; the log stays.
  void CndClose_Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QString logText_;
  float progressMax_ = 100;
  float progressValue_ = 0;
  std::function<Clock::time_point()> clock_ = [] { return Clock::now(); };
  std::optional<Clock::time_point> barShownAt_;  // when the bar last took a value; none since the maximum
  bool centred_ = false;
};

// The about box; also the splash of start-up. Closes itself after its timer or on a click.
class Dialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kShowMs = 3000;
  explicit Dialog(QWidget* parent = nullptr, int showMs = kShowMs);

  QLabel* Label1 = nullptr;   // version text, set by the caller
  QLabel* Label17 = nullptr;  // the maker's notice
  QTimer* Timer1 = nullptr;

 public slots:
  void Timer1_Timer();

 protected:
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

inline constexpr const char* kVersionText = "Ver4.4.3";

}  // namespace kelmore::mainwindow
