// The source pane offscreen: colours, history, keys, Edit gating, clipboard, hints, grammar check, drops.
// Layer: tests (Qt).
#include "editor/sourceeditor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "editor/linecolour.h"

namespace kelmore::editor {
namespace {

class Pane : public testing::Test {
 protected:
  void SetUp() override {
    auto* layout = new QVBoxLayout(&window);
    editor = new SourceEditor(&window);
    other = new QLineEdit(&window);
    layout->addWidget(editor);
    layout->addWidget(other);
    window.resize(600, 400);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    editor->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(editor->sourceFocused());
  }

  void caretTo(int position) {
    QTextCursor c = editor->textCursor();
    c.setPosition(position);
    editor->setTextCursor(c);
  }
  void caretToEnd() { editor->moveCursor(QTextCursor::End); }

  QColor colourAt(int line, int column) {
    const QTextBlock block = editor->document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange& r : block.layout()->formats())
      if (column >= r.start && column < r.start + r.length) return r.format.foreground().color();
    return QColor(0, 0, 0);
  }

  QWidget window;
  SourceEditor* editor = nullptr;
  QLineEdit* other = nullptr;
};

QColor qcolour(ColourClass c) {
  const Rgb rgb = colourOf(c);
  return QColor(rgb.red, rgb.green, rgb.blue);
}

TEST_F(Pane, colours_statements_strings_and_comments_on_load_and_typing) {
  editor->setDocumentText(QStringLiteral("Print \"a\" 'c\ncls"));
  EXPECT_EQ(colourAt(0, 0), qcolour(ColourClass::Statement));
  EXPECT_EQ(colourAt(0, 6), qcolour(ColourClass::String));
  EXPECT_EQ(colourAt(0, 10), qcolour(ColourClass::Comment));
  EXPECT_EQ(colourAt(1, 0), qcolour(ColourClass::Function));
  caretToEnd();
  QTest::keyClicks(editor, " 'x");
  EXPECT_EQ(colourAt(1, 4), qcolour(ColourClass::Comment));
}

TEST_F(Pane, plain_text_is_black_on_white_under_any_theme) {
  QPalette dark;
  dark.setColor(QPalette::Text, Qt::white);
  dark.setColor(QPalette::Base, Qt::black);
  QApplication::setPalette(dark);
  {
    SourceEditor themed;
    EXPECT_EQ(themed.palette().color(QPalette::Text), QColor(0, 0, 0));
    EXPECT_EQ(themed.palette().color(QPalette::Base), QColor(255, 255, 255));
  }
  QApplication::setPalette(QPalette());
}

TEST_F(Pane, the_pane_keeps_a_fixed_pitch_font_and_its_tab_stops_follow_it) {
  for (const char* family : {"OCR A Extended", "DejaVu Sans", "DejaVu Sans Mono"}) {
    QFont wanted(QString::fromLatin1(family));
    wanted.setPointSize(13);
    editor->setFont(wanted);
    const QFontMetrics shown = editor->fontMetrics();
    EXPECT_EQ(shown.horizontalAdvance(QLatin1Char('i')), shown.horizontalAdvance(QLatin1Char('W')))
        << family << " shows as " << QFontInfo(editor->font()).family().toStdString();
    EXPECT_EQ(editor->font().pointSize(), 13) << family;
    EXPECT_EQ(editor->tabStopDistance(), 4 * editor->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
  }
  EXPECT_EQ(editor->font().family(), "DejaVu Sans Mono");  // an installed fixed font is kept as it is
}

TEST_F(Pane, colours_a_line_after_a_non_ascii_character) {
  editor->setDocumentText(QStringLiteral("\u30a2=1 'c"));
  EXPECT_EQ(colourAt(0, 1), qcolour(ColourClass::Operator));
  EXPECT_EQ(colourAt(0, 4), qcolour(ColourClass::Comment));
}

TEST_F(Pane, typing_is_undone_and_redone_through_the_own_history) {
  editor->setDocumentText(QStringLiteral("loaded"));
  EXPECT_FALSE(editor->document()->isUndoRedoEnabled());
  caretToEnd();
  QTest::keyClicks(editor, "ab");
  EXPECT_EQ(editor->sourceText(), "loadedab");
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(editor->sourceText(), "loadeda");
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);  // the load itself is no step
  EXPECT_EQ(editor->sourceText(), "loaded");
  QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(editor->sourceText(), "loadeda");
  EXPECT_EQ(editor->textCursor().position(), 7);
  EXPECT_EQ(editor->history().count(), 3u);
}

TEST_F(Pane, tab_inserts_a_tab_and_enter_keeps_the_indentation) {
  editor->setDocumentText(QString::fromUtf8("\t \u3000a=1"));
  caretToEnd();
  QTest::keyClick(editor, Qt::Key_Tab);
  QTest::keyClick(editor, Qt::Key_Return);
  // The line left is re-spaced (its trailing tab is a blank it keeps: only blanks are trimmed).
  EXPECT_EQ(editor->sourceText(), QString::fromUtf8("\t \u3000a = 1\t\n\t \u3000"));
  EXPECT_EQ(editor->textCursor().blockNumber(), 1);
  EXPECT_EQ(editor->textCursor().positionInBlock(), 3);
  EXPECT_EQ(colourAt(0, 5), qcolour(ColourClass::Operator));
}

TEST_F(Pane, enter_respaces_and_respells_the_line_it_leaves_as_one_step) {
  editor->setDocumentText(QStringLiteral("print a=b+1"));
  caretToEnd();
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(editor->sourceText(), "Print a = b + 1\n");
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(editor->sourceText(), "print a=b+1");
}

TEST_F(Pane, enter_over_a_selection_of_lines_checks_the_line_it_breaks) {
  editor->setDocumentText(QStringLiteral("a=1\n  b=1\nc\nd\ne=2"));
  QTextCursor c = editor->textCursor();
  c.setPosition(7);                            // after "  b"
  c.setPosition(13, QTextCursor::KeepAnchor);  // end of "d"
  editor->setTextCursor(c);
  QTest::keyClick(editor, Qt::Key_Return);
  // "  b" is the line left; "e=2", below the selection, is not touched.
  EXPECT_EQ(editor->sourceText(), "a=1\n  b\n  \ne=2");
  EXPECT_EQ(editor->textCursor().blockNumber(), 2);
  EXPECT_EQ(editor->textCursor().positionInBlock(), 2);
}

TEST_F(Pane, up_and_down_respace_the_line_left_and_keep_the_caret_beside_its_character) {
  editor->setDocumentText(QStringLiteral("x\na=b"));
  caretTo(4);  // after "a="
  QTest::keyClick(editor, Qt::Key_Up);
  EXPECT_EQ(editor->sourceText(), "x\na = b");
  EXPECT_EQ(editor->textCursor().blockNumber(), 0);
  editor->setDocumentText(QStringLiteral("a=b\nx"));
  caretTo(1);
  QTest::keyClick(editor, Qt::Key_Down);
  EXPECT_EQ(editor->sourceText(), "a = b\nx");
}

TEST_F(Pane, a_click_on_another_line_respaces_the_line_left) {
  editor->setDocumentText(QStringLiteral("a=b\n\n\nlast"));
  caretTo(3);
  const QRect target = editor->cursorRect(QTextCursor(editor->document()->findBlockByNumber(3)));
  QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, target.center());
  EXPECT_EQ(editor->sourceText(), "a = b\n\n\nlast");
  EXPECT_EQ(editor->textCursor().blockNumber(), 3);
}

TEST_F(Pane, edit_operations_do_nothing_while_another_control_has_the_focus) {
  editor->setDocumentText(QStringLiteral("text"));
  caretToEnd();
  QTest::keyClicks(editor, "x");
  QApplication::clipboard()->setText(QStringLiteral("clip"));
  other->setFocus();
  QApplication::processEvents();
  ASSERT_FALSE(editor->sourceFocused());
  editor->textUndo();
  editor->textPaste();
  editor->textCut();
  editor->textAllSellect();
  EXPECT_EQ(editor->sourceText(), "textx");
  EXPECT_FALSE(editor->textCursor().hasSelection());
  EXPECT_EQ(QApplication::clipboard()->text(), "clip");
  editor->setFocus();
  QApplication::processEvents();
  editor->textUndo();
  EXPECT_EQ(editor->sourceText(), "text");
}

TEST_F(Pane, clipboard_keys_cut_copy_and_paste_plain_text) {
  editor->setDocumentText(QStringLiteral("one\ntwo"));
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "one\ntwo");
  caretTo(3);
  QTextCursor c = editor->textCursor();
  c.setPosition(0, QTextCursor::KeepAnchor);
  editor->setTextCursor(c);
  QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(editor->sourceText(), "\ntwo");
  EXPECT_EQ(QApplication::clipboard()->text(), "one");
  caretToEnd();
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor->sourceText(), "\ntwoone");
  // Something that is no text is not pasted.
  auto* image = new QMimeData;
  image->setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
  QApplication::clipboard()->setMimeData(image);
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor->sourceText(), "\ntwoone");
}

TEST_F(Pane, hint_shows_the_word_s_text_and_sets_the_help_context) {
  QStringList shown;
  int hides = 0;
  editor->setHintDisplay([&](const QString& text, const QPoint&) { shown << text; }, [&] { ++hides; });
  QSignalSpy rows(editor, &SourceEditor::rowTextChanged);
  QSignalSpy words(editor, &SourceEditor::keywordChanged);
  editor->setDocumentText(QStringLiteral("x\nprint"));
  caretToEnd();
  QTest::keyClick(editor, Qt::Key_End);
  EXPECT_EQ(rows.last().at(0).toString(), "Row:2");
  EXPECT_EQ(words.last().at(0).toString(), "print");
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0], "Print \"String\", or Print");
  EXPECT_EQ(editor->helpContext(), 68);
  EXPECT_TRUE(editor->tipTimer()->isActive());

  // The refresh shows the tip again and never moves the mouse pointer.
  const QPoint pointer = QCursor::pos();
  QMetaObject::invokeMethod(editor->tipTimer(), "timeout", Qt::DirectConnection);
  EXPECT_EQ(QCursor::pos(), pointer);
  EXPECT_EQ(shown.size(), 2);

  QMouseEvent move(QEvent::MouseMove, QPointF(6, 6), QPointF(6, 6), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(editor->viewport(), &move);
  EXPECT_EQ(hides, 1);
  EXPECT_FALSE(editor->tipTimer()->isActive());
}

TEST_F(Pane, no_hint_and_no_context_change_while_pop_up_help_is_off) {
  QStringList shown;
  editor->setHintDisplay([&](const QString& text, const QPoint&) { shown << text; }, [] {});
  editor->setDocumentText(QStringLiteral("cls"));
  caretToEnd();
  QTest::keyClick(editor, Qt::Key_End);
  EXPECT_EQ(editor->helpContext(), 55);
  editor->setPopupHints(false);
  editor->setDocumentText(QStringLiteral("print"));
  caretToEnd();
  QTest::keyClick(editor, Qt::Key_End);
  EXPECT_EQ(shown, QStringList{"Cls"});
  EXPECT_EQ(editor->helpContext(), 55);
}

QString bigSource() {
  QString text;
  for (int i = 0; i < 3000; ++i) text += QStringLiteral("a=b+%1 'n\nprint  x\n").arg(i);
  return text;
}

TEST_F(Pane, grammar_check_is_one_undo_step) {
  editor->setDocumentText(QStringLiteral("a=1\nprint a"));
  ASSERT_TRUE(editor->checkSource());
  EXPECT_EQ(editor->sourceText(), "a = 1\nPrint a");
  editor->textUndo();
  EXPECT_EQ(editor->sourceText(), "a=1\nprint a");
}

TEST_F(Pane, esc_during_the_grammar_check_leaves_the_text_exactly_as_it_was) {
  const QString text = bigSource();
  editor->setDocumentText(text);
  QCoreApplication::postEvent(editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  EXPECT_FALSE(editor->checkSource());
  EXPECT_EQ(editor->sourceText(), text);
  EXPECT_EQ(editor->history().count(), 1u);
  EXPECT_FALSE(editor->isReadOnly());
}

TEST_F(Pane, typing_is_kept_out_while_the_check_runs) {
  editor->setDocumentText(QStringLiteral("a=1"));
  caretToEnd();
  QCoreApplication::postEvent(editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
  ASSERT_TRUE(editor->checkSource());
  EXPECT_EQ(editor->sourceText(), "a = 1");
}

TEST_F(Pane, dq_check_closes_an_open_string_and_iro_check_respaces) {
  editor->setDocumentText(QStringLiteral("print \"ab\nx=1"));
  caretTo(2);
  EXPECT_TRUE(editor->dq_check());
  EXPECT_EQ(editor->sourceText(), "print \"ab\"\nx=1");
  EXPECT_FALSE(editor->dq_check());
  editor->iro_check();
  EXPECT_EQ(editor->sourceText(), "Print \"ab\"\nx=1");
  EXPECT_EQ(editor->textCursor().position(), 2);
}

TEST_F(Pane, scroll_to_a_line_past_the_end_is_clamped) {
  QString text;
  for (int i = 0; i < 200; ++i) text += QStringLiteral("line\n");
  editor->setDocumentText(text);
  editor->scrollToLine(50);
  EXPECT_EQ(editor->verticalScrollBar()->value(), 50);
  editor->scrollToLine(100000);
  EXPECT_EQ(editor->verticalScrollBar()->value(), editor->verticalScrollBar()->maximum());
  editor->scrollToLine(-3);
  EXPECT_EQ(editor->verticalScrollBar()->value(), 0);
}

TEST_F(Pane, a_dropped_file_is_reported_not_inserted) {
  editor->setDocumentText(QStringLiteral("keep"));
  QSignalSpy dropped(editor, &SourceEditor::filesDropped);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.tvr"))});
  const QPoint at = editor->viewport()->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor->viewport(), &enter);
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor->viewport(), &drop);
  ASSERT_EQ(dropped.size(), 1);
  EXPECT_EQ(dropped[0].at(0).toStringList(), QStringList{"/tmp/a.tvr"});
  EXPECT_EQ(editor->sourceText(), "keep");
}

TEST_F(Pane, shift_enter_and_pasted_line_separators_make_real_line_breaks) {
  // A line separator cannot be written to a source file in the code page: it would be lost on saving.
  editor->setDocumentText(QStringLiteral("print a"));
  caretToEnd();
  QTest::keyClick(editor, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(editor->sourceText(), "Print a\n");
  editor->setDocumentText(QStringLiteral("ab"));
  caretTo(1);
  QApplication::clipboard()->setText(QString::fromUtf8("x\r\ny\rz\u2028w"));
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor->sourceText(), "ax\ny\nz\nwb");
  EXPECT_EQ(editor->document()->blockCount(), 4);
}

}  // namespace
}  // namespace kelmore::editor
