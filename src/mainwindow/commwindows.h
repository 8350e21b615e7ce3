// The port scan window CommScan and the comm settings window CommSettingForm.
// Layer: main window (Qt).
#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace kelmore::widgets {
class Prompter;
}

namespace kelmore::mainwindow {

// Tries COM1..COM16 and lets the user choose one. `selectedPort` is "COM1".."COM16" after Set, "" after
// Close. The scan runs when the window is shown and on Search; each port is opened and closed at once.
class CommScan : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kPorts = 16;
  explicit CommScan(QWidget* parent = nullptr);

  QString selectedPort;
  // The port the image export window's port box names ("COM3"): preselected after a scan when it is there.
  QString preselectPort;

  std::array<QRadioButton*, kPorts> optCOM{};
  std::array<QLabel*, kPorts> pathLabel{};  // the device path behind each name
  QProgressBar* Bar1 = nullptr;
  QGroupBox* frmScan = nullptr;
  QPushButton* cmdSearch = nullptr;
  QPushButton* cmdSet = nullptr;
  QPushButton* cmdClose = nullptr;

 public slots:
  void scanPorts();
  void cmdSearch_Click();
  void cmdSet_Click();
  void cmdClose_Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void updateSet();
};

// Serial settings, module address and TCP port. OK keeps the three texts only when they are valid; a
// message says what is wrong and the window stays open.
class CommSettingForm : public QDialog {
  Q_OBJECT
 public:
  CommSettingForm(widgets::Prompter& prompter, const QString& commSettingText, const QString& ipAddressText,
                  const QString& tcpPortText, QWidget* parent = nullptr);

  QLineEdit* commSetting = nullptr;
  QLineEdit* ipAddress = nullptr;
  QLineEdit* tcpPort = nullptr;
  QPushButton* OkCommandButton = nullptr;

 public slots:
  void OkCommandButton_Click();

 private:
  widgets::Prompter& prompter_;
};

}  // namespace kelmore::mainwindow
