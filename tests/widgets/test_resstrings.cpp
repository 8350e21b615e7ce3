// loadResStrings: known ids replace the design texts, unknown or missing ones leave them.
// Layer: tests (Qt).
#include "widgets/resstrings.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>

#include "qtprint.h"

namespace kelmore::widgets {
namespace {

constexpr int kUnknownId = 9999;

TEST(LoadResStrings, localises_every_kind_of_control) {
  QMainWindow window;
  auto* label = new QLabel("design label", &window);
  setResCaption(label, 2012);
  auto* missing = new QLabel("design stays", &window);
  setResCaption(missing, kUnknownId);
  auto* plain = new QLabel("no id", &window);
  auto* button = new QPushButton("design button", &window);
  setResCaption(button, 2260);
  setResTip(button, 2513);
  QMenu* menu = window.menuBar()->addMenu("design menu");
  setResCaption(menu, 2219);
  QAction* entry = menu->addAction("design entry");
  setResCaption(entry, 2220);
  QAction* separator = menu->addSeparator();
  QToolBar* bar = window.addToolBar("bar");
  QAction* tool = bar->addAction("tool");
  tool->setToolTip("design tip");
  setResTip(tool, 2512);
  auto* view = new QTreeWidget(&window);
  view->setHeaderLabels({"c0", "c1"});
  setResColumns(view, {0, 2011});
  auto* tabs = new QTabWidget(&window);
  tabs->addTab(new QWidget, "t0");
  tabs->addTab(new QWidget, "t1");
  setResTabs(tabs, {2509, kUnknownId}, {2510, 0});

  loadResStrings(&window);

  EXPECT_EQ(label->text(), "Macro-Editor");
  EXPECT_EQ(missing->text(), "design stays");
  EXPECT_EQ(plain->text(), "no id");
  EXPECT_EQ(button->text(), "Advanced");
  EXPECT_EQ(button->toolTip(), "Write object code to target");
  EXPECT_EQ(menu->title(), "&Compile");
  EXPECT_EQ(entry->text(), "&Compile");
  EXPECT_TRUE(separator->isSeparator());
  EXPECT_EQ(tool->toolTip(), "Compile");
  EXPECT_EQ(view->headerItem()->text(0), "c0");
  EXPECT_EQ(view->headerItem()->text(1), "New.tvr");
  EXPECT_EQ(tabs->tabText(0), "Find word");
  EXPECT_EQ(tabs->tabText(1), "t1");
  EXPECT_EQ(tabs->tabToolTip(0), "Grammar check");
  EXPECT_EQ(label->font().family(), "OCR A Extended");
  EXPECT_EQ(label->font().pointSize(), 9);
}

}  // namespace
}  // namespace kelmore::widgets
