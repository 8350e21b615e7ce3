// The compiled-code pane.
// Layer: main window (Qt).
#include "mainwindow/codepane.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextCursor>
#include <algorithm>
#include <array>

#include "mainwindow/codepanekeys.h"

namespace kelmore::mainwindow {
namespace {

struct KeyMove {
  Qt::Key key;
  PaneKey move;
};

constexpr std::array<KeyMove, 9> kKeyMoves{{
    {Qt::Key_Backspace, PaneKey::Backspace},
    {Qt::Key_Left, PaneKey::Left},
    {Qt::Key_Right, PaneKey::Right},
    {Qt::Key_Up, PaneKey::Up},
    {Qt::Key_Down, PaneKey::Down},
    {Qt::Key_PageUp, PaneKey::PageUp},
    {Qt::Key_PageDown, PaneKey::PageDown},
    {Qt::Key_Home, PaneKey::Home},
    {Qt::Key_End, PaneKey::End},
}};

PaneKey paneKey(int key) {
  for (const KeyMove& row : kKeyMoves)
    if (row.key == key) return row.move;
  return PaneKey::Other;
}

std::size_t textLength(const QPlainTextEdit* pane) {
  return static_cast<std::size_t>(std::max(0, pane->document()->characterCount() - 1));
}

}  // namespace

CodePane::CodePane(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
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
  showAddress(event->modifiers());
}

void CodePane::mouseReleaseEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseReleaseEvent(event);
  showAddress(event->modifiers());
}

void CodePane::inputMethodEvent(QInputMethodEvent* event) {
  event->accept();
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
