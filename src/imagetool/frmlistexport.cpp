// The image tool's export window.
// Layer: image tool (Qt).
#include "imagetool/frmlistexport.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/strings.h"
#include "imagetool/imagedownload.h"
#include "link/px5000.h"
#include "platform/fileread.h"
#include "platform/paths.h"
#include "widgets/operationguard.h"
#include "widgets/prompter.h"
#include "widgets/qtstrings.h"

namespace kelmore::imagetool {

namespace {

constexpr const char* kExportFilter = "All Files (*.*);;Varlesk format (*.dat)";
constexpr const char* kExportSelected = "Varlesk format (*.dat)";
// The command file of a download is what the export wrote; nothing larger is read back.
constexpr std::size_t kMaxCommandFileBytes = 64u << 20;

using widgets::fromStd;

// Right(blanks & value, width): the value right-aligned in a field, its leftmost digits cut when longer.
QString field(std::int32_t value, int width) {
  const QString text = QString(width, QLatin1Char(' ')) + QString::number(value);
  return text.right(width);
}

}  // namespace

frmListExport::frmListExport(QWidget* parent, const widgets::ImageToolHost& host, const ImageList& list,
                             const Allocation& allocation, const Capacities& capacities, ExportClock clock)
    : QDialog(parent),
      host_(host),
      list_(list),
      allocation_(allocation),
      capacities_(capacities),
      clock_(clock ? std::move(clock) : ExportClock(localTimeNow)) {
  setWindowTitle(QStringLiteral("Export"));
  createControls();
}

std::filesystem::path frmListExport::commandFilePath() {
  return platform::dataDir() / "temp.txt";
}

void frmListExport::createControls() {
  auto* layout = new QVBoxLayout(this);
  auto* boxes = new QGridLayout;
  chkRAM = new QCheckBox(this);
  boxes->addWidget(chkRAM, 0, 0);
  for (int k = 0; k < kImageFlashPages; ++k) {
    chkFROM[static_cast<std::size_t>(k)] = new QCheckBox(this);
    boxes->addWidget(chkFROM[static_cast<std::size_t>(k)], 1 + k % 4, k / 4);
  }
  layout->addLayout(boxes);

  auto button = [this](const char* caption, void (frmListExport::*slot)()) {
    auto* b = new QPushButton(QString::fromLatin1(caption), this);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, slot);
    return b;
  };
  cmdChkAll = button("Check All", &frmListExport::cmdChkAll_Click);
  cmdRemove = button("Remove All", &frmListExport::cmdRemove_Click);
  cmdExport2File = button("Export", &frmListExport::cmdExport2File_Click);
  cmdWrite = button("Write", &frmListExport::cmdWrite_Click);
  cmdSearch = button("Search", &frmListExport::cmdSearch_Click);
  cmdClose = button("Close", &frmListExport::cmdClose_Click);
  comList = new QComboBox(this);
  comList->setEditable(true);
  for (int n = 1; n <= 16; ++n) comList->addItem(QStringLiteral("COM%1").arg(n));
  comList->addItem(QStringLiteral("TCP"));

  auto* checks = new QHBoxLayout;
  checks->addWidget(cmdChkAll);
  checks->addWidget(cmdRemove);
  layout->addLayout(checks);
  auto* port = new QHBoxLayout;
  port->addWidget(comList);
  port->addWidget(cmdSearch);
  port->addWidget(cmdWrite);
  layout->addLayout(port);
  ProgressBar1 = new QProgressBar(this);
  ProgressBar2 = new QProgressBar(this);
  layout->addWidget(ProgressBar1);
  layout->addWidget(ProgressBar2);
  progress = new widgets::OperationProgress(this);
  layout->addWidget(progress);
  // The window keeps its size through a transfer: the progress line and the second bar have their room
  // while hidden, and a long wait text is cut rather than widening the window.
  progress->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  progress->setFixedHeight(std::max(progress->sizeHint().height(), ProgressBar2->sizeHint().height()));
  for (QWidget* w : {static_cast<QWidget*>(progress), static_cast<QWidget*>(ProgressBar2)}) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
  }
  auto* ends = new QHBoxLayout;
  ends->addWidget(cmdExport2File);
  ends->addWidget(cmdClose);
  layout->addLayout(ends);

  if (host_.device) {
    widgets::OperationGuard& guard = host_.device->operations();
    for (QWidget* w :
         {static_cast<QWidget*>(chkRAM), static_cast<QWidget*>(cmdChkAll), static_cast<QWidget*>(cmdRemove),
          static_cast<QWidget*>(cmdExport2File), static_cast<QWidget*>(cmdWrite),
          static_cast<QWidget*>(cmdSearch), static_cast<QWidget*>(cmdClose), static_cast<QWidget*>(comList)})
      guard.guard(w);
    for (QCheckBox* box : chkFROM) guard.guard(box);
  } else {
    cmdWrite->setEnabled(false);
    cmdSearch->setEnabled(false);
  }
}

void frmListExport::showEvent(QShowEvent* event) {
  unloaded_ = false;
  QDialog::showEvent(event);
  Form_Activate();
}

void frmListExport::Form_Activate() {
  if (list_.count() == 0) {
    message(fromStd(kNoImagesSelected));
    return;
  }
  if (host_.device && host_.device->portBox())
    comList->setCurrentText(host_.device->portBox()->currentText());
  enableButtons(true);
  for (QProgressBar* bar : {ProgressBar1, ProgressBar2}) {
    bar->setRange(0, list_.count());
    bar->setValue(0);
  }
  chkRAM->setText(QStringLiteral("RAM :") + field(allocation_.ramUsed, 6) + QStringLiteral(" Byte"));
  const bool ramOk = areaExportable(allocation_.ramUsed, capacities_.ramCapacity);
  chkRAM->setEnabled(ramOk);
  if (!ramOk) chkRAM->setChecked(false);
  for (std::size_t k = 0; k < chkFROM.size(); ++k) {
    chkFROM[k]->setText(QStringLiteral("ROM: %1-").arg(k) + field(allocation_.fromUsed[k], 8) +
                        QStringLiteral(" Byte"));
    const bool ok = areaExportable(allocation_.fromUsed[k], capacities_.fromCapacity[k]);
    chkFROM[k]->setEnabled(ok);
    if (!ok) chkFROM[k]->setChecked(false);
  }
}

void frmListExport::cmdChkAll_Click() {
  if (chkRAM->isEnabled()) chkRAM->setChecked(true);
  for (QCheckBox* box : chkFROM)
    if (box->isEnabled()) box->setChecked(true);
}

void frmListExport::cmdRemove_Click() {
  chkRAM->setChecked(false);
  for (QCheckBox* box : chkFROM) box->setChecked(false);
}

ExportAreas frmListExport::checkedAreas() const {
  ExportAreas areas;
  areas.ram = chkRAM->isChecked();
  for (std::size_t k = 0; k < chkFROM.size(); ++k) areas.from[k] = chkFROM[k]->isChecked();
  return areas;
}

void frmListExport::enableButtons(bool enabled) {
  cmdClose->setEnabled(enabled);
  cmdExport2File->setEnabled(enabled);
  cmdWrite->setEnabled(enabled && host_.device);
}

void frmListExport::message(const QString& text, const QString& title) {
  host_.prompter->message(this, text, title);
}

std::optional<ExportAreas> frmListExport::startExport() {
  enableButtons(false);
  const ExportAreas areas = checkedAreas();
  if (!areas.any()) {
    message(fromStd(resString(4202)));
    enableButtons(true);
    return std::nullopt;
  }
  return areas;
}

void frmListExport::cmdExport2File_Click() {
  const std::optional<ExportAreas> areas = startExport();
  if (!areas) return;
  const QString path = host_.prompter->saveFileName(
      this, QStringLiteral("Save As"), exportFile_.isEmpty() ? QDir::homePath() + "/*.dat" : exportFile_,
      QString::fromLatin1(kExportFilter), QString::fromLatin1(kExportSelected));
  if (path.isEmpty()) {
    enableButtons(true);
    return;
  }
  exportFile_ = path;
  ProgressBar2->hide();
  ProgressBar1->setValue(0);
  ProgressBar2->setValue(0);
  const ExportResult result = exportImagesToFile(
      platform::absolutePath(path.toStdString()), {list_, allocation_, capacities_, *model_}, *areas, clock_,
      [this](int done) { ProgressBar1->setValue(std::min(done, list_.count())); });
  if (result.ok())
    hide();
  else
    message(fromStd(result.message));
  enableButtons(true);
}

void frmListExport::cmdWrite_Click() {
  // A press that reaches here while a device operation runs (its controls are disabled) does nothing.
  if (!host_.device || host_.device->operations().running()) return;
  const std::optional<ExportAreas> areas = startExport();
  if (!areas) return;
  const std::filesystem::path file = commandFilePath();
  const ExportResult exported =
      exportImagesToFile(file, {list_, allocation_, capacities_, *model_}, *areas, clock_,
                         [this](int done) { ProgressBar1->setValue(std::min(done, list_.count())); });
  if (!exported.ok()) {
    if (!exported.message.empty()) message(fromStd(exported.message));
    message(fromStd(kConvertError));
    enableButtons(true);
    return;
  }
  ProgressBar2->show();
  ProgressBar2->setRange(0, 100);
  ProgressBar2->setValue(0);
  link::PX5000& device = host_.device->device();
  if (device.isOpen()) {  // another operation holds the link
    enableButtons(true);
    return;
  }
  bool hideAfter = false;
  {
    widgets::OperationGuard::Scope op(host_.device->operations(), QStringLiteral("Write"), *progress);
    if (!op) {
      enableButtons(true);
      return;
    }
    writing_ = true;
    if (host_.device->commCheck()) {
      const platform::FileRead read = platform::readRegularFile(file, kMaxCommandFileBytes);
      link::CheckedPx5000 target(device);
      const DownloadResult sent = read.ok() ? sendCommandFile(read.bytes, exported.count, target,
                                                              [this](int percent) {
                                                                ProgressBar2->setValue(percent);
                                                                ProgressBar2->repaint();
                                                              })
                                            : DownloadResult{false, read.message};
      if (sent.completed) {
        // Everything went out: both bars stand at their end, whichever areas were sent.
        ProgressBar1->setValue(ProgressBar1->maximum());
        ProgressBar2->setValue(ProgressBar2->maximum());
        host_.prompter->message(this, fromStd(kCompleted), fromStd(kCompletedTitle),
                                QMessageBox::Information);
        hideAfter = true;
      } else {
        message(fromStd(sent.message));
      }
    } else {
      hideAfter = true;  // the check told the user why
    }
    host_.device->commCoda();
    writing_ = false;
  }
  enableButtons(true);
  if (hideAfter) hide();
}

void frmListExport::cmdSearch_Click() {
  if (!host_.device) return;
  const QString port = host_.device->scanPorts(comList->currentText());
  if (port.isEmpty()) return;
  comList->setCurrentText(port);
  if (QComboBox* box = host_.device->portBox()) box->setCurrentText(port);
}

void frmListExport::cmdClose_Click() {
  close();
}

void frmListExport::closeEvent(QCloseEvent* event) {
  // The send ends first: closing must not pull the window away from an operation that still runs.
  if (writing_) {
    event->ignore();
    return;
  }
  unloaded_ = true;
  QDialog::closeEvent(event);
}

void frmListExport::reject() {
  if (!writing_) QDialog::reject();
}

}  // namespace kelmore::imagetool
