// The compile views as the compiler's host: a batch shows each view once at its end, a box inside one shows
// the views as they stand, and colours land on the characters the byte spans name.
// Layer: tests (Qt).
#include "mainwindow/compilerviews.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QWidget>

#include "../widgets/qtprint.h"
#include "../widgets/scriptedprompter.h"
#include "editor/sourceeditor.h"

namespace kelmore::mainwindow {
namespace {

class CompilerViewsTest : public testing::Test {
 protected:
  CompilerViewsTest() {
    model.addItem("PX-5200");
    target.addItem("RAM Macro");
  }

  // The texts the extra selections of a pane cover, with their colours.
  static QStringList marked(const QPlainTextEdit* pane) {
    QStringList marks;
    for (const QTextEdit::ExtraSelection& mark : pane->extraSelections())
      marks << mark.cursor.selectedText() + "=" + mark.format.foreground().color().name();
    return marks;
  }
  static QStringList rows(const QTreeWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = list->topLevelItem(i);
      texts << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
    }
    return texts;
  }

  QWidget window;
  editor::SourceEditor* source = new editor::SourceEditor(&window);
  QComboBox model{&window};
  QComboBox target{&window};
  widgets::test::ScriptedPrompter prompter;
  CompilerViews views{&window, *source, model, target, prompter};
};

TEST_F(CompilerViewsTest, a_batch_shows_each_view_once_at_its_end) {
  views.setCodeText("50 23 ");
  views.addListItem(CompilerList::Labels, "old", "", "");
  {
    const CompilerViews::Batch batch(views);
    views.setCodeText("");
    views.clearList(CompilerList::Labels);
    views.setCodeText("41.42 43 ");
    views.colourCode(3, 3, kRed);
    views.addListItem(CompilerList::Labels, "L1", "top", "0003");
    views.addListItem(CompilerList::Labels, "end", "", "");
    views.setMnemonicText("000000 Data\r\n");
    EXPECT_EQ(views.code->toPlainText(), "50 23 ");
    EXPECT_EQ(rows(views.ListViewLabel), QStringList({"old||"}));
    EXPECT_EQ(views.mnemonic->toPlainText(), "");
    EXPECT_EQ(views.codePaneText(), "41.42 43 ");  // the listing reads what the compiler gave
  }
  EXPECT_EQ(views.code->toPlainText(), "41.42 43 ");
  EXPECT_EQ(marked(views.code), QStringList({"42 =#ff0000"}));
  EXPECT_EQ(rows(views.ListViewLabel), QStringList({"L1|top|0003", "end||"}));
  EXPECT_EQ(views.mnemonic->toPlainText(), "000000 Data\n");
}

TEST_F(CompilerViewsTest, a_box_inside_a_batch_shows_over_the_views_as_they_stand) {
  views.setCodeText("50 23 ");
  const CompilerViews::Batch batch(views);
  views.setCodeText("");
  views.clearList(CompilerList::Variables);
  views.addListItem(CompilerList::Variables, "A", "x", "");
  QString codeShown = "(not asked)";
  int rowsShown = -1;
  prompter.onBox = [&](const widgets::test::Box&) {
    codeShown = views.code->toPlainText();
    rowsShown = views.ListViewAZ->topLevelItemCount();
  };
  views.messageBox("Expression error Line: 3");
  EXPECT_EQ(codeShown, "");
  EXPECT_EQ(rowsShown, 1);
  EXPECT_EQ(prompter.texts(), QStringList({"Expression error Line: 3"}));
}

TEST_F(CompilerViewsTest, colours_land_on_the_characters_their_bytes_name) {
  // Line ends of both kinds and a label of two-byte and three-byte characters before the span.
  const std::string listing =
      "000000 eventDisable \r\n000002 L\xC3\xA9\xE3\x81\x82\r\n       41 42 \n000010 end\r\n";
  views.setMnemonicText(listing);
  views.colourMnemonic(0, listing.size(), kBlack);
  const std::size_t red = listing.find("       41");
  views.colourMnemonic(red, listing.find("000010") - red, kRed);
  EXPECT_EQ(marked(views.mnemonic), QStringList({QString::fromUtf8("       41 42 \u2029=#ff0000")}));
  views.colourMnemonic(0, listing.size(), kBlack);
  EXPECT_TRUE(views.mnemonic->extraSelections().isEmpty());
}

TEST_F(CompilerViewsTest, emptying_the_compile_panes_resets_the_address_boxes) {
  views.setCodeText("41 ");
  views.setMnemonicText("000000 x\r\n");
  views.addListItem(CompilerList::Routines, "Sub1", "a", "");
  views.setAddressText("Add: 0001");
  views.initCompileWin();
  EXPECT_EQ(views.code->toPlainText(), "");
  EXPECT_EQ(views.codePaneText(), "");
  EXPECT_EQ(views.mnemonic->toPlainText(), "");
  EXPECT_EQ(views.ListViewRoutine->topLevelItemCount(), 0);
  EXPECT_EQ(views.addText->text(), "Add:");
  EXPECT_EQ(views.raddText->text(), "RAdd:");
}

}  // namespace
}  // namespace kelmore::mainwindow
