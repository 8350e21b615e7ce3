// The compiled-code pane: read-only hex text whose keys move the caret by whole byte cells and whose
// selections tell the address boxes where they are.
// Layer: main window (Qt).
//
// Every key that reaches the pane is taken by it and none edits it; typed characters never reach the text.
// The window's own shortcuts act as elsewhere. After one of the pane's keys (the caret moves, and Enter,
// Space, Esc, Tab, Shift, Ctrl, Alt and the like, which select the cell at the caret), and after a mouse
// selection, addressChanged gives the texts of the two address boxes, the distance reversed while Shift,
// Ctrl or Alt is held. Letters, digits, Delete and function keys change nothing. A row shows 16 cells, as
// Up and Down move, however wide the pane is.
#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace kelmore::mainwindow {

class CodePane : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit CodePane(QWidget* parent = nullptr);

 signals:
  void addressChanged(const QString& addText, const QString& raddText);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void showAddress(Qt::KeyboardModifiers modifiers);
  // Wraps the text after 16 cells, or at the pane's width when it is narrower.
  void fitRows();
};

}  // namespace kelmore::mainwindow
