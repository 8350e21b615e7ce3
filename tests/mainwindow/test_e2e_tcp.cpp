// End to end over TCP: the real main window, its comm settings window and device object against the
// simulated module listening on 127.0.0.1. Choosing TCP, Port Check, ReWrite to RAM and flash, Run, Auto
// Execute, a module that closes mid-transfer and a port nobody answers on. Traffic stays on loopback.
// Layer: tests (Qt).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <thread>

#include "../widgets/qtprint.h"
#include "../widgets/scriptedprompter.h"
#include "common/codetext.h"
#include "link/px5000.h"
#include "mainwindow/commwindows.h"
#include "mainwindow/compilerviews.h"
#include "mainwindow/form1.h"
#include "mainwindow/modulechoice.h"
#include "mainwindow/progressform.h"
#include "platform/paths.h"
#include "sim/simmodule.h"

namespace kelmore::mainwindow {
namespace {

namespace fs = std::filesystem;

const QString kProgram = "Sub Start()\nSleep 10\nSleep 20\nEnd Sub";

class TcpEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    sim = std::make_unique<sim::SimModule>(sim::ModuleConfig{}, sim::SimModule::OnTcp{});
    ASSERT_NE(sim->tcpPort(), 0);
    Form1::Options options;
    options.prompter = &prompter;
    options.splash = false;
    options.arguments = {QStringLiteral("kelmore")};
    form = std::make_unique<Form1>(options);
    form->Form_Load();
  }
  void TearDown() override { fs::remove(platform::configDir() / "Config.dat"); }

  // As a user does it: TCP in the port box, then the address and port in Port > Advanced.
  void chooseTcp(int port) {
    form->choice().commList->setCurrentIndex(16);
    QTimer::singleShot(0, [port] {
      auto* window = qobject_cast<CommSettingForm*>(QApplication::activeModalWidget());
      ASSERT_NE(window, nullptr);
      window->ipAddress->setText("127.0.0.1");
      window->tcpPort->setText(QString::number(port));
      window->OkCommandButton->click();
    });
    form->choice().MenuCommSetting_Click();
    ASSERT_TRUE(form->choice().menuLan->isChecked());
    ASSERT_EQ(form->choice().commList->toolTip(), "127.0.0.1:" + QString::number(port));
  }

  std::vector<std::uint8_t> compile(const QString& model) {
    form->choice().cmbSeries->setCurrentText(model);
    form->source->setPlainText(kProgram);
    form->menuCompilego_Click();
    EXPECT_EQ(form->logWindow()->windowTitle(), "Compile completed.");
    return codeTextToBytes(form->views().code->toPlainText().toStdString());
  }

  // The module takes what arrived on its own thread; give it a moment to catch up with the last bytes.
  bool eventually(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
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

TEST_F(TcpEndToEnd, choosing_tcp_then_port_check_rewrite_run_and_auto_execute) {
  chooseTcp(sim->tcpPort());
  form->MenuPortCheck_Click();
  ASSERT_EQ(prompter.boxes.size(), 1u);
  EXPECT_EQ(prompter.boxes[0].title, "CommCheck");
  EXPECT_EQ(prompter.boxes[0].text,
            "OK.\r\n Port:TCP\r\n Advanced:127.0.0.1:" + QString::number(sim->tcpPort()) +
                "\r\n ModuleAddress:\r\n ModuleName:PX256X64");
  prompter.boxes.clear();

  const auto bytes = compile("PX-*");
  form->menuRewrite_Click(0);
  EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join("|").toStdString();
  EXPECT_TRUE(eventually([&] { return textSent().find("Completed. [RAM Macro] ") != std::string::npos; }));
  EXPECT_EQ(sim->memory().ramMacro, bytes);

  form->menuRewrite_Click(2);
  EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join("|").toStdString();
  EXPECT_TRUE(eventually([&] { return sim->memory().flashMacro[1] == bytes; }));
  form->menuStart_Click(2);
  EXPECT_TRUE(eventually([&] { return sim->memory().lastStarted == 130; }));
  form->menuAuto_Click(3);
  EXPECT_TRUE(eventually([&] { return sim->memory().memorySwitch[19] == 131; }));
  EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join("|").toStdString();
  EXPECT_FALSE(form->PX().isOpen());
  EXPECT_EQ(form->choice().portState(), ModuleChoice::PortState::Rest);
}

TEST_F(TcpEndToEnd, a_module_that_closes_mid_transfer_is_reported_and_never_completed) {
  chooseTcp(sim->tcpPort());
  const auto bytes = compile("PX-*");
  // The detection's two queries, user mode in, then half the macro definition.
  sim->setHangUpAfter(10 + 6 + 9 + bytes.size() / 2);
  form->menuRewrite_Click(1);
  ASSERT_FALSE(prompter.boxes.empty());
  EXPECT_EQ(prompter.boxes.back().text, "Transfer failed.");
  EXPECT_EQ(textSent().find("Completed."), std::string::npos);
  EXPECT_FALSE(form->PX().isOpen());
}

TEST_F(TcpEndToEnd, a_port_nobody_answers_on_gives_the_response_error) {
  // Bound and not listening: the connect is refused, and nobody else can take the port meanwhile.
  const int held = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(held, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::getsockname(held, reinterpret_cast<sockaddr*>(&address), &length), 0);
  chooseTcp(ntohs(address.sin_port));
  form->Start();
  ASSERT_EQ(prompter.boxes.size(), 1u);
  EXPECT_EQ(prompter.boxes[0].title, "Comm Error");
  EXPECT_TRUE(prompter.boxes[0].text.startsWith("Responce Error!\r\n"));
  EXPECT_EQ(form->choice().portState(), ModuleChoice::PortState::Rest);
  EXPECT_FALSE(form->PX().isOpen());
  ::close(held);
}

}  // namespace
}  // namespace kelmore::mainwindow
