// The port scan window over ports mapped to pseudo-terminals, the comm settings window, and the find
// window.
// Layer: tests (Qt).
#include "mainwindow/commwindows.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "../platform/pty.h"
#include "../widgets/qtprint.h"
#include "../widgets/scriptedprompter.h"
#include "mainwindow/clstooltip.h"
#include "mainwindow/form1.h"
#include "mainwindow/modulechoice.h"
#include "platform/paths.h"
#include "platform/serialport.h"

namespace kelmore::mainwindow {
namespace {

namespace fs = std::filesystem;

using testkit::Pty;

class CommScanTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(free.path.empty());
    held.open(busy.path, platform::SerialSettings{});
    std::ofstream(platform::configDir() / "ports.map")
        << "COM1=" << free.path << "\nCOM2=/nonexistent/tty-kelmore\nCOM3=" << busy.path << "\n";
  }
  void TearDown() override { fs::remove(platform::configDir() / "ports.map"); }

  Pty free, busy;
  platform::SerialPort held;  // keeps COM3 in use
};

TEST_F(CommScanTest, shows_each_port_state_and_its_path) {
  CommScan scan;
  scan.scanPorts();
  EXPECT_EQ(scan.optCOM[0]->text(), "COM1 : avilable.");
  EXPECT_TRUE(scan.optCOM[0]->isEnabled());
  EXPECT_EQ(scan.pathLabel[0]->text(), QString::fromStdString(free.path));
  EXPECT_EQ(scan.optCOM[1]->text(), "COM2 : NOT exist.");
  EXPECT_FALSE(scan.optCOM[1]->isEnabled());
  EXPECT_EQ(scan.optCOM[2]->text(), "COM3 : in use.");
  EXPECT_FALSE(scan.optCOM[2]->isEnabled());
  EXPECT_EQ(scan.Bar1->value(), 16);
  EXPECT_TRUE(scan.optCOM[0]->isChecked());  // preselected
  EXPECT_TRUE(scan.cmdSet->isEnabled());
  EXPECT_FALSE(scan.frmScan->isVisible());
}

TEST_F(CommScanTest, set_is_disabled_while_no_port_is_selected) {
  fs::remove(platform::configDir() / "ports.map");
  std::ofstream(platform::configDir() / "ports.map") << "COM1=/nonexistent/tty-kelmore\n";
  CommScan scan;
  scan.scanPorts();
  EXPECT_FALSE(scan.optCOM[0]->isChecked());
  bool anyChecked = false;
  for (auto* button : scan.optCOM) anyChecked = anyChecked || button->isChecked();
  EXPECT_EQ(scan.cmdSet->isEnabled(), anyChecked);
}

TEST_F(CommScanTest, scans_when_shown_not_on_activation) {
  CommScan scan;
  QString afterShow, afterActivate, afterSearch;
  QTimer::singleShot(0, [&] {
    afterShow = scan.optCOM[1]->text();
    std::ofstream(platform::configDir() / "ports.map", std::ios::trunc) << "COM2=" << free.path << "\n";
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&scan, &activate);
    afterActivate = scan.optCOM[1]->text();
    scan.cmdSearch->click();
    afterSearch = scan.optCOM[1]->text();
    scan.optCOM[1]->setChecked(true);
    scan.cmdSet->click();
  });
  EXPECT_EQ(scan.exec(), QDialog::Accepted);
  EXPECT_EQ(afterShow, "COM2 : NOT exist.");
  EXPECT_EQ(afterActivate, "COM2 : NOT exist.");
  EXPECT_EQ(afterSearch, "COM2 : avilable.");
  EXPECT_EQ(scan.selectedPort, "COM2");
}

TEST_F(CommScanTest, search_port_menu_selects_the_chosen_port_and_close_keeps_it) {
  widgets::test::ScriptedPrompter prompter;
  Form1::Options options;
  options.prompter = &prompter;
  options.splash = false;
  Form1 form(options);
  const auto chooseIn = [](bool set) {
    QTimer::singleShot(0, [set] {
      auto* scan = qobject_cast<CommScan*>(QApplication::activeModalWidget());
      ASSERT_NE(scan, nullptr);
      (set ? scan->cmdSet : scan->cmdClose)->click();
    });
  };
  form.choice().menuComm_Click(5);
  chooseIn(false);
  form.choice().MenuSearchPort_Click();
  EXPECT_EQ(form.choice().commList->currentText(), "COM5");
  chooseIn(true);
  form.choice().MenuSearchPort_Click();
  EXPECT_EQ(form.choice().commList->currentText(), "COM1");
  EXPECT_TRUE(form.choice().menuComm[0]->isChecked());
  EXPECT_FALSE(form.choice().menuComm[4]->isChecked());
}

struct SettingsRun {
  const char* name;
  const char* setting;
  const char* ip;
  const char* port;
  const char* message;  // "" when accepted
};

const SettingsRun kSettingsRuns[] = {
    {"good", "9600,e,7,2", "10.0.0.8", "2000", ""},
    {"bad_settings", "9600,e,7", "10.0.0.8", "2000", "Wrong Comm setting. (baud,parity,data,stop)"},
    {"quote_in_address", "9600,e,7,2", "10.0.0.8\"", "2000", "Wrong IP address."},
    {"port_out_of_range", "9600,e,7,2", "10.0.0.8", "70000", "Wrong TCP port. (1-65535)"},
};

class SettingsWindow : public testing::TestWithParam<SettingsRun> {};

TEST_P(SettingsWindow, ok_keeps_only_valid_texts) {
  const auto& run = GetParam();
  widgets::test::ScriptedPrompter prompter;
  Form1::Options options;
  options.prompter = &prompter;
  options.splash = false;
  Form1 form(options);
  form.choice().commList->setCurrentIndex(16);
  form.choice().commListToolTip();
  bool stayedOpen = false;
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<CommSettingForm*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->commSetting->text(), "38400,n,8,1");
    window->commSetting->setText(run.setting);
    window->ipAddress->setText(run.ip);
    window->tcpPort->setText(run.port);
    window->OkCommandButton->click();
    stayedOpen = window->isVisible();
    if (stayedOpen) window->reject();
  });
  form.choice().MenuCommSetting_Click();
  if (std::string_view(run.message).empty()) {
    EXPECT_FALSE(stayedOpen);
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(form.choice().commSettingText, run.setting);
    EXPECT_EQ(form.choice().commList->toolTip(), QString(run.ip) + ":" + run.port);
  } else {
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, run.message);
    EXPECT_EQ(form.choice().commSettingText, "38400,n,8,1");
    EXPECT_EQ(form.choice().ipAddressText, "192.168.1.100");
    EXPECT_EQ(form.choice().tcpPortText, "10000");
  }
}

INSTANTIATE_TEST_SUITE_P(comm, SettingsWindow, testing::ValuesIn(kSettingsRuns),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindWindow, find_and_find_next_select_each_hit_in_turn) {
  QPlainTextEdit source;
  source.setPlainText("Print a\nPrint b\nCls");
  frmSearch find(&source);
  find.txtFind->setText("Print");
  EXPECT_TRUE(find.cmdFind_Click());
  EXPECT_EQ(source.textCursor().selectionStart(), 0);
  EXPECT_TRUE(find.cmdFindNext_Click());
  EXPECT_EQ(source.textCursor().selectionStart(), 8);
  EXPECT_EQ(source.textCursor().selectedText(), "Print");
  EXPECT_TRUE(find.cmdFindNext_Click());  // starts over at the top
  EXPECT_EQ(source.textCursor().selectionStart(), 0);
  find.txtFind->setText("Line");
  EXPECT_FALSE(find.cmdFind_Click());
  EXPECT_EQ(source.textCursor().selectionStart(), 0);
}

TEST(Tooltip, shows_only_between_create_and_destroy) {
  QWidget control;
  clsTooltip tip;
  tip.SetToolTipParam("before", {1, 1});
  EXPECT_EQ(tip.text(), "");
  tip.CreateToolTip(&control);
  tip.SetToolTipParam("Cursor x,y", {3, 4});
  EXPECT_EQ(tip.text(), "Cursor x,y");
  tip.DestroyToolTip();
  EXPECT_FALSE(tip.created());
  tip.SetToolTipParam("after", {1, 1});
  EXPECT_EQ(tip.text(), "");
}

}  // namespace
}  // namespace kelmore::mainwindow
