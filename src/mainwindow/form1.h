// Form1: the main window shell. Start-up and shutdown, its menus and toolbar, and the compile, download,
// start, auto-exec and port-check commands.
// Layer: main window (Qt).
//
// Form1 owns the compile views that serve as the compiler's host (views), the module choice with its boxes,
// the Port menu's port items and the module check (choice), and the one device object (PX, created on
// first use). Every device command runs on the window's thread as one operation of the window's
// OperationGuard: while it runs, what must wait for it is disabled, its progress shows in the status bar,
// the window takes input, and closing the window waits for it to end; its outcome stays in the status bar
// until the next command. Message boxes and file dialogs go through the Prompter given at construction.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "editor/filemenu.h"
#include "editor/sourceeditor.h"
#include "mainwindow/clstooltip.h"
#include "widgets/imagetoolwindow.h"
#include "widgets/prompter.h"

class QAction;
class QLineEdit;
class QMenu;
class QToolBar;

namespace kelmore {
class MacroCompiler;
namespace link {
class PX5000;
class LinkEnv;
}  // namespace link
namespace widgets {
class OperationGuard;
class OperationProgress;
}  // namespace widgets
}  // namespace kelmore

namespace kelmore::mainwindow {

class CompilerViews;
class ExportCommand;
class HelpWindow;
class ModuleChoice;
class progressform;
class Px5000Device;
class ToolBar;
struct CommandResult;

struct Form1Options {
  QStringList arguments;                  // the program's arguments, program first
  widgets::Prompter* prompter = nullptr;  // nullptr: the real boxes and dialogs
  int splashMs = 3000;                    // how long the start-up about box stays
  bool splash = true;
  widgets::ImageToolFactory imageTool;  // makes the image tool window; empty: no image tool
};

class Form1 : public QMainWindow {
  Q_OBJECT
 public:
  using Options = Form1Options;

  explicit Form1(Options options = Options());
  ~Form1() override;

  // Start-up: about box, localisation, tables, Config.dat, show, command line.
  void Form_Load();

  // --- public members ---
  QString compiledSource;
  QString memMacroMem, memVRam, memGPRam, memGPFRom, memGPFRom2, memImgRam, memImgFRom, memMemSw;
  progressform* logWindow();
  link::PX5000& PX();
  const QString& helpFile() const { return helpFile_; }

  // --- the parts it owns ---
  CompilerViews& views() { return *views_; }
  ModuleChoice& choice() { return *choice_; }
  // The toolbar with the View and help entries, and the help viewer (made on first use).
  ToolBar& toolBar() { return *toolBar_; }
  HelpWindow& help();
  // One device operation at a time, for every window that reaches the device.
  widgets::OperationGuard& operations() { return *operations_; }
  widgets::OperationProgress& progress() { return *progress_; }
  // The source pane's pop-up hint.
  const clsTooltip& hintTip() const { return tooltip_; }

  // --- controls ---
  editor::SourceEditor* source = nullptr;
  editor::FileMenu* fileMenu = nullptr;
  QLineEdit* rowText = nullptr;
  QLineEdit* keywordText = nullptr;
  QToolBar* tbX = nullptr;
  QToolBar* tbBoxes = nullptr;  // the toolbar's boxes, on the row below its keys
  QAction* tbCompile = nullptr;
  QAction* tbRewrite = nullptr;
  QAction* tbStart = nullptr;
  QAction* tbAutoExec = nullptr;
  QAction* tbImage = nullptr;

  // --- menus ---
  QAction* menuExport = nullptr;
  QMenu* menuCompile = nullptr;
  QMenu* MenuComm = nullptr;
  QMenu* menuHelp = nullptr;
  QMenu* menuTool = nullptr;
  QAction* ImageTool = nullptr;
  QAction* menuCompilego = nullptr;
  std::array<QAction*, 5> menuRewrite{};
  std::array<QAction*, 5> menuStart{};
  std::array<QAction*, 5> menuAuto{};
  QAction* MenuPortCheck = nullptr;
  QAction* menuVersion = nullptr;

 public slots:
  void menuCompilego_Click();
  void checkSeries();
  void menuRewrite_Click(int k);
  void menuStart_Click(int k);
  void menuAuto_Click(int k);
  void targetList_Click();
  void Rewrite();
  void Start();
  void AutoExec();
  void addlog(const QString& message);
  void MenuPortCheck_Click();
  void menuExport_Click();
  // The Tool menu's "BMP Image List" and the Image key: the image tool, made on first use, shown with the
  // current model.
  void ImageTool_Click();

  void LoadConfig();
  void SaveConfig();
  void addLeftMargin(int pixels);
  void Version();
  void menuVersion_Click() { Version(); }

 public:
  // Capacity test of the current target; shows and logs the message when the code does not fit.
  bool isMacroFitInMem(std::int32_t lastIndex);

  // True while a device command runs.
  bool deviceBusy() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Lays the panes out by the state of the "view" button, at start-up too.
  void resizeEvent(QResizeEvent* event) override;
  // No menu to hide the toolbars: the keys and boxes are always there.
  QMenu* createPopupMenu() override { return nullptr; }

 private:
  void createActions();
  void createMenus();
  void createToolBar();
  void createPanes();
  // The operation guard, the link's environment and the progress display, and what waits for an operation.
  void createOperationGuard();
  editor::SourceEditor* createSourcePane();
  void Form_Unload();

  void selectTarget(int k);
  void showError(const QString& text);
  // Runs one device command, named `what`, as an operation; `command` returns its outcome ("completed",
  // or the failure's reason), which the status bar keeps as "what subject: outcome" until the next command.
  // A close asked meanwhile happens after it.
  void runDeviceCommand(const QString& what, const QString& subject, const std::function<QString()>& command);
  // A command refused before it starts: the box and log line of showError, and the reason as its outcome.
  void refuseDeviceCommand(const QString& what, const QString& subject, const QString& reason);
  // The module check, then `sequence`; a failure of either is shown. Returns the outcome: `completed`
  // when both passed, else the failure's reason.
  QString checkThenRun(const std::function<CommandResult()>& sequence, const QString& completed);
  // True when a device command may start now.
  bool deviceFree();
  MacroCompiler& compiler();
  Px5000Device& deviceAdapter();

  class Commands;  // what the toolbar, View and help entries reach

  Options options_;
  std::unique_ptr<widgets::Prompter> ownPrompter_;
  widgets::Prompter* prompter_ = nullptr;
  widgets::OperationGuard* operations_ = nullptr;  // a child of the window
  widgets::OperationProgress* progress_ = nullptr;
  std::unique_ptr<link::LinkEnv> linkEnv_;
  std::unique_ptr<link::PX5000> PX_;
  std::unique_ptr<Px5000Device> adapter_;
  ModuleChoice* choice_ = nullptr;  // a child of the window
  std::unique_ptr<CompilerViews> views_;
  std::unique_ptr<MacroCompiler> compiler_;
  std::unique_ptr<ExportCommand> exportCommand_;
  std::unique_ptr<Commands> commands_;
  ToolBar* toolBar_ = nullptr;                            // a child of the window
  class ImageDownloadHost;                                // what the image download reaches of this window
  std::unique_ptr<ImageDownloadHost> imageDownloadHost_;  // before the tool, which keeps a pointer to it
  std::unique_ptr<widgets::ImageToolWindow> imageTool_;
  clsTooltip tooltip_;
  QString helpFile_;
  QString programFolder_;
  std::array<std::string, 8> memWords_;
  bool closePending_ = false;
};

}  // namespace kelmore::mainwindow
