// The main window.
// Layer: main window (Qt).
#include "mainwindow/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

#include "common/codetext.h"
#include "compiler/compiler.h"
#include "editor/keywords.h"
#include "link/px5000.h"
#include "mainwindow/commwindows.h"
#include "mainwindow/compilerviews.h"
#include "mainwindow/configfile.h"
#include "mainwindow/deviceadapter.h"
#include "mainwindow/exportcommand.h"
#include "mainwindow/form1commands.h"
#include "mainwindow/helpwindow.h"
#include "mainwindow/macrocommands.h"
#include "mainwindow/modulechoice.h"
#include "mainwindow/portcheck.h"
#include "mainwindow/progressform.h"
#include "mainwindow/startup.h"
#include "mainwindow/toolbar.h"
#include "mainwindow/windowlinkenv.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "widgets/operationguard.h"
#include "widgets/qtstrings.h"
#include "widgets/resstrings.h"

namespace kelmore::mainwindow {

using widgets::fromStd;
using widgets::loadResStrings;
using widgets::resTextOr;
using widgets::setResCaption;
using widgets::setResTip;

namespace {

constexpr int kResNoCode = 1003;
constexpr int kResNewName = 2011;
constexpr int kResCaption = 2012;
constexpr int kResHelpFile = 102;

// The captions that also name the device operations they start.
struct Caption {
  int id;
  const char* design;
};
constexpr Caption kRewriteMenu{2221, "Re&Write"};
constexpr Caption kRunMenu{2227, "&Run"};
constexpr Caption kAutoMenu{2228, "&Auto Execute"};
constexpr Caption kPortCheckItem{2261, "Port Check"};

// A caption as the name of the operation it starts: "Re&Write" is "ReWrite".
QString operationName(Caption caption) {
  return resTextOr(caption.id, caption.design).remove(QLatin1Char('&'));
}

constexpr Caption kAutoNone{2229, "&None"};
constexpr const char* kCompleted = "completed";

QAction* newAction(QObject* parent, const char* design, int id) {
  auto* action = new QAction(QString::fromUtf8(design), parent);
  setResCaption(action, id);
  return action;
}

}  // namespace

Form1::Form1(Options options) : options_(std::move(options)) {
  if (options_.prompter) {
    prompter_ = options_.prompter;
  } else {
    ownPrompter_ = std::make_unique<widgets::QtPrompter>();
    prompter_ = ownPrompter_.get();
  }

  createPanes();
  createActions();
  createMenus();
  createToolBar();
  createOperationGuard();
  setWindowTitle(resTextOr(kResCaption, "Macro-Editor") + resTextOr(kResNewName, "New.tvr"));
  const std::filesystem::path icon = platform::assetDir() / "kelmore.png";
  if (std::error_code ec; std::filesystem::is_regular_file(icon, ec))
    setWindowIcon(QIcon(QString::fromStdString(icon.string())));
  resize(1100, 720);
}

// The image download's view of this window: the device, the guard, the port box, its check and the scan.
class Form1::ImageDownloadHost : public widgets::ImageToolDevice {
 public:
  explicit ImageDownloadHost(Form1& form) : form_(form) {}
  link::PX5000& device() override { return form_.PX(); }
  widgets::OperationGuard& operations() override { return form_.operations(); }
  QComboBox* portBox() override { return form_.choice().commList; }
  bool commCheck() override { return form_.choice().commCheck(); }
  void commCoda() override { form_.choice().commCoda(); }
  QString scanPorts(const QString& preselect) override {
    CommScan scan(QApplication::activeWindow());
    loadResStrings(&scan);
    scan.preselectPort = preselect;
    scan.exec();
    return scan.selectedPort;
  }

 private:
  Form1& form_;
};

Form1::~Form1() = default;

// ---------------------------------------------------------------------------------------------------------
// Window shell

// The one place the source pane is made.
editor::SourceEditor* Form1::createSourcePane() {
  return new editor::SourceEditor(this);
}

void Form1::createPanes() {
  source = createSourcePane();
  choice_ = new ModuleChoice(this, *prompter_, [this]() -> Px5000Device& { return deviceAdapter(); });
  connect(choice_->targetList, &QComboBox::currentIndexChanged, this, &Form1::targetList_Click);
  choice_->searchPreselect = [this] { return imageTool_ ? imageTool_->exportPortText() : QString(); };
  views_ =
      std::make_unique<CompilerViews>(this, *source, *choice_->cmbSeries, *choice_->targetList, *prompter_);

  rowText = new QLineEdit(QStringLiteral("Row:"), this);
  rowText->setReadOnly(true);
  rowText->setFixedWidth(70);
  keywordText = new QLineEdit(this);
  keywordText->setReadOnly(true);
  keywordText->setFixedWidth(110);
  setResTip(rowText, 2508);
  rowText->setToolTip(QStringLiteral("Cursor location in Source code."));

  auto* main = new QSplitter(Qt::Horizontal, this);
  main->addWidget(source);
  main->addWidget(views_->panes());
  main->setStretchFactor(0, 3);
  main->setStretchFactor(1, 2);
  setCentralWidget(main);
}

void Form1::createActions() {
  commands_ = std::make_unique<Commands>(*this);
  toolBar_ = new ToolBar(this, *commands_);
  tbX = toolBar_->tbX;
  tbCompile = toolBar_->button("compile");
  tbRewrite = toolBar_->button("rewrite");
  tbStart = toolBar_->button("start");
  tbAutoExec = toolBar_->button("autoExec");
  tbImage = toolBar_->button("Image");

  menuCompilego = newAction(this, "&Compile", 2220);
  menuCompilego->setShortcut(Qt::Key_F5);
  connect(menuCompilego, &QAction::triggered, this, &Form1::menuCompilego_Click);

  const char* areaCaptions[5] = {"RAM MACRO (&A)", "FROM MACRO1 (&1)", "FROM MACRO2 (&2)", "FROM MACRO3 (&3)",
                                 "FROM MACRO4 (&4)"};
  for (int k = 0; k < 5; ++k) {
    menuRewrite[k] = newAction(this, areaCaptions[k], 2222 + k);
    menuStart[k] = newAction(this, areaCaptions[k], 2222 + k);
    menuAuto[k] = k == 0 ? newAction(this, "&None", 2229) : newAction(this, areaCaptions[k], 2222 + k);
    for (QAction* action : {menuRewrite[k], menuStart[k], menuAuto[k]}) action->setCheckable(true);
    connect(menuRewrite[k], &QAction::triggered, this, [this, k] { menuRewrite_Click(k); });
    connect(menuStart[k], &QAction::triggered, this, [this, k] { menuStart_Click(k); });
    connect(menuAuto[k], &QAction::triggered, this, [this, k] { menuAuto_Click(k); });
  }

  menuExport = newAction(this, "Exp&ort", 2271);
  connect(menuExport, &QAction::triggered, this, &Form1::menuExport_Click);
  exportCommand_ = std::make_unique<ExportCommand>(
      this, *prompter_,
      ExportSources{[this] { return views_->code->toPlainText(); },
                    [this] { return source->sourceText() != compiledSource; },
                    [this] { return choice_->targetList->currentIndex(); },
                    [this](std::int32_t lastIndex) { return isMacroFitInMem(lastIndex); },
                    [this] {
                      const editor::SourceFiles& files = fileMenu->files();
                      return files.isUntitled() ? std::filesystem::path()
                                                : std::filesystem::path(files.fileName());
                    },
                    [this](const QString& line) { addlog(line); }});

  MenuPortCheck = newAction(this, kPortCheckItem.design, kPortCheckItem.id);
  connect(MenuPortCheck, &QAction::triggered, this, &Form1::MenuPortCheck_Click);

  menuVersion = newAction(this, "&About", 2245);
  connect(menuVersion, &QAction::triggered, this, &Form1::menuVersion_Click);

  ImageTool = newAction(this, "BMP Image List", 3201);
  ImageTool->setEnabled(bool(options_.imageTool));
  connect(ImageTool, &QAction::triggered, this, &Form1::ImageTool_Click);
  tbImage->setEnabled(ImageTool->isEnabled());
  views_->setImageSource(
      [this]() -> const ImageListView* { return imageTool_ ? &imageTool_->imageList() : nullptr; });
}

void Form1::createMenus() {
  fileMenu = new editor::FileMenu(
      this, source, *prompter_, [this] { views_->initCompileWin(); }, kVersionText);
  QMenu* file = fileMenu->insertMenus(menuBar(), nullptr);
  const QList<QAction*> fileEntries = file->actions();
  file->insertAction(fileEntries.value(fileEntries.indexOf(fileMenu->menuAdd) + 1), menuExport);
  connect(source, &editor::SourceEditor::rowTextChanged, rowText, &QLineEdit::setText);
  connect(source, &editor::SourceEditor::keywordChanged, keywordText, &QLineEdit::setText);
  QMenu* view = menuBar()->addMenu(resTextOr(2216, "&View"));
  setResCaption(view, 2216);
  view->addAction(toolBar_->menuViewN);
  view->addAction(toolBar_->menuViewD);
  menuTool = menuBar()->addMenu(QStringLiteral("Tool"));
  setResCaption(menuTool, 3200);
  menuTool->addAction(ImageTool);
  menuCompile = menuBar()->addMenu(QStringLiteral("&Compile"));
  setResCaption(menuCompile, 2219);
  menuCompile->addAction(menuCompilego);
  const auto submenu = [this](Caption caption, const std::array<QAction*, 5>& actions) {
    QMenu* menu = menuCompile->addMenu(QString::fromUtf8(caption.design));
    setResCaption(menu, caption.id);
    for (QAction* action : actions) menu->addAction(action);
  };
  submenu(kRewriteMenu, menuRewrite);
  submenu(kRunMenu, menuStart);
  submenu(kAutoMenu, menuAuto);

  MenuComm = menuBar()->addMenu(QStringLiteral("&Port"));
  setResCaption(MenuComm, 2230);
  choice_->addPortMenuItems(MenuComm);
  MenuComm->addAction(MenuPortCheck);

  menuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
  setResCaption(menuHelp, 2240);
  menuHelp->addAction(toolBar_->menuMan);
  menuHelp->addAction(toolBar_->menuTopics);
  menuHelp->addAction(toolBar_->menuKeyword);
  menuHelp->addAction(fileMenu->menuPop);
  menuHelp->addSeparator();
  menuHelp->addAction(fileMenu->menuFileAssociation);
  menuHelp->addAction(menuVersion);
}

void Form1::createToolBar() {
  // The buttons came with the toolbar's actions. The boxes follow them on a row of their own: on one row
  // they would not fit beside the keys, and the port, target and address boxes would stand in the
  // toolbar's overflow, out of sight.
  addToolBarBreak(Qt::TopToolBarArea);
  tbBoxes = addToolBar(QStringLiteral("tbBoxes"));
  tbBoxes->setObjectName(QStringLiteral("tbBoxes"));
  tbBoxes->setMovable(false);
  tbBoxes->setFloatable(false);
  for (QWidget* box :
       std::initializer_list<QWidget*>{rowText, choice_->cmbSeries, choice_->targetList, choice_->commList,
                                       choice_->modAddList, views_->addText, views_->raddText, keywordText})
    tbBoxes->addWidget(box);
}

// What must wait for a device operation: everything that reaches the device or changes what it would
// reach, the compile (it rewrites the code pane) and the commands that replace the source. Editing,
// scrolling, Save, the export and the menus that change nothing stay.
void Form1::createOperationGuard() {
  operations_ = new widgets::OperationGuard(this, source);
  linkEnv_ = std::make_unique<WindowLinkEnv>(this, *prompter_, *operations_);
  progress_ = new widgets::OperationProgress(this);
  statusBar()->addWidget(progress_, 1);
  // A device command's outcome describes the source, the code and the boxes it ran with.
  connect(source, &editor::SourceEditor::documentReplaced, progress_,
          &widgets::OperationProgress::clearOutcome);
  for (QComboBox* box : {choice_->cmbSeries, choice_->targetList, choice_->commList})
    connect(box, &QComboBox::currentTextChanged, progress_, &widgets::OperationProgress::clearOutcome);

  for (QAction* action : {menuCompilego, tbCompile, tbRewrite, tbStart, tbAutoExec, MenuPortCheck})
    operations_->guard(action);
  for (const auto* family : {&menuRewrite, &menuStart, &menuAuto})
    for (QAction* action : *family) operations_->guard(action);
  for (QAction* action : choice_->menuComm) operations_->guard(action);
  for (QAction* action : {choice_->menuLan, choice_->MenuSearchPort, choice_->MenuCommSetting})
    operations_->guard(action);
  for (QWidget* box : std::initializer_list<QWidget*>{choice_->cmbSeries, choice_->targetList,
                                                      choice_->commList, choice_->modAddList})
    operations_->guard(box);
  for (QAction* action :
       {fileMenu->menuWhite, fileMenu->menuTemplate1, fileMenu->menuTemplate2, fileMenu->menuOpen,
        fileMenu->menuClose, toolBar_->button("new"), toolBar_->button("open")})
    operations_->guard(action);
  // The image tool hides this window and reaches the same device.
  for (QAction* action : {ImageTool, tbImage}) operations_->guard(action);
  operations_->refuseFileDrops(this);
  operations_->refuseFileDrops(source->viewport());
}

// ---------------------------------------------------------------------------------------------------------
// Start-up and shutdown

void Form1::Form_Load() {
  if (options_.splash) {
    auto* splash = new Dialog(this, options_.splashMs);
    splash->Label1->setText(QString::fromLatin1(kVersionText));
    splash->exec();
  }
  compiledSource.clear();
  loadResStrings(this);

  const std::filesystem::path assets = platform::assetDir();
  programFolder_ = QString::fromStdString(assets.string());
  helpFile_ = QString::fromStdString(helpFilePath(assets, resTextOr(kResHelpFile, "HELP.HLP").toStdString()));
  tooltip_.CreateToolTip(source);
  source->setHintDisplay(
      [this](const QString& text, const QPoint& at) {
        tooltip_.SetToolTipParam(text, source->mapFromGlobal(at));
      },
      [this] { tooltip_.HideToolTip(); });

  QString* mem[8] = {&memMacroMem, &memVRam,   &memGPRam,   &memGPFRom,
                     &memGPFRom2,  &memImgRam, &memImgFRom, &memMemSw};
  for (std::size_t i = 0; i < editor::kMemWordIndexes.size(); ++i) {
    memWords_[i] = std::string(editor::kFuncWords[editor::kMemWordIndexes[i]].word);
    *mem[i] = QString::fromStdString(memWords_[i]);
  }

  views_->startUp();

  setComboText(choice_->targetList, choice_->targetList->itemText(0));
  targetList_Click();
  setComboText(choice_->commList, choice_->commList->itemText(0));
  choice_->commList_click();

  addLeftMargin(8);
  LoadConfig();
  choice_->commListToolTip();
  show();
  repaint();

  std::vector<std::string> arguments;
  for (const QString& argument : options_.arguments) arguments.push_back(argument.toStdString());
  const auto startFile = commandLineSource(arguments);
  fileMenu->startUp(startFile ? QString::fromStdString(startFile->string()) : QString());
  source->setFocus();
}

void Form1::closeEvent(QCloseEvent* event) {
  if (operations_->running()) {
    // The command in progress ends first; the window closes after it.
    closePending_ = true;
    event->ignore();
    return;
  }
  if (imageTool_ && !imageTool_->queryQuit()) {
    event->ignore();
    return;
  }
  if (!fileMenu->Form_QueryUnload()) {
    event->ignore();
    return;
  }
  Form_Unload();
  event->accept();
}

void Form1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // The layout has given the panes their new room already; a split of Qt's own would be neither view.
  if (commands_) commands_->Form_Resize();
}

void Form1::Form_Unload() {
  tooltip_.DestroyToolTip();
  fileMenu->TMP_Save();
  SaveConfig();
  commands_->closeWindows();
  views_->hideLogWindow();
}

void Form1::ImageTool_Click() {
  if (!options_.imageTool) return;
  if (!imageTool_) {
    imageDownloadHost_ = std::make_unique<ImageDownloadHost>(*this);
    imageTool_ = options_.imageTool({this, choice_->cmbSeries, prompter_, imageDownloadHost_.get()});
  }
  imageTool_->showTool();
}

void Form1::LoadConfig() {
  std::string problem;
  const ConfigValues values = loadConfigFile(problem);
  if (!problem.empty()) prompter_->message(this, QString::fromStdString(problem), {}, QMessageBox::Warning);
  choice_->applyConfig(values);
  targetList_Click();
}

void Form1::SaveConfig() {
  // The old file stays as it was; the user is told the settings were not kept.
  const platform::WriteResult written = saveConfigFile(choice_->configValues());
  if (!written.ok) prompter_->message(this, QString::fromStdString(written.error), {}, QMessageBox::Warning);
}

namespace {
// The viewport margins are the scroll area's to set; a member pointer taken in a derived class reaches them
// on any pane, whatever class the source pane is.
struct ViewportMargins : QAbstractScrollArea {
  static constexpr void (QAbstractScrollArea::*set)(const QMargins&) = &ViewportMargins::setViewportMargins;
  static constexpr QMargins (QAbstractScrollArea::*get)() const = &ViewportMargins::viewportMargins;
};
}  // namespace

void Form1::addLeftMargin(int pixels) {
  QMargins margins = (source->*ViewportMargins::get)();
  margins.setLeft(margins.left() + pixels);
  (source->*ViewportMargins::set)(margins);
}

void Form1::Version() {
  auto* box = new Dialog(this);
  box->Label1->setText(QString::fromLatin1(kVersionText));
  box->exec();
}

HelpWindow& Form1::help() {
  return commands_->help();
}

progressform* Form1::logWindow() {
  return views_->logWindow();
}

link::PX5000& Form1::PX() {
  if (!PX_) PX_ = std::make_unique<link::PX5000>(*linkEnv_);
  return *PX_;
}

Px5000Device& Form1::deviceAdapter() {
  if (!adapter_) adapter_ = std::make_unique<Px5000Device>(PX());
  return *adapter_;
}

MacroCompiler& Form1::compiler() {
  if (!compiler_) compiler_ = std::make_unique<MacroCompiler>(*views_);
  return *compiler_;
}

// ---------------------------------------------------------------------------------------------------------
// Compile, download, start and auto-exec

void Form1::menuCompilego_Click() {
  // A compile would change the code pane and the model box under the command that runs.
  if (operations_->running()) return;
  progress_->clearOutcome();
  source->dq_check();
  source->iro_check();
  checkSeries();
  progressform* log = logWindow();
  log->CndClose->hide();
  log->setWindowTitle(QStringLiteral("Now compiling..."));
  log->show();
  log->repaint();
  tbCompile->setChecked(true);
  source->setExtraSelections({});

  bool compiled = false;
  {
    // The compile and the listing write the panes several times; the window shows them once.
    const CompilerViews::Batch batch(*views_);
    compiled = compiler().Compile();
    if (compiled)
      mnemonic::makeMnemonic(*views_, compiler(),
                             {memWords_[0], memWords_[1], memWords_[2], memWords_[3], memWords_[4],
                              memWords_[5], memWords_[6], memWords_[7]});
  }

  tbCompile->setChecked(false);
  source->setFocus();
  log->setWindowTitle(compiled ? QStringLiteral("Compile completed.") : QStringLiteral("Compile failed."));
  log->activateWindow();
  log->CndClose->show();
  log->CndClose->setFocus();
  // Only a compile that succeeded produced the code now in the pane; a failed one leaves no address.
  if (!compiled) views_->resetAddressBoxes();
  if (compiled && !views_->codePaneText().empty()) compiledSource = source->sourceText();
}

void Form1::checkSeries() {
  const SeriesDirective directive = mainwindow::checkSeries(source->sourceText().toStdString());
  if (directive.kind == SeriesDirective::Kind::Set)
    setComboText(choice_->cmbSeries, QString::fromStdString(directive.model));
  else if (directive.kind == SeriesDirective::Kind::NameError)
    prompter_->message(this, fromStd(kSeriesNameError));
}

void Form1::menuRewrite_Click(int k) {
  selectTarget(k);
  Rewrite();
}

void Form1::menuStart_Click(int k) {
  selectTarget(k);
  Start();
}

void Form1::menuAuto_Click(int k) {
  selectTarget(k);
  AutoExec();
}

void Form1::selectTarget(int k) {
  // Triggering an item that already carries the mark toggles it off and leaves the index unchanged, so the
  // marks are set again whether or not the index moved.
  choice_->targetList->setCurrentIndex(k);
  targetList_Click();
}

void Form1::targetList_Click() {
  const int k = choice_->targetList->currentIndex();
  for (int i = 0; i < 5; ++i) {
    menuStart[i]->setChecked(i == k);
    menuRewrite[i]->setChecked(i == k);
    menuAuto[i]->setChecked(i == k);
  }
}

void Form1::showError(const QString& text) {
  prompter_->message(this, text);
  addlog(QStringLiteral("error:") + text);
}

bool Form1::isMacroFitInMem(std::int32_t lastIndex) {
  const auto error = capacityError(lastIndex, choice_->targetList->currentIndex(),
                                   choice_->cmbSeries->currentText().toStdString());
  if (!error) return true;
  showError(QString::fromStdString(*error));
  return false;
}

bool Form1::deviceBusy() const {
  return operations_->running();
}

bool Form1::deviceFree() {
  // Another device command is under way and the user came back in through the link's waits.
  return !PX().isOpen() && !operations_->running();
}

QString Form1::checkThenRun(const std::function<CommandResult()>& sequence, const QString& completed) {
  QString outcome;
  if (choice_->commCheck()) {
    const CommandResult result = sequence();
    if (!result.ok) showError(QString::fromStdString(result.error));
    outcome = result.ok ? completed : QString::fromStdString(result.error);
  } else {
    outcome = choice_->checkFailure();
  }
  choice_->commCoda();
  return outcome;
}

namespace {
// "ReWrite RAM Macro: completed, 121 bytes"
QString outcomeLine(const QString& what, const QString& subject, const QString& outcome) {
  return (subject.isEmpty() ? what : what + QLatin1Char(' ') + subject) + QStringLiteral(": ") + outcome;
}
}  // namespace

void Form1::refuseDeviceCommand(const QString& what, const QString& subject, const QString& reason) {
  showError(reason);
  progress_->finish(outcomeLine(what, subject, reason));
}

void Form1::runDeviceCommand(const QString& what, const QString& subject,
                             const std::function<QString()>& command) {
  QString outcome;
  {
    const widgets::OperationGuard::Scope operation(*operations_, what, *progress_);
    if (!operation) return;
    outcome = command();
  }
  // The end of the operation cleared the display; the outcome stays there.
  progress_->finish(outcomeLine(what, subject, outcome));
  if (closePending_) {
    closePending_ = false;
    close();
  }
}

void Form1::Rewrite() {
  // The display belongs to the command that runs; this one cannot start beside it.
  if (!deviceFree()) return;
  const QString what = operationName(kRewriteMenu);
  const QString area = comboText(choice_->targetList);
  const std::string codeText = views_->codePaneText();
  if (codeText.empty()) {
    refuseDeviceCommand(what, area, resTextOr(kResNoCode, "Code is not generated."));
    return;
  }
  const auto lastIndex = static_cast<std::int32_t>((codeText.size() - 1) / kCellChars);
  const int k = choice_->targetList->currentIndex();
  if (const auto error = capacityError(lastIndex, k, choice_->cmbSeries->currentText().toStdString())) {
    refuseDeviceCommand(what, area, fromStd(*error));
    return;
  }

  tbRewrite->setChecked(true);
  compiler().codeout.codeText = codeText;
  const std::vector<std::uint8_t> bytes = codeTextToBytes(codeText);
  runDeviceCommand(what, area, [&] {
    return checkThenRun(
        [&] {
          return rewriteSequence(deviceAdapter(), k, choice_->cmbSeries->currentText().toStdString(), bytes);
        },
        QStringLiteral("%1, %2 bytes").arg(QLatin1String(kCompleted)).arg(bytes.size()));
  });
  tbRewrite->setChecked(false);
}

void Form1::Start() {
  if (!deviceFree()) return;
  const QString what = operationName(kRunMenu);
  const QString area = comboText(choice_->targetList);
  const int k = choice_->targetList->currentIndex();
  if (k < 0) {
    refuseDeviceCommand(what, area, fromStd(kNoTarget));  // a target text that names no area
    return;
  }
  tbStart->setChecked(true);
  runDeviceCommand(what, area, [&] {
    return checkThenRun([&] { return startSequence(deviceAdapter(), k); }, QLatin1String(kCompleted));
  });
  tbStart->setChecked(false);
}

void Form1::AutoExec() {
  if (!deviceFree()) return;
  const QString what = operationName(kAutoMenu);
  const int k = choice_->targetList->currentIndex();
  if (k < 0) {
    refuseDeviceCommand(what, comboText(choice_->targetList), fromStd(kNoTarget));  // names no area
    return;
  }
  tbAutoExec->setChecked(true);
  // Area 0 is no power-on macro at all, as the menu's "None" says.
  const QString area = k == 0 ? operationName(kAutoNone) : comboText(choice_->targetList);
  runDeviceCommand(what, area, [&] {
    return checkThenRun([&] { return autoExecSequence(deviceAdapter(), k); }, QLatin1String(kCompleted));
  });
  tbAutoExec->setChecked(false);
}

void Form1::addlog(const QString& message) {
  logWindow()->addlog(message);
}

void Form1::menuExport_Click() {
  exportCommand_->menuExport_Click();
}

// ---------------------------------------------------------------------------------------------------------
// Port check

void Form1::MenuPortCheck_Click() {
  if (!deviceFree()) return;
  runDeviceCommand(operationName(kPortCheckItem), QString(), [this] {
    if (!choice_->commCheck()) {
      choice_->commCoda();
      return choice_->checkFailure();
    }
    const QString text = QString::fromStdString(portCheckText(
        comboText(choice_->commList).toStdString(), choice_->commList->toolTip().toStdString(),
        comboText(choice_->modAddList).toStdString(), choice_->modAddList->toolTip().toStdString()));
    prompter_->message(this, text, QString::fromStdString(portCheckTitle()), QMessageBox::Information);
    choice_->commCoda();
    return QString::fromLatin1(kCompleted);
  });
}

}  // namespace kelmore::mainwindow
