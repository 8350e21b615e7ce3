// The source pane's own undo history: one step per content change, undo and redo without a limit.
// Layer: editor (plain C++, no Qt).
//
// Steps are kept as the span that changed (its old and new text) plus the caret and selection after the
// change, so a long session on a large source stays small. Positions are in UTF-16 code units, the unit of
// the pane; a recorded span never splits a surrogate pair.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelmore::editor {

// What the history needs of the control it watches.
class HistoryTextControl {
 public:
  virtual ~HistoryTextControl() = default;
  virtual std::u16string text() const = 0;
  virtual int selStart() const = 0;
  virtual int selLength() const = 0;
  // Replaces `length` units at `start`; the control reports the change as usual.
  virtual void replaceRange(int start, int length, std::u16string_view with) = 0;
  virtual void setSelection(int start, int length) = 0;
};

class clsTextHistoryMng {
 public:
  clsTextHistoryMng() = default;
  clsTextHistoryMng(const clsTextHistoryMng&) = delete;
  clsTextHistoryMng& operator=(const clsTextHistoryMng&) = delete;

  // Attaches the control; its present text and selection become the first entry, so whatever put the
  // text there (a load, a new text) is no undoable step. nullptr detaches.
  void setTextBox(HistoryTextControl* box);

  // The control's content changed: discards the undone steps and records the new state. A change the
  // history itself writes during Undo or Redo is not recorded; neither is a change that left the text as
  // it was.
  void mTextBox_Change();

  // Each steps one entry back or forward and writes it into the control (text, then caret and
  // selection); at either end nothing happens and false comes back.
  bool Undo();
  bool Redo();

  std::size_t count() const { return steps_.size(); }  // entries, the first one included
  std::size_t position() const { return current_; }    // 0 = the first entry
  std::size_t storedUnits() const;                     // text units held by the steps

 private:
  struct Step {
    int at = 0;
    std::u16string removed;   // text of the entry before, at `at`
    std::u16string inserted;  // text of this entry, at `at`
    int selStart = 0;
    int selLength = 0;
  };
  void write(int at, int length, std::u16string_view with, const Step& selection);

  HistoryTextControl* box_ = nullptr;
  std::vector<Step> steps_{Step{}};  // steps_[0] is the first entry; it holds no span
  std::size_t current_ = 0;
  std::u16string shown_;  // the text of entry current_, as the control shows it
  bool writing_ = false;
};

}  // namespace kelmore::editor
