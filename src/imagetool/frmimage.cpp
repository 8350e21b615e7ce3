// The image tool window.
// Layer: image tool (Qt).
#include "imagetool/frmimage.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QProgressBar>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "common/models.h"
#include "imagetool/cblfile.h"
#include "imagetool/frmenterparam.h"
#include "imagetool/frmlistexport.h"
#include "imagetool/imagefile.h"
#include "platform/paths.h"
#include "widgets/qtstrings.h"
#include "widgets/resstrings.h"

namespace kelmore::imagetool {

namespace {

constexpr int kTwipsPerPixel = 15;
const QColor kSelectedColour(0x80, 0x80, 0xFF);  // &HFF8080
constexpr const char* kCaption = "Image Label List";
constexpr const char* kListFilter = "Image List (*.cbl);;All Files (*.*)";
constexpr const char* kBitmapFilter = "All Files (*.*);;BitMap Images (*.bmp)";
constexpr const char* kBitmapSelected = "BitMap Images (*.bmp)";
constexpr const char* kAskSave = "The image list has been changed. Do you save it?";
constexpr const char* kDuplicateStyle = "QLineEdit { background: #FFC0C0; }";

using widgets::fromStd;

// A check box value as the list keeps it: 0 clear, 1 checked ("posi"), 2 greyed.
Qt::CheckState checkState(int value) {
  return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}
std::int16_t checkValue(Qt::CheckState state) {
  return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}

int pixels(int twips) {
  return twips / kTwipsPerPixel;
}

std::vector<std::string> localFiles(const QMimeData& data) {
  std::vector<std::string> paths;
  for (const QUrl& url : data.urls())
    if (url.isLocalFile()) paths.push_back(platform::absolutePath(url.toLocalFile().toStdString()).string());
  return paths;
}

}  // namespace

// A preview frame: selection by click, a viewer by double click, and files dropped on it.
class ImageFrame : public QFrame {
 public:
  ImageFrame(QWidget* parent, int index, FrmImage& window) : QFrame(parent), index_(index), window_(window) {
    setAcceptDrops(true);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
  }

 protected:
  void mousePressEvent(QMouseEvent*) override { window_.Frame_Click(index_); }
  void mouseDoubleClickEvent(QMouseEvent*) override { window_.Frame_DblClick(index_); }
  void dragEnterEvent(QDragEnterEvent* event) override {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
  }
  void dropEvent(QDropEvent* event) override {
    event->acceptProposedAction();
    window_.dropFiles(index_, *event->mimeData());
  }

 private:
  int index_;
  FrmImage& window_;
};

// The list operations' side effects: the host's boxes and dialogs, and the parameter dialog.
class FrmImage::Ui : public ListUi {
 public:
  explicit Ui(FrmImage& window) : window_(window) {}

  std::vector<std::string> chooseBitmaps() override {
    const QStringList names = window_.host_.prompter->openFileNames(&window_, QStringLiteral("Open"), folder_,
                                                                    QString::fromLatin1(kBitmapFilter),
                                                                    QString::fromLatin1(kBitmapSelected));
    std::vector<std::string> paths;
    for (const QString& name : names) paths.push_back(platform::absolutePath(name.toStdString()).string());
    if (!names.isEmpty()) folder_ = QFileInfo(names.front()).absolutePath();
    return paths;
  }
  void message(std::string_view text) override { window_.host_.prompter->message(&window_, fromStd(text)); }
  bool editParameters() override { return window_.enterParam(QStringLiteral("1")); }

 private:
  FrmImage& window_;
  QString folder_ = QDir::homePath();
};

FrmImage::FrmImage(const widgets::ImageToolHost& host, OpenFile openFile)
    : host_(host), openFile_(std::move(openFile)), ui_(std::make_unique<Ui>(*this)) {
  if (!openFile_)
    openFile_ = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
  setAcceptDrops(true);
  createActions();
  createMenus();
  createToolBar();
  createPanes();
  if (host_.modelBox) {
    connect(host_.modelBox, &QComboBox::currentTextChanged, this, [this] {
      updateSelection();
      updateViewer();
    });
  }
  Form_Load();
}

FrmImage::~FrmImage() = default;

widgets::ImageToolFactory FrmImage::factory() {
  return [](const widgets::ImageToolHost& host) -> std::unique_ptr<widgets::ImageToolWindow> {
    return std::make_unique<FrmImage>(host);
  };
}

// ---------------------------------------------------------------------------------------------------------
// Window shell

void FrmImage::createActions() {
  const auto action = [this](const char* caption, void (FrmImage::*slot)()) {
    auto* a = new QAction(QString::fromUtf8(caption), this);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  menuNew = action("&New", &FrmImage::menuNew_Click);
  menuOpen = action("&Open...", &FrmImage::menuOpen_Click);
  menuSave = action("&Save", &FrmImage::menuSave_Click);
  menuSaveAs = action("Save &As...", &FrmImage::menuSaveAs_Click);
  Export2 = action("&Export...", &FrmImage::convertList);
  menuClose = action("&Close", &FrmImage::menuClose_Click);
  InsertiMAGE = action("&Insert Image", &FrmImage::InsertiMAGE_Click);
  InsBlank = action("Insert &Blank", &FrmImage::InsBlank_Click);
  Exchange = action("&Exchange", &FrmImage::Exchange_Click);
  Remove = action("&Remove", &FrmImage::Remove_Click);
  Add2End = action("&Add to End", &FrmImage::Add2End_Click);
  WithBMP = new QAction(QStringLiteral("with &BMP"), this);
  WithBMP->setCheckable(true);
}

void FrmImage::createMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addActions({menuNew, menuOpen, menuSave, menuSaveAs});
  file->addSeparator();
  file->addAction(Export2);
  file->addSeparator();
  file->addAction(menuClose);
  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  edit->addActions({InsertiMAGE, InsBlank, Exchange, Remove, Add2End});
  QMenu* option = menuBar()->addMenu(QStringLiteral("&Option"));
  option->addAction(WithBMP);
}

void FrmImage::createToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("Toolbar1"));
  bar->setObjectName(QStringLiteral("Toolbar1"));
  bar->setMovable(false);
  const std::pair<const char*, QAction*> keys[] = {
      {"New", menuNew},        {"Open", menuOpen},     {"Save", menuSave}, {"Insert", InsertiMAGE},
      {"Ins_Blank", InsBlank}, {"Exchange", Exchange}, {"DEL", Remove},    {"Add", Add2End},
      {"Convert", Export2},    {"Door", menuClose},
  };
  for (const auto& [key, target] : keys) {
    QAction* button = bar->addAction(QString::fromUtf8(key));
    button->setObjectName(QString::fromUtf8(key));
    connect(button, &QAction::triggered, target, &QAction::trigger);
  }
}

void FrmImage::createPanes() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* columns = new QHBoxLayout(central);
  auto* framesColumn = new QVBoxLayout;
  framesColumn->setSpacing(2);
  for (int i = 0; i < ImageList::kFrames; ++i) framesColumn->addWidget(createFrame(i));
  VScroll1 = new QScrollBar(Qt::Vertical, central);
  connect(VScroll1, &QScrollBar::valueChanged, this, &FrmImage::VScroll1_Change);

  auto* usage = new QVBoxLayout;
  Text1 = new QLineEdit(central);
  Text1->setReadOnly(true);
  Text1->setFixedWidth(60);
  usage->addWidget(Text1);
  const auto makeUsage = [central, usage](const QString& caption) {
    UsageControls u;
    u.caption = new QLabel(caption, central);
    u.stack = new QStackedWidget(central);
    u.bar = new QProgressBar(u.stack);
    u.bar->setRange(0, 100);
    u.bar->setTextVisible(false);
    auto* behind = new QFrame(u.stack);
    behind->setAutoFillBackground(true);
    behind->setStyleSheet(QStringLiteral("background: red;"));
    u.stack->addWidget(u.bar);
    u.stack->addWidget(behind);
    u.stack->setFixedHeight(16);
    u.text = new QLabel(central);
    auto* line = new QHBoxLayout;
    u.caption->setFixedWidth(32);
    u.text->setMinimumWidth(48);
    line->addWidget(u.caption);
    line->addWidget(u.stack);
    line->addWidget(u.text);
    line->addStretch(1);
    usage->addLayout(line);
    return u;
  };
  ram = makeUsage(QStringLiteral("RAM"));
  for (int p = 0; p < kImageFlashPages; ++p)
    from[static_cast<std::size_t>(p)] = makeUsage(QStringLiteral("F %1").arg(p));
  usage->addStretch(1);

  columns->addLayout(framesColumn, 1);
  columns->addWidget(VScroll1);
  columns->addLayout(usage);
}

// Preview frame i: number, picture box, label, file, path, size, memory area, page, address and polarity.
QFrame* FrmImage::createFrame(int i) {
  FrameControls& f = frames[static_cast<std::size_t>(i)];
  f.Frame = new ImageFrame(centralWidget(), i, *this);
  f.Frame->setFixedHeight(pixels(kPreviewBox.top * 2 + kPreviewBox.height) + 20);
  auto* row = new QHBoxLayout(f.Frame);
  row->setContentsMargins(4, 2, 4, 2);
  f.LblNum = new QLabel(f.Frame);
  f.LblNum->setFixedWidth(pixels(kPreviewBox.left) - 8);
  auto* box = new QWidget(f.Frame);
  box->setFixedSize(pixels(kPreviewBox.width), pixels(kPreviewBox.height));
  f.Image = new QLabel(box);
  f.Image->setScaledContents(true);
  f.txtLabel = new QLineEdit(f.Frame);
  f.FileName = new QLabel(f.Frame);
  f.Path = new QLabel(f.Frame);
  f.Path->setStyleSheet(QStringLiteral("color: gray;"));
  f.Resolution = new QLabel(f.Frame);
  f.CmbPage = new QComboBox(f.Frame);
  f.CmbPage->setEditable(true);
  f.CmbPage->setInsertPolicy(QComboBox::NoInsert);
  f.CmbPage->lineEdit()->setReadOnly(true);
  f.txtPage = new QLabel(f.Frame);
  f.txtAdrs = new QLineEdit(f.Frame);
  f.txtAdrs->setReadOnly(true);
  f.txtAdrs->setFixedWidth(90);
  f.Check1 = new QCheckBox(QStringLiteral("posi"), f.Frame);
  f.Check1->setTristate(true);
  for (QObject* clickable : {static_cast<QObject*>(f.txtLabel), static_cast<QObject*>(f.Resolution),
                             static_cast<QObject*>(f.txtAdrs)})
    clickable->installEventFilter(this);
  f.txtLabel->setProperty("frame", i);
  f.Resolution->setProperty("frame", i);
  f.txtAdrs->setProperty("frame", i);

  auto* fields = new QGridLayout;
  fields->addWidget(f.txtLabel, 0, 0, 1, 2);
  fields->addWidget(f.FileName, 0, 2, 1, 2);
  fields->addWidget(f.Path, 1, 0, 1, 4);
  fields->addWidget(f.Resolution, 2, 0);
  fields->addWidget(f.CmbPage, 2, 1);
  fields->addWidget(f.txtPage, 2, 2);
  fields->addWidget(f.txtAdrs, 2, 3);
  fields->addWidget(f.Check1, 2, 4);
  row->addWidget(f.LblNum);
  row->addWidget(box);
  row->addLayout(fields, 1);

  connect(f.CmbPage, &QComboBox::activated, this, [this, i] { CmbPage_Click(i); });
  connect(f.txtLabel, &QLineEdit::textEdited, this, [this, i] { txtLabel_Change(i); });
  connect(f.Check1, &QCheckBox::clicked, this, [this, i] { Check1_Click(i); });
  return f.Frame;
}

void FrmImage::Form_Load() {
  list_.clear();
  widgets::loadResStrings(this);
  updateSelection();
  setWindowTitle(QString::fromLatin1(kCaption));
  // The list file name is kept in imgpath.tmp but the window always starts untitled.
  WithBMP->setChecked(readImgPath().withBmp);
  fileName_.clear();
  updateViewer();
}

void FrmImage::showTool() {
  updateSelection();
  updateViewer();
  show();
  raise();
  activateWindow();
  if (host_.mainWindow) host_.mainWindow->hide();
}

void FrmImage::changeEvent(QEvent* event) {
  // Only a tool in view hides the main window: an activation that arrives after Door (a dialog's close
  // without a window manager) must not leave the program without a window.
  if (event->type() == QEvent::ActivationChange && isVisible() && isActiveWindow() && host_.mainWindow &&
      host_.mainWindow->isVisible())
    host_.mainWindow->hide();
  QMainWindow::changeEvent(event);
}

void FrmImage::closeEvent(QCloseEvent* event) {
  // The close box is Close: the window hides and keeps its list.
  event->ignore();
  menuClose_Click();
}

bool FrmImage::queryQuit() {
  return keepChanges();
}

QString FrmImage::exportPortText() const {
  // An export window not loaded names no port: a fresh one would propose COM1, which the scan takes first.
  return export_ ? export_->comList->currentText() : QString();
}

// ---------------------------------------------------------------------------------------------------------
// Model and redraw

void FrmImage::updateSelection() {
  const ModelInfo& model = modelInfo(host_.modelBox ? host_.modelBox->currentText().toStdString() : "");
  capacities_ = capacitiesOf(model);
  for (int i = 0; i < ImageList::kFrames; ++i) {
    FrameControls& f = frames[static_cast<std::size_t>(i)];
    f.Frame->setFrameShape(QFrame::NoFrame);
    f.LblNum->setText(QString::number(list_.imgTop + i + 1));
    const QString text = f.CmbPage->currentText();
    f.CmbPage->clear();
    for (std::string_view area : model.imageMemoryChoices) f.CmbPage->addItem(fromStd(area));
    f.CmbPage->setEditText(text);
  }
  const bool hasRam = capacities_.ramCapacity > 0;
  ram.caption->setVisible(hasRam);
  ram.stack->setVisible(hasRam);
  ram.text->setVisible(hasRam);
  for (int p = 0; p < kImageFlashPages; ++p) {
    UsageControls& u = from[static_cast<std::size_t>(p)];
    const bool present = capacities_.fromCapacity[static_cast<std::size_t>(p)] > 0;
    u.caption->setVisible(present);
    u.stack->setVisible(present);
    u.text->setVisible(present);
  }
  // Page 0 is drawn in proportion: twice as wide where it holds 65536 bytes.
  from[0].stack->setFixedWidth(pixels(capacities_.fromCapacity[0] >= 65536 ? 4000 : 2000));
  for (int p = 1; p < kImageFlashPages; ++p)
    from[static_cast<std::size_t>(p)].stack->setFixedWidth(pixels(4000));
  ram.stack->setFixedWidth(pixels(4000));
}

void FrmImage::convertList() {
  allocation_ = allocateMemory(list_, capacities_);
  if (!export_) export_ = new frmListExport(this, host_, list_, allocation_, capacities_);
  export_->setModel(modelInfo(host_.modelBox ? host_.modelBox->currentText().toStdString() : std::string()));
  export_->hide();
  export_->exec();
  if (export_->unloaded()) {
    export_->deleteLater();
    export_ = nullptr;
  }
  updateViewer();
}

void FrmImage::updateViewer() {
  if (drawing_) return;
  drawing_ = true;
  Text1->setText(QString::number(list_.count()));
  allocation_ = allocateMemory(list_, capacities_);
  list_.imgCurrent = std::clamp(list_.imgCurrent, 0, list_.count());
  const int topMax = list_.count() < ImageList::kFrames ? 0 : list_.count() - 7;
  list_.imgTop = std::clamp(list_.imgTop, 0, topMax);
  VScroll1->setRange(0, topMax);
  VScroll1->setPageStep(ImageList::kFrames);
  VScroll1->setValue(list_.imgTop);
  for (int i = 0; i < ImageList::kFrames; ++i) drawFrame(i);
  markDuplicates();
  showUsage();
  drawing_ = false;
}

void FrmImage::drawFrame(int i) {
  FrameControls& f = frames[static_cast<std::size_t>(i)];
  const int n = list_.imgTop + i;
  QPalette palette = f.Frame->palette();
  palette.setColor(QPalette::Window,
                   n == list_.imgCurrent ? kSelectedColour : QFrame().palette().color(QPalette::Button));
  f.Frame->setPalette(palette);
  f.LblNum->setText(n < list_.count() ? QString::number(n + 1) : QString());
  if (n >= list_.count()) {
    for (QLabel* label : {f.FileName, f.Path, f.Resolution, f.txtPage}) label->clear();
    f.txtLabel->clear();
    f.txtAdrs->clear();
    f.CmbPage->setEditText(QString());
    f.Check1->setEnabled(true);
    f.Check1->setCheckState(Qt::PartiallyChecked);
    f.Image->hide();
    shown_[static_cast<std::size_t>(i)] = {};
    return;
  }
  const ImageRecord& r = list_.at(n);
  f.txtLabel->setText(QString::fromStdString(r.imgLabel));
  f.FileName->setText(QString::fromStdString(r.imgFileName));
  f.Path->setText(QString::fromStdString(r.imgPath));
  f.CmbPage->setEditText(QString::fromStdString(r.imgMemory));
  f.txtPage->setText(QString::number(r.imgPage));
  f.txtAdrs->setText(QString::number(r.imgAddress));
  f.Check1->setEnabled(true);
  f.Check1->setCheckState(checkState(r.imgCheck));
  f.Resolution->setText(QStringLiteral("%1x%2").arg(r.imgX).arg(r.imgY));
  if (r.imgPath.empty()) {
    f.Image->hide();
    shown_[static_cast<std::size_t>(i)] = {};
  } else {
    drawPicture(i, r);
    f.Image->show();
  }
  if (r.imgMemory == "VRAM") {
    f.FileName->clear();
    f.Path->clear();
    f.Check1->setCheckState(Qt::PartiallyChecked);
    f.Image->hide();
    f.txtPage->clear();
  }
}

void FrmImage::drawPicture(int i, const ImageRecord& r) {
  Shown& shown = shown_[static_cast<std::size_t>(i)];
  if (shown.path == r.imgPath && shown.widthDots == r.imgX && shown.heightDots == r.imgY) return;
  shown = {r.imgPath, r.imgX, r.imgY};
  FrameControls& f = frames[static_cast<std::size_t>(i)];
  const PreviewRect rect = previewRect(r.imgX, r.imgY);
  f.Image->setGeometry(pixels(rect.left - kPreviewBox.left), pixels(rect.top - kPreviewBox.top),
                       std::max(pixels(rect.width), 1), std::max(pixels(rect.height), 1));
  const BitmapFile file = readBitmapFile(r.imgPath);
  if (file.refusal != BitmapRefusal::None) {
    // What cannot be read shows black.
    QPixmap black(1, 1);
    black.fill(Qt::black);
    f.Image->setPixmap(black);
    f.Image->setProperty("loaded", false);
    return;
  }
  const bitmap::Bitmap& image = file.image;
  const QImage grey(image.grey.data(), image.widthDots, image.heightDots, image.widthDots,
                    QImage::Format_Grayscale8);
  f.Image->setPixmap(QPixmap::fromImage(grey.copy()));
  f.Image->setProperty("loaded", true);
}

void FrmImage::markDuplicates() {
  for (int i = 0; i < ImageList::kFrames; ++i) {
    FrameControls& f = frames[static_cast<std::size_t>(i)];
    const int n = list_.imgTop + i;
    const bool duplicate = n < list_.count() && list_.labelUses(list_.at(n).imgLabel) > 1;
    f.txtLabel->setProperty("duplicate", duplicate);
    f.txtLabel->setStyleSheet(duplicate ? QString::fromLatin1(kDuplicateStyle) : QString());
  }
}

void FrmImage::showUsage() {
  const auto show = [](UsageControls& u, const UsageBar& bar) {
    u.stack->setCurrentIndex(bar.shown ? 0 : 1);
    u.bar->setValue(static_cast<int>(bar.percent));
    u.text->setText(QString::fromStdString(bar.text));
  };
  show(ram, ramBar(allocation_, capacities_));
  for (int p = 0; p < kImageFlashPages; ++p)
    show(from[static_cast<std::size_t>(p)], flashBar(allocation_, capacities_, p));
}

// ---------------------------------------------------------------------------------------------------------
// Frames

bool FrmImage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    const QVariant frame = watched->property("frame");
    if (frame.isValid()) {
      const int i = frame.toInt();
      if (watched == frames[static_cast<std::size_t>(i)].txtLabel) {
        Frame_Click(i);
        return false;  // the box still takes the click
      }
      Resolution_Click(i);
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void FrmImage::Frame_Click(int i) {
  list_.imgCurrent = list_.imgTop + i;
  updateViewer();
}

void FrmImage::Frame_DblClick(int i) {
  const int n = list_.imgTop + i;
  if (n < list_.count() && !list_.at(n).imgPath.empty())
    openFile_(QString::fromStdString(list_.at(n).imgPath));
}

void FrmImage::Resolution_Click(int i) {
  Frame_Click(i);
  if (list_.imgCurrent < list_.count() && list_.at(list_.imgCurrent).imgMemory == "VRAM") enterParam({});
  updateViewer();
}

void FrmImage::CmbPage_Click(int i) {
  const int n = list_.imgTop + i;
  const QString text = frames[static_cast<std::size_t>(i)].CmbPage->currentText();
  if (n > list_.count()) {
    list_.imgCurrent = list_.count();
    updateViewer();
    return;
  }
  list_.imgCurrent = n;
  const std::string before = list_.at(n).imgMemory;
  list_.setMemory(n, text.toStdString());
  const bool vram = text == QStringLiteral("VRAM");
  if (!vram) {
    const BitmapFile file = readBitmapFile(list_.at(n).imgPath);
    if (isBmpFile(file)) {
      if (file.refusal == BitmapRefusal::None) list_.setSize(n, file.widthDots, file.heightDots);
      Frame_Click(i);
      return;
    }
  }
  if (list_.at(n).imgLabel.empty()) list_.setLabel(n, list_.newLabelName());
  if (enterParam(QStringLiteral("0"))) {
    if (list_.imgCurrent == list_.count() && list_.count() < ImageList::kImgMax) {
      list_.appendSlot();
      list_.imgCurrent += 1;
      if (list_.imgCurrent - list_.imgTop > 7) list_.imgTop += 1;
    }
  } else if (vram) {
    list_.setMemory(n, before);
  }
  if (vram) {
    updateViewer();
  } else {
    Frame_Click(i);
  }
}

void FrmImage::txtLabel_Change(int i) {
  const int n = list_.imgTop + i;
  if (n > list_.count()) return;
  list_.setLabel(n, frames[static_cast<std::size_t>(i)].txtLabel->text().toStdString());
  markDuplicates();
}

void FrmImage::Check1_Click(int i) {
  QCheckBox* box = frames[static_cast<std::size_t>(i)].Check1;
  // The greyed state is the redraw's alone: a click toggles posi and nega.
  if (box->checkState() == Qt::PartiallyChecked) box->setCheckState(Qt::Checked);
  const int n = list_.imgTop + i;
  if (n > list_.count()) return;
  list_.setCheck(n, checkValue(box->checkState()));
}

void FrmImage::VScroll1_Change(int value) {
  if (drawing_) return;
  list_.imgTop = value;
  updateViewer();
}

bool FrmImage::enterParam(const QString& flag) {
  if (!dialog_) dialog_ = new FrmEnterParam(this, list_, capacities_, *host_.prompter);
  dialog_->Flag = flag;
  return dialog_->showModal() == QStringLiteral("OK");
}

// ---------------------------------------------------------------------------------------------------------
// Drops

void FrmImage::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FrmImage::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  dropFiles(-1, *event->mimeData());
}

void FrmImage::dropFiles(int frame, const QMimeData& data) {
  const std::vector<std::string> paths = localFiles(data);
  if (paths.empty()) return;
  if (frame < 0) {
    list_.dropFilesOnForm(paths, *ui_);
  } else {
    list_.dropFilesOnImage(list_.imgTop + frame, paths, *ui_);
  }
  updateViewer();
}

// ---------------------------------------------------------------------------------------------------------
// Edit menu

void FrmImage::InsertiMAGE_Click() {
  list_.insertImage(list_.imgCurrent, *ui_);
  updateViewer();
}

void FrmImage::InsBlank_Click() {
  list_.insertBlank(list_.imgCurrent, *ui_);
  updateViewer();
}

void FrmImage::Exchange_Click() {
  if (list_.imgCurrent == list_.count()) return;
  list_.exchangeImage(*ui_);
  updateViewer();
}

void FrmImage::Remove_Click() {
  list_.removeImage();
  updateViewer();
}

void FrmImage::Add2End_Click() {
  list_.addImageAtEnd(*ui_);
  updateViewer();
}

// ---------------------------------------------------------------------------------------------------------
// File menu

bool FrmImage::keepChanges() {
  if (!list_.modified()) return true;
  const auto answer = host_.prompter->ask(this, QMessageBox::Question, {}, QString::fromLatin1(kAskSave),
                                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::No) return true;
  if (fileName_.isEmpty()) {
    menuSaveAs_Click();
  } else {
    saveTo(fileName_);
  }
  return !list_.modified();
}

void FrmImage::menuNew_Click() {
  if (!keepChanges()) return;
  list_.clear();
  fileName_.clear();
  setWindowTitle(QString::fromLatin1(kCaption));
  updateViewer();
}

void FrmImage::menuOpen_Click() {
  if (!keepChanges()) return;
  const QString path = host_.prompter->openFileName(
      this, QStringLiteral("Open"),
      fileName_.isEmpty() ? QDir::homePath() : QFileInfo(fileName_).absolutePath(),
      QString::fromLatin1(kListFilter));
  if (path.isEmpty()) return;
  const CblLoad load = loadImageList(platform::absolutePath(path.toStdString()));
  if (!load.error.empty()) {
    host_.prompter->message(this, QString::fromStdString(load.error));
    return;
  }
  list_.assign(load.read.records);
  fileName_ = path;
  setWindowTitle(QString::fromLatin1(kCaption) + QStringLiteral(" - ") + QFileInfo(path).fileName());
  updateViewer();
  QStringList refused;
  for (const auto& text : load.read.messages) refused << QString::fromStdString(text);
  if (!refused.isEmpty()) host_.prompter->message(this, refused.join(QLatin1Char('\n')));
}

void FrmImage::menuSave_Click() {
  if (fileName_.isEmpty()) {
    menuSaveAs_Click();
  } else {
    saveTo(fileName_);
  }
}

void FrmImage::menuSaveAs_Click() {
  QString path = host_.prompter->saveFileName(this, QStringLiteral("Save As"),
                                              fileName_.isEmpty() ? QDir::homePath() : fileName_,
                                              QString::fromLatin1(kListFilter));
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".cbl");
  saveTo(path);
}

bool FrmImage::saveTo(const QString& path) {
  const platform::WriteResult written =
      saveImageList(list_.entries(), platform::absolutePath(path.toStdString()), WithBMP->isChecked());
  if (!written.ok) {
    host_.prompter->message(this, QString::fromStdString(written.error), {}, QMessageBox::Warning);
    return false;
  }
  list_.markSaved();
  fileName_ = path;
  setWindowTitle(QString::fromLatin1(kCaption) + QStringLiteral(" - ") + QFileInfo(path).fileName());
  return true;
}

void FrmImage::menuClose_Click() {
  // imgpath.tmp that cannot be written does not keep the window up.
  writeImgPath({fileName_.toStdString(), WithBMP->isChecked()});
  hide();
  if (host_.mainWindow) host_.mainWindow->show();
}

}  // namespace kelmore::imagetool
