// The source pane's undo history.
// Layer: editor (plain C++, no Qt).
#include "editor/texthistory.h"

#include <algorithm>

namespace kelmore::editor {
namespace {

bool isHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

void clsTextHistoryMng::setTextBox(HistoryTextControl* box) {
  box_ = box;
  steps_.assign(1, Step{});
  current_ = 0;
  shown_.clear();
  if (box_) {
    shown_ = box_->text();
    steps_[0].selStart = box_->selStart();
    steps_[0].selLength = box_->selLength();
  }
}

void clsTextHistoryMng::mTextBox_Change() {
  if (!box_ || writing_) return;
  std::u16string now = box_->text();

  // The changed span: what lies between the common head and the common tail.
  const std::size_t shorter = std::min(now.size(), shown_.size());
  std::size_t head = 0;
  while (head < shorter && now[head] == shown_[head]) ++head;
  if (head == shorter && now.size() == shown_.size()) return;
  if (head > 0 && isHighSurrogate(shown_[head - 1])) --head;
  std::size_t tail = 0;
  while (tail < shorter - head && now[now.size() - 1 - tail] == shown_[shown_.size() - 1 - tail]) ++tail;
  if (tail > 0 && isLowSurrogate(shown_[shown_.size() - tail])) --tail;

  steps_.resize(current_ + 1);
  Step step;
  step.at = static_cast<int>(head);
  step.removed = shown_.substr(head, shown_.size() - tail - head);
  step.inserted = now.substr(head, now.size() - tail - head);
  step.selStart = box_->selStart();
  step.selLength = box_->selLength();
  steps_.push_back(std::move(step));
  current_ = steps_.size() - 1;
  shown_ = std::move(now);
}

void clsTextHistoryMng::write(int at, int length, std::u16string_view with, const Step& selection) {
  // Only the history's own write is kept out of the record, however many change reports it raises.
  writing_ = true;
  box_->replaceRange(at, length, with);
  writing_ = false;
  shown_.replace(static_cast<std::size_t>(at), static_cast<std::size_t>(length), with);
  box_->setSelection(selection.selStart, selection.selLength);
}

bool clsTextHistoryMng::Undo() {
  if (!box_ || current_ == 0) return false;
  const Step& step = steps_[current_];
  --current_;
  write(step.at, static_cast<int>(step.inserted.size()), step.removed, steps_[current_]);
  return true;
}

bool clsTextHistoryMng::Redo() {
  if (!box_ || current_ + 1 >= steps_.size()) return false;
  ++current_;
  const Step& step = steps_[current_];
  write(step.at, static_cast<int>(step.removed.size()), step.inserted, step);
  return true;
}

std::size_t clsTextHistoryMng::storedUnits() const {
  std::size_t units = 0;
  for (const Step& s : steps_) units += s.removed.size() + s.inserted.size();
  return units;
}

}  // namespace kelmore::editor
