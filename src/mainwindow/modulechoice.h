// ModuleChoice: which module the main window's commands reach and how. The model, target, port and
// module-address boxes, the port items of the Port menu, the comm settings, and the module check.
// Layer: main window (Qt).
//
// The boxes and actions are children of the window given at construction; the window places them. The
// check reaches the module through the device adapter the window hands over, made on first use. Message
// boxes go through the window's Prompter.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>

#include "mainwindow/configfile.h"

class QAction;
class QComboBox;
class QMenu;
class QWidget;

namespace kelmore::widgets {
class Prompter;
}

namespace kelmore::mainwindow {

class Px5000Device;

// A combo box's text: its selected item, or the text it shows when no item is selected.
QString comboText(const QComboBox* box);
// Selects the item with exactly this text, or shows the text with no item selected.
void setComboText(QComboBox* box, const QString& text);

class ModuleChoice : public QObject {
  Q_OBJECT
 public:
  ModuleChoice(QWidget* window, widgets::Prompter& prompter, std::function<Px5000Device&()> device);

  // --- boxes ---
  QComboBox* cmbSeries = nullptr;
  QComboBox* targetList = nullptr;
  QComboBox* commList = nullptr;
  QComboBox* modAddList = nullptr;

  // --- Port menu ---
  std::array<QAction*, 16> menuComm{};  // COM1..COM16
  QAction* menuLan = nullptr;
  QAction* MenuSearchPort = nullptr;
  QAction* MenuCommSetting = nullptr;
  // Adds the port items, a separator, the port search and the comm settings, in that order.
  void addPortMenuItems(QMenu* menu) const;
  // The port the search preselects after the first one: the image export window's port box.
  std::function<QString()> searchPreselect;

  // --- comm settings ---
  QString commSettingText;
  QString ipAddressText;
  QString tcpPortText;

  // The values Config.dat carries, as the boxes and settings hold them now, and the values of a file
  // applied to them (the port's check marks follow).
  ConfigValues configValues() const;
  void applyConfig(const ConfigValues& values);

  // The port box colour: checking or good, failed, or at rest (the window's own).
  enum class PortState { Rest, Checking, Failed };
  PortState portState() const { return portState_; }

  // Copies the port choice into the device and checks the link and the module; a failure is shown to the
  // user. True when the module answered.
  bool commCheck();
  void commCoda();
  // The first line of the message the last failed check showed; empty after one that passed.
  const QString& checkFailure() const { return checkFailure_; }

 public slots:
  void commList_click();
  void commListToolTip();
  void menuCommClear();
  void menuComm_Click(int n);  // 1..16
  void menuLan_Click();
  void MenuCommSetting_Click();
  void MenuSearchPort_Click();

 private:
  void createBoxes();
  void createActions();
  void setPortState(PortState state);
  void refreshPortPaths();

  QWidget* window_;
  widgets::Prompter& prompter_;
  std::function<Px5000Device&()> device_;
  PortState portState_ = PortState::Rest;
  QString checkFailure_;
};

}  // namespace kelmore::mainwindow
