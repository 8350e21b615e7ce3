// The compiled-code pane.
// Layer: main window (Qt).
#include "mainwindow/codepane.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>
#include <array>

#include "common/codetext.h"
#include "mainwindow/codepanekeys.h"

namespace kelmore::mainwindow {
namespace {

struct KeyMove {
  Qt::Key key;
  PaneKey move;
};

// The pane's keys: those that move the caret and those that only select the cell at it. Every other key
// is taken without an effect.
constexpr std::array<KeyMove, 28> kKeyMoves{{
    {Qt::Key_Backspace, PaneKey::Backspace},
    {Qt::Key_Left, PaneKey::Left},
    {Qt::Key_Right, PaneKey::Right},
    {Qt::Key_Up, PaneKey::Up},
    {Qt::Key_Down, PaneKey::Down},
    {Qt::Key_PageUp, PaneKey::PageUp},
    {Qt::Key_PageDown, PaneKey::PageDown},
    {Qt::Key_Home, PaneKey::Home},
    {Qt::Key_End, PaneKey::End},
    {Qt::Key_Tab, PaneKey::Other},
    {Qt::Key_Backtab, PaneKey::Other},
    {Qt::Key_Clear, PaneKey::Other},
    {Qt::Key_Return, PaneKey::Other},
    {Qt::Key_Enter, PaneKey::Other},
    {Qt::Key_Shift, PaneKey::Other},
    {Qt::Key_Control, PaneKey::Other},
    {Qt::Key_Alt, PaneKey::Other},
    {Qt::Key_AltGr, PaneKey::Other},
    {Qt::Key_Pause, PaneKey::Other},
    {Qt::Key_CapsLock, PaneKey::Other},
    {Qt::Key_Escape, PaneKey::Other},
    {Qt::Key_Space, PaneKey::Other},
    {Qt::Key_Kana_Lock, PaneKey::Other},
    {Qt::Key_Hangul, PaneKey::Other},
    {Qt::Key_Kanji, PaneKey::Other},
    {Qt::Key_Henkan, PaneKey::Other},
    {Qt::Key_Muhenkan, PaneKey::Other},
    {Qt::Key_Mode_switch, PaneKey::Other},
}};

PaneKey paneKey(int key) {
  for (const KeyMove& row : kKeyMoves)
    if (row.key == key) return row.move;
  return PaneKey::None;
}

// A press of Shift, Ctrl or Alt counts that key as held already, whatever the platform reports with it.
Qt::KeyboardModifiers ownModifier(int key) {
  switch (key) {
    case Qt::Key_Shift:
      return Qt::ShiftModifier;
    case Qt::Key_Control:
      return Qt::ControlModifier;
    case Qt::Key_Alt:
      return Qt::AltModifier;
    default:
      return Qt::NoModifier;
  }
}

std::size_t textLength(const QPlainTextEdit* pane) {
  return static_cast<std::size_t>(std::max(0, pane->document()->characterCount() - 1));
}

}  // namespace

CodePane::CodePane(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  // The margin beside the rows looks like the rest of the pane.
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
}

void CodePane::keyPressEvent(QKeyEvent* event) {
  event->accept();
  const QTextCursor cursor = textCursor();
  const auto start = static_cast<std::size_t>(cursor.selectionStart());
  const std::size_t length = textLength(this);
  const auto selection = selectionAfterKey(paneKey(event->key()), start, length);
  if (!selection) return;
  QTextCursor moved(document());
  moved.setPosition(static_cast<int>(selection->start));
  moved.setPosition(static_cast<int>(std::min(selection->start + selection->length, length)),
                    QTextCursor::KeepAnchor);
  setTextCursor(moved);
  ensureCursorVisible();
  showAddress(event->modifiers() | ownModifier(event->key()));
}

void CodePane::mouseReleaseEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseReleaseEvent(event);
  showAddress(event->modifiers());
}

void CodePane::inputMethodEvent(QInputMethodEvent* event) {
  event->accept();
}

void CodePane::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  fitRows();
}

void CodePane::changeEvent(QEvent* event) {
  QPlainTextEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) fitRows();
}

void CodePane::fitRows() {
  // The text wraps at the viewport's width: a margin at its right keeps it to 16 cells. Setting the margin
  // resizes the viewport and comes back here, where the margin is then already right.
  const QString row = QStringLiteral("00 ").repeated(static_cast<qsizetype>(kPaneRowChars / kCellChars));
  const int rowWidth = fontMetrics().horizontalAdvance(row) +
                       static_cast<int>(2 * document()->documentMargin()) + cursorWidth();
  QMargins margins = viewportMargins();
  const QScrollBar* bar = verticalScrollBar();
  const int full = maximumViewportSize().width() + margins.right() - (bar->isVisible() ? bar->width() : 0);
  const int spare = std::max(0, full - rowWidth);
  if (spare == margins.right()) return;
  margins.setRight(spare);
  setViewportMargins(margins);
  // The viewport's own resize may come with its new size as the old one, which the base class takes for
  // an unchanged width: the text is laid out again for the new width here.
  QResizeEvent resized(viewport()->size(), QSize());
  QPlainTextEdit::resizeEvent(&resized);
}

void CodePane::showAddress(Qt::KeyboardModifiers modifiers) {
  const QTextCursor cursor = textCursor();
  const PaneSelection selection{static_cast<std::size_t>(cursor.selectionStart()),
                                static_cast<std::size_t>(cursor.selectionEnd() - cursor.selectionStart())};
  const bool reverse = (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) != 0;
  const AddressTexts texts = addressTexts(selection, reverse);
  emit addressChanged(QString::fromStdString(texts.add), QString::fromStdString(texts.radd));
}

}  // namespace kelmore::mainwindow
