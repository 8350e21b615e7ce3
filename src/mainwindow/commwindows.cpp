// The port scan and comm settings windows.
// Layer: main window (Qt).
#include "mainwindow/commwindows.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "mainwindow/portcheck.h"
#include "platform/comports.h"
#include "platform/serialport.h"
#include "widgets/prompter.h"

namespace kelmore::mainwindow {

CommScan::CommScan(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("ComPort Search"));
  setModal(true);
  auto* ports = new QGridLayout;
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < kPorts; ++i) {
    optCOM[i] = new QRadioButton(this);
    pathLabel[i] = new QLabel(this);
    group->addButton(optCOM[i], i);
    ports->addWidget(optCOM[i], i % 8, (i / 8) * 2);
    ports->addWidget(pathLabel[i], i % 8, (i / 8) * 2 + 1);
  }
  connect(group, &QButtonGroup::idToggled, this, [this] { updateSet(); });

  Bar1 = new QProgressBar(this);
  Bar1->setRange(0, kPorts);
  frmScan = new QGroupBox(tr("Scanning..."), this);
  auto* scanLayout = new QVBoxLayout(frmScan);
  scanLayout->addWidget(Bar1);
  frmScan->hide();

  cmdSearch = new QPushButton(tr("Search"), this);
  cmdSet = new QPushButton(tr("Set"), this);
  cmdClose = new QPushButton(tr("Close"), this);
  connect(cmdSearch, &QPushButton::clicked, this, &CommScan::cmdSearch_Click);
  connect(cmdSet, &QPushButton::clicked, this, &CommScan::cmdSet_Click);
  connect(cmdClose, &QPushButton::clicked, this, &CommScan::cmdClose_Click);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdSearch);
  buttons->addWidget(cmdSet);
  buttons->addWidget(cmdClose);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(ports);
  layout->addWidget(frmScan);
  layout->addLayout(buttons);
  updateSet();
}

void CommScan::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Once per showing, not on every activation: a scan opens every port.
  if (!event->spontaneous()) {
    repaint();
    scanPorts();
  }
}

void CommScan::scanPorts() {
  cmdSet->setEnabled(false);
  cmdClose->setEnabled(false);
  cmdSearch->setEnabled(false);
  frmScan->show();
  Bar1->setValue(0);
  for (QRadioButton* button : optCOM) {
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
  }

  const platform::SerialSettings settings;  // 38400,n,8,1 with CTS flow
  for (int i = 1; i <= kPorts; ++i) {
    QRadioButton* button = optCOM[i - 1];
    const QString name = QStringLiteral("COM%1").arg(i);
    button->setText(name + QStringLiteral(" :"));
    const auto path = platform::comDevicePath(i);
    pathLabel[i - 1]->setText(path ? QString::fromStdString(*path) : QString());
    button->setToolTip(pathLabel[i - 1]->text());
    platform::PortError error = platform::PortError::NotFound;
    if (path) {
      platform::SerialPort port;
      error = port.open(*path, settings);
      port.close();
    }
    if (error == platform::PortError::None) {
      button->setText(name + QStringLiteral(" : avilable."));
      button->setEnabled(true);
    } else if (error == platform::PortError::Busy) {
      button->setText(name + QStringLiteral(" : in use."));
      button->setEnabled(false);
    } else {
      button->setText(name + QStringLiteral(" : NOT exist."));
      button->setEnabled(false);
    }
    Bar1->setValue(i);
    Bar1->repaint();
  }
  if (optCOM[0]->isEnabled()) optCOM[0]->setChecked(true);
  const int preselect = commPortNumber(preselectPort.toStdString());
  if (preselect >= 1 && preselect <= kPorts && optCOM[preselect - 1]->isEnabled())
    optCOM[preselect - 1]->setChecked(true);

  frmScan->hide();
  cmdClose->setEnabled(true);
  cmdSearch->setEnabled(true);
  updateSet();
}

void CommScan::updateSet() {
  bool any = false;
  for (const QRadioButton* button : optCOM) any = any || (button->isChecked() && button->isEnabled());
  cmdSet->setEnabled(any && cmdSearch->isEnabled());
}

void CommScan::cmdSearch_Click() {
  scanPorts();
}

void CommScan::cmdSet_Click() {
  for (int i = 0; i < kPorts; ++i)
    if (optCOM[i]->isChecked() && optCOM[i]->isEnabled()) {
      selectedPort = QStringLiteral("COM%1").arg(i + 1);
      accept();
      return;
    }
}

void CommScan::cmdClose_Click() {
  selectedPort.clear();
  reject();
}

CommSettingForm::CommSettingForm(widgets::Prompter& prompter, const QString& commSettingText,
                                 const QString& ipAddressText, const QString& tcpPortText, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
  setWindowTitle(tr("Advanced"));
  setModal(true);
  commSetting = new QLineEdit(commSettingText, this);
  ipAddress = new QLineEdit(ipAddressText, this);
  tcpPort = new QLineEdit(tcpPortText, this);
  OkCommandButton = new QPushButton(tr("OK"), this);
  OkCommandButton->setDefault(true);
  connect(OkCommandButton, &QPushButton::clicked, this, &CommSettingForm::OkCommandButton_Click);
  auto* form = new QFormLayout;
  form->addRow(tr("Serial (baud,parity,data,stop)"), commSetting);
  form->addRow(tr("IP address"), ipAddress);
  form->addRow(tr("TCP port"), tcpPort);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(OkCommandButton, 0, Qt::AlignRight);
}

void CommSettingForm::OkCommandButton_Click() {
  const auto error = commSettingsError(commSetting->text().toStdString(), ipAddress->text().toStdString(),
                                       tcpPort->text().toStdString());
  if (error) {
    prompter_.message(this, QString::fromStdString(*error), {}, QMessageBox::Warning);
    return;
  }
  accept();
}

}  // namespace kelmore::mainwindow
