// The File menu on a window offscreen: menus, open, save, a drop on the window, the close question.
// Layer: tests (Qt).
#include "editor/filemenu.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../widgets/scriptedprompter.h"
#include "editor/sourceeditor.h"

namespace kelmore::editor {
namespace {

namespace fs = std::filesystem;

class Menu : public testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("KELMORE_CODEPAGE");
    dir = fs::temp_directory_path() / ("kelmore-filemenu-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "a.tvr", std::ios::binary) << "print 1\r\nx=2\r\n";
    auto* layout = new QVBoxLayout(&window);
    bar = new QMenuBar(&window);
    editor = new SourceEditor(&window);
    layout->setMenuBar(bar);
    layout->addWidget(editor);
    SourcePlaces places{dir, dir / "TMP.tvr", "Ver4.4.3", {dir / "d", dir / "c"}, "/usr/bin/kelmore", {}};
    menu = new FileMenu(
        &window, editor, prompter, [this] { ++compileWinCleared; }, places);
    fileMenu = menu->insertMenus(bar, nullptr);
    menu->startUp({});
    window.show();
  }
  void TearDown() override { fs::remove_all(dir); }
  QString path(const char* name) { return QString::fromStdString((dir / name).string()); }

  fs::path dir;
  QWidget window;
  QMenuBar* bar = nullptr;
  SourceEditor* editor = nullptr;
  widgets::test::ScriptedPrompter prompter;
  FileMenu* menu = nullptr;
  QMenu* fileMenu = nullptr;
  int compileWinCleared = 0;
};

TEST_F(Menu, menus_carry_the_captions_in_order) {
  QStringList titles;
  for (QAction* a : bar->actions()) titles << a->text();
  EXPECT_EQ(titles, (QStringList{"&File", "&Edit"}));
  QStringList file;
  for (QAction* a : fileMenu->actions()) file << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(file, (QStringList{"&New", "&Open", "&Save", "Save &As", "-", "&Close"}));
  EXPECT_EQ(menu->menuUndo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
  EXPECT_EQ(menu->menuRedo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
}

TEST_F(Menu, untitled_start_then_open_loads_names_and_clears_the_panes) {
  EXPECT_EQ(window.windowTitle(), "Macro-EditorNew.tvr");
  EXPECT_EQ(editor->sourceText(), "Type souce code here.");
  prompter.fileNames << path("a.tvr");
  menu->menuOpen->trigger();
  EXPECT_EQ(editor->sourceText(), "Print 1\nx=2\n");
  EXPECT_EQ(window.windowTitle(), "Macro-Editor" + path("a.tvr"));
  EXPECT_EQ(compileWinCleared, 1);
  ASSERT_EQ(prompter.boxes.size(), 1u);
  EXPECT_EQ(prompter.boxes[0].title, "Loaded");
  EXPECT_EQ(prompter.boxes[0].text, "2 lines loaded.");
  EXPECT_EQ(prompter.boxes[0].icon, QMessageBox::Information);
  editor->setFocus();
  editor->textUndo();  // a load is no undoable step
  EXPECT_EQ(editor->sourceText(), "Print 1\nx=2\n");
}

TEST_F(Menu, a_file_dropped_on_the_window_asks_then_opens) {
  editor->setDocumentText(QStringLiteral("edited"));
  prompter.answers.push_back(QMessageBox::No);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path("a.tvr"))});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
  ASSERT_GE(prompter.boxes.size(), 1u);
  EXPECT_EQ(prompter.boxes[0].title, "Confirm");
  EXPECT_EQ(prompter.boxes[0].text, "New.tvr: Do you want to save the change?");
  EXPECT_EQ(editor->sourceText(), "Print 1\nx=2\n");
  EXPECT_EQ(window.windowTitle(), "Macro-Editor" + path("a.tvr"));
}

TEST_F(Menu, close_question_cancel_keeps_the_window_and_save_as_writes) {
  editor->setDocumentText(QStringLiteral("x = 1"));
  prompter.answers.push_back(QMessageBox::Cancel);
  EXPECT_FALSE(menu->Form_QueryUnload());
  prompter.answers.push_back(QMessageBox::Yes);
  prompter.fileNames << path("b.tvr");
  EXPECT_TRUE(menu->Form_QueryUnload());
  std::ifstream in(dir / "b.tvr", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "x = 1");
  EXPECT_EQ(window.windowTitle(), "Macro-Editor" + path("b.tvr"));
}

TEST_F(Menu, pop_up_help_entry_switches_the_hints) {
  EXPECT_TRUE(menu->menuPop->isChecked());
  menu->menuPop->trigger();
  EXPECT_FALSE(editor->popupHints());
  menu->menuPop->trigger();
  EXPECT_TRUE(editor->popupHints());
}

}  // namespace
}  // namespace kelmore::editor
