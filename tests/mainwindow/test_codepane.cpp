// The code pane widget offscreen: keys select whole cells and tell the address boxes, keys beyond the pane's
// own change nothing, typed and pasted text never changes the pane, a mouse selection is reported as it was
// left, an empty pane ignores keys.
// Layer: tests (Qt).
#include "mainwindow/codepane.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <vector>

namespace kelmore::mainwindow {
namespace {

const QString kTwentyCells = QStringLiteral("50 23 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 00 12.34.");

class Pane : public testing::Test {
 protected:
  void SetUp() override { pane.setPlainText(kTwentyCells); }

  void select(int start, int length) {
    QTextCursor cursor(pane.document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    pane.setTextCursor(cursor);
  }
  // The last texts the address boxes were given.
  QStringList lastAddress() const {
    if (spy.isEmpty()) return {};
    return {spy.last().at(0).toString(), spy.last().at(1).toString()};
  }
  int selStart() const { return pane.textCursor().selectionStart(); }
  int selLength() const { return pane.textCursor().selectionEnd() - pane.textCursor().selectionStart(); }

  CodePane pane;
  QSignalSpy spy{&pane, &CodePane::addressChanged};
};

struct KeyCase {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  int caret;
  int movedTo;
  const char* add;
  const char* radd;
};

const KeyCase kKeyCases[] = {
    {"right", Qt::Key_Right, Qt::NoModifier, 0, 3, "Add: 0001", "RAdd: 0001"},
    {"left_near_start", Qt::Key_Left, Qt::NoModifier, 4, 0, "Add: 0000", "RAdd: 0001"},
    {"backspace", Qt::Key_Backspace, Qt::NoModifier, 9, 6, "Add: 0002", "RAdd: 0001"},
    {"down", Qt::Key_Down, Qt::NoModifier, 3, 51, "Add: 0011", "RAdd: 0001"},
    {"page_down_to_last_cell", Qt::Key_PageDown, Qt::NoModifier, 3, 57, "Add: 0013", "RAdd: 0001"},
    {"end_with_shift_reverses", Qt::Key_End, Qt::ShiftModifier, 0, 57, "Add: 0013", "RAdd: FFFF"},
    {"home_with_ctrl_reverses", Qt::Key_Home, Qt::ControlModifier, 30, 0, "Add: 0000", "RAdd: FFFF"},
    {"up_with_alt_reverses", Qt::Key_Up, Qt::AltModifier, 52, 3, "Add: 0001", "RAdd: FFFF"},
    {"space_selects_the_cell_at_the_caret", Qt::Key_Space, Qt::NoModifier, 31, 31, "Add: 000A", "RAdd: 0001"},
    {"return_selects_the_cell_at_the_caret", Qt::Key_Return, Qt::NoModifier, 6, 6, "Add: 0002", "RAdd: 0001"},
    {"shift_alone_selects_and_reverses", Qt::Key_Shift, Qt::NoModifier, 31, 31, "Add: 000A", "RAdd: FFFF"},
    {"ctrl_alone_selects_and_reverses", Qt::Key_Control, Qt::NoModifier, 31, 31, "Add: 000A", "RAdd: FFFF"},
};

class PaneKeys : public Pane, public testing::WithParamInterface<KeyCase> {};

TEST_P(PaneKeys, select_two_characters_and_show_the_address) {
  const auto& c = GetParam();
  select(c.caret, 0);
  QTest::keyClick(&pane, c.key, c.modifiers);
  EXPECT_EQ(selStart(), c.movedTo);
  EXPECT_EQ(selLength(), 2);
  EXPECT_EQ(lastAddress(), QStringList({c.add, c.radd}));
  EXPECT_EQ(pane.toPlainText(), kTwentyCells);
}

INSTANTIATE_TEST_SUITE_P(code, PaneKeys, testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct InertCase {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

// Keys beyond the pane's own leave a mouse selection and the address boxes as they were.
const InertCase kInertCases[] = {
    {"letter", Qt::Key_A, Qt::NoModifier},        {"digit", Qt::Key_7, Qt::NoModifier},
    {"delete", Qt::Key_Delete, Qt::NoModifier},   {"insert", Qt::Key_Insert, Qt::NoModifier},
    {"function_key", Qt::Key_F2, Qt::NoModifier},
};

class InertKeys : public Pane, public testing::WithParamInterface<InertCase> {};

TEST_P(InertKeys, change_nothing) {
  select(6, 5);
  QTest::keyClick(&pane, GetParam().key, GetParam().modifiers);
  EXPECT_EQ(selStart(), 6);
  EXPECT_EQ(selLength(), 5);
  EXPECT_TRUE(spy.isEmpty());
  EXPECT_EQ(pane.toPlainText(), kTwentyCells);
}

INSTANTIATE_TEST_SUITE_P(code, InertKeys, testing::ValuesIn(kInertCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Pane, typed_and_pasted_text_never_reaches_it) {
  QApplication::clipboard()->setText(QStringLiteral("FF FF "));
  select(3, 0);
  QTest::keyClicks(&pane, QStringLiteral("9z "));
  QTest::keyClick(&pane, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(&pane, Qt::Key_Return);
  EXPECT_EQ(pane.toPlainText(), kTwentyCells);
  EXPECT_TRUE(pane.isReadOnly());
}

TEST_F(Pane, a_mouse_selection_is_shown_as_the_mouse_left_it) {
  select(6, 5);
  QTest::mouseRelease(pane.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
  EXPECT_EQ(lastAddress(), QStringList({"Add: 0002", "RAdd: 0002"}));
  select(6, 5);
  QTest::mouseRelease(pane.viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(1, 1));
  EXPECT_EQ(lastAddress(), QStringList({"Add: 0002", "RAdd: FFFE"}));
  EXPECT_EQ(selStart(), 6);
  EXPECT_EQ(selLength(), 5);
}

// The characters on each shown line of the pane's text.
std::vector<int> lineLengths(CodePane& pane) {
  QApplication::processEvents();
  pane.viewport()->repaint();  // lays the shown block out
  const QTextBlock block = pane.document()->firstBlock();
  std::vector<int> lengths;
  for (int i = 0; i < block.layout()->lineCount(); ++i)
    lengths.push_back(block.layout()->lineAt(i).textLength());
  return lengths;
}

TEST_F(Pane, a_wide_pane_shows_sixteen_cells_a_row_as_up_and_down_move) {
  pane.setPlainText(QStringLiteral("00 ").repeated(40));
  pane.resize(2000, 300);
  pane.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
  EXPECT_EQ(lineLengths(pane), (std::vector<int>{48, 48, 24}));
  pane.setPlainText(QStringLiteral("00 ").repeated(17));  // a new code keeps the rows
  EXPECT_EQ(lineLengths(pane), (std::vector<int>{48, 3}));
  QFont larger = pane.font();
  larger.setPointSize(larger.pointSize() * 2);
  pane.setFont(larger);  // and so does a new font
  EXPECT_EQ(lineLengths(pane), (std::vector<int>{48, 3}));

  pane.resize(pane.fontMetrics().horizontalAdvance(QStringLiteral("00 ").repeated(8)), 300);
  const std::vector<int> narrow = lineLengths(pane);
  ASSERT_GT(narrow.size(), 2u);
  EXPECT_LT(narrow.front(), 48);  // a narrow pane wraps where it must
}

TEST_F(Pane, keys_on_a_pane_shorter_than_a_cell_do_nothing) {
  for (const QString& text : {QString(), QStringLiteral("50")}) {
    pane.setPlainText(text);
    for (Qt::Key key : {Qt::Key_End, Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Left})
      QTest::keyClick(&pane, key, Qt::ShiftModifier);
    EXPECT_EQ(selStart(), 0);
    EXPECT_EQ(selLength(), 0);
    EXPECT_EQ(pane.toPlainText(), text);
  }
  EXPECT_TRUE(spy.isEmpty());
}

}  // namespace
}  // namespace kelmore::mainwindow
