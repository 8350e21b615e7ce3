// Ferrant's window: the controls at their fixed places, folder walking and the write command.
// Layer: loader (Qt Widgets).
#include "loader/qolixwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>
#include <system_error>

#include "loader/folderlist.h"
#include "loader/sender.h"

namespace kelmore::loader {

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

void messageBox(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kMessageTitle.data(), kMessageTitle.size()), text,
                  QMessageBox::Ok);
  box.exec();
}

QString fromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string currentFolder() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::current_path(error);
  return error ? std::string(".") : path.string();
}

}  // namespace

QolixWindow::QolixWindow(BytePort& port, QWidget* parent)
    : QWidget(parent), port_(port), showMessage_(messageBox) {
  setObjectName(kWindowClass);
  setWindowTitle(kStartTitle);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);
  resize(800, 300);
  createControls();
}

void QolixWindow::createControls() {
  actionButton_ = new QPushButton(this);
  actionButton_->setObjectName("actionButton");
  actionButton_->setGeometry(300, 40, 100, 30);
  connect(actionButton_, &QPushButton::clicked, this, &QolixWindow::actionButton_Click);

  portBox_ = new QComboBox(this);
  portBox_->setObjectName("portBox");
  portBox_->setGeometry(410, 40, 100, portBox_->sizeHint().height());
  portBox_->setMaxVisibleItems(kPortCount);
  for (int n = 1; n <= kPortCount; ++n) portBox_->addItem(QStringLiteral("COM%1").arg(n));
  portBox_->setCurrentIndex(0);

  fileList_ = new QListWidget(this);
  fileList_->setObjectName("fileList");
  fileList_->setGeometry(0, 30, 270, 180);
  fileList_->setSelectionMode(QAbstractItemView::SingleSelection);
  fileList_->installEventFilter(this);
  connect(fileList_, &QListWidget::itemSelectionChanged, this, &QolixWindow::fileList_Notify);
  connect(fileList_, &QListWidget::itemClicked, this, &QolixWindow::fileList_Notify);
  connect(fileList_, &QListWidget::itemDoubleClicked, this, &QolixWindow::fileList_Notify);
  fillList();

  // Stays empty until the first change of folder.
  folderLine_ = new QLineEdit(this);
  folderLine_->setObjectName("folderLine");
  folderLine_->setGeometry(0, 0, 750, 30);
}

void QolixWindow::fillList() {
  fileList_->clear();
  for (const FolderEntry& entry : listFolder(currentFolder())) {
    auto* item = new QListWidgetItem(QFile::decodeName(entry.text.c_str()), fileList_);
    item->setData(kKindRole, static_cast<int>(entry.kind));
    item->setData(kNameRole, QFile::decodeName(entry.name.c_str()));
  }
}

bool QolixWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == fileList_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
    fileList_Notify();
  }
  return QWidget::eventFilter(watched, event);
}

void QolixWindow::fileList_Notify() {
  const QList<QListWidgetItem*> selected = fileList_->selectedItems();
  if (selected.isEmpty()) return;
  const auto kind = static_cast<FolderEntry::Kind>(selected.front()->data(kKindRole).toInt());
  actionButton_->setText(kind == FolderEntry::Kind::File ? QStringLiteral("WRITE") : QStringLiteral("OPEN"));
}

void QolixWindow::actionButton_Click() {
  setWindowTitle(kPressedTitle);
  const QList<QListWidgetItem*> selected = fileList_->selectedItems();
  if (selected.isEmpty()) return;
  const auto kind = static_cast<FolderEntry::Kind>(selected.front()->data(kKindRole).toInt());
  const QByteArray name = QFile::encodeName(selected.front()->data(kNameRole).toString());

  if (kind != FolderEntry::Kind::File) {
    // A folder that can't be entered leaves the current one; the list is refilled either way.
    std::error_code error;
    std::filesystem::current_path(std::filesystem::path(name.toStdString()), error);
    fillList();
    folderLine_->setText(QFile::decodeName(currentFolder().c_str()));
    return;
  }

  if (portBox_->currentIndex() < 0) return;
  const std::string portName = portBox_->currentText().toStdString();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // The send runs inside the press; between lines the window repaints but takes no input.
  const SendResult result = writeFileToPort(name.toStdString(), portName, port_, [] {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  });
  QApplication::restoreOverrideCursor();
  showMessage_(fromView(result.message));
}

}  // namespace kelmore::loader
