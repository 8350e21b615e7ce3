// End to end: the real main window and device object against the simulated module on a pseudo-terminal
// mapped to COM1. Compile, ReWrite to RAM and flash, Run, Auto Execute, Port Check, the failure paths, and
// what the window does while an operation waits.
// Layer: tests (Qt).
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "../widgets/qtprint.h"
#include "../widgets/scriptedprompter.h"
#include "common/codetext.h"
#include "link/px5000.h"
#include "mainwindow/compilerviews.h"
#include "mainwindow/form1.h"
#include "mainwindow/modulechoice.h"
#include "mainwindow/progressform.h"
#include "mainwindow/toolbar.h"
#include "platform/paths.h"
#include "sim/simmodule.h"
#include "typing.h"
#include "widgets/operationguard.h"

namespace kelmore::mainwindow {
namespace {

namespace fs = std::filesystem;

const QString kProgram = "Sub Start()\nSleep 10\nSleep 20\nEnd Sub";

class EndToEnd : public testing::Test {
 protected:
  void startWith(sim::ModuleConfig config) {
    sim = std::make_unique<sim::SimModule>(config);
    ASSERT_FALSE(sim->path().empty());
    std::ofstream(platform::configDir() / "ports.map", std::ios::trunc) << "COM1=" << sim->path() << "\n";
    Form1::Options options;
    options.prompter = &prompter;
    options.splash = false;
    options.arguments = {QStringLiteral("kelmore")};
    form = std::make_unique<Form1>(options);
    form->Form_Load();
    form->choice().menuComm_Click(1);
  }
  void TearDown() override {
    fs::remove(platform::configDir() / "ports.map");
    fs::remove(platform::configDir() / "Config.dat");
  }

  std::vector<std::uint8_t> compile(const QString& model) {
    form->choice().cmbSeries->setCurrentText(model);
    form->source->setPlainText(kProgram);
    form->menuCompilego_Click();
    EXPECT_EQ(form->logWindow()->windowTitle(), "Compile completed.");
    const std::string code = form->views().code->toPlainText().toStdString();
    EXPECT_FALSE(code.empty());
    return codeTextToBytes(code);
  }

  // The module takes what arrived on its own thread; give it a moment to catch up with the last bytes.
  // The limit only ends a wait that would never end: a busy machine may take its time.
  bool eventually(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  bool textArrived(const std::string& text) {
    return eventually([&] { return textSent().find(text) != std::string::npos; });
  }

  std::string textSent() {
    std::string text;
    for (const auto& r : sim->received())
      if (r.name == "text") text.append(r.bytes.begin(), r.bytes.end());
    return text;
  }

  widgets::test::ScriptedPrompter prompter;
  std::unique_ptr<sim::SimModule> sim;
  std::unique_ptr<Form1> form;
};

TEST_F(EndToEnd, rewrite_to_ram_leaves_exactly_the_compiled_bytes) {
  startWith({});
  const auto bytes = compile("PX-5200");
  // The download pauses a second between user mode out and the macro definition; the window goes on
  // processing its timers meanwhile, many times over, not only once the pause is over.
  QTimer tick;
  int ticksInPause = 0;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const auto received = sim->received();
    if (!received.empty() && received.back().name == "userModeOut") ++ticksInPause;
  });
  tick.start(20);
  form->menuRewrite_Click(0);
  tick.stop();
  EXPECT_GE(ticksInPause, 3);
  EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join("|").toStdString();
  EXPECT_TRUE(textArrived("Completed. [RAM Macro] "));
  const sim::ModuleMemory memory = sim->memory();
  EXPECT_EQ(memory.ramMacro, bytes);
  EXPECT_EQ(memory.memorySwitch[19], 0);
  EXPECT_EQ(form->choice().modAddList->toolTip(), "PX256X64");
  EXPECT_FALSE(form->PX().isOpen());
  EXPECT_EQ(form->choice().portState(), ModuleChoice::PortState::Rest);
  EXPECT_FALSE(form->tbRewrite->isChecked());
  EXPECT_EQ(form->progress().text(), QString("ReWrite RAM Macro: completed, %1 bytes").arg(bytes.size()));
}

TEST_F(EndToEnd, rewrite_to_from_macro2_then_run_and_auto_execute) {
  startWith({});
  const auto bytes = compile("PX-*");
  form->menuRewrite_Click(2);
  EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join("|").toStdString();
  EXPECT_TRUE(textArrived("Completed. [FROM Macro 2] "));
  EXPECT_EQ(sim->memory().flashMacro[1], bytes);
  EXPECT_EQ(form->progress().text(), QString("ReWrite FROM Macro2: completed, %1 bytes").arg(bytes.size()));

  // Each command's outcome replaces the one before.
  form->menuStart_Click(2);
  EXPECT_TRUE(eventually([&] { return sim->memory().lastStarted == 130; }));
  EXPECT_EQ(form->progress().text(), "Run FROM Macro2: completed");
  form->menuAuto_Click(3);
  EXPECT_TRUE(eventually([&] { return sim->memory().memorySwitch[19] == 131; }));
  EXPECT_EQ(form->progress().text(), "Auto Execute FROM Macro3: completed");
  form->menuAuto_Click(0);
  EXPECT_TRUE(eventually([&] { return sim->memory().memorySwitch[19] == 0 && !sim->memory().userMode; }));
  EXPECT_EQ(form->progress().text(), "Auto Execute None: completed");
  EXPECT_TRUE(form->progress().isVisible());
  EXPECT_TRUE(prompter.boxes.empty());
  EXPECT_TRUE(form->menuAuto[0]->isChecked());
}

TEST_F(EndToEnd, wmr_flash_download_uses_blocks_and_prints_nothing) {
  sim::ModuleConfig config;
  config.blockDownload = true;
  startWith(config);
  const auto bytes = compile("WMR-STD");
  form->menuRewrite_Click(3);
  EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join("|").toStdString();
  // The block writer's header always names the module's one flash macro.
  EXPECT_TRUE(eventually([&] { return sim->memory().flashMacro[0] == bytes; }));
  EXPECT_EQ(textSent().find("Completed."), std::string::npos);
}

TEST_F(EndToEnd, hexadecimal_module_address_reaches_the_module) {
  sim::ModuleConfig config;
  config.address = 10;
  startWith(config);
  form->choice().modAddList->setCurrentText("0A");
  const auto bytes = compile("PX-5200");
  form->menuRewrite_Click(1);
  EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join("|").toStdString();
  EXPECT_TRUE(eventually([&] { return sim->memory().flashMacro[0] == bytes; }));
  EXPECT_TRUE(sim->frameErrors().empty());
}

TEST_F(EndToEnd, port_check_reports_port_settings_address_and_name) {
  startWith({});
  form->MenuPortCheck_Click();
  ASSERT_EQ(prompter.boxes.size(), 1u);
  EXPECT_EQ(prompter.boxes[0].title, "CommCheck");
  EXPECT_EQ(prompter.boxes[0].icon, QMessageBox::Information);
  EXPECT_EQ(prompter.boxes[0].text,
            "OK.\r\n Port:COM1\r\n Advanced:38400,n,8,1\r\n ModuleAddress:\r\n ModuleName:PX256X64");
  EXPECT_EQ(form->choice().portState(), ModuleChoice::PortState::Rest);
  EXPECT_EQ(form->progress().text(), "Port Check: completed");
}

TEST_F(EndToEnd, a_silent_module_gives_the_response_error_and_a_red_box_until_the_end) {
  startWith({});
  sim->setSilent(true);
  form->choice().modAddList->setToolTip("old name");
  std::vector<ModuleChoice::PortState> seen;
  prompter.onBox = [&](const widgets::test::Box&) { seen.push_back(form->choice().portState()); };
  form->Start();
  ASSERT_EQ(prompter.boxes.size(), 1u);
  EXPECT_EQ(prompter.boxes[0].title, "Comm Error");
  EXPECT_EQ(
      prompter.boxes[0].text,
      "Responce Error!\r\n Please check if the displayModule is  disconnected,\r\n DisplayModule Power is "
      "OFF\r\n or Wrong Module Address.\r\n Unable to program macro.");
  EXPECT_EQ(seen, std::vector<ModuleChoice::PortState>{ModuleChoice::PortState::Failed});
  EXPECT_EQ(form->choice().modAddList->toolTip(), "");
  EXPECT_EQ(form->choice().portState(), ModuleChoice::PortState::Rest);
  EXPECT_FALSE(sim->memory().lastStarted.has_value());
  EXPECT_EQ(form->progress().text(), "Run FROM Macro1: Responce Error!");
}

// What must wait for a device operation, and what stays usable meanwhile.
struct Guarded {
  const char* name;
  std::function<bool(Form1&)> enabled;
  bool duringOperation;
};

const std::vector<Guarded>& guardedControls() {
  static const std::vector<Guarded> controls = {
      {"run_menu", [](Form1& f) { return f.menuStart[0]->isEnabled(); }, false},
      {"rewrite_button", [](Form1& f) { return f.tbRewrite->isEnabled(); }, false},
      {"port_check", [](Form1& f) { return f.MenuPortCheck->isEnabled(); }, false},
      {"compile", [](Form1& f) { return f.menuCompilego->isEnabled() || f.tbCompile->isEnabled(); }, false},
      {"port_box", [](Form1& f) { return f.choice().commList->isEnabled(); }, false},
      {"model_box", [](Form1& f) { return f.choice().cmbSeries->isEnabled(); }, false},
      {"target_box", [](Form1& f) { return f.choice().targetList->isEnabled(); }, false},
      {"port_items",
       [](Form1& f) { return f.choice().menuComm[3]->isEnabled() || f.choice().menuLan->isEnabled(); },
       false},
      {"port_search", [](Form1& f) { return f.choice().MenuSearchPort->isEnabled(); }, false},
      {"open", [](Form1& f) { return f.fileMenu->menuOpen->isEnabled(); }, false},
      {"new", [](Form1& f) { return f.fileMenu->menuWhite->isEnabled(); }, false},
      {"close", [](Form1& f) { return f.fileMenu->menuClose->isEnabled(); }, false},
      {"templates",
       [](Form1& f) {
         return f.fileMenu->menuTemplate1->isEnabled() || f.fileMenu->menuTemplate2->isEnabled();
       },
       false},
      {"new_and_open_buttons",
       [](Form1& f) {
         return f.toolBar().button("new")->isEnabled() || f.toolBar().button("open")->isEnabled();
       },
       false},
      {"start_and_auto_buttons", [](Form1& f) { return f.tbStart->isEnabled() || f.tbAutoExec->isEnabled(); },
       false},
      {"rewrite_and_auto_menus",
       [](Form1& f) { return f.menuRewrite[2]->isEnabled() || f.menuAuto[0]->isEnabled(); }, false},
      {"address_box", [](Form1& f) { return f.choice().modAddList->isEnabled(); }, false},
      {"port_settings", [](Form1& f) { return f.choice().MenuCommSetting->isEnabled(); }, false},
      {"save_as_and_export",
       [](Form1& f) { return f.fileMenu->menuAdd->isEnabled() && f.menuExport->isEnabled(); }, true},
      {"search_check_and_help",
       [](Form1& f) {
         return f.toolBar().button("search")->isEnabled() && f.toolBar().button("check")->isEnabled() &&
                f.toolBar().menuMan->isEnabled() && f.toolBar().menuKeyword->isEnabled();
       },
       true},
      {"view",
       [](Form1& f) { return f.toolBar().button("view")->isEnabled() && f.toolBar().menuViewD->isEnabled(); },
       true},
      {"editor", [](Form1& f) { return f.source->isEnabled() && !f.source->isReadOnly(); }, true},
      {"save", [](Form1& f) { return f.fileMenu->menuSave->isEnabled(); }, true},
      {"about", [](Form1& f) { return f.menuVersion->isEnabled(); }, true},
  };
  return controls;
}

TEST_F(EndToEnd, a_silent_module_check_shows_its_progress_takes_typing_and_refuses_a_second_command) {
  startWith({});
  sim->setSilent(true);
  form->source->setPlainText("");
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  form->choice().commList->setFocus();  // the port box, disabled for the operation, gives the focus back
  QString typed;
  std::vector<QString> shown;
  std::vector<int> bars;
  std::vector<std::string> stillEnabled, disabled;
  int ticks = 0;
  bool lagging = false;
  QTimer typist;
  QObject::connect(&typist, &QTimer::timeout, [&] {
    ++ticks;
    // Every letter typed before the last tick has landed by now.
    if (!form->source->toPlainText().startsWith(typed.left(typed.size() - 1))) lagging = true;
    const QChar letter = QChar('a' + ticks % 26);
    test::typeLetter(form->source, letter);
    typed += letter;
    shown.push_back(form->progress().text());
    bars.push_back(form->progress().barValue());
    if (ticks == 3) {
      for (const Guarded& control : guardedControls())
        if (control.enabled(*form) != control.duringOperation)
          (control.duringOperation ? disabled : stillEnabled).push_back(control.name);
      form->menuStart[0]->trigger();
      form->Start();
      form->MenuPortCheck_Click();
    }
  });
  typist.start(200);
  form->Start();
  typist.stop();
  QCoreApplication::processEvents();

  EXPECT_GE(ticks, 10);
  EXPECT_FALSE(lagging) << "typed " << typed.toStdString() << ", editor "
                        << form->source->toPlainText().toStdString();
  EXPECT_EQ(form->source->toPlainText(), typed);
  EXPECT_TRUE(stillEnabled.empty()) << testing::PrintToString(stillEnabled);
  EXPECT_TRUE(disabled.empty()) << testing::PrintToString(disabled);
  // The second commands were turned away: one check, one box.
  ASSERT_EQ(prompter.boxes.size(), 1u) << prompter.texts().join("|").toStdString();
  EXPECT_TRUE(prompter.boxes[0].text.startsWith("Responce Error!"));
  EXPECT_EQ(sim->received().size(), 2u);
  // The display names the command and the wait, and counts the time-out down.
  ASSERT_GE(shown.size(), 4u);
  EXPECT_EQ(shown[1].left(shown[1].indexOf('(')), "Run: Waiting for the module's answer ");
  bool countedDown = false;
  for (std::size_t i = 1; i < shown.size(); ++i)
    if (shown[i - 1].left(shown[i - 1].indexOf('(')) == shown[i].left(shown[i].indexOf('(')) &&
        shown[i] < shown[i - 1] && bars[i] > bars[i - 1])
      countedDown = true;
  EXPECT_TRUE(countedDown) << qPrintable(QStringList(shown.begin(), shown.end()).join("|"));
  // Afterwards everything is back and the status bar holds the outcome of the one command that ran.
  for (const Guarded& control : guardedControls()) EXPECT_TRUE(control.enabled(*form)) << control.name;
  EXPECT_EQ(form->progress().text(), "Run FROM Macro1: Responce Error!");
  EXPECT_FALSE(form->deviceBusy());
}

TEST_F(EndToEnd, a_transfer_that_fails_is_reported_and_never_completed) {
  startWith({});
  const auto bytes = compile("PX-*");
  // The module goes away in the middle of the macro definition.
  const std::size_t checkBytes = 10;
  sim->setHangUpAfter(checkBytes + 6 + 9 + bytes.size() / 2);
  form->menuRewrite_Click(1);
  ASSERT_FALSE(prompter.boxes.empty());
  EXPECT_EQ(prompter.boxes.back().text, "Transfer failed.");
  EXPECT_TRUE(form->logWindow()->logText().endsWith(" error:Transfer failed.\r\n"));
  EXPECT_EQ(textSent().find("Completed."), std::string::npos);
  EXPECT_FALSE(form->PX().isOpen());
  EXPECT_FALSE(form->tbRewrite->isChecked());
  EXPECT_EQ(form->progress().text(), "ReWrite FROM Macro1: Transfer failed.");
}

}  // namespace
}  // namespace kelmore::mainwindow
