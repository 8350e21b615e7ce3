// Form1: the main window. Start-up and shutdown, Config.dat, the compile, download, start and auto-exec
// commands, the port box and the Port menu, and the compiler's host.
// Layer: main window (Qt).
//
// Form1 owns the one device object (PX, created on first use) and the compile log window (logWindow,
// created on first use). Every device command runs on the window's thread; while one runs, the device
// commands are disabled and closing the window waits for it to end. Message boxes and file dialogs go
// through the Prompter given at construction.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "compiler/host.h"
#include "compiler/mnemonic.h"
#include "mainwindow/clstooltip.h"
#include "mainwindow/editor/filemenu.h"
#include "mainwindow/editor/sourceeditor.h"
#include "mainwindow/prompter.h"

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QTreeWidget;

namespace kelmore {
class MacroCompiler;
namespace link {
class PX5000;
class LinkEnv;
}  // namespace link
}  // namespace kelmore

namespace kelmore::mainwindow {

class progressform;
class Px5000Device;

struct Form1Options {
  QStringList arguments;         // the program's arguments, program first
  Prompter* prompter = nullptr;  // nullptr: the real boxes and dialogs
  int splashMs = 3000;           // how long the start-up about box stays
  bool splash = true;
};

class Form1 : public QMainWindow, public CompilerHost, public mnemonic::MnemonicHost {
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
  QString commSettingText;
  QString ipAddressText;
  QString tcpPortText;
  progressform* logWindow();
  link::PX5000& PX();
  const QString& helpFile() const { return helpFile_; }

  // --- controls ---
  editor::SourceEditor* source = nullptr;
  editor::FileMenu* fileMenu = nullptr;
  void initCompileWin();
  QPlainTextEdit* code = nullptr;
  QPlainTextEdit* mnemonic = nullptr;
  QLineEdit* addText = nullptr;
  QLineEdit* raddText = nullptr;
  QLineEdit* rowText = nullptr;
  QLineEdit* keywordText = nullptr;
  QTreeWidget* ListViewAZ = nullptr;
  QTreeWidget* ListViewLabel = nullptr;
  QTreeWidget* ListViewRoutine = nullptr;
  QComboBox* cmbSeries = nullptr;
  QComboBox* targetList = nullptr;
  QComboBox* commList = nullptr;
  QComboBox* modAddList = nullptr;
  QToolBar* tbX = nullptr;
  QAction* tbCompile = nullptr;
  QAction* tbRewrite = nullptr;
  QAction* tbStart = nullptr;
  QAction* tbAutoExec = nullptr;

  // --- menus ---
  QMenu* menuCompile = nullptr;
  QMenu* MenuComm = nullptr;
  QMenu* menuHelp = nullptr;
  QAction* menuCompilego = nullptr;
  std::array<QAction*, 5> menuRewrite{};
  std::array<QAction*, 5> menuStart{};
  std::array<QAction*, 5> menuAuto{};
  std::array<QAction*, 16> menuComm{};  // COM1..COM16
  QAction* menuLan = nullptr;
  QAction* MenuSearchPort = nullptr;
  QAction* MenuCommSetting = nullptr;
  QAction* MenuPortCheck = nullptr;
  QAction* menuVersion = nullptr;

  // A combo box's text: its selected item, or the text it shows when no item is selected.
  static QString comboText(const QComboBox* box);
  // Selects the item with exactly this text, or shows the text with no item selected.
  static void setComboText(QComboBox* box, const QString& text);

  // The port box colour: checking or good, failed, or at rest (the window's own).
  enum class PortState { Rest, Checking, Failed };
  PortState portState() const { return portState_; }

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

  void commList_click();
  void commListToolTip();
  void menuCommClear();
  void menuComm_Click(int n);  // 1..16
  void menuLan_Click();
  void MenuCommSetting_Click();
  void MenuSearchPort_Click();
  void MenuPortCheck_Click();
  bool commCheck();
  void commCoda();

  void LoadConfig();
  void SaveConfig();
  void addLeftMargin(int pixels);
  void Version();
  void menuVersion_Click() { Version(); }

 public:
  // Capacity test of the current target; shows and logs the message when the code does not fit.
  bool isMacroFitInMem(std::int32_t lastIndex);

  // --- CompilerHost and MnemonicHost ---
  std::string sourceText() override;
  int caretLine() override;
  void saveSelection() override;
  void restoreSelection() override;
  void markLine(int line) override;
  void setCodeText(std::string_view text) override;
  void colourCode(std::size_t start, std::size_t length, Rgb colour) override;
  void setCodeVisible(bool visible) override;
  void setAddressText(std::string_view text) override;
  void clearList(CompilerList list) override;
  void addListItem(CompilerList list, std::string_view text, std::string_view subItem1,
                   std::string_view subItem2) override;
  std::string listToolTip(CompilerList list) override;
  void setListToolTip(CompilerList list, std::string_view tip) override;
  void clearLog() override;
  void addlog(std::string_view message, LogKind kind) override;
  void setProgressMax(float maximum) override;
  float progressMax() override;
  void setProgressValue(float value) override;
  void setCloseVisible(bool visible) override;
  void refreshWindow() override;
  void messageBox(std::string_view text) override;
  std::string modelName() override;
  int targetArea() override;
  const ImageListView& images() override;
  void activateLog() override;
  std::string codePaneText() override;
  void setMnemonicText(std::string_view text) override;
  void colourMnemonic(std::size_t start, std::size_t length, Rgb colour) override;

  // True while a device command runs.
  bool deviceBusy() const { return deviceBusy_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void createActions();
  void createMenus();
  void createToolBar();
  void createPanes();
  editor::SourceEditor* createSourcePane();
  void Form_Unload();

  void selectTarget(int k);
  void setPortState(PortState state);
  void refreshPortPaths();
  QTreeWidget* listFor(CompilerList list) const;
  void showError(const QString& text);
  // Runs one device command with the device commands disabled; a close asked meanwhile happens after it.
  void runDeviceCommand(const std::function<void()>& command);
  void setDeviceCommandsEnabled(bool enabled);
  MacroCompiler& compiler();
  Px5000Device& deviceAdapter();

  Options options_;
  std::unique_ptr<Prompter> ownPrompter_;
  Prompter* prompter_ = nullptr;
  std::unique_ptr<link::LinkEnv> linkEnv_;
  std::unique_ptr<link::PX5000> PX_;
  std::unique_ptr<Px5000Device> adapter_;
  std::unique_ptr<MacroCompiler> compiler_;
  std::unique_ptr<ImageListView> images_;
  QPointer<progressform> logWindow_;
  clsTooltip tooltip_;
  QString helpFile_;
  QString programFolder_;
  std::array<std::string, 8> memWords_;
  PortState portState_ = PortState::Rest;
  bool deviceBusy_ = false;
  bool closePending_ = false;
  std::string codeRaw_;  // the texts the code and listing panes were given
  std::string mnemonicRaw_;
  int savedAnchor_ = 0;
  int savedPosition_ = 0;
};

}  // namespace kelmore::mainwindow
