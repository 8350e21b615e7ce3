// The undo history against a fake text control.
// Layer: tests (plain C++).
#include "editor/texthistory.h"

#include <gtest/gtest.h>

#include <string>

namespace kelmore::editor {
namespace {

// A text box that reports each change to its history, like the pane does.
class FakeBox : public HistoryTextControl {
 public:
  clsTextHistoryMng* history = nullptr;
  std::u16string value;
  int start = 0;
  int length = 0;
  int changeReports = 0;

  std::u16string text() const override { return value; }
  int selStart() const override { return start; }
  int selLength() const override { return length; }
  void replaceRange(int at, int n, std::u16string_view with) override {
    value.replace(static_cast<std::size_t>(at), static_cast<std::size_t>(n), with);
    changed();
  }
  void setSelection(int s, int n) override {
    start = s;
    length = n;
  }
  // The user types: the text changes, the caret follows.
  void type(std::u16string now, int caret) {
    value = std::move(now);
    start = caret;
    length = 0;
    changed();
  }
  void changed() {
    ++changeReports;
    if (history) history->mTextBox_Change();
  }
};

class History : public testing::Test {
 protected:
  void attach(std::u16string text, int caret = 0, int selection = 0) {
    box.value = std::move(text);
    box.start = caret;
    box.length = selection;
    history.setTextBox(&box);
    box.history = &history;
  }
  FakeBox box;
  clsTextHistoryMng history;
};

TEST_F(History, fresh_history_holds_one_entry_and_ends_do_nothing) {
  attach(u"loaded", 2, 3);
  EXPECT_EQ(history.count(), 1u);
  EXPECT_FALSE(history.Undo());
  EXPECT_FALSE(history.Redo());
  EXPECT_EQ(box.value, u"loaded");
  EXPECT_EQ(box.changeReports, 0);
}

TEST_F(History, undo_and_redo_restore_text_caret_and_selection) {
  attach(u"ab", 1, 1);
  box.type(u"abc", 3);
  box.type(u"abcd", 4);
  box.setSelection(1, 2);
  box.type(u"aXd", 2);

  ASSERT_TRUE(history.Undo());
  EXPECT_EQ(box.value, u"abcd");
  EXPECT_EQ(box.start, 4);
  ASSERT_TRUE(history.Undo());
  ASSERT_TRUE(history.Undo());
  EXPECT_EQ(box.value, u"ab");  // the text it was attached to, with its selection
  EXPECT_EQ(box.start, 1);
  EXPECT_EQ(box.length, 1);
  EXPECT_FALSE(history.Undo());

  ASSERT_TRUE(history.Redo());
  ASSERT_TRUE(history.Redo());
  ASSERT_TRUE(history.Redo());
  EXPECT_EQ(box.value, u"aXd");
  EXPECT_EQ(box.start, 2);
  EXPECT_FALSE(history.Redo());
  EXPECT_EQ(history.count(), 4u);  // undo and redo recorded nothing
}

TEST_F(History, a_new_edit_after_undo_discards_the_undone_steps) {
  attach(u"");
  box.type(u"a", 1);
  box.type(u"ab", 2);
  box.type(u"abc", 3);
  history.Undo();
  history.Undo();
  box.type(u"aZ", 2);
  EXPECT_FALSE(history.Redo());
  EXPECT_EQ(box.value, u"aZ");
  history.Undo();
  EXPECT_EQ(box.value, u"a");
  history.Undo();
  EXPECT_EQ(box.value, u"");
}

TEST_F(History, suppression_lasts_exactly_the_history_s_own_write) {
  attach(u"x");
  box.type(u"xy", 2);
  history.Undo();
  // A change report that carries no change records nothing and does not swallow the next real edit.
  box.changed();
  box.type(u"xz", 2);
  history.Undo();
  EXPECT_EQ(box.value, u"x");
  history.Redo();
  EXPECT_EQ(box.value, u"xz");
}

TEST_F(History, steps_hold_the_changed_span_not_the_whole_text) {
  std::u16string big(100000, u'a');
  attach(big);
  for (int i = 0; i < 200; ++i) {
    big.insert(big.begin() + 50000, u'b');
    box.type(big, 50001);
  }
  EXPECT_LT(history.storedUnits(), 1000u);
  for (int i = 0; i < 200; ++i) history.Undo();
  EXPECT_EQ(box.value, std::u16string(100000, u'a'));
}

TEST_F(History, a_span_never_splits_a_surrogate_pair) {
  // U+1F600 and U+1F601 share their high surrogate.
  attach(u"a\U0001F600");
  box.type(u"a\U0001F601", 3);
  history.Undo();
  EXPECT_EQ(box.value, u"a\U0001F600");
  history.Redo();
  EXPECT_EQ(box.value, u"a\U0001F601");
}

TEST_F(History, reattaching_starts_over_from_the_new_text) {
  attach(u"old");
  box.type(u"older", 5);
  box.value = u"loaded";
  history.setTextBox(&box);
  EXPECT_EQ(history.count(), 1u);
  EXPECT_FALSE(history.Undo());
  EXPECT_EQ(box.value, u"loaded");
}

}  // namespace
}  // namespace kelmore::editor
