// clsTooltip, the editor's pop-up hint window, and frmSearch, the find window of the source pane.
// Layer: main window (Qt).
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPoint>
#include <QPointer>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kelmore::mainwindow {

// One tooltip for one control: shown with a text at a point of the control, hidden when destroyed. The
// tip's top left stands at that point, wherever the control has moved since the last call; it stays up
// until it is hidden. (Qt's own tool tip keeps its place while its text is the same.)
class clsTooltip {
 public:
  void CreateToolTip(QWidget* control);
  // `position` is in the control's coordinates. Does nothing before CreateToolTip or after DestroyToolTip.
  void SetToolTipParam(const QString& text, QPoint position);
  void HideToolTip();
  void DestroyToolTip();
  bool created() const { return !control_.isNull(); }
  const QString& text() const { return text_; }
  // The tip's window, a child of the control; nullptr before CreateToolTip.
  const QLabel* tipWindow() const { return tip_; }

 private:
  QPointer<QWidget> control_;
  QPointer<QLabel> tip_;
  QString text_;
};

// Modeless: Find selects the first hit of the typed word in the source from the start, Find Next the next
// one after the current selection (starting over at the top once past the last). No hit: a beep.
class frmSearch : public QDialog {
  Q_OBJECT
 public:
  explicit frmSearch(QPlainTextEdit* source, QWidget* parent = nullptr);

  QLineEdit* txtFind = nullptr;
  QPushButton* cmdFind = nullptr;
  QPushButton* cmdFindNext = nullptr;

 public slots:
  // Both return whether a hit was selected.
  bool cmdFind_Click();
  bool cmdFindNext_Click();

 private:
  bool findFrom(int position);
  QPointer<QPlainTextEdit> source_;
};

}  // namespace kelmore::mainwindow
