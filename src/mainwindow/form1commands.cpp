// The main window's toolbar, view and help commands.
// Layer: main window (Qt).
#include "mainwindow/form1commands.h"

#include <QApplication>
#include <QLineEdit>
#include <QSplitter>

#include "mainwindow/clstooltip.h"
#include "mainwindow/helpwindow.h"
#include "platform/paths.h"

namespace kelmore::mainwindow {
namespace {

// Shares of the window's width for the source and the compile panes.
constexpr int kNormalSourceShare = 3, kNormalPanesShare = 2;
constexpr int kDetailSourceShare = 1, kDetailPanesShare = 2;

}  // namespace

void Form1::Commands::menuWhite_Click() {
  form_.fileMenu->menuWhite_Click();
}
void Form1::Commands::menuOpen_Click() {
  form_.fileMenu->menuOpen_Click();
}
void Form1::Commands::menuSave_Click() {
  form_.fileMenu->menuSave_Click();
}
void Form1::Commands::textCut() {
  form_.source->textCut();
}
void Form1::Commands::textCopy() {
  form_.source->textCopy();
}
void Form1::Commands::textPaste() {
  form_.source->textPaste();
}
void Form1::Commands::textUndo() {
  form_.source->textUndo();
}
void Form1::Commands::textRedo() {
  form_.source->textRedo();
}

void Form1::Commands::showSearch() {
  if (!search_) {
    search_ = new frmSearch(form_.source, &form_);
    search_->setWindowFlag(Qt::Window);
  }
  search_->show();
  search_->raise();
  search_->activateWindow();
}

void Form1::Commands::checkSource() {
  form_.source->checkSource();
}
void Form1::Commands::menuCompilego_Click() {
  form_.menuCompilego_Click();
}
void Form1::Commands::Rewrite() {
  form_.Rewrite();
}
void Form1::Commands::Start() {
  form_.Start();
}
void Form1::Commands::AutoExec() {
  form_.AutoExec();
}
void Form1::Commands::ImageTool_Click() {
  form_.ImageTool_Click();
}

HelpWindow& Form1::Commands::help() {
  if (!help_) help_ = new HelpWindow(platform::assetDir() / kHelpFolderName, &form_);
  return *help_;
}

void Form1::Commands::menuMan_Click() {
  help().contents();
}
void Form1::Commands::menuTopics_Click() {
  help().context(form_.source->helpContext());
}
void Form1::Commands::menuKeyword_Click() {
  help().keyword(form_.keywordText->text().toStdString());
}

void Form1::Commands::Form_Resize() {
  auto* split = qobject_cast<QSplitter*>(form_.centralWidget());
  if (!split || split->count() < 2) return;
  const bool detailed = form_.toolBar().detailed();
  const int width = std::max(split->width(), 1);
  const int source = detailed ? kDetailSourceShare : kNormalSourceShare;
  const int panes = detailed ? kDetailPanesShare : kNormalPanesShare;
  split->setSizes({width * source / (source + panes), width * panes / (source + panes)});
}

void Form1::Commands::beep() {
  QApplication::beep();
}

void Form1::Commands::closeWindows() {
  if (help_) help_->quit();
  if (search_) search_->close();
}

}  // namespace kelmore::mainwindow
