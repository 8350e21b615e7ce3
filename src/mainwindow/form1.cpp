// The main window.
// Layer: main window (Qt).
#include "mainwindow/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QThread>
#include <QToolBar>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <chrono>

#include "common/codetext.h"
#include "common/models.h"
#include "compiler/compiler.h"
#include "link/px5000.h"
#include "mainwindow/commwindows.h"
#include "mainwindow/configfile.h"
#include "mainwindow/deviceadapter.h"
#include "mainwindow/keywords.h"
#include "mainwindow/macrocommands.h"
#include "mainwindow/portcheck.h"
#include "mainwindow/progressform.h"
#include "mainwindow/resstrings.h"
#include "mainwindow/startup.h"
#include "platform/atomicfile.h"
#include "platform/comports.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::mainwindow {
namespace {

constexpr int kResNoCode = 1003;
constexpr int kResNewName = 2011;
constexpr int kResCaption = 2012;
constexpr int kResHelpFile = 102;

const QColor kCheckingColour(0xC0, 0xFF, 0xC0);
const QColor kFailedColour(0xFF, 0xC0, 0xC0);

// The res text, or the design text when the table lacks it.
QString resOr(int id, const char* design) {
  const QString text = resText(id);
  return text.isEmpty() ? QString::fromUtf8(design) : text;
}

QString fromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor toColour(Rgb rgb) {
  return QColor(rgb.red, rgb.green, rgb.blue);
}

// The document position of byte `offset` of the text a pane was given (line ends CR LF, CR or LF become
// one paragraph break in the document).
int documentPosition(const std::string& raw, std::size_t offset) {
  QString prefix = QString::fromUtf8(raw.data(), static_cast<qsizetype>(std::min(offset, raw.size())));
  prefix.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return static_cast<int>(prefix.size());
}

QString paneText(std::string_view raw) {
  QString text = QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

// Colours a span of a pane through extra selections, so the document itself is never edited. Black over
// the whole text is the plain state. `raw` is the text the pane was given; spans count its bytes.
void colourSpan(QPlainTextEdit* pane, const std::string& raw, std::size_t start, std::size_t length,
                Rgb colour) {
  QList<QTextEdit::ExtraSelection> marks = pane->extraSelections();
  if (colour == kBlack && start == 0 && length >= raw.size()) {
    pane->setExtraSelections({});
    return;
  }
  const int total = pane->document()->characterCount() - 1;
  QTextEdit::ExtraSelection mark;
  mark.cursor = QTextCursor(pane->document());
  mark.cursor.setPosition(std::min(documentPosition(raw, start), total));
  mark.cursor.setPosition(std::min(documentPosition(raw, start + length), total), QTextCursor::KeepAnchor);
  mark.format.setForeground(toColour(colour));
  marks.append(mark);
  pane->setExtraSelections(marks);
}

constexpr std::chrono::milliseconds kSleepSlice{50};

// The world of the link: boxes through the prompter, events of this window, real time.
class WindowLinkEnv : public link::LinkEnv {
 public:
  WindowLinkEnv(QWidget* window, Prompter& prompter) : window_(window), prompter_(prompter) {}
  void messageBox(std::string_view text, std::string_view title, link::BoxIcon icon) override {
    const QMessageBox::Icon qicon = icon == link::BoxIcon::Critical      ? QMessageBox::Critical
                                    : icon == link::BoxIcon::Information ? QMessageBox::Information
                                                                         : QMessageBox::NoIcon;
    prompter_.message(window_, fromStd(text), fromStd(title), qicon);
  }
  // The window keeps painting through a long wait (a download pauses a second and more), but takes no
  // input meanwhile: the link's waits are its own.
  void sleepMs(int ms) override {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (auto left = end - Clock::now(); left > Clock::duration::zero(); left = end - Clock::now()) {
      QThread::usleep(static_cast<unsigned long>(
          std::chrono::duration_cast<std::chrono::microseconds>(std::min<Clock::duration>(left, kSleepSlice))
              .count()));
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                      QEventLoop::ExcludeSocketNotifiers);
    }
  }
  void doEvents() override { QCoreApplication::processEvents(); }
  Clock::time_point now() override { return Clock::now(); }

 private:
  QWidget* window_;
  Prompter& prompter_;
};

// The image list until the image tool fills one: no images.
class NoImages : public ImageListView {
 public:
  std::int16_t imgCount() const override { return 0; }

 protected:
  ImageEntry imageAt(int) const override { return {}; }
};

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
    ownPrompter_ = std::make_unique<QtPrompter>();
    prompter_ = ownPrompter_.get();
  }
  linkEnv_ = std::make_unique<WindowLinkEnv>(this, *prompter_);
  images_ = std::make_unique<NoImages>();
  commSettingText = QString::fromUtf8(kDefaultCommSetting.data(), kDefaultCommSetting.size());
  ipAddressText = QString::fromUtf8(kDefaultIpAddress.data(), kDefaultIpAddress.size());
  tcpPortText = QString::fromUtf8(kDefaultTcpPort.data(), kDefaultTcpPort.size());

  createPanes();
  createActions();
  createMenus();
  createToolBar();
  setWindowTitle(resOr(kResCaption, "Macro-Editor") + resOr(kResNewName, "New.tvr"));
  const std::filesystem::path icon = platform::assetDir() / "kelmore.png";
  if (std::error_code ec; std::filesystem::is_regular_file(icon, ec))
    setWindowIcon(QIcon(QString::fromStdString(icon.string())));
  resize(1100, 720);
}

Form1::~Form1() = default;

// ---------------------------------------------------------------------------------------------------------
// Window shell

// The one place the source pane is made.
editor::SourceEditor* Form1::createSourcePane() {
  return new editor::SourceEditor(this);
}

void Form1::initCompileWin() {
  code->clear();
  mnemonic->clear();
  addText->setText(QStringLiteral("Add:"));
  raddText->setText(QStringLiteral("RAdd:"));
  ListViewAZ->clear();
  ListViewRoutine->clear();
  ListViewLabel->clear();
}

void Form1::createPanes() {
  source = createSourcePane();
  code = new QPlainTextEdit(this);
  code->setReadOnly(true);
  code->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  mnemonic = new QPlainTextEdit(this);
  mnemonic->setReadOnly(true);
  mnemonic->setLineWrapMode(QPlainTextEdit::NoWrap);

  const auto readOnlyBox = [this](const char* text, int width) {
    auto* box = new QLineEdit(QString::fromUtf8(text), this);
    box->setReadOnly(true);
    box->setFixedWidth(width);
    return box;
  };
  addText = readOnlyBox("Add:", 90);
  raddText = readOnlyBox("RAdd:", 90);
  rowText = readOnlyBox("Row:", 70);
  keywordText = readOnlyBox("", 110);
  setResTip(addText, 2518);
  setResTip(raddText, 2519);
  setResTip(rowText, 2508);
  addText->setToolTip(QStringLiteral("Address of object code"));
  rowText->setToolTip(QStringLiteral("Cursor location in Source code."));
  raddText->setToolTip(QStringLiteral("Distance between start and end of the selection."));

  const auto listView = [this](QStringList columns) {
    auto* view = new QTreeWidget(this);
    view->setRootIsDecorated(false);
    view->setColumnCount(static_cast<int>(columns.size()));
    view->setHeaderLabels(columns);
    return view;
  };
  // Columns are added at start-up; the design views have none.
  ListViewAZ = listView({});
  ListViewLabel = listView({});
  ListViewRoutine = listView({});

  cmbSeries = new QComboBox(this);
  cmbSeries->setEditable(true);
  cmbSeries->setInsertPolicy(QComboBox::NoInsert);
  for (std::string_view model : kModelNames) cmbSeries->addItem(fromStd(model));
  setComboText(cmbSeries, fromStd(kInitialModel));

  targetList = new QComboBox(this);
  for (std::string_view area : kTargetAreaTexts) targetList->addItem(fromStd(area));
  setResTip(targetList, 2516);
  targetList->setToolTip(QStringLiteral("Select target location"));
  connect(targetList, &QComboBox::currentIndexChanged, this, &Form1::targetList_Click);

  commList = new QComboBox(this);
  for (int i = 1; i <= 16; ++i) commList->addItem(QStringLiteral("COM%1").arg(i));
  commList->addItem(fromStd(kTcpItem));
  connect(commList, &QComboBox::currentIndexChanged, this, &Form1::commList_click);

  modAddList = new QComboBox(this);
  modAddList->addItem(QString());
  for (int i = 0; i < 16; ++i)
    modAddList->addItem(QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper());

  auto* lists = new QSplitter(Qt::Horizontal, this);
  lists->addWidget(ListViewAZ);
  lists->addWidget(ListViewLabel);
  lists->addWidget(ListViewRoutine);
  auto* right = new QSplitter(Qt::Vertical, this);
  right->addWidget(code);
  right->addWidget(mnemonic);
  right->addWidget(lists);
  auto* main = new QSplitter(Qt::Horizontal, this);
  main->addWidget(source);
  main->addWidget(right);
  main->setStretchFactor(0, 3);
  main->setStretchFactor(1, 2);
  setCentralWidget(main);
}

void Form1::createActions() {
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

  for (int n = 1; n <= 16; ++n) {
    const int id = n <= 9 ? 2230 + n : 2240 + n;
    const QString design = n <= 9 ? QStringLiteral("COMM &%1").arg(n) : QStringLiteral("COMM %1").arg(n);
    menuComm[n - 1] = new QAction(design, this);
    setResCaption(menuComm[n - 1], id);
    menuComm[n - 1]->setCheckable(true);
    connect(menuComm[n - 1], &QAction::triggered, this, [this, n] { menuComm_Click(n); });
  }
  menuLan = newAction(this, "TCP(LAN)", 2257);
  menuLan->setCheckable(true);
  connect(menuLan, &QAction::triggered, this, &Form1::menuLan_Click);
  MenuSearchPort = newAction(this, "ComPort Search", 2259);
  connect(MenuSearchPort, &QAction::triggered, this, &Form1::MenuSearchPort_Click);
  MenuCommSetting = newAction(this, "Advanced", 2260);
  connect(MenuCommSetting, &QAction::triggered, this, &Form1::MenuCommSetting_Click);
  MenuPortCheck = newAction(this, "Port Check", 2261);
  connect(MenuPortCheck, &QAction::triggered, this, &Form1::MenuPortCheck_Click);

  menuVersion = newAction(this, "&About", 2245);
  connect(menuVersion, &QAction::triggered, this, &Form1::menuVersion_Click);
}

void Form1::createMenus() {
  fileMenu = new editor::FileMenu(
      this, source, *prompter_, [this] { initCompileWin(); }, kVersionText);
  fileMenu->insertMenus(menuBar(), nullptr);
  connect(source, &editor::SourceEditor::rowTextChanged, rowText, &QLineEdit::setText);
  connect(source, &editor::SourceEditor::keywordChanged, keywordText, &QLineEdit::setText);
  menuCompile = menuBar()->addMenu(QStringLiteral("&Compile"));
  setResCaption(menuCompile, 2219);
  menuCompile->addAction(menuCompilego);
  const auto submenu = [this](const char* design, int id, const std::array<QAction*, 5>& actions) {
    QMenu* menu = menuCompile->addMenu(QString::fromUtf8(design));
    setResCaption(menu, id);
    for (QAction* action : actions) menu->addAction(action);
  };
  submenu("Re&Write", 2221, menuRewrite);
  submenu("&Run", 2227, menuStart);
  submenu("&Auto Execute", 2228, menuAuto);

  MenuComm = menuBar()->addMenu(QStringLiteral("&Port"));
  setResCaption(MenuComm, 2230);
  for (QAction* action : menuComm) MenuComm->addAction(action);
  MenuComm->addAction(menuLan);
  MenuComm->addSeparator();
  MenuComm->addAction(MenuSearchPort);
  MenuComm->addAction(MenuCommSetting);
  MenuComm->addAction(MenuPortCheck);

  menuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
  setResCaption(menuHelp, 2240);
  menuHelp->addAction(fileMenu->menuPop);
  menuHelp->addSeparator();
  menuHelp->addAction(fileMenu->menuFileAssociation);
  menuHelp->addAction(menuVersion);
}

void Form1::createToolBar() {
  tbX = addToolBar(QStringLiteral("tbX"));
  tbX->setObjectName(QStringLiteral("tbX"));
  tbX->setMovable(false);
  const auto button = [this](const char* key, const char* tip, int tipId, void (Form1::*slot)()) {
    QAction* action = tbX->addAction(QString::fromUtf8(key));
    action->setObjectName(QString::fromUtf8(key));
    action->setCheckable(true);  // shown pressed while its command runs
    action->setToolTip(QString::fromUtf8(tip));
    setResTip(action, tipId);
    connect(action, &QAction::triggered, this, [this, action, slot] {
      action->setChecked(false);  // the command presses it itself
      (this->*slot)();
    });
    return action;
  };
  tbCompile = button("compile", "Compile", 2512, &Form1::menuCompilego_Click);
  tbRewrite = button("rewrite", "Write object code to target", 2513, &Form1::Rewrite);
  tbStart = button("start", "Execute target code on module", 2514, &Form1::Start);
  tbAutoExec = button("autoExec", "Set up Auto-start", 2515, &Form1::AutoExec);
  tbX->addSeparator();
  tbX->addWidget(rowText);
  tbX->addWidget(cmbSeries);
  tbX->addWidget(targetList);
  tbX->addWidget(commList);
  tbX->addWidget(modAddList);
  tbX->addWidget(addText);
  tbX->addWidget(raddText);
  tbX->addWidget(keywordText);
}

QString Form1::comboText(const QComboBox* box) {
  if (box->isEditable()) return box->currentText();
  return box->currentIndex() >= 0 ? box->currentText() : box->placeholderText();
}

void Form1::setComboText(QComboBox* box, const QString& text) {
  const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= 0) {
    box->setCurrentIndex(index);
    if (!box->isEditable()) box->setPlaceholderText(QString());
    return;
  }
  // A text that names no item is shown as it stands, with no item selected.
  box->setCurrentIndex(-1);
  if (box->isEditable())
    box->setEditText(text);
  else
    box->setPlaceholderText(text);
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
  helpFile_ = QString::fromStdString(helpFilePath(assets, resOr(kResHelpFile, "HELP.HLP").toStdString()));
  tooltip_.CreateToolTip(source);
  source->setHintDisplay(
      [this](const QString& text, const QPoint& at) {
        tooltip_.SetToolTipParam(text, source->mapFromGlobal(at));
      },
      [] { QToolTip::hideText(); });

  QString* mem[8] = {&memMacroMem, &memVRam,   &memGPRam,   &memGPFRom,
                     &memGPFRom2,  &memImgRam, &memImgFRom, &memMemSw};
  for (std::size_t i = 0; i < kMemWordIndexes.size(); ++i) {
    memWords_[i] = std::string(kFuncWords[kMemWordIndexes[i]].word);
    *mem[i] = QString::fromStdString(memWords_[i]);
  }

  ListViewAZ->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Variable")});
  ListViewRoutine->setHeaderLabels({QStringLiteral("Routine"), QStringLiteral("Argument")});
  ListViewLabel->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Label"), QStringLiteral("Add")});
  // The design widths are in scale units of about 40 pixels.
  const auto widths = [](QTreeWidget* view, std::initializer_list<double> units) {
    int column = 0;
    for (double unit : units) view->setColumnWidth(column++, static_cast<int>(unit * 40));
  };
  widths(ListViewAZ, {0.5, 9});
  widths(ListViewRoutine, {8.5, 11});
  widths(ListViewLabel, {3, 9, 3});

  setComboText(targetList, targetList->itemText(0));
  targetList_Click();
  setComboText(commList, commList->itemText(0));
  commList_click();

  addLeftMargin(8);
  LoadConfig();
  commListToolTip();
  show();
  repaint();

  std::vector<std::string> arguments;
  for (const QString& argument : options_.arguments) arguments.push_back(argument.toStdString());
  const auto startFile = commandLineSource(arguments);
  fileMenu->startUp(startFile ? QString::fromStdString(startFile->string()) : QString());
  source->setFocus();
}

void Form1::closeEvent(QCloseEvent* event) {
  if (deviceBusy_) {
    // The command in progress ends first; the window closes after it.
    closePending_ = true;
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

void Form1::Form_Unload() {
  tooltip_.DestroyToolTip();
  fileMenu->TMP_Save();
  SaveConfig();
  if (logWindow_) logWindow_->hide();
}

void Form1::LoadConfig() {
  // A Config.dat that is no regular file (a FIFO, a device) or absurdly large is reported and read as absent.
  const platform::FileRead read =
      platform::readRegularFile(platform::configDir() / kConfigFileName, kMaxConfigBytes);
  if (!read.ok() && read.error != platform::ReadError::Missing)
    prompter_->message(this, QString::fromStdString(read.message), {}, QMessageBox::Warning);
  const ConfigValues values = parseConfig(read.ok() ? std::optional<std::string>(read.bytes) : std::nullopt);
  if (values.port) setComboText(commList, QString::fromStdString(*values.port));
  if (values.modAdd) {
    if (values.modAdd->empty())
      setComboText(modAddList, modAddList->itemText(0));
    else
      setComboText(modAddList, QString::fromStdString(*values.modAdd));
  }
  if (values.commSetting) commSettingText = QString::fromStdString(*values.commSetting);
  if (values.ipAddress) ipAddressText = QString::fromStdString(*values.ipAddress);
  if (values.tcpPort) tcpPortText = QString::fromStdString(*values.tcpPort);
  if (values.target) setComboText(targetList, QString::fromStdString(*values.target));
  if (values.model) setComboText(cmbSeries, QString::fromStdString(*values.model));
  // The check marks follow what was loaded, whether or not an index changed.
  targetList_Click();
  commList_click();
}

void Form1::SaveConfig() {
  const ConfigValues values{comboText(commList).toStdString(), comboText(modAddList).toStdString(),
                            commSettingText.toStdString(),     ipAddressText.toStdString(),
                            tcpPortText.toStdString(),         comboText(targetList).toStdString(),
                            comboText(cmbSeries).toStdString()};
  // The old file stays as it was; the user is told the settings were not kept.
  const platform::WriteResult written =
      platform::writeFileAtomic(platform::configDir() / kConfigFileName, formatConfig(values));
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

progressform* Form1::logWindow() {
  if (!logWindow_) {
    logWindow_ = new progressform(this);
    loadResStrings(logWindow_);
  }
  return logWindow_;
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
  if (!compiler_) compiler_ = std::make_unique<MacroCompiler>(*this);
  return *compiler_;
}

// ---------------------------------------------------------------------------------------------------------
// Compile, download, start and auto-exec

void Form1::menuCompilego_Click() {
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

  const bool compiled = compiler().Compile();
  if (compiled)
    mnemonic::makeMnemonic(*this, compiler(),
                           {memWords_[0], memWords_[1], memWords_[2], memWords_[3], memWords_[4],
                            memWords_[5], memWords_[6], memWords_[7]});

  tbCompile->setChecked(false);
  source->setFocus();
  log->setWindowTitle(compiled ? QStringLiteral("Compile completed.") : QStringLiteral("Compile failed."));
  log->activateWindow();
  log->CndClose->show();
  log->CndClose->setFocus();
  // Only a compile that succeeded produced the code now in the pane.
  if (compiled && !code->toPlainText().isEmpty()) compiledSource = source->sourceText();
}

void Form1::checkSeries() {
  const SeriesDirective directive = mainwindow::checkSeries(source->sourceText().toStdString());
  if (directive.kind == SeriesDirective::Kind::Set)
    setComboText(cmbSeries, QString::fromStdString(directive.model));
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
  targetList->setCurrentIndex(k);
  targetList_Click();
}

void Form1::targetList_Click() {
  const int k = targetList->currentIndex();
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
  const auto error =
      capacityError(lastIndex, targetList->currentIndex(), cmbSeries->currentText().toStdString());
  if (!error) return true;
  showError(QString::fromStdString(*error));
  return false;
}

void Form1::runDeviceCommand(const std::function<void()>& command) {
  deviceBusy_ = true;
  setDeviceCommandsEnabled(false);
  command();
  setDeviceCommandsEnabled(true);
  deviceBusy_ = false;
  if (closePending_) {
    closePending_ = false;
    close();
  }
}

void Form1::setDeviceCommandsEnabled(bool enabled) {
  for (int k = 0; k < 5; ++k)
    for (QAction* action : {menuRewrite[k], menuStart[k], menuAuto[k]}) action->setEnabled(enabled);
  for (QAction* action : {tbRewrite, tbStart, tbAutoExec, MenuPortCheck}) action->setEnabled(enabled);
}

void Form1::Rewrite() {
  const QString text = code->toPlainText();
  if (text.isEmpty()) {
    showError(resOr(kResNoCode, "Code is not generated."));
    return;
  }
  const std::string codeText = text.toStdString();
  const auto lastIndex = static_cast<std::int32_t>((codeText.size() - 1) / kCellChars);
  if (!isMacroFitInMem(lastIndex)) return;
  // Another device command is under way and the user came back in through the link's waits.
  if (PX().isOpen()) return;

  tbRewrite->setChecked(true);
  compiler().codeout.codeText = codeText;
  const std::vector<std::uint8_t> bytes = codeTextToBytes(codeText);
  const int k = targetList->currentIndex();
  runDeviceCommand([&] {
    if (commCheck()) {
      const CommandResult result =
          rewriteSequence(deviceAdapter(), k, cmbSeries->currentText().toStdString(), bytes);
      if (!result.ok) showError(QString::fromStdString(result.error));
    }
    commCoda();
  });
  tbRewrite->setChecked(false);
}

void Form1::Start() {
  if (PX().isOpen()) return;
  const int k = targetList->currentIndex();
  if (k < 0) {
    showError(fromStd(kNoTarget));  // a target text that names no area: nothing is sent
    return;
  }
  tbStart->setChecked(true);
  runDeviceCommand([&] {
    if (commCheck()) {
      const CommandResult result = startSequence(deviceAdapter(), k);
      if (!result.ok) showError(QString::fromStdString(result.error));
    }
    commCoda();
  });
  tbStart->setChecked(false);
}

void Form1::AutoExec() {
  if (PX().isOpen()) return;
  const int k = targetList->currentIndex();
  if (k < 0) {
    showError(fromStd(kNoTarget));  // a target text that names no area: nothing is sent
    return;
  }
  tbAutoExec->setChecked(true);
  runDeviceCommand([&] {
    if (commCheck()) {
      const CommandResult result = autoExecSequence(deviceAdapter(), k);
      if (!result.ok) showError(QString::fromStdString(result.error));
    }
    commCoda();
  });
  tbAutoExec->setChecked(false);
}

void Form1::addlog(const QString& message) {
  logWindow()->addlog(message);
}

// ---------------------------------------------------------------------------------------------------------
// Port box, Port menu and module check

void Form1::commList_click() {
  menuCommClear();
  const int index = commList->currentIndex();
  if (index >= 0 && index < 16) menuComm[index]->setChecked(true);
  if (index == 16) menuLan->setChecked(true);
  commListToolTip();
}

void Form1::commListToolTip() {
  const PortChoice choice{comboText(commList).toStdString(),
                          {},
                          commSettingText.toStdString(),
                          ipAddressText.toStdString(),
                          tcpPortText.toStdString()};
  commList->setToolTip(QString::fromStdString(commListToolTipText(choice)));
  refreshPortPaths();
}

void Form1::refreshPortPaths() {
  // The device behind each name, shown in the port list's item tips.
  for (int n = 1; n <= 16; ++n) {
    const auto path = platform::comDevicePath(n);
    commList->setItemData(n - 1, path ? QString::fromStdString(*path) : QString(), Qt::ToolTipRole);
  }
}

void Form1::menuCommClear() {
  for (QAction* action : menuComm) action->setChecked(false);
  menuLan->setChecked(false);
}

void Form1::menuComm_Click(int n) {
  menuCommClear();
  menuComm[n - 1]->setChecked(true);
  if (commList->currentIndex() == n - 1)
    commList_click();
  else
    commList->setCurrentIndex(n - 1);
}

void Form1::menuLan_Click() {
  menuCommClear();
  menuLan->setChecked(true);
  if (commList->currentIndex() == 16)
    commList_click();
  else
    commList->setCurrentIndex(16);
}

void Form1::MenuCommSetting_Click() {
  CommSettingForm form(*prompter_, commSettingText, ipAddressText, tcpPortText, this);
  loadResStrings(&form);
  if (form.exec() != QDialog::Accepted) return;
  commSettingText = form.commSetting->text();
  ipAddressText = form.ipAddress->text();
  tcpPortText = form.tcpPort->text();
  commListToolTip();
}

void Form1::MenuSearchPort_Click() {
  CommScan scan(this);
  loadResStrings(&scan);
  scan.exec();
  for (int n = 1; n <= 16; ++n)
    if (scan.selectedPort == QStringLiteral("COM%1").arg(n)) menuComm_Click(n);
}

void Form1::MenuPortCheck_Click() {
  if (PX().isOpen()) return;
  runDeviceCommand([this] {
    if (commCheck()) {
      const QString text = QString::fromStdString(
          portCheckText(comboText(commList).toStdString(), commList->toolTip().toStdString(),
                        comboText(modAddList).toStdString(), modAddList->toolTip().toStdString()));
      prompter_->message(this, text, QString::fromStdString(portCheckTitle()), QMessageBox::Information);
    }
    commCoda();
  });
}

bool Form1::commCheck() {
  const PortChoice choice{comboText(commList).toStdString(), comboText(modAddList).toStdString(),
                          commSettingText.toStdString(), ipAddressText.toStdString(),
                          tcpPortText.toStdString()};
  Px5000Device& device = deviceAdapter();
  configureLink(device, choice);
  setPortState(PortState::Checking);
  repaint();

  const ModuleCheck check = probeModule(device, choice.port == kTcpItem);
  const QString title = QString::fromStdString(checkFailureTitle());
  const QString text = QString::fromStdString(checkFailureText(check.outcome));
  switch (check.outcome) {
    case CheckOutcome::Ok:
      modAddList->setToolTip(QString::fromStdString(check.moduleName));
      return true;
    case CheckOutcome::NoAnswer:
      // Stays red until the caller's commCoda.
      setPortState(PortState::Failed);
      prompter_->message(this, text, title, QMessageBox::Critical);
      modAddList->setToolTip(QString());
      return false;
    case CheckOutcome::LanUnreachable:
    case CheckOutcome::PortUnavailable:
    case CheckOutcome::NoCts:
      setPortState(PortState::Failed);
      prompter_->message(this, text, title, QMessageBox::Critical);
      setPortState(PortState::Rest);
      return false;
  }
  return false;
}

void Form1::commCoda() {
  setPortState(PortState::Rest);
}

void Form1::setPortState(PortState state) {
  portState_ = state;
  QPalette palette = QApplication::palette(commList);
  if (state != PortState::Rest) {
    const QColor colour = state == PortState::Checking ? kCheckingColour : kFailedColour;
    palette.setColor(QPalette::Button, colour);
    palette.setColor(QPalette::Base, colour);
  }
  commList->setPalette(palette);
}

// ---------------------------------------------------------------------------------------------------------
// The compiler's host

std::string Form1::sourceText() {
  return source->sourceText().toStdString();
}

int Form1::caretLine() {
  return source->textCursor().blockNumber();
}

void Form1::saveSelection() {
  savedAnchor_ = source->textCursor().anchor();
  savedPosition_ = source->textCursor().position();
}

void Form1::restoreSelection() {
  QTextCursor cursor = source->textCursor();
  const int end = source->document()->characterCount() - 1;
  cursor.setPosition(std::min(savedAnchor_, end));
  cursor.setPosition(std::min(savedPosition_, end), QTextCursor::KeepAnchor);
  source->setTextCursor(cursor);
  source->setFocus();
}

void Form1::markLine(int line) {
  QTextCursor cursor(source->document());
  const QTextBlock block = source->document()->findBlockByNumber(line);
  if (block.isValid()) {
    cursor.setPosition(block.position());
    cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
  } else {
    cursor.select(QTextCursor::Document);
  }
  QTextEdit::ExtraSelection mark;
  mark.cursor = cursor;
  mark.format.setForeground(Qt::red);
  source->setExtraSelections({mark});
  source->setTextCursor(cursor);
  source->setFocus();
}

void Form1::setCodeText(std::string_view text) {
  codeRaw_ = std::string(text);
  code->setExtraSelections({});
  code->setPlainText(paneText(text));
}

void Form1::colourCode(std::size_t start, std::size_t length, Rgb colour) {
  colourSpan(code, codeRaw_, start, length, colour);
}

void Form1::setCodeVisible(bool visible) {
  code->setVisible(visible);
}

void Form1::setAddressText(std::string_view text) {
  addText->setText(fromStd(text));
}

QTreeWidget* Form1::listFor(CompilerList list) const {
  switch (list) {
    case CompilerList::Variables:
      return ListViewAZ;
    case CompilerList::Labels:
      return ListViewLabel;
    case CompilerList::Routines:
      break;
  }
  return ListViewRoutine;
}

void Form1::clearList(CompilerList list) {
  listFor(list)->clear();
}

void Form1::addListItem(CompilerList list, std::string_view text, std::string_view subItem1,
                        std::string_view subItem2) {
  auto* item = new QTreeWidgetItem(listFor(list));
  item->setText(0, fromStd(text));
  item->setText(1, fromStd(subItem1));
  item->setText(2, fromStd(subItem2));
}

std::string Form1::listToolTip(CompilerList list) {
  return listFor(list)->toolTip().toStdString();
}

void Form1::setListToolTip(CompilerList list, std::string_view tip) {
  listFor(list)->setToolTip(fromStd(tip));
}

void Form1::clearLog() {
  logWindow()->clearLog();
}

void Form1::addlog(std::string_view message, LogKind) {
  logWindow()->addlog(fromStd(message));
}

void Form1::setProgressMax(float maximum) {
  logWindow()->setProgressMax(maximum);
}

float Form1::progressMax() {
  return logWindow()->progressMax();
}

void Form1::setProgressValue(float value) {
  logWindow()->setProgressValue(value);
}

void Form1::setCloseVisible(bool visible) {
  logWindow()->CndClose->setVisible(visible);
}

void Form1::refreshWindow() {
  repaint();
}

void Form1::messageBox(std::string_view text) {
  prompter_->message(this, fromStd(text));
}

std::string Form1::modelName() {
  return cmbSeries->currentText().toStdString();
}

int Form1::targetArea() {
  return targetList->currentIndex();
}

const ImageListView& Form1::images() {
  return *images_;
}

void Form1::activateLog() {
  progressform* log = logWindow();
  log->show();
  log->activateWindow();
  log->repaint();
}

std::string Form1::codePaneText() {
  return code->toPlainText().toStdString();
}

void Form1::setMnemonicText(std::string_view text) {
  mnemonicRaw_ = std::string(text);
  mnemonic->setExtraSelections({});
  mnemonic->setPlainText(paneText(text));
}

void Form1::colourMnemonic(std::size_t start, std::size_t length, Rgb colour) {
  colourSpan(mnemonic, mnemonicRaw_, start, length, colour);
}

}  // namespace kelmore::mainwindow
