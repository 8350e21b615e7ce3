// The toolbar, the View entries and the help entries over a recording handler set: each key reaches its
// handler, unknown keys beep, the two-state buttons and the view marks agree, F1 reaches the keyword help.
// Layer: tests (Qt).
#include "mainwindow/toolbar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <string>
#include <vector>

namespace kelmore::mainwindow {
namespace {

class RecordingHandlers : public ToolHandlers {
 public:
  std::vector<std::string> calls;
  ToolBar* bar = nullptr;

  void menuWhite_Click() override { calls.push_back("menuWhite_Click"); }
  void menuOpen_Click() override { calls.push_back("menuOpen_Click"); }
  void menuSave_Click() override { calls.push_back("menuSave_Click"); }
  void textCut() override { calls.push_back("textCut"); }
  void textCopy() override { calls.push_back("textCopy"); }
  void textPaste() override { calls.push_back("textPaste"); }
  void textUndo() override { calls.push_back("textUndo"); }
  void textRedo() override { calls.push_back("textRedo"); }
  void ImageTool_Click() override { calls.push_back("ImageTool_Click"); }
  void showSearch() override { calls.push_back("showSearch"); }
  // The button's state while the check runs is part of what it shows.
  void checkSource() override {
    calls.push_back(bar->button("check")->isChecked() ? "checkSource pressed" : "checkSource up");
    if (clickDuringCheck) {
      bar->button("check")->trigger();
      calls.push_back(bar->button("check")->isChecked() ? "still pressed" : "released");
    }
  }
  bool clickDuringCheck = false;
  void menuCompilego_Click() override { calls.push_back("menuCompilego_Click"); }
  void Rewrite() override { calls.push_back("Rewrite"); }
  void Start() override { calls.push_back("Start"); }
  void AutoExec() override { calls.push_back("AutoExec"); }
  void menuMan_Click() override { calls.push_back("menuMan_Click"); }
  void menuTopics_Click() override { calls.push_back("menuTopics_Click"); }
  void menuKeyword_Click() override { calls.push_back("menuKeyword_Click"); }
  void Form_Resize() override {
    calls.push_back(bar->detailed() ? "Form_Resize detail" : "Form_Resize normal");
  }
  void beep() override { calls.push_back("beep"); }
};

class Bar : public testing::Test {
 protected:
  void SetUp() override {
    bar = new ToolBar(&window, handlers);
    handlers.bar = bar;
  }
  QMainWindow window;
  RecordingHandlers handlers;
  ToolBar* bar = nullptr;
};

struct KeyCase {
  const char* key;
  const char* tip;
  std::vector<std::string> calls;
};

const KeyCase kKeys[] = {
    {"new", "Create new macro from scratch.", {"menuWhite_Click"}},
    {"open", "Open existing source file.", {"menuOpen_Click"}},
    {"save", "Save souce code", {"menuSave_Click"}},
    {"cut", "Cut selected code", {"textCut"}},
    {"copy", "Copy selected code", {"textCopy"}},
    {"paste", "Paste code at cursor location", {"textPaste"}},
    {"undo", "Undo", {"textUndo"}},
    {"redo", "Redo", {"textRedo"}},
    {"Image", "Open Image Tool.", {"ImageTool_Click"}},
    {"search", "Find word", {"showSearch"}},
    {"check", "Grammar check", {"checkSource pressed"}},
    {"view", "Change screen view", {"Form_Resize detail"}},
    {"compile", "Compile", {"menuCompilego_Click"}},
    {"rewrite", "Write object code to target", {"Rewrite"}},
    {"start", "Execute target code on module", {"Start"}},
    {"autoExec", "Set up Auto-start", {"AutoExec"}},
    {"topics", "Topics", {"menuTopics_Click"}},
};

class ButtonKey : public Bar, public testing::WithParamInterface<KeyCase> {};

TEST_P(ButtonKey, a_click_reaches_its_handler_once) {
  QAction* button = bar->button(GetParam().key);
  ASSERT_NE(button, nullptr);
  button->trigger();
  EXPECT_EQ(handlers.calls, GetParam().calls);
  // Only the view button keeps its state after a click.
  EXPECT_EQ(button->isChecked(), std::string(GetParam().key) == "view");
}

TEST_P(ButtonKey, carries_its_tip_from_the_string_table) {
  EXPECT_EQ(bar->button(GetParam().key)->toolTip(), QString::fromUtf8(GetParam().tip));
}

INSTANTIATE_TEST_SUITE_P(toolbar, ButtonKey, testing::ValuesIn(kKeys),
                         [](const auto& i) { return std::string(i.param.key); });

TEST_F(Bar, buttons_carry_their_tips_from_the_string_table) {
  EXPECT_EQ(bar->button("save")->toolTip(), QStringLiteral("Save souce code"));
  EXPECT_EQ(bar->button("view")->toolTip(), QStringLiteral("Change screen view"));
  EXPECT_EQ(bar->button("Image")->toolTip(), QStringLiteral("Open Image Tool."));
}

TEST_F(Bar, keys_are_compared_exactly_and_any_other_key_only_beeps) {
  for (const char* key : {"Compile", "compile ", "VIEW", "", "convert"}) {
    handlers.calls.clear();
    bar->tbX_ButtonClick(QString::fromUtf8(key));
    EXPECT_EQ(handlers.calls, std::vector<std::string>{"beep"}) << key;
  }
}

TEST_F(Bar, clicking_view_twice_returns_to_the_normal_screen) {
  QAction* view = bar->button("view");
  view->trigger();
  EXPECT_TRUE(view->isChecked());
  EXPECT_TRUE(bar->menuViewD->isChecked());
  EXPECT_FALSE(bar->menuViewN->isChecked());
  view->trigger();
  EXPECT_FALSE(view->isChecked());
  EXPECT_TRUE(bar->menuViewN->isChecked());
  EXPECT_FALSE(bar->menuViewD->isChecked());
  EXPECT_EQ(handlers.calls, (std::vector<std::string>{"Form_Resize detail", "Form_Resize normal"}));
}

TEST_F(Bar, the_view_menu_sets_the_button_without_clicking_it) {
  EXPECT_TRUE(bar->menuViewN->isChecked());
  EXPECT_FALSE(bar->button("view")->isChecked());
  bar->menuViewD->trigger();
  EXPECT_TRUE(bar->button("view")->isChecked());
  EXPECT_TRUE(bar->menuViewD->isChecked());
  EXPECT_FALSE(bar->menuViewN->isChecked());
  // Choosing the checked entry again keeps exactly one mark.
  bar->menuViewD->trigger();
  EXPECT_TRUE(bar->menuViewD->isChecked());
  EXPECT_FALSE(bar->menuViewN->isChecked());
  bar->menuViewN->trigger();
  EXPECT_FALSE(bar->button("view")->isChecked());
  EXPECT_TRUE(bar->menuViewN->isChecked());
  EXPECT_FALSE(bar->menuViewD->isChecked());
  // One layout per choice: setting the button never ran its own handler again.
  EXPECT_EQ(handlers.calls,
            (std::vector<std::string>{"Form_Resize detail", "Form_Resize detail", "Form_Resize normal"}));
}

TEST_F(Bar, any_mode_but_normal_is_the_detailed_screen) {
  bar->viewSet(QStringLiteral("Normal"));
  EXPECT_TRUE(bar->detailed());
  bar->viewSet(QStringLiteral("normal"));
  EXPECT_FALSE(bar->detailed());
}

TEST_F(Bar, check_is_pressed_while_the_check_runs_and_released_after) {
  bar->button("check")->trigger();
  EXPECT_EQ(handlers.calls, std::vector<std::string>{"checkSource pressed"});
  EXPECT_FALSE(bar->button("check")->isChecked());
}

TEST_F(Bar, a_click_on_check_while_it_runs_starts_no_second_check) {
  handlers.clickDuringCheck = true;
  bar->button("check")->trigger();
  EXPECT_EQ(handlers.calls, (std::vector<std::string>{"checkSource pressed", "still pressed"}));
  EXPECT_FALSE(bar->button("check")->isChecked());
}

TEST_F(Bar, the_help_entries_and_f1_reach_the_help_handlers) {
  QMenu* help = window.menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(bar->menuMan);
  help->addAction(bar->menuTopics);
  help->addAction(bar->menuKeyword);
  EXPECT_EQ(bar->menuMan->text(), QStringLiteral("&Manual"));
  EXPECT_EQ(bar->menuTopics->text(), QStringLiteral("&Topics"));
  EXPECT_EQ(bar->menuKeyword->text(), QStringLiteral("&Keyword"));
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  QTest::keyClick(&window, Qt::Key_F1);
  bar->menuMan->trigger();
  bar->menuTopics->trigger();
  bar->button("topics")->trigger();
  EXPECT_EQ(handlers.calls, (std::vector<std::string>{"menuKeyword_Click", "menuMan_Click",
                                                      "menuTopics_Click", "menuTopics_Click"}));
}

}  // namespace
}  // namespace kelmore::mainwindow
