// The module choice: model, target, port and address boxes, the Port menu's port items and the module check.
// Layer: main window (Qt).
#include "mainwindow/modulechoice.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>

#include "common/models.h"
#include "mainwindow/commwindows.h"
#include "mainwindow/deviceadapter.h"
#include "mainwindow/portcheck.h"
#include "platform/comports.h"
#include "widgets/prompter.h"
#include "widgets/qtstrings.h"
#include "widgets/resstrings.h"

namespace kelmore::mainwindow {

using widgets::fromStd;
using widgets::loadResStrings;
using widgets::setResCaption;
using widgets::setResTip;

namespace {

const QColor kCheckingColour(0xC0, 0xFF, 0xC0);
const QColor kFailedColour(0xFF, 0xC0, 0xC0);

}  // namespace

QString comboText(const QComboBox* box) {
  if (box->isEditable()) return box->currentText();
  return box->currentIndex() >= 0 ? box->currentText() : box->placeholderText();
}

void setComboText(QComboBox* box, const QString& text) {
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

ModuleChoice::ModuleChoice(QWidget* window, widgets::Prompter& prompter,
                           std::function<Px5000Device&()> device)
    : QObject(window), window_(window), prompter_(prompter), device_(std::move(device)) {
  commSettingText = fromStd(kDefaultCommSetting);
  ipAddressText = fromStd(kDefaultIpAddress);
  tcpPortText = fromStd(kDefaultTcpPort);
  createBoxes();
  createActions();
}

void ModuleChoice::createBoxes() {
  cmbSeries = new QComboBox(window_);
  cmbSeries->setEditable(true);
  cmbSeries->setInsertPolicy(QComboBox::NoInsert);
  for (std::string_view model : kModelNames) cmbSeries->addItem(fromStd(model));
  setComboText(cmbSeries, fromStd(kInitialModel));

  targetList = new QComboBox(window_);
  for (std::string_view area : kTargetAreaTexts) targetList->addItem(fromStd(area));
  setResTip(targetList, 2516);
  targetList->setToolTip(QStringLiteral("Select target location"));

  commList = new QComboBox(window_);
  for (int i = 1; i <= 16; ++i) commList->addItem(QStringLiteral("COM%1").arg(i));
  commList->addItem(fromStd(kTcpItem));
  connect(commList, &QComboBox::currentIndexChanged, this, &ModuleChoice::commList_click);

  modAddList = new QComboBox(window_);
  modAddList->addItem(QString());
  for (int i = 0; i < 16; ++i)
    modAddList->addItem(QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper());
}

void ModuleChoice::createActions() {
  for (int n = 1; n <= 16; ++n) {
    const int id = n <= 9 ? 2230 + n : 2240 + n;
    const QString design = n <= 9 ? QStringLiteral("COMM &%1").arg(n) : QStringLiteral("COMM %1").arg(n);
    menuComm[n - 1] = new QAction(design, this);
    setResCaption(menuComm[n - 1], id);
    menuComm[n - 1]->setCheckable(true);
    connect(menuComm[n - 1], &QAction::triggered, this, [this, n] { menuComm_Click(n); });
  }
  menuLan = new QAction(QStringLiteral("TCP(LAN)"), this);
  setResCaption(menuLan, 2257);
  menuLan->setCheckable(true);
  connect(menuLan, &QAction::triggered, this, &ModuleChoice::menuLan_Click);
  MenuSearchPort = new QAction(QStringLiteral("ComPort Search"), this);
  setResCaption(MenuSearchPort, 2259);
  connect(MenuSearchPort, &QAction::triggered, this, &ModuleChoice::MenuSearchPort_Click);
  MenuCommSetting = new QAction(QStringLiteral("Advanced"), this);
  setResCaption(MenuCommSetting, 2260);
  connect(MenuCommSetting, &QAction::triggered, this, &ModuleChoice::MenuCommSetting_Click);
}

void ModuleChoice::addPortMenuItems(QMenu* menu) const {
  for (QAction* action : menuComm) menu->addAction(action);
  menu->addAction(menuLan);
  menu->addSeparator();
  menu->addAction(MenuSearchPort);
  menu->addAction(MenuCommSetting);
}

// ---------------------------------------------------------------------------------------------------------
// Config.dat values

ConfigValues ModuleChoice::configValues() const {
  return {comboText(commList).toStdString(), comboText(modAddList).toStdString(),
          commSettingText.toStdString(),     ipAddressText.toStdString(),
          tcpPortText.toStdString(),         comboText(targetList).toStdString(),
          comboText(cmbSeries).toStdString()};
}

void ModuleChoice::applyConfig(const ConfigValues& values) {
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
  commList_click();
}

// ---------------------------------------------------------------------------------------------------------
// Port box and Port menu

void ModuleChoice::commList_click() {
  menuCommClear();
  const int index = commList->currentIndex();
  if (index >= 0 && index < 16) menuComm[index]->setChecked(true);
  if (index == 16) menuLan->setChecked(true);
  commListToolTip();
}

void ModuleChoice::commListToolTip() {
  const PortChoice choice{comboText(commList).toStdString(),
                          {},
                          commSettingText.toStdString(),
                          ipAddressText.toStdString(),
                          tcpPortText.toStdString()};
  commList->setToolTip(QString::fromStdString(commListToolTipText(choice)));
  refreshPortPaths();
}

void ModuleChoice::refreshPortPaths() {
  // The device behind each name, shown in the port list's item tips.
  for (int n = 1; n <= 16; ++n) {
    const auto path = platform::comDevicePath(n);
    commList->setItemData(n - 1, path ? QString::fromStdString(*path) : QString(), Qt::ToolTipRole);
  }
}

void ModuleChoice::menuCommClear() {
  for (QAction* action : menuComm) action->setChecked(false);
  menuLan->setChecked(false);
}

void ModuleChoice::menuComm_Click(int n) {
  menuCommClear();
  menuComm[n - 1]->setChecked(true);
  if (commList->currentIndex() == n - 1)
    commList_click();
  else
    commList->setCurrentIndex(n - 1);
}

void ModuleChoice::menuLan_Click() {
  menuCommClear();
  menuLan->setChecked(true);
  if (commList->currentIndex() == 16)
    commList_click();
  else
    commList->setCurrentIndex(16);
}

void ModuleChoice::MenuCommSetting_Click() {
  CommSettingForm form(prompter_, commSettingText, ipAddressText, tcpPortText, window_);
  loadResStrings(&form);
  if (form.exec() != QDialog::Accepted) return;
  commSettingText = form.commSetting->text();
  ipAddressText = form.ipAddress->text();
  tcpPortText = form.tcpPort->text();
  commListToolTip();
}

void ModuleChoice::MenuSearchPort_Click() {
  CommScan scan(window_);
  loadResStrings(&scan);
  if (searchPreselect) scan.preselectPort = searchPreselect();
  scan.exec();
  for (int n = 1; n <= 16; ++n)
    if (scan.selectedPort == QStringLiteral("COM%1").arg(n)) menuComm_Click(n);
}

// ---------------------------------------------------------------------------------------------------------
// Module check

bool ModuleChoice::commCheck() {
  const PortChoice choice{comboText(commList).toStdString(), comboText(modAddList).toStdString(),
                          commSettingText.toStdString(), ipAddressText.toStdString(),
                          tcpPortText.toStdString()};
  Px5000Device& device = device_();
  configureLink(device, choice);
  setPortState(PortState::Checking);
  window_->repaint();

  const ModuleCheck check = probeModule(device, choice.port == kTcpItem);
  const QString title = QString::fromStdString(checkFailureTitle());
  const QString text = QString::fromStdString(checkFailureText(check.outcome));
  checkFailure_ = text.section(QStringLiteral("\r\n"), 0, 0);
  switch (check.outcome) {
    case CheckOutcome::Ok:
      modAddList->setToolTip(QString::fromStdString(check.moduleName));
      return true;
    case CheckOutcome::NoAnswer:
      // Stays red until the caller's commCoda.
      setPortState(PortState::Failed);
      prompter_.message(window_, text, title, QMessageBox::Critical);
      modAddList->setToolTip(QString());
      return false;
    case CheckOutcome::LanUnreachable:
    case CheckOutcome::PortUnavailable:
    case CheckOutcome::NoCts:
      setPortState(PortState::Failed);
      prompter_.message(window_, text, title, QMessageBox::Critical);
      setPortState(PortState::Rest);
      return false;
  }
  return false;
}

void ModuleChoice::commCoda() {
  setPortState(PortState::Rest);
}

void ModuleChoice::setPortState(PortState state) {
  portState_ = state;
  QPalette palette = QApplication::palette(commList);
  if (state != PortState::Rest) {
    const QColor colour = state == PortState::Checking ? kCheckingColour : kFailedColour;
    palette.setColor(QPalette::Button, colour);
    palette.setColor(QPalette::Base, colour);
  }
  commList->setPalette(palette);
}

}  // namespace kelmore::mainwindow
