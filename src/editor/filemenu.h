// The File menu for the main window: New, the templates, Open, Save, Save As, Close, files dropped on the
// window or the pane, the save question at close, the start-up file, TMP.tvr and the file association.
// Layer: editor (Qt).
//
// A thin layer over SourceFiles: the pane is a SourceEditor, boxes and dialogs go through the main
// window's Prompter, the caption is the window title.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

#include "editor/sourcefiles.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace kelmore::widgets {
class Prompter;
}

namespace kelmore::editor {

class SourceEditor;

class FileMenu : public QObject {
  Q_OBJECT
 public:
  // `initCompileWin` empties the main window's code, listing and list panes. Places default to the
  // system's own (assets, TMP.tvr in the data folder, this executable).
  FileMenu(QWidget* window, SourceEditor* editor, widgets::Prompter& prompter,
           std::function<void()> initCompileWin, const QString& versionText);
  FileMenu(QWidget* window, SourceEditor* editor, widgets::Prompter& prompter,
           std::function<void()> initCompileWin, SourcePlaces places);
  ~FileMenu() override;

  SourceFiles& files() { return *files_; }

  // The menu entries, captions from the string table, each wired to its command.
  QAction* menuWhite = nullptr;  // File > New > New
  QAction* menuTemplate1 = nullptr;
  QAction* menuTemplate2 = nullptr;
  QAction* menuOpen = nullptr;
  QAction* menuSave = nullptr;
  QAction* menuAdd = nullptr;  // Save As
  QAction* menuClose = nullptr;
  QAction* menuUndo = nullptr;  // Edit, Ctrl+Z
  QAction* menuRedo = nullptr;  // Ctrl+Y
  QAction* menuCut = nullptr;
  QAction* menuCopy = nullptr;
  QAction* menuPaste = nullptr;
  QAction* menuAllSellect = nullptr;
  QAction* menuPop = nullptr;  // Help > Pop-up Help, checked: the pane's hints
  QAction* menuFileAssociation = nullptr;

  // File (New > New, Template 1, Template 2; Open; Save; Save As; separator; Close) and Edit, inserted
  // before `before` (appended when it is nullptr). Returns the File menu.
  QMenu* insertMenus(QMenuBar* bar, QAction* before);

 public slots:
  void startUp(const QString& commandLineName);
  void menuWhite_Click();
  void menuTemplate1_Click();
  void menuTemplate2_Click();
  void menuOpen_Click();
  void menuSave_Click();
  void menuAdd_Click();
  void menuClose_Click();
  void menuFileAssociation_Click();
  void openDroppedFile(const QString& path);
  // For the window's close: true when it may close.
  bool Form_QueryUnload();
  bool TMP_Save();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createActions(SourceEditor* editor);
  class Pane;
  class Dialogs;
  class Host;
  QWidget* window_;
  std::unique_ptr<Pane> pane_;
  std::unique_ptr<Dialogs> dialogs_;
  std::unique_ptr<Host> host_;
  std::unique_ptr<SourceFiles> files_;
};

// The system's own places for the file commands.
SourcePlaces defaultSourcePlaces(const QString& versionText);

}  // namespace kelmore::editor
