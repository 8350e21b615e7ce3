// The main window offscreen: start-up order, Config.dat, check marks, the port box, the compile command,
// the command guards and localisation.
// Layer: tests (Qt).
#include "mainwindow/compilerviews.h"
#include "mainwindow/form1.h"
#include "mainwindow/modulechoice.h"
#include "widgets/operationguard.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <utility>

#include "../common/tempfolder.h"
#include "../platform/pty.h"
#include "../widgets/qtprint.h"
#include "../widgets/scriptedprompter.h"
#include "common/codetext.h"
#include "common/numbers.h"
#include "link/px5000.h"
#include "mainwindow/clstooltip.h"
#include "mainwindow/helpwindow.h"
#include "mainwindow/progressform.h"
#include "mainwindow/toolbar.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::mainwindow {
namespace {

using widgets::test::ScriptedPrompter;
namespace fs = std::filesystem;

fs::path configFile() {
  return platform::configDir() / "Config.dat";
}
fs::path portsMap() {
  return platform::configDir() / "ports.map";
}

void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string readFile(const fs::path& path) {
  return platform::readRegularFile(path, 1 << 20).bytes;
}

std::string config22(const std::string& port, const std::string& target, const std::string& model = "PX-D") {
  return "\"kelmor22\"\r\n\"*** Interface ***\"\r\n\"" + port +
         "\"\r\n\"\"\r\n\"38400,n,8,1\"\r\n\"10.0.0.2\"\r\n" + "\"10000\"\r\n\"*** module ***\"\r\n\"" +
         target + "\"\r\n\"" + model + "\"\r\n";
}

class Form1Test : public testing::Test {
 protected:
  void SetUp() override {
    fs::remove(configFile());
    fs::remove(portsMap());
  }
  void TearDown() override {
    fs::remove(configFile());
    fs::remove(portsMap());
  }

  std::unique_ptr<Form1> start(QStringList arguments = {QStringLiteral("kelmore")}) {
    Form1::Options options;
    options.arguments = arguments;
    options.prompter = &prompter;
    options.splash = false;
    auto form = std::make_unique<Form1>(options);
    form->Form_Load();
    return form;
  }

  // The index of the only checked action, -1 when none is, -2 when more are.
  template <std::size_t N>
  static int checkedIndex(const std::array<QAction*, N>& actions) {
    int found = -1;
    for (std::size_t i = 0; i < N; ++i)
      if (actions[i]->isChecked()) found = found == -1 ? static_cast<int>(i) : -2;
    return found;
  }

  ScriptedPrompter prompter;
};

TEST_F(Form1Test, start_up_shows_the_about_box_first_then_the_window) {
  writeFile(configFile(), config22("COM4", "FROM Macro2"));
  Form1::Options options;
  options.prompter = &prompter;
  options.splashMs = 30;
  options.arguments = {QStringLiteral("kelmore")};
  Form1 form(options);
  bool sawSplash = false;
  QTimer::singleShot(0, [&] {
    auto* splash = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    ASSERT_NE(splash, nullptr);
    sawSplash = true;
    EXPECT_EQ(splash->Label1->text(), "Ver4.4.3");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(comboText(form.choice().commList), "COM1");  // Config.dat not read yet
  });
  form.Form_Load();
  EXPECT_TRUE(sawSplash);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(comboText(form.choice().commList), "COM4");
  EXPECT_EQ(form.windowTitle(), "Macro-EditorNew.tvr");
  EXPECT_EQ(form.source->toPlainText(), "Type souce code here.");
  EXPECT_FALSE(form.fileMenu->files().isChanged());
  EXPECT_EQ(form.compiledSource, "");
  EXPECT_EQ(form.memMacroMem, "MacroMem");
  EXPECT_EQ(form.memGPFRom2, "GPFRom2");
  EXPECT_EQ(form.memMemSw, "MemSw");
  EXPECT_EQ(form.views().ListViewLabel->headerItem()->text(2), "Add");
  EXPECT_EQ(form.views().ListViewRoutine->headerItem()->text(1), "Argument");
  EXPECT_EQ(form.helpFile(), "HELP.HLP");
}

TEST_F(Form1Test, the_about_box_closes_on_a_click) {
  auto* box = new Dialog(nullptr, 60'000);  // deletes itself when it closes
  QTimer::singleShot(0, [box] {
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(box, &click);
  });
  EXPECT_EQ(box->exec(), QDialog::Accepted);
}

TEST_F(Form1Test, help_about_shows_a_new_about_box_each_time) {
  auto form = start();
  QStringList versions;
  for (int i = 0; i < 2; ++i) {
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      versions << box->Label1->text();
      box->Timer1_Timer();
    });
    form->menuVersion->trigger();
  }
  EXPECT_EQ(versions, QStringList({"Ver4.4.3", "Ver4.4.3"}));
  EXPECT_EQ(form->menuVersion->text(), "&About");
}

TEST_F(Form1Test, boxes_without_a_title_carry_the_application_title) {
  widgets::QtPrompter real;
  QString title, text;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(real.ask(nullptr, QMessageBox::NoIcon, {}, "Code is not generated.", QMessageBox::Ok),
            QMessageBox::Ok);
  EXPECT_EQ(title, "Kelmore");
  EXPECT_EQ(text, "Code is not generated.");
}

// Works in a folder while it lives, then goes back where it was.
struct InFolder {
  explicit InFolder(const fs::path& folder) { fs::current_path(folder); }
  ~InFolder() { fs::current_path(before); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;
  const fs::path before = fs::current_path();
};

TEST_F(Form1Test, a_tvr_argument_is_opened_made_absolute) {
  // The argument is relative to the current folder: for the test, a folder of its own.
  const testkit::TempFolder folder;
  const InFolder inside(folder.path());
  fs::create_directories("sub");
  writeFile("sub/Prog.TVR", "print 1\r\n");
  Form1::Options options;
  options.arguments = {QStringLiteral("kelmore"), QStringLiteral("sub/Prog.TVR")};
  options.prompter = &prompter;
  options.splash = false;
  Form1 form(options);
  form.Form_Load();
  const QString expected = QString::fromStdString((fs::current_path() / "sub/Prog.TVR").string());
  EXPECT_EQ(form.windowTitle(), "Macro-Editor" + expected);
  EXPECT_EQ(form.source->toPlainText(), "Print 1\n");
}

TEST_F(Form1Test, close_asks_about_an_edited_text_then_writes_tmp_tvr) {
  auto form = start();
  form->source->setPlainText("x = 1");
  prompter.answers.push_back(QMessageBox::Cancel);
  EXPECT_FALSE(form->close());
  prompter.answers.push_back(QMessageBox::No);
  EXPECT_TRUE(form->close());
  std::ifstream in(platform::dataDir() / "TMP.tvr", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "x = 1");
}

TEST_F(Form1Test, a_config_that_cannot_be_written_at_exit_is_reported) {
  auto form = start();
  fs::remove(configFile());
  fs::create_directories(configFile() / "in-the-way");  // a folder where the file goes
  prompter.boxes.clear();
  EXPECT_TRUE(form->close());
  ASSERT_EQ(prompter.texts().size(), 1);
  EXPECT_TRUE(prompter.texts().front().contains("Config.dat")) << prompter.texts().front().toStdString();
  fs::remove_all(configFile());
}

TEST_F(Form1Test, a_config_that_is_no_regular_file_is_reported_and_read_as_absent) {
  const auto makeFifo = [] { ASSERT_EQ(::mkfifo(configFile().c_str(), 0600), 0); };
  const auto linkToZero = [] { fs::create_symlink("/dev/zero", configFile()); };
  for (const auto& make : {std::function<void()>(makeFifo), std::function<void()>(linkToZero)}) {
    fs::remove(configFile());
    make();
    prompter.boxes.clear();
    auto form = start();  // neither blocks nor reads without end
    ASSERT_FALSE(prompter.texts().empty());
    EXPECT_EQ(prompter.texts().front().toStdString(), configFile().string() + ": not a regular file");
    EXPECT_EQ(comboText(form->choice().commList), "COM1");  // the defaults of a missing file
  }
  fs::remove(configFile());
}

TEST_F(Form1Test, loaded_config_moves_the_check_marks) {
  writeFile(configFile(), config22("COM12", "FROM Macro3"));
  auto form = start();
  EXPECT_EQ(form->choice().commList->currentIndex(), 11);
  EXPECT_EQ(checkedIndex(form->choice().menuComm), 11);
  EXPECT_FALSE(form->choice().menuLan->isChecked());
  EXPECT_EQ(form->choice().targetList->currentIndex(), 3);
  EXPECT_EQ(checkedIndex(form->menuRewrite), 3);
  EXPECT_EQ(checkedIndex(form->menuStart), 3);
  EXPECT_EQ(checkedIndex(form->menuAuto), 3);
  EXPECT_EQ(form->choice().cmbSeries->currentText(), "PX-D");
  EXPECT_EQ(form->choice().cmbSeries->currentIndex(), 5);
}

TEST_F(Form1Test, a_value_that_names_no_item_is_shown_with_no_item_selected) {
  writeFile(configFile(), config22("", "FROM Macro9", "LN-B"));
  auto form = start();
  EXPECT_EQ(comboText(form->choice().commList), "COM0");
  EXPECT_EQ(form->choice().commList->currentIndex(), -1);
  EXPECT_EQ(checkedIndex(form->choice().menuComm), -1);
  EXPECT_FALSE(form->choice().menuLan->isChecked());
  EXPECT_EQ(comboText(form->choice().targetList), "FROM Macro9");
  EXPECT_EQ(checkedIndex(form->menuRewrite), -1);
  EXPECT_EQ(form->choice().cmbSeries->currentText(), "LN-B");
}

TEST_F(Form1Test, kelmor10_keeps_the_design_model_and_resets_the_settings) {
  writeFile(configFile(), "\"kelmor10\"\r\n\"l\"\r\n\"TCP\"\r\n\"l\"\r\n\"RAM Macro\"\r\n");
  auto form = start();
  EXPECT_EQ(form->choice().cmbSeries->currentText(), "PX-5200");
  EXPECT_EQ(form->choice().commSettingText, "38400,n,8,1");
  EXPECT_TRUE(form->choice().menuLan->isChecked());
  EXPECT_EQ(form->choice().commList->toolTip(), "192.168.1.100:10000");
  EXPECT_EQ(checkedIndex(form->menuAuto), 0);  // "None"
}

TEST_F(Form1Test, no_config_file_starts_on_com1_and_exit_writes_it) {
  auto form = start();
  EXPECT_EQ(comboText(form->choice().commList), "COM1");
  EXPECT_EQ(comboText(form->choice().targetList), "FROM Macro1");
  EXPECT_EQ(form->choice().cmbSeries->currentText(), "PX-*");
  form->choice().menuComm_Click(7);
  form->choice().modAddList->setCurrentIndex(11);
  form->close();
  EXPECT_EQ(readFile(configFile()),
            "\"kelmor22\"\r\n\"*** Interface "
            "***\"\r\n\"COM7\"\r\n\"0A\"\r\n\"38400,n,8,1\"\r\n\"192.168.1.100\"\r\n"
            "\"10000\"\r\n\"*** module ***\"\r\n\"FROM Macro1\"\r\n\"PX-*\"\r\n");
}

TEST_F(Form1Test, port_menu_and_port_box_agree) {
  auto form = start();
  form->choice().menuComm_Click(12);
  EXPECT_EQ(form->choice().commList->currentText(), "COM12");
  EXPECT_EQ(checkedIndex(form->choice().menuComm), 11);
  EXPECT_EQ(form->choice().commList->toolTip(), "38400,n,8,1");
  form->choice().commList->setCurrentIndex(16);
  EXPECT_TRUE(form->choice().menuLan->isChecked());
  EXPECT_EQ(checkedIndex(form->choice().menuComm), -1);
  EXPECT_EQ(form->choice().commList->toolTip(), "192.168.1.100:10000");
  form->choice().menuComm[2]->trigger();
  EXPECT_EQ(form->choice().commList->currentText(), "COM3");
  EXPECT_FALSE(form->choice().menuLan->isChecked());
}

TEST_F(Form1Test, port_items_show_the_device_behind_each_name) {
  const testkit::Pty pty;
  ASSERT_FALSE(pty.path.empty());
  writeFile(portsMap(), "COM2=" + pty.path + "\n");
  auto form = start();
  EXPECT_EQ(form->choice().commList->itemData(1, Qt::ToolTipRole).toString(),
            QString::fromStdString(pty.path));
}

TEST_F(Form1Test, the_source_pane_keeps_its_wider_left_margin) {
  auto form = start();
  const auto leftMargin = [&] {
    return form->source->viewport()->geometry().left() - form->source->frameWidth();
  };
  EXPECT_EQ(leftMargin(), 8);
  form->source->setPlainText("Sub Start()\nEnd Sub");
  EXPECT_EQ(leftMargin(), 8);
}

TEST_F(Form1Test, target_box_moves_the_three_submenus) {
  auto form = start();
  form->choice().targetList->setCurrentIndex(0);
  EXPECT_EQ(checkedIndex(form->menuRewrite), 0);
  EXPECT_EQ(checkedIndex(form->menuStart), 0);
  EXPECT_EQ(checkedIndex(form->menuAuto), 0);
  EXPECT_EQ(form->menuAuto[0]->text(), "&None");
  form->choice().targetList->setCurrentIndex(4);
  EXPECT_EQ(checkedIndex(form->menuRewrite), 4);
}

TEST_F(Form1Test, choosing_the_checked_area_again_keeps_its_marks) {
  writeFile(portsMap(), "COM1=/nonexistent/tty-kelmore\n");
  auto form = start();
  form->choice().menuComm_Click(1);
  form->views().setCodeText("41 ");
  for (auto family : {&Form1::menuRewrite, &Form1::menuStart, &Form1::menuAuto}) {
    const std::array<QAction*, 5>& items = (*form).*family;
    items[2]->trigger();
    items[2]->trigger();  // already checked: the trigger itself takes the mark away first
    EXPECT_EQ(form->choice().targetList->currentIndex(), 2);
    EXPECT_EQ(checkedIndex(form->menuRewrite), 2);
    EXPECT_EQ(checkedIndex(form->menuStart), 2);
    EXPECT_EQ(checkedIndex(form->menuAuto), 2);
  }
}

TEST_F(Form1Test, a_port_that_does_not_exist_fails_the_check_with_the_port_message) {
  writeFile(portsMap(), "COM2=/nonexistent/tty-kelmore\n");
  auto form = start();
  form->choice().menuComm_Click(2);
  std::vector<ModuleChoice::PortState> seen;
  prompter.onBox = [&](const widgets::test::Box&) { seen.push_back(form->choice().portState()); };
  form->MenuPortCheck_Click();
  ASSERT_EQ(prompter.boxes.size(), 1u);
  EXPECT_EQ(prompter.boxes[0].title, "Comm Error");
  EXPECT_EQ(prompter.boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(prompter.boxes[0].text, "No avail port.\r\nor Another application using.");
  // The status bar keeps the outcome until the next command.
  EXPECT_TRUE(form->progress().isVisible());
  EXPECT_EQ(form->progress().text(), "Port Check: No avail port.");
  EXPECT_EQ(seen, std::vector<ModuleChoice::PortState>{ModuleChoice::PortState::Failed});
  EXPECT_EQ(form->choice().portState(), ModuleChoice::PortState::Rest);
  EXPECT_EQ(form->choice().commList->palette().color(QPalette::Button),
            QApplication::palette(form->choice().commList).color(QPalette::Button));
}

// ---------------------------------------------------------------------------------------------------------
// The status bar's outcome line

// A window on a port that does not exist, whose status bar holds the outcome of a failed Port Check.
class OutcomeLine : public Form1Test {
 protected:
  std::unique_ptr<Form1> startWithAnOutcome() {
    writeFile(portsMap(), "COM1=/nonexistent/tty-kelmore\n");
    auto form = start();
    form->choice().menuComm_Click(1);
    form->MenuPortCheck_Click();
    EXPECT_EQ(form->progress().text(), "Port Check: No avail port.");
    prompter.boxes.clear();
    return form;
  }
};

// A command refused before it starts puts its own outcome in place of the last one.
struct RefusalCase {
  const char* name;
  std::function<void(Form1&)> command;
  const char* line;
  const char* box;
};
void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<RefusalCase>& refusals() {
  static const std::vector<RefusalCase> cases = {
      {"rewrite_without_code", [](Form1& form) { form.menuRewrite_Click(0); },
       "ReWrite RAM Macro: Code is not generated.", "Code is not generated."},
      {"rewrite_beyond_the_capacity",
       [](Form1& form) {
         form.choice().cmbSeries->setCurrentText("PX-5200");
         form.choice().targetList->setCurrentIndex(0);
         form.views().setCodeText(std::string(257 * 3, '0'));
         form.Rewrite();
       },
       "ReWrite RAM Macro: The code cannot be executed.(Exceed RAM capacity:256Byte",
       "The code cannot be executed.(Exceed RAM capacity:256Byte"},
      {"rewrite_without_a_target",
       [](Form1& form) {
         setComboText(form.choice().targetList, "FROM Macro9");
         form.views().setCodeText("41 ");
         form.Rewrite();
       },
       "ReWrite FROM Macro9: Target is not selected.", "Target is not selected."},
      {"run_without_a_target",
       [](Form1& form) {
         setComboText(form.choice().targetList, "FROM Macro9");
         form.Start();
       },
       "Run FROM Macro9: Target is not selected.", "Target is not selected."},
      {"auto_execute_without_a_target",
       [](Form1& form) {
         setComboText(form.choice().targetList, "FROM Macro9");
         form.AutoExec();
       },
       "Auto Execute FROM Macro9: Target is not selected.", "Target is not selected."},
  };
  return cases;
}

class Refusal : public OutcomeLine, public testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, replaces_the_last_outcome) {
  auto form = startWithAnOutcome();
  GetParam().command(*form);
  EXPECT_EQ(prompter.texts(), QStringList{GetParam().box});
  EXPECT_TRUE(form->progress().isVisible());
  EXPECT_EQ(form->progress().text(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(form1, Refusal, testing::ValuesIn(refusals()),
                         [](const auto& i) { return std::string(i.param.name); });

// What changes the source, the code or the boxes a command ran with takes its outcome line away.
struct ClearingCase {
  const char* name;
  std::function<void(Form1&, ScriptedPrompter&)> action;
};
void PrintTo(const ClearingCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<ClearingCase>& clearings() {
  static const std::vector<ClearingCase> cases = {
      {"compile", [](Form1& form, ScriptedPrompter&) { form.menuCompilego_Click(); }},
      {"new", [](Form1& form, ScriptedPrompter&) { form.fileMenu->menuWhite->trigger(); }},
      {"template", [](Form1& form, ScriptedPrompter&) { form.fileMenu->menuTemplate2->trigger(); }},
      {"open",
       [](Form1& form, ScriptedPrompter& prompter) {
         const fs::path file = platform::dataDir() / "outcome-open.tvr";
         writeFile(file, "Sub Start()\r\nEnd Sub\r\n");
         prompter.fileNames << QString::fromStdString(file.string());
         form.fileMenu->menuOpen->trigger();
         EXPECT_EQ(form.source->sourceText(), "Sub Start()\nEnd Sub\n");
         fs::remove(file);
       }},
      {"port_box", [](Form1& form, ScriptedPrompter&) { form.choice().menuComm_Click(2); }},
      {"model_box",
       [](Form1& form, ScriptedPrompter&) { form.choice().cmbSeries->setCurrentText("PX-5200"); }},
      {"target_box", [](Form1& form, ScriptedPrompter&) { form.choice().targetList->setCurrentIndex(2); }},
  };
  return cases;
}

class Clearing : public OutcomeLine, public testing::WithParamInterface<ClearingCase> {};

TEST_P(Clearing, takes_the_outcome_line_away) {
  auto form = startWithAnOutcome();
  GetParam().action(*form, prompter);
  EXPECT_FALSE(form->progress().isVisible());
  EXPECT_EQ(form->progress().text(), "");
}

INSTANTIATE_TEST_SUITE_P(form1, Clearing, testing::ValuesIn(clearings()),
                         [](const auto& i) { return std::string(i.param.name); });

// Empty, running, waiting with its bar, or holding an outcome: the status bar keeps one height and the
// panes above it stand still.
TEST_F(Form1Test, the_status_bar_keeps_its_height_through_a_command) {
  writeFile(portsMap(), "COM1=/nonexistent/tty-kelmore\n");
  auto form = start();
  form->choice().menuComm_Click(1);
  const auto layout = [&] {
    QApplication::processEvents();
    return std::pair(form->statusBar()->height(), form->centralWidget()->geometry());
  };
  const auto idle = layout();
  std::vector<std::pair<int, QRect>> during;
  prompter.onBox = [&](const widgets::test::Box&) {
    during.push_back(layout());
    form->operations().waitBegins(link::LinkWait::Reply,
                                  link::LinkEnv::Clock::now() + std::chrono::seconds(2));
    during.push_back(layout());
    EXPECT_GT(form->progress().barMaximum(), 0);
    form->operations().waitEnds();
  };
  form->MenuPortCheck_Click();
  ASSERT_EQ(during.size(), 2u);
  EXPECT_EQ(during[0], idle) << "running";
  EXPECT_EQ(during[1], idle) << "waiting";
  EXPECT_EQ(layout(), idle) << "outcome";
  EXPECT_EQ(form->progress().text(), "Port Check: No avail port.");
}

TEST_F(Form1Test, a_module_address_no_frame_can_carry_fails_the_check_and_leaves_the_link_closed) {
  const testkit::Pty pty;
  ASSERT_FALSE(pty.path.empty());
  writeFile(portsMap(), "COM1=" + pty.path + "\n");
  writeFile(configFile(),
            "\"kelmor22\"\r\n\"*** Interface ***\"\r\n\"COM1\"\r\n\"999\"\r\n\"38400,n,8,1\"\r\n"
            "\"10.0.0.2\"\r\n\"10000\"\r\n\"*** module ***\"\r\n\"RAM Macro\"\r\n\"PX-5200\"\r\n");
  auto form = start();
  EXPECT_EQ(comboText(form->choice().modAddList), "999");
  form->Start();
  form->Start();  // not turned away by a link the first check left open
  ASSERT_EQ(prompter.boxes.size(), 2u);
  EXPECT_TRUE(prompter.boxes[1].text.startsWith("Responce Error!\r\n"));
  EXPECT_FALSE(form->PX().isOpen());
  EXPECT_EQ(form->choice().portState(), ModuleChoice::PortState::Rest);
}

TEST_F(Form1Test, tcp_check_shows_the_lan_message) {
  auto form = start();
  // An address of blanks reaches nothing, and the check sends nothing off this machine.
  form->choice().ipAddressText = "   ";
  form->choice().menuLan_Click();
  form->Start();
  ASSERT_EQ(prompter.boxes.size(), 1u);
  EXPECT_EQ(
      prompter.boxes[0].text,
      "Address Not Available.\r\n Wrong Address\r\n LAN Cable disconnected\r\n No Power of LAN Adapter\r\n"
      "or other.");
  EXPECT_FALSE(form->tbStart->isChecked());
  EXPECT_FALSE(form->PX().isOpen());
}

TEST_F(Form1Test, device_commands_are_disabled_while_one_runs_and_close_waits_for_it) {
  writeFile(portsMap(), "COM1=/nonexistent/tty-kelmore\n");
  auto form = start();
  form->choice().menuComm_Click(1);
  bool closedDuringCommand = true;
  prompter.onBox = [&](const widgets::test::Box&) {
    EXPECT_TRUE(form->deviceBusy());
    EXPECT_FALSE(form->menuRewrite[0]->isEnabled());
    EXPECT_FALSE(form->menuStart[2]->isEnabled());
    EXPECT_FALSE(form->menuAuto[4]->isEnabled());
    EXPECT_FALSE(form->MenuPortCheck->isEnabled());
    EXPECT_FALSE(form->tbAutoExec->isEnabled());
    form->close();
    closedDuringCommand = !form->isVisible();
  };
  form->AutoExec();
  EXPECT_FALSE(closedDuringCommand);
  EXPECT_FALSE(form->isVisible());  // closed once the command ended
  EXPECT_TRUE(form->menuAuto[1]->isEnabled());
  EXPECT_FALSE(form->deviceBusy());
}

TEST_F(Form1Test, a_dropped_file_and_a_compile_wait_for_the_operation_to_end) {
  writeFile(portsMap(), "COM1=/nonexistent/tty-kelmore\n");
  const fs::path dropped = platform::dataDir() / "dropped.tvr";
  writeFile(dropped, "Sub Dropped()\r\nEnd Sub\r\n");
  auto form = start();
  form->choice().menuComm_Click(1);
  const QString before = form->source->toPlainText();
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped.string()))});
  // A drop goes to the widget that took the drag as it entered.
  const auto enter = [&] {
    QDragEnterEvent event(QPoint(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &event);
    return event.isAccepted();
  };
  const auto drop = [&] {
    QDropEvent event(QPointF(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &event);
  };
  ASSERT_TRUE(enter());  // a drag that began before the operation
  bool enteredDuringOperation = true;
  QString duringOperation;
  bool acted = false;
  prompter.onBox = [&](const widgets::test::Box&) {
    if (std::exchange(acted, true)) return;  // the check's box only
    enteredDuringOperation = enter();
    drop();
    form->menuCompilego_Click();
    duringOperation = form->source->toPlainText();
  };
  form->Start();
  ASSERT_EQ(prompter.boxes.size(), 1u) << prompter.texts().join("|").toStdString();
  EXPECT_FALSE(enteredDuringOperation);
  EXPECT_EQ(duringOperation, before);
  EXPECT_TRUE(form->logWindow()->logText().isEmpty()) << form->logWindow()->logText().toStdString();
  prompter.onBox = nullptr;
  ASSERT_TRUE(enter());
  drop();
  EXPECT_EQ(form->source->toPlainText(), "Sub Dropped()\nEnd Sub\n")
      << prompter.texts().join("|").toStdString();
  fs::remove(dropped);
}

TEST_F(Form1Test, commands_return_at_once_while_the_link_is_open) {
  writeFile(portsMap(), "COM1=/nonexistent/tty-kelmore\n");
  auto form = start();
  form->choice().menuComm_Click(1);
  form->views().setCodeText("41 ");
  form->PX().ifOpenf = -1;  // a transfer is under way
  form->Rewrite();
  form->Start();
  form->AutoExec();
  form->MenuPortCheck_Click();
  EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join("|").toStdString();
  EXPECT_EQ(form->choice().portState(), ModuleChoice::PortState::Rest);
  EXPECT_FALSE(form->tbStart->isChecked());
  form->PX().ifOpenf = 0;
}

TEST_F(Form1Test, no_target_area_sends_nothing) {
  writeFile(configFile(), config22("COM1", "FROM Macro9"));
  auto form = start();
  form->Start();
  form->AutoExec();
  form->views().setCodeText("41 ");
  form->Rewrite();
  EXPECT_EQ(prompter.texts(),
            QStringList({"Target is not selected.", "Target is not selected.", "Target is not selected."}));
  EXPECT_EQ(form->choice().portState(), ModuleChoice::PortState::Rest);
}

TEST_F(Form1Test, rewrite_without_code_and_with_too_much_code) {
  auto form = start();
  form->Rewrite();
  ASSERT_EQ(prompter.boxes.size(), 1u);
  EXPECT_EQ(prompter.boxes[0].text, "Code is not generated.");
  EXPECT_EQ(prompter.boxes[0].title, "");
  EXPECT_EQ(form->logWindow()->logText(), " error:Code is not generated.\r\n");

  form->choice().cmbSeries->setCurrentText("PX-5200");
  form->choice().targetList->setCurrentIndex(0);
  form->views().setCodeText(std::string(257 * 3, '0'));
  form->Rewrite();
  ASSERT_EQ(prompter.boxes.size(), 2u);
  EXPECT_EQ(prompter.boxes[1].text, "The code cannot be executed.(Exceed RAM capacity:256Byte");
  EXPECT_TRUE(form->logWindow()->logText().endsWith(
      " error:The code cannot be executed.(Exceed RAM capacity:256Byte\r\n"));
  EXPECT_FALSE(form->tbRewrite->isChecked());
}

TEST_F(Form1Test, model_directive_sets_the_model_or_complains) {
  auto form = start();
  form->source->setPlainText("Sub Start()\n  PXSeries = \"QT-R500\"\nEndSub");
  form->checkSeries();
  EXPECT_EQ(form->choice().cmbSeries->currentText(), "QT-R500");
  EXPECT_EQ(form->choice().cmbSeries->currentIndex(), 6);
  EXPECT_TRUE(prompter.boxes.empty());
  form->source->setPlainText("PXSeries = x");
  form->checkSeries();
  ASSERT_EQ(prompter.boxes.size(), 1u);
  EXPECT_EQ(prompter.boxes[0].text, "PX Series name Error");
  EXPECT_EQ(form->choice().cmbSeries->currentText(), "QT-R500");
}

TEST_F(Form1Test, compile_remembers_only_a_source_that_compiled) {
  auto form = start();
  const QString good = "Sub Start()\nSleep 10\nEnd Sub";
  form->source->setPlainText(good);
  form->menuCompilego_Click();
  EXPECT_EQ(form->logWindow()->windowTitle(), "Compile completed.")
      << form->logWindow()->logText().toStdString();
  EXPECT_FALSE(form->views().code->toPlainText().isEmpty());
  EXPECT_FALSE(form->views().mnemonic->toPlainText().isEmpty());
  EXPECT_EQ(form->compiledSource, good);
  EXPECT_TRUE(form->logWindow()->CndClose->isVisible());
  EXPECT_FALSE(form->tbCompile->isChecked());

  prompter.boxes.clear();
  form->source->setPlainText("Sub Start()\nIf a = 1 Then\nEnd Sub");
  form->menuCompilego_Click();
  EXPECT_EQ(form->logWindow()->windowTitle(), "Compile failed.");
  EXPECT_TRUE(form->logWindow()->logText().contains(" error:"));
  EXPECT_EQ(form->compiledSource, good);
}

// A failed compile leaves no address: the boxes read as an empty code pane leaves them.
TEST_F(Form1Test, a_failed_compile_leaves_the_address_boxes_without_an_address) {
  auto form = start();
  form->source->setPlainText("Sub Start()\nSleep 10\nEnd Sub");
  form->menuCompilego_Click();
  QTest::keyClick(form->views().code, Qt::Key_End, Qt::ShiftModifier);
  ASSERT_NE(form->views().addText->text(), "Add:");
  ASSERT_NE(form->views().raddText->text(), "RAdd:");
  form->source->setPlainText("Sub Start()\nIf a = 1 Then\nEnd Sub");
  form->menuCompilego_Click();
  ASSERT_EQ(form->logWindow()->windowTitle(), "Compile failed.");
  EXPECT_EQ(form->views().addText->text(), "Add:");
  EXPECT_EQ(form->views().raddText->text(), "RAdd:");
}

// The compile log counts the lines of a template as its load message does.
TEST_F(Form1Test, the_log_counts_the_lines_the_load_message_counts) {
  auto form = start();
  for (QAction* templ : {form->fileMenu->menuTemplate1, form->fileMenu->menuTemplate2}) {
    prompter.boxes.clear();
    templ->trigger();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    const QString loaded = prompter.boxes[0].text;
    ASSERT_TRUE(loaded.endsWith(" lines loaded.")) << loaded.toStdString();
    form->menuCompilego_Click();
    EXPECT_TRUE(form->logWindow()->logText().contains(" Number of line of source code." +
                                                      loaded.section(QLatin1Char(' '), 0, 0) + "\r\n"))
        << loaded.toStdString() << "\n"
        << form->logWindow()->logText().toStdString();
  }
}

TEST_F(Form1Test, the_row_box_follows_the_line_a_failed_compile_marks) {
  auto form = start();
  form->source->setPlainText("Sub Start()\nSleep 10\nIf a = 1 Then\nEnd Sub");
  QTest::mouseClick(form->source->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
  ASSERT_EQ(form->rowText->text(), "Row:1");
  form->menuCompilego_Click();
  ASSERT_EQ(form->logWindow()->windowTitle(), "Compile failed.");
  const QTextCursor marked = form->source->textCursor();
  ASSERT_TRUE(marked.hasSelection());
  EXPECT_GT(marked.blockNumber(), 0);
  EXPECT_EQ(form->rowText->text(), "Row:" + QString::number(marked.blockNumber() + 1));
}

// A failed compile names its line as the editor counts it: the log's number is the line marked red, which
// the Row box shows.
struct FailedCompileCase {
  const char* name;
  const char* source;
  const char* lastLog;  // the log's last line, without the leading blank
  int row;              // the line the log names, as the Row box counts
};

const FailedCompileCase kFailedCompiles[] = {
    {"unexpected_error", "PXSeries = \"PX-5200\"\nSub Start()\n    Blink 300\nEnd Sub",
     "3: This line cause unexpected error. Compile is disturbed.", 3},
    {"expression_error", "PXSeries = \"PX-5200\"\nSub Start()\n\n    x =5\nEnd Sub",
     "error:Expression error Line: 4", 4},
    {"undefined_image", "PXSeries = \"PX-5200\"\nSub Start()\n    CopyBmp LOGO\nEnd Sub",
     "3Row has undefiened Image Label. Compile is aborted.", 3},
    {"first_line", "Blink 300\nSub Start()\nEnd Sub",
     "1: This line cause unexpected error. Compile is disturbed.", 1},
};

void PrintTo(const FailedCompileCase& c, std::ostream* out) {
  *out << c.name;
}

class FailedCompile : public Form1Test, public testing::WithParamInterface<FailedCompileCase> {};

TEST_P(FailedCompile, names_the_marked_line_as_the_row_box_counts) {
  const FailedCompileCase& c = GetParam();
  auto form = start();
  form->choice().cmbSeries->setCurrentText(QStringLiteral("PX-5200"));
  form->source->setPlainText(QString::fromUtf8(c.source));
  form->menuCompilego_Click();
  ASSERT_EQ(form->logWindow()->windowTitle(), "Compile failed.");
  EXPECT_TRUE(form->logWindow()->logText().endsWith(QStringLiteral("\r\n ") + c.lastLog + "\r\n"))
      << form->logWindow()->logText().toStdString();

  const QList<QTextEdit::ExtraSelection> marks = form->source->extraSelections();
  ASSERT_EQ(marks.size(), 1);
  EXPECT_EQ(marks[0].cursor.blockNumber() + 1, c.row);
  EXPECT_EQ(marks[0].cursor.selectedText(), form->source->document()->findBlockByNumber(c.row - 1).text());
  EXPECT_EQ(form->source->textCursor().blockNumber() + 1, c.row);
  EXPECT_EQ(form->rowText->text(), QStringLiteral("Row:%1").arg(c.row));
}

INSTANTIATE_TEST_SUITE_P(form1, FailedCompile, testing::ValuesIn(kFailedCompiles),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Form1Test, addlog_writes_a_blank_the_text_and_cr_lf) {
  progressform log;
  log.addlog("abc");
  EXPECT_EQ(log.logText(), " abc\r\n");
  log.addlog("error:x");
  EXPECT_EQ(log.logText(), " abc\r\n error:x\r\n");
  EXPECT_EQ(log.compilelog->toPlainText(), " abc\n error:x\n");
  log.CndClose->click();
  EXPECT_FALSE(log.isVisible());
  EXPECT_EQ(log.logText(), " abc\r\n error:x\r\n");
}

TEST_F(Form1Test, the_bar_follows_the_value_a_few_times_a_second_and_always_shows_the_end) {
  progressform log;
  progressform::Clock::time_point now{};
  log.setClock([&] { return now; });
  log.setProgressMax(1000);
  log.setProgressValue(10);  // the first value after a new maximum shows at once
  EXPECT_EQ(log.ProgressBar1->value(), 10);
  now += progressform::kBarPeriod / 2;
  log.setProgressValue(500);
  EXPECT_EQ(log.ProgressBar1->value(), 10);
  EXPECT_EQ(log.progressValue(), 500);
  now += progressform::kBarPeriod / 2;
  log.setProgressValue(600);
  EXPECT_EQ(log.ProgressBar1->value(), 600);
  log.setProgressValue(2000);  // past the maximum: the end, shown however soon it comes
  EXPECT_EQ(log.ProgressBar1->value(), 1000);
  EXPECT_EQ(log.progressValue(), 1000);
  log.setProgressMax(40);
  log.setProgressValue(3);
  EXPECT_EQ(log.ProgressBar1->value(), 3);
}

TEST_F(Form1Test, menus_and_tips_come_from_the_string_table) {
  auto form = start();
  EXPECT_EQ(form->menuCompile->title(), "&Compile");
  EXPECT_EQ(form->menuCompilego->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_EQ(form->menuRewrite[2]->text(), "FROM MACRO2 (&2)");
  EXPECT_EQ(form->choice().menuComm[9]->text(), "COMM 10");
  EXPECT_EQ(form->choice().menuLan->text(), "TCP(LAN)");
  EXPECT_EQ(form->MenuPortCheck->text(), "Port Check");
  EXPECT_EQ(form->tbRewrite->toolTip(), "Write object code to target");
  EXPECT_EQ(form->views().raddText->toolTip(),
            "Distanse between Start and End of selected area. Reverse direction with 'Atl' key down.");
  EXPECT_EQ(form->font().family(), "OCR A Extended");
  EXPECT_EQ(form->font().pointSize(), 9);
}

TEST_F(Form1Test, file_export_writes_the_compiled_code_and_the_code_pane_fills_the_address_boxes) {
  auto form = start();
  const QObjectList holders = form->fileMenu->menuAdd->associatedObjects();
  QMenu* file = holders.isEmpty() ? nullptr : qobject_cast<QMenu*>(holders.front());
  ASSERT_NE(file, nullptr);
  const QList<QAction*> entries = file->actions();
  ASSERT_EQ(entries.value(entries.indexOf(form->fileMenu->menuAdd) + 1), form->menuExport);
  EXPECT_EQ(form->menuExport->text(), "Exp&ort");

  form->source->setPlainText("Sub Start()\nSleep 10\nEnd Sub");
  form->menuCompilego_Click();
  const QString code = form->views().code->toPlainText();
  ASSERT_FALSE(code.isEmpty());
  form->choice().targetList->setCurrentIndex(0);
  const fs::path target = platform::dataDir() / "form1-export.mot";
  fs::remove(target);
  prompter.boxes.clear();
  prompter.fileNames << QString::fromStdString(target.string());
  form->menuExport->trigger();
  EXPECT_EQ(prompter.texts(), QStringList{"A file is saved."});
  const std::string records = readFile(target);
  const std::size_t n = codeByteCount(code.toStdString());
  const std::string header =
      "\r\nS1070000" + std::string("1F3A") + hexUpper(n % 256, 2) + hexUpper(n / 256, 2);
  EXPECT_NE(records.find(header), std::string::npos) << records;

  QTest::keyClick(form->views().code, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(form->views().addText->text().toStdString(), "Add: " + hexUpper(n - 1, 4));
  EXPECT_EQ(form->views().raddText->text(), "RAdd: FFFF");
}

// ---------------------------------------------------------------------------------------------------------
// Toolbar, view and help

class Form1Commands : public Form1Test {
 protected:
  std::unique_ptr<Form1> startActive() {
    auto form = start();
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->source->setFocus();
    QApplication::processEvents();
    return form;
  }
  static QString shownHelp(Form1& form) {
    const QUrl url = form.help().browser()->source();
    return url.fileName() + (url.hasFragment() ? QStringLiteral("#") + url.fragment() : QString());
  }
  static void caretAfter(Form1& form, const QString& text) {
    QTextCursor caret = form.source->textCursor();
    caret.setPosition(form.source->toPlainText().indexOf(text) + static_cast<int>(text.size()));
    form.source->setTextCursor(caret);
  }
  // A key up shows the hint of the word at the caret.
  static void showHintAfter(Form1& form, const QString& text) {
    caretAfter(form, text);
    QTest::keyClick(form.source, Qt::Key_Shift);
  }
  static void refreshTip(Form1& form) {
    QMetaObject::invokeMethod(form.source->tipTimer(), "timeout", Qt::DirectConnection);
  }
  // Where the tip belongs: at the caret's bottom left, on the screen.
  static QPoint caretTipPoint(const Form1& form) {
    return form.source->viewport()->mapToGlobal(form.source->cursorRect().bottomLeft());
  }
};

TEST_F(Form1Commands, menus_stand_in_their_order_with_their_captions) {
  auto form = start();
  QStringList titles;
  for (QAction* menu : form->menuBar()->actions()) titles << menu->text();
  EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&View", "Tool", "&Compile", "&Port", "&Help"}));
  QStringList help;
  for (QAction* entry : form->menuHelp->actions()) help << entry->text();
  EXPECT_EQ(help, (QStringList{"&Manual", "&Topics", "&Keyword", "&Pop-up Help", "", "&File Association",
                               "&About"}));
  EXPECT_EQ(form->toolBar().menuKeyword->shortcut(), QKeySequence(Qt::Key_F1));
  EXPECT_TRUE(form->toolBar().menuViewN->isChecked());
  EXPECT_FALSE(form->toolBar().menuViewD->isChecked());
}

// Each menu's entries as "caption", "caption [shortcut]" or "caption *" (checked after start-up without a
// Config.dat: COM1 and FROM Macro1); "-" a separator.
struct MenuCase {
  const char* name;
  const char* title;
  QStringList entries;
};

const MenuCase kMenus[] = {
    {"file", "&File", {"&New", "&Open", "&Save", "Save &As", "Exp&ort", "-", "&Close"}},
    {"file_new", "&New", {"&New", "Template &1", "Template &2"}},
    {"edit",
     "&Edit",
     {"&Undo [Ctrl+Z]", "&Redo [Ctrl+Y]", "-", "Cu&t [Ctrl+X]", "&Copy [Ctrl+C]", "&Paste [Ctrl+V]",
      "Select &All [Ctrl+A]"}},
    {"view", "&View", {"&Normal screen *", "&Detailed Screen"}},
    {"tool", "Tool", {"BMP Image List"}},
    {"compile", "&Compile", {"&Compile [F5]", "Re&Write", "&Run", "&Auto Execute"}},
    {"rewrite",
     "Re&Write",
     {"RAM MACRO (&A)", "FROM MACRO1 (&1) *", "FROM MACRO2 (&2)", "FROM MACRO3 (&3)", "FROM MACRO4 (&4)"}},
    {"auto",
     "&Auto Execute",
     {"&None", "FROM MACRO1 (&1) *", "FROM MACRO2 (&2)", "FROM MACRO3 (&3)", "FROM MACRO4 (&4)"}},
    {"port", "&Port", {"COMM &1 *",      "COMM &2",  "COMM &3",   "COMM &4", "COMM &5",  "COMM &6",
                       "COMM &7",        "COMM &8",  "COMM &9",   "COMM 10", "COMM 11",  "COMM 12",
                       "COMM 13",        "COMM 14",  "COMM 15",   "COMM 16", "TCP(LAN)", "-",
                       "ComPort Search", "Advanced", "Port Check"}},
    {"help",
     "&Help",
     {"&Manual", "&Topics", "&Keyword [F1]", "&Pop-up Help *", "-", "&File Association", "&About"}},
};

class MenuEntries : public Form1Commands, public testing::WithParamInterface<MenuCase> {};

TEST_P(MenuEntries, stand_with_their_captions_shortcuts_and_marks) {
  auto form = start();
  // Two menus may share a title (File's New and its New entry): one of them holds the entries.
  QStringList shown;
  bool found = false;
  for (QMenu* menu : form->menuBar()->findChildren<QMenu*>()) {
    if (menu->title() != QString::fromUtf8(GetParam().title)) continue;
    QStringList entries;
    for (QAction* action : menu->actions()) {
      QString entry = action->isSeparator() ? QStringLiteral("-") : action->text();
      if (!action->shortcut().isEmpty()) entry += " [" + action->shortcut().toString() + "]";
      if (action->isChecked()) entry += QStringLiteral(" *");
      entries << entry;
    }
    if (entries == GetParam().entries) found = true;
    shown << "(" + entries.join(", ") + ")";
  }
  EXPECT_TRUE(found) << shown.join(" ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(form1, MenuEntries, testing::ValuesIn(kMenus),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Form1Commands, f5_and_the_compile_button_both_compile) {
  auto form = startActive();
  const QString good = "Sub Start()\nSleep 10\nEnd Sub";
  form->source->setPlainText(good);
  QTest::keyClick(form.get(), Qt::Key_F5);
  EXPECT_EQ(form->compiledSource, good);
  EXPECT_EQ(form->logWindow()->windowTitle(), "Compile completed.");

  const QString other = "Sub Start()\nSleep 20\nEnd Sub";
  form->source->setPlainText(other);
  form->toolBar().button("compile")->trigger();
  EXPECT_EQ(form->compiledSource, other);
  EXPECT_FALSE(form->tbCompile->isChecked());
}

TEST_F(Form1Commands, ctrl_z_and_the_undo_button_both_undo_and_redo_comes_back) {
  auto form = startActive();
  form->source->setDocumentText(QString());
  QTest::keyClicks(form->source, "ab");
  QTest::keyClick(form->source, Qt::Key_Z, Qt::ControlModifier);
  const QString once = form->source->toPlainText();
  EXPECT_EQ(once, "a");
  form->toolBar().button("undo")->trigger();
  EXPECT_EQ(form->source->toPlainText(), "");
  form->toolBar().button("redo")->trigger();
  EXPECT_EQ(form->source->toPlainText(), "a");
  QTest::keyClick(form->source, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(form->source->toPlainText(), "ab");
}

TEST_F(Form1Commands, f1_opens_the_entry_of_the_word_at_the_caret) {
  auto form = startActive();
  form->source->setPlainText("Sub Start()\n    Sleep 10\nEnd Sub");
  caretAfter(*form, "Slee");
  form->source->dispHint();
  EXPECT_EQ(form->keywordText->text(), "Sleep");
  QTest::keyClick(form.get(), Qt::Key_F1);
  EXPECT_TRUE(form->help().isVisible());
  EXPECT_EQ(shownHelp(*form), "controlflow.html#sleep");
}

TEST_F(Form1Commands, topics_opens_the_entry_of_the_hint_last_shown_and_contents_without_one) {
  auto form = startActive();
  form->toolBar().button("topics")->trigger();
  EXPECT_EQ(shownHelp(*form), "index.html");

  form->source->setPlainText("Sub Start()\n    Print \"a\"\nEnd Sub");
  caretAfter(*form, "Pri");
  form->source->dispHint();
  ASSERT_EQ(form->source->helpContext(), 68);
  form->toolBar().menuTopics->trigger();
  EXPECT_EQ(shownHelp(*form), "text.html#print");
  form->toolBar().menuMan->trigger();
  EXPECT_EQ(shownHelp(*form), "index.html");
}

TEST_F(Form1Commands, the_detailed_screen_widens_the_compile_panes) {
  auto form = start();
  auto* split = qobject_cast<QSplitter*>(form->centralWidget());
  ASSERT_NE(split, nullptr);
  form->toolBar().button("view")->trigger();
  EXPECT_TRUE(form->toolBar().menuViewD->isChecked());
  EXPECT_LT(split->sizes().at(0), split->sizes().at(1));
  form->toolBar().menuViewN->trigger();
  EXPECT_FALSE(form->toolBar().button("view")->isChecked());
  EXPECT_GT(split->sizes().at(0), split->sizes().at(1));
}

TEST_F(Form1Commands, start_up_and_every_resize_lay_the_panes_out_by_the_view_button) {
  auto form = start();
  auto* split = qobject_cast<QSplitter*>(form->centralWidget());
  ASSERT_NE(split, nullptr);
  const QList<int> atStart = split->sizes();
  QAction* view = form->toolBar().button("view");
  view->trigger();
  const QList<int> detailed = split->sizes();
  view->trigger();
  EXPECT_EQ(split->sizes(), atStart);
  EXPECT_NE(detailed, atStart);

  // A resize keeps the shares of the view shown: the same sizes the view switch gives at that width.
  for (const char* mode : {"detail", "normal"}) {
    form->toolBar().viewSet(QString::fromLatin1(mode));
    form->resize(form->width() + 180, form->height());
    const QList<int> resized = split->sizes();
    form->toolBar().viewSet(QString::fromLatin1(mode));
    EXPECT_EQ(resized, split->sizes()) << mode;
  }
}

// Every key and box of the toolbar stands inside the window, none in the toolbar's overflow, in its order:
// at the start size and at the width of a window maximised on a 1280-pixel screen.
TEST_F(Form1Commands, every_toolbar_key_and_box_is_in_view) {
  auto form = start();
  const std::vector<QWidget*> boxes{
      form->rowText,           form->choice().cmbSeries,  form->choice().targetList,
      form->choice().commList, form->choice().modAddList, form->views().addText,
      form->views().raddText,  form->keywordText};
  const auto inView = [&](QWidget* control) {
    return control && control->isVisible() &&
           form->rect().contains(QRect(control->mapTo(form.get(), QPoint(0, 0)), control->size()));
  };
  const auto placeOf = [&](QWidget* control) { return control->mapTo(form.get(), QPoint(0, 0)); };
  for (const QSize size : {form->size(), QSize(1280, 984)}) {
    form->resize(size);
    QApplication::processEvents();
    for (QToolBar* bar : form->findChildren<QToolBar*>()) {
      const auto* more = bar->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button"));
      EXPECT_FALSE(more && more->isVisible()) << bar->objectName().toStdString() << " at " << size.width();
    }
    QPoint last(-1, -1);
    for (QAction* key : form->tbX->actions()) {
      if (key->isSeparator() || key->objectName().isEmpty()) continue;
      QWidget* button = form->tbX->widgetForAction(key);
      EXPECT_TRUE(inView(button)) << key->objectName().toStdString() << " at " << size.width();
      if (button) {
        EXPECT_GT(placeOf(button).x(), last.x()) << key->objectName().toStdString();
        last = placeOf(button);
      }
    }
    last = QPoint(-1, -1);
    for (QWidget* box : boxes) {
      EXPECT_TRUE(inView(box)) << box->toolTip().toStdString() << " at " << size.width();
      EXPECT_GT(placeOf(box).x(), last.x()) << box->toolTip().toStdString();
      last = placeOf(box);
    }
  }
}

// The toolbars are fixed: a right-click on them or on the menu bar opens no menu that could hide them,
// and they can be neither moved nor floated.
TEST_F(Form1Commands, the_toolbars_are_fixed_and_open_no_menu) {
  auto form = start();
  for (QWidget* place : std::initializer_list<QWidget*>{form->tbX, form->tbBoxes, form->menuBar()}) {
    QWidget* opened = nullptr;
    // Runs inside the menu's own event loop if one opens, else in the processEvents below.
    QTimer::singleShot(0, [&] {
      opened = QApplication::activePopupWidget();
      if (opened) opened->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), place->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(place, &event);
    QApplication::processEvents();
    EXPECT_EQ(opened, nullptr) << place->objectName().toStdString();
  }
  for (QToolBar* bar : form->findChildren<QToolBar*>()) {
    EXPECT_TRUE(bar->isVisible()) << bar->objectName().toStdString();
    EXPECT_FALSE(bar->isMovable()) << bar->objectName().toStdString();
    EXPECT_FALSE(bar->isFloatable()) << bar->objectName().toStdString();
  }
}

// The hint tip belongs to the editor's window: it shows while that window is visible and active, and the
// refresh never brings it back over another window, a hidden or a minimised one.
TEST_F(Form1Commands, the_hint_tip_shows_only_while_the_editor_s_window_is_in_use) {
  auto form = startActive();
  const QString hint = "Print \"String\", or Print";
  form->source->setPlainText("Sub Start()\n    Print \"a\"\nEnd Sub");
  const QLabel* tip = form->hintTip().tipWindow();
  ASSERT_NE(tip, nullptr);
  const auto showHint = [&] { showHintAfter(*form, "Pri"); };
  const auto refresh = [&] { refreshTip(*form); };
  showHint();
  ASSERT_TRUE(tip->isVisible());
  EXPECT_EQ(tip->text(), hint);
  refresh();
  EXPECT_TRUE(tip->isVisible());

  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  refresh();
  EXPECT_FALSE(tip->isVisible());
  EXPECT_FALSE(form->source->tipTimer()->isActive());

  // Back in the editor, the next key shows it again.
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  showHint();
  EXPECT_TRUE(tip->isVisible());

  form->showMinimized();
  refresh();
  EXPECT_FALSE(tip->isVisible());
  form->showNormal();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->isActiveWindow(); }));
  showHint();
  ASSERT_TRUE(tip->isVisible());

  form->hide();
  refresh();
  EXPECT_FALSE(tip->isVisible());
}

// Whatever moved the caret on the screen since the hint appeared, the next refresh shows the tip at it.
struct TipMoveCase {
  const char* name;
  std::function<void(Form1&)> change;
};
void PrintTo(const TipMoveCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<TipMoveCase>& tipMoves() {
  static const std::vector<TipMoveCase> cases = {
      {"window_moved", [](Form1& form) { form.move(form.pos() + QPoint(140, 90)); }},
      {"box_row_hidden", [](Form1& form) { form.tbBoxes->hide(); }},
      {"text_scrolled", [](Form1& form) { form.source->verticalScrollBar()->setValue(4); }},
  };
  return cases;
}

class TipFollows : public Form1Commands, public testing::WithParamInterface<TipMoveCase> {};

TEST_P(TipFollows, the_caret) {
  auto form = startActive();
  QString text;
  for (int i = 0; i < 8; ++i) text += QStringLiteral("a = %1\n").arg(i);
  form->source->setPlainText(text + "Print \"a\"\n" + QStringLiteral("b = 1\n").repeated(40));
  showHintAfter(*form, "Pri");
  const QLabel* tip = form->hintTip().tipWindow();
  ASSERT_TRUE(tip->isVisible());
  EXPECT_EQ(tip->pos(), caretTipPoint(*form));

  const QPoint before = caretTipPoint(*form);
  GetParam().change(*form);
  QApplication::processEvents();
  ASSERT_NE(caretTipPoint(*form), before) << "the change left the caret where it was";
  refreshTip(*form);
  EXPECT_TRUE(tip->isVisible());
  EXPECT_EQ(tip->pos(), caretTipPoint(*form));
}

INSTANTIATE_TEST_SUITE_P(hint, TipFollows, testing::ValuesIn(tipMoves()),
                         [](const auto& i) { return std::string(i.param.name); });

// A caret that leaves the pane's visible area takes the tip with it; back in view, the tip stands at it
// again.
struct TipAwayCase {
  const char* name;
  std::function<void(Form1&)> away;
  std::function<void(Form1&)> back;
};
void PrintTo(const TipAwayCase& c, std::ostream* os) {
  *os << c.name;
}

void setSourceWidth(Form1& form, int width) {
  auto* split = qobject_cast<QSplitter*>(form.centralWidget());
  split->setSizes({width, split->width() - width});
}

const std::vector<TipAwayCase>& tipAways() {
  static const std::vector<TipAwayCase> cases = {
      {"text_scrolled",
       [](Form1& form) {
         QScrollBar* bar = form.source->verticalScrollBar();
         bar->setValue(bar->maximum());
       },
       [](Form1& form) { form.source->verticalScrollBar()->setValue(0); }},
      {"pane_narrowed_past_the_caret", [](Form1& form) { setSourceWidth(form, 120); },
       [](Form1& form) { setSourceWidth(form, 600); }},
  };
  return cases;
}

class TipAway : public Form1Commands, public testing::WithParamInterface<TipAwayCase> {};

TEST_P(TipAway, hides_and_comes_back) {
  auto form = startActive();
  setSourceWidth(*form, 600);
  form->source->setPlainText(QString(30, QLatin1Char(' ')) + "Print \"a\"\n" +
                             QStringLiteral("b = 1\n").repeated(200));
  showHintAfter(*form, "Pri");
  const QLabel* tip = form->hintTip().tipWindow();
  ASSERT_TRUE(tip->isVisible());
  GetParam().away(*form);
  QApplication::processEvents();
  refreshTip(*form);
  EXPECT_FALSE(tip->isVisible());
  EXPECT_TRUE(form->source->tipTimer()->isActive());
  GetParam().back(*form);
  QApplication::processEvents();
  refreshTip(*form);
  EXPECT_TRUE(tip->isVisible());
  EXPECT_EQ(tip->pos(), caretTipPoint(*form));
}

INSTANTIATE_TEST_SUITE_P(hint, TipAway, testing::ValuesIn(tipAways()),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Form1Commands, search_opens_one_find_window_and_check_respells_the_source_while_pressed) {
  auto form = start();
  form->toolBar().button("search")->trigger();
  form->toolBar().button("search")->trigger();
  const QList<frmSearch*> finds = form->findChildren<frmSearch*>();
  ASSERT_EQ(finds.size(), 1);
  EXPECT_TRUE(finds.front()->isVisible());

  form->source->setDocumentText("a=1\nprint a");
  form->toolBar().button("check")->trigger();
  EXPECT_EQ(form->source->sourceText(), "a = 1\nPrint a");
  EXPECT_FALSE(form->toolBar().button("check")->isChecked());

  // Cancelled with Esc: pressed while it ran, the text as it was, the button up again.
  QString text;
  for (int i = 0; i < 2000; ++i) text += QStringLiteral("b=%1\n").arg(i);
  form->source->setDocumentText(text);
  bool pressedWhileRunning = false;
  QTimer::singleShot(0, form.get(),
                     [&] { pressedWhileRunning = form->toolBar().button("check")->isChecked(); });
  QCoreApplication::postEvent(form->source, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  form->toolBar().button("check")->trigger();
  EXPECT_TRUE(pressedWhileRunning);
  EXPECT_EQ(form->source->sourceText(), text);
  EXPECT_FALSE(form->toolBar().button("check")->isChecked());
}

TEST_F(Form1Commands, closing_the_program_closes_the_help_and_find_windows) {
  auto form = start();
  form->toolBar().menuMan->trigger();
  form->toolBar().button("search")->trigger();
  ASSERT_TRUE(form->help().isVisible());
  form->close();
  EXPECT_FALSE(form->help().isVisible());
  EXPECT_FALSE(form->findChild<frmSearch*>()->isVisible());
}

}  // namespace
}  // namespace kelmore::mainwindow
