// The source pane: colours, its own undo history, Tab and Enter with auto-indent, the clipboard, the
// pop-up keyword hints, and the respelling and re-spacing of the line the caret leaves.
// Layer: editor (Qt).
//
// Qt's own undo is off: every content change is one step of clsTextHistoryMng, and an undo is one edit of
// the changed span. The Edit operations act only while the pane has the focus.
#pragma once

#include <QPlainTextEdit>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "editor/texthistory.h"

class QTimer;

namespace kelmore::editor {

class SourceHighlighter;

class SourceEditor : public QPlainTextEdit {
  Q_OBJECT
 public:
  static constexpr int kTipRefreshMs = 800;
  static constexpr int kCheckPollMs = 50;  // the grammar check lets the window work this often

  explicit SourceEditor(QWidget* parent = nullptr);
  ~SourceEditor() override;

  // The text with "\n" between lines, exactly as typed.
  QString sourceText() const;
  // A new document: caret at its start, row 1, tab stops every 4 characters, a fresh history whose first
  // entry is this text.
  void setDocumentText(const QString& text);

  clsTextHistoryMng& history() { return *history_; }
  bool sourceFocused() const { return sourceFocused_; }

  // The Edit menu and toolbar operations.
  void textUndo();
  void textRedo();
  void textCut();
  void textCopy();
  void textPaste();
  void textAllSellect();

  // Respells and re-spaces the caret's line; the caret stays beside the same character.
  void iro_check();
  // Closes an open string on the caret's line; true when a quote was added.
  bool dq_check();
  // The grammar check of the whole text as one edit (one undo step). Esc stops it and leaves the text as
  // it was; so does any change made to the text while it runs. True when it completed.
  bool checkSource();

  // Tab stops every `characters` blanks of the pane's font; they follow a change of the font.
  void setTab(int characters);
  // Scrolls so that line n (0-based) is the first visible one, as far as the text allows.
  void scrollToLine(int n);

  // The pop-up hints (Help > Pop-up Help) and the help context of the last one shown. A hint shows at the
  // caret, only while the pane's window is visible and active; it goes when the window is hidden, minimised
  // or deactivated, and the next key or click in the pane brings it back. Every refresh puts it where the
  // caret is then, and hides it while the caret is outside the pane's visible area.
  void setPopupHints(bool on) { popupHints_ = on; }
  bool popupHints() const { return popupHints_; }
  int helpContext() const { return helpContext_; }
  void dispHint();
  void hideHint();
  // Where hints go; by default Qt's tool tip.
  using ShowHint = std::function<void(const QString& text, const QPoint& globalPos)>;
  using HideHint = std::function<void()>;
  void setHintDisplay(ShowHint show, HideHint hide);
  QTimer* tipTimer() const { return tipTimer_; }

 signals:
  void rowTextChanged(const QString& rowText);  // "Row:" and the caret's line number, wherever it moves
  void keywordChanged(const QString& word);     // the word under the caret
  void filesDropped(const QStringList& paths);  // local files dropped on the pane
  void documentReplaced();                      // setDocumentText gave the pane a new document

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Code lines up only in a fixed-pitch font: a font the system would stand in for with a proportional one
  // (the interface font where it is not installed) gives way to the system's fixed font of the same size.
  // A window that loses activation takes the hint away.
  void changeEvent(QEvent* event) override;

 private:
  class HistoryControl;
  bool respaceBlock(int blockNumber, bool keepCaret);
  void showRow();
  void tipTimer_Timer();
  void placeHint();
  bool hintMayShow() const;

  SourceHighlighter* highlighter_ = nullptr;
  std::unique_ptr<HistoryControl> control_;
  std::unique_ptr<clsTextHistoryMng> history_;
  QTimer* tipTimer_ = nullptr;
  ShowHint showHint_;
  HideHint hideHint_;
  QString hintText_;  // the hint up, even while the caret is out of view
  bool tipShown_ = false;
  int helpContext_ = 0;
  bool popupHints_ = true;
  bool sourceFocused_ = false;
  int tabCharacters_ = 4;
  bool checking_ = false;
  bool checkCancelled_ = false;
  bool dropping_ = false;
  int blockBeforePress_ = -1;
};

}  // namespace kelmore::editor
