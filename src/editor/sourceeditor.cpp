// The source pane.
// Layer: editor (Qt).
#include "editor/sourceeditor.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMimeData>
#include <QPalette>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

#include <algorithm>

#include "editor/hints.h"
#include "editor/respace.h"
#include "editor/sourcehighlighter.h"

namespace kelmore::editor {
namespace {

constexpr QChar kParagraph(0x2029);

QString plainFromSelection(QString s) {
  return s.replace(kParagraph, QLatin1Char('\n'));
}

// Text coming in from outside: a line separator would be a line break on screen that a saved file (in
// the code page) cannot hold, so it becomes a real one.
QString plainForPane(QString s) {
  return s.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
}

bool isIndent(QChar c) {
  return c == QLatin1Char('\t') || c == QLatin1Char(' ') || c == QChar(0x3000);
}

QStringList localFiles(const QMimeData* source) {
  QStringList paths;
  if (!source || !source->hasUrls()) return paths;
  for (const QUrl& url : source->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  return paths;
}

// The caret's place in a re-spaced line: after as many non-blank characters as before, since respacing
// changes only blanks and letter case.
int mapColumn(const QString& before, int column, const QString& after) {
  int solid = 0;
  for (int i = 0; i < column && i < before.size(); ++i)
    if (before[i] != QLatin1Char(' ')) ++solid;
  int at = 0;
  while (at < after.size() && solid > 0) {
    if (after[at] != QLatin1Char(' ')) --solid;
    ++at;
  }
  if (column > 0 && column <= before.size() && before[column - 1] == QLatin1Char(' ') && at < after.size() &&
      after[at] == QLatin1Char(' '))
    ++at;
  return at;
}

}  // namespace

// The pane as the history sees it.
class SourceEditor::HistoryControl : public HistoryTextControl {
 public:
  explicit HistoryControl(SourceEditor& editor) : editor_(editor) {}
  std::u16string text() const override { return editor_.sourceText().toStdU16String(); }
  int selStart() const override { return editor_.textCursor().selectionStart(); }
  int selLength() const override {
    const QTextCursor c = editor_.textCursor();
    return c.selectionEnd() - c.selectionStart();
  }
  void replaceRange(int start, int length, std::u16string_view with) override {
    QTextCursor c(editor_.document());
    c.setPosition(start);
    c.setPosition(start + length, QTextCursor::KeepAnchor);
    c.insertText(QString::fromUtf16(with.data(), static_cast<qsizetype>(with.size())));
  }
  void setSelection(int start, int length) override {
    const int end = editor_.document()->characterCount() - 1;
    QTextCursor c(editor_.document());
    c.setPosition(std::clamp(start, 0, end));
    c.setPosition(std::clamp(start + length, 0, end), QTextCursor::KeepAnchor);
    editor_.setTextCursor(c);
  }

 private:
  SourceEditor& editor_;
};

SourceEditor::SourceEditor(QWidget* parent)
    : QPlainTextEdit(parent),
      control_(std::make_unique<HistoryControl>(*this)),
      history_(std::make_unique<clsTextHistoryMng>()) {
  setUndoRedoEnabled(false);
  // Plain text is black on white whatever the desktop theme: the keyword colours are made for it.
  QPalette colours = palette();
  colours.setColor(QPalette::Text, Qt::black);
  colours.setColor(QPalette::Base, Qt::white);
  setPalette(colours);
  // Lines wrap only far beyond the visible width: not at all.
  setLineWrapMode(QPlainTextEdit::NoWrap);
  // Any mouse movement over the text hides the hint, button or not.
  viewport()->setMouseTracking(true);
  highlighter_ = new SourceHighlighter(document());
  history_->setTextBox(control_.get());
  connect(document(), &QTextDocument::contentsChanged, this, [this] { history_->mTextBox_Change(); });
  tipTimer_ = new QTimer(this);
  tipTimer_->setInterval(kTipRefreshMs);
  connect(tipTimer_, &QTimer::timeout, this, &SourceEditor::tipTimer_Timer);
  // The program moves the caret too (the compiler marks the line of an error): the row box follows.
  connect(this, &QPlainTextEdit::cursorPositionChanged, this, &SourceEditor::showRow);
  showHint_ = [this](const QString& text, const QPoint& at) { QToolTip::showText(at, text, this); };
  hideHint_ = [] { QToolTip::hideText(); };
  setTab(4);
}

SourceEditor::~SourceEditor() {
  // The document outlives the history while the base class tears down; it must not report to it.
  disconnect(document(), nullptr, this, nullptr);
  history_->setTextBox(nullptr);
}

QString SourceEditor::sourceText() const {
  // The raw text: line breaks as paragraph separators, every other character as typed.
  return document()->toRawText().replace(kParagraph, QLatin1Char('\n'));
}

void SourceEditor::setDocumentText(const QString& text) {
  hideHint();
  setPlainText(text);
  history_ = std::make_unique<clsTextHistoryMng>();
  history_->setTextBox(control_.get());
  moveCursor(QTextCursor::Start);
  setTab(4);
  showRow();
  emit documentReplaced();
}

void SourceEditor::textUndo() {
  if (sourceFocused_) history_->Undo();
}
void SourceEditor::textRedo() {
  if (sourceFocused_) history_->Redo();
}

void SourceEditor::textCut() {
  if (!sourceFocused_) return;
  textCopy();
  QTextCursor c = textCursor();
  c.removeSelectedText();
  setTextCursor(c);
}

void SourceEditor::textCopy() {
  if (!sourceFocused_) return;
  QClipboard* clipboard = QApplication::clipboard();
  clipboard->clear();
  const QTextCursor c = textCursor();
  if (c.hasSelection()) clipboard->setText(plainFromSelection(c.selectedText()));
}

void SourceEditor::textPaste() {
  if (!sourceFocused_) return;
  const QMimeData* data = QApplication::clipboard()->mimeData();
  if (!data || !data->hasText()) return;
  QTextCursor c = textCursor();
  c.insertText(plainForPane(data->text()));
  setTextCursor(c);
}

void SourceEditor::textAllSellect() {
  if (sourceFocused_) selectAll();
}

bool SourceEditor::respaceBlock(int blockNumber, bool keepCaret) {
  const QTextBlock block = document()->findBlockByNumber(blockNumber);
  if (!block.isValid()) return false;
  const QString before = block.text();
  const QByteArray utf8 = before.toUtf8();
  const QString after = QString::fromStdString(respaceLine(std::string_view(utf8.constData(), utf8.size())));
  if (after == before) return false;

  const QTextCursor caret = textCursor();
  const int column = caret.position() - block.position();
  const bool caretHere = keepCaret && caret.block() == block && !caret.hasSelection();
  QTextCursor edit(block);
  edit.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  edit.insertText(after);
  if (caretHere) {
    QTextCursor c(document());
    c.setPosition(block.position() + mapColumn(before, column, after));
    setTextCursor(c);
  }
  return true;
}

void SourceEditor::iro_check() {
  respaceBlock(textCursor().blockNumber(), true);
}

bool SourceEditor::dq_check() {
  const QTextBlock block = textCursor().block();
  const QByteArray utf8 = block.text().toUtf8();
  if (!closingQuoteAt(std::string_view(utf8.constData(), utf8.size()))) return false;
  QTextCursor c(block);
  c.movePosition(QTextCursor::EndOfBlock);
  c.insertText(QStringLiteral("\""));
  return true;
}

bool SourceEditor::checkSource() {
  if (checking_) return false;
  const QString before = sourceText();
  const QByteArray utf8 = before.toUtf8();
  checking_ = true;
  checkCancelled_ = false;
  const bool wasReadOnly = isReadOnly();
  setReadOnly(true);
  qApp->installEventFilter(this);

  QPointer<SourceEditor> self(this);
  QElapsedTimer sincePoll;
  bool polled = false;
  bool gone = false;
  const auto cancelled = [&] {
    if (!polled || sincePoll.elapsed() >= kCheckPollMs) {
      polled = true;
      QCoreApplication::processEvents();
      sincePoll.restart();
      if (!self) gone = true;
    }
    return gone || checkCancelled_;
  };
  const std::optional<std::string> checked =
      checkSourceText(std::string_view(utf8.constData(), utf8.size()), cancelled);
  if (gone) return false;

  qApp->removeEventFilter(this);
  setReadOnly(wasReadOnly);
  checking_ = false;
  if (!checked || sourceText() != before) return false;

  // One edit block: the highlighter and the history see a single change.
  const QStringList lines = QString::fromStdString(*checked).split(QLatin1Char('\n'));
  QTextCursor edit(document());
  edit.beginEditBlock();
  for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
    const int n = block.blockNumber();
    if (n >= lines.size() || block.text() == lines[n]) continue;
    edit.setPosition(block.position());
    edit.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    edit.insertText(lines[n]);
  }
  edit.endEditBlock();
  setTab(4);
  return true;
}

bool SourceEditor::eventFilter(QObject* watched, QEvent* event) {
  if (checking_ && event->type() == QEvent::KeyPress) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) checkCancelled_ = true;
    return true;  // no typing while the check runs
  }
  return QPlainTextEdit::eventFilter(watched, event);
}

void SourceEditor::setTab(int characters) {
  tabCharacters_ = characters;
  setTabStopDistance(characters * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
}

namespace {
// Whether the font the system gives for `font` has one width for every character. QFontInfo's flag misses
// some monospace families (those fontconfig calls dual-spaced), so the widths decide.
bool isFixedPitch(const QFont& font) {
  const QFontMetricsF metrics(font);
  return metrics.horizontalAdvance(QLatin1Char('i')) == metrics.horizontalAdvance(QLatin1Char('W'));
}
}  // namespace

void SourceEditor::changeEvent(QEvent* event) {
  // The window lost activation: another window, a dialog of this one or another program is in front.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) hideHint();
  if (event->type() == QEvent::FontChange) {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // The family test ends the round where the system has no fixed-pitch font to offer at all.
    if (!isFixedPitch(font()) && font().family() != fixed.family()) {
      if (font().pointSizeF() > 0) fixed.setPointSizeF(font().pointSizeF());
      setFont(fixed);  // comes back here once more with the fixed font
      return;
    }
    setTab(tabCharacters_);
  }
  QPlainTextEdit::changeEvent(event);
}

void SourceEditor::scrollToLine(int n) {
  QScrollBar* bar = verticalScrollBar();
  bar->setValue(std::clamp(n, 0, bar->maximum()));
}

void SourceEditor::setHintDisplay(ShowHint show, HideHint hide) {
  showHint_ = std::move(show);
  hideHint_ = std::move(hide);
}

void SourceEditor::dispHint() {
  const QTextCursor caret = textCursor();
  const QString line = caret.block().text();
  const QByteArray utf8 = line.toUtf8();
  const int column = caret.position() - caret.block().position();
  const auto [begin, end] =
      wordAt(std::string_view(utf8.constData(), utf8.size()), line.left(column).toUtf8().size());
  const QString word = QString::fromUtf8(utf8.constData() + begin, static_cast<qsizetype>(end - begin));
  emit keywordChanged(word);
  if (!popupHints_) return;
  const std::optional<Hint> hint = hintForWord(word.toStdString());
  if (!hint) {
    hideHint();
    return;
  }
  helpContext_ = hint->helpContext;
  if (!hintMayShow()) {
    hideHint();
    return;
  }
  hintText_ = QString::fromStdString(hint->text);
  placeHint();
  tipTimer_->start();
}

void SourceEditor::hideHint() {
  tipTimer_->stop();
  if (hintText_.isEmpty()) return;
  hintText_.clear();
  tipShown_ = false;
  hideHint_();
}

// The tip is shown again, so it stays up; the mouse pointer is never moved. The tip is one for the whole
// program: it is never brought back over another window or a hidden one.
void SourceEditor::tipTimer_Timer() {
  if (!hintMayShow()) {
    hideHint();
    return;
  }
  placeHint();
}

// The window may have moved, the pane been resized or the text scrolled since the last refresh: the tip
// stands at the caret as it is now, and never outside the pane's visible area.
void SourceEditor::placeHint() {
  if (hintText_.isEmpty()) return;
  const QPoint at = cursorRect().bottomLeft();
  if (viewport()->visibleRegion().contains(at)) {
    showHint_(hintText_, viewport()->mapToGlobal(at));
    tipShown_ = true;
  } else if (tipShown_) {
    tipShown_ = false;
    hideHint_();
  }
}

bool SourceEditor::hintMayShow() const {
  return isVisible() && isActiveWindow() && !window()->isMinimized();
}

void SourceEditor::showRow() {
  emit rowTextChanged(QStringLiteral("Row:") + QString::number(textCursor().blockNumber() + 1));
}

void SourceEditor::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (ctrl) {
    switch (event->key()) {
      case Qt::Key_Z:
        textUndo();
        return;
      case Qt::Key_Y:
        textRedo();
        return;
      case Qt::Key_X:
        textCut();
        return;
      case Qt::Key_C:
        textCopy();
        return;
      case Qt::Key_V:
        textPaste();
        return;
      default:
        break;
    }
  }
  if (isReadOnly()) {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  switch (event->key()) {
    case Qt::Key_Tab:
      if (mods != Qt::NoModifier) break;
      {
        QTextCursor c = textCursor();
        c.insertText(QStringLiteral("\t"));
        setTextCursor(c);
      }
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      // Shift+Enter is Enter too: the pane holds no line break other than a real one.
      if (mods & ~Qt::ShiftModifier) break;
      // The break and the check of the line left are one change, one undo step.
      QTextCursor step(document());
      step.beginEditBlock();
      QTextCursor caret = textCursor();
      // A selection goes first, so the indentation and the line left are those the break is made in.
      caret.removeSelectedText();
      const QString line = caret.block().text();
      int indent = 0;
      while (indent < line.size() && isIndent(line[indent])) ++indent;
      caret.insertText(QStringLiteral("\n") + line.left(indent));
      setTextCursor(caret);
      // The line the caret leaves is checked; the caret, below it, moves with the edit.
      respaceBlock(caret.blockNumber() - 1, false);
      step.endEditBlock();
      hideHint();
      ensureCursorVisible();
      return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (!textCursor().hasSelection()) respaceBlock(textCursor().blockNumber(), true);
      hideHint();
      break;
    default:
      break;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void SourceEditor::keyReleaseEvent(QKeyEvent* event) {
  QPlainTextEdit::keyReleaseEvent(event);
  showRow();
  dispHint();
}

void SourceEditor::mousePressEvent(QMouseEvent* event) {
  blockBeforePress_ = textCursor().blockNumber();
  QPlainTextEdit::mousePressEvent(event);
}

void SourceEditor::mouseReleaseEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseReleaseEvent(event);
  const int left = blockBeforePress_;
  blockBeforePress_ = -1;
  if (left >= 0 && left != textCursor().blockNumber() && !isReadOnly()) {
    // The line the click left is checked; selection and scroll position stay as the click made them.
    const int h = horizontalScrollBar()->value();
    const int v = verticalScrollBar()->value();
    respaceBlock(left, false);
    horizontalScrollBar()->setValue(h);
    verticalScrollBar()->setValue(v);
  }
  showRow();
  dispHint();
}

void SourceEditor::mouseMoveEvent(QMouseEvent* event) {
  hideHint();
  QPlainTextEdit::mouseMoveEvent(event);
}

void SourceEditor::focusInEvent(QFocusEvent* event) {
  sourceFocused_ = true;
  QPlainTextEdit::focusInEvent(event);
}

void SourceEditor::focusOutEvent(QFocusEvent* event) {
  // A menu popping up or the window losing activation leaves the pane the focus it will get back.
  if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
    sourceFocused_ = false;
  QPlainTextEdit::focusOutEvent(event);
}

void SourceEditor::hideEvent(QHideEvent* event) {
  hideHint();
  QPlainTextEdit::hideEvent(event);
}

void SourceEditor::dropEvent(QDropEvent* event) {
  dropping_ = true;
  QPlainTextEdit::dropEvent(event);
  dropping_ = false;
}

bool SourceEditor::canInsertFromMimeData(const QMimeData* source) const {
  return !localFiles(source).isEmpty() || QPlainTextEdit::canInsertFromMimeData(source);
}

void SourceEditor::insertFromMimeData(const QMimeData* source) {
  if (dropping_) {
    const QStringList files = localFiles(source);
    if (!files.isEmpty()) {
      emit filesDropped(files);
      return;
    }
  }
  if (source && source->hasText()) {
    QTextCursor c = textCursor();
    c.insertText(plainForPane(source->text()));
    setTextCursor(c);
    ensureCursorVisible();
    return;
  }
  QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace kelmore::editor
