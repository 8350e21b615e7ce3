// What the main window's toolbar, View menu and help entries reach: Form1's own commands, its search
// window and its help viewer.
// Layer: main window (Qt).
//
// The search window and the help viewer are made on first use and close with the window.
#pragma once

#include <QPointer>

#include "mainwindow/form1.h"
#include "mainwindow/toolbar.h"

namespace kelmore::mainwindow {

class frmSearch;
class HelpWindow;

class Form1::Commands : public ToolHandlers {
 public:
  explicit Commands(Form1& form) : form_(form) {}

  void menuWhite_Click() override;
  void menuOpen_Click() override;
  void menuSave_Click() override;
  void textCut() override;
  void textCopy() override;
  void textPaste() override;
  void textUndo() override;
  void textRedo() override;
  void showSearch() override;
  void checkSource() override;
  void menuCompilego_Click() override;
  void Rewrite() override;
  void Start() override;
  void AutoExec() override;
  void ImageTool_Click() override;
  void menuMan_Click() override;
  void menuTopics_Click() override;
  void menuKeyword_Click() override;
  void Form_Resize() override;
  void beep() override;

  HelpWindow& help();
  frmSearch* searchWindow() const { return search_; }
  // At shutdown: the help viewer and the search window close with the program.
  void closeWindows();

 private:
  Form1& form_;
  QPointer<frmSearch> search_;
  QPointer<HelpWindow> help_;
};

}  // namespace kelmore::mainwindow
