// The main window's command surface beside its File, Edit, Compile and Port menus: the toolbar tbX with
// its dispatch by key, the View menu entries with the two screen views, and the Help menu's help entries.
// Layer: main window (Qt).
//
// Every button comes from kToolKeys and runs its command through ToolHandlers, which the window
// implements and tests fake. "view" and "check" are two-state: "view" pressed is the detailed screen,
// "check" is pressed while the grammar check runs. Setting a button's state never runs its command again.
#pragma once

#include <QObject>
#include <QString>
#include <string_view>

class QAction;
class QMainWindow;
class QToolBar;

namespace kelmore::mainwindow {

// What the buttons and the View and Help entries reach; named as the window's own handlers.
class ToolHandlers {
 public:
  virtual ~ToolHandlers() = default;
  virtual void menuWhite_Click() = 0;
  virtual void menuOpen_Click() = 0;
  virtual void menuSave_Click() = 0;
  virtual void textCut() = 0;
  virtual void textCopy() = 0;
  virtual void textPaste() = 0;
  virtual void textUndo() = 0;
  virtual void textRedo() = 0;
  virtual void ImageTool_Click() = 0;
  virtual void showSearch() = 0;
  virtual void checkSource() = 0;
  virtual void menuCompilego_Click() = 0;
  virtual void Rewrite() = 0;
  virtual void Start() = 0;
  virtual void AutoExec() = 0;
  virtual void menuMan_Click() = 0;
  virtual void menuTopics_Click() = 0;
  virtual void menuKeyword_Click() = 0;
  // Lays the panes out for the view the "view" button shows.
  virtual void Form_Resize() = 0;
  virtual void beep() = 0;
};

class ToolBar : public QObject {
  Q_OBJECT
 public:
  // Adds tbX to `window`, one button per key; the window adds its boxes after them.
  ToolBar(QMainWindow* window, ToolHandlers& handlers);

  QToolBar* tbX = nullptr;
  QAction* menuViewN = nullptr;  // "Normal screen", checked at start
  QAction* menuViewD = nullptr;  // "Detailed Screen"
  QAction* menuMan = nullptr;
  QAction* menuTopics = nullptr;
  QAction* menuKeyword = nullptr;  // F1

  // The button of `key`; nullptr for a key no button carries.
  QAction* button(std::string_view key) const;
  // True while the "view" button is pressed: the detailed screen.
  bool detailed() const;

 public slots:
  // Runs the command of the button `key` (compared exactly); any other key only beeps.
  void tbX_ButtonClick(const QString& key);
  // "normal" selects the normal screen, any other mode the detailed one: marks, button, then the layout.
  void viewSet(const QString& mode);
  void menuViewN_Click() { viewSet(QStringLiteral("normal")); }
  void menuViewD_Click() { viewSet(QStringLiteral("detail")); }

 private:
  ToolHandlers& handlers_;
  bool checkRunning_ = false;
};

}  // namespace kelmore::mainwindow
